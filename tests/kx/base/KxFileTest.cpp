#include "kx/base/KxFile.h"

#include <gtest/gtest.h>

#include "tests/support/TestUtil.h"

namespace {

// "禱" is B6 5C in GBK: its second byte is a backslash.
const char kBackslashTrail[] = "禱";

char MissingDriveLetter() {
  DWORD drives = GetLogicalDrives();
  for (int i = 25; i >= 2; --i) {
    if (!((drives >> i) & 1)) return static_cast<char>('A' + i);
  }
  return 0;
}

// Keeps the process's current directory for the length of a test.
class CurrentDirectoryGuard {
public:
  CurrentDirectoryGuard() : saved(CurrentDirectory()) {}
  ~CurrentDirectoryGuard() { SetCurrentDirectoryA(saved.CStr()); }

private:
  KxString saved;
};

}  // namespace

TEST(KxFileTest, PathParts) {
  const KxString trail(kBackslashTrail);
  struct Case {
    KxString path, parent, name, stem;
  } cases[] = {
      {"C:\\a\\b.c.d", "C:\\a", "b.c.d", "b"},
      {"D:\\Tools\\velix.exe", "D:\\Tools", "velix.exe", "velix"},
      {"C:\\a/b\\c/d.txt", "C:\\a/b", "d.txt", "d"},
      {"name.txt", "", "name.txt", "name"},
      {"\\root", "", "root", "root"},
      {"C:\\dir\\", "C:\\dir", "", ""},
      {"C:\\" + trail, "C:", trail, trail},
      {"C:\\" + trail + "\\x.y", "C:\\" + trail, "x.y", "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.CStr());
    EXPECT_EQ(ParentDirectory(c.path), c.parent);
    EXPECT_EQ(FileNameOf(c.path, true), c.name);
    EXPECT_EQ(FileNameOf(c.path, false), c.stem);
  }
}

TEST(KxFileTest, DeviceNames) {
  struct Case {
    const char* name;
    bool device;
  } cases[] = {
      {"CON", true}, {"con.vlx", true}, {"Nul .txt", true}, {"aux.tar.gz", true}, {"PRN", true},
      {"COM1.vlx", true}, {"lpt9", true}, {"COM0.exe", true}, {"conout$.x", true},
      {"COM10.vlx", false}, {"COMA", false}, {"CONSOLE.vlx", false}, {"xcon", false},
      {"LPT", false}, {"", false}, {".con", false}, {"velix", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.device, IsDeviceName(c.name)) << c.name;
}

TEST(KxFileTest, SystemDirectoriesExistenceAndDirectoryTests) {
  EXPECT_TRUE(FileExists(ProgramDirectory() + "\\kxbase_tests.exe"));
  EXPECT_TRUE(IsDirectory(WindowsDirectory()));

  CurrentDirectoryGuard keep;
  KxString dir = MakeScratchDir("kxfile-tests");
  KxString file = dir + "\\a.txt";
  ASSERT_TRUE(WriteFileBytes(file, "x"));
  ASSERT_TRUE(CreateDirectoryA((dir + "\\sub").CStr(), NULL));
  ASSERT_TRUE(SetCurrentDirectoryA(dir.CStr()));
  EXPECT_EQ(CurrentDirectory(), dir);
  char missing = MissingDriveLetter();
  ASSERT_NE(missing, 0);

  struct Case {
    KxString path;
    bool exists, directory;
  } cases[] = {
      {file, true, false},
      {dir, true, true},
      {dir + "\\sub", true, true},
      {dir + "\\none", false, false},
      {dir + "\\*", false, false},
      {dir + "\\?.txt", false, false},
      {"sub", true, true},
      {"", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.CStr());
    EXPECT_EQ(FileExists(c.path), c.exists);
    EXPECT_EQ(IsDirectory(c.path), c.directory);
  }

  struct DriveCase {
    KxString path;
    bool directory;
  } drives[] = {
      {"C:", true},
      {"c:", true},
      {"C:\\", true},
      {KxString(missing, 1) + ":", false},
      {KxString(missing, 1) + ":\\", false},
      {"1:", false},
  };
  for (const DriveCase& c : drives) {
    SCOPED_TRACE(c.path.CStr());
    EXPECT_EQ(IsDirectory(c.path), c.directory);
  }
  SetCurrentDirectoryA(WindowsDirectory().CStr());
  RemoveTree(dir);
}

TEST(KxFileTest, CopyMoveAndRemove) {
  KxString dir = MakeScratchDir("kxfile-copy");
  KxString a = dir + "\\a.txt";
  KxString b = dir + "\\b.txt";
  KxString c = dir + "\\c.txt";
  ASSERT_TRUE(WriteFileBytes(a, "first"));
  ASSERT_TRUE(WriteFileBytes(b, "second"));

  EXPECT_TRUE(CopyFileTo(b, a));
  EXPECT_EQ(ReadFileBytes(b), "first");

  ASSERT_TRUE(WriteFileBytes(b, "second"));
  EXPECT_FALSE(MoveFileTo(b, a));
  EXPECT_EQ(ReadFileBytes(a), "first");
  EXPECT_EQ(ReadFileBytes(b), "second");

  EXPECT_FALSE(RenameIfDifferent(a, a));
  EXPECT_EQ(ReadFileBytes(a), "first");
  EXPECT_TRUE(RenameIfDifferent(c, a));
  EXPECT_FALSE(FileExistsAt(a));
  EXPECT_EQ(ReadFileBytes(c), "first");

  EXPECT_TRUE(RemoveFile(c));
  EXPECT_FALSE(FileExistsAt(c));
  EXPECT_FALSE(RemoveFile(c));
  RemoveTree(dir);
}

// The bench's D: lies on another file system. The C runtime's rename would copy there;
// the move must rather fail and leave everything as it was.
TEST(KxFileTest, MoveToAnotherVolumeFailsAndKeepsTheSource) {
  if (!((GetLogicalDrives() >> 3) & 1)) GTEST_SKIP() << "no drive D: on this bench";
  KxString dir = MakeScratchDir("kxfile-move");
  KxString source = dir + "\\Config.db";
  KxString target = "D:\\kxfile-move-Config.db";
  DeleteFileA(target.CStr());
  ASSERT_TRUE(WriteFileBytes(source, "database"));

  EXPECT_FALSE(MoveFileTo(target, source));
  EXPECT_EQ(ReadFileBytes(source), "database");
  EXPECT_FALSE(FileExistsAt(target));
  DeleteFileA(target.CStr());
  RemoveTree(dir);
}
