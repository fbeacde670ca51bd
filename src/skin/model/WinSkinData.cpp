#include "skin/model/WinSkinData.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/Exceptions.h"
#include "base/Utf8Path.h"
#include "skin/file/SkinIni.h"
#include "skin/file/SkinRead.h"

namespace pellamy {

namespace {

constexpr const char* kPersonality = "Personality";

std::string AsciiUpper(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// A copy of columns [left, left + width) of image.
TPixelImage CopyColumns(const TPixelImage& image, int left, int width) {
  TPixelImage out;
  if (width <= 0 || image.Height <= 0) return out;
  out.Width = width;
  out.Height = image.Height;
  out.Pixels.resize(static_cast<std::size_t>(width) * image.Height);
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < width; ++x) out.Pixels[static_cast<std::size_t>(y) * width + x] = image.At(left + x, y);
  return out;
}

TPixelImage Mirrored(const TPixelImage& image) {
  TPixelImage out = image;
  for (int y = 0; y < out.Height; ++y) {
    auto row = out.Pixels.begin() + static_cast<std::ptrdiff_t>(y) * out.Width;
    std::reverse(row, row + out.Width);
  }
  return out;
}

}  // namespace

std::function<TSkinWindowHandle(TComponent*)> TSkinData::FormWindowOf;

TSkinData::TSkinData(TComponent* owner) : TComponent(owner) {
  FSkin3rd = DefaultSkin3rd();
  Buttons = std::make_unique<TDataSkinButton>();
  Buttons->Name = "Buttons";
  const std::pair<std::unique_ptr<TDataSkinBorder>*, const char*> borders[] = {
      {&FrameLeft, "Left"}, {&FrameRight, "Right"}, {&FrameTop, "Top"}, {&FrameBottom, "Bottom"}};
  for (const auto& [slot, name] : borders) {
    *slot = std::make_unique<TDataSkinBorder>();
    (*slot)->Name = name;
  }
  Title = std::make_unique<TDataSkinTitle>();
  Title->Name = "Title";
  DeviceObjects = MakeSkinDeviceObjects();
  ShowMessage = PlatformSkinMessageProc();
}

TSkinData::~TSkinData() {
  // The glyphs and the face brush go first; each handle has an owner of its
  // own, so they are released even where this body is never reached.
  DeviceObjects.reset();
  FSkin3rd.clear();
  if (SkinManager != nullptr) SkinManager->RemoveSkinData(this);
  SkinBytes.clear();
  IconBitmap = TPixelImage();
  FrameLeft.reset();
  FrameRight.reset();
  FrameTop.reset();
  FrameBottom.reset();
  SysButtons.clear();
  Buttons.reset();
  Title.reset();
  // The element slots go with the members.
}

void TSkinData::DefineProperties(TPropertyTable& table) const {
  TComponent::DefineProperties(table);
  auto* self = const_cast<TSkinData*>(this);
  table["Active"] = BoolProp([self] { return self->Active(); }, [self](bool v) { self->SetActive(v); });
  table["DisableTag"] = IntProp([self] { return std::int64_t{self->FDisableTag}; },
                                [self](std::int64_t v) { self->FDisableTag = static_cast<std::int32_t>(v); });
  TPropInfo controls;
  controls.PropKind = TPropInfo::Kind::Set;
  controls.EnumNames = {"xcMainMenu",  "xcPopupMenu",   "xcToolbar",     "xcControlbar", "xcCombo",
                        "xcCheckBox",  "xcRadioButton", "xcProgress",    "xcScrollbar",  "xcEdit",
                        "xcButton",    "xcBitBtn",      "xcSpeedButton", "xcPanel",      "xcGroupBox",
                        "xcStatusBar", "xcTab",         "xcSystemMenu",  "xcFastReport"};
  const std::vector<std::string> names = controls.EnumNames;
  controls.Get = [self, names] {
    std::string text = "[";
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (!InSet(self->FSkinControls, static_cast<TSkinControlType>(i))) continue;
      if (text.size() > 1) text += ",";
      text += names[i];
    }
    return text + "]";
  };
  controls.Set = [self, names](const std::string& text) {
    std::string body = text;
    if (!body.empty() && body.front() == '[') body.erase(0, 1);
    if (!body.empty() && body.back() == ']') body.pop_back();
    TSkinControlTypes value = 0;
    std::size_t start = 0;
    while (start <= body.size()) {
      std::size_t end = body.find(',', start);
      if (end == std::string::npos) end = body.size();
      std::string item = body.substr(start, end - start);
      while (!item.empty() && item.front() == ' ') item.erase(0, 1);
      while (!item.empty() && item.back() == ' ') item.pop_back();
      if (!item.empty()) {
        std::size_t i = 0;
        while (i < names.size() && !SameText(names[i], item)) ++i;
        if (i == names.size()) throw Exception("Invalid property value " + item);
        value |= 1u << i;
      }
      start = end + 1;
    }
    self->FSkinControls = value;
  };
  table["SkinControls"] = controls;
  table["Skin3rd"] = StringProp(
      [self] {
        std::string text;
        for (const std::string& line : self->FSkin3rd) text += line + "\r\n";
        return text;
      },
      [self](const std::string& text) {
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < text.size()) {
          std::size_t end = text.find_first_of("\r\n", start);
          if (end == std::string::npos) end = text.size();
          lines.push_back(text.substr(start, end - start));
          start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        }
        self->SetSkin3rd(lines);
      });
  table["SkinFile"] =
      StringProp([self] { return self->FSkinFile; }, [self](const std::string& v) { self->SetSkinFile(v); });
  table["SkinStore"] =
      StringProp([self] { return self->GetSkinStore(); }, [self](const std::string& v) { self->SetSkinStore(v); });
  table["SkinFormtype"] = EnumProp(
      {"sfMainform", "sfOnlyThisForm", "sfDialog"}, [self] { return static_cast<int>(self->FSkinFormtype); },
      [self](int v) { self->FSkinFormtype = static_cast<TSkinFormType>(v); });
  table["Version"] =
      StringProp([self] { return self->FVersion; }, [self](const std::string& v) { self->FVersion = v; });
  table["MenuUpdate"] = BoolProp([self] { return self->FMenuUpdate; }, [self](bool v) { self->FMenuUpdate = v; });
}

std::string TSkinData::GetSkinStore() const {
  return Designing() && !SkinBytes.empty() ? "(Good)" : "(none)";
}

void TSkinData::WriteSkinStream(std::vector<std::uint8_t>& stream) const {
  const auto length = static_cast<std::uint32_t>(SkinBytes.size());
  for (int i = 0; i < 4; ++i) stream.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  stream.insert(stream.end(), SkinBytes.begin(), SkinBytes.end());
}

std::size_t TSkinData::ReadSkinStream(std::span<const std::uint8_t> stream) {
  if (stream.size() < 4) throw Exception("Stream read error");
  std::uint32_t raw = 0;
  for (int i = 0; i < 4; ++i) raw |= static_cast<std::uint32_t>(stream[static_cast<std::size_t>(i)]) << (8 * i);
  const auto length = static_cast<std::int32_t>(raw);
  if (length <= 0) return 4;
  if (stream.size() - 4 < static_cast<std::size_t>(length)) throw Exception("Stream read error");
  SkinBytes.assign(stream.begin() + 4, stream.begin() + 4 + length);
  if (!Designing()) LoadSkin();
  return 4 + static_cast<std::size_t>(length);
}

void TSkinData::SetSkinFile(const std::string& value) {
  SkinEmpty = true;
  FSkinFile = value;
  if (Designing()) {
    if (!value.empty() && !SkinBytes.empty()) SkinBytes.clear();
    return;
  }
  std::error_code error;
  const std::filesystem::path path = PathFromUtf8(value);
  if (value.empty() || !std::filesystem::is_regular_file(path, error)) return;
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  SkinBytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  LoadSkin();
  ApplySkin();
}

bool TSkinData::LoadSkin() {
  SkinEmpty = true;
  if (Designing()) return false;
  TSkinReader reader(ShowMessage);
  if (!reader.DecodeContainer(SkinBytes)) return false;
  std::vector<std::uint8_t> description;
  std::string entryName;
  reader.ExtractEntryContaining(".ini", description, entryName);
  // The description is read where it lies; with no description entry there
  // is nothing to read, which the load reports as a failure.
  if (entryName.empty()) throw Exception("The skin file has no description (an entry named *.ini)");
  FReader = &reader;
  try {
    LoadSkinIni(TSkinIni(std::span<const std::uint8_t>(description)));
  } catch (...) {
    FReader = nullptr;
    throw;
  }
  FReader = nullptr;
  return true;
}

void TSkinData::LoadSkinIni(std::string_view description) {
  LoadSkinIni(TSkinIni(description));
}

void TSkinData::LoadElementBitmap(TPixelImage& bitmap, std::string_view value) {
  bitmap = TPixelImage();
  const std::string name = ImageEntryName(value);
  if (name.empty() || FReader == nullptr) return;
  const int entry = FReader->FindEntry(name);
  if (entry < 0) return;
  const auto bytes = FReader->EntryBytes(entry);
  if (bytes.empty()) return;
  TPixelImage image = DecodeBmp(bytes.data(), bytes.size());
  FImageBytes += image.Pixels.size() * sizeof(std::uint32_t);
  if (FImageBytes > kMaxImageBytesPerSkin) throw Exception("The skin's images are too large");
  bitmap = std::move(image);
}

void TSkinData::LoadSkinIni(const TSkinIni& ini) {
  if (DeviceObjects) DeviceObjects->ImagesChanging();
  FImageBytes = 0;
  SkinName = ini.ReadString("TitlebarSkin", "SkinName", "");
  for (TDataSkinBorder* border : {FrameLeft.get(), FrameRight.get(), FrameTop.get(), FrameBottom.get()})
    LoadFrameBorder(ini, *border);
  LoadColours(ini);
  LoadSysButtons(ini);
  LoadButtons(ini);
  LoadTitle(ini);

  if (auto* progress = LoadPlain(ini, Progress, "Progress", false)) {
    LoadElementBitmap(progress->Bitmap2, ini.ReadString("Progress", "Chunk", ""));
  }
  MenuBar.reset();
  if (const std::string image = ini.ReadString(kPersonality, "menuBar", ""); !image.empty()) {
    MenuBar = std::make_unique<TDataSkinObject>();
    MenuBar->Name = kPersonality;
    LoadElementBitmap(MenuBar->Bitmap, image);
    MenuBar->Tile = ini.ReadInteger(kPersonality, "TileMenu", 0);
    MenuBar->LeftWidth = ini.ReadInteger(kPersonality, "TileLeftMenu", 1);
    MenuBar->RightWidth = ini.ReadInteger(kPersonality, "TileRightMenu", 1);
  }
  LoadPlain(ini, GroupBoxEdge, "GroupBoxEdge", true);
  if (auto* box = LoadPlain(ini, GroupBox, "GroupBox", true)) {
    box->BackgroundAlignment = ini.ReadInteger("GroupBox", "BackgroundAlignment", 0);
    box->BackgroundLeftShift = ini.ReadInteger("GroupBox", "BackgroundLeftShift", 0);
    box->BackgroundRightShift = ini.ReadInteger("GroupBox", "BackgroundRightShift", 0);
  }
  LoadPlain(ini, Toolbars, "Toolbars", true);
  LoadTwoImage(ini, Tabs, "Tabs", "Border");
  LoadPlain(ini, StatusBarEdges, "StatusBarEdges", true);
  LoadTwoImage(ini, ComboButton, "ComboButton", "****");
  if (ComboButton && ComboButton->Bitmap.Width > 0) ComboButton->Bitmap2 = Mirrored(ComboButton->Bitmap);

  const std::pair<std::unique_ptr<TDataSkinObject>*, const char*> plain[] = {
      {&SunkEdge, "SunkEdge"},
      {&ExtraImages, "ExtraImages"},
      {&Headerbar, "Headerbar"},
      {&MenuItem, "MenuItem"},
      {&MenuBackground, "MenuBackground"},
      {&Scrollbar, "Scrollbar"},
      {&HorzScroll, "HorzScroll"},
      {&VertScroll, "VertScroll"},
      {&HorzScrollThumb, "HorzScrollThumb"},
      {&VertScrollThumb, "VertScrollThumb"},
      {&TrackbarThumbHorz, "Trackbar.ThumbHorz"},
      {&TrackbarThumbVert, "Trackbar.ThumbVert"},
      {&TrackbarThumbLeft, "Trackbar.ThumbLeft"},
      {&TrackbarThumbRight, "Trackbar.ThumbRight"},
      {&TrackbarThumbUp, "Trackbar.ThumbUp"},
      {&TrackbarThumbDown, "Trackbar.ThumbDown"},
  };
  for (const auto& [slot, section] : plain) LoadPlain(ini, *slot, section, true);
  LoadTwoImage(ini, UpDownHorz, "UpDown.Horz", "GlyphImage");
  LoadTwoImage(ini, UpDownVert, "UpDown.Vert", "GlyphImage");

  LoadFrameCounts(ini);
  // The face brush takes the colour just read.
  if (DeviceObjects) DeviceObjects->ColoursLoaded(Colours);
  SkinEmpty = false;
}

void TSkinData::LoadFrameBorder(const TSkinIni& ini, TDataSkinBorder& border) {
  const std::string& n = border.Name;
  const std::int32_t start = ini.ReadInteger(kPersonality, n + "TopHeight", 0);
  const std::int32_t end = ini.ReadInteger(kPersonality, n + "BotHeight", 0);
  // The two keys give the unscaled lengths at the start and the end of the
  // border along its run: down the sides, across the top and bottom.
  const bool side = n == "Left" || n == "Right";
  border.TopHeight = side ? start : 0;
  border.BottomHeight = side ? end : 0;
  border.LeftWidth = side ? 0 : start;
  border.RightWidth = side ? 0 : end;
  border.FrameCount = ini.ReadInteger(kPersonality, n + "Frame", 1);
  border.Tile = ini.ReadInteger(kPersonality, n + "Stretch", 1);
  border.Trans = ini.ReadInteger(kPersonality, n + "Trans", 1);
  LoadElementBitmap(border.Bitmap, ini.ReadString(kPersonality, n, ""));
}

void TSkinData::LoadColours(const TSkinIni& ini) {
  auto read = [&ini](const char* key, std::uint32_t def) {
    return ini.ReadColor("Colours", key, static_cast<std::int32_t>(def));
  };
  TSkinColours& c = Colours;
  c.WindowText = read("WindowText", 0x80000008u);
  c.ButtonFace = read("ButtonFace", 0x8000000Fu);
  c.Scrollbar = read("Scrollbar", 0x80000000u);
  c.HilightText = read("HilightText", 0x8000000Eu);
  c.Hilight = read("Hilight", 0x8000000Du);
  c.Menubar = read("Menubar", static_cast<std::uint32_t>(c.ButtonFace));
  c.Menu = read("Menu", 0x80000004u);
  c.MenuText = read("MenuText", 0x80000007u);
  c.ButtonText = read("ButtonText", 0x80000012u);
  c.ButtonHilight = read("ButtonHilight", 0x80000014u);
  c.Buttonlight = read("Buttonlight", 0x80000014u);
  c.ButtonShadow = read("ButtonShadow", 0x80000010u);
  c.ButtonDkShadow = read("ButtonDkShadow", 0x80000015u);
  c.MenuBarText = read("MenuBarText", 0x80000007u);
  c.TitleTextActive = read("TitleTextActive", 0x80000009u);
  c.TitleTextNoActive = read("TitleTextNoActive", 0x80000013u);

  ColourList.clear();
  for (const std::string& section : ini.SectionNames()) {
    const std::string upper = AsciiUpper(section);
    if (StartsWith(upper, "COLOUR") && upper != "COLOURS")
      ColourList.push_back(ini.ReadColor(section, "color", kClWindowText));
  }
}

void TSkinData::LoadSysButtons(const TSkinIni& ini) {
  SysButtons.clear();
  std::vector<std::string> kept;
  for (const std::string& section : ini.SectionNames()) {
    const std::string upper = AsciiUpper(section);
    if (!StartsWith(upper, "BUTTON")) continue;
    if (upper == "BUTTONS" || upper == "BUTTON.RADIO" || upper == "BUTTON.CHECKBOX" || upper == "BUTTON") continue;
    if (ini.ReadInteger(section, "Action", 0) == -1 && ini.ReadInteger(section, "Visibility", -1) != 0) continue;
    kept.push_back(section);
  }
  for (const std::string& section : kept) {
    auto button = std::make_unique<TDataSkinSysButton>();
    button->Name = AsciiUpper(section);
    button->Action = ini.ReadInteger(section, "Action", 0);
    button->Align = ini.ReadInteger(section, "Align", 0);
    button->Xcoord = ini.ReadInteger(section, "Xcoord", 0);
    button->Ycoord = ini.ReadInteger(section, "Ycoord", 0);
    button->Visibility = ini.ReadInteger(section, "Visibility", 0);
    button->Visibility1 = ini.ReadInteger(section, "Visibility1", button->Action == -1 ? -1 : 0);
    button->CombineOp = ini.ReadInteger(section, "CombineOp", -1);
    button->FrameCount = ini.ReadInteger(section, "frame", 0);
    LoadElementBitmap(button->Bitmap, ini.ReadString(section, "ButtonImage", ""));
    if (button->FrameCount == 0) {
      button->FrameCount = 6;
      if (button->Bitmap.Width > 0) {
        const double ratio = static_cast<double>(button->Bitmap.Width) / button->Bitmap.Height;
        button->FrameCount = ratio <= 3.8 ? 3 : 6;
        if (button->Action < 0) button->FrameCount = 6;
      }
      // These show the form's caption icon instead of an image.
      if (button->Action == 3 || button->Action == 11) button->Bitmap = TPixelImage();
    }
    SysButtons.push_back(std::move(button));
  }

  TPixelImage strips;
  LoadElementBitmap(strips, ini.ReadString("MDICONTROLS", "Image", ""));
  const int a = strips.Width / 12;
  for (int j = 0; j < 3; ++j) {
    auto button = std::make_unique<TDataSkinSysButton>();
    button->Action = 7 + j;
    button->Align = 100;
    button->Visibility = 100;
    button->Visibility1 = 100;
    button->FrameCount = 4;
    if (strips.Width > 0) {
      button->Bitmap = CopyColumns(strips, 4 * a * j, 4 * a);
      button->Xcoord = (a + 4) * (3 - j);
    }
    SysButtons.push_back(std::move(button));
  }
}

void TSkinData::ReadColourKeys(const TSkinIni& ini, const std::string& section, TDataSkinObject& element) const {
  element.NormalColour = ini.ReadInteger(section, "NormalColour", -1);
  element.MouseOverColour = ini.ReadInteger(section, "MouseOverColour", -1);
  element.PressedColour = ini.ReadInteger(section, "PressedColour", -1);
  element.NormalColour2 = ini.ReadColor(section, "NormalColour2", Colours.ButtonText);
  element.MouseOverColour2 = ini.ReadColor(section, "MouseOverColour2", Colours.ButtonText);
  element.PressedColour2 = ini.ReadColor(section, "PressedColour2", Colours.ButtonText);
}

void TSkinData::LoadButtons(const TSkinIni& ini) {
  const std::string section = "Buttons";
  TDataSkinButton& b = *Buttons;
  b.LeftWidth = ini.ReadInteger(section, "LeftWidth", 0);
  b.RightWidth = ini.ReadInteger(section, "RightWidth", 0);
  b.TopHeight = ini.ReadInteger(section, "TopHeight", 0);
  b.BottomHeight = ini.ReadInteger(section, "BottomHeight", 0);
  b.Trans = ini.ReadInteger(section, "Trans", 0);
  LoadElementBitmap(b.Bitmap, ini.ReadString(section, "Bitmap", ""));
  b.Tile = ini.ReadInteger(section, "Tile", 0);
  LoadElementBitmap(b.CheckBitmap, ini.ReadString(section, "CheckButton", ""));
  LoadElementBitmap(b.RadioBitmap, ini.ReadString(section, "RadioButton", ""));
  ReadColourKeys(ini, section, b);
  b.RadioButtonFrame = ini.ReadInteger(section, "RadioButtonFrame", 0);
  b.CheckButtonFrame = ini.ReadInteger(section, "CheckButtonFrame", 0);
  b.HasNormalColour2 = !ini.ReadString(section, "NormalColour2", "").empty();
  b.HasMouseOverColour2 = !ini.ReadString(section, "MouseOverColour2", "").empty();
  b.HasPressedColour2 = !ini.ReadString(section, "PressedColour2", "").empty();
}

void TSkinData::LoadTitle(const TSkinIni& ini) {
  TDataSkinTitle& t = *Title;
  LoadElementBitmap(t.Bitmap, ini.ReadString(kPersonality, "TextBack", ""));
  t.LeftWidth = ini.ReadInteger(kPersonality, "TextShift", 0);
  t.TopHeight = ini.ReadInteger(kPersonality, "TextShiftVert", 0);
  t.RightWidth = ini.ReadInteger(kPersonality, "TextRightClip", 0);
  t.BottomHeight = 0;
  t.TextAlignment = ini.ReadInteger(kPersonality, "TextAlignment", 0);
  t.Textbackground = ini.ReadInteger(kPersonality, "Textbackground", 0);
  t.TXTBackleft = ini.ReadInteger(kPersonality, "TXTBackleft", 0);
  t.TXTBackRight = ini.ReadInteger(kPersonality, "TXTBackRight", 0);
  t.ActiveText = ini.ReadColorKeys(kPersonality, "ActiveText", kTitleTextNotGiven);
  t.InActiveText = ini.ReadColorKeys(kPersonality, "InActiveText", kTitleTextNotGiven);
  t.FontHeight = ini.ReadInteger("Fonts", "FontHeight", 14);
}

template <class T>
T* TSkinData::LoadPlain(const TSkinIni& ini, std::unique_ptr<T>& slot, const std::string& section, bool clampTile) {
  slot.reset();
  const bool progress = section == "Progress";
  const std::string image = ini.ReadString(section, progress ? "Bitmap" : "Image", "");
  if (image.empty()) return nullptr;
  slot = std::make_unique<T>();
  T& e = *slot;
  e.Name = section;
  LoadElementBitmap(e.Bitmap, image);
  e.Style = ini.ReadInteger(section, "Style", 0);
  e.LeftWidth = ini.ReadInteger(section, "LeftWidth", 0);
  e.RightWidth = ini.ReadInteger(section, "RightWidth", 0);
  e.TopHeight = ini.ReadInteger(section, "TopHeight", 0);
  e.BottomHeight = ini.ReadInteger(section, "BottomHeight", 0);
  e.Trans = ini.ReadInteger(section, "Trans", 0);
  e.Tile = ini.ReadInteger(section, "Tile", 0);
  if (clampTile && e.Tile > 1) e.Tile = 0;
  if (!progress) ReadColourKeys(ini, section, e);
  return slot.get();
}

void TSkinData::LoadTwoImage(const TSkinIni& ini, std::unique_ptr<TDataSkinBorder>& slot, const std::string& section,
                             const std::string& secondKey) {
  if (TDataSkinBorder* e = LoadPlain(ini, slot, section, true)) {
    e->Style = 0;  // not a key of this kind
    LoadElementBitmap(e->Bitmap2, ini.ReadString(section, secondKey, ""));
  }
}

void TSkinData::LoadFrameCounts(const TSkinIni& ini) {
  Buttons->FrameCount = 5;
  Title->FrameCount = 2;
  const std::pair<TDataSkinObject*, std::int32_t> counts[] = {
      {Tabs.get(), 5},
      {Progress.get(), 2},
      {UpDownHorz.get(), 8},
      {UpDownVert.get(), 8},
      {SunkEdge.get(), 4},
      {ExtraImages.get(), 5},
      {ComboButton.get(), 4},
      {GroupBoxEdge.get(), 2},
      {Toolbars.get(), 5},
      {GroupBox.get(), 1},
      {StatusBarEdges.get(), 3},
      {Headerbar.get(), 5},
      {MenuBar.get(), 2},
      {MenuItem.get(), 5},
      {MenuBackground.get(), 1},
      {Scrollbar.get(), 23},
      {HorzScroll.get(), 4},
      {VertScroll.get(), 4},
      {TrackbarThumbHorz.get(), 5},
      {TrackbarThumbVert.get(), 5},
      {TrackbarThumbLeft.get(), 5},
      {TrackbarThumbRight.get(), 5},
      {TrackbarThumbUp.get(), 5},
      {TrackbarThumbDown.get(), 5},
  };
  for (const auto& [element, count] : counts)
    if (element != nullptr) element->FrameCount = count;
  if (HorzScrollThumb) HorzScrollThumb->FrameCount = ini.ReadInteger("HorzScrollThumb", "FrameCount", 3);
  if (VertScrollThumb) VertScrollThumb->FrameCount = ini.ReadInteger("VertScrollThumb", "FrameCount", 3);

  auto strip = [](const TPixelImage& image) {
    const int a = image.Height < 16 ? 13 : 16;
    const int frames = image.Width / a;
    return frames < 4 ? 4 : frames;
  };
  if (Buttons->RadioButtonFrame == 0) Buttons->RadioButtonFrame = strip(Buttons->RadioBitmap);
  if (Buttons->CheckButtonFrame == 0) Buttons->CheckButtonFrame = strip(Buttons->CheckBitmap);
}

void TSkinData::Loaded() {
  TComponent::Loaded();
  if (Designing()) return;
  TSkinManage& manager = CreateSkinManager();
  manager.AddSkinData(this);
  if (FSkinFormtype == TSkinFormType::sfMainform) {
    manager.InstallHook();
    if (FActive) {
      if (SkinEmpty)
        FActive = false;
      else
        manager.RequestAction(TSkinManage::kActionSkin, TSkinManage::kActionInterval);
    }
    return;
  }
  manager.Enabled = true;
  manager.ActivationCount += 1;
  if (FormWindowOf) {
    if (TSkinWindowHandle window = FormWindowOf(Owner())) manager.AddWindow(window);
  }
}

void TSkinData::SetActive(bool value) {
  if (value == FActive) return;
  FActive = value;
  if (Designing() || Reading()) return;
  if (FSkinFormtype == TSkinFormType::sfDialog) return;
  // Skinning is refused while there is no skin; turning it off never is.
  const bool request = !(value && SkinEmpty);
  const int action = value ? TSkinManage::kActionSkin : TSkinManage::kActionUnskin;
  TSkinManage& manager = CreateSkinManager();
  if (FSkinFormtype == TSkinFormType::sfOnlyThisForm) {
    manager.PendingSkinData = this;
    if (request) manager.RequestAction(action, TSkinManage::kActionInterval);
  } else if (request) {
    manager.RequestAction(action, TSkinManage::kActionInterval);
    manager.PendingSkinData = this;
  }
}

void TSkinData::ApplySkin() {
  if (Designing() || Reading()) return;
  if (SkinManager == nullptr) Loaded();
  SkinManager->PendingSkinData = this;
  SkinManager->SkinDataLoaded(*this);
  SkinManager->RequestAction(TSkinManage::kActionReskin, TSkinManage::kActionInterval);
}

void TSkinData::FormSkin(const std::string& aName, bool& DoSkin) {
  if (OnFormSkin) {
    OnFormSkin(this, aName, DoSkin);
    return;
  }
  if (aName == "SysMonthCal32" || (InSet(FSkinControls, xcFastReport) && StartsWith(aName, "Tfr"))) DoSkin = false;
}

void TSkinData::SkinChanged() {
  if (OnSkinChanged) OnSkinChanged(this);
}

std::vector<TSkinData::TSlotView> TSkinData::Slots() const {
  return {
      {"Title", Title.get()},
      {"Buttons", Buttons.get()},
      {"Tabs", Tabs.get()},
      {"Progress", Progress.get()},
      {"UpDownHorz", UpDownHorz.get()},
      {"UpDownVert", UpDownVert.get()},
      {"SunkEdge", SunkEdge.get()},
      {"ExtraImages", ExtraImages.get()},
      {"ComboButton", ComboButton.get()},
      {"GroupBoxEdge", GroupBoxEdge.get()},
      {"Toolbars", Toolbars.get()},
      {"GroupBox", GroupBox.get()},
      {"StatusBarEdges", StatusBarEdges.get()},
      {"Headerbar", Headerbar.get()},
      {"MenuBar", MenuBar.get()},
      {"MenuItem", MenuItem.get()},
      {"MenuBackground", MenuBackground.get()},
      {"Scrollbar", Scrollbar.get()},
      {"HorzScroll", HorzScroll.get()},
      {"VertScroll", VertScroll.get()},
      {"HorzScrollThumb", HorzScrollThumb.get()},
      {"VertScrollThumb", VertScrollThumb.get()},
      {"TrackbarThumbHorz", TrackbarThumbHorz.get()},
      {"TrackbarThumbVert", TrackbarThumbVert.get()},
      {"TrackbarThumbLeft", TrackbarThumbLeft.get()},
      {"TrackbarThumbRight", TrackbarThumbRight.get()},
      {"TrackbarThumbUp", TrackbarThumbUp.get()},
      {"TrackbarThumbDown", TrackbarThumbDown.get()},
      {"FrameLeft", FrameLeft.get()},
      {"FrameRight", FrameRight.get()},
      {"FrameTop", FrameTop.get()},
      {"FrameBottom", FrameBottom.get()},
  };
}

}  // namespace pellamy
