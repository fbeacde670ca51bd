#include "skin/controls/SkinComBox.h"

#include <algorithm>

#include "gui/gdi/GdiHandles.h"
#include "skin/draw/SkinDraw.h"
#include "skin/model/SkinDeviceObjects_win32.h"

namespace pellamy {

namespace {

// The library tells a control that the pointer left it also when the
// pointer only went on into a child window (the edit of a drop-down combo):
// the box watches the pointer until it really is outside.
constexpr UINT_PTR kHotWatchTimer = 0x534B43;
constexpr UINT kHotWatchPeriod = 50;

RECT Margins(const TDataSkinObject& e) {
  return {e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight};
}

}  // namespace

TSkinComBox::~TSkinComBox() {
  if (FWatching && Handle != nullptr && IsWindow(Handle)) KillTimer(Handle, kHotWatchTimer);
}

void TSkinComBox::Notification(TComponent* component, bool removing) {
  TSkinControl::Notification(component, removing);
  if (removing && component == ListScroll) ListScroll = nullptr;
}

bool TSkinComBox::Usable() const {
  return SkinData != nullptr && SkinData->ComboButton && SkinData->ComboButton->Bitmap.Width > 0;
}

bool TSkinComBox::PointerOver() const {
  POINT p;
  if (Handle == nullptr || !GetCursorPos(&p)) return false;
  HWND under = WindowFromPoint(p);
  return under == Handle || (under != nullptr && IsChild(Handle, under));
}

int TSkinComBox::ImageIndex() const {
  if (!Enabled) return 3;
  if (MouseFlags & mfPressed) return 2;
  if (Focused || (MouseFlags & mfHot)) return 4;
  return 1;
}

RECT TSkinComBox::ButtonArea(const RECT& rect) const {
  const int edge = GetSystemMetrics(SM_CXEDGE);
  const int width = GetSystemMetrics(SM_CXHSCROLL) + 2;
  const bool left = (GetWindowLongPtrW(Handle, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
  const int top = rect.top + edge, bottom = rect.bottom - edge;
  return left ? RECT{rect.left + edge, top, rect.left + edge + width, bottom}
              : RECT{rect.right - edge - width, top, rect.right - edge, bottom};
}

void TSkinComBox::SkinList() {
  if (ListScroll != nullptr || Handle == nullptr || Form == nullptr) return;
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (!GetComboBoxInfo(Handle, &info) || info.hwndList == nullptr) return;
  ListScroll = new TSkinScrollbar(this);
  FreeNotification(ListScroll);
  ListScroll->InitWindow(info.hwndList, SkinData, Form);
}

bool TSkinComBox::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  if (m.Msg == WM_TIMER && m.WParam == kHotWatchTimer) {
    if (!PointerOver()) {
      KillTimer(Handle, kHotWatchTimer);
      FWatching = false;
      MouseFlags &= ~mfHot;
      PaintWindow();
    }
    m.Result = 0;
    return false;
  }
  return TSkinControl::BeforeMessage(m, passOn);
}

void TSkinComBox::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (Enabled) MouseFlags |= mfPressed;
      PaintWindow();
      return;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      MouseFlags &= ~mfPressed;
      PaintWindow();
      return;
    case CN_COMMAND:
      if (HIWORD(m.WParam) == CBN_DROPDOWN) SkinList();
      // The list closed with the button up elsewhere.
      if (HIWORD(m.WParam) == CBN_CLOSEUP) MouseFlags &= ~mfPressed;
      RefreshState();
      PaintWindow();
      return;
    case CM_MOUSEENTER:
      if (Enabled) {
        MouseFlags |= mfHot;
        PaintWindow();
      }
      return;
    case CM_MOUSELEAVE:
      if (!Enabled) return;
      if (PointerOver()) {
        if (!FWatching) FWatching = SetTimer(Handle, kHotWatchTimer, kHotWatchPeriod, nullptr) != 0;
        return;
      }
      MouseFlags &= ~mfHot;
      PaintWindow();
      return;
    default:
      TSkinControl::AfterMessage(m);
      return;
  }
}

void TSkinComBox::Paint(HDC dc, const RECT& rect) {
  if (!Usable()) return;
  const TDataSkinBorder& b = *SkinData->ComboButton;
  RefreshState();
  HWND focus = GetFocus();
  Focused = focus != nullptr && (focus == Handle || IsChild(Handle, focus));
  PaintedStyle = static_cast<DWORD>(GetWindowLongPtrW(Handle, GWL_STYLE));
  PaintedExStyle = static_cast<DWORD>(GetWindowLongPtrW(Handle, GWL_EXSTYLE));
  const int index = ImageIndex();
  const int count = std::max(1, b.FrameCount);
  const bool left = (PaintedExStyle & WS_EX_LEFTSCROLLBAR) != 0;
  // The mirrored strip holds the states in the reverse order.
  const TPixelImage& strip = left && b.Bitmap2.Width > 0 ? b.Bitmap2 : b.Bitmap;
  const int stateIndex = &strip == &b.Bitmap2 ? count + 1 - std::min(index, count) : std::min(index, count);
  TBitmap* button = SkinDeviceBitmap(*SkinData, strip);
  if (button == nullptr) return;
  const RECT area = ButtonArea(rect);
  if (area.right <= area.left || area.bottom <= area.top) return;
  if (b.Style == 1) {
    UniqueBrush shadow(CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonShadow)));
    FrameRect(dc, &rect, shadow.get());
    FillFace(dc, area);
    const int fw = strip.Width / count, fh = strip.Height;
    const int x = area.left + (area.right - area.left - fw) / 2, y = area.top + (area.bottom - area.top - fh) / 2;
    SavedDc saved(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    DrawSkinFrame(dc, {x, y, x + fw, y + fh}, *button, b.Trans == 1, count, stateIndex);
  } else {
    if (SkinData->SunkEdge && SkinData->SunkEdge->Bitmap.Width > 0) {
      const TDataSkinObject& e = *SkinData->SunkEdge;
      if (TBitmap* edge = SkinDeviceBitmap(*SkinData, e.Bitmap)) {
        const int n = std::max(1, e.FrameCount);
        // A transparent edge image is clear in its middle: the box shows through.
        if (e.Trans == 1)
          DrawNineGrid(dc, rect, *edge, false, false, true, n, std::min(index, n), Margins(e));
        else
          DrawNineGridBorder(dc, rect, *edge, false, n, std::min(index, n), Margins(e));
      }
    }
    FillFace(dc, area);
    DrawNineGrid(dc, area, *button, false, b.Tile != 0, b.Trans == 1, count, stateIndex, Margins(b));
  }
  if (SkinData->ExtraImages && SkinData->ExtraImages->Bitmap.Width > 0) {
    const TDataSkinObject& a = *SkinData->ExtraImages;
    if (TBitmap* arrow = SkinDeviceBitmap(*SkinData, a.Bitmap)) {
      const int n = std::max(1, a.FrameCount);
      const int aw = a.Bitmap.Width / n, ah = a.Bitmap.Height;
      const int x = area.left + (area.right - area.left - aw) / 2, y = area.top + (area.bottom - area.top - ah) / 2;
      DrawSkinFrame(dc, {x, y, x + aw, y + ah}, *arrow, a.Trans == 1, n, std::min(index, n));
    }
  }
}

}  // namespace pellamy
