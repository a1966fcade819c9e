#include "store/ShortcutRecord.h"

#include "store/KxDb.h"
#include "store/LaunchRecord.h"

namespace {

const char* const kTable = "KX_SOFT";

KxString WhereId(int id) { return "S_ID=" + KxString::FromInt(id); }

bool FitsShort(int value) { return value >= -32768 && value <= 32767; }

bool ExecWithIcon(const KxString& sql, const OwnedIcon& icon) {
  KxString blob = IconToBlob(icon.Get());
  return TheDb.ExecWithBlob(sql, blob.IsEmpty() ? nullptr : blob.CStr(), blob.Length());
}

}  // namespace

int EncodeShortcutFlags(const ShortcutRecord& record) {
  int flags = 0;
  if (record.kind == kShortcutGroup) flags += kShortcutFlagGroup;
  if (record.kind == kShortcutSeparator) flags += kShortcutFlagSeparator;
  if (record.kind == kShortcutItem) flags += kShortcutFlagItem;
  if (record.flagA) flags += kShortcutFlagA;
  if (record.flagB) flags += kShortcutFlagB;
  return flags;
}

void DecodeShortcutFlags(int flags, ShortcutRecord& record) {
  record.kind = kShortcutItem;
  if (flags & kShortcutFlagGroup) record.kind = kShortcutGroup;
  if (flags & kShortcutFlagSeparator) record.kind = kShortcutSeparator;
  if (flags & kShortcutFlagItem) record.kind = kShortcutItem;
  record.flagA = (flags & kShortcutFlagA) != 0;
  record.flagB = (flags & kShortcutFlagB) != 0;
}

KxString ShortcutLoadSql(ShortcutIcons icons) {
  const char* columns = icons == ShortcutIcons::kDecode ? "*" : "S_ID,S_ORDERID,S_PID,S_FLAG,S_TEXT,S_PATH";
  return KxString("Select ") + columns + " from " + kTable + " order by S_PID,S_ORDERID";
}

KxString ShortcutInsertSql(const ShortcutRecord& record) {
  return KxString("Insert Into ") + kTable +
         " (S_ID,S_ORDERID,S_PID,S_FLAG,S_TEXT,S_PATH,S_ICO) Values(" +
         KxString::FromInt(record.id) + "," + KxString::FromInt(record.orderId) + "," +
         KxString::FromInt(record.parentId) + "," +
         KxString::FromInt(EncodeShortcutFlags(record)) + "," + SqlQuote(record.text) + "," +
         SqlQuote(record.path) + ",?)";
}

KxString ShortcutUpdateSql(const ShortcutRecord& record) {
  KxSqlUpdate update(kTable);
  update.SetInt("S_FLAG", EncodeShortcutFlags(record));
  update.SetText("S_TEXT", record.text);
  update.SetText("S_PATH", record.path);
  update.SetBlob("S_ICO");
  update.WhereInt("S_ID", "=", record.id);
  return update.Build();
}

KxString ShiftShortcutOrdersSql(int orderId, int parentId, int step, OrderShift direction) {
  return KxString("Update ") + kTable +
         (direction == OrderShift::kUp ? " set S_ORDERID=S_ORDERID+" : " set S_ORDERID=S_ORDERID-") +
         KxString::FromInt(step) + " where S_PID=" + KxString::FromInt(parentId) +
         " and S_ORDERID>=" + KxString::FromInt(orderId);
}

void ReadShortcutRows(ShortcutIcons icons, const std::function<void(const ShortcutRowRef&)>& visit) {
  KxQuery query;
  TheDb.Query(ShortcutLoadSql(icons), query);
  // The columns by name once, not at every row.
  const int idColumn = query.ColumnIndex("S_ID");
  const int orderColumn = query.ColumnIndex("S_ORDERID");
  const int parentColumn = query.ColumnIndex("S_PID");
  const int flagColumn = query.ColumnIndex("S_FLAG");
  const int textColumn = query.ColumnIndex("S_TEXT");
  const int pathColumn = query.ColumnIndex("S_PATH");
  const int iconColumn = icons == ShortcutIcons::kDecode ? query.ColumnIndex("S_ICO") : -1;
  ShortcutRecord flags;
  for (; !query.Eof(); query.Next()) {
    int id = query.IntAt(idColumn);
    int parentId = query.IntAt(parentColumn);
    if (!FitsShort(id) || !FitsShort(parentId)) continue;
    ShortcutRowRef row;
    row.id = static_cast<short>(id);
    row.orderId = query.IntAt(orderColumn);
    row.parentId = static_cast<short>(parentId);
    DecodeShortcutFlags(query.IntAt(flagColumn), flags);
    row.kind = flags.kind;
    row.flagA = flags.flagA;
    row.flagB = flags.flagB;
    query.TextRefAt(textColumn, &row.text, &row.textLength);
    query.TextRefAt(pathColumn, &row.path, &row.pathLength);
    if (iconColumn >= 0) query.BlobRefAt(iconColumn, &row.icon, &row.iconSize);
    visit(row);
  }
  query.Close();
}

void LoadShortcuts(ShortcutList& list, ShortcutIcons icons) {
  list.Clear();
  ReadShortcutRows(icons, [&list](const ShortcutRowRef& row) {
    ShortcutList::Node* node = list.Add(ShortcutRecord());
    if (!node) return;
    ShortcutRecord& record = node->value;
    record.id = row.id;
    record.orderId = row.orderId;
    record.parentId = row.parentId;
    record.kind = row.kind;
    record.flagA = row.flagA;
    record.flagB = row.flagB;
    record.text.Assign(row.text, row.textLength);
    record.path.Assign(row.path, row.pathLength);
    if (row.icon) BlobToIcon(row.icon, row.iconSize, record.icon);
  });
}

bool InsertShortcut(ShortcutRecord& record) {
  int id = NextShortcutId();
  if (id < 1 || id > kMaxShortcutId) {
    record.id = 0;
    return false;
  }
  if (!ShiftShortcutOrders(record.orderId, record.parentId, 1, OrderShift::kUp)) {
    record.id = 0;
    return false;
  }
  record.id = static_cast<short>(id);
  // An id freed by a program that keeps no start counts must not hand them on.
  ForgetLaunches(id);
  if (ExecWithIcon(ShortcutInsertSql(record), record.icon)) return true;
  ShiftShortcutOrders(record.orderId, record.parentId, 1, OrderShift::kDown);
  record.id = 0;
  return false;
}

bool UpdateShortcut(const ShortcutRecord& record) {
  return ExecWithIcon(ShortcutUpdateSql(record), record.icon);
}

bool DeleteShortcut(int id, int orderId, int parentId) {
  if (!TheDb.DeleteWhere(kTable, WhereId(id))) return false;
  // The start counts only rank the quick search: a count left behind is not worth
  // refusing the delete for, and the next row with this id clears it.
  ForgetLaunches(id);
  return ShiftShortcutOrders(orderId, parentId, 1, OrderShift::kDown);
}

bool RenameShortcut(int id, const KxString& text) {
  return TheDb.UpdateText(kTable, "S_TEXT", text, WhereId(id));
}

bool SetShortcutPath(int id, const KxString& path) {
  return TheDb.UpdateText(kTable, "S_PATH", path, WhereId(id));
}

bool SetShortcutParent(int id, int parentId) {
  return TheDb.UpdateInt(kTable, "S_PID", parentId, WhereId(id));
}

bool SetShortcutOrder(int id, int orderId) {
  return TheDb.UpdateInt(kTable, "S_ORDERID", orderId, WhereId(id));
}

bool ShiftShortcutOrders(int orderId, int parentId, int step, OrderShift direction) {
  return TheDb.Exec(ShiftShortcutOrdersSql(orderId, parentId, step, direction));
}

KxString GetShortcutPath(int id) { return TheDb.SelectText(kTable, "S_PATH", WhereId(id)); }

bool LoadShortcutIcon(int id, OwnedIcon& icon) {
  icon.Reset();
  KxString blob;
  if (!TheDb.SelectBlob(kTable, "S_ICO", WhereId(id), blob)) return false;
  return BlobToIcon(blob.CStr(), blob.Length(), icon);
}

int NextShortcutId() { return TheDb.Max(kTable, "S_ID", "") + 1; }
