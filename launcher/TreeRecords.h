#pragma once
// What the launcher's editors give the rows they create (the maintenance tree and the
// Start-menu import), so that both make them alike.

#include <windows.h>

#include "store/ShortcutRecord.h"

// A record of kind with text, and the two carried flags every created row gets (the
// first set, the second clear); place, path and icon are the caller's.
ShortcutRecord NewTreeRecord(int kind, const KxString& text);
// The small icon of a new group, owned by the caller.
HICON NewGroupIcon();
