// velix_probe.exe [OUTFILE [REST...]]: writes its current directory and REST (the command
// line after OUTFILE, as the program received it) as two lines into OUTFILE, by default
// velix-probe-out.txt in the current directory. The line is read wide and the report is
// GB18030, so a name outside the system's code page arrives as it was sent. It carries an
// icon of its own (Probe.rc), which the icon tests tell from the shell's icon of programs.

#include <windows.h>

#include "kx/base/KxFile.h"
#include "kx/base/KxWide.h"

namespace {

// Skips one command-line word, quoted or not, and the blanks after it.
const wchar_t* SkipWord(const wchar_t* p) {
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

bool WriteAll(HANDLE file, const KxString& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.CStr(), static_cast<DWORD>(bytes.Length()), &written, NULL) &&
         written == static_cast<DWORD>(bytes.Length());
}

}  // namespace

int main() {
  const wchar_t* outStart = SkipWord(GetCommandLineW());
  const wchar_t* rest = SkipWord(outStart);
  const wchar_t* from = outStart;
  const wchar_t* to = rest;
  while (to > from && (to[-1] == L' ' || to[-1] == L'\t')) --to;
  if (*from == L'"') {
    ++from;
    if (to > from && to[-1] == L'"') --to;
  }
  KxWide outFile = to > from ? KxWide(from, static_cast<int>(to - from)) : KxWide("velix-probe-out.txt");

  HANDLE file = CreateFileW(outFile, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return 3;
  bool ok = WriteAll(file, CurrentDirectory() + "\r\n") && WriteAll(file, KxFromWide(rest) + "\r\n");
  CloseHandle(file);
  return ok ? 0 : 3;
}
