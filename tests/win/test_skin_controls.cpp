// Skinned controls on real windows under Wine, with a skin made here whose
// button states and glyphs have colours of their own: what attaches to
// which control, the push button's press and click, check and radio glyphs,
// recoloured panels, and everything given back on unskinning.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "gui/controls/ExtCtrls.h"
#include "gui/controls/StdCtrls.h"
#include "gui/controls/ToolBar.h"
#include "gui/forms/Forms.h"
#include "skin/controls/SkinBars.h"
#include "skin/hooks/SkinWindows.h"
#include "support_app.h"
#include "support_skin.h"
#include "support_target.h"

namespace pellamy::test {
namespace {

constexpr std::uint32_t kButtonStates[5] = {0x4080C0, 0xC08040, 0x808080, 0x40C080, 0x202020};
constexpr std::uint32_t kCheckStates[6] = {0x101010, 0xF01010, 0x303030, 0x505050, 0x10F010, 0x707070};
constexpr std::uint32_t kRadioStates[4] = {0x111111, 0x1111F0, 0x333333, 0x555555};
constexpr std::uint32_t kHotText = 0xF01020;

Bytes ControlSkin(bool withButtons) {
  std::string ini =
      "[TitlebarSkin]\r\nSkinName=Controls\r\n"
      "[Personality]\r\nLeft=l.bmp\r\nRight=l.bmp\r\nTop=t.bmp\r\nBottom=l.bmp\r\n"
      "[Colours]\r\nButtonFace=170,187,204\r\nButtonText=1,2,3\r\nButtonShadow=90,90,90\r\n";
  std::vector<TSkinEntry> entries;
  if (withButtons) {
    ini +=
        "[Buttons]\r\nBitmap=button.bmp\r\nLeftWidth=2\r\nRightWidth=2\r\nTopHeight=2\r\nBottomHeight=2\r\nTrans=0\r\n"
        "CheckButton=check.bmp\r\nCheckButtonFrame=6\r\nRadioButton=radio.bmp\r\nRadioButtonFrame=4\r\n"
        "MouseOverColour2=240,16,32\r\n";  // kHotText
    entries.push_back(
        {"button.bmp",
         Strip(12, 12, {kButtonStates[0], kButtonStates[1], kButtonStates[2], kButtonStates[3], kButtonStates[4]},
               false)});
    entries.push_back({"check.bmp", Strip(13, 13,
                                          {kCheckStates[0], kCheckStates[1], kCheckStates[2], kCheckStates[3],
                                           kCheckStates[4], kCheckStates[5]},
                                          false)});
    entries.push_back(
        {"radio.bmp", Strip(13, 13, {kRadioStates[0], kRadioStates[1], kRadioStates[2], kRadioStates[3]}, false)});
  }
  entries.insert(entries.begin(), {"skin.ini", Text(ini)});
  entries.push_back({"l.bmp", Strip(4, 8, {0x224466}, false)});
  entries.push_back({"t.bmp", Strip(8, 20, {0x446688}, true)});
  return PackSkin(entries);
}

class TControlsForm : public TForm {
 public:
  TControlsForm(const std::string& skinFile) : TForm(nullptr) {
    BeginLoading();
    SetText("Controls");
    SetBorderStyle(bsSingle);
    SetClientSize(320, 240);
    SetBounds(150, 120, Width(), Height());
    Button = new TButton(this);
    Button->SetParent(this);
    Button->SetBounds(10, 10, 100, 30);
    Button->SetText("Press");
    Button->OnClick = [this](TComponent*) { ++Clicks; };
    Check = new TCheckBox(this);
    Check->SetParent(this);
    Check->SetBounds(10, 50, 120, 20);
    Check->SetText("Check");
    Radio = new TRadioButton(this);
    Radio->SetParent(this);
    Radio->SetBounds(10, 80, 120, 20);
    Radio->SetText("Radio");
    Panel = new TPanel(this);
    Panel->SetParent(this);
    Panel->SetBounds(150, 10, 150, 100);
    Panel->SetColor(clWhite);
    Group = new TGroupBox(this);
    Group->SetParent(this);
    Group->SetBounds(150, 120, 160, 100);
    Group->SetText("Group");
    Group->Font().SetSize(20);
    Skipped = new TButton(this);
    Skipped->SetParent(this);
    Skipped->SetBounds(10, 120, 100, 30);
    Skipped->SetTag(199);
    Tools = new TToolBar(this);
    Tools->SetParent(this);
    Tools->SetAlign(alNone);
    Tools->SetBounds(10, 170, 130, 30);
    Tools->SetShowCaptions(true);
    for (const char* caption : {"Go", "Off"}) {
      auto* b = new TToolButton(this);
      b->SetCaption(caption);
      b->SetParent(Tools);
      (Go == nullptr ? Go : Off) = b;
    }
    Off->SetEnabled(false);
    Skin = new TSkinData(this);
    Skin->SetActive(true);
    Skin->SetSkinFile(skinFile);
    EndLoading();
  }
  TToolBar* Tools;
  TToolButton* Go = nullptr;
  TToolButton* Off = nullptr;
  TButton* Button;
  TCheckBox* Check;
  TRadioButton* Radio;
  TPanel* Panel;
  TButton* Skipped;
  TGroupBox* Group;
  TSkinData* Skin;
  int Clicks = 0;
};

class SkinControls : public SkinnedFormTest<TControlsForm> {
 protected:
  TWinSkinForm* Open(bool withButtons = true) {
    file = SkinFile("pellamy-controls", ControlSkin(withButtons));
    // The pointer stays where the last program on this display left it:
    // over a button it would make that button hot.
    SetCursorPos(5, 5);
    return Show(new TControlsForm(file));
  }
  // The control as it paints now, from its window's DC.
  std::uint32_t PixelOf(TWinControl* control, int x, int y) {
    RedrawWindow(control->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    Pump(50);
    HDC dc = GetWindowDC(control->Handle());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(control->Handle(), dc);
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }
  // The pixel once a change of state has reached the painter (focus and
  // hover arrive as messages, later on a loaded machine).
  std::uint32_t SettledPixel(TWinControl* control, int x, int y, std::uint32_t expected) {
    std::uint32_t seen = 0;
    PumpUntil([&] { return (seen = PixelOf(control, x, y)) == expected; }, 3000);
    return seen;
  }
  void MouseTo(TWinControl* control, int x, int y) {
    POINT p{x, y};
    ClientToScreen(control->Handle(), &p);
    SetCursorPos(p.x, p.y);
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
    Pump(120);
  }

  std::string file;
};

TEST_F(SkinControls, EachKindGetsItsClassAndTaggedOnesStayPlain) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  const auto classOf = [&](TComponent* c) { return ClassOf(frame, c); };
  EXPECT_EQ(classOf(form->Button), "TSkinButton");
  EXPECT_EQ(classOf(form->Check), "TSkinCheckBox");
  EXPECT_EQ(classOf(form->Radio), "TSkinRadioButton");
  EXPECT_EQ(classOf(form->Panel), "TSkinBox");
  EXPECT_EQ(classOf(form->Skipped), "") << "tag 199 with DisableTag 99";
  EXPECT_EQ(form->Panel->Color(), static_cast<TColor>(0xCCBBAA)) << "the panel stands on the face colour";
}

TEST_F(SkinControls, APressNeverReachesTheButtonAndTheClickComesOnRelease) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(SettledPixel(form->Button, 4, 15, kButtonStates[3]), kButtonStates[3])
      << "image 4: the form's first control has the focus";
  form->Check->SetFocus();
  EXPECT_EQ(SettledPixel(form->Button, 4, 15, kButtonStates[0]), kButtonStates[0]) << "image 1";
  MouseTo(form->Button, 50, 15);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  Pump(150);
  EXPECT_EQ(form->Clicks, 0) << "nothing on the press";
  EXPECT_EQ(SettledPixel(form->Button, 4, 15, kButtonStates[1]), kButtonStates[1]) << "image 2 while pressed";
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  Pump(150);
  EXPECT_EQ(form->Clicks, 1) << "one click on the release";
  EXPECT_EQ(SettledPixel(form->Button, 4, 15, kButtonStates[3]), kButtonStates[3]) << "image 4: focused and hot";
  // Pressed, dragged off and released: no click.
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  Pump(100);
  MouseTo(form->Button, 200, 150);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  Pump(150);
  EXPECT_EQ(form->Clicks, 1);
  form->Button->SetEnabled(false);
  EXPECT_EQ(SettledPixel(form->Button, 4, 15, kButtonStates[2]), kButtonStates[2]) << "image 3 when disabled";
}

TEST_F(SkinControls, GlyphsFollowTheCheckedState) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  const int y = 10;
  EXPECT_EQ(SettledPixel(form->Check, 6, y, kCheckStates[0]), kCheckStates[0]);
  form->Check->SetChecked(true);
  EXPECT_EQ(form->Check->GetPropertyText("Checked"), "True");
  EXPECT_EQ(SettledPixel(form->Check, 6, y, kCheckStates[1]), kCheckStates[1]) << "checked glyph";
  form->Check->SetEnabled(false);
  EXPECT_EQ(SettledPixel(form->Check, 6, y, kCheckStates[3]), kCheckStates[3]) << "checked and disabled: state 2 + 2";
  EXPECT_EQ(SettledPixel(form->Radio, 6, y, kRadioStates[0]), kRadioStates[0]);
  form->Radio->SetChecked(true);
  EXPECT_EQ(SettledPixel(form->Radio, 6, y, kRadioStates[1]), kRadioStates[1]);
}

TEST_F(SkinControls, WithoutAButtonsElementControlsKeepTheirOwnLook) {
  TWinSkinForm* frame = Open(false);
  ASSERT_NE(frame, nullptr);
  const std::uint32_t face = PixelOf(form->Button, 4, 15);
  for (std::uint32_t c : kButtonStates) EXPECT_NE(face, c);
  MouseTo(form->Button, 50, 15);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  Pump(200);
  EXPECT_EQ(form->Clicks, 1) << "still works";
}

TEST_F(SkinControls, UnskinningGivesBackColoursAndProceduresAndReskinsLeaveNoHandles) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  const auto counts = LiveHandleCounts();
  for (int i = 0; i < 20; ++i) {
    form->Skin->SetSkinFile(file);
    SkinManager->DoPendingAction();
    PixelOf(form->Button, 4, 15);
  }
  const auto now = LiveHandleCounts();
  for (int k = 0; k < kHandleKinds; ++k) EXPECT_EQ(now[k], counts[k]) << HandleKindName(static_cast<THandleKind>(k));
  form->Skin->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return SkinWindows()->FindSkinForm(form->Handle()) == nullptr; }));
  EXPECT_EQ(form->Panel->Color(), clWhite) << "the panel's own colour back";
  const std::uint32_t plain = PixelOf(form->Button, 4, 15);
  for (std::uint32_t c : kButtonStates) EXPECT_NE(plain, c) << "the button draws itself again";
  MouseTo(form->Button, 50, 15);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  Pump(200);
  EXPECT_EQ(form->Clicks, 1);
}

// A panel text past any fixed buffer comes back whole (the control copies all
// of it), and each drawing flag gives its own bevel.
// The skinned group box covers the control's own line, wherever the
// control's font puts it, and draws one line of its own.
TEST_F(SkinControls, TheGroupBoxCoversTheControlsOwnLineInItsFont) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  HDC screen = GetDC(nullptr);
  TEXTMETRICW metrics{};
  {
    SelectGuard select(screen, form->Group->Font().Handle());
    GetTextMetricsW(screen, &metrics);
  }
  ReleaseDC(nullptr, screen);
  const int line = metrics.tmHeight / 2 - 1, x = 130;
  EXPECT_EQ(PixelOf(form->Group, x, line), 0x5A5A5Au) << "the skin's line on the control's";
  EXPECT_EQ(PixelOf(form->Group, x, line + 1), 0xAABBCCu) << "the control's second line covered";
}

TEST(SkinStatusPanel, LongTextsComeBackWholeAndFlagsGiveTheirBevel) {
  App();
  HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_POPUP, 0, 0, 300, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(bar, nullptr);
  const struct {
    int length;
    WPARAM flags;
    int bevel;
  } cases[] = {{3000, 0, 1}, {1500, SBT_POPOUT, 2}, {10, SBT_NOBORDERS, 3}, {0, 0, 1}};
  for (const auto& c : cases) {
    const std::wstring text(static_cast<std::size_t>(c.length), L'x');
    SendMessageW(bar, SB_SETTEXTW, c.flags, reinterpret_cast<LPARAM>(text.c_str()));
    int bevel = 0;
    EXPECT_EQ(StatusPanelText(bar, 0, bevel).size(), text.size()) << c.length;
    EXPECT_EQ(bevel, c.bevel) << c.flags;
  }
  DestroyWindow(bar);
}

TEST_F(SkinControls, ToolBarButtonsTakeTheButtonsImageOfTheirState) {
  ASSERT_NE(Open(), nullptr);
  const RECT r = form->Tools->ButtonRect(form->Off);
  const POINT off{r.left + 3, r.top + 3};  // clear of the caption
  EXPECT_EQ(SettledPixel(form->Tools, off.x, off.y, kButtonStates[2]), kButtonStates[2]) << "disabled: image 3";
}

TEST_F(SkinControls, AHotToolBarButtonShowsTheHotImageAndMouseOverColour2Alone) {
  ASSERT_NE(Open(), nullptr);
  const RECT r = form->Tools->ButtonRect(form->Go);
  MouseTo(form->Tools, (r.left + r.right) / 2, r.bottom - 3);
  // Its edge too: the system's hot face or frame would lie there.
  for (const POINT p : {POINT{r.left, r.top}, POINT{r.left + 3, r.top + 3}, POINT{r.right - 1, r.bottom - 1}})
    EXPECT_EQ(SettledPixel(form->Tools, p.x, p.y, kButtonStates[3]), kButtonStates[3]) << p.x << "," << p.y;
  int hotText = 0;
  HDC dc = GetWindowDC(form->Tools->Handle());
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      hotText += GetPixel(dc, x, y) == RGB(kHotText >> 16, (kHotText >> 8) & 0xFF, kHotText & 0xFF);
  ReleaseDC(form->Tools->Handle(), dc);
  EXPECT_GT(hotText, 0) << "the caption in MouseOverColour2";
}

}  // namespace
}  // namespace pellamy::test
