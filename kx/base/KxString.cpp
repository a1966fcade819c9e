#include "kx/base/KxString.h"

#include <windows.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Stands in for the one-byte buffer of an empty string when even that
// allocation fails; never freed.
char emptyFallback[1] = {0};

const char kHexDigits[] = "0123456789abcdef";

char* NewBuffer(long long length) {
  if (length < 0 || length > INT_MAX - 1) return nullptr;
  char* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
  if (buffer) buffer[length] = 0;
  return buffer;
}

void FreeBuffer(char* buffer) {
  if (buffer != emptyFallback) std::free(buffer);
}

int TextLength(const char* text) {
  if (!text) return 0;
  size_t n = std::strlen(text);
  return n > static_cast<size_t>(INT_MAX - 1) ? INT_MAX - 1 : static_cast<int>(n);
}

int CompareBytes(const char* a, int aLength, const char* b, int bLength) {
  int common = aLength < bLength ? aLength : bLength;
  for (int i = 0; i < common; ++i) {
    signed char x = static_cast<signed char>(a[i]);
    signed char y = static_cast<signed char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (aLength == bLength) return 0;
  return aLength < bLength ? -1 : 1;
}

bool IsHighByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

void SplitText(const KxString& text, const KxString& separator, KxStringList& list,
               bool keepSeparator) {
  int start = 0;
  int sepLength = separator.Length();
  for (int pos = text.Find(0, separator); pos >= 0; pos = text.Find(start, separator)) {
    int end = keepSeparator ? pos + sepLength : pos;
    list.Add(KxString(text.CStr() + start, end - start));
    start = pos + sepLength;
  }
  if (start < text.Length()) list.Add(KxString(text.CStr() + start, text.Length() - start));
}

}  // namespace

KxString::KxString() { Init(nullptr, 0); }

KxString::KxString(const char* text) { Init(text, TextLength(text)); }

KxString::KxString(const char* bytes, int count) { Init(bytes, bytes ? count : 0); }

KxString::KxString(char ch, int repeat) {
  Init(nullptr, 0);
  if (repeat <= 0) return;
  char* buffer = NewBuffer(repeat);
  if (!buffer) return;
  std::memset(buffer, ch, static_cast<size_t>(repeat));
  Adopt(buffer, repeat);
}

KxString::KxString(const KxString& other) { Init(other.data, other.length); }

KxString::KxString(KxString&& other) noexcept : data(other.data), length(other.length) {
  other.Init(nullptr, 0);
}

KxString& KxString::operator=(const KxString& other) {
  Assign(other);
  return *this;
}

KxString& KxString::operator=(KxString&& other) noexcept {
  if (this != &other) {
    char* oldData = data;
    int oldLength = length;
    data = other.data;
    length = other.length;
    other.data = oldData;
    other.length = oldLength;
  }
  return *this;
}

KxString& KxString::operator=(const char* text) {
  Assign(text);
  return *this;
}

KxString::~KxString() { FreeBuffer(data); }

void KxString::Init(const char* bytes, int count) {
  if (count < 0) count = 0;
  data = NewBuffer(count);
  if (!data) {
    data = NewBuffer(0);
    if (!data) data = emptyFallback;
    length = 0;
    return;
  }
  if (count > 0) std::memcpy(data, bytes, static_cast<size_t>(count));
  length = count;
}

// Takes ownership of buffer (length newLength + 1, terminated); nullptr
// makes the string empty.
void KxString::Adopt(char* buffer, int newLength) {
  FreeBuffer(data);
  if (!buffer) {
    Init(nullptr, 0);
    return;
  }
  data = buffer;
  length = newLength;
  data[length] = 0;
}

// Shortens in place; the buffer is trimmed to fit when the allocator allows.
void KxString::Cut(int newLength) {
  data[newLength] = 0;
  length = newLength;
  if (data == emptyFallback) return;
  char* smaller = static_cast<char*>(std::realloc(data, static_cast<size_t>(newLength) + 1));
  if (smaller) data = smaller;
}

void KxString::Assign(const KxString& other) {
  if (this == &other) return;
  Assign(other.data, other.length);
}

void KxString::Assign(const char* text) { Assign(text, TextLength(text)); }

void KxString::Assign(const char* bytes, int count) {
  if (!bytes || count <= 0) {
    Adopt(nullptr, 0);
    return;
  }
  // Copied first: bytes may point into this string's own buffer.
  char* buffer = NewBuffer(count);
  if (buffer) std::memcpy(buffer, bytes, static_cast<size_t>(count));
  Adopt(buffer, count);
}

bool KxString::Resize(int n) {
  if (n < 0) return false;
  if (n <= length) {
    if (n < length) Cut(n);
    return true;
  }
  char* buffer = NewBuffer(n);
  if (!buffer) return false;
  std::memcpy(buffer, data, static_cast<size_t>(length));
  std::memset(buffer + length, 0, static_cast<size_t>(n - length));
  Adopt(buffer, n);
  return true;
}

char* KxString::Buffer() {
  if (data == emptyFallback) emptyFallback[0] = 0;
  return data;
}

char KxString::At(int index) const {
  return index >= 0 && index < length ? data[index] : 0;
}

KxString& KxString::Append(const KxString& text) { return Append(text.data, text.length); }

KxString& KxString::Append(const char* text) { return Append(text, TextLength(text)); }

KxString& KxString::Append(const char* bytes, int count) {
  if (!bytes || count <= 0) return *this;
  char* buffer = NewBuffer(static_cast<long long>(length) + count);
  if (!buffer) return *this;
  std::memcpy(buffer, data, static_cast<size_t>(length));
  std::memcpy(buffer + length, bytes, static_cast<size_t>(count));
  Adopt(buffer, length + count);
  return *this;
}

int KxString::Compare(const KxString& a, const KxString& b) {
  return CompareBytes(a.data, a.length, b.data, b.length);
}

int KxString::Find(int from, const KxString& pattern) const {
  if (from < 0) from = 0;
  int patternLength = pattern.length;
  if (patternLength == 0 || from > length || patternLength > length - from) return -1;
  int last = length - patternLength;
  for (int i = from; i <= last; ++i) {
    if (data[i] == pattern.data[0] &&
        std::memcmp(data + i, pattern.data, static_cast<size_t>(patternLength)) == 0) {
      return i;
    }
  }
  return -1;
}

int KxString::FindLast(char ch) const {
  for (int i = length - 1; i >= 0; --i) {
    if (data[i] == ch) return i;
  }
  return -1;
}

KxString KxString::Mid(int count, int start) const {
  if (start < 0) start = 0;
  if (start >= length || count == 0) return KxString();
  int rest = length - start;
  if (count < 0 || count > rest) count = rest;
  return KxString(data + start, count);
}

KxString KxString::Right(int n) const {
  if (n <= 0) return KxString();
  if (n > length) n = length;
  return KxString(data + length - n, n);
}

void KxString::Remove(int pos, int count) {
  if (pos < 0 || pos >= length || count <= 0) return;
  if (count >= length - pos) {
    Cut(pos);
    return;
  }
  std::memmove(data + pos, data + pos + count, static_cast<size_t>(length - pos - count));
  Cut(length - count);
}

void KxString::Insert(int pos, const KxString& text) {
  if (text.length == 0) return;
  if (pos < 0) pos = 0;
  if (pos > length) pos = length;
  char* buffer = NewBuffer(static_cast<long long>(length) + text.length);
  if (!buffer) return;
  std::memcpy(buffer, data, static_cast<size_t>(pos));
  std::memcpy(buffer + pos, text.data, static_cast<size_t>(text.length));
  std::memcpy(buffer + pos + text.length, data + pos, static_cast<size_t>(length - pos));
  Adopt(buffer, length + text.length);
}

void KxString::ReplaceAll(const KxString& pattern, const KxString& text) {
  int patternLength = pattern.length;
  int hits = 0;
  for (int pos = Find(0, pattern); pos >= 0; pos = Find(pos + patternLength, pattern)) ++hits;
  if (hits == 0) return;

  long long newLength =
      static_cast<long long>(length) + static_cast<long long>(hits) * (text.length - patternLength);
  char* buffer = NewBuffer(newLength);
  if (!buffer) return;
  char* out = buffer;
  int start = 0;
  for (int pos = Find(0, pattern); pos >= 0; pos = Find(start, pattern)) {
    std::memcpy(out, data + start, static_cast<size_t>(pos - start));
    out += pos - start;
    std::memcpy(out, text.data, static_cast<size_t>(text.length));
    out += text.length;
    start = pos + patternLength;
  }
  std::memcpy(out, data + start, static_cast<size_t>(length - start));
  Adopt(buffer, static_cast<int>(newLength));
}

KxString KxString::Between(const KxString& text, int from, const KxString& startMark,
                           const KxString& endMark, int* endPos) {
  int startPos = text.Find(from, startMark);
  if (startPos < 0) {
    if (endPos) *endPos = -1;
    return KxString();
  }
  int contentStart = startPos + startMark.length;
  int endMarkPos = text.Find(contentStart, endMark);
  if (endMarkPos < 0) {
    if (endPos) *endPos = contentStart;
    return KxString();
  }
  if (endPos) *endPos = endMarkPos + endMark.length;
  return KxString(text.data + contentStart, endMarkPos - contentStart);
}

KxString KxString::Between(const KxString& text, const KxString& startMark,
                           const KxString& endMark) {
  return Between(text, 0, startMark, endMark, nullptr);
}

void KxString::TrimLeft() {
  int n = 0;
  while (n < length && data[n] == ' ') ++n;
  if (n > 0) Remove(0, n);
}

void KxString::TrimRight() {
  int n = length;
  while (n > 0 && data[n - 1] == ' ') --n;
  if (n < length) Cut(n);
}

void KxString::Trim() {
  TrimRight();
  TrimLeft();
}

void KxString::RemoveBlanks() {
  int out = 0;
  for (int i = 0; i < length; ++i) {
    if (data[i] != ' ') data[out++] = data[i];
  }
  if (out < length) Cut(out);
}

void KxString::Upper() {
  for (int i = 0; i < length; ++i) {
    if (data[i] >= 'a' && data[i] <= 'z') data[i] = static_cast<char>(data[i] - 'a' + 'A');
  }
}

void KxString::Split(const KxString& separator, KxStringList& list) const {
  SplitText(*this, separator, list, false);
}

void KxString::SplitKeep(const KxString& separator, KxStringList& list) const {
  SplitText(*this, separator, list, true);
}

KxString KxString::Join(const KxStringList& list, const KxString& separator) {
  long long total = 0;
  for (const KxStringList::Node* node = list.Head(); node; node = node->next) {
    total += node->value.length;
    if (node->next) total += separator.length;
  }
  KxString result;
  char* buffer = NewBuffer(total);
  if (!buffer) return result;
  char* out = buffer;
  for (const KxStringList::Node* node = list.Head(); node; node = node->next) {
    std::memcpy(out, node->value.data, static_cast<size_t>(node->value.length));
    out += node->value.length;
    if (node->next) {
      std::memcpy(out, separator.data, static_cast<size_t>(separator.length));
      out += separator.length;
    }
  }
  result.Adopt(buffer, static_cast<int>(total));
  return result;
}

KxString KxString::FromInt(long long value, int width) {
  unsigned long long magnitude = static_cast<unsigned long long>(value);
  if (value < 0) magnitude = 0ULL - magnitude;
  char digits[20];
  int digitCount = 0;
  do {
    digits[digitCount++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);

  int shown = width > 0 ? width : digitCount;
  int sign = value < 0 ? 1 : 0;
  KxString result;
  char* buffer = NewBuffer(static_cast<long long>(shown) + sign);
  if (!buffer) return result;
  if (sign) buffer[0] = '-';
  // digits[] runs from the least significant digit up.
  for (int i = 0; i < shown; ++i) {
    buffer[sign + shown - 1 - i] = i < digitCount ? digits[i] : '0';
  }
  result.Adopt(buffer, shown + sign);
  return result;
}

bool KxString::IsInteger() const {
  if (length == 0) return false;
  int i = 0;
  if (data[0] == '-') {
    if (length < 2) return false;
    i = 1;
  }
  for (; i < length; ++i) {
    if (!IsDigit(data[i])) return false;
  }
  return true;
}

int KxString::ToInt() const {
  if (!IsInteger()) return 0;
  bool negative = data[0] == '-';
  uint32_t value = 0;
  for (int i = negative ? 1 : 0; i < length; ++i) {
    value = value * 10u + static_cast<uint32_t>(data[i] - '0');
  }
  if (negative) value = 0u - value;
  // Two's-complement reading of the 32 bits without relying on a narrowing cast.
  return value <= static_cast<uint32_t>(INT_MAX) ? static_cast<int>(value)
                                                 : -static_cast<int>(~value) - 1;
}

KxString KxString::ByteToHex(unsigned char b) {
  char text[2] = {kHexDigits[b >> 4], kHexDigits[b & 0x0f]};
  return KxString(text, 2);
}

int KxString::HexDigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

KxString KxString::HexToBits(char hexDigit) {
  if (!IsHexDigit(hexDigit)) return KxString();
  int value = HexDigitValue(hexDigit);
  char bits[4];
  for (int i = 0; i < 4; ++i) bits[i] = (value & (8 >> i)) ? '1' : '0';
  return KxString(bits, 4);
}

char KxString::BitsToHex(const char* fourBits) {
  int value = 0;
  bool inText = fourBits != nullptr;
  for (int i = 0; i < 4; ++i) {
    if (inText && fourBits[i] == 0) inText = false;
    value = value * 2 + (inText && fourBits[i] == '1' ? 1 : 0);
  }
  return kHexDigits[value];
}

unsigned char KxString::BitsToByte(const KxString& eightBits) {
  if (eightBits.length < 8) return 255;
  unsigned value = 0;
  for (int i = 0; i < 8; ++i) value = value * 2 + (eightBits.data[i] == '1' ? 1 : 0);
  return static_cast<unsigned char>(value);
}

bool KxString::IsTrailByte(int pos) const {
  if (pos < 0 || pos >= length || !IsHighByte(data[pos])) return false;
  int run = 0;
  for (int i = pos - 1; i >= 0 && IsHighByte(data[i]); --i) ++run;
  return run % 2 == 1;
}

KxString KxString::Concat(const char* a, int aLength, const char* b, int bLength) {
  KxString result;
  char* buffer = NewBuffer(static_cast<long long>(aLength) + bLength);
  if (!buffer) return result;
  std::memcpy(buffer, a, static_cast<size_t>(aLength));
  std::memcpy(buffer + aLength, b, static_cast<size_t>(bLength));
  result.Adopt(buffer, aLength + bLength);
  return result;
}

bool operator==(const KxString& a, const KxString& b) { return KxString::Compare(a, b) == 0; }

bool operator==(const KxString& a, const char* b) {
  return CompareBytes(a.CStr(), a.Length(), b ? b : "", TextLength(b)) == 0;
}

bool operator==(const char* a, const KxString& b) { return b == a; }
bool operator!=(const KxString& a, const KxString& b) { return !(a == b); }
bool operator!=(const KxString& a, const char* b) { return !(a == b); }
bool operator!=(const char* a, const KxString& b) { return !(b == a); }
bool operator<(const KxString& a, const KxString& b) { return KxString::Compare(a, b) < 0; }

KxString operator+(const KxString& a, const KxString& b) {
  return KxString::Concat(a.CStr(), a.Length(), b.CStr(), b.Length());
}

KxString operator+(const KxString& a, const char* b) {
  return KxString::Concat(a.CStr(), a.Length(), b ? b : "", TextLength(b));
}

KxString operator+(const char* a, const KxString& b) {
  return KxString::Concat(a ? a : "", TextLength(a), b.CStr(), b.Length());
}

int KxStringList::IndexOf(const KxString& text) const {
  int index = 0;
  for (const Node* node = head; node; node = node->next, ++index) {
    if (node->value == text) return index;
  }
  return -1;
}

// ---- Double-byte text

namespace {

bool IsDigitByte(char c) { return c >= '0' && c <= '9'; }

// A lead byte, a digit, a lead byte and a digit from pos.
bool IsFourByteChar(const KxString& text, int pos) {
  return pos + 3 < text.Length() && KxIsLeadByte(text.At(pos)) && IsDigitByte(text.At(pos + 1)) &&
         KxIsLeadByte(text.At(pos + 2)) && IsDigitByte(text.At(pos + 3));
}

}  // namespace

bool KxIsLeadByte(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return b >= 0x81 && b <= 0xFE;
}


bool KxHasBrokenChar(const KxString& text) {
  for (int i = 0; i < text.Length(); ++i) {
    unsigned char c = static_cast<unsigned char>(text.At(i));
    if (c == 0xFF) return true;
    if (!KxIsLeadByte(text.At(i))) continue;
    if (IsFourByteChar(text, i)) {
      i += 3;
      continue;
    }
    if (i + 1 >= text.Length()) return true;
    unsigned char second = static_cast<unsigned char>(text.At(++i));
    if (second < 0x40 || second == 0x7F || second == 0xFF) return true;
  }
  return false;
}

int KxCharLength(const KxString& text, int pos) {
  if (pos < 0 || pos >= text.Length()) return 0;
  if (!KxIsLeadByte(text.At(pos)) || pos + 1 >= text.Length()) return 1;
  return IsFourByteChar(text, pos) ? 4 : 2;
}

bool KxIsInsideChar(const KxString& text, int pos) {
  if (pos <= 0 || pos >= text.Length()) return false;
  int i = 0;
  while (i < pos) i += KxCharLength(text, i);
  return i != pos;
}

int KxPrevCharPos(const KxString& text, int pos) {
  if (pos > text.Length()) pos = text.Length();
  int previous = 0;
  for (int i = 0; i < pos; i += KxCharLength(text, i)) previous = i;
  return previous;
}

int KxNextCharPos(const KxString& text, int pos) {
  if (pos < 0) return 0;
  int i = 0;
  while (i <= pos && i < text.Length()) i += KxCharLength(text, i);
  return i < text.Length() ? i : text.Length();
}

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

int KxFindNoCase(const KxString& text, const KxString& pattern) {
  int n = pattern.Length();
  if (n == 0) return -1;
  for (int i = 0; i + n <= text.Length(); i += KxCharLength(text, i)) {
    // Character by character from a boundary of both: a double-byte character matches
    // only itself, so a second byte that happens to be a letter is never folded.
    int j = 0;
    while (j < n) {
      int step = KxCharLength(pattern, j);
      if (step == 1 ? AsciiLower(text.At(i + j)) != AsciiLower(pattern.At(j))
                    : KxCharLength(text, i + j) != step || memcmp(text.CStr() + i + j, pattern.CStr() + j, step) != 0)
        break;
      j += step;
    }
    if (j >= n) return i;
  }
  return -1;
}
