// The main window on the virtual drive: its layout read back from the real
// windows, and its handlers.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "app/MainUnit.h"
#include "base/Exceptions.h"
#include "gui/forms/Application.h"
#include "gui/gdi/GdiHandles.h"
#include "ripper/DriveFaults.h"
#include "ripper/DriveScan.h"
#include "ripper/FileIo.h"
#include "ripper/RipLog.h"
#include "ripper/RipperThread.h"
#include "ripper/VirtualCdDeviceIo.h"
#include "support_app.h"

namespace pellamy::test {
namespace {

RECT RectIn(HWND child, HWND parent) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct MainWindowFixture : ::testing::Test {
  std::unique_ptr<VirtualCdDeviceIo> drive;
  char letter = 0;
  TMainForm* form = nullptr;
  std::vector<std::string> errors;
  void Open(bool withDrive = true, std::unique_ptr<TVirtualDisc> disc = nullptr) {
    TApplication& app = App();
    app.OnException = [this](const std::string& m) { errors.push_back(m); };
    if (withDrive) {
      letter = FirstFreeDriveLetter();
      drive = std::make_unique<VirtualCdDeviceIo>(letter, disc ? std::move(disc) : MakeDemoDisc(), &PlatformDeviceIo());
      SetDeviceIo(drive.get());
    }
    form = app.CreateForm<TMainForm>();
    form->HandleNeeded();
  }
  void TearDown() override {
    WaitForRipsToEnd();
    delete form;
    form = nullptr;
    SetDeviceIo(nullptr);
    App().OnException = nullptr;
  }
  void Pump() {
    for (int i = 0; i < 20; ++i) App().ProcessMessages();
  }
};

using MainWindow = MainWindowFixture;

TEST_F(MainWindow, LayoutAsStored) {
  Open();
  HWND h = form->Handle();
  RECT client;
  GetClientRect(h, &client);
  EXPECT_EQ(client.right, 392);
  EXPECT_EQ(client.bottom, 378);
  const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  wchar_t caption[64];
  GetWindowTextW(h, caption, 64);
  EXPECT_STREQ(caption, L"Pellamy  (Ver 1.03)");

  HWND panel = form->pnlRightMain->Handle();
  auto expectAt = [&](HWND child, HWND parent, RECT expected, const char* name) {
    RECT r = RectIn(child, parent);
    EXPECT_EQ(r.left, expected.left) << name;
    EXPECT_EQ(r.top, expected.top) << name;
    EXPECT_EQ(r.right - r.left, expected.right) << name;
    EXPECT_EQ(r.bottom - r.top, expected.bottom) << name;
  };
  expectAt(panel, h, {0, 0, 392, 359}, "pnlRightMain");
  expectAt(form->StatusBar1->Handle(), h, {0, 359, 392, 19}, "StatusBar1");
  expectAt(form->lvCdTracks->Handle(), h, {32, 64, 313, 153}, "lvCdTracks");
  expectAt(form->cbbSourceDriver->Handle(), panel,
           {112, 24, 233, RectIn(form->cbbSourceDriver->Handle(), panel).bottom - 24}, "cbbSourceDriver");
  expectAt(form->rgOutputType->Handle(), panel, {32, 224, 313, 41}, "rgOutputType");
  expectAt(form->edtOutputPath->Handle(), panel, {40, 288, 225, 21}, "edtOutputPath");
  expectAt(form->RadioGroup2->Handle(), panel, {32, 272, 249, 47}, "RadioGroup2");
  expectAt(form->Button2->Handle(), panel, {245, 289, 21, 19}, "Button2");
  expectAt(form->ProgressBar1->Handle(), panel, {32, 328, 313, 17}, "ProgressBar1");
  EXPECT_EQ(form->Image1->Width(), 39);
  EXPECT_EQ(form->Image1->Height(), 278);
  EXPECT_EQ(form->Image4->Width(), 47);
  EXPECT_EQ(form->Image4->Picture().Width(), 100);
  EXPECT_EQ(form->MouseEffectImage1->Width(), 60);
  EXPECT_EQ(form->MouseEffectImage1->Height(), 58);

  // Starting values.
  EXPECT_EQ(form->edtOutputPath->Text(), "C:\\My musics\\");
  EXPECT_EQ(form->rgOutputType->ItemIndex(), 1);
  EXPECT_EQ(SendMessageW(form->rgOutputType->Buttons(1)->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(form->ProgressBar1->Handle(), PBM_GETPOS, 0, 0), 0);
  int parts[4];
  EXPECT_EQ(SendMessageW(form->StatusBar1->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(parts)), 1);
  EXPECT_EQ(parts[0], -1) << "the only panel reaches the right edge";
  EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(form->lvCdTracks->Handle())), 3);
  EXPECT_EQ(ListView_GetColumnWidth(form->lvCdTracks->Handle(), 2), 91);
  // The track list lies over the panel.
  EXPECT_EQ(GetWindow(form->lvCdTracks->Handle(), GW_HWNDPREV), nullptr);
}

TEST_F(MainWindow, StartUpListsTheVirtualDriveAndItsTracks) {
  Open();
  ASSERT_GE(form->cbbSourceDriver->ItemCount(), 1);
  const int index = form->cbbSourceDriver->ItemIndex();
  ASSERT_GE(index, 0);
  EXPECT_EQ(form->cbbSourceDriver->Objects(index), letter);
  EXPECT_EQ(form->cbbSourceDriver->Items(index), std::string(1, letter) + ":  PELLAMY  VIRTUAL CD-ROM   1.0 ");
  ASSERT_EQ(form->lvCdTracks->ItemCount(), 6);
  EXPECT_EQ(form->lvCdTracks->ItemCaption(0), "Track 1");
  EXPECT_EQ(form->lvCdTracks->SubItems(0), std::vector<std::string>{"0:32"});
  EXPECT_TRUE(errors.empty());
}

TEST_F(MainWindow, DoubleClickTogglesTheSelectedTrack) {
  Open();
  form->lvCdTracksDblClick(nullptr);  // nothing selected: nothing changes
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(form->lvCdTracks->Checked(i));
  form->lvCdTracks->SetSelected(2);
  form->lvCdTracksDblClick(nullptr);
  EXPECT_TRUE(form->lvCdTracks->Checked(2));
  form->lvCdTracksDblClick(nullptr);
  EXPECT_FALSE(form->lvCdTracks->Checked(2));
}

TEST_F(MainWindow, RipButtonRipsTheTickedTracks) {
  Open();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "pellamy window " + std::to_string(GetCurrentProcessId()) + "\\";
  form->edtOutputPath->SetText(dir);
  form->lvCdTracks->SetChecked(5, true);
  form->MouseEffectImage1Click(nullptr);
  WaitForRipsToEnd();
  EXPECT_EQ(form->StatusBar1->Panel(0).Text, "Ripping completed!");
  const std::string wav = dir + "track 6.wav";
  EXPECT_NE(GetFileAttributesA(wav.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(wav.c_str());
  const std::string log = dir + TCdRipperThread::LastLogName();
  EXPECT_NE(GetFileAttributesA(log.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(log.c_str());
  RemoveDirectoryA(dir.c_str());
}

// Two audio tracks, then a data track.
class EnhancedDisc : public TVirtualDisc {
 public:
  const CdromToc& Toc() const override { return FToc; }
  std::int32_t LeadOutSector() const override { return 3000; }
  bool ReadSectors(std::int32_t, std::uint32_t count, std::uint8_t* out) override {
    std::memset(out, 0x11, std::size_t(count) * 2352);
    return true;
  }

 private:
  CdromToc FToc = BuildToc(1, {{0, false}, {1000, false}, {2000, true}}, 3000);
};

// The enhanced disc, with names on it.
class NamedDisc : public EnhancedDisc {
 public:
  NamedDisc() {
    FText.Track(0) = {"Caf\u00e9 Nights", "The Trio", "", "", "", "", ""};
    FText.Track(1).Title = "First";
    FText.Track(2) = {"Second", "A Guest", "", "", "", "", ""};
  }
  const TCdText& CdText() const override { return FText; }

 private:
  TCdText FText;
};

TEST_F(MainWindow, TheDiscsNamesInTheCommentColumnAndTheStatusLine) {
  Open(true, std::make_unique<NamedDisc>());
  ASSERT_EQ(form->lvCdTracks->ItemCount(), 3);
  EXPECT_EQ(form->lvCdTracks->ItemCaption(0), "Track 1") << "the captions stay";
  EXPECT_EQ(form->lvCdTracks->SubItems(0), (std::vector<std::string>{"0:13", "First"}));
  EXPECT_EQ(form->lvCdTracks->SubItems(1), (std::vector<std::string>{"0:13", "A Guest \u2013 Second"}));
  EXPECT_EQ(form->lvCdTracks->SubItems(2), (std::vector<std::string>{"0:14", "Data"}));
  EXPECT_EQ(form->StatusBar1->Panel(0).Text, "Caf\u00e9 Nights \u2013 The Trio");
}

TEST_F(MainWindow, DataTracksAreListedAsDataAndCannotBeTicked) {
  Open(true, std::make_unique<EnhancedDisc>());
  ASSERT_EQ(form->lvCdTracks->ItemCount(), 3);
  EXPECT_EQ(form->lvCdTracks->SubItems(1), std::vector<std::string>{"0:13"});
  EXPECT_EQ(form->lvCdTracks->SubItems(2), (std::vector<std::string>{"0:14", "Data"}));
  EXPECT_EQ(ListView_GetItemState(form->lvCdTracks->Handle(), 2, LVIS_STATEIMAGEMASK), 0u) << "no check box";
  form->lvCdTracks->SetSelected(2);
  form->lvCdTracksDblClick(nullptr);
  EXPECT_FALSE(form->lvCdTracks->Checked(2));
  form->lvCdTracks->SetChecked(2, true);
  EXPECT_FALSE(form->RowTicked(2)) << "the engine never sees it ticked";
  EXPECT_TRUE(errors.empty());
}

TEST_F(MainWindow, AFaultyRipEndsWithErrorsInTheStatusLineAndTheLogNoMessageBox) {
  Open();
  drive->SetFaults(ParseDriveFaults("seed 2\nflaky 100 10 25\nunreadable 1000 1\n"));
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "pellamy faulty " + std::to_string(GetCurrentProcessId()) + "\\";
  form->edtOutputPath->SetText(dir);
  form->lvCdTracks->SetChecked(0, true);
  form->MouseEffectImage1Click(nullptr);
  WaitForRipsToEnd();
  EXPECT_EQ(form->StatusBar1->Panel(0).Text, "Ripping completed with errors: see the log");
  EXPECT_TRUE(errors.empty());
  const std::string log = dir + TCdRipperThread::LastLogName();
  TFile file;
  ASSERT_TRUE(file.Open(log, TFile::Mode::OpenRead));
  std::string text(static_cast<std::size_t>(file.SeekEnd()), '\0');
  file.Seek(0);
  file.Read(text.data(), static_cast<std::int64_t>(text.size()));
  file.Close();
  EXPECT_TRUE(RipLogIntact(text));
  EXPECT_NE(text.find("Suspicious positions: 0:13.25\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Tracks with errors: 1\r\n"), std::string::npos);
  DeleteFileA(log.c_str());
  DeleteFileA((dir + "track 1.wav").c_str());
  RemoveDirectoryA(dir.c_str());
}

TEST_F(MainWindow, NoDriveLeavesBothListsEmptyAndTheRipButtonSaysSo) {
  Open(false);
  // Wine's drives hold no CD-ROM unless one is configured.
  if (form->cbbSourceDriver->ItemCount() > 0) GTEST_SKIP() << "this machine has a CD-ROM drive";
  EXPECT_EQ(form->lvCdTracks->ItemCount(), 0);
  EXPECT_TRUE(errors.empty()) << "no list index box at start";
  EXPECT_THROW(form->MouseEffectImage1Click(nullptr), Exception);
  Pump();
  EXPECT_EQ(TCdRipperThread::ActiveCount(), 0);
}

TEST_F(MainWindow, AnErrorInAHandlerIsShownAndTheProgramGoesOn) {
  Open(false);
  if (form->cbbSourceDriver->ItemCount() > 0) GTEST_SKIP() << "this machine has a CD-ROM drive";
  // The click arrives as a message, as from the user.
  HWND panel = form->pnlRightMain->Handle();
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(300, 290));
  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 290));
  SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(300, 290));
  EXPECT_EQ(errors, std::vector<std::string>{"No CD drive selected."});
}

TEST_F(MainWindow, RipButtonShowsItsPictures) {
  Open();
  TMouseEffectImage* button = form->MouseEffectImage1;
  auto shown = [&] {
    const TBitmap& bmp = static_cast<TJPEGImage*>(button->Picture().Graphic())->Bitmap();
    return bmp.PixelAt(30, 10);
  };
  auto pixelOf = [](TPicture& p) { return static_cast<TJPEGImage*>(p.Graphic())->Bitmap().PixelAt(30, 10); };
  const auto normal = pixelOf(button->OriginPicture());
  const auto hover = pixelOf(button->OverPicture());
  ASSERT_NE(normal, hover);
  EXPECT_EQ(shown(), normal);
  HWND panel = form->pnlRightMain->Handle();
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(300, 290));
  EXPECT_EQ(shown(), hover);
  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 290));
  EXPECT_EQ(shown(), normal) << "pressed picture is the normal one";
  SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(300, 290));
  EXPECT_EQ(shown(), normal) << "back to normal while the pointer rests on it";
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(300, 290));
  EXPECT_EQ(shown(), hover);
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  EXPECT_EQ(shown(), normal);
}

TEST_F(MainWindow, TabGoesThroughTheControlsInTheirOrder) {
  Open();
  form->Show();
  std::vector<HWND> order;
  form->SelectNext(nullptr, true);
  for (int i = 0; i < 6; ++i) {
    order.push_back(GetFocus());
    form->SelectNext(form->ActiveControl(), true);
  }
  const std::vector<HWND> expected = {form->cbbSourceDriver->Handle(), form->rgOutputType->Buttons(1)->Handle(),
                                      form->edtOutputPath->Handle(),   form->Button2->Handle(),
                                      form->lvCdTracks->Handle(),      form->cbbSourceDriver->Handle()};
  EXPECT_EQ(order, expected) << "the drive list, the chosen output type, the path, the browse button, the tracks";
  form->SelectNext(form->cbbSourceDriver, false);
  EXPECT_EQ(GetFocus(), form->lvCdTracks->Handle()) << "shift+tab goes back round";
}

TEST_F(MainWindow, PictureButtonThatKeepsThePressedPicture) {
  Open();
  TMouseEffectImage* button = form->MouseEffectImage1;
  TPicture pressed;
  pressed.Bitmap().SetSize(60, 58);
  pressed.Bitmap().Canvas().Brush().SetColor(RGBToColor(0, 0, 255));
  pressed.Bitmap().Canvas().FillRect(RECT{0, 0, 60, 58});
  button->SetDownPicture(pressed);
  button->SetRevertOnLeave(true);
  auto shownIsPressed = [&] { return button->Picture().Graphic()->ClassName() == std::string("TBitmap"); };
  HWND panel = form->pnlRightMain->Handle();
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(300, 290));
  SendMessageW(panel, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 290));
  EXPECT_FALSE(shownIsPressed()) << "only the left button presses";
  SendMessageW(panel, WM_RBUTTONUP, 0, MAKELPARAM(300, 290));
  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 290));
  EXPECT_TRUE(shownIsPressed());
  SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(300, 290));
  EXPECT_TRUE(shownIsPressed()) << "kept until the pointer leaves";
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  EXPECT_FALSE(shownIsPressed());
  // A new normal picture shows at once; a new hover picture waits.
  TPicture other;
  other.Bitmap().SetSize(30, 20);
  button->SetOriginPicture(other);
  EXPECT_EQ(button->Width(), 30) << "the button takes the size of what it shows";
  EXPECT_EQ(button->Height(), 20);
}

TEST_F(MainWindow, CarriesItsSkinDataWithTheStoredSettings) {
  Open();  // rip.tmp lies next to the test program, as next to Pellamy.exe
  TSkinData* skin = form->SkinData1;
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->Owner(), form);
  EXPECT_TRUE(skin->Active());
  EXPECT_EQ(skin->DisableTag(), 99);
  EXPECT_EQ(skin->SkinFile(), "rip.tmp");
  EXPECT_FALSE(skin->SkinEmpty) << "the skin file was found and loaded";
  EXPECT_FALSE(InSet(skin->SkinControls(), xcProgress));
  EXPECT_TRUE(InSet(skin->SkinControls(), xcButton));
  EXPECT_EQ(skin->Version(), "2.62.5.26");
  EXPECT_TRUE(skin->MenuUpdate());
}

TEST_F(MainWindow, RowsThatAreGoneCountAsUnticked) {
  Open();
  form->lvCdTracks->SetChecked(5, true);
  EXPECT_TRUE(form->RowTicked(5));
  EXPECT_FALSE(form->RowTicked(6));
  EXPECT_FALSE(form->RowTicked(-1));
  form->lvCdTracks->ClearItems();
  EXPECT_FALSE(form->RowTicked(5));
  EXPECT_EQ(form->RowCount(), 0);
}

TEST_F(MainWindow, PaintingAndClosingLeakNoGdiHandles) {
  App();
  const auto before = HandleLiveCount();
  Open();
  form->Show();
  for (int i = 0; i < 3; ++i) {
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
  }
  HWND panel = form->pnlRightMain->Handle();
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(300, 290));  // hover picture
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  Pump();
  delete form;
  form = nullptr;
  EXPECT_EQ(HandleLiveCount(), before);
}

}  // namespace
}  // namespace pellamy::test
