// The string grid and the tool bar on real windows: the grid's keys, mouse,
// in-place editor, scroll bars and painted pixels; the tool bar's buttons,
// clicks, check groups, images, hints, custom drawing and looks by name.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "gui/controls/Grids.h"
#include "gui/controls/ToolBar.h"
#include "gui/forms/Forms.h"
#include "gui/gdi/Bitmap.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/ImgList.h"
#include "gui/gdi/WideText.h"
#include "support_app.h"

namespace pellamy::test {
namespace {

// The client area as the window paints it.
TBitmap PrintClient(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  TBitmap bmp(r.right, r.bottom);
  TCanvas& canvas = bmp.Canvas();
  canvas.Brush().SetColor(RGBToColor(1, 2, 3));
  canvas.FillRect(r);
  SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Handle()), PRF_CLIENT | PRF_ERASEBKGND);
  GdiFlush();
  return bmp;
}

POINT Centre(const RECT& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

LPARAM At(POINT p) {
  return MAKELPARAM(p.x, p.y);
}

void Click(HWND h, POINT p) {
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(p));
  SendMessageW(h, WM_LBUTTONUP, 0, At(p));
}

void Key(HWND h, WPARAM key) {
  SendMessageW(h, WM_KEYDOWN, key, 1);
}

// Holds a key down in this thread's keyboard state, as GetKeyState sees it.
class THeldKey {
 public:
  explicit THeldKey(int key) : FKey(key) { Set(0x80); }
  ~THeldKey() { Set(0); }
  THeldKey(const THeldKey&) = delete;
  THeldKey& operator=(const THeldKey&) = delete;

 private:
  void Set(BYTE value) {
    BYTE state[256];
    GetKeyboardState(state);
    state[FKey] = value;
    SetKeyboardState(state);
  }
  int FKey;
};

std::string WindowClass(HWND h) {
  wchar_t name[64] = {};
  GetClassNameW(h, name, 64);
  return WideToUtf8(name);
}

std::string WindowText(HWND h) {
  wchar_t text[256] = {};
  GetWindowTextW(h, text, 256);
  return WideToUtf8(text);
}

bool StyleHas(HWND h, LONG_PTR bits) {
  return (GetWindowLongPtrW(h, GWL_STYLE) & bits) == bits;
}

// A form holding a string grid; shown (which is slow under Wine) only when
// the test needs the focus.
struct TGridForm {
  TForm Form{nullptr};
  TStringGrid* Grid;
  explicit TGridForm(bool show, int cols = 5, int rows = 5, int width = 400, int height = 300) {
    App();
    Form.SetBounds(0, 0, width + 40, height + 60);
    Grid = new TStringGrid(&Form);
    Grid->SetParent(&Form);
    Grid->SetBounds(4, 4, width, height);
    Grid->SetColCount(cols);
    Grid->SetRowCount(rows);
    if (show) {
      Form.Show();
      Grid->SetFocus();
    } else {
      Form.HandleNeeded();
    }
  }
  HWND H() { return Grid->Handle(); }
};

// ------------------------------------------------------------------ grid

TEST(GridToolBar, GridKindsPropertiesAndCells) {
  TGridForm f(false);
  TStringGrid* grid = f.Grid;
  EXPECT_EQ(grid->ClassName(), "TStringGrid");
  EXPECT_NE(dynamic_cast<TCustomGrid*>(grid), nullptr);
  EXPECT_NE(dynamic_cast<TDrawGrid*>(grid), nullptr);
  EXPECT_EQ(WindowClass(f.H()), "TStringGrid");
  EXPECT_EQ(grid->GetPropertyText("Options"), "[goFixedVertLine,goFixedHorzLine,goVertLine,goHorzLine,goRangeSelect]");
  grid->SetPropertyText("Options", "[goEditing, goTabs]");
  EXPECT_EQ(grid->Options(), goEditing | goTabs);
  EXPECT_THROW(grid->SetPropertyText("Options", "[goFlying]"), Exception);
  TPropInfo::Kind kind;
  ASSERT_TRUE(grid->PropertyKind("FixedColor", kind));
  EXPECT_EQ(kind, TPropInfo::Kind::Integer);
  grid->SetPropertyText("FixedColor", std::to_string(clRed));
  EXPECT_EQ(grid->FixedColor(), clRed);
  grid->SetPropertyText("RowCount", "8");
  EXPECT_EQ(grid->RowCount(), 8);

  grid->SetCells(2, 3, "Grüße");
  EXPECT_EQ(grid->Cells(2, 3), "Grüße");
  EXPECT_THROW(grid->Cells(5, 0), Exception);
  EXPECT_THROW(grid->SetCells(0, 8, "x"), Exception);
  EXPECT_THROW(grid->SetFixedCols(5), Exception);
  // Texts stay where they were when the grid shrinks and grows.
  grid->SetColCount(3);
  grid->SetColCount(6);
  EXPECT_EQ(grid->Cells(2, 3), "Grüße");
  EXPECT_EQ(grid->Cells(5, 3), "");
  grid->SetColWidths(2, 90);
  EXPECT_EQ(grid->ColWidths(2), 90);
  grid->SetDefaultColWidth(50);
  EXPECT_EQ(grid->ColWidths(2), 50);
  // Fewer columns than the current one: the current cell follows.
  grid->SetCol(5);
  grid->SetColCount(3);
  EXPECT_EQ(grid->Col(), 2);
}

TEST(GridToolBar, GridKeysMoveTheCurrentCellIntoView) {
  TGridForm f(false, 10, 40, 300, 200);
  TStringGrid* grid = f.Grid;
  const HWND h = f.H();
  const RECT client = grid->ClientRect();
  auto inView = [&] {
    const RECT r = grid->CellRect(grid->Col(), grid->Row());
    return !IsRectEmpty(&r) && r.right <= client.right && r.bottom <= client.bottom;
  };
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(SendMessageW(h, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
  Key(h, VK_LEFT);
  Key(h, VK_UP);
  EXPECT_EQ(grid->Col(), 1) << "fixed cells cannot be current";
  EXPECT_EQ(grid->Row(), 1);
  Key(h, VK_RIGHT);
  Key(h, VK_DOWN);
  Key(h, VK_DOWN);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->Row(), 3);
  Key(h, VK_END);
  EXPECT_EQ(grid->Col(), 9);
  EXPECT_GT(grid->LeftCol(), 1);
  EXPECT_TRUE(inView());
  Key(h, VK_HOME);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->LeftCol(), 1);
  const int page = grid->VisibleRowCount();
  ASSERT_GT(page, 2);
  Key(h, VK_NEXT);
  EXPECT_EQ(grid->Row(), 3 + page);
  EXPECT_GT(grid->TopRow(), 1);
  EXPECT_TRUE(inView());
  {
    THeldKey ctrl(VK_CONTROL);
    Key(h, VK_END);
  }
  EXPECT_EQ(grid->Row(), 39);
  EXPECT_EQ(grid->Col(), 9);
  EXPECT_TRUE(inView());
  Key(h, VK_DOWN);
  EXPECT_EQ(grid->Row(), 39);
  Key(h, VK_PRIOR);
  EXPECT_EQ(grid->Row(), 39 - page);
  EXPECT_TRUE(inView());
  {
    THeldKey ctrl(VK_CONTROL);
    Key(h, VK_HOME);
  }
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(grid->TopRow(), 1);
  // Tab moves along the row only with goTabs, wrapping to the next row.
  Key(h, VK_TAB);
  EXPECT_EQ(grid->Col(), 1);
  grid->SetOptions(grid->Options() | goTabs);
  EXPECT_EQ(SendMessageW(h, WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB, DLGC_WANTTAB);
  grid->SetCol(9);
  Key(h, VK_TAB);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 2);
  {
    THeldKey shift(VK_SHIFT);
    Key(h, VK_TAB);
  }
  EXPECT_EQ(grid->Col(), 9);
  EXPECT_EQ(grid->Row(), 1);
}

TEST(GridToolBar, GridScrollBarsFollowItsSize) {
  TGridForm f(false, 5, 5, 400, 300);
  TStringGrid* grid = f.Grid;
  const HWND h = f.H();
  EXPECT_FALSE(StyleHas(h, WS_VSCROLL));
  EXPECT_FALSE(StyleHas(h, WS_HSCROLL));
  grid->SetRowCount(50);
  EXPECT_TRUE(StyleHas(h, WS_VSCROLL));
  EXPECT_FALSE(StyleHas(h, WS_HSCROLL));
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(h, SB_VERT, &si);
  const int page = grid->VisibleRowCount();
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 50 - 1 - 1);
  EXPECT_EQ(static_cast<int>(si.nPage), page);
  EXPECT_EQ(si.nPos, 0);

  SendMessageW(h, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(grid->TopRow(), 2);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 1);
  SendMessageW(h, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(grid->TopRow(), 2 + page);
  SendMessageW(h, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(grid->TopRow(), 50 - page);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 50 - page - 1);
  const RECT last = grid->CellRect(1, 49);
  EXPECT_LE(last.bottom, grid->ClientRect().bottom);
  SendMessageW(h, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(grid->TopRow(), 1);
  SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_GT(grid->TopRow(), 1);
  // Scrolling leaves the current cell where it is.
  EXPECT_EQ(grid->Row(), 1);

  grid->SetColCount(20);
  EXPECT_TRUE(StyleHas(h, WS_HSCROLL));
  SendMessageW(h, WM_HSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(grid->LeftCol(), 2);
  grid->SetScrollBars(ssNone);
  EXPECT_FALSE(StyleHas(h, WS_VSCROLL));
  EXPECT_FALSE(StyleHas(h, WS_HSCROLL));
  grid->SetScrollBars(ssBoth);
  grid->SetRowCount(3);
  grid->SetColCount(3);
  EXPECT_FALSE(StyleHas(h, WS_VSCROLL));
  EXPECT_FALSE(StyleHas(h, WS_HSCROLL));
  EXPECT_EQ(grid->TopRow(), 1);
}

TEST(GridToolBar, GridClicksSelectCellsAndSelectCellMayRefuse) {
  TGridForm f(false, 6, 6);
  TStringGrid* grid = f.Grid;
  const HWND h = f.H();
  std::vector<std::pair<int, int>> asked;
  grid->OnSelectCell = [&](TComponent* sender, int col, int row, bool& can) {
    EXPECT_EQ(sender, grid);
    asked.emplace_back(col, row);
    can = col != 3;
  };
  Click(h, Centre(grid->CellRect(2, 2)));
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->Row(), 2);
  Click(h, Centre(grid->CellRect(3, 4)));
  EXPECT_EQ(grid->Col(), 2) << "refused";
  EXPECT_EQ(grid->Row(), 2);
  Key(h, VK_RIGHT);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{2, 2}, {3, 4}, {3, 2}}));
  Click(h, Centre(grid->CellRect(0, 4)));
  EXPECT_EQ(grid->Row(), 2) << "fixed cells are not selected";
  grid->SetCol(3);
  EXPECT_EQ(grid->Col(), 2) << "setting Col asks too";
  grid->OnSelectCell = nullptr;

  EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 2, 2}));
  {
    THeldKey shift(VK_SHIFT);
    Click(h, Centre(grid->CellRect(4, 3)));
  }
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 4, 3}));
  {
    THeldKey shift(VK_SHIFT);
    Key(h, VK_DOWN);
  }
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 4, 4}));
  Key(h, VK_DOWN);
  EXPECT_EQ(grid->Selection(), (TGridRect{4, 5, 4, 5}));
  // Dragging over cells selects a range.
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(Centre(grid->CellRect(1, 1))));
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, At(Centre(grid->CellRect(2, 3))));
  SendMessageW(h, WM_LBUTTONUP, 0, At(Centre(grid->CellRect(2, 3))));
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 2, 3}));
  SendMessageW(h, WM_MOUSEMOVE, 0, At(Centre(grid->CellRect(4, 4))));
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 2, 3})) << "the drag has ended";
  grid->SetOptions(grid->Options() & ~goRangeSelect);
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 3, 2, 3}));
  grid->SetOptions(grid->Options() | goRowSelect);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 3, 5, 3}));
}

TEST(GridToolBar, GridEditorCommitsOnEnterAndMovingAndCancelsOnEscape) {
  TGridForm f(true);
  TStringGrid* grid = f.Grid;
  const HWND h = f.H();
  std::vector<std::string> committed;
  grid->OnSetEditText = [&](TComponent*, int col, int row, const std::string& value) {
    committed.push_back(std::to_string(col) + "," + std::to_string(row) + "=" + value);
  };
  SendMessageW(h, WM_CHAR, 'a', 1);
  EXPECT_FALSE(grid->EditorMode()) << "not without goEditing";
  Key(h, VK_F2);
  EXPECT_FALSE(grid->EditorMode());
  grid->SetOptions(grid->Options() | goEditing);

  SendMessageW(h, WM_CHAR, 'a', 1);
  ASSERT_TRUE(grid->EditorMode());
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  const HWND edit = grid->InplaceEditor()->Handle();
  EXPECT_EQ(GetParent(edit), h);
  EXPECT_TRUE(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, WindowClass(edit).c_str(), -1, "EDIT", -1) ==
              CSTR_EQUAL);
  EXPECT_TRUE(IsWindowVisible(edit));
  EXPECT_EQ(GetFocus(), edit);
  RECT er;
  GetWindowRect(edit, &er);
  MapWindowPoints(HWND_DESKTOP, h, reinterpret_cast<POINT*>(&er), 2);
  const RECT cell = grid->CellRect(1, 1);
  EXPECT_TRUE(EqualRect(&er, &cell)) << "the editor lies over the current cell";
  SendMessageW(edit, WM_CHAR, 0x00FC, 1);  // ü
  EXPECT_EQ(WindowText(edit), "aü");
  Key(edit, VK_RETURN);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_FALSE(IsWindowVisible(edit));
  EXPECT_EQ(GetFocus(), h);
  EXPECT_EQ(grid->Cells(1, 1), "aü");
  EXPECT_EQ(committed, std::vector<std::string>{"1,1=aü"});

  // F2 opens the editor on the text, all selected: typing replaces it;
  // Escape gives the cell its text back.
  Key(h, VK_F2);
  ASSERT_TRUE(grid->EditorMode());
  EXPECT_EQ(WindowText(edit), "aü");
  SendMessageW(edit, WM_CHAR, 'z', 1);
  EXPECT_EQ(WindowText(edit), "z");
  Key(edit, VK_ESCAPE);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(grid->Cells(1, 1), "aü");
  EXPECT_EQ(committed.size(), 1u);

  // Leaving the cell by key or by click commits.
  Key(h, VK_RETURN);
  ASSERT_TRUE(grid->EditorMode());
  SendMessageW(edit, WM_CHAR, 'q', 1);
  Key(edit, VK_DOWN);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(grid->Cells(1, 1), "q");
  EXPECT_EQ(grid->Row(), 2);
  SendMessageW(h, WM_CHAR, 'w', 1);
  ASSERT_TRUE(grid->EditorMode());
  Click(h, Centre(grid->CellRect(3, 3)));
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(grid->Cells(1, 2), "w");
  EXPECT_EQ(grid->Col(), 3);
  // A second click on the current cell opens the editor.
  Click(h, Centre(grid->CellRect(3, 3)));
  EXPECT_TRUE(grid->EditorMode());
  grid->SetEditorMode(false);
  EXPECT_EQ(committed, (std::vector<std::string>{"1,1=aü", "1,1=q", "1,2=w"}));
}

TEST(GridToolBar, GridPaintsFixedCellsInFixedColorAndCellsByHandler) {
  TGridForm f(true, 5, 5);
  TStringGrid* grid = f.Grid;
  const TColor fixed = RGBToColor(10, 200, 30), back = RGBToColor(250, 250, 240);
  // As the skin engine sets it.
  grid->SetPropertyText("FixedColor", std::to_string(fixed));
  grid->SetColor(back);
  grid->SetPropertyText("Options", "[goFixedVertLine,goFixedHorzLine,goVertLine,goHorzLine,goRangeSelect]");
  grid->FocusCell(1, 1);
  grid->FocusCell(2, 2, true);  // (1, 1) to (2, 2) selected, (2, 2) current
  grid->SetCells(3, 1, "WWWWWW");
  {
    TBitmap bmp = PrintClient(f.H());
    auto pixel = [&](int col, int row) {
      const POINT p = Centre(grid->CellRect(col, row));
      return bmp.PixelAt(p.x, p.y);
    };
    EXPECT_EQ(pixel(0, 0), ColorToPixel(fixed));
    EXPECT_EQ(pixel(0, 3), ColorToPixel(fixed));
    EXPECT_EQ(pixel(3, 0), ColorToPixel(fixed));
    EXPECT_EQ(pixel(4, 4), ColorToPixel(back));
    EXPECT_EQ(pixel(1, 1), ColorToPixel(clHighlight)) << "selected";
    EXPECT_EQ(pixel(2, 1), ColorToPixel(clHighlight));
    EXPECT_EQ(pixel(2, 2), ColorToPixel(back)) << "the current cell is not highlighted";
    const RECT c = grid->CellRect(3, 3);
    EXPECT_EQ(bmp.PixelAt(c.right, c.top + 5), ColorToPixel(clSilver)) << "vertical line";
    EXPECT_EQ(bmp.PixelAt(c.left + 5, c.bottom), ColorToPixel(clSilver)) << "horizontal line";
    const RECT t = grid->CellRect(3, 1);
    int ink = 0;
    for (int y = t.top; y < t.bottom; ++y)
      for (int x = t.left; x < t.right; ++x) ink += bmp.PixelAt(x, y) != ColorToPixel(back);
    EXPECT_GT(ink, 20) << "the cell's text";
  }
  // Painting again holds no more GDI objects than before.
  const int live = HandleLiveCount();
  { TBitmap again = PrintClient(f.H()); }
  EXPECT_EQ(HandleLiveCount(), live);
  // An owner-drawn cell: the handler's pixels, clipped to the cell.
  std::vector<TGridDrawState> states(25);
  grid->OnDrawCell = [&](TComponent*, int col, int row, const RECT& rect, TGridDrawState state) {
    states[static_cast<std::size_t>(row * 5 + col)] = state | 0x100;
    if (col == 3 && row == 3) {
      grid->Canvas().Brush().SetColor(clBlue);
      RECT wide = rect;
      InflateRect(&wide, 6, 6);
      grid->Canvas().FillRect(wide);
    }
  };
  TBitmap bmp = PrintClient(f.H());
  const RECT c = grid->CellRect(3, 3);
  EXPECT_EQ(bmp.PixelAt(c.left + 3, c.top + 3), ColorToPixel(clBlue));
  EXPECT_EQ(bmp.PixelAt(c.right + 3, c.top + 3), ColorToPixel(back)) << "clipped to the cell";
  EXPECT_EQ(bmp.PixelAt(c.left - 3, c.top + 3), ColorToPixel(back));
  EXPECT_EQ(states[0], 0x100u | gdFixed);
  EXPECT_EQ(states[1 * 5 + 1], 0x100u | gdSelected);
  EXPECT_EQ(states[2 * 5 + 2], 0x100u | gdFocused);
  EXPECT_EQ(states[3 * 5 + 3], 0x100u);
  const RECT t = grid->CellRect(3, 1);
  int ink = 0;
  for (int y = t.top; y < t.bottom; ++y)
    for (int x = t.left; x < t.right; ++x) ink += bmp.PixelAt(x, y) != ColorToPixel(back);
  EXPECT_EQ(ink, 0) << "owner drawing replaces the text";
}

TEST(GridToolBar, GridColumnsAndRowsSizeByDraggingDividers) {
  TGridForm f(false, 5, 5);
  TStringGrid* grid = f.Grid;
  const HWND h = f.H();
  const RECT head = grid->CellRect(1, 0);
  const POINT grab{head.right, head.top + 5};
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(grab));
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, At({grab.x + 30, grab.y}));
  SendMessageW(h, WM_LBUTTONUP, 0, At({grab.x + 30, grab.y}));
  EXPECT_EQ(grid->ColWidths(1), 64) << "not without goColSizing";

  grid->SetOptions(grid->Options() | goColSizing | goRowSizing);
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(grab));
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, At({grab.x + 30, grab.y}));
  EXPECT_EQ(grid->ColWidths(1), 94);
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, At({grab.x - 20, grab.y}));
  SendMessageW(h, WM_LBUTTONUP, 0, At({grab.x - 20, grab.y}));
  EXPECT_EQ(grid->ColWidths(1), 44);
  EXPECT_EQ(grid->CellRect(2, 0).left, grid->CellRect(1, 0).right + 1) << "the next column follows";
  SendMessageW(h, WM_MOUSEMOVE, 0, At({grab.x + 50, grab.y}));
  EXPECT_EQ(grid->ColWidths(1), 44) << "the drag has ended";
  EXPECT_EQ(grid->Col(), 1);

  const RECT side = grid->CellRect(0, 2);
  const POINT rowGrab{side.left + 5, side.bottom};
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(rowGrab));
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, At({rowGrab.x, rowGrab.y + 10}));
  SendMessageW(h, WM_LBUTTONUP, 0, At({rowGrab.x, rowGrab.y + 10}));
  EXPECT_EQ(grid->RowHeights(2), 34);
  EXPECT_EQ(grid->Row(), 1) << "sizing does not select";
}

// -------------------------------------------------------------- tool bar

struct TBarForm {
  TForm Form{nullptr};
  TToolBar* Bar;
  TBarForm() {
    App();
    Form.SetBounds(0, 0, 400, 200);
    Bar = new TToolBar(&Form);
    Bar->SetParent(&Form);
  }
  TToolButton* Add(const std::string& caption, TToolButtonStyle style = tbsButton) {
    auto* b = new TToolButton(&Form);
    b->SetCaption(caption);
    b->SetStyle(style);
    b->SetParent(Bar);
    return b;
  }
  HWND H() { return Bar->Handle(); }
  void ClickButton(TToolButton* b) { Click(H(), Centre(Bar->ButtonRect(b))); }
};

TEST(GridToolBar, ToolBarButtonsAreTheBarsButtonsInOrder) {
  TBarForm f;
  TToolButton* open = f.Add("Open");
  TToolButton* sep = f.Add("", tbsSeparator);
  TToolButton* rip = f.Add("Rip", tbsCheck);
  f.Form.HandleNeeded();
  EXPECT_EQ(f.Bar->ClassName(), "TToolBar");
  EXPECT_EQ(open->ClassName(), "TToolButton");
  EXPECT_NE(dynamic_cast<TGraphicControl*>(open), nullptr);
  EXPECT_EQ(WindowClass(f.H()), "ToolbarWindow32");
  ASSERT_EQ(SendMessageW(f.H(), TB_BUTTONCOUNT, 0, 0), 3);
  EXPECT_EQ(f.Bar->ButtonCount(), 3);
  EXPECT_EQ(f.Bar->Buttons(2), rip);
  EXPECT_EQ(rip->Index(), 2);
  TBBUTTON tb{};
  SendMessageW(f.H(), TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&tb));
  EXPECT_EQ(tb.fsStyle & BTNS_SEP, BTNS_SEP);
  SendMessageW(f.H(), TB_GETBUTTON, 2, reinterpret_cast<LPARAM>(&tb));
  EXPECT_EQ(tb.idCommand, rip->CommandId());
  EXPECT_EQ(tb.fsStyle & BTNS_CHECK, BTNS_CHECK);
  EXPECT_EQ(reinterpret_cast<TToolButton*>(tb.dwData), rip);

  // At the top of the form, across it, as high as its buttons.
  EXPECT_EQ(f.Bar->Align(), alTop);
  EXPECT_EQ(f.Bar->Top(), 0);
  EXPECT_EQ(f.Bar->Width(), f.Form.ClientWidth());
  const RECT r0 = f.Bar->ButtonRect(open), r2 = f.Bar->ButtonRect(rip);
  EXPECT_FALSE(IsRectEmpty(&r0));
  const RECT bounds = open->BoundsRect();
  EXPECT_TRUE(EqualRect(&r0, &bounds)) << "the button's bounds follow the bar";
  EXPECT_GE(r2.left, f.Bar->ButtonRect(sep).right);
  EXPECT_GE(f.Bar->Height(), r0.bottom);
  EXPECT_LE(f.Bar->Height(), r0.bottom + 8);
  // Taller buttons, a taller bar.
  const int before = f.Bar->Height();
  f.Bar->SetPropertyText("ButtonHeight", "40");
  EXPECT_GE(f.Bar->Height(), before + 15);

  rip->SetVisible(false);
  EXPECT_TRUE(SendMessageW(f.H(), TB_ISBUTTONHIDDEN, static_cast<WPARAM>(rip->CommandId()), 0));
  delete open;
  EXPECT_EQ(SendMessageW(f.H(), TB_BUTTONCOUNT, 0, 0), 2);
  EXPECT_EQ(f.Bar->Buttons(0), sep);
  rip->SetParent(nullptr);
  EXPECT_EQ(SendMessageW(f.H(), TB_BUTTONCOUNT, 0, 0), 1);
  EXPECT_EQ(rip->Index(), -1);
}

TEST(GridToolBar, ToolBarClicksReachTheButtons) {
  TBarForm f;
  TToolButton* open = f.Add("Open");
  TToolButton* stop = f.Add("Stop");
  f.Form.HandleNeeded();
  std::vector<std::string> clicks;
  open->OnClick = [&](TComponent* s) { clicks.push_back("open" + std::string(s == open ? "" : "?")); };
  stop->OnClick = [&](TComponent*) { clicks.push_back("stop"); };
  // The bar reports a click to its parent with the button's number.
  SendMessageW(f.Form.Handle(), WM_COMMAND, MAKEWPARAM(stop->CommandId(), BN_CLICKED), reinterpret_cast<LPARAM>(f.H()));
  f.ClickButton(open);
  EXPECT_EQ(clicks, (std::vector<std::string>{"stop", "open"}));
  // A pressed button shows as down.
  SendMessageW(f.H(), TB_PRESSBUTTON, static_cast<WPARAM>(open->CommandId()), TRUE);
  EXPECT_TRUE(open->Down());
  SendMessageW(f.H(), TB_PRESSBUTTON, static_cast<WPARAM>(open->CommandId()), FALSE);
  EXPECT_FALSE(open->Down());
  // A disabled button does not click.
  open->SetEnabled(false);
  EXPECT_FALSE(SendMessageW(f.H(), TB_ISBUTTONENABLED, static_cast<WPARAM>(open->CommandId()), 0));
  f.ClickButton(open);
  EXPECT_EQ(clicks.size(), 2u);
  open->SetPropertyText("Enabled", "True");
  f.ClickButton(open);
  EXPECT_EQ(clicks.size(), 3u);
}

TEST(GridToolBar, ToolBarCheckButtonsToggleAndGroup) {
  TBarForm f;
  TToolButton* wav = f.Add("WAV", tbsCheck);
  TToolButton* mp3 = f.Add("MP3", tbsCheck);
  TToolButton* loop = f.Add("Loop", tbsCheck);
  wav->SetGrouped(true);
  mp3->SetGrouped(true);
  f.Form.HandleNeeded();
  f.ClickButton(loop);
  EXPECT_TRUE(loop->Down());
  EXPECT_TRUE(SendMessageW(f.H(), TB_ISBUTTONCHECKED, static_cast<WPARAM>(loop->CommandId()), 0));
  f.ClickButton(loop);
  EXPECT_FALSE(loop->Down());

  f.ClickButton(wav);
  EXPECT_TRUE(wav->Down());
  f.ClickButton(mp3);
  EXPECT_TRUE(mp3->Down());
  EXPECT_FALSE(wav->Down()) << "one of a group at a time";
  EXPECT_FALSE(loop->Down());
  wav->SetPropertyText("Down", "True");
  EXPECT_TRUE(SendMessageW(f.H(), TB_ISBUTTONCHECKED, static_cast<WPARAM>(wav->CommandId()), 0));
  EXPECT_FALSE(SendMessageW(f.H(), TB_ISBUTTONCHECKED, static_cast<WPARAM>(mp3->CommandId()), 0));
  EXPECT_EQ(mp3->GetPropertyText("Down"), "False");
  // The state survives the buttons being built again.
  f.Bar->SetShowCaptions(true);
  EXPECT_TRUE(wav->Down());
  EXPECT_FALSE(mp3->Down());
}

TEST(GridToolBar, ToolBarImagesAndHints) {
  TBarForm f;
  TImageList* images = new TImageList(&f.Form);
  TBitmap strip(32, 16);
  strip.Canvas().Brush().SetColor(clRed);
  strip.Canvas().FillRect(RECT{0, 0, 32, 16});
  ASSERT_EQ(images->AddMasked(strip, clFuchsia), 0);
  TToolButton* open = f.Add("Open");
  open->SetImageIndex(1);
  open->SetHint("Open a disc");
  f.Bar->SetImages(images);
  f.Form.HandleNeeded();
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(f.H(), TB_GETIMAGELIST, 0, 0)), images->Handle());
  TBBUTTON tb{};
  SendMessageW(f.H(), TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&tb));
  EXPECT_EQ(tb.iBitmap, 1);
  open->SetImageIndex(0);
  SendMessageW(f.H(), TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&tb));
  EXPECT_EQ(tb.iBitmap, 0);

  wchar_t text[64] = L"";
  NMTBGETINFOTIPW tip{};
  tip.hdr = {f.H(), 0, static_cast<UINT>(TBN_GETINFOTIPW)};
  tip.pszText = text;
  tip.cchTextMax = 64;
  tip.iItem = open->CommandId();
  SendMessageW(f.Form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
  EXPECT_EQ(WideToUtf8(text), "Open a disc");

  delete images;
  EXPECT_EQ(f.Bar->Images(), nullptr);
  EXPECT_EQ(SendMessageW(f.H(), TB_GETIMAGELIST, 0, 0), 0);
}

TEST(GridToolBar, ToolBarCustomDrawButtonEvent) {
  TBarForm f;
  TToolButton* plain = f.Add("Plain");
  TToolButton* off = f.Add("Off");
  TToolButton* on = f.Add("On", tbsCheck);
  TToolButton* mine = f.Add("Mine");
  off->SetEnabled(false);
  on->SetDown(true);
  f.Bar->SetShowCaptions(true);
  f.Form.HandleNeeded();
  struct TSeen {
    TToolButton* Button;
    TCustomDrawState State;
    RECT Rect;
  };
  std::vector<TSeen> seen;
  const TColor red = RGBToColor(255, 0, 0);
  f.Bar->OnCustomDrawButton = [&](TToolBar* sender, TToolButton* button, TCustomDrawState state, bool& def) {
    EXPECT_EQ(sender, f.Bar);
    EXPECT_NE(sender->Canvas().Handle(), nullptr);
    seen.push_back({button, state, sender->ButtonRect(button)});
    if (button == mine) {
      sender->Canvas().Brush().SetColor(red);
      sender->Canvas().FillRect(sender->ButtonRect(button));
      def = false;
    } else if (button == plain) {
      sender->Canvas().Font().SetColor(red);
    }
  };
  auto redPixels = [](const TBitmap& bmp, const RECT& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const std::uint32_t p = bmp.PixelAt(x, y);
        n += (p >> 16 & 0xFF) > 0xC0 && (p >> 8 & 0xFF) < 0x40 && (p & 0xFF) < 0x40;
      }
    return n;
  };
  TBitmap drawn = PrintClient(f.H());
  ASSERT_EQ(seen.size(), 4u);
  auto stateOf = [&](TToolButton* b) {
    for (const TSeen& s : seen)
      if (s.Button == b) return s.State;
    ADD_FAILURE() << "not drawn";
    return 0u;
  };
  EXPECT_EQ(stateOf(plain) & (cdsDisabled | cdsChecked), 0u);
  EXPECT_NE(stateOf(off) & cdsDisabled, 0u);
  EXPECT_NE(stateOf(on) & cdsChecked, 0u);
  EXPECT_EQ(stateOf(on) & cdsDisabled, 0u);
  EXPECT_EQ(f.Bar->Canvas().Handle(), nullptr) << "the canvas lets go of the DC";
  const RECT mineRect = f.Bar->ButtonRect(mine);
  EXPECT_TRUE(EqualRect(&seen[3].Rect, &mineRect));
  const POINT c = Centre(mineRect);
  EXPECT_EQ(drawn.PixelAt(c.x, c.y), 0xFF0000u) << "the handler's pixels, the system's left out";
  EXPECT_EQ(redPixels(drawn, mineRect), (mineRect.right - mineRect.left) * (mineRect.bottom - mineRect.top))
      << "no edge or caption of the system's over the handler's";
  EXPECT_GT(redPixels(drawn, f.Bar->ButtonRect(plain)), 5) << "the caption in the canvas's font colour";
  EXPECT_EQ(redPixels(drawn, f.Bar->ButtonRect(on)), 0);

  const int live = HandleLiveCount();
  { TBitmap again = PrintClient(f.H()); }
  EXPECT_EQ(HandleLiveCount(), live) << "no GDI object left behind by the event";
  // Without the event the system draws every button again.
  f.Bar->OnCustomDrawButton = nullptr;
  seen.clear();
  TBitmap plainly = PrintClient(f.H());
  EXPECT_TRUE(seen.empty());
  EXPECT_NE(plainly.PixelAt(c.x, c.y), 0xFF0000u);
  EXPECT_EQ(redPixels(plainly, f.Bar->ButtonRect(plain)), 0);
}

TEST(GridToolBar, AFlatToolBarShowsItsParentsColourAroundItsButtons) {
  TBarForm f;
  f.Add("Open");
  const TColor ground = RGBToColor(30, 160, 90);
  f.Form.SetColor(ground);
  f.Bar->SetFlat(true);
  f.Form.Show();
  UpdateWindow(f.H());
  App().ProcessMessages();
  RECT r;
  GetClientRect(f.H(), &r);
  HDC dc = GetDC(f.H());
  const COLORREF right = GetPixel(dc, r.right - 4, r.bottom / 2);
  ReleaseDC(f.H(), dc);
  EXPECT_EQ(right, static_cast<COLORREF>(ground));
}

TEST(GridToolBar, ToolBarFlatAndTransparentByName) {
  TBarForm f;
  f.Add("Open");
  f.Bar->SetPropertyText("Flat", "True");  // before the window exists
  f.Form.HandleNeeded();
  EXPECT_TRUE(StyleHas(f.H(), TBSTYLE_FLAT));
  EXPECT_FALSE(StyleHas(f.H(), TBSTYLE_TRANSPARENT));
  TPropInfo::Kind kind;
  ASSERT_TRUE(f.Bar->PropertyKind("Transparent", kind));
  EXPECT_EQ(kind, TPropInfo::Kind::Boolean);
  f.Bar->SetPropertyText("Transparent", "True");
  EXPECT_TRUE(f.Bar->Transparent());
  EXPECT_TRUE(StyleHas(f.H(), TBSTYLE_TRANSPARENT));
  EXPECT_TRUE(StyleHas(f.H(), TBSTYLE_FLAT));
  f.Bar->SetPropertyText("flat", "False");
  EXPECT_FALSE(StyleHas(f.H(), TBSTYLE_FLAT));
  EXPECT_EQ(f.Bar->GetPropertyText("Flat"), "False");
  EXPECT_EQ(f.Bar->GetPropertyText("Transparent"), "True");
  EXPECT_EQ(SendMessageW(f.H(), TB_GETSTYLE, 0, 0) & TBSTYLE_FLAT, 0);
  EXPECT_THROW(f.Bar->SetPropertyText("Flat", "Yes"), Exception);
}

}  // namespace
}  // namespace pellamy::test
