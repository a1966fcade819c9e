#pragma once
// The quick search's matching engine: the shortcuts of the launcher tree found by a few
// typed letters. No windows: the quick window builds an index from the tree each time it
// opens and asks it on every keystroke.
//
// A shortcut is found by its caption and by its program's file name without the extension
// ("notepad" of C:\Windows\notepad.exe), ASCII letters in either case, and its Hanzi also
// by pinyin: each Hanzi takes the start of any of its readings, from the first letter to
// the whole syllable, so "wx", "weixin" and "weix" all find 微信, and "lv" finds 绿 (ü is
// typed "v"). Latin and Hanzi mix in one query ("qqyy", "wordwd", "微x"). Spaces count for
// nothing, in the query and in the texts ("word wd" is "wordwd"); every other character
// matches itself only.
//
// Ranking: how the best of a shortcut's matches begins — the whole text (exact: each Hanzi
// by its first letter or its whole syllable), at the text's start (prefix), at a word's
// start (word start), anywhere else (substring) — then the shortcuts started most often,
// then the one started last, then tree order. Word starts: each Hanzi and other double-byte
// character; a run of letters or of digits after anything else; an upper-case letter after
// a lower-case one ("PhotoBox"); the first character.

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "kx/base/KxString.h"

struct QuickCandidate {
  int id = 0;            // S_ID
  KxString caption;      // S_TEXT, GBK
  KxString path;         // S_PATH; its file name is matched too
  int launches = 0;      // how often this user started it
  KxString lastLaunch;   // "YYYY-MM-DD" of the last start, empty for never
};

class QuickIndex {
public:
  // Queries longer than this (in bytes, without spaces) find nothing.
  static constexpr int kMaxQuery = 63;

  void Reserve(size_t count);
  void Add(const QuickCandidate& candidate);  // in tree order
  size_t Count() const { return entries.size(); }
  // The ids of at most limit candidates matching query (GBK, any case), best first; empty
  // query -> the most started (then most recent, then tree order) first, limit of them.
  std::vector<int> Find(const KxString& query, size_t limit) const;

private:
  // One character of a text: an ASCII byte (lower case), or a double-byte character and
  // its pinyin reading set (0 for none).
  struct Unit {
    unsigned char byte;
    unsigned char trail;  // 0 for a single byte
    unsigned char wordStart;
    unsigned short readings;
  };
  // Symbols a text holds, one bit each: a printable ASCII character by its code, anything
  // else (a double-byte character, a control code) by a hash into the control codes' bits,
  // which may say yes wrongly, never no.
  struct Symbols {
    uint64_t bits[2];
  };
  // Pairs of printable ASCII characters a match can consume one right after the other
  // (within a syllable, from one character to the next), hashed to one bit each.
  struct Pairs {
    uint64_t bits[4];
  };
  struct Entry {
    Pairs pairs;
    Symbols starts;  // what a match can begin with
    Symbols all;     // what a match can consume
    // What a match of one letter begins with at a word start, at a text's start, and as a
    // whole text: a one-letter query's class without matching.
    Symbols words, prefixes, wholes;
    uint64_t rank;   // the ranking after the match class, smaller first
    uint32_t caption, file, end;  // the units of the caption, then of the file name
    int id;
  };

  struct Query;  // a query made ready for matching

  void AddUnits(const unsigned char* text, int length, Entry& entry);
  static void AddStarts(const Unit& unit, Symbols& symbols);
  static void AddPairs(unsigned char first, const Unit& next, Pairs& pairs);
  int Classify(const Entry& entry, const Query& query) const;

  std::vector<Entry> entries;
  std::vector<Unit> units;
};
