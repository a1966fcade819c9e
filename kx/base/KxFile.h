#pragma once
// Paths of the running program, plain path arithmetic on the program's GB18030 path texts
// and the file tests, copies, moves and searches the rest of the program uses. Every call
// that hands a path to Windows or takes one from it is a wide one (kx/base/KxWide.h), so a
// name outside the system's code page arrives whole. Separators are found character by
// character, so the second byte of a double-byte character (which may be 0x5C, the
// backslash) never counts as one.

#include <windows.h>

#include "kx/base/KxString.h"

// The running executable's full path; empty when it cannot be read.
KxString OwnExecutablePath();
// The process's command line after the program's own name and the blanks behind it, as
// WinMain's line is, read through the wide call.
KxString OwnCommandTail();
// The part of line after its first word (quoted or not) and the blanks behind it.
KxString CommandTailOf(const KxString& line);
// Folder of the running executable, without a trailing backslash.
KxString ProgramDirectory();
KxString CurrentDirectory();
bool ChangeCurrentDirectory(const KxString& path);
KxString WindowsDirectory();
KxString SystemDirectory();
// The full form of path, made against the current directory; empty when it has none.
KxString FullPathOf(const KxString& path);
// path with every short (8.3) name in it in its long form; empty when path is missing.
KxString LongPathOf(const KxString& path);
// Everything before the last backslash; empty when there is none after position 0.
KxString ParentDirectory(const KxString& path);
// The text after the last backslash or slash, whichever is later; without the extension
// it is cut at the first "." of that name.
KxString FileNameOf(const KxString& path, bool withExtension);

// An address rather than a path: a scheme of two or more ASCII letters, digits, "+", "-"
// or "." that starts with a letter, then ":" ("http://...", "mailto:..."). A drive letter
// is one letter, so "C:\..." is none.
bool IsAddress(const KxString& text);

// A file or a directory is there. A path with a wildcard names nothing.
bool FileExists(const KxString& path);
// "X:", "X:\" and other paths under 4 bytes with ":" second: that drive exists.
// Anything else: found, and it is a directory.
bool IsDirectory(const KxString& path);
bool RemoveFile(const KxString& path);
bool MakeDirectory(const KxString& path);
// The file's attributes; INVALID_FILE_ATTRIBUTES when nothing is there.
DWORD FileAttributesOf(const KxString& path);
bool SetFileAttributesOf(const KxString& path, DWORD attributes);
// Overwrites an existing target.
bool CopyFileTo(const KxString& target, const KxString& source);
// Renames within one volume. It never replaces an existing target and never copies, so a
// move to another drive fails and leaves the source as it was and no target behind.
bool MoveFileTo(const KxString& target, const KxString& source);
// False when the two paths are the same bytes; otherwise MoveFileTo.
bool RenameIfDifferent(const KxString& target, const KxString& source);
// MoveFileEx with the caller's flags (MOVEFILE_REPLACE_EXISTING, MOVEFILE_WRITE_THROUGH).
bool MoveFileWith(const KxString& target, const KxString& source, DWORD flags);

// The entries a pattern ("dir\\*.db") matches, one at a time, "." and ".." included:
//   for (KxFindFiles found(pattern); found.Next();) ... found.Name() ...
class KxFindFiles {
public:
  explicit KxFindFiles(const KxString& pattern);
  KxFindFiles(const KxFindFiles&) = delete;
  KxFindFiles& operator=(const KxFindFiles&) = delete;
  ~KxFindFiles();
  // Steps to the next entry; false when none is left.
  bool Next();
  // The entry's long name, without its folder.
  const KxString& Name() const { return name; }
  DWORD Attributes() const { return found.dwFileAttributes; }
  bool IsDirectory() const { return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

private:
  KxString pattern;
  HANDLE search = INVALID_HANDLE_VALUE;
  bool started = false;
  WIN32_FIND_DATAW found = {};
  KxString name;
};

// The bytes written to the file reach the disk before this returns; false when it cannot
// be opened or flushed.
bool FlushToDisk(const KxString& path);

// The side of FileSmallIcon's icons at every DPI, so that what is kept of one has the same
// size on every machine.
constexpr int kFileSmallIconSide = 16;
// The small icon of the file at path, owned by the caller, 16 by 16: a program's (or icon
// file's) own first icon at its image nearest to that side when it has one, otherwise the
// shell's icon for it, which for a missing file is the icon of its type; NULL when there
// is none.
HICON FileSmallIcon(const KxString& path);

// text ends with end at a character boundary, ASCII letters compared in either case and
// every other byte as it is.
bool EndsWithNoCase(const KxString& text, const char* end);

// Position of the last byte equal to ch that is a character of its own (not the second
// byte of a double-byte character), or -1. ch must be an ASCII byte.
int FindLastChar(const KxString& text, char ch);

// A name Windows takes for a device whatever folder it is in: CON, PRN, AUX, NUL, CONIN$,
// CONOUT$, COM0-9 and LPT0-9, in any case, with any extension, blanks before the first dot
// included ("nul .txt"). Such a name opens the device, never a file.
bool IsDeviceName(const KxString& fileName);
