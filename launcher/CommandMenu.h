#pragma once
// The command menu (the right menu) and the routing of every command id. One number names
// a module kind of KX_MODULE, its menu item and its action, so the menu and the hotkeys
// reach the same actions through RouteCommand.

#include <windows.h>

#include "kx/base/KxString.h"

class KxControl;
class KxMenu;

// Command ids that are not module kinds of their own (store/ModuleRecord.h has the rest).
constexpr int kCommandKitImage = 91;
constexpr int kCommandKitSize = 92;
constexpr int kCommandShowAllNotes = 181;
constexpr int kCommandNewNote = 182;
constexpr int kCommandShutdownDialog = 201;
constexpr int kCommandPowerOff = 202;
constexpr int kCommandPluginBase = 1000;  // + the plug-in's numeric P_ID

// Entry points of windows that other parts of the program build: the options window, the
// note manager and the notes, the plug-in host and the maintenance window. Each part
// installs its entry when it exists; a command whose entry is empty does nothing.
struct CommandTargets {
  void (*toggleOptions)() = nullptr;
  void (*toggleNoteManager)() = nullptr;
  void (*showAllNotes)() = nullptr;
  void (*newNote)() = nullptr;
  void (*showPlugin)(const KxString& pluginId) = nullptr;
  void (*toggleMaintenance)() = nullptr;
  // At exit: the maintenance and options windows, then the note manager and the notes.
  void (*destroyToolWindows)() = nullptr;
  void (*destroyNotes)() = nullptr;
};
// Copies targets (nullptr empties them all).
void SetCommandTargets(const CommandTargets* targets);

// Fills menu with the command items for a kit window in the given state; the module rows,
// the plug-in rows, the current desktop and the drives decide the rest.
void BuildCommandMenu(KxMenu& menu, bool kitVisible, bool kitShrunk);
// Builds the menu, shows it at the cursor owned by owner's window and routes the choice.
void ShowCommandMenu(KxControl* owner);
// Carries out the command id; ids that name nothing (0, the dismissed menu) do nothing.
void RouteCommand(int id);

// The menu text of a drive: its type's label, " (", the letter, ":)".
KxString DriveLabel(char letter);
// The drive-type query behind DriveLabel (nullptr puts GetDriveTypeA back).
using DriveTypeQuery = UINT(WINAPI*)(LPCSTR root);
void SetDriveTypeQuery(DriveTypeQuery query);
// The command id of a plug-in row: 1000 + P_ID for a P_ID written as a plain decimal
// number; 0 for any other text, which no command could name again.
int PluginCommandId(const KxString& pluginId);

// The actions of the menu. Those of windows built elsewhere go to the installed targets.
void ToggleKitWindow();
void ToggleOptionsWindow();
void ToggleNoteManager();
void ToggleMaintenanceWindow();
void ShowAllNotes();
void NewNote();
void ShowPlugin(const KxString& pluginId);
// Opens the vendor's help page.
void ShowHelp();
// Stops the workers, closes the tool windows and the notes, then requests the quit; the
// start-up code tears down the kit window and the rest.
void ExitApplication();
