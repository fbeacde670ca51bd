// The standard controls: TLabel (windowless), TCustomEdit/TEdit,
// TCustomMemo/TMemo, TCustomComboBox/TComboBox, TButtonControl, TButton,
// TCustomCheckBox/TCheckBox, TRadioButton, TCustomGroupBox/TGroupBox,
// TCustomRadioGroup/TRadioGroup, TCustomListBox/TListBox and TScrollBar.
// The "custom" classes are the kinds the skin engine tells controls apart by.
#pragma once

#include <string>
#include <vector>

#include "gui/controls/Controls.h"

namespace pellamy {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// Where a check box's text goes: taLeftJustify puts it left of the box.
using TLeftRight = TAlignment;
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* owner);
  std::string ClassName() const override { return "TLabel"; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

 protected:
  void Paint() override;
  void AdjustSize() override;

 private:
  bool FTransparent = false;
};

// ---- Edits ----

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* owner);
  std::string ClassName() const override { return "TCustomEdit"; }

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  // 0 is no limit.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int value);
  bool Modified() const;
  void SetModified(bool value);
  void SelectAll();
  int SelStart() const;
  int SelLength() const;
  void SetSelection(int start, int length);
  void Clear() { SetText(""); }

  TNotifyEvent OnChange;

 protected:
  bool AnswerControlColour(TMessage& message) override;
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;
  virtual void Change();
  // Makes the window again (for styles a window cannot change), keeping the
  // text.
  void RecreateWnd();

 private:
  bool FReadOnly = false;
  int FMaxLength = 0;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
  std::string ClassName() const override { return "TEdit"; }
};

class TCustomMemo : public TCustomEdit {
 public:
  explicit TCustomMemo(TComponent* owner);
  std::string ClassName() const override { return "TCustomMemo"; }

  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  // Enter makes a new line; without it Ctrl+Enter does.
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool value) { FWantReturns = value; }
  // Tab types a tab; without it Tab moves to the next control.
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool value) { FWantTabs = value; }

  // The text as lines (split at CR LF, LF or CR; no empty last line for a
  // final line break).
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& lines);
  void AddLine(const std::string& line);
  int LineCount() const { return static_cast<int>(Lines().size()); }
  std::string Line(int index) const;
  // The line the caret is on.
  int CaretLine() const;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  bool FWantReturns = true;
  bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
 public:
  explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
  std::string ClassName() const override { return "TMemo"; }
};

// ---- Combo box ----

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

class TCustomComboBox : public TWinControl {
 public:
  explicit TCustomComboBox(TComponent* owner);
  std::string ClassName() const override { return "TCustomComboBox"; }

  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle style) { FStyle = style; }
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int height);

  // Items with an associated value each.
  void Clear();
  int AddItem(const std::string& text, std::intptr_t value);
  int ItemCount() const { return static_cast<int>(FItems.size()); }
  const std::string& Items(int index) const;
  // The value of an item; "List index out of bounds (%d)" for a bad index.
  std::intptr_t Objects(int index) const;
  int ItemIndex() const;
  void SetItemIndex(int index);
  bool DroppedDown() const;

  TNotifyEvent OnSelect;
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  TComboBoxStyle FStyle = csDropDown;
  int FItemHeight = 13;
  int FItemIndex = -1;
  std::vector<std::pair<std::string, std::intptr_t>> FItems;
};

class TComboBox : public TCustomComboBox {
 public:
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
  std::string ClassName() const override { return "TComboBox"; }
};

// ---- Buttons ----

// What push buttons, check boxes and radio buttons share: a "BUTTON" window
// that reports clicks through BN_CLICKED.
class TButtonControl : public TWinControl {
 public:
  explicit TButtonControl(TComponent* owner);
  std::string ClassName() const override { return "TButtonControl"; }

 protected:
  void CreateParams(TCreateParams& params) override;
};

class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* owner);
  std::string ClassName() const override { return "TButton"; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCustomCheckBox : public TButtonControl {
 public:
  explicit TCustomCheckBox(TComponent* owner);
  std::string ClassName() const override { return "TCustomCheckBox"; }

  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState state);
  // Clicks go from unchecked to grayed (or to checked without it), from
  // grayed to checked and from checked to unchecked.
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value) { FAllowGrayed = value; }
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;
  // The next state of a click.
  virtual void Toggle();

 private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  TLeftRight FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
 public:
  explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
  std::string ClassName() const override { return "TCheckBox"; }
};

class TRadioButton : public TButtonControl {
 public:
  explicit TRadioButton(TComponent* owner);
  std::string ClassName() const override { return "TRadioButton"; }
  bool Checked() const;
  void SetChecked(bool value);
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  bool FChecked = false;
};

// ---- Group boxes ----

class TCustomGroupBox : public TCustomControl {
 public:
  explicit TCustomGroupBox(TComponent* owner);
  std::string ClassName() const override { return "TCustomGroupBox"; }

 protected:
  void Paint(TCanvas& canvas) override;
  void TextChanged() override { Invalidate(); }
};

class TGroupBox : public TCustomGroupBox {
 public:
  explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
  std::string ClassName() const override { return "TGroupBox"; }
};

class TCustomRadioGroup : public TCustomGroupBox {
 public:
  explicit TCustomRadioGroup(TComponent* owner);
  std::string ClassName() const override { return "TCustomRadioGroup"; }

  void SetItems(const std::vector<std::string>& items);
  int ItemCount() const { return static_cast<int>(FButtons.size()); }
  TRadioButton* Buttons(int index) const { return FButtons.at(static_cast<std::size_t>(index)); }
  int Columns() const { return FColumns; }
  void SetColumns(int columns);
  int ItemIndex() const;
  void SetItemIndex(int index);
  void SetBounds(int left, int top, int width, int height) override;

  TNotifyEvent OnChange;

 protected:
  void FontChanged() override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  void ArrangeButtons();
  std::vector<TRadioButton*> FButtons;
  int FColumns = 1;
  int FItemIndex = -1;
};

class TRadioGroup : public TCustomRadioGroup {
 public:
  explicit TRadioGroup(TComponent* owner) : TCustomRadioGroup(owner) {}
  std::string ClassName() const override { return "TRadioGroup"; }
};

// ---- List box ----

class TCustomListBox : public TWinControl {
 public:
  explicit TCustomListBox(TComponent* owner);
  std::string ClassName() const override { return "TCustomListBox"; }

  // Items with an associated value each; a sorted list keeps them in
  // case-insensitive order and adds each new one in its place.
  void Clear();
  int AddItem(const std::string& text, std::intptr_t value = 0);
  void DeleteItem(int index);
  int ItemCount() const { return static_cast<int>(FItems.size()); }
  const std::string& Items(int index) const;
  std::intptr_t Objects(int index) const;
  int IndexOf(const std::string& text) const;

  bool Sorted() const { return FSorted; }
  void SetSorted(bool value);
  // Several items selected at once (Shift and Ctrl with the mouse and keys).
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool value);
  bool Selected(int index) const;
  void SetSelected(int index, bool value);
  int SelCount() const;
  // The selected item, or in a multi-selection list the focused one; -1 for
  // none.
  int ItemIndex() const;
  void SetItemIndex(int index);
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int height);
  int TopIndex() const;
  void SetTopIndex(int index);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  struct TItem {
    std::string Text;
    std::intptr_t Value = 0;
    bool Selected = false;
  };
  void SaveState();
  void RecreateWnd();
  int InsertPosition(const std::string& text) const;

  std::vector<TItem> FItems;
  bool FSorted = false;
  bool FMultiSelect = false;
  int FItemHeight = 13;
  int FItemIndex = -1;
  int FTopIndex = 0;
};

class TListBox : public TCustomListBox {
 public:
  explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
  std::string ClassName() const override { return "TListBox"; }
};

// ---- Scroll bar ----

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
// Tells where the bar is going; the handler may change the position.
using TScrollEvent = std::function<void(TComponent* sender, TScrollCode code, int& position)>;

class TScrollBar : public TWinControl {
 public:
  explicit TScrollBar(TComponent* owner);
  std::string ClassName() const override { return "TScrollBar"; }

  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind kind);
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  void SetMin(int value) { SetParams(FPosition, value, FMax); }
  void SetMax(int value) { SetParams(FPosition, FMin, value); }
  int Position() const { return FPosition; }
  void SetPosition(int value) { SetParams(value, FMin, FMax); }
  void SetParams(int position, int min, int max);
  int SmallChange() const { return FSmallChange; }
  void SetSmallChange(int value) { FSmallChange = value; }
  int LargeChange() const { return FLargeChange; }
  void SetLargeChange(int value) { FLargeChange = value; }
  // The thumb's size in units of the range; 0 is the system's square thumb.
  int PageSize() const { return FPageSize; }
  void SetPageSize(int value);

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  void UpdateScrollInfo();
  void DoScroll(int code);
  // The highest position the thumb can take.
  int TopPosition() const;

  TScrollBarKind FKind = sbHorizontal;
  int FMin = 0, FMax = 100, FPosition = 0;
  int FSmallChange = 1, FLargeChange = 1, FPageSize = 0;
};

// The text height of a font in pixels, for layout.
int FontTextHeight(TFont& font);

}  // namespace pellamy
