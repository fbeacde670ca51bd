#include "ripper/TrackOutput.h"

#include "base/Exceptions.h"
#include "ripper/FileIo.h"
#include "ripper/FlacExport.h"
#include "ripper/MP3export.h"
#include "ripper/RipWindow.h"
#include "ripper/ScsiManagerUnit.h"

namespace pellamy {

namespace {

constexpr std::size_t kChunkBytes = 588 * 4 * 75;  // one second

bool Stopping() {
  TRipWindow* window = RipWindow();
  return window != nullptr && window->Closing();
}

void WriteAll(TFile& file, const void* data, std::size_t count) {
  if (file.Write(data, static_cast<std::int64_t>(count)) != static_cast<std::int64_t>(count))
    throw Exception("Stream write error");
}

// Every byte of the stream's announced length, or an error.
template <typename Sink>
void CopyStream(TAudioStream& audio, std::vector<std::uint8_t>& buffer, Sink sink,
                const std::function<void(std::int64_t)>& progress) {
  std::uint64_t done = 0;
  for (std::size_t n; (n = audio.Pull(buffer.data(), buffer.size())) > 0;) {
    if (Stopping()) throw EAbort();
    sink(buffer.data(), n);
    done += n;
    if (progress) progress(static_cast<std::int64_t>(done));
  }
  if (done != audio.Length()) throw Exception("Erreur de lecture");
}

void WriteWav(TFile& file, TAudioStream& audio, const std::function<void(std::int64_t)>& progress) {
  std::uint8_t header[48];
  BuildWavHeader(static_cast<std::uint32_t>(audio.Length()), header);
  WriteAll(file, header, sizeof header);
  std::vector<std::uint8_t> buffer(kChunkBytes);
  CopyStream(
      audio, buffer, [&file](const std::uint8_t* data, std::size_t n) { WriteAll(file, data, n); }, progress);
}

void WriteFlac(TFile& file, TAudioStream& audio, const TTrackTags& tags,
               const std::function<void(std::int64_t)>& progress) {
  TFlacWriter writer(file, audio.Length() / 4, &tags);
  std::vector<std::uint8_t> buffer(kChunkBytes);
  CopyStream(
      audio, buffer, [&writer](const std::uint8_t* data, std::size_t n) { writer.Add(data, n); }, progress);
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

std::string WriteTrackFile(const std::string& dir, int p, int type, TAudioStream& audio, const TTrackTags& tags,
                           const std::function<void(std::int64_t)>& progress) {
  if (!DirectoryExists(dir)) ForceDirectories(dir);
  const std::string base = "track " + std::to_string(p);
  std::string name = base + OutputExtension(type);
  const std::string partial = dir + base + ".part";
  try {
    TFile file;
    if (!file.Open(partial, TFile::Mode::CreateReadWrite)) throw Exception("Cannot create file " + dir + name);
    if (type == kOutputMp3) {
      if (!EncodeMp3Audio(audio, file, &tags, progress)) {
        // The encoder would not start: the audio is kept as WAV.
        file.Close();
        if (!file.Open(partial, TFile::Mode::CreateReadWrite)) throw Exception("Cannot create file " + dir + name);
        name = base + ".wav";
        WriteWav(file, audio, progress);
      }
    } else if (type == kOutputFlac) {
      WriteFlac(file, audio, tags, progress);
    } else {
      name = base + ".wav";
      WriteWav(file, audio, progress);
    }
    file.Close();
    if (!RenameFileReplacing(partial, dir + name)) throw Exception("Cannot create file " + dir + name);
  } catch (...) {
    DeleteFileNamed(partial);
    throw;
  }
  if (progress) progress(static_cast<std::int64_t>(audio.Length()));
  return name;
}

}  // namespace pellamy
