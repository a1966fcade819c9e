// The record sizes the program passes to the platform are the ones Windows defines for the
// build's architecture: a packing or header mistake shows here first. The tray's and the
// open-file dialog's records are asserted where they are filled in.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

TEST(PlatformRecords, SizesOfTheBuildsArchitecture) {
  const bool is32 = sizeof(void*) == 4;
  struct Case {
    const char* record;
    size_t size;
    size_t size32;
    size_t size64;
  } cases[] = {
      {"WNDCLASSEXA", sizeof(WNDCLASSEXA), 48, 80},
      {"SHELLEXECUTEINFOA", sizeof(SHELLEXECUTEINFOA), 60, 112},
      {"BITMAP", sizeof(BITMAP), 24, 32},
      {"OSVERSIONINFOA", sizeof(OSVERSIONINFOA), 148, 148},
      {"INITCOMMONCONTROLSEX", sizeof(INITCOMMONCONTROLSEX), 8, 8},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(is32 ? c.size32 : c.size64, c.size) << c.record;
  }
}
