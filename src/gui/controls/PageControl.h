// The tab controls: TCustomTabControl (the system tab strip), TTabControl
// (tabs as strings over one display area) and TPageControl with its
// TTabSheet pages, shown one at a time. Included by ComCtrls.h.
#pragma once

#include <string>
#include <vector>

#include "gui/controls/Controls.h"

namespace pellamy {

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
using TTabChangingEvent = std::function<void(TComponent* sender, bool& allowChange)>;

// What skins find tab strips by.
class TCustomTabControl : public TWinControl {
 public:
  explicit TCustomTabControl(TComponent* owner);
  std::string ClassName() const override { return "TCustomTabControl"; }

  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool value);
  TTabPosition TabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition value);
  // The selected tab, or -1.
  int TabIndex() const;
  // The area inside the tabs' frame, in client coordinates.
  RECT DisplayRect() const;
  int TabStripCount() const;
  RECT TabRect(int index) const;
  // The tab at a client point, or -1.
  int IndexOfTabAt(int x, int y) const;

  TNotifyEvent OnChange;
  // Before the user picks another tab; clearing allowChange refuses it.
  TTabChangingEvent OnChanging;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;
  // The tabs as the window shows them; derived classes decide the texts.
  void SetStripTabs(const std::vector<std::string>& texts, int selected);
  void SelectStripTab(int index);
  virtual bool CanChange();
  virtual void Change();
  // Ctrl+Tab and Ctrl+Shift+Tab: the next or previous tab, going round.
  virtual void SelectNextTab(bool forward);
  void Resize() override;
  virtual void LayoutDisplay() {}

 private:
  std::vector<std::string> FStrip;  // the window's tab texts
  int FStripIndex = -1;
  bool FMultiLine = false;
  TTabPosition FTabPosition = tpTop;
};

class TTabControl : public TCustomTabControl {
 public:
  explicit TTabControl(TComponent* owner);
  std::string ClassName() const override { return "TTabControl"; }

  const std::vector<std::string>& Tabs() const { return FTabs; }
  void SetTabs(const std::vector<std::string>& tabs);
  int AddTab(const std::string& text);
  void DeleteTab(int index);
  int TabCount() const { return static_cast<int>(FTabs.size()); }
  void SetTabIndex(int index);

 protected:
  void CreateHandleDone() override;
  void Change() override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  std::vector<std::string> FTabs;
  int FTabIndex = -1;
};

class TPageControl;

// One page: a windowed control in the page control's display area whose
// caption is its tab's text.
class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  std::string ClassName() const override { return "TTabSheet"; }

  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* control);
  void SetParent(TWinControl* parent) override;
  int PageIndex() const;
  void SetPageIndex(int index);
  // Hidden tabs keep their page, which the program can still show.
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool value);
  // The position of its tab among the visible ones, or -1.
  int TabIndex() const;

 protected:
  void TextChanged() override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
};

class TPageControl : public TCustomTabControl {
 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  std::string ClassName() const override { return "TPageControl"; }

  int PageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet* Pages(int index) const;
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);
  // The page after (or before) current whose tab shows, going round.
  TTabSheet* FindNextPage(TTabSheet* current, bool forward) const;
  void SelectNextPage(bool forward);

 protected:
  void CreateHandleDone() override;
  void Change() override;
  void SelectNextTab(bool forward) override { SelectNextPage(forward); }
  void LayoutDisplay() override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void MovePage(TTabSheet* page, int index);
  void UpdateTabs();
  void ShowActive();
  TTabSheet* PageOfTab(int tabIndex) const;
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
};

}  // namespace pellamy
