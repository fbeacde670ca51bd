// TDibTarget: a 32-bit top-down DIB section in a memory DC, made without the
// classes under test, whose pixels are read back after GdiFlush; and a test
// suite base that checks every test gives back its GDI objects.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdint>

#include "gui/gdi/GdiHandles.h"
#include "imaging/BmpFormat.h"

namespace pellamy::test {

constexpr int kHandleKinds = static_cast<int>(THandleKind::Count);

inline std::array<int, kHandleKinds> LiveHandleCounts() {
  std::array<int, kHandleKinds> counts{};
  for (int i = 0; i < kHandleKinds; ++i) counts[i] = HandleLiveCount(static_cast<THandleKind>(i));
  return counts;
}

// A suite whose every test must give back each handle it made, kind by kind:
// a bitmap freed does not make up for a region leaked.
class GdiBalancedTest : public ::testing::Test {
 protected:
  void SetUp() override { FStart = LiveHandleCounts(); }
  void TearDown() override {
    const auto now = LiveHandleCounts();
    for (int i = 0; i < kHandleKinds; ++i)
      EXPECT_EQ(now[i], FStart[i]) << HandleKindName(static_cast<THandleKind>(i)) << " handles leaked";
  }

 private:
  std::array<int, kHandleKinds> FStart{};
};

class TDibTarget {
 public:
  TDibTarget(int width, int height, std::uint32_t fill = 0) : FWidth(width), FHeight(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    FBitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    FBits = static_cast<std::uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) FBits[i] = fill;
    FDc = UniqueMemDc::CompatibleWith(nullptr);
    FSelect = SelectGuard(FDc.get(), FBitmap.get());
  }
  HDC Dc() const { return FDc.get(); }
  std::uint32_t At(int x, int y) const {
    GdiFlush();
    return FBits[y * FWidth + x] & 0x00FFFFFF;
  }
  // Pixels of the area at (x, y) of the given size.
  TPixelImage Area(int x, int y, int width, int height) const {
    TPixelImage area{width, height, {}};
    for (int row = 0; row < height; ++row)
      for (int col = 0; col < width; ++col) area.Pixels.push_back(At(x + col, y + row));
    return area;
  }
  // Pixels outside the area that are not the fill colour.
  int ChangedOutside(const RECT& area, std::uint32_t fill) const {
    int changed = 0;
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x)
        if ((x < area.left || x >= area.right || y < area.top || y >= area.bottom) && At(x, y) != fill) ++changed;
    return changed;
  }

 private:
  int FWidth;
  int FHeight;
  std::uint32_t* FBits = nullptr;
  UniqueBitmap FBitmap;
  UniqueMemDc FDc;
  SelectGuard FSelect;
};

}  // namespace pellamy::test
