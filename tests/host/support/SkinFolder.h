// One of our skins as the program reads it: the container in its folder under
// skins/, decoded with the program's reader and description parser.
//   TSkinFolderTest   fixture: the container, its description and its images,
//                     with checks that images split into their state images
// The folder and the container's name come from PELLAMY_SKIN_DIR and
// PELLAMY_SKIN_FILE, set by skins/CMakeLists.txt for each skin.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/BmpFormat.h"
#include "skin/file/SkinIni.h"
#include "skin/file/SkinRead.h"

namespace pellamy::test {

inline constexpr std::uint32_t kSkinMagenta = 0xFF00FF;

inline std::vector<std::uint8_t> ReadSkinFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Perceived brightness of a 0x00RRGGBB pixel, 0 to 255.
inline int PixelLuma(std::uint32_t p) {
  return static_cast<int>(((p >> 16 & 0xFF) * 299 + (p >> 8 & 0xFF) * 587 + (p & 0xFF) * 114) / 1000);
}

// Perceived brightness of a description colour (red in the low byte).
inline int ColourLuma(std::int32_t c) {
  return static_cast<int>(((c & 0xFF) * 299 + (c >> 8 & 0xFF) * 587 + (c >> 16 & 0xFF) * 114) / 1000);
}

class TSkinFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FSkinBytes = ReadSkinFile(FDir / FFile);
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

  // A frame border's width (the side pieces), or height (top and bottom).
  int BorderSize(const std::string& side) {
    const TPixelImage image = Image("Personality", side);
    const int frames = FIni.ReadInteger("Personality", side + "Frame", 1);
    return side == "Left" || side == "Right" ? image.Width / frames : image.Height / frames;
  }

  std::filesystem::path FDir = PELLAMY_SKIN_DIR;
  std::string FFile = PELLAMY_SKIN_FILE;
  std::vector<std::uint8_t> FSkinBytes;
  TSkinReader FReader;
  TSkinIni FIni;
};

}  // namespace pellamy::test
