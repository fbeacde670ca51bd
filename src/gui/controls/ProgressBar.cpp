#include "gui/controls/ProgressBar.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "base/Exceptions.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

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
