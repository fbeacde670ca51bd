// Tags of an MP3 file: what a music player lists it by.
//   TTrackTags     a track's names and numbers
//   TagsForTrack   them from the disc's CD-Text ("Track N" without one)
//   BuildId3v2     the ID3v2.3 tag at the file's start
//   BuildId3v1     the 128-byte ID3v1.1 tag at its end
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ripper/CdText.h"

namespace pellamy {

struct TTrackTags {
  std::string Title, Artist, Album, AlbumArtist, Composer, Isrc, MusicBrainzDiscId;  // UTF-8
  int Track = 0, Total = 0;
};

TTrackTags TagsForTrack(const TCdText& text, int track, int total, const std::string& musicBrainzDiscId);

// Text frames in ISO 8859-1 where the text is plain ASCII, otherwise in
// UTF-16 with its byte order mark; the disc id as a user text frame
// "MusicBrainz Disc Id". No frame for an empty text.
std::vector<std::uint8_t> BuildId3v2(const TTrackTags& tags);

// Title, artist and album cut to 30 bytes of ISO 8859-1 ('?' for other
// characters), the track number in the comment's last byte, no genre.
std::array<std::uint8_t, 128> BuildId3v1(const TTrackTags& tags);

}  // namespace pellamy
