// Lame_enc: the four-function stream interface over libmp3lame.
//
// Each stream owns one libmp3lame encoder. A handle is a number from a
// counter that is never reused, looked up in a table of live streams under a
// mutex on every call, so a stale or made-up handle is refused rather than
// dereferenced. Calls on one stream are serialised by that stream's own mutex;
// independent streams encode in parallel. Creating and destroying encoders
// (lame_init, lame_init_params, lame_close) is serialised by one global mutex
// because libmp3lame fills some shared tables lazily on first use.
//
// Configuration accepted (anything else is refused, never silently changed):
//   kind 256, version 1, size 331;
//   input: 16-bit interleaved stereo at 32000, 44100 or 48000 Hz;
//   output: MPEG-1 Layer III only (dwMpegVersion 1; MPEG-2 is refused). With
//     dwReSampleRate 0 the output keeps the input rate, so the stream stays
//     MPEG-1 even at bit rates where libmp3lame would prefer to resample;
//     otherwise dwReSampleRate must itself be an MPEG-1 rate;
//   nMode 0 stereo, 1 joint stereo, 2 dual channel, 3 mono (downmixed by
//     libmp3lame from the stereo input);
//   CBR: dwBitrate must be an MPEG-1 Layer III rate (32..320 kbit/s) and is
//     used exactly;
//   VBR (bEnableVBR): nVbrMethod 4 is ABR at dwVbrAbr_bps (32000..320000);
//     any other method is libmp3lame's default VBR at nVBRQuality 0..9.
//     dwBitrate / dwMaxBitrate, when non-zero, bound the frame bit rates.
//     No information frame is written (see below), so VBR files carry no
//     length table;
//   dwEmphasis 0 none, 1 50/15 us, 3 CCITT J.17 (2 is reserved: refused).
//
// No information (VBR tag) frame is ever written, whatever bWriteVBRHeader
// says: libmp3lame writes a placeholder frame at the start and expects the
// caller to rewrite it after the stream ends, and nothing in this interface
// does that. ID3 tags are not written either: the stream is bare frames from
// its first byte.
//
// nPreset to libmp3lame algorithm quality (0 best/slowest .. 9 worst):
//   -1  none       nQuality when it is set (low byte 0..9 and high byte its
//                  bitwise complement), otherwise 3
//    0  normal     5
//    1  low        7
//    2  high       2
//    3  voice      5
//    4  high       3 (libmp3lame's own default, the same as its frontend's -q 3)
//    5  very high  2
//    6             1
//    7+            0
//   below -1       refused
//
// Sizes: samples per chunk = frame size (1152 at MPEG-1) x 2 channels = 2304
// values; output buffer = 5/4 x samples per channel + 7200 = 8640 bytes, the
// worst case libmp3lame documents for one encode call and more than the 7200
// bytes its flush may emit.
#include "encoder/LameEnc.h"

#include <lame/lame.h>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace pellamy {
namespace {

constexpr std::size_t kMaxLiveStreams = 64;
constexpr std::uint32_t kChannels = 2;
constexpr std::uint32_t kMpegVersion1 = 1;
constexpr std::int32_t kVbrMethodAbr = 4;
constexpr std::uint16_t kDefaultQuality = 3;

constexpr std::array<std::uint32_t, 14> kMpeg1Bitrates = {32,  40,  48,  56,  64,  80,  96,
                                                          112, 128, 160, 192, 224, 256, 320};

bool IsMpeg1Rate(std::uint32_t hz) {
  return hz == 32000 || hz == 44100 || hz == 48000;
}

bool IsMpeg1Bitrate(std::uint32_t kbps) {
  return std::find(kMpeg1Bitrates.begin(), kMpeg1Bitrates.end(), kbps) != kMpeg1Bitrates.end();
}

// The algorithm quality for a preset; -1 when the preset is refused.
int QualityFor(std::int32_t preset, std::uint16_t nQuality) {
  switch (preset) {
    case -1: {
      const unsigned low = nQuality & 0xFFu;
      const unsigned high = nQuality >> 8;
      const bool set = high == (~low & 0xFFu) && low <= 9;
      return set ? static_cast<int>(low) : kDefaultQuality;
    }
    case 0:
      return 5;
    case 1:
      return 7;
    case 2:
      return 2;
    case 3:
      return 5;
    case 4:
      return kDefaultQuality;
    case 5:
      return 2;
    case 6:
      return 1;
    default:
      return preset > 6 ? 0 : -1;
  }
}

void Quiet(const char*, va_list) {}

// Serialises creation and destruction of libmp3lame encoders.
std::mutex& LameLifecycleMutex() {
  static std::mutex* mutex = new std::mutex;  // never destroyed: safe during process exit
  return *mutex;
}

struct Stream {
  explicit Stream(lame_global_flags* flags, std::uint32_t samples, std::uint32_t buffer)
      : gf(flags), samplesPerChunk(samples), bufferSize(buffer) {}
  ~Stream() {
    std::lock_guard lock(LameLifecycleMutex());
    lame_close(gf);
  }
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  std::mutex mutex;  // one call at a time on this stream
  lame_global_flags* const gf;
  const std::uint32_t samplesPerChunk;
  const std::uint32_t bufferSize;
  bool flushed = false;
};

struct Registry {
  std::mutex mutex;
  std::unordered_map<BeStream, std::shared_ptr<Stream>> live;
  BeStream next = 1;
};

Registry& Streams() {
  static Registry* registry = new Registry;  // never destroyed: safe during process exit
  return *registry;
}

std::shared_ptr<Stream> Find(BeStream handle) {
  Registry& r = Streams();
  std::lock_guard lock(r.mutex);
  const auto it = r.live.find(handle);
  return it == r.live.end() ? nullptr : it->second;
}

struct LameDeleter {
  void operator()(lame_global_flags* gf) const {
    std::lock_guard lock(LameLifecycleMutex());
    lame_close(gf);
  }
};
using LamePtr = std::unique_ptr<lame_global_flags, LameDeleter>;

// Checks the configuration and applies it to a fresh encoder.
BeErr Configure(const EncoderConfig& c, lame_global_flags* gf) {
  if (!IsMpeg1Rate(c.dwSampleRate) || c.dwMpegVersion != kMpegVersion1) return kBeErrInvalidFormatParameters;
  if (c.dwReSampleRate != 0 && !IsMpeg1Rate(c.dwReSampleRate)) return kBeErrInvalidFormatParameters;
  if (c.nMode < kBeModeStereo || c.nMode > kBeModeMono) return kBeErrInvalidFormatParameters;
  if (c.dwEmphasis > 3 || c.dwEmphasis == 2) return kBeErrInvalidFormatParameters;
  const int quality = QualityFor(c.nPreset, c.nQuality);
  if (quality < 0) return kBeErrInvalidFormatParameters;

  lame_set_errorf(gf, Quiet);
  lame_set_debugf(gf, Quiet);
  lame_set_msgf(gf, Quiet);
  lame_set_num_channels(gf, kChannels);
  lame_set_in_samplerate(gf, static_cast<int>(c.dwSampleRate));
  lame_set_out_samplerate(gf, static_cast<int>(c.dwReSampleRate != 0 ? c.dwReSampleRate : c.dwSampleRate));
  lame_set_mode(gf, static_cast<MPEG_mode>(c.nMode));
  lame_set_quality(gf, quality);

  if (c.bEnableVBR) {
    if (c.dwBitrate != 0 && !IsMpeg1Bitrate(c.dwBitrate)) return kBeErrInvalidFormatParameters;
    if (c.dwMaxBitrate != 0 && !IsMpeg1Bitrate(c.dwMaxBitrate)) return kBeErrInvalidFormatParameters;
    if (c.dwBitrate != 0 && c.dwMaxBitrate != 0 && c.dwBitrate > c.dwMaxBitrate) return kBeErrInvalidFormatParameters;
    if (c.nVbrMethod == kVbrMethodAbr) {
      if (c.dwVbrAbr_bps < 32000 || c.dwVbrAbr_bps > 320000) return kBeErrInvalidFormatParameters;
      lame_set_VBR(gf, vbr_abr);
      lame_set_VBR_mean_bitrate_kbps(gf, static_cast<int>(c.dwVbrAbr_bps / 1000));
    } else {
      if (c.nVBRQuality < 0 || c.nVBRQuality > 9) return kBeErrInvalidFormatParameters;
      lame_set_VBR(gf, vbr_default);
      lame_set_VBR_q(gf, c.nVBRQuality);
    }
    if (c.dwBitrate != 0) lame_set_VBR_min_bitrate_kbps(gf, static_cast<int>(c.dwBitrate));
    if (c.dwMaxBitrate != 0) lame_set_VBR_max_bitrate_kbps(gf, static_cast<int>(c.dwMaxBitrate));
  } else {
    if (!IsMpeg1Bitrate(c.dwBitrate)) return kBeErrInvalidFormatParameters;
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, static_cast<int>(c.dwBitrate));
  }

  lame_set_original(gf, c.bOriginal ? 1 : 0);
  lame_set_copyright(gf, c.bCopyright ? 1 : 0);
  lame_set_error_protection(gf, c.bCRC ? 1 : 0);
  lame_set_extension(gf, c.bPrivate ? 1 : 0);
  lame_set_strict_ISO(gf, c.bStrictIso ? 1 : 0);
  lame_set_disable_reservoir(gf, c.bNoRes ? 1 : 0);
  lame_set_emphasis(gf, static_cast<int>(c.dwEmphasis));
  lame_set_bWriteVbrTag(gf, 0);
  lame_set_write_id3tag_automatic(gf, 0);

  if (lame_init_params(gf) < 0) return kBeErrInvalidFormatParameters;
  if (lame_get_version(gf) != static_cast<int>(kMpegVersion1)) return kBeErrInvalidFormatParameters;
  if (!c.bEnableVBR && lame_get_brate(gf) != static_cast<int>(c.dwBitrate)) return kBeErrInvalidFormatParameters;
  return kBeErrSuccessful;
}

BeErr InitStream(EncoderConfig* config, std::uint32_t* samples, std::uint32_t* bufferSize, BeStream* stream) {
  if (config == nullptr || samples == nullptr || bufferSize == nullptr || stream == nullptr) {
    return kBeErrInvalidFormatParameters;
  }
  if (config->dwConfig != kBeConfigLame || config->dwStructVersion != kBeConfigVersion ||
      config->dwStructSize != kBeConfigSize) {
    return kBeErrInvalidFormat;
  }

  LamePtr gf;
  BeErr err = kBeErrSuccessful;
  {
    std::lock_guard lock(LameLifecycleMutex());
    gf.reset(lame_init());
    if (!gf) return kBeErrNoMoreHandles;
    err = Configure(*config, gf.get());
  }
  if (err != kBeErrSuccessful) return err;

  const int frameSize = lame_get_framesize(gf.get());
  if (frameSize <= 0) return kBeErrInvalidFormatParameters;
  const auto perChannel = static_cast<std::uint32_t>(frameSize);
  const std::uint32_t chunkSamples = perChannel * kChannels;
  const std::uint32_t chunkBytes = perChannel * 5 / 4 + 7200;

  Registry& r = Streams();
  std::lock_guard lock(r.mutex);
  if (r.live.size() >= kMaxLiveStreams) return kBeErrNoMoreHandles;
  auto s = std::make_shared<Stream>(gf.get(), chunkSamples, chunkBytes);
  gf.release();  // owned by the stream from here on
  const BeStream handle = r.next++;
  r.live.emplace(handle, std::move(s));
  *samples = chunkSamples;
  *bufferSize = chunkBytes;
  *stream = handle;
  return kBeErrSuccessful;
}

BeErr FromLameResult(int rc) {
  return rc == -1 ? kBeErrBufferTooSmall : kBeErrInvalidFormatParameters;
}

BeErr EncodeChunk(BeStream handle, std::uint32_t sampleCount, std::int16_t* samples, std::uint8_t* output,
                  std::uint32_t* outputBytes) {
  const std::shared_ptr<Stream> s = Find(handle);
  if (!s) return kBeErrInvalidHandle;
  if (outputBytes == nullptr || output == nullptr) return kBeErrInvalidFormatParameters;
  *outputBytes = 0;
  std::lock_guard lock(s->mutex);
  if (s->flushed) return kBeErrInvalidHandle;
  if (sampleCount > s->samplesPerChunk) return kBeErrInvalidFormatParameters;
  const std::uint32_t frames = sampleCount / kChannels;  // an odd trailing value is ignored
  if (frames == 0) return kBeErrSuccessful;
  if (samples == nullptr) return kBeErrInvalidFormatParameters;
  const int rc =
      lame_encode_buffer_interleaved(s->gf, samples, static_cast<int>(frames), output, static_cast<int>(s->bufferSize));
  if (rc < 0) return FromLameResult(rc);
  *outputBytes = static_cast<std::uint32_t>(rc);
  return kBeErrSuccessful;
}

BeErr DeinitStream(BeStream handle, std::uint8_t* output, std::uint32_t* outputBytes) {
  const std::shared_ptr<Stream> s = Find(handle);
  if (!s) return kBeErrInvalidHandle;
  if (outputBytes == nullptr || output == nullptr) return kBeErrInvalidFormatParameters;
  *outputBytes = 0;
  std::lock_guard lock(s->mutex);
  if (s->flushed) return kBeErrInvalidHandle;
  s->flushed = true;  // whatever happens, the stream now only accepts close
  const int rc = lame_encode_flush(s->gf, output, static_cast<int>(s->bufferSize));
  if (rc < 0) return FromLameResult(rc);
  *outputBytes = static_cast<std::uint32_t>(rc);
  return kBeErrSuccessful;
}

BeErr CloseStream(BeStream handle) {
  std::shared_ptr<Stream> s;
  {
    Registry& r = Streams();
    std::lock_guard lock(r.mutex);
    const auto it = r.live.find(handle);
    if (it == r.live.end()) return kBeErrInvalidHandle;
    s = std::move(it->second);
    r.live.erase(it);
  }
  // The encoder is freed here, or when a call still running on it returns.
  return kBeErrSuccessful;
}

}  // namespace
}  // namespace pellamy

// No exception may cross the C interface: any that escapes becomes an error.

LAME_ENC_API pellamy::BeErr LAME_ENC_CALL beInitStream(pellamy::EncoderConfig* config, std::uint32_t* samples,
                                                       std::uint32_t* bufferSize, pellamy::BeStream* stream) {
  try {
    return pellamy::InitStream(config, samples, bufferSize, stream);
  } catch (...) {
    return pellamy::kBeErrNoMoreHandles;
  }
}

LAME_ENC_API pellamy::BeErr LAME_ENC_CALL beEncodeChunk(pellamy::BeStream stream, std::uint32_t sampleCount,
                                                        std::int16_t* samples, std::uint8_t* output,
                                                        std::uint32_t* outputBytes) {
  try {
    return pellamy::EncodeChunk(stream, sampleCount, samples, output, outputBytes);
  } catch (...) {
    return pellamy::kBeErrInvalidHandle;
  }
}

LAME_ENC_API pellamy::BeErr LAME_ENC_CALL beDeinitStream(pellamy::BeStream stream, std::uint8_t* output,
                                                         std::uint32_t* outputBytes) {
  try {
    return pellamy::DeinitStream(stream, output, outputBytes);
  } catch (...) {
    return pellamy::kBeErrInvalidHandle;
  }
}

LAME_ENC_API pellamy::BeErr LAME_ENC_CALL beCloseStream(pellamy::BeStream stream) {
  try {
    return pellamy::CloseStream(stream);
  } catch (...) {
    return pellamy::kBeErrInvalidHandle;
  }
}
