// PNG files of every colour type and bit depth, with palette transparency, colour keys
// and alpha, interlaced or not, and files libpng rejects.

#include <gtest/gtest.h>

#include <zlib.h>

#include "image/codec/PngDecoder.h"
#include "tests/image/ImageTestUtil.h"

namespace {

bool Decode(const Bytes& bytes, KxDib& dib, PictureInfo& info, const KxImageLimits& limits = KxImageLimits()) {
  KxByteReader reader(bytes.data(), bytes.size());
  return DecodePng(reader, limits, dib, info);
}

// Greys that a depth of bits holds exactly.
std::vector<KxRgbQuad> Greys(int bits) {
  std::vector<KxRgbQuad> greys;
  const int levels = bits >= 8 ? 256 : 1 << bits;
  for (int i = 0; i < levels && greys.size() < 40; i += levels > 40 ? 7 : 1) {
    uint8_t v = static_cast<uint8_t>(i * 255 / (levels - 1));
    greys.push_back(KxRgb(v, v, v));
  }
  return greys;
}

void SetCrc(Bytes& png, size_t chunkAt) {
  const uint32_t length = uint32_t(png[chunkAt]) << 24 | uint32_t(png[chunkAt + 1]) << 16 |
                          uint32_t(png[chunkAt + 2]) << 8 | png[chunkAt + 3];
  uLong crc = crc32(0, png.data() + chunkAt + 4, length + 4);
  for (int i = 0; i < 4; i++) png[chunkAt + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
}

}  // namespace

TEST(ImagePng, EveryColourTypeAndDepth) {
  struct Kind {
    int type;
    int depth;
    bool interlaced;
    int outBits;
  };
  const Kind kinds[] = {
      {0, 1, false, 24}, {0, 2, false, 24}, {0, 4, true, 24},  {0, 8, false, 24},  {0, 16, true, 24},
      {2, 8, false, 24}, {2, 16, true, 24}, {3, 1, false, 8},  {3, 2, true, 8},    {3, 4, false, 8},
      {3, 8, true, 8},   {4, 8, false, 32}, {4, 16, true, 32}, {6, 8, false, 32},  {6, 16, true, 32},
  };
  for (const Kind& k : kinds) {
    SCOPED_TRACE(testing::Message() << "colour type " << k.type << ", " << k.depth << " bits"
                                    << (k.interlaced ? ", interlaced" : ""));
    const bool grey = k.type == 0 || k.type == 4;
    std::vector<KxRgbQuad> colours = grey ? Greys(k.depth) : k.type == 3 ? Colours(1 << (k.depth < 8 ? k.depth : 7))
                                                                         : Colours(300);
    TestPicture picture = Pattern(17, 11, colours);
    if (k.type == 4 || k.type == 6) picture = ClearCorner(picture);
    PngOptions o;
    o.colourType = k.type;
    o.bitDepth = k.depth;
    o.interlaced = k.interlaced;
    KxDib dib;
    PictureInfo info;
    ASSERT_TRUE(Decode(WritePng(picture, o), dib, info));
    EXPECT_TRUE(ShowsPicture(picture, dib, info));
    EXPECT_EQ(k.outBits, info.bitsPerPixel);
    EXPECT_EQ(k.outBits == 32, info.alphaChannel);
    EXPECT_EQ(kImagePng, info.type);
    EXPECT_EQ(2835, info.xResolution);
  }
}

TEST(ImagePng, OpaqueAlphaChannelDrawsAsItIs) {
  PngOptions o;
  o.colourType = 6;
  KxDib dib;
  PictureInfo info;
  ASSERT_TRUE(Decode(WritePng(Pattern(5, 5, Colours(9)), o), dib, info));
  EXPECT_EQ(32, info.bitsPerPixel);
  EXPECT_FALSE(info.alphaChannel);
}

TEST(ImagePng, PaletteTransparency) {
  struct Case {
    const char* name;
    std::vector<uint8_t> alphas;  // per colour of the pattern
    int outBits;
  };
  const Case cases[] = {
      {"one clear entry stays 8 bits", {255, 0, 255, 255}, 8},
      {"two clear entries", {0, 0, 255, 255}, 32},
      {"half-clear entries keep their alpha", {255, 127, 128, 255}, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<KxRgbQuad> colours = Colours(4);
    for (size_t i = 0; i < colours.size(); i++) colours[i].rgbReserved = c.alphas[i];
    const TestPicture picture = Pattern(9, 7, colours);
    PngOptions o;
    o.colourType = 3;
    o.trns = true;
    KxDib dib;
    PictureInfo info;
    ASSERT_TRUE(Decode(WritePng(picture, o), dib, info));
    EXPECT_EQ(c.outBits, info.bitsPerPixel);
    EXPECT_TRUE(ShowsPicture(picture, dib, info));
  }
}

TEST(ImagePng, ColourKeyOfGreyAndRgbPictures) {
  for (int type : {0, 2}) {
    for (int depth : {8, 16}) {
      std::vector<KxRgbQuad> colours = type == 0 ? Greys(8) : Colours(12);
      TestPicture picture = Pattern(8, 8, colours);
      // One colour is the key: each of its pixels is clear.
      const KxRgbQuad key = colours[2];
      for (KxRgbQuad& p : picture.pixels)
        if (p == key) p.rgbReserved = 0;
      PngOptions o;
      o.colourType = type;
      o.bitDepth = depth;
      o.trns = true;
      KxDib dib;
      PictureInfo info;
      ASSERT_TRUE(Decode(WritePng(picture, o), dib, info));
      EXPECT_TRUE(ShowsPicture(picture, dib, info)) << type << "/" << depth;
    }
  }
}

TEST(ImagePng, RefusesDamagedFiles) {
  PngOptions o;
  const Bytes good = WritePng(Pattern(20, 20, Colours(300)), o);
  KxDib dib;
  PictureInfo info;
  ASSERT_TRUE(Decode(good, dib, info));
  // Cut anywhere from the signature to the middle of the data.
  for (size_t n : {size_t(4), size_t(8), size_t(20), size_t(33), size_t(60), good.size() / 2}) {
    EXPECT_FALSE(Decode(Bytes(good.begin(), good.begin() + static_cast<long>(n)), dib, info)) << n;
  }
  Bytes badCrc = good;
  badCrc[29] ^= 1;
  EXPECT_FALSE(Decode(badCrc, dib, info));
  // Sizes past the limits, with sound checksums: a billion pixels, then a width libpng
  // itself would take.
  Bytes huge = good;
  huge[16] = 0x00, huge[17] = 0x01, huge[18] = 0x00, huge[19] = 0x00;
  huge[20] = 0x00, huge[21] = 0x00, huge[22] = 0x40, huge[23] = 0x00;
  SetCrc(huge, 8);
  EXPECT_FALSE(Decode(huge, dib, info));
  KxImageLimits small;
  small.maxPixels = 399;
  EXPECT_FALSE(Decode(good, dib, info, small));
  Bytes badDepth = good;
  badDepth[24] = 3;
  SetCrc(badDepth, 8);
  EXPECT_FALSE(Decode(badDepth, dib, info));
  EXPECT_TRUE(Decode(good, dib, info));
}
