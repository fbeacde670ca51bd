// TColor with its constants and ColorToRGB; TGraphicsObject, TFont, TBrush,
// TPen (the drawing tools, each owning its lazily made GDI object); TCanvas
// (drawing on a DC with those tools).
//
// Texts and font names are UTF-8.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "gui/gdi/GdiHandles.h"

namespace pellamy {

class TGraphic;

// ---- Colours ----

// A colour in the system's encoding (red in the low byte, 0x00BBGGRR), or
// 0x80000000 + index for a system colour (COLOR_BTNFACE ...), which is looked
// up when the colour is used.
using TColor = std::int32_t;

constexpr TColor SystemColor(int index) {
  return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index));
}
constexpr TColor RGBToColor(int red, int green, int blue) {
  return static_cast<TColor>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clLtGray = clSilver;
inline constexpr TColor clDkGray = clGray;

inline constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
inline constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
inline constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
inline constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
inline constexpr TColor clMenu = SystemColor(COLOR_MENU);
inline constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
inline constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
inline constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
inline constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
inline constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
inline constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
inline constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
inline constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
inline constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
inline constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
inline constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
inline constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
inline constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
inline constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
inline constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
inline constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
inline constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
inline constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
inline constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);
inline constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
inline constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

// No colour, and "the default colour" of whatever uses it.
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

constexpr bool IsSystemColor(TColor color) {
  return color < 0;
}
// The colour as a COLORREF: system colours looked up with GetSysColor, the
// others with only their low 24 bits.
COLORREF ColorToRGB(TColor color);
// Between colours and the 0x00RRGGBB pixels of a 32-bit DIB.
std::uint32_t ColorToPixel(TColor color);
constexpr TColor PixelToColor(std::uint32_t pixel) {
  return RGBToColor(static_cast<int>(pixel >> 16), static_cast<int>(pixel >> 8), static_cast<int>(pixel));
}

// ---- Drawing tools ----

// What fonts, brushes and pens share: OnChange after every change, and the GDI
// object they own, made when first asked for and freed when a property that
// shapes it changes (after the canvas that has it selected has let go).
class TGraphicsObject {
 public:
  TGraphicsObject(const TGraphicsObject&) = delete;
  TGraphicsObject& operator=(const TGraphicsObject&) = delete;
  virtual ~TGraphicsObject() = default;

  std::function<void()> OnChange;

 protected:
  TGraphicsObject() = default;
  // Frees the GDI object when freeHandle, then tells OnChange.
  void Changed(bool freeHandle = true);
  virtual void FreeHandle() = 0;
  virtual bool HandleAllocated() const = 0;

 private:
  friend class TCanvas;
  // Set by the canvas this object belongs to: selects the DC's own object
  // back before ours is deleted.
  std::function<void()> FDeselect;
};

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;  // fsBold | fsItalic ...

class TFont : public TGraphicsObject {
 public:
  // "MS Sans Serif", 8 points (height -11), clWindowText, regular, default
  // character set.
  TFont();

  const std::string& Name() const { return FName; }
  void SetName(const std::string& name);
  // Pixels: negative for the character height, positive for the cell height,
  // as in LOGFONT.
  int Height() const { return FHeight; }
  void SetHeight(int height);
  // Points at 96 pixels per inch: Height = -MulDiv(Size, 96, 72).
  int Size() const;
  void SetSize(int points);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles style);
  BYTE Charset() const { return FCharset; }
  void SetCharset(BYTE charset);

  HFONT Handle();
  bool HandleAllocated() const override { return static_cast<bool>(FHandle); }
  LOGFONTW LogFont() const;
  // Takes name, height, style and character set from a LOGFONT (as the
  // system's menu or caption font comes).
  void AssignLogFont(const LOGFONTW& font);
  // Takes every property of the source; one OnChange.
  void Assign(const TFont& source);

 protected:
  void FreeHandle() override { FHandle.reset(); }

 private:
  std::string FName = "MS Sans Serif";
  int FHeight = -11;
  TColor FColor = clWindowText;
  TFontStyles FStyle = 0;
  BYTE FCharset = DEFAULT_CHARSET;
  UniqueFont FHandle;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
 public:
  TBrush() = default;

  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle style);

  // With bsClear the system's hollow brush, which is not ours to delete.
  HBRUSH Handle();
  bool HandleAllocated() const override { return static_cast<bool>(FHandle); }
  void Assign(const TBrush& source);

 protected:
  void FreeHandle() override { FHandle.reset(); }

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  UniqueBrush FHandle;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmCopy, pmNot, pmXor, pmNotXor };

class TPen : public TGraphicsObject {
 public:
  TPen() = default;

  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  int Width() const { return FWidth; }
  void SetWidth(int width);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle style);
  // The raster operation lines are drawn with (SetROP2).
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode mode);

  HPEN Handle();
  bool HandleAllocated() const override { return static_cast<bool>(FHandle); }
  void Assign(const TPen& source);

 protected:
  void FreeHandle() override { FHandle.reset(); }

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
  UniquePen FHandle;
};

// ---- TCanvas ----

// Draws on a DC it does not own. Its font, brush and pen are selected into
// the DC when a drawing call needs them, and the DC's own objects are selected
// back when the canvas lets go of the DC (SetHandle, destruction), so the DC
// can outlive the canvas and the tools can be deleted.
class TCanvas {
 public:
  TCanvas();
  explicit TCanvas(HDC dc);
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  virtual ~TCanvas();

  HDC Handle() const { return FHandle; }
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Lets go of the current DC (restoring its objects) and takes another.
  void SetHandle(HDC dc);

  TFont& Font() { return FFont; }
  TBrush& Brush() { return FBrush; }
  TPen& Pen() { return FPen; }

  // The raster operation of CopyRect and of drawing bitmaps (SRCCOPY).
  DWORD CopyMode() const { return FCopyMode; }
  void SetCopyMode(DWORD rop) { FCopyMode = rop; }

  // Fills with the brush; nothing with bsClear.
  void FillRect(const RECT& rect);
  // A one-pixel frame in the brush.
  void FrameRect(const RECT& rect);
  // Outlined with the pen, filled with the brush.
  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const RECT& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
  void Ellipse(int left, int top, int right, int bottom);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  POINT PenPos() const;
  void Polyline(std::span<const POINT> points);
  void Polygon(std::span<const POINT> points);

  // Text in the font, on the brush colour unless the brush is bsClear.
  void TextOut(int x, int y, const std::string& text);
  // Text at x, y clipped to rect, which is first filled with the brush unless
  // it is bsClear.
  void TextRect(const RECT& rect, int x, int y, const std::string& text);
  // Text laid out in rect with DrawText flags (DT_CENTER | DT_VCENTER ...).
  void TextRect(RECT& rect, const std::string& text, UINT format);
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }

  // The graphic at its own size with its top-left corner at x, y.
  void Draw(int x, int y, const TGraphic& graphic);
  // The graphic stretched to rect.
  void StretchDraw(const RECT& rect, const TGraphic& graphic);
  // Copies (stretching if the sizes differ) part of another canvas.
  void CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect);

  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);
  RECT ClipRect() const;

  // Selects the DC's own objects back (before code outside selects into it).
  void Refresh();
  // Called after every drawing call (a bitmap marks itself changed).
  std::function<void()> OnChange;
  void Changed() {
    if (OnChange) OnChange();
  }

 private:
  void RequireFont();
  void RequireBrush();
  void RequirePen();
  void DeselectFont();
  void DeselectBrush();
  void DeselectPen();
  void TextColors();

  HDC FHandle = nullptr;
  TFont FFont;
  TBrush FBrush;
  TPen FPen;
  DWORD FCopyMode = SRCCOPY;
  // What we selected, and what the DC held before.
  HGDIOBJ FSelectedFont = nullptr, FOldFont = nullptr;
  HGDIOBJ FSelectedBrush = nullptr, FOldBrush = nullptr;
  HGDIOBJ FSelectedPen = nullptr, FOldPen = nullptr;
};

// Points a canvas at a DC for a scope and lets go of it when the scope ends,
// also when a painter throws.
class CanvasBinding {
 public:
  CanvasBinding(TCanvas& canvas, HDC dc) : FCanvas(canvas) { FCanvas.SetHandle(dc); }
  ~CanvasBinding() { FCanvas.SetHandle(nullptr); }
  CanvasBinding(const CanvasBinding&) = delete;
  CanvasBinding& operator=(const CanvasBinding&) = delete;

 private:
  TCanvas& FCanvas;
};

}  // namespace pellamy
