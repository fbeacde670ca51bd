// Menus on real windows: the system menus built from the items and read back,
// clicks, shortcuts through the message loop, rebuilding with its
// notification, owner drawing, popup menus; MDI frames and children, their
// arrangement, the window menu and merged menus; forms embedded in a control.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "gui/controls/ExtCtrls.h"
#include "gui/forms/Application.h"
#include "gui/forms/Forms.h"
#include "gui/forms/Menus.h"
#include "gui/gdi/Bitmap.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/ImgList.h"
#include "gui/gdi/WideText.h"
#include "support_app.h"
#include "support_ink.h"

namespace pellamy::test {
namespace {

std::string MenuText(HMENU menu, UINT position) {
  wchar_t buffer[256] = {};
  GetMenuStringW(menu, position, buffer, 256, MF_BYPOSITION);
  return WideToUtf8(buffer);
}

std::vector<std::string> MenuTexts(HMENU menu) {
  std::vector<std::string> texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) texts.push_back(MenuText(menu, static_cast<UINT>(i)));
  return texts;
}

MENUITEMINFOW EntryInfo(HMENU menu, UINT position) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
  GetMenuItemInfoW(menu, position, TRUE, &mii);
  return mii;
}

TMenuItem* NewItem(TComponent* owner, TMenuItem* parent, const std::string& caption, TShortCut shortCut = 0) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->SetShortCut(shortCut);
  parent->Add(item);
  return item;
}

// Sets or clears the Ctrl key in the thread's key state, as a real key
// press would before its WM_KEYDOWN is read.
class TCtrlHeld {
 public:
  TCtrlHeld() {
    GetKeyboardState(FSaved);
    BYTE state[256];
    std::copy(std::begin(FSaved), std::end(FSaved), state);
    state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    SetKeyboardState(state);
  }
  ~TCtrlHeld() { SetKeyboardState(FSaved); }

 private:
  BYTE FSaved[256];
};

// A form with File (Open Ctrl+O, a line, Exit) and View (Refresh F5).
struct TMenuForm {
  TForm form{nullptr};
  TMainMenu* menu = new TMainMenu(&form);
  TMenuItem* file = NewItem(&form, menu->Items(), "&File");
  TMenuItem* open = NewItem(&form, file, "&Open...", ShortCut('O', scCtrl));
  TMenuItem* line = NewItem(&form, file, "-");
  TMenuItem* exit = NewItem(&form, file, "E&xit");
  TMenuItem* view = NewItem(&form, menu->Items(), "&View");
  TMenuItem* refresh = NewItem(&form, view, "&Refresh", ShortCut(VK_F5, 0));
  TMenuForm() {
    App();
    form.SetBounds(40, 40, 400, 300);
    form.SetMenu(menu);
    form.HandleNeeded();
  }
};

TEST(Menus, ShortCutsAndHotkeysAsText) {
  EXPECT_EQ(ShortCutToText(ShortCut('O', scCtrl)), "Ctrl+O");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F5, 0)), "F5");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, scShift)), "Shift+Del");
  EXPECT_EQ(ShortCutToText(ShortCut('A', scShift | scCtrl | scAlt)), "Shift+Ctrl+Alt+A");
  EXPECT_EQ(ShortCutToText(scNone), "");
  EXPECT_EQ(TextToShortCut("Ctrl+O"), ShortCut('O', scCtrl));
  EXPECT_EQ(TextToShortCut("ctrl+shift+f12"), ShortCut(VK_F12, scCtrl | scShift));
  EXPECT_EQ(TextToShortCut("Alt+Enter"), ShortCut(VK_RETURN, scAlt));
  EXPECT_EQ(TextToShortCut("Shift+Del"), ShortCut(VK_DELETE, scShift));
  EXPECT_EQ(TextToShortCut("Ctrl+"), scNone);
  EXPECT_EQ(TextToShortCut("Hyper+Q"), scNone);
  for (TShortCut s : {ShortCut('Z', scCtrl), ShortCut(VK_INSERT, scShift), ShortCut(VK_F1, scAlt), ShortCut('7', 0)})
    EXPECT_EQ(TextToShortCut(ShortCutToText(s)), s) << ShortCutToText(s);
  EXPECT_EQ(StripHotkey("&File"), "File");
  EXPECT_EQ(StripHotkey("Save && E&xit"), "Save & Exit");
  EXPECT_EQ(HotkeyOf("E&xit"), L'x');
  EXPECT_EQ(HotkeyOf("Save && Quit"), 0);
}

TEST(Menus, ItemTreeKeepsOrderParentsAndHandles) {
  App();
  TMainMenu menu(nullptr);
  TMenuItem* root = menu.Items();
  auto* a = NewItem(&menu, root, "A");
  auto* b = NewItem(&menu, root, "B");
  auto* c = new TMenuItem(&menu);
  c->SetCaption("&C");
  root->Insert(1, c);
  EXPECT_EQ(root->Count(), 3);
  EXPECT_EQ(root->IndexOf(c), 1);
  EXPECT_EQ(c->Parent(), root);
  EXPECT_EQ(b->MenuIndex(), 2);
  EXPECT_EQ(root->Find("c"), c);
  EXPECT_EQ(a->Handle(), nullptr);  // no sub items, no sub-menu
  auto* a1 = NewItem(&menu, a, "A1");
  HMENU sub = a->Handle();
  ASSERT_NE(sub, nullptr);
  EXPECT_TRUE(IsMenu(sub));
  EXPECT_EQ(menu.FindItem(reinterpret_cast<std::uintptr_t>(sub), fkHandle), a);
  EXPECT_EQ(menu.FindItem(a1->Command(), fkCommand), a1);
  EXPECT_EQ(TMenuItem::FromCommand(a1->Command()), a1);
  EXPECT_NE(a1->Command(), a->Command());
  // Moving an item to another parent takes it out of the first.
  b->Add(a1);
  EXPECT_EQ(a->Count(), 0);
  EXPECT_EQ(a1->Parent(), b);
  EXPECT_EQ(a->Handle(), nullptr);
  EXPECT_FALSE(IsMenu(sub));  // freed with its last item
  c->SetMenuIndex(0);
  EXPECT_EQ(root->Items(0), c);
  root->Remove(c);
  EXPECT_EQ(c->Parent(), nullptr);
  EXPECT_EQ(root->Count(), 2);
  delete c;
  root->Delete(0);
  EXPECT_EQ(root->Count(), 1);
  EXPECT_EQ(root->Items(0), b);
  EXPECT_THROW(a1->Add(b), Exception);
}

TEST(Menus, BarAndSubMenusReadBackFromTheSystem) {
  TMenuForm f;
  f.exit->SetEnabled(false);
  f.refresh->SetChecked(true);
  f.open->SetDefault(true);
  auto* hidden = NewItem(&f.form, f.file, "Hidden");
  hidden->SetVisible(false);
  HMENU bar = GetMenu(f.form.Handle());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar, f.menu->Handle());
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::string>{"&File", "&View"}));
  HMENU file = GetSubMenu(bar, 0);
  EXPECT_EQ(file, f.file->Handle());
  EXPECT_EQ(MenuTexts(file), (std::vector<std::string>{"&Open...\tCtrl+O", "", "E&xit"}));
  const MENUITEMINFOW open = EntryInfo(file, 0);
  EXPECT_EQ(open.wID, f.open->Command());
  EXPECT_EQ(open.dwItemData, reinterpret_cast<ULONG_PTR>(f.open));
  EXPECT_TRUE(open.fState & MFS_DEFAULT);
  EXPECT_FALSE(open.fState & MFS_DISABLED);
  EXPECT_FALSE(open.fType & MFT_OWNERDRAW);
  EXPECT_TRUE(EntryInfo(file, 1).fType & MFT_SEPARATOR);
  EXPECT_TRUE(EntryInfo(file, 2).fState & MFS_DISABLED);
  const MENUITEMINFOW refresh = EntryInfo(GetSubMenu(bar, 1), 0);
  EXPECT_TRUE(refresh.fState & MFS_CHECKED);
  EXPECT_EQ(MenuText(GetSubMenu(bar, 1), 0), "&Refresh\tF5");
  hidden->SetVisible(true);
  EXPECT_EQ(GetMenuItemCount(file), 4);
}

TEST(Menus, CommandsClickTheirItems) {
  TMenuForm f;
  std::vector<TComponent*> clicked;
  f.open->OnClick = [&](TComponent* s) { clicked.push_back(s); };
  f.refresh->SetAutoCheck(true);
  f.refresh->OnClick = [&](TComponent* s) { clicked.push_back(s); };
  SendMessageW(f.form.Handle(), WM_COMMAND, MAKEWPARAM(f.open->Command(), 0), 0);
  EXPECT_EQ(clicked, std::vector<TComponent*>{f.open});
  SendMessageW(f.form.Handle(), WM_COMMAND, MAKEWPARAM(f.refresh->Command(), 0), 0);
  EXPECT_TRUE(f.refresh->Checked());
  EXPECT_TRUE(EntryInfo(f.view->Handle(), 0).fState & MFS_CHECKED);
  SendMessageW(f.form.Handle(), WM_COMMAND, MAKEWPARAM(f.refresh->Command(), 0), 0);
  EXPECT_FALSE(f.refresh->Checked());
  EXPECT_EQ(clicked.size(), 3u);
  // An id that is none of ours goes by.
  SendMessageW(f.form.Handle(), WM_COMMAND, MAKEWPARAM(99, 0), 0);
  EXPECT_EQ(clicked.size(), 3u);
}

TEST(Menus, RadioItemsOfAGroupCheckOneAtATime) {
  TMenuForm f;
  std::vector<TMenuItem*> radios;
  for (const char* caption : {"&Small", "&Medium", "&Large"}) {
    TMenuItem* item = NewItem(&f.form, f.view, caption);
    item->SetRadioItem(true);
    item->SetAutoCheck(true);
    item->SetGroupIndex(3);
    radios.push_back(item);
  }
  TMenuItem* other = NewItem(&f.form, f.view, "Other");
  other->SetRadioItem(true);
  other->SetChecked(true);
  radios[0]->SetChecked(true);
  SendMessageW(f.form.Handle(), WM_COMMAND, MAKEWPARAM(radios[2]->Command(), 0), 0);
  EXPECT_FALSE(radios[0]->Checked());
  EXPECT_TRUE(radios[2]->Checked());
  EXPECT_TRUE(other->Checked());  // another group
  HMENU view = f.view->Handle();
  const MENUITEMINFOW large = EntryInfo(view, 3);
  EXPECT_TRUE(large.fType & MFT_RADIOCHECK);
  EXPECT_TRUE(large.fState & MFS_CHECKED);
  EXPECT_FALSE(EntryInfo(view, 1).fState & MFS_CHECKED);
  EXPECT_EQ(f.view->GetPropertyText("Caption"), "&View");
  radios[1]->SetPropertyText("Checked", "True");
  EXPECT_FALSE(radios[2]->Checked());
  EXPECT_EQ(radios[1]->GetPropertyText("GroupIndex"), "3");
}

TEST(Menus, ShortCutsRunThroughTheMessageLoop) {
  TMenuForm f;
  int opened = 0, refreshed = 0;
  f.open->OnClick = [&](TComponent*) { ++opened; };
  f.refresh->OnClick = [&](TComponent*) { ++refreshed; };
  App().ProcessMessages();
  PostMessageW(f.form.Handle(), WM_KEYDOWN, VK_F5, 0);
  App().ProcessMessages();
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(opened, 0);
  {
    TCtrlHeld ctrl;
    PostMessageW(f.form.Handle(), WM_KEYDOWN, 'O', 0);
    App().ProcessMessages();
  }
  EXPECT_EQ(opened, 1);
  // Without Ctrl the key is only a key.
  PostMessageW(f.form.Handle(), WM_KEYDOWN, 'O', 0);
  App().ProcessMessages();
  EXPECT_EQ(opened, 1);
  // A disabled item's shortcut does nothing; its action update may enable it.
  f.refresh->SetEnabled(false);
  PostMessageW(f.form.Handle(), WM_KEYDOWN, VK_F5, 0);
  App().ProcessMessages();
  EXPECT_EQ(refreshed, 1);
  f.refresh->OnActionUpdate = [&](TComponent*) { f.refresh->SetEnabled(true); };
  PostMessageW(f.form.Handle(), WM_KEYDOWN, VK_F5, 0);
  App().ProcessMessages();
  EXPECT_EQ(refreshed, 2);
}

TEST(Menus, ChangesRebuildTheBarAndNotifyTheForm) {
  TMenuForm f;
  int changes = 0;
  TWndMethod old = f.form.WindowProc;
  f.form.WindowProc = [&](TMessage& m) {
    if (m.Msg == CM_MENUCHANGED) ++changes;
    old(m);
  };
  f.view->SetCaption("&Look");
  EXPECT_GE(changes, 1);
  HMENU bar = GetMenu(f.form.Handle());
  EXPECT_EQ(bar, f.menu->Handle());
  EXPECT_EQ(MenuText(bar, 1), "&Look");
  changes = 0;
  TMenuItem* help = NewItem(&f.form, f.menu->Items(), "&Help");
  EXPECT_GE(changes, 1);
  bar = GetMenu(f.form.Handle());
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::string>{"&File", "&Look", "&Help"}));
  changes = 0;
  f.open->SetShortCut(ShortCut('N', scCtrl));
  EXPECT_GE(changes, 1);
  EXPECT_EQ(MenuText(f.file->Handle(), 0), "&Open...\tCtrl+N");
  delete help;
  EXPECT_EQ(GetMenuItemCount(GetMenu(f.form.Handle())), 2);
  f.form.WindowProc = old;
  // Removing the menu leaves the window without one and keeps the menu.
  f.form.SetMenu(nullptr);
  EXPECT_EQ(GetMenu(f.form.Handle()), nullptr);
  EXPECT_TRUE(IsMenu(f.menu->Handle()));
  f.form.SetMenu(f.menu);
  EXPECT_EQ(GetMenu(f.form.Handle()), f.menu->Handle());
  // A menu freed before its form takes itself off the window.
  delete f.menu;
  EXPECT_EQ(GetMenu(f.form.Handle()), nullptr);
  EXPECT_EQ(f.form.Menu(), nullptr);
}

TEST(Menus, OpeningAPopupRunsTheActionUpdates) {
  TMenuForm f;
  int updates = 0;
  f.exit->OnActionUpdate = [&](TComponent*) {
    ++updates;
    f.exit->SetCaption("E&xit now");
    f.exit->SetEnabled(false);
  };
  SendMessageW(f.form.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(f.file->Handle()), 0);
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(MenuText(f.file->Handle(), 2), "E&xit now");
  EXPECT_TRUE(EntryInfo(f.file->Handle(), 2).fState & MFS_DISABLED);
  // Another popup's items are left alone.
  SendMessageW(f.form.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(f.view->Handle()), 1);
  EXPECT_EQ(updates, 1);
}

// Closes a menu left open by a failing test instead of waiting forever.
class TMenuGuard {
 public:
  TMenuGuard() : FTimer(SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); })) {}
  ~TMenuGuard() { KillTimer(nullptr, FTimer); }

 private:
  UINT_PTR FTimer;
};

TEST(Menus, TheKeyboardOpensTheBarAndChoosesAnItem) {
  TMenuForm f;
  int exits = 0;
  f.exit->OnClick = [&](TComponent*) { ++exits; };
  f.form.Show();
  SetForegroundWindow(f.form.Handle());
  App().ProcessMessages();
  TMenuGuard guard;
  // Alt+F opens "&File", Down goes into it, "x" chooses E&xit: the
  // system's own menu loop on our menu.
  PostMessageW(f.form.Handle(), WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(f.form.Handle(), WM_KEYDOWN, 'X', 0);
  SendMessageW(f.form.Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
  App().ProcessMessages();
  EXPECT_EQ(exits, 1);
}

TEST(Menus, OwnerDrawnItemsAreMeasuredAndDrawn) {
  TMenuForm f;
  EXPECT_FALSE(EntryInfo(f.file->Handle(), 0).fType & MFT_OWNERDRAW);
  f.menu->SetOwnerDraw(true);
  EXPECT_TRUE(EntryInfo(f.file->Handle(), 0).fType & MFT_OWNERDRAW);
  EXPECT_TRUE(EntryInfo(GetMenu(f.form.Handle()), 0).fType & MFT_OWNERDRAW);
  // The library's own measure: wider with a shortcut, taller than the text.
  MEASUREITEMSTRUCT mis{ODT_MENU, 0, f.open->Command(), 0, 0, reinterpret_cast<ULONG_PTR>(f.open)};
  EXPECT_TRUE(SendMessageW(f.form.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)));
  const UINT openWidth = mis.itemWidth;
  EXPECT_GT(mis.itemHeight, 10u);
  MEASUREITEMSTRUCT exitMis{ODT_MENU, 0, f.exit->Command(), 0, 0, reinterpret_cast<ULONG_PTR>(f.exit)};
  SendMessageW(f.form.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&exitMis));
  EXPECT_GT(openWidth, exitMis.itemWidth + 20);
  // The event sees that size and may change it.
  int seenWidth = 0;
  f.open->OnMeasureItem = [&](TMenuItem* sender, TCanvas& canvas, int& w, int& h) {
    EXPECT_EQ(sender, f.open);
    EXPECT_NE(canvas.Handle(), nullptr);
    seenWidth = w;
    w = 123, h = 31;
  };
  mis.itemWidth = mis.itemHeight = 0;
  SendMessageW(f.form.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
  EXPECT_EQ(seenWidth, static_cast<int>(openWidth));
  EXPECT_EQ(mis.itemWidth, 123u);
  EXPECT_EQ(mis.itemHeight, 31u);

  // The default drawing: selected items on the highlight colour, others on
  // the menu colour, text in between.
  TBitmap bmp(160, 20);
  HDC target = bmp.Canvas().Handle();
  const int gdi = HandleLiveCount();
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_MENU;
  dis.itemID = f.exit->Command();
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = ODS_SELECTED;
  dis.hDC = target;
  dis.rcItem = {0, 0, 160, 20};
  dis.itemData = reinterpret_cast<ULONG_PTR>(f.exit);
  EXPECT_TRUE(SendMessageW(f.form.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)));
  const std::uint32_t highlight = ColorToPixel(clHighlight);
  EXPECT_EQ(bmp.PixelAt(1, 1), highlight);
  EXPECT_EQ(bmp.PixelAt(158, 18), highlight);
  EXPECT_GT(InkPixels(bmp, RECT{0, 0, 160, 20}, highlight), 10);
  dis.itemState = 0;
  SendMessageW(f.form.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
  EXPECT_EQ(bmp.PixelAt(1, 1), ColorToPixel(clMenu));
  // A checked item without an image gets a mark in its gutter.
  f.exit->SetChecked(true);
  SendMessageW(f.form.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
  int markPixels = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 22; ++x)
      if (bmp.PixelAt(x, y) == ColorToPixel(clMenuText)) ++markPixels;
  EXPECT_GT(markPixels, 6);

  // OnAdvancedDrawItem replaces the drawing and hears the state.
  TOwnerDrawState seen = 0;
  f.exit->OnAdvancedDrawItem = [&](TMenuItem*, TCanvas& canvas, RECT rect, TOwnerDrawState state) {
    seen = state;
    canvas.Brush().SetColor(clLime);
    canvas.FillRect(rect);
  };
  dis.itemState = ODS_SELECTED | ODS_GRAYED | ODS_NOACCEL;
  SendMessageW(f.form.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
  EXPECT_EQ(seen, odSelected | odGrayed | odNoAccel);
  EXPECT_EQ(bmp.PixelAt(80, 10), ColorToPixel(clLime));
  EXPECT_EQ(HandleLiveCount(), gdi);
}

TEST(Menus, OwnerDrawnItemsShowTheirImages) {
  TMenuForm f;
  TImageList images(nullptr);
  TBitmap strip(32, 16);
  strip.Canvas().Brush().SetColor(clRed);
  strip.Canvas().FillRect(RECT{0, 0, 16, 16});
  strip.Canvas().Brush().SetColor(clBlue);
  strip.Canvas().FillRect(RECT{16, 0, 32, 16});
  ASSERT_EQ(images.AddMasked(strip, clNone), 0);
  f.menu->SetImages(&images);
  f.menu->SetOwnerDraw(true);
  f.exit->SetImageIndex(1);
  TBitmap bmp(160, 22);
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_MENU;
  dis.itemID = f.exit->Command();
  dis.hDC = bmp.Canvas().Handle();
  dis.rcItem = {0, 0, 160, 22};
  dis.itemData = reinterpret_cast<ULONG_PTR>(f.exit);
  SendMessageW(f.form.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
  // The second image, in the gutter, vertically centred.
  EXPECT_EQ(bmp.PixelAt(10, 11), ColorToPixel(clBlue));
  EXPECT_EQ(bmp.PixelAt(10, 1), ColorToPixel(clMenu));
  EXPECT_NE(bmp.PixelAt(40, 11), ColorToPixel(clBlue));
  // Disabled, it is grayed.
  f.exit->SetEnabled(false);
  SendMessageW(f.form.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
  EXPECT_NE(bmp.PixelAt(10, 11), ColorToPixel(clBlue));
  // Images make room for themselves.
  TImageList big(nullptr, 32, 32);
  f.menu->SetImages(&big);
  TBitmap bigStrip(32, 32);
  big.AddMasked(bigStrip, clNone);
  f.exit->SetImageIndex(0);
  MEASUREITEMSTRUCT mis{ODT_MENU, 0, f.exit->Command(), 0, 0, reinterpret_cast<ULONG_PTR>(f.exit)};
  SendMessageW(f.form.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
  EXPECT_GE(mis.itemHeight, 36u);
}

TEST(Menus, AnItemWithDrawEventsIsOwnerDrawnAlone) {
  TMenuForm f;
  f.open->OnAdvancedDrawItem = [](TMenuItem*, TCanvas&, RECT, TOwnerDrawState) {};
  // The entries follow the events when the menu next opens.
  SendMessageW(f.form.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(f.file->Handle()), 0);
  EXPECT_TRUE(EntryInfo(f.file->Handle(), 0).fType & MFT_OWNERDRAW);
  EXPECT_FALSE(EntryInfo(f.file->Handle(), 2).fType & MFT_OWNERDRAW);
  // Drawing messages of other kinds are not the menu's.
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_BUTTON;
  EXPECT_FALSE(SendMessageW(f.form.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)));
}

struct TPopupFixture {
  TForm form{nullptr};
  TPopupMenu* popup = new TPopupMenu(&form);
  TMenuItem* cut = NewItem(&form, popup->Items(), "Cu&t");
  TMenuItem* copy = NewItem(&form, popup->Items(), "&Copy", ShortCut('C', scCtrl));
  TPopupFixture() {
    App();
    form.SetBounds(60, 60, 300, 200);
    form.Show();
    App().ProcessMessages();
  }
};

TEST(Menus, APopupMenuCommandReachesItsItem) {
  TPopupFixture p;
  std::vector<TComponent*> clicked;
  int popups = 0;
  p.popup->OnPopup = [&](TComponent*) { ++popups; };
  p.cut->OnClick = [&](TComponent* s) { clicked.push_back(s); };
  p.copy->OnClick = [&](TComponent* s) { clicked.push_back(s); };
  // The keys wait in the queue for the menu's own loop: down twice, Enter.
  HWND window = TPopupMenu::Window();
  ASSERT_NE(window, nullptr);
  TMenuGuard guard;
  PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
  p.popup->Popup(100, 100);
  App().ProcessMessages();
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(p.popup->PopupPoint().x, 100);
  EXPECT_EQ(clicked, std::vector<TComponent*>{p.copy});
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  EXPECT_EQ(std::wstring(cls), L"PellamyMenuWindow");
  EXPECT_FALSE(IsWindowVisible(window));
  // Its messages reach the items too.
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(p.cut->Command(), 0), 0);
  EXPECT_EQ(clicked.back(), p.cut);
  p.cut->SetHint("Moves the selection to the clipboard");
  SendMessageW(window, WM_MENUSELECT, MAKEWPARAM(p.cut->Command(), MF_STRING),
               reinterpret_cast<LPARAM>(p.popup->Handle()));
  EXPECT_EQ(App().Hint(), "Moves the selection to the clipboard");
  SendMessageW(window, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(App().Hint(), "");
}

TEST(Menus, OwnerDrawnPopupsAreMeasuredWhenTheyOpen) {
  TPopupFixture p;
  p.popup->SetOwnerDraw(true);
  std::vector<TMenuItem*> measured;
  auto measure = [&](TMenuItem* item, TCanvas&, int&, int&) { measured.push_back(item); };
  p.cut->OnMeasureItem = measure;
  p.copy->OnMeasureItem = measure;
  TMenuGuard guard;
  PostMessageW(TPopupMenu::Window(), WM_KEYDOWN, VK_ESCAPE, 0);
  p.popup->Popup(120, 120);
  App().ProcessMessages();
  EXPECT_NE(std::find(measured.begin(), measured.end(), p.cut), measured.end());
  EXPECT_NE(std::find(measured.begin(), measured.end(), p.copy), measured.end());
}

TEST(Menus, TheFormOpensItsContextMenu) {
  TPopupFixture p;
  auto* panel = new TPanel(&p.form);
  panel->SetBounds(10, 10, 100, 80);
  panel->SetParent(&p.form);
  p.form.SetPopupMenu(p.popup);
  int popups = 0;
  p.popup->OnPopup = [&](TComponent*) { ++popups; };
  TMenuGuard guard;
  PostMessageW(TPopupMenu::Window(), WM_KEYDOWN, VK_ESCAPE, 0);
  // A right click over the panel: its window passes the message up.
  SendMessageW(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()), MAKELPARAM(90, 90));
  App().ProcessMessages();
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(p.popup->PopupComponent(), panel);
  EXPECT_EQ(p.popup->PopupPoint().y, 90);
  p.popup->SetAutoPopup(false);
  SendMessageW(p.form.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(p.form.Handle()), MAKELPARAM(90, 90));
  EXPECT_EQ(popups, 1);
  // The popup's shortcuts count as the form's.
  int copies = 0;
  p.copy->OnClick = [&](TComponent*) { ++copies; };
  {
    TCtrlHeld ctrl;
    PostMessageW(p.form.Handle(), WM_KEYDOWN, 'C', 0);
    App().ProcessMessages();
  }
  EXPECT_EQ(copies, 1);
}

// ------------------------------------------------------------------- MDI

std::string ClassOf(HWND h) {
  wchar_t name[64] = {};
  GetClassNameW(h, name, 64);
  return WideToUtf8(name);
}

RECT RectIn(HWND child, HWND parent) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct TFrame {
  TForm frame{nullptr};
  TFrame() {
    App();
    frame.SetFormStyle(fsMDIForm);
    frame.SetBounds(20, 20, 640, 480);
    frame.Show();
  }
  TForm* Child(const std::string& caption, RECT bounds = {10, 10, 210, 160}) {
    auto* child = new TForm(&frame);
    child->SetCaption(caption);
    child->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    child->SetFormStyle(fsMDIChild);
    child->Show();
    return child;
  }
};

TEST(Mdi, TheFrameMakesItsClientAroundAlignedControls) {
  TForm frame(nullptr);
  App();
  frame.SetFormStyle(fsMDIForm);
  EXPECT_EQ(frame.GetPropertyText("FormStyle"), "fsMDIForm");
  auto* bar = new TPanel(&frame);
  bar->SetBounds(0, 0, 100, 30);
  bar->SetAlign(alTop);
  bar->SetParent(&frame);
  frame.SetBounds(20, 20, 500, 400);
  frame.HandleNeeded();
  HWND client = frame.ClientHandle();
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(ClassOf(client), "MDIClient");
  EXPECT_EQ(GetParent(client), frame.Handle());
  RECT inFrame = RectIn(client, frame.Handle());
  EXPECT_EQ(inFrame.top, 30);
  EXPECT_EQ(inFrame.bottom, frame.ClientHeight());
  EXPECT_EQ(inFrame.right - inFrame.left, frame.ClientWidth());
  frame.SetBounds(20, 20, 600, 450);
  inFrame = RectIn(client, frame.Handle());
  EXPECT_EQ(inFrame.top, 30);
  EXPECT_EQ(inFrame.bottom, frame.ClientHeight());
  EXPECT_EQ(frame.MDIChildCount(), 0);
  EXPECT_EQ(frame.ActiveMDIChild(), nullptr);
}

TEST(Mdi, ChildrenLiveInTheClient) {
  TFrame f;
  TForm* one = f.Child("One");
  TForm* two = f.Child("Two", {40, 30, 260, 200});
  HWND h = two->Handle();
  EXPECT_EQ(GetParent(h), f.frame.ClientHandle());
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_MDICHILD);
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD);
  EXPECT_EQ(ClassOf(h), "TForm");
  EXPECT_EQ(TWinControl::FromHandle(h), two);
  EXPECT_EQ(RectIn(h, f.frame.ClientHandle()).left, 40);
  EXPECT_EQ(two->Left(), 40);
  EXPECT_EQ(f.frame.MDIChildCount(), 2);
  EXPECT_EQ(f.frame.ActiveMDIChild(), two);
  EXPECT_EQ(f.frame.MDIChildren(0), two);  // topmost first
  EXPECT_EQ(f.frame.MDIChildren(1), one);
  EXPECT_EQ(f.frame.MDIChildren(2), nullptr);
  f.frame.Next();
  EXPECT_EQ(f.frame.ActiveMDIChild(), one);
  f.frame.Previous();
  EXPECT_EQ(f.frame.ActiveMDIChild(), two);
  delete one;
  EXPECT_EQ(f.frame.MDIChildCount(), 1);
  EXPECT_EQ(f.frame.ActiveMDIChild(), two);
  // A child with no MDI form to live in cannot be made.
  TForm frameless(nullptr);
  frameless.SetFormStyle(fsMDIChild);
  f.frame.SetFormStyle(fsNormal);
  EXPECT_EQ(f.frame.ClientHandle(), nullptr);
  EXPECT_THROW(frameless.HandleNeeded(), Exception);
}

TEST(Mdi, ChildrenMaximiseAndRestore) {
  TFrame f;
  TForm* child = f.Child("Doc");
  EXPECT_EQ(child->WindowState(), wsNormal);
  child->SetWindowState(wsMaximized);
  EXPECT_TRUE(IsZoomed(child->Handle()));
  EXPECT_EQ(child->WindowState(), wsMaximized);
  EXPECT_EQ(child->GetPropertyText("WindowState"), "wsMaximized");
  RECT clientArea, childClient;
  GetClientRect(f.frame.ClientHandle(), &clientArea);
  GetClientRect(child->Handle(), &childClient);
  EXPECT_EQ(childClient.right, clientArea.right);
  EXPECT_EQ(childClient.bottom, clientArea.bottom);
  child->SetPropertyText("WindowState", "wsNormal");
  EXPECT_FALSE(IsZoomed(child->Handle()));
  EXPECT_EQ(RectIn(child->Handle(), f.frame.ClientHandle()).left, 10);
  child->SetWindowState(wsMinimized);
  EXPECT_TRUE(IsIconic(child->Handle()));
  child->SetWindowState(wsNormal);
  EXPECT_FALSE(IsIconic(child->Handle()));
}

TEST(Mdi, TileAndCascadeArrangeTheChildren) {
  TFrame f;
  TForm* one = f.Child("One", {5, 5, 105, 105});
  TForm* two = f.Child("Two", {15, 15, 115, 115});
  HWND client = f.frame.ClientHandle();
  f.frame.SetTileMode(tbVertical);
  f.frame.Tile();
  App().ProcessMessages();
  RECT area;
  GetClientRect(client, &area);
  RECT a = RectIn(one->Handle(), client), b = RectIn(two->Handle(), client);
  // Side by side, the width shared.
  EXPECT_EQ(a.top, b.top);
  EXPECT_EQ(std::min(a.left, b.left), 0);
  EXPECT_EQ(std::max(a.right, b.right), area.right);
  EXPECT_LE(std::min(a.right, b.right), std::max(a.left, b.left));
  EXPECT_EQ(a.bottom - a.top, area.bottom);
  f.frame.SetTileMode(tbHorizontal);
  f.frame.Tile();
  a = RectIn(one->Handle(), client), b = RectIn(two->Handle(), client);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right - a.left, area.right);
  EXPECT_LE(std::min(a.bottom, b.bottom), std::max(a.top, b.top));
  f.frame.Cascade();
  a = RectIn(one->Handle(), client), b = RectIn(two->Handle(), client);
  // Each one lower and further right than the one behind it; the active
  // one in front.
  RECT front = f.frame.ActiveMDIChild() == one ? a : b, back = f.frame.ActiveMDIChild() == one ? b : a;
  EXPECT_GT(front.left, back.left);
  EXPECT_GT(front.top, back.top);
  EXPECT_EQ(front.left - back.left, front.top - back.top);
}

TEST(Mdi, TheWindowMenuListsTheChildren) {
  TFrame f;
  auto* menu = new TMainMenu(&f.frame);
  TMenuItem* window = NewItem(&f.frame, menu->Items(), "&Window");
  TMenuItem* tile = NewItem(&f.frame, window, "&Tile");
  int tiles = 0;
  tile->OnClick = [&](TComponent*) { ++tiles; };
  f.frame.SetMenu(menu);
  f.frame.SetWindowMenu(window);
  TForm* alpha = f.Child("Alpha");
  f.Child("Beta");
  const std::vector<std::string> texts = MenuTexts(window->Handle());
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0], "&Tile");
  EXPECT_NE(texts[2].find("Alpha"), std::string::npos);
  EXPECT_NE(texts[3].find("Beta"), std::string::npos);
  // Choosing a child there activates it; our own item still clicks.
  const UINT alphaId = GetMenuItemID(window->Handle(), 2);
  SendMessageW(f.frame.Handle(), WM_COMMAND, MAKEWPARAM(alphaId, 0), 0);
  EXPECT_EQ(f.frame.ActiveMDIChild(), alpha);
  SendMessageW(f.frame.Handle(), WM_COMMAND, MAKEWPARAM(tile->Command(), 0), 0);
  EXPECT_EQ(tiles, 1);
  // A rebuilt window menu lists them again.
  NewItem(&f.frame, window, "&Cascade");
  const std::vector<std::string> after = MenuTexts(window->Handle());
  ASSERT_EQ(after.size(), 5u);
  EXPECT_NE(after[3].find("Alpha"), std::string::npos);
}

TEST(Mdi, AnActiveChildsMenuIsMergedIntoTheFrame) {
  TFrame f;
  auto* frameMenu = new TMainMenu(&f.frame);
  TMenuItem* file = NewItem(&f.frame, frameMenu->Items(), "&File");
  NewItem(&f.frame, file, "&New");
  TMenuItem* window = NewItem(&f.frame, frameMenu->Items(), "&Window");
  NewItem(&f.frame, window, "&Tile");
  window->SetGroupIndex(9);
  f.frame.SetMenu(frameMenu);
  f.frame.SetWindowMenu(window);

  TForm* editor = f.Child("Editor");
  auto* childMenu = new TMainMenu(editor);
  TMenuItem* childFile = NewItem(editor, childMenu->Items(), "&Document");
  TMenuItem* save = NewItem(editor, childFile, "&Save", ShortCut('S', scCtrl));
  TMenuItem* edit = NewItem(editor, childMenu->Items(), "&Edit");
  NewItem(editor, edit, "&Undo");
  edit->SetGroupIndex(2);
  int saves = 0;
  save->OnClick = [&](TComponent*) { ++saves; };
  editor->SetMenu(childMenu);  // active now: merged at once
  auto bar = [&] { return MenuTexts(GetMenu(f.frame.Handle())); };
  std::vector<std::string> merged = bar();
  // Group 0 replaces File, group 2 goes before Window (9).
  merged.erase(std::remove(merged.begin(), merged.end(), std::string()), merged.end());
  EXPECT_EQ(merged, (std::vector<std::string>{"&Document", "&Edit", "&Window"}));
  EXPECT_NE(GetMenu(editor->Handle()), childMenu->Handle());
  // The merged items work from the frame.
  SendMessageW(f.frame.Handle(), WM_COMMAND, MAKEWPARAM(save->Command(), 0), 0);
  EXPECT_EQ(saves, 1);
  {
    TCtrlHeld ctrl;
    PostMessageW(f.frame.Handle(), WM_KEYDOWN, 'S', 0);
    App().ProcessMessages();
  }
  EXPECT_EQ(saves, 2);
  // A change in the child's menu shows in the bar.
  edit->SetCaption("E&dit");
  merged = bar();
  EXPECT_NE(std::find(merged.begin(), merged.end(), "E&dit"), merged.end());

  // Another child without a menu: the frame's own again.
  TForm* plain = f.Child("Plain");
  EXPECT_EQ(f.frame.ActiveMDIChild(), plain);
  EXPECT_EQ(bar(), (std::vector<std::string>{"&File", "&Window"}));
  f.frame.Next();
  EXPECT_EQ(f.frame.ActiveMDIChild(), editor);
  EXPECT_EQ(bar().size(), 3u);
  delete editor;
  EXPECT_EQ(bar(), (std::vector<std::string>{"&File", "&Window"}));
  EXPECT_EQ(frameMenu->Merged(), nullptr);
}

TEST(Mdi, AFrameDestroyedWithAMaximisedChildLeavesItsMenusWhole) {
  App();
  // The menus outlive the frame, so their handles can be looked at after.
  TComponent holder(nullptr);
  auto* frameMenu = new TMainMenu(&holder);
  TMenuItem* file = NewItem(&holder, frameMenu->Items(), "&File");
  NewItem(&holder, file, "&New");
  TMenuItem* window = NewItem(&holder, frameMenu->Items(), "&Window");
  NewItem(&holder, window, "&Tile");
  window->SetGroupIndex(9);
  auto* childMenu = new TMainMenu(&holder);
  TMenuItem* text = NewItem(&holder, childMenu->Items(), "&Text");
  NewItem(&holder, text, "&Upper case");
  text->SetGroupIndex(5);
  {
    TFrame f;
    f.frame.SetMenu(frameMenu);
    f.frame.SetWindowMenu(window);
    f.Child("One");
    TForm* two = f.Child("Two");
    two->SetMenu(childMenu);
    two->SetWindowState(wsMaximized);
    App().ProcessMessages();
    ASSERT_EQ(MenuTexts(GetMenu(f.frame.Handle())).size(), 3u + 4u);  // system menu and buttons too
  }
  App().ProcessMessages();
  // Nothing gave the dying frame a menu for the system to destroy with it.
  EXPECT_TRUE(IsMenu(frameMenu->Handle()));
  EXPECT_TRUE(IsMenu(file->Handle()));
  EXPECT_TRUE(IsMenu(window->Handle()));
  EXPECT_TRUE(IsMenu(text->Handle()));
  EXPECT_EQ(MenuTexts(file->Handle()), std::vector<std::string>{"&New"});
  EXPECT_EQ(MenuTexts(text->Handle()), std::vector<std::string>{"&Upper case"});
}

TEST(Mdi, ClosingAChildMinimisesOrFreesIt) {
  TFrame f;
  TForm* child = f.Child("Closing");
  child->Close();
  EXPECT_TRUE(IsIconic(child->Handle()));
  EXPECT_EQ(f.frame.MDIChildCount(), 1);
  bool freed = false;
  struct TWatch : TComponent {
    bool& Flag;
    TWatch(bool& flag) : TComponent(nullptr), Flag(flag) {}
    void Notification(TComponent*, bool removing) override { Flag = Flag || removing; }
  } watch(freed);
  watch.FreeNotification(child);
  child->OnClose = [](TComponent*, TCloseAction& action) { action = caFree; };
  SendMessageW(child->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  App().ProcessMessages();
  EXPECT_TRUE(freed);
  EXPECT_EQ(f.frame.MDIChildCount(), 0);
  EXPECT_EQ(f.frame.ComponentCount(), 0);
}

TEST(Mdi, CtrlF6GoesToTheNextChild) {
  TFrame f;
  TForm* one = f.Child("One");
  TForm* two = f.Child("Two");
  EXPECT_EQ(f.frame.ActiveMDIChild(), two);
  {
    TCtrlHeld ctrl;
    PostMessageW(two->Handle(), WM_KEYDOWN, VK_F6, 0);
    App().ProcessMessages();
  }
  EXPECT_EQ(f.frame.ActiveMDIChild(), one);
}

TEST(Mdi, AnEmbeddedFormIsAChildWindowUntilItsParentGoes) {
  App();
  TForm host(nullptr);
  host.SetBounds(30, 30, 400, 300);
  auto* panel = new TPanel(&host);
  panel->SetBounds(10, 10, 300, 200);
  panel->SetParent(&host);
  host.Show();
  TForm inner(nullptr);
  inner.SetCaption("Inner");
  inner.HandleNeeded();
  EXPECT_FALSE(GetWindowLongPtrW(inner.Handle(), GWL_STYLE) & WS_CHILD);
  inner.SetParent(panel);
  inner.SetAlign(alClient);
  inner.Show();
  HWND h = inner.Handle();
  const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_FALSE((style & WS_CAPTION) == WS_CAPTION);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_EQ(GetParent(h), panel->Handle());
  EXPECT_TRUE(IsWindowVisible(h));
  RECT r = RectIn(h, panel->Handle());
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, panel->ClientWidth());
  EXPECT_EQ(r.bottom, panel->ClientHeight());
  EXPECT_EQ(inner.Left(), 0);
  // Its controls work as in any control.
  auto* button = new TPanel(&inner);
  button->SetBounds(5, 5, 50, 20);
  button->SetParent(&inner);
  EXPECT_EQ(GetParent(button->Handle()), h);
  inner.SetAlign(alNone);
  inner.SetParent(nullptr);
  HWND top = inner.Handle();
  const LONG_PTR topStyle = GetWindowLongPtrW(top, GWL_STYLE);
  EXPECT_FALSE(topStyle & WS_CHILD);
  EXPECT_EQ(topStyle & WS_CAPTION, static_cast<LONG_PTR>(WS_CAPTION));
  EXPECT_EQ(GetAncestor(top, GA_PARENT), GetDesktopWindow());
  EXPECT_TRUE(IsWindowVisible(top));
  EXPECT_EQ(GetParent(button->Handle()), top);
}

}  // namespace
}  // namespace pellamy::test
