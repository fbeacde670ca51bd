// TPixelImage, DecodeBmp, EncodeBmp24: a decoded picture as plain pixels, and
// the reader and writer of BMP files. Portable: no window code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pellamy {

// Pixels in rows from the top, each 0x00RRGGBB: blue in the low byte, as in a
// 32-bit DIB section, with the high byte 0.
struct TPixelImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;

  std::uint32_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
};

// Limits on decoded pictures, so that a few bytes of header cannot ask for
// gigabytes: each side at most kMaxImageSide, and the 32-bit pixels together
// at most kMaxImageBytes.
inline constexpr int kMaxImageSide = 16384;
inline constexpr std::uint64_t kMaxImageBytes = 256ull << 20;

// Throws pellamy::Exception("<what> is not valid: ...") unless 1 <= width,
// height <= kMaxImageSide and width * height * 4 <= kMaxImageBytes.
void CheckImageDimensions(std::int64_t width, std::int64_t height, const char* what);

// Reads a BMP file held in memory: the file header followed by the 12-byte
// core header or the 40-byte info header or its longer versions (52, 56, 108,
// 124 bytes); 1, 4 and 8 bits with a colour table (uncompressed or run-length
// coded), 16 bits (5-5-5 or colour masks), 24 bits, 32 bits (uncompressed or
// colour masks); rows stored from the bottom or, with a negative height, from
// the top. Any other or damaged input throws pellamy::Exception with a message
// that starts "Bitmap image is not valid: ".
TPixelImage DecodeBmp(const std::uint8_t* data, std::size_t size);

// A 24-bit BMP file of the picture, rows stored from the bottom.
std::vector<std::uint8_t> EncodeBmp24(const TPixelImage& image);

}  // namespace pellamy
