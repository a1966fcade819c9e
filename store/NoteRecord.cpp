#include "store/NoteRecord.h"

#include "kx/base/KxTime.h"
#include "store/KxDb.h"

namespace {

const char* const kTable = "KX_NOTE";

KxString WhereId(int id) { return "N_ID=" + KxString::FromInt(id); }

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

void LoadNotes(NoteList& list) {
  list.Clear();
  KxQuery query;
  TheDb.Query(KxString("Select N_ID,N_LEFT,N_TOP,N_WIDTH,N_HEIGHT,N_FLAG,N_PASSWORD,N_TEXT,"
                       "N_SHOW,STATUS,CREATEDATE,MODIDATE from ") +
                  kTable + " order by N_ID",
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
    }
    query.Next();
  }
  query.Close();
}

int NextNoteId() { return TheDb.Max(kTable, "N_ID", "") + 1; }

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
                 ",N_FLAG=N_FLAG|" + KxString::FromInt(kNoteSized) + " where " + WhereId(id);
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
  return SetNoteFlags(id, WithNoteColor(GetNoteFlags(id), color));
}

bool SetNoteShown(int id, bool shown) {
  return TheDb.UpdateInt(kTable, "N_SHOW", shown ? 1 : 0, WhereId(id));
}

bool ShowAllNotesInStore() { return TheDb.UpdateInt(kTable, "N_SHOW", 1, ""); }

bool HideAllNotesInStore() { return TheDb.UpdateInt(kTable, "N_SHOW", 0, ""); }

bool DeleteNote(int id) { return TheDb.DeleteWhere(kTable, WhereId(id)); }
