#pragma once
// The pinyin readings of the Hanzi, for finding Chinese texts by what a person types on a
// Latin keyboard. The table is made at build time from the Unicode Han database
// (MakePinyinTable.pl, from Debian's unicode-data): each reading toneless, lower-case
// ASCII, ü written "v"; a polyphone has each of its modern readings, the most common first.

#include "kx/base/KxString.h"

// The most readings one character has; the generator refuses a table with more.
constexpr int kPinyinMaxReadings = 8;

// The readings of one GBK double-byte character (lead, trail), each lower-case ASCII
// ("xing", "hang"); empty for anything that is not a Hanzi with a reading.
KxStringList PinyinReadings(unsigned char lead, unsigned char trail);

// ---- The cheap form, for callers that look up many characters
// A reading set stands for the readings of a character; 0 is the set of none. Characters
// with the same readings share one set.

// The set of a GBK double-byte character. The first call converts every GBK code once
// (code page 936) into a table of the sets; later calls are an array read.
int PinyinSetOf(unsigned char lead, unsigned char trail);
// The set of a Unicode code point (U+4E00-U+9FFF, U+F900-U+FAFF hold readings).
int PinyinSetOfCodePoint(unsigned int codePoint);

// The generated table (KxPinyinTable.cpp in the build tree): the syllables as one text of
// zero-terminated strings and where each starts; the sets as runs of a count followed by
// that many syllable numbers, a set being its run's offset; the set of each code point.
extern const int kPinyinSyllableCount;
extern const char kPinyinSyllableText[];
extern const unsigned short kPinyinSyllableStart[];
extern const unsigned short kPinyinSets[];
extern const unsigned short kPinyinUnified[0x9FFF - 0x4E00 + 1];
extern const unsigned short kPinyinCompatibility[0xFAFF - 0xF900 + 1];

inline int PinyinSetCount(int set) { return kPinyinSets[set]; }
// Reading i (0 <= i < PinyinSetCount(set)) of a set.
inline const char* PinyinSetReading(int set, int i) {
  return kPinyinSyllableText + kPinyinSyllableStart[kPinyinSets[set + 1 + i]];
}
