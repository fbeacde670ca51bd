// The disc's identity in the databases rippers compare with, computed from
// its table of contents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ripper/CdromToc.h"

namespace pellamy {

struct TDiscTrack {
  int Number = 0;
  std::int32_t Start = 0;  // sector, 0 at 0:02:00
  bool Data = false;
};

struct TDiscLayout {
  std::vector<TDiscTrack> Tracks;
  std::int32_t LeadOut = 0;  // the disc's real lead-out sector
};

// The tracks and lead-out of a table of contents; empty when it holds no
// track or its positions do not increase.
TDiscLayout DiscLayoutFromToc(const CdromToc& toc);

struct TDiscIds {
  int AudioTracks = 0;
  std::uint32_t AccurateRip1 = 0, AccurateRip2 = 0;
  std::uint32_t Cddb = 0;
  std::string AccurateRipId;   // "nnn-xxxxxxxx-xxxxxxxx-xxxxxxxx"
  std::string AccurateRipUrl;  // the disc's database entry
  std::string MusicBrainz;
  std::string MusicBrainzUrl;
  std::string CueToolsToc;
};

// Enhanced discs (data after the audio, in a second session) and data-first
// discs change each id by its own database's rules. All zero and empty for a
// layout without audio tracks.
TDiscIds ComputeDiscIds(const TDiscLayout& disc);

}  // namespace pellamy
