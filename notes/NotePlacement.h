#pragma once
// Where a note may stand: a note comes back on the monitor nearest to its stored rectangle,
// inside that monitor's work area, and a dragged note keeps a few pixels on a monitor.
// The monitors are a seam: the live ones come from the platform, tests hand in their own.

#include <windows.h>

#include "kx/base/KxList.h"

using MonitorAreas = KxList<RECT>;

// The work areas of the attached monitors, primary first.
void LiveWorkAreas(MonitorAreas& areas);
// The area that shares the most pixels with r; when none touches it, the one nearest to it.
// This is MonitorFromRect's MONITOR_DEFAULTTONEAREST rule, kept here so that tests can hand
// in monitors. An empty list gives the primary screen's rectangle.
RECT NearestArea(const RECT& r, const MonitorAreas& areas);
// Moves a note lying wholly beyond an edge of area back onto it: past the right (bottom)
// edge its right (bottom) edge comes to that edge, before the left (top) edge its left (top)
// comes to it. A note that shows at least one pixel of the area stays where it is.
RECT ClampToArea(const RECT& note, const RECT& area);
// The rectangle a stored note is shown at.
RECT PlaceNote(const RECT& note, const MonitorAreas& areas);
// A moved or sized note keeps this many pixels of both directions on one monitor.
constexpr int kNoteReachablePixels = 8;
