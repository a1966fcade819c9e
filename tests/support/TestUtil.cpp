#include "tests/support/TestUtil.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>

#include "kx/base/KxFile.h"
#include "kx/base/KxWide.h"

namespace {

// A test program that hangs is ended by CTest: what it printed up to then must already
// be written, and a piped stdout is otherwise held in a buffer until the exit.
const int kUnbufferedOutput = setvbuf(stdout, NULL, _IONBF, 0);

}  // namespace

KxString TestBinDir() { return ProgramDirectory(); }

bool RemoveTree(const KxString& dir) {
  for (KxFindFiles found(dir + "\\*"); found.Next();) {
    const KxString& name = found.Name();
    if (name == "." || name == "..") continue;
    KxString child = dir + "\\" + name;
    if (found.IsDirectory()) {
      RemoveTree(child);
    } else {
      SetFileAttributesOf(child, FILE_ATTRIBUTE_NORMAL);
      RemoveFile(child);
    }
  }
  return RemoveDirectoryW(KxWide(dir)) != 0;
}

namespace {

// %TEMP%\velix-tests\<process id>: CTest runs the cases of one program in processes of
// their own, some of them side by side, so a folder named by the test alone would be shared.
KxString OwnScratchRoot() {
  KxString base = KxWideAnswer([](wchar_t* buffer, DWORD capacity) { return GetTempPathW(capacity, buffer); });
  if (!base.IsEmpty() && base.At(base.Length() - 1) == '\\') base.Resize(base.Length() - 1);
  base += "\\velix-tests";
  MakeDirectory(base);
  return base + "\\" + KxString::FromInt(static_cast<int>(GetCurrentProcessId()));
}

void RemoveOwnScratchRoot() { RemoveTree(OwnScratchRoot()); }

}  // namespace

KxString MakeScratchDir(const char* name) {
  static const bool removedAtExit = std::atexit(RemoveOwnScratchRoot) == 0;
  (void)removedAtExit;
  KxString root = OwnScratchRoot();
  MakeDirectory(root);
  KxString dir = root + "\\" + name;
  RemoveTree(dir);
  MakeDirectory(dir);
  return dir;
}

bool FileExistsAt(const KxString& path) { return FileAttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

KxString ReadFileBytes(const KxString& path) {
  HANDLE file = CreateFileW(KxWide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return KxString();
  DWORD size = GetFileSize(file, NULL);
  KxString bytes;
  bytes.Resize(static_cast<int>(size));
  DWORD read = 0;
  if (!ReadFile(file, bytes.Buffer(), size, &read, NULL)) read = 0;
  CloseHandle(file);
  bytes.Resize(static_cast<int>(read));
  return bytes;
}

bool WriteFileBytes(const KxString& path, const KxString& bytes) {
  HANDLE file = CreateFileW(KxWide(path), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.CStr(), static_cast<DWORD>(bytes.Length()), &written, NULL);
  CloseHandle(file);
  return ok && written == static_cast<DWORD>(bytes.Length());
}

bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (cond()) return true;
    if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return false;
    Sleep(20);
  }
}

HANDLE StartProcess(const KxString& exe, const KxString& args, const KxString& dir) {
  KxString line = "\"" + exe + "\"";
  if (!args.IsEmpty()) line += " " + args;
  KxWide wideLine(line);
  const KxWide folder(dir);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(KxWide(exe), wideLine.Buffer(), NULL, NULL, FALSE, 0, NULL, dir.IsEmpty() ? NULL : folder.Get(),
                      &startup, &info)) {
    return NULL;
  }
  CloseHandle(info.hThread);
  return info.hProcess;
}

bool WaitProcess(HANDLE process, int timeoutMs, DWORD* exitCode) {
  if (!process || WaitForSingleObject(process, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) {
    return false;
  }
  if (exitCode) GetExitCodeProcess(process, exitCode);
  return true;
}

namespace {

bool ProcessRuns(DWORD pid, const KxString& path) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return false;
  wchar_t image[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  bool same = QueryFullProcessImageNameW(process, 0, image, &size) && KxSamePath(KxFromWide(image), path);
  CloseHandle(process);
  return same;
}

}  // namespace

int KillProcessesOf(const KxString& path) {
  int killed = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (!ProcessRuns(entry.th32ProcessID, path)) continue;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (!process) continue;
    if (TerminateProcess(process, 1)) {
      WaitForSingleObject(process, 5000);
      ++killed;
    }
    CloseHandle(process);
  }
  CloseHandle(snapshot);
  return killed;
}

namespace {

struct WindowCount {
  const KxString* path;
  const char* className;
  int count;
};

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM lParam) {
  WindowCount* state = reinterpret_cast<WindowCount*>(lParam);
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  if (lstrcmpA(name, state->className) != 0) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (ProcessRuns(pid, *state->path)) ++state->count;
  return TRUE;
}

}  // namespace

int CountWindowsOf(const KxString& path, const char* className) {
  WindowCount state{&path, className, 0};
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&state));
  return state.count;
}

namespace {

struct WindowSearch {
  DWORD pid;
  const char* className;
  const char* text;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
  WindowSearch* s = reinterpret_cast<WindowSearch*>(lParam);
  char name[64] = {};
  char text[64] = {};
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  GetClassNameA(hwnd, name, sizeof(name));
  GetWindowTextA(hwnd, text, sizeof(text));
  if (pid != s->pid || lstrcmpA(name, s->className) != 0) return TRUE;
  if (s->text && lstrcmpA(text, s->text) != 0) return TRUE;
  if (!s->text && !IsWindowVisible(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

}  // namespace

HWND WindowOf(DWORD pid, const char* className, const char* text) {
  WindowSearch s{pid, className, text, NULL};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND ChildOfClass(HWND parent, const char* className, const char* text) {
  struct Search {
    const char* className;
    const char* text;
    HWND found;
  } search{className, text, NULL};
  EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM lParam) CALLBACK -> BOOL {
        Search* s = reinterpret_cast<Search*>(lParam);
        char name[64] = {}, caption[64] = {};
        GetClassNameA(hwnd, name, sizeof(name));
        GetWindowTextA(hwnd, caption, sizeof(caption));
        if (lstrcmpiA(name, s->className) || (s->text && lstrcmpA(caption, s->text))) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND TopLevelWithChild(DWORD pid, const char* childText) {
  struct Search {
    DWORD pid;
    const char* childText;
    HWND found;
  } search{pid, childText, NULL};
  EnumWindows(
      [](HWND hwnd, LPARAM lParam) CALLBACK -> BOOL {
        Search* s = reinterpret_cast<Search*>(lParam);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner != s->pid || !IsWindowVisible(hwnd) ||
            !ChildOfClass(hwnd, "KxCardClassName", s->childText))
          return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

KxString CopyOfProbe(const KxString& dir, const char* name) {
  MakeDirectory(dir);
  KxString copy = dir + "\\" + name;
  CopyFileTo(copy, TestBinDir() + "\\velix_probe.exe");
  return copy;
}
