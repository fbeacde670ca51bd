// The common controls on real windows: messages sent as the system and the
// user send them, state read back, events counted, and the trackbar's thumb
// drawn by a WindowProc hook read back from a DIB.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "base/Exceptions.h"
#include "gui/controls/ComCtrls.h"
#include "gui/controls/StdCtrls.h"
#include "gui/forms/Forms.h"
#include "gui/gdi/Bitmap.h"
#include "gui/gdi/ImgList.h"
#include "gui/gdi/WideText.h"
#include "support_app.h"
#include "support_ink.h"

namespace pellamy::test {
namespace {

// Keys held down for GetKeyState while it lives.
class TKeysHeld {
 public:
  TKeysHeld(std::initializer_list<int> keys) {
    GetKeyboardState(FSaved);
    BYTE state[256];
    std::memcpy(state, FSaved, sizeof(state));
    for (int k : keys) state[k] = 0x80;
    SetKeyboardState(state);
  }
  ~TKeysHeld() { SetKeyboardState(FSaved); }

 private:
  BYTE FSaved[256];
};

DWORD StyleOf(HWND h) {
  return static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
}

void Click(HWND h, POINT p) {
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

// A press the control follows in a loop of its own until the release: the
// release waits in the queue first.
void TrackedClick(HWND h, POINT p) {
  PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  MSG msg;
  while (PeekMessageW(&msg, h, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) DispatchMessageW(&msg);
}

POINT Centre(const RECT& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

struct TFormFixture {
  TFormFixture() {
    App();
    form.SetBounds(10, 10, 500, 400);
  }
  TForm form{nullptr};
};

// ------------------------------------------------------ kinds and names

TEST(CommonControls, ClassNamesKindsAndPublishedProperties) {
  TFormFixture f;
  TListView list(nullptr);
  TTrackBar track(nullptr);
  TUpDown updown(nullptr);
  TTabControl tabs(nullptr);
  TPageControl pages(nullptr);
  TTabSheet sheet(nullptr);
  TDateTimePicker picker(nullptr);
  THeaderControl header(nullptr);
  TTreeView tree(nullptr);
  EXPECT_EQ(list.ClassName(), "TListView");
  EXPECT_EQ(track.ClassName(), "TTrackBar");
  EXPECT_EQ(updown.ClassName(), "TUpDown");
  EXPECT_EQ(tabs.ClassName(), "TTabControl");
  EXPECT_EQ(pages.ClassName(), "TPageControl");
  EXPECT_EQ(sheet.ClassName(), "TTabSheet");
  EXPECT_EQ(picker.ClassName(), "TDateTimePicker");
  EXPECT_EQ(header.ClassName(), "THeaderControl");
  EXPECT_EQ(tree.ClassName(), "TTreeView");
  TControl* controls[] = {&list, &tabs, &pages, &tree};
  EXPECT_NE(dynamic_cast<TCustomListView*>(controls[0]), nullptr);
  EXPECT_NE(dynamic_cast<TCustomTabControl*>(controls[1]), nullptr);
  EXPECT_NE(dynamic_cast<TCustomTabControl*>(controls[2]), nullptr);
  EXPECT_NE(dynamic_cast<TCustomTreeView*>(controls[3]), nullptr);

  track.SetPropertyText("Orientation", "trVertical");
  EXPECT_EQ(track.Orientation(), trVertical);
  track.SetPropertyText("Max", "40");
  track.SetPropertyText("Position", "25");
  EXPECT_EQ(track.Position(), 25);
  EXPECT_THROW(track.SetPropertyText("TickStyle", "tsSometimes"), Exception);
  updown.SetPropertyText("Wrap", "True");
  EXPECT_TRUE(updown.Wrap());
  EXPECT_EQ(picker.GetPropertyText("DateMode"), "dmComboBox");
  picker.SetPropertyText("DateMode", "dmUpDown");
  EXPECT_EQ(picker.DateMode(), dmUpDown);
  EXPECT_EQ(tree.GetPropertyText("ShowLines"), "True");
  tree.SetPropertyText("ReadOnly", "True");
  EXPECT_TRUE(tree.ReadOnly());
  tabs.SetPropertyText("TabPosition", "tpBottom");
  EXPECT_EQ(tabs.TabPosition(), tpBottom);
  EXPECT_TRUE(sheet.HasProperty("TabVisible"));
  EXPECT_TRUE(header.HasProperty("HotTrack"));
}

// --------------------------------------------------- status bar's grip

TEST(CommonControls, StatusBarSizeGripComesAndGoes) {
  TFormFixture f;
  auto* bar = new TStatusBar(&f.form);
  bar->SetParent(&f.form);
  bar->AddPanel(80);
  bar->AddPanel(80);
  bar->SetPanelText(0, "Ready");
  EXPECT_TRUE(bar->SizeGrip());
  f.form.HandleNeeded();
  HWND h = bar->Handle();
  EXPECT_NE(StyleOf(h) & SBARS_SIZEGRIP, 0u);
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(r.right - 2, r.bottom - 2)), HTBOTTOMRIGHT);

  bar->SetPropertyText("SizeGrip", "False");
  EXPECT_FALSE(bar->SizeGrip());
  h = bar->Handle();
  EXPECT_EQ(StyleOf(h) & SBARS_SIZEGRIP, 0u);
  EXPECT_NE(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(r.right - 2, r.bottom - 2)), HTBOTTOMRIGHT);
  // The new window keeps the panels and their texts.
  EXPECT_EQ(SendMessageW(h, SB_GETPARTS, 0, 0), 2);
  wchar_t text[32] = {};
  SendMessageW(h, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Ready");
  bar->SetSizeGrip(true);
  EXPECT_NE(StyleOf(bar->Handle()) & SBARS_SIZEGRIP, 0u);

  // On a form of fixed size the grip would size nothing.
  TForm fixed(nullptr);
  fixed.SetBorderStyle(bsSingle);
  auto* other = new TStatusBar(&fixed);
  other->SetParent(&fixed);
  fixed.HandleNeeded();
  EXPECT_EQ(StyleOf(other->Handle()) & SBARS_SIZEGRIP, 0u);
}

// ----------------------------------------------------------- trackbar

TEST(CommonControls, TrackBarFollowsKeysMessagesAndDragging) {
  TFormFixture f;
  auto* track = new TTrackBar(&f.form);
  track->SetParent(&f.form);
  track->SetBounds(10, 10, 220, 40);
  track->SetMax(20);
  track->SetLineSize(2);
  track->SetPageSize(5);
  track->SetPosition(4);
  std::vector<int> changes;
  track->OnChange = [&](TComponent*) { changes.push_back(track->Position()); };
  f.form.HandleNeeded();
  HWND h = track->Handle();
  EXPECT_EQ(SendMessageW(h, TBM_GETRANGEMAX, 0, 0), 20);
  EXPECT_EQ(SendMessageW(h, TBM_GETPOS, 0, 0), 4);
  EXPECT_EQ(SendMessageW(h, TBM_GETLINESIZE, 0, 0), 2);
  EXPECT_EQ(SendMessageW(h, TBM_GETPAGESIZE, 0, 0), 5);

  SendMessageW(h, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(track->Position(), 6);
  SendMessageW(h, WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(track->Position(), 11);
  SendMessageW(h, WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(track->Position(), 20);
  SendMessageW(h, WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(changes, (std::vector<int>{6, 11, 20, 0}));

  // A message from outside moves the thumb; reading back agrees.
  SendMessageW(h, TBM_SETPOS, TRUE, 9);
  EXPECT_EQ(track->Position(), 9);
  EXPECT_EQ(track->GetPropertyText("Position"), "9");

  // Dragging the thumb to the far end.
  changes.clear();
  const POINT from = Centre(track->ThumbRect());
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.x + 40, from.y));
  const int midway = track->Position();
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, from.y));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(300, from.y));
  EXPECT_GT(midway, 9);
  EXPECT_LT(midway, 20);
  EXPECT_EQ(track->Position(), 20);
  ASSERT_GE(changes.size(), 2u) << "changes while dragging";
  EXPECT_EQ(changes.back(), 20);

  // Turned upright: a new window with the same position, arrows still step.
  track->SetOrientation(trVertical);
  h = track->Handle();
  EXPECT_NE(StyleOf(h) & TBS_VERT, 0u);
  EXPECT_EQ(track->Width(), 40);
  EXPECT_EQ(SendMessageW(h, TBM_GETPOS, 0, 0), 20);
  SendMessageW(h, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(track->Position(), 18);
  track->SetThumbLength(14);
  EXPECT_EQ(SendMessageW(h, TBM_GETTHUMBLENGTH, 0, 0), 14);
  track->SetTickStyle(tsNone);
  EXPECT_NE(StyleOf(track->Handle()) & TBS_NOTICKS, 0u);
  track->SetMin(19);
  EXPECT_EQ(track->Position(), 19) << "the position stays inside the range";
}

class TThumbPainter {
 public:
  TThumbPainter(TTrackBar& track, COLORREF colour) : FTrack(track), FOld(track.WindowProc), FColour(colour) {
    // The skin engine's way: answer the reflected custom draw first.
    track.WindowProc = [this](TMessage& m) {
      if (m.Msg == CN_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
        auto* cd = reinterpret_cast<NMCUSTOMDRAW*>(m.LParam);
        if (cd->dwDrawStage == CDDS_PREPAINT) {
          m.Result = CDRF_NOTIFYITEMDRAW;
          return;
        }
        if (cd->dwDrawStage == CDDS_ITEMPREPAINT && cd->dwItemSpec == TBCD_THUMB) {
          ++Thumbs;
          UniqueBrush brush(CreateSolidBrush(FColour));
          FillRect(cd->hdc, &cd->rc, brush.get());
          m.Result = CDRF_SKIPDEFAULT;
          return;
        }
      }
      FOld(m);
    };
  }
  ~TThumbPainter() { FTrack.WindowProc = FOld; }
  int Thumbs = 0;

 private:
  TTrackBar& FTrack;
  TWndMethod FOld;
  COLORREF FColour;
};

std::uint32_t PrintedPixel(TWinControl& control, TBitmap& bmp, POINT p) {
  bmp.Canvas().Brush().SetColor(clWhite);
  bmp.Canvas().FillRect(RECT{0, 0, bmp.Width(), bmp.Height()});
  bmp.Canvas().Refresh();
  SendMessageW(control.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bmp.Canvas().Handle()),
               PRF_CLIENT | PRF_ERASEBKGND);
  return bmp.PixelAt(p.x, p.y);
}

TEST(CommonControls, TrackBarThumbDrawnByAWindowProcHook) {
  TFormFixture f;
  auto* track = new TTrackBar(&f.form);
  track->SetParent(&f.form);
  track->SetBounds(0, 0, 200, 40);
  track->SetPosition(5);
  f.form.HandleNeeded();
  TBitmap bmp(200, 40);
  const RECT thumb = track->ThumbRect();
  const POINT inside = Centre(thumb);
  ASSERT_GT(thumb.right - thumb.left, 2);
  // The library's own answer: the system draws its thumb.
  EXPECT_NE(PrintedPixel(*track, bmp, inside), 0xFF0000u);
  {
    TThumbPainter painter(*track, RGB(255, 0, 0));
    EXPECT_EQ(PrintedPixel(*track, bmp, inside), 0xFF0000u);
    EXPECT_EQ(bmp.PixelAt(thumb.left, thumb.top), 0xFF0000u) << "the whole thumb";
    EXPECT_NE(bmp.PixelAt(thumb.right + 4, inside.y), 0xFF0000u) << "only the thumb";
    EXPECT_GE(painter.Thumbs, 1);
  }
  // The convenience event draws through the same notification.
  int asked = 0;
  track->OnCustomDrawThumb = [&](TTrackBar* sender, TCanvas& canvas, const RECT& rect, bool& defaultDraw) {
    EXPECT_EQ(sender, track);
    ++asked;
    canvas.Brush().SetColor(clLime);
    canvas.FillRect(rect);
    defaultDraw = false;
  };
  EXPECT_EQ(PrintedPixel(*track, bmp, inside), 0x00FF00u);
  EXPECT_GE(asked, 1);
  track->OnCustomDrawThumb = [&](TTrackBar*, TCanvas&, const RECT&, bool&) {};
  EXPECT_NE(PrintedPixel(*track, bmp, inside), 0x00FF00u) << "left to the system";
}

// ------------------------------------------------------------- up-down

TEST(CommonControls, UpDownStepsItsBuddyByArrowsAndKeys) {
  TFormFixture f;
  auto* edit = new TEdit(&f.form);
  edit->SetParent(&f.form);
  edit->SetBounds(10, 10, 80, 22);
  auto* updown = new TUpDown(&f.form);
  updown->SetParent(&f.form);
  updown->SetMax(10);
  updown->SetPosition(3);
  updown->SetIncrement(2);
  updown->SetAssociate(edit);
  std::vector<std::string> events;
  bool refuse = false;
  updown->OnChanging = [&](TComponent*, bool& allow) {
    events.push_back("changing");
    allow = !refuse;
  };
  updown->OnClick = [&](TComponent*, TUDBtnType button) { events.push_back(button == btNext ? "next" : "prev"); };
  f.form.HandleNeeded();
  HWND h = updown->Handle();
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(h, UDM_GETBUDDY, 0, 0)), edit->Handle());
  EXPECT_EQ(edit->Text(), "3");
  // It sits at the buddy's right edge, the buddy narrowed to make room.
  EXPECT_NEAR(updown->Left(), edit->Left() + edit->Width(), 2);
  EXPECT_NEAR(updown->Left() + updown->Width(), 90, 2);
  EXPECT_LT(edit->Width(), 80);

  RECT client;
  GetClientRect(h, &client);
  const POINT up{client.right / 2, client.bottom / 4}, down{client.right / 2, client.bottom * 3 / 4};
  Click(h, up);
  EXPECT_EQ(updown->Position(), 5);
  EXPECT_EQ(edit->Text(), "5");
  Click(h, down);
  EXPECT_EQ(updown->Position(), 3);
  EXPECT_EQ(events, (std::vector<std::string>{"changing", "next", "changing", "prev"}));

  events.clear();
  refuse = true;
  Click(h, up);
  EXPECT_EQ(updown->Position(), 3);
  EXPECT_EQ(events, std::vector<std::string>{"changing"});
  refuse = false;

  // The arrow keys in the buddy step too.
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(updown->Position(), 5);
  EXPECT_EQ(edit->Text(), "5");

  SendMessageW(h, UDM_SETPOS32, 0, 10);
  EXPECT_EQ(updown->Position(), 10);
  Click(h, up);
  EXPECT_EQ(updown->Position(), 10) << "stops at Max";
  updown->SetWrap(true);
  h = updown->Handle();
  EXPECT_NE(StyleOf(h) & UDS_WRAP, 0u);
  Click(h, up);
  EXPECT_LE(updown->Position(), 1) << "goes round";
  updown->SetOrientation(udHorizontal);
  EXPECT_NE(StyleOf(updown->Handle()) & UDS_HORZ, 0u);
  EXPECT_EQ(updown->Associate(), edit);
  delete edit;
  EXPECT_EQ(updown->Associate(), nullptr);
}

// --------------------------------------------------------- tab control

TEST(CommonControls, TabControlSwitchesByClickKeysAndNotifications) {
  TFormFixture f;
  auto* tabs = new TTabControl(&f.form);
  tabs->SetParent(&f.form);
  tabs->SetBounds(10, 10, 300, 200);
  tabs->SetTabs({"One", "Two", "Three"});
  std::vector<std::string> events;
  bool refuse = false;
  tabs->OnChanging = [&](TComponent*, bool& allow) {
    events.push_back("changing " + std::to_string(tabs->TabIndex()));
    allow = !refuse;
  };
  tabs->OnChange = [&](TComponent*) { events.push_back("change " + std::to_string(tabs->TabIndex())); };
  f.form.HandleNeeded();
  HWND h = tabs->Handle();
  EXPECT_EQ(SendMessageW(h, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(tabs->TabIndex(), 0);

  Click(h, Centre(tabs->TabRect(2)));
  EXPECT_EQ(tabs->TabIndex(), 2);
  refuse = true;
  Click(h, Centre(tabs->TabRect(1)));
  EXPECT_EQ(tabs->TabIndex(), 2) << "refused";
  refuse = false;
  EXPECT_EQ(events, (std::vector<std::string>{"changing 0", "change 2", "changing 2"}));

  // The selection set from outside, then the notification as the system
  // sends it to the parent.
  events.clear();
  SendMessageW(h, TCM_SETCURSEL, 1, 0);
  NMHDR hdr{h, 0, static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(f.form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hdr));
  EXPECT_EQ(events, std::vector<std::string>{"change 1"});

  // Keys: the arrows as the system handles them, Ctrl+Tab going round.
  SendMessageW(h, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(tabs->TabIndex(), 2);
  {
    TKeysHeld ctrl{VK_CONTROL};
    SendMessageW(h, WM_KEYDOWN, VK_TAB, 0);
  }
  EXPECT_EQ(tabs->TabIndex(), 0);
  {
    TKeysHeld ctrlShift{VK_CONTROL, VK_SHIFT};
    SendMessageW(h, WM_KEYDOWN, VK_TAB, 0);
  }
  EXPECT_EQ(tabs->TabIndex(), 2);

  tabs->DeleteTab(0);
  EXPECT_EQ(SendMessageW(h, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(tabs->TabIndex(), 1);
  EXPECT_EQ(tabs->Tabs(), (std::vector<std::string>{"Two", "Three"}));
  tabs->SetMultiLine(true);
  EXPECT_NE(StyleOf(tabs->Handle()) & TCS_MULTILINE, 0u);
  EXPECT_EQ(tabs->TabIndex(), 1);
  EXPECT_EQ(SendMessageW(tabs->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
}

// -------------------------------------------------------- page control

std::string TabText(HWND h, int index) {
  wchar_t buffer[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = buffer;
  item.cchTextMax = 63;
  SendMessageW(h, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return WideToUtf8(buffer);
}

TEST(CommonControls, PageControlShowsOneSheetAtATime) {
  TFormFixture f;
  auto* pages = new TPageControl(&f.form);
  pages->SetParent(&f.form);
  pages->SetBounds(10, 10, 360, 260);
  TTabSheet* sheets[3];
  const char* names[] = {"General", "Files", "Sound"};
  for (int i = 0; i < 3; ++i) {
    sheets[i] = new TTabSheet(&f.form);
    sheets[i]->SetPageControl(pages);
    sheets[i]->SetCaption(names[i]);
  }
  auto* edit = new TEdit(&f.form);
  edit->SetParent(sheets[1]);
  edit->SetBounds(8, 8, 100, 22);
  int changes = 0;
  pages->OnChange = [&](TComponent*) { ++changes; };
  f.form.Show();
  HWND h = pages->Handle();
  EXPECT_EQ(pages->PageCount(), 3);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  EXPECT_EQ(SendMessageW(h, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(TabText(h, 1), "Files");
  EXPECT_TRUE(IsWindowVisible(sheets[0]->Handle()));
  EXPECT_FALSE(IsWindowVisible(sheets[1]->Handle()));
  EXPECT_FALSE(IsWindowVisible(edit->Handle())) << "shown only with its sheet";
  // A sheet fills the display area inside the tabs' frame.
  const RECT display = pages->DisplayRect();
  EXPECT_EQ(sheets[0]->BoundsRect().top, display.top);
  EXPECT_EQ(sheets[0]->Width(), display.right - display.left);
  EXPECT_GT(display.top, 10);

  Click(h, Centre(pages->TabRect(1)));
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_EQ(pages->ActivePageIndex(), 1);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(IsWindowVisible(edit->Handle()));
  EXPECT_FALSE(IsWindowVisible(sheets[0]->Handle()));

  // Ctrl+Tab from a control on the sheet goes on to the next page.
  edit->SetFocus();
  {
    TKeysHeld ctrl{VK_CONTROL};
    SendMessageW(edit->Handle(), WM_KEYDOWN, VK_TAB, 0);
  }
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(pages->TabIndex(), 2);
  EXPECT_EQ(changes, 2);
  EXPECT_FALSE(IsWindowVisible(edit->Handle()));
  EXPECT_NE(GetFocus(), edit->Handle()) << "the focus left the hidden page";
  {
    TKeysHeld ctrlShift{VK_CONTROL, VK_SHIFT};
    SendMessageW(h, WM_KEYDOWN, VK_TAB, 0);
  }
  EXPECT_EQ(pages->ActivePage(), sheets[1]);

  // A caption is its tab's text; a hidden tab keeps its page.
  sheets[2]->SetCaption("Audio");
  EXPECT_EQ(TabText(h, 2), "Audio");
  sheets[0]->SetTabVisible(false);
  EXPECT_EQ(SendMessageW(h, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(TabText(h, 0), "Files");
  EXPECT_EQ(pages->TabIndex(), 0);
  EXPECT_EQ(pages->PageCount(), 3);
  Click(h, Centre(pages->TabRect(1)));
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  pages->SetActivePageIndex(0);
  EXPECT_TRUE(IsWindowVisible(sheets[0]->Handle()));
  EXPECT_EQ(pages->TabIndex(), -1);

  pages->SetActivePage(sheets[1]);
  delete sheets[1];
  EXPECT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(SendMessageW(h, TCM_GETITEMCOUNT, 0, 0), 1);
  EXPECT_EQ(pages->Pages(1), sheets[2]);
  EXPECT_THROW(pages->Pages(2), Exception);
}

// ---------------------------------------------------- date-time picker

SYSTEMTIME Day(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0) {
  SYSTEMTIME t{};
  t.wYear = WORD(y), t.wMonth = WORD(m), t.wDay = WORD(d);
  t.wHour = WORD(hh), t.wMinute = WORD(mm), t.wSecond = WORD(ss);
  return t;
}

TEST(CommonControls, DateTimeValuesCountDaysFromTheEndOf1899) {
  EXPECT_DOUBLE_EQ(SystemTimeToDateTime(Day(1899, 12, 30)), 0.0);
  EXPECT_DOUBLE_EQ(SystemTimeToDateTime(Day(2000, 1, 1)), 36526.0);
  EXPECT_DOUBLE_EQ(SystemTimeToDateTime(Day(2000, 1, 1, 18)), 36526.75);
  EXPECT_DOUBLE_EQ(SystemTimeToDateTime(Day(1899, 12, 29, 6)), -1.25);
  const SYSTEMTIME t = DateTimeToSystemTime(45351.5);  // a leap day
  EXPECT_EQ(t.wYear, 2024);
  EXPECT_EQ(t.wMonth, 2);
  EXPECT_EQ(t.wDay, 29);
  EXPECT_EQ(t.wHour, 12);
  EXPECT_EQ(t.wDayOfWeek, 4);
  const SYSTEMTIME back = DateTimeToSystemTime(SystemTimeToDateTime(Day(1987, 6, 5, 23, 59, 59)));
  EXPECT_EQ(back.wDay, 5);
  EXPECT_EQ(back.wSecond, 59);
}

TEST(CommonControls, DateTimePickerReadsBackAndReportsUserChanges) {
  TFormFixture f;
  auto* picker = new TDateTimePicker(&f.form);
  picker->SetParent(&f.form);
  picker->SetDate(Day(2001, 3, 14));
  int changes = 0;
  picker->OnChange = [&](TComponent*) { ++changes; };
  f.form.HandleNeeded();
  HWND h = picker->Handle();
  SYSTEMTIME got{};
  ASSERT_EQ(SendMessageW(h, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&got)), GDT_VALID);
  EXPECT_EQ(got.wYear, 2001);
  EXPECT_EQ(got.wDay, 14);
  EXPECT_FALSE(picker->IsUpDownMode());

  SYSTEMTIME set = Day(2010, 7, 4, 9, 30);
  SendMessageW(h, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&set));
  EXPECT_EQ(picker->Date().wYear, 2010);
  EXPECT_EQ(picker->Date().wHour, 0);
  EXPECT_EQ(picker->Time().wHour, 9);
  EXPECT_EQ(picker->Time().wMinute, 30);
  EXPECT_DOUBLE_EQ(picker->DateTime(), SystemTimeToDateTime(set));
  picker->SetTime(Day(1899, 12, 30, 17, 5));
  EXPECT_EQ(picker->Date().wMonth, 7);
  EXPECT_EQ(picker->Time().wHour, 17);

  // The user steps a field with the arrows: the change notification.
  f.form.Show();
  picker->SetFocus();
  Click(h, {6, 10});
  SendMessageW(h, WM_KEYDOWN, VK_UP, 0);
  EXPECT_GE(changes, 1);
  EXPECT_NE(SystemTimeToDateTime(picker->SystemTime()), SystemTimeToDateTime(Day(2010, 7, 4, 17, 5)));

  // The notification as the system sends it.
  changes = 0;
  NMDATETIMECHANGE nm{};
  nm.nmhdr = {h, 0, static_cast<UINT>(DTN_DATETIMECHANGE)};
  nm.dwFlags = GDT_VALID;
  nm.st = Day(2020, 2, 2);
  SendMessageW(h, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&nm.st));
  SendMessageW(f.form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(picker->Date().wYear, 2020);

  picker->SetDateMode(dmUpDown);
  h = picker->Handle();
  EXPECT_NE(StyleOf(h) & DTS_UPDOWN, 0u);
  EXPECT_TRUE(picker->IsUpDownMode());
  EXPECT_EQ(picker->Date().wYear, 2020) << "kept across the new window";
  picker->SetDateFormat(dfLong);
  EXPECT_NE(StyleOf(picker->Handle()) & DTS_LONGDATEFORMAT, 0u);
  picker->SetKind(dtkTime);
  EXPECT_EQ(StyleOf(picker->Handle()) & DTS_TIMEFORMAT, static_cast<DWORD>(DTS_TIMEFORMAT));

  // Limits: the window knows them, values outside come to the edge.
  picker->SetMinDate(SystemTimeToDateTime(Day(2019, 1, 1)));
  picker->SetMaxDate(SystemTimeToDateTime(Day(2021, 12, 31)));
  SYSTEMTIME range[2]{};
  EXPECT_EQ(SendMessageW(picker->Handle(), DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(range)), GDTR_MIN | GDTR_MAX);
  EXPECT_EQ(range[0].wYear, 2019);
  EXPECT_EQ(range[1].wYear, 2021);
  picker->SetDate(Day(2030, 5, 5));
  EXPECT_EQ(picker->Date().wYear, 2021);
  picker->SetDate(Day(1990, 5, 5));
  EXPECT_EQ(picker->Date().wYear, 2019);
}

// ------------------------------------------------------ header control

TEST(CommonControls, HeaderSectionsClickAndResizeByDragging) {
  TFormFixture f;
  auto* header = new THeaderControl(&f.form);
  header->SetParent(&f.form);
  header->Sections().Add("Artist", 120);
  header->Sections().Add("Title", 150)->SetAlignment(taCenter);
  header->Sections().Add("Length", 60);
  std::vector<std::string> events;
  header->OnSectionClick = [&](THeaderControl*, THeaderSection* s) { events.push_back("click " + s->Text()); };
  header->OnSectionResize = [&](THeaderControl*, THeaderSection* s) {
    events.push_back("resize " + s->Text() + " " + std::to_string(s->Width()));
  };
  f.form.Show();
  HWND h = header->Handle();
  EXPECT_EQ(header->Top(), 0) << "at the top of the form";
  EXPECT_EQ(SendMessageW(h, HDM_GETITEMCOUNT, 0, 0), 3);
  wchar_t text[32] = {};
  HDITEMW item{};
  item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
  item.pszText = text;
  item.cchTextMax = 31;
  SendMessageW(h, HDM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, L"Title");
  EXPECT_EQ(item.cxy, 150);
  EXPECT_EQ(item.fmt & HDF_JUSTIFYMASK, HDF_CENTER);
  EXPECT_EQ(header->Sections()[2]->Left(), 270);

  // Painting asks the parent about custom drawing; that is no section
  // notification. The texts come out dark on the light sections.
  TBitmap bmp(header->Width(), header->Height());
  PrintedPixel(*header, bmp, {0, 0});
  EXPECT_GT(InkPixels(bmp, RECT{4, 2, 60, bmp.Height() - 2}, ColorToPixel(clBtnFace)), 10)
      << "the first section's text";
  EXPECT_TRUE(events.empty());

  Click(h, {200, 8});
  EXPECT_EQ(events, std::vector<std::string>{"click Title"});

  // Dragging the divider after the first section 30 pixels right.
  events.clear();
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 8));
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(135, 8));
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 8));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(150, 8));
  EXPECT_EQ(header->Sections()[0]->Width(), 150);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "resize Artist 150");
  EXPECT_EQ(std::count(events.begin(), events.end(), "click Artist"), 0) << "a drag is no click";

  header->Sections()[2]->SetText("Time");
  SendMessageW(h, HDM_GETITEMW, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, L"Time");
  header->Sections().Delete(0);
  EXPECT_EQ(SendMessageW(h, HDM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(header->Sections()[0]->Text(), "Title");
  EXPECT_THROW(header->Sections().Delete(5), Exception);
}

// ------------------------------------------------------------ tree view

std::string ItemText(HWND h, HTREEITEM item) {
  wchar_t buffer[64] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT | TVIF_HANDLE;
  tv.hItem = item;
  tv.pszText = buffer;
  tv.cchTextMax = 63;
  SendMessageW(h, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  return WideToUtf8(buffer);
}

TEST(CommonControls, TreeViewNodesExpandSelectAndGo) {
  TFormFixture f;
  auto* tree = new TTreeView(&f.form);
  tree->SetParent(&f.form);
  tree->SetBounds(10, 10, 250, 300);
  TTreeNodes& items = tree->Items();
  TTreeNode* music = items.Add(nullptr, "Music");
  TTreeNode* rock = items.AddChild(music, "Rock");
  items.AddChild(rock, "Album");
  items.AddChild(music, "Jazz");
  int data = 7;
  rock->SetData(&data);
  std::vector<std::string> events;
  bool refuse = false;
  tree->OnChange = [&](TComponent*, TTreeNode* n) { events.push_back("change " + (n ? n->Text() : "-")); };
  tree->OnExpanding = [&](TComponent*, TTreeNode* n, bool& allow) {
    events.push_back("expanding " + n->Text());
    allow = !refuse;
  };
  tree->OnCollapsing = [&](TComponent*, TTreeNode* n, bool&) { events.push_back("collapsing " + n->Text()); };
  f.form.Show();
  HWND h = tree->Handle();
  TTreeNode* videos = items.Add(music, "Videos");  // after the window exists
  EXPECT_EQ(SendMessageW(h, TVM_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(items.Count(), 5);
  EXPECT_EQ(items[2]->Text(), "Album");
  EXPECT_EQ(items[4], videos);
  EXPECT_EQ(rock->Parent(), music);
  EXPECT_EQ(rock->Level(), 1);
  EXPECT_EQ(music->GetNextSibling(), videos);
  EXPECT_EQ(*static_cast<int*>(rock->Data()), 7);
  EXPECT_EQ(ItemText(h, rock->ItemId()), "Rock");

  // Selecting through the window and by the keyboard.
  SendMessageW(h, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(music->ItemId()));
  EXPECT_EQ(tree->Selected(), music);
  EXPECT_TRUE(music->Selected());
  SendMessageW(h, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(tree->Selected(), videos) << "the children are folded away";
  EXPECT_EQ(events, (std::vector<std::string>{"change Music", "change Videos"}));

  // The user unfolds with the keyboard; a refusal keeps it folded.
  events.clear();
  tree->SetSelected(music);
  refuse = true;
  SendMessageW(h, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_FALSE(music->Expanded());
  refuse = false;
  SendMessageW(h, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_TRUE(music->Expanded());
  EXPECT_NE(SendMessageW(h, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(music->ItemId()), TVIS_EXPANDED) & TVIS_EXPANDED,
            0);
  EXPECT_EQ(events, (std::vector<std::string>{"change Music", "expanding Music", "expanding Music"}));
  SendMessageW(h, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(tree->Selected(), rock);

  // A click on a node's text selects it.
  RECT r{};
  // The item goes in where the rectangle comes out.
  const HTREEITEM jazz = music->GetFirstChild()->GetNextSibling()->ItemId();
  std::memcpy(&r, &jazz, sizeof(jazz));
  ASSERT_TRUE(SendMessageW(h, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
  TrackedClick(h, Centre(r));
  ASSERT_NE(tree->Selected(), nullptr);
  EXPECT_EQ(tree->Selected()->Text(), "Jazz");
  EXPECT_EQ(tree->GetNodeAt(Centre(r).x, Centre(r).y)->Text(), "Jazz");

  events.clear();
  music->Collapse();
  EXPECT_FALSE(music->Expanded());
  EXPECT_EQ(events.front(), "collapsing Music");
  tree->FullExpand();
  EXPECT_TRUE(rock->Expanded());

  // Deleting takes the children with it.
  rock->Delete();
  EXPECT_EQ(SendMessageW(h, TVM_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(music->Count(), 1);
  EXPECT_EQ(items.Count(), 3);

  // Read-only trees refuse editing in place; others take the typed text.
  videos->SetText("Films");
  EXPECT_EQ(ItemText(h, videos->ItemId()), "Films");
  tree->SetReadOnly(true);
  EXPECT_EQ(StyleOf(h) & TVS_EDITLABELS, 0u);
  tree->SetShowLines(false);
  EXPECT_EQ(StyleOf(h) & TVS_HASLINES, 0u);
  EXPECT_NE(StyleOf(h) & TVS_HASBUTTONS, 0u);

  // Nodes outlive a new window.
  RecreateWnd(*tree);
  EXPECT_EQ(SendMessageW(tree->Handle(), TVM_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(ItemText(tree->Handle(), videos->ItemId()), "Films");
  items.Clear();
  EXPECT_EQ(SendMessageW(tree->Handle(), TVM_GETCOUNT, 0, 0), 0);
}

TEST(CommonControls, TreeViewEditsTextInPlaceAndShowsImages) {
  TFormFixture f;
  auto* tree = new TTreeView(&f.form);
  tree->SetParent(&f.form);
  auto* images = new TImageList(&f.form);
  TBitmap strip(32, 16);
  strip.Canvas().Brush().SetColor(clRed);
  strip.Canvas().FillRect(RECT{0, 0, 32, 16});
  images->AddMasked(strip, clFuchsia);
  tree->SetImages(images);
  TTreeNode* node = tree->Items().Add(nullptr, "Disc");
  node->SetImageIndex(1);
  std::string edited;
  tree->OnEdited = [&](TComponent*, TTreeNode*, std::string& text) {
    edited = text;
    text += "!";
  };
  f.form.Show();
  HWND h = tree->Handle();
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(h, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)), images->Handle());
  TVITEMW tv{};
  tv.mask = TVIF_IMAGE | TVIF_HANDLE;
  tv.hItem = node->ItemId();
  SendMessageW(h, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  EXPECT_EQ(tv.iImage, 1);

  tree->SetFocus();
  HWND editor = reinterpret_cast<HWND>(SendMessageW(h, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(node->ItemId())));
  ASSERT_NE(editor, nullptr);
  SetWindowTextW(editor, L"Album");
  SendMessageW(h, TVM_ENDEDITLABELNOW, FALSE, 0);
  EXPECT_EQ(edited, "Album");
  EXPECT_EQ(node->Text(), "Album!");
  EXPECT_EQ(ItemText(h, node->ItemId()), "Album!");

  tree->SetReadOnly(true);
  EXPECT_EQ(SendMessageW(h, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(node->ItemId())), 0);
  delete images;
  EXPECT_EQ(tree->Images(), nullptr);
  EXPECT_EQ(SendMessageW(h, TVM_GETIMAGELIST, TVSIL_NORMAL, 0), 0);
}

}  // namespace
}  // namespace pellamy::test
