#include "kx/base/KxWide.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "NameTexts.h"

namespace {

KxString BytesOf(const NameText& text) { return KxString(text.gb18030, text.gbLength); }

// Both ways against Python's encoder: the four-byte form on both planes, the two-byte codes
// code page 936 reads as private-use characters, and GBK texts that keep every byte.
TEST(KxWide, ConvertsAsPythonsGb18030Codec) {
  const NameText* texts[] = {&kKoreanFolder, &kAccentedFile, &kProbeProgram, &kRareHanzi, &kGbkText,
                             &kEuroAndPairCodes, &kBmpEdges, &kSupplementaryEdge, &kLatinMix};
  for (const NameText* text : texts) {
    SCOPED_TRACE(::testing::Message() << "text of " << text->gbLength << " bytes");
    EXPECT_EQ(BytesOf(*text), KxFromWide(text->wide));
    KxWide wide(BytesOf(*text));
    EXPECT_EQ(static_cast<int>(std::wcslen(text->wide)), wide.Length());
    EXPECT_EQ(0, std::wcscmp(text->wide, wide.Get()));
  }
}

TEST(KxWide, BrokenInputGivesMarksNotLostNeighbours) {
  const struct {
    const char* bytes;
    const wchar_t* wide;
  } rows[] = {
      {"a\x81\x30z", L"a\xFFFDz"},       // a lead byte and a digit without their second half
      {"\xe3\x32\x9a\x36", L"\xFFFD"},   // past U+10FFFF
      {"\x80" "a\xFF" "b", L"\xFFFD" L"a\xFFFD" L"b"},  // no characters of their own
      {"\x81\n" "c\xB0", L"\xFFFD" L"c\xFFFD"},        // no second byte, or none at all
  };
  for (const auto& row : rows) {
    EXPECT_EQ(0, std::wcscmp(row.wide, KxWide(row.bytes).Get())) << row.bytes;
  }
  const wchar_t lone[] = {L'x', 0xD800, L'y', 0xDC00, 0};
  EXPECT_EQ(KxString("x?y?"), KxFromWide(lone));
}

// Every character of the Basic Multilingual Plane goes to one whole character of bytes and
// comes back as itself: private-use ones included, which code page 936 would write with the
// codes of real characters.
TEST(KxWide, EveryBmpCharacterComesBack) {
  int wrong = 0;
  for (int point = 0x80; point <= 0xFFFF; ++point) {
    if (point >= 0xD800 && point <= 0xDFFF) continue;
    wchar_t unit = static_cast<wchar_t>(point);
    KxString bytes = KxFromWide(&unit, 1);
    KxWide back(bytes);
    bool whole = bytes.Length() > 0 && KxCharLength(bytes, 0) == bytes.Length();
    if (!whole || back.Length() != 1 || back.Get()[0] != unit) {
      if (++wrong <= 5) ADD_FAILURE() << std::hex << "U+" << point;
    }
  }
  EXPECT_EQ(0, wrong);
}

TEST(KxWide, PluginsGetGbkWithQuestionMarks) {
  EXPECT_EQ(KxString(kGbkText.gb18030), KxToGbk(BytesOf(kGbkText)));
  EXPECT_EQ(KxString("?? ?"), KxToGbk(BytesOf(kKoreanFolder)));
  EXPECT_EQ(KxString("Bj?rk.mp3"), KxToGbk(BytesOf(kAccentedFile)));
}

}  // namespace
