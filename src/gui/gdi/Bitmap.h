// TGraphic (what can be drawn on a canvas), TBitmap (a DIB section with
// direct pixel access), TJPEGImage, TIcon, TPicture (holds one graphic of any
// kind). File names are UTF-8.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/Graphics.h"
#include "imaging/BmpFormat.h"

namespace pellamy {

class TGraphic {
 public:
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;
  virtual ~TGraphic() = default;

  virtual const char* ClassName() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const { return Width() <= 0 || Height() <= 0; }
  // Draws the graphic into rect (stretched when rect has another size).
  virtual void Draw(TCanvas& canvas, const RECT& rect) const = 0;
  // Becomes a copy of source, sharing nothing with it. Throws
  // pellamy::Exception when this kind cannot hold the source's kind.
  virtual void Assign(const TGraphic& source);
  // A new graphic of the same kind with the same content.
  virtual std::unique_ptr<TGraphic> Clone() const = 0;

  // When Transparent, pixels of TransparentColor are not drawn. The colour
  // clDefault (the start value) stands for the bottom-left pixel.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  TColor TransparentColor() const;
  void SetTransparentColor(TColor color);

  std::function<void()> OnChange;
  // Tells OnChange; for callers that wrote pixels directly (ScanLine).
  void Modified() { Changed(); }

 protected:
  TGraphic() = default;
  void Changed() {
    if (OnChange) OnChange();
  }
  // The colour clDefault stands for.
  virtual TColor DefaultTransparentColor() const { return clNone; }
  void CopyTransparency(const TGraphic& source) {
    FTransparent = source.FTransparent;
    FTransparentColor = source.FTransparentColor;
  }
  [[noreturn]] void CannotAssign(const TGraphic& source) const;

 private:
  bool FTransparent = false;
  TColor FTransparentColor = clDefault;
};

enum TPixelFormat { pf24bit, pf32bit };

// A top-down DIB section of 24 or 32 bits per pixel. Pixels are laid out as in
// TPixelImage (blue in the low byte); 32-bit pixels keep the high byte 0.
class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height, TPixelFormat format = pf32bit);
  // Deep copies.
  TBitmap(const TBitmap& source);
  TBitmap& operator=(const TBitmap& source);
  ~TBitmap() override;

  const char* ClassName() const override { return "TBitmap"; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // Keeps the pixels that stay inside; new ones are black.
  void SetSize(int width, int height);
  void SetWidth(int width) { SetSize(width, FHeight); }
  void SetHeight(int height) { SetSize(FWidth, height); }
  TPixelFormat PixelFormat() const { return FFormat; }
  // Converts the pixels to the other format.
  void SetPixelFormat(TPixelFormat format);

  // The DIB section; nullptr while the bitmap is empty.
  HBITMAP Handle() const { return FDib.get(); }
  // Row y (0 is the top), after GdiFlush so drawing calls have landed.
  // Throws pellamy::Exception for a row outside the bitmap.
  std::uint8_t* ScanLine(int y);
  const std::uint8_t* ScanLine(int y) const;
  int BytesPerLine() const { return FStride; }
  // A pixel as 0x00RRGGBB.
  std::uint32_t PixelAt(int x, int y) const;

  // A memory DC holding the DIB, made on first use; drawing on it marks the
  // bitmap changed.
  TCanvas& Canvas();

  // BMP data of any kind DecodeBmp reads; the pixel format stays.
  void LoadFromStream(const std::uint8_t* data, std::size_t size);
  void LoadFromStream(const std::vector<std::uint8_t>& data) { LoadFromStream(data.data(), data.size()); }
  void LoadFromFile(const std::string& path);
  // A 24-bit BMP file.
  std::vector<std::uint8_t> SaveToStream() const;
  void SaveToFile(const std::string& path) const;
  void LoadFromPixels(const TPixelImage& image);
  TPixelImage ToPixels() const;

  // From a TBitmap or TJPEGImage a pixel copy; from another graphic, the
  // graphic drawn on black at its own size.
  void Assign(const TGraphic& source) override;
  std::unique_ptr<TGraphic> Clone() const override;
  void Draw(TCanvas& canvas, const RECT& rect) const override;

 protected:
  TColor DefaultTransparentColor() const override;

 private:
  friend class TJPEGImage;
  struct TDib {
    UniqueBitmap Handle;
    std::uint8_t* Bits = nullptr;
    int Stride = 0;
  };
  // A black DIB; throws when the size is beyond the limits or the system
  // has no memory for it.
  static TDib MakeDib(int width, int height, TPixelFormat format);
  // Puts dib in place of the current one (also in the canvas's DC).
  void Install(TDib dib, int width, int height, TPixelFormat format);
  void CopyPixelsFrom(const TBitmap& source);
  // The memory DC holding the DIB, made on first use.
  TCanvas& SourceCanvas() const;
  void Blit(TCanvas& canvas, const RECT& rect, bool transparent, TColor transparentColor) const;

  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FFormat = pf32bit;
  int FStride = 0;
  std::uint8_t* FBits = nullptr;
  UniqueBitmap FDib;
  // Declared after the DIB: released first, so the DIB is out of the DC
  // before either is deleted.
  mutable UniqueMemDc FDc;
  mutable SelectGuard FSelection;
  mutable std::unique_ptr<TCanvas> FCanvas;
};

// JPEG data and its decoded pixels (a 24-bit TBitmap).
class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  const char* ClassName() const override { return "TJPEGImage"; }
  int Width() const override { return FBitmap.Width(); }
  int Height() const override { return FBitmap.Height(); }

  // Decodes at once: damaged data throws pellamy::Exception and leaves the
  // image as it was.
  void LoadFromBytes(const std::uint8_t* data, std::size_t size);
  void LoadFromBytes(const std::vector<std::uint8_t>& data) { LoadFromBytes(data.data(), data.size()); }
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;
  // The JPEG data as loaded (or as encoded by Assign from a bitmap).
  const std::vector<std::uint8_t>& Data() const { return FData; }
  const TBitmap& Bitmap() const { return FBitmap; }

  // Quality (1 to 100) of the encoding when a bitmap is assigned.
  int CompressionQuality() const { return FQuality; }
  void SetCompressionQuality(int quality) { FQuality = quality; }

  // From a TJPEGImage a copy; from a TBitmap its pixels, encoded.
  void Assign(const TGraphic& source) override;
  std::unique_ptr<TGraphic> Clone() const override;
  void Draw(TCanvas& canvas, const RECT& rect) const override;

 protected:
  TColor DefaultTransparentColor() const override;

 private:
  std::vector<std::uint8_t> FData;
  TBitmap FBitmap{0, 0, pf24bit};
  int FQuality = 90;
};

// An icon of our own (loaded without LR_SHARED), destroyed with it.
class TIcon : public TGraphic {
 public:
  TIcon();
  ~TIcon() override;

  const char* ClassName() const override { return "TIcon"; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }

  // An icon resource by number or name; size 0 is the system's icon size.
  // Throws pellamy::Exception when there is no such icon.
  void LoadFromResource(HINSTANCE instance, int id, int size = 0);
  void LoadFromResource(HINSTANCE instance, const std::string& name, int size = 0);
  void LoadFromFile(const std::string& path);
  // Takes the icon over; it is destroyed with this object.
  void SetHandle(HICON icon);
  HICON Handle() const { return FIcon.get(); }
  [[nodiscard]] HICON ReleaseHandle();

  void Assign(const TGraphic& source) override;
  std::unique_ptr<TGraphic> Clone() const override;
  void Draw(TCanvas& canvas, const RECT& rect) const override;

 private:
  void Loaded(HICON icon, const std::string& what);

  UniqueIcon FIcon;
  int FWidth = 0;
  int FHeight = 0;
};

// Holds at most one graphic of any kind; what an image control shows.
// OnChange runs when the graphic is replaced and when it changes.
class TPicture {
 public:
  TPicture();
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;
  ~TPicture();

  TGraphic* Graphic() const { return FGraphic.get(); }
  // A copy of graphic (nothing for nullptr) becomes the picture's.
  void SetGraphic(const TGraphic* graphic);
  // Takes graphic over.
  void SetGraphic(std::unique_ptr<TGraphic> graphic);
  // The graphic as a bitmap: a graphic of another kind (or none) is replaced
  // by an empty TBitmap.
  TBitmap& Bitmap();
  // Becomes a copy of source's graphic; source is left untouched.
  void Assign(const TPicture& source);
  void Clear() { SetGraphic(std::unique_ptr<TGraphic>()); }

  // By the file's extension: .bmp, .jpg/.jpeg, .ico.
  void LoadFromFile(const std::string& path);
  void LoadFromJpegBytes(const std::uint8_t* data, std::size_t size);
  void LoadFromBmpBytes(const std::uint8_t* data, std::size_t size);
  // BMP or JPEG, told apart by their first bytes.
  void LoadFromBytes(const std::uint8_t* data, std::size_t size);

  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  std::function<void()> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }

  std::unique_ptr<TGraphic> FGraphic;
};

// The bytes of a file; throws pellamy::Exception when it cannot be read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace pellamy
