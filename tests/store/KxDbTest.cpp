// The connection wrapper against real SQLite files: the SQL texts it sends (recorded with
// SQLite's statement trace), what its readers return, blobs, GBK bytes, file names with
// Chinese characters, files that are no database, and durability when the process is killed.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sqlite3.h"
#include "store/KxDb.h"
#include "tests/support/TestUtil.h"

namespace {

// Statements as SQLite received them, in order.
int RecordStatement(unsigned type, void* context, void*, void* sql) {
  if (type == SQLITE_TRACE_STMT && sql) {
    static_cast<std::vector<std::string>*>(context)->push_back(static_cast<const char*>(sql));
  }
  return 0;
}

class DbFile : public ::testing::Test {
protected:
  void SetUp() override {
    dir = MakeScratchDir("kxdb");
    path = dir + "\\t.db";
    ASSERT_TRUE(db.Open(path));
    ASSERT_TRUE(db.Exec("create table T (ID INTEGER PRIMARY KEY,Value VARCHAR(100),N INTEGER,B blob)"));
  }
  void TearDown() override {
    db.Close();
    RemoveTree(dir);
  }

  KxString Scalar(const char* sql) {
    KxQuery query;
    query.Open(db, sql);
    KxString text = query.Eof() ? KxString("<no row>") : query.TextAt(0);
    query.Close();
    return text;
  }

  KxString dir, path;
  KxDb db;
};

TEST(SqlBuilders, ProduceTheExactTexts) {
  struct Case {
    KxString built, expected;
  };
  KxSqlInsert sys("KX_SYS");
  sys.AddInt("ID", 1);
  sys.AddText("Value", "1");
  sys.AddText("Ms", "数据库版本");
  KxSqlInsert negative("KX_NOTE");
  negative.AddInt("N_LEFT", -20);
  negative.AddText("N_PASSWORD", "");
  KxSqlUpdate shortcut("KX_SOFT");
  shortcut.SetInt("S_FLAG", 12);
  shortcut.SetText("S_TEXT", "it's");
  shortcut.SetText("S_PATH", "C:\\a b\\c.exe");
  shortcut.SetBlob("S_ICO");
  shortcut.WhereInt("S_ID", "=", 3);
  KxSqlUpdate module("KX_MODULE");
  module.SetInt("M_HK", 11);
  module.WhereInt("M_TYPE", "=", 400);
  module.And();
  module.WhereInt("M_ID", ">=", 0);
  KxSqlUpdate everyRow("KX_NOTE");
  everyRow.SetInt("N_SHOW", 1);
  const Case cases[] = {
      {SqlQuote("it's"), "'it''s'"},
      {SqlQuote(""), "''"},
      {SqlQuote("''"), "''''''"},
      {SqlQuote("便笺"), "'便笺'"},
      {sys.Build(), "Insert Into KX_SYS (ID,Value,Ms) values(1,'1','数据库版本')"},
      {negative.Build(), "Insert Into KX_NOTE (N_LEFT,N_PASSWORD) values(-20,'')"},
      {shortcut.Build(),
       "update KX_SOFT set S_FLAG=12,S_TEXT='it''s',S_PATH='C:\\a b\\c.exe',S_ICO=? where S_ID=3"},
      {module.Build(), "update KX_MODULE set M_HK=11 where M_TYPE=400 and M_ID>=0"},
      {everyRow.Build(), "update KX_NOTE set N_SHOW=1"},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.expected.CStr(), c.built.CStr());
}

TEST_F(DbFile, HelpersSendTheExactTexts) {
  std::vector<std::string> sent;
  sqlite3_trace_v2(db.Connection(), SQLITE_TRACE_STMT, RecordStatement, &sent);
  const char blob[] = "abc";
  KxStringList names;
  struct Case {
    std::function<void()> call;
    const char* expected;
  };
  const Case cases[] = {
      {[&] { db.DeleteWhere("T", "ID=1"); }, "delete from T where ID=1"},
      {[&] { db.DeleteWhere("T", ""); }, "delete from T"},
      {[&] { db.Count("T", "N>5"); }, "SELECT count(1) as NUM FROM T where N>5"},
      {[&] { db.Exists("T", ""); }, "SELECT count(1) as NUM FROM T"},
      {[&] { db.Max("T", "ID", ""); }, "SELECT max(ID) as maxvalue FROM T"},
      {[&] { db.SelectText("T", "Value", "ID=2"); }, "SELECT Value FROM T where ID=2"},
      {[&] { db.SelectInt("T", "N", ""); }, "SELECT N FROM T"},
      {[&] { db.UpdateText("T", "Value", "it's", "ID=1"); }, "Update T set Value='it''s' where ID=1"},
      {[&] { db.UpdateInt("T", "N", -7, ""); }, "Update T set N=-7"},
      {[&] { db.UpdateBlob("T", "B", blob, 3, "ID=1"); }, "Update T set B=? where ID=1"},
      {[&] { db.TableNames(names); }, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"},
      {[&] { db.Begin(); }, "BEGIN"},
      {[&] { db.Rollback(); }, "ROLLBACK"},
  };
  for (const Case& c : cases) {
    sent.clear();
    c.call();
    ASSERT_EQ(1u, sent.size()) << c.expected;
    EXPECT_EQ(c.expected, sent[0]);
  }
  sqlite3_trace_v2(db.Connection(), 0, nullptr, nullptr);
  ASSERT_EQ(1, names.Count());
  EXPECT_TRUE(*names.At(0) == "T");
}

TEST_F(DbFile, ReadersOnRealRows) {
  EXPECT_EQ(0, db.Max("T", "ID", "")) << "an empty table starts new identifiers at 1";
  EXPECT_EQ(0, db.Count("T", ""));
  EXPECT_EQ(-1, db.Count("MISSING", ""));
  ASSERT_TRUE(db.Exec("Insert Into T (ID,Value,N) values(1,NULL,5)"));
  ASSERT_TRUE(db.Exec("Insert Into T (ID,Value,N) values(7,'seven',9)"));

  EXPECT_EQ(7, db.Max("T", "ID", ""));
  EXPECT_EQ(1, db.Max("T", "ID", "N<9"));
  EXPECT_EQ(0, db.Count("T", "N>100"));
  EXPECT_FALSE(db.Exists("T", "N>100"));
  EXPECT_TRUE(db.Exists("T", "N=9"));
  EXPECT_TRUE(db.SelectText("T", "Value", "ID=1").IsEmpty()) << "NULL column";
  EXPECT_TRUE(db.SelectText("T", "Value", "ID=2").IsEmpty()) << "no row";
  EXPECT_TRUE(db.SelectText("T", "value", "ID=7") == "seven") << "SQLite names the column Value";
  EXPECT_EQ(0, db.SelectInt("T", "N", "ID=2"));
  EXPECT_EQ(9, db.SelectInt("T", "N", "ID=7"));

  KxQuery query;
  ASSERT_TRUE(query.Open(db, "select ID,N from T order by ID"));
  EXPECT_EQ(1, query.GetInt("ID"));
  EXPECT_EQ(-1, query.GetInt("id")) << "column names compare case-sensitively";
  EXPECT_TRUE(query.GetText("n").IsEmpty());
  EXPECT_TRUE(query.Next());
  EXPECT_EQ(9, query.GetInt("N"));
  EXPECT_TRUE(query.Next()) << "the end of the set is not an error";
  EXPECT_TRUE(query.Eof());
  EXPECT_EQ(-1, query.ColumnIndex("ID")) << "no row is current";
  EXPECT_FALSE(query.Next());
  query.Close();

  EXPECT_FALSE(query.Open(db, "select nothing from nowhere"));
  EXPECT_TRUE(query.Eof());

  EXPECT_TRUE(db.UpdateText("T", "Value", "all", ""));
  EXPECT_EQ(2, db.Count("T", "Value='all'")) << "an empty where clause updates every row";
  EXPECT_FALSE(db.UpdateInt("T", "NOPE", 1, ""));
}

TEST_F(DbFile, BlobsAndTheirFailures) {
  ASSERT_TRUE(db.Exec("Insert Into T (ID) values(1)"));
  const char bytes[] = {'a', 0, 'b', '\xff', 0};
  EXPECT_TRUE(db.UpdateBlob("T", "B", bytes, 5, "ID=1"));
  KxString buffer;
  ASSERT_TRUE(db.SelectBlob("T", "B", "ID=1", buffer));
  EXPECT_TRUE(buffer == KxString(bytes, 5));

  EXPECT_TRUE(db.ExecWithBlob("Update T set B=? where ID=1", nullptr, 5));
  EXPECT_TRUE(Scalar("select typeof(B) from T") == "null");
  ASSERT_TRUE(db.SelectBlob("T", "B", "ID=1", buffer));
  EXPECT_EQ(0, buffer.Length());

  buffer = "kept";
  EXPECT_FALSE(db.SelectBlob("T", "B", "ID=99", buffer));
  EXPECT_TRUE(buffer == "kept");

  // A statement that prepares but fails when it runs is a failure, not a success.
  EXPECT_FALSE(db.ExecWithBlob("Insert Into T (ID,B) values(1,?)", bytes, 5)) << "duplicate key";
  EXPECT_FALSE(db.ExecWithBlob("Insert Into T (ID,Value,B) values(2,NULL,?)", bytes, -1));
  EXPECT_FALSE(db.ExecWithBlob("Insert Into NOWHERE (B) values(?)", bytes, 5));
  EXPECT_EQ(1, db.Count("T", ""));
}

TEST_F(DbFile, GbkTextIsStoredAsItsOwnBytes) {
  const KxString text = "提示'it''s";  // narrow literals are GBK
  ASSERT_TRUE(db.Exec("Insert Into T (ID) values(1)"));
  ASSERT_TRUE(db.UpdateText("T", "Value", text, "ID=1"));
  EXPECT_TRUE(Scalar("select hex(Value) from T") == "CCE1CABE276974272773")
      << Scalar("select hex(Value) from T").CStr();
  EXPECT_TRUE(db.SelectText("T", "Value", "ID=1") == text);
}

// Every statement checked in a transaction lands, or none does; inside one that is open
// already, its statements are the outer one's to keep or drop.
TEST_F(DbFile, ATransactionKeepsAllOrNothing) {
  const struct {
    const char* name;
    bool secondDone;
    bool finish;
    bool finished;
    const char* rows;
  } cases[] = {
      {"all done", true, true, true, "2"},
      {"one failed", false, true, false, "0"},
      {"gone without Finish", true, false, false, "0"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(db.Exec("delete from T"));
    {
      KxTransaction edit(db);
      EXPECT_TRUE(edit.IsOpen()) << c.name;
      edit.Check(db.Exec("insert into T (Value) values ('a')"));
      edit.Check(db.Exec("insert into T (Value) values ('b')"));
      edit.Check(c.secondDone);
      if (c.finish) {
        EXPECT_EQ(c.finished, edit.Finish()) << c.name;
      }
    }
    EXPECT_EQ(c.rows, Scalar("select count(*) from T")) << c.name;
  }

  ASSERT_TRUE(db.Exec("delete from T"));
  ASSERT_TRUE(db.Begin());
  {
    KxTransaction inner(db);
    EXPECT_FALSE(inner.IsOpen());
    inner.Check(db.Exec("insert into T (Value) values ('c')"));
    EXPECT_TRUE(inner.Finish()) << "the statements ran";
  }
  EXPECT_EQ("1", Scalar("select count(*) from T")) << "the inner one rolled nothing back";
  ASSERT_TRUE(db.Rollback());
  EXPECT_EQ("0", Scalar("select count(*) from T")) << "nor did it commit";
}

TEST(DbOpen, PathWithChineseCharacters) {
  KxString dir = MakeScratchDir("kxdb-open");
  KxString sub = dir + "\\数据 目录";
  ASSERT_TRUE(CreateDirectoryA(sub.CStr(), NULL));
  KxString path = sub + "\\配置.db";
  {
    KxDb db;
    ASSERT_TRUE(db.Open(path));
    EXPECT_TRUE(db.Exec("create table A (X INTEGER)"));
    EXPECT_TRUE(db.Close());
  }
  EXPECT_TRUE(FileExistsAt(path));
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((sub + "\\*.db").CStr(), &found);
  ASSERT_NE(INVALID_HANDLE_VALUE, search);
  EXPECT_STREQ("配置.db", found.cFileName);
  EXPECT_FALSE(FindNextFileA(search, &found)) << "a second, mis-named file";
  FindClose(search);
  RemoveTree(dir);
}

TEST(DbOpen, OpensOnceAndRefusesWhatIsNoDatabase) {
  KxString dir = MakeScratchDir("kxdb-refuse");
  KxString good = dir + "\\good.db";
  KxString big;
  {
    KxDb db;
    ASSERT_TRUE(db.Open(good));
    EXPECT_TRUE(db.Open(dir + "\\other.db")) << "an open connection answers true";
    EXPECT_FALSE(FileExistsAt(dir + "\\other.db"));
    ASSERT_TRUE(db.Exec("create table A (X VARCHAR(200))"));
    ASSERT_TRUE(db.Begin());
    for (int i = 0; i < 200; ++i) {
      db.Exec("Insert Into A (X) values(" + SqlQuote(KxString('x', 150)) + ")");
    }
    ASSERT_TRUE(db.Commit());
    db.Close();
    big = ReadFileBytes(good);
    ASSERT_GT(big.Length(), 16384);
  }
  const struct {
    const char* name;
    KxString bytes;
  } unreadable[] = {
      {"text.db", "这是一个文本文件, not a database\r\n"},
      {"half.db", big.Mid(big.Length() / 2, 0)},
      {"header.db", big.Mid(60, 0)},
      {"pages.db", big.Mid(8192, 0)},
  };
  for (const auto& u : unreadable) {
    KxString file = dir + "\\" + u.name;
    ASSERT_TRUE(WriteFileBytes(file, u.bytes));
    KxDb db;
    EXPECT_FALSE(db.Open(file)) << u.name;
    EXPECT_FALSE(db.IsOpen());
    EXPECT_TRUE(ReadFileBytes(file) == u.bytes) << u.name << " was changed";
    EXPECT_FALSE(FileExistsAt(file + "-journal")) << u.name;
  }
  KxDb db;
  EXPECT_FALSE(db.Open(dir + "\\no such folder\\x.db"));
  EXPECT_FALSE(db.Open(""));
  EXPECT_FALSE(db.IsOpen());
  RemoveTree(dir);
}

TEST(DbDurability, RowsSurviveAKillRightAfterTheWrites) {
  KxString dir = MakeScratchDir("kxdb-kill");
  KxString path = dir + "\\burst.db", marker = dir + "\\written";
  const int kRows = 60;
  HANDLE writer = StartProcess(TestBinDir() + "\\velix_store_writer.exe",
                               "\"" + path + "\" \"" + marker + "\" " + KxString::FromInt(kRows), dir);
  ASSERT_NE(nullptr, writer);
  bool written = WaitFor([&] { return FileExistsAt(marker); }, 30000);
  DWORD early = 0;
  GetExitCodeProcess(writer, &early);
  EXPECT_TRUE(TerminateProcess(writer, 9));
  WaitProcess(writer, 5000, nullptr);
  CloseHandle(writer);
  ASSERT_TRUE(written) << "the writer did not finish, exit code " << early;

  KxDb db;
  ASSERT_TRUE(db.Open(path));
  EXPECT_EQ(kRows, db.Count("BURST", ""));
  EXPECT_EQ(kRows, db.Count("BURST", "length(B)=ID"));
  EXPECT_TRUE(db.SelectText("BURST", "T", "ID=60") == "行60");
  KxQuery check;
  check.Open(db, "PRAGMA integrity_check");
  EXPECT_TRUE(check.TextAt(0) == "ok") << check.TextAt(0).CStr();
  check.Close();
  db.Close();
  RemoveTree(dir);
}

}  // namespace
