// A whole rip under Wine: the virtual drive beside the real ones, the worker,
// the Win32 file layer and the encoder DLL.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>

#include "ripper/DriveScan.h"
#include "ripper/RipperThread.h"
#include "ripper/VirtualCdDeviceIo.h"
#include "support/RecordingWindow.h"
#include "support/TempDir.h"

namespace pellamy::test {
namespace {

std::vector<std::uint8_t> ReadAll(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct RipUnderWineFixture : ::testing::Test {
  std::unique_ptr<VirtualCdDeviceIo> drive;
  char letter = 0;
  std::string dir;
  void SetUp() override {
    letter = FirstFreeDriveLetter();
    ASSERT_NE(letter, 0);
    drive = std::make_unique<VirtualCdDeviceIo>(letter, MakeDemoDisc(), &PlatformDeviceIo());
    SetDeviceIo(drive.get());
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dir = std::string(temp) + "pellamy rip " + std::to_string(GetCurrentProcessId()) + "\\";
  }
  void TearDown() override {
    SetDeviceIo(nullptr);
    for (const char* name : {"track 1.wav", "track 2.wav", "track 3.mp3", "track 3.wav"})
      DeleteFileA((dir + name).c_str());
    RemoveDirectoryA(dir.c_str());
  }
};

using RipUnderWine = RipUnderWineFixture;

TEST_F(RipUnderWine, VirtualDriveIsFoundBesideTheRealOnes) {
  const auto drives = ScanCdDrives();
  bool found = false;
  for (const TCdDrive& d : drives) {
    if (d.Letter != letter) continue;
    found = true;
    EXPECT_EQ(d.Description, std::string(1, letter) + ":  PELLAMY  VIRTUAL CD-ROM   1.0 ");
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(FirstFreeDriveLetter(), letter + 1);
  EXPECT_EQ(CurrentDeviceIo().DriveTypeOf("C:\\"), DriveType::Fixed) << "other letters reach the real system";
}

// Every frame header of an MP3 stream: MPEG-1 Layer III, 128 kbit/s,
// 44.1 kHz, joint stereo. Returns the frame count, or -1 at a bad header.
int CountFrames(const std::vector<std::uint8_t>& mp3) {
  std::size_t at = FirstMp3Frame(mp3);
  const std::size_t end = Mp3FramesEnd(mp3);
  int frames = 0;
  while (at + 4 <= end) {
    const std::uint8_t* h = &mp3[at];
    if (h[0] != 0xFF || (h[1] & 0xFE) != 0xFA) return -1;       // sync, MPEG-1, Layer III
    if ((h[2] >> 4) != 9 || ((h[2] >> 2) & 3) != 0) return -1;  // 128 kbit/s, 44100 Hz
    if ((h[3] >> 6) != 1) return -1;                            // joint stereo
    at += 144 * 128000 / 44100 + ((h[2] >> 1) & 1);
    ++frames;
  }
  return at == end ? frames : -1;
}

TEST_F(RipUnderWine, WavFilesHoldTheDiscSectorsAndMp3FilesAreValid) {
  RecordingWindow window;
  CdromToc toc{};
  {
    TCDRipperManager lister("", letter);
    lister.ReadToc(toc);
    lister.FillTrackList();
  }
  ASSERT_GE(window.RowCount(), 5);
  window.SetTicked(0, true);
  window.SetTicked(1, true);
  ASSERT_TRUE(TCdRipperThread::Launch(dir, window, letter));
  TCdRipperThread::WaitForAll();
  ASSERT_EQ(window.Statuses().back(), "Ripping completed!");

  auto reference = MakeDemoDisc();
  for (int p : {1, 2}) {
    const std::int32_t s = TocStartSector(toc.TrackData[p - 1]);
    const std::int32_t e = TocStartSector(toc.TrackData[p]) - 1;
    std::vector<std::uint8_t> expected(static_cast<std::size_t>(e - s + 1) * 2352);
    ASSERT_TRUE(reference->ReadSectors(s, static_cast<std::uint32_t>(e - s + 1), expected.data()));
    auto wav = ReadAll(dir + "track " + std::to_string(p) + ".wav");
    ASSERT_EQ(wav.size(), 48 + expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), wav.begin() + 48)) << "track " << p;
  }

  window.SetTicked(0, false);
  window.SetTicked(1, false);
  window.SetTicked(2, true);
  window.SetOutputType(0);
  ASSERT_TRUE(TCdRipperThread::Launch(dir, window, letter));
  TCdRipperThread::WaitForAll();
  EXPECT_EQ(GetFileAttributesA((dir + "track 3.wav").c_str()), INVALID_FILE_ATTRIBUTES);
  auto mp3 = ReadAll(dir + "track 3.mp3");
  const int frames = CountFrames(mp3);
  const std::int32_t sectors = TocStartSector(toc.TrackData[3]) - TocStartSector(toc.TrackData[2]);
  const int expectedFrames = sectors * 588 / 1152;
  EXPECT_GE(frames, expectedFrames);
  EXPECT_LE(frames, expectedFrames + 3);
  EXPECT_FALSE(window.Progress().empty());
  EXPECT_TRUE(window.Messages().empty());
}

TEST_F(RipUnderWine, FailedReadsAreReportedInTheLogAndRippedAsSilence) {
  RecordingWindow window;
  drive->FailReadsAt(100, 23);
  window.SetRows(1, {0});
  ASSERT_TRUE(TCdRipperThread::Launch(dir, window, letter));
  TCdRipperThread::WaitForAll();
  // Reported in the status line and the log, not in a message box; only the
  // failing sector is silence, its neighbours read one by one.
  EXPECT_TRUE(window.Messages().empty());
  EXPECT_EQ(window.Statuses().back(), kStatusCompletedWithErrors);
  EXPECT_EQ(TCdRipperThread::LastErrorTracks(), std::vector<int>{1});
  auto wav = ReadAll(dir + "track 1.wav");
  const std::size_t gap = 48 + 100 * 2352;
  ASSERT_GT(wav.size(), gap + 2352);
  EXPECT_TRUE(std::all_of(wav.begin() + gap, wav.begin() + gap + 2352, [](std::uint8_t b) { return b == 0; }));
  EXPECT_FALSE(std::all_of(wav.begin() + gap - 2352, wav.begin() + gap, [](std::uint8_t b) { return b == 0; }));
}

}  // namespace
}  // namespace pellamy::test
