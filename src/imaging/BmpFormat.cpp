#include "imaging/BmpFormat.h"

#include <algorithm>
#include <bit>
#include <string>

#include "base/Exceptions.h"

namespace pellamy {

namespace {

constexpr std::size_t kFileHeaderSize = 14;

// Compression codes of the info header.
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kJpeg = 4;
constexpr std::uint32_t kPng = 5;
constexpr std::uint32_t kAlphaBitFields = 6;

[[noreturn]] void Fail(const std::string& why) {
  throw Exception("Bitmap image is not valid: " + why);
}

std::string Num(std::uint64_t value) {
  return std::to_string(value);
}

// Little-endian reads at offsets already checked against the size.
std::uint16_t U16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

// One colour channel described by a bit mask: the bits it covers, scaled to
// 0..255.
class TChannel {
 public:
  TChannel() = default;
  TChannel(std::uint32_t mask, const char* name, int depth) : FMask(mask) {
    if (mask == 0) Fail(std::string("the ") + name + " mask is empty");
    if (depth < 32 && (mask >> depth) != 0) Fail(std::string("the ") + name + " mask lies outside the pixel bits");
    FShift = std::countr_zero(mask);
    const std::uint32_t bits = mask >> FShift;
    if ((bits & (bits + 1)) != 0) Fail(std::string("the ") + name + " mask is not one run of bits");
    FBits = std::popcount(bits);
  }
  std::uint32_t Mask() const { return FMask; }
  std::uint32_t Value(std::uint32_t pixel) const {
    const std::uint32_t v = (pixel & FMask) >> FShift;
    if (FBits >= 8) return v >> (FBits - 8);
    const std::uint32_t max = (1u << FBits) - 1;
    return (v * 255 + max / 2) / max;
  }

 private:
  std::uint32_t FMask = 0;
  int FShift = 0;
  int FBits = 0;
};

struct THeader {
  bool Core = false;
  std::int64_t Width = 0;
  std::int64_t Height = 0;  // always positive; TopDown tells the row order
  bool TopDown = false;
  unsigned BitCount = 0;
  std::uint32_t Compression = kRgb;
  std::uint32_t ColorsUsed = 0;
  std::uint32_t Masks[3] = {0, 0, 0};
  std::size_t TableStart = 0;  // where the colour table (if any) begins
};

THeader ReadHeader(const std::uint8_t* data, std::size_t size) {
  if (size < kFileHeaderSize + 4) Fail("the file is too short (" + Num(size) + " bytes) to hold a bitmap header");
  if (data[0] != 'B' || data[1] != 'M') Fail("the file does not start with \"BM\"");
  const std::uint32_t headerSize = U32(data + kFileHeaderSize);
  if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
      headerSize != 124)
    Fail("the header size " + Num(headerSize) + " is not one of a known header");
  if (size < kFileHeaderSize + headerSize) Fail("the file ends inside its header");
  const std::uint8_t* h = data + kFileHeaderSize;

  THeader header;
  unsigned planes = 0;
  if (headerSize == 12) {
    header.Core = true;
    header.Width = U16(h + 4);
    header.Height = U16(h + 6);
    planes = U16(h + 8);
    header.BitCount = U16(h + 10);
  } else {
    header.Width = static_cast<std::int32_t>(U32(h + 4));
    const std::int64_t height = static_cast<std::int32_t>(U32(h + 8));
    header.TopDown = height < 0;
    header.Height = height < 0 ? -height : height;
    planes = U16(h + 12);
    header.BitCount = U16(h + 14);
    header.Compression = U32(h + 16);
    header.ColorsUsed = U32(h + 32);
  }
  header.TableStart = kFileHeaderSize + headerSize;

  if (planes != 1) Fail("the number of colour planes is " + Num(planes) + ", not 1");
  if (header.Width <= 0) Fail("the width is " + std::to_string(header.Width));
  if (header.Height == 0) Fail("the height is 0");
  CheckImageDimensions(header.Width, header.Height, "Bitmap image");

  const unsigned bpp = header.BitCount;
  switch (header.Compression) {
    case kRgb:
      if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        Fail(Num(bpp) + " bits per pixel is not a known pixel size");
      if (header.Core && bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)
        Fail(Num(bpp) + " bits per pixel is not allowed with the core header");
      break;
    case kRle8:
    case kRle4:
      if (bpp != (header.Compression == kRle8 ? 8u : 4u))
        Fail("run-length coding of " + Num(bpp) + "-bit pixels is not defined");
      if (header.TopDown) Fail("run-length coded pixels cannot be stored from the top");
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (bpp != 16 && bpp != 32) Fail("colour masks with " + Num(bpp) + " bits per pixel are not allowed");
      break;
    case kJpeg:
    case kPng:
      Fail(std::string("pixels held as an embedded ") + (header.Compression == kJpeg ? "JPEG" : "PNG") +
           " picture are not supported");
    default:
      Fail("the compression code " + Num(header.Compression) + " is unknown");
  }

  if (header.Compression == kBitFields || header.Compression == kAlphaBitFields) {
    if (headerSize >= 52) {
      for (int i = 0; i < 3; ++i) header.Masks[i] = U32(h + 40 + 4 * i);
    } else {
      // The masks follow the 40-byte header (a fourth, for alpha, with the
      // alpha variant).
      const std::size_t count = header.Compression == kAlphaBitFields ? 4 : 3;
      if (size - header.TableStart < count * 4) Fail("the file ends inside its colour masks");
      for (int i = 0; i < 3; ++i) header.Masks[i] = U32(data + header.TableStart + 4 * i);
      header.TableStart += count * 4;
    }
  } else if (bpp == 16) {
    header.Masks[0] = 0x7C00;
    header.Masks[1] = 0x03E0;
    header.Masks[2] = 0x001F;
  } else if (bpp == 32) {
    header.Masks[0] = 0x00FF0000;
    header.Masks[1] = 0x0000FF00;
    header.Masks[2] = 0x000000FF;
  }
  return header;
}

class TDecoder {
 public:
  TDecoder(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size), FHeader(ReadHeader(data, size)) {}

  TPixelImage Run() {
    ReadColorTable();
    const std::uint32_t offset = U32(FData + 10);
    if (offset < FTableEnd) Fail("the pixel data offset " + Num(offset) + " lies inside the headers");
    if (offset >= FSize)
      Fail("the pixel data offset " + Num(offset) + " is past the end of the file (" + Num(FSize) + " bytes)");
    FImage.Width = static_cast<int>(FHeader.Width);
    FImage.Height = static_cast<int>(FHeader.Height);
    const std::uint32_t background = FTable.empty() ? 0 : FTable[0];
    FImage.Pixels.assign(static_cast<std::size_t>(FHeader.Width * FHeader.Height), background);
    if (FHeader.Compression == kRle8 || FHeader.Compression == kRle4)
      DecodeRunLength(FData + offset, FSize - offset);
    else
      DecodeRows(FData + offset, FSize - offset);
    return std::move(FImage);
  }

 private:
  void ReadColorTable() {
    FTableEnd = FHeader.TableStart;
    const unsigned bpp = FHeader.BitCount;
    if (bpp > 8) return;
    const std::uint32_t addressable = 1u << bpp;
    const std::size_t entrySize = FHeader.Core ? 3 : 4;
    std::uint64_t entries = addressable;
    if (FHeader.Core) {
      // Core files may hold only the colours before the pixel data.
      const std::uint32_t offset = U32(FData + 10);
      if (offset > FHeader.TableStart) entries = std::min<std::uint64_t>(entries, (offset - FHeader.TableStart) / 3);
    } else if (FHeader.ColorsUsed != 0) {
      if (FHeader.ColorsUsed > addressable)
        Fail("the colour table has " + Num(FHeader.ColorsUsed) + " entries, more than the " + Num(addressable) +
             " that " + Num(bpp) + "-bit pixels can address");
      entries = FHeader.ColorsUsed;
    }
    if (entries == 0) Fail("the colour table is empty");
    if (FHeader.TableStart + entries * entrySize > FSize) Fail("the colour table runs past the end of the file");
    const std::uint8_t* p = FData + FHeader.TableStart;
    FTable.resize(entries);
    for (std::size_t i = 0; i < entries; ++i, p += entrySize)
      FTable[i] = (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
    FTableEnd = FHeader.TableStart + entries * entrySize;
  }

  std::uint32_t Color(unsigned index) const {
    if (index >= FTable.size())
      Fail("a pixel uses colour " + Num(index) + ", but the colour table has " + Num(FTable.size()) + " entries");
    return FTable[index];
  }

  // Row r as stored in the file, in picture order.
  std::uint32_t* Row(std::int64_t stored) {
    const std::int64_t y = FHeader.TopDown ? stored : FHeader.Height - 1 - stored;
    return FImage.Pixels.data() + y * FHeader.Width;
  }

  void DecodeRows(const std::uint8_t* pixels, std::size_t available) {
    const std::uint64_t bpp = FHeader.BitCount;
    const std::uint64_t width = static_cast<std::uint64_t>(FHeader.Width);
    const std::uint64_t height = static_cast<std::uint64_t>(FHeader.Height);
    const std::uint64_t stride = (width * bpp + 31) / 32 * 4;
    const std::uint64_t rowBytes = (width * bpp + 7) / 8;
    // The last row may lack its padding.
    const std::uint64_t needed = stride * (height - 1) + rowBytes;
    if (needed > available)
      Fail("the pixel data is cut short: " + Num(needed) + " bytes are needed, " + Num(available) + " are present");

    const int w = FImage.Width;
    TChannel red, green, blue;
    if (bpp == 16 || bpp == 32) {
      const int depth = static_cast<int>(bpp);
      red = TChannel(FHeader.Masks[0], "red", depth);
      green = TChannel(FHeader.Masks[1], "green", depth);
      blue = TChannel(FHeader.Masks[2], "blue", depth);
      if ((red.Mask() & green.Mask()) || (red.Mask() & blue.Mask()) || (green.Mask() & blue.Mask()))
        Fail("the colour masks overlap");
    }
    const bool plain32 =
        bpp == 32 && FHeader.Masks[0] == 0x00FF0000 && FHeader.Masks[1] == 0x0000FF00 && FHeader.Masks[2] == 0x000000FF;
    for (std::uint64_t r = 0; r < height; ++r) {
      const std::uint8_t* src = pixels + r * stride;
      std::uint32_t* dst = Row(static_cast<std::int64_t>(r));
      switch (bpp) {
        case 1:
          for (int x = 0; x < w; ++x) dst[x] = Color((src[x >> 3] >> (7 - (x & 7))) & 1);
          break;
        case 4:
          for (int x = 0; x < w; ++x) dst[x] = Color((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
          break;
        case 8:
          for (int x = 0; x < w; ++x) dst[x] = Color(src[x]);
          break;
        case 16:
          for (int x = 0; x < w; ++x) {
            const std::uint32_t p = U16(src + 2 * x);
            dst[x] = (red.Value(p) << 16) | (green.Value(p) << 8) | blue.Value(p);
          }
          break;
        case 24:
          for (int x = 0; x < w; ++x, src += 3)
            dst[x] = (static_cast<std::uint32_t>(src[2]) << 16) | (static_cast<std::uint32_t>(src[1]) << 8) | src[0];
          break;
        case 32:
          for (int x = 0; x < w; ++x) {
            const std::uint32_t p = U32(src + 4 * x);
            dst[x] = plain32 ? (p & 0x00FFFFFF) : ((red.Value(p) << 16) | (green.Value(p) << 8) | blue.Value(p));
          }
          break;
      }
    }
  }

  // Run-length coded 8-bit or 4-bit pixels, rows from the bottom. Pixels the
  // data skips keep colour 0; runs reaching past the row end are cut there.
  void DecodeRunLength(const std::uint8_t* p, std::size_t available) {
    const bool four = FHeader.Compression == kRle4;
    const std::int64_t width = FHeader.Width;
    const std::int64_t height = FHeader.Height;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::size_t pos = 0;
    auto put = [&](unsigned index) {
      const std::uint32_t color = Color(index);
      if (x < width && y < height) Row(y)[x] = color;
      ++x;
    };
    while (y < height) {
      if (available - pos < 2) Fail("the run-length coded pixels end before their end marker");
      const unsigned count = p[pos];
      const unsigned value = p[pos + 1];
      pos += 2;
      if (count > 0) {
        for (unsigned i = 0; i < count && x < width; ++i) put(four ? ((i & 1) ? value & 0xF : value >> 4) : value);
        continue;
      }
      if (value == 0) {  // end of row
        x = 0;
        ++y;
      } else if (value == 1) {  // end of picture
        break;
      } else if (value == 2) {  // move right and up
        if (available - pos < 2) Fail("the run-length coded pixels end inside a move");
        x += p[pos];
        y += p[pos + 1];
        pos += 2;
      } else {  // a literal run, padded to an even number of bytes
        const std::size_t bytes = four ? (value + 1) / 2 : value;
        const std::size_t padded = bytes + (bytes & 1);
        if (available - pos < padded) Fail("the run-length coded pixels end inside a literal run");
        for (unsigned i = 0; i < value && x < width; ++i)
          put(four ? ((i & 1) ? p[pos + i / 2] & 0xF : p[pos + i / 2] >> 4) : p[pos + i]);
        pos += padded;
      }
    }
  }

  const std::uint8_t* FData;
  std::size_t FSize;
  THeader FHeader;
  std::vector<std::uint32_t> FTable;
  std::size_t FTableEnd = 0;
  TPixelImage FImage;
};

}  // namespace

void CheckImageDimensions(std::int64_t width, std::int64_t height, const char* what) {
  if (width < 1 || height < 1)
    throw Exception(std::string(what) + " is not valid: its size " + std::to_string(width) + " x " +
                    std::to_string(height) + " is empty");
  if (width > kMaxImageSide || height > kMaxImageSide ||
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4 > kMaxImageBytes)
    throw Exception(std::string(what) + " is not valid: its size " + std::to_string(width) + " x " +
                    std::to_string(height) + " is larger than allowed (at most " + std::to_string(kMaxImageSide) +
                    " pixels a side and " + std::to_string(kMaxImageBytes >> 20) + " MiB)");
}

TPixelImage DecodeBmp(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr) size = 0;
  return TDecoder(data, size).Run();
}

std::vector<std::uint8_t> EncodeBmp24(const TPixelImage& image) {
  CheckImageDimensions(image.Width, image.Height, "Picture to encode");
  const std::size_t width = static_cast<std::size_t>(image.Width);
  const std::size_t height = static_cast<std::size_t>(image.Height);
  if (image.Pixels.size() != width * height)
    throw Exception("Picture to encode is not valid: it has " + std::to_string(image.Pixels.size()) + " pixels, not " +
                    std::to_string(width * height));
  const std::size_t stride = (width * 3 + 3) / 4 * 4;
  const std::size_t offset = kFileHeaderSize + 40;
  std::vector<std::uint8_t> file(offset + stride * height, 0);
  std::uint8_t* p = file.data();
  p[0] = 'B';
  p[1] = 'M';
  Put32(p + 2, static_cast<std::uint32_t>(file.size()));
  Put32(p + 10, static_cast<std::uint32_t>(offset));
  std::uint8_t* h = p + kFileHeaderSize;
  Put32(h, 40);
  Put32(h + 4, static_cast<std::uint32_t>(width));
  Put32(h + 8, static_cast<std::uint32_t>(height));
  Put16(h + 12, 1);
  Put16(h + 14, 24);
  Put32(h + 16, kRgb);
  Put32(h + 20, static_cast<std::uint32_t>(stride * height));
  Put32(h + 24, 3780);  // 96 pixels per inch
  Put32(h + 28, 3780);
  for (std::size_t y = 0; y < height; ++y) {
    std::uint8_t* row = p + offset + (height - 1 - y) * stride;
    const std::uint32_t* src = image.Pixels.data() + y * width;
    for (std::size_t x = 0; x < width; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(src[x]);
      row[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(src[x] >> 16);
    }
  }
  return file;
}

}  // namespace pellamy
