#include "kx/base/KxSystemLibrary.h"

#include "kx/base/KxFile.h"
#include "kx/base/KxWide.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

HMODULE LoadSystemLibrary(const char* fileName) {
  KxString folder = SystemDirectory();
  if (folder.IsEmpty() || !fileName || !fileName[0]) return NULL;
  return LoadLibraryExW(KxWide(folder + "\\" + fileName), NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC SystemLibraryFunction(const char* fileName, const char* function) {
  HMODULE library = LoadSystemLibrary(fileName);
  return library ? GetProcAddress(library, function) : NULL;
}

bool RestrictDllSearchToSystem() {
  using SetDirectoriesCall = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto setDirectories = kernel ? reinterpret_cast<SetDirectoriesCall>(reinterpret_cast<void*>(
                                     GetProcAddress(kernel, "SetDefaultDllDirectories")))
                               : nullptr;
  if (setDirectories && setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  SetDllDirectoryW(L"");
  return false;
}
