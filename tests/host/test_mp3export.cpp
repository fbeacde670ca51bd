// The encoder loop against a fake encoder: configuration record, chunking,
// progress, and each failure with or without the stream closed.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/Exceptions.h"
#include "ripper/MP3export.h"
#include "support/RecordingWindow.h"
#include "support/TempDir.h"

namespace pellamy::test {
namespace {

struct FakeEncoder {
  std::uint32_t samples = 1000;
  std::uint32_t outputSize = 64;
  BeErr initResult = 0, deinitResult = 0;
  int failChunk = -1;  // 0-based chunk whose encoding fails
  std::vector<std::string> calls;
  std::vector<std::uint32_t> chunkValues;
  std::vector<std::uint8_t> fed;
  EncoderConfig config{};
};
FakeEncoder* gFake = nullptr;

BeErr FakeInit(EncoderConfig* c, std::uint32_t* samples, std::uint32_t* size, BeStream* stream) {
  gFake->calls.push_back("init");
  gFake->config = *c;
  *samples = gFake->samples;
  *size = gFake->outputSize;
  *stream = 42;
  return gFake->initResult;
}
BeErr FakeEncode(BeStream stream, std::uint32_t n, std::int16_t* in, std::uint8_t* out, std::uint32_t* bytes) {
  EXPECT_EQ(stream, 42u);
  gFake->calls.push_back("chunk");
  gFake->chunkValues.push_back(n);
  auto* b = reinterpret_cast<std::uint8_t*>(in);
  gFake->fed.insert(gFake->fed.end(), b, b + n * 2);
  if (static_cast<int>(gFake->chunkValues.size()) - 1 == gFake->failChunk) return 1;
  out[0] = 'M', out[1] = static_cast<std::uint8_t>(n);
  *bytes = 2;
  return 0;
}
BeErr FakeDeinit(BeStream, std::uint8_t* out, std::uint32_t* bytes) {
  gFake->calls.push_back("deinit");
  out[0] = 'E';
  *bytes = 1;
  return gFake->deinitResult;
}
BeErr FakeClose(BeStream) {
  gFake->calls.push_back("close");
  return 0;
}
const TEncoderFunctions kFake{&FakeInit, &FakeEncode, &FakeDeinit, &FakeClose};

struct EncodeFixture : ::testing::Test {
  FakeEncoder fake;
  RecordingWindow window;
  TempDir temp;
  void SetUp() override {
    gFake = &fake;
    SetEncoderFunctions(&kFake);
  }
  void TearDown() override {
    SetEncoderFunctions(nullptr);
    gFake = nullptr;
  }
  std::string MakeWav(std::size_t audioBytes) {
    std::string name = temp.Dir() + "in.wav";
    std::ofstream f(name, std::ios::binary);
    for (std::size_t i = 0; i < 48 + audioBytes; ++i) f.put(static_cast<char>(i < 48 ? 'H' : i * 13 % 251));
    return name;
  }
  std::string Encode(std::size_t audioBytes) {
    std::string wav = MakeWav(audioBytes), mp3 = temp.Dir() + "out.mp3";
    try {
      ConvertWavToMp3(wav, mp3);
    } catch (const Exception& e) {
      return e.what();
    }
    return "";
  }
  std::vector<std::string> Calls(std::initializer_list<std::pair<const char*, int>> runs) {
    std::vector<std::string> v;
    for (auto [name, count] : runs) v.insert(v.end(), count, name);
    return v;
  }
};

TEST(EncoderConfigRecord, ByteForByte) {
  EncoderConfig c = MakeEncoderConfig();
  std::uint8_t expected[331] = {};
  auto put = [&](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) expected[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put(0, 256), put(4, 1), put(8, 331), put(12, 44100), put(20, 1), put(24, 128), put(32, 4), put(36, 1);
  put(60, 0xFFFFFFFF), put(64, 0xFFFFFFFF), put(84, 0xFFFFFFFF);
  EXPECT_EQ(std::memcmp(&c, expected, 331), 0);
}

TEST(Progress, RoundsHalvesToEvenWithoutOverflow) {
  EXPECT_EQ(ProgressPercent(64, 256), 25);
  EXPECT_EQ(ProgressPercent(1, 200), 0);       // 0.5 -> 0
  EXPECT_EQ(ProgressPercent(3, 200), 2);       // 1.5 -> 2
  EXPECT_EQ(ProgressPercent(5, 200), 2);       // 2.5 -> 2
  EXPECT_EQ(ProgressPercent(199, 200), 100);   // 99.5 -> 100
  EXPECT_EQ(ProgressPercent(1989, 2000), 99);  // 99.45
  const std::uint64_t huge = UINT64_MAX - 1;
  EXPECT_EQ(ProgressPercent(huge / 2, huge), 50);
  EXPECT_EQ(ProgressPercent(huge, huge), 100);
}

TEST_F(EncodeFixture, EncodesTheAudioInChunksOfTheAskedSize) {
  // 5 full chunks of 2000 bytes and a last one of 500.
  EXPECT_EQ(Encode(10500), "");
  EXPECT_EQ(fake.calls, Calls({{"init", 1}, {"chunk", 6}, {"deinit", 1}, {"close", 1}}));
  EXPECT_EQ(fake.chunkValues, (std::vector<std::uint32_t>{1000, 1000, 1000, 1000, 1000, 250}));
  ASSERT_EQ(fake.fed.size(), 10500u);
  EXPECT_EQ(fake.fed[0], static_cast<std::uint8_t>(48 * 13 % 251)) << "the header is not encoded";
  EncoderConfig sent = MakeEncoderConfig();
  EXPECT_EQ(std::memcmp(&fake.config, &sent, sizeof(sent)), 0);
  auto out = ReadWholeFile(temp.Path() / "out.mp3");
  EXPECT_EQ(out.size(), 6u * 2 + 1);
  EXPECT_EQ(out.back(), 'E');
  EXPECT_TRUE(window.Progress().empty()) << "fewer than 64 chunks never move the bar";
}

TEST_F(EncodeFixture, ExactMultipleEndsWithAFullChunkAndHeaderOnlyFileOnlyFlushes) {
  EXPECT_EQ(Encode(6000), "");
  EXPECT_EQ(fake.chunkValues, (std::vector<std::uint32_t>{1000, 1000, 1000}));
  fake = FakeEncoder{};
  EXPECT_EQ(Encode(0), "");
  EXPECT_EQ(fake.calls, Calls({{"init", 1}, {"deinit", 1}, {"close", 1}}));
}

TEST_F(EncodeFixture, ProgressEverySixtyFourChunks) {
  fake.samples = 10;  // 20-byte chunks
  EXPECT_EQ(Encode(256 * 20), "");
  EXPECT_EQ(window.Progress(), (std::vector<int>{25, 50, 75, 100}));
  fake = FakeEncoder{};
  fake.samples = 10;
  EXPECT_EQ(Encode(200 * 20 + 7), "");  // 201 chunks: updates at 64, 128, 192
  EXPECT_EQ(window.Progress(), (std::vector<int>{25, 50, 75, 100, 32, 64, 96}));
}

TEST_F(EncodeFixture, FailuresAndWhetherTheStreamIsClosed) {
  fake.failChunk = 2;
  EXPECT_EQ(Encode(10000), "error encoding...");
  EXPECT_EQ(fake.calls, Calls({{"init", 1}, {"chunk", 3}, {"close", 1}}));
  EXPECT_EQ(ReadWholeFile(temp.Path() / "out.mp3").size(), 4u) << "what was written stays";

  fake = FakeEncoder{};
  fake.deinitResult = 3;
  EXPECT_EQ(Encode(100), "Error Deinit");
  EXPECT_EQ(fake.calls, Calls({{"init", 1}, {"chunk", 1}, {"deinit", 1}, {"close", 1}}));

  fake = FakeEncoder{};
  fake.initResult = 2;
  EXPECT_EQ(Encode(100), "");
  EXPECT_EQ(fake.calls, Calls({{"init", 1}}));
  EXPECT_FALSE(std::filesystem::exists(temp.Path() / "out.mp3")) << "no empty MP3 is left";
}

TEST_F(EncodeFixture, UnwritableMp3AndMissingWav) {
  TFile wav(MakeWav(100), TFile::Mode::OpenRead);
  TFile closed;
  try {
    EncodeMp3(wav, closed);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Error writing mp3");
  }
  EXPECT_EQ(fake.calls, Calls({{"init", 1}, {"chunk", 1}})) << "a failed write leaves the stream open";

  fake = FakeEncoder{};
  TFile noWav;
  TFile noMp3;
  try {
    EncodeMp3(noWav, noMp3);  // no audio, and the flush cannot be written
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Error writing mp3");
  }
  EXPECT_EQ(fake.calls, Calls({{"init", 1}, {"deinit", 1}}));
}

TEST_F(EncodeFixture, ClosingWindowStopsTheEncodingAndRemovesTheMp3) {
  fake.samples = 10;
  window.SetClosing(true);
  std::string wav = MakeWav(1000), mp3 = temp.Dir() + "out.mp3";
  EXPECT_THROW(ConvertWavToMp3(wav, mp3), EAbort);
  EXPECT_FALSE(std::filesystem::exists(mp3));
  EXPECT_TRUE(std::filesystem::exists(wav));
  EXPECT_EQ(fake.calls, Calls({{"init", 1}, {"close", 1}}));
}

}  // namespace
}  // namespace pellamy::test
