// velix_hotkey_holder.exe MODIFIERS KEY: another program that holds one global hotkey
// for up to a minute, or until it is ended.

#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  UINT modifiers = static_cast<UINT>(std::strtoul(argv[1], nullptr, 0));
  UINT key = static_cast<UINT>(std::strtoul(argv[2], nullptr, 0));
  if (!RegisterHotKey(NULL, 1, modifiers, key)) return 3;
  DWORD end = GetTickCount() + 60000;
  MSG msg;
  while (GetTickCount() < end) {
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(20);
  }
  UnregisterHotKey(NULL, 1);
  return 0;
}
