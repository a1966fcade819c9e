#pragma once
// Holds one loaded module. The holder owns the module: Free, a new Load and the destructor
// release it; Load with an empty path gives the handle up without releasing it.

#include <windows.h>

#include "kx/base/KxString.h"

class KxLibrary {
public:
  KxLibrary() = default;
  KxLibrary(const KxLibrary&) = delete;
  KxLibrary& operator=(const KxLibrary&) = delete;
  ~KxLibrary() { Free(); }

  // Releases a module already held, then loads path; true when a module was loaded.
  // An empty path only forgets the held handle (the module stays loaded) and gives false.
  bool Load(const KxString& path);
  void Free();
  // NULL when no module is held or it has no such export.
  FARPROC GetProc(const char* name) const;
  HMODULE Handle() const { return module; }

private:
  HMODULE module = NULL;
};
