#include "image/codec/ExifReader.h"

#include <string.h>

namespace {

const int kMaxEntries = 512;

struct Tiff {
  const uint8_t* data;
  size_t size;
  bool bigEndian;

  bool Has(uint64_t offset, uint64_t count) const { return offset <= size && count <= size - offset; }
  uint16_t U16(size_t at) const {
    const uint8_t* p = data + at;
    return bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
  }
  uint32_t U32(size_t at) const {
    const uint8_t* p = data + at;
    return bigEndian ? (uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3])
                     : (uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
  }
};

// Bytes per value of the TIFF field types; 0 for an unknown type.
uint32_t TypeSize(uint16_t type) {
  switch (type) {
    case 1: case 2: case 6: case 7: return 1;
    case 3: case 8: return 2;
    case 4: case 9: case 11: return 4;
    case 5: case 10: case 12: return 8;
    default: return 0;
  }
}

struct Entry {
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  size_t valueAt;  // where the value bytes start, inside the block
  bool valid;
};

Entry ReadEntry(const Tiff& tiff, size_t at) {
  Entry e = {tiff.U16(at), tiff.U16(at + 2), tiff.U32(at + 4), 0, false};
  uint32_t unit = TypeSize(e.type);
  if (unit == 0) return e;
  uint64_t bytes = static_cast<uint64_t>(unit) * e.count;
  if (bytes <= 4) {
    e.valueAt = at + 8;
  } else {
    uint32_t offset = tiff.U32(at + 8);
    if (!tiff.Has(offset, bytes)) return e;
    e.valueAt = offset;
  }
  e.valid = true;
  return e;
}

void CopyAscii(const Tiff& tiff, const Entry& e, char* target, size_t capacity) {
  if (e.type != 2) return;
  size_t n = e.count < capacity - 1 ? e.count : capacity - 1;
  size_t i = 0;
  for (; i < n; i++) {
    char c = static_cast<char>(tiff.data[e.valueAt + i]);
    if (c == 0) break;
    target[i] = c;
  }
  target[i] = 0;
}

uint32_t UnsignedValue(const Tiff& tiff, const Entry& e) {
  if (e.count < 1) return 0;
  if (e.type == 3) return tiff.U16(e.valueAt);
  if (e.type == 4) return tiff.U32(e.valueAt);
  return 0;
}

// Walks one IFD; the offset of the Exif sub-IFD comes back through subIfd.
void ReadIfd(const Tiff& tiff, uint32_t offset, bool exifIfd, KxExifInfo& info, uint32_t* subIfd) {
  if (!tiff.Has(offset, 2)) return;
  int count = tiff.U16(offset);
  if (count > kMaxEntries) count = kMaxEntries;
  for (int i = 0; i < count; i++) {
    size_t at = offset + 2 + static_cast<size_t>(i) * 12;
    if (!tiff.Has(at, 12)) return;
    Entry e = ReadEntry(tiff, at);
    if (!e.valid) continue;
    if (!exifIfd) {
      switch (e.tag) {
        case 0x010F: CopyAscii(tiff, e, info.make, sizeof(info.make)); break;
        case 0x0110: CopyAscii(tiff, e, info.model, sizeof(info.model)); break;
        case 0x0112: info.orientation = static_cast<int>(UnsignedValue(tiff, e)); break;
        case 0x0132: CopyAscii(tiff, e, info.dateTime, sizeof(info.dateTime)); break;
        case 0x8769: if (subIfd) *subIfd = UnsignedValue(tiff, e); break;
        default: break;
      }
    } else {
      switch (e.tag) {
        case 0x9003: CopyAscii(tiff, e, info.dateTimeOriginal, sizeof(info.dateTimeOriginal)); break;
        case 0xA002: info.pixelWidth = UnsignedValue(tiff, e); break;
        case 0xA003: info.pixelHeight = UnsignedValue(tiff, e); break;
        default: break;
      }
    }
  }
}

}  // namespace

bool ParseExif(const uint8_t* data, size_t size, KxExifInfo& info) {
  info = KxExifInfo();
  if (!data || size < 8) return false;
  Tiff tiff = {data, size, false};
  if (data[0] == 'M' && data[1] == 'M') {
    tiff.bigEndian = true;
  } else if (!(data[0] == 'I' && data[1] == 'I')) {
    return false;
  }
  if (tiff.U16(2) != 42) return false;
  info.present = true;
  uint32_t ifd0 = tiff.U32(4);
  uint32_t exifIfd = 0;
  ReadIfd(tiff, ifd0, false, info, &exifIfd);
  // The sub-IFD is read once; a pointer back to IFD 0 only repeats nothing harmful.
  if (exifIfd != 0 && exifIfd != ifd0) ReadIfd(tiff, exifIfd, true, info, nullptr);
  if (info.orientation < 0 || info.orientation > 8) info.orientation = 0;
  return true;
}
