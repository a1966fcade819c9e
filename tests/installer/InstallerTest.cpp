// The installer and the uninstaller as a user runs them: silently and by keys, with
// Velix running from the installed folder; and the portable zip unpacked.

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include "store/KxDb.h"
#include "store/PluginRecord.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"
#include "VelixVersion.h"

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velix";

KxString Dist(const char* name) { return TestBinDir() + "\\..\\dist\\" + name; }

// A string value of HKEY_CURRENT_USER; empty when it is missing.
KxString UserValue(const char* key, const char* name) {
  char value[1024] = {};
  DWORD size = sizeof(value);
  if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, NULL, value, &size) != ERROR_SUCCESS) return "";
  return value;
}

bool UserKeyExists(const char* key) {
  HKEY opened;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

KxString StartMenuLink() {
  char programs[MAX_PATH] = {};
  SHGetFolderPathA(NULL, CSIDL_PROGRAMS, NULL, SHGFP_TYPE_CURRENT, programs);
  return KxString(programs) + "\\Velix.lnk";
}

// The uninstaller's question: a dialog of that process with a "no" button.
HWND QuestionOf(DWORD pid) {
  struct Search {
    DWORD pid;
    HWND found;
  } search = {pid, NULL};
  EnumWindows(
      [](HWND hwnd, LPARAM param) CALLBACK -> BOOL {
        Search* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        char name[16] = {};
        GetClassNameA(hwnd, name, sizeof(name));
        if (owner == s->pid && lstrcmpA(name, "#32770") == 0 && IsWindowVisible(hwnd) && GetDlgItem(hwnd, IDNO)) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool HasFocusIn(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info) && info.hwndActive == window &&
         GetForegroundWindow() == window;
}

int CountFiles(const KxString& pattern) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.CStr(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do ++count;
  while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

class Installer : public ::testing::Test {
protected:
  void SetUp() override {
    dir = MakeScratchDir("installer") + "\\Velix";
    exe = dir + "\\velix.exe";
  }
  void TearDown() override {
    KillProcessesOf(exe);
    if (FileExistsAt(dir + "\\uninstall.exe")) RunUninstaller("/S");
    RemoveTree(dir);
  }

  DWORD Run(const KxString& program, const KxString& args) {
    HANDLE process = StartProcess(program, args, "");
    DWORD code = 1000;
    EXPECT_TRUE(WaitProcess(process, 60000, &code)) << program.CStr() << " did not end";
    if (process) CloseHandle(process);
    return code;
  }
  DWORD Install() { return Run(Dist("velix-" VELIX_VERSION_TEXT "-setup.exe"), "/S /D=" + dir); }
  // In place, so that the caller can wait for it.
  DWORD RunUninstaller(const KxString& args) { return Run(dir + "\\uninstall.exe", args + " _?=" + dir); }

  // Velix from the installed folder, once its kit window is up.
  HANDLE StartVelix() {
    HANDLE process = StartProcess(exe, "", dir);
    DWORD pid = GetProcessId(process);
    EXPECT_TRUE(WaitFor([&] { return WindowOf(pid, "KxCardClassName", "Velix") != NULL; }, 20000))
        << "no kit window from the installed program";
    return process;
  }

  void ExpectInstalled() {
    for (const char* name : {"\\velix.exe", "\\uninstall.exe"})
      EXPECT_TRUE(FileExistsAt(dir + name)) << name;
    EXPECT_TRUE(FileExistsAt(StartMenuLink()));
    EXPECT_EQ("\"" + exe + "\"", UserValue(kRunKey, "velix.exe"));
    EXPECT_EQ("Velix", UserValue(kUninstallKey, "DisplayName"));
    EXPECT_EQ(VELIX_VERSION_TEXT, UserValue(kUninstallKey, "DisplayVersion"));
    EXPECT_EQ("\"" + dir + "\\uninstall.exe\"", UserValue(kUninstallKey, "UninstallString"));
  }
  void ExpectUninstalled() {
    EXPECT_FALSE(FileExistsAt(exe));
    EXPECT_FALSE(FileExistsAt(StartMenuLink()));
    EXPECT_EQ("", UserValue(kRunKey, "velix.exe"));
    EXPECT_FALSE(UserKeyExists(kUninstallKey));
  }

  KxString dir;
  KxString exe;
};

TEST_F(Installer, SilentInstallOverARunningCopyAndSilentUninstallKeepTheData) {
  ASSERT_EQ(0u, Install());
  ExpectInstalled();
  HANDLE velix = StartVelix();
  KxString db = dir + "\\Config.db";
  ASSERT_TRUE(FileExistsAt(db));

  // Installing again ends the running program by its exit request, not by force.
  ASSERT_EQ(0u, Install());
  DWORD code = 1000;
  EXPECT_TRUE(WaitProcess(velix, 10000, &code));
  EXPECT_EQ(0u, code) << "the running program must end the way its Exit command ends it";
  CloseHandle(velix);
  ExpectInstalled();
  EXPECT_TRUE(FileExistsAt(db));

  velix = StartVelix();
  EXPECT_EQ(0u, RunUninstaller("/S"));
  code = 1000;
  EXPECT_TRUE(WaitProcess(velix, 10000, &code));
  EXPECT_EQ(0u, code);
  CloseHandle(velix);
  ExpectUninstalled();
  EXPECT_TRUE(FileExistsAt(db)) << "a silent uninstall keeps the data";
  EXPECT_EQ(1, CountFiles(dir + "\\Backup\\Config-*.db")) << "and the day's copy";
}

// In a folder shared with other programs, only what Velix put there goes.
TEST_F(Installer, AnsweringNoByKeysRemovesTheDataAndOnlyVelixFiles) {
  ASSERT_EQ(0u, Install());
  HANDLE velix = StartVelix();
  ASSERT_TRUE(WriteFileBytes(dir + "\\config.ini", "[0]\r\nDBPATH=\r\n"));
  ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
  PluginRecord plugin;
  plugin.id = "9001";
  plugin.path = "sample.vlx";
  // The running program may be reading the file (its day's copy at the start): the row
  // goes in once it lets go.
  EXPECT_TRUE(WaitFor([&] { return InsertPlugin(plugin); }, 10000));
  TheDb.Close();
  struct File {
    const char* name;
    bool ownedByVelix;
  } files[] = {
      {"sample.vlx", true}, {"tmpsample.vlx", true}, {"sample.vlx.part", true}, {"velixtmp.exe", true},
      {"other.dll", false}, {"other.vlx", false}, {"setuptmp.exe", false}, {"notes.txt", false},
  };
  for (const File& f : files) {
    KxString path = dir + "\\" + f.name;
    bool written = lstrcmpA(f.name, "velixtmp.exe") == 0 ? CopyFileA(exe.CStr(), path.CStr(), FALSE) != 0
                   : lstrcmpA(f.name, "setuptmp.exe") == 0
                       ? CopyFileA((TestBinDir() + "\\velix_probe.exe").CStr(), path.CStr(), FALSE) != 0
                       : WriteFileBytes(path, f.name);
    ASSERT_TRUE(written) << f.name;
  }

  HANDLE uninstaller = StartProcess(dir + "\\uninstall.exe", "_?=" + dir, "");
  ASSERT_NE(nullptr, uninstaller);
  HWND question = NULL;
  ASSERT_TRUE(WaitFor([&] { return (question = QuestionOf(GetProcessId(uninstaller))) != NULL; }, 20000));
  // The question comes before anything happens: the program still runs.
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(velix, 0));
  SetForegroundWindow(question);
  ASSERT_TRUE(WaitFor([&] { return HasFocusIn(question); }, 5000));
  TapKey('N');
  DWORD code = 1000;
  EXPECT_TRUE(WaitProcess(uninstaller, 60000, &code));
  EXPECT_EQ(0u, code);
  CloseHandle(uninstaller);
  EXPECT_TRUE(WaitProcess(velix, 10000, NULL));
  CloseHandle(velix);

  ExpectUninstalled();
  EXPECT_FALSE(FileExistsAt(dir + "\\Config.db"));
  EXPECT_FALSE(FileExistsAt(dir + "\\config.ini"));
  EXPECT_FALSE(FileExistsAt(dir + "\\Backup"));
  for (const File& f : files) EXPECT_EQ(!f.ownedByVelix, FileExistsAt(dir + "\\" + f.name)) << f.name;
}

// The installer names the languages it speaks in its version resource: Simplified Chinese
// and English.
TEST(InstallerFile, NamesItsLanguages) {
  KxString setup = Dist("velix-" VELIX_VERSION_TEXT "-setup.exe");
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(setup.CStr(), &ignored);
  ASSERT_NE(0u, size) << setup.CStr();
  KxString info;
  ASSERT_TRUE(info.Resize(static_cast<int>(size)));
  ASSERT_TRUE(GetFileVersionInfoA(setup.CStr(), 0, size, info.Buffer()));
  struct Translation {
    WORD language;
    WORD codePage;
  }* translations = nullptr;
  UINT bytes = 0;
  ASSERT_TRUE(VerQueryValueA(info.Buffer(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &bytes));
  bool chinese = false, english = false;
  for (UINT i = 0; i < bytes / sizeof(Translation); ++i) {
    chinese = chinese || translations[i].language == 2052;
    english = english || translations[i].language == 1033;
  }
  EXPECT_TRUE(chinese);
  EXPECT_TRUE(english);
}

// The zip as a user unpacks it (the build unpacks it beside itself): the program that
// was tested, and the plug-in SDK whose sample the program accepts as a plug-in.
TEST(PortableZip, HoldsTheTestedProgramAndAWorkingSample) {
  KxString unpacked = Dist("portable");
  for (const char* name : {"\\velix.exe", "\\sdk\\VelixPlugin.h", "\\sdk\\sample\\SamplePlugin.cpp",
                           "\\sdk\\sample\\velix_sample_plugin.dll"})
    EXPECT_TRUE(FileExistsAt(unpacked + name)) << name;
  EXPECT_TRUE(ReadFileBytes(unpacked + "\\velix.exe") == ReadFileBytes(TestBinDir() + "\\velix.exe"));

  KxString result = MakeScratchDir("portable") + "\\identity.txt";
  HANDLE child = StartProcess(unpacked + "\\velix.exe",
                              "-identify \"" + unpacked + "\\sdk\\sample\\velix_sample_plugin.dll\" \"" + result + "\"",
                              unpacked);
  DWORD code = 1000;
  ASSERT_TRUE(WaitProcess(child, 20000, &code));
  CloseHandle(child);
  EXPECT_EQ(0u, code);
  KxString identity = ReadFileBytes(result);
  EXPECT_EQ(0, identity.Find(0, "VELIX-PLUGIN-IDENTITY 1\n"));
  EXPECT_GT(identity.Find(0, "9001"), 0);
}

}  // namespace
