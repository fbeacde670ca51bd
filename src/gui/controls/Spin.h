// TSpinEdit: an edit for a whole number with up and down arrows inside its
// right edge; the arrows and the Up and Down keys step the value.
#pragma once

#include <string>

#include "gui/controls/StdCtrls.h"

namespace pellamy {

class TSpinEdit : public TCustomEdit {
 public:
  explicit TSpinEdit(TComponent* owner);
  std::string ClassName() const override { return "TSpinEdit"; }

  // The number in the edit; text that is not a number counts as MinValue.
  int Value() const;
  void SetValue(int value);
  // The limits hold while MaxValue is above MinValue; both 0 is no limit.
  int MinValue() const { return FMinValue; }
  void SetMinValue(int value);
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int value);
  int Increment() const { return FIncrement; }
  void SetIncrement(int value) { FIncrement = value; }
  // The arrows' window (class msctls_updown32), a child of the edit.
  HWND UpDownHandle() const { return FUpDown; }

 protected:
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;
  void Resize() override;

 private:
  int CheckValue(int value) const;
  void Step(int times);
  void PlaceUpDown();
  // Whether ch may go into the text at the caret.
  bool AcceptsChar(wchar_t ch) const;

  int FMinValue = 0, FMaxValue = 0, FIncrement = 1;
  HWND FUpDown = nullptr;  // destroyed with the edit, its parent
};

}  // namespace pellamy
