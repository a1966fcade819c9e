#include "kx/base/KxIconFile.h"

#include <cstdlib>

#include "kx/base/KxFile.h"
#include "kx/base/KxStream.h"
#include "kx/base/KxWide.h"

namespace {

constexpr size_t kDirectoryHeaderBytes = 6;
constexpr size_t kGroupEntryBytes = 14;
constexpr size_t kFileEntryBytes = 16;
// An icon file larger than this is no icon a shortcut is worth reading whole for (a full
// set of images up to 256 by 256 takes a few hundred KB).
constexpr long long kMaxIconFileBytes = 4 << 20;
// The version of the icon format CreateIconFromResourceEx is asked to read.
constexpr DWORD kIconFormatVersion = 0x00030000;
LPCWSTR const kIconType = MAKEINTRESOURCEW(3);        // RT_ICON
LPCWSTR const kGroupIconType = MAKEINTRESOURCEW(14);  // RT_GROUP_ICON

unsigned Word(const unsigned char* p) { return p[0] | p[1] << 8; }

uint32_t Dword(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

const void* ResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type, DWORD& size) {
  HRSRC found = FindResourceW(module, name, type);
  HGLOBAL loaded = found ? LoadResource(module, found) : NULL;
  size = loaded ? SizeofResource(module, found) : 0;
  return loaded && size ? LockResource(loaded) : nullptr;
}

HICON IconFromImage(const void* bytes, DWORD size, int side) {
  return CreateIconFromResourceEx(static_cast<PBYTE>(const_cast<void*>(bytes)), size, TRUE,
                                  kIconFormatVersion, side, side, LR_DEFAULTCOLOR);
}

struct FirstGroup {
  int side;
  HICON icon;
};

BOOL CALLBACK TakeFirstGroup(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR param) {
  FirstGroup* first = reinterpret_cast<FirstGroup*>(param);
  first->icon = KxModuleIconAt(module, name, first->side);
  return FALSE;  // the first group is the file's icon, whether it could be made or not
}

HICON IconFileAt(const KxString& path, int side) {
  KxIoFile file;
  KxString bytes;
  if (!file.OpenForRead(path) || file.Size() > kMaxIconFileBytes || !ReadAll(file, bytes)) return NULL;
  KxIconImage image;
  size_t size = static_cast<size_t>(bytes.Length());
  if (!KxPickIconImage(bytes.CStr(), size, false, side, image)) return NULL;
  if (image.where > size || image.bytes > size - image.where) return NULL;
  return IconFromImage(bytes.CStr() + image.where, image.bytes, side);
}

HICON ModuleFileIconAt(const KxString& path, int side) {
  // As data: no code of the file runs, and its imports are not looked for.
  HMODULE module = LoadLibraryExW(KxWide(path), NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return NULL;
  FirstGroup first = {side, NULL};
  EnumResourceNamesW(module, kGroupIconType, TakeFirstGroup, reinterpret_cast<LONG_PTR>(&first));
  FreeLibrary(module);
  return first.icon;
}

}  // namespace

bool KxIsNearerSide(int candidate, int best, int wanted) {
  if (candidate <= 0) return false;
  if (best <= 0) return true;
  int a = std::abs(candidate - wanted);
  int b = std::abs(best - wanted);
  return a < b || (a == b && candidate > best);
}

bool KxPickIconImage(const void* data, size_t size, bool group, int side, KxIconImage& picked) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  // Reserved 0, type 1 (an icon, not a cursor), the count of entries.
  if (!bytes || size < kDirectoryHeaderBytes || Word(bytes) != 0 || Word(bytes + 2) != 1) return false;
  const size_t stride = group ? kGroupEntryBytes : kFileEntryBytes;
  const size_t count = Word(bytes + 4);
  if (count > (size - kDirectoryHeaderBytes) / stride) return false;
  KxIconImage best;
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* entry = bytes + kDirectoryHeaderBytes + i * stride;
    KxIconImage image;
    image.side = entry[0] ? entry[0] : 256;
    image.bitCount = static_cast<int>(Word(entry + 6));
    image.bytes = Dword(entry + 8);
    image.where = group ? Word(entry + 12) : Dword(entry + 12);
    if (image.bytes == 0) continue;
    if (KxIsNearerSide(image.side, best.side, side) ||
        (image.side == best.side && image.bitCount > best.bitCount))
      best = image;
  }
  if (best.side == 0) return false;
  picked = best;
  return true;
}

HICON KxModuleIconAt(HMODULE module, LPCWSTR group, int side) {
  if (side <= 0) return NULL;
  DWORD size = 0;
  const void* directory = ResourceBytes(module, group, kGroupIconType, size);
  KxIconImage image;
  if (!directory || !KxPickIconImage(directory, size, true, side, image)) return NULL;
  const void* bits = ResourceBytes(module, MAKEINTRESOURCEW(image.where), kIconType, size);
  return bits ? IconFromImage(bits, size, side) : NULL;
}

HICON KxFileIconAt(const KxString& path, int side) {
  if (side <= 0 || path.IsEmpty()) return NULL;
  return EndsWithNoCase(path, ".ico") ? IconFileAt(path, side) : ModuleFileIconAt(path, side);
}

int KxIconSide(HICON icon) {
  ICONINFO info = {};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP mask = {};
  int side = GetObjectW(info.hbmMask, sizeof(mask), &mask) ? mask.bmWidth : 0;
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return side;
}
