// Whole skin loads: container bytes as given, or a description of any text
// packed with a few images (so that the fuzzer reaches the element rules
// instead of stopping at the decompressor), built into the element model.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "SkinPack.h"
#include "base/Exceptions.h"
#include "imaging/BmpFormat.h"
#include "skin/model/WinSkinData.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Bmp(int width, int height) {
  pellamy::TPixelImage image;
  image.Width = width;
  image.Height = height;
  image.Pixels.assign(static_cast<std::size_t>(width) * height, 0xFF00FF);
  return pellamy::EncodeBmp24(image);
}

const std::vector<pellamy::TSkinEntry>& Images() {
  static const std::vector<pellamy::TSkinEntry> images = {
      {"a.bmp", Bmp(40, 12)}, {"b.bmp", Bmp(120, 9)}, {"c.bmp", Bmp(52, 13)},
      {"d.bmp", Bmp(1, 1)},   {"e.bmp", {}},          {"f.bmp", {'B', 'M', 0, 0}},
  };
  return images;
}

void CheckImage(const pellamy::TPixelImage& image) {
  if (image.Width < 0 || image.Height < 0) std::abort();
  if (image.Pixels.size() != static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height))
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  Bytes skinBytes;
  if ((data[0] & 1) != 0) {
    skinBytes.assign(data + 1, data + size);
  } else {
    std::vector<pellamy::TSkinEntry> entries = {{"skin.ini", Bytes(data + 1, data + size)}};
    entries.insert(entries.end(), Images().begin(), Images().end());
    skinBytes = pellamy::PackSkin(entries);
  }
  pellamy::TSkinData skin(nullptr);
  skin.SkinBytes = skinBytes;
  bool loaded = false;
  try {
    loaded = skin.LoadSkin();
  } catch (const pellamy::Exception&) {
    if (!skin.SkinEmpty) std::abort();
    return 0;
  }
  if (loaded == skin.SkinEmpty) std::abort();
  if (!loaded) return 0;
  if (skin.SysButtons.size() < 3) std::abort();
  for (const auto& button : skin.SysButtons) CheckImage(button->Bitmap);
  for (const auto& slot : skin.Slots()) {
    if (slot.Element == nullptr) continue;
    CheckImage(slot.Element->Bitmap);
    if (const auto* border = dynamic_cast<const pellamy::TDataSkinBorder*>(slot.Element)) CheckImage(border->Bitmap2);
  }
  if (skin.Buttons->RadioButtonFrame == 0 || skin.Buttons->CheckButtonFrame == 0) std::abort();
  return 0;
}
