#include "update/PluginId.h"

namespace {

bool IsGbkTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

}  // namespace

bool HasControlByte(const KxString& text) {
  for (int i = 0; i < text.Length(); ++i) {
    unsigned char c = static_cast<unsigned char>(text.At(i));
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// The id names files and rows: nothing that reaches another folder or a device. A lead
// byte before a byte that cannot follow it ("\x81/") is no character: the system would read
// a broken one and then the "/".
bool IsPlainPluginId(const KxString& id) {
  if (id.IsEmpty() || id.Length() > kMaxPluginIdBytes || HasControlByte(id)) return false;
  if (id == "." || id == "..") return false;
  static const char kForbidden[] = "\\/:*?\"<>|";
  for (int i = 0; i < id.Length(); ++i) {
    unsigned char c = static_cast<unsigned char>(id.At(i));
    if (c == 0xFF) return false;
    if (KxIsLeadByte(id.At(i))) {
      // A lead byte without its trail byte.
      if (i + 1 >= id.Length() || !IsGbkTrailByte(static_cast<unsigned char>(id.At(i + 1)))) return false;
      ++i;
      continue;
    }
    for (const char* f = kForbidden; *f; ++f) {
      if (c == static_cast<unsigned char>(*f)) return false;
    }
  }
  return true;
}
