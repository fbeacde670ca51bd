#include "ripper/VirtualDisc.h"

#include <cstring>
#include <string>
#include <utility>

#include "base/Exceptions.h"

namespace pellamy {

namespace {

constexpr std::uint8_t kAudioControlAdr = 0x10;  // ADR 1 (position), control 0: audio
constexpr std::uint8_t kDataControlAdr = 0x10 | kTocControlData;
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

// GF(2^8) over x^8 + x^4 + x^3 + x^2 + 1, the field of the sector's
// Reed-Solomon parity.
struct TGaloisField {
  std::uint8_t Exp[512];
  std::uint8_t Log[256];
  constexpr TGaloisField() : Exp(), Log() {
    int x = 1;
    for (int i = 0; i < 255; ++i) {
      Exp[i] = Exp[i + 255] = static_cast<std::uint8_t>(x);
      Log[x] = static_cast<std::uint8_t>(i);
      x <<= 1;
      if (x & 0x100) x ^= 0x11D;
    }
  }
  std::uint8_t Times(std::uint8_t a, std::uint8_t b) const { return a == 0 || b == 0 ? 0 : Exp[Log[a] + Log[b]]; }
  std::uint8_t Over(std::uint8_t a, std::uint8_t b) const { return a == 0 ? 0 : Exp[Log[a] + 255 - Log[b]]; }
};
constexpr TGaloisField kField;

constexpr std::uint8_t kSync[12] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr int kHeaderAt = 12;
constexpr int kEdcAt = 2064;
constexpr int kParityPAt = 2076;
constexpr int kParityQAt = 2248;

std::uint8_t Bcd(int value) {
  return static_cast<std::uint8_t>(value / 10 * 16 + value % 10);
}

void WriteSyncAndHeader(std::int32_t sector, std::uint8_t mode, std::uint8_t* raw) {
  std::memcpy(raw, kSync, sizeof kSync);
  const std::int32_t position = sector + 150;
  raw[kHeaderAt] = Bcd(position / 4500);
  raw[kHeaderAt + 1] = Bcd(position / 75 % 60);
  raw[kHeaderAt + 2] = Bcd(position % 75);
  raw[kHeaderAt + 3] = mode;
}

// The error detection code: a CRC over sync, header and user data (bit
// reversed polynomial x^32 + x^31 + x^16 + x^15 + x^4 + x^3 + x + 1).
std::uint32_t Edc(const std::uint8_t* data, std::size_t size) {
  std::uint32_t edc = 0;
  for (std::size_t i = 0; i < size; ++i) {
    edc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) edc = (edc >> 1) ^ ((edc & 1) != 0 ? 0xD8018001u : 0);
  }
  return edc;
}

// Two parity bytes for each of `vectors` codewords of `length` bytes taken
// from the bytes after the sync. Vector v starts at byte (v / 2) * startStep
// + v % 2 and steps `step` bytes, wrapping around the bytes covered. Over the
// codeword c_0 .. c_(n+1) (n data bytes, then the two parity bytes) the
// parity makes sum(c_i) = 0 and sum(a^(n+1-i) c_i) = 0.
void WriteParity(std::uint8_t* raw, int vectors, int length, int startStep, int step, int parityAt) {
  const std::uint8_t* body = raw + kHeaderAt;
  const int covered = vectors * length;
  for (int v = 0; v < vectors; ++v) {
    int at = (v / 2) * startStep + v % 2;
    std::uint8_t sum = 0, weighted = 0;  // weighted ends as sum(a^(n+1-i) d_i)
    for (int i = 0; i < length; ++i) {
      sum ^= body[at];
      weighted = kField.Times(static_cast<std::uint8_t>(weighted ^ body[at]), 2);
      at += step;
      if (at >= covered) at -= covered;
    }
    weighted = kField.Times(weighted, 2);
    // p0 + p1 = sum and a p0 + p1 = weighted, so p0 = (sum + weighted) / (a + 1).
    const std::uint8_t p0 = kField.Over(static_cast<std::uint8_t>(sum ^ weighted), 3);
    raw[parityAt + v] = p0;
    raw[parityAt + vectors + v] = static_cast<std::uint8_t>(p0 ^ sum);
  }
}

}  // namespace

CdromToc BuildAudioToc(const std::vector<std::int32_t>& trackStarts, std::int32_t leadOut) {
  std::vector<TTocTrack> tracks;
  for (std::int32_t start : trackStarts) tracks.push_back({start, false});
  return BuildToc(1, tracks, leadOut);
}

CdromToc BuildToc(int firstTrack, const std::vector<TTocTrack>& tracks, std::int32_t leadOut) {
  if (tracks.empty() || tracks.size() > kMaxTracks) {
    throw Exception("A disc needs 1 to 99 tracks, not " + std::to_string(tracks.size()));
  }
  if (firstTrack < 1 || firstTrack + static_cast<int>(tracks.size()) - 1 > kMaxTracks) {
    throw Exception("Track numbers must lie between 1 and 99");
  }
  std::int32_t previous = -1;
  for (const TTocTrack& track : tracks) {
    if (track.Start <= previous) throw Exception("Track start sectors must increase from 0 upwards");
    previous = track.Start;
  }
  if (leadOut <= previous) throw Exception("The lead-out must follow the last track's start");

  CdromToc toc;
  std::memset(&toc, 0, sizeof toc);
  const int entries = static_cast<int>(tracks.size()) + 1;
  const int length = 2 + 8 * entries;
  toc.Length[0] = static_cast<std::uint8_t>(length >> 8);
  toc.Length[1] = static_cast<std::uint8_t>(length & 0xFF);
  toc.FirstTrack = static_cast<std::uint8_t>(firstTrack);
  toc.LastTrack = static_cast<std::uint8_t>(firstTrack + static_cast<int>(tracks.size()) - 1);
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    TocTrackEntry& e = toc.TrackData[i];
    e.ControlAdr = tracks[i].Data ? kDataControlAdr : kAudioControlAdr;
    e.TrackNumber = static_cast<std::uint8_t>(firstTrack + static_cast<int>(i));
    TocSetPosition(e, tracks[i].Start);
  }
  TocTrackEntry& leadOutEntry = toc.TrackData[tracks.size()];
  leadOutEntry.ControlAdr = tracks.back().Data ? kDataControlAdr : kAudioControlAdr;
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

void FrameMode1Sector(std::int32_t sector, std::uint8_t* raw) {
  WriteSyncAndHeader(sector, 1, raw);
  const std::uint32_t edc = Edc(raw, kEdcAt);
  for (int i = 0; i < 4; ++i) raw[kEdcAt + i] = static_cast<std::uint8_t>(edc >> (8 * i));
  std::memset(raw + kEdcAt + 4, 0, 8);
  // P parity: 86 columns of 24 bytes, one byte apart, each stepping a row
  // of 86 bytes; Q parity: 52 diagonals of 43 bytes over the rows and the P
  // parity, each stepping 88 bytes around the 2236 bytes they cover.
  WriteParity(raw, 86, 24, 2, 86, kParityPAt);
  WriteParity(raw, 52, 43, 86, 88, kParityQAt);
}

}  // namespace pellamy
