// CD-Text packs: their check value, the names read from them (also when packs
// are damaged or lost), names written as packs and read back.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ripper/CdText.h"

namespace pellamy {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromHex(const std::string& hex) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return out;
}

// Packs of a pressed disc, with their CRCs, as quoted in the comments of
// ddpLib (github.com/suntriprecords/ddpLib, src/org/mars/cdtext/
// LeadInTextPack.java and LeadInBlockSize.java).
const std::vector<std::string> kPressedPacks = {
    "80 00 00 00 42 61 63 6B 20 54 6F 20 53 70 61 63 8C 23",  // "Back To Spac"
    "80 00 01 0C 65 00 4D 61 67 6E 65 74 69 63 20 46 D3 AF",  // "e\0Magnetic F"
    "80 01 02 0A 69 65 6C 64 73 00 54 72 61 6E 63 65 B0 2C",  // "ields\0Trance"
    "80 02 03 06 6D 69 73 73 69 6F 6E 00 54 68 65 79 C6 57",  // "mission\0They"
    "81 04 12 00 41 72 74 69 66 61 63 74 33 30 33 00 58 52",  // "Artifact303\0"
    "8E 00 18 00 35 30 36 30 31 34 37 31 32 37 31 38 51 61",  // "506014712718"
    "8E 00 19 0C 38 00 00 00 00 00 00 00 00 00 00 00 3C E2",  // "8\0..."
    "8F 00 2B 00 01 01 0D 03 0C 0C 00 00 00 00 01 00 7B 3D",  // size information
    "8F 01 2C 00 00 00 00 00 00 00 12 03 2D 00 00 00 DA B7", "8F 02 2D 00 00 00 00 00 09 00 00 00 00 00 00 00 6A 24",
};

// A drive's answer: the 4-byte header, then the packs.
Bytes Answer(const std::vector<Bytes>& packs) {
  Bytes out(4);
  for (const Bytes& p : packs) out.insert(out.end(), p.begin(), p.end());
  out[0] = static_cast<std::uint8_t>((out.size() - 2) >> 8);
  out[1] = static_cast<std::uint8_t>((out.size() - 2) & 0xFF);
  return out;
}

std::vector<Bytes> PressedPacks() {
  std::vector<Bytes> packs;
  for (const std::string& p : kPressedPacks) packs.push_back(FromHex(p));
  return packs;
}

void Reseal(Bytes& pack) {
  const std::uint16_t crc = CdTextCrc(pack.data(), 16);
  pack[16] = static_cast<std::uint8_t>(crc >> 8);
  pack[17] = static_cast<std::uint8_t>(crc & 0xFF);
}

TCdText Parse(const Bytes& answer, std::string* problem = nullptr) {
  return ParseCdText(answer.data(), answer.size(), problem);
}

TEST(CdText, CrcOfPressedPacks) {
  for (const Bytes& p : PressedPacks()) {
    const std::uint16_t crc = CdTextCrc(p.data(), 16);
    EXPECT_EQ(crc >> 8, p[16]);
    EXPECT_EQ(crc & 0xFF, p[17]);
  }
}

TEST(CdText, NamesOfPressedPacksAcrossPacksAndLostOnes) {
  const TCdText text = Parse(Answer(PressedPacks()));
  EXPECT_EQ(text.Track(0).Title, "Back To Space");
  EXPECT_EQ(text.Track(1).Title, "Magnetic Fields");
  EXPECT_EQ(text.Track(2).Title, "Trancemission");
  EXPECT_EQ(text.Track(3).Title, "") << "its end is in a pack not given";
  EXPECT_EQ(text.Track(4).Performer, "Artifact303");
  EXPECT_EQ(text.Track(0).Code, "5060147127188");

  // A damaged pack is left out with the strings it would have completed; a
  // later string that starts whole is still read.
  std::vector<Bytes> packs = PressedPacks();
  packs[1][6] ^= 0x20;
  std::string problem;
  const TCdText damaged = Parse(Answer(packs), &problem);
  EXPECT_EQ(damaged.Track(0).Title, "");
  EXPECT_EQ(damaged.Track(1).Title, "");
  EXPECT_EQ(damaged.Track(2).Title, "Trancemission");
  EXPECT_EQ(damaged.Track(4).Performer, "Artifact303");
}

TEST(CdText, KoreanAndMandarinBlocksAreRefusedAndGarbageIsNoError) {
  std::vector<Bytes> packs = PressedPacks();
  packs[7][4] = 0x81;  // Korean
  Reseal(packs[7]);
  std::string problem;
  EXPECT_TRUE(Parse(Answer(packs), &problem).Empty());
  EXPECT_NE(problem.find("double-byte"), std::string::npos);

  EXPECT_TRUE(Parse(Bytes{}, &problem).Empty());
  EXPECT_TRUE(Parse(Bytes{0, 2, 0, 0}, &problem).Empty());
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    Bytes answer = Answer(PressedPacks());
    for (int k = 0; k < 4; ++k) answer[random() % answer.size()] = static_cast<std::uint8_t>(random());
    answer.resize(random() % (answer.size() + 1));
    Parse(answer);  // no crash, no read outside the answer (sanitizer builds)
  }
}

TEST(CdText, ATabRepeatsThePreviousTracksText) {
  Bytes pack = FromHex("81 00 00 00 41 6C 6C 00 09 00 09 00 00 00 00 00 00 00");  // "All\0\t\0\t\0"
  Reseal(pack);
  const TCdText text = Parse(Answer({pack}));
  EXPECT_EQ(text.Track(0).Performer, "All");
  EXPECT_EQ(text.Track(1).Performer, "All");
  EXPECT_EQ(text.Track(2).Performer, "All");
}

TEST(CdText, WrittenPacksReadBackWithTheirSizeInformation) {
  TCdText text;
  text.Track(0) = {"Música del Mar", "Orquesta Sinfónica", "", "", "", "", "0724356789012"};
  text.Genre = "Classical";
  text.DiscId = "XY12345";
  for (int t = 1; t <= 99; ++t) {
    TTrackText& track = text.Track(t);
    track.Title = "Movement " + std::to_string(t) + (t % 7 == 0 ? ": a title long enough to span several packs" : "");
    if (t % 3 == 0) track.Performer = "Guest " + std::to_string(t);
    if (t % 5 == 0) track.Code = "USXX1980" + std::to_string(1000 + t);
  }
  const Bytes answer = BuildCdText(text, 1, 99);
  ASSERT_FALSE(answer.empty());
  ASSERT_EQ((answer.size() - 4) % kCdTextPackBytes, 0u);
  std::string problem;
  EXPECT_EQ(Parse(answer, &problem), text) << problem;
  // Every pack sealed, numbered in turn; the size packs come last and count
  // them all.
  const std::size_t packs = (answer.size() - 4) / kCdTextPackBytes;
  for (std::size_t i = 0; i < packs; ++i) {
    const std::uint8_t* p = answer.data() + 4 + i * kCdTextPackBytes;
    EXPECT_EQ(CdTextCrc(p, 16), (p[16] << 8) | p[17]);
    EXPECT_EQ(p[2], i);
  }
  const std::uint8_t* size = answer.data() + 4 + (packs - 3) * kCdTextPackBytes;
  EXPECT_EQ(size[0], 0x8F);
  EXPECT_EQ(size[4 + 1], 1);
  EXPECT_EQ(size[4 + 2], 99);
  EXPECT_EQ(size[kCdTextPackBytes + 4 + 8], packs - 1) << "the block's last sequence number";

  // A block holds 256 packs: what does not fit is left out, whole strings
  // before it kept.
  for (int t = 1; t <= 99; ++t) text.Track(t).Code = "USXX1980" + std::to_string(1000 + t);
  const Bytes full = BuildCdText(text, 1, 99);
  EXPECT_EQ((full.size() - 4) / kCdTextPackBytes, 256u);
  const TCdText cut = Parse(full);
  EXPECT_EQ(cut.Track(99).Title, text.Track(99).Title);
  EXPECT_EQ(cut.Track(1).Code, text.Track(1).Code);
  EXPECT_EQ(cut.Track(99).Code, "");

  // Names beyond ISO 8859-1 go in MS-JIS, where they fit it: Japanese, Greek
  // and Cyrillic, mixed with ASCII; double-byte packs, two NULs a string.
  TCdText other;
  other.Track(0) = {"音楽のアルバム", "ΕΛΛΑΣ", "", "", "", "", ""};  // unaccented: MS-JIS has no tonos
  other.Track(1).Title = "Музыка 1";
  other.Track(2).Title = "Second";
  const Bytes jis = BuildCdText(other, 1, 2);
  ASSERT_GT(jis.size(), 4u);
  EXPECT_EQ(jis[4 + 3] & 0x80, 0x80) << "the double-byte flag";
  EXPECT_EQ(Parse(jis), other);
  // A name fitting neither keeps what ISO 8859-1 can carry.
  TCdText mixed;
  mixed.Track(1).Title = "Música 音楽";
  EXPECT_EQ(Parse(BuildCdText(mixed, 1, 1)).Track(1).Title, "Música ??");
  EXPECT_TRUE(BuildCdText(TCdText{}, 1, 5).empty());
}

}  // namespace
}  // namespace pellamy
