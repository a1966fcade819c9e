#include "kx/base/KxFile.h"

#include <gtest/gtest.h>

#include <vector>

#include "kx/base/KxHandles.h"
#include "tests/support/TestUtil.h"
#include "tests/support/WideNames.h"

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

// The 16 by 16 pixels of a small icon drawn on white.
std::vector<DWORD> IconPixels(HICON icon) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 16;
  info.bmiHeader.biHeight = -16;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  std::vector<DWORD> pixels;
  KxMemoryDc memory(NULL, CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0));
  if (!memory.Ready() || !icon) return pixels;
  RECT all = {0, 0, 16, 16};
  FillRect(memory.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(memory.Dc(), 0, 0, icon, 16, 16, 0, NULL, DI_NORMAL);
  GdiFlush();
  pixels.assign(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 16 * 16);
  return pixels;
}

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
  struct Names {
    KxString folder, a, b, c;
  } sets[] = {
      {"kxfile-copy", "a.txt", "b.txt", "c.txt"},
      {Gb(kKoreanFolder), Gb(kAccentedFile), Gb(kProbeProgram), Gb(kRareHanzi) + Gb(kLatinMix)},
  };
  for (const Names& names : sets) {
    SCOPED_TRACE(names.a.CStr());
    KxString dir = MakeScratchDir(names.folder.CStr());
    KxString a = dir + "\\" + names.a;
    KxString b = dir + "\\" + names.b;
    KxString c = dir + "\\" + names.c;
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
    EXPECT_TRUE(RemoveTree(dir));
  }
}

// Names made on the Linux side come back from the search as Python's codec writes them,
// are found by the file tests, and the probe's own icon is taken, not the shell's icon of
// every program.
TEST(KxFileTest, NamesMadeOnLinux) {
  struct Entry {
    KxString name;
    bool directory;
  } entries[] = {{".", true}, {"..", true}, {Gb(kAccentedFile), false}, {Gb(kProbeProgram), false}};
  size_t seen = 0;
  for (KxFindFiles found(LinuxMadeFolder() + "\\*"); found.Next(); ++seen) {
    ASSERT_LT(seen, sizeof entries / sizeof entries[0]) << found.Name().CStr();
    // Wine lists a folder in its own order: each entry is looked up.
    bool known = false;
    for (const Entry& entry : entries) {
      if (entry.name != found.Name()) continue;
      known = true;
      EXPECT_EQ(entry.directory, found.IsDirectory()) << found.Name().CStr();
    }
    EXPECT_TRUE(known) << found.Name().CStr();
  }
  EXPECT_EQ(sizeof entries / sizeof entries[0], seen);
  EXPECT_TRUE(IsDirectory(LinuxMadeFolder()));
  for (const KxString& file : {LinuxMadeFile(), LinuxMadeProbe()}) {
    EXPECT_TRUE(FileExists(file)) << file.CStr();
    EXPECT_FALSE(IsDirectory(file)) << file.CStr();
  }

  KxString dir = MakeScratchDir("kxfile-icons");
  KxString plainCopy = dir + "\\probe.exe";
  ASSERT_TRUE(CopyFileTo(plainCopy, LinuxMadeProbe()));
  OwnedIcon own(FileSmallIcon(LinuxMadeProbe()));
  OwnedIcon plain(FileSmallIcon(plainCopy));
  OwnedIcon generic(FileSmallIcon(dir + "\\nowhere.exe"));
  ASSERT_FALSE(own.IsEmpty());
  ASSERT_FALSE(generic.IsEmpty());
  EXPECT_EQ(IconPixels(plain.Get()), IconPixels(own.Get()));
  EXPECT_NE(IconPixels(generic.Get()), IconPixels(own.Get())) << "the shell's icon of programs";
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
