#include "app/KxRegistry.h"

KxRegistry::~KxRegistry() { Close(); }

bool KxRegistry::Open(const KxString& subKey, REGSAM access, HKEY root) {
  Close();
  HKEY opening = NULL;
  if (RegOpenKeyExA(root, subKey.CStr(), 0, access, &opening) != ERROR_SUCCESS) return false;
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
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name.CStr(), NULL, &type, NULL, &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  // The value may grow between the two calls; a second ERROR_MORE_DATA gives up.
  KxString data;
  if (!data.Resize(static_cast<int>(size))) return false;
  DWORD got = size;
  if (RegQueryValueExA(key, name.CStr(), NULL, &type, reinterpret_cast<BYTE*>(data.Buffer()),
                       &got) != ERROR_SUCCESS) {
    return false;
  }
  int length = static_cast<int>(got < size ? got : size);
  while (length > 0 && data.At(length - 1) == 0) --length;
  data.Resize(length);
  value = data;
  return true;
}

bool KxRegistry::WriteString(const KxString& name, const KxString& value) {
  if (!opened) return false;
  return RegSetValueExA(key, name.CStr(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.CStr()),
                        static_cast<DWORD>(value.Length() + 1)) == ERROR_SUCCESS;
}

bool KxRegistry::DeleteValue(const KxString& name) {
  return opened && RegDeleteValueA(key, name.CStr()) == ERROR_SUCCESS;
}

bool KxRegistry::HasValue(const KxString& name) {
  return opened && RegQueryValueExA(key, name.CStr(), NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}
