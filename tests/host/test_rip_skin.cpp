// Our skin, skins/rip: the committed rip.tmp is the pack of the committed
// sources, the description defines every element the engine knows, and each
// image is a 24-bit BMP that splits evenly into its state images with room
// for its fixed margins.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "SkinPack.h"
#include "imaging/BmpFormat.h"
#include "skin/file/SkinIni.h"
#include "skin/file/SkinRead.h"
#include "skin/model/WinSkinData.h"

namespace pellamy {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kMagenta = 0xFF00FF;

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RipSkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FSkinBytes = ReadFile(FDir / "rip.tmp");
    ASSERT_TRUE(FReader.DecodeContainer(FSkinBytes)) << FReader.LastMessage();
    std::vector<std::uint8_t> text;
    std::string name;
    FReader.ExtractEntryContaining(".ini", text, name);
    ASSERT_FALSE(text.empty());
    FIni.Load(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
  }

  // The image a key names, decoded; fails the test when it is missing.
  TPixelImage Image(const std::string& section, const std::string& key) {
    const std::string name = FIni.ReadImageName(section, key);
    EXPECT_FALSE(name.empty()) << section << "." << key << " names no image";
    std::vector<std::uint8_t> bytes;
    FReader.ExtractEntry(name, bytes);
    EXPECT_FALSE(bytes.empty()) << section << "." << key << ": " << name << " is not in the container";
    if (bytes.size() < 30) return {};
    EXPECT_EQ(bytes[28] | bytes[29] << 8, 24) << name << " is not a 24-bit BMP";
    return DecodeBmp(bytes.data(), bytes.size());
  }

  // Checks that the image splits into frames state images along its width
  // (or, stacked, its height) and, for images drawn in nine parts, that the
  // section's margins leave a middle.
  void ExpectStrip(const std::string& section, const std::string& key, int frames, bool stacked = false,
                   bool nineParts = true) {
    SCOPED_TRACE(section + "." + key);
    ASSERT_GT(frames, 0);
    const TPixelImage image = Image(section, key);
    ASSERT_GT(image.Width, 0);
    const int along = stacked ? image.Height : image.Width;
    EXPECT_EQ(along % frames, 0) << along << " pixels do not split into " << frames << " images";
    const int w = stacked ? image.Width : image.Width / frames;
    const int h = stacked ? image.Height / frames : image.Height;
    if (!nineParts) return;
    const int left = FIni.ReadInteger(section, "LeftWidth", 0);
    const int right = FIni.ReadInteger(section, "RightWidth", 0);
    const int top = FIni.ReadInteger(section, "TopHeight", 0);
    const int bottom = FIni.ReadInteger(section, "BottomHeight", 0);
    EXPECT_LT(left + right, w) << "the side margins leave no middle";
    EXPECT_LT(top + bottom, h) << "the top and bottom margins leave no middle";
  }

  fs::path FDir = PELLAMY_RIP_SKIN_DIR;
  std::vector<std::uint8_t> FSkinBytes;
  TSkinReader FReader;
  TSkinIni FIni;
};

TEST_F(RipSkinTest, CommittedContainerIsThePackOfTheCommittedSources) {
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
  for (const std::string& name : FReader.Names()) sources.push_back({name, ReadFile(FDir / name)});
  EXPECT_TRUE(PackSkin(sources) == FSkinBytes) << "run skins/rip/make-skin and commit its outputs";
}

TEST_F(RipSkinTest, EveryImageValueNamesAnEntry) {
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

TEST_F(RipSkinTest, FrameBordersAndCaption) {
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
      EXPECT_EQ(image.At(outer, 0), kMagenta) << s << " image " << f + 1;
      EXPECT_EQ(image.At(outer, image.Height - 1), kMagenta) << s << " image " << f + 1;
    }
  }
  for (const char* side : {"Top", "Bottom"}) {
    const std::string s = side;
    ExpectStrip("Personality", s, FIni.ReadInteger("Personality", s + "Frame", 1), true);
    EXPECT_LT(FIni.ReadInteger("Personality", s + "TopHeight", 0) + FIni.ReadInteger("Personality", s + "BotHeight", 0),
              Image("Personality", s).Width);
  }
  // The caption height is the top piece's image height; the side pieces keep
  // at least that much unscaled at their top, so the caption is not stretched.
  const int caption = Image("Personality", "Top").Height / FIni.ReadInteger("Personality", "TopFrame", 1);
  EXPECT_GE(FIni.ReadInteger("Personality", "LeftTopHeight", 0), caption);
  EXPECT_GE(FIni.ReadInteger("Personality", "RightTopHeight", 0), caption);
  // The text background: two images stacked, each the caption's height.
  const TPixelImage back = Image("Personality", "TextBack");
  EXPECT_EQ(back.Height, 2 * caption);
  EXPECT_LT(FIni.ReadInteger("Personality", "TXTBackleft", 0) + FIni.ReadInteger("Personality", "TXTBackRight", 0),
            back.Width);
  ExpectStrip("Personality", "menuBar", 2, true);
  EXPECT_NE(FIni.ReadColorKeys("Personality", "ActiveText", 0x1FFFFFFF), 0x1FFFFFFF);
  EXPECT_NE(FIni.ReadColorKeys("Personality", "InActiveText", 0x1FFFFFFF), 0x1FFFFFFF);
}

TEST_F(RipSkinTest, CaptionButtonsFitTheCaption) {
  const int caption = Image("Personality", "Top").Height / FIni.ReadInteger("Personality", "TopFrame", 1);
  std::set<int> actions;
  for (const std::string& section : FIni.SectionNames()) {
    const std::string upper = [&] {
      std::string u = section;
      for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      return u;
    }();
    if (upper.rfind("BUTTON", 0) != 0 || upper == "BUTTONS" || upper == "BUTTON") continue;
    SCOPED_TRACE(section);
    const int action = FIni.ReadInteger(section, "Action", 0);
    actions.insert(action);
    const int frames = FIni.ReadInteger(section, "frame", 0);
    ASSERT_GT(frames, 0) << "the state count is given, not worked out";
    EXPECT_EQ(frames, action == 3 ? 1 : 4);
    ExpectStrip(section, "ButtonImage", frames);
    const TPixelImage image = Image(section, "ButtonImage");
    EXPECT_LE(FIni.ReadInteger(section, "Ycoord", 0) + image.Height, caption - 1) << "reaches the caption's last row";
    // Buttons anchored to the right edge clear the right border.
    if (FIni.ReadInteger(section, "Align", 0) == 1) {
      EXPECT_GE(FIni.ReadInteger(section, "Xcoord", 0) - image.Width / frames,
                Image("Personality", "Right").Width / FIni.ReadInteger("Personality", "RightFrame", 1));
    }
  }
  EXPECT_EQ(actions, (std::set<int>{0, 1, 2, 3})) << "close, maximise and restore, minimise, icon";
  const TPixelImage mdi = Image("MDICONTROLS", "Image");
  EXPECT_EQ(mdi.Width % 12, 0) << "three strips of four images";
}

TEST_F(RipSkinTest, EveryControlElementSplitsIntoItsStates) {
  ExpectStrip("Buttons", "Bitmap", 5);
  ExpectStrip("Buttons", "CheckButton", FIni.ReadInteger("Buttons", "CheckButtonFrame", 0));
  ExpectStrip("Buttons", "RadioButton", FIni.ReadInteger("Buttons", "RadioButtonFrame", 0));
  EXPECT_GE(FIni.ReadInteger("Buttons", "CheckButtonFrame", 0), 4);
  EXPECT_GE(FIni.ReadInteger("Buttons", "RadioButtonFrame", 0), 4);

  ExpectStrip("Progress", "Bitmap", 2);
  ExpectStrip("Progress", "Chunk", 1, false, false);  // repeated whole
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

TEST_F(RipSkinTest, ColoursAreGivenAndControlsAreReadable) {
  for (const char* key : {"WindowText", "ButtonFace", "Scrollbar", "HilightText", "Hilight", "Menubar", "Menu",
                          "MenuText", "ButtonText", "ButtonHilight", "Buttonlight", "ButtonShadow", "ButtonDkShadow",
                          "MenuBarText", "TitleTextActive", "TitleTextNoActive"}) {
    EXPECT_EQ(FIni.ReadColor("Colours", key, -1) & 0xFF000000, 0) << key << " is not an r,g,b colour";
  }
  // Text on the face and on the menus keeps a clear difference in brightness.
  auto luma = [](std::int32_t c) { return (c & 0xFF) * 299 + (c >> 8 & 0xFF) * 587 + (c >> 16 & 0xFF) * 114; };
  auto contrast = [&](const char* a, const char* b) {
    return std::abs(luma(FIni.ReadColor("Colours", a, 0)) - luma(FIni.ReadColor("Colours", b, 0))) / 1000;
  };
  EXPECT_GT(contrast("ButtonText", "ButtonFace"), 125);
  EXPECT_GT(contrast("WindowText", "ButtonFace"), 125);
  EXPECT_GT(contrast("MenuText", "Menu"), 125);
  EXPECT_GT(contrast("MenuBarText", "Menubar"), 125);
}

TEST_F(RipSkinTest, TheSkinDataFillsEverySlot) {
  // Loaded as the program loads it: every element the engine knows is there
  // with its image, which splits evenly into the state count the loader
  // settles on.
  TSkinData skin(nullptr);
  std::string message;
  skin.ShowMessage = [&message](const std::string& text) { message = text; };
  skin.SkinBytes = FSkinBytes;
  ASSERT_TRUE(skin.LoadSkin()) << message;
  EXPECT_EQ(skin.SkinName, "Pellamy Night");
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
  ASSERT_EQ(skin.SysButtons.size(), 5u + 3u);
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
}  // namespace pellamy
