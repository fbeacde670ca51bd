// TMenuItem, TMenu, TMainMenu, TPopupMenu: menu items kept as real system
// menus (one HMENU per item with sub items, rebuilt when an item changes),
// their shortcuts and their text forms, owner drawing with the library's
// default look, window menus merged with an MDI child's, and popup menus
// whose messages come to a hidden window of the library.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Component.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/Graphics.h"

namespace pellamy {

class TForm;
class TImageList;
class TMenu;
class TMainMenu;

// A key (the low byte: a virtual-key code) with its shift keys.
using TShortCut = unsigned short;
inline constexpr TShortCut scNone = 0;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

inline constexpr TShortCut ShortCut(unsigned key, TShortCut shift) {
  return static_cast<TShortCut>((key & 0xFF) | shift);
}
// "Ctrl+O", "F5", "Shift+Del"; empty for scNone.
std::string ShortCutToText(TShortCut shortCut);
// The reverse, case-insensitive; scNone for text it does not know.
TShortCut TextToShortCut(const std::string& text);
// The shortcut a key message stands for, with the shift keys held now.
TShortCut ShortCutFromKey(unsigned key, bool altDown);

// A caption without its accelerator marks ("&&" stays one "&").
std::string StripHotkey(const std::string& caption);
// The accelerator character of a caption, lowered; 0 when there is none.
wchar_t HotkeyOf(const std::string& caption);

enum TOwnerDrawStateFlag : unsigned {
  odSelected = 1 << 0,
  odGrayed = 1 << 1,
  odDisabled = 1 << 2,
  odChecked = 1 << 3,
  odFocused = 1 << 4,
  odDefault = 1 << 5,
  odHotLight = 1 << 6,
  odInactive = 1 << 7,
  odNoAccel = 1 << 8,
  odNoFocusRect = 1 << 9,
  odComboBoxEdit = 1 << 12,
};
using TOwnerDrawState = unsigned;
// The state bits of a DRAWITEMSTRUCT's itemState.
TOwnerDrawState OwnerDrawStateOf(UINT itemState);

using TAdvancedMenuDrawItemEvent =
    std::function<void(class TMenuItem* sender, TCanvas& canvas, RECT rect, TOwnerDrawState state)>;
using TMenuMeasureItemEvent = std::function<void(class TMenuItem* sender, TCanvas& canvas, int& width, int& height)>;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  // Sub items still in the list go with their parent.
  ~TMenuItem() override;
  std::string ClassName() const override { return "TMenuItem"; }

  // "&Open" underlines the O; "-" is a separator line.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& caption);
  bool IsLine() const { return FCaption == "-"; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut shortCut);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool Checked() const { return FChecked; }
  // Checking a radio item unchecks the others of its group index.
  void SetChecked(bool value);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool value);
  // Clicking the item toggles Checked (or checks a radio item).
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool value) { FAutoCheck = value; }
  // Radio groups, and the order of top-level items when menus merge.
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  // Drawn bold; Enter on the menu's owner chooses it.
  bool Default() const { return FDefault; }
  void SetDefault(bool value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int index);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& hint) { FHint = hint; }

  // The sub items.
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int index) const { return FItems.at(static_cast<std::size_t>(index)); }
  TMenuItem* Parent() const { return FParent; }
  int IndexOf(const TMenuItem* item) const;
  // Takes an item out of its old parent, if any.
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  // Takes an item out of the list without freeing it.
  void Remove(TMenuItem* item);
  // Frees the item at index.
  void Delete(int index);
  void Clear();
  // A sub item by caption, accelerator marks ignored.
  TMenuItem* Find(const std::string& caption) const;
  // The position among the parent's items.
  int MenuIndex() const;
  void SetMenuIndex(int index);

  // The id its WM_COMMAND carries, unique in the process.
  WORD Command() const { return FCommand; }
  // The HMENU of its sub-menu, made on first use; none without sub items
  // (a menu's root item always has one).
  HMENU Handle();
  bool HandleAllocated() const { return static_cast<bool>(FHandle); }
  // The menu the item belongs to, through its parents.
  TMenu* GetParentMenu() const;
  // Drawn by the library or its events rather than by the system.
  bool IsOwnerDraw() const;

  // Runs the action update, then the checking of AutoCheck and OnClick.
  virtual void Click();
  // Lets the item's action update it (Caption, Enabled...) before it is used.
  void InitiateAction();

  // The size the item needs: the library's measure, then OnMeasureItem.
  void MeasureItem(TCanvas& canvas, int& width, int& height);
  // OnAdvancedDrawItem when set, else the library's drawing.
  void AdvancedDrawItem(TCanvas& canvas, const RECT& rect, TOwnerDrawState state, bool topLevel);

  TNotifyEvent OnClick;
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
  TMenuMeasureItemEvent OnMeasureItem;
  // A skin's painter and measurer, apart from the application's handlers so
  // that taking the skin away leaves those alone. They stand in while the
  // application draws the item by no handler of its own; the skin's
  // measurer then replaces OnMeasureItem.
  TAdvancedMenuDrawItemEvent OnSkinDrawItem;
  TMenuMeasureItemEvent OnSkinMeasureItem;
  bool SkinDrawn() const { return !OnAdvancedDrawItem && OnSkinDrawItem; }
  TNotifyEvent OnActionUpdate;

  // Looks an item up by its command, or by its sub-menu's HMENU; nullptr
  // when none lives.
  static TMenuItem* FromCommand(WORD command);
  static TMenuItem* FromHandle(HMENU menu);
  // Whether a pointer is a live item (owner-draw messages carry them).
  static bool IsLiveItem(const void* item);

 protected:
  void DefineProperties(TPropertyTable& table) const override;

 private:
  friend class TMenu;
  friend class TMainMenu;
  friend class TPopupMenu;
  // A property changed: the parent's menu is filled again and the menu
  // told.
  void Changed();
  // Fills this item's HMENU with its visible sub items.
  void RebuildHandle();
  // Whether an entry's owner drawing no longer matches its item's.
  bool EntriesStale();
  void FreeHandle();
  void DrawDefault(TCanvas& canvas, const RECT& rect, TOwnerDrawState state, bool topLevel);
  void UncheckSiblings();

  std::string FCaption;
  TShortCut FShortCut = scNone;
  bool FEnabled = true;
  bool FChecked = false;
  bool FRadioItem = false;
  bool FAutoCheck = false;
  int FGroupIndex = 0;
  bool FDefault = false;
  bool FVisible = true;
  int FImageIndex = -1;
  bool FEntryOwnerDraw = false;  // as its parent's menu entry was last built
  std::string FHint;
  WORD FCommand = 0;
  // An item's menu lists its sub-items' menus, which belong to them: it is
  // emptied before it is destroyed.
  struct TItemMenuTraits : detail::TMenuTraits {
    static void Close(HMENU menu);
  };
  UniqueHandle<TItemMenuTraits> FHandle;
  TMenuItem* FParent = nullptr;
  std::vector<TMenuItem*> FItems;
  TMenu* FMenu = nullptr;  // set on a menu's root item only
};

enum TFindItemKind { fkCommand, fkHandle, fkShortCut };

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  std::string ClassName() const override { return "TMenu"; }

  // The root item; its sub items are the menu's items.
  TMenuItem* Items() const { return FItems.get(); }
  HMENU Handle() { return FItems->Handle(); }
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* images);
  // All items drawn by the library (MFT_OWNERDRAW).
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool value);

  // An item by command id, by the HMENU of its sub-menu, or by shortcut.
  virtual TMenuItem* FindItem(std::uintptr_t value, TFindItemKind kind) const;
  // Clicks the enabled, visible item with this shortcut; false when none.
  bool IsShortCut(TShortCut shortCut);
  // Clicks the item of a WM_COMMAND id; false when it is not ours.
  bool DispatchCommand(WORD command);
  // Runs the action updates of the sub items of a popup about to open.
  bool DispatchPopup(HMENU popup);

  // Called after an item changed and its HMENU was built again.
  virtual void MenuChanged(TMenuItem* item);
  // True when the root's entries are the top-level bar.
  virtual bool IsMenuBar() const { return false; }

 protected:
  void Notification(TComponent* component, bool removing) override;
  void DefineProperties(TPropertyTable& table) const override;
  // The top-level items the root's HMENU lists.
  virtual std::vector<TMenuItem*> RootEntries() const;
  // The root's HMENU was made anew (menu bars are).
  virtual void HandleReplaced();
  friend class TMenuItem;

 private:
  static void RebuildAll(TMenuItem* item);

  std::unique_ptr<TMenuItem> FItems;
  TImageList* FImages = nullptr;
  bool FOwnerDraw = false;
};

class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* owner);
  ~TMainMenu() override;
  std::string ClassName() const override { return "TMainMenu"; }

  // The form whose window shows this menu, if any.
  TForm* Form() const { return FForm; }

  // Shows another menu's top-level items in this one's bar: an item with
  // the group index of one of ours replaces it, the others go in group index
  // order. One merged menu at a time.
  void Merge(TMainMenu* menu);
  void Unmerge(TMainMenu* menu);
  TMainMenu* Merged() const { return FMerged; }

  TMenuItem* FindItem(std::uintptr_t value, TFindItemKind kind) const override;
  void MenuChanged(TMenuItem* item) override;
  bool IsMenuBar() const override { return true; }

 protected:
  std::vector<TMenuItem*> RootEntries() const override;
  void HandleReplaced() override;

 private:
  friend class TForm;
  TForm* FForm = nullptr;
  TMainMenu* FMerged = nullptr;      // shown in our bar
  TMainMenu* FMergedInto = nullptr;  // we are shown in that one's bar
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  std::string ClassName() const override { return "TPopupMenu"; }

  // Shows the menu at a screen point and runs the system's menu loop; the
  // chosen item's click follows through the message queue.
  virtual void Popup(int x, int y);
  POINT PopupPoint() const { return FPopupPoint; }
  // The control the menu was last opened for.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* component) { FPopupComponent = component; }
  // Opened by the right button over its control.
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool value) { FAutoPopup = value; }
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment value) { FAlignment = value; }

  // The hidden window that receives the messages of every popup menu.
  static HWND Window();

  TNotifyEvent OnPopup;

 protected:
  void DefineProperties(TPropertyTable& table) const override;

 private:
  POINT FPopupPoint{-1, -1};
  TComponent* FPopupComponent = nullptr;
  bool FAutoPopup = true;
  TPopupAlignment FAlignment = paLeft;
};

// The menu messages a window receives for its menus: WM_MEASUREITEM and
// WM_DRAWITEM of owner-drawn items, WM_INITMENUPOPUP, WM_MENUSELECT and
// WM_MENUCHAR of any live item. True when the message was one of ours;
// result is its result.
bool HandleMenuMessage(HWND window, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result);

}  // namespace pellamy
