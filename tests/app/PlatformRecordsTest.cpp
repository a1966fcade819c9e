// The record sizes the program passes to the platform are those of the 32-bit build.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

TEST(PlatformRecords, SizesOfThe32BitBuild) {
  if (sizeof(void*) != 4) GTEST_SKIP() << "sizes are fixed for the 32-bit program";
  EXPECT_EQ(48u, sizeof(WNDCLASSEXA));
  EXPECT_EQ(60u, sizeof(SHELLEXECUTEINFOA));
  EXPECT_EQ(508u, sizeof(NOTIFYICONDATAA));
  EXPECT_EQ(24u, sizeof(BITMAP));
  EXPECT_EQ(148u, sizeof(OSVERSIONINFOA));
  EXPECT_EQ(8u, sizeof(INITCOMMONCONTROLSEX));
}
