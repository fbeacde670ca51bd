#include "skin/model/SkinDeviceObjects_win32.h"

#include <cstdlib>

#include "gui/gdi/Bitmap.h"
#include "gui/gdi/Graphics.h"

namespace pellamy {

namespace {

// The glyph strip as 32-bit pixels, cut into the list with white left out.
void LoadGlyphs(HMODULE module, TImageList& list) {
  // A DIB section keeps the strip's own colour table, so black and white
  // stay what they are whatever the DC's text and background colours.
  UniqueBitmap strip(
      static_cast<HBITMAP>(LoadImageW(module, kMenuGlyphsResource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!strip) return;
  BITMAP info{};
  if (GetObjectW(strip.get(), sizeof info, &info) != sizeof info) return;
  const int width = info.bmWidth, height = std::abs(info.bmHeight);
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return;
  TBitmap pixels(width, height, pf32bit);
  {
    UniqueMemDc dc = UniqueMemDc::CompatibleWith(nullptr);
    SelectGuard select(dc.get(), strip.get());
    BitBlt(pixels.Canvas().Handle(), 0, 0, width, height, dc.get(), 0, 0, SRCCOPY);
  }
  pixels.Modified();
  list.AddMasked(pixels, clWhite);
}

}  // namespace

TSkinGdiObjects::TSkinGdiObjects(HMODULE module) {
  LoadGlyphs(module, FMenuGlyphs);
}

void TSkinGdiObjects::ColoursLoaded(const TSkinColours& colours) {
  // The new brush is made before the old one goes, so a painter never sees
  // the old handle reused for the new brush.
  FFaceBrush.reset(CreateSolidBrush(ColorToRGB(colours.ButtonFace)));
}

TBitmap* TSkinGdiObjects::Bitmap(const TPixelImage& image) {
  if (image.Width <= 0 || image.Height <= 0) return nullptr;
  TCached& cached = FBitmaps[&image];
  if (!cached.Bitmap || cached.Pixels != image.Pixels.data() || cached.Width != image.Width ||
      cached.Height != image.Height) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->LoadFromPixels(image);
    cached = {image.Pixels.data(), image.Width, image.Height, std::move(bitmap)};
  }
  return cached.Bitmap.get();
}

std::unique_ptr<TSkinDeviceObjects> MakeSkinDeviceObjects() {
  return std::make_unique<TSkinGdiObjects>(GetModuleHandleW(nullptr));
}

HBRUSH FaceBrush(const TSkinData& skin) {
  const auto* objects = dynamic_cast<const TSkinGdiObjects*>(skin.DeviceObjects.get());
  return objects != nullptr ? objects->FaceBrush() : nullptr;
}

TBitmap* SkinDeviceBitmap(const TSkinData& skin, const TPixelImage& image) {
  auto* objects = dynamic_cast<TSkinGdiObjects*>(skin.DeviceObjects.get());
  return objects != nullptr ? objects->Bitmap(image) : nullptr;
}

TSkinMessageProc PlatformSkinMessageProc() {
  return [](const std::string& text) {
    // Captioned with the program's name, as its other messages are; the
    // reader's texts are plain ASCII.
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring title(path, n);
    title = title.substr(title.find_last_of(L"\\/") + 1);
    title = title.substr(0, title.find_last_of(L'.'));
    const std::wstring wide(text.begin(), text.end());
    MessageBoxW(GetActiveWindow(), wide.c_str(), title.c_str(), MB_OK);
  };
}

TImageList* MenuGlyphs(const TSkinData& skin) {
  auto* objects = dynamic_cast<TSkinGdiObjects*>(skin.DeviceObjects.get());
  return objects != nullptr ? &objects->MenuGlyphs() : nullptr;
}

}  // namespace pellamy
