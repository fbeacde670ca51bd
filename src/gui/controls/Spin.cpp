#include "gui/controls/Spin.h"

#include <commctrl.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace pellamy {

namespace {
constexpr int kUpDownWidth = 15;
}

TSpinEdit::TSpinEdit(TComponent* owner) : TCustomEdit(owner) {
  SetBounds(0, 0, 121, 22);
  FText.assign(1, '0');
}

int TSpinEdit::CheckValue(int value) const {
  if (FMaxValue > FMinValue) return std::clamp(value, FMinValue, FMaxValue);
  return value;
}

int TSpinEdit::Value() const {
  const std::string text = Text();
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || end == text.c_str() || *end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX)
    return FMinValue;
  return static_cast<int>(v);
}

void TSpinEdit::SetValue(int value) {
  const std::string text = std::to_string(CheckValue(value));
  if (text != Text()) SetText(text);
}

void TSpinEdit::SetMinValue(int value) {
  FMinValue = value;
  SetValue(Value());
}

void TSpinEdit::SetMaxValue(int value) {
  FMaxValue = value;
  SetValue(Value());
}

void TSpinEdit::Step(int times) {
  if (ReadOnly()) return;
  const long long next = static_cast<long long>(Value()) + static_cast<long long>(times) * FIncrement;
  SetValue(static_cast<int>(std::clamp<long long>(next, INT_MIN, INT_MAX)));
  SelectAll();
}

void TSpinEdit::CreateHandleDone() {
  TCustomEdit::CreateHandleDone();
  HWND edit = Handle();
  // Driven by hand rather than as a buddy: the edit keeps its own text and
  // limits, the arrows only say which way.
  FUpDown = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, 0, 0, kUpDownWidth, 0, edit, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  SendMessageW(FUpDown, UDM_SETRANGE32, 0, 100);
  SendMessageW(FUpDown, UDM_SETPOS32, 0, 50);
  PlaceUpDown();
}

void TSpinEdit::PlaceUpDown() {
  if (FUpDown == nullptr) return;
  RECT client;
  GetClientRect(Handle(), &client);
  SetWindowPos(FUpDown, nullptr, client.right - kUpDownWidth, 0, kUpDownWidth, client.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The text stops short of the arrows.
  SendMessageW(Handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, kUpDownWidth + 1));
}

void TSpinEdit::Resize() {
  TCustomEdit::Resize();
  if (HandleAllocated()) PlaceUpDown();
}

bool TSpinEdit::AcceptsChar(wchar_t ch) const {
  if (ch < L' ') return true;  // editing keys and Ctrl combinations
  if (ch >= L'0' && ch <= L'9') return true;
  if (ch != L'-' || (FMaxValue > FMinValue && FMinValue >= 0)) return false;
  // A minus sign only in front.
  DWORD start = 0, end = 0;
  SendMessageW(const_cast<TSpinEdit*>(this)->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return start == 0 && Text().find('-', end) == std::string::npos;
}

void TSpinEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NOTIFY: {
      const auto* nm = reinterpret_cast<const NMUPDOWN*>(m.LParam);
      if (nm->hdr.hwndFrom == FUpDown && nm->hdr.code == UDN_DELTAPOS) {
        if (nm->iDelta != 0) Step(nm->iDelta > 0 ? 1 : -1);
        m.Result = 1;  // the arrows' own position stays put
        return;
      }
      break;
    }
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(m.LParam) == FUpDown) {
        m.Result = 0;
        return;
      }
      break;
    case WM_KEYDOWN:
      if (m.WParam == VK_UP || m.WParam == VK_DOWN) {
        Step(m.WParam == VK_UP ? 1 : -1);
        m.Result = 0;
        return;
      }
      break;
    case WM_CHAR:
      if (!AcceptsChar(static_cast<wchar_t>(m.WParam))) {
        MessageBeep(0);
        m.Result = 0;
        return;
      }
      break;
    case WM_PASTE: {
      // Pasted text counts only when the result is a number.
      const std::string before = Text();
      TCustomEdit::WndProc(m);
      const std::string after = Text();
      char* end = nullptr;
      std::strtol(after.c_str(), &end, 10);
      if (!after.empty() && after != "-" && *end != '\0') SetText(before);
      return;
    }
    case WM_KILLFOCUS:
      // Leaving the edit puts the value inside its limits.
      SetValue(Value());
      break;
    case WM_SIZE:
      TCustomEdit::WndProc(m);
      PlaceUpDown();
      return;
    case WM_NCDESTROY:
      FUpDown = nullptr;
      break;
    default:
      break;
  }
  TCustomEdit::WndProc(m);
}

void TSpinEdit::DefineProperties(TPropertyTable& table) const {
  TCustomEdit::DefineProperties(table);
  auto* self = const_cast<TSpinEdit*>(this);
  table["Value"] = IntProp([self] { return self->Value(); }, [self](std::int64_t v) { self->SetValue(int(v)); });
  table["MinValue"] =
      IntProp([self] { return self->FMinValue; }, [self](std::int64_t v) { self->SetMinValue(int(v)); });
  table["MaxValue"] =
      IntProp([self] { return self->FMaxValue; }, [self](std::int64_t v) { self->SetMaxValue(int(v)); });
  table["Increment"] =
      IntProp([self] { return self->FIncrement; }, [self](std::int64_t v) { self->FIncrement = int(v); });
}

}  // namespace pellamy
