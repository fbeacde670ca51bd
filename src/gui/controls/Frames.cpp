#include "gui/controls/Frames.h"

#include <windowsx.h>

#include <algorithm>

namespace pellamy {

// ---------------------------------------------------- TScrollingWinControl

TScrollingWinControl::TScrollingWinControl(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 41);
}

SIZE TScrollingWinControl::ContentSize() const {
  SIZE size{0, 0};
  for (int i = 0; i < ControlCount(); ++i) {
    const TControl* c = Controls(i);
    if (!c->Visible()) continue;
    size.cx = std::max<LONG>(size.cx, c->Left() + c->Width() + FHorzPos);
    size.cy = std::max<LONG>(size.cy, c->Top() + c->Height() + FVertPos);
  }
  return size;
}

void TScrollingWinControl::CreateHandleDone() {
  UpdateScrollBars();
}

void TScrollingWinControl::UpdateScrollBars() {
  if (!HandleAllocated() || FUpdating) return;
  FUpdating = true;
  HWND h = Handle();
  // A bar that appears narrows the client area, which may call for the
  // other bar: a few rounds settle it.
  for (int round = 0; round < 3; ++round) {
    RECT client;
    GetClientRect(h, &client);
    const SIZE content = ContentSize();
    SCROLLINFO horz{
        sizeof(horz), SIF_RANGE | SIF_PAGE, 0, std::max<int>(content.cx - 1, 0), static_cast<UINT>(client.right), 0, 0};
    SCROLLINFO vert{sizeof(vert),
                    SIF_RANGE | SIF_PAGE,
                    0,
                    std::max<int>(content.cy - 1, 0),
                    static_cast<UINT>(client.bottom),
                    0,
                    0};
    SetScrollInfo(h, SB_HORZ, &horz, TRUE);
    SetScrollInfo(h, SB_VERT, &vert, TRUE);
    RECT after;
    GetClientRect(h, &after);
    if (EqualRect(&client, &after)) break;
  }
  // A grown client area may leave nothing to show past the end.
  RECT client;
  GetClientRect(h, &client);
  const SIZE content = ContentSize();
  FUpdating = false;
  ScrollTo(std::clamp<int>(FHorzPos, 0, std::max<int>(content.cx - client.right, 0)),
           std::clamp<int>(FVertPos, 0, std::max<int>(content.cy - client.bottom, 0)));
}

void TScrollingWinControl::MoveChildren(int dx, int dy) {
  FUpdating = true;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetBounds(c->Left() - dx, c->Top() - dy, c->Width(), c->Height());
  }
  FUpdating = false;
}

void TScrollingWinControl::ScrollTo(int x, int y) {
  x = std::max(x, 0), y = std::max(y, 0);
  const int dx = x - FHorzPos, dy = y - FVertPos;
  if (dx == 0 && dy == 0) {
    if (HandleAllocated()) {
      SetScrollPos(Handle(), SB_HORZ, FHorzPos, TRUE);
      SetScrollPos(Handle(), SB_VERT, FVertPos, TRUE);
    }
    return;
  }
  FHorzPos = x, FVertPos = y;
  MoveChildren(dx, dy);
  if (HandleAllocated()) {
    SetScrollPos(Handle(), SB_HORZ, FHorzPos, TRUE);
    SetScrollPos(Handle(), SB_VERT, FVertPos, TRUE);
    InvalidateRect(Handle(), nullptr, FALSE);
  }
}

void TScrollingWinControl::ScrollInView(TControl* control) {
  if (control == nullptr || control->Parent() != this) return;
  const RECT client = ClientRect();
  int x = FHorzPos, y = FVertPos;
  if (control->Left() < 0)
    x += control->Left();
  else if (control->Left() + control->Width() > client.right)
    x += std::min(control->Left(), control->Left() + control->Width() - static_cast<int>(client.right));
  if (control->Top() < 0)
    y += control->Top();
  else if (control->Top() + control->Height() > client.bottom)
    y += std::min(control->Top(), control->Top() + control->Height() - static_cast<int>(client.bottom));
  ScrollTo(x, y);
}

void TScrollingWinControl::Scroll(int bar, int code, int thumb) {
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(Handle(), bar, &si);
  const int page = static_cast<int>(si.nPage);
  const int top = std::max(si.nMax - std::max(page - 1, 0), 0);
  int position = bar == SB_HORZ ? FHorzPos : FVertPos;
  switch (code) {
    case SB_LINEUP:
      position -= FIncrement;
      break;
    case SB_LINEDOWN:
      position += FIncrement;
      break;
    case SB_PAGEUP:
      position -= std::max(page, 1);
      break;
    case SB_PAGEDOWN:
      position += std::max(page, 1);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      // The message's 16 bits while they suffice, else the bar's own.
      position = si.nMax <= 0xFFFF ? thumb : si.nTrackPos;
      break;
    case SB_TOP:
      position = 0;
      break;
    case SB_BOTTOM:
      position = top;
      break;
    default:
      return;
  }
  position = std::clamp(position, 0, top);
  if (bar == SB_HORZ)
    ScrollTo(position, FVertPos);
  else
    ScrollTo(FHorzPos, position);
}

void TScrollingWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      // Our own bars; a scroll bar control's messages go to that control.
      if (m.LParam == 0) {
        Scroll(m.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(m.WParam), HIWORD(m.WParam));
        m.Result = 0;
        return;
      }
      break;
    case WM_MOUSEWHEEL: {
      const SIZE content = ContentSize();
      const RECT client = ClientRect();
      // Nothing to scroll: the parent may want the wheel.
      if (content.cy <= client.bottom) break;
      FWheelRest += GET_WHEEL_DELTA_WPARAM(m.WParam);
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      const int notches = FWheelRest / WHEEL_DELTA;
      FWheelRest %= WHEEL_DELTA;
      if (notches != 0) {
        const int step = lines == WHEEL_PAGESCROLL ? client.bottom : static_cast<int>(lines) * FIncrement;
        ScrollTo(FHorzPos, std::clamp<int>(FVertPos - notches * step, 0, content.cy - client.bottom));
      }
      m.Result = 0;
      return;
    }
    case CM_CONTROLCHANGE:
      UpdateScrollBars();
      return;
    case WM_SIZE:
      TWinControl::WndProc(m);
      UpdateScrollBars();
      return;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

// -------------------------------------------------------------- TScrollBox

TScrollBox::TScrollBox(TComponent* owner) : TScrollingWinControl(owner) {
  SetBounds(0, 0, 185, 41);
  SetTabStop(false);
}

void TScrollBox::SetBorderStyle(TFormBorderStyle style) {
  style = style == bsNone ? bsNone : bsSingle;
  if (FBorderStyle == style) return;
  FBorderStyle = style;
  if (HandleAllocated()) {
    LONG_PTR ex = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
    ex = style == bsSingle ? (ex | WS_EX_CLIENTEDGE) : (ex & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
    SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ex);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

void TScrollBox::CreateParams(TCreateParams& p) {
  TScrollingWinControl::CreateParams(p);
  if (FBorderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TScrollBox::DefineProperties(TPropertyTable& table) const {
  TScrollingWinControl::DefineProperties(table);
  auto* self = const_cast<TScrollBox*>(this);
  table["BorderStyle"] = EnumProp(
      {"bsNone", "bsSingle"}, [self] { return int(self->FBorderStyle); },
      [self](int v) { self->SetBorderStyle(TFormBorderStyle(v)); });
}

// ------------------------------------------------------------ TCustomFrame

TCustomFrame::TCustomFrame(TComponent* owner) : TScrollingWinControl(owner) {
  SetBounds(0, 0, 320, 240);
}

}  // namespace pellamy
