// TSkinUpDown: the two arrow buttons of an up-down control (alone, as a tab
// control's scroller, or inside a spin edit) from the UpDown.Horz or
// UpDown.Vert element, or face-coloured buttons with shadow lines.
#pragma once

#include "skin/controls/WinSubClass.h"
#include "skin/layout/ControlStates.h"

namespace pellamy {

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
  void TrackLeave();
  void SetHot(int part);
  void PaintArrow(HDC dc, const RECT& r, int part, int image);
  int FPressedPart = -1;
  int FHotPart = -1;
  bool FTracking = false;
  TBitmap FBuffer;
};

}  // namespace pellamy
