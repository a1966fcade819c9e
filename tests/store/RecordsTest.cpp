// Module, note, plug-in and system records against a real SQLite file: the statements as
// SQLite receives them, the ranged module kinds, the in-menu rule, notes' texts and flags,
// quoted plug-in identifiers, the update-check interval and the kit picture.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kx/base/KxTime.h"
#include "sqlite3.h"
#include "store/KxDb.h"
#include "store/ModuleRecord.h"
#include "store/NoteRecord.h"
#include "store/PluginRecord.h"
#include "store/Schema.h"
#include "store/SysValues.h"
#include "tests/store/StoreTestUtil.h"
#include "tests/support/TestUtil.h"

namespace {

using Texts = std::vector<std::string>;

int RecordWrite(unsigned type, void* context, void*, void* sql) {
  if (type == SQLITE_TRACE_STMT && sql) {
    std::string text = static_cast<const char*>(sql);
    if (text.compare(0, 6, "SELECT") != 0) static_cast<Texts*>(context)->push_back(text);
  }
  return 0;
}

class RecordStore : public ::testing::Test {
protected:
  void SetUp() override {
    dir = MakeScratchDir("records");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    const char* const tables[] = {kCreateSysTable, kCreateDataTable, kCreateNoteTable,
                                  kCreateModuleTable, kCreatePluginTable};
    for (const char* sql : tables) ASSERT_TRUE(TheDb.Exec(sql)) << sql;
  }
  void TearDown() override {
    TheDb.Close();
    RemoveTree(dir);
  }

  static std::vector<std::string> Rows(const KxString& sql) { return storetest::Rows(TheDb, sql); }

  // The statements other than SELECTs that run sends to SQLite.
  template <typename F>
  static Texts Writes(F run) {
    Texts writes;
    sqlite3_trace_v2(TheDb.Connection(), SQLITE_TRACE_STMT, RecordWrite, &writes);
    run();
    sqlite3_trace_v2(TheDb.Connection(), 0, nullptr, nullptr);
    return writes;
  }

  KxString dir;
};

KxTime At(int year, int month, int day) {
  KxTime time;
  time.year = static_cast<unsigned short>(year);
  time.month = static_cast<unsigned short>(month);
  time.day = static_cast<unsigned short>(day);
  time.hour = 12;
  time.minute = 0;
  time.second = 0;
  return time;
}

}  // namespace

TEST(RecordSql, BuiltTextsAreExact) {
  ModuleRecord left;
  left.type = kModuleLeftMenu;
  left.hotKey = 11;
  left.name = "LeftMenu";
  left.flags = kModuleHotKeyOn;
  NoteRecord note;
  note.id = 3;
  note.left = -20;
  note.top = 10;
  note.width = 200;
  note.height = 150;
  note.flags = kNoteTopmost | kNoteSized | (2 << kNoteColorShift);  // a clone is never topmost
  note.created = "2008-03-07";
  note.modified = "2008-03-07";
  PluginRecord plugin;
  plugin.id = "7'";
  plugin.name = "画图";
  plugin.version = "1.0";
  plugin.path = "C:\\p\\7.dll";
  plugin.orderNo = 2;
  plugin.hotKey = 0x410003;
  plugin.status = 3;
  plugin.description = "d";
  struct Case {
    KxString built;
    const char* expected;
  };
  const Case cases[] = {
      {ModuleInsertSql(left, "2008-03-07"),
       "Insert Into KX_MODULE (M_TYPE,M_ID,M_XH,M_HK,M_NAME,M_MS,M_FLAG,CREATEDATE,MODIDATE,"
       "STATUS) values(110,0,0,11,'LeftMenu','',2,'2008-03-07','2008-03-07',0)"},
      {ModuleKindUpdateSql(110, 11, true, false),
       "update KX_MODULE set M_HK=11,M_FLAG=2 where M_TYPE=110"},
      {ModuleRowUpdateSql(400, 3, 0x340003, false, true),
       "update KX_MODULE set M_HK=3407875,M_FLAG=1 where M_TYPE=400 and M_ID=3"},
      {ModuleByHotKeySql(65538, true),
       "Select M_TYPE,M_ID,M_XH,M_HK,M_NAME,M_MS,M_FLAG from KX_MODULE where M_HK=65538 and "
       "M_FLAG&2=2"},
      {ModuleInMenuSql(400, 0), "Select M_FLAG from KX_MODULE where M_TYPE=400"},
      {ModuleInMenuSql(300, 67), "Select M_FLAG from KX_MODULE where M_TYPE=300 and M_ID=67"},
      {NoteInsertSql(note),
       "Insert Into KX_NOTE (N_ID,N_LEFT,N_TOP,N_WIDTH,N_HEIGHT,N_FLAG,N_PASSWORD,N_SHOW,"
       "CREATEDATE,MODIDATE,STATUS) values(3,-20,10,200,150,10,'',1,'2008-03-07','2008-03-07',0)"},
      {NoteBoundsSql(3, -20, 10, 200, 150),
       "update KX_NOTE set N_LEFT=-20,N_TOP=10,N_WIDTH=200,N_HEIGHT=150 where N_ID=3"},
      {PluginInsertSql(plugin),
       "Insert Into KX_PLUGIN (P_ID,P_XH,P_HK,P_NAME,P_VER,P_PATH,P_MS,P_STATUS) "
       "values('7''',2,4259843,'画图','1.0','C:\\p\\7.dll','d',3)"},
      {PluginUpdateSql(plugin),
       "update KX_PLUGIN set P_NAME='画图',P_VER='1.0',P_PATH='C:\\p\\7.dll',P_HK=4259843,"
       "P_STATUS=3,P_XH=2,P_MS='d' where P_ID='7'''"},
      {PluginByHotKeySql(9, true), "Select * from KX_PLUGIN where P_HK=9 and P_STATUS&2=2"},
      {SysValueInsertSql(1, "1", "数据库版本"),
       "Insert Into KX_SYS (ID,Value,Ms) values(1,'1','数据库版本')"},
      {KitImageInsertSql(), "Insert Into KX_DATA (ID,FLAG,DATA,Ms) Values(1,'',?,'主界面图')"},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.built.CStr(), c.expected);
}

TEST(RecordSql, UpdateCheckIsDueAfterSevenFullDays) {
  struct Case {
    const char* stored;
    bool due;
  };
  // Now is 2008-03-07 at noon; the limit, seven days back, crosses the leap day.
  const Case cases[] = {
      {"2008-03-01", false}, {"2008-02-29", false}, {"2008-02-28", true},
      {"2007-12-31", true},  {"2008-03-07", false}, {"2008-04-01", false},
      {"", false},           {"2008-02-30", false}, {"yesterday!", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsUpdateCheckDueAt(c.stored, At(2008, 3, 7)), c.due) << c.stored;
  }
}

TEST_F(RecordStore, WritesSendTheExactStatements) {
  Texts writes = Writes([] {
    SetPluginHotKey("a'b", 0x410003);
    SetPluginStatus("a'b", 3);
    DeletePlugin("a'b");
    SetNoteShown(4, false);
    HideAllNotesInStore();
    SetNoteTopmost(4, true);
    SetKitImage("PNG");
    SetKitImage("JPG");
  });
  EXPECT_EQ(writes, (Texts{
                        "Update KX_PLUGIN set P_HK='4259843' where P_ID='a''b'",
                        "Update KX_PLUGIN set P_STATUS='3' where P_ID='a''b'",
                        "delete from KX_PLUGIN where P_ID='a''b'",
                        "Update KX_NOTE set N_SHOW=0 where N_ID=4",
                        "Update KX_NOTE set N_SHOW=0",
                        "Update KX_NOTE set N_FLAG=1 where N_ID=4",
                        "Insert Into KX_DATA (ID,FLAG,DATA,Ms) Values(1,'',?,'主界面图')",
                        "Update KX_DATA set DATA=? where ID=1",
                    }));
}

TEST_F(RecordStore, InMenuFollowsTheFirstRowAndDefaultsToShown) {
  EXPECT_TRUE(IsModuleInMenu(kModuleExit, 0));
  EXPECT_TRUE(IsModuleInMenu(kModuleDesktop, 0));
  ModuleRecord row;
  row.type = kModuleDesktop;
  row.id = 5;
  row.flags = kModuleInMenu;
  ASSERT_TRUE(InsertModule(row));
  row.id = 0;
  row.flags = kModuleHotKeyOn;
  ASSERT_TRUE(InsertModule(row));
  EXPECT_TRUE(IsModuleInMenu(kModuleDesktop, 0));  // the first row found, M_ID 5
  row.type = kModuleExplorer;
  row.id = 'C';
  ASSERT_TRUE(InsertModule(row));
  EXPECT_FALSE(IsModuleInMenu(kModuleExplorer, 'C'));
  EXPECT_TRUE(IsModuleInMenu(kModuleExplorer, 'D'));  // no such row yet
  ASSERT_TRUE(SaveExitModule(0, false, false));
  EXPECT_FALSE(IsModuleInMenu(kModuleExit, 0));
}

TEST_F(RecordStore, RangedKindsWriteNineDesktopsAndTwentySixDrives) {
  const int ctrlAlt = 3 | (0x70 << 16);  // the key part is replaced per row
  ASSERT_TRUE(SaveDesktopModules(ctrlAlt, true, true));
  Texts desktops;
  for (int i = 0; i < 9; ++i) {
    desktops.push_back(std::to_string(i) + ":" + std::to_string(i) + ":" +
                       std::to_string(3 | ((49 + i) << 16)) + ":Desktop" + std::to_string(i + 1) +
                       ":3");
  }
  const char* desktopRows =
      "Select M_ID||':'||M_XH||':'||M_HK||':'||M_NAME||':'||M_FLAG as r from KX_MODULE "
      "where M_TYPE=400 order by M_XH";
  EXPECT_EQ(Rows(desktopRows), desktops);

  // Saved again: the same nine rows, updated.
  ASSERT_TRUE(SaveDesktopModules(8, false, true));
  Texts updated = Rows(desktopRows);
  ASSERT_EQ(updated.size(), 9u);
  EXPECT_EQ(updated[8], "8:8:" + std::to_string(8 | (57 << 16)) + ":Desktop9:1");

  ASSERT_TRUE(SaveExplorerModules(4, true, false));
  Texts drives = Rows("Select M_ID||':'||M_XH||':'||M_HK||':'||M_NAME||':'||M_FLAG as r "
                      "from KX_MODULE where M_TYPE=300 order by M_XH");
  ASSERT_EQ(drives.size(), 26u);
  EXPECT_EQ(drives[0], "65:0:" + std::to_string(4 | (65 << 16)) + ":ExplorerA:2");
  EXPECT_EQ(drives[25], "90:25:" + std::to_string(4 | (90 << 16)) + ":ExplorerZ:2");

  // A row that cannot be written undoes the whole kind.
  ASSERT_TRUE(TheDb.Exec("delete from KX_MODULE where M_TYPE=300"));
  ASSERT_TRUE(TheDb.Exec("create trigger refuse before insert on KX_MODULE when new.M_ID=77 "
                         "begin select raise(abort, 'refused'); end"));
  EXPECT_FALSE(SaveExplorerModules(4, true, false));
  EXPECT_FALSE(ModuleKindExists(kModuleExplorer));
}

TEST_F(RecordStore, SingleKindsSaveTheirRowAndKeepFixedMenuValues) {
  struct Case {
    int type;
    int flags;        // as the options window passes them
    int storedFlags;  // as written
    const char* name;
  };
  const Case cases[] = {
      {kModuleWndMain, 3, 3, "WndMain"}, {kModuleTray, 3, 2, "Tray"},
      {kModuleLeftMenu, 1, 0, "LeftMenu"}, {kModuleOption, 0, 1, "Option"},
      {kModuleShutDown, 1, 1, "ShutDown"},
  };
  for (const Case& c : cases) {
    ModuleRecord record;
    record.type = c.type;
    record.hotKey = 0x410000 + c.type;
    record.flags = c.flags;
    ASSERT_TRUE(SaveModule(record));
    ModuleRecord loaded;
    loaded.type = c.type;
    ASSERT_TRUE(LoadModuleOfType(loaded));
    EXPECT_EQ(loaded.flags, c.storedFlags) << c.name;
    EXPECT_EQ(loaded.name, c.name);
    EXPECT_EQ(loaded.hotKey, 0x410000 + c.type);
  }
  // An existing kind: every row gets the same code and flags; an update, not an insert.
  ModuleRecord extra;
  extra.type = kModuleWndMain;
  extra.id = 1;
  ASSERT_TRUE(InsertModule(extra));
  ASSERT_TRUE(SaveWndMainModule(0x20003, false, true));
  EXPECT_EQ(Rows("Select M_ID||':'||M_HK||':'||M_FLAG as r from KX_MODULE where M_TYPE=90 "
                 "order by M_ID"),
            (Texts{"0:131075:1", "1:131075:1"}));

  ModuleRecord found;
  EXPECT_FALSE(FindModuleByHotKey(found, 0x20003, true));  // hotkey off in M_FLAG
  ASSERT_TRUE(FindModuleByHotKey(found, 0x20003, false));
  EXPECT_EQ(found.type, kModuleWndMain);
}

TEST_F(RecordStore, NotesKeepTheirBytesFlagsAndVisibility) {
  NoteRecord note;
  note.left = 10;
  note.top = 20;
  note.width = 300;
  note.height = 200;
  ASSERT_TRUE(InsertNote(note));
  EXPECT_EQ(note.id, 1);
  EXPECT_EQ(Rows("Select N_SHOW||':'||typeof(N_TEXT)||':'||N_PASSWORD||':'||N_FLAG||':'||"
                 "CREATEDATE as r from KX_NOTE"),
            (Texts{std::string("1:null::0:") + KxTime::Today().CStr()}));
  NoteRecord second;
  ASSERT_TRUE(InsertNote(second));
  EXPECT_EQ(second.id, 2);

  KxString text("第一行\r\n\0it's", 13);
  ASSERT_TRUE(SetNoteText(1, text));
  ASSERT_TRUE(SetNoteFlags(1, 6));
  ASSERT_TRUE(SetNoteTopmost(1, true));
  EXPECT_EQ(GetNoteFlags(1), 7);
  ASSERT_TRUE(SetNoteTopmost(1, false));
  EXPECT_EQ(GetNoteFlags(1), 6);
  ASSERT_TRUE(SetNoteColor(1, 5));
  EXPECT_EQ(GetNoteFlags(1), 2 | (5 << kNoteColorShift)) << "the colour replaces bits 2 to 4 only";
  ASSERT_TRUE(SetNoteFlags(1, 0x80));
  ASSERT_TRUE(SaveNoteSize(1, 10, 20, 300, 200));
  EXPECT_EQ(GetNoteFlags(1), 0x80 | kNoteSized);
  EXPECT_EQ(0, NoteColorOf(7 << kNoteColorShift)) << "an index no colour has is yellow";
  // A row an older program wrote without flags takes the bits all the same.
  ASSERT_TRUE(TheDb.Exec("Update KX_NOTE set N_FLAG=NULL where N_ID=2"));
  ASSERT_TRUE(SaveNoteSize(2, 1, 2, 30, 40));
  ASSERT_TRUE(SetNoteColor(2, 3));
  EXPECT_EQ(kNoteSized | (3 << kNoteColorShift), GetNoteFlags(2));
  EXPECT_EQ(4, NoteColorOf(0x81 | (4 << kNoteColorShift)));
  ASSERT_TRUE(SetNoteShown(1, false));

  NoteList list;
  LoadNotes(list);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.At(0)->text, text);
  EXPECT_FALSE(list.At(0)->visible);
  EXPECT_EQ(list.At(0)->width, 300);
  EXPECT_TRUE(list.At(1)->visible);
  EXPECT_TRUE(list.At(1)->text.IsEmpty());

  // A note that is not stored has no identifier to open a window for.
  ASSERT_TRUE(TheDb.Exec("drop table KX_NOTE"));
  NoteRecord lost;
  EXPECT_FALSE(InsertNote(lost));
  EXPECT_EQ(lost.id, 0);
}

TEST_F(RecordStore, PluginIdentifiersAreMatchedExactly) {
  const char* const ids[] = {"9", "10", "a'b", "a'b'"};
  for (const char* id : ids) {
    PluginRecord record;
    record.id = id;
    record.path = KxString("C:\\") + id + ".dll";
    record.hotKey = 0x10002;
    record.status = id[0] == '9' ? kPluginHotKeyOn : kPluginInMenu;
    ASSERT_TRUE(InsertPlugin(record)) << id;
  }
  EXPECT_TRUE(PluginExists("a'b"));
  EXPECT_FALSE(PluginExists("a"));
  EXPECT_EQ(GetPluginPath("a'b"), "C:\\a'b.dll");

  ASSERT_TRUE(SetPluginHotKey("a'b", 0x410003));
  EXPECT_EQ(Rows("Select typeof(P_HK)||':'||P_HK as r from KX_PLUGIN where P_ID='a''b'"),
            (Texts{"integer:4259843"}));

  PluginRecord found;
  ASSERT_TRUE(FindPluginByHotKey(found, 0x10002, true));
  EXPECT_EQ(found.id, "9");
  ASSERT_TRUE(SetPluginStatus("9", 0));
  EXPECT_FALSE(FindPluginByHotKey(found, 0x10002, true));

  PluginList list;
  LoadPlugins(list);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.At(0)->id, "10");  // text order
  EXPECT_EQ(list.At(1)->path, "C:\\9.dll");
}

TEST_F(RecordStore, SystemValuesAndTheKitPicture) {
  ASSERT_TRUE(InsertSysValue(kSysDbVersion, "1", "数据库版本"));
  EXPECT_EQ(GetDbVersion(), "1");
  EXPECT_EQ(GetSysValue(kSysUpdateCheckDate), "");
  EXPECT_FALSE(IsUpdateCheckDue());

  KxTime old;
  old.AddDays(-8);
  ASSERT_TRUE(InsertSysValue(kSysUpdateCheckDate, old.DateText(), "check update date"));
  EXPECT_TRUE(IsUpdateCheckDue());
  ASSERT_TRUE(SetUpdateCheckDate());
  EXPECT_FALSE(IsUpdateCheckDue());
  EXPECT_EQ(Rows("Select Value||':'||Ms as r from KX_SYS where ID=5"),
            (Texts{std::string(KxTime::Today().CStr()) + ":check update date"}));

  // The description-time floor: none yet is 0; a value that is no plain number is unknown.
  long long floor = -1;
  EXPECT_TRUE(GetDescriptionTime(floor));
  EXPECT_EQ(0, floor);
  for (const char* stored : {"x", "", "1234567890123456789"}) {
    ASSERT_TRUE(TheDb.Exec(KxString("delete from KX_SYS where ID=6")));
    ASSERT_TRUE(InsertSysValue(kSysDescriptionTime, stored, "update description time"));
    EXPECT_FALSE(GetDescriptionTime(floor)) << stored;
  }
  ASSERT_TRUE(SetDescriptionTime(1800000000));
  EXPECT_TRUE(GetDescriptionTime(floor));
  EXPECT_EQ(1800000000, floor);

  KxString picture("stays");
  EXPECT_FALSE(GetKitImage(picture));
  EXPECT_EQ(picture, "stays");
  KxString bytes("\x89PNG\0\0\x01", 7);
  ASSERT_TRUE(SetKitImage(bytes));
  ASSERT_TRUE(SetKitImage(bytes + "!"));
  ASSERT_TRUE(GetKitImage(picture));
  EXPECT_EQ(picture, bytes + "!");
  EXPECT_EQ(Rows("Select count(1)||':'||FLAG||':'||Ms as r from KX_DATA"),
            (Texts{"1::主界面图"}));
}
