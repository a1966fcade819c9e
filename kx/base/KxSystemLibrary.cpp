#include "kx/base/KxSystemLibrary.h"

#include <cstring>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

HMODULE LoadSystemLibrary(const char* fileName) {
  char path[MAX_PATH] = {};
  UINT length = GetSystemDirectoryA(path, MAX_PATH);
  size_t nameLength = fileName ? std::strlen(fileName) : 0;
  if (length == 0 || nameLength == 0 || length + 1 + nameLength >= MAX_PATH) return NULL;
  path[length] = '\\';
  std::memcpy(path + length + 1, fileName, nameLength + 1);
  return LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC SystemLibraryFunction(const char* fileName, const char* function) {
  HMODULE library = LoadSystemLibrary(fileName);
  return library ? GetProcAddress(library, function) : NULL;
}

bool RestrictDllSearchToSystem() {
  using SetDirectoriesCall = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto setDirectories = kernel ? reinterpret_cast<SetDirectoriesCall>(reinterpret_cast<void*>(
                                     GetProcAddress(kernel, "SetDefaultDllDirectories")))
                               : nullptr;
  if (setDirectories && setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  SetDllDirectoryA("");
  return false;
}
