#pragma once
// The toolkit's self-drawn grid: header rows of columns, data rows of cells, an optional
// row-header strip, grid lines, a current cell or row, vertical scrolling by whole rows
// and horizontal scrolling by pixels. Rows, cells and columns have no windows; a cell may
// host a child control of the grid, which the grid moves over the cell and shows or hides
// as its row comes into view. The grid owns its header rows and rows, a row its cells and
// a header row its columns; hosted controls belong to the grid's children.

#include "kx/KxControl.h"
#include "kx/KxMessages.h"

class KxGridCard;

// One cell.
class KxGridItem {
public:
  explicit KxGridItem(KxGridCard* grid) : grid(grid) {}
  KxGridItem(const KxGridItem&) = delete;
  KxGridItem& operator=(const KxGridItem&) = delete;
  virtual ~KxGridItem() = default;

  virtual void DrawSelected(KxCanvas& canvas, const RECT& cell, COLORREF back, COLORREF fore);
  virtual void Draw(KxCanvas& canvas, const RECT& cell);

  UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  COLORREF textColor = kxBlackColor;
  COLORREF backColor = kxWhiteColor;
  KxString text;
  KxControl* control = nullptr;  // hosted: a child of the grid, not owned by the cell
  KxPicture picture;
  KxGridCard* grid;

protected:
  void Paint(KxCanvas& canvas, const RECT& cell, COLORREF back, COLORREF fore);
};

class KxGridColumn : public KxGridItem {
public:
  explicit KxGridColumn(KxGridCard* grid) : KxGridItem(grid) { backColor = kxFormColor; }

  int width = 0;
  int index = 0;  // position in its header row
};

class KxGridHeadRow {
public:
  explicit KxGridHeadRow(KxGridCard* grid) : grid(grid) {}
  KxGridHeadRow(const KxGridHeadRow&) = delete;
  KxGridHeadRow& operator=(const KxGridHeadRow&) = delete;
  virtual ~KxGridHeadRow();
  virtual void Draw(KxCanvas& canvas, int hPos, int y);

  bool visible = true;
  int height = 20;
  KxList<KxGridColumn*> columns;  // owned
  KxGridCard* grid;
};

class KxGridCardRow {
public:
  explicit KxGridCardRow(KxGridCard* grid) : grid(grid) {}
  KxGridCardRow(const KxGridCardRow&) = delete;
  KxGridCardRow& operator=(const KxGridCardRow&) = delete;
  virtual ~KxGridCardRow();
  virtual void Draw(KxCanvas& canvas, int hPos, int y);

  // Shows or hides the controls hosted in this row's cells.
  void ShowControls(bool show);

  bool visible = true;  // in view at the last drawing
  int height = 20;
  int index = 0;
  int key = 0;  // the owner's: what the row stands for, whatever its place
  KxList<KxGridItem*> items;  // owned, one per column in column order
  bool isCurrent = false;
  KxGridCard* grid;
};

// Rows, columns, the row header and the horizontal scroll position are 96-DPI values;
// the grid draws and hit-tests them at its DPI.
class KxGridCard : public KxControl {
public:
  KxGridCard(KxControl* parent, const KxRect& rect);
  ~KxGridCard() override;

  void OnSize(const RECT& client) override;
  void OnDraw(KxCanvas& canvas) override;
  void OnLButtonDown(WPARAM keys, POINT pt) override;
  void OnRButtonDown(WPARAM keys, POINT pt) override;
  void OnKeyDown(WPARAM key, LPARAM lParam) override;
  void OnVScroll(WPARAM wParam, LPARAM lParam) override;
  void OnHScroll(WPARAM wParam, LPARAM lParam) override;

  KxGridHeadRow* AddHeadRow();
  KxGridColumn* AddColumn(KxGridHeadRow* head, const KxString& text, int width);
  KxGridCardRow* AddRow();
  KxGridItem* AddItem(KxGridCardRow* row, const KxString& text);
  // Ignored when i names no cell of the row.
  void SetItemText(KxGridCardRow* row, int i, const KxString& text);
  void DeleteRow(int i);
  int RowCount() const { return rows.Count(); }
  int ColumnCount() const;
  KxGridCardRow* RowAt(int i) const;
  KxGridColumn* ColumnAt(int c) const;
  // A row outside -1 .. RowCount() - 1 keeps curRow, a column outside -1 .. ColumnCount() - 1
  // keeps curCol; a change sends KX_GRID_SELCHANGE (row, column) to the grid's window.
  void SetCurrent(int row, int col);

  // How many rows from start (vPos when negative), walking forward or backward, fit in
  // avail pixels (the rows' part of the client area when negative); at least 1 when a
  // row stands at start.
  int Fit(int start, bool forward, int avail) const;
  // Sum of the widths of the columns before c (inclusive: up to and including c).
  int ColumnX(int c, bool inclusive) const;
  // Sets the ranges from the content and the positions to v and h (negative: kept).
  void UpdateScrollBars(int v, int h);

  int HeadHeight() const;
  int ColumnsWidth() const;
  int RowsHeight() const;
  int VPos() const { return vPos; }
  int HPos() const { return hPos; }

  COLORREF selColor = kxGridSelectionColor;
  COLORREF selTextColor = kxWhiteColor;
  bool autoSize = false;  // the window follows the content; no scroll bars
  bool showRowHeader = true;
  int rowHeaderWidth = 12;
  bool showGridLines = true;
  bool rowSelect = false;  // whole rows, not single cells
  int curRow = -1;
  int curCol = -1;
  KxList<KxGridHeadRow*> headRows;  // owned; the first one's columns are the grid's
  KxList<KxGridCardRow*> rows;      // owned

private:
  void UpdateOnce(int v, int h);
  void SetBar(int bar, int max, int pos);
  int ColumnAtX(int x) const;
  int RowAtY(int y) const;
  void SelectRow(int row) { SetCurrent(row, -2); }
  void SelectColumn(int col) { SetCurrent(-2, col); }
  // Scrolls so that the current row ends the view.
  void ScrollCurrentToBottom();

  int vPos = 0;  // first row shown
  int hPos = 0;  // pixels scrolled to the left
  int vMax = 0;
  int hMax = 0;
  bool updating = false;
  bool updateAgain = false;
};
