#include "store/KxDb.h"

#include <windows.h>

#include <cstring>

#include "kx/base/KxWide.h"
#include "sqlite3.h"

KxDb TheDb;

KxString PathToUtf8(const KxString& path) {
  KxWide wide(path);
  if (wide.IsEmpty()) return KxString();
  int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide, wide.Length(), NULL, 0, NULL, NULL);
  KxString utf8;
  if (utf8Length <= 0 || !utf8.Resize(utf8Length)) return KxString();
  WideCharToMultiByte(CP_UTF8, 0, wide, wide.Length(), utf8.Buffer(), utf8Length, NULL, NULL);
  return utf8;
}

namespace {

// Only what keeps the file from being read for now counts as no damage; anything else
// (not a database, corrupt, a read error) is damage, and a restore offered for it keeps
// the file.
bool IsDamage(int rc) {
  rc &= 0xFF;  // the primary code of an extended one
  return rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE && rc != SQLITE_BUSY && rc != SQLITE_LOCKED &&
         rc != SQLITE_CANTOPEN && rc != SQLITE_READONLY && rc != SQLITE_PERM && rc != SQLITE_NOMEM;
}

// sqlite3_open accepts any file; the schema read is the first that looks inside it.
// damaged tells a file that is no database from one that is busy or locked for now.
bool IsReadableDatabase(sqlite3* handle, bool& damaged) {
  static const char kProbe[] = "SELECT name FROM sqlite_master";
  sqlite3_stmt* statement = nullptr;
  // prepare_v2: a failed step then reports its own code, not a bare SQLITE_ERROR.
  int rc = sqlite3_prepare_v2(handle, kProbe, static_cast<int>(sizeof(kProbe) - 1), &statement, nullptr);
  if (rc != SQLITE_OK || !statement) {
    damaged = IsDamage(rc);
    return false;
  }
  rc = sqlite3_step(statement);
  sqlite3_finalize(statement);
  damaged = IsDamage(rc);
  return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

KxString WhereClause(const KxString& where) {
  return where.IsEmpty() ? KxString() : " where " + where;
}

}  // namespace

// ---- KxDb

KxDb::~KxDb() { Close(); }

bool KxDb::Open(const KxString& path) {
  if (connection) return true;
  openFoundDamage = false;
  // An empty name would open a private temporary database whose writes vanish.
  KxString utf8 = PathToUtf8(path);
  if (utf8.IsEmpty()) return false;
  sqlite3* handle = nullptr;
  int rc = sqlite3_open(utf8.CStr(), &handle);
  if (rc != SQLITE_OK) {
    openFoundDamage = IsDamage(rc);
    if (handle) sqlite3_close(handle);
    return false;
  }
  if (!IsReadableDatabase(handle, openFoundDamage)) {
    sqlite3_close(handle);
    return false;
  }
  connection = handle;
  return true;
}

void KxDb::ReleaseCache() {
  if (connection) sqlite3_db_release_memory(connection);
}

bool KxDb::Close() {
  if (!connection) return true;
  if (sqlite3_close(connection) != SQLITE_OK) return false;
  connection = nullptr;
  return true;
}

bool KxDb::Exec(const KxString& sql) {
  if (!connection) return false;
  return sqlite3_exec(connection, sql.CStr(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool KxDb::Begin() { return Exec("BEGIN"); }
// A COMMIT that fails (a reader still holds the file) leaves the transaction open, and every
// later write would then land in it and vanish with the connection: it is rolled back.
bool KxDb::Commit() {
  if (Exec("COMMIT")) return true;
  Exec("ROLLBACK");
  return false;
}
bool KxDb::Rollback() { return Exec("ROLLBACK"); }

bool KxTransaction::Finish() {
  if (!open) return ok;
  open = false;
  if (ok && db.Commit()) return true;
  db.Rollback();
  return false;
}

bool KxDb::ExecWithBlob(const KxString& sql, const void* data, int size) {
  if (!connection || size < 0) return false;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare(connection, sql.CStr(), sql.Length(), &statement, nullptr) != SQLITE_OK ||
      !statement) {
    return false;
  }
  int rc = sqlite3_bind_blob(statement, 1, data, size, SQLITE_STATIC);
  if (rc == SQLITE_OK) rc = sqlite3_step(statement);
  sqlite3_finalize(statement);
  return rc == SQLITE_DONE;
}

void KxDb::TableNames(KxStringList& list) {
  KxQuery query;
  query.Open(*this, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name");
  while (!query.Eof()) {
    list.Add(query.GetText("name"));
    query.Next();
  }
  query.Close();
}

bool KxDb::DeleteWhere(const KxString& table, const KxString& where) {
  return Exec("delete from " + table + WhereClause(where));
}

int KxDb::Count(const KxString& table, const KxString& where) {
  KxQuery query;
  query.Open(*this, "SELECT count(1) as NUM FROM " + table + WhereClause(where));
  int count = query.Eof() ? -1 : query.GetInt("NUM");
  query.Close();
  return count;
}

bool KxDb::Exists(const KxString& table, const KxString& where) { return Count(table, where) > 0; }

int KxDb::Max(const KxString& table, const KxString& column, const KxString& where) {
  KxQuery query;
  query.Open(*this, "SELECT max(" + column + ") as maxvalue FROM " + table + WhereClause(where));
  // max() of no rows is NULL, which reads as 0.
  int max = query.Eof() ? 0 : query.GetInt("maxvalue");
  query.Close();
  return max;
}

// The single-column readers take the value from column 0: SQLite names a plain column
// reference after its declaration, not after the letter case the caller wrote.
KxString KxDb::SelectText(const KxString& table, const KxString& column, const KxString& where) {
  KxQuery query;
  query.Open(*this, "SELECT " + column + " FROM " + table + WhereClause(where));
  KxString text = query.Eof() ? KxString() : query.TextAt(0);
  query.Close();
  return text;
}

int KxDb::SelectInt(const KxString& table, const KxString& column, const KxString& where) {
  KxQuery query;
  query.Open(*this, "SELECT " + column + " FROM " + table + WhereClause(where));
  int value = query.Eof() ? 0 : query.IntAt(0);
  query.Close();
  return value;
}

bool KxDb::SelectBlob(const KxString& table, const KxString& column, const KxString& where,
                      KxString& buffer) {
  KxQuery query;
  query.Open(*this, "SELECT " + column + " FROM " + table + WhereClause(where));
  bool found = !query.Eof() && query.BlobAt(0, buffer);
  query.Close();
  return found;
}

bool KxDb::UpdateText(const KxString& table, const KxString& column, const KxString& value,
                      const KxString& where) {
  return Exec("Update " + table + " set " + column + "=" + SqlQuote(value) + WhereClause(where));
}

bool KxDb::UpdateInt(const KxString& table, const KxString& column, int value,
                     const KxString& where) {
  return Exec("Update " + table + " set " + column + "=" + KxString::FromInt(value) +
              WhereClause(where));
}

bool KxDb::UpdateBlob(const KxString& table, const KxString& column, const void* data, int size,
                      const KxString& where) {
  return ExecWithBlob("Update " + table + " set " + column + "=?" + WhereClause(where), data,
                      size);
}

bool KxDb::Query(const KxString& sql, KxQuery& query) { return query.Open(*this, sql); }

// ---- KxQuery

bool KxQuery::Open(KxDb& db, const KxString& sql) {
  Close();
  eof = true;
  sqlite3* connection = db.Connection();
  if (!connection) return false;
  if (sqlite3_prepare(connection, sql.CStr(), sql.Length(), &statement, nullptr) != SQLITE_OK ||
      !statement) {
    // A text of only blanks or comments prepares to no statement at all.
    if (statement) sqlite3_finalize(statement);
    statement = nullptr;
    return false;
  }
  eof = sqlite3_step(statement) != SQLITE_ROW;
  return true;
}

void KxQuery::Close() {
  if (statement) sqlite3_finalize(statement);
  statement = nullptr;
  eof = true;
}

bool KxQuery::Next() {
  if (eof || !statement) return false;
  int rc = sqlite3_step(statement);
  if (rc == SQLITE_ROW) return true;
  eof = true;
  return rc == SQLITE_DONE;
}

int KxQuery::ColumnIndex(const KxString& name) const {
  if (!statement) return -1;
  int columns = sqlite3_data_count(statement);
  for (int i = 0; i < columns; ++i) {
    const char* columnName = sqlite3_column_name(statement, i);
    if (columnName && name == columnName) return i;
  }
  return -1;
}

KxString KxQuery::GetText(const KxString& name) const { return TextAt(ColumnIndex(name)); }
int KxQuery::GetInt(const KxString& name) const { return IntAt(ColumnIndex(name)); }
bool KxQuery::GetBlob(const KxString& name, KxString& buffer) const {
  return BlobAt(ColumnIndex(name), buffer);
}
bool KxQuery::GetBlobRef(const KxString& name, const void** data, int* size) const {
  return BlobRefAt(ColumnIndex(name), data, size);
}

bool KxQuery::HasColumn(int index) const {
  return statement && index >= 0 && index < sqlite3_data_count(statement);
}

KxString KxQuery::TextAt(int index) const {
  if (!HasColumn(index)) return KxString();
  // The text first, then its length: asking in this order converts nothing twice.
  const unsigned char* text = sqlite3_column_text(statement, index);
  int bytes = sqlite3_column_bytes(statement, index);
  return text ? KxString(reinterpret_cast<const char*>(text), bytes) : KxString();
}

bool KxQuery::TextRefAt(int index, const char** text, int* length) const {
  const unsigned char* bytes = HasColumn(index) ? sqlite3_column_text(statement, index) : nullptr;
  int count = bytes ? sqlite3_column_bytes(statement, index) : 0;
  if (text) *text = bytes ? reinterpret_cast<const char*>(bytes) : "";
  if (length) *length = count;
  return bytes != nullptr;
}

int KxQuery::IntAt(int index) const {
  return HasColumn(index) ? sqlite3_column_int(statement, index) : -1;
}

bool KxQuery::BlobRefAt(int index, const void** data, int* size) const {
  if (!HasColumn(index)) return false;
  const void* bytes = sqlite3_column_blob(statement, index);
  int count = sqlite3_column_bytes(statement, index);
  if (data) *data = bytes;
  if (size) *size = bytes ? count : 0;
  return true;
}

bool KxQuery::BlobAt(int index, KxString& buffer) const {
  const void* bytes = nullptr;
  int count = 0;
  if (!BlobRefAt(index, &bytes, &count)) return false;
  if (!buffer.Resize(count)) return false;
  if (count > 0) std::memcpy(buffer.Buffer(), bytes, static_cast<size_t>(count));
  return true;
}

// ---- Quoting and statement builders

KxString SqlQuote(const KxString& text) {
  KxString quoted = text;
  quoted.ReplaceAll("'", "''");
  return "'" + quoted + "'";
}

void KxSqlInsert::AddText(const KxString& column, const KxString& value) {
  columns.Add(column);
  values.Add(SqlQuote(value));
}

void KxSqlInsert::AddInt(const KxString& column, long long value) {
  columns.Add(column);
  values.Add(KxString::FromInt(value));
}

KxString KxSqlInsert::Build() const {
  return "Insert Into " + table + " (" + KxString::Join(columns, ",") + ") values(" +
         KxString::Join(values, ",") + ")";
}

void KxSqlUpdate::SetText(const KxString& column, const KxString& value) {
  sets.Add(column + "=" + SqlQuote(value));
}

void KxSqlUpdate::SetInt(const KxString& column, long long value) {
  sets.Add(column + "=" + KxString::FromInt(value));
}

void KxSqlUpdate::SetBlob(const KxString& column) { sets.Add(column + "=?"); }

void KxSqlUpdate::WhereInt(const KxString& column, const KxString& op, long long value) {
  wheres.Add(column + op + KxString::FromInt(value));
}

void KxSqlUpdate::And() { wheres.Add(" and "); }

KxString KxSqlUpdate::Build() const {
  KxString sql = "update " + table + " set " + KxString::Join(sets, ",");
  if (!wheres.IsEmpty()) sql += " where " + KxString::Join(wheres, "");
  return sql;
}
