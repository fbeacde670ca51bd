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

std::unique_ptr<TSkinDeviceObjects> MakeSkinDeviceObjects() {
  return std::make_unique<TSkinGdiObjects>(GetModuleHandleW(nullptr));
}

HBRUSH FaceBrush(const TSkinData& skin) {
  const auto* objects = dynamic_cast<const TSkinGdiObjects*>(skin.DeviceObjects.get());
  return objects != nullptr ? objects->FaceBrush() : nullptr;
}

TImageList* MenuGlyphs(const TSkinData& skin) {
  auto* objects = dynamic_cast<TSkinGdiObjects*>(skin.DeviceObjects.get());
  return objects != nullptr ? &objects->MenuGlyphs() : nullptr;
}

}  // namespace pellamy
