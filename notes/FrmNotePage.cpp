#include "notes/FrmNotePage.h"

#include "app/KxApp.h"
#include "app/KxDialogs.h"
#include "app/resource.h"
#include "kx/KxMenu.h"
#include "kx/base/KxModal.h"
#include "kx/base/KxTime.h"
#include "notes/FrmNoteManage.h"
#include "store/DataDirectory.h"

NoteWindowList TheNoteWindows;

namespace {

const COLORREF kNoteColor = RGB(255, 255, 0);
const COLORREF kEditFrameColor = RGB(0, 0, 255);
const COLORREF kRestFrameColor = RGB(128, 128, 128);
const int kNewNoteWidth = 80;
const int kNewNoteHeight = 20;
const int kNewNoteLeftOfCursor = 120;
const int kNewNoteAboveCursor = 20;
const int kNewNoteMinLeft = 8;
const int kCloneOffsetX = 12;
const int kCloneOffsetY = 10;
const char kNewNoteText[] = "        ";
// Posted to a new note: enter edit mode.
const UINT kMsgBeginEdit = WM_APP + 30;
// Posted when the end of editing could not write the text: the box is shown from the loop,
// not from inside the focus change.
const UINT kMsgTextNotStored = WM_APP + 31;
const char kTextNotStored[] =
    "便签的文字未能写入数据文件,程序退出时会再试一次. 请查看数据文件所在的目录是否可写入.";
// Beside the data file: the texts the end of a run could not store.
const char kUnsavedSuffix[] = ".unsaved-notes.txt";
const char kChangeNotStored[] =
    "便签的更改未能写入数据文件,便签保持原样. 请查看数据文件所在的目录是否可写入.";
// Typing that rests this long is written, so a killed process loses at most this much.
const UINT kIdleSaveMs = 2000;
// How soon, and then how often while a modal run goes on, deleted notes' windows are freed.
const UINT kReleaseDelayMs = 100;

// bytes at the end of path (made when missing), on the disk before this returns.
bool AppendFileBytes(const KxString& path, const KxString& bytes) {
  HANDLE file = CreateFileA(path.CStr(), FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.CStr(), static_cast<DWORD>(bytes.Length()), &written, NULL) &&
            written == static_cast<DWORD>(bytes.Length()) && FlushFileBuffers(file);
  CloseHandle(file);
  return ok;
}

enum NoteMenuId {
  kMenuHide = 1,
  kMenuShow = 2,
  kMenuHideAll = 4,
  kMenuShowAll = 5,
  kMenuEdit = 10,
  kMenuDelete = 11,
  kMenuClone = 12,
  kMenuTopmost = 22,
};

RECT DesktopRect() {
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int w = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (w <= 0 || h <= 0) {
    left = top = 0;
    w = GetSystemMetrics(SM_CXSCREEN);
    h = GetSystemMetrics(SM_CYSCREEN);
  }
  return RECT{left, top, left + w, top + h};
}

NoteRecord NewRecordAt(int left, int top, int w, int h, const KxString& text) {
  NoteRecord record;
  record.left = left;
  record.top = top;
  record.width = w;
  record.height = h;
  record.text = text;
  record.visible = true;
  return record;
}

}  // namespace

// ---- The note window

// A tool window: Windows gives an unowned popup a taskbar button and an Alt+Tab entry.
FrmNotePage::FrmNotePage() : KxPopForm(nullptr, KxRect{0, 0, 0, 0}, WS_EX_TOOLWINDOW) {
  if (!hwnd) return;
  textBox = new KxTextBox();
  // Create makes it one of the window's children, which the window deletes; a box that
  // got no window is deleted at once.
  if (!textBox->Create(this, KxRect{0, 0, 0, 0})) {
    delete textBox;
    textBox = nullptr;
    return;
  }
  textBox->Enable(false);
  textBox->bkColor = kNoteColor;
  textBox->bkColorDisabled = kNoteColor;
  textBox->frameColor = kRestFrameColor;
  textBox->SetAutoSize(true);
  BindMsg(*textBox, WM_SIZE, this, &FrmNotePage::OnBoxSize);
  BindMsg(*textBox, WM_KILLFOCUS, this, &FrmNotePage::OnBoxKillFocus);
  BindMsg(*textBox, WM_RBUTTONUP, this, &FrmNotePage::OnMenuRequest);
  BindMsg(*textBox, WM_CHAR, this, &FrmNotePage::OnTyped);
  BindMsg(*textBox, WM_KEYDOWN, this, &FrmNotePage::OnTyped);
  BindMsg(*this, WM_RBUTTONUP, this, &FrmNotePage::OnMenuRequest);
  BindMsg(*this, kMsgBeginEdit, this, &FrmNotePage::OnBeginEditRequest);
  BindMsg(*this, kMsgTextNotStored, this, &FrmNotePage::OnTextNotStored);
  // Bound once and started again by every key; it runs only while typing rests.
  idleTimer = BindTimer(*this, this, &FrmNotePage::OnIdle, kIdleSaveMs);
  KillTimer(hwnd, idleTimer);
}

FrmNotePage::~FrmNotePage() {
  // The box goes with the window: nothing may answer its last focus change any more.
  editing = false;
  if (textBox) {
    textBox->msgHandlers.Clear();
  }
}

LRESULT FrmNotePage::WndProc(KxMsg& m) {
  // Every top-level window hears of the end of the session: what is typed is kept.
  if (m.msg == WM_QUERYENDSESSION) {
    SaveTypedText();
    return TRUE;
  }
  if (m.msg == WM_ENDSESSION) {
    if (m.wParam) SaveTypedText();
    return 0;
  }
  return KxPopForm::WndProc(m);
}

void FrmNotePage::OnPaint() {
  KxPopForm::OnPaint();
  if (textBox && textBox->hwnd) textBox->Invalidate(false);
}

void FrmNotePage::OnLButtonDown(WPARAM, POINT pt) {
  dragOrigin = pt;
  dragging = true;
}

void FrmNotePage::OnLButtonDblClk(WPARAM, POINT) { TheNoteWindows.EditNote(noteId); }

void FrmNotePage::OnLButtonUp(WPARAM, POINT) {
  // The note ends where the button went up: the release carries that position, whatever
  // the moves before it said.
  if (dragging) {
    dragging = false;
    DWORD at = GetMessagePos();
    DragTo(POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))});
  }
  RECT r = WindowRect();
  SaveNoteBounds(noteId, r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (FrmNoteManage* manager = TheNoteManager()) manager->SelectRow(noteId);
}

void FrmNotePage::OnMouseMove(WPARAM keys, POINT) {
  // Only a move with the button held drags: a press whose release went elsewhere (the
  // capture taken by a menu or another window) must not leave the note on the pointer.
  if (!pressed || !dragging || !(keys & MK_LBUTTON)) return;
  POINT cursor;
  if (GetCursorPos(&cursor)) DragTo(cursor);
}

void FrmNotePage::DragTo(POINT cursor) {
  RECT r = WindowRect();
  int w = r.right - r.left;
  int h = r.bottom - r.top;
  int left = cursor.x - dragOrigin.x;
  int top = cursor.y - dragOrigin.y;
  if (left == r.left && top == r.top) return;
  if (!KeepsNoteReachable(left, top, w, h, DesktopRect())) return;
  SetWindowPos(hwnd, NULL, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmNotePage::ShowNoteMenu() { TheNoteWindows.ShowNoteMenu(noteId, this); }

void FrmNotePage::BeginEdit() {
  if (!textBox) return;
  editing = true;
  textBox->Enable(true);
  // The note may have been shown without the activation; typing needs it in front.
  SetForegroundWindow(hwnd);
  textBox->SetFocus();
  textBox->frameColor = kEditFrameColor;
  textBox->SelectAll();
  textBox->Invalidate(false);
}

void FrmNotePage::EndEdit() {
  if (!editing || !textBox) return;
  // Disabling the box takes its focus away, which calls here again.
  editing = false;
  KillTimer(hwnd, idleTimer);
  writeDue = false;
  KxString text = textBox->GetText();
  if (SetNoteText(noteId, text)) {
    savedText = text;
  } else {
    PostMessageA(hwnd, kMsgTextNotStored, 0, 0);
    RetryWriteSoon();
  }
  textBox->frameColor = kRestFrameColor;
  textBox->Enable(false);
  textBox->Invalidate(false);
}

// Also after editing: a text whose write failed is tried again here.
bool FrmNotePage::SaveTypedText() {
  if (!textBox) return true;
  KxString text = textBox->GetText();
  if (text == savedText) return true;
  if (!SetNoteText(noteId, text)) return false;
  savedText = text;
  return true;
}

void FrmNotePage::RetryWriteSoon() {
  SetTimer(hwnd, idleTimer, kIdleSaveMs, NULL);
  writeDue = true;
}

void FrmNotePage::ShowPlaced() {
  RECT r = WindowRect();
  MonitorAreas areas;
  LiveWorkAreas(areas);
  RECT placed = PlaceNote(r, areas);
  if (!EqualRect(&placed, &r)) {
    SetWindowPos(hwnd, NULL, placed.left, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ApplyZOrder();
  ShowWindow(hwnd, SW_SHOWNA);
}

void FrmNotePage::ApplyZOrder() {
  SetWindowPos(hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int FrmNotePage::OnBoxSize(KxEvtParam&) {
  RECT box = textBox->WindowRect();
  SetWindowPos(hwnd, NULL, 0, 0, box.right - box.left, box.bottom - box.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return 0;
}

int FrmNotePage::OnBoxKillFocus(KxEvtParam&) {
  EndEdit();
  return 0;
}

int FrmNotePage::OnMenuRequest(KxEvtParam&) {
  ShowNoteMenu();
  return 0;
}

// The first key not yet written starts the timer and later keys leave it running: typing
// that never pauses is written every two seconds all the same.
int FrmNotePage::OnTyped(KxEvtParam&) {
  if (editing && !writeDue) {
    SetTimer(hwnd, idleTimer, kIdleSaveMs, NULL);
    writeDue = true;
  }
  return 0;
}

int FrmNotePage::OnTextNotStored(KxEvtParam&) {
  ShowInfo(kTextNotStored);
  return 0;
}

int FrmNotePage::OnBeginEditRequest(KxEvtParam&) {
  if (!deleted) BeginEdit();
  return 0;
}

int FrmNotePage::OnIdle(KxEvtParam&) {
  KillTimer(hwnd, idleTimer);
  writeDue = false;
  if (!SaveTypedText()) RetryWriteSoon();
  return 0;
}

// ---- The list and the note operations

FrmNotePage* NoteWindowList::Find(int id) const {
  for (FrmNotePage* page : windows) {
    if (!page->deleted && page->noteId == id) return page;
  }
  return nullptr;
}

FrmNotePage* NoteWindowList::OpenWindow(const NoteRecord& record) {
  FrmNotePage* page = new FrmNotePage();
  if (!page->hwnd || !page->textBox || !page->textBox->hwnd) {
    delete page;
    return nullptr;
  }
  windows.Add(page);
  page->noteId = record.id;
  SetWindowPos(page->hwnd, NULL, record.left, record.top, record.width, record.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  page->textBox->SetBounds(KxRect{0, 0, record.width, record.height}, false);
  page->topmost = (record.flags & kNoteTopmost) != 0;
  page->textBox->SetText(record.text);
  page->savedText = record.text;
  return page;
}

void NoteWindowList::LoadAll() {
  if (windows.Count() > 0) return;
  NoteList records;
  LoadNotes(records);
  for (auto& item : records) {
    FrmNotePage* page = OpenWindow(item);
    if (page && item.visible) page->ShowPlaced();
  }
}

void NoteWindowList::AddNewNote(NoteRecord& record) {
  if (!InsertNote(record)) {
    ShowInfo(kChangeNotStored);
    return;
  }
  // The row starts without a text; the note's first text is stored with it, or tried
  // again until it is.
  bool texted = SetNoteText(record.id, record.text);
  FrmNotePage* page = OpenWindow(record);
  if (!page) return;  // the row stays and comes back with the next start
  if (!texted) {
    page->savedText = KxString();
    page->RetryWriteSoon();
  }
  page->ShowPlaced();
  // Edit mode once the messages already queued are handled: a menu that chose this
  // command is still giving the activation back to its owner, which would take the
  // focus from the new note at once.
  PostMessageA(page->hwnd, kMsgBeginEdit, 0, 0);
  if (FrmNoteManage* manager = TheNoteManager()) manager->AddRow(record);
}

void NoteWindowList::NewNote() {
  POINT cursor = {0, 0};
  GetCursorPos(&cursor);
  int left = cursor.x - kNewNoteLeftOfCursor;
  if (left <= kNewNoteMinLeft) left = kNewNoteMinLeft;
  NoteRecord record = NewRecordAt(left, cursor.y - kNewNoteAboveCursor, kNewNoteWidth,
                                  kNewNoteHeight, kNewNoteText);
  AddNewNote(record);
}

void NoteWindowList::CloneNote(int id) {
  FrmNotePage* source = Find(id);
  if (!source) return;
  RECT r = source->WindowRect();
  NoteRecord record = NewRecordAt(r.left + kCloneOffsetX, r.top + kCloneOffsetY, r.right - r.left,
                                  r.bottom - r.top, source->textBox->GetText());
  AddNewNote(record);
}

void NoteWindowList::EditNote(int id) {
  FrmNotePage* page = Find(id);
  if (!page) return;
  // From the manager's row of a hidden note: typing into an unseen window helps nobody.
  if (!page->IsVisible()) ShowNote(id);
  page->BeginEdit();
}

void NoteWindowList::DeleteNote(int id) {
  FrmNotePage* page = Find(id);
  if (!page) return;
  page->EndEdit();
  if (!::DeleteNote(id)) {
    ShowInfo(kChangeNotStored);
    return;
  }
  ShowWindow(page->hwnd, SW_HIDE);
  page->deleted = true;
  if (FrmNoteManage* manager = TheNoteManager()) manager->RemoveRow(id);
  ReleaseDeletedSoon();
}

namespace {

VOID CALLBACK ReleaseDeletedNotes(HWND, UINT, UINT_PTR, DWORD) { TheNoteWindows.ReleaseDeleted(); }

}  // namespace

void NoteWindowList::ReleaseDeletedSoon() {
  if (!releaseTimer) releaseTimer = SetTimer(NULL, 0, kReleaseDelayMs, ReleaseDeletedNotes);
}

void NoteWindowList::ReleaseDeleted() {
  // A menu or box of a note may still run (and own a window the note's destruction would
  // take with it): the timer comes again once every modal run has returned.
  if (KxModalDepth() > 0) return;
  if (releaseTimer) KillTimer(NULL, releaseTimer);
  releaseTimer = 0;
  auto* n = windows.Head();
  while (n) {
    auto* next = n->next;
    if (n->value->deleted) {
      FrmNotePage* page = n->value;
      windows.Remove(n);
      delete page;
    }
    n = next;
  }
}

void NoteWindowList::HideNote(int id) {
  FrmNotePage* page = Find(id);
  if (!page || !page->IsVisible()) return;
  page->EndEdit();
  if (!SetNoteShown(id, false)) {
    ShowInfo(kChangeNotStored);
    return;
  }
  ShowWindow(page->hwnd, SW_HIDE);
  if (FrmNoteManage* manager = TheNoteManager()) manager->SetShownCell(id, false);
}

void NoteWindowList::ShowNote(int id) {
  FrmNotePage* page = Find(id);
  if (!page) return;
  if (!SetNoteShown(id, true)) {
    ShowInfo(kChangeNotStored);
    return;
  }
  page->ShowPlaced();
  if (FrmNoteManage* manager = TheNoteManager()) manager->SetShownCell(id, true);
}

void NoteWindowList::HideAllNotes() {
  if (!HideAllNotesInStore()) {
    ShowInfo(kChangeNotStored);
    return;
  }
  for (FrmNotePage* page : windows) {
    if (page->IsVisible()) {
      page->EndEdit();
      ShowWindow(page->hwnd, SW_HIDE);
    }
  }
  if (FrmNoteManage* manager = TheNoteManager()) manager->SetAllShownCells(false);
}

void NoteWindowList::ShowAllNotes() {
  if (!ShowAllNotesInStore()) {
    ShowInfo(kChangeNotStored);
    return;
  }
  for (FrmNotePage* page : windows) {
    if (!page->deleted && !page->IsVisible()) page->ShowPlaced();
  }
  if (FrmNoteManage* manager = TheNoteManager()) manager->SetAllShownCells(true);
}

void NoteWindowList::SetTopmost(int id, bool on) {
  FrmNotePage* page = Find(id);
  if (!page) return;
  if (!SetNoteTopmost(id, on)) {
    ShowInfo(kChangeNotStored);
    return;
  }
  page->topmost = on;
  // A hidden note stays hidden: its row and N_SHOW say so.
  if (page->IsVisible()) {
    page->ShowPlaced();
  } else {
    page->ApplyZOrder();
  }
  if (FrmNoteManage* manager = TheNoteManager()) manager->SetTopmostCell(id, on);
}

bool NoteWindowList::IsShown(int id) const {
  FrmNotePage* page = Find(id);
  return page && page->IsVisible();
}

bool NoteWindowList::IsTopmost(int id) const {
  FrmNotePage* page = Find(id);
  return page && page->topmost;
}

void NoteWindowList::ShowNoteMenu(int id, KxControl* owner) {
  if (!Find(id) || !owner) return;
  HINSTANCE resources = ResourceInstance();
  bool topmost = IsTopmost(id);
  KxPopMenu menu;
  if (IsShown(id)) {
    menu.AppendItem(kMenuHide, "隐藏");
  } else {
    menu.AppendItem(kMenuShow, "显示");
  }
  menu.AppendItem(kMenuHideAll, "隐藏所有");
  menu.AppendSeparator();
  menu.AppendItem(kMenuShowAll, "显示所有");
  menu.AppendSeparator();
  menu.AppendItem(kMenuClone, "克隆");
  menu.AppendItem(kMenuEdit, "编辑");
  menu.AppendItem(kMenuDelete, "删除");
  menu.AppendSeparator();
  KxMenuItem* pin = menu.AppendItem(kMenuTopmost, topmost ? "取消最前" : "总在最前");
  if (pin && topmost) pin->picture.LoadIconResource(resources, IDI_TOPMOST);

  switch (menu.Popup(owner, true)) {
    case kMenuHide: HideNote(id); break;
    case kMenuShow: ShowNote(id); break;
    case kMenuHideAll: HideAllNotes(); break;
    case kMenuShowAll: ShowAllNotes(); break;
    case kMenuClone: CloneNote(id); break;
    case kMenuEdit: EditNote(id); break;
    case kMenuDelete: DeleteNote(id); break;
    case kMenuTopmost: SetTopmost(id, !topmost); break;
    default: break;
  }
}

// At the end of the run: a text that still cannot be written goes to a file beside the
// data file, so that the words are not lost with the window.
void NoteWindowList::SaveEditedTexts() {
  KxString unsaved;
  for (auto* n = windows.Head(); n; n = n->next) {
    FrmNotePage* page = n->value;
    if (page->deleted || page->SaveTypedText()) continue;
    unsaved += "便签 " + KxString::FromInt(page->noteId) + ":\r\n" + page->textBox->GetText() + "\r\n\r\n";
  }
  if (!unsaved.IsEmpty()) AppendFileBytes(DbFilePath() + kUnsavedSuffix, unsaved);
}

void NoteWindowList::DestroyAll() {
  if (releaseTimer) KillTimer(NULL, releaseTimer);
  releaseTimer = 0;
  SaveEditedTexts();
  while (windows.Count() > 0) {
    FrmNotePage* page = windows.Head()->value;
    windows.Remove(windows.Head());
    delete page;
  }
}
