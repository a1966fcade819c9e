#include "kx/KxGridPresets.h"

namespace {

// The single column of a list follows the client width.
void FitSingleColumn(KxGridCard& grid, const RECT& client) {
  if (KxGridColumn* column = grid.ColumnAt(0)) column->width = client.right - grid.rowHeaderWidth;
}

void SetUpList(KxGridCard& grid, COLORREF background) {
  grid.bkColor = background;
  grid.rowSelect = true;
  grid.rowHeaderWidth = 0;
  grid.showRowHeader = false;
  grid.showGridLines = false;
}

}  // namespace

KxTableCard::KxTableCard(KxControl* parentControl, const KxRect& rect)
    : KxGridCard(parentControl, rect) {
  rowSelect = true;
  rowHeaderWidth = 8;
  showRowHeader = true;
  showGridLines = true;
  AddHeadRow();
}

KxListCard::KxListCard(KxControl* parentControl, const KxRect& rect)
    : KxGridCard(parentControl, rect) {
  SetUpList(*this, kxFormColor);
  KxGridHeadRow* head = AddHeadRow();
  if (head) head->visible = false;
  AddColumn(head, "", LayoutRect().right);
}

void KxListCard::OnSize(const RECT& client) {
  FitSingleColumn(*this, client);
  KxGridCard::OnSize(client);
}

KxGridCardRow* KxListCard::AddControlRow(KxControl* control) {
  KxGridCardRow* row = AddRow();
  if (!row) return nullptr;
  KxGridItem* item = AddItem(row, "");
  if (item) item->control = control;
  if (control) row->height = control->height;
  UpdateScrollBars(-1, -1);
  Invalidate(false);
  return row;
}

KxListBoxCard::KxListBoxCard(KxControl* parentControl, const KxRect& rect)
    : KxGridCard(parentControl, rect) {
  SetUpList(*this, kxWhiteColor);
  KxGridHeadRow* head = AddHeadRow();
  if (head) head->height = 2;
  if (KxGridColumn* column = AddColumn(head, "", LayoutRect().right)) column->backColor = kxWhiteColor;
}

void KxListBoxCard::OnSize(const RECT& client) {
  FitSingleColumn(*this, client);
  KxGridCard::OnSize(client);
}

KxGridCardRow* KxListBoxCard::AddTextRow(const KxString& text) {
  KxGridCardRow* row = AddRow();
  if (!row) return nullptr;
  if (KxGridItem* item = AddItem(row, text)) item->format = DT_VCENTER | DT_SINGLELINE;
  Invalidate(false);
  return row;
}
