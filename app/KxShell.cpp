#include "app/KxShell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "kx/base/KxFile.h"

bool LaunchFile(const KxString& path, const KxString& parameters) {
  if (GetFileAttributesA(path.CStr()) == INVALID_FILE_ATTRIBUTES) return false;
  char saved[MAX_PATH] = {};
  DWORD savedLength = GetCurrentDirectoryA(MAX_PATH, saved);
  SetCurrentDirectoryA(ParentDirectory(path).CStr());
  HINSTANCE started = ShellExecuteA(NULL, "open", path.CStr(), parameters.CStr(), "", SW_SHOWNORMAL);
  if (savedLength > 0 && savedLength < MAX_PATH) SetCurrentDirectoryA(saved);
  // Values above 32 mean success.
  return reinterpret_cast<INT_PTR>(started) > 32;
}

bool OpenFile(const KxString& path) {
  HINSTANCE result = ShellExecuteA(NULL, "open", path.CStr(), "", "", SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

KxString QuotedArgument(const KxString& argument) { return "\"" + argument + "\""; }

namespace {

// The shell reads the name from its environment inside quotes: a name is never part of the
// command text, so "&", "%", "^" or "(" in it are only characters of the name.
const char kDeletedVariable[] = "VELIX_DELETED_FILE";

}  // namespace

bool ScheduleSelfDelete(const KxString& modulePath) {
  // The system's own shell by its full path: a bare name would be looked for in the
  // program's folder first, and COMSPEC may name another shell, which reads the line below
  // by other rules.
  char systemDir[MAX_PATH] = {};
  UINT systemLength = GetSystemDirectoryA(systemDir, MAX_PATH);
  if (systemLength == 0 || systemLength >= MAX_PATH) return false;
  KxString shellPath = KxString(systemDir) + "\\cmd.exe";
  // /d: no AutoRun commands of the user's; /v:off: "!" is no variable even where the
  // user's settings turn delayed expansion on.
  std::string command = (QuotedArgument(shellPath) + " /d /v:off /c del /f \"%" + kDeletedVariable + "%\" > nul").CStr();
  if (!SetEnvironmentVariableA(kDeletedVariable, modulePath.CStr())) return false;

  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION started = {};
  // Started in the system folder, the shell holds no handle on the program's.
  BOOL ok = CreateProcessA(shellPath.CStr(), &command[0], NULL, NULL, FALSE, CREATE_NO_WINDOW | IDLE_PRIORITY_CLASS,
                           NULL, systemDir, &startup, &started);
  SetEnvironmentVariableA(kDeletedVariable, NULL);
  if (!ok) return false;

  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHA, modulePath.CStr(), NULL);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}
