// A program that imports zlib from its DLL, and a Windows DLL that is not a KnownDLL:
// the shipped-binary check must refuse both.

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <zlib.h>

int main() {
  ULONG size = 0;
  GetAdaptersInfo(nullptr, &size);
  return zlibVersion()[0] == '1' ? 0 : 1;
}
