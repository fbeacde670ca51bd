// Encodes one WAV file to MP3 through the program's encoder loop and the
// encoder library, as a rip does: bench_encode_wav IN.wav OUT.mp3
#include <cstdio>

#include "ripper/MP3export.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_encode_wav IN.wav OUT.mp3\n");
    return 2;
  }
  try {
    return pellamy::ConvertWavToMp3(argv[1], argv[2]) ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_encode_wav: %s\n", e.what());
    return 1;
  }
}
