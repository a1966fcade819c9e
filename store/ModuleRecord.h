#pragma once
// Rows of KX_MODULE: one per configurable function of the program, identified by the pair
// (M_TYPE, M_ID), and the operations the options window, the command menu and the hotkey
// dispatcher use on them. All operations use TheDb.

#include "kx/base/KxList.h"
#include "kx/base/KxString.h"

// M_TYPE values; each is also the command id of the module.
constexpr int kModuleWndMain = 90;
constexpr int kModuleTray = 100;
constexpr int kModuleLeftMenu = 110;
constexpr int kModuleSearch = 115;  // the quick search window
constexpr int kModuleRightMenu = 120;
constexpr int kModuleMenuManage = 130;
constexpr int kModuleOption = 140;
constexpr int kModuleHelp = 150;
constexpr int kModuleAbout = 160;
constexpr int kModuleExit = 170;
constexpr int kModuleNote = 180;
constexpr int kModuleShutDown = 200;
constexpr int kModuleExplorer = 300;  // 26 rows, M_ID = drive letter 'A'..'Z'
constexpr int kModuleDesktop = 400;   // 9 rows, M_ID = M_XH = 0..8

// Ctrl+Alt+Space (VK_SPACE 0x20 with Alt 1 and Ctrl 2), the quick search's first hotkey.
constexpr int kDefaultSearchHotKey = (0x20 << 16) | 0x03;

// M_FLAG bits.
constexpr int kModuleInMenu = 1;
constexpr int kModuleHotKeyOn = 2;

struct ModuleRecord {
  int type = 0;
  int id = 0;
  int orderNo = 0;
  int hotKey = 0;  // hotkey code: modifiers in bits 0-3, virtual key in bits 16-23
  KxString name;
  KxString description;
  int flags = 0;

  bool InMenu() const { return (flags & kModuleInMenu) != 0; }
  bool HotKeyOn() const { return (flags & kModuleHotKeyOn) != 0; }
  void SetInMenu(bool on) { flags = on ? (flags | kModuleInMenu) : (flags & ~kModuleInMenu); }
  void SetHotKeyOn(bool on) {
    flags = on ? (flags | kModuleHotKeyOn) : (flags & ~kModuleHotKeyOn);
  }
};

using ModuleList = KxList<ModuleRecord>;

// The hotkey code with its key replaced and its modifiers kept.
int HotKeyWithKey(int code, int key);

// The statements as executed, for the operations that build their own text.
KxString ModuleInsertSql(const ModuleRecord& record, const KxString& today);
KxString ModuleKindUpdateSql(int type, int code, bool hotKeyOn, bool inMenu);
KxString ModuleRowUpdateSql(int type, int id, int code, bool hotKeyOn, bool inMenu);
KxString ModuleByHotKeySql(int code, bool enabledOnly);
KxString ModuleInMenuSql(int type, int subId);

// All rows ordered by M_TYPE, M_XH; the list is cleared first.
void LoadModules(ModuleList& list);
// The first row of record.type into record; false when there is none.
bool LoadModuleOfType(ModuleRecord& record);
bool FindModuleByHotKey(ModuleRecord& record, int code, bool enabledOnly);
// True when the kind has no row yet, so entries show until the options are first saved;
// otherwise bit 0 of the first row found (of that M_ID when subId > 0).
bool IsModuleInMenu(int type, int subId);
bool ModuleKindExists(int type);
// Stores the record with today's dates and STATUS 0.
bool InsertModule(const ModuleRecord& record);
// M_HK and M_FLAG of every row of the kind, or of the one row (type, id).
bool UpdateModuleKind(int type, int code, bool hotKeyOn, bool inMenu);
bool UpdateModuleRow(int type, int id, int code, bool hotKeyOn, bool inMenu);
// Updates the kind when it has rows, else inserts its single row (M_ID 0, M_XH 0).
bool SaveModuleRow(int type, int code, bool hotKeyOn, bool inMenu, const KxString& name);
// The ranged kinds: one row per key "1".."9" or per drive letter, each with code's
// modifiers and its own key, written in one transaction.
bool SaveDesktopModules(int code, bool hotKeyOn, bool inMenu);
bool SaveExplorerModules(int code, bool hotKeyOn, bool inMenu);
// Saves record.hotKey and the two flag bits through the saver of record.type; kinds whose
// in-menu value is fixed get that value. False for a type without a saver.
bool SaveModule(const ModuleRecord& record);

bool SaveWndMainModule(int code, bool hotKeyOn, bool inMenu);
bool SaveTrayModule(int code, bool hotKeyOn);
bool SaveLeftMenuModule(int code, bool hotKeyOn);
bool SaveRightMenuModule(int code, bool hotKeyOn);
bool SaveMenuManageModule(int code, bool hotKeyOn);
bool SaveOptionModule(int code, bool hotKeyOn);
bool SaveHelpModule(int code, bool hotKeyOn, bool inMenu);
bool SaveAboutModule(int code, bool hotKeyOn, bool inMenu);
bool SaveExitModule(int code, bool hotKeyOn, bool inMenu);
bool SaveNoteModule(int code, bool hotKeyOn, bool inMenu);
bool SaveShutDownModule(int code, bool hotKeyOn, bool inMenu);
// Kinds newer than the store they meet get their row, with its default hotkey, once: on,
// unless an enabled command or plug-in has that combination already. The user's later
// choice is never overwritten.
bool AddMissingModuleKinds();
