// TCustomGrid (a grid of cells the library draws itself: column and row
// sizes, fixed cells, the current cell and the selection, keys, mouse, scroll
// bars and the in-place editor), TInplaceEdit (that editor, a real EDIT
// window), TDrawGrid (the grid's events) and TStringGrid (a text per cell).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gui/controls/Controls.h"
#include "gui/controls/StdCtrls.h"  // TScrollStyle
#include "gui/gdi/Graphics.h"

namespace pellamy {

enum TGridOption : unsigned {
  goFixedVertLine = 1u << 0,
  goFixedHorzLine = 1u << 1,
  goVertLine = 1u << 2,
  goHorzLine = 1u << 3,
  goRangeSelect = 1u << 4,
  goRowSizing = 1u << 5,
  goColSizing = 1u << 6,
  goEditing = 1u << 7,
  goTabs = 1u << 8,
  goRowSelect = 1u << 9,
  goThumbTracking = 1u << 10,
};
using TGridOptions = unsigned;  // goVertLine | goEditing ...

enum TGridDrawStateFlag : unsigned { gdSelected = 1u << 0, gdFocused = 1u << 1, gdFixed = 1u << 2 };
using TGridDrawState = unsigned;

struct TGridCoord {
  int X = -1, Y = -1;
  bool operator==(const TGridCoord&) const = default;
};

// Inclusive column and row bounds.
struct TGridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

class TCustomGrid;

// The grid's editor: an EDIT window over the current cell. Enter commits,
// Escape cancels, keys that leave the cell commit and go on to the grid.
class TInplaceEdit : public TWinControl {
 public:
  TInplaceEdit(TCustomGrid* grid);
  std::string ClassName() const override { return "TInplaceEdit"; }
  TCustomGrid* Grid() const { return FGrid; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;

 private:
  TCustomGrid* FGrid;
};

class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* owner);
  ~TCustomGrid() override;
  std::string ClassName() const override { return "TCustomGrid"; }

  int ColCount() const { return static_cast<int>(FColWidths.size()); }
  void SetColCount(int count);
  int RowCount() const { return static_cast<int>(FRowHeights.size()); }
  void SetRowCount(int count);
  // Fixed cells stay in place while the rest scrolls; there is always at
  // least one column and one row that is not fixed.
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int count);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int count);
  // Setting a default size resizes every column (row) to it.
  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int width);
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int height);
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int RowHeights(int row) const;
  void SetRowHeights(int row, int height);
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int width);
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor color);
  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions options);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle style);
  // Fills cells in their colours, draws the focus rectangle and (in a string
  // grid) the text; off, OnDrawCell paints everything.
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool value);

  // The current cell. Moving it asks SelectCell (OnSelectCell) first, and
  // scrolls it into view.
  int Col() const { return FCol; }
  void SetCol(int col);
  int Row() const { return FRow; }
  void SetRow(int row);
  // Moves the current cell; extend keeps the selection's anchor (range
  // selection). False when SelectCell refused.
  bool FocusCell(int col, int row, bool extend = false);
  TGridRect Selection() const;
  // The first scrollable row (column) shown.
  int TopRow() const { return FTopRow; }
  void SetTopRow(int row);
  int LeftCol() const { return FLeftCol; }
  void SetLeftCol(int col);
  // Scrollable rows (columns) wholly inside the window from TopRow (LeftCol).
  int VisibleRowCount() const;
  int VisibleColCount() const;

  // A cell's rectangle in client coordinates; empty when it is scrolled out
  // of sight.
  RECT CellRect(int col, int row) const;
  // The cell under a client point, or {-1, -1}.
  TGridCoord MouseCoord(int x, int y) const;

  // Whether the in-place editor is open; setting it opens or commits.
  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool value);
  // The editor, once it has been opened.
  TInplaceEdit* InplaceEditor() const { return FEditor; }

  // Bound to the paint DC while cells are drawn.
  TCanvas& Canvas() { return FCanvas; }

 protected:
  // Draws one cell; the canvas has the cell's colours and is clipped to it.
  virtual void DrawCell(int col, int row, const RECT& rect, TGridDrawState state);
  virtual bool SelectCell(int col, int row);
  virtual std::string GetEditText(int col, int row);
  virtual void SetEditText(int col, int row, const std::string& value);
  virtual bool CanEditShow() const;
  // After ColCount or RowCount changed.
  virtual void SizeChanged(int oldColCount, int oldRowCount);

  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void Paint(TCanvas& canvas) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  friend class TInplaceEdit;
  // One direction of the grid: columns or rows.
  struct TAxis {
    const std::vector<int>* Sizes;
    int Fixed, First, FixedLine, Line;
    int Count() const { return static_cast<int>(Sizes->size()); }
    int Extent(int i) const;  // the cell and the line after it
    int FixedExtent() const;
    int Start(int i) const;  // -1 for a scrolled-away cell
    int At(int pos, int limit) const;
    int LastVisible(int limit) const;
    int FullyVisible(int limit) const;
    int MaxFirst(int limit) const;
    int FirstShowing(int i, int limit) const;
  };
  enum class TGridState { Normal, Selecting, ColSizing, RowSizing };

  TAxis Horz() const;
  TAxis Vert() const;
  void SetFirst(bool rows, int first);
  void ScrollIntoView(int col, int row);
  void UpdateScrollBars();
  void Scrolled(bool rows, WORD code);
  void KeyDown(WPARAM key);
  void MouseDownAt(int x, int y, bool doubleClick);
  // The column (row) whose right (bottom) divider is under x, y, or -1.
  int SizingColAt(int x, int y) const;
  int SizingRowAt(int x, int y) const;
  void ShowEditor();
  void HideEditor(bool commit);
  void PlaceEditor();
  void EditorKey(WPARAM key, LPARAM lparam);
  void EditorLostFocus(HWND to);
  void Changed();
  void ClampPositions();

  std::vector<int> FColWidths;
  std::vector<int> FRowHeights;
  int FFixedCols = 1, FFixedRows = 1;
  int FDefaultColWidth = 64, FDefaultRowHeight = 24;
  int FGridLineWidth = 1;
  TColor FFixedColor = clBtnFace;
  TGridOptions FOptions = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  TScrollStyle FScrollBars = ssBoth;
  bool FDefaultDrawing = true;
  int FCol = 1, FRow = 1;
  TGridCoord FAnchor{1, 1};
  int FTopRow = 1, FLeftCol = 1;
  TGridState FState = TGridState::Normal;
  int FSizingIndex = -1;
  int FSizingOffset = 0;
  bool FUpdatingScroll = false;
  TInplaceEdit* FEditor = nullptr;
  bool FEditorMode = false;
  int FEditCol = -1, FEditRow = -1;
  std::string FEditStart;
  TCanvas FCanvas;
};

class TDrawGrid : public TCustomGrid {
 public:
  explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}
  std::string ClassName() const override { return "TDrawGrid"; }

  // Owner drawing of a cell with Canvas(), already clipped to rect.
  std::function<void(TComponent* sender, int col, int row, const RECT& rect, TGridDrawState state)> OnDrawCell;
  // Clearing canSelect keeps the current cell where it is.
  std::function<void(TComponent* sender, int col, int row, bool& canSelect)> OnSelectCell;
  // The editor's starting text.
  std::function<void(TComponent* sender, int col, int row, std::string& value)> OnGetEditText;
  // The editor's text, committed.
  std::function<void(TComponent* sender, int col, int row, const std::string& value)> OnSetEditText;

 protected:
  void DrawCell(int col, int row, const RECT& rect, TGridDrawState state) override;
  bool SelectCell(int col, int row) override;
  std::string GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const std::string& value) override;
};

class TStringGrid : public TDrawGrid {
 public:
  explicit TStringGrid(TComponent* owner);
  std::string ClassName() const override { return "TStringGrid"; }

  // UTF-8 text of a cell; "Grid index out of range" outside the grid.
  const std::string& Cells(int col, int row) const;
  void SetCells(int col, int row, const std::string& text);
  // A whole row's texts, from column 0.
  void SetRowTexts(int row, const std::vector<std::string>& texts);

 protected:
  void DrawCell(int col, int row, const RECT& rect, TGridDrawState state) override;
  std::string GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const std::string& value) override;
  void SizeChanged(int oldColCount, int oldRowCount) override;

 private:
  std::vector<std::string> FCells;  // row-major, ColCount wide
};

}  // namespace pellamy
