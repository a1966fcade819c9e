// libFuzzer target: GIF files. Frames are decoded one after the other through the
// cache, as an animation does, and the last one again from scratch: both must agree.

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "image/codec/GifDecoder.h"
#include "tools/fuzz/FuzzLimits.h"

namespace {

const int kMaxFrames = 6;

bool Decode(const uint8_t* data, size_t size, int index, KxGifCache* cache, KxDib& dib, PictureInfo& info) {
  KxByteReader reader(data, size);
  info.frameIndex = index;
  return DecodeGif(reader, FuzzLimits(), cache, dib, info);
}

bool SamePixels(const KxDib& a, const KxDib& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); y++)
    for (int x = 0; x < a.Width(); x++) {
      KxRgbQuad p = a.PixelAt(x, y), q = b.PixelAt(x, y);
      if (p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen || p.rgbBlue != q.rgbBlue) return false;
    }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KxGifCache cache;
  KxDib dib;
  PictureInfo info;
  if (!Decode(data, size, 0, &cache, dib, info)) return 0;
  const int frames = info.frameCount < kMaxFrames ? info.frameCount : kMaxFrames;
  int last = 0;
  for (int i = 1; i < frames; i++) {
    if (!Decode(data, size, i, &cache, dib, info)) return 0;
    last = i;
  }
  KxDib fresh;
  PictureInfo freshInfo;
  if (!Decode(data, size, last, nullptr, fresh, freshInfo)) __builtin_trap();
  if (!SamePixels(dib, fresh) || info.transparentIndex != freshInfo.transparentIndex) __builtin_trap();
  return 0;
}
