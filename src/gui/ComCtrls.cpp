#include "ComCtrls.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "Exceptions.h"
#include "Forms.h"
#include "WideText.h"

namespace pellamy {

namespace {
void CheckIndex(int index, int count) {
  if (index < 0 || index >= count) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}
}  // namespace

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
  if (FCheckboxes) ListView_SetCheckState(Handle(), index, item.Checked);
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

int TCustomListView::ItemCount() const {
  return static_cast<int>(FItems.size());
}

std::string TCustomListView::ItemCaption(int item) const {
  CheckIndex(item, ItemCount());
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
  CheckIndex(item, ItemCount());
  return FItems[static_cast<std::size_t>(item)].SubItems;
}

bool TCustomListView::Checked(int item) const {
  CheckIndex(item, ItemCount());
  if (HandleAllocated() && FCheckboxes)
    return ListView_GetCheckState(const_cast<TCustomListView*>(this)->Handle(), item);
  return FItems[static_cast<std::size_t>(item)].Checked;
}

void TCustomListView::SetChecked(int item, bool checked) {
  CheckIndex(item, ItemCount());
  FItems[static_cast<std::size_t>(item)].Checked = checked;
  if (HandleAllocated() && FCheckboxes) ListView_SetCheckState(Handle(), item, checked);
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
      if (nm->iItem >= 0 && nm->iItem < ItemCount() && (nm->uChanged & LVIF_STATE) != 0)
        FItems[static_cast<std::size_t>(nm->iItem)].Checked = ((nm->uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
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
  // A grip only sizes anything on a form the user may size.
  TControl* top = this;
  while (top->Parent() != nullptr) top = top->Parent();
  const auto* form = dynamic_cast<const TForm*>(top);
  const bool sizeable = form == nullptr || form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin;
  if (FSizeGrip && sizeable) p.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::SetSizeGrip(bool value) {
  if (FSizeGrip == value) return;
  FSizeGrip = value;
  // The bar reads the style when it lays out its parts; a new window is
  // simplest and sure.
  RecreateWnd(*this);
}

void TStatusBar::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TStatusBar*>(this);
  table["SizeGrip"] = BoolProp([self] { return self->FSizeGrip; }, [self](bool v) { self->SetSizeGrip(v); });
  table["SimplePanel"] = BoolProp([self] { return self->FSimplePanel; }, [self](bool v) { self->SetSimplePanel(v); });
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

void RecreateWnd(TWinControl& control) {
  if (!control.HandleAllocated()) return;
  const bool focused = control.Focused();
  control.DestroyHandle();
  control.HandleNeeded();
  if (focused) control.SetFocus();
}

namespace {

// A window's place in its parent's client area.
RECT WindowBoundsInParent(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void SyncBounds(TWinControl& control) {
  const RECT r = WindowBoundsInParent(control.Handle());
  control.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

// --------------------------------------------------------------- TTrackBar

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 150, 45);
  SetTabStop(true);
}

void TTrackBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = TRACKBAR_CLASSA;
  p.Style |= FOrientation == trVertical ? TBS_VERT : TBS_HORZ;
  const DWORD marks[] = {TBS_BOTTOM, TBS_TOP, TBS_BOTH};
  p.Style |= marks[FTickMarks];
  if (FTickStyle == tsNone) p.Style |= TBS_NOTICKS;
  if (FTickStyle == tsAuto) p.Style |= TBS_AUTOTICKS;
  p.Style |= TBS_FIXEDLENGTH;
}

void TTrackBar::CreateHandleDone() {
  HWND h = Handle();
  SendMessageW(h, TBM_SETRANGEMIN, FALSE, FMin);
  SendMessageW(h, TBM_SETRANGEMAX, FALSE, FMax);
  SendMessageW(h, TBM_SETLINESIZE, 0, FLineSize);
  SendMessageW(h, TBM_SETPAGESIZE, 0, FPageSize);
  if (FThumbLength > 0) SendMessageW(h, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(FThumbLength), 0);
  if (FTickStyle == tsAuto) SendMessageW(h, TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
  if (FTickStyle == tsManual)
    for (int tick : FTicks) SendMessageW(h, TBM_SETTIC, 0, tick);
  SendMessageW(h, TBM_SETPOS, TRUE, FPosition);
}

void TTrackBar::UpdateRange() {
  FPosition = std::clamp(FPosition, FMin, FMax);
  if (!HandleAllocated()) return;
  SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, FMin);
  SendMessageW(Handle(), TBM_SETRANGEMAX, TRUE, FMax);
  if (FTickStyle == tsAuto) SendMessageW(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
  PositionFromWindow();
}

void TTrackBar::SetMin(int value) {
  if (value == FMin) return;
  const int old = FPosition;
  FMin = value;
  FMax = std::max(FMax, FMin);
  UpdateRange();
  if (FPosition != old) Changed();
}

void TTrackBar::SetMax(int value) {
  if (value == FMax) return;
  const int old = FPosition;
  FMax = value;
  FMin = std::min(FMin, FMax);
  UpdateRange();
  if (FPosition != old) Changed();
}

int TTrackBar::Position() const {
  if (HandleAllocated())
    return static_cast<int>(SendMessageW(const_cast<TTrackBar*>(this)->Handle(), TBM_GETPOS, 0, 0));
  return FPosition;
}

void TTrackBar::SetPosition(int value) {
  value = std::clamp(value, FMin, FMax);
  if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPOS, TRUE, value);
  if (value == FPosition) return;
  FPosition = value;
  Changed();
}

void TTrackBar::PositionFromWindow() {
  if (!HandleAllocated()) return;
  const int now = static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0));
  if (now == FPosition) return;
  FPosition = now;
  Changed();
}

void TTrackBar::SetFrequency(int value) {
  FFrequency = std::max(1, value);
  if (HandleAllocated() && FTickStyle == tsAuto)
    SendMessageW(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
}

void TTrackBar::SetLineSize(int value) {
  FLineSize = std::max(1, value);
  if (HandleAllocated()) SendMessageW(Handle(), TBM_SETLINESIZE, 0, FLineSize);
}

void TTrackBar::SetPageSize(int value) {
  FPageSize = std::max(1, value);
  if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPAGESIZE, 0, FPageSize);
}

void TTrackBar::SetOrientation(TTrackBarOrientation value) {
  if (value == FOrientation) return;
  FOrientation = value;
  // The bar turns round: its length becomes its height.
  SetBounds(Left(), Top(), Height(), Width());
  RecreateWnd(*this);
}

void TTrackBar::SetTickMarks(TTickMark value) {
  if (value == FTickMarks) return;
  FTickMarks = value;
  RecreateWnd(*this);
}

void TTrackBar::SetTickStyle(TTickStyle value) {
  if (value == FTickStyle) return;
  FTickStyle = value;
  RecreateWnd(*this);
}

void TTrackBar::SetThumbLength(int value) {
  FThumbLength = std::max(0, value);
  if (HandleAllocated() && FThumbLength > 0)
    SendMessageW(Handle(), TBM_SETTHUMBLENGTH, static_cast<WPARAM>(FThumbLength), 0);
}

void TTrackBar::SetTick(int position) {
  FTicks.push_back(position);
  if (HandleAllocated() && FTickStyle == tsManual) SendMessageW(Handle(), TBM_SETTIC, 0, position);
}

RECT TTrackBar::ThumbRect() const {
  RECT r{0, 0, 0, 0};
  if (HandleAllocated())
    SendMessageW(const_cast<TTrackBar*>(this)->Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&r));
  return r;
}

void TTrackBar::Changed() {
  if (OnChange) OnChange(this);
}

void TTrackBar::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL:
      PositionFromWindow();
      m.Result = 0;
      return;
    case CN_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
      if (hdr->code != static_cast<UINT>(NM_CUSTOMDRAW)) break;
      // The system draws everything unless someone asks to draw the thumb;
      // a hook on WindowProc may answer before this does.
      auto* cd = reinterpret_cast<NMCUSTOMDRAW*>(m.LParam);
      m.Result = CDRF_DODEFAULT;
      if (!OnCustomDrawThumb) return;
      if (cd->dwDrawStage == CDDS_PREPAINT) {
        m.Result = CDRF_NOTIFYITEMDRAW;
      } else if (cd->dwDrawStage == CDDS_ITEMPREPAINT && cd->dwItemSpec == TBCD_THUMB) {
        bool defaultDraw = true;
        {
          TCanvas canvas(cd->hdc);
          OnCustomDrawThumb(this, canvas, cd->rc, defaultDraw);
        }
        if (!defaultDraw) m.Result = CDRF_SKIPDEFAULT;
      }
      return;
    }
    default:
      break;
  }
  TWinControl::WndProc(m);
}

void TTrackBar::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TTrackBar*>(this);
  table["Min"] = IntProp([self] { return self->FMin; }, [self](std::int64_t v) { self->SetMin(int(v)); });
  table["Max"] = IntProp([self] { return self->FMax; }, [self](std::int64_t v) { self->SetMax(int(v)); });
  table["Position"] =
      IntProp([self] { return self->Position(); }, [self](std::int64_t v) { self->SetPosition(int(v)); });
  table["Frequency"] =
      IntProp([self] { return self->FFrequency; }, [self](std::int64_t v) { self->SetFrequency(int(v)); });
  table["LineSize"] =
      IntProp([self] { return self->FLineSize; }, [self](std::int64_t v) { self->SetLineSize(int(v)); });
  table["PageSize"] =
      IntProp([self] { return self->FPageSize; }, [self](std::int64_t v) { self->SetPageSize(int(v)); });
  table["ThumbLength"] =
      IntProp([self] { return self->FThumbLength; }, [self](std::int64_t v) { self->SetThumbLength(int(v)); });
  table["Orientation"] = EnumProp(
      {"trHorizontal", "trVertical"}, [self] { return int(self->FOrientation); },
      [self](int v) { self->SetOrientation(TTrackBarOrientation(v)); });
  table["TickMarks"] = EnumProp(
      {"tmBottomRight", "tmTopLeft", "tmBoth"}, [self] { return int(self->FTickMarks); },
      [self](int v) { self->SetTickMarks(TTickMark(v)); });
  table["TickStyle"] = EnumProp(
      {"tsNone", "tsAuto", "tsManual"}, [self] { return int(self->FTickStyle); },
      [self](int v) { self->SetTickStyle(TTickStyle(v)); });
}

// ----------------------------------------------------------------- TUpDown

TUpDown::TUpDown(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 17, 25);
}

TUpDown::~TUpDown() = default;

void TUpDown::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = UPDOWN_CLASSA;
  p.Style |= UDS_SETBUDDYINT;
  if (FAssociate != nullptr) p.Style |= UDS_ALIGNRIGHT;
  if (FArrowKeys) p.Style |= UDS_ARROWKEYS;
  if (FWrap) p.Style |= UDS_WRAP;
  if (FOrientation == udHorizontal) p.Style |= UDS_HORZ;
  if (!FThousands) p.Style |= UDS_NOTHOUSANDS;
}

void TUpDown::CreateHandleDone() {
  HWND h = Handle();
  SendMessageW(h, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
  UDACCEL accel{0, static_cast<UINT>(FIncrement)};
  SendMessageW(h, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  ApplyBuddy();
  SendMessageW(h, UDM_SETPOS32, 0, FPosition);
}

void TUpDown::ApplyBuddy() {
  if (!HandleAllocated() || FAssociate == nullptr) return;
  // The control moves itself to the buddy's right edge and narrows it.
  SendMessageW(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(FAssociate->Handle()), 0);
  SyncBounds(*this);
  SyncBounds(*FAssociate);
}

void TUpDown::SetMin(int value) {
  FMin = value;
  if (HandleAllocated()) SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
  SetPosition(Position());
}

void TUpDown::SetMax(int value) {
  FMax = value;
  if (HandleAllocated()) SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
  SetPosition(Position());
}

int TUpDown::Position() const {
  if (HandleAllocated()) {
    BOOL failed = FALSE;
    const auto pos = static_cast<int>(
        SendMessageW(const_cast<TUpDown*>(this)->Handle(), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
    if (!failed) return pos;
  }
  return FPosition;
}

void TUpDown::SetPosition(int value) {
  // The range may run either way (Min above Max counts down).
  FPosition = std::clamp(value, std::min(FMin, FMax), std::max(FMin, FMax));
  if (HandleAllocated()) SendMessageW(Handle(), UDM_SETPOS32, 0, FPosition);
}

void TUpDown::SetIncrement(int value) {
  FIncrement = value;
  if (HandleAllocated()) {
    UDACCEL accel{0, static_cast<UINT>(FIncrement)};
    SendMessageW(Handle(), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  }
}

void TUpDown::SetOrientation(TUDOrientation value) {
  if (value == FOrientation) return;
  FOrientation = value;
  FPosition = Position();
  SetBounds(Left(), Top(), Height(), Width());
  RecreateWnd(*this);
}

void TUpDown::SetWrap(bool value) {
  if (value == FWrap) return;
  FWrap = value;
  FPosition = Position();
  RecreateWnd(*this);
}

void TUpDown::SetArrowKeys(bool value) {
  if (value == FArrowKeys) return;
  FArrowKeys = value;
  FPosition = Position();
  RecreateWnd(*this);
}

void TUpDown::SetThousands(bool value) {
  if (value == FThousands) return;
  FThousands = value;
  FPosition = Position();
  RecreateWnd(*this);
}

void TUpDown::SetAssociate(TWinControl* buddy) {
  if (buddy == FAssociate) return;
  FPosition = Position();
  if (buddy != nullptr) buddy->FreeNotification(this);
  FAssociate = buddy;
  if (HandleAllocated()) {
    if (buddy == nullptr) SendMessageW(Handle(), UDM_SETBUDDY, 0, 0);
    RecreateWnd(*this);
  }
}

void TUpDown::Notification(TComponent* component, bool removing) {
  TWinControl::Notification(component, removing);
  if (removing && component == FAssociate) {
    FAssociate = nullptr;
    if (HandleAllocated()) SendMessageW(Handle(), UDM_SETBUDDY, 0, 0);
  }
}

void TUpDown::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
      if (hdr->code == static_cast<UINT>(UDN_DELTAPOS)) {
        const auto* nm = reinterpret_cast<const NMUPDOWN*>(m.LParam);
        bool allow = true;
        if (OnChanging) OnChanging(this, allow);
        FLastDelta = nm->iDelta;
        FRefused = !allow;
        m.Result = allow ? 0 : 1;
        return;
      }
      break;
    }
    case CN_HSCROLL:
    case CN_VSCROLL:
      // A refused step still reports its end; it is no click.
      if (LOWORD(m.WParam) == SB_THUMBPOSITION && !FRefused) {
        FPosition = Position();
        if (OnClick) OnClick(this, FLastDelta >= 0 ? btNext : btPrev);
      }
      m.Result = 0;
      return;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

void TUpDown::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TUpDown*>(this);
  table["Min"] = IntProp([self] { return self->FMin; }, [self](std::int64_t v) { self->SetMin(int(v)); });
  table["Max"] = IntProp([self] { return self->FMax; }, [self](std::int64_t v) { self->SetMax(int(v)); });
  table["Position"] =
      IntProp([self] { return self->Position(); }, [self](std::int64_t v) { self->SetPosition(int(v)); });
  table["Increment"] =
      IntProp([self] { return self->FIncrement; }, [self](std::int64_t v) { self->SetIncrement(int(v)); });
  table["Orientation"] = EnumProp(
      {"udVertical", "udHorizontal"}, [self] { return int(self->FOrientation); },
      [self](int v) { self->SetOrientation(TUDOrientation(v)); });
  table["Wrap"] = BoolProp([self] { return self->FWrap; }, [self](bool v) { self->SetWrap(v); });
  table["ArrowKeys"] = BoolProp([self] { return self->FArrowKeys; }, [self](bool v) { self->SetArrowKeys(v); });
  table["Thousands"] = BoolProp([self] { return self->FThousands; }, [self](bool v) { self->SetThousands(v); });
}

// --------------------------------------------------------- TDateTimePicker

namespace {

constexpr std::int64_t kMsPerDay = 86400000;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

constexpr std::int64_t kDayZero = -25569;  // 1899-12-30 counted from 1970-01-01

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
         a.wMinute == b.wMinute && a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

}  // namespace

double SystemTimeToDateTime(const SYSTEMTIME& t) {
  const std::int64_t days = DaysFromCivil(t.wYear, t.wMonth, t.wDay) - kDayZero;
  const double fraction =
      static_cast<double>(((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds) / kMsPerDay;
  // Before day zero the fraction still counts forward into the day.
  return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

SYSTEMTIME DateTimeToSystemTime(double value) {
  std::int64_t days = static_cast<std::int64_t>(std::trunc(value));
  std::int64_t ms = std::llround(std::fabs(value - static_cast<double>(days)) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    days += value < 0 ? -1 : 1;
  }
  const std::int64_t epochDays = days + kDayZero;
  int year, month, day;
  CivilFromDays(epochDays, year, month, day);
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  t.wDayOfWeek = static_cast<WORD>(((epochDays % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  t.wHour = static_cast<WORD>(ms / 3600000);
  t.wMinute = static_cast<WORD>(ms / 60000 % 60);
  t.wSecond = static_cast<WORD>(ms / 1000 % 60);
  t.wMilliseconds = static_cast<WORD>(ms % 1000);
  return t;
}

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 186, 21);
  SetTabStop(true);
  SetColor(clWindow);
  GetLocalTime(&FValue);
  FValue.wMilliseconds = 0;
}

void TDateTimePicker::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = DATETIMEPICK_CLASSA;
  if (FKind == dtkTime)
    p.Style |= DTS_TIMEFORMAT;
  else
    p.Style |=
        (FDateFormat == dfLong ? DTS_LONGDATEFORMAT : DTS_SHORTDATEFORMAT) | (FDateMode == dmUpDown ? DTS_UPDOWN : 0);
}

void TDateTimePicker::CreateHandleDone() {
  ApplyRange();
  SendMessageW(Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&FValue));
}

void TDateTimePicker::ApplyRange() {
  if (!HandleAllocated()) return;
  SYSTEMTIME range[2]{};
  WPARAM flags = 0;
  if (FMinDate != 0) flags |= GDTR_MIN, range[0] = DateTimeToSystemTime(FMinDate);
  if (FMaxDate != 0) flags |= GDTR_MAX, range[1] = DateTimeToSystemTime(FMaxDate);
  SendMessageW(Handle(), DTM_SETRANGE, flags, reinterpret_cast<LPARAM>(range));
}

SYSTEMTIME TDateTimePicker::SystemTime() const {
  if (HandleAllocated()) {
    SYSTEMTIME t{};
    if (SendMessageW(const_cast<TDateTimePicker*>(this)->Handle(), DTM_GETSYSTEMTIME, 0,
                     reinterpret_cast<LPARAM>(&t)) == GDT_VALID)
      return t;
  }
  return FValue;
}

void TDateTimePicker::Store(const SYSTEMTIME& time, bool notify) {
  double value = SystemTimeToDateTime(time);
  if (FMinDate != 0) value = std::max(value, FMinDate);
  if (FMaxDate != 0) value = std::min(value, FMaxDate);
  SYSTEMTIME t = DateTimeToSystemTime(value);
  const bool changed = !SameTime(t, SystemTime());
  FValue = t;
  if (HandleAllocated()) SendMessageW(Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
  if (changed && notify && OnChange) OnChange(this);
}

void TDateTimePicker::SetSystemTime(const SYSTEMTIME& time) {
  Store(time, false);
}

double TDateTimePicker::DateTime() const {
  return SystemTimeToDateTime(SystemTime());
}

void TDateTimePicker::SetDateTime(double value) {
  Store(DateTimeToSystemTime(value), false);
}

SYSTEMTIME TDateTimePicker::Date() const {
  return DateTimeToSystemTime(std::trunc(DateTime()));
}

void TDateTimePicker::SetDate(const SYSTEMTIME& date) {
  SYSTEMTIME t = SystemTime();
  t.wYear = date.wYear, t.wMonth = date.wMonth, t.wDay = date.wDay;
  Store(t, false);
}

SYSTEMTIME TDateTimePicker::Time() const {
  SYSTEMTIME t = SystemTime();
  t.wYear = 1899, t.wMonth = 12, t.wDay = 30, t.wDayOfWeek = 6;
  return t;
}

void TDateTimePicker::SetTime(const SYSTEMTIME& time) {
  SYSTEMTIME t = SystemTime();
  t.wHour = time.wHour, t.wMinute = time.wMinute, t.wSecond = time.wSecond, t.wMilliseconds = time.wMilliseconds;
  Store(t, false);
}

void TDateTimePicker::SetKind(TDateTimeKind value) {
  if (value == FKind) return;
  FValue = SystemTime();
  FKind = value;
  RecreateWnd(*this);
}

void TDateTimePicker::SetDateMode(TDTDateMode value) {
  if (value == FDateMode) return;
  FValue = SystemTime();
  FDateMode = value;
  RecreateWnd(*this);
}

void TDateTimePicker::SetDateFormat(TDTDateFormat value) {
  if (value == FDateFormat) return;
  FValue = SystemTime();
  FDateFormat = value;
  RecreateWnd(*this);
}

bool TDateTimePicker::IsUpDownMode() const {
  if (HandleAllocated())
    return (GetWindowLongPtrW(const_cast<TDateTimePicker*>(this)->Handle(), GWL_STYLE) & DTS_UPDOWN) != 0;
  return FKind == dtkTime || FDateMode == dmUpDown;
}

void TDateTimePicker::SetMinDate(double value) {
  FMinDate = value;
  ApplyRange();
  if (FMinDate != 0 && DateTime() < FMinDate) Store(SystemTime(), false);
}

void TDateTimePicker::SetMaxDate(double value) {
  FMaxDate = value;
  ApplyRange();
  if (FMaxDate != 0 && DateTime() > FMaxDate) Store(SystemTime(), false);
}

void TDateTimePicker::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
    if (hdr->code == static_cast<UINT>(DTN_DATETIMECHANGE)) {
      const auto* nm = reinterpret_cast<const NMDATETIMECHANGE*>(m.LParam);
      if (nm->dwFlags == GDT_VALID && !SameTime(nm->st, FValue)) {
        FValue = nm->st;
        if (OnChange) OnChange(this);
      }
      m.Result = 0;
      return;
    }
  }
  TWinControl::WndProc(m);
}

void TDateTimePicker::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TDateTimePicker*>(this);
  table["Kind"] = EnumProp(
      {"dtkDate", "dtkTime"}, [self] { return int(self->FKind); }, [self](int v) { self->SetKind(TDateTimeKind(v)); });
  table["DateMode"] = EnumProp(
      {"dmComboBox", "dmUpDown"}, [self] { return int(self->FDateMode); },
      [self](int v) { self->SetDateMode(TDTDateMode(v)); });
  table["DateFormat"] = EnumProp(
      {"dfShort", "dfLong"}, [self] { return int(self->FDateFormat); },
      [self](int v) { self->SetDateFormat(TDTDateFormat(v)); });
}

// ---------------------------------------------------------- THeaderControl

THeaderSection::THeaderSection(THeaderControl* header, std::string text, int width)
    : FHeader(header), FText(std::move(text)), FWidth(width) {}

void THeaderSection::Update() {
  if (FHeader->HandleAllocated()) FHeader->UpdateItemWindow(Index());
}

void THeaderSection::SetText(const std::string& text) {
  FText = text;
  Update();
}

int THeaderSection::Width() const {
  if (FHeader->HandleAllocated()) {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    if (SendMessageW(FHeader->Handle(), HDM_GETITEMW, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&item)))
      return item.cxy;
  }
  return FWidth;
}

void THeaderSection::SetWidth(int width) {
  FWidth = std::max(0, width);
  Update();
}

void THeaderSection::SetAlignment(TAlignment value) {
  FAlignment = value;
  Update();
}

int THeaderSection::Index() const {
  return FHeader->FSections.IndexOf(this);
}

int THeaderSection::Left() const {
  int x = 0;
  for (int i = 0; i < Index(); ++i) x += FHeader->FSections.Items(i)->Width();
  return x;
}

THeaderSection* THeaderSections::Add(const std::string& text, int width) {
  FItems.push_back(std::make_unique<THeaderSection>(FHeader, text, width));
  if (FHeader->HandleAllocated()) FHeader->InsertItemWindow(Count() - 1);
  return FItems.back().get();
}

void THeaderSections::Delete(int index) {
  CheckIndex(index, Count());
  FItems.erase(FItems.begin() + index);
  if (FHeader->HandleAllocated()) SendMessageW(FHeader->Handle(), HDM_DELETEITEM, static_cast<WPARAM>(index), 0);
}

void THeaderSections::Clear() {
  while (Count() > 0) Delete(Count() - 1);
}

THeaderSection* THeaderSections::Items(int index) const {
  CheckIndex(index, Count());
  return FItems[static_cast<std::size_t>(index)].get();
}

int THeaderSections::IndexOf(const THeaderSection* section) const {
  for (std::size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == section) return static_cast<int>(i);
  return -1;
}

THeaderControl::THeaderControl(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 200, 17);
  SetAlign(alTop);
}

void THeaderControl::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = WC_HEADERA;
  p.Style |= HDS_HORZ | HDS_BUTTONS | HDS_FULLDRAG;
  if (FHotTrack) p.Style |= HDS_HOTTRACK;
}

void THeaderControl::CreateHandleDone() {
  for (int i = 0; i < FSections.Count(); ++i) InsertItemWindow(i);
}

namespace {
HDITEMW SectionItem(const THeaderSection& s, std::wstring& text, int width) {
  HDITEMW item{};
  item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
  item.pszText = text.data();
  item.cxy = width;
  const int align[] = {HDF_LEFT, HDF_RIGHT, HDF_CENTER};
  item.fmt = HDF_STRING | align[s.Alignment()];
  return item;
}
}  // namespace

void THeaderControl::InsertItemWindow(int index) {
  THeaderSection* s = FSections.Items(index);
  std::wstring text = Utf8ToWide(s->FText);
  HDITEMW item = SectionItem(*s, text, s->FWidth);
  SendMessageW(Handle(), HDM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void THeaderControl::UpdateItemWindow(int index) {
  THeaderSection* s = FSections.Items(index);
  std::wstring text = Utf8ToWide(s->FText);
  HDITEMW item = SectionItem(*s, text, s->FWidth);
  SendMessageW(Handle(), HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void THeaderControl::SetHotTrack(bool value) {
  if (value == FHotTrack) return;
  FHotTrack = value;
  for (auto& s : FSections.FItems) s->FWidth = s->Width();
  RecreateWnd(*this);
}

void THeaderControl::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    const auto* nm = reinterpret_cast<const NMHEADERW*>(m.LParam);
    const UINT code = nm->hdr.code;
    // Only the header's own codes carry an NMHEADER (custom draw does not);
    // its ANSI and wide forms carry the width at the same place.
    const bool headerCode = code <= static_cast<UINT>(HDN_FIRST) && code >= static_cast<UINT>(HDN_LAST);
    THeaderSection* section =
        headerCode && nm->iItem >= 0 && nm->iItem < FSections.Count() ? FSections.Items(nm->iItem) : nullptr;
    const bool hasWidth = section != nullptr && nm->pitem != nullptr && (nm->pitem->mask & HDI_WIDTH) != 0;
    if (section != nullptr) {
      switch (code) {
        case HDN_ITEMCLICKA:
        case HDN_ITEMCLICKW:
          if (OnSectionClick) OnSectionClick(this, section);
          m.Result = 0;
          return;
        case HDN_ITEMCHANGEDA:
        case HDN_ITEMCHANGEDW:
          if (hasWidth && nm->pitem->cxy != section->FWidth) {
            section->FWidth = nm->pitem->cxy;
            if (OnSectionResize) OnSectionResize(this, section);
          }
          m.Result = 0;
          return;
        case HDN_BEGINTRACKA:
        case HDN_BEGINTRACKW:
        case HDN_TRACKA:
        case HDN_TRACKW:
        case HDN_ENDTRACKA:
        case HDN_ENDTRACKW: {
          const bool begin = code == HDN_BEGINTRACKA || code == HDN_BEGINTRACKW;
          const bool end = code == HDN_ENDTRACKA || code == HDN_ENDTRACKW;
          const int width = hasWidth ? nm->pitem->cxy : section->Width();
          if (OnSectionTrack)
            OnSectionTrack(this, section, width, begin ? tsTrackBegin : end ? tsTrackEnd : tsTrackMove);
          m.Result = 0;  // tracking allowed
          return;
        }
        default:
          break;
      }
    }
  }
  TWinControl::WndProc(m);
}

void THeaderControl::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<THeaderControl*>(this);
  table["HotTrack"] = BoolProp([self] { return self->FHotTrack; }, [self](bool v) { self->SetHotTrack(v); });
}

}  // namespace pellamy
