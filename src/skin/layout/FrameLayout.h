// The skinned frame's geometry and rules, portable:
//   TFrameMetrics        frame widths from the border pieces
//   TCaptionContext      what the caption-button rules read of a frame
//   BorderKindOf, CapabilitiesOf, CaptionStyle, ShowStateOf
//   IsCaptionButtonVisible, CaptionButtonRect, TitleTextPlacement
//   FrameClientRect, FrameHitCode, MessageBoxWidening
// The window side (skin/frame) feeds them the window's styles and sizes and
// draws what they place.
#pragma once

#include <cstdint>
#include <string>

#include "skin/model/WinSkinData.h"
#include "skin/pixels/SkinPixels.h"

namespace pellamy {

// How the window is bordered: 0 edged or sizeable, 2 a popup without a full
// caption (no frame at all), 3 thin or no border.
enum TBorderKind : int { bkEdged = 0, bkPopup = 2, bkThin = 3 };

// What the window's styles allow, and whether the frame took its caption.
enum TFrameCapability : unsigned {
  fcMaximize = 1,
  fcMinimize = 2,
  fcSystemMenu = 8,
  fcCaptionRemoved = 16,
};

enum class TShowState { Normal, Maximized, Minimized };

// Window style bits the rules read (the platform's values).
namespace style {
inline constexpr std::uint32_t Popup = 0x80000000u;
inline constexpr std::uint32_t Child = 0x40000000u;
inline constexpr std::uint32_t Caption = 0x00C00000u;
inline constexpr std::uint32_t SystemMenu = 0x00080000u;
inline constexpr std::uint32_t ThickFrame = 0x00040000u;
inline constexpr std::uint32_t MinimizeBox = 0x00020000u;
inline constexpr std::uint32_t MaximizeBox = 0x00010000u;
inline constexpr std::uint32_t ExWindowEdge = 0x00000100u;
inline constexpr std::uint32_t ExMdiChild = 0x00000040u;
inline constexpr std::uint32_t ExLeftScrollBar = 0x00004000u;
}  // namespace style

struct TFrameMetrics {
  int Left = 0;
  int Top = 0;  // the caption's height
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TFrameMetrics&) const = default;
};

// Each width is the piece's image size across its run divided by its state
// count; a popup without a caption gets no frame.
TFrameMetrics FrameMetricsOf(const TSkinData& skin, int borderKind);

int BorderKindOf(std::uint32_t style, std::uint32_t exStyle);
unsigned CapabilitiesOf(std::uint32_t style, bool hasSystemMenu);
// The style with the caption taken away (restore false) or given back.
// Without an owner the caption bits go and capabilities gain
// fcCaptionRemoved; an owned window keeps its caption and loses only the
// system menu and the boxes, which the skin's buttons stand in for.
std::uint32_t CaptionStyle(std::uint32_t style, bool restore, bool hasOwner, unsigned& capabilities);
// From the placement's show command.
TShowState ShowStateOf(int showCommand);

struct TCaptionContext {
  int BorderKind = bkEdged;
  unsigned Capabilities = 0;
  TShowState ShowState = TShowState::Normal;
  bool Active = false;
  // The MDI client's active child is maximised (code 100).
  bool ActiveMdiChildMaximized = false;
  int MenuHeight = 0;
  bool RightToLeft = false;
  int FrameWidth = 0;
  TFrameMetrics Metrics;
  TSkinRect TextRect;
  // The MenuBar element's LeftWidth, or -1 without that element.
  int MenuBarEndWidth = -1;
};

// One visibility code of a title-bar button; second picks the Visibility1
// table, which differs for codes 0, 6 and 8.
bool VisibilityRule(int code, int action, const TCaptionContext& frame, bool second);
bool IsCaptionButtonVisible(const TDataSkinSysButton& button, const TCaptionContext& frame);
// The button's rectangle in window coordinates; false when its image is
// empty. rightButtonsLeft (0 for none yet) becomes the smallest left edge of
// the buttons anchored right, where a popup's title must end.
bool CaptionButtonRect(const TDataSkinSysButton& button, const TCaptionContext& frame, TSkinRect& rect,
                       int& rightButtonsLeft);
// The image a button shows in the caption: 1 when the window is active, 4
// when it is not (1 when the button has fewer than 4).
int CaptionButtonImage(const TDataSkinSysButton& button, bool active);

// What a caption button does, from its skin's Action number; Other is the
// window's own to handle.
enum class TCaptionAction { Close, Maximize, Minimize, SystemMenu, MdiMinimize, MdiRestore, MdiClose, Other };
TCaptionAction CaptionActionOf(int action);

// Where the title goes in titleRect, for a text of the measured size
// (prefix, a space and the caption). The result's left and right include the
// title background's ends.
TSkinRect TitleTextPlacement(const TDataSkinTitle& title, const TSkinRect& titleRect, int textWidth, int textHeight,
                             bool rightToLeft, bool popupStyle, int rightButtonsLeft);

// The client area for a proposed window rectangle (x, y, cx, cy).
TSkinRect FrameClientRect(int x, int y, int cx, int cy, const TFrameMetrics& metrics, int menuHeight);
// The hit-test code for a point in frame coordinates that the window left
// to us ("nowhere"): caption 2 below the top 3 pixels, menu 5 below the
// caption (so a maximised window's caption cannot drag it), else 0.
int FrameHitCode(int y, int top);

// A message box whose caption does not fit is widened to the caption's
// length in spaces plus the frame's and the title's margins; returns the new
// width (the old one when it fits).
int MessageBoxWidth(int width, int captionLength, int spaceWidth, const TFrameMetrics& metrics,
                    const TDataSkinTitle& title);
bool IsMessageBoxClass(const std::string& className);

}  // namespace pellamy
