#include "update/SelfUpgrade.h"

#include <windows.h>

#include <functional>

#include "app/KxApp.h"
#include "app/KxAutostart.h"
#include "app/KxShell.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxWide.h"

namespace {

const char kInstalledName[] = "\\velix.exe";
const char kExeExtension[] = ".exe";

// How long the rename mode waits for the instance that started it to end, and how often
// it tries meanwhile.
const DWORD kRenameWaitMs = 15000;
const DWORD kRenameRetryMs = 250;

bool SamePath(const KxString& a, const KxString& b) {
  KxString fullA = FullPathOf(a);
  KxString fullB = FullPathOf(b);
  return !fullA.IsEmpty() && !fullB.IsEmpty() && KxSamePath(fullA, fullB);
}

bool Exists(const KxString& path) { return FileAttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

bool IsPlainBaseName(const KxString& name) {
  if (name.IsEmpty() || KxHasBrokenChar(name)) return false;
  // Walk by characters: the second byte of a double-byte character may be 0x5C.
  for (int i = 0; i < name.Length(); i += KxCharLength(name, i)) {
    char c = name.At(i);
    if (c == '\\' || c == '/' || c == ':') return false;
  }
  return name != "." && name != ".." && !IsDeviceName(name);
}

int RunInstall(KxApp& app) {
  KxString target = ProgramDirectory() + kInstalledName;
  if (ReplaceFileWithCopy(target, app.modulePath) && Exists(target)) {
    LaunchFile(target, "");
    ScheduleSelfDelete(app.modulePath);
  }
  return 0;
}

int RunRename(KxApp& app) {
  KxString dir = ProgramDirectory();
  const KxString& oldBase = *app.args.At(1);
  const KxString& newBase = *app.args.At(2);
  if (!IsPlainBaseName(oldBase) || !IsPlainBaseName(newBase)) return 0;
  KxString oldPath = dir + "\\" + oldBase + kExeExtension;
  KxString newPath = dir + "\\" + newBase + kExeExtension;
  // The instance that started this one is still ending, and the file of a running
  // program cannot be replaced or deleted: try again until it has gone.
  auto retried = [](const std::function<bool()>& step) {
    for (DWORD waited = 0;; waited += kRenameRetryMs) {
      if (step()) return true;
      if (waited >= kRenameWaitMs) return false;
      Sleep(kRenameRetryMs);
    }
  };
  if (!retried([&] { return ReplaceFileWithCopy(newPath, app.modulePath) && Exists(newPath); })) return 0;
  // The old file goes only once the new one is in place.
  if (!SamePath(oldPath, newPath)) retried([&] { return RemoveFile(oldPath) || !Exists(oldPath); });
  if (AutostartExists(oldBase + kExeExtension)) {
    SetAutostart(oldPath, false);
    SetAutostart(newPath, true);
  }
  LaunchFile(newPath, "");
  ScheduleSelfDelete(app.modulePath);
  return 0;
}

bool ReplaceFileWithCopy(const KxString& target, const KxString& source) {
  if (SamePath(target, source)) return false;
  KxString staging = target + ".new";
  SetFileAttributesOf(staging, FILE_ATTRIBUTE_NORMAL);
  RemoveFile(staging);
  if (!CopyFileTo(staging, source)) {
    RemoveFile(staging);
    return false;
  }
  if (!MoveFileWith(target, staging, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    RemoveFile(staging);
    return false;
  }
  return true;
}
