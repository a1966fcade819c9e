#include "sysact/Shutdown.h"

#include "kx/base/KxSystemLibrary.h"

namespace {

bool PlatformShellDialog() {
  HMODULE shell = LoadSystemLibrary("shell32.dll");
  if (!shell) return false;
  // Ordinal 60 is the shell's exit-Windows dialog; it takes the owner window.
  using DialogProc = void(WINAPI*)(HWND);
  FARPROC proc = GetProcAddress(shell, MAKEINTRESOURCEA(60));
  bool shown = proc != NULL;
  if (proc) reinterpret_cast<DialogProc>(reinterpret_cast<void*>(proc))(NULL);
  FreeLibrary(shell);
  return shown;
}

const ShutdownCalls kPlatformCalls = {ExitWindowsEx, PlatformShellDialog};
ShutdownCalls activeCalls = kPlatformCalls;

}  // namespace

ShutdownCalls& CurrentShutdownCalls() { return activeCalls; }

void SetShutdownCalls(const ShutdownCalls* calls) { activeCalls = calls ? *calls : kPlatformCalls; }

void EnableShutdownPrivilege() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  GetVersionExA(&version);
  if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) return;
  HANDLE token = NULL;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
  AdjustTokenPrivileges(token, FALSE, &privileges, 0, NULL, NULL);
  CloseHandle(token);
}

void RestartComputer() {
  EnableShutdownPrivilege();
  activeCalls.exitWindows(EWX_REBOOT, 0);
}

void PowerOffNow() {
  EnableShutdownPrivilege();
  activeCalls.exitWindows(EWX_POWEROFF, 0);
}

void ShowShutdownDialog() { activeCalls.shellDialog(); }
