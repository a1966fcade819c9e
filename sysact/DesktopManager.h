#pragma once
// Eight virtual desktops made of remembered window sets: leaving a desktop hides every
// visible top-level window (except the shell's own) and remembers it there; coming back
// shows them again. Whatever is still hidden when the manager goes is shown again.

#include <windows.h>

#include <vector>

class DesktopManager {
public:
  static constexpr int kCount = 8;

  DesktopManager();
  DesktopManager(const DesktopManager&) = delete;
  DesktopManager& operator=(const DesktopManager&) = delete;
  ~DesktopManager();

  void SwitchDesktop(int index);
  int CurrentDesktop() const { return current; }
  // The windows remembered under desktop index, in the order they were collected.
  const std::vector<HWND>& Remembered(int index) const { return slots[index]; }

private:
  static BOOL CALLBACK Collect(HWND hwnd, LPARAM self);
  bool Excluded(HWND hwnd) const;

  int current = 0;
  std::vector<HWND> slots[kCount];
  HWND taskbarWindow;
  HWND desktopWindow;
};

// The desktops of the run; set while the program's manager exists.
extern DesktopManager* TheDesktops;
