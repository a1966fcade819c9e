#include "update/PluginId.h"

bool HasControlByte(const KxString& text) {
  for (int i = 0; i < text.Length(); ++i) {
    unsigned char c = static_cast<unsigned char>(text.At(i));
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// The id names files and rows: nothing that reaches another folder or a device.
bool IsPlainPluginId(const KxString& id) {
  if (id.IsEmpty() || id.Length() > kMaxPluginIdBytes) return false;
  if (HasControlByte(id) || KxHasBrokenChar(id) || id == "." || id == "..") return false;
  static const char kForbidden[] = "\\/:*?\"<>|";
  for (int i = 0; i < id.Length(); i += KxCharLength(id, i)) {
    if (KxCharLength(id, i) > 1) continue;
    for (const char* f = kForbidden; *f; ++f) {
      if (id.At(i) == *f) return false;
    }
  }
  return true;
}
