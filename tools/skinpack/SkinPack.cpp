#include "SkinPack.h"

#include <set>

#include "LzhEncode.h"
#include "base/Exceptions.h"
#include "skin/file/SkinRead.h"

namespace pellamy {
namespace {

void PutInt32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> BuildSkinContent(const std::vector<TSkinEntry>& entries) {
  if (entries.size() > static_cast<std::size_t>(TSkinReader::kMaxEntries)) {
    throw Exception("a skin holds at most " + std::to_string(TSkinReader::kMaxEntries) + " entries, not " +
                    std::to_string(entries.size()));
  }
  std::string names;
  std::set<std::string> seen;
  std::uint64_t total = TSkinReader::kHeaderBytes;
  for (const TSkinEntry& e : entries) {
    if (e.Name.empty() || e.Name.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
      throw Exception("entry name \"" + e.Name + "\" cannot be stored (empty, or with a line break or NUL)");
    }
    if (!seen.insert(AsciiLower(e.Name)).second) {
      throw Exception("two entries are named \"" + AsciiLower(e.Name) + "\"; only the first could be read");
    }
    names += e.Name + "\r\n";
    total += 4 + e.Bytes.size();
  }
  total += names.size();
  if (total > static_cast<std::uint64_t>(TSkinReader::kMaxContentBytes)) {
    throw Exception("the skin content would take " + std::to_string(total) + " bytes, more than the " +
                    std::to_string(TSkinReader::kMaxContentBytes) + " a reader accepts");
  }

  std::vector<std::uint8_t> content;
  content.reserve(static_cast<std::size_t>(total));
  PutInt32(content, TSkinReader::kFormatNumber);
  PutInt32(content, static_cast<std::uint32_t>(names.size()));
  PutInt32(content, 0);
  PutInt32(content, 0);
  content.insert(content.end(), names.begin(), names.end());
  for (const TSkinEntry& e : entries) PutInt32(content, static_cast<std::uint32_t>(e.Bytes.size()));
  for (const TSkinEntry& e : entries) content.insert(content.end(), e.Bytes.begin(), e.Bytes.end());
  return content;
}

std::vector<std::uint8_t> CompressContainer(std::span<const std::uint8_t> content) {
  std::vector<std::uint8_t> out;
  PutInt32(out, static_cast<std::uint32_t>(content.size()));
  const std::vector<std::uint8_t> stream = LzhCompress(content);
  out.insert(out.end(), stream.begin(), stream.end());
  return out;
}

std::vector<std::uint8_t> PackSkin(const std::vector<TSkinEntry>& entries) {
  return CompressContainer(BuildSkinContent(entries));
}

}  // namespace pellamy
