// JPEG files: baseline and progressive colour, greyscale, CMYK with and without the
// Adobe marker, the Exif block, and damaged files that libjpeg reports through its
// error exit.

#include <gtest/gtest.h>

#include "image/codec/JpgDecoder.h"
#include "tests/image/ImageTestUtil.h"

namespace {

bool Decode(const Bytes& bytes, KxDib& dib, PictureInfo& info, const KxImageLimits& limits = KxImageLimits()) {
  KxByteReader reader(bytes.data(), bytes.size());
  return DecodeJpg(reader, limits, dib, info);
}

// JPEG is lossy; flat 8 x 8 blocks come back within this of each channel.
const int kTolerance = 12;

}  // namespace

TEST(ImageJpg, ColourAndGreyPictures) {
  struct Kind {
    const char* name;
    JpgMode mode;
    bool progressive;
    int outBits;
  };
  const Kind kinds[] = {
      {"baseline", JpgMode::kColour, false, 24},
      {"progressive", JpgMode::kColour, true, 24},
      {"greyscale", JpgMode::kGrey, false, 8},
      {"progressive greyscale", JpgMode::kGrey, true, 8},
  };
  std::vector<KxRgbQuad> colours = {KxRgb(255, 0, 0), KxRgb(0, 200, 0), KxRgb(20, 40, 250),
                                    KxRgb(255, 255, 255), KxRgb(0, 0, 0), KxRgb(200, 180, 30)};
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.name);
    TestPicture picture = Blocks(3, 2, colours);
    if (k.mode == JpgMode::kGrey) {
      for (KxRgbQuad& c : picture.pixels) c.rgbGreen = c.rgbBlue = c.rgbRed;
    }
    JpgOptions o;
    o.mode = k.mode;
    o.progressive = k.progressive;
    KxDib dib;
    PictureInfo info;
    ASSERT_TRUE(Decode(WriteJpg(picture, o), dib, info));
    EXPECT_TRUE(ShowsPicture(picture, dib, info, kTolerance));
    EXPECT_EQ(k.outBits, info.bitsPerPixel);
    EXPECT_EQ(kImageJpg, info.type);
  }
}

TEST(ImageJpg, CmykWithAndWithoutTheAdobeMarker) {
  // Ink per block (C, M, Y, K in red, green, blue, alpha) and the colour it prints.
  struct Ink {
    uint8_t c, m, y, k;
  };
  const Ink inks[] = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 255, 0}, {0, 0, 0, 255}, {0, 0, 0, 128}, {128, 64, 0, 64}};
  std::vector<KxRgbQuad> inkColours, printed;
  for (const Ink& i : inks) {
    inkColours.push_back(KxRgb(i.c, i.m, i.y, i.k));
    auto channel = [&](uint8_t ink) { return static_cast<uint8_t>((255 - ink) * (255 - i.k) / 255.0 + 0.5); };
    printed.push_back(KxRgb(channel(i.c), channel(i.m), channel(i.y)));
  }
  for (JpgMode mode : {JpgMode::kCmykAdobe, JpgMode::kCmykPlain}) {
    JpgOptions o;
    o.mode = mode;
    KxDib dib;
    PictureInfo info;
    ASSERT_TRUE(Decode(WriteJpg(Blocks(3, 2, inkColours), o), dib, info));
    EXPECT_EQ(24, info.bitsPerPixel);
    EXPECT_TRUE(ShowsPicture(Blocks(3, 2, printed), dib, info, kTolerance))
        << (mode == JpgMode::kCmykAdobe ? "Adobe" : "plain");
  }
}

TEST(ImageJpg, ExifAndResolutionReachTheRecord) {
  JpgOptions o;
  o.exif = ExifBlock("Maker", "Model 7", 8, "2008:03:07 10:20:30", "2008:03:06 09:00:00", true);
  KxDib dib;
  PictureInfo info;
  ASSERT_TRUE(Decode(WriteJpg(Blocks(1, 1, Colours(1)), o), dib, info));
  EXPECT_TRUE(info.exif.present);
  EXPECT_STREQ("Model 7", info.exif.model);
  EXPECT_EQ(8, info.exif.orientation);
  // libjpeg's JFIF header says 1 dot per unit with no unit: the default stays.
  EXPECT_EQ(PictureInfo::kDefaultResolution, info.xResolution);

  ASSERT_TRUE(Decode(WriteJpg(Blocks(1, 1, Colours(1)), JpgOptions()), dib, info));
  EXPECT_FALSE(info.exif.present);
}

TEST(ImageJpg, DamagedFilesFailOrDecodeAsFarAsTheyGo) {
  JpgOptions o;
  const Bytes good = WriteJpg(Pattern(64, 64, Colours(200)), o);
  KxDib dib;
  PictureInfo info;
  // Before the frame header there is no picture; after it a cut file still decodes.
  for (size_t n : {size_t(1), size_t(2), size_t(20), size_t(100)}) {
    EXPECT_FALSE(Decode(Bytes(good.begin(), good.begin() + static_cast<long>(n)), dib, info)) << n;
  }
  EXPECT_TRUE(Decode(Bytes(good.begin(), good.end() - good.size() / 3), dib, info));
  EXPECT_EQ(64, info.width);

  Bytes notJpeg = good;
  notJpeg[1] = 0xD9;
  EXPECT_FALSE(Decode(notJpeg, dib, info));
  KxImageLimits small;
  small.maxPixels = 4095;
  EXPECT_FALSE(Decode(good, dib, info, small));

  // A progressive file with more scans than allowed is given up.
  JpgOptions progressive;
  progressive.progressive = true;
  const Bytes scans = WriteJpg(Blocks(4, 4, Colours(16)), progressive);
  KxImageLimits fewScans;
  fewScans.maxJpegScans = 2;
  EXPECT_FALSE(Decode(scans, dib, info, fewScans));
  EXPECT_TRUE(Decode(scans, dib, info));
}
