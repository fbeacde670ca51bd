#include "gui/controls/DateTimePicker.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "base/Exceptions.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

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

}  // namespace pellamy
