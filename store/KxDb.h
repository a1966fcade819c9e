#pragma once
// The one SQLite connection of the program, its forward-only cursor, the statement
// builders and the quoting rule for text values. Texts pass through as the program's
// own GB18030 bytes (GBK texts keep theirs); only the file path is converted to UTF-8 for
// SQLite.

#include "kx/base/KxString.h"

struct sqlite3;
struct sqlite3_stmt;

class KxQuery;

// SQLite takes file names in UTF-8 (and opens them through the wide calls); the program's
// paths are GB18030.
KxString PathToUtf8(const KxString& path);

class KxDb {
public:
  KxDb() = default;
  KxDb(const KxDb&) = delete;
  KxDb& operator=(const KxDb&) = delete;
  ~KxDb();

  // True at once when a connection is already open. A file that exists but is no
  // readable database (not a database, truncated, damaged) is refused and left as it is.
  bool Open(const KxString& path);
  // After an Open that failed: true when the file itself is no database or damaged, false
  // when it could not be read for now (another program holds or locks it, no access).
  bool OpenFoundDamage() const { return openFoundDamage; }
  // False when SQLite keeps the connection (statements still open): it then stays open.
  bool Close();
  bool IsOpen() const { return connection != nullptr; }

  bool Exec(const KxString& sql);
  bool Begin();
  // False, with the transaction rolled back, when the commit fails.
  bool Commit();
  bool Rollback();
  // Gives the pages SQLite keeps cached back to the heap; the next reads load them again.
  void ReleaseCache();
  // sql holds one "?" that the blob is bound to; a null data pointer binds NULL.
  // True when the statement ran to its end.
  bool ExecWithBlob(const KxString& sql, const void* data, int size);

  void TableNames(KxStringList& list);
  bool DeleteWhere(const KxString& table, const KxString& where);
  int Count(const KxString& table, const KxString& where);
  bool Exists(const KxString& table, const KxString& where);
  int Max(const KxString& table, const KxString& column, const KxString& where);
  // The Select readers take the first row: "" / 0 when there is none.
  KxString SelectText(const KxString& table, const KxString& column, const KxString& where);
  int SelectInt(const KxString& table, const KxString& column, const KxString& where);
  // False, buffer unchanged, when there is no row.
  bool SelectBlob(const KxString& table, const KxString& column, const KxString& where,
                  KxString& buffer);
  bool UpdateText(const KxString& table, const KxString& column, const KxString& value,
                  const KxString& where);
  bool UpdateInt(const KxString& table, const KxString& column, int value,
                 const KxString& where);
  bool UpdateBlob(const KxString& table, const KxString& column, const void* data, int size,
                  const KxString& where);
  bool Query(const KxString& sql, KxQuery& query);

  sqlite3* Connection() const { return connection; }

private:
  bool openFoundDamage = false;
  sqlite3* connection = nullptr;
};

// The process-wide connection to Config.db.
extern KxDb TheDb;

// One transaction: every statement checked in it lands, or none does. A transaction that
// goes without Finish is rolled back. When BEGIN itself fails (one is open already) the
// statements run on their own and Finish says only whether they all succeeded.
class KxTransaction {
public:
  explicit KxTransaction(KxDb& db) : db(db), open(db.Begin()) {}
  KxTransaction(const KxTransaction&) = delete;
  KxTransaction& operator=(const KxTransaction&) = delete;
  ~KxTransaction() {
    if (open) db.Rollback();
  }

  // True while the transaction BEGIN started is open.
  bool IsOpen() const { return open; }
  void Check(bool done) { ok = ok && done; }
  // Commits when every checked statement succeeded, else rolls back; true when they are
  // stored.
  bool Finish();

private:
  KxDb& db;
  bool open;
  bool ok = true;
};

class KxQuery {
public:
  KxQuery() = default;
  KxQuery(const KxQuery&) = delete;
  KxQuery& operator=(const KxQuery&) = delete;
  ~KxQuery() { Close(); }

  // Prepares sql and steps to the first row. False (an empty result set) when it does not
  // prepare; a query still open is closed first.
  bool Open(KxDb& db, const KxString& sql);
  void Close();
  bool Eof() const { return eof; }
  // One step; false when already at the end or when the step failed (which ends the set).
  bool Next();
  // Exact, case-sensitive name; -1 when there is none or no row is current.
  int ColumnIndex(const KxString& name) const;
  KxString GetText(const KxString& name) const;
  int GetInt(const KxString& name) const;
  bool GetBlob(const KxString& name, KxString& buffer) const;
  // The column's bytes in place, valid until the next step.
  bool GetBlobRef(const KxString& name, const void** data, int* size) const;

  // The same readers by result column index; an index outside the current row gives
  // "", -1 and false.
  KxString TextAt(int index) const;
  // The text's bytes in place (never null: "" for none), valid until the next step.
  bool TextRefAt(int index, const char** text, int* length) const;
  int IntAt(int index) const;
  bool BlobAt(int index, KxString& buffer) const;
  bool BlobRefAt(int index, const void** data, int* size) const;

private:
  bool HasColumn(int index) const;

  bool eof = true;
  sqlite3_stmt* statement = nullptr;
};

// "'" + text with every "'" doubled + "'".
KxString SqlQuote(const KxString& text);

class KxSqlInsert {
public:
  explicit KxSqlInsert(const KxString& table) : table(table) {}
  void AddText(const KxString& column, const KxString& value);
  void AddInt(const KxString& column, long long value);
  // "Insert Into T (c1,c2) values(v1,v2)"
  KxString Build() const;

private:
  KxString table;
  KxStringList columns;
  KxStringList values;
};

class KxSqlUpdate {
public:
  explicit KxSqlUpdate(const KxString& table) : table(table) {}
  void SetText(const KxString& column, const KxString& value);
  void SetInt(const KxString& column, long long value);
  void SetBlob(const KxString& column);
  void WhereInt(const KxString& column, const KxString& op, long long value);
  void And();
  // "update T set c1=v1,c2=v2" + " where " + the conditions when there are any.
  KxString Build() const;

private:
  KxStringList sets;
  KxString table;
  KxStringList wheres;
};
