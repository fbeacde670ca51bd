// The rip log: what was read, how, and with which checksums, closed by the
// SHA-256 of everything above its last line so that an edited log shows.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "ripper/CdText.h"
#include "ripper/DiscIds.h"
#include "ripper/SecureReader.h"

namespace pellamy {

struct TTrackRip {
  int Track = 0;
  std::string File;
  std::int32_t Start = 0, End = 0;  // sectors, end exclusive
  std::uint32_t ArV1 = 0, ArV2 = 0, Crc = 0, CrcNonZero = 0;
  int Peak = 0;
  TTrackReadReport Report;
  std::string Failure;  // why no file was written, when none was
};

struct TRipLogInfo {
  std::string Version;
  std::string Drive;
  bool Secure = true;
  int Offset = 0;
  bool OffsetGiven = false;
  TDiscLayout Disc;
  std::vector<TTrackRip> Tracks;
  TCdText CdText;
  std::string CdTextProblem;  // why there are no names, when there are none
};

// UTF-8 text with CR LF line ends.
std::string FormatRipLog(const TRipLogInfo& info);
// True when the last line's checksum matches the text above it.
bool RipLogIntact(const std::string& text);
// "Pellamy rip YYYY-MM-DD HH-MM-SS.log"
std::string RipLogName(const std::tm& when);
// The tracks with suspicious positions or no file.
std::vector<int> TracksWithErrors(const std::vector<TTrackRip>& tracks);

}  // namespace pellamy
