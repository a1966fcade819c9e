// The launcher menu built from a real KX_SOFT table and shown as a real menu: its layout,
// S_PID loops that must end, a screenshot, starting the chosen program (a copy of the
// probe, which reports the current directory it saw) and the drive-letter repair on the
// bench's drives C: and D:.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kx/KxForm.h"
#include "kx/KxMenu.h"
#include "kx/base/KxFile.h"
#include "launcher/FrmMenu.h"
#include "launcher/LauncherMenu.h"
#include "store/KxDb.h"
#include "store/Schema.h"
#include "store/ShortcutRecord.h"
#include "tests/launcher/ShortcutRows.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/MenuDriver.h"
#include "tests/support/RecordingShell.h"
#include "tests/support/TestUtil.h"

namespace {

using menudriver::MenuWindows;
using menudriver::Tap;
using menudriver::WaitForMenus;

void ShowDriven(KxControl* owner, const std::function<void()>& script) {
  menudriver::Drive([owner] { ShowLauncherMenu(owner); }, script);
}

// ---- The table and the menu as text

void Add(ShortcutList& list, int id, int parentId, int kind, const char* text) {
  ShortcutRecord& record = list.Add(ShortcutRecord())->value;
  record.id = static_cast<short>(id);
  record.parentId = static_cast<short>(parentId);
  record.kind = kind;
  record.text = text;
}

// "id:text" for items, "-" for separators, "[text: ...]" for sub-menus.
std::string Describe(const KxMenu& menu) {
  std::string text;
  KxListNode<KxPopMenu*>* sub = menu.subMenus.Head();
  for (const KxMenuItem* item : menu.items) {
    if (!text.empty()) text += " ";
    if (item->IsSeparator()) {
      text += "-";
    } else if (item->hasSubMenu) {
      text += "[" + std::string(item->text.CStr()) + ":" +
              (sub && !sub->value->items.IsEmpty() ? " " : "") + Describe(*sub->value) + "]";
      sub = sub->next;
    } else {
      text += std::to_string(item->id) + ":" + item->text.CStr();
    }
  }
  return text;
}

// ---- The probe and the screen

// Without arguments the probe writes this file into its current directory.
KxString ReportIn(const KxString& dir) { return dir + "\\velix-probe-out.txt"; }

KxString FirstLine(const KxString& path) {
  KxStringList lines;
  ReadFileBytes(path).Split("\r\n", lines);
  return lines.IsEmpty() ? KxString() : *lines.At(0);
}

class LauncherMenu : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    dir = MakeScratchDir("launcher-menu");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    ASSERT_TRUE(TheDb.Exec(kCreateSoftTable));
    ASSERT_TRUE(TheDb.Exec(kCreateSoftIndex));
    // Counts every change of a stored row.
    ASSERT_TRUE(TheDb.Exec("CREATE TABLE WRITES (N INTEGER)"));
    ASSERT_TRUE(TheDb.Exec("CREATE TRIGGER countWrites AFTER UPDATE ON KX_SOFT "
                           "BEGIN INSERT INTO WRITES VALUES(1); END"));
    form = new KxForm(nullptr, "launcher", KxRect{40, 40, 120, 60}, WS_POPUP | WS_VISIBLE);
    form->SetTopMost();
    MovePointerTo(300, 150);
  }
  void TearDown() override {
    delete form;
    PumpFor(20);
    TheDb.Close();
    RemoveTree(dir);
  }
  static int Writes() { return TheDb.Count("WRITES", ""); }

  KxString dir;
  KxForm* form = nullptr;
};

}  // namespace

TEST_F(LauncherMenu, ShowsTheMaintenanceItemASeparatorAndTheTreeInStoredOrder) {
  HICON icon = CopyIcon(LoadIconA(NULL, IDI_APPLICATION));
  AddRow(1, 0, 0, kShortcutGroup, "工具", "");
  AddRow(2, 0, 1, kShortcutSeparator, "这段文字不显示", "");
  AddRow(3, 0, 2, kShortcutItem, "记事本", "C:\\notepad.exe", icon);
  AddRow(4, 0, 3, kShortcutGroup, "空组", "");
  AddRow(7, 6, 0, kShortcutItem, "画图", "");  // its level comes last in S_PID order
  AddRow(5, 1, 0, kShortcutItem, "计算器", "");
  AddRow(6, 1, 1, kShortcutGroup, "深层", "");
  DestroyIcon(icon);
  ShortcutList list;
  LoadShortcuts(list);
  KxPopMenu menu;
  BuildLauncherMenu(menu, list);

  EXPECT_EQ("65535:快捷维护 - [工具: 5:计算器 [深层: 7:画图]] - 3:记事本 [空组:]", Describe(menu));
  EXPECT_EQ(22, menu.bannerWidth);
  EXPECT_STREQ("快捷之Velibox", menu.bannerText.CStr());
  const KxMenuItem* maintain = *menu.items.At(0);
  EXPECT_NE(static_cast<HICON>(NULL), maintain->picture.icon);  // icon 103 of the program
  const KxMenuItem* notepad = *menu.items.At(4);
  EXPECT_EQ(list.At(2)->icon.Get(), notepad->picture.icon);  // borrowed from the list
  EXPECT_FALSE(notepad->picture.ownsIcon);
}

TEST(LauncherLevels, SPidLinksThatLoopBackEndWithAnEmptyGroup) {
  struct Case {
    const char* name;
    std::function<void(ShortcutList&)> rows;
    const char* menu;
  };
  const Case cases[] = {
      // A group whose S_ID is 0 contains the top level again.
      {"group 0", [](ShortcutList& l) {
         Add(l, 0, 0, kShortcutGroup, "零");
         Add(l, 9, 0, kShortcutItem, "九");
       }, "[零:] 9:九"},
      // Without a primary key the same S_ID can appear twice, deeper down.
      {"loop of two", [](ShortcutList& l) {
         Add(l, 5, 0, kShortcutGroup, "甲");
         Add(l, 6, 5, kShortcutGroup, "乙");
         Add(l, 5, 6, kShortcutGroup, "丙");
       }, "[甲: [乙: [丙:]]]"},
  };
  for (const Case& c : cases) {
    ShortcutList list;
    c.rows(list);
    KxPopMenu menu;
    AppendShortcutLevel(menu, list, 0);
    EXPECT_EQ(c.menu, Describe(menu)) << c.name;
  }
}

TEST_F(LauncherMenu, ScreenshotOfTwoNestedLevelsWithIconsAndChineseCaptions) {
  HICON icon = CopyIcon(LoadIconA(NULL, IDI_INFORMATION));
  AddRow(1, 0, 0, kShortcutGroup, "常用工具", "", icon);
  AddRow(2, 0, 1, kShortcutSeparator, "", "");
  AddRow(3, 0, 2, kShortcutItem, "网页浏览", "");
  AddRow(4, 1, 0, kShortcutItem, "记事本", "", icon);
  AddRow(5, 1, 1, kShortcutGroup, "更多程序", "");
  AddRow(6, 5, 0, kShortcutItem, "计算器", "", icon);
  DestroyIcon(icon);

  std::vector<RECT> windows;
  Capture shot;
  RECT all = {};
  ShowDriven(form, [&] {
    Tap(VK_DOWN);   // 快捷维护
    Tap(VK_DOWN);   // 常用工具, past the separator
    Tap(VK_RIGHT);  // opens it at 记事本
    WaitForMenus(2);
    Tap(VK_DOWN);   // 更多程序
    Tap(VK_RIGHT);  // opens it at 计算器
    WaitForMenus(3);
    Sleep(200);
    for (HWND w : MenuWindows()) {
      RECT r;
      GetWindowRect(w, &r);
      windows.push_back(r);
      UnionRect(&all, &all, &r);
    }
    shot = CaptureScreen(all);
  });
  ASSERT_EQ(3u, windows.size());
  SaveBmp(shot, TestBinDir() + "\\launcher-menu.bmp");

  // The menu that opened first lies furthest left; the others cascade to its right.
  RECT top = windows[0];
  for (const RECT& r : windows)
    if (r.left < top.left) top = r;
  auto at = [&](int x, int y) { return shot.At(x - all.left, y - all.top); };
  // Banner: inside the frame, down the whole height of the item column.
  EXPECT_EQ(ToPixel(kxBannerColor), at(top.left + 4, top.top + 5));
  EXPECT_EQ(ToPixel(kxBannerColor), at(top.left + 4, top.bottom - 5));
  // 常用工具 (below 20 + 3 pixels of item and separator) stays selected while its menu is
  // open: the fill starts inside the frame, right of the banner.
  EXPECT_EQ(ToPixel(RGB(0, 0, 255)), at(top.left + 3 + 22 + 1, top.top + 3 + 23 + 10));
  EXPECT_EQ(ToPixel(kxSelectedItemColor), at(top.left + 3 + 22 + 2, top.top + 3 + 23 + 10));
}

TEST_F(LauncherMenu, TheChosenShortcutStartsInItsOwnFolder) {
  KxString programDir = dir + "\\程序 目录";
  KxString probe = CopyOfProbe(programDir);
  AddRow(1, 0, 0, kShortcutItem, "探针", probe);
  KxString before = CurrentDirectory();

  ShowDriven(form, [] {
    Tap(VK_DOWN);
    Tap(VK_DOWN);
    Tap(VK_RETURN);
  });
  ASSERT_TRUE(WaitFor([&] { return !FirstLine(ReportIn(programDir)).IsEmpty(); }, 10000));
  EXPECT_STREQ(programDir.CStr(), FirstLine(ReportIn(programDir)).CStr());
  EXPECT_STREQ(before.CStr(), CurrentDirectory().CStr());
  EXPECT_EQ(0, Writes());
}

TEST_F(LauncherMenu, TheMaintenanceItemTogglesTheShellsMaintenanceWindow) {
  auto chooseMaintenance = [] {
    Tap(VK_DOWN);
    Tap(VK_RETURN);
  };
  ShowDriven(form, chooseMaintenance);  // no shell installed: nothing happens
  EXPECT_EQ(nullptr, FindToolWindow<FrmMenu>(kMaintenanceCaption));
  std::string actions;
  RecordingShell shell(actions);
  ShowDriven(form, chooseMaintenance);
  ShowDriven(form, [] { Tap(VK_ESCAPE); });
  EXPECT_EQ("maintenance ", actions);
}

TEST_F(LauncherMenu, AMissingPathIsRepairedFromTheHighestDriveThatHasIt) {
  const KxString tail = "\\velix-launcher-repair";
  KxString onC = "C:" + tail;
  KxString onD = "D:" + tail;
  KxString relative = "C:\\Cvelix-launcher-relative";
  const KxString folders[] = {onC, onD, relative};
  for (const KxString& folder : folders) {
    RemoveTree(folder);
    CopyOfProbe(folder);
  }
  ASSERT_TRUE(FileExistsAt(onD + "\\velix_probe.exe")) << "the bench maps D:";

  struct Case {
    KxString stored;
    KxString startedIn;  // empty: nothing starts
    KxString storedAfter;
    int writes;
  };
  const Case cases[] = {
      {"Q:" + tail + "\\velix_probe.exe", onD, onD + "\\velix_probe.exe", 1},
      {onC + "\\velix_probe.exe", onC, onC + "\\velix_probe.exe", 0},
      {"Q:" + tail + "\\missing.exe", "", "Q:" + tail + "\\missing.exe", 0},
      // Relative to C:\ the first byte is part of a name, not a drive letter.
      {"Qvelix-launcher-relative\\velix_probe.exe", "", "Qvelix-launcher-relative\\velix_probe.exe", 0},
      {"", "", "", 0},
  };
  KxString before = CurrentDirectory();
  SetCurrentDirectoryA("C:\\");
  int id = 0;
  for (const Case& c : cases) {
    ++id;
    for (const KxString& folder : folders) DeleteFileA(ReportIn(folder).CStr());
    TheDb.Exec("DELETE FROM WRITES");
    AddRow(id, 0, id, kShortcutItem, "探针", c.stored);
    ShortcutList list;
    LoadShortcuts(list);

    LaunchShortcut(list, id);
    if (c.startedIn.IsEmpty()) {
      Sleep(700);
    } else {
      EXPECT_TRUE(WaitFor([&] { return !FirstLine(ReportIn(c.startedIn)).IsEmpty(); }, 10000))
          << c.stored.CStr();
      EXPECT_STREQ(c.startedIn.CStr(), FirstLine(ReportIn(c.startedIn)).CStr());
    }
    for (const KxString& folder : folders) {
      if (folder != c.startedIn) {
        EXPECT_FALSE(FileExistsAt(ReportIn(folder))) << folder.CStr();
      }
    }
    EXPECT_STREQ(c.storedAfter.CStr(),
                 TheDb.SelectText("KX_SOFT", "S_PATH", "S_ID=" + KxString::FromInt(id)).CStr());
    EXPECT_EQ(c.writes, Writes()) << c.stored.CStr();
  }
  SetCurrentDirectoryA(before.CStr());
  Sleep(200);
  for (const KxString& folder : folders) RemoveTree(folder);
}

// An address (an imported Internet shortcut) goes to the program registered for its scheme:
// here the probe, which reports the address it was given.
TEST_F(LauncherMenu, AnAddressOpensWithTheProgramOfItsScheme) {
  KxString probe = CopyOfProbe(dir + "\\handler");
  KxString report = dir + "\\handler\\address.txt";
  HKEY scheme = NULL;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, "velixprobe", 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                           &scheme, NULL));
  RegSetValueExA(scheme, "URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  RegCloseKey(scheme);
  KxString command = "\"" + probe + "\" \"" + report + "\" %1";
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueA(HKEY_CLASSES_ROOT, "velixprobe\\shell\\open\\command", REG_SZ,
                                        command.CStr(), static_cast<DWORD>(command.Length())));
  AddRow(1, 0, 0, kShortcutItem, "站点", "velixprobe:start-menu");
  ShortcutList list;
  LoadShortcuts(list);
  LaunchShortcut(list, 1);
  // The probe writes its two lines one after the other: the second ends the report.
  bool reported = WaitFor([&] { return ReadFileBytes(report).Find(0, "start-menu\r\n") > 0; }, 10000);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "velixprobe");
  ASSERT_TRUE(reported);
  KxStringList lines;
  ReadFileBytes(report).Split("\r\n", lines);
  ASSERT_GE(lines.Count(), 2);
  EXPECT_STREQ("velixprobe:start-menu", lines.At(1)->CStr());
  EXPECT_EQ(0, Writes());
}
