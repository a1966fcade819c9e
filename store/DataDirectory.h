#pragma once
// Where Config.db lives: next to the program, or in the data directory that config.ini
// beside the program names (section "0", key "DBPATH"); the opening of TheDb at start-up
// and the move of the file to another directory.

#include <windows.h>

#include "kx/base/KxString.h"
#include "kx/base/KxTime.h"

// The questions and messages the store needs from the user interface; the application
// passes its two message boxes. A missing question counts as No, a missing message
// shows nothing.
struct StoreDialogs {
  bool (*askYesNo)(const KxString& text);
  void (*showInfo)(const KxString& text);
};

extern const char kDbFileName[];  // "Config.db"

// DBPATH as written; the program directory when it is absent, empty or only blanks.
KxString DataDirectory();
// dir without a trailing backslash; "" means the program directory.
bool SetDataDirectory(const KxString& dir);
// DataDirectory + "\\Config.db".
KxString DbFilePath();

// Opens TheDb on DbFilePath. When a data directory is configured but holds no Config.db,
// the user chooses between a new file in the program directory (DBPATH is then cleared)
// and ending the program (false). A file that cannot be opened is reported to the user by
// its path and left untouched (false); when a copy in Backup\ beside it passes the check,
// the user is offered the newest one instead, and "是" puts it in place (the unreadable
// file is kept, renamed with a time stamp) and opens it.
bool OpenStore(const StoreDialogs& dialogs);
void CloseStore();
// When the last OpenStore made its file anew (none was there, or it had no bytes), the file
// name of the newest good copy in Backup\ beside it, the last one of what the store held
// before, followed by the names that copy kept (its row 7), separated by blanks. Empty
// otherwise, and when there is none.
KxString CopyFromBeforeANewStore();
// The day's copy of the open store into Backup\ beside it (see store/Backup.h), keeping the
// copy that KX_SYS row 7 names. True when today's copy exists afterwards.
bool BackupStore(const KxTime& today);

// What a start does before it opens the store: a move that a kill cut short (config.ini
// still holds its MOVETO) is finished when the file has left the old folder for the new
// one, and undone otherwise. True when it finished one.
bool FinishInterruptedMove();
// For tests: the next moves stop dead after step 1 (the intent is in config.ini) or 2
// (the file is renamed), as a kill there would; 0 runs them through.
void SetMoveInterruption(int afterStep);

// The options window's action: the user picks a folder and Config.db moves there. True
// when the data directory changed; the window then shows DbFilePath(). Every other
// outcome is told to the user and leaves the old file and DBPATH in place.
bool MoveDataDirectory(HWND owner, const StoreDialogs& dialogs);
// The same after the folder dialog: chosen is the folder picked.
bool MoveDataDirectoryTo(const KxString& chosen, const StoreDialogs& dialogs);
