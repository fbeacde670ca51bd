// The skinned buttons with a glyph:
//   TSkinBitButton    a push button with a picture beside its caption
//   TSkinSpeedButton  a windowless tool button, painted on its parent's DC
//                     through the paint message the library sends it
#pragma once

#include "gui/controls/Buttons.h"
#include "skin/controls/WinSubClass.h"
#include "skin/layout/ControlStates.h"

namespace pellamy {

// What a glyph button draws besides the face.
struct TGlyphLayout {
  const TBitmap* Glyph = nullptr;
  int NumGlyphs = 1;
  TButtonLayout Layout = blGlyphLeft;
  int Margin = -1;
  int Spacing = 4;
};

class TSkinBitButton : public TSkinButton {
 public:
  using TSkinButton::TSkinButton;
  std::string ClassName() const override { return "TSkinBitButton"; }

 protected:
  void DrawContent(HDC dc, const RECT& area, int index) override;
  virtual TGlyphLayout GlyphOf() const;
  virtual bool IsDown() const { return false; }
};

class TSkinSpeedButton : public TSkinBitButton {
 public:
  using TSkinBitButton::TSkinBitButton;
  std::string ClassName() const override { return "TSkinSpeedButton"; }

  // The windowless button's own attach: its message hook and the frame.
  void InitSpeedButton(TSkinControlHost* form, TSkinData* skinData, TSpeedButton* button);
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void SkinChanged() override;
  void Restore() override;
  int ImageIndex() const override;

 protected:
  TGlyphLayout GlyphOf() const override;
  bool IsDown() const override;

 private:
  TSpeedButton* Button() const { return static_cast<TSpeedButton*>(Component); }
};

}  // namespace pellamy
