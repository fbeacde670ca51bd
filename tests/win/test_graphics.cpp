// The graphics classes on real device contexts under Wine: everything is drawn
// into a top-down 32-bit DIB section and read back after GdiFlush; text stays
// out of the pixel comparisons. Every test ends with as many live GDI handles
// as it started with.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <string>

#include "base/Exceptions.h"
#include "gui/gdi/Bitmap.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/Graphics.h"
#include "imaging/BmpFormat.h"
#include "imaging/JpegFormat.h"
#include "support_target.h"

namespace pellamy::test {
namespace {

class Graphics : public GdiBalancedTest {};

using TTarget = TDibTarget;

int Difference(std::uint32_t a, std::uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8)
    worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return worst;
}

std::string TempPath(const std::string& name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + "pellamy-graphics-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

// A 4 x 4 bitmap of magenta with a green 2 x 2 square at 1, 1, written
// through ScanLine.
void PaintSquare(TBitmap& bitmap) {
  const int bytes = bitmap.PixelFormat() == pf24bit ? 3 : 4;
  for (int y = 0; y < 4; ++y) {
    std::uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < 4; ++x) {
      const bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
      const std::uint32_t pixel = inside ? 0x00FF00 : 0xFF00FF;
      std::memcpy(row + x * bytes, &pixel, 3);
    }
  }
}

TEST_F(Graphics, ColoursResolveSystemColoursWhenUsed) {
  EXPECT_TRUE(IsSystemColor(clBtnFace));
  EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clHighlight), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(ColorToRGB(clRed), RGB(255, 0, 0));
  EXPECT_EQ(ColorToPixel(clRed), 0xFF0000u);
  EXPECT_EQ(PixelToColor(0x0000FF), clBlue);
  EXPECT_EQ(RGBToColor(0x12, 0x34, 0x56), 0x563412);
}

TEST_F(Graphics, CanvasFillsFramesAndLinesWithItsTools) {
  TTarget target(16, 16);
  {
    TCanvas canvas(target.Dc());
    canvas.Brush().SetColor(clBtnFace);
    canvas.FillRect(RECT{2, 2, 6, 6});
    EXPECT_EQ(target.At(2, 2), ColorToPixel(clBtnFace));
    EXPECT_EQ(target.At(5, 5), ColorToPixel(clBtnFace));
    EXPECT_EQ(target.At(6, 6), 0u);  // right and bottom edges excluded

    canvas.Brush().SetStyle(bsClear);
    canvas.FillRect(RECT{0, 0, 16, 16});
    EXPECT_EQ(target.At(0, 0), 0u);

    // Outline in the pen, inside in the brush.
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clYellow);
    canvas.Pen().SetColor(clBlue);
    canvas.Rectangle(8, 8, 14, 14);
    EXPECT_EQ(target.At(8, 8), 0x0000FFu);
    EXPECT_EQ(target.At(13, 10), 0x0000FFu);
    EXPECT_EQ(target.At(10, 10), 0xFFFF00u);

    canvas.Brush().SetColor(clRed);
    canvas.FrameRect(RECT{0, 8, 6, 14});
    EXPECT_EQ(target.At(0, 10), 0xFF0000u);
    EXPECT_EQ(target.At(2, 10), 0u);

    canvas.Pen().SetColor(clLime);
    canvas.MoveTo(0, 15);
    canvas.LineTo(8, 15);
    EXPECT_EQ(target.At(7, 15), 0x00FF00u);
    EXPECT_EQ(target.At(8, 15), 0u);  // the end point is not drawn
    EXPECT_EQ(canvas.PenPos().x, 8);

    const POINT zigzag[] = {{15, 0}, {15, 4}, {11, 4}};
    canvas.Polyline(zigzag);
    EXPECT_EQ(target.At(15, 2), 0x00FF00u);
    EXPECT_EQ(target.At(12, 4), 0x00FF00u);

    canvas.SetPixel(1, 0, clAqua);
    EXPECT_EQ(canvas.Pixel(1, 0), clAqua);
    EXPECT_EQ(target.At(1, 0), 0x00FFFFu);
  }
}

TEST_F(Graphics, CanvasGivesTheDcItsOwnObjectsBackAndFreesReplacedTools) {
  TTarget target(8, 8);
  HDC dc = target.Dc();
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT), brush = GetCurrentObject(dc, OBJ_BRUSH),
          pen = GetCurrentObject(dc, OBJ_PEN);
  {
    TCanvas canvas(dc);
    canvas.Rectangle(0, 0, 4, 4);
    EXPECT_GT(canvas.TextWidth("Rip"), 0);
    HGDIOBJ first = GetCurrentObject(dc, OBJ_FONT);
    EXPECT_EQ(first, canvas.Font().Handle());
    EXPECT_EQ(HandleLiveCount(THandleKind::Font), 1);

    // A change while selected: the old font leaves the DC before it is
    // deleted, and the next call selects the new one.
    canvas.Font().SetStyle(fsBold);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetObjectType(first), 0u);
    canvas.TextExtent("Rip");
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), canvas.Font().Handle());

    // Another DC: the first gets its objects back.
    TTarget other(4, 4);
    canvas.SetHandle(other.Dc());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    canvas.Rectangle(0, 0, 2, 2);
    canvas.SetHandle(dc);
    canvas.Rectangle(0, 0, 2, 2);
  }
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);

  TCanvas detached;
  EXPECT_THROW(detached.FillRect(RECT{0, 0, 1, 1}), Exception);
}

TEST_F(Graphics, FontRemakesItsHandleOnlyWhenItsShapeChanges) {
  TFont font;
  EXPECT_EQ(font.Name(), "MS Sans Serif");
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(font.Size(), 8);
  int changes = 0;
  font.OnChange = [&] { ++changes; };

  HFONT first = font.Handle();
  EXPECT_EQ(font.Handle(), first);
  EXPECT_EQ(HandleLiveCount(THandleKind::Font), 1);

  font.SetSize(12);
  EXPECT_EQ(font.Height(), -16);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(font.HandleAllocated());
  EXPECT_EQ(HandleLiveCount(THandleKind::Font), 0);
  font.SetStyle(fsBold | fsItalic);
  font.SetName("Arial");
  LOGFONTW made{};
  ASSERT_NE(GetObjectW(font.Handle(), sizeof made, &made), 0);
  EXPECT_EQ(made.lfHeight, -16);
  EXPECT_EQ(made.lfWeight, FW_BOLD);
  EXPECT_TRUE(made.lfItalic);
  EXPECT_FALSE(made.lfUnderline);
  EXPECT_EQ(std::wstring(made.lfFaceName), L"Arial");
  EXPECT_EQ(changes, 3);

  // The colour belongs to the DC: the handle stays. Same values: no change.
  font.SetColor(clRed);
  EXPECT_TRUE(font.HandleAllocated());
  font.SetSize(12);
  font.SetColor(clRed);
  EXPECT_EQ(changes, 4);

  TFont copy;
  int copyChanges = 0;
  copy.OnChange = [&] { ++copyChanges; };
  copy.Assign(font);
  EXPECT_EQ(copyChanges, 1);
  EXPECT_EQ(copy.Name(), "Arial");
  EXPECT_EQ(copy.Height(), -16);
  EXPECT_EQ(copy.Style(), fsBold | fsItalic);
  EXPECT_EQ(copy.Color(), clRed);
  EXPECT_NE(copy.Handle(), font.Handle());
  copy.Assign(font);
  EXPECT_EQ(copyChanges, 1);

  TFont fromLog;
  fromLog.AssignLogFont(made);
  EXPECT_EQ(fromLog.Name(), "Arial");
  EXPECT_EQ(fromLog.Style(), fsBold | fsItalic);
}

TEST_F(Graphics, BitmapPixelsDrawnOpaqueStretchedAndWithATransparentColour) {
  for (TPixelFormat format : {pf32bit, pf24bit}) {
    SCOPED_TRACE(format == pf32bit ? "32 bits" : "24 bits");
    TBitmap bitmap(4, 4, format);
    PaintSquare(bitmap);
    EXPECT_EQ(bitmap.PixelAt(0, 0), 0xFF00FFu);
    EXPECT_EQ(bitmap.PixelAt(2, 2), 0x00FF00u);

    TTarget target(32, 16, 0x0000FF);
    TCanvas canvas(target.Dc());
    canvas.Draw(0, 0, bitmap);
    EXPECT_EQ(target.At(0, 0), 0xFF00FFu);
    EXPECT_EQ(target.At(1, 1), 0x00FF00u);
    EXPECT_EQ(target.At(4, 4), 0x0000FFu);

    canvas.StretchDraw(RECT{8, 0, 16, 8}, bitmap);
    EXPECT_EQ(target.At(8, 0), 0xFF00FFu);
    EXPECT_EQ(target.At(10, 2), 0x00FF00u);
    EXPECT_EQ(target.At(13, 5), 0x00FF00u);
    EXPECT_EQ(target.At(14, 6), 0xFF00FFu);

    bitmap.SetTransparentColor(clFuchsia);
    bitmap.SetTransparent(true);
    canvas.Draw(20, 0, bitmap);
    EXPECT_EQ(target.At(20, 0), 0x0000FFu);
    EXPECT_EQ(target.At(23, 3), 0x0000FFu);
    EXPECT_EQ(target.At(21, 1), 0x00FF00u);
    EXPECT_EQ(target.At(22, 2), 0x00FF00u);

    // The default transparent colour is the bottom-left pixel.
    bitmap.SetTransparentColor(clDefault);
    EXPECT_EQ(bitmap.TransparentColor(), clFuchsia);
    bitmap.ScanLine(3)[0] = 0x80;  // bottom-left blue byte
    EXPECT_EQ(bitmap.TransparentColor(), PixelToColor(0xFF0080));
  }
}

TEST_F(Graphics, BitmapCanvasSizeFormatAndFiles) {
  TBitmap bitmap(5, 3, pf32bit);
  int changes = 0;
  bitmap.OnChange = [&] { ++changes; };
  bitmap.Canvas().Brush().SetColor(clRed);
  bitmap.Canvas().FillRect(RECT{0, 0, 5, 3});
  bitmap.Canvas().SetPixel(4, 2, clBlue);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(bitmap.PixelAt(0, 0), 0xFF0000u);  // read after GdiFlush
  EXPECT_EQ(bitmap.PixelAt(4, 2), 0x0000FFu);
  EXPECT_EQ(bitmap.ScanLine(0)[3], 0);  // the fourth byte stays 0

  // Growing keeps the old pixels top-left; the new ones are black. The
  // canvas goes on drawing on the new pixels.
  bitmap.SetSize(7, 4);
  EXPECT_EQ(bitmap.PixelAt(4, 2), 0x0000FFu);
  EXPECT_EQ(bitmap.PixelAt(6, 3), 0u);
  bitmap.Canvas().SetPixel(6, 3, clLime);
  EXPECT_EQ(bitmap.PixelAt(6, 3), 0x00FF00u);

  bitmap.SetPixelFormat(pf24bit);
  EXPECT_EQ(bitmap.BytesPerLine(), 24);  // 7 x 3 rounded up to 4 bytes
  EXPECT_EQ(bitmap.PixelAt(4, 2), 0x0000FFu);
  EXPECT_EQ(bitmap.PixelAt(6, 3), 0x00FF00u);
  EXPECT_THROW(bitmap.ScanLine(4), Exception);
  EXPECT_THROW(bitmap.ScanLine(-1), Exception);
  EXPECT_THROW(bitmap.PixelAt(7, 0), Exception);

  // A copy shares no pixels.
  TBitmap copy(bitmap);
  bitmap.Canvas().SetPixel(0, 0, clWhite);
  EXPECT_EQ(copy.PixelAt(0, 0), 0xFF0000u);
  EXPECT_EQ(copy.PixelFormat(), pf24bit);

  // Through a BMP file and back, and a damaged file leaves the bitmap as it
  // was.
  const std::string path = TempPath("copy.bmp");
  copy.SaveToFile(path);
  TBitmap loaded;
  loaded.LoadFromFile(path);
  DeleteFileA(path.c_str());
  EXPECT_EQ(loaded.ToPixels().Pixels, copy.ToPixels().Pixels);
  std::vector<std::uint8_t> damaged = copy.SaveToStream();
  damaged.resize(60);
  EXPECT_THROW(loaded.LoadFromStream(damaged), Exception);
  EXPECT_EQ(loaded.Width(), 7);
  EXPECT_THROW(loaded.LoadFromFile(TempPath("absent.bmp")), Exception);
}

TEST_F(Graphics, JpegImageDecodesDrawsAndRefusesDamagedData) {
  // Left half red, right half blue, split on the codec's 8-pixel blocks.
  TPixelImage image{16, 16, {}};
  for (int i = 0; i < 256; ++i) image.Pixels.push_back(i % 16 < 8 ? 0xFF0000 : 0x0000FF);
  const std::vector<std::uint8_t> data = EncodeJpeg(image, 95);

  TJPEGImage jpeg;
  jpeg.LoadFromBytes(data);
  EXPECT_EQ(jpeg.Width(), 16);
  EXPECT_EQ(jpeg.Height(), 16);
  EXPECT_EQ(jpeg.Data(), data);
  TTarget target(20, 20);
  TCanvas canvas(target.Dc());
  canvas.Draw(2, 2, jpeg);
  EXPECT_LE(Difference(target.At(4, 9), 0xFF0000), 8);
  EXPECT_LE(Difference(target.At(15, 9), 0x0000FF), 8);
  EXPECT_EQ(target.At(1, 1), 0u);

  // The library's error exit comes back as an exception in this build too.
  std::vector<std::uint8_t> cut(data.begin(), data.begin() + static_cast<long>(data.size() / 2));
  EXPECT_THROW(jpeg.LoadFromBytes(cut), Exception);
  std::vector<std::uint8_t> garbage(data.size(), 0x5A);
  garbage[0] = 0xFF, garbage[1] = 0xD8;
  EXPECT_THROW(jpeg.LoadFromBytes(garbage), Exception);
  EXPECT_EQ(jpeg.Data(), data);
  EXPECT_EQ(jpeg.Width(), 16);

  // From a bitmap: encoded, and drawn much the same.
  TBitmap bitmap(8, 8);
  bitmap.Canvas().Brush().SetColor(clLime);
  bitmap.Canvas().FillRect(RECT{0, 0, 8, 8});
  TJPEGImage fromBitmap;
  fromBitmap.Assign(bitmap);
  EXPECT_EQ(fromBitmap.Width(), 8);
  EXPECT_LE(Difference(fromBitmap.Bitmap().PixelAt(3, 3), 0x00FF00), 8);
  EXPECT_THROW(fromBitmap.Assign(TIcon()), Exception);
}

TEST_F(Graphics, PictureCopiesAreDeepAndChangesAreReported) {
  TPicture picture;
  int changes = 0;
  picture.OnChange = [&] { ++changes; };
  TBitmap& bitmap = picture.Bitmap();
  EXPECT_EQ(changes, 1);
  bitmap.SetSize(3, 2);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(picture.Width(), 3);
  EXPECT_EQ(picture.Height(), 2);
  bitmap.Canvas().SetPixel(0, 0, clRed);
  EXPECT_EQ(changes, 3);

  TPicture copy;
  copy.Assign(picture);
  ASSERT_NE(copy.Graphic(), nullptr);
  EXPECT_NE(copy.Graphic(), picture.Graphic());
  EXPECT_STREQ(copy.Graphic()->ClassName(), "TBitmap");
  bitmap.Canvas().SetPixel(0, 0, clBlue);
  EXPECT_EQ(copy.Bitmap().PixelAt(0, 0), 0xFF0000u);
  EXPECT_EQ(bitmap.PixelAt(0, 0), 0x0000FFu);

  // JPEG data: the graphic is a TJPEGImage, copied with its data.
  TPixelImage image{10, 6, std::vector<std::uint32_t>(60, 0x808080)};
  const std::vector<std::uint8_t> data = EncodeJpeg(image, 90);
  picture.LoadFromJpegBytes(data.data(), data.size());
  EXPECT_STREQ(picture.Graphic()->ClassName(), "TJPEGImage");
  EXPECT_EQ(picture.Width(), 10);
  copy.Assign(picture);
  const auto* jpeg = dynamic_cast<const TJPEGImage*>(copy.Graphic());
  ASSERT_NE(jpeg, nullptr);
  EXPECT_EQ(jpeg->Data(), data);
  // Asking a JPEG picture for its bitmap replaces the graphic.
  EXPECT_EQ(copy.Bitmap().Width(), 0);
  EXPECT_STREQ(picture.Graphic()->ClassName(), "TJPEGImage");

  // By content and by file extension.
  const std::vector<std::uint8_t> bmp = EncodeBmp24(image);
  picture.LoadFromBytes(bmp.data(), bmp.size());
  EXPECT_STREQ(picture.Graphic()->ClassName(), "TBitmap");
  EXPECT_THROW(picture.LoadFromBytes(bmp.data() + 2, bmp.size() - 2), Exception);
  const std::string path = TempPath("picture.jpeg");
  TJPEGImage saved;
  saved.LoadFromBytes(data);
  saved.SaveToFile(path);
  picture.LoadFromFile(path);
  DeleteFileA(path.c_str());
  EXPECT_STREQ(picture.Graphic()->ClassName(), "TJPEGImage");
  EXPECT_THROW(picture.LoadFromFile(TempPath("picture.gif")), Exception);

  picture.Clear();
  EXPECT_EQ(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Width(), 0);
}

// A 32 x 32 icon file of one colour, opaque everywhere (AND mask all 0).
std::vector<std::uint8_t> IconFile(std::uint32_t pixel) {
  std::vector<std::uint8_t> f;
  auto put16 = [&](unsigned v) {
    f.insert(f.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
  };
  auto put32 = [&](std::uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  const std::uint32_t imageBytes = 40 + 32 * 32 * 4 + 32 * 4;
  put16(0), put16(1), put16(1);                            // icon directory, one image
  f.insert(f.end(), {32, 32, 0, 0}), put16(1), put16(32);  // 32 x 32, 32 bits
  put32(imageBytes), put32(6 + 16);
  put32(40), put32(32), put32(64), put16(1), put16(32);  // colour and mask: twice the height
  for (int i = 0; i < 6; ++i) put32(0);
  for (int i = 0; i < 32 * 32; ++i) put32(pixel | 0xFF000000);
  for (int i = 0; i < 32 * 4; ++i) f.push_back(0);
  return f;
}

TEST_F(Graphics, IconsLoadDrawCopyAndAreDestroyed) {
  const std::string path = TempPath("red.ico");
  {
    const std::vector<std::uint8_t> file = IconFile(0xFF0000);
    WriteFileBytes(path, file);
  }
  TIcon icon;
  icon.LoadFromFile(path);
  DeleteFileA(path.c_str());
  EXPECT_EQ(icon.Width(), 32);
  EXPECT_EQ(icon.Height(), 32);
  EXPECT_EQ(HandleLiveCount(THandleKind::Icon), 1);

  TTarget target(40, 40);
  TCanvas canvas(target.Dc());
  canvas.Draw(4, 4, icon);
  EXPECT_EQ(target.At(4, 4), 0xFF0000u);
  EXPECT_EQ(target.At(35, 35), 0xFF0000u);
  EXPECT_EQ(target.At(36, 36), 0u);

  TIcon copy;
  copy.Assign(icon);
  EXPECT_NE(copy.Handle(), icon.Handle());
  EXPECT_EQ(copy.Width(), 32);
  EXPECT_EQ(HandleLiveCount(THandleKind::Icon), 2);
  HICON given = copy.ReleaseHandle();
  EXPECT_EQ(HandleLiveCount(THandleKind::Icon), 1);
  DestroyIcon(given);

  // A picture of an icon, and a bitmap drawn from it.
  TPicture picture;
  picture.SetGraphic(&icon);
  TBitmap bitmap;
  bitmap.Assign(*picture.Graphic());
  EXPECT_EQ(bitmap.Width(), 32);
  EXPECT_EQ(bitmap.PixelAt(10, 10), 0xFF0000u);

  EXPECT_THROW(icon.LoadFromResource(GetModuleHandleW(nullptr), 12345), Exception);
  EXPECT_EQ(icon.Width(), 32);
}

TEST_F(Graphics, HandleWrappersCountMoveReleaseAndRestore) {
  {
    UniqueBrush brush(CreateSolidBrush(RGB(1, 2, 3)));
    EXPECT_EQ(HandleLiveCount(THandleKind::Brush), 1);
    UniqueBrush moved(std::move(brush));
    EXPECT_FALSE(brush);
    EXPECT_EQ(HandleLiveCount(THandleKind::Brush), 1);
    UniqueRgn region(CreateRectRgn(0, 0, 4, 4));
    EXPECT_EQ(HandleLiveCount(THandleKind::Region), 1);
    HRGN given = region.release();
    EXPECT_EQ(HandleLiveCount(THandleKind::Region), 0);
    EXPECT_NE(GetObjectType(given), 0u);
    DeleteObject(given);
    moved.reset(CreateSolidBrush(RGB(4, 5, 6)));
    EXPECT_EQ(HandleLiveCount(THandleKind::Brush), 1);
  }

  TTarget target(4, 4);
  HGDIOBJ before = GetCurrentObject(target.Dc(), OBJ_PEN);
  {
    UniquePen pen(CreatePen(PS_SOLID, 1, RGB(9, 9, 9)));
    SelectGuard guard(target.Dc(), pen.get());
    EXPECT_EQ(GetCurrentObject(target.Dc(), OBJ_PEN), pen.get());
    EXPECT_EQ(guard.Previous(), before);
  }
  EXPECT_EQ(GetCurrentObject(target.Dc(), OBJ_PEN), before);

  HWND window =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  {
    WindowDc dc(window);
    EXPECT_TRUE(dc);
    EXPECT_EQ(dc.Window(), window);
    EXPECT_EQ(HandleLiveCount(THandleKind::WindowDc), 1);
    WindowDc whole(window, WindowDc::TArea::Window);
    WindowDc taken(std::move(whole));
    EXPECT_EQ(HandleLiveCount(THandleKind::WindowDc), 2);
  }
  InvalidateRect(window, nullptr, TRUE);
  {
    PaintDc paint(window);
    EXPECT_NE(paint.get(), nullptr);
    EXPECT_EQ(paint.PaintRect().right, 40);
    EXPECT_EQ(HandleLiveCount(THandleKind::PaintDc), 1);
  }
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));  // BeginPaint/EndPaint validated it
  DestroyWindow(window);
}

}  // namespace
}  // namespace pellamy::test
