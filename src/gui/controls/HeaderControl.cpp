#include "gui/controls/HeaderControl.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "base/Exceptions.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

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
  CheckListIndex(index, Count());
  FItems.erase(FItems.begin() + index);
  if (FHeader->HandleAllocated()) SendMessageW(FHeader->Handle(), HDM_DELETEITEM, static_cast<WPARAM>(index), 0);
}

void THeaderSections::Clear() {
  while (Count() > 0) Delete(Count() - 1);
}

THeaderSection* THeaderSections::Items(int index) const {
  CheckListIndex(index, Count());
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
