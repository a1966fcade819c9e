// The shortcut records of KX_SOFT against a real SQLite file: the statements built, the
// S_FLAG bits, the dense sibling orders kept by insert and delete, icons, and inserts that
// fail.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/KxDb.h"
#include "store/LaunchRecord.h"
#include "store/Schema.h"
#include "store/ShortcutRecord.h"
#include "tests/store/StoreTestUtil.h"
#include "tests/support/TestUtil.h"

namespace {

class ShortcutStore : public ::testing::Test {
protected:
  void SetUp() override {
    dir = MakeScratchDir("shortcut-records");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    ASSERT_TRUE(TheDb.Exec(kCreateSoftTable));
    ASSERT_TRUE(TheDb.Exec(kCreateSoftIndex));
  }
  void TearDown() override {
    TheDb.Close();
    RemoveTree(dir);
  }

  static std::vector<std::string> Rows(const KxString& sql) { return storetest::Rows(TheDb, sql); }

  // "id:order" of the children of parentId, by id.
  static std::vector<std::string> Orders(int parentId) {
    KxString sql = "Select S_ID||':'||S_ORDERID as r from KX_SOFT where S_PID=" +
                   KxString::FromInt(parentId) + " order by S_ID";
    return Rows(sql.CStr());
  }

  static short Add(int kind, int parentId, int orderId, const char* text = "x") {
    ShortcutRecord record;
    record.kind = kind;
    record.parentId = static_cast<short>(parentId);
    record.orderId = orderId;
    record.text = text;
    EXPECT_TRUE(InsertShortcut(record));
    return record.id;
  }

  KxString dir;
};

using Texts = std::vector<std::string>;

}  // namespace

TEST(ShortcutSql, TextsAreExact) {
  ShortcutRecord item;
  item.kind = kShortcutItem;
  item.id = 7;
  item.orderId = 2;
  item.parentId = 3;
  item.flagA = true;
  item.text = "it's";
  item.path = "C:\\a b\\x.exe";
  ShortcutRecord separator;
  separator.kind = kShortcutSeparator;
  separator.id = 9;
  separator.flagB = true;
  struct Case {
    KxString built;
    const char* expected;
  };
  const Case cases[] = {
      {ShortcutLoadSql(), "Select * from KX_SOFT order by S_PID,S_ORDERID"},
      {ShortcutLoadSql(ShortcutIcons::kSkip),
       "Select S_ID,S_ORDERID,S_PID,S_FLAG,S_TEXT,S_PATH from KX_SOFT order by S_PID,S_ORDERID"},
      {ShortcutInsertSql(item),
       "Insert Into KX_SOFT (S_ID,S_ORDERID,S_PID,S_FLAG,S_TEXT,S_PATH,S_ICO) "
       "Values(7,2,3,12,'it''s','C:\\a b\\x.exe',?)"},
      {ShortcutUpdateSql(item),
       "update KX_SOFT set S_FLAG=12,S_TEXT='it''s',S_PATH='C:\\a b\\x.exe',S_ICO=? where S_ID=7"},
      {ShortcutUpdateSql(separator),
       "update KX_SOFT set S_FLAG=18,S_TEXT='',S_PATH='',S_ICO=? where S_ID=9"},
      {ShiftShortcutOrdersSql(2, 0, 1, OrderShift::kUp),
       "Update KX_SOFT set S_ORDERID=S_ORDERID+1 where S_PID=0 and S_ORDERID>=2"},
      {ShiftShortcutOrdersSql(0, 12, 3, OrderShift::kDown),
       "Update KX_SOFT set S_ORDERID=S_ORDERID-3 where S_PID=12 and S_ORDERID>=0"},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.built.CStr(), c.expected);
}

TEST(ShortcutSql, FlagBitsBothWays) {
  ShortcutRecord made;  // as the maintenance tree creates a shortcut
  made.kind = kShortcutItem;
  made.flagA = true;
  EXPECT_EQ(EncodeShortcutFlags(made), 12);
  made.kind = kShortcutGroup;
  made.flagB = true;
  EXPECT_EQ(EncodeShortcutFlags(made), 25);
  made.kind = kShortcutSeparator;
  made.flagA = made.flagB = false;
  EXPECT_EQ(EncodeShortcutFlags(made), 2);

  struct Decode {
    int flags;
    int kind;
    bool a, b;
  };
  const Decode decodes[] = {
      {1, kShortcutGroup, false, false},     {2, kShortcutSeparator, false, false},
      {12, kShortcutItem, true, false},      {5, kShortcutItem, false, false},
      {3, kShortcutSeparator, false, false}, {7, kShortcutItem, false, false},
      {0, kShortcutItem, false, false},      {25, kShortcutGroup, true, true},
      {18, kShortcutSeparator, false, true},
  };
  for (const Decode& d : decodes) {
    ShortcutRecord record;
    record.flagA = !d.a;
    record.flagB = !d.b;
    DecodeShortcutFlags(d.flags, record);
    EXPECT_EQ(record.kind, d.kind) << d.flags;
    EXPECT_EQ(record.flagA, d.a) << d.flags;
    EXPECT_EQ(record.flagB, d.b) << d.flags;
  }
}

TEST_F(ShortcutStore, InsertOpensAPlaceAndDeleteClosesIt) {
  EXPECT_EQ(Add(kShortcutGroup, 0, 0), 1);  // the first row gets S_ID 1
  Add(kShortcutItem, 1, 0);                 // 2
  Add(kShortcutItem, 1, 1);                 // 3
  Add(kShortcutItem, 1, 2);                 // 4
  Add(kShortcutItem, 0, 1);                 // 5, another parent

  EXPECT_EQ(Add(kShortcutItem, 1, 0), 6);
  EXPECT_EQ(Orders(1), (Texts{"2:1", "3:2", "4:3", "6:0"}));
  EXPECT_EQ(Orders(0), (Texts{"1:0", "5:1"}));

  // Row 3 (at 2) becomes a group with two children; deleting it leaves them alone.
  ASSERT_TRUE(TheDb.Exec("Update KX_SOFT set S_FLAG=1 where S_ID=3"));
  Add(kShortcutItem, 3, 0);  // 7
  Add(kShortcutItem, 3, 1);  // 8
  ASSERT_TRUE(DeleteShortcut(3, 2, 1));
  EXPECT_EQ(Orders(1), (Texts{"2:1", "4:2", "6:0"}));
  EXPECT_EQ(Orders(3), (Texts{"7:0", "8:1"}));
}

TEST_F(ShortcutStore, RowsLoadInTreeOrderWithTextsFlagsAndIcons) {
  ShortcutRecord item;
  item.kind = kShortcutItem;
  item.flagA = true;
  item.text = "it's \"记事本\"";
  item.path = "C:\\Windows\\notepad.exe";
  item.icon.Reset(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
  ASSERT_TRUE(InsertShortcut(item));                      // 1: top level at 0
  Add(kShortcutGroup, 0, 0, "组");                        // 2: top level at 0, item to 1
  Add(kShortcutSeparator, 2, 0, "");                      // 3
  ASSERT_TRUE(TheDb.Exec("Insert Into KX_SOFT (S_ID,S_ORDERID,S_PID,S_FLAG) "
                         "Values(40000,5,0,4)"));         // does not fit 16 bits

  EXPECT_EQ(Rows("Select S_ID||':'||typeof(S_ICO)||':'||S_FLAG as r from KX_SOFT order by S_ID"),
            (Texts{"1:blob:12", "2:null:1", "3:null:2", "40000:null:4"}));

  // Without icons the same records, none with an icon.
  for (ShortcutIcons icons : {ShortcutIcons::kSkip, ShortcutIcons::kDecode}) {
    ShortcutList list;
    list.Add(ShortcutRecord());
    LoadShortcuts(list, icons);
    Texts loaded;
    for (const ShortcutRecord& r : list) {
      loaded.push_back(std::to_string(r.id) + ":" + std::to_string(r.orderId) + ":" +
                       std::to_string(r.parentId) + ":" + std::to_string(r.kind) +
                       (r.flagA ? "A" : "") + (r.flagB ? "B" : "") + ":" + r.text.CStr() + ":" +
                       r.path.CStr() + (r.icon.IsEmpty() ? "" : ":icon"));
    }
    const char* icon = icons == ShortcutIcons::kDecode ? ":icon" : "";
    EXPECT_EQ(loaded, (Texts{"2:0:0:0:组:", std::string("1:1:0:1A:") + item.text.CStr() +
                                                 ":C:\\Windows\\notepad.exe" + icon,
                             "3:0:2:2::"}));
  }
  ShortcutList list;
  LoadShortcuts(list);
  const ShortcutRecord* second = list.At(1);
  EXPECT_EQ(IconToBlob(second->icon.Get()), IconToBlob(item.icon.Get()));

  // Update rewrites kind, texts and icon, never the place.
  ShortcutRecord changed = *second;
  changed.kind = kShortcutGroup;
  changed.flagA = false;
  changed.flagB = true;
  changed.text = "a'b";
  changed.icon.Reset();
  changed.orderId = 9;
  changed.parentId = 7;
  ASSERT_TRUE(UpdateShortcut(changed));
  EXPECT_EQ(Rows("Select S_ORDERID||':'||S_PID||':'||S_FLAG||':'||S_TEXT||':'||typeof(S_ICO) "
                 "as r from KX_SOFT where S_ID=1"),
            (Texts{"1:0:17:a'b:null"}));
}

TEST_F(ShortcutStore, AFailedInsertMovesNoSiblingAndGivesNoId) {
  Add(kShortcutItem, 0, 0);
  Add(kShortcutItem, 0, 1);
  ASSERT_TRUE(TheDb.Exec("create trigger refuse before insert on KX_SOFT "
                         "begin select raise(abort, 'refused'); end"));
  ShortcutRecord record;
  record.orderId = 0;
  EXPECT_FALSE(InsertShortcut(record));
  EXPECT_EQ(record.id, 0);
  EXPECT_EQ(Orders(0), (Texts{"1:0", "2:1"}));

  // No 16-bit identifier is left: nothing is shifted either.
  ASSERT_TRUE(TheDb.Exec("drop trigger refuse"));
  ASSERT_TRUE(TheDb.Exec("Insert Into KX_SOFT (S_ID,S_ORDERID,S_PID,S_FLAG) Values(32767,0,9,4)"));
  EXPECT_FALSE(InsertShortcut(record));
  EXPECT_EQ(record.id, 0);
  EXPECT_EQ(Orders(0), (Texts{"1:0", "2:1"}));

  // A refused delete leaves the siblings' orders as they were.
  ASSERT_TRUE(TheDb.Exec("create trigger keep before delete on KX_SOFT "
                         "begin select raise(abort, 'kept'); end"));
  EXPECT_FALSE(DeleteShortcut(1, 0, 0));
  EXPECT_EQ(Orders(0), (Texts{"1:0", "2:1"}));
}

// The start counts follow their row: counted per start with the day, gone with the row,
// and not inherited by a new row that is handed a freed id.
TEST_F(ShortcutStore, StartsAreCountedAndGoWithTheirRow) {
  ASSERT_TRUE(TheDb.Exec(kCreateLaunchTable));
  short a = Add(kShortcutItem, 0, 0, "a");
  short b = Add(kShortcutItem, 0, 1, "b");
  for (short id : {a, a, b}) EXPECT_TRUE(RecordLaunch(id));
  LaunchStats stats;
  LoadLaunchStats(stats);
  EXPECT_EQ(2, stats[a].count);
  EXPECT_EQ(storetest::TodayText(), stats[a].lastDate.CStr());
  EXPECT_EQ(1, stats[b].count);

  ASSERT_TRUE(DeleteShortcut(b, 1, 0));
  LoadLaunchStats(stats);
  EXPECT_EQ(0u, stats.count(b));

  // Left behind by a program that keeps no counts.
  ASSERT_TRUE(TheDb.Exec("insert into KX_LAUNCH values (" + KxString::FromInt(b) + ",5,'2020-01-01')"));
  EXPECT_EQ(b, Add(kShortcutItem, 0, 1, "new"));
  LoadLaunchStats(stats);
  EXPECT_EQ((std::vector<size_t>{1, 0}), (std::vector<size_t>{stats.count(a), stats.count(b)}));
}
