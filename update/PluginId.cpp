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
  if (id.IsEmpty() || id.Length() > kMaxPluginIdBytes || HasControlByte(id)) return false;
  if (id == "." || id == "..") return false;
  static const char kForbidden[] = "\\/:*?\"<>|";
  for (int i = 0; i < id.Length(); ++i) {
    unsigned char c = static_cast<unsigned char>(id.At(i));
    if (c >= 0x81) {
      if (i + 1 >= id.Length()) return false;  // a lead byte without its trail byte
      ++i;
      continue;
    }
    for (const char* f = kForbidden; *f; ++f) {
      if (c == static_cast<unsigned char>(*f)) return false;
    }
  }
  return true;
}
