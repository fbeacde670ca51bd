// The pixel and geometry rules of the skin drawing routines, on plain pixels:
//   TSkinRect, TSkinPiece   rectangles and source-to-destination copies
//   StateImageRect, CollapseMargins, NineGridPieces, ThreePartPieces,
//   TileOrigins             where each piece of a skin element goes
//   StretchPixels, TilePixels, BuildNineGridPixels, BuildThreePartPixels
//                           the same pictures assembled without a device
//   IsKeyTransparent, OpaqueRunBatches, MonoMaskRows
//                           the colour key: window-region runs and masks
//   MirrorPixels, FlipPixels, RotatePixelsLeft, RotatePixelsRight
// Portable: no window code. The device-context side is SkinDraw.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/BmpFormat.h"

namespace pellamy {

// (left, top, right, bottom). As margins the fields hold LeftWidth,
// TopHeight, RightWidth and BottomHeight, in that order.
struct TSkinRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  // Right left of left or bottom above top: such a target draws nothing.
  bool Inverted() const { return Right < Left || Bottom < Top; }
  bool operator==(const TSkinRect&) const = default;
};

// Magenta, the transparent colour of skin images; the same value as a colour
// (red in the low byte) and as a 0x00RRGGBB pixel.
inline constexpr std::uint32_t kSkinTransparentColor = 0xFF00FF;

// Window regions are built from at most this many rectangles at a time.
inline constexpr int kRegionBatchRects = 2000;

// One copy: Source (in the image) to Dest (in the target), stretched when the
// sizes differ. Tiled marks the middle piece when it is to be tiled.
struct TSkinPiece {
  TSkinRect Source;
  TSkinRect Dest;
  bool Tiled = false;
  bool operator==(const TSkinPiece&) const = default;
};

// State image index (counted from 1) of count equal images laid side by side
// (or stacked when vertical) in a width x height strip. A count below 1
// counts as 1.
TSkinRect StateImageRect(int width, int height, bool vertical, int count, int index);

// Margins that do not fit a width x height target are dropped in pairs: left
// and right when width < left + right, top and bottom likewise.
TSkinRect CollapseMargins(int width, int height, TSkinRect margins);

// The pieces of a nine-part draw of state onto a width x height target with
// the margins (already collapsed or not: they are collapsed here), in drawing
// order. withMiddle false leaves the middle out (a border-only draw);
// tileMiddle marks the middle as tiled.
std::vector<TSkinPiece> NineGridPieces(int width, int height, const TSkinRect& state, TSkinRect margins,
                                       bool withMiddle, bool tileMiddle);

// Left cap, the middle repeated unstretched in width, right cap; heights are
// stretched to the target's. A state image with no middle left (left + right
// at least its width) gets caps only.
std::vector<TSkinPiece> ThreePartPieces(int width, int height, const TSkinRect& state, int left, int right);

// Top-left corners of whole tiles covering target, row by row; the last tiles
// may run past it. Empty for a tile without area.
std::vector<TSkinRect> TileOrigins(const TSkinRect& target, int tileWidth, int tileHeight);

// Copies source of src to dest of dst, nearest pixel when the sizes differ;
// pixels outside either image are skipped.
void StretchPixels(const TPixelImage& src, const TSkinRect& source, TPixelImage& dst, const TSkinRect& dest);
// Tiles source of src over target of dst (tiles clipped only by dst).
void TilePixels(const TPixelImage& src, const TSkinRect& source, TPixelImage& dst, const TSkinRect& target);

// The nine-part picture of state image index of image, width x height.
TPixelImage BuildNineGridPixels(const TPixelImage& image, int width, int height, const TSkinRect& margins,
                                bool vertical, bool tileMiddle, int count, int index);
// The three-part picture (left and right margins used).
TPixelImage BuildThreePartPixels(const TPixelImage& image, int width, int height, bool vertical, int count, int index,
                                 const TSkinRect& margins);

// colour is red in the low byte; a channel c matches from the colour's value
// up to min(255, value + tolerance). pixel is 0x00RRGGBB.
bool IsKeyTransparent(std::uint32_t pixel, std::uint32_t colour, int blueTolerance, int greenTolerance,
                      int redTolerance);

// The rectangles of a window region: each maximal run of pixels that are not
// transparent, one pixel high, moved by (dx, dy), in rows from the top, cut
// into batches of kRegionBatchRects. No batch when every pixel is transparent.
std::vector<std::vector<TSkinRect>> OpaqueRunBatches(const TPixelImage& image, int dx, int dy, int blueTolerance,
                                                     int greenTolerance, int redTolerance, std::uint32_t colour);

// A one-bit-per-pixel mask, rows from the top, each padded to a multiple of
// 16 bits, highest bit first: 1 where the pixel equals key (0x00RRGGBB).
std::vector<std::uint8_t> MonoMaskRows(const TPixelImage& image, std::uint32_t key);

TPixelImage MirrorPixels(const TPixelImage& image);
TPixelImage FlipPixels(const TPixelImage& image);
// A quarter turn counter-clockwise: (x, y) goes to (y, W - 1 - x).
TPixelImage RotatePixelsLeft(const TPixelImage& image);
// A quarter turn clockwise: (x, y) goes to (H - 1 - y, x).
TPixelImage RotatePixelsRight(const TPixelImage& image);

}  // namespace pellamy
