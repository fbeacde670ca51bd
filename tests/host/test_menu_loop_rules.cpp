// The skinned menus' portable rules: the arrow keys' walk along the bar
// while a drop-down is open, the item measurer's arithmetic, the item
// content's boxes, the system menu's enabling and the icon's double click.
#include <gtest/gtest.h>

#include "skin/layout/MenuLoopRules.h"

namespace pellamy {
namespace {

TEST(MenuLoopRules, ArrowsWalkTheBarAndWrapAtBothEnds) {
  const TMenuCursor none;
  EXPECT_EQ(BarButtonForKey(kKeyRight, 0, 4, none), 1);
  EXPECT_EQ(BarButtonForKey(kKeyRight, 3, 4, none), 0) << "the last wraps to the first";
  EXPECT_EQ(BarButtonForKey(kKeyLeft, 2, 4, none), 1);
  EXPECT_EQ(BarButtonForKey(kKeyLeft, 0, 4, none), 3) << "the first wraps to the last";
  EXPECT_EQ(BarButtonForKey(kKeyRight, 0, 1, none), 0) << "a single button stays itself";
  EXPECT_EQ(BarButtonForKey(kKeyDown, 0, 4, none), -1);
  EXPECT_EQ(BarButtonForKey(kKeyRight, -1, 4, none), -1) << "nothing open";
  EXPECT_EQ(BarButtonForKey(kKeyRight, 4, 4, none), -1);
  EXPECT_EQ(BarButtonForKey(kKeyLeft, 0, 0, none), -1);
}

TEST(MenuLoopRules, ArrowsPassOverDisabledButtons) {
  const TMenuCursor none;
  const std::vector<bool> third{true, true, false, true}, allButOne{false, true, false};
  EXPECT_EQ(BarButtonForKey(kKeyRight, 1, third, none), 3);
  EXPECT_EQ(BarButtonForKey(kKeyLeft, 3, third, none), 1);
  EXPECT_EQ(BarButtonForKey(kKeyRight, 1, allButOne, none), 1) << "alone enabled: it stays";
  EXPECT_EQ(BarButtonForKey(kKeyRight, 3, std::vector<bool>{false, true, true, true}, none), 1) << "wraps past it";
}

TEST(MenuLoopRules, SubMenusKeepTheirArrowsForTheSystem) {
  // The right arrow on an item with a sub-menu opens it.
  EXPECT_EQ(BarButtonForKey(kKeyRight, 1, 3, {true, true, true}), -1);
  EXPECT_EQ(BarButtonForKey(kKeyRight, 1, 3, {true, true, false}), 2);
  // Inside a sub-menu the right arrow on a plain item still moves on.
  EXPECT_EQ(BarButtonForKey(kKeyRight, 1, 3, {true, false, false}), 2);
  // The left arrow inside a sub-menu closes it; in the drop-down it moves.
  EXPECT_EQ(BarButtonForKey(kKeyLeft, 1, 3, {true, false, false}), -1);
  EXPECT_EQ(BarButtonForKey(kKeyLeft, 1, 3, {true, true, true}), 0);
}

TEST(MenuLoopRules, RightToLeftExchangesTheArrows) {
  EXPECT_EQ(ArrowForDirection(kKeyLeft, true), kKeyRight);
  EXPECT_EQ(ArrowForDirection(kKeyRight, true), kKeyLeft);
  EXPECT_EQ(ArrowForDirection(kKeyDown, true), kKeyDown);
  EXPECT_EQ(ArrowForDirection(kKeyLeft, false), kKeyLeft);
}

TEST(MenuLoopRules, MeasuringAddsTheSkinsItemMarginAndTheGlyphRoom) {
  EXPECT_EQ(SkinItemWidth(100, 6, true), 118);
  EXPECT_EQ(SkinItemWidth(100, 6, false), 141) << "room for the check mark without images";
  EXPECT_EQ(SkinItemWidth(100, -1, true), 112) << "no MenuItem element";
  EXPECT_EQ(WindowItemWidth(100, 6, true), 116);
  EXPECT_EQ(WindowItemWidth(100, -1, false), 135);
  EXPECT_EQ(RawItemSize(50, 15, true, 4, false), (TItemSize{80, 19}));
  EXPECT_EQ(RawItemSize(0, 15, false, -1, false), (TItemSize{26, 8})) << "a separator";
  EXPECT_EQ(RawItemSize(50, 15, true, -1, true), (TItemSize{76, 23})) << "the 9x family's extra height";
}

TEST(MenuLoopRules, GlyphAndTextBoxes) {
  EXPECT_EQ(ItemGlyphSize(24, true, false), 24);
  EXPECT_EQ(ItemGlyphSize(0, false, false), 16);
  EXPECT_EQ(ItemGlyphSize(12, true, true), 16) << "a checked item has room for the check mark";
  EXPECT_EQ(ItemGlyphSize(12, true, false), 12);
  const TItemRect item{10, 20, 210, 42};
  const auto plain = LayoutItemContent(item, 16, 5, false);
  EXPECT_EQ(plain.Glyph, (TItemRect{16, 21, 32, 37}));
  EXPECT_EQ(plain.Text, (TItemRect{35, 20, 209, 42}));
  EXPECT_EQ(plain.ShortCut, (TItemRect{35, 20, 199, 42}));
  const auto mirrored = LayoutItemContent(item, 16, 5, true);
  EXPECT_EQ(mirrored.Glyph, (TItemRect{188, 21, 204, 37})) << "the glyph at the right";
  EXPECT_EQ(mirrored.Text, (TItemRect{11, 20, 185, 42}));
  EXPECT_EQ(mirrored.ShortCut.Left, 21) << "the shortcut keeps its 10 pixels from the far end";
  const auto narrow = LayoutItemContent({0, 0, 10, 10}, 16, -1, false);
  EXPECT_LE(narrow.Text.Left, narrow.Text.Right) << "never a negative box";
  EXPECT_LE(narrow.ShortCut.Left, narrow.ShortCut.Right);
}

TEST(MenuLoopRules, SystemMenuByShowStateAndTheIconsDoubleClick) {
  using enum TShowState;
  EXPECT_FALSE(SystemMenuItemEnabled(0, Normal)) << "restore while normal";
  EXPECT_TRUE(SystemMenuItemEnabled(0, Maximized));
  EXPECT_FALSE(SystemMenuItemEnabled(1, Maximized)) << "maximize while maximised";
  EXPECT_TRUE(SystemMenuItemEnabled(1, Minimized));
  EXPECT_FALSE(SystemMenuItemEnabled(2, Minimized)) << "minimize while minimised";
  EXPECT_TRUE(SystemMenuItemEnabled(3, Normal)) << "close always";
  EXPECT_TRUE(IsSecondIconClick(1400, 1000, 500));
  EXPECT_FALSE(IsSecondIconClick(1600, 1000, 500));
  EXPECT_FALSE(IsSecondIconClick(1000, 0, 500)) << "no first click yet";
  EXPECT_TRUE(IsSecondIconClick(100, 0xFFFFFF00u, 500)) << "across the tick count's wrap";
}

}  // namespace
}  // namespace pellamy
