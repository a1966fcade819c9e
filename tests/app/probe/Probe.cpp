// velix_probe.exe [OUTFILE [REST...]]: writes its current directory and REST (the command
// line after OUTFILE, as the program received it) as two lines into OUTFILE, by default
// velix-probe-out.txt in the current directory.

#include <windows.h>

namespace {

// Skips one command-line word, quoted or not, and the blanks after it.
const char* SkipWord(const char* p) {
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

bool WriteAll(HANDLE file, const char* bytes, DWORD count) {
  DWORD written = 0;
  return WriteFile(file, bytes, count, &written, NULL) && written == count;
}

}  // namespace

int main() {
  const char* outStart = SkipWord(GetCommandLineA());
  const char* rest = SkipWord(outStart);
  char outFile[MAX_PATH] = "velix-probe-out.txt";
  const char* from = outStart;
  const char* to = rest;
  while (to > from && (to[-1] == ' ' || to[-1] == '\t')) --to;
  if (*from == '"') {
    ++from;
    if (to > from && to[-1] == '"') --to;
  }
  if (to - from >= MAX_PATH) return 2;
  if (to > from) lstrcpynA(outFile, from, static_cast<int>(to - from) + 1);

  char current[MAX_PATH] = {};
  DWORD currentLength = GetCurrentDirectoryA(MAX_PATH, current);

  HANDLE file = CreateFileA(outFile, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return 3;
  bool ok = WriteAll(file, current, currentLength) && WriteAll(file, "\r\n", 2) &&
            WriteAll(file, rest, static_cast<DWORD>(lstrlenA(rest))) && WriteAll(file, "\r\n", 2);
  CloseHandle(file);
  return ok ? 0 : 3;
}
