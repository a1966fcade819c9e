#pragma once
// The update check of the kit window's button and timer. It drives the update panel; the
// plug-in entries go to the plug-in list through the program shell.

class KxPanelMain;

// Fetch, record the date, show the program's entry in panel (null: the check has no panel
// to show it in), offer the plug-in entries through the program shell, lay the kit window
// out, and start panel's download when the published version differs from this one. A
// description whose program entry lacks its version or path is ignored; so are plug-in
// entries without flag or path.
void CheckForUpdates(KxPanelMain* panel);
