#include "image/codec/JpgDecoder.h"

#include <setjmp.h>
#include <stdio.h>
#include <string.h>

#include <jpeglib.h>
#include <jerror.h>

namespace {

const size_t kSourceChunk = 4096;
const int kMaxWarnings = 1000;

struct JpgDecode;

struct Source {
  jpeg_source_mgr pub;
  JpgDecode* owner;
  uint8_t buffer[kSourceChunk];
};

struct Errors {
  jpeg_error_mgr pub;
  jmp_buf jump;
  int warnings;
};

struct Progress {
  jpeg_progress_mgr pub;
  int maxScans;
};

// Owns the libjpeg state and every buffer of one decode, so that a longjmp out of
// libjpeg skips nothing that needs freeing.
struct JpgDecode {
  KxImageReader* reader = nullptr;
  const KxImageLimits* limits = nullptr;
  jpeg_decompress_struct cinfo;
  Errors errors;
  Source source;
  Progress progress;
  bool created = false;
  KxDib dib;
  KxBuffer line;
  bool adobe = false;
  KxExifInfo exif;
  int xResolution = 0;
  int yResolution = 0;

  JpgDecode() {
    memset(&cinfo, 0, sizeof(cinfo));
    memset(&errors, 0, sizeof(errors));
    memset(&source, 0, sizeof(source));
    memset(&progress, 0, sizeof(progress));
  }
  ~JpgDecode() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

void OnErrorExit(j_common_ptr cinfo) {
  Errors* errors = reinterpret_cast<Errors*>(cinfo->err);
  longjmp(errors->jump, 1);
}

// Warnings are counted, never shown: a stream that keeps producing them is given up.
void OnMessage(j_common_ptr cinfo, int level) {
  Errors* errors = reinterpret_cast<Errors*>(cinfo->err);
  if (level < 0 && ++errors->warnings > kMaxWarnings) longjmp(errors->jump, 1);
}

void OnOutput(j_common_ptr) {}

// Each scan of a progressive file passes over the whole picture; a file with thousands
// of them would take minutes.
void OnProgress(j_common_ptr cinfo) {
  Progress* progress = reinterpret_cast<Progress*>(cinfo->progress);
  j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > progress->maxScans) OnErrorExit(cinfo);
}

void InitSource(j_decompress_ptr) {}

// At the end of the data an end-of-image marker is supplied, as libjpeg's own sources do:
// a cut file decodes as far as it goes.
boolean FillInput(j_decompress_ptr cinfo) {
  Source* s = reinterpret_cast<Source*>(cinfo->src);
  size_t n = s->owner->reader->Read(s->buffer, kSourceChunk);
  if (n == 0) {
    WARNMS(cinfo, JWRN_JPEG_EOF);
    s->buffer[0] = 0xFF;
    s->buffer[1] = JPEG_EOI;
    n = 2;
  }
  s->pub.next_input_byte = s->buffer;
  s->pub.bytes_in_buffer = n;
  return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
  Source* s = reinterpret_cast<Source*>(cinfo->src);
  if (count <= 0) return;
  size_t skip = static_cast<size_t>(count);
  if (skip <= s->pub.bytes_in_buffer) {
    s->pub.next_input_byte += skip;
    s->pub.bytes_in_buffer -= skip;
    return;
  }
  skip -= s->pub.bytes_in_buffer;
  s->pub.bytes_in_buffer = 0;
  KxImageReader* reader = s->owner->reader;
  if (!reader->Seek(reader->Tell() + skip)) reader->Seek(reader->Size());
  FillInput(cinfo);
}

void TermSource(j_decompress_ptr) {}

void ReadMarkers(JpgDecode& d) {
  for (jpeg_saved_marker_ptr m = d.cinfo.marker_list; m; m = m->next) {
    if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 && memcmp(m->data, "Exif\0\0", 6) == 0) {
      ParseExif(m->data + 6, m->data_length - 6, d.exif);
      break;
    }
  }
  if (d.cinfo.saw_JFIF_marker && d.cinfo.X_density > 0 && d.cinfo.Y_density > 0) {
    if (d.cinfo.density_unit == 1) {
      d.xResolution = (d.cinfo.X_density * 10000 + 127) / 254;
      d.yResolution = (d.cinfo.Y_density * 10000 + 127) / 254;
    } else if (d.cinfo.density_unit == 2) {
      d.xResolution = d.cinfo.X_density * 100;
      d.yResolution = d.cinfo.Y_density * 100;
    }
  }
}

// CMYK as Adobe writes it is stored inverted (255 = no ink); without the Adobe marker
// the values are plain ink amounts.
void CmykToBgr(const uint8_t* cmyk, int width, bool inverted, uint8_t* bgr) {
  for (int x = 0; x < width; x++) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
    bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
    bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
    cmyk += 4;
    bgr += 3;
  }
}

// Every libjpeg call of a decode. It holds nothing that needs a destructor: an error
// leaves it by longjmp to DecodeGuarded.
__attribute__((noinline)) bool DecodeBody(JpgDecode& d) {
  jpeg_decompress_struct& c = d.cinfo;
  d.created = true;
  jpeg_create_decompress(&c);
  c.mem->max_memory_to_use = static_cast<long>(d.limits->maxJpegMemory);
  d.source.owner = &d;
  d.source.pub.init_source = InitSource;
  d.source.pub.fill_input_buffer = FillInput;
  d.source.pub.skip_input_data = SkipInput;
  d.source.pub.resync_to_restart = jpeg_resync_to_restart;
  d.source.pub.term_source = TermSource;
  c.src = &d.source.pub;
  d.progress.pub.progress_monitor = OnProgress;
  d.progress.maxScans = d.limits->maxJpegScans;
  c.progress = &d.progress.pub;
  jpeg_save_markers(&c, JPEG_APP0 + 1, 0xFFFF);
  if (jpeg_read_header(&c, TRUE) != JPEG_HEADER_OK) return false;
  if (c.image_width == 0 || c.image_height == 0 ||
      c.image_width > static_cast<JDIMENSION>(d.limits->maxSide) ||
      c.image_height > static_cast<JDIMENSION>(d.limits->maxSide) ||
      static_cast<long long>(c.image_width) * c.image_height > d.limits->maxPixels) {
    return false;
  }
  ReadMarkers(d);
  d.adobe = c.saw_Adobe_marker != 0;

  int bits = 24;
  switch (c.jpeg_color_space) {
    case JCS_GRAYSCALE:
      c.out_color_space = JCS_GRAYSCALE;
      bits = 8;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      c.out_color_space = JCS_CMYK;
      break;
    default:
      c.out_color_space = JCS_EXT_BGR;
      break;
  }
  jpeg_start_decompress(&c);
  const int components = bits == 8 ? 1 : c.out_color_space == JCS_CMYK ? 4 : 3;
  if (c.output_components != components) return false;
  if (!d.dib.Create(static_cast<int>(c.output_width), static_cast<int>(c.output_height), bits, *d.limits)) {
    return false;
  }
  if (bits == 8) {
    for (int i = 0; i < KxDib::kPaletteSize; i++) {
      d.dib.Palette()[i] = KxRgb(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0);
    }
  }
  const bool cmyk = components == 4;
  if (cmyk && !d.line.Allocate(static_cast<size_t>(c.output_width) * 4)) return false;
  while (c.output_scanline < c.output_height) {
    const int y = static_cast<int>(c.output_scanline);
    JSAMPROW row = cmyk ? d.line.Data() : d.dib.Row(y);
    if (jpeg_read_scanlines(&c, &row, 1) != 1) return false;
    if (cmyk) CmykToBgr(d.line.Data(), static_cast<int>(c.output_width), d.adobe, d.dib.Row(y));
  }
  // The rest of the file (up to its end marker) holds nothing to show.
  jpeg_abort_decompress(&c);
  return true;
}

bool DecodeGuarded(JpgDecode& d) {
  d.cinfo.err = jpeg_std_error(&d.errors.pub);
  d.errors.pub.error_exit = OnErrorExit;
  d.errors.pub.emit_message = OnMessage;
  d.errors.pub.output_message = OnOutput;
  if (setjmp(d.errors.jump)) return false;
  return DecodeBody(d);
}

}  // namespace

bool DecodeJpg(KxImageReader& reader, const KxImageLimits& limits, KxDib& dib, PictureInfo& info) {
  uint8_t soi[2];
  if (!reader.Seek(0) || !ReadExact(reader, soi, sizeof(soi)) || soi[0] != 0xFF || soi[1] != 0xD8 ||
      !reader.Seek(0)) {
    return false;
  }
  JpgDecode d;
  d.reader = &reader;
  d.limits = &limits;
  if (!DecodeGuarded(d)) return false;

  PictureInfo result = info;
  result.ResetDecoded();
  result.exif = d.exif;
  result.TakeResolution(d.xResolution, d.yResolution, d.dib);
  HandOverDecoded(kImageJpg, 1, d.dib, result, dib, info);
  return true;
}
