#include "skin/layout/ControlStates.h"

#include <algorithm>

namespace pellamy {

int GlyphImageFor(int faceIndex, int numGlyphs, bool down, bool& embossed) {
  embossed = false;
  if (faceIndex == 3) {
    if (numGlyphs > 1) return 1;
    embossed = true;
    return 0;
  }
  if (down && numGlyphs > 3) return 3;
  if (faceIndex == 2 && numGlyphs > 2) return 2;
  return 0;
}

int TabImage(bool selected, bool focused, bool enabled, bool hot, int count) {
  int image = 1;
  if (!enabled)
    image = 3;
  else if (selected)
    image = focused ? 5 : 2;
  else if (hot)
    image = 4;
  if (image == 5 && count < 5) image = 2;
  if (image == 4 && count < 4) image = 1;
  if (image > count) image = 1;
  return image;
}

int UpDownPart(int w, int h, bool horizontal, int x, int y) {
  if (x < 0 || y < 0 || x >= w || y >= h) return -1;
  return horizontal ? (x < w / 2 ? 0 : 1) : (y < h / 2 ? 0 : 1);
}

int UpDownImage(int part, bool enabled, int pressedPart, int hotPart) {
  int state = 1;
  if (!enabled)
    state = 3;
  else if (pressedPart == part)
    state = 2;
  else if (hotPart == part)
    state = 4;
  return part * 4 + state;
}

int ProgressFill(int position, int min, int max, int length) {
  if (max <= min || length <= 0 || position <= min) return 0;
  const long long range = static_cast<long long>(max) - min;
  const long long done = static_cast<long long>(std::min(position, max)) - min;
  return static_cast<int>(done * length / range);
}

TPanelText SplitPanelText(const std::wstring& text, bool rightToLeft) {
  TPanelText out;
  std::size_t tabs = 0;
  while (tabs < text.size() && tabs < 2 && text[tabs] == L'\t') ++tabs;
  out.Text = text.substr(tabs);
  out.Align = tabs == 1 ? TPanelAlign::Centre : tabs == 2 ? TPanelAlign::Right : TPanelAlign::Left;
  if (rightToLeft && out.Align != TPanelAlign::Centre)
    out.Align = out.Align == TPanelAlign::Left ? TPanelAlign::Right : TPanelAlign::Left;
  if (out.Text.empty()) out.Text = L" ";
  return out;
}

}  // namespace pellamy
