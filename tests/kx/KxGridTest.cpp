// Grids on real windows with real input: selection by the pointer and by every key of
// the keyboard table, both scroll bars over rows of different heights, header clicks,
// painted selection pixels, row deletion, hosted controls, the list preset and auto size.

#include <gtest/gtest.h>

#include <thread>
#include <utility>
#include <vector>

#include "kx/KxGridPresets.h"
#include "tests/support/FormTest.h"
#include "tests/support/GuiTestUtil.h"

namespace {

struct Events {
  int Selected(KxEvtParam& p) {
    sel.emplace_back(static_cast<int>(p.wParam), static_cast<int>(p.lParam));
    return 0;
  }
  int Clicked(KxEvtParam& p) {
    clicks.emplace_back(static_cast<int>(p.wParam), static_cast<int>(p.lParam));
    return 0;
  }
  std::vector<std::pair<int, int>> sel;
  std::vector<std::pair<int, int>> clicks;
};

// A plain control in one colour, to host in a cell.
class Swatch : public KxControl {
public:
  Swatch(KxControl* parent, const KxRect& rect, COLORREF color) : KxControl(parent) {
    bkColor = color;
    Create(parent, "", WS_CHILD | WS_VISIBLE, rect);
  }
};

class Grids : public FormTest {
protected:
  void SetUp() override {
    OpenFormInFront("grids", KxRect{100, 100, 500, 400}, POINT{900, 800});
    PumpFor(50);
  }
  // A grid whose client area is exactly w x h while it shows no scroll bar.
  template <class Grid>
  Grid* Make(int w, int h, const std::vector<int>& widths, const std::vector<int>& heights,
             POINT at = {10, 10}) {
    Grid* grid = new Grid(form, KxRect{at.x, at.y, w + 2, h + 2});
    if (grid->headRows.IsEmpty()) grid->AddHeadRow();
    for (size_t c = 0; c < widths.size(); ++c)
      grid->AddColumn(grid->headRows.Head()->value, KxString::FromInt(static_cast<long long>(c)), widths[c]);
    for (size_t r = 0; r < heights.size(); ++r) {
      KxGridCardRow* row = grid->AddRow();
      row->height = heights[r];
      for (size_t c = 0; c < widths.size(); ++c)
        grid->AddItem(row, KxString("r") + KxString::FromInt(static_cast<long long>(r)));
    }
    grid->UpdateScrollBars(-1, -1);
    BindCmd(*grid, KX_GRID_SELCHANGE, &events, &Events::Selected);
    BindCmd(*grid, KX_WM_CLICK, &events, &Events::Clicked);
    return grid;
  }
  static POINT ScreenOf(KxCard* card, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(card->hwnd, &p);
    return p;
  }
  // Under Wine a late pointer event of the previous position can follow a move, and a
  // press would land there; a second move after it settles the pointer.
  static void PointAt(POINT p) {
    MovePointerTo(p.x, p.y);
    PumpFor(50);
    MovePointerTo(p.x, p.y);
  }
  void ClickAt(KxCard* card, int x, int y) {
    PointAt(ScreenOf(card, x, y));
    PressLeft();
    ReleaseLeft();
    PumpFor(30);
  }
  // Presses the arrow of a scroll bar with real input; the platform's tracking loop runs
  // inside the press, so the release comes from another thread once the bar has moved.
  void ClickArrow(KxCard* card, int bar, bool last) {
    SCROLLBARINFO info = {};
    info.cbSize = sizeof(info);
    GetScrollBarInfo(card->hwnd, bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &info);
    RECT r = info.rcScrollBar;
    int half = info.dxyLineButton / 2;
    POINT p = bar == SB_VERT ? POINT{(r.left + r.right) / 2, last ? r.bottom - half : r.top + half}
                             : POINT{last ? r.right - half : r.left + half, (r.top + r.bottom) / 2};
    PointAt(p);
    int start = GetScrollPos(card->hwnd, bar);
    HWND hwnd = card->hwnd;
    std::thread releaser([hwnd, bar, start] {
      for (int i = 0; i < 400 && GetScrollPos(hwnd, bar) == start; ++i) Sleep(5);
      INPUT up = {};
      up.type = INPUT_MOUSE;
      up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
      SendInput(1, &up, sizeof(up));
    });
    PressLeft();
    releaser.join();
    PumpFor(50);
  }
  Events events;
};

TEST_F(Grids, PointerSelectsCellsAndHeaderClicksSelectColumns) {
  KxGridCard* grid = Make<KxGridCard>(300, 200, {60, 60, 60}, {20, 20, 20, 20, 20});
  struct Case {
    int x, y;
    int row, col;
  } cases[] = {
      {12 + 60 + 10, 20 + 20 + 5, 1, 1},     // a cell
      {12 + 120 + 10, 5, 1, 2},              // the header: the column, the row stays
      {12 + 10, 20 + 5 * 20 + 10, 1, 2},     // below the last row: nothing
      {12 + 180 + 30, 20 + 5, 0, 2},         // past the last column: the column stays
      {5, 20 + 3 * 20 + 5, 3, 2},            // the row header: the column stays
  };
  for (const Case& c : cases) {
    ClickAt(grid, c.x, c.y);
    EXPECT_EQ(c.row, grid->curRow) << c.x << "," << c.y;
    EXPECT_EQ(c.col, grid->curCol) << c.x << "," << c.y;
  }
  EXPECT_EQ((std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {0, 2}, {3, 2}}), events.sel);
  // The header click announces its column at once; every click is also posted.
  ASSERT_GE(events.clicks.size(), 6u);
  EXPECT_EQ(std::make_pair(0, 2), events.clicks[1]);

  SendMessageA(grid->hwnd, WM_RBUTTONDOWN, 0, MAKELPARAM(12 + 10, 20 + 5));
  EXPECT_EQ(0, grid->curRow);
  EXPECT_EQ(0, grid->curCol);
}

TEST_F(Grids, CurrentRowOrCellIsPaintedInTheSelectionColour) {
  struct Case {
    bool rowSelect;
    int filledCol, plainCol;  // in the current row
  } cases[] = {{true, 0, -1}, {false, 1, 0}};
  for (const Case& c : cases) {
    KxGridCard* grid = Make<KxGridCard>(300, 120, {80, 80}, {20, 20, 20});
    grid->rowSelect = c.rowSelect;
    grid->SetCurrent(1, 1);
    Capture shot = CaptureWindow(grid->hwnd);
    RECT w;
    GetWindowRect(grid->hwnd, &w);
    POINT o = ScreenOf(grid, 0, 0);
    auto at = [&](int x, int y) { return shot.At(o.x - w.left + x, o.y - w.top + y); };
    int y = 20 + 20 + 4;
    EXPECT_EQ(ToPixel(RGB(51, 51, 153)), at(12 + 80 * c.filledCol + 6, y)) << c.rowSelect;
    EXPECT_EQ(ToPixel(RGB(51, 51, 153)), at(12 + 80 + 76, y)) << c.rowSelect;
    if (c.plainCol >= 0) {
      EXPECT_EQ(ToPixel(kxWhiteColor), at(12 + 80 * c.plainCol + 6, y)) << c.rowSelect;
    }
    EXPECT_EQ(ToPixel(kxWhiteColor), at(12 + 6, 20 + 4)) << "the row above";
    EXPECT_EQ(ToPixel(kxFormColor), at(4, y)) << "the row header";
    EXPECT_EQ(ToPixel(kxGridLineColor), at(12 + 80 - 1, 20 + 4)) << "a data-row line";
    delete grid;
  }
}

// Rows of 20, 20, 60, 20, 20, 120, 20, 20 pixels under a 20-pixel header, 100 pixels of rows
// in view: row 5 is taller than the view.
const std::vector<int> kHeights = {20, 20, 60, 20, 20, 120, 20, 20};

TEST_F(Grids, EveryKeyOfTheTableMovesTheCurrentRowAndScrolls) {
  KxGridCard* grid = Make<KxGridCard>(240, 120, {100}, kHeights);
  grid->SetFocus();
  PumpUntil([grid] { return GetFocus() == grid->hwnd; }, 2000);
  struct Case {
    int top, row;
    WORD modifier, vk;
    int wantRow, wantTop;
  } cases[] = {
      {0, 2, 0, VK_DOWN, 3, 1},         // past the view: the row ends the view
      {2, 4, 0, VK_DOWN, 5, 5},         // onto the tall row: one row per step
      {5, 5, 0, VK_DOWN, 6, 6},
      {3, 3, 0, VK_UP, 2, 2},
      {0, 0, 0, VK_UP, 0, 0},
      {0, -1, 0, VK_DOWN, 0, 0},
      {0, 0, 0, VK_NEXT, 2, 0},         // to the bottom of the view, no scrolling
      {0, 2, 0, VK_NEXT, 4, 2},         // a page further
      {0, 4, 0, VK_NEXT, 4, 2},         // below the view: brought into it
      {6, 7, 0, VK_NEXT, 7, 6},         // the last row: nothing
      {2, 4, 0, VK_PRIOR, 2, 2},        // to the top of the view
      {2, 2, 0, VK_PRIOR, 0, 0},        // a page back
      {0, 0, VK_CONTROL, VK_END, 7, 6},
      {6, 7, VK_CONTROL, VK_HOME, 0, 0},
  };
  for (const Case& c : cases) {
    grid->UpdateScrollBars(c.top, -1);
    grid->SetCurrent(c.row, 0);
    ASSERT_EQ(c.top, grid->VPos());
    if (c.modifier) {
      TapKeyWith(c.modifier, c.vk);
    } else {
      TapKey(c.vk);
    }
    PumpFor(20);
    EXPECT_EQ(c.wantRow, grid->curRow) << "key " << c.vk << " from row " << c.row;
    EXPECT_EQ(c.wantTop, grid->VPos()) << "key " << c.vk << " from row " << c.row;
    EXPECT_EQ(c.wantTop, GetScrollPos(grid->hwnd, SB_VERT)) << "key " << c.vk;
  }
}

TEST_F(Grids, ColumnKeysScrollByPixels) {
  // 200 pixels of columns in view out of 400.
  KxGridCard* grid = Make<KxGridCard>(212, 160, {100, 100, 100, 100}, {20, 20});
  grid->SetFocus();
  PumpUntil([grid] { return GetFocus() == grid->hwnd; }, 2000);
  ASSERT_EQ(212, grid->ClientRect().right);
  struct Case {
    int col, left;
    WORD vk;
    int wantCol, wantLeft;
  } cases[] = {
      {0, 0, VK_RIGHT, 1, 0},   {1, 0, VK_RIGHT, 2, 100}, {2, 100, VK_RIGHT, 3, 200},
      {3, 200, VK_RIGHT, 3, 200}, {3, 200, VK_LEFT, 2, 200}, {1, 200, VK_LEFT, 0, 0},
      {2, 100, VK_HOME, 0, 0},  {0, 0, VK_END, 3, 200},
  };
  for (const Case& c : cases) {
    grid->UpdateScrollBars(-1, c.left);
    grid->SetCurrent(0, c.col);
    TapKey(c.vk);
    PumpFor(20);
    EXPECT_EQ(c.wantCol, grid->curCol) << "key " << c.vk << " from column " << c.col;
    EXPECT_EQ(c.wantLeft, grid->HPos()) << "key " << c.vk << " from column " << c.col;
  }
}

TEST_F(Grids, BothScrollBarsStepOverRowsOfDifferentHeights) {
  KxGridCard* grid = Make<KxGridCard>(240, 120, {100}, kHeights);
  struct Case {
    int top;
    WPARAM code;
    int wantTop;
  } cases[] = {
      {4, SB_LINEDOWN, 5},  {5, SB_LINEDOWN, 6}, {6, SB_LINEDOWN, 6}, {0, SB_LINEUP, 0},
      {0, SB_PAGEDOWN, 3},  {3, SB_PAGEUP, 0},   {0, SB_BOTTOM, 6},   {6, SB_TOP, 0},
      {0, MAKEWPARAM(SB_THUMBTRACK, 4), 4},
  };
  for (const Case& c : cases) {
    grid->UpdateScrollBars(c.top, -1);
    SendMessageA(grid->hwnd, WM_VSCROLL, c.code, 0);
    EXPECT_EQ(c.wantTop, grid->VPos()) << "code " << LOWORD(c.code) << " from " << c.top;
  }

  // The tall row alone fills the view: it is drawn, its neighbours are not.
  grid->UpdateScrollBars(5, -1);
  CaptureWindow(grid->hwnd);
  EXPECT_TRUE(grid->RowAt(5)->visible);
  EXPECT_FALSE(grid->RowAt(4)->visible);
  EXPECT_FALSE(grid->RowAt(6)->visible);

  grid->UpdateScrollBars(0, -1);
  ClickArrow(grid, SB_VERT, true);
  EXPECT_EQ(1, grid->VPos());
  ClickArrow(grid, SB_VERT, false);
  EXPECT_EQ(0, grid->VPos());

  KxGridCard* wide = Make<KxGridCard>(212, 100, {100, 100, 100, 100}, {20}, POINT{10, 200});
  ClickArrow(wide, SB_HORZ, true);
  EXPECT_EQ(20, wide->HPos());
  EXPECT_EQ(20, GetScrollPos(wide->hwnd, SB_HORZ));
}

TEST_F(Grids, DeletingRowsKeepsTheCurrentRowAndClearsItAtTheEnd) {
  KxTableCard* table = Make<KxTableCard>(200, 120, {80}, {20, 20, 20, 20});
  auto currentText = [table] { return table->RowAt(table->curRow)->items.Head()->value->text; };
  table->SetCurrent(2, 0);
  events.sel.clear();
  table->DeleteRow(0);
  EXPECT_EQ(1, table->curRow) << "the same row stays current";
  EXPECT_EQ(KxString("r2"), currentText());
  EXPECT_EQ(2, table->RowAt(2)->index);
  table->DeleteRow(1);
  EXPECT_EQ(KxString("r3"), currentText()) << "the next row takes the deleted one's place";
  table->DeleteRow(1);
  EXPECT_EQ(0, table->curRow) << "past the end: the last row";
  table->DeleteRow(5);
  EXPECT_EQ(1, table->RowCount());
  table->DeleteRow(0);
  EXPECT_EQ(0, table->RowCount());
  EXPECT_EQ(-1, table->curRow);
  EXPECT_EQ(0, table->VPos());
  EXPECT_EQ((std::vector<std::pair<int, int>>{{1, 0}, {0, 0}, {-1, 0}}), events.sel);
}

TEST_F(Grids, ListCardHostsControlsRowByRow) {
  KxListCard* list = new KxListCard(form, KxRect{10, 10, 202, 102});
  BindCmd(*list, KX_GRID_SELCHANGE, &events, &Events::Selected);
  std::vector<Swatch*> swatches;
  for (int i = 0; i < 4; ++i) {
    swatches.push_back(new Swatch(list, KxRect{0, 0, 100, 40}, RGB(0, 200 - i, 0)));
    list->AddControlRow(swatches.back());
  }
  EXPECT_EQ(40, list->RowAt(0)->height);
  CaptureWindow(list->hwnd);
  EXPECT_EQ(list->ClientRect().right, list->ColumnAt(0)->width) << "the bar took its share";
  EXPECT_TRUE(swatches[1]->IsVisible());
  EXPECT_FALSE(swatches[2]->IsVisible());
  EXPECT_EQ(list->ClientRect().right, swatches[0]->width);

  SendMessageA(list->hwnd, WM_VSCROLL, SB_BOTTOM, 0);
  CaptureWindow(list->hwnd);
  EXPECT_FALSE(swatches[1]->IsVisible());
  EXPECT_TRUE(swatches[3]->IsVisible());
  EXPECT_EQ(40, swatches[3]->y);
  list->SetCurrent(3, -2);
  list->Resize(262, 102);
  EXPECT_EQ(list->ClientRect().right, list->ColumnAt(0)->width);

  list->DeleteRow(3);
  EXPECT_FALSE(swatches[3]->IsVisible()) << "a deleted row takes its control out of view";
  EXPECT_EQ(2, list->curRow);
}

TEST_F(Grids, AutoSizeHoldsEveryRowInsideTheBorder) {
  KxGridCard* grid = Make<KxGridCard>(50, 50, {50, 50}, {20, 20, 20});
  grid->autoSize = true;
  grid->UpdateScrollBars(-1, -1);
  EXPECT_EQ(12 + 100, grid->ClientRect().right);
  EXPECT_EQ(20 + 60, grid->ClientRect().bottom);
  CaptureWindow(grid->hwnd);
  EXPECT_TRUE(grid->RowAt(2)->visible) << "the last row is drawn";
}

}  // namespace
