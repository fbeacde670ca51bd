// The skinned frame's portable rules: metrics from the border pieces, the
// caption styles, both visibility tables, where each Align puts a button,
// where the title goes, the client rectangle and the hit codes.
#include <gtest/gtest.h>

#include "skin/layout/FrameLayout.h"

namespace pellamy {
namespace {

TPixelImage Image(int width, int height) {
  return TPixelImage{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0)};
}

TDataSkinSysButton Button(int action, int align, int x, int y, int width = 60, int count = 3) {
  TDataSkinSysButton b;
  b.Action = action;
  b.Align = align;
  b.Xcoord = x;
  b.Ycoord = y;
  b.Bitmap = Image(width, 14);
  b.FrameCount = count;
  b.Visibility = 0;
  b.Visibility1 = 0;
  return b;
}

TEST(FrameLayout, MetricsComeFromEachPieceAcrossItsRunDividedByItsStates) {
  TSkinData skin(nullptr);
  skin.FrameTop->Bitmap = Image(90, 60);  // three stacked images of 20
  skin.FrameTop->FrameCount = 3;
  skin.FrameLeft->Bitmap = Image(14, 50);  // two side by side of 7
  skin.FrameLeft->FrameCount = 2;
  skin.FrameRight->Bitmap = Image(5, 50);
  skin.FrameRight->FrameCount = 1;
  skin.FrameBottom->Bitmap = Image(40, 9);
  skin.FrameBottom->FrameCount = 1;
  EXPECT_EQ(FrameMetricsOf(skin, bkEdged), (TFrameMetrics{7, 20, 5, 9}));
  EXPECT_EQ(FrameMetricsOf(skin, bkThin), (TFrameMetrics{7, 20, 5, 9}));
  EXPECT_EQ(FrameMetricsOf(skin, bkPopup), TFrameMetrics{}) << "a popup without a caption has no frame";
}

TEST(FrameLayout, BorderKindsAndCapabilitiesFromTheStyles) {
  using namespace style;
  EXPECT_EQ(BorderKindOf(Popup, 0), bkPopup);
  EXPECT_EQ(BorderKindOf(Popup | 0x00800000u, 0), bkPopup) << "a border without the full caption";
  EXPECT_EQ(BorderKindOf(Popup | Caption, 0), bkThin);
  EXPECT_EQ(BorderKindOf(Caption | ThickFrame, 0), bkEdged);
  EXPECT_EQ(BorderKindOf(Caption, ExWindowEdge), bkEdged);
  EXPECT_EQ(BorderKindOf(Caption, 0), bkThin);

  EXPECT_EQ(CapabilitiesOf(SystemMenu | MinimizeBox | MaximizeBox, false), fcSystemMenu | fcMinimize | fcMaximize);
  EXPECT_EQ(CapabilitiesOf(0, true), unsigned{fcSystemMenu}) << "a window with a system menu of its own";
  EXPECT_EQ(CapabilitiesOf(MinimizeBox, false), unsigned{fcMinimize});
}

TEST(FrameLayout, CaptionStylesComeOffAndBackAsOwnedAndUnownedWindowsNeed) {
  using namespace style;
  const std::uint32_t full = Caption | SystemMenu | MinimizeBox | MaximizeBox | ThickFrame;
  unsigned caps = CapabilitiesOf(full, false);
  const std::uint32_t unowned = CaptionStyle(full, false, false, caps);
  EXPECT_EQ(unowned & Caption, 0u);
  EXPECT_NE(unowned & ThickFrame, 0u) << "only the caption goes";
  EXPECT_NE(caps & fcCaptionRemoved, 0u);
  EXPECT_EQ(CaptionStyle(unowned, true, false, caps), full) << "restoring gives back every bit";

  unsigned ownedCaps = CapabilitiesOf(full, false);
  const std::uint32_t owned = CaptionStyle(full, false, true, ownedCaps);
  EXPECT_EQ(owned, Caption | ThickFrame) << "an owned dialog keeps its caption";
  EXPECT_EQ(ownedCaps & fcCaptionRemoved, 0u);
  EXPECT_EQ(CaptionStyle(owned, true, true, ownedCaps), full);
}

TEST(FrameLayout, ShowStatesFromThePlacement) {
  EXPECT_EQ(ShowStateOf(1), TShowState::Normal);
  EXPECT_EQ(ShowStateOf(3), TShowState::Maximized);
  for (int minimised : {2, 6, 7}) EXPECT_EQ(ShowStateOf(minimised), TShowState::Minimized) << minimised;
  EXPECT_EQ(ShowStateOf(9), TShowState::Normal);
}

TEST(FrameLayout, VisibilityTablesForEveryCode) {
  TCaptionContext f;
  f.BorderKind = bkEdged;
  f.Capabilities = fcSystemMenu | fcMaximize;
  f.Active = true;
  f.ShowState = TShowState::Maximized;
  // Code 0: the close button (action 0) needs the system menu.
  EXPECT_TRUE(VisibilityRule(0, 0, f, false));
  TCaptionContext noMenu = f;
  noMenu.Capabilities = fcMaximize;
  EXPECT_FALSE(VisibilityRule(0, 0, noMenu, false));
  EXPECT_TRUE(VisibilityRule(0, 5, noMenu, false)) << "other actions do not";
  TCaptionContext thin = f;
  thin.BorderKind = bkThin;
  EXPECT_FALSE(VisibilityRule(0, 5, thin, false));
  EXPECT_TRUE(VisibilityRule(0, 0, thin, true)) << "the second table's 0 is always true";
  EXPECT_TRUE(VisibilityRule(1, 0, f, false));
  EXPECT_FALSE(VisibilityRule(2, 0, f, true));
  EXPECT_TRUE(VisibilityRule(3, 0, f, false));
  EXPECT_FALSE(VisibilityRule(4, 0, f, true));
  EXPECT_FALSE(VisibilityRule(5, 0, f, false));
  EXPECT_TRUE(VisibilityRule(6, 0, f, false));
  EXPECT_FALSE(VisibilityRule(6, 0, noMenu, false)) << "6 needs the system menu in the first table";
  EXPECT_TRUE(VisibilityRule(6, 0, noMenu, true)) << "and not in the second";
  EXPECT_FALSE(VisibilityRule(7, 0, f, false));
  EXPECT_FALSE(VisibilityRule(8, 0, f, false));
  EXPECT_TRUE(VisibilityRule(9, 0, f, true));
  EXPECT_FALSE(VisibilityRule(10, 0, f, false));
  EXPECT_FALSE(VisibilityRule(11, 0, f, true));
  EXPECT_FALSE(VisibilityRule(100, 0, f, false)) << "no maximised MDI child";
  f.ActiveMdiChildMaximized = true;
  EXPECT_FALSE(VisibilityRule(100, 0, f, false)) << "and no menu bar";
  f.MenuHeight = 19;
  EXPECT_TRUE(VisibilityRule(100, 0, f, true));
  EXPECT_TRUE(VisibilityRule(200, 0, f, false));
  EXPECT_TRUE(VisibilityRule(2000, 0, f, true));
  EXPECT_FALSE(VisibilityRule(2001, 0, f, false));
  EXPECT_FALSE(VisibilityRule(-1, 0, f, false));
}

TEST(FrameLayout, MaximiseAndMinimiseButtonsNeedTheirBoxes) {
  TCaptionContext f;
  f.Capabilities = fcSystemMenu | fcMinimize;
  TDataSkinSysButton max = Button(1, 1, 40, 2);
  max.Visibility = 200;
  max.Visibility1 = 200;
  EXPECT_FALSE(IsCaptionButtonVisible(max, f)) << "whatever its visibility says";
  TDataSkinSysButton min = Button(2, 1, 60, 2);
  min.Visibility = 200;
  min.Visibility1 = 200;
  EXPECT_TRUE(IsCaptionButtonVisible(min, f));
  f.Capabilities = fcSystemMenu;
  EXPECT_FALSE(IsCaptionButtonVisible(min, f));
}

TEST(FrameLayout, EachAlignPlacesTheButton) {
  TCaptionContext f;
  f.FrameWidth = 300;
  f.Metrics = {4, 24, 6, 4};
  f.TextRect = {50, 5, 150, 19};
  int rightButtonsLeft = 0;
  TSkinRect r;
  ASSERT_TRUE(CaptionButtonRect(Button(0, 0, 8, 3), f, r, rightButtonsLeft));
  EXPECT_EQ(r, (TSkinRect{8, 3, 28, 17})) << "Align 0 from the left edge, 60 / 3 wide";
  ASSERT_TRUE(CaptionButtonRect(Button(0, 1, 30, 4), f, r, rightButtonsLeft));
  EXPECT_EQ(r, (TSkinRect{270, 4, 290, 18}));
  ASSERT_TRUE(CaptionButtonRect(Button(0, 1, 52, 4), f, r, rightButtonsLeft));
  EXPECT_EQ(rightButtonsLeft, 248) << "the smallest left edge: a title ending there clears them all";
  ASSERT_TRUE(CaptionButtonRect(Button(0, 2, 3, 5), f, r, rightButtonsLeft));
  EXPECT_EQ(r, (TSkinRect{27, 5, 47, 19})) << "Align 2 left of the title";
  ASSERT_TRUE(CaptionButtonRect(Button(0, 8, 3, 5), f, r, rightButtonsLeft));
  EXPECT_EQ(r.Left, 27);
  ASSERT_TRUE(CaptionButtonRect(Button(0, 3, 4, 5), f, r, rightButtonsLeft));
  EXPECT_EQ(r, (TSkinRect{154, 5, 174, 19})) << "Align 3 right of the title";
  ASSERT_TRUE(CaptionButtonRect(Button(0, 9, 4, 5), f, r, rightButtonsLeft));
  EXPECT_EQ(r.Left, 154);
  ASSERT_TRUE(CaptionButtonRect(Button(0, 42, 4, 5), f, r, rightButtonsLeft));
  EXPECT_EQ(r, (TSkinRect{0, 0, 20, 14})) << "an unknown Align places nothing";
  TDataSkinSysButton empty = Button(0, 0, 1, 1);
  empty.Bitmap = TPixelImage{};
  EXPECT_FALSE(CaptionButtonRect(empty, f, r, rightButtonsLeft));
}

TEST(FrameLayout, ButtonActionsByTheirNumbers) {
  const std::pair<int, TCaptionAction> rows[] = {
      {0, TCaptionAction::Close},        {1, TCaptionAction::Maximize},    {22, TCaptionAction::Maximize},
      {2, TCaptionAction::Minimize},     {23, TCaptionAction::Minimize},   {3, TCaptionAction::SystemMenu},
      {11, TCaptionAction::SystemMenu},  {12, TCaptionAction::SystemMenu}, {7, TCaptionAction::MdiMinimize},
      {60, TCaptionAction::MdiMinimize}, {8, TCaptionAction::MdiRestore},  {61, TCaptionAction::MdiRestore},
      {9, TCaptionAction::MdiClose},     {62, TCaptionAction::MdiClose},   {30, TCaptionAction::Other},
      {-1, TCaptionAction::Other}};
  for (const auto& [number, action] : rows) EXPECT_EQ(CaptionActionOf(number), action) << number;
}

TEST(FrameLayout, MenuBarButtonsOfAMaximisedChild) {
  TCaptionContext f;
  f.FrameWidth = 300;
  f.Metrics = {4, 24, 6, 4};
  f.MenuHeight = 20;
  int right = 0;
  TSkinRect r;
  ASSERT_TRUE(CaptionButtonRect(Button(7, 100, 42, 0, 64, 4), f, r, right));
  EXPECT_EQ(r, (TSkinRect{252, 27, 268, 41})) << "from the right, centred in the bar";
  f.MenuBarEndWidth = 5;
  ASSERT_TRUE(CaptionButtonRect(Button(7, 100, 42, 0, 64, 4), f, r, right));
  EXPECT_EQ(r.Left, 247) << "inside the bar's end";
  f.RightToLeft = true;
  ASSERT_TRUE(CaptionButtonRect(Button(7, 100, 42, 0, 64, 4), f, r, right));
  EXPECT_EQ(r.Left, 4 + 42 + 5) << "mirrored from the left";
}

TEST(FrameLayout, ButtonImagesFollowActivation) {
  TDataSkinSysButton b = Button(0, 1, 20, 2, 80, 4);
  EXPECT_EQ(CaptionButtonImage(b, true), 1);
  EXPECT_EQ(CaptionButtonImage(b, false), 4);
  b.FrameCount = 3;
  EXPECT_EQ(CaptionButtonImage(b, false), 1) << "no inactive image to show";
}

TEST(FrameLayout, TitlePlacementForEachAlignmentAndClip) {
  TDataSkinTitle t;
  t.LeftWidth = 12;   // TextShift
  t.TopHeight = 3;    // TextShiftVert
  t.RightWidth = 40;  // TextRightClip
  t.TXTBackleft = 5;
  t.TXTBackRight = 7;
  const TSkinRect title{4, 0, 304, 24};  // 300 wide
  t.TextAlignment = 0;
  TSkinRect r = TitleTextPlacement(t, title, 100, 14, false, false, 0);
  EXPECT_EQ(r, (TSkinRect{16, 6, 128, 20})) << "shifted, background ends included, centred plus half the shift";
  t.TextAlignment = 1;
  r = TitleTextPlacement(t, title, 100, 14, false, false, 0);
  EXPECT_EQ(r.Left, 4 + (300 - 112) / 2);
  t.TextAlignment = 2;
  r = TitleTextPlacement(t, title, 100, 14, false, false, 0);
  EXPECT_EQ(r.Left, 4 + 300 - 40 - 112);
  EXPECT_EQ(r.Right, 304 - 40);
  t.TextAlignment = 7;
  EXPECT_EQ(TitleTextPlacement(t, title, 100, 14, false, false, 0).Left, 4);
  t.TextAlignment = 0;
  EXPECT_EQ(TitleTextPlacement(t, title, 100, 14, true, false, 0).Left, 4 + 300 - 40 - 112)
      << "right to left is always right-aligned";
  r = TitleTextPlacement(t, title, 400, 14, false, false, 0);
  EXPECT_EQ(r.Right, 304 - 40) << "clipped at the right";
  r = TitleTextPlacement(t, title, 400, 14, false, true, 200);
  EXPECT_EQ(r.Right, 195) << "a popup clips before its right buttons";
  r = TitleTextPlacement(t, title, 100, 14, false, true, 0);
  EXPECT_EQ(r.Right, 128) << "a popup without right-anchored buttons keeps its title";
  t.TopHeight = -3;
  EXPECT_EQ(TitleTextPlacement(t, title, 100, 15, false, false, 0).Top, 4 + (-1)) << "each half towards zero";
}

TEST(FrameLayout, ClientRectangleAndHitCodes) {
  const TFrameMetrics m{4, 24, 6, 5};
  EXPECT_EQ(FrameClientRect(100, 50, 300, 200, m, 0), (TSkinRect{104, 74, 394, 245}));
  EXPECT_EQ(FrameClientRect(-300, -20, 300, 200, m, 19), (TSkinRect{-296, 23, -6, 175}))
      << "a window left of and above the primary monitor";
  EXPECT_EQ(FrameHitCode(2, 24), 0);
  EXPECT_EQ(FrameHitCode(4, 24), 2);
  EXPECT_EQ(FrameHitCode(24, 24), 2);
  EXPECT_EQ(FrameHitCode(25, 24), 5);
}

TEST(FrameLayout, MessageBoxesWidenToTheirCaption) {
  TDataSkinTitle t;
  t.LeftWidth = 10;
  t.RightWidth = 20;
  t.TXTBackleft = 3;
  t.TXTBackRight = 4;
  const TFrameMetrics m{5, 22, 6, 5};
  // (30 + 7) * 4 + 5 + 6 + 10 + 20 + 3 + 4 = 196
  EXPECT_EQ(MessageBoxWidth(150, 30, 4, m, t), 196);
  EXPECT_EQ(MessageBoxWidth(250, 30, 4, m, t), 250) << "a box that fits stays";
  EXPECT_TRUE(IsMessageBoxClass("#32770"));
  EXPECT_TRUE(IsMessageBoxClass("TMessageForm"));
  EXPECT_FALSE(IsMessageBoxClass("tmessageform"));
}

}  // namespace
}  // namespace pellamy
