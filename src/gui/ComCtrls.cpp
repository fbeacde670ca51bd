#include "ComCtrls.h"

#include <commctrl.h>

#include <algorithm>

#include "Exceptions.h"
#include "WideText.h"

namespace pellamy {

namespace {
void CheckIndex(int index, int count) {
  if (index < 0 || index >= count) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}
}  // namespace

// --------------------------------------------------------------- TListView

TListView::TListView(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 250, 150);
  SetTabStop(true);
  SetColor(clWindow);
}

void TListView::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = WC_LISTVIEWA;
  const DWORD view[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  p.Style |= view[FViewStyle] | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
  if (!FReadOnly) p.Style |= LVS_EDITLABELS;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListView::ApplyExtendedStyle() {
  if (!HandleAllocated()) return;
  DWORD ex = 0;
  if (FCheckboxes) ex |= LVS_EX_CHECKBOXES;
  if (FRowSelect) ex |= LVS_EX_FULLROWSELECT;
  ListView_SetExtendedListViewStyleEx(Handle(), LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT, ex);
}

void TListView::CreateHandleDone() {
  HWND h = Handle();
  ApplyExtendedStyle();
  for (std::size_t i = 0; i < FColumns.size(); ++i) {
    std::wstring text = Utf8ToWide(FColumns[i].Caption);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = text.data();
    col.cx = FColumns[i].Width;
    col.iSubItem = static_cast<int>(i);
    SendMessageW(h, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
  }
  for (int i = 0; i < static_cast<int>(FItems.size()); ++i) InsertItemWindow(i);
}

void TListView::InsertItemWindow(int index) {
  const TItem& item = FItems[static_cast<std::size_t>(index)];
  std::wstring text = Utf8ToWide(item.Caption);
  LVITEMW lv{};
  lv.mask = LVIF_TEXT;
  lv.iItem = index;
  lv.pszText = text.data();
  SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv));
  for (std::size_t s = 0; s < item.SubItems.size(); ++s) {
    std::wstring sub = Utf8ToWide(item.SubItems[s]);
    LVITEMW si{};
    si.iSubItem = static_cast<int>(s + 1);
    si.pszText = sub.data();
    SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&si));
  }
  if (FCheckboxes) ListView_SetCheckState(Handle(), index, item.Checked);
}

void TListView::SetCheckboxes(bool value) {
  FCheckboxes = value;
  ApplyExtendedStyle();
}

void TListView::SetRowSelect(bool value) {
  FRowSelect = value;
  ApplyExtendedStyle();
}

void TListView::AddColumn(const std::string& caption, int width) {
  FColumns.push_back({caption, width});
  if (HandleAllocated()) {
    std::wstring text = Utf8ToWide(caption);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = text.data();
    col.cx = width;
    col.iSubItem = ColumnCount() - 1;
    SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(ColumnCount() - 1), reinterpret_cast<LPARAM>(&col));
  }
}

void TListView::ClearItems() {
  FItems.clear();
  if (HandleAllocated()) ListView_DeleteAllItems(Handle());
}

int TListView::AddItem(const std::string& caption) {
  FItems.push_back({caption, {}, false});
  const int index = static_cast<int>(FItems.size()) - 1;
  if (HandleAllocated()) InsertItemWindow(index);
  return index;
}

void TListView::AddSubItem(int item, const std::string& text) {
  CheckIndex(item, ItemCount());
  auto& subs = FItems[static_cast<std::size_t>(item)].SubItems;
  subs.push_back(text);
  if (HandleAllocated()) {
    std::wstring sub = Utf8ToWide(text);
    LVITEMW si{};
    si.iSubItem = static_cast<int>(subs.size());
    si.pszText = sub.data();
    SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&si));
  }
}

int TListView::ItemCount() const {
  return static_cast<int>(FItems.size());
}

std::string TListView::ItemCaption(int item) const {
  CheckIndex(item, ItemCount());
  if (HandleAllocated()) {
    // Captions may have been edited in place.
    wchar_t buffer[512] = {};
    LVITEMW lv{};
    lv.iSubItem = 0;
    lv.pszText = buffer;
    lv.cchTextMax = 511;
    SendMessageW(const_cast<TListView*>(this)->Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(&lv));
    return WideToUtf8(buffer);
  }
  return FItems[static_cast<std::size_t>(item)].Caption;
}

std::vector<std::string> TListView::SubItems(int item) const {
  CheckIndex(item, ItemCount());
  return FItems[static_cast<std::size_t>(item)].SubItems;
}

bool TListView::Checked(int item) const {
  CheckIndex(item, ItemCount());
  if (HandleAllocated() && FCheckboxes) return ListView_GetCheckState(const_cast<TListView*>(this)->Handle(), item);
  return FItems[static_cast<std::size_t>(item)].Checked;
}

void TListView::SetChecked(int item, bool checked) {
  CheckIndex(item, ItemCount());
  FItems[static_cast<std::size_t>(item)].Checked = checked;
  if (HandleAllocated() && FCheckboxes) ListView_SetCheckState(Handle(), item, checked);
}

int TListView::Selected() const {
  if (!HandleAllocated()) return -1;
  return static_cast<int>(ListView_GetNextItem(const_cast<TListView*>(this)->Handle(), -1, LVNI_SELECTED));
}

void TListView::SetSelected(int item) {
  if (!HandleAllocated()) return;
  ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (item >= 0) ListView_SetItemState(Handle(), item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void TListView::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
    if (hdr->code == NM_DBLCLK) {
      DblClick();
      return;
    }
    if (hdr->code == NM_CLICK) {
      Click();
      return;
    }
    if (hdr->code == LVN_ITEMCHANGED) {
      const auto* nm = reinterpret_cast<const NMLISTVIEW*>(m.LParam);
      if (nm->iItem >= 0 && nm->iItem < ItemCount() && (nm->uChanged & LVIF_STATE) != 0)
        FItems[static_cast<std::size_t>(nm->iItem)].Checked = ((nm->uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
    }
  }
  TWinControl::WndProc(m);
}

void TListView::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TListView*>(this);
  table["ViewStyle"] = EnumProp(
      {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}, [self] { return int(self->FViewStyle); },
      [self](int v) { self->FViewStyle = TViewStyle(v); });
  table["Checkboxes"] = BoolProp([self] { return self->FCheckboxes; }, [self](bool v) { self->SetCheckboxes(v); });
  table["RowSelect"] = BoolProp([self] { return self->FRowSelect; }, [self](bool v) { self->SetRowSelect(v); });
}

// -------------------------------------------------------------- TStatusBar

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 0, 19);
  SetAlign(alBottom);
}

void TStatusBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = STATUSCLASSNAMEA;
  // The library places the bar itself; the bar must not move to the
  // parent's edge on its own.
  p.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
}

void TStatusBar::CreateHandleDone() {
  UpdatePanels();
}

void TStatusBar::AddPanel(int width) {
  FPanels.push_back({"", width});
  UpdatePanels();
}

std::vector<int> TStatusBar::PanelEdges() const {
  std::vector<int> edges;
  int x = 0;
  for (std::size_t i = 0; i < FPanels.size(); ++i) {
    x += FPanels[i].Width;
    edges.push_back(i + 1 == FPanels.size() ? -1 : x);
  }
  return edges;
}

void TStatusBar::UpdatePanels() {
  if (!HandleAllocated()) return;
  HWND h = Handle();
  SendMessageW(h, SB_SIMPLE, FSimplePanel ? TRUE : FALSE, 0);
  std::vector<int> edges = PanelEdges();
  if (edges.empty()) edges.push_back(-1);
  SendMessageW(h, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  for (std::size_t i = 0; i < FPanels.size(); ++i)
    SendMessageW(h, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(Utf8ToWide(FPanels[i].Text).c_str()));
}

void TStatusBar::SetPanelText(int index, const std::string& text) {
  CheckIndex(index, PanelCount());
  FPanels[static_cast<std::size_t>(index)].Text = text;
  if (HandleAllocated())
    SendMessageW(Handle(), SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(Utf8ToWide(text).c_str()));
}

void TStatusBar::SetSimplePanel(bool value) {
  FSimplePanel = value;
  UpdatePanels();
}

void TStatusBar::WndProc(TMessage& m) {
  TWinControl::WndProc(m);
}

// ------------------------------------------------------------ TProgressBar

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 150, 16);
}

void TProgressBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = PROGRESS_CLASSA;
}

void TProgressBar::CreateHandleDone() {
  SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
  SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetRange(int min, int max) {
  FMin = min, FMax = std::max(min, max);
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
  SetPosition(FPosition);
}

int TProgressBar::Position() const {
  return FPosition;
}

void TProgressBar::SetPosition(int position) {
  FPosition = std::clamp(position, FMin, FMax);
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TProgressBar*>(this);
  table["Position"] =
      IntProp([self] { return self->FPosition; }, [self](std::int64_t v) { self->SetPosition(int(v)); });
}

}  // namespace pellamy
