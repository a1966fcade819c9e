// velix.exe started in a program directory of its own: the database its first start
// leaves, what a second start adds (nothing), and the starts that must end without a
// window because the data file is missing or cannot be read.

#include <gtest/gtest.h>

#include <string>

#include "net/KxAdapters.h"
#include "store/Backup.h"
#include "store/ModuleRecord.h"
#include "store/Schema.h"
#include "tests/store/StoreTestUtil.h"
#include "tests/support/GuiTestUtil.h"

using namespace storetest;

namespace {

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

struct RunValue {
  bool found = false;
  std::string data;
};

RunValue ReadRunValue(const char* name) {
  RunValue value;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return value;
  }
  char data[MAX_PATH * 2] = {};
  DWORD size = sizeof(data) - 1;
  value.found = RegQueryValueExA(key, name, NULL, NULL, reinterpret_cast<BYTE*>(data), &size) ==
                ERROR_SUCCESS;
  value.data = data;
  RegCloseKey(key);
  return value;
}

void WriteRunValue(const char* name, const RunValue& value) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  if (value.found) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data.c_str()),
                   static_cast<DWORD>(value.data.size() + 1));
  } else {
    RegDeleteValueA(key, name);
  }
  RegCloseKey(key);
}

BOOL CALLBACK CollectText(HWND hwnd, LPARAM lParam) {
  char text[1024] = {};
  GetWindowTextA(hwnd, text, sizeof(text));
  *reinterpret_cast<std::string*>(lParam) += text;
  return TRUE;
}

// The caption, then the texts of the controls.
std::string BoxTexts(HWND box) {
  char caption[64] = {};
  GetWindowTextA(box, caption, sizeof(caption));
  std::string texts = std::string(caption) + "|";
  EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

class FreshStart : public ::testing::Test {
protected:
  void SetUp() override {
    savedRun = ReadRunValue("velix.exe");
    dir = MakeScratchDir("fresh-start");
    exe = dir + "\\velix.exe";
    db = dir + "\\Config.db";
    ASSERT_TRUE(CopyFileA((TestBinDir() + "\\velix.exe").CStr(), exe.CStr(), FALSE));
  }
  void TearDown() override {
    KillProcessesOf(exe);
    WriteRunValue("velix.exe", savedRun);
    RemoveTree(dir);
  }

  // Starts the program, waits for its main window, gives it the Exit command and expects
  // a clean end.
  void RunOnce() {
    HANDLE process = StartProcess(exe, "", dir);
    ASSERT_NE(nullptr, process);
    HWND window = NULL;
    // Found by its title: the program may have other windows of the class, without one.
    bool shown = WaitFor(
        [&] { return (window = WindowOf(GetProcessId(process), "KxCardClassName", "Velix")) != NULL; }, 15000);
    if (shown) PostMessageA(window, WM_COMMAND, kModuleExit, 0);
    DWORD code = 0xDEAD;
    EXPECT_TRUE(WaitProcess(process, 15000, &code));
    CloseHandle(process);
    ASSERT_TRUE(shown) << "no main window titled Velix";
    EXPECT_EQ(0u, code);
  }

  // Starts the program and expects a message box instead of the main window; answers it
  // with button and returns its texts.
  std::string RunIntoBox(int button) {
    HANDLE process = StartProcess(exe, "", dir);
    EXPECT_NE(nullptr, process);
    if (!process) return "";
    HWND box = NULL;
    // The box is filled in before it shows.
    bool asked = WaitFor(
        [&] { return (box = WindowOf(GetProcessId(process), "#32770", nullptr)) != NULL && IsWindowVisible(box); }, 15000);
    std::string texts = asked ? BoxTexts(box) : "<no box>";
    EXPECT_EQ(NULL, WindowOf(GetProcessId(process), "KxCardClassName", nullptr));
    if (asked) PostMessageA(box, WM_COMMAND, button, 0);
    DWORD code = 0xDEAD;
    EXPECT_TRUE(WaitProcess(process, 15000, &code));
    EXPECT_EQ(0u, code);
    CloseHandle(process);
    return texts;
  }

  RunValue savedRun;
  KxString dir, exe, db;
};

TEST_F(FreshStart, FirstStartLeavesExactlyTheFormatAndTheSecondAddsNothing) {
  WriteRunValue("velix.exe", RunValue{});
  RunOnce();
  const std::vector<std::string> sys = {
      "1|1|数据库版本", "4|" + std::string(FirstAdapterAddress().CStr()) + "|是否首次使用"};
  for (int start = 1; start <= 2; ++start) {
    SCOPED_TRACE(start == 1 ? "after the first start" : "after the second start");
    KxDb file;
    ASSERT_TRUE(file.Open(db));
    EXPECT_EQ(ExpectedSchema(), Schema(file));
    EXPECT_EQ(sys, SysRows(file));
    EXPECT_EQ(DefaultModuleRows(), ModuleRows(file));
    EXPECT_EQ(0, RowsOfEmptyTables(file));
    file.Close();
    RunValue run = ReadRunValue("velix.exe");
    if (start == 1) {
      EXPECT_TRUE(run.found) << "a first use switches autostart on";
      EXPECT_EQ("\"" + std::string(exe.CStr()) + "\"", run.data);
      WriteRunValue("velix.exe", RunValue{});
      RunOnce();
    } else {
      EXPECT_FALSE(run.found) << "the same machine again is no first use";
    }
  }
}

TEST_F(FreshStart, DataFileThatCannotBeReadIsReportedAndKept) {
  WriteRunValue("velix.exe", RunValue{});
  const KxString text = "[0]\r\nDBPATH=\r\n这不是数据库\r\n";
  ASSERT_TRUE(WriteFileBytes(db, text));
  std::string texts = RunIntoBox(IDOK);
  EXPECT_EQ(0u, texts.find("提示|")) << texts;
  EXPECT_NE(std::string::npos, texts.find("数据文件无法读取:" + std::string(db.CStr()))) << texts;
  EXPECT_TRUE(ReadFileBytes(db) == text);
  EXPECT_FALSE(FileExistsAt(db + "-journal"));
  EXPECT_FALSE(ReadRunValue("velix.exe").found);
}

// A truncated Config.db with two copies, the newer one damaged as well: the question names
// the good one, and the answer is given by keys.
TEST_F(FreshStart, AnUnreadableFileIsOfferedTheNewestGoodBackup) {
  WriteRunValue("velix.exe", RunValue{});
  RunOnce();
  const KxString backups = dir + "\\Backup";
  std::vector<KxString> made = ListBackups(backups);
  ASSERT_EQ(1u, made.size()) << "the start copies the store";
  const KxString good = backups + "\\Config-20200101.db";
  const KxString bad = backups + "\\Config-20200105.db";
  ASSERT_TRUE(MoveFileA(made[0].CStr(), good.CStr()));
  {
    KxDb copy;
    ASSERT_TRUE(copy.Open(good));
    ASSERT_TRUE(copy.Exec("insert into KX_NOTE (N_ID,N_LEFT,N_TOP,N_WIDTH,N_HEIGHT,N_FLAG,N_TEXT,N_SHOW) "
                          "values (7,100,100,80,20,0,'备份里的便签',0)"));
  }
  const KxString truncated = ReadFileBytes(db).Mid(1500, 0);
  ASSERT_TRUE(WriteFileBytes(bad, truncated));
  for (WORD key : {WORD('N'), WORD('Y')}) {
    SCOPED_TRACE(key == 'Y' ? "是" : "否");
    ASSERT_TRUE(WriteFileBytes(db, truncated));
    HANDLE process = StartProcess(exe, "", dir);
    HWND box = NULL;
    ASSERT_TRUE(WaitFor([&] { return (box = WindowOf(GetProcessId(process), "#32770", nullptr)) != NULL && IsWindowVisible(box); }, 15000));
    std::string texts = BoxTexts(box);
    EXPECT_EQ(0u, texts.find("询问|")) << texts;
    EXPECT_NE(std::string::npos, texts.find("数据文件无法读取:" + std::string(db.CStr()))) << texts;
    EXPECT_NE(std::string::npos, texts.find("找到 2020-01-01 的备份:" + std::string(good.CStr()))) << texts;
    SetForegroundWindow(box);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == box; }, 5000));
    TapKey(key);
    if (key == 'N') {
      EXPECT_TRUE(WaitProcess(process, 15000, nullptr));
      EXPECT_TRUE(ReadFileBytes(db) == truncated) << "否 leaves the file as it was";
      EXPECT_EQ(2u, ListBackups(backups).size());
    } else {
      HWND kit = NULL;
      ASSERT_TRUE(WaitFor([&] { return (kit = WindowOf(GetProcessId(process), "KxCardClassName", nullptr)) != NULL; }, 15000));
      KxDb restored;
      ASSERT_TRUE(restored.Open(db));
      EXPECT_EQ("备份里的便签", restored.SelectText("KX_NOTE", "N_TEXT", "N_ID=7"));
      restored.Close();
      PostMessageA(kit, WM_COMMAND, kModuleExit, 0);
      DWORD code = 0xDEAD;
      EXPECT_TRUE(WaitProcess(process, 15000, &code));
      EXPECT_EQ(0u, code);
    }
    CloseHandle(process);
  }
  // The unreadable file is kept beside the restored one.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((db + ".damaged-*").CStr(), &found);
  ASSERT_NE(INVALID_HANDLE_VALUE, search);
  FindClose(search);
  EXPECT_TRUE(ReadFileBytes(dir + "\\" + found.cFileName) == truncated);
}

TEST_F(FreshStart, MissingConfiguredFileAnsweredNoEndsTheRun) {
  const KxString ini = "[0]\r\nDBPATH=" + dir + "\\gone\r\n";
  ASSERT_TRUE(WriteFileBytes(dir + "\\config.ini", ini));
  std::string texts = RunIntoBox(IDNO);
  EXPECT_EQ(0u, texts.find("询问|")) << texts;
  EXPECT_NE(std::string::npos, texts.find("找不到数据文件:" + std::string(dir.CStr()) +
                                          "\\gone\\Config.db"))
      << texts;
  EXPECT_FALSE(FileExistsAt(db));
  EXPECT_TRUE(ReadFileBytes(dir + "\\config.ini") == ini);
}

}  // namespace
