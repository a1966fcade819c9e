#include "app/KxShell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "kx/base/KxFile.h"

void LaunchFile(const KxString& path, const KxString& parameters) {
  if (GetFileAttributesA(path.CStr()) == INVALID_FILE_ATTRIBUTES) return;
  char saved[MAX_PATH] = {};
  DWORD savedLength = GetCurrentDirectoryA(MAX_PATH, saved);
  SetCurrentDirectoryA(ParentDirectory(path).CStr());
  ShellExecuteA(NULL, "open", path.CStr(), parameters.CStr(), "", SW_SHOWNORMAL);
  if (savedLength > 0 && savedLength < MAX_PATH) SetCurrentDirectoryA(saved);
}

void OpenFile(const KxString& path) {
  ShellExecuteA(NULL, "open", path.CStr(), "", "", SW_SHOWNORMAL);
}

bool ScheduleSelfDelete(const KxString& modulePath) {
  char shortPath[MAX_PATH] = {};
  DWORD shortLength = GetShortPathNameA(modulePath.CStr(), shortPath, MAX_PATH);
  bool haveShort = shortLength > 0 && shortLength < MAX_PATH;
  KxString deletedPath =
      haveShort ? KxString(shortPath, static_cast<int>(shortLength)) : modulePath;
  // Without a short name the long one goes in quotes, so a blank cannot split it.
  KxString target = haveShort ? deletedPath : "\"" + deletedPath + "\"";

  char shell[MAX_PATH] = {};
  DWORD shellLength = GetEnvironmentVariableA("COMSPEC", shell, MAX_PATH);
  KxString shellPath = shellLength > 0 && shellLength < MAX_PATH
                           ? KxString(shell, static_cast<int>(shellLength))
                           : KxString("cmd.exe");
  KxString parameters = "/c del " + target + " > nul";

  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = NULL;
  info.lpVerb = "Open";
  info.lpFile = shellPath.CStr();
  info.lpParameters = parameters.CStr();
  info.lpDirectory = NULL;
  info.nShow = SW_HIDE;
  if (!ShellExecuteExA(&info)) return false;

  if (info.hProcess) SetPriorityClass(info.hProcess, IDLE_PRIORITY_CLASS);
  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHA, deletedPath.CStr(), NULL);
  if (info.hProcess) CloseHandle(info.hProcess);
  return true;
}
