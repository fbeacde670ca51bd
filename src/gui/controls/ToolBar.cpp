#include "gui/controls/ToolBar.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>

#include "gui/gdi/ImgList.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

namespace {

constexpr int kSeparatorWidth = 8;

// Lets go of the DC when the handler is done, also when it throws.
class TCanvasBinding {
 public:
  TCanvasBinding(TCanvas& canvas, HDC dc) : FCanvas(canvas) { FCanvas.SetHandle(dc); }
  ~TCanvasBinding() { FCanvas.SetHandle(nullptr); }
  TCanvasBinding(const TCanvasBinding&) = delete;
  TCanvasBinding& operator=(const TCanvasBinding&) = delete;

 private:
  TCanvas& FCanvas;
};

TCustomDrawState StateFromItemState(UINT itemState) {
  static constexpr std::pair<UINT, unsigned> kMap[] = {
      {CDIS_SELECTED, cdsSelected}, {CDIS_GRAYED, cdsGrayed}, {CDIS_DISABLED, cdsDisabled},
      {CDIS_CHECKED, cdsChecked},   {CDIS_FOCUS, cdsFocused}, {CDIS_DEFAULT, cdsDefault},
      {CDIS_HOT, cdsHot},           {CDIS_MARKED, cdsMarked}, {CDIS_INDETERMINATE, cdsIndeterminate},
  };
  TCustomDrawState state = 0;
  for (const auto& [from, to] : kMap)
    if (itemState & from) state |= to;
  return state;
}

bool IsSeparator(TToolButtonStyle style) {
  return style == tbsSeparator || style == tbsDivider;
}

}  // namespace

// ------------------------------------------------------------- TToolButton

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton() {
  if (TToolBar* bar = ToolBar()) bar->RemoveButton(this);
}

TToolBar* TToolButton::ToolBar() const {
  // Null while the bar itself is being destroyed.
  return dynamic_cast<TToolBar*>(Parent());
}

int TToolButton::Index() const {
  TToolBar* bar = ToolBar();
  if (bar == nullptr) return -1;
  auto it = std::find(bar->FButtons.begin(), bar->FButtons.end(), this);
  return it == bar->FButtons.end() ? -1 : static_cast<int>(it - bar->FButtons.begin());
}

void TToolButton::SetParent(TWinControl* parent) {
  if (parent == Parent()) return;
  if (TToolBar* bar = ToolBar()) bar->RemoveButton(this);
  TGraphicControl::SetParent(parent);
  if (TToolBar* bar = ToolBar()) bar->InsertButton(this);
}

void TToolButton::SetImageIndex(int index) {
  if (FImageIndex == index) return;
  FImageIndex = index;
  if (TToolBar* bar = ToolBar()) bar->ButtonChanged(this);
}

void TToolButton::SetStyle(TToolButtonStyle style) {
  if (FStyle == style) return;
  if (TToolBar* bar = ToolBar()) bar->SyncDown();
  FStyle = style;
  if (TToolBar* bar = ToolBar()) bar->ButtonChanged(this);
}

void TToolButton::SetGrouped(bool value) {
  if (FGrouped == value) return;
  if (TToolBar* bar = ToolBar()) bar->SyncDown();
  FGrouped = value;
  if (TToolBar* bar = ToolBar()) bar->ButtonChanged(this);
}

bool TToolButton::Down() const {
  TToolBar* bar = ToolBar();
  if (bar == nullptr || !bar->HandleAllocated() || IsSeparator(FStyle)) return FDown;
  const LRESULT state = SendMessageW(bar->Handle(), TB_GETSTATE, static_cast<WPARAM>(FCommandId), 0);
  if (state == -1) return FDown;
  return (state & (FStyle == tbsCheck ? TBSTATE_CHECKED : TBSTATE_PRESSED)) != 0;
}

void TToolButton::SetDown(bool value) {
  TToolBar* bar = ToolBar();
  if (bar == nullptr) {
    FDown = value;
    return;
  }
  bar->SyncDown();
  if (value && FStyle == tbsCheck && FGrouped) {
    // The other buttons of this group come up.
    const int index = Index();
    auto inGroup = [&](int i) {
      const TToolButton* b = bar->Buttons(i);
      return b->FStyle == tbsCheck && b->FGrouped;
    };
    for (int i = index - 1; i >= 0 && inGroup(i); --i) {
      bar->Buttons(i)->FDown = false;
      bar->UpdateButtonState(bar->Buttons(i));
    }
    for (int i = index + 1; i < bar->ButtonCount() && inGroup(i); ++i) {
      bar->Buttons(i)->FDown = false;
      bar->UpdateButtonState(bar->Buttons(i));
    }
  }
  FDown = value;
  bar->UpdateButtonState(this);
}

void TToolButton::WndProc(TMessage& m) {
  TToolBar* bar = ToolBar();
  const bool mouse =
      m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST && m.Msg != WM_MOUSEWHEEL && m.Msg != WM_MOUSEHWHEEL;
  if (mouse && bar != nullptr && bar->HandleAllocated()) {
    // The bar routes the mouse over a button here; the system bar itself
    // presses, tracks and clicks its buttons.
    const int x = GET_X_LPARAM(m.LParam) + Left(), y = GET_Y_LPARAM(m.LParam) + Top();
    TMessage forward{m.Msg, m.WParam, MAKELPARAM(x, y), 0};
    bar->DefaultHandler(forward);
    m.Result = forward.Result;
    return;
  }
  switch (m.Msg) {
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      if (bar != nullptr) bar->UpdateButtonState(this);
      break;
    case CM_TEXTCHANGED:
      if (bar != nullptr) bar->ButtonChanged(this);
      break;
    default:
      break;
  }
  TGraphicControl::WndProc(m);
}

void TToolButton::DefineProperties(TPropertyTable& table) const {
  TGraphicControl::DefineProperties(table);
  auto* self = const_cast<TToolButton*>(this);
  table["ImageIndex"] =
      IntProp([self] { return self->FImageIndex; }, [self](std::int64_t v) { self->SetImageIndex(int(v)); });
  table["Style"] = EnumProp(
      {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"}, [self] { return int(self->FStyle); },
      [self](int v) { self->SetStyle(TToolButtonStyle(v)); });
  table["Down"] = BoolProp([self] { return self->Down(); }, [self](bool v) { self->SetDown(v); });
  table["Grouped"] = BoolProp([self] { return self->FGrouped; }, [self](bool v) { self->SetGrouped(v); });
  table["Hint"] = StringProp([self] { return self->FHint; }, [self](const std::string& v) { self->FHint = v; });
}

// ---------------------------------------------------------------- TToolBar

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 150, 29);
  SetAlign(alTop);
}

TToolBar::~TToolBar() {
  FCanvas.SetHandle(nullptr);
  FButtons.clear();
}

void TToolBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = "ToolbarWindow32";
  // The library places the bar; it must not move itself to its parent's top.
  p.Style |= TBSTYLE_TOOLTIPS | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  if (FFlat) p.Style |= TBSTYLE_FLAT;
  if (FTransparent) p.Style |= TBSTYLE_TRANSPARENT;
}

void TToolBar::CreateHandleDone() {
  HWND h = Handle();
  SendMessageW(h, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(h, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  // The system makes a flat bar transparent as well; the properties decide.
  ApplyStyle();
  RebuildButtons();
}

TToolButton* TToolBar::FindButton(int commandId) const {
  for (TToolButton* b : FButtons)
    if (b->FCommandId == commandId) return b;
  return nullptr;
}

RECT TToolBar::ButtonRect(const TToolButton* button) const {
  RECT r{0, 0, 0, 0};
  const int index = button != nullptr ? button->Index() : -1;
  if (index < 0 || button->ToolBar() != this) return r;
  if (!HandleAllocated()) return button->BoundsRect();
  auto* self = const_cast<TToolBar*>(this);
  if (!SendMessageW(self->Handle(), TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)))
    r = {0, 0, 0, 0};
  return r;
}

void TToolBar::InsertButton(TToolButton* button) {
  button->FCommandId = FNextCommandId++;
  FButtons.push_back(button);
  if (HandleAllocated()) {
    AddNativeButton(ButtonCount() - 1);
    UpdateLayout();
  }
}

void TToolBar::RemoveButton(TToolButton* button) {
  auto it = std::find(FButtons.begin(), FButtons.end(), button);
  if (it == FButtons.end()) return;
  const int index = static_cast<int>(it - FButtons.begin());
  if (HandleAllocated()) button->FDown = button->Down();
  FButtons.erase(it);
  if (HandleAllocated()) {
    SendMessageW(Handle(), TB_DELETEBUTTON, static_cast<WPARAM>(index), 0);
    UpdateLayout();
  }
}

void TToolBar::ButtonChanged(TToolButton*) {
  RebuildButtons();
}

void TToolBar::SyncDown() {
  if (!HandleAllocated()) return;
  for (TToolButton* b : FButtons) b->FDown = b->Down();
}

void TToolBar::UpdateButtonState(TToolButton* b) {
  if (!HandleAllocated()) return;
  BYTE state = 0;
  if (b->Enabled()) state |= TBSTATE_ENABLED;
  if (!b->Visible()) state |= TBSTATE_HIDDEN;
  if (b->FDown && !IsSeparator(b->FStyle)) state |= b->FStyle == tbsCheck ? TBSTATE_CHECKED : TBSTATE_PRESSED;
  const LRESULT old = SendMessageW(Handle(), TB_GETSTATE, static_cast<WPARAM>(b->FCommandId), 0);
  SendMessageW(Handle(), TB_SETSTATE, static_cast<WPARAM>(b->FCommandId), MAKELPARAM(state, 0));
  if (old != -1 && ((old ^ state) & TBSTATE_HIDDEN)) UpdateLayout();
}

void TToolBar::AddNativeButton(int index) {
  TToolButton* b = FButtons[static_cast<std::size_t>(index)];
  const bool separator = IsSeparator(b->FStyle);
  TBBUTTON tb{};
  if (separator)
    tb.iBitmap = kSeparatorWidth;
  else
    tb.iBitmap = FImages != nullptr && b->FImageIndex >= 0 ? b->FImageIndex : I_IMAGENONE;
  tb.idCommand = b->FCommandId;
  tb.fsState = 0;
  if (b->Enabled()) tb.fsState |= TBSTATE_ENABLED;
  if (!b->Visible()) tb.fsState |= TBSTATE_HIDDEN;
  if (b->FDown && !separator) tb.fsState |= b->FStyle == tbsCheck ? TBSTATE_CHECKED : TBSTATE_PRESSED;
  switch (b->FStyle) {
    case tbsButton:
      tb.fsStyle = BTNS_BUTTON;
      break;
    case tbsCheck:
      tb.fsStyle = BTNS_CHECK | (b->FGrouped ? BTNS_GROUP : 0);
      break;
    case tbsDropDown:
      tb.fsStyle = BTNS_DROPDOWN;
      break;
    case tbsSeparator:
    case tbsDivider:
      tb.fsStyle = BTNS_SEP;
      break;
  }
  tb.dwData = reinterpret_cast<DWORD_PTR>(b);
  const std::wstring text = Utf8ToWide(b->Caption());
  // The bar keeps its own copy of the text.
  tb.iString = FShowCaptions && !separator && !text.empty() ? reinterpret_cast<INT_PTR>(text.c_str()) : -1;
  SendMessageW(Handle(), TB_INSERTBUTTONW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&tb));
}

void TToolBar::ApplyImages() {
  HWND h = Handle();
  const int w = FImages != nullptr ? FImages->Width() : 16, ht = FImages != nullptr ? FImages->Height() : 16;
  SendMessageW(h, TB_SETBITMAPSIZE, 0, MAKELPARAM(w, ht));
  SendMessageW(h, TB_SETIMAGELIST, 0,
               reinterpret_cast<LPARAM>(FImages != nullptr ? FImages->Handle() : static_cast<HIMAGELIST>(nullptr)));
}

void TToolBar::RebuildButtons() {
  if (!HandleAllocated() || FUpdating) return;
  FUpdating = true;
  SyncDown();
  HWND h = Handle();
  while (SendMessageW(h, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageW(h, TB_DELETEBUTTON, 0, 0);
  ApplyImages();
  SendMessageW(h, TB_SETBUTTONSIZE, 0, MAKELPARAM(FButtonWidth, FButtonHeight));
  for (int i = 0; i < ButtonCount(); ++i) AddNativeButton(i);
  FUpdating = false;
  UpdateLayout();
}

void TToolBar::UpdateLayout() {
  if (!HandleAllocated() || FUpdating) return;
  FUpdating = true;
  HWND h = Handle();
  SendMessageW(h, TB_AUTOSIZE, 0, 0);
  int top = INT_MAX, bottom = 0;
  for (int i = 0; i < ButtonCount(); ++i) {
    TToolButton* b = FButtons[static_cast<std::size_t>(i)];
    RECT r{0, 0, 0, 0};
    if (b->Visible() && SendMessageW(h, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) {
      b->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
      top = std::min(top, static_cast<int>(r.top));
      bottom = std::max(bottom, static_cast<int>(r.bottom));
    } else {
      b->SetBounds(0, 0, 0, 0);
    }
  }
  // As high as its buttons, with the same margin below them as above.
  const int height = bottom > 0 ? bottom + top : HIWORD(SendMessageW(h, TB_GETBUTTONSIZE, 0, 0)) + 4;
  FUpdating = false;
  if (height != Height()) {
    SetBounds(Left(), Top(), Width(), height);
    if (Align() != alNone) SetAlign(Align());  // the parent lays its controls out again
  }
}

void TToolBar::ApplyStyle() {
  if (!HandleAllocated()) return;
  HWND h = Handle();
  LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(TBSTYLE_FLAT | TBSTYLE_TRANSPARENT);
  if (FFlat) style |= TBSTYLE_FLAT;
  if (FTransparent) style |= TBSTYLE_TRANSPARENT;
  SetWindowLongPtrW(h, GWL_STYLE, style);
  UpdateLayout();
  InvalidateRect(h, nullptr, TRUE);
}

void TToolBar::SetImages(TImageList* images) {
  if (FImages == images) return;
  FImages = images;
  if (images != nullptr) FreeNotification(images);
  RebuildButtons();
}

void TToolBar::Notification(TComponent* component, bool removing) {
  TWinControl::Notification(component, removing);
  if (removing && component == FImages) {
    FImages = nullptr;
    if (!IsDestroying()) RebuildButtons();
  }
}

void TToolBar::SetShowCaptions(bool value) {
  if (FShowCaptions == value) return;
  FShowCaptions = value;
  RebuildButtons();
}

void TToolBar::SetButtonWidth(int width) {
  FButtonWidth = std::max(0, width);
  RebuildButtons();
}

void TToolBar::SetButtonHeight(int height) {
  FButtonHeight = std::max(0, height);
  RebuildButtons();
}

void TToolBar::SetFlat(bool value) {
  if (FFlat == value) return;
  FFlat = value;
  ApplyStyle();
}

void TToolBar::SetTransparent(bool value) {
  if (FTransparent == value) return;
  FTransparent = value;
  ApplyStyle();
}

LRESULT TToolBar::CustomDraw(NMTBCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return OnCustomDrawButton ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT: {
      TToolButton* button = FindButton(static_cast<int>(draw->nmcd.dwItemSpec));
      if (button == nullptr || !OnCustomDrawButton) return CDRF_DODEFAULT;
      bool defaultDraw = true;
      FFaceDrawn = false;
      TColor textColor;
      {
        TCanvasBinding binding(FCanvas, draw->nmcd.hdc);
        FCanvas.Font().Assign(Font());
        FCanvas.Font().SetColor(clBtnText);
        FCanvas.Brush().SetStyle(bsSolid);
        FCanvas.Brush().SetColor(Color());
        OnCustomDrawButton(this, button, StateFromItemState(draw->nmcd.uItemState), defaultDraw);
        textColor = FCanvas.Font().Color();
      }
      if (!defaultDraw) return CDRF_SKIPDEFAULT;
      draw->clrText = ColorToRGB(textColor);
      if (!FFaceDrawn) return CDRF_DODEFAULT;
      // The state the system draws from: at rest, its face stays off ours.
      draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_HOT | CDIS_SELECTED | CDIS_CHECKED);
      return CDRF_DODEFAULT | TBCDRF_NOEDGES;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void TToolBar::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (TToolButton* b = FindButton(LOWORD(m.WParam))) {
        SyncDown();
        b->Click();
        m.Result = 0;
        return;
      }
      break;
    case WM_COMMAND:
      // A click reported to the bar itself rather than to its parent.
      if (reinterpret_cast<HWND>(m.LParam) == Handle()) {
        if (TToolButton* b = FindButton(LOWORD(m.WParam))) {
          SyncDown();
          b->Click();
          m.Result = 0;
          return;
        }
      }
      break;
    case CN_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
      switch (hdr->code) {
        case NM_CUSTOMDRAW:
          m.Result = CustomDraw(reinterpret_cast<NMTBCUSTOMDRAW*>(m.LParam));
          return;
        case TBN_DROPDOWN: {
          auto* nm = reinterpret_cast<NMTOOLBARW*>(m.LParam);
          if (TToolButton* b = FindButton(nm->iItem); b != nullptr && b->OnDropDown) b->OnDropDown(b);
          m.Result = TBDDRET_DEFAULT;
          return;
        }
        case TBN_GETINFOTIPW: {
          auto* tip = reinterpret_cast<NMTBGETINFOTIPW*>(m.LParam);
          if (TToolButton* b = FindButton(tip->iItem); b != nullptr && tip->pszText != nullptr && tip->cchTextMax > 0) {
            const std::wstring text = Utf8ToWide(b->Hint());
            const std::size_t n = std::min(text.size(), static_cast<std::size_t>(tip->cchTextMax - 1));
            std::copy_n(text.c_str(), n, tip->pszText);
            tip->pszText[n] = L'\0';
          }
          m.Result = 0;
          return;
        }
        default:
          break;
      }
      break;
    }
    case WM_SIZE:
      TWinControl::WndProc(m);
      UpdateLayout();
      return;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

void TToolBar::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TToolBar*>(this);
  table["Flat"] = BoolProp([self] { return self->FFlat; }, [self](bool v) { self->SetFlat(v); });
  table["Transparent"] = BoolProp([self] { return self->FTransparent; }, [self](bool v) { self->SetTransparent(v); });
  table["ShowCaptions"] =
      BoolProp([self] { return self->FShowCaptions; }, [self](bool v) { self->SetShowCaptions(v); });
  table["ButtonWidth"] =
      IntProp([self] { return self->FButtonWidth; }, [self](std::int64_t v) { self->SetButtonWidth(int(v)); });
  table["ButtonHeight"] =
      IntProp([self] { return self->FButtonHeight; }, [self](std::int64_t v) { self->SetButtonHeight(int(v)); });
}

}  // namespace pellamy
