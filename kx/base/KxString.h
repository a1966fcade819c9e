#pragma once

#include "kx/base/KxList.h"

class KxStringList;

// Owned, counted byte string of GB18030 text, whatever the system's code page.
// Lengths and positions count bytes; a character takes one, two or four.
//
// The layout (buffer pointer, then int length, nothing else) is shared with
// plug-in DLLs through their exchange record, so no member may be added.
// The buffer always holds Length() + 1 bytes, the last one 0. When memory
// runs out, constructors, assignments and functions returning a new string
// give a valid empty string; Append, Insert, Resize and the other in-place
// edits leave the string unchanged.
class KxString {
public:
  KxString();
  KxString(const char* text);              // nullptr gives the empty string
  KxString(const char* bytes, int count);  // copies any bytes, zeros included
  KxString(char ch, int repeat);
  KxString(const KxString& other);
  KxString(KxString&& other) noexcept;
  KxString& operator=(const KxString& other);
  KxString& operator=(KxString&& other) noexcept;
  KxString& operator=(const char* text);
  ~KxString();

  void Assign(const KxString& other);
  void Assign(const char* text);
  void Assign(const char* bytes, int count);

  // Grows with 0 bytes or cuts; false (and unchanged) when n < 0 or memory
  // runs out, so check it before writing n bytes through Buffer().
  bool Resize(int n);

  int Length() const { return length; }
  const char* CStr() const { return data; }
  char* Buffer();  // Length() + 1 writable bytes
  char At(int index) const;  // 0 outside the content
  bool IsEmpty() const { return length == 0; }

  KxString& Append(const KxString& text);
  KxString& Append(const char* text);
  KxString& Append(const char* bytes, int count);
  KxString& operator+=(const KxString& text) { return Append(text); }
  KxString& operator+=(const char* text) { return Append(text); }
  // The bytes of a followed by the bytes of b, as a new string.
  static KxString Concat(const char* a, int aLength, const char* b, int bLength);

  // Bytes compared as signed char, so 0x80 and above order before ASCII;
  // on an equal common part the shorter string is first. -1, 0 or 1.
  static int Compare(const KxString& a, const KxString& b);

  // -1 when absent, when from is past the end or when pattern is empty;
  // a negative from counts as 0.
  int Find(int from, const KxString& pattern) const;
  int FindLast(char ch) const;
  KxString Mid(int count, int start) const;  // count < 0: up to the end
  KxString Right(int n) const;
  void Remove(int pos, int count);
  void Insert(int pos, const KxString& text);  // pos clamped to 0..Length()
  // Continues after each inserted text, so text may contain pattern.
  void ReplaceAll(const KxString& pattern, const KxString& text);

  // Bytes between the first startMark at or after from and the next endMark.
  // endPos (may be nullptr) is set past endMark; past startMark with an empty
  // result when endMark is missing; -1 when startMark is missing.
  static KxString Between(const KxString& text, int from, const KxString& startMark,
                          const KxString& endMark, int* endPos);
  static KxString Between(const KxString& text, const KxString& startMark,
                          const KxString& endMark);

  // Blanks are 0x20 only.
  void TrimLeft();
  void TrimRight();
  void Trim();
  void RemoveBlanks();
  // a-z to A-Z byte by byte, even as the second byte of a double-byte
  // character; bytes from 0x80 up never change.
  void Upper();

  // Appends each part before a separator, then a non-empty remainder.
  // Adjacent separators give an empty part; an empty separator gives the
  // whole text as one part.
  void Split(const KxString& separator, KxStringList& list) const;
  // As Split, but each part keeps its separator at its end.
  void SplitKeep(const KxString& separator, KxStringList& list) const;
  static KxString Join(const KxStringList& list, const KxString& separator);

  // width 0: plain decimal. width > 0: exactly width digits, zero-padded on
  // the left or cut to the last width digits. A minus sign precedes them.
  static KxString FromInt(long long value, int width = 0);
  // Digits, optionally after a leading '-'; neither "" nor "-".
  bool IsInteger() const;
  // 0 unless IsInteger; wraps around in 32 bits on overflow.
  int ToInt() const;

  static KxString ByteToHex(unsigned char b);  // lower case: 0x1a -> "1a"
  static int HexDigitValue(char c);            // 0 for a non-hex byte
  static KxString HexToBits(char hexDigit);    // "0000".."1111", "" for a non-hex byte
  // '1' counts as one, anything else (or the end of the text) as zero;
  // the result is lower case, '0'..'9', 'a'..'f'.
  static char BitsToHex(const char* fourBits);
  // First 8 characters, most significant first; 255 when fewer than 8.
  static unsigned char BitsToByte(const KxString& eightBits);

  // True when the byte at pos is the second byte of a double-byte character:
  // it is 0x80 or above and preceded by an odd run of such bytes.
  bool IsTrailByte(int pos) const;

private:
  void Init(const char* bytes, int count);
  void Adopt(char* buffer, int newLength);
  void Cut(int newLength);

  char* data;
  int length;
};

bool operator==(const KxString& a, const KxString& b);
bool operator==(const KxString& a, const char* b);
bool operator==(const char* a, const KxString& b);
bool operator!=(const KxString& a, const KxString& b);
bool operator!=(const KxString& a, const char* b);
bool operator!=(const char* a, const KxString& b);
bool operator<(const KxString& a, const KxString& b);

KxString operator+(const KxString& a, const KxString& b);
KxString operator+(const KxString& a, const char* b);
KxString operator+(const char* a, const KxString& b);

class KxStringList : public KxList<KxString> {
public:
  int IndexOf(const KxString& text) const;  // first equal item, or -1
  bool Contains(const KxString& text) const { return IndexOf(text) >= 0; }
};

// ---- Multi-byte text
// Texts are GB18030 bytes, whatever the system's code page: a GBK text keeps its bytes (a
// lead byte 0x81 to 0xFE and the byte after it are one character, and that second byte
// may be 0x5C ('\\'), a letter or a digit), and a character outside GBK takes four bytes:
// a lead byte, a digit, a lead byte, a digit. A walk that looks for a byte steps by
// characters.

// True when c starts a character of two or four bytes.
bool KxIsLeadByte(char c);
// True when text holds what is no character of GB18030: a lead byte without a second byte
// (0x40 to 0xFE, not 0x7F) after it, a lead byte and a digit without a lead byte and a
// digit after them, or 0xFF. The system would read such a lead byte and the byte after it
// ("\x81/") as a broken character and then a "/" of its own.
bool KxHasBrokenChar(const KxString& text);
// Bytes of the character that starts at pos: 4 for a whole four-byte sequence, 2 for any
// other lead byte with a byte after it, 1 otherwise, 0 at or past the end.
int KxCharLength(const KxString& text, int pos);
// True when pos stands inside one character. The text is read from its start, so a second
// byte below 0x80 (GBK allows 0x40 to 0x7E, the four-byte form digits) is recognised too.
bool KxIsInsideChar(const KxString& text, int pos);
// The character boundary before pos (0 at the start) and after pos (the length at the end).
int KxPrevCharPos(const KxString& text, int pos);
int KxNextCharPos(const KxString& text, int pos);
// Where pattern first starts at a character boundary of text, ASCII letters compared in
// either case and every other byte as it is; -1 when nowhere or when pattern is empty.
int KxFindNoCase(const KxString& text, const KxString& pattern);
