#include "store/SysValues.h"

#include "kx/base/KxTime.h"
#include "store/KxDb.h"

namespace {

const char* const kSysTable = "KX_SYS";
const char* const kDataTable = "KX_DATA";
const char* const kKitImageWhere = "ID=1";

KxString WhereId(int id) { return "ID=" + KxString::FromInt(id); }

}  // namespace

KxString SysValueInsertSql(int id, const KxString& value, const KxString& description) {
  KxSqlInsert insert(kSysTable);
  insert.AddInt("ID", id);
  insert.AddText("Value", value);
  insert.AddText("Ms", description);
  return insert.Build();
}

KxString KitImageInsertSql() {
  return KxString("Insert Into ") + kDataTable + " (ID,FLAG,DATA,Ms) Values(" + "1" + "," +
         SqlQuote("") + "," + "?," + SqlQuote("主界面图") + ")";
}

KxString GetSysValue(int id) { return TheDb.SelectText(kSysTable, "Value", WhereId(id)); }

bool InsertSysValue(int id, const KxString& value, const KxString& description) {
  return TheDb.Exec(SysValueInsertSql(id, value, description));
}

KxString GetDbVersion() { return GetSysValue(kSysDbVersion); }

bool SetUpdateCheckDate() {
  KxString today = KxTime::Today();
  if (TheDb.Exists(kSysTable, WhereId(kSysUpdateCheckDate))) {
    return TheDb.UpdateText(kSysTable, "Value", today, WhereId(kSysUpdateCheckDate));
  }
  return InsertSysValue(kSysUpdateCheckDate, today, "check update date");
}

bool IsUpdateCheckDue() { return IsUpdateCheckDueAt(GetSysValue(kSysUpdateCheckDate), KxTime()); }

bool IsUpdateCheckDueAt(const KxString& storedDate, const KxTime& now) {
  KxTime stored = now;
  stored.ParseDate(storedDate);
  KxTime limit = now;
  limit.AddDays(-kUpdateCheckDays);
  return KxTime::IsBefore(stored, limit);
}

bool GetDescriptionTime(long long& seconds) {
  seconds = 0;
  if (!TheDb.Exists(kSysTable, WhereId(kSysDescriptionTime))) return true;
  KxString text = GetSysValue(kSysDescriptionTime);
  if (text.IsEmpty() || text.Length() > 18) return false;
  long long value = 0;
  for (int i = 0; i < text.Length(); ++i) {
    if (text.At(i) < '0' || text.At(i) > '9') return false;
    value = value * 10 + (text.At(i) - '0');
  }
  seconds = value;
  return true;
}

bool SetDescriptionTime(long long seconds) {
  KxString value = KxString::FromInt(seconds);
  if (TheDb.Exists(kSysTable, WhereId(kSysDescriptionTime))) {
    return TheDb.UpdateText(kSysTable, "Value", value, WhereId(kSysDescriptionTime));
  }
  return InsertSysValue(kSysDescriptionTime, value, "update description time");
}

bool SetKeptBackup(const KxString& fileName) {
  if (TheDb.Exists(kSysTable, WhereId(kSysKeptBackup))) {
    return TheDb.UpdateText(kSysTable, "Value", fileName, WhereId(kSysKeptBackup));
  }
  return InsertSysValue(kSysKeptBackup, fileName, "backup kept from before a new store");
}

bool IsStartMenuOfferAnswered() { return !GetSysValue(kSysStartMenuOffer).IsEmpty(); }

bool SetStartMenuOfferAnswered() {
  if (TheDb.Exists(kSysTable, WhereId(kSysStartMenuOffer))) {
    return TheDb.UpdateText(kSysTable, "Value", "1", WhereId(kSysStartMenuOffer));
  }
  return InsertSysValue(kSysStartMenuOffer, "1", "start menu import offered");
}

int GetLastNoteColor() { return GetSysValue(kSysNoteColor).ToInt(); }

bool SetLastNoteColor(int color) {
  KxString value = KxString::FromInt(color);
  if (TheDb.Exists(kSysTable, WhereId(kSysNoteColor))) {
    return TheDb.UpdateText(kSysTable, "Value", value, WhereId(kSysNoteColor));
  }
  return InsertSysValue(kSysNoteColor, value, "colour of new notes");
}

bool GetKitImage(KxString& buffer) {
  if (!TheDb.Exists(kDataTable, kKitImageWhere)) return false;
  return TheDb.SelectBlob(kDataTable, "DATA", kKitImageWhere, buffer);
}

bool SetKitImage(const KxString& bytes) {
  if (TheDb.Exists(kDataTable, kKitImageWhere)) {
    return TheDb.UpdateBlob(kDataTable, "DATA", bytes.CStr(), bytes.Length(), kKitImageWhere);
  }
  return TheDb.ExecWithBlob(KitImageInsertSql(), bytes.CStr(), bytes.Length());
}
