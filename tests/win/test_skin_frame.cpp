// The skinned frame on real windows under Wine, with a skin made here of
// other geometry and colours than ours (uneven borders, a tiled caption with
// transparent corners, buttons placed by every Align, a centred title
// without a background), and with our own skin on the main window.
#include <windows.h>
// commctrl.h and shlobj.h need windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GalleryMdi.h"
#include "SkinPack.h"
#include "app/MainUnit.h"
#include "gui/forms/Application.h"
#include "gui/forms/Forms.h"
#include "gui/forms/Menus.h"
#include "imaging/BmpFormat.h"
#include "ripper/DeviceIo.h"
#include "ripper/DriveScan.h"
#include "ripper/VirtualCdDeviceIo.h"
#include "skin/hooks/SkinWindows.h"
#include "support_app.h"
#include "support_skin.h"
#include "support_target.h"

namespace pellamy::test {
namespace {

// Colours (0x00RRGGBB) that say which piece or state a pixel came from.
constexpr std::uint32_t kLeftActive = 0x208040, kLeftInactive = 0x104020;
constexpr std::uint32_t kRightActive = 0x2040A0, kBottomActive = 0xA04020;
constexpr std::uint32_t kTopActive = 0x603080, kTopInactive = 0x301840;
constexpr std::uint32_t kCloseStates[4] = {0xE00000, 0x00E000, 0x0000E0, 0xE0E000};
constexpr std::uint32_t kMinStates[4] = {0xC04000, 0x00C040, 0x4000C0, 0xC0C0C0};
constexpr std::uint32_t kMaxStates[4] = {0x800000, 0x008000, 0x000080, 0x808000};
constexpr std::uint32_t kMenuBorder = 0x30C0C0;

// Frame widths of the test skin: left 7, caption 30, right 3, bottom 4.
constexpr int kLeft = 7, kTop = 30, kRight = 3, kBottom = 4;

const char* kDescription =
    "[TitlebarSkin]\r\nSkinName=Other Geometry\r\n"
    "[Personality]\r\nLeft=l.bmp\r\nRight=r.bmp\r\nTop=t.bmp\r\nBottom=b.bmp\r\n"
    "LeftFrame=2\r\nRightFrame=1\r\nTopFrame=2\r\nBottomFrame=1\r\n"
    "LeftTopHeight=0\r\nLeftBotHeight=0\r\nRightTopHeight=0\r\nRightBotHeight=0\r\n"
    "TopTopHeight=0\r\nTopBotHeight=0\r\nBottomTopHeight=0\r\nBottomBotHeight=0\r\n"
    "LeftStretch=1\r\nRightStretch=1\r\nTopStretch=0\r\nBottomStretch=1\r\n"
    "LeftTrans=0\r\nRightTrans=0\r\nTopTrans=1\r\nBottomTrans=0\r\n"
    "TextShift=0\r\nTextRightClip=0\r\nTextAlignment=1\r\nTXTBackleft=0\r\nTXTBackRight=0\r\n"
    "[Colours]\r\nButtonFace=200,190,170\r\nTitleTextActive=255,255,255\r\nTitleTextNoActive=128,128,128\r\n"
    "[ButtonClose]\r\nAction=0\r\nAlign=0\r\nXcoord=6\r\nYcoord=5\r\nVisibility=0\r\nVisibility1=0\r\nframe=4\r\n"
    "ButtonImage=close.bmp\r\n"
    "[ButtonMinimize]\r\nAction=2\r\nAlign=1\r\nXcoord=30\r\nYcoord=6\r\nVisibility=8\r\nVisibility1=0\r\nframe=4\r\n"
    "ButtonImage=min.bmp\r\n"
    "[ButtonMaximize]\r\nAction=1\r\nAlign=2\r\nXcoord=4\r\nYcoord=6\r\nVisibility=2\r\nVisibility1=6\r\nframe=4\r\n"
    "ButtonImage=max.bmp\r\n"
    "[ButtonIcon]\r\nAction=3\r\nAlign=3\r\nXcoord=4\r\nYcoord=7\r\nVisibility=0\r\nVisibility1=0\r\n"
    "[MenuBackground]\r\nImage=menu.bmp\r\nLeftWidth=4\r\nTopHeight=4\r\nRightWidth=4\r\nBottomHeight=4\r\n";

// The test skin, its description edited: each pair replaces text, or adds
// to the end when the text to replace is empty; leftCorners gives the left
// piece magenta corners.
using TEdits = std::vector<std::pair<std::string, std::string>>;
Bytes TestSkin(const TEdits& edits = {}, bool leftCorners = false) {
  std::string description = kDescription;
  for (const auto& [from, to] : edits) {
    const std::size_t at = from.empty() ? std::string::npos : description.find(from);
    if (from.empty())
      description += to;
    else if (at != std::string::npos)
      description.replace(at, from.size(), to);
  }
  return PackSkin(
      {{"skin.ini", Text(description)},
       {"l.bmp", Strip(kLeft, 20, {kLeftActive, kLeftInactive}, false, leftCorners)},
       {"r.bmp", Strip(kRight, 20, {kRightActive}, false)},
       {"t.bmp", Strip(12, kTop, {kTopActive, kTopInactive}, true, true)},
       {"b.bmp", Strip(20, kBottom, {kBottomActive}, true)},
       {"close.bmp", Strip(16, 16, {kCloseStates[0], kCloseStates[1], kCloseStates[2], kCloseStates[3]}, false)},
       {"min.bmp", Strip(14, 14, {kMinStates[0], kMinStates[1], kMinStates[2], kMinStates[3]}, false)},
       {"max.bmp", Strip(14, 14, {kMaxStates[0], kMaxStates[1], kMaxStates[2], kMaxStates[3]}, false)},
       {"menu.bmp", Strip(12, 12, {kMenuBorder}, false)}});
}

// A form that carries its skin data as the main window does: made while the
// form loads, with the stored settings in their order.
class TSkinnedForm : public TForm {
 public:
  TSkinnedForm(TComponent* owner, const std::string& skinFile, bool withMenu = false,
               TSkinFormType type = TSkinFormType::sfMainform)
      : TForm(owner) {
    BeginLoading();
    SetText("A skinned test form");
    if (withMenu) {
      auto* menu = new TMainMenu(this);
      auto* file = new TMenuItem(this);
      file->SetCaption("&File");
      menu->Items()->Add(file);
      auto* exit = new TMenuItem(this);
      exit->SetCaption("E&xit");
      file->Add(exit);
      SetMenu(menu);
    }
    SetBorderStyle(bsSingle);
    SetClientSize(300, 200);
    SetBounds(200, 150, Width(), Height());
    Skin = new TSkinData(this);
    Skin->SetActive(true);
    Skin->SetSkinFile(skinFile);
    Skin->SetSkinFormtype(type);
    EndLoading();
  }
  TSkinData* Skin;
};

class SkinFrame : public SkinnedFormTest<TSkinnedForm> {
 protected:
  void SetUp() override {
    SkinnedFormTest::SetUp();
    skinFile = SkinFile("pellamy-frame", TestSkin());
  }

  // The form shown and skinned by its first activation.
  TWinSkinForm* Open(const std::string& file = {}, bool withMenu = false) {
    // The pointer away from where the window comes: a button under it would
    // be hot, and a hot button's picture is made when it first shows.
    SetCursorPos(1200, 1000);
    TWinSkinForm* frame = Show(new TSkinnedForm(nullptr, file.empty() ? skinFile : file, withMenu));
    if (frame != nullptr && !PumpUntil([&] { return frame->Query().Active; })) return nullptr;
    return frame;
  }
  // A variant of the test skin, removed with the fixture.
  std::string Variant(const TEdits& edits, bool leftCorners = false) {
    return SkinFile("pellamy-frame-variant", TestSkin(edits, leftCorners));
  }
  // An MDI frame of the test skin, skinned, with one child skinned too.
  TWinSkinForm* OpenMdi(TForm*& child, TWinSkinForm** childFrame = nullptr) {
    form = new TSkinnedForm(nullptr, skinFile);
    form->SetFormStyle(fsMDIForm);
    form->SetBounds(100, 100, 500, 400);
    TWinSkinForm* frame = Show(form);
    child = NewMdiChild("Child", 10);
    TWinSkinForm* f = WaitForFrame(child->Handle(), false);
    if (childFrame != nullptr) *childFrame = f;
    return f != nullptr ? frame : nullptr;
  }
  TForm* NewMdiChild(const std::string& caption, int at) const {
    auto* child = new TForm(form);
    child->SetText(caption);
    child->SetBounds(at, at, 200, 150);
    child->SetFormStyle(fsMDIChild);
    child->Show();
    return child;
  }

  // Mouse messages as the window gets them, at points of the window.
  LRESULT Send(UINT msg, WPARAM hit, POINT windowPoint) const {
    const POINT p = Screen(windowPoint.x, windowPoint.y);
    return SendMessageW(form->Handle(), msg, hit, MAKELPARAM(p.x, p.y));
  }
  // Takes a message the frame posted to the window, so it does not run.
  bool TakePosted(UINT msg) const {
    MSG m;
    return PeekMessageW(&m, form->Handle(), msg, msg, PM_REMOVE) != FALSE;
  }
  static POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  static RECT ButtonBounds(TWinSkinForm& frame, int action) {
    frame.PaintFrame();
    return frame.Query().Button(action).Bounds;
  }
  bool RegionHas(int x, int y) const {
    UniqueRgn region(CreateRectRgn(0, 0, 0, 0));
    return GetWindowRgn(form->Handle(), region.get()) != ERROR && PtInRegion(region.get(), x, y);
  }

  RECT WindowRect() const {
    RECT r;
    GetWindowRect(form->Handle(), &r);
    return r;
  }
  POINT Screen(int x, int y) const {
    const RECT r = WindowRect();
    return {r.left + x, r.top + y};
  }
  // The frame as it paints, read back from a DIB of the window's size.
  TPixelImage Painted(TWinSkinForm& frame) const {
    const RECT r = WindowRect();
    TDibTarget target(r.right - r.left, r.bottom - r.top);
    frame.PaintFrame(target.Dc());
    return target.Area(0, 0, r.right - r.left, r.bottom - r.top);
  }
  void MouseTo(POINT p) const {
    SetCursorPos(p.x, p.y);
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
    Pump(150);
  }

  std::string skinFile;
};

TEST_F(SkinFrame, TheWindowGrowsByTheSkinsFrameAndKeepsItsClient) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr) << "skinned at its first activation";
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
  const RECT r = WindowRect();
  EXPECT_EQ(r.right - r.left, 300 + kLeft + kRight);
  EXPECT_EQ(r.bottom - r.top, 200 + kTop + kBottom);
  POINT origin{0, 0};
  ClientToScreen(form->Handle(), &origin);
  EXPECT_EQ(origin.x - r.left, kLeft);
  EXPECT_EQ(origin.y - r.top, kTop);
  EXPECT_EQ(GetWindowLongPtrW(form->Handle(), GWL_STYLE) & WS_CAPTION, 0) << "the caption is the skin's";
  EXPECT_EQ(SendMessageW(form->Handle(), kSkinnedQuery, 0, 0), 1);
  EXPECT_EQ(form->Color(), RGB(200, 190, 170)) << "the form takes the skin's face colour";

  // The form's own setters do not bring the system caption back.
  form->SetBorderIcons(biSystemMenu | biMinimize | biMaximize);
  form->SetBorderStyle(bsSingle);
  EXPECT_EQ(GetWindowLongPtrW(form->Handle(), GWL_STYLE) & WS_CAPTION, 0);
  form->SetClientSize(320, 210);
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 210);
}

TEST_F(SkinFrame, TheRegionLeavesOutTheCaptionsMagentaCorners) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  UniqueRgn region(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(GetWindowRgn(form->Handle(), region.get()), ERROR);
  EXPECT_FALSE(PtInRegion(region.get(), kLeft + 1, 1)) << "the top piece's corner is transparent";
  EXPECT_TRUE(PtInRegion(region.get(), kLeft + 5, 5));
  EXPECT_TRUE(PtInRegion(region.get(), 1, 1)) << "the left piece has no transparency";
  EXPECT_TRUE(PtInRegion(region.get(), kLeft + 150, kTop + 100)) << "the client";
}

TEST_F(SkinFrame, PiecesButtonsAndTitleWhereTheSkinPutsThem) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  SendMessageW(form->Handle(), WM_NCACTIVATE, TRUE, 0);
  const TPixelImage shot = Painted(*frame);
  const int w = shot.Width, h = shot.Height;
  EXPECT_EQ(Pixel(shot, 2, h / 2), kLeftActive);
  EXPECT_EQ(Pixel(shot, w - 2, h / 2), kRightActive);
  EXPECT_EQ(Pixel(shot, w / 2, h - 2), kBottomActive);
  EXPECT_EQ(Pixel(shot, kLeft + 36 + 1, 2), kMagenta) << "tiled: every 12 pixels a corner of the tile";
  EXPECT_EQ(Pixel(shot, kLeft + 24 + 5, 20), kTopActive);

  // Align 0: from the left edge; Align 1: from the right; 2 and 3 beside the
  // title, which is centred.
  const TFrameQuery painted = frame->Query();
  const auto bounds = [&](int action) { return painted.Button(action).Bounds; };
  EXPECT_EQ(bounds(0).left, 6);
  EXPECT_EQ(bounds(0).top, 5);
  EXPECT_EQ(Pixel(shot, 6 + 8, 5 + 8), kCloseStates[0]);
  EXPECT_EQ(bounds(2).left, w - 30);
  EXPECT_EQ(Pixel(shot, w - 30 + 7, 6 + 7), kMinStates[0]);
  const int textMiddle = (painted.TextRect.Left + painted.TextRect.Right) / 2;
  EXPECT_NEAR(textMiddle, kLeft + (w - kLeft - kRight) / 2, 1) << "centred title";
  EXPECT_EQ(bounds(1).right, painted.TextRect.Left - 4) << "maximise left of the title";
  EXPECT_EQ(Pixel(shot, bounds(1).left + 7, 6 + 7), kMaxStates[0]);
  EXPECT_EQ(bounds(3).left, painted.TextRect.Right + 4) << "the icon right of the title";

  SendMessageW(form->Handle(), WM_NCACTIVATE, FALSE, 0);
  const TPixelImage inactive = Painted(*frame);
  EXPECT_EQ(Pixel(inactive, 2, h / 2), kLeftInactive);
  EXPECT_EQ(Pixel(inactive, kLeft + 24 + 5, 20), kTopInactive);
  EXPECT_EQ(Pixel(inactive, 6 + 8, 5 + 8), kCloseStates[3]) << "the inactive image";
}

TEST_F(SkinFrame, HoverPressAndReleaseByTheMouse) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  const RECT minBounds = ButtonBounds(*frame, 2);
  ASSERT_GT(minBounds.right, minBounds.left);
  const auto min = [&] { return frame->Query().Button(2); };
  const RECT r = WindowRect();
  const POINT centre{r.left + (minBounds.left + minBounds.right) / 2, r.top + (minBounds.top + minBounds.bottom) / 2};
  // The button as the window shows it now.
  const auto shown = [&] {
    HDC dc = GetWindowDC(form->Handle());
    const COLORREF c = GetPixel(dc, centre.x - r.left, centre.y - r.top);
    ReleaseDC(form->Handle(), dc);
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  };
  MouseTo(centre);
  EXPECT_TRUE(PumpUntil([&] { return min().State == TButtonState::Hot; })) << "hot";
  EXPECT_TRUE(min().Hot);
  EXPECT_EQ(shown(), kMinStates[2]) << "image 3 under the mouse";
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return min().State == TButtonState::Pressed; })) << "pressed";
  EXPECT_EQ(shown(), kMinStates[1]) << "image 2 while pressed";
  EXPECT_FALSE(IsIconic(form->Handle())) << "nothing before the release";
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return IsIconic(form->Handle()) != FALSE; })) << "minimised on release";
  ShowWindow(form->Handle(), SW_RESTORE);
  EXPECT_TRUE(PumpUntil([&] { return IsIconic(form->Handle()) == FALSE; }));
  MouseTo({r.left + 150, r.top + 150});
  EXPECT_TRUE(PumpUntil([&] { return !min().Hot; }, 1000)) << "the hover timer lets go";
}

TEST_F(SkinFrame, CloseButtonAndDoubleClickOnTheIcon) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  // The icon's first click opens the system menu; a second within the
  // double-click time closes the window.
  const RECT icon = ButtonBounds(*frame, 3);
  const POINT p = Screen((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
  MouseTo(p);
  // The menu is ended once it shows, so the second click comes after it.
  static bool menuEnded = false;
  menuEnded = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    if (FindThreadWindow(L"#32768", nullptr) == nullptr) return;
    KillTimer(nullptr, id);
    EndMenu();
    menuEnded = true;
  });
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  const bool shown = PumpUntil([] { return menuEnded; }, 2000);
  if (!shown) KillTimer(nullptr, timer);
  ASSERT_TRUE(shown) << "the first click opens the system menu";
  ASSERT_TRUE(IsWindowVisible(form->Handle()));
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(form->Handle()); }, 2000)) << "closed by the double click";
}

TEST_F(SkinFrame, MaximisedByItsButtonAndRestoredByADoubleClickOnTheCaption) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  const RECT max = ButtonBounds(*frame, 1);
  ASSERT_GT(max.right, max.left) << "shown while the window is not maximised";
  const RECT before = WindowRect();
  MouseTo(Screen((max.left + max.right) / 2, (max.top + max.bottom) / 2));
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsZoomed(form->Handle()) != FALSE; })) << "maximised";
  EXPECT_EQ(frame->Query().ShowState, TShowState::Maximized);
  EXPECT_EQ(ButtonBounds(*frame, 1).right, 0) << "Visibility 2: only while not maximised";
  // A maximised window's caption cannot drag it; a double click restores.
  SendMessageW(form->Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION,
               MAKELPARAM(WindowRect().left + 100, WindowRect().top + 10));
  ASSERT_TRUE(PumpUntil([&] { return IsZoomed(form->Handle()) == FALSE; })) << "restored";
  const RECT after = WindowRect();
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST_F(SkinFrame, HitTestingTakesSignedPoints) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  // Left of and above the primary monitor, as on a second screen there.
  SetWindowPos(form->Handle(), nullptr, -600, -400, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT r = WindowRect();
  ASSERT_LT(r.left, 0);
  const auto hit = [&](int x, int y) {
    return SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.left + x, r.top + y));
  };
  EXPECT_EQ(hit(kLeft + 60, 15), HTCAPTION);
  EXPECT_EQ(hit(kLeft + 100, kTop + 50), HTCLIENT);
}

TEST_F(SkinFrame, UnskinningGivesBackSizeStylesAndRegion) {
  form = new TSkinnedForm(nullptr, skinFile);
  // The window's own size and styles, before the skin fits it as it is
  // first shown.
  const RECT before = WindowRect();
  const LONG_PTR style = GetWindowLongPtrW(form->Handle(), GWL_STYLE);
  ASSERT_NE(style & WS_CAPTION, 0);
  ASSERT_NE(Show(form), nullptr);
  form->Skin->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return SkinWindows()->FindSkinForm(form->Handle()) == nullptr; }));
  const RECT after = WindowRect();
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  EXPECT_EQ(GetWindowLongPtrW(form->Handle(), GWL_STYLE) & WS_CAPTION, style & WS_CAPTION);
  UniqueRgn region(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(GetWindowRgn(form->Handle(), region.get()), ERROR) << "no region left";
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
  EXPECT_NE(SendMessageW(form->Handle(), kSkinnedQuery, 0, 0), 1);
}

TEST_F(SkinFrame, AHundredReskinsGiveBackEveryHandle) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  const std::string rip = SkinFile("pellamy-frame", TestSkin());
  const auto counts = LiveHandleCounts();
  for (int i = 0; i < 100; ++i) {
    form->Skin->SetSkinFile(i % 2 == 0 ? rip : skinFile);
    SkinManager->DoPendingAction();
    frame->PaintFrame();
  }
  Pump(100);
  const auto now = LiveHandleCounts();
  for (int i = 0; i < kHandleKinds; ++i) EXPECT_EQ(now[i], counts[i]) << HandleKindName(static_cast<THandleKind>(i));
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 300) << "the client stays through every reskin";
}

// A plain dialog: skinned on activation, its background the face colour,
// gone from the list once destroyed.
INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_CLOSE) {
    DestroyWindow(dialog);
    return TRUE;
  }
  return FALSE;
}

HWND PlainDialog(HWND owner, const wchar_t* caption,
                 DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE) {
  struct alignas(4) {
    DLGTEMPLATE tmpl;
    WORD menu, cls;
    wchar_t title[64];
  } t{};
  t.tmpl.style = style;
  t.tmpl.cx = 120;
  t.tmpl.cy = 60;
  wcsncpy(t.title, caption, 63);
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &t.tmpl, owner, &PlainDialogProc, 0);
}

TEST_F(SkinFrame, DialogsAndMessageBoxesWearTheSkinAndAHundredComeAndGo) {
  ASSERT_NE(Open(), nullptr);
  const auto counts = LiveHandleCounts();
  for (int i = 0; i < 100; ++i) {
    HWND dialog = PlainDialog(form->Handle(), L"Plain dialog");
    ASSERT_NE(dialog, nullptr);
    SetForegroundWindow(dialog);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageW(dialog, kSkinnedQuery, 0, 0) == 1; }, 2000)) << i;
    if (i == 0) {
      // The caption stays (the dialog has an owner); the frame is the skin's.
      RECT window, client;
      PumpUntil([&] {
        GetWindowRect(dialog, &window);
        GetClientRect(dialog, &client);
        return (window.right - window.left) - client.right == kLeft + kRight &&
               (window.bottom - window.top) - client.bottom == kTop + kBottom;
      });
      EXPECT_EQ((window.right - window.left) - client.right, kLeft + kRight);
      EXPECT_EQ((window.bottom - window.top) - client.bottom, kTop + kBottom);
    }
    DestroyWindow(dialog);
  }
  SkinWindows()->PurgeDestroyedForms();
  EXPECT_EQ(SkinWindows()->SkinForms().size(), 1u) << "only the form is left";
  const auto now = LiveHandleCounts();
  for (int k = 0; k < kHandleKinds; ++k) EXPECT_EQ(now[k], counts[k]) << HandleKindName(static_cast<THandleKind>(k));

  // A message box whose caption is wider than its text is widened to it.
  static HWND seen = nullptr;
  static int width = 0;
  static bool skinned = false;
  seen = nullptr;
  SetTimer(nullptr, 0, 400, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindThreadWindow(L"#32770", L"A message box with a caption much wider than the text it shows");
    if (box == nullptr) return;
    KillTimer(nullptr, id);
    seen = box;
    skinned = SendMessageW(box, kSkinnedQuery, 0, 0) == 1;
    RECT r;
    GetWindowRect(box, &r);
    width = r.right - r.left;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  const wchar_t* caption = L"A message box with a caption much wider than the text it shows";
  MessageBoxW(form->Handle(), L"Hi", caption, MB_OK);
  ASSERT_NE(seen, nullptr);
  EXPECT_TRUE(skinned);
  EXPECT_GE(width, static_cast<int>(wcslen(caption) + 7) * 3) << "at least the caption in spaces";
}

TEST_F(SkinFrame, ThePopupMenuBorderIsTheSkins) {
  ASSERT_NE(Open(), nullptr);
  static bool subclassed = false;
  static std::uint32_t corner = 0, inner = 0;
  subclassed = false;
  SetTimer(nullptr, 0, 400, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindThreadWindow(L"#32768", nullptr);
    if (menu == nullptr) return;
    KillTimer(nullptr, id);
    subclassed = SkinWindows()->IsPopupWindowSkinned(menu);
    RedrawWindow(menu, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    HDC dc = GetWindowDC(menu);
    const COLORREF c = GetPixel(dc, 1, 1), i = GetPixel(dc, 10, 10);
    ReleaseDC(menu, dc);
    corner = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    inner = (GetRValue(i) << 16) | (GetGValue(i) << 8) | GetBValue(i);
    EndMenu();
  });
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING, 1, L"First item of the popup");
  AppendMenuW(popup, MF_STRING, 2, L"Second item");
  POINT p = Screen(60, 80);
  TrackPopupMenu(popup, TPM_LEFTALIGN, p.x, p.y, 0, form->Handle(), nullptr);
  DestroyMenu(popup);
  EXPECT_TRUE(subclassed) << "the hook saw the menu window made";
  EXPECT_EQ(corner, kMenuBorder) << "the border from MenuBackground";
  EXPECT_NE(inner, kMenuBorder) << "the items are the menu's own";
}

TEST_F(SkinFrame, TheFolderPickerIsSkinned) {
  ASSERT_NE(Open(), nullptr);
  static bool skinned = false;
  skinned = false;
  SetTimer(nullptr, 0, 500, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND picker = FindThreadWindow(L"#32770", L"Browse for Folder");
    if (picker == nullptr) return;
    KillTimer(nullptr, id);
    skinned = SendMessageW(picker, kSkinnedQuery, 0, 0) == 1;
    PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
  });
  BROWSEINFOW info{};
  info.hwndOwner = form->Handle();
  info.lpszTitle = L"Pick";
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen != nullptr) CoTaskMemFree(chosen);
  EXPECT_TRUE(skinned);
}

TEST_F(SkinFrame, FormsTaggedNinetyNineAndTheApplicationWindowStayPlain) {
  form = new TSkinnedForm(nullptr, skinFile);
  form->SetTag(99);
  form->Show();
  SetForegroundWindow(form->Handle());
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == form->Handle(); }));
  EXPECT_EQ(SkinWindows()->FindSkinForm(form->Handle()), nullptr);
  EXPECT_FALSE(SkinManager->AddWindow(App().Handle())) << "the hidden application window";
}

TEST_F(SkinFrame, MdiChildrenGetFramesOfTheirOwn) {
  TForm* child = nullptr;
  TWinSkinForm* childFrame = nullptr;
  TWinSkinForm* frame = OpenMdi(child, &childFrame);
  ASSERT_NE(frame, nullptr) << "the frame's client hands a new child to the manager";
  EXPECT_EQ(frame->Role(), TMdiRole::Frame);
  EXPECT_EQ(SkinManager->MdiClient, form->ClientHandle());
  EXPECT_EQ(childFrame->Role(), TMdiRole::Child);
  EXPECT_EQ(SkinManager->CountMdiChildren(), 1);
  RECT window, client;
  GetWindowRect(child->Handle(), &window);
  GetClientRect(child->Handle(), &client);
  EXPECT_EQ((window.right - window.left) - client.right, kLeft + kRight);
  EXPECT_EQ((window.bottom - window.top) - client.bottom, kTop + kBottom);

  // Maximised as its skin's button does it: the child fills the frame's
  // client with its caption out of sight, and comes back skinned.
  PostMessageW(child->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsZoomed(child->Handle()) != FALSE; }));
  RECT area;
  GetClientRect(form->ClientHandle(), &area);
  EXPECT_TRUE(PumpUntil([&] {
    GetClientRect(child->Handle(), &client);
    return client.right == area.right && client.bottom == area.bottom;
  })) << "fills the client: "
      << client.right << "x" << client.bottom;
  POINT origin{0, 0};
  MapWindowPoints(child->Handle(), form->ClientHandle(), &origin, 1);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0) << "the caption lies above the client";
  EXPECT_FALSE(childFrame->Query().WearsFrame);
  EXPECT_TRUE(frame->CaptionContext().ActiveMdiChildMaximized);
  PostMessageW(child->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsZoomed(child->Handle()) == FALSE; }));
  EXPECT_FALSE(frame->CaptionContext().ActiveMdiChildMaximized);
  EXPECT_EQ(GetWindowLongPtrW(child->Handle(), GWL_STYLE) & WS_CAPTION, 0) << "the skin's caption again";
  EXPECT_TRUE(childFrame->Query().WearsFrame);
  GetWindowRect(child->Handle(), &window);
  GetClientRect(child->Handle(), &client);
  EXPECT_EQ((window.bottom - window.top) - client.bottom, kTop + kBottom);
  delete child;
  SkinWindows()->PurgeDestroyedForms();
  EXPECT_EQ(SkinManager->CountMdiChildren(), 0) << "a child's frame goes with it";
}

TEST_F(SkinFrame, TheGallerysTrackListsBothWearTheSkin) {
  // As the gallery opens them: the second made at once after the first,
  // each merging its menu into the frame's bar.
  ASSERT_NE(Open(), nullptr);
  auto* mdi = new gallery::TGalleryMdiForm(form);
  mdi->Show();
  ASSERT_NE(WaitForFrame(mdi->Handle()), nullptr);
  TForm* lists[] = {mdi->NewChild(), mdi->NewChild()};
  for (TForm* list : lists) {
    TWinSkinForm* now = SkinWindows()->FindSkinForm(list->Handle());
    EXPECT_TRUE(now != nullptr && now->Query().WearsFrame) << list->Text() << " as it is made";
    TWinSkinForm* f = WaitForFrame(list->Handle(), false);
    ASSERT_NE(f, nullptr) << list->Text();
    EXPECT_TRUE(PumpUntil([&] { return f->Query().WearsFrame; })) << list->Text();
    EXPECT_EQ(GetWindowLongPtrW(list->Handle(), GWL_STYLE) & WS_CAPTION, 0) << list->Text();
    RECT window, client;
    GetWindowRect(list->Handle(), &window);
    GetClientRect(list->Handle(), &client);
    EXPECT_EQ((window.bottom - window.top) - client.bottom, kTop + kBottom) << list->Text();
    // And the screen shows it: the skin's caption, not the system's.
    EXPECT_TRUE(PumpUntil([&] {
      const std::uint32_t c = Peek(list->Handle(), kLeft + 24 + 5, 20);
      return c == kTopActive || c == kTopInactive;
    })) << list->Text()
        << std::hex << " " << Peek(list->Handle(), kLeft + 24 + 5, 20);
  }
}

TEST_F(SkinFrame, OnlyThePressedButtonActsOnRelease) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  const POINT close = Centre(ButtonBounds(*frame, 0));
  const struct {
    POINT Down;
    bool Closes;
    const char* What;
  } rows[] = {{Centre(ButtonBounds(*frame, 2)), false, "pressed on minimise"},
              {{kLeft + 60, 15}, false, "pressed on the bare caption"},
              {close, true, "pressed on close"}};
  for (const auto& row : rows) {
    Send(WM_NCLBUTTONDOWN, HTNOWHERE, row.Down);
    Send(WM_NCMOUSEMOVE, HTNOWHERE, close);
    Send(WM_NCLBUTTONUP, HTNOWHERE, close);
    EXPECT_EQ(TakePosted(WM_CLOSE), row.Closes) << row.What;
    EXPECT_FALSE(TakePosted(WM_SYSCOMMAND)) << row.What;
  }
}

TEST_F(SkinFrame, ADoubleClickMaximisesOnlyOnTheCaption) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  const RECT r = WindowRect();
  const int w = r.right - r.left, h = r.bottom - r.top;
  const struct {
    WPARAM Hit;
    POINT At;
    bool Maximises;
  } rows[] = {{HTLEFT, {2, h / 2}, false},
              {HTBOTTOM, {w / 2, h - 2}, false},
              {HTMENU, {w / 2, kTop + 2}, false},
              {HTCAPTION, {kLeft + 60, 15}, true}};
  for (const auto& row : rows) {
    Send(WM_NCLBUTTONDBLCLK, row.Hit, row.At);
    EXPECT_EQ(TakePosted(WM_SYSCOMMAND), row.Maximises) << "hit " << row.Hit;
  }
}

TEST_F(SkinFrame, AnExtraCaptionButtonsClickReachesTheWindow) {
  // A button of an action the frame has no use for, left of the title.
  TWinSkinForm* frame = Open(Variant({{"",
                                       "[ButtonExtra]\r\nAction=30\r\nAlign=0\r\nXcoord=26\r\nYcoord=5\r\n"
                                       "Visibility=0\r\nVisibility1=0\r\nframe=4\r\nButtonImage=close.bmp\r\n"}}));
  ASSERT_NE(frame, nullptr);
  static WPARAM heard = 0;
  heard = 0;
  form->AddWindowHook(&heard, [](TMessage& m, const TWndMethod& next) {
    if (m.Msg == kSkinnedQuery && m.LParam == 0 && m.WParam != 0) heard = m.WParam;
    next(m);
  });
  const POINT extra = Centre(ButtonBounds(*frame, 30));
  ASSERT_GT(extra.x, 0) << "the extra button is shown";
  Send(WM_NCLBUTTONDOWN, HTCAPTION, extra);
  Send(WM_NCLBUTTONUP, HTCAPTION, extra);
  EXPECT_TRUE(PumpUntil([] { return heard == 30; })) << "the window hears of the button's action";
  form->RemoveWindowHook(&heard);
}

TEST_F(SkinFrame, TheRegionFollowsMaximisingAndResizing) {
  // Transparent corners on the left piece too: the region is read from the
  // pieces, never from what the screen showed.
  TWinSkinForm* frame = Open(Variant({{"LeftTrans=0", "LeftTrans=1"}}, true));
  ASSERT_NE(frame, nullptr);
  ASSERT_FALSE(RegionHas(kLeft + 1, 1)) << "the caption's corner";
  ASSERT_FALSE(RegionHas(1, 1)) << "the left piece's corner";
  const RECT normal = WindowRect();
  SetWindowPos(form->Handle(), nullptr, 0, 0, normal.right - normal.left, normal.bottom - normal.top + 40,
               SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(PumpUntil([&] { return !RegionHas(1, 1) && RegionHas(kLeft + 150, kTop + 220); }))
      << "a resize that keeps the width keeps the corners cut";

  ShowWindow(form->Handle(), SW_MAXIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return IsZoomed(form->Handle()) != FALSE; }));
  const RECT r = WindowRect();
  EXPECT_TRUE(PumpUntil([&] { return RegionHas(r.right - r.left - 2, r.bottom - r.top - 2); }))
      << "the maximised window's whole size, not its former rectangle";
  EXPECT_FALSE(RegionHas(1, 1));
}

TEST_F(SkinFrame, AReskinOfEqualFrameWidthsTakesTheNewShape) {
  ASSERT_NE(Open(), nullptr);
  const std::string square = Variant({{"TopTrans=1", "TopTrans=0"}});
  const struct {
    std::string File;
    bool CornerShown;
  } rows[] = {{square, true}, {skinFile, false}};
  for (const auto& row : rows) {
    form->Skin->SetSkinFile(row.File);
    SkinManager->DoPendingAction();
    EXPECT_EQ(RegionHas(kLeft + 1, 1), row.CornerShown) << row.File;
  }
}

TEST_F(SkinFrame, TheMdiButtonsKeepClearOfTheBarsRightEnd) {
  TWinSkinForm* frame = Open(
      Variant({{"Bottom=b.bmp\r\n", "Bottom=b.bmp\r\nmenuBar=menu.bmp\r\nTileLeftMenu=2\r\nTileRightMenu=5\r\n"}}));
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->CaptionContext().MenuBarEndWidth, 5) << "the bar's right end, where those buttons sit";
}

TEST_F(SkinFrame, ANewSkinShowsWithItsButtonsBeforeTheTimedReskin) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  const std::size_t buttons = frame->Query().Buttons.size();
  form->Skin->SetSkinFile(Variant({{"Xcoord=6", "Xcoord=40"}}));
  // The reskin is still due: what paints now is the new skin whole.
  EXPECT_EQ(ButtonBounds(*frame, 0).left, 40);
  EXPECT_EQ(frame->Query().Buttons.size(), buttons);
}

TEST_F(SkinFrame, ADialogsSystemMenuIsTheSkins) {
  ASSERT_NE(Open(), nullptr);
  HWND dialog = PlainDialog(form->Handle(), L"Plain dialog");
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(WaitForFrame(dialog), nullptr);
  static bool seen = false;
  static UINT type = 0;
  seen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindThreadWindow(L"#32768", nullptr);
    if (menu == nullptr) return;
    KillTimer(nullptr, id);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0)), 0, TRUE, &item);
    type = item.fType;
    seen = true;
    EndMenu();
  });
  RECT r;
  GetWindowRect(dialog, &r);
  SendMessageW(dialog, WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(r.left + 60, r.top + 10));
  if (!seen) KillTimer(nullptr, timer);
  ASSERT_TRUE(seen) << "a menu showed";
  EXPECT_NE(type & MFT_OWNERDRAW, 0u) << "the skin's, not the system's";
  DestroyWindow(dialog);
}

TEST_F(SkinFrame, AReskinLeavesOtherSkinDatasFramesTheirButtons) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  auto other = std::make_unique<TSkinnedForm>(nullptr, Variant({}), false, TSkinFormType::sfOnlyThisForm);
  other->Show();
  TWinSkinForm* otherFrame = WaitForFrame(other->Handle());
  ASSERT_NE(otherFrame, nullptr);
  ASSERT_EQ(otherFrame->Skin(), other->Skin);
  const std::size_t buttons = otherFrame->Query().Buttons.size();
  ASSERT_GT(buttons, 0u);
  form->Skin->SetSkinFile(Variant({{"TopTrans=1", "TopTrans=0"}}));
  SkinManager->DoPendingAction();
  EXPECT_EQ(otherFrame->Query().Buttons.size(), buttons);
  EXPECT_GT(frame->Query().Buttons.size(), 0u) << "the changed skin's frame has its new buttons";
}

TEST_F(SkinFrame, ATimedUnskinWaitsForTheFramesMenuLoop) {
  TWinSkinForm* frame = Open({}, true);
  ASSERT_NE(frame, nullptr);
  ASSERT_NE(frame->SkinMenuBar, nullptr);
  // "No skin", then the bar's drop-down opened before the unskin is due,
  // and kept open past that time.
  static TSkinnedForm* shown = nullptr;
  static DWORD opened = 0;
  shown = form;
  opened = 0;
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    if (FindThreadWindow(L"#32768", nullptr) == nullptr) return;
    if (opened == 0) {
      opened = GetTickCount();
      shown->Skin->SetActive(false);
    } else if (GetTickCount() - opened > 4 * TSkinManage::kActionInterval) {
      KillTimer(nullptr, id);
      EndMenu();
    }
  });
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
  ASSERT_NE(opened, 0u) << "the drop-down showed";
  EXPECT_TRUE(PumpUntil([&] { return SkinWindows()->FindSkinForm(form->Handle()) == nullptr; }))
      << "unskinned once the loop is over";
  EXPECT_EQ(GetWindowLongPtrW(form->Handle(), GWL_STYLE) & WS_CAPTION, WS_CAPTION);
}

TEST_F(SkinFrame, ACaptionlessPopupHasNoRegion) {
  ASSERT_NE(Open(), nullptr);
  HWND popup = PlainDialog(form->Handle(), L"No caption", WS_POPUP | WS_VISIBLE);
  ASSERT_NE(popup, nullptr);
  SetForegroundWindow(popup);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageW(popup, kSkinnedQuery, 0, 0) == 1; }));
  SetWindowPos(popup, nullptr, 0, 0, 260, 140, SWP_NOMOVE | SWP_NOZORDER);
  UniqueRgn region(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(GetWindowRgn(popup, region.get()), ERROR);
  DestroyWindow(popup);
}

TEST_F(SkinFrame, MdiChildrenKeepTheirRectanglesThroughMaximiseAndRestore) {
  TForm* child = nullptr;
  ASSERT_NE(OpenMdi(child), nullptr);
  const auto placed = [&] {
    RECT r;
    GetWindowRect(child->Handle(), &r);
    MapWindowPoints(HWND_DESKTOP, form->ClientHandle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT before = placed();
  for (int cycle = 0; cycle < 3; ++cycle) {
    PostMessageW(child->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(PumpUntil([&] { return IsZoomed(child->Handle()) != FALSE; }));
    PostMessageW(child->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(PumpUntil([&] {
      return IsZoomed(child->Handle()) == FALSE && (GetWindowLongPtrW(child->Handle(), GWL_STYLE) & WS_CAPTION) == 0;
    }));
    const RECT after = placed();
    EXPECT_TRUE(EqualRect(&after, &before) != FALSE)
        << "cycle " << cycle << ": " << after.left << "," << after.top << " " << after.right - after.left << "x"
        << after.bottom - after.top;
  }
}

// Our own skin on the main window: its client size is exactly what it was
// unskinned, whatever the border style.
TEST(SkinnedMainWindow, KeepsItsClientSizeUnderOurSkin) {
  App();
  UseSkinWindows();
  ASSERT_TRUE(std::filesystem::exists("rip.tmp")) << "run from the program's folder";
  VirtualCdDeviceIo drive(FirstFreeDriveLetter(), MakeDemoDisc(), &PlatformDeviceIo());
  SetDeviceIo(&drive);
  auto* main = App().CreateForm<TMainForm>();
  main->Show();
  TWinSkinForm* frame = WaitForFrame(main->Handle());
  ASSERT_NE(frame, nullptr);
  RECT client, window;
  GetClientRect(main->Handle(), &client);
  GetWindowRect(main->Handle(), &window);
  EXPECT_EQ(client.right, 392);
  EXPECT_EQ(client.bottom, 378);
  const TFrameMetrics m = frame->Query().Metrics;
  EXPECT_EQ(window.right - window.left, 392 + m.Left + m.Right);
  EXPECT_EQ(window.bottom - window.top, 378 + m.Top + m.Bottom);
  EXPECT_EQ(frame->Skin()->SkinName, "Pellamy Night");
  delete main;
  FreeSkinManager();
  SetDeviceIo(nullptr);
}

}  // namespace
}  // namespace pellamy::test
