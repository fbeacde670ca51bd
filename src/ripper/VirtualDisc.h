// TVirtualDisc: a CD as the virtual drive sees it (a table of contents and
// raw 2352-byte sectors), with the built-in demo disc, a disc whose sectors
// come from a caller's function, and the framing of raw Mode 1 sectors.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ripper/CdText.h"
#include "ripper/CdromToc.h"

namespace pellamy {

class TVirtualDisc {
 public:
  virtual ~TVirtualDisc() = default;

  virtual const CdromToc& Toc() const = 0;
  // The names the disc carries (its CD-Text); none unless a disc has them.
  virtual const TCdText& CdText() const {
    static const TCdText kNone;
    return kNone;
  }
  // The first sector after the last track; sectors 0 .. LeadOutSector()-1
  // can be read.
  virtual std::int32_t LeadOutSector() const = 0;
  // Writes count * 2352 bytes to out. False, with out undefined, when any
  // sector lies outside 0 .. LeadOutSector()-1 or the image cannot be read.
  // Implementations allow calls from several threads at once.
  virtual bool ReadSectors(std::int32_t first, std::uint32_t count, std::uint8_t* out) = 0;
};

// A table of contents for an all-audio disc: tracks numbered from 1 starting
// at the given sectors, then the lead-out entry (track 0xAA). Throws
// pellamy::Exception unless there are 1 to 99 strictly increasing
// non-negative starts, all before leadOut.
CdromToc BuildAudioToc(const std::vector<std::int32_t>& trackStarts, std::int32_t leadOut);

struct TTocTrack {
  std::int32_t Start = 0;  // sector of the track's index 1
  bool Data = false;
};
// A table of contents for tracks numbered firstTrack, firstTrack + 1, ...,
// then the lead-out entry. Data tracks carry the data bit in their control
// field; the lead-out entry takes the control of the last track, as drives
// report it. Throws pellamy::Exception unless firstTrack is 1 to 99, the
// numbers stay within 99 and the starts increase as for BuildAudioToc.
CdromToc BuildToc(int firstTrack, const std::vector<TTocTrack>& tracks, std::int32_t leadOut);

// The number of tracks in a table of contents (LastTrack - FirstTrack + 1,
// or 0 when that makes no sense).
int TocTrackCount(const CdromToc& toc);

// The built-in demo disc: six tracks of 20 to 60 seconds with different
// music, synthesised sector by sector on demand.
std::unique_ptr<TVirtualDisc> MakeDemoDisc();
// A demo disc exactly totalMinutes long (1 to 99; lead-out at sector
// totalMinutes * 4500), its tracks lengthened and varied to fill it.
std::unique_ptr<TVirtualDisc> MakeDemoDisc(int totalMinutes);

// Fills one 2352-byte sector.
using SectorGenerator = std::function<void(std::int32_t sector, std::uint8_t* out)>;
// A disc with the given layout whose sectors come from generator (called
// once per sector read; it must be safe to call from several threads).
std::unique_ptr<TVirtualDisc> MakeGeneratedDisc(const std::vector<std::int32_t>& trackStarts, std::int32_t leadOut,
                                                SectorGenerator generator);

// A raw Mode 1 data sector (2352 bytes) as a drive returns it, around the
// 2048 user bytes already in place at raw + 16: writes sync, header (the
// sector's position and mode 1), the error detection code and both error
// correction parity blocks, so the sector is the one a pressed disc holds.
void FrameMode1Sector(std::int32_t sector, std::uint8_t* raw);

}  // namespace pellamy
