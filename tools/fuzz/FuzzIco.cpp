// libFuzzer target: ICO and CUR files, the first entry and the last.

#include <stddef.h>
#include <stdint.h>

#include "image/codec/IcoDecoder.h"
#include "tools/fuzz/FuzzLimits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KxByteReader reader(data, size);
  KxDib dib;
  PictureInfo info;
  if (!DecodeIco(reader, FuzzLimits(), dib, info)) return 0;
  if (info.frameCount > 1) {
    info.frameIndex = info.frameCount - 1;
    DecodeIco(reader, FuzzLimits(), dib, info);
  }
  return 0;
}
