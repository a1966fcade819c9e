#include "image/codec/PictureInfo.h"

void PictureInfo::ResetDecoded() {
  width = 0;
  height = 0;
  bitsPerPixel = 0;
  type = kImageNone;
  transparentIndex = -1;
  transparentColor = KxRgb(0, 0, 0, 0);
  alphaChannel = false;
  frameCount = 0;
  frameDelay = 0;
  disposal = 0;
  comment[0] = 0;
  xResolution = kDefaultResolution;
  yResolution = kDefaultResolution;
  exif = KxExifInfo();
}

void PictureInfo::SetComment(const uint8_t* text, size_t length) {
  size_t n = 0;
  if (text) {
    while (n < length && n < static_cast<size_t>(kMaxComment) && text[n] != 0) {
      comment[n] = static_cast<char>(text[n]);
      n++;
    }
  }
  comment[n] = 0;
}
