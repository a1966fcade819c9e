#pragma once
// Rows of KX_PLUGIN, the installed plug-ins, keyed by their text identifier P_ID (always
// quoted in a where clause). All operations use TheDb.

#include "kx/base/KxList.h"
#include "kx/base/KxString.h"

// P_STATUS bits.
constexpr int kPluginInMenu = 1;
constexpr int kPluginHotKeyOn = 2;

struct PluginRecord {
  KxString id;
  KxString name;
  KxString version;
  KxString path;
  int orderNo = 0;
  int hotKey = 0;
  int status = 0;
  KxString description;
};

using PluginList = KxList<PluginRecord>;

// The statements as executed, for the operations that build their own text.
KxString PluginInsertSql(const PluginRecord& record);
KxString PluginUpdateSql(const PluginRecord& record);
KxString PluginByHotKeySql(int code, bool enabledOnly);

// All plug-ins in the text order of P_ID; the list is cleared first.
void LoadPlugins(PluginList& list);
bool FindPluginByHotKey(PluginRecord& record, int code, bool enabledOnly);
bool PluginExists(const KxString& id);
KxString GetPluginPath(const KxString& id);
bool InsertPlugin(const PluginRecord& record);
// Every column but P_ID of the row record.id.
bool UpdatePlugin(const PluginRecord& record);
bool SetPluginHotKey(const KxString& id, int code);
bool SetPluginStatus(const KxString& id, unsigned int status);
bool DeletePlugin(const KxString& id);
