#pragma once
// The process-wide list of note windows and the note operations. The list owns the
// windows; the operations act on the first window of an id that is not deleted, write
// each change to the store at once and tell the note manager's rows, when a manager is
// open. A deleted note goes to the recently deleted notes (store/NoteRecord.h); its window
// is hidden at once and freed once the message that deleted it has been handled and no
// modal run (a menu or box, maybe the note's own) goes on.

#include "kx/base/KxList.h"
#include "notes/FrmNotePage.h"
#include "store/NoteRecord.h"

// The note manager's rows as the list sees them: told of every change an operation makes.
class NoteRowsView {
public:
  virtual void AddRow(const NoteRecord& record) = 0;
  virtual void RemoveRow(int id) = 0;
  virtual void SetShownCell(int id, bool shown) = 0;
  virtual void SetAllShownCells(bool shown) = 0;
  virtual void SetTopmostCell(int id, bool topmost) = 0;
  virtual void SelectRow(int id) = 0;
  // The note's text as now stored.
  virtual void SetTextCell(int id, const KxString& text) = 0;

protected:
  ~NoteRowsView() = default;
};

class NoteWindowList : private NoteWindowEvents {
public:
  NoteWindowList() = default;
  NoteWindowList(const NoteWindowList&) = delete;
  NoteWindowList& operator=(const NoteWindowList&) = delete;
  ~NoteWindowList() { DestroyAll(); }

  // One window per stored note, the visible ones shown; only while the list is empty. The
  // notes deleted more than kDeletedNoteDays days ago go for good first.
  void LoadAll();
  // A note placed left of and above the cursor, shown and in edit mode.
  void NewNote();
  void CloneNote(int id);
  void EditNote(int id);
  // Asks first unless the note's text (the box's, maybe newer than the stored one) is
  // blank.
  void DeleteNote(int id);
  void DeleteNoteUnasked(int id);
  // A recently deleted note back in its place, its window shown; false when it is not.
  bool RestoreNote(int deletedId);
  // Asks, then removes the recently deleted note for good; true when it is gone.
  bool RemoveForGood(int deletedId);
  void HideNote(int id);
  void ShowNote(int id);
  void HideAllNotes();
  void ShowAllNotes();
  void SetTopmost(int id, bool on);
  // The note's colour, stored; new notes take it from now on.
  void SetColor(int id, int color);
  bool IsShown(int id) const;
  bool IsTopmost(int id) const;
  // The note menu at the cursor, owned by owner; the choice acts on the note id.
  void ShowNoteMenu(int id, KxControl* owner);
  // Writes the text of every note being edited (at exit and at the end of the session).
  void SaveEditedTexts();
  // At exit: the texts being edited are written, then every window goes.
  void DestroyAll();
  // Frees the windows of deleted notes; nothing while a modal run goes on (the timer comes
  // again).
  void ReleaseDeleted();
  // The rows that hear of every change from now on; nullptr while there is no manager.
  // The manager sets itself when it is made and clears itself when it goes.
  void SetRowsView(NoteRowsView* view) { rows = view; }
  // Forgets view when it is the one set (a manager going after another was made).
  void ClearRowsView(NoteRowsView* view) {
    if (rows == view) rows = nullptr;
  }

  FrmNotePage* Find(int id) const;
  int Count() const { return windows.Count(); }
  KxList<FrmNotePage*> windows;  // owned, in creation order

private:
  void EditAsked(FrmNotePage& page, POINT at) override;
  void MenuAsked(FrmNotePage& page) override;
  void Released(FrmNotePage& page) override;
  void TextStored(FrmNotePage& page, const KxString& text) override;

  FrmNotePage* OpenWindow(const NoteRecord& record);
  FrmNotePage* OpenWindow(const NoteRecord& record, const MonitorAreas& areas);
  void AddNewNote(NoteRecord& record);
  // The delete can come from the note's own menu, inside a message of its window: a
  // timer of the thread frees the window once that message has returned.
  void ReleaseDeletedSoon();
  UINT_PTR releaseTimer = 0;
  NoteRowsView* rows = nullptr;
};

extern NoteWindowList TheNoteWindows;
