// TToolBar (the system tool bar window, "ToolbarWindow32", with its buttons,
// images, flat and transparent looks and custom drawing of buttons) and
// TToolButton (one button of it: a windowless control placed on the bar, in
// order).
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/controls/Controls.h"
#include "gui/gdi/Graphics.h"

namespace pellamy {

class TImageList;
class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

enum TCustomDrawStateFlag : unsigned {
  cdsSelected = 1u << 0,
  cdsGrayed = 1u << 1,
  cdsDisabled = 1u << 2,
  cdsChecked = 1u << 3,
  cdsFocused = 1u << 4,
  cdsDefault = 1u << 5,
  cdsHot = 1u << 6,
  cdsMarked = 1u << 7,
  cdsIndeterminate = 1u << 8,
};
using TCustomDrawState = unsigned;  // cdsHot | cdsChecked ...

class TToolButton : public TGraphicControl {
 public:
  explicit TToolButton(TComponent* owner);
  ~TToolButton() override;
  std::string ClassName() const override { return "TToolButton"; }

  // Placing a button on a tool bar appends it to the bar's buttons.
  void SetParent(TWinControl* parent) override;
  TToolBar* ToolBar() const;
  // The button's place on its bar, or -1.
  int Index() const;

  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int index);
  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle style);
  // Pressed (a plain button) or checked (a check button).
  bool Down() const;
  void SetDown(bool value);
  // Adjacent grouped check buttons are down one at a time.
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& hint) { FHint = hint; }
  // The command number the bar reports the button's clicks with.
  int CommandId() const { return FCommandId; }

  // The drop-down arrow of a tbsDropDown button was pressed.
  TNotifyEvent OnDropDown;

 protected:
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  friend class TToolBar;
  int FImageIndex = -1;
  TToolButtonStyle FStyle = tbsButton;
  bool FDown = false;
  bool FGrouped = false;
  std::string FHint;
  int FCommandId = 0;
};

class TToolBar : public TWinControl {
 public:
  explicit TToolBar(TComponent* owner);
  ~TToolBar() override;
  std::string ClassName() const override { return "TToolBar"; }

  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  TToolButton* Buttons(int index) const { return FButtons.at(static_cast<std::size_t>(index)); }
  TToolButton* FindButton(int commandId) const;
  // The button's rectangle on the bar; empty for a hidden button.
  RECT ButtonRect(const TToolButton* button) const;

  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* images);
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool value);
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int width);
  int ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(int height);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

  // Bound to the bar's DC while OnCustomDrawButton runs.
  TCanvas& Canvas() { return FCanvas; }

  // Before the system draws a button. The canvas's font colour is used for
  // the caption; clearing defaultDraw leaves the button to the handler.
  std::function<void(TToolBar* sender, TToolButton* button, TCustomDrawState state, bool& defaultDraw)>
      OnCustomDrawButton;
  // Called by OnCustomDrawButton once it has painted the button's face: the
  // system then adds only the image and the caption, as on a button at rest,
  // with no hot or pressed face or edges of its own or of the visual style.
  void FaceDrawn() { FFaceDrawn = true; }

  void Notification(TComponent* component, bool removing) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  friend class TToolButton;
  void InsertButton(TToolButton* button);
  void RemoveButton(TToolButton* button);
  void ButtonChanged(TToolButton* button);
  void UpdateButtonState(TToolButton* button);
  void RebuildButtons();
  void AddNativeButton(int index);
  void ApplyStyle();
  void ApplyImages();
  void UpdateLayout();
  void SyncDown();
  LRESULT CustomDraw(NMTBCUSTOMDRAW* draw);

  std::vector<TToolButton*> FButtons;  // in order on the bar
  bool FFaceDrawn = false;
  int FNextCommandId = 1;
  TImageList* FImages = nullptr;
  bool FShowCaptions = false;
  int FButtonWidth = 23, FButtonHeight = 22;
  bool FFlat = false, FTransparent = false;
  bool FUpdating = false;
  TCanvas FCanvas;
  TColor FDrawTextColor = clNone;
};

}  // namespace pellamy
