// The first adapter's address, as the system lists the adapters.

#include <gtest/gtest.h>

#include <windows.h>
#include <iphlpapi.h>

#include <cstdio>
#include <memory>

#include "net/KxAdapters.h"

TEST(Adapters, TheFirstAddressIsTheFirstAdaptersAsText) {
  ULONG size = 0;
  DWORD rc = GetAdaptersInfo(nullptr, &size);
  if (rc != ERROR_BUFFER_OVERFLOW) {
    EXPECT_TRUE(FirstAdapterAddress().IsEmpty()) << "no adapter, no address";
    return;
  }
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[size]);
  IP_ADAPTER_INFO* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get());
  ASSERT_EQ(static_cast<DWORD>(NO_ERROR), GetAdaptersInfo(first, &size));
  char expected[32];
  const BYTE* a = first->Address;
  std::snprintf(expected, sizeof(expected), "%02x %02x %02x %02x %02x %02x ", a[0], a[1], a[2],
                a[3], a[4], a[5]);
  EXPECT_STREQ(expected, FirstAdapterAddress().CStr());
}
