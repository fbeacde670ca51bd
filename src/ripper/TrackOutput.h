// WriteTrackFile: a ripped track's audio written as the chosen file type,
// under a temporary name in the output folder and renamed when whole, so
// that no half-written file ever carries the final name.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ripper/Id3Tag.h"
#include "ripper/RipPipeline.h"

namespace pellamy {

// The output type box's items, by index.
enum TOutputType : int { kOutputMp3 = 0, kOutputWav = 1, kOutputFlac = 2 };

// ".mp3", ".wav" or ".flac"; ".wav" for an unknown index.
const char* OutputExtension(int type);

// Writes the audio (16-bit stereo CD audio) as it comes to dir + "track p" +
// the type's extension and returns that file's name without the folder. An MP3 the
// encoder refuses to start becomes a WAV file. progress(bytes of audio done)
// is called now and then on the calling thread. Throws EAbort when the
// window closes and Exception on every failure, leaving no file behind.
std::string WriteTrackFile(const std::string& dir, int p, int type, TAudioStream& audio, const TTrackTags& tags,
                           const std::function<void(std::int64_t)>& progress);

}  // namespace pellamy
