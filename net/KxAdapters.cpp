#include "net/KxAdapters.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstring>
#include <memory>
#include <new>

#include "kx/base/KxSystemLibrary.h"

namespace {

// The system's fixed-size text fields, read no further than their size.
template <size_t N>
KxString FieldText(const char (&field)[N]) {
  return KxString(field, static_cast<int>(strnlen(field, N)));
}

using GetAdaptersInfoCall = ULONG(WINAPI*)(IP_ADAPTER_INFO*, ULONG*);

// The helper library is not one the system maps for every process, so an import of it
// would be looked for beside the program first: it is loaded from the system folder at
// the first use and stays loaded.
GetAdaptersInfoCall AdaptersInfoFunction() {
  static GetAdaptersInfoCall call = reinterpret_cast<GetAdaptersInfoCall>(
      reinterpret_cast<void*>(SystemLibraryFunction("iphlpapi.dll", "GetAdaptersInfo")));
  return call;
}

}  // namespace

KxString AdapterAddressText(const unsigned char* bytes) {
  KxString text;
  for (int i = 0; i < 6; ++i) {
    text += KxString::ByteToHex(bytes[i]);
    text += " ";
  }
  return text;
}

void ListAdapters(KxAdapterList& list) {
  list.Clear();
  GetAdaptersInfoCall getAdaptersInfo = AdaptersInfoFunction();
  if (!getAdaptersInfo) return;
  ULONG size = 0;
  if (getAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return;
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]);
  if (!buffer) return;
  IP_ADAPTER_INFO* adapters = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get());
  if (getAdaptersInfo(adapters, &size) != NO_ERROR) return;
  for (const IP_ADAPTER_INFO* a = adapters; a; a = a->Next) {
    KxAdapterInfo info;
    info.name = FieldText(a->AdapterName);
    info.description = FieldText(a->Description);
    // Six bytes whatever the address length: the identity text has a fixed form.
    info.address = AdapterAddressText(a->Address);
    info.dhcpEnabled = a->DhcpEnabled != 0;
    info.hasWins = a->HaveWins != 0;
    info.type = static_cast<int>(a->Type);
    if (!list.Add(info)) return;
  }
}

KxString FirstAdapterAddress() {
  KxAdapterList list;
  ListAdapters(list);
  const KxAdapterInfo* first = list.At(0);
  return first ? first->address : KxString();
}
