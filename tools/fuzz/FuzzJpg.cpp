// libFuzzer target: JPEG files through libjpeg, and the same bytes as an Exif block.

#include <stddef.h>
#include <stdint.h>

#include "image/codec/ExifReader.h"
#include "image/codec/JpgDecoder.h"
#include "tools/fuzz/FuzzLimits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KxByteReader reader(data, size);
  KxDib dib;
  PictureInfo info;
  DecodeJpg(reader, FuzzLimits(), dib, info);
  KxExifInfo exif;
  ParseExif(data, size, exif);
  return 0;
}
