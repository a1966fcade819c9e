// The maintenance window: its frame and layout at both sizes, the full-screen and close
// buttons clicked for real, one window per run whatever opens it (the launcher menu's
// item, command 130), no reload between openings, and a screenshot to look at.

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/resource.h"
#include "kx/KxButton.h"
#include "kx/KxGroupBox.h"
#include "kx/KxLabel.h"
#include "kx/KxPanel.h"
#include "launcher/CommandMenu.h"
#include "launcher/FrmMenu.h"
#include "launcher/LauncherMenu.h"
#include "store/KxDb.h"
#include "store/ModuleRecord.h"
#include "store/Schema.h"
#include "store/ShortcutRecord.h"
#include "tests/launcher/ShortcutRows.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/MenuDriver.h"
#include "tests/support/TestUtil.h"

namespace {

// A row with one of the program's icons (0: none).
void AddRowWithIcon(int id, int parentId, int orderId, int kind, const char* text, int iconId) {
  HICON icon = iconId ? static_cast<HICON>(LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(iconId),
                                                       IMAGE_ICON, 16, 16, 0))
                      : NULL;
  AddRow(id, parentId, orderId, kind, text, "", icon);
  if (icon) DestroyIcon(icon);
}

void Click(HWND button) {
  POINT centre = CentreOf(button);
  DriveWhilePumping([&] {
    Sleep(GetDoubleClickTime() + 50);
    MovePointerTo(centre.x, centre.y);
    PressLeft();
    ReleaseLeft();
  });
  PumpFor(200);
}

int TopLevelCount() {
  int count = 0;
  EnumWindows(
      [](HWND hwnd, LPARAM counter) CALLBACK -> BOOL {
        char text[64] = {};
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        GetWindowTextA(hwnd, text, sizeof(text));
        if (pid == GetCurrentProcessId() && lstrcmpA(text, kMaintenanceCaption) == 0)
          ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

// The run's answer to the maintenance item and the exit, and nothing else.
class MaintenanceShell : public ProgramShell {
public:
  void ToggleToolWindow(ToolWindow kind) override {
    if (kind == ToolWindow::kMaintenance) ToggleMaintenanceForm();
  }
  void DestroyToolWindows() override { DestroyMaintenanceForm(); }
};

class MaintenanceWindow : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    dir = MakeScratchDir("maintenance-window");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
    AddRowWithIcon(1, 0, 0, kShortcutGroup, "常用工具", IDI_GROUP);
    AddRowWithIcon(2, 0, 1, kShortcutSeparator, "", 0);
    AddRowWithIcon(3, 0, 2, kShortcutItem, "网页浏览", IDI_APP);
    AddRowWithIcon(4, 1, 0, kShortcutItem, "记事本", IDI_NEWITEM);
    AddRowWithIcon(5, 1, 1, kShortcutGroup, "更多程序", IDI_GROUP);
    AddRowWithIcon(6, 5, 0, kShortcutItem, "计算器", IDI_MAINTAIN);
    AddRowWithIcon(7, 0, 3, kShortcutItem, "画图", IDI_NOTE_MANAGER);
    SetShell(&shell);
    MovePointerTo(20, 20);
  }
  void TearDown() override {
    DestroyMaintenanceForm();
    SetShell(nullptr);
    PumpFor(20);
    TheDb.Close();
    RemoveTree(dir);
  }

  // The layout rules for the window's present client size.
  static void ExpectLayout(FrmMenu& w) {
    RECT client = w.ClientRect();
    int cw = client.right, ch = client.bottom;
    EXPECT_EQ(cw - 10, w.header->width);
    EXPECT_EQ(70, w.header->height);
    EXPECT_EQ(w.header->width - 2 * 120, w.title->width);
    EXPECT_EQ(w.header->width - 80 - 20, w.helpLink->x);
    EXPECT_EQ(5, w.panel->x);
    EXPECT_EQ(76, w.panel->y);
    EXPECT_EQ(cw - 10, w.panel->width);
    EXPECT_EQ(ch - 82, w.panel->height);
    RECT tree = w.tree.WindowRect();
    EXPECT_EQ(w.panel->width, tree.right - tree.left);
    EXPECT_EQ(w.panel->height, tree.bottom - tree.top);
  }

  KxString dir;
  MaintenanceShell shell;
};

}  // namespace

TEST_F(MaintenanceWindow, FrameLayoutButtonsAndAScreenshot) {
  ToggleMaintenanceForm();
  FrmMenu* w = FindToolWindow<FrmMenu>(kMaintenanceCaption);
  ASSERT_NE(nullptr, w);
  ASSERT_TRUE(PumpUntil([&] { return w->IsVisible(); }, 3000));
  LONG style = GetWindowLongA(w->hwnd, GWL_STYLE);
  EXPECT_EQ(0, style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(GetWindowLongA(w->hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT frame = w->WindowRect();
  EXPECT_EQ(540, frame.right - frame.left);
  EXPECT_LE(std::abs((GetSystemMetrics(SM_CXSCREEN) - 540) / 2 - frame.left), 1) << "centred";
  EXPECT_STREQ("关闭", w->closeButton->GetText().CStr());
  EXPECT_STREQ("维护Velibox中快捷", w->title->GetText().CStr());
  EXPECT_STREQ("http://www.velix.example/soft/help.php?Flag=0", w->helpLink->url.CStr());
  ExpectLayout(*w);

  // The tree as stored; the groups opened by keys show the open folder, and closed again
  // the closed one.
  EXPECT_STREQ("快捷菜单", w->tree.rootHandle.Text().CStr());
  KxTreeItem tools = w->tree.rootHandle.FirstChild();
  KxTreeItem more = tools.FirstChild().Next();
  SetForegroundWindow(w->hwnd);
  w->tree.SetFocus();
  tools.Select();
  TapKey(VK_RIGHT);
  EXPECT_EQ(TREE_IMG_GROUP_OPEN, tools.Image());
  TapKey(VK_LEFT);
  EXPECT_EQ(TREE_IMG_GROUP_CLOSED, tools.Image());
  TapKey(VK_RIGHT);
  more.Select();
  TapKey(VK_RIGHT);
  EXPECT_EQ(TREE_IMG_GROUP_OPEN, more.Image());
  PumpFor(300);
  Capture shot = CaptureWindow(w->hwnd);
  SaveBmp(shot, TestBinDir() + "\\maintenance-window.bmp");
  EXPECT_EQ(ToPixel(RGB(255, 255, 255)), shot.At(shot.width - 30, shot.height - 30)) << "white tree";

  Click(w->fullScreenButton->hwnd);
  EXPECT_TRUE(IsZoomed(w->hwnd));
  EXPECT_STREQ("还原", w->fullScreenButton->GetText().CStr());
  ExpectLayout(*w);
  Click(w->fullScreenButton->hwnd);
  EXPECT_FALSE(IsZoomed(w->hwnd));
  EXPECT_STREQ("全屏", w->fullScreenButton->GetText().CStr());
  ExpectLayout(*w);

  Click(w->closeButton->hwnd);
  EXPECT_FALSE(w->IsVisible()) << "closing hides";
  EXPECT_TRUE(IsWindow(w->hwnd));
  EXPECT_EQ(w, FindToolWindow<FrmMenu>(kMaintenanceCaption));
}

TEST_F(MaintenanceWindow, OneWindowPerRunOpenedByEveryPathWithoutReloading) {
  KxForm owner(nullptr, "owner", KxRect{40, 40, 60, 40}, WS_POPUP | WS_VISIBLE);
  auto chooseMaintenance = [] {
    menudriver::Tap(VK_DOWN);
    menudriver::Tap(VK_RETURN);
  };
  menudriver::Drive([&] { ShowLauncherMenu(&owner); }, chooseMaintenance);
  FrmMenu* w = FindToolWindow<FrmMenu>(kMaintenanceCaption);
  ASSERT_NE(nullptr, w);
  EXPECT_TRUE(PumpUntil([&] { return w->IsVisible(); }, 3000)) << "the launcher menu's item opens it";
  HWND first = w->hwnd;
  int items = w->tree.rootHandle.ChildCount();

  // A row written behind the window's back shows only in a window built afresh.
  ASSERT_TRUE(TheDb.Exec("insert into KX_SOFT (S_ID,S_ORDERID,S_PID,S_FLAG) values (9,4,0,4)"));
  ToggleMaintenanceForm();
  EXPECT_TRUE(PumpUntil([&] { return !w->IsVisible(); }, 3000)) << "the toggle closes it";
  ToggleMaintenanceForm();
  EXPECT_TRUE(PumpUntil([&] { return w->IsVisible(); }, 3000)) << "and opens it again";
  menudriver::Drive([&] { ShowLauncherMenu(&owner); }, chooseMaintenance);
  EXPECT_TRUE(PumpUntil([&] { return !w->IsVisible(); }, 3000));
  EXPECT_EQ(w, FindToolWindow<FrmMenu>(kMaintenanceCaption));
  EXPECT_EQ(first, w->hwnd);
  EXPECT_EQ(items, w->tree.rootHandle.ChildCount());
  EXPECT_EQ(1, TopLevelCount());

  shell.DestroyToolWindows();  // as the exit does
  EXPECT_EQ(nullptr, FindToolWindow<FrmMenu>(kMaintenanceCaption));
  EXPECT_FALSE(IsWindow(first));
}
