#include "app/KxIni.h"

#include <windows.h>

#include "kx/base/KxFile.h"

const char kProgramIniSection[] = "0";

namespace {

const int kReadStep = 512;

}  // namespace

KxString ProgramIniPath() { return ProgramDirectory() + "\\config.ini"; }

KxString KxIni::Read(const KxString& section, const KxString& key, const KxString& defaultValue) {
  KxString buffer;
  int size = kReadStep;
  for (;;) {
    if (!buffer.Resize(size)) return KxString();
    DWORD got = GetPrivateProfileStringA(section.CStr(), key.CStr(), defaultValue.CStr(),
                                         buffer.Buffer(), static_cast<DWORD>(size), path.CStr());
    // A value that filled the buffer may have been cut: read again with more room.
    if (static_cast<int>(got) + 1 < size) {
      buffer.Resize(static_cast<int>(got));
      return buffer;
    }
    size += kReadStep;
  }
}

bool KxIni::Write(const KxString& section, const KxString& key, const KxString& value) {
  return WritePrivateProfileStringA(section.CStr(), key.CStr(), value.CStr(), path.CStr()) != 0;
}
