// TSkinUpDown: the two arrow buttons of an up-down control (alone, as a tab
// control's scroller, or inside a spin edit) from the UpDown.Horz or
// UpDown.Vert element, or face-coloured buttons with shadow lines.
#pragma once

#include "skin/controls/WinSubClass.h"

namespace pellamy {

// Which half of an up-down of size w x h a point is in: 0 the first (up,
// or left), 1 the second, -1 outside.
int UpDownPart(int w, int h, bool horizontal, POINT p);
// The state image for one arrow: 1 normal, 2 pressed, 3 disabled, 4 hot,
// counted from 1 for the first arrow and from 5 for the second.
int UpDownImage(int part, bool enabled, int pressedPart, int hotPart);

class TSkinUpDown : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinUpDown"; }
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;

  // Part of a spin edit, whose edit owns this object.
  bool InSpinEdit = false;

 private:
  bool Horizontal() const;
  void SetHot(int part);
  void PaintArrow(HDC dc, const RECT& r, int part, int image);
  int FPressedPart = -1;
  int FHotPart = -1;
  bool FTracking = false;
  TBitmap FBuffer;
};

}  // namespace pellamy
