#pragma once
// The format of Config.db: eight tables, the index of KX_SOFT and the default rows; the
// start-up step that makes a usable database of whatever file is found; the first-use
// test. The statements are part of the file format and are written exactly as here.

#include "kx/base/KxString.h"
#include "store/DataDirectory.h"

extern const char kCreateSysTable[];
extern const char kCreateDataTable[];
extern const char kCreateSoftTable[];
extern const char kCreateNoteTable[];
extern const char kCreateModuleTable[];
extern const char kCreatePluginTable[];
extern const char kCreateNoteDeletedTable[];
extern const char kCreateSoftIndex[];
extern const char kCreateLaunchTable[];  // store/LaunchRecord.h

// The left menu's default hotkey: Ctrl + Alt + Win with no key.
constexpr int kDefaultLeftMenuHotKey = 0x0B;

// OpenStore, then CreateMissingTables. False only when the file could not be opened.
bool BootstrapStore(const StoreDialogs& dialogs);
// Creates, in the format's order, each of the eight tables that TheDb lacks (names compared
// exactly), each together with its index and default rows or not at all; then gives module
// kinds the store has no row of yet their default row. Nothing that is there is changed.
void CreateMissingTables();
// True when this start is the first on this machine: the identity stored in KX_SYS row 4
// (the run gives the first network adapter's address text, net/KxAdapters.h) is missing or
// differs; identity is then stored.
bool CheckFirstUse(const KxString& identity);
