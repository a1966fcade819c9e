// The module holder with the probe DLL built beside the tests.

#include <gtest/gtest.h>

#include "app/KxLibrary.h"
#include "tests/support/TestUtil.h"

namespace {

using ProbeAnswerFn = int(__cdecl*)(void);

KxString ProbeDll() { return TestBinDir() + "\\velix_probe.dll"; }
bool ProbeLoaded() { return GetModuleHandleA("velix_probe.dll") != NULL; }

}  // namespace

TEST(KxLibrary, LoadsTheModuleAndFindsItsExport) {
  ASSERT_FALSE(ProbeLoaded());
  KxLibrary library;
  ASSERT_TRUE(library.Load(ProbeDll()));
  EXPECT_EQ(GetModuleHandleA("velix_probe.dll"), library.Handle());

  FARPROC proc = library.GetProc("ProbeAnswer");
  ASSERT_NE(nullptr, reinterpret_cast<void*>(proc));
  ProbeAnswerFn answer = reinterpret_cast<ProbeAnswerFn>(reinterpret_cast<void*>(proc));
  EXPECT_EQ(42, answer());
  EXPECT_EQ(nullptr, reinterpret_cast<void*>(library.GetProc("NoSuchExport")));

  library.Free();
  EXPECT_EQ(static_cast<HMODULE>(NULL), library.Handle());
  EXPECT_FALSE(ProbeLoaded());
}

TEST(KxLibrary, AMissingModuleGivesFalseAndReleasesTheOldOne) {
  KxLibrary library;
  ASSERT_TRUE(library.Load(ProbeDll()));
  EXPECT_FALSE(library.Load(TestBinDir() + "\\velix_no_such.dll"));
  EXPECT_EQ(static_cast<HMODULE>(NULL), library.Handle());
  EXPECT_FALSE(ProbeLoaded());
  EXPECT_EQ(nullptr, reinterpret_cast<void*>(library.GetProc("ProbeAnswer")));
}

TEST(KxLibrary, LoadingAgainReleasesTheModuleAlreadyHeld) {
  {
    KxLibrary library;
    ASSERT_TRUE(library.Load(ProbeDll()));
    ASSERT_TRUE(library.Load(ProbeDll()));
    EXPECT_TRUE(ProbeLoaded());
  }
  // One reference was left after the second load, and the holder released it.
  EXPECT_FALSE(ProbeLoaded());
}

TEST(KxLibrary, AnEmptyPathForgetsTheHandleWithoutReleasingIt) {
  HMODULE module = NULL;
  {
    KxLibrary library;
    ASSERT_TRUE(library.Load(ProbeDll()));
    module = library.Handle();
    EXPECT_FALSE(library.Load(""));
    EXPECT_EQ(static_cast<HMODULE>(NULL), library.Handle());
  }
  EXPECT_TRUE(ProbeLoaded());
  FreeLibrary(module);
  EXPECT_FALSE(ProbeLoaded());
}
