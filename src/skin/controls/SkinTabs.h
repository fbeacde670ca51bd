// The skinned tabs:
//   TSkinTab    a system tab control (page and tab controls): heads and the
//               page border from the Tabs element, its scroller skinned too
//   TSkinTab31  the library's tab set, whose heads hang from its top edge
#pragma once

#include "skin/controls/WinSubClass.h"
#include "skin/layout/ControlStates.h"

namespace pellamy {

class TSkinUpDown;

class TSkinTab : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinTab"; }
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;
  void SkinChanged() override;

 private:
  bool Usable() const;
  void SkinScroller();
  int HotTab() const;
  void SetHot(int index);
  TSkinUpDown* FScroller = nullptr;  // owned, as a component
  int FHot = -1;
  bool FTracking = false;
  TBitmap FBuffer;
};

class TSkinTab31 : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinTab31"; }
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;

 private:
  bool Usable() const;
  void SetHot(int index);
  int FHot = -1;
  TBitmap FBuffer;
};

}  // namespace pellamy
