#include "kx/base/KxFile.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <initializer_list>

#include "kx/base/KxHandles.h"
#include "kx/base/KxIconFile.h"
#include "kx/base/KxWide.h"

namespace {

bool HasWildcard(const KxString& path) {
  // '*' and '?' are below 0x40, so they are never the second byte of a GBK character.
  return path.Find(0, "*") >= 0 || path.Find(0, "?") >= 0;
}

bool DriveExists(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return false;
  return (GetLogicalDrives() >> (letter - 'A')) & 1;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

int FindLastChar(const KxString& text, char ch) {
  int found = -1;
  const char* bytes = text.CStr();
  for (int i = 0; i < text.Length(); i += KxCharLength(text, i)) {
    if (bytes[i] == ch) found = i;
  }
  return found;
}

KxString OwnExecutablePath() {
  return KxWideAnswer([](wchar_t* buffer, DWORD capacity) { return GetModuleFileNameW(NULL, buffer, capacity); });
}

KxString CommandTailOf(const KxString& line) {
  // A quote, a blank and a tab are below 0x40: never the second byte of a character.
  int at = 0;
  if (line.At(0) == '"') {
    at = line.Find(1, "\"");
    at = at < 0 ? line.Length() : at + 1;
  } else {
    while (at < line.Length() && line.At(at) != ' ' && line.At(at) != '\t') ++at;
  }
  while (line.At(at) == ' ' || line.At(at) == '\t') ++at;
  return line.Mid(-1, at);
}

KxString OwnCommandTail() { return CommandTailOf(KxFromWide(GetCommandLineW())); }

KxString ProgramDirectory() {
  KxString path = OwnExecutablePath();
  return path.IsEmpty() ? KxString() : ParentDirectory(path);
}

KxString CurrentDirectory() {
  return KxWideAnswer([](wchar_t* buffer, DWORD capacity) { return GetCurrentDirectoryW(capacity, buffer); });
}

bool ChangeCurrentDirectory(const KxString& path) { return SetCurrentDirectoryW(KxWide(path)) != FALSE; }

KxString WindowsDirectory() {
  return KxWideAnswer([](wchar_t* buffer, DWORD capacity) -> DWORD { return GetWindowsDirectoryW(buffer, capacity); });
}

KxString SystemDirectory() {
  return KxWideAnswer([](wchar_t* buffer, DWORD capacity) -> DWORD { return GetSystemDirectoryW(buffer, capacity); });
}

KxString FullPathOf(const KxString& path) {
  if (path.IsEmpty()) return KxString();
  KxWide wide(path);
  return KxWideAnswer([&wide](wchar_t* buffer, DWORD capacity) {
    return GetFullPathNameW(wide, capacity, buffer, NULL);
  });
}

KxString LongPathOf(const KxString& path) {
  if (path.IsEmpty()) return KxString();
  KxWide wide(path);
  return KxWideAnswer([&wide](wchar_t* buffer, DWORD capacity) { return GetLongPathNameW(wide, buffer, capacity); });
}

KxString ParentDirectory(const KxString& path) {
  int slash = FindLastChar(path, '\\');
  return slash > 0 ? path.Mid(slash, 0) : KxString();
}

KxString FileNameOf(const KxString& path, bool withExtension) {
  int cut = FindLastChar(path, '\\');
  int forward = FindLastChar(path, '/');
  if (forward > cut) cut = forward;
  KxString name = path.Mid(-1, cut + 1);
  if (!withExtension) {
    int dot = name.Find(0, ".");
    if (dot >= 0) name.Resize(dot);
  }
  return name;
}

bool IsAddress(const KxString& text) {
  int colon = 0;
  for (; colon < text.Length(); ++colon) {
    char c = text.At(colon);
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!letter && !(other && colon > 0)) break;
  }
  return colon >= 2 && text.At(colon) == ':';
}

bool FileExists(const KxString& path) {
  if (path.IsEmpty() || HasWildcard(path)) return false;
  KxFindFiles found(path);
  return found.Next();
}

bool IsDirectory(const KxString& path) {
  if (path.Length() < 4 && path.At(1) == ':') return DriveExists(path.At(0));
  if (path.IsEmpty() || HasWildcard(path)) return false;
  KxFindFiles found(path);
  return found.Next() && found.IsDirectory();
}

bool RemoveFile(const KxString& path) { return DeleteFileW(KxWide(path)) != FALSE; }

bool MakeDirectory(const KxString& path) { return CreateDirectoryW(KxWide(path), NULL) != FALSE; }

DWORD FileAttributesOf(const KxString& path) { return GetFileAttributesW(KxWide(path)); }

bool SetFileAttributesOf(const KxString& path, DWORD attributes) {
  return SetFileAttributesW(KxWide(path), attributes) != FALSE;
}

KxFindFiles::KxFindFiles(const KxString& pattern) : pattern(pattern) {}

KxFindFiles::~KxFindFiles() {
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

bool KxFindFiles::Next() {
  if (!started) {
    started = true;
    search = FindFirstFileW(KxWide(pattern), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
  } else if (search == INVALID_HANDLE_VALUE || !FindNextFileW(search, &found)) {
    return false;
  }
  name = KxFromWide(found.cFileName);
  return true;
}

bool FlushToDisk(const KxString& path) {
  KxHandle file(CreateFileW(KxWide(path), GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL));
  if (file.Get() == INVALID_HANDLE_VALUE) return false;
  return FlushFileBuffers(file.Get()) != FALSE;
}

HICON FileSmallIcon(const KxString& path) {
  // The file's own icon is read directly because Wine's shell answers with the generic
  // program icon for every program.
  bool exists = FileExists(path);
  if (exists) {
    if (HICON own = KxFileIconAt(path, kFileSmallIconSide)) return own;
  }
  UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME;
  if (!exists) flags |= SHGFI_USEFILEATTRIBUTES;
  SHFILEINFOW info = {};
  if (!SHGetFileInfoW(KxWide(path), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), flags)) return NULL;
  // The shell's small icons have the system's small side (24 by 24 at 150 %).
  if (!info.hIcon || KxIconSide(info.hIcon) == kFileSmallIconSide) return info.hIcon;
  HICON fitted = static_cast<HICON>(
      CopyImage(info.hIcon, IMAGE_ICON, kFileSmallIconSide, kFileSmallIconSide, 0));
  DestroyIcon(info.hIcon);
  return fitted;  // NULL rather than an icon of another side, which would be stored
}

bool EndsWithNoCase(const KxString& text, const char* end) {
  int n = static_cast<int>(std::strlen(end));
  int at = text.Length() - n;
  if (at < 0 || KxIsInsideChar(text, at)) return false;
  for (int i = 0; i < n; ++i) {
    if (AsciiUpper(text.At(at + i)) != AsciiUpper(end[i])) return false;
  }
  return true;
}

bool CopyFileTo(const KxString& target, const KxString& source) {
  return CopyFileW(KxWide(source), KxWide(target), FALSE) != 0;
}

bool MoveFileTo(const KxString& target, const KxString& source) {
  // The C runtime's rename may fall back to copy-and-delete between volumes, which can
  // leave a partial target behind that a caller would then take for the moved file.
  // Without MOVEFILE_COPY_ALLOWED the move is a rename or nothing.
  return MoveFileWith(target, source, 0);
}

bool MoveFileWith(const KxString& target, const KxString& source, DWORD flags) {
  return MoveFileExW(KxWide(source), KxWide(target), flags) != FALSE;
}

bool RenameIfDifferent(const KxString& target, const KxString& source) {
  if (target == source) return false;
  return MoveFileTo(target, source);
}

bool IsDeviceName(const KxString& fileName) {
  int dot = fileName.Find(0, ".");
  int end = dot >= 0 ? dot : fileName.Length();
  while (end > 0 && fileName.At(end - 1) == ' ') --end;
  char stem[8] = {};
  if (end < 3 || end > 7) return false;
  for (int i = 0; i < end; ++i) {
    char c = fileName.At(i);
    stem[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (std::strcmp(stem, device) == 0) return true;
  return end == 4 && (std::memcmp(stem, "COM", 3) == 0 || std::memcmp(stem, "LPT", 3) == 0) &&
         stem[3] >= '0' && stem[3] <= '9';
}
