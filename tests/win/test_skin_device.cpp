// The skin data's device objects under Wine: the menu glyphs as the program's
// resource gives them, drawn on a DIB section and read back, and the face
// brush that follows each load's ButtonFace colour without piling up brushes.
// Every test ends with as many live GDI handles as it started with.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/ImgList.h"
#include "skin/model/SkinDeviceObjects_win32.h"
#include "skin/model/WinSkinData.h"
#include "support_target.h"

namespace pellamy::test {
namespace {

constexpr std::uint32_t kBackground = 0x2080C0;

class SkinDeviceObjects : public GdiBalancedTest {};

// The close glyph's ink: a bold cross over [3, 12] x [3, 12].
bool CloseInk(int x, int y) {
  return x >= 3 && x <= 12 && y >= 3 && y <= 12 && (std::abs(x - y) <= 1 || std::abs(x + y - 15) <= 1);
}

// The pixel a brush paints, as 0x00RRGGBB.
std::uint32_t Painted(HBRUSH brush) {
  TDibTarget target(4, 4, kBackground);
  const RECT all{0, 0, 4, 4};
  FillRect(target.Dc(), &all, brush);
  return target.At(2, 2);
}

std::uint32_t PixelOf(COLORREF c) {
  return static_cast<std::uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

std::string WithButtonFace(const std::string& value) {
  return "[Colours]\r\nButtonFace=" + value + "\r\n";
}

TEST_F(SkinDeviceObjects, MenuGlyphsComeFromTheProgramsResource) {
  TSkinData skin(nullptr);
  TImageList* glyphs = MenuGlyphs(skin);
  ASSERT_NE(glyphs, nullptr);
  EXPECT_EQ(glyphs->Count(), 4);
  EXPECT_EQ(glyphs->Width(), 16);
  EXPECT_EQ(glyphs->Height(), 16);
  for (int i = 0; i < glyphs->Count(); ++i) {
    int ink = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) ink += glyphs->IsOpaque(i, x, y) ? 1 : 0;
    EXPECT_GT(ink, 10) << "glyph " << i;
    EXPECT_LT(ink, 16 * 16 / 2) << "glyph " << i << ": white is transparent";
  }
  // The minimise glyph is a bar low in its square; restore and maximise are
  // not the same picture.
  EXPECT_TRUE(glyphs->IsOpaque(mgMinimise, 7, 11));
  EXPECT_FALSE(glyphs->IsOpaque(mgMinimise, 7, 4));
  bool differ = false;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      differ = differ || glyphs->IsOpaque(mgRestore, x, y) != glyphs->IsOpaque(mgMaximise, x, y);
  EXPECT_TRUE(differ);
}

TEST_F(SkinDeviceObjects, CloseGlyphPaintsItsInkAndKeepsTheBackground) {
  TSkinData skin(nullptr);
  TImageList* glyphs = MenuGlyphs(skin);
  ASSERT_NE(glyphs, nullptr);
  ASSERT_EQ(glyphs->Count(), 4);
  TDibTarget target(24, 24, kBackground);
  glyphs->Draw(target.Dc(), 4, 4, mgClose);
  int wrong = 0;
  std::string first;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) {
      const std::uint32_t want = CloseInk(x - 4, y - 4) ? 0x000000 : kBackground;
      if (target.At(x, y) != want && wrong++ == 0)
        first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(target.At(x, y));
    }
  EXPECT_EQ(wrong, 0) << "first wrong pixel " << first;
}

TEST_F(SkinDeviceObjects, ProgramWithoutTheResourceHasNoGlyphs) {
  TSkinGdiObjects objects(GetModuleHandleW(L"kernel32.dll"));
  EXPECT_EQ(objects.MenuGlyphs().Count(), 0);
  EXPECT_EQ(objects.FaceBrush(), nullptr) << "no brush before colours are known";
  TDibTarget target(20, 20, kBackground);
  objects.MenuGlyphs().Draw(target.Dc(), 0, 0, mgClose);
  EXPECT_EQ(target.ChangedOutside(RECT{0, 0, 0, 0}, kBackground), 0);
}

TEST_F(SkinDeviceObjects, FaceBrushFollowsEachLoad) {
  TSkinData skin(nullptr);
  EXPECT_EQ(FaceBrush(skin), nullptr) << "none before the first load";

  skin.LoadSkinIni(WithButtonFace("10,20,30"));
  const HBRUSH first = FaceBrush(skin);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Painted(first), 0x0A141Eu);

  skin.LoadSkinIni(WithButtonFace("200,100,50"));
  const HBRUSH second = FaceBrush(skin);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(Painted(second), 0xC86432u);
  EXPECT_EQ(GetObjectType(first), 0u) << "the previous brush is deleted";

  // A description without the key keeps the system's button face.
  skin.LoadSkinIni("[Colours]\r\n");
  const HBRUSH system = FaceBrush(skin);
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(Painted(system), PixelOf(GetSysColor(COLOR_BTNFACE)));
  EXPECT_NE(Painted(system), 0x0F0000u) << "the reference is not drawn as a colour of its own";
  EXPECT_EQ(GetObjectType(second), 0u);
}

TEST_F(SkinDeviceObjects, SystemColourReferencesResolve) {
  TSkinGdiObjects objects(GetModuleHandleW(nullptr));
  for (const int index : {COLOR_HIGHLIGHT, COLOR_WINDOW, COLOR_BTNSHADOW}) {
    TSkinColours colours;
    colours.ButtonFace = static_cast<std::int32_t>(0x80000000u | static_cast<unsigned>(index));
    objects.ColoursLoaded(colours);
    ASSERT_NE(objects.FaceBrush(), nullptr);
    EXPECT_EQ(Painted(objects.FaceBrush()), PixelOf(GetSysColor(index))) << "system colour " << index;
  }
}

// The wrappers' count and the system's own view of every handle: Wine's
// GetGuiResources answers 0, so a brush given up to nobody shows only there.
TEST_F(SkinDeviceObjects, ReloadsKeepOneBrushAndDestructionFreesIt) {
  const int brushes = HandleLiveCount(THandleKind::Brush);
  std::vector<HBRUSH> made;
  {
    TSkinData skin(nullptr);
    for (int i = 0; i < 50; ++i) {
      skin.LoadSkinIni(WithButtonFace(std::to_string(i) + ",1,2"));
      made.push_back(FaceBrush(skin));
      EXPECT_EQ(HandleLiveCount(THandleKind::Brush), brushes + 1) << "load " << i;
    }
    ASSERT_NE(made.back(), nullptr);
    EXPECT_EQ(Painted(made.back()), 0x310102u) << "the last load's colour";
    EXPECT_EQ(GetObjectType(made.back()), static_cast<DWORD>(OBJ_BRUSH));
    for (std::size_t i = 0; i + 1 < made.size(); ++i) EXPECT_EQ(GetObjectType(made[i]), 0u) << "brush of load " << i;
  }
  EXPECT_EQ(HandleLiveCount(THandleKind::Brush), brushes);
  EXPECT_EQ(GetObjectType(made.back()), 0u) << "the last brush goes with the skin data";
}

}  // namespace
}  // namespace pellamy::test
