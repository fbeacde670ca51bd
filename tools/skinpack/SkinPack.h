// Packing a skin container for skin authors.
//   TSkinEntry          one named entry
//   BuildSkinContent    the decompressed content: header, names, sizes, data
//   CompressContainer   length and compressed stream, as the reader takes it
//   PackSkin            both, after checking the entries
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pellamy {

struct TSkinEntry {
  std::string Name;
  std::vector<std::uint8_t> Bytes;
};

// Throws pellamy::Exception for entries the reader could not hand back:
// an empty name or one with CR, LF or NUL in it, two names equal apart
// from letter case, more than 1001 entries, content beyond the reader's
// size limit.
std::vector<std::uint8_t> BuildSkinContent(const std::vector<TSkinEntry>& entries);
std::vector<std::uint8_t> CompressContainer(std::span<const std::uint8_t> content);
std::vector<std::uint8_t> PackSkin(const std::vector<TSkinEntry>& entries);

}  // namespace pellamy
