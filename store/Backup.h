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
// every copy but the newest seven and those named in kept (file names in dir, separated by
// blanks) is deleted.
// A failure leaves no partial copy.
BackupResult BackupDaily(sqlite3* db, const KxString& dir, const KxTime& today, const KxString& kept = KxString());

// The newest copy in dir that passes the quick check; false when none does.
bool NewestGoodBackup(const KxString& dir, KxString& path);

// A name beside dbPath for a file moved aside, "<dbPath>.<why>-YYYYMMDD-HHMMSS" with the
// time now, and a number after it when that name or its journal is taken.
KxString AsideName(const KxString& dbPath, const char* why, const KxTime& now);
// Renames SQLite's side files of the database file from ("-journal", "-wal", "-shm", as far
// as they are there) to the same names beside to. A journal left beside a file would be
// played into it, whatever file it came from. False, with every one put back, when one
// cannot be moved.
bool MoveSideFiles(const KxString& from, const KxString& to);

// Puts the copy backupPath in place of the unreadable dbPath. The copy first goes in whole
// beside it ("Config.db.restoring"); then dbPath (and a journal beside it, which would
// otherwise be played into the copy) is renamed beside itself with the time stamp now,
// "Config.db.damaged-YYYYMMDD-HHMMSS"; nothing is deleted. False when a step fails: dbPath
// is then back as it was. damagedPath gets the renamed file's path.
bool RestoreBackup(const KxString& dbPath, const KxString& backupPath, const KxTime& now,
                   KxString& damagedPath);
// What a start does before it opens dbPath: a restore that a kill cut short is finished
// (a whole ".restoring" copy beside a missing file takes its place; side files still there
// go aside with the stamp now) or undone (a copy beside a file still in place is deleted).
// True when it put a copy in place.
bool FinishInterruptedRestore(const KxString& dbPath, const KxTime& now);
// For tests: the next restores stop dead after step 1 (the copy is in beside the file), 2
// (the file is aside) or 3 (its side files too), as a kill there would; 0 runs them through.
void SetRestoreInterruption(int afterStep);
