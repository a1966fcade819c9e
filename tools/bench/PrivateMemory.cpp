#include "tools/bench/PrivateMemory.h"

#include <psapi.h>

#include <cstdio>

namespace {

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         lstrcmpiA(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

// Under Wine a Windows process is a Linux process whose command line starts with the
// program's Windows path, and the Linux file system is drive Z:. Its private memory is
// its anonymous resident memory plus what of it is swapped out (RssAnon + VmSwap in
// /proc/PID/status): the image of the program, copied into memory by Wine's loader,
// included. -1 when no such process is found.
double WinePrivateKb(const std::string& exe) {
  std::string tail = exe.substr(exe.find_last_of('\\', exe.find_last_of('\\') - 1));
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
  if (search == INVALID_HANDLE_VALUE) return -1;
  double kb = -1;
  do {
    if (found.cFileName[0] < '1' || found.cFileName[0] > '9') continue;
    std::string dir = std::string("Z:\\proc\\") + found.cFileName;
    char line[512] = {};
    FILE* cmdline = std::fopen((dir + "\\cmdline").c_str(), "rb");
    if (!cmdline) continue;
    size_t n = std::fread(line, 1, sizeof(line) - 1, cmdline);
    std::fclose(cmdline);
    line[n] = 0;  // the first argument ends at its zero byte
    if (!EndsWithNoCase(line, tail)) continue;
    FILE* status = std::fopen((dir + "\\status").c_str(), "r");
    if (!status) continue;
    double anon = 0, swap = 0, value = 0;
    while (std::fgets(line, sizeof(line), status)) {
      if (std::sscanf(line, "RssAnon: %lf", &value) == 1) anon = value;
      if (std::sscanf(line, "VmSwap: %lf", &value) == 1) swap = value;
    }
    std::fclose(status);
    kb = anon + swap;
    break;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return kb;
}

}  // namespace

double PrivateKb(HANDLE process, const std::string& exe) {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters)) &&
      counters.PrivateUsage > 0)
    return counters.PrivateUsage / 1024.0;
  return WinePrivateKb(exe);
}
