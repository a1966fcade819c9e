#include "kx/KxGrid.h"

#include "kx/base/KxWinHelpers.h"

namespace {

// Header rows draw their lines darker than data rows.
constexpr COLORREF kHeadLineColor = kxGreyLineColor;

int Max(int a, int b) { return a > b ? a : b; }
int Min(int a, int b) { return a < b ? a : b; }

}  // namespace

// ---- Cells

// Cells are laid out in 96-DPI values like the grid's rows and columns, and drawn at the
// grid's DPI.
void KxGridItem::Paint(KxCanvas& canvas, const RECT& cell, COLORREF back, COLORREF fore) {
  if (control) {
    int w = cell.right - cell.left;
    int h = cell.bottom - cell.top;
    if (control->x != cell.left || control->y != cell.top || control->width != w ||
        control->height != h)
      control->SetBounds(KxRect{cell.left, cell.top, w, h}, true);
    return;
  }
  canvas.FillRect(back, grid->Px(cell));
  RECT r = grid->Px(RECT{cell.left + 2, cell.top + 1, cell.right - 2, cell.bottom - 1});
  if (picture.IsPresent()) {
    canvas.DrawPicture(POINT{r.left, r.top}, picture);
    r.left += picture.Size().cx + grid->Px(1);
  }
  canvas.DrawText(grid->font, fore, text, r, format);
}

void KxGridItem::DrawSelected(KxCanvas& canvas, const RECT& cell, COLORREF back, COLORREF fore) {
  Paint(canvas, cell, back, fore);
}

void KxGridItem::Draw(KxCanvas& canvas, const RECT& cell) {
  Paint(canvas, cell, backColor, textColor);
}

// ---- Header rows

KxGridHeadRow::~KxGridHeadRow() {
  for (auto& item : columns) delete item;
  columns.Clear();
}

void KxGridHeadRow::Draw(KxCanvas& canvas, int hPos, int y) {
  RECT client = grid->LayoutRect();
  int x = grid->rowHeaderWidth - hPos;
  int lastRight = x;
  for (KxGridColumn* column : columns) {
    int right = x + column->width;
    if (right >= 0) {
      RECT cell = grid->Px(RECT{x, y, right, y + height});
      canvas.FillRect(column->backColor, cell);
      canvas.DrawText(grid->font, column->textColor, column->text, cell,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      if (grid->showGridLines)
        canvas.Line(kHeadLineColor, 1, POINT{cell.right - 1, cell.top}, POINT{cell.right - 1, cell.bottom});
    }
    lastRight = right;
    x = right;
    if (right > client.right) break;
  }
  RECT band = grid->Px(RECT{0, y, grid->rowHeaderWidth, y + height});
  if (grid->showRowHeader) {
    canvas.FillRect(kxFormColor, band);
    canvas.Line(kHeadLineColor, 1, POINT{band.right, band.top}, POINT{band.right, band.bottom - 1});
  }
  if (grid->showGridLines)
    canvas.Line(kHeadLineColor, 1, POINT{0, band.bottom - 1}, POINT{grid->Px(lastRight), band.bottom - 1});
}

// ---- Data rows

KxGridCardRow::~KxGridCardRow() {
  for (auto& item : items) delete item;
  items.Clear();
}

void KxGridCardRow::ShowControls(bool show) {
  for (auto& item : items) {
    KxControl* control = item->control;
    if (!control || control->IsVisible() == show) continue;
    if (show) {
      control->Show();
    } else {
      control->Hide();
    }
  }
}

void KxGridCardRow::Draw(KxCanvas& canvas, int hPos, int y) {
  isCurrent = grid->curRow == index;
  RECT client = grid->LayoutRect();
  KxGridHeadRow* head = grid->headRows.IsEmpty() ? nullptr : grid->headRows.Head()->value;
  int x = grid->rowHeaderWidth - hPos;
  int lastRight = x;
  bool passed = false;  // a column reached the right edge: the rest is out of view
  auto* itemNode = items.Head();
  for (auto* node = head ? head->columns.Head() : nullptr; node; node = node->next) {
    KxGridColumn* column = node->value;
    KxGridItem* item = itemNode ? itemNode->value : nullptr;
    int right = x + column->width;
    RECT cell = {x, y, right, y + height};
    if (right >= 0 && !passed) {
      bool selected = isCurrent && (grid->rowSelect || grid->curCol == column->index);
      if (item && selected) {
        item->DrawSelected(canvas, cell, grid->selColor, grid->selTextColor);
      } else if (item) {
        item->Draw(canvas, cell);
      } else if (selected) {
        canvas.FillRect(grid->selColor, grid->Px(cell));
      }
      RECT drawn = grid->Px(cell);
      if (selected && !grid->rowSelect) DrawFocusRect(canvas.Dc(), &drawn);
      if (grid->showGridLines)
        canvas.Line(kxGridLineColor, 1, POINT{drawn.right - 1, drawn.top}, POINT{drawn.right - 1, drawn.bottom - 1});
      lastRight = right;
      passed = right >= client.right;
    } else if (item && item->control) {
      // A hosted control out of view follows its cell, so it does not stay behind.
      item->Draw(canvas, cell);
    }
    x = right;
    if (itemNode) itemNode = itemNode->next;
  }
  RECT band = grid->Px(RECT{0, y, grid->rowHeaderWidth, y + height});
  if (grid->showRowHeader) {
    canvas.FillRect(kxFormColor, band);
    if (grid->showGridLines)
      canvas.Line(kxGridLineColor, 1, POINT{band.right, band.top}, POINT{band.right, band.bottom});
  }
  if (isCurrent && grid->rowSelect) {
    int left = grid->showRowHeader ? band.right + 1 : 1;
    RECT focus = {left, band.top - 1, grid->Px(Min(lastRight, client.right)), band.bottom};
    DrawFocusRect(canvas.Dc(), &focus);
  } else if (grid->showGridLines) {
    canvas.Line(kxGridLineColor, 1, POINT{0, band.bottom - 1}, POINT{grid->Px(lastRight), band.bottom - 1});
  }
}

// ---- The grid

KxGridCard::KxGridCard(KxControl* parentControl, const KxRect& rect) : KxControl(parentControl) {
  borderStyle = 1;
  bkColor = kxWhiteColor;
  Create(parentControl, "", WS_CHILD | WS_VISIBLE, rect);
  SetBar(SB_VERT, 0, 0);
  SetBar(SB_HORZ, 0, 0);
}

KxGridCard::~KxGridCard() {
  for (auto& item : rows) delete item;
  rows.Clear();
  for (auto& item : headRows) delete item;
  headRows.Clear();
}

KxGridHeadRow* KxGridCard::AddHeadRow() {
  KxGridHeadRow* head = new KxGridHeadRow(this);
  if (!headRows.Add(head)) {
    delete head;
    return nullptr;
  }
  return head;
}

KxGridColumn* KxGridCard::AddColumn(KxGridHeadRow* head, const KxString& text, int width) {
  if (!head) return nullptr;
  KxGridColumn* column = new KxGridColumn(this);
  column->text = text;
  column->width = width;
  column->index = head->columns.Count();
  if (!head->columns.Add(column)) {
    delete column;
    return nullptr;
  }
  Invalidate(false);
  UpdateScrollBars(-1, -1);
  return column;
}

KxGridCardRow* KxGridCard::AddRow() {
  KxGridCardRow* row = new KxGridCardRow(this);
  row->index = rows.Count();
  if (!rows.Add(row)) {
    delete row;
    return nullptr;
  }
  UpdateScrollBars(-1, -1);
  Invalidate(false);
  return row;
}

KxGridItem* KxGridCard::AddItem(KxGridCardRow* row, const KxString& text) {
  if (!row) return nullptr;
  KxGridItem* item = new KxGridItem(this);
  item->text = text;
  if (!row->items.Add(item)) {
    delete item;
    return nullptr;
  }
  Invalidate(false);
  return item;
}

void KxGridCard::SetItemText(KxGridCardRow* row, int i, const KxString& text) {
  if (!row) return;
  KxGridItem** item = row->items.At(i);
  if (!item) return;
  (*item)->text = text;
  Invalidate(false);
}

int KxGridCard::ColumnCount() const {
  return headRows.IsEmpty() ? 0 : headRows.Head()->value->columns.Count();
}

KxGridCardRow* KxGridCard::RowAt(int i) const {
  auto* node = rows.NodeAt(i);
  return node ? node->value : nullptr;
}

KxGridColumn* KxGridCard::ColumnAt(int c) const {
  if (headRows.IsEmpty()) return nullptr;
  auto* node = headRows.Head()->value->columns.NodeAt(c);
  return node ? node->value : nullptr;
}

void KxGridCard::SetCurrent(int row, int col) {
  int newRow = row >= -1 && row < RowCount() ? row : curRow;
  int newCol = col >= -1 && col < ColumnCount() ? col : curCol;
  if (newRow == curRow && newCol == curCol) return;
  curRow = newRow;
  curCol = newCol;
  SendMessageW(hwnd, KX_GRID_SELCHANGE, static_cast<WPARAM>(curRow), static_cast<LPARAM>(curCol));
  Invalidate(false);
}

int KxGridCard::HeadHeight() const {
  int sum = 0;
  for (auto& item : headRows)
    if (item->visible) sum += item->height;
  return sum;
}

int KxGridCard::ColumnsWidth() const { return ColumnX(ColumnCount(), false); }

int KxGridCard::RowsHeight() const {
  int sum = 0;
  for (auto& item : rows) sum += item->height;
  return sum;
}

int KxGridCard::Fit(int start, bool forward, int avail) const {
  if (start < 0) start = vPos;
  if (avail < 0) avail = LayoutRect().bottom - HeadHeight();
  int count = 0;
  int sum = 0;
  for (auto* node = rows.NodeAt(start); node; node = forward ? node->next : node->prev) {
    sum += node->value->height;
    if (sum > avail) return count > 0 ? count : 1;
    ++count;
  }
  return count;
}

int KxGridCard::ColumnX(int c, bool inclusive) const {
  if (headRows.IsEmpty()) return 0;
  int sum = 0;
  for (auto& item : headRows.Head()->value->columns) {
    int index = item->index;
    if (index > c || (index == c && !inclusive)) break;
    sum += item->width;
  }
  return sum;
}

void KxGridCard::SetBar(int bar, int max, int pos) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_POS;
  info.nMin = 0;
  info.nMax = max;
  info.nPos = pos;
  SetScrollInfo(hwnd, bar, &info, TRUE);
  ShowScrollBar(hwnd, bar, max > 0);
}

void KxGridCard::UpdateScrollBars(int v, int h) {
  // Showing or hiding a bar resizes the client area, and the WM_SIZE that follows asks
  // for this again from inside; that request runs once the current one is done.
  if (updating) {
    updateAgain = true;
    return;
  }
  updating = true;
  int oldV = vPos;
  int oldH = hPos;
  UpdateOnce(v, h);
  for (int i = 0; updateAgain && i < 4; ++i) {
    updateAgain = false;
    UpdateOnce(-1, -1);
  }
  updateAgain = false;
  updating = false;
  if (vPos != oldV || hPos != oldH) Invalidate(false);
}

void KxGridCard::UpdateOnce(int v, int h) {
  if (autoSize) {
    vPos = vMax = hPos = hMax = 0;
    SetBar(SB_VERT, 0, 0);
    SetBar(SB_HORZ, 0, 0);
    // The client area is what must hold the content; the border comes on top.
    RECT client = ClientRect();
    RECT window = WindowRect();
    int frameW = Dip((window.right - window.left) - client.right);
    int frameH = Dip((window.bottom - window.top) - client.bottom);
    int w = rowHeaderWidth + ColumnsWidth() + frameW;
    int hgt = HeadHeight() + RowsHeight() + frameH;
    if (w != width || hgt != height) Resize(w, hgt);
    return;
  }

  RECT client = LayoutRect();
  int head = HeadHeight();
  if (head < client.bottom && client.bottom < head + RowsHeight()) {
    int n = Fit(v >= 0 ? v : vPos, true, client.bottom - head);
    if (RowCount() - n <= 0) {
      vMax = vPos = 0;
    } else {
      vMax = RowCount() - n;
      if (v >= 0) vPos = v;
      vPos = Max(0, Min(vPos, Min(vMax, RowCount() - 1)));
    }
  } else {
    vMax = vPos = 0;
  }
  SetBar(SB_VERT, vMax, vPos);

  client = LayoutRect();
  int columns = ColumnsWidth();
  if (client.right < rowHeaderWidth + columns) {
    int avail = client.right - rowHeaderWidth;
    if (columns - avail <= 0) {
      hMax = hPos = 0;
    } else {
      hMax = columns - avail;
      if (h >= 0) hPos = h;
      hPos = Max(0, Min(hPos, hMax));
    }
  } else {
    hMax = hPos = 0;
  }
  SetBar(SB_HORZ, hMax, hPos);
}

void KxGridCard::OnSize(const RECT&) {
  UpdateScrollBars(-1, -1);
  Invalidate(false);
}

void KxGridCard::OnDraw(KxCanvas& canvas) {
  canvas.SetBkMode(TRANSPARENT);
  RECT client = LayoutRect();
  int y = 0;
  for (auto& item : headRows) {
    if (!item->visible) continue;
    item->Draw(canvas, hPos, y);
    y += item->height;
  }
  int n = Fit(vPos, true, client.bottom - y);
  int i = 0;
  for (auto* node = rows.Head(); node; node = node->next, ++i) {
    KxGridCardRow* row = node->value;
    row->visible = i >= vPos && i < vPos + n;
    if (row->visible) {
      row->Draw(canvas, hPos, y);
      y += row->height;
    }
    row->ShowControls(row->visible);
  }
}

int KxGridCard::ColumnAtX(int x) const {
  int d = x + hPos - rowHeaderWidth;
  int right = 0;
  if (headRows.IsEmpty()) return -2;
  for (auto& item : headRows.Head()->value->columns) {
    right += item->width;
    if (d < right) return item->index;
  }
  return -2;
}

int KxGridCard::RowAtY(int y) const {
  int head = HeadHeight();
  if (y < head) return -1;
  // Only the rows drawn: a row that does not fit is not shown and cannot be hit.
  int n = Fit(vPos, true, LayoutRect().bottom - head);
  int bottom = head;
  auto* node = rows.NodeAt(vPos);
  for (int k = 0; node && k < n; node = node->next, ++k) {
    bottom += node->value->height;
    if (y < bottom) return node->value->index;
  }
  return -2;
}

void KxGridCard::OnLButtonDown(WPARAM, POINT pixels) {
  POINT pt = {Dip(pixels.x), Dip(pixels.y)};
  int col = pt.x > rowHeaderWidth ? ColumnAtX(pt.x) : curCol;
  int row = RowAtY(pt.y);
  if (row == -2) return;
  if (row >= 0) {
    SetCurrent(row, col);
    return;
  }
  if (col >= 0) {
    SetCurrent(-2, col);
    SendMessageW(hwnd, KX_WM_CLICK, 0, static_cast<LPARAM>(curCol));
    Invalidate(false);
  }
}

void KxGridCard::OnRButtonDown(WPARAM keys, POINT pt) { OnLButtonDown(keys, pt); }

void KxGridCard::ScrollCurrentToBottom() {
  if (curRow < 0) return;
  int m = Fit(curRow, false, -1);
  UpdateScrollBars(m < 2 ? curRow : curRow - m + 1, -1);
}

void KxGridCard::OnKeyDown(WPARAM key, LPARAM) {
  int top = vPos;
  int n = Fit(-1, true, -1);
  int r = curRow;
  int c = curCol;
  bool ctrl = KeyIsDown(VK_CONTROL);
  int visibleWidth = LayoutRect().right - rowHeaderWidth;
  switch (key) {
    case VK_PRIOR:
      if (r < top) {
        SelectRow(Max(r, 0));
      } else if (r == top && r > 0) {
        SelectRow(r - Max(Fit(r - 1, false, -1), 1));
      } else if (r > top && r < top + n) {
        SelectRow(top);
      }
      UpdateScrollBars(curRow, -1);
      break;
    case VK_NEXT:
      if (r < top) {
        SelectRow(Max(r, 0));
        UpdateScrollBars(curRow, -1);
      } else if (r < top + n - 1) {
        SelectRow(top + n - 1);
      } else if (r == top + n - 1) {
        if (r < RowCount() - 1) {
          SelectRow(r + Max(Fit(r + 1, true, -1), 1));
          ScrollCurrentToBottom();
        }
      } else {
        ScrollCurrentToBottom();
      }
      break;
    case VK_END:
      if (ctrl) {
        SelectRow(RowCount() - 1);
        ScrollCurrentToBottom();
      } else {
        SelectColumn(ColumnCount() - 1);
        UpdateScrollBars(-2, ColumnX(curCol, false));
      }
      break;
    case VK_HOME:
      if (ctrl) {
        if (RowCount() > 0) {
          SelectRow(0);
          UpdateScrollBars(0, -1);
        }
      } else if (ColumnCount() > 0) {
        SelectColumn(0);
        UpdateScrollBars(-2, ColumnX(curCol, false));
      }
      break;
    case VK_LEFT: {
      int col = Max(c - 1, 0);
      int x = ColumnX(col, false);
      if (x < hPos || x > hPos + visibleWidth) UpdateScrollBars(-2, x);
      SelectColumn(col);
      break;
    }
    case VK_UP: {
      SelectRow(Max(r - 1, 0));
      if (curRow >= 0 && (curRow < top || curRow > top + n - 1)) UpdateScrollBars(curRow, -1);
      break;
    }
    case VK_RIGHT: {
      int col = Min(c + 1, ColumnCount() - 1);
      int x = ColumnX(col, false);
      int right = ColumnX(col, true);
      if (x < hPos) {
        UpdateScrollBars(-2, x);
      } else if (right >= hPos + visibleWidth) {
        UpdateScrollBars(-2, right - visibleWidth);
      }
      SelectColumn(col);
      break;
    }
    case VK_DOWN: {
      int row = Min(r + 1, RowCount() - 1);
      if (row < 0) break;
      SelectRow(row);
      if (row < top) {
        UpdateScrollBars(row, -1);
      } else if (row >= top + n) {
        int m = Fit(row, false, -1);
        UpdateScrollBars(m > 1 ? row + 1 - m : row, -1);
      }
      break;
    }
    default:
      break;
  }
}

void KxGridCard::OnVScroll(WPARAM wParam, LPARAM) {
  int value = -1;
  switch (LOWORD(wParam)) {
    case SB_LINEUP:
      if (vPos > 0) value = vPos - 1;
      break;
    case SB_LINEDOWN:
      if (vPos < vMax) value = vPos + 1;
      break;
    case SB_PAGEUP: {
      int m = Fit(vPos - 1, false, -1);
      value = Max(vPos - (m < 2 ? 1 : m), 0);
      break;
    }
    case SB_PAGEDOWN: {
      int m = Fit(vPos + 1, true, -1);
      value = vPos + (m < 2 ? 1 : m);
      break;
    }
    case SB_THUMBTRACK:
      value = HIWORD(wParam);
      Invalidate(false);
      break;
    case SB_TOP:
      value = 0;
      break;
    case SB_BOTTOM: {
      if (RowCount() == 0) break;
      int m = Fit(RowCount() - 1, false, -1);
      value = RowCount() - (m < 2 ? 1 : m);
      break;
    }
    case SB_ENDSCROLL:
      Invalidate(false);
      break;
    default:
      break;
  }
  if (value >= 0) UpdateScrollBars(value, -1);
}

void KxGridCard::OnHScroll(WPARAM wParam, LPARAM) {
  int clientWidth = LayoutRect().right;
  int value = -1;
  switch (LOWORD(wParam)) {
    case SB_LINELEFT:
      value = Max(hPos - 20, 0);
      break;
    case SB_LINERIGHT:
      value = Min(hPos + 20, hMax);
      break;
    case SB_PAGELEFT:
      value = Max(hPos + rowHeaderWidth - clientWidth, 0);
      break;
    case SB_PAGERIGHT:
      value = Min(hPos + clientWidth - rowHeaderWidth, hMax);
      break;
    case SB_THUMBTRACK:
      value = HIWORD(wParam);
      Invalidate(false);
      break;
    case SB_LEFT:
      value = 0;
      break;
    case SB_RIGHT:
      value = hMax;
      break;
    case SB_ENDSCROLL:
      Invalidate(false);
      break;
    default:
      break;
  }
  if (value >= 0) UpdateScrollBars(-1, value);
}

void KxGridCard::DeleteRow(int i) {
  auto* node = rows.NodeAt(i);
  if (!node) return;
  KxGridCardRow* row = node->value;
  // Its hosted controls outlive the row and must not stay over the grid.
  row->ShowControls(false);
  rows.Remove(node);
  delete row;
  for (auto* next = rows.NodeAt(i); next; next = next->next) --next->value->index;

  // The current row stays current when a row above it goes.
  if (curRow > i) SelectRow(curRow - 1);
  int v = -1;
  if (RowCount() > 0) {
    if (curRow >= RowCount() - 1) {
      if (curRow > RowCount() - 1) SelectRow(RowCount() - 1);
      int m = Fit(curRow, false, -1);
      v = m > 1 ? curRow + 1 - m : curRow;
    }
  } else {
    if (curRow != -1) {
      curRow = -1;
      SendMessageW(hwnd, KX_GRID_SELCHANGE, static_cast<WPARAM>(curRow),
                   static_cast<LPARAM>(curCol));
    }
    v = 0;
  }
  UpdateScrollBars(v, -1);
  Invalidate(false);
}
