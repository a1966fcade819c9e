#include "image/KxImageDecoders.h"

#include <new>

#include "image/codec/BmpDecoder.h"
#include "image/codec/GifDecoder.h"
#include "image/codec/IcoDecoder.h"
#include "image/codec/JpgDecoder.h"
#include "image/codec/PngDecoder.h"

const KxImageLimits& ImageLimits() {
  static const KxImageLimits limits;
  return limits;
}

bool KxImageBmp::Decode(KxImageReader& reader) { return DecodeBmp(reader, ImageLimits(), dib, info); }

bool KxImageJpg::Decode(KxImageReader& reader) { return DecodeJpg(reader, ImageLimits(), dib, info); }

bool KxImageIco::Decode(KxImageReader& reader) { return DecodeIco(reader, ImageLimits(), dib, info); }

bool KxImageGif::Decode(KxImageReader& reader) {
  if (!gifCache) gifCache.reset(new (std::nothrow) KxGifCache());
  // Without memory for a cache the frame is still decoded, from the first one.
  return DecodeGif(reader, ImageLimits(), gifCache.get(), dib, info);
}

bool KxImagePng::Decode(KxImageReader& reader) { return DecodePng(reader, ImageLimits(), dib, info); }
