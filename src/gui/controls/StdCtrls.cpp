#include "gui/controls/StdCtrls.h"

#include <windowsx.h>

#include <algorithm>

#include "base/Exceptions.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/WideText.h"

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

// ------------------------------------------------------------- TCustomEdit

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetColor(clWindow);
}

bool TCustomEdit::AnswerControlColour(TMessage& m) {
  // Read-only and disabled edits ask as statics: the system's grey tells
  // them apart unless the edit was given a colour of its own.
  if (m.Msg == CN_CTLCOLORSTATIC && Color() == clWindow) return false;
  return TWinControl::AnswerControlColour(m);
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = "EDIT";
  p.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (FReadOnly) p.Style |= ES_READONLY;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateHandleDone() {
  SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TCustomEdit::SetReadOnly(bool value) {
  FReadOnly = value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, value ? TRUE : FALSE, 0);
}

void TCustomEdit::SetMaxLength(int value) {
  FMaxLength = std::max(0, value);
  if (HandleAllocated()) SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

bool TCustomEdit::Modified() const {
  return HandleAllocated() && SendMessageW(const_cast<TCustomEdit*>(this)->Handle(), EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool value) {
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETMODIFY, value ? TRUE : FALSE, 0);
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

int TCustomEdit::SelStart() const {
  if (!HandleAllocated()) return 0;
  DWORD start = 0, end = 0;
  SendMessageW(const_cast<TCustomEdit*>(this)->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

int TCustomEdit::SelLength() const {
  if (!HandleAllocated()) return 0;
  DWORD start = 0, end = 0;
  SendMessageW(const_cast<TCustomEdit*>(this)->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomEdit::SetSelection(int start, int length) {
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start + length);
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::RecreateWnd() {
  if (!HandleAllocated()) return;
  FText = Text();
  const bool focused = Focused();
  DestroyHandle();
  if (Parent() != nullptr && Parent()->HandleAllocated()) {
    Handle();
    if (focused) SetFocus();
  }
}

void TCustomEdit::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == EN_CHANGE) {
    Change();
    return;
  }
  TWinControl::WndProc(m);
}

void TCustomEdit::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TCustomEdit*>(this);
  table["Text"] = StringProp([self] { return self->Text(); }, [self](const std::string& v) { self->SetText(v); });
  table["ReadOnly"] = BoolProp([self] { return self->FReadOnly; }, [self](bool v) { self->SetReadOnly(v); });
  table["MaxLength"] =
      IntProp([self] { return self->FMaxLength; }, [self](std::int64_t v) { self->SetMaxLength(int(v)); });
}

// ------------------------------------------------------------- TCustomMemo

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner) {
  SetBounds(0, 0, 185, 89);
}

void TCustomMemo::CreateParams(TCreateParams& p) {
  TCustomEdit::CreateParams(p);
  p.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  // A multi-line edit wraps its lines unless it scrolls sideways.
  if (FWordWrap) p.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  if (FWantReturns) p.Style |= ES_WANTRETURN;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= WS_HSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) p.Style |= WS_VSCROLL;
}

void TCustomMemo::SetScrollBars(TScrollStyle value) {
  if (FScrollBars == value) return;
  FScrollBars = value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value) {
  if (FWordWrap == value) return;
  FWordWrap = value;
  RecreateWnd();
}

std::vector<std::string> TCustomMemo::Lines() const {
  const std::string text = Text();
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

void TCustomMemo::SetLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  SetText(text);
}

void TCustomMemo::AddLine(const std::string& line) {
  const std::string text = Text();
  std::string added = line + "\r\n";
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') added = "\r\n" + added;
  if (!HandleAllocated()) {
    SetText(text + added);
    return;
  }
  // At the end through the selection, so the view follows the new line.
  const int length = GetWindowTextLengthW(Handle());
  SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(length), length);
  SendMessageW(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Utf8ToWide(added).c_str()));
}

std::string TCustomMemo::Line(int index) const {
  const std::vector<std::string> lines = Lines();
  if (index < 0 || index >= static_cast<int>(lines.size()))
    throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  return lines[static_cast<std::size_t>(index)];
}

int TCustomMemo::CaretLine() const {
  if (!HandleAllocated()) return 0;
  return static_cast<int>(SendMessageW(const_cast<TCustomMemo*>(this)->Handle(), EM_LINEFROMCHAR, -1, 0));
}

void TCustomMemo::WndProc(TMessage& m) {
  const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  switch (m.Msg) {
    case WM_GETDLGCODE:
      TCustomEdit::WndProc(m);
      if (FWantTabs)
        m.Result |= DLGC_WANTTAB;
      else
        m.Result &= ~static_cast<std::intptr_t>(DLGC_WANTTAB);
      if (!FWantReturns) m.Result &= ~static_cast<std::intptr_t>(DLGC_WANTALLKEYS);
      return;
    case WM_KEYDOWN:
      if (m.WParam == VK_TAB && !FWantTabs && !control) {
        // Tab leaves the memo for the next control of its form.
        TWinControl* top = this;
        while (top->Parent() != nullptr) top = top->Parent();
        top->SelectNext(this, (GetKeyState(VK_SHIFT) & 0x8000) == 0);
        return;
      }
      break;
    case WM_CHAR:
      if (m.WParam == '\t' && !FWantTabs) return;
      // Without WantReturns only Ctrl+Enter (a line feed) breaks the line.
      if (m.WParam == '\r' && !FWantReturns) return;
      break;
    default:
      break;
  }
  TCustomEdit::WndProc(m);
}

void TCustomMemo::DefineProperties(TPropertyTable& table) const {
  TCustomEdit::DefineProperties(table);
  auto* self = const_cast<TCustomMemo*>(this);
  table["ScrollBars"] = EnumProp(
      {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}, [self] { return int(self->FScrollBars); },
      [self](int v) { self->SetScrollBars(TScrollStyle(v)); });
  table["WordWrap"] = BoolProp([self] { return self->FWordWrap; }, [self](bool v) { self->SetWordWrap(v); });
  table["WantReturns"] = BoolProp([self] { return self->FWantReturns; }, [self](bool v) { self->FWantReturns = v; });
  table["WantTabs"] = BoolProp([self] { return self->FWantTabs; }, [self](bool v) { self->FWantTabs = v; });
}

// --------------------------------------------------------- TCustomComboBox

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetColor(clWindow);
}

void TCustomComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = "COMBOBOX";
  p.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
  p.Style |= FStyle == csDropDownList ? CBS_DROPDOWNLIST : FStyle == csSimple ? CBS_SIMPLE : CBS_DROPDOWN;
  // The window's height includes its drop-down list.
  p.Height = std::max(Height(), 200);
}

void TCustomComboBox::CreateHandleDone() {
  HWND h = Handle();
  for (const auto& [text, value] : FItems) {
    const LRESULT i = SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(text).c_str()));
    SendMessageW(h, CB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(value));
  }
  SendMessageW(h, CB_SETITEMHEIGHT, 0, FItemHeight);
  SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
}

void TCustomComboBox::SetItemHeight(int height) {
  FItemHeight = height;
  if (HandleAllocated()) SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, height);
}

void TCustomComboBox::Clear() {
  FItems.clear();
  FItemIndex = -1;
  if (HandleAllocated()) SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
}

int TCustomComboBox::AddItem(const std::string& text, std::intptr_t value) {
  FItems.emplace_back(text, value);
  if (HandleAllocated()) {
    const LRESULT i = SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(text).c_str()));
    SendMessageW(Handle(), CB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(value));
  }
  return ItemCount() - 1;
}

const std::string& TCustomComboBox::Items(int index) const {
  if (index < 0 || index >= ItemCount()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  return FItems[static_cast<std::size_t>(index)].first;
}

std::intptr_t TCustomComboBox::Objects(int index) const {
  if (index < 0 || index >= ItemCount()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  return FItems[static_cast<std::size_t>(index)].second;
}

int TCustomComboBox::ItemIndex() const {
  if (HandleAllocated())
    return static_cast<int>(SendMessageW(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TCustomComboBox::SetItemIndex(int index) {
  FItemIndex = index >= 0 && index < ItemCount() ? index : -1;
  if (HandleAllocated()) SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
}

bool TCustomComboBox::DroppedDown() const {
  return HandleAllocated() && SendMessageW(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::WndProc(TMessage& m) {
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

void TCustomComboBox::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TCustomComboBox*>(this);
  table["Style"] = EnumProp(
      {"csDropDown", "csSimple", "csDropDownList"}, [self] { return int(self->FStyle); },
      [self](int v) { self->FStyle = TComboBoxStyle(v); });
  table["ItemIndex"] =
      IntProp([self] { return self->ItemIndex(); }, [self](std::int64_t v) { self->SetItemIndex(int(v)); });
  table["ItemHeight"] =
      IntProp([self] { return self->FItemHeight; }, [self](std::int64_t v) { self->SetItemHeight(int(v)); });
}

// ---------------------------------------------------------- TButtonControl

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
}

void TButtonControl::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = "BUTTON";
}

// ----------------------------------------------------------------- TButton

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.Style |= BS_PUSHBUTTON;
}

void TButton::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    Click();
    return;
  }
  TButtonControl::WndProc(m);
}

// --------------------------------------------------------- TCustomCheckBox

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 97, 17);
  SetParentColor(true);
}

void TCustomCheckBox::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  // The library turns clicks into states itself, so AllowGrayed decides
  // whether a click can gray the box.
  p.Style |= BS_3STATE;
  if (FAlignment == taLeftJustify) p.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::CreateHandleDone() {
  const WPARAM check[] = {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE};
  SendMessageW(Handle(), BM_SETCHECK, check[FState], 0);
}

void TCustomCheckBox::SetState(TCheckBoxState state) {
  if (FState == state) return;
  FState = state;
  if (HandleAllocated()) CreateHandleDone();
  Click();
}

void TCustomCheckBox::SetAlignment(TLeftRight value) {
  if (value == taCenter) value = taRightJustify;
  if (FAlignment == value) return;
  FAlignment = value;
  if (HandleAllocated()) {
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    style = value == taLeftJustify ? (style | BS_LEFTTEXT) : (style & ~static_cast<LONG_PTR>(BS_LEFTTEXT));
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);
    Invalidate();
  }
}

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked:
      SetState(FAllowGrayed ? cbGrayed : cbChecked);
      break;
    case cbChecked:
      SetState(cbUnchecked);
      break;
    case cbGrayed:
      SetState(cbChecked);
      break;
  }
}

void TCustomCheckBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    // The state change runs the click event.
    Toggle();
    return;
  }
  TButtonControl::WndProc(m);
}

void TCustomCheckBox::DefineProperties(TPropertyTable& table) const {
  TButtonControl::DefineProperties(table);
  auto* self = const_cast<TCustomCheckBox*>(this);
  table["Checked"] = BoolProp([self] { return self->Checked(); }, [self](bool v) { self->SetChecked(v); });
  table["State"] = EnumProp(
      {"cbUnchecked", "cbChecked", "cbGrayed"}, [self] { return int(self->FState); },
      [self](int v) { self->SetState(TCheckBoxState(v)); });
  table["AllowGrayed"] = BoolProp([self] { return self->FAllowGrayed; }, [self](bool v) { self->FAllowGrayed = v; });
  table["Alignment"] = EnumProp(
      {"taLeftJustify", "taRightJustify"}, [self] { return int(self->FAlignment); },
      [self](int v) { self->SetAlignment(TLeftRight(v)); });
}

// ------------------------------------------------------------ TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 113, 17);
  SetParentColor(true);
}

void TRadioButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
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
  TButtonControl::WndProc(m);
}

void TRadioButton::DefineProperties(TPropertyTable& table) const {
  TButtonControl::DefineProperties(table);
  auto* self = const_cast<TRadioButton*>(this);
  table["Checked"] = BoolProp([self] { return self->Checked(); }, [self](bool v) { self->SetChecked(v); });
}

// --------------------------------------------------------- TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::Paint(TCanvas& canvas) {
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

// ------------------------------------------------------- TCustomRadioGroup

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner) : TCustomGroupBox(owner) {}

void TCustomRadioGroup::SetItems(const std::vector<std::string>& items) {
  for (TRadioButton* b : FButtons) delete b;
  FButtons.clear();
  for (const std::string& text : items) {
    auto* b = new TRadioButton(this);
    b->SetCaption(text);
    b->SetParent(this);
    const int index = static_cast<int>(FButtons.size());
    b->OnChange = [this, index](TComponent* sender) {
      if (!static_cast<TRadioButton*>(sender)->Checked() || FItemIndex == index) return;
      FItemIndex = index;
      if (OnChange) OnChange(this);
    };
    FButtons.push_back(b);
  }
  SetItemIndex(FItemIndex);
  ArrangeButtons();
}

void TCustomRadioGroup::SetColumns(int columns) {
  FColumns = std::clamp(columns, 1, 16);
  ArrangeButtons();
}

int TCustomRadioGroup::ItemIndex() const {
  return FItemIndex;
}

void TCustomRadioGroup::SetItemIndex(int index) {
  FItemIndex = index >= 0 && index < ItemCount() ? index : -1;
  for (int i = 0; i < ItemCount(); ++i) FButtons[static_cast<std::size_t>(i)]->SetChecked(i == FItemIndex);
}

void TCustomRadioGroup::SetBounds(int left, int top, int width, int height) {
  TCustomGroupBox::SetBounds(left, top, width, height);
  ArrangeButtons();
}

void TCustomRadioGroup::FontChanged() {
  TCustomGroupBox::FontChanged();
  ArrangeButtons();
}

void TCustomRadioGroup::ArrangeButtons() {
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

void TCustomRadioGroup::DefineProperties(TPropertyTable& table) const {
  TCustomGroupBox::DefineProperties(table);
  auto* self = const_cast<TCustomRadioGroup*>(this);
  table["ItemIndex"] =
      IntProp([self] { return self->FItemIndex; }, [self](std::int64_t v) { self->SetItemIndex(int(v)); });
  table["Columns"] = IntProp([self] { return self->FColumns; }, [self](std::int64_t v) { self->SetColumns(int(v)); });
}

// ---------------------------------------------------------- TCustomListBox

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetColor(clWindow);
}

void TCustomListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = "LISTBOX";
  // The vertical bar shows only while the items do not fit. Sorting is the
  // library's, so a sorted list can be unsorted without a new window.
  p.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  if (FMultiSelect) p.Style |= LBS_EXTENDEDSEL;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateHandleDone() {
  HWND h = Handle();
  SendMessageW(h, LB_SETITEMHEIGHT, 0, FItemHeight);
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    SendMessageW(h, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(Utf8ToWide(FItems[i].Text).c_str()));
    SendMessageW(h, LB_SETITEMDATA, i, static_cast<LPARAM>(FItems[i].Value));
  }
  if (FMultiSelect) {
    for (std::size_t i = 0; i < FItems.size(); ++i)
      if (FItems[i].Selected) SendMessageW(h, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
    if (FItemIndex >= 0) SendMessageW(h, LB_SETCARETINDEX, static_cast<WPARAM>(FItemIndex), FALSE);
  } else {
    SendMessageW(h, LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
  }
  SendMessageW(h, LB_SETTOPINDEX, static_cast<WPARAM>(FTopIndex), 0);
}

void TCustomListBox::SaveState() {
  if (!HandleAllocated()) return;
  for (std::size_t i = 0; i < FItems.size(); ++i) FItems[i].Selected = Selected(static_cast<int>(i));
  FItemIndex = ItemIndex();
  FTopIndex = TopIndex();
}

void TCustomListBox::RecreateWnd() {
  if (!HandleAllocated()) return;
  SaveState();
  const bool focused = Focused();
  DestroyHandle();
  if (Parent() != nullptr && Parent()->HandleAllocated()) {
    Handle();
    if (focused) SetFocus();
  }
}

int TCustomListBox::InsertPosition(const std::string& text) const {
  if (!FSorted) return ItemCount();
  const std::wstring key = Utf8ToWide(text);
  auto it = std::upper_bound(FItems.begin(), FItems.end(), key, [](const std::wstring& k, const TItem& item) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, k.c_str(), -1, Utf8ToWide(item.Text).c_str(), -1) ==
           CSTR_LESS_THAN;
  });
  return static_cast<int>(it - FItems.begin());
}

void TCustomListBox::Clear() {
  FItems.clear();
  FItemIndex = -1;
  FTopIndex = 0;
  if (HandleAllocated()) SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
}

int TCustomListBox::AddItem(const std::string& text, std::intptr_t value) {
  const int at = InsertPosition(text);
  if (!HandleAllocated() && FItemIndex >= at) ++FItemIndex;
  FItems.insert(FItems.begin() + at, TItem{text, value, false});
  if (HandleAllocated()) {
    SendMessageW(Handle(), LB_INSERTSTRING, static_cast<WPARAM>(at),
                 reinterpret_cast<LPARAM>(Utf8ToWide(text).c_str()));
    SendMessageW(Handle(), LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(value));
  }
  return at;
}

void TCustomListBox::DeleteItem(int index) {
  CheckListIndex(index, ItemCount());
  FItems.erase(FItems.begin() + index);
  if (HandleAllocated()) {
    SendMessageW(Handle(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  } else if (FItemIndex == index) {
    FItemIndex = -1;
  } else if (FItemIndex > index) {
    --FItemIndex;
  }
}

const std::string& TCustomListBox::Items(int index) const {
  CheckListIndex(index, ItemCount());
  return FItems[static_cast<std::size_t>(index)].Text;
}

std::intptr_t TCustomListBox::Objects(int index) const {
  CheckListIndex(index, ItemCount());
  return FItems[static_cast<std::size_t>(index)].Value;
}

int TCustomListBox::IndexOf(const std::string& text) const {
  for (int i = 0; i < ItemCount(); ++i)
    if (SameText(FItems[static_cast<std::size_t>(i)].Text, text)) return i;
  return -1;
}

void TCustomListBox::SetSorted(bool value) {
  if (FSorted == value) return;
  FSorted = value;
  if (!value) return;
  SaveState();
  std::vector<TItem> old = std::move(FItems);
  std::vector<std::size_t> order(old.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, Utf8ToWide(old[a].Text).c_str(), -1,
                          Utf8ToWide(old[b].Text).c_str(), -1) == CSTR_LESS_THAN;
  });
  FItems.clear();
  int newIndex = -1;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (static_cast<int>(order[i]) == FItemIndex) newIndex = static_cast<int>(i);
    FItems.push_back(old[order[i]]);
  }
  FItemIndex = newIndex;
  if (HandleAllocated()) {
    SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
    CreateHandleDone();
  }
}

void TCustomListBox::SetMultiSelect(bool value) {
  if (FMultiSelect == value) return;
  SaveState();
  FMultiSelect = value;
  if (!value)
    for (std::size_t i = 0; i < FItems.size(); ++i) FItems[i].Selected = static_cast<int>(i) == FItemIndex;
  RecreateWnd();
}

bool TCustomListBox::Selected(int index) const {
  CheckListIndex(index, ItemCount());
  if (HandleAllocated())
    return SendMessageW(const_cast<TCustomListBox*>(this)->Handle(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
  return FMultiSelect ? FItems[static_cast<std::size_t>(index)].Selected : index == FItemIndex;
}

void TCustomListBox::SetSelected(int index, bool value) {
  CheckListIndex(index, ItemCount());
  if (!FMultiSelect) {
    if (value)
      SetItemIndex(index);
    else if (ItemIndex() == index)
      SetItemIndex(-1);
    return;
  }
  FItems[static_cast<std::size_t>(index)].Selected = value;
  if (HandleAllocated()) SendMessageW(Handle(), LB_SETSEL, value ? TRUE : FALSE, index);
}

int TCustomListBox::SelCount() const {
  int count = 0;
  for (int i = 0; i < ItemCount(); ++i)
    if (Selected(i)) ++count;
  return count;
}

int TCustomListBox::ItemIndex() const {
  if (!HandleAllocated()) return FItemIndex;
  HWND h = const_cast<TCustomListBox*>(this)->Handle();
  if (FMultiSelect) return ItemCount() == 0 ? -1 : static_cast<int>(SendMessageW(h, LB_GETCARETINDEX, 0, 0));
  return static_cast<int>(SendMessageW(h, LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int index) {
  FItemIndex = index >= 0 && index < ItemCount() ? index : -1;
  if (!HandleAllocated()) return;
  if (FMultiSelect) {
    if (FItemIndex >= 0) {
      SendMessageW(Handle(), LB_SETSEL, TRUE, FItemIndex);
      SendMessageW(Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(FItemIndex), FALSE);
    }
  } else {
    SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
  }
}

void TCustomListBox::SetItemHeight(int height) {
  FItemHeight = std::max(1, height);
  if (HandleAllocated()) {
    SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, FItemHeight);
    Invalidate();
  }
}

int TCustomListBox::TopIndex() const {
  if (!HandleAllocated()) return FTopIndex;
  return static_cast<int>(SendMessageW(const_cast<TCustomListBox*>(this)->Handle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int index) {
  FTopIndex = std::max(0, index);
  if (HandleAllocated()) SendMessageW(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(FTopIndex), 0);
}

void TCustomListBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    switch (HIWORD(m.WParam)) {
      case LBN_SELCHANGE:
        Click();
        return;
      case LBN_DBLCLK:
        DblClick();
        return;
      default:
        break;
    }
  }
  TWinControl::WndProc(m);
}

void TCustomListBox::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TCustomListBox*>(this);
  table["ItemIndex"] =
      IntProp([self] { return self->ItemIndex(); }, [self](std::int64_t v) { self->SetItemIndex(int(v)); });
  table["ItemHeight"] =
      IntProp([self] { return self->FItemHeight; }, [self](std::int64_t v) { self->SetItemHeight(int(v)); });
  table["TopIndex"] =
      IntProp([self] { return self->TopIndex(); }, [self](std::int64_t v) { self->SetTopIndex(int(v)); });
  table["Sorted"] = BoolProp([self] { return self->FSorted; }, [self](bool v) { self->SetSorted(v); });
  table["MultiSelect"] = BoolProp([self] { return self->FMultiSelect; }, [self](bool v) { self->SetMultiSelect(v); });
}

// -------------------------------------------------------------- TScrollBar

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
  SetTabStop(true);
}

void TScrollBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = "SCROLLBAR";
  p.Style |= FKind == sbHorizontal ? SBS_HORZ : SBS_VERT;
}

void TScrollBar::CreateHandleDone() {
  UpdateScrollInfo();
}

void TScrollBar::SetKind(TScrollBarKind kind) {
  if (FKind == kind) return;
  FKind = kind;
  // A horizontal bar turned upright keeps its length.
  SetBounds(Left(), Top(), Height(), Width());
  if (HandleAllocated()) {
    DestroyHandle();
    if (Parent() != nullptr && Parent()->HandleAllocated()) Handle();
  }
}

int TScrollBar::TopPosition() const {
  return std::max(FMin, FMax - std::max(FPageSize - 1, 0));
}

void TScrollBar::SetParams(int position, int min, int max) {
  if (max < min) throw Exception("Scroll bar property out of range");
  const bool rangeChanged = min != FMin || max != FMax;
  FMin = min, FMax = max;
  const int clamped = std::clamp(position, FMin, TopPosition());
  const bool moved = clamped != FPosition;
  FPosition = clamped;
  if ((rangeChanged || moved) && HandleAllocated()) UpdateScrollInfo();
  if (moved && OnChange) OnChange(this);
}

void TScrollBar::SetPageSize(int value) {
  FPageSize = std::clamp(value, 0, FMax - FMin + 1);
  if (HandleAllocated()) UpdateScrollInfo();
  SetPosition(FPosition);
}

void TScrollBar::UpdateScrollInfo() {
  SCROLLINFO si{sizeof(si), SIF_ALL, FMin, FMax, static_cast<UINT>(FPageSize), FPosition, 0};
  SetScrollInfo(Handle(), SB_CTL, &si, TRUE);
}

void TScrollBar::DoScroll(int code) {
  int position = FPosition;
  switch (code) {
    case SB_LINEUP:
      position -= FSmallChange;
      break;
    case SB_LINEDOWN:
      position += FSmallChange;
      break;
    case SB_PAGEUP:
      position -= FLargeChange;
      break;
    case SB_PAGEDOWN:
      position += FLargeChange;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      SCROLLINFO si{sizeof(si), SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(Handle(), SB_CTL, &si);
      position = si.nTrackPos;
      break;
    }
    case SB_TOP:
      position = FMin;
      break;
    case SB_BOTTOM:
      position = FMax;
      break;
    default:
      break;
  }
  position = std::clamp(position, FMin, TopPosition());
  if (OnScroll) OnScroll(this, static_cast<TScrollCode>(std::min(code, static_cast<int>(scEndScroll))), position);
  SetPosition(position);
}

void TScrollBar::WndProc(TMessage& m) {
  if (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL) {
    // The bar reports the user's wish to its parent; the position is ours
    // to set.
    const int code = LOWORD(m.WParam);
    if ((code == SB_THUMBTRACK || code == SB_THUMBPOSITION) && FMin >= 0 && FMax <= 0xFFFF) {
      // A 16-bit range travels whole in the message.
      int position = HIWORD(m.WParam);
      position = std::clamp(position, FMin, TopPosition());
      if (OnScroll) OnScroll(this, static_cast<TScrollCode>(code), position);
      SetPosition(position);
    } else {
      DoScroll(code);
    }
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}

void TScrollBar::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TScrollBar*>(this);
  table["Kind"] = EnumProp(
      {"sbHorizontal", "sbVertical"}, [self] { return int(self->FKind); },
      [self](int v) { self->SetKind(TScrollBarKind(v)); });
  table["Min"] = IntProp([self] { return self->FMin; }, [self](std::int64_t v) { self->SetMin(int(v)); });
  table["Max"] = IntProp([self] { return self->FMax; }, [self](std::int64_t v) { self->SetMax(int(v)); });
  table["Position"] =
      IntProp([self] { return self->FPosition; }, [self](std::int64_t v) { self->SetPosition(int(v)); });
  table["SmallChange"] =
      IntProp([self] { return self->FSmallChange; }, [self](std::int64_t v) { self->FSmallChange = int(v); });
  table["LargeChange"] =
      IntProp([self] { return self->FLargeChange; }, [self](std::int64_t v) { self->FLargeChange = int(v); });
  table["PageSize"] =
      IntProp([self] { return self->FPageSize; }, [self](std::int64_t v) { self->SetPageSize(int(v)); });
}

}  // namespace pellamy
