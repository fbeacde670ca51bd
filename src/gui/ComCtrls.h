// The common controls: TCustomListView and TListView (report view with check
// boxes), TStatusBar (panels, size grip), TProgressBar, TTrackBar, TUpDown,
// TDateTimePicker and THeaderControl; the tab controls (PageControl.h) and the
// tree view (TreeView.h) come with this header.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "StdCtrls.h"

namespace pellamy {

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

struct TListColumn {
  std::string Caption;
  int Width = 50;
};

// The list view's behaviour; skins find list views through this kind.
class TCustomListView : public TWinControl {
 public:
  explicit TCustomListView(TComponent* owner);
  std::string ClassName() const override { return "TCustomListView"; }

  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle style) { FViewStyle = style; }
  bool Checkboxes() const { return FCheckboxes; }
  void SetCheckboxes(bool value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }

  void AddColumn(const std::string& caption, int width);
  int ColumnCount() const { return static_cast<int>(FColumns.size()); }
  const TListColumn& Column(int index) const { return FColumns.at(static_cast<std::size_t>(index)); }

  // Items by position.
  void ClearItems();
  int AddItem(const std::string& caption);
  void AddSubItem(int item, const std::string& text);
  int ItemCount() const;
  std::string ItemCaption(int item) const;
  std::vector<std::string> SubItems(int item) const;
  bool Checked(int item) const;
  void SetChecked(int item, bool checked);
  // The first selected item, or -1.
  int Selected() const;
  void SetSelected(int item);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  struct TItem {
    std::string Caption;
    std::vector<std::string> SubItems;
    bool Checked = false;
  };
  void ApplyExtendedStyle();
  void InsertItemWindow(int index);

  TViewStyle FViewStyle = vsIcon;
  bool FCheckboxes = false;
  bool FRowSelect = false;
  bool FReadOnly = false;
  std::vector<TListColumn> FColumns;
  std::vector<TItem> FItems;  // the list as long as there is no window
};

class TListView : public TCustomListView {
 public:
  explicit TListView(TComponent* owner) : TCustomListView(owner) {}
  std::string ClassName() const override { return "TListView"; }
};

struct TStatusPanel {
  std::string Text;
  int Width = 50;
};

class TStatusBar : public TWinControl {
 public:
  explicit TStatusBar(TComponent* owner);
  std::string ClassName() const override { return "TStatusBar"; }

  void AddPanel(int width);
  int PanelCount() const { return static_cast<int>(FPanels.size()); }
  const TStatusPanel& Panel(int index) const { return FPanels.at(static_cast<std::size_t>(index)); }
  void SetPanelText(int index, const std::string& text);
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool value);
  // The grip at the bottom-right corner that sizes the form; on by default.
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool value);
  // The right edges of the panels as the bar lays them out; the last panel
  // reaches the bar's right edge.
  std::vector<int> PanelEdges() const;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  void UpdatePanels();
  std::vector<TStatusPanel> FPanels;
  bool FSimplePanel = false;
  bool FSizeGrip = true;
};

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner);
  std::string ClassName() const override { return "TProgressBar"; }
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  void SetRange(int min, int max);
  int Position() const;
  void SetPosition(int position);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  int FMin = 0, FMax = 100, FPosition = 0;
};

// Destroys a control's window and makes it again, for style bits the system
// control only reads when it is created. Children get new windows too.
void RecreateWnd(TWinControl& control);

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

// ------------------------------------------------------------------ TUpDown

enum TUDOrientation { udVertical, udHorizontal };
enum TUDBtnType { btNext, btPrev };
using TUDClickEvent = std::function<void(TComponent* sender, TUDBtnType button)>;
using TUDChangingEvent = std::function<void(TComponent* sender, bool& allowChange)>;

class TUpDown : public TWinControl {
 public:
  explicit TUpDown(TComponent* owner);
  ~TUpDown() override;
  std::string ClassName() const override { return "TUpDown"; }

  int Min() const { return FMin; }
  void SetMin(int value);
  int Max() const { return FMax; }
  void SetMax(int value);
  int Position() const;
  void SetPosition(int value);
  int Increment() const { return FIncrement; }
  void SetIncrement(int value);
  TUDOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TUDOrientation value);
  // Past one end the position goes round to the other.
  bool Wrap() const { return FWrap; }
  void SetWrap(bool value);
  // The buddy whose text shows the position; the arrows sit at its right.
  TWinControl* Associate() const { return FAssociate; }
  void SetAssociate(TWinControl* buddy);
  // Up and Down in the buddy step the position.
  bool ArrowKeys() const { return FArrowKeys; }
  void SetArrowKeys(bool value);
  bool Thousands() const { return FThousands; }
  void SetThousands(bool value);

  // Before a step; clearing allowChange keeps the position.
  TUDChangingEvent OnChanging;
  // After a step, with the arrow that made it.
  std::function<void(TComponent* sender, TUDBtnType button)> OnClick;

  void Notification(TComponent* component, bool removing) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  void ApplyBuddy();
  int FMin = 0, FMax = 100, FPosition = 0, FIncrement = 1;
  TUDOrientation FOrientation = udVertical;
  bool FWrap = false;
  bool FArrowKeys = true;
  bool FThousands = true;
  TWinControl* FAssociate = nullptr;
  int FLastDelta = 0;
  bool FRefused = false;
};

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

// ----------------------------------------------------------- THeaderControl

class THeaderControl;

class THeaderSection {
 public:
  THeaderSection(THeaderControl* header, std::string text, int width);
  const std::string& Text() const { return FText; }
  void SetText(const std::string& text);
  // With a window, the width the user dragged it to.
  int Width() const;
  void SetWidth(int width);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  int Index() const;
  int Left() const;
  int Right() const { return Left() + Width(); }

 private:
  friend class THeaderControl;
  void Update();
  THeaderControl* FHeader;
  std::string FText;
  int FWidth;
  TAlignment FAlignment = taLeftJustify;
};

class THeaderSections {
 public:
  explicit THeaderSections(THeaderControl* header) : FHeader(header) {}
  THeaderSection* Add(const std::string& text = "", int width = 50);
  void Delete(int index);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  THeaderSection* Items(int index) const;
  THeaderSection* operator[](int index) const { return Items(index); }
  int IndexOf(const THeaderSection* section) const;

 private:
  friend class THeaderControl;
  THeaderControl* FHeader;
  std::vector<std::unique_ptr<THeaderSection>> FItems;
};

using TSectionNotifyEvent = std::function<void(THeaderControl* sender, THeaderSection* section)>;
enum TSectionTrackState { tsTrackBegin, tsTrackMove, tsTrackEnd };
using TSectionTrackEvent =
    std::function<void(THeaderControl* sender, THeaderSection* section, int width, TSectionTrackState state)>;

class THeaderControl : public TWinControl {
 public:
  explicit THeaderControl(TComponent* owner);
  std::string ClassName() const override { return "THeaderControl"; }

  THeaderSections& Sections() { return FSections; }
  const THeaderSections& Sections() const { return FSections; }
  // Sections look like buttons and report clicks.
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value);

  TSectionNotifyEvent OnSectionClick;
  // A section's width changed (the user dragged its divider).
  TSectionNotifyEvent OnSectionResize;
  // While the user drags a divider.
  TSectionTrackEvent OnSectionTrack;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  friend class THeaderSection;
  friend class THeaderSections;
  void InsertItemWindow(int index);
  void UpdateItemWindow(int index);
  THeaderSections FSections{this};
  bool FHotTrack = false;
};

}  // namespace pellamy

#include "PageControl.h"
#include "TreeView.h"
