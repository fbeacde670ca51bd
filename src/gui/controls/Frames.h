// TScrollingWinControl (a container that scrolls its children when they
// reach beyond its client area), TScrollBox (the same with a sunken border)
// and TCustomFrame/TFrame (a borderless container of controls that a program
// derives from and fills in its constructor, to embed as one control).
#pragma once

#include <string>

#include "gui/controls/Controls.h"

namespace pellamy {

class TScrollingWinControl : public TWinControl {
 public:
  explicit TScrollingWinControl(TComponent* owner);
  std::string ClassName() const override { return "TScrollingWinControl"; }

  // How far the view has moved right and down, in pixels.
  int HorzPosition() const { return FHorzPos; }
  int VertPosition() const { return FVertPos; }
  void ScrollTo(int x, int y);
  // The extent of the children from the unscrolled origin.
  SIZE ContentSize() const;
  // Pixels an arrow of the bars (and a wheel line) moves.
  int Increment() const { return FIncrement; }
  void SetIncrement(int value) { FIncrement = value > 0 ? value : 1; }
  // Scrolls the least distance that shows all of control.
  void ScrollInView(TControl* control);
  // Shows or hides the bars for the children's extent; runs by itself when
  // children come, go, move or the control is resized.
  void UpdateScrollBars();

 protected:
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;

 private:
  void Scroll(int bar, int code, int thumb);
  // Moves the children by the change of the positions.
  void MoveChildren(int dx, int dy);

  int FHorzPos = 0, FVertPos = 0;
  int FIncrement = 8;
  int FWheelRest = 0;  // wheel movement short of a whole notch
  bool FUpdating = false;
};

class TScrollBox : public TScrollingWinControl {
 public:
  explicit TScrollBox(TComponent* owner);
  std::string ClassName() const override { return "TScrollBox"; }
  // bsNone or bsSingle (a sunken client edge).
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle style);

 protected:
  void CreateParams(TCreateParams& params) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  TFormBorderStyle FBorderStyle = bsSingle;
};

class TCustomFrame : public TScrollingWinControl {
 public:
  explicit TCustomFrame(TComponent* owner);
  std::string ClassName() const override { return "TCustomFrame"; }
};

class TFrame : public TCustomFrame {
 public:
  explicit TFrame(TComponent* owner) : TCustomFrame(owner) {}
  std::string ClassName() const override { return "TFrame"; }
};

}  // namespace pellamy
