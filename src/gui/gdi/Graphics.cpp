#include "gui/gdi/Graphics.h"

#include <climits>

#include "base/Exceptions.h"
#include "gui/gdi/Bitmap.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

namespace {}  // namespace

// ---- Colours ----

COLORREF ColorToRGB(TColor color) {
  if (IsSystemColor(color)) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color) & 0x00FFFFFF;
}

std::uint32_t ColorToPixel(TColor color) {
  const COLORREF rgb = ColorToRGB(color);
  return (static_cast<std::uint32_t>(GetRValue(rgb)) << 16) | (static_cast<std::uint32_t>(GetGValue(rgb)) << 8) |
         GetBValue(rgb);
}

// ---- TGraphicsObject ----

void TGraphicsObject::Changed(bool freeHandle) {
  if (freeHandle && HandleAllocated()) {
    if (FDeselect) FDeselect();
    FreeHandle();
  }
  if (OnChange) OnChange();
}

// ---- TFont ----

TFont::TFont() = default;

void TFont::SetName(const std::string& name) {
  if (name == FName) return;
  FName = name;
  Changed();
}

void TFont::SetHeight(int height) {
  if (height == FHeight) return;
  FHeight = height;
  Changed();
}

int TFont::Size() const {
  return -MulDiv(FHeight, 72, 96);
}

void TFont::SetSize(int points) {
  SetHeight(-MulDiv(points, 96, 72));
}

void TFont::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed(false);  // the colour is the DC's, not the font object's
}

void TFont::SetStyle(TFontStyles style) {
  if (style == FStyle) return;
  FStyle = style;
  Changed();
}

void TFont::SetCharset(BYTE charset) {
  if (charset == FCharset) return;
  FCharset = charset;
  Changed();
}

LOGFONTW TFont::LogFont() const {
  LOGFONTW font{};
  font.lfHeight = FHeight;
  font.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
  font.lfItalic = (FStyle & fsItalic) ? TRUE : FALSE;
  font.lfUnderline = (FStyle & fsUnderline) ? TRUE : FALSE;
  font.lfStrikeOut = (FStyle & fsStrikeOut) ? TRUE : FALSE;
  font.lfCharSet = FCharset;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH;
  const std::wstring name = Utf8ToWide(FName);
  name.copy(font.lfFaceName, LF_FACESIZE - 1);
  return font;
}

HFONT TFont::Handle() {
  if (!FHandle) {
    const LOGFONTW font = LogFont();
    FHandle.reset(CreateFontIndirectW(&font));
    if (!FHandle) throw Exception("Out of system resources: the font \"" + FName + "\" could not be made");
  }
  return FHandle.get();
}

void TFont::AssignLogFont(const LOGFONTW& font) {
  const std::wstring name(font.lfFaceName, wcsnlen(font.lfFaceName, LF_FACESIZE));
  FName = WideToUtf8(name);
  FHeight = font.lfHeight;
  FStyle = 0;
  if (font.lfWeight >= FW_BOLD) FStyle |= fsBold;
  if (font.lfItalic) FStyle |= fsItalic;
  if (font.lfUnderline) FStyle |= fsUnderline;
  if (font.lfStrikeOut) FStyle |= fsStrikeOut;
  FCharset = font.lfCharSet;
  Changed();
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  const bool same =
      source.FName == FName && source.FHeight == FHeight && source.FStyle == FStyle && source.FCharset == FCharset;
  if (same && source.FColor == FColor) return;
  FName = source.FName;
  FHeight = source.FHeight;
  FColor = source.FColor;
  FStyle = source.FStyle;
  FCharset = source.FCharset;
  Changed(!same);
}

// ---- TBrush ----

void TBrush::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == FStyle) return;
  FStyle = style;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (FStyle == bsClear) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  if (!FHandle) {
    static constexpr int kHatch[] = {0,        0,           HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL,
                                     HS_CROSS, HS_DIAGCROSS};
    const COLORREF rgb = ColorToRGB(FColor);
    FHandle.reset(FStyle == bsSolid ? CreateSolidBrush(rgb) : CreateHatchBrush(kHatch[FStyle], rgb));
    if (!FHandle) throw Exception("Out of system resources: no brush");
  }
  return FHandle.get();
}

void TBrush::Assign(const TBrush& source) {
  if (&source == this || (source.FColor == FColor && source.FStyle == FStyle)) return;
  FColor = source.FColor;
  FStyle = source.FStyle;
  Changed();
}

// ---- TPen ----

void TPen::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed();
}

void TPen::SetWidth(int width) {
  if (width < 0) width = 0;
  if (width == FWidth) return;
  FWidth = width;
  Changed();
}

void TPen::SetStyle(TPenStyle style) {
  if (style == FStyle) return;
  FStyle = style;
  Changed();
}

void TPen::SetMode(TPenMode mode) {
  if (mode == FMode) return;
  FMode = mode;
  Changed(false);  // a DC setting
}

HPEN TPen::Handle() {
  if (!FHandle) {
    static constexpr int kStyle[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    FHandle.reset(CreatePen(kStyle[FStyle], FWidth, ColorToRGB(FColor)));
    if (!FHandle) throw Exception("Out of system resources: no pen");
  }
  return FHandle.get();
}

void TPen::Assign(const TPen& source) {
  if (&source == this) return;
  const bool same = source.FColor == FColor && source.FWidth == FWidth && source.FStyle == FStyle;
  if (same && source.FMode == FMode) return;
  FColor = source.FColor;
  FWidth = source.FWidth;
  FStyle = source.FStyle;
  FMode = source.FMode;
  Changed(!same);
}

// ---- TCanvas ----

TCanvas::TCanvas() {
  FFont.FDeselect = [this] { DeselectFont(); };
  FBrush.FDeselect = [this] { DeselectBrush(); };
  FPen.FDeselect = [this] { DeselectPen(); };
}

TCanvas::TCanvas(HDC dc) : TCanvas() {
  FHandle = dc;
}

TCanvas::~TCanvas() {
  Refresh();
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == FHandle) return;
  Refresh();
  FHandle = dc;
}

void TCanvas::Refresh() {
  DeselectFont();
  DeselectBrush();
  DeselectPen();
}

void TCanvas::DeselectFont() {
  if (FHandle != nullptr && FOldFont != nullptr) SelectObject(FHandle, FOldFont);
  FOldFont = FSelectedFont = nullptr;
}

void TCanvas::DeselectBrush() {
  if (FHandle != nullptr && FOldBrush != nullptr) SelectObject(FHandle, FOldBrush);
  FOldBrush = FSelectedBrush = nullptr;
}

void TCanvas::DeselectPen() {
  if (FHandle != nullptr && FOldPen != nullptr) SelectObject(FHandle, FOldPen);
  FOldPen = FSelectedPen = nullptr;
}

namespace {
void NeedDc(HDC dc) {
  if (dc == nullptr) throw Exception("Canvas does not allow drawing");
}
}  // namespace

void TCanvas::RequireFont() {
  NeedDc(FHandle);
  HGDIOBJ font = FFont.Handle();
  if (font != FSelectedFont) {
    HGDIOBJ old = SelectObject(FHandle, font);
    if (FOldFont == nullptr) FOldFont = old;
    FSelectedFont = font;
  }
  SetTextColor(FHandle, ColorToRGB(FFont.Color()));
}

void TCanvas::RequireBrush() {
  NeedDc(FHandle);
  HGDIOBJ brush = FBrush.Handle();
  if (brush != FSelectedBrush) {
    HGDIOBJ old = SelectObject(FHandle, brush);
    if (FOldBrush == nullptr) FOldBrush = old;
    FSelectedBrush = brush;
  }
  SetBrushOrgEx(FHandle, 0, 0, nullptr);
}

void TCanvas::RequirePen() {
  NeedDc(FHandle);
  HGDIOBJ pen = FPen.Handle();
  if (pen != FSelectedPen) {
    HGDIOBJ old = SelectObject(FHandle, pen);
    if (FOldPen == nullptr) FOldPen = old;
    FSelectedPen = pen;
  }
  static constexpr int kRop[] = {R2_COPYPEN, R2_NOT, R2_XORPEN, R2_NOTXORPEN};
  SetROP2(FHandle, kRop[FPen.Mode()]);
}

void TCanvas::TextColors() {
  RequireFont();
  if (FBrush.Style() == bsClear) {
    SetBkMode(FHandle, TRANSPARENT);
  } else {
    SetBkMode(FHandle, OPAQUE);
    SetBkColor(FHandle, ColorToRGB(FBrush.Color()));
  }
}

void TCanvas::FillRect(const RECT& rect) {
  NeedDc(FHandle);
  ::FillRect(FHandle, &rect, FBrush.Handle());
  Changed();
}

void TCanvas::FrameRect(const RECT& rect) {
  NeedDc(FHandle);
  ::FrameRect(FHandle, &rect, FBrush.Handle());
  Changed();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  RequirePen();
  RequireBrush();
  ::Rectangle(FHandle, left, top, right, bottom);
  Changed();
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  RequirePen();
  RequireBrush();
  ::Ellipse(FHandle, left, top, right, bottom);
  Changed();
}

void TCanvas::MoveTo(int x, int y) {
  NeedDc(FHandle);
  MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  RequirePen();
  ::LineTo(FHandle, x, y);
  Changed();
}

POINT TCanvas::PenPos() const {
  POINT p{0, 0};
  if (FHandle != nullptr) GetCurrentPositionEx(FHandle, &p);
  return p;
}

void TCanvas::Polyline(std::span<const POINT> points) {
  RequirePen();
  if (points.size() > INT_MAX) throw Exception("Too many points for a line");
  ::Polyline(FHandle, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Polygon(std::span<const POINT> points) {
  RequirePen();
  RequireBrush();
  if (points.size() > INT_MAX) throw Exception("Too many points for a polygon");
  ::Polygon(FHandle, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  TextColors();
  const std::wstring w = Utf8ToWide(text);
  ::TextOutW(FHandle, x, y, w.c_str(), static_cast<int>(w.size()));
  Changed();
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text) {
  TextColors();
  const std::wstring w = Utf8ToWide(text);
  const UINT options = ETO_CLIPPED | (FBrush.Style() == bsClear ? 0 : ETO_OPAQUE);
  ExtTextOutW(FHandle, x, y, options, &rect, w.c_str(), static_cast<UINT>(w.size()), nullptr);
  Changed();
}

void TCanvas::TextRect(RECT& rect, const std::string& text, UINT format) {
  TextColors();
  const std::wstring w = Utf8ToWide(text);
  DrawTextW(FHandle, w.c_str(), static_cast<int>(w.size()), &rect, format);
  if (!(format & DT_CALCRECT)) Changed();
}

SIZE TCanvas::TextExtent(const std::string& text) {
  RequireFont();
  const std::wstring w = Utf8ToWide(text);
  SIZE size{0, 0};
  GetTextExtentPoint32W(FHandle, w.c_str(), static_cast<int>(w.size()), &size);
  return size;
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic) {
  if (graphic.Empty()) return;
  StretchDraw(RECT{x, y, x + graphic.Width(), y + graphic.Height()}, graphic);
}

void TCanvas::StretchDraw(const RECT& rect, const TGraphic& graphic) {
  NeedDc(FHandle);
  if (graphic.Empty()) return;
  graphic.Draw(*this, rect);
  Changed();
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect) {
  NeedDc(FHandle);
  NeedDc(source.Handle());
  const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  const int sw = sourceRect.right - sourceRect.left, sh = sourceRect.bottom - sourceRect.top;
  if (dw == sw && dh == sh) {
    BitBlt(FHandle, dest.left, dest.top, dw, dh, source.Handle(), sourceRect.left, sourceRect.top, FCopyMode);
  } else {
    const int oldMode = SetStretchBltMode(FHandle, COLORONCOLOR);
    StretchBlt(FHandle, dest.left, dest.top, dw, dh, source.Handle(), sourceRect.left, sourceRect.top, sw, sh,
               FCopyMode);
    SetStretchBltMode(FHandle, oldMode);
  }
  Changed();
}

TColor TCanvas::Pixel(int x, int y) const {
  NeedDc(FHandle);
  const COLORREF rgb = GetPixel(FHandle, x, y);
  return rgb == CLR_INVALID ? clNone : static_cast<TColor>(rgb & 0x00FFFFFF);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  NeedDc(FHandle);
  ::SetPixel(FHandle, x, y, ColorToRGB(color));
  Changed();
}

RECT TCanvas::ClipRect() const {
  RECT r{0, 0, 0, 0};
  if (FHandle != nullptr) GetClipBox(FHandle, &r);
  return r;
}

}  // namespace pellamy
