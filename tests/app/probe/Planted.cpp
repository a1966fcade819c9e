// iphlpapi.dll in name only, for the DLL search test: loaded into a process, it leaves
// planted-loaded.txt in its own folder, and it exports nothing a real import would find.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  while (length > 0 && path[length - 1] != '\\') --length;
  if (length == 0 || length + 20 >= MAX_PATH) return TRUE;
  lstrcpyA(path + length, "planted-loaded.txt");
  HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  return TRUE;
}
