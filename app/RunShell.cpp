#include "app/RunShell.h"

#include "app/KxApp.h"
#include "hotkey/FrmOption.h"
#include "hotkey/HotKeyField.h"
#include "hotkey/HotKeyTable.h"
#include "kx/KxTaskBar.h"
#include "kx/base/KxModal.h"
#include "launcher/CommandMenu.h"
#include "launcher/FrmAbout.h"
#include "launcher/FrmMain.h"
#include "launcher/FrmMenu.h"
#include "launcher/FrmQuickSearch.h"
#include "launcher/LauncherMenu.h"
#include "notes/FrmNoteManage.h"
#include "notes/NoteWindowList.h"
#include "plugin/KxListPlugin.h"
#include "plugin/PluginRegistry.h"
#include "store/ModuleRecord.h"
#include "sysact/DesktopManager.h"
#include "sysact/Explorer.h"
#include "sysact/Shutdown.h"
#include "update/KxPanelMain.h"
#include "update/UpdateCheck.h"

// ---- Commands

// Every command ends here: the command menu's choice, a command sent to the kit window
// the way a menu sends it, and a module's hotkey (DispatchHotKey below). Ids that name
// nothing (0, a dismissed menu) do nothing.
void RunShell::RouteCommand(int id) {
  FrmMain* kit = TheKitWindow;
  switch (id) {
    case kModuleWndMain:
      if (kit) kit->ToggleKitWindow();
      return;
    case kCommandKitImage:
      if (kit) kit->ChooseKitImage();
      return;
    case kCommandKitSize:
      if (kit) kit->ToggleKitSize();
      return;
    case kModuleOption: ToggleToolWindow(ToolWindow::kOptions); return;
    case kModuleHelp: ShowHelp(); return;
    case kModuleAbout: ShowAbout(kit); return;
    case kModuleExit: Exit(); return;
    case kModuleMenuManage: ToggleToolWindow(ToolWindow::kMaintenance); return;
    // Reached by hotkeys only, but for 115, which the command menu carries too.
    case kModuleTray: TheTaskBar.Toggle(); return;
    case kModuleLeftMenu: ShowLauncherMenu(kit); return;
    case kModuleSearch: ToggleQuickSearch(keyboardBefore); return;
    case kModuleRightMenu: ShowCommandMenu(kit); return;
    case kModuleNote: ToggleToolWindow(ToolWindow::kNoteManager); return;
    case kCommandShowAllNotes: ShowAllNotes(); return;
    case kCommandNewNote: NewNote(); return;
    case kModuleShutDown: RestartComputer(); return;
    case kCommandShutdownDialog: ShowShutdownDialog(); return;
    case kCommandPowerOff: PowerOffNow(); return;
    case kModuleExplorer: OpenExplorer(0); return;
    default: break;
  }
  if (id < kCommandPluginBase) {
    if (id >= kModuleDesktop) {
      if (TheDesktops) TheDesktops->SwitchDesktop(id - kModuleDesktop);
    } else if (id > kModuleExplorer) {
      OpenExplorer(id - kModuleExplorer);  // the drive letter
    }
    return;
  }
  ShowPlugin(KxString::FromInt(id - kCommandPluginBase));
}

// WM_HOTKEY's code, as the kit window receives it.
void RunShell::DispatchHotKey(uint32_t code) {
  // While the hotkey editor takes keys, a press is the combination being chosen; one of
  // ours made of modifiers alone fires on the way there.
  if (HotKeyField::IsCapturing()) return;
  // The press lets this process take the foreground; a window of its own that has it
  // already keeps it (the quick search open when its hotkey comes again).
  HWND before = GetForegroundWindow();
  DWORD process = 0;
  GetWindowThreadProcessId(before, &process);
  if (process != GetCurrentProcessId() && TheHotKeys.Window())
    SetForegroundWindow(TheHotKeys.Window());
  HotKeyTarget target = FindHotKeyTarget(code);
  if (target.command) {
    // A hotkey handled inside the modal loop of an outer one's command leaves the outer
    // one's window as it was.
    HWND outer = keyboardBefore;
    keyboardBefore = before;
    RouteCommand(target.command);
    keyboardBefore = outer;
  } else if (!target.pluginId.IsEmpty()) {
    ShowPlugin(target.pluginId);
  }
}

void RunShell::ToggleToolWindow(ToolWindow kind) {
  switch (kind) {
    case ToolWindow::kMaintenance: ToggleMaintenanceForm(); return;
    case ToolWindow::kOptions: ToggleOptionsForm(); return;
    case ToolWindow::kNoteManager: ToggleNoteManagerForm(); return;
  }
}

void RunShell::ShowAllNotes() { TheNoteWindows.ShowAllNotes(); }

void RunShell::NewNote() { TheNoteWindows.NewNote(); }

void RunShell::ShowPlugin(const KxString& pluginId) { ShowPluginById(pluginId); }

namespace {

// The exit asked for during a modal run, once the last run has returned to the loop.
void ExitAfterModalRuns() {
  if (TheKitWindow) PostMessageW(TheKitWindow->hwnd, WM_COMMAND, kModuleExit, 0);
}

}  // namespace

// The downloads stop and the tool windows and the notes close, then the quit is requested;
// the run tears down the kit window and the rest.
void RunShell::Exit() {
  // A modal run (a dialog or menu of ours, a message box, a file dialog) and the code
  // waiting for it still use the windows an exit frees: each is ended now with the answer
  // that changes nothing (closed, No, cancelled), and the exit itself runs once the last
  // run has returned.
  if (KxModalDepth() > 0) {
    KxEndModalRuns();
    KxAfterModalRuns(ExitAfterModalRuns);
    return;
  }
  StopDownloads();
  DestroyToolWindows();
  DestroyNotes();
  if (TheApp) RequestQuit(*TheApp);
}

// All are owned by the kit window.
void RunShell::DestroyToolWindows() {
  DestroyQuickSearch();
  DestroyMaintenanceForm();
  DestroyOptionsForm();
}

// The manager first, then every note window; a text being typed is written on the way.
void RunShell::DestroyNotes() {
  DestroyNoteManagerForm();
  TheNoteWindows.DestroyAll();
}

// ---- The kit window

KxForm* RunShell::KitWindow() { return TheKitWindow; }

void RunShell::LayoutKit() {
  if (TheKitWindow) TheKitWindow->LayoutKit();
}

void RunShell::BindHotKeys(HWND kit) { TheHotKeys.SetWindow(kit); }

void RunShell::RegisterHotKeys() { RegisterAllHotKeys(); }

void RunShell::ClearHotKeys() { TheHotKeys.Clear(); }

KxControl* RunShell::MakeUpdatePanel(KxControl* kit, const KxRect& rect) {
  KxPanelMain* panel = ::MakeUpdatePanel(kit, rect);
  updatePanel = panel->Link();
  return panel;
}

KxControl* RunShell::MakePluginList(KxControl* kit, const KxRect& rect) {
  KxListPlugin* list = ::MakePluginList(kit, rect);
  pluginList = list->Link();
  return list;
}

// The check asks for the panel only after its fetch: a link locked before it would keep
// pointing at a panel the kit window's end had freed.
void RunShell::CheckForUpdates() {
  ::CheckForUpdates([this] { return updatePanel.lock().get(); });
}

void RunShell::OfferPluginEntries(const KxList<UpdateEntry>& plugins) {
  if (auto list = pluginList.lock()) list->OfferEntries(plugins);
}

void RunShell::StopDownloads() {
  if (auto panel = updatePanel.lock()) panel->StopDownload();
  if (auto list = pluginList.lock()) list->StopWorkers();
}
