// WaveFile: RIFF WAVE files as the cue sheet tests need them, good or bad,
// and sample bytes to fill them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellamy::test {

struct TWaveForm {
  int Tag = 1;  // PCM
  int Channels = 2;
  std::uint32_t Rate = 44100;
  int Bits = 16;
  int Align = 4;
  bool Extensible = false;    // written as the extensible format with Tag as its sub-format
  bool ChunksAround = false;  // odd-sized chunks before fmt, between fmt and data, and after data
  bool Streamed = false;      // data length left at 0xFFFFFFFF, as a stream writer does
};

inline void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

inline std::string Chunk(const std::string& id, const std::string& body) {
  std::string chunk = id;
  PutLe(chunk, static_cast<std::uint32_t>(body.size()), 4);
  chunk += body;
  if (body.size() % 2 != 0) chunk += '\0';
  return chunk;
}

inline std::string WaveBytes(const std::vector<std::uint8_t>& samples, const TWaveForm& form = {}) {
  std::string format;
  PutLe(format, form.Extensible ? 0xFFFE : form.Tag, 2);
  PutLe(format, form.Channels, 2);
  PutLe(format, form.Rate, 4);
  PutLe(format, form.Rate * form.Align, 4);
  PutLe(format, form.Align, 2);
  PutLe(format, form.Bits, 2);
  if (form.Extensible) {
    PutLe(format, 22, 2);
    PutLe(format, form.Bits, 2);
    PutLe(format, 3, 4);  // front left and right
    PutLe(format, form.Tag, 2);
    format += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
  }
  std::string body = "WAVE";
  if (form.ChunksAround) body += Chunk("JUNK", "odd");
  body += Chunk("fmt ", format);
  if (form.ChunksAround) body += Chunk("LIST", "INFOIART" + std::string("\x05\0\0\0Band", 9));
  std::string data = Chunk("data", std::string(samples.begin(), samples.end()));
  if (form.Streamed) data.replace(4, 4, "\xFF\xFF\xFF\xFF");
  body += data;
  if (form.ChunksAround) body += Chunk("id3 ", "TAG1234");
  std::string file = "RIFF";
  PutLe(file, static_cast<std::uint32_t>(body.size()), 4);
  return file + body;
}

// count bytes of samples that differ from sector to sector and file to file.
inline std::vector<std::uint8_t> SampleBytes(std::size_t count, int seed) {
  std::vector<std::uint8_t> bytes(count);
  std::uint32_t x = 2463534242u + static_cast<std::uint32_t>(seed) * 7919u;
  for (std::uint8_t& b : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<std::uint8_t>(x);
  }
  return bytes;
}

}  // namespace pellamy::test
