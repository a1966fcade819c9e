#include "launcher/QuickMatch.h"

#include <algorithm>

#include "kx/base/KxPinyin.h"

// Matching runs bit-parallel over the query (shift-and): a mask holds one bit for each
// number of query bytes consumed so far, a text's characters are stepped through once, and
// each step moves every bit at once. Four masks run side by side, one per way the match
// began (at the first character, wholly so far, at a word start, anywhere), so one pass
// gives a text's best match class.

namespace {

enum MatchClass { kExact, kPrefix, kWordStart, kSubstring, kNoMatch };

// The ranking after the class, packed so that one comparison orders two matches: fewer
// launches, then an older last launch, then a later place in the tree compare greater.
constexpr uint64_t kLaunchLimit = (1u << 20) - 1;
constexpr uint64_t kDateLimit = (1u << 20) - 1;
constexpr uint64_t kOrderLimit = (1u << 22) - 1;
constexpr int kClassShift = 62;

// Up to this many results the best are kept in order as they come; more are sorted at
// the end.
constexpr size_t kSmallLimit = 64;

// "YYYY-MM-DD" as a number that grows with the date; 0 (older than any) for anything else.
uint64_t DateNumber(const KxString& date) {
  if (date.Length() != 10 || date.At(4) != '-' || date.At(7) != '-') return 0;
  int value[3] = {};
  const int starts[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
  for (int part = 0; part < 3; ++part) {
    for (int i = starts[part]; i < starts[part] + lengths[part]; ++i) {
      char c = date.At(i);
      if (c < '0' || c > '9') return 0;
      value[part] = value[part] * 10 + (c - '0');
    }
  }
  if (value[1] < 1 || value[1] > 12 || value[2] < 1 || value[2] > 31) return 0;
  uint64_t number = static_cast<uint64_t>(value[0]) * 372 + (value[1] - 1) * 31 + value[2];
  return std::min(number, kDateLimit);
}

// The texts are GBK: a lead byte and the byte after it are one character.
bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

int SymbolOf(unsigned char byte, unsigned char trail) {
  return trail ? (byte * 31 + trail) & 31 : byte & 127;
}

enum CharKind { kNothing, kBlank, kPunctuation, kLower, kUpper, kDigit, kDouble };

CharKind KindOf(unsigned char c) {
  if (c >= 'a' && c <= 'z') return kLower;
  if (c >= 'A' && c <= 'Z') return kUpper;
  if (c >= '0' && c <= '9') return kDigit;
  return kPunctuation;
}

bool IsLetter(CharKind kind) { return kind == kLower || kind == kUpper; }

bool StartsWord(CharKind kind, CharKind previous) {
  if (previous == kNothing) return true;
  if (IsLetter(kind)) return !IsLetter(previous) || (kind == kUpper && previous == kLower);
  if (kind == kDigit) return previous != kDigit;
  return previous == kBlank;
}

}  // namespace

struct QuickIndex::Query {
  int length = 0;   // bytes, without the spaces
  uint64_t at[256];  // at[b]: bit p set when the query's byte p is b
  Symbols symbols = {};
  Pairs pairs = {};  // each two printable ASCII characters one after the other
  int first = 0;    // the symbol of the first character
};

namespace {

void AddSymbol(uint64_t (&bits)[2], int symbol) { bits[symbol >> 6] |= 1ull << (symbol & 63); }

bool HasSymbol(const uint64_t (&bits)[2], int symbol) { return (bits[symbol >> 6] >> (symbol & 63)) & 1; }

bool IsPrintable(unsigned char c) { return c >= 0x20 && c < 0x80; }

void AddPair(uint64_t (&bits)[4], unsigned char first, unsigned char second) {
  const unsigned bit = (first * 37u + second * 11u) & 255;
  bits[bit >> 6] |= 1ull << (bit & 63);
}

}  // namespace

void QuickIndex::Reserve(size_t count) {
  entries.reserve(count);
  units.reserve(count * 24);  // a caption and a file name of a dozen characters each
}

void QuickIndex::AddStarts(const Unit& unit, Symbols& symbols) {
  AddSymbol(symbols.bits, SymbolOf(unit.byte, unit.trail));
  for (int r = 0; r < PinyinSetCount(unit.readings); ++r)
    AddSymbol(symbols.bits, PinyinSetReading(unit.readings, r)[0]);
}

void QuickIndex::AddPairs(unsigned char first, const Unit& next, Pairs& pairs) {
  if (!IsPrintable(first)) return;
  if (!next.trail) {
    if (IsPrintable(next.byte)) AddPair(pairs.bits, first, next.byte);
    return;
  }
  for (int r = 0; r < PinyinSetCount(next.readings); ++r)
    AddPair(pairs.bits, first, static_cast<unsigned char>(PinyinSetReading(next.readings, r)[0]));
}

void QuickIndex::AddUnits(const unsigned char* bytes, int length, Entry& entry) {
  const size_t first = units.size();
  CharKind previous = kNothing;
  for (int i = 0; i < length;) {
    const unsigned char c = bytes[i];
    if (IsGbkLead(c) && i + 1 < length) {
      const unsigned char trail = bytes[i + 1];
      const int set = PinyinSetOf(c, trail);
      units.push_back(Unit{c, trail, 1, static_cast<unsigned short>(set)});
      AddSymbol(entry.all.bits, SymbolOf(c, trail));
      for (int r = 0; r < PinyinSetCount(set); ++r)
        for (const char* reading = PinyinSetReading(set, r); *reading; ++reading)
          AddSymbol(entry.all.bits, *reading);
      AddStarts(units.back(), entry.starts);
      AddStarts(units.back(), entry.words);  // a double-byte character starts a word
      previous = kDouble;
      i += 2;
    } else {
      ++i;
      if (c == ' ' || c == '\t') {
        previous = kBlank;
        continue;
      }
      const CharKind kind = KindOf(c);
      const unsigned char lower = kind == kUpper ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
      const bool wordStart = StartsWord(kind, previous);
      units.push_back(Unit{lower, 0, static_cast<unsigned char>(wordStart), 0});
      const int symbol = SymbolOf(lower, 0);
      AddSymbol(entry.all.bits, symbol);
      AddSymbol(entry.starts.bits, symbol);
      if (wordStart) AddSymbol(entry.words.bits, symbol);
      previous = kind;
    }
  }
  if (units.size() > first) AddStarts(units[first], entry.prefixes);
  if (units.size() == first + 1) AddStarts(units[first], entry.wholes);
  for (size_t u = first; u < units.size(); ++u) {
    const Unit& unit = units[u];
    const Unit* next = u + 1 < units.size() ? &units[u + 1] : nullptr;
    if (!unit.trail) {
      if (next) AddPairs(unit.byte, *next, entry.pairs);
      continue;
    }
    // A syllable's letters one after the other, and any of them (the end of what the
    // match took of it) before the next character.
    for (int r = 0; r < PinyinSetCount(unit.readings); ++r) {
      const unsigned char* s = reinterpret_cast<const unsigned char*>(PinyinSetReading(unit.readings, r));
      for (int j = 0; s[j]; ++j) {
        if (s[j + 1]) AddPair(entry.pairs.bits, s[j], s[j + 1]);
        if (next) AddPairs(s[j], *next, entry.pairs);
      }
    }
  }
}

void QuickIndex::Add(const QuickCandidate& candidate) {
  if (entries.size() > kOrderLimit) return;
  Entry entry = {};
  const uint64_t launches = std::min<uint64_t>(std::max(candidate.launches, 0), kLaunchLimit);
  entry.rank = (kLaunchLimit - launches) << 42 | (kDateLimit - DateNumber(candidate.lastLaunch)) << 22 |
               entries.size();
  entry.id = candidate.id;
  entry.caption = static_cast<uint32_t>(units.size());
  AddUnits(reinterpret_cast<const unsigned char*>(candidate.caption.CStr()), candidate.caption.Length(), entry);
  entry.file = static_cast<uint32_t>(units.size());
  // The file name: after the last backslash or slash, up to its first dot.
  const KxString& path = candidate.path;
  int nameStart = 0;
  for (int i = 0; i < path.Length(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path.At(i));
    if (IsGbkLead(c)) ++i;
    else if (c == '\\' || c == '/') nameStart = i + 1;
  }
  int nameEnd = nameStart;
  while (nameEnd < path.Length() && path.At(nameEnd) != '.')
    nameEnd += IsGbkLead(static_cast<unsigned char>(path.At(nameEnd))) ? 2 : 1;
  if (nameEnd > path.Length()) nameEnd = path.Length();
  AddUnits(reinterpret_cast<const unsigned char*>(path.CStr()) + nameStart, nameEnd - nameStart, entry);
  entry.end = static_cast<uint32_t>(units.size());
  entries.push_back(entry);
}

int QuickIndex::Classify(const Entry& entry, const Query& query) const {
  if (!HasSymbol(entry.starts.bits, query.first)) return kNoMatch;
  // One printable letter: the symbols alone tell the class, since a match consumes one
  // ASCII character or a Hanzi's first letter.
  if (query.length == 1 && query.first >= 0x20) {
    if (HasSymbol(entry.wholes.bits, query.first)) return kExact;
    if (HasSymbol(entry.prefixes.bits, query.first)) return kPrefix;
    return HasSymbol(entry.words.bits, query.first) ? kWordStart : kSubstring;
  }
  if ((query.symbols.bits[0] & ~entry.all.bits[0]) | (query.symbols.bits[1] & ~entry.all.bits[1]))
    return kNoMatch;
  const uint64_t* pairs = entry.pairs.bits;
  if ((query.pairs.bits[0] & ~pairs[0]) | (query.pairs.bits[1] & ~pairs[1]) | (query.pairs.bits[2] & ~pairs[2]) |
      (query.pairs.bits[3] & ~pairs[3]))
    return kNoMatch;
  const uint64_t done = 1ull << query.length;
  int best = kNoMatch;
  for (int text = 0; text < 2 && best != kExact; ++text) {
    const Unit* u = units.data() + (text == 0 ? entry.caption : entry.file);
    const Unit* last = units.data() + (text == 0 ? entry.file : entry.end);
    // Query bytes consumed by a match that began at the first unit (prefix), at the first
    // unit and took each Hanzi by its first letter, its syllable or itself (whole), at a
    // word start, anywhere.
    uint64_t prefix = 1, whole = 1, word = 0, any = 0;
    for (; u != last; ++u) {
      if (best > kWordStart && u->wordStart) word |= 1;
      if (best > kSubstring) any |= 1;
      // Nothing better can come: the match began too late, or only an exact one would be.
      if (best <= kPrefix && !whole) break;
      if (!(prefix | whole | word | any)) {
        if (best <= kWordStart) break;
        continue;
      }
      uint64_t nextPrefix, nextWhole, nextWord, nextAny;
      if (!u->trail) {
        const uint64_t at = query.at[u->byte];
        nextPrefix = (prefix & at) << 1;
        nextWhole = (whole & at) << 1;
        nextWord = (word & at) << 1;
        nextAny = (any & at) << 1;
      } else {
        const uint64_t lead = query.at[u->byte], trail = query.at[u->trail];
        nextPrefix = (((prefix & lead) << 1) & trail) << 1;
        nextWhole = (((whole & lead) << 1) & trail) << 1;
        nextWord = (((word & lead) << 1) & trail) << 1;
        nextAny = (((any & lead) << 1) & trail) << 1;
        for (int r = 0; r < PinyinSetCount(u->readings); ++r) {
          const unsigned char* s = reinterpret_cast<const unsigned char*>(PinyinSetReading(u->readings, r));
          uint64_t p = prefix, h = whole, w = word, a = any;
          for (int j = 0; s[j]; ++j) {
            const uint64_t at = query.at[s[j]];
            p &= at, h &= at, w &= at, a &= at;
            if (!(p | h | w | a)) break;
            p <<= 1, h <<= 1, w <<= 1, a <<= 1;
            nextPrefix |= p, nextWord |= w, nextAny |= a;
            if (j == 0 || !s[j + 1]) nextWhole |= h;
          }
        }
      }
      prefix = nextPrefix, whole = nextWhole, word = nextWord, any = nextAny;
      if (prefix & done) best = std::min<int>(best, kPrefix);
      else if (word & done) best = std::min<int>(best, kWordStart);
      else if (any & done) best = std::min<int>(best, kSubstring);
      if ((whole & done) && u + 1 == last) best = kExact;
    }
  }
  return best;
}

std::vector<int> QuickIndex::Find(const KxString& text, size_t limit) const {
  std::vector<int> ids;
  if (!limit || entries.empty()) return ids;

  Query query;
  std::fill(std::begin(query.at), std::end(query.at), 0);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.CStr());
  unsigned char chars[kMaxQuery];
  unsigned char previous = 0;
  bool previousPrintable = false;
  for (int i = 0; i < text.Length();) {
    unsigned char c = bytes[i];
    const bool dbcs = IsGbkLead(c) && i + 1 < text.Length();
    const int size = dbcs ? 2 : 1;
    if (!dbcs && (c == ' ' || c == '\t')) {
      ++i;
      continue;
    }
    if (query.length + size > kMaxQuery) return ids;
    if (!dbcs && c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + ('a' - 'A'));
    const int symbol = SymbolOf(c, dbcs ? bytes[i + 1] : 0);
    if (!query.length) query.first = symbol;
    AddSymbol(query.symbols.bits, symbol);
    if (!dbcs && IsPrintable(c) && previousPrintable) AddPair(query.pairs.bits, previous, c);
    previousPrintable = !dbcs && IsPrintable(c);
    previous = c;
    chars[query.length++] = c;
    if (dbcs) chars[query.length++] = bytes[i + 1];
    i += size;
  }
  for (int p = 0; p < query.length; ++p) query.at[chars[p]] |= 1ull << p;

  std::vector<uint64_t> best;
  const bool small = limit <= kSmallLimit;
  best.reserve(small ? limit + 1 : entries.size());
  for (const Entry& entry : entries) {
    const int matchClass = query.length ? Classify(entry, query) : kExact;
    if (matchClass == kNoMatch) continue;
    const uint64_t key = static_cast<uint64_t>(matchClass) << kClassShift | entry.rank;
    if (!small) {
      best.push_back(key);
      continue;
    }
    if (best.size() == limit && key >= best.back()) continue;
    best.insert(std::upper_bound(best.begin(), best.end(), key), key);
    if (best.size() > limit) best.pop_back();
  }
  if (!small) {
    const size_t kept = std::min(limit, best.size());
    std::partial_sort(best.begin(), best.begin() + kept, best.end());
    best.resize(kept);
  }
  ids.reserve(best.size());
  for (uint64_t key : best) ids.push_back(entries[key & kOrderLimit].id);
  return ids;
}
