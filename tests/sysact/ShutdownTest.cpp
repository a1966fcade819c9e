// The shut-down commands, with the calls that would end the log-on replaced.

#include <gtest/gtest.h>

#include <vector>

#include "sysact/Shutdown.h"

namespace {

std::vector<UINT> exitFlags;
int dialogs = 0;

BOOL WINAPI RecordExit(UINT flags, DWORD) {
  exitFlags.push_back(flags);
  return FALSE;
}

bool RecordDialog() {
  ++dialogs;
  return true;
}

class Shutdown : public ::testing::Test {
protected:
  void SetUp() override {
    exitFlags.clear();
    dialogs = 0;
    const ShutdownCalls fake = {RecordExit, RecordDialog};
    SetShutdownCalls(&fake);
  }
  void TearDown() override { SetShutdownCalls(nullptr); }
};

TEST_F(Shutdown, RestartAndPowerOffPassTheirFlags) {
  RestartComputer();
  PowerOffNow();
  EXPECT_EQ((std::vector<UINT>{EWX_REBOOT, EWX_POWEROFF}), exitFlags);
  EXPECT_EQ(0, dialogs);
  ShowShutdownDialog();
  EXPECT_EQ(1, dialogs);
  EXPECT_EQ(2u, exitFlags.size());
}

TEST_F(Shutdown, PrivilegeIsEnabledInTheProcessToken) {
  EnableShutdownPrivilege();
  HANDLE token = NULL;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  LUID shutdown;
  ASSERT_TRUE(LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &shutdown));
  PRIVILEGE_SET query = {};
  query.PrivilegeCount = 1;
  query.Privilege[0].Luid = shutdown;
  BOOL held = FALSE;
  EXPECT_TRUE(PrivilegeCheck(token, &query, &held));
  EXPECT_TRUE(held);
  CloseHandle(token);
}

}  // namespace
