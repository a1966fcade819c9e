// The resident run's shell keeps the update panel and the plug-in list it made for the kit
// window, and lets go of them when the kit window deletes them before the shell ends.

#include <gtest/gtest.h>

#include "app/RunShell.h"
#include "kx/KxForm.h"
#include "plugin/KxListPlugin.h"
#include "update/UpdateEntry.h"

namespace {

TEST(RunShell, PluginEntriesReachTheListOfTheKitWindowThatIsThere) {
  KxRegisterCardClass(GetModuleHandleA(NULL));
  RunShell shell;
  ShellScope installed(shell);
  UpdateEntry entry;
  entry.flag = "7";
  entry.name = "P";
  entry.ver = "2";
  entry.path = "soft/p.vlx";
  UpdateList plugins;
  plugins.Add(entry);
  // The second kit window's list gets the offers, never the first one's, which went with
  // its window while the shell lived on.
  for (int kit = 0; kit < 2; ++kit) {
    KxForm* window = new KxForm(nullptr, "kit", KxRect{100, 100, 502, 300}, WS_POPUP);
    ASSERT_NE(shell.MakeUpdatePanel(window, KxRect{10, 10, 480, 76}), nullptr);
    auto* list = static_cast<KxListPlugin*>(shell.MakePluginList(window, KxRect{10, 110, 480, 10}));
    ASSERT_NE(list, nullptr);
    shell.OfferPluginEntries(plugins);
    ASSERT_NE(list->RowOf("7"), nullptr) << kit;
    EXPECT_EQ(list->panels.Count(), 1) << kit;
    delete window;
    shell.OfferPluginEntries(plugins);
    shell.StopDownloads();
  }
}

}  // namespace
