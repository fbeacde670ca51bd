// TBitBtn (a push button the library draws, with a picture beside its
// caption) and TSpeedButton (a windowless tool button that can stay down,
// alone or as one of a group). Both take a glyph of one to four images side
// by side: up, disabled, clicked and down; the colour of the glyph's top-left
// pixel is left out when they are drawn.
#pragma once

#include <memory>
#include <string>

#include "gui/controls/StdCtrls.h"
#include "gui/gdi/Bitmap.h"

namespace pellamy {

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// Where a button's glyph and caption go in its rectangle. Margin -1 centres
// the pair; Spacing -1 spreads the free room evenly.
struct TButtonLayoutResult {
  POINT GlyphPos;
  RECT TextRect;
};
TButtonLayoutResult CalcButtonLayout(const RECT& client, SIZE glyph, SIZE text, TButtonLayout layout, int margin,
                                     int spacing);
// Draws image index of a glyph holding numGlyphs images at x, y on dc,
// leaving out the top-left pixel's colour; embossed draws the image as a
// grayed relief (for a disabled button without its own image).
void DrawButtonGlyph(HDC dc, int x, int y, const TBitmap& glyph, int numGlyphs, int index, bool embossed);

class TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* owner);
  std::string ClassName() const override { return "TBitBtn"; }

  TBitmap& Glyph() { return *FGlyph; }
  // Also takes the number of images from a glyph that is a row of squares.
  void SetGlyph(const TBitmap& glyph);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  int Margin() const { return FMargin; }
  void SetMargin(int value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;
  void TextChanged() override { Invalidate(); }

 private:
  void DrawItem(const DRAWITEMSTRUCT& item);

  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
};

class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* owner);
  std::string ClassName() const override { return "TSpeedButton"; }

  TBitmap& Glyph() { return *FGlyph; }
  void SetGlyph(const TBitmap& glyph);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  int Margin() const { return FMargin; }
  void SetMargin(int value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value);
  // Without a border until the pointer is over it.
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  // The parent's background shows around the glyph.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  // Buttons of one parent with the same non-zero index form a group in
  // which at most one is down.
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  // Only a grouped button stays down.
  bool Down() const { return FDown; }
  void SetDown(bool value);
  // The down button of a group comes up again when clicked.
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  // Held down by the mouse just now.
  bool Pressed() const { return FState == TState::Pressed; }

 protected:
  void Paint() override;
  void WndProc(TMessage& message) override;
  void MouseDown(int button, int x, int y) override;
  void MouseMove(int x, int y) override;
  void MouseUp(int button, int x, int y) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  enum class TState { Up, Pressed, Exclusive };
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }
  // Puts the other buttons of the group up.
  void UpdateExclusive();

  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  bool FFlat = false;
  bool FTransparent = false;
  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FDragging = false;
  TState FState = TState::Up;
};

}  // namespace pellamy
