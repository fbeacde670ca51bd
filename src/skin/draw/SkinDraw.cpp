#include "skin/draw/SkinDraw.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/Exceptions.h"
#include "skin/pixels/SkinPixels.h"

namespace pellamy {

namespace {

constexpr DWORD kDestinationCopy = 0x00AA0029;

TSkinRect ToSkinRect(const RECT& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

bool Inverted(const RECT& rect) {
  return rect.right < rect.left || rect.bottom < rect.top;
}

// One piece, stretched only when the sizes differ. Pieces without area (a
// middle squeezed out by its margins) are skipped rather than mirrored.
void CopyPiece(HDC target, int dx, int dy, const TSkinPiece& piece, HDC source) {
  const TSkinRect& s = piece.Source;
  const TSkinRect& d = piece.Dest;
  if (s.Width() <= 0 || s.Height() <= 0 || d.Width() <= 0 || d.Height() <= 0) return;
  if (s.Width() == d.Width() && s.Height() == d.Height())
    BitBlt(target, d.Left + dx, d.Top + dy, d.Width(), d.Height(), source, s.Left, s.Top, SRCCOPY);
  else
    StretchBlt(target, d.Left + dx, d.Top + dy, d.Width(), d.Height(), source, s.Left, s.Top, s.Width(), s.Height(),
               SRCCOPY);
}

void CopyOpaque(HDC dc, const RECT& rect, TBitmap& bitmap) {
  BitBlt(dc, rect.left, rect.top, bitmap.Width(), bitmap.Height(), bitmap.Canvas().Handle(), 0, 0, SRCCOPY);
}

TSkinRect StateOf(const TBitmap& image, bool vertical, int count, int index) {
  return StateImageRect(image.Width(), image.Height(), vertical, count, index);
}

}  // namespace

bool SkinIsNtPlatform() {
  return (GetVersion() & 0x80000000u) == 0;
}

void DrawSkinFrame(HDC dc, const RECT& rect, TBitmap& image, bool transparent, int count, int index) {
  if (Inverted(rect) || image.Empty()) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w == 0 || h == 0) return;
  TBitmap frame(w, h);
  // The stretch keeps the default mode of the new bitmap's DC.
  const TSkinRect state = StateOf(image, false, count, index);
  StretchBlt(frame.Canvas().Handle(), 0, 0, w, h, image.Canvas().Handle(), state.Left, state.Top, state.Width(),
             state.Height(), SRCCOPY);
  if (transparent)
    TransparentBlit(dc, rect, frame, static_cast<TColor>(kSkinTransparentColor));
  else
    CopyOpaque(dc, rect, frame);
}

std::unique_ptr<TBitmap> BuildNineGrid(const RECT& rect, TBitmap& image, const RECT& margins, bool vertical,
                                       bool tileMiddle, int count, int index) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  auto out = std::make_unique<TBitmap>(w > 0 ? w : 0, h > 0 ? h : 0);
  if (w <= 0 || h <= 0 || image.Empty()) return out;
  HDC target = out->Canvas().Handle();
  SetStretchBltMode(target, COLORONCOLOR);
  HDC source = image.Canvas().Handle();
  const TSkinRect state = StateOf(image, vertical, count, index);
  for (const TSkinPiece& piece : NineGridPieces(w, h, state, ToSkinRect(margins), true, tileMiddle)) {
    if (piece.Tiled) {
      const TSkinRect& s = piece.Source;
      const TSkinRect& d = piece.Dest;
      TileBitmapRect(out->Canvas(), RECT{d.Left, d.Top, d.Right, d.Bottom}, image,
                     RECT{s.Left, s.Top, s.Right, s.Bottom});
    } else {
      CopyPiece(target, 0, 0, piece, source);
    }
  }
  return out;
}

void DrawNineGrid(HDC dc, const RECT& rect, TBitmap& image, bool vertical, bool tileMiddle, bool transparent, int count,
                  int index, const RECT& margins) {
  if (Inverted(rect)) return;
  std::unique_ptr<TBitmap> grid = BuildNineGrid(rect, image, margins, vertical, tileMiddle, count, index);
  if (grid->Empty()) return;
  if (transparent)
    TransparentBlit(dc, rect, *grid, static_cast<TColor>(kSkinTransparentColor));
  else
    CopyOpaque(dc, rect, *grid);
}

void DrawNineGridBorder(HDC dc, const RECT& rect, TBitmap& image, bool vertical, int count, int index,
                        const RECT& margins) {
  if (image.Empty()) return;
  SetStretchBltMode(dc, COLORONCOLOR);
  HDC source = image.Canvas().Handle();
  const TSkinRect state = StateOf(image, vertical, count, index);
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  for (const TSkinPiece& piece : NineGridPieces(w, h, state, ToSkinRect(margins), false, false))
    CopyPiece(dc, rect.left, rect.top, piece, source);
}

void DrawThreePart(TCanvas& canvas, const RECT& rect, TBitmap& image, bool vertical, bool transparent, int count,
                   int index, const RECT& margins) {
  if (Inverted(rect) || image.Empty()) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w == 0 || h == 0) return;
  TBitmap bar(w, h);
  HDC target = bar.Canvas().Handle();
  SetStretchBltMode(target, COLORONCOLOR);
  HDC source = image.Canvas().Handle();
  const TSkinRect state = StateOf(image, vertical, count, index);
  for (const TSkinPiece& piece : ThreePartPieces(w, h, state, margins.left, margins.right))
    CopyPiece(target, 0, 0, piece, source);
  if (transparent)
    TransparentBlit(canvas.Handle(), rect, bar, static_cast<TColor>(kSkinTransparentColor));
  else
    CopyOpaque(canvas.Handle(), rect, bar);
  canvas.Changed();
}

void TileBitmapRect(TCanvas& canvas, const RECT& rect, TBitmap& image, const RECT& source) {
  const int sw = source.right - source.left, sh = source.bottom - source.top;
  if (sw <= 0 || sh <= 0 || image.Empty()) return;
  TBitmap tile(sw, sh);
  HDC tileDc = tile.Canvas().Handle();
  BitBlt(tileDc, 0, 0, sw, sh, image.Canvas().Handle(), source.left, source.top, SRCCOPY);
  for (const TSkinRect& at : TileOrigins(ToSkinRect(rect), sw, sh))
    BitBlt(canvas.Handle(), at.Left, at.Top, sw, sh, tileDc, 0, 0, SRCCOPY);
  canvas.Changed();
}

void TransparentBlit(HDC dc, const RECT& rect, TBitmap& bitmap, TColor colour, bool ntPlatform) {
  if (Inverted(rect) || bitmap.Empty()) return;
  const int w = bitmap.Width(), h = bitmap.Height();
  // The mask is made from the pixels, so it does not depend on how the
  // system turns colour into monochrome.
  const std::vector<std::uint8_t> bits = MonoMaskRows(bitmap.ToPixels(), ColorToPixel(colour));
  UniqueBitmap mask(CreateBitmap(w, h, 1, 1, bits.data()));
  if (!mask) return;
  HDC source = bitmap.Canvas().Handle();
  if (ntPlatform) {
    // White in the mask keeps the destination, black copies the source.
    MaskBlt(dc, rect.left, rect.top, w, h, source, 0, 0, mask.get(), 0, 0, MAKEROP4(kDestinationCopy, SRCCOPY));
    return;
  }
  UniqueMemDc maskDc = UniqueMemDc::CompatibleWith(dc);
  SelectGuard selected(maskDc.get(), mask.get());
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, rect.left, rect.top, w, h, source, 0, 0, SRCINVERT);
  BitBlt(dc, rect.left, rect.top, w, h, maskDc.get(), 0, 0, SRCAND);
  BitBlt(dc, rect.left, rect.top, w, h, source, 0, 0, SRCINVERT);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
}

void TransparentBlit(HDC dc, const RECT& rect, TBitmap& bitmap, TColor colour) {
  TransparentBlit(dc, rect, bitmap, colour, SkinIsNtPlatform());
}

UniqueRgn RegionFromBitmap(const TBitmap& bitmap, int x, int y, int blueTolerance, int greenTolerance, int redTolerance,
                           TColor colour) {
  return RegionFromPixels(bitmap.Empty() ? TPixelImage{} : bitmap.ToPixels(), x, y, blueTolerance, greenTolerance,
                          redTolerance, colour);
}

UniqueRgn RegionFromPixels(const TPixelImage& pixels, int x, int y, int blueTolerance, int greenTolerance,
                           int redTolerance, TColor colour) {
  UniqueRgn result;
  for (const std::vector<TSkinRect>& batch : OpaqueRunBatches(pixels, x, y, blueTolerance, greenTolerance, redTolerance,
                                                              static_cast<std::uint32_t>(ColorToRGB(colour)))) {
    const DWORD n = static_cast<DWORD>(batch.size());
    std::vector<std::byte> data(sizeof(RGNDATAHEADER) + n * sizeof(RECT));
    RGNDATAHEADER header{};
    header.dwSize = sizeof(RGNDATAHEADER);
    header.iType = RDH_RECTANGLES;
    header.nCount = n;
    header.nRgnSize = n * sizeof(RECT);
    header.rcBound = RECT{batch[0].Left, batch[0].Top, batch[0].Right, batch[0].Bottom};
    std::vector<RECT> rects;
    rects.reserve(batch.size());
    for (const TSkinRect& r : batch) {
      rects.push_back(RECT{r.Left, r.Top, r.Right, r.Bottom});
      header.rcBound.left = std::min<LONG>(header.rcBound.left, r.Left);
      header.rcBound.top = std::min<LONG>(header.rcBound.top, r.Top);
      header.rcBound.right = std::max<LONG>(header.rcBound.right, r.Right);
      header.rcBound.bottom = std::max<LONG>(header.rcBound.bottom, r.Bottom);
    }
    std::memcpy(data.data(), &header, sizeof header);
    std::memcpy(data.data() + sizeof header, rects.data(), n * sizeof(RECT));
    UniqueRgn part(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data())));
    if (!part) continue;
    if (!result)
      result = std::move(part);
    else
      CombineRgn(result.get(), result.get(), part.get(), RGN_OR);
  }
  if (!result) result.reset(CreateRectRgn(0, 0, 0, 0));
  return result;
}

void MirrorBitmap(TBitmap& bitmap) {
  if (!bitmap.Empty()) bitmap.LoadFromPixels(MirrorPixels(bitmap.ToPixels()));
}

void FlipBitmap(TBitmap& bitmap) {
  if (!bitmap.Empty()) bitmap.LoadFromPixels(FlipPixels(bitmap.ToPixels()));
}

void RotateBitmapLeft(TBitmap& bitmap) {
  if (!bitmap.Empty()) bitmap.LoadFromPixels(RotatePixelsLeft(bitmap.ToPixels()));
}

void RotateBitmapRight(TBitmap& bitmap) {
  if (!bitmap.Empty()) bitmap.LoadFromPixels(RotatePixelsRight(bitmap.ToPixels()));
}

int DrawTextWide(HDC dc, const std::wstring& text, RECT& rect, UINT format, bool ntPlatform) {
  if (ntPlatform) return DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
  std::string narrow;
  if (!text.empty()) {
    const int n =
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    narrow.assign(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr, nullptr);
  }
  return DrawTextA(dc, narrow.c_str(), -1, &rect, format);
}

int DrawTextWide(HDC dc, const std::wstring& text, RECT& rect, UINT format) {
  return DrawTextWide(dc, text, rect, format, SkinIsNtPlatform());
}

void SetEnumPropertyByName(TComponent* component, const std::string& property, const std::string& value) {
  TPropInfo::Kind kind;
  if (component == nullptr || !component->PropertyKind(property, kind)) return;
  if (kind != TPropInfo::Kind::Enumeration && kind != TPropInfo::Kind::Boolean) return;
  try {
    component->SetPropertyText(property, value);
  } catch (const Exception&) {
    // A name the property does not take: left as it was.
  }
}

}  // namespace pellamy
