#include "ripper/TrackOutput.h"

#include "base/Exceptions.h"
#include "ripper/FileIo.h"
#include "ripper/FlacExport.h"
#include "ripper/MP3export.h"
#include "ripper/RipWindow.h"
#include "ripper/ScsiManagerUnit.h"

namespace pellamy {

namespace {

constexpr std::size_t kFlacChunkBytes = 588 * 4 * 75;  // one second

bool Stopping() {
  TRipWindow* window = RipWindow();
  return window != nullptr && window->Closing();
}

void WriteAll(TFile& file, const void* data, std::size_t count) {
  if (file.Write(data, static_cast<std::int64_t>(count)) != static_cast<std::int64_t>(count))
    throw Exception("Stream write error");
}

void WriteWav(TFile& file, const std::vector<std::uint8_t>& audio) {
  std::uint8_t header[48];
  BuildWavHeader(static_cast<std::uint32_t>(audio.size()), header);
  WriteAll(file, header, sizeof header);
  WriteAll(file, audio.data(), audio.size());
}

void WriteFlac(TFile& file, const std::vector<std::uint8_t>& audio, const TTrackTags& tags,
               const std::function<void(std::int64_t)>& progress) {
  TFlacWriter writer(file, audio.size() / 4, &tags);
  for (std::size_t at = 0; at < audio.size(); at += kFlacChunkBytes) {
    if (Stopping()) throw EAbort();
    const std::size_t n = std::min(kFlacChunkBytes, audio.size() - at);
    writer.Add(audio.data() + at, n);
    if (progress) progress(static_cast<std::int64_t>(at + n));
  }
  writer.Finish();
}

}  // namespace

const char* OutputExtension(int type) {
  switch (type) {
    case kOutputMp3:
      return ".mp3";
    case kOutputFlac:
      return ".flac";
    default:
      return ".wav";
  }
}

std::string WriteTrackFile(const std::string& dir, int p, int type, const std::vector<std::uint8_t>& audio,
                           const TTrackTags& tags, const std::function<void(std::int64_t)>& progress) {
  if (!DirectoryExists(dir)) ForceDirectories(dir);
  const std::string base = "track " + std::to_string(p);
  std::string name = base + OutputExtension(type);
  const std::string partial = dir + base + ".part";
  try {
    TFile file;
    if (!file.Open(partial, TFile::Mode::CreateReadWrite)) throw Exception("Cannot create file " + dir + name);
    if (type == kOutputMp3) {
      if (!EncodeMp3Audio(audio.data(), static_cast<std::int64_t>(audio.size()), file, &tags, progress)) {
        // The encoder would not start: the audio is kept as WAV.
        file.Close();
        if (!file.Open(partial, TFile::Mode::CreateReadWrite)) throw Exception("Cannot create file " + dir + name);
        name = base + ".wav";
        WriteWav(file, audio);
      }
    } else if (type == kOutputFlac) {
      WriteFlac(file, audio, tags, progress);
    } else {
      name = base + ".wav";
      WriteWav(file, audio);
    }
    file.Close();
    if (!RenameFileReplacing(partial, dir + name)) throw Exception("Cannot create file " + dir + name);
  } catch (...) {
    DeleteFileNamed(partial);
    throw;
  }
  if (progress) progress(static_cast<std::int64_t>(audio.size()));
  return name;
}

}  // namespace pellamy
