#pragma once
// Paths of the running program, plain path arithmetic on ANSI path texts and the file
// tests, copies and moves the rest of the program uses. Separators are found character
// by character, so the second byte of a double-byte character (which may be 0x5C, the
// backslash) never counts as one.

#include <windows.h>

#include "kx/base/KxString.h"

// The running executable's full path; empty when it does not fit MAX_PATH.
KxString OwnExecutablePath();
// Folder of the running executable, without a trailing backslash.
KxString ProgramDirectory();
KxString CurrentDirectory();
KxString WindowsDirectory();
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
// Overwrites an existing target.
bool CopyFileTo(const KxString& target, const KxString& source);
// Renames within one volume. It never replaces an existing target and never copies, so a
// move to another drive fails and leaves the source as it was and no target behind.
bool MoveFileTo(const KxString& target, const KxString& source);
// False when the two paths are the same bytes; otherwise MoveFileTo.
bool RenameIfDifferent(const KxString& target, const KxString& source);

// The bytes written to the file reach the disk before this returns; false when it cannot
// be opened or flushed.
bool FlushToDisk(const KxString& path);

// The small icon of the file at path, owned by the caller: a program's (or icon file's)
// own first icon when it has one, otherwise the shell's icon for it, which for a missing
// file is the icon of its type; NULL when there is none.
HICON FileSmallIcon(const KxString& path);

// text ends with end, ASCII letters compared in either case.
bool EndsWithNoCase(const KxString& text, const char* end);

// Position of the last byte equal to ch that is a character of its own (not the second
// byte of a double-byte character), or -1. ch must be an ASCII byte.
int FindLastChar(const KxString& text, char ch);

// A name Windows takes for a device whatever folder it is in: CON, PRN, AUX, NUL, CONIN$,
// CONOUT$, COM0-9 and LPT0-9, in any case, with any extension, blanks before the first dot
// included ("nul .txt"). Such a name opens the device, never a file.
bool IsDeviceName(const KxString& fileName);
