// velix_picture_bench: the cost of drawing the kit picture, the way the picture box paints
// it into its off-screen bitmap, for a picture with an alpha channel (a soft-edged disc,
// RGBA PNG) against the same disc as a keyed 8-bit picture (palette PNG with one clear
// entry), side by side in one run: draws of the one and of the other in turn, round after
// round, and the median of each.
//
//   wine velix_picture_bench.exe [rounds] [draws]

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "image/CxImage.h"
#include "tests/image/samples/ImageWriters.h"
#include "tools/bench/BenchTiming.h"

namespace {

// A disc over a clear background; soft gives its edge a ramp of alpha, otherwise every
// pixel is either clear or opaque, of 16 colours, so that it fits a palette.
TestPicture Disc(int side, bool soft) {
  TestPicture p(side, side);
  const double centre = side / 2.0;
  const double radius = side * 0.4;
  const double edge = side * 0.08;
  for (int y = 0; y < side; y++) {
    for (int x = 0; x < side; x++) {
      const double dx = x + 0.5 - centre, dy = y + 0.5 - centre;
      const double distance = __builtin_sqrt(dx * dx + dy * dy);
      double alpha = (radius + edge - distance) / edge;
      alpha = alpha < 0 ? 0 : alpha > 1 ? 1 : alpha;
      const uint8_t shade = static_cast<uint8_t>(40 + (x * 16 / side) * 12);
      const uint8_t a = soft ? static_cast<uint8_t>(alpha * 255 + 0.5) : alpha >= 0.5 ? 255 : 0;
      p.At(x, y) = a == 0 && !soft ? KxRgb(0, 0, 0, 0) : KxRgb(shade, 80, static_cast<uint8_t>(255 - shade), a);
    }
  }
  return p;
}

bool Load(CxImage& image, const Bytes& bytes) {
  return image.LoadFromBytes(bytes.data(), static_cast<long long>(bytes.size()));
}

// An off-screen bitmap like the one a control paints into, filled with a light grey
// before each draw as the control fills it with its colour.
struct Canvas {
  Canvas(int w, int h) : width(w), height(h) {
    HDC screen = GetDC(NULL);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(NULL, screen);
    previous = SelectObject(dc, bitmap);
    brush = CreateSolidBrush(RGB(245, 245, 245));
  }
  ~Canvas() {
    DeleteObject(brush);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  void Fill() {
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, brush);
  }
  int width, height;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
  HBRUSH brush;
};

double TimeDraws(const CxImage& image, Canvas& canvas, int draws, bool& ok) {
  double start = BenchNow();
  for (int i = 0; i < draws; i++) {
    canvas.Fill();
    ok = image.StretchDraw(canvas.dc, 1, 1, canvas.width - 2, canvas.height - 2) && ok;
  }
  GdiFlush();
  return BenchNow() - start;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 7;
  const int draws = argc > 2 && atoi(argv[2]) > 0 ? atoi(argv[2]) : 1000;
  // The kit at a picture's own size, the largest kit, and a large picture shrunk to it.
  const struct {
    int side;
    int kit;
  } cases[] = {{64, 64}, {256, 256}, {1024, 256}};
  printf("%d draws per round, %d rounds; times are the median of one draw\n", draws, rounds);
  for (const auto& c : cases) {
    PngOptions rgba;
    rgba.colourType = 6;
    PngOptions palette;
    palette.colourType = 3;
    palette.trns = true;
    CxImage soft, keyed;
    if (!Load(soft, WritePng(Disc(c.side, true), rgba)) || !Load(keyed, WritePng(Disc(c.side, false), palette))) {
      printf("the pictures did not decode\n");
      return 1;
    }
    if (!soft.Info().alphaChannel || keyed.Pixels().BitCount() != 8 || keyed.Info().transparentIndex < 0) {
      printf("the pictures are not the alpha and the keyed kind\n");
      return 1;
    }
    Canvas canvas(c.kit, c.kit);
    std::vector<double> alphaTimes, keyTimes;
    bool ok = true;
    for (int r = 0; r < rounds; r++) {
      keyTimes.push_back(TimeDraws(keyed, canvas, draws, ok) / draws);
      alphaTimes.push_back(TimeDraws(soft, canvas, draws, ok) / draws);
    }
    if (!ok) {
      printf("a draw failed\n");
      return 1;
    }
    const double a = BenchMedian(alphaTimes), k = BenchMedian(keyTimes);
    printf("%4d px picture in a %3d px kit: alpha %7.1f us, keyed 8-bit %7.1f us, ratio alpha / keyed %.2f\n",
           c.side, c.kit, a * 1e6, k * 1e6, a / k);
  }
  return 0;
}
