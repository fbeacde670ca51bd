#include "skin/controls/SkinUpDown.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "gui/gdi/GdiHandles.h"
#include "skin/draw/SkinDraw.h"
#include "skin/model/SkinDeviceObjects_win32.h"

namespace pellamy {

void TSkinUpDown::TrackLeave() {
  // Asked for here: the capture the arrows take while they repeat ends
  // whatever tracking the library had asked for. Asked while the pointer is
  // already outside, the leave comes at once.
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle, 0};
  FTracking = TrackMouseEvent(&track) != FALSE;
}

bool TSkinUpDown::Horizontal() const {
  return (GetWindowLongPtrW(Handle, GWL_STYLE) & UDS_HORZ) != 0;
}

void TSkinUpDown::SetHot(int part) {
  if (part == FHotPart) return;
  FHotPart = part;
  InvalidateRect(Handle, nullptr, FALSE);
}

bool TSkinUpDown::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  switch (m.Msg) {
    case WM_PAINT:
    case WM_ERASEBKGND:
      TakeOverPaint(m);
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      passOn(m);
      RECT r;
      GetClientRect(Handle, &r);
      FPressedPart = UpDownPart(r.right, r.bottom, Horizontal(), GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
      InvalidateRect(Handle, nullptr, FALSE);
      UpdateWindow(Handle);
      return false;
    }
    case WM_LBUTTONUP:
      FPressedPart = -1;
      passOn(m);
      TrackLeave();
      InvalidateRect(Handle, nullptr, FALSE);
      UpdateWindow(Handle);
      return false;
    default:
      return TSkinControl::BeforeMessage(m, passOn);
  }
}

void TSkinUpDown::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEMOVE: {
      RECT r;
      GetClientRect(Handle, &r);
      SetHot(UpDownPart(r.right, r.bottom, Horizontal(), GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
      if (!FTracking) TrackLeave();
      break;
    }
    case WM_MOUSELEAVE:
      FTracking = false;
      SetHot(-1);
      break;
    case CM_MOUSELEAVE:
      SetHot(-1);
      break;
    case WM_CAPTURECHANGED:
      FTracking = false;
      if (FPressedPart >= 0) {
        FPressedPart = -1;
        InvalidateRect(Handle, nullptr, FALSE);
      }
      break;
    case WM_PAINT:
      break;
    default:
      TSkinControl::AfterMessage(m);
      break;
  }
}

void TSkinUpDown::PaintArrow(HDC dc, const RECT& r, int part, int image) {
  const bool horizontal = Horizontal();
  const TDataSkinBorder* e = horizontal ? SkinData->UpDownHorz.get() : SkinData->UpDownVert.get();
  TBitmap* face = e != nullptr && e->Bitmap.Width > 0 ? SkinDeviceBitmap(*SkinData, e->Bitmap) : nullptr;
  if (face != nullptr) {
    DrawNineGrid(dc, r, *face, false, e->Tile != 0, e->Trans == 1, 8, image,
                 {e->LeftWidth, e->TopHeight, e->RightWidth, e->BottomHeight});
    if (e->Bitmap2.Width > 0) {
      // The arrow alone, unscaled and centred, whatever the button's size.
      if (TBitmap* glyph = SkinDeviceBitmap(*SkinData, e->Bitmap2)) {
        const int gw = e->Bitmap2.Width / 8, gh = e->Bitmap2.Height;
        const int x = r.left + (r.right - r.left - gw) / 2, y = r.top + (r.bottom - r.top - gh) / 2;
        DrawSkinFrame(dc, {x, y, x + gw, y + gh}, *glyph, true, 8, image);
      }
    }
    return;
  }
  // No images: face-coloured buttons with the skin's shadows and arrows.
  FillFace(dc, r);
  const int state = (image - 1) % 4 + 1;
  UniquePen shadow(CreatePen(PS_SOLID, 1, ColorToRGB(SkinData->Colours.ButtonShadow)));
  UniqueBrush dark(
      CreateSolidBrush(ColorToRGB(state == 3 ? SkinData->Colours.ButtonShadow : SkinData->Colours.ButtonDkShadow)));
  {
    SelectGuard pen(dc, shadow.get());
    SelectGuard hollow(dc, GetStockObject(HOLLOW_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
  }
  const int cx = static_cast<int>(r.left + r.right) / 2 + (state == 2 ? 1 : 0);
  const int cy = static_cast<int>(r.top + r.bottom) / 2 + (state == 2 ? 1 : 0);
  const int s = std::max(2, static_cast<int>(std::min(r.right - r.left, r.bottom - r.top)) / 4);
  POINT tri[3];
  if (horizontal) {
    const int d = part == 0 ? -1 : 1;
    tri[0] = {cx + d * s, cy};
    tri[1] = {cx - d * s / 2, cy - s};
    tri[2] = {cx - d * s / 2, cy + s};
  } else {
    const int d = part == 0 ? -1 : 1;
    tri[0] = {cx, cy + d * s};
    tri[1] = {cx - s, cy - d * s / 2};
    tri[2] = {cx + s, cy - d * s / 2};
  }
  SelectGuard brush(dc, dark.get());
  SelectGuard pen(dc, GetStockObject(NULL_PEN));
  Polygon(dc, tri, 3);
}

void TSkinUpDown::Paint(HDC dc, const RECT& rect) {
  if (SkinData == nullptr) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  HDC buffer = SizedBuffer(FBuffer, w, h);
  FillFace(buffer, {0, 0, w, h});
  const bool enabled = (GetWindowLongPtrW(Handle, GWL_STYLE) & WS_DISABLED) == 0;
  const bool horizontal = Horizontal();
  const RECT first = horizontal ? RECT{0, 0, w / 2, h} : RECT{0, 0, w, h / 2};
  const RECT second = horizontal ? RECT{w / 2, 0, w, h} : RECT{0, h / 2, w, h};
  PaintArrow(buffer, first, 0, UpDownImage(0, enabled, FPressedPart, FHotPart));
  PaintArrow(buffer, second, 1, UpDownImage(1, enabled, FPressedPart, FHotPart));
  GdiFlush();
  BitBlt(dc, rect.left, rect.top, w, h, buffer, 0, 0, SRCCOPY);
}

}  // namespace pellamy
