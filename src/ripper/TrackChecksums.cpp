#include "ripper/TrackChecksums.h"

#include <cstdlib>

namespace pellamy {

namespace {
// Five sectors at each end of the disc are left out, less one sample at the start.
constexpr std::uint32_t kSkipped = 5 * kSamplesPerSector;
}  // namespace

TTrackChecksums::TTrackChecksums(std::uint32_t totalSamples, bool firstTrack, bool lastTrack)
    : FFrom(firstTrack ? kSkipped : 1),
      FTo(lastTrack ? (totalSamples > kSkipped ? totalSamples - kSkipped : 0) : totalSamples) {}

void TTrackChecksums::Add(const std::uint8_t* pcm, std::size_t size) {
  FCrc.Update(pcm, size);
  // The non-zero samples gathered and summed a block at a time.
  std::uint8_t nonZero[1024];
  std::size_t held = 0;
  for (std::size_t i = 0; i + 4 <= size; i += 4) {
    const std::uint32_t sample = std::uint32_t(pcm[i]) | (std::uint32_t(pcm[i + 1]) << 8) |
                                 (std::uint32_t(pcm[i + 2]) << 16) | (std::uint32_t(pcm[i + 3]) << 24);
    const std::uint32_t position = ++FPosition;
    if (position >= FFrom && position <= FTo) {
      const std::uint64_t product = std::uint64_t(sample) * position;
      FArV1 += static_cast<std::uint32_t>(product);
      FArV2High += static_cast<std::uint32_t>(product >> 32);
    }
    for (int c = 0; c < 4; c += 2) {
      const auto value = static_cast<std::int16_t>(pcm[i + c] | (pcm[i + c + 1] << 8));
      if (value != 0) {
        nonZero[held++] = pcm[i + c];
        nonZero[held++] = pcm[i + c + 1];
      }
      const int magnitude = std::abs(int(value));
      if (magnitude > FPeak) FPeak = magnitude;
    }
    if (held + 4 > sizeof nonZero) {
      FCrcNonZero.Update(nonZero, held);
      held = 0;
    }
  }
  FCrcNonZero.Update(nonZero, held);
}

std::string TTrackChecksums::FormatPeak(int peak) {
  // Tenths of a percent of full scale (32768), rounded.
  const int tenths = (peak * 1000 + 16384) / 32768;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

}  // namespace pellamy
