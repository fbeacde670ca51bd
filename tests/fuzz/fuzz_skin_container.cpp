// Containers and decompressed contents of any bytes: an index or a refusal,
// never a read outside a buffer. The first byte chooses: even, the rest is a
// whole skin file; odd, the rest is already decompressed content. What is
// indexed is then read as the skin loader will: the description found by
// ".ini", the images it names looked up by name.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "skin/file/SkinIni.h"
#include "skin/file/SkinRead.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::span<const std::uint8_t> rest(data + 1, size - 1);
  pellamy::TSkinReader reader;
  try {
    const bool indexed = (data[0] & 1) == 0 ? reader.DecodeContainer(rest)
                                            : reader.IndexContent(std::vector<std::uint8_t>(rest.begin(), rest.end()));
    if (!indexed) {
      if (reader.Count() != 0 || reader.LastMessage() != pellamy::kOlderSkinFileMessage) std::abort();
      return 0;
    }
  } catch (const pellamy::Exception&) {
    if (reader.Count() != 0) std::abort();
    return 0;
  }

  if (reader.Count() > pellamy::TSkinReader::kMaxEntries) std::abort();
  std::vector<std::uint8_t> entry;
  for (int i = 0; i < reader.Count(); ++i) {
    reader.ExtractEntry(reader.EntryName(i), entry);
    const int first = reader.FindEntry(reader.EntryName(i));
    if (first > i || entry.size() != static_cast<std::size_t>(reader.EntrySize(first))) std::abort();
  }
  std::string iniName;
  reader.ExtractEntryContaining(".ini", entry, iniName);
  const pellamy::TSkinIni ini{std::span<const std::uint8_t>(entry)};
  for (const std::string& section : ini.SectionNames()) {
    for (const char* key : {"Image", "Bitmap", "Left", "ButtonImage"}) {
      const std::string image = ini.ReadImageName(section, key);
      if (!image.empty()) reader.ExtractEntry(image, entry);
    }
  }
  return 0;
}
