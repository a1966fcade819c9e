#pragma once
// BMP files and the DIBs inside them, after the published BMP format: Windows headers of
// 40, 52, 56, 108 and 124 bytes, OS/2 1.x (12-byte) and 2.x (16 to 64-byte) headers,
// 1, 4, 8, 16, 24 and 32 bits per pixel, RLE8 and RLE4, bit-field masks, rows stored
// bottom-up or top-down.

#include <stdint.h>

#include "image/codec/KxDib.h"
#include "image/codec/KxImageReader.h"
#include "image/codec/PictureInfo.h"

// What a DIB's header, masks and palette say.
struct KxDibFormat {
  int width = 0;
  int height = 0;  // rows as stored; the sign is in topDown
  bool topDown = false;
  int bitCount = 0;
  uint32_t compression = 0;  // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
  uint32_t masks[4] = {};    // red, green, blue, alpha, for 16 and 32 bits (alpha 0: none)
  int paletteCount = 0;      // entries that pixel indexes may use
  KxRgbQuad palette[KxDib::kPaletteSize] = {};
  uint64_t paletteEnd = 0;   // where the pixel rows of a DIB without file header start
  int xPelsPerMeter = 0;
  int yPelsPerMeter = 0;
};

// Reads the header at the reader's position start. pixelsAt, when not 0, is where a file
// header says the rows begin: the palette cannot reach beyond it.
bool ReadDibFormat(KxImageReader& reader, uint64_t start, uint64_t pixelsAt, KxDibFormat& format);

struct KxDibReadOptions {
  // Expand any depth to 32 bits (alpha 255) instead of 8 bits with a palette or 24 bits.
  bool direct32 = false;
  // The fourth byte of a 32-bit pixel without masks is alpha (as icons store it).
  bool reservedIsAlpha = false;
};

// Decodes format.height rows starting at pixelsAt into dib: 8 bits with the palette for
// 1 to 8 bits per pixel, 32 bits when there is an alpha channel or direct32, else 24 bits.
// alphaSeen tells whether any pixel had alpha other than 0 under an alpha channel.
bool ReadDibPixels(KxImageReader& reader, uint64_t pixelsAt, const KxDibFormat& format,
                   const KxDibReadOptions& options, const KxImageLimits& limits, KxDib& dib,
                   bool& alphaSeen);

// A BMP file: "BM", the file header, then a DIB.
bool DecodeBmp(KxImageReader& reader, const KxImageLimits& limits, KxDib& dib, PictureInfo& info);
