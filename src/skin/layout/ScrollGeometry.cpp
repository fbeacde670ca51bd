#include "skin/layout/ScrollGeometry.h"

#include <algorithm>
#include <cstdint>

namespace pellamy {

namespace {

int MulDivDown(std::int64_t a, std::int64_t b, std::int64_t c) {
  return c == 0 ? 0 : static_cast<int>(a * b / c);
}

// Rounded to the nearest, as the platform's multiply-divide does.
int MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c) {
  if (c == 0) return 0;
  const std::int64_t p = a * b;
  const std::int64_t half = (c < 0 ? -c : c) / 2;
  return static_cast<int>(((p < 0) != (c < 0) ? p - half : p + half) / c);
}

}  // namespace

TScrollBarRects ScrollBarRects(int width, int height, int clientWidth, int clientHeight, int thickness, bool horz,
                               bool vert, bool leftScrollBar) {
  TScrollBarRects r;
  r.HasHorz = horz;
  r.HasVert = vert;
  if (!horz && !vert) return r;
  const int t = thickness;
  const int e = std::max(0, vert ? (width - clientWidth - t) / 2 : (height - clientHeight - t) / 2);
  const int vLeft = leftScrollBar ? e : width - e - t;
  if (horz) {
    const int left = vert && leftScrollBar ? e + t : e;
    const int right = vert && !leftScrollBar ? width - e - t : width - e;
    r.Horz = {left, height - e - t, right, height - e};
  }
  if (vert) r.Vert = {vLeft, e, vLeft + t, horz ? height - e - t : height - e};
  if (horz && vert) {
    r.HasCorner = true;
    r.Corner = {vLeft, height - e - t, vLeft + t, height - e};
  }
  return r;
}

int ArrowLength(int barLength, int thickness) {
  return barLength < 2 * thickness ? std::max(0, barLength / 2) : thickness;
}

TThumb ThumbOf(const TScrollValues& v, int track, int minimum, int systemThumb) {
  TThumb t;
  const std::int64_t range = static_cast<std::int64_t>(v.Max) - v.Min;
  if (range <= 0 || track <= 0) return t;
  int size = v.Page == 0 ? systemThumb : std::max(MulDivRound(v.Page, track, range), minimum);
  size = std::min(size, track);
  if (v.Page >= range) {
    // The whole range on view: the thumb fills the track but for a pixel.
    t.Size = std::max(0, size - 1);
    t.Offset = 0;
  } else {
    t.Size = size;
    const std::int64_t pos = std::clamp<std::int64_t>(v.Pos, v.Min, v.Max);
    t.Offset = std::clamp(MulDivDown(pos - v.Min, track - size, range - v.Page), 0, track - size);
  }
  t.Valid = true;
  return t;
}

int DragPosition(const TScrollValues& v, int offset, int track, int thumbSize) {
  const std::int64_t range = static_cast<std::int64_t>(v.Max) - v.Min;
  if (range <= 0) return v.Min;
  offset = std::max(offset, 0);
  std::int64_t pos;
  if (v.Page > 0) {
    offset = std::min(offset, track);
    pos = track <= 0 ? v.Min : offset * range / track + v.Min;
    pos = std::min<std::int64_t>(pos, static_cast<std::int64_t>(v.Max) - v.Page + 1);
  } else {
    const int room = track - thumbSize;
    offset = std::min(offset, std::max(room, 0));
    pos = room <= 0 ? v.Min : offset * range / room + v.Min;
    pos = std::min<std::int64_t>(pos, v.Max);
  }
  return static_cast<int>(std::max<std::int64_t>(pos, v.Min));
}

TScrollHit HitAlongBar(int along, int barLength, int arrow, const TThumb& thumb) {
  if (along < 0 || along >= barLength) return shNowhere;
  if (along < arrow) return shLineUp;
  if (along >= barLength - arrow) return shLineDown;
  if (!thumb.Valid) return shNowhere;
  const int start = arrow + thumb.Offset;
  if (along < start) return shPageUp;
  if (along < start + thumb.Size) return shThumbTrack;
  return shPageDown;
}

TScrollPart PartBeforeScroll(bool vertical, int code) {
  switch (code) {
    case shLineUp:
      return vertical ? spUp : spLeft;
    case shLineDown:
      return vertical ? spDown : spRight;
    case shThumbTrack:
      return vertical ? spVertThumb : spHorzThumb;
    default:
      return spNone;
  }
}

TScrollPart PartAfterScroll(bool vertical, int code, TScrollPart current) {
  switch (code) {
    case shLineUp:
    case shLineDown:
      return PartBeforeScroll(vertical, code);
    case shPageUp:
    case shPageDown:
    case shEndScroll:
      return spNone;
    case shThumbPosition:
    case shThumbTrack:
      return vertical ? spVertThumb : spHorzThumb;
    default:
      return current;
  }
}

}  // namespace pellamy
