#include "store/PluginRecord.h"

#include "store/KxDb.h"

namespace {

const char* const kTable = "KX_PLUGIN";

KxString WhereId(const KxString& id) { return "P_ID=" + SqlQuote(id); }

void ReadPlugin(const KxQuery& query, PluginRecord& record) {
  record.id = query.GetText("P_ID");
  record.name = query.GetText("P_NAME");
  record.version = query.GetText("P_VER");
  record.path = query.GetText("P_PATH");
  record.orderNo = query.GetInt("P_XH");
  record.hotKey = query.GetInt("P_HK");
  record.status = query.GetInt("P_STATUS");
  record.description = query.GetText("P_MS");
}

}  // namespace

KxString PluginInsertSql(const PluginRecord& record) {
  KxSqlInsert insert(kTable);
  insert.AddText("P_ID", record.id);
  insert.AddInt("P_XH", record.orderNo);
  insert.AddInt("P_HK", record.hotKey);
  insert.AddText("P_NAME", record.name);
  insert.AddText("P_VER", record.version);
  insert.AddText("P_PATH", record.path);
  insert.AddText("P_MS", record.description);
  insert.AddInt("P_STATUS", record.status);
  return insert.Build();
}

KxString PluginUpdateSql(const PluginRecord& record) {
  KxSqlUpdate update(kTable);
  update.SetText("P_NAME", record.name);
  update.SetText("P_VER", record.version);
  update.SetText("P_PATH", record.path);
  update.SetInt("P_HK", record.hotKey);
  update.SetInt("P_STATUS", record.status);
  update.SetInt("P_XH", record.orderNo);
  update.SetText("P_MS", record.description);
  // The builder's conditions are numeric; the identifier is text.
  return update.Build() + " where " + WhereId(record.id);
}

KxString PluginByHotKeySql(int code, bool enabledOnly) {
  KxString sql = KxString("Select * from ") + kTable + " where P_HK=" + KxString::FromInt(code);
  if (enabledOnly) sql += " and P_STATUS&2=2";
  return sql;
}

void LoadPlugins(PluginList& list) {
  list.Clear();
  KxQuery query;
  TheDb.Query(KxString("Select * from ") + kTable + " order by P_ID", query);
  while (!query.Eof()) {
    PluginList::Node* node = list.Add(PluginRecord());
    if (node) ReadPlugin(query, node->value);
    query.Next();
  }
  query.Close();
}

bool FindPluginByHotKey(PluginRecord& record, int code, bool enabledOnly) {
  KxQuery query;
  TheDb.Query(PluginByHotKeySql(code, enabledOnly), query);
  bool found = !query.Eof();
  if (found) ReadPlugin(query, record);
  query.Close();
  return found;
}

bool PluginExists(const KxString& id) { return TheDb.Exists(kTable, WhereId(id)); }

KxString GetPluginPath(const KxString& id) { return TheDb.SelectText(kTable, "P_PATH", WhereId(id)); }

bool InsertPlugin(const PluginRecord& record) { return TheDb.Exec(PluginInsertSql(record)); }

bool UpdatePlugin(const PluginRecord& record) { return TheDb.Exec(PluginUpdateSql(record)); }

bool SetPluginHotKey(const KxString& id, int code) {
  return TheDb.UpdateText(kTable, "P_HK", KxString::FromInt(code), WhereId(id));
}

bool SetPluginStatus(const KxString& id, unsigned int status) {
  return TheDb.UpdateText(kTable, "P_STATUS", KxString::FromInt(status), WhereId(id));
}

bool DeletePlugin(const KxString& id) { return TheDb.DeleteWhere(kTable, WhereId(id)); }
