#pragma once
// The update check of the kit window's button and timer. It drives the update panel; the
// plug-in entries go to the plug-in list through the program shell.

#include <functional>

class KxPanelMain;

// Fetch, record the date, show the program's entry in the panel panelNow() gives (null:
// none to show it in), offer the plug-in entries through the program shell, lay the kit
// window out, and start the panel's download when the published version differs from
// this one. The panel is asked for only once the fetch has returned: the kit window may
// have gone meanwhile. A description whose program entry lacks its version or path is
// ignored; so are plug-in entries without flag or path.
void CheckForUpdates(const std::function<KxPanelMain*()>& panelNow);
