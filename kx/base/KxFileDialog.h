#pragma once
// The system's open-file and choose-folder dialogs, and the text handling around them
// as plain functions.

#include <windows.h>

#include "kx/base/KxString.h"

// text + "|" with every "|" turned into a 0 byte: the zero-separated, double-zero-ended
// list the open-file dialog takes ("图形|*.png" gives "图形\0*.png\0", and the string's own
// terminator is the second zero). The second byte of a double-byte character is left
// alone even when it is 0x7C.
KxString FilterList(const KxString& text);
// The folder the choose-folder dialog opens at: a drive "C:" (any path under 3 bytes)
// gets its backslash. Empty stays empty: the dialog then selects nothing.
KxString FolderStartPath(const KxString& initial);
// One trailing backslash removed ("C:\" gives "C:"), unless it is the second byte of a
// double-byte character.
KxString WithoutTrailingBackslash(const KxString& path);

// The open-file dialog's settings and, after ShowOpen, the user's choice. Empty texts
// leave the dialog's own defaults (title, current directory, no default extension).
class KxOpenFileDialog {
public:
  KxOpenFileDialog();

  void SetFilter(const KxString& text) { filter = FilterList(text); }
  // True when the user confirmed: fileName is then the chosen path and filterIndex the
  // filter in use (1-based). On cancel both stay as they were. mustExist asks for an
  // existing file, and a writable one while refuseReadOnly holds.
  bool ShowOpen(HWND owner, bool mustExist);

  KxString initialDirectory;
  KxString filter;  // already in FilterList form
  KxString fileName;
  KxString title;
  int filterIndex;
  KxString defaultExtension;
  bool refuseReadOnly = true;
};

// The folder the user picks, starting at initial, without a trailing backslash; empty on
// cancel or when the pick is not a file-system folder.
KxString ChooseFolder(const KxString& initial, HWND owner);
