#pragma once
// Values of one INI file, read and written through the system's profile functions.

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
