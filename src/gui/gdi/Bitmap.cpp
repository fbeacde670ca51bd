#include "gui/gdi/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "base/Exceptions.h"
#include "base/WinHandles_win32.h"
#include "gui/gdi/WideText.h"
#include "imaging/JpegFormat.h"

namespace pellamy {

namespace {

// Largest file the picture loaders read.
constexpr std::uint64_t kMaxFileBytes = 1ull << 30;

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return text;
}

std::string Extension(const std::string& path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t slash = path.find_last_of("\\/");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return Lowercase(path.substr(dot));
}

}  // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  UniqueKernelHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw Exception("Cannot open file \"" + path + "\"");
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) throw Exception("Cannot read file \"" + path + "\"");
  if (static_cast<std::uint64_t>(size.QuadPart) > kMaxFileBytes)
    throw Exception("File \"" + path + "\" is too large for a picture");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const DWORD part = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
    if (!ReadFile(file.get(), bytes.data() + done, part, &got, nullptr))
      throw Exception("Cannot read file \"" + path + "\"");
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::wstring wide = Utf8ToWide(path);
  UniqueKernelHandle file(
      CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw Exception("Cannot create file \"" + path + "\"");
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    DWORD put = 0;
    const DWORD part = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
    ok = WriteFile(file.get(), bytes.data() + done, part, &put, nullptr) && put > 0;
    done += put;
  }
  ok = CloseHandle(file.release()) != FALSE && ok;
  if (!ok) {
    // No half-written file that looks like a picture.
    DeleteFileW(wide.c_str());
    throw Exception("Cannot write file \"" + path + "\"");
  }
}

// ---- TGraphic ----

void TGraphic::Assign(const TGraphic& source) {
  CannotAssign(source);
}

void TGraphic::CannotAssign(const TGraphic& source) const {
  throw Exception(std::string("Cannot assign a ") + source.ClassName() + " to a " + ClassName());
}

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed();
}

TColor TGraphic::TransparentColor() const {
  return FTransparentColor == clDefault ? DefaultTransparentColor() : FTransparentColor;
}

void TGraphic::SetTransparentColor(TColor color) {
  if (color == FTransparentColor) return;
  FTransparentColor = color;
  Changed();
}

// ---- TBitmap ----

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) : FFormat(format) {
  if (width > 0 && height > 0) Install(MakeDib(width, height, format), width, height, format);
}

TBitmap::TBitmap(const TBitmap& source) : TGraphic() {
  CopyPixelsFrom(source);
  CopyTransparency(source);
}

TBitmap& TBitmap::operator=(const TBitmap& source) {
  Assign(source);
  return *this;
}

TBitmap::~TBitmap() = default;

TBitmap::TDib TBitmap::MakeDib(int width, int height, TPixelFormat format) {
  TDib dib;
  if (width <= 0 || height <= 0) return dib;
  if (width > kMaxImageSide || height > kMaxImageSide ||
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4 > kMaxImageBytes)
    throw Exception("Bitmap size " + std::to_string(width) + " x " + std::to_string(height) +
                    " is larger than allowed");
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = format == pf24bit ? 24 : 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dib.Handle.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib.Handle || bits == nullptr)
    throw Exception("Out of system resources: no bitmap of " + std::to_string(width) + " x " + std::to_string(height));
  dib.Bits = static_cast<std::uint8_t*>(bits);
  dib.Stride = format == pf24bit ? (width * 3 + 3) / 4 * 4 : width * 4;
  std::memset(dib.Bits, 0, static_cast<std::size_t>(dib.Stride) * static_cast<std::size_t>(height));
  return dib;
}

void TBitmap::Install(TDib dib, int width, int height, TPixelFormat format) {
  FSelection.restore();  // the old DIB out of the DC before it is deleted
  FDib = std::move(dib.Handle);
  FBits = dib.Bits;
  FStride = dib.Stride;
  FWidth = FDib ? width : 0;
  FHeight = FDib ? height : 0;
  FFormat = format;
  if (FDc && FDib) FSelection = SelectGuard(FDc.get(), FDib.get());
}

void TBitmap::CopyPixelsFrom(const TBitmap& source) {
  TDib dib = MakeDib(source.FWidth, source.FHeight, source.FFormat);
  if (dib.Bits != nullptr) {
    GdiFlush();
    std::memcpy(dib.Bits, source.FBits, static_cast<std::size_t>(source.FStride) * source.FHeight);
  }
  Install(std::move(dib), source.FWidth, source.FHeight, source.FFormat);
}

void TBitmap::SetSize(int width, int height) {
  if (width < 0 || height < 0)
    throw Exception("Bitmap size " + std::to_string(width) + " x " + std::to_string(height) + " is not valid");
  if (width == FWidth && height == FHeight) return;
  TDib dib = MakeDib(width, height, FFormat);
  if (dib.Bits != nullptr && FBits != nullptr) {
    GdiFlush();
    const int bytesPerPixel = FFormat == pf24bit ? 3 : 4;
    const std::size_t rowBytes = static_cast<std::size_t>(std::min(width, FWidth)) * bytesPerPixel;
    for (int y = 0; y < std::min(height, FHeight); ++y)
      std::memcpy(dib.Bits + static_cast<std::size_t>(y) * dib.Stride, FBits + static_cast<std::size_t>(y) * FStride,
                  rowBytes);
  }
  Install(std::move(dib), width, height, FFormat);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == FFormat) return;
  TDib dib = MakeDib(FWidth, FHeight, format);
  if (dib.Bits != nullptr) {
    GdiFlush();
    for (int y = 0; y < FHeight; ++y) {
      const std::uint8_t* src = FBits + static_cast<std::size_t>(y) * FStride;
      std::uint8_t* dst = dib.Bits + static_cast<std::size_t>(y) * dib.Stride;
      const int from = FFormat == pf24bit ? 3 : 4, to = format == pf24bit ? 3 : 4;
      for (int x = 0; x < FWidth; ++x, src += from, dst += to) std::memcpy(dst, src, 3);  // 32-bit keeps byte 4 at 0
    }
  }
  Install(std::move(dib), FWidth, FHeight, format);
  Changed();
}

std::uint8_t* TBitmap::ScanLine(int y) {
  return const_cast<std::uint8_t*>(std::as_const(*this).ScanLine(y));
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
  if (y < 0 || y >= FHeight)
    throw Exception("Scan line " + std::to_string(y) + " is outside the bitmap (" + std::to_string(FHeight) + " rows)");
  GdiFlush();
  return FBits + static_cast<std::size_t>(y) * FStride;
}

std::uint32_t TBitmap::PixelAt(int x, int y) const {
  if (x < 0 || x >= FWidth)
    throw Exception("Pixel " + std::to_string(x) + " is outside the bitmap (" + std::to_string(FWidth) + " columns)");
  const std::uint8_t* p = ScanLine(y) + static_cast<std::size_t>(x) * (FFormat == pf24bit ? 3 : 4);
  return (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
}

TCanvas& TBitmap::SourceCanvas() const {
  if (!FCanvas) {
    UniqueMemDc dc = UniqueMemDc::CompatibleWith(nullptr);
    auto canvas = std::make_unique<TCanvas>(dc.get());
    FDc = std::move(dc);
    if (FDib) FSelection = SelectGuard(FDc.get(), FDib.get());
    canvas->OnChange = [this] { const_cast<TBitmap*>(this)->Changed(); };
    FCanvas = std::move(canvas);
  }
  return *FCanvas;
}

TCanvas& TBitmap::Canvas() {
  return SourceCanvas();
}

void TBitmap::LoadFromPixels(const TPixelImage& image) {
  if (image.Width < 0 || image.Height < 0 ||
      image.Pixels.size() != static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height))
    throw Exception("Picture is not valid: " + std::to_string(image.Pixels.size()) + " pixels for " +
                    std::to_string(image.Width) + " x " + std::to_string(image.Height));
  TDib dib = MakeDib(image.Width, image.Height, FFormat);
  for (int y = 0; dib.Bits != nullptr && y < image.Height; ++y) {
    const std::uint32_t* src = image.Pixels.data() + static_cast<std::size_t>(y) * image.Width;
    std::uint8_t* dst = dib.Bits + static_cast<std::size_t>(y) * dib.Stride;
    for (int x = 0; x < image.Width; ++x) {
      *dst++ = static_cast<std::uint8_t>(src[x]);
      *dst++ = static_cast<std::uint8_t>(src[x] >> 8);
      *dst++ = static_cast<std::uint8_t>(src[x] >> 16);
      if (FFormat == pf32bit) *dst++ = 0;
    }
  }
  Install(std::move(dib), image.Width, image.Height, FFormat);
  Changed();
}

TPixelImage TBitmap::ToPixels() const {
  TPixelImage image{FWidth, FHeight, {}};
  if (FBits == nullptr || FWidth <= 0 || FHeight <= 0) return image;
  image.Pixels.reserve(static_cast<std::size_t>(FWidth) * FHeight);
  // One flush for the whole read: GDI may still be drawing into the bits.
  GdiFlush();
  const int step = FFormat == pf24bit ? 3 : 4;
  for (int y = 0; y < FHeight; ++y) {
    const std::uint8_t* p = FBits + static_cast<std::size_t>(y) * FStride;
    for (int x = 0; x < FWidth; ++x, p += step)
      image.Pixels.push_back((static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[0]);
  }
  return image;
}

void TBitmap::LoadFromStream(const std::uint8_t* data, std::size_t size) {
  LoadFromPixels(DecodeBmp(data, size));
}

void TBitmap::LoadFromFile(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  try {
    LoadFromStream(bytes);
  } catch (const Exception& e) {
    throw Exception(e.Message() + " (\"" + path + "\")");
  }
}

std::vector<std::uint8_t> TBitmap::SaveToStream() const {
  return EncodeBmp24(ToPixels());
}

void TBitmap::SaveToFile(const std::string& path) const {
  WriteFileBytes(path, SaveToStream());
}

void TBitmap::Assign(const TGraphic& source) {
  if (&source == this) return;
  if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
    CopyPixelsFrom(*bitmap);
  } else if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&source)) {
    CopyPixelsFrom(jpeg->Bitmap());
  } else {
    Install(MakeDib(source.Width(), source.Height(), FFormat), source.Width(), source.Height(), FFormat);
    if (!source.Empty()) source.Draw(Canvas(), RECT{0, 0, FWidth, FHeight});
  }
  CopyTransparency(source);
  Changed();
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
  return std::make_unique<TBitmap>(*this);
}

TColor TBitmap::DefaultTransparentColor() const {
  return Empty() ? clNone : PixelToColor(PixelAt(0, FHeight - 1));
}

void TBitmap::Draw(TCanvas& canvas, const RECT& rect) const {
  Blit(canvas, rect, Transparent(), TransparentColor());
}

void TBitmap::Blit(TCanvas& canvas, const RECT& rect, bool transparent, TColor transparentColor) const {
  if (Empty() || canvas.Handle() == nullptr) return;
  HDC source = SourceCanvas().Handle();
  HDC target = canvas.Handle();
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (transparent && transparentColor != clNone) {
    GdiTransparentBlt(target, rect.left, rect.top, width, height, source, 0, 0, FWidth, FHeight,
                      ColorToRGB(transparentColor));
  } else if (width == FWidth && height == FHeight) {
    BitBlt(target, rect.left, rect.top, width, height, source, 0, 0, canvas.CopyMode());
  } else {
    const int oldMode = SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, rect.left, rect.top, width, height, source, 0, 0, FWidth, FHeight, canvas.CopyMode());
    SetStretchBltMode(target, oldMode);
  }
}

// ---- TJPEGImage ----

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
  const TPixelImage image = DecodeJpeg(data, size);
  FBitmap.LoadFromPixels(image);
  FData.assign(data, data + size);
  Changed();
}

void TJPEGImage::LoadFromFile(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  try {
    LoadFromBytes(bytes);
  } catch (const Exception& e) {
    throw Exception(e.Message() + " (\"" + path + "\")");
  }
}

void TJPEGImage::SaveToFile(const std::string& path) const {
  WriteFileBytes(path, FData);
}

void TJPEGImage::Assign(const TGraphic& source) {
  if (&source == this) return;
  if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&source)) {
    FBitmap.CopyPixelsFrom(jpeg->FBitmap);
    FData = jpeg->FData;
    FQuality = jpeg->FQuality;
  } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
    if (bitmap->Empty()) {
      FBitmap.SetSize(0, 0);
      FData.clear();
    } else {
      const std::vector<std::uint8_t> data = EncodeJpeg(bitmap->ToPixels(), FQuality);
      FBitmap.LoadFromPixels(DecodeJpeg(data.data(), data.size()));
      FData = data;
    }
  } else {
    CannotAssign(source);
  }
  CopyTransparency(source);
  Changed();
}

std::unique_ptr<TGraphic> TJPEGImage::Clone() const {
  auto copy = std::make_unique<TJPEGImage>();
  copy->Assign(*this);
  return copy;
}

TColor TJPEGImage::DefaultTransparentColor() const {
  return FBitmap.Empty() ? clNone : PixelToColor(FBitmap.PixelAt(0, FBitmap.Height() - 1));
}

void TJPEGImage::Draw(TCanvas& canvas, const RECT& rect) const {
  FBitmap.Blit(canvas, rect, Transparent(), TransparentColor());
}

// ---- TIcon ----

TIcon::TIcon() = default;
TIcon::~TIcon() = default;

void TIcon::LoadFromResource(HINSTANCE instance, int id, int size) {
  Loaded(static_cast<HICON>(
             LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, size == 0 ? LR_DEFAULTSIZE : 0)),
         "Icon resource " + std::to_string(id));
}

void TIcon::LoadFromResource(HINSTANCE instance, const std::string& name, int size) {
  const std::wstring wide = Utf8ToWide(name);
  Loaded(static_cast<HICON>(LoadImageW(instance, wide.c_str(), IMAGE_ICON, size, size, size == 0 ? LR_DEFAULTSIZE : 0)),
         "Icon resource \"" + name + "\"");
}

void TIcon::LoadFromFile(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  Loaded(static_cast<HICON>(LoadImageW(nullptr, wide.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE)),
         "Icon file \"" + path + "\"");
}

void TIcon::Loaded(HICON icon, const std::string& what) {
  if (icon == nullptr) throw Exception(what + " could not be loaded");
  SetHandle(icon);
}

void TIcon::SetHandle(HICON icon) {
  FIcon.reset(icon);
  FWidth = FHeight = 0;
  ICONINFO info{};
  if (icon != nullptr && GetIconInfo(icon, &info)) {
    const UniqueBitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (color && GetObjectW(color.get(), sizeof bm, &bm)) {
      FWidth = bm.bmWidth;
      FHeight = bm.bmHeight;
    } else if (mask && GetObjectW(mask.get(), sizeof bm, &bm)) {
      FWidth = bm.bmWidth;
      FHeight = bm.bmHeight / 2;  // AND mask above XOR mask
    }
  }
  Changed();
}

HICON TIcon::ReleaseHandle() {
  HICON icon = FIcon.release();
  FWidth = FHeight = 0;
  Changed();
  return icon;
}

void TIcon::Assign(const TGraphic& source) {
  if (&source == this) return;
  const auto* icon = dynamic_cast<const TIcon*>(&source);
  if (icon == nullptr) CannotAssign(source);
  HICON copy = nullptr;
  if (icon->Handle() != nullptr) {
    copy = CopyIcon(icon->Handle());
    if (copy == nullptr) throw Exception("Out of system resources: the icon could not be copied");
  }
  CopyTransparency(source);
  SetHandle(copy);
}

std::unique_ptr<TGraphic> TIcon::Clone() const {
  auto copy = std::make_unique<TIcon>();
  copy->Assign(*this);
  return copy;
}

void TIcon::Draw(TCanvas& canvas, const RECT& rect) const {
  if (!FIcon || canvas.Handle() == nullptr) return;
  DrawIconEx(canvas.Handle(), rect.left, rect.top, FIcon.get(), rect.right - rect.left, rect.bottom - rect.top, 0,
             nullptr, DI_NORMAL);
}

// ---- TPicture ----

TPicture::TPicture() = default;

TPicture::~TPicture() {
  if (FGraphic) FGraphic->OnChange = nullptr;
}

void TPicture::SetGraphic(const TGraphic* graphic) {
  SetGraphic(graphic ? graphic->Clone() : nullptr);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
  if (FGraphic) FGraphic->OnChange = nullptr;
  FGraphic = std::move(graphic);
  if (FGraphic) FGraphic->OnChange = [this] { Changed(); };
  Changed();
}

TBitmap& TPicture::Bitmap() {
  if (auto* bitmap = dynamic_cast<TBitmap*>(FGraphic.get())) return *bitmap;
  auto bitmap = std::make_unique<TBitmap>();
  TBitmap& result = *bitmap;
  SetGraphic(std::move(bitmap));
  return result;
}

void TPicture::Assign(const TPicture& source) {
  if (&source == this) return;
  SetGraphic(source.Graphic());
}

void TPicture::LoadFromFile(const std::string& path) {
  const std::string ext = Extension(path);
  std::unique_ptr<TGraphic> graphic;
  if (ext == ".bmp" || ext == ".dib") {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromFile(path);
    graphic = std::move(bitmap);
  } else if (ext == ".jpg" || ext == ".jpeg" || ext == ".jpe" || ext == ".jfif") {
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFromFile(path);
    graphic = std::move(jpeg);
  } else if (ext == ".ico") {
    auto icon = std::make_unique<TIcon>();
    icon->LoadFromFile(path);
    graphic = std::move(icon);
  } else {
    throw Exception("Unknown picture file extension (" + (ext.empty() ? std::string("none") : ext) + ") of \"" + path +
                    "\"");
  }
  SetGraphic(std::move(graphic));
}

void TPicture::LoadFromJpegBytes(const std::uint8_t* data, std::size_t size) {
  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->LoadFromBytes(data, size);
  SetGraphic(std::move(jpeg));
}

void TPicture::LoadFromBmpBytes(const std::uint8_t* data, std::size_t size) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromStream(data, size);
  SetGraphic(std::move(bitmap));
}

void TPicture::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
  if (data != nullptr && size >= 2 && data[0] == 'B' && data[1] == 'M')
    LoadFromBmpBytes(data, size);
  else if (data != nullptr && size >= 2 && data[0] == 0xFF && data[1] == 0xD8)
    LoadFromJpegBytes(data, size);
  else
    throw Exception("Unknown picture format: the data is neither a BMP file nor JPEG data");
}

}  // namespace pellamy
