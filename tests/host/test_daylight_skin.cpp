// Our second skin, skins/daylight, beside the checks every skin of ours
// passes (test_our_skins.cpp): light where rip is dark, with borders of
// other widths, frame pieces that tile without a seam, the caption buttons
// at the left and the icon beside a centred title.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin/model/WinSkinData.h"
#include "support/SkinFolder.h"

namespace pellamy::test {
namespace {

namespace fs = std::filesystem;

// The largest difference of one colour channel between two pixels.
int Step(std::uint32_t a, std::uint32_t b) {
  int most = 0;
  for (int shift : {0, 8, 16}) most = std::max(most, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
  return most;
}

class DaylightSkinTest : public TSkinFolderTest {
 protected:
  void SetUp() override {
    TSkinFolderTest::SetUp();
    const auto ripIni = ReadSkinFile(fs::path(PELLAMY_SKINS_DIR) / "rip" / "skin.ini");
    FRip.Load(std::string_view(reinterpret_cast<const char*>(ripIni.data()), ripIni.size()));
  }

  // Rip's border, from its sources.
  int RipBorderSize(const std::string& side) {
    const auto bytes = ReadSkinFile(fs::path(PELLAMY_SKINS_DIR) / "rip" / FRip.ReadImageName("Personality", side));
    if (bytes.empty()) return -1;
    const TPixelImage image = DecodeBmp(bytes.data(), bytes.size());
    const int frames = FRip.ReadInteger("Personality", side + "Frame", 1);
    return side == "Left" || side == "Right" ? image.Width / frames : image.Height / frames;
  }

  TSkinIni FRip;
};

TEST_F(DaylightSkinTest, BordersOfOtherWidths) {
  const int left = BorderSize("Left"), right = BorderSize("Right"), bottom = BorderSize("Bottom");
  EXPECT_NE(left, right);
  EXPECT_NE(left, bottom);
  EXPECT_NE(right, bottom);
  for (const char* side : {"Left", "Right", "Bottom", "Top"}) {
    EXPECT_NE(BorderSize(side), RipBorderSize(side)) << side;
  }
}

TEST_F(DaylightSkinTest, FramePiecesTileWithoutASeam) {
  // Tiled, the middle of a piece is drawn again and again along the border:
  // where one copy ends and the next begins, no colour may jump further than
  // it does anywhere inside the middle along that line, or the window shows
  // a seam at every repeat.
  for (const char* name : {"Left", "Right", "Top", "Bottom"}) {
    const std::string side = name;
    SCOPED_TRACE(side);
    EXPECT_EQ(FIni.ReadInteger("Personality", side + "Stretch", 1), 0) << "tiled, not stretched";
    const TPixelImage image = Image("Personality", side);
    ASSERT_GT(image.Width, 0);
    const bool down = side == "Left" || side == "Right";  // the run goes down the image
    const int run = down ? image.Height : image.Width;
    const int across = down ? image.Width : image.Height;
    const int a = FIni.ReadInteger("Personality", side + "TopHeight", 0);
    const int b = run - FIni.ReadInteger("Personality", side + "BotHeight", 0);
    ASSERT_GT(b - a, 1);
    for (int line = 0; line < across; ++line) {
      auto pixel = [&](int t) { return down ? image.At(line, t) : image.At(t, line); };
      int inside = 0;
      for (int t = a; t + 1 < b; ++t) inside = std::max(inside, Step(pixel(t), pixel(t + 1)));
      EXPECT_LE(Step(pixel(b - 1), pixel(a)), inside) << (down ? "column " : "row ") << line;
    }
  }
}

TEST_F(DaylightSkinTest, ButtonsAtTheLeftAndTheTitleCentred) {
  EXPECT_EQ(FIni.ReadInteger("Personality", "TextAlignment", 0), 1);
  TSkinData skin(nullptr);
  skin.SkinBytes = FSkinBytes;
  ASSERT_TRUE(skin.LoadSkin());
  EXPECT_EQ(skin.SkinName, "Pellamy Daylight");
  EXPECT_EQ(skin.Title->TextAlignment, 1);
  struct TPlaced {
    const TDataSkinSysButton* Button;
    int Left, Right;
  };
  std::vector<TPlaced> left;
  for (const auto& button : skin.SysButtons) {
    if (button->Align == 100) continue;  // the MDI buttons, in the menu bar
    SCOPED_TRACE(button->Name);
    if (button->Action == 3) {
      EXPECT_EQ(button->Align, 2) << "the icon sits left of the title";
      continue;
    }
    ASSERT_EQ(button->Align, 0) << "counted from the left edge";
    left.push_back({button.get(), button->Xcoord, button->Xcoord + button->Bitmap.Width / button->FrameCount});
  }
  ASSERT_EQ(left.size(), 4u);
  // Side by side; only maximise and restore share a place, as only one of
  // them shows at a time (not maximised, maximised).
  for (std::size_t i = 0; i < left.size(); ++i)
    for (std::size_t j = i + 1; j < left.size(); ++j) {
      const TPlaced& p = left[i];
      const TPlaced& q = left[j];
      if (p.Left >= q.Right || q.Left >= p.Right) continue;
      EXPECT_EQ(p.Button->Action, 1) << p.Button->Name << " overlaps " << q.Button->Name;
      EXPECT_EQ(q.Button->Action, 1) << p.Button->Name << " overlaps " << q.Button->Name;
      EXPECT_EQ(p.Button->Visibility + q.Button->Visibility, 3) << "one maximised, one not";
    }
}

TEST_F(DaylightSkinTest, LightWhereRipIsDark) {
  auto mean = [](const TPixelImage& image, int x0, int x1, int rows) {
    long sum = 0, count = 0;
    for (int y = 0; y < rows; ++y)
      for (int x = x0; x < x1; ++x)
        if (image.At(x, y) != kSkinMagenta) sum += PixelLuma(image.At(x, y)), ++count;
    return count == 0 ? 0 : static_cast<int>(sum / count);
  };
  const TPixelImage top = Image("Personality", "Top");
  const TPixelImage bar = Image("Personality", "menuBar");
  EXPECT_GT(mean(top, 0, top.Width, top.Height / 2), 200);
  EXPECT_GT(mean(bar, 0, bar.Width, bar.Height / 2), 200);
  for (const char* side : {"Left", "Right"}) {
    const TPixelImage image = Image("Personality", side);
    EXPECT_GT(mean(image, 0, image.Width / 2, image.Height), 160) << side;
  }
  EXPECT_GT(ColourLuma(FIni.ReadColor("Colours", "ButtonFace", 0)), 200);
  EXPECT_LT(ColourLuma(FIni.ReadColor("Colours", "TitleTextActive", 0xFFFFFF)), 80);
  EXPECT_LT(ColourLuma(FIni.ReadColorKeys("Personality", "ActiveText", 0xFFFFFF)), 80);
}

}  // namespace
}  // namespace pellamy::test
