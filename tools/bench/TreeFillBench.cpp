// velix_tree_bench: filling the maintenance tree from KX_SOFT (MenuTree::FillShortcutTree, as
// the window does when it is made) against a floor in the same run: a plain system tree
// with the same styles and image list into which a loop inserts the same rows with the same
// images. Both read the rows from the same Config.db over one connection, the floor with
// the least statement that gives what the tree shows (S_ID, S_PID, S_FLAG, S_TEXT in
// display order), since reading the table is part of every fill; both trees are new and
// hidden, as the window's tree is when it is filled, and both end with the root "快捷菜单"
// expanded. Rounds alternate which goes first; the medians and their ratio are printed.
//
//   wine velix_tree_bench.exe [rounds] [rows]

#include <windows.h>
#include <commctrl.h>
#include <sqlite3.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "app/resource.h"
#include "kx/KxForm.h"
#include "kx/base/KxFile.h"
#include "launcher/MenuTree.h"
#include "store/KxDb.h"
#include "store/Schema.h"
#include "store/ShortcutRecord.h"
#include "tools/bench/BenchIcon.h"
#include "tools/bench/BenchTiming.h"

namespace {

const double kLimit = 1.1;
const KxRect kTreeRect = {0, 0, 400, 500};

bool AddRow(int id, int parentId, int orderId, int kind, const KxString& text, const KxString& icon) {
  ShortcutRecord record;
  record.id = static_cast<short>(id);
  record.parentId = static_cast<short>(parentId);
  record.orderId = orderId;
  record.kind = kind;
  record.flagA = true;
  record.text = text;
  record.path = kind == kShortcutItem ? "C:\\windows\\notepad.exe" : "";
  bool withIcon = kind != kShortcutSeparator;
  return TheDb.ExecWithBlob(ShortcutInsertSql(record), withIcon ? icon.CStr() : nullptr,
                            withIcon ? icon.Length() : 0);
}

// rows rows as a person's menu holds them: groups at the top level, each with a separator,
// a sub-group of a few shortcuts and a long run of shortcuts, and some shortcuts at the top
// level. Every group's S_ID is below those of its rows, as rows made in the window are.
bool MakeRows(int rows) {
  KxString icon = SampleIconBlob();
  if (icon.IsEmpty()) return false;
  const int groups = rows / 100 > 0 ? rows / 100 : 1;
  const int perGroup = (rows - groups * 10) / groups;  // rows inside each group
  int id = 0;
  int top = 0;
  bool ok = TheDb.Begin();
  for (int g = 0; g < groups && ok; ++g) {
    int group = ++id;
    ok = AddRow(group, 0, top++, kShortcutGroup, "组 " + KxString::FromInt(g + 1), icon);
    int sub = ++id;
    ok = ok && AddRow(sub, group, 0, kShortcutGroup, "常用", icon);
    ok = ok && AddRow(++id, group, 1, kShortcutSeparator, "", icon);
    const int inSub = perGroup / 5;
    for (int i = 0; i < inSub && ok; ++i) {
      ++id;
      ok = AddRow(id, sub, i, kShortcutItem, "程序 " + KxString::FromInt(id), icon);
    }
    for (int i = 0; i < perGroup - 3 - inSub && ok; ++i) {
      ++id;
      ok = AddRow(id, group, 2 + i, kShortcutItem, "程序 " + KxString::FromInt(id), icon);
    }
  }
  while (id < rows && ok) {
    ++id;
    ok = AddRow(id, 0, top++, kShortcutItem, "程序 " + KxString::FromInt(id), icon);
  }
  return TheDb.Commit() && ok;
}

HIMAGELIST TreeImages() {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32, 0, 0);
  HBITMAP strip = LoadBitmapA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDB_TREE));
  ImageList_Add(list, strip, NULL);
  DeleteObject(strip);
  return list;
}

int ImageOf(int flags) {
  ShortcutRecord kind;
  DecodeShortcutFlags(flags, kind);
  if (kind.kind == kShortcutGroup) return TREE_IMG_GROUP_CLOSED;
  return kind.kind == kShortcutSeparator ? TREE_IMG_SEPARATOR : TREE_IMG_SHORTCUT;
}

HTREEITEM Insert(HWND tree, HTREEITEM parent, const char* text, int image, LPARAM param) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(text);
  insert.item.iImage = image;
  insert.item.iSelectedImage = image;
  insert.item.lParam = param;
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

// The floor: the rows in display order, each inserted under its parent's item, which an
// earlier row made (the bench's groups come before their rows); the seconds it took and
// the items made.
double FloorFill(HWND tree, int& items) {
  double start = BenchNow();
  std::vector<HTREEITEM> byId(kMaxShortcutId + 1, NULL);
  HTREEITEM root = Insert(tree, TVI_ROOT, kTreeRootText, TREE_IMG_ROOT, 0);
  byId[0] = root;
  sqlite3_stmt* rows = nullptr;
  sqlite3_prepare_v2(TheDb.Connection(),
                     "SELECT S_ID, S_PID, S_FLAG, S_TEXT FROM KX_SOFT ORDER BY S_PID, S_ORDERID", -1,
                     &rows, nullptr);
  items = 1;
  while (rows && sqlite3_step(rows) == SQLITE_ROW) {
    int id = sqlite3_column_int(rows, 0);
    int parentId = sqlite3_column_int(rows, 1);
    int image = ImageOf(sqlite3_column_int(rows, 2));
    const char* text = image == TREE_IMG_SEPARATOR
                           ? kTreeSeparatorText
                           : reinterpret_cast<const char*>(sqlite3_column_text(rows, 3));
    HTREEITEM made = Insert(tree, byId[parentId], text ? text : "", image, id);
    if (id > 0 && id <= kMaxShortcutId) byId[id] = made;
    ++items;
  }
  sqlite3_finalize(rows);
  SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  return BenchNow() - start;
}

int CountItems(HWND tree) { return static_cast<int>(SendMessageA(tree, TVM_GETCOUNT, 0, 0)); }

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? atoi(argv[1]) : 21;
  int rowCount = argc > 2 ? atoi(argv[2]) : 1000;
  if (rounds < 1 || rowCount < 1 || rowCount > kMaxShortcutId) {
    fprintf(stderr, "usage: velix_tree_bench [rounds] [rows]\n");
    return 1;
  }
  KxRegisterCardClass(GetModuleHandleA(NULL));
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  KxString dir = KxString(temp) + "velix-tree-bench-" + KxString::FromInt(GetCurrentProcessId());
  CreateDirectoryA(dir.CStr(), NULL);
  if (!TheDb.Open(dir + "\\Config.db") || !TheDb.Exec(kCreateSoftTable) ||
      !TheDb.Exec(kCreateSoftIndex) || !MakeRows(rowCount)) {
    fprintf(stderr, "tree bench: cannot make Config.db in %s\n", dir.CStr());
    return 1;
  }

  // Hidden, as the maintenance window is while its tree is filled.
  KxForm form(nullptr, "tree bench", KxRect{0, 0, 420, 520}, WS_POPUP);
  HIMAGELIST floorImages = TreeImages();
  std::vector<double> fills, floors;
  int fillItems = 0, floorItems = 0;
  for (int round = 0; round < rounds; ++round) {
    for (int turn = 0; turn < 2; ++turn) {
      if ((round + turn) % 2 == 0) {
        MenuTree tree;
        tree.Setup(&form, kTreeRect);
        double start = BenchNow();
        tree.FillShortcutTree();
        fills.push_back(BenchNow() - start);
        fillItems = CountItems(tree.hwnd);
      } else {
        HWND tree = CreateWindowExA(0, WC_TREEVIEWA, "", kKxTreeViewStyle, kTreeRect.x, kTreeRect.y,
                                    kTreeRect.width, kTreeRect.height, form.hwnd, NULL,
                                    GetModuleHandleA(NULL), NULL);
        SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(floorImages));
        // The toolkit gives every control this font; text is measured with it.
        SendMessageA(tree, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        int items = 0;
        floors.push_back(FloorFill(tree, items));
        floorItems = CountItems(tree);
        DestroyWindow(tree);
      }
    }
  }
  ImageList_Destroy(floorImages);
  TheDb.Close();
  DeleteFileA((dir + "\\Config.db").CStr());
  RemoveDirectoryA(dir.CStr());
  if (fillItems != floorItems) {
    fprintf(stderr, "tree bench: the fill made %d items, the floor %d\n", fillItems, floorItems);
    return 1;
  }

  // Each round's two fills ran back to back: their ratio is the least disturbed by whatever
  // else the machine does, and its median is the verdict.
  std::vector<double> ratios;
  for (size_t i = 0; i < fills.size(); ++i) ratios.push_back(fills[i] / floors[i]);
  double fill = BenchMedian(fills), floor = BenchMedian(floors);
  double ratio = BenchMedian(ratios);
  std::sort(ratios.begin(), ratios.end());
  printf("maintenance tree of %d rows (%d items), %d rounds, medians:\n", rowCount, fillItems, rounds);
  printf("  fill %.2f ms, floor %.2f ms\n", fill * 1000, floor * 1000);
  printf("  ratio fill / floor by round: min %.2f, median %.2f, max %.2f: %s (limit %.1f)\n",
         ratios.front(), ratio, ratios.back(), ratio <= kLimit ? "ok" : "too slow", kLimit);
  return ratio <= kLimit ? 0 : 2;
}
