// The digests, track checksums and disc ids against published vectors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <vector>

#include "ripper/DiscIds.h"
#include "ripper/Hashes.h"
#include "ripper/TrackChecksums.h"

namespace pellamy::test {
namespace {

std::string Hex(std::uint32_t v) {
  char s[9];
  std::snprintf(s, sizeof s, "%08x", v);
  return s;
}

TEST(Digests, PublishedCheckValues) {
  // CRC-32: the check value of "123456789" in the CRC catalogue (reveng,
  // CRC-32/ISO-HDLC). SHA-1 and SHA-256: the one- and two-block examples of
  // FIPS 180-2, appendices A and B.
  const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  Crc32 crc;
  crc.Update("123456789", 9);
  EXPECT_EQ(Hex(crc.Value()), "cbf43926");
  for (const auto& [text, sha1] : std::vector<std::pair<std::string, std::string>>{
           {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"}, {two, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"}}) {
    Sha1 h;
    // Fed in two pieces: block boundaries must not matter.
    h.Update(text.data(), 1);
    h.Update(text.data() + 1, text.size() - 1);
    const auto d = h.Final();
    EXPECT_EQ(HexLower(d.data(), d.size()), sha1) << text;
  }
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(two), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

std::vector<std::uint8_t> Pcm(std::size_t samples, std::uint32_t value) {
  std::vector<std::uint8_t> pcm(samples * 4);
  for (std::size_t i = 0; i < samples; ++i) std::memcpy(&pcm[i * 4], &value, 4);
  return pcm;
}

TEST(TrackChecksumsTest, SilenceAsInTheVerifierSuite) {
  // ARver's tests/checksums_test.py: one second of silence (44100 zero
  // samples) has AccurateRip 0/0 at any position, CRC32 769282bb and 0 for
  // the CRC over non-zero samples.
  const auto pcm = Pcm(44100, 0);
  for (auto [first, last] : {std::pair{true, true}, {true, false}, {false, false}, {false, true}}) {
    TTrackChecksums c(44100, first, last);
    c.Add(pcm.data(), pcm.size());
    EXPECT_EQ(c.AccurateRipV1(), 0u);
    EXPECT_EQ(c.AccurateRipV2(), 0u);
    EXPECT_EQ(Hex(c.Crc()), "769282bb");
    EXPECT_EQ(c.CrcNonZero(), 0u);
    EXPECT_EQ(c.Peak(), 0);
  }
}

TEST(TrackChecksumsTest, SkippedSamplesAndTheV2CarryFollowTheDefinition) {
  // From the definition published on the HydrogenAudio forum and used by
  // leo-bogert/accuraterip-checksum: sample k (1-based) adds k * sample; the disc's first
  // track starts at k = 5 * 588, its last stops 5 * 588 samples before its end;
  // v2 adds the high 32 bits of each 64-bit product too.
  // With every sample 1 over n samples the sum is that of the counted k.
  const std::uint32_t n = 10000;
  const auto ones = Pcm(n, 1);
  auto sum = [](std::uint64_t from, std::uint64_t to) { return std::uint32_t((from + to) * (to - from + 1) / 2); };
  struct Case {
    bool first, last;
    std::uint32_t v1;
  } cases[] = {{false, false, sum(1, n)},
               {true, false, sum(2940, n)},
               {false, true, sum(1, n - 2940)},
               {true, true, sum(2940, n - 2940)}};
  for (const auto& c : cases) {
    TTrackChecksums t(n, c.first, c.last);
    // Fed sector by sector with an odd split, as reads come.
    t.Add(ones.data(), 4 * 7);
    t.Add(ones.data() + 28, ones.size() - 28);
    EXPECT_EQ(t.AccurateRipV1(), c.v1) << c.first << c.last;
    EXPECT_EQ(t.AccurateRipV2(), c.v1) << "no product reaches 2^32";
  }
  // Every sample 0xFFFFFFFF: k * (2^32 - 1) has low part 2^32 - k and high
  // part k - 1, so v1 is -sum(k) and each v2 term is -1: v2 = -n.
  const auto full = Pcm(n, 0xFFFFFFFFu);
  TTrackChecksums t(n, false, false);
  t.Add(full.data(), full.size());
  EXPECT_EQ(t.AccurateRipV1(), std::uint32_t(0) - sum(1, n));
  EXPECT_EQ(t.AccurateRipV2(), std::uint32_t(0) - n);
  EXPECT_EQ(t.Peak(), 1);
}

// The CRC by its definition, a bit at a time (reflected, polynomial
// 0xEDB88320, as in the catalogue entry above).
std::uint32_t BitwiseCrc(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::uint8_t b : bytes) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

TEST(TrackChecksumsTest, LongAudioInUnevenPiecesSumsAsByTheDefinition) {
  // Several thousand samples, every third channel sample zero, fed in pieces
  // that split the table-driven steps and the gathering of non-zero samples.
  std::vector<std::uint8_t> pcm(4 * 5000), nonZero;
  std::uint32_t x = 12345;
  for (std::size_t i = 0; i < pcm.size(); i += 2) {
    x = x * 1103515245u + 12345u;
    const std::uint16_t v = (i / 2) % 3 == 0 ? 0 : static_cast<std::uint16_t>(x >> 16 | 1);
    pcm[i] = static_cast<std::uint8_t>(v);
    pcm[i + 1] = static_cast<std::uint8_t>(v >> 8);
    if (v != 0) nonZero.insert(nonZero.end(), {pcm[i], pcm[i + 1]});
  }
  TTrackChecksums t(5000, false, false);
  Crc32 whole;
  for (std::size_t at = 0, piece = 4; at < pcm.size(); at += piece, piece = piece % 4096 * 3 + 4) {
    const std::size_t n = std::min(piece, pcm.size() - at);
    t.Add(pcm.data() + at, n);
    whole.Update(pcm.data() + at, n);
  }
  EXPECT_EQ(whole.Value(), BitwiseCrc(pcm));
  EXPECT_EQ(t.Crc(), BitwiseCrc(pcm));
  EXPECT_EQ(t.CrcNonZero(), BitwiseCrc(nonZero));
}

TEST(TrackChecksumsTest, NonZeroCrcSkipsZeroChannelSamplesAndPeakIsFullScale) {
  // Left -32768, right 0: the non-zero CRC sees only the left samples' bytes.
  const auto pcm = Pcm(3, 0x00008000u);
  TTrackChecksums t(3, false, false);
  t.Add(pcm.data(), pcm.size());
  Crc32 left;
  for (int i = 0; i < 3; ++i) left.Update("\x00\x80", 2);
  EXPECT_EQ(t.CrcNonZero(), left.Value());
  EXPECT_EQ(t.Peak(), 32768);
  EXPECT_EQ(TTrackChecksums::FormatPeak(t.Peak()), "100.0");
  EXPECT_EQ(TTrackChecksums::FormatPeak(16384), "50.0");
}

// A CDTOC tag value as the cdtoc crate's tests write it: the audio track
// count (hex), the audio starts, then either the lead-out, or a data start
// and the lead-out (enhanced), or the lead-out and "X" data start (data
// first); all in sectors from 0:00:00.
TDiscLayout FromCdToc(const std::string& tag) {
  std::vector<std::string> parts;
  std::stringstream in(tag);
  for (std::string p; std::getline(in, p, '+');) parts.push_back(p);
  const int audio = std::stoi(parts[0], nullptr, 16);
  TDiscLayout d;
  auto sector = [](const std::string& s) { return std::stoi(s[0] == 'X' ? s.substr(1) : s, nullptr, 16) - 150; };
  const bool dataFirst = parts.back()[0] == 'X';
  if (dataFirst) d.Tracks.push_back({1, sector(parts.back()), true});
  for (int i = 0; i < audio; ++i) d.Tracks.push_back({int(d.Tracks.size()) + 1, sector(parts[1 + i]), false});
  if (!dataFirst && int(parts.size()) == audio + 3)
    d.Tracks.push_back({int(d.Tracks.size()) + 1, sector(parts[1 + audio]), true});
  d.LeadOut = sector(parts[dataFirst ? audio + 1 : parts.size() - 1]);
  return d;
}

TDiscLayout FromOffsets(const std::vector<int>& withLeadIn, int leadOut, int dataTrack = 0) {
  TDiscLayout d;
  for (std::size_t i = 0; i < withLeadIn.size(); ++i)
    d.Tracks.push_back({int(i) + 1, withLeadIn[i] - 150, int(i) + 1 == dataTrack});
  d.LeadOut = leadOut - 150;
  return d;
}

TEST(DiscIdsTest, AudioAndEnhancedDiscsMatchTheCdtocCrateSuite) {
  // Blobfolio/cdtoc, src/{accuraterip,cddb,musicbrainz,ctdb}.rs tests. The
  // second disc is enhanced (13 audio tracks, then data).
  struct Case {
    const char *toc, *ar, *mb, *ctdb;
  } cases[] = {
      {"4+96+2D2B+6256+B327+D84A", "004-0002189a-00087f33-1f02e004", "nljDXdC8B_pDwbdY1vZJvdrAZI4-",
       "VukMWWItblELRM.CEFpXxw0FlME-"},
      {"D+96+3B5D+78E3+B441+EC83+134F4+17225+1A801+1EA5C+23B5B+27CEF+2B58B+2F974+35D56+514C8",
       "013-001802ed-00f8ee31-b611560e", "ucgpiD84p.2iBxO4j3hdjSjhtnw-", "gmEsiU5wvQFA1Nq9YE_posiwgK8-"},
      {"10+B6+5352+62AC+99D6+E218+12AC0+135E7+142E9+178B0+19D22+1B0D0+1E7FA+22882+247DB+27074+2A1BD+2C0FB",
       "016-0018be61-012232a8-d6096410", "PQ02DnwdDaxgWEFSpAzI_IVBL3o-", "iL4EZ56YD5WmG..M4v5qzPG0cFY-"},
      {"15+247E+2BEC+4AF4+7368+9704+B794+E271+110D0+12B7A+145C1+16CAF+195CF+1B40F+1F04A+21380+2362D+2589D+2793D+"
       "2A760+2DA32+300E1+32B46",
       "021-0022250d-020afc1b-100a5515", "JTsyXbyn9DUbppDWELj5o5CiFaI-", "8geCxI4CSyw_ydvHWGmPQUGF1UE-"},
  };
  for (const auto& c : cases) {
    const TDiscIds ids = ComputeDiscIds(FromCdToc(c.toc));
    EXPECT_EQ(ids.AccurateRipId, c.ar) << c.toc;
    EXPECT_EQ(Hex(ids.Cddb), std::string(c.ar).substr(22)) << c.toc;
    EXPECT_EQ(ids.MusicBrainz, c.mb) << c.toc;
    EXPECT_EQ(ids.CueToolsToc, c.ctdb) << c.toc;
  }
  // The database path, from the same suite.
  EXPECT_EQ(ComputeDiscIds(FromCdToc(cases[0].toc)).AccurateRipUrl,
            "http://www.accuraterip.com/accuraterip/a/9/8/dBAR-004-0002189a-00087f33-1f02e004.bin");
}

TEST(DiscIdsTest, MusicBrainzAndFreedbMatchLibdiscid) {
  // metabrainz/libdiscid, test/test_put.c.
  const TDiscIds ids = ComputeDiscIds(
      FromOffsets({150,    9700,   25887,  39297,  53795,  63735,  77517,  94877,  107270, 123552, 135522,
                   148422, 161197, 174790, 192022, 205545, 218010, 228700, 239590, 255470, 266932, 288750},
                  303602));
  EXPECT_EQ(ids.MusicBrainz, "xUp1F2NkfP8s8jaeFn_Av3jNEI4-");
  EXPECT_EQ(Hex(ids.Cddb), "370fce16");
  EXPECT_EQ(ids.MusicBrainzUrl,
            "https://musicbrainz.org/cdtoc/attach?id=xUp1F2NkfP8s8jaeFn_Av3jNEI4-&tracks=22&toc=1+22+303602+150+9700+"
            "25887+39297+53795+63735+77517+94877+107270+123552+135522+148422+161197+174790+192022+205545+218010+"
            "228700+239590+255470+266932+288750");
}

TEST(DiscIdsTest, DataTracksFollowEachDatabasesRules) {
  // arcctgx/ARver, doc/data_track.md: an enhanced CD ("Liquid", 10 audio
  // tracks, data at 281735, lead-out 333801) and a data-first CD ("Mortal
  // Kombat Trilogy", data track 1 and 28 audio tracks), with the ids the
  // reference rippers and MusicBrainz give.
  const TDiscIds enhanced = ComputeDiscIds(
      FromOffsets({150, 12767, 40487, 63225, 93410, 118115, 151865, 184340, 215260, 247455, 281735}, 333801, 11));
  EXPECT_EQ(enhanced.AccurateRipId, "010-00164419-00b9f6e2-9e11600b");
  EXPECT_EQ(enhanced.MusicBrainz, "9AQWqQ0eCCwktwPPrIUIYkUw2Uo-");
  const TDiscIds dataFirst =
      ComputeDiscIds(FromOffsets({150,    66728,  76502,  85963,  93760,  104048, 116066, 124743, 134206, 142916,
                                  151852, 160720, 169425, 178731, 188459, 196711, 206354, 214845, 223686, 225746,
                                  226384, 232668, 239447, 239931, 244989, 254264, 260066, 261222, 261674},
                                 261976, 1));
  EXPECT_EQ(dataFirst.AccurateRipId, "028-00517a54-05a845d2-af0da31d");
  // cdtoc's CTDB suite holds an enhanced disc too (24 audio tracks).
  EXPECT_EQ(ComputeDiscIds(FromCdToc("18+B6+3CE3+7C6F+B2BD+E47F+1121C+15865+175E0+1AED9+1E159+20BF9+235FC+259EF+"
                                     "2826E+29B62+2ED67+311B1+3396B+36ACB+3916B+3BB75+3D60A+40AA6+422FE+48B68+4E4CB"))
                .CueToolsToc,
            "sBOUSHYC0oLdQZtAEQcmnc3V3Ak-");
}

TEST(DiscIdsTest, LayoutFromTocRejectsNonsense) {
  CdromToc toc{};
  EXPECT_TRUE(DiscLayoutFromToc(toc).Tracks.empty());
  toc.FirstTrack = 1;
  toc.LastTrack = 2;
  TocSetPosition(toc.TrackData[0], 0);
  TocSetPosition(toc.TrackData[1], 1000);
  toc.TrackData[1].ControlAdr = kTocControlData;
  TocSetPosition(toc.TrackData[2], 900);  // lead-out before the last track
  EXPECT_TRUE(DiscLayoutFromToc(toc).Tracks.empty());
  TocSetPosition(toc.TrackData[2], 5000);
  const TDiscLayout d = DiscLayoutFromToc(toc);
  ASSERT_EQ(d.Tracks.size(), 2u);
  EXPECT_TRUE(d.Tracks[1].Data);
  EXPECT_EQ(d.LeadOut, 5000);
  EXPECT_EQ(ComputeDiscIds(TDiscLayout{{{1, 0, true}}, 100}).AudioTracks, 0);
}

}  // namespace
}  // namespace pellamy::test
