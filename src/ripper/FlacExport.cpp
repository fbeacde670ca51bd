#include "ripper/FlacExport.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <array>

#include "base/Exceptions.h"

namespace pellamy {

namespace {

constexpr unsigned kSampleRate = 44100;
constexpr unsigned kSeekPointSeconds = 10;  // as the reference encoder's default
constexpr std::size_t kFramesPerBlock = 4096;

FLAC__StreamEncoderWriteStatus WriteToFile(const FLAC__StreamEncoder*, const FLAC__byte buffer[], size_t bytes,
                                           uint32_t, uint32_t, void* data);
FLAC__StreamEncoderSeekStatus SeekInFile(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* data);
FLAC__StreamEncoderTellStatus TellInFile(const FLAC__StreamEncoder*, FLAC__uint64* offset, void* data);

}  // namespace

struct TFlacWriter::TState {
  TFile& File;
  std::uint64_t Position = 0;
  bool WriteFailed = false;
  FLAC__StreamEncoder* Encoder = nullptr;
  std::array<FLAC__StreamMetadata*, 2> Blocks{};
  std::vector<FLAC__int32> Samples;

  explicit TState(TFile& file) : File(file) {}
  ~TState() {
    if (Encoder != nullptr) FLAC__stream_encoder_delete(Encoder);
    for (FLAC__StreamMetadata* block : Blocks)
      if (block != nullptr) FLAC__metadata_object_delete(block);
  }
};

namespace {

FLAC__StreamEncoderWriteStatus WriteToFile(const FLAC__StreamEncoder*, const FLAC__byte buffer[], size_t bytes,
                                           uint32_t, uint32_t, void* data) {
  auto& state = *static_cast<TFlacWriter::TState*>(data);
  if (state.File.Write(buffer, static_cast<std::int64_t>(bytes)) != static_cast<std::int64_t>(bytes)) {
    state.WriteFailed = true;
    return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
  }
  state.Position += bytes;
  return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
}

FLAC__StreamEncoderSeekStatus SeekInFile(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* data) {
  auto& state = *static_cast<TFlacWriter::TState*>(data);
  if (state.File.Seek(static_cast<std::int64_t>(offset)) != static_cast<std::int64_t>(offset))
    return FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
  state.Position = offset;
  return FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
}

FLAC__StreamEncoderTellStatus TellInFile(const FLAC__StreamEncoder*, FLAC__uint64* offset, void* data) {
  *offset = static_cast<TFlacWriter::TState*>(data)->Position;
  return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}

void AddComment(FLAC__StreamMetadata* block, const std::string& entry) {
  FLAC__StreamMetadata_VorbisComment_Entry e;
  e.length = static_cast<FLAC__uint32>(entry.size());
  e.entry = reinterpret_cast<FLAC__byte*>(const_cast<char*>(entry.data()));
  if (!FLAC__metadata_object_vorbiscomment_append_comment(block, e, true)) throw Exception("Out of memory");
}

}  // namespace

std::vector<std::string> FlacComments(const TTrackTags& tags) {
  std::vector<std::string> out;
  auto add = [&out](const char* name, const std::string& value) {
    if (!value.empty()) out.push_back(std::string(name) + "=" + value);
  };
  add("TITLE", tags.Title);
  add("ARTIST", tags.Artist);
  add("ALBUM", tags.Album);
  add("ALBUMARTIST", tags.AlbumArtist);
  add("COMPOSER", tags.Composer);
  if (tags.Track > 0) add("TRACKNUMBER", std::to_string(tags.Track));
  if (tags.Total > 0) add("TRACKTOTAL", std::to_string(tags.Total));
  add("ISRC", tags.Isrc);
  add("MUSICBRAINZ_DISCID", tags.MusicBrainzDiscId);
  return out;
}

TFlacWriter::TFlacWriter(TFile& output, std::uint64_t totalSamples, const TTrackTags* tags)
    : FState(std::make_unique<TState>(output)) {
  TState& s = *FState;
  s.Encoder = FLAC__stream_encoder_new();
  if (s.Encoder == nullptr) throw Exception("Cannot start the FLAC encoder");
  bool ok =
      FLAC__stream_encoder_set_verify(s.Encoder, true) && FLAC__stream_encoder_set_compression_level(s.Encoder, 5) &&
      FLAC__stream_encoder_set_channels(s.Encoder, 2) && FLAC__stream_encoder_set_bits_per_sample(s.Encoder, 16) &&
      FLAC__stream_encoder_set_sample_rate(s.Encoder, kSampleRate) &&
      FLAC__stream_encoder_set_total_samples_estimate(s.Encoder, totalSamples);

  int blocks = 0;
  s.Blocks[blocks] = FLAC__metadata_object_new(FLAC__METADATA_TYPE_SEEKTABLE);
  if (s.Blocks[blocks] == nullptr ||
      !FLAC__metadata_object_seektable_template_append_spaced_points_by_samples(
          s.Blocks[blocks], kSeekPointSeconds * kSampleRate, totalSamples) ||
      !FLAC__metadata_object_seektable_template_sort(s.Blocks[blocks], true))
    throw Exception("Cannot start the FLAC encoder");
  ++blocks;
  if (tags != nullptr) {
    s.Blocks[blocks] = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    if (s.Blocks[blocks] == nullptr) throw Exception("Cannot start the FLAC encoder");
    for (const std::string& entry : FlacComments(*tags)) AddComment(s.Blocks[blocks], entry);
    ++blocks;
  }
  ok = ok && FLAC__stream_encoder_set_metadata(s.Encoder, s.Blocks.data(), static_cast<unsigned>(blocks));
  if (!ok || FLAC__stream_encoder_init_stream(s.Encoder, WriteToFile, SeekInFile, TellInFile, nullptr, &s) !=
                 FLAC__STREAM_ENCODER_INIT_STATUS_OK)
    throw Exception("Cannot start the FLAC encoder");
  s.Samples.resize(kFramesPerBlock * 2);
}

TFlacWriter::~TFlacWriter() = default;

void TFlacWriter::Add(const std::uint8_t* pcm, std::size_t bytes) {
  TState& s = *FState;
  if (bytes % 4 != 0) throw Exception("Audio of part of a sample");
  std::size_t frames = bytes / 4;
  while (frames > 0) {
    const std::size_t n = frames < kFramesPerBlock ? frames : kFramesPerBlock;
    for (std::size_t i = 0; i < n * 2; ++i)
      s.Samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8)));
    if (!FLAC__stream_encoder_process_interleaved(s.Encoder, s.Samples.data(), static_cast<uint32_t>(n)))
      throw Exception(s.WriteFailed
                          ? "Error writing flac"
                          : std::string("FLAC encoder: ") + FLAC__stream_encoder_get_resolved_state_string(s.Encoder));
    pcm += n * 4;
    frames -= n;
  }
}

void TFlacWriter::Finish() {
  TState& s = *FState;
  if (!FLAC__stream_encoder_finish(s.Encoder))
    throw Exception(s.WriteFailed
                        ? "Error writing flac"
                        : std::string("FLAC encoder: ") + FLAC__stream_encoder_get_resolved_state_string(s.Encoder));
}

}  // namespace pellamy
