#pragma once
// One open registry key. The root to open under is HKEY_CURRENT_USER unless Open is told
// otherwise; a key this object opened is closed by Close, by the next Open and by the
// destructor. A predefined root is never closed.

#include <windows.h>

#include "kx/base/KxString.h"

class KxRegistry {
public:
  KxRegistry() = default;
  KxRegistry(const KxRegistry&) = delete;
  KxRegistry& operator=(const KxRegistry&) = delete;
  virtual ~KxRegistry();

  // Opens root\subKey with the given rights; false (and nothing open) when refused.
  bool Open(const KxString& subKey, REGSAM access, HKEY root = HKEY_CURRENT_USER);
  void Close();
  bool IsOpen() const { return opened; }
  HKEY Key() const { return key; }

  // REG_SZ or REG_EXPAND_SZ (unexpanded); value is left alone when false.
  bool ReadString(const KxString& name, KxString& value);
  // REG_SZ; the stored length counts the terminating zero.
  bool WriteString(const KxString& name, const KxString& value);
  bool DeleteValue(const KxString& name);
  bool HasValue(const KxString& name);

private:
  HKEY key = HKEY_CURRENT_USER;
  bool opened = false;  // key is ours to close
};
