// BMP files of any bytes: pixels or a clear error, never a crash, and a
// decoded picture always holds exactly width x height pixels.
#include <cstdint>
#include <cstdlib>

#include "base/Exceptions.h"
#include "imaging/BmpFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const pellamy::TPixelImage image = pellamy::DecodeBmp(data, size);
    if (image.Width < 1 || image.Height < 1 ||
        image.Pixels.size() != static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height))
      std::abort();
    for (std::uint32_t pixel : image.Pixels)
      if (pixel >> 24) std::abort();
  } catch (const pellamy::Exception&) {
  }
  return 0;
}
