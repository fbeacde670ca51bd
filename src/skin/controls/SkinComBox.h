// SkinComBox: TSkinComBox, a combo box drawn from the skin: the SunkEdge
// edge round the box (or a flat shadow frame with the ComboButton element's
// Style 1), the ComboButton state image in the button area with the
// ExtraImages arrow on it, and its drop-down list's scroll bars skinned.
#pragma once

#include <windows.h>

#include "skin/controls/SkinScroll.h"
#include "skin/controls/WinSubClass.h"

namespace pellamy {

class TSkinComBox : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  ~TSkinComBox() override;
  std::string ClassName() const override { return "TSkinComBox"; }
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;
  // 1 normal, 2 pressed, 3 disabled, 4 hot or focused.
  int ImageIndex() const;
  // The button area in window coordinates of a window of that size.
  RECT ButtonArea(const RECT& rect) const;

  TSkinScrollbar* ListScroll = nullptr;  // owned as a component, made on the first drop-down
  DWORD PaintedStyle = 0, PaintedExStyle = 0;

 protected:
  void Notification(TComponent* component, bool removing) override;

 private:
  bool Usable() const;
  // Over the box or any window inside it (the edit of a drop-down combo).
  bool PointerOver() const;
  void SkinList();
  bool FWatching = false;
};

}  // namespace pellamy
