// EncoderConfig and the four-function stream interface of Lame_enc.dll.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#if defined(LAME_ENC_BUILDING)
#define LAME_ENC_API extern "C" __declspec(dllexport)
#else
#define LAME_ENC_API extern "C" __declspec(dllimport)
#endif
#define LAME_ENC_CALL __cdecl
#else
#define LAME_ENC_API extern "C" __attribute__((visibility("default")))
#define LAME_ENC_CALL
#endif

namespace pellamy {

using BeErr = std::uint32_t;
using BeStream = std::uintptr_t;

inline constexpr BeErr kBeErrSuccessful = 0;
inline constexpr BeErr kBeErrInvalidFormat = 1;
inline constexpr BeErr kBeErrInvalidFormatParameters = 2;
inline constexpr BeErr kBeErrNoMoreHandles = 3;
inline constexpr BeErr kBeErrInvalidHandle = 4;
inline constexpr BeErr kBeErrBufferTooSmall = 5;

inline constexpr std::uint32_t kBeConfigLame = 256;
inline constexpr std::uint32_t kBeConfigVersion = 1;
inline constexpr std::uint32_t kBeConfigSize = 331;

inline constexpr std::int32_t kBeModeStereo = 0;
inline constexpr std::int32_t kBeModeJointStereo = 1;
inline constexpr std::int32_t kBeModeDualChannel = 2;
inline constexpr std::int32_t kBeModeMono = 3;

#pragma pack(push, 1)
// Configuration kind 256, version-1 settings; 331 bytes.
struct EncoderConfig {
  std::uint32_t dwConfig;
  std::uint32_t dwStructVersion;
  std::uint32_t dwStructSize;
  std::uint32_t dwSampleRate;
  std::uint32_t dwReSampleRate;
  std::int32_t nMode;
  std::uint32_t dwBitrate;
  std::uint32_t dwMaxBitrate;
  std::int32_t nPreset;
  std::uint32_t dwMpegVersion;
  std::uint32_t dwPsyModel;
  std::uint32_t dwEmphasis;
  std::int32_t bPrivate;
  std::int32_t bCRC;
  std::int32_t bCopyright;
  std::int32_t bOriginal;
  std::int32_t bWriteVBRHeader;
  std::int32_t bEnableVBR;
  std::int32_t nVBRQuality;
  std::uint32_t dwVbrAbr_bps;
  std::int32_t nVbrMethod;
  std::int32_t bNoRes;
  std::int32_t bStrictIso;
  std::uint16_t nQuality;
  std::uint8_t btReserved[237];
};
#pragma pack(pop)

static_assert(sizeof(EncoderConfig) == 331);
static_assert(offsetof(EncoderConfig, nMode) == 20);
static_assert(offsetof(EncoderConfig, dwBitrate) == 24);
static_assert(offsetof(EncoderConfig, nPreset) == 32);
static_assert(offsetof(EncoderConfig, dwMpegVersion) == 36);
static_assert(offsetof(EncoderConfig, bOriginal) == 60);
static_assert(offsetof(EncoderConfig, bWriteVBRHeader) == 64);
static_assert(offsetof(EncoderConfig, bEnableVBR) == 68);
static_assert(offsetof(EncoderConfig, bNoRes) == 84);
static_assert(offsetof(EncoderConfig, bStrictIso) == 88);
static_assert(offsetof(EncoderConfig, nQuality) == 92);
static_assert(offsetof(EncoderConfig, btReserved) == 94);

}  // namespace pellamy

LAME_ENC_API pellamy::BeErr LAME_ENC_CALL beInitStream(pellamy::EncoderConfig* config, std::uint32_t* samples,
                                                       std::uint32_t* bufferSize, pellamy::BeStream* stream);
LAME_ENC_API pellamy::BeErr LAME_ENC_CALL beEncodeChunk(pellamy::BeStream stream, std::uint32_t sampleCount,
                                                        std::int16_t* samples, std::uint8_t* output,
                                                        std::uint32_t* outputBytes);
LAME_ENC_API pellamy::BeErr LAME_ENC_CALL beDeinitStream(pellamy::BeStream stream, std::uint8_t* output,
                                                         std::uint32_t* outputBytes);
LAME_ENC_API pellamy::BeErr LAME_ENC_CALL beCloseStream(pellamy::BeStream stream);
