#include "kx/KxClipboard.h"

#include "kx/base/KxWide.h"

#include <cstring>

// The text goes as CF_UNICODETEXT; the system gives other programs CF_TEXT from it in their
// own code page.
bool SetClipboardText(const KxString& text, HWND owner) {
  KxWide wide(text);
  if (wide.IsEmpty() && !text.IsEmpty()) return false;
  SIZE_T size = (static_cast<SIZE_T>(wide.Length()) + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return false;
  void* units = GlobalLock(memory);
  if (!units) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(units, wide.Get(), size);
  GlobalUnlock(memory);

  if (!OpenClipboard(owner)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  // On success the memory belongs to the clipboard; on a refusal it is still ours.
  bool taken = SetClipboardData(CF_UNICODETEXT, memory) != NULL;
  CloseClipboard();
  if (!taken) GlobalFree(memory);
  return taken;
}

KxString GetClipboardText() {
  KxString text;
  // The system makes CF_UNICODETEXT from another program's CF_TEXT in that program's code page.
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(NULL)) return text;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data) {
    SIZE_T count = GlobalSize(data) / sizeof(wchar_t);
    const wchar_t* units = static_cast<const wchar_t*>(GlobalLock(data));
    if (units) {
      // Another program's block need not hold a 0 before its end.
      SIZE_T length = 0;
      while (length < count && units[length] != 0) ++length;
      text = KxFromWide(units, static_cast<int>(length));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}
