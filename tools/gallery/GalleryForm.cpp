#include "GalleryForm.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "GalleryArt.h"
#include "GalleryMenu.h"
#include "app/MainUnit.h"
#include "gui/forms/Application.h"
#include "gui/gdi/WideText.h"

namespace pellamy::gallery {

namespace {

constexpr int kColumn1 = 8, kColumn2 = 232, kColumn3 = 488;

void Picture(TPicture& picture, const TBitmap& bitmap) {
  picture.SetGraphic(&bitmap);
}

// Whether two skin file paths name one file, however they are written.
bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code error;
  return std::filesystem::equivalent(std::filesystem::path(a), std::filesystem::path(b), error);
}

std::string FileNamePart(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// ------------------------------------------------------------------ frame

TGalleryFrame::TGalleryFrame(TComponent* owner) : TFrame(owner) {
  SetBounds(0, 0, 224, 56);
  lblTitle = new TLabel(this);
  lblTitle->SetName("lblTitle");
  lblTitle->SetCaption("Artist (a frame):");
  lblTitle->SetBounds(6, 6, 200, 16);
  lblTitle->SetParent(this);
  edtArtist = new TEdit(this);
  edtArtist->SetName("edtArtist");
  edtArtist->SetText("Unknown artist");
  edtArtist->SetBounds(6, 26, 200, 22);
  edtArtist->SetParent(this);
}

TGalleryInnerForm::TGalleryInnerForm(TComponent* owner) : TForm(owner) {
  SetCaption("Embedded form");
  SetBorderStyle(bsNone);
  lblInner = new TLabel(this);
  lblInner->SetName("lblInner");
  lblInner->SetCaption("A form inside a panel");
  lblInner->SetBounds(6, 6, 200, 16);
  lblInner->SetParent(this);
  chkInner = new TCheckBox(this);
  chkInner->SetName("chkInner");
  chkInner->SetCaption("Keep tags");
  chkInner->SetChecked(true);
  chkInner->SetBounds(6, 26, 160, 20);
  chkInner->SetParent(this);
}

// ------------------------------------------------------------------- form

TGalleryForm::TGalleryForm(TComponent* owner, const std::string& startSkin) : TForm(owner) {
  SetName("GalleryForm");
  SetCaption(kCaption);
  SetBounds(40, 30, 760, 640);
  SetClientSize(752, 600);
  BuildSkinData(startSkin);

  AskUser = [this](const std::string& text) {
    // Captioned like every box of the program: with the application's title.
    const std::string title = Application() != nullptr ? Application()->Title() : std::string(kCaption);
    return MessageBoxW(Handle(), Utf8ToWide(text).c_str(), Utf8ToWide(title).c_str(), MB_ICONQUESTION | MB_YESNOCANCEL);
  };
  ChooseFolder = [this] { return BrowseForFolder(Handle(), "Choose the output folder", "", ""); };

  Images = new TImageList(this);
  Images->SetName("Images");
  Images->AddMasked(GlyphStrip(), clFuchsia);

  BuildMenus();
  BuildToolBar();
  StatusBar1 = new TStatusBar(this);
  StatusBar1->SetName("StatusBar1");
  StatusBar1->SetParent(this);
  StatusBar1->AddPanel(200);
  StatusBar1->AddPanel(-1);
  StatusBar1->SetPanelText(0, "Ready");
  StatusBar1->SetPanelText(1, "Every control of the class library");

  BuildTexts();
  BuildButtons();
  BuildCommonControls();
  BuildContainers();
  ListSkins(ProgramFolder());
}

void TGalleryForm::BuildSkinData(const std::string& file) {
  SkinData1 = new TSkinData(this);
  SkinData1->SetName("SkinData1");
  SkinData1->ShowMessage = [](const std::string& text) {
    if (Application() != nullptr) Application()->MessageBoxPlain(text);
  };
  // The settings are applied in the reading state, as a form's stored
  // settings are: Active is only recorded, the file is loaded, and Loaded
  // then asks for skinning, or turns Active off when nothing was loaded.
  SkinData1->BeginLoading();
  SkinData1->SetActive(true);
  SkinData1->SetDisableTag(TSkinData::kDefaultDisableTag);
  SkinData1->SetSkinControls(kDefaultSkinControls);
  try {
    SkinData1->SetSkinFile(file);
  } catch (...) {
    // A damaged skin file leaves the gallery unskinned; say why and go on.
    if (Application() != nullptr) Application()->HandleException(std::current_exception());
  }
  SkinData1->SetSkinFormtype(TSkinFormType::sfMainform);
  SkinData1->SetVersion(TSkinData::kVersion);
  SkinData1->SetMenuUpdate(true);
  SkinData1->EndLoading();
}

void TGalleryForm::ListSkins(const std::string& folder) {
  for (auto& [item, file] : FSkinItems) mnuSkin->Delete(mnuSkin->IndexOf(item));
  FSkinItems.clear();
  if (FSkinLine != nullptr) mnuSkin->Delete(mnuSkin->IndexOf(FSkinLine));
  FSkinLine = nullptr;

  std::vector<std::string> files;
  for (const std::string& name : SkinFilesIn(folder)) files.push_back(folder + name);
  // A skin started from elsewhere (--skin=) can be chosen again too.
  const std::string& current = SkinData1->SkinFile();
  std::error_code error;
  if (!current.empty() && std::filesystem::is_regular_file(std::filesystem::path(current), error) &&
      std::none_of(files.begin(), files.end(), [&](const std::string& f) { return SameFile(f, current); }))
    files.push_back(current);

  int index = 0;
  for (const std::string& file : files) {
    auto* item = new TMenuItem(this);
    item->SetName("mnuSkin" + std::to_string(index + 1));
    item->SetCaption(SkinCaption(FileNamePart(file)));
    item->SetRadioItem(true);
    item->SetGroupIndex(2);
    item->OnClick = [this, file](TComponent*) { ChooseSkin(file); };
    mnuSkin->Insert(index++, item);
    FSkinItems.emplace_back(item, file);
  }
  if (index > 0) {
    FSkinLine = new TMenuItem(this);
    FSkinLine->SetName("mnuSkinLine");
    FSkinLine->SetCaption("-");
    mnuSkin->Insert(index, FSkinLine);
  }
  ShowSkin();
}

void TGalleryForm::ChooseSkin(const std::string& file) {
  try {
    // The reskin path: assigned at run time, the file is loaded and the
    // manager asked to apply it.
    SkinData1->SetSkinFile(file);
  } catch (...) {
    SkinData1->SetActive(false);
    ShowSkin();
    throw;
  }
  // On again after "No skin"; off when the file was gone or refused, so that
  // no half-loaded skin stays on.
  SkinData1->SetActive(!SkinData1->SkinEmpty);
  ShowSkin();
}

void TGalleryForm::ChooseNoSkin() {
  SkinData1->SetActive(false);
  ShowSkin();
}

void TGalleryForm::ShowSkin() {
  const bool on = SkinData1->Active() && !SkinData1->SkinEmpty;
  const std::string& file = SkinData1->SkinFile();
  for (auto& [item, path] : FSkinItems) item->SetChecked(on && SameFile(path, file));
  mnuNoSkin->SetChecked(!on);
  if (on) {
    // A skin's description is 8-bit text of the system's code page; file names are UTF-8.
    const std::string name = SkinData1->SkinName.empty() ? FileNamePart(file) : AnsiToUtf8(SkinData1->SkinName);
    SetCaption(std::string(kCaption) + " - " + name);
  } else {
    SetCaption(kCaption);
    if (!file.empty() && SkinData1->SkinEmpty) Status("No skin loaded from " + FileNamePart(file));
  }
}

template <class T>
T* TGalleryForm::Make(const char* name, TWinControl* parent, int left, int top, int width, int height) {
  auto* control = new T(this);
  control->SetName(name);
  control->SetBounds(left, top, width, height);
  control->SetParent(parent);
  return control;
}

void TGalleryForm::Status(const std::string& text) {
  StatusBar1->SetPanelText(0, text);
}

void TGalleryForm::BuildMenus() {
  MainMenu1 = new TMainMenu(this);
  MainMenu1->SetName("MainMenu1");
  MainMenu1->SetImages(Images);
  TMenuItem* root = MainMenu1->Items();

  mnuFile = AddMenuItem(this, root, "mnuFile", "&File");
  mnuOpen = AddMenuItem(this, mnuFile, "mnuOpen", "&Open folder...", ShortCut('O', scCtrl));
  mnuOpen->SetImageIndex(2);
  mnuOpen->OnClick = [this](TComponent*) {
    const std::string folder = ChooseFolder();
    if (!folder.empty()) edtOutputPath->SetText(folder);
  };
  mnuSave = AddMenuItem(this, mnuFile, "mnuSave", "&Save", ShortCut('S', scCtrl));
  mnuSave->SetEnabled(false);
  mnuSave->OnClick = [this](TComponent*) { Status("Saved"); };
  AddMenuItem(this, mnuFile, "mnuLine1", "-");
  mnuRecent = AddMenuItem(this, mnuFile, "mnuRecent", "&Recent discs");
  AddMenuItem(this, mnuRecent, "mnuRecent1", "&1 Demo disc")->SetImageIndex(1);
  AddMenuItem(this, mnuRecent, "mnuRecent2", "&2 Concert.cue");
  AddMenuItem(this, mnuFile, "mnuLine2", "-");
  mnuExit = AddMenuItem(this, mnuFile, "mnuExit", "E&xit", ShortCut(VK_F4, scAlt));
  mnuExit->OnClick = [this](TComponent*) { Close(); };

  mnuEdit = AddMenuItem(this, root, "mnuEdit", "&Edit");
  mnuUndo = AddMenuItem(this, mnuEdit, "mnuUndo", "&Undo", ShortCut('Z', scCtrl));
  mnuUndo->OnClick = [this](TComponent*) { Status("Nothing to undo"); };
  AddMenuItem(this, mnuEdit, "mnuSelectAll", "Select &all", ShortCut('A', scCtrl))->OnClick = [this](TComponent*) {
    for (int i = 0; i < lvCdTracks->ItemCount(); ++i) lvCdTracks->SetChecked(i, true);
  };

  mnuView = AddMenuItem(this, root, "mnuView", "&View");
  mnuToolBar = AddMenuItem(this, mnuView, "mnuToolBar", "&Tool bar");
  mnuToolBar->SetChecked(true);
  mnuToolBar->SetAutoCheck(true);
  mnuToolBar->OnClick = [this](TComponent*) { ToolBar1->SetVisible(mnuToolBar->Checked()); };
  AddMenuItem(this, mnuView, "mnuLine3", "-");
  mnuLarge = AddMenuItem(this, mnuView, "mnuLarge", "&Large track list");
  mnuSmall = AddMenuItem(this, mnuView, "mnuSmall", "&Small track list");
  for (TMenuItem* item : {mnuLarge, mnuSmall}) {
    item->SetRadioItem(true);
    item->SetGroupIndex(1);
    item->SetAutoCheck(true);
  }
  mnuSmall->SetChecked(true);
  AddMenuItem(this, mnuView, "mnuRefresh", "&Refresh", ShortCut(VK_F5, 0))->SetImageIndex(3);
  // The page control is made again when its tabs move.
  TMenuItem* tabsBelow = AddMenuItem(this, mnuView, "mnuTabsBelow", "Tabs &below");
  tabsBelow->SetAutoCheck(true);
  tabsBelow->OnClick = [this, tabsBelow](TComponent*) {
    PageControl1->SetTabPosition(tabsBelow->Checked() ? tpBottom : tpTop);
  };

  // The skin files go above "No skin" (ListSkins).
  mnuSkin = AddMenuItem(this, root, "mnuSkin", "&Skin");
  mnuNoSkin = AddMenuItem(this, mnuSkin, "mnuNoSkin", "&No skin");
  mnuNoSkin->SetRadioItem(true);
  mnuNoSkin->SetGroupIndex(2);
  mnuNoSkin->OnClick = [this](TComponent*) { ChooseNoSkin(); };

  mnuHelp = AddMenuItem(this, root, "mnuHelp", "&Help");
  mnuAbout = AddMenuItem(this, mnuHelp, "mnuAbout", "&About the gallery");
  mnuAbout->SetDefault(true);
  mnuAbout->SetImageIndex(0);
  mnuAbout->OnClick = [this](TComponent*) { AskUser("One of every control, for skin authors."); };
  // A bar button that opens nothing, last so that the others keep their
  // places: the arrows pass over it and wrap.
  TMenuItem* disc = AddMenuItem(this, root, "mnuDisc", "&Disc");
  AddMenuItem(this, disc, "mnuEject", "&Eject");
  disc->SetEnabled(false);
  SetMenu(MainMenu1);

  // The popup draws its own items: a coloured bar behind the selected one.
  PopupMenu1 = new TPopupMenu(this);
  PopupMenu1->SetName("PopupMenu1");
  PopupMenu1->SetTag(kPopupTag);
  PopupMenu1->SetImages(Images);
  PopupMenu1->SetOwnerDraw(true);
  TMenuItem* popRoot = PopupMenu1->Items();
  popPlay = AddMenuItem(this, popRoot, "popPlay", "&Play track", ShortCut(VK_SPACE, 0));
  popPlay->SetImageIndex(3);
  popEject = AddMenuItem(this, popRoot, "popEject", "&Eject disc");
  popEject->SetImageIndex(1);
  AddMenuItem(this, popRoot, "popLine", "-");
  popProperties = AddMenuItem(this, popRoot, "popProperties", "P&roperties");
  popProperties->SetEnabled(false);
  for (TMenuItem* item : {popPlay, popEject, popProperties}) {
    item->OnAdvancedDrawItem = [this](TMenuItem* sender, TCanvas& canvas, RECT rect, TOwnerDrawState state) {
      DrawPopupItem(sender, canvas, rect, state);
    };
    item->OnMeasureItem = [](TMenuItem*, TCanvas&, int& width, int& height) {
      width += 24;
      if (height < 22) height = 22;
    };
  }
  popPlay->OnClick = [this](TComponent*) { Status("Playing"); };
  popEject->OnClick = [this](TComponent*) { Status("Ejected"); };
  SetPopupMenu(PopupMenu1);
}

void TGalleryForm::DrawPopupItem(TMenuItem* item, TCanvas& canvas, RECT rect, TOwnerDrawState state) {
  const bool selected = (state & odSelected) != 0;
  const bool disabled = (state & (odDisabled | odGrayed)) != 0 || !item->Enabled();
  canvas.Brush().SetColor(selected ? RGB(40, 90, 160) : RGB(246, 244, 236));
  canvas.FillRect(rect);
  // A gutter in the accent colour holds the image.
  canvas.Brush().SetColor(RGB(214, 150, 40));
  canvas.FillRect(RECT{rect.left, rect.top, rect.left + 4, rect.bottom});
  if (item->ImageIndex() >= 0)
    Images->Draw(canvas, rect.left + 8, rect.top + (rect.bottom - rect.top - 16) / 2, item->ImageIndex(), !disabled);
  canvas.Brush().SetStyle(bsClear);
  canvas.Font().SetColor(disabled ? clGray : selected ? clWhite : clBlack);
  RECT text{rect.left + 32, rect.top, rect.right - 4, rect.bottom};
  canvas.TextRect(text, item->Caption(), DT_SINGLELINE | DT_VCENTER);
  canvas.Brush().SetStyle(bsSolid);
}

void TGalleryForm::BuildToolBar() {
  ToolBar1 = new TToolBar(this);
  ToolBar1->SetName("ToolBar1");
  ToolBar1->SetParent(this);
  ToolBar1->SetImages(Images);
  ToolBar1->SetFlat(true);
  const struct {
    const char* name;
    const char* caption;
    int image;
    TToolButtonStyle style;
  } buttons[] = {{"tbRip", "Rip", 0, tbsButton},
                 {"tbDisc", "Disc", 1, tbsButton},
                 {"tbSep", "", -1, tbsSeparator},
                 {"tbFolder", "Folder", 2, tbsButton},
                 {"tbMute", "Mute", 3, tbsCheck}};
  for (const auto& b : buttons) {
    auto* button = new TToolButton(this);
    button->SetName(b.name);
    button->SetCaption(b.caption);
    button->SetStyle(b.style);
    if (b.image >= 0) button->SetImageIndex(b.image);
    button->SetHint(b.caption);
    button->SetParent(ToolBar1);
    button->OnClick = [this, caption = std::string(b.caption)](TComponent*) { Status(caption + " pressed"); };
  }
}

void TGalleryForm::BuildTexts() {
  const int top = 40;
  lbl1 = Make<TLabel>("lbl1", this, kColumn1, top + 4, 60, 16);
  lbl1->SetCaption("Source:");
  cbbSourceDriver = Make<TComboBox>("cbbSourceDriver", this, kColumn1 + 60, top, 156, 22);
  cbbSourceDriver->AddItem("D: Virtual CD drive", 0);
  cbbSourceDriver->AddItem("E: Second drive", 1);
  cbbSourceDriver->SetItemIndex(0);
  edtOutputPath = Make<TEdit>("edtOutputPath", this, kColumn1, top + 28, 156, 22);
  edtOutputPath->SetText("C:\\Music");
  btnBrowse = Make<TButton>("btnBrowse", this, kColumn1 + 160, top + 27, 56, 24);
  btnBrowse->SetCaption("Folder");
  btnBrowse->OnClick = [this](TComponent*) {
    const std::string folder = ChooseFolder();
    if (!folder.empty()) edtOutputPath->SetText(folder);
  };
  SpinEdit1 = Make<TSpinEdit>("SpinEdit1", this, kColumn1, top + 56, 100, 22);
  SpinEdit1->SetMinValue(1);
  SpinEdit1->SetMaxValue(99);
  SpinEdit1->SetValue(3);
  btnMessage = Make<TButton>("btnMessage", this, kColumn1 + 106, top + 55, 110, 24);
  btnMessage->SetCaption("Message box");
  btnMessage->OnClick = [this](TComponent*) {
    const int answer = AskUser("Rip the ticked tracks now?");
    Status(answer == IDYES ? "Yes" : answer == IDNO ? "No" : "Cancelled");
  };
  Memo1 = Make<TMemo>("Memo1", this, kColumn1, top + 84, 216, 80);
  Memo1->SetScrollBars(ssBoth);
  Memo1->SetWordWrap(false);
  Memo1->SetLines({"Track 1  Overture", "Track 2  Allegro", "Track 3  Adagio", "Track 4  Finale",
                   "A line longer than the memo is wide, to show its bar", "Track 6", "Track 7"});
  ListBox1 = Make<TListBox>("ListBox1", this, kColumn1, top + 170, 216, 72);
  for (const char* text :
       {".wav (raw CD audio)", ".mp3 (128 kbit/s)", "Demo disc", "Concert.cue", "Live.cue", "Sessions.cue"})
    ListBox1->AddItem(text);
  ListBox1->SetItemIndex(1);
  lvCdTracks = Make<TListView>("lvCdTracks", this, kColumn1, top + 248, 216, 110);
  lvCdTracks->SetViewStyle(vsReport);
  lvCdTracks->SetCheckboxes(true);
  lvCdTracks->SetRowSelect(true);
  lvCdTracks->AddColumn("Title", 80);
  lvCdTracks->AddColumn("Time", 60);
  lvCdTracks->AddColumn("Comment", 60);
  const char* times[] = {"3:12", "4:05", "5:47", "2:58"};
  for (int i = 0; i < 4; ++i) {
    const int item = lvCdTracks->AddItem("Track " + std::to_string(i + 1));
    lvCdTracks->AddSubItem(item, times[i]);
    lvCdTracks->AddSubItem(item, "");
  }
  lvCdTracks->SetChecked(0, true);
  rgOutputType = Make<TRadioGroup>("rgOutputType", this, kColumn1, top + 364, 216, 44);
  rgOutputType->SetCaption("Output");
  rgOutputType->SetColumns(2);
  rgOutputType->SetItems({".wav", ".mp3"});
  rgOutputType->SetItemIndex(1);
}

void TGalleryForm::BuildButtons() {
  const int top = 40;
  GroupBox1 = Make<TGroupBox>("GroupBox1", this, kColumn2, top, 240, 150);
  GroupBox1->SetCaption("Buttons");
  BitBtn1 = Make<TBitBtn>("BitBtn1", GroupBox1, 8, 20, 100, 28);
  BitBtn1->SetCaption("&Rip");
  BitBtn1->SetGlyph(ButtonGlyph());
  BitBtn1->SetNumGlyphs(2);
  BitBtn1->OnClick = [this](TComponent*) { Status("Rip pressed"); };
  SpeedButton1 = Make<TSpeedButton>("SpeedButton1", GroupBox1, 116, 20, 56, 28);
  SpeedButton2 = Make<TSpeedButton>("SpeedButton2", GroupBox1, 176, 20, 56, 28);
  SpeedButton1->SetCaption("Wav");
  SpeedButton2->SetCaption("Mp3");
  for (TSpeedButton* b : {SpeedButton1, SpeedButton2}) {
    b->SetGroupIndex(1);
    b->SetFlat(true);
  }
  SpeedButton2->SetGlyph(ButtonGlyph());
  SpeedButton2->SetNumGlyphs(2);
  SpeedButton1->SetDown(true);
  CheckBox1 = Make<TCheckBox>("CheckBox1", GroupBox1, 8, 56, 110, 20);
  CheckBox1->SetCaption("Normalise");
  CheckBox1->SetChecked(true);
  CheckBox2 = Make<TCheckBox>("CheckBox2", GroupBox1, 120, 56, 110, 20);
  CheckBox2->SetCaption("Some tags");
  CheckBox2->SetAllowGrayed(true);
  CheckBox2->SetState(cbGrayed);
  RadioButton1 = Make<TRadioButton>("RadioButton1", GroupBox1, 8, 80, 110, 20);
  RadioButton1->SetCaption("Fast");
  RadioButton2 = Make<TRadioButton>("RadioButton2", GroupBox1, 120, 80, 110, 20);
  RadioButton2->SetCaption("Secure");
  RadioButton2->SetChecked(true);
  ScrollBar1 = Make<TScrollBar>("ScrollBar1", GroupBox1, 8, 108, 224, 17);
  ScrollBar1->SetParams(30, 0, 100);
  ScrollBar1->OnChange = [this](TComponent*) { Status("Scroll " + std::to_string(ScrollBar1->Position())); };
}

void TGalleryForm::BuildCommonControls() {
  const int top = 196;
  TrackBar1 = Make<TTrackBar>("TrackBar1", this, kColumn2, top, 240, 32);
  TrackBar1->SetMax(100);
  TrackBar1->SetFrequency(10);
  TrackBar1->SetPosition(40);
  ProgressBar1 = Make<TProgressBar>("ProgressBar1", this, kColumn2, top + 36, 240, 16);
  ProgressBar1->SetRange(0, 100);
  ProgressBar1->SetPosition(40);
  TrackBar1->OnChange = [this](TComponent*) {
    ProgressBar1->SetPosition(TrackBar1->Position());
    Status("Volume " + std::to_string(TrackBar1->Position()));
  };
  edtUpDown = Make<TEdit>("edtUpDown", this, kColumn2, top + 58, 60, 22);
  UpDown1 = Make<TUpDown>("UpDown1", this, kColumn2 + 60, top + 58, 16, 22);
  UpDown1->SetMin(0);
  UpDown1->SetMax(20);
  UpDown1->SetPosition(5);
  UpDown1->SetAssociate(edtUpDown);
  DateTimePicker1 = Make<TDateTimePicker>("DateTimePicker1", this, kColumn2 + 84, top + 58, 156, 22);
  DateTimePicker2 = Make<TDateTimePicker>("DateTimePicker2", this, kColumn2 + 84, top + 84, 156, 22);
  DateTimePicker2->SetDateMode(dmUpDown);
  HeaderControl1 = Make<THeaderControl>("HeaderControl1", this, kColumn2, top + 112, 240, 22);
  HeaderControl1->SetAlign(alNone);  // a header sits at the top of its parent unless told otherwise
  HeaderControl1->SetBounds(kColumn2, top + 112, 240, 22);
  HeaderControl1->Sections().Add("Artist", 90);
  HeaderControl1->Sections().Add("Album", 90);
  HeaderControl1->Sections().Add("Year", 60);
  StringGrid1 = Make<TStringGrid>("StringGrid1", this, kColumn2, top + 140, 240, 96);
  StringGrid1->SetColCount(4);
  StringGrid1->SetRowCount(8);
  StringGrid1->SetDefaultColWidth(56);
  StringGrid1->SetDefaultRowHeight(18);
  StringGrid1->SetOptions(StringGrid1->Options() | goEditing);
  StringGrid1->SetRowTexts(0, {"", "Track", "Time", "Gain"});
  for (int row = 1; row < 8; ++row)
    StringGrid1->SetRowTexts(
        row, {std::to_string(row), "Track " + std::to_string(row), "3:0" + std::to_string(row), "0 dB"});
  TabSet1 = Make<TTabSet>("TabSet1", this, kColumn2, top + 240, 240, 22);
  TabSet1->SetTabs({"Disc", "Tracks", "Tags", "Output", "Encoder", "About"});
  TabSet1->SetTabIndex(1);
  TreeView1 = Make<TTreeView>("TreeView1", this, kColumn2, top + 268, 240, 98);
  TTreeNode* music = TreeView1->Items().AddChild(nullptr, "Music");
  TTreeNode* demo = TreeView1->Items().AddChild(music, "Demo disc");
  for (int i = 1; i <= 3; ++i) TreeView1->Items().AddChild(demo, "Track " + std::to_string(i) + ".mp3");
  TTreeNode* concert = TreeView1->Items().AddChild(music, "Concert");
  // Longer than the view: its scroll bar shows.
  for (int i = 1; i <= 12; ++i) TreeView1->Items().AddChild(concert, "Part " + std::to_string(i) + ".wav");
  concert->Expand(false);
  music->Expand(true);
}

void TGalleryForm::BuildContainers() {
  const int top = 40;
  PageControl1 = Make<TPageControl>("PageControl1", this, kColumn3, top, 256, 110);
  TabSheet1 = new TTabSheet(this);
  TabSheet1->SetName("TabSheet1");
  TabSheet1->SetCaption("Disc");
  TabSheet1->SetPageControl(PageControl1);
  TabSheet2 = new TTabSheet(this);
  TabSheet2->SetName("TabSheet2");
  TabSheet2->SetCaption("Encoder");
  TabSheet2->SetPageControl(PageControl1);
  auto* discLabel = Make<TLabel>("lblDisc", TabSheet1, 8, 8, 220, 16);
  discLabel->SetCaption("Demo disc, 4 tracks, 16:02");
  auto* bitrate = Make<TComboBox>("cbbBitrate", TabSheet2, 8, 8, 120, 22);
  for (const char* rate : {"128 kbit/s", "192 kbit/s", "256 kbit/s"}) bitrate->AddItem(rate, 0);
  bitrate->SetItemIndex(0);
  PageControl1->SetActivePage(TabSheet1);

  TabControl1 = Make<TTabControl>("TabControl1", this, kColumn3, top + 116, 256, 70);
  TabControl1->SetTabs({"Left", "Right", "Both"});
  auto* balance = Make<TLabel>("lblBalance", TabControl1, 8, 32, 200, 16);
  balance->SetCaption("Channel: Left");
  TabControl1->OnChange = [this, balance](TComponent*) {
    static const char* names[] = {"Left", "Right", "Both"};
    const int index = TabControl1->TabIndex();
    if (index >= 0 && index < 3) balance->SetCaption(std::string("Channel: ") + names[index]);
  };

  ScrollBox1 = Make<TScrollBox>("ScrollBox1", this, kColumn3, top + 192, 256, 80);
  for (int i = 0; i < 6; ++i) {
    auto* check = Make<TCheckBox>(("chkTrack" + std::to_string(i + 1)).c_str(), ScrollBox1, 8, 4 + i * 24, 300, 20);
    check->SetCaption("Track " + std::to_string(i + 1) + ": a caption wider than the box");
  }

  Frame1 = new TGalleryFrame(this);
  Frame1->SetName("Frame1");
  Frame1->SetBounds(kColumn3, top + 278, 256, 56);
  Frame1->SetParent(this);

  pnlInner = Make<TPanel>("pnlInner", this, kColumn3, top + 340, 256, 58);
  InnerForm = new TGalleryInnerForm(this);
  InnerForm->SetName("InnerForm");
  InnerForm->SetParent(pnlInner);
  InnerForm->SetAlign(alClient);
  InnerForm->Show();

  pnlRightMain = Make<TPanel>("pnlRightMain", this, kColumn3, top + 404, 256, 112);
  pnlRightMain->SetCaption("");
  Image1 = Make<TImage>("Image1", pnlRightMain, 4, 4, 120, 104);
  Image1->SetStretch(true);
  Picture(Image1->Picture(), gallery::Picture(120, 104));
  MouseEffectImage1 = Make<TMouseEffectImage>("MouseEffectImage1", pnlRightMain, 132, 4, 120, 104);
  TPicture origin, over;
  Picture(origin, gallery::Picture(120, 104));
  Picture(over, DuskPicture(120, 104));
  MouseEffectImage1->SetOriginPicture(origin);
  MouseEffectImage1->SetOverPicture(over);
  MouseEffectImage1->SetDownPicture(over);
  MouseEffectImage1->OnClick = [this](TComponent*) { Status("Picture clicked"); };
}

}  // namespace pellamy::gallery
