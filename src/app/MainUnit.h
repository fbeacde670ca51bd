// TMainForm: the program's window, its controls and handlers, and the
// ripping engine's view of it. BrowseForFolder and BrowseCallback: the
// folder picker of the browse button.
#pragma once

#include <windows.h>

#include <atomic>
#include <set>
#include <string>

#include "app/MouseEffectImage.h"
#include "gui/controls/ComCtrls.h"
#include "gui/controls/ExtCtrls.h"
#include "gui/controls/StdCtrls.h"
#include "gui/forms/Forms.h"
#include "ripper/RipWindow.h"
#include "skin/model/WinSkinData.h"

namespace pellamy {

inline constexpr char kMainCaption[] = "Pellamy  (Ver 1.03)";
inline constexpr char kHomePage[] = "https://pellamy.example.org/";
inline constexpr char kBrowseTitle[] = "Select a directory for this Category";
inline constexpr char kNoDriveSelected[] = "No CD drive selected.";

class TMainForm : public TForm, public TRipWindow {
 public:
  explicit TMainForm(TComponent* owner);
  ~TMainForm() override;
  std::string ClassName() const override { return "TMainForm"; }

  TPanel* pnlRightMain;
  TSkinData* SkinData1;
  TComboBox* cbbSourceDriver;
  TLabel* lbl1;
  TStatusBar* StatusBar1;
  TListView* lvCdTracks;
  TRadioGroup* rgOutputType;
  TEdit* edtOutputPath;
  TRadioGroup* RadioGroup2;
  TButton* Button2;
  TProgressBar* ProgressBar1;
  TImage* Image1;
  TImage* Image4;
  TMouseEffectImage* MouseEffectImage1;

  void FormCreate(TComponent* sender);
  void cbbSourceDriverSelect(TComponent* sender);
  void Button2Click(TComponent* sender);
  void lvCdTracksDblClick(TComponent* sender);
  void Image4Click(TComponent* sender);
  void MouseEffectImage1Click(TComponent* sender);
  void ScanDrives();
  void SetStatus(const std::string& text) override;

  // The ripping engine's view; each call is carried out on the UI thread,
  // and none touches the window once it is closing.
  void ClearRows() override;
  void AddRow(const std::string& caption, const std::string& time) override;
  // "Data" in the comment column and no check box.
  void AddDataRow(const std::string& caption, const std::string& time) override;
  void AddTitledRow(const std::string& caption, const std::string& time, const std::string& comment) override;
  int RowCount() override;
  bool RowTicked(int index) override;
  int OutputTypeIndex() override;
  void SetProgress(int position) override;
  void ShowMessage(const std::string& text) override;
  bool Closing() override { return FStopping; }

 private:
  void BuildLayout();
  void BuildSkinData();
  void FormCloseQuery(TComponent* sender, bool& canClose);
  std::atomic<bool> FStopping{false};  // read by the rip's reader and encoder threads
  std::set<int> FDataRows;
};

// Waits until every rip worker has ended, serving their calls meanwhile.
void WaitForRipsToEnd();

// The one main window, once created.
extern TMainForm* MainForm;

std::string BrowseForFolder(HWND owner, const std::string& title, const std::string& root, const std::string& initial);
int CALLBACK BrowseCallback(HWND wnd, UINT msg, LPARAM lparam, LPARAM data);

}  // namespace pellamy
