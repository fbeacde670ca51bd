// WinSubClass: the skinned controls.
//   TSkinControlHost  what a skinned control needs of the frame that owns it
//   TSkinControl      sits beside one child control: takes its messages
//                     (through the control's hook, or by subclassing a plain
//                     window), lets it work, and paints it from the skin
//   TSkinButton       push buttons: the press never reaches the button, the
//                     click comes on release while still pressed
//   TSkinCheckBox, TSkinRadioButton  the glyph from the Buttons element
//   TSkinGroupBox     a rounded frame and the caption on the face colour
//   TSkinBox          recolours a panel while skinned
//   TSkinEdit         a one-pixel shadow frame with a white inner frame
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/Component.h"
#include "base/Messages.h"
#include "gui/controls/Controls.h"
#include "gui/gdi/Bitmap.h"
#include "skin/model/WinSkinData.h"

namespace pellamy {

class TSkinControl;
class TSkinButton;

class TSkinControlHost {
 public:
  virtual ~TSkinControlHost() = default;
  // True when it was there already.
  virtual bool AddSkinControl(TSkinControl* control) = 0;
  virtual void RemoveSkinControl(TSkinControl* control) = 0;
  virtual bool IsPlainWindow() const = 0;
  // The push button under the mouse in a plain dialog, one at a time.
  TSkinButton* DialogHotButton = nullptr;
};

enum TSkinControlState : int { scCreated = 0, scAttached = 1, scRestored = 2, scDestroyed = 6 };
enum TSkinMouseFlag : unsigned { mfHot = 1, mfPressed = 2 };

class TSkinControl : public TComponent {
 public:
  // Owned by the frame: a control's own destructor runs before its owned
  // components go, so a layer owned by it could not come off safely.
  explicit TSkinControl(TComponent* owner);
  ~TSkinControl() override;
  std::string ClassName() const override { return "TSkinControl"; }

  virtual void InitControl(TSkinControlHost* form, TSkinData* skinData, bool recolor, TWinControl* control);
  virtual void InitWindow(HWND handle, TSkinData* skinData, TSkinControlHost* form);
  virtual void Restore();
  virtual void SkinChanged();
  // False when the object handled the message completely.
  virtual bool BeforeMessage(TMessage& message, const TWndMethod& passOn);
  virtual void AfterMessage(TMessage& message);
  void PaintWindow(HDC dc = nullptr);
  virtual void Paint(HDC dc, const RECT& rect);
  void Refresh();

  unsigned MouseFlags = 0;
  bool Enabled = true;
  bool Focused = false;
  std::string Caption;
  TSkinData* SkinData = nullptr;
  HWND Handle = nullptr;
  TWinControl* Control = nullptr;
  // A windowless control (speed buttons), which has no Handle.
  TControl* Component = nullptr;
  RECT ScreenRect{};
  bool Recolor = false;
  TColor SavedColor = 0;
  bool Initialized = false;
  int State = scCreated;
  TSkinControlHost* Form = nullptr;

  LRESULT WindowMessage(UINT msg, WPARAM wparam, LPARAM lparam);

 protected:
  void Notification(TComponent* component, bool removing) override;
  void Dispatch(TMessage& message, const TWndMethod& passOn);
  // Takes the control over without hooking it: colour, frame, state.
  void Adopt(TSkinControlHost* form, TSkinData* skinData, bool recolor, TWinControl* control);
  // Painted between begin and end paint; the control does not see it.
  void OwnPaint(TMessage& message);
  // The paint and erase messages answered here, for a class that draws the
  // whole control itself; false for any other message.
  bool TakeOverPaint(TMessage& message);
  // An off-screen bitmap of w x h (made again only when the size changes)
  // and its DC.
  static HDC SizedBuffer(TBitmap& buffer, int w, int h);
  void FillFace(HDC dc, const RECT& rect) const;
  void RefreshState();
  // The control hook over a windowed or windowless control.
  void HookControl(TControl* control);
  void UnhookControl();
  // The control's window was made anew: the skin goes on the new one.
  virtual void Reattach();

 private:
  // The new window of the library control skinned by its handle.
  void FollowRemadeWindow();

  bool FHooked = false;
  bool FSubclassed = false;
  // The library control whose window InitWindow took, watched for a new one.
  TWinControl* FRemade = nullptr;
};

class TSkinButton : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinButton"; }
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;
  void MouseLeave();
  // 1 normal, 2 pressed, 3 disabled, 4 hot or focused.
  virtual int ImageIndex() const;

 protected:
  bool Usable() const;
  // The face image, then DrawContent, composed off-screen and copied once.
  void PaintButton(HDC dc, const RECT& rect, HFONT font, bool face);
  // The caption (and a glyph, in the classes that have one) on the face.
  virtual void DrawContent(HDC dc, const RECT& area, int index);
  TColor TextColour(int index) const;

 private:
  void Click();
  TBitmap FBuffer;
};

class TSkinCheckBox : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinCheckBox"; }
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;
  // The glyph's state image: 1 unchecked, 2 checked, 4 indeterminate (check
  // boxes), each + 2 when disabled.
  int GlyphIndex() const;

 protected:
  virtual bool IsRadio() const { return false; }
};

class TSkinRadioButton : public TSkinCheckBox {
 public:
  using TSkinCheckBox::TSkinCheckBox;
  std::string ClassName() const override { return "TSkinRadioButton"; }

 protected:
  bool IsRadio() const override { return true; }
};

class TSkinGroupBox : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinGroupBox"; }
  void Paint(HDC dc, const RECT& rect) override;
};

class TSkinBox : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinBox"; }
  // Recolours only: no message hook.
  void InitControl(TSkinControlHost* form, TSkinData* skinData, bool recolor, TWinControl* control) override;
  void Restore() override;
};

class TSkinUpDown;

class TSkinEdit : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinEdit"; }
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;
  void SkinChanged() override;

 private:
  // The arrows inside a spin edit, skinned with it.
  void SkinSpinButton();
  TSkinUpDown* FUpDown = nullptr;  // owned, as a component
};

}  // namespace pellamy
