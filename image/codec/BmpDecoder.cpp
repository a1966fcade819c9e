#include "image/codec/BmpDecoder.h"

#include <string.h>

namespace {

const uint32_t kPlain = 0;
const uint32_t kRle8 = 1;
const uint32_t kRle4 = 2;
const uint32_t kBitFields = 3;
const uint32_t kAlphaBitFields = 6;

const uint32_t kCoreHeader = 12;
const uint32_t kInfoHeader = 40;
const uint32_t kLargestHeader = 124;

struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (!mask) return;
    while (!((mask >> shift) & 1)) shift++;
    max = mask >> shift;
  }
  uint8_t Scale(uint32_t value, uint8_t absent) const {
    if (!mask) return absent;
    uint32_t v = (value & mask) >> shift;
    return static_cast<uint8_t>((static_cast<uint64_t>(v) * 255 + max / 2) / max);
  }
};

bool IsWindowsHeader(uint32_t size) {
  return size == kInfoHeader || size == 52 || size == 56 || size == 108 || size == kLargestHeader;
}

bool DepthFits(int bitCount, uint32_t compression) {
  switch (compression) {
    case kPlain: return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                        bitCount == 24 || bitCount == 32;
    case kRle8: return bitCount == 8;
    case kRle4: return bitCount == 4;
    case kBitFields:
    case kAlphaBitFields: return bitCount == 16 || bitCount == 32;
    default: return false;
  }
}

// The rows of an RLE8 or RLE4 DIB. Runs and absolute stretches are cut at the row's
// end; the data ending without an end-of-bitmap mark ends the picture there.
void DecodeRle(const uint8_t* data, size_t size, bool rle4, bool topDown, KxDib& dib) {
  const int w = dib.Width();
  const int h = dib.Height();
  int x = 0;
  int fileRow = 0;
  size_t at = 0;
  auto put = [&](uint8_t index) {
    if (x < w) dib.Row(topDown ? fileRow : h - 1 - fileRow)[x] = index;
    if (x < w) x++;
  };
  while (fileRow < h && at + 2 <= size) {
    uint8_t count = data[at];
    uint8_t value = data[at + 1];
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count && x < w; i++) {
        put(rle4 ? static_cast<uint8_t>((i & 1) ? value & 15 : value >> 4) : value);
      }
      continue;
    }
    if (value == 0) {
      x = 0;
      fileRow++;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (at + 2 > size) return;
      int dx = data[at];
      int dy = data[at + 1];
      at += 2;
      x = x + dx < w ? x + dx : w;
      fileRow += dy;
    } else {
      size_t bytes = rle4 ? (value + 1u) / 2 : value;
      size_t padded = (bytes + 1) & ~static_cast<size_t>(1);
      if (bytes > size - at) return;
      for (int i = 0; i < value && x < w; i++) {
        uint8_t b = data[at + (rle4 ? static_cast<size_t>(i) / 2 : static_cast<size_t>(i))];
        put(rle4 ? static_cast<uint8_t>((i & 1) ? b & 15 : b >> 4) : b);
      }
      at += padded < size - at ? padded : size - at;
    }
  }
}

// One stored row into row y of out.
void DecodeRow(const uint8_t* src, const KxDibFormat& f, const KxDibReadOptions& options,
               const Channel* channels, bool alphaChannel, uint8_t* out, int outBits,
               bool& alphaSeen) {
  const int w = f.width;
  if (f.bitCount <= 8) {
    const int perByte = 8 / f.bitCount;
    const uint8_t mask = static_cast<uint8_t>((1 << f.bitCount) - 1);
    for (int x = 0; x < w; x++) {
      int shift = (perByte - 1 - x % perByte) * f.bitCount;
      uint8_t index = static_cast<uint8_t>((src[x / perByte] >> shift) & mask);
      if (outBits == 8) {
        out[x] = index;
      } else {
        KxRgbQuad c = f.palette[index];
        uint8_t* p = out + x * 4;
        p[0] = c.rgbBlue;
        p[1] = c.rgbGreen;
        p[2] = c.rgbRed;
        p[3] = 255;
      }
    }
    return;
  }
  const int step = outBits / 8;
  for (int x = 0; x < w; x++) {
    uint8_t b, g, r, a = 255;
    if (f.bitCount == 24) {
      const uint8_t* p = src + x * 3;
      b = p[0];
      g = p[1];
      r = p[2];
    } else if (f.bitCount == 32 && f.compression == kPlain) {
      const uint8_t* p = src + x * 4;
      b = p[0];
      g = p[1];
      r = p[2];
      if (options.reservedIsAlpha) {
        a = p[3];
      } else if (f.masks[3]) {
        a = channels[3].Scale(Le32(p), 255);
      }
    } else {
      uint32_t v = f.bitCount == 16 ? Le16(src + x * 2) : Le32(src + x * 4);
      r = channels[0].Scale(v, 0);
      g = channels[1].Scale(v, 0);
      b = channels[2].Scale(v, 0);
      a = channels[3].Scale(v, 255);
    }
    if (alphaChannel && a != 0) alphaSeen = true;
    uint8_t* p = out + x * step;
    p[0] = b;
    p[1] = g;
    p[2] = r;
    if (step == 4) p[3] = a;
  }
}

}  // namespace

bool ReadDibFormat(KxImageReader& reader, uint64_t start, uint64_t pixelsAt, KxDibFormat& f) {
  f = KxDibFormat();
  uint8_t h[kLargestHeader] = {};
  if (!reader.Seek(start) || !ReadExact(reader, h, 4)) return false;
  const uint32_t size = Le32(h);
  const bool core = size == kCoreHeader;
  const bool windows = IsWindowsHeader(size);
  // OS/2 2.x headers may end after any of their 16- and 32-bit fields.
  const bool os2 = !windows && size >= 16 && size <= 64 && size % 2 == 0;
  if (!core && !windows && !os2) return false;
  if (!ReadExact(reader, h + 4, size - 4)) return false;

  int64_t width, height;
  uint32_t used = 0;
  if (core) {
    width = Le16(h + 4);
    height = Le16(h + 6);
    f.bitCount = Le16(h + 10);
  } else {
    width = static_cast<int32_t>(Le32(h + 4));
    height = static_cast<int32_t>(Le32(h + 8));
    f.bitCount = Le16(h + 14);
    if (size >= 20) f.compression = Le32(h + 16);
    if (size >= 32) {
      f.xPelsPerMeter = static_cast<int32_t>(Le32(h + 24));
      f.yPelsPerMeter = static_cast<int32_t>(Le32(h + 28));
    }
    if (size >= 36) used = Le32(h + 32);
  }
  // OS/2 2.x numbers Huffman 1D as 3 and RLE24 as 4; neither is read here.
  if (os2 && f.compression > kRle4) return false;
  if (!DepthFits(f.bitCount, f.compression)) return false;
  if (width <= 0 || height == 0 || width > 0x7FFFFFFF || height < -0x7FFFFFFF) return false;
  f.width = static_cast<int>(width);
  f.topDown = height < 0;
  f.height = static_cast<int>(height < 0 ? -height : height);

  uint64_t headerEnd = start + size;
  if (f.compression == kBitFields || f.compression == kAlphaBitFields) {
    const int count = f.compression == kAlphaBitFields ? 4 : 3;
    if (size >= 52) {
      for (int i = 0; i < 3; i++) f.masks[i] = Le32(h + 40 + i * 4);
      if (size >= 56) f.masks[3] = Le32(h + 52);
    } else {
      uint8_t m[16];
      if (!ReadExact(reader, m, static_cast<size_t>(count) * 4)) return false;
      for (int i = 0; i < count; i++) f.masks[i] = Le32(m + i * 4);
      headerEnd += static_cast<uint64_t>(count) * 4;
    }
  } else if (f.bitCount == 16) {
    f.masks[0] = 0x7C00;
    f.masks[1] = 0x03E0;
    f.masks[2] = 0x001F;
  } else if (f.bitCount == 32) {
    f.masks[0] = 0xFF0000;
    f.masks[1] = 0x00FF00;
    f.masks[2] = 0x0000FF;
    // The colour masks of a V4 or V5 header hold only for bit fields; its alpha mask says
    // where plain pixels keep their alpha.
    if (size >= 56) f.masks[3] = Le32(h + 52);
  }
  if (pixelsAt != 0 && pixelsAt < headerEnd) return false;

  const uint32_t entrySize = core ? 3 : 4;
  if (f.bitCount > 8) {
    // A palette beside direct colours is only a display hint; the rows follow it.
    f.paletteEnd = headerEnd + static_cast<uint64_t>(used) * entrySize;
    return true;
  }
  const uint32_t maxEntries = 1u << f.bitCount;
  uint64_t stored = core || used == 0 ? maxEntries : used;
  if (pixelsAt != 0) {
    uint64_t room = (pixelsAt - headerEnd) / entrySize;
    if (stored > room) stored = room;
  } else if (stored > KxDib::kPaletteSize) {
    return false;
  }
  const uint32_t readable = static_cast<uint32_t>(stored < maxEntries ? stored : maxEntries);
  uint8_t raw[KxDib::kPaletteSize * 4];
  if (!reader.Seek(headerEnd) || !ReadExact(reader, raw, readable * entrySize)) return false;
  for (uint32_t i = 0; i < readable; i++) {
    const uint8_t* p = raw + i * entrySize;
    f.palette[i] = KxRgb(p[2], p[1], p[0], 0);
  }
  f.paletteCount = static_cast<int>(readable);
  f.paletteEnd = headerEnd + stored * entrySize;
  return true;
}

bool ReadDibPixels(KxImageReader& reader, uint64_t pixelsAt, const KxDibFormat& f,
                   const KxDibReadOptions& options, const KxImageLimits& limits, KxDib& dib,
                   bool& alphaSeen) {
  alphaSeen = false;
  dib.Reset();
  const uint64_t total = reader.Size();
  if (pixelsAt > total) return false;
  if (f.width > limits.maxSide || f.height > limits.maxSide ||
      static_cast<long long>(f.width) * f.height > limits.maxPixels) {
    return false;
  }

  if (f.compression == kRle8 || f.compression == kRle4) {
    if (options.direct32) return false;
    uint64_t length = total - pixelsAt;
    if (length < 2 || length > static_cast<uint64_t>(limits.maxFileBytes)) return false;
    KxBuffer data;
    if (!data.Allocate(static_cast<size_t>(length)) || !reader.Seek(pixelsAt) ||
        !ReadExact(reader, data.Data(), data.Size())) {
      return false;
    }
    if (!dib.Create(f.width, f.height, 8, limits)) return false;
    memcpy(dib.Palette(), f.palette, sizeof(f.palette));
    DecodeRle(data.Data(), data.Size(), f.compression == kRle4, f.topDown, dib);
    return true;
  }

  const size_t stride = DibStride(static_cast<uint32_t>(f.width), static_cast<uint32_t>(f.bitCount));
  if (stride == 0) return false;
  const uint64_t need = static_cast<uint64_t>(stride) * static_cast<uint64_t>(f.height);
  if (need > total - pixelsAt) return false;

  const bool alphaChannel = (f.bitCount == 32 && f.compression == kPlain && options.reservedIsAlpha) ||
                            f.masks[3] != 0;
  int outBits = 24;
  if (options.direct32 || alphaChannel) {
    outBits = 32;
  } else if (f.bitCount <= 8) {
    outBits = 8;
  }
  KxBuffer row;
  if (!row.Allocate(stride) || !dib.Create(f.width, f.height, outBits, limits) ||
      !reader.Seek(pixelsAt)) {
    dib.Reset();
    return false;
  }
  if (outBits == 8) memcpy(dib.Palette(), f.palette, sizeof(f.palette));
  const Channel channels[4] = {Channel(f.masks[0]), Channel(f.masks[1]), Channel(f.masks[2]),
                               Channel(f.masks[3])};
  for (int r = 0; r < f.height; r++) {
    if (!ReadExact(reader, row.Data(), stride)) {
      dib.Reset();
      return false;
    }
    uint8_t* out = dib.Row(f.topDown ? r : f.height - 1 - r);
    DecodeRow(row.Data(), f, options, channels, alphaChannel, out, outBits, alphaSeen);
  }
  return true;
}

bool DecodeBmp(KxImageReader& reader, const KxImageLimits& limits, KxDib& dib, PictureInfo& info) {
  uint8_t header[14];
  if (!reader.Seek(0) || !ReadExact(reader, header, sizeof(header))) return false;
  if (header[0] != 'B' || header[1] != 'M') return false;
  const uint32_t offBits = Le32(header + 10);
  KxDibFormat format;
  if (!ReadDibFormat(reader, sizeof(header), offBits, format)) return false;
  KxDib pixels;
  bool alphaSeen = false;
  const uint64_t pixelsAt = offBits != 0 ? offBits : format.paletteEnd;
  if (!ReadDibPixels(reader, pixelsAt, format, KxDibReadOptions(), limits, pixels, alphaSeen)) {
    return false;
  }
  PictureInfo result = info;
  result.ResetDecoded();
  if (pixels.BitCount() == 32) {
    // An alpha mask whose every pixel is 0 is a writer's habit, not a clear picture.
    if (!alphaSeen) {
      for (int y = 0; y < pixels.Height(); y++) {
        uint8_t* p = pixels.Row(y);
        for (int x = 0; x < pixels.Width(); x++) p[x * 4 + 3] = 255;
      }
    }
    result.alphaChannel = pixels.HasTransparentPixels();
  }
  result.TakeResolution(format.xPelsPerMeter, format.yPelsPerMeter, pixels);
  HandOverDecoded(kImageBmp, 1, pixels, result, dib, info);
  return true;
}
