#pragma once
// The command menu (the right menu). One number names a module kind of KX_MODULE, its menu
// item and its action: the menu's choice goes to the program shell's RouteCommand, as a
// hotkey's does.

#include <windows.h>

#include "app/ProgramShell.h"
#include "kx/base/KxString.h"

class KxControl;
class KxMenu;

// Fills menu with the command items for a kit window in the given state; the module rows,
// the plug-in rows, the current desktop and the drives decide the rest.
void BuildCommandMenu(KxMenu& menu, bool kitVisible, bool kitShrunk);
// Builds the menu, shows it at the cursor owned by owner's window and routes the choice
// (0 when it was dismissed).
void ShowCommandMenu(KxControl* owner);

// The menu text of a drive: its type's label (the shell's drive type), " (", the letter,
// ":)".
KxString DriveLabel(char letter);
// The command id of a plug-in row: 1000 + P_ID for a P_ID written as a plain decimal
// number; 0 for any other text, which no command could name again.
int PluginCommandId(const KxString& pluginId);

// Opens the vendor's help page.
void ShowHelp();
