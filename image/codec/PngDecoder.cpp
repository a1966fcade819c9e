#include "image/codec/PngDecoder.h"

#include <png.h>
#include <string.h>

#include "image/codec/KxColorKey.h"

namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
const png_alloc_size_t kMaxChunkBytes = 8u << 20;

// Owns the libpng structures and every buffer of one decode, so that a longjmp out of
// libpng skips nothing that needs freeing.
struct PngDecode {
  KxImageReader* reader = nullptr;
  const KxImageLimits* limits = nullptr;
  png_structp png = nullptr;
  png_infop pngInfo = nullptr;
  KxDib dib;
  KxBuffer rows;
  int transparentSlot = -1;
  int xResolution = 0;
  int yResolution = 0;

  ~PngDecode() {
    if (png) png_destroy_read_struct(&png, pngInfo ? &pngInfo : nullptr, nullptr);
  }
};

void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep data, png_size_t length) {
  PngDecode* d = static_cast<PngDecode*>(png_get_io_ptr(png));
  if (d->reader->Read(data, length) != length) png_error(png, "truncated");
}

// The palette picture keeps its indexes when at most one entry is see-through and that
// one fully; returns the entry (-1 for none) or -2 when the alpha must be expanded.
int SingleClearEntry(png_structp png, png_infop info) {
  png_bytep alpha = nullptr;
  int count = 0;
  if (!png_get_valid(png, info, PNG_INFO_tRNS) ||
      !png_get_tRNS(png, info, &alpha, &count, nullptr) || !alpha) {
    return -1;
  }
  int clear = -1;
  for (int i = 0; i < count; i++) {
    if (alpha[i] == 255) continue;
    if (alpha[i] != 0 || clear >= 0) return -2;
    clear = i;
  }
  return clear;
}

// Every libpng call of a decode. It holds nothing that needs a destructor: an error
// leaves it by longjmp to DecodeGuarded.
__attribute__((noinline)) bool DecodeBody(PngDecode& d) {
  png_structp png = d.png;
  png_infop info = d.pngInfo;
  png_set_read_fn(png, &d, OnRead);
  png_set_user_limits(png, static_cast<png_uint_32>(d.limits->maxSide),
                      static_cast<png_uint_32>(d.limits->maxSide));
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
#ifdef PNG_HANDLE_AS_UNKNOWN_SUPPORTED
  // Text, colour profiles and the like are never shown: they are not even read.
  static const png_byte kSkipped[] =
      "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0pCAL\0sCAL\0sBIT\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkipped,
                              static_cast<int>(sizeof(kSkipped) / 5));
#endif
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
  if (static_cast<long long>(width) * height > d.limits->maxPixels) return false;

  bool indexed = colourType == PNG_COLOR_TYPE_PALETTE;
  if (indexed) {
    d.transparentSlot = SingleClearEntry(png, info);
    if (d.transparentSlot == -2) {
      indexed = false;
      d.transparentSlot = -1;
    }
  }
  if (indexed) {
    if (depth < 8) png_set_packing(png);
  } else {
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  const int channels = png_get_channels(png, info);
  if (png_get_bit_depth(png, info) != 8) return false;
  if (indexed ? channels != 1 : channels != 3 && channels != 4) return false;
  const int bits = channels * 8;
  if (!d.dib.Create(static_cast<int>(width), static_cast<int>(height), bits, *d.limits)) return false;
  if (png_get_rowbytes(png, info) > d.dib.Stride()) return false;
  if (!d.rows.Allocate(sizeof(png_bytep) * height)) return false;
  png_bytepp rows = reinterpret_cast<png_bytepp>(d.rows.Data());
  for (png_uint_32 y = 0; y < height; y++) rows[y] = d.dib.Row(static_cast<int>(y));

  if (indexed) {
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &palette, &count) && palette) {
      KxRgbQuad* target = d.dib.Palette();
      for (int i = 0; i < count && i < KxDib::kPaletteSize; i++) {
        target[i] = KxRgb(palette[i].red, palette[i].green, palette[i].blue, 0);
      }
    }
  }
  png_uint_32 xRes = 0, yRes = 0;
  int unit = 0;
  if (png_get_pHYs(png, info, &xRes, &yRes, &unit) && unit == PNG_RESOLUTION_METER &&
      xRes > 0 && yRes > 0 && xRes < 0x7FFFFFFF && yRes < 0x7FFFFFFF) {
    d.xResolution = static_cast<int>(xRes);
    d.yResolution = static_cast<int>(yRes);
  }
  png_read_image(png, rows);
  return true;
}

bool DecodeGuarded(PngDecode& d) {
  if (setjmp(png_jmpbuf(d.png))) return false;
  return DecodeBody(d);
}

}  // namespace

bool DecodePng(KxImageReader& reader, const KxImageLimits& limits, KxDib& dib, PictureInfo& info) {
  uint8_t signature[8];
  if (!reader.Seek(0) || !ReadExact(reader, signature, sizeof(signature)) ||
      memcmp(signature, kSignature, sizeof(signature)) != 0 || !reader.Seek(0)) {
    return false;
  }
  PngDecode d;
  d.reader = &reader;
  d.limits = &limits;
  d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!d.png) return false;
  d.pngInfo = png_create_info_struct(d.png);
  if (!d.pngInfo || !DecodeGuarded(d)) return false;

  PictureInfo result = info;
  result.ResetDecoded();
  if (d.transparentSlot >= 0) {
    MakePaletteSlotUnique(d.dib.Palette(), d.transparentSlot);
    result.transparentIndex = d.transparentSlot;
    result.transparentColor = d.dib.Palette()[d.transparentSlot];
  } else {
    result.alphaChannel = d.dib.HasTransparentPixels();
  }
  result.TakeResolution(d.xResolution, d.yResolution, d.dib);
  HandOverDecoded(kImagePng, 1, d.dib, result, dib, info);
  return true;
}
