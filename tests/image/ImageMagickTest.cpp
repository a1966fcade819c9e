// Pictures written by ImageMagick during the build (tests/image/CMakeLists.txt), read
// back: a check that the decoders agree with another program's idea of each format.

#include <gtest/gtest.h>

#include "image/CxImage.h"
#include "tests/image/ImageTestUtil.h"
#include "tests/support/TestUtil.h"

namespace {

// The rule the build's pattern.ppm was written by.
KxRgbQuad PatternAt(int x, int y) {
  if (x == y) return KxRgb(255, 255, 255);
  switch (y / 8 * 2 + x / 8) {
    case 0: return KxRgb(255, 0, 0);
    case 1: return KxRgb(0, 160, 0);
    case 2: return KxRgb(0, 0, 255);
    default: return KxRgb(255, 255, 0);
  }
}

TestPicture ThePattern(bool mirrored) {
  TestPicture p(16, 16);
  for (int y = 0; y < 16; y++)
    for (int x = 0; x < 16; x++) p.At(x, y) = PatternAt(mirrored ? 15 - x : x, y);
  return p;
}

bool LoadFixture(CxImage& image, const char* name) {
  const KxString path = TestBinDir() + "\\image-fixtures\\" + name;
  return FileExistsAt(path) && image.LoadFromFile(path);
}

}  // namespace

TEST(ImageMagickFiles, LosslessFilesGiveThePatternExactly) {
  struct File {
    const char* name;
    int type;
  };
  const File files[] = {{"im24.bmp", kImageBmp}, {"im8.bmp", kImageBmp},     {"imrle8.bmp", kImageBmp},
                        {"imcore.bmp", kImageBmp}, {"imv5.bmp", kImageBmp}, {"im.gif", kImageGif},
                        {"im-interlaced.gif", kImageGif}, {"im.png", kImagePng}, {"im8.png", kImagePng},
                        {"im48.png", kImagePng}, {"im.ico", kImageIco}};
  if (!FileExistsAt(TestBinDir() + "\\image-fixtures\\im.png")) GTEST_SKIP() << "no ImageMagick at build time";
  const TestPicture pattern = ThePattern(false);
  for (const File& f : files) {
    CxImage image;
    ASSERT_TRUE(LoadFixture(image, f.name)) << f.name;
    EXPECT_EQ(f.type, image.Type()) << f.name;
    EXPECT_TRUE(ShowsPicture(pattern, image.Pixels(), image.Info())) << f.name;
  }
}

TEST(ImageMagickFiles, JpegFilesComeClose) {
  if (!FileExistsAt(TestBinDir() + "\\image-fixtures\\im.jpg")) GTEST_SKIP() << "no ImageMagick at build time";
  const TestPicture pattern = ThePattern(false);
  for (const char* name : {"im.jpg", "im-progressive.jpg", "im-cmyk.jpg", "im-grey.jpg"}) {
    CxImage image;
    ASSERT_TRUE(LoadFixture(image, name)) << name;
    EXPECT_EQ(kImageJpg, image.Type());
    const bool grey = name[3] == 'g';
    // Pixels two away from the diagonal and the quarters' edges, where JPEG rings least.
    // ImageMagick's grey is its own luma formula: only the order of brightness is checked.
    for (int y : {2, 5, 10, 13})
      for (int x : {5, 10, 13}) {
        if (grey || abs(x - y) < 3) continue;
        const KxRgbQuad want = PatternAt(x, y);
        const KxRgbQuad got = image.Pixels().PixelAt(x, y);
        EXPECT_NEAR(want.rgbRed, got.rgbRed, 24) << name << " " << x << "," << y;
        EXPECT_NEAR(want.rgbGreen, got.rgbGreen, 24) << name << " " << x << "," << y;
        EXPECT_NEAR(want.rgbBlue, got.rgbBlue, 24) << name << " " << x << "," << y;
      }
    if (grey) {
      EXPECT_EQ(8, image.Info().bitsPerPixel);
      // Yellow, green, red, blue, brightest first.
      const KxDib& d = image.Pixels();
      EXPECT_GT(d.PixelAt(13, 10).rgbRed, d.PixelAt(10, 2).rgbRed);
      EXPECT_GT(d.PixelAt(10, 2).rgbRed, d.PixelAt(2, 5).rgbRed);
      EXPECT_GT(d.PixelAt(2, 5).rgbRed, d.PixelAt(5, 13).rgbRed);
    }
  }
}

TEST(ImageMagickFiles, AnimationFramesAndDelay) {
  CxImage image;
  if (!LoadFixture(image, "im-anim.gif")) GTEST_SKIP() << "no ImageMagick at build time";
  EXPECT_EQ(2, image.FrameCount());
  EXPECT_EQ(20, image.FrameDelay());
  EXPECT_TRUE(ShowsPicture(ThePattern(false), image.Pixels(), image.Info()));
  image.SetFrameIndex(1);
  ASSERT_TRUE(LoadFixture(image, "im-anim.gif"));
  EXPECT_TRUE(ShowsPicture(ThePattern(true), image.Pixels(), image.Info()));
}
