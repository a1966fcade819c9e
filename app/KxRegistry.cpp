#include "app/KxRegistry.h"

#include "kx/base/KxWide.h"

KxRegistry::~KxRegistry() { Close(); }

bool KxRegistry::Open(const KxString& subKey, REGSAM access, HKEY root) {
  Close();
  HKEY opening = NULL;
  if (RegOpenKeyExW(root, KxWide(subKey), 0, access, &opening) != ERROR_SUCCESS) return false;
  key = opening;
  opened = true;
  return true;
}

void KxRegistry::Close() {
  if (opened) RegCloseKey(key);
  key = HKEY_CURRENT_USER;
  opened = false;
}

bool KxRegistry::ReadString(const KxString& name, KxString& value) {
  if (!opened) return false;
  const KxWide wideName(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, wideName, NULL, &type, NULL, &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  // The value may grow between the two calls; a second ERROR_MORE_DATA gives up. A stored
  // length need not be even, nor count a terminator.
  KxWide data;
  if (!data.Resize(static_cast<int>(size / sizeof(wchar_t)) + 1)) return false;
  DWORD got = size;
  if (RegQueryValueExW(key, wideName, NULL, &type, reinterpret_cast<BYTE*>(data.Buffer()), &got) != ERROR_SUCCESS) {
    return false;
  }
  int length = static_cast<int>((got < size ? got : size) / sizeof(wchar_t));
  while (length > 0 && data.Get()[length - 1] == 0) --length;
  value = KxFromWide(data.Get(), length);
  return true;
}

bool KxRegistry::WriteString(const KxString& name, const KxString& value) {
  if (!opened) return false;
  const KxWide data(value);
  if (data.IsEmpty() && !value.IsEmpty()) return false;  // no memory for the wide form
  return RegSetValueExW(key, KxWide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.Get()),
                        static_cast<DWORD>((data.Length() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool KxRegistry::DeleteValue(const KxString& name) {
  return opened && RegDeleteValueW(key, KxWide(name)) == ERROR_SUCCESS;
}

bool KxRegistry::HasValue(const KxString& name) {
  return opened && RegQueryValueExW(key, KxWide(name), NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}
