// GIF frames: colour tables, interlacing, transparency, the extensions, composition with
// every disposal method, the frame index, and the canvas the next frame continues from.

#include <gtest/gtest.h>

#include "image/codec/GifDecoder.h"
#include "tests/image/ImageTestUtil.h"

namespace {

struct Frame {
  bool ok = false;
  KxDib dib;
  PictureInfo info;
};

Frame DecodeFrame(const Bytes& bytes, int index, KxGifCache* cache = nullptr,
                  const KxImageLimits& limits = KxImageLimits()) {
  Frame f;
  f.info.frameIndex = index;
  KxByteReader reader(bytes.data(), bytes.size());
  f.ok = DecodeGif(reader, limits, cache, f.dib, f.info);
  return f;
}

GifFrameLayout Rect(int left, int top, int w, int h, uint8_t index) {
  GifFrameLayout f;
  f.left = left;
  f.top = top;
  f.width = w;
  f.height = h;
  f.indexes.assign(static_cast<size_t>(w) * h, index);
  return f;
}

// The picture a frame's indexes stand for over a canvas of its own size.
TestPicture Expected(const GifFrameLayout& f, const std::vector<KxRgbQuad>& palette) {
  TestPicture p(f.width, f.height);
  for (int y = 0; y < f.height; y++)
    for (int x = 0; x < f.width; x++) {
      uint8_t i = f.indexes[static_cast<size_t>(y) * f.width + x];
      p.At(x, y) = i == f.transparent ? KxRgb(0, 0, 0, 0) : palette[i];
    }
  return p;
}

void Fill(TestPicture& p, int left, int top, int w, int h, KxRgbQuad c) {
  for (int y = top; y < top + h && y < p.height; y++)
    for (int x = left; x < left + w && x < p.width; x++) p.At(x, y) = c;
}

GifFrameLayout Noise(int w, int h, int colours, unsigned seed) {
  GifFrameLayout f = Rect(0, 0, w, h, 0);
  for (uint8_t& i : f.indexes) {
    seed = seed * 1103515245u + 12345u;
    i = static_cast<uint8_t>((seed >> 16) % colours);
  }
  return f;
}

const KxRgbQuad kRed = KxRgb(255, 0, 0);
const KxRgbQuad kGreen = KxRgb(0, 255, 0);
const KxRgbQuad kBlue = KxRgb(0, 0, 255);
const KxRgbQuad kGrey = KxRgb(128, 128, 128);
const KxRgbQuad kClear = KxRgb(0, 0, 0, 0);

}  // namespace

TEST(ImageGif, SingleFramesOfEveryKind) {
  struct Kind {
    const char* name;
    bool version87;
    bool global;
    bool interlaced;
    int transparent;
    int colours;
    int width, height;
  };
  const Kind kinds[] = {
      {"GIF89a, global table", false, true, false, -1, 16, 13, 9},
      {"GIF87a", true, true, false, -1, 16, 13, 9},
      {"local table only", false, false, false, -1, 7, 5, 6},
      {"interlaced, every pass", false, true, true, -1, 16, 7, 13},
      {"interlaced, two rows", false, true, true, -1, 4, 7, 2},
      {"transparent index", false, true, false, 2, 4, 9, 9},
      {"two colours", false, true, false, -1, 2, 33, 3},
      {"256 colours, the code table filling up", false, true, false, -1, 256, 96, 80},
  };
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.name);
    const std::vector<KxRgbQuad> palette = Colours(k.colours);
    GifLayout layout;
    layout.version87 = k.version87;
    layout.width = k.width;
    layout.height = k.height;
    GifFrameLayout f = Noise(k.width, k.height, k.colours, 7);
    f.interlaced = k.interlaced;
    f.transparent = k.transparent;
    (k.global ? layout.palette : f.palette) = palette;
    layout.frames.push_back(f);
    Frame out = DecodeFrame(WriteGif(layout), 0);
    ASSERT_TRUE(out.ok);
    EXPECT_TRUE(ShowsPicture(Expected(f, palette), out.dib, out.info));
    EXPECT_EQ(kImageGif, out.info.type);
    EXPECT_EQ(1, out.info.frameCount);
    EXPECT_EQ(8, out.info.bitsPerPixel);
    if (k.transparent >= 0 && !k.version87) {
      EXPECT_EQ(k.transparent, out.info.transparentIndex);
    } else {
      EXPECT_EQ(-1, out.info.transparentIndex);
    }
  }
}

TEST(ImageGif, CodeTableKeptFullWithoutAClearCode) {
  GifLayout layout;
  layout.width = 120;
  layout.height = 90;
  layout.palette = Colours(256);
  GifFrameLayout f = Noise(120, 90, 256, 3);
  f.deferClear = true;
  layout.frames.push_back(f);
  Frame out = DecodeFrame(WriteGif(layout), 0);
  ASSERT_TRUE(out.ok);
  EXPECT_TRUE(ShowsPicture(Expected(f, layout.palette), out.dib, out.info));
}

TEST(ImageGif, ExtensionsAreReadOrSkipped) {
  GifLayout layout;
  layout.width = 4;
  layout.height = 4;
  layout.palette = {kRed, kGreen};
  layout.comment = std::string(300, 'c');
  layout.loopExtension = true;
  layout.plainText = true;
  GifFrameLayout first = Rect(0, 0, 4, 4, 1);
  first.control = false;
  GifFrameLayout second = Rect(0, 0, 4, 4, 0);
  second.delay = 500;
  second.disposal = 1;
  layout.frames = {first, second};
  const Bytes bytes = WriteGif(layout);
  Frame out = DecodeFrame(bytes, 0);
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(2, out.info.frameCount);
  // The control extension before the plain text is the text's, not the frame's.
  EXPECT_EQ(0, out.info.frameDelay);
  EXPECT_EQ(-1, out.info.transparentIndex);
  EXPECT_EQ(std::string(255, 'c'), out.info.comment);
  EXPECT_EQ(kGreen, out.dib.PixelAt(3, 3));
  out = DecodeFrame(bytes, 1);
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(500, out.info.frameDelay);
  EXPECT_EQ(1, out.info.disposal);
  EXPECT_EQ(kRed, out.dib.PixelAt(0, 0));
}

TEST(ImageGif, FrameIndexOutsideTheFramesFails) {
  GifLayout layout;
  layout.width = 3;
  layout.height = 3;
  layout.palette = {kRed, kGreen, kBlue};
  for (uint8_t i = 0; i < 3; i++) layout.frames.push_back(Rect(0, 0, 3, 3, i));
  const Bytes bytes = WriteGif(layout);
  for (int index : {-1, 3, 1000}) EXPECT_FALSE(DecodeFrame(bytes, index).ok) << index;
  Frame last = DecodeFrame(bytes, 2);
  ASSERT_TRUE(last.ok);
  EXPECT_EQ(3, last.info.frameCount);
  EXPECT_EQ(kBlue, last.dib.PixelAt(1, 1));
}

// Three frames on a 10 x 10 canvas: a full green frame, a red 4 x 4 square at (2, 2)
// with the disposal under test, then a blue 4 x 4 square at (4, 4) whose top-left
// quarter is transparent. The background (index 3, grey) shows only when no frame of
// the file uses transparency; otherwise it is see-through.
TEST(ImageGif, ThreeFramesComposeUnderEveryDisposalMethod) {
  struct Case {
    int firstDisposal;
    int secondDisposal;
    bool transparentThird;
  };
  const Case cases[] = {{0, 0, false}, {1, 1, false}, {1, 2, false}, {1, 3, false}, {1, 2, true},
                        {1, 3, true},  {2, 1, false}, {3, 1, false}, {3, 3, true},  {1, 5, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "disposals " << c.firstDisposal << ", " << c.secondDisposal
                                    << (c.transparentThird ? ", third frame transparent" : ""));
    GifLayout layout;
    layout.width = 10;
    layout.height = 10;
    layout.palette = {kGreen, kRed, kBlue, kGrey};
    layout.background = 3;
    GifFrameLayout a = Rect(0, 0, 10, 10, 0);
    a.disposal = c.firstDisposal;
    GifFrameLayout b = Rect(2, 2, 4, 4, 1);
    b.disposal = c.secondDisposal;
    GifFrameLayout d = Rect(4, 4, 4, 4, 2);
    if (c.transparentThird) {
      d.transparent = 3;
      for (int y = 0; y < 2; y++)
        for (int x = 0; x < 2; x++) d.indexes[static_cast<size_t>(y) * 4 + x] = 3;
    }
    layout.frames = {a, b, d};
    const Bytes bytes = WriteGif(layout);
    const KxRgbQuad background = c.transparentThird ? kClear : kGrey;

    TestPicture canvas(10, 10);
    Fill(canvas, 0, 0, 10, 10, kGreen);
    Frame out = DecodeFrame(bytes, 0);
    ASSERT_TRUE(out.ok);
    EXPECT_TRUE(ShowsPicture(canvas, out.dib, out.info)) << "frame 0";

    if (c.firstDisposal == 2 || c.firstDisposal == 3) Fill(canvas, 0, 0, 10, 10, background);
    TestPicture beforeB = canvas;
    Fill(canvas, 2, 2, 4, 4, kRed);
    out = DecodeFrame(bytes, 1);
    ASSERT_TRUE(out.ok);
    EXPECT_TRUE(ShowsPicture(canvas, out.dib, out.info)) << "frame 1";
    EXPECT_EQ(c.secondDisposal, out.info.disposal);

    if (c.secondDisposal == 2) Fill(canvas, 2, 2, 4, 4, background);
    if (c.secondDisposal == 3) canvas = beforeB;
    // The third frame's clear quarter shows what the disposal left there.
    for (int y = 4; y < 8; y++)
      for (int x = 4; x < 8; x++)
        if (!(c.transparentThird && x < 6 && y < 6)) canvas.At(x, y) = kBlue;
    out = DecodeFrame(bytes, 2);
    ASSERT_TRUE(out.ok);
    EXPECT_TRUE(ShowsPicture(canvas, out.dib, out.info)) << "frame 2";
  }
}

TEST(ImageGif, EachFrameKeepsTheColoursOfItsOwnTable) {
  GifLayout layout;
  layout.width = 6;
  layout.height = 2;
  GifFrameLayout a = Rect(0, 0, 6, 2, 0);
  a.palette = {kRed, kGreen};
  GifFrameLayout b = Rect(3, 0, 3, 2, 0);
  b.palette = {kBlue, kGrey};
  layout.frames = {a, b};
  Frame out = DecodeFrame(WriteGif(layout), 1);
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(kRed, out.dib.PixelAt(0, 0));
  EXPECT_EQ(kBlue, out.dib.PixelAt(5, 1));

  // More colours than one palette holds: the picture becomes true colour.
  GifLayout wide;
  wide.width = 32;
  wide.height = 16;
  GifFrameLayout left = Noise(16, 16, 256, 1);
  left.palette = Colours(256);
  GifFrameLayout right = Noise(16, 16, 256, 2);
  right.left = 16;
  right.palette = Colours(256);
  for (KxRgbQuad& c : right.palette) c.rgbRed = static_cast<uint8_t>(c.rgbRed ^ 0x80);
  wide.frames = {left, right};
  out = DecodeFrame(WriteGif(wide), 1);
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(24, out.info.bitsPerPixel);
  TestPicture expected(32, 16);
  TestPicture l = Expected(left, left.palette), r = Expected(right, right.palette);
  for (int y = 0; y < 16; y++)
    for (int x = 0; x < 16; x++) {
      expected.At(x, y) = l.At(x, y);
      expected.At(x + 16, y) = r.At(x, y);
    }
  EXPECT_TRUE(ShowsPicture(expected, out.dib, out.info));
}

TEST(ImageGif, TransparentColourNeverHidesAnOpaqueTwin) {
  // Index 1 is transparent but has the same colour as index 0.
  GifLayout layout;
  layout.width = 4;
  layout.height = 1;
  layout.palette = {kRed, kRed};
  GifFrameLayout f = Rect(0, 0, 4, 1, 0);
  f.indexes = {0, 1, 0, 1};
  f.transparent = 1;
  layout.frames = {f};
  Frame out = DecodeFrame(WriteGif(layout), 0);
  ASSERT_TRUE(out.ok);
  TestPicture expected(4, 1);
  expected.pixels = {kRed, kClear, kRed, kClear};
  EXPECT_TRUE(ShowsPicture(expected, out.dib, out.info));
}

TEST(ImageGif, FramesReachingPastTheCanvasAreCut) {
  GifLayout layout;
  layout.width = 4;
  layout.height = 4;
  layout.palette = {kRed, kGreen};
  layout.frames = {Rect(0, 0, 4, 4, 0), Rect(2, 2, 50, 50, 1), Rect(9, 9, 3, 3, 1)};
  const Bytes bytes = WriteGif(layout);
  Frame out = DecodeFrame(bytes, 2);
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(kRed, out.dib.PixelAt(1, 1));
  EXPECT_EQ(kGreen, out.dib.PixelAt(3, 3));
  EXPECT_EQ(4, out.info.width);
}

TEST(ImageGif, ContinuingFromTheCacheGivesTheSamePixels) {
  GifLayout layout;
  layout.width = 24;
  layout.height = 20;
  layout.palette = Colours(32);
  layout.background = 5;
  for (int i = 0; i < 12; i++) {
    GifFrameLayout f = Noise(6 + i % 5, 5 + i % 3, 32, static_cast<unsigned>(i));
    f.left = (i * 5) % 18;
    f.top = (i * 3) % 15;
    f.disposal = i % 4;
    f.transparent = i % 3 == 0 ? 4 : -1;
    f.interlaced = i % 2 == 1;
    layout.frames.push_back(f);
  }
  const Bytes bytes = WriteGif(layout);
  KxGifCache cache;
  auto same = [](const Frame& a, const Frame& b) {
    if (a.dib.Width() != b.dib.Width() || a.dib.Height() != b.dib.Height()) return false;
    for (int y = 0; y < a.dib.Height(); y++)
      for (int x = 0; x < a.dib.Width(); x++)
        if (Shown(a.dib, a.info, x, y) != Shown(b.dib, b.info, x, y)) return false;
    return true;
  };
  // Forward one by one, then a jump ahead, then back to an earlier frame.
  for (int i : {0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 3, 4, 0}) {
    Frame cached = DecodeFrame(bytes, i, &cache);
    Frame fresh = DecodeFrame(bytes, i);
    ASSERT_TRUE(cached.ok && fresh.ok) << i;
    EXPECT_TRUE(same(cached, fresh)) << "frame " << i;
    EXPECT_EQ(i, cache.Frame());
  }
  // Other bytes of the same length do not reuse the canvas.
  GifLayout other = layout;
  other.palette[1] = KxRgb(1, 2, 3);
  const Bytes otherBytes = WriteGif(other);
  ASSERT_EQ(bytes.size(), otherBytes.size());
  ASSERT_TRUE(DecodeFrame(bytes, 6, &cache).ok);
  EXPECT_TRUE(same(DecodeFrame(otherBytes, 7, &cache), DecodeFrame(otherBytes, 7)));
}

TEST(ImageGif, DamagedFilesFailOrDecodeWhatIsThere) {
  GifLayout layout;
  layout.width = 8;
  layout.height = 8;
  layout.palette = {kRed, kGreen};
  layout.frames = {Rect(0, 0, 8, 8, 1), Rect(0, 0, 8, 8, 0)};
  const Bytes good = WriteGif(layout);
  const size_t firstImage = 6 + 7 + 6 + 8;  // header, screen, table, control extension
  ASSERT_EQ(0x2C, good[firstImage]);

  // Cut inside the second frame's data: two frames, the second drawn as far as it goes.
  Bytes cut(good.begin(), good.end() - 6);
  Frame out = DecodeFrame(cut, 1);
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(2, out.info.frameCount);
  // Cut before the first frame's code size byte: no frame at all.
  EXPECT_FALSE(DecodeFrame(Bytes(good.begin(), good.begin() + static_cast<long>(firstImage) + 10), 0).ok);
  Bytes badCodeSize = good;
  badCodeSize[firstImage + 10] = 12;
  out = DecodeFrame(badCodeSize, 0);
  ASSERT_TRUE(out.ok);  // the frame draws nothing over the background
  EXPECT_EQ(kRed, out.dib.PixelAt(0, 0));
  // A screen and a frame larger than any limit.
  Bytes huge = good;
  huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;
  EXPECT_FALSE(DecodeFrame(huge, 0).ok);
  KxImageLimits small;
  small.maxPixels = 63;
  EXPECT_FALSE(DecodeFrame(good, 0, nullptr, small).ok);
  // Work over the budget fails instead of running on.
  KxImageLimits tight;
  tight.maxGifWork = 100;
  EXPECT_FALSE(DecodeFrame(good, 1, nullptr, tight).ok);
  for (const char* header : {"GIF88a", "GIF8", "XIF89a"}) {
    Bytes bad = good;
    memcpy(bad.data(), header, strlen(header) < 6 ? strlen(header) : 6);
    if (strlen(header) < 6) bad.resize(strlen(header));
    EXPECT_FALSE(DecodeFrame(bad, 0).ok) << header;
  }
}
