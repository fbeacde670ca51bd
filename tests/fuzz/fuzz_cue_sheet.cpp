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
    // A small image for sheets that name it, raw and as a WAVE file.
    std::FILE* bin = std::fopen((d + "/a.bin").c_str(), "wb");
    for (int i = 0; i < 2352 * 20; ++i) std::fputc(i & 0xFF, bin);
    std::fclose(bin);
    const std::uint32_t samples = 2352 * 20 + 100;
    std::string header("RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0data", 40);
    for (int shift = 0; shift < 32; shift += 8) header += static_cast<char>(samples >> shift & 0xFF);
    std::FILE* wav = std::fopen((d + "/a.wav").c_str(), "wb");
    std::fwrite(header.data(), 1, header.size(), wav);
    for (std::uint32_t i = 0; i < samples; ++i) std::fputc(i * 7 & 0xFF, wav);
    std::fclose(wav);
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
    disc->ReadSectors(last / 2, 1, sector);
    disc->ReadSectors(last, 1, sector);
    disc->ReadSectors(last + 1, 1, sector);  // past the end: refused
  } catch (const pellamy::Exception&) {
  }
  return 0;
}
