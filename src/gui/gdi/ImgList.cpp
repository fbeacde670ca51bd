#include "gui/gdi/ImgList.h"

#include <algorithm>

namespace pellamy {

namespace {

// 0x00RRGGBB as the DIB stores it, from a COLORREF.
std::uint32_t PixelOf(COLORREF c) {
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

int Luminance(std::uint32_t p) {
  return (((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
}

}  // namespace

TImageList::TImageList(TComponent* owner, int width, int height)
    : TComponent(owner), FWidth(std::max(1, width)), FHeight(std::max(1, height)) {}

TImageList::~TImageList() {
  if (FHandle != nullptr) ImageList_Destroy(FHandle);
}

void TImageList::SetSize(int width, int height) {
  FWidth = std::max(1, width);
  FHeight = std::max(1, height);
  FImages.clear();
  Changed();
}

void TImageList::Changed() {
  if (FHandle != nullptr) {
    ImageList_Destroy(FHandle);
    FHandle = nullptr;
  }
  if (OnChange) OnChange(this);
}

int TImageList::AddMasked(const TBitmap& strip, TColor transparent) {
  if (strip.Empty() || strip.Width() < FWidth) return -1;
  std::uint32_t key = 0;
  const bool byDefault = transparent == clDefault;
  if (byDefault) {
    key = strip.PixelAt(0, strip.Height() - 1);
  } else if (transparent != clNone) {
    key = PixelOf(ColorToRGB(transparent));
  }
  const bool keyed = byDefault || transparent != clNone;
  const int first = Count();
  for (int left = 0; left + FWidth <= strip.Width(); left += FWidth) {
    TImage image;
    image.Pixels = std::make_unique<TBitmap>(FWidth, FHeight, pf32bit);
    image.Opaque.assign(static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight), false);
    for (int y = 0; y < FHeight && y < strip.Height(); ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(image.Pixels->ScanLine(y));
      for (int x = 0; x < FWidth; ++x) {
        const std::uint32_t p = strip.PixelAt(left + x, y) & 0xFFFFFF;
        row[x] = p;
        image.Opaque[static_cast<std::size_t>(y * FWidth + x)] = !keyed || p != key;
      }
    }
    image.Pixels->Modified();
    FImages.push_back(std::move(image));
  }
  Changed();
  return first;
}

int TImageList::AddMonochrome(const TBitmap& strip, TColor transparent, TColor color) {
  const int first = AddMasked(strip, transparent);
  if (first < 0) return first;
  const std::uint32_t ink = PixelOf(ColorToRGB(color));
  for (int i = first; i < Count(); ++i) {
    TImage& image = FImages[static_cast<std::size_t>(i)];
    for (int y = 0; y < FHeight; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(image.Pixels->ScanLine(y));
      for (int x = 0; x < FWidth; ++x) row[x] = ink;
    }
    image.Pixels->Modified();
  }
  Changed();
  return first;
}

void TImageList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  FImages.erase(FImages.begin() + index);
  Changed();
}

void TImageList::Clear() {
  FImages.clear();
  Changed();
}

bool TImageList::IsOpaque(int index, int x, int y) const {
  if (index < 0 || index >= Count() || x < 0 || y < 0 || x >= FWidth || y >= FHeight) return false;
  return FImages[static_cast<std::size_t>(index)].Opaque[static_cast<std::size_t>(y * FWidth + x)];
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
  Draw(canvas.Handle(), x, y, index, enabled);
}

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled) const {
  if (dc == nullptr || index < 0 || index >= Count()) return;
  const TImage& image = FImages[static_cast<std::size_t>(index)];
  // The destination is read back, mixed in memory and written again: exact
  // on any DC, and no mask bitmaps to keep in step.
  const int w = FWidth + 1, h = FHeight + 1;
  TBitmap work(w, h, pf32bit);
  BitBlt(work.Canvas().Handle(), 0, 0, w, h, dc, x, y, SRCCOPY);
  GdiFlush();
  if (enabled) {
    for (int j = 0; j < FHeight; ++j) {
      auto* out = reinterpret_cast<std::uint32_t*>(work.ScanLine(j));
      const auto* in = reinterpret_cast<const std::uint32_t*>(image.Pixels->ScanLine(j));
      for (int i = 0; i < FWidth; ++i)
        if (image.Opaque[static_cast<std::size_t>(j * FWidth + i)]) out[i] = in[i] & 0xFFFFFF;
    }
  } else {
    // Grayed: the image's ink in the shadow colour over its highlight,
    // moved one pixel down and right, as disabled glyphs look.
    std::vector<bool> ink(image.Opaque.size(), false);
    bool any = false;
    for (int j = 0; j < FHeight; ++j) {
      const auto* in = reinterpret_cast<const std::uint32_t*>(image.Pixels->ScanLine(j));
      for (int i = 0; i < FWidth; ++i) {
        const auto k = static_cast<std::size_t>(j * FWidth + i);
        ink[k] = image.Opaque[k] && Luminance(in[i]) < 0xC0;
        any = any || ink[k];
      }
    }
    if (!any) ink = image.Opaque;
    const std::uint32_t light = PixelOf(GetSysColor(COLOR_BTNHIGHLIGHT));
    const std::uint32_t shadow = PixelOf(GetSysColor(COLOR_BTNSHADOW));
    for (int pass = 0; pass < 2; ++pass) {
      const int shift = pass == 0 ? 1 : 0;
      for (int j = 0; j < FHeight; ++j) {
        auto* out = reinterpret_cast<std::uint32_t*>(work.ScanLine(j + shift));
        for (int i = 0; i < FWidth; ++i)
          if (ink[static_cast<std::size_t>(j * FWidth + i)]) out[i + shift] = pass == 0 ? light : shadow;
      }
    }
  }
  work.Modified();
  BitBlt(dc, x, y, w, h, work.Canvas().Handle(), 0, 0, SRCCOPY);
}

bool TImageList::GetBitmap(int index, TBitmap& out) const {
  if (index < 0 || index >= Count()) return false;
  const TImage& image = FImages[static_cast<std::size_t>(index)];
  out.SetPixelFormat(pf32bit);
  out.SetSize(FWidth, FHeight);
  for (int y = 0; y < FHeight; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(out.ScanLine(y));
    const auto* in = reinterpret_cast<const std::uint32_t*>(image.Pixels->ScanLine(y));
    for (int x = 0; x < FWidth; ++x)
      row[x] = image.Opaque[static_cast<std::size_t>(y * FWidth + x)] ? in[x] & 0xFFFFFF : 0xFF00FF;
  }
  out.Modified();
  return true;
}

HIMAGELIST TImageList::Handle() const {
  if (FHandle != nullptr) return FHandle;
  FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | ILC_MASK, Count(), 4);
  if (FHandle == nullptr) return nullptr;
  const int maskStride = ((FWidth + 15) / 16) * 2;
  for (const TImage& image : FImages) {
    // Colour with black where transparent; monochrome mask with 1 there.
    TBitmap colour(FWidth, FHeight, pf32bit);
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(maskStride * FHeight), 0);
    for (int y = 0; y < FHeight; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(colour.ScanLine(y));
      const auto* in = reinterpret_cast<const std::uint32_t*>(image.Pixels->ScanLine(y));
      for (int x = 0; x < FWidth; ++x) {
        if (image.Opaque[static_cast<std::size_t>(y * FWidth + x)]) {
          row[x] = in[x] & 0xFFFFFF;
        } else {
          row[x] = 0;
          maskBits[static_cast<std::size_t>(y * maskStride + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
      }
    }
    UniqueBitmap mask(CreateBitmap(FWidth, FHeight, 1, 1, maskBits.data()));
    GdiFlush();
    ImageList_Add(FHandle, colour.Handle(), mask.get());
  }
  return FHandle;
}

}  // namespace pellamy
