#include "gui/forms/Application.h"

#include <commctrl.h>

#include <algorithm>

#include "base/Exceptions.h"
#include "base/WinHandles_win32.h"
#include "gui/forms/Forms.h"
#include "gui/gdi/WideText.h"
#include "gui/gdi/WindowClass.h"

namespace pellamy {

namespace {

TApplication* gApplication = nullptr;
constexpr UINT WM_SYNCHRONIZE = WM_APP + 0x101;
constexpr UINT WM_RELEASEFORM = WM_APP + 0x102;

TForm* FormOf(HWND hwnd) {
  HWND root = hwnd != nullptr ? GetAncestor(hwnd, GA_ROOT) : nullptr;
  return dynamic_cast<TForm*>(TWinControl::FromHandle(root));
}

struct TSyncCall {
  const std::function<void()>* Call;
  HANDLE Done;
};

}  // namespace

TApplication* Application() {
  return gApplication;
}

std::string ExceptionDisplayText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
    return message + ".";
  return message;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  gApplication = this;
  SetControlExceptionSink([](std::exception_ptr error) {
    if (Application() != nullptr) Application()->HandleException(error);
  });
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string file = WideToUtf8(std::wstring(path, n));
  const auto slash = file.find_last_of("\\/");
  if (slash != std::string::npos) file = file.substr(slash + 1);
  const auto dot = file.find_last_of('.');
  FTitle = dot == std::string::npos ? file : file.substr(0, dot);
}

TApplication::~TApplication() {
  SetSyncDispatcher(nullptr);
  // Forms are owned components; they go with the base destructor. The
  // hidden window goes after them.
  while (!FForms.empty()) delete FForms.back();
  if (FHandle != nullptr) DestroyWindow(FHandle);
  if (gApplication == this) {
    gApplication = nullptr;
    SetControlExceptionSink(nullptr);
  }
}

void TApplication::Initialize() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  SetMainThread();
  RegisterWindowClass(L"TApplication", &TApplication::WndProc);
  FHandle = CreateWindowExW(0, L"TApplication", Utf8ToWide(FTitle).c_str(),
                            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (FHandle == nullptr) throw Exception("Cannot create the application window");
  SetSyncDispatcher(this);
}

void TApplication::SetTitle(const std::string& title) {
  FTitle = title;
  if (FHandle != nullptr) SetWindowTextW(FHandle, Utf8ToWide(title).c_str());
}

void TApplication::AddForm(TForm* form) {
  FForms.push_back(form);
  if (FMainForm == nullptr) FMainForm = form;
  try {
    form->DoCreate();
  } catch (...) {
    HandleException(std::current_exception());
  }
}

void TApplication::RemoveForm(TForm* form) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), form), FForms.end());
  FReleasing.erase(form);
  if (FMainForm == form) FMainForm = nullptr;
}

void TApplication::ReleaseForm(TForm* form) {
  if (FHandle == nullptr || !FReleasing.insert(form).second) return;
  PostMessageW(FHandle, WM_RELEASEFORM, 0, reinterpret_cast<LPARAM>(form));
}

void TApplication::SetHint(const std::string& hint) {
  if (FHint == hint) return;
  FHint = hint;
  if (OnHint) OnHint(this);
}

bool TApplication::HandleShortCut(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  TForm* form = FormOf(msg.hwnd);
  if (form == nullptr) return false;
  const bool alt = msg.message == WM_SYSKEYDOWN && (msg.lParam & (1 << 29)) != 0;
  try {
    return form->IsShortCut(static_cast<unsigned>(msg.wParam), alt);
  } catch (...) {
    HandleException(std::current_exception());
    return true;
  }
}

bool TApplication::HandleDialogChar(MSG& msg) {
  if (msg.message != WM_SYSCHAR) return false;
  TForm* form = FormOf(msg.hwnd);
  if (form == nullptr) return false;
  try {
    return form->Perform(CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0;
  } catch (...) {
    HandleException(std::current_exception());
    return true;
  }
}

bool TApplication::HandleMDIKey(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  TForm* form = FormOf(msg.hwnd);
  return form != nullptr && form->ClientHandle() != nullptr && TranslateMDISysAccel(form->ClientHandle(), &msg);
}

bool TApplication::PreTranslate(MSG& msg) {
  return HandleShortCut(msg) || HandleDialogChar(msg) || HandleMDIKey(msg) || HandleKey(msg);
}

bool TApplication::HandleKey(MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  if ((GetKeyState(VK_CONTROL) & 0x8000) != 0) return false;
  // A control that types tabs (a memo with WantTabs) keeps the key.
  if ((SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) & DLGC_WANTTAB) != 0)
    return false;
  TWinControl* control = TWinControl::FromHandle(msg.hwnd);
  TForm* form = nullptr;
  for (TControl* c = control; c != nullptr; c = c->Parent())
    if (auto* f = dynamic_cast<TForm*>(c)) form = f;
  if (form == nullptr) return false;
  form->SelectNext(control, (GetKeyState(VK_SHIFT) & 0x8000) == 0);
  return true;
}

void TApplication::Run() {
  if (FMainForm != nullptr) FMainForm->Show();
  MSG msg;
  while (!FTerminated) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  FTerminated = true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      FTerminated = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void TApplication::Terminate() {
  FTerminated = true;
  PostQuitMessage(0);
}

void TApplication::HandleException(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const EAbort&) {
  } catch (const std::exception& e) {
    ShowException(e.what());
  } catch (...) {
    ShowException("Unknown failure");
  }
}

void TApplication::ShowException(const std::string& message) {
  if (OnException) return OnException(message);
  HWND owner = FMainForm != nullptr && FMainForm->HandleAllocated() ? FMainForm->Handle() : FHandle;
  MessageBoxW(owner, Utf8ToWide(ExceptionDisplayText(message)).c_str(), Utf8ToWide(FTitle).c_str(),
              MB_ICONERROR | MB_OK);
}

void TApplication::MessageBoxPlain(const std::string& text) {
  HWND owner = FMainForm != nullptr && FMainForm->HandleAllocated() ? FMainForm->Handle() : FHandle;
  MessageBoxW(owner, Utf8ToWide(text).c_str(), Utf8ToWide(FTitle).c_str(), MB_OK);
}

void TApplication::RunOnUiThread(const std::function<void()>& call) {
  if (FHandle == nullptr || IsMainThread()) return call();
  UniqueKernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!done) throw Exception("Cannot create an event");
  TSyncCall sync{&call, done.get()};
  if (PostMessageW(FHandle, WM_SYNCHRONIZE, 0, reinterpret_cast<LPARAM>(&sync)))
    WaitForSingleObject(done.get(), INFINITE);
}

LRESULT CALLBACK TApplication::WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_SYNCHRONIZE) {
    auto* sync = reinterpret_cast<TSyncCall*>(lparam);
    try {
      (*sync->Call)();
    } catch (...) {
      // Synchronize hands failures back to the worker itself.
    }
    SetEvent(sync->Done);
    return 0;
  }
  if (msg == WM_RELEASEFORM && gApplication != nullptr) {
    auto* form = reinterpret_cast<TForm*>(lparam);
    // Only a form still waiting: one freed meanwhile has left the set.
    if (gApplication->FReleasing.erase(form) != 0) delete form;
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

}  // namespace pellamy
