// Ripping one track: sector range, WAV header and length, chunked reads,
// failures, and the MP3 step.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Exceptions.h"
#include "ripper/MP3export.h"
#include "ripper/RipSettings.h"
#include "ripper/ScsiManagerUnit.h"
#include "support/RecordingWindow.h"
#include "support/ScriptedDevice.h"
#include "support/TempDir.h"

namespace pellamy::test {
namespace {

namespace fs = std::filesystem;

struct RipFixture : ::testing::Test {
  ScriptedDevice device;
  RecordingWindow window;
  TempDir temp;
  // The single pass, whose requests these tests follow one by one.
  void Burst() { RipSettings().Burst = true; }
  void TearDown() override { RipSettings() = TRipSettings{}; }

  std::string RipExpectingFailure(const std::string& dir, int p) {
    TCDRipperManager manager(dir, 'E');
    try {
      manager.RipTrack(p);
    } catch (const Exception& e) {
      return e.what();
    }
    return "";
  }
};

void ExpectAudioOfSectors(const std::vector<std::uint8_t>& file, std::int32_t first, std::size_t sectors) {
  ASSERT_EQ(file.size(), 48 + sectors * 2352);
  for (std::size_t k = 0; k < sectors; ++k) {
    const std::size_t base = 48 + k * 2352;
    for (std::size_t i : {std::size_t{0}, std::size_t{1}, std::size_t{1000}, std::size_t{2351}})
      ASSERT_EQ(file[base + i], ScriptedByte(first + static_cast<std::int32_t>(k), i)) << "sector " << k;
  }
}

TEST_F(RipFixture, ThreeMinuteTrackFromTwoSecondsHasEveryOneOfItsSectors) {
  device.SetToc(1, 2, {{0, 2, 0}, {3, 2, 0}, {5, 0, 0}});
  Burst();
  TCDRipperManager manager(temp.Dir(), 'E');
  manager.RipTrack(1);
  auto file = ReadWholeFile(temp.Path() / "track 1.wav");
  ASSERT_EQ(file.size(), 31752048u);
  EXPECT_EQ(Le32(file, 4), 31752040u);
  EXPECT_EQ(Le32(file, 40 + 4), 31752000u);
  ExpectAudioOfSectors(file, 0, 13500);
  ASSERT_EQ(device.requests.size(), 1039u);
  for (std::size_t k = 0; k < 1038; ++k) ASSERT_EQ(device.requests[k].SectorCount, 13u);
  EXPECT_EQ(device.requests.back().SectorCount, 6u);
  EXPECT_EQ(device.requests.back().DiskOffset, 13494 * 2048);
  EXPECT_TRUE(window.Messages().empty());
  EXPECT_EQ(device.tocReads, 1);
}

TEST_F(RipFixture, HeaderFieldsOfTheWavFile) {
  std::uint8_t h[48];
  BuildWavHeader(2352, h);
  const std::uint8_t expected[48] = {'R', 'I', 'F', 'F', 0x58, 0x09, 0, 0, 'W',  'A',  'V', 'E', 'f',  'm',  't',  ' ',
                                     20,  0,   0,   0,   1,    0,    2, 0, 0x44, 0xAC, 0,   0,   0x10, 0xB1, 0x02, 0,
                                     4,   0,   16,  0,   0,    0,    0, 0, 'd',  'a',  't', 'a', 0x30, 0x09, 0,    0};
  EXPECT_EQ(std::memcmp(h, expected, 48), 0);
}

TEST_F(RipFixture, SectorCountsAtChunkBoundariesAndOneSectorTracks) {
  // Track 1: 26 sectors (two full reads); track 2: one sector; track 3: 14.
  device.SetToc(1, 3, {{0, 2, 0}, {0, 2, 26}, {0, 2, 27}, {0, 2, 41}});
  Burst();
  TCDRipperManager manager(temp.Dir(), 'E');
  manager.RipTrack(1);
  manager.RipTrack(2);
  manager.RipTrack(3);
  ExpectAudioOfSectors(ReadWholeFile(temp.Path() / "track 1.wav"), 0, 26);
  ExpectAudioOfSectors(ReadWholeFile(temp.Path() / "track 2.wav"), 26, 1);
  ExpectAudioOfSectors(ReadWholeFile(temp.Path() / "track 3.wav"), 27, 14);
  std::vector<std::uint32_t> counts;
  for (auto& r : device.requests) counts.push_back(r.SectorCount);
  EXPECT_EQ(counts, (std::vector<std::uint32_t>{13, 13, 1, 13, 1}));
}

TEST_F(RipFixture, FileNamesAreAppendedToTheDirectoryAsTyped) {
  device.SetToc(1, 1, {{0, 2, 0}, {0, 2, 5}});
  const std::string bare = (temp.Path() / "music").string();  // no final delimiter
  TCDRipperManager manager(bare, 'E');
  manager.RipTrack(1);
  EXPECT_TRUE(fs::is_directory(temp.Path() / "music"));
  EXPECT_TRUE(fs::exists(temp.Path() / "musictrack 1.wav"));

  // Missing parents are created.
  TCDRipperManager nested(temp.Dir() + "a/b/c/", 'E');
  nested.RipTrack(1);
  EXPECT_TRUE(fs::exists(temp.Path() / "a/b/c/track 1.wav"));
}

TEST_F(RipFixture, ExistingFileIsReplaced) {
  device.SetToc(1, 1, {{0, 2, 0}, {0, 2, 2}});
  {
    std::ofstream old(temp.Path() / "track 1.wav", std::ios::binary);
    old << std::string(100000, 'x');
  }
  TCDRipperManager manager(temp.Dir(), 'E');
  manager.RipTrack(1);
  ExpectAudioOfSectors(ReadWholeFile(temp.Path() / "track 1.wav"), 0, 2);
}

TEST_F(RipFixture, FailedReadIsWrittenAsSilenceAndTheTrackGoesOn) {
  // In both read modes: no message box, the chunk reported as suspicious.
  for (bool burst : {true, false}) {
    SCOPED_TRACE(burst);
    RipSettings().Burst = burst;
    device.SetToc(1, 1, {{0, 2, 0}, {0, 2, 40}});
    device.failAt[15] = 23;
    TCDRipperManager manager(temp.Dir(), 'E');
    manager.RipTrack(1);
    auto file = ReadWholeFile(temp.Path() / "track 1.wav");
    ASSERT_EQ(file.size(), 48u + 40 * 2352);
    EXPECT_EQ(Le32(file, 44), 40u * 2352);
    // A burst loses the request's 13 sectors; secure reading reads its
    // other sectors one by one and loses only sector 15.
    const std::size_t from = burst ? 13 : 15, to = burst ? 26 : 16;
    for (std::size_t i = 48 + from * 2352; i < 48 + to * 2352; ++i) ASSERT_EQ(file[i], 0) << i;
    EXPECT_EQ(file[48 + to * 2352 + 7], ScriptedByte(std::int32_t(to), 7)) << "audio after the gap keeps its place";
    EXPECT_EQ(file[48 + (from - 1) * 2352 + 9], ScriptedByte(std::int32_t(from - 1), 9));
    EXPECT_TRUE(window.Messages().empty());
    ASSERT_EQ(manager.Rips().size(), 1u);
    EXPECT_EQ(manager.Rips()[0].Report.Suspicious, std::vector<std::int32_t>{std::int32_t(from)});
    EXPECT_EQ(manager.Rips()[0].Report.RereadChunks, burst ? 0 : 1);
  }
}

TEST_F(RipFixture, UnreadableOrInconsistentTocReadsAndWritesNothing) {
  device.tocFails = true;
  EXPECT_EQ(RipExpectingFailure(temp.Dir(), 1), "Cannot read the table of contents");
  device.tocFails = false;
  device.SetToc(1, 2, {{0, 2, 0}, {1, 0, 0}, {2, 0, 0}});
  EXPECT_EQ(RipExpectingFailure(temp.Dir(), 3), "Invalid track positions");
  device.SetToc(1, 2, {{0, 2, 0}, {0, 1, 0}, {2, 0, 0}});  // track 2 starts before track 1
  EXPECT_EQ(RipExpectingFailure(temp.Dir(), 1), "Invalid track positions");
  device.SetToc(0, 0, {});  // the all-zero record
  EXPECT_EQ(RipExpectingFailure(temp.Dir(), 1), "Invalid track positions");
  EXPECT_TRUE(device.requests.empty());
  EXPECT_TRUE(fs::is_empty(temp.Path()));
}

TEST_F(RipFixture, DirectoryAndFileFailures) {
  device.SetToc(1, 1, {{0, 2, 0}, {0, 2, 2}});
  EXPECT_EQ(RipExpectingFailure("", 1), "Unable to create directory");
  fs::create_directory(temp.Path() / "track 1.wav");  // a directory in the file's way
  EXPECT_EQ(RipExpectingFailure(temp.Dir(), 1), "Cannot create file " + temp.Dir() + "track 1.wav");
  EXPECT_TRUE(device.requests.empty());
}

TEST_F(RipFixture, Mp3OutputLeavesOnlyTheMp3File) {
  device.SetToc(1, 2, {{0, 2, 0}, {0, 4, 0}, {0, 6, 0}});
  window.SetOutputType(0);
  TCDRipperManager manager(temp.Dir(), 'E');
  manager.RipTrack(2);
  EXPECT_FALSE(fs::exists(temp.Path() / "track 2.wav"));
  ASSERT_TRUE(fs::exists(temp.Path() / "track 2.mp3"));
  auto mp3 = ReadWholeFile(temp.Path() / "track 2.mp3");
  ASSERT_GT(mp3.size(), 16000u);  // two seconds at 128 kbit/s
  const std::size_t frame = FirstMp3Frame(mp3);
  EXPECT_GT(frame, 0u) << "tagged";
  ASSERT_GT(mp3.size(), frame + 2);
  EXPECT_EQ(mp3[frame], 0xFF);
  EXPECT_EQ(mp3[frame + 1] & 0xE0, 0xE0);
}

BeErr RefuseInit(EncoderConfig*, std::uint32_t*, std::uint32_t*, BeStream*) {
  return kBeErrInvalidFormat;
}

TEST_F(RipFixture, RefusedEncoderKeepsTheWavFileAndMakesNoMp3) {
  device.SetToc(1, 1, {{0, 2, 0}, {0, 2, 30}});
  window.SetOutputType(0);
  TEncoderFunctions refusing = EncoderFunctions();
  refusing.InitStream = &RefuseInit;
  SetEncoderFunctions(&refusing);
  TCDRipperManager manager(temp.Dir(), 'E');
  manager.RipTrack(1);
  SetEncoderFunctions(nullptr);
  ExpectAudioOfSectors(ReadWholeFile(temp.Path() / "track 1.wav"), 0, 30);
  EXPECT_FALSE(fs::exists(temp.Path() / "track 1.mp3"));
  EXPECT_TRUE(window.Messages().empty());
}

TEST_F(RipFixture, ClosingWindowStopsAtTheNextChunkAndRemovesTheUnfinishedFile) {
  device.SetToc(1, 1, {{0, 2, 0}, {0, 12, 0}});
  Burst();
  TCDRipperManager manager(temp.Dir(), 'E');
  device.failAt[13 * 3] = 5;
  window.onClosingAsked = [&] {
    if (device.requests.size() == 4) window.SetClosing(true);
  };
  EXPECT_THROW(manager.RipTrack(1), EAbort);
  EXPECT_EQ(device.requests.size(), 4u) << "no read after the window began to close";
  EXPECT_FALSE(fs::exists(temp.Path() / "track 1.wav"));
}

}  // namespace
}  // namespace pellamy::test
