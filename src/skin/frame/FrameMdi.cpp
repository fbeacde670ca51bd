// MDI: the frame's layer over its MDI client (new children handed to the
// manager, the bar rebuilt as the client changes the menu), the buttons of
// the active child on the frame's bar, and the children's captions while one
// of them is maximised. Whether one is, the client answers.
#include "skin/frame/FrameBits.h"
#include "skin/frame/WinSkinForm.h"
#include "skin/frame/WinSkinMenu.h"
#include "skin/model/SkinManager.h"

namespace pellamy {

LRESULT CALLBACK ClientSubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  return reinterpret_cast<TWinSkinForm*>(data)->ClientProc(hwnd, msg, wparam, lparam);
}

bool TWinSkinForm::MdiChildMaximized() const {
  if (MdiClient == nullptr) return false;
  BOOL maximised = FALSE;
  SendMessageW(MdiClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised));
  if (maximised) return true;
  // The client learns of a maximised child only as the system sizes it.
  for (HWND child = GetWindow(MdiClient, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    if (const TWinSkinForm* frame = FrameOfWindow(child); frame != nullptr && frame->FMaximizing) return true;
  return false;
}

void TWinSkinForm::WearSystemCaption() {
  SetCaptionStyles(true);
  FrameChanged(Handle);
}

void TWinSkinForm::MdiChildrenWearSystemCaptions(bool on) {
  if (MdiClient == nullptr) return;
  for (HWND child = GetWindow(MdiClient, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    TWinSkinForm* f = FrameOfWindow(child);
    if (f == nullptr || f->MdiKind != TMdiRole::Child || !f->FrameSkinned) continue;
    if (on) {
      SetWindowRgn(f->Handle, nullptr, TRUE);
      f->OwnsRegion = false;
      f->SetCaptionStyles(true);
    } else if (f->ShowState == TShowState::Minimized) {
      f->SetCaptionStyles(true);
    } else {
      // The system gives a restored child back the rectangle it had, the
      // skin's frame included: only the caption comes off again.
      f->ShowState = TShowState::Normal;
      f->SetCaptionStyles(false);
      FrameChanged(f->Handle);
      f->UpdateWindowRegion();
    }
  }
}

LRESULT TWinSkinForm::MaximizeMdiChild(WPARAM wparam, LPARAM lparam) {
  // The children get their own captions back before the system sizes this
  // one: a maximised child's caption then lies outside the client, under
  // the frame's bar, and the child fills the client.
  const bool already = MdiChildMaximized();
  FMaximizing = true;
  if (!already) MdiChildrenWearSystemCaptions(true);
  const LRESULT result = PassOn(WM_SYSCOMMAND, wparam, lparam);
  FMaximizing = false;
  return result;
}

LRESULT TWinSkinForm::RestoreMdiChild(WPARAM wparam, LPARAM lparam) {
  const bool wasMaximised = MdiChildMaximized();
  SetCaptionStyles(false);
  const LRESULT result = PassOn(WM_SYSCOMMAND, wparam, lparam);
  if (wasMaximised && !MdiChildMaximized()) MdiChildrenWearSystemCaptions(false);
  return result;
}

void TWinSkinForm::MdiChildCommand(UINT command) {
  if (MdiKind != TMdiRole::Frame || MdiClient == nullptr) return;
  if (HWND child = reinterpret_cast<HWND>(SendMessageW(MdiClient, WM_MDIGETACTIVE, 0, 0)))
    SendMessageW(child, WM_SYSCOMMAND, command, 0);
}

LRESULT TWinSkinForm::ClientProc(HWND client, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_NCDESTROY: {
      const LRESULT result = DefSubclassProc(client, msg, wparam, lparam);
      RemoveWindowSubclass(client, &ClientSubclassProc, kClientSubclassId);
      FClientSubclassed = false;
      return result;
    }
    case WM_NCCALCSIZE:
      if (FrameSkinned) {
        const auto s = static_cast<DWORD>(GetWindowLongPtrW(client, GWL_STYLE));
        if (s & (WS_HSCROLL | WS_VSCROLL)) SetWindowLongPtrW(client, GWL_STYLE, s & ~(WS_HSCROLL | WS_VSCROLL));
      }
      return DefSubclassProc(client, msg, wparam, lparam);
    case WM_MDICREATE: {
      if (SkinData != nullptr) SkinData->SetMenuUpdate(false);
      const LRESULT result = DefSubclassProc(client, msg, wparam, lparam);
      NewMdiChild = reinterpret_cast<HWND>(result);
      return result;
    }
    case WM_MDIDESTROY: {
      const LRESULT result = DefSubclassProc(client, msg, wparam, lparam);
      if (FrameSkinned && SkinData != nullptr && !MdiChildMaximized()) SkinData->SetMenuUpdate(FSavedMenuUpdate);
      return result;
    }
    case WM_MDISETMENU: {
      const LRESULT result = DefSubclassProc(client, msg, wparam, lparam);
      if (FrameSkinned && SkinMenuBar && wparam != 0) SkinMenuBar->TakeWindowMenu();
      return result;
    }
    case WM_MDIREFRESHMENU: {
      const LRESULT result = DefSubclassProc(client, msg, wparam, lparam);
      if (NewMdiChild != nullptr) {
        if (SkinManager != nullptr) SkinManager->AddWindow(NewMdiChild);
        PostMessageW(Handle, kRepaintFrame, 0, 0);
        NewMdiChild = nullptr;
      }
      return result;
    }
    default:
      return DefSubclassProc(client, msg, wparam, lparam);
  }
}

}  // namespace pellamy
