#pragma once
// The launcher menu (the left menu): built afresh from KX_SOFT every time it opens, shown at
// the cursor, and the chosen shortcut started, with its drive letter repaired when the
// drive it was stored on is gone. The menu and the shortcut list live for one opening.

#include <windows.h>

#include "kx/base/KxString.h"
#include "store/ShortcutRecord.h"

class KxControl;
class KxMenu;

constexpr int kMaintenanceCommand = 65535;
constexpr int kLauncherBannerWidth = 22;
extern const char kLauncherBannerText[];
extern const char kMaintenanceItemText[];

// Loads the shortcuts, shows the menu owned by owner's window (the kit window once it
// exists) and carries out the choice; the maintenance item toggles the program shell's
// maintenance window.
void ShowLauncherMenu(KxControl* owner);
// The banner, the maintenance item, a separator and the shortcut tree.
void BuildLauncherMenu(KxMenu& menu, const ShortcutList& list);
// Appends the records whose S_PID is parentId (one consecutive run of the sorted list),
// groups as sub-menus filled the same way. Each group's level is expanded at most once, so
// S_PID links that loop back (a hand-edited table) end instead of recursing for ever.
void AppendShortcutLevel(KxMenu& menu, const ShortcutList& list, int parentId);
// S_PATH of the first record with that S_ID; empty when there is none.
KxString ShortcutPathOf(const ShortcutList& list, int id);
// Opens the shortcut's path in its own folder. A path "X:\..." that is missing is tried on
// every existing drive from the highest letter down; the first that exists is stored as
// the new S_PATH and opened; an address ("http://...") is opened as it is. Nothing is
// shown when nothing is found. Each start the shell takes is counted (store/LaunchRecord.h).
void LaunchShortcut(const ShortcutList& list, int id);
