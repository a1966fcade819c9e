// The daily copies of Config.db over a week of starts, and putting a copy back in place of
// an unreadable file.
#include <gtest/gtest.h>

#include <string>

#include "store/Backup.h"
#include "tests/store/StoreTestUtil.h"

using namespace storetest;

namespace {

KxTime Day(int day) {
  KxTime t;
  t.year = 2026;
  t.month = 12;
  t.day = static_cast<unsigned short>(day);
  t.hour = 9;
  t.minute = 5;
  t.second = 7;
  return t;
}

KxString Names(const std::vector<KxString>& paths) {
  KxString names;
  for (const KxString& path : paths) names += path.Mid(-1, path.FindLast('\\') + 1) + " ";
  return names;
}

// What a damaged file looks like: the first part of a real one.
void Truncate(const KxString& path) { ASSERT_TRUE(WriteFileBytes(path, ReadFileBytes(path).Mid(1500, 0))); }

// dir\Config.db holding 42 in T, copied on day 3 and then cut short. Returns the cut
// file's bytes.
KxString DamagedFileWithACopy(const KxString& dir) {
  const KxString path = dir + "\\Config.db";
  KxDb db;
  EXPECT_TRUE(db.Open(path));
  EXPECT_TRUE(db.Exec("create table T (A integer)"));
  EXPECT_TRUE(db.Exec("insert into T values (42)"));
  EXPECT_EQ(BackupResult::kWritten, BackupDaily(db.Connection(), BackupDirectoryOf(dir), Day(3)));
  db.Close();
  Truncate(path);
  return ReadFileBytes(path);
}

TEST(Backup, AWeekOfStartsKeepsTheNewestSevenValidCopies) {
  KxString dir = MakeScratchDir("backup-week");
  KxString backups = BackupDirectoryOf(dir);
  KxDb db;
  ASSERT_TRUE(db.Open(dir + "\\Config.db"));
  ASSERT_TRUE(db.Exec("create table T (A integer, B text)"));
  for (int day = 1; day <= 8; ++day) {
    ASSERT_TRUE(db.Exec("insert into T values (" + KxString::FromInt(day) + ",'第" + KxString::FromInt(day) + "天')"));
    EXPECT_EQ(BackupResult::kWritten, BackupDaily(db.Connection(), backups, Day(day))) << day;
    EXPECT_EQ(BackupResult::kAlreadyToday, BackupDaily(db.Connection(), backups, Day(day))) << day;
  }
  EXPECT_EQ(KxString("Config-20261208.db Config-20261207.db Config-20261206.db Config-20261205.db "
                     "Config-20261204.db Config-20261203.db Config-20261202.db "),
            Names(ListBackups(backups)));
  EXPECT_FALSE(FileExistsAt(backups + "\\Config-20261208.db.part"));

  // A copy is a database of its own with the rows of its day.
  KxDb copy;
  ASSERT_TRUE(copy.Open(backups + "\\Config-20261205.db"));
  EXPECT_EQ((std::vector<std::string>{"1|第1天", "2|第2天", "3|第3天", "4|第4天", "5|第5天"}),
            Rows(copy, "select A || '|' || B from T order by A"));
  copy.Close();
  EXPECT_EQ("2026-12-05", BackupDateText(backups + "\\Config-20261205.db"));

  // A damaged newest copy is passed over; files of other names are not copies.
  Truncate(backups + "\\Config-20261208.db");
  ASSERT_TRUE(WriteFileBytes(backups + "\\Config-2026120.db", "x"));
  KxString good;
  ASSERT_TRUE(NewestGoodBackup(backups, good));
  EXPECT_EQ(backups + "\\Config-20261207.db", good);
  EXPECT_EQ(7u, ListBackups(backups).size());

  // The copies from before a store made anew outlive any number of days.
  for (int day = 9; day <= 20; ++day) {
    EXPECT_EQ(BackupResult::kWritten,
              BackupDaily(db.Connection(), backups, Day(day), "Config-20261205.db config-20261202.db"))
        << day;
  }
  EXPECT_EQ(KxString("Config-20261220.db Config-20261219.db Config-20261218.db Config-20261217.db "
                     "Config-20261216.db Config-20261215.db Config-20261214.db Config-20261205.db "
                     "Config-20261202.db "),
            Names(ListBackups(backups)));
  db.Close();
  RemoveTree(dir);
}

TEST(Backup, ACopyTakesThePlaceOfAnUnreadableFileWhichIsKept) {
  KxString dir = MakeScratchDir("backup-restore");
  KxString path = dir + "\\Config.db";
  KxString damagedBytes = DamagedFileWithACopy(dir);
  EXPECT_FALSE(IsHealthyDatabaseFile(path));
  KxDb db;
  EXPECT_FALSE(db.Open(path));
  ASSERT_TRUE(WriteFileBytes(path + "-journal", "a journal of the damaged file"));

  KxString damaged;
  ASSERT_TRUE(RestoreBackup(path, BackupDirectoryOf(dir) + "\\Config-20261203.db", Day(9), damaged));
  EXPECT_EQ(path + ".damaged-20261209-090507", damaged);
  EXPECT_TRUE(ReadFileBytes(damaged) == damagedBytes);
  EXPECT_TRUE(FileExistsAt(damaged + "-journal")) << "the journal goes with the file it belongs to";
  EXPECT_FALSE(FileExistsAt(path + "-journal"));
  ASSERT_TRUE(db.Open(path));
  EXPECT_EQ(42, db.SelectInt("T", "A", ""));
  db.Close();

  // A copy that cannot be read leaves everything as it was.
  KxString again;
  EXPECT_FALSE(RestoreBackup(path, dir + "\\missing.db", Day(9), again));
  EXPECT_TRUE(IsHealthyDatabaseFile(path));
  EXPECT_TRUE(FileExistsAt(damaged)) << "the earlier damaged file is never overwritten";
  RemoveTree(dir);
}

// A kill at any step of a restore leaves, once the next start has looked, either the
// unreadable file as it was or the copy in its place; the unreadable file is never lost.
TEST(Backup, ARestoreCutShortAnywhereIsUndoneOrFinishedByTheNextStart) {
  struct { int stopAfter; bool finished; } cases[] = {{1, false}, {2, true}, {3, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stopAfter);
    KxString dir = MakeScratchDir("backup-cut-short");
    KxString path = dir + "\\Config.db";
    const KxString damagedBytes = DamagedFileWithACopy(dir);
    ASSERT_TRUE(WriteFileBytes(path + "-journal", "a journal of the damaged file"));
    KxDb db;

    SetRestoreInterruption(c.stopAfter);
    KxString damaged;
    EXPECT_FALSE(RestoreBackup(path, BackupDirectoryOf(dir) + "\\Config-20261203.db", Day(9), damaged));
    SetRestoreInterruption(0);
    EXPECT_EQ(c.finished, FinishInterruptedRestore(path, Day(10)));
    EXPECT_FALSE(FileExistsAt(path + ".restoring"));
    if (c.finished) {
      ASSERT_TRUE(db.Open(path));
      EXPECT_EQ(42, db.SelectInt("T", "A", ""));
      db.Close();
      EXPECT_TRUE(ReadFileBytes(path + ".damaged-20261209-090507") == damagedBytes);
      EXPECT_FALSE(FileExistsAt(path + "-journal")) << "no journal is played into the copy";
      EXPECT_TRUE(FileExistsAt(path + ".damaged-20261209-090507-journal")) << "it stays with its file";
    } else {
      EXPECT_TRUE(ReadFileBytes(path) == damagedBytes);
      EXPECT_TRUE(FileExistsAt(path + "-journal"));
    }
    RemoveTree(dir);
  }
}

}  // namespace
