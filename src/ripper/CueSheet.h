// LoadCueImage: an audio CD image (a cue sheet and the raw sector files it
// names) opened as a virtual disc.
#pragma once

#include <memory>
#include <string>

#include "ripper/VirtualDisc.h"

namespace pellamy {

// Reads the cue sheet at cuePath. Understood:
//   FILE name BINARY      raw 2352-byte sectors, the name (quoted or not)
//                         relative to the sheet's folder; several FILE lines
//                         are laid end to end
//   TRACK nn AUDIO        tracks numbered 1, 2, 3, ... (at most 99)
//   INDEX nn mm:ss:ff     INDEX 01 (required) starts the track, counted from
//                         the start of the current file; other indexes are
//                         checked and ignored
// REM, TITLE, PERFORMER, SONGWRITER, CATALOG, ISRC, CDTEXTFILE, FLAGS,
// PREGAP and POSTGAP are accepted and ignored. Lines may end in LF, CR LF or
// CR; a UTF-8 byte order mark is skipped; commands are case-insensitive.
// The lead-out follows the last sector of the last file. Sectors are read
// from the files when asked for; the files stay open while the disc exists.
// Anything else throws pellamy::Exception naming the sheet and the line.
std::unique_ptr<TVirtualDisc> LoadCueImage(const std::string& cuePath);

}  // namespace pellamy
