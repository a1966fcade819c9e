#include "app/RunShell.h"

#include "hotkey/FrmOption.h"
#include "hotkey/HotKeyTable.h"
#include "launcher/CommandMenu.h"
#include "launcher/FrmMain.h"
#include "launcher/FrmMenu.h"
#include "notes/FrmNoteManage.h"
#include "notes/FrmNotePage.h"
#include "plugin/KxListPlugin.h"
#include "plugin/PluginRegistry.h"
#include "update/KxPanelMain.h"
#include "update/UpdateCheck.h"

// ---- Commands

// A module's hotkey ends here (DispatchHotKey below); the menus and the kit window's own
// messages call the launcher's router themselves.
void RunShell::RouteCommand(int id) { ::RouteCommand(id); }

void RunShell::ToggleToolWindow(ToolWindow kind) {
  switch (kind) {
    case ToolWindow::maintenance: ToggleMaintenanceForm(); return;
    case ToolWindow::options: ToggleOptionsForm(); return;
    case ToolWindow::noteManager: ToggleNoteManagerForm(); return;
  }
}

void RunShell::ShowAllNotes() { TheNoteWindows.ShowAllNotes(); }

void RunShell::NewNote() { TheNoteWindows.NewNote(); }

void RunShell::ShowPlugin(const KxString& pluginId) { ShowPluginById(pluginId); }

void RunShell::Exit() { ExitApplication(); }

// Both are owned by the kit window.
void RunShell::DestroyToolWindows() {
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

// A module's hotkey comes back to RouteCommand above; a plug-in's to ShowPlugin.
void RunShell::DispatchHotKey(uint32_t code) { ::DispatchHotKey(code); }

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

void RunShell::CheckForUpdates() { ::CheckForUpdates(updatePanel.lock().get()); }

void RunShell::OfferPluginEntries(const KxList<UpdateEntry>& plugins) {
  if (auto list = pluginList.lock()) list->OfferEntries(plugins);
}

void RunShell::StopDownloads() {
  if (auto panel = updatePanel.lock()) panel->StopDownload();
  if (auto list = pluginList.lock()) list->StopWorkers();
}
