// The frame's non-client input: hover, press and release of the caption
// buttons and the bar's buttons, the buttons' actions, double clicks on the
// caption, and the timer that lets go of a hot item the mouse left.
#include "skin/frame/FrameBits.h"
#include "skin/frame/WinSkinForm.h"
#include "skin/frame/WinSkinMenu.h"

namespace pellamy {

// ------------------------------------------------------------- TNCObject

void TNCObject::MouseDown() {
  if (Owner->HotItem != nullptr && Owner->HotItem != this) Owner->HotItem->MouseLeave();
  if (!Visible) return;
  Owner->HotItem = this;
  State = TButtonState::Pressed;
  Paint();
}

void TNCObject::MouseUp() {
  if (!Visible) return;
  State = TButtonState::Hot;
  Paint();
}

void TNCObject::MouseMove() {
  if (Owner->HotItem != nullptr && Owner->HotItem != this) Owner->HotItem->MouseLeave();
  if (Owner->HotItem == this || !Visible) return;
  Owner->HotItem = this;
  State = TButtonState::Hot;
  Paint();
}

void TNCObject::MouseLeave() {
  if (!Visible) return;
  Owner->HotItem = nullptr;
  State = TButtonState::Normal;
  Paint();
}

void TWinSysButton::Paint() {
  Owner->PaintCaptionButton(*this);
}

// ---------------------------------------------------------- TWinSkinForm

POINT TWinSkinForm::FramePoint(LPARAM screenPoint) const {
  // Signed: a monitor left of or above the primary has negative points.
  POINT p{PointX(screenPoint), PointY(screenPoint)};
  ScreenToClient(Handle, &p);
  if (!IsIconic(Handle)) {
    p.x += Metrics.Left;
    p.y += Metrics.Top + MenuHeight;
  }
  return p;
}

TNCObject* TWinSkinForm::ItemAt(POINT p) const {
  for (const auto& button : CaptionButtons)
    if (button->Visible && button->ButtonData->Action >= 0 && PtInRect(&button->Bounds, p)) return button.get();
  return SkinMenuBar ? SkinMenuBar->ButtonAt(p) : nullptr;
}

LRESULT TWinSkinForm::OnNcMouse(UINT msg, WPARAM wparam, LPARAM lparam) {
  const POINT p = FramePoint(lparam);
  TNCObject* item = ItemAt(p);
  switch (msg) {
    case WM_NCMOUSEMOVE:
      if (!Active) break;
      if (item != nullptr) {
        item->MouseMove();
        return 0;
      }
      if (HotItem != nullptr) HotItem->MouseLeave();
      break;
    case WM_NCLBUTTONDOWN:
      if (item != nullptr) {
        if (!Active) SetForegroundWindow(Handle);
        item->MouseDown();
        PressedItem = dynamic_cast<TWinSysButton*>(item);
        if (auto* menuButton = dynamic_cast<TMenuBtn*>(item)) SkinMenuBar->OpenButtonMenu(*menuButton);
        return 0;
      }
      PressedItem = nullptr;
      // The system would track its own bar, which it laid out elsewhere.
      if (wparam == HTMENU && SkinMenuBar) return 0;
      // A maximised window is not dragged by its caption.
      if (ShowState == TShowState::Maximized && Active && wparam == HTCAPTION) return 0;
      break;
    case WM_NCLBUTTONUP: {
      const bool pressedHere = item != nullptr && item == PressedItem;
      PressedItem = nullptr;
      if (item == nullptr) break;
      auto* button = dynamic_cast<TWinSysButton*>(item);
      if (pressedHere && button != nullptr) {
        item->MouseUp();
        ButtonAction(*button, {PointX(lparam), PointY(lparam)});
      }
      return 0;
    }
    case WM_NCLBUTTONDBLCLK:
      if (item != nullptr) {
        // The second press of a double click on a button is a press.
        item->MouseDown();
        PressedItem = dynamic_cast<TWinSysButton*>(item);
        return 0;
      }
      if (wparam != HTCAPTION) {
        // Only the caption maximises; the system's bar is not ours to track.
        if (wparam == HTMENU && SkinMenuBar) return 0;
        break;
      }
      if (ShowState == TShowState::Maximized || ShowState == TShowState::Minimized) {
        Restore();
      } else if (Capabilities & fcMaximize) {
        Maximize();
      } else {
        break;
      }
      return 0;
    case WM_NCRBUTTONDOWN:
      if (wparam == HTCAPTION && MdiKind != TMdiRole::Child) {
        ShowSystemMenu(PointX(lparam), PointY(lparam), false);
        return 0;
      }
      break;
    default:
      break;
  }
  return PassOn(msg, wparam, lparam);
}

void TWinSkinForm::StartHover(bool on) {
  if (!on && DialogHotButton != nullptr) {
    DialogHotButton->MouseLeave();
    DialogHotButton = nullptr;
  }
  if (on == FHoverRunning) return;
  FHoverRunning = on;
  if (on) {
    SetTimer(Handle, kHoverTimer, 250, nullptr);
  } else {
    KillTimer(Handle, kHoverTimer);
  }
}

void TWinSkinForm::HoverCheck() {
  if (Form == nullptr && DialogHotButton != nullptr) {
    POINT cursor;
    GetCursorPos(&cursor);
    RECT r;
    GetWindowRect(DialogHotButton->Handle, &r);
    if (!PtInRect(&r, cursor)) {
      DialogHotButton->MouseLeave();
      DialogHotButton = nullptr;
    }
  }
  if (Tracking || HotItem == nullptr) return;
  POINT cursor;
  GetCursorPos(&cursor);
  const POINT p = FramePoint(MAKELPARAM(cursor.x, cursor.y));
  if (!PtInRect(&HotItem->Bounds, p)) HotItem->MouseLeave();
}

void TWinSkinForm::CloseWindow() {
  StartHover(false);
  PostMessageW(Handle, WM_CLOSE, 0, 0);
}

void TWinSkinForm::Restore() {
  ShowState = TShowState::Normal;
  PostMessageW(Handle, WM_SYSCOMMAND, SC_RESTORE, 0);
}

void TWinSkinForm::Maximize() {
  if (ShowState == TShowState::Maximized) return Restore();
  ShowState = TShowState::Maximized;
  PostMessageW(Handle, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  HotItem = nullptr;
}

void TWinSkinForm::Minimize() {
  if (ShowState == TShowState::Minimized) return Restore();
  ShowState = TShowState::Minimized;
  PostMessageW(Handle, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void TWinSkinForm::ButtonAction(TWinSysButton& button, POINT screenPoint) {
  switch (CaptionActionOf(button.ButtonData->Action)) {
    case TCaptionAction::Close:
      CloseWindow();
      break;
    case TCaptionAction::Maximize:
      Maximize();
      break;
    case TCaptionAction::Minimize:
      Minimize();
      break;
    case TCaptionAction::SystemMenu:
      ShowSystemMenu(screenPoint.x + 1, screenPoint.y + 1, true);
      break;
    case TCaptionAction::MdiMinimize:
      MdiChildCommand(SC_MINIMIZE);
      break;
    case TCaptionAction::MdiRestore:
      MdiChildCommand(SC_RESTORE);
      break;
    case TCaptionAction::MdiClose:
      MdiChildCommand(SC_CLOSE);
      break;
    case TCaptionAction::Other:
      PostMessageW(Handle, kSkinnedQuery, static_cast<WPARAM>(button.ButtonData->Action), 0);
      break;
  }
}

}  // namespace pellamy
