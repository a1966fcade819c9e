#include "kx/KxMonitors.h"

namespace {

BOOL CALLBACK AddMonitorRect(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) reinterpret_cast<KxMonitorRects*>(data)->Add(info.rcMonitor);
  return TRUE;
}

}  // namespace

void KxLiveMonitorRects(KxMonitorRects& rects) {
  rects.Clear();
  EnumDisplayMonitors(NULL, NULL, AddMonitorRect, reinterpret_cast<LPARAM>(&rects));
  if (rects.IsEmpty()) rects.Add(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

bool KxKeepsReachable(const RECT& r, const KxMonitorRects& monitors, int pixels) {
  for (const RECT& monitor : monitors) {
    RECT common;
    if (!IntersectRect(&common, &r, &monitor)) continue;
    if (common.right - common.left >= pixels && common.bottom - common.top >= pixels) return true;
  }
  return false;
}
