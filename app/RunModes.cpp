#include "app/RunModes.h"

#include <cwchar>
#include <functional>
#include <string>

#include "app/KxAutostart.h"
#include "app/KxDialogs.h"
#include "app/KxShell.h"
#include "app/RunShell.h"
#include "app/SingleRun.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxHandles.h"
#include "kx/base/KxSystemLibrary.h"
#include "kx/base/KxWide.h"
#include "launcher/FrmMain.h"
#include "launcher/StartMenuImport.h"
#include "net/KxAdapters.h"
#include "notes/NoteWindowList.h"
#include "plugin/PluginHost.h"
#include "plugin/PluginRegistry.h"
#include "store/DataDirectory.h"
#include "store/KxDb.h"
#include "store/PluginRecord.h"
#include "store/Schema.h"
#include "sysact/DesktopManager.h"
#include "update/SelfUpgrade.h"

namespace {

const char kProductName[] = "Velix";

const char kRemoveOwnFilesSwitch[] = "-remove-own-files";

// The product name in a program file's version resource. The version library is no DLL
// the system maps for every process, so it comes from the system folder.
KxString ProductNameOf(const KxString& path) {
  using SizeCall = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  using InfoCall = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  using QueryCall = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  static auto size = reinterpret_cast<SizeCall>(
      reinterpret_cast<void*>(SystemLibraryFunction("version.dll", "GetFileVersionInfoSizeW")));
  static auto info =
      reinterpret_cast<InfoCall>(reinterpret_cast<void*>(SystemLibraryFunction("version.dll", "GetFileVersionInfoW")));
  static auto query =
      reinterpret_cast<QueryCall>(reinterpret_cast<void*>(SystemLibraryFunction("version.dll", "VerQueryValueW")));
  if (!size || !info || !query) return KxString();
  const KxWide file(path);
  DWORD handle = 0;
  DWORD bytes = size(file, &handle);
  if (bytes == 0 || bytes > 1024 * 1024) return KxString();
  std::string block(bytes, '\0');
  if (!info(file, 0, bytes, &block[0])) return KxString();
  WORD* translation = nullptr;
  UINT length = 0;
  if (!query(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&translation), &length) ||
      length < 2 * sizeof(WORD))
    return KxString();
  wchar_t key[64];
  wsprintfW(key, L"\\StringFileInfo\\%04x%04x\\ProductName", translation[0], translation[1]);
  wchar_t* name = nullptr;
  if (!query(block.data(), key, reinterpret_cast<LPVOID*>(&name), &length) || !name || length == 0) return KxString();
  return KxFromWide(name, static_cast<int>(wcsnlen(name, length)));
}

// Every file of the program directory matching pattern whose long name also passes
// keep (the pattern alone would match short names too: "*.vlx" finds "a.vlxx").
void RemoveMatching(const KxString& dir, const char* pattern, const std::function<bool(const KxString&)>& keep) {
  for (KxFindFiles found(dir + "\\" + pattern); found.Next();) {
    if (!found.IsDirectory() && keep(found.Name())) RemoveFile(dir + "\\" + found.Name());
  }
}

// For the uninstaller, which may run in a folder the user shares with other programs:
// removes only what Velix put beside itself. That is the plug-ins the data file names, the
// staging copies of plug-in downloads ("tmp<name>.vlx"), the downloads an older version
// left unfinished ("<name>.vlx.part"), and downloaded programs ("<name>tmp.exe") that are
// Velix by their version resource. The program and the uninstaller are the uninstaller's.
int RunRemoveOwnFiles() {
  KxString dir = ProgramDirectory();
  KxString db = DbFilePath();
  // Opening a missing file would make an empty one.
  if (FileExists(db) && TheDb.Open(db)) {
    PluginList plugins;
    LoadPlugins(plugins);
    TheDb.Close();
    for (auto& plugin : plugins) {
      const KxString& name = plugin.path;
      if (IsPlainBaseName(name) && EndsWithNoCase(name, ".vlx")) RemoveFile(dir + "\\" + name);
    }
  }
  RemoveMatching(dir, "tmp*.vlx", [](const KxString& name) {
    return KxFindNoCase(name, "tmp") == 0 && EndsWithNoCase(name, ".vlx");
  });
  RemoveMatching(dir, "*.vlx.part", [](const KxString& name) { return EndsWithNoCase(name, ".vlx.part"); });
  RemoveMatching(dir, "*tmp.exe", [&](const KxString& name) {
    return EndsWithNoCase(name, "tmp.exe") && ProductNameOf(dir + "\\" + name) == kProductName;
  });
  return 0;
}

// The program's notes and tool windows follow their own shown state on every desktop; the
// kit window is parked like any other window.
bool KeepsOwnState(HWND hwnd) {
  DWORD processId = 0;
  GetWindowThreadProcessId(hwnd, &processId);
  if (processId != GetCurrentProcessId()) return false;
  if (TheApp && TheApp->mainForm && hwnd == TheApp->mainForm->hwnd) return false;
  char className[32] = {};
  GetClassNameA(hwnd, className, sizeof className);
  return lstrcmpA(className, "KxCardClassName") == 0;
}

// How long a start waits for an instance that is still ending (the hand-over after an
// upgrade starts the new copy while the old one exits).
const DWORD kInstanceWaitMs = 3000;

// The resident program: the store comes up first (a data file that is missing or cannot
// be read ends the run without a window, after the user was asked or told), a first use
// on this machine switches autostart on, and then the kit window with its tray icon runs
// until the Exit command, with the sticky notes back where they were left; an empty tree
// is offered the Start menu once.
int RunNormal(KxApp& app) {
  SingleRun single;
  if (!single.Acquire(kInstanceWaitMs)) {
    BringRunningInstanceForward();
    return 0;
  }
  // The shell's objects (links read, files and addresses opened, file icons) want COM on
  // the thread that uses them: one apartment for the whole run.
  KxComApartment com;
  // Before anything that can stop the start: windows a killed or crashed run left hidden
  // come back even when the data file cannot be opened. Outlives the kit window: every
  // window still hidden on another desktop is shown again when the run ends, also by a
  // crash.
  DesktopManager desktops;
  TheDesktops = &desktops;
  desktops.SetKeepsOwnState(KeepsOwnState);
  DesktopCrashGuard crashGuard(desktops);
  const StoreDialogs dialogs = {AskYesNo, ShowInfo};
  if (!BootstrapStore(dialogs)) return 0;
  // The day's copy of a store that opened cleanly; one that cannot be written costs
  // nothing but itself.
  BackupStore(KxTime());
  if (CheckFirstUse(FirstAdapterAddress())) SetAutostart("", true);

  RunShell shell;
  ShellScope installed(shell);
  int result = 0;
  {
    // Its destruction removes the tray icon.
    FrmMain kit;
    if (!kit.hwnd) return 0;
    ShowWindow(kit.hwnd, SW_SHOWNORMAL);
    TheNoteWindows.LoadAll();
    app.mainForm = &kit;
    // With the kit window up, so that the question has its owner and the person sees
    // what it is about.
    OfferStartMenuImport(StartMenuRoots());
    result = MessageLoop(app, &kit);
    app.mainForm = nullptr;
    app.activeForm = nullptr;
    // Owned by the kit window: they go first, also when the run ended without Exit.
    shell.DestroyToolWindows();
    shell.DestroyNotes();
    // Every loaded plug-in is released and unloaded while the kit window it was shown
    // with still exists.
    UnloadAllPlugins();
  }
  return result;
}

}  // namespace

int Run(KxApp& app) {
  // A child run started by the plug-in host to identify a package; its quoted paths
  // make it a form that no upgrade command line takes.
  KxString dllPath;
  KxString resultPath;
  if (ParseIdentifyCommand(app.commandLine, dllPath, resultPath)) return RunIdentify(dllPath, resultPath);
  if (app.commandLine == kUpgradeSwitch) return RunInstall(app);
  if (app.commandLine == kRemoveOwnFilesSwitch) return RunRemoveOwnFiles();
  // Anything else, two words or a file dropped on the program, is a start by hand.
  if (app.args.Count() == 3 && *app.args.At(0) == kUpgradeSwitch) return RunRename(app);
  return RunNormal(app);
}
