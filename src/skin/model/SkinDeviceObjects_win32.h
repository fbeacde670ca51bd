// TSkinGdiObjects: the skin data's device objects on Windows.
//   FaceBrush   a solid brush of the skin's ButtonFace colour, remade after
//               each load; none before the first load
//   MenuGlyphs  the 16x16 glyphs of the skinned system menu, from the
//               program's bitmap resource "MENUGLYPHS" (SkinGlyphs.rc, which
//               every program linking skin_model carries)
//   Bitmaps     device bitmaps of the element images, made once per load
//               on first use
#pragma once

#include <windows.h>

#include <memory>
#include <unordered_map>

#include "gui/gdi/Bitmap.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/ImgList.h"
#include "skin/model/WinSkinData.h"

namespace pellamy {

inline constexpr const wchar_t* kMenuGlyphsResource = L"MENUGLYPHS";
inline constexpr int kMenuGlyphSize = 16;

// Image indexes of the menu glyphs, the tags of the system menu's items.
enum TMenuGlyph : int { mgRestore, mgMaximise, mgMinimise, mgClose };

class TSkinGdiObjects : public TSkinDeviceObjects {
 public:
  // Glyphs from the resource of module; without one the list stays empty.
  explicit TSkinGdiObjects(HMODULE module);
  TSkinGdiObjects(const TSkinGdiObjects&) = delete;
  TSkinGdiObjects& operator=(const TSkinGdiObjects&) = delete;

  void ColoursLoaded(const TSkinColours& colours) override;
  void ImagesChanging() override { FBitmaps.clear(); }

  HBRUSH FaceBrush() const { return FFaceBrush.get(); }
  TImageList& MenuGlyphs() { return FMenuGlyphs; }
  // The device bitmap of an element image of this skin data, null for an
  // empty one. Made on first use after each load and kept until the next;
  // an image changed in between (the frame gives icon buttons the caption
  // icon) is made again.
  TBitmap* Bitmap(const TPixelImage& image);

 private:
  struct TCached {
    const std::uint32_t* Pixels = nullptr;
    int Width = 0, Height = 0;
    std::unique_ptr<TBitmap> Bitmap;
  };
  UniqueBrush FFaceBrush;
  std::unordered_map<const TPixelImage*, TCached> FBitmaps;
  TImageList FMenuGlyphs{nullptr, kMenuGlyphSize, kMenuGlyphSize};
};

// The skin data's face brush (null before its first load) and menu glyphs
// (null only when its device objects are not the Windows ones). Both belong
// to the skin data.
HBRUSH FaceBrush(const TSkinData& skin);
TImageList* MenuGlyphs(const TSkinData& skin);
// TSkinGdiObjects::Bitmap of the skin data's device objects.
TBitmap* SkinDeviceBitmap(const TSkinData& skin, const TPixelImage& image);

}  // namespace pellamy
