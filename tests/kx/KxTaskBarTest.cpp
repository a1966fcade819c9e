// The tray icon against the real notification area of Wine's virtual desktop: the shell
// accepts a change (NIM_MODIFY) only for an icon it holds.

#include <gtest/gtest.h>

#include <string>

#include "kx/KxForm.h"
#include "kx/KxTaskBar.h"
#include "tests/support/GuiTestUtil.h"

namespace {

class Tray : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override { owner = new KxForm(nullptr, "tray owner", KxRect{0, 0, 50, 50}, WS_POPUP); }
  void TearDown() override { delete owner; }

  // Whether the shell holds our icon: a modification succeeds only then.
  bool ShellHasIcon() {
    NOTIFYICONDATAA probe = {};
    probe.cbSize = sizeof(probe);
    probe.hWnd = owner->hwnd;
    probe.uID = 0;
    probe.uFlags = NIF_TIP;
    lstrcpyA(probe.szTip, "Velix");
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
  }
  KxForm* owner = nullptr;
};

TEST_F(Tray, AddFillsTheRecordAndTheShellHoldsTheIcon) {
  KxTaskBar tray;
  ASSERT_TRUE(tray.Add(owner->hwnd, "Velix", 0));
  const NOTIFYICONDATAW* data = tray.Data();
  // The whole current wide record: 956 bytes in a 32-bit program, 976 in a 64-bit one.
  EXPECT_EQ(sizeof(void*) == 4 ? 956u : 976u, data->cbSize);
  EXPECT_EQ(owner->hwnd, data->hWnd);
  EXPECT_EQ(0u, data->uID);
  EXPECT_EQ(7u, data->uFlags);
  EXPECT_EQ(2024u, data->uCallbackMessage);
  EXPECT_STREQ(L"Velix", data->szTip);
  EXPECT_TRUE(ShellHasIcon());
}

TEST_F(Tray, HideAndShowRemoveAndRestoreTheSameIcon) {
  KxTaskBar tray;
  ASSERT_TRUE(tray.Add(owner->hwnd, "Velix", 0));
  tray.Toggle();
  EXPECT_TRUE(tray.IsHidden());
  EXPECT_FALSE(ShellHasIcon());
  tray.Hide();  // already hidden: nothing
  EXPECT_TRUE(tray.IsHidden());
  tray.Toggle();
  EXPECT_FALSE(tray.IsHidden());
  EXPECT_TRUE(ShellHasIcon());
  EXPECT_STREQ(L"Velix", tray.Data()->szTip);
  EXPECT_TRUE(tray.ShowBalloon("Velix", "Velix"));
}

TEST_F(Tray, DestructionRemovesTheIcon) {
  {
    KxTaskBar tray;
    ASSERT_TRUE(tray.Add(owner->hwnd, "Velix", 0));
  }
  EXPECT_FALSE(ShellHasIcon());
}

TEST_F(Tray, RefusedAddsLeaveNothingToAct) {
  KxTaskBar tray;
  std::string tip(65, 'x');
  EXPECT_FALSE(tray.Add(owner->hwnd, tip.c_str(), 0));
  EXPECT_FALSE(tray.IsAdded());
  EXPECT_FALSE(ShellHasIcon());
  EXPECT_FALSE(tray.ShowBalloon("a", "b"));
  std::string longest(64, 'y');
  EXPECT_TRUE(tray.Add(owner->hwnd, longest.c_str(), 0));

  KxTaskBar orphan;
  EXPECT_FALSE(orphan.Add(NULL, "Velix", 0));
  orphan.Hide();
  EXPECT_FALSE(orphan.IsHidden());
}

}  // namespace
