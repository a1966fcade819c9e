// Every variant the writers make, once, as the valid starting points of the damaged-file
// corpus and of the fuzz seeds.

#include "tests/image/samples/ImageWriters.h"

namespace {

TestPicture WithClearCorner(TestPicture p) {
  for (int y = 0; y < p.height / 2; y++)
    for (int x = 0; x < p.width / 2; x++) p.At(x, y).rgbReserved = 0;
  return p;
}

GifFrameLayout FullFrame(int w, int h, int colours, int disposal) {
  GifFrameLayout f;
  f.width = w;
  f.height = h;
  f.disposal = disposal;
  f.delay = 10;
  for (int i = 0; i < w * h; i++) f.indexes.push_back(static_cast<uint8_t>((i * 7 + disposal) % colours));
  return f;
}

}  // namespace

std::vector<Sample> AllSamples() {
  std::vector<Sample> all;
  const TestPicture two = Pattern(13, 7, Colours(2));
  const TestPicture sixteen = Pattern(13, 7, Colours(16));
  const TestPicture many = Pattern(13, 7, Colours(200));

  struct BmpCase {
    const char* name;
    const TestPicture* picture;
    int bits;
    uint32_t compression;
    uint32_t header;
  };
  const BmpCase bmps[] = {
      {"bmp1", &two, 1, 0, 40},        {"bmp4", &sixteen, 4, 0, 40},    {"bmp8", &many, 8, 0, 40},
      {"bmp8core", &many, 8, 0, 12},   {"bmp8os2", &many, 8, 0, 64},    {"bmp8os2short", &sixteen, 8, 0, 16},
      {"bmp24", &many, 24, 0, 40},     {"bmp24v5", &many, 24, 0, 124},  {"bmp16", &many, 16, 0, 40},
      {"bmp32", &many, 32, 0, 40},     {"rle8", &many, 8, 1, 40},       {"rle4", &sixteen, 4, 2, 40},
  };
  for (const BmpCase& c : bmps) {
    BmpOptions o;
    o.bitCount = c.bits;
    o.compression = c.compression;
    o.headerSize = c.header;
    o.rleDelta = c.compression != 0;
    all.push_back({std::string(c.name) + ".bmp", WriteBmp(*c.picture, o)});
  }
  {
    BmpOptions o;
    o.bitCount = 16;
    o.compression = 3;
    o.masks[0] = 0xF800, o.masks[1] = 0x07E0, o.masks[2] = 0x001F;
    all.push_back({"bmp565.bmp", WriteBmp(many, o)});
    o.bitCount = 32;
    o.headerSize = 124;
    o.masks[0] = 0x00FF0000, o.masks[1] = 0x0000FF00, o.masks[2] = 0x000000FF, o.masks[3] = 0xFF000000;
    all.push_back({"bmp32alpha.bmp", WriteBmp(WithClearCorner(many), o)});
    BmpOptions top;
    top.topDown = true;
    all.push_back({"bmptopdown.bmp", WriteBmp(many, top)});
  }

  const TestPicture icon = WithClearCorner(Pattern(16, 16, Colours(16)));
  all.push_back({"icon32.ico", WriteIco({{icon, 32, false}})});
  all.push_back({"icon24.ico", WriteIco({{icon, 24, false}})});
  all.push_back({"icon8.ico", WriteIco({{icon, 8, false}})});
  all.push_back({"icon4.ico", WriteIco({{icon, 4, false}})});
  all.push_back({"icon1.ico", WriteIco({{WithClearCorner(Pattern(16, 16, Colours(2))), 1, false}})});
  all.push_back({"iconpng.ico", WriteIco({{icon, 32, true}})});
  all.push_back({"cursor.cur", WriteIco({{icon, 32, false}}, true)});
  all.push_back({"icons3.ico", WriteIco({{icon, 32, false}, {icon, 8, false}, {icon, 32, true}})});

  {
    GifLayout g;
    g.width = 13;
    g.height = 11;
    g.palette = Colours(16);
    g.frames.push_back(FullFrame(13, 11, 16, 0));
    all.push_back({"single.gif", WriteGif(g)});
    g.version87 = true;
    all.push_back({"old87a.gif", WriteGif(g)});
    g.version87 = false;
    g.frames[0].interlaced = true;
    g.frames[0].transparent = 3;
    g.comment = "made by the tests";
    g.loopExtension = true;
    g.plainText = true;
    all.push_back({"interlaced.gif", WriteGif(g)});
    GifLayout a;
    a.width = 20;
    a.height = 20;
    a.palette = Colours(4);
    a.loopExtension = true;
    for (int disposal : {1, 2, 3}) {
      GifFrameLayout f = FullFrame(9, 9, 4, disposal);
      f.left = disposal * 3;
      f.top = disposal * 2;
      f.transparent = 0;
      if (disposal == 2) f.palette = Colours(8);
      a.frames.push_back(f);
    }
    all.push_back({"animated.gif", WriteGif(a)});
    GifLayout big;
    big.width = 64;
    big.height = 64;
    big.palette = Colours(256);
    big.frames.push_back(FullFrame(64, 64, 256, 0));
    all.push_back({"large-table.gif", WriteGif(big)});
  }

  struct PngCase {
    int type;
    int depth;
  };
  const PngCase pngs[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1}, {3, 2},
                          {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  const TestPicture colour = WithClearCorner(Pattern(11, 9, Colours(14)));
  const TestPicture fewColours = WithClearCorner(Pattern(11, 9, Colours(7)));
  for (const PngCase& c : pngs) {
    PngOptions o;
    o.colourType = c.type;
    o.bitDepth = c.depth;
    o.trns = c.type == 3 && c.depth >= 4;
    o.interlaced = c.depth == 8;
    // A palette holds each colour twice over, opaque and clear.
    const TestPicture& p = c.type == 3 && c.depth < 4 ? two : c.type == 3 && c.depth == 4 ? fewColours : colour;
    all.push_back({"png" + std::to_string(c.type) + "-" + std::to_string(c.depth) + ".png", WritePng(p, o)});
  }

  const TestPicture blocks = Blocks(3, 2, Colours(6));
  JpgOptions j;
  all.push_back({"baseline.jpg", WriteJpg(blocks, j)});
  j.progressive = true;
  all.push_back({"progressive.jpg", WriteJpg(blocks, j)});
  j.progressive = false;
  j.mode = JpgMode::kGrey;
  all.push_back({"grey.jpg", WriteJpg(blocks, j)});
  j.mode = JpgMode::kCmykAdobe;
  all.push_back({"cmyk.jpg", WriteJpg(blocks, j)});
  j.mode = JpgMode::kColour;
  j.exif = ExifBlock("Maker", "Model 7", 6, "2008:03:07 10:20:30", "2008:03:06 09:00:00", false);
  all.push_back({"exif.jpg", WriteJpg(blocks, j)});
  return all;
}
