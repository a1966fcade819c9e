#pragma once
// Values of one INI file, read and written through the system's wide profile functions,
// and where the program's own settings file is. A file the program writes is UTF-16LE with
// its byte order mark, so a value outside the system's code page (a folder "사진") keeps
// every character; a file without the mark is read as the system reads it.

#include "kx/base/KxString.h"

class KxIni {
public:
  explicit KxIni(const KxString& path) : path(path) {}
  virtual ~KxIni() = default;

  // The value of key in section, whole however long it is; defaultValue when missing.
  KxString Read(const KxString& section, const KxString& key, const KxString& defaultValue);
  // A file without the mark is first rewritten with it, its values kept (comments are not):
  // the file is made anew beside it and takes its place in one rename.
  bool Write(const KxString& section, const KxString& key, const KxString& value);
  // The key is gone afterwards; a missing file is no failure and is not made.
  bool Remove(const KxString& section, const KxString& key);
  // The system's cache of the file goes to the disk and is forgotten.
  void Flush();
  const KxString& Path() const { return path; }

private:
  bool MakeWide();

  KxString path;
};

// config.ini beside the executable: where the data directory is (DBPATH, and MOVETO
// during a move) and which site the update check and the help page use (SITEURL).
KxString ProgramIniPath();
// The section config.ini keeps its values in.
extern const char kProgramIniSection[];
