// The skin drawing routines on real device contexts under Wine: everything is
// drawn into a top-down 32-bit DIB section and read back after GdiFlush, and
// compared with the same picture assembled from plain pixels. Text stays out
// of the pixel comparisons. Every test ends with as many live GDI handles as
// it started with.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Component.h"
#include "gui/gdi/Bitmap.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/Graphics.h"
#include "skin/draw/SkinDraw.h"
#include "skin/pixels/SkinPixels.h"
#include "support_target.h"

namespace pellamy::test {
namespace {

constexpr std::uint32_t kMagenta = 0xFF00FF;
constexpr std::uint32_t kGrey = 0x404040;

class SkinDraw : public GdiBalancedTest {};

// Targets start grey, so whatever is drawn shows against them.
class TTarget : public TDibTarget {
 public:
  TTarget(int width, int height, std::uint32_t fill = kGrey) : TDibTarget(width, height, fill) {}
  int ChangedOutside(const RECT& area, std::uint32_t fill = kGrey) const {
    return TDibTarget::ChangedOutside(area, fill);
  }
};

// Every pixel its own colour: column in the green byte, row in the blue byte.
std::uint32_t Code(int x, int y) {
  return static_cast<std::uint32_t>(0x200000 | x << 8 | y);
}

TPixelImage Coded(int width, int height) {
  TPixelImage image{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.Pixels.push_back(Code(x, y));
  return image;
}

void Put(TPixelImage& image, int x, int y, std::uint32_t pixel) {
  image.Pixels[static_cast<std::size_t>(y) * image.Width + x] = pixel;
}

std::unique_ptr<TBitmap> BitmapOf(const TPixelImage& image, TPixelFormat format = pf32bit) {
  auto bitmap = std::make_unique<TBitmap>(0, 0, format);
  bitmap->LoadFromPixels(image);
  return bitmap;
}

// A nine-part source whose stretched pieces are each one colour (so any
// stretch gives the same pixels) and whose corners have a colour per pixel.
TPixelImage NineGridSource(int width, int height, const TSkinRect& m) {
  TPixelImage image = Coded(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool inX = x >= m.Left && x < width - m.Right, inY = y >= m.Top && y < height - m.Bottom;
      if (inX && inY)
        Put(image, x, y, 0x00C000);
      else if (inX)
        Put(image, x, y, y < m.Top ? 0xC00000 : 0x0000C0);
      else if (inY)
        Put(image, x, y, x < m.Left ? 0xC0C000 : 0x00C0C0);
    }
  return image;
}

TEST_F(SkinDraw, SkinFrameDrawsTheChosenStateImage) {
  // Four images in a 64 x 16 strip; the second is columns 16 to 31.
  auto strip = BitmapOf(Coded(64, 16));
  TTarget target(40, 30);
  DrawSkinFrame(target.Dc(), RECT{5, 6, 21, 22}, *strip, false, 4, 2);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(target.At(5 + x, 6 + y), Code(16 + x, y)) << x << "," << y;
  EXPECT_EQ(target.ChangedOutside(RECT{5, 6, 21, 22}), 0);

  // Magenta is left unpainted when transparent.
  TPixelImage keyed = Coded(64, 16);
  Put(keyed, 16, 0, kMagenta);
  Put(keyed, 20, 3, kMagenta);
  auto keyedStrip = BitmapOf(keyed);
  TTarget clear(40, 30);
  DrawSkinFrame(clear.Dc(), RECT{0, 0, 16, 16}, *keyedStrip, true, 4, 2);
  EXPECT_EQ(clear.At(0, 0), kGrey);
  EXPECT_EQ(clear.At(4, 3), kGrey);
  EXPECT_EQ(clear.At(1, 0), Code(17, 0));
  EXPECT_EQ(clear.At(4, 4), Code(20, 4));

  // Inverted targets draw nothing.
  TTarget untouched(40, 30);
  DrawSkinFrame(untouched.Dc(), RECT{20, 5, 10, 15}, *strip, false, 4, 2);
  DrawSkinFrame(untouched.Dc(), RECT{5, 20, 15, 10}, *strip, true, 4, 2);
  EXPECT_EQ(untouched.ChangedOutside(RECT{0, 0, 0, 0}), 0);
}

TEST_F(SkinDraw, NineGridMatchesThePixelRules) {
  const TSkinRect m{3, 2, 4, 5};
  // Two stacked state images; the second one is drawn.
  TPixelImage strip = Coded(12, 24);
  const TPixelImage second = NineGridSource(12, 12, m);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) Put(strip, x, 12 + y, second.At(x, y));
  auto image = BitmapOf(strip);
  const RECT margins{m.Left, m.Top, m.Right, m.Bottom};

  for (const bool tile : {false, true})
    for (const SIZE size : {SIZE{30, 20}, SIZE{12, 12}, SIZE{7, 20}, SIZE{30, 6}}) {
      SCOPED_TRACE(std::to_string(size.cx) + " x " + std::to_string(size.cy) + (tile ? " tiled" : ""));
      const TPixelImage expected = BuildNineGridPixels(strip, size.cx, size.cy, m, true, tile, 2, 2);
      auto built = BuildNineGrid(RECT{0, 0, size.cx, size.cy}, *image, margins, true, tile, 2, 2);
      ASSERT_EQ(built->Width(), size.cx);
      ASSERT_EQ(built->Height(), size.cy);
      EXPECT_EQ(built->ToPixels().Pixels, expected.Pixels);

      TTarget target(40, 30);
      DrawNineGrid(target.Dc(), RECT{4, 3, 4 + size.cx, 3 + size.cy}, *image, true, tile, false, 2, 2, margins);
      EXPECT_EQ(target.Area(4, 3, size.cx, size.cy).Pixels, expected.Pixels);
      EXPECT_EQ(target.ChangedOutside(RECT{4, 3, 4 + size.cx, 3 + size.cy}), 0);
    }
}

TEST_F(SkinDraw, TransparentNineGridAndBorderLeaveTheMiddleAlone) {
  const TSkinRect m{2, 2, 2, 2};
  TPixelImage source = NineGridSource(8, 8, m);
  for (int y = 2; y < 6; ++y)
    for (int x = 2; x < 6; ++x) Put(source, x, y, kMagenta);
  auto image = BitmapOf(source);
  const RECT margins{2, 2, 2, 2};

  TTarget keyed(30, 30);
  DrawNineGrid(keyed.Dc(), RECT{5, 5, 25, 20}, *image, false, false, true, 1, 1, margins);
  EXPECT_EQ(keyed.At(5, 5), Code(0, 0));
  EXPECT_EQ(keyed.At(24, 19), Code(7, 7));
  EXPECT_EQ(keyed.At(15, 12), kGrey);
  EXPECT_EQ(keyed.At(15, 5), 0xC00000u);

  // Border only: the middle is never drawn, whatever its colour.
  auto solid = BitmapOf(NineGridSource(8, 8, m));
  TTarget border(30, 30);
  DrawNineGridBorder(border.Dc(), RECT{5, 5, 25, 20}, *solid, false, 1, 1, margins);
  const TPixelImage expected = BuildNineGridPixels(NineGridSource(8, 8, m), 20, 15, m, false, false, 1, 1);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool middle = x >= 2 && x < 18 && y >= 2 && y < 13;
      ASSERT_EQ(border.At(5 + x, 5 + y), middle ? kGrey : expected.At(x, y)) << x << "," << y;
    }
  EXPECT_EQ(GetStretchBltMode(border.Dc()), COLORONCOLOR);
}

TEST_F(SkinDraw, ThreePartRepeatsTheMiddleAndStretchesOnlyHeights) {
  // Every column one colour, so the height stretch is exact; caps 2 wide.
  TPixelImage strip{16, 2, {}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 16; ++x) strip.Pixels.push_back(Code(x, 0));
  Put(strip, 9, 0, kMagenta);  // second state image, left cap
  Put(strip, 9, 1, kMagenta);
  auto image = BitmapOf(strip);
  const RECT margins{2, 0, 2, 0};

  TTarget target(30, 10);
  TCanvas canvas(target.Dc());
  DrawThreePart(canvas, RECT{1, 2, 14, 7}, *image, false, false, 2, 1, margins);
  const TPixelImage expected = BuildThreePartPixels(strip, 13, 5, false, 2, 1, {2, 0, 2, 0});
  EXPECT_EQ(target.Area(1, 2, 13, 5).Pixels, expected.Pixels);
  EXPECT_EQ(target.At(7, 6), Code(2, 0));   // middle repeated at 6
  EXPECT_EQ(target.At(12, 2), Code(6, 0));  // right cap
  EXPECT_EQ(target.ChangedOutside(RECT{1, 2, 14, 7}), 0);

  TTarget keyed(30, 10);
  TCanvas keyedCanvas(keyed.Dc());
  DrawThreePart(keyedCanvas, RECT{0, 0, 12, 4}, *image, false, true, 2, 2, margins);
  EXPECT_EQ(keyed.At(1, 3), kGrey);
  EXPECT_EQ(keyed.At(0, 3), Code(8, 0));
  DrawThreePart(keyedCanvas, RECT{12, 0, 0, 4}, *image, false, false, 2, 2, margins);
  EXPECT_EQ(keyed.ChangedOutside(RECT{0, 0, 12, 4}), 0);
}

TEST_F(SkinDraw, TilesAreDrawnWholeFromTheTargetCorner) {
  auto image = BitmapOf(Coded(10, 10));
  TTarget target(30, 30);
  TCanvas canvas(target.Dc());
  TileBitmapRect(canvas, RECT{2, 3, 10, 8}, *image, RECT{4, 5, 7, 7});  // 3 x 2 tiles
  EXPECT_EQ(target.At(2, 3), Code(4, 5));
  EXPECT_EQ(target.At(5, 3), Code(4, 5));
  EXPECT_EQ(target.At(8, 7), Code(4, 5));
  EXPECT_EQ(target.At(10, 8), Code(6, 6));  // the last tiles run past
  EXPECT_EQ(target.ChangedOutside(RECT{2, 3, 11, 9}), 0);

  TTarget untouched(30, 30);
  TCanvas other(untouched.Dc());
  TileBitmapRect(other, RECT{0, 0, 20, 20}, *image, RECT{4, 5, 4, 7});
  TileBitmapRect(other, RECT{0, 0, 20, 20}, *image, RECT{4, 5, 7, 3});
  EXPECT_EQ(untouched.ChangedOutside(RECT{0, 0, 0, 0}), 0);
}

TEST_F(SkinDraw, TransparentBlitKeepsKeyedPixelsOnBothPlatformPaths) {
  TPixelImage source = Coded(9, 5);
  Put(source, 0, 0, kMagenta);
  Put(source, 4, 2, kMagenta);
  Put(source, 8, 4, kMagenta);
  Put(source, 3, 3, 0xFF01FF);  // near magenta is copied
  auto bitmap = BitmapOf(source);
  for (const bool nt : {true, false}) {
    SCOPED_TRACE(nt ? "masked copy" : "three raster operations");
    TTarget target(20, 10);
    SetBkColor(target.Dc(), RGB(1, 2, 3));
    SetTextColor(target.Dc(), RGB(4, 5, 6));
    TransparentBlit(target.Dc(), RECT{3, 2, 12, 7}, *bitmap, clFuchsia, nt);
    int wrong = 0;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 9; ++x) {
        const std::uint32_t want = source.At(x, y) == kMagenta ? kGrey : source.At(x, y);
        if (target.At(3 + x, 2 + y) != want) ++wrong;
      }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(target.ChangedOutside(RECT{3, 2, 12, 7}), 0);
    EXPECT_EQ(GetBkColor(target.Dc()), RGB(1, 2, 3));
    EXPECT_EQ(GetTextColor(target.Dc()), RGB(4, 5, 6));
  }
}

TEST_F(SkinDraw, RegionCoversTheOpaquePixelsMovedByTheOffset) {
  TPixelImage source{6, 4, std::vector<std::uint32_t>(24, 0x808080)};
  Put(source, 0, 0, kMagenta);
  Put(source, 5, 0, 0xFF01FF);  // green 1: also transparent
  Put(source, 0, 3, 0xFF01FF);
  Put(source, 5, 3, kMagenta);
  Put(source, 2, 1, 0xFF02FF);  // green 2: opaque
  auto bitmap = BitmapOf(source);
  UniqueRgn region = RegionFromBitmap(*bitmap, 100, 50, 1, 1, 1, clFuchsia);
  ASSERT_TRUE(region);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool opaque = !IsKeyTransparent(source.At(x, y), kMagenta, 1, 1, 1);
      EXPECT_EQ(PtInRegion(region.get(), 100 + x, 50 + y) != FALSE, opaque) << x << "," << y;
    }
  RECT box{};
  EXPECT_EQ(GetRgnBox(region.get(), &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 100);
  EXPECT_EQ(box.bottom, 54);

  auto empty = BitmapOf(TPixelImage{3, 3, std::vector<std::uint32_t>(9, kMagenta)});
  UniqueRgn none = RegionFromBitmap(*empty, 0, 0, 1, 1, 1, clFuchsia);
  ASSERT_TRUE(none);
  EXPECT_EQ(GetRgnBox(none.get(), &box), NULLREGION);
}

TEST_F(SkinDraw, RegionBatchesAreJoinedIntoOne) {
  // Alternate columns opaque: 3 runs a row, 1000 rows, two batches.
  TPixelImage source{6, 1000, {}};
  for (int y = 0; y < 1000; ++y)
    for (int x = 0; x < 6; ++x) source.Pixels.push_back(x % 2 == 0 ? 0x000000 : kMagenta);
  auto bitmap = BitmapOf(source);
  UniqueRgn region = RegionFromBitmap(*bitmap, 0, 0, 0, 0, 0, clFuchsia);
  for (const int y : {0, 666, 667, 999}) {
    EXPECT_TRUE(PtInRegion(region.get(), 4, y)) << y;
    EXPECT_FALSE(PtInRegion(region.get(), 5, y)) << y;
  }
  EXPECT_FALSE(PtInRegion(region.get(), 0, 1000));
}

TEST_F(SkinDraw, TransformsWorkInPlaceKeepingTheFormat) {
  auto bitmap = BitmapOf(Coded(2, 3), pf24bit);
  RotateBitmapRight(*bitmap);
  ASSERT_EQ(bitmap->Width(), 3);
  ASSERT_EQ(bitmap->Height(), 2);
  EXPECT_EQ(bitmap->PixelFormat(), pf24bit);
  EXPECT_EQ(bitmap->PixelAt(2, 0), Code(0, 0));  // top-left to top-right
  MirrorBitmap(*bitmap);
  FlipBitmap(*bitmap);
  RotateBitmapLeft(*bitmap);
  EXPECT_EQ(bitmap->PixelAt(0, 0), Code(1, 2));  // a half turn in all
}

TEST_F(SkinDraw, TextDrawsTheSameThroughBothInterfaces) {
  TTarget target(200, 40, 0xFFFFFF);
  const std::wstring text = L"Track 1";
  RECT wide{0, 0, 200, 40}, narrow{0, 0, 200, 40};
  const int wideHeight = DrawTextWide(target.Dc(), text, wide, DT_CALCRECT | DT_SINGLELINE, true);
  const int narrowHeight = DrawTextWide(target.Dc(), text, narrow, DT_CALCRECT | DT_SINGLELINE, false);
  EXPECT_GT(wideHeight, 0);
  EXPECT_EQ(wideHeight, narrowHeight);
  EXPECT_EQ(wide.right, narrow.right);
  EXPECT_GT(wide.right, 0);

  RECT box{0, 0, 200, 40};
  EXPECT_GT(DrawTextWide(target.Dc(), text, box, DT_SINGLELINE), 0);
  EXPECT_GT(target.ChangedOutside(RECT{0, 0, 0, 0}, 0xFFFFFF), 0);
}

class TFlatThing : public TComponent {
 public:
  TFlatThing() : TComponent(nullptr) {}
  bool Flat = false;
  int Kind = 0;
  std::string Caption = "x";

 protected:
  void DefineProperties(TPropertyTable& table) const override {
    TComponent::DefineProperties(table);
    auto* self = const_cast<TFlatThing*>(this);
    table["Flat"] = BoolProp([self] { return self->Flat; }, [self](bool v) { self->Flat = v; });
    table["Kind"] = EnumProp(
        {"kdOne", "kdTwo"}, [self] { return self->Kind; }, [self](int v) { self->Kind = v; });
    table["Caption"] =
        StringProp([self] { return self->Caption; }, [self](const std::string& v) { self->Caption = v; });
  }
};

TEST_F(SkinDraw, EnumPropertiesAreSetByValueName) {
  TFlatThing thing;
  SetEnumPropertyByName(&thing, "Flat", "True");
  EXPECT_TRUE(thing.Flat);
  SetEnumPropertyByName(&thing, "kind", "kdTwo");
  EXPECT_EQ(thing.Kind, 1);
  SetEnumPropertyByName(&thing, "Kind", "kdThree");
  EXPECT_EQ(thing.Kind, 1);
  SetEnumPropertyByName(&thing, "Transparent", "True");
  SetEnumPropertyByName(nullptr, "Flat", "True");
  SetEnumPropertyByName(&thing, "Caption", "True");
  EXPECT_EQ(thing.Caption, "x") << "only enumerations and booleans are set";
}

}  // namespace
}  // namespace pellamy::test
