// The two message boxes, found and answered by a second thread as a user would.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/KxApp.h"
#include "app/KxDialogs.h"
#include "kx/base/KxModal.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"

namespace {

// What the watcher saw of the box before it pressed a button.
struct BoxSeen {
  bool found = false;
  HWND owner = NULL;
  DWORD exStyle = 0;
  bool text = false;
  HICON icon = NULL;
  bool ok = false, yes = false, no = false, cancel = false;
  bool closed = false;  // by the watcher's own action
};

struct FindBox {
  const char* caption;
  HWND box;
};

BOOL CALLBACK FindOwnBox(HWND hwnd, LPARAM lParam) {
  FindBox* find = reinterpret_cast<FindBox*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char className[32] = {};
  char caption[64] = {};
  GetClassNameA(hwnd, className, sizeof(className));
  GetWindowTextA(hwnd, caption, sizeof(caption));
  if (pid == GetCurrentProcessId() && lstrcmpA(className, "#32770") == 0 &&
      lstrcmpA(caption, find->caption) == 0 && IsWindowVisible(hwnd)) {
    find->box = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct TextSearch {
  const char* text;
  bool found;
  HICON icon;
};

BOOL CALLBACK InspectChild(HWND child, LPARAM lParam) {
  TextSearch* search = reinterpret_cast<TextSearch*>(lParam);
  char text[256] = {};
  GetWindowTextA(child, text, sizeof(text));
  if (lstrcmpA(text, search->text) == 0) search->found = true;
  DWORD_PTR icon = 0;
  if (SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon) && icon) {
    search->icon = reinterpret_cast<HICON>(icon);
  }
  return TRUE;
}

// Closes the box with WM_CLOSE instead of a button.
const int kCloseBox = 0;

// Waits for the box, records it, then sends button a click; the box's thread is the test's.
class BoxWatcher {
public:
  BoxWatcher(const char* caption, const char* text, int button)
      : worker(WindowThread([=] { Watch(caption, text, button); })) {}
  ~BoxWatcher() {
    if (worker.joinable()) worker.join();
  }
  // Waits for the watcher to finish with the box and gives what it saw.
  BoxSeen Finish() {
    worker.join();
    return seen;
  }

private:
  void Watch(const char* caption, const char* text, int button) {
    FindBox find{caption, NULL};
    WaitFor([&] {
      EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&find));
      return find.box != NULL;
    }, 10000);
    if (!find.box) return;
    seen.found = true;
    // The box turns topmost as it activates, which may come just after it shows.
    WaitFor([&] { return (GetWindowLongA(find.box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 1000);
    seen.owner = GetWindow(find.box, GW_OWNER);
    seen.exStyle = static_cast<DWORD>(GetWindowLongA(find.box, GWL_EXSTYLE));
    TextSearch search{text, false, NULL};
    EnumChildWindows(find.box, InspectChild, reinterpret_cast<LPARAM>(&search));
    seen.text = search.found;
    seen.icon = search.icon;
    seen.ok = GetDlgItem(find.box, IDOK) != NULL;
    seen.yes = GetDlgItem(find.box, IDYES) != NULL;
    seen.no = GetDlgItem(find.box, IDNO) != NULL;
    seen.cancel = GetDlgItem(find.box, IDCANCEL) != NULL;
    HWND control = button == kCloseBox ? NULL : GetDlgItem(find.box, button);
    if (button == kCloseBox) {
      PostMessageA(find.box, WM_CLOSE, 0, 0);
    } else if (control) {
      PostMessageA(control, BM_CLICK, 0, 0);
    } else {
      PostMessageA(find.box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    }
    // A box left open would keep the test thread in its modal loop for ever.
    seen.closed = WaitFor([&] { return !IsWindow(find.box); }, 5000);
    if (!seen.closed) {
      PostMessageA(find.box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
      PostMessageA(find.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
  }

  BoxSeen seen;
  std::thread worker;
};

bool AskAndAnswer(int button, BoxSeen* seen) {
  bool answer;
  {
    BoxWatcher watcher("询问", "要继续吗?", button);
    answer = AskYesNo("要继续吗?");
    if (seen) *seen = watcher.Finish();
  }
  return answer;
}

}  // namespace

TEST(KxDialogs, ShowInfoIsATopmostNoticeWithOnlyOk) {
  ASSERT_EQ(nullptr, TheApp);
  BoxSeen seen;
  {
    BoxWatcher watcher("提示", "已保存。", IDOK);
    ShowInfo("已保存。");
    seen = watcher.Finish();
  }
  ASSERT_TRUE(seen.found);
  EXPECT_TRUE(seen.exStyle & WS_EX_TOPMOST);
  EXPECT_EQ(static_cast<HWND>(NULL), seen.owner);
  EXPECT_TRUE(seen.text);
  EXPECT_EQ(LoadIconA(NULL, IDI_INFORMATION), seen.icon);
  EXPECT_TRUE(seen.ok);
  EXPECT_FALSE(seen.yes || seen.no);
}

TEST(KxDialogs, AskYesNoIsATopmostQuestionWithYesAndNo) {
  BoxSeen seen;
  EXPECT_TRUE(AskAndAnswer(IDYES, &seen));
  ASSERT_TRUE(seen.found);
  EXPECT_TRUE(seen.exStyle & WS_EX_TOPMOST);
  EXPECT_TRUE(seen.text);
  EXPECT_EQ(LoadIconA(NULL, IDI_QUESTION), seen.icon);
  EXPECT_TRUE(seen.yes && seen.no);
  EXPECT_FALSE(seen.ok || seen.cancel);
}

TEST(KxDialogs, AskYesNoIsTrueOnlyForYes) {
  struct Case {
    int button;
    bool answer;
  } cases[] = {{IDYES, true}, {IDNO, false}, {IDCANCEL, false}, {kCloseBox, false}, {IDYES, true}};
  for (const Case& c : cases) {
    BoxSeen seen;
    EXPECT_EQ(c.answer, AskAndAnswer(c.button, &seen)) << c.button;
    EXPECT_TRUE(seen.found) << c.button;
    EXPECT_TRUE(seen.closed) << c.button;
  }
}

TEST(KxDialogs, TheActiveWindowElseTheMainFormsWindowOwnsTheBoxes) {
  KxApp app(GetModuleHandleA(NULL), "");
  KxRegisterCardClass(GetModuleHandleA(NULL));  // false when another test registered it
  KxRect rect;
  rect.x = 10;
  rect.y = 10;
  rect.width = 300;
  rect.height = 200;
  {
    KxForm form(nullptr, "主窗体", rect, WS_OVERLAPPEDWINDOW);
    ASSERT_NE(static_cast<HWND>(NULL), form.hwnd);

    BoxSeen seen;
    AskAndAnswer(IDNO, &seen);
    EXPECT_EQ(static_cast<HWND>(NULL), seen.owner);  // no main form yet

    app.mainForm = &form;
    AskAndAnswer(IDNO, &seen);
    EXPECT_EQ(form.hwnd, seen.owner);
    {
      BoxWatcher watcher("提示", "x", IDOK);
      ShowInfo("x");
      seen = watcher.Finish();
    }
    EXPECT_EQ(form.hwnd, seen.owner);

    // A window of ours the person works in, such as the settings window, takes no input
    // while the box it brought up is there.
    KxForm working(nullptr, "设置", rect, WS_OVERLAPPEDWINDOW);
    working.Show();
    SetActiveWindow(working.hwnd);
    {
      BoxWatcher watcher("提示", "x", IDOK);
      ShowInfo("x");
      seen = watcher.Finish();
    }
    EXPECT_EQ(working.hwnd, seen.owner);
    app.mainForm = nullptr;
  }
}

VOID CALLBACK EndRunsOnTick(HWND, UINT, UINT_PTR, DWORD) {
  if (KxModalDepth() > 0) KxEndModalRuns();
}

// An exit ends a box with the answer that changes nothing, from inside the box's own run,
// where the exit's hotkey or request arrives.
TEST(KxDialogs, AnExitAnswersOkAndNo) {
  struct {
    const char* caption;
    bool (*show)();
  } boxes[] = {
      {"提示", [] { ShowInfo("x"); return true; }},
      {"询问", [] { return AskYesNo("x"); }},
  };
  for (const auto& box : boxes) {
    std::atomic<bool> up{false};
    std::atomic<bool> ended{false};
    std::thread look = WindowThread([&] {
      FindBox find{box.caption, NULL};
      up = WaitFor([&] {
        EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&find));
        return find.box != NULL;
      }, 10000);
      ended = WaitFor([&] { return !IsWindow(find.box); }, 5000);
      if (!ended) PostMessageA(find.box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);  // not to hang
    });
    UINT_PTR timer = SetTimer(NULL, 0, 200, EndRunsOnTick);
    bool answer = box.show();
    KillTimer(NULL, timer);
    look.join();
    EXPECT_TRUE(up) << box.caption;
    EXPECT_TRUE(ended) << box.caption;
    EXPECT_EQ(lstrcmpA(box.caption, "提示") == 0, answer) << box.caption;
    EXPECT_EQ(0, KxModalDepth());
  }
}
