#pragma once
// One resident Velix per log-on: two would fight over Config.db, the tray and the global
// hotkeys. A second start brings the running one forward and ends.

#include <windows.h>

class SingleRun {
public:
  SingleRun();
  SingleRun(const SingleRun&) = delete;
  SingleRun& operator=(const SingleRun&) = delete;
  ~SingleRun();

  // True when this process is the one instance. An instance that is just ending (the
  // hand-over after an upgrade) is waited for up to waitMs.
  bool Acquire(DWORD waitMs);

private:
  HANDLE mutex;
  bool owned = false;
};

// The message the running instance answers by showing its main window.
UINT ShowRunningInstanceMessage();
// The message the running instance answers by ending as its Exit command does (the
// installer and the uninstaller send it before they replace or remove the program).
UINT ExitRunningInstanceMessage();
// Asks the running instance to come forward.
void BringRunningInstanceForward();
