#include "ripper/CdText.h"

#include <algorithm>
#include <array>

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

// One type's strings: each pack's first byte belongs to the track it names;
// a NUL ends a string and the next belongs to the next track. A string whose
// beginning was in a lost pack is not taken.
void ReadStrings(const std::vector<TPack>& packs, int type, TCdText& out) {
  int lastSequence = -2, track = 0;
  bool skipping = true;
  std::string bytes;
  for (const TPack& p : packs) {
    if (p.Type() != type) continue;
    const bool follows = p.Sequence() == lastSequence + 1 && p.TrackNo() == track;
    lastSequence = p.Sequence();
    std::size_t from = 0;
    if (!follows) {
      track = p.TrackNo();
      bytes.clear();
      skipping = p.CharPos() != 0;
      // A genre starts with its two-byte code, then its text.
      if (type == kGenre && !skipping) from = 2;
    }
    for (std::size_t i = from; i < kPackText && track <= kMaxTrack; ++i) {
      const std::uint8_t c = p.Text()[i];
      if (c != 0) {
        if (!skipping && bytes.size() < kMaxTextBytes) bytes += static_cast<char>(c);
        continue;
      }
      if (!skipping) {
        // A lone tab: the same as the track before.
        std::string value = bytes == "\t" && track > 0 ? FieldValue(out, type, track - 1) : Latin1ToUtf8(bytes);
        if (!value.empty()) {
          if (std::string* field = FieldOf(out, type, track)) *field = std::move(value);
        }
      }
      skipping = false;
      bytes.clear();
      ++track;
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
  for (const TPack& p : packs) {
    if (p.Block() != block || p.Extension()) continue;
    if (p.Type() == kSize && p.TrackNo() == 0) characterCode = p.Text()[0];
    if (p.DoubleByte()) characterCode = 0x80;
    inBlock.push_back(p);
  }
  // 0x00 ISO 8859-1, 0x01 ASCII; from 0x80 on double-byte codes.
  if (characterCode >= 0x80) return fail("CD-Text in double-byte characters, not read");
  TCdText text;
  for (const int type : kTextTypes) ReadStrings(inBlock, type, text);
  if (text.Empty() && damaged > 0) return fail("CD-Text damaged");
  while (!text.Tracks.empty() && text.Tracks.back() == TTrackText{}) text.Tracks.pop_back();
  return text;
}

std::vector<std::uint8_t> BuildCdText(const TCdText& text, int firstTrack, int lastTrack) {
  if (text.Empty() || firstTrack < 1 || lastTrack < firstTrack || lastTrack > kMaxTrack) return {};
  std::vector<std::array<std::uint8_t, kCdTextPackBytes>> packs;
  std::array<int, 16> counts{};
  auto emit = [&](int type, int track, int charPos, const std::uint8_t* bytes) {
    std::array<std::uint8_t, kCdTextPackBytes> p{};
    p[0] = static_cast<std::uint8_t>(type);
    p[1] = static_cast<std::uint8_t>(track);
    p[2] = static_cast<std::uint8_t>(packs.size());
    p[3] = static_cast<std::uint8_t>(std::min(charPos, 15));
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
      const std::string value = Utf8ToLatin1(FieldValue(text, type, t)).substr(0, kMaxTextBytes);
      any = any || !value.empty();
      starts.push_back(payload.size());
      if (type == kGenre) payload += std::string("\x00\x01", 2);  // genre code: not defined
      payload += value;
      payload += '\0';
    }
    if (!any) continue;
    for (std::size_t at = 0; at < payload.size(); at += kPackText) {
      if (packs.size() + 3 >= kMaxPacksInBlock) break;
      const std::size_t i =
          static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), at) - starts.begin()) - 1;
      std::array<std::uint8_t, kPackText> chunk{};
      const std::string part = payload.substr(at, kPackText);
      std::copy(part.begin(), part.end(), chunk.begin());
      emit(type, tracks[i], static_cast<int>(at - starts[i]), chunk.data());
    }
  }
  // The size information: character code, track range, copyright, packs
  // per type, each block's last sequence number and language (English).
  counts[kSize - 0x80] = 3;
  std::array<std::uint8_t, 3 * kPackText> info{};
  info[0] = 0x00;
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
