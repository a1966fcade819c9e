// Window messages reach toolkit objects through the shared procedure in a fixed order.

#include <gtest/gtest.h>

#include <vector>

#include "kx/KxForm.h"

namespace {

class Cards : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
};

std::vector<int> trace;

// Records the override, the listener and the platform's destruction in one trace.
class TracingCard : public KxCard {
public:
  LRESULT WndProc(KxMsg& m) override {
    if (m.msg == WM_USER + 1) trace.push_back(1);
    return KxCard::WndProc(m);
  }
  void OnDestroy() override { trace.push_back(9); }
};

struct Listener {
  int First(KxEvtParam& p) {
    trace.push_back(2);
    lastSender = p.sender;
    return 0;
  }
  int Second(KxEvtParam&) {
    trace.push_back(3);
    return 0;
  }
  KxCard* lastSender = nullptr;
};

TEST_F(Cards, OverrideRunsBeforeTheListenerAndRebindingKeepsOneHandler) {
  TracingCard card;
  ASSERT_TRUE(card.Create(kKxCardClassName, "t", WS_POPUP, KxRect{0, 0, 10, 10}, nullptr));
  EXPECT_EQ(&card, KxCardRegistry::Find(card.hwnd));
  Listener listener;
  BindMsg(card, WM_USER + 1, &listener, &Listener::First);
  trace.clear();
  SendMessageA(card.hwnd, WM_USER + 1, 0, 0);
  EXPECT_EQ((std::vector<int>{1, 2}), trace);
  EXPECT_EQ(&card, listener.lastSender);

  BindMsg(card, WM_USER + 1, &listener, &Listener::Second);
  EXPECT_EQ(1, card.msgHandlers.Count());
  trace.clear();
  SendMessageA(card.hwnd, WM_USER + 1, 0, 0);
  EXPECT_EQ((std::vector<int>{1, 3}), trace);
}

TEST_F(Cards, DestroyingTheObjectSendsItNoDestroyButThePlatformDoes) {
  int before = KxCardRegistry::Count();
  trace.clear();
  {
    TracingCard card;
    ASSERT_TRUE(card.Create(kKxCardClassName, "", WS_POPUP, KxRect{0, 0, 10, 10}, nullptr));
    EXPECT_EQ(before + 1, KxCardRegistry::Count());
  }
  EXPECT_TRUE(trace.empty());
  EXPECT_EQ(before, KxCardRegistry::Count());

  TracingCard card;
  ASSERT_TRUE(card.Create(kKxCardClassName, "", WS_POPUP, KxRect{0, 0, 10, 10}, nullptr));
  DestroyWindow(card.hwnd);
  EXPECT_EQ((std::vector<int>{9}), trace);
}

TEST_F(Cards, EventParametersFollowTheMessageKind) {
  KxCard card;
  struct Case {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    int kind;
    LONG x, y;
    int ctrl, shift, key;
  } cases[] = {
      // Left of and above the window: the words arrive unsigned.
      {WM_LBUTTONDOWN, MK_CONTROL | MK_SHIFT, MAKELPARAM(-3, -4), 0, 0xFFFD, 0xFFFC, 1, 1, 0},
      {WM_MOUSEMOVE, 0, MAKELPARAM(12, 34), 0, 12, 34, 0, 0, 0},
      {WM_KEYDOWN, VK_DELETE, 1 << 24, 1, 0, 0, 1, 0, VK_DELETE},
      {WM_CHAR, 'x', 0, 1, 0, 0, 0, 0, 'x'},
      {WM_KEYUP, 'x', 0, 2, 0, 0, 0, 0, 0},
      {WM_RBUTTONUP, 0, MAKELPARAM(5, 6), 2, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    KxEvtParam p = KxMakeEvtParam(KxMsg{&card, c.msg, c.wParam, c.lParam});
    EXPECT_EQ(c.kind, p.kind) << c.msg;
    EXPECT_EQ(c.x, p.pt.x) << c.msg;
    EXPECT_EQ(c.y, p.pt.y) << c.msg;
    EXPECT_EQ(c.ctrl, p.ctrl) << c.msg;
    EXPECT_EQ(c.shift, p.shift) << c.msg;
    EXPECT_EQ(c.key, p.key) << c.msg;
    EXPECT_EQ(&card, p.sender);
  }
}

TEST_F(Cards, HandlerWithoutObjectAnswersMinusOne) {
  KxEvtMaker<Listener> empty(nullptr, &Listener::First);
  KxEvtParam p;
  EXPECT_EQ(-1, empty.Invoke(p));
}

TEST_F(Cards, RectangleOperationsKeepTheFieldsAndTheWindowInStep) {
  KxForm form(nullptr, "rect", KxRect{30, 40, 200, 150}, WS_POPUP);
  RECT r = form.WindowRect();
  EXPECT_EQ(30, r.left);
  EXPECT_EQ(40, r.top);
  EXPECT_EQ(200, r.right - r.left);
  form.MoveTo(50, 60);
  form.Resize(120, 90);
  r = form.WindowRect();
  EXPECT_EQ(50, form.x);
  EXPECT_EQ(RECT({50, 60, 170, 150}).right, r.right);
  EXPECT_EQ(150, r.bottom);
  form.SetText("标题");
  EXPECT_TRUE(form.GetText() == "标题");
  EXPECT_TRUE(form.GetClassName() == "KxForm");
}

TEST_F(Cards, SystemClassWindowsAreSubclassedAndStillWork) {
  KxForm form(nullptr, "host", KxRect{0, 0, 200, 100}, WS_POPUP);
  TracingCard edit;
  ASSERT_TRUE(edit.Create("EDIT", "abc", WS_CHILD | WS_VISIBLE, KxRect{0, 0, 100, 20}, &form));
  EXPECT_NE(nullptr, edit.prevWndProc);
  trace.clear();
  SendMessageA(edit.hwnd, WM_USER + 1, 0, 0);
  EXPECT_EQ((std::vector<int>{1}), trace);
  EXPECT_TRUE(edit.GetText() == "abc") << "the old procedure must still handle the rest";
}

}  // namespace
