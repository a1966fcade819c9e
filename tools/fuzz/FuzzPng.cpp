// libFuzzer target: PNG files through libpng. Before decoding, every chunk's checksum is
// made right again: a mutated byte would otherwise only ever reach the checksum test.

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include <zlib.h>

#include "image/codec/PngDecoder.h"
#include "tools/fuzz/FuzzLimits.h"

namespace {

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void FixChecksums(std::vector<uint8_t>& png) {
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = Be32(&png[at]);
    if (length > png.size() - at - 12) return;
    const uLong crc = crc32(0, &png[at + 4], length + 4);
    for (int i = 0; i < 4; i++) png[at + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    at += 12 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> png(data, data + size);
  FixChecksums(png);
  KxByteReader reader(png.data(), png.size());
  KxDib dib;
  PictureInfo info;
  DecodePng(reader, FuzzLimits(), dib, info);
  return 0;
}
