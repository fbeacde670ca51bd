// TCustomListView and TListView: the report view with check boxes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/controls/Controls.h"

namespace pellamy {

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

struct TListColumn {
  std::string Caption;
  int Width = 50;
};

// The list view's behaviour; skins find list views through this kind.
class TCustomListView : public TWinControl {
 public:
  explicit TCustomListView(TComponent* owner);
  std::string ClassName() const override { return "TCustomListView"; }

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
  // An item that cannot be ticked shows no check box and is never checked.
  void SetCheckable(int item, bool checkable);
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
    bool Checkable = true;
  };
  void ShowCheckState(int index);
  void ApplyExtendedStyle();
  void InsertItemWindow(int index);

  TViewStyle FViewStyle = vsIcon;
  bool FCheckboxes = false;
  bool FRowSelect = false;
  bool FReadOnly = false;
  std::vector<TListColumn> FColumns;
  std::vector<TItem> FItems;  // the list as long as there is no window
};

class TListView : public TCustomListView {
 public:
  explicit TListView(TComponent* owner) : TCustomListView(owner) {}
  std::string ClassName() const override { return "TListView"; }
};

}  // namespace pellamy
