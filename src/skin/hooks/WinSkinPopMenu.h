// TWinSkinPopMenu: the border of one popup menu window ("#32768") drawn from
// the skin's MenuBackground element. The system draws the items; this layer
// over the window draws the outer three pixels from a window-sized image it
// keeps, whose inside the skinned menu items can take as their background.
// Windows paints the border in WM_NCPAINT; Wine's menu windows have no
// non-client area and paint theirs in WM_PAINT and WM_PRINTCLIENT, so all of
// those are covered.
#pragma once

#include <windows.h>

#include "gui/gdi/Bitmap.h"
#include "skin/model/WinSkinData.h"

namespace pellamy {

class TWinSkinPopMenu {
 public:
  TWinSkinPopMenu() = default;
  ~TWinSkinPopMenu();
  TWinSkinPopMenu(const TWinSkinPopMenu&) = delete;
  TWinSkinPopMenu& operator=(const TWinSkinPopMenu&) = delete;

  void Attach(HWND window, TSkinData* skinData, HMENU parentMenu);
  void Detach();
  bool Attached() const { return FAttached; }

  LRESULT PopupWndProc(UINT msg, WPARAM wparam, LPARAM lparam);
  // Draws the border on the window; false when the skin has no usable
  // MenuBackground (the system's border stays).
  bool PaintBorder();
  bool PrintBorder(HDC dc, LRESULT& result, LPARAM flags);
  // BorderBitmap built for the window's size now, for items drawn before
  // the border; false when the skin has no usable MenuBackground.
  bool PrepareBackground() { return Usable() && BuildBorderBitmap(); }

  HWND Handle = nullptr;
  TSkinData* SkinData = nullptr;
  TBitmap BorderBitmap;
  HMENU ParentMenu = nullptr;

 private:
  static constexpr int kBorder = 3;
  bool Usable() const;
  bool BuildBorderBitmap();
  void CopyFrame(HDC dc);

  bool FAttached = false;
};

// The most recent popup skinner that has painted but does not yet know its
// menu; the skinned menu items fill in its ParentMenu.
extern TWinSkinPopMenu* CurrentPopupSkinner;

}  // namespace pellamy
