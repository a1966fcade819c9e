// The picture box on real windows: a three-frame GIF, written here byte by byte, plays
// on the box's timer; bytes that fail to decode change nothing; a still picture stops it.

#include <gtest/gtest.h>

#include <string>

#include "kx/KxImageBox.h"
#include "tests/support/FormTest.h"
#include "tests/support/GuiTestUtil.h"

namespace {

void Put16(std::string& out, int value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, unsigned value) {
  Put16(out, static_cast<int>(value & 0xFFFF));
  Put16(out, static_cast<int>(value >> 16));
}

// LZW data with a minimum code size of 2 that stays at 3-bit codes: a clear code before
// every second pixel keeps the table from growing.
std::string LzwSolid(int index, int pixels) {
  const int kClear = 4, kEnd = 5;
  std::string codes;
  for (int i = 0; i < pixels; ++i) {
    if (i % 2 == 0) codes += static_cast<char>(kClear);
    codes += static_cast<char>(index);
  }
  codes += static_cast<char>(kEnd);
  std::string bytes;
  unsigned bits = 0;
  int used = 0;
  for (char code : codes) {
    bits |= static_cast<unsigned>(code) << used;
    used += 3;
    while (used >= 8) {
      bytes += static_cast<char>(bits & 0xFF);
      bits >>= 8;
      used -= 8;
    }
  }
  if (used > 0) bytes += static_cast<char>(bits & 0xFF);
  return bytes;
}

// A 4 x 4 GIF of three solid frames: red, green, blue, each shown for delay.
std::string ThreeFrameGif(int delay) {
  std::string gif = "GIF89a";
  Put16(gif, 4);
  Put16(gif, 4);
  gif += '\xF1';  // global table of 4 entries
  gif += '\0';
  gif += '\0';
  gif += std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\x00\x00\x00", 12);
  gif += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  for (int frame = 0; frame < 3; ++frame) {
    gif += std::string("\x21\xF9\x04\x04", 4);  // disposal 1: keep the frame
    Put16(gif, delay);
    gif += std::string("\x00\x00", 2);
    gif += '\x2C';
    Put16(gif, 0);
    Put16(gif, 0);
    Put16(gif, 4);
    Put16(gif, 4);
    gif += '\0';
    gif += '\x02';
    std::string lzw = LzwSolid(frame, 16);
    gif += static_cast<char>(lzw.size());
    gif += lzw;
    gif += '\0';
  }
  gif += '\x3B';
  return gif;
}

// A 2 x 2 24-bit BMP of one colour.
std::string SolidBmp(COLORREF color) {
  std::string bmp = "BM";
  Put32(bmp, 14 + 40 + 16);
  Put32(bmp, 0);
  Put32(bmp, 14 + 40);
  Put32(bmp, 40);
  Put32(bmp, 2);
  Put32(bmp, 2);
  Put16(bmp, 1);
  Put16(bmp, 24);
  for (int i = 0; i < 6; ++i) Put32(bmp, 0);
  for (int row = 0; row < 2; ++row) {
    for (int x = 0; x < 2; ++x) {
      bmp += static_cast<char>(GetBValue(color));
      bmp += static_cast<char>(GetGValue(color));
      bmp += static_cast<char>(GetRValue(color));
    }
    bmp += std::string(2, '\0');
  }
  return bmp;
}

KxString Bytes(const std::string& s) { return KxString(s.data(), static_cast<int>(s.size())); }

class ImageBox : public FormTest {
protected:
  void SetUp() override { OpenForm("images", KxRect{100, 100, 200, 150}); }
  DWORD Centre(KxImageBox* box) { return CaptureWindow(box->hwnd).At(20, 20); }
};

TEST_F(ImageBox, GifFramesAdvanceOnTheTimer) {
  struct Case {
    int delay;    // as stored in the file, taken as milliseconds
    int elapse;   // ms per frame: never under 200
  } cases[] = {{10, 200}, {150, 200}, {400, 400}};
  const DWORD colours[3] = {0xFF0000, 0x00FF00, 0x0000FF};
  for (const Case& c : cases) {
    KxImageBox* box = new KxImageBox(form, KxRect{10, 10, 40, 40});
    ASSERT_TRUE(box->LoadData(Bytes(ThreeFrameGif(c.delay))));
    ASSERT_TRUE(box->IsAnimating());
    EXPECT_EQ(3, box->Image()->FrameCount());
    EXPECT_EQ(c.delay, box->Image()->FrameDelay());
    EXPECT_EQ(colours[0], Centre(box));

    DWORD started = 0;
    for (int step = 1; step <= 3; ++step) {
      int expected = step % 3;
      ASSERT_TRUE(PumpUntil([&] { return box->frame == expected; }, 3000)) << c.delay;
      if (step == 1) started = GetTickCount();
      EXPECT_EQ(colours[expected], Centre(box)) << c.delay << " frame " << expected;
    }
    // Two whole periods from the first change to the third.
    int measured = static_cast<int>(GetTickCount() - started) / 2;
    EXPECT_GE(measured, c.elapse * 85 / 100) << c.delay;
    EXPECT_LE(measured, c.elapse * 2 + 100) << c.delay;
    delete box;
  }
}

TEST_F(ImageBox, UndecodableBytesChangeNothingAndAStillPictureStopsTheTimer) {
  KxImageBox* box = new KxImageBox(form, KxRect{10, 10, 40, 40});
  EXPECT_EQ(0xFFFFFFu, Centre(box)) << "white while empty";
  KxString gif = Bytes(ThreeFrameGif(10));
  ASSERT_TRUE(box->LoadData(gif));

  EXPECT_FALSE(box->LoadData("not a picture at all"));
  EXPECT_TRUE(box->IsAnimating());
  EXPECT_TRUE(box->data == gif);
  int seen = box->frame;
  EXPECT_TRUE(PumpUntil([&] { return box->frame != seen; }, 3000)) << "still playing";

  const COLORREF yellow = RGB(255, 255, 0);
  ASSERT_TRUE(box->LoadData(Bytes(SolidBmp(yellow))));
  EXPECT_FALSE(box->IsAnimating());
  EXPECT_TRUE(box->data.IsEmpty()) << "a still picture keeps no encoded copy";
  EXPECT_EQ(0, box->frame);
  PumpFor(600);
  EXPECT_EQ(0, box->frame);
  EXPECT_EQ(ToPixel(yellow), Centre(box));

  box->SetAutoSize(true);
  EXPECT_EQ(2, box->width);
  EXPECT_EQ(2, box->height);
  ASSERT_TRUE(box->LoadData(gif));
  EXPECT_EQ(4, box->width) << "an auto-sized box follows each new picture";
}

}  // namespace
