// CD-Text: the names a disc's lead-in carries, in 18-byte packs.
//   TTrackText      one track's texts (or the album's)
//   TCdText         the album's texts and every track's
//   CdTextCrc       a pack's check value
//   ParseCdText     a drive's CD-Text answer (READ TOC format 5) to names
//   BuildCdText     names to that answer, as a pressed disc carries them
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pellamy {

inline constexpr std::size_t kCdTextPackBytes = 18;

struct TTrackText {
  std::string Title, Performer, Songwriter, Composer, Arranger, Message;
  // A track's ISRC; the album's UPC/EAN.
  std::string Code;
  bool operator==(const TTrackText&) const = default;
};

struct TCdText {
  // [0] the album, [n] track n; texts are UTF-8.
  std::vector<TTrackText> Tracks;
  std::string DiscId, Genre;

  bool Empty() const;
  // Track n's texts, an empty record for a track without any.
  const TTrackText& Track(int n) const;
  TTrackText& Track(int n);
  bool operator==(const TCdText&) const = default;
};

// CRC-16 with the polynomial x^16 + x^12 + x^5 + 1, from 0, inverted: what
// bytes 16 and 17 of a pack hold (high byte first) for its first 16 bytes.
std::uint16_t CdTextCrc(const std::uint8_t* bytes, std::size_t count);

// The first language block's texts from an answer that starts with the
// 4-byte header (its length, high byte first, counts the bytes after the
// length field). Packs whose CRC fails are left out, with the strings they
// would have completed; a damaged or absent CD-Text gives no texts, never an
// error. Blocks in MS-JIS are read; the other double-byte codes (Korean,
// Mandarin) are refused: problem says why nothing was read when that is so.
TCdText ParseCdText(const std::uint8_t* answer, std::size_t size, std::string* problem = nullptr);

// The answer a drive gives for these texts of a disc with tracks
// firstTrack..lastTrack: one block, English, ending in its three size packs;
// in ISO 8859-1 when every text fits it, else in MS-JIS when every text fits
// that, else in ISO 8859-1 with '?' for what does not fit. Empty when there
// are no texts.
std::vector<std::uint8_t> BuildCdText(const TCdText& text, int firstTrack, int lastTrack);

}  // namespace pellamy
