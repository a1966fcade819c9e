#include "kx/base/KxPinyin.h"

#include <windows.h>

#include <vector>

namespace {

constexpr int kLeadFirst = 0x81;
constexpr int kLeadCount = 0xFE - kLeadFirst + 1;
constexpr int kTrailFirst = 0x40;
constexpr int kTrailCount = 0xFE - kTrailFirst + 1;

// The set of every GBK double-byte code, made once: a lead byte's row of codes goes to
// MultiByteToWideChar in one call, one character at a time only if the code page reads
// that row as a different number of characters. On the heap: as a static array its 48 KB
// of zeros would be stored in the program file.
std::vector<unsigned short> MakeGbkSets() {
  std::vector<unsigned short> sets(kLeadCount * kTrailCount);
  unsigned short* set = sets.data();
  char row[2 * kTrailCount];
  unsigned char trails[kTrailCount];
  wchar_t wide[kTrailCount];
  for (int lead = kLeadFirst; lead < kLeadFirst + kLeadCount; ++lead) {
    int count = 0;
    for (int trail = kTrailFirst; trail < kTrailFirst + kTrailCount; ++trail) {
      if (trail == 0x7F) continue;  // no trail byte
      trails[count] = static_cast<unsigned char>(trail);
      row[2 * count] = static_cast<char>(lead);
      row[2 * count + 1] = static_cast<char>(trail);
      ++count;
    }
    unsigned short* out = set + (lead - kLeadFirst) * kTrailCount - kTrailFirst;
    if (MultiByteToWideChar(936, 0, row, 2 * count, wide, kTrailCount) == count) {
      for (int i = 0; i < count; ++i)
        out[trails[i]] = static_cast<unsigned short>(PinyinSetOfCodePoint(wide[i]));
      continue;
    }
    for (int i = 0; i < count; ++i) {
      wchar_t one;
      if (MultiByteToWideChar(936, 0, row + 2 * i, 2, &one, 1) == 1)
        out[trails[i]] = static_cast<unsigned short>(PinyinSetOfCodePoint(one));
    }
  }
  return sets;
}

const std::vector<unsigned short>& TheGbkSets() {
  static const std::vector<unsigned short> sets = MakeGbkSets();
  return sets;
}

}  // namespace

int PinyinSetOfCodePoint(unsigned int codePoint) {
  if (codePoint >= 0x4E00 && codePoint <= 0x9FFF) return kPinyinUnified[codePoint - 0x4E00];
  if (codePoint >= 0xF900 && codePoint <= 0xFAFF) return kPinyinCompatibility[codePoint - 0xF900];
  return 0;
}

int PinyinSetOf(unsigned char lead, unsigned char trail) {
  if (lead < kLeadFirst || lead >= kLeadFirst + kLeadCount || trail < kTrailFirst ||
      trail >= kTrailFirst + kTrailCount)
    return 0;
  return TheGbkSets()[(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)];
}

KxStringList PinyinReadings(unsigned char lead, unsigned char trail) {
  KxStringList readings;
  int set = PinyinSetOf(lead, trail);
  for (int i = 0; i < PinyinSetCount(set); ++i) readings.Add(PinyinSetReading(set, i));
  return readings;
}
