// TTrackBar: a slider whose thumb the program may draw.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/controls/Controls.h"

namespace pellamy {

// ---------------------------------------------------------------- TTrackBar

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

class TTrackBar;
// Draws the thumb in rect; leaving defaultDraw true lets the system draw it.
using TCustomDrawThumbEvent =
    std::function<void(TTrackBar* sender, TCanvas& canvas, const RECT& rect, bool& defaultDraw)>;

class TTrackBar : public TWinControl {
 public:
  explicit TTrackBar(TComponent* owner);
  std::string ClassName() const override { return "TTrackBar"; }

  int Min() const { return FMin; }
  void SetMin(int value);
  int Max() const { return FMax; }
  void SetMax(int value);
  int Position() const;
  void SetPosition(int value);
  // A tick every Frequency positions (automatic ticks).
  int Frequency() const { return FFrequency; }
  void SetFrequency(int value);
  // The step of the arrow keys, and of Page Up/Down and clicks on the channel.
  int LineSize() const { return FLineSize; }
  void SetLineSize(int value);
  int PageSize() const { return FPageSize; }
  void SetPageSize(int value);
  TTrackBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TTrackBarOrientation value);
  TTickMark TickMarks() const { return FTickMarks; }
  void SetTickMarks(TTickMark value);
  TTickStyle TickStyle() const { return FTickStyle; }
  void SetTickStyle(TTickStyle value);
  // The thumb's length across the channel; 0 keeps the system's.
  int ThumbLength() const { return FThumbLength; }
  void SetThumbLength(int value);
  // A tick at a position of one's own choosing (tsManual).
  void SetTick(int position);
  RECT ThumbRect() const;

  // The position changed, by the user (dragging, keys, clicks) or the program.
  TNotifyEvent OnChange;
  TCustomDrawThumbEvent OnCustomDrawThumb;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;
  virtual void Changed();

 private:
  void UpdateRange();
  void PositionFromWindow();
  int FMin = 0, FMax = 10, FPosition = 0;
  int FFrequency = 1, FLineSize = 1, FPageSize = 2;
  int FThumbLength = 20;
  TTrackBarOrientation FOrientation = trHorizontal;
  TTickMark FTickMarks = tmBottomRight;
  TTickStyle FTickStyle = tsAuto;
  std::vector<int> FTicks;
};

}  // namespace pellamy
