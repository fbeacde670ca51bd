#include "gui/forms/Forms.h"

#include <windowsx.h>

#include <algorithm>
#include <set>
#include <utility>

#include "base/Exceptions.h"
#include "gui/controls/StdCtrls.h"
#include "gui/forms/Application.h"
#include "gui/forms/Menus.h"
#include "gui/gdi/WideText.h"
#include "gui/gdi/WindowClass.h"

namespace pellamy {

namespace {

// The ids the MDI client gives the children it lists in the window menu;
// menu items keep below them.
constexpr UINT kFirstMDIChildId = 0xFF00;

// MDI forms alive, oldest first: an MDI child without an MDI main form goes
// into the last one.
std::vector<TForm*>& MDIForms() {
  static std::vector<TForm*> forms;
  return forms;
}

// The form whose MDI child window is being made: its creation data comes
// wrapped by the MDI client.
TForm* gCreatingMDIChild = nullptr;

TForm* FindMDIFrame() {
  if (Application() != nullptr)
    if (TForm* main = Application()->MainForm(); main != nullptr && main->FormStyle() == fsMDIForm) return main;
  return MDIForms().empty() ? nullptr : MDIForms().back();
}

}  // namespace

TForm::TForm(TComponent* owner) : TCustomControl(owner) {
  SetVisible(false);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);
  SetParentFont(false);
}

TForm::~TForm() {
  SetComponentStateFlag(csDestroying, true);
  if (Application() != nullptr) Application()->RemoveForm(this);
  auto& frames = MDIForms();
  frames.erase(std::remove(frames.begin(), frames.end(), this), frames.end());
  // The window goes while this is still a form: its MDI children and menus
  // hear of it.
  DestroyFormHandle();
  if (FMenu != nullptr) FMenu->FForm = nullptr;
  FMenu = nullptr;
}

void TForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  FBorderStyle = style;
  if (HandleAllocated()) {
    TCreateParams p;
    CreateParams(p);
    SetWindowLongPtrW(Handle(), GWL_STYLE, static_cast<LONG_PTR>(p.Style));
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
}

void TForm::SetBorderIcons(unsigned icons) {
  FBorderIcons = icons;
  SetBorderStyle(FBorderStyle);
}

void TForm::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  if (Parent() != nullptr) {
    // Embedded: a plain child window laid out like any control.
    p.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (Visible() ? WS_VISIBLE : 0);
    p.ExStyle = WS_EX_CONTROLPARENT;
    return;
  }
  p.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  p.WndParent = nullptr;
  if (FFormStyle == fsMDIChild) {
    p.Style |= WS_CHILD;
    if (Visible()) p.Style |= WS_VISIBLE;
  }
  if (FFormStyle == fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
  switch (FBorderStyle) {
    case bsNone:
      p.Style |= WS_POPUP;
      break;
    case bsSingle:
    case bsToolWindow:
      p.Style |= WS_CAPTION | WS_BORDER;
      break;
    case bsDialog:
      p.Style |= WS_CAPTION | WS_DLGFRAME;
      p.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      p.Style |= WS_CAPTION | WS_THICKFRAME;
      break;
  }
  if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) p.ExStyle |= WS_EX_TOOLWINDOW;
  if (FBorderStyle != bsNone && (FBorderIcons & biSystemMenu) != 0) {
    p.Style |= WS_SYSMENU;
    if (FBorderStyle != bsDialog) {
      if (FBorderIcons & biMinimize) p.Style |= WS_MINIMIZEBOX;
      if (FBorderIcons & biMaximize) p.Style |= WS_MAXIMIZEBOX;
    }
  }
  p.ExStyle |= WS_EX_CONTROLPARENT;
  int width = Width(), height = Height();
  if (FClientWidth >= 0) {
    RECT r{0, 0, FClientWidth, FClientHeight};
    AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
    width = r.right - r.left, height = r.bottom - r.top;
  }
  p.X = Left(), p.Y = Top(), p.Width = width, p.Height = height;
  if (FPosition == poScreenCenter || FPosition == poMainFormCenter) {
    p.X = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    p.Y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  }
}

void TForm::UpdateBoundsFromWindow() {
  RECT w;
  GetWindowRect(Handle(), &w);
  if (HWND parent = GetParent(Handle()); parent != nullptr && (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_CHILD))
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&w), 2);
  TControl::SetBounds(w.left, w.top, w.right - w.left, w.bottom - w.top);
}

void TForm::CreateHandleDone() {
  UpdateBoundsFromWindow();
  if (FIcon != nullptr) SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon));
  if (FIcon != nullptr) SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FIcon));
  LayoutClient();
  if (FMenu != nullptr) MenuHandleChanged();
}

void TForm::RegisterWindowClass() {
  // Forms' classes run through FormWndProc, which unwraps the creation data
  // of MDI children; registered here before the control library would.
  pellamy::RegisterWindowClass(Utf8ToWide(ClassName()), &TForm::FormWndProc, CS_DBLCLKS);
}

LRESULT CALLBACK TForm::FormWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  const bool mdiChild = (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0;
  if (msg == WM_NCCREATE && mdiChild && gCreatingMDIChild != nullptr) {
    CREATESTRUCTW unwrapped = *reinterpret_cast<CREATESTRUCTW*>(lparam);
    unwrapped.lpCreateParams = gCreatingMDIChild;
    return OwnWndProc(hwnd, msg, wparam, reinterpret_cast<LPARAM>(&unwrapped));
  }
  if (mdiChild && FromHandle(hwnd) == nullptr) return DefMDIChildProcW(hwnd, msg, wparam, lparam);
  return OwnWndProc(hwnd, msg, wparam, lparam);
}

void TForm::CreateWnd() {
  RegisterWindowClass();
  if (FFormStyle != fsMDIChild || Parent() != nullptr) {
    TCustomControl::CreateWnd();
    if (FFormStyle == fsMDIForm && Parent() == nullptr) CreateClient();
    return;
  }
  TForm* frame = FindMDIFrame();
  if (frame == nullptr) throw Exception("Cannot create form. No MDI forms are currently active");
  frame->HandleNeeded();
  TCreateParams p;
  CreateParams(p);
  const std::wstring cls = Utf8ToWide(ClassName());
  const std::wstring title = Utf8ToWide(p.Caption);
  MDICREATESTRUCTW mcs{};
  mcs.szClass = cls.c_str();
  mcs.szTitle = title.c_str();
  mcs.hOwner = GetModuleHandleW(nullptr);
  const bool sized = p.Width > 0 && p.Height > 0;
  mcs.x = sized ? p.X : CW_USEDEFAULT;
  mcs.y = sized ? p.Y : CW_USEDEFAULT;
  mcs.cx = sized ? p.Width : CW_USEDEFAULT;
  mcs.cy = sized ? p.Height : CW_USEDEFAULT;
  mcs.style = p.Style & ~WS_CHILD;
  if (FWindowState == wsMaximized) mcs.style |= WS_MAXIMIZE;
  mcs.lParam = reinterpret_cast<LPARAM>(this);
  FMDIFrame = frame;
  gCreatingMDIChild = this;
  const auto h =
      reinterpret_cast<HWND>(SendMessageW(frame->ClientHandle(), WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  gCreatingMDIChild = nullptr;
  if (h == nullptr) {
    FMDIFrame = nullptr;
    throw Exception("Error creating window of class " + ClassName());
  }
  ApplyFont();
}

void TForm::CreateClient() {
  CLIENTCREATESTRUCT ccs{};
  ccs.hWindowMenu = FWindowMenu != nullptr ? FWindowMenu->Handle() : nullptr;
  ccs.idFirstChild = kFirstMDIChildId;
  FClientHandle = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
      WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE | MDIS_ALLCHILDSTYLES, 0, 0,
      0, 0, Handle(), nullptr, GetModuleHandleW(nullptr), &ccs);
  if (FClientHandle == nullptr) throw Exception("Cannot create the MDI client window");
}

void TForm::LayoutClient() {
  if (FClientHandle == nullptr) return;
  // The part of the client area the aligned controls leave.
  RECT area = ClientRect();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    switch (c->Align()) {
      case alTop:
        area.top += c->Height();
        break;
      case alBottom:
        area.bottom -= c->Height();
        break;
      case alLeft:
        area.left += c->Width();
        break;
      case alRight:
        area.right -= c->Width();
        break;
      case alClient:
        area.right = area.left;
        break;
      default:
        break;
    }
  }
  MoveWindow(FClientHandle, area.left, area.top, std::max(0L, area.right - area.left),
             std::max(0L, area.bottom - area.top), TRUE);
}

void TForm::DestroyFormHandle() {
  if (!HandleAllocated()) return;
  if (FFormStyle == fsMDIChild && FMDIFrame != nullptr && FMDIFrame->FClientHandle != nullptr &&
      (GetWindowLongPtrW(Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD) != 0) {
    SendMessageW(FMDIFrame->FClientHandle, WM_MDIDESTROY, reinterpret_cast<WPARAM>(Handle()), 0);
  }
  DestroyHandle();
}

void TForm::RecreateForStyle() {
  if (!HandleAllocated()) return;
  const bool shown = IsWindowVisible(Handle()) != FALSE;
  DestroyFormHandle();
  if (shown) {
    FShownOnce = true;
    Show();
  }
}

void TForm::SetFormStyle(TFormStyle style) {
  if (FFormStyle == style) return;
  const TFormStyle old = FFormStyle;
  FFormStyle = style;
  auto& frames = MDIForms();
  frames.erase(std::remove(frames.begin(), frames.end(), this), frames.end());
  if (style == fsMDIForm) frames.push_back(this);
  // MDI children show from the start.
  if (style == fsMDIChild && !HandleAllocated()) SetVisible(true);
  const bool windowKindChanges = old == fsMDIChild || old == fsMDIForm || style == fsMDIChild || style == fsMDIForm;
  if (windowKindChanges) {
    RecreateForStyle();
  } else if (HandleAllocated() && Parent() == nullptr) {
    SetWindowPos(Handle(), style == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

TWindowState TForm::WindowState() const {
  if (HandleAllocated()) {
    HWND h = const_cast<TForm*>(this)->Handle();
    if (IsIconic(h)) return wsMinimized;
    if (IsZoomed(h)) return wsMaximized;
    if (IsWindowVisible(h)) return wsNormal;
  }
  return FWindowState;
}

void TForm::SetWindowState(TWindowState state) {
  FWindowState = state;
  if (!HandleAllocated() || !IsWindowVisible(Handle())) return;  // applied when shown
  HWND h = Handle();
  if (FFormStyle == fsMDIChild && FMDIFrame != nullptr && FMDIFrame->FClientHandle != nullptr) {
    HWND client = FMDIFrame->FClientHandle;
    switch (state) {
      case wsMaximized:
        SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(h), 0);
        break;
      case wsNormal:
        SendMessageW(client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(h), 0);
        break;
      case wsMinimized:
        ShowWindow(h, SW_MINIMIZE);
        break;
    }
    return;
  }
  ShowWindow(h, state == wsMaximized ? SW_MAXIMIZE : state == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
}

void TForm::SetMenu(TMainMenu* menu) {
  if (FMenu == menu) return;
  TMainMenu* old = FMenu;
  if (old != nullptr) old->FForm = nullptr;
  if (menu != nullptr && menu->FForm != nullptr) menu->FForm->SetMenu(nullptr);
  FMenu = menu;
  if (menu != nullptr) {
    menu->FForm = this;
    FreeNotification(menu);
  }
  if (FFormStyle == fsMDIChild) {
    // Shown through the frame's bar while this child is the active one.
    if (FMDIFrame != nullptr && FMDIFrame->ActiveMDIChild() == this) FMDIFrame->MergeChildMenu(this);
    return;
  }
  if (FFormStyle == fsMDIForm && old != nullptr && old->Merged() != nullptr) old->Unmerge(old->Merged());
  if (!HandleAllocated()) return;
  if (menu == nullptr) {
    if (Parent() == nullptr) ::SetMenu(Handle(), nullptr);
    DrawMenuBar(Handle());
  } else {
    if (FFormStyle == fsMDIForm) MergeChildMenu(ActiveMDIChild());
    MenuHandleChanged();
  }
  SendMessageW(Handle(), CM_MENUCHANGED, 0, 0);
}

void TForm::SetPopupMenu(TPopupMenu* menu) {
  FPopupMenu = menu;
  if (menu != nullptr) FreeNotification(menu);
}

void TForm::SetWindowMenu(TMenuItem* item) {
  FWindowMenu = item;
  if (item != nullptr) FreeNotification(item);
  if (HandleAllocated()) MenuChanged();
}

void TForm::Notification(TComponent* component, bool removing) {
  TCustomControl::Notification(component, removing);
  if (!removing) return;
  if (component == FMenu) {
    FMenu = nullptr;
    if (HandleAllocated() && FFormStyle != fsMDIChild && Parent() == nullptr) ::SetMenu(Handle(), nullptr);
  }
  if (component == FPopupMenu) FPopupMenu = nullptr;
  if (component == FWindowMenu) {
    FWindowMenu = nullptr;
    if (FClientHandle != nullptr && !FWindowGoing && FMenu != nullptr)
      SendMessageW(FClientHandle, WM_MDISETMENU, reinterpret_cast<WPARAM>(FMenu->Handle()), 0);
  }
}

void TForm::MenuHandleChanged() {
  // A window on its way out takes no menu: the system would destroy it, and
  // its MDI client may already be gone.
  if (!HandleAllocated() || FWindowGoing || FFormStyle == fsMDIChild || Parent() != nullptr) return;
  HWND h = Handle();
  HMENU bar = FMenu != nullptr ? FMenu->Handle() : nullptr;
  if (FClientHandle != nullptr && bar != nullptr) {
    // The MDI client ignores a window menu sent with the bar it already
    // has: each goes on its own.
    HMENU windowMenu = FWindowMenu != nullptr ? FWindowMenu->Handle() : nullptr;
    if (windowMenu != nullptr) SendMessageW(FClientHandle, WM_MDISETMENU, 0, reinterpret_cast<LPARAM>(windowMenu));
    SendMessageW(FClientHandle, WM_MDISETMENU, reinterpret_cast<WPARAM>(bar), 0);
  } else if (GetMenu(h) != bar) {
    ::SetMenu(h, bar);
  }
  DrawMenuBar(h);
}

void TForm::MenuChanged() {
  if (!HandleAllocated() || FWindowGoing) return;
  MenuHandleChanged();
  if (FClientHandle != nullptr) SendMessageW(FClientHandle, WM_MDIREFRESHMENU, 0, 0);
  SendMessageW(Handle(), CM_MENUCHANGED, 0, 0);
}

void TForm::MergeChildMenu(TForm* child) {
  if (FMenu == nullptr) return;
  TMainMenu* childMenu = child != nullptr ? child->FMenu : nullptr;
  if (childMenu != nullptr)
    FMenu->Merge(childMenu);
  else if (FMenu->Merged() != nullptr)
    FMenu->Unmerge(FMenu->Merged());
}

bool TForm::IsShortCut(unsigned key, bool altDown) {
  if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return false;
  const TShortCut shortCut = ShortCutFromKey(key, altDown);
  if (FFormStyle == fsMDIForm)
    if (TForm* child = ActiveMDIChild();
        child != nullptr && child->FMenu != nullptr && child->FMenu->IsShortCut(shortCut))
      return true;
  if (FMenu != nullptr && FMenu->IsShortCut(shortCut)) return true;
  return FPopupMenu != nullptr && FPopupMenu->IsShortCut(shortCut);
}

int TForm::MDIChildCount() const {
  int count = 0;
  while (MDIChildren(count) != nullptr) ++count;
  return count;
}

TForm* TForm::MDIChildren(int index) const {
  if (FClientHandle == nullptr || index < 0) return nullptr;
  for (HWND h = GetWindow(FClientHandle, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
    auto* form = dynamic_cast<TForm*>(FromHandle(h));
    if (form == nullptr || form->FFormStyle != fsMDIChild) continue;
    if (index-- == 0) return form;
  }
  return nullptr;
}

TForm* TForm::ActiveMDIChild() const {
  if (FClientHandle == nullptr) return nullptr;
  const auto h = reinterpret_cast<HWND>(SendMessageW(FClientHandle, WM_MDIGETACTIVE, 0, 0));
  return dynamic_cast<TForm*>(FromHandle(h));
}

void TForm::Tile() {
  if (FClientHandle != nullptr)
    SendMessageW(FClientHandle, WM_MDITILE, FTileMode == tbHorizontal ? MDITILE_HORIZONTAL : MDITILE_VERTICAL, 0);
}

void TForm::Cascade() {
  if (FClientHandle != nullptr) SendMessageW(FClientHandle, WM_MDICASCADE, 0, 0);
}

void TForm::ArrangeIcons() {
  if (FClientHandle != nullptr) SendMessageW(FClientHandle, WM_MDIICONARRANGE, 0, 0);
}

void TForm::Next() {
  if (FClientHandle != nullptr) SendMessageW(FClientHandle, WM_MDINEXT, 0, 0);
}

void TForm::Previous() {
  if (FClientHandle != nullptr) SendMessageW(FClientHandle, WM_MDINEXT, 0, 1);
}

void TForm::SetParent(TWinControl* parent) {
  if (parent == Parent()) return;
  TWinControl* old = Parent();
  const bool hadWindow = HandleAllocated();
  // A top-level window cannot become a child one: it is made anew.
  if (hadWindow && old == nullptr) DestroyFormHandle();
  TCustomControl::SetParent(parent);
  if (parent == nullptr && hadWindow && Visible() && !IsDestroying() && !old->IsDestroying()) {
    DestroyFormHandle();
    FShownOnce = true;
    Show();
  } else if (parent != nullptr && parent->HandleAllocated()) {
    HandleNeeded();
  }
}

void TForm::Release() {
  if (Application() != nullptr && Application()->Handle() != nullptr)
    Application()->ReleaseForm(this);
  else
    delete this;
}

void TForm::SetClientSize(int width, int height) {
  FClientWidth = width, FClientHeight = height;
  if (HandleAllocated() && IsIconic(Handle())) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)), GetMenu(Handle()) != nullptr,
                       static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
    SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
  } else if (HandleAllocated()) {
    // The frame the window has now, whoever draws it (a menu bar, a skin),
    // rather than what the styles alone would make.
    RECT window, client;
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    SetBounds(Left(), Top(), width + (window.right - window.left) - client.right,
              height + (window.bottom - window.top) - client.bottom);
  } else {
    TControl::SetBounds(Left(), Top(), width, height);
  }
}

void TForm::SetIcon(HICON icon) {
  FIcon = icon;
  if (HandleAllocated()) CreateHandleDone();
}

namespace {
TFormShowingHook GFormShowingHook = nullptr;
}  // namespace

TFormShowingHook SetFormShowingHook(TFormShowingHook hook) {
  return std::exchange(GFormShowingHook, hook);
}

void TForm::Show() {
  if (FFormStyle == fsMDIChild) SetVisible(true);
  HWND h = Handle();
  if (GFormShowingHook != nullptr && FFormStyle != fsMDIChild && Parent() == nullptr && !IsWindowVisible(h))
    GFormShowingHook(this);
  SetVisible(true);
  if (FFormStyle == fsMDIChild && FMDIFrame != nullptr) {
    ShowWindow(h, SW_SHOW);
    SendMessageW(FMDIFrame->FClientHandle, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(h), 0);
    if (FWindowState != wsNormal) SetWindowState(FWindowState);
    SendMessageW(FMDIFrame->FClientHandle, WM_MDIREFRESHMENU, 0, 0);
  } else if (Parent() != nullptr) {
    ShowWindow(h, SW_SHOW);
    // Hidden, it was left out when its parent aligned its controls.
    if (Align() != alNone) SetAlign(Align());
  } else {
    ShowWindow(h, FWindowState == wsMaximized   ? SW_SHOWMAXIMIZED
                  : FWindowState == wsMinimized ? SW_SHOWMINIMIZED
                                                : SW_SHOW);
  }
  if (!FShownOnce) {
    FShownOnce = true;
    SelectNext(nullptr, true);
    if (OnShow) OnShow(this);
  }
  UpdateWindow(h);
}

void TForm::Close() {
  if (HandleAllocated()) SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TForm::CollectTabStops(TWinControl* parent, std::vector<TWinControl*>& out) const {
  std::vector<TWinControl*> children;
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i)); w != nullptr && w->Visible() && w->Enabled())
      children.push_back(w);
  std::stable_sort(children.begin(), children.end(),
                   [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  // A group of option buttons is one stop: its chosen button, or its first
  // when none is chosen.
  bool anyChecked = false;
  for (TWinControl* w : children)
    if (auto* radio = dynamic_cast<TRadioButton*>(w); radio != nullptr && radio->Checked()) anyChecked = true;
  bool radioTaken = false;
  for (TWinControl* w : children) {
    if (auto* radio = dynamic_cast<TRadioButton*>(w)) {
      if (radioTaken || (anyChecked && !radio->Checked())) continue;
      radioTaken = true;
    }
    if (w->TabStop()) out.push_back(w);
    CollectTabStops(w, out);
  }
}

TWinControl* TForm::ActiveControl() const {
  HWND focus = GetFocus();
  for (HWND h = focus; h != nullptr; h = GetParent(h))
    if (TWinControl* w = TWinControl::FromHandle(h)) return w;
  return nullptr;
}

bool TForm::SelectNext(TWinControl* current, bool forward) {
  std::vector<TWinControl*> stops;
  CollectTabStops(this, stops);
  if (stops.empty()) return false;
  // A click may have focused a part of a control (the edit of a combo box).
  auto at = std::find(stops.begin(), stops.end(), current);
  std::size_t next;
  if (at == stops.end())
    next = forward ? 0 : stops.size() - 1;
  else {
    const std::size_t i = static_cast<std::size_t>(at - stops.begin());
    next = forward ? (i + 1) % stops.size() : (i + stops.size() - 1) % stops.size();
  }
  stops[next]->SetFocus();
  return true;
}

void TForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE: {
      bool canClose = true;
      if (OnCloseQuery) OnCloseQuery(this, canClose);
      if (!canClose) return;
      const bool isMain = Application() != nullptr && Application()->MainForm() == this;
      TCloseAction action = isMain ? caFree : caHide;
      // An MDI child is minimised unless it cannot be.
      if (!isMain && FFormStyle == fsMDIChild) action = (FBorderIcons & biMinimize) ? caMinimize : caNone;
      if (OnClose) OnClose(this, action);
      if (action == caNone) return;
      FClosing = true;
      if (isMain) {
        Application()->Terminate();
        ShowWindow(Handle(), SW_HIDE);
      } else if (action == caMinimize) {
        FClosing = false;
        ShowWindow(Handle(), SW_MINIMIZE);
      } else if (action == caFree) {
        ShowWindow(Handle(), SW_HIDE);
        Release();
      } else {
        ShowWindow(Handle(), SW_HIDE);
        SetVisible(false);
      }
      return;
    }
    case WM_SIZE:
    case WM_MOVE:
      if (HandleAllocated()) UpdateBoundsFromWindow();
      if (m.Msg == WM_SIZE && FClientHandle != nullptr) {
        TCustomControl::WndProc(m);
        LayoutClient();
        return;
      }
      break;
    case WM_COMMAND:
      // Menu items: from the bar, or an accelerator (lParam is 0 for both).
      if (m.LParam == 0 && HIWORD(m.WParam) <= 1) {
        const WORD id = LOWORD(m.WParam);
        if (FMenu != nullptr && FMenu->DispatchCommand(id)) return;
        if (FFormStyle == fsMDIForm)
          if (TForm* child = ActiveMDIChild();
              child != nullptr && child->FMenu != nullptr && child->FMenu->DispatchCommand(id))
            return;
      }
      break;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_MENUCHAR: {
      LRESULT result = 0;
      if (HandleMenuMessage(Handle(), m.Msg, m.WParam, m.LParam, result)) {
        m.Result = result;
        return;
      }
      break;
    }
    case WM_CONTEXTMENU:
      if (FPopupMenu != nullptr && FPopupMenu->AutoPopup()) {
        POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        if (p.x == -1 && p.y == -1) {
          // From the keyboard: at the top left of the focused control.
          HWND focus = GetFocus();
          if (focus == nullptr || !IsChild(Handle(), focus)) focus = Handle();
          p = {0, 0};
          ::ClientToScreen(focus, &p);
        }
        TWinControl* over = FromHandle(reinterpret_cast<HWND>(m.WParam));
        FPopupMenu->SetPopupComponent(over != nullptr ? static_cast<TComponent*>(over) : this);
        FPopupMenu->Popup(p.x, p.y);
        m.Result = 0;
        return;
      }
      break;
    case WM_MDIACTIVATE:
      if (FFormStyle == fsMDIChild && FMDIFrame != nullptr) {
        if (reinterpret_cast<HWND>(m.LParam) == Handle())
          FMDIFrame->MergeChildMenu(this);
        else if (reinterpret_cast<HWND>(m.WParam) == Handle() && m.LParam == 0)
          FMDIFrame->MergeChildMenu(nullptr);
      }
      break;
    case WM_DESTROY:
      // The system would destroy the menu along with the window; it is the
      // menu's own.
      if (FFormStyle != fsMDIChild && Parent() == nullptr && GetMenu(Handle()) != nullptr) ::SetMenu(Handle(), nullptr);
      // Children are destroyed after their frame heard of it; a frame that
      // goes keeps its bar as it is (its MDI client goes with it).
      if (FFormStyle == fsMDIChild && FMDIFrame != nullptr && !FMDIFrame->FWindowGoing && FMenu != nullptr &&
          FMDIFrame->FMenu != nullptr && FMDIFrame->FMenu->Merged() == FMenu)
        FMDIFrame->FMenu->Unmerge(FMenu);
      FWindowGoing = true;
      break;
    case WM_NCDESTROY:
      FClientHandle = nullptr;
      FMDIFrame = nullptr;
      FWindowGoing = false;
      break;
    default:
      break;
  }
  TCustomControl::WndProc(m);
}

void TForm::DefaultHandler(TMessage& m) {
  if (!HandleAllocated()) return;
  HWND h = Handle();
  if (FFormStyle == fsMDIChild && (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0) {
    m.Result = DefMDIChildProcW(h, m.Msg, m.WParam, m.LParam);
  } else if (FClientHandle != nullptr && m.Msg != WM_SIZE) {
    // The frame lays its MDI client out itself, around aligned controls.
    m.Result = DefFrameProcW(h, FClientHandle, m.Msg, m.WParam, m.LParam);
  } else {
    TCustomControl::DefaultHandler(m);
  }
}

void TForm::DefineProperties(TPropertyTable& table) const {
  TCustomControl::DefineProperties(table);
  auto* self = const_cast<TForm*>(this);
  table["BorderStyle"] = EnumProp(
      {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"},
      [self] { return int(self->FBorderStyle); }, [self](int v) { self->SetBorderStyle(TFormBorderStyle(v)); });
  table["Position"] = EnumProp(
      {"poDesigned", "poDefault", "poScreenCenter", "poMainFormCenter"}, [self] { return int(self->FPosition); },
      [self](int v) { self->FPosition = TPosition(v); });
  table["FormStyle"] = EnumProp(
      {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}, [self] { return int(self->FFormStyle); },
      [self](int v) { self->SetFormStyle(TFormStyle(v)); });
  table["WindowState"] = EnumProp(
      {"wsNormal", "wsMinimized", "wsMaximized"}, [self] { return int(self->WindowState()); },
      [self](int v) { self->SetWindowState(TWindowState(v)); });
}

}  // namespace pellamy
