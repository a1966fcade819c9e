#include "kx/KxDpi.h"

#include "kx/base/KxSystemLibrary.h"

namespace {

using DpiForWindowCall = UINT(WINAPI*)(HWND);
// GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI = 0, &x, &y) gives an HRESULT.
using DpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using MetricForDpiCall = int(WINAPI*)(int, UINT);

DpiForWindowCall DpiForWindow() {
  static const DpiForWindowCall call = reinterpret_cast<DpiForWindowCall>(
      reinterpret_cast<void*>(SystemLibraryFunction("user32.dll", "GetDpiForWindow")));
  return call;
}

DpiForMonitorCall DpiForMonitor() {
  static const DpiForMonitorCall call = reinterpret_cast<DpiForMonitorCall>(
      reinterpret_cast<void*>(SystemLibraryFunction("shcore.dll", "GetDpiForMonitor")));
  return call;
}

MetricForDpiCall MetricForDpi() {
  static const MetricForDpiCall call = reinterpret_cast<MetricForDpiCall>(
      reinterpret_cast<void*>(SystemLibraryFunction("user32.dll", "GetSystemMetricsForDpi")));
  return call;
}

int ReadSystemDpi() {
  HDC screen = GetDC(NULL);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(NULL, screen);
  return dpi > 0 ? dpi : kKxBaseDpi;
}

}  // namespace

int KxSystemDpi() {
  static const int dpi = ReadSystemDpi();
  return dpi;
}

int KxDpiOfWindow(HWND hwnd) {
  if (DpiForWindowCall call = DpiForWindow()) {
    UINT dpi = hwnd ? call(hwnd) : 0;
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return KxSystemDpi();
}

int KxDpiOfMonitor(HMONITOR monitor) {
  if (DpiForMonitorCall call = DpiForMonitor()) {
    UINT x = 0, y = 0;
    if (monitor && SUCCEEDED(call(monitor, 0, &x, &y)) && y > 0) return static_cast<int>(y);
  }
  return KxSystemDpi();
}

int KxDpiOfRect(const RECT& screen) {
  // Without the monitor call every monitor has the system DPI: no need to find one.
  if (!DpiForMonitor()) return KxSystemDpi();
  return KxDpiOfMonitor(MonitorFromRect(&screen, MONITOR_DEFAULTTONEAREST));
}

int KxMetric(int index, int dpi) {
  if (MetricForDpiCall call = MetricForDpi()) return call(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, KxSystemDpi());
}
