#include "app/KxLibrary.h"

#include "kx/base/KxWide.h"

bool KxLibrary::Load(const KxString& path) {
  if (path.IsEmpty()) {
    module = NULL;
    return false;
  }
  Free();
  module = LoadLibraryW(KxWide(path));
  return module != NULL;
}

void KxLibrary::Free() {
  if (module) FreeLibrary(module);
  module = NULL;
}

FARPROC KxLibrary::GetProc(const char* name) const {
  // GetProcAddress(NULL, ...) would search the executable itself.
  return module && name ? GetProcAddress(module, name) : NULL;
}
