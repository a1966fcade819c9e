#include "kx/base/KxString.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Items(const KxStringList& list) {
  std::vector<std::string> out;
  for (const auto& item : list) {
    out.emplace_back(item.CStr(), static_cast<size_t>(item.Length()));
  }
  return out;
}

// Walks backwards so broken prev links show up as a mismatch.
std::vector<int> Backwards(const KxList<int>& list) {
  std::vector<int> out;
  for (const KxListNode<int>* n = list.Tail(); n; n = n->prev) out.push_back(n->value);
  return out;
}

using Parts = std::vector<std::string>;

}  // namespace

TEST(KxStringTest, ChineseLiteralsAreGbkBytes) {
  KxString caption("提示");
  ASSERT_EQ(caption.Length(), 4);
  const unsigned char expected[] = {0xCC, 0xE1, 0xCA, 0xBE};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(static_cast<unsigned char>(caption.At(i)), expected[i]);
}

TEST(KxStringTest, ConstructionAndOwnership) {
  KxString none(nullptr);
  EXPECT_TRUE(none.IsEmpty());
  ASSERT_NE(none.CStr(), nullptr);
  EXPECT_EQ(none.CStr()[0], 0);

  KxString bytes("a\0b", 3);
  EXPECT_EQ(bytes.Length(), 3);
  EXPECT_EQ(bytes.At(1), 0);
  EXPECT_EQ(bytes.At(3), 0);
  EXPECT_EQ(bytes.At(-1), 0);
  EXPECT_NE(bytes, "a");

  EXPECT_EQ(KxString('-', 3), "---");
  EXPECT_TRUE(KxString('-', 0).IsEmpty());

  KxString original("abc");
  KxString copy(original);
  copy.Buffer()[0] = 'x';
  EXPECT_EQ(original, "abc");

  KxString moved(static_cast<KxString&&>(original));
  EXPECT_EQ(moved, "abc");
  EXPECT_TRUE(original.IsEmpty());
  EXPECT_EQ(original.CStr()[0], 0);

  // The source points into the string's own buffer.
  KxString self("hello");
  self.Assign(self.CStr() + 2);
  EXPECT_EQ(self, "llo");
  self = self;
  EXPECT_EQ(self, "llo");
  self.Append(self);
  EXPECT_EQ(self, "llollo");
  self.Insert(3, self);
  EXPECT_EQ(self, "llollollollo");
}

TEST(KxStringTest, ResizeKeepsTerminatorAfterNewEnd) {
  KxString s("ab");
  ASSERT_TRUE(s.Resize(4));
  EXPECT_EQ(s.Length(), 4);
  EXPECT_EQ(s.CStr()[2], 0);
  EXPECT_EQ(s.CStr()[4], 0);
  s.Buffer()[2] = 'c';
  s.Buffer()[3] = 'd';
  EXPECT_EQ(s, "abcd");
  ASSERT_TRUE(s.Resize(1));
  EXPECT_EQ(s, "a");
  EXPECT_EQ(s.CStr()[1], 0);
  EXPECT_FALSE(s.Resize(-1));
  EXPECT_EQ(s, "a");
}

TEST(KxStringTest, CompareUsesSignedBytesThenLength) {
  struct Case { const char* a; const char* b; int expected; };
  const Case cases[] = {
      {"ab", "abc", -1}, {"abc", "ab", 1}, {"abc", "abc", 0}, {"", "", 0}, {"", "a", -1},
      {"\x80", "a", -1}, {"\xCC\xE1", "\x01", -1}, {"b", "a\xFF", 1}, {"\xFF", "\x80", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KxString::Compare(c.a, c.b), c.expected) << c.a << " / " << c.b;
    EXPECT_EQ(KxString(c.a) < KxString(c.b), c.expected < 0);
    EXPECT_EQ(KxString(c.a) == c.b, c.expected == 0);
    EXPECT_EQ(c.a != KxString(c.b), c.expected != 0);
  }
}

TEST(KxStringTest, FindAndCut) {
  struct Case { int from; const char* pattern; int expected; };
  const Case cases[] = {
      {0, "bc", 1}, {2, "bc", 4}, {5, "bc", -1}, {6, "c", -1}, {9, "a", -1},
      {-3, "ab", 0}, {0, "", -1}, {0, "abcabcx", -1}, {0, "x", -1},
  };
  KxString text("abcabc");
  for (const Case& c : cases) {
    EXPECT_EQ(text.Find(c.from, c.pattern), c.expected) << c.from << " " << c.pattern;
  }
  EXPECT_EQ(KxString("a\\b\\c").FindLast('\\'), 3);
  EXPECT_EQ(text.FindLast('x'), -1);

  EXPECT_EQ(text.Mid(2, 1), "bc");
  EXPECT_EQ(text.Mid(-1, 4), "bc");
  EXPECT_EQ(text.Mid(0, 1), "");
  EXPECT_EQ(text.Mid(10, 4), "bc");
  EXPECT_EQ(text.Mid(2, 6), "");
  EXPECT_EQ(text.Right(2), "bc");
  EXPECT_EQ(text.Right(10), "abcabc");
  EXPECT_EQ(text.Right(0), "");

  struct Edit { int pos; int count; const char* expected; };
  const Edit removes[] = {{1, 2, "aabc"}, {4, 10, "abca"}, {0, 6, ""}, {6, 1, "abcabc"}, {2, 0, "abcabc"}};
  for (const Edit& e : removes) {
    KxString s(text);
    s.Remove(e.pos, e.count);
    EXPECT_EQ(s, e.expected) << e.pos << "," << e.count;
  }
  const Edit inserts[] = {{0, 0, "XYabc"}, {-5, 0, "XYabc"}, {1, 0, "aXYbc"}, {3, 0, "abcXY"}, {9, 0, "abcXY"}};
  for (const Edit& e : inserts) {
    KxString s("abc");
    s.Insert(e.pos, "XY");
    EXPECT_EQ(s, e.expected) << e.pos;
  }
}

TEST(KxStringTest, ReplaceAllResumesAfterInsertedText) {
  struct Case { const char* text; const char* pattern; const char* with; const char* expected; };
  const Case cases[] = {
      {"a'b'", "'", "''", "a''b''"}, {"aaa", "a", "aa", "aaaaaa"}, {"abab", "ab", "", ""},
      {"xaaay", "aa", "b", "xbay"},  {"abc", "", "x", "abc"},      {"abc", "d", "x", "abc"},
  };
  for (const Case& c : cases) {
    KxString s(c.text);
    s.ReplaceAll(c.pattern, c.with);
    EXPECT_EQ(s, c.expected) << c.text;
  }
  KxString s("abc");
  s.ReplaceAll(s, "x");
  EXPECT_EQ(s, "x");
}

TEST(KxStringTest, BetweenSetsEndPosition) {
  KxString text("<a>1</a><b></b>");
  int pos = 99;
  EXPECT_EQ(KxString::Between(text, 0, "<a>", "</a>", &pos), "1");
  EXPECT_EQ(pos, 8);
  EXPECT_EQ(KxString::Between(text, 1, "<", ">", &pos), "/a");
  EXPECT_EQ(pos, 8);
  EXPECT_EQ(KxString::Between(text, 0, "<b>", "</c>", &pos), "");
  EXPECT_EQ(pos, 11);
  EXPECT_EQ(KxString::Between(text, 0, "<c>", ">", &pos), "");
  EXPECT_EQ(pos, -1);
  EXPECT_EQ(KxString::Between(text, 9, "<a>", "</a>", &pos), "");
  EXPECT_EQ(pos, -1);

  EXPECT_EQ(KxString::Between(text, "<b>", "</b>"), "");
  EXPECT_EQ(KxString::Between(text, "</a>", "</b>"), "<b>");
  EXPECT_EQ(KxString::Between("Content-Length: 12\r\n", "Content-Length:", "\r\n"), " 12");
}

TEST(KxStringTest, TrimTouchesOnlyBlanks) {
  struct Case { const char* text; const char* trimmed; const char* left; const char* right; const char* noBlanks; };
  const Case cases[] = {
      {"  x y  ", "x y", "x y  ", "  x y", "xy"},
      {"\tx \r\n", "\tx \r\n", "\tx \r\n", "\tx \r\n", "\tx\r\n"},
      {"   ", "", "", "", ""},
      {"", "", "", "", ""},
  };
  for (const Case& c : cases) {
    KxString t(c.text), l(c.text), r(c.text), n(c.text);
    t.Trim();
    l.TrimLeft();
    r.TrimRight();
    n.RemoveBlanks();
    EXPECT_EQ(t, c.trimmed) << "[" << c.text << "]";
    EXPECT_EQ(l, c.left) << "[" << c.text << "]";
    EXPECT_EQ(r, c.right) << "[" << c.text << "]";
    EXPECT_EQ(n, c.noBlanks) << "[" << c.text << "]";
  }
}

TEST(KxStringTest, UpperIsBytewise) {
  // 0xB0 0x61 is a double-byte character whose second byte is 'a'.
  KxString s("\xB0" "a" "z\xE1\xFF" "提示c:\\");
  s.Upper();
  EXPECT_EQ(s, "\xB0" "A" "Z\xE1\xFF" "提示C:\\");
}

TEST(KxStringTest, SplitAndJoin) {
  struct Case { const char* text; const char* separator; Parts split; Parts kept; };
  const std::vector<Case> cases = {
      {"a  b", " ", {"a", "", "b"}, {"a ", " ", "b"}},
      {"a ", " ", {"a"}, {"a "}},
      {"", " ", {}, {}},
      {" a", " ", {"", "a"}, {" ", "a"}},
      {"  ", " ", {"", ""}, {" ", " "}},
      {"x--y--z", "--", {"x", "y", "z"}, {"x--", "y--", "z"}},
      {"abc", "", {"abc"}, {"abc"}},
  };
  for (const Case& c : cases) {
    KxStringList split, kept;
    KxString(c.text).Split(c.separator, split);
    KxString(c.text).SplitKeep(c.separator, kept);
    EXPECT_EQ(Items(split), c.split) << "[" << c.text << "]";
    EXPECT_EQ(Items(kept), c.kept) << "[" << c.text << "]";
    EXPECT_EQ(split.Count(), static_cast<int>(c.split.size()));
  }

  KxStringList list;
  list.Add("x");
  list.Add("y");
  KxString("more").Split(",", list);
  EXPECT_EQ(KxString::Join(list, ", "), "x, y, more");
  EXPECT_EQ(KxString::Join(KxStringList(), ","), "");

  KxStringList parts;
  KxString("a,,b").Split(",", parts);
  EXPECT_EQ(KxString::Join(parts, ","), "a,,b");
}

TEST(KxStringTest, FromIntWidths) {
  struct Case { long long value; int width; std::string expected; };
  const std::vector<Case> cases = {
      {5, 2, "05"},       {2008, 4, "2008"}, {12345, 4, "2345"}, {-7, 0, "-7"},
      {0, 0, "0"},        {0, 3, "000"},     {-5, 3, "-005"},    {123, 1, "3"},
      {-12345, 2, "-45"}, {42, -1, "42"},    {7, 22, std::string(21, '0') + "7"},
      {LLONG_MAX, 0, "9223372036854775807"}, {LLONG_MIN, 0, "-9223372036854775808"},
      {LLONG_MIN, 20, "-09223372036854775808"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KxString::FromInt(c.value, c.width), c.expected.c_str()) << c.value << " w" << c.width;
  }
}

TEST(KxStringTest, IntegerTextAndWrapAround) {
  struct Case { const char* text; bool isInteger; int value; };
  const Case cases[] = {
      {"", false, 0},          {"-", false, 0},          {"-12", true, -12},
      {"007", true, 7},        {"12a", false, 0},        {"+5", false, 0},
      {"1-2", false, 0},       {"--1", false, 0},        {" 1", false, 0},
      {"2147483647", true, INT_MAX},   {"2147483648", true, INT_MIN},
      {"-2147483648", true, INT_MIN},  {"4294967297", true, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KxString(c.text).IsInteger(), c.isInteger) << "[" << c.text << "]";
    EXPECT_EQ(KxString(c.text).ToInt(), c.value) << "[" << c.text << "]";
  }
}

TEST(KxStringTest, HexAndBitText) {
  EXPECT_EQ(KxString::ByteToHex(0x1A), "1a");
  EXPECT_EQ(KxString::ByteToHex(0x00), "00");
  EXPECT_EQ(KxString::ByteToHex(0xFF), "ff");

  struct Digit { char c; int value; const char* bits; };
  const Digit digits[] = {{'0', 0, "0000"}, {'9', 9, "1001"}, {'A', 10, "1010"}, {'a', 10, "1010"},
                          {'F', 15, "1111"}, {'f', 15, "1111"}, {'g', 0, ""}, {' ', 0, ""},
                          {'\xCC', 0, ""}};
  for (const Digit& d : digits) {
    EXPECT_EQ(KxString::HexDigitValue(d.c), d.value) << d.c;
    EXPECT_EQ(KxString::HexToBits(d.c), d.bits) << d.c;
  }
  for (char c : std::string("0123456789abcdef")) {
    EXPECT_EQ(KxString::BitsToHex(KxString::HexToBits(c).CStr()), c);
  }
  EXPECT_EQ(KxString::BitsToHex("1x1 "), 'a');
  EXPECT_EQ(KxString::BitsToHex("1"), '8');
  EXPECT_EQ(KxString::BitsToHex(nullptr), '0');

  EXPECT_EQ(KxString::BitsToByte("11111110"), 254);
  EXPECT_EQ(KxString::BitsToByte("00000001"), 1);
  EXPECT_EQ(KxString::BitsToByte("1000000011"), 128);
  EXPECT_EQ(KxString::BitsToByte("0000000"), 255);
  EXPECT_EQ(KxString::BitsToByte(""), 255);
}

TEST(KxStringTest, TrailBytesInGbkText) {
  KxString text("a提示b");
  const bool expected[] = {false, false, true, false, true, false};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(text.IsTrailByte(i), expected[i]) << i;
  EXPECT_FALSE(text.IsTrailByte(-1));
  EXPECT_FALSE(text.IsTrailByte(6));
  // An ASCII second byte ends the run: the next high byte starts a character.
  KxString mixed("\xB0" "a" "\xB0\xA1");
  EXPECT_FALSE(mixed.IsTrailByte(1));
  EXPECT_FALSE(mixed.IsTrailByte(2));
  EXPECT_TRUE(mixed.IsTrailByte(3));
}

// The character steps under code page 936: 0x80 and 0xFF stand alone, a lead byte takes
// the byte after it (0x40 too), a lead byte at the end stands alone.
TEST(KxStringTest, CharacterStepsFollowTheCodePage) {
  ASSERT_EQ(936u, GetACP());
  const KxString text("a\x80\xB0\xA1\x81\x40\xFF\xB0");
  const int next[] = {1, 2, 4, 4, 6, 6, 7, 8, 8};  // KxNextCharPos from each position
  const int previous[] = {0, 0, 1, 2, 2, 4, 4, 6, 7};
  for (int pos = 0; pos <= text.Length(); ++pos) {
    EXPECT_EQ(pos == 3 || pos == 5, KxIsInsideChar(text, pos)) << pos;
    EXPECT_EQ(next[pos], KxNextCharPos(text, pos)) << pos;
    EXPECT_EQ(previous[pos], KxPrevCharPos(text, pos)) << pos;
  }
  EXPECT_EQ(0, KxCharLength(text, text.Length()));
  EXPECT_EQ(1, KxCharLength(text, 7)) << "a lead byte at the end";
}

// GB18030's four bytes (lead, digit, lead, digit) are one character; a lead and a digit
// without the rest stay a pair, as a cut sequence at the end does.
TEST(KxStringTest, FourByteCharactersAreNeverCut) {
  const KxString text("a" "\x81\x30\x81\x30" "\xB0\xA1" "\x81\x30" "b" "\x90\x30\x81\x30" "\x81\x30\x81");
  ASSERT_EQ(17, text.Length());
  const int next[] = {1, 5, 5, 5, 5, 7, 7, 9, 9, 10, 14, 14, 14, 14, 16, 16, 17, 17};
  const int previous[] = {0, 0, 1, 1, 1, 1, 5, 5, 7, 7, 9, 10, 10, 10, 10, 14, 14, 16};
  for (int pos = 0; pos <= text.Length(); ++pos) {
    const bool inside = std::string("\2\3\4\6\x08\x0B\x0C\x0D\x0F").find(static_cast<char>(pos)) != std::string::npos;
    EXPECT_EQ(inside, KxIsInsideChar(text, pos)) << pos;
    EXPECT_EQ(next[pos], KxNextCharPos(text, pos)) << pos;
    EXPECT_EQ(previous[pos], KxPrevCharPos(text, pos)) << pos;
  }
  const struct {
    const char* text;
    bool broken;
  } texts[] = {
      {"\x81\x30\x81\x30", false}, {"\xB0\xA1\x90\x30\x81\x30", false}, {"\x81\x30", true},
      {"\x81\x30\x81", true},      {"\x81\x30\x41\x30", true},             {"\x81\x30\x81\x30\xFF", true},
  };
  for (const auto& t : texts) EXPECT_EQ(t.broken, KxHasBrokenChar(t.text)) << t.text;
}

// A second byte that reads as a letter ("\x81" "u", "\x81" "A") belongs to its character.
TEST(KxStringTest, FindNoCaseMatchesWholeCharactersOnly) {
  struct Case {
    const char* text;
    const char* pattern;
    int at;
  } cases[] = {
      {"Setup UNINSTALL", "uninstall", 6}, {"卸载程序", "卸载", 0}, {"程序卸载", "卸载", 4},
      {"\x81" "unins", "unins", -1},      {"\x81\x81" "unins", "UNINS", 2},
      {"\x81\x41", "\x81\x61", -1},        {"x\x81\x41", "\x81\x41", 1}, {"abc", "", -1}, {"ab", "abc", -1},
      {"x\x81\x30\x81\x30", "\x81\x30\x81\x30", 1}, {"\x81\x30\x81\x30" "a", "\x81\x30", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.at, KxFindNoCase(c.text, c.pattern)) << c.text << " / " << c.pattern;
}

TEST(KxListTest, AtWalksFromEitherEnd) {
  for (int size : {1, 2, 5, 6}) {
    KxList<int> list;
    for (int i = 0; i < size; ++i) list.Add(i * 10);
    for (int i = 0; i < size; ++i) {
      ASSERT_NE(list.At(i), nullptr);
      EXPECT_EQ(*list.At(i), i * 10) << size << ":" << i;
    }
    EXPECT_EQ(list.At(-1), nullptr);
    EXPECT_EQ(list.At(size), nullptr);
  }
  EXPECT_EQ(KxList<int>().At(0), nullptr);
}

TEST(KxListTest, RemoveRelinksAndCopiesAreDeep) {
  KxList<int> list;
  KxListNode<int>* first = list.Add(1);
  KxListNode<int>* middle = list.Add(2);
  list.Add(3);
  KxListNode<int>* last = list.Add(4);

  KxList<int> copy(list);
  list.Remove(middle);
  EXPECT_EQ(Backwards(list), (std::vector<int>{4, 3, 1}));
  list.Remove(first);
  list.Remove(last);
  EXPECT_EQ(Backwards(list), (std::vector<int>{3}));
  EXPECT_EQ(list.Head(), list.Tail());
  EXPECT_EQ(list.Count(), 1);
  list.Remove(list.Head());
  EXPECT_EQ(list.Head(), nullptr);
  EXPECT_EQ(list.Tail(), nullptr);
  list.Add(7);
  EXPECT_EQ(*list.At(0), 7);

  EXPECT_EQ(Backwards(copy), (std::vector<int>{4, 3, 2, 1}));
  copy = list;
  EXPECT_EQ(Backwards(copy), (std::vector<int>{7}));
  copy.Clear();
  EXPECT_EQ(copy.Count(), 0);
  EXPECT_EQ(*list.At(0), 7);
}

TEST(KxListTest, StringListLookup) {
  KxStringList list;
  list.Add("KX_SOFT");
  list.Add("KX_NOTE");
  list.Add("KX_NOTE");
  EXPECT_EQ(list.IndexOf("KX_NOTE"), 1);
  EXPECT_EQ(list.IndexOf("kx_note"), -1);
  EXPECT_TRUE(list.Contains("KX_SOFT"));
  EXPECT_FALSE(list.Contains(""));
  KxStringList copy(list);
  copy.At(0)->Upper();
  copy.At(0)->Append("X");
  EXPECT_EQ(*list.At(0), "KX_SOFT");
  EXPECT_EQ(copy.IndexOf("KX_SOFTX"), 0);
}
