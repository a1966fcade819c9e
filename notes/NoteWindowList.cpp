#include "notes/NoteWindowList.h"

#include "app/KxDialogs.h"
#include "kx/KxDpi.h"
#include "kx/base/KxHandles.h"
#include "kx/base/KxModal.h"
#include "store/DataDirectory.h"
#include "store/SysValues.h"
#include "store/NoteText.h"
#include "kx/base/KxWide.h"

NoteWindowList TheNoteWindows;

namespace {

// A new note: its size and text, and where it stands from the cursor, not at the left edge.
const int kNewNoteWidth = 80;
const int kNewNoteHeight = 20;
const char kNewNoteText[] = "        ";
const int kNewNoteLeftOfCursor = 120;
const int kNewNoteAboveCursor = 20;
const int kNewNoteMinLeft = 8;
// A clone stands this far right of and below its source.
const int kCloneOffsetX = 12;
const int kCloneOffsetY = 10;
// Beside the data file: the texts the end of a run could not store.
const char kUnsavedSuffix[] = ".unsaved-notes.txt";
const char kAskDelete[] =
    "删除这张便签? 删除的便签在便签管理的\"最近删除\"中保留 30 天, 可以恢复.";
const char kAskRemoveForGood[] = "彻底删除这张便签? 彻底删除后不能恢复.";
// How soon, and then how often while a modal run goes on, deleted notes' windows are freed.
const UINT kReleaseDelayMs = 100;

// bytes at the end of path (made when missing), on the disk before this returns.
bool AppendFileBytes(const KxString& path, const KxString& bytes) {
  KxHandle file(CreateFileW(KxWide(path), FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL));
  if (file.Get() == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.CStr(), static_cast<DWORD>(bytes.Length()), &written, NULL) &&
         written == static_cast<DWORD>(bytes.Length()) && FlushFileBuffers(file.Get());
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

VOID CALLBACK ReleaseDeletedNotes(HWND, UINT, UINT_PTR, DWORD) { TheNoteWindows.ReleaseDeleted(); }

}  // namespace

FrmNotePage* NoteWindowList::Find(int id) const {
  for (FrmNotePage* page : windows) {
    if (!page->deleted && page->noteId == id) return page;
  }
  return nullptr;
}

FrmNotePage* NoteWindowList::OpenWindow(const NoteRecord& record) {
  MonitorAreas areas;
  LiveWorkAreas(areas);
  return OpenWindow(record, areas);
}

FrmNotePage* NoteWindowList::OpenWindow(const NoteRecord& record, const MonitorAreas& areas) {
  FrmNotePage* page = new FrmNotePage(*this, record, areas);
  if (!page->hwnd || !page->textBox || !page->textBox->hwnd) {
    delete page;
    return nullptr;
  }
  windows.Add(page);
  return page;
}

void NoteWindowList::LoadAll() {
  if (windows.Count() > 0) return;
  PurgeDeletedNotes();
  NoteList records;
  LoadNotes(records);
  // The monitors are asked once for all the notes: each question costs the platform a
  // round trip.
  MonitorAreas areas;
  LiveWorkAreas(areas);
  for (auto& item : records) {
    FrmNotePage* page = OpenWindow(item, areas);
    if (page && item.visible) page->ShowPlaced(areas);
  }
}

void NoteWindowList::AddNewNote(NoteRecord& record) {
  if (!InsertNote(record)) {
    ShowInfo(kNoteChangeNotStored);
    return;
  }
  // The row starts without a text; the note's first text is stored with it, or tried
  // again until it is.
  bool texted = SetNoteText(record.id, record.text);
  FrmNotePage* page = OpenWindow(record);
  if (!page) return;  // the row stays and comes back with the next start
  if (!texted) page->StoreTextLater();
  page->ShowPlaced();
  page->BeginEditSoon();
  if (rows) rows->AddRow(record);
}

void NoteWindowList::NewNote() {
  POINT cursor = {0, 0};
  GetCursorPos(&cursor);
  // A note's rectangle is in pixels: the distances are those of the monitor under the cursor.
  int dpi = KxDpiOfRect(RECT{cursor.x, cursor.y, cursor.x + 1, cursor.y + 1});
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  int least = KxScale(kNewNoteMinLeft, dpi);
  if (GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor))
    least += monitor.rcWork.left;
  int left = cursor.x - KxScale(kNewNoteLeftOfCursor, dpi);
  if (left <= least) left = least;
  NoteRecord record = NewRecordAt(left, cursor.y - KxScale(kNewNoteAboveCursor, dpi),
                                  KxScale(kNewNoteWidth, dpi), KxScale(kNewNoteHeight, dpi),
                                  kNewNoteText);
  record.flags = WithNoteColor(0, GetLastNoteColor());
  AddNewNote(record);
}

void NoteWindowList::CloneNote(int id) {
  FrmNotePage* source = Find(id);
  if (!source) return;
  RECT r = source->WindowRect();
  NoteRecord record = NewRecordAt(r.left + source->Px(kCloneOffsetX),
                                  r.top + source->Px(kCloneOffsetY), r.right - r.left,
                                  r.bottom - r.top, source->textBox->GetText());
  // A copy has its source's colour, and its size when the user gave the source one.
  record.flags = WithNoteColor(source->sized ? kNoteSized : 0, source->color);
  AddNewNote(record);
}

void NoteWindowList::EditNote(int id) {
  FrmNotePage* page = Find(id);
  if (!page) return;
  // From the manager's row of a hidden note: typing into an unseen window helps nobody.
  if (!page->IsVisible()) ShowNote(id);
  page->BeginEditAtEnd();
}

void NoteWindowList::DeleteNote(int id) {
  FrmNotePage* page = Find(id);
  if (!page) return;
  if (!IsBlankNoteText(page->textBox->GetText()) && !AskYesNo(kAskDelete)) return;
  DeleteNoteUnasked(id);
}

void NoteWindowList::DeleteNoteUnasked(int id) {
  // After a question: its loop may have let anything happen to the note.
  FrmNotePage* page = Find(id);
  if (!page) return;
  page->EndEdit();
  // What the box holds goes with the note, also when the end of editing could not write it.
  if (!page->SaveTypedText() || !MoveNoteToDeleted(id)) {
    ShowInfo(kNoteChangeNotStored);
    return;
  }
  ShowWindow(page->hwnd, SW_HIDE);
  page->deleted = true;
  if (rows) rows->RemoveRow(id);
  ReleaseDeletedSoon();
}

bool NoteWindowList::RestoreNote(int deletedId) {
  int id = RestoreDeletedNote(deletedId);
  if (!id) {
    ShowInfo(kNoteChangeNotStored);
    return false;
  }
  NoteRecord record;
  FrmNotePage* page = LoadNote(id, record) ? OpenWindow(record) : nullptr;
  if (!page) return true;  // the row is back and comes back with the next start
  page->ShowPlaced();
  if (rows) rows->AddRow(record);
  return true;
}

bool NoteWindowList::RemoveForGood(int deletedId) {
  if (!AskYesNo(kAskRemoveForGood)) return false;
  if (!RemoveDeletedNote(deletedId)) {
    ShowInfo(kNoteChangeNotStored);
    return false;
  }
  return true;
}

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
    ShowInfo(kNoteChangeNotStored);
    return;
  }
  ShowWindow(page->hwnd, SW_HIDE);
  if (rows) rows->SetShownCell(id, false);
}

void NoteWindowList::ShowNote(int id) {
  FrmNotePage* page = Find(id);
  if (!page) return;
  if (!SetNoteShown(id, true)) {
    ShowInfo(kNoteChangeNotStored);
    return;
  }
  page->ShowPlaced();
  if (rows) rows->SetShownCell(id, true);
}

void NoteWindowList::HideAllNotes() {
  if (!HideAllNotesInStore()) {
    ShowInfo(kNoteChangeNotStored);
    return;
  }
  for (FrmNotePage* page : windows) {
    if (page->IsVisible()) {
      page->EndEdit();
      ShowWindow(page->hwnd, SW_HIDE);
    }
  }
  if (rows) rows->SetAllShownCells(false);
}

void NoteWindowList::ShowAllNotes() {
  if (!ShowAllNotesInStore()) {
    ShowInfo(kNoteChangeNotStored);
    return;
  }
  MonitorAreas areas;
  LiveWorkAreas(areas);
  for (FrmNotePage* page : windows) {
    if (!page->deleted && !page->IsVisible()) page->ShowPlaced(areas);
  }
  if (rows) rows->SetAllShownCells(true);
}

void NoteWindowList::SetTopmost(int id, bool on) {
  FrmNotePage* page = Find(id);
  if (!page) return;
  if (!SetNoteTopmost(id, on)) {
    ShowInfo(kNoteChangeNotStored);
    return;
  }
  page->topmost = on;
  // A hidden note stays hidden: its row and N_SHOW say so.
  if (page->IsVisible()) {
    page->ShowPlaced();
  } else {
    page->ApplyZOrder();
  }
  if (rows) rows->SetTopmostCell(id, on);
}

void NoteWindowList::SetColor(int id, int color) {
  FrmNotePage* page = Find(id);
  if (!page) return;
  if (!SetNoteColor(id, color)) {
    ShowInfo(kNoteChangeNotStored);
    return;
  }
  page->ApplyColor(color);
  // Only what new notes look like: a failure here changes no stored note.
  SetLastNoteColor(color);
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
  FrmNotePage* page = Find(id);
  if (!page || !owner) return;
  int color = 0;
  switch (page->ChooseFromMenu(owner, color)) {
    case NoteMenuChoice::kHide: HideNote(id); break;
    case NoteMenuChoice::kShow: ShowNote(id); break;
    case NoteMenuChoice::kHideAll: HideAllNotes(); break;
    case NoteMenuChoice::kShowAll: ShowAllNotes(); break;
    case NoteMenuChoice::kClone: CloneNote(id); break;
    case NoteMenuChoice::kEdit: EditNote(id); break;
    case NoteMenuChoice::kDelete: DeleteNote(id); break;
    case NoteMenuChoice::kPin: SetTopmost(id, true); break;
    case NoteMenuChoice::kUnpin: SetTopmost(id, false); break;
    case NoteMenuChoice::kColor: SetColor(id, color); break;
    case NoteMenuChoice::kNone: break;
  }
}

void NoteWindowList::EditAsked(FrmNotePage& page, POINT at) {
  // A double click on the note itself: the note is visible, the caret goes where it was.
  page.BeginEditAt(at);
}

void NoteWindowList::MenuAsked(FrmNotePage& page) { ShowNoteMenu(page.noteId, &page); }

void NoteWindowList::Released(FrmNotePage& page) {
  if (rows) rows->SelectRow(page.noteId);
}

void NoteWindowList::TextStored(FrmNotePage& page, const KxString& text) {
  if (rows && !page.deleted) rows->SetTextCell(page.noteId, text);
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
