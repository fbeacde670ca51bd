// The standard controls on real windows: check boxes, memos, list boxes,
// scroll bars, scroll boxes and frames, spin edits, bitmap and speed buttons
// and tab sets, driven by the messages a user's mouse and keys make, with
// their state and their pixels read back.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "gui/controls/Buttons.h"
#include "gui/controls/ExtCtrls.h"
#include "gui/controls/Frames.h"
#include "gui/controls/Spin.h"
#include "gui/controls/StdCtrls.h"
#include "gui/controls/Tabs.h"
#include "gui/forms/Forms.h"
#include "gui/gdi/Bitmap.h"
#include "support_app.h"
#include "support_ink.h"

namespace pellamy::test {
namespace {

// The client area of a window as it paints itself into a bitmap.
TBitmap Print(HWND h, int width, int height) {
  TBitmap bmp(width, height);
  bmp.Canvas().Brush().SetColor(RGBToColor(1, 2, 3));
  bmp.Canvas().FillRect(RECT{0, 0, width, height});
  SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bmp.Canvas().Handle()), PRF_CLIENT);
  GdiFlush();
  return bmp;
}

std::wstring WindowClass(HWND h) {
  wchar_t name[64] = {};
  GetClassNameW(h, name, 64);
  return name;
}

bool HasStyle(HWND h, LONG_PTR style) {
  return (GetWindowLongPtrW(h, GWL_STYLE) & style) == style;
}

void Click(HWND h, int x, int y, WPARAM keys = 0) {
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(x, y));
  SendMessageW(h, WM_LBUTTONUP, keys, MAKELPARAM(x, y));
}

void Type(HWND h, const std::wstring& text) {
  for (wchar_t ch : text) SendMessageW(h, WM_CHAR, ch, 1);
}

void Key(HWND h, WPARAM vk) {
  SendMessageW(h, WM_KEYDOWN, vk, 1);
  SendMessageW(h, WM_KEYUP, vk, 0xC0000001);
}

// A strip of square images, each filled with one colour and framed by two
// pixels of magenta, the colour left out.
TBitmap GlyphStrip(const std::vector<TColor>& colours, int size = 16) {
  TBitmap strip(size * static_cast<int>(colours.size()), size);
  TCanvas& c = strip.Canvas();
  c.Brush().SetColor(clFuchsia);
  c.FillRect(RECT{0, 0, strip.Width(), size});
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const int left = static_cast<int>(i) * size;
    c.Brush().SetColor(colours[i]);
    c.FillRect(RECT{left + 2, 2, left + size - 2, size - 2});
  }
  return strip;
}

TEST(StdControls, ClassNamesAndKinds) {
  App();
  TForm form(nullptr);
  auto* memo = new TMemo(&form);
  auto* edit = new TEdit(&form);
  auto* spin = new TSpinEdit(&form);
  auto* combo = new TComboBox(&form);
  auto* check = new TCheckBox(&form);
  auto* radio = new TRadioButton(&form);
  auto* button = new TButton(&form);
  auto* bitBtn = new TBitBtn(&form);
  auto* group = new TGroupBox(&form);
  auto* radioGroup = new TRadioGroup(&form);
  auto* list = new TListBox(&form);
  auto* panel = new TPanel(&form);
  auto* bar = new TScrollBar(&form);
  auto* box = new TScrollBox(&form);
  auto* frame = new TFrame(&form);
  auto* speed = new TSpeedButton(&form);
  auto* tabs = new TTabSet(&form);
  const std::vector<std::pair<TComponent*, std::string>> names = {{memo, "TMemo"},      {edit, "TEdit"},
                                                                  {spin, "TSpinEdit"},  {combo, "TComboBox"},
                                                                  {check, "TCheckBox"}, {radio, "TRadioButton"},
                                                                  {button, "TButton"},  {bitBtn, "TBitBtn"},
                                                                  {group, "TGroupBox"}, {radioGroup, "TRadioGroup"},
                                                                  {list, "TListBox"},   {panel, "TPanel"},
                                                                  {bar, "TScrollBar"},  {box, "TScrollBox"},
                                                                  {frame, "TFrame"},    {speed, "TSpeedButton"},
                                                                  {tabs, "TTabSet"}};
  for (const auto& [component, name] : names) EXPECT_EQ(component->ClassName(), name);
  EXPECT_NE(dynamic_cast<TCustomEdit*>(memo), nullptr);
  EXPECT_NE(dynamic_cast<TCustomMemo*>(memo), nullptr);
  EXPECT_NE(dynamic_cast<TCustomEdit*>(edit), nullptr);
  EXPECT_EQ(dynamic_cast<TCustomMemo*>(edit), nullptr);
  EXPECT_NE(dynamic_cast<TCustomEdit*>(spin), nullptr);
  EXPECT_NE(dynamic_cast<TCustomComboBox*>(combo), nullptr);
  EXPECT_NE(dynamic_cast<TCustomCheckBox*>(check), nullptr);
  EXPECT_NE(dynamic_cast<TButtonControl*>(check), nullptr);
  EXPECT_NE(dynamic_cast<TButtonControl*>(radio), nullptr);
  EXPECT_NE(dynamic_cast<TButtonControl*>(button), nullptr);
  EXPECT_NE(dynamic_cast<TButton*>(bitBtn), nullptr);
  EXPECT_NE(dynamic_cast<TCustomGroupBox*>(group), nullptr);
  EXPECT_NE(dynamic_cast<TCustomGroupBox*>(radioGroup), nullptr);
  EXPECT_NE(dynamic_cast<TCustomRadioGroup*>(radioGroup), nullptr);
  EXPECT_EQ(dynamic_cast<TGroupBox*>(radioGroup), nullptr);
  EXPECT_NE(dynamic_cast<TCustomListBox*>(list), nullptr);
  EXPECT_NE(dynamic_cast<TCustomPanel*>(panel), nullptr);
  EXPECT_NE(dynamic_cast<TScrollingWinControl*>(box), nullptr);
  EXPECT_NE(dynamic_cast<TCustomFrame*>(frame), nullptr);
  EXPECT_NE(dynamic_cast<TScrollingWinControl*>(frame), nullptr);
  EXPECT_NE(dynamic_cast<TGraphicControl*>(speed), nullptr);
  EXPECT_NE(dynamic_cast<TCustomControl*>(tabs), nullptr);

  for (TWinControl* c : std::vector<TWinControl*>{memo, edit, spin, combo, check, radio, button, bitBtn, group,
                                                  radioGroup, list, panel, bar, box, frame, tabs})
    c->SetParent(&form);
  speed->SetParent(&form);
  form.HandleNeeded();
  EXPECT_EQ(WindowClass(memo->Handle()), L"Edit");
  EXPECT_EQ(WindowClass(spin->Handle()), L"Edit");
  EXPECT_EQ(WindowClass(spin->UpDownHandle()), L"msctls_updown32");
  EXPECT_EQ(GetParent(spin->UpDownHandle()), spin->Handle());
  EXPECT_EQ(WindowClass(check->Handle()), L"Button");
  EXPECT_EQ(WindowClass(bitBtn->Handle()), L"Button");
  EXPECT_EQ(WindowClass(list->Handle()), L"ListBox");
  EXPECT_EQ(WindowClass(bar->Handle()), L"ScrollBar");
  EXPECT_EQ(WindowClass(box->Handle()), L"TScrollBox");
  EXPECT_EQ(WindowClass(tabs->Handle()), L"TTabSet");
  EXPECT_EQ(WindowClass(group->Handle()), L"TGroupBox");
  EXPECT_EQ(WindowClass(panel->Handle()), L"TPanel");
  EXPECT_EQ(GetWindowLongPtrW(bitBtn->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_EQ(GetWindowLongPtrW(check->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_3STATE);
}

TEST(StdControls, CheckBoxTicksGraysAndUnticksOnClicksAndSpace) {
  App();
  TForm form(nullptr);
  auto* check = new TCheckBox(&form);
  check->SetParent(&form);
  check->SetCaption("Eject when done");
  int clicks = 0;
  check->OnClick = [&](TComponent*) { ++clicks; };
  form.HandleNeeded();
  HWND h = check->Handle();
  SendMessageW(h, BM_CLICK, 0, 0);
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(SendMessageW(h, BM_GETCHECK, 0, 0), BST_CHECKED);
  Key(h, VK_SPACE);
  EXPECT_EQ(check->State(), cbUnchecked);
  EXPECT_EQ(SendMessageW(h, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  Click(h, 5, 5);
  EXPECT_EQ(check->State(), cbChecked);
  // A press that leaves the box before its release is no click.
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
  EXPECT_EQ(check->State(), cbChecked);
  EXPECT_EQ(clicks, 3);

  check->SetAllowGrayed(true);
  check->SetState(cbUnchecked);
  std::vector<LRESULT> seen;
  for (int i = 0; i < 3; ++i) {
    SendMessageW(h, BM_CLICK, 0, 0);
    seen.push_back(SendMessageW(h, BM_GETCHECK, 0, 0));
  }
  EXPECT_EQ(seen, (std::vector<LRESULT>{BST_INDETERMINATE, BST_CHECKED, BST_UNCHECKED}));

  EXPECT_EQ(check->GetPropertyText("Checked"), "False");
  check->SetPropertyText("State", "cbGrayed");
  EXPECT_EQ(SendMessageW(h, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  EXPECT_EQ(check->GetPropertyText("State"), "cbGrayed");
  check->SetPropertyText("Checked", "True");
  EXPECT_EQ(check->State(), cbChecked);
  TPropInfo::Kind kind;
  ASSERT_TRUE(check->PropertyKind("Checked", kind));
  EXPECT_EQ(kind, TPropInfo::Kind::Boolean);
  ASSERT_TRUE(check->PropertyKind("State", kind));
  EXPECT_EQ(kind, TPropInfo::Kind::Enumeration);

  EXPECT_FALSE(HasStyle(h, BS_LEFTTEXT));
  check->SetAlignment(taLeftJustify);
  EXPECT_TRUE(HasStyle(h, BS_LEFTTEXT));
}

TEST(StdControls, MemoTypesLinesAndKeepsItsOptions) {
  App();
  TForm form(nullptr);
  auto* memo = new TMemo(&form);
  memo->SetParent(&form);
  memo->SetBounds(0, 0, 200, 80);
  int changes = 0;
  memo->OnChange = [&](TComponent*) { ++changes; };
  memo->SetLines({"first", "second"});
  form.HandleNeeded();
  HWND h = memo->Handle();
  EXPECT_TRUE(HasStyle(h, ES_MULTILINE));
  EXPECT_FALSE(HasStyle(h, WS_VSCROLL));
  EXPECT_FALSE(HasStyle(h, ES_AUTOHSCROLL)) << "word wrap";
  EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"first", "second"}));
  memo->AddLine("third");
  EXPECT_EQ(memo->LineCount(), 3);
  EXPECT_EQ(memo->Line(2), "third");
  EXPECT_THROW(memo->Line(3), Exception);

  memo->Clear();
  changes = 0;
  Type(h, L"ab\rc\td");
  EXPECT_EQ(memo->Text(), "ab\r\ncd") << "Enter breaks the line; Tab is not typed";
  EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_EQ(memo->CaretLine(), 1);
  EXPECT_GT(changes, 0);
  EXPECT_EQ(SendMessageW(h, WM_GETDLGCODE, VK_TAB, 0) & DLGC_WANTTAB, 0);

  memo->SetWantTabs(true);
  memo->SetWantReturns(false);
  Type(h, L"\te\r");
  EXPECT_EQ(memo->Text(), "ab\r\ncd\te");
  Type(h, L"\nf");  // Ctrl+Enter
  EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"ab", "cd\te", "f"}));
  EXPECT_NE(SendMessageW(h, WM_GETDLGCODE, VK_TAB, 0) & DLGC_WANTTAB, 0);

  // The program's message loop leaves Tab to a memo that types it.
  std::vector<WPARAM> keys;
  TWndMethod old = memo->WindowProc;
  memo->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_KEYDOWN) keys.push_back(m.WParam);
    old(m);
  };
  PostMessageW(h, WM_KEYDOWN, VK_TAB, 1);
  App().ProcessMessages();
  EXPECT_EQ(keys, std::vector<WPARAM>{VK_TAB});
  memo->SetWantTabs(false);
  keys.clear();
  PostMessageW(h, WM_KEYDOWN, VK_TAB, 1);
  App().ProcessMessages();
  EXPECT_TRUE(keys.empty()) << "Tab moves to the next control";
  memo->WindowProc = old;

  memo->SetReadOnly(true);
  const std::string before = memo->Text();
  Type(h, L"xyz");
  EXPECT_EQ(memo->Text(), before);
  memo->SetReadOnly(false);
  memo->Clear();
  memo->SetMaxLength(4);
  Type(h, L"123456");
  EXPECT_EQ(memo->Text(), "1234");

  // Styles a window cannot change make a new window with the same text.
  memo->SetScrollBars(ssVertical);
  h = memo->Handle();
  EXPECT_EQ(memo->Text(), "1234");
  memo->SetLines(std::vector<std::string>(30, "line"));
  EXPECT_TRUE(HasStyle(h, WS_VSCROLL));
  EXPECT_FALSE(HasStyle(h, WS_HSCROLL));
  memo->SetWordWrap(false);
  memo->SetScrollBars(ssBoth);
  h = memo->Handle();
  EXPECT_TRUE(HasStyle(h, ES_AUTOHSCROLL));
  EXPECT_TRUE(HasStyle(h, WS_HSCROLL | WS_VSCROLL));
  EXPECT_EQ(memo->LineCount(), 30);
  EXPECT_EQ(memo->GetPropertyText("ScrollBars"), "ssBoth");
  EXPECT_EQ(memo->GetPropertyText("WordWrap"), "False");
}

TEST(StdControls, ListBoxSelectsByMouseAndKeysAndScrollsWhenFull) {
  App();
  TForm form(nullptr);
  auto* list = new TListBox(&form);
  list->SetParent(&form);
  list->SetBounds(0, 0, 120, 100);
  list->SetSorted(true);
  for (const char* s : {"delta", "Alpha", "charlie", "bravo"}) list->AddItem(s);
  EXPECT_EQ(list->Items(0), "Alpha");
  EXPECT_EQ(list->Items(3), "delta");
  list->SetItemIndex(2);
  form.HandleNeeded();
  HWND h = list->Handle();
  EXPECT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageW(h, LB_GETCURSEL, 0, 0), 2);
  EXPECT_FALSE(HasStyle(h, WS_VSCROLL)) << "four items fit";
  int clicks = 0, doubles = 0;
  list->OnClick = [&](TComponent*) { ++clicks; };
  list->OnDblClick = [&](TComponent*) { ++doubles; };
  const int itemHeight = static_cast<int>(SendMessageW(h, LB_GETITEMHEIGHT, 0, 0));
  Click(h, 10, itemHeight * 1 + 2);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_TRUE(list->Selected(1));
  EXPECT_FALSE(list->Selected(2));
  EXPECT_EQ(clicks, 1);
  Key(h, VK_DOWN);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(clicks, 2);
  Click(h, 10, 2);
  SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 2));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(10, 2));
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(list->ItemIndex(), 0);

  // A new item goes to its sorted place in the window as well.
  EXPECT_EQ(list->AddItem("Echo", 5), 4);
  EXPECT_EQ(list->AddItem("aardvark", 6), 0);
  wchar_t text[32] = {};
  SendMessageW(h, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"aardvark");
  EXPECT_EQ(SendMessageW(h, LB_GETITEMDATA, 5, 0), 5);
  EXPECT_EQ(list->IndexOf("ECHO"), 5);

  list->SetMultiSelect(true);
  h = list->Handle();
  Click(h, 10, 2);
  Click(h, 10, itemHeight * 2 + 2, MK_CONTROL);
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_TRUE(list->Selected(0));
  EXPECT_TRUE(list->Selected(2));
  list->SetSelected(2, false);
  EXPECT_EQ(SendMessageW(h, LB_GETSELCOUNT, 0, 0), 1);

  for (int i = 0; i < 40; ++i) list->AddItem("item " + std::to_string(i));
  EXPECT_TRUE(HasStyle(h, WS_VSCROLL)) << "a bar once the items do not fit";
  list->SetTopIndex(10);
  EXPECT_EQ(SendMessageW(h, LB_GETTOPINDEX, 0, 0), 10);
  EXPECT_EQ(list->GetPropertyText("TopIndex"), "10");
  list->SetItemHeight(20);
  EXPECT_EQ(SendMessageW(h, LB_GETITEMHEIGHT, 0, 0), 20);
  list->DeleteItem(0);
  EXPECT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 45);
  EXPECT_THROW(list->Items(45), Exception);
}

TEST(StdControls, ScrollBarMovesOnArrowsPagesAndThumb) {
  App();
  TForm form(nullptr);
  auto* bar = new TScrollBar(&form);
  bar->SetParent(&form);
  bar->SetBounds(0, 0, 200, 17);
  bar->SetParams(10, 0, 100);
  bar->SetSmallChange(2);
  bar->SetLargeChange(20);
  std::vector<TScrollCode> codes;
  int changes = 0;
  bar->OnScroll = [&](TComponent*, TScrollCode code, int&) { codes.push_back(code); };
  bar->OnChange = [&](TComponent*) { ++changes; };
  form.HandleNeeded();
  HWND h = bar->Handle();
  HWND parent = form.Handle();
  EXPECT_EQ(GetScrollPos(h, SB_CTL), 10);
  // The bar's own keys report to the parent, which hands the report back.
  Key(h, VK_RIGHT);
  EXPECT_EQ(bar->Position(), 12);
  EXPECT_EQ(GetScrollPos(h, SB_CTL), 12);
  SendMessageW(parent, WM_HSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(h));
  EXPECT_EQ(bar->Position(), 32);
  SendMessageW(parent, WM_HSCROLL, SB_LINEUP, reinterpret_cast<LPARAM>(h));
  EXPECT_EQ(bar->Position(), 30);
  SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 77), reinterpret_cast<LPARAM>(h));
  EXPECT_EQ(bar->Position(), 77);
  EXPECT_EQ(GetScrollPos(h, SB_CTL), 77);
  SendMessageW(parent, WM_HSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(h));
  EXPECT_EQ(bar->Position(), 100);
  SendMessageW(parent, WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(h));
  EXPECT_EQ(bar->Position(), 100) << "held at the end";
  SendMessageW(parent, WM_HSCROLL, SB_ENDSCROLL, reinterpret_cast<LPARAM>(h));
  EXPECT_EQ(codes,
            (std::vector<TScrollCode>{scLineDown, scPageDown, scLineUp, scTrack, scBottom, scLineDown, scEndScroll}));
  EXPECT_EQ(changes, 5);

  // A handler can hold the bar back.
  bar->OnScroll = [](TComponent*, TScrollCode, int& position) { position = std::min(position, 50); };
  SendMessageW(parent, WM_HSCROLL, SB_TOP, reinterpret_cast<LPARAM>(h));
  SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 90), reinterpret_cast<LPARAM>(h));
  EXPECT_EQ(bar->Position(), 50);

  // With a page, the thumb's distant end stops at Max.
  bar->SetPageSize(10);
  SendMessageW(parent, WM_HSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(h));
  EXPECT_EQ(bar->Position(), 50);
  bar->OnScroll = nullptr;
  SendMessageW(parent, WM_HSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(h));
  EXPECT_EQ(bar->Position(), 91);
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(h, SB_CTL, &si);
  EXPECT_EQ(si.nPage, 10u);
  EXPECT_EQ(si.nMax, 100);
  EXPECT_THROW(bar->SetParams(0, 10, 5), Exception);

  bar->SetPropertyText("Kind", "sbVertical");
  h = bar->Handle();
  EXPECT_TRUE(HasStyle(h, SBS_VERT));
  EXPECT_EQ(bar->Width(), 17);
  EXPECT_EQ(bar->Height(), 200);
  EXPECT_EQ(GetScrollPos(h, SB_CTL), 91);
  Key(h, VK_UP);
  EXPECT_EQ(bar->Position(), 89);
}

class TTrackFrame : public TFrame {
 public:
  explicit TTrackFrame(TComponent* owner) : TFrame(owner) {
    Title = new TEdit(this);
    Title->SetParent(this);
    Title->SetBounds(8, 8, 100, 21);
    Ok = new TButton(this);
    Ok->SetParent(this);
    Ok->SetBounds(8, 200, 75, 25);
    SetBounds(0, 0, 150, 100);
  }
  std::string ClassName() const override { return "TTrackFrame"; }
  TEdit* Title;
  TButton* Ok;
};

RECT RectIn(HWND child, HWND parent) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST(StdControls, ScrollBoxShowsBarsForItsChildrenAndScrollsThem) {
  App();
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  auto* box = new TScrollBox(&form);
  box->SetParent(&form);
  box->SetBounds(0, 0, 200, 100);
  auto* distant = new TPanel(&form);
  distant->SetParent(box);
  distant->SetBounds(10, 300, 50, 40);
  form.HandleNeeded();
  HWND h = box->Handle();
  EXPECT_NE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_TRUE(HasStyle(h, WS_VSCROLL));
  EXPECT_FALSE(HasStyle(h, WS_HSCROLL));
  const int page = box->ClientHeight();
  const int top = 340 - page;

  SendMessageW(h, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(box->VertPosition(), 8);
  EXPECT_EQ(distant->Top(), 292);
  EXPECT_EQ(RectIn(distant->Handle(), h).top, 292);
  SendMessageW(h, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(box->VertPosition(), 8 + page);
  SendMessageW(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 150), 0);
  EXPECT_EQ(box->VertPosition(), 150);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 150);
  SendMessageW(h, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(box->VertPosition(), top);
  EXPECT_EQ(RectIn(distant->Handle(), h).bottom, page) << "the last child ends at the bottom edge";
  SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  EXPECT_EQ(box->VertPosition(), top - static_cast<int>(lines) * box->Increment());
  SendMessageW(h, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(distant->Top(), 300);

  // Children that come, move or go change the bars.
  auto* wide = new TLabel(&form);
  wide->SetParent(box);
  wide->SetAutoSize(false);
  wide->SetBounds(500, 0, 20, 13);
  EXPECT_TRUE(HasStyle(h, WS_HSCROLL));
  SendMessageW(h, WM_HSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(wide->Left(), 492);
  delete wide;
  EXPECT_FALSE(HasStyle(h, WS_HSCROLL));
  EXPECT_EQ(distant->Left(), 10) << "back to the left once nothing reaches beyond";
  distant->SetBounds(10, 10, 50, 40);
  EXPECT_FALSE(HasStyle(h, WS_VSCROLL));

  box->SetPropertyText("BorderStyle", "bsNone");
  EXPECT_EQ(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
}

TEST(StdControls, FrameEmbedsItsControlsAndScrollsThem) {
  App();
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  auto* frame = new TTrackFrame(&form);
  frame->SetParent(&form);
  frame->SetBounds(20, 20, 150, 100);
  form.HandleNeeded();
  HWND h = frame->Handle();
  EXPECT_EQ(WindowClass(h), L"TTrackFrame");
  EXPECT_EQ(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0) << "no border";
  EXPECT_EQ(GetParent(frame->Title->Handle()), h);
  EXPECT_EQ(frame->Title->Owner(), frame);
  EXPECT_TRUE(HasStyle(h, WS_VSCROLL));
  frame->ScrollInView(frame->Ok);
  EXPECT_EQ(frame->Ok->Top() + frame->Ok->Height(), frame->ClientHeight());
  EXPECT_LT(frame->Title->Top(), 0);
  frame->ScrollInView(frame->Title);
  EXPECT_EQ(frame->Title->Top(), 0) << "scrolled no further than needed";
  EXPECT_EQ(frame->VertPosition(), 8);
  SendMessageW(frame->Ok->Handle(), BM_CLICK, 0, 0);  // still a working button inside
}

TEST(StdControls, SpinEditStepsWithinItsLimits) {
  App();
  TForm form(nullptr);
  auto* spin = new TSpinEdit(&form);
  spin->SetParent(&form);
  spin->SetBounds(0, 0, 80, 22);
  spin->SetMinValue(0);
  spin->SetMaxValue(10);
  spin->SetIncrement(3);
  spin->SetValue(5);
  int changes = 0;
  spin->OnChange = [&](TComponent*) { ++changes; };
  form.HandleNeeded();
  HWND h = spin->Handle();
  EXPECT_EQ(spin->Text(), "5");
  Key(h, VK_UP);
  EXPECT_EQ(spin->Value(), 8);
  Key(h, VK_UP);
  EXPECT_EQ(spin->Value(), 10);
  Key(h, VK_DOWN);
  EXPECT_EQ(spin->Value(), 7);
  EXPECT_EQ(changes, 3);

  // The arrows sit inside the edit's right edge and step the same way.
  HWND arrows = spin->UpDownHandle();
  RECT client, r;
  GetClientRect(h, &client);
  r = RectIn(arrows, h);
  EXPECT_EQ(r.right, client.right);
  EXPECT_EQ(r.bottom - r.top, client.bottom);
  const int half = (r.bottom - r.top) / 2;
  Click(arrows, 4, half / 2);
  EXPECT_EQ(spin->Value(), 10);
  Click(arrows, 4, half + half / 2);
  EXPECT_EQ(spin->Value(), 7);
  Click(arrows, 4, half + half / 2);
  Click(arrows, 4, half + half / 2);
  Click(arrows, 4, half + half / 2);
  EXPECT_EQ(spin->Value(), 0);

  // Only digits go in; a minus sign only when the limits allow one.
  SendMessageW(h, EM_SETSEL, 0, -1);
  Type(h, L"x-4a2");
  EXPECT_EQ(spin->Text(), "42");
  SendMessageW(h, WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(spin->Value(), 10) << "leaving puts the value within the limits";
  spin->SetMinValue(-20);
  SendMessageW(h, EM_SETSEL, 0, -1);
  Type(h, L"-15");
  EXPECT_EQ(spin->Value(), -15);
  spin->SetText("abc");
  EXPECT_EQ(spin->Value(), -20);
  spin->SetPropertyText("Value", "99");
  EXPECT_EQ(spin->Text(), "10");
  EXPECT_EQ(spin->GetPropertyText("Increment"), "3");
}

TEST(StdControls, BitBtnDrawsItsGlyphWithoutTheTopLeftColour) {
  App();
  TForm form(nullptr);
  auto* button = new TBitBtn(&form);
  button->SetParent(&form);
  button->SetBounds(0, 0, 60, 40);
  button->SetGlyph(GlyphStrip({clRed, clBlue, clLime}));
  EXPECT_EQ(button->NumGlyphs(), 3) << "a row of three squares";
  int clicks = 0;
  button->OnClick = [&](TComponent*) { ++clicks; };
  form.HandleNeeded();
  HWND h = button->Handle();
  const std::uint32_t face = ColorToPixel(clBtnFace);

  // No caption: the glyph is centred, at (22, 12).
  TBitmap up = Print(h, 60, 40);
  EXPECT_EQ(up.PixelAt(22, 12), face) << "the glyph's corner is left out";
  EXPECT_EQ(up.PixelAt(23, 13), face);
  EXPECT_EQ(up.PixelAt(24, 14), 0xFF0000u);
  EXPECT_EQ(up.PixelAt(30, 20), 0xFF0000u);
  EXPECT_EQ(up.PixelAt(22 + 13, 12 + 13), 0xFF0000u);
  EXPECT_EQ(up.PixelAt(22 + 14, 12 + 14), face);

  // Pressed: the clicked image, one pixel down and right.
  SendMessageW(h, BM_SETSTATE, TRUE, 0);
  TBitmap pressed = Print(h, 60, 40);
  SendMessageW(h, BM_SETSTATE, FALSE, 0);
  EXPECT_EQ(pressed.PixelAt(24, 14), face);
  EXPECT_EQ(pressed.PixelAt(25, 15), 0x00FF00u);
  EXPECT_EQ(pressed.PixelAt(22 + 14, 12 + 14), 0x00FF00u);

  button->SetEnabled(false);
  TBitmap disabled = Print(h, 60, 40);
  EXPECT_EQ(disabled.PixelAt(30, 20), 0x0000FFu) << "the disabled image";
  button->SetNumGlyphs(1);
  TBitmap grayed = Print(h, 60, 40);
  EXPECT_EQ(grayed.PixelAt(30, 20), ColorToPixel(clBtnShadow)) << "made from the up image";
  EXPECT_EQ(grayed.PixelAt(22 + 14, 12 + 14), ColorToPixel(clBtnHighlight)) << "its relief";
  EXPECT_EQ(grayed.PixelAt(22, 12), face);
  button->SetEnabled(true);

  SendMessageW(h, BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
}

TEST(StdControls, BitBtnPlacesGlyphAndCaptionByLayout) {
  App();
  TForm form(nullptr);
  auto* button = new TBitBtn(&form);
  button->SetParent(&form);
  button->SetBounds(0, 0, 80, 48);
  button->SetGlyph(GlyphStrip({clRed}));
  button->SetCaption("OK");
  button->SetMargin(4);
  form.HandleNeeded();
  HWND h = button->Handle();
  auto glyphAt = [&](int x, int y) {
    TBitmap bmp = Print(h, 80, 48);
    return bmp.PixelAt(x + 2, y + 2) == 0xFF0000u && bmp.PixelAt(x + 13, y + 13) == 0xFF0000u &&
           bmp.PixelAt(x + 1, y + 1) != 0xFF0000u;
  };
  EXPECT_TRUE(glyphAt(4, 16));
  button->SetLayout(blGlyphRight);
  EXPECT_TRUE(glyphAt(80 - 4 - 16, 16));
  button->SetPropertyText("Layout", "blGlyphTop");
  EXPECT_TRUE(glyphAt(32, 4));
  button->SetLayout(blGlyphBottom);
  EXPECT_TRUE(glyphAt(32, 48 - 4 - 16));
  // The caption is drawn beside the glyph, not over it.
  button->SetLayout(blGlyphLeft);
  TBitmap bmp = Print(h, 80, 48);
  const std::uint32_t face = ColorToPixel(clBtnFace), glyph = 0xFF0000u;
  EXPECT_GT(InkPixels(bmp, RECT{4 + 16 + 4, 4, 76, 44}, face, glyph), 10);
  EXPECT_EQ(InkPixels(bmp, RECT{4, 4, 4 + 16 + 4, 44}, face, glyph), 0);
  EXPECT_EQ(CalcButtonLayout(RECT{0, 0, 100, 40}, SIZE{16, 16}, SIZE{30, 13}, blGlyphLeft, -1, -1).GlyphPos.x, 18);
  EXPECT_EQ(CalcButtonLayout(RECT{0, 0, 100, 40}, SIZE{16, 16}, SIZE{30, 13}, blGlyphLeft, -1, 4).TextRect.left,
            25 + 16 + 4);
}

struct SpeedButtonPanel {
  TForm form{nullptr};
  TPanel* panel;
  std::vector<TSpeedButton*> buttons;
  explicit SpeedButtonPanel(int count) {
    panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 200, 50);
    panel->SetBevelOuter(bvNone);
    for (int i = 0; i < count; ++i) {
      auto* b = new TSpeedButton(&form);
      b->SetParent(panel);
      b->SetBounds(10 + 30 * i, 10, 23, 22);
      buttons.push_back(b);
    }
    form.HandleNeeded();
  }
  void ClickButton(int i) { Click(panel->Handle(), 20 + 30 * i, 20); }
  TBitmap Shot() { return Print(panel->Handle(), 200, 50); }
};

TEST(StdControls, SpeedButtonsOfAGroupStayDownOneAtATime) {
  App();
  SpeedButtonPanel p(3);
  std::vector<int> clicked;
  for (int i = 0; i < 3; ++i) {
    p.buttons[static_cast<std::size_t>(i)]->SetGroupIndex(1);
    p.buttons[static_cast<std::size_t>(i)]->OnClick = [&clicked, i](TComponent*) { clicked.push_back(i); };
  }
  p.ClickButton(0);
  EXPECT_TRUE(p.buttons[0]->Down());
  p.ClickButton(2);
  EXPECT_FALSE(p.buttons[0]->Down());
  EXPECT_TRUE(p.buttons[2]->Down());
  p.ClickButton(2);
  EXPECT_TRUE(p.buttons[2]->Down()) << "the group keeps one down";
  p.buttons[1]->SetPropertyText("AllowAllUp", "True");
  EXPECT_TRUE(p.buttons[2]->AllowAllUp()) << "the group shares it";
  p.ClickButton(2);
  EXPECT_FALSE(p.buttons[2]->Down());
  EXPECT_EQ(clicked, (std::vector<int>{0, 2, 2, 2}));
  p.buttons[1]->SetDown(true);
  EXPECT_EQ(p.buttons[1]->GetPropertyText("Down"), "True");
  p.buttons[0]->SetDown(true);
  EXPECT_FALSE(p.buttons[1]->Down());

  // Released away from the button: no click, and still up.
  HWND h = p.panel->Handle();
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 20));
  EXPECT_TRUE(p.buttons[1]->Pressed());
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 45));
  EXPECT_FALSE(p.buttons[1]->Pressed()) << "looks up while the pointer is off it";
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(150, 45));
  EXPECT_FALSE(p.buttons[1]->Down());
  EXPECT_EQ(clicked.size(), 4u);

  // Without a group a button comes up again after its click.
  p.buttons[1]->SetGroupIndex(0);
  p.ClickButton(1);
  EXPECT_FALSE(p.buttons[1]->Down());
  EXPECT_EQ(clicked.back(), 1);
  p.buttons[1]->SetDown(true);
  EXPECT_FALSE(p.buttons[1]->Down());
}

TEST(StdControls, SpeedButtonLooksPressedDownAndFlat) {
  App();
  SpeedButtonPanel p(2);
  TSpeedButton* b = p.buttons[0];
  b->SetGlyph(GlyphStrip({clRed}));
  HWND h = p.panel->Handle();
  const std::uint32_t face = ColorToPixel(clBtnFace), shadow = ColorToPixel(clBtnShadow);
  // Glyph centred in 23 x 22 at (4, 3).
  TBitmap up = p.Shot();
  EXPECT_NE(up.PixelAt(10, 10), shadow) << "raised";
  EXPECT_EQ(up.PixelAt(10 + 4, 10 + 3), face) << "glyph corner left out";
  EXPECT_EQ(up.PixelAt(10 + 4 + 8, 10 + 3 + 8), 0xFF0000u);

  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  TBitmap pressed = p.Shot();
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(pressed.PixelAt(10, 10), shadow) << "sunken";
  EXPECT_NE(up.PixelAt(10 + 4 + 14, 10 + 3 + 14), 0xFF0000u);
  EXPECT_EQ(pressed.PixelAt(10 + 4 + 14, 10 + 3 + 14), 0xFF0000u) << "moved one pixel";

  b->SetFlat(true);
  TBitmap flat = p.Shot();
  EXPECT_EQ(flat.PixelAt(10, 10), face) << "no border away from the pointer";
  SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  EXPECT_TRUE(b->MouseInControl());
  TBitmap hover = p.Shot();
  EXPECT_EQ(hover.PixelAt(10, 10), ColorToPixel(clBtnHighlight)) << "a border under the pointer";
  SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(190, 45));
  EXPECT_EQ(p.Shot().PixelAt(10, 10), face);

  // Transparent: the parent's colour shows where the glyph leaves out.
  p.panel->SetColor(RGBToColor(0, 0, 200));
  b->SetPropertyText("Transparent", "True");
  TBitmap transparent = p.Shot();
  EXPECT_EQ(transparent.PixelAt(10 + 4, 10 + 3), 0x0000C8u);
  EXPECT_EQ(transparent.PixelAt(10 + 4 + 8, 10 + 3 + 8), 0xFF0000u);
}

TEST(StdControls, TabSetSelectsByClickAndArrowKeysAndScrollsItsTabs) {
  App();
  TForm form(nullptr);
  auto* tabs = new TTabSet(&form);
  tabs->SetParent(&form);
  tabs->SetBounds(0, 0, 300, 21);
  tabs->SetTabs({"Tracks", "Output", "Pictures"});
  tabs->SetSelectedColor(clRed);
  tabs->SetUnselectedColor(clLime);
  std::vector<int> asked;
  bool allow = true;
  tabs->OnChange = [&](TComponent*, int tab, bool& ok) {
    asked.push_back(tab);
    ok = allow;
  };
  form.HandleNeeded();
  HWND h = tabs->Handle();
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_FALSE(tabs->ScrollButtonsShown());
  const RECT second = tabs->TabRect(1);
  Click(h, (second.left + second.right) / 2, 8);
  EXPECT_EQ(tabs->TabIndex(), 1);
  Key(h, VK_RIGHT);
  EXPECT_EQ(tabs->TabIndex(), 2);
  Key(h, VK_RIGHT);
  EXPECT_EQ(tabs->TabIndex(), 2) << "no tab past the last";
  allow = false;
  Key(h, VK_LEFT);
  EXPECT_EQ(tabs->TabIndex(), 2) << "the handler kept the tab";
  allow = true;
  EXPECT_EQ(asked, (std::vector<int>{1, 2, 1}));
  EXPECT_EQ(SendMessageW(h, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);

  TBitmap bmp = Print(h, 300, 21);
  const RECT third = tabs->TabRect(2), first = tabs->TabRect(0);
  EXPECT_EQ(bmp.PixelAt(third.left + 6, 4), 0xFF0000u) << "selected colour";
  EXPECT_EQ(bmp.PixelAt(first.left + 6, 4), 0x00FF00u) << "unselected colour";
  EXPECT_EQ(bmp.PixelAt(third.left + 6, 0), 0xFF0000u) << "the selected tab joins the page";
  EXPECT_NE(bmp.PixelAt(first.left + 6, 0), 0x00FF00u) << "the others stay behind the page's edge";

  // More tabs than room: arrow buttons scroll them.
  std::vector<std::string> many;
  for (int i = 0; i < 12; ++i) many.push_back("Tab " + std::to_string(i));
  tabs->SetTabs(many);
  tabs->SetTabIndex(0);
  EXPECT_TRUE(tabs->ScrollButtonsShown());
  const RECT right = tabs->ScrollButtonRect(true);
  Click(h, (right.left + right.right) / 2, 8);
  EXPECT_EQ(tabs->FirstIndex(), 1);
  EXPECT_EQ(tabs->TabRect(0).right, 0) << "scrolled out";
  const RECT left = tabs->ScrollButtonRect(false);
  Click(h, (left.left + left.right) / 2, 8);
  EXPECT_EQ(tabs->FirstIndex(), 0);
  tabs->SetTabIndex(11);
  EXPECT_GT(tabs->FirstIndex(), 0) << "the selected tab is brought into view";
  EXPECT_GT(tabs->TabRect(11).right, 0);
  EXPECT_LE(tabs->TabRect(11).right, left.left);
  EXPECT_EQ(tabs->GetPropertyText("TabIndex"), "11");
}

TEST(StdControls, RestructuredControlsKeepTheirBehaviour) {
  App();
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  auto* combo = new TComboBox(&form);
  combo->SetParent(&form);
  combo->SetStyle(csDropDownList);
  combo->AddItem("D:", 'D');
  combo->AddItem("E:", 'E');
  auto* group = new TRadioGroup(&form);
  group->SetParent(&form);
  group->SetBounds(0, 40, 200, 60);
  group->SetItems({".mp3", ".wav"});
  group->SetItemIndex(1);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  int edits = 0, selects = 0, groupChanges = 0;
  edit->OnChange = [&](TComponent*) { ++edits; };
  combo->OnSelect = [&](TComponent*) { ++selects; };
  group->OnChange = [&](TComponent*) { ++groupChanges; };
  form.HandleNeeded();
  Type(edit->Handle(), L"abc");
  EXPECT_EQ(edit->Text(), "abc");
  EXPECT_EQ(edits, 3);
  edit->SetMaxLength(4);
  Type(edit->Handle(), L"de");
  EXPECT_EQ(edit->Text(), "abcd");
  EXPECT_EQ(edit->GetPropertyText("MaxLength"), "4");
  SendMessageW(combo->Handle(), CB_SETCURSEL, 1, 0);
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo->Handle()));
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Objects(1), 'E');
  EXPECT_EQ(selects, 1);
  SendMessageW(group->Buttons(0)->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(group->ItemIndex(), 0);
  EXPECT_EQ(groupChanges, 1);
  EXPECT_EQ(SendMessageW(group->Buttons(1)->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  for (const char* name : {"BevelOuter", "BevelInner", "Caption"}) EXPECT_TRUE(panel->HasProperty(name)) << name;
  panel->SetPropertyText("BevelOuter", "bvLowered");
  EXPECT_EQ(panel->BevelOuter(), bvLowered);
  panel->SetPropertyText("Caption", "Ready");
  EXPECT_EQ(panel->Caption(), "Ready");
}

}  // namespace
}  // namespace pellamy::test
