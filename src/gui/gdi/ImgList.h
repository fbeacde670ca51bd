// TImageList: a row of equally sized images (16x16 by default) with a
// transparent colour, drawn normally or grayed, and a system image list handle
// for the common controls that want one.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <memory>
#include <vector>

#include "base/Component.h"
#include "gui/gdi/Bitmap.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/Graphics.h"

namespace pellamy {

class TImageList : public TComponent {
 public:
  explicit TImageList(TComponent* owner, int width = 16, int height = 16);
  ~TImageList() override;
  std::string ClassName() const override { return "TImageList"; }

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Clears the list.
  void SetSize(int width, int height);
  int Count() const { return static_cast<int>(FImages.size()); }

  // Cuts a strip into images of the list's size, left to right (a strip
  // narrower than one image gives none). Pixels of transparent are
  // transparent; clDefault takes the strip's bottom-left pixel. Returns the
  // index of the first image added, or -1.
  int AddMasked(const TBitmap& strip, TColor transparent);
  // Adds a monochrome picture: pixels of transparent are left out and all
  // others take color.
  int AddMonochrome(const TBitmap& strip, TColor transparent, TColor color);
  void Delete(int index);
  void Clear();

  // Draws image index with its top left at x, y. Grayed images are drawn
  // in the system's shadow colour, embossed with the highlight colour. A bad
  // index draws nothing.
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;
  void Draw(HDC dc, int x, int y, int index, bool enabled = true) const;
  // The image on a background of transparent's colour (magenta when the list
  // was given clDefault); false for a bad index.
  bool GetBitmap(int index, TBitmap& out) const;
  // Whether a pixel of image index is drawn.
  bool IsOpaque(int index, int x, int y) const;

  // A system image list with the same images, made on first use and kept
  // up to date.
  HIMAGELIST Handle() const;

  // Runs after every change of the images.
  TNotifyEvent OnChange;

 private:
  struct TImage {
    std::unique_ptr<TBitmap> Pixels;  // 32-bit, width x height
    std::vector<bool> Opaque;         // width x height, row-major
  };
  void Changed();

  int FWidth;
  int FHeight;
  std::vector<TImage> FImages;
  mutable HIMAGELIST FHandle = nullptr;
};

}  // namespace pellamy
