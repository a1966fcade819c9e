#pragma once
// Writers of small pictures in every format and variant the decoders read, for the
// tests, the damaged-file corpus and the fuzz seeds. BMP, ICO and GIF are written here
// byte by byte; PNG and JPEG through libpng and libjpeg. No window code: the writers
// build natively as well.

#include <stdint.h>

#include <string>
#include <vector>

#include "image/codec/KxImageTypes.h"

using Bytes = std::vector<uint8_t>;

// A picture as the writers take it and the tests expect it back: colours with alpha,
// row by row from the top.
struct TestPicture {
  int width = 0;
  int height = 0;
  std::vector<KxRgbQuad> pixels;

  TestPicture() = default;
  TestPicture(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h, KxRgb(0, 0, 0)) {}
  KxRgbQuad& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  const KxRgbQuad& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A pattern over the given colours: pixel (x, y) takes colours[(x * 3 + y * 5 + x * y) % n].
TestPicture Pattern(int width, int height, const std::vector<KxRgbQuad>& colours);
// Up to 256 distinct opaque colours; each channel a multiple of 'step' from 0 to 255
// (step 1 for any colour, a 5-bit step for 16-bit BMPs, ...).
std::vector<KxRgbQuad> Colours(int count);
// Blocks of 8 x 8 pixels, each one flat colour: what JPEG reproduces closely.
TestPicture Blocks(int blocksWide, int blocksHigh, const std::vector<KxRgbQuad>& colours);

// ---- BMP

struct BmpOptions {
  int bitCount = 24;
  uint32_t compression = 0;  // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
  uint32_t headerSize = 40;  // 12 (OS/2 1.x), 16 or 64 (OS/2 2.x), 40, 108, 124
  bool topDown = false;
  uint32_t masks[4] = {0, 0, 0, 0};  // for bit fields: red, green, blue, alpha
  bool withFileHeader = true;
  // The DIB's stored height is twice the picture's, for icons.
  bool iconHeight = false;
  bool rleDelta = false;  // RLE: start the first row with a delta jump
};
// The palette for 1 to 8 bits is the picture's colours in order of first appearance.
Bytes WriteBmp(const TestPicture& picture, const BmpOptions& options);

// ---- ICO and CUR

struct IcoEntry {
  TestPicture picture;  // alpha < 128 is a clear pixel
  int bitCount = 32;
  bool png = false;
};
Bytes WriteIco(const std::vector<IcoEntry>& entries, bool cursor = false);

// ---- GIF

struct GifFrameLayout {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indexes;    // width * height, row by row
  std::vector<KxRgbQuad> palette;  // a local colour table when not empty
  int transparent = -1;
  int delay = 0;
  int disposal = 0;
  bool interlaced = false;
  bool control = true;  // write a graphic control extension
  bool deferClear = false;
};

struct GifLayout {
  bool version87 = false;
  int width = 0;
  int height = 0;
  std::vector<KxRgbQuad> palette;  // the global colour table when not empty
  int background = 0;
  std::string comment;
  bool loopExtension = false;   // the application extension animations carry
  bool plainText = false;       // a plain-text extension before the first frame
  std::vector<GifFrameLayout> frames;
};
Bytes WriteGif(const GifLayout& layout);
// The LZW data of a frame, as data sub-blocks with their terminator. A full code table
// is cleared, or with deferClear kept as it is while 12-bit codes go on.
Bytes LzwBlocks(const std::vector<uint8_t>& indexes, int minCodeSize, bool deferClear = false);

// ---- PNG and JPEG

struct PngOptions {
  int colourType = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
  int bitDepth = 8;
  bool interlaced = false;
  // Grey and RGB: the first clear pixel's colour becomes the tRNS key. Palette: alpha
  // of each entry from the picture.
  bool trns = false;
};
// Empty when libpng refuses the combination.
Bytes WritePng(const TestPicture& picture, const PngOptions& options);

enum class JpgMode { kColour, kGrey, kCmykAdobe, kCmykPlain };
struct JpgOptions {
  JpgMode mode = JpgMode::kColour;
  bool progressive = false;
  int quality = 95;
  Bytes exif;  // the TIFF structure, written as an APP1 "Exif" block when not empty
};
// kCmyk*: each pixel's red, green, blue, alpha are its C, M, Y, K ink (0 = none).
Bytes WriteJpg(const TestPicture& picture, const JpgOptions& options);

// A little-endian TIFF structure with Make, Model, Orientation and DateTime in IFD 0
// and DateTimeOriginal in an Exif sub-IFD.
Bytes ExifBlock(const std::string& make, const std::string& model, int orientation,
                const std::string& dateTime, const std::string& original, bool bigEndian);

// ---- Every sample, named; the corpus test and the fuzz seeds use them all.

struct Sample {
  std::string name;  // with the format's extension
  Bytes bytes;
};
std::vector<Sample> AllSamples();
