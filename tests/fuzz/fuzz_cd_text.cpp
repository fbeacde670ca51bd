// A drive's CD-Text answer is read as it comes: any bytes must give names or
// none, never a read outside them; the names written back read the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ripper/CdText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const pellamy::TCdText text = pellamy::ParseCdText(data, size);
  if (text.Empty()) return 0;
  const int last = static_cast<int>(text.Tracks.size()) - 1;
  const auto again = pellamy::BuildCdText(text, 1, last < 1 ? 1 : last);
  // Within one block's 256 packs the names survive the round trip.
  if (again.size() < 4 + 200 * pellamy::kCdTextPackBytes && !(pellamy::ParseCdText(again.data(), again.size()) == text))
    std::abort();
  return 0;
}
