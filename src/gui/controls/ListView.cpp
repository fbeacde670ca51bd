#include "gui/controls/ListView.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "base/Exceptions.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

// --------------------------------------------------------------- TListView

TCustomListView::TCustomListView(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 250, 150);
  SetTabStop(true);
  SetColor(clWindow);
}

void TCustomListView::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = WC_LISTVIEWA;
  const DWORD view[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  p.Style |= view[FViewStyle] | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
  if (!FReadOnly) p.Style |= LVS_EDITLABELS;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::ApplyExtendedStyle() {
  if (!HandleAllocated()) return;
  DWORD ex = 0;
  if (FCheckboxes) ex |= LVS_EX_CHECKBOXES;
  if (FRowSelect) ex |= LVS_EX_FULLROWSELECT;
  ListView_SetExtendedListViewStyleEx(Handle(), LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT, ex);
}

void TCustomListView::CreateHandleDone() {
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

void TCustomListView::InsertItemWindow(int index) {
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
  ShowCheckState(index);
}

void TCustomListView::ShowCheckState(int index) {
  if (!HandleAllocated() || !FCheckboxes) return;
  const TItem& item = FItems[static_cast<std::size_t>(index)];
  // State image 0 is no check box at all.
  if (!item.Checkable) {
    ListView_SetItemState(Handle(), index, INDEXTOSTATEIMAGEMASK(0), LVIS_STATEIMAGEMASK);
  } else {
    ListView_SetCheckState(Handle(), index, item.Checked);
  }
}

void TCustomListView::SetCheckable(int item, bool checkable) {
  CheckListIndex(item, ItemCount());
  TItem& entry = FItems[static_cast<std::size_t>(item)];
  entry.Checkable = checkable;
  if (!checkable) entry.Checked = false;
  ShowCheckState(item);
}

void TCustomListView::SetCheckboxes(bool value) {
  FCheckboxes = value;
  ApplyExtendedStyle();
}

void TCustomListView::SetRowSelect(bool value) {
  FRowSelect = value;
  ApplyExtendedStyle();
}

void TCustomListView::AddColumn(const std::string& caption, int width) {
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

void TCustomListView::ClearItems() {
  FItems.clear();
  if (HandleAllocated()) ListView_DeleteAllItems(Handle());
}

int TCustomListView::AddItem(const std::string& caption) {
  FItems.push_back({caption, {}, false});
  const int index = static_cast<int>(FItems.size()) - 1;
  if (HandleAllocated()) InsertItemWindow(index);
  return index;
}

void TCustomListView::AddSubItem(int item, const std::string& text) {
  CheckListIndex(item, ItemCount());
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

int TCustomListView::ItemCount() const {
  return static_cast<int>(FItems.size());
}

std::string TCustomListView::ItemCaption(int item) const {
  CheckListIndex(item, ItemCount());
  if (HandleAllocated()) {
    // Captions may have been edited in place.
    wchar_t buffer[512] = {};
    LVITEMW lv{};
    lv.iSubItem = 0;
    lv.pszText = buffer;
    lv.cchTextMax = 511;
    SendMessageW(const_cast<TCustomListView*>(this)->Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(&lv));
    return WideToUtf8(buffer);
  }
  return FItems[static_cast<std::size_t>(item)].Caption;
}

std::vector<std::string> TCustomListView::SubItems(int item) const {
  CheckListIndex(item, ItemCount());
  return FItems[static_cast<std::size_t>(item)].SubItems;
}

bool TCustomListView::Checked(int item) const {
  CheckListIndex(item, ItemCount());
  if (!FItems[static_cast<std::size_t>(item)].Checkable) return false;
  if (HandleAllocated() && FCheckboxes)
    return ListView_GetCheckState(const_cast<TCustomListView*>(this)->Handle(), item);
  return FItems[static_cast<std::size_t>(item)].Checked;
}

void TCustomListView::SetChecked(int item, bool checked) {
  CheckListIndex(item, ItemCount());
  TItem& entry = FItems[static_cast<std::size_t>(item)];
  if (!entry.Checkable) return;
  entry.Checked = checked;
  ShowCheckState(item);
}

int TCustomListView::Selected() const {
  if (!HandleAllocated()) return -1;
  return static_cast<int>(ListView_GetNextItem(const_cast<TCustomListView*>(this)->Handle(), -1, LVNI_SELECTED));
}

void TCustomListView::SetSelected(int item) {
  if (!HandleAllocated()) return;
  ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (item >= 0) ListView_SetItemState(Handle(), item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void TCustomListView::WndProc(TMessage& m) {
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
      if (nm->iItem >= 0 && nm->iItem < ItemCount() && (nm->uChanged & LVIF_STATE) != 0) {
        TItem& entry = FItems[static_cast<std::size_t>(nm->iItem)];
        const UINT image = (nm->uNewState & LVIS_STATEIMAGEMASK) >> 12;
        entry.Checked = entry.Checkable && image == 2;
        // A click gave an uncheckable item a check box: take it away again.
        if (!entry.Checkable && image != 0) ShowCheckState(nm->iItem);
      }
    }
  }
  TWinControl::WndProc(m);
}

void TCustomListView::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TCustomListView*>(this);
  table["ViewStyle"] = EnumProp(
      {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}, [self] { return int(self->FViewStyle); },
      [self](int v) { self->FViewStyle = TViewStyle(v); });
  table["Checkboxes"] = BoolProp([self] { return self->FCheckboxes; }, [self](bool v) { self->SetCheckboxes(v); });
  table["RowSelect"] = BoolProp([self] { return self->FRowSelect; }, [self](bool v) { self->SetRowSelect(v); });
}

}  // namespace pellamy
