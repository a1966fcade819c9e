// The run's router: every command id reaches its action, with the shut-down calls and the
// windows the router would open replaced by recorders; the order of the exit. And what the run's shell made for the
// kit window: the update panel and the plug-in list, which it lets go of when the kit
// window deletes them before the shell ends.

#include <gtest/gtest.h>

#include <string>

#include "app/KxApp.h"
#include "app/RunShell.h"
#include "kx/KxForm.h"
#include "plugin/KxListPlugin.h"
#include "sysact/DesktopManager.h"
#include "sysact/Shutdown.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/RecordingShell.h"
#include "update/UpdateEntry.h"

namespace {

std::string actions;

BOOL WINAPI RecordExit(UINT flags, DWORD) {
  actions += "exit:" + std::to_string(flags) + " ";
  return TRUE;
}
bool RecordDialog() {
  actions += "dialog ";
  return true;
}
const ShutdownCalls kRecorders = {RecordExit, RecordDialog};

class Routing : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    shell.runForReal = true;
    SetShutdownCalls(&kRecorders);
    actions.clear();
  }
  void TearDown() override { SetShutdownCalls(nullptr); }

  RecordingShellOf<RunShell> shell{actions};
};

}  // namespace

TEST_F(Routing, EveryIdReachesItsAction) {
  const struct {
    int id;
    const char* actions;
  } cases[] = {
      {200, "exit:2 "}, {201, "dialog "}, {202, "exit:8 "}, {140, "options "},
      {180, "noteManager "}, {181, "allNotes "}, {182, "newNote "}, {1012, "plugin:12 "},
      {1000, "plugin:0 "}, {130, "maintenance "}, {170, "stop toolWindows notes "},
      {0, ""}, {301, ""}, {299, ""}, {408, ""}, {999, ""},
      // Without a kit window or a desktop manager these do nothing at all.
      {90, ""}, {91, ""}, {92, ""}, {401, ""},
  };
  for (const auto& c : cases) {
    actions.clear();
    shell.RouteCommand(c.id);
    EXPECT_EQ(c.actions, actions) << c.id;
  }
}

TEST_F(Routing, ExitStopsTheWindowsFirstAndThenRequestsTheQuit) {
  KxApp app(GetModuleHandleA(NULL), "");
  shell.Exit();
  EXPECT_EQ("stop toolWindows notes ", actions);
  EXPECT_TRUE(app.quitRequested);
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the loop ends by WM_QUIT too";
}

TEST_F(Routing, DesktopCommandsSwitch) {
  KxForm other(nullptr, "another program", KxRect{100, 100, 200, 100}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  PumpFor(50);
  ASSERT_TRUE(other.IsVisible());
  DesktopManager desktops;
  TheDesktops = &desktops;
  shell.RouteCommand(403);
  EXPECT_EQ(3, desktops.CurrentDesktop());
  EXPECT_FALSE(other.IsVisible());
  shell.RouteCommand(400);
  EXPECT_EQ(0, desktops.CurrentDesktop());
  EXPECT_TRUE(other.IsVisible());
  TheDesktops = nullptr;
}

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
