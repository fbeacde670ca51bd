// SkinMenuItems: menu items drawn with the skin.
//   TMenuItemLook        what one item shows, from a library item or a raw
//                        entry of a window's menu
//   PaintSkinMenuItem    the skin's item painter: the popup's own background
//                        under the item, the MenuItem image, the content
//   PaintPlainMenuItem   without a MenuItem element: Hilight and Menu fills
//   MeasureSkinMenuItem  the skin's measurer for library items
//   TPopupBackgrounds    where the painter finds the background the popup
//                        menu skinner prepared for the menu window (the
//                        skinner lives a layer above this one)
#pragma once

#include <windows.h>

#include <string>

#include "gui/forms/Menus.h"
#include "gui/gdi/Bitmap.h"
#include "gui/gdi/GdiHandles.h"
#include "skin/model/WinSkinData.h"

namespace pellamy {

class TImageList;

struct TMenuItemLook {
  std::wstring Caption;   // with its "&" marker
  std::wstring ShortCut;  // drawn right-aligned
  bool Separator = false;
  bool Enabled = true;
  bool Checked = false;
  bool Default = false;
  bool RightToLeft = false;
  TImageList* Images = nullptr;
  int ImageIndex = -1;
};

// The item's look once its action has updated it.
TMenuItemLook LookOfItem(TMenuItem& item);
// A raw entry: its text (a tab parts the shortcut) and state bits.
TMenuItemLook LookOfEntry(HMENU menu, UINT position);

class TPopupBackgrounds {
 public:
  virtual ~TPopupBackgrounds() = default;
  // The popup window drawing into itemDc shows menu: its skinner learns so,
  // and hands out its prepared background (null when it has none) and where
  // the DC's origin lies in it.
  virtual TBitmap* Background(HMENU menu, HDC itemDc, POINT& origin) = 0;
};
void SetPopupBackgrounds(TPopupBackgrounds* source);

// rect is in dc's coordinates; parentMenu is the menu the item is shown in.
void PaintSkinMenuItem(TSkinData& skin, HDC dc, const RECT& rect, bool selected, const TMenuItemLook& look,
                       HMENU parentMenu);
void PaintPlainMenuItem(TSkinData& skin, HDC dc, const RECT& rect, bool selected, const TMenuItemLook& look);
// The skin painter when the skin has a MenuItem element, else the plain one.
void PaintMenuItem(TSkinData& skin, HDC dc, const RECT& rect, bool selected, const TMenuItemLook& look,
                   HMENU parentMenu);

void MeasureSkinMenuItem(TSkinData& skin, TMenuItem& item, int& width, int& height);
// The MenuItem element's LeftWidth, or -1 without the element.
int MenuItemLeft(const TSkinData& skin);

// The screen's menu font, bold or not.
UniqueFont MenuFont(bool bold);

}  // namespace pellamy
