#include "skin/layout/FrameLayout.h"

#include <algorithm>

namespace pellamy {

namespace {
int SideOf(const TPixelImage& image, int count, bool across) {
  const int size = across ? image.Width : image.Height;
  return count > 0 ? size / count : size;
}
}  // namespace

TFrameMetrics FrameMetricsOf(const TSkinData& skin, int borderKind) {
  if (borderKind == bkPopup) return {};
  TFrameMetrics m;
  if (skin.FrameTop) m.Top = SideOf(skin.FrameTop->Bitmap, skin.FrameTop->FrameCount, false);
  if (skin.FrameLeft) m.Left = SideOf(skin.FrameLeft->Bitmap, skin.FrameLeft->FrameCount, true);
  if (skin.FrameRight) m.Right = SideOf(skin.FrameRight->Bitmap, skin.FrameRight->FrameCount, true);
  if (skin.FrameBottom) m.Bottom = SideOf(skin.FrameBottom->Bitmap, skin.FrameBottom->FrameCount, false);
  return m;
}

int BorderKindOf(std::uint32_t windowStyle, std::uint32_t exStyle) {
  if ((windowStyle & style::Popup) != 0 && (windowStyle & style::Caption) != style::Caption) return bkPopup;
  if ((exStyle & style::ExWindowEdge) != 0 || (windowStyle & style::ThickFrame) != 0) return bkEdged;
  return bkThin;
}

unsigned CapabilitiesOf(std::uint32_t windowStyle, bool hasSystemMenu) {
  unsigned caps = 0;
  if ((windowStyle & style::SystemMenu) != 0 || hasSystemMenu) caps |= fcSystemMenu;
  if ((windowStyle & style::MinimizeBox) != 0) caps |= fcMinimize;
  if ((windowStyle & style::MaximizeBox) != 0) caps |= fcMaximize;
  return caps;
}

std::uint32_t CaptionStyle(std::uint32_t windowStyle, bool restore, bool hasOwner, unsigned& capabilities) {
  if (restore) {
    if (capabilities & fcSystemMenu) windowStyle |= style::SystemMenu;
    if (capabilities & fcMinimize) windowStyle |= style::MinimizeBox;
    if (capabilities & fcMaximize) windowStyle |= style::MaximizeBox;
    if (capabilities & fcCaptionRemoved) windowStyle |= style::Caption;
    return windowStyle;
  }
  if (hasOwner) return windowStyle & ~(style::SystemMenu | style::MinimizeBox | style::MaximizeBox);
  capabilities |= fcCaptionRemoved;
  return windowStyle & ~style::Caption;
}

TShowState ShowStateOf(int showCommand) {
  switch (showCommand) {
    case 2:  // shown minimised
    case 6:  // minimise
    case 7:  // minimised without activation
      return TShowState::Minimized;
    case 3:
      return TShowState::Maximized;
    default:
      return TShowState::Normal;
  }
}

bool VisibilityRule(int code, int action, const TCaptionContext& f, bool second) {
  const bool maxBox = (f.Capabilities & fcMaximize) != 0;
  const bool minBox = (f.Capabilities & fcMinimize) != 0;
  const bool sysMenu = (f.Capabilities & fcSystemMenu) != 0;
  switch (code) {
    case 0:
      if (second) return true;
      return f.BorderKind != bkThin && (action != 0 || sysMenu);
    case 1:
      return f.ShowState == TShowState::Maximized;
    case 2:
      return f.ShowState != TShowState::Maximized;
    case 3:
      return f.Active;
    case 4:
      return !f.Active;
    case 6:
      return second ? maxBox : maxBox && sysMenu;
    case 7:
      return !maxBox;
    case 8:
      return second ? minBox : minBox && sysMenu;
    case 9:
      return !minBox;
    case 100:
      return f.ActiveMdiChildMaximized && f.MenuHeight > 0;
    default:
      return code >= 200 && code <= 2000;
  }
}

bool IsCaptionButtonVisible(const TDataSkinSysButton& b, const TCaptionContext& f) {
  bool visible = VisibilityRule(b.Visibility, b.Action, f, false) && VisibilityRule(b.Visibility1, b.Action, f, true);
  if (b.Action == 1 && (f.Capabilities & fcMaximize) == 0) visible = false;
  if (b.Action == 2 && (f.Capabilities & fcMinimize) == 0) visible = false;
  return visible;
}

TCaptionAction CaptionActionOf(int action) {
  switch (action) {
    case 0:
      return TCaptionAction::Close;
    case 1:
    case 22:
      return TCaptionAction::Maximize;
    case 2:
    case 23:
      return TCaptionAction::Minimize;
    case 3:
    case 11:
    case 12:
      return TCaptionAction::SystemMenu;
    case 7:
    case 60:
      return TCaptionAction::MdiMinimize;
    case 8:
    case 61:
      return TCaptionAction::MdiRestore;
    case 9:
    case 62:
      return TCaptionAction::MdiClose;
    default:
      return TCaptionAction::Other;
  }
}

bool CaptionButtonRect(const TDataSkinSysButton& b, const TCaptionContext& f, TSkinRect& rect, int& rightButtonsLeft) {
  if (b.Bitmap.Width <= 0 || b.Bitmap.Height <= 0) return false;
  const int w = b.FrameCount > 0 ? b.Bitmap.Width / b.FrameCount : b.Bitmap.Width;
  const int h = b.Bitmap.Height;
  int dx = 0, dy = 0;
  switch (b.Align) {
    case 0:
      dx = b.Xcoord, dy = b.Ycoord;
      break;
    case 1:
      dx = f.FrameWidth - b.Xcoord, dy = b.Ycoord;
      rightButtonsLeft = rightButtonsLeft > 0 ? std::min(rightButtonsLeft, dx) : dx;
      break;
    case 2:
    case 8:
      dx = f.TextRect.Left - w - b.Xcoord, dy = b.Ycoord;
      break;
    case 3:
    case 9:
      dx = f.TextRect.Right + b.Xcoord, dy = b.Ycoord;
      break;
    case 100: {
      const int end = f.MenuBarEndWidth > 0 ? f.MenuBarEndWidth : 0;
      dy = f.Metrics.Top + (f.MenuHeight - h) / 2;
      dx = f.RightToLeft ? f.Metrics.Left + b.Xcoord + end : f.FrameWidth - b.Xcoord - f.Metrics.Right - end;
      break;
    }
    default:
      break;
  }
  rect = {dx, dy, dx + w, dy + h};
  return true;
}

int CaptionButtonImage(const TDataSkinSysButton& b, bool active) {
  if (active || b.FrameCount < 4) return 1;
  return 4;
}

TSkinRect TitleTextPlacement(const TDataSkinTitle& t, const TSkinRect& titleRect, int textWidth, int textHeight,
                             bool rightToLeft, bool popupStyle, int rightButtonsLeft) {
  // The Title element keeps TextShift, TextShiftVert and TextRightClip in
  // its first three margins.
  const int shift = t.LeftWidth, shiftVert = t.TopHeight, rightClip = t.RightWidth;
  const int width = textWidth + t.TXTBackleft + t.TXTBackRight;
  const int right = titleRect.Width() - rightClip - width;
  int dx;
  if (rightToLeft) {
    dx = right;
  } else {
    switch (t.TextAlignment) {
      case 0:
        dx = shift;
        break;
      case 1:
        dx = (titleRect.Width() - width) / 2;
        break;
      case 2:
        dx = right;
        break;
      default:
        dx = 0;
        break;
    }
  }
  const int dy = (titleRect.Height() - textHeight) / 2 + shiftVert / 2;
  TSkinRect r{titleRect.Left + dx, titleRect.Top + dy, titleRect.Left + dx + width, titleRect.Top + dy + textHeight};
  // A popup's title stops short of its right-anchored buttons; with none
  // (all placed from the left or beside the title) that would leave no room
  // at all, so the usual clip applies.
  const int limit = popupStyle && rightButtonsLeft > 0 ? rightButtonsLeft - 5 : titleRect.Right - rightClip;
  r.Right = std::min(r.Right, limit);
  return r;
}

TSkinRect FrameClientRect(int x, int y, int cx, int cy, const TFrameMetrics& m, int menuHeight) {
  return {x + m.Left, y + m.Top + menuHeight, x + cx - m.Right, y + cy - m.Bottom};
}

int FrameHitCode(int y, int top) {
  int code = 0;
  if (y > 3) code = 2;
  if (y > top) code = 5;
  return code;
}

int MessageBoxWidth(int width, int captionLength, int spaceWidth, const TFrameMetrics& m, const TDataSkinTitle& t) {
  const int minimum =
      (captionLength + 7) * spaceWidth + m.Left + m.Right + t.LeftWidth + t.RightWidth + t.TXTBackleft + t.TXTBackRight;
  return std::max(width, minimum);
}

bool IsMessageBoxClass(const std::string& className) {
  return className == "TMessageForm" || className == "#32770";
}

}  // namespace pellamy
