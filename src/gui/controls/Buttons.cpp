#include "gui/controls/Buttons.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

// ------------------------------------------------------------- Layout

TButtonLayoutResult CalcButtonLayout(const RECT& client, SIZE glyph, SIZE text, TButtonLayout layout, int margin,
                                     int spacing) {
  const int width = client.right - client.left, height = client.bottom - client.top;
  const bool across = layout == blGlyphLeft || layout == blGlyphRight;
  POINT g{0, 0}, t{0, 0};
  if (across) {
    g.y = (height - glyph.cy + 1) / 2;
    t.y = (height - text.cy + 1) / 2;
  } else {
    g.x = (width - glyph.cx + 1) / 2;
    t.x = (width - text.cx + 1) / 2;
  }
  if (text.cx == 0 || glyph.cx == 0) spacing = 0;
  const int room = across ? width : height;
  const int glyphSize = across ? glyph.cx : glyph.cy;
  const int textSize = across ? text.cx : text.cy;
  if (margin == -1) {
    if (spacing == -1) {
      margin = (room - glyphSize - textSize) / 3;
      spacing = margin;
    } else {
      margin = (room - (glyphSize + spacing + textSize) + 1) / 2;
    }
  } else if (spacing == -1) {
    spacing = (room - (margin + glyphSize) - textSize) / 2;
  }
  switch (layout) {
    case blGlyphLeft:
      g.x = margin;
      t.x = g.x + glyph.cx + spacing;
      break;
    case blGlyphRight:
      g.x = width - margin - glyph.cx;
      t.x = g.x - spacing - text.cx;
      break;
    case blGlyphTop:
      g.y = margin;
      t.y = g.y + glyph.cy + spacing;
      break;
    case blGlyphBottom:
      g.y = height - margin - glyph.cy;
      t.y = g.y - spacing - text.cy;
      break;
  }
  TButtonLayoutResult result;
  result.GlyphPos = {client.left + g.x, client.top + g.y};
  result.TextRect = {client.left + t.x, client.top + t.y, client.left + t.x + text.cx, client.top + t.y + text.cy};
  return result;
}

void DrawButtonGlyph(HDC dc, int x, int y, const TBitmap& glyph, int numGlyphs, int index, bool embossed) {
  if (glyph.Empty() || numGlyphs < 1) return;
  const int w = glyph.Width() / numGlyphs, h = glyph.Height();
  if (w <= 0 || index < 0 || index >= numGlyphs) return;
  const std::uint32_t transparent = glyph.PixelAt(0, 0);
  // The background under the image, the image's pixels over it, and back.
  TBitmap work(w, h);
  HDC workDc = work.Canvas().Handle();
  BitBlt(workDc, 0, 0, w, h, dc, x, y, SRCCOPY);
  auto pixel = [&](int px, int py) -> std::uint32_t& {
    return reinterpret_cast<std::uint32_t*>(work.ScanLine(py))[px];
  };
  if (!embossed) {
    for (int py = 0; py < h; ++py)
      for (int px = 0; px < w; ++px) {
        const std::uint32_t p = glyph.PixelAt(index * w + px, py);
        if (p != transparent) pixel(px, py) = p;
      }
  } else {
    // The darker pixels make the relief: a highlight below right, the
    // shadow in place.
    std::vector<bool> dark(static_cast<std::size_t>(w) * h);
    for (int py = 0; py < h; ++py)
      for (int px = 0; px < w; ++px) {
        const std::uint32_t p = glyph.PixelAt(index * w + px, py);
        const int luma = (((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
        dark[static_cast<std::size_t>(py) * w + px] = p != transparent && luma < 0xC0;
      }
    const std::uint32_t highlight = ColorToPixel(clBtnHighlight), shadow = ColorToPixel(clBtnShadow);
    for (int py = 0; py < h; ++py)
      for (int px = 0; px < w; ++px)
        if (dark[static_cast<std::size_t>(py) * w + px] && px + 1 < w && py + 1 < h) pixel(px + 1, py + 1) = highlight;
    for (int py = 0; py < h; ++py)
      for (int px = 0; px < w; ++px)
        if (dark[static_cast<std::size_t>(py) * w + px]) pixel(px, py) = shadow;
  }
  BitBlt(dc, x, y, w, h, workDc, 0, 0, SRCCOPY);
}

namespace {

SIZE GlyphSize(const TBitmap& glyph, int numGlyphs) {
  if (glyph.Empty()) return {0, 0};
  return {glyph.Width() / numGlyphs, glyph.Height()};
}

SIZE CaptionSize(HDC dc, const std::wstring& text) {
  if (text.empty()) return {0, 0};
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  return {r.right, r.bottom};
}

// The glyph image and caption of a button in client; returns the caption's
// rectangle.
RECT DrawContent(HDC dc, const RECT& client, TFont& font, const std::string& caption, const TBitmap& glyph,
                 int numGlyphs, int index, bool embossed, TButtonLayout layout, int margin, int spacing, bool enabled) {
  SelectGuard select(dc, font.Handle());
  const std::wstring text = Utf8ToWide(caption);
  const TButtonLayoutResult at =
      CalcButtonLayout(client, GlyphSize(glyph, numGlyphs), CaptionSize(dc, text), layout, margin, spacing);
  DrawButtonGlyph(dc, at.GlyphPos.x, at.GlyphPos.y, glyph, numGlyphs, index, embossed);
  RECT r = at.TextRect;
  if (!text.empty()) {
    SetBkMode(dc, TRANSPARENT);
    if (enabled) {
      SetTextColor(dc, ColorToRGB(font.Color()));
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    } else {
      RECT shifted = r;
      OffsetRect(&shifted, 1, 1);
      SetTextColor(dc, ColorToRGB(clBtnHighlight));
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shifted, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
      SetTextColor(dc, ColorToRGB(clBtnShadow));
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
  }
  return r;
}

// A glyph that is a row of one to four squares tells its number of images.
int GuessNumGlyphs(const TBitmap& glyph, int current) {
  if (glyph.Empty() || glyph.Width() % glyph.Height() != 0) return current;
  const int n = glyph.Width() / glyph.Height();
  return n >= 1 && n <= 4 ? n : current;
}

}  // namespace

// ----------------------------------------------------------------- TBitBtn

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), FGlyph(std::make_unique<TBitmap>()) {
  FGlyph->OnChange = [this] { Invalidate(); };
}

void TBitBtn::CreateParams(TCreateParams& p) {
  TButton::CreateParams(p);
  p.Style = (p.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::SetGlyph(const TBitmap& glyph) {
  *FGlyph = glyph;
  FGlyph->OnChange = [this] { Invalidate(); };
  FNumGlyphs = GuessNumGlyphs(*FGlyph, FNumGlyphs);
  Invalidate();
}

void TBitBtn::SetNumGlyphs(int value) {
  FNumGlyphs = std::clamp(value, 1, 4);
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout value) {
  FLayout = value;
  Invalidate();
}

void TBitBtn::SetMargin(int value) {
  FMargin = std::max(value, -1);
  Invalidate();
}

void TBitBtn::SetSpacing(int value) {
  FSpacing = std::max(value, -1);
  Invalidate();
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& item) {
  const int w = item.rcItem.right - item.rcItem.left, h = item.rcItem.bottom - item.rcItem.top;
  if (w <= 0 || h <= 0) return;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  TBitmap buffer(w, h);
  HDC dc = buffer.Canvas().Handle();
  RECT r{0, 0, w, h};
  {
    UniqueBrush face(CreateSolidBrush(ColorToRGB(Color())));
    FillRect(dc, &r, face.get());
  }
  if (focused) {
    // The button that Enter would press has a dark outline.
    UniqueBrush frame(CreateSolidBrush(ColorToRGB(cl3DDkShadow)));
    FrameRect(dc, &r, frame.get());
    InflateRect(&r, -1, -1);
  }
  if (pressed) {
    UniqueBrush shadow(CreateSolidBrush(ColorToRGB(clBtnShadow)));
    FrameRect(dc, &r, shadow.get());
  } else {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
  }
  RECT content{0, 0, w, h};
  if (pressed) OffsetRect(&content, 1, 1);
  int index = 0;
  bool embossed = false;
  if (disabled) {
    if (FNumGlyphs > 1)
      index = 1;
    else
      embossed = true;
  } else if (pressed && FNumGlyphs > 2) {
    index = 2;
  }
  DrawContent(dc, content, Font(), Text(), *FGlyph, FNumGlyphs, index, embossed, FLayout, FMargin, FSpacing, !disabled);
  if (focused && (item.itemState & ODS_NOFOCUSRECT) == 0) {
    RECT f{4, 4, w - 4, h - 4};
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &f);
  }
  BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, w, h, dc, 0, 0, SRCCOPY);
}

void TBitBtn::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam));
      m.Result = TRUE;
      return;
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button reports a double click instead of its second
      // click; a quick second press is a press.
      m.Msg = WM_LBUTTONDOWN;
      break;
    default:
      break;
  }
  TButton::WndProc(m);
}

void TBitBtn::DefineProperties(TPropertyTable& table) const {
  TButton::DefineProperties(table);
  auto* self = const_cast<TBitBtn*>(this);
  table["NumGlyphs"] =
      IntProp([self] { return self->FNumGlyphs; }, [self](std::int64_t v) { self->SetNumGlyphs(int(v)); });
  table["Layout"] = EnumProp(
      {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}, [self] { return int(self->FLayout); },
      [self](int v) { self->SetLayout(TButtonLayout(v)); });
  table["Margin"] = IntProp([self] { return self->FMargin; }, [self](std::int64_t v) { self->SetMargin(int(v)); });
  table["Spacing"] = IntProp([self] { return self->FSpacing; }, [self](std::int64_t v) { self->SetSpacing(int(v)); });
}

// ------------------------------------------------------------ TSpeedButton

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), FGlyph(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 23, 22);
  FGlyph->OnChange = [this] { Invalidate(); };
}

void TSpeedButton::SetGlyph(const TBitmap& glyph) {
  *FGlyph = glyph;
  FGlyph->OnChange = [this] { Invalidate(); };
  FNumGlyphs = GuessNumGlyphs(*FGlyph, FNumGlyphs);
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int value) {
  FNumGlyphs = std::clamp(value, 1, 4);
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout value) {
  FLayout = value;
  Invalidate();
}

void TSpeedButton::SetMargin(int value) {
  FMargin = std::max(value, -1);
  Invalidate();
}

void TSpeedButton::SetSpacing(int value) {
  FSpacing = std::max(value, -1);
  Invalidate();
}

void TSpeedButton::SetFlat(bool value) {
  FFlat = value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool value) {
  FTransparent = value;
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int value) {
  FGroupIndex = std::max(value, 0);
  if (FGroupIndex == 0) SetDown(false);
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool value) {
  if (FGroupIndex == 0) value = false;
  if (value == FDown) return;
  // The one down button of a group stays down unless all may be up.
  if (FDown && !FAllowAllUp) return;
  FDown = value;
  FState = value ? TState::Exclusive : TState::Up;
  Invalidate();
  if (value) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  FAllowAllUp = value;
  // The group shares the setting.
  if (FGroupIndex == 0 || Parent() == nullptr) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i)
    if (auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
        other != nullptr && other != this && other->FGroupIndex == FGroupIndex)
      other->FAllowAllUp = value;
}

void TSpeedButton::UpdateExclusive() {
  if (FGroupIndex == 0 || !FDown || Parent() == nullptr) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i)
    if (auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
        other != nullptr && other != this && other->FGroupIndex == FGroupIndex && other->FDown) {
      other->FDown = false;
      other->FState = TState::Up;
      other->Invalidate();
    }
}

void TSpeedButton::MouseDown(int button, int, int) {
  if (button != 0 || !Enabled()) return;
  if (!FDown) {
    FState = TState::Pressed;
    Invalidate();
  }
  FDragging = true;
}

void TSpeedButton::MouseMove(int x, int y) {
  if (!FDragging) return;
  TState state = FDown ? TState::Exclusive : TState::Up;
  if (Inside(x, y)) state = FDown ? TState::Exclusive : TState::Pressed;
  if (state != FState) {
    FState = state;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(int button, int x, int y) {
  if (button != 0 || !FDragging) return;
  FDragging = false;
  const bool click = Inside(x, y);
  if (FGroupIndex == 0) {
    FState = TState::Up;
  } else if (click) {
    SetDown(!FDown);
    FState = FDown ? TState::Exclusive : TState::Up;
  } else {
    FState = FDown ? TState::Exclusive : TState::Up;
  }
  Invalidate();
  if (click) Click();
}

void TSpeedButton::WndProc(TMessage& m) {
  TGraphicControl::WndProc(m);
  switch (m.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      // Flat buttons show their border only under the pointer.
      if (FFlat && Enabled()) Invalidate();
      break;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      Invalidate();
      break;
    default:
      break;
  }
}

void TSpeedButton::Paint() {
  TCanvas& canvas = *Canvas();
  HDC dc = canvas.Handle();
  RECT r{0, 0, Width(), Height()};
  const bool sunk = FState != TState::Up;
  if (!FTransparent) {
    UniqueBrush face(CreateSolidBrush(ColorToRGB(Color())));
    FillRect(dc, &r, face.get());
  }
  if (FState == TState::Exclusive && !FTransparent) {
    // A down button has a lighter face than a pressed one.
    RECT inner = r;
    InflateRect(&inner, -1, -1);
    UniqueBrush light(CreateSolidBrush(ColorToRGB(clBtnHighlight)));
    FillRect(dc, &inner, light.get());
  }
  if (!FFlat) {
    DrawEdge(dc, &r, sunk ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  } else if (sunk || (MouseInControl() && Enabled())) {
    DrawEdge(dc, &r, sunk ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
  RECT content{0, 0, Width(), Height()};
  if (sunk) OffsetRect(&content, 1, 1);
  int index = 0;
  bool embossed = false;
  if (!Enabled()) {
    if (FNumGlyphs > 1)
      index = 1;
    else
      embossed = true;
  } else if (FState == TState::Pressed && FNumGlyphs > 2) {
    index = 2;
  } else if (FState == TState::Exclusive && FNumGlyphs > 3) {
    index = 3;
  }
  DrawContent(dc, content, Font(), FText, *FGlyph, FNumGlyphs, index, embossed, FLayout, FMargin, FSpacing, Enabled());
}

void TSpeedButton::DefineProperties(TPropertyTable& table) const {
  TGraphicControl::DefineProperties(table);
  auto* self = const_cast<TSpeedButton*>(this);
  table["Flat"] = BoolProp([self] { return self->FFlat; }, [self](bool v) { self->SetFlat(v); });
  table["Transparent"] = BoolProp([self] { return self->FTransparent; }, [self](bool v) { self->SetTransparent(v); });
  table["Down"] = BoolProp([self] { return self->FDown; }, [self](bool v) { self->SetDown(v); });
  table["AllowAllUp"] = BoolProp([self] { return self->FAllowAllUp; }, [self](bool v) { self->SetAllowAllUp(v); });
  table["GroupIndex"] =
      IntProp([self] { return self->FGroupIndex; }, [self](std::int64_t v) { self->SetGroupIndex(int(v)); });
  table["NumGlyphs"] =
      IntProp([self] { return self->FNumGlyphs; }, [self](std::int64_t v) { self->SetNumGlyphs(int(v)); });
  table["Layout"] = EnumProp(
      {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}, [self] { return int(self->FLayout); },
      [self](int v) { self->SetLayout(TButtonLayout(v)); });
  table["Margin"] = IntProp([self] { return self->FMargin; }, [self](std::int64_t v) { self->SetMargin(int(v)); });
  table["Spacing"] = IntProp([self] { return self->FSpacing; }, [self](std::int64_t v) { self->SetSpacing(int(v)); });
}

}  // namespace pellamy
