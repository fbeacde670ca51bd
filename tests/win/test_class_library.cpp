// The class library on real windows: ownership, properties by name, the
// replaceable message handler, notifications, windowless controls' painting
// and mouse routing, Synchronize through the application window, and the
// exception display.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "base/Exceptions.h"
#include "gui/controls/ComCtrls.h"
#include "gui/controls/ExtCtrls.h"
#include "gui/controls/StdCtrls.h"
#include "gui/forms/Application.h"
#include "gui/forms/Forms.h"
#include "support_app.h"

namespace pellamy::test {
namespace {

class TTracked : public TComponent {
 public:
  TTracked(TComponent* owner, std::vector<std::string>& log, std::string name) : TComponent(owner), FLog(log) {
    SetName(std::move(name));
  }
  ~TTracked() override { FLog.push_back(Name()); }
  void Notification(TComponent* c, bool removing) override {
    if (removing) FLog.push_back(Name() + " saw " + c->Name() + " go");
  }

 private:
  std::vector<std::string>& FLog;
};

TEST(ClassLibrary, OwnedComponentsGoLastCreatedFirst) {
  std::vector<std::string> log;
  auto* root = new TTracked(nullptr, log, "root");
  auto* a = new TTracked(root, log, "a");
  new TTracked(root, log, "b");
  auto* c = new TTracked(a, log, "c");
  auto* watcher = new TTracked(nullptr, log, "watcher");
  watcher->FreeNotification(c);
  EXPECT_EQ(root->ComponentCount(), 2);
  EXPECT_EQ(root->FindComponent("B")->Name(), "b");
  delete root;
  // The owner's own destructor runs first, then its components go,
  // last-created first, each with its own components.
  EXPECT_EQ(log, (std::vector<std::string>{"root", "b", "a", "c", "watcher saw c go"}));
  log.clear();
  delete watcher;
  EXPECT_EQ(log, std::vector<std::string>{"watcher"});
}

TEST(ClassLibrary, PublishedPropertiesByName) {
  App();
  TForm form(nullptr);
  auto* button = new TRadioButton(&form);
  button->SetParent(&form);
  EXPECT_EQ(button->GetPropertyText("Checked"), "False");
  button->SetPropertyText("checked", "True");
  EXPECT_TRUE(button->Checked());
  EXPECT_EQ(button->GetPropertyText("Checked"), "True");
  EXPECT_EQ(form.GetPropertyText("BorderStyle"), "bsSizeable");
  form.SetPropertyText("BorderStyle", "bsSingle");
  EXPECT_EQ(form.BorderStyle(), bsSingle);
  EXPECT_THROW(form.SetPropertyText("BorderStyle", "bsRound"), Exception);
  EXPECT_THROW(form.GetPropertyText("NoSuchProperty"), Exception);
  EXPECT_THROW(button->SetPropertyText("Visible", "maybe"), Exception);
  button->SetPropertyText("Visible", "False");
  EXPECT_FALSE(button->Visible());
  button->SetPropertyText("Tag", "42");
  EXPECT_EQ(button->Tag(), 42);
}

TEST(ClassLibrary, AControlAskedForItsWindowFirstGetsOneWindowWithItsParents) {
  App();
  // Nothing has a window yet; the innermost control asks first.
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* inner = new TPanel(&form);
  inner->SetParent(panel);
  auto* edit = new TEdit(&form);
  edit->SetParent(inner);
  HWND h = edit->Handle();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetParent(h), inner->Handle());
  EXPECT_EQ(GetParent(inner->Handle()), panel->Handle());
  EXPECT_EQ(GetParent(panel->Handle()), form.Handle());
  // One window per control: the form holds one panel holding one panel.
  int panels = 0;
  EnumChildWindows(
      form.Handle(),
      [](HWND child, LPARAM count) {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (std::wstring(name) == L"TPanel") ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&panels));
  EXPECT_EQ(panels, 2);
}

TEST(ClassLibrary, WindowProcCanBeReplacedAndChained) {
  App();
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  std::vector<unsigned> seen;
  TWndMethod old = panel->WindowProc;
  panel->WindowProc = [&](TMessage& m) {
    if (m.Msg >= CM_BASE && m.Msg < CM_BASE + 0x100) seen.push_back(m.Msg);
    old(m);
  };
  panel->SetEnabled(false);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), CM_ENABLEDCHANGED), 1);
  form.HandleNeeded();
  EXPECT_FALSE(IsWindowEnabled(panel->Handle()));
  panel->SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(panel->Handle()));
  EXPECT_EQ(panel->Perform(WM_GETDLGCODE), DefWindowProcW(panel->Handle(), WM_GETDLGCODE, 0, 0));
  panel->WindowProc = old;
}

TEST(ClassLibrary, ReflectedNotificationsReachTheOwningControl) {
  App();
  TForm form(nullptr);
  auto* button = new TButton(&form);
  button->SetParent(&form);
  int clicks = 0;
  button->OnClick = [&](TComponent*) { ++clicks; };
  std::vector<unsigned> reflected;
  TWndMethod old = button->WindowProc;
  button->WindowProc = [&](TMessage& m) {
    if (m.Msg >= CN_BASE) reflected.push_back(m.Msg);
    old(m);
  };
  form.HandleNeeded();
  SendMessageW(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_NE(std::find(reflected.begin(), reflected.end(), CN_COMMAND), reflected.end());
  button->WindowProc = old;
}

TEST(ClassLibrary, WindowlessControlsGetTheMouseOfTheTopmostOne) {
  App();
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(0, 0, 200, 100);
  auto* under = new TImage(&form);
  under->SetParent(panel);
  under->SetBounds(10, 10, 50, 50);
  auto* over = new TImage(&form);
  over->SetParent(panel);
  over->SetBounds(40, 10, 50, 50);
  std::vector<std::string> events;
  under->OnClick = [&](TComponent*) { events.push_back("under click"); };
  over->OnClick = [&](TComponent*) { events.push_back("over click"); };
  over->OnMouseEnter = [&](TComponent*) { events.push_back("over enter"); };
  over->OnMouseLeave = [&](TComponent*) { events.push_back("over leave"); };
  under->OnMouseEnter = [&](TComponent*) { events.push_back("under enter"); };
  form.HandleNeeded();
  HWND h = panel->Handle();
  SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(45, 20));  // both overlap here: the later one is on top
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 20));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(46, 21));
  SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(15, 20));
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 20));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(15, 20));
  // Pressed on one, released outside it: no click.
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 20));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(150, 80));
  EXPECT_EQ(events, (std::vector<std::string>{"over enter", "over click", "over leave", "under enter", "under click"}));
}

std::uint32_t PixelOf(HBITMAP dib, const void* bits, int width, int x, int y) {
  (void)dib;
  return static_cast<const std::uint32_t*>(bits)[y * width + x] & 0xFFFFFF;
}

TEST(ClassLibrary, ParentPaintsItsWindowlessChildrenInCreationOrder) {
  App();
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(0, 0, 100, 60);
  panel->SetBevelOuter(bvNone);
  panel->SetColor(RGBToColor(0, 0, 255));
  auto makeImage = [&](int left, TColor color) {
    auto* image = new TImage(&form);
    image->SetParent(panel);
    image->SetBounds(left, 10, 40, 40);
    TBitmap& bmp = image->Picture().Bitmap();
    bmp.SetSize(40, 40);
    bmp.Canvas().Brush().SetColor(color);
    bmp.Canvas().FillRect(RECT{0, 0, 40, 40});
    image->Picture().OnChange();
    return image;
  };
  makeImage(10, RGBToColor(255, 0, 0));
  makeImage(30, RGBToColor(0, 255, 0));
  form.HandleNeeded();
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 100, -60, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  SendMessageW(panel->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
  GdiFlush();
  EXPECT_EQ(PixelOf(dib, bits, 100, 5, 5), 0x0000FFu) << "panel colour";
  EXPECT_EQ(PixelOf(dib, bits, 100, 15, 20), 0xFF0000u) << "first image";
  EXPECT_EQ(PixelOf(dib, bits, 100, 35, 20), 0x00FF00u) << "the later image lies over the earlier";
  EXPECT_EQ(PixelOf(dib, bits, 100, 65, 20), 0x00FF00u);
  EXPECT_EQ(PixelOf(dib, bits, 100, 75, 20), 0x0000FFu);
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
}

TEST(ClassLibrary, SynchronizeRunsOnTheUiThroughTheApplicationWindow) {
  TApplication& app = App();
  wchar_t cls[64];
  GetClassNameW(app.Handle(), cls, 64);
  EXPECT_STREQ(cls, L"TApplication");
  EXPECT_EQ(app.Title(), "win_tests");
  DWORD ranOn = 0;
  bool done = false;
  std::thread worker([&] {
    Synchronize([&] { ranOn = GetCurrentThreadId(); });
    done = true;
  });
  while (!done) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    app.ProcessMessages();
  }
  worker.join();
  EXPECT_EQ(ranOn, GetCurrentThreadId());
}

TEST(ClassLibrary, ExceptionDisplayAddsAFullStopAfterLaterCharacters) {
  EXPECT_EQ(ExceptionDisplayText("List index out of bounds (-1)"), "List index out of bounds (-1)");
  EXPECT_EQ(ExceptionDisplayText("No CD drive selected."), "No CD drive selected.");
  EXPECT_EQ(ExceptionDisplayText("Cannot create file x"), "Cannot create file x.");
  EXPECT_EQ(ExceptionDisplayText("ends in a digit 7"), "ends in a digit 7.");
  EXPECT_EQ(ExceptionDisplayText("ends in a dash -"), "ends in a dash -");
  TApplication& app = App();
  std::vector<std::string> shown;
  app.OnException = [&](const std::string& m) { shown.push_back(m); };
  app.HandleException(std::make_exception_ptr(EAbort()));
  app.HandleException(std::make_exception_ptr(Exception("boom")));
  app.OnException = nullptr;
  EXPECT_EQ(shown, std::vector<std::string>{"boom"});
}

TEST(ClassLibrary, ListViewRowsChecksAndSelection) {
  App();
  TForm form(nullptr);
  auto* list = new TListView(&form);
  list->SetParent(&form);
  list->SetViewStyle(vsReport);
  list->SetCheckboxes(true);
  list->AddColumn("Title", 100);
  list->AddColumn("Time", 100);
  list->AddItem("Track 1");
  list->AddSubItem(0, "3:01");
  form.HandleNeeded();
  list->AddItem("Track 2");
  EXPECT_EQ(ListView_GetItemCount(list->Handle()), 2);
  EXPECT_EQ(list->ItemCaption(1), "Track 2");
  EXPECT_FALSE(list->Checked(0));
  list->SetChecked(0, true);
  EXPECT_TRUE(ListView_GetCheckState(list->Handle(), 0));
  ListView_SetCheckState(list->Handle(), 1, TRUE);  // as a click on the box does
  EXPECT_TRUE(list->Checked(1));
  EXPECT_EQ(list->Selected(), -1);
  list->SetSelected(1);
  EXPECT_EQ(list->Selected(), 1);
  EXPECT_THROW(list->Checked(2), Exception);
  list->ClearItems();
  EXPECT_EQ(ListView_GetItemCount(list->Handle()), 0);
}

}  // namespace
}  // namespace pellamy::test
