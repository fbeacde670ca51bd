// The standard controls the program's window uses: TLabel (windowless),
// TButton, TEdit, TComboBox, TGroupBox and TRadioGroup.
#pragma once

#include <string>
#include <vector>

#include "Controls.h"

namespace pellamy {

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

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  std::string ClassName() const override { return "TButton"; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
};

class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* owner);
  std::string ClassName() const override { return "TEdit"; }
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* owner);
  std::string ClassName() const override { return "TComboBox"; }

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

class TGroupBox : public TCustomControl {
 public:
  explicit TGroupBox(TComponent* owner);
  std::string ClassName() const override { return "TGroupBox"; }
  RECT ClientRect() const override;

 protected:
  void Paint(TCanvas& canvas) override;
  void TextChanged() override { Invalidate(); }
};

class TRadioButton : public TWinControl {
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

class TRadioGroup : public TGroupBox {
 public:
  explicit TRadioGroup(TComponent* owner);
  std::string ClassName() const override { return "TRadioGroup"; }

  void SetItems(const std::vector<std::string>& items);
  int ItemCount() const { return static_cast<int>(FButtons.size()); }
  TRadioButton* Buttons(int index) const { return FButtons.at(static_cast<std::size_t>(index)); }
  int Columns() const { return FColumns; }
  void SetColumns(int columns);
  int ItemIndex() const;
  void SetItemIndex(int index);
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  void FontChanged() override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  void ArrangeButtons();
  std::vector<TRadioButton*> FButtons;
  int FColumns = 1;
  int FItemIndex = -1;
};

// The text height of a font in pixels, for layout.
int FontTextHeight(TFont& font);

}  // namespace pellamy
