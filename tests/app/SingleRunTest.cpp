// One resident Velix: a second start brings the first forward and ends; a start during
// the hand-over from an ending instance waits for it and stays.

#include <gtest/gtest.h>

#include "app/KxAutostart.h"
#include "net/KxAdapters.h"
#include "store/KxDb.h"
#include "store/ModuleRecord.h"
#include "store/Schema.h"
#include "tests/support/TestUtil.h"

namespace {

class SingleRunning : public ::testing::Test {
protected:
  void SetUp() override {
    KxString product = ReadFileBytes(TestBinDir() + "\\velix.exe");
    ASSERT_GT(product.Length(), 0);
    for (int i = 0; i < 2; ++i) {
      dirs[i] = MakeScratchDir(i == 0 ? "single-first" : "single-second");
      exes[i] = dirs[i] + "\\velix.exe";
      ASSERT_TRUE(WriteFileBytes(exes[i], product));
      // Seen this machine before: no first use, no Run value.
      ASSERT_TRUE(TheDb.Open(dirs[i] + "\\Config.db"));
      CreateMissingTables();
      CheckFirstUse(FirstAdapterAddress());
      ASSERT_TRUE(TheDb.Close());
    }
  }
  void TearDown() override {
    for (int i = 0; i < 2; ++i) {
      KillProcessesOf(exes[i]);
      RemoveTree(dirs[i]);
    }
  }

  HANDLE Start(int i) {
    HANDLE process = StartProcess(exes[i], "", dirs[i]);
    EXPECT_NE(nullptr, process);
    return process;
  }
  bool Runs(int i) { return CountWindowsOf(exes[i], "KxCardClassName") > 0; }

  KxString dirs[2], exes[2];
};

HWND MainWindowOf(const KxString& exe) {
  HWND found = NULL;
  for (HWND w = FindWindowA("KxCardClassName", "Velix"); w; w = FindWindowExA(NULL, w, "KxCardClassName", "Velix")) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    char image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (process && QueryFullProcessImageNameA(process, 0, image, &size) && lstrcmpiA(image, exe.CStr()) == 0)
      found = w;
    if (process) CloseHandle(process);
  }
  return found;
}

TEST_F(SingleRunning, ASecondStartBringsTheFirstForwardAndEnds) {
  HANDLE first = Start(0);
  // The kit window takes its title just after it is made: wait for the window by its title.
  HWND window = NULL;
  ASSERT_TRUE(WaitFor([&] { return (window = MainWindowOf(exes[0])) != NULL; }, 15000));
  ShowWindow(window, SW_HIDE);

  HANDLE second = Start(1);
  DWORD code = 0xDEAD;
  EXPECT_TRUE(WaitProcess(second, 15000, &code)) << "the second start must end";
  EXPECT_EQ(0u, code);
  EXPECT_FALSE(Runs(1));
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, 5000))
      << "the running instance comes forward";
  CloseHandle(second);
  CloseHandle(first);
}

TEST_F(SingleRunning, AStartDuringTheHandOverStays) {
  HANDLE first = Start(0);
  // The kit window takes its title just after it is made: wait for the window by its title.
  HWND window = NULL;
  ASSERT_TRUE(WaitFor([&] { return (window = MainWindowOf(exes[0])) != NULL; }, 15000));
  // The old instance is ending while the new copy starts.
  HANDLE second = Start(1);
  Sleep(200);
  PostMessageA(window, WM_COMMAND, kModuleExit, 0);
  EXPECT_TRUE(WaitProcess(first, 10000, nullptr));
  EXPECT_TRUE(WaitFor([&] { return Runs(1); }, 15000)) << "the new copy must take over";
  EXPECT_TRUE(WaitProcess(second, 0, nullptr) == false) << "and keep running";
  CloseHandle(second);
  CloseHandle(first);
}

}  // namespace
