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
#include "ripper/CueSheet.h"

namespace pellamy {
namespace {

namespace fs = std::filesystem;
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
  const std::string sheets[] = {
      // A byte order mark, CR LF endings, lower case, tabs, ignored commands.
      "\xEF\xBB\xBF"
      "rem COMMENT \"x\"\r\nCATALOG 0000000000000\r\nfile \"disc.bin\" binary\r\n"
      "\ttrack 01 audio\r\n\t\tflags DCP\r\n\t\tisrc ABCDE1234567\r\n\t\tpregap 00:02:00\r\n"
      "\t\tindex 01 00:00:00\r\n\r\n\ttrack 02 audio\r\n\t\tindex 01 00:02:00\r\n\t\tpostgap 00:01:00\r\n",
      // Lone CR endings and no final line end.
      "FILE disc.bin BINARY\rTRACK 01 AUDIO\rINDEX 01 00:00:00\rTRACK 02 AUDIO\rINDEX 01 00:02:00",
      // Single-digit fields.
      "FILE disc.bin BINARY\nTRACK 1 AUDIO\nINDEX 1 0:0:0\nTRACK 2 AUDIO\nINDEX 1 0:2:0\n",
  };
  for (const std::string& sheet : sheets) {
    SCOPED_TRACE(sheet);
    std::unique_ptr<TVirtualDisc> disc = Load(sheet);
    EXPECT_EQ(Starts(disc->Toc()), (std::vector<std::int32_t>{0, 150, 200}));
  }
}

TEST_F(CueSheetTest, AFirstTrackMayStartAfterAHiddenPregap) {
  const std::vector<std::uint8_t> bin = WriteBin("disc.bin", 100, 5);
  std::unique_ptr<TVirtualDisc> disc = Load("FILE disc.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:30\n");
  EXPECT_EQ(Starts(disc->Toc()), (std::vector<std::int32_t>{30, 100}));
  EXPECT_EQ(Read(*disc, 0, 30), Slice(bin, 0, 30)) << "the pregap is still readable";
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
      {"data track", "FILE good.bin BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n", 2, "data track"},
      {"data track later", head + "TRACK 02 MODE2/2352\n", 4, "data track"},
      {"unknown track type", "FILE good.bin BINARY\nTRACK 01 VIDEO\n", 2, "VIDEO"},
      {"wave file", "FILE \"a.wav\" WAVE\n", 1, "WAVE"},
      {"mp3 file", "FILE a.mp3 MP3\n", 1, "MP3"},
      {"big-endian file", "FILE good.bin MOTOROLA\n", 1, "MOTOROLA"},
      {"missing file", "REM\nFILE \"nothere.bin\" BINARY\n", 2, "nothere.bin"},
      {"partial sector", "FILE odd.bin BINARY\n", 1, "2352"},
      {"empty name", "FILE \"\" BINARY\n", 1, "empty"},
      {"no INDEX 01 before the next track", head + "TRACK 02 AUDIO\nINDEX 00 00:01:00\nTRACK 03 AUDIO\n", 6,
       "INDEX 01 expected before TRACK 03"},
      {"no INDEX 01 at the end", head + "TRACK 02 AUDIO\nINDEX 00 00:01:00\n\n", 4, "TRACK 02 has no INDEX 01"},
      {"track number repeated", head + "TRACK 01 AUDIO\n", 4, "TRACK 01 follows TRACK 01"},
      {"track number skipped", head + "TRACK 03 AUDIO\n", 4, "TRACK 03 follows TRACK 01"},
      {"track numbers going down", "FILE good.bin BINARY\nTRACK 02 AUDIO\n", 2, "TRACK 02"},
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
      {"counting CR lines", "REM\rREM\r\rFOO\r", 4, "FOO"},
  };
  for (const TBadSheet& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string error = Error(c.sheet);
    EXPECT_EQ(error.rfind("cue sheet bad.cue, line " + std::to_string(c.line) + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
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

}  // namespace
}  // namespace pellamy
