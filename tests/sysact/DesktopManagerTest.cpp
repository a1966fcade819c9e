// Virtual desktops over real top-level windows of this test.

#include <gtest/gtest.h>

#include <vector>

#include "sysact/DesktopManager.h"

namespace {

HWND MakeWindow(const char* title, bool visible) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "VelixDesktopTestWindow";
    RegisterClassA(&wc);
    registered = true;
  }
  return CreateWindowExA(0, "VelixDesktopTestWindow", title,
                         WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 10, 10, 100, 80, NULL, NULL,
                         GetModuleHandleA(NULL), NULL);
}

bool Contains(const std::vector<HWND>& list, HWND hwnd) {
  for (HWND h : list)
    if (h == hwnd) return true;
  return false;
}

TEST(Desktops, SwitchingAwayAndBackHidesAndRestoresInOrder) {
  HWND first = MakeWindow("first", true);
  HWND second = MakeWindow("second", true);
  HWND invisible = MakeWindow("invisible", false);
  {
    DesktopManager desktops;
    desktops.SwitchDesktop(0);  // the current one: nothing collected
    EXPECT_TRUE(desktops.Remembered(0).empty());

    desktops.SwitchDesktop(1);
    EXPECT_EQ(1, desktops.CurrentDesktop());
    EXPECT_FALSE(IsWindowVisible(first));
    EXPECT_FALSE(IsWindowVisible(second));
    const std::vector<HWND>& onZero = desktops.Remembered(0);
    EXPECT_TRUE(Contains(onZero, first));
    EXPECT_TRUE(Contains(onZero, second));
    EXPECT_FALSE(Contains(onZero, invisible));
    EXPECT_FALSE(Contains(onZero, FindWindowA("Shell_TrayWnd", NULL)));

    HWND third = MakeWindow("third", true);
    desktops.SwitchDesktop(0);
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_TRUE(IsWindowVisible(second));
    EXPECT_FALSE(IsWindowVisible(third));
    EXPECT_FALSE(IsWindowVisible(invisible)) << "an invisible window is left alone";
    EXPECT_TRUE(desktops.Remembered(0).empty());
    EXPECT_TRUE(Contains(desktops.Remembered(1), third));

    desktops.SwitchDesktop(8);  // out of range
    desktops.SwitchDesktop(-1);
    EXPECT_EQ(0, desktops.CurrentDesktop());
    EXPECT_FALSE(IsWindowVisible(third));
  }
  // The manager's end shows what other desktops still held.
  EXPECT_TRUE(IsWindowVisible(FindWindowA("VelixDesktopTestWindow", "third")));
  DestroyWindow(first);
  DestroyWindow(second);
  DestroyWindow(invisible);
  DestroyWindow(FindWindowA("VelixDesktopTestWindow", "third"));
}

TEST(Desktops, AWindowClosedWhileHiddenIsSkipped) {
  HWND gone = MakeWindow("gone", true);
  HWND kept = MakeWindow("kept", true);
  DesktopManager desktops;
  desktops.SwitchDesktop(3);
  DestroyWindow(gone);
  desktops.SwitchDesktop(0);
  EXPECT_TRUE(IsWindowVisible(kept));
  DestroyWindow(kept);
}

}  // namespace
