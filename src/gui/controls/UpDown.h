// TUpDown: arrow buttons, alone or with a buddy control.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/controls/Controls.h"

namespace pellamy {

// ------------------------------------------------------------------ TUpDown

enum TUDOrientation { udVertical, udHorizontal };
enum TUDBtnType { btNext, btPrev };
using TUDClickEvent = std::function<void(TComponent* sender, TUDBtnType button)>;
using TUDChangingEvent = std::function<void(TComponent* sender, bool& allowChange)>;

class TUpDown : public TWinControl {
 public:
  explicit TUpDown(TComponent* owner);
  ~TUpDown() override;
  std::string ClassName() const override { return "TUpDown"; }

  int Min() const { return FMin; }
  void SetMin(int value);
  int Max() const { return FMax; }
  void SetMax(int value);
  int Position() const;
  void SetPosition(int value);
  int Increment() const { return FIncrement; }
  void SetIncrement(int value);
  TUDOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TUDOrientation value);
  // Past one end the position goes round to the other.
  bool Wrap() const { return FWrap; }
  void SetWrap(bool value);
  // The buddy whose text shows the position; the arrows sit at its right.
  TWinControl* Associate() const { return FAssociate; }
  void SetAssociate(TWinControl* buddy);
  // Up and Down in the buddy step the position.
  bool ArrowKeys() const { return FArrowKeys; }
  void SetArrowKeys(bool value);
  bool Thousands() const { return FThousands; }
  void SetThousands(bool value);

  // Before a step; clearing allowChange keeps the position.
  TUDChangingEvent OnChanging;
  // After a step, with the arrow that made it.
  std::function<void(TComponent* sender, TUDBtnType button)> OnClick;

  void Notification(TComponent* component, bool removing) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  void ApplyBuddy();
  int FMin = 0, FMax = 100, FPosition = 0, FIncrement = 1;
  TUDOrientation FOrientation = udVertical;
  bool FWrap = false;
  bool FArrowKeys = true;
  bool FThousands = true;
  TWinControl* FAssociate = nullptr;
  int FLastDelta = 0;
  bool FRefused = false;
};

}  // namespace pellamy
