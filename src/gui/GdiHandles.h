// UniqueGdi<T> (UniqueBitmap, UniqueBrush, UniquePen, UniqueFont, UniqueRgn),
// UniqueIcon, UniqueMemDc, WindowDc, PaintDc, SelectGuard, GdiLiveCount: one
// owner for every GDI handle, one wrapper type per way of getting a DC.
//
// The wrappers are move-only; release() hands a handle over to the system (a
// region given to SetWindowRgn). Every wrapper counts the handles it holds, by
// kind, so tests can see leaks where the system cannot tell them (Wine's
// GetGuiResources always answers 0).
#pragma once

#include <windows.h>

#include <utility>

namespace pellamy {

enum class TGdiKind { Bitmap, Brush, Pen, Font, Region, Icon, MemDc, WindowDc, PaintDc, Count };

// Handles of one kind held by the wrappers now, or of all kinds.
int GdiLiveCount(TGdiKind kind);
int GdiLiveCount();

namespace detail {
void CountGdi(TGdiKind kind, int delta);
void DestroyGdiObject(HGDIOBJ object);

template <typename T>
struct TGdiKindOf;
template <>
struct TGdiKindOf<HBITMAP> {
  static constexpr TGdiKind Kind = TGdiKind::Bitmap;
};
template <>
struct TGdiKindOf<HBRUSH> {
  static constexpr TGdiKind Kind = TGdiKind::Brush;
};
template <>
struct TGdiKindOf<HPEN> {
  static constexpr TGdiKind Kind = TGdiKind::Pen;
};
template <>
struct TGdiKindOf<HFONT> {
  static constexpr TGdiKind Kind = TGdiKind::Font;
};
template <>
struct TGdiKindOf<HRGN> {
  static constexpr TGdiKind Kind = TGdiKind::Region;
};
}  // namespace detail

// A GDI object deleted with DeleteObject. It must not be selected into a DC
// when the wrapper lets go of it (see SelectGuard).
template <typename T>
class UniqueGdi {
 public:
  UniqueGdi() = default;
  explicit UniqueGdi(T handle) : FHandle(handle) {
    if (FHandle != nullptr) detail::CountGdi(detail::TGdiKindOf<T>::Kind, +1);
  }
  UniqueGdi(UniqueGdi&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
  UniqueGdi& operator=(UniqueGdi&& other) noexcept {
    if (this != &other) {
      reset();
      FHandle = std::exchange(other.FHandle, nullptr);
    }
    return *this;
  }
  UniqueGdi(const UniqueGdi&) = delete;
  UniqueGdi& operator=(const UniqueGdi&) = delete;
  ~UniqueGdi() { reset(); }

  T get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }

  void reset(T handle = nullptr) {
    if (handle == FHandle) return;
    if (FHandle != nullptr) {
      detail::DestroyGdiObject(FHandle);
      detail::CountGdi(detail::TGdiKindOf<T>::Kind, -1);
    }
    FHandle = handle;
    if (FHandle != nullptr) detail::CountGdi(detail::TGdiKindOf<T>::Kind, +1);
  }
  // Gives the handle up without deleting it.
  [[nodiscard]] T release() {
    if (FHandle != nullptr) detail::CountGdi(detail::TGdiKindOf<T>::Kind, -1);
    return std::exchange(FHandle, nullptr);
  }

 private:
  T FHandle = nullptr;
};

using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueRgn = UniqueGdi<HRGN>;

// An icon or cursor of our own (not a shared one from LoadIcon or LR_SHARED),
// destroyed with DestroyIcon.
class UniqueIcon {
 public:
  UniqueIcon() = default;
  explicit UniqueIcon(HICON icon);
  UniqueIcon(UniqueIcon&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
  UniqueIcon& operator=(UniqueIcon&& other) noexcept;
  UniqueIcon(const UniqueIcon&) = delete;
  UniqueIcon& operator=(const UniqueIcon&) = delete;
  ~UniqueIcon() { reset(); }

  HICON get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }
  void reset(HICON icon = nullptr);
  [[nodiscard]] HICON release();

 private:
  HICON FHandle = nullptr;
};

// A memory DC compatible with another DC (the screen when none is given),
// deleted with DeleteDC. Objects selected into it should be put back first
// (SelectGuard) so that they can be deleted.
class UniqueMemDc {
 public:
  UniqueMemDc() = default;
  // Throws pellamy::Exception when the system has no DC to give.
  static UniqueMemDc CompatibleWith(HDC dc);
  UniqueMemDc(UniqueMemDc&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
  UniqueMemDc& operator=(UniqueMemDc&& other) noexcept;
  UniqueMemDc(const UniqueMemDc&) = delete;
  UniqueMemDc& operator=(const UniqueMemDc&) = delete;
  ~UniqueMemDc() { reset(); }

  HDC get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }
  void reset();

 private:
  HDC FHandle = nullptr;
};

// A window's DC from GetDC (client area), GetWindowDC (whole window) or
// GetDCEx, given back with ReleaseDC to the window it came from.
class WindowDc {
 public:
  enum class TArea { Client, Window };

  WindowDc() = default;
  explicit WindowDc(HWND window, TArea area = TArea::Client);
  // GetDCEx: with DCX_INTERSECTRGN or DCX_EXCLUDERGN the system takes the
  // region over (pass a released one).
  WindowDc(HWND window, HRGN clip, DWORD flags);
  WindowDc(WindowDc&& other) noexcept
      : FWindow(std::exchange(other.FWindow, nullptr)), FHandle(std::exchange(other.FHandle, nullptr)) {}
  WindowDc& operator=(WindowDc&& other) noexcept;
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() { reset(); }

  HDC get() const { return FHandle; }
  HWND Window() const { return FWindow; }
  explicit operator bool() const { return FHandle != nullptr; }
  void reset();

 private:
  void Adopt(HWND window, HDC dc);

  HWND FWindow = nullptr;
  HDC FHandle = nullptr;
};

// BeginPaint on construction, EndPaint on destruction: the WM_PAINT adapter.
// Neither copied nor moved: it lives in the handler's scope.
class PaintDc {
 public:
  explicit PaintDc(HWND window);
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  ~PaintDc();

  HDC get() const { return FPaint.hdc; }
  HWND Window() const { return FWindow; }
  const RECT& PaintRect() const { return FPaint.rcPaint; }
  bool Erase() const { return FPaint.fErase != FALSE; }

 private:
  HWND FWindow;
  PAINTSTRUCT FPaint{};
};

// Selects an object into a DC and selects the previous one back when it ends
// (not for regions: SelectObject returns no handle for those).
class SelectGuard {
 public:
  SelectGuard() = default;
  SelectGuard(HDC dc, HGDIOBJ object) : FDc(dc), FOld(SelectObject(dc, object)) {}
  SelectGuard(SelectGuard&& other) noexcept
      : FDc(std::exchange(other.FDc, nullptr)), FOld(std::exchange(other.FOld, nullptr)) {}
  SelectGuard& operator=(SelectGuard&& other) noexcept {
    if (this != &other) {
      restore();
      FDc = std::exchange(other.FDc, nullptr);
      FOld = std::exchange(other.FOld, nullptr);
    }
    return *this;
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() { restore(); }

  // The object that was selected before.
  HGDIOBJ Previous() const { return FOld; }
  // Selects the previous object back now.
  void restore() {
    if (FDc != nullptr && FOld != nullptr && FOld != HGDI_ERROR) SelectObject(FDc, FOld);
    FDc = nullptr;
    FOld = nullptr;
  }

 private:
  HDC FDc = nullptr;
  HGDIOBJ FOld = nullptr;
};

}  // namespace pellamy
