#include "skin/controls/SkinBars.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "gui/gdi/GdiHandles.h"
#include "skin/draw/SkinDraw.h"
#include "skin/model/SkinDeviceObjects_win32.h"

namespace pellamy {

namespace {

RECT Margins(const TDataSkinObject& e) {
  return {e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight};
}

bool HasImage(const std::unique_ptr<TDataSkinObject>& e) {
  return e && e->Bitmap.Width > 0 && e->Bitmap.Height > 0;
}

bool HasImage(const std::unique_ptr<TDataSkinBorder>& e) {
  return e && e->Bitmap.Width > 0 && e->Bitmap.Height > 0;
}

}  // namespace

// ---------------------------------------------------------- status bar

bool TSkinStatusBar::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  // Drawn whole, with frames where the skin has no edge images.
  if (TakeOverPaint(m)) return false;
  return TSkinControl::BeforeMessage(m, passOn);
}

void TSkinStatusBar::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case SB_SETTEXTW:
    case SB_SETTEXTA:
    case SB_SETPARTS:
    case SB_SIMPLE:
    case WM_SIZE:
      InvalidateRect(Handle, nullptr, FALSE);
      break;
    default:
      TSkinControl::AfterMessage(m);
      break;
  }
}

int StatusPanelBevel(int type) {
  // The length's high word holds the drawing flags themselves, not shifted.
  return (type & SBT_NOBORDERS) != 0 ? 3 : (type & SBT_POPOUT) != 0 ? 2 : 1;
}

std::wstring StatusPanelText(HWND bar, int index, int& bevel) {
  const LRESULT info = SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(index), 0);
  // The control copies the whole text: the buffer takes all of it.
  const std::size_t length = LOWORD(info);
  bevel = StatusPanelBevel(HIWORD(info));
  std::wstring s(length + 1, L'\0');
  if (length > 0) SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
  s.resize(wcsnlen(s.c_str(), length));
  return s;
}

void TSkinStatusBar::PaintPanel(HDC dc, const RECT& r, int bevel, const std::wstring& text, bool rightToLeft) {
  const TDataSkinObject* e = SkinData->StatusBarEdges.get();
  TBitmap* image = HasImage(SkinData->StatusBarEdges) ? SkinDeviceBitmap(*SkinData, e->Bitmap) : nullptr;
  if (image != nullptr) {
    DrawNineGrid(dc, r, *image, false, e->Tile != 0, e->Trans == 1, 3, bevel, Margins(*e));
  } else if (bevel != 3) {
    // Lowered: shadow above and left; raised the other way round.
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF topLeft = bevel == 1 ? dark : light, bottomRight = bevel == 1 ? light : dark;
    UniqueBrush a(CreateSolidBrush(topLeft)), b(CreateSolidBrush(bottomRight));
    RECT top{r.left, r.top, r.right, r.top + 1}, left{r.left, r.top, r.left + 1, r.bottom};
    RECT bottom{r.left, r.bottom - 1, r.right, r.bottom}, right{r.right - 1, r.top, r.right, r.bottom};
    FillRect(dc, &top, a.get());
    FillRect(dc, &left, a.get());
    FillRect(dc, &bottom, b.get());
    FillRect(dc, &right, b.get());
  }
  const TPanelText part = SplitPanelText(text, rightToLeft);
  RECT inner = r;
  InflateRect(&inner, -2, -2);
  const UINT align = part.Align == TPanelAlign::Centre  ? DT_CENTER
                     : part.Align == TPanelAlign::Right ? DT_RIGHT
                                                        : DT_LEFT;
  DrawTextWide(dc, part.Text, inner, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TSkinStatusBar::Paint(HDC dc, const RECT& rect) {
  if (SkinData == nullptr) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  HDC buffer = SizedBuffer(FBuffer, w, h);
  FillFace(buffer, {0, 0, w, h});
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(Handle, WM_GETFONT, 0, 0));
  SelectGuard select(buffer, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(buffer, TRANSPARENT);
  const TColor text = SkinData->StatusBarEdges ? SkinData->StatusBarEdges->NormalColour2 : SkinData->Colours.ButtonText;
  SetTextColor(buffer, ColorToRGB(text));
  const bool rtl = (GetWindowLongPtrW(Handle, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
  const auto textOf = [this](int index, int& bevel) { return StatusPanelText(Handle, index, bevel); };
  const int parts = static_cast<int>(SendMessageW(Handle, SB_GETPARTS, 0, 0));
  const bool simple = SendMessageW(Handle, SB_ISSIMPLE, 0, 0) != 0;
  if (simple || parts <= 0) {
    int bevel = 1;
    const std::wstring s = textOf(simple ? SB_SIMPLEID : 0, bevel);
    PaintPanel(buffer, {0, 0, w, h}, bevel, s, rtl);
  } else {
    const int count = std::min(parts, 256);
    for (int i = 0; i < count; ++i) {
      RECT r{};
      if (!SendMessageW(Handle, SB_GETRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) continue;
      if (i == count - 1) r.right = w;
      int bevel = 1;
      const std::wstring s = textOf(i, bevel);
      PaintPanel(buffer, r, bevel, s, rtl);
    }
  }
  GdiFlush();
  BitBlt(dc, rect.left, rect.top, w, h, buffer, 0, 0, SRCCOPY);
}

// ------------------------------------------------------------ progress

bool TSkinProgress::Usable() const {
  return SkinData != nullptr && HasImage(SkinData->Progress);
}

bool TSkinProgress::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  // Painted whole here: the control's own drawing would show between.
  if (Usable() && TakeOverPaint(m)) return false;
  return TSkinControl::BeforeMessage(m, passOn);
}

void TSkinProgress::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case PBM_SETPOS:
    case PBM_DELTAPOS:
    case PBM_STEPIT:
    case PBM_SETRANGE:
    case PBM_SETRANGE32:
      if (Usable()) InvalidateRect(Handle, nullptr, FALSE);
      break;
    case WM_PAINT:
      // Ours was painted before: nothing after.
      if (!Usable()) TSkinControl::AfterMessage(m);
      break;
    default:
      TSkinControl::AfterMessage(m);
      break;
  }
}

void TSkinProgress::Paint(HDC dc, const RECT& rect) {
  if (!Usable()) return;
  const TDataSkinBorder& e = *SkinData->Progress;
  TBitmap* image = SkinDeviceBitmap(*SkinData, e.Bitmap);
  if (image == nullptr) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  HDC buffer = SizedBuffer(FBuffer, w, h);
  FillFace(buffer, {0, 0, w, h});
  PBRANGE range{};
  SendMessageW(Handle, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  const int position = static_cast<int>(SendMessageW(Handle, PBM_GETPOS, 0, 0));
  const bool vertical = (GetWindowLongPtrW(Handle, GWL_STYLE) & PBS_VERTICAL) != 0;
  const int fill = ProgressFill(position, range.iLow, range.iHigh, vertical ? h : w);
  const RECT whole{0, 0, w, h};
  const RECT filled = vertical ? RECT{0, h - fill, w, h} : RECT{0, 0, fill, h};
  if (e.Style == 1) {
    DrawNineGrid(buffer, whole, *image, false, e.Tile != 0, e.Trans == 1, 1, 1, Margins(e));
    TBitmap* chunk = e.Bitmap2.Width > 0 ? SkinDeviceBitmap(*SkinData, e.Bitmap2) : nullptr;
    if (chunk != nullptr && fill > 0) {
      const int cw = e.Bitmap2.Width, ch = e.Bitmap2.Height;
      SavedDc saved(buffer);
      IntersectClipRect(buffer, filled.left, filled.top, filled.right, filled.bottom);
      if (vertical) {
        for (int y = h - e.BottomHeight - ch; y + ch > filled.top; y -= ch) {
          const RECT at{(w - cw) / 2, y, (w - cw) / 2 + cw, y + ch};
          DrawSkinFrame(buffer, at, *chunk, e.Trans == 1, 1, 1);
        }
      } else {
        for (int x = filled.left + e.LeftWidth; x < filled.right; x += cw) {
          const RECT at{x, (h - ch) / 2, x + cw, (h - ch) / 2 + ch};
          DrawSkinFrame(buffer, at, *chunk, e.Trans == 1, 1, 1);
        }
      }
    }
  } else {
    DrawNineGrid(buffer, whole, *image, false, e.Tile != 0, true, 2, 1, Margins(e));
    if (fill > 0) DrawNineGrid(buffer, filled, *image, false, e.Tile != 0, true, 2, 2, Margins(e));
  }
  GdiFlush();
  BitBlt(dc, rect.left, rect.top, w, h, buffer, 0, 0, SRCCOPY);
}

// ----------------------------------------------------------- track bar

const TDataSkinObject* TSkinTrackBar::ThumbElement() const {
  const auto style = static_cast<std::uint32_t>(GetWindowLongPtrW(Handle, GWL_STYLE));
  const bool vertical = (style & TBS_VERT) != 0;
  const bool both = (style & (TBS_BOTH | TBS_NOTICKS)) != 0;
  const std::unique_ptr<TDataSkinObject>* pointed = nullptr;
  if (!both) {
    if (vertical)
      pointed = (style & TBS_LEFT) != 0 ? &SkinData->TrackbarThumbLeft : &SkinData->TrackbarThumbRight;
    else
      pointed = (style & TBS_TOP) != 0 ? &SkinData->TrackbarThumbUp : &SkinData->TrackbarThumbDown;
  }
  if (pointed != nullptr && HasImage(*pointed)) return pointed->get();
  const auto& plain = vertical ? SkinData->TrackbarThumbVert : SkinData->TrackbarThumbHorz;
  return HasImage(plain) ? plain.get() : nullptr;
}

bool TSkinTrackBar::CustomDraw(NMCUSTOMDRAW& draw, LRESULT& result) {
  if (draw.dwDrawStage == CDDS_PREPAINT) {
    result = CDRF_NOTIFYITEMDRAW;
    return true;
  }
  if (draw.dwDrawStage != CDDS_ITEMPREPAINT) return false;
  if (draw.dwItemSpec != TBCD_THUMB) {
    result = CDRF_DODEFAULT;
    return true;
  }
  const TDataSkinObject* e = ThumbElement();
  TBitmap* image = e != nullptr ? SkinDeviceBitmap(*SkinData, e->Bitmap) : nullptr;
  if (image == nullptr) return false;
  // Normal, pressed, disabled, hot, focused.
  int index = 1;
  if ((GetWindowLongPtrW(Handle, GWL_STYLE) & WS_DISABLED) != 0)
    index = 3;
  else if ((draw.uItemState & CDIS_SELECTED) != 0 || GetCapture() == Handle)
    index = 2;
  else if ((draw.uItemState & CDIS_HOT) != 0)
    index = 4;
  else if (GetFocus() == Handle)
    index = 5;
  // A strip without the state's image shows the normal one.
  const int count = std::max(1, e->FrameCount);
  if (index > count) index = 1;
  const RECT r = draw.rc;
  DrawSkinFrame(draw.hdc, r, *image, e->Trans == 1, count, index);
  if (e->Trans != 1) {
    // An opaque thumb gets an edge so it stands out from the channel.
    UniqueBrush outline(CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonShadow)));
    FrameRect(draw.hdc, &r, outline.get());
  }
  result = CDRF_SKIPDEFAULT;
  return true;
}

bool TSkinTrackBar::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  switch (m.Msg) {
    case WM_ERASEBKGND:
      m.Result = 1;
      return false;
    case WM_NOTIFY:
    case CN_NOTIFY: {
      auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(m.LParam);
      if (draw == nullptr || draw->hdr.code != static_cast<UINT>(NM_CUSTOMDRAW) || draw->hdr.hwndFrom != Handle) break;
      LRESULT result = 0;
      if (CustomDraw(*draw, result)) {
        m.Result = result;
        return false;
      }
      break;
    }
    default:
      break;
  }
  return TSkinControl::BeforeMessage(m, passOn);
}

}  // namespace pellamy
