#include "gui/controls/UpDown.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "base/Exceptions.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

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

}  // namespace pellamy
