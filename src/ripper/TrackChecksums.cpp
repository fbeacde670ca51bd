#include "ripper/TrackChecksums.h"

#include <algorithm>
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
  // Sums kept in locals while the block runs; the non-zero samples gathered
  // and summed a block at a time.
  std::uint8_t nonZero[1024];
  std::size_t held = 0;
  std::uint32_t position = FPosition, arV1 = FArV1, arV2High = FArV2High;
  int peak = FPeak;
  for (std::size_t i = 0; i + 4 <= size; i += 4) {
    const std::uint32_t sample = std::uint32_t(pcm[i]) | (std::uint32_t(pcm[i + 1]) << 8) |
                                 (std::uint32_t(pcm[i + 2]) << 16) | (std::uint32_t(pcm[i + 3]) << 24);
    ++position;
    if (position >= FFrom && position <= FTo) {
      const std::uint64_t product = std::uint64_t(sample) * position;
      arV1 += static_cast<std::uint32_t>(product);
      arV2High += static_cast<std::uint32_t>(product >> 32);
    }
    for (int c = 0; c < 4; c += 2) {
      const auto value = static_cast<std::int16_t>(pcm[i + c] | (pcm[i + c + 1] << 8));
      if (value != 0) {
        nonZero[held++] = pcm[i + c];
        nonZero[held++] = pcm[i + c + 1];
      }
      peak = std::max(peak, std::abs(int(value)));
    }
    if (held + 4 > sizeof nonZero) {
      FCrcNonZero.Update(nonZero, held);
      held = 0;
    }
  }
  FCrcNonZero.Update(nonZero, held);
  FPosition = position;
  FArV1 = arV1;
  FArV2High = arV2High;
  FPeak = peak;
}

std::string TTrackChecksums::FormatPeak(int peak) {
  // Tenths of a percent of full scale (32768), rounded.
  const int tenths = (peak * 1000 + 16384) / 32768;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

}  // namespace pellamy
