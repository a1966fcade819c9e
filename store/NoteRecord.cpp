#include "store/NoteRecord.h"

#include "kx/base/KxTime.h"
#include "store/KxDb.h"

namespace {

const char* const kTable = "KX_NOTE";
const char* const kDeletedTable = "KX_NOTE_DELETED";
// The columns both tables share, in the order a copy from one to the other lists them
// after N_ID.
const char kCopiedColumns[] =
    "N_LEFT,N_TOP,N_WIDTH,N_HEIGHT,N_FLAG,N_TEXT,N_PASSWORD,N_SHOW,CREATEDATE,MODIDATE,STATUS";

KxString WhereId(int id) { return "N_ID=" + KxString::FromInt(id); }

// The rows of table that match where (every row when it is empty), ordered by order.
void ReadNotes(const char* table, const KxString& where, const char* order, NoteList& list) {
  list.Clear();
  const bool deleted = KxString(table) == kDeletedTable;
  KxQuery query;
  TheDb.Query(KxString("Select N_ID,N_LEFT,N_TOP,N_WIDTH,N_HEIGHT,N_FLAG,N_PASSWORD,N_TEXT,"
                       "N_SHOW,STATUS,CREATEDATE,MODIDATE") +
                  (deleted ? ",DELETEDATE" : "") + " from " + table +
                  (where.IsEmpty() ? KxString() : " where " + where) + " order by " + order,
              query);
  while (!query.Eof()) {
    NoteList::Node* node = list.Add(NoteRecord());
    if (node) {
      NoteRecord& note = node->value;
      note.id = query.GetInt("N_ID");
      note.left = query.GetInt("N_LEFT");
      note.top = query.GetInt("N_TOP");
      note.width = query.GetInt("N_WIDTH");
      note.height = query.GetInt("N_HEIGHT");
      note.flags = query.GetInt("N_FLAG");
      note.password = query.GetText("N_PASSWORD");
      query.GetBlob("N_TEXT", note.text);
      note.visible = query.GetInt("N_SHOW") == 1;
      note.created = query.GetText("CREATEDATE");
      note.modified = query.GetText("MODIDATE");
      if (deleted) note.deleted = query.GetText("DELETEDATE");
    }
    query.Next();
  }
  query.Close();
}

// Copies the row id of from into to as the row toId, with extra columns after the shared
// ones ("" for none: then values holds nothing either).
KxString CopyNoteSql(const char* from, int id, const char* to, int toId, const KxString& extraColumns,
                     const KxString& extraValues) {
  return KxString("Insert Into ") + to + " (N_ID," + kCopiedColumns + extraColumns + ") select " +
         KxString::FromInt(toId) + "," + kCopiedColumns + extraValues + " from " + from +
         " where " + WhereId(id);
}

}  // namespace

int NoteColorOf(int flags) {
  int color = (flags & kNoteColorMask) >> kNoteColorShift;
  return color < kNoteColorCount ? color : 0;
}

int WithNoteColor(int flags, int color) {
  if (color < 0 || color >= kNoteColorCount) color = 0;
  return (flags & ~kNoteColorMask) | (color << kNoteColorShift);
}

KxString NoteInsertSql(const NoteRecord& record) {
  KxSqlInsert insert(kTable);
  insert.AddInt("N_ID", record.id);
  insert.AddInt("N_LEFT", record.left);
  insert.AddInt("N_TOP", record.top);
  insert.AddInt("N_WIDTH", record.width);
  insert.AddInt("N_HEIGHT", record.height);
  insert.AddInt("N_FLAG", record.flags & (kNoteSized | kNoteColorMask));
  insert.AddText("N_PASSWORD", "");
  insert.AddInt("N_SHOW", 1);
  insert.AddText("CREATEDATE", record.created);
  insert.AddText("MODIDATE", record.modified);
  insert.AddInt("STATUS", 0);
  return insert.Build();
}

KxString NoteBoundsSql(int id, int left, int top, int width, int height) {
  KxSqlUpdate update(kTable);
  update.SetInt("N_LEFT", left);
  update.SetInt("N_TOP", top);
  update.SetInt("N_WIDTH", width);
  update.SetInt("N_HEIGHT", height);
  update.WhereInt("N_ID", "=", id);
  return update.Build();
}

void LoadNotes(NoteList& list) { ReadNotes(kTable, "", "N_ID", list); }

bool LoadNote(int id, NoteRecord& record) {
  NoteList list;
  ReadNotes(kTable, WhereId(id), "N_ID", list);
  if (list.Count() != 1) return false;
  record = *list.At(0);
  return true;
}

int NextNoteId() {
  int live = TheDb.Max(kTable, "N_ID", "");
  int deleted = TheDb.Max(kDeletedTable, "N_ID", "");
  return (live > deleted ? live : deleted) + 1;
}

bool InsertNote(NoteRecord& record) {
  record.id = NextNoteId();
  record.created = KxTime::Today();
  record.modified = record.created;
  if (record.id >= 1 && TheDb.Exec(NoteInsertSql(record))) return true;
  record.id = 0;
  return false;
}

bool SaveNoteBounds(int id, int left, int top, int width, int height) {
  return TheDb.Exec(NoteBoundsSql(id, left, top, width, height));
}

bool SaveNoteSize(int id, int left, int top, int width, int height) {
  // The bit is ORed in by the statement itself: the rectangle and the bit are written
  // together or not at all.
  KxString sql = KxString("Update ") + kTable + " set N_LEFT=" + KxString::FromInt(left) +
                 ",N_TOP=" + KxString::FromInt(top) + ",N_WIDTH=" + KxString::FromInt(width) +
                 ",N_HEIGHT=" + KxString::FromInt(height) +
                 ",N_FLAG=coalesce(N_FLAG,0)|" + KxString::FromInt(kNoteSized) + " where " + WhereId(id);
  return TheDb.Exec(sql);
}

bool SetNoteText(int id, const KxString& text) {
  // One statement: the text and its date are written together or not at all.
  KxString sql = KxString("Update ") + kTable + " set MODIDATE=" + SqlQuote(KxTime::Today()) +
                 ",N_TEXT=? where " + WhereId(id);
  return TheDb.ExecWithBlob(sql, text.CStr(), text.Length());
}

int GetNoteFlags(int id) { return TheDb.SelectInt(kTable, "N_FLAG", WhereId(id)); }

bool SetNoteFlags(int id, int flags) { return TheDb.UpdateInt(kTable, "N_FLAG", flags, WhereId(id)); }

bool SetNoteTopmost(int id, bool on) {
  int flags = GetNoteFlags(id);
  return SetNoteFlags(id, on ? (flags | kNoteTopmost) : (flags & ~kNoteTopmost));
}

bool SetNoteColor(int id, int color) {
  // In the statement itself: a flag read that failed cannot wipe the other bits.
  int bits = WithNoteColor(0, color);
  KxString sql = KxString("Update ") + kTable + " set N_FLAG=(coalesce(N_FLAG,0)&~" +
                 KxString::FromInt(kNoteColorMask) + ")|" + KxString::FromInt(bits) + " where " +
                 WhereId(id);
  return TheDb.Exec(sql);
}

bool SetNoteShown(int id, bool shown) {
  return TheDb.UpdateInt(kTable, "N_SHOW", shown ? 1 : 0, WhereId(id));
}

bool ShowAllNotesInStore() { return TheDb.UpdateInt(kTable, "N_SHOW", 1, ""); }

bool HideAllNotesInStore() { return TheDb.UpdateInt(kTable, "N_SHOW", 0, ""); }

// ---- Recently deleted notes

KxString DeletionTimeText(const KxTime& at) {
  return at.DateText() + " " + KxString::FromInt(at.hour, 2) + ":" + KxString::FromInt(at.minute, 2) +
         ":" + KxString::FromInt(at.second, 2);
}

bool MoveNoteToDeleted(int id, const KxTime& at) {
  KxTransaction edit(TheDb);
  // Without the transaction the copy and the delete could be stored one without the other.
  if (!edit.IsOpen()) return false;
  if (!TheDb.Exists(kTable, WhereId(id))) return false;
  int keptId = TheDb.Exists(kDeletedTable, WhereId(id)) ? NextNoteId() : id;
  edit.Check(TheDb.Exec(CopyNoteSql(kTable, id, kDeletedTable, keptId, ",DELETEDATE",
                                    "," + SqlQuote(DeletionTimeText(at)))));
  edit.Check(TheDb.DeleteWhere(kTable, WhereId(id)));
  return edit.Finish();
}

void LoadDeletedNotes(NoteList& list) { ReadNotes(kDeletedTable, "", "DELETEDATE desc,N_ID desc", list); }

int RestoreDeletedNote(int id) {
  KxTransaction edit(TheDb);
  if (!edit.IsOpen()) return 0;
  if (!TheDb.Exists(kDeletedTable, WhereId(id))) return 0;
  int restoredId = TheDb.Exists(kTable, WhereId(id)) ? NextNoteId() : id;
  edit.Check(TheDb.Exec(CopyNoteSql(kDeletedTable, id, kTable, restoredId, "", "")));
  // The window comes back shown, and the row says so.
  edit.Check(TheDb.UpdateInt(kTable, "N_SHOW", 1, WhereId(restoredId)));
  edit.Check(TheDb.DeleteWhere(kDeletedTable, WhereId(id)));
  return edit.Finish() ? restoredId : 0;
}

bool RemoveDeletedNote(int id) { return TheDb.DeleteWhere(kDeletedTable, WhereId(id)); }

bool PurgeDeletedNotes(const KxTime& now) {
  KxTime limit = now;
  if (!limit.AddDays(-kDeletedNoteDays)) return false;
  return TheDb.DeleteWhere(kDeletedTable, "DELETEDATE<" + SqlQuote(DeletionTimeText(limit)));
}
