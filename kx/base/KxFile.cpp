#include "kx/base/KxFile.h"

#include <windows.h>
#include <shellapi.h>

#include <io.h>
#include <stdio.h>

#include <cstring>
#include <initializer_list>

#include "kx/base/KxHandles.h"

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
  char buffer[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(NULL, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return KxString();
  return KxString(buffer, static_cast<int>(length));
}

KxString ProgramDirectory() {
  KxString path = OwnExecutablePath();
  return path.IsEmpty() ? KxString() : ParentDirectory(path);
}

KxString CurrentDirectory() {
  char buffer[MAX_PATH] = {};
  DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  if (length == 0 || length >= MAX_PATH) return KxString();
  return KxString(buffer, static_cast<int>(length));
}

KxString WindowsDirectory() {
  char buffer[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return KxString();
  return KxString(buffer, static_cast<int>(length));
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
  _finddata_t found;
  intptr_t search = _findfirst(path.CStr(), &found);
  if (search == -1) return false;
  _findclose(search);
  return true;
}

bool IsDirectory(const KxString& path) {
  if (path.Length() < 4 && path.At(1) == ':') return DriveExists(path.At(0));
  if (path.IsEmpty() || HasWildcard(path)) return false;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.CStr(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveFile(const KxString& path) { return remove(path.CStr()) == 0; }

bool FlushToDisk(const KxString& path) {
  KxHandle file(CreateFileA(path.CStr(), GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL));
  if (file.Get() == INVALID_HANDLE_VALUE) return false;
  return FlushFileBuffers(file.Get()) != FALSE;
}

HICON FileSmallIcon(const KxString& path) {
  // The file's own icon is read directly because Wine's shell answers with the generic
  // program icon for every program.
  bool exists = FileExists(path);
  HICON own = NULL;
  if (exists && ExtractIconExA(path.CStr(), 0, NULL, &own, 1) > 0 && own) return own;
  UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME;
  if (!exists) flags |= SHGFI_USEFILEATTRIBUTES;
  SHFILEINFOA info = {};
  if (!SHGetFileInfoA(path.CStr(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), flags)) return NULL;
  return info.hIcon;
}

bool EndsWithNoCase(const KxString& text, const char* end) {
  int n = lstrlenA(end);
  return text.Length() >= n && lstrcmpiA(text.CStr() + text.Length() - n, end) == 0;
}

bool CopyFileTo(const KxString& target, const KxString& source) {
  return CopyFileA(source.CStr(), target.CStr(), FALSE) != 0;
}

bool MoveFileTo(const KxString& target, const KxString& source) {
  // The C runtime's rename may fall back to copy-and-delete between volumes, which can
  // leave a partial target behind that a caller would then take for the moved file.
  // Without MOVEFILE_COPY_ALLOWED the move is a rename or nothing.
  return MoveFileExA(source.CStr(), target.CStr(), 0) != 0;
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
    if (lstrcmpA(stem, device) == 0) return true;
  return end == 4 && (std::memcmp(stem, "COM", 3) == 0 || std::memcmp(stem, "LPT", 3) == 0) &&
         stem[3] >= '0' && stem[3] <= '9';
}
