#pragma once
// The machine's network adapters as the system lists them; the first one's hardware
// address identifies the machine.

#include "kx/base/KxList.h"
#include "kx/base/KxString.h"

struct KxAdapterInfo {
  KxString name;
  KxString description;
  KxString address;  // AdapterAddressText of the hardware address
  bool dhcpEnabled = false;
  bool hasWins = false;
  int type = 0;  // as the system reports it (MIB_IF_TYPE_...)
};

using KxAdapterList = KxList<KxAdapterInfo>;

// The first six bytes, each as two lower-case hex digits and a blank ("00 1a 2b 3c 4d 5e ").
KxString AdapterAddressText(const unsigned char* bytes);
// Replaces list with the adapters in the system's order; empty when there are none or the
// system cannot list them.
void ListAdapters(KxAdapterList& list);
// The first adapter's address text; empty when there is no adapter.
KxString FirstAdapterAddress();
