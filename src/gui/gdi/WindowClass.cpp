#include "gui/gdi/WindowClass.h"

#include <mutex>
#include <set>

#include "base/Exceptions.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

void RegisterWindowClass(const std::wstring& name, WNDPROC procedure, UINT style) {
  static std::mutex guard;
  static std::set<std::wstring> registered;
  std::lock_guard<std::mutex> lock(guard);
  if (registered.count(name) != 0) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = name.c_str();
  if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw Exception("Cannot register the window class " + WideToUtf8(name) + " (error " +
                    std::to_string(GetLastError()) + ")");
  registered.insert(name);
}

}  // namespace pellamy
