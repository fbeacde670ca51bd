// Small window helpers the skinned frame's files share. Windows only.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <string>

#include "skin/layout/FrameLayout.h"

namespace pellamy {

// Signed, as a point left of or above the primary monitor has them.
inline int PointX(LPARAM l) {
  return static_cast<short>(LOWORD(l));
}
inline int PointY(LPARAM l) {
  return static_cast<short>(HIWORD(l));
}

inline RECT ToRect(const TSkinRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}

// The caption button that shows the window's icon.
inline bool IsIconAction(int action) {
  return action == 3 || action == 11;
}

std::string WindowText(HWND hwnd);
std::string WindowClass(HWND hwnd);

inline constexpr UINT_PTR kFrameSubclassId = 0x534B4652;   // the frame's layer over the window
inline constexpr UINT_PTR kClientSubclassId = 0x534B4D43;  // the frame's layer over an MDI client

LRESULT CALLBACK FrameSubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR data);
LRESULT CALLBACK ClientSubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR data);

// Frame changed without moving: the system asks the frame's sizes again.
inline void FrameChanged(HWND window) {
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace pellamy
