#include "kx/base/KxPinyin.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string Joined(const KxStringList& list) {
  std::string text;
  for (const KxString& item : list) text += std::string(item.CStr()) + " ";
  return text;
}

std::string ReadingsOf(const char* gbk) {
  return Joined(PinyinReadings(static_cast<unsigned char>(gbk[0]), static_cast<unsigned char>(gbk[1])));
}

bool IsIdeograph(wchar_t c) {
  return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF);
}

}  // namespace

// Readings as the table has them: the common one first, then the other modern readings of
// a polyphone, each once, toneless, ü as v; a compatibility ideograph takes its unified
// character's readings; anything that is no Hanzi has none.
TEST(KxPinyinTest, ReadingsOfCharacters) {
  const struct {
    const char* character;
    const char* readings;
  } cases[] = {
      {"微", "wei "},
      {"行", "xing hang heng "},
      {"长", "zhang chang "},
      {"重", "zhong chong "},
      {"乐", "le yue "},
      {"了", "le liao "},
      {"和", "he hu huo "},
      {"单", "dan chan shan "},
      {"绿", "lv lu "},
      {"女", "nv "},
      {"嗯", "n ng "},
      {"\xFE\x40", "wu "},  // U+FA0C, the compatibility form of 兀
      {"，", ""},
      {"ぁ", ""},
      {"A1", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadingsOf(c.character), c.readings) << c.character;
}

// Every Hanzi of GB2312 (levels 1 and 2) has a reading, and so has every other GBK code that
// code page 936 turns into an ideograph, except the few the Han database gives no Mandarin
// reading: unit characters (兙 decagram...) and Korean and Japanese compatibility forms.
TEST(KxPinyinTest, EveryGbkHanziHasReadings) {
  const std::set<int> noReading = {
      0x83BE, 0x83C4, 0x86ED, 0x96FE, 0x9F48, 0xAD97, 0xAD9E, 0xAD9F, 0xAE46, 0xAE4D, 0xFE42,
      0xFE43, 0xFE44, 0xFE45, 0xFE46, 0xFE48, 0xFE4A, 0xFE4B, 0xFE4C, 0xFE4D, 0xFE4E, 0xFE4F};
  int gb2312 = 0, ideographs = 0;
  std::set<int> without;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      wchar_t wide[2] = {};
      const bool one = MultiByteToWideChar(936, 0, bytes, 2, wide, 2) == 1;
      const bool inGb2312 = lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 &&
                            !(lead == 0xD7 && trail >= 0xFA);
      const bool hasReading = PinyinSetOf(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)) != 0;
      if (inGb2312) {
        ++gb2312;
        EXPECT_TRUE(one && IsIdeograph(wide[0])) << std::hex << lead * 256 + trail;
        EXPECT_TRUE(hasReading) << std::hex << lead * 256 + trail;
      }
      if (!one || !IsIdeograph(wide[0])) {
        EXPECT_FALSE(hasReading) << std::hex << lead * 256 + trail;
        continue;
      }
      ++ideographs;
      if (!hasReading) without.insert(lead * 256 + trail);
    }
  }
  EXPECT_EQ(gb2312, 6763);
  EXPECT_EQ(ideographs, 20902 + 21);
  EXPECT_EQ(without, noReading);
}
