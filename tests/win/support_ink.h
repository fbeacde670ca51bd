// InkPixels: how much text (or other drawing) lies on a background, whatever
// the font: antialiased fonts draw few pixels in the exact text colour, so
// pixel tests of text count the pixels that stand clearly apart from the
// background instead of those of one colour.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>

#include "gui/gdi/Bitmap.h"

namespace pellamy::test {

inline bool StandsApart(std::uint32_t pixel, std::uint32_t background) {
  int distance = 0;
  for (int shift = 0; shift <= 16; shift += 8)
    distance += std::abs(static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((background >> shift) & 0xFF));
  return distance > 96;
}

// Pixels of area that stand apart from background and are not ignore (a
// glyph's colour, say).
inline int InkPixels(const TBitmap& bmp, RECT area, std::uint32_t background, std::uint32_t ignore = 0xFF000000u) {
  int ink = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const std::uint32_t p = bmp.PixelAt(x, y);
      if (p != ignore && StandsApart(p, background)) ++ink;
    }
  return ink;
}

}  // namespace pellamy::test
