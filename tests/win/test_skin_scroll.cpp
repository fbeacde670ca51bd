// Skinned scroll bars, headers and combo boxes on real windows under Wine:
// with a skin made here whose images have sizes and colours of their own,
// and with our own skin; the thumb dragged by the mouse, the combo box's
// states by real input, a skin without scroll bar images, unskinning and
// handle counts over many reskins.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "gui/controls/ComCtrls.h"
#include "gui/controls/HeaderControl.h"
#include "gui/controls/StdCtrls.h"
#include "gui/controls/TreeView.h"
#include "gui/forms/Forms.h"
#include "skin/controls/SkinComBox.h"
#include "skin/controls/SkinScroll.h"
#include "skin/hooks/SkinWindows.h"
#include "support_app.h"
#include "support_skin.h"
#include "support_target.h"

namespace pellamy::test {
namespace {

constexpr std::uint32_t kLeft = 0x201080, kLeftOn = 0x2010F0, kRight = 0x208010, kRightOn = 0x20F010;
constexpr std::uint32_t kUp = 0x802010, kUpOn = 0xF02010, kDown = 0x801080, kDownOn = 0xF010F0;
constexpr std::uint32_t kOther = 0x101010;
constexpr std::uint32_t kTrack = 0x30A0A0, kThumb = 0xA0A030, kThumbOn = 0xE0E000;
constexpr std::uint32_t kHeader = 0x6040C0;
constexpr std::uint32_t kCombo[4] = {0x4488CC, 0xCC8844, 0x888888, 0x44CC88};
constexpr std::uint32_t kEdge = 0x224422, kArrow = 0xFFFFFF;

// The arrows of the 23-image Scrollbar strip: left, right, up, down in
// images 1, 5, 9 and 13, the pressed look in the image after each.
std::vector<std::uint32_t> ScrollImages() {
  std::vector<std::uint32_t> c(23, kOther);
  c[0] = kLeft, c[1] = kLeftOn, c[4] = kRight, c[5] = kRightOn;
  c[8] = kUp, c[9] = kUpOn, c[12] = kDown, c[13] = kDownOn;
  return c;
}

Bytes ScrollSkin(bool withScrollbar) {
  std::string ini =
      "[TitlebarSkin]\r\nSkinName=Scroll\r\n"
      "[Personality]\r\nLeft=l.bmp\r\nRight=l.bmp\r\nTop=t.bmp\r\nBottom=l.bmp\r\n"
      "[Colours]\r\nButtonFace=170,187,204\r\nButtonText=1,2,3\r\nButtonShadow=90,90,90\r\nScrollbar=5,6,7\r\n"
      "[HorzScroll]\r\nImage=track-h.bmp\r\nLeftWidth=1\r\nRightWidth=1\r\n"
      "[VertScroll]\r\nImage=track-v.bmp\r\nTopHeight=1\r\nBottomHeight=1\r\n"
      "[HorzScrollThumb]\r\nImage=thumb-h.bmp\r\nLeftWidth=2\r\nRightWidth=2\r\n"
      "[VertScrollThumb]\r\nImage=thumb-v.bmp\r\nTopHeight=2\r\nBottomHeight=2\r\n"
      "[Headerbar]\r\nImage=header.bmp\r\nLeftWidth=1\r\nRightWidth=1\r\n"
      "[ComboButton]\r\nImage=combo.bmp\r\nLeftWidth=1\r\nRightWidth=1\r\nTopHeight=1\r\nBottomHeight=1\r\n"
      "[ExtraImages]\r\nImage=arrow.bmp\r\nTrans=0\r\n"
      "[SunkEdge]\r\nImage=edge.bmp\r\nLeftWidth=2\r\nRightWidth=2\r\nTopHeight=2\r\nBottomHeight=2\r\n";
  std::vector<TSkinEntry> entries;
  if (withScrollbar) {
    ini += "[Scrollbar]\r\nImage=scroll.bmp\r\n";
    // 12-pixel images, not the 16 of ours: stretched across the bar.
    entries.push_back({"scroll.bmp", Strip(12, 12, ScrollImages(), false)});
  }
  entries.insert(entries.begin(), {"skin.ini", Text(ini)});
  entries.push_back({"track-h.bmp", Strip(10, 12, {kTrack, kOther, kOther, kOther}, false)});
  entries.push_back({"track-v.bmp", Strip(12, 10, {kTrack, kOther, kOther, kOther}, false)});
  entries.push_back({"thumb-h.bmp", Strip(9, 12, {kThumb, kThumbOn, kOther}, false)});
  entries.push_back({"thumb-v.bmp", Strip(12, 9, {kThumb, kThumbOn, kOther}, false)});
  entries.push_back({"header.bmp", Strip(7, 7, {kHeader, kOther, kOther, kOther, kOther}, false)});
  entries.push_back({"combo.bmp", Strip(9, 9, {kCombo[0], kCombo[1], kCombo[2], kCombo[3]}, false)});
  entries.push_back({"arrow.bmp", Strip(3, 3, {kArrow, kArrow, kArrow, kArrow, kArrow}, false)});
  entries.push_back({"edge.bmp", Strip(6, 6, {kEdge, kEdge, kEdge, kEdge}, false)});
  entries.push_back({"l.bmp", Strip(4, 8, {0x224466}, false)});
  entries.push_back({"t.bmp", Strip(8, 20, {0x446688}, true)});
  return PackSkin(entries);
}

class TScrollForm : public TForm {
 public:
  explicit TScrollForm(const std::string& skinFile) : TForm(nullptr) {
    BeginLoading();
    SetText("Scroll");
    SetBorderStyle(bsSingle);
    SetClientSize(460, 300);
    SetBounds(120, 100, Width(), Height());
    List = new TListView(this);
    List->SetParent(this);
    List->SetBounds(10, 10, 200, 180);
    List->SetViewStyle(vsReport);
    List->AddColumn("Track", 80);
    List->AddColumn("Time", 60);
    for (int i = 0; i < 120; ++i) List->AddItem("Item " + std::to_string(i));
    Box = new TListBox(this);
    Box->SetParent(this);
    Box->SetBounds(220, 10, 120, 180);
    for (int i = 0; i < 150; ++i) Box->AddItem("Line " + std::to_string(i));
    Combo = new TComboBox(this);
    Combo->SetParent(this);
    Combo->SetBounds(220, 200, 150, 24);
    for (int i = 0; i < 40; ++i) Combo->AddItem("Choice " + std::to_string(i), i);
    Disabled = new TComboBox(this);
    Disabled->SetParent(this);
    Disabled->SetBounds(220, 240, 150, 24);
    Disabled->SetEnabled(false);
    Header = new THeaderControl(this);
    Header->SetParent(this);
    Header->SetAlign(alNone);  // beside the lists, not over their tops
    Header->SetBounds(350, 10, 100, 20);
    Header->Sections().Add("Alone", 60);
    Bar = new TScrollBar(this);
    Bar->SetParent(this);
    Bar->SetBounds(10, 210, 200, 18);
    Bar->SetParams(0, 0, 100);
    Bar->SetPageSize(10);
    Tree = new TTreeView(this);
    Tree->SetParent(this);
    Tree->SetBounds(350, 40, 100, 150);
    for (int i = 0; i < 40; ++i) Tree->Items().AddChild(nullptr, "Node " + std::to_string(i));
    Skin = new TSkinData(this);
    Skin->SetActive(true);
    Skin->SetSkinFile(skinFile);
    EndLoading();
  }
  TTreeView* Tree;
  TListView* List;
  TListBox* Box;
  TComboBox* Combo;
  TComboBox* Disabled;
  TScrollBar* Bar;
  THeaderControl* Header;
  TSkinData* Skin;
};

// A window's own vertical bar in window coordinates, by the system's metrics.
RECT VertBar(HWND window) {
  RECT w, c;
  GetWindowRect(window, &w);
  GetClientRect(window, &c);
  const int t = GetSystemMetrics(SM_CYHSCROLL);
  const int width = w.right - w.left, height = w.bottom - w.top;
  const int e = (width - c.right - t) / 2;
  const bool horz = (GetWindowLongPtrW(window, GWL_STYLE) & WS_HSCROLL) != 0;
  return {width - e - t, e, width - e, horz ? height - e - t : height - e};
}

class SkinScroll : public SkinnedFormTest<TScrollForm> {
 protected:
  void TearDown() override {
    SetCursorPos(5, 5);
    SkinnedFormTest::TearDown();
  }
  TWinSkinForm* Open(bool withScrollbar = true) {
    file = SkinFile("pellamy-scroll", ScrollSkin(withScrollbar));
    return OpenFile(file);
  }
  TWinSkinForm* OpenFile(const std::string& skinFile) {
    SetCursorPos(5, 5);
    TWinSkinForm* frame = Show(new TScrollForm(skinFile));
    form->List->SetFocus();
    Pump(100);
    return frame;
  }
  std::uint32_t PixelOf(HWND window, int x, int y) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    Pump(60);
    return Peek(window, x, y);
  }
  void MouseTo(HWND window, int x, int y, DWORD settle = 120) {
    RECT w;
    GetWindowRect(window, &w);
    SetCursorPos(w.left + x, w.top + y);
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
    Pump(settle);
  }
  // The scroll codes the control is sent, recorded ahead of everyone.
  std::vector<int> RecordScrolls(TWinControl* control) {
    codes.clear();
    control->AddWindowHook(&codes, [this](TMessage& m, const TWndMethod& next) {
      if (m.Msg == WM_VSCROLL) codes.push_back(LOWORD(m.WParam));
      next(m);
    });
    return codes;
  }
  bool Saw(int code) const { return std::find(codes.begin(), codes.end(), code) != codes.end(); }
  // Presses the thumb's top part and drags it down by dy with real input.
  // The input comes from another thread: the press starts a tracking loop
  // on this one that only the release ends.
  void DragThumb(HWND window, int dy) {
    const RECT bar = VertBar(window);
    const int t = bar.right - bar.left;
    RECT w;
    GetWindowRect(window, &w);
    const int x = w.left + bar.left + t / 2, y = w.top + bar.top + t + 3;
    MouseTo(window, bar.left + t / 2, bar.top + t + 3, 60);
    std::atomic<bool> done = false;
    std::thread hand([&] {
      mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
      Sleep(150);
      for (int step = 1; step <= 4; ++step) {
        SetCursorPos(x, y + dy * step / 4);
        mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
        Sleep(80);
      }
      mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
      Sleep(50);
      done = true;
    });
    PumpUntil([&] { return done.load(); }, 5000);
    hand.join();
    Pump(150);
  }

  std::string file;
  std::vector<int> codes;
};

TEST_F(SkinScroll, EachScrollingControlGetsItsClass) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(ClassOf(frame, form->List), "TSkinListView");
  EXPECT_EQ(ClassOf(frame, form->Box), "TSkinScrollbar");
  EXPECT_EQ(ClassOf(frame, form->Combo), "TSkinComBox");
  EXPECT_EQ(ClassOf(frame, form->Bar), "TSkinScControl");
  HWND header = reinterpret_cast<HWND>(SendMessageW(form->List->Handle(), LVM_GETHEADER, 0, 0));
  TSkinControl* onHeader = ObjectOn(frame, header);
  ASSERT_NE(onHeader, nullptr);
  EXPECT_EQ(onHeader->ClassName(), "TSkinHeader");
}

TEST_F(SkinScroll, TheListViewsBarAndHeaderComeFromTheSkin) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  HWND list = form->List->Handle();
  const RECT bar = VertBar(list);
  const int t = bar.right - bar.left, mid = bar.left + t / 2;
  EXPECT_EQ(PixelOf(list, mid, bar.top + t / 2), kUp) << "up arrow: image 9";
  EXPECT_EQ(Peek(list, mid, bar.bottom - t / 2), kDown) << "down arrow: image 13";
  EXPECT_EQ(Peek(list, mid, bar.top + t + 3), kThumb) << "the thumb at the top";
  EXPECT_EQ(Peek(list, mid, bar.bottom - t - 3), kTrack) << "the track below it";

  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  RECT first{}, client{};
  SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  GetClientRect(header, &client);
  EXPECT_EQ(PixelOf(header, first.left + 2, first.bottom - 2), kHeader) << "a section";
  EXPECT_EQ(Peek(header, client.right - 3, client.bottom / 2), kHeader) << "the space right of the last section";

  // A header control on its own: the same image.
  HWND alone = form->Header->Handle();
  EXPECT_EQ(PixelOf(alone, 3, 17), kHeader) << "a stand-alone header";
  EXPECT_EQ(Peek(alone, 90, 10), kHeader) << "right of its one section";

  // A scroll-bar control from the same images, horizontal.
  HWND control = form->Bar->Handle();
  RECT c;
  GetClientRect(control, &c);
  EXPECT_EQ(PixelOf(control, c.bottom / 2, c.bottom / 2), kLeft);
  EXPECT_EQ(Peek(control, c.right - c.bottom / 2, c.bottom / 2), kRight);
  EXPECT_EQ(Peek(control, c.bottom + 3, c.bottom / 2), kThumb);

  // The program moves the thumb: the system redraws at once, the skin after it.
  SendMessageW(control, SBM_SETPOS, 90, TRUE);
  EXPECT_EQ(Peek(control, c.bottom / 2, c.bottom / 2), kLeft) << "after a set position";
  EXPECT_EQ(Peek(control, c.right - c.bottom - 3, c.bottom / 2), kThumb) << "the thumb at its new place";
}

TEST_F(SkinScroll, ATreeViewsBarIsTheSkinsFromTheStartAndAfterTheEndKey) {
  ASSERT_NE(Open(), nullptr);
  HWND tree = form->Tree->Handle();
  const RECT bar = VertBar(tree);
  const int t = bar.right - bar.left, mid = bar.left + t / 2;
  // Read as painted, without asking for a paint.
  EXPECT_TRUE(PumpUntil([&] { return Peek(tree, mid, bar.top + t / 2) == kUp; }, 2000)) << "at start";
  form->Tree->SetFocus();
  SendMessageW(tree, WM_KEYDOWN, VK_END, 0);
  EXPECT_TRUE(PumpUntil([&] { return Peek(tree, mid, bar.bottom - t - 3) == kThumb; }, 2000)) << "the thumb at the end";
  EXPECT_EQ(Peek(tree, mid, bar.top + t / 2), kUp);
}

TEST_F(SkinScroll, DraggingTheListViewsThumbScrollsItAndTheBarFollows) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  HWND list = form->List->Handle();
  RecordScrolls(form->List);
  const RECT bar = VertBar(list);
  const int t = bar.right - bar.left, mid = bar.left + t / 2;
  ASSERT_EQ(PixelOf(list, mid, bar.top + t + 3), kThumb);
  DragThumb(list, 60);
  form->List->RemoveWindowHook(&codes);
  EXPECT_TRUE(Saw(SB_THUMBTRACK));
  EXPECT_TRUE(Saw(SB_THUMBPOSITION));
  EXPECT_GT(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 10) << "the list moved";
  EXPECT_GT(GetScrollPos(list, SB_VERT), 10);
  EXPECT_EQ(Peek(list, mid, bar.top + t + 3), kTrack) << "no thumb left at the top, without a repaint";
  EXPECT_EQ(PixelOf(list, mid, bar.top + t / 2), kUp);
}

TEST_F(SkinScroll, TheSkinDragsALinesThumbItselfAndSendsTheScrollMessages) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  auto* scroll = dynamic_cast<TSkinScrollbar*>(ObjectOn(frame, form->Box->Handle()));
  ASSERT_NE(scroll, nullptr);
  EXPECT_TRUE(scroll->OwnTracking) << "a list box is attached boxed";
  HWND box = form->Box->Handle();
  RecordScrolls(form->Box);
  DragThumb(box, 50);
  Pump(100);
  form->Box->RemoveWindowHook(&codes);
  ASSERT_TRUE(Saw(SB_THUMBTRACK));
  EXPECT_TRUE(Saw(SB_THUMBPOSITION));
  EXPECT_TRUE(Saw(SB_ENDSCROLL)) << "posted after the release";
  const auto top = SendMessageW(box, LB_GETTOPINDEX, 0, 0);
  EXPECT_GT(top, 10);
  EXPECT_EQ(GetScrollPos(box, SB_VERT), top);
  EXPECT_EQ(scroll->ActivePart, spNone);
  const RECT bar = VertBar(box);
  EXPECT_EQ(PixelOf(box, bar.left + 3, bar.top + (bar.right - bar.left) + 3), kTrack);
}

TEST_F(SkinScroll, TheComboBoxShowsItsStatesAndStaysHotOverItsEdit) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  auto* skin = dynamic_cast<TSkinComBox*>(ObjectOn(frame, form->Combo->Handle()));
  ASSERT_NE(skin, nullptr);
  HWND combo = form->Combo->Handle();
  RECT window;
  GetWindowRect(combo, &window);
  const RECT area = skin->ButtonArea({0, 0, window.right - window.left, window.bottom - window.top});
  const int bx = area.left + 1, by = area.top + 1;
  EXPECT_EQ(PixelOf(combo, bx, by), kCombo[0]) << "normal: image 1";
  EXPECT_EQ(Peek(combo, 0, (window.bottom - window.top) / 2), kEdge) << "the sunken edge round the box";
  EXPECT_EQ(Peek(combo, (area.left + area.right) / 2, (area.top + area.bottom) / 2), kArrow) << "the arrow centred";
  HWND disabled = form->Disabled->Handle();
  EXPECT_EQ(PixelOf(disabled, bx, by), kCombo[2]) << "disabled: image 3";

  MouseTo(combo, (area.left + area.right) / 2, (area.top + area.bottom) / 2);
  EXPECT_EQ(Peek(combo, bx, by), kCombo[3]) << "hot: image 4";
  MouseTo(combo, 12, (window.bottom - window.top) / 2, 250);
  EXPECT_EQ(Peek(combo, bx, by), kCombo[3]) << "still hot over its own edit";
  MouseTo(form->List->Handle(), 40, 60, 300);
  EXPECT_EQ(Peek(combo, bx, by), kCombo[0]) << "left for good";

  MouseTo(combo, (area.left + area.right) / 2, (area.top + area.bottom) / 2);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  Pump(150);
  EXPECT_EQ(Peek(combo, bx, by), kCombo[1]) << "pressed: image 2";
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  Pump(150);
  ASSERT_TRUE(form->Combo->DroppedDown());
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  ASSERT_NE(skin->ListScroll, nullptr) << "the drop-down list's bars are skinned";
  EXPECT_EQ(skin->ListScroll->Handle, info.hwndList);
  const RECT listBar = VertBar(info.hwndList);
  const int t = listBar.right - listBar.left;
  EXPECT_EQ(PixelOf(info.hwndList, listBar.left + t / 2, listBar.top + t / 2), kUp);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  Pump(100);
  EXPECT_EQ(PixelOf(combo, bx, by), kCombo[3]) << "focused in its edit: image 4";
}

TEST_F(SkinScroll, WithoutScrollbarImagesTheSystemsBarsStay) {
  TWinSkinForm* frame = Open(false);
  ASSERT_NE(frame, nullptr);
  HWND list = form->List->Handle();
  const RECT bar = VertBar(list);
  const int t = bar.right - bar.left, mid = bar.left + t / 2;
  for (int y : {bar.top + t / 2, bar.top + t + 3, bar.bottom - t - 3}) {
    const std::uint32_t c = PixelOf(list, mid, y);
    for (std::uint32_t ours : {kUp, kThumb, kTrack, 0x050607u}) EXPECT_NE(c, ours) << y;
  }
  DragThumb(list, 60);
  EXPECT_GT(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 10) << "and work as ever";
}

TEST_F(SkinScroll, UnskinningGivesTheBarsBackAndReskinsLeaveNoHandles) {
  TWinSkinForm* frame = Open();
  ASSERT_NE(frame, nullptr);
  HWND list = form->List->Handle();
  const RECT bar = VertBar(list);
  const int t = bar.right - bar.left, mid = bar.left + t / 2;
  ASSERT_EQ(PixelOf(list, mid, bar.top + t / 2), kUp);
  // Dropped once, so that the list's own bars are skinned too.
  SendMessageW(form->Combo->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
  Pump(50);
  SendMessageW(form->Combo->Handle(), CB_SHOWDROPDOWN, FALSE, 0);
  PixelOf(form->Combo->Handle(), 2, 2);
  const auto counts = LiveHandleCounts();
  const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  for (int i = 0; i < 100; ++i) {
    form->Skin->SetSkinFile(file);
    SkinManager->DoPendingAction();
    if (i % 10 == 0) PixelOf(list, mid, bar.top + t / 2);
  }
  EXPECT_EQ(PixelOf(list, mid, bar.top + t / 2), kUp) << "still skinned";
  const auto now = LiveHandleCounts();
  for (int k = 0; k < kHandleKinds; ++k) EXPECT_EQ(now[k], counts[k]) << HandleKindName(static_cast<THandleKind>(k));
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user);

  form->Skin->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return SkinWindows()->FindSkinForm(form->Handle()) == nullptr; }));
  for (int y : {bar.top + t / 2, bar.top + t + 3, bar.bottom - t - 3})
    for (std::uint32_t ours : {kUp, kThumb, kTrack}) EXPECT_NE(PixelOf(list, mid, y), ours) << y;
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  EXPECT_NE(PixelOf(header, 2, 2), kHeader);
  EXPECT_NE(PixelOf(form->Combo->Handle(), 0, 10), kEdge);
  DragThumb(list, 60);
  EXPECT_GT(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 10) << "the system's bar works after unskinning";
}

// Our own skin: the list view's arrows show its Scrollbar images, scaled to
// the system's bar thickness (each pixel matched within one source pixel).
TEST_F(SkinScroll, OurSkinsImagesOnTheListViewsBar) {
  ASSERT_TRUE(std::filesystem::exists("rip.tmp")) << "run from the program's folder";
  TWinSkinForm* frame = OpenFile("rip.tmp");
  ASSERT_NE(frame, nullptr);
  const TSkinData& skin = *form->Skin;
  ASSERT_TRUE(skin.Scrollbar && skin.Scrollbar->Bitmap.Width > 0);
  EXPECT_EQ(ClassOf(frame, form->List), "TSkinListView");
  HWND list = form->List->Handle();
  const RECT bar = VertBar(list);
  const int t = bar.right - bar.left;
  const TPixelImage& arrows = skin.Scrollbar->Bitmap;
  const int size = arrows.Width / skin.Scrollbar->FrameCount;
  const auto matches = [&](int image, int x, int y, std::uint32_t seen) {
    const int sx = x * size / t, sy = y * arrows.Height / t;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const int px = std::clamp(sx + dx, 0, size - 1), py = std::clamp(sy + dy, 0, arrows.Height - 1);
        if ((Pixel(arrows, (image - 1) * size + px, py) & 0xFFFFFF) == seen) return true;
      }
    return false;
  };
  PixelOf(list, 0, 0);
  int matched = 0, total = 0;
  for (int y = 1; y < t - 1; y += 3)
    for (int x = 1; x < t - 1; x += 3) {
      total += 2;
      matched += matches(9, x, y, Peek(list, bar.left + x, bar.top + y)) ? 1 : 0;
      matched += matches(13, x, y, Peek(list, bar.left + x, bar.bottom - t + y)) ? 1 : 0;
    }
  EXPECT_EQ(matched, total) << "the up arrow is image 9, the down arrow image 13";
}

}  // namespace
}  // namespace pellamy::test
