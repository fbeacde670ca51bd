// ReadTrackAudio: a track's audio read from a drive, securely (two passes
// with the drive's cache defeated between them, disagreeing chunks read
// again until 8 reads agree) or in a single burst, corrected for the drive's
// read offset and handed to a sink in order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pellamy {

// What the reader needs of a drive.
class TSectorSource {
 public:
  virtual ~TSectorSource() = default;
  // count sectors (count * 2352 bytes) from first into out, and, when c2 is
  // not null and the drive reports them, their C2 error pointers (count * 294
  // bytes). False when the request failed.
  virtual bool Read(std::int32_t first, int count, std::uint8_t* out, std::uint8_t* c2) = 0;
  virtual bool ReportsC2() = 0;
  // Sectors 0 .. LeadOut() - 1 can be read.
  virtual std::int32_t LeadOut() = 0;
};

struct TReadOptions {
  bool Secure = true;
  int OffsetSamples = 0;
  int SectorsPerChunk = 13;
  // Sectors read elsewhere on the disc to push a chunk out of the drive's
  // cache before it is read again.
  int CacheFlushSectors = 2048;
  int MaxRereads = 16;
  int Agreeing = 8;
};

struct TTrackReadReport {
  int RereadChunks = 0;
  // Sectors (from the track's start) without agreement; in a burst, the
  // first sectors of the chunks whose read failed.
  std::vector<std::int32_t> Suspicious;
};

// The track's samples start at startSector * 588 + offset on the drive and
// last (endSector - startSector) * 588 samples; samples outside the disc are
// silence. sink gets the PCM in pieces of whole samples. stop is asked
// between chunks; when it answers true the read ends early (returns false).
bool ReadTrackAudio(TSectorSource& drive, std::int32_t startSector, std::int32_t endSector, const TReadOptions& options,
                    const std::function<void(const std::uint8_t*, std::size_t)>& sink, TTrackReadReport& report,
                    const std::function<bool()>& stop = {});

// m:ss.ff of a sector count.
std::string SectorTime(std::int32_t sectors);

}  // namespace pellamy
