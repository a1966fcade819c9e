// velix_start_bench: velix.exe against the floor program, side by side in one run.
//
// Both programs are copied into one fresh folder with a Config.db of 1,000 shortcuts (each
// with an icon). Each round starts both, in alternating order, and takes for each:
//   start   creation of the process to its visible window,
//   idle    private memory once the window has been idle for 1.5 s,
//   menu    the tray callback of a left-button release to the visible pop-up menu,
//   after   private memory once the menu is closed and the program idle again.
// A first pair of rounds warms the file cache and is not counted.
// It prints the ratios velix / floor (start, menu) and the differences velix - floor
// (memory), each with minimum, median and maximum over the rounds. Wine's desktop process
// must be kept alive by another window for the whole run (tools/bench/start-bench.sh
// does that), or every start pays for it.
//
//   usage: velix_start_bench [rounds]

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "kx/base/KxFile.h"
#include "kx/base/KxString.h"
#include "net/KxAdapters.h"
#include "store/KxDb.h"
#include "store/Schema.h"
#include "store/ShortcutRecord.h"
#include "tools/bench/BenchIcon.h"
#include "tools/bench/PrivateMemory.h"

namespace {

const UINT kTrayMessage = 2024;
const UINT kExitCommand = 170;
const int kShortcutCount = 1000;
const DWORD kIdleMs = 1500;
const DWORD kPatienceMs = 20000;

struct Program {
  const char* label;
  std::string exe;
  const char* windowClass;
  const char* windowTitle;
  bool velix;
};

struct Sample {
  double startMs = 0;
  double menuMs = 0;
  double idleKb = 0;
  double afterKb = 0;
};

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

bool Fail(const char* what) {
  std::fprintf(stderr, "start bench: %s (error %lu)\n", what, GetLastError());
  return false;
}

// Config.db with every table, this machine's identity (so no start counts as a first use)
// and kShortcutCount shortcuts at the top level of the launcher menu.
bool MakeStore(const std::string& folder) {
  KxString path = (folder + "\\Config.db").c_str();
  if (!TheDb.Open(path)) return Fail("cannot create Config.db");
  CreateMissingTables();
  CheckFirstUse(FirstAdapterAddress());
  KxString blob = SampleIconBlob();
  if (blob.IsEmpty()) return Fail("cannot make the sample icon");
  TheDb.Begin();
  for (int i = 0; i < kShortcutCount; ++i) {
    ShortcutRecord record;
    record.kind = kShortcutItem;
    record.orderId = i;
    record.text = KxString("快捷方式 ") + KxString::FromInt(i + 1);
    record.path = "C:\\windows\\notepad.exe";
    BlobToIcon(blob.CStr(), blob.Length(), record.icon);
    if (!InsertShortcut(record)) return Fail("cannot store a shortcut");
  }
  TheDb.Commit();
  TheDb.Close();
  return true;
}

bool CopyBeside(const std::string& source, const std::string& folder, std::string& copy) {
  copy = folder + source.substr(source.find_last_of('\\'));
  return CopyFileA(source.c_str(), copy.c_str(), FALSE) != 0;
}

HWND WaitForWindow(const char* windowClass, const char* title, HANDLE process) {
  double deadline = Now() + kPatienceMs;
  while (Now() < deadline) {
    HWND window = FindWindowA(windowClass, title);
    if (window && IsWindowVisible(window)) return window;
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return NULL;
    Sleep(1);
  }
  return NULL;
}

HWND VisibleMenu() {
  HWND menu = FindWindowA("#32768", NULL);
  return menu && IsWindowVisible(menu) ? menu : NULL;
}

// One start, idle, menu and end of program; false when a step does not happen in time.
bool RunOnce(const Program& program, Sample& sample) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  std::string commandLine = "\"" + program.exe + "\"";
  std::string folder = ParentDirectory(program.exe.c_str()).CStr();
  double started = Now();
  if (!CreateProcessA(program.exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL,
                      folder.c_str(), &startup, &info))
    return Fail("cannot start a program");
  bool ok = false;
  HWND window = WaitForWindow(program.windowClass, program.windowTitle, info.hProcess);
  if (window) {
    sample.startMs = Now() - started;
    Sleep(kIdleMs);
    sample.idleKb = PrivateKb(info.hProcess, program.exe);

    AllowSetForegroundWindow(ASFW_ANY);
    double clicked = Now();
    PostMessageA(window, kTrayMessage, 0, WM_LBUTTONUP);
    double deadline = clicked + kPatienceMs;
    HWND menu = NULL;
    while (!(menu = VisibleMenu()) && Now() < deadline) Sleep(1);
    if (menu) {
      sample.menuMs = Now() - clicked;
      PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
      while (VisibleMenu() && Now() < deadline) Sleep(1);
      Sleep(kIdleMs);
      sample.afterKb = PrivateKb(info.hProcess, program.exe);
      ok = !VisibleMenu() && sample.idleKb > 0 && sample.afterKb > 0;
    }
    if (program.velix) {
      PostMessageA(window, WM_COMMAND, kExitCommand, 0);
    } else {
      PostMessageA(window, WM_CLOSE, 0, 0);
    }
  }
  if (WaitForSingleObject(info.hProcess, kPatienceMs) != WAIT_OBJECT_0) {
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, kPatienceMs);
    ok = false;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  if (!ok) std::fprintf(stderr, "start bench: %s did not finish its round\n", program.label);
  return ok;
}

struct Spread {
  double low, median, high;
};

Spread SpreadOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  return Spread{values.front(), median, values.back()};
}

void PrintRow(const char* name, const std::vector<double>& values, const char* format) {
  Spread s = SpreadOf(values);
  std::printf("%-30s", name);
  std::printf(format, s.low);
  std::printf(format, s.median);
  std::printf(format, s.high);
  std::printf("\n");
}

// The files a run leaves in its folder: the two programs and what velix.exe writes.
const char* const kWorkFiles[] = {"velix.exe", "velix_bench_floor.exe", "Config.db",
                                  "Config.db-journal", "config.ini"};

void ClearWorkFolder(const std::string& folder, bool removeFolder) {
  for (const char* name : kWorkFiles) DeleteFileA((folder + "\\" + name).c_str());
  if (removeFolder) RemoveDirectoryA(folder.c_str());
}

int RunBench(int rounds, const std::string& folder) {
  std::string here = ProgramDirectory().CStr();

  Program velix = {"velix", "", "KxCardClassName", "Velix", true};
  Program floor = {"floor", "", "VelixBenchFloor", NULL, false};
  if (!CopyBeside(here + "\\velix.exe", folder, velix.exe) ||
      !CopyBeside(here + "\\velix_bench_floor.exe", folder, floor.exe))
    return Fail("cannot copy the programs"), 1;
  if (!MakeStore(folder)) return 1;

  std::vector<Sample> velixSamples, floorSamples;
  // A first pair warms the file cache and is not counted.
  for (int round = -1; round < rounds; ++round) {
    Sample a, b;
    bool velixFirst = round % 2 == 0;
    const Program& first = velixFirst ? velix : floor;
    const Program& second = velixFirst ? floor : velix;
    Sample& firstSample = velixFirst ? a : b;
    Sample& secondSample = velixFirst ? b : a;
    if (!RunOnce(first, firstSample) || !RunOnce(second, secondSample)) return 1;
    if (round < 0) continue;
    velixSamples.push_back(a);
    floorSamples.push_back(b);
  }

  std::vector<double> startRatio, menuRatio, idleAbove, afterAbove, velixStart, floorStart,
      velixIdle, floorIdle;
  for (size_t i = 0; i < velixSamples.size(); ++i) {
    const Sample& v = velixSamples[i];
    const Sample& f = floorSamples[i];
    startRatio.push_back(v.startMs / f.startMs);
    menuRatio.push_back(v.menuMs / f.menuMs);
    idleAbove.push_back((v.idleKb - f.idleKb) / 1024);
    afterAbove.push_back((v.afterKb - f.afterKb) / 1024);
    velixStart.push_back(v.startMs);
    floorStart.push_back(f.startMs);
    velixIdle.push_back(v.idleKb / 1024);
    floorIdle.push_back(f.idleKb / 1024);
  }
  std::printf("velix against the floor, %d rounds, %d shortcuts     min    median       max\n",
              rounds, kShortcutCount);
  PrintRow("start-up ratio", startRatio, "%10.2f");
  PrintRow("launcher menu ratio", menuRatio, "%10.2f");
  PrintRow("idle memory above floor (MB)", idleAbove, "%10.2f");
  PrintRow("after menu, above floor (MB)", afterAbove, "%10.2f");
  PrintRow("velix start-up (ms)", velixStart, "%10.1f");
  PrintRow("floor start-up (ms)", floorStart, "%10.1f");
  PrintRow("velix idle private (MB)", velixIdle, "%10.2f");
  PrintRow("floor idle private (MB)", floorIdle, "%10.2f");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
  if (rounds < 1) rounds = 1;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "velix-start-bench";
  CreateDirectoryA(folder.c_str(), NULL);
  ClearWorkFolder(folder, false);
  int result = RunBench(rounds, folder);
  ClearWorkFolder(folder, true);
  return result;
}
