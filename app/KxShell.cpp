#include "app/KxShell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "kx/base/KxFile.h"
#include "kx/base/KxWide.h"

bool LaunchFile(const KxString& path, const KxString& parameters) {
  if (FileAttributesOf(path) == INVALID_FILE_ATTRIBUTES) return false;
  const KxString saved = CurrentDirectory();
  ChangeCurrentDirectory(ParentDirectory(path));
  HINSTANCE started = ShellExecuteW(NULL, L"open", KxWide(path), KxWide(parameters), L"", SW_SHOWNORMAL);
  if (!saved.IsEmpty()) ChangeCurrentDirectory(saved);
  // Values above 32 mean success.
  return reinterpret_cast<INT_PTR>(started) > 32;
}

bool OpenFile(const KxString& path) {
  HINSTANCE result = ShellExecuteW(NULL, L"open", KxWide(path), L"", L"", SW_SHOWNORMAL);
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
  const KxString systemDir = SystemDirectory();
  if (systemDir.IsEmpty()) return false;
  const KxString shellPath = systemDir + "\\cmd.exe";
  // /d: no AutoRun commands of the user's; /v:off: "!" is no variable even where the
  // user's settings turn delayed expansion on.
  KxWide command(QuotedArgument(shellPath) + " /d /v:off /c del /f \"%" + kDeletedVariable + "%\" > nul");
  const KxWide variable(kDeletedVariable), module(modulePath);
  if (command.IsEmpty() || !SetEnvironmentVariableW(variable, module)) return false;

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION started = {};
  // Started in the system folder, the shell holds no handle on the program's.
  BOOL ok = CreateProcessW(KxWide(shellPath), command.Buffer(), NULL, NULL, FALSE,
                           CREATE_NO_WINDOW | IDLE_PRIORITY_CLASS, NULL, KxWide(systemDir), &startup, &started);
  SetEnvironmentVariableW(variable, NULL);
  if (!ok) return false;

  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW, module.Get(), NULL);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}
