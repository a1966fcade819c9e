#include "image/CxImage.h"

#include <string.h>

#include <utility>
#include <vector>

#include "image/KxImageDecoders.h"
#include "image/KxStreamReader.h"
#include "kx/base/KxHandles.h"
#include "kx/base/KxStream.h"
#include "kx/base/KxWinHelpers.h"

static_assert(sizeof(KxBitmapInfoHeader) == sizeof(BITMAPINFOHEADER), "header layout");
static_assert(sizeof(KxRgbQuad) == sizeof(RGBQUAD), "palette entry layout");

namespace {

// BITMAPINFO with room for the whole palette.
struct DibInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[KxDib::kPaletteSize];
};

void MakeDibInfo(const KxDib& dib, DibInfo& out) {
  memcpy(&out.header, &dib.Header(), sizeof(out.header));
  memcpy(out.colours, dib.Palette(), sizeof(out.colours));
}

COLORREF ToColorRef(const KxRgbQuad& q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }

// (s * a + d * (255 - a)) / 255, rounded.
inline uint8_t Mix(unsigned s, unsigned d, unsigned a) {
  const unsigned t = s * a + d * (255 - a) + 128;
  return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

// Source row or column of destination pixel i of count, for a stretch of size source
// pixels over count: the one under the destination pixel's centre. GDI's own stretches
// may pick the neighbour at a ratio that is not a whole number.
inline int SourceIndex(long long i, long long count, long long size) {
  return static_cast<int>((2 * i + 1) * size / (2 * count));
}

// Blends the 32-bit picture stretched over target onto what dc shows there, each pixel
// by its alpha; pixels of the colour key (when given) leave dc as it was. Only the part
// inside dc's clip box is read, blended and written back, so the work is that of the
// pixels shown, whatever the picture's own size.
bool BlendOver(HDC dc, const RECT& target, const KxDib& dib, const KxRgbQuad* key) {
  // The pixels are read and written one for one: a scaling or turning of the coordinates
  // would blend at the wrong place.
  if (GetMapMode(dc) != MM_TEXT || GetGraphicsMode(dc) != GM_COMPATIBLE) return false;
  RECT clip;
  const int region = GetClipBox(dc, &clip);
  if (region == ERROR) return false;
  RECT part;
  if (region == NULLREGION || !IntersectRect(&part, &target, &clip)) return true;
  const int partWidth = part.right - part.left;
  const int partHeight = part.bottom - part.top;

  BITMAPINFO layout = KxTopDownDib32(partWidth, partHeight);
  void* bits = NULL;
  KxMemoryDc shown(dc, CreateDIBSection(dc, &layout, DIB_RGB_COLORS, &bits, NULL, 0));
  if (!shown.Ready() || !bits) return false;
  if (!BitBlt(shown.Dc(), 0, 0, partWidth, partHeight, dc, part.left, part.top, SRCCOPY)) return false;
  GdiFlush();

  const long long targetWidth = target.right - target.left;
  const long long targetHeight = target.bottom - target.top;
  std::vector<int> columns(static_cast<size_t>(partWidth));
  for (int i = 0; i < partWidth; i++) {
    columns[static_cast<size_t>(i)] = SourceIndex(part.left - target.left + i, targetWidth, dib.Width()) * 4;
  }
  uint8_t* out = static_cast<uint8_t*>(bits);
  for (int j = 0; j < partHeight; j++) {
    const uint8_t* source = dib.Row(SourceIndex(part.top - target.top + j, targetHeight, dib.Height()));
    uint8_t* row = out + static_cast<size_t>(j) * static_cast<size_t>(partWidth) * 4;
    for (int i = 0; i < partWidth; i++) {
      const uint8_t* s = source + columns[static_cast<size_t>(i)];
      const unsigned alpha = s[3];
      if (alpha == 0) continue;
      if (key && s[0] == key->rgbBlue && s[1] == key->rgbGreen && s[2] == key->rgbRed) continue;
      uint8_t* d = row + static_cast<size_t>(i) * 4;
      if (alpha == 255) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
      } else {
        d[0] = Mix(s[0], d[0], alpha);
        d[1] = Mix(s[1], d[1], alpha);
        d[2] = Mix(s[2], d[2], alpha);
      }
    }
  }
  GdiFlush();
  return BitBlt(dc, part.left, part.top, partWidth, partHeight, shown.Dc(), 0, 0, SRCCOPY) != FALSE;
}

}  // namespace

CxImage::CxImage() = default;

CxImage::~CxImage() = default;

void CxImage::Clear() {
  dib.Reset();
  info.ResetDecoded();
  gifCache.reset();
}

void CxImage::TakeFrom(CxImage& decoded) {
  dib = std::move(decoded.dib);
  info = decoded.info;
  // Only a GIF continues from its cache; any other picture has no use for it.
  if (info.type == kImageGif) {
    gifCache = std::move(decoded.gifCache);
  } else {
    gifCache.reset();
  }
  decoded.info = PictureInfo();
}

template <class Decoder>
bool CxImage::TryDecoder(KxImageReader& reader) {
  if (!reader.Seek(0)) return false;
  Decoder decoder;
  CxImage& picture = decoder;
  picture.info = info;
  picture.gifCache = std::move(gifCache);
  if (!decoder.Decode(reader)) {
    gifCache = std::move(picture.gifCache);
    return false;
  }
  TakeFrom(picture);
  return true;
}

bool CxImage::LoadFromStream(KxStream& stream) {
  KxStreamReader reader(stream);
  if (reader.Size() == 0) return false;
  return TryDecoder<KxImageBmp>(reader) || TryDecoder<KxImageJpg>(reader) ||
         TryDecoder<KxImageIco>(reader) || TryDecoder<KxImageGif>(reader) ||
         TryDecoder<KxImagePng>(reader);
}

bool CxImage::LoadFromBytes(const void* bytes, long long length) {
  if (!bytes || length <= 0) return false;
  KxMemFile memory(bytes, length, 2048);
  return LoadFromStream(memory);
}

bool CxImage::LoadFromFile(const KxString& path) {
  KxIoFile file;
  if (!file.OpenForRead(path)) return false;
  bool ok = LoadFromStream(file);
  file.Close();
  return ok;
}

bool CxImage::SetTransparentColor(COLORREF colour) {
  if (dib.IsEmpty()) return false;
  const KxRgbQuad wanted = KxRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour), 0);
  if (dib.BitCount() >= 24) {
    info.transparentIndex = 0;
    info.transparentColor = wanted;
    return true;
  }
  const KxRgbQuad* palette = dib.Palette();
  for (int i = 0; i < KxDib::kPaletteSize; i++) {
    if (palette[i].rgbRed == wanted.rgbRed && palette[i].rgbGreen == wanted.rgbGreen &&
        palette[i].rgbBlue == wanted.rgbBlue) {
      info.transparentIndex = i;
      info.transparentColor = wanted;
      return true;
    }
  }
  return false;
}

HBITMAP CxImage::MakeBitmap(HDC dc) const {
  if (dib.IsEmpty() || !dc) return NULL;
  DibInfo bmi;
  MakeDibInfo(dib, bmi);
  return CreateDIBitmap(dc, &bmi.header, CBM_INIT, dib.Bits(), reinterpret_cast<const BITMAPINFO*>(&bmi),
                        DIB_RGB_COLORS);
}

bool CxImage::StretchDraw(HDC dc, int x, int y, int width, int height) const {
  if (dib.IsEmpty() || !dc || width == 0 || height == 0 || !info.enabled) return false;
  const int w = dib.Width();
  const int h = dib.Height();
  if (width < 0) width = w;
  if (height < 0) height = h;
  DibInfo bmi;
  MakeDibInfo(dib, bmi);
  const BITMAPINFO* header = reinterpret_cast<const BITMAPINFO*>(&bmi);
  const bool paletted = dib.BitCount() < 24;
  const int index = info.transparentIndex;
  if (info.alphaChannel && dib.BitCount() == 32) {
    const RECT target = {x, y, x + width, y + height};
    return BlendOver(dc, target, dib, index >= 0 ? &info.transparentColor : nullptr);
  }

  if (index < 0 || (paletted && index >= KxDib::kPaletteSize)) {
    SetStretchBltMode(dc, COLORONCOLOR);
    // The result is the number of rows drawn, 0 or GDI_ERROR on failure.
    const int rows = StretchDIBits(dc, x, y, width, height, 0, 0, w, h, dib.Bits(), header, DIB_RGB_COLORS,
                                   SRCCOPY);
    return rows > 0;
  }

  RECT target = {x, y, x + width, y + height};
  if (!RectVisible(dc, &target)) return true;

  // The picture at its own size, then a mask with 1 where it has the transparent colour.
  KxMemoryDc colour(dc, CreateCompatibleBitmap(dc, w, h));
  KxMemoryDc mask(dc, CreateBitmap(w, h, 1, 1, NULL));
  if (!colour.Ready() || !mask.Ready()) return false;
  SetStretchBltMode(colour.Dc(), COLORONCOLOR);
  StretchDIBits(colour.Dc(), 0, 0, w, h, 0, 0, w, h, dib.Bits(), header, DIB_RGB_COLORS, SRCCOPY);
  const KxRgbQuad key = paletted ? dib.Palette()[index] : info.transparentColor;
  SetBkColor(colour.Dc(), ToColorRef(key));
  BitBlt(mask.Dc(), 0, 0, w, h, colour.Dc(), 0, 0, SRCCOPY);

  // D xor C, cleared where opaque by the mask, xor C again: D stays where the mask is 1
  // and becomes C elsewhere. The mask's 1 bits become white through D's background.
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, x, y, width, height, colour.Dc(), 0, 0, w, h, SRCINVERT);
  StretchBlt(dc, x, y, width, height, mask.Dc(), 0, 0, w, h, SRCAND);
  StretchBlt(dc, x, y, width, height, colour.Dc(), 0, 0, w, h, SRCINVERT);
  SetStretchBltMode(dc, oldMode);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  return true;
}
