#pragma once
// Checks shared by the image tests: what a decoded picture shows, pixel by pixel.

#include <gtest/gtest.h>

#include <stdlib.h>

#include "image/codec/KxDib.h"
#include "image/codec/PictureInfo.h"
#include "tests/image/samples/ImageWriters.h"

// The colour pixel (x, y) shows when drawn: alpha 0 where it has the picture's
// transparent colour (the key GDI masks with), 255 elsewhere.
inline KxRgbQuad Shown(const KxDib& dib, const PictureInfo& info, int x, int y) {
  KxRgbQuad c = dib.PixelAt(x, y);
  c.rgbReserved = 255;
  if (info.transparentIndex < 0) return c;
  KxRgbQuad key = dib.BitCount() == 8 ? dib.Palette()[info.transparentIndex] : info.transparentColor;
  if (c.rgbRed == key.rgbRed && c.rgbGreen == key.rgbGreen && c.rgbBlue == key.rgbBlue) c.rgbReserved = 0;
  return c;
}

// Every pixel as expected: see-through where the expected alpha is below 128, else the
// expected colour within tolerance in each channel.
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
      const bool clear = want.rgbReserved < 128;
      bool same = clear ? got.rgbReserved == 0
                        : got.rgbReserved == 255 && abs(got.rgbRed - want.rgbRed) <= tolerance &&
                              abs(got.rgbGreen - want.rgbGreen) <= tolerance &&
                              abs(got.rgbBlue - want.rgbBlue) <= tolerance;
      if (!same) {
        return ::testing::AssertionFailure()
               << "pixel (" << x << "," << y << ") shows " << int(got.rgbRed) << "," << int(got.rgbGreen) << ","
               << int(got.rgbBlue) << (got.rgbReserved ? "" : " clear") << ", expected "
               << (clear ? std::string("clear")
                         : std::to_string(want.rgbRed) + "," + std::to_string(want.rgbGreen) + "," +
                               std::to_string(want.rgbBlue));
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// Pixels with alpha 0 in the top-left quarter.
inline TestPicture ClearCorner(TestPicture p) {
  for (int y = 0; y < p.height / 2; y++)
    for (int x = 0; x < p.width / 2; x++) p.At(x, y).rgbReserved = 0;
  return p;
}
