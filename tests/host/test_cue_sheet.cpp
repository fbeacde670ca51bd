// Cue sheet images: layouts that load, sheets that are refused with the line
// named, and input that must not bring the loader down.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/Exceptions.h"
#include "base/Utf8Path.h"
#include "ripper/CueSheet.h"
#include "ripper/ScsiManagerUnit.h"
#include "ripper/VirtualCdDeviceIo.h"
#include "ripper/VirtualDisc.h"
#include "support/WaveFile.h"

namespace pellamy {
namespace {

namespace fs = std::filesystem;
using test::SampleBytes;
using test::TWaveForm;
using test::WaveBytes;
constexpr int kSector = kRawSectorBytes;

class CueSheetTest : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / ("pellamy-cue-" + std::to_string(std::random_device{}()) + "-" +
                                        info->test_suite_name() + "-" + info->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // count sectors whose bytes depend on seed, sector and position.
  std::vector<std::uint8_t> WriteBin(const std::string& name, int count, int seed) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * kSector);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      bytes[i] = static_cast<std::uint8_t>((i / kSector) * 31 + i * 7 + static_cast<std::size_t>(seed) * 101);
    }
    WriteFile(name, std::string(bytes.begin(), bytes.end()));
    return bytes;
  }
  std::string WriteFile(const std::string& name, const std::string& text) {
    const fs::path path = dir_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
  std::unique_ptr<TVirtualDisc> Load(const std::string& sheet, const std::string& name = "image.cue") {
    return LoadCueImage(WriteFile(name, sheet));
  }
  // The message of the exception loading sheet throws.
  std::string Error(const std::string& sheet) {
    try {
      Load(sheet, "bad.cue");
    } catch (const Exception& e) {
      return e.Message();
    }
    return "(loaded)";
  }

  fs::path dir_;
};

std::vector<std::int32_t> Starts(const CdromToc& toc) {
  std::vector<std::int32_t> starts;
  for (int i = 0; i <= toc.LastTrack; ++i) starts.push_back(TocStartSector(toc.TrackData[i]));
  return starts;
}

std::vector<std::uint8_t> Read(TVirtualDisc& disc, std::int32_t first, std::uint32_t count) {
  std::vector<std::uint8_t> data(static_cast<std::size_t>(count) * kSector);
  EXPECT_TRUE(disc.ReadSectors(first, count, data.data())) << first << " + " << count;
  return data;
}

std::vector<std::uint8_t> Joined(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::int32_t first, std::int32_t count) {
  return {bytes.begin() + first * kSector, bytes.begin() + (first + count) * kSector};
}

// ---------------------------------------------------------------------------
// Sheets that load

TEST_F(CueSheetTest, SeveralTracksInOneFile) {
  const std::vector<std::uint8_t> bin = WriteBin("my album.bin", 300, 1);
  std::unique_ptr<TVirtualDisc> disc = Load(
      "REM GENRE Test\n"
      "PERFORMER \"Someone\"\n"
      "TITLE \"An Album\"\n"
      "FILE \"my album.bin\" BINARY\n"
      "  TRACK 01 AUDIO\n"
      "    TITLE \"One\"\n"
      "    INDEX 01 00:00:00\n"
      "  TRACK 02 AUDIO\n"
      "    INDEX 00 00:01:20\n"
      "    INDEX 01 00:01:30\n"
      "  TRACK 03 AUDIO\n"
      "    INDEX 01 00:03:00\n"
      "    INDEX 02 00:03:10\n");
  const CdromToc& toc = disc->Toc();
  EXPECT_EQ(toc.FirstTrack, 1);
  EXPECT_EQ(toc.LastTrack, 3);
  EXPECT_EQ(Starts(toc), (std::vector<std::int32_t>{0, 105, 225, 300}));
  EXPECT_EQ(toc.TrackData[3].TrackNumber, 0xAA);
  EXPECT_EQ(toc.TrackData[1].ControlAdr, 0x10);
  EXPECT_EQ(disc->LeadOutSector(), 300);

  EXPECT_EQ(Read(*disc, 0, 300), bin);
  EXPECT_EQ(Read(*disc, 100, 10), Slice(bin, 100, 10));
  EXPECT_EQ(Read(*disc, 299, 1), Slice(bin, 299, 1));
  std::vector<std::uint8_t> out(2 * kSector);
  EXPECT_FALSE(disc->ReadSectors(299, 2, out.data()));
  EXPECT_FALSE(disc->ReadSectors(-1, 1, out.data()));
  EXPECT_FALSE(disc->ReadSectors(0, 0xFFFFFFFFu, out.data()));
}

TEST_F(CueSheetTest, SeveralFilesFollowOneAnother) {
  const std::vector<std::uint8_t> a = WriteBin("a.bin", 120, 1);
  const std::vector<std::uint8_t> b = WriteBin("b.bin", 80, 2);
  const std::vector<std::uint8_t> c = WriteBin("c.bin", 50, 3);
  std::unique_ptr<TVirtualDisc> disc = Load(
      "FILE a.bin BINARY\n"
      "TRACK 01 AUDIO\n"
      "INDEX 01 00:00:00\n"
      "TRACK 02 AUDIO\n"
      "INDEX 01 00:01:00\n"
      "TRACK 03 AUDIO\n"
      "INDEX 00 00:01:40\n"  // the pause before track 3 is the end of a.bin
      "FILE b.bin BINARY\n"
      "INDEX 01 00:00:00\n"
      "TRACK 04 AUDIO\n"
      "INDEX 01 00:00:40\n"
      "FILE c.bin BINARY\n"
      "TRACK 05 AUDIO\n"
      "INDEX 01 00:00:10\n");
  EXPECT_EQ(Starts(disc->Toc()), (std::vector<std::int32_t>{0, 75, 120, 160, 210, 250}));
  std::vector<std::uint8_t> all = a;
  all.insert(all.end(), b.begin(), b.end());
  all.insert(all.end(), c.begin(), c.end());
  EXPECT_EQ(Read(*disc, 0, 250), all);
  EXPECT_EQ(Read(*disc, 115, 100), Slice(all, 115, 100)) << "a read spanning all three files";
  EXPECT_EQ(Read(*disc, 200, 1), Slice(c, 0, 1));
}

TEST_F(CueSheetTest, AcceptsTheVariedSpellingsOfRealSheets) {
  const std::vector<std::uint8_t> bin = WriteBin("disc.bin", 200, 4);
  const struct {
    std::string sheet;
    std::vector<std::int32_t> starts;
  } cases[] = {
      // A byte order mark, CR LF endings, lower case, tabs, ignored commands;
      // the gaps are silence the file does not hold.
      {"\xEF\xBB\xBF"
       "rem COMMENT \"x\"\r\nCATALOG 0000000000000\r\nfile \"disc.bin\" binary\r\n"
       "\ttrack 01 audio\r\n\t\tflags DCP\r\n\t\tisrc ABCDE1234567\r\n\t\tpregap 00:02:00\r\n"
       "\t\tindex 01 00:00:00\r\n\r\n\ttrack 02 audio\r\n\t\tindex 01 00:02:00\r\n\t\tpostgap 00:01:00\r\n",
       {150, 300, 425}},
      // Lone CR endings and no final line end.
      {"FILE disc.bin BINARY\rTRACK 01 AUDIO\rINDEX 01 00:00:00\rTRACK 02 AUDIO\rINDEX 01 00:02:00", {0, 150, 200}},
      // Single-digit fields.
      {"FILE disc.bin BINARY\nTRACK 1 AUDIO\nINDEX 1 0:0:0\nTRACK 2 AUDIO\nINDEX 1 0:2:0\n", {0, 150, 200}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sheet);
    std::unique_ptr<TVirtualDisc> disc = Load(c.sheet);
    EXPECT_EQ(Starts(disc->Toc()), c.starts);
  }
}

TEST_F(CueSheetTest, AFirstTrackMayStartAfterAHiddenPregap) {
  const std::vector<std::uint8_t> bin = WriteBin("disc.bin", 100, 5);
  std::unique_ptr<TVirtualDisc> disc = Load("FILE disc.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:30\n");
  EXPECT_EQ(Starts(disc->Toc()), (std::vector<std::int32_t>{30, 100}));
  EXPECT_EQ(Read(*disc, 0, 30), Slice(bin, 0, 30)) << "the pregap is still readable";
}

TEST_F(CueSheetTest, GapsAreSilenceThatShiftsEveryLaterPosition) {
  const std::vector<std::uint8_t> one = WriteBin("one.bin", 100, 11);
  const std::vector<std::uint8_t> two = WriteBin("two.bin", 80, 12);
  const std::vector<std::uint8_t> three = WriteBin("three.bin", 60, 13);
  std::unique_ptr<TVirtualDisc> disc = Load(
      "FILE \"one.bin\" BINARY\n"
      "  TRACK 01 AUDIO\n"
      "    INDEX 01 00:00:00\n"
      "    POSTGAP 00:00:10\n"
      "FILE \"two.bin\" BINARY\n"
      "  TRACK 02 AUDIO\n"
      "    PREGAP 00:00:20\n"
      "    INDEX 01 00:00:00\n"
      "FILE \"three.bin\" BINARY\n"
      "  TRACK 03 AUDIO\n"
      "    INDEX 00 00:00:00\n"  // a gap the file holds
      "    INDEX 01 00:00:15\n"
      "    POSTGAP 00:00:05\n");
  // one.bin, 10 + 20 sectors of silence, two.bin, three.bin, 5 of silence.
  EXPECT_EQ(Starts(disc->Toc()), (std::vector<std::int32_t>{0, 130, 225, 275}));
  EXPECT_EQ(disc->LeadOutSector(), 275);
  std::vector<std::uint8_t> all = one;
  all.resize(all.size() + 30 * kSector, 0);
  all.insert(all.end(), two.begin(), two.end());
  all.insert(all.end(), three.begin(), three.end());
  all.resize(all.size() + 5 * kSector, 0);
  EXPECT_EQ(Read(*disc, 0, 275), all);
  EXPECT_EQ(Read(*disc, 95, 40), Slice(all, 95, 40)) << "a read across file, gaps and file";
  EXPECT_EQ(Read(*disc, 272, 3), std::vector<std::uint8_t>(3 * kSector, 0));
}

TEST_F(CueSheetTest, DataTracksAreMarkedAndReadRaw) {
  // An enhanced CD: audio, then a data track after its own pregap; the
  // audio track's postgap comes first. Both gaps are silence.
  const std::vector<std::uint8_t> audio = WriteBin("audio.bin", 200, 15);
  const std::vector<std::uint8_t> data = WriteBin("data.bin", 60, 16);
  std::unique_ptr<TVirtualDisc> disc = Load(
      "FILE audio.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n"
      "POSTGAP 00:00:04\nFILE data.bin BINARY\nTRACK 03 MODE1/2352\nPREGAP 00:00:30\nINDEX 01 00:00:00\n");
  const CdromToc& toc = disc->Toc();
  EXPECT_EQ(Starts(toc), (std::vector<std::int32_t>{0, 75, 234, 294}));
  EXPECT_FALSE(TocIsDataTrack(toc.TrackData[0]));
  EXPECT_FALSE(TocIsDataTrack(toc.TrackData[1]));
  EXPECT_TRUE(TocIsDataTrack(toc.TrackData[2]));
  EXPECT_EQ(toc.TrackData[2].ControlAdr, 0x14);
  EXPECT_EQ(Read(*disc, 0, 200), audio);
  EXPECT_EQ(Read(*disc, 234, 60), data) << "raw sectors as the file holds them";
  EXPECT_EQ(Read(*disc, 200, 34), std::vector<std::uint8_t>(34 * kSector, 0));

  // MODE2/2352 reads as stored.
  std::unique_ptr<TVirtualDisc> mode2 = Load(
      "FILE audio.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE data.bin BINARY\nTRACK 02 MODE2/2352\n"
      "INDEX 01 00:00:00\nPOSTGAP 00:00:02\n");
  EXPECT_TRUE(TocIsDataTrack(mode2->Toc().TrackData[1]));
  EXPECT_EQ(mode2->LeadOutSector(), 262);
  EXPECT_EQ(Read(*mode2, 200, 62), Joined({data, std::vector<std::uint8_t>(2 * kSector, 0)}));
}

TEST_F(CueSheetTest, UserDataSectorsAreFramedAsTheDiscHoldsThem) {
  // A MODE1/2048 track and an audio track in one file: positions count
  // sectors of each track's own size.
  std::string file;
  for (int i = 0; i < 50 * 2048; ++i) file += static_cast<char>(i * 13 + i / 2048);
  const std::vector<std::uint8_t> audio = WriteBin("audio.bin", 40, 17);
  file.append(audio.begin(), audio.end());
  WriteFile("mixed.bin", file);
  std::unique_ptr<TVirtualDisc> disc = Load(
      "FILE mixed.bin BINARY\nTRACK 01 MODE1/2048\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nPREGAP 00:00:05\n"
      "INDEX 01 00:00:50\n");
  EXPECT_EQ(Starts(disc->Toc()), (std::vector<std::int32_t>{0, 55, 95}));
  EXPECT_TRUE(TocIsDataTrack(disc->Toc().TrackData[0]));
  EXPECT_EQ(Read(*disc, 55, 40), audio);
  const std::vector<std::uint8_t> data = Read(*disc, 0, 50);
  for (int i = 0; i < 50; i += 7) {
    SCOPED_TRACE(i);
    std::vector<std::uint8_t> expected(kSector, 0);
    std::copy(file.begin() + i * 2048, file.begin() + (i + 1) * 2048, expected.begin() + 16);
    FrameMode1Sector(i, expected.data());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), data.begin() + i * kSector));
  }
  std::vector<std::uint8_t> across = Read(*disc, 49, 7);
  EXPECT_TRUE(std::equal(across.begin(), across.begin() + kSector, data.begin() + 49 * kSector));
  EXPECT_EQ(std::count(across.begin() + kSector, across.begin() + 6 * kSector, 0), 5 * kSector) << "audio pregap";
  EXPECT_TRUE(std::equal(audio.begin(), audio.begin() + kSector, across.begin() + 6 * kSector));
}

TEST_F(CueSheetTest, AWaveImageIsTheSamplesOfItsDataChunk) {
  // 250 sectors and a bit: the last sector is filled up with silence.
  const std::vector<std::uint8_t> samples = SampleBytes(250 * kSector + 1000, 1);
  std::vector<std::uint8_t> expected(samples.begin(), samples.begin() + 200 * kSector);
  expected.resize(expected.size() + 30 * kSector, 0);  // the pregap of track 3
  expected.insert(expected.end(), samples.begin() + 200 * kSector, samples.end());
  expected.resize(281 * kSector, 0);
  const std::string sheet =
      "FILE \"My Album.wav\" WAVE\n"
      "  TRACK 01 AUDIO\n"
      "    INDEX 01 00:00:00\n"
      "  TRACK 02 AUDIO\n"
      "    INDEX 00 00:01:00\n"
      "    INDEX 01 00:01:20\n"
      "  TRACK 03 AUDIO\n"
      "    PREGAP 00:00:30\n"
      "    INDEX 01 00:02:50\n";
  TWaveForm plain, around, extensible, streamed;
  around.ChunksAround = true;
  extensible.Extensible = true;
  streamed.Streamed = true;
  for (const TWaveForm& form : {plain, around, extensible, streamed}) {
    SCOPED_TRACE(std::to_string(form.ChunksAround) + std::to_string(form.Extensible) + std::to_string(form.Streamed));
    WriteFile("My Album.wav", WaveBytes(samples, form));
    std::unique_ptr<TVirtualDisc> disc = Load(sheet);
    EXPECT_EQ(Starts(disc->Toc()), (std::vector<std::int32_t>{0, 95, 230, 281}));
    EXPECT_EQ(Read(*disc, 0, 281), expected);
    EXPECT_EQ(Read(*disc, 280, 1), Slice(expected, 280, 1)) << "the short last sector alone";
  }
}

TEST_F(CueSheetTest, OneWaveFilePerTrackWithTheirGapsWhereverTheSheetPutsThem) {
  const std::vector<std::uint8_t> one = SampleBytes(100 * kSector, 2);
  const std::vector<std::uint8_t> two = SampleBytes(80 * kSector, 3);
  const std::vector<std::uint8_t> three = SampleBytes(60 * kSector, 4);
  WriteFile("01 - Opening Song.wav", WaveBytes(one));
  WriteFile("02 - Second Song.wav", WaveBytes(two));
  WriteFile("03 - Last One.wav", WaveBytes(three));
  std::unique_ptr<TVirtualDisc> disc = Load(
      "REM COMMENT \"made by hand\"\r\n"
      "FILE \"01 - Opening Song.wav\" WAVE\r\n"
      "  TRACK 01 AUDIO\r\n"
      "    INDEX 01 00:00:00\r\n"
      "FILE \"02 - Second Song.wav\" WAVE\r\n"
      "  TRACK 02 AUDIO\r\n"
      "    INDEX 00 00:00:00\r\n"
      "    INDEX 01 00:00:10\r\n"
      "  TRACK 03 AUDIO\r\n"
      "    INDEX 00 00:01:00\r\n"  // the gap at the end of the file before
      "FILE \"03 - Last One.wav\" WAVE\r\n"
      "    INDEX 01 00:00:00\r\n");
  EXPECT_EQ(Starts(disc->Toc()), (std::vector<std::int32_t>{0, 110, 180, 240}));
  std::vector<std::uint8_t> all = one;
  all.insert(all.end(), two.begin(), two.end());
  all.insert(all.end(), three.begin(), three.end());
  EXPECT_EQ(Read(*disc, 0, 240), all);
}

TEST_F(CueSheetTest, BigEndianFilesAreSwappedAndFileTypesMix) {
  const std::vector<std::uint8_t> little = WriteBin("little.bin", 40, 5);
  const std::vector<std::uint8_t> samples = SampleBytes(30 * kSector, 6);
  std::string big(samples.begin(), samples.end());
  for (std::size_t i = 0; i < big.size(); i += 2) std::swap(big[i], big[i + 1]);
  WriteFile("big.bin", big);
  const std::vector<std::uint8_t> wave = SampleBytes(20 * kSector, 7);
  WriteFile("wave.wav", WaveBytes(wave));
  std::unique_ptr<TVirtualDisc> disc = Load(
      "FILE little.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
      "FILE big.bin MOTOROLA\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n"
      "FILE wave.wav WAVE\nTRACK 03 AUDIO\nINDEX 01 00:00:00\n");
  EXPECT_EQ(Starts(disc->Toc()), (std::vector<std::int32_t>{0, 40, 70, 90}));
  EXPECT_EQ(Read(*disc, 0, 40), little);
  EXPECT_EQ(Read(*disc, 40, 30), samples) << "the samples in the drive's byte order";
  EXPECT_EQ(Read(*disc, 41, 3), Slice(samples, 1, 3));
  EXPECT_EQ(Read(*disc, 70, 20), wave);
}

TEST_F(CueSheetTest, FileNamesAreRelativeToTheSheet) {
  const std::vector<std::uint8_t> bin = WriteBin("sheets/audio/take one.bin", 10, 6);
  const std::string cue =
      WriteFile("sheets/image.cue", "FILE \"audio/take one.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
  const fs::path before = fs::current_path();
  fs::current_path(fs::temp_directory_path());
  std::unique_ptr<TVirtualDisc> disc;
  EXPECT_NO_THROW(disc = LoadCueImage(cue));
  fs::current_path(before);
  ASSERT_TRUE(disc);
  EXPECT_EQ(Read(*disc, 0, 10), bin);
  if (fs::path::preferred_separator == '/') {
    // A sheet written on Windows.
    EXPECT_NO_THROW(Load("FILE \"audio\\take one.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "sheets/win.cue"));
  }
}

// Folders and files named in any script; a sheet written by an older program
// in a Windows code page names the same file.
TEST_F(CueSheetTest, NamesInAnyScriptAndSheetsInAWindowsCodePage) {
  const std::vector<std::uint8_t> bin = WriteBin("Музыка 音楽/Música.bin", 10, 8);
  for (const std::string name : {"Música.bin", "M\xFAsica.bin"}) {
    std::unique_ptr<TVirtualDisc> disc;
    EXPECT_NO_THROW(
        disc = Load("FILE \"" + name + "\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "Музыка 音楽/disc.cue"));
    if (disc) {
      EXPECT_EQ(Read(*disc, 0, 10), bin) << name;
    }
  }
}

// What a sheet names, for the disc and each track, as the disc's CD-Text.
TEST_F(CueSheetTest, NamesForTheDiscAndItsTracks) {
  WriteBin("disc.bin", 20, 9);
  const std::string sheet =
      "REM GENRE Jazz\nCATALOG 0724356789012\nTITLE \"Caf\xE9 Nights\"\nPERFORMER \"The Trio\"\n"
      "FILE \"disc.bin\" BINARY\n"
      "TRACK 01 AUDIO\n TITLE \"First\"\n PERFORMER \"Guest\"\n SONGWRITER Someone\n INDEX 01 00:00:00\n"
      "TRACK 02 AUDIO\n TITLE Second\n ISRC USXX19800001\n INDEX 01 00:00:10\n";
  const std::unique_ptr<TVirtualDisc> disc = Load(sheet);
  const TCdText& text = disc->CdText();
  EXPECT_EQ(text.Genre, "Jazz");
  EXPECT_EQ(text.Track(0), (TTrackText{"Caf\u00e9 Nights", "The Trio", "", "", "", "", "0724356789012"}));
  EXPECT_EQ(text.Track(1), (TTrackText{"First", "Guest", "Someone", "", "", "", ""}));
  EXPECT_EQ(text.Track(2), (TTrackText{"Second", "", "", "", "", "", "USXX19800001"}));
  EXPECT_TRUE(Load("FILE \"disc.bin\" BINARY\nTRACK 01 AUDIO\nTITLE\nINDEX 01 00:00:00\n")->CdText().Empty())
      << "a TITLE without its text is passed over";

  // The virtual drive answers for it as a pressed disc would; the program's
  // parser reads the same names back, and the track list shows them.
  const TCdText expected = disc->CdText();
  VirtualCdDeviceIo drive('E', Load(sheet, "named.cue"), &PlatformDeviceIo());
  const DeviceHandle device = drive.Open(DevicePath('E'));
  std::vector<std::uint8_t> answer;
  ASSERT_TRUE(drive.ReadCdText(device, answer));
  EXPECT_EQ(ParseCdText(answer.data(), answer.size()), expected);
  EXPECT_EQ(TrackComment(expected, 1), "Guest \u2013 First");
  EXPECT_EQ(TrackComment(expected, 2), "Second");
  drive.Close(device);
}

TEST(Utf8Text, MalformedTextIsReadAsWindows1252) {
  const struct {
    std::string In, Out;
  } cases[] = {
      {"plain", "plain"},      {"Música 音楽 \xF0\x9F\x8E\xB5", "Música 音楽 \xF0\x9F\x8E\xB5"},  // kept
      {"M\xFAsica", "Música"}, {"\x80 \x9F", "€ Ÿ"},
      {"\xC0\x80", "À€"},       // overlong
      {"\xED\xA0\x80", "í €"},  // a surrogate
      {"\xE2\x82", "â‚"},       // cut short
  };
  for (const auto& c : cases) EXPECT_EQ(EightBitToUtf8(c.In), c.Out) << c.In;
}

TEST_F(CueSheetTest, NinetyNineTracksFitButNotAHundred) {
  WriteBin("disc.bin", 300, 7);
  std::string sheet = "FILE disc.bin BINARY\n";
  for (int t = 1; t <= 99; ++t) {
    sheet += "TRACK " + std::string(t < 10 ? "0" : "") + std::to_string(t) + " AUDIO\nINDEX 01 00:0" +
             std::to_string(t * 3 / 75) + ":" + std::to_string(t * 3 % 75) + "\n";
  }
  std::unique_ptr<TVirtualDisc> disc = Load(sheet);
  EXPECT_EQ(disc->Toc().LastTrack, 99);
  EXPECT_EQ(TocStartSector(disc->Toc().TrackData[98]), 297);
  const std::string error = Error(sheet + "TRACK 100 AUDIO\nINDEX 01 00:03:74\n");
  EXPECT_NE(error.find("line 200:"), std::string::npos) << error;
}

TEST_F(CueSheetTest, ReadsFromSeveralThreadsAtOnce) {
  const std::vector<std::uint8_t> a = WriteBin("a.bin", 200, 8);
  const std::vector<std::uint8_t> b = WriteBin("b.bin", 200, 9);
  std::unique_ptr<TVirtualDisc> disc = Load(
      "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE b.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n");
  std::vector<std::uint8_t> all = a;
  all.insert(all.end(), b.begin(), b.end());
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      std::vector<std::uint8_t> out(7 * kSector);
      for (int i = 0; i < 100; ++i) {
        const std::int32_t first = (t * 97 + i * 13) % (400 - 7);
        if (!disc->ReadSectors(first, 7, out.data()) || out != Slice(all, first, 7)) ++wrong;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong, 0);
}

TEST_F(CueSheetTest, AFileCutShortAfterLoadingFailsReadsCleanly) {
  WriteBin("disc.bin", 100, 10);
  std::unique_ptr<TVirtualDisc> disc = Load("FILE disc.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
  fs::resize_file(dir_ / "disc.bin", 50 * kSector);
  std::vector<std::uint8_t> out(10 * kSector);
  EXPECT_TRUE(disc->ReadSectors(40, 10, out.data()));
  EXPECT_FALSE(disc->ReadSectors(45, 10, out.data()));
  EXPECT_FALSE(disc->ReadSectors(90, 10, out.data()));
  EXPECT_TRUE(disc->ReadSectors(0, 10, out.data())) << "the stream recovers";
}

// ---------------------------------------------------------------------------
// Sheets that are refused

struct TBadSheet {
  const char* what;
  std::string sheet;
  int line;
  const char* says;
};

TEST_F(CueSheetTest, RefusesMalformedSheetsNamingTheLine) {
  WriteBin("good.bin", 300, 1);  // 4 seconds
  WriteFile("odd.bin", std::string(2352 * 3 + 1000, '\x11'));
  const std::string head = "FILE good.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n";
  const TBadSheet cases[] = {
      {"data track", "FILE good.bin BINARY\nTRACK 01 MODE2/2336\nINDEX 01 00:00:00\n", 2, "data track"},
      {"data track later", head + "TRACK 02 CDI/2352\n", 4, "data track"},
      {"CD+G track", head + "TRACK 02 CDG\n", 4, "CDG"},
      {"unknown track type", "FILE good.bin BINARY\nTRACK 01 VIDEO\n", 2, "VIDEO"},
      {"missing wave file", "FILE \"a.wav\" WAVE\n", 1, "cannot find file \"a.wav\""},
      {"mp3 file", "FILE a.mp3 MP3\n", 1, "file type MP3 is not supported; supported are BINARY, MOTOROLA and WAVE"},
      {"aiff file", "FILE a.aiff AIFF\n", 1, "AIFF"},
      {"data track in a big-endian file", "FILE good.bin MOTOROLA\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n", 3,
       "MODE1/2352 data track in the MOTOROLA file \"good.bin\"; data tracks must come from BINARY files"},
      {"missing file", "REM\nFILE \"nothere.bin\" BINARY\n", 2, "nothere.bin"},
      {"partial sector", "FILE odd.bin BINARY\n", 1, "2352"},
      {"empty name", "FILE \"\" BINARY\n", 1, "empty"},
      {"no INDEX 01 before the next track", head + "TRACK 02 AUDIO\nINDEX 00 00:01:00\nTRACK 03 AUDIO\n", 6,
       "INDEX 01 expected before TRACK 03"},
      {"no INDEX 01 at the end", head + "TRACK 02 AUDIO\nINDEX 00 00:01:00\n\n", 4, "TRACK 02 has no INDEX 01"},
      {"track number repeated", head + "TRACK 01 AUDIO\n", 4, "TRACK 01 follows TRACK 01"},
      {"track number skipped", head + "TRACK 03 AUDIO\n", 4, "TRACK 03 follows TRACK 01"},
      {"track numbers going down", head + "TRACK 02 AUDIO\nINDEX 01 00:01:00\nTRACK 01 AUDIO\n", 6,
       "TRACK 01 follows TRACK 02"},
      {"track number zero", "FILE good.bin BINARY\nTRACK 00 AUDIO\n", 2, "out of range"},
      {"track number 100", "FILE good.bin BINARY\nTRACK 100 AUDIO\n", 2, "out of range"},
      {"track number not a number", "FILE good.bin BINARY\nTRACK x1 AUDIO\n", 2, "x1"},
      {"position going backwards",
       "FILE good.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:02:00\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n", 5,
       "does not come after"},
      {"two tracks at one position", head + "TRACK 02 AUDIO\nINDEX 01 00:00:00\n", 5, "does not come after"},
      {"position past the file", head + "TRACK 02 AUDIO\nINDEX 01 00:04:00\n", 5, "beyond the end"},
      {"frame 75", head + "TRACK 02 AUDIO\nINDEX 01 00:01:75\n", 5, "frames must be below 75"},
      {"second 60", head + "TRACK 02 AUDIO\nINDEX 01 00:60:00\n", 5, "seconds must be below 60"},
      {"two fields", head + "TRACK 02 AUDIO\nINDEX 01 01:00\n", 5, "mm:ss:ff"},
      {"four fields", head + "TRACK 02 AUDIO\nINDEX 01 00:01:00:00\n", 5, "mm:ss:ff"},
      {"letters in a time", head + "TRACK 02 AUDIO\nINDEX 01 0a:01:00\n", 5, "mm:ss:ff"},
      {"empty field", head + "TRACK 02 AUDIO\nINDEX 01 00::00\n", 5, "mm:ss:ff"},
      {"signed field", head + "TRACK 02 AUDIO\nINDEX 01 00:+1:00\n", 5, "mm:ss:ff"},
      {"bad pregap", head + "PREGAP 00:02:99\n", 4, "frames must be below 75"},
      {"INDEX 01 twice", head + "INDEX 01 00:01:00\n", 4, "INDEX 01 follows INDEX 01"},
      {"INDEX 00 after INDEX 01", head + "INDEX 00 00:01:00\n", 4, "INDEX 00 follows INDEX 01"},
      {"INDEX 02 before INDEX 01", "FILE good.bin BINARY\nTRACK 01 AUDIO\nINDEX 02 00:00:00\n", 3, "before INDEX 01"},
      {"INDEX outside a track", "FILE good.bin BINARY\nINDEX 01 00:00:00\n", 2, "INDEX outside a TRACK"},
      {"TRACK before FILE", "REM x\nTRACK 01 AUDIO\n", 2, "FILE expected before TRACK 01"},
      {"unknown command", head + "\nDANCE now\n", 5, "unknown command \"DANCE\""},
      {"missing quote", "FILE \"good.bin BINARY\n", 1, "quote"},
      {"extra words", "FILE good.bin BINARY\nTRACK 01 AUDIO extra\n", 2, "extra"},
      {"missing type", "FILE good.bin BINARY\nTRACK 01\n", 2, "track type expected"},
      {"bare FILE", "FILE\n", 1, "file name expected"},
      {"bare INDEX", head + "INDEX\n", 4, "index number expected"},
      {"counting CR LF lines", "REM\r\nREM\r\n\r\nFOO\r\n", 4, "FOO"},
      // Gaps and the order of a track's lines.
      {"PREGAP after INDEX", "FILE good.bin BINARY\nTRACK 01 AUDIO\nINDEX 00 00:00:00\nPREGAP 00:02:00\n", 4,
       "PREGAP follows INDEX 00 of TRACK 01"},
      {"two PREGAPs", "FILE good.bin BINARY\nTRACK 01 AUDIO\nPREGAP 00:02:00\nPREGAP 00:01:00\n", 4,
       "PREGAP already, on line 3"},
      {"POSTGAP before INDEX 01", "FILE good.bin BINARY\nTRACK 01 AUDIO\nINDEX 00 00:00:00\nPOSTGAP 00:02:00\n", 4,
       "POSTGAP before INDEX 01 of TRACK 01"},
      {"INDEX after POSTGAP", head + "POSTGAP 00:01:00\nINDEX 02 00:02:00\n", 5, "follows the POSTGAP of TRACK 01"},
      {"two POSTGAPs", head + "POSTGAP 00:01:00\nPOSTGAP 00:01:00\n", 5, "POSTGAP already"},
      {"gap outside a track", "FILE good.bin BINARY\nPOSTGAP 00:01:00\n", 2, "POSTGAP outside a TRACK"},
      {"position behind an INDEX 02", head + "INDEX 02 00:02:00\nTRACK 02 AUDIO\nINDEX 00 00:01:00\n", 6,
       "INDEX 00 at 00:01:00 does not come after INDEX 02 of TRACK 01 at 00:02:00"},
      {"INDEX 00 past the file", head + "TRACK 02 AUDIO\nINDEX 00 00:04:00\n", 5,
       "lies beyond the end of file \"good.bin\", which ends at 00:04:00"},
      {"track after 99", "FILE good.bin BINARY\nTRACK 99 AUDIO\nINDEX 01 00:00:00\nTRACK 100 AUDIO\n", 4,
       "out of range"},
      {"a 2048-byte track over a file of raw sectors", "FILE odd.bin BINARY\nTRACK 01 MODE1/2048\nINDEX 01 00:00:00\n",
       1, "not a whole number of 2048-byte sectors"},
      {"the rest of a file after a change of mode",
       "FILE good.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 MODE1/2048\nINDEX 01 00:01:00\n", 1,
       "bytes of file \"good.bin\" from 00:01:00 on are not a whole number of 2048-byte sectors"},
      {"a gap too long for a disc", head + "POSTGAP 99:59:00\n", 4, "the image is longer than a CD"},
      {"counting CR lines", "REM\rREM\r\rFOO\r", 4, "FOO"},
  };
  for (const TBadSheet& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string error = Error(c.sheet);
    EXPECT_EQ(error.rfind("cue sheet bad.cue, line " + std::to_string(c.line) + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

TEST_F(CueSheetTest, RefusesWaveFilesThatDoNotHoldCdAudio) {
  const std::vector<std::uint8_t> samples = SampleBytes(10 * kSector, 8);
  auto form = [](int tag, int channels, std::uint32_t rate, int bits, int align, bool extensible = false) {
    TWaveForm f;
    f.Tag = tag, f.Channels = channels, f.Rate = rate, f.Bits = bits, f.Align = align, f.Extensible = extensible;
    return WaveBytes(std::vector<std::uint8_t>(4 * kSector, 1), f);
  };
  const std::string good = WaveBytes(samples);
  const std::string fmtChunk = good.substr(12, 24);
  const std::string dataChunk = good.substr(36);
  auto riff = [](const std::string& body) { return "RIFF" + std::string("\0\0\0\0", 4) + "WAVE" + body; };
  std::string cutShort = good.substr(0, good.size() - 100);
  std::string oddLength = riff(fmtChunk + test::Chunk("data", std::string(1001, '\1')));
  const struct {
    const char* what;
    std::string file;
    const char* says;
  } cases[] = {
      {"mono", form(1, 1, 44100, 16, 2),
       "holds 16-bit mono PCM at 44100 Hz; supported is 16-bit stereo PCM at 44100 Hz"},
      {"24-bit", form(1, 2, 44100, 24, 6), "holds 24-bit stereo PCM at 44100 Hz"},
      {"48 kHz", form(1, 2, 48000, 16, 4), "holds 16-bit stereo PCM at 48000 Hz"},
      {"float", form(3, 2, 44100, 32, 8), "holds 32-bit stereo floating-point at 44100 Hz"},
      {"extensible float", form(3, 2, 44100, 32, 8, true), "floating-point"},
      {"extensible 6 channels", form(1, 6, 44100, 16, 12, true), "16-bit 6-channel PCM"},
      {"mu-law", form(7, 2, 44100, 8, 2), "mu-law"},
      {"frames of the wrong size", form(1, 2, 44100, 16, 2), "with 2-byte frames"},
      {"text", "FILE x.bin BINARY\n", "is not a RIFF WAVE file; supported are RIFF WAVE files of 16-bit stereo PCM"},
      {"empty", "", "is not a RIFF WAVE file"},
      {"big-endian RIFX", "RIFX" + good.substr(4), "is a big-endian RIFX file"},
      {"AIFF", std::string("FORM\0\0\0\0AIFF", 12), "is an AIFF file"},
      {"no chunks", riff(""), "has no fmt chunk"},
      {"no data chunk", riff(fmtChunk + test::Chunk("LIST", "x")), "has no data chunk"},
      {"data before fmt", riff(dataChunk + fmtChunk), "has its data chunk before any fmt chunk"},
      {"short fmt chunk", riff(test::Chunk("fmt ", "12345678") + dataChunk), "damaged fmt chunk"},
      {"fmt chunk past the end", riff(fmtChunk.substr(0, 4) + std::string("\xF0\0\0\0", 4) + fmtChunk.substr(8)),
       "damaged fmt chunk"},
      {"a chunk passing the end", riff(fmtChunk + "LIST\xF0\xFF\xFF\xFF" + dataChunk), "has no data chunk"},
      {"cut short", cutShort, "is cut short: its data chunk says 23520 bytes, the file holds 23420"},
      {"odd length", oddLength, "1001 bytes of samples, not a whole number of 4-byte stereo sample frames"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile("x.wav", c.file);
    const std::string error = Error("REM\nFILE \"x.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
    EXPECT_EQ(error.rfind("cue sheet bad.cue, line 2: file \"x.wav\" ", 0), 0u) << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
  WriteFile("x.wav", good);
  EXPECT_NE(Error("FILE x.wav WAVE\nTRACK 01 MODE1/2048\nINDEX 01 00:00:00\n")
                .find("line 3: TRACK 01 is a MODE1/2048 data track in the WAVE file \"x.wav\""),
            std::string::npos);
  EXPECT_NE(Error("FILE x.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:00:10\n")
                .find("line 5: INDEX 01 at 00:00:10 lies beyond the end of file \"x.wav\", which ends at 00:00:10"),
            std::string::npos);
}

TEST_F(CueSheetTest, RefusesSheetsWithoutTracksOrSheetsThatAreMissing) {
  WriteBin("good.bin", 10, 1);
  for (const std::string& sheet :
       {std::string(), std::string("\xEF\xBB\xBF"), std::string("REM only\n"), std::string("FILE good.bin BINARY\n")}) {
    SCOPED_TRACE(sheet);
    EXPECT_NE(Error(sheet).find("no TRACK"), std::string::npos) << Error(sheet);
  }
  try {
    LoadCueImage((dir_ / "absent.cue").string());
    ADD_FAILURE() << "loaded a missing sheet";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find("absent.cue"), std::string::npos) << e.Message();
  }
  EXPECT_THROW(LoadCueImage(dir_.string()), Exception) << "a folder";
}

TEST_F(CueSheetTest, RefusesAnImageLongerThanADisc) {
  // 100 minutes of sectors as a sparse file.
  const fs::path big = dir_ / "big.bin";
  std::ofstream(big, std::ios::binary).put('\0');
  fs::resize_file(big, std::uintmax_t{100} * 4500 * kSector);
  const std::string error = Error("FILE big.bin BINARY\n");
  EXPECT_NE(error.find("line 1: the image is longer than a CD"), std::string::npos) << error;
}

// ---------------------------------------------------------------------------
// Hostile input

TEST_F(CueSheetTest, MessagesShowHostileTextTamely) {
  const std::string junk = "\x01\x02\x1b[2J" + std::string(5000, 'A') + "\x7f";
  const std::string error = Error(junk + " BINARY\n");
  EXPECT_LT(error.size(), 200u) << error;
  EXPECT_EQ(std::count_if(error.begin(), error.end(), [](char c) { return c >= 0 && c < 0x20; }), 0) << error;
  EXPECT_NE(error.find("line 1"), std::string::npos);
  // A name cut short keeps whole UTF-8 characters.
  std::string name = "x";
  for (int i = 0; i < 50; ++i) name += "\xC3\xA9";
  const std::string cut = Error("FILE \"" + name + "\" BINARY\n");
  const std::size_t start = cut.find('"') + 1;
  const std::string shown = cut.substr(start, cut.find("...", start) - start);
  EXPECT_EQ(shown.size() % 2, 1u) << cut;
}

TEST_F(CueSheetTest, RefusesAHugeSheet) {
  std::string sheet;
  while (sheet.size() <= (1u << 20)) sheet += "REM padding padding padding padding padding padding\n";
  EXPECT_NE(Error(sheet).find("too large"), std::string::npos);
}

TEST_F(CueSheetTest, SurvivesGarbageAndMutilatedSheets) {
  WriteBin("good.bin", 300, 1);
  const std::string good =
      "\xEF\xBB\xBFREM x\r\nFILE \"good.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 00 00:00:00\r\n"
      "    INDEX 01 00:00:10\r\n  TRACK 02 AUDIO\r\n    PREGAP 00:01:00\r\n    INDEX 01 00:02:00\r\n"
      "FILE good.bin BINARY\r\n  TRACK 03 AUDIO\r\n    INDEX 01 00:01:00\r\n";
  ASSERT_EQ(Load(good)->Toc().LastTrack, 3);
  std::mt19937 random(20240611);
  const std::string alphabet = std::string("FILETRACKINDEXAUDIOBINARY0123456789: \"\r\n\t\xff\xef\xbb\xbf") + '\0';
  int loaded = 0;
  for (int round = 0; round < 600; ++round) {
    std::string sheet;
    switch (round % 3) {
      case 0:  // random bytes
        sheet.resize(random() % 400);
        for (char& c : sheet) c = static_cast<char>(random());
        break;
      case 1:  // random words of the language
        for (int i = static_cast<int>(random() % 120); i > 0; --i) sheet += alphabet[random() % alphabet.size()];
        break;
      case 2:  // the good sheet, bytes changed, dropped or repeated
        sheet = good;
        for (int i = static_cast<int>(random() % 4) + 1; i > 0; --i) {
          const std::size_t at = random() % sheet.size();
          switch (random() % 3) {
            case 0:
              sheet[at] = static_cast<char>(random());
              break;
            case 1:
              sheet.erase(at, random() % 8 + 1);
              break;
            case 2:
              sheet.insert(at, sheet.substr(at, random() % 30));
              break;
          }
          if (sheet.empty()) sheet = "x";
        }
        break;
    }
    try {
      std::unique_ptr<TVirtualDisc> disc = Load(sheet, "fuzz.cue");
      ++loaded;
      // Whatever loaded must be a sane disc.
      const CdromToc& toc = disc->Toc();
      ASSERT_GE(toc.LastTrack, 1);
      ASSERT_LE(toc.LastTrack, 99);
      const std::int32_t leadOut = disc->LeadOutSector();
      ASSERT_EQ(TocStartSector(toc.TrackData[toc.LastTrack]), leadOut);
      std::vector<std::uint8_t> out(kSector);
      ASSERT_TRUE(disc->ReadSectors(leadOut - 1, 1, out.data()));
      ASSERT_FALSE(disc->ReadSectors(leadOut, 1, out.data()));
    } catch (const Exception& e) {
      ASSERT_NE(e.Message().find("fuzz.cue"), std::string::npos) << e.Message();
    }
  }
  EXPECT_GT(loaded, 0) << "some mutations leave a usable sheet";
}

TEST_F(CueSheetTest, SurvivesMutilatedWaveFiles) {
  TWaveForm form;
  form.ChunksAround = true;
  const std::string good = WaveBytes(SampleBytes(6 * kSector + 100, 9), form);
  const std::string sheet = "FILE x.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n";
  std::mt19937 random(20240612);
  int loaded = 0;
  for (int round = 0; round < 400; ++round) {
    std::string file = good;
    if (round % 4 == 0) {
      file.resize(random() % file.size());
    } else {
      // The header and chunk fields lie in the first hundred bytes.
      for (int i = static_cast<int>(random() % 4) + 1; i > 0; --i) file[random() % 100] = static_cast<char>(random());
    }
    WriteFile("x.wav", file);
    try {
      std::unique_ptr<TVirtualDisc> disc = Load(sheet, "fuzz.cue");
      ++loaded;
      const std::int32_t leadOut = disc->LeadOutSector();
      ASSERT_GE(leadOut, 1);
      std::vector<std::uint8_t> out(static_cast<std::size_t>(leadOut) * kSector);
      ASSERT_TRUE(disc->ReadSectors(0, static_cast<std::uint32_t>(leadOut), out.data()));
      ASSERT_FALSE(disc->ReadSectors(leadOut, 1, out.data()));
    } catch (const Exception& e) {
      ASSERT_NE(e.Message().find("fuzz.cue"), std::string::npos) << e.Message();
    }
  }
  EXPECT_GT(loaded, 0) << "changes to unread bytes leave a usable file";
}

}  // namespace
}  // namespace pellamy
