// TImageList: cutting strips, transparency, drawing normal and grayed on a
// real DC, and the system image list made from the same images.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include "gui/gdi/ImgList.h"
#include "support_target.h"

namespace pellamy::test {
namespace {

constexpr std::uint32_t kMagenta = 0xFF00FF;
constexpr std::uint32_t kGreen = 0x00C000;
constexpr std::uint32_t kNavy = 0x000080;

// A strip of count 16x16 images on magenta: image i has a green square at
// (2+i, 2) of size 4 and one navy pixel at (10, 10).
TBitmap MakeStrip(int count) {
  TBitmap strip(16 * count, 16);
  for (int y = 0; y < 16; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(strip.ScanLine(y));
    for (int x = 0; x < 16 * count; ++x) row[x] = kMagenta;
  }
  for (int i = 0; i < count; ++i) {
    for (int y = 2; y < 6; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(strip.ScanLine(y));
      for (int x = 2 + i; x < 6 + i; ++x) row[16 * i + x] = kGreen;
    }
    reinterpret_cast<std::uint32_t*>(strip.ScanLine(10))[16 * i + 10] = kNavy;
  }
  strip.Modified();
  return strip;
}

TEST(ImageList, CutsStripsAndKeepsTransparency) {
  TImageList list(nullptr);
  int changes = 0;
  list.OnChange = [&](TComponent*) { ++changes; };
  EXPECT_EQ(list.AddMasked(MakeStrip(3), clDefault), 0);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(changes, 1);
  // A strip narrower than one image adds nothing.
  TBitmap narrow(10, 16);
  EXPECT_EQ(list.AddMasked(narrow, clDefault), -1);
  EXPECT_EQ(list.Count(), 3);
  // The bottom-left pixel (magenta) is the transparent colour.
  EXPECT_FALSE(list.IsOpaque(0, 0, 0));
  EXPECT_TRUE(list.IsOpaque(1, 3, 2));
  EXPECT_FALSE(list.IsOpaque(1, 2, 2));
  EXPECT_FALSE(list.IsOpaque(7, 3, 3));
  // An explicit colour; clNone keeps every pixel.
  TImageList opaque(nullptr);
  opaque.AddMasked(MakeStrip(1), clNone);
  EXPECT_TRUE(opaque.IsOpaque(0, 0, 0));
  TImageList byGreen(nullptr);
  byGreen.AddMasked(MakeStrip(1), RGBToColor(0, 0xC0, 0));
  EXPECT_FALSE(byGreen.IsOpaque(0, 3, 3));
  EXPECT_TRUE(byGreen.IsOpaque(0, 0, 0));

  TBitmap copy;
  ASSERT_TRUE(list.GetBitmap(2, copy));
  EXPECT_EQ(copy.Width(), 16);
  EXPECT_EQ(copy.PixelAt(4, 3), kGreen);
  EXPECT_EQ(copy.PixelAt(0, 0), kMagenta);
  EXPECT_FALSE(list.GetBitmap(3, copy));
  list.Delete(0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_TRUE(list.IsOpaque(0, 3, 2));  // the former second image
}

TEST(ImageList, DrawsNormalAndGrayedOverTheBackground) {
  TImageList list(nullptr);
  list.AddMasked(MakeStrip(2), clDefault);
  TDibTarget target(40, 20, 0x123456);
  list.Draw(target.Dc(), 4, 2, 0);
  EXPECT_EQ(target.At(4 + 2, 2 + 2), kGreen);
  EXPECT_EQ(target.At(4 + 10, 2 + 10), kNavy);
  EXPECT_EQ(target.At(4 + 0, 2 + 0), 0x123456u);  // transparent
  EXPECT_EQ(target.At(4 + 15, 2 + 15), 0x123456u);
  EXPECT_EQ(target.ChangedOutside(RECT{4, 2, 20, 18}, 0x123456), 0);

  // Grayed: dark ink in the shadow colour with its highlight one pixel down
  // and right. Transparent pixels stay as they were.
  TDibTarget gray(40, 20, 0x123456);
  list.Draw(gray.Dc(), 4, 2, 0, false);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const std::uint32_t shadowPixel = (GetRValue(shadow) << 16) | (GetGValue(shadow) << 8) | GetBValue(shadow);
  const std::uint32_t lightPixel = (GetRValue(light) << 16) | (GetGValue(light) << 8) | GetBValue(light);
  EXPECT_EQ(gray.At(4 + 10, 2 + 10), shadowPixel);
  EXPECT_EQ(gray.At(4 + 11, 2 + 11), lightPixel);
  EXPECT_EQ(gray.At(4 + 2, 2 + 2), shadowPixel);
  EXPECT_EQ(gray.At(4 + 0, 2 + 0), 0x123456u);
  EXPECT_EQ(gray.At(4 + 14, 2 + 2), 0x123456u);

  // A bad index draws nothing.
  TDibTarget none(20, 20, 0x123456);
  list.Draw(none.Dc(), 0, 0, 5);
  list.Draw(none.Dc(), 0, 0, -1);
  EXPECT_EQ(none.ChangedOutside(RECT{0, 0, 0, 0}, 0x123456), 0);
}

TEST(ImageList, SystemHandleHoldsTheSameImages) {
  TImageList list(nullptr);
  list.AddMasked(MakeStrip(2), clDefault);
  HIMAGELIST handle = list.Handle();
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(handle), 2);
  int w = 0, h = 0;
  ImageList_GetIconSize(handle, &w, &h);
  EXPECT_EQ(w, 16);
  EXPECT_EQ(h, 16);
  TDibTarget target(20, 20, 0x123456);
  ASSERT_TRUE(ImageList_Draw(handle, 1, target.Dc(), 2, 2, ILD_TRANSPARENT));
  EXPECT_EQ(target.At(2 + 3, 2 + 2), kGreen);
  EXPECT_EQ(target.At(2 + 0, 2 + 0), 0x123456u);
  // A change makes a new handle with the new count.
  list.AddMasked(MakeStrip(1), clDefault);
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 3);

  // A monochrome strip takes one colour wherever it is not transparent.
  TImageList mono(nullptr);
  mono.AddMonochrome(MakeStrip(1), clDefault, clRed);
  TBitmap copy;
  ASSERT_TRUE(mono.GetBitmap(0, copy));
  EXPECT_EQ(copy.PixelAt(10, 10), 0xFF0000u);
  EXPECT_EQ(copy.PixelAt(3, 3), 0xFF0000u);
  EXPECT_EQ(copy.PixelAt(0, 0), kMagenta);
}

}  // namespace
}  // namespace pellamy::test
