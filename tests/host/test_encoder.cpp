// The encoder library through its four C functions: configuration checks,
// handle lifetime, and the MP3 stream it produces, parsed frame by frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "encoder/LameEnc.h"

namespace {

using pellamy::BeErr;
using pellamy::BeStream;
using pellamy::EncoderConfig;

constexpr std::uint32_t kRate = 44100;

EncoderConfig StandardConfig() {
  EncoderConfig c;
  std::memset(&c, 0, sizeof c);
  c.dwConfig = pellamy::kBeConfigLame;
  c.dwStructVersion = pellamy::kBeConfigVersion;
  c.dwStructSize = pellamy::kBeConfigSize;
  c.dwSampleRate = kRate;
  c.nMode = pellamy::kBeModeJointStereo;
  c.dwBitrate = 128;
  c.nPreset = 4;
  c.dwMpegVersion = 1;
  c.bOriginal = 1;
  c.bWriteVBRHeader = 1;  // must not lead to an information frame
  return c;
}

// Interleaved 16-bit stereo: a different tone in each channel.
std::vector<std::int16_t> Sine(std::size_t frames, double leftHz = 440.0, double rightHz = 660.0) {
  std::vector<std::int16_t> pcm(frames * 2);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    pcm[2 * i] = static_cast<std::int16_t>(std::lround(12000.0 * std::sin(2.0 * std::numbers::pi * leftHz * t)));
    pcm[2 * i + 1] = static_cast<std::int16_t>(std::lround(9000.0 * std::sin(2.0 * std::numbers::pi * rightHz * t)));
  }
  return pcm;
}

struct Opened {
  BeStream stream = 0;
  std::uint32_t samples = 0;
  std::uint32_t bufferSize = 0;
};

std::optional<Opened> Open(EncoderConfig c) {
  Opened o;
  if (beInitStream(&c, &o.samples, &o.bufferSize, &o.stream) != pellamy::kBeErrSuccessful) return std::nullopt;
  return o;
}

// Feeds `pcm` in chunks whose sizes (in 16-bit values) come from `chunkSize`,
// then flushes and closes. Returns the whole MP3 stream.
std::vector<std::uint8_t> EncodeAll(const EncoderConfig& c, const std::vector<std::int16_t>& pcm,
                                    const std::function<std::uint32_t(std::size_t)>& chunkSize = {}) {
  const auto o = Open(c);
  EXPECT_TRUE(o.has_value());
  if (!o) return {};
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> buf(o->bufferSize);
  std::size_t pos = 0;
  for (std::size_t call = 0; pos < pcm.size(); ++call) {
    std::uint32_t n = chunkSize ? chunkSize(call) : o->samples;
    n = static_cast<std::uint32_t>(std::min<std::size_t>(n, pcm.size() - pos));
    std::vector<std::int16_t> chunk(pcm.begin() + pos, pcm.begin() + pos + n);
    std::uint32_t bytes = 0;
    EXPECT_EQ(beEncodeChunk(o->stream, n, chunk.data(), buf.data(), &bytes), pellamy::kBeErrSuccessful);
    out.insert(out.end(), buf.begin(), buf.begin() + bytes);
    pos += n;
  }
  std::uint32_t bytes = 0;
  EXPECT_EQ(beDeinitStream(o->stream, buf.data(), &bytes), pellamy::kBeErrSuccessful);
  EXPECT_LE(bytes, o->bufferSize);
  out.insert(out.end(), buf.begin(), buf.begin() + bytes);
  EXPECT_EQ(beCloseStream(o->stream), pellamy::kBeErrSuccessful);
  return out;
}

struct FrameHeader {
  int version;  // 3 = MPEG-1
  int layer;    // 1 = Layer III
  bool crc;
  int bitrateKbps;
  int sampleRate;
  bool padding;
  bool privateBit;
  int mode;  // 0 stereo, 1 joint, 2 dual, 3 mono
  bool copyright;
  bool original;
  int emphasis;
  std::size_t length;
};

std::optional<FrameHeader> ParseHeader(const std::uint8_t* p) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return std::nullopt;
  static const int kMpeg1L3Kbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1};
  static const int kMpeg1Rates[4] = {44100, 48000, 32000, -1};
  FrameHeader h{};
  h.version = (p[1] >> 3) & 3;
  h.layer = (p[1] >> 1) & 3;
  h.crc = (p[1] & 1) == 0;
  if (h.version != 3 || h.layer != 1) return h;  // only MPEG-1 Layer III lengths are computed
  h.bitrateKbps = kMpeg1L3Kbps[p[2] >> 4];
  h.sampleRate = kMpeg1Rates[(p[2] >> 2) & 3];
  h.padding = (p[2] >> 1) & 1;
  h.privateBit = p[2] & 1;
  h.mode = p[3] >> 6;
  h.copyright = (p[3] >> 3) & 1;
  h.original = (p[3] >> 2) & 1;
  h.emphasis = p[3] & 3;
  if (h.bitrateKbps <= 0 || h.sampleRate <= 0) return std::nullopt;
  h.length = static_cast<std::size_t>(144 * 1000 * h.bitrateKbps / h.sampleRate) + (h.padding ? 1 : 0);
  return h;
}

// Walks the stream from byte 0, frame after frame, to its exact end.
std::vector<FrameHeader> Frames(const std::vector<std::uint8_t>& mp3) {
  std::vector<FrameHeader> frames;
  std::size_t pos = 0;
  while (pos + 4 <= mp3.size()) {
    const auto h = ParseHeader(&mp3[pos]);
    if (!h || h->length == 0) {
      ADD_FAILURE() << "no MPEG-1 Layer III frame header at byte " << pos;
      return frames;
    }
    frames.push_back(*h);
    pos += h->length;
  }
  EXPECT_EQ(pos, mp3.size()) << "stream does not end on a frame boundary";
  return frames;
}

bool Contains(const std::uint8_t* begin, const std::uint8_t* end, const char* text) {
  const std::string hay(begin, end);
  return hay.find(text) != std::string::npos;
}

// An information frame is either filled in ("Xing"/"Info" after the side
// information) or, until someone fills it in, a header followed by zeros.
bool IsInformationFrame(const std::vector<std::uint8_t>& mp3, const FrameHeader& first) {
  const std::uint8_t* body = mp3.data() + 4;
  const std::uint8_t* end = mp3.data() + first.length;
  if (Contains(body, end, "Xing") || Contains(body, end, "Info")) return true;
  return std::all_of(body, end, [](std::uint8_t b) { return b == 0; });
}

TEST(EncoderInit, AnnouncesChunkOfOneFrameAndABufferForItsWorstCase) {
  for (const std::uint32_t rate : {32000u, 44100u, 48000u}) {
    EncoderConfig c = StandardConfig();
    c.dwSampleRate = rate;
    const auto o = Open(c);
    ASSERT_TRUE(o.has_value()) << rate;
    EXPECT_EQ(o->samples, 2304u) << rate;  // 1152 per channel x 2
    EXPECT_GE(o->bufferSize, 1152u * 5 / 4 + 7200) << rate;
    EXPECT_LE(o->bufferSize, 65536u) << rate;
    EXPECT_NE(o->stream, 0u);
    EXPECT_EQ(beCloseStream(o->stream), pellamy::kBeErrSuccessful);
  }
}

TEST(EncoderInit, RefusesConfigurationsItCannotHonour) {
  struct Case {
    const char* what;
    std::function<void(EncoderConfig&)> change;
    BeErr expected;
  };
  const Case cases[] = {
      {"other config kind", [](EncoderConfig& c) { c.dwConfig = 0; }, pellamy::kBeErrInvalidFormat},
      {"struct version 2", [](EncoderConfig& c) { c.dwStructVersion = 2; }, pellamy::kBeErrInvalidFormat},
      {"struct size 330", [](EncoderConfig& c) { c.dwStructSize = 330; }, pellamy::kBeErrInvalidFormat},
      {"22050 Hz input", [](EncoderConfig& c) { c.dwSampleRate = 22050; }, pellamy::kBeErrInvalidFormatParameters},
      {"96000 Hz input", [](EncoderConfig& c) { c.dwSampleRate = 96000; }, pellamy::kBeErrInvalidFormatParameters},
      {"zero input rate", [](EncoderConfig& c) { c.dwSampleRate = 0; }, pellamy::kBeErrInvalidFormatParameters},
      {"MPEG-2 output rate", [](EncoderConfig& c) { c.dwReSampleRate = 22050; },
       pellamy::kBeErrInvalidFormatParameters},
      {"MPEG-2 requested", [](EncoderConfig& c) { c.dwMpegVersion = 0; }, pellamy::kBeErrInvalidFormatParameters},
      {"bit rate not in table", [](EncoderConfig& c) { c.dwBitrate = 130; }, pellamy::kBeErrInvalidFormatParameters},
      {"MPEG-2-only bit rate", [](EncoderConfig& c) { c.dwBitrate = 8; }, pellamy::kBeErrInvalidFormatParameters},
      {"zero CBR bit rate", [](EncoderConfig& c) { c.dwBitrate = 0; }, pellamy::kBeErrInvalidFormatParameters},
      {"mode 4", [](EncoderConfig& c) { c.nMode = 4; }, pellamy::kBeErrInvalidFormatParameters},
      {"negative mode", [](EncoderConfig& c) { c.nMode = -1; }, pellamy::kBeErrInvalidFormatParameters},
      {"reserved emphasis", [](EncoderConfig& c) { c.dwEmphasis = 2; }, pellamy::kBeErrInvalidFormatParameters},
      {"preset -2", [](EncoderConfig& c) { c.nPreset = -2; }, pellamy::kBeErrInvalidFormatParameters},
      {"VBR quality 10",
       [](EncoderConfig& c) {
         c.bEnableVBR = 1;
         c.nVBRQuality = 10;
       },
       pellamy::kBeErrInvalidFormatParameters},
      {"ABR without rate",
       [](EncoderConfig& c) {
         c.bEnableVBR = 1;
         c.nVbrMethod = 4;
         c.dwVbrAbr_bps = 0;
       },
       pellamy::kBeErrInvalidFormatParameters},
  };
  for (const Case& k : cases) {
    EncoderConfig c = StandardConfig();
    k.change(c);
    std::uint32_t samples = 0, bufferSize = 0;
    BeStream stream = 0;
    EXPECT_EQ(beInitStream(&c, &samples, &bufferSize, &stream), k.expected) << k.what;
  }
}

TEST(EncoderInit, RefusesNullPointers) {
  EncoderConfig c = StandardConfig();
  std::uint32_t samples = 0, bufferSize = 0;
  BeStream stream = 0;
  EXPECT_EQ(beInitStream(nullptr, &samples, &bufferSize, &stream), pellamy::kBeErrInvalidFormatParameters);
  EXPECT_EQ(beInitStream(&c, nullptr, &bufferSize, &stream), pellamy::kBeErrInvalidFormatParameters);
  EXPECT_EQ(beInitStream(&c, &samples, nullptr, &stream), pellamy::kBeErrInvalidFormatParameters);
  EXPECT_EQ(beInitStream(&c, &samples, &bufferSize, nullptr), pellamy::kBeErrInvalidFormatParameters);
}

TEST(EncoderHandles, UnknownAndClosedHandlesAreRefusedEverywhere) {
  const auto o = Open(StandardConfig());
  ASSERT_TRUE(o.has_value());
  std::vector<std::uint8_t> buf(o->bufferSize);
  std::vector<std::int16_t> pcm = Sine(1152);
  std::uint32_t bytes = 0;
  ASSERT_EQ(beCloseStream(o->stream), pellamy::kBeErrSuccessful);

  for (const BeStream h : {o->stream, BeStream{0}, o->stream + 12345, ~BeStream{0}}) {
    EXPECT_EQ(beEncodeChunk(h, o->samples, pcm.data(), buf.data(), &bytes), pellamy::kBeErrInvalidHandle) << h;
    EXPECT_EQ(beDeinitStream(h, buf.data(), &bytes), pellamy::kBeErrInvalidHandle) << h;
    EXPECT_EQ(beCloseStream(h), pellamy::kBeErrInvalidHandle) << h;
  }

  // A new stream never takes the closed stream's handle.
  const auto next = Open(StandardConfig());
  ASSERT_TRUE(next.has_value());
  EXPECT_NE(next->stream, o->stream);
  EXPECT_EQ(beCloseStream(next->stream), pellamy::kBeErrSuccessful);
}

TEST(EncoderHandles, FlushedStreamOnlyCloses) {
  const auto o = Open(StandardConfig());
  ASSERT_TRUE(o.has_value());
  std::vector<std::uint8_t> buf(o->bufferSize);
  std::vector<std::int16_t> pcm = Sine(1152);
  std::uint32_t bytes = 0;
  ASSERT_EQ(beEncodeChunk(o->stream, o->samples, pcm.data(), buf.data(), &bytes), pellamy::kBeErrSuccessful);
  ASSERT_EQ(beDeinitStream(o->stream, buf.data(), &bytes), pellamy::kBeErrSuccessful);
  EXPECT_GT(bytes, 0u);
  EXPECT_NE(beEncodeChunk(o->stream, o->samples, pcm.data(), buf.data(), &bytes), pellamy::kBeErrSuccessful);
  EXPECT_NE(beDeinitStream(o->stream, buf.data(), &bytes), pellamy::kBeErrSuccessful);
  EXPECT_EQ(beCloseStream(o->stream), pellamy::kBeErrSuccessful);
}

TEST(EncoderHandles, RefusesChunksLargerThanAnnouncedAndNullBuffers) {
  const auto o = Open(StandardConfig());
  ASSERT_TRUE(o.has_value());
  std::vector<std::uint8_t> buf(o->bufferSize);
  std::vector<std::int16_t> pcm = Sine(4096);
  std::uint32_t bytes = 77;
  EXPECT_EQ(beEncodeChunk(o->stream, o->samples + 2, pcm.data(), buf.data(), &bytes),
            pellamy::kBeErrInvalidFormatParameters);
  EXPECT_EQ(beEncodeChunk(o->stream, o->samples, nullptr, buf.data(), &bytes), pellamy::kBeErrInvalidFormatParameters);
  EXPECT_EQ(beEncodeChunk(o->stream, o->samples, pcm.data(), nullptr, &bytes), pellamy::kBeErrInvalidFormatParameters);
  EXPECT_EQ(beEncodeChunk(o->stream, o->samples, pcm.data(), buf.data(), nullptr),
            pellamy::kBeErrInvalidFormatParameters);
  EXPECT_EQ(beDeinitStream(o->stream, nullptr, &bytes), pellamy::kBeErrInvalidFormatParameters);
  // An empty chunk is fine and yields nothing.
  EXPECT_EQ(beEncodeChunk(o->stream, 0, nullptr, buf.data(), &bytes), pellamy::kBeErrSuccessful);
  EXPECT_EQ(bytes, 0u);
  EXPECT_EQ(beCloseStream(o->stream), pellamy::kBeErrSuccessful);
}

TEST(EncoderHandles, LiveStreamsAreBoundedAndFreedOnClose) {
  std::vector<BeStream> open;
  BeErr last = pellamy::kBeErrSuccessful;
  for (int i = 0; i < 1000; ++i) {
    EncoderConfig c = StandardConfig();
    std::uint32_t samples = 0, bufferSize = 0;
    BeStream stream = 0;
    last = beInitStream(&c, &samples, &bufferSize, &stream);
    if (last != pellamy::kBeErrSuccessful) break;
    open.push_back(stream);
  }
  EXPECT_EQ(last, pellamy::kBeErrNoMoreHandles);
  EXPECT_GE(open.size(), 8u);
  ASSERT_FALSE(open.empty());
  EXPECT_EQ(beCloseStream(open.back()), pellamy::kBeErrSuccessful);
  open.pop_back();
  const auto again = Open(StandardConfig());
  EXPECT_TRUE(again.has_value());
  if (again) open.push_back(again->stream);
  for (const BeStream s : open) EXPECT_EQ(beCloseStream(s), pellamy::kBeErrSuccessful);
}

TEST(EncoderStream, FiveSecondsAreBackToBackCbrJointStereoFramesWithoutTags) {
  const std::size_t inputFrames = 5 * kRate;
  const std::vector<std::uint8_t> mp3 = EncodeAll(StandardConfig(), Sine(inputFrames));
  ASSERT_GT(mp3.size(), 4u);
  EXPECT_FALSE(Contains(mp3.data(), mp3.data() + 3, "ID3"));

  const std::vector<FrameHeader> frames = Frames(mp3);
  ASSERT_FALSE(frames.empty());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const FrameHeader& h = frames[i];
    ASSERT_EQ(h.version, 3) << "frame " << i;
    ASSERT_EQ(h.layer, 1) << "frame " << i;
    EXPECT_EQ(h.bitrateKbps, 128) << "frame " << i;
    EXPECT_EQ(h.sampleRate, 44100) << "frame " << i;
    EXPECT_EQ(h.mode, 1) << "frame " << i;
    EXPECT_TRUE(h.original) << "frame " << i;
    EXPECT_FALSE(h.crc) << "frame " << i;
    EXPECT_FALSE(h.copyright) << "frame " << i;
    EXPECT_FALSE(h.privateBit) << "frame " << i;
    EXPECT_EQ(h.emphasis, 0) << "frame " << i;
  }

  // The first frame is audio, not an information frame: neither a filled-in
  // tag after the side information nor the blank placeholder of one.
  EXPECT_FALSE(IsInformationFrame(mp3, frames[0]));

  // Input plus the encoder's 576-sample delay, rounded up to whole frames.
  const double expected = std::ceil((inputFrames + 576.0) / 1152.0);
  EXPECT_NEAR(static_cast<double>(frames.size()), expected, 2.0) << frames.size() << " frames";
}

TEST(EncoderStream, HeaderFlagsFollowTheConfiguration) {
  struct Case {
    int mode;
    int crc, copyright, privateBit, original, emphasis;
  };
  const Case cases[] = {
      {pellamy::kBeModeStereo, 1, 1, 1, 0, 1},
      {pellamy::kBeModeMono, 0, 0, 0, 1, 3},
      {pellamy::kBeModeDualChannel, 0, 1, 0, 1, 0},
  };
  for (const Case& k : cases) {
    EncoderConfig c = StandardConfig();
    c.nMode = k.mode;
    c.bCRC = k.crc;
    c.bCopyright = k.copyright;
    c.bPrivate = k.privateBit;
    c.bOriginal = k.original;
    c.dwEmphasis = static_cast<std::uint32_t>(k.emphasis);
    const std::vector<FrameHeader> frames = Frames(EncodeAll(c, Sine(kRate / 2)));
    ASSERT_FALSE(frames.empty()) << "mode " << k.mode;
    for (const FrameHeader& h : frames) {
      ASSERT_EQ(h.mode, k.mode);
      ASSERT_EQ(h.crc, k.crc != 0);
      ASSERT_EQ(h.copyright, k.copyright != 0);
      ASSERT_EQ(h.privateBit, k.privateBit != 0);
      ASSERT_EQ(h.original, k.original != 0);
      ASSERT_EQ(h.emphasis, k.emphasis);
      ASSERT_EQ(h.bitrateKbps, 128);
    }
  }
}

TEST(EncoderStream, OutputStaysMpeg1AtTheInputOrRequestedRate) {
  struct Case {
    std::uint32_t bitrate, resample;
    int expectedRate;
  };
  // At 32 kbit/s the library on its own would drop to an MPEG-2 rate.
  const Case cases[] = {{32, 0, 44100}, {64, 0, 44100}, {128, 48000, 48000}, {96, 32000, 32000}};
  for (const Case& k : cases) {
    EncoderConfig c = StandardConfig();
    c.dwBitrate = k.bitrate;
    c.dwReSampleRate = k.resample;
    const std::vector<FrameHeader> frames = Frames(EncodeAll(c, Sine(kRate / 2)));
    ASSERT_FALSE(frames.empty()) << k.bitrate;
    for (const FrameHeader& h : frames) {
      ASSERT_EQ(h.version, 3) << k.bitrate;
      ASSERT_EQ(h.sampleRate, k.expectedRate) << k.bitrate;
      ASSERT_EQ(h.bitrateKbps, static_cast<int>(k.bitrate));
    }
  }
}

TEST(EncoderStream, ChunkingDoesNotChangeTheOutputAndOddTrailingValuesAreIgnored) {
  const std::vector<std::int16_t> pcm = Sine(3 * kRate / 2);
  const std::vector<std::uint8_t> whole = EncodeAll(StandardConfig(), pcm);

  const std::vector<std::uint8_t> ragged =
      EncodeAll(StandardConfig(), pcm, [](std::size_t call) { return call % 3 == 0 ? 2304u : 1000u + 2 * call; });
  EXPECT_EQ(ragged, whole);

  // Fed 1001 values at a time, each chunk ends in one value that is not
  // audio and must be ignored: the input with a junk value after every 1000
  // audio values encodes to the same stream.
  std::vector<std::int16_t> withJunk;
  for (std::size_t i = 0; i < pcm.size(); ++i) {
    withJunk.push_back(pcm[i]);
    if (i % 1000 == 999) withJunk.push_back(0x7A5A);
  }
  const std::vector<std::uint8_t> odd = EncodeAll(StandardConfig(), withJunk, [](std::size_t) { return 1001u; });
  EXPECT_EQ(odd, whole);
}

TEST(EncoderStream, PresetsSelectAlgorithmQuality) {
  const std::vector<std::int16_t> pcm = Sine(kRate);
  const auto withPreset = [&](std::int32_t preset, std::uint16_t quality) {
    EncoderConfig c = StandardConfig();
    c.nPreset = preset;
    c.nQuality = quality;
    return EncodeAll(c, pcm);
  };
  const std::vector<std::uint8_t> preset4 = withPreset(4, 0);
  const std::vector<std::uint8_t> low = withPreset(1, 0);  // quality 7
  EXPECT_NE(low, preset4);
  EXPECT_EQ(withPreset(-1, 0), preset4);       // quality unset: default 3
  EXPECT_EQ(withPreset(-1, 0xF807), low);      // quality 7, checked
  EXPECT_EQ(withPreset(-1, 0x0007), preset4);  // unchecked value is not a quality
  EXPECT_EQ(withPreset(4, 0xF807), preset4);   // the preset wins over nQuality
}

TEST(EncoderStream, VbrFramesVaryButStayMpeg1WithoutInformationFrame) {
  EncoderConfig c = StandardConfig();
  c.bEnableVBR = 1;
  c.nVBRQuality = 4;
  c.dwBitrate = 32;
  c.dwMaxBitrate = 320;
  std::vector<std::int16_t> pcm = Sine(2 * kRate, 440.0, 5000.0);
  pcm.resize(pcm.size() + 2 * 2 * kRate, 0);  // two seconds of silence
  const std::vector<std::uint8_t> mp3 = EncodeAll(c, pcm);
  const std::vector<FrameHeader> frames = Frames(mp3);
  ASSERT_FALSE(frames.empty());
  int lowest = 1000, highest = 0;
  for (const FrameHeader& h : frames) {
    ASSERT_EQ(h.version, 3);
    ASSERT_EQ(h.layer, 1);
    ASSERT_EQ(h.sampleRate, 44100);
    lowest = std::min(lowest, h.bitrateKbps);
    highest = std::max(highest, h.bitrateKbps);
  }
  EXPECT_LT(lowest, highest);
  EXPECT_FALSE(IsInformationFrame(mp3, frames[0]));
}

TEST(EncoderConcurrency, InterleavedStreamsMatchOneAtATime) {
  EncoderConfig a = StandardConfig();
  EncoderConfig b = StandardConfig();
  b.nMode = pellamy::kBeModeStereo;
  const std::vector<std::int16_t> pcmA = Sine(kRate * 2);
  const std::vector<std::int16_t> pcmB = Sine(kRate * 2, 1000.0, 250.0);
  const std::vector<std::uint8_t> aloneA = EncodeAll(a, pcmA);
  const std::vector<std::uint8_t> aloneB = EncodeAll(b, pcmB);

  const auto oa = Open(a);
  const auto ob = Open(b);
  ASSERT_TRUE(oa && ob);
  std::vector<std::uint8_t> outA, outB, buf(std::max(oa->bufferSize, ob->bufferSize));
  for (std::size_t pos = 0; pos < pcmA.size(); pos += oa->samples) {
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(oa->samples, pcmA.size() - pos));
    std::vector<std::int16_t> ca(pcmA.begin() + pos, pcmA.begin() + pos + n);
    std::vector<std::int16_t> cb(pcmB.begin() + pos, pcmB.begin() + pos + n);
    std::uint32_t bytes = 0;
    ASSERT_EQ(beEncodeChunk(oa->stream, n, ca.data(), buf.data(), &bytes), pellamy::kBeErrSuccessful);
    outA.insert(outA.end(), buf.begin(), buf.begin() + bytes);
    ASSERT_EQ(beEncodeChunk(ob->stream, n, cb.data(), buf.data(), &bytes), pellamy::kBeErrSuccessful);
    outB.insert(outB.end(), buf.begin(), buf.begin() + bytes);
  }
  std::uint32_t bytes = 0;
  ASSERT_EQ(beDeinitStream(ob->stream, buf.data(), &bytes), pellamy::kBeErrSuccessful);
  outB.insert(outB.end(), buf.begin(), buf.begin() + bytes);
  ASSERT_EQ(beDeinitStream(oa->stream, buf.data(), &bytes), pellamy::kBeErrSuccessful);
  outA.insert(outA.end(), buf.begin(), buf.begin() + bytes);
  EXPECT_EQ(beCloseStream(oa->stream), pellamy::kBeErrSuccessful);
  EXPECT_EQ(beCloseStream(ob->stream), pellamy::kBeErrSuccessful);

  EXPECT_EQ(outA, aloneA);
  EXPECT_EQ(outB, aloneB);
}

TEST(EncoderConcurrency, StreamsOnSeparateThreadsMatchOneAtATime) {
  const std::vector<std::int16_t> pcm = Sine(kRate);
  const std::vector<std::uint8_t> alone = EncodeAll(StandardConfig(), pcm);
  std::vector<std::vector<std::uint8_t>> results(4);
  std::vector<std::thread> threads;
  for (auto& r : results) threads.emplace_back([&r, &pcm] { r = EncodeAll(StandardConfig(), pcm); });
  for (auto& t : threads) t.join();
  for (const auto& r : results) EXPECT_EQ(r, alone);
}

}  // namespace
