#pragma once
// GIF87a and GIF89a files after the published GIF format: global and local colour
// tables, interlaced frames, the graphic control extension (transparency, delay,
// disposal), comments, application and plain-text extensions.
//
// Frame n is composed over the frames before it on a canvas of the logical screen. The
// canvas is true colour, so frames with different colour tables keep their own colours.
// The background that disposal method 2 restores (and that the canvas starts with) is
// see-through when any frame of the file uses transparency, and otherwise the logical
// screen's background colour.
//
// A decode leaves the canvas of its frame in a KxGifCache; the next decode of the same
// bytes for a later frame continues from there, so that an animation shown frame after
// frame costs the same per frame however long the file is.

#include <stdint.h>

#include "image/codec/KxBuffer.h"
#include "image/codec/KxDib.h"
#include "image/codec/KxImageReader.h"
#include "image/codec/PictureInfo.h"

class KxGifCache {
public:
  KxGifCache() = default;
  KxGifCache(const KxGifCache&) = delete;
  KxGifCache& operator=(const KxGifCache&) = delete;

  void Clear();
  // The frame whose canvas is held; -1 for none.
  int Frame() const { return frame; }

private:
  friend class KxGifComposer;
  friend bool DecodeGif(KxImageReader&, const KxImageLimits&, KxGifCache*, KxDib&, PictureInfo&);

  KxBuffer bytes;   // the file the canvas belongs to
  KxBuffer canvas;  // 0xAARRGGBB per pixel after frame `frame` was drawn
  KxBuffer saved;   // the rectangle of frame `frame` before it was drawn (disposal 3)
  int width = 0;
  int height = 0;
  int frame = -1;
};

// Decodes frame info.frameIndex. cache may be null; when given, it is used and refilled.
// The result is 8 bits with the frame's colour table where the composed colours fit in
// 256 entries, otherwise 24 bits; see-through pixels get a transparent palette entry or
// a key colour of their own.
bool DecodeGif(KxImageReader& reader, const KxImageLimits& limits, KxGifCache* cache, KxDib& dib,
               PictureInfo& info);
