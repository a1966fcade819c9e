#include "notes/FrmNoteManage.h"

#include "app/KxApp.h"
#include "app/ProgramShell.h"
#include "app/resource.h"
#include "kx/KxGridPresets.h"
#include "kx/KxToolBar.h"

const char kNoteManagerCaption[] = "便签管理";

namespace {

const char kYes[] = "是";
const char kNo[] = "否";
const int kTableLeft = 4;
const int kTableTop = 38;

enum NoteColumn { kColumnId, kColumnShown, kColumnTopmost, kColumnModified };

FrmNoteManage* noteManager = nullptr;

const char* YesNo(bool value) { return value ? kYes : kNo; }

}  // namespace

FrmNoteManage::FrmNoteManage(KxControl* owner)
    : KxForm(owner, kNoteManagerCaption, KxRect{0, 0, 800, 600}, WS_OVERLAPPEDWINDOW,
             WS_EX_TOPMOST) {
  if (!hwnd) return;
  HINSTANCE resources = ResourceInstance();
  CenterOnScreen();
  SetIcon(LoadIconA(resources, MAKEINTRESOURCEA(IDI_NOTE_MANAGER)));

  toolBar = new KxToolBar(this, KxRect{0, 0, 0, 0});
  KxToolBtn* close = toolBar->AddButton();
  close->picture.LoadIconResource(resources, IDI_CLOSE);
  close->SetText("关闭");
  BindClick(*close, this, &FrmNoteManage::OnCloseClick);

  table = new KxTableCard(this, KxRect{kTableLeft, kTableTop, 0, 0});
  table->bkColor = RGB(255, 255, 255);
  BindMsg(*table, WM_LBUTTONDBLCLK, this, &FrmNoteManage::OnTableDblClk);
  BindMsg(*table, WM_RBUTTONUP, this, &FrmNoteManage::OnTableRButtonUp);
  KxGridHeadRow* head = table->headRows.Head() ? table->headRows.Head()->value : nullptr;
  table->AddColumn(head, "序号", 60);
  table->AddColumn(head, "是否显示", 60);
  table->AddColumn(head, "总在最前", 60);
  table->AddColumn(head, "修改日期", 80);

  NoteList notes;
  LoadNotes(notes);
  for (auto& item : notes) AddRow(item);
  OnSize(ClientRect());
  TheNoteWindows.SetRowsView(this);
}

FrmNoteManage::~FrmNoteManage() { TheNoteWindows.ClearRowsView(this); }

void FrmNoteManage::OnSize(const RECT& client) {
  // The first WM_SIZE comes while the window is made, before the members exist.
  if (!toolBar || !table) return;
  int w = client.right - client.left - 2 * kTableLeft;
  int h = client.bottom - client.top - toolBar->height - 4;
  table->SetBounds(KxRect{kTableLeft, kTableTop, w > 0 ? w : 0, h > 0 ? h : 0}, true);
}

bool FrmNoteManage::CanClose() {
  Hide();
  return false;
}

void FrmNoteManage::AddRow(const NoteRecord& record) {
  KxGridCardRow* row = table->AddRow();
  if (!row) return;
  table->AddItem(row, KxString::FromInt(record.id));
  table->AddItem(row, YesNo(record.visible));
  table->AddItem(row, YesNo((record.flags & kNoteTopmost) != 0));
  table->AddItem(row, record.modified);
  table->UpdateScrollBars(-1, -1);
  table->Invalidate(false);
}

int FrmNoteManage::RowOf(int id) const {
  KxString key = KxString::FromInt(id);
  for (int i = 0; i < table->RowCount(); ++i) {
    KxGridCardRow* row = table->RowAt(i);
    KxListNode<KxGridItem*>* first = row ? row->items.Head() : nullptr;
    if (first && first->value->text == key) return i;
  }
  return -1;
}

void FrmNoteManage::RemoveRow(int id) {
  int i = RowOf(id);
  if (i < 0) return;
  table->DeleteRow(i);
  table->Invalidate(false);
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

int FrmNoteManage::SelectedId() const {
  if (table->curRow < 0) return 0;
  KxGridCardRow* row = table->RowAt(table->curRow);
  KxListNode<KxGridItem*>* first = row ? row->items.Head() : nullptr;
  return first ? first->value->text.ToInt() : 0;
}

int FrmNoteManage::OnCloseClick(KxEvtParam&) {
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
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
