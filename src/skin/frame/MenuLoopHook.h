// MenuLoopHook: the skinned bar's drop-downs while the system's modal menu
// loop tracks one.
//   TOwnerDrawnEntries  a menu's entries (and its sub-menus') drawn by the
//                       frame while it is open, given back afterwards
//   TMenuLoopHook       the thread's message filter over the loop: the first
//                       item selected, the arrows and the mouse moving on to
//                       the neighbouring bar button, Alt ending the tracking
// One menu is tracked at a time; the state is process-wide while it runs.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "skin/layout/MenuLoopRules.h"

namespace pellamy {

class TWinSkinForm;
class TWinSkinMenu;

class TOwnerDrawnEntries {
 public:
  explicit TOwnerDrawnEntries(HMENU menu) { Add(menu, 0); }
  ~TOwnerDrawnEntries();
  TOwnerDrawnEntries(const TOwnerDrawnEntries&) = delete;
  TOwnerDrawnEntries& operator=(const TOwnerDrawnEntries&) = delete;

  // The entries of menu, and of its sub-menus, become owner-drawn (again,
  // after their owner built them anew).
  void Add(HMENU menu, int depth);

 private:
  std::vector<std::pair<HMENU, UINT>> FChanged;  // menu and position
};

class TMenuLoopHook {
 public:
  TMenuLoopHook(TWinSkinForm& frame, TWinSkinMenu& bar, int index, HMENU dropDown, TOwnerDrawnEntries* entries);
  ~TMenuLoopHook();
  TMenuLoopHook(const TMenuLoopHook&) = delete;
  TMenuLoopHook& operator=(const TMenuLoopHook&) = delete;

  // The bar button to open once the loop has ended, or -1.
  int NextButton() const;
  bool Installed() const { return FHook != nullptr; }

 private:
  HHOOK FHook = nullptr;
};

// What the owner window hears of the tracked loop: the item under the
// keyboard cursor (WM_MENUSELECT), a sub-menu about to open
// (WM_INITMENUPOPUP, after its owner filled it).
void MenuLoopSelect(WPARAM wparam, LPARAM lparam);
void MenuLoopInitPopup(HMENU popup);
// The frame whose drop-down is tracked now, or null.
TWinSkinForm* MenuLoopFrame();

}  // namespace pellamy
