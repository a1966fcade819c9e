#pragma once
// The records the decoders fill, with the layout of their Windows counterparts, so that
// the pixel data goes to GDI as it stands while the decoders themselves build anywhere.

#include <stddef.h>
#include <stdint.h>

// BITMAPINFOHEADER.
struct KxBitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
static_assert(sizeof(KxBitmapInfoHeader) == 40, "BITMAPINFOHEADER layout");

// RGBQUAD; in a 32-bit picture the fourth byte is the pixel's alpha.
struct KxRgbQuad {
  uint8_t rgbBlue;
  uint8_t rgbGreen;
  uint8_t rgbRed;
  uint8_t rgbReserved;
};
static_assert(sizeof(KxRgbQuad) == 4, "RGBQUAD layout");

inline bool operator==(const KxRgbQuad& a, const KxRgbQuad& b) {
  return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed &&
         a.rgbReserved == b.rgbReserved;
}
inline bool operator!=(const KxRgbQuad& a, const KxRgbQuad& b) { return !(a == b); }

inline KxRgbQuad KxRgb(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255) {
  KxRgbQuad q;
  q.rgbBlue = blue;
  q.rgbGreen = green;
  q.rgbRed = red;
  q.rgbReserved = alpha;
  return q;
}

// Format type codes, as the picture box tests them.
enum KxImageType {
  kImageNone = 0,
  kImageBmp = 1,
  kImageGif = 2,
  kImageJpg = 3,
  kImagePng = 4,
  kImageIco = 5,
};

// Bounds every decoder keeps to, whatever a file claims. A picture is at most
// maxPixels pixels and maxSide on a side (GDI's own limit on a bitmap side is 32767);
// work is the budget of pixel operations one GIF decode may spend composing frames.
struct KxImageLimits {
  int maxSide = 32767;
  long long maxPixels = 1LL << 25;
  long long maxFileBytes = 256LL << 20;
  long long maxGifWork = 1LL << 30;
  int maxJpegScans = 500;
  long long maxJpegMemory = 320LL << 20;
};
