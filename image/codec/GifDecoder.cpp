#include "image/codec/GifDecoder.h"

#include <string.h>

#include "image/codec/KxColorKey.h"

namespace {

const int kMaxFrames = 65535;
const int kMaxCodes = 4096;
const uint32_t kOpaque = 0xFF000000u;

struct Frame {
  int left;
  int top;
  int width;
  int height;
  bool interlaced;
  int tableSize;  // entries of the local colour table, 0 for none
  size_t tableAt;
  size_t dataAt;  // the LZW minimum code size byte
  int transparent;
  int delay;
  int disposal;
};

// Frames found by the walk, in a block of our own (no exceptions on a long file).
class FrameList {
public:
  bool Add(const Frame& frame) {
    if (count == capacity) {
      size_t grown = capacity ? capacity * 2 : 16;
      KxBuffer bigger;
      if (!bigger.Allocate(grown * sizeof(Frame))) return false;
      if (count) memcpy(bigger.Data(), storage.Data(), count * sizeof(Frame));
      storage = static_cast<KxBuffer&&>(bigger);
      capacity = grown;
    }
    memcpy(storage.Data() + count * sizeof(Frame), &frame, sizeof(Frame));
    count++;
    return true;
  }
  size_t Count() const { return count; }
  const Frame& operator[](size_t i) const { return reinterpret_cast<const Frame*>(storage.Data())[i]; }

private:
  KxBuffer storage;
  size_t count = 0;
  size_t capacity = 0;
};

struct Screen {
  int width = 0;
  int height = 0;
  int globalSize = 0;
  size_t globalAt = 0;
  int background = 0;
  bool anyTransparency = false;
  uint8_t comment[PictureInfo::kMaxComment];
  size_t commentLength = 0;
  bool sawComment = false;
};

// Skips a chain of data sub-blocks starting at pos; returns the position after its
// terminator, or size when the chain runs off the end.
size_t SkipBlocks(const uint8_t* d, size_t size, size_t pos) {
  while (pos < size) {
    size_t length = d[pos++];
    if (length == 0) return pos;
    if (length > size - pos) return size;
    pos += length;
  }
  return size;
}

// The logical screen and every frame, with the graphic control extension that precedes
// each. A file cut inside a frame's data keeps that frame; a cut before a frame's
// code-size byte ends the list.
bool Walk(const uint8_t* d, size_t size, Screen& screen, FrameList& frames) {
  if (size < 13 || memcmp(d, "GIF", 3) != 0 || (memcmp(d + 3, "87a", 3) != 0 && memcmp(d + 3, "89a", 3) != 0)) {
    return false;
  }
  screen.width = Le16(d + 6);
  screen.height = Le16(d + 8);
  const uint8_t packed = d[10];
  screen.background = d[11];
  size_t pos = 13;
  if (packed & 0x80) {
    screen.globalSize = 2 << (packed & 7);
    screen.globalAt = pos;
    if (static_cast<size_t>(screen.globalSize) * 3 > size - pos) return false;
    pos += static_cast<size_t>(screen.globalSize) * 3;
  }
  int transparent = -1, delay = 0, disposal = 0;
  while (pos < size && frames.Count() < static_cast<size_t>(kMaxFrames)) {
    const uint8_t introducer = d[pos++];
    if (introducer == 0x2C) {
      if (size - pos < 9) break;
      Frame f = {};
      f.left = Le16(d + pos);
      f.top = Le16(d + pos + 2);
      f.width = Le16(d + pos + 4);
      f.height = Le16(d + pos + 6);
      const uint8_t flags = d[pos + 8];
      f.interlaced = (flags & 0x40) != 0;
      pos += 9;
      if (flags & 0x80) {
        f.tableSize = 2 << (flags & 7);
        f.tableAt = pos;
        if (static_cast<size_t>(f.tableSize) * 3 > size - pos) break;
        pos += static_cast<size_t>(f.tableSize) * 3;
      }
      if (pos >= size) break;
      f.dataAt = pos;
      f.transparent = transparent;
      f.delay = delay;
      f.disposal = disposal;
      if (!frames.Add(f)) return false;
      transparent = -1;
      delay = 0;
      disposal = 0;
      pos = SkipBlocks(d, size, pos + 1);
    } else if (introducer == 0x21) {
      if (pos >= size) break;
      const uint8_t label = d[pos++];
      if (label == 0xF9 && pos < size && d[pos] >= 4 && size - pos >= 5) {
        const uint8_t flags = d[pos + 1];
        delay = Le16(d + pos + 2);
        transparent = (flags & 1) ? d[pos + 4] : -1;
        disposal = (flags >> 2) & 7;
        if (transparent >= 0) screen.anyTransparency = true;
      } else if (label == 0xFE && !screen.sawComment) {
        screen.sawComment = true;
        size_t at = pos;
        while (at < size && d[at] != 0) {
          size_t length = d[at++];
          if (length > size - at) length = size - at;
          size_t room = sizeof(screen.comment) - screen.commentLength;
          size_t take = length < room ? length : room;
          memcpy(screen.comment + screen.commentLength, d + at, take);
          screen.commentLength += take;
          at += length;
        }
      } else if (label == 0x01) {
        // A graphic control extension before plain text belongs to the text.
        transparent = -1;
        delay = 0;
        disposal = 0;
      }
      // Application extensions (an 11-byte identifier, then data) and any other label
      // are skipped whole.
      pos = SkipBlocks(d, size, pos);
    } else if (introducer == 0x3B) {
      break;
    } else if (introducer != 0x00) {
      // A stray zero between blocks is tolerated; anything else ends the file.
      break;
    }
  }
  if (frames.Count() == 0) return false;
  if (screen.width == 0 || screen.height == 0) {
    // A screen of no size is sized by its first frame.
    const Frame& first = frames[0];
    screen.width = first.left + first.width;
    screen.height = first.top + first.height;
  }
  return true;
}

// Reads LZW codes from a chain of data sub-blocks.
class BlockBits {
public:
  BlockBits(const uint8_t* d, size_t size, size_t pos) : d(d), size(size), pos(pos) {}
  // The next code of codeSize bits, -1 at the end of the data.
  int Read(int codeSize) {
    while (bits < codeSize) {
      if (blockLeft == 0) {
        if (pos >= size) return -1;
        blockLeft = d[pos++];
        if (blockLeft == 0) {
          pos = size;
          return -1;
        }
      }
      if (pos >= size) return -1;
      acc |= static_cast<uint32_t>(d[pos++]) << bits;
      bits += 8;
      blockLeft--;
    }
    int code = static_cast<int>(acc & ((1u << codeSize) - 1));
    acc >>= codeSize;
    bits -= codeSize;
    return code;
  }

private:
  const uint8_t* d;
  size_t size;
  size_t pos;
  size_t blockLeft = 0;
  uint32_t acc = 0;
  int bits = 0;
};

struct Rect {
  int x0, y0, x1, y1;
  bool Empty() const { return x0 >= x1 || y0 >= y1; }
  long long Area() const { return Empty() ? 0 : static_cast<long long>(x1 - x0) * (y1 - y0); }
};

}  // namespace

void KxGifCache::Clear() {
  bytes.Release();
  canvas.Release();
  saved.Release();
  width = 0;
  height = 0;
  frame = -1;
}

// Draws frames onto the cache's canvas, within the work budget of the limits.
class KxGifComposer {
public:
  KxGifComposer(const uint8_t* d, size_t size, const Screen& screen, const FrameList& frames,
                const KxImageLimits& limits, KxGifCache& cache)
      : d(d), size(size), screen(screen), frames(frames), limits(limits), cache(cache) {
    background = 0;
    if (!screen.anyTransparency && screen.globalSize > 0 && screen.background < screen.globalSize) {
      background = Colour(screen.globalAt, screen.background);
    }
  }

  bool ComposeTo(int target, bool reuse) {
    int next = 0;
    if (reuse) {
      next = cache.frame + 1;
    } else {
      const size_t pixels = static_cast<size_t>(screen.width) * screen.height;
      cache.frame = -1;
      cache.width = screen.width;
      cache.height = screen.height;
      cache.saved.Release();
      if (!Charge(static_cast<long long>(pixels)) || !cache.canvas.Allocate(pixels * 4)) return false;
      uint32_t* c = Canvas();
      for (size_t i = 0; i < pixels; i++) c[i] = background;
    }
    for (int f = next; f <= target; f++) {
      if (f > 0 && !Dispose(frames[f - 1])) return false;
      const Frame& frame = frames[f];
      if (frame.disposal == 3 && !Save(frame)) return false;
      if (!Draw(frame)) return false;
      cache.frame = f;
    }
    return true;
  }

  // The frame's colour table as canvas pixels; missing entries are black.
  void FramePalette(const Frame& frame, uint32_t* palette, int& entries) const {
    size_t at = frame.tableSize ? frame.tableAt : screen.globalAt;
    entries = frame.tableSize ? frame.tableSize : screen.globalSize;
    for (int i = 0; i < KxDib::kPaletteSize; i++) palette[i] = i < entries ? Colour(at, i) : kOpaque;
  }

private:
  uint32_t Colour(size_t tableAt, int index) const {
    const uint8_t* p = d + tableAt + static_cast<size_t>(index) * 3;
    return kOpaque | static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
  }
  uint32_t* Canvas() { return reinterpret_cast<uint32_t*>(cache.canvas.Data()); }

  Rect Clip(const Frame& f) const {
    Rect r = {f.left, f.top, f.left + f.width, f.top + f.height};
    if (r.x1 > screen.width) r.x1 = screen.width;
    if (r.y1 > screen.height) r.y1 = screen.height;
    return r;
  }

  bool Charge(long long amount) {
    work += amount;
    return work <= limits.maxGifWork;
  }

  bool Dispose(const Frame& f) {
    Rect r = Clip(f);
    if (r.Empty() || (f.disposal != 2 && f.disposal != 3)) return true;
    if (!Charge(r.Area())) return false;
    uint32_t* c = Canvas();
    const int w = r.x1 - r.x0;
    if (f.disposal == 2) {
      for (int y = r.y0; y < r.y1; y++) {
        uint32_t* row = c + static_cast<size_t>(y) * screen.width + r.x0;
        for (int x = 0; x < w; x++) row[x] = background;
      }
    } else if (cache.saved.Size() == static_cast<size_t>(r.Area()) * 4) {
      const uint32_t* s = reinterpret_cast<const uint32_t*>(cache.saved.Data());
      for (int y = r.y0; y < r.y1; y++) {
        memcpy(c + static_cast<size_t>(y) * screen.width + r.x0, s, static_cast<size_t>(w) * 4);
        s += w;
      }
    }
    return true;
  }

  bool Save(const Frame& f) {
    Rect r = Clip(f);
    cache.saved.Release();
    if (r.Empty()) return true;
    if (!Charge(r.Area()) || !cache.saved.Allocate(static_cast<size_t>(r.Area()) * 4)) return false;
    uint32_t* s = reinterpret_cast<uint32_t*>(cache.saved.Data());
    const int w = r.x1 - r.x0;
    const uint32_t* c = Canvas();
    for (int y = r.y0; y < r.y1; y++) {
      memcpy(s, c + static_cast<size_t>(y) * screen.width + r.x0, static_cast<size_t>(w) * 4);
      s += w;
    }
    return true;
  }

  // Places the decoded indexes row by row (in interlaced order when the frame says so),
  // dropping what falls outside the canvas.
  class Sink {
  public:
    Sink(const Frame& f, const Screen& s, uint32_t* canvas, const uint32_t* palette)
        : f(f), s(s), canvas(canvas), palette(palette) {
      SetRow();
    }
    bool Done() const { return done; }
    long long Produced() const { return produced; }
    void Put(uint8_t index) {
      int cx = f.left + x;
      if (row && cx < s.width && index != f.transparent) row[cx] = palette[index];
      produced++;
      if (++x < f.width) return;
      x = 0;
      NextRow();
    }

  private:
    void NextRow() {
      if (!f.interlaced) {
        y++;
      } else {
        static const int kStart[4] = {0, 4, 2, 1};
        static const int kStep[4] = {8, 8, 4, 2};
        y += kStep[pass];
        while (y >= f.height && pass < 3) {
          pass++;
          y = kStart[pass];
        }
      }
      if (y >= f.height || (!f.interlaced && f.top + y >= s.height)) {
        done = true;
        row = nullptr;
        return;
      }
      SetRow();
    }
    void SetRow() {
      int cy = f.top + y;
      row = cy < s.height ? canvas + static_cast<size_t>(cy) * s.width : nullptr;
    }

    const Frame& f;
    const Screen& s;
    uint32_t* canvas;
    const uint32_t* palette;
    uint32_t* row = nullptr;
    int x = 0;
    int y = 0;
    int pass = 0;
    bool done = false;
    long long produced = 0;
  };

  // The frame's LZW data onto the canvas. Bad codes and the end of the data end the
  // frame where they occur; only the work budget fails the decode.
  bool Draw(const Frame& f) {
    Rect r = Clip(f);
    if (r.Empty()) return true;
    const int minCodeSize = d[f.dataAt];
    if (minCodeSize < 1 || minCodeSize > 8) return true;
    uint32_t palette[KxDib::kPaletteSize];
    int entries = 0;
    FramePalette(f, palette, entries);

    Sink sink(f, screen, Canvas(), palette);
    const long long budget = limits.maxGifWork - work;
    BlockBits bits(d, size, f.dataAt + 1);
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int codeSize = minCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    for (int i = 0; i < clear; i++) {
      suffix[i] = static_cast<uint8_t>(i);
      first[i] = static_cast<uint8_t>(i);
      length[i] = 1;
    }
    while (!sink.Done()) {
      if (sink.Produced() > budget) return false;
      int code = bits.Read(codeSize);
      if (code < 0 || code == end) break;
      if (code == clear) {
        codeSize = minCodeSize + 1;
        next = clear + 2;
        previous = -1;
        continue;
      }
      if (previous < 0) {
        if (code > clear) break;
        Emit(sink, code);
        previous = code;
        continue;
      }
      if (code > next || (code == next && next >= kMaxCodes)) break;
      if (next < kMaxCodes) {
        // For the code not yet in the table the new string is previous + its own first.
        prefix[next] = static_cast<uint16_t>(previous);
        suffix[next] = code == next ? first[previous] : first[code];
        first[next] = first[previous];
        length[next] = static_cast<uint16_t>(length[previous] + 1);
        next++;
        if (next == (1 << codeSize) && codeSize < 12) codeSize++;
      }
      Emit(sink, code);
      previous = code;
    }
    return Charge(sink.Produced());
  }

  void Emit(Sink& sink, int code) {
    int n = length[code];
    int c = code;
    for (int i = n - 1; i >= 0; i--) {
      stack[i] = suffix[c];
      c = prefix[c];
    }
    for (int i = 0; i < n && !sink.Done(); i++) sink.Put(stack[i]);
  }

  const uint8_t* d;
  size_t size;
  const Screen& screen;
  const FrameList& frames;
  const KxImageLimits& limits;
  KxGifCache& cache;
  uint32_t background;
  long long work = 0;
  uint16_t prefix[kMaxCodes] = {};
  uint8_t suffix[kMaxCodes] = {};
  uint8_t first[kMaxCodes] = {};
  uint16_t length[kMaxCodes] = {};
  uint8_t stack[kMaxCodes] = {};
};

namespace {

// Open addressing from a colour to its palette index.
class ColourIndex {
public:
  ColourIndex() { memset(used, 0, sizeof(used)); }
  int Find(uint32_t colour) const {
    for (uint32_t h = Hash(colour);; h = (h + 1) & kMask) {
      if (!used[h]) return -1;
      if (keys[h] == colour) return values[h];
    }
  }
  void Insert(uint32_t colour, int index) {
    for (uint32_t h = Hash(colour);; h = (h + 1) & kMask) {
      if (!used[h]) {
        used[h] = true;
        keys[h] = colour;
        values[h] = index;
        return;
      }
      if (keys[h] == colour) return;
    }
  }

private:
  static const uint32_t kSlots = 1024;  // at most 256 entries: never full
  static const uint32_t kMask = kSlots - 1;
  static uint32_t Hash(uint32_t c) { return ((c & 0xFFFFFF) * 2654435761u) >> 22; }
  bool used[kSlots];
  uint32_t keys[kSlots];
  int values[kSlots];
};

KxRgbQuad ToQuad(uint32_t pixel) {
  return KxRgb(static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8), static_cast<uint8_t>(pixel), 0);
}

// The canvas as 8 bits with the frame's colour table first. False when its colours do
// not fit in 256 entries.
bool ToIndexed(const uint32_t* canvas, int w, int h, const uint32_t* palette, int entries,
               int transparent, const KxImageLimits& limits, KxDib& dib, int& slot) {
  if (!dib.Create(w, h, 8, limits)) return false;
  ColourIndex index;
  KxRgbQuad* out = dib.Palette();
  for (int i = 0; i < entries; i++) {
    out[i] = ToQuad(palette[i]);
    if (i != transparent) index.Insert(palette[i] & 0xFFFFFF, i);
  }
  slot = transparent >= 0 && transparent < KxDib::kPaletteSize ? transparent : -1;
  int free = entries;
  auto take = [&]() {
    while (free < KxDib::kPaletteSize && free == slot) free++;
    return free < KxDib::kPaletteSize ? free++ : -1;
  };
  for (int y = 0; y < h; y++) {
    const uint32_t* src = canvas + static_cast<size_t>(y) * w;
    uint8_t* row = dib.Row(y);
    for (int x = 0; x < w; x++) {
      const uint32_t p = src[x];
      int i;
      if ((p >> 24) == 0) {
        if (slot < 0) slot = take();
        i = slot;
      } else {
        i = index.Find(p & 0xFFFFFF);
        if (i < 0) {
          i = take();
          if (i >= 0) {
            out[i] = ToQuad(p);
            index.Insert(p & 0xFFFFFF, i);
          }
        }
      }
      if (i < 0) {
        dib.Reset();
        return false;
      }
      row[x] = static_cast<uint8_t>(i);
    }
  }
  if (slot >= 0) MakePaletteSlotUnique(out, slot);
  return true;
}

bool ToTrueColour(const uint32_t* canvas, int w, int h, const KxImageLimits& limits, KxDib& dib,
                  PictureInfo& info) {
  if (!dib.Create(w, h, 24, limits)) return false;
  const size_t pixels = static_cast<size_t>(w) * h;
  bool anyClear = false;
  for (size_t i = 0; i < pixels && !anyClear; i++) anyClear = (canvas[i] >> 24) == 0;
  KxRgbQuad key = KxRgb(0, 0, 0, 0);
  if (anyClear) {
    KxColorSet used;
    if (!used.Init()) return false;
    for (size_t i = 0; i < pixels; i++) {
      if (canvas[i] >> 24) used.Add(ToQuad(canvas[i]));
    }
    // With every colour shown there is no key left: the clear pixels draw black.
    if (used.FirstUnused(key)) {
      info.transparentIndex = 0;
      info.transparentColor = key;
    }
  }
  for (int y = 0; y < h; y++) {
    const uint32_t* src = canvas + static_cast<size_t>(y) * w;
    uint8_t* row = dib.Row(y);
    for (int x = 0; x < w; x++) {
      KxRgbQuad c = (src[x] >> 24) ? ToQuad(src[x]) : key;
      row[x * 3] = c.rgbBlue;
      row[x * 3 + 1] = c.rgbGreen;
      row[x * 3 + 2] = c.rgbRed;
    }
  }
  return true;
}

}  // namespace

bool DecodeGif(KxImageReader& reader, const KxImageLimits& limits, KxGifCache* cache, KxDib& dib,
               PictureInfo& info) {
  uint8_t signature[6];
  if (!reader.Seek(0) || !ReadExact(reader, signature, sizeof(signature)) ||
      memcmp(signature, "GIF8", 4) != 0) {
    return false;
  }
  KxBuffer bytes;
  if (!ReadWhole(reader, limits.maxFileBytes, bytes)) return false;
  Screen screen;
  FrameList frames;
  if (!Walk(bytes.Data(), bytes.Size(), screen, frames)) return false;
  if (screen.width > limits.maxSide || screen.height > limits.maxSide ||
      static_cast<long long>(screen.width) * screen.height > limits.maxPixels) {
    return false;
  }
  const int target = info.frameIndex;
  if (target < 0 || static_cast<size_t>(target) >= frames.Count()) return false;

  KxGifCache local;
  KxGifCache& state = cache ? *cache : local;
  const bool reuse = state.frame >= 0 && state.frame <= target && state.width == screen.width &&
                     state.height == screen.height && state.bytes.Size() == bytes.Size() &&
                     memcmp(state.bytes.Data(), bytes.Data(), bytes.Size()) == 0;
  if (!reuse) state.Clear();
  KxGifComposer composer(bytes.Data(), bytes.Size(), screen, frames, limits, state);
  if (!composer.ComposeTo(target, reuse)) {
    state.Clear();
    return false;
  }
  if (!reuse) state.bytes = static_cast<KxBuffer&&>(bytes);

  const Frame& frame = frames[static_cast<size_t>(target)];
  PictureInfo result = info;
  result.ResetDecoded();
  uint32_t palette[KxDib::kPaletteSize];
  int entries = 0;
  composer.FramePalette(frame, palette, entries);
  const uint32_t* canvas = reinterpret_cast<const uint32_t*>(state.canvas.Data());
  KxDib pixels;
  int slot = -1;
  if (ToIndexed(canvas, screen.width, screen.height, palette, entries, frame.transparent, limits, pixels, slot)) {
    if (slot >= 0) {
      result.transparentIndex = slot;
      result.transparentColor = pixels.Palette()[slot];
    }
  } else if (!ToTrueColour(canvas, screen.width, screen.height, limits, pixels, result)) {
    return false;
  }
  result.frameDelay = frame.delay;
  result.disposal = frame.disposal;
  result.SetComment(screen.comment, screen.commentLength);
  HandOverDecoded(kImageGif, static_cast<int>(frames.Count()), pixels, result, dib, info);
  return true;
}
