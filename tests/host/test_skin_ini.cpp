// The skin description: how sections, keys and values are found, and the
// value rules for integers, colours and image names, with their defaults.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/file/SkinIni.h"

namespace pellamy {
namespace {

TEST(SkinIniTest, SectionsAndKeys) {
  const TSkinIni ini(
      "\xEF\xBB\xBF"
      "Orphan=before any section\r\n"
      "[Personality]\r\n"
      "  Left =  frame left.bmp  \r\n"
      "left=second.bmp\r\n"  // the first occurrence counts
      "\tTextShift\t=\t7\t\n"
      "; Left=comment.bmp\n"
      "NoEquals\r"
      "Empty=\r\n"
      "Quoted=\"  a b  \"\n"
      "Single=' x '\n"
      "Twice=\"\"x\"\"\n"
      "Unpaired=\"x'\n"
      "OneQuote=\"\n"
      "Inner=a=b\n"
      "[ Colours ]\n"
      "Hilight = 1,2,3\n"
      "[PERSONALITY]\n"
      "Left=third.bmp\n"
      "Top=top.bmp\n");

  EXPECT_EQ(ini.ReadString("personality", "LEFT", "d"), "frame left.bmp");
  EXPECT_EQ(ini.ReadString("Personality", "TextShift", "d"), "7");
  EXPECT_EQ(ini.ReadString("Personality", "Empty", "d"), "");
  EXPECT_EQ(ini.ReadString("Personality", "Quoted", "d"), "  a b  ");
  EXPECT_EQ(ini.ReadString("Personality", "Single", "d"), " x ");
  EXPECT_EQ(ini.ReadString("Personality", "Twice", "d"), "\"x\"");
  EXPECT_EQ(ini.ReadString("Personality", "Unpaired", "d"), "\"x'");
  EXPECT_EQ(ini.ReadString("Personality", "OneQuote", "d"), "\"");
  EXPECT_EQ(ini.ReadString("Personality", "Inner", "d"), "a=b");
  EXPECT_EQ(ini.ReadString("Personality", "NoEquals", "d"), "d");
  EXPECT_EQ(ini.ReadString("Personality", "; Left", "d"), "d");
  EXPECT_EQ(ini.ReadString("Personality", "Missing", "default"), "default");
  EXPECT_EQ(ini.ReadString("Nowhere", "Left", "default"), "default");
  EXPECT_EQ(ini.ReadString("", "Orphan", "d"), "d");
  EXPECT_EQ(ini.ReadString("colours", "hilight", "d"), "1,2,3");
  // A repeated section adds keys, but does not override earlier ones.
  EXPECT_EQ(ini.ReadString("Personality", "Top", "d"), "top.bmp");
  EXPECT_TRUE(ini.KeyExists("PERSONALITY", "empty"));
  EXPECT_FALSE(ini.KeyExists("Personality", "Right"));

  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Personality", "Colours", "PERSONALITY"}));
}

TEST(SkinIniTest, LineEndsAndLongValues) {
  const std::string longValue(3000, 'v');
  const TSkinIni ini("[a]\rx=1\ny=2\r\nz=3\n\r[b]\r\nlong=" + longValue + "\r\n");
  EXPECT_EQ(ini.ReadInteger("a", "x", 0) + ini.ReadInteger("a", "y", 0) + ini.ReadInteger("a", "z", 0), 6);
  EXPECT_EQ(ini.ReadString("b", "long", ""), std::string(2047, 'v'));
  EXPECT_EQ(TSkinIni("").SectionNames(), std::vector<std::string>{});
}

TEST(SkinIniTest, SectionNamesFitIn16384Bytes) {
  // 100 names of 199 characters take 200 bytes each with their NUL; the
  // list has room for 16383 bytes before its final NUL.
  std::string text;
  for (int i = 0; i < 100; ++i) text += "[" + std::string(196, 'a') + std::to_string(100 + i) + "]\n";
  const auto names = TSkinIni(text).SectionNames();
  ASSERT_EQ(names.size(), 82u);
  EXPECT_EQ(names[80], std::string(196, 'a') + "180");
  EXPECT_EQ(names[81], std::string(182, 'a'));  // 16383 - 81 * 200 bytes, less its NUL
}

TEST(SkinIniTest, IntegerValues) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"0x1F", 31},
      {"0X1f", 31},
      {"$1F", 31},
      {"$ff", 255},
      {"1F", -7},
      {"12", 12},
      {"-12", -12},
      {"+12", 12},
      {"007", 7},
      {"0x", -7},
      {"$", -7},
      {"0x-1", -7},
      {"-$1", -7},
      {"-0x1", -7},
      {"", -7},
      {"1 2", -7},
      {"2147483647", INT32_MAX},
      {"2147483648", -7},
      {"-2147483648", INT32_MIN},
      {"-2147483649", -7},
      {"$FFFFFFFF", -1},
      {"0x80000000", INT32_MIN},
      {"$100000000", -7},
      {"-", -7},
      {"0x0000000001", 1},
      {"0xG", -7},
  };
  for (const auto& c : cases) EXPECT_EQ(StrToIntDef(c.text, -7), c.value) << '"' << c.text << '"';

  const TSkinIni ini("[s]\nHex = 0x1F \nBad=1F\nEmpty=\nQuoted=\"42\"\n");
  EXPECT_EQ(ini.ReadInteger("S", "hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("s", "Bad", 5), 5);
  EXPECT_EQ(ini.ReadInteger("s", "Empty", 5), 5);
  EXPECT_EQ(ini.ReadInteger("s", "Quoted", 5), 42);
  EXPECT_EQ(ini.ReadInteger("s", "Absent", 5), 5);
}

TEST(SkinIniTest, ColourValues) {
  constexpr std::int32_t def = static_cast<std::int32_t>(0x80000008);
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"255,0,0", 0x0000FF},
      {"10 20 30", 0x1E140A},
      {"10,20", 0x00000A},  // the open second number is dropped
      {"10,20,", 0x00140A},
      {"0,0,255", 0xFF0000},
      {" \t1;2;3 \t", 0x030201},
      {"(1, 2, 3)", 0x030201},
      {"1,,,2,3", 0x030201},
      {"256,257,258", 0x020100},
      {"99999999999999,0,1", 0x0100FF},  // 99999999999999 mod 256 = 255
      {"1,2,3,4,5", 0x030201},
      {"1,2,3,4", 0x030201},
      {"7", 0x000000},
      {"red", 0x000000},
      {"", def},
      {" \t ", def},
  };
  for (const auto& c : cases) EXPECT_EQ(ColorFromText(c.text, def), c.value) << '"' << c.text << '"';

  const TSkinIni ini("[Colours]\nHilight=0,128,255\nMenu=\nButtonFace=\" 1 2 3 \"\n");
  EXPECT_EQ(ini.ReadColor("colours", "Hilight", def), 0xFF8000);
  EXPECT_EQ(ini.ReadColor("Colours", "Menu", def), def);
  EXPECT_EQ(ini.ReadColor("Colours", "Absent", def), def);
  EXPECT_EQ(ini.ReadColor("Colours", "ButtonFace", def), 0x030201);
}

TEST(SkinIniTest, ThreeKeyColours) {
  constexpr std::int32_t notGiven = 0x1FFFFFFF;
  const TSkinIni ini(
      "[Personality]\n"
      "ActiveTextR=1\nActiveTextG=0x02\nActiveTextB=$103\n"
      "InActiveTextR=1\nInActiveTextG=2\n"
      "OtherR=1\nOtherG=-1\nOtherB=3\n"
      "BadR=1\nBadG=x\nBadB=3\n"
      "ZeroR=0\nZeroG=0\nZeroB=0\n");
  EXPECT_EQ(ini.ReadColorKeys("Personality", "ActiveText", notGiven), 0x030201);  // low bytes only
  EXPECT_EQ(ini.ReadColorKeys("Personality", "InActiveText", notGiven), notGiven);
  EXPECT_EQ(ini.ReadColorKeys("Personality", "Other", notGiven), notGiven);
  EXPECT_EQ(ini.ReadColorKeys("Personality", "Bad", notGiven), notGiven);
  EXPECT_EQ(ini.ReadColorKeys("personality", "zero", notGiven), 0);
}

TEST(SkinIniTest, ImageNames) {
  const struct {
    const char* value;
    const char* entry;
  } cases[] = {
      {"frame.bmp", "frame.bmp"},
      {"Frame.bmp", "Frame.bmp"},  // the reader ignores case in the entry name
      {"skins\\blue\\top.bmp", "top.bmp"},
      {"skins/blue/top.bmp", "top.bmp"},
      {"c:top.bmp", "top.bmp"},
      {".bmp", ".bmp"},
      {"frame.BMP", ""},  // the extension must be exactly .bmp
      {"frame.Bmp", ""},
      {"frame.bmp.jpg", ""},
      {"frame", ""},
      {"dir.bmp\\frame", ""},
      {"skins\\", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ImageEntryName(c.value), c.entry) << '"' << c.value << '"';

  const TSkinIni ini("[Buttons]\nBitmap = \"skin\\btn.bmp\"\nCheckButton=check.gif\n");
  EXPECT_EQ(ini.ReadImageName("buttons", "bitmap"), "btn.bmp");
  EXPECT_EQ(ini.ReadImageName("Buttons", "CheckButton"), "");
  EXPECT_EQ(ini.ReadImageName("Buttons", "RadioButton"), "");
}

}  // namespace
}  // namespace pellamy
