// The recently deleted notes against a real SQLite file: a move keeps every column and is
// whole or nothing, ids are never given twice, a restore takes a new id when its old one
// was taken, the purge keeps the last 30 days; and the texts the manager reads from a note.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sqlite3.h"
#include "store/KxDb.h"
#include "store/NoteRecord.h"
#include "store/NoteText.h"
#include "store/Schema.h"
#include "tests/store/StoreTestUtil.h"

namespace {

KxTime At(int year, int month, int day, int hour, int minute, int second) {
  KxTime time;
  time.year = static_cast<unsigned short>(year);
  time.month = static_cast<unsigned short>(month);
  time.day = static_cast<unsigned short>(day);
  time.hour = static_cast<unsigned short>(hour);
  time.minute = static_cast<unsigned short>(minute);
  time.second = static_cast<unsigned short>(second);
  return time;
}

// Every column but N_ID (and DELETEDATE), as one text.
const char kColumns[] =
    "N_LEFT||'|'||N_TOP||'|'||N_WIDTH||'|'||N_HEIGHT||'|'||N_FLAG||'|'||hex(N_TEXT)||'|'||"
    "N_PASSWORD||'|'||N_SHOW||'|'||CREATEDATE||'|'||MODIDATE||'|'||STATUS";

int DenyDeleteFrom(void* table, int action, const char* name, const char*, const char*, const char*) {
  bool denied = action == SQLITE_DELETE && name && lstrcmpA(name, static_cast<const char*>(table)) == 0;
  return denied ? SQLITE_DENY : SQLITE_OK;
}

class DeletedNotes : public ::testing::Test {
protected:
  void SetUp() override {
    dir = MakeScratchDir("deleted-notes");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
  }
  void TearDown() override {
    TheDb.Close();
    RemoveTree(dir);
  }
  static std::string Row(const char* table, int id) {
    std::vector<std::string> rows = storetest::Rows(
        TheDb, KxString("select ") + kColumns + " from " + table + " where N_ID=" + KxString::FromInt(id));
    return rows.empty() ? "" : rows[0];
  }
  KxString dir;
};

TEST_F(DeletedNotes, MovesKeepEveryColumnAndNeverGiveAnIdTwice) {
  NoteRecord first, second;
  first.left = -20;
  first.top = 30;
  first.width = 200;
  first.height = 90;
  ASSERT_TRUE(InsertNote(first));
  ASSERT_TRUE(InsertNote(second));
  ASSERT_TRUE(SetNoteText(1, KxString("第一行\r\n\0it's", 13)));
  ASSERT_TRUE(SetNoteFlags(1, 0x1D));
  ASSERT_TRUE(SetNoteShown(1, false));
  ASSERT_TRUE(TheDb.Exec("Update KX_NOTE set CREATEDATE='2001-02-03',MODIDATE='2004-05-06'"));
  const std::string stored = Row("KX_NOTE", 1);

  ASSERT_TRUE(MoveNoteToDeleted(1, At(2008, 3, 7, 9, 5, 1)));
  EXPECT_EQ("", Row("KX_NOTE", 1));
  EXPECT_EQ(stored, Row("KX_NOTE_DELETED", 1));
  EXPECT_EQ("2008-03-07 09:05:01", TheDb.SelectText("KX_NOTE_DELETED", "DELETEDATE", "N_ID=1"));
  ASSERT_TRUE(MoveNoteToDeleted(2, At(2008, 3, 8, 0, 0, 0)));
  EXPECT_EQ(0, TheDb.Count("KX_NOTE", ""));
  EXPECT_EQ(3, NextNoteId()) << "ids of deleted notes stay taken";
  NoteList deleted;
  LoadDeletedNotes(deleted);
  ASSERT_EQ(2, deleted.Count());
  EXPECT_EQ(2, deleted.At(0)->id) << "the latest deletion first";
  EXPECT_EQ(KxString("第一行\r\n\0it's", 13), deleted.At(1)->text);
  EXPECT_EQ(0x1D, deleted.At(1)->flags);

  // An older copy of the program knows only KX_NOTE and gives out 1 and 2 again.
  ASSERT_TRUE(TheDb.Exec("insert into KX_NOTE (N_ID,N_LEFT) values (1,5)"));
  ASSERT_TRUE(TheDb.Exec("insert into KX_NOTE (N_ID,N_LEFT) values (2,6)"));
  EXPECT_EQ(3, RestoreDeletedNote(1)) << "its old id is taken";
  std::string restored = stored;
  restored.replace(restored.find("|0|2001"), 2, "|1");  // back shown
  EXPECT_EQ(restored, Row("KX_NOTE", 3));
  EXPECT_EQ(5, TheDb.SelectInt("KX_NOTE", "N_LEFT", "N_ID=1")) << "the older copy's note is left alone";
  EXPECT_FALSE(TheDb.Exists("KX_NOTE_DELETED", "N_ID=1"));
  ASSERT_TRUE(MoveNoteToDeleted(2));
  EXPECT_EQ(6, TheDb.SelectInt("KX_NOTE_DELETED", "N_LEFT", "N_ID=4")) << "2 is held by a deleted note: a new id";
  EXPECT_TRUE(TheDb.Exists("KX_NOTE_DELETED", "N_ID=2"));
  EXPECT_EQ(2, RestoreDeletedNote(2)) << "its old id is free again";
  EXPECT_EQ(0, RestoreDeletedNote(9)) << "no such note";

  ASSERT_TRUE(RemoveDeletedNote(4));
  EXPECT_EQ(0, TheDb.Count("KX_NOTE_DELETED", ""));
}

TEST_F(DeletedNotes, AMoveIsWholeOrNothing) {
  NoteRecord note;
  ASSERT_TRUE(InsertNote(note));
  ASSERT_TRUE(MoveNoteToDeleted(note.id));
  ASSERT_TRUE(InsertNote(note));
  struct Case {
    const char* what;
    char table[20];  // the table a delete from is refused
    bool (*run)(int id);
  } cases[] = {
      {"delete", "KX_NOTE", [](int id) { return MoveNoteToDeleted(id); }},
      {"restore", "KX_NOTE_DELETED", [](int) { return RestoreDeletedNote(1) != 0; }},
  };
  for (Case& c : cases) {
    sqlite3_set_authorizer(TheDb.Connection(), DenyDeleteFrom, c.table);
    EXPECT_FALSE(c.run(note.id)) << c.what;
    sqlite3_set_authorizer(TheDb.Connection(), nullptr, nullptr);
    EXPECT_EQ(1, TheDb.Count("KX_NOTE", "")) << c.what;
    EXPECT_EQ(1, TheDb.Count("KX_NOTE_DELETED", "")) << c.what;
    EXPECT_TRUE(TheDb.Exists("KX_NOTE", "N_ID=2")) << c.what;
    // A transaction that cannot begin (one is open already) moves nothing either: each
    // statement would be stored alone.
    ASSERT_TRUE(TheDb.Begin());
    EXPECT_FALSE(c.run(note.id)) << c.what << ", without its own transaction";
    TheDb.Rollback();
  }
}

TEST_F(DeletedNotes, ThePurgeTakesOnlyNotesDeletedMoreThanThirtyDaysAgo) {
  // Now is 2008-03-07 12:00:00; thirty days back crosses the leap day.
  const struct {
    const char* deleted;
    bool kept;
  } cases[] = {
      {"2008-02-06 11:59:59", false}, {"2008-02-06 12:00:00", true}, {"2008-02-29 00:00:00", true},
      {"2007-12-31 23:00:00", false}, {"2008-03-07 12:00:00", true}, {"2008-03-10 08:00:00", true},
  };
  int id = 0;
  for (const auto& c : cases) {
    ASSERT_TRUE(TheDb.Exec("insert into KX_NOTE_DELETED (N_ID,DELETEDATE) values (" + KxString::FromInt(++id) +
                           ",'" + c.deleted + "')"));
  }
  ASSERT_TRUE(PurgeDeletedNotes(At(2008, 3, 7, 12, 0, 0)));
  id = 0;
  for (const auto& c : cases)
    EXPECT_EQ(c.kept, TheDb.Exists("KX_NOTE_DELETED", "N_ID=" + KxString::FromInt(++id))) << c.deleted;
}

// "中文" is D6D0 CEC4: the bytes D0CE, a character of their own, stand across the two.
TEST(NoteText, BlankFirstLineAndFilter) {
  const struct {
    const char* text;
    bool blank;
    const char* firstLine;  // cut to 8 bytes
  } lines[] = {
      {"", true, ""},
      {" \t\r\n  \r\n", true, ""},
      {"  买菜 \t\r\n第二行", false, "买菜"},
      {"\r\n   \r\n\tsecond line\n", false, "second l…"},
      {"一二三四五", false, "一二三四…"},
      {"a一二三四五", false, "a一二三…"},
      {"&amp;", false, "&amp;"},
  };
  for (const auto& c : lines) {
    EXPECT_EQ(c.blank, IsBlankNoteText(c.text)) << c.text;
    EXPECT_STREQ(c.firstLine, NoteFirstLine(c.text, 8).CStr()) << c.text;
  }

  const struct {
    const char* text;
    const char* filter;
    bool matches;
  } filters[] = {
      {"买菜 Milk", "", true},          {"买菜 Milk", "milk", true},  {"买菜 Milk", "MILK", true},
      {"买菜 Milk", "菜", true},        {"买菜 Milk", "买牛", false}, {"\xD6\xD0\xCE\xC4", "\xD0\xCE", false},
      {"\xD6\xD0\xCE\xC4", "\xCE\xC4", true}, {"\x81" "a", "A", false}, {"", "a", false},
  };
  for (const auto& c : filters) EXPECT_EQ(c.matches, NoteMatchesFilter(c.text, c.filter)) << c.text << " / " << c.filter;
}

}  // namespace
