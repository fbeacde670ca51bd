#include "gui/controls/TrackBar.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "base/Exceptions.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

// --------------------------------------------------------------- TTrackBar

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 150, 45);
  SetTabStop(true);
  // The channel's ground is the form's, as on a dialog.
  SetParentColor(true);
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

}  // namespace pellamy
