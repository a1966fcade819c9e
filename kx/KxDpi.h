#pragma once
// Dots per inch. Every layout value of the program is written for 96 DPI (100 %); the
// toolkit scales it to the DPI of the window that shows it. The calls that tell a window's
// or a monitor's own DPI are newer than Windows 7: they are looked up, never imported, and
// without them every window has the screen's DPI.

#include <windows.h>

constexpr int kKxBaseDpi = 96;
// WM_DPICHANGED: wParam's high word (the y axis) the new DPI, lParam the suggested window rectangle.
constexpr UINT kKxWmDpiChanged = 0x02E0;

// value at 96 DPI as it is at dpi, rounded to the nearest pixel.
inline int KxScale(int value, int dpi) {
  return dpi == kKxBaseDpi ? value : MulDiv(value, dpi, kKxBaseDpi);
}
// The reverse: pixels at dpi as a 96-DPI value.
inline int KxUnscale(int pixels, int dpi) {
  return dpi == kKxBaseDpi || dpi <= 0 ? pixels : MulDiv(pixels, kKxBaseDpi, dpi);
}

// The screen DC's LOGPIXELSY, read once: the system DPI of a system-aware program, 96 for
// one the system scales.
int KxSystemDpi();
// The DPI of a window (GetDpiForWindow, Windows 10), else the system DPI.
int KxDpiOfWindow(HWND hwnd);
// The DPI of a monitor (GetDpiForMonitor, Windows 8.1), else the system DPI.
int KxDpiOfMonitor(HMONITOR monitor);
// The DPI of the monitor nearest to a rectangle of the screen: for a window not made yet.
int KxDpiOfRect(const RECT& screen);
// A system metric (SM_CXVSCROLL ...) at dpi: GetSystemMetricsForDpi (Windows 10), else the
// system's metric scaled from the system DPI.
int KxMetric(int index, int dpi);
// The side of a small icon (16 at 96 DPI) at dpi.
inline int KxSmallIconSide(int dpi) { return KxScale(16, dpi); }
