// Cue sheets of any bytes: a clear error or a disc, never a crash.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/Exceptions.h"
#include "ripper/CueSheet.h"

namespace {

std::string Folder() {
  static const std::string dir = [] {
    std::string d = "/tmp/pellamy-fuzz-cue-" + std::to_string(getpid());
    std::system(("mkdir -p " + d).c_str());
    // A small image for sheets that name it.
    std::FILE* bin = std::fopen((d + "/a.bin").c_str(), "wb");
    for (int i = 0; i < 2352 * 20; ++i) std::fputc(i & 0xFF, bin);
    std::fclose(bin);
    return d;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string cue = Folder() + "/sheet.cue";
  std::FILE* f = std::fopen(cue.c_str(), "wb");
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  try {
    auto disc = pellamy::LoadCueImage(cue);
    std::uint8_t sector[2352];
    const std::int32_t last = disc->LeadOutSector() - 1;
    disc->ReadSectors(0, 1, sector);
    disc->ReadSectors(last, 1, sector);
    disc->ReadSectors(last + 1, 1, sector);  // past the end: refused
  } catch (const pellamy::Exception&) {
  }
  return 0;
}
