// TForm: a top-level window with its border style, caption buttons,
// position, client size, colour, font and icon, and its creation event.
#pragma once

#include "Controls.h"

namespace pellamy {

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum TPosition { poDesigned, poDefault, poScreenCenter, poMainFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

class TForm : public TCustomControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;
  std::string ClassName() const override { return "TForm"; }

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle style);
  unsigned BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(unsigned icons);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition position) { FPosition = position; }
  // Sizes the window so that its client area has this size.
  void SetClientSize(int width, int height);
  HICON Icon() const { return FIcon; }
  void SetIcon(HICON icon);

  void Show();
  void Close();
  bool Closing() const { return FClosing; }
  // Moves the focus to the next (or previous) control in tab order.
  void SelectNext(TWinControl* current, bool forward);
  TWinControl* ActiveControl() const;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  std::function<void(TComponent*, TCloseAction&)> OnClose;
  std::function<void(TComponent*, bool&)> OnCloseQuery;

  // Runs the creation event; the application calls it once the form's
  // controls exist.
  void DoCreate();

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  void CollectTabStops(TWinControl* parent, std::vector<TWinControl*>& out) const;

  TFormBorderStyle FBorderStyle = bsSizeable;
  unsigned FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  TPosition FPosition = poDesigned;
  int FClientWidth = -1, FClientHeight = -1;
  HICON FIcon = nullptr;
  bool FClosing = false;
  bool FShownOnce = false;
};

}  // namespace pellamy
