// Any bit stream decodes to the length asked for (a last match may run up
// to F - 1 bytes past it) without touching memory outside the decoder's
// tables, and any bytes the packer compresses decode back to themselves.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "LzhEncode.h"
#include "skin/file/SkinRead.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::span<const std::uint8_t> input(data, size);
  // Up to 16 KB: enough for every code path, short enough to keep the runs quick.
  const std::int32_t length = data[0] | (data[1] & 0x3F) << 8;
  std::vector<std::uint8_t> out;
  pellamy::TLZH().LzhDecode(length, input.subspan(2), out);
  if (out.size() < static_cast<std::size_t>(length) ||
      out.size() >= static_cast<std::size_t>(length) + pellamy::lzh::F) {
    std::abort();
  }

  const std::vector<std::uint8_t> packed = pellamy::LzhCompress(input);
  pellamy::TLZH().LzhDecode(static_cast<std::int32_t>(size), packed, out);
  if (out.size() != size || !std::equal(out.begin(), out.end(), data)) std::abort();
  return 0;
}
