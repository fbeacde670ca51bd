// skininfo FILE                 one line per entry: name (as the reader holds
//                               it, lower case), a tab, its size in bytes
// skininfo --extract NAME FILE  the entry's bytes on standard output
// skininfo --model FILE          the element model built from the skin: one
//                               line per slot, then the title-bar buttons
//                               and the colours
// Exit status: 0 done, 1 no entry of that name, 2 the container cannot be
// read or is refused, or the output cannot be written (the reason on
// standard error), 64 bad usage.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "base/CommandLine.h"
#include "base/Utf8Path.h"
#include "skin/file/SkinRead.h"
#include "skin/model/WinSkinData.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

int Usage() {
  std::fprintf(stderr, "usage: skininfo FILE\n       skininfo --extract NAME FILE\n       skininfo --model FILE\n");
  return 64;
}

std::vector<std::uint8_t> ReadFile(const std::string& path, bool& ok) {
  std::ifstream in(pellamy::PathFromUtf8(path), std::ios::binary);
  ok = false;
  if (!in) {
    std::fprintf(stderr, "skininfo: cannot open %s\n", path.c_str());
    return {};
  }
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    std::fprintf(stderr, "skininfo: cannot read %s\n", path.c_str());
    return {};
  }
  ok = true;
  return bytes;
}

std::string Size(const pellamy::TPixelImage& image) {
  return std::to_string(image.Width) + "x" + std::to_string(image.Height);
}

std::string Hex(std::int32_t colour) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(colour));
  return text;
}

void PrintElement(const char* name, const pellamy::TDataSkinObject& e) {
  std::printf("%s: margins %d,%d,%d,%d frames %d tile %d trans %d style %d colours %d,%d,%d %s,%s,%s image %s", name,
              e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight, e.FrameCount, e.Tile, e.Trans, e.Style,
              e.NormalColour, e.MouseOverColour, e.PressedColour, Hex(e.NormalColour2).c_str(),
              Hex(e.MouseOverColour2).c_str(), Hex(e.PressedColour2).c_str(), Size(e.Bitmap).c_str());
  if (const auto* border = dynamic_cast<const pellamy::TDataSkinBorder*>(&e))
    std::printf(" image2 %s", Size(border->Bitmap2).c_str());
  if (const auto* b = dynamic_cast<const pellamy::TDataSkinButton*>(&e))
    std::printf(" check %s frames %d radio %s frames %d", Size(b->CheckBitmap).c_str(), b->CheckButtonFrame,
                Size(b->RadioBitmap).c_str(), b->RadioButtonFrame);
  if (const auto* t = dynamic_cast<const pellamy::TDataSkinTitle*>(&e))
    std::printf(" alignment %d textbackground %d fontheight %d txtback %d,%d activetext %s inactivetext %s",
                t->TextAlignment, t->Textbackground, t->FontHeight, t->TXTBackleft, t->TXTBackRight,
                Hex(t->ActiveText).c_str(), Hex(t->InActiveText).c_str());
  if (const auto* g = dynamic_cast<const pellamy::TDataSkinBoxLabel*>(&e))
    std::printf(" background %d,%d,%d", g->BackgroundAlignment, g->BackgroundLeftShift, g->BackgroundRightShift);
  std::printf("\n");
}

int PrintModel(const std::string& path) {
  bool ok = false;
  const std::vector<std::uint8_t> bytes = ReadFile(path, ok);
  if (!ok) return 2;
  pellamy::TSkinData skin(nullptr);
  std::string message;
  skin.ShowMessage = [&message](const std::string& text) { message = text; };
  skin.SkinBytes = bytes;
  try {
    if (!skin.LoadSkin()) {
      for (char& c : message)
        if (c == '\r') c = '\n';
      std::fprintf(stderr, "skininfo: %s: %s\n", path.c_str(), message.c_str());
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skininfo: %s: %s\n", path.c_str(), e.what());
    return 2;
  }
  std::printf("SkinName: %s\n", skin.SkinName.c_str());
  for (const auto& slot : skin.Slots()) {
    if (slot.Element == nullptr)
      std::printf("%s: absent\n", slot.Name);
    else
      PrintElement(slot.Name, *slot.Element);
  }
  for (const auto& b : skin.SysButtons) {
    std::printf(
        "SysButton %s: action %d align %d at %d,%d visibility %d visibility1 %d combineop %d frames %d image %s\n",
        b->Name.empty() ? "(MDI)" : b->Name.c_str(), b->Action, b->Align, b->Xcoord, b->Ycoord, b->Visibility,
        b->Visibility1, b->CombineOp, b->FrameCount, Size(b->Bitmap).c_str());
  }
  const pellamy::TSkinColours& c = skin.Colours;
  const std::pair<const char*, std::int32_t> colours[] = {{"WindowText", c.WindowText},
                                                          {"TitleTextActive", c.TitleTextActive},
                                                          {"TitleTextNoActive", c.TitleTextNoActive},
                                                          {"ButtonFace", c.ButtonFace},
                                                          {"ButtonText", c.ButtonText},
                                                          {"ButtonHilight", c.ButtonHilight},
                                                          {"Buttonlight", c.Buttonlight},
                                                          {"ButtonShadow", c.ButtonShadow},
                                                          {"ButtonDkShadow", c.ButtonDkShadow},
                                                          {"HilightText", c.HilightText},
                                                          {"Hilight", c.Hilight},
                                                          {"Menubar", c.Menubar},
                                                          {"MenuBarText", c.MenuBarText},
                                                          {"MenuText", c.MenuText},
                                                          {"Menu", c.Menu},
                                                          {"Scrollbar", c.Scrollbar}};
  for (const auto& [name, value] : colours) std::printf("Colour %s: %s\n", name, Hex(value).c_str());
  for (std::size_t i = 0; i < skin.ColourList.size(); ++i)
    std::printf("ColourList %zu: %s\n", i, Hex(skin.ColourList[i]).c_str());
  return std::fflush(stdout) == 0 ? 0 : 2;
}

// The container's entries, or a message and exit status 2.
bool Open(const std::string& path, pellamy::TSkinReader& reader) {
  bool ok = false;
  const std::vector<std::uint8_t> bytes = ReadFile(path, ok);
  if (!ok) return false;
  try {
    if (reader.DecodeContainer(bytes)) return true;
    std::string message = reader.LastMessage();
    for (char& c : message) {
      if (c == '\r') c = '\n';
    }
    std::fprintf(stderr, "skininfo: %s: %s\n", path.c_str(), message.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skininfo: %s: %s\n", path.c_str(), e.what());
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = pellamy::ProgramArguments(argc, argv);
  if (args.size() == 2 && args[0] == "--model") return PrintModel(args[1]);
  pellamy::TSkinReader reader;
  if (args.size() == 1 && args[0].rfind("--", 0) != 0) {
    if (!Open(args[0], reader)) return 2;
    for (int i = 0; i < reader.Count(); ++i) {
      std::printf("%s\t%d\n", reader.EntryName(i).c_str(), reader.EntrySize(i));
    }
    return std::fflush(stdout) == 0 ? 0 : 2;
  }
  if (args.size() == 3 && args[0] == "--extract") {
    if (!Open(args[2], reader)) return 2;
    const int i = reader.FindEntry(args[1]);
    if (i < 0) {
      std::fprintf(stderr, "skininfo: %s has no entry named %s\n", args[2].c_str(), args[1].c_str());
      return 1;
    }
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const auto bytes = reader.EntryBytes(i);
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
      std::fprintf(stderr, "skininfo: cannot write to standard output\n");
      return 2;
    }
    return 0;
  }
  return Usage();
}
