// A program that imports zlib from its DLL, a Windows DLL that is not a KnownDLL, and a
// function Windows 7 forwards to one: the shipped-binary check must refuse all three.

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <zlib.h>

extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

int main() {
  ULONG size = 0;
  GetAdaptersInfo(nullptr, &size);
  char random[4];
  SystemFunction036(random, sizeof random);
  return zlibVersion()[0] == '1' ? 0 : 1;
}
