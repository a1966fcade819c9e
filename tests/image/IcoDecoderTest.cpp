// ICO and CUR files: DIB entries of every depth with their AND mask, PNG entries, the
// entry chosen by the frame index, and directories the decoder must refuse.

#include <gtest/gtest.h>

#include "image/codec/IcoDecoder.h"
#include "tests/image/ImageTestUtil.h"

namespace {

bool Decode(const Bytes& bytes, KxDib& dib, PictureInfo& info) {
  KxByteReader reader(bytes.data(), bytes.size());
  return DecodeIco(reader, KxImageLimits(), dib, info);
}

}  // namespace

TEST(ImageIco, EntriesOfEveryKindShowTheirPixelsAndClearParts) {
  struct Kind {
    const char* name;
    int bits;
    bool png;
    int colours;
    bool cursor;
  };
  const Kind kinds[] = {
      {"1 bit", 1, false, 2, false},   {"4 bits", 4, false, 16, false}, {"8 bits", 8, false, 200, false},
      {"24 bits", 24, false, 300, false}, {"32 bits with alpha", 32, false, 300, false},
      {"PNG entry", 32, true, 300, false}, {"cursor", 32, false, 300, true},
  };
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.name);
    // A clear picture corner: alpha 0 for the 32-bit kinds, the AND mask for the others.
    const TestPicture picture = ClearCorner(Pattern(24, 20, Colours(k.colours)));
    KxDib dib;
    PictureInfo info;
    ASSERT_TRUE(Decode(WriteIco({{picture, k.bits, k.png}}, k.cursor), dib, info));
    EXPECT_TRUE(ShowsPicture(picture, dib, info));
    EXPECT_EQ(kImageIco, info.type);
    EXPECT_EQ(1, info.frameCount);
    EXPECT_TRUE(info.alphaChannel);
  }
}

TEST(ImageIco, ThirtyTwoBitsWithoutAlphaFallBackOnTheMask) {
  TestPicture picture = ClearCorner(Pattern(8, 8, Colours(9)));
  Bytes bytes = WriteIco({{picture, 32, false}});
  // Zero every alpha byte of the colour rows (40-byte header, 8 rows of 32 bytes).
  const size_t rows = 6 + 16 + 40;
  for (size_t i = 0; i < 64; i++) bytes[rows + i * 4 + 3] = 0;
  KxDib dib;
  PictureInfo info;
  ASSERT_TRUE(Decode(bytes, dib, info));
  EXPECT_TRUE(ShowsPicture(picture, dib, info));
}

TEST(ImageIco, FrameIndexChoosesTheEntry) {
  const TestPicture small = Pattern(16, 16, Colours(5));
  const TestPicture large = Pattern(32, 24, Colours(40));
  const TestPicture png = Pattern(48, 48, Colours(7));
  const Bytes bytes = WriteIco({{small, 8, false}, {large, 24, false}, {png, 32, true}});
  const TestPicture* expected[] = {&small, &large, &png};
  for (int i = 0; i < 3; i++) {
    KxDib dib;
    PictureInfo info;
    info.frameIndex = i;
    ASSERT_TRUE(Decode(bytes, dib, info)) << i;
    EXPECT_EQ(3, info.frameCount);
    EXPECT_EQ(i, info.frameIndex);
    EXPECT_TRUE(ShowsPicture(*expected[i], dib, info)) << i;
  }
  for (int i : {-1, 3}) {
    KxDib dib;
    PictureInfo info;
    info.frameIndex = i;
    EXPECT_FALSE(Decode(bytes, dib, info)) << i;
  }
}

TEST(ImageIco, EntryWithoutItsMaskIsOpaque) {
  const TestPicture picture = ClearCorner(Pattern(8, 4, Colours(3)));
  Bytes bytes = WriteIco({{picture, 24, false}});
  bytes.resize(bytes.size() - 4 * 4);  // the mask rows
  bytes[6 + 8] = static_cast<uint8_t>(bytes[6 + 8] - 16);
  KxDib dib;
  PictureInfo info;
  ASSERT_TRUE(Decode(bytes, dib, info));
  TestPicture opaque = picture;
  for (KxRgbQuad& c : opaque.pixels) c.rgbReserved = 255;
  EXPECT_TRUE(ShowsPicture(opaque, dib, info));
}

TEST(ImageIco, RefusesBrokenDirectories) {
  const Bytes good = WriteIco({{Pattern(8, 8, Colours(4)), 8, false}});
  const ByteChange changes[] = {
      {"reserved field", 0, {1}},
      {"type 3", 2, {3}},
      {"no entries", 4, {0, 0}},
      {"more entries than the file holds", 4, {200, 0}},
      {"image inside the directory", 18, {6, 0, 0, 0}},
      {"image beyond the file", 18, {0, 0, 1, 0}},
      {"image shorter than a signature", 14, {4, 0, 0, 0}},
      {"odd DIB header size", 22, {41}},
      {"mask rows without colour rows", 30, {1, 0, 0, 0}},
  };
  for (const ByteChange& c : changes) {
    KxDib dib;
    PictureInfo info;
    EXPECT_FALSE(Decode(WithChange(good, c), dib, info)) << c.name;
  }
}
