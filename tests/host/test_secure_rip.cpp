// Secure reading on the faulty virtual drive: flaky, unreadable and jittering
// sectors, a cache that would hide a disagreement, read offsets, and the log.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Exceptions.h"
#include "ripper/DriveFaults.h"
#include "ripper/RipLog.h"
#include "ripper/RipSettings.h"
#include "ripper/RipperThread.h"
#include "ripper/ScsiManagerUnit.h"
#include "ripper/SecureReader.h"
#include "ripper/VirtualCdDeviceIo.h"
#include "support/RecordingWindow.h"
#include "support/TempDir.h"
#include "support/WaveFile.h"

namespace pellamy::test {
namespace {

namespace fs = std::filesystem;
constexpr std::int32_t kLeadOut = 1000;
constexpr std::int64_t kDiscSamples = std::int64_t(kLeadOut) * 588;
const std::vector<std::int32_t> kStarts = {0, 300, 700};

// Every byte of the disc differs from its neighbours, so a shift by any
// number of samples shows.
std::uint8_t DiscByte(std::int64_t at) {
  return static_cast<std::uint8_t>((std::uint64_t(at) * 2654435761u) >> 13);
}

std::unique_ptr<TVirtualDisc> Disc() {
  return MakeGeneratedDisc(kStarts, kLeadOut, [](std::int32_t s, std::uint8_t* out) {
    for (int i = 0; i < 2352; ++i) out[i] = DiscByte(std::int64_t(s) * 2352 + i);
  });
}

// The audio of sectors [s, e) as a drive reading `shift` samples late gives
// it: silence outside the disc.
std::vector<std::uint8_t> Expected(std::int32_t s, std::int32_t e, std::int64_t shift, std::int64_t readable) {
  std::vector<std::uint8_t> out;
  for (std::int64_t p = std::int64_t(s) * 588; p < std::int64_t(e) * 588; ++p) {
    const bool inside = p + readable >= 0 && p + readable < kDiscSamples && p + shift >= 0 && p + shift < kDiscSamples;
    for (int b = 0; b < 4; ++b) out.push_back(inside ? DiscByte((p + shift) * 4 + b) : 0);
  }
  return out;
}

struct SecureRip : ::testing::Test {
  RecordingWindow window;
  TempDir temp;
  std::unique_ptr<VirtualCdDeviceIo> drive;

  void Insert(const std::string& faults) {
    drive = std::make_unique<VirtualCdDeviceIo>('E', Disc(), nullptr);
    drive->SetFaults(ParseDriveFaults(faults));
    SetDeviceIo(drive.get());
  }
  void TearDown() override {
    SetDeviceIo(nullptr);
    RipSettings() = TRipSettings{};
  }
  // Rips track p; returns its audio and the rip's record.
  std::vector<std::uint8_t> Rip(int p, TTrackRip* record = nullptr) {
    TCDRipperManager manager(temp.Dir(), 'E');
    manager.RipTrack(p);
    if (record) *record = manager.Rips().at(0);
    auto wav = ReadWholeFile(temp.Path() / ("track " + std::to_string(p) + ".wav"));
    return {wav.begin() + 48, wav.end()};
  }
};

TEST(DriveFaultsFile, LinesAndErrors) {
  const TDriveFaults f = ParseDriveFaults(
      "# a scratched disc\n"
      "offset -48\nc2 on\ncache 1200\nseed 7\n"
      "flaky 10 5 30 c2  # flagged\nunreadable 500 2\njitter 0 100 20 12\n");
  EXPECT_EQ(f.Offset, -48);
  EXPECT_TRUE(f.C2);
  EXPECT_EQ(f.CacheSectors, 1200);
  EXPECT_EQ(f.Seed, 7u);
  ASSERT_EQ(f.Flaky.size(), 1u);
  EXPECT_TRUE(f.Flaky[0].C2);
  EXPECT_EQ(f.Unreadable[0].Count, 2);
  EXPECT_EQ(f.Jitter[0].Samples, 12);
  for (const char* bad : {"flaky 1 2\n", "offset x\n", "c2 maybe\n", "wobble 1\n", "cache 5 6\n", "flaky 1 0 5\n",
                          "jitter 1 2 101 3\n", "offset 99999999999999999999\n"}) {
    SCOPED_TRACE(bad);
    try {
      ParseDriveFaults(std::string("seed 1\n") + bad);
      ADD_FAILURE() << "accepted";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
    }
  }
}

TEST_F(SecureRip, FlakyAndJitteringSectorsAreRecoveredBitExact) {
  // Without C2, with C2 flagging the flips, and with reads that come back
  // shifted; a burst rip of the same drive shows the damage is real.
  for (const char* faults :
       {"seed 3\nflaky 320 6 25\n", "seed 4\nc2 on\nflaky 320 6 25 c2\n", "seed 5\njitter 310 40 20 20\n"}) {
    SCOPED_TRACE(faults);
    Insert(faults);
    TTrackRip record;
    EXPECT_EQ(Rip(2, &record), Expected(300, 700, 0, 0));
    EXPECT_GT(record.Report.RereadChunks, 0);
    EXPECT_TRUE(record.Report.Suspicious.empty());
    RipSettings().Burst = true;
    Insert(faults);
    EXPECT_NE(Rip(2), Expected(300, 700, 0, 0));
    RipSettings().Burst = false;
  }
}

TEST_F(SecureRip, UnreadableSectorsAreReportedWithTheirPositionsAndNotWrittenAsGood) {
  Insert("unreadable 400 1\n");
  window.SetRows(3, {1});
  ASSERT_TRUE(TCdRipperThread::Launch(temp.Dir(), window, 'E'));
  TCdRipperThread::WaitForAll();
  EXPECT_EQ(window.Statuses().back(), kStatusCompletedWithErrors);
  EXPECT_TRUE(window.Messages().empty()) << "no message box";
  EXPECT_EQ(TCdRipperThread::LastErrorTracks(), std::vector<int>{2});
  const std::string name = TCdRipperThread::LastLogName();
  ASSERT_FALSE(name.empty());
  const auto bytes = ReadWholeFile(temp.Path() / name);
  const std::string log(bytes.begin(), bytes.end());
  EXPECT_TRUE(RipLogIntact(log));
  // Sector 400 is 100 sectors (0:01.25) into track 2; its neighbours in the
  // same request are read on their own.
  EXPECT_NE(log.find("Suspicious positions: 0:01.25\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Tracks with errors: 2\r\n"), std::string::npos);
  const auto audio = ReadWholeFile(temp.Path() / "track 2.wav");
  const auto expected = Expected(300, 700, 0, 0);
  EXPECT_TRUE(std::equal(audio.begin() + 48, audio.begin() + 48 + 100 * 2352, expected.begin()));
  EXPECT_TRUE(std::all_of(audio.begin() + 48 + 100 * 2352, audio.begin() + 48 + 101 * 2352,
                          [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(std::equal(audio.begin() + 48 + 101 * 2352, audio.end(), expected.begin() + 101 * 2352));
}

// The reader straight on the drive, with a chosen cache flush.
class DriveSource : public TSectorSource {
 public:
  explicit DriveSource(VirtualCdDeviceIo& io) : FIo(io), FHandle(io.Open("\\\\.\\E:")) {}
  ~DriveSource() override { FIo.Close(FHandle); }
  bool Read(std::int32_t first, int count, std::uint8_t* out, std::uint8_t*) override {
    RawReadRequest r{first * 2048LL, static_cast<std::uint32_t>(count), kTrackModeCdda};
    return FIo.RawRead(FHandle, r, out, static_cast<std::uint32_t>(count) * 2352);
  }
  bool ReportsC2() override { return false; }
  std::int32_t LeadOut() override { return kLeadOut; }

 private:
  VirtualCdDeviceIo& FIo;
  DeviceHandle FHandle;
};

TEST_F(SecureRip, TheCacheIsDefeatedBetweenReads) {
  // Every read of sectors 320-325 differs, but a 600-sector cache returns the
  // first pass's damaged data again unless the reader reads elsewhere first.
  for (int flush : {0, 2048}) {
    SCOPED_TRACE(flush);
    Insert("seed 9\ncache 600\nflaky 320 6 100\n");
    DriveSource source(*drive);
    TReadOptions options;
    options.CacheFlushSectors = flush;
    std::vector<std::uint8_t> audio;
    TTrackReadReport report;
    ASSERT_TRUE(ReadTrackAudio(
        source, 300, 700, options, [&](const std::uint8_t* p, std::size_t n) { audio.insert(audio.end(), p, p + n); },
        report));
    EXPECT_EQ(report.RereadChunks > 0, flush > 0);
    EXPECT_EQ(report.Suspicious.empty(), flush == 0) << "a sector that never reads alike has no majority";
    EXPECT_NE(audio, Expected(300, 700, 0, 0)) << "flips on every read cannot be recovered";
  }
}

TEST_F(SecureRip, ReadOffsetsCancelBitExactAtTheDiscsEnds) {
  // The drive reads N samples early; --read-offset=N puts every sample back.
  // Without it the track comes out moved by N samples. Samples the drive
  // would have to read before sector 0 or past the lead-out are silence.
  for (int n : {667, -1234, 30}) {
    for (int p : {1, 3}) {
      SCOPED_TRACE(std::to_string(n) + " track " + std::to_string(p));
      const std::int32_t s = kStarts[p - 1], e = p == 3 ? kLeadOut : kStarts[p];
      Insert("offset " + std::to_string(n) + "\n");
      RipSettings().ReadOffset = n;
      EXPECT_EQ(Rip(p), Expected(s, e, 0, n));
      RipSettings().ReadOffset = 0;
      Insert("offset " + std::to_string(n) + "\n");
      EXPECT_EQ(Rip(p), Expected(s, e, -n, 0));
    }
  }
}

TEST(RipSettingsTest, OffsetFromOptionAndIni) {
  int offset = 0;
  EXPECT_TRUE(ParseReadOffsetIni("[Drive]\r\n readoffset = -48\r\n", offset));
  EXPECT_EQ(offset, -48);
  EXPECT_FALSE(ParseReadOffsetIni("Other=1\n", offset));
  EXPECT_THROW(ParseReadOffsetIni("ReadOffset=6x\n", offset), Exception);
  EXPECT_EQ(ParseReadOffsetOption("+6"), 6);
  EXPECT_THROW(ParseReadOffsetOption("99999"), Exception);
  EXPECT_THROW(ParseReadOffsetOption(""), Exception);
}

TEST(RipLogTest, ParsedBackAndEditsShow) {
  TRipLogInfo info;
  info.Version = "1.03";
  info.Drive = "E:  PELLAMY  VIRTUAL CD-ROM   1.0 ";
  info.Disc = {{{1, 0, false}, {2, 300, false}, {3, 700, true}}, 1000};
  TTrackRip t;
  t.Track = 1;
  t.File = "track 1.wav";
  t.End = 300;
  t.ArV2 = 0xABCDEF01;
  t.Report.Suspicious = {4500 + 75 + 2};
  info.Tracks = {t};
  info.CdText.Track(0).Title = "Caf\u00e9";
  info.CdText.Track(1).Code = "USXX19800001";
  const std::string log = FormatRipLog(info);
  EXPECT_TRUE(RipLogIntact(log));
  std::string edited = log;
  edited[edited.find("ABCDEF01")] = 'B';
  EXPECT_FALSE(RipLogIntact(edited));
  // Every line ends in CR LF.
  for (std::size_t at = log.find('\n'); at != std::string::npos; at = log.find('\n', at + 1))
    ASSERT_EQ(log[at - 1], '\r');
  for (const char* line : {"Read offset: 0 samples (none given)", "AccurateRip v2: ABCDEF01",
                           "Suspicious positions: 1:01.02", "      3 |  0:09.25 |", "data", "Tracks with errors: 1",
                           "  Disc\r\n    Title: Caf\u00e9\r\n", "  Track 1\r\n    ISRC: USXX19800001\r\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line;
  std::tm when{};
  when.tm_year = 126;
  when.tm_mon = 11;
  when.tm_mday = 10;
  when.tm_hour = 9;
  when.tm_min = 5;
  when.tm_sec = 7;
  EXPECT_EQ(RipLogName(when), "Pellamy rip 2026-12-10 09-05-07.log");
}

}  // namespace
}  // namespace pellamy::test
