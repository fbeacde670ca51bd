// The skinned menus on real windows under Wine: the bar drawn from a skin
// made here (other geometry and colours than ours) and without its MenuBar
// element, its drop-downs opened by the mouse and by Alt with a letter and
// walked by the arrows and the mouse, the items' pixels, the system menu, a
// maximised MDI child's buttons in the bar, and the gallery under our skin.
// Menus run modal loops: timers act inside them, keys come from keybd_event.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "GalleryForm.h"
#include "GalleryMdi.h"
#include "SkinPack.h"
#include "gui/forms/Application.h"
#include "gui/forms/Forms.h"
#include "gui/forms/Menus.h"
#include "gui/gdi/ImgList.h"
#include "skin/frame/SkinMenuItems.h"
#include "skin/frame/WinSkinMenu.h"
#include "skin/hooks/SkinWindows.h"
#include "support_app.h"
#include "support_skin.h"
#include "support_target.h"

namespace pellamy::test {
namespace {

// Colours (0x00RRGGBB) that say which piece a pixel came from.
constexpr std::uint32_t kBarActive = 0x306090, kBarInactive = 0x604830, kBarMark = 0xE0A020;
constexpr std::uint32_t kItemNormal = 0xD0E0C0, kItemSelected = 0x8020A0, kSeparator = 0x10A050;
constexpr std::uint32_t kMenuBorder = 0xC03030, kMenuPaper = 0xF0E8D0;
constexpr std::uint32_t kMdiStates[4] = {0x20C0C0, 0xC020C0, 0x808080, 0xC0C020};
// The skin's colours, as its description gives them.
constexpr std::uint32_t kMenubar = 0x4080C0, kMenu = 0xE0D0B0, kHilight = 0x204060;
constexpr std::uint32_t kMenuText = 0x102030, kHilightText = 0xF0F000, kShadow = 0x907050;
constexpr std::uint32_t kMenuBarText = 0xFAFAFA, kButtonHilight = 0x00F0A0;

constexpr int kItemW = 20, kItemH = 18;

std::string Rgb(std::uint32_t c) {
  return std::to_string((c >> 16) & 0xFF) + "," + std::to_string((c >> 8) & 0xFF) + "," + std::to_string(c & 0xFF);
}

std::uint32_t FromColorRef(COLORREF c) {
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// Borders of their own widths, the bar's ends 3 pixels, five item images.
std::string Description(bool menuBar, bool menuItem, int tileMenu) {
  std::string d =
      "[TitlebarSkin]\r\nSkinName=Menus\r\n"
      "[Personality]\r\nLeft=l.bmp\r\nRight=l.bmp\r\nTop=t.bmp\r\nBottom=l.bmp\r\n"
      "LeftFrame=1\r\nRightFrame=1\r\nTopFrame=1\r\nBottomFrame=1\r\n"
      "LeftStretch=1\r\nRightStretch=1\r\nTopStretch=1\r\nBottomStretch=1\r\n";
  if (menuBar)
    d += "menuBar=bar.bmp\r\nTileMenu=" + std::to_string(tileMenu) + "\r\nTileLeftMenu=3\r\nTileRightMenu=3\r\n";
  d += "[Colours]\r\nButtonFace=200,200,200\r\nMenubar=" + Rgb(kMenubar) + "\r\nMenu=" + Rgb(kMenu) +
       "\r\nHilight=" + Rgb(kHilight) + "\r\nMenuText=" + Rgb(kMenuText) + "\r\nHilightText=" + Rgb(kHilightText) +
       "\r\nButtonShadow=" + Rgb(kShadow) + "\r\nMenuBarText=" + Rgb(kMenuBarText) +
       "\r\nButtonHilight=" + Rgb(kButtonHilight) + "\r\n";
  d += "[ButtonClose]\r\nAction=0\r\nAlign=0\r\nXcoord=20\r\nYcoord=4\r\nVisibility=0\r\nVisibility1=0\r\nframe=4\r\n"
       "ButtonImage=close.bmp\r\n"
       "[ButtonIcon]\r\nAction=3\r\nAlign=3\r\nXcoord=5\r\nYcoord=4\r\nVisibility=0\r\nVisibility1=0\r\n"
       "[MDICONTROLS]\r\nImage=mdi.bmp\r\n"
       "[MenuBackground]\r\nImage=back.bmp\r\nLeftWidth=3\r\nTopHeight=3\r\nRightWidth=3\r\nBottomHeight=3\r\n";
  if (menuItem)
    d += "[MenuItem]\r\nImage=item.bmp\r\nLeftWidth=2\r\nTopHeight=2\r\nRightWidth=2\r\nBottomHeight=2\r\nTrans=1\r\n";
  return d;
}

Bytes ItemStrip() {
  TPixelImage image{kItemW * 5, kItemH, {}};
  image.Pixels.assign(static_cast<std::size_t>(image.Width) * kItemH, kMagenta);
  for (int y = 0; y < kItemH; ++y)
    for (int x = 0; x < kItemW; ++x) {
      image.Pixels[static_cast<std::size_t>(y) * image.Width + x] = kItemNormal;
      image.Pixels[static_cast<std::size_t>(y) * image.Width + 3 * kItemW + x] = kItemSelected;
      if (y >= kItemH - 2) image.Pixels[static_cast<std::size_t>(y) * image.Width + kItemW + x] = kSeparator;
    }
  return EncodeBmp24(image);
}

Bytes BackStrip() {
  TPixelImage image{12, 12, {}};
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x)
      image.Pixels.push_back(std::min({x, y, 11 - x, 11 - y}) < 3 ? kMenuBorder : kMenuPaper);
  return EncodeBmp24(image);
}

// The bar's two images, 3-pixel ends, 10 pixels between; the active one's
// top row marks the middle's right half, to tell a tiled middle from a
// stretched one.
Bytes BarStrip() {
  TPixelImage image{16, 38, {}};
  for (int y = 0; y < 38; ++y)
    for (int x = 0; x < 16; ++x)
      image.Pixels.push_back(y == 0 && x >= 8 && x < 13 ? kBarMark : y < 19 ? kBarActive : kBarInactive);
  return EncodeBmp24(image);
}

Bytes MenuSkin(bool menuBar, bool menuItem, int tileMenu = 0) {
  return PackSkin(
      {{"skin.ini", Text(Description(menuBar, menuItem, tileMenu))},
       {"l.bmp", Strip(5, 20, {0x406040}, false)},
       {"t.bmp", Strip(12, 24, {0x603060, 0x302030}, true)},
       {"close.bmp", Strip(14, 14, {0xE00000, 0x00E000, 0x0000E0, 0xE0E000}, false)},
       {"bar.bmp", BarStrip()},
       {"mdi.bmp", Strip(14, 12,
                         {kMdiStates[0], kMdiStates[1], kMdiStates[2], kMdiStates[3], kMdiStates[0], kMdiStates[1],
                          kMdiStates[2], kMdiStates[3], kMdiStates[0], kMdiStates[1], kMdiStates[2], kMdiStates[3]},
                         false)},
       {"item.bmp", ItemStrip()},
       {"back.bmp", BackStrip()}});
}

TMenuItem* Add(TComponent* owner, TMenuItem* parent, const std::string& caption, TShortCut shortCut = scNone) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->SetShortCut(shortCut);
  parent->Add(item);
  return item;
}

// A form with a bar of four buttons, the third disabled, and its skin.
class TMenuForm : public TForm {
 public:
  TMenuForm(const std::string& skinFile, bool mdi = false) : TForm(nullptr) {
    BeginLoading();
    SetText("Skinned menus");
    if (mdi) SetFormStyle(fsMDIForm);
    SetBounds(150, 120, 420, 300);
    Menu = new TMainMenu(this);
    TMenuItem* root = Menu->Items();
    File = Add(this, root, "&File");
    Open = Add(this, File, "&Open", ShortCut('O', scCtrl));
    Add(this, File, "-");
    Add(this, File, "E&xit");
    Edit = Add(this, root, "&Edit");
    Add(this, Edit, "&Undo");
    Gone = Add(this, root, "&Gone");
    Add(this, Gone, "&Nothing");
    Gone->SetEnabled(false);
    Help = Add(this, root, "&Help");
    Add(this, Help, "&About");
    SetMenu(Menu);
    Skin = new TSkinData(this);
    Skin->SetActive(true);
    Skin->SetSkinFile(skinFile);
    Skin->SetSkinFormtype(TSkinFormType::sfMainform);
    EndLoading();
  }
  TMainMenu* Menu;
  TMenuItem *File, *Open, *Edit, *Gone, *Help;
  TSkinData* Skin;
};

// What the menu loop showed, one entry per menu window that came up, and
// what the test does inside the loop when each shows.
struct TLoopScript {
  int WaitTicks = 0;  // ticks a menu shows before its step runs
  int Ticks = 0;
  bool StepDone = true;
  std::vector<HMENU> Seen;  // again when the same menu closed and came back
  HMENU Showing = nullptr;
  std::vector<std::function<void()>> Steps;  // run as the n-th menu shows
  bool TrackingSeen = false;
  TWinSkinForm* Frame = nullptr;
};
TLoopScript* gScript = nullptr;

HMENU ShownMenu() {
  HWND window = FindThreadWindow(L"#32768", nullptr);
  return window != nullptr ? reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0)) : nullptr;
}

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
  if (gScript == nullptr) return;
  TLoopScript& s = *gScript;
  HMENU shown = ShownMenu();
  const HMENU before = s.Showing;
  s.Showing = shown;
  if (shown == nullptr) return;
  if (before != shown) {
    s.Seen.push_back(shown);
    s.Ticks = 0;
    s.StepDone = false;
    if (s.Frame != nullptr && s.Frame->Tracking) s.TrackingSeen = true;
  }
  if (s.StepDone || s.Ticks++ < s.WaitTicks) return;
  s.StepDone = true;
  const std::size_t n = s.Seen.size() - 1;
  if (n < s.Steps.size())
    s.Steps[n]();
  else
    EndMenu();
}

void Key(BYTE key) {
  keybd_event(key, 0, 0, 0);
  keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

// Runs action (which enters the menu loop, or lets it come) with the script
// ticking; the loop is ended after its last step in any case.
void RunScript(TLoopScript& script, const std::function<void()>& action) {
  gScript = &script;
  const UINT_PTR timer = SetTimer(nullptr, 0, 60, &ScriptTick);
  action();
  KillTimer(nullptr, timer);
  gScript = nullptr;
}

// The same, again while the menu loop ended before its menu was seen: a window
// shown just before may still take the activation from the X server, which
// ends a menu loop, later on a loaded machine.
void RunScriptUntilSeen(TLoopScript& script, const std::function<void()>& action) {
  for (int attempt = 0; attempt < 5 && script.Seen.empty(); ++attempt) {
    App().ProcessMessages();
    RunScript(script, action);
  }
}

class SkinMenus : public SkinnedFormTest<TMenuForm> {
 protected:
  TWinSkinForm* Open(bool menuBar = true, bool menuItem = true, bool mdi = false, int tileMenu = 0) {
    SetCursorPos(1200, 1000);
    TWinSkinForm* frame = Show(new TMenuForm(SkinFile("pellamy-menus", MenuSkin(menuBar, menuItem, tileMenu)), mdi));
    if (frame != nullptr) PumpUntil([&] { return frame->Query().Active; });
    return frame;
  }
  TMenuBtn* Button(TWinSkinForm& frame, TMenuItem* item) {
    for (auto& b : frame.SkinMenuBar->Buttons)
      if (b->SubMenu == item->Handle()) return b.get();
    return nullptr;
  }
  POINT ScreenCentre(const RECT& r) const {
    RECT window;
    GetWindowRect(form->Handle(), &window);
    return {window.left + (r.left + r.right) / 2, window.top + (r.top + r.bottom) / 2};
  }
  TPixelImage Painted(TWinSkinForm& frame) const {
    RECT r;
    GetWindowRect(form->Handle(), &r);
    TDibTarget target(r.right - r.left, r.bottom - r.top);
    frame.PaintFrame(target.Dc());
    return target.Area(0, 0, r.right - r.left, r.bottom - r.top);
  }
  void Click(POINT p) {
    SetCursorPos(p.x, p.y);
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  }
};

TEST_F(SkinMenus, TheBarFromTheMenuBarElementOrFromTheMenubarColour) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(frame->SkinMenuBar);
  ASSERT_EQ(frame->SkinMenuBar->Buttons.size(), 4u);
  const TPixelImage image = Painted(*frame);
  const RECT bar = frame->SkinMenuBar->Bounds;
  EXPECT_EQ(bar.top, frame->Query().Metrics.Top);
  EXPECT_EQ(bar.bottom - bar.top, frame->Query().MenuHeight);
  // Past the last button, the bar's own image for an active window.
  EXPECT_EQ(Pixel(image, bar.right - 10, bar.top + 2), kBarActive);
  const RECT first = frame->SkinMenuBar->Buttons[0]->Bounds;
  EXPECT_EQ(first.left, bar.left + 3 + 4) << "the buttons start 4 pixels after the bar's left end";
  for (std::size_t i = 1; i < frame->SkinMenuBar->Buttons.size(); ++i)
    EXPECT_EQ(frame->SkinMenuBar->Buttons[i]->Bounds.left, frame->SkinMenuBar->Buttons[i - 1]->Bounds.right);
  // The client starts below the bar.
  RECT window;
  GetWindowRect(form->Handle(), &window);
  POINT origin{0, 0};
  ClientToScreen(form->Handle(), &origin);
  EXPECT_EQ(origin.y - window.top, bar.bottom);
  delete form;
  form = nullptr;

  frame = Open(false, true);
  ASSERT_NE(frame, nullptr);
  const TPixelImage plain = Painted(*frame);
  const RECT bar2 = frame->SkinMenuBar->Bounds;
  EXPECT_EQ(Pixel(plain, bar2.right - 10, bar2.top + 2), kMenubar) << "no MenuBar element: the Menubar colour";
  EXPECT_EQ(frame->SkinMenuBar->Buttons[0]->Bounds.left, bar2.left + 6);
}

TEST_F(SkinMenus, TheBarsMiddleIsTiledUnlessTileAsksForTheStretchedNinePartRule) {
  // Seven pixels into the middle: its marked right half when repeated at
  // its own width, still the left half when stretched along the bar.
  for (const auto& [tile, expected] : {std::pair{0, kBarMark}, std::pair{1, kBarActive}}) {
    TWinSkinForm* frame = Open(true, true, false, tile);
    ASSERT_NE(frame, nullptr);
    const RECT bar = frame->SkinMenuBar->Bounds;
    EXPECT_EQ(Pixel(Painted(*frame), bar.left + 3 + 7, bar.top), expected) << "TileMenu=" << tile;
    delete form;
    form = nullptr;
  }
}

TEST_F(SkinMenus, AHotOrOpenButtonIsFramedInButtonHilightWithItsCaptionInMenuBarText) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  TMenuBtn& file = *Button(*frame, form->File);
  for (TButtonState state : {TButtonState::Hot, TButtonState::Pressed}) {
    file.State = state;
    const TPixelImage image = Painted(*frame);
    const RECT r = file.Bounds;
    int caption = 0, lit = 0;
    for (int y = r.top + 1; y < r.bottom - 1; ++y)
      for (int x = r.left + 1; x < r.right - 1; ++x) {
        caption += Pixel(image, x, y) == kMenuBarText;
        lit += Pixel(image, x, y) == kHilightText;
      }
    EXPECT_EQ(Pixel(image, r.left, (r.top + r.bottom) / 2), kButtonHilight) << "state " << static_cast<int>(state);
    EXPECT_EQ(Pixel(image, r.right - 1, r.bottom - 1), kButtonHilight);
    EXPECT_EQ(Pixel(image, r.left + 1, r.top + 2), kBarActive) << "the bar inside the frame";
    EXPECT_GT(caption, 0);
    EXPECT_EQ(lit, 0);
  }
}

TEST_F(SkinMenus, InANarrowWindowTheCaptionsStopAtTheBarsEnd) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  SetWindowPos(form->Handle(), nullptr, 0, 0, 120, 200, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_TRUE(PumpUntil([&] { return frame->Query().FrameWidth == 120; }));
  const TPixelImage image = Painted(*frame);
  const RECT bar = frame->SkinMenuBar->Bounds;
  ASSERT_GT(frame->SkinMenuBar->Buttons.back()->Bounds.right, bar.right) << "the captions need more room";
  int past = 0;
  for (int y = bar.top; y < bar.bottom; ++y)
    for (int x = bar.right; x < image.Width; ++x) past += Pixel(image, x, y) == kMenuBarText;
  EXPECT_EQ(past, 0);
}

TEST_F(SkinMenus, ADropDownOpensByTheMouseAndByAltWithItsLetter) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  TLoopScript script;
  script.Frame = frame;
  RunScript(script, [&] {
    Click(ScreenCentre(Button(*frame, form->Edit)->Bounds));
    PumpUntil([&] { return !script.Seen.empty() && ShownMenu() == nullptr; }, 3000);
  });
  ASSERT_EQ(script.Seen.size(), 1u);
  EXPECT_EQ(script.Seen[0], form->Edit->Handle()) << "the button's drop-down";
  EXPECT_TRUE(script.TrackingSeen);
  EXPECT_FALSE(frame->Tracking);

  TLoopScript keys;
  keys.Frame = frame;
  RunScript(keys, [&] {
    SetForegroundWindow(form->Handle());
    keybd_event(VK_MENU, 0, 0, 0);
    Key('F');
    keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    PumpUntil([&] { return !keys.Seen.empty() && ShownMenu() == nullptr; }, 3000);
  });
  ASSERT_EQ(keys.Seen.size(), 1u) << "Alt+F opened a menu";
  EXPECT_EQ(keys.Seen[0], form->File->Handle());
}

TEST_F(SkinMenus, AClickOnTheOpenButtonsTitleClosesItsDropDown) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  // Each tracking of the drop-down asks its owner to fill it first.
  int opened = 0;
  form->AddWindowHook(&opened, [&](TMessage& m, const TWndMethod& next) {
    // A second one is cancelled at once.
    if (m.Msg == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(m.WParam) == form->Edit->Handle() && ++opened > 1)
      PostMessageW(form->Handle(), WM_CANCELMODE, 0, 0);
    next(m);
  });
  const POINT edit = ScreenCentre(Button(*frame, form->Edit)->Bounds);
  TLoopScript script;
  script.Frame = frame;
  // The loop ends on the press and leaves it queued, as the system's loop
  // does with a press outside its menus.
  script.Steps = {[&] {
    EndMenu();
    PostMessageW(form->Handle(), WM_NCLBUTTONDOWN, HTMENU, MAKELPARAM(edit.x, edit.y));
  }};
  RunScript(script, [&] {
    Click(edit);
    // Until the closing click has been handled, whatever it did.
    PumpUntil([&] {
      return !script.Seen.empty() && ShownMenu() == nullptr && !frame->Tracking &&
             HIWORD(GetQueueStatus(QS_MOUSEBUTTON)) == 0;
    });
  });
  form->RemoveWindowHook(&opened);
  EXPECT_EQ(opened, 1) << "closed, not opened again";
  EXPECT_FALSE(frame->Tracking);
}

TEST_F(SkinMenus, ArrowsMoveAlongTheBarAndWrapAtBothEnds) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  TLoopScript script;
  script.Frame = frame;
  // From the last button right to the first, then left back to the last.
  script.Steps = {[] { Key(VK_RIGHT); }, [] { Key(VK_LEFT); }};
  RunScript(script, [&] { frame->SkinMenuBar->OpenButtonMenu(*Button(*frame, form->Help)); });
  ASSERT_EQ(script.Seen.size(), 3u);
  EXPECT_EQ(script.Seen[0], form->Help->Handle());
  EXPECT_EQ(script.Seen[1], form->File->Handle()) << "right on the last wraps to the first";
  EXPECT_EQ(script.Seen[2], form->Help->Handle()) << "left on the first wraps to the last";
  EXPECT_FALSE(frame->Tracking);
}

TEST_F(SkinMenus, TheArrowsPassOverADisabledButton) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  TLoopScript script;
  script.Frame = frame;
  script.Steps = {[] { Key(VK_RIGHT); }, [] { Key(VK_LEFT); }};
  RunScript(script, [&] { frame->SkinMenuBar->OpenButtonMenu(*Button(*frame, form->Edit)); });
  ASSERT_EQ(script.Seen.size(), 3u);
  EXPECT_EQ(script.Seen[1], form->Help->Handle()) << "right from Edit passes Gone";
  EXPECT_EQ(script.Seen[2], form->Edit->Handle()) << "and so does left from Help";
}

TEST_F(SkinMenus, TheMouseMovingAlongTheBarSwitchesDropDowns) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  TLoopScript script;
  script.Frame = frame;
  const POINT edit = ScreenCentre(Button(*frame, form->Edit)->Bounds);
  script.Steps = {[edit] {
    SetCursorPos(edit.x, edit.y);
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
  }};
  RunScript(script, [&] { frame->SkinMenuBar->OpenButtonMenu(*Button(*frame, form->File)); });
  ASSERT_EQ(script.Seen.size(), 2u);
  EXPECT_EQ(script.Seen[0], form->File->Handle());
  EXPECT_EQ(script.Seen[1], form->Edit->Handle());
}

TEST_F(SkinMenus, ADisabledButtonPostsItsCommandAndOpensNothing) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  TMenuBtn* gone = Button(*frame, form->Gone);
  ASSERT_NE(gone, nullptr);
  EXPECT_FALSE(gone->Enabled);
  EXPECT_EQ(frame->SkinMenuBar->ButtonByAccelerator(L'g'), nullptr) << "no letter opens it";
  MSG stale;
  while (PeekMessageW(&stale, form->Handle(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
  }
  TLoopScript script;
  RunScript(script, [&] { frame->SkinMenuBar->OpenButtonMenu(*gone); });
  EXPECT_TRUE(script.Seen.empty());
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, form->Handle(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
  EXPECT_EQ(LOWORD(msg.wParam), form->Gone->Command());
  EXPECT_FALSE(frame->Tracking);
}

TEST_F(SkinMenus, AltWhileTrackingEndsIt) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  TLoopScript script;
  script.Frame = frame;
  script.Steps = {[] { Key(VK_MENU); }};
  const DWORD start = GetTickCount();
  RunScript(script, [&] { frame->SkinMenuBar->OpenButtonMenu(*Button(*frame, form->File)); });
  EXPECT_EQ(script.Seen.size(), 1u);
  EXPECT_TRUE(script.TrackingSeen);
  EXPECT_FALSE(frame->Tracking);
  EXPECT_LT(GetTickCount() - start, 2000u) << "Alt ended the loop";
}

TEST_F(SkinMenus, DropDownItemsAreTheSkinsOverThePopupsBackground) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  static std::uint32_t selected, unselected, border, below;
  selected = unselected = border = below = 0;
  TLoopScript script;
  // The first item is selected once the loop has started.
  script.WaitTicks = 5;
  script.Steps = {[] {
    HWND window = FindThreadWindow(L"#32768", nullptr);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    RECT first{}, last{}, w;
    GetMenuItemRect(nullptr, menu, 0, &first);
    GetMenuItemRect(nullptr, menu, static_cast<UINT>(GetMenuItemCount(menu) - 1), &last);
    GetWindowRect(window, &w);
    HDC dc = GetWindowDC(window);
    const auto at = [&](int x, int y) { return FromColorRef(GetPixel(dc, x - w.left, y - w.top)); };
    selected = at(first.right - 4, (first.top + first.bottom) / 2);
    unselected = at(last.right - 4, (last.top + last.bottom) / 2);
    border = at(w.left + 1, w.top + 1);
    below = at(last.right - 4, w.bottom - 2);
    ReleaseDC(window, dc);
    EndMenu();
  }};
  RunScript(script, [&] { frame->SkinMenuBar->OpenButtonMenu(*Button(*frame, form->File)); });
  EXPECT_EQ(selected, kItemSelected) << "the selected item from MenuItem's fourth image";
  EXPECT_EQ(unselected, kItemNormal) << "the others from its first";
  EXPECT_EQ(border, kMenuBorder) << "the popup's border from MenuBackground";
  EXPECT_EQ(below, kMenuBorder);
  // Once closed, the entries are no longer owner-drawn.
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(form->File->Handle(), 0, TRUE, &mii));
  EXPECT_EQ(mii.fType & MFT_OWNERDRAW, 0u);
}

// The painters straight onto a bitmap: each kind of item's pixels.
class SkinMenuPainter : public SkinMenus {
 protected:
  static constexpr int kW = 160, kH = 20;
  TPixelImage Paint(const TMenuItemLook& look, bool selected) {
    TDibTarget target(kW, kH);
    PaintMenuItem(*form->Skin, target.Dc(), {0, 0, kW, kH}, selected, look, nullptr);
    return target.Area(0, 0, kW, kH);
  }
  static int Count(const TPixelImage& image, std::uint32_t colour, int x0 = 0, int x1 = kW) {
    int n = 0;
    for (int y = 0; y < image.Height; ++y)
      for (int x = x0; x < x1; ++x) n += Pixel(image, x, y) == colour;
    return n;
  }
};

TEST_F(SkinMenuPainter, SelectedCheckedDisabledDefaultSeparatorAndShortCut) {
  ASSERT_NE(Open(), nullptr);
  TMenuItemLook plain;
  plain.Caption = L"&Item";
  const TPixelImage normal = Paint(plain, false), lit = Paint(plain, true);
  EXPECT_EQ(Pixel(normal, kW - 5, 10), kItemNormal);
  EXPECT_EQ(Pixel(lit, kW - 5, 10), kItemSelected);
  EXPECT_GT(Count(normal, kMenuText), 0) << "the caption in MenuText";
  EXPECT_GT(Count(lit, kHilightText), 0) << "selected in HilightText";
  EXPECT_EQ(Count(normal, kHilightText), 0);

  TMenuItemLook disabled = plain;
  disabled.Enabled = false;
  const TPixelImage grey = Paint(disabled, false);
  EXPECT_GT(Count(grey, kShadow), 0) << "disabled in ButtonShadow";
  EXPECT_EQ(Count(grey, kMenuText), 0);

  TMenuItemLook bold = plain;
  bold.Default = true;
  const auto inked = [](const TPixelImage& image) { return kW * kH - Count(image, kItemNormal); };
  EXPECT_GT(inked(Paint(bold, false)), inked(normal)) << "the default item is bold";

  // Checked without an image: the system's check mark in the glyph box, in
  // the caption's colour.
  TMenuItemLook checked = plain;
  checked.Checked = true;
  const int boxLeft = 1 + 2, boxRight = boxLeft + 16;
  EXPECT_GT(Count(Paint(checked, false), kMenuText, boxLeft, boxRight), 0);
  EXPECT_GT(Count(Paint(checked, true), kHilightText, boxLeft, boxRight), 0) << "selected";
  EXPECT_EQ(Count(normal, kMenuText, boxLeft, boxRight), 0);

  // Checked with an image: a sunken edge round the glyph box, the checker
  // pattern where the image is transparent, the image over it.
  TImageList images(nullptr, 16, 16);
  TBitmap glyph(16, 16);
  glyph.Canvas().Brush().SetColor(clFuchsia);
  glyph.Canvas().FillRect({0, 0, 16, 16});
  glyph.Canvas().Brush().SetColor(static_cast<TColor>(RGB(255, 0, 0)));
  glyph.Canvas().FillRect({6, 6, 10, 10});
  images.AddMasked(glyph, clFuchsia);
  TMenuItemLook pictured = plain;
  pictured.Images = &images;
  pictured.ImageIndex = 0;
  pictured.Checked = true;
  const TPixelImage withImage = Paint(pictured, false);
  EXPECT_EQ(Pixel(withImage, boxLeft + 8, 1 + 8), 0xFF0000u) << "the image";
  EXPECT_EQ(Pixel(withImage, boxLeft, 1), FromColorRef(GetSysColor(COLOR_BTNSHADOW))) << "the sunken edge";
  const std::uint32_t a = Pixel(withImage, boxLeft + 3, 3), b = Pixel(withImage, boxLeft + 4, 3);
  EXPECT_NE(a, b) << "a checker pattern";
  pictured.Checked = false;
  EXPECT_EQ(Pixel(Paint(pictured, false), boxLeft + 3, 3), kItemNormal) << "unchecked: no box";
  pictured.Enabled = false;
  EXPECT_NE(Pixel(Paint(pictured, false), boxLeft + 8, 1 + 8), 0xFF0000u) << "grayed when disabled";

  // The shortcut right-aligned, 10 pixels short of the right end.
  TMenuItemLook shortCut = plain;
  shortCut.ShortCut = L"Ctrl+O";
  const TPixelImage keyed = Paint(shortCut, false);
  EXPECT_GT(Count(keyed, kMenuText, kW - 50, kW - 10), 0);
  EXPECT_EQ(Count(keyed, kMenuText, kW - 10, kW), 0);
  EXPECT_EQ(Count(normal, kMenuText, kW - 50, kW), 0);

  // A separator: the second image's lowest rows, on the menu's background.
  TMenuItemLook line;
  line.Separator = true;
  line.Caption = L"-";
  const TPixelImage separator = Paint(line, false);
  EXPECT_EQ(Pixel(separator, kW / 2, 0), kMenu) << "no popup background known: the Menu colour";
  EXPECT_GT(Count(separator, kSeparator), kW) << "two rows across";
  EXPECT_EQ(Count(separator, kItemNormal), 0);
  EXPECT_EQ(Count(separator, 0xFF00FFu), 0) << "magenta left out";
}

TEST_F(SkinMenuPainter, WithoutAMenuItemElementThePlainFills) {
  ASSERT_NE(Open(true, false), nullptr);
  TMenuItemLook plain;
  plain.Caption = L"&Item";
  EXPECT_EQ(Pixel(Paint(plain, false), kW - 5, 10), kMenu);
  EXPECT_EQ(Pixel(Paint(plain, true), kW - 5, 10), kHilight);
  TMenuItemLook line;
  line.Separator = true;
  const TPixelImage separator = Paint(line, false);
  EXPECT_NE(Pixel(separator, kW / 2, 4), kMenu) << "an etched line 4 pixels down";
  EXPECT_EQ(Pixel(separator, kW / 2, 12), kMenu);
}

TEST_F(SkinMenus, TheSystemMenuFromTheIconAndTheCaptionByShowState) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(frame->SkinSysMenu);
  EXPECT_EQ(frame->SkinSysMenu->Tag(), 33333);
  TMenuItem* root = frame->SkinSysMenu->Items();
  ASSERT_GE(root->Count(), 3);
  EXPECT_EQ(root->Items(root->Count() - 1)->Tag(), 3) << "Close last";
  EXPECT_EQ(root->Items(root->Count() - 2)->Caption(), "-");
  const RECT icon = frame->Query().Button(3).Bounds;
  static bool restoreEnabled = true;
  TLoopScript script;
  script.Steps = {[root] {
    restoreEnabled = root->Items(0)->Enabled();
    EndMenu();
  }};
  RunScript(script, [&] {
    Click(ScreenCentre(icon));
    PumpUntil([&] { return !script.Seen.empty() && ShownMenu() == nullptr; }, 3000);
  });
  ASSERT_EQ(script.Seen.size(), 1u) << "the icon's click";
  EXPECT_EQ(script.Seen[0], root->Handle()) << "the skin's own system menu";
  EXPECT_FALSE(restoreEnabled) << "nothing to restore while normal";

  // A right click on the caption right after the icon's click, and again:
  // the menu both times, and the window stays (only the icon's clicks make
  // its double click).
  const TFrameQuery now = frame->Query();
  RECT caption{now.Metrics.Left + 40, 2, now.FrameWidth / 2, now.Metrics.Top - 2};
  for (int i = 0; i < 2; ++i) {
    if (i > 0) Pump(GetDoubleClickTime() + 100);
    TLoopScript right;
    RunScript(right, [&] {
      const POINT p = ScreenCentre(caption);
      SetCursorPos(p.x, p.y);
      mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0, 0, 0);
      mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0);
      PumpUntil([&] { return !right.Seen.empty() && ShownMenu() == nullptr; }, 3000);
    });
    ASSERT_EQ(right.Seen.size(), 1u) << "right click " << i;
    EXPECT_EQ(right.Seen[0], root->Handle());
  }
  EXPECT_TRUE(IsWindowVisible(form->Handle()));

  // Maximize chosen from it by the keyboard.
  TLoopScript maximise;
  int maximizeAt = -1;
  for (int i = 0; i < root->Count(); ++i)
    if (root->Items(i)->Tag() == 1) maximizeAt = i;
  ASSERT_GE(maximizeAt, 0);
  maximise.Steps = {[maximizeAt] {
    for (int i = 0; i <= maximizeAt; ++i) Key(VK_DOWN);
    Key(VK_RETURN);
  }};
  RunScript(maximise, [&] {
    Pump(GetDoubleClickTime() + 100);
    Click(ScreenCentre(icon));
    PumpUntil([&] { return IsZoomed(form->Handle()) != FALSE; }, 3000);
  });
  EXPECT_TRUE(IsZoomed(form->Handle())) << "Maximize of the skinned system menu";
}

TEST_F(SkinMenus, AMaximisedMdiChildsButtonsAreInTheBarAndWork) {
  TWinSkinForm* frame = Open(true, true, true);
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->Role(), TMdiRole::Frame);
  auto* child = new TForm(form);
  child->SetText("Child");
  child->SetFormStyle(fsMDIChild);
  child->SetBounds(10, 10, 200, 150);
  child->Show();
  ASSERT_TRUE(PumpUntil([&] { return SkinWindows()->FindSkinForm(child->Handle()) != nullptr; }));
  ShowWindow(child->Handle(), SW_MAXIMIZE);
  ASSERT_TRUE(PumpUntil([&] {
    for (const auto& b : frame->Query().Buttons)
      if (b.Data->Visibility == 100 && b.Visible) return IsZoomed(child->Handle()) != FALSE;
    return false;
  }));
  const TPixelImage image = Painted(*frame);
  RECT restore{};
  int inBar = 0;
  for (const auto& b : frame->Query().Buttons) {
    if (b.Data->Visibility != 100 || !b.Visible) continue;
    ++inBar;
    const RECT& r = b.Bounds;
    EXPECT_GE(r.top, frame->SkinMenuBar->Bounds.top);
    EXPECT_LE(r.bottom, frame->SkinMenuBar->Bounds.bottom);
    EXPECT_EQ(Pixel(image, (r.left + r.right) / 2, (r.top + r.bottom) / 2), kMdiStates[0]) << "its first image";
    if (b.Action == 8) restore = r;
  }
  EXPECT_EQ(inBar, 3);
  ASSERT_GT(restore.right, restore.left);
  for (auto& b : frame->SkinMenuBar->Buttons)
    EXPECT_FALSE(b->Caption.empty()) << "the child's icon and buttons are no bar buttons";
  Click(ScreenCentre(restore));
  EXPECT_TRUE(PumpUntil([&] { return IsZoomed(child->Handle()) == FALSE; }, 3000)) << "restored by its button";
  delete child;
  SkinWindows()->PurgeDestroyedForms();
}

TEST_F(SkinMenus, AHundredMenusOpenedAndClosedLeaveNoHandles) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  // One round first: the system and the skin make their lasting objects.
  TLoopScript warm;
  RunScript(warm, [&] { frame->SkinMenuBar->OpenButtonMenu(*Button(*frame, form->File)); });
  const auto counts = LiveHandleCounts();
  const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  int shown = 0;
  for (int i = 0; i < 100; ++i) {
    TLoopScript script;
    TMenuItem* item = i % 2 == 0 ? form->File : form->Edit;
    RunScript(script, [&] { frame->SkinMenuBar->OpenButtonMenu(*Button(*frame, item)); });
    shown += static_cast<int>(script.Seen.size());
  }
  EXPECT_EQ(shown, 100);
  EXPECT_EQ(LiveHandleCounts(), counts);
  EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi + 2);
  EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user + 2);
}

TEST_F(SkinMenus, AMenuChangeRebuildsTheBarAndDetachingGivesTheCurrentMenuBack) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  HMENU before = form->Menu->Handle();
  EXPECT_EQ(GetMenu(form->Handle()), nullptr) << "the skinned bar's, off the window";
  RECT window;
  GetWindowRect(form->Handle(), &window);
  POINT origin{0, 0};
  ClientToScreen(form->Handle(), &origin);
  // A bar's caption changed: the library makes a new bar menu.
  form->File->SetCaption("&Files");
  App().ProcessMessages();
  HMENU after = form->Menu->Handle();
  EXPECT_NE(after, before);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr) << "the library's new bar taken off the window again";
  EXPECT_EQ(frame->MenuHandle, after) << "no stale handle in the frame";
  ASSERT_FALSE(frame->SkinMenuBar->Buttons.empty());
  EXPECT_EQ(frame->SkinMenuBar->Buttons[0]->Caption, L"Files");
  POINT now{0, 0};
  ClientToScreen(form->Handle(), &now);
  EXPECT_EQ(now.y, origin.y) << "the skin's bar keeps its place; the system's never comes back";
  // Skinning off: the window shows the form's current bar.
  form->Skin->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return SkinWindows()->FindSkinForm(form->Handle()) == nullptr; }));
  EXPECT_EQ(GetMenu(form->Handle()), form->Menu->Handle());
  MENUBARINFO info{};
  info.cbSize = sizeof info;
  EXPECT_TRUE(GetMenuBarInfo(form->Handle(), OBJID_MENU, 0, &info));
  EXPECT_EQ(info.hMenu, form->Menu->Handle());
}

// ---------------------------------------------------------------- gallery

TEST(SkinnedGalleryMenus, TheMdiWindowMenuKeepsItsChildrenInTheSkinnedDropDown) {
  App();
  UseSkinWindows();
  {
    gallery::TGalleryForm main(nullptr);
    main.Show();
    ASSERT_NE(WaitForFrame(main.Handle()), nullptr);
    gallery::TGalleryMdiForm mdi(nullptr);
    mdi.Show();
    mdi.NewChild();
    mdi.NewChild();
    TWinSkinForm* frame = WaitForFrame(mdi.Handle());
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->SkinMenuBar);
    TMenuBtn* window = nullptr;
    for (auto& b : frame->SkinMenuBar->Buttons)
      if (b->SubMenu == mdi.mnuWindow->Handle()) window = b.get();
    ASSERT_NE(window, nullptr);
    static int entries = 0;
    entries = 0;
    TLoopScript script;
    script.Steps = {[] {
      HWND w = FindThreadWindow(L"#32768", nullptr);
      entries = GetMenuItemCount(reinterpret_cast<HMENU>(SendMessageW(w, MN_GETHMENU, 0, 0)));
      EndMenu();
    }};
    RunScriptUntilSeen(script, [&] { frame->SkinMenuBar->OpenButtonMenu(*window); });
    ASSERT_EQ(script.Seen.size(), 1u);
    EXPECT_GE(entries, 3 + 2) << "Tile, Cascade, Arrange and the two children";
    EXPECT_GE(GetMenuItemCount(mdi.mnuWindow->Handle()), 5) << "still there once closed";
  }
  FreeSkinManager();
}

TEST(SkinnedGalleryMenus, PopupAndBarUnderOurSkinAndTheSkinsHandlersComeOffAlone) {
  App();
  UseSkinWindows();
  {
    gallery::TGalleryForm form(nullptr);
    form.Show();
    TWinSkinForm* frame = WaitForFrame(form.Handle());
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->SkinMenuBar);
    EXPECT_EQ(frame->SkinMenuBar->Buttons.size(), 6u) << "File, Edit, View, Skin, Help and the disabled Disc";
    TPopupMenu* popup = form.PopupMenu1;
    TMenuItem* root = popup->Items();
    int skinned = 0, own = 0;
    for (int i = 0; i < root->Count(); ++i) {
      TMenuItem* item = root->Items(i);
      if (item->OnAdvancedDrawItem) {
        ++own;
        EXPECT_FALSE(item->OnSkinDrawItem) << "an item the gallery draws keeps its drawing";
      } else {
        ++skinned;
        EXPECT_TRUE(item->OnSkinDrawItem);
        EXPECT_TRUE(item->OnSkinMeasureItem);
      }
    }
    EXPECT_GT(own, 0);
    EXPECT_GT(skinned, 0);
    // The popup from a right click in the form.
    TLoopScript script;
    RunScriptUntilSeen(script, [&] {
      RECT client;
      GetClientRect(form.Handle(), &client);
      POINT p{client.right - 20, client.bottom - 40};
      ClientToScreen(form.Handle(), &p);
      SendMessageW(form.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form.Handle()), MAKELPARAM(p.x, p.y));
    });
    ASSERT_EQ(script.Seen.size(), 1u);
    EXPECT_EQ(script.Seen[0], root->Handle());
    // The bar's View by its letter.
    TLoopScript keys;
    RunScript(keys, [&] {
      SetForegroundWindow(form.Handle());
      keybd_event(VK_MENU, 0, 0, 0);
      Key('V');
      keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
      PumpUntil([&] { return !keys.Seen.empty() && ShownMenu() == nullptr; }, 3000);
    });
    ASSERT_EQ(keys.Seen.size(), 1u);
    EXPECT_EQ(keys.Seen[0], form.mnuView->Handle());
    // Skinning off: only the skin's handlers go, the gallery's owner drawing
    // stays as it set it.
    form.ChooseNoSkin();
    ASSERT_TRUE(PumpUntil([&] { return SkinWindows()->FindSkinForm(form.Handle()) == nullptr; }));
    for (int i = 0; i < root->Count(); ++i) {
      EXPECT_FALSE(root->Items(i)->OnSkinDrawItem);
      EXPECT_FALSE(root->Items(i)->OnSkinMeasureItem);
    }
    EXPECT_TRUE(root->Items(0)->OnAdvancedDrawItem) << "the gallery's own drawing stays";
    EXPECT_TRUE(popup->OwnerDraw());
    EXPECT_EQ(GetMenu(form.Handle()), form.MainMenu1->Handle()) << "the form's current bar given back";
  }
  FreeSkinManager();
}

// ------------------------------------------ the window's menu taken away

// Counts the menu loops the form enters, ending each at once.
struct TLoopCounter {
  explicit TLoopCounter(TForm& form) : Form(form) {
    form.AddWindowHook(this, [this](TMessage& m, const TWndMethod& next) {
      Loops += m.Msg == WM_ENTERMENULOOP;
      AltUp = AltUp || ((m.Msg == WM_KEYUP || m.Msg == WM_SYSKEYUP) && m.WParam == VK_MENU);
      next(m);
    });
  }
  ~TLoopCounter() {
    KillTimer(nullptr, Timer);
    Form.RemoveWindowHook(this);
  }
  TForm& Form;
  int Loops = 0;
  bool AltUp = false;
  UINT_PTR Timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
};

TEST_F(SkinMenus, NeitherAMaximisedCaptionNorADisabledButtonsLetterStartsTheSystemsMenuLoop) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  ShowWindow(form->Handle(), SW_MAXIMIZE);
  ASSERT_TRUE(PumpUntil([&] {
    const TFrameQuery q = frame->Query();
    return q.ShowState == TShowState::Maximized && q.Active;
  }));
  const TFrameQuery q = frame->Query();
  TLoopCounter counter(*form);
  RECT window;
  GetWindowRect(form->Handle(), &window);
  SendMessageW(form->Handle(), WM_NCLBUTTONDOWN, HTCAPTION,
               MAKELPARAM(window.left + q.FrameWidth / 2, window.top + q.Metrics.Top / 2));
  EXPECT_EQ(counter.Loops, 0) << "a press on a maximised window's caption";
  SetForegroundWindow(form->Handle());
  keybd_event(VK_MENU, 0, 0, 0);
  Key('G');
  keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
  EXPECT_TRUE(PumpUntil([&] { return counter.AltUp; }, 3000));
  EXPECT_EQ(counter.Loops, 0) << "Alt with the disabled Gone's letter";
}

TEST_F(SkinMenus, AltSpaceShowsTheSkinsSystemMenuBelowTheIcon) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  static RECT shown{};
  TLoopScript script;
  script.Steps = {[] {
    GetWindowRect(FindThreadWindow(L"#32768", nullptr), &shown);
    EndMenu();
  }};
  RunScript(script, [&] { SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, ' '); });
  ASSERT_EQ(script.Seen.size(), 1u);
  EXPECT_EQ(script.Seen[0], frame->SkinSysMenu->Items()->Handle()) << "the skin's, not the system's";
  RECT window;
  GetWindowRect(form->Handle(), &window);
  const RECT icon = frame->Query().Button(3).Bounds;
  EXPECT_EQ(shown.left, window.left + icon.left);
  EXPECT_EQ(shown.top, window.top + icon.bottom);
}

TEST_F(SkinMenus, AnItemEnabledByTheProgramShowsOnTheSkinnedBar) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  form->Gone->SetEnabled(true);
  App().ProcessMessages();
  TMenuBtn* gone = Button(*frame, form->Gone);
  ASSERT_NE(gone, nullptr);
  EXPECT_EQ(frame->SkinMenuBar->ButtonByAccelerator(L'g'), gone);
  const TPixelImage image = Painted(*frame);
  int enabledText = 0;
  for (int y = gone->Bounds.top; y < gone->Bounds.bottom; ++y)
    for (int x = gone->Bounds.left; x < gone->Bounds.right; ++x) enabledText += Pixel(image, x, y) == kMenuBarText;
  EXPECT_GT(enabledText, 0);
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

TEST_F(SkinMenus, APlainWindowsMenuIsTakenWhileSkinnedAndGoesWithTheWindow) {
  ASSERT_NE(Open(), nullptr);
  struct alignas(4) {
    DLGTEMPLATE tmpl{WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, 160, 80};
    WORD menu = 0, cls = 0, title = 0;
  } t;
  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &t.tmpl, form->Handle(), &QuietDialogProc, 0);
  HMENU menu = CreateMenu();
  AppendMenuW(menu, MF_STRING, 1, L"&Plain");
  SetMenu(dialog, menu);
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageW(dialog, kSkinnedQuery, 0, 0) == 1; }));
  EXPECT_EQ(GetMenu(dialog), nullptr);
  DestroyWindow(dialog);
  EXPECT_FALSE(IsMenu(menu)) << "destroyed with its window, as the system does";
}

}  // namespace
}  // namespace pellamy::test
