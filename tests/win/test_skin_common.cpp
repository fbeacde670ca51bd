// The skinned glyph buttons, bars, up-downs and tabs on real windows under
// Wine, with a skin made here whose every state image has a colour of its
// own and whose geometry is not ours: the class each control gets, the
// pixels of each state reached by real input, what the class library does
// for the skin (windowless paint, windows made again, control colours), and
// everything given back on unskinning.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <string>

#include "gui/controls/Buttons.h"
#include "gui/controls/ComCtrls.h"
#include "gui/controls/ExtCtrls.h"
#include "gui/controls/Spin.h"
#include "gui/controls/StdCtrls.h"
#include "gui/controls/Tabs.h"
#include "gui/forms/Forms.h"
#include "skin/controls/SkinUpDown.h"
#include "skin/hooks/SkinWindows.h"
#include "support_app.h"
#include "support_skin.h"
#include "support_target.h"

namespace pellamy::test {
namespace {

constexpr std::uint32_t kFace = 0xAABBCC;  // ButtonFace=170,187,204
constexpr std::uint32_t kButton[5] = {0x4080C0, 0xC08040, 0x808080, 0x40C080, 0x202020};
constexpr std::uint32_t kEdges[3] = {0x6040A0, 0xA04060, 0x40A060};
constexpr std::uint32_t kProgress[2] = {0x303090, 0x90C030};
constexpr std::uint32_t kThumb[5] = {0xD02020, 0x20D020, 0x2020D0, 0xD0D020, 0x20D0D0};
constexpr std::uint32_t kArrows[8] = {0x112233, 0x445566, 0x778899, 0xAABB00, 0x221133, 0x554466, 0x887799, 0xBBAA00};
constexpr std::uint32_t kTabs[5] = {0x804020, 0x208040, 0x402080, 0x808020, 0x208080};
constexpr std::uint32_t kPage = 0x556677;
constexpr std::uint32_t kGlyph[2] = {0xE0E000, 0x00E0E0};

Bytes CommonSkin(bool withElements) {
  std::string ini =
      "[TitlebarSkin]\r\nSkinName=Common\r\n"
      "[Personality]\r\nLeft=l.bmp\r\nRight=l.bmp\r\nTop=t.bmp\r\nBottom=l.bmp\r\n"
      "[Colours]\r\nButtonFace=170,187,204\r\nButtonText=1,2,3\r\nButtonShadow=90,90,90\r\n"
      "[Buttons]\r\nBitmap=button.bmp\r\nLeftWidth=2\r\nRightWidth=2\r\nTopHeight=2\r\nBottomHeight=2\r\nTrans=0\r\n";
  std::vector<TSkinEntry> entries;
  entries.push_back({"button.bmp", Strip(12, 12, {kButton[0], kButton[1], kButton[2], kButton[3], kButton[4]}, false)});
  if (withElements) {
    ini +=
        "[StatusBarEdges]\r\nImage=edges.bmp\r\nLeftWidth=2\r\nRightWidth=2\r\nTopHeight=2\r\nBottomHeight=2\r\n"
        "NormalColour2=250,250,250\r\n"
        "[Progress]\r\nBitmap=progress.bmp\r\nStyle=0\r\nLeftWidth=2\r\nRightWidth=2\r\nTopHeight=2\r\n"
        "BottomHeight=2\r\nTrans=1\r\n"
        "[Trackbar.ThumbHorz]\r\nImage=thumb.bmp\r\nTrans=0\r\n"
        "[UpDown.Vert]\r\nImage=updown.bmp\r\nLeftWidth=2\r\nRightWidth=2\r\nTopHeight=2\r\nBottomHeight=2\r\n"
        "Trans=0\r\n"
        "[Tabs]\r\nImage=tabs.bmp\r\nBorder=page.bmp\r\nLeftWidth=3\r\nRightWidth=3\r\nTopHeight=3\r\n"
        "BottomHeight=3\r\nTrans=0\r\n";
    entries.push_back({"edges.bmp", Strip(9, 9, {kEdges[0], kEdges[1], kEdges[2]}, false)});
    entries.push_back({"progress.bmp", Strip(10, 8, {kProgress[0], kProgress[1]}, false)});
    entries.push_back({"thumb.bmp", Strip(11, 21, {kThumb[0], kThumb[1], kThumb[2], kThumb[3], kThumb[4]}, false)});
    entries.push_back(
        {"updown.bmp",
         Strip(15, 10, {kArrows[0], kArrows[1], kArrows[2], kArrows[3], kArrows[4], kArrows[5], kArrows[6], kArrows[7]},
               false)});
    entries.push_back({"tabs.bmp", Strip(20, 18, {kTabs[0], kTabs[1], kTabs[2], kTabs[3], kTabs[4]}, false)});
    entries.push_back({"page.bmp", Strip(12, 12, {kPage}, false)});
  }
  entries.insert(entries.begin(), {"skin.ini", Text(ini)});
  entries.push_back({"l.bmp", Strip(4, 8, {0x224466}, false)});
  entries.push_back({"t.bmp", Strip(8, 20, {0x446688}, true)});
  return PackSkin(entries);
}

TBitmap Glyph() {
  // Two pictures of 16 x 16, up and disabled; the top-left pixel's colour
  // (a corner of magenta) is left out.
  TBitmap glyph(32, 16);
  TCanvas& c = glyph.Canvas();
  for (int i = 0; i < 2; ++i) {
    c.Brush().SetColor(static_cast<TColor>(((kGlyph[i] & 0xFF) << 16) | (kGlyph[i] & 0xFF00) | (kGlyph[i] >> 16)));
    c.FillRect({i * 16, 0, i * 16 + 16, 16});
  }
  SetPixel(c.Handle(), 0, 0, RGB(255, 0, 255));
  return glyph;
}

class TCommonForm : public TForm {
 public:
  explicit TCommonForm(const std::string& skinFile) : TForm(nullptr) {
    BeginLoading();
    SetText("Common controls");
    SetBorderStyle(bsSingle);
    SetClientSize(520, 330);
    SetBounds(80, 60, Width(), Height());
    BitBtn = Add<TBitBtn>(this, 10, 10, 100, 30);
    BitBtn->SetText("Rip");
    BitBtn->SetGlyph(Glyph());
    BitBtn->SetNumGlyphs(2);
    BitBtn->OnClick = [this](TComponent*) { ++BitClicks; };
    Speed = Add<TSpeedButton>(this, 120, 10, 60, 30);
    Speed->SetText("Go");
    Speed->OnClick = [this](TComponent*) { ++SpeedClicks; };
    Grouped = Add<TSpeedButton>(this, 190, 10, 60, 30);
    Grouped->SetText("Wav");
    Grouped->SetGroupIndex(1);
    Grouped->SetDown(true);
    Flat = Add<TSpeedButton>(this, 260, 10, 60, 30);
    Flat->SetText("Flat");
    Flat->SetFlat(true);
    Progress = Add<TProgressBar>(this, 10, 50, 200, 18);
    Progress->SetRange(0, 100);
    Progress->SetPosition(50);
    Track = Add<TTrackBar>(this, 10, 76, 200, 32);
    Track->SetMax(10);
    Track->SetPosition(5);
    Buddy = Add<TEdit>(this, 230, 50, 60, 22);
    Arrows = Add<TUpDown>(this, 290, 50, 16, 22);
    Arrows->SetMin(0);
    Arrows->SetMax(20);
    Arrows->SetPosition(5);
    Arrows->SetAssociate(Buddy);
    Spin = Add<TSpinEdit>(this, 320, 50, 80, 22);
    Pages = Add<TPageControl>(this, 10, 116, 240, 100);
    for (const char* caption : {"One", "Two"}) {
      auto* sheet = new TTabSheet(this);
      sheet->SetCaption(caption);
      sheet->SetPageControl(Pages);
      Sheets.push_back(sheet);
    }
    Pages->SetActivePage(Sheets[0]);
    TabSet = Add<TTabSet>(this, 260, 116, 240, 22);
    TabSet->SetTabs({"Disc", "Tracks", "Tags"});
    TabSet->SetTabIndex(1);
    Panel = Add<TPanel>(this, 260, 150, 240, 60);
    Panel->SetColor(clWhite);
    Check = Add<TCheckBox>(Panel, 8, 8, 220, 20);
    Check->SetText("On a panel");
    Status = Add<TStatusBar>(this, 0, 0, 0, 0);
    Status->AddPanel(150);
    Status->AddPanel(150);
    Skin = new TSkinData(this);
    Skin->SetActive(true);
    Skin->SetSkinFile(skinFile);
    EndLoading();
  }
  template <class T>
  T* Add(TWinControl* parent, int x, int y, int w, int h) {
    auto* c = new T(this);
    c->SetParent(parent);
    if (w > 0) c->SetBounds(x, y, w, h);
    return c;
  }
  TBitBtn* BitBtn;
  TSpeedButton *Speed, *Grouped, *Flat;
  TProgressBar* Progress;
  TTrackBar* Track;
  TEdit* Buddy;
  TUpDown* Arrows;
  TSpinEdit* Spin;
  TPageControl* Pages;
  std::vector<TTabSheet*> Sheets;
  TTabSet* TabSet;
  TPanel* Panel;
  TCheckBox* Check;
  TStatusBar* Status;
  TSkinData* Skin;
  int BitClicks = 0, SpeedClicks = 0;
};

class SkinCommonControls : public SkinnedFormTest<TCommonForm> {
 protected:
  TWinSkinForm* Open(bool withElements = true) {
    file = SkinFile("pellamy-common", CommonSkin(withElements));
    TWinSkinForm* frame = Show(new TCommonForm(file));
    // Away from every control, so that none starts hot.
    MouseToScreen(5, 5);
    return frame;
  }
  // A pixel of a window as it paints now, in window coordinates.
  std::uint32_t PixelOf(HWND window, int x, int y) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME | RDW_ALLCHILDREN);
    Pump(60);
    return Peek(window, x, y);
  }
  std::uint32_t PixelOf(TWinControl* control, int x, int y) { return PixelOf(control->Handle(), x, y); }
  // A windowless control's pixel, from its parent's client area.
  std::uint32_t PixelOf(TControl* control, int x, int y) {
    HWND parent = control->Parent()->Handle();
    RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump(60);
    HDC dc = GetDC(parent);
    const COLORREF c = GetPixel(dc, control->Left() + x, control->Top() + y);
    ReleaseDC(parent, dc);
    return Rgb(c);
  }
  void MouseToScreen(int x, int y) {
    SetCursorPos(x, y);
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
    Pump(120);
  }
  void MouseTo(TControl* control, int x, int y) {
    POINT p = control->ClientToScreen({x, y});
    MouseToScreen(p.x, p.y);
  }
  void Press() {
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    Pump(150);
  }
  void Release() {
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    Pump(150);
  }

  std::string file;
};

TEST_F(SkinCommonControls, EachKindGetsItsClass) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(ClassOf(frame, form->BitBtn), "TSkinBitButton");
  EXPECT_EQ(ClassOf(frame, form->Speed), "TSkinSpeedButton");
  EXPECT_EQ(ClassOf(frame, form->Progress), "TSkinProgress");
  EXPECT_EQ(ClassOf(frame, form->Track), "TSkinTrackBar");
  EXPECT_EQ(ClassOf(frame, form->Arrows), "TSkinUpDown");
  EXPECT_EQ(ClassOf(frame, form->Pages), "TSkinTab");
  EXPECT_EQ(ClassOf(frame, form->TabSet), "TSkinTab31");
  EXPECT_EQ(ClassOf(frame, form->Status), "TSkinStatusBar");
  EXPECT_EQ(ClassOf(frame, form->Spin), "TSkinEdit");
  PixelOf(form->Spin, 2, 2);
  auto* spinArrows = dynamic_cast<TSkinUpDown*>(ObjectOn(frame, form->Spin->UpDownHandle()));
  ASSERT_NE(spinArrows, nullptr) << "the spin edit's arrows are skinned with it";
  EXPECT_TRUE(spinArrows->InSpinEdit);
  EXPECT_FALSE(form->Status->SizeGrip()) << "the frame sizes the window, not a grip";
}

TEST_F(SkinCommonControls, GlyphButtonsShowTheirStatesAndClickOnRelease) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  form->Check->SetFocus();
  EXPECT_EQ(PixelOf(form->BitBtn, 3, 3), kButton[0]);
  // The glyph, centred with its caption, on the face; its corner colour
  // left out.
  bool sawGlyph = false;
  for (int x = 4; x < 60 && !sawGlyph; ++x) sawGlyph = PixelOf(form->BitBtn, x, 15) == kGlyph[0];
  EXPECT_TRUE(sawGlyph) << "the up picture of the glyph";
  MouseTo(form->BitBtn, 90, 15);
  EXPECT_EQ(PixelOf(form->BitBtn, 3, 3), kButton[3]) << "hot";
  Press();
  EXPECT_EQ(PixelOf(form->BitBtn, 3, 3), kButton[1]) << "pressed";
  EXPECT_EQ(form->BitClicks, 0);
  Release();
  EXPECT_EQ(form->BitClicks, 1);
  form->BitBtn->SetEnabled(false);
  EXPECT_EQ(PixelOf(form->BitBtn, 3, 3), kButton[2]);
  sawGlyph = false;
  for (int x = 4; x < 60 && !sawGlyph; ++x) sawGlyph = PixelOf(form->BitBtn, x, 15) == kGlyph[1];
  EXPECT_TRUE(sawGlyph) << "the disabled picture";

  // Windowless speed buttons, painted through the library's paint message.
  EXPECT_EQ(PixelOf(static_cast<TControl*>(form->Speed), 3, 3), kButton[0]);
  EXPECT_EQ(PixelOf(static_cast<TControl*>(form->Grouped), 3, 3), kButton[1]) << "a down button looks pressed";
  EXPECT_EQ(PixelOf(static_cast<TControl*>(form->Flat), 3, 3), kFace) << "a flat button shows no face at rest";
  MouseTo(form->Flat, 30, 15);
  EXPECT_EQ(PixelOf(static_cast<TControl*>(form->Flat), 3, 3), kButton[3]) << "until the pointer is over it";
  MouseTo(form->Speed, 30, 15);
  EXPECT_EQ(PixelOf(static_cast<TControl*>(form->Flat), 3, 3), kFace);
  EXPECT_EQ(PixelOf(static_cast<TControl*>(form->Speed), 3, 3), kButton[3]);
  Press();
  EXPECT_EQ(PixelOf(static_cast<TControl*>(form->Speed), 3, 3), kButton[1]);
  Release();
  EXPECT_EQ(form->SpeedClicks, 1);
  form->Speed->SetEnabled(false);
  EXPECT_EQ(PixelOf(static_cast<TControl*>(form->Speed), 3, 3), kButton[2]);
}

TEST_F(SkinCommonControls, BarsAreDrawnFromTheirElements) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  // Status panels: the lowered image, the last panel to the bar's end.
  const int h = form->Status->Height();
  EXPECT_EQ(PixelOf(form->Status, 20, h / 2 - 4), kEdges[0]);
  EXPECT_EQ(PixelOf(form->Status, form->Status->Width() - 4, h / 2), kEdges[0]);
  // Progress: the fill over its share, the track beyond.
  EXPECT_EQ(PixelOf(form->Progress, 50, 9), kProgress[1]);
  EXPECT_EQ(PixelOf(form->Progress, 150, 9), kProgress[0]);
  form->Progress->SetPosition(90);
  EXPECT_EQ(PixelOf(form->Progress, 150, 9), kProgress[1]);
  form->Progress->SetPosition(0);
  EXPECT_EQ(PixelOf(form->Progress, 5, 9), kProgress[0]);
  // Track bar: the thumb from the plain image (no pointed one in this
  // skin), pressed while the mouse holds it.
  RECT thumb{};
  SendMessageW(form->Track->Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const int cx = (thumb.left + thumb.right) / 2, cy = (thumb.top + thumb.bottom) / 2;
  form->Check->SetFocus();
  EXPECT_EQ(PixelOf(form->Track, cx, cy), kThumb[0]);
  EXPECT_EQ(PixelOf(form->Track, thumb.left, cy), 0x5A5A5A) << "an opaque thumb has a shadow outline";
  MouseTo(form->Track, cx, cy);
  Press();
  EXPECT_EQ(PixelOf(form->Track, cx, cy), kThumb[1]);
  MouseTo(form->Track, 190, cy);
  Release();
  EXPECT_GT(form->Track->Position(), 5) << "the thumb still drags";
  form->Track->SetEnabled(false);
  SendMessageW(form->Track->Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  EXPECT_EQ(PixelOf(form->Track, (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2), kThumb[2]);
}

TEST_F(SkinCommonControls, UpDownArrowsFollowThePointerAndStillStep) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(PixelOf(form->Arrows, 8, 3), kArrows[0]);
  EXPECT_EQ(PixelOf(form->Arrows, 8, 18), kArrows[4]);
  MouseTo(form->Arrows, 8, 5);
  EXPECT_EQ(PixelOf(form->Arrows, 8, 3), kArrows[3]) << "the upper arrow hot";
  EXPECT_EQ(PixelOf(form->Arrows, 8, 18), kArrows[4]);
  MouseTo(form->Arrows, 8, 16);
  EXPECT_EQ(PixelOf(form->Arrows, 8, 3), kArrows[0]);
  EXPECT_EQ(PixelOf(form->Arrows, 8, 18), kArrows[7]) << "the lower arrow hot";
  Press();
  EXPECT_EQ(PixelOf(form->Arrows, 8, 18), kArrows[5]) << "pressed";
  Release();
  EXPECT_EQ(form->Arrows->Position(), 4) << "a click on the lower arrow steps down";
  // The system tells of the pointer leaving a little later.
  MouseToScreen(5, 5);
  EXPECT_TRUE(PumpUntil([&] { return PixelOf(form->Arrows, 8, 18) == kArrows[4]; }, 3000))
      << "not hot once the pointer left";
  // The spin edit's own arrows wear the same images.
  HWND spin = form->Spin->UpDownHandle();
  RECT r;
  GetClientRect(spin, &r);
  EXPECT_EQ(PixelOf(spin, r.right / 2, 2), kArrows[0]);
  form->Arrows->SetEnabled(false);
  EXPECT_EQ(PixelOf(form->Arrows, 8, 3), kArrows[2]);
  EXPECT_EQ(PixelOf(form->Arrows, 8, 18), kArrows[6]);
}

TEST_F(SkinCommonControls, TabHeadsAndPagesComeFromTheTabsElement) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  form->Check->SetFocus();
  HWND pages = form->Pages->Handle();
  RECT first{}, second{};
  SendMessageW(pages, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  SendMessageW(pages, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
  EXPECT_EQ(PixelOf(form->Pages, first.left + 3, first.top + 3), kTabs[1]) << "the selected head";
  EXPECT_EQ(PixelOf(form->Pages, second.left + 3, second.top + 3), kTabs[0]);
  EXPECT_EQ(PixelOf(form->Pages, form->Pages->Width() - 2, form->Pages->Height() - 2), kPage) << "the page border";
  MouseTo(form->Pages, (second.left + second.right) / 2, (second.top + second.bottom) / 2);
  EXPECT_EQ(PixelOf(form->Pages, second.left + 3, second.top + 3), kTabs[3]) << "hot";
  Press();
  Release();
  EXPECT_EQ(form->Pages->ActivePage(), form->Sheets[1]) << "a click still turns the page";
  // Now selected and focused.
  EXPECT_EQ(PixelOf(form->Pages, second.left + 3, second.top + 3), kTabs[4]);
  EXPECT_EQ(PixelOf(form->Pages, first.left + 3, first.top + 4), kTabs[0]);
  // The tab set's heads hang from its top edge.
  const RECT set = form->TabSet->TabRect(1), other = form->TabSet->TabRect(0);
  EXPECT_EQ(PixelOf(form->TabSet, (set.left + set.right) / 2, 6), kTabs[1]);
  EXPECT_EQ(PixelOf(form->TabSet, other.left + 4, 6), kTabs[0]);
  MouseTo(form->TabSet, other.left + 6, 8);
  Press();
  Release();
  EXPECT_EQ(form->TabSet->TabIndex(), 0);
  EXPECT_EQ(PixelOf(form->TabSet, other.left + 4, 6), kTabs[4]) << "selected with the focus";
}

TEST_F(SkinCommonControls, APageControlMadeAgainKeepsItsSkin) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  form->Check->SetFocus();
  const HWND before = form->Pages->Handle();
  form->Pages->SetMultiLine(true);
  HWND pages = form->Pages->Handle();
  ASSERT_NE(pages, before) << "the library made its window again";
  EXPECT_NE(ObjectOn(frame, pages), nullptr);
  RECT first{};
  SendMessageW(pages, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  EXPECT_EQ(PixelOf(form->Pages, first.left + 3, first.top + 3), kTabs[1]) << "the selected head";
}

TEST_F(SkinCommonControls, AnEditMadeAgainKeepsItsSkin) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  const HWND before = form->Buddy->Handle();
  ASSERT_NE(ObjectOn(frame, before), nullptr);
  const std::uint32_t border = PixelOf(form->Buddy, 0, 0);
  RecreateWnd(*form->Buddy);
  const HWND edit = form->Buddy->Handle();
  ASSERT_NE(edit, before) << "the library made its window again";
  TSkinControl* skin = ObjectOn(frame, edit);
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->State, scAttached);
  EXPECT_EQ(PixelOf(form->Buddy, 0, 0), border) << "the skin's border";
}

TEST_F(SkinCommonControls, TheLibraryKeepsSkinnedControlsWhole) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  // A setter that makes the window anew: the new window is skinned at once.
  HWND before = form->Status->Handle();
  form->Status->SetSizeGrip(true);
  ASSERT_NE(form->Status->Handle(), before);
  TSkinControl* bar = ObjectOn(frame, form->Status->Handle());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->State, scAttached);
  EXPECT_EQ(PixelOf(form->Status, 20, form->Status->Height() / 2 - 4), kEdges[0]);
  // The recoloured panel's check box answers its colour messages with the
  // colour it takes from the panel: the skin's face.
  EXPECT_EQ(form->Check->Color(), static_cast<TColor>(0xCCBBAA));
  EXPECT_EQ(PixelOf(form->Check, form->Check->Width() - 3, 10), kFace);
  // A windowless button that goes while skinned takes its skin object's
  // hook with it; the frame frees the object on its next pass.
  const auto speedObjects = [&] {
    int n = 0;
    for (TSkinControl* s : frame->SkinControls()) n += s->ClassName() == "TSkinSpeedButton" ? 1 : 0;
    return n;
  };
  ASSERT_EQ(speedObjects(), 3);
  delete form->Flat;
  form->Flat = nullptr;
  frame->SkinChildControls(form);
  EXPECT_EQ(speedObjects(), 2) << "no skin object left without its control";
  for (TSkinControl* s : frame->SkinControls()) EXPECT_NE(s->State, scDestroyed);
  PixelOf(form->Handle(), 10, 10);
  // Without a skin, an edit given a colour shows it.
  form->Skin->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return SkinWindows()->FindSkinForm(form->Handle()) == nullptr; }));
  EXPECT_EQ(PixelOf(form->Check, form->Check->Width() - 3, 10), 0xFFFFFFu) << "back on the white panel";
  form->Buddy->SetColor(clYellow);
  EXPECT_EQ(PixelOf(form->Buddy, form->Buddy->Width() - 5, 11), 0xFFFF00u);
}

TEST_F(SkinCommonControls, UnskinningGivesEveryControlBackAndReskinsLeaveNoHandles) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  PixelOf(form->Handle(), 10, 10);
  const auto counts = LiveHandleCounts();
  const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  for (int i = 0; i < 100; ++i) {
    form->Skin->SetSkinFile(file);
    SkinManager->DoPendingAction();
    if (i % 25 == 0) PixelOf(form->Handle(), 10, 10);
  }
  PixelOf(form->Handle(), 10, 10);
  const auto now = LiveHandleCounts();
  for (int k = 0; k < kHandleKinds; ++k) EXPECT_EQ(now[k], counts[k]) << HandleKindName(static_cast<THandleKind>(k));
  EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi + 4);
  EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user + 2);
  form->Skin->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return SkinWindows()->FindSkinForm(form->Handle()) == nullptr; }));
  EXPECT_NE(PixelOf(form->Progress, 50, 9), kProgress[1]);
  EXPECT_NE(PixelOf(form->Status, 20, form->Status->Height() / 2 - 4), kEdges[0]);
  EXPECT_NE(PixelOf(form->Arrows, 8, 3), kArrows[0]);
  EXPECT_NE(PixelOf(static_cast<TControl*>(form->Speed), 3, 3), kButton[0]);
  MouseTo(form->Speed, 30, 15);
  Press();
  Release();
  EXPECT_EQ(form->SpeedClicks, 1) << "the speed button works on its own";
}

TEST_F(SkinCommonControls, WithoutTheirElementsControlsKeepTheirOwnLook) {
  TWinSkinForm* frame = Open(false);
  ASSERT_NE(frame, nullptr);
  HWND pages = form->Pages->Handle();
  RECT first{};
  SendMessageW(pages, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  const std::uint32_t head = PixelOf(form->Pages, first.left + 3, first.top + 3);
  for (std::uint32_t c : kTabs) EXPECT_NE(head, c);
  EXPECT_NE(PixelOf(form->Progress, 50, 9), kProgress[1]);
  EXPECT_NE(PixelOf(form->Progress, 50, 9), kFace) << "the system's bar, not an empty face";
  // The status bar keeps a skinned ground with 3-D frames: no image needed.
  EXPECT_EQ(PixelOf(form->Status, 20, form->Status->Height() / 2), kFace);
}

}  // namespace
}  // namespace pellamy::test
