// The frame's messages: one switch routes each to its handler. Some are
// answered for every skinned window, some only where the skin took the
// frame (FrameTaken), the non-client ones only while the window wears it
// (WearsFrame); everything else goes on to the window.
#include "base/Messages.h"
#include "skin/draw/SkinDraw.h"
#include "skin/frame/FrameBits.h"
#include "skin/frame/MenuLoopHook.h"
#include "skin/frame/WinSkinForm.h"
#include "skin/frame/WinSkinMenu.h"
#include "skin/model/SkinDeviceObjects_win32.h"
#include "skin/model/SkinManager.h"

namespace pellamy {

LRESULT CALLBACK FrameSubclassProc(HWND, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  return reinterpret_cast<TWinSkinForm*>(data)->FrameProc(msg, wparam, lparam);
}

LRESULT TWinSkinForm::PassOn(UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefSubclassProc(Handle, msg, wparam, lparam);
}

LRESULT TWinSkinForm::FrameProc(UINT msg, WPARAM wparam, LPARAM lparam) {
  const bool taken = FrameTaken();
  const bool wears = taken && WearsFrame();
  switch (msg) {
    // Every skinned window.
    case kSkinnedQuery:
      return OnSkinnedQuery(wparam, lparam);
    case WM_ERASEBKGND:
      return OnEraseBackground(wparam, lparam);
    case WM_STYLECHANGING:
      return OnStyleChanging(wparam, lparam);
    case WM_STYLECHANGED:
      if (wparam == static_cast<WPARAM>(GWL_STYLE))
        Style = static_cast<std::uint32_t>(reinterpret_cast<STYLESTRUCT*>(lparam)->styleNew);
      return PassOn(msg, wparam, lparam);
    case WM_NCDESTROY:
      return OnNcDestroy(wparam, lparam);
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return OnCtlColor(msg, wparam, lparam);
    case WM_SETTEXT:
      return OnSetText(wparam, lparam);
    case WM_INITMENUPOPUP: {
      // The library may have filled the sub-menu anew: the bar's drop-down
      // entries stay the frame's to draw.
      const LRESULT result = PassOn(msg, wparam, lparam);
      if (MenuLoopFrame() == this) MenuLoopInitPopup(reinterpret_cast<HMENU>(wparam));
      return result;
    }
    case WM_MENUSELECT:
      if (MenuLoopFrame() == this) MenuLoopSelect(wparam, lparam);
      return PassOn(msg, wparam, lparam);
    case WM_TIMER:
      if (wparam != kHoverTimer) return PassOn(msg, wparam, lparam);
      HoverCheck();
      return 0;

    // Where the skin took the frame.
    case WM_SIZE:
      return taken ? OnSize(wparam, lparam) : PassOn(msg, wparam, lparam);
    case WM_ACTIVATE:
      if (taken) Active = LOWORD(wparam) != WA_INACTIVE;
      return PassOn(msg, wparam, lparam);
    case WM_NCACTIVATE:
      return taken ? OnNcActivate(wparam, lparam) : PassOn(msg, wparam, lparam);
    case WM_GETMINMAXINFO:
      return taken ? OnGetMinMaxInfo(wparam, lparam) : PassOn(msg, wparam, lparam);
    case WM_WINDOWPOSCHANGED: {
      if (!taken) return PassOn(msg, wparam, lparam);
      ReadShowState();
      const LRESULT result = PassOn(msg, wparam, lparam);
      // Whoever put a menu back on the window: the bar takes it again.
      if (SkinMenuBar) SkinMenuBar->RetakeWindowMenu();
      return result;
    }
    case WM_COMMAND:
      return taken ? OnCommand(wparam, lparam) : PassOn(msg, wparam, lparam);
    case WM_SYSCOMMAND:
      return taken ? OnSysCommand(wparam, lparam) : PassOn(msg, wparam, lparam);
    case kActivateSkinned:
      if (!taken) return PassOn(msg, wparam, lparam);
      Activate();
      return 0;
    case CM_MENUCHANGED:
      return taken ? OnMenuChanged(wparam, lparam) : PassOn(msg, wparam, lparam);

    // While the window wears the frame.
    case WM_NCCALCSIZE:
      return wears ? OnNcCalcSize(wparam, lparam) : PassOn(msg, wparam, lparam);
    case WM_NCHITTEST:
      return wears ? OnNcHitTest(wparam, lparam) : PassOn(msg, wparam, lparam);
    case WM_NCPAINT:
      return wears ? OnNcPaint(wparam, lparam) : PassOn(msg, wparam, lparam);
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
      return wears ? OnNcMouse(msg, wparam, lparam) : PassOn(msg, wparam, lparam);
    case kRepaintFrame:
      if (!wears) return PassOn(msg, wparam, lparam);
      PaintFrame();
      return 0;
    case WM_MEASUREITEM:
    case WM_DRAWITEM: {
      LRESULT result = 0;
      if (wears && MenuItemMessage(msg, wparam, lparam, result)) return result;
      return PassOn(msg, wparam, lparam);
    }
    default:
      return PassOn(msg, wparam, lparam);
  }
}

LRESULT TWinSkinForm::OnSkinnedQuery(WPARAM wparam, LPARAM lparam) {
  // A caption button's action the frame has no use for: the window's.
  if (lparam == 0 && wparam != 0) return PassOn(kSkinnedQuery, wparam, lparam);
  return 1;
}

LRESULT TWinSkinForm::OnEraseBackground(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = PassOn(WM_ERASEBKGND, wparam, lparam);
  if (Form == nullptr && SkinData != nullptr) {
    if (HBRUSH face = FaceBrush(*SkinData)) {
      RECT client;
      GetClientRect(Handle, &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client, face);
      return 1;
    }
  }
  return result;
}

LRESULT TWinSkinForm::OnStyleChanging(WPARAM wparam, LPARAM lparam) {
  // Whoever rewrites the styles (a form's border setters among them) does
  // not put back the caption the frame took over; the boxes it asks for
  // still count.
  if (wparam == static_cast<WPARAM>(GWL_STYLE) && !FOwnStyleChange && (Capabilities & fcCaptionRemoved) != 0 &&
      Phase != TFramePhase::Destroying) {
    auto* change = reinterpret_cast<STYLESTRUCT*>(lparam);
    Capabilities = (Capabilities & fcCaptionRemoved) | CapabilitiesOf(change->styleNew, SystemMenu != nullptr);
    change->styleNew &= ~(style::Caption | style::SystemMenu | style::MinimizeBox | style::MaximizeBox);
  }
  return PassOn(WM_STYLECHANGING, wparam, lparam);
}

LRESULT TWinSkinForm::OnNcDestroy(WPARAM wparam, LPARAM lparam) {
  Phase = TFramePhase::Destroying;
  HWND window = Handle;
  ReleaseHooks(false);
  const LRESULT result = DefSubclassProc(window, WM_NCDESTROY, wparam, lparam);
  Phase = TFramePhase::Destroyed;
  return result;
}

LRESULT TWinSkinForm::OnCtlColor(UINT msg, WPARAM wparam, LPARAM lparam) {
  const LRESULT result = PassOn(msg, wparam, lparam);
  if (Form == nullptr && SkinData != nullptr) {
    SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
    if (msg == WM_CTLCOLORSTATIC)
      if (HBRUSH face = FaceBrush(*SkinData)) return reinterpret_cast<LRESULT>(face);
  }
  return result;
}

LRESULT TWinSkinForm::OnSetText(WPARAM wparam, LPARAM lparam) {
  // Forms repaint from their hook; a plain window's caption is ours.
  const LRESULT result = PassOn(WM_SETTEXT, wparam, lparam);
  if (Form == nullptr && FrameSkinned) PaintAfterChange();
  return result;
}

LRESULT TWinSkinForm::OnSize(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = PassOn(WM_SIZE, wparam, lparam);
  ShowState = wparam == SIZE_MINIMIZED   ? TShowState::Minimized
              : wparam == SIZE_MAXIMIZED ? TShowState::Maximized
                                         : TShowState::Normal;
  // A maximised window wears the shape of its new size too; MDI children
  // have none while one of them is maximised.
  if ((Phase == TFramePhase::Active || Phase == TFramePhase::ApplyingSkin) &&
      !(MdiKind == TMdiRole::Child && MdiChildMaximized()))
    UpdateWindowRegion();
  return result;
}

LRESULT TWinSkinForm::OnNcActivate(WPARAM wparam, LPARAM lparam) {
  Active = wparam != FALSE;
  if (!WearsFrame()) return PassOn(WM_NCACTIVATE, wparam, lparam);
  StartHover(Active);
  PaintFrame();
  return 1;
}

LRESULT TWinSkinForm::OnGetMinMaxInfo(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = PassOn(WM_GETMINMAXINFO, wparam, lparam);
  ReadShowState();
  if (ShowState == TShowState::Minimized) {
    SetCaptionStyles(true);
  } else if (MdiKind != TMdiRole::Child) {
    SetCaptionStyles(false);
  } else if (ShowState == TShowState::Normal && !MdiChildMaximized()) {
    // While a child is maximised the show state read here is the one
    // before the change: the captions stay until the frame ends it.
    SetCaptionStyles(false);
  } else {
    SetCaptionStyles(true);
  }
  auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
  info->ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
  return result;
}

LRESULT TWinSkinForm::OnCommand(WPARAM wparam, LPARAM lparam) {
  // The skinned system menu's items come as commands.
  switch (LOWORD(wparam)) {
    case SC_SIZE:
    case SC_MOVE:
    case SC_MINIMIZE:
    case SC_MAXIMIZE:
    case SC_NEXTWINDOW:
    case SC_PREVWINDOW:
    case SC_CLOSE:
    case SC_RESTORE:
      PostMessageW(Handle, WM_SYSCOMMAND, LOWORD(wparam), 0);
      return 0;
    default:
      return PassOn(WM_COMMAND, wparam, lparam);
  }
}

LRESULT TWinSkinForm::OnSysCommand(WPARAM wparam, LPARAM lparam) {
  const UINT command = static_cast<UINT>(wparam & 0xFFF0);
  switch (command) {
    case SC_KEYMENU: {
      LRESULT result = 0;
      if (KeyMenu(lparam, result)) return result;
      break;
    }
    case SC_MINIMIZE:
      ShowState = TShowState::Minimized;
      if (MdiKind == TMdiRole::Child) SetCaptionStyles(true);
      break;
    case SC_MAXIMIZE:
      ShowState = TShowState::Maximized;
      if (MdiKind == TMdiRole::Child) return MaximizeMdiChild(wparam, lparam);
      break;
    case SC_RESTORE:
      ShowState = TShowState::Normal;
      if (MdiKind == TMdiRole::Child) return RestoreMdiChild(wparam, lparam);
      break;
    default:
      break;
  }
  return PassOn(WM_SYSCOMMAND, wparam, lparam);
}

LRESULT TWinSkinForm::OnMenuChanged(WPARAM wparam, LPARAM lparam) {
  // The library rebuilds the bar; the system must not paint its own frame
  // meanwhile.
  const bool enabled = SkinData->NCPaintEnabled;
  SkinData->NCPaintEnabled = false;
  const LRESULT result = PassOn(CM_MENUCHANGED, wparam, lparam);
  SkinData->NCPaintEnabled = enabled;
  if (SkinMenuBar) {
    SkinMenuBar->TakeWindowMenu();
    PaintFrame();
  }
  return result;
}

LRESULT TWinSkinForm::OnNcCalcSize(WPARAM wparam, LPARAM lparam) {
  // The default handling rewrites the rectangle; the proposed window
  // rectangle is what the skin's frame is taken from.
  RECT proposed{};
  if (wparam != 0) proposed = reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam)->rgrc[0];
  PassOn(WM_NCCALCSIZE, wparam, lparam);
  if (wparam == 0) return 0;
  auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam);
  if (BorderKind == bkPopup) {
    params->rgrc[1] = params->rgrc[0];
    return WVR_REDRAW;
  }
  const TSkinRect client = FrameClientRect(proposed.left, proposed.top, proposed.right - proposed.left,
                                           proposed.bottom - proposed.top, Metrics, MenuHeight);
  params->rgrc[0] = ToRect(client);
  if (params->rgrc[0].right < params->rgrc[0].left) params->rgrc[0].right = params->rgrc[0].left;
  if (params->rgrc[0].bottom < params->rgrc[0].top) params->rgrc[0].bottom = params->rgrc[0].top;
  params->rgrc[1] = params->rgrc[0];
  return WVR_REDRAW;
}

LRESULT TWinSkinForm::OnNcHitTest(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = PassOn(WM_NCHITTEST, wparam, lparam);
  // Without a caption the system finds nothing above the client.
  if (result == HTNOWHERE || (result == HTMENU && SkinMenuBar)) return FrameHitCode(FramePoint(lparam).y, Metrics.Top);
  return result;
}

LRESULT TWinSkinForm::OnNcPaint(WPARAM wparam, LPARAM lparam) {
  if (SkinData == nullptr || !SkinData->NCPaintEnabled || BorderKind == bkPopup)
    return PassOn(WM_NCPAINT, wparam, lparam);
  PaintFrame();
  return 0;
}

void TWinSkinForm::FormHook(TMessage& m) {
  switch (m.Msg) {
    case WM_SETTEXT:
      (*FOldFormHandler)(m);
      if (FrameSkinned && Phase == TFramePhase::Active) PaintAfterChange();
      return;
    case kSkinChangedNotice:
      ApplySkinChange();
      return;
    case CM_DIALOGCHAR:
      if (!DialogChar(m)) (*FOldFormHandler)(m);
      return;
    default:
      (*FOldFormHandler)(m);
      return;
  }
}

}  // namespace pellamy
