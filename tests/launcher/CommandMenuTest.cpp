// The command menu built from real module and plug-in rows, the drive labels by drive
// type, and the menu shown for real and driven by keys, its choice handed to the program's
// shell (a recorder).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/KxApp.h"
#include "kx/KxMenu.h"
#include "launcher/CommandMenu.h"
#include "launcher/FrmMain.h"
#include "store/KxDb.h"
#include "store/ModuleRecord.h"
#include "store/PluginRecord.h"
#include "store/Schema.h"
#include "sysact/DesktopManager.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/MenuDriver.h"
#include "tests/support/RecordingShell.h"
#include "tests/support/TestUtil.h"

namespace {

using menudriver::MenuWindows;
using menudriver::Tap;

// "id:text" for items ("*" after an item with a picture), "-" for separators,
// "[text: ...]" for sub-menus.
std::string Describe(const KxMenu& menu) {
  std::string text;
  KxListNode<KxPopMenu*>* sub = menu.subMenus.Head();
  for (const KxMenuItem* item : menu.items) {
    if (!text.empty()) text += " ";
    if (item->IsSeparator()) {
      text += "-";
    } else if (item->hasSubMenu) {
      text += "[" + std::string(item->text.CStr()) + ": " + Describe(*sub->value) + "]";
      sub = sub->next;
    } else {
      text += std::to_string(item->id) + ":" + item->text.CStr();
      if (item->picture.IsPresent()) text += "*";
    }
  }
  return text;
}

std::string actions;

UINT AllFixed(const char*) { return DRIVE_FIXED; }

UINT queriedType = 0;
std::string queriedRoot;
UINT TypeUnderTest(const char* root) {
  queriedRoot = root;
  return queriedType;
}

// The Explorer sub-menu's drive items of this machine, every drive fixed.
std::string DriveItems() {
  std::string text;
  DWORD drives = GetLogicalDrives();
  for (int n = 0; n < 26; ++n) {
    if (!(drives & (1u << n))) continue;
    char letter = static_cast<char>('A' + n);
    text += " " + std::to_string(300 + letter) + ":本地磁盘 (" + letter + ":)";
  }
  return text;
}

int CountOther(const Capture& c, const RECT& r, DWORD pixel) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (c.At(x, y) != pixel) ++n;
  return n;
}

class CommandMenu : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    dir = MakeScratchDir("command-menu");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
    shell.reset(new RecordingShell(actions));
    shell->driveType = AllFixed;
    actions.clear();
  }
  void TearDown() override {
    delete kit;
    shell.reset();
    PumpFor(20);
    TheDb.Close();
    RemoveTree(dir);
  }
  static void SwitchAllModulesOff() {
    for (int kind : {kModuleNote, kModuleShutDown, kModuleAbout, kModuleHelp, kModuleExit})
      ASSERT_TRUE(SaveModuleRow(kind, 0, false, false, "off"));
    ASSERT_TRUE(SaveDesktopModules(0, false, false));
    ASSERT_TRUE(SaveExplorerModules(0, false, false));
  }
  std::string Built(bool visible, bool shrunk) {
    KxPopMenu menu;
    BuildCommandMenu(menu, visible, shrunk);
    return Describe(menu);
  }

  KxString dir;
  FrmMain* kit = nullptr;
  std::unique_ptr<RecordingShell> shell;
};

TEST_F(CommandMenu, ItemsFollowTheKitWindowAndTheModules) {
  const std::string desktops =
      "[虚拟桌面: 400:桌面1* 401:桌面2 402:桌面3 403:桌面4 404:桌面5 405:桌面6 406:桌面7 407:桌面8] -";
  const std::string rest = " 180:便签... 181:显示所有 182:新便签 - [资源管理器: 300:我的文档 -" +
                           DriveItems() +
                           "] [关机...: 200:重启 201:关机 202:立即关机] - 160:关于 150:帮助 170:退出";
  EXPECT_EQ("92:正常窗口 90:隐藏窗口 91:Velibox图像 - 140:设置... 115:快速启动 - " + desktops + rest,
            Built(true, true));
  EXPECT_EQ("92:缩小窗口 90:隐藏窗口 91:Velibox图像 - 140:设置... 115:快速启动 - " + desktops + rest,
            Built(true, false));
  EXPECT_EQ("90:显示Velibox - 140:设置... 115:快速启动 - " + desktops + rest, Built(false, true));

  SwitchAllModulesOff();
  EXPECT_EQ("92:正常窗口 90:隐藏窗口 91:Velibox图像 - 140:设置... 115:快速启动 -", Built(true, true));
  EXPECT_EQ("90:显示Velibox - 140:设置... 115:快速启动 -", Built(false, false));
  ASSERT_TRUE(SaveModuleRow(kModuleExit, 0, false, true, "on"));
  EXPECT_EQ("90:显示Velibox - 140:设置... 115:快速启动 - 170:退出", Built(false, false));
}

TEST_F(CommandMenu, PluginsInMenuComeInTheirIdOrderFollowedByASeparator) {
  SwitchAllModulesOff();
  struct Row {
    const char* id;
    int status;
    const char* name;
  } rows[] = {{"2", 1, "二号"}, {"10", 3, "十号"}, {"3", 2, "不在菜单"}, {"abc", 1, "无编号"},
              {"07", 1, "前导零"}, {"99999", 1, "太大"}};
  for (const Row& r : rows) {
    PluginRecord record;
    record.id = r.id;
    record.status = r.status;
    record.name = r.name;
    ASSERT_TRUE(InsertPlugin(record));
  }
  EXPECT_EQ("92:正常窗口 90:隐藏窗口 91:Velibox图像 - 140:设置... 115:快速启动 - 1010:十号 1002:二号 -",
            Built(true, true));
}

TEST_F(CommandMenu, DriveLabelsByType) {
  shell->driveType = TypeUnderTest;
  const struct {
    UINT type;
    const char* text;
  } cases[] = {{DRIVE_UNKNOWN, " (K:)"}, {DRIVE_NO_ROOT_DIR, " (K:)"}, {DRIVE_REMOVABLE, "USB (K:)"},
               {DRIVE_FIXED, "本地磁盘 (K:)"}, {DRIVE_REMOTE, "网络 (K:)"},
               {DRIVE_CDROM, "光驱 (K:)"}, {DRIVE_RAMDISK, "RAM (K:)"}, {7, " (K:)"}};
  for (const auto& c : cases) {
    queriedType = c.type;
    EXPECT_STREQ(c.text, DriveLabel('K').CStr()) << c.type;
  }
  EXPECT_EQ("K:\\", queriedRoot);
}

TEST_F(CommandMenu, TheMenuMarksTheCurrentDesktop) {
  DesktopManager desktops;
  TheDesktops = &desktops;
  desktops.SwitchDesktop(3);
  KxPopMenu menu;
  BuildCommandMenu(menu, false, true);
  EXPECT_EQ(0u, Describe(menu).find("90:显示Velibox - 140:设置... 115:快速启动 - [虚拟桌面: 400:桌面1 401:桌面2 "
                                    "402:桌面3 403:桌面4* 404:桌面5"));
  desktops.SwitchDesktop(0);
  TheDesktops = nullptr;
}

TEST_F(CommandMenu, ChoicesByKeysOnTheRealMenu) {
  kit = new FrmMain();
  kit->Show();
  PumpFor(50);
  MovePointerTo(400, 200);

  // Down 6 times: 92, 90, 91, 140, 115, the desktops; Right opens them at desktop 1.
  DesktopManager desktops;
  TheDesktops = &desktops;
  Capture main, sub;
  menudriver::Drive([&] { ShowCommandMenu(kit); },
                    [&] {
                      for (int i = 0; i < 6; ++i) Tap(VK_DOWN);
                      Tap(VK_RIGHT);
                      if (!menudriver::WaitForMenus(2)) return;
                      Sleep(200);
                      main = CaptureWindow(MenuWindows()[1]);
                      sub = CaptureWindow(MenuWindows()[0]);
                      Tap(VK_DOWN);
                      Tap(VK_RETURN);
                    });
  EXPECT_EQ("route:401 ", actions) << "desktop 2 was chosen";
  TheDesktops = nullptr;

  ASSERT_GT(main.width, 20);
  ASSERT_GT(sub.width, 40);
  // A 3-pixel frame, then the 5-pixel banner.
  EXPECT_EQ(ToPixel(kxBannerColor), main.At(5, main.height / 2));
  EXPECT_EQ(ToPixel(kxBannerColor), sub.At(5, 10));
  // The icon column of desktop 1 (current) holds icon 127; that of desktop 2 is empty.
  RECT firstIcon = {11, 5, 27, 21}, secondIcon = {11, 25, 27, 41};
  EXPECT_GT(CountOther(sub, firstIcon, ToPixel(kxSelectedItemColor)), 30);
  EXPECT_EQ(0, CountOther(sub, secondIcon, ToPixel(kxMenuColor)));

  // Up 4 times from the end: exit, help, about, the shut-down sub-menu; restart in it.
  menudriver::Drive([&] { ShowCommandMenu(kit); },
                    [&] {
                      for (int i = 0; i < 4; ++i) Tap(VK_UP);
                      Tap(VK_RIGHT);
                      if (menudriver::WaitForMenus(2)) Tap(VK_RETURN);
                    });
  EXPECT_EQ("route:401 route:200 ", actions) << "then restart";
}

}  // namespace
