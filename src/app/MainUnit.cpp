#include "app/MainUnit.h"

#include <shellapi.h>
#include <shlobj.h>

#include "app/resource.h"
#include "base/Exceptions.h"
#include "base/WinHandles_win32.h"
#include "gui/forms/Application.h"
#include "gui/gdi/WideText.h"
#include "ripper/DriveScan.h"
#include "ripper/RipperThread.h"
#include "ripper/ScsiManagerUnit.h"

namespace pellamy {

TMainForm* MainForm = nullptr;

namespace {

void LoadJpegResource(TPicture& picture, int id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (found == nullptr) throw Exception("Picture resource " + std::to_string(id) + " is missing");
  HGLOBAL loaded = LoadResource(module, found);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  picture.LoadFromJpegBytes(bytes, SizeofResource(module, found));
}

}  // namespace

TMainForm::TMainForm(TComponent* owner) : TForm(owner) {
  MainForm = this;
  BeginLoading();
  BuildLayout();
  EndLoading();
  SetRipWindow(this);
  OnCreate = [this](TComponent* sender) { FormCreate(sender); };
  OnCloseQuery = [this](TComponent* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
}

TMainForm::~TMainForm() {
  SetRipWindow(nullptr);
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::BuildLayout() {
  SetName("MainForm");
  SetCaption(kMainCaption);
  SetBorderStyle(bsSingle);
  SetBorderIcons(biSystemMenu | biMinimize);
  SetPosition(poScreenCenter);
  SetClientSize(392, 378);
  SetColor(clBtnFace);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);
  Font().SetColor(clWindowText);
  SetIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAINICON)));

  pnlRightMain = new TPanel(this);
  pnlRightMain->SetName("pnlRightMain");
  pnlRightMain->SetParent(this);
  pnlRightMain->SetBounds(0, 0, 392, 359);
  pnlRightMain->SetBevelOuter(bvRaised);
  pnlRightMain->SetCaption("");
  pnlRightMain->SetTabOrder(0);

  BuildSkinData();

  StatusBar1 = new TStatusBar(this);
  StatusBar1->SetName("StatusBar1");
  StatusBar1->SetParent(this);
  StatusBar1->SetBounds(0, 359, 392, 19);
  StatusBar1->AddPanel(50);

  lvCdTracks = new TListView(this);
  lvCdTracks->SetName("lvCdTracks");
  lvCdTracks->SetParent(this);
  lvCdTracks->SetBounds(32, 64, 313, 153);
  lvCdTracks->SetViewStyle(vsReport);
  lvCdTracks->SetCheckboxes(true);
  lvCdTracks->SetRowSelect(true);
  lvCdTracks->AddColumn("Title", 100);
  lvCdTracks->AddColumn("Time  (Min)", 100);
  lvCdTracks->AddColumn("Comment", 91);
  lvCdTracks->SetTabOrder(2);
  lvCdTracks->OnDblClick = [this](TComponent* s) { lvCdTracksDblClick(s); };

  lbl1 = new TLabel(this);
  lbl1->SetName("lbl1");
  lbl1->SetParent(pnlRightMain);
  lbl1->SetBounds(32, 32, 71, 13);
  lbl1->SetCaption("Source Driver: ");

  Image1 = new TImage(this);
  Image1->SetName("Image1");
  Image1->SetParent(pnlRightMain);
  Image1->SetBounds(352, 24, 39, 278);
  Image1->SetAutoSize(true);
  LoadJpegResource(Image1->Picture(), IDR_STRIP_JPEG);

  Image4 = new TImage(this);
  Image4->SetName("Image4");
  Image4->SetParent(pnlRightMain);
  Image4->SetBounds(344, 232, 47, 97);
  Image4->SetCursor(crHandPoint);
  LoadJpegResource(Image4->Picture(), IDR_LINK_JPEG);
  Image4->OnClick = [this](TComponent* s) { Image4Click(s); };

  MouseEffectImage1 = new TMouseEffectImage(this);
  MouseEffectImage1->SetName("MouseEffectImage1");
  MouseEffectImage1->SetParent(pnlRightMain);
  MouseEffectImage1->SetBounds(288, 272, 60, 58);
  // Stored pictures are read in place; the shown one is stored on its own.
  LoadJpegResource(MouseEffectImage1->OriginPicture(), IDR_RIP_NORMAL_JPEG);
  LoadJpegResource(MouseEffectImage1->DownPicture(), IDR_RIP_NORMAL_JPEG);
  LoadJpegResource(MouseEffectImage1->OverPicture(), IDR_RIP_HOVER_JPEG);
  LoadJpegResource(MouseEffectImage1->Picture(), IDR_RIP_NORMAL_JPEG);
  MouseEffectImage1->SetRevertOnLeave(false);
  MouseEffectImage1->OnClick = [this](TComponent* s) { MouseEffectImage1Click(s); };

  RadioGroup2 = new TRadioGroup(this);
  RadioGroup2->SetName("RadioGroup2");
  RadioGroup2->SetParent(pnlRightMain);
  RadioGroup2->SetBounds(32, 272, 249, 47);
  RadioGroup2->SetCaption("  Output Directory   ");
  RadioGroup2->SetTabOrder(3);

  cbbSourceDriver = new TComboBox(this);
  cbbSourceDriver->SetName("cbbSourceDriver");
  cbbSourceDriver->SetParent(pnlRightMain);
  cbbSourceDriver->SetBounds(112, 24, 233, 21);
  cbbSourceDriver->SetStyle(csDropDownList);
  cbbSourceDriver->SetItemHeight(13);
  cbbSourceDriver->SetTabOrder(0);
  cbbSourceDriver->OnSelect = [this](TComponent* s) { cbbSourceDriverSelect(s); };

  rgOutputType = new TRadioGroup(this);
  rgOutputType->SetName("rgOutputType");
  rgOutputType->SetParent(pnlRightMain);
  rgOutputType->SetBounds(32, 224, 313, 41);
  rgOutputType->SetCaption("  Output File Type  ");
  rgOutputType->SetColumns(3);
  rgOutputType->SetItems({".mp3", ".wav", ".flac"});
  rgOutputType->SetItemIndex(1);
  rgOutputType->SetTabOrder(1);

  edtOutputPath = new TEdit(this);
  edtOutputPath->SetName("edtOutputPath");
  edtOutputPath->SetParent(pnlRightMain);
  edtOutputPath->SetBounds(40, 288, 225, 21);
  edtOutputPath->SetText("C:\\My musics\\");
  edtOutputPath->SetTabOrder(2);

  Button2 = new TButton(this);
  Button2->SetName("Button2");
  Button2->SetParent(pnlRightMain);
  Button2->SetBounds(245, 289, 21, 19);
  Button2->SetCaption("...");
  Button2->SetTabOrder(4);
  Button2->OnClick = [this](TComponent* s) { Button2Click(s); };

  ProgressBar1 = new TProgressBar(this);
  ProgressBar1->SetName("ProgressBar1");
  ProgressBar1->SetParent(pnlRightMain);
  ProgressBar1->SetBounds(32, 328, 313, 17);
  ProgressBar1->SetRange(0, 100);
  ProgressBar1->SetPosition(0);
  ProgressBar1->SetTabOrder(5);
}

void TMainForm::BuildSkinData() {
  SkinData1 = new TSkinData(this);
  SkinData1->SetName("SkinData1");
  // The stored settings, in the order they are stored.
  SkinData1->SetActive(true);
  SkinData1->SetDisableTag(99);
  SkinData1->SetSkinControls(kDefaultSkinControls & ~(1u << xcProgress) & ~(1u << xcFastReport));
  try {
    // From the current directory, as stored.
    SkinData1->SetSkinFile("rip.tmp");
  } catch (...) {
    // A damaged skin file leaves the window unskinned; say why and go on.
    if (Application() != nullptr) Application()->HandleException(std::current_exception());
  }
  SkinData1->SetSkinFormtype(TSkinFormType::sfMainform);
  SkinData1->SetVersion("2.62.5.26");
  SkinData1->SetMenuUpdate(true);
}

void TMainForm::FormCreate(TComponent*) {
  ScanDrives();
}

void TMainForm::ScanDrives() {
  cbbSourceDriver->Clear();
  for (const TCdDrive& drive : ScanCdDrives()) {
    cbbSourceDriver->AddItem(drive.Description, drive.Letter);
    cbbSourceDriver->SetItemIndex(0);
  }
  cbbSourceDriverSelect(nullptr);
}

void TMainForm::cbbSourceDriverSelect(TComponent*) {
  const int index = cbbSourceDriver->ItemIndex();
  if (index < 0) return;  // no drive: the track list stays empty
  const char letter = static_cast<char>(cbbSourceDriver->Objects(index));
  TCDRipperManager manager("", letter);
  CdromToc toc{};
  manager.ReadToc(toc);
  manager.FillTrackList();
}

void TMainForm::lvCdTracksDblClick(TComponent*) {
  const int item = lvCdTracks->Selected();
  if (item >= 0 && FDataRows.count(item) == 0) lvCdTracks->SetChecked(item, !lvCdTracks->Checked(item));
}

void TMainForm::MouseEffectImage1Click(TComponent*) {
  const int index = cbbSourceDriver->ItemIndex();
  if (index < 0) throw Exception(kNoDriveSelected);
  const char letter = static_cast<char>(cbbSourceDriver->Objects(index));
  TCdRipperThread::Launch(edtOutputPath->Text(), *this, letter);
}

void TMainForm::Image4Click(TComponent*) {
  ShellExecuteA(Handle(), "open", kHomePage, nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void TMainForm::Button2Click(TComponent*) {
  std::string folder = BrowseForFolder(Handle(), kBrowseTitle, "", "");
  if (folder.empty()) return;
  if (folder.back() != '\\') folder += '\\';
  edtOutputPath->SetText(folder);
}

void TMainForm::FormCloseQuery(TComponent*, bool& canClose) {
  if (TCdRipperThread::ActiveCount() == 0) return;
  // A rip is running: it stops at its next chunk and removes its unfinished
  // file; the window stays until the worker has ended.
  FStopping = true;
  ShowWindow(Handle(), SW_HIDE);
  WaitForRipsToEnd();
  canClose = true;
}

// -------------------------------------------------------- the engine's view

void TMainForm::SetStatus(const std::string& text) {
  Synchronize([&] {
    if (!FStopping) StatusBar1->SetPanelText(0, text);
  });
}

void TMainForm::ClearRows() {
  Synchronize([&] {
    if (FStopping) return;
    lvCdTracks->ClearItems();
    FDataRows.clear();
  });
}

void TMainForm::AddRow(const std::string& caption, const std::string& time) {
  Synchronize([&] {
    if (FStopping) return;
    const int item = lvCdTracks->AddItem(caption);
    lvCdTracks->AddSubItem(item, time);
  });
}

void TMainForm::AddTitledRow(const std::string& caption, const std::string& time, const std::string& comment) {
  Synchronize([&] {
    if (FStopping) return;
    const int item = lvCdTracks->AddItem(caption);
    lvCdTracks->AddSubItem(item, time);
    if (!comment.empty()) lvCdTracks->AddSubItem(item, comment);
  });
}

void TMainForm::AddDataRow(const std::string& caption, const std::string& time) {
  Synchronize([&] {
    if (FStopping) return;
    const int item = lvCdTracks->AddItem(caption);
    lvCdTracks->AddSubItem(item, time);
    lvCdTracks->AddSubItem(item, "Data");
    FDataRows.insert(item);
    lvCdTracks->SetCheckable(item, false);
  });
}

int TMainForm::RowCount() {
  int count = 0;
  Synchronize([&] {
    if (!FStopping) count = lvCdTracks->ItemCount();
  });
  return count;
}

bool TMainForm::RowTicked(int index) {
  bool ticked = false;
  Synchronize([&] {
    // A row that is gone (another drive was chosen) is not ticked.
    if (!FStopping && index >= 0 && index < lvCdTracks->ItemCount() && FDataRows.count(index) == 0)
      ticked = lvCdTracks->Checked(index);
  });
  return ticked;
}

int TMainForm::OutputTypeIndex() {
  int index = 1;
  Synchronize([&] {
    if (!FStopping) index = rgOutputType->ItemIndex();
  });
  return index;
}

void TMainForm::SetProgress(int position) {
  Synchronize([&] {
    if (FStopping) return;
    ProgressBar1->SetPosition(position);
    UpdateWindow(ProgressBar1->Handle());
  });
}

void TMainForm::ShowMessage(const std::string& text) {
  Synchronize([&] {
    if (!FStopping) Application()->MessageBoxPlain(text);
  });
}

void WaitForRipsToEnd() {
  // Workers reach the window through the UI thread, so it keeps serving
  // them while it waits.
  while (TCdRipperThread::ActiveCount() > 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    if (Application() != nullptr) Application()->ProcessMessages();
  }
  // Their system threads too, which may still be on their last lines.
  TThread::JoinSelfFreeing();
}

// ------------------------------------------------------------ folder picker

std::string BrowseForFolder(HWND owner, const std::string& title, const std::string& root, const std::string& initial) {
  std::string result;
  IShellFolder* desktopPointer = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktopPointer)) || desktopPointer == nullptr) return result;
  UniqueCom<IShellFolder> desktop(desktopPointer);
  auto parse = [&](const std::string& path) {
    std::wstring wide = Utf8ToWide(path);
    LPITEMIDLIST list = nullptr;
    ULONG eaten = 0;
    if (FAILED(desktop.get()->ParseDisplayName(owner, nullptr, wide.data(), &eaten, &list, nullptr))) list = nullptr;
    return UniqueItemList(list);
  };
  const UniqueItemList rootList = parse(root);
  const UniqueItemList initialList = parse(initial);
  // Wide throughout: a folder named outside the system's code page comes back whole.
  wchar_t displayName[MAX_PATH + 1] = {};
  const std::wstring wideTitle = Utf8ToWide(title);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = rootList.get();
  info.pszDisplayName = displayName;
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = 0;
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(initialList.get());
  const UniqueItemList chosen(SHBrowseForFolderW(&info));
  if (chosen) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen.get(), path)) result = WideToUtf8(path);
  }
  return result;
}

int CALLBACK BrowseCallback(HWND wnd, UINT msg, LPARAM, LPARAM data) {
  if (msg != BFFM_SELCHANGED) SendMessageW(wnd, BFFM_SETSELECTIONW, 0, data);
  return 0;
}

}  // namespace pellamy
