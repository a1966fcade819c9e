#pragma once
// The bounds the fuzz targets decode under: the program's own, with smaller pictures so
// that each input takes milliseconds. The checks are the same code either way.

#include "image/codec/KxImageTypes.h"

inline KxImageLimits FuzzLimits() {
  KxImageLimits limits;
  limits.maxPixels = 1LL << 18;
  limits.maxGifWork = 1LL << 23;
  limits.maxJpegMemory = 64LL << 20;
  limits.maxJpegScans = 100;
  return limits;
}
