#include "tests/image/samples/ImageWriters.h"

#include <string.h>

#include <map>

namespace {

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

void Set32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

bool SameColour(const KxRgbQuad& a, const KxRgbQuad& b) {
  return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

// The picture's colours in order of first appearance, and each pixel's index among them.
void Index(const TestPicture& p, std::vector<KxRgbQuad>& palette, std::vector<uint8_t>& indexes) {
  palette.clear();
  indexes.clear();
  for (const KxRgbQuad& c : p.pixels) {
    size_t i = 0;
    while (i < palette.size() && !SameColour(palette[i], c)) i++;
    if (i == palette.size()) palette.push_back(c);
    indexes.push_back(static_cast<uint8_t>(i));
  }
}

uint32_t ToMask(uint8_t value, uint32_t mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) shift++;
  uint32_t max = mask >> shift;
  uint32_t v = (static_cast<uint32_t>(value) * max + 127) / 255;
  return (v << shift) & mask;
}

void RleRow(const uint8_t* row, int w, bool rle4, Bytes& out) {
  int x = 0;
  while (x < w) {
    int run = 1;
    while (x + run < w && run < 255 && row[x + run] == row[x]) run++;
    if (run >= 2) {
      out.push_back(static_cast<uint8_t>(run));
      out.push_back(rle4 ? static_cast<uint8_t>(row[x] << 4 | row[x]) : row[x]);
      x += run;
      continue;
    }
    // A stretch without repeats, up to where the next run begins.
    int n = 1;
    while (x + n < w && n < 255 && !(x + n + 1 < w && row[x + n] == row[x + n + 1])) n++;
    if (n < 3) {
      for (int i = 0; i < n; i++) {
        out.push_back(1);
        out.push_back(rle4 ? static_cast<uint8_t>(row[x + i] << 4) : row[x + i]);
      }
    } else {
      out.push_back(0);
      out.push_back(static_cast<uint8_t>(n));
      size_t bytes = 0;
      for (int i = 0; i < n; i++) {
        if (!rle4) {
          out.push_back(row[x + i]);
          bytes++;
        } else if (i % 2 == 0) {
          out.push_back(static_cast<uint8_t>(row[x + i] << 4));
          bytes++;
        } else {
          out.back() = static_cast<uint8_t>(out.back() | row[x + i]);
        }
      }
      if (bytes % 2) out.push_back(0);
    }
    x += n;
  }
}

}  // namespace

std::vector<KxRgbQuad> Colours(int count) {
  std::vector<KxRgbQuad> colours;
  // Spread over the cube so that neighbours differ in every channel.
  for (int i = 0; colours.size() < static_cast<size_t>(count) && i < 4096; i++) {
    KxRgbQuad c = KxRgb(static_cast<uint8_t>(i * 97 + 13), static_cast<uint8_t>(i * 57 + 200),
                        static_cast<uint8_t>(i * 31 + 90));
    bool seen = false;
    for (const KxRgbQuad& o : colours) seen = seen || SameColour(o, c);
    if (!seen) colours.push_back(c);
  }
  return colours;
}

TestPicture Pattern(int width, int height, const std::vector<KxRgbQuad>& colours) {
  TestPicture p(width, height);
  const size_t n = colours.size();
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) p.At(x, y) = colours[static_cast<size_t>(x * 3 + y * 5 + x * y) % n];
  return p;
}

TestPicture Blocks(int blocksWide, int blocksHigh, const std::vector<KxRgbQuad>& colours) {
  TestPicture p(blocksWide * 8, blocksHigh * 8);
  for (int y = 0; y < p.height; y++)
    for (int x = 0; x < p.width; x++) p.At(x, y) = colours[static_cast<size_t>(y / 8 * blocksWide + x / 8) % colours.size()];
  return p;
}

// ---- BMP

Bytes WriteBmp(const TestPicture& p, const BmpOptions& o) {
  const bool indexed = o.bitCount <= 8;
  std::vector<KxRgbQuad> palette;
  std::vector<uint8_t> indexes;
  if (indexed) Index(p, palette, indexes);
  const bool core = o.headerSize == 12;
  const bool shortOs2 = o.headerSize == 16;
  const size_t entrySize = core ? 3 : 4;
  size_t entries = 0;
  if (indexed) entries = core || shortOs2 ? (1u << o.bitCount) : palette.size();

  Bytes header(o.headerSize < 124 ? 124 : o.headerSize, 0);
  Set32(header, 0, o.headerSize);
  const int storedHeight = (o.iconHeight ? 2 : 1) * p.height * (o.topDown ? -1 : 1);
  if (core) {
    header[4] = static_cast<uint8_t>(p.width);
    header[5] = static_cast<uint8_t>(p.width >> 8);
    header[6] = static_cast<uint8_t>(storedHeight);
    header[7] = static_cast<uint8_t>(storedHeight >> 8);
    header[8] = 1;
    header[10] = static_cast<uint8_t>(o.bitCount);
  } else {
    Set32(header, 4, static_cast<uint32_t>(p.width));
    Set32(header, 8, static_cast<uint32_t>(storedHeight));
    header[12] = 1;
    header[14] = static_cast<uint8_t>(o.bitCount);
    Set32(header, 16, o.compression);
    Set32(header, 24, 2835);
    Set32(header, 28, 2835);
    Set32(header, 32, static_cast<uint32_t>(indexed ? entries : 0));
    if (o.headerSize >= 108) {
      for (int i = 0; i < 4; i++) Set32(header, 40 + i * 4, o.masks[i]);
      memcpy(&header[56], "BGRs", 4);
    }
  }
  header.resize(o.headerSize);

  Bytes extra;
  if (o.compression == 3 && o.headerSize == 40) {
    for (int i = 0; i < 3; i++) Put32(extra, o.masks[i]);
  }
  Bytes table;
  for (size_t i = 0; i < entries; i++) {
    KxRgbQuad c = i < palette.size() ? palette[i] : KxRgb(0, 0, 0);
    table.push_back(c.rgbBlue);
    table.push_back(c.rgbGreen);
    table.push_back(c.rgbRed);
    if (entrySize == 4) table.push_back(0);
  }

  Bytes pixels;
  if (o.compression == 1 || o.compression == 2) {
    for (int r = 0; r < p.height; r++) {
      const int y = p.height - 1 - r;
      const uint8_t* row = &indexes[static_cast<size_t>(y) * p.width];
      int start = 0;
      if (o.rleDelta && r == 0) {
        while (start < p.width && row[start] == 0) start++;
        if (start > 0) {
          pixels.insert(pixels.end(), {0, 2, static_cast<uint8_t>(start), 0});
        }
      }
      RleRow(row + start, p.width - start, o.compression == 2, pixels);
      pixels.push_back(0);
      pixels.push_back(r == p.height - 1 ? 1 : 0);
    }
  } else {
    const size_t stride = (static_cast<size_t>(p.width) * o.bitCount + 31) / 32 * 4;
    for (int r = 0; r < p.height; r++) {
      const int y = o.topDown ? r : p.height - 1 - r;
      Bytes row(stride, 0);
      for (int x = 0; x < p.width; x++) {
        const KxRgbQuad& c = p.At(x, y);
        if (indexed) {
          const uint8_t index = indexes[static_cast<size_t>(y) * p.width + x];
          const int perByte = 8 / o.bitCount;
          const int shift = (perByte - 1 - x % perByte) * o.bitCount;
          row[x / perByte] = static_cast<uint8_t>(row[x / perByte] | index << shift);
        } else if (o.bitCount == 24) {
          row[x * 3] = c.rgbBlue;
          row[x * 3 + 1] = c.rgbGreen;
          row[x * 3 + 2] = c.rgbRed;
        } else {
          uint32_t m[4] = {o.masks[0], o.masks[1], o.masks[2], o.masks[3]};
          if (o.compression == 0) {
            if (o.bitCount == 16) {
              m[0] = 0x7C00, m[1] = 0x03E0, m[2] = 0x001F, m[3] = 0;
            } else {
              m[0] = 0xFF0000, m[1] = 0xFF00, m[2] = 0xFF, m[3] = 0xFF000000;
            }
          }
          uint32_t v = ToMask(c.rgbRed, m[0]) | ToMask(c.rgbGreen, m[1]) | ToMask(c.rgbBlue, m[2]) |
                       ToMask(c.rgbReserved, m[3]);
          for (int i = 0; i < o.bitCount / 8; i++) row[x * o.bitCount / 8 + i] = static_cast<uint8_t>(v >> (8 * i));
        }
      }
      pixels.insert(pixels.end(), row.begin(), row.end());
    }
  }

  Bytes out;
  const uint32_t offBits = static_cast<uint32_t>(14 + header.size() + extra.size() + table.size());
  if (o.withFileHeader) {
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(offBits + pixels.size()));
    Put32(out, 0);
    Put32(out, offBits);
  }
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), extra.begin(), extra.end());
  out.insert(out.end(), table.begin(), table.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

// ---- ICO

Bytes WriteIco(const std::vector<IcoEntry>& entries, bool cursor) {
  std::vector<Bytes> images;
  for (const IcoEntry& e : entries) {
    if (e.png) {
      PngOptions png;
      png.colourType = 6;
      images.push_back(WritePng(e.picture, png));
      continue;
    }
    BmpOptions bmp;
    bmp.bitCount = e.bitCount;
    bmp.withFileHeader = false;
    bmp.iconHeight = true;
    Bytes image = WriteBmp(e.picture, bmp);
    const size_t stride = (static_cast<size_t>(e.picture.width) + 31) / 32 * 4;
    for (int r = 0; r < e.picture.height; r++) {
      const int y = e.picture.height - 1 - r;
      Bytes row(stride, 0);
      for (int x = 0; x < e.picture.width; x++) {
        if (e.picture.At(x, y).rgbReserved < 128) row[x / 8] = static_cast<uint8_t>(row[x / 8] | 0x80 >> (x % 8));
      }
      image.insert(image.end(), row.begin(), row.end());
    }
    images.push_back(image);
  }
  Bytes out;
  Put16(out, 0);
  Put16(out, cursor ? 2 : 1);
  Put16(out, static_cast<uint32_t>(entries.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
  for (size_t i = 0; i < entries.size(); i++) {
    const IcoEntry& e = entries[i];
    out.push_back(static_cast<uint8_t>(e.picture.width >= 256 ? 0 : e.picture.width));
    out.push_back(static_cast<uint8_t>(e.picture.height >= 256 ? 0 : e.picture.height));
    out.push_back(static_cast<uint8_t>(e.bitCount < 8 ? 1 << e.bitCount : 0));
    out.push_back(0);
    Put16(out, cursor ? 3 : 1);                                   // hot spot x, or planes
    Put16(out, cursor ? 5 : static_cast<uint32_t>(e.bitCount));  // hot spot y, or depth
    Put32(out, static_cast<uint32_t>(images[i].size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const Bytes& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

// ---- GIF

Bytes LzwBlocks(const std::vector<uint8_t>& indexes, int minCodeSize, bool deferClear) {
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  Bytes data;
  uint32_t acc = 0;
  int bits = 0;
  int size = minCodeSize + 1;
  auto emit = [&](int code) {
    acc |= static_cast<uint32_t>(code) << bits;
    bits += size;
    while (bits >= 8) {
      data.push_back(static_cast<uint8_t>(acc));
      acc >>= 8;
      bits -= 8;
    }
  };
  std::map<uint32_t, int> table;
  int next = clear + 2;
  emit(clear);
  if (!indexes.empty()) {
    int prefix = indexes[0];
    for (size_t i = 1; i < indexes.size(); i++) {
      const uint32_t key = static_cast<uint32_t>(prefix) << 8 | indexes[i];
      auto found = table.find(key);
      if (found != table.end()) {
        prefix = found->second;
        continue;
      }
      emit(prefix);
      prefix = indexes[i];
      if (next == 4096) continue;
      table[key] = next++;
      if (next > (1 << size) && size < 12) size++;
      if (next == 4096 && !deferClear) {
        emit(clear);
        table.clear();
        next = clear + 2;
        size = minCodeSize + 1;
      }
    }
    emit(prefix);
    // The reader adds an entry after that last code and may widen before the end code.
    if (next == (1 << size) && size < 12 && next > clear + 2) size++;
  }
  emit(end);
  if (bits > 0) data.push_back(static_cast<uint8_t>(acc));

  Bytes out;
  for (size_t at = 0; at < data.size(); at += 255) {
    size_t n = data.size() - at < 255 ? data.size() - at : 255;
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + n));
  }
  out.push_back(0);
  return out;
}

namespace {

int TableBits(size_t entries) {
  int k = 0;
  while ((2u << k) < entries && k < 7) k++;
  return k;
}

void PutTable(Bytes& out, const std::vector<KxRgbQuad>& table) {
  const size_t n = 2u << TableBits(table.size());
  for (size_t i = 0; i < n; i++) {
    KxRgbQuad c = i < table.size() ? table[i] : KxRgb(0, 0, 0);
    out.push_back(c.rgbRed);
    out.push_back(c.rgbGreen);
    out.push_back(c.rgbBlue);
  }
}

void PutSubBlocks(Bytes& out, const std::string& text) {
  for (size_t at = 0; at < text.size(); at += 255) {
    size_t n = text.size() - at < 255 ? text.size() - at : 255;
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), text.begin() + static_cast<long>(at), text.begin() + static_cast<long>(at + n));
  }
  out.push_back(0);
}

void PutControl(Bytes& out, int disposal, int transparent, int delay) {
  out.insert(out.end(), {0x21, 0xF9, 4});
  out.push_back(static_cast<uint8_t>(disposal << 2 | (transparent >= 0 ? 1 : 0)));
  Put16(out, static_cast<uint32_t>(delay));
  out.push_back(static_cast<uint8_t>(transparent >= 0 ? transparent : 0));
  out.push_back(0);
}

}  // namespace

Bytes WriteGif(const GifLayout& layout) {
  Bytes out;
  const char* signature = layout.version87 ? "GIF87a" : "GIF89a";
  out.insert(out.end(), signature, signature + 6);
  Put16(out, static_cast<uint32_t>(layout.width));
  Put16(out, static_cast<uint32_t>(layout.height));
  out.push_back(static_cast<uint8_t>(layout.palette.empty() ? 0x70 : 0xF0 | TableBits(layout.palette.size())));
  out.push_back(static_cast<uint8_t>(layout.background));
  out.push_back(0);
  if (!layout.palette.empty()) PutTable(out, layout.palette);
  if (layout.loopExtension) {
    out.insert(out.end(), {0x21, 0xFF, 11});
    const char* id = "NETSCAPE2.0";
    out.insert(out.end(), id, id + 11);
    out.insert(out.end(), {3, 1, 0, 0, 0});
  }
  if (!layout.comment.empty()) {
    out.insert(out.end(), {0x21, 0xFE});
    PutSubBlocks(out, layout.comment);
  }
  if (layout.plainText) {
    // Its control extension belongs to the text, not to the first frame.
    PutControl(out, 2, 1, 77);
    out.insert(out.end(), {0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0});
    PutSubBlocks(out, "Hi");
  }
  for (const GifFrameLayout& f : layout.frames) {
    if (f.control && !layout.version87) PutControl(out, f.disposal, f.transparent, f.delay);
    out.push_back(0x2C);
    Put16(out, static_cast<uint32_t>(f.left));
    Put16(out, static_cast<uint32_t>(f.top));
    Put16(out, static_cast<uint32_t>(f.width));
    Put16(out, static_cast<uint32_t>(f.height));
    uint8_t flags = f.interlaced ? 0x40 : 0;
    if (!f.palette.empty()) flags = static_cast<uint8_t>(flags | 0x80 | TableBits(f.palette.size()));
    out.push_back(flags);
    if (!f.palette.empty()) PutTable(out, f.palette);
    const size_t entries = f.palette.empty() ? layout.palette.size() : f.palette.size();
    const int minCodeSize = TableBits(entries) + 1 < 2 ? 2 : TableBits(entries) + 1;
    std::vector<uint8_t> order;
    if (!f.interlaced) {
      order = f.indexes;
    } else {
      static const int kStart[4] = {0, 4, 2, 1};
      static const int kStep[4] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; pass++)
        for (int y = kStart[pass]; y < f.height; y += kStep[pass])
          order.insert(order.end(), f.indexes.begin() + static_cast<long>(y) * f.width,
                       f.indexes.begin() + static_cast<long>(y + 1) * f.width);
    }
    out.push_back(static_cast<uint8_t>(minCodeSize));
    Bytes blocks = LzwBlocks(order, minCodeSize, f.deferClear);
    out.insert(out.end(), blocks.begin(), blocks.end());
  }
  out.push_back(0x3B);
  return out;
}

// ---- Exif

Bytes ExifBlock(const std::string& make, const std::string& model, int orientation,
                const std::string& dateTime, const std::string& original, bool bigEndian) {
  Bytes out;
  auto u16 = [&](uint32_t v) {
    if (bigEndian) {
      out.push_back(static_cast<uint8_t>(v >> 8));
      out.push_back(static_cast<uint8_t>(v));
    } else {
      Put16(out, v);
    }
  };
  auto u32 = [&](uint32_t v) {
    if (bigEndian) {
      u16(v >> 16);
      u16(v & 0xFFFF);
    } else {
      Put32(out, v);
    }
  };
  struct Field {
    uint16_t tag;
    uint16_t type;
    std::string text;
    uint32_t value;
  };
  std::vector<Field> ifd0 = {{0x010F, 2, make, 0}, {0x0110, 2, model, 0}, {0x0112, 3, "", static_cast<uint32_t>(orientation)},
                             {0x0132, 2, dateTime, 0}, {0x8769, 4, "", 0}};
  std::vector<Field> sub = {{0x9003, 2, original, 0}};
  const uint32_t ifd0At = 8;
  const uint32_t ifd0Size = static_cast<uint32_t>(2 + ifd0.size() * 12 + 4);
  uint32_t dataAt = ifd0At + ifd0Size;
  for (const Field& f : ifd0)
    if (f.type == 2 && f.text.size() + 1 > 4) dataAt += static_cast<uint32_t>(f.text.size() + 1);
  const uint32_t subAt = dataAt;
  ifd0[4].value = subAt;

  out.push_back(bigEndian ? 'M' : 'I');
  out.push_back(bigEndian ? 'M' : 'I');
  u16(42);
  u32(ifd0At);
  auto writeIfd = [&](const std::vector<Field>& fields, uint32_t at) {
    uint32_t data = static_cast<uint32_t>(at + 2 + fields.size() * 12 + 4);
    Bytes strings;
    u16(static_cast<uint32_t>(fields.size()));
    for (const Field& f : fields) {
      u16(f.tag);
      u16(f.type);
      if (f.type == 2) {
        const uint32_t count = static_cast<uint32_t>(f.text.size() + 1);
        u32(count);
        if (count <= 4) {
          Bytes inline4(4, 0);
          memcpy(inline4.data(), f.text.c_str(), f.text.size());
          out.insert(out.end(), inline4.begin(), inline4.end());
        } else {
          u32(data + static_cast<uint32_t>(strings.size()));
          strings.insert(strings.end(), f.text.begin(), f.text.end());
          strings.push_back(0);
        }
      } else if (f.type == 3) {
        u32(1);
        u16(f.value);
        u16(0);
      } else {
        u32(1);
        u32(f.value);
      }
    }
    u32(0);
    out.insert(out.end(), strings.begin(), strings.end());
  };
  writeIfd(ifd0, ifd0At);
  writeIfd(sub, subAt);
  return out;
}
