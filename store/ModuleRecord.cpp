#include "store/ModuleRecord.h"

#include "kx/base/KxTime.h"
#include "store/KxDb.h"
#include "store/PluginRecord.h"

namespace {

const char* const kTable = "KX_MODULE";
const char* const kSelectColumns = "Select M_TYPE,M_ID,M_XH,M_HK,M_NAME,M_MS,M_FLAG from ";

// The single-row kinds and their names; inMenu -1 means as chosen, 0 or 1 is fixed.
struct SingleKind {
  int type;
  const char* name;
  int inMenu;
};

const SingleKind kSingleKinds[] = {
    {kModuleWndMain, "WndMain", -1},  {kModuleTray, "Tray", 0},
    {kModuleLeftMenu, "LeftMenu", 0}, {kModuleRightMenu, "RightMenu", 0},
    {kModuleMenuManage, "MenuManage", 0}, {kModuleOption, "Option", 1},
    {kModuleHelp, "Help", -1},        {kModuleAbout, "About", -1},
    {kModuleExit, "Exit", -1},        {kModuleNote, "Note", -1},
    {kModuleShutDown, "ShutDown", -1}, {kModuleSearch, "Search", 1},
};

int FlagBits(bool hotKeyOn, bool inMenu) {
  return (inMenu ? kModuleInMenu : 0) + (hotKeyOn ? kModuleHotKeyOn : 0);
}

void ReadModule(const KxQuery& query, ModuleRecord& record) {
  record.type = query.GetInt("M_TYPE");
  record.id = query.GetInt("M_ID");
  record.orderNo = query.GetInt("M_XH");
  record.hotKey = query.GetInt("M_HK");
  record.name = query.GetText("M_NAME");
  record.description = query.GetText("M_MS");
  record.flags = query.GetInt("M_FLAG");
}

bool LoadFirst(const KxString& sql, ModuleRecord& record) {
  KxQuery query;
  TheDb.Query(sql, query);
  bool found = !query.Eof();
  if (found) ReadModule(query, record);
  query.Close();
  return found;
}

bool SaveSingleKind(int type, int code, bool hotKeyOn, bool inMenu) {
  for (const SingleKind& kind : kSingleKinds) {
    if (kind.type != type) continue;
    bool shown = kind.inMenu < 0 ? inMenu : kind.inMenu == 1;
    return SaveModuleRow(type, code, hotKeyOn, shown, kind.name);
  }
  return false;
}

// One row of a ranged kind.
struct RangeRow {
  int id;
  int orderNo;
  int key;
  KxString name;
};

RangeRow DesktopRow(int i) {
  return {i, i, '1' + i, "Desktop" + KxString::FromInt(i + 1)};
}

RangeRow ExplorerRow(int i) {
  return {'A' + i, i, 'A' + i, "Explorer" + KxString('A' + i, 1)};
}

// Updates the rows when the kind has any, else inserts them; all or nothing.
bool SaveRange(int type, int count, RangeRow (*rowAt)(int), int code, bool hotKeyOn,
               bool inMenu) {
  bool update = ModuleKindExists(type);
  KxTransaction edit(TheDb);
  if (!edit.IsOpen()) return false;
  for (int i = 0; i < count; ++i) {
    RangeRow row = rowAt(i);
    int keyed = HotKeyWithKey(code, row.key);
    bool ok;
    if (update) {
      ok = UpdateModuleRow(type, row.id, keyed, hotKeyOn, inMenu);
    } else {
      ModuleRecord record;
      record.type = type;
      record.id = row.id;
      record.orderNo = row.orderNo;
      record.hotKey = keyed;
      record.name = row.name;
      record.flags = FlagBits(hotKeyOn, inMenu);
      ok = InsertModule(record);
    }
    if (!ok) return false;  // rolled back
  }
  return edit.Finish();
}

}  // namespace

int HotKeyWithKey(int code, int key) {
  return static_cast<int>((static_cast<unsigned int>(code) & 0xFFFFu) |
                          (static_cast<unsigned int>(key) << 16));
}

KxString ModuleInsertSql(const ModuleRecord& record, const KxString& today) {
  KxSqlInsert insert(kTable);
  insert.AddInt("M_TYPE", record.type);
  insert.AddInt("M_ID", record.id);
  insert.AddInt("M_XH", record.orderNo);
  insert.AddInt("M_HK", record.hotKey);
  insert.AddText("M_NAME", record.name);
  insert.AddText("M_MS", record.description);
  insert.AddInt("M_FLAG", record.flags);
  insert.AddText("CREATEDATE", today);
  insert.AddText("MODIDATE", today);
  insert.AddInt("STATUS", 0);
  return insert.Build();
}

KxString ModuleKindUpdateSql(int type, int code, bool hotKeyOn, bool inMenu) {
  KxSqlUpdate update(kTable);
  update.SetInt("M_HK", code);
  update.SetInt("M_FLAG", FlagBits(hotKeyOn, inMenu));
  update.WhereInt("M_TYPE", "=", type);
  return update.Build();
}

KxString ModuleRowUpdateSql(int type, int id, int code, bool hotKeyOn, bool inMenu) {
  KxSqlUpdate update(kTable);
  update.SetInt("M_HK", code);
  update.SetInt("M_FLAG", FlagBits(hotKeyOn, inMenu));
  update.WhereInt("M_TYPE", "=", type);
  update.And();
  update.WhereInt("M_ID", "=", id);
  return update.Build();
}

KxString ModuleByHotKeySql(int code, bool enabledOnly) {
  KxString sql = kSelectColumns + KxString(kTable) + " where M_HK=" + KxString::FromInt(code);
  if (enabledOnly) sql += " and M_FLAG&2=2";
  return sql;
}

KxString ModuleInMenuSql(int type, int subId) {
  KxString sql = "Select M_FLAG from " + KxString(kTable) + " where M_TYPE=" +
                 KxString::FromInt(type);
  if (subId > 0) sql += " and M_ID=" + KxString::FromInt(subId);
  return sql;
}

void LoadModules(ModuleList& list) {
  list.Clear();
  KxQuery query;
  TheDb.Query(kSelectColumns + KxString(kTable) + " order by M_TYPE,M_XH", query);
  while (!query.Eof()) {
    ModuleList::Node* node = list.Add(ModuleRecord());
    if (node) ReadModule(query, node->value);
    query.Next();
  }
  query.Close();
}

bool LoadModuleOfType(ModuleRecord& record) {
  return LoadFirst(kSelectColumns + KxString(kTable) + " where M_TYPE=" +
                       KxString::FromInt(record.type),
                   record);
}

bool FindModuleByHotKey(ModuleRecord& record, int code, bool enabledOnly) {
  return LoadFirst(ModuleByHotKeySql(code, enabledOnly), record);
}

bool IsModuleInMenu(int type, int subId) {
  KxQuery query;
  TheDb.Query(ModuleInMenuSql(type, subId), query);
  bool shown = query.Eof() || (query.GetInt("M_FLAG") & kModuleInMenu) != 0;
  query.Close();
  return shown;
}

bool ModuleKindExists(int type) {
  return TheDb.Exists(kTable, "M_TYPE=" + KxString::FromInt(type));
}

bool InsertModule(const ModuleRecord& record) {
  return TheDb.Exec(ModuleInsertSql(record, KxTime::Today()));
}

bool UpdateModuleKind(int type, int code, bool hotKeyOn, bool inMenu) {
  return TheDb.Exec(ModuleKindUpdateSql(type, code, hotKeyOn, inMenu));
}

bool UpdateModuleRow(int type, int id, int code, bool hotKeyOn, bool inMenu) {
  return TheDb.Exec(ModuleRowUpdateSql(type, id, code, hotKeyOn, inMenu));
}

bool SaveModuleRow(int type, int code, bool hotKeyOn, bool inMenu, const KxString& name) {
  if (ModuleKindExists(type)) return UpdateModuleKind(type, code, hotKeyOn, inMenu);
  ModuleRecord record;
  record.type = type;
  record.hotKey = code;
  record.name = name;
  record.flags = FlagBits(hotKeyOn, inMenu);
  return InsertModule(record);
}

bool SaveDesktopModules(int code, bool hotKeyOn, bool inMenu) {
  return SaveRange(kModuleDesktop, 9, DesktopRow, code, hotKeyOn, inMenu);
}

bool SaveExplorerModules(int code, bool hotKeyOn, bool inMenu) {
  return SaveRange(kModuleExplorer, 26, ExplorerRow, code, hotKeyOn, inMenu);
}

bool SaveModule(const ModuleRecord& record) {
  bool hotKeyOn = record.HotKeyOn();
  bool inMenu = record.InMenu();
  if (record.type == kModuleExplorer) return SaveExplorerModules(record.hotKey, hotKeyOn, inMenu);
  if (record.type == kModuleDesktop) return SaveDesktopModules(record.hotKey, hotKeyOn, inMenu);
  return SaveSingleKind(record.type, record.hotKey, hotKeyOn, inMenu);
}

bool SaveWndMainModule(int code, bool hotKeyOn, bool inMenu) {
  return SaveSingleKind(kModuleWndMain, code, hotKeyOn, inMenu);
}
bool SaveTrayModule(int code, bool hotKeyOn) {
  return SaveSingleKind(kModuleTray, code, hotKeyOn, false);
}
bool SaveLeftMenuModule(int code, bool hotKeyOn) {
  return SaveSingleKind(kModuleLeftMenu, code, hotKeyOn, false);
}
bool SaveRightMenuModule(int code, bool hotKeyOn) {
  return SaveSingleKind(kModuleRightMenu, code, hotKeyOn, false);
}
bool SaveMenuManageModule(int code, bool hotKeyOn) {
  return SaveSingleKind(kModuleMenuManage, code, hotKeyOn, false);
}
bool SaveOptionModule(int code, bool hotKeyOn) {
  return SaveSingleKind(kModuleOption, code, hotKeyOn, true);
}
bool SaveHelpModule(int code, bool hotKeyOn, bool inMenu) {
  return SaveSingleKind(kModuleHelp, code, hotKeyOn, inMenu);
}
bool SaveAboutModule(int code, bool hotKeyOn, bool inMenu) {
  return SaveSingleKind(kModuleAbout, code, hotKeyOn, inMenu);
}
bool SaveExitModule(int code, bool hotKeyOn, bool inMenu) {
  return SaveSingleKind(kModuleExit, code, hotKeyOn, inMenu);
}
bool SaveNoteModule(int code, bool hotKeyOn, bool inMenu) {
  return SaveSingleKind(kModuleNote, code, hotKeyOn, inMenu);
}
bool SaveShutDownModule(int code, bool hotKeyOn, bool inMenu) {
  return SaveSingleKind(kModuleShutDown, code, hotKeyOn, inMenu);
}

bool AddMissingModuleKinds() {
  if (ModuleKindExists(kModuleSearch)) return true;
  // A combination the user already gave to another command or a plug-in stays theirs.
  ModuleRecord module;
  PluginRecord plugin;
  bool taken = FindModuleByHotKey(module, kDefaultSearchHotKey, true) ||
               FindPluginByHotKey(plugin, kDefaultSearchHotKey, true);
  return SaveSingleKind(kModuleSearch, kDefaultSearchHotKey, !taken, true);
}
