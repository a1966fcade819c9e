#pragma once
// The pixel data of a picture: a device-independent bitmap of 8 (with a 256-entry
// palette), 24 or 32 bits per pixel, rows bottom-up and padded to four bytes, as GDI
// takes it. The header, the palette and the rows are owned by the object.

#include <stddef.h>
#include <stdint.h>

#include "image/codec/KxBuffer.h"
#include "image/codec/KxImageTypes.h"

class KxDib {
public:
  static constexpr int kPaletteSize = 256;

  KxDib();
  KxDib(const KxDib&) = delete;
  KxDib& operator=(const KxDib&) = delete;
  KxDib(KxDib&& other) noexcept;
  KxDib& operator=(KxDib&& other) noexcept;

  // A picture of width x height with every byte and palette entry zero. False (and
  // empty) for a bit count other than 8, 24 or 32, a size outside the limits or when
  // memory runs out.
  bool Create(int width, int height, int bitCount, const KxImageLimits& limits);
  void Reset();

  bool IsEmpty() const { return bits.IsEmpty(); }
  int Width() const { return header.biWidth; }
  int Height() const { return header.biHeight; }
  int BitCount() const { return header.biBitCount; }
  size_t Stride() const { return stride; }
  const KxBitmapInfoHeader& Header() const { return header; }
  void SetResolution(int xPelsPerMeter, int yPelsPerMeter);

  KxRgbQuad* Palette() { return palette; }
  const KxRgbQuad* Palette() const { return palette; }

  // Row y counted from the top of the picture.
  uint8_t* Row(int y) { return bits.Data() + static_cast<size_t>(Height() - 1 - y) * stride; }
  const uint8_t* Row(int y) const {
    return bits.Data() + static_cast<size_t>(Height() - 1 - y) * stride;
  }
  const uint8_t* Bits() const { return bits.Data(); }
  size_t BitsSize() const { return bits.Size(); }

  // The colour at (x, y) from the top left, the palette looked up; the fourth byte is
  // the alpha of a 32-bit picture and 255 otherwise.
  KxRgbQuad PixelAt(int x, int y) const;
  // A 32-bit picture with at least one pixel whose alpha is below 255.
  bool HasTransparentPixels() const;

private:
  KxBitmapInfoHeader header;
  KxRgbQuad palette[kPaletteSize];
  size_t stride;
  KxBuffer bits;
};

// Bytes in one row of width pixels at bitCount bits, padded to four bytes as BMP and
// DIB rows are; 0 when the result would not fit in 32 bits.
size_t DibStride(uint32_t width, uint32_t bitCount);
