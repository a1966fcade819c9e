#pragma once
// The one place where texts cross to and from Windows' UTF-16. Every stored and shown text
// of the program is GB18030 bytes (GBK is its two-byte part with the same bytes); a wide
// call gets it converted here, and what a wide call hands back is converted here, whatever
// the system's ANSI code page is. The conversion is our own: code page 936 for the two-byte
// part and tables made from Python's codec for the rest, so it is the same wherever the
// program runs (Wine has no code page 54936). Plug-ins exchange GBK texts (code page 936).

#include <windows.h>

#include "kx/base/KxString.h"

constexpr UINT kKxPluginCodePage = 936;

// An owned, 0-terminated UTF-16 text for one wide call: KxWide(path) where the call takes
// LPCWSTR. Bytes that are no GB18030 character become U+FFFD; when memory runs out the text is empty.
class KxWide {
public:
  KxWide();
  explicit KxWide(const KxString& text);
  explicit KxWide(const char* text);  // nullptr gives the empty text
  KxWide(const wchar_t* text, int count);
  // One text for one call: never copied, so a short one lives in the object itself.
  KxWide(const KxWide&) = delete;
  KxWide& operator=(const KxWide&) = delete;
  ~KxWide();

  operator const wchar_t*() const { return data; }
  const wchar_t* Get() const { return data; }
  int Length() const { return length; }
  bool IsEmpty() const { return length == 0; }
  // Grows with 0 characters or cuts, keeping the terminator; false (and unchanged) when n < 0
  // or memory runs out. Buffer() then has n + 1 writable characters.
  bool Resize(int n);
  wchar_t* Buffer() { return data; }

private:
  void FromBytes(const char* bytes, int count);

  static const int kInline = 96;  // most captions and paths fit: no allocation for them

  wchar_t* data;
  int length;
  int capacity;  // characters data holds before its terminator
  wchar_t inlineChars[kInline + 1];
};

// UTF-16 to GB18030; count < 0 reads up to the terminator. A lone surrogate becomes "?".
KxString KxFromWide(const wchar_t* text, int count = -1);
// A GB18030 text as GBK, for a plug-in: every character GBK lacks becomes "?".
KxString KxToGbk(const KxString& text);

// The text of any window (a control's, a caption) through the wide call, and the same for
// setting it.
KxString KxWindowText(HWND hwnd);
bool KxSetWindowText(HWND hwnd, const KxString& text);

// ---- Texts a wide call writes into a buffer
// call(buffer, capacity) writes at most capacity characters, its terminator included, and
// returns the characters written without it; capacity or more asks for a larger buffer (a
// call that says how large is given that much), 0 is a failure. Empty on failure and for an
// answer longer than the longest path (32767 characters).
template <class Call>
KxString KxWideAnswer(Call call) {
  KxWide buffer;
  DWORD capacity = MAX_PATH;
  while (capacity <= 32768) {
    if (!buffer.Resize(static_cast<int>(capacity))) return KxString();
    DWORD got = call(buffer.Buffer(), capacity);
    if (got == 0) return KxString();
    if (got < capacity) return KxFromWide(buffer.Get(), static_cast<int>(got));
    DWORD next = got > capacity ? got : capacity * 2;
    if (capacity < 32768 && next > 32768) next = 32768;
    capacity = next;
  }
  return KxString();
}

// Two names as a person reads them, letters of every script compared in either case
// (lstrcmpiW); -1, 0 or 1. For ordering only: it takes "ss" for "ß" and a letter with a
// combining mark for the composed one, which the file system keeps apart.
int KxCompareNoCase(const KxString& a, const KxString& b);
// The two texts name the same file: equal but for case, as the file system compares names
// (code unit by code unit, upper-cased; CompareStringOrdinal).
bool KxSamePath(const KxString& a, const KxString& b);

// One UTF-16 unit of WM_CHAR as the text it adds: the first half of a surrogate pair is
// kept in *pendingHigh and gives ""; its second half gives the whole character. A lone half
// gives "?".
KxString KxTypedChar(wchar_t unit, wchar_t* pendingHigh);
