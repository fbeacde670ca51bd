// The skinned menu bar's rules: button spans in both directions and the
// accelerator letters.
#include <gtest/gtest.h>

#include "skin/layout/MenuBarLayout.h"

namespace pellamy {
namespace {

TEST(MenuBarLayout, ButtonsRunFromTheBarsStartInEitherDirection) {
  EXPECT_EQ(LayoutBarButtons({20, 30, 10}, 5, 300, 7, false), (std::vector<TBarSpan>{{5, 39}, {39, 83}, {83, 107}}));
  EXPECT_EQ(LayoutBarButtons({20, 30}, 5, 300, 7, true), (std::vector<TBarSpan>{{266, 300}, {222, 266}}))
      << "right to left mirrors them from the right end";
  EXPECT_TRUE(LayoutBarButtons({}, 0, 100, 7, false).empty());
}

TEST(MenuBarLayout, TheFirstButtonStartsPastTheEndPieceWithAGap) {
  EXPECT_EQ(FirstButtonInset(true, 3, false), 7);
  EXPECT_EQ(FirstButtonInset(true, 3, true), 11) << "from the right end, a wider gap";
  EXPECT_EQ(FirstButtonInset(false, 3, false), 6) << "a plain bar: a fixed gap";
}

TEST(MenuBarLayout, AcceleratorsFromTheAmpersand) {
  std::wstring plain;
  int at = -2;
  EXPECT_EQ(AcceleratorOf(L"&File", &plain, &at), L'f');
  EXPECT_EQ(plain, L"File");
  EXPECT_EQ(at, 0);
  EXPECT_EQ(AcceleratorOf(L"Sa&Ve", &plain, &at), L'v') << "lower case, wherever it is";
  EXPECT_EQ(at, 2);
  EXPECT_EQ(AcceleratorOf(L"Save && &Quit", &plain, &at), L'q') << "&& is an ampersand";
  EXPECT_EQ(plain, L"Save & Quit");
  EXPECT_EQ(at, 7);
  EXPECT_EQ(AcceleratorOf(L"Help", &plain, &at), 0);
  EXPECT_EQ(at, -1);
  EXPECT_EQ(AcceleratorOf(L"Trailing&", &plain, &at), 0) << "a lone ampersand at the end marks nothing";
  EXPECT_EQ(plain, L"Trailing&");
}

}  // namespace
}  // namespace pellamy
