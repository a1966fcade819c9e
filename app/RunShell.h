#pragma once
// The program shell of the resident run: every command and every need of the kit window
// reaches the part of the program that carries it out from here. A hotkey is followed from
// the kit window's WM_HOTKEY (DispatchHotKey, which asks the hotkey table what the code
// means) through the router (RouteCommand) to the function that carries it out.

#include <memory>

#include "app/ProgramShell.h"

class KxListPlugin;
class KxPanelMain;

class RunShell : public ProgramShell {
public:
  void RouteCommand(int id) override;
  void ToggleToolWindow(ToolWindow kind) override;
  void ShowAllNotes() override;
  void NewNote() override;
  void ShowPlugin(const KxString& pluginId) override;
  void Exit() override;
  void DestroyToolWindows() override;
  void DestroyNotes() override;

  KxForm* KitWindow() override;
  void LayoutKit() override;
  void BindHotKeys(HWND kit) override;
  void RegisterHotKeys() override;
  void DispatchHotKey(uint32_t code) override;
  void ClearHotKeys() override;
  KxControl* MakeUpdatePanel(KxControl* kit, const KxRect& rect) override;
  KxControl* MakePluginList(KxControl* kit, const KxRect& rect) override;
  void CheckForUpdates() override;
  void OfferPluginEntries(const KxList<UpdateEntry>& plugins) override;
  void StopDownloads() override;

private:
  // While a hotkey's command runs: the window that had the keyboard before the press.
  HWND keyboardBefore = NULL;
  // What the kit window had made here; each link expires when the kit window deletes the
  // control, whichever of the two goes first.
  std::weak_ptr<KxPanelMain> updatePanel;
  std::weak_ptr<KxListPlugin> pluginList;
};
