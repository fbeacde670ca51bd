// The skinned bars:
//   TSkinStatusBar  panels from the StatusBarEdges element, or 3-D frames
//   TSkinProgress   the Progress element's track and fill, or its chunks
//   TSkinTrackBar   the thumb image, drawn in the control's custom draw
#pragma once

#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <string>

#include "skin/controls/WinSubClass.h"
#include "skin/layout/ControlStates.h"

namespace pellamy {

// A panel's bevel from its drawing flags: 1 lowered, 2 raised, 3 none.
int StatusPanelBevel(int type);
// A panel's whole text and its bevel.
std::wstring StatusPanelText(HWND bar, int index, int& bevel);

class TSkinStatusBar : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinStatusBar"; }
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;

 private:
  void PaintPanel(HDC dc, const RECT& r, int bevel, const std::wstring& text, bool rightToLeft);
  TBitmap FBuffer;
};

class TSkinProgress : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinProgress"; }
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;

 private:
  bool Usable() const;
  TBitmap FBuffer;
};

class TSkinTrackBar : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinTrackBar"; }
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;

 private:
  // The custom-draw answer for one stage; false leaves it to the control.
  bool CustomDraw(NMCUSTOMDRAW& draw, LRESULT& result);
  const TDataSkinObject* ThumbElement() const;
};

}  // namespace pellamy
