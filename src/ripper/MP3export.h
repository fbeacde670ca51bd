// ConvertWavToMp3, EncodeMp3, EncodeMp3Audio: the loop that streams a WAV
// file or a track's audio through the encoder library, and the table of the library's functions it calls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "encoder/LameEnc.h"
#include "ripper/FileIo.h"
#include "ripper/Id3Tag.h"
#include "ripper/RipPipeline.h"

namespace pellamy {

inline constexpr int kWavHeaderBytes = 48;
inline constexpr int kChunksPerProgress = 64;

struct TEncoderFunctions {
  decltype(&beInitStream) InitStream;
  decltype(&beEncodeChunk) EncodeChunk;
  decltype(&beDeinitStream) DeinitStream;
  decltype(&beCloseStream) CloseStream;
};

// The functions EncodeMp3 calls: the linked library's unless replaced (tests).
const TEncoderFunctions& EncoderFunctions();
void SetEncoderFunctions(const TEncoderFunctions* functions);

// The configuration record sent to beInitStream.
EncoderConfig MakeEncoderConfig();

// Encodes the audio of the WAV file open in input (the bytes after its
// 48-byte header) into output. Returns false, having written nothing, when
// the encoder refuses the configuration; throws on every other failure.
bool EncodeMp3(TFile& input, TFile& output);

// The same from a track's audio as it comes from the drive, between the two
// ID3 tags when tags are given; progress(bytes done) now and then. Returns
// false, having taken no audio, when the encoder refuses the configuration.
bool EncodeMp3Audio(TAudioStream& audio, TFile& output, const TTrackTags* tags,
                    const std::function<void(std::int64_t)>& progress);

// Opens both files and runs EncodeMp3, the encoder's frames between an
// ID3v2 tag and an ID3v1 tag when tags are given. Returns false when no MP3
// was made (the MP3 file is then removed).
bool ConvertWavToMp3(const std::string& wavName, const std::string& mp3Name, const TTrackTags* tags = nullptr);

// done * 100 / length rounded to the nearest integer, halves to even.
int ProgressPercent(std::uint64_t done, std::uint64_t length);

}  // namespace pellamy
