#include "app/KxIni.h"

#include <windows.h>

#include "kx/base/KxFile.h"
#include "kx/base/KxHandles.h"
#include "kx/base/KxWide.h"

const char kProgramIniSection[] = "0";

namespace {

const int kReadStep = 512;
const char kWideMark[] = "\xFF\xFE";  // UTF-16LE's byte order mark

// A list the profile functions write into a buffer ("a\0b\0\0"), grown while it was cut: they
// answer the buffer's size less 2 then. False (and list empty) when it does not fit 1 MB.
template <class Call>
bool ProfileList(Call call, KxWide& list) {
  for (DWORD size = kReadStep; size <= 1024 * 1024; size *= 2) {
    if (!list.Resize(static_cast<int>(size))) break;
    DWORD got = call(list.Buffer(), size);
    if (got + 2 < size) return list.Resize(static_cast<int>(got));
  }
  list.Resize(0);
  return false;
}

bool StartsWithWideMark(const KxString& path) {
  KxHandle file(CreateFileW(KxWide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL));
  if (file.Get() == INVALID_HANDLE_VALUE) return false;
  char mark[2] = {};
  DWORD got = 0;
  return ReadFile(file.Get(), mark, 2, &got, NULL) && got == 2 && mark[0] == kWideMark[0] && mark[1] == kWideMark[1];
}

// A file that holds only the byte order mark: the profile functions keep writing it as
// UTF-16LE from then on.
bool CreateWideFile(const KxString& path) {
  KxHandle file(CreateFileW(KxWide(path), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
  DWORD written = 0;
  return file.Get() != INVALID_HANDLE_VALUE && WriteFile(file.Get(), kWideMark, 2, &written, NULL) && written == 2;
}

}  // namespace

KxString ProgramIniPath() { return ProgramDirectory() + "\\config.ini"; }

KxString KxIni::Read(const KxString& section, const KxString& key, const KxString& defaultValue) {
  const KxWide wideSection(section), wideKey(key), wideDefault(defaultValue), widePath(path);
  KxWide buffer;
  int size = kReadStep;
  for (;;) {
    if (!buffer.Resize(size)) return KxString();
    DWORD got = GetPrivateProfileStringW(wideSection, wideKey, wideDefault, buffer.Buffer(), static_cast<DWORD>(size),
                                         widePath);
    // A value that filled the buffer may have been cut: read again with more room.
    if (static_cast<int>(got) + 1 < size) return KxFromWide(buffer.Get(), static_cast<int>(got));
    size += kReadStep;
  }
}

bool KxIni::Write(const KxString& section, const KxString& key, const KxString& value) {
  const KxWide wideValue(value);
  if (wideValue.IsEmpty() && !value.IsEmpty()) return false;  // no memory for the wide form
  return MakeWide() && WritePrivateProfileStringW(KxWide(section), KxWide(key), wideValue, KxWide(path)) != 0;
}

bool KxIni::Remove(const KxString& section, const KxString& key) {
  if (FileAttributesOf(path) == INVALID_FILE_ATTRIBUTES) return true;
  return WritePrivateProfileStringW(KxWide(section), KxWide(key), NULL, KxWide(path)) != 0;
}

void KxIni::Flush() { WritePrivateProfileStringW(NULL, NULL, NULL, KxWide(path)); }

bool KxIni::MakeWide() {
  if (FileAttributesOf(path) == INVALID_FILE_ATTRIBUTES) return CreateWideFile(path);
  if (StartsWithWideMark(path)) return true;
  // The system reads a file without the mark in its own code page, and writes into it the
  // same way, which turns every other character into "?". The values go over, section by
  // section as the system reads them, into a file with the mark that then takes its place.
  const KxString wide = path + ".wide";
  const KxWide from(path), to(wide);
  KxWide sections;
  bool copied = ProfileList([&from](wchar_t* buffer, DWORD size) {
    return GetPrivateProfileSectionNamesW(buffer, size, from);
  }, sections) && CreateWideFile(wide);
  for (const wchar_t* name = sections.Get(); copied && *name; name += lstrlenW(name) + 1) {
    KxWide lines;
    copied = ProfileList([&](wchar_t* buffer, DWORD size) { return GetPrivateProfileSectionW(name, buffer, size, from); },
                         lines) &&
             WritePrivateProfileSectionW(name, lines, to) != 0;
  }
  WritePrivateProfileStringW(NULL, NULL, NULL, to);
  WritePrivateProfileStringW(NULL, NULL, NULL, from);
  // The copy is on the disk before it takes the old file's place, or the old file stays.
  copied = copied && FlushToDisk(wide) && MoveFileWith(path, wide, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!copied) RemoveFile(wide);
  return copied;
}
