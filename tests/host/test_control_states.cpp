// The skinned controls' state images and small geometry: which picture each
// state shows, where an up-down's halves lie, how far a progress bar fills
// and how a status panel's text is aligned.
#include <gtest/gtest.h>

#include <climits>

#include "skin/layout/ControlStates.h"

namespace pellamy {
namespace {

TEST(ControlStates, GlyphPicturesFollowTheButtonAndLeaveOutWhatTheGlyphLacks) {
  bool embossed = true;
  // Up, disabled, clicked, down.
  EXPECT_EQ(GlyphImageFor(1, 4, false, embossed), 0);
  EXPECT_FALSE(embossed);
  EXPECT_EQ(GlyphImageFor(2, 4, false, embossed), 2);
  EXPECT_EQ(GlyphImageFor(3, 4, false, embossed), 1);
  EXPECT_EQ(GlyphImageFor(4, 4, false, embossed), 0);
  EXPECT_EQ(GlyphImageFor(1, 4, true, embossed), 3);
  EXPECT_EQ(GlyphImageFor(2, 4, true, embossed), 3);
  // A disabled button keeps its disabled picture even when down.
  EXPECT_EQ(GlyphImageFor(3, 4, true, embossed), 1);
  // Fewer pictures: the first, and a disabled one grayed from it.
  EXPECT_EQ(GlyphImageFor(2, 2, true, embossed), 0);
  EXPECT_EQ(GlyphImageFor(3, 2, false, embossed), 1);
  EXPECT_FALSE(embossed);
  EXPECT_EQ(GlyphImageFor(3, 1, false, embossed), 0);
  EXPECT_TRUE(embossed);
  EXPECT_EQ(GlyphImageFor(2, 1, false, embossed), 0);
  EXPECT_FALSE(embossed);
}

TEST(ControlStates, TabHeadsShowTheirStateAndFallBackInShortStrips) {
  EXPECT_EQ(TabImage(false, false, true, false, 5), 1);
  EXPECT_EQ(TabImage(true, false, true, false, 5), 2);
  EXPECT_EQ(TabImage(true, true, true, false, 5), 5);
  EXPECT_EQ(TabImage(false, false, true, true, 5), 4);
  // Selected wins over hot; disabled over everything.
  EXPECT_EQ(TabImage(true, false, true, true, 5), 2);
  EXPECT_EQ(TabImage(true, true, false, true, 5), 3);
  EXPECT_EQ(TabImage(true, true, true, false, 4), 2);
  EXPECT_EQ(TabImage(false, false, true, true, 3), 1);
  EXPECT_EQ(TabImage(false, false, false, false, 2), 1);
  EXPECT_EQ(TabImage(true, false, true, false, 1), 1);
}

TEST(ControlStates, UpDownHalvesAndTheirImages) {
  EXPECT_EQ(UpDownPart(16, 22, false, 8, 0), 0);
  EXPECT_EQ(UpDownPart(16, 22, false, 8, 10), 0);
  EXPECT_EQ(UpDownPart(16, 22, false, 8, 11), 1);
  EXPECT_EQ(UpDownPart(16, 22, false, 8, 21), 1);
  EXPECT_EQ(UpDownPart(16, 22, false, 8, 22), -1);
  EXPECT_EQ(UpDownPart(16, 22, false, -1, 5), -1);
  EXPECT_EQ(UpDownPart(30, 10, true, 14, 5), 0);
  EXPECT_EQ(UpDownPart(30, 10, true, 15, 5), 1);
  EXPECT_EQ(UpDownPart(0, 0, true, 0, 0), -1);

  EXPECT_EQ(UpDownImage(0, true, -1, -1), 1);
  EXPECT_EQ(UpDownImage(1, true, -1, -1), 5);
  EXPECT_EQ(UpDownImage(0, true, 0, 0), 2);
  EXPECT_EQ(UpDownImage(1, true, 0, 1), 8);
  EXPECT_EQ(UpDownImage(0, true, 1, 1), 1);
  EXPECT_EQ(UpDownImage(1, false, 1, 1), 7);
}

TEST(ControlStates, ProgressFillsItsShareOfTheRange) {
  EXPECT_EQ(ProgressFill(0, 0, 100, 200), 0);
  EXPECT_EQ(ProgressFill(50, 0, 100, 200), 100);
  EXPECT_EQ(ProgressFill(100, 0, 100, 200), 200);
  EXPECT_EQ(ProgressFill(150, 0, 100, 200), 200);
  EXPECT_EQ(ProgressFill(-5, 0, 100, 200), 0);
  // A range that does not start at 0.
  EXPECT_EQ(ProgressFill(30, 20, 40, 100), 50);
  EXPECT_EQ(ProgressFill(20, 20, 40, 100), 0);
  // Empty and inverted ranges, no room.
  EXPECT_EQ(ProgressFill(5, 10, 10, 100), 0);
  EXPECT_EQ(ProgressFill(5, 10, 0, 100), 0);
  EXPECT_EQ(ProgressFill(5, 0, 10, 0), 0);
  // The widest range does not overflow.
  EXPECT_EQ(ProgressFill(0, INT_MIN, INT_MAX, 1000), 500);
  EXPECT_EQ(ProgressFill(INT_MAX, INT_MIN, INT_MAX, 1000), 1000);
}

TEST(ControlStates, PanelTextLosesItsTabsAndTakesTheirAlignment) {
  EXPECT_EQ(SplitPanelText(L"Ready", false).Text, L"Ready");
  EXPECT_EQ(SplitPanelText(L"Ready", false).Align, TPanelAlign::Left);
  EXPECT_EQ(SplitPanelText(L"\tMiddle", false).Text, L"Middle");
  EXPECT_EQ(SplitPanelText(L"\tMiddle", false).Align, TPanelAlign::Centre);
  EXPECT_EQ(SplitPanelText(L"\t\tEnd", false).Align, TPanelAlign::Right);
  // A third tab is text.
  EXPECT_EQ(SplitPanelText(L"\t\t\tEnd", false).Text, L"\tEnd");
  // Right to left swaps the sides but not the centre.
  EXPECT_EQ(SplitPanelText(L"Ready", true).Align, TPanelAlign::Right);
  EXPECT_EQ(SplitPanelText(L"\t\tEnd", true).Align, TPanelAlign::Left);
  EXPECT_EQ(SplitPanelText(L"\tMiddle", true).Align, TPanelAlign::Centre);
  EXPECT_EQ(SplitPanelText(L"", false).Text, L" ");
  EXPECT_EQ(SplitPanelText(L"\t\t", false).Text, L" ");
}

}  // namespace
}  // namespace pellamy
