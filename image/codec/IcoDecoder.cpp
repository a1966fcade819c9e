#include "image/codec/IcoDecoder.h"

#include <string.h>

#include "image/codec/BmpDecoder.h"
#include "image/codec/PngDecoder.h"

namespace {

const size_t kHeaderSize = 6;
const size_t kEntrySize = 16;
const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The colour rows and the AND mask of a DIB entry, as a 32-bit picture whose clear
// pixels carry alpha 0.
bool DecodeEntryDib(KxImageReader& entry, const KxImageLimits& limits, KxDib& dib) {
  KxDibFormat format;
  if (!ReadDibFormat(entry, 0, 0, format)) return false;
  // The stored height counts the colour rows and the mask rows.
  if (format.topDown || format.height < 2) return false;
  format.height /= 2;
  KxDibReadOptions options;
  options.direct32 = true;
  options.reservedIsAlpha = format.bitCount == 32;
  bool alphaSeen = false;
  if (!ReadDibPixels(entry, format.paletteEnd, format, options, limits, dib, alphaSeen)) {
    return false;
  }
  const int w = format.width;
  const int h = format.height;
  if (alphaSeen) return true;

  // Without alpha of its own the entry is opaque except where the mask says clear; an
  // entry cut short before its mask is opaque throughout.
  for (int y = 0; y < h; y++) {
    uint8_t* p = dib.Row(y);
    for (int x = 0; x < w; x++) p[x * 4 + 3] = 255;
  }
  const size_t colourStride = DibStride(static_cast<uint32_t>(w), static_cast<uint32_t>(format.bitCount));
  const size_t maskStride = DibStride(static_cast<uint32_t>(w), 1);
  const uint64_t maskAt = format.paletteEnd + static_cast<uint64_t>(colourStride) * h;
  const uint64_t size = entry.Size();
  if (maskAt > size || static_cast<uint64_t>(maskStride) * h > size - maskAt) return true;
  KxBuffer row;
  if (!row.Allocate(maskStride) || !entry.Seek(maskAt)) return false;
  for (int r = 0; r < h; r++) {
    if (!ReadExact(entry, row.Data(), maskStride)) return false;
    uint8_t* p = dib.Row(h - 1 - r);
    for (int x = 0; x < w; x++) {
      if ((row.Data()[x >> 3] >> (7 - (x & 7))) & 1) p[x * 4 + 3] = 0;
    }
  }
  return true;
}

}  // namespace

bool DecodeIco(KxImageReader& reader, const KxImageLimits& limits, KxDib& dib, PictureInfo& info) {
  uint8_t header[kHeaderSize];
  if (!reader.Seek(0) || !ReadExact(reader, header, sizeof(header))) return false;
  const uint16_t kind = Le16(header + 2);
  const uint16_t count = Le16(header + 4);
  if (Le16(header) != 0 || (kind != 1 && kind != 2) || count == 0) return false;
  const uint64_t size = reader.Size();
  if (kHeaderSize + kEntrySize * count > size) return false;
  if (info.frameIndex < 0 || info.frameIndex >= count) return false;

  uint8_t entry[kEntrySize];
  if (!reader.Seek(kHeaderSize + kEntrySize * static_cast<size_t>(info.frameIndex)) ||
      !ReadExact(reader, entry, sizeof(entry))) {
    return false;
  }
  const uint32_t length = Le32(entry + 8);
  const uint32_t offset = Le32(entry + 12);
  if (offset < kHeaderSize + kEntrySize * count || offset >= size || length < 8) return false;
  KxWindowReader image(reader, offset, length);

  uint8_t signature[8];
  if (!ReadExact(image, signature, sizeof(signature))) return false;
  KxDib pixels;
  PictureInfo result = info;
  if (memcmp(signature, kPngSignature, sizeof(signature)) == 0) {
    if (!DecodePng(image, limits, pixels, result)) return false;
  } else {
    result.ResetDecoded();
    if (!DecodeEntryDib(image, limits, pixels)) return false;
    result.alphaChannel = pixels.HasTransparentPixels();
  }
  HandOverDecoded(kImageIco, count, pixels, result, dib, info);
  return true;
}
