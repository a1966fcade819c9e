// velix_gif_bench: the cost of showing frame 1 and frame 200 of a 200-frame GIF the way
// the picture box animates it (the same bytes loaded again with the next frame index),
// and, for comparison, the cost of frame 200 composed from the first frame each time.
//
//   wine velix_gif_bench.exe [rounds]

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "image/CxImage.h"
#include "tests/image/samples/ImageWriters.h"
#include "tools/bench/BenchTiming.h"

namespace {

const int kFrames = 200;
const int kSide = 240;
const int kSquare = 96;

// Squares of the same size moving over the canvas, with every disposal method and some
// transparency, as animated pictures have them: each frame is the same work to draw.
Bytes MakeAnimation() {
  GifLayout layout;
  layout.width = kSide;
  layout.height = kSide;
  layout.palette = Colours(128);
  layout.loopExtension = true;
  unsigned seed = 1;
  for (int i = 0; i < kFrames; i++) {
    GifFrameLayout f;
    f.width = kSquare;
    f.height = kSquare;
    f.left = (i * 7) % (kSide - kSquare);
    f.top = (i * 11) % (kSide - kSquare);
    f.delay = 5;
    f.disposal = 1 + i % 3;
    f.transparent = i % 4 == 0 ? 0 : -1;
    for (int p = 0; p < f.width * f.height; p++) {
      seed = seed * 1103515245u + 12345u;
      // Runs of a colour, so that the LZW table has strings to build.
      f.indexes.push_back(static_cast<uint8_t>((seed >> 24) % 8 == 0 ? (seed >> 16) % 128 : p / 9 % 128));
    }
    layout.frames.push_back(f);
  }
  return WriteGif(layout);
}

bool LoadFrame(CxImage& image, const Bytes& bytes, int index, double& seconds) {
  image.SetFrameIndex(index);
  double start = BenchNow();
  bool ok = image.LoadFromBytes(bytes.data(), static_cast<long long>(bytes.size()));
  seconds = BenchNow() - start;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? atoi(argv[1]) : 5;
  const Bytes gif = MakeAnimation();
  printf("GIF: %d frames, %dx%d, %u bytes\n", kFrames, kSide, kSide, static_cast<unsigned>(gif.size()));

  std::vector<double> first, last, fromScratch;
  for (int r = 0; r < (rounds > 0 ? rounds : 1); r++) {
    CxImage box;
    for (int i = 0; i < kFrames; i++) {
      double seconds = 0;
      if (!LoadFrame(box, gif, i, seconds)) {
        printf("frame %d did not decode\n", i + 1);
        return 1;
      }
      if (i == 0) first.push_back(seconds);
      if (i == kFrames - 1) last.push_back(seconds);
    }
    CxImage fresh;
    double seconds = 0;
    if (!LoadFrame(fresh, gif, kFrames - 1, seconds)) return 1;
    fromScratch.push_back(seconds);
  }
  const double t1 = BenchMedian(first), t200 = BenchMedian(last), scratch = BenchMedian(fromScratch);
  printf("frame 1:   %8.3f ms\n", t1 * 1000);
  printf("frame 200: %8.3f ms (after frame 199)\n", t200 * 1000);
  printf("ratio frame 200 / frame 1: %.2f\n", t200 / t1);
  printf("frame 200 composed from frame 1: %8.3f ms (%.1f x frame 1)\n", scratch * 1000, scratch / t1);
  return 0;
}
