#pragma once
// Eight virtual desktops made of remembered window sets: leaving a desktop hides every
// visible top-level window (except the shell's own) and remembers it there; coming back
// shows them again, without activating any. Whatever is still hidden when the manager goes is shown again.
//
// A run can also end without the destructor: killed, crashed, or cut off by the end of
// the session. So the hidden set is kept in the registry after every switch, and the
// next run's manager shows again what a dead run left hidden. The end of the session and
// a crash (through DesktopCrashGuard) show everything before the process goes.
//
// A window belongs to one desktop at a time: a window that shows itself while it is
// remembered for another desktop stays remembered there only, and is left alone until
// that desktop is shown.

#include <windows.h>

#include <vector>

#include "kx/base/KxString.h"

// One window in the registry store: its handle, the process that owned it, that process's
// creation time and the window's class, so that a handle or process id reused by another
// window or program is never shown by mistake.
struct StoredWindow {
  HWND hwnd;
  DWORD processId;
  ULONGLONG processCreated;  // FILETIME as one number; 0 where it could not be read
  KxString className;
};

// When the process started, as GetProcessTimes gives it; 0 when it cannot be asked.
ULONGLONG ProcessCreationTime(DWORD processId);

// The store's text: one "handle(hex) process-id(decimal) creation-time(hex) class" line a
// window, joined by '\n'. Format stops before kStoreMaxBytes; Parse skips any line that is not exactly that
// form and gives nothing for text longer than the cap.
const int kStoreMaxBytes = 32 * 1024;
KxString FormatStoredWindows(const std::vector<StoredWindow>& windows);
std::vector<StoredWindow> ParseStoredWindows(const KxString& text);

// The class name as stored: cut at the first control character, which the line form
// cannot carry.
KxString StoredClassName(HWND hwnd);

// Where the store lives: the volatile key HKEY_CURRENT_USER\Software\Velix\HiddenWindows,
// which no restart of the system keeps, one REG_SZ value a log-on session, named by the
// session id in decimal: two sessions of one user never read each other's windows.
extern const char kStoreKey[];
// This process's session id as the store's value name.
const char* StoreValueName();

class DesktopManager {
public:
  static constexpr int kCount = 8;

  // Shows what a run that ended abnormally left hidden, then clears the store.
  DesktopManager();
  DesktopManager(const DesktopManager&) = delete;
  DesktopManager& operator=(const DesktopManager&) = delete;
  ~DesktopManager();

  void SwitchDesktop(int index);
  int CurrentDesktop() const { return current; }
  // The windows remembered under desktop index, in the order they were collected.
  const std::vector<HWND>& Remembered(int index) const { return slots[index]; }

  // Shows every remembered window with ShowWindowAsync, which waits on no other thread,
  // forgets them and clears the store: for the end of the session and for a crash.
  void ShowAllNow();
  // Windows for which keepsOwnState answers true are never parked: they follow their own
  // shown state on every desktop (the program's notes and tool windows).
  void SetKeepsOwnState(bool (*test)(HWND hwnd)) { keepsOwnState = test; }

private:
  static BOOL CALLBACK Collect(HWND hwnd, LPARAM self);
  static LRESULT CALLBACK SessionProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool Excluded(HWND hwnd) const;
  // Whether hwnd is remembered for a desktop other than the current one.
  bool RememberedElsewhere(HWND hwnd) const;
  // Shows every remembered window that still exists with show, forgets them all and
  // clears the store.
  void ShowRemembered(BOOL(WINAPI* show)(HWND, int));
  // The store holds every window hidden on any desktop; nothing hidden, no value.
  void SaveHidden() const;

  int current = 0;
  std::vector<HWND> slots[kCount];
  HWND taskbarWindow;
  HWND desktopWindow;
  // Never shown: a top-level window of ours only so that WM_ENDSESSION reaches the manager.
  HWND sessionWindow = NULL;
  bool (*keepsOwnState)(HWND hwnd) = nullptr;
};

// For the life of the guard, an unhandled exception shows every window the manager hides
// before the process goes, then passes on to the filter that was there before.
class DesktopCrashGuard {
public:
  explicit DesktopCrashGuard(DesktopManager& desktops);
  DesktopCrashGuard(const DesktopCrashGuard&) = delete;
  DesktopCrashGuard& operator=(const DesktopCrashGuard&) = delete;
  ~DesktopCrashGuard();
};

// The desktops of the run; set while the program's manager exists.
extern DesktopManager* TheDesktops;
