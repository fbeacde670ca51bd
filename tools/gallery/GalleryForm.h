// The gallery's main form: one of every control of the class library, a main
// menu showing every kind of item, an owner-drawn popup menu, a tool bar and
// a status bar, and buttons that open a message box and the folder picker.
// Skin authors look at it to see their skin on everything, switching skins
// from its Skin menu; the skin engine's tests use it as a fixture.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "GallerySkins.h"
#include "app/MouseEffectImage.h"
#include "gui/controls/Buttons.h"
#include "gui/controls/ComCtrls.h"
#include "gui/controls/ExtCtrls.h"
#include "gui/controls/Frames.h"
#include "gui/controls/Grids.h"
#include "gui/controls/PageControl.h"
#include "gui/controls/Spin.h"
#include "gui/controls/StdCtrls.h"
#include "gui/controls/Tabs.h"
#include "gui/controls/ToolBar.h"
#include "gui/controls/TreeView.h"
#include "gui/forms/Forms.h"
#include "gui/forms/Menus.h"
#include "gui/gdi/ImgList.h"
#include "skin/model/WinSkinData.h"

namespace pellamy::gallery {

// A frame as a designer would make one: a caption and an edit, reused.
class TGalleryFrame : public TFrame {
 public:
  explicit TGalleryFrame(TComponent* owner);
  std::string ClassName() const override { return "TGalleryFrame"; }
  TLabel* lblTitle;
  TEdit* edtArtist;
};

// A form shown inside a panel of the main form.
class TGalleryInnerForm : public TForm {
 public:
  explicit TGalleryInnerForm(TComponent* owner);
  std::string ClassName() const override { return "TGalleryInnerForm"; }
  TLabel* lblInner;
  TCheckBox* chkInner;
};

class TGalleryForm : public TForm {
 public:
  static constexpr const char* kCaption = "Pellamy gallery";
  // The popup menu's tag, for the engine's tests to find it by.
  static constexpr int kPopupTag = 7;

  // startSkin is the skin file loaded at start, empty for none; the Skin
  // menu lists the skin files next to the program.
  explicit TGalleryForm(TComponent* owner, const std::string& startSkin = ProgramFolder() + kStartSkin);
  std::string ClassName() const override { return "TGalleryForm"; }

  // Fills the Skin menu with the skin files of folder (ending in a path
  // delimiter) by name, the current skin file when it is elsewhere, and
  // "No skin"; the current one is checked.
  void ListSkins(const std::string& folder);
  // What the Skin menu's items do: load a skin file at run time and turn
  // skinning on, or turn it off.
  void ChooseSkin(const std::string& file);
  void ChooseNoSkin();

  // The skin of the whole program, loaded while the form is made.
  TSkinData* SkinData1;

  TImageList* Images;
  TMainMenu* MainMenu1;
  TMenuItem* mnuFile;
  TMenuItem* mnuOpen;
  TMenuItem* mnuSave;
  TMenuItem* mnuRecent;
  TMenuItem* mnuExit;
  TMenuItem* mnuEdit;
  TMenuItem* mnuUndo;
  TMenuItem* mnuView;
  TMenuItem* mnuToolBar;
  TMenuItem* mnuLarge;
  TMenuItem* mnuSmall;
  TMenuItem* mnuSkin;
  TMenuItem* mnuNoSkin;
  TMenuItem* mnuHelp;
  TMenuItem* mnuAbout;
  TPopupMenu* PopupMenu1;
  TMenuItem* popPlay;
  TMenuItem* popEject;
  TMenuItem* popProperties;

  TToolBar* ToolBar1;
  TStatusBar* StatusBar1;

  // Those of the main window.
  TLabel* lbl1;
  TComboBox* cbbSourceDriver;
  TEdit* edtOutputPath;
  TButton* btnBrowse;
  TButton* btnMessage;
  TRadioGroup* rgOutputType;
  TListView* lvCdTracks;
  TProgressBar* ProgressBar1;
  TPanel* pnlRightMain;
  TImage* Image1;
  TMouseEffectImage* MouseEffectImage1;

  // Buttons and text.
  TBitBtn* BitBtn1;
  TSpeedButton* SpeedButton1;
  TSpeedButton* SpeedButton2;
  TCheckBox* CheckBox1;
  TCheckBox* CheckBox2;
  TRadioButton* RadioButton1;
  TRadioButton* RadioButton2;
  TGroupBox* GroupBox1;
  TMemo* Memo1;
  TListBox* ListBox1;
  TSpinEdit* SpinEdit1;
  TScrollBar* ScrollBar1;
  TScrollBox* ScrollBox1;

  // Common controls.
  TTrackBar* TrackBar1;
  TEdit* edtUpDown;
  TUpDown* UpDown1;
  TDateTimePicker* DateTimePicker1;
  TDateTimePicker* DateTimePicker2;
  TPageControl* PageControl1;
  TTabSheet* TabSheet1;
  TTabSheet* TabSheet2;
  TTabControl* TabControl1;
  THeaderControl* HeaderControl1;
  TStringGrid* StringGrid1;
  TTabSet* TabSet1;
  TTreeView* TreeView1;

  // Containers.
  TGalleryFrame* Frame1;
  TPanel* pnlInner;
  TGalleryInnerForm* InnerForm;

  // What the buttons open; replaceable so that tests need no person.
  std::function<int(const std::string& text)> AskUser;
  std::function<std::string()> ChooseFolder;

 private:
  template <class T>
  T* Make(const char* name, TWinControl* parent, int left, int top, int width, int height);
  void BuildSkinData(const std::string& file);
  void BuildMenus();
  void BuildToolBar();
  void BuildButtons();
  void BuildTexts();
  void BuildCommonControls();
  void BuildContainers();
  void Status(const std::string& text);
  void DrawPopupItem(TMenuItem* item, TCanvas& canvas, RECT rect, TOwnerDrawState state);
  // The title and the Skin menu's check marks after a change of skin.
  void ShowSkin();

  // The Skin menu's file items with their paths, and the line below them.
  std::vector<std::pair<TMenuItem*, std::string>> FSkinItems;
  TMenuItem* FSkinLine = nullptr;
};

}  // namespace pellamy::gallery
