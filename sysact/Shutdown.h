#pragma once
// Restart, the system's shut-down dialog, and power-off at once. None asks first.

#include <windows.h>

// The two calls that end the log-on, replaceable so that a test can watch them.
struct ShutdownCalls {
  BOOL(WINAPI* exitWindows)(UINT flags, DWORD reason);
  // The shell's exit-Windows dialog; returns whether it could be shown.
  bool (*shellDialog)();
};

// The calls in use: the platform's own unless a test installed others.
ShutdownCalls& CurrentShutdownCalls();
// Installs calls (nullptr puts the platform's back).
void SetShutdownCalls(const ShutdownCalls* calls);

void EnableShutdownPrivilege();
void RestartComputer();
void PowerOffNow();
void ShowShutdownDialog();
