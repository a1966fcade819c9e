#include "store/LaunchRecord.h"

#include "kx/base/KxTime.h"
#include "store/KxDb.h"

const char kCreateLaunchTable[] =
    "create table KX_LAUNCH (S_ID INTEGER not null PRIMARY KEY,L_COUNT INTEGER,"
    "L_LASTDATE VARCHAR(20))";

namespace {

const char kTable[] = "KX_LAUNCH";

KxString WhereId(int id) { return "S_ID=" + KxString::FromInt(id); }

}  // namespace

bool RecordLaunch(int id) {
  KxString key = KxString::FromInt(id);
  KxTransaction edit(TheDb);
  edit.Check(TheDb.Exec("insert or ignore into KX_LAUNCH (S_ID,L_COUNT,L_LASTDATE) values (" +
                        key + ",0,'')"));
  edit.Check(TheDb.Exec("update KX_LAUNCH set L_COUNT=L_COUNT+1,L_LASTDATE=" +
                        SqlQuote(KxTime::Today()) + " where " + WhereId(id)));
  return edit.Finish();
}

void LoadLaunchStats(LaunchStats& stats) {
  stats.clear();
  KxQuery query;
  TheDb.Query("Select S_ID,L_COUNT,L_LASTDATE from KX_LAUNCH", query);
  while (!query.Eof()) {
    LaunchStat& stat = stats[query.GetInt("S_ID")];
    stat.count = query.GetInt("L_COUNT");
    stat.lastDate = query.GetText("L_LASTDATE");
    query.Next();
  }
  query.Close();
}

bool ForgetLaunches(int id) { return TheDb.DeleteWhere(kTable, WhereId(id)); }
