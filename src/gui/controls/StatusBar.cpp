#include "gui/controls/StatusBar.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "base/Exceptions.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

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
  TWinControl* top = this;
  while (top->Parent() != nullptr) top = top->Parent();
  if (FSizeGrip && top->UserSizeable()) p.Style |= SBARS_SIZEGRIP;
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
  CheckListIndex(index, PanelCount());
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

}  // namespace pellamy
