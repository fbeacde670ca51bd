#include "gui/gdi/GdiHandles.h"

#include "base/Exceptions.h"

namespace pellamy {

UniqueMemDc UniqueMemDc::CompatibleWith(HDC dc) {
  UniqueMemDc result;
  result.FDc.reset(CreateCompatibleDC(dc));
  if (!result) throw Exception("Out of system resources: no memory device context");
  return result;
}

WindowDc::WindowDc(HWND window, TArea area) {
  Adopt(window, area == TArea::Client ? GetDC(window) : GetWindowDC(window));
}

WindowDc::WindowDc(HWND window, HRGN clip, DWORD flags) {
  Adopt(window, GetDCEx(window, clip, flags));
}

void WindowDc::Adopt(HWND window, HDC dc) {
  if (dc == nullptr) throw Exception("Out of system resources: no device context for the window");
  FDc.reset({window, dc});
}

PaintDc::PaintDc(HWND window) : FWindow(window) {
  BeginPaint(window, &FPaint);
  detail::CountHandle(THandleKind::PaintDc, +1);
}

PaintDc::~PaintDc() {
  EndPaint(FWindow, &FPaint);
  detail::CountHandle(THandleKind::PaintDc, -1);
}

SavedDc::SavedDc(HDC dc) : FDc(dc), FSaved(SaveDC(dc)) {
  if (FSaved != 0) detail::CountHandle(THandleKind::SavedDc, +1);
}

SavedDc::~SavedDc() {
  if (FSaved == 0) return;
  RestoreDC(FDc, FSaved);
  detail::CountHandle(THandleKind::SavedDc, -1);
}

ClipGuard::ClipGuard(HDC dc, const RECT& area, HRGN previous) : FDc(dc), FPrevious(previous) {
  UniqueRgn clip(CreateRectRgnIndirect(&area));
  if (previous != nullptr) CombineRgn(clip.get(), clip.get(), previous, RGN_AND);
  SelectClipRgn(dc, clip.get());  // the DC takes a copy
}

}  // namespace pellamy
