// ScrollGeometry: the arithmetic of skinned scroll bars, portable.
//   ScrollBarRects    where a window's own bars and the corner box lie
//   ArrowLength       an arrow's length, shorter on a bar too short for two
//   ThumbOf           the thumb's size and offset within the track
//   DragPosition      the scroll position a dragged thumb offset stands for
//   HitAlongBar       which part of a bar a point along it falls on
//   ActivePart        which part shows pressed around a scroll message
// Lengths and offsets are in pixels; the track is the part between the two
// arrows, and offsets along it count from its start.
#pragma once

namespace pellamy {

struct TScrollRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TScrollRect&) const = default;
};

struct TScrollBarRects {
  bool HasHorz = false, HasVert = false;
  TScrollRect Horz, Vert;
  bool HasCorner = false;  // both bars: the box between their ends
  TScrollRect Corner;
};

// Window coordinates. thickness is the system's bar thickness; the edge is
// what is left of the non-client area beside the bar, shared by both sides.
TScrollBarRects ScrollBarRects(int width, int height, int clientWidth, int clientHeight, int thickness, bool horz,
                               bool vert, bool leftScrollBar);

int ArrowLength(int barLength, int thickness);

struct TScrollValues {
  int Min = 0, Max = 0, Page = 0, Pos = 0;
};

struct TThumb {
  bool Valid = false;  // false: nothing to draw or hit (no range, no room)
  int Size = 0;
  int Offset = 0;  // from the track's start
};

// track is the length between the arrows; minimum the least thumb size the
// platform allows; systemThumb the size used without a page.
TThumb ThumbOf(const TScrollValues& v, int track, int minimum, int systemThumb);

// The position for a thumb dragged to offset, clamped to what the bar can
// show: with a page up to Max - Page + 1, without one up to Max.
int DragPosition(const TScrollValues& v, int offset, int track, int thumbSize);

// The scroll codes as the control receives them, and shNowhere.
enum TScrollHit : int {
  shLineUp = 0,
  shLineDown = 1,
  shPageUp = 2,
  shPageDown = 3,
  shThumbPosition = 4,
  shThumbTrack = 5,
  shEndScroll = 8,
  shNowhere = -1
};

// along counts from the bar's start (left or top).
TScrollHit HitAlongBar(int along, int barLength, int arrow, const TThumb& thumb);

// Parts: 0 none, 1 left arrow, 2 right arrow, 3 up arrow, 4 down arrow,
// 5 horizontal thumb, 6 vertical thumb.
enum TScrollPart : int { spNone, spLeft, spRight, spUp, spDown, spHorzThumb, spVertThumb };
// The part while the control handles a scroll message of code.
TScrollPart PartBeforeScroll(bool vertical, int code);
// The part once it has: arrows and thumb stay pressed while they repeat or
// track, the end of a page or of the scroll lets go.
TScrollPart PartAfterScroll(bool vertical, int code, TScrollPart current);

}  // namespace pellamy
