// WinSkinMenu: the skinned menu bar of a frame.
//   TMenuBtn      one button of the bar: a top-level item of the window's
//                 menu, with its accelerator
//   TWinSkinMenu  the bar in the frame below the skinned caption: built from
//                 the window's menu, painted from the skin's MenuBar element
//                 (or its Menubar colour), its buttons found by point and by
//                 accelerator, their drop-downs opened under them
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/frame/WinSkinForm.h"
#include "skin/layout/MenuBarLayout.h"

namespace pellamy {

class TWinSkinMenu;

class TMenuBtn : public TNCObject {
 public:
  TMenuBtn(TWinSkinForm* owner, TWinSkinMenu* bar) : TNCObject(owner), Bar(bar) {}
  void Paint() override;

  TWinSkinMenu* Bar;
  int Index = 0;
  UINT Command = 0;
  HMENU SubMenu = nullptr;
  std::wstring Caption;  // without the "&"
  wchar_t Accelerator = 0;
  int AcceleratorAt = -1;  // index in Caption of the underlined letter
  bool Enabled = true;
};

class TWinSkinMenu {
 public:
  TWinSkinMenu(TWinSkinForm* frame, TSkinData* skin) : Frame(frame), SkinData(skin) {}

  void BuildFromHandle(HMENU menu);
  // The window's menu is the bar's while the window is skinned: kept off the
  // window, so that the system neither lays out nor tracks a bar of its own
  // over the skinned frame. Takes the menu the window has now (or, without
  // one, keeps the one taken before) and builds the buttons from it.
  void TakeWindowMenu();
  // The same, only when the window was given a menu again (by the program,
  // the library or the MDI client); true when it was.
  bool RetakeWindowMenu();
  // Detaching: the window gets its menu back (a form's current one). When
  // the window is going, a plain window's menu is destroyed with it, as the
  // system would have done; a form's belongs to the library.
  void GiveBack(bool windowGoing);
  // Lays the buttons out in bar (window coordinates) and paints it.
  void PaintBar(HDC dc, const RECT& bar);
  void PaintButton(HDC dc, TMenuBtn& button);
  TMenuBtn* ButtonAt(POINT framePoint) const;
  // The first enabled button with that letter (or, anyState, any button).
  TMenuBtn* ButtonByAccelerator(wchar_t key, bool anyState = false) const;
  // Sends the button's command, then opens its drop-down under it and waits
  // until it closes, and opens the neighbour's when the arrows or the mouse
  // moved on to it. False when the button has no drop-down.
  bool OpenButtonMenu(TMenuBtn& button);

  TWinSkinForm* Frame;
  TSkinData* SkinData;
  HMENU Menu = nullptr;
  RECT Bounds{};
  std::vector<std::unique_ptr<TMenuBtn>> Buttons;
  // The bar's background as last painted, for repainting single buttons.
  std::unique_ptr<TBitmap> BarBitmap;

 private:
  static constexpr int kPadding = 7;
  // The bar's background at w x h: the MenuBar image by its Tile rule, or
  // the Menubar colour.
  std::unique_ptr<TBitmap> BarBackground(int w, int h) const;
  // A maximised MDI child's buttons (Visibility 100) drawn in the bar.
  void PaintChildButtons(HDC dc);
};

}  // namespace pellamy
