// libFuzzer target: BMP files.

#include <stddef.h>
#include <stdint.h>

#include "image/codec/BmpDecoder.h"
#include "tools/fuzz/FuzzLimits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KxByteReader reader(data, size);
  KxDib dib;
  PictureInfo info;
  if (DecodeBmp(reader, FuzzLimits(), dib, info) && (dib.Width() != info.width || dib.Height() != info.height)) {
    __builtin_trap();
  }
  return 0;
}
