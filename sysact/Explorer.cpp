#include "sysact/Explorer.h"

#include <windows.h>

#include "app/KxShell.h"
#include "kx/base/KxFile.h"

namespace {

KxString ExplorerPath() { return WindowsDirectory() + "\\explorer.exe"; }

}  // namespace

bool DriveExists(char letter) {
  char root[] = {letter, ':', '\\', 0};
  UINT type = GetDriveTypeA(root);
  return type >= DRIVE_REMOVABLE && type <= DRIVE_RAMDISK;
}

void OpenExplorer(int letterCode) {
  if (letterCode == 0) {
    LaunchFile(ExplorerPath(), "");
    return;
  }
  if (letterCode < 'A' || letterCode > 'Z') return;
  char letter = static_cast<char>(letterCode);
  if (!DriveExists(letter)) return;
  LaunchFile(ExplorerPath(), KxString("/e,") + KxString(&letter, 1) + ":");
}
