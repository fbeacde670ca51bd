#include "ripper/MP3export.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>

#include "base/Exceptions.h"
#include "ripper/RipWindow.h"

namespace pellamy {

namespace {

const TEncoderFunctions kLinkedEncoder{&beInitStream, &beEncodeChunk, &beDeinitStream, &beCloseStream};
std::atomic<const TEncoderFunctions*> gEncoder{&kLinkedEncoder};

bool Stopping() {
  TRipWindow* window = RipWindow();
  return window != nullptr && window->Closing();
}

}  // namespace

const TEncoderFunctions& EncoderFunctions() {
  return *gEncoder.load();
}
void SetEncoderFunctions(const TEncoderFunctions* functions) {
  gEncoder = functions != nullptr ? functions : &kLinkedEncoder;
}

EncoderConfig MakeEncoderConfig() {
  EncoderConfig config;
  std::memset(&config, 0, sizeof(config));
  config.dwConfig = kBeConfigLame;
  config.dwStructVersion = kBeConfigVersion;
  config.dwStructSize = kBeConfigSize;
  config.dwSampleRate = 44100;
  config.dwReSampleRate = 0;
  config.nMode = kBeModeJointStereo;
  config.dwBitrate = 128;
  config.nPreset = 4;
  config.dwMpegVersion = 1;
  config.dwPsyModel = 0;
  config.dwEmphasis = 0;
  config.bOriginal = -1;
  config.bWriteVBRHeader = -1;
  config.bNoRes = -1;
  return config;
}

int ProgressPercent(std::uint64_t done, std::uint64_t length) {
  if (length == 0) return 0;
  const unsigned __int128 scaled = static_cast<unsigned __int128>(done) * 100;
  std::uint64_t q = static_cast<std::uint64_t>(scaled / length);
  const unsigned __int128 twiceRest = (scaled % length) * 2;
  if (twiceRest > length || (twiceRest == length && (q & 1) != 0)) ++q;
  return static_cast<int>(q);
}

namespace {

// The encoder loop over length bytes of audio that read(buffer, count)
// supplies; progress(done) after every kChunksPerProgress chunks.
bool EncodeMp3Stream(const std::function<bool(std::uint8_t*, std::int64_t)>& read, std::int64_t length, TFile& output,
                     const std::function<void(std::int64_t)>& progress) {
  const TEncoderFunctions& encoder = EncoderFunctions();
  EncoderConfig config = MakeEncoderConfig();
  std::uint32_t samples = 0;
  std::uint32_t outputSize = 0;
  BeStream stream = 0;
  if (encoder.InitStream(&config, &samples, &outputSize, &stream) != kBeErrSuccessful) return false;
  // Closed once on the way out, also when the audio source stops the rip;
  // a failed read or write leaves it open, as it always has.
  struct TCloser {
    const TEncoderFunctions& Encoder;
    BeStream Stream;
    bool Armed = true;
    ~TCloser() {
      if (Armed) Encoder.CloseStream(Stream);
    }
  } closer{encoder, stream};
  auto fail = [&closer](const char* text) {
    closer.Armed = false;
    throw Exception(text);
  };

  const std::int64_t chunkMax = static_cast<std::int64_t>(samples) * 2;
  auto in = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(chunkMax) + 1);
  auto out = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(outputSize) + 1);

  std::int64_t done = 0;
  std::int64_t chunks = 0;
  while (done < length) {
    const std::int64_t chunk = length > done + chunkMax ? chunkMax : length - done;
    if (Stopping()) throw EAbort();
    if (!read(in.get(), chunk)) fail("Erreur de lecture");
    std::uint32_t produced = 0;
    if (encoder.EncodeChunk(stream, static_cast<std::uint32_t>(chunk / 2), reinterpret_cast<std::int16_t*>(in.get()),
                            out.get(), &produced) != kBeErrSuccessful)
      throw Exception("error encoding...");
    if (produced > outputSize || output.Write(out.get(), produced) != produced) fail("Error writing mp3");
    done += chunk;
    ++chunks;
    if (chunks % kChunksPerProgress == 0 && progress) progress(done);
  }

  std::uint32_t produced = 0;
  if (encoder.DeinitStream(stream, out.get(), &produced) != kBeErrSuccessful) throw Exception("Error Deinit");
  if (produced != 0 && (produced > outputSize || output.Write(out.get(), produced) != produced))
    fail("Error writing mp3");
  return true;
}

void WriteTagBytes(TFile& mp3, const std::uint8_t* data, std::size_t size) {
  if (mp3.Write(data, static_cast<std::int64_t>(size)) != static_cast<std::int64_t>(size))
    throw Exception("Error writing mp3");
}

}  // namespace

bool EncodeMp3(TFile& input, TFile& output) {
  // Only the audio is encoded: the header would play as a click.
  const std::int64_t fileLength = input.SeekEnd();
  const std::int64_t length = fileLength > kWavHeaderBytes ? fileLength - kWavHeaderBytes : 0;
  input.Seek(length > 0 ? kWavHeaderBytes : 0);
  return EncodeMp3Stream(
      [&input](std::uint8_t* buffer, std::int64_t count) { return input.Read(buffer, count) == count; }, length, output,
      [length](std::int64_t done) {
        if (TRipWindow* window = RipWindow())
          window->SetProgress(ProgressPercent(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(length)));
      });
}

bool EncodeMp3Audio(TAudioStream& audio, TFile& output, const TTrackTags* tags,
                    const std::function<void(std::int64_t)>& progress) {
  if (tags != nullptr) {
    const std::vector<std::uint8_t> head = BuildId3v2(*tags);
    WriteTagBytes(output, head.data(), head.size());
  }
  const bool made =
      EncodeMp3Stream([&audio](std::uint8_t* buffer,
                               std::int64_t count) { return audio.PullAll(buffer, static_cast<std::size_t>(count)); },
                      static_cast<std::int64_t>(audio.Length()), output, progress);
  if (made && tags != nullptr) {
    const auto tail = BuildId3v1(*tags);
    WriteTagBytes(output, tail.data(), tail.size());
  }
  return made;
}

bool ConvertWavToMp3(const std::string& wavName, const std::string& mp3Name, const TTrackTags* tags) {
  TFile wav(wavName, TFile::Mode::OpenRead);
  TFile mp3(mp3Name, TFile::Mode::CreateReadWrite);
  bool made = false;
  try {
    if (tags != nullptr) {
      const std::vector<std::uint8_t> head = BuildId3v2(*tags);
      WriteTagBytes(mp3, head.data(), head.size());
    }
    made = EncodeMp3(wav, mp3);
    if (made && tags != nullptr) {
      const auto tail = BuildId3v1(*tags);
      WriteTagBytes(mp3, tail.data(), tail.size());
    }
  } catch (const EAbort&) {
    // The window is closing: the half-made MP3 goes.
    mp3.Close();
    DeleteFileNamed(mp3Name);
    throw;
  }
  wav.Close();
  mp3.Close();
  if (!made) DeleteFileNamed(mp3Name);
  return made;
}

}  // namespace pellamy
