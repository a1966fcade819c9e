#include "kx/base/KxStream.h"

#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "tests/support/TestUtil.h"

namespace {

KxString ReadBack(KxStream& stream, long long from) {
  KxString bytes;
  if (!stream.SeekSet(from)) return "<seek failed>";
  ReadAll(stream, bytes);
  return bytes;
}

}  // namespace

TEST(KxMemFileTest, CapacityGrowsInWholeSteps) {
  struct Case {
    int growStep;
    std::vector<int> writes;
    long long capacity, size;
  } cases[] = {
      {2048, {1, 3000}, 4096, 3001},
      {2048, {2048}, 2048, 2048},
      {2048, {2048, 1}, 4096, 2049},
      {100, {250}, 300, 250},
      {0, {10}, KxMemFile::kDefaultGrowStep, 10},
  };
  std::vector<char> bytes(5000, 'x');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.growStep);
    KxMemFile stream(c.growStep);
    for (int count : c.writes) EXPECT_EQ(stream.Write(bytes.data(), count), count);
    EXPECT_EQ(stream.Capacity(), c.capacity);
    EXPECT_EQ(stream.Size(), c.size);
    EXPECT_EQ(stream.Tell(), c.size);
    EXPECT_TRUE(stream.Eof());
  }
}

TEST(KxMemFileTest, SeekReadAndWriteRules) {
  KxMemFile stream(16);
  EXPECT_FALSE(stream.SeekSet(0));  // no capacity yet
  EXPECT_EQ(stream.Write(nullptr, 3), 0);
  EXPECT_EQ(stream.Write("abc", -1), 0);
  ASSERT_TRUE(WriteText(stream, "abcdef"));

  struct SeekCase {
    bool set;
    long long value;
    bool ok;
    long long position;
  } seeks[] = {
      {true, 15, true, 15}, {true, 16, false, 15}, {true, -1, false, 15},
      {true, 2, true, 2},   {false, 3, true, 5},   {false, -6, false, 5},
      {false, -5, true, 0}, {false, 16, false, 0},
  };
  for (const SeekCase& c : seeks) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(c.set ? stream.SeekSet(c.value) : stream.SeekCur(c.value), c.ok);
    EXPECT_EQ(stream.Tell(), c.position);
  }

  char buffer[16] = {};
  ASSERT_TRUE(stream.SeekSet(4));
  EXPECT_EQ(stream.Read(buffer, 10), 2);
  EXPECT_EQ(memcmp(buffer, "ef", 2), 0);
  EXPECT_TRUE(stream.Eof());
  EXPECT_EQ(stream.Read(buffer, 1), 0);

  // Past the end Eof holds, so a read loop ends; a write there leaves zeros in the gap.
  ASSERT_TRUE(stream.SeekSet(8));
  EXPECT_TRUE(stream.Eof());
  ASSERT_TRUE(WriteText(stream, "Z"));
  EXPECT_EQ(ReadBack(stream, 0), KxString("abcdef\0\0Z", 9));

  // Writing the stream's own bytes again, across a move of its block.
  ASSERT_TRUE(stream.SeekSet(9));
  EXPECT_EQ(stream.Write(stream.Data(), 9), 9);
  EXPECT_EQ(ReadBack(stream, 0), KxString("abcdef\0\0Zabcdef\0\0Z", 18));
}

TEST(KxMemFileTest, BorrowedBytesAreReadInPlaceAndNeverChanged) {
  char bytes[] = "hello";
  KxMemFile stream(bytes, 5);
  EXPECT_EQ(stream.Data(), reinterpret_cast<unsigned char*>(bytes));
  unsigned char first = 0;
  ASSERT_TRUE(ReadByte(stream, first));
  EXPECT_EQ(first, 'h');

  ASSERT_TRUE(WriteText(stream, "EL"));
  EXPECT_STREQ(bytes, "hello");
  EXPECT_NE(stream.Data(), reinterpret_cast<unsigned char*>(bytes));
  EXPECT_EQ(ReadBack(stream, 0), "hELlo");
}

TEST(KxStreamTest, ReadAllFromTheMiddleKeepsOnlyWhatCame) {
  KxMemFile stream;
  ASSERT_TRUE(WriteText(stream, "0123456789"));
  KxString all;
  ASSERT_TRUE(stream.SeekSet(0));
  EXPECT_TRUE(ReadAll(stream, all));
  EXPECT_EQ(all, "0123456789");
  ASSERT_TRUE(stream.SeekSet(6));
  EXPECT_FALSE(ReadAll(stream, all));
  EXPECT_EQ(all, "6789");
}

TEST(KxIoFileTest, WriteReopenSeekAndReadBack) {
  KxString dir = MakeScratchDir("kxstream-io");
  KxString path = dir + "\\data.bin";
  {
    KxIoFile file;
    ASSERT_TRUE(file.OpenForWrite(path));
    EXPECT_EQ(file.Path(), path);
    ASSERT_TRUE(WriteText(file, KxString("abc\0def", 7)));
    EXPECT_EQ(file.Size(), 7);
    EXPECT_EQ(file.Tell(), 7);
    EXPECT_TRUE(file.Close());
  }
  EXPECT_EQ(ReadFileBytes(path), KxString("abc\0def", 7));

  KxIoFile file(path);
  ASSERT_TRUE(file.OpenForUpdate());
  ASSERT_TRUE(file.SeekSet(2));
  ASSERT_TRUE(WriteText(file, "XY"));
  // A read straight after a write, and a write straight after a read, with no seek in
  // between: the C runtime needs one there and would lose or invent bytes without it.
  char next[2] = {};
  EXPECT_EQ(file.Read(next, 1), 1);
  EXPECT_EQ(next[0], 'd');
  ASSERT_TRUE(WriteText(file, "F"));
  EXPECT_EQ(ReadBack(file, 0), "abXYdFf");
  ASSERT_TRUE(file.SeekCur(-7));
  EXPECT_EQ(file.Tell(), 0);
  unsigned char byte = 0;
  ASSERT_TRUE(ReadByte(file, byte));
  EXPECT_EQ(byte, 'a');
  ASSERT_TRUE(file.SeekSet(7));
  EXPECT_FALSE(ReadByte(file, byte));
  EXPECT_TRUE(file.Eof());
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadFileBytes(path), "abXYdFf");

  ASSERT_TRUE(file.OpenForRead());
  EXPECT_EQ(file.Write("z", 1), 0);
  EXPECT_EQ(file.Size(), 7);
  file.Close();
  EXPECT_EQ(ReadFileBytes(path), "abXYdFf");
  RemoveTree(dir);
}

TEST(KxIoFileTest, ClosedAndMissingFiles) {
  KxString dir = MakeScratchDir("kxstream-closed");
  KxIoFile file(dir + "\\missing.bin");
  EXPECT_FALSE(file.OpenForUpdate());
  EXPECT_FALSE(file.OpenForRead());
  EXPECT_FALSE(FileExistsAt(dir + "\\missing.bin"));

  char buffer[4] = {};
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Size(), 0);
  EXPECT_FALSE(file.SeekSet(0));
  EXPECT_FALSE(file.SeekCur(0));
  EXPECT_EQ(file.Tell(), -1);
  EXPECT_TRUE(file.Eof());
  EXPECT_EQ(file.Read(buffer, 4), 0);
  EXPECT_EQ(file.Write("abcd", 4), 0);
  file.Flush();
  EXPECT_TRUE(file.Close());

  KxIoFile unnamed;
  EXPECT_FALSE(unnamed.OpenForWrite());
  RemoveTree(dir);
}
