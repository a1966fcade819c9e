#include "kx/base/KxFileDialog.h"

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <commctrl.h>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

#include "kx/base/KxFile.h"
#include "kx/base/KxWide.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"
#include "tests/support/WideNames.h"

namespace {

// GBK second bytes that are ASCII separators: "東" is 96 7C ('|'), "禱" is B6 5C ('\').
const char kBarTrail[] = "東";
const char kBackslashTrail[] = "禱";

struct DialogSearch {
  DWORD thread;
  HWND skip;
  HWND found;
};

BOOL CALLBACK FindDialogOf(HWND window, LPARAM param) {
  DialogSearch* search = reinterpret_cast<DialogSearch*>(param);
  char className[16] = {};
  GetClassNameA(window, className, sizeof(className));
  if (window != search->skip && GetWindowThreadProcessId(window, NULL) == search->thread &&
      IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// A visible dialog box of the thread other than skip, or NULL.
HWND DialogOfThread(DWORD thread, HWND skip) {
  DialogSearch search = {thread, skip, NULL};
  EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectStaticText(HWND window, LPARAM param) {
  char className[16] = {};
  char text[512] = {};
  GetClassNameA(window, className, sizeof(className));
  if (lstrcmpiA(className, "Static") == 0 && GetWindowTextA(window, text, sizeof(text)) > 0)
    *reinterpret_cast<KxString*>(param) += KxString(" \"") + text + "\"";
  return TRUE;
}

// What a dialog that did not close shows: its file-name box and any box it put up.
KxString StuckDialogState(HWND dialog, DWORD thread) {
  char name[MAX_PATH] = {};
  if (!GetDlgItemTextA(dialog, cmb13, name, sizeof(name))) GetDlgItemTextA(dialog, edt1, name, sizeof(name));
  KxString state = KxString("the dialog stayed open; its file name box holds \"") + name + "\"";
  if (HWND box = DialogOfThread(thread, dialog)) {
    state += ", and it shows a box:";
    EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&state));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
  return state;
}

// Runs act on the first dialog box the calling thread shows, from a second thread,
// while the calling thread sits in the dialog's modal loop. A dialog that act does not
// close within a generous time is described and cancelled, so the test fails with what
// it showed instead of waiting forever in the modal loop.
class DialogDriver {
public:
  explicit DialogDriver(std::function<void(HWND)> act)
      : worker(WindowThread([this, act, owner = GetCurrentThreadId()] {
          HWND dialog = NULL;
          found = WaitFor([&] { return (dialog = DialogOfThread(owner, NULL)) != NULL || returned; }, 60000) &&
                  dialog != NULL;
          if (!found) return;
          Sleep(300);  // let the dialog finish filling itself
          act(dialog);
          if (WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 20000)) return;
          stuck = StuckDialogState(dialog, owner);
          fprintf(stderr, "%s\n", stuck.CStr());
          Sleep(500);
          PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        })) {}
  ~DialogDriver() { Join(); }
  // Whether the dialog came and did what act asked of it.
  bool Join() {
    returned = true;  // the dialog call has returned: a dialog not seen by now never comes
    if (worker.joinable()) worker.join();
    if (stuck.Length() > 0) ADD_FAILURE() << stuck.CStr();
    bool done = found && stuck.Length() == 0;
    stuck = "";
    return done;
  }

private:
  bool found = false;
  std::atomic<bool> returned{false};
  KxString stuck;
  std::thread worker;
};

void PressButton(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// The label of the folder tree's selected item.
KxString SelectedFolderLabel(HWND dialog) {
  HWND tree = FindWindowExA(dialog, NULL, "SysTreeView32", NULL);
  if (!tree) return "";
  TVITEMW item = {};
  wchar_t text[MAX_PATH] = {};
  item.mask = TVIF_TEXT;
  item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  if (!item.hItem || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return "";
  return KxFromWide(text);
}

// How many items the explorer layout's file list shows, or -1 without one.
int FileListCount(HWND dialog) {
  HWND view = FindWindowExA(dialog, NULL, "SHELLDLL_DefView", NULL);
  HWND list = view ? FindWindowExA(view, NULL, "SysListView32", NULL) : NULL;
  return list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

}  // namespace

TEST(KxFileDialogTest, FilterListIsZeroSeparated) {
  struct Case {
    KxString text, list;
  } cases[] = {
      {"Text|*.txt", KxString("Text\0*.txt\0", 11)},
      {"A|*.a|B|*.b;*.c", KxString("A\0*.a\0B\0*.b;*.c\0", 16)},
      {"", KxString("\0", 1)},
      {KxString(kBarTrail) + "|*.x", KxString(kBarTrail) + KxString("\0*.x\0", 5)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.CStr());
    EXPECT_EQ(FilterList(c.text), c.list);
  }
  KxOpenFileDialog dialog;
  EXPECT_EQ(dialog.filter, KxString("所有文件(*.*)") + KxString("\0*.*\0", 5));
  EXPECT_EQ(dialog.filterIndex, 0);
  // The list ends in two zeros: its last 0 and the string's terminator.
  EXPECT_EQ(dialog.filter.CStr()[dialog.filter.Length()], 0);
}

TEST(KxFileDialogTest, FolderPathRules) {
  const KxString trail(kBackslashTrail);
  struct Case {
    KxString path, start, chosen;
  } cases[] = {
      {"C:", "C:\\", "C:"},
      {"C:\\", "C:\\", "C:"},
      {"D:\\data", "D:\\data", "D:\\data"},
      {"D:\\data\\", "D:\\data\\", "D:\\data"},
      {"D:\\data\\\\", "D:\\data\\\\", "D:\\data\\"},
      {"", "", ""},
      {"C:\\" + trail, "C:\\" + trail, "C:\\" + trail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.CStr());
    EXPECT_EQ(FolderStartPath(c.path), c.start);
    EXPECT_EQ(WithoutTrailingBackslash(c.path), c.chosen);
  }
}

TEST(KxFileDialogTest, ShowOpenReturnsTheTypedFile) {
  KxString dir = MakeScratchDir("kxdialog-open");
  ASSERT_TRUE(WriteFileBytes(dir + "\\picture.png", "png"));
  // The second file's name and folder were made on the Linux side.
  struct Case {
    KxString folder, path, filter, title;
  } cases[] = {
      {dir, dir + "\\picture.png", "Text|*.txt|Images|*.png", "选择图形文件"},
      {LinuxMadeFolder(), LinuxMadeFile(), "Text|*.txt|" + Gb(kKoreanFolder) + "|*.mp3", Gb(kRareHanzi)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.CStr());
    KxOpenFileDialog dialog;
    dialog.SetFilter(c.filter);
    dialog.filterIndex = 2;
    dialog.initialDirectory = c.folder;
    dialog.title = c.title;
    const KxWide typed(c.path);
    DialogDriver driver([&](HWND window) {
      // Typed only once the folder is listed: filling the list may set the name box.
      WaitFor([&] { return FileListCount(window) != 0; }, 10000);
      // The file-name box is a combo box in the explorer layout and an edit otherwise.
      SetDlgItemTextW(window, cmb13, typed);
      SetDlgItemTextW(window, edt1, typed);
      PressButton(window, IDOK);
    });
    KxString before = CurrentDirectory();
    bool confirmed = dialog.ShowOpen(NULL, true);
    ASSERT_TRUE(driver.Join());
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(dialog.fileName, c.path);
    EXPECT_EQ(dialog.filterIndex, 2);
    EXPECT_EQ(before, CurrentDirectory()) << "the dialog keeps the current folder";
  }
  RemoveTree(dir);
}

TEST(KxFileDialogTest, ShowOpenCancelledKeepsTheRecord) {
  KxOpenFileDialog dialog;
  dialog.fileName = "start.txt";
  dialog.filterIndex = 1;
  DialogDriver driver([](HWND window) { PressButton(window, IDCANCEL); });
  EXPECT_FALSE(dialog.ShowOpen(NULL, false));
  ASSERT_TRUE(driver.Join());
  EXPECT_EQ(dialog.fileName, "start.txt");
  EXPECT_EQ(dialog.filterIndex, 1);
}

TEST(KxFileDialogTest, ChooseFolderStartsAtTheInitialFolder) {
  // Not under %TEMP%: Wine fills the tree level by level, and the scratch folders that
  // other test programs make and remove there meanwhile can make the selection fail.
  KxString name = "velix-kxdialog-" + KxString::FromInt(GetCurrentProcessId());
  KxString dir = "C:\\" + name;
  ASSERT_TRUE(CreateDirectoryA(dir.CStr(), NULL));
  struct Case {
    KxString initial, label, chosen;
  } cases[] = {
      {"C:", "(C:)", "C:"},
      {dir, name, dir},
      {LinuxMadeFolder(), Gb(kKoreanFolder), LinuxMadeFolder()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.initial.CStr());
    // Confirm only once the tree shows the start folder selected.
    DialogDriver driver([&c](HWND window) {
      WaitFor([&] { return SelectedFolderLabel(window).Find(0, c.label) >= 0; }, 5000);
      PressButton(window, IDOK);
    });
    KxString chosen = ChooseFolder(c.initial, NULL);
    EXPECT_TRUE(driver.Join());
    EXPECT_EQ(chosen, c.chosen);
  }

  DialogDriver driver([](HWND window) { PressButton(window, IDCANCEL); });
  EXPECT_EQ(ChooseFolder(dir, NULL), "");
  EXPECT_TRUE(driver.Join());
  RemoveTree(dir);
}
