#include "GdiHandles.h"

#include <atomic>

#include "Exceptions.h"

namespace pellamy {

namespace {
std::atomic<int> gLive[static_cast<int>(TGdiKind::Count)];
}  // namespace

int GdiLiveCount(TGdiKind kind) {
  return gLive[static_cast<int>(kind)].load();
}

int GdiLiveCount() {
  int total = 0;
  for (const auto& count : gLive) total += count.load();
  return total;
}

namespace detail {
void CountGdi(TGdiKind kind, int delta) {
  gLive[static_cast<int>(kind)] += delta;
}
void DestroyGdiObject(HGDIOBJ object) {
  DeleteObject(object);
}
}  // namespace detail

// ---- UniqueIcon ----

UniqueIcon::UniqueIcon(HICON icon) : FHandle(icon) {
  if (FHandle != nullptr) detail::CountGdi(TGdiKind::Icon, +1);
}

UniqueIcon& UniqueIcon::operator=(UniqueIcon&& other) noexcept {
  if (this != &other) {
    reset();
    FHandle = std::exchange(other.FHandle, nullptr);
  }
  return *this;
}

void UniqueIcon::reset(HICON icon) {
  if (icon == FHandle) return;
  if (FHandle != nullptr) {
    DestroyIcon(FHandle);
    detail::CountGdi(TGdiKind::Icon, -1);
  }
  FHandle = icon;
  if (FHandle != nullptr) detail::CountGdi(TGdiKind::Icon, +1);
}

HICON UniqueIcon::release() {
  if (FHandle != nullptr) detail::CountGdi(TGdiKind::Icon, -1);
  return std::exchange(FHandle, nullptr);
}

// ---- UniqueMemDc ----

UniqueMemDc UniqueMemDc::CompatibleWith(HDC dc) {
  UniqueMemDc result;
  result.FHandle = CreateCompatibleDC(dc);
  if (result.FHandle == nullptr) throw Exception("Out of system resources: no memory device context");
  detail::CountGdi(TGdiKind::MemDc, +1);
  return result;
}

UniqueMemDc& UniqueMemDc::operator=(UniqueMemDc&& other) noexcept {
  if (this != &other) {
    reset();
    FHandle = std::exchange(other.FHandle, nullptr);
  }
  return *this;
}

void UniqueMemDc::reset() {
  if (FHandle == nullptr) return;
  DeleteDC(FHandle);
  detail::CountGdi(TGdiKind::MemDc, -1);
  FHandle = nullptr;
}

// ---- WindowDc ----

WindowDc::WindowDc(HWND window, TArea area) {
  Adopt(window, area == TArea::Client ? GetDC(window) : GetWindowDC(window));
}

WindowDc::WindowDc(HWND window, HRGN clip, DWORD flags) {
  Adopt(window, GetDCEx(window, clip, flags));
}

void WindowDc::Adopt(HWND window, HDC dc) {
  if (dc == nullptr) throw Exception("Out of system resources: no device context for the window");
  FWindow = window;
  FHandle = dc;
  detail::CountGdi(TGdiKind::WindowDc, +1);
}

WindowDc& WindowDc::operator=(WindowDc&& other) noexcept {
  if (this != &other) {
    reset();
    FWindow = std::exchange(other.FWindow, nullptr);
    FHandle = std::exchange(other.FHandle, nullptr);
  }
  return *this;
}

void WindowDc::reset() {
  if (FHandle == nullptr) return;
  ReleaseDC(FWindow, FHandle);
  detail::CountGdi(TGdiKind::WindowDc, -1);
  FHandle = nullptr;
  FWindow = nullptr;
}

// ---- PaintDc ----

PaintDc::PaintDc(HWND window) : FWindow(window) {
  BeginPaint(window, &FPaint);
  detail::CountGdi(TGdiKind::PaintDc, +1);
}

PaintDc::~PaintDc() {
  EndPaint(FWindow, &FPaint);
  detail::CountGdi(TGdiKind::PaintDc, -1);
}

}  // namespace pellamy
