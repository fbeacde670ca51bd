#include "skin/frame/SkinMenuItems.h"

#include <algorithm>

#include "gui/gdi/ImgList.h"
#include "gui/gdi/WideText.h"
#include "skin/draw/SkinDraw.h"
#include "skin/layout/MenuLoopRules.h"
#include "skin/model/SkinDeviceObjects_win32.h"

namespace pellamy {

namespace {

TPopupBackgrounds* gBackgrounds = nullptr;

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr int kItemImages = 5;  // MenuItem: five states side by side

COLORREF Rgb(std::int32_t colour) {
  return ColorToRGB(static_cast<TColor>(colour));
}

RECT ToRect(const TItemRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}

TBitmap* MenuItemImage(TSkinData& skin) {
  if (!skin.MenuItem || skin.MenuItem->Bitmap.Width < kItemImages || skin.MenuItem->Bitmap.Height <= 0) return nullptr;
  return SkinDeviceBitmap(skin, skin.MenuItem->Bitmap);
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.get());
}

// The system's check mark in colour, its white left as it was.
void DrawCheckMark(HDC dc, const RECT& box, COLORREF colour) {
  const int w = GetSystemMetrics(SM_CXMENUCHECK), h = GetSystemMetrics(SM_CYMENUCHECK);
  if (w <= 0 || h <= 0) return;
  UniqueMemDc mono = UniqueMemDc::CompatibleWith(dc);
  UniqueBitmap mask(CreateBitmap(w, h, 1, 1, nullptr));
  if (!mask) return;
  SelectGuard keep(mono.get(), mask.get());
  RECT r{0, 0, w, h};
  PatBlt(mono.get(), 0, 0, w, h, WHITENESS);
  DrawFrameControl(mono.get(), &r, DFC_MENU, DFCS_MENUCHECK);
  const int x = box.left + (box.right - box.left - w) / 2 + 1, y = box.top + (box.bottom - box.top - h) / 2 + 1;
  UniqueBrush brush(CreateSolidBrush(colour));
  SelectGuard brushIn(dc, brush.get());
  const COLORREF text = SetTextColor(dc, RGB(0, 0, 0)), back = SetBkColor(dc, RGB(255, 255, 255));
  // Pattern where the mark is black, the destination where it is white.
  BitBlt(dc, x, y, w, h, mono.get(), 0, 0, 0x00B8074A);
  SetTextColor(dc, text);
  SetBkColor(dc, back);
}

void CheckerBox(HDC dc, const RECT& box) {
  WORD bits[8];
  for (int i = 0; i < 8; ++i) bits[i] = static_cast<WORD>((i & 1) ? 0xAA : 0x55);
  UniqueBitmap pattern(CreateBitmap(8, 8, 1, 1, bits));
  UniqueBrush brush(CreatePatternBrush(pattern.get()));
  const COLORREF text = SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
  const COLORREF back = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  FillRect(dc, &box, brush.get());
  SetTextColor(dc, text);
  SetBkColor(dc, back);
  RECT edge = box;
  DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
}

// Glyph, caption and shortcut of an item into rect (the item's own bitmap).
void PaintContent(TSkinData& skin, HDC dc, const RECT& rect, bool selected, const TMenuItemLook& look) {
  const int left = MenuItemLeft(skin);
  if (look.Separator) return;
  const bool hasImage = look.Images != nullptr && look.ImageIndex >= 0 && look.ImageIndex < look.Images->Count();
  const int glyph =
      ItemGlyphSize(look.Images != nullptr ? look.Images->Width() : 0, look.Images != nullptr, look.Checked);
  const auto layout = LayoutItemContent({rect.left, rect.top, rect.right, rect.bottom}, glyph, left, look.RightToLeft);
  const RECT box = ToRect(layout.Glyph);
  COLORREF colour;
  if (look.Enabled)
    colour = Rgb(selected ? skin.Colours.HilightText : skin.Colours.MenuText);
  else
    colour = skin.Colours.ButtonShadow == skin.Colours.MenuText ? GetSysColor(COLOR_GRAYTEXT)
                                                                : Rgb(skin.Colours.ButtonShadow);
  if (hasImage) {
    if (look.Checked) CheckerBox(dc, box);
    const int y = box.top + (glyph - look.Images->Height()) / 2;
    look.Images->Draw(dc, box.left + (glyph - look.Images->Width()) / 2, y, look.ImageIndex, look.Enabled);
  } else if (look.Checked) {
    // In the caption's colour: the system's button text may vanish on a
    // dark menu or a dark selected image.
    DrawCheckMark(dc, box, colour);
  }
  UniqueFont font = MenuFont(look.Default);
  SelectGuard fontIn(dc, font ? static_cast<HGDIOBJ>(font.get()) : GetStockObject(DEFAULT_GUI_FONT));
  const int mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, colour);
  std::wstring caption = look.Caption;
  if (caption.empty() || caption == L"&") caption = L" ";
  RECT text = ToRect(layout.Text);
  RECT measured = text;
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &measured,
            DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP | DT_CALCRECT);
  const int height = measured.bottom - measured.top;
  text.top += (text.bottom - text.top - height) / 2;
  text.bottom = text.top + height;
  const UINT align = look.RightToLeft ? DT_RIGHT | DT_RTLREADING : DT_LEFT;
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
            DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP | align);
  if (!look.ShortCut.empty()) {
    RECT shortCut = ToRect(layout.ShortCut);
    shortCut.top = text.top;
    shortCut.bottom = text.bottom;
    DrawTextW(dc, look.ShortCut.c_str(), static_cast<int>(look.ShortCut.size()), &shortCut,
              DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | (look.RightToLeft ? DT_LEFT : DT_RIGHT));
  }
  SetTextColor(dc, oldColour);
  SetBkMode(dc, mode);
}

// The separator from MenuItem's second image: its lowest rows, the ends
// kept, the middle stretched, magenta left out.
void PaintSeparatorLine(TSkinData& skin, HDC dc, int w, int h) {
  TBitmap* image = MenuItemImage(skin);
  if (image == nullptr) return;
  const TDataSkinObject& e = *skin.MenuItem;
  const int iw = image->Width() / kItemImages, ih = image->Height();
  const int rows = std::min(ih, h);
  const int sx = iw, sy = ih - rows;
  const int lw = std::clamp(static_cast<int>(e.LeftWidth), 0, iw),
            rw = std::clamp(static_cast<int>(e.RightWidth), 0, iw - lw);
  HDC src = image->Canvas().Handle();
  const int y = (h - rows) / 2;
  if (lw > 0) TransparentBlt(dc, 0, y, std::min(lw, w), rows, src, sx, sy, std::min(lw, w), rows, kMagenta);
  if (rw > 0 && w - rw > lw) TransparentBlt(dc, w - rw, y, rw, rows, src, sx + iw - rw, sy, rw, rows, kMagenta);
  const int mid = iw - lw - rw, target = w - lw - rw;
  if (mid > 0 && target > 0) TransparentBlt(dc, lw, y, target, rows, src, sx + lw, sy, mid, rows, kMagenta);
}

}  // namespace

void SetPopupBackgrounds(TPopupBackgrounds* source) {
  gBackgrounds = source;
}

int MenuItemLeft(const TSkinData& skin) {
  return skin.MenuItem ? static_cast<int>(skin.MenuItem->LeftWidth) : -1;
}

UniqueFont MenuFont(bool bold) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return UniqueFont();
  if (bold) metrics.lfMenuFont.lfWeight = FW_BOLD;
  return UniqueFont(CreateFontIndirectW(&metrics.lfMenuFont));
}

TMenuItemLook LookOfItem(TMenuItem& item) {
  item.InitiateAction();
  TMenuItemLook look;
  look.Separator = item.IsLine();
  look.Caption = Utf8ToWide(item.Caption());
  if (item.ShortCut() != scNone) look.ShortCut = Utf8ToWide(ShortCutToText(item.ShortCut()));
  look.Enabled = item.Enabled();
  look.Checked = item.Checked();
  look.Default = item.Default();
  if (TMenu* menu = item.GetParentMenu()) look.Images = menu->Images();
  look.ImageIndex = item.ImageIndex();
  return look;
}

TMenuItemLook LookOfEntry(HMENU menu, UINT position) {
  TMenuItemLook look;
  wchar_t text[81] = {};
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
  mii.dwTypeData = text;
  mii.cch = 80;
  if (!GetMenuItemInfoW(menu, position, TRUE, &mii)) return look;
  std::wstring caption(text);
  if (const auto tab = caption.find(L'\t'); tab != std::wstring::npos) {
    look.ShortCut = caption.substr(tab + 1);
    caption.resize(tab);
  }
  look.Separator = (mii.fType & MFT_SEPARATOR) != 0 || caption.empty();
  look.Caption = caption.empty() ? L"-" : caption;
  look.Enabled = (mii.fState & (MFS_GRAYED | MFS_DISABLED)) == 0;
  look.Checked = (mii.fState & MFS_CHECKED) != 0;
  look.Default = (mii.fState & MFS_DEFAULT) != 0;
  look.RightToLeft = (mii.fType & MFT_RIGHTORDER) != 0;
  return look;
}

void PaintSkinMenuItem(TSkinData& skin, HDC dc, const RECT& rect, bool selected, const TMenuItemLook& look,
                       HMENU parentMenu) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  TBitmap buffer(w, h, pf24bit);
  HDC bdc = buffer.Canvas().Handle();
  POINT origin{0, 0};
  TBitmap* background = gBackgrounds != nullptr ? gBackgrounds->Background(parentMenu, dc, origin) : nullptr;
  if (background != nullptr && !background->Empty())
    BitBlt(bdc, 0, 0, w, h, background->Canvas().Handle(), rect.left + origin.x, rect.top + origin.y, SRCCOPY);
  else
    Fill(bdc, {0, 0, w, h}, Rgb(skin.Colours.Menu));
  TBitmap* image = MenuItemImage(skin);
  if (look.Separator) {
    PaintSeparatorLine(skin, bdc, w, h);
  } else {
    if (image != nullptr) {
      const TDataSkinObject& e = *skin.MenuItem;
      DrawNineGrid(bdc, {0, 0, w, h}, *image, false, e.Tile != 0, e.Trans != 0, kItemImages, selected ? 4 : 1,
                   {e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight});
    }
    PaintContent(skin, bdc, {0, 0, w, h}, selected, look);
  }
  BitBlt(dc, rect.left, rect.top, w, h, bdc, 0, 0, SRCCOPY);
}

void PaintPlainMenuItem(TSkinData& skin, HDC dc, const RECT& rect, bool selected, const TMenuItemLook& look) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  TBitmap buffer(w, h, pf24bit);
  HDC bdc = buffer.Canvas().Handle();
  Fill(bdc, {0, 0, w, h}, Rgb(selected && !look.Separator ? skin.Colours.Hilight : skin.Colours.Menu));
  if (look.Separator) {
    RECT line{0, 4, w, 6};
    DrawEdge(bdc, &line, EDGE_ETCHED, BF_TOP);
  } else {
    PaintContent(skin, bdc, {0, 0, w, h}, selected, look);
  }
  BitBlt(dc, rect.left, rect.top, w, h, bdc, 0, 0, SRCCOPY);
}

void PaintMenuItem(TSkinData& skin, HDC dc, const RECT& rect, bool selected, const TMenuItemLook& look,
                   HMENU parentMenu) {
  if (MenuItemImage(skin) != nullptr)
    PaintSkinMenuItem(skin, dc, rect, selected, look, parentMenu);
  else
    PaintPlainMenuItem(skin, dc, rect, selected, look);
}

void MeasureSkinMenuItem(TSkinData& skin, TMenuItem& item, int& width, int&) {
  TMenu* menu = item.GetParentMenu();
  width = SkinItemWidth(width, MenuItemLeft(skin), menu != nullptr && menu->Images() != nullptr);
}

}  // namespace pellamy
