// WAV files of any bytes and length through the encoder loop and library:
// an MP3 or a clear failure, never a crash or a read outside a buffer.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/Exceptions.h"
#include "ripper/MP3export.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string base = "/tmp/pellamy-fuzz-wav-" + std::to_string(getpid());
  std::FILE* f = std::fopen((base + ".wav").c_str(), "wb");
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  try {
    pellamy::ConvertWavToMp3(base + ".wav", base + ".mp3");
  } catch (const pellamy::Exception&) {
  }
  return 0;
}
