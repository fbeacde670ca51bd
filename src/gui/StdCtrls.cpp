#include "StdCtrls.h"

#include <windowsx.h>

#include <algorithm>

#include "Exceptions.h"
#include "GdiHandles.h"
#include "WideText.h"

namespace pellamy {

int FontTextHeight(TFont& font) {
  WindowDc dc(nullptr);
  SelectGuard select(dc.get(), font.Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc.get(), &tm);
  return tm.tmHeight;
}

// ------------------------------------------------------------------ TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 65, 17);
  SetAutoSize(true);
}

void TLabel::SetTransparent(bool value) {
  FTransparent = value;
  Invalidate();
}

void TLabel::AdjustSize() {
  if (!AutoSize()) return;
  RECT r{0, 0, 0, 0};
  {
    WindowDc dc(nullptr);
    SelectGuard select(dc.get(), Font().Handle());
    const std::wstring text = Utf8ToWide(FText.empty() ? std::string(" ") : FText);
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  }
  SetBounds(Left(), Top(), r.right, r.bottom);
}

void TLabel::Paint() {
  TCanvas& canvas = *Canvas();
  HDC dc = canvas.Handle();
  RECT r{0, 0, Width(), Height()};
  if (!FTransparent) {
    canvas.Brush().SetColor(Parent() != nullptr ? Parent()->Color() : Color());
    canvas.FillRect(r);
  }
  SelectGuard select(dc, Font().Handle());
  SetBkMode(dc, TRANSPARENT);
  const std::wstring text = Utf8ToWide(FText);
  if (Enabled()) {
    SetTextColor(dc, ColorToRGB(Font().Color()));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX);
  } else {
    RECT shifted = r;
    OffsetRect(&shifted, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shifted, DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX);
  }
}

// ----------------------------------------------------------------- TButton

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = "BUTTON";
  p.Style |= BS_PUSHBUTTON;
}

void TButton::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    Click();
    return;
  }
  TWinControl::WndProc(m);
}

// ------------------------------------------------------------------- TEdit

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetColor(clWindow);
}

void TEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = "EDIT";
  p.Style |= ES_AUTOHSCROLL | ES_LEFT;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == EN_CHANGE) {
    if (OnChange) OnChange(this);
    return;
  }
  TWinControl::WndProc(m);
}

// --------------------------------------------------------------- TComboBox

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetColor(clWindow);
}

void TComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = "COMBOBOX";
  p.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
  p.Style |= FStyle == csDropDownList ? CBS_DROPDOWNLIST : FStyle == csSimple ? CBS_SIMPLE : CBS_DROPDOWN;
  // The window's height includes its drop-down list.
  p.Height = std::max(Height(), 200);
}

void TComboBox::CreateHandleDone() {
  HWND h = Handle();
  for (const auto& [text, value] : FItems) {
    const LRESULT i = SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(text).c_str()));
    SendMessageW(h, CB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(value));
  }
  SendMessageW(h, CB_SETITEMHEIGHT, 0, FItemHeight);
  SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
}

void TComboBox::SetItemHeight(int height) {
  FItemHeight = height;
  if (HandleAllocated()) SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, height);
}

void TComboBox::Clear() {
  FItems.clear();
  FItemIndex = -1;
  if (HandleAllocated()) SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
}

int TComboBox::AddItem(const std::string& text, std::intptr_t value) {
  FItems.emplace_back(text, value);
  if (HandleAllocated()) {
    const LRESULT i = SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(text).c_str()));
    SendMessageW(Handle(), CB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(value));
  }
  return ItemCount() - 1;
}

const std::string& TComboBox::Items(int index) const {
  if (index < 0 || index >= ItemCount()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  return FItems[static_cast<std::size_t>(index)].first;
}

std::intptr_t TComboBox::Objects(int index) const {
  if (index < 0 || index >= ItemCount()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  return FItems[static_cast<std::size_t>(index)].second;
}

int TComboBox::ItemIndex() const {
  if (HandleAllocated())
    return static_cast<int>(SendMessageW(const_cast<TComboBox*>(this)->Handle(), CB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TComboBox::SetItemIndex(int index) {
  FItemIndex = index >= 0 && index < ItemCount() ? index : -1;
  if (HandleAllocated()) SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
}

void TComboBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    const WORD code = HIWORD(m.WParam);
    if (code == CBN_SELCHANGE) {
      FItemIndex = static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
      if (OnChange) OnChange(this);
      if (OnSelect) OnSelect(this);
      return;
    }
  }
  TWinControl::WndProc(m);
}

void TComboBox::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TComboBox*>(this);
  table["Style"] = EnumProp(
      {"csDropDown", "csSimple", "csDropDownList"}, [self] { return int(self->FStyle); },
      [self](int v) { self->FStyle = TComboBoxStyle(v); });
  table["ItemIndex"] =
      IntProp([self] { return self->ItemIndex(); }, [self](std::int64_t v) { self->SetItemIndex(int(v)); });
  table["ItemHeight"] =
      IntProp([self] { return self->FItemHeight; }, [self](std::int64_t v) { self->SetItemHeight(int(v)); });
}

// --------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 185, 105);
}

RECT TGroupBox::ClientRect() const {
  RECT r = TCustomControl::ClientRect();
  return r;
}

void TGroupBox::Paint(TCanvas& canvas) {
  HDC dc = canvas.Handle();
  SelectGuard select(dc, Font().Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  RECT frame{0, tm.tmHeight / 2 - 1, Width(), Height()};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  const std::wstring text = Utf8ToWide(FText);
  if (!text.empty()) {
    RECT t{8, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(t);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Enabled() ? Font().Color() : clGrayText));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_SINGLELINE | DT_NOPREFIX);
  }
}

// ------------------------------------------------------------ TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 113, 17);
  SetTabStop(true);
}

void TRadioButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = "BUTTON";
  p.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateHandleDone() {
  SendMessageW(Handle(), BM_SETCHECK, FChecked ? BST_CHECKED : 0, 0);
}

bool TRadioButton::Checked() const {
  return FChecked;
}

void TRadioButton::SetChecked(bool value) {
  if (FChecked == value) return;
  FChecked = value;
  if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, value ? BST_CHECKED : 0, 0);
  if (value && Parent() != nullptr) {
    // One checked button per parent.
    for (int i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); other != nullptr && other != this)
        other->SetChecked(false);
  }
  if (OnChange) OnChange(this);
}

void TRadioButton::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && (HIWORD(m.WParam) == BN_CLICKED || HIWORD(m.WParam) == BN_DOUBLECLICKED)) {
    SetChecked(true);
    Click();
    return;
  }
  TWinControl::WndProc(m);
}

void TRadioButton::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TRadioButton*>(this);
  table["Checked"] = BoolProp([self] { return self->Checked(); }, [self](bool v) { self->SetChecked(v); });
}

// ------------------------------------------------------------- TRadioGroup

TRadioGroup::TRadioGroup(TComponent* owner) : TGroupBox(owner) {}

void TRadioGroup::SetItems(const std::vector<std::string>& items) {
  for (TRadioButton* b : FButtons) delete b;
  FButtons.clear();
  for (const std::string& text : items) {
    auto* b = new TRadioButton(this);
    b->SetCaption(text);
    b->SetParent(this);
    const int index = static_cast<int>(FButtons.size());
    b->OnChange = [this, index](TComponent* sender) {
      if (static_cast<TRadioButton*>(sender)->Checked()) FItemIndex = index;
    };
    FButtons.push_back(b);
  }
  SetItemIndex(FItemIndex);
  ArrangeButtons();
}

void TRadioGroup::SetColumns(int columns) {
  FColumns = std::clamp(columns, 1, 16);
  ArrangeButtons();
}

int TRadioGroup::ItemIndex() const {
  return FItemIndex;
}

void TRadioGroup::SetItemIndex(int index) {
  FItemIndex = index >= 0 && index < ItemCount() ? index : -1;
  for (int i = 0; i < ItemCount(); ++i) FButtons[static_cast<std::size_t>(i)]->SetChecked(i == FItemIndex);
}

void TRadioGroup::SetBounds(int left, int top, int width, int height) {
  TGroupBox::SetBounds(left, top, width, height);
  ArrangeButtons();
}

void TRadioGroup::FontChanged() {
  TGroupBox::FontChanged();
  ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
  if (FButtons.empty()) return;
  const int textHeight = FontTextHeight(Font());
  const int count = static_cast<int>(FButtons.size());
  const int perColumn = (count + FColumns - 1) / FColumns;
  const int buttonWidth = (Width() - 10) / FColumns;
  const int space = Height() - textHeight - 5;
  const int buttonHeight = space / perColumn;
  const int topMargin = textHeight + 1 + (space % perColumn) / 2;
  for (int i = 0; i < count; ++i) {
    FButtons[static_cast<std::size_t>(i)]->SetBounds(
        (i / perColumn) * buttonWidth + 8, (i % perColumn) * buttonHeight + topMargin, buttonWidth, buttonHeight);
  }
}

void TRadioGroup::DefineProperties(TPropertyTable& table) const {
  TGroupBox::DefineProperties(table);
  auto* self = const_cast<TRadioGroup*>(this);
  table["ItemIndex"] =
      IntProp([self] { return self->FItemIndex; }, [self](std::int64_t v) { self->SetItemIndex(int(v)); });
  table["Columns"] = IntProp([self] { return self->FColumns; }, [self](std::int64_t v) { self->SetColumns(int(v)); });
}

}  // namespace pellamy
