#pragma once
// Values of one INI file, read and written through the system's profile functions, and
// where the program's own settings file is.

#include "kx/base/KxString.h"

class KxIni {
public:
  explicit KxIni(const KxString& path) : path(path) {}
  virtual ~KxIni() = default;

  // The value of key in section, whole however long it is; defaultValue when missing.
  KxString Read(const KxString& section, const KxString& key, const KxString& defaultValue);
  bool Write(const KxString& section, const KxString& key, const KxString& value);
  const KxString& Path() const { return path; }

private:
  KxString path;
};

// config.ini beside the executable: where the data directory is (DBPATH, and MOVETO
// during a move) and which site the update check and the help page use (SITEURL).
KxString ProgramIniPath();
// The section config.ini keeps its values in.
extern const char kProgramIniSection[];
