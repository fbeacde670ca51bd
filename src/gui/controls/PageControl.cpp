#include "gui/controls/PageControl.h"

#include <commctrl.h>

#include <algorithm>

#include "base/Exceptions.h"
#include "gui/controls/ComCtrls.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

namespace {
bool CtrlDown() {
  return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}
bool ShiftDown() {
  return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}
}  // namespace

// ------------------------------------------------------- TCustomTabControl

TCustomTabControl::TCustomTabControl(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
}

void TCustomTabControl::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = WC_TABCONTROLA;
  p.Style |= TCS_TABS;
  if (FMultiLine) p.Style |= TCS_MULTILINE;
  switch (FTabPosition) {
    case tpTop:
      break;
    case tpBottom:
      p.Style |= TCS_BOTTOM;
      break;
    case tpLeft:
      // Side tabs only come in rows.
      p.Style |= TCS_VERTICAL | TCS_MULTILINE;
      break;
    case tpRight:
      p.Style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE;
      break;
  }
}

void TCustomTabControl::CreateHandleDone() {
  SetStripTabs(std::vector<std::string>(FStrip), FStripIndex);
}

void TCustomTabControl::SetStripTabs(const std::vector<std::string>& texts, int selected) {
  FStrip = texts;
  FStripIndex = selected >= 0 && selected < static_cast<int>(texts.size()) ? selected : -1;
  if (HandleAllocated()) {
    HWND h = Handle();
    SendMessageW(h, TCM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < FStrip.size(); ++i) {
      std::wstring text = Utf8ToWide(FStrip[i]);
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = text.data();
      SendMessageW(h, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(h, TCM_SETCURSEL, static_cast<WPARAM>(FStripIndex), 0);
  }
  // Rows of tabs may have come or gone.
  LayoutDisplay();
}

void TCustomTabControl::SelectStripTab(int index) {
  FStripIndex = index >= 0 && index < static_cast<int>(FStrip.size()) ? index : -1;
  if (HandleAllocated()) SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(FStripIndex), 0);
}

int TCustomTabControl::TabIndex() const {
  if (HandleAllocated())
    return static_cast<int>(SendMessageW(const_cast<TCustomTabControl*>(this)->Handle(), TCM_GETCURSEL, 0, 0));
  return FStripIndex;
}

int TCustomTabControl::TabStripCount() const {
  return static_cast<int>(FStrip.size());
}

RECT TCustomTabControl::DisplayRect() const {
  RECT r = ClientRect();
  if (HandleAllocated())
    SendMessageW(const_cast<TCustomTabControl*>(this)->Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  else
    InflateRect(&r, -4, -4), r.top += 20;
  return r;
}

RECT TCustomTabControl::TabRect(int index) const {
  RECT r{0, 0, 0, 0};
  if (HandleAllocated())
    SendMessageW(const_cast<TCustomTabControl*>(this)->Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&r));
  return r;
}

int TCustomTabControl::IndexOfTabAt(int x, int y) const {
  if (!HandleAllocated()) return -1;
  TCHITTESTINFO hit{{x, y}, 0};
  return static_cast<int>(
      SendMessageW(const_cast<TCustomTabControl*>(this)->Handle(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

void TCustomTabControl::SetMultiLine(bool value) {
  if (value == FMultiLine) return;
  FMultiLine = value;
  FStripIndex = TabIndex();
  RecreateWnd(*this);
}

void TCustomTabControl::SetTabPosition(TTabPosition value) {
  if (value == FTabPosition) return;
  FTabPosition = value;
  FStripIndex = TabIndex();
  RecreateWnd(*this);
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (OnChange) OnChange(this);
}

void TCustomTabControl::SelectNextTab(bool forward) {
  const int count = TabStripCount();
  if (count == 0) return;
  const int current = TabIndex();
  const int next = current < 0 ? (forward ? 0 : count - 1) : (current + (forward ? 1 : count - 1)) % count;
  if (next == current || !CanChange()) return;
  SelectStripTab(next);
  Change();
}

void TCustomTabControl::Resize() {
  TWinControl::Resize();
  LayoutDisplay();
}

void TCustomTabControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
      if (hdr->code == static_cast<UINT>(TCN_SELCHANGING)) {
        m.Result = CanChange() ? FALSE : TRUE;
        return;
      }
      if (hdr->code == static_cast<UINT>(TCN_SELCHANGE)) {
        FStripIndex = TabIndex();
        Change();
        m.Result = 0;
        return;
      }
      break;
    }
    case WM_KEYDOWN:
    case CM_CHILDKEY:
      // Ctrl+Tab goes round the tabs wherever the focus is inside.
      if (m.WParam == VK_TAB && CtrlDown()) {
        SelectNextTab(!ShiftDown());
        m.Result = 1;
        return;
      }
      break;
    case WM_SIZE:
      TWinControl::WndProc(m);
      LayoutDisplay();
      return;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

void TCustomTabControl::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TCustomTabControl*>(this);
  table["MultiLine"] = BoolProp([self] { return self->FMultiLine; }, [self](bool v) { self->SetMultiLine(v); });
  table["TabPosition"] = EnumProp(
      {"tpTop", "tpBottom", "tpLeft", "tpRight"}, [self] { return int(self->FTabPosition); },
      [self](int v) { self->SetTabPosition(TTabPosition(v)); });
}

// ------------------------------------------------------------- TTabControl

TTabControl::TTabControl(TComponent* owner) : TCustomTabControl(owner) {}

void TTabControl::CreateHandleDone() {
  SetStripTabs(FTabs, FTabIndex);
}

void TTabControl::SetTabs(const std::vector<std::string>& tabs) {
  FTabs = tabs;
  if (FTabs.empty())
    FTabIndex = -1;
  else
    FTabIndex = std::clamp(FTabIndex, 0, TabCount() - 1);
  SetStripTabs(FTabs, FTabIndex);
}

int TTabControl::AddTab(const std::string& text) {
  std::vector<std::string> tabs = FTabs;
  tabs.push_back(text);
  FTabIndex = TabIndex();
  SetTabs(tabs);
  return TabCount() - 1;
}

void TTabControl::DeleteTab(int index) {
  if (index < 0 || index >= TabCount()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  std::vector<std::string> tabs = FTabs;
  tabs.erase(tabs.begin() + index);
  FTabIndex = TabIndex();
  if (FTabIndex > index) --FTabIndex;
  SetTabs(tabs);
}

void TTabControl::SetTabIndex(int index) {
  FTabIndex = index >= 0 && index < TabCount() ? index : -1;
  SelectStripTab(FTabIndex);
}

void TTabControl::Change() {
  FTabIndex = TabIndex();
  TCustomTabControl::Change();
}

void TTabControl::DefineProperties(TPropertyTable& table) const {
  TCustomTabControl::DefineProperties(table);
  auto* self = const_cast<TTabControl*>(this);
  table["TabIndex"] =
      IntProp([self] { return self->TabIndex(); }, [self](std::int64_t v) { self->SetTabIndex(int(v)); });
}

// --------------------------------------------------------------- TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 200, 150);
}

TTabSheet::~TTabSheet() {
  if (FPageControl != nullptr) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* control) {
  SetParent(control);
}

void TTabSheet::SetParent(TWinControl* parent) {
  if (parent == Parent()) return;
  if (FPageControl != nullptr) FPageControl->RemovePage(this);
  TWinControl::SetParent(parent);
  if (auto* pages = dynamic_cast<TPageControl*>(parent)) pages->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (FPageControl == nullptr) return -1;
  const auto& pages = FPageControl->FPages;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int index) {
  if (FPageControl != nullptr) FPageControl->MovePage(this, index);
}

int TTabSheet::TabIndex() const {
  if (FPageControl == nullptr || !FTabVisible) return -1;
  int tab = 0;
  for (TTabSheet* page : FPageControl->FPages) {
    if (page == this) return tab;
    if (page->FTabVisible) ++tab;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool value) {
  if (value == FTabVisible) return;
  FTabVisible = value;
  if (FPageControl != nullptr) FPageControl->UpdateTabs();
}

void TTabSheet::TextChanged() {
  if (FPageControl != nullptr) FPageControl->UpdateTabs();
}

void TTabSheet::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TTabSheet*>(this);
  table["TabVisible"] = BoolProp([self] { return self->FTabVisible; }, [self](bool v) { self->SetTabVisible(v); });
  table["PageIndex"] =
      IntProp([self] { return self->PageIndex(); }, [self](std::int64_t v) { self->SetPageIndex(int(v)); });
}

// ------------------------------------------------------------ TPageControl

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {}

TPageControl::~TPageControl() {
  // The pages outlive the list; they must not reach back into it.
  for (TTabSheet* page : FPages) page->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const {
  if (index < 0 || index >= PageCount()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  return FPages[static_cast<std::size_t>(index)];
}

void TPageControl::InsertPage(TTabSheet* page) {
  FPages.push_back(page);
  page->FPageControl = this;
  if (FActivePage == nullptr)
    SetActivePage(page);
  else
    page->SetVisible(false);
  UpdateTabs();
  LayoutDisplay();
}

void TPageControl::RemovePage(TTabSheet* page) {
  TTabSheet* next = page == FActivePage ? FindNextPage(page, true) : FActivePage;
  FPages.erase(std::remove(FPages.begin(), FPages.end(), page), FPages.end());
  page->FPageControl = nullptr;
  if (next == page) next = FPages.empty() ? nullptr : FPages.front();
  if (page == FActivePage) FActivePage = nullptr;
  SetActivePage(next);
  UpdateTabs();
}

void TPageControl::MovePage(TTabSheet* page, int index) {
  FPages.erase(std::remove(FPages.begin(), FPages.end(), page), FPages.end());
  index = std::clamp(index, 0, PageCount());
  FPages.insert(FPages.begin() + index, page);
  UpdateTabs();
}

void TPageControl::UpdateTabs() {
  std::vector<std::string> texts;
  for (TTabSheet* page : FPages)
    if (page->FTabVisible) texts.push_back(page->Caption());
  SetStripTabs(texts, FActivePage != nullptr ? FActivePage->TabIndex() : -1);
}

TTabSheet* TPageControl::PageOfTab(int tabIndex) const {
  int tab = 0;
  for (TTabSheet* page : FPages) {
    if (!page->FTabVisible) continue;
    if (tab++ == tabIndex) return page;
  }
  return nullptr;
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page != nullptr && page->FPageControl != this) return;
  FActivePage = page;
  ShowActive();
  SelectStripTab(page != nullptr ? page->TabIndex() : -1);
}

int TPageControl::ActivePageIndex() const {
  return FActivePage != nullptr ? FActivePage->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < PageCount() ? FPages[static_cast<std::size_t>(index)] : nullptr);
}

void TPageControl::ShowActive() {
  // A page that hides must not keep the focus in a hidden window.
  HWND focus = GetFocus();
  bool focusHidden = false;
  for (TTabSheet* page : FPages) {
    if (page == FActivePage || !page->Visible()) continue;
    if (page->HandleAllocated() && focus != nullptr &&
        (focus == page->Handle() || IsChild(page->Handle(), focus) != FALSE))
      focusHidden = true;
    page->SetVisible(false);
  }
  if (FActivePage != nullptr) {
    LayoutDisplay();
    FActivePage->SetVisible(true);
  }
  if (focusHidden && HandleAllocated()) ::SetFocus(Handle());
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool forward) const {
  const int count = PageCount();
  if (count == 0) return nullptr;
  auto at = std::find(FPages.begin(), FPages.end(), current);
  int start = at == FPages.end() ? (forward ? count - 1 : 0) : static_cast<int>(at - FPages.begin());
  for (int step = 1; step <= count; ++step) {
    const int i = ((start + (forward ? step : -step)) % count + count) % count;
    TTabSheet* page = FPages[static_cast<std::size_t>(i)];
    if (page->FTabVisible) return page;
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool forward) {
  TTabSheet* next = FindNextPage(FActivePage, forward);
  if (next == nullptr || next == FActivePage || !CanChange()) return;
  SetActivePage(next);
  TCustomTabControl::Change();
}

void TPageControl::Change() {
  if (TTabSheet* page = PageOfTab(TabIndex())) SetActivePage(page);
  TCustomTabControl::Change();
}

void TPageControl::CreateHandleDone() {
  UpdateTabs();
  ShowActive();
}

void TPageControl::LayoutDisplay() {
  const RECT r = DisplayRect();
  for (TTabSheet* page : FPages) page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::DefineProperties(TPropertyTable& table) const {
  TCustomTabControl::DefineProperties(table);
  auto* self = const_cast<TPageControl*>(this);
  table["ActivePageIndex"] =
      IntProp([self] { return self->ActivePageIndex(); }, [self](std::int64_t v) { self->SetActivePageIndex(int(v)); });
}

}  // namespace pellamy
