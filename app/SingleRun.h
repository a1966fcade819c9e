#pragma once
// One resident Velix per log-on: two would fight over Config.db, the tray and the global
// hotkeys. A second start brings the running one forward and ends. The messages the
// running instance answers are the application object's (app/KxApp.h).

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

// Asks the running instance to come forward.
void BringRunningInstanceForward();
