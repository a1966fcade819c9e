#pragma once
// Copies of Config.db kept beside it: once per day of use the open database, when it
// passes SQLite's quick check, is copied with the online backup API into Backup\ as
// Config-YYYYMMDD.db, and the newest seven stay. When Config.db cannot be read, the newest
// copy that passes the check can take its place; the unreadable file is kept, renamed.

#include <vector>

#include "kx/base/KxString.h"
#include "kx/base/KxTime.h"

struct sqlite3;

const int kBackupsKept = 7;

// dataDir + "\\Backup".
KxString BackupDirectoryOf(const KxString& dataDir);
// "Config-YYYYMMDD.db".
KxString BackupFileName(const KxTime& day);
// The copies in dir (files named as BackupFileName makes them), newest first.
std::vector<KxString> ListBackups(const KxString& dir);
// The day in a copy's file name as the store's date text, "YYYY-MM-DD".
KxString BackupDateText(const KxString& path);

// PRAGMA quick_check answers "ok".
bool PassesQuickCheck(sqlite3* db);
// The file opens read-only as a database and passes the quick check.
bool IsHealthyDatabaseFile(const KxString& path);

enum class BackupResult { kWritten, kAlreadyToday, kNotHealthy, kFailed };
// The day's copy: nothing when dir already holds one for today or db fails the quick
// check; otherwise the copy is written under a temporary name, renamed when complete, and
// every copy but the newest seven is deleted. A failure leaves no partial copy.
BackupResult BackupDaily(sqlite3* db, const KxString& dir, const KxTime& today);

// The newest copy in dir that passes the quick check; false when none does.
bool NewestGoodBackup(const KxString& dir, KxString& path);

// Puts the copy backupPath in place of the unreadable dbPath. dbPath (and a journal beside
// it, which would otherwise be played into the copy) is first renamed beside itself with
// the time stamp now, "Config.db.damaged-YYYYMMDD-HHMMSS"; nothing is deleted. False when
// a step fails: dbPath is then back as it was. damagedPath gets the renamed file's path.
bool RestoreBackup(const KxString& dbPath, const KxString& backupPath, const KxTime& now,
                   KxString& damagedPath);
