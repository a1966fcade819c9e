// The quick search window in this process on a real store: where it opens, the keys that
// choose and start, what closes it, and the start counted like one from the launcher menu.

#include <gtest/gtest.h>

#include "kx/KxEdit.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxWinHelpers.h"
#include "launcher/FrmQuickSearch.h"
#include "store/KxDb.h"
#include "store/LaunchRecord.h"
#include "store/Schema.h"
#include "tests/launcher/ShortcutRows.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"

namespace {

class QuickSearch : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    dir = MakeScratchDir("quick-search");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
    MovePointerTo(300, 200);
  }
  void TearDown() override {
    DestroyQuickSearch();
    PumpFor(20);
    TheDb.Close();
    RemoveTree(dir);
  }
  FrmQuickSearch* Open(HWND returnTo = NULL) {
    ToggleQuickSearch(returnTo);
    FrmQuickSearch* window = FindToolWindow<FrmQuickSearch>(kQuickSearchCaption);
    EXPECT_NE(nullptr, window);
    if (window) {
      EXPECT_TRUE(PumpUntil([&] { return GetFocus() == window->input->hwnd; }, 3000));
    }
    return window;
  }
  static std::vector<int> Ids(const FrmQuickSearch& window) {
    std::vector<int> ids;
    for (const ShortcutRecord* record : window.Matches()) ids.push_back(record->id);
    return ids;
  }
  KxString dir;
};

}  // namespace

// Three probes in a group; the one started most comes first for the empty query.
TEST_F(QuickSearch, KeysAndThePointerChooseAndEnterStartsInItsFolder) {
  KxString probes[3];
  AddRow(1, 0, 0, kShortcutGroup, "工具");
  for (int i = 0; i < 3; ++i) {
    probes[i] = CopyOfProbe(dir + "\\p" + KxString::FromInt(i));
    HICON icon = i == 0 ? CopyIcon(LoadIconA(NULL, IDI_APPLICATION)) : NULL;
    AddRow(2 + i, 1, i, kShortcutItem, ("探针" + KxString::FromInt(i)).CStr(), probes[i], icon);
    if (icon) DestroyIcon(icon);
  }
  AddRow(5, 1, 3, kShortcutSeparator, "----");
  AddRow(6, 77, 0, kShortcutItem, "探针孤", probes[0]);  // in no group: the menu never shows it
  ASSERT_TRUE(TheDb.Exec("insert into KX_LAUNCH values (4,3,'2026-01-02')"));

  FrmQuickSearch* window = Open();
  ASSERT_NE(nullptr, window);
  EXPECT_EQ((std::vector<int>{4, 2, 3}), Ids(*window)) << "groups, separators and rows of no group are no results";
  EXPECT_NE(nullptr, window->IconOf(2)) << "a shown row's stored icon";
  EXPECT_EQ(nullptr, window->IconOf(3));
  RECT shown;
  GetWindowRect(window->hwnd, &shown);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  POINT pointer = {300, 200};
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor));
  EXPECT_NEAR((monitor.rcWork.left + monitor.rcWork.right) / 2, (shown.left + shown.right) / 2, 1);
  EXPECT_TRUE(GetWindowLongA(window->hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);

  struct Step {
    WORD key;
    int choice;
  };
  for (const Step& step : {Step{VK_DOWN, 1}, Step{VK_DOWN, 2}, Step{VK_DOWN, 2}, Step{VK_UP, 1},
                           Step{VK_PRIOR, 0}, Step{VK_NEXT, 2}}) {
    TapKey(step.key);
    EXPECT_EQ(step.choice, window->Choice()) << "after key " << step.key;
  }
  // One row, the pointer parked where a third would be, then three rows grow under it.
  TypeText(L"探针1");
  ASSERT_EQ((std::vector<int>{3}), Ids(*window));
  POINT third = {40, 38 + 2 * 26 + 13};  // the rows start below the input, 26 pixels a row
  ClientToScreen(window->hwnd, &third);
  MovePointerTo(third.x, third.y);
  TapKey(VK_BACK);
  PumpFor(100);
  ASSERT_EQ(3u, Ids(*window).size());
  EXPECT_EQ(0, window->Choice()) << "a pointer at rest chooses nothing";
  POINT second = {third.x, third.y - 26};
  MovePointerTo(second.x, second.y);
  EXPECT_EQ(1, window->Choice()) << "the row under a moving pointer";
  PressCombination({VK_MENU}, '3');
  EXPECT_EQ(2, window->Choice()) << "Alt+3";
  EXPECT_TRUE(window->IsVisible()) << "Alt+digit chooses, it does not start";
  TapKey(VK_UP);
  TapKey(VK_RETURN);
  KxString report = dir + "\\p0\\velix-probe-out.txt";
  EXPECT_TRUE(WaitFor([&] { return FileExists(report); }, 10000)) << "row 2 is the probe of S_ID 2";
  EXPECT_FALSE(window->IsVisible());
  LaunchStats stats;
  LoadLaunchStats(stats);
  EXPECT_EQ(1, stats[2].count);
  EXPECT_EQ(3, stats[4].count);
}

// The keyboard goes back to where it came from on Esc, past the window that held it
// meanwhile (the kit window, brought forward by the hotkey); not when another window is
// activated.
TEST_F(QuickSearch, EscapeAnotherWindowAndTheCommandAgainCloseIt) {
  auto popup = [](const char* caption, int x) {
    return CreateWindowExA(0, "STATIC", caption, WS_POPUP | WS_VISIBLE, x, 60, 200, 100, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
  };
  HWND before = popup("typed in before", 60);
  HWND kit = popup("kit window", 300);
  SetForegroundWindow(before);
  SetForegroundWindow(kit);
  FrmQuickSearch* window = Open(before);
  ASSERT_NE(nullptr, window);
  EXPECT_STREQ(kQuickEmptyTreeText, window->Note().CStr());
  TapKey(VK_RETURN);  // nothing to start
  EXPECT_TRUE(window->IsVisible());
  TapKey(VK_ESCAPE);
  EXPECT_FALSE(window->IsVisible());
  EXPECT_EQ(before, GetForegroundWindow()) << "Esc gives the keyboard back";

  AddRow(1, 0, 0, kShortcutItem, "记事本", "C:\\windows\\notepad.exe");
  SetForegroundWindow(kit);
  window = Open(before);
  EXPECT_EQ((std::vector<int>{1}), Ids(*window)) << "the tree is read again at every opening";
  TypeText(L"zzzz");
  EXPECT_TRUE(Ids(*window).empty());
  EXPECT_STREQ(kQuickNoMatchText, window->Note().CStr());
  EXPECT_STREQ("zzzz", window->input->GetText().CStr());
  HWND other = popup("another window", 540);
  SetForegroundWindow(other);
  EXPECT_TRUE(PumpUntil([&] { return !window->IsVisible(); }, 3000)) << "losing the activation closes it";
  PumpFor(100);
  EXPECT_EQ(other, GetForegroundWindow()) << "and the keyboard stays where it went";

  window = Open(before);
  EXPECT_STREQ("", window->input->GetText().CStr()) << "every opening starts empty";
  ToggleQuickSearch(other);
  EXPECT_FALSE(window->IsVisible()) << "the command again closes the active window";
  EXPECT_EQ(before, GetForegroundWindow());
  for (HWND made : {before, kit, other}) DestroyWindow(made);
}
