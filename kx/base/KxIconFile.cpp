#include "kx/base/KxIconFile.h"

#include <cstdlib>
#include <cstring>

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

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// The bytes of one image hold all that its header claims: a PNG file of at most 256 by 256,
// or a DIB of a colour and a mask part whose rows are all there. The platform reads them as
// they say, so a truncated or lying file must never reach it. Its colour depth into bitCount.
bool IsWholeImage(const unsigned char* p, uint32_t size, int& bitCount) {
  if (size >= 24 && std::memcmp(p, kPngSignature, sizeof(kPngSignature)) == 0) {
    // IHDR comes first: its width and height are big-endian after the chunk's length and kind.
    uint32_t w = static_cast<uint32_t>(p[16]) << 24 | p[17] << 16 | p[18] << 8 | p[19];
    uint32_t h = static_cast<uint32_t>(p[20]) << 24 | p[21] << 16 | p[22] << 8 | p[23];
    bitCount = 32;
    return w >= 1 && w <= 256 && h >= 1 && h <= 256;
  }
  if (size < 40 || Dword(p) < 40 || Dword(p) > size) return false;
  const int32_t width = static_cast<int32_t>(Dword(p + 4));
  const int32_t height = static_cast<int32_t>(Dword(p + 8));
  const unsigned planes = Word(p + 12), bits = Word(p + 14);
  const uint32_t compression = Dword(p + 16), used = Dword(p + 32);
  if (width < 1 || width > 256 || height != 2 * width || planes != 1) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  if (compression != BI_RGB && !(compression == BI_BITFIELDS && bits == 32)) return false;
  uint64_t palette = bits <= 8 ? (used ? used : 1u << bits) : 0;
  if (palette > 256) return false;
  uint64_t needed = Dword(p) + palette * 4 + (compression == BI_BITFIELDS ? 12 : 0);
  const uint64_t rows = static_cast<uint64_t>(width);  // the colour part's height, and the mask's
  needed += rows * ((static_cast<uint64_t>(width) * bits + 31) / 32 * 4);
  needed += rows * ((static_cast<uint64_t>(width) + 31) / 32 * 4);
  bitCount = static_cast<int>(bits);
  return needed <= size;
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
  const size_t size = static_cast<size_t>(bytes.Length());
  const unsigned char* start = reinterpret_cast<const unsigned char*>(bytes.CStr());
  auto whole = [&](KxIconImage& candidate) {
    return candidate.where <= size && candidate.bytes <= size - candidate.where &&
           IsWholeImage(start + candidate.where, candidate.bytes, candidate.bitCount);
  };
  if (!KxPickIconImage(start, size, false, side, image, whole)) return NULL;
  return IconFromImage(start + image.where, image.bytes, side);
}

HICON ModuleFileIconAt(const KxString& path, int side) {
  // As data: no code of the file runs, and its imports are not looked for. A name without
  // an extension ends in a dot, or the loader would look for the name with ".dll".
  KxString name = path;
  if (FileNameOf(path, true).Find(0, ".") < 0) name += ".";
  HMODULE module = LoadLibraryExW(KxWide(name), NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
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

bool KxPickIconImage(const void* data, size_t size, bool group, int side, KxIconImage& picked,
                     const std::function<bool(KxIconImage&)>& usable) {
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
    // Only an image that could be made is a candidate: a broken one never hides a good one.
    const bool nearer = KxIsNearerSide(image.side, best.side, side) || image.side == best.side;
    if (!nearer || (usable && !usable(image))) continue;
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
  auto whole = [module](KxIconImage& candidate) {
    DWORD bytes = 0;
    const void* bits = ResourceBytes(module, MAKEINTRESOURCEW(candidate.where), kIconType, bytes);
    return bits && IsWholeImage(static_cast<const unsigned char*>(bits), bytes, candidate.bitCount);
  };
  if (!directory || !KxPickIconImage(directory, size, true, side, image, whole)) return NULL;
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
