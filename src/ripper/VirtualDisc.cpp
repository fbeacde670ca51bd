#include "ripper/VirtualDisc.h"

#include <cstring>
#include <string>
#include <utility>

#include "base/Exceptions.h"

namespace pellamy {

namespace {

constexpr std::uint8_t kAudioControlAdr = 0x10;  // ADR 1 (position), control 0: audio
constexpr std::uint8_t kLeadOutTrack = 0xAA;
constexpr int kMaxTracks = 99;

class TGeneratedDisc : public TVirtualDisc {
 public:
  TGeneratedDisc(const std::vector<std::int32_t>& trackStarts, std::int32_t leadOut, SectorGenerator generator)
      : FToc(BuildAudioToc(trackStarts, leadOut)), FLeadOut(leadOut), FGenerator(std::move(generator)) {
    if (!FGenerator) throw Exception("A generated disc needs a sector generator");
  }

  const CdromToc& Toc() const override { return FToc; }
  std::int32_t LeadOutSector() const override { return FLeadOut; }

  bool ReadSectors(std::int32_t first, std::uint32_t count, std::uint8_t* out) override {
    if (first < 0 || static_cast<std::int64_t>(first) + count > FLeadOut) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
      FGenerator(first + static_cast<std::int32_t>(i), out + static_cast<std::size_t>(i) * kRawSectorBytes);
    }
    return true;
  }

 private:
  CdromToc FToc;
  std::int32_t FLeadOut;
  SectorGenerator FGenerator;
};

}  // namespace

CdromToc BuildAudioToc(const std::vector<std::int32_t>& trackStarts, std::int32_t leadOut) {
  if (trackStarts.empty() || trackStarts.size() > kMaxTracks) {
    throw Exception("A disc needs 1 to 99 tracks, not " + std::to_string(trackStarts.size()));
  }
  std::int32_t previous = -1;
  for (std::int32_t start : trackStarts) {
    if (start <= previous) throw Exception("Track start sectors must increase from 0 upwards");
    previous = start;
  }
  if (leadOut <= previous) throw Exception("The lead-out must follow the last track's start");

  CdromToc toc;
  std::memset(&toc, 0, sizeof toc);
  const int entries = static_cast<int>(trackStarts.size()) + 1;
  const int length = 2 + 8 * entries;
  toc.Length[0] = static_cast<std::uint8_t>(length >> 8);
  toc.Length[1] = static_cast<std::uint8_t>(length & 0xFF);
  toc.FirstTrack = 1;
  toc.LastTrack = static_cast<std::uint8_t>(trackStarts.size());
  for (std::size_t i = 0; i < trackStarts.size(); ++i) {
    TocTrackEntry& e = toc.TrackData[i];
    e.ControlAdr = kAudioControlAdr;
    e.TrackNumber = static_cast<std::uint8_t>(i + 1);
    TocSetPosition(e, trackStarts[i]);
  }
  TocTrackEntry& leadOutEntry = toc.TrackData[trackStarts.size()];
  leadOutEntry.ControlAdr = kAudioControlAdr;
  leadOutEntry.TrackNumber = kLeadOutTrack;
  TocSetPosition(leadOutEntry, leadOut);
  return toc;
}

int TocTrackCount(const CdromToc& toc) {
  const int count = static_cast<int>(toc.LastTrack) - static_cast<int>(toc.FirstTrack) + 1;
  if (toc.FirstTrack == 0 || count < 1 || count > kMaxTracks) return 0;
  return count;
}

std::unique_ptr<TVirtualDisc> MakeGeneratedDisc(const std::vector<std::int32_t>& trackStarts, std::int32_t leadOut,
                                                SectorGenerator generator) {
  return std::make_unique<TGeneratedDisc>(trackStarts, leadOut, std::move(generator));
}

}  // namespace pellamy
