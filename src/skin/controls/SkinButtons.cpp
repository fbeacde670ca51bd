#include "skin/controls/SkinButtons.h"

#include <algorithm>

#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/WideText.h"
#include "skin/draw/SkinDraw.h"

namespace pellamy {

// ---------------------------------------------------------- TSkinBitButton

TGlyphLayout TSkinBitButton::GlyphOf() const {
  TGlyphLayout g;
  if (auto* button = dynamic_cast<TBitBtn*>(Control)) {
    g.Glyph = &button->Glyph();
    g.NumGlyphs = std::max(1, button->NumGlyphs());
    g.Layout = button->Layout();
    g.Margin = button->Margin();
    g.Spacing = button->Spacing();
  }
  return g;
}

void TSkinBitButton::DrawContent(HDC dc, const RECT& area, int index) {
  const TGlyphLayout g = GlyphOf();
  if (g.Glyph == nullptr || g.Glyph->Empty()) {
    TSkinButton::DrawContent(dc, area, index);
    return;
  }
  const std::wstring text = Utf8ToWide(Caption);
  SIZE textSize{0, 0};
  if (!text.empty()) {
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    textSize = {r.right, r.bottom};
  }
  const SIZE glyphSize{g.Glyph->Width() / g.NumGlyphs, g.Glyph->Height()};
  RECT client = area;
  // A pressed face looks pushed in: its content moves with it.
  if (index == 2) OffsetRect(&client, 1, 1);
  const TButtonLayoutResult at = CalcButtonLayout(client, glyphSize, textSize, g.Layout, g.Margin, g.Spacing);
  bool embossed = false;
  const int image = GlyphImageFor(index, g.NumGlyphs, IsDown(), embossed);
  DrawButtonGlyph(dc, at.GlyphPos.x, at.GlyphPos.y, *g.Glyph, g.NumGlyphs, image, embossed);
  if (!text.empty()) {
    RECT r = at.TextRect;
    DrawTextWide(dc, text, r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  }
}

// -------------------------------------------------------- TSkinSpeedButton

void TSkinSpeedButton::InitSpeedButton(TSkinControlHost* form, TSkinData* skinData, TSpeedButton* button) {
  if (Initialized) return;
  SkinData = skinData;
  Form = form;
  Component = button;
  FreeNotification(button);
  HookControl(button);
  form->AddSkinControl(this);
  Enabled = button->Enabled();
  Caption = button->Caption();
  Initialized = true;
  State = scAttached;
  button->Invalidate();
}

TGlyphLayout TSkinSpeedButton::GlyphOf() const {
  TGlyphLayout g;
  if (TSpeedButton* button = Button()) {
    g.Glyph = &button->Glyph();
    g.NumGlyphs = std::max(1, button->NumGlyphs());
    g.Layout = button->Layout();
    g.Margin = button->Margin();
    g.Spacing = button->Spacing();
  }
  return g;
}

bool TSkinSpeedButton::IsDown() const {
  return Button() != nullptr && Button()->Down();
}

int TSkinSpeedButton::ImageIndex() const {
  const TSpeedButton* button = Button();
  if (button == nullptr) return 1;
  if (!button->Enabled()) return 3;
  if (button->Pressed() || button->Down() || (MouseFlags & mfPressed) != 0) return 2;
  if (button->MouseInControl() || (MouseFlags & mfHot) != 0) return 4;
  return 1;
}

bool TSkinSpeedButton::BeforeMessage(TMessage& m, const TWndMethod&) {
  switch (m.Msg) {
    case WM_PAINT: {
      TSpeedButton* button = Button();
      if (button == nullptr || !Usable() || m.WParam == 0) break;
      Enabled = button->Enabled();
      Caption = button->Caption();
      const int index = ImageIndex();
      // A flat button shows its face only while it is used.
      const bool face = !button->Flat() || index == 2 || index == 4;
      PaintButton(reinterpret_cast<HDC>(m.WParam), {0, 0, button->Width(), button->Height()}, button->Font().Handle(),
                  face);
      m.Result = 1;
      return false;
    }
    case CM_CONTROLGOING:
      UnhookControl();
      State = scDestroyed;
      return true;
    default:
      break;
  }
  return true;
}

void TSkinSpeedButton::AfterMessage(TMessage& m) {
  TSpeedButton* button = Button();
  if (button == nullptr) return;
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MouseFlags |= mfPressed;
      button->Invalidate();
      break;
    case WM_LBUTTONUP:
      MouseFlags &= ~mfPressed;
      button->Invalidate();
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (m.WParam == VK_SPACE) {
        if (m.Msg == WM_KEYDOWN)
          MouseFlags |= mfPressed;
        else
          MouseFlags &= ~mfPressed;
        button->Invalidate();
      }
      break;
    case CM_MOUSEENTER:
      if (button->Enabled()) MouseFlags |= mfHot;
      button->Invalidate();
      break;
    case CM_MOUSELEAVE:
      MouseFlags &= ~(mfHot | mfPressed);
      button->Invalidate();
      break;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
      button->Invalidate();
      break;
    default:
      break;
  }
}

void TSkinSpeedButton::SkinChanged() {
  if (Button() != nullptr) Button()->Invalidate();
}

void TSkinSpeedButton::Restore() {
  if (Button() != nullptr) Button()->Invalidate();
}

}  // namespace pellamy
