// The push button on real windows: its outline at rest, under the pointer and pressed,
// its picture, double clicks from real input, and its tip window.

#include <gtest/gtest.h>

#include "kx/KxButton.h"
#include "tests/support/FormTest.h"

namespace {

class Buttons : public FormTest {
protected:
  void SetUp() override {
    OpenFormInFront("buttons", KxRect{100, 100, 300, 200}, POINT{700, 600});
    PumpFor(50);
  }
};

int CountOf(const Capture& c, COLORREF color) {
  int n = 0;
  for (DWORD p : c.pixels) n += p == ToPixel(color);
  return n;
}

// The first row holding a pixel of the colour, or -1.
int FirstRowOf(const Capture& c, COLORREF color) {
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      if (c.At(x, y) == ToPixel(color)) return y;
  return -1;
}

HBITMAP SolidBitmap(int w, int h, COLORREF color) {
  HDC screen = GetDC(NULL);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  HBRUSH brush = CreateSolidBrush(color);
  RECT r = {0, 0, w, h};
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  SelectObject(dc, previous);
  DeleteDC(dc);
  ReleaseDC(NULL, screen);
  return bitmap;
}

struct Clicks {
  int Clicked(KxEvtParam&) {
    ++count;
    return 0;
  }
  int count = 0;
};

TEST_F(Buttons, OutlineAtRestAndHotUnderThePointerWithTheTipBelow) {
  KxButton* button = new KxButton(form, "确定", KxRect{20, 20, 80, 24});
  button->hoverTime = 100;
  button->SetTip("保存设置");
  ASSERT_TRUE(IsWindow(button->tip.hwnd));
  EXPECT_FALSE(button->tip.IsVisible());

  Capture rest = CaptureWindow(button->hwnd);
  EXPECT_EQ(ToPixel(kxFrameColor), rest.At(40, 0));
  EXPECT_EQ(ToPixel(kxFrameColor), rest.At(0, 12));
  EXPECT_EQ(ToPixel(kxFrameColor), rest.At(79, 12));
  EXPECT_EQ(ToPixel(kxFormColor), rest.At(0, 0)) << "the corner lies outside the rounded outline";
  EXPECT_EQ(0xFFFFFFu, rest.At(6, 12)) << "the face inside the outline";
  EXPECT_GT(CountOf(rest, kxButtonTextColor), 0) << "the caption";
  int inked = 0;
  for (int y = 4; y < 20; ++y)
    for (int x = 8; x < 72; ++x) inked += rest.At(x, y) != 0xFFFFFFu;
  EXPECT_GT(inked, 20) << "the caption, smoothed";

  POINT centre = CentreOf(button->hwnd);
  MovePointerTo(centre.x, centre.y);
  ASSERT_TRUE(PumpUntil([&] { return button->tip.IsVisible(); }, 5000));
  Capture hot = CaptureWindow(button->hwnd);
  EXPECT_EQ(ToPixel(kxHotFrameColor), hot.At(40, 0));
  EXPECT_EQ(ToPixel(kxHotFrameColor), hot.At(0, 12));

  RECT b = button->WindowRect();
  RECT t = button->tip.WindowRect();
  EXPECT_EQ(b.right - 20, t.left);
  EXPECT_EQ(b.bottom + 8, t.top);
  KxCanvas measure(&button->tip);
  SIZE text = measure.TextExtent(button->tip.font, "保存设置");
  EXPECT_EQ(text.cx + 8, t.right - t.left);
  EXPECT_EQ(text.cy + 4, t.bottom - t.top);
  EXPECT_EQ(form->hwnd, GetActiveWindow()) << "the tip shows without activation";

  Capture tip = CaptureWindow(button->tip.hwnd);
  EXPECT_EQ(0u, tip.At(0, 0));
  EXPECT_EQ(ToPixel(kxTipColor), tip.At(2, 1));
  EXPECT_GT(CountOf(tip, kxBlackColor), 2 * (tip.width + tip.height)) << "frame and text";

  MovePointerTo(700, 600);
  ASSERT_TRUE(PumpUntil([&] { return !button->tip.IsVisible(); }, 5000));
  EXPECT_EQ(ToPixel(kxFrameColor), CaptureWindow(button->hwnd).At(40, 0));
}

TEST_F(Buttons, FaceOutlineAndPicture) {
  struct Case {
    const char* caption;
    bool picture;
    bool outline;
  } cases[] = {
      {"", true, false},
      {"", false, false},
      {"打开", true, true},  // the face must not cover the picture
      {"打开", false, true},
  };
  const COLORREF red = RGB(255, 0, 0);
  for (const Case& c : cases) {
    KxButton* button = new KxButton(form, c.caption, KxRect{20, 20, 80, 24});
    if (c.picture) button->picture.SetBitmap(SolidBitmap(8, 8, red));
    Capture shot = CaptureWindow(button->hwnd);
    EXPECT_EQ(ToPixel(c.outline ? kxFrameColor : kxFormColor), shot.At(40, 0)) << c.caption;
    // Drawn at (2, (24 - 8) / 2).
    EXPECT_EQ(c.picture ? ToPixel(red) : ToPixel(c.outline ? kxWhiteColor : kxFormColor),
              shot.At(5, 11))
        << c.caption << " " << c.picture;
    EXPECT_EQ(c.picture ? 64 : 0, CountOf(shot, red)) << c.caption;
    delete button;
  }
}

TEST_F(Buttons, PressedMovesTheCaptionAndADoubleClickCountsTwice) {
  KxButton* button = new KxButton(form, "确定", KxRect{20, 20, 80, 24});
  Clicks clicks;
  BindClick(*button, &clicks, &Clicks::Clicked);
  POINT centre = CentreOf(button->hwnd);
  MovePointerTo(centre.x, centre.y);
  PumpUntil([&] { return button->hovering; }, 3000);
  int restRow = FirstRowOf(CaptureWindow(button->hwnd), kxButtonTextColor);
  ASSERT_GE(restRow, 0);

  PressLeft();
  ASSERT_TRUE(button->IsPressed());
  Capture pressed = CaptureWindow(button->hwnd);
  EXPECT_EQ(restRow + 1, FirstRowOf(pressed, kxButtonTextColor));
  EXPECT_EQ(ToPixel(kxHotFrameColor), pressed.At(40, 0));
  ReleaseLeft();
  PressLeft();
  ReleaseLeft();
  PumpUntil([&] { return clicks.count >= 2; }, 3000);
  PumpFor(100);
  EXPECT_EQ(2, clicks.count);
}

TEST_F(Buttons, TipPlacement) {
  struct Case {
    int width;
    bool fromLeft;  // too narrow for right - 20: left + 10
  } cases[] = {{20, false}, {19, true}};
  for (const Case& c : cases) {
    KxButton* button = new KxButton(form, "A", KxRect{30, 40, c.width, 20});
    button->SetTip("tip");
    KxEvtParam p;
    button->OnMouseHover(p);
    RECT b = button->WindowRect();
    RECT t = button->tip.WindowRect();
    EXPECT_TRUE(button->tip.IsVisible()) << c.width;
    EXPECT_EQ(c.fromLeft ? b.left + 10 : b.right - 20, t.left) << c.width;
    EXPECT_EQ(b.bottom + 8, t.top) << c.width;
    delete button;
  }
  // Without SetTip there is no tip window, and hovering shows nothing.
  KxButton* plain = new KxButton(form, "B", KxRect{30, 40, 50, 20});
  KxEvtParam p;
  plain->OnMouseHover(p);
  EXPECT_EQ(NULL, plain->tip.hwnd);
}

}  // namespace
