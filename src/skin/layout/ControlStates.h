// Which state image the skinned controls draw, and the little geometry they
// share, portable:
//   GlyphImageFor       a glyph button's picture for its face state
//   TabImage            a tab head's image
//   UpDownPart, UpDownImage  the up-down's halves and their images
//   ProgressFill        how much of a progress bar is filled
//   SplitPanelText      a status panel's text and alignment
#pragma once

#include <string>

namespace pellamy {

// The glyph image for a face image index (1 normal, 2 pressed, 3 disabled,
// 4 hot), from a glyph of numGlyphs images (up, disabled, clicked, down);
// embossed tells that a disabled button without its own image draws the
// first one grayed.
int GlyphImageFor(int faceIndex, int numGlyphs, bool down, bool& embossed);

// The head image of a tab: 1 normal, 2 selected, 3 disabled, 4 hot, 5
// selected with the focus; a strip without image 5 or 4 shows 2 or 1.
int TabImage(bool selected, bool focused, bool enabled, bool hot, int count);

// Which half of an up-down of size w x h the point x, y is in: 0 the first
// (up, or left), 1 the second, -1 outside.
int UpDownPart(int w, int h, bool horizontal, int x, int y);
// The state image for one arrow: 1 normal, 2 pressed, 3 disabled, 4 hot,
// counted from 1 for the first arrow and from 5 for the second.
int UpDownImage(int part, bool enabled, int pressedPart, int hotPart);

// How much of a bar of length pixels a position fills: 0 when the range is
// empty or the position at or below its start, all of it at or past its end.
int ProgressFill(int position, int min, int max, int length);

// A status bar panel's text: a leading tab centres it, two right-align it;
// the tabs are not shown, and an empty text is a space.
enum class TPanelAlign { Left, Centre, Right };
struct TPanelText {
  std::wstring Text;
  TPanelAlign Align = TPanelAlign::Left;
};
TPanelText SplitPanelText(const std::wstring& text, bool rightToLeft);

}  // namespace pellamy
