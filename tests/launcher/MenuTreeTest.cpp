// The maintenance tree on a scratch Config.db: every command chosen in the real context
// menu with a right click and keys, renaming by typing into the label edit, the open-file
// dialog, drags by real button events, and files dropped from outside. After every step
// the tree and KX_SOFT must agree row by row, with the positions under each parent 0, 1,
// 2, ... in the order shown.

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/resource.h"
#include "kx/KxForm.h"
#include "kx/base/KxFile.h"
#include "launcher/FrmMenu.h"
#include "launcher/MenuTree.h"
#include "store/KxDb.h"
#include "store/Schema.h"
#include "store/ShortcutRecord.h"
#include "tests/launcher/ShortcutRows.h"
#include "tests/launcher/StartMenuFiles.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/MenuDriver.h"
#include "tests/support/TestUtil.h"
#include "NameTexts.h"
#include "kx/base/KxWide.h"

namespace {

const char kSoft[] = "KX_SOFT";

KxString WhereId(LPARAM id) { return "S_ID=" + KxString::FromInt(static_cast<int>(id)); }

// Groups as "text{...}", separators as "-".
std::string Shown(const KxTreeItem& parent) {
  std::string text;
  for (KxTreeItem item = parent.FirstChild(); !item.IsNull(); item = item.Next()) {
    if (!text.empty()) text += " ";
    int image = item.Image();
    if (image == 4) {
      text += "-";
      continue;
    }
    text += item.Text().CStr();
    if (image == 1 || image == 2) text += "{" + Shown(item) + "}";
  }
  return text;
}

// Where the tree and the table part: "" when every item has its row with the parent, the
// position, the kind and the caption the tree shows, and no row is left unshown.
std::string Mismatch(const KxTreeItem& parent, int& items) {
  int position = 0;
  for (KxTreeItem item = parent.FirstChild(); !item.IsNull(); item = item.Next(), ++position) {
    ++items;
    KxString where = WhereId(item.Param());
    std::string label = item.Text().CStr();
    if (!TheDb.Exists(kSoft, where)) return label + ": no row";
    if (TheDb.SelectInt(kSoft, "S_PID", where) != parent.Param()) return label + ": S_PID";
    if (TheDb.SelectInt(kSoft, "S_ORDERID", where) != position)
      return label + ": S_ORDERID " + std::to_string(TheDb.SelectInt(kSoft, "S_ORDERID", where)) +
             " at " + std::to_string(position);
    ShortcutRecord kind;
    DecodeShortcutFlags(TheDb.SelectInt(kSoft, "S_FLAG", where), kind);
    int image = item.Image();
    int expected = image == 4 ? kShortcutSeparator : image == 3 ? kShortcutItem : kShortcutGroup;
    if (kind.kind != expected) return label + ": kind";
    if (image != 4 && TheDb.SelectText(kSoft, "S_TEXT", where) != item.Text()) return label + ": S_TEXT";
    std::string below = Mismatch(item, items);
    if (!below.empty()) return below;
  }
  return "";
}

std::string InStep(const MenuTree& tree) {
  int items = 0;
  std::string mismatch = Mismatch(tree.rootHandle, items);
  if (!mismatch.empty()) return mismatch;
  int rows = TheDb.Count(kSoft, "");
  return rows == items ? "" : std::to_string(rows) + " rows for " + std::to_string(items) + " items";
}

KxTreeItem Find(const KxTreeItem& parent, const char* text) {
  for (KxTreeItem item = parent.FirstChild(); !item.IsNull(); item = item.Next()) {
    if (item.Text() == text) return item;
    KxTreeItem below = Find(item, text);
    if (!below.IsNull()) return below;
  }
  return KxTreeItem();
}

// In the open-file dialog that the tree shows: the path typed in and confirmed, or the
// dialog cancelled when path is empty.
void AnswerFileDialog(const KxString& path) {
  HWND dialog = NULL;
  ASSERT_TRUE(WaitFor([&] { return (dialog = WindowOf(GetCurrentProcessId(), "#32770", "选择文件")) != NULL && IsWindowVisible(dialog); }, 10000));
  if (path.IsEmpty()) {
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  HWND name = GetDlgItem(dialog, 0x480);  // the file-name box
  if (!name) name = GetDlgItem(dialog, 0x47C);
  ASSERT_NE(nullptr, name);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.CStr()));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000));
}

// The question box "询问" this process shows within the time; NULL when none shows.
HWND WaitForQuestion(int timeoutMs) {
  HWND box = NULL;
  WaitFor([&] { return (box = WindowOf(GetCurrentProcessId(), "#32770", "询问")) != NULL && IsWindowVisible(box); },
          timeoutMs);
  return box && IsWindowVisible(box) ? box : NULL;
}

// The box's text, once it is answered with button (IDYES or IDNO) and gone.
std::string Answer(HWND box, int button) {
  char text[256] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
  WaitFor([&] { return !IsWindow(box); }, 5000);
  return text;
}

std::string AnswerQuestion(int button) {
  HWND box = WaitForQuestion(5000);
  return box ? Answer(box, button) : "";
}

class MaintenanceTree : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    dir = MakeScratchDir("menu-tree");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    ASSERT_TRUE(TheDb.Exec(kCreateSoftTable));
    ASSERT_TRUE(TheDb.Exec(kCreateSoftIndex));
    AddRow(1, 0, 0, kShortcutGroup, "工具");
    AddRow(2, 0, 1, kShortcutSeparator, "不显示的文字");
    AddRow(3, 0, 2, kShortcutItem, "记事本");
    AddRow(4, 0, 3, kShortcutGroup, "空组");
    AddRow(5, 1, 0, kShortcutItem, "计算器");
    AddRow(6, 1, 1, kShortcutGroup, "深层");
    AddRow(7, 6, 0, kShortcutItem, "画图");
    form = new KxForm(nullptr, "maintain", KxRect{40, 40, 420, 460}, WS_POPUP | WS_VISIBLE);
    form->SetTopMost();
    tree = new MenuTree;
    ASSERT_TRUE(tree->Setup(form, KxRect{0, 0, 400, 440}));
    tree->FillShortcutTree();
    for (const char* group : {"工具", "深层"}) Find(tree->rootHandle, group).Expand(true);
    SetForegroundWindow(form->hwnd);
    PumpFor(50);
    ASSERT_EQ("工具{计算器 深层{画图}} - 记事本 空组{}", Shown(tree->rootHandle));
    ASSERT_EQ("", InStep(*tree));
  }
  void TearDown() override {
    delete tree;
    delete form;
    PumpFor(20);
    TheDb.Close();
    RemoveTree(dir);
  }

  // The middle of the item's label on the screen; below the last item for nullptr.
  POINT PointAt(const char* text) {
    bool root = !text || lstrcmpA(text, kTreeRootText) == 0;
    KxTreeItem item = root ? tree->rootHandle : Find(tree->rootHandle, text);
    EXPECT_FALSE(item.IsNull()) << text;
    RECT r = {};
    HTREEITEM handle = item.handle;
    memcpy(&r, &handle, sizeof(handle));
    SendMessageA(tree->hwnd, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
    POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (!text) p.y = tree->ClientRect().bottom - 20;
    ClientToScreen(tree->hwnd, &p);
    return p;
  }

  // Right-clicks the item (empty space for nullptr), reads the ids of the menu that opens
  // ("0" for a separator), chooses command with keys (Escape for 0) and runs then.
  std::string Command(const char* text, int command, const std::function<void()>& then = nullptr) {
    POINT at = PointAt(text);
    std::string ids;
    DriveWhilePumping([&] {
      Sleep(GetDoubleClickTime() + 50);
      MovePointerTo(at.x, at.y);
      PressRight();
      ReleaseRight();
      if (!menudriver::WaitForMenus(1)) return;
      HMENU menu = reinterpret_cast<HMENU>(
          SendMessageA(menudriver::MenuWindows().front(), 0x01E1 /* MN_GETHMENU */, 0, 0));
      int downs = 0;
      for (int i = 0, seen = 0; i < GetMenuItemCount(menu); ++i) {
        UINT id = GetMenuItemID(menu, i);
        ids += (ids.empty() ? "" : " ") + std::to_string(id);
        if (id != 0) ++seen;
        if (static_cast<int>(id) == command) downs = seen;
      }
      if (command == 0 || downs == 0) {
        menudriver::Tap(VK_ESCAPE);
        return;
      }
      for (int i = 0; i < downs; ++i) menudriver::Tap(VK_DOWN);
      menudriver::Tap(VK_RETURN);
      if (then) then();
    });
    PumpFor(100);
    return ids;
  }

  // Drags one item onto another (the root for nullptr) with real button events.
  void Drag(const char* from, const char* to) {
    POINT a = PointAt(from);
    POINT b = to ? PointAt(to) : PointAt(kTreeRootText);
    DriveWhilePumping([&] {
      Sleep(GetDoubleClickTime() + 50);
      MovePointerTo(a.x, a.y);
      PressLeft();
      MovePointerTo(a.x + 12, a.y + 12);
      MovePointerTo((a.x + b.x) / 2, (a.y + b.y) / 2);
      MovePointerTo(b.x, b.y);
      MovePointerTo(b.x + 1, b.y);
      Sleep(150);
      ReleaseLeft();
      Sleep(100);
    });
    PumpFor(100);
  }

  KxString dir;
  KxForm* form = nullptr;
  MenuTree* tree = nullptr;
};

}  // namespace

TEST_F(MaintenanceTree, EveryCommandThroughTheContextMenuKeepsTreeAndTableInStep) {
  const char* const kRootMenu = "1 2 3 0 11";
  const char* const kShortcutMenu = "1 2 3 0 4 5 6 0 7 8 9 10 0 11";
  const char* const kGroupMenu = "1 2 3 0 4 6 0 7 8 9 10 0 11";
  const char* const kSeparatorMenu = "1 2 3 0 5 6 0 7 8 9 10 0 11";
  struct Step {
    const char* item;  // nullptr: the empty space below the items
    int command;
    const char* menu;
    const char* shown;
  } steps[] = {
      {nullptr, kTreeNewGroup, kRootMenu, "工具{计算器 深层{画图}} - 记事本 空组{} 新组{}"},
      {kTreeRootText, 0, kRootMenu, "工具{计算器 深层{画图}} - 记事本 空组{} 新组{}"},
      {"记事本", kTreeNewSeparator, kShortcutMenu, "工具{计算器 深层{画图}} - 记事本 - 空组{} 新组{}"},
      {"计算器", kTreeNewGroup, kShortcutMenu, "工具{计算器 新组{} 深层{画图}} - 记事本 - 空组{} 新组{}"},
      {"深层", kTreeMoveFirst, kGroupMenu, "工具{深层{画图} 计算器 新组{}} - 记事本 - 空组{} 新组{}"},
      {"记事本", kTreeMoveFirst, kShortcutMenu, "记事本 工具{深层{画图} 计算器 新组{}} - - 空组{} 新组{}"},
      {"空组", kTreeMoveUp, kGroupMenu, "记事本 工具{深层{画图} 计算器 新组{}} - 空组{} - 新组{}"},
      {"深层", kTreeMoveLast, kGroupMenu, "记事本 工具{计算器 新组{} 深层{画图}} - 空组{} - 新组{}"},
      {"画图", kTreeMoveDown, kShortcutMenu, "记事本 工具{计算器 新组{} 深层{画图}} - 空组{} - 新组{}"},
      {"记事本", kTreeMoveUp, kShortcutMenu, "记事本 工具{计算器 新组{} 深层{画图}} - 空组{} - 新组{}"},
      {kTreeSeparatorText, kTreeMoveDown, kSeparatorMenu, "记事本 工具{计算器 新组{} 深层{画图}} 空组{} - - 新组{}"},
      {"工具", kTreeDelete, kGroupMenu, "记事本 空组{} - - 新组{}"},
      {"新组", kTreeMoveFirst, kGroupMenu, "新组{} 记事本 空组{} - -"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.item ? step.item : "(empty space)") + " " + std::to_string(step.command));
    // The one group deleted here holds items: its deletion asks first.
    std::string asked;
    std::function<void()> answer = [&] { asked = AnswerQuestion(IDYES); };
    EXPECT_EQ(step.menu, Command(step.item, step.command, step.command == kTreeDelete ? answer : nullptr));
    if (step.command == kTreeDelete) {
      EXPECT_EQ("删除组“工具”及其中的 4 项？", asked);
    }
    EXPECT_EQ(step.shown, Shown(tree->rootHandle));
    EXPECT_EQ("", InStep(*tree));
  }
  // Rows made here carry the first flag and not the second; new groups have icon 102.
  EXPECT_EQ(0, TheDb.Count(kSoft, "S_ID>7 and (S_FLAG & 24)<>8"));
  EXPECT_EQ(0, TheDb.Count(kSoft, "S_ID>7 and S_FLAG=9 and S_ICO is null"));
  EXPECT_EQ(1, TheDb.Count(kSoft, "S_ID>7 and S_FLAG=9")) << "the other went with its group";
}

TEST_F(MaintenanceTree, RenameByTypingIntoTheLabel) {
  Command("记事本", kTreeRename, [] {
    Sleep(300);
    TypeText(L"写字板 2");
    TapKey(VK_RETURN);
  });
  EXPECT_EQ("工具{计算器 深层{画图}} - 写字板 2 空组{}", Shown(tree->rootHandle));
  EXPECT_EQ("", InStep(*tree));

  Command("空组", kTreeRename, [] {
    Sleep(300);
    TapKey(VK_ESCAPE);
  });
  EXPECT_EQ("工具{计算器 深层{画图}} - 写字板 2 空组{}", Shown(tree->rootHandle));

  // No edit opens on the root or a separator; the answers to the end of an edit, Wine's
  // repeated one included.
  KxTreeItem separator = Find(tree->rootHandle, kTreeSeparatorText);
  KxTreeItem group = Find(tree->rootHandle, "空组");
  for (const KxTreeItem& item : {separator, tree->rootHandle}) {
    EXPECT_EQ(0, SendMessageA(tree->hwnd, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item.handle)));
  }
  EXPECT_FALSE(tree->EndRename(separator, "文字"));
  EXPECT_FALSE(tree->EndRename(group, nullptr));
  EXPECT_FALSE(tree->EndRename(group, ""));
  EXPECT_FALSE(tree->EndRename(tree->rootHandle, "菜单"));
  EXPECT_TRUE(tree->EndRename(group, "空组"));
  EXPECT_TRUE(tree->EndRename(group, "它's"));
  EXPECT_STREQ("它's", TheDb.SelectText(kSoft, "S_TEXT", "S_ID=4").CStr());
}

TEST_F(MaintenanceTree, NewAndChangedShortcutsThroughTheFileDialog) {
  KxString program = dir + "\\velix.exe";
  ASSERT_TRUE(CopyFileA((TestBinDir() + "\\velix.exe").CStr(), program.CStr(), FALSE));

  Command("记事本", kTreeNewShortcut, [] { AnswerFileDialog(""); });
  EXPECT_EQ("工具{计算器 深层{画图}} - 记事本 空组{}", Shown(tree->rootHandle)) << "cancelled";

  Command("记事本", kTreeNewShortcut, [&] { AnswerFileDialog(program); });
  EXPECT_EQ("工具{计算器 深层{画图}} - 记事本 velix 空组{}", Shown(tree->rootHandle));
  EXPECT_EQ("", InStep(*tree));
  KxString where = "S_TEXT='velix'";
  EXPECT_STREQ(program.CStr(), TheDb.SelectText(kSoft, "S_PATH", where).CStr());
  EXPECT_EQ(kShortcutFlagItem | kShortcutFlagA, TheDb.SelectInt(kSoft, "S_FLAG", where));

  // The stored icon is the program's own mark, not the shell's picture of any program.
  KxString blob;
  ASSERT_TRUE(TheDb.SelectBlob(kSoft, "S_ICO", where, blob));
  OwnedIcon stored;
  ASSERT_TRUE(BlobToIcon(blob.CStr(), blob.Length(), stored));
  HMODULE image = LoadLibraryExA(program.CStr(), NULL, LOAD_LIBRARY_AS_DATAFILE);
  OwnedIcon mark(static_cast<HICON>(LoadImageA(image, MAKEINTRESOURCEA(101), IMAGE_ICON, 16, 16, 0)));
  FreeLibrary(image);
  SHFILEINFOA info = {};
  SHGetFileInfoA("nowhere.exe", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                 SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
  OwnedIcon typeIcon(info.hIcon);
  auto pixels = [](HICON icon) {
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    RECT all = {0, 0, 16, 16};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(memory, 0, 0, icon, 16, 16, 0, NULL, DI_NORMAL);
    std::vector<COLORREF> colours;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) colours.push_back(GetPixel(memory, x, y));
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return colours;
  };
  EXPECT_EQ(pixels(mark.Get()), pixels(stored.Get()));
  EXPECT_NE(pixels(typeIcon.Get()), pixels(stored.Get()));

  // A separator changed into a shortcut.
  Command(kTreeSeparatorText, kTreeChange, [&] { AnswerFileDialog(program); });
  EXPECT_EQ("工具{计算器 深层{画图}} velix 记事本 velix 空组{}", Shown(tree->rootHandle));
  EXPECT_EQ("", InStep(*tree));
}

TEST_F(MaintenanceTree, DragsMoveItemsButNeverIntoTheirOwnBranch) {
  struct Case {
    const char* from;
    const char* to;
    const char* shown;
  } cases[] = {
      {"工具", "画图", "工具{计算器 深层{画图}} - 记事本 空组{}"},
      {"记事本", "计算器", "工具{记事本 计算器 深层{画图}} - 空组{}"},
      {"计算器", "空组", "工具{记事本 深层{画图}} - 空组{计算器}"},
      {"深层", nullptr, "工具{记事本} - 空组{计算器} 深层{画图}"},
      {kTreeSeparatorText, "记事本", "工具{- 记事本} 空组{计算器} 深层{画图}"},
      {"深层", "工具", "工具{- 记事本 深层{画图}} 空组{计算器}"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.from) + " onto " + (k.to ? k.to : "the root"));
    Drag(k.from, k.to);
    EXPECT_EQ(k.shown, Shown(tree->rootHandle));
    EXPECT_EQ("", InStep(*tree));
  }
}

TEST_F(MaintenanceTree, FilesDroppedFromOutside) {
  KxStringList made;
  for (const char* name : {"a.b.c.txt", "x.y.exe", "readme.txt"}) {
    KxString path = dir + "\\" + name;
    ASSERT_TRUE(WriteFileBytes(path, "x"));
    made.Add(path);
  }
  // A file in a folder named in Korean with an emoji, itself named with a letter GBK lacks:
  // the shell drops such names only in the wide form.
  KxString folder = dir + "\\" + KxString(kKoreanFolder.gb18030);
  ASSERT_TRUE(CreateDirectoryW(KxWide(folder), NULL));
  made.Add(folder + "\\" + KxString(kAccentedFile.gb18030));
  ASSERT_TRUE(WriteFileBytes(*made.At(3), "x"));
  std::string accented(kAccentedFile.gb18030, kAccentedFile.gbLength - 4);  // without ".mp3"
  std::string last = "工具{计算器 深层{画图}} - 记事本 a x 空组{readme} x " + accented;
  struct Case {
    const char* onto;  // nullptr: the empty space below the items
    std::vector<int> files;
    bool wide;
    const char* shown;
  } cases[] = {
      {"记事本", {0, 1}, false, "工具{计算器 深层{画图}} - 记事本 a x 空组{}"},
      {"空组", {2}, false, "工具{计算器 深层{画图}} - 记事本 a x 空组{readme}"},
      {nullptr, {1}, false, "工具{计算器 深层{画图}} - 记事本 a x 空组{readme} x"},
      {nullptr, {3}, true, last.c_str()},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.onto ? k.onto : "(empty space)");
    POINT at = PointAt(k.onto);
    ScreenToClient(tree->hwnd, &at);
    std::string names;
    for (int i : k.files) {
      if (k.wide) {
        KxWide name(*made.At(i));
        names.append(reinterpret_cast<const char*>(name.Get()), (name.Length() + 1) * sizeof(wchar_t));
      } else {
        names += std::string(made.At(i)->CStr()) + '\0';
      }
    }
    names.append(k.wide ? 2 : 1, '\0');
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    DROPFILES* files = static_cast<DROPFILES*>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    files->pt = at;
    files->fWide = k.wide;
    memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(drop);
    PostMessageW(tree->hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    PumpFor(300);
    EXPECT_EQ(k.shown, Shown(tree->rootHandle));
    EXPECT_EQ("", InStep(*tree));
  }
  EXPECT_TRUE(Find(tree->rootHandle, "空组").IsExpanded());
  EXPECT_STREQ(made.At(0)->CStr(), TheDb.SelectText(kSoft, "S_PATH", "S_TEXT='a'").CStr());
  EXPECT_EQ(*made.At(3), TheDb.SelectText(kSoft, "S_PATH", "S_TEXT=" + SqlQuote(accented.c_str())));
  EXPECT_EQ(0, TheDb.Count(kSoft, "S_ID>7 and S_ICO is null")) << "each has the shell's icon";
}

// The import from the real Start menu (which may hold the prefix's own entries too): a
// folder named as a group of the tree fills that group, the tree shows what was stored,
// and a second import has nothing new.
TEST_F(MaintenanceTree, TheStartMenuImportFillsTheTreeAndSaysWhatCameIn) {
  StartMenuFolder tools(CSIDL_PROGRAMS, "工具");
  MakeLink(tools.path + "\\Velix 计算.lnk", CopyOfProbe(dir, "calc.exe"));
  std::vector<std::string> said;
  auto answer = [&] {
    HWND box = NULL;
    if (!WaitFor([&] { return (box = WindowOf(GetCurrentProcessId(), "#32770", "提示")) != NULL; }, 10000)) return;
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    said.push_back(text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box); }, 5000);
  };
  int itemsBefore = TheDb.Count(kSoft, "S_FLAG & 4");
  EXPECT_EQ("1 2 3 0 4 5 6 0 7 8 9 10 0 11", Command("记事本", kTreeImportStartMenu, answer));
  EXPECT_EQ("计算器 深层{画图} Velix 计算", Shown(Find(tree->rootHandle, "工具")));
  EXPECT_EQ("", InStep(*tree));
  ASSERT_EQ(1u, said.size());
  std::string added = std::to_string(TheDb.Count(kSoft, "S_FLAG & 4") - itemsBefore);
  EXPECT_EQ(0u, said[0].find("已从开始菜单导入 " + added + " 个快捷方式")) << said[0];

  std::string shown = Shown(tree->rootHandle);
  EXPECT_EQ("1 2 3 0 11", Command(nullptr, kTreeImportStartMenu, answer));
  EXPECT_EQ(shown, Shown(tree->rootHandle));
  ASSERT_EQ(2u, said.size());
  EXPECT_EQ("开始菜单里没有可以导入的新程序。", said[1]);
}

TEST_F(MaintenanceTree, HandWrittenTablesFillAsTheMenuShowsThem) {
  struct Row {
    int id, parentId, orderId, kind;
    const char* text;
  };
  struct Case {
    const char* name;
    std::vector<Row> rows;
    const char* shown;
    const char* orders;  // S_ID:S_ORDERID by S_ID after the fill
  } cases[] = {
      // The rows of group 3 come before the group itself (S_PID 3 sorts before 9).
      {"group after its rows",
       {{9, 0, 0, kShortcutGroup, "甲"}, {3, 9, 0, kShortcutGroup, "乙"},
        {4, 3, 3, kShortcutItem, "丙"}, {5, 3, 5, kShortcutItem, "丁"}, {6, 9, 1, kShortcutItem, "戊"}},
       "甲{乙{丙 丁} 戊}", "3:0 4:0 5:1 6:1 9:0"},
      {"gaps, group 0, orphans and a loop",
       {{0, 0, 1, kShortcutGroup, "零"}, {8, 0, 4, kShortcutItem, "八"}, {7, 0, 9, kShortcutSeparator, ""},
        {20, 77, 5, kShortcutItem, "孤"}, {21, 21, 0, kShortcutGroup, "自"}, {22, 21, 3, kShortcutItem, "环"}},
       "零{} 八 -", "0:0 7:2 8:1 20:5 21:0 22:3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(TheDb.Exec("delete from KX_SOFT"));
    for (const Row& r : c.rows) AddRow(r.id, r.parentId, r.orderId, r.kind, r.text);
    MenuTree fresh;
    ASSERT_TRUE(fresh.Setup(form, KxRect{0, 0, 400, 440}));
    fresh.FillShortcutTree();
    EXPECT_EQ(c.shown, Shown(fresh.rootHandle));
    std::string orders;
    KxQuery query;
    TheDb.Query("select S_ID, S_ORDERID from KX_SOFT order by S_ID", query);
    for (; !query.Eof(); query.Next())
      orders += (orders.empty() ? "" : " ") + std::to_string(query.IntAt(0)) + ":" + std::to_string(query.IntAt(1));
    EXPECT_EQ(c.orders, orders);
  }
}

namespace {

// Answers every question box "询问" of this process with the button set last, and keeps
// their texts.
class QuestionAnswerer {
public:
  QuestionAnswerer() : thread(WindowThread([this] {
    while (!done) {
      HWND box = WaitForQuestion(50);
      if (!box) continue;
      std::string text = Answer(box, button);
      std::lock_guard<std::mutex> lock(mutex);
      asked.push_back(text);
    }
    finished = true;
  })) {}
  ~QuestionAnswerer() {
    done = true;
    // Reading a caption of this thread's windows waits for this thread to answer.
    PumpUntil([this] { return finished.load(); }, 5000);
    thread.join();
  }
  // The questions answered since the last call.
  std::vector<std::string> Take(int nextButton) {
    std::lock_guard<std::mutex> lock(mutex);
    button = nextButton;
    std::vector<std::string> taken;
    taken.swap(asked);
    return taken;
  }

private:
  std::atomic<bool> done{false};
  std::atomic<bool> finished{false};
  std::atomic<int> button{IDNO};
  std::mutex mutex;
  std::vector<std::string> asked;
  std::thread thread;
};

// The item's label rectangle on the screen; empty when it is not in view.
RECT LabelOnScreen(const KxTreeItem& item) {
  RECT r = {};
  HTREEITEM handle = item.handle;
  memcpy(&r, &handle, sizeof(handle));
  if (!SendMessageA(item.view->hwnd, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r))) return RECT{};
  MapWindowPoints(item.view->hwnd, NULL, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The maintenance window itself over the fixture's table, shown with the focus in its tree.
struct ShownWindow {
  ShownWindow() : window(new FrmMenu(nullptr)), tree(window->tree) {
    window->Show();
    SetForegroundWindow(window->hwnd);
    tree.SetFocus();
    PumpFor(100);
  }
  ~ShownWindow() { delete window; }
  KxTreeItem Item(const char* text) const {
    return lstrcmpA(text, kTreeRootText) == 0 ? tree.rootHandle : Find(tree.rootHandle, text);
  }
  FrmMenu* window;
  MenuTree& tree;
};

}  // namespace

TEST_F(MaintenanceTree, KeysInTheMaintenanceWindowMoveDeleteAndRenameTheSelection) {
  ShownWindow w;
  MenuTree& tree = w.tree;
  // Short enough to scroll: the view must move only as far as the selection needs.
  tree.SetBounds(KxRect{0, 0, 300, 90}, true);
  QuestionAnswerer answerer;
  const char* const kStart = "工具{计算器 深层{画图}} - 记事本 空组{}";
  struct Step {
    const char* item;  // selected first
    WORD modifier;     // 0 or VK_CONTROL
    WORD key;
    int answer;            // to the question, if one comes
    const char* question;  // "" for none
    const char* shown;
  } steps[] = {
      {"记事本", VK_CONTROL, VK_UP, IDNO, "", "工具{计算器 深层{画图}} 记事本 - 空组{}"},
      {"记事本", VK_CONTROL, VK_HOME, IDNO, "", "记事本 工具{计算器 深层{画图}} - 空组{}"},
      {"计算器", VK_CONTROL, VK_DOWN, IDNO, "", "记事本 工具{深层{画图} 计算器} - 空组{}"},
      {"计算器", VK_CONTROL, VK_DOWN, IDNO, "", "记事本 工具{深层{画图} 计算器} - 空组{}"},
      {"计算器", VK_CONTROL, VK_HOME, IDNO, "", "记事本 工具{计算器 深层{画图}} - 空组{}"},
      {"记事本", VK_CONTROL, VK_END, IDNO, "", "工具{计算器 深层{画图}} - 空组{} 记事本"},
      {kTreeRootText, VK_CONTROL, VK_DOWN, IDNO, "", "工具{计算器 深层{画图}} - 空组{} 记事本"},
      {"空组", 0, VK_DELETE, IDNO, "", "工具{计算器 深层{画图}} - 记事本"},
      {"深层", 0, VK_DELETE, IDNO, "删除组“深层”及其中的 1 项？", "工具{计算器 深层{画图}} - 记事本"},
      {"工具", 0, VK_DELETE, IDYES, "删除组“工具”及其中的 3 项？", "- 记事本"},
      {kTreeSeparatorText, 0, VK_DELETE, IDNO, "", "记事本"},
      {kTreeRootText, 0, VK_DELETE, IDNO, "", "记事本"},
  };
  ASSERT_EQ(kStart, Shown(tree.rootHandle));
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.item) + " " + std::to_string(step.modifier) + "+" + std::to_string(step.key));
    KxTreeItem item = w.Item(step.item);
    ASSERT_FALSE(item.IsNull());
    item.Select();
    PumpFor(50);
    answerer.Take(step.answer);
    if (step.modifier) {
      TapKeyWith(step.modifier, step.key);
    } else {
      TapKey(step.key);
    }
    PumpFor(200);
    std::vector<std::string> asked = answerer.Take(IDNO);
    EXPECT_EQ(std::vector<std::string>(*step.question ? 1 : 0, step.question), asked);
    EXPECT_EQ(step.shown, Shown(tree.rootHandle));
    EXPECT_EQ("", InStep(tree));
    EXPECT_EQ(tree.hwnd, GetFocus());
    if (step.modifier) {
      EXPECT_EQ(step.item, std::string(tree.Selection().Text().CStr())) << "the moved item stays selected";
      RECT label = LabelOnScreen(tree.Selection());
      RECT view = tree.WindowRect();
      EXPECT_TRUE(label.bottom > label.top && label.top >= view.top && label.bottom <= view.bottom) << "and in view";
    }
    if (step.item == kTreeRootText) {
      EXPECT_EQ(reinterpret_cast<LRESULT>(tree.rootHandle.handle),
                SendMessageA(tree.hwnd, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0))
          << "nothing scrolled";
    }
  }

  // F2 opens the label edit, which keeps Home, Del, Enter and Escape for itself.
  struct Rename {
    const char* item;
    const wchar_t* typed;
    std::vector<WORD> keys;
    bool edits;
    const char* shown;
  } renames[] = {
      {"记事本", L"写字板", {VK_HOME, VK_DELETE, VK_RETURN}, true, "字板"},
      {"字板", L"x", {VK_DELETE, VK_ESCAPE}, true, "字板"},
      {kTreeRootText, L"", {}, false, "字板"},
  };
  for (const Rename& r : renames) {
    SCOPED_TRACE(r.item);
    w.Item(r.item).Select();
    PumpFor(50);
    TapKey(VK_F2);
    bool editing = PumpUntil([&] { return SendMessageA(tree.hwnd, TVM_GETEDITCONTROL, 0, 0) != 0; }, 1000);
    EXPECT_EQ(r.edits, editing);
    if (editing) {
      TypeText(r.typed);
      for (WORD key : r.keys) TapKey(key);
      PumpFor(200);
    }
    EXPECT_EQ(r.shown, Shown(tree.rootHandle));
    EXPECT_EQ("", InStep(tree));
  }
  EXPECT_TRUE(answerer.Take(IDNO).empty());
}

TEST_F(MaintenanceTree, MenuKeysOpenTheMenuOnceAtTheItemAndEnterOpensTheItem) {
  KxString probeDir = dir + "\\探针 目录";
  AddRow(8, 0, 4, kShortcutItem, "探针", CopyOfProbe(probeDir));
  ShownWindow w;
  MenuTree& tree = w.tree;

  // Each way a key may ask for the menu: the key itself, or the platform's message for it.
  // The keys are released only after the menu has closed, when the tree sees the release.
  auto keys = [](std::vector<WORD> vks, DWORD flags) {
    return [vks, flags] {
      for (WORD vk : vks) {
        INPUT key = {};
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = vk;
        key.ki.dwFlags = flags;
        SendInput(1, &key, sizeof(INPUT));
      }
    };
  };
  struct Way {
    const char* name;
    std::function<void()> press;
    std::function<void()> release;
  } ways[] = {
      {"context-menu key", keys({VK_APPS}, 0), keys({VK_APPS}, KEYEVENTF_KEYUP)},
      {"Shift+F10", keys({VK_SHIFT, VK_F10}, 0), keys({VK_F10, VK_SHIFT}, KEYEVENTF_KEYUP)},
      {"WM_CONTEXTMENU", [&] { PostMessageA(tree.hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree.hwnd), -1); },
       [] {}},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    KxTreeItem item = w.Item("记事本");
    item.Select();
    MovePointerTo(3, 3);
    PumpFor(50);
    RECT label = LabelOnScreen(item);
    int opened = 0;
    RECT at = {};
    int items = 0;
    DriveWhilePumping([&] {
      way.press();
      // Every menu that opens in the next second is counted and closed.
      for (int waited = 0; waited < 1000; waited += 20) {
        std::vector<HWND> menus = menudriver::MenuWindows();
        if (menus.empty()) {
          Sleep(20);
          continue;
        }
        if (++opened == 1) {
          GetWindowRect(menus.front(), &at);
          items = GetMenuItemCount(reinterpret_cast<HMENU>(SendMessageA(menus.front(), 0x01E1 /* MN_GETHMENU */, 0, 0)));
        }
        menudriver::Tap(VK_ESCAPE);
        WaitFor([] { return menudriver::MenuWindows().empty(); }, 2000);
        if (opened == 1) way.release();
      }
    });
    EXPECT_EQ(1, opened);
    EXPECT_GT(items, 3) << "the item's commands, not the root's";
    EXPECT_LE(std::abs(at.left - label.left), 3);
    EXPECT_LE(std::abs(at.top - label.bottom), 3);
    EXPECT_EQ(tree.hwnd, GetFocus());
  }

  // Enter: the shortcut starts in its own folder; a group opens and closes; the others
  // do nothing.
  KxTreeItem tools = w.Item("工具");
  tools.Select();
  for (bool expanded : {true, false}) {
    TapKey(VK_RETURN);
    EXPECT_EQ(expanded, tools.IsExpanded());
    EXPECT_EQ(expanded ? TREE_IMG_GROUP_OPEN : TREE_IMG_GROUP_CLOSED, tools.Image());
  }
  for (const char* text : {kTreeSeparatorText, kTreeRootText}) {
    w.Item(text).Select();
    TapKey(VK_RETURN);
  }
  EXPECT_TRUE(tree.rootHandle.IsExpanded());
  EXPECT_EQ("工具{计算器 深层{画图}} - 记事本 空组{} 探针", Shown(tree.rootHandle));
  KxString report = probeDir + "\\velix-probe-out.txt";
  EXPECT_FALSE(FileExistsAt(report));
  w.Item("探针").Select();
  TapKey(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return !ReadFileBytes(report).IsEmpty(); }, 10000));
  KxStringList lines;
  ReadFileBytes(report).Split("\r\n", lines);
  EXPECT_STREQ(probeDir.CStr(), lines.IsEmpty() ? "" : lines.At(0)->CStr());
}
