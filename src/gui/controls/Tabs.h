// TTabSet: a row of tabs hanging from its top edge, as under the pages of a
// notebook, drawn by the library. A click or the arrow keys select a tab;
// when the tabs do not fit, two arrow buttons at the right scroll them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gui/controls/Controls.h"

namespace pellamy {

// Before the selection moves to newTab; clearing allowChange keeps it.
using TTabChangeEvent = std::function<void(TComponent* sender, int newTab, bool& allowChange)>;

class TTabSet : public TCustomControl {
 public:
  explicit TTabSet(TComponent* owner);
  std::string ClassName() const override { return "TTabSet"; }

  const std::vector<std::string>& Tabs() const { return FTabs; }
  void SetTabs(const std::vector<std::string>& tabs);
  int AddTab(const std::string& caption);
  int TabCount() const { return static_cast<int>(FTabs.size()); }
  // The selected tab, or -1.
  int TabIndex() const { return FTabIndex; }
  void SetTabIndex(int index);
  TColor SelectedColor() const { return FSelectedColor; }
  void SetSelectedColor(TColor color);
  TColor UnselectedColor() const { return FUnselectedColor; }
  void SetUnselectedColor(TColor color);
  // The first tab shown; earlier ones are scrolled out to the left.
  int FirstIndex() const { return FFirstIndex; }
  void SetFirstIndex(int index);

  // The tab at a client point, or -1.
  int TabAtPos(POINT p) const;
  // Where a shown tab lies; empty for one scrolled out or cut off.
  RECT TabRect(int index) const;
  // Whether the arrow buttons are shown, and where.
  bool ScrollButtonsShown() const;
  RECT ScrollButtonRect(bool right) const;

  TTabChangeEvent OnChange;

 protected:
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  // The tabs' widths from the first shown one, and how many fit.
  std::vector<int> TabWidths() const;
  int VisibleCount() const;
  void MakeVisible(int index);
  void SelectTab(int index);

  std::vector<std::string> FTabs;
  int FTabIndex = -1;
  int FFirstIndex = 0;
  TColor FSelectedColor = clBtnFace;
  TColor FUnselectedColor = clWindow;
};

}  // namespace pellamy
