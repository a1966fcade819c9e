#include "notes/NotePlacement.h"

namespace {


BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  MonitorAreas* areas = reinterpret_cast<MonitorAreas*>(data);
  if (info.dwFlags & MONITORINFOF_PRIMARY) {
    MonitorAreas ordered;
    ordered.Add(info.rcWork);
    for (auto* n = areas->Head(); n; n = n->next) ordered.Add(n->value);
    *areas = ordered;
  } else {
    areas->Add(info.rcWork);
  }
  return TRUE;
}

long long Overlap(const RECT& a, const RECT& b) {
  RECT common;
  if (!IntersectRect(&common, &a, &b)) return 0;
  return static_cast<long long>(common.right - common.left) * (common.bottom - common.top);
}

// Squared distance between the nearest points of two rectangles.
long long Gap(const RECT& a, const RECT& b) {
  long long dx = 0, dy = 0;
  if (a.right <= b.left) dx = b.left - a.right;
  else if (b.right <= a.left) dx = a.left - b.right;
  if (a.bottom <= b.top) dy = b.top - a.bottom;
  else if (b.bottom <= a.top) dy = a.top - b.bottom;
  return dx * dx + dy * dy;
}

}  // namespace

void LiveWorkAreas(MonitorAreas& areas) {
  areas.Clear();
  EnumDisplayMonitors(NULL, NULL, AddMonitor, reinterpret_cast<LPARAM>(&areas));
}

RECT NearestArea(const RECT& r, const MonitorAreas& areas) {
  RECT best = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  long long bestOverlap = 0;
  long long bestGap = -1;
  // A note without size still has a place: measure it as one pixel.
  RECT probe = r;
  if (probe.right <= probe.left) probe.right = probe.left + 1;
  if (probe.bottom <= probe.top) probe.bottom = probe.top + 1;
  for (const RECT& area : areas) {
    long long overlap = Overlap(probe, area);
    long long gap = Gap(probe, area);
    bool better = bestGap < 0 || overlap > bestOverlap || (bestOverlap == 0 && overlap == 0 && gap < bestGap);
    if (better) {
      best = area;
      bestOverlap = overlap;
      bestGap = gap;
    }
  }
  return best;
}

RECT ClampToArea(const RECT& note, const RECT& area) {
  int w = note.right - note.left;
  int h = note.bottom - note.top;
  int left = note.left;
  int top = note.top;
  if (left >= area.right) left = area.right - w;
  else if (left + w <= area.left) left = area.left;
  if (top >= area.bottom) top = area.bottom - h;
  else if (top + h <= area.top) top = area.top;
  return RECT{left, top, left + w, top + h};
}

RECT PlaceNote(const RECT& note, const MonitorAreas& areas) {
  return ClampToArea(note, NearestArea(note, areas));
}

