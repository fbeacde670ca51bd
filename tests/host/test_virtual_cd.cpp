// The demo disc, the table-of-contents builder and the virtual CD drive.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "base/Exceptions.h"
#include "ripper/VirtualCdDeviceIo.h"
#include "ripper/VirtualDisc.h"

namespace pellamy {
namespace {

constexpr int kSector = kRawSectorBytes;

std::vector<std::uint8_t> Read(TVirtualDisc& disc, std::int32_t first, std::uint32_t count) {
  std::vector<std::uint8_t> data(static_cast<std::size_t>(count) * kSector);
  EXPECT_TRUE(disc.ReadSectors(first, count, data.data())) << "sectors " << first << " + " << count;
  return data;
}

std::uint64_t Fnv(const std::uint8_t* data, std::size_t size) {
  std::uint64_t h = 14695981039346656037ull;
  for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
  return h;
}

std::int16_t SampleAt(const std::uint8_t* sector, int frame, int channel) {
  const std::uint8_t* p = sector + 4 * frame + 2 * channel;
  return static_cast<std::int16_t>(p[0] | (p[1] << 8));
}

std::vector<std::int32_t> TrackStarts(const CdromToc& toc) {
  std::vector<std::int32_t> starts;
  for (int i = 0; i <= toc.LastTrack - toc.FirstTrack + 1; ++i) starts.push_back(TocStartSector(toc.TrackData[i]));
  return starts;  // the last one is the lead-out
}

// ---------------------------------------------------------------------------
// BuildAudioToc

TEST(BuildAudioToc, LaysOutEntriesAsADriveReportsThem) {
  const CdromToc toc = BuildAudioToc({0, 1000, 2500}, 4000);
  EXPECT_EQ(toc.Length[0] * 256 + toc.Length[1], 2 + 8 * 4);
  EXPECT_EQ(toc.FirstTrack, 1);
  EXPECT_EQ(toc.LastTrack, 3);
  const int expectedStart[] = {0, 1000, 2500, 4000};
  const int expectedNumber[] = {1, 2, 3, 0xAA};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(toc.TrackData[i].ControlAdr, 0x10) << i;
    EXPECT_EQ(toc.TrackData[i].TrackNumber, expectedNumber[i]) << i;
    EXPECT_EQ(TocStartSector(toc.TrackData[i]), expectedStart[i]) << i;
  }
  // Sector 2500 is 2650 frames from the start of the disc: 0:35:25.
  EXPECT_EQ(TocSecond(toc.TrackData[2]), 35);
  EXPECT_EQ(TocFrame(toc.TrackData[2]), 25);
  EXPECT_EQ(toc.TrackData[4].TrackNumber, 0);

  std::vector<std::int32_t> starts;
  for (int i = 0; i < 99; ++i) starts.push_back(i * 100);
  const CdromToc full = BuildAudioToc(starts, 9900);
  EXPECT_EQ(full.Length[0], (2 + 8 * 100) >> 8) << "big-endian";
  EXPECT_EQ(full.Length[1], (2 + 8 * 100) & 0xFF);
  EXPECT_EQ(full.TrackData[99].TrackNumber, 0xAA);
}

TEST(BuildAudioToc, RejectsImpossibleLayouts) {
  EXPECT_THROW(BuildAudioToc({}, 100), Exception);
  EXPECT_THROW(BuildAudioToc(std::vector<std::int32_t>(100, 0), 100), Exception);
  EXPECT_THROW(BuildAudioToc({-1, 10}, 100), Exception);
  EXPECT_THROW(BuildAudioToc({0, 50, 50}, 100), Exception);
  EXPECT_THROW(BuildAudioToc({0, 60, 50}, 100), Exception);
  EXPECT_THROW(BuildAudioToc({0, 50}, 50), Exception);
  EXPECT_NO_THROW(BuildAudioToc({0, 50}, 51));
}

TEST(BuildToc, NumbersTracksFromTheFirstAndMarksDataTracks) {
  const CdromToc toc = BuildToc(5, {{0, false}, {1000, false}, {2500, true}}, 4000);
  EXPECT_EQ(toc.FirstTrack, 5);
  EXPECT_EQ(toc.LastTrack, 7);
  EXPECT_EQ(TocTrackCount(toc), 3);
  const int expectedNumber[] = {5, 6, 7, 0xAA};
  const int expectedControlAdr[] = {0x10, 0x10, 0x14, 0x14};  // the lead-out as the last track
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(toc.TrackData[i].TrackNumber, expectedNumber[i]);
    EXPECT_EQ(toc.TrackData[i].ControlAdr, expectedControlAdr[i]);
  }
  EXPECT_FALSE(TocIsDataTrack(toc.TrackData[1]));
  EXPECT_TRUE(TocIsDataTrack(toc.TrackData[2]));
  EXPECT_EQ(TrackStarts(toc), (std::vector<std::int32_t>{0, 1000, 2500, 4000}));

  const CdromToc dataFirst = BuildToc(1, {{0, true}, {300, false}}, 600);
  EXPECT_EQ(dataFirst.TrackData[0].ControlAdr, 0x14);
  EXPECT_EQ(dataFirst.TrackData[2].ControlAdr, 0x10);

  EXPECT_NO_THROW(BuildToc(97, {{0}, {10}, {20}}, 30));
  EXPECT_NO_THROW(BuildToc(99, {{0}}, 30));
  EXPECT_THROW(BuildToc(98, {{0}, {10}, {20}}, 30), Exception) << "track 100";
  EXPECT_THROW(BuildToc(0, {{0}}, 30), Exception);
  EXPECT_THROW(BuildToc(2, {{0}, {10}, {10}}, 30), Exception);
}

// ---------------------------------------------------------------------------
// Raw data sectors

// GF(2^8) product over x^8 + x^4 + x^3 + x^2 + 1, bit by bit.
std::uint8_t GfTimes(std::uint8_t a, std::uint8_t b) {
  std::uint8_t product = 0;
  for (int bit = 0; bit < 8; ++bit) {
    if (b & 1) product ^= a;
    b >>= 1;
    a = static_cast<std::uint8_t>((a << 1) ^ ((a & 0x80) != 0 ? 0x1D : 0));
  }
  return product;
}

// Both syndromes of a codeword c_0 .. c_(n-1): sum(c_i) and sum(a^(n-1-i) c_i).
std::pair<std::uint8_t, std::uint8_t> Syndromes(const std::vector<std::uint8_t>& codeword) {
  std::uint8_t s0 = 0, s1 = 0;
  for (std::uint8_t c : codeword) {
    s0 ^= c;
    s1 = static_cast<std::uint8_t>(GfTimes(s1, 2) ^ c);
  }
  return {s0, s1};
}

// How many P and Q codewords of a Mode 1 sector fail their parity check.
int BadCodewords(const std::uint8_t* raw) {
  const std::uint8_t* body = raw + 12;  // header onwards
  int bad = 0;
  for (int column = 0; column < 86; ++column) {  // 24 data rows of 86 bytes, then 2 parity rows
    std::vector<std::uint8_t> codeword;
    for (int row = 0; row < 26; ++row) codeword.push_back(body[column + 86 * row]);
    bad += Syndromes(codeword) != std::pair<std::uint8_t, std::uint8_t>{0, 0};
  }
  for (int diagonal = 0; diagonal < 52; ++diagonal) {  // over the rows and the P parity
    std::vector<std::uint8_t> codeword;
    for (int i = 0; i < 43; ++i) codeword.push_back(body[((diagonal / 2) * 86 + diagonal % 2 + 88 * i) % 2236]);
    codeword.push_back(body[2236 + diagonal]);
    codeword.push_back(body[2236 + 52 + diagonal]);
    bad += Syndromes(codeword) != std::pair<std::uint8_t, std::uint8_t>{0, 0};
  }
  return bad;
}

// The CRC of the sync, header and data followed by their error detection
// code, bit-reversed as the code is: zero when the code is right.
std::uint32_t EdcResidue(const std::uint8_t* raw) {
  std::uint32_t crc = 0;
  for (int i = 0; i < 2068; ++i) {
    crc ^= raw[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1) != 0 ? 0xD8018001u : 0);
  }
  return crc;
}

TEST(DataSectors, Mode1SectorsCarryTheirPositionAndValidCodes) {
  std::mt19937 random(7);
  for (std::int32_t sector : {0, 16, 4350, 449849}) {
    SCOPED_TRACE(sector);
    std::vector<std::uint8_t> raw(kSector, 0xEE);
    std::vector<std::uint8_t> user(2048);
    for (std::uint8_t& b : user) b = static_cast<std::uint8_t>(random());
    std::copy(user.begin(), user.end(), raw.begin() + 16);
    FrameMode1Sector(sector, raw.data());
    const std::uint8_t sync[12] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
    EXPECT_EQ(std::memcmp(raw.data(), sync, 12), 0);
    EXPECT_TRUE(std::equal(user.begin(), user.end(), raw.begin() + 16)) << "user data untouched";
    EXPECT_EQ(raw[15], 1) << "mode";
    EXPECT_EQ(std::count(raw.begin() + 2068, raw.begin() + 2076, 0), 8) << "the zero bytes before the parity";
    EXPECT_EQ(EdcResidue(raw.data()), 0u);
    EXPECT_EQ(BadCodewords(raw.data()), 0);
    // A changed byte breaks the codes: the checks above see the parity.
    raw[1000] ^= 0x40;
    EXPECT_NE(EdcResidue(raw.data()), 0u);
    EXPECT_EQ(BadCodewords(raw.data()), 2) << "one P and one Q codeword hold each byte";
  }
  // The header's position is minute, second, frame in binary-coded decimal.
  std::vector<std::uint8_t> raw(kSector, 0);
  FrameMode1Sector(449849, raw.data());  // 99:59:74
  EXPECT_EQ(raw[12], 0x99);
  EXPECT_EQ(raw[13], 0x59);
  EXPECT_EQ(raw[14], 0x74);
  FrameMode1Sector(4350, raw.data());  // 00:60:00 is 01:00:00
  EXPECT_EQ(raw[12], 0x01);
  EXPECT_EQ(raw[13], 0x00);
  EXPECT_EQ(raw[14], 0x00);
  // An all-zero payload still gets a header, codes and parity.
  std::vector<std::uint8_t> blank(kSector, 0);
  FrameMode1Sector(200, blank.data());
  EXPECT_EQ(BadCodewords(blank.data()), 0);
  EXPECT_GT(std::count_if(blank.begin() + 2064, blank.end(), [](std::uint8_t b) { return b != 0; }), 0);
}

// ---------------------------------------------------------------------------
// The demo disc, scanned once from start to end for the tests that need every
// sector.

struct TTrackStats {
  double Rms = 0;
  int Peak = 0;
  int ZeroSectors = 0;
  int LongestZeroRun = 0;  // sectors
  std::int64_t ChannelDifference = 0;
};

class DemoDiscTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    disc_ = MakeDemoDisc().release();
    starts_ = TrackStarts(disc_->Toc());
    const std::int32_t leadOut = disc_->LeadOutSector();
    hashes_.assign(static_cast<std::size_t>(leadOut), 0);
    stats_.assign(starts_.size() - 1, {});
    std::vector<std::uint8_t> chunk(27 * kSector);
    std::size_t track = 0;
    double sum = 0;
    int run = 0;
    for (std::int32_t s = 0; s < leadOut; ++s) {
      if (s % 27 == 0) {
        ASSERT_TRUE(disc_->ReadSectors(s, static_cast<std::uint32_t>(std::min(27, leadOut - s)), chunk.data()));
      }
      if (s == starts_[track + 1]) {
        stats_[track].Rms = std::sqrt(sum / ((starts_[track + 1] - starts_[track]) * 588.0 * 2));
        sum = 0;
        run = 0;
        ++track;
      }
      const std::uint8_t* sector = chunk.data() + (s % 27) * kSector;
      hashes_[static_cast<std::size_t>(s)] = Fnv(sector, kSector);
      TTrackStats& st = stats_[track];
      bool zero = true;
      for (int f = 0; f < 588; ++f) {
        const int l = SampleAt(sector, f, 0), r = SampleAt(sector, f, 1);
        zero = zero && l == 0 && r == 0;
        st.Peak = std::max({st.Peak, std::abs(l), std::abs(r)});
        st.ChannelDifference += std::abs(l - r);
        sum += static_cast<double>(l) * l + static_cast<double>(r) * r;
      }
      run = zero ? run + 1 : 0;
      st.ZeroSectors += zero;
      st.LongestZeroRun = std::max(st.LongestZeroRun, run);
    }
    stats_[track].Rms = std::sqrt(sum / ((starts_[track + 1] - starts_[track]) * 588.0 * 2));
  }
  static void TearDownTestSuite() {
    delete disc_;
    disc_ = nullptr;
  }

  static TVirtualDisc* disc_;
  static std::vector<std::int32_t> starts_;
  static std::vector<std::uint64_t> hashes_;
  static std::vector<TTrackStats> stats_;
};

TVirtualDisc* DemoDiscTest::disc_ = nullptr;
std::vector<std::int32_t> DemoDiscTest::starts_;
std::vector<std::uint64_t> DemoDiscTest::hashes_;
std::vector<TTrackStats> DemoDiscTest::stats_;

TEST_F(DemoDiscTest, IsLaidOutLikeAnAudioCd) {
  const CdromToc& toc = disc_->Toc();
  const int tracks = toc.LastTrack;
  ASSERT_GE(tracks, 5);
  EXPECT_EQ(toc.FirstTrack, 1);
  EXPECT_EQ(toc.Length[0] * 256 + toc.Length[1], 2 + 8 * (tracks + 1));
  // Track 1 at 00:02:00.
  EXPECT_EQ(toc.TrackData[0].Address[1], 0);
  EXPECT_EQ(toc.TrackData[0].Address[2], 2);
  EXPECT_EQ(toc.TrackData[0].Address[3], 0);
  for (int i = 0; i < tracks; ++i) {
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(toc.TrackData[i].TrackNumber, i + 1);
    EXPECT_EQ(toc.TrackData[i].ControlAdr, 0x10);
    const int sectors = starts_[i + 1] - starts_[i];
    EXPECT_GE(sectors, 20 * 75);
    EXPECT_LE(sectors, 60 * 75);
  }
  EXPECT_EQ(toc.TrackData[tracks].TrackNumber, 0xAA);
  EXPECT_EQ(TocStartSector(toc.TrackData[tracks]), disc_->LeadOutSector());
}

TEST_F(DemoDiscTest, EveryTrackSoundsInStereoAndOneHasAPassageOfSilence) {
  int tracksWithSilence = 0;
  for (std::size_t t = 0; t < stats_.size(); ++t) {
    SCOPED_TRACE(t + 1);
    const TTrackStats& st = stats_[t];
    const int sectors = starts_[t + 1] - starts_[t];
    EXPECT_GT(st.Rms, 1500);
    EXPECT_LT(st.Peak, 32000) << "below clipping";
    EXPECT_GT(st.ChannelDifference / (sectors * 588.0), 100) << "the channels differ";
    if (st.ZeroSectors == 0) continue;
    ++tracksWithSilence;
    EXPECT_EQ(st.ZeroSectors, st.LongestZeroRun) << "one passage";
    EXPECT_GE(st.LongestZeroRun, 3 * 75);
    EXPECT_LT(st.LongestZeroRun, sectors / 2);
  }
  EXPECT_EQ(tracksWithSilence, 1);
}

TEST_F(DemoDiscTest, EachTrackFadesInFromItsOwnFirstSector) {
  for (std::size_t t = 0; t + 1 < starts_.size(); ++t) {
    SCOPED_TRACE(t + 1);
    const std::vector<std::uint8_t> start = Read(*disc_, starts_[t], 1);
    EXPECT_EQ(SampleAt(start.data(), 0, 0), 0);
    EXPECT_EQ(SampleAt(start.data(), 0, 1), 0);
    int early = 0, late = 0;
    for (int f = 0; f < 100; ++f) early = std::max(early, std::abs(SampleAt(start.data(), f, 0)));
    for (int f = 488; f < 588; ++f) late = std::max(late, std::abs(SampleAt(start.data(), f, 0)));
    EXPECT_LT(early, late);
  }
}

TEST_F(DemoDiscTest, SectorsAreTheSameInAnyOrderAndAnyChunksAndNoneOutside) {
  const std::int32_t leadOut = disc_->LeadOutSector();
  std::mt19937 random(1234);
  // Single sectors in random order, from a second disc object.
  std::unique_ptr<TVirtualDisc> other = MakeDemoDisc();
  std::vector<std::uint8_t> sector(kSector);
  for (int i = 0; i < 300; ++i) {
    const std::int32_t s = static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(leadOut));
    ASSERT_TRUE(other->ReadSectors(s, 1, sector.data()));
    ASSERT_EQ(Fnv(sector.data(), kSector), hashes_[static_cast<std::size_t>(s)]) << "sector " << s;
  }
  EXPECT_FALSE(other->ReadSectors(-1, 1, sector.data()));
  EXPECT_FALSE(other->ReadSectors(leadOut, 1, sector.data()));
  EXPECT_FALSE(other->ReadSectors(leadOut - 1, 0xFFFFFFFFu, sector.data()));
  // Chunks of odd sizes across track boundaries, backwards.
  for (std::uint32_t chunk : {1u, 7u, 26u, 75u}) {
    for (std::size_t t = 1; t + 1 < starts_.size(); ++t) {
      const std::int32_t from = starts_[t] - 80;
      for (std::int32_t s = from + 160 - static_cast<std::int32_t>(chunk); s >= from;
           s -= static_cast<std::int32_t>(chunk)) {
        const std::vector<std::uint8_t> data = Read(*disc_, s, chunk);
        for (std::uint32_t k = 0; k < chunk; ++k) {
          ASSERT_EQ(Fnv(data.data() + k * kSector, kSector), hashes_[static_cast<std::size_t>(s) + k])
              << "sector " << s + static_cast<std::int32_t>(k) << " in chunks of " << chunk;
        }
      }
    }
  }
}

// The power at one frequency (Goertzel) in the left channel.
double PowerAt(const std::vector<std::uint8_t>& data, double hz) {
  const double w = 2 * 3.14159265358979 * hz / 44100;
  double s1 = 0, s2 = 0;
  const int frames = static_cast<int>(data.size() / 4);
  for (int i = 0; i < frames; ++i) {
    const double s0 = SampleAt(data.data(), i, 0) + 2 * std::cos(w) * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
}

TEST_F(DemoDiscTest, FirstTrackOpensOnACMajorChord) {
  const std::vector<std::uint8_t> chord = Read(*disc_, starts_[0], 120);  // 1.6 s, inside the first chord
  const double c = PowerAt(chord, 261.63), e = PowerAt(chord, 329.63), g = PowerAt(chord, 392.0);
  for (double off : {285.0, 300.0, 350.0, 440.0}) {
    SCOPED_TRACE(off);
    const double noise = PowerAt(chord, off);
    EXPECT_GT(c, 100 * noise);
    EXPECT_GT(e, 100 * noise);
    EXPECT_GT(g, 100 * noise);
  }
}

TEST(LongDemoDisc, FillsTheRequestedLength) {
  std::unique_ptr<TVirtualDisc> disc = MakeDemoDisc(74), again = MakeDemoDisc(74);
  const std::vector<std::int32_t> starts = TrackStarts(disc->Toc());
  EXPECT_GE(starts.size(), 6u);
  EXPECT_EQ(starts.back(), 74 * 4500);
  EXPECT_EQ(disc->LeadOutSector(), 74 * 4500);
  std::set<std::int32_t> lengths;
  for (std::size_t t = 0; t + 1 < starts.size(); ++t) lengths.insert(starts[t + 1] - starts[t]);
  EXPECT_GT(*lengths.begin(), 60 * 75);
  EXPECT_GT(lengths.size(), 1u);
  // Far sectors read the same from two disc objects and are not silent.
  for (std::int32_t s : {0, 150000, 250001, 74 * 4500 - 1}) {
    const std::vector<std::uint8_t> a = Read(*disc, s, 1);
    EXPECT_EQ(a, Read(*again, s, 1)) << s;
    EXPECT_NE(std::count(a.begin(), a.end(), 0), kSector) << s;
  }
  EXPECT_EQ(MakeDemoDisc(1)->LeadOutSector(), 4500);
  EXPECT_EQ(MakeDemoDisc(99)->LeadOutSector(), 99 * 4500);
  EXPECT_THROW(MakeDemoDisc(0), Exception);
  EXPECT_THROW(MakeDemoDisc(100), Exception);
}

// ---------------------------------------------------------------------------
// The virtual drive

// Sector s holds bytes (s * 7 + i) & 0xFF.
std::unique_ptr<TVirtualDisc> PatternDisc(std::int32_t leadOut = 400, std::uint8_t salt = 0) {
  return MakeGeneratedDisc({0, 100, 250}, leadOut, [salt](std::int32_t s, std::uint8_t* out) {
    for (int i = 0; i < kSector; ++i) out[i] = static_cast<std::uint8_t>(s * 7 + i + salt);
  });
}

RawReadRequest Request(std::int64_t sector, std::uint32_t count) {
  RawReadRequest r{};
  r.DiskOffset = sector * 2048;
  r.SectorCount = count;
  r.TrackMode = kTrackModeCdda;
  return r;
}

PassThroughBlock InquiryBlock(void* buffer, std::uint32_t length) {
  PassThroughBlock block{};
  block.Spt.Length = sizeof(PassThroughDirect);
  block.Spt.CdbLength = 6;
  block.Spt.SenseInfoLength = sizeof block.Sense;
  block.Spt.SenseInfoOffset = kSenseBufferOffset;
  block.Spt.DataIn = kPassThroughDataIn;
  block.Spt.DataTransferLength = length;
  block.Spt.DataBuffer = buffer;
  block.Spt.TimeOutValue = 5;
  block.Spt.Cdb[0] = kScsiInquiry;
  block.Spt.Cdb[4] = static_cast<std::uint8_t>(length);
  return block;
}

// A backend standing for the real devices: answers with recognisable values.
class FakeDeviceIo : public DeviceIo {
 public:
  static constexpr DeviceHandle kHandle = 0x1234;
  DeviceHandle Open(const std::string& path) override {
    last = "Open " + path;
    return path == "\\\\.\\F:" ? kHandle : kInvalidDevice;
  }
  void Close(DeviceHandle device) override { last = "Close " + std::to_string(device); }
  bool ReadToc(DeviceHandle, CdromToc& toc) override {
    last = "ReadToc";
    toc.FirstTrack = 42;
    return true;
  }
  bool RawRead(DeviceHandle, const RawReadRequest&, void*, std::uint32_t) override {
    last = "RawRead";
    return false;
  }
  bool ScsiPassThrough(DeviceHandle, PassThroughBlock&) override {
    last = "ScsiPassThrough";
    return false;
  }
  std::uint32_t LastError() override { return 1234; }
  DriveType DriveTypeOf(const std::string& root) override {
    last = "GetDriveType " + root;
    return DriveType::Fixed;
  }
  bool LoadAspi(AspiEntryPoints&) override {
    last = "LoadAspi";
    return false;
  }
  std::string last;
};

TEST(VirtualCdDeviceIo, AnswersForItsOwnLetterAndHandlesOnly) {
  VirtualCdDeviceIo io('e', PatternDisc(), nullptr);
  EXPECT_EQ(io.DriveLetter(), 'E');
  const DeviceHandle upper = io.Open("\\\\.\\E:");
  const DeviceHandle lower = io.Open("\\\\.\\e:");
  EXPECT_NE(upper, kInvalidDevice);
  EXPECT_NE(lower, kInvalidDevice);
  EXPECT_NE(upper, lower);
  EXPECT_EQ(io.OpenHandles(), 2);
  for (const char* path : {"\\\\.\\F:", "\\\\.\\E:\\", "E:", "\\\\.\\E", "\\\\?\\E:", ""}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(io.Open(path), kInvalidDevice);
    EXPECT_EQ(io.LastError(), kErrorFileNotFound);
  }
  EXPECT_EQ(io.DriveTypeOf("E:\\"), DriveType::CdRom);
  EXPECT_EQ(io.DriveTypeOf("e:\\"), DriveType::CdRom);
  EXPECT_EQ(io.DriveTypeOf("F:\\"), DriveType::NoRootDir);
  EXPECT_EQ(io.DriveTypeOf("E:"), DriveType::NoRootDir);
  EXPECT_THROW(VirtualCdDeviceIo('1', nullptr, nullptr), Exception);

  // Closed and foreign handles.
  io.Close(upper);
  EXPECT_EQ(io.OpenHandles(), 1);
  CdromToc toc{};
  std::vector<std::uint8_t> out(kSector);
  for (DeviceHandle bad : {upper, kInvalidDevice, DeviceHandle{0}, DeviceHandle{0x1234}}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(io.ReadToc(bad, toc));
    EXPECT_EQ(io.LastError(), kErrorInvalidHandle);
    EXPECT_FALSE(io.RawRead(bad, Request(0, 1), out.data(), kSector));
    EXPECT_EQ(io.LastError(), kErrorInvalidHandle);
    PassThroughBlock block = InquiryBlock(out.data(), 36);
    EXPECT_FALSE(io.ScsiPassThrough(bad, block));
    EXPECT_EQ(io.LastError(), kErrorInvalidHandle);
  }
  io.Close(upper);
  EXPECT_EQ(io.LastError(), kErrorInvalidHandle);
}

TEST(VirtualCdDeviceIo, PassesOtherDrivesToTheFallback) {
  FakeDeviceIo real;
  VirtualCdDeviceIo io('E', PatternDisc(), &real);
  const DeviceHandle mine = io.Open("\\\\.\\E:");
  EXPECT_EQ(real.last, "");
  const DeviceHandle theirs = io.Open("\\\\.\\F:");
  EXPECT_EQ(theirs, FakeDeviceIo::kHandle);
  EXPECT_EQ(real.last, "Open \\\\.\\F:");
  EXPECT_NE(mine, theirs);

  CdromToc toc{};
  ASSERT_TRUE(io.ReadToc(theirs, toc));
  EXPECT_EQ(toc.FirstTrack, 42);
  std::vector<std::uint8_t> out(kSector);
  EXPECT_FALSE(io.RawRead(theirs, Request(0, 1), out.data(), kSector));
  EXPECT_EQ(real.last, "RawRead");
  EXPECT_EQ(io.LastError(), 1234u) << "the fallback's error after a call it handled";
  PassThroughBlock block = InquiryBlock(out.data(), 36);
  EXPECT_FALSE(io.ScsiPassThrough(theirs, block));
  EXPECT_EQ(real.last, "ScsiPassThrough");
  EXPECT_EQ(io.DriveTypeOf("C:\\"), DriveType::Fixed);
  EXPECT_EQ(real.last, "GetDriveType C:\\");
  io.Close(theirs);
  EXPECT_EQ(real.last, "Close " + std::to_string(FakeDeviceIo::kHandle));

  // The virtual drive's own calls never reach the fallback, and its own
  // failures are its own.
  real.last.clear();
  EXPECT_FALSE(io.RawRead(mine, Request(400, 1), out.data(), kSector));
  EXPECT_EQ(io.LastError(), kErrorSectorNotFound);
  EXPECT_TRUE(io.ReadToc(mine, toc));
  EXPECT_EQ(io.LastError(), kErrorSectorNotFound) << "a success leaves the last error";
  EXPECT_EQ(io.DriveTypeOf("E:\\"), DriveType::CdRom);
  io.Close(mine);
  EXPECT_EQ(real.last, "");
  // A closed handle of the virtual drive is not passed on either.
  EXPECT_FALSE(io.ReadToc(mine, toc));
  EXPECT_EQ(io.LastError(), kErrorInvalidHandle);
  EXPECT_EQ(real.last, "");

  AspiEntryPoints entries;
  EXPECT_FALSE(io.LoadAspi(entries)) << "the real library decides";
  EXPECT_EQ(real.last, "LoadAspi");
}

TEST(VirtualCdDeviceIo, TwoVirtualDrivesKeepTheirHandlesApart) {
  VirtualCdDeviceIo e('E', PatternDisc(400, 0), nullptr);
  VirtualCdDeviceIo d('D', PatternDisc(400, 100), &e);
  const DeviceHandle dh = d.Open("\\\\.\\D:");
  const DeviceHandle eh = d.Open("\\\\.\\E:");  // passed on to E
  ASSERT_NE(dh, kInvalidDevice);
  ASSERT_NE(eh, kInvalidDevice);
  EXPECT_EQ(d.OpenHandles(), 1);
  EXPECT_EQ(e.OpenHandles(), 1);
  std::vector<std::uint8_t> fromD(kSector), fromE(kSector);
  ASSERT_TRUE(d.RawRead(dh, Request(5, 1), fromD.data(), kSector));
  ASSERT_TRUE(d.RawRead(eh, Request(5, 1), fromE.data(), kSector));
  EXPECT_EQ(fromD[0], static_cast<std::uint8_t>(5 * 7 + 100));
  EXPECT_EQ(fromE[0], static_cast<std::uint8_t>(5 * 7));
  EXPECT_EQ(e.RawReads(), 1);
  EXPECT_FALSE(e.RawRead(dh, Request(5, 1), fromE.data(), kSector)) << "D's handle means nothing to E";
  EXPECT_EQ(e.LastError(), kErrorInvalidHandle);
  EXPECT_EQ(d.DriveTypeOf("E:\\"), DriveType::CdRom);
  EXPECT_EQ(d.DriveTypeOf("G:\\"), DriveType::NoRootDir);
}

TEST(VirtualCdDeviceIo, ReadsTheTocAndTheSectorsOfItsDisc) {
  std::unique_ptr<TVirtualDisc> disc = MakeDemoDisc();
  TVirtualDisc& expected = *disc;
  std::unique_ptr<TVirtualDisc> copy = MakeDemoDisc();
  VirtualCdDeviceIo io('E', std::move(disc), nullptr);
  const DeviceHandle h = io.Open("\\\\.\\E:");
  CdromToc toc;
  std::memset(&toc, 0xEE, sizeof toc);
  ASSERT_TRUE(io.ReadToc(h, toc));
  EXPECT_EQ(std::memcmp(&toc, &expected.Toc(), sizeof toc), 0);

  const std::int32_t boundary = TocStartSector(toc.TrackData[1]);
  std::vector<std::uint8_t> out(9 * kSector);
  ASSERT_TRUE(io.RawRead(h, Request(boundary - 4, 9), out.data(), static_cast<std::uint32_t>(out.size())));
  EXPECT_EQ(out, Read(*copy, boundary - 4, 9));
  const std::int32_t last = copy->LeadOutSector() - 1;
  ASSERT_TRUE(io.RawRead(h, Request(last, 1), out.data(), kSector));
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + kSector, Read(*copy, last, 1).begin()));
}

TEST(VirtualCdDeviceIo, RejectsMalformedReadsAndReadsPastTheLeadOut) {
  VirtualCdDeviceIo io('E', PatternDisc(), nullptr);
  const DeviceHandle h = io.Open("\\\\.\\E:");
  std::vector<std::uint8_t> out(3 * kSector, 0xCD);
  struct TCase {
    const char* what;
    RawReadRequest request;
    std::uint32_t length;
  };
  RawReadRequest yellow = Request(10, 2), xa = Request(10, 2), odd = Request(10, 2), negative = Request(-1, 1);
  yellow.TrackMode = 0;
  xa.TrackMode = 1;
  odd.DiskOffset += 1000;
  const TCase cases[] = {
      {"data track mode", yellow, 2 * kSector},
      {"XA track mode", xa, 2 * kSector},
      {"offset not a multiple of 2048", odd, 2 * kSector},
      {"negative offset", negative, kSector},
      {"no sectors", Request(10, 0), 0},
      {"buffer a byte short", Request(10, 2), 2 * kSector - 1},
      {"buffer larger than the request", Request(10, 2), 3 * kSector},
      {"count overflowing 32 bits of length", Request(10, 0x80000001u), kSector},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(io.RawRead(h, c.request, out.data(), c.length));
    EXPECT_EQ(io.LastError(), kErrorInvalidParameter);
  }
  EXPECT_FALSE(io.RawRead(h, Request(10, 1), nullptr, kSector));
  EXPECT_EQ(io.LastError(), kErrorInvalidParameter);
  for (const RawReadRequest& r : {Request(399, 2), Request(400, 1), Request(std::int64_t{1} << 40, 1)}) {
    EXPECT_FALSE(io.RawRead(h, r, out.data(), r.SectorCount * kSector));
    EXPECT_EQ(io.LastError(), kErrorSectorNotFound) << "past the lead-out";
  }
  EXPECT_EQ(std::count(out.begin(), out.end(), 0xCD), static_cast<std::ptrdiff_t>(out.size())) << "output untouched";
  EXPECT_TRUE(io.RawRead(h, Request(398, 2), out.data(), 2 * kSector));
}

TEST(VirtualCdDeviceIo, LastErrorBelongsToTheCallingThread) {
  VirtualCdDeviceIo io('E', PatternDisc(), nullptr);
  const DeviceHandle h = io.Open("\\\\.\\E:");
  std::vector<std::uint8_t> out(kSector);
  EXPECT_FALSE(io.RawRead(h, Request(500, 1), out.data(), kSector));
  std::uint32_t otherBefore = 99, otherAfter = 0;
  std::thread other([&] {
    otherBefore = io.LastError();
    io.RawRead(h, Request(1, 1), out.data(), 5);
    otherAfter = io.LastError();
  });
  other.join();
  EXPECT_EQ(otherBefore, 0u);
  EXPECT_EQ(otherAfter, kErrorInvalidParameter);
  EXPECT_EQ(io.LastError(), kErrorSectorNotFound);
  // Another drive object keeps its own errors on this thread.
  VirtualCdDeviceIo second('F', nullptr, nullptr);
  EXPECT_EQ(second.LastError(), 0u);
  EXPECT_EQ(io.LastError(), kErrorSectorNotFound);
}

TEST(VirtualCdDeviceIo, ThreadsReadThroughTheirOwnHandlesAtOnce) {
  std::unique_ptr<TVirtualDisc> reference = MakeDemoDisc();
  VirtualCdDeviceIo io('E', MakeDemoDisc(), nullptr);
  constexpr int kThreads = 4;
  std::atomic<int> mismatches{0}, failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const DeviceHandle h = io.Open("\\\\.\\E:");
      std::vector<std::uint8_t> out(13 * kSector), expected(13 * kSector);
      for (int i = 0; i < 40; ++i) {
        const std::int32_t sector = t * 3000 + i * 13;
        if (!io.RawRead(h, Request(sector, 13), out.data(), static_cast<std::uint32_t>(out.size()))) ++failures;
        CdromToc toc;
        if (!io.ReadToc(h, toc)) ++failures;
        reference->ReadSectors(sector, 13, expected.data());
        if (out != expected) ++mismatches;
      }
      io.Close(h);
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(io.RawReads(), kThreads * 40);
  EXPECT_EQ(io.TocReads(), kThreads * 40);
  EXPECT_EQ(io.OpenHandles(), 0);
}

TEST(VirtualCdDeviceIo, InquiryIdentifiesAVirtualCdRom) {
  VirtualCdDeviceIo io('E', nullptr, nullptr);  // no disc needed
  const DeviceHandle h = io.Open("\\\\.\\E:");
  std::uint8_t data[64];
  std::memset(data, 0xCD, sizeof data);
  PassThroughBlock block = InquiryBlock(data, sizeof data);
  block.Spt.ScsiStatus = 0xFF;
  ASSERT_TRUE(io.ScsiPassThrough(h, block));
  EXPECT_EQ(block.Spt.ScsiStatus, kScsiStatusGood);
  EXPECT_EQ(block.Spt.DataTransferLength, 36u);
  EXPECT_EQ(data[0], 0x05);
  EXPECT_EQ(data[1] & 0x80, 0x80);
  EXPECT_EQ(data[3] & 0x0F, 2);
  EXPECT_EQ(data[4], 31);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 8), 8), "PELLAMY ");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 16), 16), "VIRTUAL CD-ROM  ");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 32), 4), "1.0 ");
  EXPECT_EQ(data[36], 0xCD) << "nothing past the inquiry data";

  // A short buffer gets the start of the data and nothing more.
  std::memset(data, 0xCD, sizeof data);
  block = InquiryBlock(data, 5);
  ASSERT_TRUE(io.ScsiPassThrough(h, block));
  EXPECT_EQ(block.Spt.ScsiStatus, kScsiStatusGood);
  EXPECT_EQ(data[0], 0x05);
  EXPECT_EQ(data[4], 31);
  EXPECT_EQ(data[5], 0xCD);
}

TEST(VirtualCdDeviceIo, OtherCommandsAndRefusedInquiriesGetCheckCondition) {
  VirtualCdDeviceIo io('E', PatternDisc(), nullptr);
  const DeviceHandle h = io.Open("\\\\.\\E:");
  std::uint8_t data[64] = {};
  for (std::uint8_t opcode : {std::uint8_t{0x00}, std::uint8_t{0x43}, std::uint8_t{0x28}}) {
    SCOPED_TRACE(static_cast<int>(opcode));
    PassThroughBlock block = InquiryBlock(data, sizeof data);
    block.Spt.Cdb[0] = opcode;
    ASSERT_TRUE(io.ScsiPassThrough(h, block));
    EXPECT_EQ(block.Spt.ScsiStatus, kScsiStatusCheckCondition);
    EXPECT_EQ(block.Sense[0], 0x70);
    EXPECT_EQ(block.Sense[2] & 0x0F, kSenseIllegalRequest);
    EXPECT_EQ(block.Sense[12], kAscInvalidCommand);
    EXPECT_EQ(block.Sense[13], 0);
  }
  // INQUIRY asking for a vital product data page.
  PassThroughBlock block = InquiryBlock(data, sizeof data);
  block.Spt.Cdb[1] = 1;
  ASSERT_TRUE(io.ScsiPassThrough(h, block));
  EXPECT_EQ(block.Spt.ScsiStatus, kScsiStatusCheckCondition);
  EXPECT_EQ(block.Sense[12], kAscInvalidFieldInCdb);

  // INQUIRY refused on purpose, until accepted again.
  io.RejectInquiry(0x02, 0x3A, 0x01);
  block = InquiryBlock(data, sizeof data);
  ASSERT_TRUE(io.ScsiPassThrough(h, block));
  EXPECT_EQ(block.Spt.ScsiStatus, kScsiStatusCheckCondition);
  EXPECT_EQ(block.Sense[2] & 0x0F, 0x02);
  EXPECT_EQ(block.Sense[12], 0x3A);
  EXPECT_EQ(block.Sense[13], 0x01);
  EXPECT_EQ(data[0], 0) << "no inquiry data";
  io.AcceptInquiry();
  block = InquiryBlock(data, sizeof data);
  ASSERT_TRUE(io.ScsiPassThrough(h, block));
  EXPECT_EQ(data[0], 0x05);
}

TEST(VirtualCdDeviceIo, RejectsMalformedPassThroughBlocks) {
  VirtualCdDeviceIo io('E', PatternDisc(), nullptr);
  const DeviceHandle h = io.Open("\\\\.\\E:");
  std::uint8_t data[36];
  PassThroughBlock wrongLength = InquiryBlock(data, 36), noCdb = InquiryBlock(data, 36),
                   noBuffer = InquiryBlock(nullptr, 36), senseElsewhere = InquiryBlock(data, 36),
                   senseTooLong = InquiryBlock(data, 36);
  wrongLength.Spt.Length = 44;
  noCdb.Spt.CdbLength = 0;
  senseElsewhere.Spt.SenseInfoOffset = 48;
  senseTooLong.Spt.SenseInfoLength = 33;
  for (PassThroughBlock* block : {&wrongLength, &noCdb, &noBuffer, &senseElsewhere, &senseTooLong}) {
    EXPECT_FALSE(io.ScsiPassThrough(h, *block));
    EXPECT_EQ(io.LastError(), kErrorInvalidParameter);
  }
  // Without a sense buffer the status still tells of the failure.
  PassThroughBlock noSense = InquiryBlock(data, 36);
  noSense.Spt.SenseInfoLength = 0;
  noSense.Spt.Cdb[0] = 0x43;
  noSense.Sense[0] = 0xAB;
  ASSERT_TRUE(io.ScsiPassThrough(h, noSense));
  EXPECT_EQ(noSense.Spt.ScsiStatus, kScsiStatusCheckCondition);
  EXPECT_EQ(noSense.Sense[0], 0xAB);
}

TEST(VirtualCdDeviceIo, InjectedReadFailuresHitTheRangesHoldingTheirSector) {
  VirtualCdDeviceIo io('E', PatternDisc(), nullptr);
  const DeviceHandle h = io.Open("\\\\.\\E:");
  io.FailReadsAt(150, kErrorCrc);
  io.FailReadsAt(300, 1117);
  std::vector<std::uint8_t> out(10 * kSector, 0xCD);
  EXPECT_TRUE(io.RawRead(h, Request(140, 10), out.data(), 10 * kSector));
  EXPECT_TRUE(io.RawRead(h, Request(151, 10), out.data(), 10 * kSector));
  std::fill(out.begin(), out.end(), 0xCD);
  for (const RawReadRequest& r : {Request(145, 10), Request(150, 1), Request(141, 10)}) {
    SCOPED_TRACE(r.DiskOffset / 2048);
    EXPECT_FALSE(io.RawRead(h, r, out.data(), r.SectorCount * kSector));
    EXPECT_EQ(io.LastError(), kErrorCrc);
  }
  EXPECT_EQ(std::count(out.begin(), out.end(), 0xCD), static_cast<std::ptrdiff_t>(out.size()));
  EXPECT_FALSE(io.RawRead(h, Request(295, 10), out.data(), 10 * kSector));
  EXPECT_EQ(io.LastError(), 1117u);
  io.ClearReadFailures();
  EXPECT_TRUE(io.RawRead(h, Request(145, 10), out.data(), 10 * kSector));
  EXPECT_EQ(out[0], static_cast<std::uint8_t>(145 * 7));
}

TEST(VirtualCdDeviceIo, TocFailuresAndDiscChangesAfterTheGivenTocReads) {
  VirtualCdDeviceIo io('E', PatternDisc(400), nullptr);
  const DeviceHandle h = io.Open("\\\\.\\E:");
  io.ChangeDiscAfterTocReads(
      2, MakeGeneratedDisc({0}, 50, [](std::int32_t, std::uint8_t* out) { std::memset(out, 0x5A, kSector); }));
  CdromToc toc{};
  io.FailTocReads(true);
  EXPECT_FALSE(io.ReadToc(h, toc)) << "failed reads do not count";
  EXPECT_EQ(io.LastError(), kErrorIoDevice);
  io.FailTocReads(true, kErrorCrc);
  EXPECT_FALSE(io.ReadToc(h, toc));
  EXPECT_EQ(io.LastError(), kErrorCrc);
  io.FailTocReads(false);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(io.ReadToc(h, toc));
    EXPECT_EQ(toc.LastTrack, 3) << "read " << i;
  }
  ASSERT_TRUE(io.ReadToc(h, toc));
  EXPECT_EQ(toc.LastTrack, 1);
  EXPECT_EQ(TocStartSector(toc.TrackData[1]), 50);
  std::vector<std::uint8_t> out(kSector);
  ASSERT_TRUE(io.RawRead(h, Request(10, 1), out.data(), kSector)) << "the old handle reads the new disc";
  EXPECT_EQ(out[0], 0x5A);
  EXPECT_FALSE(io.RawRead(h, Request(50, 1), out.data(), kSector));
  EXPECT_EQ(io.LastError(), kErrorSectorNotFound);

  // At once, and to an empty drive.
  io.ChangeDiscAfterTocReads(0, PatternDisc(400));
  ASSERT_TRUE(io.ReadToc(h, toc));
  EXPECT_EQ(toc.LastTrack, 3);
  io.ChangeDiscAfterTocReads(1, nullptr);
  ASSERT_TRUE(io.ReadToc(h, toc));
  EXPECT_FALSE(io.ReadToc(h, toc));
  EXPECT_EQ(io.LastError(), kErrorNotReady);
}

TEST(VirtualCdDeviceIo, AnEmptyDriveIsNotReady) {
  VirtualCdDeviceIo io('E', PatternDisc(), nullptr);
  io.NoDisc();
  EXPECT_FALSE(io.HasDisc());
  const DeviceHandle h = io.Open("\\\\.\\E:");
  ASSERT_NE(h, kInvalidDevice) << "an empty drive still opens";
  EXPECT_EQ(io.DriveTypeOf("E:\\"), DriveType::CdRom);
  CdromToc toc{};
  EXPECT_FALSE(io.ReadToc(h, toc));
  EXPECT_EQ(io.LastError(), kErrorNotReady);
  std::vector<std::uint8_t> out(kSector);
  EXPECT_FALSE(io.RawRead(h, Request(0, 1), out.data(), kSector));
  EXPECT_EQ(io.LastError(), kErrorNotReady);
  std::uint8_t data[36];
  PassThroughBlock block = InquiryBlock(data, 36);
  ASSERT_TRUE(io.ScsiPassThrough(h, block));
  EXPECT_EQ(block.Spt.ScsiStatus, kScsiStatusGood);
  io.InsertDisc(PatternDisc());
  EXPECT_TRUE(io.ReadToc(h, toc));
  EXPECT_TRUE(io.RawRead(h, Request(0, 1), out.data(), kSector));
}

TEST(VirtualCdDeviceIo, AspiWithoutAFallback) {
  VirtualCdDeviceIo io('E', PatternDisc(), nullptr);
  AspiEntryPoints entries;
  ASSERT_TRUE(io.LoadAspi(entries));
  EXPECT_NE(entries.GetSupportInfo, nullptr);
  EXPECT_NE(entries.SendCommand, nullptr);
  io.SetAspiAvailable(false);
  AspiEntryPoints none;
  EXPECT_FALSE(io.LoadAspi(none));
  EXPECT_EQ(io.LastError(), kErrorModuleNotFound);
  EXPECT_EQ(none.GetSupportInfo, nullptr);
}

TEST(VirtualCdDeviceIo, CountsAndRecordsRequests) {
  VirtualCdDeviceIo io('E', PatternDisc(), nullptr);
  const DeviceHandle h = io.Open("\\\\.\\E:");
  std::vector<std::uint8_t> out(26 * kSector);
  CdromToc toc{};
  io.ReadToc(h, toc);
  io.RawRead(h, Request(0, 26), out.data(), 26 * kSector);
  io.RawRead(h, Request(26, 3), out.data(), 3 * kSector);
  io.RawRead(h, Request(390, 20), out.data(), 20 * kSector);  // fails, still counted
  EXPECT_EQ(io.TocReads(), 1);
  EXPECT_EQ(io.RawReads(), 3);
  EXPECT_EQ(io.LargestRawRead(), 26u);
  const std::vector<RawReadRequest> log = io.RawReadRequests();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].SectorCount, 26u);
  EXPECT_EQ(log[1].DiskOffset, 26 * 2048);
  EXPECT_EQ(log[1].SectorCount, 3u);
  EXPECT_EQ(log[2].SectorCount, 20u);
  io.ResetCounters();
  EXPECT_EQ(io.TocReads(), 0);
  EXPECT_EQ(io.RawReads(), 0);
  EXPECT_TRUE(io.RawReadRequests().empty());
}

}  // namespace
}  // namespace pellamy
