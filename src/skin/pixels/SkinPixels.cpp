#include "skin/pixels/SkinPixels.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace pellamy {

namespace {

std::size_t Index(const TPixelImage& image, int x, int y) {
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(image.Width) + static_cast<std::size_t>(x);
}

TPixelImage Blank(int width, int height) {
  TPixelImage image;
  image.Width = std::max(width, 0);
  image.Height = std::max(height, 0);
  image.Pixels.assign(static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height), 0);
  return image;
}

}  // namespace

TSkinRect StateImageRect(int width, int height, bool vertical, int count, int index) {
  if (count < 1) count = 1;
  if (vertical) {
    const int h = height / count;
    return {0, (index - 1) * h, width, index * h};
  }
  const int w = width / count;
  return {(index - 1) * w, 0, index * w, height};
}

TSkinRect CollapseMargins(int width, int height, TSkinRect margins) {
  if (width < margins.Left + margins.Right) margins.Left = margins.Right = 0;
  if (height < margins.Top + margins.Bottom) margins.Top = margins.Bottom = 0;
  return margins;
}

std::vector<TSkinPiece> NineGridPieces(int width, int height, const TSkinRect& state, TSkinRect margins,
                                       bool withMiddle, bool tileMiddle) {
  const TSkinRect m = CollapseMargins(width, height, margins);
  const int L = m.Left, T = m.Top, R = m.Right, B = m.Bottom;
  const int sx = state.Left, sy = state.Top, fw = state.Width(), fh = state.Height();
  const int w = width, h = height;
  std::vector<TSkinPiece> pieces;
  auto add = [&](bool when, TSkinRect source, TSkinRect dest, bool tiled = false) {
    if (when) pieces.push_back({source, dest, tiled});
  };
  add(L * T > 0, {sx, sy, sx + L, sy + T}, {0, 0, L, T});
  add(L * B > 0, {sx, sy + fh - B, sx + L, sy + fh}, {0, h - B, L, h});
  add(R * T > 0, {sx + fw - R, sy, sx + fw, sy + T}, {w - R, 0, w, T});
  add(L > 0, {sx, sy + T, sx + L, sy + fh - B}, {0, T, L, h - B});
  add(T > 0, {sx + L, sy, sx + fw - R, sy + T}, {L, 0, w - R, T});
  // The middle goes before the right and bottom pieces: tiles running past
  // it are covered by them.
  add(withMiddle, {sx + L, sy + T, sx + fw - R, sy + fh - B}, {L, T, w - R, h - B}, tileMiddle);
  add(R * B > 0, {sx + fw - R, sy + fh - B, sx + fw, sy + fh}, {w - R, h - B, w, h});
  add(R > 0, {sx + fw - R, sy + T, sx + fw, sy + fh - B}, {w - R, T, w, h - B});
  add(B > 0, {sx + L, sy + fh - B, sx + fw - R, sy + fh}, {L, h - B, w - R, h});
  return pieces;
}

std::vector<TSkinPiece> ThreePartPieces(int width, int height, const TSkinRect& state, int left, int right) {
  const int sx = state.Left, sy = state.Top, fw = state.Width(), fh = state.Height();
  std::vector<TSkinPiece> pieces;
  pieces.push_back({{sx, sy, sx + left, sy + fh}, {0, 0, left, height}});
  const int m = fw - left - right;
  // Without a middle there is nothing to repeat (and no end to the repeat).
  for (int x = left; m > 0 && x < width - right; x += m)
    pieces.push_back({{sx + left, sy, sx + left + m, sy + fh}, {x, 0, x + m, height}});
  pieces.push_back({{sx + fw - right, sy, sx + fw, sy + fh}, {width - right, 0, width, height}});
  return pieces;
}

std::vector<TSkinRect> TileOrigins(const TSkinRect& target, int tileWidth, int tileHeight) {
  std::vector<TSkinRect> tiles;
  if (tileWidth <= 0 || tileHeight <= 0) return tiles;
  for (int y = target.Top; y < target.Bottom; y += tileHeight)
    for (int x = target.Left; x < target.Right; x += tileWidth) tiles.push_back({x, y, x + tileWidth, y + tileHeight});
  return tiles;
}

void StretchPixels(const TPixelImage& src, const TSkinRect& source, TPixelImage& dst, const TSkinRect& dest) {
  const int sw = source.Width(), sh = source.Height(), dw = dest.Width(), dh = dest.Height();
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  for (int y = 0; y < dh; ++y) {
    const int ty = dest.Top + y;
    const int fy = source.Top + static_cast<int>(static_cast<long long>(y) * sh / dh);
    if (ty < 0 || ty >= dst.Height || fy < 0 || fy >= src.Height) continue;
    for (int x = 0; x < dw; ++x) {
      const int tx = dest.Left + x;
      const int fx = source.Left + static_cast<int>(static_cast<long long>(x) * sw / dw);
      if (tx < 0 || tx >= dst.Width || fx < 0 || fx >= src.Width) continue;
      dst.Pixels[Index(dst, tx, ty)] = src.Pixels[Index(src, fx, fy)];
    }
  }
}

void TilePixels(const TPixelImage& src, const TSkinRect& source, TPixelImage& dst, const TSkinRect& target) {
  for (const TSkinRect& tile : TileOrigins(target, source.Width(), source.Height()))
    StretchPixels(src, source, dst, tile);
}

TPixelImage BuildNineGridPixels(const TPixelImage& image, int width, int height, const TSkinRect& margins,
                                bool vertical, bool tileMiddle, int count, int index) {
  TPixelImage out = Blank(width, height);
  const TSkinRect state = StateImageRect(image.Width, image.Height, vertical, count, index);
  for (const TSkinPiece& piece : NineGridPieces(width, height, state, margins, true, tileMiddle)) {
    if (piece.Tiled)
      TilePixels(image, piece.Source, out, piece.Dest);
    else
      StretchPixels(image, piece.Source, out, piece.Dest);
  }
  return out;
}

TPixelImage BuildThreePartPixels(const TPixelImage& image, int width, int height, bool vertical, int count, int index,
                                 const TSkinRect& margins) {
  TPixelImage out = Blank(width, height);
  const TSkinRect state = StateImageRect(image.Width, image.Height, vertical, count, index);
  for (const TSkinPiece& piece : ThreePartPieces(width, height, state, margins.Left, margins.Right))
    StretchPixels(image, piece.Source, out, piece.Dest);
  return out;
}

bool IsKeyTransparent(std::uint32_t pixel, std::uint32_t colour, int blueTolerance, int greenTolerance,
                      int redTolerance) {
  auto within = [](int value, int low, int tolerance) {
    return low <= value && value <= std::min(255, low + tolerance);
  };
  const int red = static_cast<int>((pixel >> 16) & 0xFF), green = static_cast<int>((pixel >> 8) & 0xFF),
            blue = static_cast<int>(pixel & 0xFF);
  const int r = static_cast<int>(colour & 0xFF), g = static_cast<int>((colour >> 8) & 0xFF),
            b = static_cast<int>((colour >> 16) & 0xFF);
  return within(red, r, redTolerance) && within(green, g, greenTolerance) && within(blue, b, blueTolerance);
}

std::vector<std::vector<TSkinRect>> OpaqueRunBatches(const TPixelImage& image, int dx, int dy, int blueTolerance,
                                                     int greenTolerance, int redTolerance, std::uint32_t colour) {
  std::vector<std::vector<TSkinRect>> batches;
  std::vector<TSkinRect> batch;
  auto transparent = [&](int x, int y) {
    return IsKeyTransparent(image.Pixels[Index(image, x, y)], colour, blueTolerance, greenTolerance, redTolerance);
  };
  for (int y = 0; y < image.Height; ++y) {
    int x = 0;
    while (x < image.Width) {
      while (x < image.Width && transparent(x, y)) ++x;
      if (x == image.Width) break;
      const int x0 = x;
      while (x < image.Width && !transparent(x, y)) ++x;
      batch.push_back({x0 + dx, y + dy, x + dx, y + dy + 1});
      if (static_cast<int>(batch.size()) == kRegionBatchRects) batches.push_back(std::exchange(batch, {}));
    }
  }
  if (!batch.empty()) batches.push_back(std::move(batch));
  return batches;
}

std::vector<std::uint8_t> MonoMaskRows(const TPixelImage& image, std::uint32_t key) {
  const std::size_t stride = static_cast<std::size_t>((image.Width + 15) / 16) * 2;
  std::vector<std::uint8_t> bits(stride * static_cast<std::size_t>(image.Height), 0);
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x)
      if ((image.Pixels[Index(image, x, y)] & 0xFFFFFF) == key)
        bits[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x / 8)] |=
            static_cast<std::uint8_t>(0x80 >> (x % 8));
  return bits;
}

TPixelImage MirrorPixels(const TPixelImage& image) {
  TPixelImage out = Blank(image.Width, image.Height);
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x) out.Pixels[Index(out, image.Width - 1 - x, y)] = image.At(x, y);
  return out;
}

TPixelImage FlipPixels(const TPixelImage& image) {
  TPixelImage out = Blank(image.Width, image.Height);
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x) out.Pixels[Index(out, x, image.Height - 1 - y)] = image.At(x, y);
  return out;
}

TPixelImage RotatePixelsLeft(const TPixelImage& image) {
  TPixelImage out = Blank(image.Height, image.Width);
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x) out.Pixels[Index(out, y, image.Width - 1 - x)] = image.At(x, y);
  return out;
}

TPixelImage RotatePixelsRight(const TPixelImage& image) {
  TPixelImage out = Blank(image.Height, image.Width);
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x) out.Pixels[Index(out, image.Height - 1 - y, x)] = image.At(x, y);
  return out;
}

}  // namespace pellamy
