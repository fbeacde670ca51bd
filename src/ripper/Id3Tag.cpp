#include "ripper/Id3Tag.h"

#include <algorithm>

namespace pellamy {

namespace {

// UTF-8 to code points; a malformed byte stands for itself.
std::vector<std::uint32_t> CodePoints(const std::string& text) {
  std::vector<std::uint32_t> out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
    std::uint32_t code = ok ? (extra == 0 ? c : c & (0x3Fu >> extra)) : c;
    for (int k = 1; ok && k <= extra; ++k) {
      const auto f = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      ok = (f & 0xC0) == 0x80;
      code = (code << 6) | (f & 0x3F);
    }
    if (!ok) {
      out.push_back(c);
      ++i;
    } else {
      out.push_back(code);
      i += static_cast<std::size_t>(extra) + 1;
    }
  }
  return out;
}

bool PlainAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// An encoded text: ISO 8859-1 (encoding 0) for ASCII, else UTF-16 with a BOM
// (encoding 1); terminated when asked.
void AppendText(std::vector<std::uint8_t>& out, const std::string& text, bool unicode, bool terminated) {
  if (!unicode) {
    out.insert(out.end(), text.begin(), text.end());
    if (terminated) out.push_back(0);
    return;
  }
  out.push_back(0xFF);
  out.push_back(0xFE);
  for (std::uint32_t code : CodePoints(text)) {
    auto unit = [&](std::uint32_t u) {
      out.push_back(static_cast<std::uint8_t>(u & 0xFF));
      out.push_back(static_cast<std::uint8_t>(u >> 8));
    };
    if (code >= 0x10000 && code <= 0x10FFFF) {
      code -= 0x10000;
      unit(0xD800 | (code >> 10));
      unit(0xDC00 | (code & 0x3FF));
    } else {
      unit(code > 0xFFFF ? 0xFFFD : code);
    }
  }
  if (terminated) {
    out.push_back(0);
    out.push_back(0);
  }
}

void AppendFrame(std::vector<std::uint8_t>& tag, const char* id, const std::vector<std::uint8_t>& body) {
  tag.insert(tag.end(), id, id + 4);
  const std::size_t n = body.size();
  for (int shift = 24; shift >= 0; shift -= 8) tag.push_back(static_cast<std::uint8_t>(n >> shift));
  tag.push_back(0);
  tag.push_back(0);
  tag.insert(tag.end(), body.begin(), body.end());
}

void AppendTextFrame(std::vector<std::uint8_t>& tag, const char* id, const std::string& text) {
  if (text.empty()) return;
  const bool unicode = !PlainAscii(text);
  std::vector<std::uint8_t> body{static_cast<std::uint8_t>(unicode ? 1 : 0)};
  AppendText(body, text, unicode, false);
  AppendFrame(tag, id, body);
}

void PutLatin1(std::uint8_t* field, std::size_t size, const std::string& text) {
  std::size_t i = 0;
  for (std::uint32_t code : CodePoints(text)) {
    if (i == size) break;
    field[i++] = static_cast<std::uint8_t>(code <= 0xFF ? code : '?');
  }
}

}  // namespace

TTrackTags TagsForTrack(const TCdText& text, int track, int total, const std::string& musicBrainzDiscId) {
  const TTrackText& album = text.Track(0);
  const TTrackText& t = text.Track(track);
  TTrackTags tags;
  tags.Title = t.Title.empty() ? "Track " + std::to_string(track) : t.Title;
  tags.Artist = t.Performer.empty() ? album.Performer : t.Performer;
  tags.Album = album.Title;
  tags.AlbumArtist = album.Performer;
  tags.Composer = t.Composer.empty() ? t.Songwriter : t.Composer;
  tags.Isrc = t.Code;
  tags.MusicBrainzDiscId = musicBrainzDiscId;
  tags.Track = track;
  tags.Total = total;
  return tags;
}

std::vector<std::uint8_t> BuildId3v2(const TTrackTags& tags) {
  std::vector<std::uint8_t> frames;
  AppendTextFrame(frames, "TIT2", tags.Title);
  AppendTextFrame(frames, "TPE1", tags.Artist);
  AppendTextFrame(frames, "TALB", tags.Album);
  AppendTextFrame(frames, "TPE2", tags.AlbumArtist);
  AppendTextFrame(frames, "TCOM", tags.Composer);
  if (tags.Track > 0)
    AppendTextFrame(frames, "TRCK",
                    std::to_string(tags.Track) + (tags.Total > 0 ? "/" + std::to_string(tags.Total) : ""));
  AppendTextFrame(frames, "TSRC", tags.Isrc);
  if (!tags.MusicBrainzDiscId.empty()) {
    const bool unicode = !PlainAscii(tags.MusicBrainzDiscId);
    std::vector<std::uint8_t> body{static_cast<std::uint8_t>(unicode ? 1 : 0)};
    AppendText(body, "MusicBrainz Disc Id", unicode, true);
    AppendText(body, tags.MusicBrainzDiscId, unicode, false);
    AppendFrame(frames, "TXXX", body);
  }
  // Header: "ID3", version 2.3.0, no flags, the size of the frames in seven
  // bits a byte.
  std::vector<std::uint8_t> tag{'I', 'D', '3', 3, 0, 0};
  const std::size_t n = frames.size();
  for (int shift = 21; shift >= 0; shift -= 7) tag.push_back(static_cast<std::uint8_t>((n >> shift) & 0x7F));
  tag.insert(tag.end(), frames.begin(), frames.end());
  return tag;
}

std::array<std::uint8_t, 128> BuildId3v1(const TTrackTags& tags) {
  std::array<std::uint8_t, 128> tag{};
  tag[0] = 'T', tag[1] = 'A', tag[2] = 'G';
  PutLatin1(tag.data() + 3, 30, tags.Title);
  PutLatin1(tag.data() + 33, 30, tags.Artist);
  PutLatin1(tag.data() + 63, 30, tags.Album);
  // 93..96 year and 97..124 comment stay empty; 125 zero marks ID3v1.1.
  tag[126] = static_cast<std::uint8_t>(std::clamp(tags.Track, 0, 255));
  tag[127] = 255;  // no genre
  return tag;
}

}  // namespace pellamy
