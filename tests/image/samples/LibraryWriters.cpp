// The PNG and JPEG writers, through the libraries' own encoders.

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <jpeglib.h>
#include <png.h>

#include "tests/image/samples/ImageWriters.h"

namespace {

struct PngWrite {
  png_structp png = nullptr;
  png_infop info = nullptr;
  Bytes out;
  std::vector<Bytes> rows;
  std::vector<png_bytep> rowPointers;
  std::vector<png_color> palette;
  std::vector<png_byte> alpha;
  png_color_16 key = {};
  bool useKey = false;
  int width = 0, height = 0, depth = 8, colourType = 2;
  bool interlaced = false;
  ~PngWrite() {
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
  }
};

void PngToVector(png_structp png, png_bytep data, png_size_t length) {
  PngWrite* w = static_cast<PngWrite*>(png_get_io_ptr(png));
  w->out.insert(w->out.end(), data, data + length);
}

void PngFlush(png_structp) {}

void PngFail(png_structp png, png_const_charp) { png_longjmp(png, 1); }

__attribute__((noinline)) void PngBody(PngWrite& w) {
  png_set_write_fn(w.png, &w, PngToVector, PngFlush);
  png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(w.width), static_cast<png_uint_32>(w.height), w.depth,
               w.colourType, w.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (w.colourType == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(w.png, w.info, w.palette.data(), static_cast<int>(w.palette.size()));
    if (!w.alpha.empty()) png_set_tRNS(w.png, w.info, w.alpha.data(), static_cast<int>(w.alpha.size()), nullptr);
  } else if (w.useKey) {
    png_set_tRNS(w.png, w.info, nullptr, 0, &w.key);
  }
  png_set_pHYs(w.png, w.info, 2835, 2835, PNG_RESOLUTION_METER);
  png_write_info(w.png, w.info);
  if (w.depth < 8) png_set_packing(w.png);
  png_write_image(w.png, w.rowPointers.data());
  png_write_end(w.png, w.info);
}

bool PngGuarded(PngWrite& w) {
  if (setjmp(png_jmpbuf(w.png))) return false;
  PngBody(w);
  return true;
}

void PutSample(Bytes& row, int depth, unsigned value8) {
  if (depth == 16) {
    unsigned v = value8 * 257;
    row.push_back(static_cast<uint8_t>(v >> 8));
    row.push_back(static_cast<uint8_t>(v));
  } else {
    row.push_back(static_cast<uint8_t>(value8 >> (8 - depth)));
  }
}

struct JpgWrite {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  jmp_buf jump;
  bool created = false;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<Bytes> rows;
  JpgOptions options;
  int width = 0, height = 0;
  JpgWrite() { memset(&cinfo, 0, sizeof(cinfo)); }
  ~JpgWrite() {
    if (created) jpeg_destroy_compress(&cinfo);
    free(buffer);
  }
};

void JpgFail(j_common_ptr cinfo) {
  JpgWrite* w = static_cast<JpgWrite*>(cinfo->client_data);
  longjmp(w->jump, 1);
}

__attribute__((noinline)) void JpgBody(JpgWrite& w) {
  jpeg_compress_struct& c = w.cinfo;
  w.created = true;
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &w.buffer, &w.size);
  c.image_width = static_cast<JDIMENSION>(w.width);
  c.image_height = static_cast<JDIMENSION>(w.height);
  const bool cmyk = w.options.mode == JpgMode::kCmykAdobe || w.options.mode == JpgMode::kCmykPlain;
  c.input_components = w.options.mode == JpgMode::kGrey ? 1 : cmyk ? 4 : 3;
  c.in_color_space = w.options.mode == JpgMode::kGrey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&c);
  if (cmyk) jpeg_set_colorspace(&c, JCS_CMYK);
  // Full-size colour planes: flat 8 x 8 blocks then come back flat up to their edges.
  for (int i = 0; i < c.num_components; i++) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
  if (w.options.mode == JpgMode::kCmykPlain) c.write_Adobe_marker = FALSE;
  jpeg_set_quality(&c, w.options.quality, TRUE);
  if (w.options.progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  if (!w.options.exif.empty()) {
    Bytes app1 = {'E', 'x', 'i', 'f', 0, 0};
    app1.insert(app1.end(), w.options.exif.begin(), w.options.exif.end());
    jpeg_write_marker(&c, JPEG_APP0 + 1, app1.data(), static_cast<unsigned>(app1.size()));
  }
  for (Bytes& row : w.rows) {
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
}

bool JpgGuarded(JpgWrite& w) {
  w.cinfo.err = jpeg_std_error(&w.errors);
  w.errors.error_exit = JpgFail;
  w.cinfo.client_data = &w;
  if (setjmp(w.jump)) return false;
  JpgBody(w);
  return true;
}

}  // namespace

Bytes WritePng(const TestPicture& p, const PngOptions& o) {
  PngWrite w;
  w.width = p.width;
  w.height = p.height;
  w.depth = o.bitDepth;
  w.colourType = o.colourType;
  w.interlaced = o.interlaced;
  std::vector<uint8_t> indexes;
  if (o.colourType == PNG_COLOR_TYPE_PALETTE) {
    for (const KxRgbQuad& c : p.pixels) {
      size_t i = 0;
      while (i < w.palette.size() &&
             !(w.palette[i].red == c.rgbRed && w.palette[i].green == c.rgbGreen && w.palette[i].blue == c.rgbBlue &&
               (!o.trns || w.alpha[i] == c.rgbReserved))) {
        i++;
      }
      if (i == w.palette.size()) {
        w.palette.push_back(png_color{c.rgbRed, c.rgbGreen, c.rgbBlue});
        w.alpha.push_back(c.rgbReserved);
      }
      indexes.push_back(static_cast<uint8_t>(i));
    }
    if (!o.trns) w.alpha.clear();
  } else if (o.trns) {
    for (const KxRgbQuad& c : p.pixels) {
      if (c.rgbReserved >= 128) continue;
      const unsigned scale = o.bitDepth == 16 ? 257 : 1;
      const unsigned shift = o.bitDepth < 8 ? 8 - o.bitDepth : 0;
      w.key.red = static_cast<png_uint_16>((c.rgbRed >> shift) * scale);
      w.key.green = static_cast<png_uint_16>((c.rgbGreen >> shift) * scale);
      w.key.blue = static_cast<png_uint_16>((c.rgbBlue >> shift) * scale);
      w.key.gray = w.key.red;
      w.useKey = true;
      break;
    }
  }
  for (int y = 0; y < p.height; y++) {
    Bytes row;
    for (int x = 0; x < p.width; x++) {
      const KxRgbQuad& c = p.At(x, y);
      switch (o.colourType) {
        case PNG_COLOR_TYPE_PALETTE: row.push_back(indexes[static_cast<size_t>(y) * p.width + x]); break;
        case PNG_COLOR_TYPE_GRAY: PutSample(row, o.bitDepth, c.rgbRed); break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
          PutSample(row, o.bitDepth, c.rgbRed);
          PutSample(row, o.bitDepth, c.rgbReserved);
          break;
        default:
          PutSample(row, o.bitDepth, c.rgbRed);
          PutSample(row, o.bitDepth, c.rgbGreen);
          PutSample(row, o.bitDepth, c.rgbBlue);
          if (o.colourType == PNG_COLOR_TYPE_RGBA) PutSample(row, o.bitDepth, c.rgbReserved);
          break;
      }
    }
    w.rows.push_back(row);
  }
  for (Bytes& row : w.rows) w.rowPointers.push_back(row.data());
  w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, nullptr);
  if (!w.png) return Bytes();
  w.info = png_create_info_struct(w.png);
  if (!w.info || !PngGuarded(w)) return Bytes();
  return w.out;
}

Bytes WriteJpg(const TestPicture& p, const JpgOptions& o) {
  JpgWrite w;
  w.options = o;
  w.width = p.width;
  w.height = p.height;
  for (int y = 0; y < p.height; y++) {
    Bytes row;
    for (int x = 0; x < p.width; x++) {
      const KxRgbQuad& c = p.At(x, y);
      switch (o.mode) {
        case JpgMode::kGrey: row.push_back(c.rgbRed); break;
        case JpgMode::kColour: row.insert(row.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue}); break;
        case JpgMode::kCmykPlain: row.insert(row.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue, c.rgbReserved}); break;
        case JpgMode::kCmykAdobe:
          // Adobe's convention, which libjpeg passes through: 255 means no ink.
          row.insert(row.end(), {static_cast<uint8_t>(255 - c.rgbRed), static_cast<uint8_t>(255 - c.rgbGreen),
                                 static_cast<uint8_t>(255 - c.rgbBlue), static_cast<uint8_t>(255 - c.rgbReserved)});
          break;
      }
    }
    w.rows.push_back(row);
  }
  if (!JpgGuarded(w) || !w.buffer) return Bytes();
  return Bytes(w.buffer, w.buffer + w.size);
}
