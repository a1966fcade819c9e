// The settings window on a scratch Config.db: its layout and a screenshot, the boxes
// clicked for real and the rows they write (all 9 desktop and 26 drive rows), hotkeys
// edited in the editor by clicks and keys (OK and Cancel), nothing registered before the
// window closes, the red marks of a combination another window or program holds, that
// two commands share or that lacks a modifier, and the copyable data path.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/KxAutostart.h"
#include "hotkey/FrmOption.h"
#include "hotkey/HotKeyCheck.h"
#include "hotkey/HotKeyTable.h"
#include "hotkey/KxPanelModule.h"
#include "kx/KxButton.h"
#include "kx/KxClipboard.h"
#include "kx/KxCheckBox.h"
#include "kx/KxEdit.h"
#include "kx/KxGroupBox.h"
#include "kx/KxImageBox.h"
#include "kx/KxLabel.h"
#include "store/DataDirectory.h"
#include "store/KxDb.h"
#include "store/ModuleRecord.h"
#include "store/Schema.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"

namespace {

uint32_t Code(uint32_t modifiers, int key) { return modifiers | (static_cast<uint32_t>(key) << 16); }

std::vector<ModuleRecord> RowsOf(int type) {
  ModuleList all;
  LoadModules(all);
  std::vector<ModuleRecord> rows;
  for (const auto& item : all)
    if (item.type == type) rows.push_back(item);
  return rows;
}

// For the driving thread: a real click, far enough from the last one in time that the
// two never make a double click.
void ClickScreen(POINT at) {
  Sleep(GetDoubleClickTime() + 50);
  MovePointerTo(at.x, at.y);
  PressLeft();
  ReleaseLeft();
}

// The visible editor that owner's window owns, waited for on the driving thread.
HWND WaitForEditor(HWND owner) {
  HWND found = NULL;
  WaitFor(
      [&] {
        found = NULL;
        for (HWND w = GetTopWindow(NULL); w && !found; w = GetWindow(w, GW_HWNDNEXT))
          if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w) &&
              (GetWindowLongA(w, GWL_STYLE) & WS_POPUP))
            found = w;
        return found != NULL;
      },
      3000);
  return found;
}

// Opens the editor from link and runs steps on it, all from a second thread while this
// one runs the editor's modal loop. Returns where the editor showed.
POINT EditThroughEditor(HWND options, HWND link, const std::function<void(HWND)>& steps) {
  POINT at = {-1, -1};
  DriveWhilePumping([&] {
    ClickScreen(CentreOf(link));
    HWND editor = WaitForEditor(options);
    if (!editor) return;
    RECT r;
    GetWindowRect(editor, &r);
    at = POINT{r.left, r.top};
    steps(editor);
    WaitFor([&] { return !IsWindowVisible(editor); }, 3000);
  });
  PumpFor(100);
  return at;
}

// Places of the editor, client coordinates.
const POINT kShiftBox = {20, 46};
const POINT kCtrlBox = {70, 46};
const POINT kAltBox = {120, 46};
const POINT kWinBox = {160, 46};
const POINT kKeyEdit = {40, 70};
const POINT kKeyChevron = {81, 70};
const POINT kOk = {42, 150};
const POINT kCancel = {132, 150};

void Click(HWND editor, POINT at) {
  ClientToScreen(editor, &at);
  ClickScreen(at);
}

// Pixels that match inside the window's part that child covers.
int CountPixels(const Capture& shot, HWND window, HWND child, const std::function<bool(DWORD)>& match) {
  RECT frame, part;
  GetWindowRect(window, &frame);
  GetWindowRect(child, &part);
  int count = 0;
  for (int y = part.top - frame.top; y < part.bottom - frame.top; ++y)
    for (int x = part.left - frame.left; x < part.right - frame.left; ++x)
      if (x >= 0 && y >= 0 && x < shot.width && y < shot.height && match(shot.At(x, y))) ++count;
  return count;
}

int Channel(DWORD pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

// Pixels of color, or of text in color smoothed onto the form's face: every channel moved
// from the face towards color by the same share.
std::function<bool(DWORD)> Tinted(COLORREF color) {
  return [color](DWORD pixel) {
    const int face[3] = {GetRValue(kxFormColor), GetGValue(kxFormColor), GetBValue(kxFormColor)};
    const int target[3] = {GetRValue(color), GetGValue(color), GetBValue(color)};
    const int got[3] = {Channel(pixel, 16), Channel(pixel, 8), Channel(pixel, 0)};
    int k = 0;
    for (int i = 1; i < 3; ++i)
      if (std::abs(face[i] - target[i]) > std::abs(face[k] - target[k])) k = i;
    double share = double(face[k] - got[k]) / (face[k] - target[k]);
    if (share < 0.3) return false;
    for (int i = 0; i < 3; ++i)
      if (std::abs((face[i] - got[i]) - share * (face[i] - target[i])) > 14) return false;
    return true;
  };
}

bool IsRegistered(uint32_t code) {
  for (const auto& item : TheHotKeys.Entries())
    if (item.code == code && !item.taken) return true;
  return false;
}

class OptionsWindow : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    dir = MakeScratchDir("options-window");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();  // with the left menu's default row: Ctrl+Alt+Win, hotkey on
    kit = CreateWindowA("STATIC", "kit", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    TheHotKeys.SetWindow(kit);
    MovePointerTo(20, 20);
  }
  void TearDown() override {
    DestroyOptionsForm();
    TheHotKeys.Clear();
    TheHotKeys.SetWindow(NULL);
    DestroyWindow(kit);
    PumpFor(20);
    TheDb.Close();
    RemoveTree(dir);
  }

  FrmOption* Open() {
    ToggleOptionsForm();
    FrmOption* w = FindToolWindow<FrmOption>(kOptionsCaption);
    if (w) PumpUntil([&] { return w->IsVisible(); }, 3000);
    return w;
  }

  KxString dir;
  HWND kit = NULL;
};

}  // namespace

TEST_F(OptionsWindow, LayoutRowsAndAScreenshot) {
  FrmOption* w = Open();
  ASSERT_NE(nullptr, w);
  ASSERT_TRUE(w->IsVisible());
  EXPECT_STREQ("设置", w->GetText().CStr());
  EXPECT_EQ(0, GetWindowLongA(w->hwnd, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX));
  RECT frame = w->WindowRect();
  EXPECT_EQ(600, frame.right - frame.left);
  EXPECT_EQ(510, frame.bottom - frame.top);
  EXPECT_LE(std::abs((GetSystemMetrics(SM_CXSCREEN) - 600) / 2 - frame.left), 1) << "centred";
  int groupWidth = static_cast<int>(w->ClientRect().right) - 20;
  int labelWidth = w->dataLabel->width;
  const struct {
    KxCard* control;
    std::vector<int> rect;
  } places[] = {
      {w->mark, {12, 8, 32, 32}},
      {w->moduleGroup, {10, 42, groupWidth, 234}},
      {w->systemGroup, {10, 286, groupWidth, 118}},
      {w->autostartBox, {10, 15, 260, 20}},
      {w->dataLabel, {10, 412, labelWidth, 21}},
      {w->dataPath, {labelWidth + 12, 414, groupWidth - 10 - labelWidth - 88, 20}},
      {w->changeButton, {w->dataPath->x + w->dataPath->width + 8, 412, 80, 24}},
      {w->closeButton, {w->changeButton->x, 442, 80, 25}},
  };
  for (const auto& p : places) {
    std::vector<int> at = {p.control->x, p.control->y, p.control->width, p.control->height};
    EXPECT_EQ(p.rect, at) << p.control->GetText().CStr();
  }
  EXPECT_STREQ(DbFilePath().CStr(), w->dataPath->GetText().CStr());
  EXPECT_TRUE(IsWindowEnabled(w->dataPath->hwnd)) << "selectable, only not changed";
  EXPECT_EQ(AutostartExists(""), w->autostartBox->IsChecked());

  // No module rows yet but the two a new store has (the launcher menu's and the quick
  // search's, hotkeys on): the rest in the menu, hotkey off, no code. Module rows stack by
  // 30 with the link at 220; hotkey rows fill two columns, the link after the box.
  const char* modules[][2] = {
      {"虚拟  桌面:", "(未设置+数字(1-8))"}, {"便      签:", "(未设置)"},
      {"资源管理器:", "(未设置+盘符(A-Z))"}, {"关      机:", "(未设置)"},
      {"帮      助:", "(未设置)"},           {"关      于:", "(未设置)"},
      {"退      出:", "(未设置)"},
  };
  for (int i = 0; i < FrmOption::kModuleRows; ++i) {
    KxPanelModule* row = w->moduleRows[i];
    EXPECT_STREQ(modules[i][0], row->caption->GetText().CStr());
    EXPECT_STREQ(modules[i][1], row->link->GetText().CStr());
    EXPECT_TRUE(row->menuBox->IsChecked() && !row->hotKeyBox->IsChecked()) << i;
    EXPECT_EQ(std::vector<int>({10, 16 + 30 * i, groupWidth - 20, 220}),
              std::vector<int>({row->x, row->y, row->width, row->link->x}));
  }
  const char* hotKeys[][2] = {
      {"托盘显/隐 快捷键", "(未设置)"},   {"系统左菜单 快捷键", "(CTRL+ALT+WIN)"},
      {"系统右菜单 快捷键", "(未设置)"},  {"设置...    快捷键", "(未设置)"},
      {"Velibox窗口 快捷键", "(未设置)"}, {"快捷维护   快捷键", "(未设置)"},
      {"快速启动   快捷键", "(CTRL+ALT+空格)"},
  };
  for (int i = 0; i < FrmOption::kHotKeyRows; ++i) {
    KxPanelHk* row = w->hotKeyRows[i];
    EXPECT_STREQ(hotKeys[i][0], row->hotKeyBox->GetText().CStr());
    EXPECT_STREQ(hotKeys[i][1], row->link->GetText().CStr());
    EXPECT_EQ(i == 1 || i == 6, row->hotKeyBox->IsChecked());
    EXPECT_EQ(std::vector<int>({i % 2 ? 10 : 275, 15 + 23 * ((i + 1) / 2), i % 2 ? 260 : 280,
                                row->hotKeyBox->width}),
              std::vector<int>({row->x, row->y, row->width, row->link->x}));
  }

  PumpFor(300);
  Capture shot = CaptureWindow(w->hwnd);
  SaveBmp(shot, TestBinDir() + "\\options-window.bmp");
  KxPanelModule* desktops = w->moduleRows[0];
  EXPECT_GT(CountPixels(shot, w->hwnd, desktops->caption->hwnd, Tinted(RGB(0, 128, 128))), 20);
  EXPECT_GT(CountPixels(shot, w->hwnd, desktops->menuBox->hwnd, Tinted(kxTickColor)), 10) << "checked";
  EXPECT_EQ(0, CountPixels(shot, w->hwnd, desktops->hotKeyBox->hwnd, Tinted(kxTickColor))) << "clear";
  EXPECT_GT(CountPixels(shot, w->hwnd, desktops->link->hwnd, Tinted(kxLinkColor)), 20);
  EXPECT_EQ(0, CountPixels(shot, w->hwnd, desktops->link->hwnd, Tinted(kHotKeyTakenColor)));

  // Closing hides the window and registers; the next toggle shows the same window.
  ToggleOptionsForm();
  EXPECT_FALSE(w->IsVisible());
  EXPECT_TRUE(IsRegistered(0x0B));
  EXPECT_EQ(w, Open());
  EXPECT_TRUE(w->IsVisible());
}

TEST_F(OptionsWindow, BoxClicksWriteTheRows) {
  FrmOption* w = Open();
  ASSERT_NE(nullptr, w);
  const struct {
    KxCheckBox* box;
    int type;
    size_t rows;
    int flags;       // M_FLAG of every row of the kind afterwards
    const char* name;  // M_NAME of the first row
  } clicks[] = {
      {w->moduleRows[0]->hotKeyBox, 400, 9, 3, "Desktop1"},
      {w->moduleRows[2]->menuBox, 300, 26, 0, "ExplorerA"},
      {w->moduleRows[2]->hotKeyBox, 300, 26, 2, "ExplorerA"},
      {w->moduleRows[1]->menuBox, 180, 1, 0, "Note"},
      {w->moduleRows[6]->hotKeyBox, 170, 1, 3, "Exit"},
      {w->hotKeyRows[3]->hotKeyBox, 140, 1, 3, "Option"},   // always in the menu
      {w->hotKeyRows[0]->hotKeyBox, 100, 1, 2, "Tray"},     // never in the menu
      {w->hotKeyRows[1]->hotKeyBox, 110, 1, 0, "LeftMenu"},
      {w->hotKeyRows[4]->hotKeyBox, 90, 1, 2, "WndMain"},
  };
  for (const auto& c : clicks) {
    HWND box = c.box->hwnd;
    DriveWhilePumping([&] { ClickScreen(CentreOf(box)); });
    PumpFor(100);
    std::vector<ModuleRecord> rows = RowsOf(c.type);
    ASSERT_EQ(c.rows, rows.size()) << c.type;
    EXPECT_STREQ(c.name, rows[0].name.CStr()) << c.type;
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(c.flags, rows[i].flags) << c.type << " row " << i;
      int key = c.type == 400 ? '1' + static_cast<int>(i) : c.type == 300 ? 'A' + static_cast<int>(i) : 0;
      EXPECT_EQ(c.type == 110 ? 0x0B : static_cast<int>(Code(0, key)), rows[i].hotKey) << c.type;
    }
  }
  EXPECT_EQ(0, TheHotKeys.Count()) << "nothing registered before the window closes";
  EXPECT_STREQ("(未设置+数字(1-8)) (需要组合键)", w->moduleRows[0]->link->GetText().CStr())
      << "switched on without modifiers, the digits would go bare";

  // A click whose write fails is said, and the box shows what is stored: another connection
  // holds the file for writing, or only reads it, so that a ranged kind's commit fails.
  struct { const char* lock; KxCheckBox* box; int type; } locked[] = {
      {"BEGIN EXCLUSIVE", w->moduleRows[1]->menuBox, 180},
      {"BEGIN; SELECT count(*) FROM KX_MODULE", w->moduleRows[0]->menuBox, 400},
  };
  for (const auto& c : locked) {
    SCOPED_TRACE(c.lock);
    const int storedFlags = RowsOf(c.type)[0].flags;
    const bool stored = c.box->IsChecked();
    KxDb locker;
    ASSERT_TRUE(locker.Open(dir + "\\Config.db"));
    ASSERT_TRUE(locker.Exec(c.lock));
    std::vector<std::string> said =
        BoxesDuring([&] { DriveWhilePumping([&] { ClickScreen(CentreOf(c.box->hwnd)); }); });
    locker.Rollback();
    locker.Close();
    ASSERT_EQ(1u, said.size());
    EXPECT_EQ(0u, said[0].find("设置未能写入数据文件"));
    EXPECT_EQ(stored, c.box->IsChecked());
    EXPECT_EQ(storedFlags, RowsOf(c.type)[0].flags) << "unchanged";
  }
  // The next write is committed: no transaction was left open by the failed one.
  DriveWhilePumping([&] { ClickScreen(CentreOf(w->moduleRows[1]->menuBox->hwnd)); });
  PumpFor(100);
  KxDb fresh;
  ASSERT_TRUE(fresh.Open(dir + "\\Config.db"));
  EXPECT_EQ(RowsOf(180)[0].flags, fresh.SelectInt("KX_MODULE", "M_FLAG", "M_TYPE=180"));
  EXPECT_NE(0, fresh.SelectInt("KX_MODULE", "M_FLAG", "M_TYPE=180")) << "seen by another connection";
  fresh.Close();

  // Autostart follows the box at once, both ways.
  bool before = AutostartExists("");
  HWND autostart = w->autostartBox->hwnd;
  for (int i = 0; i < 2; ++i) {
    DriveWhilePumping([&] { ClickScreen(CentreOf(autostart)); });
    PumpFor(100);
    EXPECT_EQ(i == 0 ? !before : before, AutostartExists(""));
    EXPECT_EQ(AutostartExists(""), w->autostartBox->IsChecked());
  }
}

TEST_F(OptionsWindow, HotKeysEditedInTheEditor) {
  FrmOption* w = Open();
  ASSERT_NE(nullptr, w);
  KxPanelModule* notes = w->moduleRows[1];
  KxPanelModule* desktops = w->moduleRows[0];
  KxPanelHk* kit = w->hotKeyRows[4];
  const uint32_t ctrlAlt = kHotKeyCtrl | kHotKeyAlt;
  const struct {
    const char* what;
    KxControl* row;
    HotKeyLink* link;
    int type;
    std::function<void(HWND)> steps;
    uint32_t stored;  // M_HK of the first row
    const char* text;
  } edits[] = {
      {"list by keys", notes, notes->link, 180,
       [](HWND e) {
         Click(e, kCtrlBox);
         Click(e, kAltBox);
         Click(e, kKeyChevron);
         for (int i = 0; i < 5; ++i) TapKey(VK_DOWN);
         TapKey(VK_RETURN);
         Click(e, kOk);
       },
       Code(ctrlAlt, VK_F5), "(CTRL+ALT+F5)"},
      {"cancel keeps it", notes, notes->link, 180,
       [](HWND e) {
         Click(e, kWinBox);
         Click(e, kCtrlBox);
         Click(e, kCancel);
       },
       Code(ctrlAlt, VK_F5), "(CTRL+ALT+F5)"},
      {"typed key", kit, kit->link, 90,
       [](HWND e) {
         Click(e, kCtrlBox);
         Click(e, kKeyEdit);
         TypeText(L"Q");
         Click(e, kOk);
       },
       Code(kHotKeyCtrl, 'Q'), "(CTRL+Q)"},
      {"range keeps its keys", desktops, desktops->link, 400,
       [](HWND e) {
         Click(e, kCtrlBox);
         Click(e, kAltBox);
         Click(e, kKeyChevron);  // disabled: no list opens
         TapKey(VK_DOWN);
         TapKey(VK_RETURN);
         Click(e, kOk);
       },
       Code(ctrlAlt, '1'), "(CTRL+ALT+数字(1-8))"},
  };
  for (const auto& e : edits) {
    POINT editorAt = EditThroughEditor(w->hwnd, e.link->hwnd, e.steps);
    POINT expectedAt = {e.link->x, 0};
    ClientToScreen(e.row->hwnd, &expectedAt);
    if (e.type != 90) expectedAt = POINT{expectedAt.x - 8, expectedAt.y - 8};
    EXPECT_EQ(expectedAt.x, editorAt.x) << e.what;
    EXPECT_EQ(expectedAt.y, editorAt.y) << e.what;
    std::vector<ModuleRecord> rows = RowsOf(e.type);
    ASSERT_FALSE(rows.empty()) << e.what;
    EXPECT_EQ(e.stored, static_cast<uint32_t>(rows[0].hotKey)) << e.what;
    EXPECT_STREQ(e.text, e.link->GetText().CStr()) << e.what;
    EXPECT_TRUE(IsWindowEnabled(w->hwnd)) << e.what;
  }
  std::vector<ModuleRecord> desktopRows = RowsOf(400);
  ASSERT_EQ(9u, desktopRows.size());
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Code(ctrlAlt, '1' + i), static_cast<uint32_t>(desktopRows[i].hotKey));

  // The hotkey boxes are still off and nothing is registered until the window closes.
  EXPECT_EQ(0, TheHotKeys.Count());
  DriveWhilePumping([&] { ClickScreen(CentreOf(notes->hotKeyBox->hwnd)); });
  PumpFor(100);
  EXPECT_EQ(0, TheHotKeys.Count());
  SendMessageA(w->hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(w->IsVisible());
  EXPECT_TRUE(IsRegistered(Code(ctrlAlt, VK_F5)));
  EXPECT_FALSE(IsRegistered(Code(kHotKeyCtrl, 'Q'))) << "its box is off";
}

TEST_F(OptionsWindow, TakenHotKeysShowInRed) {
  const uint32_t ctrlAlt = kHotKeyCtrl | kHotKeyAlt;
  const uint32_t ctrlShift = kHotKeyCtrl | kHotKeyShift;
  ASSERT_TRUE(SaveNoteModule(static_cast<int>(Code(ctrlAlt, 'K')), true, true));
  ASSERT_TRUE(SaveWndMainModule(static_cast<int>(Code(ctrlAlt, 'J')), true, false));
  ASSERT_TRUE(SaveDesktopModules(static_cast<int>(Code(ctrlShift, '1')), true, true));
  // Another window holds Ctrl+Alt+K and Ctrl+Shift+3 (one of the desktops).
  HWND holder = CreateWindowA("STATIC", "holder", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
  ASSERT_TRUE(RegisterHotKey(holder, 0x100, MOD_CONTROL | MOD_ALT, 'K'));
  ASSERT_TRUE(RegisterHotKey(holder, 0x101, MOD_CONTROL | MOD_SHIFT, '3'));
  KxStringList refused = RegisterAllHotKeys();
  EXPECT_EQ(2, refused.Count());

  FrmOption* w = Open();
  ASSERT_NE(nullptr, w);
  KxPanelModule* notes = w->moduleRows[1];
  KxPanelModule* desktops = w->moduleRows[0];
  KxPanelHk* kitRow = w->hotKeyRows[4];
  PumpFor(300);
  Capture shot = CaptureWindow(w->hwnd);
  const struct {
    HotKeyLink* link;
    const char* text;
    bool red;
  } marks[] = {
      {notes->link, "(CTRL+ALT+K) (已被占用)", true},
      {desktops->link, "(CTRL+SHIFT+数字(1-8)) (已被占用)", true},
      {kitRow->link, "(CTRL+ALT+J)", false},
  };
  for (const auto& m : marks) {
    EXPECT_STREQ(m.text, m.link->GetText().CStr());
    int red = CountPixels(shot, w->hwnd, m.link->hwnd, Tinted(kHotKeyTakenColor));
    int blue = CountPixels(shot, w->hwnd, m.link->hwnd, Tinted(kxLinkColor));
    EXPECT_EQ(m.red, red > 20) << m.text << " red " << red;
    EXPECT_EQ(!m.red, blue > 20) << m.text << " blue " << blue;
  }

  // The holder lets K go; the pass at closing registers it, and the link learns it when
  // the window shows again.
  UnregisterHotKey(holder, 0x100);
  ToggleOptionsForm();
  EXPECT_FALSE(w->IsVisible());
  EXPECT_TRUE(IsRegistered(Code(ctrlAlt, 'K')));
  EXPECT_STREQ("(CTRL+ALT+K) (已被占用)", notes->link->GetText().CStr()) << "hidden: not yet";
  Open();
  EXPECT_STREQ("(CTRL+ALT+K)", notes->link->GetText().CStr());

  // A new code is checked at once: Ctrl+Shift+3 is still held.
  EditThroughEditor(w->hwnd, kitRow->link->hwnd, [](HWND e) {
    Click(e, kAltBox);
    Click(e, kShiftBox);
    Click(e, kKeyEdit);
    TapKey(VK_END);
    TapKey(VK_BACK);
    TypeText(L"3");
    Click(e, kOk);
  });
  // Both rows with Ctrl+Shift+3 on are marked as sharing it.
  EXPECT_STREQ("(CTRL+SHIFT+3) (已被占用、重复)", kitRow->link->GetText().CStr());
  EXPECT_TRUE(kitRow->link->taken);
  EXPECT_STREQ("(CTRL+SHIFT+数字(1-8)) (已被占用、重复)", desktops->link->GetText().CStr());

  UnregisterHotKey(holder, 0x101);
  DestroyWindow(holder);
}

// While a combination is chosen the editor says at once that another program (the holder)
// holds it, or which command has it; both rows that share one are marked, and desktop rows
// without modifiers need them. The data path is selected and copied, never changed.
TEST_F(OptionsWindow, ClashesAreSaidWhileChoosingAndMarkedOnBothRows) {
  const uint32_t ctrlAlt = kHotKeyCtrl | kHotKeyAlt;
  ASSERT_TRUE(SaveNoteModule(static_cast<int>(Code(ctrlAlt, 'N')), true, true));
  ASSERT_TRUE(SaveExitModule(0, true, true));
  ASSERT_TRUE(SaveDesktopModules(0, true, true));
  HANDLE holder = StartProcess(TestBinDir() + "\\velix_hotkey_holder.exe", "3 72", "");  // Ctrl+Alt+H
  ASSERT_NE(nullptr, holder);
  ASSERT_TRUE(WaitFor([&] { return IsHeldElsewhere(Code(ctrlAlt, 'H')); }, 5000));

  FrmOption* w = Open();
  ASSERT_NE(nullptr, w);
  KxPanelModule* desktops = w->moduleRows[0];
  KxPanelModule* notes = w->moduleRows[1];
  KxPanelModule* exitRow = w->moduleRows[6];
  EXPECT_STREQ("(未设置+数字(1-8)) (需要组合键)", desktops->link->GetText().CStr());
  EXPECT_STREQ("(CTRL+ALT+N)", notes->link->GetText().CStr());

  const struct {
    WORD key;
    const char* said;  // before OK
    const char* exitLink;
    const char* notesLink;
  } presses[] = {
      {'H', "已被其他程序占用或为系统保留", "(CTRL+ALT+H) (已被占用)", "(CTRL+ALT+N)"},
      {'N', "已被“便签”使用", "(CTRL+ALT+N) (重复)", "(CTRL+ALT+N) (重复)"},
      {'M', "可以使用", "(CTRL+ALT+M)", "(CTRL+ALT+N)"},
  };
  for (const auto& p : presses) {
    SCOPED_TRACE(p.said);
    bool said = false;
    EditThroughEditor(w->hwnd, exitRow->link->hwnd, [&](HWND e) {
      GUITHREADINFO info = {};
      info.cbSize = sizeof info;
      HWND field = ChildWindowFromPoint(e, POINT{20, 15});
      if (!WaitFor([&] {
            return GetGUIThreadInfo(GetWindowThreadProcessId(e, NULL), &info) && info.hwndFocus == field &&
                   GetForegroundWindow() == e;
          }, 3000)) {
        Click(e, kCancel);  // keys go only to the editor in front
        return;
      }
      PressCombination({VK_CONTROL, VK_MENU}, p.key);
      KxString text = KxString(p.said);
      said = WaitFor([&] { return ChildOfClass(e, "KxCardClassName", text.CStr()) != NULL; }, 3000);
      Sleep(200);
      SaveBmp(CaptureWindow(e), TestBinDir() + "\\hotkey-editor-" + KxString(static_cast<char>(p.key), 1) + ".bmp");
      Click(e, kOk);
    });
    EXPECT_TRUE(said);
    EXPECT_STREQ(p.exitLink, exitRow->link->GetText().CStr());
    EXPECT_STREQ(p.notesLink, notes->link->GetText().CStr());
  }
  TerminateProcess(holder, 0);
  WaitProcess(holder, 5000, nullptr);
  CloseHandle(holder);

  HWND path = w->dataPath->hwnd;
  SetClipboardText("");
  DriveWhilePumping([&] {
    POINT at = CentreOf(path);
    Sleep(GetDoubleClickTime() + 50);
    MovePointerTo(at.x, at.y);
    for (int i = 0; i < 2; ++i) {
      PressLeft();
      ReleaseLeft();
    }
    TapKeyWith(VK_CONTROL, 'C');
    TypeText(L"x");
    TapKey(VK_DELETE);
    TapKeyWith(VK_CONTROL, 'V');
  });
  EXPECT_STREQ(DbFilePath().CStr(), GetClipboardText().CStr());
  EXPECT_STREQ(DbFilePath().CStr(), w->dataPath->GetText().CStr());
}
