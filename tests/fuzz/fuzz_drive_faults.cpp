// Fault files and Pellamy.ini of any bytes: a clear error or settings, never a
// crash; accepted faults then play over a small disc.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "ripper/DriveFaults.h"
#include "ripper/RipSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pellamy;
  const std::string text(reinterpret_cast<const char*>(data), size);
  int offset = 0;
  try {
    ParseReadOffsetIni(text, offset);
  } catch (const Exception&) {
  }
  try {
    TDriveFaults faults = ParseDriveFaults(text);
    faults.CacheSectors = faults.CacheSectors % 64;
    auto disc = MakeGeneratedDisc({0, 50}, 100, [](std::int32_t s, std::uint8_t* out) {
      for (int i = 0; i < 2352; ++i) out[i] = static_cast<std::uint8_t>(s + i);
    });
    TFaultyDrive drive(faults);
    std::vector<std::uint8_t> out(13 * 2352), c2(13 * kC2BytesPerSector);
    for (std::int32_t s = 0; s + 13 <= 100; s += 29) drive.Read(*disc, s, 13, out.data(), c2.data());
  } catch (const Exception&) {
  }
  return 0;
}
