#include "kx/KxClipboard.h"

#include <cstring>

bool SetClipboardText(const KxString& text, HWND owner) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(text.Length()) + 1);
  if (!memory) return false;
  char* bytes = static_cast<char*>(GlobalLock(memory));
  if (!bytes) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(bytes, text.CStr(), static_cast<size_t>(text.Length()) + 1);
  GlobalUnlock(memory);

  if (!OpenClipboard(owner)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  // On success the memory belongs to the clipboard; on a refusal it is still ours.
  bool taken = SetClipboardData(CF_TEXT, memory) != NULL;
  CloseClipboard();
  if (!taken) GlobalFree(memory);
  return taken;
}

KxString GetClipboardText() {
  KxString text;
  if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(NULL)) return text;
  HANDLE data = GetClipboardData(CF_TEXT);
  if (data) {
    SIZE_T size = GlobalSize(data);
    const char* bytes = static_cast<const char*>(GlobalLock(data));
    if (bytes) {
      // Another program's block need not hold a 0 before its end.
      const void* zero = std::memchr(bytes, 0, size);
      SIZE_T length = zero ? static_cast<SIZE_T>(static_cast<const char*>(zero) - bytes) : size;
      text.Assign(bytes, static_cast<int>(length));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}
