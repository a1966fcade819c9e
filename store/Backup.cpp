#include "store/Backup.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "kx/base/KxFile.h"
#include "kx/base/KxWide.h"
#include "sqlite3.h"
#include "store/KxDb.h"

namespace {

const char kBackupFolder[] = "\\Backup";
const char kNamePrefix[] = "Config-";
const char kNameSuffix[] = ".db";
const int kDateDigits = 8;
const char kPartSuffix[] = ".part";

bool IsBackupName(const KxString& name) {
  const int prefix = sizeof(kNamePrefix) - 1;
  const int suffix = sizeof(kNameSuffix) - 1;
  if (name.Length() != prefix + kDateDigits + suffix || KxFindNoCase(name, kNamePrefix) != 0) return false;
  for (int i = prefix; i < prefix + kDateDigits; ++i)
    if (name.At(i) < '0' || name.At(i) > '9') return false;
  return EndsWithNoCase(name, kNameSuffix);
}

KxString Stamp(const KxTime& t) {
  char text[32];
  std::snprintf(text, sizeof(text), "%04u%02u%02u-%02u%02u%02u", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

// The whole database through the backup API into a new file at target.
bool WriteCopy(sqlite3* source, const KxString& target) {
  KxString utf8 = PathToUtf8(target);
  if (utf8.IsEmpty()) return false;
  sqlite3* copy = nullptr;
  if (sqlite3_open_v2(utf8.CStr(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    sqlite3_close(copy);
    return false;
  }
  sqlite3_backup* backup = sqlite3_backup_init(copy, "main", source, "main");
  bool done = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
  if (backup) done = sqlite3_backup_finish(backup) == SQLITE_OK && done;
  return sqlite3_close(copy) == SQLITE_OK && done;
}

// Moves what stands at path aside to aside (nothing there is fine).
bool MoveAside(const KxString& path, const KxString& aside) {
  if (!FileExists(path)) return true;
  return MoveFileWith(aside, path, MOVEFILE_WRITE_THROUGH);
}

}  // namespace

KxString BackupDirectoryOf(const KxString& dataDir) { return dataDir + kBackupFolder; }

KxString BackupFileName(const KxTime& day) {
  char text[32];
  std::snprintf(text, sizeof(text), "%s%04u%02u%02u%s", kNamePrefix, day.year, day.month, day.day, kNameSuffix);
  return text;
}

std::vector<KxString> ListBackups(const KxString& dir) {
  std::vector<KxString> names;
  for (KxFindFiles found(dir + "\\" + kNamePrefix + "*" + kNameSuffix); found.Next();) {
    if (!found.IsDirectory() && IsBackupName(found.Name())) names.push_back(found.Name());
  }
  // The date is the only part that differs, and its digits sort as the days do.
  std::sort(names.begin(), names.end(), [](const KxString& a, const KxString& b) {
    return KxCompareNoCase(a, b) > 0;
  });
  std::vector<KxString> paths;
  for (const KxString& name : names) paths.push_back(dir + "\\" + name);
  return paths;
}

KxString BackupDateText(const KxString& path) {
  KxString name = FileNameOf(path, true);
  if (!IsBackupName(name)) return KxString();
  const int at = sizeof(kNamePrefix) - 1;
  return name.Mid(4, at) + "-" + name.Mid(2, at + 4) + "-" + name.Mid(2, at + 6);
}

bool PassesQuickCheck(sqlite3* db) {
  if (!db) return false;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &statement, nullptr) != SQLITE_OK) return false;
  // One row "ok" and nothing else; a damaged file answers with rows naming the damage.
  bool ok = sqlite3_step(statement) == SQLITE_ROW;
  const unsigned char* answer = ok ? sqlite3_column_text(statement, 0) : nullptr;
  ok = answer && std::strcmp(reinterpret_cast<const char*>(answer), "ok") == 0 &&
       sqlite3_step(statement) == SQLITE_DONE;
  sqlite3_finalize(statement);
  return ok;
}

bool IsHealthyDatabaseFile(const KxString& path) {
  KxString utf8 = PathToUtf8(path);
  if (utf8.IsEmpty() || !FileExists(path)) return false;
  sqlite3* db = nullptr;
  bool healthy = sqlite3_open_v2(utf8.CStr(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
                 PassesQuickCheck(db);
  sqlite3_close(db);
  return healthy;
}

BackupResult BackupDaily(sqlite3* db, const KxString& dir, const KxTime& today, const KxString& kept) {
  KxString target = dir + "\\" + BackupFileName(today);
  if (FileExists(target)) return BackupResult::kAlreadyToday;
  if (!PassesQuickCheck(db)) return BackupResult::kNotHealthy;
  if (!IsDirectory(dir) && !MakeDirectory(dir)) return BackupResult::kFailed;
  KxString part = target + kPartSuffix;
  RemoveFile(part);
  if (!WriteCopy(db, part) || !MoveFileWith(target, part, MOVEFILE_WRITE_THROUGH)) {
    RemoveFile(part);
    return BackupResult::kFailed;
  }
  std::vector<KxString> copies = ListBackups(dir);
  KxString keptNames = " " + kept + " ";
  keptNames.Upper();
  for (size_t i = kBackupsKept; i < copies.size(); ++i) {
    KxString name = " " + FileNameOf(copies[i], true) + " ";
    name.Upper();
    if (keptNames.Find(0, name) < 0) RemoveFile(copies[i]);
  }
  return BackupResult::kWritten;
}

bool NewestGoodBackup(const KxString& dir, KxString& path) {
  for (const KxString& copy : ListBackups(dir)) {
    if (IsHealthyDatabaseFile(copy)) {
      path = copy;
      return true;
    }
  }
  return false;
}

namespace {

const char* const kSidecars[] = {"-journal", "-wal", "-shm"};
const char kRestoringSuffix[] = ".restoring";
int restoreStopsAfter = 0;

KxString DamagedName(const KxString& dbPath, const KxTime& now) { return AsideName(dbPath, "damaged", now); }

// The newest "<dbPath>.damaged-..." file that has no side files beside it; empty when none.
KxString NewestBareDamaged(const KxString& dbPath) {
  KxString newest;
  const KxString dir = ParentDirectory(dbPath);
  for (KxFindFiles found(dbPath + ".damaged-*"); found.Next();) {
    KxString path = dir + "\\" + found.Name();
    bool sidecar = false;
    for (const char* suffix : kSidecars) sidecar = sidecar || EndsWithNoCase(path, suffix);
    bool bare = true;
    for (const char* suffix : kSidecars) bare = bare && !FileExists(path + suffix);
    // Stamps sort as the times do.
    if (!sidecar && bare && KxCompareNoCase(path, newest) > 0) newest = path;
  }
  return newest;
}

// Copies source to target and flushes it, so that the copy is whole on the disk before
// anything else is moved.
bool CopyDurably(const KxString& source, const KxString& target) {
  return CopyFileTo(target, source) && FlushToDisk(target);
}

}  // namespace

KxString AsideName(const KxString& dbPath, const char* why, const KxTime& now) {
  const KxString stem = dbPath + "." + why + "-" + Stamp(now);
  KxString aside = stem;
  for (int n = 2; FileExists(aside) || FileExists(aside + "-journal"); ++n) aside = stem + "-" + KxString::FromInt(n);
  return aside;
}

bool MoveSideFiles(const KxString& from, const KxString& to) {
  int moved = 0;
  for (const char* sidecar : kSidecars) {
    if (!MoveAside(from + sidecar, to + sidecar)) break;
    ++moved;
  }
  if (moved == 3) return true;
  for (int i = 0; i < moved; ++i) MoveAside(to + kSidecars[i], from + kSidecars[i]);
  return false;
}

void SetRestoreInterruption(int afterStep) { restoreStopsAfter = afterStep; }

// In this order, so that a kill at any point leaves the old state or one that the next
// start completes (FinishInterruptedRestore): 1 the copy goes in whole beside the file as
// ".restoring", 2 the file and 3 its side files go aside, 4 the copy takes its name.
bool RestoreBackup(const KxString& dbPath, const KxString& backupPath, const KxTime& now,
                   KxString& damagedPath) {
  KxString incoming = dbPath + kRestoringSuffix;
  RemoveFile(incoming);
  if (!CopyDurably(backupPath, incoming)) {
    RemoveFile(incoming);
    return false;
  }
  if (restoreStopsAfter == 1) return false;
  KxString damaged = DamagedName(dbPath, now);
  if (!MoveAside(dbPath, damaged)) {
    RemoveFile(incoming);
    return false;
  }
  if (restoreStopsAfter == 2) return false;
  bool sidecarsMoved = MoveSideFiles(dbPath, damaged);
  if (sidecarsMoved && restoreStopsAfter == 3) return false;
  if (!sidecarsMoved || !MoveFileWith(dbPath, incoming, MOVEFILE_WRITE_THROUGH)) {
    if (sidecarsMoved) MoveSideFiles(damaged, dbPath);
    MoveAside(damaged, dbPath);
    RemoveFile(incoming);
    return false;
  }
  damagedPath = damaged;
  return true;
}

bool FinishInterruptedRestore(const KxString& dbPath, const KxTime& now) {
  KxString incoming = dbPath + kRestoringSuffix;
  if (!FileExists(incoming)) return false;
  if (FileExists(dbPath)) {
    // Cut short before the file went aside: nothing was replaced, the copy goes.
    RemoveFile(incoming);
    return false;
  }
  if (!IsHealthyDatabaseFile(incoming)) return false;
  // Side files left beside the missing file are the damaged file's: they join it (the
  // newest damaged file without side files of its own), and a journal is never played
  // into the copy.
  KxString damaged = NewestBareDamaged(dbPath);
  if (damaged.IsEmpty()) damaged = DamagedName(dbPath, now);
  return MoveSideFiles(dbPath, damaged) && MoveFileWith(dbPath, incoming, MOVEFILE_WRITE_THROUGH);
}
