// The pixel and geometry rules of the skin drawing routines, pixel by pixel
// on plain images.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "skin/pixels/SkinPixels.h"

namespace pellamy::test {
namespace {

// Each pixel tells where it came from: 0x00XXYY plus a tag per state image.
TPixelImage Coded(int width, int height) {
  TPixelImage image{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.Pixels.push_back(static_cast<std::uint32_t>(x << 8 | y));
  return image;
}

TPixelImage Filled(int width, int height, std::uint32_t pixel) {
  return TPixelImage{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, pixel)};
}

std::uint32_t Code(int x, int y) {
  return static_cast<std::uint32_t>(x << 8 | y);
}

TEST(SkinPixels, StateImagesOfHorizontalAndVerticalStrips) {
  // Four images in a 64 x 16 strip: the second is columns 16 to 31.
  EXPECT_EQ(StateImageRect(64, 16, false, 4, 2), (TSkinRect{16, 0, 32, 16}));
  EXPECT_EQ(StateImageRect(10, 30, true, 3, 3), (TSkinRect{0, 20, 10, 30}));
  // The division drops the remainder: 65 / 4 is still 16.
  EXPECT_EQ(StateImageRect(65, 16, false, 4, 4), (TSkinRect{48, 0, 64, 16}));
  EXPECT_EQ(StateImageRect(20, 5, false, 0, 1), (TSkinRect{0, 0, 20, 5}));
}

TEST(SkinPixels, NineGridPiecesInDrawingOrder) {
  const TSkinRect state{10, 0, 30, 12};  // 20 x 12 at (10, 0)
  const auto pieces = NineGridPieces(50, 40, state, {2, 3, 4, 5}, true, false);
  const std::vector<TSkinPiece> expected = {
      {{10, 0, 12, 3}, {0, 0, 2, 3}},       // top-left
      {{10, 7, 12, 12}, {0, 35, 2, 40}},    // bottom-left
      {{26, 0, 30, 3}, {46, 0, 50, 3}},     // top-right
      {{10, 3, 12, 7}, {0, 3, 2, 35}},      // left
      {{12, 0, 26, 3}, {2, 0, 46, 3}},      // top
      {{12, 3, 26, 7}, {2, 3, 46, 35}},     // middle
      {{26, 7, 30, 12}, {46, 35, 50, 40}},  // bottom-right
      {{26, 3, 30, 7}, {46, 3, 50, 35}},    // right
      {{12, 7, 26, 12}, {2, 35, 46, 40}},   // bottom
  };
  EXPECT_EQ(pieces, expected);

  // Border only, and margins of zero leave their pieces out.
  const auto border = NineGridPieces(50, 40, state, {0, 3, 4, 0}, false, false);
  ASSERT_EQ(border.size(), 3u);
  EXPECT_EQ(border[0].Dest, (TSkinRect{46, 0, 50, 3}));   // top-right
  EXPECT_EQ(border[1].Dest, (TSkinRect{0, 0, 46, 3}));    // top
  EXPECT_EQ(border[2].Dest, (TSkinRect{46, 3, 50, 40}));  // right
}

TEST(SkinPixels, NarrowTargetStretchesTheMiddleOverTheFullWidth) {
  // Image 20 wide: left 6 columns red, right 6 blue, middle green.
  TPixelImage image = Filled(20, 4, 0x00FF00);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      image.Pixels[y * 20 + x] = 0xFF0000;
      image.Pixels[y * 20 + 19 - x] = 0x0000FF;
    }
  const TPixelImage dropped = BuildNineGridPixels(image, 10, 4, {6, 0, 6, 0}, false, false, 1, 1);
  // Margins gone: the middle is the whole image, squeezed into ten columns.
  for (int x = 0; x < 10; ++x) EXPECT_EQ(dropped.At(x, 2), image.At(2 * x, 2)) << x;
  EXPECT_EQ(dropped.At(4, 0), 0x00FF00u);

  const TPixelImage kept = BuildNineGridPixels(image, 10, 4, {5, 0, 5, 0}, false, false, 1, 1);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(kept.At(x, 2), 0xFF0000u) << x;
  for (int x = 5; x < 10; ++x) EXPECT_EQ(kept.At(x, 2), 0x0000FFu) << x;
}

TEST(SkinPixels, TiledMiddleRepeatsWholeTilesAndTheRightEdgeCoversTheOverrun) {
  // State image 11 x 3: left margin 2, middle 7, right margin 2.
  const TPixelImage image = Coded(11, 3);
  const TPixelImage out = BuildNineGridPixels(image, 24, 3, {2, 0, 2, 0}, false, true, 1, 1);
  // Middle area is columns 2 to 21 (20 wide): tiles at 2, 9 and 16; the
  // third one's last column (22) is then covered by the right edge.
  const std::vector<int> from = {0, 1, 2, 3, 4, 5, 6, 7, 8, 2, 3, 4, 5, 6, 7, 8, 2, 3, 4, 5, 6, 7, 9, 10};
  for (int x = 0; x < 24; ++x) EXPECT_EQ(out.At(x, 1), Code(from[x], 1)) << x;
}

TEST(SkinPixels, ThreePartRepeatsTheMiddleAndStretchesHeightsOnly) {
  // 8 x 2 image: caps 2 wide, middle 4.
  const TPixelImage image = Coded(8, 2);
  const auto pieces = ThreePartPieces(13, 4, {0, 0, 8, 2}, 2, 2);
  ASSERT_EQ(pieces.size(), 5u);  // cap, middles at 2, 6, 10, cap
  EXPECT_EQ(pieces[3].Dest, (TSkinRect{10, 0, 14, 4}));
  EXPECT_EQ(pieces[4].Dest, (TSkinRect{11, 0, 13, 4}));

  const TPixelImage out = BuildThreePartPixels(image, 13, 4, false, 1, 1, {2, 9, 2, 9});
  EXPECT_EQ(out.At(0, 0), Code(0, 0));
  EXPECT_EQ(out.At(0, 3), Code(0, 1));  // height stretched 2 to 4
  EXPECT_EQ(out.At(6, 0), Code(2, 0));
  EXPECT_EQ(out.At(10, 1), Code(2, 0));
  EXPECT_EQ(out.At(11, 0), Code(6, 0));
  EXPECT_EQ(out.At(12, 2), Code(7, 1));

  // Caps as wide as the image: no middle, and no endless loop.
  EXPECT_EQ(ThreePartPieces(20, 4, {0, 0, 8, 2}, 4, 4).size(), 2u);
}

TEST(SkinPixels, TilesStartAtTheTargetCornerAndMayRunPast) {
  const auto tiles = TileOrigins({3, 1, 10, 6}, 4, 3);
  const std::vector<TSkinRect> expected = {{3, 1, 7, 4}, {7, 1, 11, 4}, {3, 4, 7, 7}, {7, 4, 11, 7}};
  EXPECT_EQ(tiles, expected);
  EXPECT_TRUE(TileOrigins({0, 0, 10, 10}, 0, 3).empty());
  EXPECT_TRUE(TileOrigins({0, 0, 10, 10}, 3, -1).empty());
  EXPECT_TRUE(TileOrigins({5, 0, 5, 10}, 3, 3).empty());
}

TEST(SkinPixels, ColourKeyHonoursEachChannelsToleranceUpwardsOnly) {
  const std::uint32_t magenta = kSkinTransparentColor;
  EXPECT_TRUE(IsKeyTransparent(0xFF00FF, magenta, 1, 1, 1));
  EXPECT_TRUE(IsKeyTransparent(0xFF01FF, magenta, 1, 1, 1));  // green 1
  EXPECT_FALSE(IsKeyTransparent(0xFF02FF, magenta, 1, 1, 1));
  EXPECT_FALSE(IsKeyTransparent(0xFE00FF, magenta, 1, 1, 1));  // below the colour
  EXPECT_FALSE(IsKeyTransparent(0xFF01FF, magenta, 1, 0, 1));
  // The colour is red in the low byte, the pixel blue in the low byte.
  EXPECT_TRUE(IsKeyTransparent(0x123456, 0x563412, 0, 0, 0));
  EXPECT_FALSE(IsKeyTransparent(0x563412, 0x563412, 0, 0, 0));
  // Tolerances stop at 255.
  EXPECT_TRUE(IsKeyTransparent(0xFFFFFF, 0xF0F0F0, 200, 200, 200));
}

TEST(SkinPixels, RegionRunsSkipKeyedPixelsIncludingNearMagenta) {
  TPixelImage image = Filled(5, 3, 0x808080);
  image.Pixels[0] = 0xFF01FF;       // corner, green 1
  image.Pixels[4] = 0xFF00FF;       // corner
  image.Pixels[5 + 2] = 0xFF00FF;   // splits row 1
  image.Pixels[10 + 4] = 0xFF01FF;  // corner
  const auto batches = OpaqueRunBatches(image, 10, 20, 1, 1, 1, kSkinTransparentColor);
  ASSERT_EQ(batches.size(), 1u);
  const std::vector<TSkinRect> expected = {{11, 20, 14, 21}, {10, 21, 12, 22}, {13, 21, 15, 22}, {10, 22, 14, 23}};
  EXPECT_EQ(batches[0], expected);

  EXPECT_TRUE(OpaqueRunBatches(Filled(4, 4, 0xFF00FF), 0, 0, 1, 1, 1, kSkinTransparentColor).empty());
}

TEST(SkinPixels, RegionRunsComeInBatchesOfTwoThousand) {
  // Alternate pixels: 2 runs a row of 4, 1001 rows make 2002 runs.
  TPixelImage image = Filled(4, 1001, 0x000000);
  for (int y = 0; y < 1001; ++y) image.Pixels[y * 4 + 1] = image.Pixels[y * 4 + 3] = 0xFF00FF;
  const auto batches = OpaqueRunBatches(image, 0, 0, 0, 0, 0, kSkinTransparentColor);
  ASSERT_EQ(batches.size(), 2u);
  EXPECT_EQ(batches[0].size(), 2000u);
  ASSERT_EQ(batches[1].size(), 2u);
  EXPECT_EQ(batches[1][1], (TSkinRect{2, 1000, 3, 1001}));
}

TEST(SkinPixels, TransformsMoveEveryPixelWhereItBelongs) {
  const TPixelImage image = Coded(2, 3);  // 2 wide, 3 high
  const TPixelImage right = RotatePixelsRight(image);
  ASSERT_EQ(right.Width, 3);
  ASSERT_EQ(right.Height, 2);
  EXPECT_EQ(right.At(2, 0), Code(0, 0));  // top-left goes to the top-right
  EXPECT_EQ(right.At(0, 0), Code(0, 2));
  EXPECT_EQ(right.At(0, 1), Code(1, 2));

  const TPixelImage left = RotatePixelsLeft(image);
  ASSERT_EQ(left.Width, 3);
  EXPECT_EQ(left.At(0, 1), Code(0, 0));  // top-left goes to the bottom-left
  EXPECT_EQ(left.At(2, 0), Code(1, 2));
  EXPECT_EQ(RotatePixelsLeft(right).Pixels, image.Pixels);

  const TPixelImage mirrored = MirrorPixels(image);
  EXPECT_EQ(mirrored.At(0, 2), Code(1, 2));
  EXPECT_EQ(mirrored.At(1, 0), Code(0, 0));
  const TPixelImage flipped = FlipPixels(image);
  EXPECT_EQ(flipped.At(1, 0), Code(1, 2));
  EXPECT_EQ(flipped.At(0, 1), Code(0, 1));
}

}  // namespace
}  // namespace pellamy::test
