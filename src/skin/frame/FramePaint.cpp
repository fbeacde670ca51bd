// The frame's shape and look: the window region cut from the border
// pieces' transparent pixels, the pieces, the caption composed in memory
// with its title and buttons, and one button repainted as it changes.
#include <algorithm>

#include "gui/gdi/WideText.h"
#include "skin/draw/SkinDraw.h"
#include "skin/frame/FrameBits.h"
#include "skin/frame/WinSkinForm.h"
#include "skin/frame/WinSkinMenu.h"
#include "skin/model/SkinDeviceObjects_win32.h"
#include "skin/model/SkinManager.h"
#include "skin/pixels/SkinPixels.h"

namespace pellamy {

namespace {

RECT MarginsOf(const TDataSkinObject& e) {
  return {e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight};
}

bool Usable(const TDataSkinBorder* piece) {
  return piece != nullptr && piece->Bitmap.Width > 0 && piece->Bitmap.Height > 0;
}

// The title in one line, cut short with an ellipsis, from the side the
// reading starts.
constexpr UINT kTitleFormat = DT_SINGLELINE | DT_END_ELLIPSIS;

// Copies state image index of a strip of count images into a 32-bit DIB at
// (x, y), leaving the magenta pixels out: the caption is composed in memory,
// where this costs far less than a masked copy per button and paint.
void BlendKeyed(TBitmap& target, int x, int y, const TPixelImage& strip, int count, int index) {
  count = std::max(1, count);
  index = std::clamp(index, 1, count);
  const int w = strip.Width / count, h = strip.Height;
  const int sx = (index - 1) * w;
  for (int row = 0; row < h; ++row) {
    const int ty = y + row;
    if (ty < 0 || ty >= target.Height()) continue;
    auto* line = reinterpret_cast<std::uint32_t*>(target.ScanLine(ty));
    for (int col = 0; col < w; ++col) {
      const int tx = x + col;
      if (tx < 0 || tx >= target.Width()) continue;
      const std::uint32_t pixel = strip.Pixels[static_cast<std::size_t>(row) * strip.Width + sx + col] & 0xFFFFFF;
      if (pixel != kSkinTransparentColor) line[tx] = pixel;
    }
  }
  target.Modified();
}

}  // namespace

TBitmap* TWinSkinForm::DeviceImage(const TPixelImage& image) const {
  return SkinData != nullptr ? SkinDeviceBitmap(*SkinData, image) : nullptr;
}

void TWinSkinForm::UpdateWindowRegion() {
  if (SkinData == nullptr || SkinData->SkinEmpty || !WearsFrame()) return;
  RECT window;
  GetWindowRect(Handle, &window);
  const int w = window.right - window.left, h = window.bottom - window.top;
  if (w <= 0 || h <= 0) return;
  if (BorderKind == bkPopup) {
    // A window without a caption keeps its own shape.
    if (OwnsRegion) SetWindowRgn(Handle, nullptr, TRUE);
    OwnsRegion = false;
    return;
  }
  if (w == RegionWidth && h == RegionHeight && OwnsRegion) return;
  RegionWidth = w, RegionHeight = h;
  const TDataSkinBorder* left = SkinData->FrameLeft.get();
  const TDataSkinBorder* right = SkinData->FrameRight.get();
  const TDataSkinBorder* top = SkinData->FrameTop.get();
  const TDataSkinBorder* bottom = SkinData->FrameBottom.get();
  const auto trans = [](const TDataSkinBorder* p) { return p != nullptr && p->Trans == 1 && Usable(p); };
  UniqueRgn region(CreateRectRgn(0, 0, w, h));
  if (trans(left) || trans(right) || trans(top)) {
    region.reset(CreateRectRgn(Metrics.Left, Metrics.Top, w - Metrics.Right, h - Metrics.Bottom));
    const auto add = [&](UniqueRgn part) {
      if (part) CombineRgn(region.get(), region.get(), part.get(), RGN_OR);
    };
    const auto piece = [&](const TDataSkinBorder* p, const RECT& r, bool vertical, bool useTrans) {
      if (r.right <= r.left || r.bottom <= r.top) return UniqueRgn();
      if (!useTrans || p == nullptr || p->Bitmap.Width <= 0) return UniqueRgn(CreateRectRgnIndirect(&r));
      // Built from the model's pixels: the same picture as painted, with no
      // device bitmap to make and read back.
      const TPixelImage built = BuildNineGridPixels(p->Bitmap, r.right - r.left, r.bottom - r.top,
                                                    {p->LeftWidth, p->TopHeight, p->RightWidth, p->BottomHeight},
                                                    vertical, p->Tile != 1, std::max(1, p->FrameCount), 1);
      return RegionFromPixels(built, r.left, r.top, 1, 1, 1, static_cast<TColor>(kSkinTransparentColor));
    };
    add(piece(left, {0, 0, Metrics.Left, h}, false, trans(left) && h > 1));
    add(piece(right, {w - Metrics.Right, 0, w, h}, false, trans(right) && h > 1));
    add(piece(bottom, {Metrics.Left, h - Metrics.Bottom, w - Metrics.Right, h}, true,
              bottom != nullptr && bottom->Trans == 1 && Metrics.Bottom >= 2));
    // From the piece, never from the composed caption: that was read back
    // from the screen, where the region had already cut the corners.
    const RECT caption{Metrics.Left, 0, w - Metrics.Right, Metrics.Top};
    add(piece(top, caption, true, trans(top) && Metrics.Top > 1));
  }
  // The window owns the region from here and frees the one it had.
  SetWindowRgn(Handle, region.release(), TRUE);
  OwnsRegion = true;
}

void TWinSkinForm::PaintBorderPiece(const TDataSkinBorder& piece, const RECT& rect, HDC dc, bool vertical) {
  if (rect.right < rect.left || rect.bottom < rect.top) return;
  TBitmap* image = DeviceImage(piece.Bitmap);
  if (image == nullptr) return;
  const int count = std::max(1, piece.FrameCount);
  const int index = Active || count == 1 ? 1 : 2;
  DrawNineGrid(dc, rect, *image, vertical, piece.Tile != 1, false, count, index, MarginsOf(piece));
}

void TWinSkinForm::PaintFrame(HDC dc) {
  if (Phase != TFramePhase::Active && Phase != TFramePhase::ApplyingSkin) return;
  if (BorderKind == bkPopup || !WearsFrame()) return;
  if (SkinData == nullptr || SkinData->SkinEmpty) return;
  try {
    WindowDc own;
    if (dc == nullptr) {
      own = WindowDc(Handle, WindowDc::TArea::Window);
      dc = own.get();
    }
    GetWindowRect(Handle, &WindowRect);
    FrameWidth = WindowRect.right - WindowRect.left;
    FrameHeight = WindowRect.bottom - WindowRect.top;
    Caption = WindowText(Handle);
    if (SkinData->FrameLeft) PaintBorderPiece(*SkinData->FrameLeft, {0, 0, Metrics.Left, FrameHeight}, dc, false);
    if (SkinData->FrameRight)
      PaintBorderPiece(*SkinData->FrameRight, {FrameWidth - Metrics.Right, 0, FrameWidth, FrameHeight}, dc, false);
    if (SkinData->FrameBottom)
      PaintBorderPiece(*SkinData->FrameBottom,
                       {Metrics.Left, FrameHeight - Metrics.Bottom, FrameWidth - Metrics.Right, FrameHeight}, dc, true);
    if (Metrics.Top > 0 && FrameWidth > 0) {
      // The caption is composed off-screen and copied in one blit, so the
      // text and buttons never flicker over a bare caption.
      if (CaptionBitmap.Width() != FrameWidth || CaptionBitmap.Height() != Metrics.Top) {
        CaptionBitmap.SetPixelFormat(pf32bit);
        CaptionBitmap.SetSize(FrameWidth, Metrics.Top);
      }
      HDC caption = CaptionBitmap.Canvas().Handle();
      BitBlt(caption, 0, 0, FrameWidth, Metrics.Top, dc, 0, 0, SRCCOPY);
      if (SkinData->FrameTop)
        PaintBorderPiece(*SkinData->FrameTop, {Metrics.Left, 0, FrameWidth - Metrics.Right, Metrics.Top}, caption,
                         true);
      // Twice: the title ends left of the right-anchored buttons, and the
      // buttons beside the title follow where it went.
      LayoutCaptionButtons();
      PaintCaptionText(CaptionBitmap.Canvas(), {Metrics.Left, 0, FrameWidth - Metrics.Right, Metrics.Top});
      LayoutCaptionButtons();
      PaintCaptionButtons(caption);
      GdiFlush();
      BitBlt(dc, 0, 0, FrameWidth, Metrics.Top, caption, 0, 0, SRCCOPY);
    }
    if (SkinMenuBar && MenuHeight > 0)
      SkinMenuBar->PaintBar(dc, {Metrics.Left, Metrics.Top, FrameWidth - Metrics.Right, Metrics.Top + MenuHeight});
  } catch (...) {
    // A frame that cannot be painted now is painted at the next message.
    SkinFault("PaintFrame");
  }
  HotItem = nullptr;
}

void TWinSkinForm::PaintCaptionText(TCanvas& canvas, const TSkinRect& titleRect) {
  HDC dc = canvas.Handle();
  const TDataSkinTitle& title = *SkinData->Title;
  SelectGuard font(dc, CaptionFont ? static_cast<HGDIOBJ>(CaptionFont.get()) : GetStockObject(SYSTEM_FONT));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour =
      SetTextColor(dc, ColorToRGB(Active ? SkinData->Colours.TitleTextActive : SkinData->Colours.TitleTextNoActive));
  const std::wstring measured = Utf8ToWide(TitlePrefix + " " + Caption);
  RECT size{0, 0, 0, 0};
  DrawTextW(dc, measured.c_str(), static_cast<int>(measured.size()), &size, DT_CALCRECT | DT_SINGLELINE | DT_NOCLIP);
  const bool popup = (Style & style::Popup) != 0;
  TextRect = TitleTextPlacement(title, titleRect, size.right - size.left, size.bottom - size.top, RightToLeft, popup,
                                RightButtonsLeft);
  if (!title.Bitmap.Pixels.empty() && TextRect.Right > TextRect.Left) {
    if (TBitmap* back = DeviceImage(title.Bitmap))
      DrawThreePart(canvas, {TextRect.Left, titleRect.Top, TextRect.Right, titleRect.Bottom}, *back, true, true, 2,
                    Active ? 1 : 2, {title.TXTBackleft, 0, title.TXTBackRight, 0});
  }
  RECT text = ToRect(TextRect);
  text.left += title.TXTBackleft;
  text.right -= title.TXTBackRight;
  DrawTextWide(dc, Utf8ToWide(TitlePrefix + Caption), text, RightToLeft ? kTitleFormat | DT_RIGHT : kTitleFormat);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}

void TWinSkinForm::LayoutCaptionButtons() {
  RightButtonsLeft = 0;
  const TCaptionContext context = CaptionContext();
  for (auto& button : CaptionButtons) {
    button->Visible = IsCaptionButtonVisible(*button->ButtonData, context);
    TSkinRect r;
    if (button->Visible && CaptionButtonRect(*button->ButtonData, context, r, RightButtonsLeft))
      button->Bounds = ToRect(r);
    else
      button->Bounds = {};
  }
}

void TWinSkinForm::DrawButtonImage(HDC dc, TWinSysButton& button, int image) {
  const TDataSkinSysButton& data = *button.ButtonData;
  if (IsIconAction(data.Action)) {
    if (!CaptionIcon.Empty())
      TransparentBlit(dc, button.Bounds, CaptionIcon, static_cast<TColor>(kSkinTransparentColor));
    return;
  }
  if (TBitmap* bitmap = DeviceImage(data.Bitmap))
    DrawSkinFrame(dc, button.Bounds, *bitmap, true, std::max(1, data.FrameCount),
                  std::min(image, std::max(1, data.FrameCount)));
}

void TWinSkinForm::PaintCaptionButtons(HDC dc) {
  const bool direct = CaptionBitmap.PixelFormat() == pf32bit && CaptionBitmap.Canvas().Handle() == dc;
  if (direct) GdiFlush();
  for (auto& button : CaptionButtons) {
    const TDataSkinSysButton& data = *button->ButtonData;
    if (!button->Visible || data.Bitmap.Width <= 0 || data.Visibility == 100) continue;
    button->State = TButtonState::Normal;
    const int image = CaptionButtonImage(data, Active);
    if (!direct) {
      DrawButtonImage(dc, *button, image);
    } else if (IsIconAction(data.Action)) {
      if (CaptionIconPixels.Width > 0)
        BlendKeyed(CaptionBitmap, button->Bounds.left, button->Bounds.top, CaptionIconPixels, 1, 1);
    } else {
      BlendKeyed(CaptionBitmap, button->Bounds.left, button->Bounds.top, data.Bitmap, data.FrameCount, image);
    }
  }
}

void TWinSkinForm::PaintCaptionButton(TWinSysButton& button) {
  if (!button.Visible || button.ButtonData->Bitmap.Width <= 0) return;
  int image = static_cast<int>(button.State);
  // An MDI child's button on the bar has a fourth image for hot.
  if (button.ButtonData->Visibility == 100 && button.State == TButtonState::Hot) image = 4;
  try {
    WindowDc dc(Handle, WindowDc::TArea::Window);
    DrawButtonImage(dc.get(), button, image);
  } catch (...) {
    SkinFault("PaintCaptionButton");
  }
}

void TWinSkinForm::PaintAfterChange() {
  FrameChanged(Handle);
}

}  // namespace pellamy
