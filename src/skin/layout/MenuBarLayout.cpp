#include "skin/layout/MenuBarLayout.h"

#include <cwctype>

namespace pellamy {

std::vector<TBarSpan> LayoutBarButtons(const std::vector<int>& textWidths, int barLeft, int barRight, int padding,
                                       bool rightToLeft) {
  std::vector<TBarSpan> spans;
  int x = rightToLeft ? barRight : barLeft;
  for (int w : textWidths) {
    const int width = w + 2 * padding;
    if (rightToLeft) {
      spans.push_back({x - width, x});
      x -= width;
    } else {
      spans.push_back({x, x + width});
      x += width;
    }
  }
  return spans;
}

int FirstButtonInset(bool hasImage, int endWidth, bool rightToLeft) {
  if (!hasImage) return 6;
  return endWidth + (rightToLeft ? 8 : 4);
}

wchar_t AcceleratorOf(const std::wstring& caption, std::wstring* plain, int* at) {
  wchar_t key = 0;
  std::wstring text;
  int index = -1;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size()) {
      ++i;
      if (caption[i] != L'&' && key == 0) {
        key = static_cast<wchar_t>(std::towlower(caption[i]));
        index = static_cast<int>(text.size());
      }
    }
    text += caption[i];
  }
  if (plain != nullptr) *plain = text;
  if (at != nullptr) *at = index;
  return key;
}

}  // namespace pellamy
