#pragma once
// The part of GB18030 that code page 936 lacks, made at build time (MakeGb18030Table.py).
// Code page 936 reads and writes the two-byte part; these tables add the four-byte form and
// the two-byte codes 936 reads as private-use characters. KxWide.cpp is their one reader.

struct KxGbRange {
  unsigned short point;  // first code point of a run
  int index;             // its four-byte index: ((b0-0x81)*10+(b1-0x30))*126+(b2-0x81))*10+(b3-0x30)
};
struct KxGbPair {
  unsigned short code;   // lead << 8 | trail
  unsigned short point;
};

extern const KxGbRange kKxGbRanges[];  // ascending in both fields
extern const int kKxGbRangeCount;
extern const int kKxGbLastBmpIndex;        // index of U+FFFF
extern const int kKxGbSupplementaryIndex;  // index of U+10000; U+10FFFF follows linearly
extern const KxGbPair kKxGbPairs[];  // ascending by code
extern const int kKxGbPairCount;
extern const KxGbPair kKxGbPairsByPoint[];  // the same, ascending by point
