#include "kx/base/KxFile.h"

#include <windows.h>

KxString ProgramDirectory() {
  char buffer[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(NULL, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return KxString();
  return ParentDirectory(KxString(buffer, static_cast<int>(length)));
}

KxString ParentDirectory(const KxString& path) {
  int slash = path.FindLast('\\');
  return slash > 0 ? path.Mid(slash, 0) : KxString();
}

KxString FileNameOf(const KxString& path, bool withExtension) {
  int cut = path.FindLast('\\');
  int forward = path.FindLast('/');
  if (forward > cut) cut = forward;
  KxString name = path.Mid(-1, cut + 1);
  if (!withExtension) {
    int dot = name.Find(0, ".");
    if (dot >= 0) name.Resize(dot);
  }
  return name;
}
