#pragma once
// The monitors of the virtual screen, and whether a window dragged somewhere keeps enough
// of itself on one of them to be taken again. The list is a seam: tests hand in their own.

#include <windows.h>

#include "kx/base/KxList.h"

using KxMonitorRects = KxList<RECT>;

// The whole rectangles of the attached monitors; the primary screen when none answers.
void KxLiveMonitorRects(KxMonitorRects& rects);
// True when r shows at least pixels columns and rows on one monitor of the list. The
// monitors of a desk need not fill the rectangle around them: what lies in a gap is lost.
bool KxKeepsReachable(const RECT& r, const KxMonitorRects& monitors, int pixels);
