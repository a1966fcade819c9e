#include "kx/base/KxWrap.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(KxWrapTest, RowsBreakAtSpacesHyphensAndBesideDoubleByteCharacters) {
  struct Case {
    const char* text;
    int cols;
    std::vector<int> rows;
  } cases[] = {
      {"", 5, {0}},
      {"abcde", 5, {0}},
      {"aaa bbb ccc", 7, {0, 8}},
      // The space at a break stays at the end of the upper row, past its width too.
      {"hello world", 5, {0, 6}},
      {"ab   cd", 3, {0, 5}},
      {"    abc", 2, {0, 4, 6}},
      {"well-known words", 7, {0, 5, 11}},
      {"x -50", 3, {0, 2}},
      {"abcdefghij", 4, {0, 4, 8}},
      {"ab cdefghij", 4, {0, 3, 7}},
      {"中文字符", 5, {0, 4}},
      {"ab中文cd", 5, {0, 4}},
      {"中文abc def", 6, {0, 4, 8}},
      // Second bytes that read as ASCII ('@', '/') belong to their character.
      {"\x81\x40\x81\x40", 3, {0, 2}},
      {"ab\x81/cd", 3, {0, 2, 4}},
      // A lead byte at the end is a character of one byte.
      {"中文\x81", 5, {0}},
      {"中文\x81", 4, {0, 4}},
      {"abc\x81", 3, {0, 3}},
      {"a中b", 1, {0, 1, 3}},
      {"a中b", 0, {0, 1, 3}},
      {"中", 1, {0}},
      {"a b", 1, {0, 2}},
  };
  for (const Case& c : cases) {
    std::vector<int> rows = {7, 7};
    KxWrapLine(c.text, c.cols, rows);
    EXPECT_EQ(c.rows, rows) << c.text << " / " << c.cols;
  }
}

}  // namespace
