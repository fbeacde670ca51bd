// Skin decompression throughput, in MB/s of decompressed content:
//   bench_skin_decompress            an 8 MB skin of description text and
//                                    BMP-like images, packed in memory
//   bench_skin_decompress FILE.skn   a skin file
// Prints the best of several runs of the whole container read (decoding and
// indexing).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "SkinPack.h"
#include "skin/file/SkinRead.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Description(std::size_t size) {
  std::string text;
  for (int i = 0; text.size() < size; ++i) {
    text += "[Button" + std::to_string(i) + "]\r\nAction=" + std::to_string(i % 12) +
            "\r\nAlign=" + std::to_string(i % 3) + "\r\nXcoord=" + std::to_string(18 + i * 7 % 90) +
            "\r\nYcoord=4\r\nButtonImage=btn" + std::to_string(i % 40) +
            ".bmp\r\nNormalColour2=" + std::to_string(i * 37 % 256) + "," + std::to_string(i * 11 % 256) + ",0\r\n\r\n";
  }
  text.resize(size);
  return Bytes(text.begin(), text.end());
}

// A 24-bit bottom-up BMP: smooth gradients, flat magenta areas, and in some
// images a little noise, as skin artwork tends to be.
Bytes Image(int width, int height, unsigned seed) {
  std::mt19937 rng(seed);
  const int stride = (width * 3 + 3) & ~3;
  const std::uint32_t pixels = static_cast<std::uint32_t>(stride * height);
  Bytes bmp(54 + pixels, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, 54 + pixels);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  bmp[26] = 1;
  bmp[28] = 24;
  put32(34, pixels);
  const int noise = static_cast<int>(seed % 3) * 6;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &bmp[54 + static_cast<std::size_t>(y * stride + x * 3)];
      if ((x / 16 + y / 16) % 5 == 0) {
        p[0] = 0xFF, p[1] = 0x00, p[2] = 0xFF;
        continue;
      }
      const int n = noise ? static_cast<int>(rng() % static_cast<unsigned>(noise)) : 0;
      p[0] = static_cast<std::uint8_t>(x * 255 / width + n);
      p[1] = static_cast<std::uint8_t>(y * 255 / height + n);
      p[2] = static_cast<std::uint8_t>((x + y) / 4 + n);
    }
  }
  return bmp;
}

std::vector<pellamy::TSkinEntry> MixedSkin(std::size_t total) {
  std::vector<pellamy::TSkinEntry> entries{{"skin.ini", Description(256 * 1024)}};
  std::size_t size = entries[0].Bytes.size();
  for (unsigned i = 0; size < total; ++i) {
    Bytes image = Image(64 + static_cast<int>(i * 53 % 400), 16 + static_cast<int>(i * 29 % 200), i);
    image.resize(std::min(image.size(), total - size));
    size += image.size();
    entries.push_back({"image" + std::to_string(i) + ".bmp", std::move(image)});
  }
  return entries;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Bytes skin;
    if (argc == 2) {
      std::ifstream in(argv[1], std::ios::binary);
      if (!in) throw std::runtime_error(std::string("cannot open ") + argv[1]);
      skin.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
      const auto t0 = std::chrono::steady_clock::now();
      skin = pellamy::PackSkin(MixedSkin(8 * 1024 * 1024));
      const std::chrono::duration<double> packing = std::chrono::steady_clock::now() - t0;
      std::printf("packed an 8 MB mixed skin in %.2f s\n", packing.count());
    }
    const std::int64_t content = skin.size() >= 4 ? skin[0] | skin[1] << 8 | skin[2] << 16 | skin[3] << 24 : 0;
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
      pellamy::TSkinReader reader;
      const auto t0 = std::chrono::steady_clock::now();
      if (!reader.DecodeContainer(skin)) throw std::runtime_error(reader.LastMessage());
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - t0;
      best = std::min(best, took.count());
    }
    std::printf("content %lld bytes, container %zu bytes (%.1f%%), best decode %.3f s: %.1f MB/s\n",
                static_cast<long long>(content), skin.size(), 100.0 * static_cast<double>(skin.size()) / content, best,
                static_cast<double>(content) / 1e6 / best);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_skin_decompress: %s\n", e.what());
    return 1;
  }
}
