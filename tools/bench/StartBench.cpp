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

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "kx/base/KxFile.h"
#include "kx/base/KxString.h"
#include "store/KxDb.h"
#include "store/ShortcutRecord.h"
#include "tools/bench/BenchIcon.h"
#include "tools/bench/BenchProcess.h"
#include "tools/bench/PrivateMemory.h"

namespace {

const UINT kTrayMessage = 2024;
const int kShortcutCount = 1000;
const DWORD kIdleMs = 1500;
const DWORD kPatienceMs = 20000;

struct Sample {
  double startMs = 0;
  double menuMs = 0;
  double idleKb = 0;
  double afterKb = 0;
};

bool Fail(const char* what) { return BenchFailed("start bench", what); }

// Config.db with every table, this machine's identity (so no start counts as a first use)
// and kShortcutCount shortcuts at the top level of the launcher menu.
bool MakeStore(const std::string& folder) {
  if (!OpenFreshStore(folder)) return Fail("cannot create Config.db");
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

HWND VisibleMenu() {
  HWND menu = FindWindowA("#32768", NULL);
  return menu && IsWindowVisible(menu) ? menu : NULL;
}

// One start, idle, menu and end of program; false when a step does not happen in time.
bool RunOnce(const BenchProgram& program, Sample& sample) {
  PROCESS_INFORMATION info = {};
  double started = BenchNowMs();
  if (!StartInItsFolder(program.exe, info)) return Fail("cannot start a program");
  bool ok = false;
  HWND window =
      WaitForVisibleWindow(program.windowClass, program.windowTitle, info.hProcess, kPatienceMs);
  if (window) {
    sample.startMs = BenchNowMs() - started;
    Sleep(kIdleMs);
    sample.idleKb = PrivateKb(info.hProcess, program.exe);

    AllowSetForegroundWindow(ASFW_ANY);
    double clicked = BenchNowMs();
    PostMessageA(window, kTrayMessage, 0, WM_LBUTTONUP);
    double deadline = clicked + kPatienceMs;
    HWND menu = NULL;
    while (!(menu = VisibleMenu()) && BenchNowMs() < deadline) Sleep(1);
    if (menu) {
      sample.menuMs = BenchNowMs() - clicked;
      PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
      while (VisibleMenu() && BenchNowMs() < deadline) Sleep(1);
      Sleep(kIdleMs);
      sample.afterKb = PrivateKb(info.hProcess, program.exe);
      ok = !VisibleMenu() && sample.idleKb > 0 && sample.afterKb > 0;
    }
    AskToEnd(program, window);
  }
  if (!AwaitEnd(info, kPatienceMs)) ok = false;
  if (!ok) std::fprintf(stderr, "start bench: %s did not finish its round\n", program.label);
  return ok;
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

  BenchProgram velix = {"velix", "", "KxCardClassName", "Velix", true};
  BenchProgram floor = {"floor", "", "VelixBenchFloor", NULL, false};
  if (!CopyBeside(here + "\\velix.exe", folder, velix.exe) ||
      !CopyBeside(here + "\\velix_bench_floor.exe", folder, floor.exe))
    return Fail("cannot copy the programs"), 1;
  if (!MakeStore(folder)) return 1;

  std::vector<Sample> velixSamples, floorSamples;
  // A first pair warms the file cache and is not counted.
  for (int round = -1; round < rounds; ++round) {
    Sample a, b;
    bool velixFirst = round % 2 == 0;
    const BenchProgram& first = velixFirst ? velix : floor;
    const BenchProgram& second = velixFirst ? floor : velix;
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
  PrintSpreadRow("start-up ratio", startRatio, "%10.2f");
  PrintSpreadRow("launcher menu ratio", menuRatio, "%10.2f");
  PrintSpreadRow("idle memory above floor (MB)", idleAbove, "%10.2f");
  PrintSpreadRow("after menu, above floor (MB)", afterAbove, "%10.2f");
  PrintSpreadRow("velix start-up (ms)", velixStart, "%10.1f");
  PrintSpreadRow("floor start-up (ms)", floorStart, "%10.1f");
  PrintSpreadRow("velix idle private (MB)", velixIdle, "%10.2f");
  PrintSpreadRow("floor idle private (MB)", floorIdle, "%10.2f");
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
