#include "skin/controls/SkinTabs.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "gui/controls/Tabs.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/WideText.h"
#include "skin/controls/SkinUpDown.h"
#include "skin/draw/SkinDraw.h"
#include "skin/model/SkinDeviceObjects_win32.h"
#include "skin/pixels/SkinPixels.h"

namespace pellamy {

namespace {

// Margins no larger than half the image, so a small border image still
// leaves a middle.
RECT FittedMargins(const TDataSkinObject& e, int imageWidth, int imageHeight) {
  return {std::min(e.LeftWidth, imageWidth / 2), std::min(e.TopHeight, imageHeight / 2),
          std::min(e.RightWidth, imageWidth / 2), std::min(e.BottomHeight, imageHeight / 2)};
}

// One head of the Tabs strip on r; flipped for heads that hang down.
void DrawHead(HDC dc, const RECT& r, const TDataSkinBorder& e, TBitmap& image, int index, bool flipped) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  const RECT margins = flipped ? RECT{e.LeftWidth, e.BottomHeight, e.RightWidth, e.TopHeight}
                               : RECT{e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight};
  std::unique_ptr<TBitmap> head = BuildNineGrid(r, image, margins, false, e.Tile != 0, 5, index);
  if (head->Empty()) return;
  if (flipped) FlipBitmap(*head);
  if (e.Trans == 1)
    TransparentBlit(dc, r, *head, static_cast<TColor>(kSkinTransparentColor));
  else
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, head->Canvas().Handle(), 0, 0, SRCCOPY);
}

TColor HeadTextColour(const TSkinData& skin, int image) {
  const TDataSkinBorder& e = *skin.Tabs;
  switch (image) {
    case 2:
    case 5:
      return e.PressedColour2;
    case 3:
      return static_cast<TColor>(0x80000010);
    case 4:
      return e.MouseOverColour2;
    default:
      return e.NormalColour2;
  }
}

}  // namespace

// ---------------------------------------------------------------- TSkinTab

bool TSkinTab::Usable() const {
  return SkinData != nullptr && SkinData->Tabs && SkinData->Tabs->Bitmap.Width > 0;
}

void TSkinTab::SkinChanged() {
  TSkinControl::SkinChanged();
  if (FScroller != nullptr) FScroller->SkinChanged();
}

bool TSkinTab::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  // Painted whole here: the control's own drawing would show between.
  if (Usable() && TakeOverPaint(m)) return false;
  return TSkinControl::BeforeMessage(m, passOn);
}

int TSkinTab::HotTab() const {
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(Handle, &p);
  TCHITTESTINFO hit{p, 0};
  return static_cast<int>(SendMessageW(Handle, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

void TSkinTab::SetHot(int index) {
  if (index == FHot) return;
  FHot = index;
  if (Usable()) InvalidateRect(Handle, nullptr, FALSE);
}

void TSkinTab::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEMOVE:
      SetHot(HotTab());
      if (!FTracking) {
        // A capture in between (a drag) ends the library's tracking.
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle, 0};
        FTracking = TrackMouseEvent(&track) != FALSE;
      }
      break;
    case WM_MOUSELEAVE:
      FTracking = false;
      SetHot(-1);
      break;
    case CM_MOUSELEAVE:
      SetHot(-1);
      break;
    case WM_PAINT:
      if (!Usable()) TSkinControl::AfterMessage(m);
      break;
    default:
      TSkinControl::AfterMessage(m);
      break;
  }
}

void TSkinTab::SkinScroller() {
  HWND scroller = FindWindowExW(Handle, nullptr, L"msctls_updown32", nullptr);
  if (scroller == nullptr || (FScroller != nullptr && FScroller->Handle == scroller && FScroller->State == scAttached))
    return;
  delete FScroller;
  FScroller = new TSkinUpDown(this);
  FScroller->InitWindow(scroller, SkinData, Form);
}

void TSkinTab::Paint(HDC dc, const RECT& rect) {
  if (!Usable()) return;
  const TDataSkinBorder& e = *SkinData->Tabs;
  TBitmap* heads = SkinDeviceBitmap(*SkinData, e.Bitmap);
  if (heads == nullptr) return;
  SkinScroller();
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  HDC buffer = SizedBuffer(FBuffer, w, h);
  FillFace(buffer, {0, 0, w, h});
  const auto style = static_cast<std::uint32_t>(GetWindowLongPtrW(Handle, GWL_STYLE));
  const bool bottom = (style & TCS_BOTTOM) != 0 && (style & TCS_VERTICAL) == 0;
  const bool enabled = (style & WS_DISABLED) == 0;
  const int count = std::clamp(static_cast<int>(SendMessageW(Handle, TCM_GETITEMCOUNT, 0, 0)), 0, 1000);
  const int selected = static_cast<int>(SendMessageW(Handle, TCM_GETCURSEL, 0, 0));
  const bool focused = GetFocus() == Handle;
  RECT headsBox{0, 0, 0, 0};
  for (int i = 0; i < count; ++i) {
    RECT r{};
    if (SendMessageW(Handle, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
      UnionRect(&headsBox, &headsBox, &r);
  }
  RECT page{0, 0, w, h};
  if (count > 0) {
    if (bottom)
      page.bottom = std::max(0, static_cast<int>(headsBox.top));
    else
      page.top = std::min(h, static_cast<int>(headsBox.bottom));
  }
  if (e.Bitmap2.Width > 0)
    if (TBitmap* border = SkinDeviceBitmap(*SkinData, e.Bitmap2))
      DrawNineGrid(buffer, page, *border, false, e.Tile != 0, e.Trans == 1, 1, 1,
                   FittedMargins(e, e.Bitmap2.Width, e.Bitmap2.Height));
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(Handle, WM_GETFONT, 0, 0));
  SelectGuard select(buffer, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(buffer, TRANSPARENT);
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(Handle, TCM_GETIMAGELIST, 0, 0));
  const auto drawTab = [&](int i) {
    RECT r{};
    if (!SendMessageW(Handle, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) return;
    const bool isSelected = i == selected;
    if (isSelected) {
      // The selected head stands out and joins its page.
      InflateRect(&r, 2, 0);
      if (bottom)
        r.bottom += 2, r.top -= 1;
      else
        r.top -= 2, r.bottom += 1;
    }
    const int image = TabImage(isSelected, focused, enabled, FHot == i, std::max(1, e.FrameCount));
    DrawHead(buffer, r, e, *heads, image, bottom);
    wchar_t text[260] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = text;
    item.cchTextMax = 259;
    item.iImage = -1;
    SendMessageW(Handle, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    RECT t = r;
    if (images != nullptr && item.iImage >= 0) {
      int iw = 0, ih = 0;
      ImageList_GetIconSize(images, &iw, &ih);
      ImageList_Draw(images, item.iImage, buffer, t.left + 4, t.top + (t.bottom - t.top - ih) / 2, ILD_TRANSPARENT);
      t.left += 4 + iw;
    }
    SetTextColor(buffer, ColorToRGB(HeadTextColour(*SkinData, image)));
    DrawTextWide(buffer, std::wstring(text), t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  };
  for (int i = 0; i < count; ++i)
    if (i != selected) drawTab(i);
  if (selected >= 0 && selected < count) drawTab(selected);
  GdiFlush();
  BitBlt(dc, rect.left, rect.top, w, h, buffer, 0, 0, SRCCOPY);
}

// -------------------------------------------------------------- TSkinTab31

bool TSkinTab31::Usable() const {
  return SkinData != nullptr && SkinData->Tabs && SkinData->Tabs->Bitmap.Width > 0 &&
         dynamic_cast<TTabSet*>(Control) != nullptr;
}

bool TSkinTab31::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  // Painted whole here: the control's own drawing would show between.
  if (Usable() && TakeOverPaint(m)) return false;
  return TSkinControl::BeforeMessage(m, passOn);
}

void TSkinTab31::SetHot(int index) {
  if (index == FHot) return;
  FHot = index;
  if (Usable()) InvalidateRect(Handle, nullptr, FALSE);
}

void TSkinTab31::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEMOVE:
      if (auto* tabs = dynamic_cast<TTabSet*>(Control))
        SetHot(tabs->TabAtPos({GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)}));
      break;
    case CM_MOUSELEAVE:
      SetHot(-1);
      break;
    case WM_PAINT:
      if (!Usable()) TSkinControl::AfterMessage(m);
      break;
    default:
      TSkinControl::AfterMessage(m);
      break;
  }
}

void TSkinTab31::Paint(HDC dc, const RECT& rect) {
  auto* tabs = dynamic_cast<TTabSet*>(Control);
  if (!Usable() || tabs == nullptr) return;
  const TDataSkinBorder& e = *SkinData->Tabs;
  TBitmap* heads = SkinDeviceBitmap(*SkinData, e.Bitmap);
  if (heads == nullptr) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  HDC buffer = SizedBuffer(FBuffer, w, h);
  FillFace(buffer, {0, 0, w, h});
  // The edge of the page the heads hang from.
  {
    UniqueBrush shadow(CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonShadow)));
    RECT edge{0, 0, w, 1};
    FillRect(buffer, &edge, shadow.get());
  }
  SelectGuard select(buffer, Control->Font().Handle());
  SetBkMode(buffer, TRANSPARENT);
  const bool enabled = Control->Enabled();
  const bool focused = Control->Focused();
  const int bottom = std::min(h - 1, 17) + 1;
  const auto drawTab = [&](int i) {
    RECT r = tabs->TabRect(i);
    if (r.right <= r.left) return;
    const bool isSelected = i == tabs->TabIndex();
    r.top = isSelected ? 0 : 1;
    r.bottom = bottom;
    const int image = TabImage(isSelected, focused, enabled, FHot == i, std::max(1, e.FrameCount));
    DrawHead(buffer, r, e, *heads, image, true);
    SetTextColor(buffer, ColorToRGB(HeadTextColour(*SkinData, image)));
    DrawTextWide(buffer, Utf8ToWide(tabs->Tabs()[static_cast<std::size_t>(i)]), r,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  };
  for (int i = 0; i < tabs->TabCount(); ++i)
    if (i != tabs->TabIndex()) drawTab(i);
  if (tabs->TabIndex() >= 0 && tabs->TabIndex() < tabs->TabCount()) drawTab(tabs->TabIndex());
  if (tabs->ScrollButtonsShown()) {
    // The scroll buttons as skinned push buttons with an arrow.
    const TDataSkinButton* b = SkinData->Buttons.get();
    TBitmap* face = b != nullptr && b->Bitmap.Width > 0 ? SkinDeviceBitmap(*SkinData, b->Bitmap) : nullptr;
    for (const bool right : {false, true}) {
      const RECT r = tabs->ScrollButtonRect(right);
      const bool more = right ? tabs->FirstIndex() + 1 < tabs->TabCount() : tabs->FirstIndex() > 0;
      if (face != nullptr)
        DrawNineGrid(buffer, r, *face, false, b->Tile != 0, b->Trans == 1, std::max(1, b->FrameCount), more ? 1 : 3,
                     {b->LeftWidth, b->TopHeight, b->RightWidth, b->BottomHeight});
      else
        DrawFrameControl(buffer, const_cast<RECT*>(&r), DFC_BUTTON, DFCS_BUTTONPUSH);
      UniqueBrush arrow(
          CreateSolidBrush(ColorToRGB(more ? SkinData->Colours.ButtonText : SkinData->Colours.ButtonShadow)));
      const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
      POINT pts[3];
      if (right) {
        pts[0] = {cx + 2, cy};
        pts[1] = {cx - 1, cy - 3};
        pts[2] = {cx - 1, cy + 3};
      } else {
        pts[0] = {cx - 2, cy};
        pts[1] = {cx + 1, cy - 3};
        pts[2] = {cx + 1, cy + 3};
      }
      SelectGuard brush(buffer, arrow.get());
      SelectGuard pen(buffer, GetStockObject(NULL_PEN));
      Polygon(buffer, pts, 3);
    }
  }
  GdiFlush();
  BitBlt(dc, rect.left, rect.top, w, h, buffer, 0, 0, SRCCOPY);
}

}  // namespace pellamy
