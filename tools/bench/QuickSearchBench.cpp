// velix_quick_bench: how long after its command the quick search window shows its first
// results, against how long the launcher menu takes to be up, side by side in one run on
// one Config.db: openings of the one and of the other in turn, round after round, and the
// median of each.
//
// The launcher menu counts as up when its modal loop first goes idle (WM_ENTERIDLE to the
// owner: shown and painted, nothing left to do); the window when its thread's queue is
// empty after the opening (shown, painted, the focus in the input). Both read the whole
// tree, as they do for a user: the menu with every icon, the window with the icons of the
// rows it shows.
//
//   wine velix_quick_bench.exe [rounds] [shortcuts]

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "kx/KxCard.h"
#include "kx/KxForm.h"
#include "kx/base/KxFile.h"
#include "launcher/FrmQuickSearch.h"
#include "launcher/LauncherMenu.h"
#include "store/KxDb.h"
#include "store/Schema.h"
#include "store/ShortcutRecord.h"
#include "tools/bench/BenchTiming.h"

namespace {

const double kAllowedRatio = 1.1;

WNDPROC ownerProc = nullptr;
double menuUp = 0;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ENTERIDLE && wParam == MSGF_MENU && menuUp == 0) {
    menuUp = BenchNow();
    EndMenu();
  }
  return CallWindowProcA(ownerProc, hwnd, msg, wParam, lParam);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Groups of twenty shortcuts, Latin and Chinese captions, each with the program icon.
bool FillTree(int shortcuts) {
  HICON icon = LoadIconA(NULL, IDI_APPLICATION);
  const char* const words[] = {"微信", "Word 文档", "记事本", "Photo Viewer", "计算器", "浏览器",
                               "音乐播放", "Code Studio", "画图", "远程桌面"};
  KxTransaction edit(TheDb);
  int groups = (shortcuts + 19) / 20;
  for (int g = 0; g < groups; ++g) {
    ShortcutRecord group;
    group.kind = kShortcutGroup;
    group.orderId = g;
    group.text = "组" + KxString::FromInt(g);
    edit.Check(InsertShortcut(group));
    for (int i = 0; i < 20 && g * 20 + i < shortcuts; ++i) {
      ShortcutRecord item;
      item.kind = kShortcutItem;
      item.parentId = group.id;
      item.orderId = i;
      item.text = KxString(words[(g + i) % 10]) + " " + KxString::FromInt(g * 20 + i);
      item.path = "C:\\Program Files\\App" + KxString::FromInt(g * 20 + i) + "\\app.exe";
      item.icon.Reset(CopyIcon(icon));
      edit.Check(InsertShortcut(item));
    }
  }
  return edit.Finish();
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? atoi(argv[1]) : 15;
  int shortcuts = argc > 2 ? atoi(argv[2]) : 300;
  if (rounds < 1 || shortcuts < 1) return 2;
  KxRegisterCardClass(GetModuleHandleA(NULL));
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  KxString dir = KxString(temp) + "velix-quick-bench";
  CreateDirectoryA(dir.CStr(), NULL);
  KxString db = dir + "\\Config.db";
  DeleteFileA(db.CStr());
  if (!TheDb.Open(db)) return 1;
  CreateMissingTables();
  if (!FillTree(shortcuts)) return 1;

  KxForm owner(nullptr, "quick bench", KxRect{20, 20, 120, 60}, WS_POPUP | WS_VISIBLE);
  ownerProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(owner.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OwnerProc)));
  SetCursorPos(400, 300);
  Pump();

  std::vector<double> menu, window;
  for (int round = 0; round < rounds + 1; ++round) {
    menuUp = 0;
    double start = BenchNow();
    ShowLauncherMenu(&owner);
    if (menuUp == 0) return 1;
    double menuTime = menuUp - start;
    Pump();

    start = BenchNow();
    ToggleQuickSearch();
    Pump();
    double windowTime = BenchNow() - start;
    FrmQuickSearch* quick = static_cast<FrmQuickSearch*>(
        KxCardRegistry::Find(FindWindowA("KxCardClassName", kQuickSearchCaption)));
    if (!quick || !quick->IsVisible() || quick->Matches().empty()) return 1;
    quick->Dismiss();
    Pump();
    if (round == 0) continue;  // the first round makes the window and warms the caches
    menu.push_back(menuTime);
    window.push_back(windowTime);
  }
  double m = BenchMedian(menu), w = BenchMedian(window);
  double ratio = w / m;
  printf("quick search bench, %d shortcuts in %d groups, %d rounds (medians)\n", shortcuts,
         (shortcuts + 19) / 20, rounds);
  printf("  launcher menu up        %8.2f ms\n", m * 1000);
  printf("  quick search first rows %8.2f ms\n", w * 1000);
  printf("  ratio %.2f (at most %.1f): %s\n", ratio, kAllowedRatio,
         ratio <= kAllowedRatio ? "ok" : "too slow");
  DestroyQuickSearch();
  SetWindowLongPtrA(owner.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ownerProc));
  TheDb.Close();
  DeleteFileA(db.CStr());
  RemoveDirectoryA(dir.CStr());
  return ratio <= kAllowedRatio ? 0 : 3;
}
