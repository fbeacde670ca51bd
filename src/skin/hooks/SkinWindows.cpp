#include "skin/hooks/SkinWindows.h"

#include <algorithm>
#include <cstdio>

#include "gui/forms/Application.h"
#include "gui/forms/Forms.h"
#include "skin/frame/MenuLoopHook.h"

namespace pellamy {

DWORD WindowsVersion = 0;
bool IsWinNT = true;

namespace {

constexpr int kSizeGripStyle = 0x10;  // SBS_SIZEGRIP

TSkinWindows* gHookOwner = nullptr;

std::string ClassOf(HWND hwnd) {
  char buffer[100];
  const int n = GetClassNameA(hwnd, buffer, sizeof buffer);
  return std::string(buffer, static_cast<std::size_t>(std::max(n, 0)));
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return text;
}

std::string Hex(unsigned long long value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%llx", value);
  return buffer;
}

LRESULT CALLBACK CbtHookProc(int code, WPARAM wparam, LPARAM lparam) {
  // A refused creation is answered here and goes no further.
  if (code >= 0 && gHookOwner != nullptr && gHookOwner->HookEvent(code, wparam, lparam)) return 10;
  return CallNextHookEx(gHookOwner != nullptr ? gHookOwner->HookHandle() : nullptr, code, wparam, lparam);
}

TForm* FormOf(HWND window) {
  return dynamic_cast<TForm*>(TWinControl::FromHandle(window));
}

// Records the platform family as the skin engine's modules start.
struct TPlatformFamily {
  TPlatformFamily() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExW(&info)) IsWinNT = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
  }
} PlatformFamily;

}  // namespace

TSkinWindows* SkinWindows() {
  return SkinManager != nullptr ? dynamic_cast<TSkinWindows*>(SkinManager->WindowWork()) : nullptr;
}

void UseSkinWindows() {
  SetSkinWindowWorkFactory([](TSkinManage& manager) { return std::make_unique<TSkinWindows>(manager); });
  // A form is skinned before it is first shown, not only as it is
  // activated: fitting a hidden window is one cheap layout, fitting a shown
  // one a second layout and a new shape of the window the user sees.
  SetFormShowingHook([](TForm* form) {
    if (TSkinWindows* windows = SkinWindows()) windows->AddWindow(form->Handle());
  });
  TSkinData::FormWindowOf = [](TComponent* owner) -> TSkinWindowHandle {
    auto* form = dynamic_cast<TForm*>(owner);
    return form != nullptr ? form->Handle() : nullptr;
  };
}

TSkinWindows::TSkinWindows(TSkinManage& manager) : FManager(manager) {
  SetPopupBackgrounds(this);
}

TSkinWindows::~TSkinWindows() {
  SetPopupBackgrounds(nullptr);
  if (FHook != nullptr) UnhookWindowsHookEx(FHook);
  if (gHookOwner == this) gHookOwner = nullptr;
  FPopupSkinners.clear();
  // Plain windows' frames have no other owner; forms' frames go with their
  // forms, and are only let go of here.
  for (TWinSkinForm* form : std::vector<TWinSkinForm*>(FSkinForms)) {
    if (form->Owner() == nullptr) {
      FSkinForms.erase(std::remove(FSkinForms.begin(), FSkinForms.end(), form), FSkinForms.end());
      delete form;
    }
  }
  FSkinForms.clear();
}

void TSkinWindows::InstallHook() {
  // One hook serves every skin data of the thread: a second main-scope skin
  // data does not stack another.
  if (FHook != nullptr) return;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  WindowsVersion = GetVersion();
#pragma GCC diagnostic pop
  SkinTrace("Windows Version " + Hex(WindowsVersion));
  SkinTrace("Windows Version " + std::to_string(WindowsVersion & 0xFF) + " " +
            std::to_string((WindowsVersion >> 8) & 0xFF));
  const DWORD thread = GetCurrentThreadId();
  FHook = SetWindowsHookExA(WH_CBT, &CbtHookProc, nullptr, thread);
  gHookOwner = this;
  SkinTrace("ThreadId " + Hex(thread));
  SkinTrace("HookCallback " + Hex(reinterpret_cast<std::uintptr_t>(FHook)));
}

bool TSkinWindows::HookEvent(int code, WPARAM wparam, LPARAM lparam) {
  auto window = reinterpret_cast<HWND>(wparam);
  switch (code) {
    case HCBT_CREATEWND: {
      const std::string cls = ClassOf(window);
      const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lparam);
      if (cls == "ScrollBar" && create != nullptr && create->lpcs != nullptr &&
          (create->lpcs->style & kSizeGripStyle) != 0 && FindSkinForm(create->lpcs->hwndParent) != nullptr)
        return true;
      if (cls == "#32768") AddPopupWindow(window);
      return false;
    }
    case HCBT_DESTROYWND:
      RemovePopupWindow(window);
      return false;
    case HCBT_ACTIVATE:
      if (FManager.ActivationCount == 0) FManager.ActivationCount = 1;
      AddWindow(window);
      return false;
    default:
      return false;
  }
}

bool TSkinWindows::IsPlainChildWindow(HWND window) {
  if ((GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) == 0) return false;
  HWND parent = GetParent(window);
  return parent == nullptr || Lower(ClassOf(parent)) != "mdiclient";
}

bool TSkinWindows::CanSkinClass(const std::string& className) const {
  return FManager.CanSkinClass(className);
}

bool TSkinWindows::AddWindow(TSkinWindowHandle handle) {
  auto window = static_cast<HWND>(handle);
  // Cheapest first: this runs inside every window's activation.
  if (!FManager.Enabled || window == nullptr) return false;
  if (SendMessageW(window, kSkinnedQuery, 0, 0) == 1) return false;
  PurgeDestroyedForms();
  if (FindSkinForm(window) != nullptr) return false;
  TForm* form = FormOf(window);
  if (!FManager.ForceChildWindows() && IsPlainChildWindow(window)) return false;
  RECT r;
  if (!GetWindowRect(window, &r) || r.right == r.left || r.bottom == r.top) return false;
  if (form != nullptr && form->Tag() == 99) return false;
  const std::string cls = ClassOf(window);
  if (cls == "TApplication") return false;
  if (!CanSkinClass(cls)) return false;
  TSkinData* skin = FManager.SelectSkinData(window, cls);
  if (skin == nullptr || skin->SkinEmpty) return false;
  auto* frame = new TWinSkinForm(form, window);
  if (form != nullptr) {
    frame->SkinForm(skin, form);
  } else {
    frame->SkinWindow(skin);
    // Dialogs, message boxes and the folder picker: the skin's system menu
    // inside the skin's border, as a form has it.
    frame->BuildSystemMenu();
  }
  FSkinForms.push_back(frame);
  // At once rather than posted: a window skinned as it is activated is then
  // fitted to its frame before it first paints, so it never shows the
  // system's frame, nor paints its client twice.
  SendMessageW(window, kActivateSkinned, 0, 1000);
  // Children an MDI frame had before it was skinned get theirs now; later
  // ones come through its client.
  if (frame->Role() == TMdiRole::Frame && frame->MdiClientWindow() != nullptr)
    for (HWND child = GetWindow(frame->MdiClientWindow(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
      AddWindow(child);
  return true;
}

bool TSkinWindows::AddForm(TForm* form) {
  if (form == nullptr || !form->Visible() || !form->HandleAllocated()) return false;
  if ((GetWindowLongPtrW(form->Handle(), GWL_STYLE) & WS_CHILD) != 0 && form->FormStyle() != fsMDIChild) return false;
  return AddWindow(form->Handle());
}

void TSkinWindows::RemoveWindow(TSkinWindowHandle window) {
  const auto it = std::find_if(FSkinForms.begin(), FSkinForms.end(),
                               [window](TWinSkinForm* f) { return f->Window() == static_cast<HWND>(window); });
  if (it != FSkinForms.end()) FSkinForms.erase(it);
}

TWinSkinForm* TSkinWindows::FindSkinForm(HWND window) const {
  for (TWinSkinForm* f : FSkinForms)
    if (f->Window() == window) return f;
  return nullptr;
}

void TSkinWindows::Free(TWinSkinForm* form) {
  FSkinForms.erase(std::remove(FSkinForms.begin(), FSkinForms.end(), form), FSkinForms.end());
  delete form;
}

void TSkinWindows::PurgeDestroyedForms() {
  for (std::size_t i = FSkinForms.size(); i-- > 0;)
    if (FSkinForms[i]->LifePhase() == TFramePhase::Destroyed) Free(FSkinForms[i]);
}

void TSkinWindows::SkinDataLoaded(TSkinData& skinData) {
  for (TWinSkinForm* f : FSkinForms)
    if (f->Skin() == &skinData) {
      f->ClearCaptionButtons();
      f->LoadFrameMetrics();
    }
}

void TSkinWindows::Unskin(TWinSkinForm* form) {
  HWND window = form->Window();
  form->UnskinForm();
  if (IsWindow(window)) {
    InvalidateRect(window, nullptr, TRUE);
    RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    UpdateWindow(window);
  }
  Free(form);
}

void TSkinWindows::DoAction(int action, TSkinData& s) {
  TApplication* app = Application();
  const std::vector<TForm*> forms = app != nullptr ? app->Forms() : std::vector<TForm*>{};
  const bool ownerOnly = s.SkinFormtype() == TSkinFormType::sfOnlyThisForm;
  switch (action) {
    case TSkinManage::kActionSkin:
      if (ownerOnly) {
        for (std::size_t i = forms.size(); i-- > 0;)
          if (forms[i] == s.Owner()) {
            AddForm(forms[i]);
            break;
          }
      } else {
        PurgeDestroyedForms();
        for (std::size_t i = forms.size(); i-- > 0;) AddForm(forms[i]);
      }
      break;
    case TSkinManage::kActionUnskin:
      PurgeDestroyedForms();
      for (std::size_t i = FSkinForms.size(); i-- > 0;) {
        if (i >= FSkinForms.size()) continue;
        TWinSkinForm* f = FSkinForms[i];
        if (ownerOnly && f->Skin() != &s) continue;
        Unskin(f);
        if (ownerOnly) break;
      }
      break;
    case TSkinManage::kActionReskin: {
      PurgeDestroyedForms();
      // Every frame of s took its new metrics and buttons as s loaded them
      // (SkinDataLoaded), before any is laid out again here (an MDI frame's
      // children read its flags).
      std::vector<TWinSkinForm*> concerned;
      for (TWinSkinForm* f : FSkinForms)
        if (f->Skin() == &s) {
          concerned.push_back(f);
          if (ownerOnly) break;
        }
      for (TWinSkinForm* f : concerned) f->ApplySkinChange();
      break;
    }
    default:
      break;
  }
}

int TSkinWindows::CountMdiChildren() const {
  return static_cast<int>(std::count_if(FSkinForms.begin(), FSkinForms.end(),
                                        [](const TWinSkinForm* f) { return f->Role() == TMdiRole::Child; }));
}

bool TSkinWindows::InModalLoop() const {
  if (MenuLoopFrame() != nullptr) return true;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetCurrentThreadId(), &info) &&
         (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_INMOVESIZE)) != 0;
}

void TSkinWindows::AddPopupWindow(HWND window) {
  if (!FManager.Enabled || IsPopupWindowSkinned(window)) return;
  TSkinData* skin = FManager.SelectSkinData(window, "#32768");
  if (skin == nullptr || skin->SkinEmpty || !InSet(skin->SkinControls(), xcMainMenu)) return;
  auto skinner = std::make_unique<TWinSkinPopMenu>();
  skinner->Attach(window, skin, nullptr);
  FPopupSkinners.push_back(std::move(skinner));
}

void TSkinWindows::RemovePopupWindow(HWND window) {
  const auto it = std::find_if(FPopupSkinners.begin(), FPopupSkinners.end(),
                               [window](const auto& p) { return p->Handle == window; });
  if (it == FPopupSkinners.end()) return;
  (*it)->Detach();
  FPopupSkinners.erase(it);
}

bool TSkinWindows::IsPopupWindowSkinned(HWND window) const {
  return std::any_of(FPopupSkinners.begin(), FPopupSkinners.end(),
                     [window](const auto& p) { return p->Handle == window; });
}

TBitmap* TSkinWindows::GetPopupBitmap(HMENU menu) const {
  for (const auto& p : FPopupSkinners)
    if (p->ParentMenu == menu) return &p->BorderBitmap;
  return nullptr;
}

TBitmap* TSkinWindows::Background(HMENU menu, HDC itemDc, POINT& origin) {
  TWinSkinPopMenu* skinner = nullptr;
  const HWND window = itemDc != nullptr ? WindowFromDC(itemDc) : nullptr;
  for (const auto& p : FPopupSkinners)
    if (window != nullptr && p->Handle == window) skinner = p.get();
  if (skinner == nullptr && menu != nullptr)
    for (const auto& p : FPopupSkinners)
      if (p->Attached() && reinterpret_cast<HMENU>(SendMessageW(p->Handle, MN_GETHMENU, 0, 0)) == menu) {
        skinner = p.get();
        break;
      }
  if (skinner == nullptr) skinner = CurrentPopupSkinner;
  if (skinner == nullptr || !skinner->Attached()) return nullptr;
  if (menu != nullptr) skinner->ParentMenu = menu;
  if (CurrentPopupSkinner == skinner) CurrentPopupSkinner = nullptr;
  RECT bounds;
  GetWindowRect(skinner->Handle, &bounds);
  if ((skinner->BorderBitmap.Width() != bounds.right - bounds.left ||
       skinner->BorderBitmap.Height() != bounds.bottom - bounds.top) &&
      !skinner->PrepareBackground())
    return nullptr;
  // Items are drawn in client coordinates; the image is the whole window's.
  POINT client{0, 0};
  ClientToScreen(skinner->Handle, &client);
  origin = {client.x - bounds.left, client.y - bounds.top};
  return skinner->BorderBitmap.Empty() ? nullptr : &skinner->BorderBitmap;
}

}  // namespace pellamy
