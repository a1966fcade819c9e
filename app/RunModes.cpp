#include "app/RunModes.h"

#include <functional>

#include "app/KxAutostart.h"
#include "app/KxDialogs.h"
#include "app/KxShell.h"
#include "app/SingleRun.h"
#include "hotkey/FrmOption.h"
#include "hotkey/HotKeyTable.h"
#include "kx/base/KxFile.h"
#include "launcher/CommandMenu.h"
#include "launcher/FrmMain.h"
#include "launcher/FrmMenu.h"
#include "launcher/LauncherMenu.h"
#include "notes/FrmNoteManage.h"
#include "notes/FrmNotePage.h"
#include "plugin/KxListPlugin.h"
#include "plugin/KxPanelMain.h"
#include "plugin/PluginHost.h"
#include "plugin/UpdateCheck.h"
#include "store/DataDirectory.h"
#include "store/Schema.h"
#include "sysact/DesktopManager.h"

namespace {

const char kUpgradeSwitch[] = "upgrade";
const char kInstalledName[] = "\\velix.exe";
const char kExeExtension[] = ".exe";

bool SamePath(const KxString& a, const KxString& b) {
  char fullA[MAX_PATH] = {};
  char fullB[MAX_PATH] = {};
  if (!GetFullPathNameA(a.CStr(), MAX_PATH, fullA, NULL)) return false;
  if (!GetFullPathNameA(b.CStr(), MAX_PATH, fullB, NULL)) return false;
  return lstrcmpiA(fullA, fullB) == 0;
}

// A base name from the command line must name a file in the program directory.
bool IsPlainBaseName(const KxString& name) {
  if (name.IsEmpty()) return false;
  // Walk by characters: the second byte of a double-byte character may be 0x5C.
  for (int i = 0; i < name.Length(); ++i) {
    unsigned char c = static_cast<unsigned char>(name.At(i));
    if (c >= 0x81) {
      ++i;
    } else if (c == '\\' || c == '/' || c == ':') {
      return false;
    }
  }
  return name != "." && name != ".." && !IsDeviceName(name);
}

bool Exists(const KxString& path) {
  return GetFileAttributesA(path.CStr()) != INVALID_FILE_ATTRIBUTES;
}

// "upgrade" alone: install the running copy as velix.exe and hand over to it.
int RunInstall(KxApp& app) {
  KxString target = ProgramDirectory() + kInstalledName;
  if (ReplaceFileWithCopy(target, app.modulePath) && Exists(target)) {
    LaunchFile(target, "");
    ScheduleSelfDelete(app.modulePath);
  }
  return 0;
}

// How long the rename mode waits for the instance that started it to end, and how often
// it tries meanwhile.
const DWORD kRenameWaitMs = 15000;
const DWORD kRenameRetryMs = 250;

// "upgrade old new": the running copy becomes new.exe in place of old.exe; autostart
// follows the program to its new name.
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
  if (!SamePath(oldPath, newPath)) retried([&] { return DeleteFileA(oldPath.CStr()) || !Exists(oldPath); });
  if (AutostartExists(oldBase + kExeExtension)) {
    SetAutostart(oldPath, false);
    SetAutostart(newPath, true);
  }
  LaunchFile(newPath, "");
  ScheduleSelfDelete(app.modulePath);
  return 0;
}

// The maintenance and settings windows, both owned by the kit window.
void DestroyToolWindows() {
  DestroyMaintenanceForm();
  DestroyOptionsForm();
}

// The manager first, then every note window; a text being typed is written on the way.
void DestroyNotes() {
  DestroyNoteManagerForm();
  TheNoteWindows.DestroyAll();
}

// How long a start waits for an instance that is still ending (the hand-over after an
// upgrade starts the new copy while the old one exits).
const DWORD kInstanceWaitMs = 3000;

// The resident program: the store comes up first (a data file that is missing or cannot
// be read ends the run without a window, after the user was asked or told), a first use
// on this machine switches autostart on, and then the kit window with its tray icon runs
// until the Exit command, with the sticky notes back where they were left.
int RunNormal(KxApp& app) {
  SingleRun single;
  if (!single.Acquire(kInstanceWaitMs)) {
    BringRunningInstanceForward();
    return 0;
  }
  // Before anything that can stop the start: windows a killed or crashed run left hidden
  // come back even when the data file cannot be opened. Outlives the kit window: every
  // window still hidden on another desktop is shown again when the run ends, also by a
  // crash.
  DesktopManager desktops;
  TheDesktops = &desktops;
  DesktopCrashGuard crashGuard(desktops);
  const StoreDialogs dialogs = {AskYesNo, ShowInfo};
  if (!BootstrapStore(dialogs)) return 0;
  // The day's copy of a store that opened cleanly; one that cannot be written costs
  // nothing but itself.
  BackupStore(KxTime());
  if (CheckFirstUse()) SetAutostart("", true);

  CommandTargets targets;
  targets.toggleMaintenance = ToggleMaintenanceForm;
  targets.toggleOptions = ToggleOptionsForm;
  targets.destroyToolWindows = DestroyToolWindows;
  targets.toggleNoteManager = ToggleNoteManagerForm;
  targets.showAllNotes = [] { TheNoteWindows.ShowAllNotes(); };
  targets.newNote = [] { TheNoteWindows.NewNote(); };
  targets.destroyNotes = DestroyNotes;
  targets.showPlugin = [](const KxString& id) { ShowPluginById(id); };
  SetCommandTargets(&targets);
  KitHotKeyHooks hotKeys;
  hotKeys.bind = [](HWND kit) { TheHotKeys.SetWindow(kit); };
  hotKeys.registerAll = [] { RegisterAllHotKeys(); };
  hotKeys.dispatch = DispatchHotKey;
  hotKeys.clear = [] { TheHotKeys.Clear(); };
  SetKitHotKeyHooks(&hotKeys);
  KitUpdateHooks updates;
  updates.makePanel = MakeUpdatePanel;
  updates.makePluginList = MakePluginList;
  updates.check = CheckForUpdates;
  updates.stop = [] {
    if (KxPanelMain* panel = TheUpdatePanel()) panel->StopDownload();
    if (KxListPlugin* list = ThePluginList()) list->StopWorkers();
  };
  SetKitUpdateHooks(&updates);
  SetMaintenanceToggle(ToggleMaintenanceWindow);
  int result = 0;
  {
    // Its destruction removes the tray icon.
    FrmMain kit;
    if (!kit.hwnd) return 0;
    ShowWindow(kit.hwnd, SW_SHOWNORMAL);
    TheNoteWindows.LoadAll();
    app.mainForm = &kit;
    result = MessageLoop(app, &kit);
    app.mainForm = nullptr;
    app.activeForm = nullptr;
    // Owned by the kit window: they go first, also when the run ended without Exit.
    DestroyToolWindows();
    DestroyNotes();
    // Every loaded plug-in is released and unloaded while the kit window it was shown
    // with still exists.
    UnloadAllPlugins();
  }
  SetMaintenanceToggle(nullptr);
  SetKitUpdateHooks(nullptr);
  SetKitHotKeyHooks(nullptr);
  SetCommandTargets(nullptr);
  return result;
}

}  // namespace

bool ReplaceFileWithCopy(const KxString& target, const KxString& source) {
  if (SamePath(target, source)) return false;
  KxString staging = target + ".new";
  SetFileAttributesA(staging.CStr(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(staging.CStr());
  if (!CopyFileA(source.CStr(), staging.CStr(), FALSE)) {
    DeleteFileA(staging.CStr());
    return false;
  }
  if (!MoveFileExA(staging.CStr(), target.CStr(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(staging.CStr());
    return false;
  }
  return true;
}

int Run(KxApp& app) {
  // A child run started by the plug-in host to identify a package; its quoted paths
  // make it a form that no upgrade command line takes.
  KxString dllPath;
  KxString resultPath;
  if (ParseIdentifyCommand(app.commandLine, dllPath, resultPath)) return RunIdentify(dllPath, resultPath);
  if (app.commandLine == kUpgradeSwitch) return RunInstall(app);
  // Two words name no new file: the program was started by hand, so it runs normally.
  if (app.args.Count() >= 3) return RunRename(app);
  return RunNormal(app);
}
