#include "imaging/JpegFormat.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "base/Exceptions.h"

// The library reports a fatal error by calling error_exit, which must not
// return. Ours jumps back to the setjmp in the helper that called into the
// library. Between that setjmp and the jump there are only the library's C
// frames and the helper's own, so the helpers (StartDecoding, FinishDecoding,
// Compress) hold no object with a destructor; the callers own everything.

namespace pellamy {

namespace {

// Input larger than this is refused before the library sees it (its length
// parameter is an unsigned long, 32 bits on Windows).
constexpr std::size_t kMaxJpegBytes = std::size_t{1} << 30;
// Progressive data may repeat scans; real files have a dozen.
constexpr int kMaxScans = 1000;
// The library's working memory (whole-picture coefficient buffers of
// progressive files) beyond the decoded pixels.
constexpr long kMaxLibraryMemory = 512L << 20;

[[noreturn]] void Fail(const std::string& why) {
  throw Exception("JPEG image is not valid: " + why);
}

struct TErrors {
  jpeg_error_mgr Manager;  // first: the library sees only this part
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
  auto* errors = reinterpret_cast<TErrors*>(info->err);
  (*info->err->format_message)(info, errors->Message);
  std::longjmp(errors->Jump, 1);
}

void OutputMessage(j_common_ptr) {}

// Warnings about damaged data end the decoding: they stand for pixels the
// library had to invent. Harmless ones (unknown JFIF revision, Adobe
// transform, ICC profile) are ignored, as are trace messages.
void EmitMessage(j_common_ptr info, int level) {
  if (level >= 0) return;
  switch (info->err->msg_code) {
    case JWRN_ARITH_BAD_CODE:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_JPEG_EOF:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
      ErrorExit(info);
    default:
      ++info->err->num_warnings;
  }
}

void InstallErrors(TErrors& errors) {
  jpeg_std_error(&errors.Manager);
  errors.Manager.error_exit = ErrorExit;
  errors.Manager.output_message = OutputMessage;
  errors.Manager.emit_message = EmitMessage;
  errors.Message[0] = '\0';
}

void CheckScans(j_common_ptr info) {
  if (!info->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
    auto* errors = reinterpret_cast<TErrors*>(info->err);
    std::snprintf(errors->Message, sizeof errors->Message, "it has more than %d scans", kMaxScans);
    std::longjmp(errors->Jump, 1);
  }
}

struct TDecodeState {
  jpeg_decompress_struct Info;
  TErrors Errors;
  jpeg_progress_mgr Progress;
};

bool StartDecoding(TDecodeState& s, const std::uint8_t* data, std::size_t size) {
  if (setjmp(s.Errors.Jump)) return false;
  jpeg_create_decompress(&s.Info);
  s.Info.mem->max_memory_to_use = kMaxLibraryMemory;
  s.Progress.progress_monitor = CheckScans;
  s.Info.progress = &s.Progress;
  jpeg_mem_src(&s.Info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&s.Info, TRUE);
  return true;
}

std::uint32_t Pack(unsigned r, unsigned g, unsigned b) {
  return (r << 16) | (g << 8) | b;
}

// CMYK as the library hands it over; files with an Adobe marker store the
// inks inverted.
std::uint32_t FromCmyk(const JSAMPLE* p, bool inverted) {
  unsigned c = p[0], m = p[1], y = p[2], k = p[3];
  if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
  return Pack((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
}

// Decodes into out, which holds image_width * image_height pixels.
bool FinishDecoding(TDecodeState& s, std::uint32_t* out) {
  if (setjmp(s.Errors.Jump)) return false;
  j_decompress_ptr info = &s.Info;
  switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE:
      info->out_color_space = JCS_GRAYSCALE;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      info->out_color_space = JCS_CMYK;
      break;
    default:
      info->out_color_space = JCS_RGB;
      break;
  }
  jpeg_start_decompress(info);
  const JDIMENSION width = info->output_width;
  if (width != info->image_width || info->output_height != info->image_height) ERREXIT(info, JERR_IMAGE_TOO_BIG);
  const int components = info->output_components;
  JSAMPARRAY row = (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                              width * static_cast<JDIMENSION>(components), 1);
  const bool inverted = info->saw_Adobe_marker;
  while (info->output_scanline < info->output_height) {
    std::uint32_t* dst = out + static_cast<std::size_t>(info->output_scanline) * width;
    if (jpeg_read_scanlines(info, row, 1) != 1) ERREXIT(info, JERR_INPUT_EOF);
    const JSAMPLE* src = row[0];
    for (JDIMENSION x = 0; x < width; ++x, src += components) {
      if (components == 1)
        dst[x] = Pack(src[0], src[0], src[0]);
      else if (components == 3)
        dst[x] = Pack(src[0], src[1], src[2]);
      else
        dst[x] = FromCmyk(src, inverted);
    }
  }
  jpeg_finish_decompress(info);
  return true;
}

// A destination that grows one malloc'd buffer; the caller frees it.
struct TMemoryDestination {
  jpeg_destination_mgr Manager;  // first: the library sees only this part
  JOCTET* Buffer;
  std::size_t Capacity;
  std::size_t Length;
};

void InitDestination(j_compress_ptr info) {
  auto* d = reinterpret_cast<TMemoryDestination*>(info->dest);
  d->Capacity = 64 * 1024;
  d->Buffer = static_cast<JOCTET*>(std::malloc(d->Capacity));
  if (d->Buffer == nullptr) ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
  d->Manager.next_output_byte = d->Buffer;
  d->Manager.free_in_buffer = d->Capacity;
}

boolean GrowDestination(j_compress_ptr info) {
  auto* d = reinterpret_cast<TMemoryDestination*>(info->dest);
  const std::size_t capacity = d->Capacity * 2;
  auto* grown = static_cast<JOCTET*>(std::realloc(d->Buffer, capacity));
  if (grown == nullptr) ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);
  d->Buffer = grown;
  d->Manager.next_output_byte = grown + d->Capacity;
  d->Manager.free_in_buffer = capacity - d->Capacity;
  d->Capacity = capacity;
  return TRUE;
}

void TermDestination(j_compress_ptr info) {
  auto* d = reinterpret_cast<TMemoryDestination*>(info->dest);
  d->Length = d->Capacity - d->Manager.free_in_buffer;
}

struct TEncodeState {
  jpeg_compress_struct Info;
  TErrors Errors;
  TMemoryDestination Destination;
};

bool Compress(TEncodeState& s, const TPixelImage& image, int quality, bool grayscale) {
  if (setjmp(s.Errors.Jump)) return false;
  j_compress_ptr info = &s.Info;
  jpeg_create_compress(info);
  s.Destination.Manager.init_destination = InitDestination;
  s.Destination.Manager.empty_output_buffer = GrowDestination;
  s.Destination.Manager.term_destination = TermDestination;
  info->dest = &s.Destination.Manager;
  info->image_width = static_cast<JDIMENSION>(image.Width);
  info->image_height = static_cast<JDIMENSION>(image.Height);
  info->input_components = grayscale ? 1 : 3;
  info->in_color_space = grayscale ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(info);
  jpeg_set_quality(info, quality, TRUE);
  jpeg_start_compress(info, TRUE);
  JSAMPARRAY row = (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                              info->image_width * static_cast<JDIMENSION>(info->input_components), 1);
  while (info->next_scanline < info->image_height) {
    const std::uint32_t* src = image.Pixels.data() + static_cast<std::size_t>(info->next_scanline) * image.Width;
    JSAMPLE* dst = row[0];
    for (int x = 0; x < image.Width; ++x) {
      const unsigned r = (src[x] >> 16) & 0xFF, g = (src[x] >> 8) & 0xFF, b = src[x] & 0xFF;
      if (grayscale) {
        *dst++ = static_cast<JSAMPLE>((299 * r + 587 * g + 114 * b + 500) / 1000);
      } else {
        *dst++ = static_cast<JSAMPLE>(r);
        *dst++ = static_cast<JSAMPLE>(g);
        *dst++ = static_cast<JSAMPLE>(b);
      }
    }
    jpeg_write_scanlines(info, row, 1);
  }
  jpeg_finish_compress(info);
  return true;
}

}  // namespace

TPixelImage DecodeJpeg(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size == 0) Fail("there is no data");
  if (size > kMaxJpegBytes) Fail("its " + std::to_string(size) + " bytes are more than allowed");
  TDecodeState state{};
  InstallErrors(state.Errors);
  state.Info.err = &state.Errors.Manager;
  struct TRelease {
    TDecodeState& State;
    ~TRelease() { jpeg_destroy_decompress(&State.Info); }
  } release{state};

  if (!StartDecoding(state, data, size)) Fail(state.Errors.Message);
  CheckImageDimensions(state.Info.image_width, state.Info.image_height, "JPEG image");
  TPixelImage image;
  image.Width = static_cast<int>(state.Info.image_width);
  image.Height = static_cast<int>(state.Info.image_height);
  image.Pixels.resize(static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height));
  if (!FinishDecoding(state, image.Pixels.data())) Fail(state.Errors.Message);
  return image;
}

std::vector<std::uint8_t> EncodeJpeg(const TPixelImage& image, int quality, bool grayscale) {
  CheckImageDimensions(image.Width, image.Height, "Picture to encode");
  if (image.Pixels.size() != static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height))
    throw Exception("Picture to encode is not valid: it has " + std::to_string(image.Pixels.size()) + " pixels for " +
                    std::to_string(image.Width) + " x " + std::to_string(image.Height));
  if (quality < 1 || quality > 100)
    throw Exception("JPEG quality " + std::to_string(quality) + " is outside the range 1 to 100");
  TEncodeState state{};
  InstallErrors(state.Errors);
  state.Info.err = &state.Errors.Manager;
  struct TRelease {
    TEncodeState& State;
    ~TRelease() {
      jpeg_destroy_compress(&State.Info);
      std::free(State.Destination.Buffer);
    }
  } release{state};

  if (!Compress(state, image, quality, grayscale))
    throw Exception(std::string("JPEG encoding failed: ") + state.Errors.Message);
  return std::vector<std::uint8_t>(state.Destination.Buffer, state.Destination.Buffer + state.Destination.Length);
}

}  // namespace pellamy
