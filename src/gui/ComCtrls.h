// The common controls the program's window uses: TListView (report view with
// check boxes), TStatusBar (panels) and TProgressBar.
#pragma once

#include <string>
#include <vector>

#include "Controls.h"

namespace pellamy {

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

struct TListColumn {
  std::string Caption;
  int Width = 50;
};

class TListView : public TWinControl {
 public:
  explicit TListView(TComponent* owner);
  std::string ClassName() const override { return "TListView"; }

  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle style) { FViewStyle = style; }
  bool Checkboxes() const { return FCheckboxes; }
  void SetCheckboxes(bool value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }

  void AddColumn(const std::string& caption, int width);
  int ColumnCount() const { return static_cast<int>(FColumns.size()); }
  const TListColumn& Column(int index) const { return FColumns.at(static_cast<std::size_t>(index)); }

  // Items by position.
  void ClearItems();
  int AddItem(const std::string& caption);
  void AddSubItem(int item, const std::string& text);
  int ItemCount() const;
  std::string ItemCaption(int item) const;
  std::vector<std::string> SubItems(int item) const;
  bool Checked(int item) const;
  void SetChecked(int item, bool checked);
  // The first selected item, or -1.
  int Selected() const;
  void SetSelected(int item);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  struct TItem {
    std::string Caption;
    std::vector<std::string> SubItems;
    bool Checked = false;
  };
  void ApplyExtendedStyle();
  void InsertItemWindow(int index);

  TViewStyle FViewStyle = vsIcon;
  bool FCheckboxes = false;
  bool FRowSelect = false;
  bool FReadOnly = false;
  std::vector<TListColumn> FColumns;
  std::vector<TItem> FItems;  // the list as long as there is no window
};

struct TStatusPanel {
  std::string Text;
  int Width = 50;
};

class TStatusBar : public TWinControl {
 public:
  explicit TStatusBar(TComponent* owner);
  std::string ClassName() const override { return "TStatusBar"; }

  void AddPanel(int width);
  int PanelCount() const { return static_cast<int>(FPanels.size()); }
  const TStatusPanel& Panel(int index) const { return FPanels.at(static_cast<std::size_t>(index)); }
  void SetPanelText(int index, const std::string& text);
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool value);
  // The right edges of the panels as the bar lays them out; the last panel
  // reaches the bar's right edge.
  std::vector<int> PanelEdges() const;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;

 private:
  void UpdatePanels();
  std::vector<TStatusPanel> FPanels;
  bool FSimplePanel = false;
};

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner);
  std::string ClassName() const override { return "TProgressBar"; }
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  void SetRange(int min, int max);
  int Position() const;
  void SetPosition(int position);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  int FMin = 0, FMax = 100, FPosition = 0;
};

}  // namespace pellamy
