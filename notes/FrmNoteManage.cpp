#include "notes/FrmNoteManage.h"

#include "app/KxApp.h"
#include "app/ProgramShell.h"
#include "app/resource.h"
#include "kx/KxEdit.h"
#include "kx/KxGridPresets.h"
#include "kx/KxLabel.h"
#include "kx/KxMenu.h"
#include "kx/KxToolBar.h"
#include "kx/base/KxTime.h"
#include "store/NoteText.h"

const char kNoteManagerCaption[] = "便签管理";

namespace {

const char kYes[] = "是";
const char kNo[] = "否";
const char kShowDeletedText[] = "最近删除";
const char kShowNotesText[] = "全部便签";
const int kTableLeft = 4;
const int kTableTop = 38;
const int kFilterTop = 4;
const int kFilterHeight = 20;
const int kFilterWidth = 200;
const int kFilterLabelWidth = 36;
// The first line is cut to about what the column shows in the table's font; the cell
// cuts the rest with an ellipsis.
const int kTextColumnWidth = 300;
const int kFirstLineBytes = 48;
const UINT kTextCellFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

enum NoteColumn { kColumnText, kColumnId, kColumnShown, kColumnTopmost, kColumnModified };
enum DeletedMenuId { kMenuRestore = 1, kMenuRemove = 2 };

FrmNoteManage* noteManager = nullptr;

const char* YesNo(bool value) { return value ? kYes : kNo; }

KxTableCard* NewTable(KxForm* form) {
  KxTableCard* table = new KxTableCard(form, KxRect{kTableLeft, kTableTop, 0, 0});
  table->bkColor = RGB(255, 255, 255);
  return table;
}

KxGridCardRow* NewRow(KxTableCard* table, int key, const KxString& text) {
  KxGridCardRow* row = table->AddRow();
  if (!row) return nullptr;
  row->key = key;
  if (KxGridItem* cell = table->AddItem(row, NoteFirstLine(text, kFirstLineBytes))) cell->format = kTextCellFormat;
  return row;
}

int RowWithKey(const KxTableCard* table, int key) {
  for (int i = 0; i < table->RowCount(); ++i) {
    if (table->RowAt(i)->key == key) return i;
  }
  return -1;
}

void ClearRows(KxTableCard* table) {
  while (table->RowCount() > 0) table->DeleteRow(table->RowCount() - 1);
}

void Refresh(KxTableCard* table) {
  table->UpdateScrollBars(-1, -1);
  table->Invalidate(false);
}

}  // namespace

FrmNoteManage::FrmNoteManage(KxControl* owner)
    : KxForm(owner, kNoteManagerCaption, KxRect{0, 0, 800, 600}, WS_OVERLAPPEDWINDOW,
             WS_EX_TOPMOST) {
  if (!hwnd) return;
  HINSTANCE resources = ResourceInstance();
  CenterOnScreen();
  SetIcon(LoadIconW(resources, MAKEINTRESOURCEW(IDI_NOTE_MANAGER)));

  toolBar = new KxToolBar(this, KxRect{0, 0, 0, 0});
  KxToolBtn* close = toolBar->AddButton();
  close->picture.LoadIconResource(resources, IDI_CLOSE);
  close->SetText("关闭");
  BindClick(*close, this, &FrmNoteManage::OnCloseClick);
  viewButton = toolBar->AddTextButton(kShowDeletedText, 60);
  BindClick(*viewButton, this, &FrmNoteManage::OnViewClick);
  restoreButton = toolBar->AddTextButton("恢复", 36);
  BindClick(*restoreButton, this, &FrmNoteManage::OnRestoreClick);
  removeButton = toolBar->AddTextButton("彻底删除", 60);
  BindClick(*removeButton, this, &FrmNoteManage::OnRemoveClick);
  filterLabel = new KxLabel(this, "筛选:", KxRect{0, kFilterTop, kFilterLabelWidth, kFilterHeight});
  filterLabel->SetAutoSize(false);
  filterEdit = new KxEdit(this, "", KxRect{0, kFilterTop, kFilterWidth, kFilterHeight});
  BindCmd(*filterEdit, KX_EDIT_CHANGE, this, &FrmNoteManage::OnFilterChange);

  table = NewTable(this);
  BindMsg(*table, WM_LBUTTONDBLCLK, this, &FrmNoteManage::OnTableDblClk);
  BindMsg(*table, WM_RBUTTONUP, this, &FrmNoteManage::OnTableRButtonUp);
  KxGridHeadRow* head = table->headRows.Head() ? table->headRows.Head()->value : nullptr;
  table->AddColumn(head, "内容", kTextColumnWidth);
  table->AddColumn(head, "序号", 60);
  table->AddColumn(head, "是否显示", 60);
  table->AddColumn(head, "总在最前", 60);
  table->AddColumn(head, "修改日期", 80);

  deletedTable = NewTable(this);
  BindMsg(*deletedTable, WM_RBUTTONUP, this, &FrmNoteManage::OnDeletedRButtonUp);
  head = deletedTable->headRows.Head() ? deletedTable->headRows.Head()->value : nullptr;
  deletedTable->AddColumn(head, "内容", kTextColumnWidth);
  deletedTable->AddColumn(head, "序号", 60);
  deletedTable->AddColumn(head, "删除日期", 80);

  ShowDeleted(false);
  OnSize(LayoutRect());
  TheNoteWindows.SetRowsView(this);
}

FrmNoteManage::~FrmNoteManage() { TheNoteWindows.ClearRowsView(this); }

void FrmNoteManage::OnSize(const RECT& client) {
  // The first WM_SIZE comes while the window is made, before the members exist.
  if (!toolBar || !deletedTable) return;
  int clientWidth = client.right - client.left;
  int w = clientWidth - 2 * kTableLeft;
  int h = client.bottom - client.top - toolBar->height - 4;
  KxRect tableRect{kTableLeft, kTableTop, w > 0 ? w : 0, h > 0 ? h : 0};
  table->SetBounds(tableRect, true);
  deletedTable->SetBounds(tableRect, true);
  // The filter stands at the right end of the tool bar's row, never over its buttons.
  int editLeft = clientWidth - kTableLeft - kFilterWidth;
  int barRight = toolBar->x + toolBar->width;
  if (editLeft - kFilterLabelWidth < barRight) editLeft = barRight + kFilterLabelWidth;
  filterLabel->SetBounds(KxRect{editLeft - kFilterLabelWidth, kFilterTop, kFilterLabelWidth, kFilterHeight}, true);
  filterEdit->SetBounds(KxRect{editLeft, kFilterTop, kFilterWidth, kFilterHeight}, true);
}

bool FrmNoteManage::CanClose() {
  Hide();
  return false;
}

void FrmNoteManage::FillNotes() {
  ClearRows(table);
  NoteList notes;
  LoadNotes(notes);
  for (auto& item : notes) AddRow(item);
  Refresh(table);
}

void FrmNoteManage::FillDeleted() {
  ClearRows(deletedTable);
  NoteList notes;
  LoadDeletedNotes(notes);
  for (auto& item : notes) {
    if (!NoteMatchesFilter(item.text, filter)) continue;
    KxGridCardRow* row = NewRow(deletedTable, item.id, item.text);
    if (!row) continue;
    deletedTable->AddItem(row, KxString::FromInt(item.id));
    deletedTable->AddItem(row, item.deleted.Mid(10, 0));
  }
  Refresh(deletedTable);
}

void FrmNoteManage::AddRow(const NoteRecord& record) {
  if (!NoteMatchesFilter(record.text, filter)) return;
  KxGridCardRow* row = NewRow(table, record.id, record.text);
  if (!row) return;
  table->AddItem(row, KxString::FromInt(record.id));
  table->AddItem(row, YesNo(record.visible));
  table->AddItem(row, YesNo((record.flags & kNoteTopmost) != 0));
  table->AddItem(row, record.modified);
  Refresh(table);
}

int FrmNoteManage::RowOf(int id) const { return RowWithKey(table, id); }

int FrmNoteManage::DeletedRowOf(int id) const { return RowWithKey(deletedTable, id); }

void FrmNoteManage::RemoveRow(int id) {
  int i = RowOf(id);
  if (i >= 0) {
    table->DeleteRow(i);
    table->Invalidate(false);
  }
  // It went to the recently deleted notes.
  FillDeleted();
}

void FrmNoteManage::SetShownCell(int id, bool shown) {
  int i = RowOf(id);
  if (i < 0) return;
  table->SetItemText(table->RowAt(i), kColumnShown, YesNo(shown));
  table->Invalidate(false);
}

void FrmNoteManage::SetAllShownCells(bool shown) {
  for (int i = 0; i < table->RowCount(); ++i) table->SetItemText(table->RowAt(i), kColumnShown, YesNo(shown));
  table->Invalidate(false);
}

void FrmNoteManage::SetTopmostCell(int id, bool topmost) {
  int i = RowOf(id);
  if (i < 0) return;
  table->SetItemText(table->RowAt(i), kColumnTopmost, YesNo(topmost));
  table->Invalidate(false);
}

void FrmNoteManage::SelectRow(int id) {
  int i = RowOf(id);
  if (i < 0) return;
  table->SetCurrent(i, -2);
  table->Invalidate(false);
}

void FrmNoteManage::SetTextCell(int id, const KxString& text) {
  int i = RowOf(id);
  bool matches = NoteMatchesFilter(text, filter);
  if (i < 0) {
    // A note the filter left out until now.
    NoteRecord record;
    if (matches && LoadNote(id, record)) AddRow(record);
    return;
  }
  if (!matches) {
    table->DeleteRow(i);
  } else {
    table->SetItemText(table->RowAt(i), kColumnText, NoteFirstLine(text, kFirstLineBytes));
    table->SetItemText(table->RowAt(i), kColumnModified, KxTime::Today());
  }
  table->Invalidate(false);
}

void FrmNoteManage::ShowDeleted(bool on) {
  showingDeleted = on;
  if (on) {
    // What lies longer than the days kept goes when the view is opened, not at every key.
    PurgeDeletedNotes();
    FillDeleted();
    table->Hide();
    deletedTable->Show();
    restoreButton->Show();
    removeButton->Show();
  } else {
    deletedTable->Hide();
    table->Show();
    restoreButton->Hide();
    removeButton->Hide();
    FillNotes();
  }
  viewButton->SetText(on ? kShowNotesText : kShowDeletedText);
  // The bar ends after the buttons the view has.
  KxToolBtn* last = on ? removeButton : viewButton;
  toolBar->SetWidth(last->x + last->width + toolBar->gap + toolBar->rightMargin);
}

int FrmNoteManage::SelectedId() const {
  const KxTableCard* shown = showingDeleted ? deletedTable : table;
  KxGridCardRow* row = shown->curRow >= 0 ? shown->RowAt(shown->curRow) : nullptr;
  return row ? row->key : 0;
}

void FrmNoteManage::RestoreSelected() {
  int id = showingDeleted ? SelectedId() : 0;
  if (id && TheNoteWindows.RestoreNote(id)) FillDeleted();
}

void FrmNoteManage::RemoveSelectedForGood() {
  int id = showingDeleted ? SelectedId() : 0;
  if (id && TheNoteWindows.RemoveForGood(id)) FillDeleted();
}

int FrmNoteManage::OnCloseClick(KxEvtParam&) {
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  return 0;
}

int FrmNoteManage::OnViewClick(KxEvtParam&) {
  ShowDeleted(!showingDeleted);
  return 0;
}

int FrmNoteManage::OnRestoreClick(KxEvtParam&) {
  RestoreSelected();
  return 0;
}

int FrmNoteManage::OnRemoveClick(KxEvtParam&) {
  RemoveSelectedForGood();
  return 0;
}

int FrmNoteManage::OnFilterChange(KxEvtParam&) {
  filter = filterEdit->GetText();
  FillNotes();
  FillDeleted();
  return 0;
}

int FrmNoteManage::OnTableDblClk(KxEvtParam&) {
  if (int id = SelectedId()) TheNoteWindows.EditNote(id);
  return 0;
}

int FrmNoteManage::OnTableRButtonUp(KxEvtParam&) {
  KxControl* kit = TheShell().KitWindow();
  if (int id = SelectedId()) TheNoteWindows.ShowNoteMenu(id, kit ? kit : this);
  return 0;
}

int FrmNoteManage::OnDeletedRButtonUp(KxEvtParam&) {
  if (!SelectedId()) return 0;
  KxPopMenu menu;
  menu.AppendItem(kMenuRestore, "恢复");
  menu.AppendItem(kMenuRemove, "彻底删除");
  switch (menu.Popup(this, true)) {
    case kMenuRestore: RestoreSelected(); break;
    case kMenuRemove: RemoveSelectedForGood(); break;
    default: break;
  }
  return 0;
}

void ToggleNoteManagerForm() {
  if (!noteManager) {
    noteManager = new FrmNoteManage(TheShell().KitWindow());
    if (!noteManager->hwnd) {
      delete noteManager;
      noteManager = nullptr;
      return;
    }
  }
  noteManager->ToggleShown();
}

void DestroyNoteManagerForm() {
  delete noteManager;
  noteManager = nullptr;
}
