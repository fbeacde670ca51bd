// Every skin of ours (each folder of skins/ with a skin.ini; the build runs
// these once per folder): the committed container is the pack of the
// committed sources, the description defines every element the engine knows,
// each image is a 24-bit BMP that splits evenly into its state images with
// room for its fixed margins, and texts stay readable on what they are drawn
// on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "SkinPack.h"
#include "skin/model/WinSkinData.h"
#include "support/SkinFolder.h"

namespace pellamy::test {
namespace {

namespace fs = std::filesystem;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The mean brightness of state image `index` of an image of `frames` states.
int MeanLuma(const TPixelImage& image, int frames, int index, bool stacked) {
  const int w = stacked ? image.Width : image.Width / frames;
  const int h = stacked ? image.Height / frames : image.Height;
  long sum = 0, count = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = stacked ? image.At(x, index * h + y) : image.At(index * w + x, y);
      if (p == kSkinMagenta) continue;
      sum += PixelLuma(p);
      ++count;
    }
  return count == 0 ? 0 : static_cast<int>(sum / count);
}

using OurSkin = TSkinFolderTest;

TEST_F(OurSkin, CommittedContainerIsThePackOfTheCommittedSources) {
  // The entries are the description and every image of the folder, nothing
  // else and nothing left out.
  std::set<std::string> images;
  for (const auto& file : fs::directory_iterator(FDir)) {
    if (file.path().extension() == ".bmp") images.insert(file.path().filename().string());
  }
  ASSERT_GE(FReader.Count(), 1);
  EXPECT_EQ(FReader.EntryName(0), "skin.ini");
  const std::set<std::string> entries(FReader.Names().begin() + 1, FReader.Names().end());
  EXPECT_EQ(entries, images);

  std::vector<TSkinEntry> sources;
  for (const std::string& name : FReader.Names()) sources.push_back({name, ReadSkinFile(FDir / name)});
  EXPECT_TRUE(PackSkin(sources) == FSkinBytes)
      << "run skins/" << FDir.filename().string() << "/make-skin and commit its outputs";
}

TEST_F(OurSkin, EveryImageValueNamesAnEntry) {
  // A value the loader would drop (a capital ".BMP", a typing error) leaves an
  // element without its image and no error anywhere.
  const std::string text(reinterpret_cast<const char*>(FReader.EntryBytes(0).data()), FReader.EntryBytes(0).size());
  std::size_t start = 0;
  int images = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t eq = line.find('=');
    if (line.empty() || line[0] == ';' || eq == std::string::npos) continue;
    const std::string value = line.substr(eq + 1);
    if (AsciiLower(value).find(".bmp") == std::string::npos) continue;
    ++images;
    const std::string name = ImageEntryName(value);
    EXPECT_FALSE(name.empty()) << line;
    EXPECT_GE(FReader.FindEntry(name), 0) << line;
  }
  EXPECT_EQ(images, FReader.Count() - 1) << "every image is named once";
}

TEST_F(OurSkin, FrameBordersAndCaption) {
  for (const char* side : {"Left", "Right"}) {
    const std::string s = side;
    const int frames = FIni.ReadInteger("Personality", s + "Frame", 1);
    ExpectStrip("Personality", s, frames);
    const TPixelImage image = Image("Personality", s);
    EXPECT_LT(FIni.ReadInteger("Personality", s + "TopHeight", 0) + FIni.ReadInteger("Personality", s + "BotHeight", 0),
              image.Height);
    EXPECT_EQ(FIni.ReadInteger("Personality", s + "Trans", 1), 1);
    // Rounded corners: the outermost corner pixels of both states are cut away.
    const int w = image.Width / frames;
    for (int f = 0; f < frames; ++f) {
      const int outer = s == "Left" ? f * w : f * w + w - 1;
      EXPECT_EQ(image.At(outer, 0), kSkinMagenta) << s << " image " << f + 1;
      EXPECT_EQ(image.At(outer, image.Height - 1), kSkinMagenta) << s << " image " << f + 1;
    }
  }
  for (const char* side : {"Top", "Bottom"}) {
    const std::string s = side;
    ExpectStrip("Personality", s, FIni.ReadInteger("Personality", s + "Frame", 1), true);
    EXPECT_LT(FIni.ReadInteger("Personality", s + "TopHeight", 0) + FIni.ReadInteger("Personality", s + "BotHeight", 0),
              Image("Personality", s).Width);
  }
  // The caption height is the top piece's image height; the side pieces keep
  // at least that much unscaled at their top, so the caption is not stretched,
  // and at least the bottom border at their bottom.
  const int caption = BorderSize("Top");
  EXPECT_GE(FIni.ReadInteger("Personality", "LeftTopHeight", 0), caption);
  EXPECT_GE(FIni.ReadInteger("Personality", "RightTopHeight", 0), caption);
  EXPECT_GE(FIni.ReadInteger("Personality", "LeftBotHeight", 0), BorderSize("Bottom"));
  EXPECT_GE(FIni.ReadInteger("Personality", "RightBotHeight", 0), BorderSize("Bottom"));
  // The text background: two images stacked, each the caption's height.
  const TPixelImage back = Image("Personality", "TextBack");
  EXPECT_EQ(back.Height, 2 * caption);
  EXPECT_LT(FIni.ReadInteger("Personality", "TXTBackleft", 0) + FIni.ReadInteger("Personality", "TXTBackRight", 0),
            back.Width);
  ExpectStrip("Personality", "menuBar", 2, true);
  EXPECT_NE(FIni.ReadColorKeys("Personality", "ActiveText", 0x1FFFFFFF), 0x1FFFFFFF);
  EXPECT_NE(FIni.ReadColorKeys("Personality", "InActiveText", 0x1FFFFFFF), 0x1FFFFFFF);
}

TEST_F(OurSkin, CaptionButtonsFitTheCaption) {
  const int caption = BorderSize("Top");
  std::set<int> actions;
  for (const std::string& section : FIni.SectionNames()) {
    const std::string upper = Upper(section);
    if (upper.rfind("BUTTON", 0) != 0 || upper == "BUTTONS" || upper == "BUTTON") continue;
    SCOPED_TRACE(section);
    const int action = FIni.ReadInteger(section, "Action", 0);
    actions.insert(action);
    const int frames = FIni.ReadInteger(section, "frame", 0);
    ASSERT_GT(frames, 0) << "the state count is given, not worked out";
    EXPECT_EQ(frames, action == 3 ? 1 : 4);
    ExpectStrip(section, "ButtonImage", frames);
    const TPixelImage image = Image(section, "ButtonImage");
    EXPECT_GE(FIni.ReadInteger(section, "Ycoord", 0), 0);
    EXPECT_LE(FIni.ReadInteger(section, "Ycoord", 0) + image.Height, caption - 1) << "reaches the caption's last row";
    // Buttons anchored to an edge clear the border there.
    const int x = FIni.ReadInteger(section, "Xcoord", 0);
    switch (FIni.ReadInteger(section, "Align", 0)) {
      case 0:
        EXPECT_GE(x, BorderSize("Left"));
        break;
      case 1:
        EXPECT_GE(x - image.Width / frames, BorderSize("Right"));
        break;
      default:
        break;
    }
  }
  EXPECT_EQ(actions, (std::set<int>{0, 1, 2, 3})) << "close, maximise and restore, minimise, icon";
  const TPixelImage mdi = Image("MDICONTROLS", "Image");
  EXPECT_EQ(mdi.Width % 12, 0) << "three strips of four images";
}

TEST_F(OurSkin, EveryControlElementSplitsIntoItsStates) {
  ExpectStrip("Buttons", "Bitmap", 5);
  ExpectStrip("Buttons", "CheckButton", FIni.ReadInteger("Buttons", "CheckButtonFrame", 0));
  ExpectStrip("Buttons", "RadioButton", FIni.ReadInteger("Buttons", "RadioButtonFrame", 0));
  EXPECT_GE(FIni.ReadInteger("Buttons", "CheckButtonFrame", 0), 4);
  EXPECT_GE(FIni.ReadInteger("Buttons", "RadioButtonFrame", 0), 4);

  // Style 1 draws the progress image whole; any other style takes two images
  // from it, the trough and the filled part.
  ExpectStrip("Progress", "Bitmap", FIni.ReadInteger("Progress", "Style", 0) == 1 ? 1 : 2);
  ExpectStrip("Progress", "Chunk", 1, false, false);  // repeated whole
  EXPECT_LE(Image("Progress", "Chunk").Height, Image("Progress", "Bitmap").Height);
  ExpectStrip("Tabs", "Image", 5);
  ExpectStrip("Tabs", "Border", 1);
  ExpectStrip("ComboButton", "Image", 4);
  ExpectStrip("ExtraImages", "Image", 5);
  ExpectStrip("SunkEdge", "Image", 4);
  ExpectStrip("GroupBoxEdge", "Image", 2);
  ExpectStrip("GroupBox", "Image", 1);
  ExpectStrip("Toolbars", "Image", 5);
  ExpectStrip("StatusBarEdges", "Image", 3);
  ExpectStrip("Headerbar", "Image", 5);
  ExpectStrip("MenuItem", "Image", 5);
  ExpectStrip("MenuBackground", "Image", 1);
  ExpectStrip("Scrollbar", "Image", 23);
  ExpectStrip("HorzScroll", "Image", 4);
  ExpectStrip("VertScroll", "Image", 4);
  ExpectStrip("HorzScrollThumb", "Image", FIni.ReadInteger("HorzScrollThumb", "FrameCount", 3));
  ExpectStrip("VertScrollThumb", "Image", FIni.ReadInteger("VertScrollThumb", "FrameCount", 3));
  for (const char* thumb : {"Trackbar.ThumbHorz", "Trackbar.ThumbVert", "Trackbar.ThumbLeft", "Trackbar.ThumbRight",
                            "Trackbar.ThumbUp", "Trackbar.ThumbDown"}) {
    ExpectStrip(thumb, "Image", 5);
  }
  for (const char* updown : {"UpDown.Horz", "UpDown.Vert"}) {
    ExpectStrip(updown, "Image", 8);
    ExpectStrip(updown, "GlyphImage", 8);
  }
  // The scroll bar is drawn in a strip 16 pixels thick.
  EXPECT_EQ(Image("Scrollbar", "Image").Height, 16);
  EXPECT_EQ(Image("HorzScroll", "Image").Height, 16);
  EXPECT_EQ(Image("VertScroll", "Image").Width, 4 * 16);
}

TEST_F(OurSkin, ColoursAreGivenAndTextsAreReadable) {
  for (const char* key : {"WindowText", "ButtonFace", "Scrollbar", "HilightText", "Hilight", "Menubar", "Menu",
                          "MenuText", "ButtonText", "ButtonHilight", "Buttonlight", "ButtonShadow", "ButtonDkShadow",
                          "MenuBarText", "TitleTextActive", "TitleTextNoActive"}) {
    EXPECT_EQ(FIni.ReadColor("Colours", key, -1) & 0xFF000000, 0) << key << " is not an r,g,b colour";
  }
  // Text on the face and on the menus keeps a clear difference in brightness.
  auto colour = [&](const char* key) { return ColourLuma(FIni.ReadColor("Colours", key, 0)); };
  auto contrast = [&](const char* a, const char* b) { return std::abs(colour(a) - colour(b)); };
  EXPECT_GT(contrast("ButtonText", "ButtonFace"), 125);
  EXPECT_GT(contrast("WindowText", "ButtonFace"), 125);
  EXPECT_GT(contrast("MenuText", "Menu"), 125);
  EXPECT_GT(contrast("MenuBarText", "Menubar"), 125);
  EXPECT_GT(contrast("HilightText", "Hilight"), 125);
  // And on the pictures: the title on the caption piece, the menu bar's
  // texts on its image; an inactive title may be quieter.
  const TPixelImage top = Image("Personality", "Top");
  const int frames = FIni.ReadInteger("Personality", "TopFrame", 1);
  EXPECT_GT(std::abs(colour("TitleTextActive") - MeanLuma(top, frames, 0, true)), 125);
  EXPECT_GT(std::abs(colour("TitleTextNoActive") - MeanLuma(top, frames, frames - 1, true)), 80);
  EXPECT_GT(std::abs(colour("MenuBarText") - MeanLuma(Image("Personality", "menuBar"), 2, 0, true)), 125);
}

TEST_F(OurSkin, TheSkinDataFillsEverySlot) {
  // Loaded as the program loads it: every element the engine knows is there
  // with its image, which splits evenly into the state count the loader
  // settles on.
  TSkinData skin(nullptr);
  std::string message;
  skin.ShowMessage = [&message](const std::string& text) { message = text; };
  skin.SkinBytes = FSkinBytes;
  ASSERT_TRUE(skin.LoadSkin()) << message;
  EXPECT_FALSE(skin.SkinName.empty());
  EXPECT_EQ(skin.SkinName, FIni.ReadString("TitlebarSkin", "SkinName", ""));
  const std::set<std::string> stacked = {"Title", "MenuBar", "FrameTop", "FrameBottom"};
  for (const auto& slot : skin.Slots()) {
    SCOPED_TRACE(slot.Name);
    ASSERT_NE(slot.Element, nullptr) << "element missing";
    const TDataSkinObject& e = *slot.Element;
    ASSERT_GT(e.Bitmap.Width, 0) << "no image";
    ASSERT_GT(e.FrameCount, 0);
    const int along = stacked.count(slot.Name) ? e.Bitmap.Height : e.Bitmap.Width;
    EXPECT_EQ(along % e.FrameCount, 0);
  }
  // Every caption button section is kept, and the three MDI buttons follow.
  const auto sections = FIni.SectionNames();
  const auto buttons = std::count_if(sections.begin(), sections.end(), [](const std::string& s) {
    const std::string u = Upper(s);
    return u.rfind("BUTTON", 0) == 0 && u != "BUTTONS" && u != "BUTTON";
  });
  ASSERT_EQ(skin.SysButtons.size(), static_cast<std::size_t>(buttons) + 3u);
  for (const auto& button : skin.SysButtons) {
    SCOPED_TRACE(button->Name);
    ASSERT_GT(button->Bitmap.Width, 0);
    EXPECT_EQ(button->Bitmap.Width % button->FrameCount, 0);
  }
  EXPECT_GT(skin.Buttons->CheckBitmap.Width, 0);
  EXPECT_GT(skin.Buttons->RadioBitmap.Width, 0);
  EXPECT_GT(skin.ComboButton->Bitmap2.Width, 0);
  EXPECT_GT(skin.Progress->Bitmap2.Width, 0);
  EXPECT_GT(skin.Tabs->Bitmap2.Width, 0);
  EXPECT_GT(skin.UpDownHorz->Bitmap2.Width, 0);
  EXPECT_GT(skin.UpDownVert->Bitmap2.Width, 0);
}

}  // namespace
}  // namespace pellamy::test
