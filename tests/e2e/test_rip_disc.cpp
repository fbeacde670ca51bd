// The whole demo disc ripped as a user would, checked with ffmpeg and the
// flac tools: the WAV files hold exactly the disc's sectors, each MP3 is a
// valid 128 kbit/s joint-stereo MPEG-1 Layer III stream whose decoded audio
// matches its track, and each FLAC file decodes to exactly its track.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "ripper/RipperThread.h"
#include "ripper/VirtualCdDeviceIo.h"
#include "support/RecordingWindow.h"
#include "support/TempDir.h"

namespace pellamy::test {
namespace {

namespace fs = std::filesystem;

// Measured on the demo disc: 20.2 dB (the noise track) to 26.0 dB.
constexpr double kSnrFloorDb = 17.0;

std::string Capture(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

std::vector<std::int16_t> DecodeMp3(const fs::path& mp3) {
  const std::string raw = Capture("ffmpeg -v error -i '" + mp3.string() + "' -f s16le -acodec pcm_s16le -");
  std::vector<std::int16_t> samples(raw.size() / 2);
  std::memcpy(samples.data(), raw.data(), samples.size() * 2);
  return samples;
}

// Signal-to-noise ratio in dB of decoded against source (interleaved
// stereo), after finding the decoder's delay. A steady tone correlates at
// every period, so the best few lags of a short probe are tried on the whole
// track and the one with the least error wins.
double SnrDb(const std::vector<std::int16_t>& source, const std::vector<std::int16_t>& decoded, int* delayFrames) {
  const std::size_t probe = std::min<std::size_t>(source.size(), 2 * 44100);
  std::vector<std::pair<double, int>> lags;
  for (int d = 0; d < 3000 && probe + d * 2 <= decoded.size(); ++d) {
    double dot = 0;
    for (std::size_t i = 0; i < probe; ++i) dot += double(source[i]) * decoded[i + d * 2];
    lags.emplace_back(dot, d);
  }
  std::sort(lags.rbegin(), lags.rend());
  double bestSignal = 0, bestNoise = -1;
  for (std::size_t k = 0; k < std::min<std::size_t>(lags.size(), 12); ++k) {
    const int d = lags[k].second;
    double signal = 0, noise = 0;
    for (std::size_t i = 0; i < source.size() && i + d * 2 < decoded.size(); ++i) {
      const double v = source[i], e = v - decoded[i + d * 2];
      signal += v * v, noise += e * e;
    }
    if (bestNoise < 0 || noise < bestNoise) bestSignal = signal, bestNoise = noise, *delayFrames = d;
  }
  if (bestSignal == 0) return bestNoise == 0 ? 99 : -99;
  return 10 * std::log10(bestSignal / std::max(bestNoise, 1.0));
}

struct DemoDiscRip : ::testing::Test {
  TempDir temp;
  RecordingWindow window;
  VirtualCdDeviceIo drive{'D', MakeDemoDisc(), nullptr};
  std::unique_ptr<TVirtualDisc> reference = MakeDemoDisc();
  CdromToc toc{};
  void SetUp() override {
    SetDeviceIo(&drive);
    TCDRipperManager lister("", 'D');
    lister.ReadToc(toc);
    lister.FillTrackList();
    std::vector<int> all;
    for (int i = 0; i < window.RowCount(); ++i) all.push_back(i);
    window.SetRows(window.RowCount(), all);
  }
  void TearDown() override { SetDeviceIo(nullptr); }
  std::vector<std::uint8_t> TrackBytes(int p) {
    const std::int32_t s = TocStartSector(toc.TrackData[p - 1]), e = TocStartSector(toc.TrackData[p]);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(e - s) * 2352);
    EXPECT_TRUE(reference->ReadSectors(s, static_cast<std::uint32_t>(e - s), bytes.data()));
    return bytes;
  }
  void RipAll(int outputType) {
    window.SetOutputType(outputType);
    ASSERT_TRUE(TCdRipperThread::Launch(temp.Dir(), window, 'D'));
    TCdRipperThread::WaitForAll();
    ASSERT_EQ(window.Statuses().back(), "Ripping completed!");
  }
};

TEST_F(DemoDiscRip, WavFilesAreByteIdenticalToTheDisc) {
  RipAll(1);
  const int tracks = window.RowCount();
  ASSERT_GE(tracks, 5);
  for (int p = 1; p <= tracks; ++p) {
    auto wav = ReadWholeFile(temp.Path() / ("track " + std::to_string(p) + ".wav"));
    auto disc = TrackBytes(p);
    ASSERT_EQ(wav.size(), disc.size() + 48);
    EXPECT_EQ(Le32(wav, 44), disc.size());
    EXPECT_TRUE(std::equal(disc.begin(), disc.end(), wav.begin() + 48)) << "track " << p;
  }
}

TEST_F(DemoDiscRip, Mp3FilesDecodeToTheirTracks) {
  RipAll(0);
  const int tracks = window.RowCount();
  for (int p = 1; p <= tracks; ++p) {
    const fs::path mp3 = temp.Path() / ("track " + std::to_string(p) + ".mp3");
    ASSERT_TRUE(fs::exists(mp3));
    EXPECT_FALSE(fs::exists(temp.Path() / ("track " + std::to_string(p) + ".wav")));
    const std::string probe = Capture(
        "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,bit_rate "
        "-of default=nw=1 '" +
        mp3.string() + "'");
    EXPECT_NE(probe.find("codec_name=mp3"), std::string::npos) << probe;
    EXPECT_NE(probe.find("sample_rate=44100"), std::string::npos) << probe;
    EXPECT_NE(probe.find("channels=2"), std::string::npos) << probe;
    EXPECT_NE(probe.find("bit_rate=128000"), std::string::npos) << probe;
    // The demo disc has no names: each file is tagged with its number.
    const std::string tags =
        Capture("ffprobe -v error -show_entries format_tags -of default=nw=1 '" + mp3.string() + "'");
    EXPECT_NE(tags.find("TAG:title=Track " + std::to_string(p) + "\n"), std::string::npos) << tags;
    EXPECT_NE(tags.find("TAG:track=" + std::to_string(p) + "/" + std::to_string(tracks) + "\n"), std::string::npos)
        << tags;
    auto bytes = ReadWholeFile(mp3);
    const std::size_t frame = FirstMp3Frame(bytes);
    ASSERT_GE(bytes.size(), frame + 4);
    EXPECT_EQ(bytes[frame + 1] & 0xFE, 0xFA) << "MPEG-1 Layer III";
    EXPECT_EQ(bytes[frame + 3] >> 6, 1) << "joint stereo";

    auto disc = TrackBytes(p);
    std::vector<std::int16_t> source(disc.size() / 2);
    std::memcpy(source.data(), disc.data(), disc.size());
    auto decoded = DecodeMp3(mp3);
    const long long sourceFrames = static_cast<long long>(source.size() / 2);
    const long long decodedFrames = static_cast<long long>(decoded.size() / 2);
    // The encoder's delay and the padding of the last frame: within two
    // frames of the track's length.
    EXPECT_GE(decodedFrames, sourceFrames);
    EXPECT_LE(decodedFrames, sourceFrames + 2 * 1152) << "track " << p;
    int delay = 0;
    const double snr = SnrDb(source, decoded, &delay);
    std::printf("track %d: %lld frames, decoded %lld, delay %d, SNR %.1f dB\n", p, sourceFrames, decodedFrames, delay,
                snr);
    EXPECT_GT(snr, kSnrFloorDb) << "track " << p;
  }
}

// The reference decoder (Debian's flac 1.4.2) gives back the track's bytes;
// its test mode checks every frame's CRC and the stored MD5, which the FLAC
// format (RFC 9639, STREAMINFO) defines as the MD5 of the interleaved
// little-endian samples, so it must equal md5sum of the track's bytes.
TEST_F(DemoDiscRip, FlacFilesDecodeToExactlyTheirTracks) {
  RipAll(2);
  const int tracks = window.RowCount();
  for (int p = 1; p <= tracks; ++p) {
    SCOPED_TRACE("track " + std::to_string(p));
    const std::string flac = (temp.Path() / ("track " + std::to_string(p) + ".flac")).string();
    ASSERT_TRUE(fs::exists(flac));
    EXPECT_FALSE(fs::exists(temp.Path() / ("track " + std::to_string(p) + ".part")));
    const auto disc = TrackBytes(p);
    const std::string raw = Capture("flac -s -d -c --force-raw-format --endian=little --sign=signed '" + flac + "'");
    EXPECT_TRUE(raw.size() == disc.size() && std::memcmp(raw.data(), disc.data(), disc.size()) == 0);
    EXPECT_EQ(Capture("flac -s -t '" + flac + "' 2>&1; echo $?"), "0\n");
    const fs::path source = temp.Path() / "source.raw";
    std::ofstream(source, std::ios::binary)
        .write(reinterpret_cast<const char*>(disc.data()), std::streamsize(disc.size()));
    EXPECT_EQ(Capture("metaflac --show-md5sum '" + flac + "'").substr(0, 32),
              Capture("md5sum '" + source.string() + "'").substr(0, 32));
    const std::string tags = Capture("metaflac --export-tags-to=- '" + flac + "'");
    EXPECT_NE(tags.find("TITLE=Track " + std::to_string(p) + "\n"), std::string::npos) << tags;
    EXPECT_NE(tags.find("TRACKNUMBER=" + std::to_string(p) + "\nTRACKTOTAL=" + std::to_string(tracks) + "\n"),
              std::string::npos)
        << tags;
    EXPECT_NE(tags.find("MUSICBRAINZ_DISCID="), std::string::npos) << tags;
    EXPECT_NE(Capture("metaflac --list --block-type=SEEKTABLE '" + flac + "'").find("seek points:"), std::string::npos);
  }
}

}  // namespace
}  // namespace pellamy::test
