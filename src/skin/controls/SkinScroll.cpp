#include "skin/controls/SkinScroll.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <string>

#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/WideText.h"
#include "skin/draw/SkinDraw.h"
#include "skin/model/SkinDeviceObjects_win32.h"
#include "skin/model/SkinManager.h"

namespace pellamy {

namespace {

// Bars are composed at the images' own thickness and stretched across.
constexpr int kStripThickness = 16;
constexpr int kLargestWindow = 10000;

RECT Margins(const TDataSkinObject& e) {
  return {e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight};
}

TBitmap* ImageOf(const TSkinData& skin, const std::unique_ptr<TDataSkinObject>& e) {
  if (!e || e->Bitmap.Width <= 0) return nullptr;
  return SkinDeviceBitmap(skin, e->Bitmap);
}

int Count(const TDataSkinObject& e) {
  return std::max(1, e.FrameCount);
}

// The rectangle along the strip from a to b.
RECT Along(bool vertical, int a, int b) {
  return vertical ? RECT{0, a, kStripThickness, b} : RECT{a, 0, b, kStripThickness};
}

bool ReadScroll(HWND window, int bar, TScrollValues& values, int& track) {
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
  if (!GetScrollInfo(window, bar, &si)) return false;
  values = {si.nMin, si.nMax, static_cast<int>(si.nPage), si.nPos};
  track = si.nTrackPos;
  return true;
}

}  // namespace

int MinimumThumb(int thickness) {
  return (GetVersion() & 0x80000000u) != 0 ? thickness / 2 : 8;
}

bool PaintSkinScrollBar(HDC dc, const TSkinData& skin, const RECT& rect, bool vertical, const TScrollValues& values,
                        TScrollPart active) {
  TBitmap* arrows = ImageOf(skin, skin.Scrollbar);
  if (arrows == nullptr) return false;
  const int len = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  const int thick = vertical ? rect.right - rect.left : rect.bottom - rect.top;
  if (len <= 0 || thick <= 0) return true;
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(vertical ? kStripThickness : len, vertical ? len : kStripThickness);
  HDC s = strip.Canvas().Handle();
  {
    UniqueBrush ground(CreateSolidBrush(ColorToRGB(skin.Colours.Scrollbar)));
    RECT all{0, 0, strip.Width(), strip.Height()};
    FillRect(s, &all, ground.get());
  }
  const int arrow = ArrowLength(len, thick);
  const auto& trackElement = vertical ? skin.VertScroll : skin.HorzScroll;
  if (TBitmap* track = ImageOf(skin, trackElement); track != nullptr && len - 2 * arrow > 0)
    DrawNineGrid(s, Along(vertical, arrow, len - arrow), *track, false, trackElement->Tile != 0,
                 trackElement->Trans == 1, Count(*trackElement), 1, Margins(*trackElement));
  const TDataSkinObject& a = *skin.Scrollbar;
  const int first = vertical ? (active == spUp ? 10 : 9) : (active == spLeft ? 2 : 1);
  const int second = vertical ? (active == spDown ? 14 : 13) : (active == spRight ? 6 : 5);
  DrawSkinFrame(s, Along(vertical, 0, arrow), *arrows, a.Trans == 1, Count(a), std::min(first, Count(a)));
  DrawSkinFrame(s, Along(vertical, len - arrow, len), *arrows, a.Trans == 1, Count(a), std::min(second, Count(a)));
  const int trackLength = len - 2 * arrow;
  const TThumb thumb =
      ThumbOf(values, trackLength, MinimumThumb(thick), GetSystemMetrics(vertical ? SM_CYVTHUMB : SM_CXHTHUMB));
  const auto& thumbElement = vertical ? skin.VertScrollThumb : skin.HorzScrollThumb;
  if (TBitmap* image = ImageOf(skin, thumbElement);
      image != nullptr && thumb.Valid && thumb.Size > 0 && trackLength >= thumb.Size) {
    const bool dragged = active == (vertical ? spVertThumb : spHorzThumb);
    const int start = arrow + thumb.Offset;
    DrawNineGrid(s, Along(vertical, start, start + thumb.Size), *image, false, thumbElement->Tile != 0,
                 thumbElement->Trans == 1, Count(*thumbElement), std::min(dragged ? 2 : 1, Count(*thumbElement)),
                 Margins(*thumbElement));
  }
  GdiFlush();
  const int mode = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, s, 0, 0, strip.Width(),
             strip.Height(), SRCCOPY);
  SetStretchBltMode(dc, mode);
  return true;
}

// ---------------------------------------------------------- TSkinScrollbar

TSkinScrollbar::~TSkinScrollbar() {
  *FAlive = false;
  // The system's own bars come back with the next frame paint, once the
  // hook is off.
  if (State != scDestroyed && Handle != nullptr && IsWindow(Handle))
    RedrawWindow(Handle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TSkinScrollbar::StartScroll() {
  ActivePart = spNone;
  FTracking = false;
  HorzArrow = VertArrow = 28;
  const auto style = GetWindowLongPtrW(Handle, GWL_STYLE);
  HasVertStyle = (style & WS_VSCROLL) != 0;
  HasHorzStyle = (style & WS_HSCROLL) != 0;
  wchar_t name[32] = {};
  GetClassNameW(Handle, name, 32);
  BarsSetOnPaint = _wcsicmp(name, WC_TREEVIEWW) == 0;
  SetWindowPos(Handle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TSkinScrollbar::InitScroll(TSkinControlHost* form, TSkinData* skinData, bool ownTracking, TWinControl* control) {
  if (Initialized) return;
  TSkinControl::InitControl(form, skinData, false, control);
  OwnTracking = ownTracking;
  StartScroll();
}

void TSkinScrollbar::InitWindow(HWND handle, TSkinData* skinData, TSkinControlHost* form) {
  if (Initialized) return;
  TSkinControl::InitWindow(handle, skinData, form);
  OwnTracking = false;
  StartScroll();
}

bool TSkinScrollbar::Usable() const {
  return SkinData != nullptr && SkinData->Scrollbar && SkinData->Scrollbar->Bitmap.Width > 0 && Handle != nullptr &&
         IsWindow(Handle);
}

TScrollBarRects TSkinScrollbar::Rects() const {
  RECT window, client;
  GetWindowRect(Handle, &window);
  GetClientRect(Handle, &client);
  const auto style = GetWindowLongPtrW(Handle, GWL_STYLE);
  const auto exStyle = GetWindowLongPtrW(Handle, GWL_EXSTYLE);
  return ScrollBarRects(window.right - window.left, window.bottom - window.top, client.right, client.bottom,
                        GetSystemMetrics(SM_CYHSCROLL), (style & WS_HSCROLL) != 0, (style & WS_VSCROLL) != 0,
                        (exStyle & WS_EX_LEFTSCROLLBAR) != 0);
}

TSkinScrollbar::TSeen TSkinScrollbar::Seen(int bar) const {
  TSeen seen;
  const auto style = GetWindowLongPtrW(Handle, GWL_STYLE);
  seen.Shown = (style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
  if (seen.Shown) ReadScroll(Handle, bar, seen.Values, seen.Track);
  return seen;
}

void TSkinScrollbar::Paint(HDC dc, const RECT& rect) {
  if (!Usable()) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w > kLargestWindow || h > kLargestWindow) return;
  FSeenHorz = Seen(SB_HORZ);
  FSeenVert = Seen(SB_VERT);
  FSeenSize = {w, h};
  FSeenPart = ActivePart;
  const TScrollBarRects r = Rects();
  const auto values = [&](const TSeen& seen, bool vertical) {
    TScrollValues v = seen.Values;
    // While the system tracks the thumb, it stands where the pointer put it.
    if (ActivePart == (vertical ? spVertThumb : spHorzThumb) && !FTracking) v.Pos = seen.Track;
    return v;
  };
  const auto moved = [&](const TScrollRect& s) {
    return RECT{s.Left + rect.left, s.Top + rect.top, s.Right + rect.left, s.Bottom + rect.top};
  };
  if (r.HasHorz) {
    HorzArrow = ArrowLength(r.Horz.Right - r.Horz.Left, r.Horz.Bottom - r.Horz.Top);
    PaintSkinScrollBar(dc, *SkinData, moved(r.Horz), false, values(FSeenHorz, false), ActivePart);
  }
  if (r.HasVert) {
    VertArrow = ArrowLength(r.Vert.Bottom - r.Vert.Top, r.Vert.Right - r.Vert.Left);
    PaintSkinScrollBar(dc, *SkinData, moved(r.Vert), true, values(FSeenVert, true), ActivePart);
  }
  if (r.HasCorner) FillFace(dc, moved(r.Corner));
}

void TSkinScrollbar::PaintBars() {
  if (FPainting || !Usable()) return;
  FPainting = true;
  try {
    RECT window;
    GetWindowRect(Handle, &window);
    WindowDc dc(Handle, WindowDc::TArea::Window);
    Paint(dc.get(), {0, 0, window.right - window.left, window.bottom - window.top});
  } catch (...) {
    SkinFault("the scroll bar's frame");
  }
  FPainting = false;
}

void TSkinScrollbar::SkinChanged() {
  TSkinControl::SkinChanged();
  if (Handle != nullptr && IsWindow(Handle)) RedrawWindow(Handle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

bool TSkinScrollbar::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  switch (m.Msg) {
    case WM_NCLBUTTONDOWN:
      if (OwnTracking && Usable() && (m.WParam == HTVSCROLL || m.WParam == HTHSCROLL)) {
        const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        if (TrackThumb(m.WParam == HTVSCROLL, p)) {
          m.Result = 0;
          return false;
        }
      }
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      // A child scroll-bar control's notice is not about our bars.
      if (m.LParam == 0) ActivePart = PartBeforeScroll(m.Msg == WM_VSCROLL, LOWORD(m.WParam));
      break;
    default:
      break;
  }
  return TSkinControl::BeforeMessage(m, passOn);
}

void TSkinScrollbar::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (m.LParam == 0) {
        ActivePart = PartAfterScroll(m.Msg == WM_VSCROLL, LOWORD(m.WParam), ActivePart);
        PaintBars();
      }
      return;
    case WM_NCMOUSEMOVE:
      // The system may light the part under the pointer.
      if (m.WParam == HTVSCROLL || m.WParam == HTHSCROLL) PaintBars();
      break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCLBUTTONUP:
    case WM_NCMOUSELEAVE:
    case WM_SYSCOMMAND:
      // The system's own tracking ends by drawing its bar once more.
    case WM_SIZE:
    case WM_NCPAINT:
    case WM_NCACTIVATE:
    case WM_WINDOWPOSCHANGED:
    case WM_ENABLE:
    case WM_STYLECHANGED:
      PaintBars();
      break;
    case WM_PRINT:
      if ((m.LParam & PRF_NONCLIENT) != 0 && m.WParam != 0 && Usable()) {
        RECT window;
        GetWindowRect(Handle, &window);
        Paint(reinterpret_cast<HDC>(m.WParam), {0, 0, window.right - window.left, window.bottom - window.top});
      }
      return;
    case WM_PAINT:
      if (BarsSetOnPaint) {
        PaintBars();
        return;
      }
      // The client is the control's own; the bars are not in it.
      break;
    case WM_NCCALCSIZE:
      break;
    case WM_NCDESTROY:
      return;
    default:
      TSkinControl::AfterMessage(m);
      break;
  }
  // The system draws its bars straight away whenever their values change
  // (the control scrolled, items came or went): ours go back over them.
  if (FPainting || FChecking || !Usable()) return;
  RECT window;
  GetWindowRect(Handle, &window);
  FChecking = true;
  const bool same = Seen(SB_VERT) == FSeenVert && Seen(SB_HORZ) == FSeenHorz;
  FChecking = false;
  if (same && ActivePart == FSeenPart && FSeenSize.cx == window.right - window.left &&
      FSeenSize.cy == window.bottom - window.top)
    return;
  PaintBars();
}

bool TSkinScrollbar::TrackThumb(bool vertical, POINT screen) {
  const TScrollBarRects r = Rects();
  if (!(vertical ? r.HasVert : r.HasHorz)) return false;
  const TScrollRect bar = vertical ? r.Vert : r.Horz;
  RECT frame;
  GetWindowRect(Handle, &frame);
  const int along = vertical ? screen.y - frame.top - bar.Top : screen.x - frame.left - bar.Left;
  const int len = vertical ? bar.Bottom - bar.Top : bar.Right - bar.Left;
  const int thick = vertical ? bar.Right - bar.Left : bar.Bottom - bar.Top;
  const int arrow = ArrowLength(len, thick);
  const int track = len - 2 * arrow;
  const int which = vertical ? SB_VERT : SB_HORZ;
  TScrollValues values;
  int ignored = 0;
  if (!ReadScroll(Handle, which, values, ignored)) return false;
  const TThumb thumb =
      ThumbOf(values, track, MinimumThumb(thick), GetSystemMetrics(vertical ? SM_CYVTHUMB : SM_CXHTHUMB));
  if (HitAlongBar(along, len, arrow, thumb) != shThumbTrack) return false;

  const std::shared_ptr<bool> alive = FAlive;
  const HWND window = Handle;
  const UINT scroll = vertical ? WM_VSCROLL : WM_HSCROLL;
  const int startAlong = static_cast<int>(vertical ? screen.y : screen.x);
  int pos = values.Pos;
  ActivePart = vertical ? spVertThumb : spHorzThumb;
  FTracking = true;
  PaintBars();
  SetCapture(window);
  for (;;) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (GetCapture() != window) break;
      WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP) break;
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
      DispatchMessageW(&msg);
      if (!*alive || !IsWindow(window)) return true;
      POINT cursor;
      GetCursorPos(&cursor);
      const int offset = std::max(0, thumb.Offset + static_cast<int>(vertical ? cursor.y : cursor.x) - startAlong);
      const int next = DragPosition(values, offset, track, thumb.Size);
      if (next != pos) {
        pos = next;
        SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, pos, 0};
        SetScrollInfo(window, which, &si, FALSE);
        SendMessageW(window, scroll, MAKEWPARAM(SB_THUMBTRACK, pos), 0);
        if (!*alive) return true;
        PaintBars();
      }
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (!*alive) return true;
  }
  if (GetCapture() == window) ReleaseCapture();
  if (!IsWindow(window)) return true;
  SendMessageW(window, scroll, MAKEWPARAM(SB_THUMBPOSITION, pos), 0);
  PostMessageW(window, scroll, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
  if (!*alive) return true;
  FTracking = false;
  ActivePart = spNone;
  PaintBars();
  return true;
}

// ------------------------------------------------------------- TSkinHeader

bool TSkinHeader::Usable() const {
  return SkinData != nullptr && SkinData->Headerbar && SkinData->Headerbar->Bitmap.Width > 0;
}

bool TSkinHeader::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  if (m.Msg == WM_ERASEBKGND && Usable()) {
    m.Result = 1;
    return false;
  }
  if (m.Msg == WM_PAINT && Usable()) {
    OwnPaint(m);
    return false;
  }
  return TSkinControl::BeforeMessage(m, passOn);
}

void TSkinHeader::AfterMessage(TMessage& m) {
  if (m.Msg == WM_PAINT) return;
  TSkinControl::AfterMessage(m);
}

void TSkinHeader::Paint(HDC dc, const RECT& rect) {
  if (!Usable()) return;
  const TDataSkinObject& e = *SkinData->Headerbar;
  TBitmap* image = SkinDeviceBitmap(*SkinData, e.Bitmap);
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (image == nullptr || w <= 0 || h <= 0) return;
  if (FBuffer.Width() != w || FBuffer.Height() != h) {
    FBuffer.SetPixelFormat(pf24bit);
    FBuffer.SetSize(w, h);
  }
  HDC buffer = FBuffer.Canvas().Handle();
  FillFace(buffer, {0, 0, w, h});
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(Handle, WM_GETFONT, 0, 0));
  SelectGuard select(buffer, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(buffer, TRANSPARENT);
  const bool enabled = IsWindowEnabled(Handle) != FALSE;
  SetTextColor(buffer, enabled ? ColorToRGB(SkinData->Colours.ButtonText) : GetSysColor(COLOR_BTNSHADOW));
  const auto section = [&](const RECT& r) {
    DrawNineGrid(buffer, r, *image, false, e.Tile != 0, e.Trans == 1, Count(e), 1, Margins(e));
  };
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(Handle, HDM_GETIMAGELIST, 0, 0));
  const int count = static_cast<int>(SendMessageW(Handle, HDM_GETITEMCOUNT, 0, 0));
  int right = 0;
  for (int i = 0; i < count; ++i) {
    RECT r{};
    if (!SendMessageW(Handle, HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) continue;
    right = std::max<int>(right, r.right);
    if (r.right <= r.left) continue;
    section(r);
    wchar_t text[201] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
    item.pszText = text;
    item.cchTextMax = 201;
    if (!SendMessageW(Handle, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item))) continue;
    text[200] = 0;
    int x = r.left + 2;
    if (images != nullptr && (item.fmt & (0x800 | 0x8000)) != 0 && item.iImage >= 0) {
      int cx = 0, cy = 0;
      ImageList_GetIconSize(images, &cx, &cy);
      ImageList_Draw(images, item.iImage, buffer, x, r.top + (r.bottom - r.top - cy) / 2, ILD_TRANSPARENT);
      x += cx + 2;
    }
    RECT place{x, r.top, r.right - 2, r.bottom};
    UINT align = DT_LEFT;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER) align = DT_CENTER;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT) align = DT_RIGHT;
    DrawTextWide(buffer, text, place, align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  if (right < w) section({right, 0, w, h});
  GdiFlush();
  BitBlt(dc, rect.left, rect.top, w, h, buffer, 0, 0, SRCCOPY);
}

// ----------------------------------------------------------- TSkinListView

void TSkinListView::InitScroll(TSkinControlHost* form, TSkinData* skinData, bool ownTracking, TWinControl* control) {
  if (Initialized) return;
  TSkinScrollbar::InitScroll(form, skinData, ownTracking, control);
  HWND header = reinterpret_cast<HWND>(SendMessageW(Handle, LVM_GETHEADER, 0, 0));
  if (header == nullptr || Header != nullptr) return;
  Header = new TSkinHeader(this);
  FreeNotification(Header);
  Header->InitWindow(header, skinData, form);
}

void TSkinListView::Notification(TComponent* component, bool removing) {
  TSkinScrollbar::Notification(component, removing);
  if (removing && component == Header) Header = nullptr;
}

// ---------------------------------------------------------- TSkinScControl

bool TSkinScControl::Usable() const {
  return SkinData != nullptr && SkinData->Scrollbar && SkinData->Scrollbar->Bitmap.Width > 0;
}

bool TSkinScControl::Vertical() const {
  return (GetWindowLongPtrW(Handle, GWL_STYLE) & SBS_VERT) != 0;
}

bool TSkinScControl::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  if (Usable()) switch (m.Msg) {
      case WM_PAINT:
        OwnPaint(m);
        return false;
      case WM_ERASEBKGND:
        m.Result = 1;
        return false;
      case CN_HSCROLL:
      case CN_VSCROLL:
        ActivePart = PartBeforeScroll(m.Msg == CN_VSCROLL, LOWORD(m.WParam));
        break;
      default:
        break;
    }
  return TSkinControl::BeforeMessage(m, passOn);
}

namespace {
bool IsScrollSetting(UINT msg) {
  return msg == SBM_SETPOS || msg == SBM_SETRANGE || msg == SBM_SETRANGEREDRAW || msg == SBM_SETSCROLLINFO ||
         msg == SBM_ENABLE_ARROWS;
}
}  // namespace

void TSkinScControl::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL:
      ActivePart = PartAfterScroll(m.Msg == CN_VSCROLL, LOWORD(m.WParam), ActivePart);
      PaintWindow();
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      // The system's own tracking has ended with the press.
      ActivePart = spNone;
      PaintWindow();
      return;
    case WM_PAINT:
    case WM_NCDESTROY:
      return;
    default:
      TSkinControl::AfterMessage(m);
      break;
  }
  // The program's own settings redraw the bar the system's way at once.
  if (!FChecking && Usable() && IsScrollSetting(m.Msg)) {
    PaintWindow();
    return;
  }
  // Reading a control's values is a message to it: none of those starts
  // another look.
  if (FChecking || (m.Msg >= SBM_SETPOS && m.Msg <= SBM_GETSCROLLBARINFO)) return;
  if (!Usable() || Handle == nullptr || !IsWindow(Handle)) return;
  FChecking = true;
  TScrollValues v;
  int track = 0;
  const bool read = ReadScroll(Handle, SB_CTL, v, track);
  FChecking = false;
  if (read &&
      (v.Min != FSeen.Min || v.Max != FSeen.Max || v.Page != FSeen.Page || v.Pos != FSeen.Pos || track != FSeenTrack))
    PaintWindow();
}

void TSkinScControl::Paint(HDC dc, const RECT& rect) {
  if (!Usable() || FChecking) return;
  const bool vertical = Vertical();
  TScrollValues v;
  FChecking = true;
  const bool read = ReadScroll(Handle, SB_CTL, v, FSeenTrack);
  FChecking = false;
  if (!read) return;
  FSeen = v;
  if (ActivePart == (vertical ? spVertThumb : spHorzThumb)) v.Pos = FSeenTrack;
  PaintSkinScrollBar(dc, *SkinData, rect, vertical, v, ActivePart);
}

// -------------------------------------------------------------- TSkinSizer

bool TSkinSizer::IsSizeBox() const {
  return (GetWindowLongPtrW(Handle, GWL_STYLE) & (SBS_SIZEBOX | SBS_SIZEGRIP)) != 0;
}

bool TSkinSizer::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  if (!IsSizeBox()) return TSkinScControl::BeforeMessage(m, passOn);
  if (m.Msg == WM_PAINT && SkinData != nullptr) {
    OwnPaint(m);
    return false;
  }
  if (m.Msg == WM_ERASEBKGND && SkinData != nullptr) {
    m.Result = 1;
    return false;
  }
  return TSkinControl::BeforeMessage(m, passOn);
}

void TSkinSizer::AfterMessage(TMessage& m) {
  if (!IsSizeBox()) {
    TSkinScControl::AfterMessage(m);
    return;
  }
  if (m.Msg == WM_PAINT) return;
  TSkinControl::AfterMessage(m);
}

void TSkinSizer::Paint(HDC dc, const RECT& rect) {
  if (!IsSizeBox()) {
    TSkinScControl::Paint(dc, rect);
    return;
  }
  if (SkinData == nullptr) return;
  FillFace(dc, rect);
  UniqueBrush shadow(CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonShadow)));
  FrameRect(dc, &rect, shadow.get());
}

}  // namespace pellamy
