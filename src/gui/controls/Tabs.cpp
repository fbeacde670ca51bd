#include "gui/controls/Tabs.h"

#include <windowsx.h>

#include <algorithm>

#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

namespace {
constexpr int kStartMargin = 5;   // room left of the first tab
constexpr int kTabMargin = 8;     // room either side of a caption
constexpr int kSlant = 4;         // how far a tab's sides lean in
constexpr int kButtonWidth = 16;  // each scroll arrow
}  // namespace

TTabSet::TTabSet(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 185, 21);
  SetTabStop(true);
}

void TTabSet::SetTabs(const std::vector<std::string>& tabs) {
  FTabs = tabs;
  FFirstIndex = 0;
  FTabIndex = FTabs.empty() ? -1 : std::clamp(FTabIndex, 0, TabCount() - 1);
  Invalidate();
}

int TTabSet::AddTab(const std::string& caption) {
  FTabs.push_back(caption);
  if (FTabIndex < 0) FTabIndex = 0;
  Invalidate();
  return TabCount() - 1;
}

void TTabSet::SetTabIndex(int index) {
  if (index < -1 || index >= TabCount()) index = -1;
  if (index == FTabIndex) return;
  FTabIndex = index;
  MakeVisible(index);
  Invalidate();
}

void TTabSet::SelectTab(int index) {
  if (index < 0 || index >= TabCount() || index == FTabIndex) return;
  bool allow = true;
  if (OnChange) OnChange(this, index, allow);
  if (allow) SetTabIndex(index);
}

void TTabSet::SetSelectedColor(TColor color) {
  FSelectedColor = color;
  Invalidate();
}

void TTabSet::SetUnselectedColor(TColor color) {
  FUnselectedColor = color;
  Invalidate();
}

void TTabSet::SetFirstIndex(int index) {
  index = std::clamp(index, 0, std::max(TabCount() - 1, 0));
  if (index == FFirstIndex) return;
  FFirstIndex = index;
  Invalidate();
}

std::vector<int> TTabSet::TabWidths() const {
  std::vector<int> widths;
  WindowDc dc(nullptr);
  SelectGuard select(dc.get(), const_cast<TTabSet*>(this)->Font().Handle());
  for (const std::string& tab : FTabs) {
    const std::wstring text = Utf8ToWide(tab);
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    widths.push_back(size.cx + 2 * kTabMargin + 2 * kSlant);
  }
  return widths;
}

bool TTabSet::ScrollButtonsShown() const {
  if (FFirstIndex > 0) return true;
  int x = kStartMargin;
  for (int w : TabWidths()) x += w;
  return x > ClientWidth();
}

RECT TTabSet::ScrollButtonRect(bool right) const {
  const int w = ClientWidth(), h = std::min(ClientHeight(), 17);
  return right ? RECT{w - kButtonWidth, 0, w, h} : RECT{w - 2 * kButtonWidth, 0, w - kButtonWidth, h};
}

int TTabSet::VisibleCount() const {
  const std::vector<int> widths = TabWidths();
  const int limit = ClientWidth() - (ScrollButtonsShown() ? 2 * kButtonWidth : 0);
  int x = kStartMargin, count = 0;
  for (int i = FFirstIndex; i < TabCount(); ++i) {
    x += widths[static_cast<std::size_t>(i)];
    if (x > limit) break;
    ++count;
  }
  return count;
}

RECT TTabSet::TabRect(int index) const {
  if (index < FFirstIndex || index >= FFirstIndex + VisibleCount()) return RECT{0, 0, 0, 0};
  const std::vector<int> widths = TabWidths();
  int x = kStartMargin;
  for (int i = FFirstIndex; i < index; ++i) x += widths[static_cast<std::size_t>(i)];
  return RECT{x, 0, x + widths[static_cast<std::size_t>(index)], ClientHeight()};
}

int TTabSet::TabAtPos(POINT p) const {
  const int count = VisibleCount();
  for (int i = FFirstIndex; i < FFirstIndex + count; ++i) {
    const RECT r = TabRect(i);
    if (PtInRect(&r, p)) return i;
  }
  return -1;
}

void TTabSet::MakeVisible(int index) {
  if (index < 0 || index >= TabCount()) return;
  if (index < FFirstIndex) {
    SetFirstIndex(index);
    return;
  }
  while (index >= FFirstIndex + VisibleCount() && FFirstIndex < index) SetFirstIndex(FFirstIndex + 1);
}

void TTabSet::Paint(TCanvas& canvas) {
  HDC dc = canvas.Handle();
  const int w = ClientWidth(), h = ClientHeight();
  const int count = VisibleCount();
  const int bottom = std::min(h - 1, 17);
  UniquePen shadowPen(CreatePen(PS_SOLID, 1, ColorToRGB(clBtnShadow)));
  UniquePen darkPen(CreatePen(PS_SOLID, 1, ColorToRGB(cl3DDkShadow)));
  UniqueBrush selected(CreateSolidBrush(ColorToRGB(FSelectedColor)));
  UniqueBrush unselected(CreateSolidBrush(ColorToRGB(FUnselectedColor)));
  SelectGuard font(dc, Font().Handle());
  SetBkMode(dc, TRANSPARENT);
  // The edge of the page the tabs hang from.
  {
    SelectGuard pen(dc, darkPen.get());
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, w, 0);
  }
  auto drawTab = [&](int index) {
    const RECT r = TabRect(index);
    const bool isSelected = index == FTabIndex;
    // The selected tab joins the page; the others sit a little below it.
    const int top = isSelected ? 0 : 1;
    const POINT shape[] = {{r.left, top}, {r.right, top}, {r.right - kSlant, bottom}, {r.left + kSlant, bottom}};
    {
      SelectGuard pen(dc, darkPen.get());
      SelectGuard brush(dc, isSelected ? selected.get() : unselected.get());
      Polygon(dc, shape, 4);
    }
    if (isSelected) {
      // No edge between the selected tab and its page.
      UniquePen joinPen(CreatePen(PS_SOLID, 1, ColorToRGB(FSelectedColor)));
      SelectGuard pen(dc, joinPen.get());
      MoveToEx(dc, r.left + 1, 0, nullptr);
      LineTo(dc, r.right, 0);
    }
    {
      SelectGuard pen(dc, shadowPen.get());
      MoveToEx(dc, r.right - kSlant - 1, bottom - 1, nullptr);
      LineTo(dc, r.right - 1, top + 1);
    }
    const std::wstring text = Utf8ToWide(FTabs[static_cast<std::size_t>(index)]);
    RECT t{r.left + kSlant, top, r.right - kSlant, bottom};
    SetTextColor(dc, ColorToRGB(Enabled() ? Font().Color() : clGrayText));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (isSelected && Focused()) {
      RECT f = t;
      InflateRect(&f, -1, -2);
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, RGB(255, 255, 255));
      DrawFocusRect(dc, &f);
    }
  };
  for (int i = FFirstIndex + count - 1; i >= FFirstIndex; --i)
    if (i != FTabIndex) drawTab(i);
  if (FTabIndex >= FFirstIndex && FTabIndex < FFirstIndex + count) drawTab(FTabIndex);
  if (ScrollButtonsShown()) {
    RECT left = ScrollButtonRect(false), right = ScrollButtonRect(true);
    DrawFrameControl(dc, &left, DFC_SCROLL, DFCS_SCROLLLEFT | (FFirstIndex == 0 ? DFCS_INACTIVE : 0));
    const bool more = FFirstIndex + count < TabCount();
    DrawFrameControl(dc, &right, DFC_SCROLL, DFCS_SCROLLRIGHT | (more ? 0 : DFCS_INACTIVE));
  }
}

void TTabSet::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
      if (TabStop() && !Focused()) SetFocus();
      if (ScrollButtonsShown()) {
        const RECT left = ScrollButtonRect(false), right = ScrollButtonRect(true);
        if (PtInRect(&left, p)) {
          SetFirstIndex(FFirstIndex - 1);
          m.Result = 0;
          return;
        }
        if (PtInRect(&right, p)) {
          if (FFirstIndex + VisibleCount() < TabCount()) SetFirstIndex(FFirstIndex + 1);
          m.Result = 0;
          return;
        }
      }
      SelectTab(TabAtPos(p));
      break;
    }
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      return;
    case WM_KEYDOWN:
      if (m.WParam == VK_LEFT || m.WParam == VK_RIGHT) {
        if (TabCount() > 0) {
          const int step = m.WParam == VK_LEFT ? -1 : 1;
          SelectTab(std::clamp(FTabIndex + step, 0, TabCount() - 1));
        }
        m.Result = 0;
        return;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
    case WM_SIZE:
      Invalidate();
      break;
    case CM_FONTCHANGED:
      Invalidate();
      break;
    default:
      break;
  }
  TCustomControl::WndProc(m);
}

void TTabSet::DefineProperties(TPropertyTable& table) const {
  TCustomControl::DefineProperties(table);
  auto* self = const_cast<TTabSet*>(this);
  table["TabIndex"] =
      IntProp([self] { return self->FTabIndex; }, [self](std::int64_t v) { self->SetTabIndex(int(v)); });
  table["SelectedColor"] =
      IntProp([self] { return self->FSelectedColor; }, [self](std::int64_t v) { self->SetSelectedColor(TColor(v)); });
  table["UnselectedColor"] = IntProp([self] { return self->FUnselectedColor; },
                                     [self](std::int64_t v) { self->SetUnselectedColor(TColor(v)); });
}

}  // namespace pellamy
