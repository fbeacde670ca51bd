// TDriveFaults: a faulty drive described in a text file, and TFaultyDrive,
// which plays it over a virtual disc: a read offset, a cache, sectors that
// read differently each time or never, reads that come back shifted, and C2
// error pointers. Random choices come from the file's seed.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "ripper/VirtualDisc.h"

namespace pellamy {

inline constexpr int kC2BytesPerSector = 294;

struct TDriveFaults {
  struct TRange {
    std::int32_t First = 0, Count = 0;
    int Percent = 0;
    int Samples = 0;  // jitter: the largest shift
    bool C2 = false;  // flaky: flips are flagged in C2
    bool Contains(std::int32_t s) const { return s >= First && s - First < Count; }
  };
  int Offset = 0;  // samples, as drive-offset lists give it
  bool C2 = false;
  int CacheSectors = 0;
  std::uint64_t Seed = 0;
  std::vector<TRange> Flaky, Unreadable, Jitter;
};

// Throws pellamy::Exception naming the line of the first error.
TDriveFaults ParseDriveFaults(const std::string& text);
// Reads and parses the file; throws on a missing file too.
TDriveFaults LoadDriveFaults(const std::string& fileName);

class TFaultyDrive {
 public:
  explicit TFaultyDrive(TDriveFaults faults);
  const TDriveFaults& Faults() const { return FFaults; }
  // count sectors from first (all before the lead-out) into out, and their C2
  // pointers into c2 when not null. False for an unreadable sector.
  bool Read(TVirtualDisc& disc, std::int32_t first, std::uint32_t count, std::uint8_t* out, std::uint8_t* c2);

 private:
  bool ReadFresh(TVirtualDisc& disc, std::int32_t first, std::uint32_t count, std::uint8_t* out, std::uint8_t* c2);
  bool Chance(int percent);

  const TDriveFaults FFaults;
  std::mutex FMutex;
  std::mt19937_64 FRandom;
  struct TCached {
    std::vector<std::uint8_t> Data, C2;
  };
  std::map<std::int32_t, TCached> FCache;
  std::deque<std::int32_t> FCacheOrder;
};

}  // namespace pellamy
