#include "kx/base/KxWide.h"

#include "kx/base/KxGb18030.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

wchar_t* NewWide(int count) {
  if (count < 0 || count > INT_MAX / 2 - 1) return nullptr;
  return static_cast<wchar_t*>(std::malloc((static_cast<size_t>(count) + 1) * sizeof(wchar_t)));
}


// ---- GB18030 on top of code page 936

bool IsDigitByte(unsigned char b) { return b >= 0x30 && b <= 0x39; }
bool IsLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// The pair whose field is key, in a table ascending by that field.
const KxGbPair* FindPair(const KxGbPair* table, unsigned short KxGbPair::*field, unsigned key) {
  int low = 0, high = kKxGbPairCount - 1;
  while (low <= high) {
    int mid = (low + high) / 2;
    unsigned at = table[mid].*field;
    if (at == key) return &table[mid];
    if (at < key) low = mid + 1; else high = mid - 1;
  }
  return nullptr;
}

const KxGbPair* FindPairByCode(unsigned short code) { return FindPair(kKxGbPairs, &KxGbPair::code, code); }

// Asked for every character of every text read from the platform: a search, not a walk.
const KxGbPair* FindPairByPoint(wchar_t point) {
  return FindPair(kKxGbPairsByPoint, &KxGbPair::point, point);
}

// Code page 936 writes some private-use characters with the two-byte codes GB18030 gives to
// real ones (U+E76C as A2E3, the euro sign's code): those take the four-byte form instead.
bool IsPrivateUse(wchar_t c) { return c >= 0xE000 && c <= 0xF8FF; }

// A text the one call of code page 936 cannot take as it is.
bool NeedsOwnSteps(const wchar_t* text, int count) {
  for (int i = 0; i < count; ++i) {
    if (text[i] >= 0x80 && (IsPrivateUse(text[i]) || FindPairByPoint(text[i]))) return true;
  }
  return false;
}

// The last range that starts at or before key, by point or by index; -1 before the first.
int RangeAtOrBefore(int key, bool byIndex) {
  int low = 0, high = kKxGbRangeCount - 1, found = -1;
  while (low <= high) {
    int mid = (low + high) / 2;
    int start = byIndex ? kKxGbRanges[mid].index : kKxGbRanges[mid].point;
    if (start <= key) {
      found = mid;
      low = mid + 1;
    } else {
      high = mid - 1;
    }
  }
  return found;
}

int RangeEndIndex(int range) {
  return range + 1 < kKxGbRangeCount ? kKxGbRanges[range + 1].index : kKxGbLastBmpIndex + 1;
}

// The four-byte index of a character of the Basic Multilingual Plane, -1 when GB18030 has it
// only in two bytes.
int FourByteIndexOf(wchar_t point) {
  int range = RangeAtOrBefore(point, false);
  if (range < 0) return -1;
  int index = kKxGbRanges[range].index + (point - kKxGbRanges[range].point);
  return index < RangeEndIndex(range) ? index : -1;
}

int PutFourByte(int index, unsigned char* out) {
  out[3] = static_cast<unsigned char>(0x30 + index % 10);
  index /= 10;
  out[2] = static_cast<unsigned char>(0x81 + index % 126);
  index /= 126;
  out[1] = static_cast<unsigned char>(0x30 + index % 10);
  out[0] = static_cast<unsigned char>(0x81 + index / 10);
  return 4;
}

// Writes at most count characters to out and returns how many. Runs that code page 936
// reads as GB18030 does go to it in one call.
int GbToWide(const unsigned char* bytes, int count, wchar_t* out) {
  int written = 0;
  int run = 0;
  auto flush = [&](int end) {
    if (end > run) {
      written += MultiByteToWideChar(kKxPluginCodePage, 0, reinterpret_cast<const char*>(bytes + run), end - run,
                                     out + written, count - written);
    }
  };
  // What is no character of GB18030 is U+FFFD, never a character 936 would make of it
  // (0x80 its euro sign), so that no byte changes when the text goes back.
  auto broken = [&](int at, int width) {
    flush(at);
    out[written++] = 0xFFFD;
    run = at + width;
    return at + width;
  };
  int i = 0;
  while (i < count) {
    unsigned char b = bytes[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    if (!IsLead(b) || i + 1 >= count) {
      i = broken(i, 1);  // 0x80, 0xFF, or a lead byte at the end
      continue;
    }
    unsigned char trail = bytes[i + 1];
    if (IsDigitByte(trail)) {
      flush(i);
      wchar_t point = 0xFFFD;
      int width = 2;  // a lead byte and a digit without their second half count as one broken character
      if (i + 3 < count && IsLead(bytes[i + 2]) && IsDigitByte(bytes[i + 3])) {
        int index = (((b - 0x81) * 10 + (trail - 0x30)) * 126 + (bytes[i + 2] - 0x81)) * 10 + (bytes[i + 3] - 0x30);
        width = 4;
        if (index <= kKxGbLastBmpIndex) {
          int range = RangeAtOrBefore(index, true);
          if (range >= 0) point = static_cast<wchar_t>(kKxGbRanges[range].point + (index - kKxGbRanges[range].index));
        } else if (index >= kKxGbSupplementaryIndex && index - kKxGbSupplementaryIndex <= 0xFFFFF) {
          int offset = index - kKxGbSupplementaryIndex;
          out[written++] = static_cast<wchar_t>(0xD800 + (offset >> 10));
          point = static_cast<wchar_t>(0xDC00 + (offset & 0x3FF));
        }
      }
      out[written++] = point;
      i += width;
      run = i;
      continue;
    }
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) {
      i = broken(i, 2);  // one broken character, as KxCharLength counts it
      continue;
    }
    if (const KxGbPair* pair = FindPairByCode(static_cast<unsigned short>(b << 8 | trail))) {
      flush(i);
      out[written++] = pair->point;
      i += 2;
      run = i;
      continue;
    }
    i += 2;
  }
  flush(count);
  return written;
}

}  // namespace

KxWide::KxWide() : data(inlineChars), length(0), capacity(kInline) { inlineChars[0] = 0; }

KxWide::KxWide(const KxString& text) : KxWide() { FromBytes(text.CStr(), text.Length()); }

KxWide::KxWide(const char* text) : KxWide() {
  if (text) FromBytes(text, static_cast<int>(std::strlen(text)));
}

void KxWide::FromBytes(const char* bytes, int count) {
  if (count <= 0 || !Resize(count)) return;  // never more characters than bytes
  length = GbToWide(reinterpret_cast<const unsigned char*>(bytes), count, data);
  data[length] = 0;
}

KxWide::KxWide(const wchar_t* text, int count) : KxWide() {
  if (!text || count <= 0 || !Resize(count)) return;
  std::memcpy(data, text, static_cast<size_t>(count) * sizeof(wchar_t));
}

KxWide::~KxWide() {
  if (data != inlineChars) std::free(data);
}

bool KxWide::Resize(int n) {
  if (n < 0) return false;
  if (n > capacity) {
    wchar_t* grown = NewWide(n);
    if (!grown) return false;
    std::memcpy(grown, data, static_cast<size_t>(length) * sizeof(wchar_t));
    if (data != inlineChars) std::free(data);
    data = grown;
    capacity = n;
  }
  for (int i = length; i <= n; ++i) data[i] = 0;
  length = n;
  data[length] = 0;
  return true;
}

KxString KxFromWide(const wchar_t* text, int count) {
  if (!text) return KxString();
  if (count < 0) count = lstrlenW(text);
  if (count <= 0) return KxString();
  // Most texts are all GBK: one call of code page 936 converts them.
  if (!NeedsOwnSteps(text, count)) {
    BOOL lost = FALSE;
    int bytes = WideCharToMultiByte(kKxPluginCodePage, WC_NO_BEST_FIT_CHARS, text, count, nullptr, 0, nullptr, &lost);
    KxString result;
    if (bytes > 0 && !lost && result.Resize(bytes)) {
      WideCharToMultiByte(kKxPluginCodePage, WC_NO_BEST_FIT_CHARS, text, count, result.Buffer(), bytes, nullptr, nullptr);
      return result;
    }
  }
  KxString result;
  if (count > INT_MAX / 4 || !result.Resize(count * 4)) return KxString();
  unsigned char* out = reinterpret_cast<unsigned char*>(result.Buffer());
  int written = 0;
  for (int i = 0; i < count; ++i) {
    wchar_t c = text[i];
    if (c < 0x80) {
      out[written++] = static_cast<unsigned char>(c);
      continue;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        int point = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        written += PutFourByte(kKxGbSupplementaryIndex + point - 0x10000, out + written);
        ++i;
      } else {
        out[written++] = '?';
      }
      continue;
    }
    if (const KxGbPair* pair = FindPairByPoint(c)) {
      out[written++] = static_cast<unsigned char>(pair->code >> 8);
      out[written++] = static_cast<unsigned char>(pair->code & 0xFF);
      continue;
    }
    if (IsPrivateUse(c)) {
      int index = FourByteIndexOf(c);
      if (index >= 0) {
        written += PutFourByte(index, out + written);
        continue;
      }
    }
    char two[2];
    BOOL lost = FALSE;
    int bytes = WideCharToMultiByte(kKxPluginCodePage, WC_NO_BEST_FIT_CHARS, &c, 1, two, 2, nullptr, &lost);
    if (bytes > 0 && !lost) {
      for (int b = 0; b < bytes; ++b) out[written++] = static_cast<unsigned char>(two[b]);
      continue;
    }
    int index = FourByteIndexOf(c);
    if (index >= 0) {
      written += PutFourByte(index, out + written);
    } else {
      out[written++] = '?';
    }
  }
  result.Resize(written);
  return result;
}

KxString KxToGbk(const KxString& text) {
  KxWide wide(text);
  if (wide.IsEmpty()) return KxString();
  // A character beyond U+FFFF is one "?", not one for each half of its surrogate pair.
  wchar_t* units = wide.Buffer();
  int count = 0;
  for (int i = 0; i < wide.Length(); ++i) {
    bool pair = units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < wide.Length() && units[i + 1] >= 0xDC00 &&
                units[i + 1] <= 0xDFFF;
    units[count++] = pair ? L'?' : units[i];
    if (pair) ++i;
  }
  int bytes = WideCharToMultiByte(kKxPluginCodePage, WC_NO_BEST_FIT_CHARS, units, count, nullptr, 0, "?", nullptr);
  KxString result;
  if (bytes <= 0 || !result.Resize(bytes)) return KxString();
  WideCharToMultiByte(kKxPluginCodePage, WC_NO_BEST_FIT_CHARS, units, count, result.Buffer(), bytes, "?", nullptr);
  return result;
}

KxString KxWindowText(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return KxString();
  KxWide text;
  if (!text.Resize(length)) return KxString();
  int got = GetWindowTextW(hwnd, text.Buffer(), length + 1);
  return KxFromWide(text, got < length ? got : length);
}

bool KxSetWindowText(HWND hwnd, const KxString& text) { return SetWindowTextW(hwnd, KxWide(text)) != FALSE; }

int KxCompareNoCase(const KxString& a, const KxString& b) {
  int order = lstrcmpiW(KxWide(a), KxWide(b));
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

bool KxSamePath(const KxString& a, const KxString& b) {
  KxWide wideA(a), wideB(b);
  return CompareStringOrdinal(wideA, wideA.Length(), wideB, wideB.Length(), TRUE) == CSTR_EQUAL;
}

KxString KxTypedChar(wchar_t unit, wchar_t* pendingHigh) {
  wchar_t high = *pendingHigh;
  *pendingHigh = 0;
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    *pendingHigh = unit;
    return high ? KxString("?") : KxString();
  }
  if (unit >= 0xDC00 && unit <= 0xDFFF) {
    if (!high) return KxString("?");
    wchar_t pair[2] = {high, unit};
    return KxFromWide(pair, 2);
  }
  KxString typed = KxFromWide(&unit, 1);
  return high ? "?" + typed : typed;
}
