// The skin drawing routines on device contexts: state images of an element's
// image strip fitted to a target rectangle (DrawSkinFrame, BuildNineGrid,
// DrawNineGrid, DrawNineGridBorder, DrawThreePart, TileBitmapRect), magenta
// transparency (TransparentBlit), window regions (RegionFromBitmap), the four
// bitmap transforms, DrawTextWide and SetEnumPropertyByName. Free functions
// without state; the pixel rules they follow are in SkinPixels.
//
// Margins are a RECT of (LeftWidth, TopHeight, RightWidth, BottomHeight).
// count is the element's FrameCount, index the state image counted from 1.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/Component.h"
#include "gui/gdi/Bitmap.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/Graphics.h"

namespace pellamy {

// Whether the platform is of the NT family (the masked copy and the wide
// text interface are used there).
bool SkinIsNtPlatform();

void DrawSkinFrame(HDC dc, const RECT& rect, TBitmap& image, bool transparent, int count, int index);

// A new bitmap of rect's size, owned by the caller.
std::unique_ptr<TBitmap> BuildNineGrid(const RECT& rect, TBitmap& image, const RECT& margins, bool vertical,
                                       bool tileMiddle, int count, int index);
void DrawNineGrid(HDC dc, const RECT& rect, TBitmap& image, bool vertical, bool tileMiddle, bool transparent, int count,
                  int index, const RECT& margins);
// The eight margin pieces only, stretched straight onto dc.
void DrawNineGridBorder(HDC dc, const RECT& rect, TBitmap& image, bool vertical, int count, int index,
                        const RECT& margins);
// Left cap, middle repeated at its own width, right cap (left and right of
// margins used); heights stretched to rect's.
void DrawThreePart(TCanvas& canvas, const RECT& rect, TBitmap& image, bool vertical, bool transparent, int count,
                   int index, const RECT& margins);
// Whole tiles of source (a part of image) from rect's top-left corner; the
// last ones may run past rect.
void TileBitmapRect(TCanvas& canvas, const RECT& rect, TBitmap& image, const RECT& source);

// Copies bitmap at its own size to rect's top-left corner, leaving pixels of
// colour unpainted. ntPlatform chooses the masked copy; otherwise three
// raster operations (XOR, AND with the mask, XOR).
void TransparentBlit(HDC dc, const RECT& rect, TBitmap& bitmap, TColor colour, bool ntPlatform);
void TransparentBlit(HDC dc, const RECT& rect, TBitmap& bitmap, TColor colour);

// The region of the pixels that are not of colour (within the tolerances,
// upwards), moved by x, y; an empty region when every pixel is of colour.
UniqueRgn RegionFromBitmap(const TBitmap& bitmap, int x, int y, int blueTolerance, int greenTolerance, int redTolerance,
                           TColor colour);
// The same from pixels, without a device bitmap.
UniqueRgn RegionFromPixels(const TPixelImage& pixels, int x, int y, int blueTolerance, int greenTolerance,
                           int redTolerance, TColor colour);

// In place; the pixel format is kept.
void MirrorBitmap(TBitmap& bitmap);
void FlipBitmap(TBitmap& bitmap);
void RotateBitmapLeft(TBitmap& bitmap);
void RotateBitmapRight(TBitmap& bitmap);

// DrawText through the wide interface on the NT family, else through the
// 8-bit one in the system code page; returns what the system returns.
int DrawTextWide(HDC dc, const std::wstring& text, RECT& rect, UINT format);
int DrawTextWide(HDC dc, const std::wstring& text, RECT& rect, UINT format, bool ntPlatform);

// Sets a published property of an enumerated or Boolean type by its value's
// name; nothing for a null component, an unknown property or a value the
// property does not take.
void SetEnumPropertyByName(TComponent* component, const std::string& property, const std::string& value);

}  // namespace pellamy
