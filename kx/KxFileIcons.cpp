#include "kx/KxFileIcons.h"

#include "kx/base/KxIconFile.h"
#include "kx/base/KxList.h"
#include "kx/base/KxWide.h"

namespace {

struct FileIcon {
  unsigned hash;
  int side;
  KxString path;
  HICON icon;  // NULL: the file has none
};

// Owns the icons it holds until the process ends.
struct FileIcons {
  ~FileIcons() {
    for (FileIcon& entry : entries)
      if (entry.icon) DestroyIcon(entry.icon);
  }
  KxList<FileIcon> entries;
};

FileIcons& Icons() {
  static FileIcons icons;
  return icons;
}

// FNV-1a: the walk over the entries compares a number before it compares a path.
unsigned HashOf(const KxString& path) {
  unsigned hash = 2166136261u;
  for (int i = 0; i < path.Length(); ++i) hash = (hash ^ static_cast<unsigned char>(path.At(i))) * 16777619u;
  return hash;
}

// Files whose bytes may first have to come from elsewhere: a cloud placeholder, an archived
// file, a link that may lead to another drive.
constexpr DWORD kFetchedAttributes = FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_REPARSE_POINT |
                                     0x00040000 /* recall on open */ | 0x00400000 /* recall on data access */;

// A file of its own on a fixed drive or a RAM disk ("X:\..."): the only files read while a
// window waits.
bool ReadsAtOnce(const KxString& path) {
  char letter = path.At(0);
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z' || path.At(1) != ':' || path.At(2) != '\\') return false;
  const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
  UINT type = GetDriveTypeW(root);
  if (type != DRIVE_FIXED && type != DRIVE_RAMDISK) return false;
  DWORD attributes = GetFileAttributesW(KxWide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & kFetchedAttributes);
}

}  // namespace

HICON KxCachedFileIcon(const KxString& path, int side) {
  KxList<FileIcon>& entries = Icons().entries;
  unsigned hash = HashOf(path);
  for (const FileIcon& entry : entries)
    if (entry.hash == hash && entry.side == side && entry.path == path) return entry.icon;
  if (entries.Count() >= static_cast<int>(kKxFileIconsHeld)) return NULL;
  HICON icon = ReadsAtOnce(path) ? KxFileIconAt(path, side) : NULL;
  if (!entries.Add(FileIcon{hash, side, path, icon}) && icon) {
    DestroyIcon(icon);
    return NULL;
  }
  return icon;
}
