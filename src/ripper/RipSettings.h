// TRipSettings: how the programs rip, from their command lines and the
// optional Pellamy.ini beside the program. Set once at start-up, before any
// rip begins.
#pragma once

#include <string>

namespace pellamy {

struct TRipSettings {
  int ReadOffset = 0;  // samples, as drive-offset lists give it
  bool OffsetGiven = false;
  bool Burst = false;  // a single pass, for comparison
};

TRipSettings& RipSettings();

// The ReadOffset line of an ini file's text ("ReadOffset=N", any case, any
// section). False, offset untouched, when there is none; throws
// pellamy::Exception for a value that is not a whole number within +-5880.
bool ParseReadOffsetIni(const std::string& text, int& offset);
// Reads programDir + "Pellamy.ini" when it exists and takes its ReadOffset
// unless one was given already.
void LoadProgramIni(const std::string& programDir);
// "--read-offset=N": throws for a bad number.
int ParseReadOffsetOption(const std::string& value);

}  // namespace pellamy
