#pragma once
// Rows of KX_NOTE, the sticky notes, and the operations the note windows and the note
// manager use on them. All operations use TheDb.

#include "kx/base/KxList.h"
#include "kx/base/KxString.h"

// N_FLAG bits.
constexpr int kNoteTopmost = 1;

struct NoteRecord {
  int id = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  KxString password;
  int flags = 0;
  bool visible = false;  // N_SHOW is 1
  KxString text;         // the N_TEXT bytes, no terminating zero stored
  KxString created;
  KxString modified;
};

using NoteList = KxList<NoteRecord>;

// The statements as executed, for the operations that build their own text.
KxString NoteInsertSql(const NoteRecord& record);
KxString NoteBoundsSql(int id, int left, int top, int width, int height);

// All notes in N_ID order; the list is cleared first.
void LoadNotes(NoteList& list);
int NextNoteId();
// Assigns record.id and today's dates and stores the note shown, not topmost, without
// password and with N_TEXT NULL. When the row is not stored, record.id becomes 0 and the
// result is false, so no window is opened for a note that does not exist.
bool InsertNote(NoteRecord& record);
bool SaveNoteBounds(int id, int left, int top, int width, int height);
// Stores the text and today as MODIDATE.
bool SetNoteText(int id, const KxString& text);
int GetNoteFlags(int id);
bool SetNoteFlags(int id, int flags);
// Sets or clears the topmost bit, other bits kept.
bool SetNoteTopmost(int id, bool on);
bool SetNoteShown(int id, bool shown);
bool ShowAllNotesInStore();
bool HideAllNotesInStore();
bool DeleteNote(int id);
