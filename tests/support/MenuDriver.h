#pragma once
// Drives a platform menu from a second thread while its modal loop runs on the test's
// thread: finds the menu windows of this process and presses real keys (SendInput).

#include <windows.h>

#include <functional>
#include <thread>
#include <vector>

#include "tests/support/GuiTestUtil.h"

namespace menudriver {

inline BOOL CALLBACK CollectMenuWindow(HWND hwnd, LPARAM param) {
  char name[16] = {};
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && GetClassNameA(hwnd, name, 16) &&
      lstrcmpA(name, "#32768") == 0)
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

// The visible menu windows, the most recently opened first.
inline std::vector<HWND> MenuWindows() {
  std::vector<HWND> found;
  EnumWindows(CollectMenuWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

inline bool WaitForMenus(size_t count) {
  for (int i = 0; i < 250; ++i) {
    if (MenuWindows().size() >= count) return true;
    Sleep(20);
  }
  return false;
}

inline void Tap(WORD vk) {
  INPUT input[2] = {};
  input[0].type = INPUT_KEYBOARD;
  input[0].ki.wVk = vk;
  input[1] = input[0];
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
  Sleep(80);
}

// Runs modal (which opens a menu) here and script on a second thread once the menu shows;
// whatever the script leaves open is dismissed, so a failing test ends instead of hanging.
inline void Drive(const std::function<void()>& modal, const std::function<void()>& script) {
  std::thread driver = WindowThread([&] {
    if (WaitForMenus(1)) script();
    for (int i = 0; i < 100 && !MenuWindows().empty(); ++i) {
      PostMessageA(MenuWindows().front(), WM_KEYDOWN, VK_ESCAPE, 0);
      Sleep(50);
    }
  });
  modal();
  driver.join();
}

}  // namespace menudriver
