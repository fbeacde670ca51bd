#include "skin/layout/MenuLoopRules.h"

#include <algorithm>

namespace pellamy {

unsigned ArrowForDirection(unsigned key, bool rightToLeft) {
  if (!rightToLeft) return key;
  if (key == kKeyLeft) return kKeyRight;
  if (key == kKeyRight) return kKeyLeft;
  return key;
}

int BarButtonForKey(unsigned key, int current, int count, const TMenuCursor& cursor) {
  return BarButtonForKey(key, current, std::vector<bool>(static_cast<std::size_t>(std::max(count, 0)), true), cursor);
}

int BarButtonForKey(unsigned key, int current, const std::vector<bool>& enabled, const TMenuCursor& cursor) {
  const int count = static_cast<int>(enabled.size());
  if (count <= 0 || current < 0 || current >= count) return -1;
  int step = 0;
  if (key == kKeyLeft) {
    // In a sub-menu the left arrow closes it; the system does that.
    if (cursor.Known && !cursor.InBarDropDown) return -1;
    step = count - 1;
  } else if (key == kKeyRight) {
    // An item with a sub-menu opens it instead.
    if (cursor.Known && cursor.HasSubItems) return -1;
    step = 1;
  } else {
    return -1;
  }
  // Disabled buttons are passed over; with none other enabled it stays.
  int next = current;
  do next = (next + step) % count;
  while (next != current && !enabled[static_cast<std::size_t>(next)]);
  return next;
}

int SkinItemWidth(int measured, int menuItemLeft, bool hasImages) {
  return measured + std::max(menuItemLeft, 0) + 12 + (hasImages ? 0 : 23);
}

int WindowItemWidth(int measured, int menuItemLeft, bool hasImages) {
  return measured + std::max(menuItemLeft, 0) + 10 + (hasImages ? 0 : 25);
}

TItemSize RawItemSize(int textWidth, int proposedHeight, bool hasText, int menuItemLeft, bool nineXFamily) {
  TItemSize size;
  size.Width = textWidth + 26 + std::max(menuItemLeft, 0);
  size.Height = hasText ? proposedHeight + 4 : 8;
  if (nineXFamily) size.Height += 4;
  return size;
}

int ItemGlyphSize(int imageListWidth, bool hasImageList, bool checked) {
  int size = hasImageList && imageListWidth > 0 ? imageListWidth : 16;
  if (checked) size = std::max(size, 16);
  return size;
}

TItemContentLayout LayoutItemContent(const TItemRect& item, int glyphSize, int menuItemLeft, bool rightToLeft) {
  TItemContentLayout layout;
  const int inset = 1 + std::max(menuItemLeft, 0);
  layout.Glyph = {item.Left + inset, item.Top + 1, item.Left + inset + glyphSize, item.Top + 1 + glyphSize};
  layout.Text = {layout.Glyph.Right + 3, item.Top, item.Right - 1, item.Bottom};
  if (layout.Text.Right < layout.Text.Left) layout.Text.Right = layout.Text.Left;
  layout.ShortCut = layout.Text;
  layout.ShortCut.Right = std::max(layout.ShortCut.Left, layout.ShortCut.Right - 10);
  if (rightToLeft) {
    // Mirrored about the item's middle.
    const auto mirror = [&item](TItemRect r) {
      return TItemRect{item.Left + item.Right - r.Right, r.Top, item.Left + item.Right - r.Left, r.Bottom};
    };
    layout.Glyph = mirror(layout.Glyph);
    layout.Text = mirror(layout.Text);
    layout.ShortCut = mirror(layout.ShortCut);
  }
  return layout;
}

bool SystemMenuItemEnabled(int tag, TShowState showState) {
  constexpr TShowState kTagged[] = {TShowState::Normal, TShowState::Maximized, TShowState::Minimized};
  if (tag < 0 || tag > 2) return true;
  return kTagged[tag] != showState;
}

bool IsSecondIconClick(unsigned now, unsigned lastClick, unsigned doubleClickTime) {
  return lastClick != 0 && now - lastClick <= doubleClickTime;
}

}  // namespace pellamy
