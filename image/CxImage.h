#pragma once
// A picture: its pixel data (a DIB with palette) and its information record, loaded
// from BMP, JPEG, ICO, GIF or PNG bytes and drawn stretched into a device context.
// The decoders themselves (image/codec) know nothing of windows; this class joins them
// to KxStream and GDI.

#include <windows.h>

#include <memory>

#include "image/codec/GifDecoder.h"
#include "image/codec/KxDib.h"
#include "image/codec/PictureInfo.h"
#include "kx/base/KxString.h"

class KxImageReader;
class KxStream;

class CxImage {
public:
  CxImage();
  CxImage(const CxImage&) = delete;
  CxImage& operator=(const CxImage&) = delete;
  virtual ~CxImage();

  // Tries the decoders in the order BMP, JPEG, ICO, GIF, PNG, each from the stream's
  // start; the first that accepts the data wins. On failure the picture held before
  // stays as it was.
  bool LoadFromStream(KxStream& stream);
  // The bytes are read in place (a KxMemFile with grow step 2048).
  bool LoadFromBytes(const void* bytes, long long length);
  bool LoadFromFile(const KxString& path);

  // Draws the whole picture stretched over (x, y, width, height); a negative width or
  // height is the picture's own. With a transparent colour the pixels of that colour
  // leave the device context as it was; a picture with an alpha channel is blended over
  // what the device context shows, which must map one unit to one pixel (MM_TEXT, no world
  // transform), as every canvas of the toolkit does. False when nothing can be drawn.
  bool StretchDraw(HDC dc, int x, int y, int width, int height) const;
  // The pixels as a bitmap of dc's format, owned by the caller; alpha and the transparent
  // colour are not kept. NULL without pixels.
  HBITMAP MakeBitmap(HDC dc) const;

  bool HasPixels() const { return !dib.IsEmpty(); }
  int Width() const { return info.width; }
  int Height() const { return info.height; }
  int Type() const { return info.type; }
  int FrameCount() const { return info.frameCount; }
  int FrameDelay() const { return info.frameDelay; }
  int FrameIndex() const { return info.frameIndex; }
  // The frame the next load decodes.
  void SetFrameIndex(int index) { info.frameIndex = index; }
  bool IsEnabled() const { return info.enabled; }
  void SetEnabled(bool enabled) { info.enabled = enabled; }

  // Pixels of this colour become see-through. For an 8-bit picture the colour must be
  // one of its palette entries (false otherwise).
  bool SetTransparentColor(COLORREF colour);
  void ClearTransparency() { info.transparentIndex = -1; }

  const PictureInfo& Info() const { return info; }
  const KxDib& Pixels() const { return dib; }
  // Frees the pixel data and the information a decode gave; the settings stay.
  void Clear();

protected:
  KxDib dib;
  PictureInfo info;
  // The canvas of the last GIF frame decoded, for the next one of the same file.
  std::unique_ptr<KxGifCache> gifCache;

private:
  template <class Decoder>
  bool TryDecoder(KxImageReader& reader);
  void TakeFrom(CxImage& decoded);
};
