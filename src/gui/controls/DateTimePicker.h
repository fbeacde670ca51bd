// TDateTimePicker: date or time, drop-down calendar or up-down.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/controls/Controls.h"

namespace pellamy {

// ---------------------------------------------------------- TDateTimePicker

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateMode { dmComboBox, dmUpDown };
enum TDTDateFormat { dfShort, dfLong };

// Days since 1899-12-30 with the time of day as the fraction, and back.
double SystemTimeToDateTime(const SYSTEMTIME& time);
SYSTEMTIME DateTimeToSystemTime(double value);

class TDateTimePicker : public TWinControl {
 public:
  explicit TDateTimePicker(TComponent* owner);
  std::string ClassName() const override { return "TDateTimePicker"; }

  // The date part (time of day zero) and the time part (on day zero,
  // 1899-12-30) of the one value the picker holds.
  SYSTEMTIME Date() const;
  void SetDate(const SYSTEMTIME& date);
  SYSTEMTIME Time() const;
  void SetTime(const SYSTEMTIME& time);
  double DateTime() const;
  void SetDateTime(double value);
  SYSTEMTIME SystemTime() const;
  void SetSystemTime(const SYSTEMTIME& time);

  TDateTimeKind Kind() const { return FKind; }
  void SetKind(TDateTimeKind value);
  TDTDateMode DateMode() const { return FDateMode; }
  void SetDateMode(TDTDateMode value);
  TDTDateFormat DateFormat() const { return FDateFormat; }
  void SetDateFormat(TDTDateFormat value);
  // Whether the window shows arrows rather than a drop-down calendar (a time
  // picker always does).
  bool IsUpDownMode() const;
  // Zero (0.0) means no limit.
  double MinDate() const { return FMinDate; }
  void SetMinDate(double value);
  double MaxDate() const { return FMaxDate; }
  void SetMaxDate(double value);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  void ApplyRange();
  void Store(const SYSTEMTIME& time, bool notify);
  SYSTEMTIME FValue{};
  TDateTimeKind FKind = dtkDate;
  TDTDateMode FDateMode = dmComboBox;
  TDTDateFormat FDateFormat = dfShort;
  double FMinDate = 0, FMaxDate = 0;
};

}  // namespace pellamy
