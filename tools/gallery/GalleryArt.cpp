#include "GalleryArt.h"

namespace pellamy::gallery {
namespace {

void Fill(TCanvas& c, TColor colour, RECT r) {
  c.Brush().SetColor(colour);
  c.FillRect(r);
}

void Disc(TCanvas& c, TColor colour, int left, int top, int right, int bottom) {
  c.Brush().SetColor(colour);
  c.Pen().SetColor(colour);
  c.Ellipse(left, top, right, bottom);
}

void Note(TCanvas& c, int x) {
  Disc(c, clNavy, x + 2, 10, x + 8, 15);
  Fill(c, clNavy, {x + 6, 2, x + 8, 12});
  Fill(c, clNavy, {x + 8, 2, x + 13, 4});
  Fill(c, clNavy, {x + 11, 4, x + 13, 7});
}

void CompactDisc(TCanvas& c, int x) {
  Disc(c, clSilver, x + 1, 1, x + 15, 15);
  c.Pen().SetColor(clGray);
  c.Brush().SetStyle(bsClear);
  c.Ellipse(x + 1, 1, x + 15, 15);
  c.Brush().SetStyle(bsSolid);
  Disc(c, clAqua, x + 4, 4, x + 12, 12);
  Disc(c, clWhite, x + 6, 6, x + 10, 10);
}

void Folder(TCanvas& c, int x) {
  Fill(c, clOlive, {x + 1, 3, x + 7, 5});
  Fill(c, clOlive, {x + 1, 5, x + 15, 14});
  Fill(c, clYellow, {x + 2, 6, x + 14, 13});
}

void Speaker(TCanvas& c, int x) {
  Fill(c, clBlack, {x + 2, 6, x + 5, 11});
  const POINT cone[] = {{x + 5, 6}, {x + 9, 2}, {x + 9, 14}, {x + 5, 10}};
  c.Brush().SetColor(clBlack);
  c.Pen().SetColor(clBlack);
  c.Polygon(cone);
  c.Pen().SetColor(clGreen);
  c.MoveTo(x + 11, 5);
  c.LineTo(x + 11, 12);
  c.MoveTo(x + 13, 3);
  c.LineTo(x + 13, 14);
}

void Landscape(TBitmap& bmp, TColor sky, TColor sun, TColor hills) {
  TCanvas& c = bmp.Canvas();
  const int w = bmp.Width(), h = bmp.Height();
  Fill(c, sky, {0, 0, w, h});
  Disc(c, sun, w * 3 / 5, h / 8, w * 3 / 5 + h / 3, h / 8 + h / 3);
  Disc(c, hills, -w / 4, h / 2, w * 3 / 4, h * 3 / 2);
  Disc(c, hills + 0x001000, w / 3, h * 3 / 5, w * 3 / 2, h * 2);
}

}  // namespace

TBitmap GlyphStrip() {
  TBitmap strip(64, 16);
  Fill(strip.Canvas(), clFuchsia, {0, 0, 64, 16});
  Note(strip.Canvas(), 0);
  CompactDisc(strip.Canvas(), 16);
  Folder(strip.Canvas(), 32);
  Speaker(strip.Canvas(), 48);
  return strip;
}

TBitmap ButtonGlyph() {
  TBitmap glyph(32, 16);
  TCanvas& c = glyph.Canvas();
  Fill(c, clFuchsia, {0, 0, 32, 16});
  // A record: red label on black vinyl; the disabled one in grays.
  Disc(c, clBlack, 1, 1, 15, 15);
  Disc(c, clRed, 5, 5, 11, 11);
  Disc(c, clGray, 17, 1, 31, 15);
  Disc(c, clSilver, 21, 5, 27, 11);
  return glyph;
}

TBitmap Picture(int width, int height) {
  TBitmap bmp(width, height);
  Landscape(bmp, RGB(120, 180, 240), RGB(255, 220, 64), RGB(40, 140, 60));
  return bmp;
}

TBitmap DuskPicture(int width, int height) {
  TBitmap bmp(width, height);
  Landscape(bmp, RGB(70, 40, 110), RGB(250, 120, 40), RGB(20, 70, 40));
  return bmp;
}

}  // namespace pellamy::gallery
