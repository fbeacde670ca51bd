// TTrackChecksums: the checksums a track's log entry carries, fed with the
// track's PCM (16-bit little-endian stereo) in the order it is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ripper/Hashes.h"

namespace pellamy {

inline constexpr int kSamplesPerSector = 588;

class TTrackChecksums {
 public:
  // totalSamples: the track's length in stereo samples. The disc's first
  // and last audio tracks leave samples out of the AccurateRip sums.
  TTrackChecksums(std::uint32_t totalSamples, bool firstTrack, bool lastTrack);

  // size must keep whole stereo samples (a multiple of 4) over all calls.
  void Add(const std::uint8_t* pcm, std::size_t size);

  std::uint32_t AccurateRipV1() const { return FArV1; }
  std::uint32_t AccurateRipV2() const { return FArV1 + FArV2High; }
  std::uint32_t Crc() const { return FCrc.Value(); }
  std::uint32_t CrcNonZero() const { return FCrcNonZero.Value(); }
  // The largest magnitude of any 16-bit sample, 0 .. 32768.
  int Peak() const { return FPeak; }
  // Peak as a percentage with one decimal, "100.0" for full scale.
  static std::string FormatPeak(int peak);

 private:
  std::uint32_t FFrom, FTo;  // the 1-based sample positions summed
  std::uint32_t FPosition = 0;
  std::uint32_t FArV1 = 0, FArV2High = 0;
  Crc32 FCrc, FCrcNonZero;
  int FPeak = 0;
};

}  // namespace pellamy
