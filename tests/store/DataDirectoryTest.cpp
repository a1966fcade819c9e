// config.ini's DBPATH, the opening of the store with its question, and moves of Config.db
// between real directories, on the same drive and onto the second drive D: of the bench.

#include <gtest/gtest.h>

#include "app/KxIni.h"
#include "kx/base/KxModal.h"
#include "store/Backup.h"
#include "store/DataDirectory.h"
#include "store/KxDb.h"
#include "store/Schema.h"
#include "store/SysValues.h"
#include "tests/store/StoreTestUtil.h"
#include "tests/support/WideNames.h"

using namespace storetest;

namespace {

const char kNotMoved[] = "数据文件未能成功转移,请查看目录是否可写入.";

KxString RawDbPath() {
  char value[1024] = {};
  GetPrivateProfileStringA("0", "DBPATH", "<absent>", value, sizeof(value),
                           ProgramDirectoryFiles::Ini().CStr());
  return value;
}

// The marker row each test data file carries, read through a connection of its own.
KxString MarkerIn(const KxString& file) {
  KxDb db;
  if (!FileExistsAt(file) || !db.Open(file)) return "<no file>";
  return db.SelectText("MARK", "T", "");
}

TEST(DataDirectory, FollowsDbPath) {
  ProgramDirectoryFiles files;
  const KxString program = ProgramDirectory();
  const KxString longDir = "D:\\" + KxString('x', 700);
  const struct {
    const char* ini;  // nullptr: no config.ini
    KxString expected;
  } cases[] = {
      {nullptr, program},
      {"[0]\r\nDBPATH=\r\n", program},
      {"[0]\r\nDBPATH=   \r\n", program},
      {"[1]\r\nDBPATH=D:\\data\r\n", program},
      {"[0]\r\nDBPATH=D:\\数据\r\n", "D:\\数据"},
  };
  for (const auto& c : cases) {
    DeleteFileA(ProgramDirectoryFiles::Ini().CStr());
    if (c.ini) {
      ASSERT_TRUE(WriteFileBytes(ProgramDirectoryFiles::Ini(), c.ini));
    }
    EXPECT_STREQ(c.expected.CStr(), DataDirectory().CStr()) << (c.ini ? c.ini : "no config.ini");
    EXPECT_TRUE(DbFilePath() == c.expected + "\\Config.db");
  }
  // A write goes through a whole copy that takes the file's place: one a kill left is only
  // overwritten, and the file's other keys stay.
  ASSERT_TRUE(WriteFileBytes(ProgramDirectoryFiles::Ini(), "[0]\r\nSITEURL=http://a\r\n"));
  ASSERT_TRUE(WriteFileBytes(ProgramDirectoryFiles::Ini() + ".new", "[0]\r\nDBPATH=C:\\cut"));
  ASSERT_TRUE(SetDataDirectory(longDir));
  EXPECT_TRUE(DataDirectory() == longDir) << "a value longer than the first read buffer";
  EXPECT_FALSE(FileExistsAt(ProgramDirectoryFiles::Ini() + ".new"));
  ASSERT_TRUE(SetDataDirectory(""));
  EXPECT_TRUE(DataDirectory() == program);
  EXPECT_TRUE(RawDbPath().IsEmpty());
  EXPECT_EQ(KxString("http://a"), KxIni(ProgramDirectoryFiles::Ini()).Read("0", "SITEURL", ""));
}

class StoreFiles : public ::testing::Test {
protected:
  void SetUp() override {
    from = MakeScratchDir("datadir-from");
    to = MakeScratchDir("datadir-to");
  }
  void TearDown() override {
    TheDb.Close();
    RemoveTree(from);
    RemoveTree(to);
  }
  // A data file in dir with a table MARK holding text.
  static void MakeDataFile(const KxString& dir, const char* text) {
    KxDb db;
    ASSERT_TRUE(db.Open(dir + "\\Config.db"));
    ASSERT_TRUE(db.Exec("create table MARK (T VARCHAR(40))"));
    ASSERT_TRUE(db.Exec(KxString("Insert Into MARK (T) values(") + SqlQuote(text) + ")"));
  }
  // A good copy, marked "备份", in the program directory's backups.
  void MakeBackup() {
    RemoveTree(from);
    CreateDirectoryA(from.CStr(), NULL);
    MakeDataFile(from, "备份");
    KxDb copy;
    ASSERT_TRUE(copy.Open(from + "\\Config.db"));
    ASSERT_EQ(BackupResult::kWritten, BackupDaily(copy.Connection(), Backups(), KxTime()));
  }
  static KxString Backups() { return ProgramDirectory() + "\\Backup"; }
  // The program directory's data file, what restores put beside it and its backups.
  struct Leftovers {
    void operator()() const {
      TheDb.Close();
      const KxString db = ProgramDirectoryFiles::Db();
      DeleteFileA(db.CStr());
      for (const KxString& aside : DamagedBeside(db)) DeleteFileA(aside.CStr());
      RemoveTree(Backups());
    }
    ~Leftovers() { (*this)(); }
  };
  static std::vector<KxString> DamagedBeside(const KxString& db) { return FilesLike(db + ".damaged-*"); }
  static std::vector<KxString> FilesLike(const KxString& pattern) {
    std::vector<KxString> found;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern.CStr(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do found.push_back(ParentDirectory(pattern) + "\\" + data.cFileName);
    while (FindNextFileA(search, &data));
    FindClose(search);
    return found;
  }
  ProgramDirectoryFiles files;
  KxString from, to;
};

TEST_F(StoreFiles, OpenStoreFindsOrCreatesTheFile) {
  // First start: nothing configured, nothing there, nothing asked.
  ASSERT_TRUE(OpenStore(Dialogs::Answering(false)));
  EXPECT_TRUE(Dialogs::asked.empty());
  EXPECT_TRUE(TheDb.IsOpen());
  EXPECT_TRUE(FileExistsAt(ProgramDirectoryFiles::Db()));
  TheDb.Close();

  // A configured directory that holds the file: opened, no question.
  MakeDataFile(from, "从");
  ProgramDirectoryFiles::WriteIni(from);
  ASSERT_TRUE(OpenStore(Dialogs::Answering(false)));
  EXPECT_TRUE(Dialogs::asked.empty());
  EXPECT_TRUE(TheDb.SelectText("MARK", "T", "") == "从");
  TheDb.Close();
}

// A folder outside GBK as the data directory: config.ini keeps it (and its other values) in
// UTF-16, the store opens there without a question and makes its copies there, and a file
// of GBK texts is left as it was, every text read back with its bytes.
TEST_F(StoreFiles, ADataDirectoryOutsideGbkKeepsTheFileAndItsTexts) {
  const KxString dir = MakeScratchDir(Gb(kKoreanFolder).CStr());
  const KxString file = dir + "\\Config.db";
  // Second bytes that are a backslash, a bar and a letter; every row's bytes are stored as
  // they are, a four-byte text's too.
  const KxString texts[] = {Gb(kGbkText), "禱東表", "便签 α№☆", Gb(kProbeProgram)};
  {
    KxDb db;
    ASSERT_TRUE(db.Open(file));
    ASSERT_TRUE(db.Exec("create table MARK (T VARCHAR(40))"));
    for (const KxString& text : texts) ASSERT_TRUE(db.Exec("Insert Into MARK (T) values(" + SqlQuote(text) + ")"));
  }
  const KxString written = ReadFileBytes(file);
  ASSERT_FALSE(written.IsEmpty());
  ASSERT_TRUE(WriteFileBytes(ProgramDirectoryFiles::Ini(), "[0]\r\nSITEURL=http://站点.example\r\n"));

  ASSERT_TRUE(SetDataDirectory(dir));
  EXPECT_EQ(dir, DataDirectory());
  EXPECT_EQ(KxString("\xFF\xFE"), ReadFileBytes(ProgramDirectoryFiles::Ini()).Mid(2, 0)) << "UTF-16";
  EXPECT_EQ(KxString("http://站点.example"), KxIni(ProgramDirectoryFiles::Ini()).Read("0", "SITEURL", ""));

  ASSERT_TRUE(OpenStore(Dialogs::Answering(false)));
  EXPECT_TRUE(Dialogs::asked.empty());
  EXPECT_EQ(file, DbFilePath());
  std::vector<std::string> rows = Rows(TheDb, "select T from MARK order by rowid");
  ASSERT_EQ(sizeof texts / sizeof texts[0], rows.size());
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(std::string(texts[i].CStr()), rows[i]) << i;
  EXPECT_TRUE(BackupStore(KxTime()));
  CloseStore();
  EXPECT_EQ(1u, ListBackups(BackupDirectoryOf(dir)).size());
  EXPECT_TRUE(ReadFileBytes(file) == written) << "the file is read, never written";
  RemoveTree(dir);
}

// A missing file with a good backup or unreadable leftovers beside it is never silently
// replaced by an empty one.
TEST_F(StoreFiles, AMissingFileWithCopiesBesideItIsNotReplacedUnasked) {
  const KxString db = ProgramDirectoryFiles::Db();
  struct {
    bool backup, damaged, answer, opened;
    const char* mark;   // MARK's text once opened: the backup's, or none in a new file
    const char* asked;  // the question's first words after the path
    bool keepsCopy;     // a new store beside copies: the newest of them is kept for good
  } cases[] = {
      {true, false, true, true, "备份", " 找到 ", false},
      {true, true, false, true, nullptr, " 找到 ", true},
      {false, true, false, false, nullptr, " 旁边只有", false},
      {false, true, true, true, nullptr, " 旁边只有", false},
      {false, false, false, true, nullptr, nullptr, false},
  };
  // Before each case and after the last, also when an assertion ended one early.
  Leftovers cleanup;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.backup << c.damaged << c.answer);
    cleanup();
    if (c.backup) MakeBackup();
    if (c.damaged) {
      ASSERT_TRUE(WriteFileBytes(db + ".damaged-20261201-000000", "not a database"));
    }
    EXPECT_EQ(c.opened, BootstrapStore(Dialogs::Answering(c.answer)));
    if (c.asked) {
      ASSERT_EQ(1u, Dialogs::asked.size());
      EXPECT_EQ(0u, Dialogs::asked[0].find("找不到数据文件:" + std::string(db.CStr()) + c.asked));
    } else {
      EXPECT_TRUE(Dialogs::asked.empty());
    }
    EXPECT_EQ(c.opened, FileExistsAt(db));
    if (c.opened) {
      EXPECT_EQ(c.mark ? c.mark : "", std::string(TheDb.SelectText("MARK", "T", "").CStr()));
    }
    EXPECT_TRUE(CopyFromBeforeANewStore() == (c.keepsCopy ? BackupFileName(KxTime()) : KxString()));
    if (c.opened) {
      EXPECT_TRUE(GetSysValue(kSysKeptBackup) == (c.keepsCopy ? BackupFileName(KxTime()) : KxString()));
    }
    if (c.keepsCopy) {  // and the day's copies of the new store never push it out
      KxTime day;
      for (int i = 0; i < kBackupsKept + 1; ++i) ASSERT_TRUE(day.AddDays(1) && BackupStore(day));
      EXPECT_TRUE(FileExistsAt(Backups() + "\\" + BackupFileName(KxTime())));
    }
  }
}

// A file of no bytes is never silently taken as a new store while a good copy is there;
// a restore keeps it beside the copy.
TEST_F(StoreFiles, AnEmptyFileIsOfferedTheCopyFirst) {
  const KxString db = ProgramDirectoryFiles::Db();
  struct {
    bool backup, held, answer, opened;
    const char* mark;  // MARK's text once opened
    const char* said;  // the first words of the question or message
    bool keptAside;
  } cases[] = {
      {true, false, true, true, "备份", "数据文件是空的(0 字节):", true},
      {true, false, false, true, "", "数据文件是空的(0 字节):", false},
      {false, false, true, true, "", nullptr, false},
      {true, true, true, false, nullptr, "数据文件正被其它程序使用或无法访问:", false},
  };
  Leftovers cleanup;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.backup << c.held << c.answer);
    cleanup();
    if (c.backup) MakeBackup();
    ASSERT_TRUE(WriteFileBytes(db, ""));
    HANDLE held = c.held ? CreateFileA(db.CStr(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL) : INVALID_HANDLE_VALUE;
    EXPECT_EQ(c.opened, OpenStore(Dialogs::Answering(c.answer)));
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    const std::vector<std::string>& said = c.held ? Dialogs::told : Dialogs::asked;
    ASSERT_EQ(c.said ? 1u : 0u, said.size());
    if (c.said) {
      EXPECT_EQ(0u, said[0].find(c.said + std::string(db.CStr())));
    }
    if (c.mark) {
      EXPECT_EQ(c.mark, std::string(TheDb.SelectText("MARK", "T", "").CStr()));
    }
    std::vector<KxString> aside = DamagedBeside(db);
    ASSERT_EQ(c.keptAside ? 1u : 0u, aside.size());
    if (c.keptAside) {
      EXPECT_TRUE(ReadFileBytes(aside[0]).IsEmpty()) << "the empty file itself";
    }
    if (!c.opened) {
      EXPECT_TRUE(FileExistsAt(db) && ReadFileBytes(db).IsEmpty()) << "a held file stays as it is";
    }
  }
}

// A file another program holds or locks is busy, not damaged: the run ends with a word,
// nothing is offered, renamed or restored.
TEST_F(StoreFiles, ABusyFileIsNotTakenForADamagedOne) {
  const KxString db = ProgramDirectoryFiles::Db();
  MakeDataFile(ProgramDirectory(), "原样");
  const KxString bytes = ReadFileBytes(db);
  const std::string said = "数据文件正被其它程序使用或无法访问:" + std::string(db.CStr());
  for (bool exclusiveHandle : {false, true}) {
    SCOPED_TRACE(exclusiveHandle ? "held without sharing" : "locked by SQLite");
    KxDb other;
    struct Held {
      HANDLE handle = INVALID_HANDLE_VALUE;
      ~Held() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
      }
    } held;
    if (exclusiveHandle) {
      held.handle = CreateFileA(db.CStr(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
      ASSERT_NE(INVALID_HANDLE_VALUE, held.handle);
    } else {
      ASSERT_TRUE(other.Open(db));
      ASSERT_TRUE(other.Exec("BEGIN EXCLUSIVE"));
      ASSERT_TRUE(other.Exec("Insert Into MARK (T) values('x')"));
    }
    EXPECT_FALSE(OpenStore(Dialogs::Answering(true)));
    if (held.handle != INVALID_HANDLE_VALUE) CloseHandle(held.handle);
    held.handle = INVALID_HANDLE_VALUE;
    if (other.IsOpen()) other.Rollback();
    other.Close();
    EXPECT_TRUE(Dialogs::asked.empty());
    ASSERT_EQ(1u, Dialogs::told.size());
    EXPECT_EQ(0u, Dialogs::told[0].find(said));
    EXPECT_TRUE(ReadFileBytes(db) == bytes);
  }
  ASSERT_TRUE(OpenStore(Dialogs::Answering(false)));
  EXPECT_EQ("原样", std::string(TheDb.SelectText("MARK", "T", "").CStr()));
}

TEST_F(StoreFiles, MissingConfiguredFileAsksTheUser) {
  DeleteFileA(ProgramDirectoryFiles::Db().CStr());
  const KxString configured = to + "\\Config.db";
  const std::string question = "找不到数据文件:" + std::string(configured.CStr()) +
                               " 点击\"是\"在应用目录下生成新数据文件,点击\"否\"退出程序";

  ProgramDirectoryFiles::WriteIni(to);
  EXPECT_FALSE(OpenStore(Dialogs::Answering(false)));
  EXPECT_EQ(std::vector<std::string>{question}, Dialogs::asked);
  EXPECT_FALSE(TheDb.IsOpen());
  EXPECT_TRUE(RawDbPath() == to) << "No changes nothing";
  EXPECT_FALSE(FileExistsAt(configured));
  EXPECT_FALSE(FileExistsAt(ProgramDirectoryFiles::Db()));

  // The configured folder's own copy is offered first, and taken there.
  MakeDataFile(from, "备份");
  {
    KxDb copy;
    ASSERT_TRUE(copy.Open(from + "\\Config.db"));
    ASSERT_EQ(BackupResult::kWritten, BackupDaily(copy.Connection(), BackupDirectoryOf(to), KxTime()));
  }
  EXPECT_TRUE(OpenStore(Dialogs::Answering(true)));
  ASSERT_EQ(1u, Dialogs::asked.size());
  EXPECT_EQ(0u, Dialogs::asked[0].find("找不到数据文件:" + std::string(configured.CStr()) + " 找到 "));
  EXPECT_TRUE(RawDbPath() == to);
  EXPECT_EQ("备份", std::string(TheDb.SelectText("MARK", "T", "").CStr()));
  TheDb.Close();
  DeleteFileA(configured.CStr());
  RemoveTree(BackupDirectoryOf(to));

  EXPECT_TRUE(OpenStore(Dialogs::Answering(true)));
  EXPECT_EQ(std::vector<std::string>{question}, Dialogs::asked);
  EXPECT_TRUE(RawDbPath().IsEmpty());
  EXPECT_TRUE(TheDb.IsOpen());
  EXPECT_TRUE(FileExistsAt(ProgramDirectoryFiles::Db()));
  EXPECT_FALSE(FileExistsAt(configured));
}

TEST_F(StoreFiles, RefusedMovesChangeNothing) {
  MakeDataFile(from, "旧");
  ProgramDirectoryFiles::WriteIni(from);
  ASSERT_TRUE(OpenStore(Dialogs::Answering(false)));
  KxString lowerCase = from;
  for (int i = 0; i < lowerCase.Length(); ++i) {
    char c = lowerCase.At(i);
    if (c >= 'A' && c <= 'Z') lowerCase.Buffer()[i] = static_cast<char>(c + 32);
  }
  ASSERT_TRUE(lowerCase != from);
  const struct {
    KxString chosen;
    const char* message;
  } cases[] = {
      {to + "\\missing", "您选择的目录不存在或不能访问,请选择其它目录!"},
      {"Q:", "您选择的目录不存在或不能访问,请选择其它目录!"},
      {lowerCase, "与原目录相同，请选择其它目录."},
      {from + "\\", "与原目录相同，请选择其它目录."},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(MoveDataDirectoryTo(c.chosen, Dialogs::Answering(true)));
    EXPECT_EQ(std::vector<std::string>{c.message}, Dialogs::told) << c.chosen.CStr();
    EXPECT_TRUE(Dialogs::asked.empty());
    EXPECT_TRUE(RawDbPath() == from);
    EXPECT_TRUE(TheDb.SelectText("MARK", "T", "") == "旧");
  }
}

TEST_F(StoreFiles, MoveWithinTheDriveTakesTheDatabaseAlong) {
  MakeDataFile(from, "数据");
  ProgramDirectoryFiles::WriteIni(from);
  ASSERT_TRUE(OpenStore(Dialogs::Answering(false)));
  // The folder dialog's trailing backslash does not reach the paths.
  EXPECT_TRUE(MoveDataDirectoryTo(to + "\\", Dialogs::Answering(false)));
  EXPECT_TRUE(Dialogs::told.empty());
  EXPECT_TRUE(Dialogs::asked.empty());
  EXPECT_TRUE(RawDbPath() == to);
  EXPECT_TRUE(DbFilePath() == to + "\\Config.db");
  EXPECT_FALSE(FileExistsAt(from + "\\Config.db"));
  EXPECT_EQ(1u, ListBackups(to + "\\Backup").size()) << "the new directory starts its copies at once";
  ASSERT_TRUE(TheDb.IsOpen());
  EXPECT_TRUE(TheDb.Exec("Insert Into MARK (T) values('后')"));
  EXPECT_EQ(2, TheDb.Count("MARK", ""));
  TheDb.Close();
  EXPECT_TRUE(MarkerIn(to + "\\Config.db") == "数据");
}

// A kill at any step of a move leaves a state the next start settles: the data in the
// folder config.ini names, whether the move went through or not; a target's own file
// stays until the rename replaces it.
TEST_F(StoreFiles, AMoveCutShortAnywhereIsSettledByTheNextStart) {
  struct { int stopAfter; bool targetFile; const char* movedTo; } cases[] = {
      {1, false, "from"}, {2, false, "to"}, {1, true, "from"}, {2, true, "to"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.stopAfter << c.targetFile);
    TheDb.Close();
    RemoveTree(from);
    RemoveTree(to);
    CreateDirectoryA(from.CStr(), NULL);
    CreateDirectoryA(to.CStr(), NULL);
    MakeDataFile(from, "数据");
    if (c.targetFile) MakeDataFile(to, "目标");
    ProgramDirectoryFiles::WriteIni(from);
    ASSERT_TRUE(OpenStore(Dialogs::Answering(false)));
    SetMoveInterruption(c.stopAfter);
    EXPECT_FALSE(MoveDataDirectoryTo(to, Dialogs::Answering(true)));
    SetMoveInterruption(0);
    TheDb.Close();  // the kill

    ASSERT_TRUE(OpenStore(Dialogs::Answering(false)));
    EXPECT_TRUE(Dialogs::asked.empty());
    EXPECT_TRUE(RawDbPath() == (std::string(c.movedTo) == "to" ? to : from)) << RawDbPath().CStr();
    EXPECT_EQ("数据", std::string(TheDb.SelectText("MARK", "T", "").CStr()));
    TheDb.Close();
    if (std::string(c.movedTo) == "from" && c.targetFile) {
      EXPECT_TRUE(MarkerIn(to + "\\Config.db") == "目标") << "the target's own file stays until the rename";
    }
    char moveTo[16] = {};
    GetPrivateProfileStringA("0", "MOVETO", "", moveTo, sizeof moveTo, ProgramDirectoryFiles::Ini().CStr());
    EXPECT_STREQ("", moveTo) << "settled";
  }
}

TEST_F(StoreFiles, MoveToAnotherDriveFailsAndKeepsTheOldFile) {
  const KxString other = "D:\\velix-datadir-move";
  RemoveTree(other);
  ASSERT_TRUE(CreateDirectoryA(other.CStr(), NULL)) << "the bench maps D: to another file system";
  MakeDataFile(from, "旧");
  ProgramDirectoryFiles::WriteIni(from);
  ASSERT_TRUE(OpenStore(Dialogs::Answering(false)));

  EXPECT_FALSE(MoveDataDirectoryTo(other, Dialogs::Answering(true)));
  EXPECT_EQ(std::vector<std::string>{kNotMoved}, Dialogs::told);
  EXPECT_TRUE(RawDbPath() == from);
  EXPECT_FALSE(FileExistsAt(other + "\\Config.db"));
  ASSERT_TRUE(TheDb.IsOpen()) << "the store is open again on the old file";
  EXPECT_TRUE(TheDb.Exec("Insert Into MARK (T) values('还在')"));
  TheDb.Close();
  KxDb old;
  ASSERT_TRUE(old.Open(from + "\\Config.db"));
  EXPECT_EQ(2, old.Count("MARK", ""));
  old.Close();
  RemoveTree(other);
}

TEST_F(StoreFiles, FileOfTheSameNameAtTheTarget) {
  const struct {
    bool overwrite;
    bool targetIsDatabase;
    bool moved;
    const char* usedMarker;     // what the store reads afterwards
    const char* targetMarker;   // what the target file holds afterwards
    bool byExit = false;        // the question was ended by an exit, which answers No
  } cases[] = {
      {true, true, true, "mine", "mine"},    // replaced by the moved file
      {false, true, true, "theirs", "theirs"},  // adopted as it is; the old file stays
      {false, false, false, "mine", "<text>"},  // offered, but no database: nothing changes
      {true, false, true, "mine", "mine"},
      {false, true, false, "mine", "theirs", true},  // no one's answer: nothing changes
  };
  for (const auto& c : cases) {
    RemoveTree(from);
    RemoveTree(to);
    from = MakeScratchDir("datadir-from");
    to = MakeScratchDir("datadir-to");
    MakeDataFile(from, "mine");
    const KxString text = "not a database";
    if (c.targetIsDatabase) {
      MakeDataFile(to, "theirs");
    } else {
      ASSERT_TRUE(WriteFileBytes(to + "\\Config.db", text));
    }
    // A journal the target's own file left: never beside a file that is not its own.
    ASSERT_TRUE(WriteFileBytes(to + "\\Config.db-journal", "theirs"));
    ProgramDirectoryFiles::WriteIni(from);
    ASSERT_TRUE(OpenStore(Dialogs::Answering(false)));

    StoreDialogs dialogs = Dialogs::Answering(c.overwrite);
    if (c.byExit) {
      dialogs.askYesNo = [](const KxString& text) {
        KxModalRun box;
        KxEndModalRuns();
        return Dialogs::Ask(text);
      };
    }
    EXPECT_EQ(c.moved, MoveDataDirectoryTo(to, dialogs));
    if (c.overwrite) {
      std::vector<KxString> aside = FilesLike(to + "\\Config.db.replaced-*-journal");
      ASSERT_EQ(1u, aside.size());
      EXPECT_TRUE(ReadFileBytes(aside[0]) == "theirs");
    }
    ASSERT_EQ(1u, Dialogs::asked.size());
    EXPECT_EQ("您选择的目录中有与数据库同名文件,覆盖点击\"是\",确认文件是数据文件(否则操作无效)并使用点击\"否\"。",
              Dialogs::asked[0]);
    EXPECT_EQ(c.moved || c.byExit ? std::vector<std::string>{} : std::vector<std::string>{kNotMoved},
              Dialogs::told);
    EXPECT_TRUE(RawDbPath() == (c.moved ? to : from));
    EXPECT_STREQ(c.usedMarker, TheDb.SelectText("MARK", "T", "").CStr());
    TheDb.Close();
    if (c.targetIsDatabase || c.moved) {
      EXPECT_STREQ(c.targetMarker, MarkerIn(to + "\\Config.db").CStr());
    } else {
      EXPECT_TRUE(ReadFileBytes(to + "\\Config.db") == text);
    }
    EXPECT_EQ(c.overwrite, !FileExistsAt(from + "\\Config.db"));
  }
}

TEST_F(StoreFiles, TargetThatCannotBeReplacedIsNotAdopted) {
  MakeDataFile(from, "mine");
  MakeDataFile(to, "theirs");
  ProgramDirectoryFiles::WriteIni(from);
  ASSERT_TRUE(OpenStore(Dialogs::Answering(false)));
  // Another program holds the target open, so the answer Yes cannot delete it.
  HANDLE lock = CreateFileA((to + "\\Config.db").CStr(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0,
                            NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  EXPECT_FALSE(MoveDataDirectoryTo(to, Dialogs::Answering(true)));
  CloseHandle(lock);
  EXPECT_EQ(std::vector<std::string>{kNotMoved}, Dialogs::told);
  EXPECT_TRUE(RawDbPath() == from);
  EXPECT_TRUE(TheDb.SelectText("MARK", "T", "") == "mine");
  TheDb.Close();
  EXPECT_TRUE(MarkerIn(to + "\\Config.db") == "theirs");
}

TEST_F(StoreFiles, MoveIsUndoneWhenConfigIniCannotBeWritten) {
  // The file lives in the program directory, and a folder named config.ini blocks the
  // write that would point the program to the new place.
  MakeDataFile(ProgramDirectory(), "旧");
  ASSERT_TRUE(CreateDirectoryA(ProgramDirectoryFiles::Ini().CStr(), NULL));
  ASSERT_FALSE(SetDataDirectory(to));
  ASSERT_TRUE(OpenStore(Dialogs::Answering(false)));

  EXPECT_FALSE(MoveDataDirectoryTo(to, Dialogs::Answering(false)));
  EXPECT_EQ(std::vector<std::string>{kNotMoved}, Dialogs::told);
  EXPECT_TRUE(Dialogs::asked.empty()) << "the old file was found again";
  EXPECT_FALSE(FileExistsAt(to + "\\Config.db"));
  EXPECT_TRUE(TheDb.SelectText("MARK", "T", "") == "旧");
  TheDb.Close();
  EXPECT_TRUE(MarkerIn(ProgramDirectoryFiles::Db()) == "旧");
}

}  // namespace
