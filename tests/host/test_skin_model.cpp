// The skin element model built from packed skins, the component's stored
// settings, and its requests to the manager with the manager's timed
// actions on a hand-driven timer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "SkinPack.h"
#include "base/Exceptions.h"
#include "imaging/BmpFormat.h"
#include "skin/model/WinSkinData.h"
#include "support/ScopeGuard.h"

namespace pellamy {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An image whose pixel (x, y) is x + 256 * y, so copies and mirrors show.
Bytes Bmp(int width, int height) {
  TPixelImage image;
  image.Width = width;
  image.Height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.Pixels.push_back(static_cast<std::uint32_t>(x + 256 * y));
  return EncodeBmp24(image);
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

class SkinModel : public ::testing::Test {
 protected:
  void TearDown() override { FreeSkinManager(); }

  // Packs description and images and loads them into skin.
  void Load(const std::string& description, std::vector<TSkinEntry> images = {}) {
    images.insert(images.begin(), TSkinEntry{"Skin.INI", Text(description)});
    skin.SkinBytes = PackSkin(images);
    ASSERT_TRUE(skin.LoadSkin());
  }

  TSkinData skin{nullptr};
};

TEST_F(SkinModel, ConstructionDefaults) {
  EXPECT_FALSE(skin.Active());
  EXPECT_EQ(skin.DisableTag(), 99);
  EXPECT_EQ(skin.SkinControls(), 0x3FFFFu);
  EXPECT_TRUE(InSet(skin.SkinControls(), xcSystemMenu));
  EXPECT_FALSE(InSet(skin.SkinControls(), xcFastReport));
  ASSERT_EQ(skin.Skin3rd().size(), 95u);
  EXPECT_EQ(skin.Skin3rd().front(), "TTBDock=Panel");
  EXPECT_EQ(skin.Skin3rd()[14], "TDBCheckboxEh=Checkbox");
  EXPECT_EQ(skin.Skin3rd().back(), "TOVCDBNUMERICFIELD=Edit");
  EXPECT_EQ(skin.SkinFormtype(), TSkinFormType::sfMainform);
  EXPECT_EQ(skin.Version(), "2.62.5.26");
  EXPECT_TRUE(skin.MenuUpdate());
  EXPECT_EQ(skin.GetSkinStore(), "(none)");
  EXPECT_TRUE(skin.SkinEmpty);
  EXPECT_TRUE(skin.NCPaintEnabled);
  EXPECT_EQ(skin.Buttons->Name, "Buttons");
  EXPECT_EQ(skin.Title->Name, "Title");
  EXPECT_EQ(skin.FrameTop->Name, "Top");
  EXPECT_TRUE(skin.SysButtons.empty());
  for (const auto& slot : skin.Slots()) {
    const std::string name = slot.Name;
    const bool always = name == "Title" || name == "Buttons" || name.rfind("Frame", 0) == 0;
    EXPECT_EQ(slot.Element != nullptr, always) << name;
  }
}

TEST_F(SkinModel, StoredPropertiesByName) {
  skin.SetPropertyText("SkinControls", "[xcMainMenu, xcFastReport]");
  EXPECT_EQ(skin.SkinControls(), (1u << 0) | (1u << 18));
  EXPECT_EQ(skin.GetPropertyText("SkinControls"), "[xcMainMenu,xcFastReport]");
  EXPECT_THROW(skin.SetPropertyText("SkinControls", "[xcNothing]"), Exception);
  skin.SetPropertyText("SkinFormtype", "sfDialog");
  EXPECT_EQ(skin.SkinFormtype(), TSkinFormType::sfDialog);
  skin.SetPropertyText("SkinStore", "(Good)");
  EXPECT_EQ(skin.GetPropertyText("SkinStore"), "(none)") << "writing it has no effect";
  skin.SetPropertyText("Skin3rd", "TMyEdit=Edit\r\nTMyCombo=combobox\r\n");
  EXPECT_EQ(skin.Skin3rd(), (std::vector<std::string>{"TMyEdit=Edit", "TMyCombo=combobox"}));
}

TEST_F(SkinModel, DescriptionWithoutKeysGivesDefaults) {
  Load("[Personality]\r\n[Buttons]\r\n");
  EXPECT_FALSE(skin.SkinEmpty);
  const TSkinColours& c = skin.Colours;
  EXPECT_EQ(static_cast<std::uint32_t>(c.WindowText), 0x80000008u);
  EXPECT_EQ(static_cast<std::uint32_t>(c.ButtonFace), 0x8000000Fu);
  EXPECT_EQ(static_cast<std::uint32_t>(c.Menubar), 0x8000000Fu);
  EXPECT_EQ(static_cast<std::uint32_t>(c.Scrollbar), 0x80000000u);
  EXPECT_EQ(static_cast<std::uint32_t>(c.Buttonlight), 0x80000014u);
  EXPECT_EQ(static_cast<std::uint32_t>(c.ButtonDkShadow), 0x80000015u);
  EXPECT_EQ(static_cast<std::uint32_t>(c.TitleTextNoActive), 0x80000013u);
  EXPECT_EQ(skin.Title->FontHeight, 14);
  EXPECT_EQ(skin.Title->ActiveText, 0x1FFFFFFF);
  EXPECT_EQ(skin.Title->InActiveText, 0x1FFFFFFF);
  EXPECT_EQ(skin.Title->FrameCount, 2);
  for (const TDataSkinBorder* border : {skin.FrameLeft.get(), skin.FrameBottom.get()}) {
    EXPECT_EQ(border->FrameCount, 1);
    EXPECT_EQ(border->Tile, 1);
    EXPECT_EQ(border->Trans, 1);
  }
  EXPECT_EQ(skin.Buttons->FrameCount, 5);
  EXPECT_EQ(skin.Buttons->NormalColour, -1);
  EXPECT_EQ(skin.Buttons->NormalColour2, static_cast<std::int32_t>(0x80000012u));
  EXPECT_FALSE(skin.Buttons->HasNormalColour2);
  EXPECT_EQ(skin.Buttons->RadioButtonFrame, 4) << "no strip: 0 frames, raised to 4";
  EXPECT_EQ(skin.Buttons->CheckButtonFrame, 4);
  for (const auto& slot : skin.Slots()) {
    const std::string name = slot.Name;
    const bool always = name == "Title" || name == "Buttons" || name.rfind("Frame", 0) == 0;
    EXPECT_EQ(slot.Element != nullptr, always) << name;
  }
  ASSERT_EQ(skin.SysButtons.size(), 3u) << "only the MDI buttons";
  for (int j = 0; j < 3; ++j) {
    const TDataSkinSysButton& b = *skin.SysButtons[static_cast<std::size_t>(j)];
    EXPECT_EQ(b.Action, 7 + j);
    EXPECT_EQ(b.Align, 100);
    EXPECT_EQ(b.Visibility1, 100);
    EXPECT_EQ(b.FrameCount, 4);
    EXPECT_EQ(b.Bitmap.Width, 0);
    EXPECT_EQ(b.Xcoord, 0);
  }
}

TEST_F(SkinModel, ColoursAndColourList) {
  Load(
      "[Colours]\r\nButtonFace=10,20,30\r\nButtonText=1 2 3\r\nHilight=\r\nMenuText=junk\r\n"
      "[Colour1]\r\ncolor=255,0,0\r\n[COLOURS]\r\n[colour.b]\r\n[Colourful]\r\ncolor=0,0,255\r\n"
      "[Tabs]\r\nImage=tabs.bmp\r\n",
      {{"tabs.bmp", Bmp(10, 4)}});
  EXPECT_EQ(skin.Colours.ButtonFace, 0x1E140A);
  EXPECT_EQ(skin.Colours.Menubar, 0x1E140A) << "follows ButtonFace";
  EXPECT_EQ(static_cast<std::uint32_t>(skin.Colours.Hilight), 0x8000000Du) << "empty value";
  EXPECT_EQ(skin.Colours.MenuText, 0) << "no digits: every component 0";
  EXPECT_EQ(skin.ColourList, (std::vector<std::int32_t>{0x0000FF, static_cast<std::int32_t>(0x80000008u), 0xFF0000}));
  EXPECT_EQ(skin.Tabs->NormalColour2, 0x030201) << "second colours default to ButtonText";
}

TEST_F(SkinModel, FrameBordersTitleAndMenuBar) {
  Load(
      "[Personality]\r\nLeft=l.bmp\r\nLeftTopHeight=5\r\nLeftBotHeight=6\r\nLeftFrame=2\r\nLeftStretch=0\r\n"
      "TopTopHeight=7\r\nTopBotHeight=8\r\nTopTrans=0\r\nTextShift=3\r\nTextShiftVert=4\r\nTextRightClip=9\r\n"
      "ActiveTextR=1\r\nActiveTextG=2\r\nActiveTextB=3\r\nInActiveTextR=1\r\nInActiveTextG=-1\r\n"
      "TextBack=caption.bmp\r\nmenuBar=menu.bmp\r\nTileMenu=7\r\n[Fonts]\r\nFontHeight=$10\r\n",
      {{"l.bmp", Bmp(4, 30)}, {"caption.bmp", Bmp(20, 18)}, {"menu.bmp", Bmp(8, 4)}});
  const TDataSkinBorder& left = *skin.FrameLeft;
  EXPECT_EQ(left.TopHeight, 5);
  EXPECT_EQ(left.BottomHeight, 6);
  EXPECT_EQ(left.LeftWidth, 0);
  EXPECT_EQ(left.FrameCount, 2);
  EXPECT_EQ(left.Tile, 0);
  EXPECT_EQ(left.Bitmap.Width, 4);
  const TDataSkinBorder& top = *skin.FrameTop;
  EXPECT_EQ(top.LeftWidth, 7) << "along the run of a horizontal border";
  EXPECT_EQ(top.RightWidth, 8);
  EXPECT_EQ(top.TopHeight, 0);
  EXPECT_EQ(top.Trans, 0);
  EXPECT_EQ(top.Bitmap.Width, 0);
  const TDataSkinTitle& title = *skin.Title;
  EXPECT_EQ(title.LeftWidth, 3);
  EXPECT_EQ(title.TopHeight, 4);
  EXPECT_EQ(title.RightWidth, 9);
  EXPECT_EQ(title.ActiveText, 0x030201);
  EXPECT_EQ(title.InActiveText, 0x1FFFFFFF);
  EXPECT_EQ(title.FontHeight, 16);
  EXPECT_EQ(title.Bitmap.Height, 18);
  ASSERT_NE(skin.MenuBar, nullptr);
  EXPECT_EQ(skin.MenuBar->Name, "Personality");
  EXPECT_EQ(skin.MenuBar->Tile, 7) << "not clamped";
  EXPECT_EQ(skin.MenuBar->LeftWidth, 1);
  EXPECT_EQ(skin.MenuBar->RightWidth, 1);
  EXPECT_EQ(skin.MenuBar->FrameCount, 2);
}

TEST_F(SkinModel, ElementKindsAndTheirKeys) {
  Load(
      "[Tabs]\r\nImage=t.bmp\r\nBorder=b.bmp\r\nTile=2\r\nStyle=4\r\nLeftWidth=3\r\nNormalColour=0x1F\r\n"
      "[Progress]\r\nImage=ignored.bmp\r\nBitmap=p.bmp\r\nChunk=c.bmp\r\nTile=2\r\nStyle=5\r\n"
      "[GroupBox]\r\nImage=g.bmp\r\nBackgroundAlignment=2\r\nBackgroundLeftShift=-3\r\nTile=1\r\n"
      "[HorzScrollThumb]\r\nImage=h.bmp\r\nFrameCount=7\r\n[VertScrollThumb]\r\nImage=h.bmp\r\n"
      "[Scrollbar]\r\nImage=h.bmp\r\nTile=3\r\n[Trackbar.ThumbUp]\r\nImage=h.bmp\r\n"
      "[UpDown.Vert]\r\nImage=h.bmp\r\nGlyphImage=t.bmp\r\n[MenuItem]\r\nImage=\r\n[SunkEdge]\r\nTile=1\r\n",
      {{"t.bmp", Bmp(10, 4)},
       {"b.bmp", Bmp(6, 6)},
       {"p.bmp", Bmp(12, 3)},
       {"c.bmp", Bmp(2, 3)},
       {"g.bmp", Bmp(5, 5)},
       {"h.bmp", Bmp(9, 3)}});
  ASSERT_NE(skin.Tabs, nullptr);
  EXPECT_EQ(skin.Tabs->Name, "Tabs");
  EXPECT_EQ(skin.Tabs->Tile, 0) << "values above 1 become 0";
  EXPECT_EQ(skin.Tabs->Style, 0) << "not a key of a two-image element";
  EXPECT_EQ(skin.Tabs->LeftWidth, 3);
  EXPECT_EQ(skin.Tabs->NormalColour, 31);
  EXPECT_EQ(skin.Tabs->MouseOverColour, -1);
  EXPECT_EQ(skin.Tabs->Bitmap2.Width, 6);
  EXPECT_EQ(skin.Tabs->FrameCount, 5);
  ASSERT_NE(skin.Progress, nullptr);
  EXPECT_EQ(skin.Progress->Bitmap.Width, 12) << "defined by Bitmap, not Image";
  EXPECT_EQ(skin.Progress->Bitmap2.Width, 2);
  EXPECT_EQ(skin.Progress->Tile, 2) << "not clamped";
  EXPECT_EQ(skin.Progress->Style, 5);
  EXPECT_EQ(skin.Progress->NormalColour, 0) << "no colours";
  ASSERT_NE(skin.GroupBox, nullptr);
  EXPECT_EQ(skin.GroupBox->BackgroundAlignment, 2);
  EXPECT_EQ(skin.GroupBox->BackgroundLeftShift, -3);
  EXPECT_EQ(skin.GroupBox->Tile, 1);
  EXPECT_EQ(skin.GroupBox->FrameCount, 1);
  EXPECT_EQ(skin.HorzScrollThumb->FrameCount, 7);
  EXPECT_EQ(skin.VertScrollThumb->FrameCount, 3);
  EXPECT_EQ(skin.Scrollbar->FrameCount, 23);
  EXPECT_EQ(skin.Scrollbar->Tile, 0);
  EXPECT_EQ(skin.TrackbarThumbUp->Name, "Trackbar.ThumbUp");
  EXPECT_EQ(skin.UpDownVert->FrameCount, 8);
  EXPECT_EQ(skin.UpDownVert->Bitmap2.Width, 10);
  EXPECT_EQ(skin.MenuItem, nullptr) << "an empty image key defines nothing";
  EXPECT_EQ(skin.SunkEdge, nullptr);
}

TEST_F(SkinModel, ImageValues) {
  Load(
      "[Buttons]\r\nBitmap=C:\\skins\\blue\\Push.bmp\r\nCheckButton=check.BMP\r\nRadioButton=empty.bmp\r\n"
      "[Tabs]\r\nImage=missing.bmp\r\n[Toolbars]\r\nImage=push.bmp.txt\r\n",
      {{"push.bmp", Bmp(15, 5)}, {"check.bmp", Bmp(52, 13)}, {"empty.bmp", {}}});
  EXPECT_EQ(skin.Buttons->Bitmap.Width, 15) << "the file-name part names the entry";
  EXPECT_EQ(skin.Buttons->CheckBitmap.Width, 0) << "the extension must be .bmp in lower case";
  EXPECT_EQ(skin.Buttons->RadioBitmap.Width, 0) << "an empty entry";
  ASSERT_NE(skin.Tabs, nullptr) << "defined by its key even when the image is missing";
  EXPECT_EQ(skin.Tabs->Bitmap.Width, 0);
  ASSERT_NE(skin.Toolbars, nullptr);
  EXPECT_EQ(skin.Toolbars->Bitmap.Width, 0);
}

TEST_F(SkinModel, RadioAndCheckFrameCounts) {
  Load("[Buttons]\r\nRadioButton=r.bmp\r\nCheckButton=c.bmp\r\n", {{"r.bmp", Bmp(52, 13)}, {"c.bmp", Bmp(32, 16)}});
  EXPECT_EQ(skin.Buttons->RadioButtonFrame, 4);
  EXPECT_EQ(skin.Buttons->CheckButtonFrame, 4) << "32 / 16 = 2, raised to 4";
  Load("[Buttons]\r\nRadioButton=r.bmp\r\nCheckButton=c.bmp\r\nCheckButtonFrame=3\r\n",
       {{"r.bmp", Bmp(96, 16)}, {"c.bmp", Bmp(96, 15)}});
  EXPECT_EQ(skin.Buttons->RadioButtonFrame, 6);
  EXPECT_EQ(skin.Buttons->CheckButtonFrame, 3) << "a given count is kept";
}

TEST_F(SkinModel, TitleBarButtonsKeptOrDropped) {
  Load(
      "[BUTTONS]\r\n[Button.Radio]\r\n[button.checkbox]\r\n[Button]\r\n[Colours]\r\n"
      "[ButtonClose]\r\nAction=-1\r\n"
      "[buttonHelp]\r\nAction=-1\r\nVisibility=0\r\n"
      "[ButtonMax]\r\nAction=2\r\nAlign=1\r\nXcoord=40\r\nYcoord=-2\r\nVisibility=1\r\n");
  ASSERT_EQ(skin.SysButtons.size(), 5u);
  const TDataSkinSysButton& help = *skin.SysButtons[0];
  EXPECT_EQ(help.Name, "BUTTONHELP");
  EXPECT_EQ(help.Action, -1);
  EXPECT_EQ(help.Visibility1, -1);
  EXPECT_EQ(help.CombineOp, -1);
  EXPECT_EQ(help.FrameCount, 6) << "no image";
  const TDataSkinSysButton& max = *skin.SysButtons[1];
  EXPECT_EQ(max.Name, "BUTTONMAX");
  EXPECT_EQ(max.Xcoord, 40);
  EXPECT_EQ(max.Ycoord, -2);
  EXPECT_EQ(max.Visibility, 1);
  EXPECT_EQ(max.Visibility1, 0);
  EXPECT_EQ(skin.SysButtons[2]->Action, 7);
}

TEST_F(SkinModel, TitleBarButtonFrameCounts) {
  Load(
      "[Button1]\r\nButtonImage=a.bmp\r\n[Button2]\r\nButtonImage=b.bmp\r\n[Button3]\r\nButtonImage=c.bmp\r\n"
      "[Button4]\r\nButtonImage=a.bmp\r\nAction=-2\r\n[Button5]\r\nButtonImage=b.bmp\r\nframe=2\r\n"
      "[Button6]\r\nButtonImage=a.bmp\r\nAction=3\r\n[Button7]\r\nButtonImage=b.bmp\r\nAction=11\r\nframe=1\r\n",
      {{"a.bmp", Bmp(40, 12)}, {"b.bmp", Bmp(80, 12)}, {"c.bmp", Bmp(38, 10)}});
  ASSERT_EQ(skin.SysButtons.size(), 10u);
  auto frames = [this](int i) { return skin.SysButtons[static_cast<std::size_t>(i)]->FrameCount; };
  EXPECT_EQ(frames(0), 3);
  EXPECT_EQ(frames(1), 6);
  EXPECT_EQ(frames(2), 3) << "exactly 3.8 : 1";
  EXPECT_EQ(frames(3), 6) << "a negative action";
  EXPECT_EQ(frames(4), 2) << "given";
  EXPECT_EQ(frames(5), 3);
  EXPECT_EQ(skin.SysButtons[5]->Bitmap.Width, 0) << "the caption icon button drops its image";
  EXPECT_EQ(skin.SysButtons[6]->Bitmap.Width, 80) << "a given frame count keeps the image";
}

TEST_F(SkinModel, MdiButtonsCutFromOneImage) {
  Load("[MDICONTROLS]\r\nImage=mdi.bmp\r\n", {{"mdi.bmp", Bmp(120, 9)}});
  ASSERT_EQ(skin.SysButtons.size(), 3u);
  const int xcoords[] = {42, 28, 14};
  for (int j = 0; j < 3; ++j) {
    const TDataSkinSysButton& b = *skin.SysButtons[static_cast<std::size_t>(j)];
    EXPECT_EQ(b.Action, 7 + j);
    EXPECT_EQ(b.Bitmap.Width, 40);
    EXPECT_EQ(b.Bitmap.Height, 9);
    EXPECT_EQ(b.Xcoord, xcoords[j]);
    EXPECT_EQ(b.Bitmap.At(0, 0), static_cast<std::uint32_t>(40 * j));
    EXPECT_EQ(b.Bitmap.At(39, 8), static_cast<std::uint32_t>(40 * j + 39 + 256 * 8));
  }
}

TEST_F(SkinModel, ComboButtonSecondImageIsMirrored) {
  Load("[ComboButton]\r\nImage=combo.bmp\r\n****=other.bmp\r\n", {{"combo.bmp", Bmp(5, 2)}, {"other.bmp", Bmp(3, 3)}});
  ASSERT_NE(skin.ComboButton, nullptr);
  const TPixelImage& mirror = skin.ComboButton->Bitmap2;
  ASSERT_EQ(mirror.Width, 5);
  ASSERT_EQ(mirror.Height, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(mirror.At(x, y), skin.ComboButton->Bitmap.At(4 - x, y));
  EXPECT_EQ(skin.ComboButton->FrameCount, 4);
}

TEST_F(SkinModel, ReloadReplacesTheOptionalElements) {
  Load("[Tabs]\r\nImage=t.bmp\r\n[ButtonA]\r\n[Buttons]\r\nLeftWidth=4\r\n", {{"t.bmp", Bmp(10, 4)}});
  ASSERT_NE(skin.Tabs, nullptr);
  TDataSkinButton* buttons = skin.Buttons.get();
  Load("[Headerbar]\r\nImage=t.bmp\r\n", {{"t.bmp", Bmp(10, 4)}});
  EXPECT_EQ(skin.Tabs, nullptr);
  EXPECT_NE(skin.Headerbar, nullptr);
  EXPECT_EQ(skin.SysButtons.size(), 3u);
  EXPECT_EQ(skin.Buttons.get(), buttons) << "refilled in place";
  EXPECT_EQ(skin.Buttons->LeftWidth, 0);
}

TEST_F(SkinModel, IconBitmapIsLeftToTheFormFrame) {
  EXPECT_EQ(skin.IconBitmap.Width, 0);
  EXPECT_TRUE(skin.IconBitmap.Pixels.empty());
  Load(
      "[Personality]\r\nLeft=l.bmp\r\n[ButtonIcon]\r\nAction=3\r\nButtonImage=icon.bmp\r\n"
      "[Tabs]\r\nImage=icon.bmp\r\n",
      {{"l.bmp", Bmp(4, 4)}, {"icon.bmp", Bmp(16, 16)}});
  EXPECT_EQ(skin.IconBitmap.Width, 0) << "the loader never fills it";
  EXPECT_EQ(skin.IconBitmap.Height, 0);
  EXPECT_TRUE(skin.IconBitmap.Pixels.empty());
  EXPECT_EQ(skin.Tabs->Bitmap.Width, 16) << "the images were there to take";
}

// Records what the device objects are told, and whether the load was still
// in progress then.
class TRecordingDeviceObjects : public TSkinDeviceObjects {
 public:
  explicit TRecordingDeviceObjects(const TSkinData& skin, std::vector<std::pair<std::int32_t, bool>>& calls)
      : FSkin(skin), FCalls(calls) {}
  void ColoursLoaded(const TSkinColours& colours) override { FCalls.emplace_back(colours.ButtonFace, FSkin.SkinEmpty); }

 private:
  const TSkinData& FSkin;
  std::vector<std::pair<std::int32_t, bool>>& FCalls;
};

TEST_F(SkinModel, DeviceObjectsHearTheColoursOfEachCompletedLoad) {
  ASSERT_NE(skin.DeviceObjects, nullptr) << "made with the skin data";
  std::vector<std::pair<std::int32_t, bool>> calls;
  skin.DeviceObjects = std::make_unique<TRecordingDeviceObjects>(skin, calls);
  Load("[Colours]\r\nButtonFace=10,20,30\r\n");
  Load("[Personality]\r\n");
  skin.SkinBytes = {0, 0, 0, 0};
  EXPECT_FALSE(skin.LoadSkin());
  skin.SkinBytes = PackSkin({{"a.ini", Text("[Tabs]\r\nImage=bad.bmp\r\n")}, {"bad.bmp", Text("BM no")}});
  EXPECT_THROW(skin.LoadSkin(), Exception);
  using Call = std::pair<std::int32_t, bool>;
  EXPECT_EQ(calls, (std::vector<Call>{{0x1E140A, true}, {static_cast<std::int32_t>(0x8000000Fu), true}}))
      << "once per completed load, before the skin counts as loaded; refused and damaged skins tell nothing";
}

TEST_F(SkinModel, RefusedAndDamagedSkins) {
  std::string shown;
  skin.ShowMessage = [&shown](const std::string& text) { shown = text; };
  skin.SkinBytes = {0, 0, 0, 0};
  EXPECT_FALSE(skin.LoadSkin());
  EXPECT_EQ(shown, "This is Older Skin File\rPlease update to new version !");
  EXPECT_TRUE(skin.SkinEmpty);

  skin.SkinBytes = PackSkin({{"a.ini", Text("[Tabs]\r\nImage=bad.bmp\r\n")}, {"bad.bmp", Text("BM not a bitmap")}});
  EXPECT_THROW(skin.LoadSkin(), Exception);
  EXPECT_TRUE(skin.SkinEmpty);

  skin.SkinBytes = PackSkin({{"a.bmp", Bmp(2, 2)}});
  EXPECT_THROW(skin.LoadSkin(), Exception) << "no description";
  EXPECT_TRUE(skin.SkinEmpty);
}

TEST_F(SkinModel, SkinStreamProperty) {
  skin.SkinBytes = PackSkin({{"a.ini", Text("[TitlebarSkin]\r\nSkinName=Blue\r\n")}});
  Bytes stream;
  skin.WriteSkinStream(stream);
  ASSERT_EQ(stream.size(), skin.SkinBytes.size() + 4);

  TSkinData other(nullptr);
  EXPECT_EQ(other.ReadSkinStream(stream), stream.size());
  EXPECT_EQ(other.SkinBytes, skin.SkinBytes);
  EXPECT_EQ(other.SkinName, "Blue") << "reading the stream loads the skin";
  EXPECT_FALSE(other.SkinEmpty);

  const Bytes zero = {0, 0, 0, 0, 9};
  EXPECT_EQ(other.ReadSkinStream(zero), 4u);
  EXPECT_EQ(other.SkinBytes, skin.SkinBytes) << "a length of 0 leaves the bytes";
  const Bytes negative = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(other.ReadSkinStream(negative), 4u);
  EXPECT_THROW(other.ReadSkinStream(Bytes{10, 0, 0, 0, 1, 2}), Exception);

  TSkinData empty(nullptr);
  Bytes emptyStream;
  empty.WriteSkinStream(emptyStream);
  EXPECT_EQ(emptyStream, (Bytes{0, 0, 0, 0}));
}

TEST_F(SkinModel, FormSkinQuery) {
  bool doSkin = true;
  skin.FormSkin("SysMonthCal32", doSkin);
  EXPECT_FALSE(doSkin);
  doSkin = true;
  skin.FormSkin("TfrPreview", doSkin);
  EXPECT_TRUE(doSkin) << "xcFastReport is not in the default set";
  skin.SetSkinControls(skin.SkinControls() | 1u << xcFastReport);
  skin.FormSkin("TfrPreview", doSkin);
  EXPECT_FALSE(doSkin);
  doSkin = true;
  skin.FormSkin("TFRPreview", doSkin);
  EXPECT_TRUE(doSkin) << "letter case counts";
  skin.OnFormSkin = [](TSkinData*, const std::string& name, bool& d) { d = name == "SysMonthCal32"; };
  doSkin = true;
  skin.FormSkin("SysMonthCal32", doSkin);
  EXPECT_TRUE(doSkin) << "the event alone decides";
}

// A component in a form designer, where stored settings are edited and the
// skin is neither decoded nor applied.
class TDesignedSkinData : public TSkinData {
 public:
  using TSkinData::TSkinData;
  void Design() { SetComponentStateFlag(csDesigning, true); }
};

TEST_F(SkinModel, DesignModeKeepsTheBytesAndDecodesNothing) {
  TDesignedSkinData designed(nullptr);
  designed.Design();
  const Bytes skinFile = PackSkin({{"a.ini", Text("[Tabs]\r\nImage=t.bmp\r\n")}, {"t.bmp", Bmp(3, 3)}});
  Bytes stream;
  designed.SkinBytes = skinFile;
  designed.WriteSkinStream(stream);
  designed.SkinBytes.clear();
  designed.ReadSkinStream(stream);
  EXPECT_EQ(designed.SkinBytes, skinFile);
  EXPECT_EQ(designed.GetSkinStore(), "(Good)");
  EXPECT_FALSE(designed.LoadSkin());
  EXPECT_EQ(designed.Tabs, nullptr);
  designed.SetActive(true);
  designed.BeginLoading();
  designed.EndLoading();
  EXPECT_EQ(SkinManager, nullptr) << "neither requests nor registration";
  designed.SetSkinFile("elsewhere.skn");
  EXPECT_TRUE(designed.SkinBytes.empty()) << "a new file name drops the embedded skin";
  EXPECT_EQ(designed.GetSkinStore(), "(none)");
}

// Activation: the component's requests and the manager's timed actions.
class SkinActivation : public SkinModel {
 protected:
  TManualTimer& Timer() { return static_cast<TManualTimer&>(SkinManager->ActionTimer()); }

  // Reads stored settings as a form's layout does, then Loaded.
  void Stream(bool active, TSkinFormType type, bool withSkin) {
    skin.BeginLoading();
    skin.SetSkinFormtype(type);
    skin.SetActive(active);
    if (withSkin) {
      Bytes stream;
      TSkinData source(nullptr);
      source.SkinBytes = PackSkin({{"a.ini", Text("[TitlebarSkin]\r\nSkinName=x\r\n")}});
      source.WriteSkinStream(stream);
      skin.ReadSkinStream(stream);
    }
    skin.EndLoading();
  }
};

TEST(SkinFaults, ACaughtFaultIsTracedAndCounted) {
  std::vector<std::string> trace;
  test::ScopeExit restore([previous = SetSkinTraceSink([&trace](const std::string& line) { trace.push_back(line); })] {
    SetSkinTraceSink(previous);
  });
  const std::size_t before = SkinFaultCount();
  SkinFault("a paint");
  EXPECT_EQ(SkinFaultCount(), before + 1);
  EXPECT_EQ(trace, std::vector<std::string>{"Caught a fault in a paint"});
}

TEST_F(SkinActivation, LoadedWithoutASkinTurnsActiveOff) {
  std::vector<std::string> trace;
  test::ScopeExit restore([previous = SetSkinTraceSink([&trace](const std::string& line) { trace.push_back(line); })] {
    SetSkinTraceSink(previous);
  });
  Stream(true, TSkinFormType::sfMainform, false);
  restore.Now();
  EXPECT_FALSE(skin.Active());
  ASSERT_NE(SkinManager, nullptr);
  EXPECT_EQ(SkinManager->SkinDatas(), std::vector<TSkinData*>{&skin});
  EXPECT_FALSE(SkinManager->Enabled);
  EXPECT_FALSE(Timer().Enabled());
  EXPECT_EQ(SkinManager->PendingAction(), 0);
  ASSERT_FALSE(trace.empty());
  EXPECT_NE(trace[0].find("InstallHook: not available without window work"), std::string::npos);
}

TEST_F(SkinActivation, RequestsBeforeTheFirstActivationOnlySwitchEnabled) {
  Stream(true, TSkinFormType::sfMainform, true);
  EXPECT_TRUE(skin.Active());
  EXPECT_TRUE(SkinManager->Enabled) << "action 1 before any activation";
  EXPECT_FALSE(Timer().Enabled());
  skin.SetActive(false);
  EXPECT_FALSE(SkinManager->Enabled);
  EXPECT_EQ(SkinManager->PendingSkinData, &skin);
  SkinManager->RequestAction(TSkinManage::kActionReskin, 250);
  EXPECT_FALSE(SkinManager->Enabled) << "action 3 is dropped";
  EXPECT_FALSE(Timer().Enabled());
}

TEST_F(SkinActivation, RequestsAfterActivationRunFromTheTimerAndCoalesce) {
  Stream(false, TSkinFormType::sfMainform, true);
  SkinManager->ActivationCount = 1;
  int changed = 0;
  skin.OnSkinChanged = [&changed](TComponent*) { ++changed; };

  skin.SetActive(true);
  EXPECT_EQ(Timer().UntilTick(), 250);
  Timer().Elapse(100);
  skin.SetActive(false);
  Timer().Elapse(100);
  skin.SetActive(true);
  EXPECT_EQ(Timer().UntilTick(), 50) << "the waiting tick is not restarted";
  Timer().Elapse(49);
  EXPECT_EQ(changed, 0);
  Timer().Elapse(1);
  EXPECT_EQ(changed, 1) << "one action, the last requested";
  EXPECT_TRUE(SkinManager->Enabled);
  EXPECT_EQ(SkinManager->PendingSkinData, nullptr);
  EXPECT_FALSE(Timer().Enabled());

  skin.SetActive(false);
  EXPECT_EQ(SkinManager->PendingAction(), TSkinManage::kActionUnskin);
  Timer().Elapse(250);
  EXPECT_FALSE(SkinManager->Enabled);
  EXPECT_EQ(changed, 2);
}

TEST_F(SkinActivation, TickWithoutADesignatedSkinKeepsWaiting) {
  Stream(false, TSkinFormType::sfMainform, true);
  SkinManager->ActivationCount = 1;
  SkinManager->RequestAction(TSkinManage::kActionSkin, 250);
  Timer().Elapse(600);
  EXPECT_TRUE(Timer().Enabled());
  EXPECT_FALSE(SkinManager->Enabled);
  SkinManager->PendingSkinData = &skin;
  Timer().Elapse(250);
  EXPECT_FALSE(Timer().Enabled());
  EXPECT_TRUE(SkinManager->Enabled);
}

TEST_F(SkinActivation, ScopesOfTheComponent) {
  Stream(false, TSkinFormType::sfDialog, true);
  EXPECT_TRUE(SkinManager->Enabled) << "dialog and only-this-form scopes enable at once";
  EXPECT_EQ(SkinManager->ActivationCount, 1);
  skin.SetActive(true);
  EXPECT_FALSE(Timer().Enabled()) << "the dialog scope never requests";
  EXPECT_EQ(SkinManager->PendingSkinData, nullptr);

  TSkinData only(nullptr);
  only.BeginLoading();
  only.SetSkinFormtype(TSkinFormType::sfOnlyThisForm);
  only.EndLoading();
  EXPECT_EQ(SkinManager->ActivationCount, 2);
  only.SetActive(true);
  EXPECT_EQ(SkinManager->PendingSkinData, &only) << "designated even when the skin is empty";
  EXPECT_FALSE(Timer().Enabled()) << "no request while the skin is empty";
}

TEST_F(SkinActivation, SkinFileAtRunTime) {
  Stream(false, TSkinFormType::sfMainform, false);
  SkinManager->ActivationCount = 1;
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "pellamy-test-skin-model.tmp";
  {
    const Bytes bytes = PackSkin({{"a.ini", Text("[Tabs]\r\nImage=t.bmp\r\n")}, {"t.bmp", Bmp(3, 3)}});
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  skin.SetSkinFile(path.string());
  std::filesystem::remove(path);
  EXPECT_FALSE(skin.SkinEmpty);
  ASSERT_NE(skin.Tabs, nullptr);
  EXPECT_EQ(SkinManager->PendingAction(), TSkinManage::kActionReskin);
  EXPECT_EQ(SkinManager->PendingSkinData, &skin);
  EXPECT_TRUE(Timer().Enabled());

  skin.SetSkinFile(path.string());
  EXPECT_TRUE(skin.SkinEmpty) << "no such file";
  EXPECT_NE(skin.Tabs, nullptr) << "the old elements stay";
}

TEST_F(SkinActivation, MainFormCreatedWithItsSkinFile) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "pellamy-test-skin-model-main.tmp";
  {
    const Bytes bytes = PackSkin({{"a.ini", Text("[TitlebarSkin]\r\nSkinName=Main\r\n")}});
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<std::string> trace;
  test::ScopeExit restore([previous = SetSkinTraceSink([&trace](const std::string& line) { trace.push_back(line); })] {
    SetSkinTraceSink(previous);
  });
  // The stored settings in their order, as the main window stores them.
  skin.BeginLoading();
  skin.SetActive(true);
  skin.SetDisableTag(99);
  skin.SetSkinFile(path.string());
  EXPECT_EQ(skin.SkinName, "Main") << "loaded while the form is read";
  EXPECT_EQ(SkinManager, nullptr) << "and not applied yet";
  skin.ReadSkinStream(Bytes{0, 0, 0, 0});
  skin.EndLoading();
  restore.Now();
  std::filesystem::remove(path);

  EXPECT_TRUE(skin.Active());
  ASSERT_NE(SkinManager, nullptr);
  EXPECT_EQ(SkinManager->PendingAction(), TSkinManage::kActionSkin);
  EXPECT_TRUE(SkinManager->Enabled);
  EXPECT_EQ(trace.size(), 1u) << "the hook only; no caption buttons cleared";
}

TEST_F(SkinActivation, DestructionUnregisters) {
  auto* other = new TSkinData(nullptr);
  other->BeginLoading();
  other->EndLoading();
  EXPECT_EQ(SkinManager->SkinDatas().size(), 1u);
  SkinManager->PendingSkinData = other;
  delete other;
  EXPECT_TRUE(SkinManager->SkinDatas().empty());
  EXPECT_EQ(SkinManager->PendingSkinData, nullptr);
}

// A window side that records what the manager asks of it.
class RecordingWindowWork : public TSkinWindowWork {
 public:
  explicit RecordingWindowWork(std::vector<std::string>& log) : FLog(log) {}
  void InstallHook() override { FLog.push_back("hook"); }
  bool AddWindow(TSkinWindowHandle) override {
    FLog.push_back("add");
    return true;
  }
  void RemoveWindow(TSkinWindowHandle) override { FLog.push_back("remove"); }
  void SkinDataLoaded(TSkinData& skinData) override { FLog.push_back("loaded " + skinData.Name()); }
  void DoAction(int action, TSkinData& skinData) override {
    FLog.push_back("action " + std::to_string(action) + " " + skinData.Name());
  }
  int CountMdiChildren() const override { return 0; }

 private:
  std::vector<std::string>& FLog;
};

class SkinWindowWork : public SkinActivation {
 protected:
  void SetUp() override {
    FPrevious = SetSkinWindowWorkFactory([this](TSkinManage&) { return std::make_unique<RecordingWindowWork>(log); });
  }
  void TearDown() override {
    FreeSkinManager();
    SetSkinWindowWorkFactory(FPrevious);
    TSkinData::FormWindowOf = FPreviousFormWindow;
  }

  std::vector<std::string> log;
  TSkinWindowWorkFactory FPrevious;
  std::function<TSkinWindowHandle(TComponent*)> FPreviousFormWindow = TSkinData::FormWindowOf;
};

// A form's component is made while the form loads, as the main window makes
// SkinData1: it must read as loading, so that ApplySkin (run by SkinFile)
// waits for Loaded and Loaded registers it once.
TEST_F(SkinWindowWork, ComponentMadeWhileItsFormLoadsWaitsForTheFormsLoaded) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "pellamy-test-skin-owner.tmp";
  {
    const Bytes bytes = PackSkin({{"a.ini", Text("[TitlebarSkin]\r\nSkinName=Owned\r\n")}});
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  TComponent form(nullptr);
  form.BeginLoading();
  auto* data = new TSkinData(&form);
  data->SetName("SkinData1");
  EXPECT_NE(data->ComponentState() & csReading, 0u) << "made while its owner loads";
  data->SetActive(true);
  data->SetSkinFile(path.string());
  std::filesystem::remove(path);
  EXPECT_EQ(data->SkinName, "Owned");
  EXPECT_EQ(SkinManager, nullptr) << "nothing applied while the form is read";
  form.EndLoading();
  ASSERT_NE(SkinManager, nullptr);
  EXPECT_EQ(log, std::vector<std::string>{"hook"}) << "no caption buttons cleared, no reskin";
  EXPECT_EQ(SkinManager->SkinDatas(), std::vector<TSkinData*>{data});
  EXPECT_EQ(SkinManager->PendingAction(), TSkinManage::kActionSkin);
  EXPECT_EQ(SkinManager->PendingSkinData, nullptr) << "nothing designated by a reskin request";
  EXPECT_TRUE(SkinManager->Enabled);
}

TEST_F(SkinWindowWork, ApplySkinBeforeLoadedRegistersOnceWithOneHook) {
  skin.SetName("early");
  skin.ApplySkin();  // no manager yet: runs Loaded itself
  skin.BeginLoading();
  skin.EndLoading();
  EXPECT_EQ(SkinManager->SkinDatas(), std::vector<TSkinData*>{&skin});
  // One hook request per Loaded; the window side installs only once.
  EXPECT_EQ(std::count(log.begin(), log.end(), "hook"), 2);
}

TEST_F(SkinWindowWork, TimedActionsReachTheWindowSide) {
  skin.SetName("S");
  Stream(false, TSkinFormType::sfMainform, true);
  SkinManager->ActivationCount = 1;
  log.clear();
  skin.SetActive(true);
  Timer().Elapse(250);
  skin.SetActive(false);
  Timer().Elapse(250);
  skin.ApplySkin();
  Timer().Elapse(250);
  EXPECT_EQ(log, (std::vector<std::string>{"action 1 S", "action 2 S", "loaded S", "action 3 S"}));
}

TEST_F(SkinWindowWork, OnlyThisFormAndDialogWindowsGetTheirOwnSkinData) {
  TComponent formA(nullptr), formB(nullptr);
  TSkinData::FormWindowOf = [&](TComponent* owner) -> TSkinWindowHandle {
    return owner == &formA ? reinterpret_cast<TSkinWindowHandle>(0xA) : reinterpret_cast<TSkinWindowHandle>(0xB);
  };
  const auto make = [](TComponent* owner, TSkinFormType type) {
    auto* s = new TSkinData(owner);
    s->BeginLoading();
    s->SetSkinFormtype(type);
    s->EndLoading();
    return s;
  };
  TSkinData* main1 = make(nullptr, TSkinFormType::sfMainform);
  TSkinData* onlyA1 = make(&formA, TSkinFormType::sfOnlyThisForm);
  TSkinData* onlyA2 = make(&formA, TSkinFormType::sfOnlyThisForm);
  TSkinData* main2 = make(nullptr, TSkinFormType::sfMainform);
  TSkinManage& m = *SkinManager;
  const auto a = reinterpret_cast<TSkinWindowHandle>(0xA);
  const auto other = reinterpret_cast<TSkinWindowHandle>(0xC);
  EXPECT_EQ(m.SelectSkinData(a, "TFormA"), onlyA2) << "the last registered of the owner form";
  EXPECT_EQ(m.SelectSkinData(other, "#32770"), main2) << "no dialog skin data: the last main-form one";
  TSkinData* dialog = make(nullptr, TSkinFormType::sfDialog);
  EXPECT_EQ(m.SelectSkinData(other, "#32770"), dialog);
  EXPECT_EQ(m.SelectSkinData(other, "TMESSAGEFORM"), dialog) << "letter case does not count";
  EXPECT_EQ(m.SelectSkinData(other, "TOther"), main2);
  delete main1;
  delete main2;
  EXPECT_EQ(m.SelectSkinData(other, "TOther"), onlyA1) << "else the first registered";
  delete onlyA1;
  delete onlyA2;
  delete dialog;
  EXPECT_EQ(m.SelectSkinData(other, "TOther"), nullptr);
}

TEST_F(SkinWindowWork, TheFirstMainFormSkinDataDecidesWhichClassesAreSkinned) {
  EXPECT_TRUE(CreateSkinManager().CanSkinClass("SysMonthCal32")) << "no skin data: yes";
  Stream(false, TSkinFormType::sfMainform, false);
  EXPECT_FALSE(SkinManager->CanSkinClass("SysMonthCal32"));
  EXPECT_TRUE(SkinManager->CanSkinClass("TfrPreview")) << "xcFastReport is not in the set";
  skin.OnFormSkin = [](TSkinData*, const std::string& name, bool& doSkin) { doSkin = name == "SysMonthCal32"; };
  EXPECT_TRUE(SkinManager->CanSkinClass("SysMonthCal32")) << "the event alone decides";
  EXPECT_FALSE(SkinManager->CanSkinClass("TForm1"));
}

}  // namespace
}  // namespace pellamy
