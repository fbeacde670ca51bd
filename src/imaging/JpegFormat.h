// DecodeJpeg, EncodeJpeg: JPEG data to plain pixels and back, through the IJG
// library interface. Portable: no window code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/BmpFormat.h"

namespace pellamy {

// Decodes baseline or progressive JPEG data in grayscale, YCbCr, RGB or CMYK
// into 0x00RRGGBB pixels, rows from the top. Damaged or cut-short data, and
// pictures beyond the limits of CheckImageDimensions, throw
// pellamy::Exception with a message that starts "JPEG image is not valid: ".
TPixelImage DecodeJpeg(const std::uint8_t* data, std::size_t size);

// Encodes the picture as a baseline JFIF file at quality 1 to 100, in colour
// or (with grayscale) as one luminance channel.
std::vector<std::uint8_t> EncodeJpeg(const TPixelImage& image, int quality, bool grayscale = false);

}  // namespace pellamy
