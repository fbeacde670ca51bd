// The picture decoders: BMP files of every kind the reader accepts decode to
// the exact pixels, damaged files are refused with a message, and JPEG data
// survives a round trip through the encoder within the codec's error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "base/Exceptions.h"
#include "imaging/BmpFormat.h"
#include "imaging/JpegFormat.h"

namespace pellamy {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v);
  Put16(b, v >> 16);
}

// A BMP file put together field by field, so that each test states exactly
// what it feeds the reader.
struct TBmp {
  TBmp(std::int32_t width, std::int32_t height, std::uint16_t bitCount)
      : Width(width), Height(height), BitCount(bitCount) {}

  std::uint32_t HeaderSize = 40;
  std::int32_t Width;
  std::int32_t Height;
  std::uint16_t Planes = 1;
  std::uint16_t BitCount;
  std::uint32_t Compression = 0;
  std::uint32_t ColorsUsed = 0;
  std::vector<std::uint32_t> Masks;    // in the header (52 and up) or after it (40)
  std::vector<std::uint32_t> Palette;  // 0x00RRGGBB; 3 bytes each with the core header
  Bytes Pixels;                        // rows as stored, padding included
  std::int64_t Offset = -1;            // the pixel data offset; -1: where the pixels are put

  Bytes Build() const {
    Bytes b = {'B', 'M'};
    Put32(b, 0);  // file size: not trusted by the reader
    Put32(b, 0);
    Put32(b, 0);  // offset, patched below
    Put32(b, HeaderSize);
    if (HeaderSize == 12) {
      Put16(b, static_cast<std::uint32_t>(Width));
      Put16(b, static_cast<std::uint32_t>(Height));
      Put16(b, Planes);
      Put16(b, BitCount);
    } else {
      Put32(b, static_cast<std::uint32_t>(Width));
      Put32(b, static_cast<std::uint32_t>(Height));
      Put16(b, Planes);
      Put16(b, BitCount);
      Put32(b, Compression);
      Put32(b, static_cast<std::uint32_t>(Pixels.size()));
      Put32(b, 3780);
      Put32(b, 3780);
      Put32(b, ColorsUsed);
      Put32(b, 0);
      std::size_t masks = 0;
      if (HeaderSize >= 52)
        for (; masks < 4 && 40 + 4 * masks < HeaderSize; ++masks) Put32(b, masks < Masks.size() ? Masks[masks] : 0);
      b.resize(14 + HeaderSize, 0);
      for (; masks < Masks.size(); ++masks) Put32(b, Masks[masks]);
    }
    for (std::uint32_t c : Palette) {
      b.push_back(static_cast<std::uint8_t>(c));
      b.push_back(static_cast<std::uint8_t>(c >> 8));
      b.push_back(static_cast<std::uint8_t>(c >> 16));
      if (HeaderSize != 12) b.push_back(0);
    }
    const std::uint32_t offset =
        Offset >= 0 ? static_cast<std::uint32_t>(Offset) : static_cast<std::uint32_t>(b.size());
    for (int i = 0; i < 4; ++i) b[10 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
    b.insert(b.end(), Pixels.begin(), Pixels.end());
    return b;
  }
};

TPixelImage Decode(const Bytes& file) {
  return DecodeBmp(file.data(), file.size());
}

std::vector<std::uint32_t> Rows(std::initializer_list<std::uint32_t> pixels) {
  return pixels;
}

// The message of the refusal, or "" when the data was accepted.
std::string Refusal(const Bytes& file) {
  try {
    Decode(file);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "";
}

TPixelImage Gradient(int width, int height) {
  TPixelImage image{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.Pixels.push_back((static_cast<std::uint32_t>(x * 255 / (width - 1)) << 16) |
                             (static_cast<std::uint32_t>(y * 255 / (height - 1)) << 8) | 0x60);
  return image;
}

TEST(BmpDecode, TwentyFourBitRoundTripKeepsEveryPixelAndStoresRowsFromTheBottom) {
  TPixelImage image{5,
                    3,
                    {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F,  //
                     0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0,  //
                     0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000}};
  const Bytes file = EncodeBmp24(image);
  ASSERT_EQ(file.size(), 54u + 3 * 16);  // 5 pixels of 3 bytes padded to 16
  // The first stored row is the picture's last: red, stored blue-green-red.
  EXPECT_EQ(file[54], 0x00);
  EXPECT_EQ(file[56], 0xFF);
  const TPixelImage back = Decode(file);
  EXPECT_EQ(back.Width, 5);
  EXPECT_EQ(back.Height, 3);
  EXPECT_EQ(back.Pixels, image.Pixels);
}

TEST(BmpDecode, PalettedPixelsOfOneFourAndEightBits) {
  // 1 bit, 10 pixels a row (2 bytes, padded to 4), bottom-up.
  TBmp one(10, 2, 1);
  one.Palette = {0x112233, 0xAABBCC};
  one.Pixels = {0b10000000, 0b01000000, 0, 0,   // bottom row: pixels 0 and 9 set
                0b01010101, 0b00000000, 0, 0};  // top row: odd pixels up to 7
  const TPixelImage a = Decode(one.Build());
  const std::uint32_t k = 0x112233, W = 0xAABBCC;
  EXPECT_EQ(a.Pixels, Rows({k, W, k, W, k, W, k, W, k, k,  //
                            W, k, k, k, k, k, k, k, k, W}));

  // 4 bits with a three-colour table, top-down (negative height).
  TBmp four(3, -2, 4);
  four.ColorsUsed = 3;
  four.Palette = {0xFF0000, 0x00FF00, 0x0000FF};
  four.Pixels = {0x01, 0x20, 0, 0,  //
                 0x22, 0x10, 0, 0};
  EXPECT_EQ(Decode(four.Build()).Pixels, Rows({0xFF0000, 0x00FF00, 0x0000FF,  //
                                               0x0000FF, 0x0000FF, 0x00FF00}));

  // 8 bits, bottom-up, full 256-entry table.
  TBmp eight(2, 2, 8);
  for (std::uint32_t i = 0; i < 256; ++i) eight.Palette.push_back(i * 0x010101);
  eight.Pixels = {7, 255, 0, 0, 0, 128, 0, 0};
  EXPECT_EQ(Decode(eight.Build()).Pixels, Rows({0x000000, 0x808080, 0x070707, 0xFFFFFF}));

  // The core header: 3-byte table entries, as many as fit before the pixels.
  TBmp core(3, 1, 8);
  core.HeaderSize = 12;
  core.Palette = {0x123456, 0xABCDEF};
  core.Pixels = {1, 0, 1, 0};
  EXPECT_EQ(Decode(core.Build()).Pixels, Rows({0xABCDEF, 0x123456, 0xABCDEF}));
}

TEST(BmpDecode, SixteenAndThirtyTwoBitPixelsWithAndWithoutColourMasks) {
  // 5-5-5 without masks: full white, full red, and 16 of 31 in blue.
  TBmp rgb555(3, 1, 16);
  rgb555.Pixels = {0xFF, 0x7F, 0x00, 0x7C, 0x10, 0x00, 0, 0};
  EXPECT_EQ(Decode(rgb555.Build()).Pixels, Rows({0xFFFFFF, 0xFF0000, 0x000084}));

  // 5-6-5 through colour masks after the 40-byte header: green has 6 bits.
  TBmp rgb565(3, 1, 16);
  rgb565.Compression = 3;
  rgb565.Masks = {0xF800, 0x07E0, 0x001F};
  rgb565.Pixels = {0x00, 0xF8, 0xE0, 0x07, 0x00, 0x04, 0, 0};
  EXPECT_EQ(Decode(rgb565.Build()).Pixels, Rows({0xFF0000, 0x00FF00, 0x008200}));

  // 32 bits uncompressed: the fourth byte is dropped.
  TBmp plain(2, 1, 32);
  plain.Pixels = {0x33, 0x22, 0x11, 0xFF, 0xCC, 0xBB, 0xAA, 0x80};
  EXPECT_EQ(Decode(plain.Build()).Pixels, Rows({0x112233, 0xAABBCC}));

  // 32 bits with red and blue swapped by the masks, in a version 5 header.
  TBmp swapped(2, 1, 32);
  swapped.HeaderSize = 124;
  swapped.Compression = 3;
  swapped.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
  swapped.Pixels = {0x11, 0x22, 0x33, 0x44, 0xFF, 0x00, 0x00, 0x00};
  EXPECT_EQ(Decode(swapped.Build()).Pixels, Rows({0x112233, 0xFF0000}));

  // A version 4 header with plain 32-bit pixels ignores the masks it holds.
  TBmp v4(1, 1, 32);
  v4.HeaderSize = 108;
  v4.Masks = {0xFF, 0xFF00, 0xFF0000};
  v4.Pixels = {0x01, 0x02, 0x03, 0x00};
  EXPECT_EQ(Decode(v4.Build()).Pixels, Rows({0x030201}));
}

TEST(BmpDecode, TwentyFourBitTopDownRowsAndALastRowWithoutPadding) {
  TBmp bmp(1, -2, 24);
  bmp.Pixels = {0x01, 0x02, 0x03, 0x00, 0x04, 0x05, 0x06};  // second row not padded
  EXPECT_EQ(Decode(bmp.Build()).Pixels, Rows({0x030201, 0x060504}));
}

TEST(BmpDecode, RunLengthCodedPixels) {
  const std::uint32_t A = 0x0000AA, B = 0x00BB00, C = 0xCC0000;
  // 8 bits: bottom row "run of 3 B, then literal C A C"; an end of row; the
  // next row starts with a move 1 right and 1 up, so the middle row stays colour
  // 0 and the top row gets B at x 1, then a run past the row end is cut.
  TBmp rle8(5, 3, 8);
  rle8.Compression = 1;
  rle8.ColorsUsed = 3;
  rle8.Palette = {A, B, C};
  rle8.Pixels = {3, 1, 0, 3, 2, 0, 2, 0,                       // run, literal of 3 padded to 4 bytes
                 0, 0,                                         // end of row
                 0, 2, 1, 1,                                   // move
                 9, 1,                                         // 9 B from x 1: cut at the row end
                 0, 1};                                        // end of picture
  EXPECT_EQ(Decode(rle8.Build()).Pixels, Rows({A, B, B, B, B,  //
                                               A, A, A, A, A,  //
                                               B, B, B, C, A}));
  // 4 bits: a run alternates its two nibbles; a literal of 3 nibbles takes 2
  // bytes, already even.
  TBmp rle4(6, 1, 4);
  rle4.Compression = 2;
  rle4.ColorsUsed = 3;
  rle4.Palette = {A, B, C};
  rle4.Pixels = {3, 0x12, 0, 3, 0x21, 0x00, 0, 1};
  EXPECT_EQ(Decode(rle4.Build()).Pixels, Rows({B, C, B, C, B, A}));
}

TEST(BmpDecode, EveryKindOfDamagedFileIsRefusedWithAMessage) {
  TBmp good(2, 2, 8);
  good.ColorsUsed = 2;
  good.Palette = {0, 0xFFFFFF};
  good.Pixels = {0, 1, 0, 0, 1, 0, 0, 0};
  ASSERT_EQ(Refusal(good.Build()), "");
  auto with = [&](auto change) {
    TBmp b = good;
    change(b);
    return b.Build();
  };
  Bytes badMagic = good.Build();
  badMagic[1] = 'X';
  Bytes headerCut = good.Build();
  headerCut.resize(30);

  struct TCase {
    const char* Name;
    Bytes File;
    const char* Expected;
  };
  const TCase cases[] = {
      {"empty", {}, "too short"},
      {"file header only", Bytes(14, 'B'), "too short"},
      {"no BM", badMagic, "does not start with \"BM\""},
      {"header cut", headerCut, "ends inside its header"},
      {"unknown header size", with([](TBmp& b) { b.HeaderSize = 64; }), "header size 64"},
      {"zero planes", with([](TBmp& b) { b.Planes = 0; }), "colour planes is 0"},
      {"zero width", with([](TBmp& b) { b.Width = 0; }), "width is 0"},
      {"negative width", with([](TBmp& b) { b.Width = -2; }), "width is -2"},
      {"zero height", with([](TBmp& b) { b.Height = 0; }), "height is 0"},
      {"lowest height", with([](TBmp& b) { b.Height = INT32_MIN; }), "larger than allowed"},
      {"too wide", with([](TBmp& b) { b.Width = 16385; }), "larger than allowed"},
      {"too many pixels", with([](TBmp& b) { b.Width = b.Height = 16384; }), "larger than allowed"},
      {"odd pixel size", with([](TBmp& b) { b.BitCount = 7; }), "7 bits per pixel"},
      {"16 bits in core header", with([](TBmp& b) { b.HeaderSize = 12, b.BitCount = 16, b.Palette = {}; }),
       "core header"},
      {"embedded JPEG", with([](TBmp& b) { b.Compression = 4; }), "embedded JPEG"},
      {"unknown compression", with([](TBmp& b) { b.Compression = 9; }), "compression code 9"},
      {"RLE8 of 4 bits", with([](TBmp& b) { b.Compression = 1, b.BitCount = 4; }), "run-length coding of 4-bit"},
      {"RLE from the top", with([](TBmp& b) { b.Compression = 1, b.Height = -2; }), "from the top"},
      {"masks with 24 bits", with([](TBmp& b) { b.Compression = 3, b.BitCount = 24; }), "colour masks with 24"},
      {"empty mask", with([](TBmp& b) {
         b.Compression = 3, b.BitCount = 16, b.Masks = {0xF800, 0, 0x1F}, b.Palette = {};
       }),
       "green mask is empty"},
      {"split mask", with([](TBmp& b) {
         b.Compression = 3, b.BitCount = 16, b.Masks = {0xF800, 0x07E0, 0x0015}, b.Palette = {};
       }),
       "blue mask is not one run"},
      {"overlapping masks", with([](TBmp& b) {
         b.Compression = 3, b.BitCount = 16, b.Masks = {0xF800, 0x0FE0, 0x001F}, b.Palette = {};
       }),
       "masks overlap"},
      {"mask beyond 16 bits", with([](TBmp& b) {
         b.Compression = 3, b.BitCount = 16, b.Masks = {0x1F800, 0x07E0, 0x1F}, b.Palette = {};
       }),
       "outside the pixel bits"},
      {"masks cut off", with([](TBmp& b) { b.Compression = 3, b.BitCount = 16, b.Masks = {}, b.Palette = {}; }),
       "ends inside its colour masks"},
      {"oversized colour table", with([](TBmp& b) { b.ColorsUsed = 300; }), "300 entries, more than the 256"},
      {"colour table past the end", with([](TBmp& b) { b.ColorsUsed = 200, b.Pixels = {}; }),
       "colour table runs past the end"},
      {"colour outside the table", with([](TBmp& b) { b.Pixels[1] = 5; }), "uses colour 5, but the colour table has 2"},
      {"offset past the end", with([](TBmp& b) { b.Offset = 5000; }), "offset 5000 is past the end"},
      {"offset inside the headers", with([](TBmp& b) { b.Offset = 20; }), "offset 20 lies inside the headers"},
      {"pixels cut short", with([](TBmp& b) { b.Pixels.resize(5); }), "cut short: 6 bytes are needed, 5"},
      {"RLE without end", with([](TBmp& b) {
         b.Compression = 1, b.Pixels = {2, 1};
       }),
       "end before their end marker"},
      {"RLE literal cut", with([](TBmp& b) {
         b.Compression = 1, b.Pixels = {0, 4, 1, 1};
       }),
       "end inside a literal run"},
      {"RLE move cut", with([](TBmp& b) {
         b.Compression = 1, b.Pixels = {0, 2, 1};
       }),
       "end inside a move"},
      {"RLE colour outside the table", with([](TBmp& b) {
         b.Compression = 1, b.Pixels = {1, 9, 0, 1};
       }),
       "uses colour 9"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string message = Refusal(c.File);
    EXPECT_EQ(message.rfind("Bitmap image is not valid: ", 0), 0u) << message;
    EXPECT_NE(message.find(c.Expected), std::string::npos) << message;
  }
  EXPECT_THROW(DecodeBmp(nullptr, 100), Exception);
}

TEST(BmpDecode, EveryCutOfAValidFileIsRefused) {
  const Bytes file = EncodeBmp24(Gradient(7, 5));
  const std::size_t padding = 3;  // the last row's, which may be left out
  for (std::size_t size = 0; size + padding < file.size(); ++size)
    EXPECT_THROW(DecodeBmp(file.data(), size), Exception) << size;
  EXPECT_EQ(DecodeBmp(file.data(), file.size() - padding).Pixels, Gradient(7, 5).Pixels);
}

TEST(BmpEncode, RefusesAPictureWhosePixelsDoNotMatchItsSize) {
  EXPECT_THROW(EncodeBmp24(TPixelImage{2, 2, {1, 2, 3}}), Exception);
  EXPECT_THROW(EncodeBmp24(TPixelImage{0, 0, {}}), Exception);
}

// ---- JPEG ----

int Difference(std::uint32_t a, std::uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8)
    worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return worst;
}

TPixelImage DecodeJ(const Bytes& data) {
  return DecodeJpeg(data.data(), data.size());
}

std::string JpegRefusal(const Bytes& data) {
  try {
    DecodeJ(data);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "";
}

TEST(Jpeg, RoundTripStaysWithinTheCodecErrorAndQualityMatters) {
  TPixelImage image = Gradient(64, 48);
  for (int y = 16; y < 32; ++y)
    for (int x = 16; x < 32; ++x) image.Pixels[y * 64 + x] = 0xFF00FF;  // a flat block on 8-pixel borders
  const Bytes fine = EncodeJpeg(image, 95);
  ASSERT_GT(fine.size(), 4u);
  EXPECT_EQ(fine[0], 0xFF);
  EXPECT_EQ(fine[1], 0xD8);
  const TPixelImage back = DecodeJ(fine);
  ASSERT_EQ(back.Width, 64);
  ASSERT_EQ(back.Height, 48);
  ASSERT_EQ(back.Pixels.size(), image.Pixels.size());
  long total = 0;
  for (std::size_t i = 0; i < image.Pixels.size(); ++i) {
    EXPECT_EQ(back.Pixels[i] >> 24, 0u);
    total += Difference(back.Pixels[i], image.Pixels[i]);
  }
  EXPECT_LT(total / static_cast<long>(image.Pixels.size()), 4);
  EXPECT_LE(Difference(back.At(20, 20), 0xFF00FF), 6);

  const Bytes coarse = EncodeJpeg(image, 10);
  EXPECT_LT(coarse.size(), fine.size());
  EXPECT_THROW(EncodeJpeg(image, 0), Exception);
  EXPECT_THROW(EncodeJpeg(image, 101), Exception);
  EXPECT_THROW(EncodeJpeg(TPixelImage{3, 3, {}}, 90), Exception);
}

TEST(Jpeg, GrayscaleDataDecodesToEqualChannels) {
  TPixelImage image = Gradient(32, 16);
  const TPixelImage back = DecodeJ(EncodeJpeg(image, 90, true));
  ASSERT_EQ(back.Width, 32);
  for (std::size_t i = 0; i < back.Pixels.size(); ++i) {
    const std::uint32_t p = back.Pixels[i];
    ASSERT_EQ(p & 0xFF, (p >> 8) & 0xFF);
    ASSERT_EQ(p & 0xFF, (p >> 16) & 0xFF);
    const std::uint32_t c = image.Pixels[i];
    const int luma = static_cast<int>((299 * (c >> 16) + 587 * ((c >> 8) & 0xFF) + 114 * (c & 0xFF)) / 1000);
    EXPECT_LE(std::abs(static_cast<int>(p & 0xFF) - luma), 6) << i;
  }
}

// Data the encoder above does not write: progressive scans and CMYK, made
// with the library directly.
Bytes LibraryJpeg(int width, int height, J_COLOR_SPACE space, int components, const Bytes& samples, bool progressive) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(samples.data()) + info.next_scanline * width * components;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  Bytes data(out, out + size);
  jpeg_destroy_compress(&info);
  std::free(out);
  return data;
}

TEST(Jpeg, ProgressiveAndCmykDataDecode) {
  Bytes rgb;
  for (int i = 0; i < 16 * 16; ++i) rgb.insert(rgb.end(), {0x20, 0x80, 0xE0});
  const TPixelImage progressive = DecodeJ(LibraryJpeg(16, 16, JCS_RGB, 3, rgb, true));
  ASSERT_EQ(progressive.Width, 16);
  EXPECT_LE(Difference(progressive.At(8, 8), 0x2080E0), 4);

  // The library marks CMYK data as Adobe's, which stores the inks inverted
  // (255 is no ink): no cyan, full magenta and yellow, no black is red.
  Bytes cmyk;
  for (int i = 0; i < 16 * 16; ++i) cmyk.insert(cmyk.end(), {255, 0, 0, 255});
  const TPixelImage red = DecodeJ(LibraryJpeg(16, 16, JCS_CMYK, 4, cmyk, false));
  EXPECT_LE(Difference(red.At(3, 3), 0xFF0000), 4);
}

TEST(Jpeg, DamagedDataIsRefusedWithAMessage) {
  const Bytes good = EncodeJpeg(Gradient(24, 24), 80);
  ASSERT_EQ(JpegRefusal(good), "");
  EXPECT_THROW(DecodeJpeg(nullptr, 0), Exception);
  EXPECT_NE(JpegRefusal(Bytes{'h', 'e', 'l', 'l', 'o'}).find("Not a JPEG file"), std::string::npos);

  // Every cut, from inside the headers to the last byte of the end marker.
  for (std::size_t size = 1; size < good.size(); ++size) {
    const std::string message = JpegRefusal(Bytes(good.begin(), good.begin() + size));
    EXPECT_EQ(message.rfind("JPEG image is not valid: ", 0), 0u) << size << ": " << message;
  }

  // Dimensions beyond the limits, set in the frame header.
  Bytes huge = good;
  std::size_t sof = 2;
  while (sof + 9 < huge.size() && !(huge[sof] == 0xFF && huge[sof + 1] == 0xC0)) ++sof;
  ASSERT_LT(sof + 9, huge.size());
  huge[sof + 5] = huge[sof + 7] = 0x7F;  // 32767 x 32767: within the library's limit, beyond ours
  huge[sof + 6] = huge[sof + 8] = 0xFF;
  EXPECT_NE(JpegRefusal(huge).find("larger than allowed"), std::string::npos) << JpegRefusal(huge);

  // Damage in the entropy-coded data: refused or decoded, never a crash.
  for (std::size_t at = good.size() / 2; at + 2 < good.size(); at += 7) {
    Bytes damaged = good;
    damaged[at] ^= 0x5A;
    const std::string message = JpegRefusal(damaged);
    EXPECT_TRUE(message.empty() || message.rfind("JPEG image is not valid: ", 0) == 0) << message;
  }
}

}  // namespace
}  // namespace pellamy
