// The database format as it lands in real files: the tables, the index and the default
// rows of a new file, what an existing file keeps, the first-use test by the stored
// machine identity, and the start-up refusing a file that is no database.

#include <gtest/gtest.h>

#include "sqlite3.h"
#include "store/ModuleRecord.h"
#include "store/Schema.h"
#include "tests/store/StoreTestUtil.h"

using namespace storetest;

namespace {

class SchemaFile : public ::testing::Test {
protected:
  void SetUp() override {
    TheDb.Close();
    dir = MakeScratchDir("schema");
    path = dir + "\\Config.db";
  }
  void TearDown() override {
    TheDb.Close();
    RemoveTree(dir);
  }
  // Builds a file with the given statements, then runs the table step on it.
  void Bootstrap(const std::vector<const char*>& before) {
    ASSERT_TRUE(TheDb.Open(path));
    for (const char* sql : before) ASSERT_TRUE(TheDb.Exec(sql)) << sql;
    CreateMissingTables();
  }
  KxString dir, path;
};

// Refuses every insert into one table, as a failing default row would.
int DenyInsertInto(void* table, int action, const char* name, const char*, const char*,
                   const char*) {
  bool denied = action == SQLITE_INSERT && name && lstrcmpA(name, static_cast<const char*>(table)) == 0;
  return denied ? SQLITE_DENY : SQLITE_OK;
}

TEST_F(SchemaFile, EmptyFileGetsExactlyTheFormatOnce) {
  Bootstrap({});
  EXPECT_EQ(ExpectedSchema(), Schema(TheDb));
  EXPECT_EQ(std::vector<std::string>{"1|1|数据库版本"}, SysRows(TheDb));
  EXPECT_EQ(DefaultModuleRows(), ModuleRows(TheDb));
  EXPECT_EQ(0, RowsOfEmptyTables(TheDb));

  CreateMissingTables();
  EXPECT_EQ(ExpectedSchema(), Schema(TheDb));
  EXPECT_EQ(1, TheDb.Count("KX_SYS", ""));
  EXPECT_EQ(2, TheDb.Count("KX_MODULE", ""));
}

TEST_F(SchemaFile, ExistingTablesAndTheirRowsAreKept) {
  Bootstrap({"create table KX_SYS (ID INTEGER not null PRIMARY KEY,Value VARCHAR(100) NOT NULL,"
             "Ms VARCHAR(80))",
             "Insert Into KX_SYS (ID,Value,Ms) values(1,'1','数据库版本')",
             "Insert Into KX_SYS (ID,Value,Ms) values(5,'2008-03-07','check update date')"});
  EXPECT_EQ((std::vector<std::string>{"1|1|数据库版本", "5|2008-03-07|check update date"}),
            SysRows(TheDb));
  EXPECT_EQ(DefaultModuleRows(), ModuleRows(TheDb));
  EXPECT_EQ(9u, Schema(TheDb).size());
}

TEST_F(SchemaFile, TableInOtherLetterCaseIsLeftAloneAndTheRestIsMade) {
  Bootstrap({"create table kx_sys (ID INTEGER,Value VARCHAR(10),Ms VARCHAR(10))",
             "insert into kx_sys values(9,'mine','x')"});
  std::vector<std::string> schema = Schema(TheDb);
  ASSERT_EQ(9u, schema.size());
  EXPECT_EQ("table|kx_sys|kx_sys|CREATE TABLE kx_sys (ID INTEGER,Value VARCHAR(10),Ms VARCHAR(10))",
            schema[0]);
  EXPECT_EQ(std::vector<std::string>(ExpectedSchema().begin() + 1, ExpectedSchema().end()),
            std::vector<std::string>(schema.begin() + 1, schema.end()));
  EXPECT_EQ(std::vector<std::string>{"9|mine|x"}, SysRows(TheDb)) << "no version row slipped in";
  EXPECT_EQ(DefaultModuleRows(), ModuleRows(TheDb));
}

TEST_F(SchemaFile, TableComesWithItsDefaultRowOrNotAtAll) {
  ASSERT_TRUE(TheDb.Open(path));
  char table[] = "KX_MODULE";
  sqlite3_set_authorizer(TheDb.Connection(), DenyInsertInto, table);
  CreateMissingTables();
  sqlite3_set_authorizer(TheDb.Connection(), nullptr, nullptr);
  KxStringList names;
  TheDb.TableNames(names);
  EXPECT_EQ(7, names.Count());
  EXPECT_FALSE(names.Contains("KX_MODULE"));

  CreateMissingTables();  // the next start
  std::vector<std::string> schema = Schema(TheDb);
  ASSERT_EQ(9u, schema.size());
  EXPECT_EQ(ExpectedSchema()[5], schema[8]);
  EXPECT_EQ(DefaultModuleRows(), ModuleRows(TheDb));
}

// A store from before the quick search gets its row at the next start; a choice made
// since is the user's and stays.
TEST_F(SchemaFile, ANewModuleKindGetsItsDefaultRowOnceAndKeepsTheChoiceMadeSince) {
  Bootstrap({});
  ASSERT_TRUE(TheDb.DeleteWhere("KX_MODULE", "M_TYPE=115"));
  CreateMissingTables();
  EXPECT_EQ(DefaultModuleRows(), ModuleRows(TheDb));

  ASSERT_TRUE(UpdateModuleKind(kModuleSearch, 0, false, true));
  CreateMissingTables();
  EXPECT_EQ(1, TheDb.Count("KX_MODULE", "M_TYPE=115 and M_HK=0 and M_FLAG=1"));
  EXPECT_EQ(2, TheDb.Count("KX_MODULE", ""));

  // Ctrl+Alt+Space given to a plug-in before: the new row comes with its hotkey off.
  ASSERT_TRUE(TheDb.DeleteWhere("KX_MODULE", "M_TYPE=115"));
  ASSERT_TRUE(TheDb.Exec("insert into KX_PLUGIN (P_ID,P_HK,P_STATUS) values ('7',2097155,2)"));
  CreateMissingTables();
  EXPECT_EQ(1, TheDb.Count("KX_MODULE", "M_TYPE=115 and M_HK=2097155 and M_FLAG=1"));
}

TEST_F(SchemaFile, FirstUseIsDecidedByTheStoredIdentity) {
  Bootstrap({});
  const KxString identity = "00 1a 2b 3c 4d 5e ";
  const std::string stored = "4|" + std::string(identity.CStr()) + "|是否首次使用";
  EXPECT_TRUE(CheckFirstUse(identity)) << "a new file";
  EXPECT_EQ((std::vector<std::string>{"1|1|数据库版本", stored}), SysRows(TheDb));
  EXPECT_FALSE(CheckFirstUse(identity)) << "the same machine again";

  // A file copied from another machine, and one whose identity was stored empty.
  for (const char* other : {"00 00 5e 00 53 01 ", ""}) {
    if (identity == other) continue;
    ASSERT_TRUE(TheDb.UpdateText("KX_SYS", "Value", other, "ID=4"));
    EXPECT_TRUE(CheckFirstUse(identity)) << "[" << other << "]";
    EXPECT_EQ((std::vector<std::string>{"1|1|数据库版本", stored}), SysRows(TheDb));
    EXPECT_FALSE(CheckFirstUse(identity));
  }
}

TEST_F(SchemaFile, StartUpRefusesAFileThatIsNoDatabase) {
  ProgramDirectoryFiles programFiles;
  ProgramDirectoryFiles::WriteIni(dir);
  KxString valid;
  {
    Bootstrap({});
    TheDb.Close();
    valid = ReadFileBytes(path);
  }
  const KxString contents[] = {"[0]\r\nthis is a text file, 不是数据库\r\n",
                               valid.Mid(valid.Length() / 2, 0)};
  for (const KxString& content : contents) {
    ASSERT_TRUE(WriteFileBytes(path, content));
    EXPECT_FALSE(BootstrapStore(Dialogs::Answering(true)));
    EXPECT_FALSE(TheDb.IsOpen());
    EXPECT_TRUE(Dialogs::asked.empty());
    ASSERT_EQ(1u, Dialogs::told.size());
    EXPECT_EQ("数据文件无法读取:" + std::string(path.CStr()) +
                  " 它已损坏或不是数据文件,程序将退出,文件保持原样.",
              Dialogs::told[0]);
    EXPECT_TRUE(ReadFileBytes(path) == content) << "the data file was changed";
    EXPECT_FALSE(FileExistsAt(ProgramDirectoryFiles::Db())) << "no new file beside the program";
  }
}

}  // namespace
