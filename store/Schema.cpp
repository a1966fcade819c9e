#include "store/Schema.h"

#include "store/KxDb.h"
#include "store/LaunchRecord.h"
#include "store/ModuleRecord.h"
#include "store/SysValues.h"

const char kCreateSysTable[] =
    "create table KX_SYS (ID INTEGER not null PRIMARY KEY,Value VARCHAR(100) NOT NULL,"
    "Ms VARCHAR(80))";
// The double blank after FLAG belongs to the format.
const char kCreateDataTable[] =
    "create table KX_DATA (ID INTEGER not null PRIMARY KEY,FLAG  VARCHAR(80),DATA blob,"
    "Ms VARCHAR(80))";
const char kCreateSoftTable[] =
    "create table KX_SOFT (S_ID INTEGER not null PRIMARY KEY,S_ORDERID INTEGER,S_PID INTEGER,"
    "S_FLAG INTEGER,S_TEXT VARCHAR(100),S_PATH VARCHAR(300),S_ICO blob)";
const char kCreateNoteTable[] =
    "create table KX_NOTE (N_ID INTEGER NOT NULL PRIMARY KEY,N_LEFT INTEGER,N_TOP INTEGER,"
    "N_WIDTH INTEGER,N_HEIGHT INTEGER,N_FLAG INTEGER,N_TEXT BLOB,N_PASSWORD VARCHAR(20),"
    "N_SHOW INTEGER,CREATEDATE VARCHAR(20),MODIDATE VARCHAR(20),STATUS INTEGER)";
const char kCreateModuleTable[] =
    "create table KX_MODULE (M_TYPE INTEGER NOT NULL,M_ID INTEGER NOT NULL,M_XH INTEGER,"
    "M_HK INTEGER,M_NAME VARCHAR(80),M_MS VARCHAR(300),M_FLAG INTEGER,CREATEDATE VARCHAR(20),"
    "MODIDATE VARCHAR(20),STATUS INTEGER)";
const char kCreatePluginTable[] =
    "create table KX_PLUGIN (P_ID VARCHAR(20),P_STATUS INTEGER,P_XH INTEGER,P_HK INTEGER,"
    "P_VER VARCHAR(20),P_NAME VARCHAR(80),P_PATH VARCHAR(300),P_MS VARCHAR(300),"
    "CREATEDATE VARCHAR(20))";
// The recently deleted notes: KX_NOTE's columns and the local time of the deletion. An
// older copy of the program does not know the table, so it never shows them again.
const char kCreateNoteDeletedTable[] =
    "create table KX_NOTE_DELETED (N_ID INTEGER NOT NULL PRIMARY KEY,N_LEFT INTEGER,"
    "N_TOP INTEGER,N_WIDTH INTEGER,N_HEIGHT INTEGER,N_FLAG INTEGER,N_TEXT BLOB,"
    "N_PASSWORD VARCHAR(20),N_SHOW INTEGER,CREATEDATE VARCHAR(20),MODIDATE VARCHAR(20),"
    "STATUS INTEGER,DELETEDATE VARCHAR(20))";
const char kCreateSoftIndex[] = "create index idxKX_SOFT on KX_SOFT(S_ORDERID,S_PID)";

namespace {

const char kSysTable[] = "KX_SYS";
const char kIdentityWhere[] = "ID=4";

// What a newly created table gets besides its columns.
bool AddSysRows() { return InsertSysValue(kSysDbVersion, "1", "数据库版本"); }
bool AddSoftIndex() { return TheDb.Exec(kCreateSoftIndex); }
bool AddModuleRows() {
  return SaveModuleRow(kModuleLeftMenu, kDefaultLeftMenuHotKey, true, false, "LeftMenu");
}

struct TableRecipe {
  const char* name;
  const char* create;
  bool (*complete)();
};

const TableRecipe kTables[] = {
    {"KX_SYS", kCreateSysTable, AddSysRows},
    {"KX_DATA", kCreateDataTable, nullptr},
    {"KX_SOFT", kCreateSoftTable, AddSoftIndex},
    {"KX_NOTE", kCreateNoteTable, nullptr},
    {"KX_MODULE", kCreateModuleTable, AddModuleRows},
    {"KX_PLUGIN", kCreatePluginTable, nullptr},
    {"KX_LAUNCH", kCreateLaunchTable, nullptr},
    {"KX_NOTE_DELETED", kCreateNoteDeletedTable, nullptr},
};

// A table appears with its index and rows or not at all, so a start that is cut short
// leaves nothing half made for the next start to skip. A failed creation (a table of that
// name in other letter case) adds nothing to the table that is there.
void CreateTable(const TableRecipe& table) {
  KxTransaction edit(TheDb);
  edit.Check(TheDb.Exec(table.create) && (!table.complete || table.complete()));
  edit.Finish();
}

}  // namespace

void CreateMissingTables() {
  KxStringList existing;
  TheDb.TableNames(existing);
  for (const TableRecipe& table : kTables) {
    if (!existing.Contains(table.name)) CreateTable(table);
  }
  AddMissingModuleKinds();
}

bool BootstrapStore(const StoreDialogs& dialogs) {
  if (!OpenStore(dialogs)) return false;
  CreateMissingTables();
  // A store made anew beside copies of an older one: the newest of them stays for good.
  KxString kept = CopyFromBeforeANewStore();
  if (!kept.IsEmpty()) SetKeptBackup(kept);
  return true;
}

bool CheckFirstUse(const KxString& identity) {
  if (TheDb.Exists(kSysTable, kIdentityWhere)) {
    if (TheDb.SelectText(kSysTable, "Value", kIdentityWhere) == identity) return false;
    TheDb.UpdateText(kSysTable, "Value", identity, kIdentityWhere);
  } else {
    InsertSysValue(kSysMachineIdentity, identity, "是否首次使用");
  }
  return true;
}
