// The picture object: probing, loading from bytes, files and streams, what a failed
// load leaves, and drawing read back from a 32-bit surface.

#include <gtest/gtest.h>

#include <cmath>

#include "image/CxImage.h"
#include "kx/base/KxStream.h"
#include "tests/image/ImageTestUtil.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"

namespace {

DWORD Rgb(const KxRgbQuad& c) { return DWORD(c.rgbRed) << 16 | DWORD(c.rgbGreen) << 8 | c.rgbBlue; }

bool Load(CxImage& image, const Bytes& bytes) {
  return image.LoadFromBytes(bytes.data(), static_cast<long long>(bytes.size()));
}

Bytes ThreeFrameGif() {
  GifLayout layout;
  layout.width = 4;
  layout.height = 4;
  layout.palette = {KxRgb(255, 0, 0), KxRgb(0, 255, 0), KxRgb(0, 0, 255), KxRgb(255, 255, 255)};
  layout.comment = "three";
  for (uint8_t i = 0; i < 3; i++) {
    GifFrameLayout f;
    f.width = 4;
    f.height = 4;
    f.delay = 10 + i;
    f.indexes.assign(16, i);
    layout.frames.push_back(f);
  }
  return WriteGif(layout);
}

const KxRgbQuad kWhite = KxRgb(255, 255, 255);

}  // namespace

TEST(ImagePicture, EachFormatLoadsWithItsTypeCode) {
  const TestPicture picture = Pattern(6, 5, Colours(4));
  GifLayout gif;
  gif.width = 6;
  gif.height = 5;
  gif.palette = Colours(4);
  GifFrameLayout frame;
  frame.width = 6;
  frame.height = 5;
  frame.indexes.assign(30, 1);
  gif.frames.push_back(frame);
  struct Format {
    Bytes bytes;
    int type;
  };
  const Format formats[] = {
      {WriteBmp(picture, BmpOptions()), kImageBmp}, {WriteGif(gif), kImageGif},
      {WriteJpg(picture, JpgOptions()), kImageJpg},  {WritePng(picture, PngOptions()), kImagePng},
      {WriteIco({{picture, 32, false}}), kImageIco},
  };
  for (const Format& f : formats) {
    CxImage image;
    EXPECT_EQ(0, image.Type());
    EXPECT_EQ(-1, image.Info().transparentIndex);
    ASSERT_TRUE(Load(image, f.bytes)) << f.type;
    EXPECT_EQ(f.type, image.Type());
    EXPECT_EQ(6, image.Width());
    EXPECT_EQ(5, image.Height());
    EXPECT_TRUE(image.HasPixels());
  }
}

TEST(ImagePicture, FirstDecoderToAcceptWinsAndUnknownDataFails) {
  // A BMP followed by a whole PNG is still a BMP.
  Bytes both = WriteBmp(Pattern(3, 3, Colours(2)), BmpOptions());
  const Bytes png = WritePng(Pattern(7, 7, Colours(2)), PngOptions());
  both.insert(both.end(), png.begin(), png.end());
  CxImage image;
  ASSERT_TRUE(Load(image, both));
  EXPECT_EQ(kImageBmp, image.Type());
  EXPECT_EQ(3, image.Width());
  const Bytes text = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_FALSE(Load(image, text));
  EXPECT_FALSE(image.LoadFromBytes(nullptr, 5));
  EXPECT_FALSE(image.LoadFromBytes(text.data(), 0));
}

TEST(ImagePicture, FailedLoadKeepsThePictureBefore) {
  CxImage image;
  const Bytes gif = ThreeFrameGif();
  image.SetFrameIndex(1);
  ASSERT_TRUE(Load(image, gif));
  EXPECT_EQ(0x00FF00u, Rgb(image.Pixels().PixelAt(0, 0)));
  const Bytes garbage(100, 0x5A);
  Bytes cut = WriteBmp(Pattern(20, 20, Colours(9)), BmpOptions());
  cut.resize(cut.size() / 2);
  for (const Bytes* bad : {&garbage, static_cast<const Bytes*>(&cut)}) {
    EXPECT_FALSE(Load(image, *bad));
    EXPECT_EQ(kImageGif, image.Type());
    EXPECT_EQ(3, image.FrameCount());
    EXPECT_EQ(0x00FF00u, Rgb(image.Pixels().PixelAt(0, 0)));
  }
  image.SetFrameIndex(3);
  EXPECT_FALSE(Load(image, gif));
  EXPECT_EQ(0x00FF00u, Rgb(image.Pixels().PixelAt(0, 0)));
}

TEST(ImagePicture, SettingsReachTheDecoderAndFindingsDoNotLinger) {
  CxImage image;
  const Bytes gif = ThreeFrameGif();
  for (int i : {0, 1, 2, 0}) {
    image.SetFrameIndex(i);
    ASSERT_TRUE(Load(image, gif)) << i;
    EXPECT_EQ(10 + i, image.FrameDelay());
    EXPECT_EQ(i == 0 ? 0xFF0000u : i == 1 ? 0x00FF00u : 0x0000FFu, Rgb(image.Pixels().PixelAt(2, 2)));
  }
  EXPECT_STREQ("three", image.Info().comment);
  image.SetFrameIndex(0);
  ASSERT_TRUE(Load(image, WriteBmp(Pattern(2, 2, Colours(2)), BmpOptions())));
  EXPECT_EQ(1, image.FrameCount());
  EXPECT_EQ(0, image.FrameDelay());
  EXPECT_STREQ("", image.Info().comment);
  EXPECT_EQ(90, image.Info().jpegQuality);

  const Bytes icons = WriteIco({{Pattern(16, 16, Colours(2)), 8, false}, {Pattern(32, 32, Colours(2)), 32, false}});
  image.SetFrameIndex(1);
  ASSERT_TRUE(Load(image, icons));
  EXPECT_EQ(32, image.Width());
  EXPECT_EQ(2, image.FrameCount());
}

TEST(ImagePicture, LoadsFromFilesAndStreams) {
  const KxString dir = MakeScratchDir("image-load");
  const Bytes png = WritePng(Pattern(5, 3, Colours(3)), PngOptions());
  const KxString path = dir + "\\picture.dat";
  ASSERT_TRUE(WriteFileBytes(path, KxString(reinterpret_cast<const char*>(png.data()), static_cast<int>(png.size()))));
  CxImage image;
  ASSERT_TRUE(image.LoadFromFile(path));
  EXPECT_EQ(kImagePng, image.Type());
  EXPECT_FALSE(image.LoadFromFile(dir + "\\missing.png"));
  EXPECT_EQ(5, image.Width());

  // A stream standing anywhere is read from its start.
  KxIoFile file;
  ASSERT_TRUE(file.OpenForRead(path));
  ASSERT_TRUE(file.SeekSet(10));
  CxImage fromFile;
  EXPECT_TRUE(fromFile.LoadFromStream(file));
  file.Close();
  KxMemFile memory;
  memory.Write(png.data(), static_cast<long long>(png.size()));
  CxImage fromMemory;
  EXPECT_TRUE(fromMemory.LoadFromStream(memory));
  EXPECT_EQ(3, fromMemory.Height());
  KxMemFile empty;
  EXPECT_FALSE(fromMemory.LoadFromStream(empty));
  RemoveTree(dir);
}

TEST(ImagePicture, DrawsAtItsOwnSizeForMinusOne) {
  const TestPicture picture = Pattern(5, 4, Colours(7));
  for (int bits : {8, 24}) {
    BmpOptions o;
    o.bitCount = bits;
    CxImage image;
    ASSERT_TRUE(Load(image, WriteBmp(picture, o)));
    MemorySurface surface(20, 20, RGB(0, 0, 255));
    ASSERT_TRUE(image.StretchDraw(surface.dc, 3, 2, -1, -1));
    for (int y = 0; y < 4; y++)
      for (int x = 0; x < 5; x++) EXPECT_EQ(Rgb(picture.At(x, y)), surface.At(3 + x, 2 + y)) << x << "," << y;
    EXPECT_EQ(0x0000FFu, surface.At(8, 2));
    EXPECT_EQ(0x0000FFu, surface.At(3, 6));
    EXPECT_EQ(0x0000FFu, surface.At(2, 1));
  }
}

TEST(ImagePicture, StretchesOverTheRectangle) {
  const TestPicture picture = Pattern(3, 2, Colours(6));
  CxImage image;
  ASSERT_TRUE(Load(image, WriteBmp(picture, BmpOptions())));
  MemorySurface surface(12, 8, RGB(0, 0, 0));
  ASSERT_TRUE(image.StretchDraw(surface.dc, 0, 0, 9, 6));
  for (int y = 0; y < 6; y++)
    for (int x = 0; x < 9; x++) EXPECT_EQ(Rgb(picture.At(x / 3, y / 3)), surface.At(x, y)) << x << "," << y;
  EXPECT_EQ(0u, surface.At(9, 0));
}

TEST(ImagePicture, WhiteTransparentColourShowsTheRedBackground) {
  TestPicture picture = Pattern(6, 6, {kWhite, KxRgb(0, 0, 255), KxRgb(0, 128, 0)});
  for (int bits : {8, 24}) {
    SCOPED_TRACE(bits);
    BmpOptions o;
    o.bitCount = bits;
    CxImage image;
    ASSERT_TRUE(Load(image, WriteBmp(picture, o)));
    ASSERT_TRUE(image.SetTransparentColor(RGB(255, 255, 255)));
    MemorySurface surface(16, 16, RGB(255, 0, 0));
    const COLORREF back = SetBkColor(surface.dc, RGB(1, 2, 3));
    const COLORREF text = SetTextColor(surface.dc, RGB(4, 5, 6));
    ASSERT_TRUE(image.StretchDraw(surface.dc, 2, 2, 12, 12));
    for (int y = 0; y < 12; y++)
      for (int x = 0; x < 12; x++) {
        const KxRgbQuad c = picture.At(x / 2, y / 2);
        const DWORD expected = c == kWhite ? 0xFF0000u : Rgb(c);
        EXPECT_EQ(expected, surface.At(2 + x, 2 + y)) << x << "," << y;
      }
    EXPECT_EQ(0xFF0000u, surface.At(1, 1));
    EXPECT_EQ(RGB(1, 2, 3), GetBkColor(surface.dc));
    EXPECT_EQ(RGB(4, 5, 6), GetTextColor(surface.dc));
    SetBkColor(surface.dc, back);
    SetTextColor(surface.dc, text);
  }
  CxImage eightBit;
  BmpOptions o;
  o.bitCount = 8;
  ASSERT_TRUE(Load(eightBit, WriteBmp(picture, o)));
  EXPECT_FALSE(eightBit.SetTransparentColor(RGB(1, 1, 1)));
}

TEST(ImagePicture, DecodedTransparencyDrawsThrough) {
  const TestPicture corner = ClearCorner(Pattern(8, 8, Colours(20)));
  PngOptions rgba;
  rgba.colourType = 6;
  GifLayout gif;
  gif.width = 8;
  gif.height = 8;
  gif.palette = Colours(20);
  GifFrameLayout frame;
  frame.width = 8;
  frame.height = 8;
  frame.transparent = 19;
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++) frame.indexes.push_back(static_cast<uint8_t>(x < 4 && y < 4 ? 19 : (x + y) % 19));
  gif.frames.push_back(frame);
  const Bytes files[] = {WritePng(corner, rgba), WriteIco({{corner, 24, false}}), WriteGif(gif)};
  for (const Bytes& bytes : files) {
    CxImage image;
    ASSERT_TRUE(Load(image, bytes));
    SCOPED_TRACE(image.Type());
    MemorySurface surface(8, 8, RGB(255, 0, 0));
    ASSERT_TRUE(image.StretchDraw(surface.dc, 0, 0, -1, -1));
    EXPECT_EQ(0xFF0000u, surface.At(0, 0));
    EXPECT_EQ(0xFF0000u, surface.At(3, 3));
    EXPECT_EQ(Rgb(image.Pixels().PixelAt(5, 5)), surface.At(5, 5));
    EXPECT_NE(0xFF0000u, surface.At(5, 5));
  }
}

// Pictures with an alpha channel, from every decoder that yields one, drawn over a known
// background at their own size, magnified, shrunk and stretched one way: each pixel is
// the blend of the picture's colour and the background by its alpha.
TEST(ImagePicture, AlphaIsBlendedOverTheBackgroundAtEveryStretch) {
  // 4 x 4 blocks of 2 x 2 pixels, so that every nearest-pixel stretch by a whole factor
  // takes the same source colour; the alphas include 0, 255 and both sides of 128.
  const uint8_t alphas[16] = {0, 255, 1, 254, 128, 127, 64, 200, 30, 90, 160, 220, 10, 245, 100, 180};
  auto blocks = [&](bool grey) {
    TestPicture p(8, 8);
    for (int y = 0; y < 8; y++)
      for (int x = 0; x < 8; x++) {
        const int k = y / 2 * 4 + x / 2;
        const uint8_t v = static_cast<uint8_t>(k * 16 + 7);
        p.At(x, y) = grey ? KxRgb(v, v, v, alphas[k])
                          : KxRgb(v, static_cast<uint8_t>(255 - k * 13), static_cast<uint8_t>(k * 53), alphas[k]);
      }
    return p;
  };
  const TestPicture colour = blocks(false);
  const TestPicture grey = blocks(true);
  auto png = [](const TestPicture& p, int type, int depth, bool interlaced) {
    PngOptions o;
    o.colourType = type;
    o.bitDepth = depth;
    o.interlaced = interlaced;
    o.trns = type == 3;
    return WritePng(p, o);
  };
  BmpOptions v5;
  v5.bitCount = 32;
  v5.compression = 3;
  v5.headerSize = 124;
  v5.masks[0] = 0xFF0000, v5.masks[1] = 0xFF00, v5.masks[2] = 0xFF, v5.masks[3] = 0xFF000000;
  BmpOptions plainV5 = v5;
  plainV5.compression = 0;
  const struct {
    const char* name;
    const TestPicture& picture;
    Bytes bytes;
  } cases[] = {
      {"grey + alpha, 8 bits", grey, png(grey, 4, 8, false)},
      {"grey + alpha, 16 bits, interlaced", grey, png(grey, 4, 16, true)},
      {"RGBA, 8 bits", colour, png(colour, 6, 8, false)},
      {"RGBA, 8 bits, interlaced", colour, png(colour, 6, 8, true)},
      {"RGBA, 16 bits", colour, png(colour, 6, 16, false)},
      {"palette with alpha", colour, png(colour, 3, 8, false)},
      {"32-bit icon", colour, WriteIco({{colour, 32, false}})},
      {"icon with a PNG entry", colour, WriteIco({{colour, 32, true}})},
      {"V5 bitmap with an alpha mask", colour, WriteBmp(colour, v5)},
      {"plain V5 bitmap with an alpha mask", colour, WriteBmp(colour, plainV5)},
  };
  const KxRgbQuad back = KxRgb(40, 90, 200);
  // The last runs off the surface's bottom right corner.
  const struct {
    int left, top, w, h;
  } places[] = {{3, 2, 8, 8}, {3, 2, 16, 16}, {3, 2, 4, 4}, {3, 2, 16, 8}, {12, 14, 16, 16}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.bytes.empty());
    CxImage image;
    ASSERT_TRUE(Load(image, c.bytes));
    EXPECT_TRUE(image.Info().alphaChannel);
    for (const auto& place : places) {
      const int left = place.left, top = place.top, w = place.w, h = place.h;
      SCOPED_TRACE(testing::Message() << w << "x" << h << " at " << left << "," << top);
      MemorySurface surface(20, 20, RGB(back.rgbRed, back.rgbGreen, back.rgbBlue));
      ASSERT_TRUE(image.StretchDraw(surface.dc, left, top, w, h));
      int wrong = 0;
      for (int y = 0; y < h && top + y < 20; y++)
        for (int x = 0; x < w && left + x < 20; x++) {
          const KxRgbQuad s = c.picture.At(x * 8 / w, y * 8 / h);
          const double a = s.rgbReserved / 255.0;
          auto blend = [&](uint8_t over, uint8_t under) { return over * a + under * (1 - a); };
          const DWORD got = surface.At(left + x, top + y);
          const double want[3] = {blend(s.rgbRed, back.rgbRed), blend(s.rgbGreen, back.rgbGreen),
                                  blend(s.rgbBlue, back.rgbBlue)};
          const int shown[3] = {int(got >> 16 & 255), int(got >> 8 & 255), int(got & 255)};
          for (int i = 0; i < 3; i++) {
            if (std::fabs(shown[i] - want[i]) > 2 && wrong++ < 3) {
              ADD_FAILURE() << "pixel " << x << "," << y << " channel " << i << ": " << shown[i] << ", expected "
                            << want[i];
            }
          }
        }
      EXPECT_EQ(0, wrong);
      EXPECT_EQ(Rgb(back), surface.At(left - 1, top + 1)) << "left of the picture";
      EXPECT_EQ(Rgb(back), surface.At(left + 1, top - 1)) << "above the picture";
      if (left + w < 20) {
        EXPECT_EQ(Rgb(back), surface.At(left + w, top + h - 1)) << "right of the picture";
        EXPECT_EQ(Rgb(back), surface.At(left, top + h)) << "below the picture";
      }
    }
  }
}

TEST(ImagePicture, NothingIsDrawnWithoutPixelsDcOrSize) {
  CxImage empty;
  MemorySurface surface(4, 4, RGB(9, 9, 9));
  EXPECT_FALSE(empty.StretchDraw(surface.dc, 0, 0, 4, 4));
  CxImage image;
  ASSERT_TRUE(Load(image, WriteBmp(Pattern(2, 2, Colours(2)), BmpOptions())));
  EXPECT_FALSE(image.StretchDraw(NULL, 0, 0, 4, 4));
  EXPECT_FALSE(image.StretchDraw(surface.dc, 0, 0, 0, 4));
  EXPECT_FALSE(image.StretchDraw(surface.dc, 0, 0, 4, 0));
  image.SetEnabled(false);
  EXPECT_FALSE(image.StretchDraw(surface.dc, 0, 0, 4, 4));
  EXPECT_EQ(0x090909u, surface.At(0, 0));
  image.SetEnabled(true);
  EXPECT_TRUE(image.StretchDraw(surface.dc, 0, 0, 4, 4));
}
