#include "store/DataDirectory.h"

#include <windows.h>

#include "app/KxIni.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxFileDialog.h"
#include "kx/base/KxModal.h"
#include "kx/base/KxWide.h"
#include "store/Backup.h"
#include "store/KxDb.h"
#include "store/SysValues.h"

const char kDbFileName[] = "Config.db";

namespace {

const char kIniKey[] = "DBPATH";
// Written before a move's rename and removed once DBPATH names the new folder: a start
// that finds it finishes or undoes the move. Older versions ignore it.
const char kIniMoveKey[] = "MOVETO";

const char kNoDirectory[] = "您选择的目录不存在或不能访问,请选择其它目录!";
const char kSameDirectory[] = "与原目录相同，请选择其它目录.";
const char kOverwriteQuestion[] =
    "您选择的目录中有与数据库同名文件,覆盖点击\"是\",确认文件是数据文件(否则操作无效)并使用点击\"否\"。";
const char kNotMoved[] = "数据文件未能成功转移,请查看目录是否可写入.";

KxString MissingFileQuestion(const KxString& path) {
  return "找不到数据文件:" + path +
         " 点击\"是\"在应用目录下生成新数据文件,点击\"否\"退出程序";
}

KxString UnreadableFileMessage(const KxString& path) {
  return "数据文件无法读取:" + path + " 它已损坏或不是数据文件,程序将退出,文件保持原样.";
}

KxString RestoreQuestion(const KxString& path, const KxString& backup) {
  return "数据文件无法读取:" + path + " 它已损坏或不是数据文件. 找到 " + BackupDateText(backup) +
         " 的备份:" + backup + " 点击\"是\"用这份备份恢复数据(损坏的文件改名保留在原处),点击\"否\"退出程序,文件保持原样.";
}

KxString NotRestoredMessage(const KxString& path) {
  return "未能用备份恢复数据文件:" + path + " 请查看目录是否可写入,程序将退出,文件保持原样.";
}

KxString BusyFileMessage(const KxString& path) {
  return "数据文件正被其它程序使用或无法访问:" + path + " 请稍后再启动,程序将退出,文件保持原样.";
}

KxString MissingWithBackupQuestion(const KxString& path, const KxString& backup) {
  return "找不到数据文件:" + path + " 找到 " + BackupDateText(backup) + " 的备份:" + backup +
         " 点击\"是\"用这份备份恢复数据,点击\"否\"生成新的空数据文件.";
}

KxString EmptyWithBackupQuestion(const KxString& path, const KxString& backup) {
  return "数据文件是空的(0 字节):" + path + " 找到 " + BackupDateText(backup) + " 的备份:" + backup +
         " 点击\"是\"用这份备份恢复数据(空文件改名保留在原处),点击\"否\"使用空数据文件(原有设置不会出现,备份保持原样).";
}

KxString MissingWithLeftoversQuestion(const KxString& path) {
  return "找不到数据文件:" + path +
         " 旁边只有无法读取的旧数据文件(保持原样). 点击\"是\"生成新的空数据文件,点击\"否\"退出程序.";
}

KxString UncreatableFileMessage(const KxString& path) {
  return "无法创建数据文件:" + path + " 请查看目录是否可写入,程序将退出.";
}

bool Ask(const StoreDialogs& dialogs, const KxString& text) {
  return dialogs.askYesNo && dialogs.askYesNo(text);
}

void Tell(const StoreDialogs& dialogs, const KxString& text) {
  if (dialogs.showInfo) dialogs.showInfo(text);
}

// A value of config.ini; empty when missing.
KxString ReadIniValue(const char* key) { return KxIni(ProgramIniPath()).Read(kProgramIniSection, key, ""); }

KxString DbFileIn(const KxString& dir) { return dir + "\\" + kDbFileName; }

// The file TheDb was opened on by OpenStore; the day's copy goes beside it.
KxString openedPath;
// Whether OpenStore made that file anew.
bool openedAnew = false;

// Files a restore or an earlier run left beside path: a damaged file kept aside, a copy that
// never took its place.
bool HasLeftovers(const KxString& path) {
  if (FileExists(path + ".restoring")) return true;
  KxFindFiles damaged(path + ".damaged-*");
  return damaged.Next();
}

// The newest good copy beside path, offered with the question made for it; offered says
// whether there was one. False only when the copy was wanted and could not be put back.
bool OfferBackup(const KxString& path, KxString (*question)(const KxString&, const KxString&),
                 const StoreDialogs& dialogs, bool& offered) {
  KxString backup;
  offered = NewestGoodBackup(BackupDirectoryOf(ParentDirectory(path)), backup);
  if (!offered || !Ask(dialogs, question(path, backup))) return true;
  KxString damaged;
  if (RestoreBackup(path, backup, KxTime(), damaged)) return true;
  Tell(dialogs, NotRestoredMessage(path));
  return false;
}

// Before a new, empty file is made in place of a missing one: a good backup beside it is
// offered first, and leftovers that cannot be read are named. A fresh folder asks nothing.
// False ends the run; true when the file is back from a backup or may be created.
bool SettleMissingFile(const KxString& path, const StoreDialogs& dialogs) {
  bool offered = false;
  if (!OfferBackup(path, MissingWithBackupQuestion, dialogs, offered)) return false;
  return offered || !HasLeftovers(path) || Ask(dialogs, MissingWithLeftoversQuestion(path));
}

// A file of no bytes opens as an empty store, yet holds nothing of the user's (a power cut
// or another program cut it): a good copy beside it is offered before it is taken as new.
bool IsEmptyFile(const KxString& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  return GetFileAttributesExW(KxWide(path), GetFileExInfoStandard, &data) &&
         !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.nFileSizeLow == 0 && data.nFileSizeHigh == 0;
}

// Another program has the file open in a way that keeps it from being renamed: a program
// still writing it, most likely. Such a file is busy, not empty.
bool IsHeldElsewhere(const KxString& path) {
  HANDLE file = CreateFileW(KxWide(path), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(file);
  return false;
}

// A file the user offers as the database must be one before the store switches to it.
bool IsReadableDatabaseFile(const KxString& path) {
  KxDb probe;
  return probe.Open(path) && probe.Close();
}

}  // namespace

KxString DataDirectory() {
  KxString value = ReadIniValue(kIniKey);
  KxString trimmed = value;
  trimmed.Trim();
  return trimmed.IsEmpty() ? ProgramDirectory() : value;
}

namespace {

int moveStopsAfter = 0;

// One key of config.ini (value nullptr deletes it), on the disk before the call returns.
// The system rewrites a profile file in place, and a kill or a power cut in the middle
// would leave a cut file that names no data directory: so the change is made in a copy,
// flushed, and the copy takes the file's place in one rename. A copy a kill left behind is
// only ever overwritten. The copy is made UTF-16 (KxIni) before the key goes in, so a folder
// outside the system's code page is kept whole.
bool WriteIniDurably(const char* key, const KxString* value) {
  const KxString ini = ProgramIniPath();
  const KxString staging = ini + ".new";
  // The copy takes the file's attributes: a read-only one would block every later write.
  SetFileAttributesOf(staging, FILE_ATTRIBUTE_NORMAL);
  RemoveFile(staging);
  bool written = !FileExists(ini) || CopyFileTo(staging, ini);
  SetFileAttributesOf(staging, FILE_ATTRIBUTE_NORMAL);
  KxIni staged(staging);
  written = written && (value ? staged.Write(kProgramIniSection, key, *value) : staged.Remove(kProgramIniSection, key));
  staged.Flush();  // the system's cache goes out
  written = written && FlushToDisk(staging) &&
            MoveFileWith(ini, staging, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!written) RemoveFile(staging);
  KxIni(ini).Flush();  // nothing cached of the old file
  return written;
}

}  // namespace

void SetMoveInterruption(int afterStep) { moveStopsAfter = afterStep; }

bool SetDataDirectory(const KxString& dir) { return WriteIniDurably(kIniKey, &dir); }

bool FinishInterruptedMove() {
  KxString target = ReadIniValue(kIniMoveKey);
  if (target.IsEmpty()) return false;
  // The rename takes the file away from the old folder: while it is still there, the move
  // had not happened.
  bool finished = !FileExists(DbFilePath()) && FileExists(DbFileIn(target)) && SetDataDirectory(target);
  WriteIniDurably(kIniMoveKey, nullptr);
  return finished;
}

KxString DbFilePath() { return DbFileIn(DataDirectory()); }

bool OpenStore(const StoreDialogs& dialogs) {
  openedAnew = false;
  FinishInterruptedMove();
  KxString path = DbFilePath();
  FinishInterruptedRestore(path, KxTime());
  if (!FileExists(path) && ParentDirectory(path) != ProgramDirectory()) {
    // The configured folder's own copies come first: its file may only have been deleted.
    bool offered = false;
    if (!OfferBackup(path, MissingWithBackupQuestion, dialogs, offered)) return false;
    if (!FileExists(path)) {
      if (!Ask(dialogs, MissingFileQuestion(path))) return false;
      SetDataDirectory("");
      // The new file goes where the user was told, even if config.ini could not be written.
      path = DbFileIn(ProgramDirectory());
    }
  }
  // A missing file in the program directory with nothing beside it is the first start: no
  // question.
  if (!FileExists(path) && !SettleMissingFile(path, dialogs)) return false;
  if (IsEmptyFile(path)) {
    if (IsHeldElsewhere(path)) {
      Tell(dialogs, BusyFileMessage(path));
      return false;
    }
    bool offered = false;
    if (!OfferBackup(path, EmptyWithBackupQuestion, dialogs, offered)) return false;
  }
  bool existed = FileExists(path);
  bool anew = !existed || IsEmptyFile(path);
  if (TheDb.Open(path)) {
    openedPath = path;
    openedAnew = anew;
    return true;
  }
  if (!existed) {
    Tell(dialogs, UncreatableFileMessage(path));
    return false;
  }
  // Busy or locked is not damaged: the file stays as it is, and so does everything else.
  if (!TheDb.OpenFoundDamage()) {
    Tell(dialogs, BusyFileMessage(path));
    return false;
  }
  // An unreadable file: the newest copy that passes the check is offered by its date.
  KxString backup;
  if (!NewestGoodBackup(BackupDirectoryOf(ParentDirectory(path)), backup)) {
    Tell(dialogs, UnreadableFileMessage(path));
    return false;
  }
  if (!Ask(dialogs, RestoreQuestion(path, backup))) return false;
  KxString damaged;
  if (!RestoreBackup(path, backup, KxTime(), damaged)) {
    Tell(dialogs, NotRestoredMessage(path));
    return false;
  }
  if (!TheDb.Open(path)) {
    Tell(dialogs, UnreadableFileMessage(path));
    return false;
  }
  openedPath = path;
  return true;
}

void CloseStore() { TheDb.Close(); }

KxString CopyFromBeforeANewStore() {
  KxString copy;
  if (!openedAnew || !NewestGoodBackup(BackupDirectoryOf(ParentDirectory(openedPath)), copy)) return KxString();
  KxString names = FileNameOf(copy, true);
  // The copies that copy kept stay kept too: a second loss must not free the first one's.
  KxDb kept;
  if (kept.Open(copy)) {
    KxString earlier = kept.SelectText("KX_SYS", "Value", "ID=" + KxString::FromInt(kSysKeptBackup));
    if (!earlier.IsEmpty()) names += " " + earlier;
  }
  return names;
}

bool BackupStore(const KxTime& today) {
  if (!TheDb.IsOpen() || openedPath.IsEmpty()) return false;
  BackupResult result = BackupDaily(TheDb.Connection(), BackupDirectoryOf(ParentDirectory(openedPath)), today,
                                    GetSysValue(kSysKeptBackup));
  return result == BackupResult::kWritten || result == BackupResult::kAlreadyToday;
}

bool MoveDataDirectory(HWND owner, const StoreDialogs& dialogs) {
  KxString chosen = ChooseFolder(DataDirectory(), owner);
  if (chosen.IsEmpty()) return false;
  return MoveDataDirectoryTo(chosen, dialogs);
}

bool MoveDataDirectoryTo(const KxString& chosenFolder, const StoreDialogs& dialogs) {
  KxString current = DataDirectory();
  KxString chosen = WithoutTrailingBackslash(chosenFolder);
  if (!IsDirectory(chosen)) {
    Tell(dialogs, kNoDirectory);
    return false;
  }
  KxString chosenUpper = chosen, currentUpper = current;
  chosenUpper.Upper();
  currentUpper.Upper();
  if (chosenUpper == currentUpper) {
    Tell(dialogs, kSameDirectory);
    return false;
  }

  KxString oldFile = DbFileIn(current);
  KxString newFile = DbFileIn(chosen);
  bool overwrite = false;
  if (FileExists(newFile)) {
    const int endings = KxModalEndings();
    overwrite = Ask(dialogs, kOverwriteQuestion);
    // Either answer changes the store: one given by an exit ending the box is no one's.
    if (KxModalEndings() != endings) return false;
    // A file offered as the database but none would leave the program on no file.
    if (!overwrite && !IsReadableDatabaseFile(newFile)) {
      Tell(dialogs, kNotMoved);
      return false;
    }
  }

  CloseStore();
  if (TheDb.IsOpen()) {
    Tell(dialogs, kNotMoved);
    return false;
  }
  // The target's own file is replaced by the rename itself, never deleted before it: a
  // rename to another drive fails and leaves both files as they were. The intent goes to
  // config.ini first, so that a kill at any step leaves a state the next start settles.
  bool adopted = FileExists(newFile) && !overwrite;
  bool renamed = false;
  bool moved = false;
  if (adopted) {
    moved = SetDataDirectory(chosen);
  } else if (WriteIniDurably(kIniMoveKey, &chosen)) {
    if (moveStopsAfter == 1) return false;
    // The side files of a target's file that is replaced are its own: a journal left there
    // would be played into the file that comes. They go aside first, and come back when the
    // rename fails.
    const KxString replaced = AsideName(newFile, "replaced", KxTime());
    bool cleared = !overwrite || MoveSideFiles(newFile, replaced);
    renamed = cleared &&
              MoveFileWith(newFile, oldFile, MOVEFILE_WRITE_THROUGH | (overwrite ? MOVEFILE_REPLACE_EXISTING : 0));
    if (overwrite && cleared && !renamed) MoveSideFiles(replaced, newFile);
    if (renamed && moveStopsAfter == 2) return false;
    moved = renamed && SetDataDirectory(chosen);
    if (moved || !renamed) WriteIniDurably(kIniMoveKey, nullptr);
  }
  if (!moved) {
    // config.ini still names the old directory: the file goes back there.
    if (renamed && MoveFileTo(oldFile, newFile)) WriteIniDurably(kIniMoveKey, nullptr);
    Tell(dialogs, kNotMoved);
  }
  // The copies stay where they were made; the new directory starts a set of its own at once.
  if (OpenStore(dialogs) && moved) BackupStore(KxTime());
  return moved;
}
