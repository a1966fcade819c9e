#pragma once
// Rows of KX_NOTE, the sticky notes, and of KX_NOTE_DELETED, the recently deleted ones,
// and the operations the note windows and the note manager use on them. A deleted note
// keeps every column and gains DELETEDATE; it stays kDeletedNoteDays days. Ids are unique
// over both tables. All operations use TheDb.

#include "kx/base/KxList.h"
#include "kx/base/KxString.h"
#include "kx/base/KxTime.h"

// N_FLAG bits. Older copies of the program clear every bit above bit 7 when they change
// the topmost bit, so what this copy adds lives in bits 1 to 7.
constexpr int kNoteTopmost = 1;
// The user gave the note its size: the stored rectangle holds, the text wraps inside it.
constexpr int kNoteSized = 2;
// Bits 2 to 4: the note's colour, 0 (yellow) to kNoteColorCount - 1.
constexpr int kNoteColorShift = 2;
constexpr int kNoteColorMask = 7 << kNoteColorShift;
constexpr int kNoteColorCount = 6;

// The colour index of flags; an index no colour has counts as yellow (0).
int NoteColorOf(int flags);
// flags with its colour bits set to color.
int WithNoteColor(int flags, int color);

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
  KxString deleted;  // DELETEDATE of a recently deleted note: "2008-03-07 14:05:09"
};

constexpr int kDeletedNoteDays = 30;

using NoteList = KxList<NoteRecord>;

// The statements as executed, for the operations that build their own text.
KxString NoteInsertSql(const NoteRecord& record);
KxString NoteBoundsSql(int id, int left, int top, int width, int height);

// All notes in N_ID order; the list is cleared first.
void LoadNotes(NoteList& list);
// False when the note is not stored.
bool LoadNote(int id, NoteRecord& record);
// One more than the highest id of a note or a recently deleted note.
int NextNoteId();
// Assigns record.id and today's dates and stores the note shown, not topmost, with the
// colour and size bits of record.flags, without password and with N_TEXT NULL. When the row is not stored, record.id becomes 0 and the
// result is false, so no window is opened for a note that does not exist.
bool InsertNote(NoteRecord& record);
bool SaveNoteBounds(int id, int left, int top, int width, int height);
// The rectangle the user sized the note to, and the sized bit, in one statement.
bool SaveNoteSize(int id, int left, int top, int width, int height);
// Stores the text and today as MODIDATE.
bool SetNoteText(int id, const KxString& text);
int GetNoteFlags(int id);
bool SetNoteFlags(int id, int flags);
// Sets or clears the topmost bit, other bits kept.
bool SetNoteTopmost(int id, bool on);
// Sets the colour bits, other bits kept.
bool SetNoteColor(int id, int color);
bool SetNoteShown(int id, bool shown);
bool ShowAllNotesInStore();
bool HideAllNotesInStore();

// ---- Recently deleted notes
// Each move is one transaction: both tables change or neither does.

// The deletion time as DELETEDATE holds it; texts of this form sort by time.
KxString DeletionTimeText(const KxTime& at);
// The note goes to KX_NOTE_DELETED with at as its deletion time. An id a deleted note holds
// already (an older copy of the program knows only KX_NOTE and may give it out again)
// gives the moved note a new one.
bool MoveNoteToDeleted(int id, const KxTime& at = KxTime());
// The recently deleted notes, the latest deletion first; the list is cleared first.
void LoadDeletedNotes(NoteList& list);
// Back into KX_NOTE with everything it had, shown. The result is its id there: a new one
// when the old one was taken meanwhile; 0 when nothing changed.
int RestoreDeletedNote(int id);
bool RemoveDeletedNote(int id);
// Removes for good the notes deleted more than kDeletedNoteDays days before now.
bool PurgeDeletedNotes(const KxTime& now = KxTime());
