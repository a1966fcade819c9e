#pragma once
// Checks shared by the image tests: what a decoded picture shows, pixel by pixel.

#include <gtest/gtest.h>

#include <stdlib.h>

#include "image/codec/KxDib.h"
#include "image/codec/PictureInfo.h"
#include "tests/image/samples/ImageWriters.h"

// The colour pixel (x, y) shows when drawn: in a picture with an alpha channel its own
// alpha; otherwise alpha 0 where it has the picture's transparent colour (the key GDI
// masks with), 255 elsewhere.
inline KxRgbQuad Shown(const KxDib& dib, const PictureInfo& info, int x, int y) {
  KxRgbQuad c = dib.PixelAt(x, y);
  if (info.alphaChannel) return c;
  c.rgbReserved = 255;
  if (info.transparentIndex < 0) return c;
  KxRgbQuad key = dib.BitCount() == 8 ? dib.Palette()[info.transparentIndex] : info.transparentColor;
  if (c.rgbRed == key.rgbRed && c.rgbGreen == key.rgbGreen && c.rgbBlue == key.rgbBlue) c.rgbReserved = 0;
  return c;
}

// Every pixel as expected. A picture with an alpha channel keeps each alpha exactly and
// the colour of every pixel that is not fully clear; a keyed one is see-through where the
// expected alpha is below 128 and shows the expected colour elsewhere. Colours match
// within tolerance in each channel.
inline ::testing::AssertionResult ShowsPicture(const TestPicture& expected, const KxDib& dib,
                                               const PictureInfo& info, int tolerance = 0) {
  if (dib.Width() != expected.width || dib.Height() != expected.height) {
    return ::testing::AssertionFailure() << "size " << dib.Width() << "x" << dib.Height() << ", expected "
                                         << expected.width << "x" << expected.height;
  }
  for (int y = 0; y < expected.height; y++) {
    for (int x = 0; x < expected.width; x++) {
      const KxRgbQuad want = expected.At(x, y);
      const KxRgbQuad got = Shown(dib, info, x, y);
      const int alpha = info.alphaChannel ? want.rgbReserved : want.rgbReserved < 128 ? 0 : 255;
      bool same = got.rgbReserved == alpha &&
                  (alpha == 0 || (abs(got.rgbRed - want.rgbRed) <= tolerance &&
                                  abs(got.rgbGreen - want.rgbGreen) <= tolerance &&
                                  abs(got.rgbBlue - want.rgbBlue) <= tolerance));
      if (!same) {
        return ::testing::AssertionFailure()
               << "pixel (" << x << "," << y << ") shows " << int(got.rgbRed) << "," << int(got.rgbGreen) << ","
               << int(got.rgbBlue) << " alpha " << int(got.rgbReserved) << ", expected " << int(want.rgbRed) << ","
               << int(want.rgbGreen) << "," << int(want.rgbBlue) << " alpha " << alpha;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// A file spoilt on purpose: bytes written over a good one at offset at.
struct ByteChange {
  const char* name;
  size_t at;
  std::vector<uint8_t> bytes;
};

inline Bytes WithChange(const Bytes& good, const ByteChange& change) {
  Bytes bad = good;
  for (size_t i = 0; i < change.bytes.size(); i++) bad[change.at + i] = change.bytes[i];
  return bad;
}

// Pixels with alpha 0 in the top-left quarter.
inline TestPicture ClearCorner(TestPicture p) {
  for (int y = 0; y < p.height / 2; y++)
    for (int x = 0; x < p.width / 2; x++) p.At(x, y).rgbReserved = 0;
  return p;
}
