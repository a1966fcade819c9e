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

void PictureInfo::TakeResolution(int xPelsPerMeter, int yPelsPerMeter, KxDib& pixels) {
  if (xPelsPerMeter > 0 && yPelsPerMeter > 0) {
    xResolution = xPelsPerMeter;
    yResolution = yPelsPerMeter;
  }
  pixels.SetResolution(xResolution, yResolution);
}

void HandOverDecoded(int type, int frameCount, KxDib& pixels, PictureInfo& result, KxDib& dib,
                     PictureInfo& info) {
  result.type = type;
  result.width = pixels.Width();
  result.height = pixels.Height();
  result.bitsPerPixel = pixels.BitCount();
  result.frameCount = frameCount;
  dib = static_cast<KxDib&&>(pixels);
  info = result;
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
