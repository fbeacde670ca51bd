// CdromToc, TocTrackEntry: the table of contents as a CD-ROM drive returns it,
// and the sector arithmetic on its positions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pellamy {

inline constexpr int kRawSectorBytes = 2352;
inline constexpr int kTocEntryCount = 100;
// The control bit (low four bits of ControlAdr) of a data track.
inline constexpr std::uint8_t kTocControlData = 0x04;

#pragma pack(push, 1)
struct TocTrackEntry {
  std::uint8_t Reserved;
  std::uint8_t ControlAdr;
  std::uint8_t TrackNumber;
  std::uint8_t Reserved1;
  std::uint8_t Address[4];  // 0, minute, second, frame
};

struct CdromToc {
  std::uint8_t Length[2];  // big-endian, unused
  std::uint8_t FirstTrack;
  std::uint8_t LastTrack;
  TocTrackEntry TrackData[kTocEntryCount];
};
#pragma pack(pop)

static_assert(sizeof(TocTrackEntry) == 8);
static_assert(offsetof(TocTrackEntry, Address) == 4);
static_assert(sizeof(CdromToc) == 804);
static_assert(offsetof(CdromToc, FirstTrack) == 2);
static_assert(offsetof(CdromToc, TrackData) == 4);

inline int TocMinute(const TocTrackEntry& e) {
  return e.Address[1];
}
inline int TocSecond(const TocTrackEntry& e) {
  return e.Address[2];
}
inline int TocFrame(const TocTrackEntry& e) {
  return e.Address[3];
}

inline bool TocIsDataTrack(const TocTrackEntry& e) {
  return (e.ControlAdr & kTocControlData) != 0;
}

// Position 0:02:00 is sector 0.
inline std::int32_t TocStartSector(const TocTrackEntry& e) {
  return TocMinute(e) * 4500 + TocSecond(e) * 75 + TocFrame(e) - 150;
}

// One before the entry's start: the last sector of the track before it.
inline std::int32_t TocLastSectorBefore(const TocTrackEntry& e) {
  return TocMinute(e) * 4500 + TocSecond(e) * 75 + TocFrame(e) - 151;
}

// Writes a position (minute, second, frame) for an absolute sector number.
inline void TocSetPosition(TocTrackEntry& e, std::int32_t sector) {
  const std::int32_t abs = sector + 150;
  e.Address[0] = 0;
  e.Address[1] = static_cast<std::uint8_t>(abs / 4500);
  e.Address[2] = static_cast<std::uint8_t>(abs / 75 % 60);
  e.Address[3] = static_cast<std::uint8_t>(abs % 75);
}

}  // namespace pellamy
