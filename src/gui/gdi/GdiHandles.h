// UniqueGdi<T> (UniqueBitmap, UniqueBrush, UniquePen, UniqueFont, UniqueRgn),
// UniqueIcon, UniqueMenu, UniqueMemDc, WindowDc, PaintDc, SavedDc,
// ClipGuard, SelectGuard: the owners of every GDI and USER handle, one type per way of
// getting a DC. All are UniqueHandle (base/UniqueHandle.h) or scope guards
// over it, counted by kind.
//
// The owners are move-only; release() hands a handle over to the system (a
// region given to SetWindowRgn).
#pragma once

#include <windows.h>

#include <utility>

#include "base/UniqueHandle.h"

namespace pellamy {

namespace detail {
template <typename T>
struct THandleKindOf;
template <>
struct THandleKindOf<HBITMAP> {
  static constexpr THandleKind Kind = THandleKind::Bitmap;
};
template <>
struct THandleKindOf<HBRUSH> {
  static constexpr THandleKind Kind = THandleKind::Brush;
};
template <>
struct THandleKindOf<HPEN> {
  static constexpr THandleKind Kind = THandleKind::Pen;
};
template <>
struct THandleKindOf<HFONT> {
  static constexpr THandleKind Kind = THandleKind::Font;
};
template <>
struct THandleKindOf<HRGN> {
  static constexpr THandleKind Kind = THandleKind::Region;
};

// A GDI object deleted with DeleteObject. It must not be selected into a DC
// when its owner lets go of it (see SelectGuard).
template <typename T>
struct TGdiObjectTraits {
  using Handle = T;
  static constexpr THandleKind Kind = THandleKindOf<T>::Kind;
  static Handle None() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};

// An icon or cursor of our own (not a shared one from LoadIcon or
// LR_SHARED), destroyed with DestroyIcon.
struct TIconTraits {
  using Handle = HICON;
  static constexpr THandleKind Kind = THandleKind::Icon;
  static Handle None() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DestroyIcon(h); }
};

// A menu or menu bar that no window holds; one set on a window or inserted
// as a sub-menu is the system's (release() it then).
struct TMenuTraits {
  using Handle = HMENU;
  static constexpr THandleKind Kind = THandleKind::Menu;
  static Handle None() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DestroyMenu(h); }
};

struct TMemDcTraits {
  using Handle = HDC;
  static constexpr THandleKind Kind = THandleKind::MemDc;
  static Handle None() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteDC(h); }
};

// A window's DC remembers the window it goes back to.
struct TWindowDcHandle {
  HWND Window = nullptr;
  HDC Dc = nullptr;
  bool operator==(const TWindowDcHandle&) const = default;
};
struct TWindowDcTraits {
  using Handle = TWindowDcHandle;
  static constexpr THandleKind Kind = THandleKind::WindowDc;
  static Handle None() { return {}; }
  static bool Valid(Handle h) { return h.Dc != nullptr; }
  static void Close(Handle h) { ReleaseDC(h.Window, h.Dc); }
};
}  // namespace detail

template <typename T>
using UniqueGdi = UniqueHandle<detail::TGdiObjectTraits<T>>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueRgn = UniqueGdi<HRGN>;
using UniqueIcon = UniqueHandle<detail::TIconTraits>;
using UniqueMenu = UniqueHandle<detail::TMenuTraits>;

// A memory DC compatible with another DC (the screen when none is given),
// deleted with DeleteDC. Objects selected into it should be put back first
// (SelectGuard) so that they can be deleted.
class UniqueMemDc {
 public:
  UniqueMemDc() = default;
  // Throws pellamy::Exception when the system has no DC to give.
  static UniqueMemDc CompatibleWith(HDC dc);

  HDC get() const { return FDc.get(); }
  explicit operator bool() const { return static_cast<bool>(FDc); }
  void reset() { FDc.reset(); }

 private:
  UniqueHandle<detail::TMemDcTraits> FDc;
};

// A window's DC from GetDC (client area), GetWindowDC (whole window) or
// GetDCEx, given back with ReleaseDC to the window it came from.
class WindowDc {
 public:
  enum class TArea { Client, Window };

  WindowDc() = default;
  // Throws pellamy::Exception when the system has no DC to give.
  explicit WindowDc(HWND window, TArea area = TArea::Client);
  // GetDCEx: with DCX_INTERSECTRGN or DCX_EXCLUDERGN the system takes the
  // region over (pass a released one).
  WindowDc(HWND window, HRGN clip, DWORD flags);

  HDC get() const { return FDc.get().Dc; }
  HWND Window() const { return FDc.get().Window; }
  explicit operator bool() const { return static_cast<bool>(FDc); }
  void reset() { FDc.reset(); }

 private:
  void Adopt(HWND window, HDC dc);

  UniqueHandle<detail::TWindowDcTraits> FDc;
};

// BeginPaint on construction, EndPaint on destruction: the WM_PAINT adapter.
// Neither copied nor moved: it lives in the handler's scope, so a painter
// that throws still ends the paint.
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

// SaveDC on construction, RestoreDC on destruction: whatever a painter
// selects, clips or moves in between is undone, also when it throws.
class SavedDc {
 public:
  explicit SavedDc(HDC dc);
  SavedDc(const SavedDc&) = delete;
  SavedDc& operator=(const SavedDc&) = delete;
  ~SavedDc();

 private:
  HDC FDc;
  int FSaved;
};

// Clips a DC to a rectangle (within the clipping it had, when given) and
// puts the given clipping back when it ends.
class ClipGuard {
 public:
  ClipGuard(HDC dc, const RECT& area, HRGN previous);
  ~ClipGuard() { SelectClipRgn(FDc, FPrevious); }
  ClipGuard(const ClipGuard&) = delete;
  ClipGuard& operator=(const ClipGuard&) = delete;

 private:
  HDC FDc;
  HRGN FPrevious;
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
