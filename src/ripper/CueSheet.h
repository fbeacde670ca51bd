// LoadCueImage: a CD image (a cue sheet and the files it names) opened as a
// virtual disc.
#pragma once

#include <memory>
#include <string>

#include "ripper/VirtualDisc.h"

namespace pellamy {

// Reads the cue sheet at cuePath. Understood:
//   FILE name type        the name (quoted or not) relative to the sheet's
//                         folder; several FILE lines, of any types, are laid
//                         end to end. Types: BINARY (sectors as stored);
//                         MOTOROLA (audio with big-endian samples, swapped
//                         on reading); WAVE (a RIFF WAVE file of 16-bit
//                         stereo PCM at 44100 Hz; its sectors are the bytes
//                         of its data chunk, the last one filled up with
//                         silence when it is short). Data tracks come from
//                         BINARY files only.
//   TRACK nn type         numbered from any first track 1 to 99, each the one
//                         before plus one; the table of contents carries
//                         these numbers. Types: AUDIO; MODE1/2352 and
//                         MODE2/2352 (raw data sectors, read as stored);
//                         MODE1/2048 (2048 user bytes a sector in the file,
//                         read as the raw Mode 1 sector a disc holds: sync,
//                         header with the sector's position, the user bytes,
//                         error detection code and parity). Data tracks
//                         carry the data bit in the table of contents.
//   INDEX nn mm:ss:ff     positions counted in sectors (of the track's size)
//                         from the start of the current file; INDEX 01
//                         (required) starts the track in the table of
//                         contents. A track's sectors in the file begin at
//                         its first INDEX, so an INDEX 00 gap stays on the
//                         disc; the sectors before belong to the track before.
//   PREGAP mm:ss:ff       before a track's first INDEX: that many sectors of
//                         digital silence (zero bytes, for data tracks too)
//                         that no file holds, laid just before the track's
//                         sectors
//   POSTGAP mm:ss:ff      after a track's INDEX lines: silence laid after its
//                         sectors
// Both gaps move every later position on the disc. REM, TITLE, PERFORMER,
// SONGWRITER, CATALOG, ISRC, CDTEXTFILE and FLAGS are accepted and ignored.
// Lines may end in LF, CR LF or CR; a UTF-8 byte order mark is skipped;
// commands are case-insensitive. The lead-out follows the last sector of the
// last file and its postgap. Sectors are read from the files when asked for;
// the files stay open while the disc exists. Anything else throws
// pellamy::Exception naming the sheet and the line, what was found there and
// what is supported.
std::unique_ptr<TVirtualDisc> LoadCueImage(const std::string& cuePath);

}  // namespace pellamy
