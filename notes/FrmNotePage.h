#pragma once
// The sticky notes: one borderless yellow window per row of KX_NOTE, showing the note's
// text in a text box that is enabled only while the note is edited. The list of note
// windows owns them; the note operations act on the first window of an id that is not
// deleted, write each change to the store at once and keep the note manager's rows in
// step. A deleted note's window is hidden at once and freed once the message that deleted
// it has been handled and no modal run (a menu or box, maybe the note's own) goes on.

#include "kx/KxForm.h"
#include "kx/KxTextBox.h"
#include "notes/NotePlacement.h"
#include "store/NoteRecord.h"

class FrmNotePage : public KxPopForm {
public:
  FrmNotePage();
  ~FrmNotePage() override;

  LRESULT WndProc(KxMsg& m) override;
  // A note goes only through its menu: Alt+F4 on it would drop the window of a live row.
  bool CanClose() override { return false; }
  void OnPaint() override;
  void OnLButtonDown(WPARAM keys, POINT pt) override;
  void OnLButtonDblClk(WPARAM keys, POINT pt) override;
  void OnLButtonUp(WPARAM keys, POINT pt) override;
  void OnMouseMove(WPARAM keys, POINT pt) override;
  virtual void ShowNoteMenu();

  // Enables the box, gives it the focus, frames it in blue and selects the whole text.
  void BeginEdit();
  // Writes the text (and today as its date), frames the box in grey and disables it.
  // Nothing while the note is not being edited.
  void EndEdit();
  // Writes the text while editing goes on, when it differs from what was last written.
  // True when the text is stored (written now, or nothing to write).
  bool SaveTypedText();
  // A write that failed is tried again by the idle timer until it succeeds.
  void RetryWriteSoon();
  bool IsEditing() const { return editing; }
  // Clamped to the monitor nearest to it, in the Z-order of the topmost flag, and shown.
  void ShowPlaced();
  // The Z-order of the topmost flag, shown or not.
  void ApplyZOrder();

  int noteId = 0;
  bool deleted = false;
  bool topmost = false;
  KxTextBox* textBox = nullptr;  // a child: the window deletes it
  // Where the press was, relative to the note's top-left corner; and whether a drag runs.
  POINT dragOrigin = {0, 0};
  bool dragging = false;
  void DragTo(POINT cursor);

private:
  int OnBoxSize(KxEvtParam& param);
  int OnBoxKillFocus(KxEvtParam& param);
  int OnMenuRequest(KxEvtParam& param);
  int OnTyped(KxEvtParam& param);
  int OnIdle(KxEvtParam& param);
  int OnBeginEditRequest(KxEvtParam& param);
  int OnTextNotStored(KxEvtParam& param);

  bool editing = false;
  UINT idleTimer = 0;
  bool writeDue = false;  // the timer runs for typing not yet written
  KxString savedText;  // the text as last written to the store

  friend class NoteWindowList;
};

// The process-wide list of note windows and the note operations.
class NoteWindowList {
public:
  NoteWindowList() = default;
  NoteWindowList(const NoteWindowList&) = delete;
  NoteWindowList& operator=(const NoteWindowList&) = delete;
  ~NoteWindowList() { DestroyAll(); }

  // One window per stored note, the visible ones shown; only while the list is empty.
  void LoadAll();
  // A note placed left of and above the cursor, shown and in edit mode.
  void NewNote();
  void CloneNote(int id);
  void EditNote(int id);
  void DeleteNote(int id);
  void HideNote(int id);
  void ShowNote(int id);
  void HideAllNotes();
  void ShowAllNotes();
  void SetTopmost(int id, bool on);
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

  FrmNotePage* Find(int id) const;
  int Count() const { return windows.Count(); }
  KxList<FrmNotePage*> windows;  // owned, in creation order

private:
  FrmNotePage* OpenWindow(const NoteRecord& record);
  void AddNewNote(NoteRecord& record);
  // The delete can come from the note's own menu, inside a message of its window: a
  // timer of the thread frees the window once that message has returned.
  void ReleaseDeletedSoon();
  UINT_PTR releaseTimer = 0;
};

extern NoteWindowList TheNoteWindows;
