#pragma once
// What the benches that run velix.exe and the floor program as processes share: copying a
// program into the run's folder, starting it there, waiting for its window and its end,
// and the minimum, median and maximum they print.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "kx/base/KxFile.h"
#include "net/KxAdapters.h"
#include "store/KxDb.h"
#include "store/ModuleRecord.h"
#include "store/Schema.h"
#include "tools/bench/BenchTiming.h"

// A program of a side-by-side run, known by the window it shows.
struct BenchProgram {
  const char* label;
  std::string exe;
  const char* windowClass;
  const char* windowTitle;
  bool velix;
};

// Milliseconds on the performance counter.
inline double BenchNowMs() { return BenchNow() * 1000.0; }

// What failed, with the last error, on the error stream; false.
inline bool BenchFailed(const char* bench, const char* what) {
  std::fprintf(stderr, "%s: %s (error %lu)\n", bench, what, GetLastError());
  return false;
}

// source copied into folder under its own name; copy is the new path.
inline bool CopyBeside(const std::string& source, const std::string& folder, std::string& copy) {
  copy = folder + source.substr(source.find_last_of('\\'));
  return CopyFileA(source.c_str(), copy.c_str(), FALSE) != 0;
}

// exe started in its own folder, as a start from the shell's shortcut would.
inline bool StartInItsFolder(const std::string& exe, PROCESS_INFORMATION& info) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  std::string commandLine = "\"" + exe + "\"";
  std::string folder = ParentDirectory(exe.c_str()).CStr();
  return CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(),
                        &startup, &info) != 0;
}

// The visible top-level window of this class and title; NULL when the process ends or the
// time runs out first.
inline HWND WaitForVisibleWindow(const char* windowClass, const char* title, HANDLE process,
                                 double patienceMs) {
  double deadline = BenchNowMs() + patienceMs;
  while (BenchNowMs() < deadline) {
    HWND window = FindWindowA(windowClass, title);
    if (window && IsWindowVisible(window)) return window;
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return NULL;
    Sleep(1);
  }
  return NULL;
}

// Asks the program to end as a person would: velix by its exit command, the floor by
// closing its window.
inline void AskToEnd(const BenchProgram& program, HWND window) {
  if (program.velix) {
    PostMessageA(window, WM_COMMAND, kModuleExit, 0);
  } else {
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
}

// Waits for the end of the process, asked for already; ends it by force when it does not
// come in time. True when it ended by itself. Closes both handles.
inline bool AwaitEnd(PROCESS_INFORMATION& info, DWORD patienceMs) {
  bool ended = WaitForSingleObject(info.hProcess, patienceMs) == WAIT_OBJECT_0;
  if (!ended) {
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, patienceMs);
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return ended;
}

// Config.db made in folder with every table and this machine's identity (so that no start
// counts as a first use), left open in TheDb.
inline bool OpenFreshStore(const std::string& folder) {
  if (!TheDb.Open((folder + "\\Config.db").c_str())) return false;
  CreateMissingTables();
  CheckFirstUse(FirstAdapterAddress());
  return true;
}

struct BenchSpread {
  double low, median, high;
};

inline BenchSpread SpreadOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  return BenchSpread{values.front(), median, values.back()};
}

// One line: the name, then minimum, median and maximum, each in format.
inline void PrintSpreadRow(const char* name, const std::vector<double>& values,
                           const char* format) {
  BenchSpread s = SpreadOf(values);
  std::printf("%-30s", name);
  std::printf(format, s.low);
  std::printf(format, s.median);
  std::printf(format, s.high);
  std::printf("\n");
}
