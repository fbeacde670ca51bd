#include "gui/controls/Grids.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>

#include "base/Exceptions.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

namespace {

// The grid's options in bit order, as the published set names them.
const std::vector<std::string> kOptionNames = {
    "goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine",  "goRangeSelect",   "goRowSizing",
    "goColSizing",     "goEditing",       "goTabs",     "goRowSelect", "goThumbTracking",
};

constexpr int kSizingSlop = 2;  // pixels either side of a divider that grab it

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

TPropInfo SetProp(const std::vector<std::string>& names, std::function<unsigned()> get,
                  std::function<void(unsigned)> set) {
  TPropInfo info;
  info.PropKind = TPropInfo::Kind::Set;
  info.EnumNames = names;
  info.Get = [names, get] {
    std::string text = "[";
    const unsigned bits = get();
    for (std::size_t i = 0; i < names.size(); ++i)
      if (bits & (1u << i)) text += (text.size() > 1 ? "," : "") + names[i];
    return text + "]";
  };
  info.Set = [names, set](const std::string& value) {
    std::string body = Trim(value);
    if (body.size() < 2 || body.front() != '[' || body.back() != ']')
      throw Exception("Invalid property value " + value);
    body = body.substr(1, body.size() - 2);
    unsigned bits = 0;
    std::size_t pos = 0;
    while (pos <= body.size()) {
      std::size_t comma = body.find(',', pos);
      if (comma == std::string::npos) comma = body.size();
      const std::string name = Trim(body.substr(pos, comma - pos));
      if (!name.empty()) {
        auto it = std::find_if(names.begin(), names.end(), [&](const std::string& n) { return SameText(n, name); });
        if (it == names.end()) throw Exception("Invalid property value " + value);
        bits |= 1u << (it - names.begin());
      }
      pos = comma + 1;
    }
    set(bits);
  };
  return info;
}

bool KeyHeld(int key) {
  return (GetKeyState(key) & 0x8000) != 0;
}

}  // namespace

// ------------------------------------------------------------ TInplaceEdit

TInplaceEdit::TInplaceEdit(TCustomGrid* grid) : TWinControl(grid), FGrid(grid) {
  SetVisible(false);
  SetColor(clWindow);
}

void TInplaceEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = "EDIT";
  p.Style |= ES_AUTOHSCROLL | ES_LEFT;
}

void TInplaceEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      TWinControl::WndProc(m);
      m.Result |= DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
      return;
    case WM_KEYDOWN:
      switch (m.WParam) {
        case VK_RETURN:
        case VK_ESCAPE:
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
          FGrid->EditorKey(m.WParam, m.LParam);
          return;
        case VK_TAB:
          if (FGrid->Options() & goTabs) {
            FGrid->EditorKey(m.WParam, m.LParam);
            return;
          }
          break;
        default:
          break;
      }
      break;
    case WM_CHAR:
      // The keys the grid took: no beep from a single-line edit.
      if (m.WParam == '\r' || m.WParam == 0x1B || (m.WParam == '\t' && (FGrid->Options() & goTabs))) return;
      break;
    case WM_KILLFOCUS:
      TWinControl::WndProc(m);
      FGrid->EditorLostFocus(reinterpret_cast<HWND>(m.WParam));
      return;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

// ------------------------------------------------------------------- TAxis

int TCustomGrid::TAxis::Extent(int i) const {
  return (*Sizes)[static_cast<std::size_t>(i)] + (i < Fixed ? FixedLine : Line);
}

int TCustomGrid::TAxis::FixedExtent() const {
  int total = 0;
  for (int i = 0; i < Fixed; ++i) total += Extent(i);
  return total;
}

int TCustomGrid::TAxis::Start(int i) const {
  if (i < 0 || i >= Count()) return -1;
  if (i < Fixed) {
    int pos = 0;
    for (int k = 0; k < i; ++k) pos += Extent(k);
    return pos;
  }
  if (i < First) return -1;
  int pos = FixedExtent();
  for (int k = First; k < i; ++k) pos += Extent(k);
  return pos;
}

int TCustomGrid::TAxis::At(int pos, int limit) const {
  if (pos < 0 || pos >= limit) return -1;
  int edge = 0;
  for (int i = 0; i < Fixed; ++i) {
    edge += Extent(i);
    if (pos < edge) return i;
  }
  for (int i = First; i < Count() && edge < limit; ++i) {
    edge += Extent(i);
    if (pos < edge) return i;
  }
  return -1;
}

int TCustomGrid::TAxis::LastVisible(int limit) const {
  int edge = FixedExtent(), last = First - 1;
  for (int i = First; i < Count() && edge < limit; ++i) {
    edge += Extent(i);
    last = i;
  }
  return last;
}

int TCustomGrid::TAxis::FullyVisible(int limit) const {
  int edge = FixedExtent(), n = 0;
  for (int i = First; i < Count(); ++i) {
    edge += Extent(i);
    if (edge > limit) break;
    ++n;
  }
  return n;
}

int TCustomGrid::TAxis::MaxFirst(int limit) const {
  return std::max(Fixed, FirstShowing(Count() - 1, limit));
}

int TCustomGrid::TAxis::FirstShowing(int i, int limit) const {
  // The smallest first cell with which cells first..i fit; i itself when
  // even it alone does not.
  const int avail = limit - FixedExtent();
  int used = 0, k = i + 1;
  while (k > Fixed && used + Extent(k - 1) <= avail) used += Extent(--k);
  return std::min(k, i);
}

// ------------------------------------------------------------- TCustomGrid

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 320, 120);
  SetColor(clWindow);
  SetTabStop(true);
  FColWidths.assign(5, FDefaultColWidth);
  FRowHeights.assign(5, FDefaultRowHeight);
}

TCustomGrid::~TCustomGrid() {
  FCanvas.SetHandle(nullptr);
}

TCustomGrid::TAxis TCustomGrid::Horz() const {
  return {&FColWidths, FFixedCols, FLeftCol, (FOptions & goFixedVertLine) ? FGridLineWidth : 0,
          (FOptions & goVertLine) ? FGridLineWidth : 0};
}

TCustomGrid::TAxis TCustomGrid::Vert() const {
  return {&FRowHeights, FFixedRows, FTopRow, (FOptions & goFixedHorzLine) ? FGridLineWidth : 0,
          (FOptions & goHorzLine) ? FGridLineWidth : 0};
}

void TCustomGrid::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomGrid::CreateHandleDone() {
  UpdateScrollBars();
}

void TCustomGrid::Changed() {
  ClampPositions();
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
}

void TCustomGrid::ClampPositions() {
  FFixedCols = std::clamp(FFixedCols, 0, ColCount() - 1);
  FFixedRows = std::clamp(FFixedRows, 0, RowCount() - 1);
  FCol = std::clamp(FCol, FFixedCols, ColCount() - 1);
  FRow = std::clamp(FRow, FFixedRows, RowCount() - 1);
  FAnchor.X = std::clamp(FAnchor.X, FFixedCols, ColCount() - 1);
  FAnchor.Y = std::clamp(FAnchor.Y, FFixedRows, RowCount() - 1);
  const RECT client = ClientRect();
  FLeftCol = std::clamp(FLeftCol, FFixedCols, Horz().MaxFirst(client.right));
  FTopRow = std::clamp(FTopRow, FFixedRows, Vert().MaxFirst(client.bottom));
}

void TCustomGrid::SetColCount(int count) {
  count = std::max(1, count);
  const int oldCols = ColCount();
  if (count == oldCols) return;
  HideEditor(true);
  FColWidths.resize(static_cast<std::size_t>(count), FDefaultColWidth);
  SizeChanged(oldCols, RowCount());
  Changed();
}

void TCustomGrid::SetRowCount(int count) {
  count = std::max(1, count);
  const int oldRows = RowCount();
  if (count == oldRows) return;
  HideEditor(true);
  FRowHeights.resize(static_cast<std::size_t>(count), FDefaultRowHeight);
  SizeChanged(ColCount(), oldRows);
  Changed();
}

void TCustomGrid::SetFixedCols(int count) {
  if (count < 0 || count >= ColCount()) throw Exception("Fixed column count must be less than column count");
  HideEditor(true);
  FFixedCols = count;
  Changed();
}

void TCustomGrid::SetFixedRows(int count) {
  if (count < 0 || count >= RowCount()) throw Exception("Fixed row count must be less than row count");
  HideEditor(true);
  FFixedRows = count;
  Changed();
}

void TCustomGrid::SetDefaultColWidth(int width) {
  FDefaultColWidth = std::max(0, width);
  std::fill(FColWidths.begin(), FColWidths.end(), FDefaultColWidth);
  Changed();
}

void TCustomGrid::SetDefaultRowHeight(int height) {
  FDefaultRowHeight = std::max(0, height);
  std::fill(FRowHeights.begin(), FRowHeights.end(), FDefaultRowHeight);
  Changed();
}

int TCustomGrid::ColWidths(int col) const {
  if (col < 0 || col >= ColCount()) throw Exception("Grid index out of range");
  return FColWidths[static_cast<std::size_t>(col)];
}

void TCustomGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= ColCount()) throw Exception("Grid index out of range");
  FColWidths[static_cast<std::size_t>(col)] = std::max(0, width);
  Changed();
}

int TCustomGrid::RowHeights(int row) const {
  if (row < 0 || row >= RowCount()) throw Exception("Grid index out of range");
  return FRowHeights[static_cast<std::size_t>(row)];
}

void TCustomGrid::SetRowHeights(int row, int height) {
  if (row < 0 || row >= RowCount()) throw Exception("Grid index out of range");
  FRowHeights[static_cast<std::size_t>(row)] = std::max(0, height);
  Changed();
}

void TCustomGrid::SetGridLineWidth(int width) {
  FGridLineWidth = std::max(0, width);
  Changed();
}

void TCustomGrid::SetFixedColor(TColor color) {
  if (FFixedColor == color) return;
  FFixedColor = color;
  Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions options) {
  if (FOptions == options) return;
  FOptions = options;
  if (!CanEditShow()) HideEditor(true);
  if (!(FOptions & goRangeSelect)) FAnchor = {FCol, FRow};
  Changed();
}

void TCustomGrid::SetScrollBars(TScrollStyle style) {
  FScrollBars = style;
  Changed();
}

void TCustomGrid::SetDefaultDrawing(bool value) {
  FDefaultDrawing = value;
  Invalidate();
}

void TCustomGrid::SetCol(int col) {
  FocusCell(col, FRow);
}

void TCustomGrid::SetRow(int row) {
  FocusCell(FCol, row);
}

bool TCustomGrid::FocusCell(int col, int row, bool extend) {
  col = std::clamp(col, FFixedCols, ColCount() - 1);
  row = std::clamp(row, FFixedRows, RowCount() - 1);
  if (!(FOptions & goRangeSelect)) extend = false;
  if (col != FCol || row != FRow) {
    if (!SelectCell(col, row)) return false;
    HideEditor(true);
    FCol = col, FRow = row;
  }
  if (!extend) FAnchor = {FCol, FRow};
  ScrollIntoView(FCol, FRow);
  Invalidate();
  return true;
}

TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(FAnchor.X, FCol), std::min(FAnchor.Y, FRow), std::max(FAnchor.X, FCol),
              std::max(FAnchor.Y, FRow)};
  if (FOptions & goRowSelect) r.Left = FFixedCols, r.Right = ColCount() - 1;
  return r;
}

void TCustomGrid::SetTopRow(int row) {
  SetFirst(true, row);
}

void TCustomGrid::SetLeftCol(int col) {
  SetFirst(false, col);
}

void TCustomGrid::SetFirst(bool rows, int first) {
  const RECT client = ClientRect();
  int& current = rows ? FTopRow : FLeftCol;
  const int maxFirst = rows ? Vert().MaxFirst(client.bottom) : Horz().MaxFirst(client.right);
  first = std::clamp(first, rows ? FFixedRows : FFixedCols, maxFirst);
  if (first == current) return;
  current = first;
  if (HandleAllocated()) {
    SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, first - (rows ? FFixedRows : FFixedCols), 0};
    SetScrollInfo(Handle(), rows ? SB_VERT : SB_HORZ, &si, TRUE);
  }
  PlaceEditor();
  Invalidate();
}

int TCustomGrid::VisibleRowCount() const {
  return Vert().FullyVisible(ClientRect().bottom);
}

int TCustomGrid::VisibleColCount() const {
  return Horz().FullyVisible(ClientRect().right);
}

void TCustomGrid::ScrollIntoView(int col, int row) {
  const RECT client = ClientRect();
  if (row < FTopRow)
    SetTopRow(row);
  else
    SetTopRow(std::max(FTopRow, Vert().FirstShowing(row, client.bottom)));
  if (col < FLeftCol)
    SetLeftCol(col);
  else
    SetLeftCol(std::max(FLeftCol, Horz().FirstShowing(col, client.right)));
}

void TCustomGrid::UpdateScrollBars() {
  if (!HandleAllocated() || FUpdatingScroll) return;
  FUpdatingScroll = true;
  // Showing one bar narrows the client area, which may call for the other.
  for (int pass = 0; pass < 3; ++pass) {
    const RECT before = ClientRect();
    ClampPositions();
    auto apply = [&](bool rows, bool wanted) {
      const TAxis axis = rows ? Vert() : Horz();
      const int limit = rows ? before.bottom : before.right;
      SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
      if (wanted) {
        const int maxFirst = axis.MaxFirst(limit);
        const int page = std::max(1, axis.Count() - maxFirst);
        si.nPage = static_cast<UINT>(page);
        si.nMax = maxFirst - axis.Fixed + page - 1;
        si.nPos = axis.First - axis.Fixed;
      }
      SetScrollInfo(Handle(), rows ? SB_VERT : SB_HORZ, &si, TRUE);
    };
    apply(true, FScrollBars == ssVertical || FScrollBars == ssBoth);
    apply(false, FScrollBars == ssHorizontal || FScrollBars == ssBoth);
    const RECT after = ClientRect();
    if (EqualRect(&before, &after)) break;
  }
  FUpdatingScroll = false;
}

void TCustomGrid::Scrolled(bool rows, WORD code) {
  const int first = rows ? FTopRow : FLeftCol;
  const int page = std::max(1, rows ? VisibleRowCount() : VisibleColCount());
  const int fixed = rows ? FFixedRows : FFixedCols;
  const int count = rows ? RowCount() : ColCount();
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(Handle(), rows ? SB_VERT : SB_HORZ, &si);
  switch (code) {
    case SB_LINEUP:
      SetFirst(rows, first - 1);
      break;
    case SB_LINEDOWN:
      SetFirst(rows, first + 1);
      break;
    case SB_PAGEUP:
      SetFirst(rows, first - page);
      break;
    case SB_PAGEDOWN:
      SetFirst(rows, first + page);
      break;
    case SB_TOP:
      SetFirst(rows, fixed);
      break;
    case SB_BOTTOM:
      SetFirst(rows, count - 1);
      break;
    case SB_THUMBTRACK:
      if (FOptions & goThumbTracking) SetFirst(rows, fixed + si.nTrackPos);
      break;
    case SB_THUMBPOSITION:
      SetFirst(rows, fixed + si.nTrackPos);
      break;
    default:
      break;
  }
}

RECT TCustomGrid::CellRect(int col, int row) const {
  const TAxis h = Horz(), v = Vert();
  const int x = h.Start(col), y = v.Start(row);
  if (x < 0 || y < 0) return {0, 0, 0, 0};
  return {x, y, x + FColWidths[static_cast<std::size_t>(col)], y + FRowHeights[static_cast<std::size_t>(row)]};
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const {
  const RECT client = ClientRect();
  const int col = Horz().At(x, client.right), row = Vert().At(y, client.bottom);
  if (col < 0 || row < 0) return {-1, -1};
  return {col, row};
}

int TCustomGrid::SizingColAt(int x, int y) const {
  if (!(FOptions & goColSizing)) return -1;
  const TAxis h = Horz(), v = Vert();
  if (y < 0 || y >= v.FixedExtent()) return -1;
  const int last = h.LastVisible(ClientRect().right);
  for (int i = 0; i <= last; ++i) {
    const int start = h.Start(i);
    if (start < 0) continue;
    if (std::abs(x - (start + h.Extent(i))) <= kSizingSlop) return i;
  }
  return -1;
}

int TCustomGrid::SizingRowAt(int x, int y) const {
  if (!(FOptions & goRowSizing)) return -1;
  const TAxis h = Horz(), v = Vert();
  if (x < 0 || x >= h.FixedExtent()) return -1;
  const int last = v.LastVisible(ClientRect().bottom);
  for (int i = 0; i <= last; ++i) {
    const int start = v.Start(i);
    if (start < 0) continue;
    if (std::abs(y - (start + v.Extent(i))) <= kSizingSlop) return i;
  }
  return -1;
}

// ---- Drawing

void TCustomGrid::Paint(TCanvas& canvas) {
  CanvasBinding binding(FCanvas, canvas.Handle());
  HDC dc = FCanvas.Handle();
  const RECT client = ClientRect();
  const TAxis h = Horz(), v = Vert();
  const TGridRect sel = Selection();
  const bool focused = Focused() || (FEditor != nullptr && FEditor->Focused());
  // The cells in drawing order: fixed ones, then from the first scrolled.
  auto visible = [](const TAxis& axis, int limit) {
    std::vector<int> cells;
    for (int i = 0; i < axis.Fixed; ++i) cells.push_back(i);
    for (int i = axis.First; i <= axis.LastVisible(limit); ++i) cells.push_back(i);
    return cells;
  };
  const std::vector<int> cols = visible(h, client.right), rows = visible(v, client.bottom);
  UniqueRgn saved(CreateRectRgn(0, 0, 0, 0));
  const bool hadClip = GetClipRgn(dc, saved.get()) == 1;
  for (int row : rows) {
    const int y = v.Start(row), height = FRowHeights[static_cast<std::size_t>(row)];
    const int lineH = v.Extent(row) - height;
    for (int col : cols) {
      const int x = h.Start(col), width = FColWidths[static_cast<std::size_t>(col)];
      const int lineW = h.Extent(col) - width;
      const RECT cell{x, y, x + width, y + height};
      const bool fixed = col < FFixedCols || row < FFixedRows;
      const bool current = col == FCol && row == FRow;
      TGridDrawState state = 0;
      if (fixed) state |= gdFixed;
      if (current && focused) state |= gdFocused;
      if (!fixed && col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom &&
          (!current || (FOptions & goRowSelect)))
        state |= gdSelected;
      FCanvas.Font().Assign(Font());
      FCanvas.Brush().SetStyle(bsSolid);
      FCanvas.Brush().SetColor(fixed ? FFixedColor : (state & gdSelected) ? clHighlight : Color());
      if (state & gdSelected) FCanvas.Font().SetColor(clHighlightText);
      if (width > 0 && height > 0) {
        if (FDefaultDrawing) FCanvas.FillRect(cell);
        {
          ClipGuard clip(dc, cell, hadClip ? saved.get() : nullptr);
          DrawCell(col, row, cell, state);
        }
        if (FDefaultDrawing && (state & gdFocused) && !fixed && !(FOptions & goRowSelect)) DrawFocusRect(dc, &cell);
      }
      // The lines right of and below the cell.
      FCanvas.Brush().SetColor(fixed ? clBtnShadow : clSilver);
      if (lineW > 0) FCanvas.FillRect(RECT{x + width, y, x + width + lineW, y + height + lineH});
      if (lineH > 0) FCanvas.FillRect(RECT{x, y + height, x + width + lineW, y + height + lineH});
    }
  }
}

void TCustomGrid::DrawCell(int, int, const RECT&, TGridDrawState) {}

bool TCustomGrid::SelectCell(int, int) {
  return true;
}

std::string TCustomGrid::GetEditText(int, int) {
  return {};
}

void TCustomGrid::SetEditText(int, int, const std::string&) {}

bool TCustomGrid::CanEditShow() const {
  return (FOptions & goEditing) && !(FOptions & goRowSelect) && ColCount() > FFixedCols && RowCount() > FFixedRows;
}

void TCustomGrid::SizeChanged(int, int) {}

// ---- The editor

void TCustomGrid::SetEditorMode(bool value) {
  if (value)
    ShowEditor();
  else
    HideEditor(true);
}

void TCustomGrid::ShowEditor() {
  if (!CanEditShow() || !HandleAllocated()) return;
  ScrollIntoView(FCol, FRow);
  if (FEditor == nullptr) {
    FEditor = new TInplaceEdit(this);
    FEditor->SetParent(this);
  }
  FEditCol = FCol, FEditRow = FRow;
  FEditStart = GetEditText(FCol, FRow);
  FEditorMode = true;
  FEditor->SetText(FEditStart);
  PlaceEditor();
  FEditor->SetVisible(true);
  FEditor->SetFocus();
  SendMessageW(FEditor->Handle(), EM_SETSEL, 0, -1);
}

void TCustomGrid::PlaceEditor() {
  if (!FEditorMode || FEditor == nullptr) return;
  const RECT r = CellRect(FEditCol, FEditRow);
  if (IsRectEmpty(&r)) {
    HideEditor(true);
    return;
  }
  FEditor->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TCustomGrid::HideEditor(bool commit) {
  if (!FEditorMode) return;
  FEditorMode = false;  // first: the focus change below comes back here
  const std::string text = FEditor->Text();
  if (FEditor->Focused()) ::SetFocus(Handle());
  FEditor->SetVisible(false);
  if (commit && text != FEditStart) SetEditText(FEditCol, FEditRow, text);
  Invalidate();
}

void TCustomGrid::EditorKey(WPARAM key, LPARAM lparam) {
  HideEditor(key != VK_ESCAPE);
  if (key != VK_RETURN && key != VK_ESCAPE) Perform(WM_KEYDOWN, key, lparam);
}

void TCustomGrid::EditorLostFocus(HWND to) {
  if (FEditorMode && (to == nullptr || to != Handle())) HideEditor(true);
}

// ---- Keys and mouse

void TCustomGrid::KeyDown(WPARAM key) {
  const bool shift = KeyHeld(VK_SHIFT), ctrl = KeyHeld(VK_CONTROL);
  const bool rowSelect = (FOptions & goRowSelect) != 0;
  int col = FCol, row = FRow;
  const int page = std::max(1, VisibleRowCount());
  switch (key) {
    case VK_LEFT:
      if (rowSelect) return SetLeftCol(FLeftCol - 1);
      --col;
      break;
    case VK_RIGHT:
      if (rowSelect) return SetLeftCol(FLeftCol + 1);
      ++col;
      break;
    case VK_UP:
      --row;
      break;
    case VK_DOWN:
      ++row;
      break;
    case VK_PRIOR:
      row -= page;
      SetTopRow(FTopRow - page);
      break;
    case VK_NEXT:
      row += page;
      SetTopRow(FTopRow + page);
      break;
    case VK_HOME:
      if (ctrl || rowSelect) row = FFixedRows;
      if (ctrl || !rowSelect) col = FFixedCols;
      break;
    case VK_END:
      if (ctrl || rowSelect) row = RowCount() - 1;
      if (ctrl || !rowSelect) col = ColCount() - 1;
      break;
    case VK_TAB:
      if (!(FOptions & goTabs)) return;
      if (shift) {
        if (--col < FFixedCols) col = ColCount() - 1, --row;
        if (row < FFixedRows) return;
      } else {
        if (++col >= ColCount()) col = FFixedCols, ++row;
        if (row >= RowCount()) return;
      }
      FocusCell(col, row);
      return;
    case VK_F2:
    case VK_RETURN:
      if (FOptions & goEditing) ShowEditor();
      return;
    default:
      return;
  }
  FocusCell(col, row, shift && (FOptions & goRangeSelect));
}

void TCustomGrid::MouseDownAt(int x, int y, bool doubleClick) {
  const bool hadFocus = HandleAllocated() && GetFocus() == Handle();
  if (HandleAllocated() && !hadFocus && IsWindowVisible(Handle())) ::SetFocus(Handle());
  if (int col = SizingColAt(x, y); col >= 0) {
    FState = TGridState::ColSizing, FSizingIndex = col;
    FSizingOffset = Horz().Start(col) + Horz().Extent(col) - x;
    SetCapture(Handle());
    return;
  }
  if (int row = SizingRowAt(x, y); row >= 0) {
    FState = TGridState::RowSizing, FSizingIndex = row;
    FSizingOffset = Vert().Start(row) + Vert().Extent(row) - y;
    SetCapture(Handle());
    return;
  }
  const TGridCoord cell = MouseCoord(x, y);
  if (cell.X < FFixedCols || cell.Y < FFixedRows) return;
  const bool wasCurrent = cell.X == FCol && cell.Y == FRow;
  if (!FocusCell(cell.X, cell.Y, KeyHeld(VK_SHIFT))) return;
  // A click on the cell that already had the focus, or a double click,
  // opens the editor.
  if ((doubleClick || (wasCurrent && hadFocus)) && (FOptions & goEditing)) {
    ShowEditor();
    return;
  }
  if (FOptions & goRangeSelect) {
    FState = TGridState::Selecting;
    SetCapture(Handle());
  }
}

void TCustomGrid::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | ((FOptions & goTabs) ? DLGC_WANTTAB : 0);
      return;
    case WM_KEYDOWN:
      KeyDown(m.WParam);
      return;
    case WM_CHAR:
      if ((FOptions & goEditing) && m.WParam >= 0x20 && m.WParam != 0x7F && CanEditShow()) {
        ShowEditor();
        // The key replaces the selected text, as typing into a cell does.
        if (FEditorMode) SendMessageW(FEditor->Handle(), WM_CHAR, m.WParam, m.LParam);
      }
      return;
    case WM_SIZE:
      TCustomControl::WndProc(m);
      Changed();
      return;
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (m.LParam == 0) {
        Scrolled(m.Msg == WM_VSCROLL, LOWORD(m.WParam));
        return;
      }
      break;
    case WM_MOUSEWHEEL: {
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      const int notches = GET_WHEEL_DELTA_WPARAM(m.WParam) / WHEEL_DELTA;
      SetTopRow(FTopRow - notches * static_cast<int>(std::min<UINT>(lines, 100)));
      return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(m.WParam) == Handle() && LOWORD(m.LParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(Handle(), &p);
        const bool cols = FState == TGridState::ColSizing || SizingColAt(p.x, p.y) >= 0;
        const bool rows = FState == TGridState::RowSizing || SizingRowAt(p.x, p.y) >= 0;
        if (cols || rows) {
          ::SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(cols ? IDC_SIZEWE : IDC_SIZENS)));
          m.Result = TRUE;
          return;
        }
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MouseDownAt(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam), m.Msg == WM_LBUTTONDBLCLK);
      break;
    case WM_MOUSEMOVE: {
      const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
      if (FState == TGridState::ColSizing || FState == TGridState::RowSizing) {
        // The divider follows the pointer, keeping where it was grabbed.
        const bool cols = FState == TGridState::ColSizing;
        const TAxis axis = cols ? Horz() : Vert();
        const int line = axis.Extent(FSizingIndex) - (*axis.Sizes)[static_cast<std::size_t>(FSizingIndex)];
        const int size = (cols ? x : y) + FSizingOffset - axis.Start(FSizingIndex) - line;
        if (cols)
          SetColWidths(FSizingIndex, size);
        else
          SetRowHeights(FSizingIndex, size);
      } else if (FState == TGridState::Selecting) {
        const RECT client = ClientRect();
        // Past an edge the grid scrolls on towards the pointer.
        const TGridCoord cell = MouseCoord(std::clamp(x, 0, static_cast<int>(client.right) - 1),
                                           std::clamp(y, 0, static_cast<int>(client.bottom) - 1));
        int col = cell.X, row = cell.Y;
        if (col < 0) col = FCol;
        if (row < 0) row = FRow;
        if (x >= client.right) col = std::min(ColCount() - 1, Horz().LastVisible(client.right) + 1);
        if (y >= client.bottom) row = std::min(RowCount() - 1, Vert().LastVisible(client.bottom) + 1);
        if (x < Horz().FixedExtent()) col = std::max(FFixedCols, FLeftCol - 1);
        if (y < Vert().FixedExtent()) row = std::max(FFixedRows, FTopRow - 1);
        if (col != FCol || row != FRow) FocusCell(col, row, true);
      }
      break;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (FState != TGridState::Normal) {
        FState = TGridState::Normal;
        if (m.Msg == WM_LBUTTONUP && GetCapture() == Handle()) ReleaseCapture();
      }
      break;
    default:
      break;
  }
  TCustomControl::WndProc(m);
}

void TCustomGrid::DefineProperties(TPropertyTable& table) const {
  TCustomControl::DefineProperties(table);
  auto* self = const_cast<TCustomGrid*>(this);
  table["ColCount"] =
      IntProp([self] { return self->ColCount(); }, [self](std::int64_t v) { self->SetColCount(int(v)); });
  table["RowCount"] =
      IntProp([self] { return self->RowCount(); }, [self](std::int64_t v) { self->SetRowCount(int(v)); });
  table["FixedCols"] =
      IntProp([self] { return self->FFixedCols; }, [self](std::int64_t v) { self->SetFixedCols(int(v)); });
  table["FixedRows"] =
      IntProp([self] { return self->FFixedRows; }, [self](std::int64_t v) { self->SetFixedRows(int(v)); });
  table["DefaultColWidth"] =
      IntProp([self] { return self->FDefaultColWidth; }, [self](std::int64_t v) { self->SetDefaultColWidth(int(v)); });
  table["DefaultRowHeight"] = IntProp([self] { return self->FDefaultRowHeight; },
                                      [self](std::int64_t v) { self->SetDefaultRowHeight(int(v)); });
  table["GridLineWidth"] =
      IntProp([self] { return self->FGridLineWidth; }, [self](std::int64_t v) { self->SetGridLineWidth(int(v)); });
  table["FixedColor"] =
      IntProp([self] { return self->FFixedColor; }, [self](std::int64_t v) { self->SetFixedColor(TColor(v)); });
  table["Options"] = SetProp(
      kOptionNames, [self] { return self->FOptions; }, [self](unsigned v) { self->SetOptions(v); });
  table["ScrollBars"] = EnumProp(
      {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}, [self] { return int(self->FScrollBars); },
      [self](int v) { self->SetScrollBars(TScrollStyle(v)); });
  table["DefaultDrawing"] =
      BoolProp([self] { return self->FDefaultDrawing; }, [self](bool v) { self->SetDefaultDrawing(v); });
  table["Col"] = IntProp([self] { return self->FCol; }, [self](std::int64_t v) { self->SetCol(int(v)); });
  table["Row"] = IntProp([self] { return self->FRow; }, [self](std::int64_t v) { self->SetRow(int(v)); });
  table["TopRow"] = IntProp([self] { return self->FTopRow; }, [self](std::int64_t v) { self->SetTopRow(int(v)); });
  table["LeftCol"] = IntProp([self] { return self->FLeftCol; }, [self](std::int64_t v) { self->SetLeftCol(int(v)); });
}

// --------------------------------------------------------------- TDrawGrid

void TDrawGrid::DrawCell(int col, int row, const RECT& rect, TGridDrawState state) {
  if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

bool TDrawGrid::SelectCell(int col, int row) {
  bool can = true;
  if (OnSelectCell) OnSelectCell(this, col, row, can);
  return can;
}

std::string TDrawGrid::GetEditText(int col, int row) {
  std::string value;
  if (OnGetEditText) OnGetEditText(this, col, row, value);
  return value;
}

void TDrawGrid::SetEditText(int col, int row, const std::string& value) {
  if (OnSetEditText) OnSetEditText(this, col, row, value);
}

// ------------------------------------------------------------- TStringGrid

TStringGrid::TStringGrid(TComponent* owner) : TDrawGrid(owner) {
  FCells.resize(static_cast<std::size_t>(ColCount() * RowCount()));
}

const std::string& TStringGrid::Cells(int col, int row) const {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) throw Exception("Grid index out of range");
  return FCells[static_cast<std::size_t>(row * ColCount() + col)];
}

void TStringGrid::SetCells(int col, int row, const std::string& text) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) throw Exception("Grid index out of range");
  std::string& cell = FCells[static_cast<std::size_t>(row * ColCount() + col)];
  if (cell == text) return;
  cell = text;
  const RECT r = CellRect(col, row);
  if (HandleAllocated() && !IsRectEmpty(&r)) InvalidateRect(Handle(), &r, FALSE);
}

void TStringGrid::SetRowTexts(int row, const std::vector<std::string>& texts) {
  for (int col = 0; col < ColCount() && col < static_cast<int>(texts.size()); ++col)
    SetCells(col, row, texts[static_cast<std::size_t>(col)]);
}

void TStringGrid::SizeChanged(int oldColCount, int oldRowCount) {
  std::vector<std::string> cells(static_cast<std::size_t>(ColCount() * RowCount()));
  for (int row = 0; row < std::min(oldRowCount, RowCount()); ++row)
    for (int col = 0; col < std::min(oldColCount, ColCount()); ++col)
      cells[static_cast<std::size_t>(row * ColCount() + col)] =
          std::move(FCells[static_cast<std::size_t>(row * oldColCount + col)]);
  FCells = std::move(cells);
}

void TStringGrid::DrawCell(int col, int row, const RECT& rect, TGridDrawState state) {
  if (OnDrawCell) {
    TDrawGrid::DrawCell(col, row, rect, state);
    return;
  }
  const std::string& text = Cells(col, row);
  if (text.empty()) return;
  RECT r{rect.left + 2, rect.top, rect.right - 2, rect.bottom};
  Canvas().Brush().SetStyle(bsClear);
  Canvas().TextRect(r, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

std::string TStringGrid::GetEditText(int col, int row) {
  std::string value = Cells(col, row);
  if (OnGetEditText) OnGetEditText(this, col, row, value);
  return value;
}

void TStringGrid::SetEditText(int col, int row, const std::string& value) {
  SetCells(col, row, value);
  TDrawGrid::SetEditText(col, row, value);
}

}  // namespace pellamy
