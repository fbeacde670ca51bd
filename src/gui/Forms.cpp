#include "Forms.h"

#include <algorithm>

#include "Application.h"
#include "StdCtrls.h"

namespace pellamy {

TForm::TForm(TComponent* owner) : TCustomControl(owner) {
  SetVisible(false);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);
  SetParentFont(false);
}

TForm::~TForm() {
  SetComponentStateFlag(csDestroying, true);
  if (Application() != nullptr) Application()->RemoveForm(this);
}

void TForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  FBorderStyle = style;
  if (HandleAllocated()) {
    TCreateParams p;
    CreateParams(p);
    SetWindowLongPtrW(Handle(), GWL_STYLE, static_cast<LONG_PTR>(p.Style));
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
}

void TForm::SetBorderIcons(unsigned icons) {
  FBorderIcons = icons;
  SetBorderStyle(FBorderStyle);
}

void TForm::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  p.WndParent = nullptr;
  switch (FBorderStyle) {
    case bsNone:
      p.Style |= WS_POPUP;
      break;
    case bsSingle:
    case bsToolWindow:
      p.Style |= WS_CAPTION | WS_BORDER;
      break;
    case bsDialog:
      p.Style |= WS_CAPTION | WS_DLGFRAME;
      p.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      p.Style |= WS_CAPTION | WS_THICKFRAME;
      break;
  }
  if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) p.ExStyle |= WS_EX_TOOLWINDOW;
  if (FBorderStyle != bsNone && (FBorderIcons & biSystemMenu) != 0) {
    p.Style |= WS_SYSMENU;
    if (FBorderStyle != bsDialog) {
      if (FBorderIcons & biMinimize) p.Style |= WS_MINIMIZEBOX;
      if (FBorderIcons & biMaximize) p.Style |= WS_MAXIMIZEBOX;
    }
  }
  p.ExStyle |= WS_EX_CONTROLPARENT;
  int width = Width(), height = Height();
  if (FClientWidth >= 0) {
    RECT r{0, 0, FClientWidth, FClientHeight};
    AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
    width = r.right - r.left, height = r.bottom - r.top;
  }
  p.X = Left(), p.Y = Top(), p.Width = width, p.Height = height;
  if (FPosition == poScreenCenter || FPosition == poMainFormCenter) {
    p.X = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    p.Y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  }
}

void TForm::CreateHandleDone() {
  RECT w;
  GetWindowRect(Handle(), &w);
  TControl::SetBounds(w.left, w.top, w.right - w.left, w.bottom - w.top);
  if (FIcon != nullptr) SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon));
  if (FIcon != nullptr) SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FIcon));
}

void TForm::SetClientSize(int width, int height) {
  FClientWidth = width, FClientHeight = height;
  if (HandleAllocated()) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
    SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
  } else {
    TControl::SetBounds(Left(), Top(), width, height);
  }
}

void TForm::SetIcon(HICON icon) {
  FIcon = icon;
  if (HandleAllocated()) CreateHandleDone();
}

void TForm::Show() {
  HWND h = Handle();
  SetVisible(true);
  ShowWindow(h, SW_SHOW);
  if (!FShownOnce) {
    FShownOnce = true;
    SelectNext(nullptr, true);
    if (OnShow) OnShow(this);
  }
  UpdateWindow(h);
}

void TForm::Close() {
  if (HandleAllocated()) SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TForm::CollectTabStops(TWinControl* parent, std::vector<TWinControl*>& out) const {
  std::vector<TWinControl*> children;
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i)); w != nullptr && w->Visible() && w->Enabled())
      children.push_back(w);
  std::stable_sort(children.begin(), children.end(),
                   [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  // A group of option buttons is one stop: its chosen button, or its first
  // when none is chosen.
  bool anyChecked = false;
  for (TWinControl* w : children)
    if (auto* radio = dynamic_cast<TRadioButton*>(w); radio != nullptr && radio->Checked()) anyChecked = true;
  bool radioTaken = false;
  for (TWinControl* w : children) {
    if (auto* radio = dynamic_cast<TRadioButton*>(w)) {
      if (radioTaken || (anyChecked && !radio->Checked())) continue;
      radioTaken = true;
    }
    if (w->TabStop()) out.push_back(w);
    CollectTabStops(w, out);
  }
}

TWinControl* TForm::ActiveControl() const {
  HWND focus = GetFocus();
  for (HWND h = focus; h != nullptr; h = GetParent(h))
    if (TWinControl* w = TWinControl::FromHandle(h)) return w;
  return nullptr;
}

void TForm::SelectNext(TWinControl* current, bool forward) {
  std::vector<TWinControl*> stops;
  CollectTabStops(this, stops);
  if (stops.empty()) return;
  // A click may have focused a part of a control (the edit of a combo box).
  auto at = std::find(stops.begin(), stops.end(), current);
  std::size_t next;
  if (at == stops.end())
    next = forward ? 0 : stops.size() - 1;
  else {
    const std::size_t i = static_cast<std::size_t>(at - stops.begin());
    next = forward ? (i + 1) % stops.size() : (i + stops.size() - 1) % stops.size();
  }
  stops[next]->SetFocus();
}

void TForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE: {
      bool canClose = true;
      if (OnCloseQuery) OnCloseQuery(this, canClose);
      if (!canClose) return;
      TCloseAction action = Application() != nullptr && Application()->MainForm() == this ? caFree : caHide;
      if (OnClose) OnClose(this, action);
      if (action == caNone) return;
      FClosing = true;
      if (Application() != nullptr && Application()->MainForm() == this) {
        Application()->Terminate();
        ShowWindow(Handle(), SW_HIDE);
      } else if (action == caMinimize) {
        ShowWindow(Handle(), SW_MINIMIZE);
      } else {
        ShowWindow(Handle(), SW_HIDE);
        SetVisible(false);
      }
      return;
    }
    case WM_SIZE:
    case WM_MOVE:
      if (HandleAllocated()) {
        RECT w;
        GetWindowRect(Handle(), &w);
        TControl::SetBounds(w.left, w.top, w.right - w.left, w.bottom - w.top);
      }
      break;
    default:
      break;
  }
  TCustomControl::WndProc(m);
}

void TForm::DefineProperties(TPropertyTable& table) const {
  TCustomControl::DefineProperties(table);
  auto* self = const_cast<TForm*>(this);
  table["BorderStyle"] = EnumProp(
      {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"},
      [self] { return int(self->FBorderStyle); }, [self](int v) { self->SetBorderStyle(TFormBorderStyle(v)); });
  table["Position"] = EnumProp(
      {"poDesigned", "poDefault", "poScreenCenter", "poMainFormCenter"}, [self] { return int(self->FPosition); },
      [self](int v) { self->FPosition = TPosition(v); });
}

}  // namespace pellamy
