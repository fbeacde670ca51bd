// The skinned menu bar's rules, portable: where its buttons go and which
// letter opens each.
#pragma once

#include <string>
#include <vector>

namespace pellamy {

struct TBarSpan {
  int Left = 0;
  int Right = 0;
  bool operator==(const TBarSpan&) const = default;
};

// Buttons of the given text widths, each padded on both sides, from the
// bar's left end, or from its right end for right-to-left windows.
std::vector<TBarSpan> LayoutBarButtons(const std::vector<int>& textWidths, int barLeft, int barRight, int padding,
                                       bool rightToLeft);

// Where the first button starts, inward from the bar's start edge: past the
// skin's end piece (endWidth, the right one for right-to-left windows) with a
// gap, or a fixed gap on a bar filled with the Menubar colour.
int FirstButtonInset(bool hasImage, int endWidth, bool rightToLeft);

// The accelerator of a caption ("&File" gives 'f'), 0 without one; "&&" is a
// plain ampersand. plain receives the caption without its markers and at the
// accelerator's index in it (-1 without one).
wchar_t AcceleratorOf(const std::wstring& caption, std::wstring* plain, int* at);

}  // namespace pellamy
