// The gallery program's forms: every control there with its class and kind,
// its menus as the system shows them, the owner-drawn popup, the buttons that
// open system dialogs, controls that act on each other, the MDI frame, and
// the skin it starts with and switches by its Skin menu.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "GalleryForm.h"
#include "GalleryMdi.h"
#include "SkinPack.h"
#include "gui/gdi/Bitmap.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/WideText.h"
#include "skin/model/SkinManager.h"
#include "support/TempDir.h"
#include "support_app.h"

namespace pellamy::test {
namespace {

using gallery::TGalleryForm;
using gallery::TGalleryMdiForm;

std::string ClassOf(HWND h) {
  wchar_t name[64] = {};
  GetClassNameW(h, name, 64);
  return WideToUtf8(name);
}

std::vector<std::string> MenuTexts(HMENU menu) {
  std::vector<std::string> texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t buffer[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), buffer, 128, MF_BYPOSITION);
    texts.push_back(WideToUtf8(buffer));
  }
  return texts;
}

UINT ItemState(HMENU menu, const TMenuItem* item) {
  return GetMenuState(menu, item->Command(), MF_BYCOMMAND);
}

// The gallery form, shown, with its system dialogs replaced; unskinned
// unless a skin file is given.
struct TShownGallery {
  TGalleryForm form;
  std::vector<std::string> asked;
  explicit TShownGallery(const std::string& skin = "") : form(nullptr, skin) {
    App();
    form.AskUser = [this](const std::string& text) {
      asked.push_back(text);
      return IDNO;
    };
    form.ChooseFolder = [] { return std::string("C:\\Rips"); };
    form.Show();
    App().ProcessMessages();
  }
  std::string Status() {
    wchar_t text[128] = {};
    SendMessageW(form.StatusBar1->Handle(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return WideToUtf8(text);
  }
};

TEST(Gallery, EveryControlIsThereWithItsClassAndKind) {
  TShownGallery g;
  EXPECT_EQ(g.form.Caption(), "Pellamy gallery");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"lbl1", "TLabel"},
      {"cbbSourceDriver", "TComboBox"},
      {"edtOutputPath", "TEdit"},
      {"btnBrowse", "TButton"},
      {"rgOutputType", "TRadioGroup"},
      {"lvCdTracks", "TListView"},
      {"ProgressBar1", "TProgressBar"},
      {"StatusBar1", "TStatusBar"},
      {"pnlRightMain", "TPanel"},
      {"Image1", "TImage"},
      {"MouseEffectImage1", "TMouseEffectImage"},
      {"BitBtn1", "TBitBtn"},
      {"SpeedButton1", "TSpeedButton"},
      {"CheckBox2", "TCheckBox"},
      {"RadioButton1", "TRadioButton"},
      {"GroupBox1", "TGroupBox"},
      {"Memo1", "TMemo"},
      {"ListBox1", "TListBox"},
      {"SpinEdit1", "TSpinEdit"},
      {"ScrollBar1", "TScrollBar"},
      {"ScrollBox1", "TScrollBox"},
      {"TrackBar1", "TTrackBar"},
      {"UpDown1", "TUpDown"},
      {"DateTimePicker2", "TDateTimePicker"},
      {"PageControl1", "TPageControl"},
      {"TabSheet2", "TTabSheet"},
      {"TabControl1", "TTabControl"},
      {"HeaderControl1", "THeaderControl"},
      {"StringGrid1", "TStringGrid"},
      {"TabSet1", "TTabSet"},
      {"TreeView1", "TTreeView"},
      {"ToolBar1", "TToolBar"},
      {"tbMute", "TToolButton"},
      {"Frame1", "TGalleryFrame"},
      {"InnerForm", "TGalleryInnerForm"},
      {"MainMenu1", "TMainMenu"},
      {"PopupMenu1", "TPopupMenu"},
      {"Images", "TImageList"},
  };
  for (const auto& [name, className] : expected) {
    TComponent* component = g.form.FindComponent(name);
    ASSERT_NE(component, nullptr) << name;
    EXPECT_EQ(component->ClassName(), className) << name;
    // Every windowed control has a visible window inside the form.
    if (auto* control = dynamic_cast<TWinControl*>(component); control != nullptr && name != "TabSheet2") {
      ASSERT_TRUE(control->HandleAllocated()) << name;
      EXPECT_TRUE(IsWindowVisible(control->Handle())) << name;
      EXPECT_TRUE(IsChild(g.form.Handle(), control->Handle())) << name;
    }
  }
  // The kinds the skin engine tells controls apart by.
  EXPECT_NE(dynamic_cast<TCustomCheckBox*>(g.form.CheckBox2), nullptr);
  EXPECT_NE(dynamic_cast<TCustomRadioGroup*>(g.form.rgOutputType), nullptr);
  EXPECT_NE(dynamic_cast<TCustomGroupBox*>(g.form.GroupBox1), nullptr);
  EXPECT_NE(dynamic_cast<TCustomPanel*>(g.form.pnlInner), nullptr);
  EXPECT_NE(dynamic_cast<TCustomListView*>(g.form.lvCdTracks), nullptr);
  EXPECT_NE(dynamic_cast<TCustomMemo*>(g.form.Memo1), nullptr);
  EXPECT_NE(dynamic_cast<TCustomGrid*>(g.form.StringGrid1), nullptr);
  EXPECT_NE(dynamic_cast<TCustomComboBox*>(g.form.cbbSourceDriver), nullptr);
  EXPECT_NE(dynamic_cast<TCustomEdit*>(g.form.SpinEdit1), nullptr);
  EXPECT_NE(dynamic_cast<TCustomListBox*>(g.form.ListBox1), nullptr);
  EXPECT_NE(dynamic_cast<TCustomTreeView*>(g.form.TreeView1), nullptr);
  EXPECT_NE(dynamic_cast<TScrollingWinControl*>(g.form.ScrollBox1), nullptr);
  EXPECT_NE(dynamic_cast<TCustomFrame*>(g.form.Frame1), nullptr);
  EXPECT_EQ(ClassOf(g.form.Handle()), "TGalleryForm");
  EXPECT_EQ(ClassOf(g.form.TrackBar1->Handle()), "msctls_trackbar32");
  EXPECT_EQ(ClassOf(g.form.ToolBar1->Handle()), "ToolbarWindow32");
  EXPECT_EQ(ClassOf(g.form.SpinEdit1->UpDownHandle()), "msctls_updown32");
  // The embedded form is a child window of its panel, the frame's controls
  // children of the frame.
  HWND inner = g.form.InnerForm->Handle();
  EXPECT_EQ(GetParent(inner), g.form.pnlInner->Handle());
  EXPECT_TRUE(GetWindowLongPtrW(inner, GWL_STYLE) & WS_CHILD);
  EXPECT_TRUE(IsWindowVisible(g.form.InnerForm->chkInner->Handle()));
  EXPECT_EQ(GetParent(g.form.Frame1->edtArtist->Handle()), g.form.Frame1->Handle());
  // The up-down carries its buddy's number.
  EXPECT_EQ(g.form.edtUpDown->Text(), "5");
}

TEST(Gallery, PropertiesTheSkinSetsByName) {
  TShownGallery g;
  TToolBar* bar = g.form.ToolBar1;
  EXPECT_EQ(bar->GetPropertyText("Flat"), "True");
  bar->SetPropertyText("Transparent", "True");
  EXPECT_TRUE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & TBSTYLE_TRANSPARENT);
  bar->SetPropertyText("Flat", "False");
  EXPECT_FALSE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & TBSTYLE_FLAT);
  g.form.StringGrid1->SetPropertyText("FixedColor", std::to_string(clSilver));
  EXPECT_EQ(g.form.StringGrid1->FixedColor(), clSilver);
  TPropInfo::Kind kind{};
  ASSERT_TRUE(g.form.CheckBox2->PropertyKind("State", kind));
  EXPECT_EQ(kind, TPropInfo::Kind::Enumeration);
  EXPECT_EQ(g.form.CheckBox2->GetPropertyText("State"), "cbGrayed");
  EXPECT_EQ(g.form.PopupMenu1->Tag(), TGalleryForm::kPopupTag);
}

TEST(Gallery, MainMenuAsTheSystemShowsIt) {
  TShownGallery g;
  HMENU bar = GetMenu(g.form.Handle());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar, g.form.MainMenu1->Handle());
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::string>{"&File", "&Edit", "&View", "&Skin", "&Help", "&Disc"}));
  HMENU file = GetSubMenu(bar, 0);
  const std::vector<std::string> fileTexts = MenuTexts(file);
  ASSERT_EQ(fileTexts.size(), 6u);
  EXPECT_EQ(fileTexts[0], "&Open folder...\tCtrl+O");
  EXPECT_EQ(fileTexts[1], "&Save\tCtrl+S");
  EXPECT_EQ(fileTexts[5], "E&xit\tAlt+F4");
  EXPECT_NE(GetSubMenu(file, 3), nullptr);  // Recent discs
  EXPECT_EQ(MenuTexts(GetSubMenu(file, 3)).size(), 2u);
  EXPECT_TRUE(ItemState(file, g.form.mnuSave) & MF_GRAYED);
  HMENU view = GetSubMenu(bar, 2);
  EXPECT_TRUE(ItemState(view, g.form.mnuToolBar) & MF_CHECKED);
  EXPECT_TRUE(ItemState(view, g.form.mnuSmall) & MF_CHECKED);
  EXPECT_FALSE(ItemState(view, g.form.mnuLarge) & MF_CHECKED);
  HMENU help = GetSubMenu(bar, 4);
  EXPECT_EQ(GetMenuDefaultItem(help, FALSE, 0), g.form.mnuAbout->Command());

  // A disabled item's command does nothing; an enabled one runs its click.
  const std::string before = g.Status();
  SendMessageW(g.form.Handle(), WM_COMMAND, MAKEWPARAM(g.form.mnuSave->Command(), 0), 0);
  EXPECT_EQ(g.Status(), before);
  SendMessageW(g.form.Handle(), WM_COMMAND, MAKEWPARAM(g.form.mnuOpen->Command(), 0), 0);
  EXPECT_EQ(g.form.edtOutputPath->Text(), "C:\\Rips");
  // A checked item that checks itself hides the tool bar.
  SendMessageW(g.form.Handle(), WM_COMMAND, MAKEWPARAM(g.form.mnuToolBar->Command(), 0), 0);
  EXPECT_FALSE(g.form.mnuToolBar->Checked());
  EXPECT_FALSE(IsWindowVisible(g.form.ToolBar1->Handle()));
  // Radio items: choosing one unchecks the other.
  SendMessageW(g.form.Handle(), WM_COMMAND, MAKEWPARAM(g.form.mnuLarge->Command(), 0), 0);
  EXPECT_TRUE(ItemState(view, g.form.mnuLarge) & MF_CHECKED);
  EXPECT_FALSE(ItemState(view, g.form.mnuSmall) & MF_CHECKED);
  // A shortcut through the message loop.
  BYTE saved[256], state[256];
  GetKeyboardState(saved);
  std::copy(std::begin(saved), std::end(saved), state);
  state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
  SetKeyboardState(state);
  PostMessageW(g.form.Memo1->Handle(), WM_KEYDOWN, 'Z', 0);
  App().ProcessMessages();
  SetKeyboardState(saved);
  EXPECT_EQ(g.Status(), "Nothing to undo");
}

TEST(Gallery, OwnerDrawnPopupMeasuresAndDrawsItsItems) {
  TShownGallery g;
  TPopupMenu* popup = g.form.PopupMenu1;
  int popups = 0;
  popup->OnPopup = [&](TComponent*) { ++popups; };
  // Opened by a right click over a control; Escape waits for its menu loop.
  PostMessageW(TPopupMenu::Window(), WM_KEYDOWN, VK_ESCAPE, 0);
  SendMessageW(g.form.GroupBox1->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(g.form.GroupBox1->Handle()),
               MAKELPARAM(300, 100));
  App().ProcessMessages();
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(popup->PopupComponent(), g.form.GroupBox1);
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(popup->Handle(), 0, TRUE, &mii));
  EXPECT_TRUE(mii.fType & MFT_OWNERDRAW);

  // Measured by the gallery's handler: at least 22 pixels high.
  MEASUREITEMSTRUCT mis{ODT_MENU, 0, g.form.popPlay->Command(), 0, 0, reinterpret_cast<ULONG_PTR>(g.form.popPlay)};
  SendMessageW(TPopupMenu::Window(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
  EXPECT_GE(mis.itemHeight, 22u);
  EXPECT_GT(mis.itemWidth, 24u);

  // Drawn by it: the accent gutter, the selection colour, the image.
  TBitmap bmp(160, 22);
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_MENU;
  dis.itemID = g.form.popPlay->Command();
  dis.itemState = ODS_SELECTED;
  dis.hDC = bmp.Canvas().Handle();
  dis.rcItem = {0, 0, 160, 22};
  dis.itemData = reinterpret_cast<ULONG_PTR>(g.form.popPlay);
  SendMessageW(TPopupMenu::Window(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
  GdiFlush();
  EXPECT_EQ(bmp.PixelAt(1, 10), ColorToPixel(RGB(214, 150, 40)));
  EXPECT_EQ(bmp.PixelAt(150, 2), ColorToPixel(RGB(40, 90, 160)));
  // The speaker glyph's black cone sits at x 8 + 6.
  EXPECT_EQ(bmp.PixelAt(14, 11), ColorToPixel(clBlack));
  // Not selected, the ground is light; disabled, the glyph is grayed.
  dis.itemState = 0;
  SendMessageW(TPopupMenu::Window(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
  GdiFlush();
  EXPECT_EQ(bmp.PixelAt(150, 2), ColorToPixel(RGB(246, 244, 236)));
  g.form.popPlay->SetEnabled(false);
  SendMessageW(TPopupMenu::Window(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
  GdiFlush();
  EXPECT_NE(bmp.PixelAt(14, 11), ColorToPixel(clBlack));
}

// Presses a button of the message box this thread shows next.
VOID CALLBACK AnswerBox(HWND, UINT, UINT_PTR timer, DWORD) {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM) -> BOOL {
        if (ClassOf(h) != "#32770") return TRUE;
        PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
        return FALSE;
      },
      0);
  KillTimer(nullptr, timer);
}

TEST(Gallery, ButtonsOpenTheMessageBoxAndTheFolderPicker) {
  TShownGallery g;
  SendMessageW(g.form.btnMessage->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(g.asked, std::vector<std::string>{"Rip the ticked tracks now?"});
  EXPECT_EQ(g.Status(), "No");
  SendMessageW(g.form.btnBrowse->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(g.form.edtOutputPath->Text(), "C:\\Rips");
  // The real message box, answered by a timer in its own message loop.
  TGalleryForm plain(nullptr);
  plain.Show();
  SetTimer(nullptr, 0, 200, AnswerBox);
  EXPECT_EQ(plain.AskUser("Answer yes"), IDYES);
}

TEST(Gallery, ControlsActOnEachOther) {
  TShownGallery g;
  // The track bar moved by a key drives the progress bar and the status.
  SendMessageW(g.form.TrackBar1->Handle(), WM_KEYDOWN, VK_RIGHT, 1);
  SendMessageW(g.form.TrackBar1->Handle(), WM_KEYUP, VK_RIGHT, 0xC0000001);
  EXPECT_EQ(g.form.TrackBar1->Position(), 41);
  EXPECT_EQ(g.form.ProgressBar1->Position(), 41);
  EXPECT_EQ(g.Status(), "Volume 41");
  // Clicking the third tab of the tab control.
  const RECT tab = g.form.TabControl1->TabRect(2);
  const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  SendMessageW(g.form.TabControl1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(g.form.TabControl1->Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(g.form.TabControl1->TabIndex(), 2);
  auto* balance = dynamic_cast<TLabel*>(g.form.FindComponent("lblBalance"));
  ASSERT_NE(balance, nullptr);
  EXPECT_EQ(balance->Caption(), "Channel: Both");
  // The speed buttons of one group: pressing one releases the other.
  const LPARAM onSecond = MAKELPARAM(g.form.SpeedButton2->Left() + 10, g.form.SpeedButton2->Top() + 10);
  SendMessageW(g.form.GroupBox1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, onSecond);
  SendMessageW(g.form.GroupBox1->Handle(), WM_LBUTTONUP, 0, onSecond);
  EXPECT_TRUE(g.form.SpeedButton2->Down());
  EXPECT_FALSE(g.form.SpeedButton1->Down());
  // Select all ticks every track.
  TMenuItem* selectAll = dynamic_cast<TMenuItem*>(g.form.FindComponent("mnuSelectAll"));
  ASSERT_NE(selectAll, nullptr);
  selectAll->Click();
  for (int i = 0; i < g.form.lvCdTracks->ItemCount(); ++i) EXPECT_TRUE(g.form.lvCdTracks->Checked(i));
}

TEST(Gallery, MdiFrameWithTwoChildren) {
  App();
  TGalleryMdiForm mdi(nullptr);
  mdi.Show();
  gallery::TGalleryChild* one = mdi.NewChild();
  gallery::TGalleryChild* two = mdi.NewChild();
  App().ProcessMessages();
  EXPECT_EQ(mdi.Caption(), "Pellamy gallery MDI");
  EXPECT_EQ(ClassOf(mdi.ClientHandle()), "MDIClient");
  EXPECT_EQ(mdi.MDIChildCount(), 2);
  EXPECT_EQ(GetParent(one->Handle()), mdi.ClientHandle());
  EXPECT_EQ(mdi.ActiveMDIChild(), two);
  // The active child's Text menu sits between File and Window.
  std::vector<std::string> bar = MenuTexts(GetMenu(mdi.Handle()));
  EXPECT_EQ(bar, (std::vector<std::string>{"&File", "&Text", "&Window"}));
  // The window menu lists both children.
  const std::vector<std::string> window = MenuTexts(GetSubMenu(GetMenu(mdi.Handle()), 2));
  EXPECT_NE(std::find(window.begin(), window.end(), "&1 Track list 1"), window.end());
  EXPECT_NE(std::find(window.begin(), window.end(), "&2 Track list 2"), window.end());
  // Maximised, the child fills the client; restored, it is back.
  two->SetWindowState(wsMaximized);
  EXPECT_TRUE(IsZoomed(two->Handle()));
  RECT client, childClient;
  GetClientRect(mdi.ClientHandle(), &client);
  GetClientRect(two->Handle(), &childClient);
  EXPECT_EQ(childClient.right, client.right);
  two->SetWindowState(wsNormal);
  EXPECT_FALSE(IsZoomed(two->Handle()));
  // Tiled side by side, neither overlaps the other.
  mdi.mnuTile->Click();
  RECT a, b, overlap;
  GetWindowRect(one->Handle(), &a);
  GetWindowRect(two->Handle(), &b);
  EXPECT_FALSE(IntersectRect(&overlap, &a, &b));
  // A new child from the menu; closing one frees it.
  mdi.mnuNew->Click();
  EXPECT_EQ(mdi.MDIChildCount(), 3);
  mdi.mnuCloseChild->Click();
  App().ProcessMessages();
  EXPECT_EQ(mdi.MDIChildCount(), 2);
  EXPECT_EQ(mdi.FindComponent("Child3"), nullptr);
  // The child's own command acts on its memo.
  one->mnuUpper->Click();
  EXPECT_EQ(one->Memo1->Line(0), "TRACK 1");
}

int ThreadWindows() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND, LPARAM n) {
        ++*reinterpret_cast<int*>(n);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST(Gallery, BothFormsGiveBackTheirWindowsAndGdiObjects) {
  App();
  // Once first: the library's own hidden windows come into being then.
  { TShownGallery warmUp; }
  App().ProcessMessages();
  const int windows = ThreadWindows();
  const int gdi = HandleLiveCount();
  for (int round = 0; round < 3; ++round) {
    TShownGallery g;
    TGalleryMdiForm mdi(nullptr);
    mdi.Show();
    mdi.NewChild();
    mdi.NewChild()->SetWindowState(wsMaximized);
    App().ProcessMessages();
  }
  App().ProcessMessages();
  EXPECT_EQ(ThreadWindows(), windows);
  EXPECT_EQ(HandleLiveCount(), gdi);
}

// ------------------------------------------------------------------ skins

namespace fs = std::filesystem;

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A skin with a name and nothing else to draw.
std::vector<std::uint8_t> NamedSkin(const std::string& name) {
  return PackSkin({{"skin.ini", Bytes("[TitlebarSkin]\r\nSkinName=" + name + "\r\n")}});
}

// A folder of skin files beside other files, as a skin author's folder is.
struct TSkinFolder {
  TempDir dir;
  std::string Folder() const { return dir.Path().string() + "\\"; }
  std::string File(const std::string& name) const { return Folder() + name; }
  TSkinFolder() {
    WriteFile(dir.Path() / "one.tmp", NamedSkin("Skin One"));
    WriteFile(dir.Path() / "Two.TMP", NamedSkin("Skin Two"));
    WriteFile(dir.Path() / "notes.txt", Bytes("not a skin"));
    fs::create_directory(dir.Path() / "folder.tmp");
    // Refused by the reader: a container of an older format number.
    std::vector<std::uint8_t> content = BuildSkinContent({{"skin.ini", Bytes("[TitlebarSkin]\r\nSkinName=Old\r\n")}});
    content[0] = 0x10;  // 10000 = 0x2710
    content[1] = 0x27;
    WriteFile(dir.Path() / "old.tmp", CompressContainer(content));
  }
};

std::vector<std::string> SkinMenu(TGalleryForm& form) {
  return MenuTexts(form.mnuSkin->Handle());
}

bool Checked(TGalleryForm& form, const TMenuItem* item) {
  return item != nullptr && (ItemState(form.mnuSkin->Handle(), item) & MF_CHECKED) != 0;
}

// An item of the Skin menu by its caption, as the menu is given it.
TMenuItem* SkinItem(TGalleryForm& form, const std::string& caption) {
  TMenuItem* item = form.mnuSkin->Find(caption);
  EXPECT_NE(item, nullptr) << caption;
  return item;
}

TEST(GallerySkin, StartsWithRipFromItsOwnFolderWhereverItRunsFrom) {
  App();
  // The build puts our skins next to the test program, as next to gallery.exe.
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const fs::path folder = fs::path(self).parent_path();
  ASSERT_TRUE(fs::exists(folder / "rip.tmp"));
  ASSERT_TRUE(fs::exists(folder / "daylight.tmp"));
  EXPECT_EQ(fs::path(gallery::ProgramFolder()), folder / "");

  TempDir elsewhere;
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  SetCurrentDirectoryW(elsewhere.Path().wstring().c_str());
  TGalleryForm form(nullptr);
  SetCurrentDirectoryW(saved);

  TSkinData* skin = form.SkinData1;
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->Owner(), &form);
  EXPECT_EQ(form.FindComponent("SkinData1"), skin);
  EXPECT_EQ(skin->SkinFormtype(), TSkinFormType::sfMainform);
  EXPECT_EQ(fs::path(skin->SkinFile()), folder / "rip.tmp");
  EXPECT_FALSE(skin->SkinEmpty);
  EXPECT_TRUE(skin->Active());
  EXPECT_EQ(skin->ComponentState() & (csLoading | csReading), 0u) << "loaded, no longer reading";
  ASSERT_NE(SkinManager, nullptr);
  const auto& registered = SkinManager->SkinDatas();
  EXPECT_NE(std::find(registered.begin(), registered.end(), skin), registered.end());
  EXPECT_EQ(skin->SkinName, "Pellamy Night");
  EXPECT_EQ(form.Caption(), "Pellamy gallery - Pellamy Night");
  // Both of ours in the Skin menu, by file name, the one in use checked.
  const std::vector<std::string> items = SkinMenu(form);
  ASSERT_GE(items.size(), 4u);
  EXPECT_NE(std::find(items.begin(), items.end(), "daylight.tmp"), items.end());
  EXPECT_NE(std::find(items.begin(), items.end(), "rip.tmp"), items.end());
  EXPECT_EQ(items.back(), "&No skin");
  EXPECT_TRUE(Checked(form, SkinItem(form, "rip.tmp")));
  EXPECT_FALSE(Checked(form, SkinItem(form, "daylight.tmp")));
  EXPECT_FALSE(Checked(form, form.mnuNoSkin));
}

TEST(GallerySkin, CommandLine) {
  using gallery::ParseGalleryOptions;
  const std::string folder = "C:\\Gallery\\";
  EXPECT_EQ(ParseGalleryOptions({}, folder).SkinFile, "C:\\Gallery\\rip.tmp");
  EXPECT_EQ(ParseGalleryOptions({"--skin=D:\\My skins\\sea.tmp"}, folder).SkinFile, "D:\\My skins\\sea.tmp");
  EXPECT_EQ(ParseGalleryOptions({"--skin=sea.tmp"}, folder).SkinFile, "sea.tmp") << "relative to where it runs";
  EXPECT_EQ(ParseGalleryOptions({"--skin=a.tmp", "--skin=b.tmp"}, folder).SkinFile, "b.tmp");
  EXPECT_EQ(ParseGalleryOptions({"--skin="}, folder).SkinFile, "") << "no skin";
  EXPECT_TRUE(ParseGalleryOptions({"--skin=a.tmp"}, folder).Error.empty());
  // Anything else is refused with the usage, rather than ignored.
  const std::pair<std::vector<std::string>, std::string> wrong[] = {{{"--skin", "a.tmp"}, "--skin"},
                                                                    {{"-skin=a.tmp"}, "-skin=a.tmp"},
                                                                    {{"a.tmp"}, "a.tmp"},
                                                                    {{"--skin=a.tmp", "--help"}, "--help"}};
  for (const auto& [args, culprit] : wrong) {
    const std::string error = ParseGalleryOptions(args, folder).Error;
    EXPECT_NE(error.find("Unknown option " + culprit), std::string::npos) << error;
    EXPECT_NE(error.find("gallery.exe [--skin=FILE]"), std::string::npos) << error;
  }

  // No skin: the plain title, "No skin" checked, nothing active.
  App();
  TShownGallery g("");
  EXPECT_FALSE(g.form.SkinData1->Active());
  EXPECT_EQ(g.form.Caption(), "Pellamy gallery");
  EXPECT_TRUE(Checked(g.form, g.form.mnuNoSkin));
}

TEST(GallerySkin, SkinMenuListsTheFolderAndSwitchesSkins) {
  TSkinFolder skins;
  TShownGallery g(skins.File("one.tmp"));
  TGalleryForm& form = g.form;
  form.ListSkins(skins.Folder());
  // The skin files by name whatever their letter case; no other files, no
  // folders.
  EXPECT_EQ(SkinMenu(form), (std::vector<std::string>{"old.tmp", "one.tmp", "Two.TMP", "", "&No skin"}));
  EXPECT_EQ(form.Caption(), "Pellamy gallery - Skin One");
  TMenuItem* one = SkinItem(form, "one.tmp");
  TMenuItem* two = SkinItem(form, "Two.TMP");
  ASSERT_TRUE(one && two);
  EXPECT_TRUE(Checked(form, one));

  // Chosen from the menu as a person does: the command of its item.
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(two->Command(), 0), 0);
  EXPECT_EQ(form.SkinData1->SkinFile(), skins.File("Two.TMP"));
  EXPECT_TRUE(form.SkinData1->Active());
  EXPECT_EQ(form.SkinData1->SkinName, "Skin Two");
  EXPECT_EQ(form.Caption(), "Pellamy gallery - Skin Two");
  EXPECT_TRUE(Checked(form, two));
  EXPECT_FALSE(Checked(form, one));

  // "No skin" turns skinning off and leaves the loaded skin as it was.
  form.mnuNoSkin->Click();
  EXPECT_FALSE(form.SkinData1->Active());
  EXPECT_EQ(form.SkinData1->SkinName, "Skin Two");
  EXPECT_EQ(form.Caption(), "Pellamy gallery");
  EXPECT_TRUE(Checked(form, form.mnuNoSkin));
  EXPECT_FALSE(Checked(form, two));

  // A skin chosen after that turns it on again.
  one->Click();
  EXPECT_TRUE(form.SkinData1->Active());
  EXPECT_EQ(form.SkinData1->SkinName, "Skin One");
  EXPECT_EQ(form.Caption(), "Pellamy gallery - Skin One");
  EXPECT_TRUE(Checked(form, one));
  EXPECT_FALSE(Checked(form, form.mnuNoSkin));

  // Listing again (a skin packed meanwhile) keeps the current one checked.
  WriteFile(skins.dir.Path() / "new.tmp", NamedSkin("Skin New"));
  form.ListSkins(skins.Folder());
  EXPECT_EQ(SkinMenu(form), (std::vector<std::string>{"new.tmp", "old.tmp", "one.tmp", "Two.TMP", "", "&No skin"}));
  EXPECT_TRUE(Checked(form, SkinItem(form, "one.tmp")));
}

TEST(GallerySkin, ASkinThatDoesNotLoadLeavesNone) {
  TSkinFolder skins;
  TShownGallery g(skins.File("one.tmp"));
  TGalleryForm& form = g.form;
  std::vector<std::string> messages;
  form.SkinData1->ShowMessage = [&messages](const std::string& text) { messages.push_back(text); };
  form.ListSkins(skins.Folder());
  TMenuItem* old = SkinItem(form, "old.tmp");
  TMenuItem* one = SkinItem(form, "one.tmp");
  TMenuItem* two = SkinItem(form, "Two.TMP");
  ASSERT_TRUE(old && one && two);

  // Refused by the reader, which says why.
  old->Click();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "This is Older Skin File\rPlease update to new version !");
  EXPECT_FALSE(form.SkinData1->Active());
  EXPECT_EQ(form.Caption(), "Pellamy gallery");
  EXPECT_TRUE(Checked(form, form.mnuNoSkin));
  EXPECT_EQ(g.Status(), "No skin loaded from old.tmp");

  // Gone since the menu was made.
  one->Click();
  ASSERT_TRUE(form.SkinData1->Active());
  fs::remove(skins.dir.Path() / "Two.TMP");
  two->Click();
  EXPECT_FALSE(form.SkinData1->Active());
  EXPECT_EQ(form.Caption(), "Pellamy gallery");
  EXPECT_EQ(g.Status(), "No skin loaded from Two.TMP");

  // An image that is no picture: the load fails with its error, and nothing
  // stays on.
  one->Click();
  WriteFile(skins.dir.Path() / "one.tmp",
            PackSkin({{"skin.ini", Bytes("[Buttons]\r\nBitmap=face.bmp\r\n")}, {"face.bmp", Bytes("BM, but no")}}));
  EXPECT_THROW(one->Click(), std::exception);
  EXPECT_FALSE(form.SkinData1->Active());
  EXPECT_EQ(form.Caption(), "Pellamy gallery");
  EXPECT_TRUE(Checked(form, form.mnuNoSkin));
}

TEST(GallerySkin, ASkinStartedFromElsewhereIsListedToo) {
  TSkinFolder skins;
  TempDir other;
  WriteFile(other.Path() / "sea & sky.tmp", NamedSkin("Sea"));
  TShownGallery g(other.Path().string() + "\\sea & sky.tmp");
  g.form.ListSkins(skins.Folder());
  EXPECT_EQ(SkinMenu(g.form),
            (std::vector<std::string>{"old.tmp", "one.tmp", "Two.TMP", "sea && sky.tmp", "", "&No skin"}));
  EXPECT_TRUE(Checked(g.form, SkinItem(g.form, "sea && sky.tmp")));
  EXPECT_EQ(g.form.Caption(), "Pellamy gallery - Sea");
}

}  // namespace
}  // namespace pellamy::test
