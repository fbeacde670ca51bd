// Disc images ripped through the engine on the virtual drive, as a user
// without a CD drive rips them: each track's WAV file holds exactly the
// samples its source files give it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "ripper/CueSheet.h"
#include "ripper/ScsiManagerUnit.h"
#include "ripper/VirtualCdDeviceIo.h"
#include "support/RecordingWindow.h"
#include "support/TempDir.h"
#include "support/WaveFile.h"

namespace pellamy::test {
namespace {

constexpr std::size_t kSector = kRawSectorBytes;

std::vector<std::uint8_t> Silence(std::size_t sectors) {
  return std::vector<std::uint8_t>(sectors * kSector, 0);
}

std::vector<std::uint8_t> Sectors(const std::vector<std::uint8_t>& bytes, std::size_t first, std::size_t count) {
  return {bytes.begin() + static_cast<std::ptrdiff_t>(first * kSector),
          bytes.begin() + static_cast<std::ptrdiff_t>((first + count) * kSector)};
}

std::vector<std::uint8_t> Joined(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct CueRip : ::testing::Test {
  TempDir temp;
  RecordingWindow window;
  std::unique_ptr<VirtualCdDeviceIo> drive;

  void TearDown() override { SetDeviceIo(nullptr); }

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(temp.Path() / name, std::ios::binary) << bytes;
  }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    Write(name, std::string(bytes.begin(), bytes.end()));
  }
  // Puts the image into drive D and lists its tracks as the main window does.
  void Insert(const std::string& sheet) {
    Write("image.cue", sheet);
    drive = std::make_unique<VirtualCdDeviceIo>('D', LoadCueImage((temp.Path() / "image.cue").string()), nullptr);
    SetDeviceIo(drive.get());
    TCDRipperManager lister("", 'D');
    CdromToc toc{};
    lister.ReadToc(toc);
    lister.FillTrackList();
  }
  // The audio of row p as the engine rips it.
  std::vector<std::uint8_t> Rip(int p) {
    TCDRipperManager manager(temp.Dir() + "out/", 'D');
    manager.RipTrack(p);
    std::vector<std::uint8_t> wav = ReadWholeFile(temp.Path() / "out" / ("track " + std::to_string(p) + ".wav"));
    EXPECT_GE(wav.size(), 48u);
    if (wav.size() < 48) return {};
    EXPECT_EQ(Le32(wav, 44), wav.size() - 48) << "the header tells the length";
    return {wav.begin() + 48, wav.end()};
  }
};

TEST_F(CueRip, AWaveImageWithGapsRipsSampleForSample) {
  // A disc kept as one WAV file: track 2 with its pause in the file, track 3
  // with a pregap only the sheet knows of, and a postgap at the end.
  const std::vector<std::uint8_t> samples = SampleBytes(600 * kSector, 1);
  TWaveForm form;
  form.ChunksAround = true;
  Write("Some Band - Their Album.wav", WaveBytes(samples, form));
  Insert(
      "PERFORMER \"Some Band\"\n"
      "TITLE \"Their Album\"\n"
      "FILE \"Some Band - Their Album.wav\" WAVE\n"
      "  TRACK 01 AUDIO\n"
      "    TITLE \"One\"\n"
      "    INDEX 01 00:00:00\n"
      "  TRACK 02 AUDIO\n"
      "    INDEX 00 00:02:00\n"
      "    INDEX 01 00:03:00\n"
      "  TRACK 03 AUDIO\n"
      "    PREGAP 00:01:00\n"
      "    INDEX 01 00:06:00\n"
      "    POSTGAP 00:02:00\n");
  const auto rows = window.Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::pair<std::string, std::string>{"Track 1", "0:03"}));
  EXPECT_EQ(rows[1], (std::pair<std::string, std::string>{"Track 2", "0:04"})) << "to the end of the pregap";
  EXPECT_EQ(rows[2], (std::pair<std::string, std::string>{"Track 3", "0:04"})) << "with its postgap";

  EXPECT_EQ(Rip(1), Sectors(samples, 0, 225)) << "up to the pause of track 2, which the file holds";
  EXPECT_EQ(Rip(2), Joined({Sectors(samples, 225, 225), Silence(75)}));
  EXPECT_EQ(Rip(3), Joined({Sectors(samples, 450, 150), Silence(150)}));
  EXPECT_TRUE(window.Messages().empty()) << "no failed reads";
}

TEST_F(CueRip, OneFilePerTrackNumberedFromFiveCrlf) {
  // Bin files of one track each, from a disc whose first track is 5.
  const std::vector<std::uint8_t> a = SampleBytes(150 * kSector, 2);
  const std::vector<std::uint8_t> b = SampleBytes(300 * kSector, 3);
  const std::vector<std::uint8_t> c = SampleBytes(226 * kSector, 4);
  Write("Track 05.bin", a);
  Write("Track 06.bin", b);
  Write("Track 07.bin", c);
  Insert(
      "FILE \"Track 05.bin\" BINARY\r\n"
      "  TRACK 05 AUDIO\r\n"
      "    INDEX 01 00:00:00\r\n"
      "FILE \"Track 06.bin\" BINARY\r\n"
      "  TRACK 06 AUDIO\r\n"
      "    INDEX 00 00:00:00\r\n"
      "    INDEX 01 00:01:00\r\n"
      "FILE \"Track 07.bin\" BINARY\r\n"
      "  TRACK 07 AUDIO\r\n"
      "    PREGAP 00:00:74\r\n"
      "    INDEX 01 00:00:00\r\n");
  // Each row shows its own track's time.
  const auto rows = window.Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::pair<std::string, std::string>{"Track 5", "0:03"}));
  EXPECT_EQ(rows[1], (std::pair<std::string, std::string>{"Track 6", "0:03"})) << "299 sectors";
  EXPECT_EQ(rows[2], (std::pair<std::string, std::string>{"Track 7", "0:04"})) << "226 sectors, from 0:08:74";

  EXPECT_EQ(Rip(1), Joined({a, Sectors(b, 0, 75)}));
  EXPECT_EQ(Rip(2), Joined({Sectors(b, 75, 225), Silence(74)}));
  EXPECT_EQ(Rip(3), c);
}

TEST_F(CueRip, TheAudioOfAnEnhancedCdRipsAsBefore) {
  const std::vector<std::uint8_t> audio = SampleBytes(400 * kSector, 5);
  Write("audio.wav", WaveBytes(audio));
  std::string data;
  for (int i = 0; i < 300 * 2048; ++i) data += static_cast<char>(i % 251);
  Write("data.iso", data);
  Insert(
      "FILE audio.wav WAVE\n"
      "TRACK 01 AUDIO\n"
      "INDEX 01 00:00:00\n"
      "TRACK 02 AUDIO\n"
      "INDEX 01 00:02:00\n"
      "FILE data.iso BINARY\n"
      "TRACK 03 MODE1/2048\n"
      "PREGAP 00:02:00\n"
      "INDEX 01 00:00:00\n");
  ASSERT_EQ(window.RowCount(), 3);
  CdromToc toc{};
  ASSERT_TRUE(drive->ReadToc(drive->Open("\\\\.\\D:"), toc));
  EXPECT_FALSE(TocIsDataTrack(toc.TrackData[1]));
  EXPECT_TRUE(TocIsDataTrack(toc.TrackData[2]));
  EXPECT_EQ(TocStartSector(toc.TrackData[2]), 550);

  EXPECT_EQ(Rip(1), Sectors(audio, 0, 150));
  EXPECT_EQ(Rip(2), Joined({Sectors(audio, 150, 250), Silence(150)})) << "the data track's pregap is silence";
  // The data track is listed as data and never written as audio.
  EXPECT_EQ(window.Rows()[2].second.substr(window.Rows()[2].second.size() - 4), "Data");
  TCDRipperManager manager(temp.Dir() + "out/", 'D');
  manager.RipTrack(3);
  EXPECT_FALSE(std::filesystem::exists(temp.Path() / "out" / "track 3.wav"));
  EXPECT_TRUE(manager.Rips().empty());
}

}  // namespace
}  // namespace pellamy::test
