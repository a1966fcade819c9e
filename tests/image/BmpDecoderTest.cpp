// BMP files of every depth, compression and header kind, decoded pixel for pixel, and
// files the decoder must refuse.

#include <gtest/gtest.h>

#include "image/codec/BmpDecoder.h"
#include "tests/image/ImageTestUtil.h"

namespace {

bool Decode(const Bytes& bytes, KxDib& dib, PictureInfo& info) {
  KxByteReader reader(bytes.data(), bytes.size());
  return DecodeBmp(reader, KxImageLimits(), dib, info);
}

// Colours exact in 5 bits per channel: value v stands for (v << 3) | (v >> 2).
std::vector<KxRgbQuad> FiveBitColours() {
  std::vector<KxRgbQuad> colours;
  const int levels[] = {0, 5, 16, 27, 31};
  for (int r : levels)
    for (int g : levels)
      for (int b : {0, 31, 9}) {
        auto scale = [](int v) { return static_cast<uint8_t>(v << 3 | v >> 2); };
        colours.push_back(KxRgb(scale(r), scale(g), scale(b)));
      }
  return colours;
}

struct Variant {
  const char* name;
  int colours;  // 0: five-bit colours
  int bits;
  uint32_t compression;
  uint32_t header;
  bool topDown;
  int width;
  int outBits;
};

}  // namespace

TEST(ImageBmp, EveryVariantDecodesToItsPixels) {
  const Variant variants[] = {
      {"1 bit", 2, 1, 0, 40, false, 19, 8},
      {"4 bits", 16, 4, 0, 40, false, 13, 8},
      {"8 bits", 256, 8, 0, 40, false, 21, 8},
      {"8 bits, 3 colours", 3, 8, 0, 40, false, 5, 8},
      {"24 bits", 300, 24, 0, 40, false, 7, 24},
      {"24 bits top-down", 300, 24, 0, 40, true, 6, 24},
      {"32 bits", 300, 32, 0, 40, false, 5, 24},
      {"16 bits 5-5-5", 0, 16, 0, 40, false, 9, 24},
      {"OS/2 1.x 8 bits", 200, 8, 0, 12, false, 9, 8},
      {"OS/2 1.x 24 bits", 300, 24, 0, 12, false, 9, 24},
      {"OS/2 2.x short header", 16, 4, 0, 16, false, 9, 8},
      {"OS/2 2.x full header", 100, 8, 0, 64, false, 9, 8},
      {"v4 header", 300, 24, 0, 108, false, 9, 24},
      {"v5 header", 256, 8, 0, 124, false, 9, 8},
      {"RLE8", 40, 8, 1, 40, false, 23, 8},
      {"RLE4", 16, 4, 2, 40, false, 23, 8},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    const std::vector<KxRgbQuad> colours = v.colours ? Colours(v.colours) : FiveBitColours();
    TestPicture picture = Pattern(v.width, 7, colours);
    // Runs for the RLE encoder to find: a flat stretch in each row.
    for (int y = 0; y < picture.height; y++)
      for (int x = 4; x < 12 && x < picture.width; x++) picture.At(x, y) = colours[y % colours.size()];
    BmpOptions o;
    o.bitCount = v.bits;
    o.compression = v.compression;
    o.headerSize = v.header;
    o.topDown = v.topDown;
    KxDib dib;
    PictureInfo info;
    ASSERT_TRUE(Decode(WriteBmp(picture, o), dib, info));
    EXPECT_TRUE(ShowsPicture(picture, dib, info));
    EXPECT_EQ(v.outBits, info.bitsPerPixel);
    EXPECT_EQ(kImageBmp, info.type);
    EXPECT_EQ(1, info.frameCount);
    EXPECT_EQ(-1, info.transparentIndex);
  }
}

TEST(ImageBmp, BitFieldMasksOfAnyWidthAndPlace) {
  struct MaskCase {
    const char* name;
    int bits;
    uint32_t header;
    uint32_t masks[4];
  };
  const MaskCase cases[] = {
      {"5-6-5", 16, 40, {0xF800, 0x07E0, 0x001F, 0}},
      {"32 bits, blue high", 32, 40, {0x000000FF, 0x0000FF00, 0x00FF0000, 0}},
      {"10-10-10 in a v4 header", 32, 108, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}},
  };
  // Colours that every mask width above holds exactly.
  const std::vector<KxRgbQuad> colours = {KxRgb(0, 0, 0), KxRgb(255, 255, 255), KxRgb(255, 0, 0),
                                          KxRgb(0, 255, 0), KxRgb(0, 0, 255), KxRgb(255, 255, 0)};
  const TestPicture picture = Pattern(7, 5, colours);
  for (const MaskCase& c : cases) {
    SCOPED_TRACE(c.name);
    BmpOptions o;
    o.bitCount = c.bits;
    o.compression = 3;
    o.headerSize = c.header;
    for (int i = 0; i < 4; i++) o.masks[i] = c.masks[i];
    KxDib dib;
    PictureInfo info;
    ASSERT_TRUE(Decode(WriteBmp(picture, o), dib, info));
    EXPECT_TRUE(ShowsPicture(picture, dib, info));
  }
  // Six bits of green: 0b100000 stands for 130 (the top bits repeated below).
  BmpOptions o;
  o.bitCount = 16;
  o.compression = 3;
  o.masks[0] = 0xF800, o.masks[1] = 0x07E0, o.masks[2] = 0x001F;
  TestPicture mid(1, 1);
  mid.At(0, 0) = KxRgb(0, 130, 0);
  KxDib dib;
  PictureInfo info;
  ASSERT_TRUE(Decode(WriteBmp(mid, o), dib, info));
  EXPECT_EQ(130, dib.PixelAt(0, 0).rgbGreen);
}

TEST(ImageBmp, AlphaMaskMakesClearPixelsAndAnAllZeroAlphaIsOpaque) {
  BmpOptions o;
  o.bitCount = 32;
  o.compression = 3;
  o.headerSize = 124;
  o.masks[0] = 0xFF0000, o.masks[1] = 0xFF00, o.masks[2] = 0xFF, o.masks[3] = 0xFF000000;
  const TestPicture corner = ClearCorner(Pattern(8, 6, Colours(30)));
  KxDib dib;
  PictureInfo info;
  ASSERT_TRUE(Decode(WriteBmp(corner, o), dib, info));
  EXPECT_EQ(32, info.bitsPerPixel);
  EXPECT_TRUE(info.alphaChannel);
  EXPECT_TRUE(ShowsPicture(corner, dib, info));

  TestPicture zeroAlpha = Pattern(8, 6, Colours(30));
  for (KxRgbQuad& c : zeroAlpha.pixels) c.rgbReserved = 0;
  ASSERT_TRUE(Decode(WriteBmp(zeroAlpha, o), dib, info));
  EXPECT_FALSE(info.alphaChannel);
  for (KxRgbQuad& c : zeroAlpha.pixels) c.rgbReserved = 255;
  EXPECT_TRUE(ShowsPicture(zeroAlpha, dib, info));
}

TEST(ImageBmp, RleDeltaLeavesSkippedPixelsAtIndexZero) {
  TestPicture picture = Pattern(12, 4, Colours(5));
  // The bottom row (the first stored) starts with pixels of the first colour, which the
  // writer skips with a delta jump.
  for (int x = 0; x < 5; x++) picture.At(x, 3) = picture.At(0, 0);
  for (uint32_t compression : {1u, 2u}) {
    BmpOptions o;
    o.bitCount = compression == 1 ? 8 : 4;
    o.compression = compression;
    o.rleDelta = true;
    Bytes bytes = WriteBmp(picture, o);
    KxDib dib;
    PictureInfo info;
    ASSERT_TRUE(Decode(bytes, dib, info));
    EXPECT_TRUE(ShowsPicture(picture, dib, info)) << compression;
  }
}

TEST(ImageBmp, ResolutionComesFromTheHeader) {
  BmpOptions o;
  KxDib dib;
  PictureInfo info;
  ASSERT_TRUE(Decode(WriteBmp(Pattern(2, 2, Colours(3)), o), dib, info));
  EXPECT_EQ(2835, info.xResolution);
  EXPECT_EQ(2835, dib.Header().biYPelsPerMeter);
}

TEST(ImageBmp, RefusesWhatItDoesNotAccept) {
  BmpOptions o;
  o.bitCount = 8;
  const Bytes good = WriteBmp(Pattern(9, 5, Colours(20)), o);
  const ByteChange changes[] = {
      {"no BM", 0, {'B', 'N'}},
      {"header size 41", 14, {41, 0, 0, 0}},
      {"width 0", 18, {0, 0, 0, 0}},
      {"negative width", 18, {0xF7, 0xFF, 0xFF, 0xFF}},
      {"height 0", 22, {0, 0, 0, 0}},
      {"height INT_MIN", 22, {0, 0, 0, 0x80}},
      {"7 bits per pixel", 28, {7, 0}},
      {"RLE4 at 8 bits", 30, {2, 0, 0, 0}},
      {"JPEG inside", 30, {4, 0, 0, 0}},
      {"pixel offset inside the header", 10, {20, 0, 0, 0}},
      {"pixel offset beyond the file", 10, {0, 0, 1, 0}},
      {"width larger than any limit", 18, {0, 0, 1, 0}},
      {"rows claimed beyond the data", 22, {0, 0x10, 0, 0}},
  };
  for (const ByteChange& c : changes) {
    KxDib dib;
    PictureInfo info;
    EXPECT_FALSE(Decode(WithChange(good, c), dib, info)) << c.name;
    EXPECT_TRUE(dib.IsEmpty()) << c.name;
  }
  for (size_t n : {size_t(0), size_t(2), size_t(13), size_t(20), good.size() - 1}) {
    Bytes cut(good.begin(), good.begin() + static_cast<long>(n));
    KxDib dib;
    PictureInfo info;
    EXPECT_FALSE(Decode(cut, dib, info)) << "cut at " << n;
  }
}
