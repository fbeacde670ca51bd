// Our first skin, skins/rip, beside the checks every skin of ours passes
// (test_our_skins.cpp): the night skin, light texts on a dark frame, with
// its caption buttons at the right edge.
#include <gtest/gtest.h>

#include <string>

#include "skin/model/WinSkinData.h"
#include "support/SkinFolder.h"

namespace pellamy::test {
namespace {

using RipSkinTest = TSkinFolderTest;

TEST_F(RipSkinTest, TheNightSkin) {
  TSkinData skin(nullptr);
  skin.SkinBytes = FSkinBytes;
  ASSERT_TRUE(skin.LoadSkin());
  EXPECT_EQ(skin.SkinName, "Pellamy Night");
  ASSERT_EQ(skin.SysButtons.size(), 5u + 3u);
  // Dark where the daylight skin is light: caption and menu bar, under
  // light texts.
  auto mean = [](const TPixelImage& image, int rows) {
    long sum = 0, count = 0;
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < image.Width; ++x)
        if (image.At(x, y) != kSkinMagenta) sum += PixelLuma(image.At(x, y)), ++count;
    return count == 0 ? 0 : static_cast<int>(sum / count);
  };
  EXPECT_LT(mean(skin.FrameTop->Bitmap, skin.FrameTop->Bitmap.Height / 2), 90);
  EXPECT_LT(mean(skin.MenuBar->Bitmap, skin.MenuBar->Bitmap.Height / 2), 90);
  EXPECT_GT(ColourLuma(skin.Colours.TitleTextActive), 180);
  EXPECT_GT(ColourLuma(skin.Colours.MenuBarText), 180);
  // The close, maximise and minimise buttons count from the right edge.
  for (const auto& button : skin.SysButtons) {
    if (button->Action >= 0 && button->Action <= 2) {
      EXPECT_EQ(button->Align, 1) << button->Name;
    }
  }
}

}  // namespace
}  // namespace pellamy::test
