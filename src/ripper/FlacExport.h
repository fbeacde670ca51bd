// FLAC output of a track's CD audio.
//   TFlacWriter   streams 16-bit stereo 44.1 kHz audio into a FLAC file: level
//                 5, the library's verify mode, the audio's MD5, a seek table
//                 and Vorbis comments
//   FlacComments  the comments ("TITLE=...") for a track's tags
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ripper/FileIo.h"
#include "ripper/Id3Tag.h"

namespace pellamy {

std::vector<std::string> FlacComments(const TTrackTags& tags);

class TFlacWriter {
 public:
  // Writes the stream's head to output, which must be open for writing and
  // stay open; totalSamples (per channel) sizes the seek table. Throws when
  // the library refuses to start.
  TFlacWriter(TFile& output, std::uint64_t totalSamples, const TTrackTags* tags);
  ~TFlacWriter();
  TFlacWriter(const TFlacWriter&) = delete;
  TFlacWriter& operator=(const TFlacWriter&) = delete;

  // Whole stereo frames of little-endian 16-bit samples; throws on failure.
  void Add(const std::uint8_t* pcm, std::size_t bytes);
  // Flushes the last frame and rewrites the head with the MD5 and seek
  // points; throws on failure, a verify mismatch included.
  void Finish();

  // Reached by the library's callbacks.
  struct TState;

 private:
  std::unique_ptr<TState> FState;
};

}  // namespace pellamy
