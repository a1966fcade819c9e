// The run modes end to end: a copy of velix.exe in a scratch program directory is
// started with the command lines the updater uses, and the files, the Run key and the
// started processes are checked afterwards.

#include <gtest/gtest.h>

#include "app/KxAutostart.h"
#include "app/KxRegistry.h"
#include "kx/base/KxFile.h"
#include "launcher/StartMenuImport.h"
#include "net/KxAdapters.h"
#include "store/KxDb.h"
#include "store/ModuleRecord.h"
#include "store/Schema.h"
#include "store/SysValues.h"
#include "tests/launcher/StartMenuFiles.h"
#include "tests/support/TestUtil.h"
#include "tests/support/WideNames.h"
#include "update/SelfUpgrade.h"

namespace {

const char kOldContent[] = "the previously installed program";

class RunModes : public ::testing::Test {
protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = MakeScratchDir((KxString("runmode-") + info->name()).CStr());
    product = ReadFileBytes(TestBinDir() + "\\velix.exe");
    ASSERT_GT(product.Length(), 0);
    download = dir + "\\download.exe";
    ASSERT_TRUE(WriteFileBytes(download, product));
    // A data file that has seen this machine: a copy started in the normal mode is then
    // not on a first use and leaves the Run key alone.
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
    CheckFirstUse(FirstAdapterAddress());
    ASSERT_TRUE(TheDb.Close());
  }

  void TearDown() override {
    for (const char* name : {"velix.exe", "a.exe", "b.exe", "download.exe"}) started.Add(dir + "\\" + name);
    for (const KxString& path : started) {
      KillProcessesOf(path);
      SetAutostart(path, false);
    }
    RemoveTree(dir);
  }

  KxStringList started;  // programs outside the usual names that a test may leave running

  // Runs the downloaded copy with args and waits for it to end.
  DWORD RunDownload(const char* args) {
    HANDLE process = StartProcess(download, args, dir);
    EXPECT_NE(nullptr, process);
    DWORD code = 0xDEAD;
    EXPECT_TRUE(WaitProcess(process, 20000, &code)) << "the copy did not end";
    CloseHandle(process);
    return code;
  }

  bool HasMainWindow(const KxString& exe) { return CountWindowsOf(exe, "KxCardClassName") > 0; }

  bool Gone(const KxString& path) {
    return WaitFor([&] { return !FileExistsAt(path); }, 15000);
  }

  KxString dir, product, download;
};

// The downloaded copy runs in the normal mode: it shows its kit window and ends with 0 on
// the Exit command (closing the kit window only hides it).
void ExpectNormalRun(const KxString& exe, const KxString& args, const KxString& dir) {
  HANDLE process = StartProcess(exe, args, dir);
  ASSERT_NE(nullptr, process);
  ASSERT_TRUE(WaitFor([&] { return CountWindowsOf(exe, "KxCardClassName") > 0; }, 15000))
      << "no main window for command line [" << args.CStr() << "]";
  HWND window = FindWindowA("KxCardClassName", "Velix");
  ASSERT_NE(nullptr, window);
  PostMessageA(window, WM_COMMAND, kModuleExit, 0);
  DWORD code = 0xDEAD;
  EXPECT_TRUE(WaitProcess(process, 10000, &code));
  EXPECT_EQ(0u, code);
  CloseHandle(process);
}

TEST_F(RunModes, InstallCopiesOverTheInstalledProgramAndHandsOver) {
  KxString installed = dir + "\\velix.exe";
  ASSERT_TRUE(WriteFileBytes(installed, kOldContent));
  EXPECT_EQ(0u, RunDownload("upgrade"));
  EXPECT_TRUE(ReadFileBytes(installed) == product);
  EXPECT_FALSE(FileExistsAt(installed + ".new"));
  EXPECT_TRUE(WaitFor([&] { return HasMainWindow(installed); }, 15000)) << "the copy was not started";
  EXPECT_TRUE(Gone(download)) << "the downloaded copy did not delete itself";
}

TEST_F(RunModes, InstallIntoAnEmptyDirectory) {
  EXPECT_EQ(0u, RunDownload("upgrade"));
  EXPECT_TRUE(ReadFileBytes(dir + "\\velix.exe") == product);
  EXPECT_TRUE(Gone(download));
}

TEST_F(RunModes, FailedInstallKeepsTheOldProgramAndStartsNothing) {
  KxString installed = dir + "\\velix.exe";
  ASSERT_TRUE(WriteFileBytes(installed, kOldContent));
  // A scanner holding the file open without sharing: it can be neither written nor replaced.
  HANDLE lock = CreateFileA(installed.CStr(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  EXPECT_EQ(0u, RunDownload("upgrade"));
  CloseHandle(lock);
  EXPECT_TRUE(ReadFileBytes(installed) == KxString(kOldContent));
  EXPECT_FALSE(FileExistsAt(installed + ".new"));
  Sleep(1500);
  EXPECT_TRUE(FileExistsAt(download)) << "a failed install must not delete the only new copy";
  EXPECT_FALSE(HasMainWindow(installed));
}

TEST_F(RunModes, InstalledProgramStartedWithUpgradeDoesNotRemoveItself) {
  KxString installed = dir + "\\velix.exe";
  ASSERT_TRUE(WriteFileBytes(installed, product));
  HANDLE process = StartProcess(installed, "upgrade", dir);
  ASSERT_TRUE(WaitProcess(process, 10000, nullptr));
  CloseHandle(process);
  Sleep(1500);
  EXPECT_TRUE(ReadFileBytes(installed) == product);
}

TEST_F(RunModes, UpgradeWordVariantsRunTheNormalMode) {
  // A trailing blank splits into one word; the switch is case-sensitive; two words name
  // no target, three without the switch and four are no rename either; a single word is,
  // for example, a file dropped on the program.
  for (const char* args : {"upgrade ", "Upgrade", "upgrade a", "", "C:\\some\\file.txt", "x a b", "upgrade a b c"}) {
    ExpectNormalRun(download, args, dir);
    EXPECT_FALSE(FileExistsAt(dir + "\\velix.exe")) << "[" << args << "]";
    EXPECT_FALSE(FileExistsAt(dir + "\\a.exe")) << "[" << args << "]";
    EXPECT_FALSE(FileExistsAt(dir + "\\b.exe")) << "[" << args << "]";
  }
}

TEST_F(RunModes, RenameReplacesOldAndMovesAutostart) {
  KxString oldPath = dir + "\\a.exe", newPath = dir + "\\b.exe";
  ASSERT_TRUE(WriteFileBytes(oldPath, kOldContent));
  ASSERT_TRUE(SetAutostart(oldPath, true));
  EXPECT_EQ(0u, RunDownload("upgrade a b"));
  EXPECT_FALSE(FileExistsAt(oldPath));
  EXPECT_TRUE(ReadFileBytes(newPath) == product);
  EXPECT_FALSE(AutostartExists("a.exe"));
  KxRegistry run;
  ASSERT_TRUE(run.Open(kRunKey, KEY_QUERY_VALUE));
  KxString data;
  EXPECT_TRUE(run.ReadString("b.exe", data));
  EXPECT_TRUE(data == "\"" + newPath + "\"") << data.CStr();
  EXPECT_TRUE(WaitFor([&] { return HasMainWindow(newPath); }, 15000));
  EXPECT_TRUE(Gone(download));
}

// The same in a program directory named outside GBK, between such names: they reach the
// copy through its command line, and the program it hands over to is started by its name.
TEST_F(RunModes, RenameBetweenNamesOutsideGbk) {
  const KxString programDir = dir + "\\" + Gb(kKoreanFolder);
  const KxString oldBase = Gb(kRareHanzi), newBase = FileNameOf(Gb(kProbeProgram), false);
  const KxString oldPath = programDir + "\\" + oldBase + ".exe", newPath = programDir + "\\" + newBase + ".exe";
  const KxString copy = programDir + "\\download.exe";
  for (const KxString& path : {oldPath, newPath, copy}) started.Add(path);  // even when an assertion ends the test
  ASSERT_TRUE(MakeDirectory(programDir));
  ASSERT_TRUE(TheDb.Open(programDir + "\\Config.db"));
  CreateMissingTables();
  CheckFirstUse(FirstAdapterAddress());
  ASSERT_TRUE(TheDb.Close());
  ASSERT_TRUE(WriteFileBytes(copy, product));
  ASSERT_TRUE(WriteFileBytes(oldPath, kOldContent));
  ASSERT_TRUE(SetAutostart(oldPath, true));

  HANDLE process = StartProcess(copy, "upgrade " + oldBase + " " + newBase, programDir);
  DWORD code = 0xDEAD;
  EXPECT_TRUE(WaitProcess(process, 20000, &code));
  if (process) CloseHandle(process);
  EXPECT_EQ(0u, code);
  EXPECT_FALSE(FileExistsAt(oldPath));
  EXPECT_TRUE(ReadFileBytes(newPath) == product);
  EXPECT_FALSE(AutostartExists(oldBase + ".exe"));
  KxRegistry run;
  ASSERT_TRUE(run.Open(kRunKey, KEY_QUERY_VALUE));
  KxString data;
  EXPECT_TRUE(run.ReadString(newBase + ".exe", data));
  EXPECT_TRUE(data == "\"" + newPath + "\"");
  EXPECT_TRUE(WaitFor([&] { return HasMainWindow(newPath); }, 15000));
  EXPECT_TRUE(Gone(copy));
}

TEST_F(RunModes, RenameWithoutAutostartWritesNoRunValue) {
  ASSERT_TRUE(WriteFileBytes(dir + "\\a.exe", kOldContent));
  EXPECT_EQ(0u, RunDownload("upgrade a b"));
  EXPECT_TRUE(ReadFileBytes(dir + "\\b.exe") == product);
  EXPECT_FALSE(AutostartExists("a.exe"));
  EXPECT_FALSE(AutostartExists("b.exe"));
}

TEST_F(RunModes, RenameToTheSameNameReplacesInPlace) {
  KxString path = dir + "\\a.exe";
  ASSERT_TRUE(WriteFileBytes(path, kOldContent));
  ASSERT_TRUE(SetAutostart(path, true));
  EXPECT_EQ(0u, RunDownload("upgrade a a"));
  EXPECT_TRUE(ReadFileBytes(path) == product);
  EXPECT_TRUE(AutostartExists("a.exe"));
  EXPECT_TRUE(WaitFor([&] { return HasMainWindow(path); }, 15000));
}

TEST_F(RunModes, FailedRenameKeepsTheOldProgramAndItsAutostart) {
  KxString oldPath = dir + "\\a.exe";
  ASSERT_TRUE(WriteFileBytes(oldPath, kOldContent));
  ASSERT_TRUE(SetAutostart(oldPath, true));
  // The new name is taken by a folder, so no copy can be put there.
  ASSERT_TRUE(CreateDirectoryA((dir + "\\b.exe").CStr(), NULL));
  EXPECT_EQ(0u, RunDownload("upgrade a b"));
  EXPECT_TRUE(ReadFileBytes(oldPath) == KxString(kOldContent));
  EXPECT_TRUE(AutostartExists("a.exe"));
  EXPECT_FALSE(AutostartExists("b.exe"));
  EXPECT_TRUE(FileExistsAt(download));
}

TEST_F(RunModes, RenameRefusesNamesOutsideTheProgramDirectory) {
  KxString outside = ParentDirectory(dir) + "\\escaped.exe";
  EXPECT_EQ(0u, RunDownload("upgrade a ..\\escaped"));
  EXPECT_FALSE(FileExistsAt(outside));
  DeleteFileA(outside.CStr());
  EXPECT_TRUE(FileExistsAt(download));
}

// The names the rename mode takes (code page 936): no folder, drive, device or broken
// character, whose second byte the system would read as a "/" or ":" of its own.
TEST(BaseNames, OnlyPlainNamesInTheProgramDirectory) {
  const struct {
    const char* name;
    bool plain;
  } cases[] = {
      {"velix", true},   {"新版", true},    {"\x95\x5C", true}, {"\x80", true},
      {"", false},       {".", false},      {"..", false},       {"a\\b", false},
      {"a/b", false},    {"c:", false},     {"CON", false},      {"nul.txt", false},
      {"\x81/", false}, {"\x81:", false}, {"\xFF", false},     {"\xB0", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.plain, IsPlainBaseName(c.name)) << c.name;
}

// A DLL beside the program named as one of Windows' own is never loaded, although the
// first use reads the network adapters through that library. Wine prefers its own copies
// of system DLLs; told to prefer files for this program (a key Windows does not read), it
// searches as Windows does and would load this one.
TEST_F(RunModes, ADllBesideTheProgramNamedAsASystemOneIsNeverLoaded) {
  const char kOverrides[] = "Software\\Wine\\AppDefaults\\velix-dll-search.exe";
  KxString exe = dir + "\\velix-dll-search.exe";
  struct Cleanup {
    const char* key;
    KxString exe;
    ~Cleanup() {
      KillProcessesOf(exe);
      SetAutostart(exe, false);
      RegDeleteTreeA(HKEY_CURRENT_USER, key);
    }
  } cleanup{kOverrides, exe};
  HKEY overrides = NULL;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (KxString(kOverrides) + "\\DllOverrides").CStr(), 0,
                                           NULL, 0, KEY_SET_VALUE, NULL, &overrides, NULL));
  static const char kPreferFile[] = "native,builtin";
  LONG written = RegSetValueExA(overrides, "iphlpapi", 0, REG_SZ, reinterpret_cast<const BYTE*>(kPreferFile),
                                sizeof kPreferFile);
  RegCloseKey(overrides);
  ASSERT_EQ(ERROR_SUCCESS, written);
  ASSERT_TRUE(WriteFileBytes(exe, product));
  ASSERT_TRUE(CopyFileA((TestBinDir() + "\\planted\\iphlpapi.dll").CStr(), (dir + "\\iphlpapi.dll").CStr(), FALSE));
  ASSERT_TRUE(DeleteFileA((dir + "\\Config.db").CStr()));
  ExpectNormalRun(exe, "", dir);
  EXPECT_FALSE(FileExistsAt(dir + "\\planted-loaded.txt"));
}

// ---- The replacement step on its own, in this process

class ReplaceStep : public ::testing::Test {
protected:
  void SetUp() override {
    dir = MakeScratchDir("replace-step");
    source = dir + "\\source.bin";
    target = dir + "\\target.exe";
    ASSERT_TRUE(WriteFileBytes(source, "new bytes"));
  }
  void TearDown() override { RemoveTree(dir); }
  KxString dir, source, target;
};

TEST_F(ReplaceStep, ReplacesAnExistingTargetAndLeavesNoStagingFile) {
  ASSERT_TRUE(WriteFileBytes(target, "old"));
  EXPECT_TRUE(ReplaceFileWithCopy(target, source));
  EXPECT_TRUE(ReadFileBytes(target) == KxString("new bytes"));
  EXPECT_TRUE(ReadFileBytes(source) == KxString("new bytes"));
  EXPECT_FALSE(FileExistsAt(target + ".new"));
}

TEST_F(ReplaceStep, StaleStagingFileIsOverwritten) {
  ASSERT_TRUE(WriteFileBytes(target + ".new", "left from a crash"));
  SetFileAttributesA((target + ".new").CStr(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(ReplaceFileWithCopy(target, source));
  EXPECT_TRUE(ReadFileBytes(target) == KxString("new bytes"));
}

TEST_F(ReplaceStep, FailuresLeaveTheTargetAsItWas) {
  ASSERT_TRUE(WriteFileBytes(target, "old"));
  // Staging blocked by a folder of that name.
  ASSERT_TRUE(CreateDirectoryA((target + ".new").CStr(), NULL));
  EXPECT_FALSE(ReplaceFileWithCopy(target, source));
  EXPECT_TRUE(ReadFileBytes(target) == KxString("old"));
  RemoveDirectoryA((target + ".new").CStr());

  // Target held open without sharing.
  HANDLE lock = CreateFileA(target.CStr(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  EXPECT_FALSE(ReplaceFileWithCopy(target, source));
  CloseHandle(lock);
  EXPECT_TRUE(ReadFileBytes(target) == KxString("old"));
  EXPECT_FALSE(FileExistsAt(target + ".new"));

  // Missing source.
  EXPECT_FALSE(ReplaceFileWithCopy(target, dir + "\\missing.bin"));
  EXPECT_TRUE(ReadFileBytes(target) == KxString("old"));
}

TEST_F(ReplaceStep, SourceThatIsTheTargetIsRefused) {
  EXPECT_FALSE(ReplaceFileWithCopy(source, source));
  EXPECT_FALSE(ReplaceFileWithCopy(source, dir + "\\.\\source.bin"));
  EXPECT_TRUE(ReadFileBytes(source) == KxString("new bytes"));
}

}  // namespace

// The first start over an empty tree, with a program in the real Start menu: the question
// comes from the running program once its kit window is up; "否" keeps the tree empty and
// the answer in KX_SYS.
TEST_F(RunModes, AFirstStartWithAnEmptyTreeOffersTheStartMenu) {
  StartMenuFolder folder(CSIDL_PROGRAMS, "Velix 首次启动");
  MakeLink(folder.path + "\\Probe.lnk", CopyOfProbe(dir + "\\progs"));
  HANDLE process = StartProcess(download, "", dir);
  ASSERT_NE(nullptr, process);
  DWORD pid = GetProcessId(process);
  HWND question = NULL;
  EXPECT_TRUE(WaitFor([&] { return (question = WindowOf(pid, "#32770", "询问")) != NULL; }, 20000));
  EXPECT_NE(nullptr, WindowOf(pid, "KxCardClassName", "Velix")) << "the kit window comes first";
  char text[256] = {};
  GetDlgItemTextA(question, 0xFFFF, text, sizeof text);
  EXPECT_STREQ(kStartMenuOfferText, text);
  PostMessageA(question, WM_COMMAND, IDNO, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
  PostMessageA(WindowOf(pid, "KxCardClassName", "Velix"), WM_COMMAND, kModuleExit, 0);
  EXPECT_TRUE(WaitProcess(process, 10000, nullptr));
  CloseHandle(process);
  ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
  EXPECT_TRUE(IsStartMenuOfferAnswered());
  EXPECT_EQ(0, TheDb.Count("KX_SOFT", ""));
  TheDb.Close();
}
