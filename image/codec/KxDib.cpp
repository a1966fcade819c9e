#include "image/codec/KxDib.h"

#include <string.h>

KxDib::KxDib() : header(), stride(0) { memset(palette, 0, sizeof(palette)); }

KxDib::KxDib(KxDib&& other) noexcept
    : header(other.header), stride(other.stride), bits(static_cast<KxBuffer&&>(other.bits)) {
  memcpy(palette, other.palette, sizeof(palette));
  other.Reset();
}

KxDib& KxDib::operator=(KxDib&& other) noexcept {
  if (this != &other) {
    header = other.header;
    stride = other.stride;
    memcpy(palette, other.palette, sizeof(palette));
    bits = static_cast<KxBuffer&&>(other.bits);
    other.Reset();
  }
  return *this;
}

size_t DibStride(uint32_t width, uint32_t bitCount) {
  uint64_t rowBits = static_cast<uint64_t>(width) * bitCount;
  uint64_t bytes = (rowBits + 31) / 32 * 4;
  if (bytes > 0xFFFFFFFFu) return 0;
  return static_cast<size_t>(bytes);
}

bool KxDib::Create(int width, int height, int bitCount, const KxImageLimits& limits) {
  Reset();
  if (bitCount != 8 && bitCount != 24 && bitCount != 32) return false;
  if (width <= 0 || height <= 0 || width > limits.maxSide || height > limits.maxSide) return false;
  if (static_cast<long long>(width) * height > limits.maxPixels) return false;
  size_t rowBytes = DibStride(static_cast<uint32_t>(width), static_cast<uint32_t>(bitCount));
  uint64_t total = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(height);
  if (rowBytes == 0 || total > SIZE_MAX || total > 0xFFFFFFFFu) return false;
  if (!bits.Allocate(static_cast<size_t>(total))) return false;
  stride = rowBytes;
  header.biSize = sizeof(KxBitmapInfoHeader);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<uint16_t>(bitCount);
  header.biCompression = 0;
  header.biSizeImage = static_cast<uint32_t>(total);
  header.biXPelsPerMeter = 3780;
  header.biYPelsPerMeter = 3780;
  header.biClrUsed = bitCount == 8 ? kPaletteSize : 0;
  header.biClrImportant = 0;
  return true;
}

void KxDib::Reset() {
  bits.Release();
  memset(&header, 0, sizeof(header));
  memset(palette, 0, sizeof(palette));
  stride = 0;
}

void KxDib::SetResolution(int xPelsPerMeter, int yPelsPerMeter) {
  header.biXPelsPerMeter = xPelsPerMeter;
  header.biYPelsPerMeter = yPelsPerMeter;
}

KxRgbQuad KxDib::PixelAt(int x, int y) const {
  if (IsEmpty() || x < 0 || y < 0 || x >= Width() || y >= Height()) return KxRgb(0, 0, 0, 0);
  const uint8_t* row = Row(y);
  switch (BitCount()) {
    case 8: {
      KxRgbQuad q = palette[row[x]];
      q.rgbReserved = 255;
      return q;
    }
    case 24: {
      const uint8_t* p = row + static_cast<size_t>(x) * 3;
      return KxRgb(p[2], p[1], p[0]);
    }
    default: {
      const uint8_t* p = row + static_cast<size_t>(x) * 4;
      return KxRgb(p[2], p[1], p[0], p[3]);
    }
  }
}

bool KxDib::HasTransparentPixels() const {
  if (IsEmpty() || BitCount() != 32) return false;
  for (int y = 0; y < Height(); y++) {
    const uint8_t* row = Row(y);
    for (int x = 0; x < Width(); x++) {
      if (row[x * 4 + 3] != 255) return true;
    }
  }
  return false;
}
