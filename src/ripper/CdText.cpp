#include "ripper/CdText.h"

#include <algorithm>
#include <array>

#include "ripper/TextCodec.h"

namespace pellamy {

namespace {

constexpr int kTitle = 0x80, kPerformer = 0x81, kSongwriter = 0x82, kComposer = 0x83, kArranger = 0x84, kMessage = 0x85,
              kDiscId = 0x86, kGenre = 0x87, kCode = 0x8E, kSize = 0x8F;
constexpr int kTextTypes[] = {kTitle, kPerformer, kSongwriter, kComposer, kArranger, kMessage, kDiscId, kGenre, kCode};
constexpr int kMaxTrack = 99;
constexpr std::size_t kMaxTextBytes = 160;  // longer strings are cut, not grown without end
constexpr std::size_t kPackText = 12;
constexpr int kMaxPacksInBlock = 256;

// The album-only types name no track texts.
bool AlbumOnly(int type) {
  return type == kDiscId || type == kGenre;
}

std::string* FieldOf(TCdText& text, int type, int track) {
  if (AlbumOnly(type)) return track == 0 ? (type == kDiscId ? &text.DiscId : &text.Genre) : nullptr;
  TTrackText& t = text.Track(track);
  switch (type) {
    case kTitle:
      return &t.Title;
    case kPerformer:
      return &t.Performer;
    case kSongwriter:
      return &t.Songwriter;
    case kComposer:
      return &t.Composer;
    case kArranger:
      return &t.Arranger;
    case kMessage:
      return &t.Message;
    case kCode:
      return &t.Code;
    default:
      return nullptr;
  }
}

std::string FieldValue(const TCdText& text, int type, int track) {
  if (AlbumOnly(type)) return track == 0 ? (type == kDiscId ? text.DiscId : text.Genre) : std::string();
  const TTrackText& t = text.Track(track);
  switch (type) {
    case kTitle:
      return t.Title;
    case kPerformer:
      return t.Performer;
    case kSongwriter:
      return t.Songwriter;
    case kComposer:
      return t.Composer;
    case kArranger:
      return t.Arranger;
    case kMessage:
      return t.Message;
    case kCode:
      return t.Code;
    default:
      return {};
  }
}

std::string Latin1ToUtf8(const std::string& bytes) {
  std::string out;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += c < 0x20 ? ' ' : static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// UTF-8 to ISO 8859-1: what the block can carry; the rest becomes '?'.
std::string Utf8ToLatin1(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size() + (extra == 0 ? 1 : 0)) {
      out += '?';
      ++i;
      continue;
    }
    std::uint32_t code = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += static_cast<std::size_t>(extra) + 1;
    out += code < 0x20 ? ' ' : code <= 0xFF ? static_cast<char>(code) : '?';
  }
  return out;
}

struct TPack {
  const std::uint8_t* B;
  int Type() const { return B[0]; }
  int TrackNo() const { return B[1] & 0x7F; }
  bool Extension() const { return (B[1] & 0x80) != 0; }
  int Sequence() const { return B[2]; }
  bool DoubleByte() const { return (B[3] & 0x80) != 0; }
  int Block() const { return (B[3] >> 4) & 7; }
  int CharPos() const { return B[3] & 0x0F; }
  const std::uint8_t* Text() const { return B + 4; }
};

bool CrcHolds(const std::uint8_t* pack) {
  const std::uint16_t crc = CdTextCrc(pack, 16);
  return pack[16] == (crc >> 8) && pack[17] == (crc & 0xFF);
}

bool FitsLatin1(const std::string& text) {
  const std::string back = Utf8ToLatin1(text);
  return Latin1ToUtf8(back) == text;
}

// One type's strings: each pack's first byte belongs to the track it names;
// a NUL (two in a double-byte block) ends a string and the next belongs to
// the next track. A string whose beginning was in a lost pack is not taken.
void ReadStrings(const std::vector<TPack>& packs, int type, bool msJis, TCdText& out) {
  int lastSequence = -2, track = 0;
  bool skipping = true, pendingNul = false;
  std::string bytes;
  for (const TPack& p : packs) {
    if (p.Type() != type) continue;
    const bool follows = p.Sequence() == lastSequence + 1 && p.TrackNo() == track;
    lastSequence = p.Sequence();
    std::size_t from = 0;
    if (!follows) {
      track = p.TrackNo();
      bytes.clear();
      pendingNul = false;
      skipping = p.CharPos() != 0;
      // A genre starts with its two-byte code, then its text.
      if (type == kGenre && !skipping) from = 2;
    }
    for (std::size_t i = from; i < kPackText && track <= kMaxTrack; ++i) {
      const std::uint8_t c = p.Text()[i];
      if (c != 0 && !pendingNul) {
        if (!skipping && bytes.size() < kMaxTextBytes) bytes += static_cast<char>(c);
        continue;
      }
      if (c == 0 && msJis && !pendingNul) {
        pendingNul = true;
        continue;
      }
      pendingNul = false;
      if (!skipping) {
        // A lone tab: the same as the track before.
        const bool tab = bytes == (msJis ? "\t\t" : "\t");
        std::string value = tab && track > 0 ? FieldValue(out, type, track - 1)
                            : msJis          ? Cp932ToUtf8(bytes)
                                             : Latin1ToUtf8(bytes);
        if (!value.empty()) {
          if (std::string* field = FieldOf(out, type, track)) *field = std::move(value);
        }
      }
      skipping = false;
      bytes.clear();
      ++track;
      // A double-byte string's lone NUL followed by text: that text begins
      // the next string.
      if (c != 0 && bytes.size() < kMaxTextBytes) bytes += static_cast<char>(c);
    }
  }
}

}  // namespace

bool TCdText::Empty() const {
  if (!DiscId.empty() || !Genre.empty()) return false;
  return std::all_of(Tracks.begin(), Tracks.end(), [](const TTrackText& t) { return t == TTrackText{}; });
}

const TTrackText& TCdText::Track(int n) const {
  static const TTrackText kNone;
  return n >= 0 && static_cast<std::size_t>(n) < Tracks.size() ? Tracks[static_cast<std::size_t>(n)] : kNone;
}

TTrackText& TCdText::Track(int n) {
  const std::size_t i = static_cast<std::size_t>(std::clamp(n, 0, kMaxTrack));
  if (Tracks.size() <= i) Tracks.resize(i + 1);
  return Tracks[i];
}

std::uint16_t CdTextCrc(const std::uint8_t* bytes, std::size_t count) {
  std::uint16_t crc = 0;
  for (std::size_t i = 0; i < count; ++i) {
    crc ^= static_cast<std::uint16_t>(bytes[i] << 8);
    for (int bit = 0; bit < 8; ++bit)
      crc = static_cast<std::uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return static_cast<std::uint16_t>(~crc);
}

TCdText ParseCdText(const std::uint8_t* answer, std::size_t size, std::string* problem) {
  auto fail = [&](const char* why) {
    if (problem != nullptr) *problem = why;
    return TCdText{};
  };
  if (problem != nullptr) problem->clear();
  if (answer == nullptr || size < 4) return fail("no CD-Text");
  const std::size_t declared = (static_cast<std::size_t>(answer[0]) << 8 | answer[1]) + 2;
  const std::size_t end = std::min(size, declared);
  std::vector<TPack> packs;
  int damaged = 0;
  for (std::size_t at = 4; at + kCdTextPackBytes <= end; at += kCdTextPackBytes) {
    if (CrcHolds(answer + at))
      packs.push_back({answer + at});
    else
      ++damaged;
  }
  if (packs.empty()) return fail(damaged > 0 ? "CD-Text damaged" : "no CD-Text");
  const int block = std::min_element(packs.begin(), packs.end(), [](const TPack& a, const TPack& b) {
                      return a.Block() < b.Block();
                    })->Block();
  std::vector<TPack> inBlock;
  int characterCode = 0x00;
  bool doubleByte = false;
  for (const TPack& p : packs) {
    if (p.Block() != block || p.Extension()) continue;
    if (p.Type() == kSize && p.TrackNo() == 0) characterCode = p.Text()[0];
    doubleByte = doubleByte || p.DoubleByte();
    inBlock.push_back(p);
  }
  if (doubleByte && characterCode < 0x80) characterCode = 0x80;
  // 0x00 ISO 8859-1, 0x01 ASCII, 0x80 MS-JIS; 0x81 Korean and 0x82 Mandarin
  // double-byte codes are not read.
  if (characterCode > 0x80 || (characterCode > 0x01 && characterCode < 0x80))
    return fail("CD-Text in a double-byte character code other than MS-JIS, not read");
  const bool msJis = characterCode == 0x80;
  TCdText text;
  for (const int type : kTextTypes) ReadStrings(inBlock, type, msJis, text);
  if (text.Empty() && damaged > 0) return fail("CD-Text damaged");
  while (!text.Tracks.empty() && text.Tracks.back() == TTrackText{}) text.Tracks.pop_back();
  return text;
}

std::vector<std::uint8_t> BuildCdText(const TCdText& text, int firstTrack, int lastTrack) {
  if (text.Empty() || firstTrack < 1 || lastTrack < firstTrack || lastTrack > kMaxTrack) return {};
  // ISO 8859-1 when every name fits it, else MS-JIS when every name fits
  // that (Japanese, Greek, Cyrillic), else ISO 8859-1 with '?'.
  bool latin1 = true, msJis = true;
  for (const int type : kTextTypes)
    for (int t = 0; t <= lastTrack; ++t) {
      const std::string value = FieldValue(text, type, t);
      std::string ignored;
      latin1 = latin1 && FitsLatin1(value);
      msJis = msJis && Utf8ToCp932(value, ignored);
    }
  msJis = msJis && !latin1;
  auto encode = [msJis](const std::string& value) {
    std::string bytes;
    if (!msJis || !Utf8ToCp932(value, bytes)) bytes = Utf8ToLatin1(value);
    // Cut at a character's end.
    if (bytes.size() > kMaxTextBytes) {
      std::size_t cut = 0;
      for (std::size_t i = 0; i < kMaxTextBytes;) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const std::size_t width = msJis && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
        if (i + width > kMaxTextBytes) break;
        i += width;
        cut = i;
      }
      bytes.resize(cut);
    }
    return bytes;
  };
  const std::string terminator = msJis ? std::string(2, '\0') : std::string(1, '\0');
  std::vector<std::array<std::uint8_t, kCdTextPackBytes>> packs;
  std::array<int, 16> counts{};
  auto emit = [&](int type, int track, int charPos, const std::uint8_t* bytes) {
    std::array<std::uint8_t, kCdTextPackBytes> p{};
    p[0] = static_cast<std::uint8_t>(type);
    p[1] = static_cast<std::uint8_t>(track);
    p[2] = static_cast<std::uint8_t>(packs.size());
    p[3] = static_cast<std::uint8_t>((msJis ? 0x80 : 0) | std::min(charPos, 15));
    std::copy(bytes, bytes + kPackText, p.begin() + 4);
    const std::uint16_t crc = CdTextCrc(p.data(), 16);
    p[16] = static_cast<std::uint8_t>(crc >> 8);
    p[17] = static_cast<std::uint8_t>(crc & 0xFF);
    packs.push_back(p);
    ++counts[static_cast<std::size_t>(type - 0x80)];
  };
  for (const int type : kTextTypes) {
    // The strings for the album, then every track, each ending in NUL.
    std::vector<int> tracks{0};
    if (!AlbumOnly(type))
      for (int t = 1; t <= lastTrack; ++t) tracks.push_back(t);
    std::string payload;
    std::vector<std::size_t> starts;
    bool any = false;
    for (const int t : tracks) {
      const std::string value = encode(FieldValue(text, type, t));
      any = any || !value.empty();
      starts.push_back(payload.size());
      if (type == kGenre) payload += std::string("\x00\x01", 2);  // genre code: not defined
      payload += value;
      payload += terminator;
    }
    if (!any) continue;
    for (std::size_t at = 0; at < payload.size(); at += kPackText) {
      if (packs.size() + 3 >= kMaxPacksInBlock) break;
      const std::size_t i =
          static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), at) - starts.begin()) - 1;
      std::array<std::uint8_t, kPackText> chunk{};
      const std::string part = payload.substr(at, kPackText);
      std::copy(part.begin(), part.end(), chunk.begin());
      const int position = static_cast<int>(at - starts[i]);
      emit(type, tracks[i], msJis && position > 0 ? std::max(1, position / 2) : position, chunk.data());
    }
  }
  // The size information: character code, track range, copyright, packs
  // per type, each block's last sequence number and language (English).
  counts[kSize - 0x80] = 3;
  std::array<std::uint8_t, 3 * kPackText> info{};
  info[0] = msJis ? 0x80 : 0x00;
  info[1] = static_cast<std::uint8_t>(firstTrack);
  info[2] = static_cast<std::uint8_t>(lastTrack);
  for (std::size_t i = 0; i < 16; ++i) info[4 + i] = static_cast<std::uint8_t>(counts[i]);
  info[20] = static_cast<std::uint8_t>(packs.size() + 2);
  info[28] = 0x09;
  for (int k = 0; k < 3; ++k) emit(kSize, k, 0, info.data() + k * kPackText);
  counts[kSize - 0x80] = 3;

  std::vector<std::uint8_t> answer(4);
  const std::size_t length = packs.size() * kCdTextPackBytes + 2;
  answer[0] = static_cast<std::uint8_t>(length >> 8);
  answer[1] = static_cast<std::uint8_t>(length & 0xFF);
  for (const auto& p : packs) answer.insert(answer.end(), p.begin(), p.end());
  return answer;
}

}  // namespace pellamy
