// The skinned menus' rules, portable: where the keyboard moves in the bar
// while a drop-down is tracked, how the skin's item painter measures items
// and lays out their glyph and text, and which system-menu items a window's
// show state leaves enabled.
#pragma once

#include <vector>

#include "skin/layout/FrameLayout.h"

namespace pellamy {

// Virtual-key codes the menu loop reacts to.
inline constexpr unsigned kKeyLeft = 37, kKeyRight = 39, kKeyDown = 40;
inline constexpr unsigned kKeyReturn = 13, kKeyEscape = 27, kKeyMenu = 18;

// A right-to-left menu runs its bar the other way: the arrows swap.
unsigned ArrowForDirection(unsigned key, bool rightToLeft);

// What the system's loop knows of the item under the keyboard cursor.
struct TMenuCursor {
  bool Known = false;          // an item of ours is selected
  bool InBarDropDown = false;  // it (or its parent menu) is the drop-down the bar opened
  bool HasSubItems = false;    // it opens a sub-menu of its own
};

// The bar button an arrow key moves to while button current of count is
// open, or -1 when the key stays with the system's loop (it closes or opens
// a sub-menu, or it is no arrow). The ends wrap round.
int BarButtonForKey(unsigned key, int current, int count, const TMenuCursor& cursor);
// The same over buttons of which only the enabled ones are stopped at.
int BarButtonForKey(unsigned key, int current, const std::vector<bool>& enabled, const TMenuCursor& cursor);

// Widths the skin's measurer adds. menuItemLeft is the MenuItem element's
// LeftWidth, or -1 when the skin has no such element.
// A library item measured through its own handler:
int SkinItemWidth(int measured, int menuItemLeft, bool hasImages);
// A window-menu item the library measured by command identifier:
int WindowItemWidth(int measured, int menuItemLeft, bool hasImages);
// A raw item of a plain window's menu, from its text width; the height the
// system proposed grows by 4 for text, becomes 8 for a separator.
struct TItemSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const TItemSize&) const = default;
};
TItemSize RawItemSize(int textWidth, int proposedHeight, bool hasText, int menuItemLeft, bool nineXFamily);

struct TItemRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TItemRect&) const = default;
};

// Where an item's glyph and text go inside its rectangle.
struct TItemContentLayout {
  TItemRect Glyph;     // the square glyph box
  TItemRect Text;      // the caption's box
  TItemRect ShortCut;  // the shortcut's box, right-aligned (left-aligned mirrored)
};
// glyphSize is the image list's width (16 without one; at least 16 when
// checked); mirrored for a right-to-left menu.
TItemContentLayout LayoutItemContent(const TItemRect& item, int glyphSize, int menuItemLeft, bool rightToLeft);
int ItemGlyphSize(int imageListWidth, bool hasImageList, bool checked);

// The skinned system menu's items: tag 0 restore, 1 maximize, 2 minimize;
// each is disabled while the window already is in that state.
bool SystemMenuItemEnabled(int tag, TShowState showState);
// The second request within the double-click time closes the window rather
// than showing the menu again; tick counts wrap.
bool IsSecondIconClick(unsigned now, unsigned lastClick, unsigned doubleClickTime);

}  // namespace pellamy
