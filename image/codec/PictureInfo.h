#pragma once
// The information record of a picture: what a decode found, and the settings a caller
// chooses before one (the frame to decode, quality, alpha, enabled).

#include <stddef.h>
#include <stdint.h>

#include "image/codec/ExifReader.h"
#include "image/codec/KxDib.h"
#include "image/codec/KxImageTypes.h"

struct PictureInfo {
  static constexpr int kDefaultResolution = 3780;  // 96 dots per inch in pixels per metre
  static constexpr int kMaxComment = 255;

  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int type = kImageNone;
  // -1: no transparency. In a picture of 8 bits per pixel the palette entry of this
  // index is the transparent colour; at 24 or 32 bits any other value only says that
  // transparentColor is in force.
  int transparentIndex = -1;
  KxRgbQuad transparentColor = {0, 0, 0, 0};
  // A 32-bit picture with pixels whose alpha is below 255: drawing blends each pixel over
  // what lies behind it by its alpha instead of copying it.
  bool alphaChannel = false;
  int frameIndex = 0;
  int frameCount = 0;
  int frameDelay = 0;  // hundredths of a second, as the GIF file gives it
  int disposal = 0;    // GIF disposal method of the decoded frame
  char comment[kMaxComment + 1] = {};
  int jpegQuality = 90;
  int xResolution = kDefaultResolution;
  int yResolution = kDefaultResolution;
  int alpha = 255;
  bool enabled = true;
  KxExifInfo exif;

  // Forgets what an earlier decode reported and keeps the caller's settings, so that a
  // decode reports only what its own file says.
  void ResetDecoded();
  // Keeps at most kMaxComment bytes; a zero byte ends the text early.
  void SetComment(const uint8_t* text, size_t length);
  // The resolution a file gives, in pixels per metre, for the record and the pixels; a
  // file that gives none (0) leaves the record's.
  void TakeResolution(int xPelsPerMeter, int yPelsPerMeter, KxDib& pixels);
};

// The end of every decode that succeeds: result takes the type, size and bit count of
// pixels and the frame count, then pixels move to the caller's dib and result to info.
void HandOverDecoded(int type, int frameCount, KxDib& pixels, PictureInfo& result, KxDib& dib,
                     PictureInfo& info);
