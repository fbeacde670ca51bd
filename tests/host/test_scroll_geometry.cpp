// The skinned scroll bars' arithmetic: where the bars lie, the thumb's size
// and offset, the drag's position mapping and its clamps, what a press
// along a bar hits, and which part shows pressed.
#include <gtest/gtest.h>

#include "skin/layout/ScrollGeometry.h"

namespace pellamy {
namespace {

TEST(ScrollGeometry, BarRectsForOneOrBothBarsWithTheCornerAndOnTheLeft) {
  // 200 x 100 window, 2-pixel edges, 17-pixel bars.
  TScrollBarRects both = ScrollBarRects(200, 100, 200 - 4 - 17, 100 - 4 - 17, 17, true, true, false);
  ASSERT_TRUE(both.HasHorz && both.HasVert && both.HasCorner);
  EXPECT_EQ(both.Horz, (TScrollRect{2, 81, 181, 98}));
  EXPECT_EQ(both.Vert, (TScrollRect{181, 2, 198, 81}));
  EXPECT_EQ(both.Corner, (TScrollRect{181, 81, 198, 98}));

  TScrollBarRects vert = ScrollBarRects(200, 100, 200 - 4 - 17, 96, 17, false, true, false);
  EXPECT_FALSE(vert.HasHorz || vert.HasCorner);
  EXPECT_EQ(vert.Vert, (TScrollRect{181, 2, 198, 98})) << "one bar runs the whole side";

  TScrollBarRects horz = ScrollBarRects(200, 100, 196, 100 - 4 - 17, 17, true, false, false);
  EXPECT_EQ(horz.Horz, (TScrollRect{2, 81, 198, 98}));

  TScrollBarRects left = ScrollBarRects(200, 100, 200 - 4 - 17, 100 - 4 - 17, 17, true, true, true);
  EXPECT_EQ(left.Vert, (TScrollRect{2, 2, 19, 81})) << "the vertical bar at the left edge";
  EXPECT_EQ(left.Horz, (TScrollRect{19, 81, 198, 98})) << "the horizontal one starts after it";
  EXPECT_EQ(left.Corner, (TScrollRect{2, 81, 19, 98}));

  TScrollBarRects bare = ScrollBarRects(200, 100, 200, 100, 17, false, false, false);
  EXPECT_FALSE(bare.HasHorz || bare.HasVert || bare.HasCorner);
  // No border at all: the edge is 0, never negative.
  EXPECT_EQ(ScrollBarRects(100, 50, 83, 50, 17, false, true, false).Vert, (TScrollRect{83, 0, 100, 50}));
}

TEST(ScrollGeometry, ArrowsShareABarShorterThanTwoOfThem) {
  EXPECT_EQ(ArrowLength(100, 17), 17);
  EXPECT_EQ(ArrowLength(34, 17), 17);
  EXPECT_EQ(ArrowLength(33, 17), 16);
  EXPECT_EQ(ArrowLength(9, 17), 4);
  EXPECT_EQ(ArrowLength(0, 17), 0);
}

TEST(ScrollGeometry, ThumbSizeAndOffsetWithAndWithoutAPage) {
  // Range 0..99 with a page of 10 on a 200-pixel track.
  TThumb t = ThumbOf({0, 99, 10, 0}, 200, 8, 17);
  ASSERT_TRUE(t.Valid);
  EXPECT_EQ(t.Size, 20) << "10 x 200 / 99 rounded";
  EXPECT_EQ(t.Offset, 0);
  EXPECT_EQ(ThumbOf({0, 99, 10, 89}, 200, 8, 17).Offset, 180) << "the last page: the thumb at the track's end";
  EXPECT_EQ(ThumbOf({0, 99, 10, 45}, 200, 8, 17).Offset, 45 * 180 / 89);
  EXPECT_EQ(ThumbOf({0, 99, 10, 500}, 200, 8, 17).Offset, 180) << "a position past the end stays in the track";
  EXPECT_EQ(ThumbOf({10, 109, 10, 10}, 200, 8, 17).Offset, 0) << "offsets count from Min";

  EXPECT_EQ(ThumbOf({0, 10000, 1, 0}, 200, 8, 17).Size, 8) << "a tiny page: the least thumb";
  EXPECT_EQ(ThumbOf({0, 10000, 1, 0}, 200, 3, 17).Size, 3) << "the platform's minimum is the caller's";

  TThumb noPage = ThumbOf({0, 50, 0, 25}, 200, 8, 17);
  EXPECT_EQ(noPage.Size, 17) << "no page: the system thumb";
  EXPECT_EQ(noPage.Offset, 25 * 183 / 50);
  EXPECT_EQ(ThumbOf({0, 50, 0, 0}, 10, 8, 17).Size, 10) << "never longer than the track";

  TThumb whole = ThumbOf({0, 99, 99, 0}, 200, 8, 17);
  EXPECT_EQ(whole.Size, 199) << "page == range: a pixel short";
  EXPECT_EQ(whole.Offset, 0);
  TThumb over = ThumbOf({0, 99, 150, 40}, 200, 8, 17);
  EXPECT_EQ(over.Offset, 0) << "a page larger than the range divides by nothing";
  EXPECT_EQ(over.Size, 199);

  EXPECT_FALSE(ThumbOf({5, 5, 0, 5}, 200, 8, 17).Valid) << "no range";
  EXPECT_FALSE(ThumbOf({9, 3, 0, 5}, 200, 8, 17).Valid) << "a negative range";
  EXPECT_FALSE(ThumbOf({0, 99, 10, 0}, 0, 8, 17).Valid) << "no track";
  EXPECT_FALSE(ThumbOf({0, 99, 10, 0}, -6, 8, 17).Valid);
}

TEST(ScrollGeometry, DraggedOffsetsMapToPositionsWithinTheirClamps) {
  const TScrollValues paged{0, 99, 10, 0};
  EXPECT_EQ(DragPosition(paged, 0, 200, 20), 0);
  EXPECT_EQ(DragPosition(paged, 100, 200, 20), 49) << "offset x range / track";
  EXPECT_EQ(DragPosition(paged, -30, 200, 20), 0) << "never before Min";
  EXPECT_EQ(DragPosition(paged, 190, 200, 20), 90) << "at most Max - Page + 1";
  EXPECT_EQ(DragPosition(paged, 5000, 200, 20), 90);
  EXPECT_EQ(DragPosition({20, 119, 10, 0}, 100, 200, 20), 69) << "from Min";

  const TScrollValues unpaged{0, 50, 0, 0};
  EXPECT_EQ(DragPosition(unpaged, 0, 200, 17), 0);
  EXPECT_EQ(DragPosition(unpaged, 183, 200, 17), 50) << "the thumb at the end: Max";
  EXPECT_EQ(DragPosition(unpaged, 500, 200, 17), 50) << "limited to the track less the thumb";
  EXPECT_EQ(DragPosition(unpaged, 61, 200, 17), 61 * 50 / 183);
  EXPECT_EQ(DragPosition(unpaged, 30, 17, 17), 0) << "no room to move: Min, no division by zero";
  EXPECT_EQ(DragPosition({7, 7, 0, 7}, 30, 200, 17), 7) << "no range";
}

TEST(ScrollGeometry, APressAlongTheBarHitsArrowsPagesOrTheThumb) {
  // A 234-pixel bar with 17-pixel arrows: a 200 track, thumb 20 at 50.
  const TThumb thumb{true, 20, 50};
  EXPECT_EQ(HitAlongBar(0, 234, 17, thumb), shLineUp);
  EXPECT_EQ(HitAlongBar(16, 234, 17, thumb), shLineUp);
  EXPECT_EQ(HitAlongBar(17, 234, 17, thumb), shPageUp);
  EXPECT_EQ(HitAlongBar(66, 234, 17, thumb), shPageUp);
  EXPECT_EQ(HitAlongBar(67, 234, 17, thumb), shThumbTrack);
  EXPECT_EQ(HitAlongBar(86, 234, 17, thumb), shThumbTrack);
  EXPECT_EQ(HitAlongBar(87, 234, 17, thumb), shPageDown);
  EXPECT_EQ(HitAlongBar(216, 234, 17, thumb), shPageDown);
  EXPECT_EQ(HitAlongBar(217, 234, 17, thumb), shLineDown);
  EXPECT_EQ(HitAlongBar(233, 234, 17, thumb), shLineDown);
  EXPECT_EQ(HitAlongBar(234, 234, 17, thumb), shNowhere);
  EXPECT_EQ(HitAlongBar(-1, 234, 17, thumb), shNowhere);
  EXPECT_EQ(HitAlongBar(100, 234, 17, TThumb{}), shNowhere) << "no thumb: the track is inert";
  EXPECT_EQ(HitAlongBar(3, 10, 5, TThumb{}), shLineUp) << "shortened arrows";
  EXPECT_EQ(HitAlongBar(5, 10, 5, TThumb{}), shLineDown);
}

TEST(ScrollGeometry, ThePressedPartFollowsTheScrollCodes) {
  EXPECT_EQ(PartBeforeScroll(false, shLineUp), spLeft);
  EXPECT_EQ(PartBeforeScroll(false, shLineDown), spRight);
  EXPECT_EQ(PartBeforeScroll(false, shThumbTrack), spHorzThumb);
  EXPECT_EQ(PartBeforeScroll(true, shLineUp), spUp);
  EXPECT_EQ(PartBeforeScroll(true, shLineDown), spDown);
  EXPECT_EQ(PartBeforeScroll(true, shThumbTrack), spVertThumb);
  for (int code : {2, 3, 4, 6, 7, 8}) {
    EXPECT_EQ(PartBeforeScroll(false, code), spNone) << code;
    EXPECT_EQ(PartBeforeScroll(true, code), spNone) << code;
  }
  EXPECT_EQ(PartAfterScroll(true, shLineDown, spNone), spDown);
  EXPECT_EQ(PartAfterScroll(false, shLineUp, spNone), spLeft);
  EXPECT_EQ(PartAfterScroll(true, shThumbPosition, spNone), spVertThumb);
  EXPECT_EQ(PartAfterScroll(false, shThumbTrack, spNone), spHorzThumb);
  for (int code : {2, 3, 8}) EXPECT_EQ(PartAfterScroll(true, code, spUp), spNone) << code;
  EXPECT_EQ(PartAfterScroll(true, 6, spDown), spDown) << "top and bottom leave the part alone";
}

}  // namespace
}  // namespace pellamy
