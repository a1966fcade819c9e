// The small controls on real windows: check box, tool bar and tool button, progress bar,
// labels and link labels, group box. Pixels are read back from the painted windows; the
// pointer is driven with real input.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "kx/KxCheckBox.h"
#include "kx/KxGroupBox.h"
#include "kx/KxLabel.h"
#include "kx/KxProgressBar.h"
#include "kx/KxToolBar.h"
#include "tests/support/FormTest.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"

namespace {

class SmallControls : public FormTest {
protected:
  void SetUp() override {
    OpenFormInFront("small", KxRect{100, 100, 320, 220}, POINT{700, 600});
    PumpFor(50);
  }
  void ClickAt(POINT p) {
    MovePointerTo(p.x, p.y);
    SendButtonAt(MOUSEEVENTF_LEFTDOWN, p);
    SendButtonAt(MOUSEEVENTF_LEFTUP, p);
    PumpFor(50);
  }
};

BOOL CALLBACK CollectVisibleTopWindow(HWND window, LPARAM param) {
  if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

// The visible top-level windows that are not in before.
std::vector<HWND> WindowsShownSince(const std::vector<HWND>& before) {
  std::vector<HWND> now, added;
  EnumWindows(CollectVisibleTopWindow, reinterpret_cast<LPARAM>(&now));
  for (HWND window : now)
    if (std::find(before.begin(), before.end(), window) == before.end()) added.push_back(window);
  return added;
}

int CountOf(const Capture& c, COLORREF color) {
  int n = 0;
  for (DWORD p : c.pixels) n += p == ToPixel(color);
  return n;
}

// Text is smoothed: count the dark pixels, not only the pure colour.
int CountDark(const Capture& c) {
  int n = 0;
  for (DWORD p : c.pixels) n += ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60;
  return n;
}

int TextWidth(KxCard* card, const char* text) {
  KxCanvas measure(card);
  return measure.TextExtent(card->font, text).cx;
}

struct States {
  int Clicked(KxEvtParam&) {
    seen.push_back(box->IsChecked());
    return 0;
  }
  KxCheckBox* box;
  std::vector<bool> seen;
};

// A 20-pixel-high box: square (2, 4)-(14, 16); the cross meets near (7, 10).
TEST_F(SmallControls, CheckBoxTogglesBeforeItsHandlerAndDrawsTheCross) {
  KxCheckBox* box = new KxCheckBox(form, "自动运行", KxRect{20, 20, 120, 20});
  Capture plain = CaptureWindow(box->hwnd);
  EXPECT_EQ(0xFFFFFFu, plain.At(7, 10));
  EXPECT_EQ(0, CountOf(plain, kxTickColor));
  EXPECT_EQ(ToPixel(GetSysColor(COLOR_BTNSHADOW)), plain.At(2, 4)) << "flat sunken edge";
  EXPECT_EQ(ToPixel(kxFormColor), plain.At(1, 10));

  box->SetChecked(true);
  Capture checked = CaptureWindow(box->hwnd);
  EXPECT_EQ(ToPixel(kxTickColor), checked.At(7, 10));
  EXPECT_GT(CountOf(checked, kxTickColor), 20) << "two diagonals, two pixels wide";
  for (int y = 0; y < checked.height; ++y)
    for (int x = 14; x < checked.width; ++x)
      EXPECT_NE(ToPixel(kxTickColor), checked.At(x, y)) << "the cross stays in the box";
  box->SetChecked(false);

  States states{box, {}};
  BindClick(*box, &states, &States::Clicked);
  ClickAt(CentreOf(box->hwnd));
  PumpUntil([&] { return states.seen.size() >= 1; }, 3000);
  Capture hovered = CaptureWindow(box->hwnd);
  EXPECT_EQ(0u, hovered.At(2, 4)) << "black outline while hovered";
  EXPECT_EQ(ToPixel(kxTickColor), hovered.At(7, 10));
  ClickAt(CentreOf(box->hwnd));
  PumpUntil([&] { return states.seen.size() >= 2; }, 3000);
  EXPECT_EQ((std::vector<bool>{true, false}), states.seen);
}

TEST_F(SmallControls, CheckBoxAutoSizeIsBoxPlusCaption) {
  KxCheckBox* box = new KxCheckBox(form, "显示托盘图标", KxRect{20, 20, 30, 20});
  box->SetAutoSize(true);
  EXPECT_EQ(20 + TextWidth(box, "显示托盘图标"), box->width);
  RECT r = box->WindowRect();
  EXPECT_EQ(box->width, r.right - r.left);
}

TEST_F(SmallControls, ToolBarLaysOutItsButtonsAndGrows) {
  KxToolBar* bar = new KxToolBar(form, KxRect{10, 10, 300, 40});
  EXPECT_EQ(26, bar->height);
  KxToolBtn* first = bar->AddButton();
  KxToolBtn* second = bar->AddButton();
  KxToolBtn* third = bar->AddButton();
  EXPECT_EQ(8, first->x);
  EXPECT_EQ(8 + 18 + 1, second->x);
  EXPECT_EQ(8 + 2 * (18 + 1), third->x);
  EXPECT_EQ(4, third->y);
  EXPECT_EQ(third->x + 18 + 1 + 4, bar->width);

  // The grip: grey lines at x = 3 and 5 of the client area, inside the etched border.
  Capture shot = CaptureWindow(bar->hwnd);
  EXPECT_EQ(ToPixel(kxGreyLineColor), shot.At(1 + 3, 1 + 10));
  EXPECT_EQ(ToPixel(kxGreyLineColor), shot.At(1 + 5, 1 + 10));
  EXPECT_EQ(ToPixel(kxFormColor), shot.At(1 + 4, 1 + 10));
}

TEST_F(SmallControls, ToolButtonHoverFillAndCheckedFrame) {
  KxToolBar* bar = new KxToolBar(form, KxRect{10, 10, 300, 40});
  KxToolBtn* toggle = bar->AddButton();
  KxToolBtn* plain = bar->AddButton();
  toggle->checkable = true;

  ClickAt(CentreOf(toggle->hwnd));
  EXPECT_TRUE(toggle->checked);
  Capture hovered = CaptureWindow(toggle->hwnd);
  EXPECT_EQ(ToPixel(kxToolHoverColor), hovered.At(9, 9));
  EXPECT_EQ(ToPixel(kxHotFrameColor), hovered.At(0, 0));

  ClickAt(CentreOf(plain->hwnd));
  EXPECT_FALSE(plain->checked) << "only a checkable button toggles";
  PumpUntil([&] { return !toggle->hovering; }, 3000);
  Capture resting = CaptureWindow(toggle->hwnd);
  EXPECT_EQ(ToPixel(kxFormColor), resting.At(9, 9));
  EXPECT_EQ(ToPixel(kxHotFrameColor), resting.At(0, 0)) << "checked keeps its frame";
}

// A 102 x 12 bar: frame at x = 0 and 101, inner area x = 1 .. 100.
TEST_F(SmallControls, ProgressBarFillsItsShareOfTheRange) {
  struct Case {
    int minimum, maximum, position;
    int filledTo;  // last blue column, 0 for none
  } cases[] = {
      {0, 100, 0, 0},     {0, 100, 50, 50},  {0, 100, 100, 100},
      {50, 150, 100, 50},   // measured from the minimum
      {0, 100, 150, 100},   // beyond the maximum: full, inside the frame
      {0, 100, -5, 0},      {0, 0, 0, 2},      // an empty range shows a two-pixel stub
      {10, 5, 7, 2},
  };
  const COLORREF blue = RGB(80, 182, 231);
  KxProgressBar* bar = new KxProgressBar(form);
  ASSERT_TRUE(bar->Create(form, "", WS_CHILD | WS_VISIBLE, KxRect{10, 10, 102, 12}));
  for (const Case& c : cases) {
    bar->SetRange(c.minimum, c.maximum);
    bar->SetPosition(c.position);
    Capture shot = CaptureWindow(bar->hwnd);
    EXPECT_EQ(ToPixel(kxGreyLineColor), shot.At(0, 5));
    EXPECT_EQ(ToPixel(kxGreyLineColor), shot.At(101, 5));
    EXPECT_EQ(ToPixel(kxGreyLineColor), shot.At(50, 11));
    int last = 0;
    for (int x = 1; x <= 100; ++x)
      if (shot.At(x, 5) == ToPixel(blue)) last = x;
    EXPECT_EQ(c.filledTo, last) << c.minimum << " " << c.maximum << " " << c.position;
    EXPECT_EQ(c.filledTo * 10, CountOf(shot, blue)) << "rows 1 .. 10, from column 1";
  }

  bar->SetRange(0, 3);
  bar->SetPosition(0);
  for (int i = 0; i < 5; ++i) bar->StepIt();
  EXPECT_EQ(3, bar->position);
}

TEST_F(SmallControls, LabelAutoSizeFollowsTheText) {
  KxLabel* fitting = new KxLabel(form, "版本", KxRect{10, 10, 200, 20});
  KxLabel* fixed = new KxLabel(form, "版本", KxRect{10, 40, 200, 20});
  fixed->SetAutoSize(false);
  fitting->SetText("当前版本 1.0.3");
  fixed->SetText("当前版本 1.0.3");
  EXPECT_EQ(TextWidth(fitting, "当前版本 1.0.3") + 4, fitting->width);
  EXPECT_EQ(20, fitting->height);
  EXPECT_EQ(200, fixed->width);
  fixed->SetAutoSize(true);
  EXPECT_EQ(fitting->width, fixed->width);
  EXPECT_GT(CountDark(CaptureWindow(fitting->hwnd)), 20);
  // The room before a neighbour: wider texts stop there, narrower ones keep their width.
  fitting->SetMaxWidth(40);
  EXPECT_EQ(40, fitting->width);
  fitting->SetText("版");
  EXPECT_EQ(TextWidth(fitting, "版") + 4, fitting->width);
  fitting->SetText("当前版本 1.0.3");
  EXPECT_EQ(40, fitting->width);
  fitting->SetMaxWidth(0);
  EXPECT_EQ(fixed->width, fitting->width);
}

TEST_F(SmallControls, LinkColoursFollowThePointerAndThePress) {
  KxLabellink* link = new KxLabellink(form, "访问主页", KxRect{20, 20, 100, 20});
  // The underline is one solid row at rest.
  Capture rest = CaptureWindow(link->hwnd);
  EXPECT_GT(CountOf(rest, kxLinkColor), TextWidth(link, "访问主页") - 2);
  EXPECT_EQ(0, CountOf(rest, kxLinkHoverColor));

  POINT centre = CentreOf(link->hwnd);
  MovePointerTo(centre.x, centre.y);
  ASSERT_TRUE(PumpUntil([&] { return link->hovering; }, 3000));
  Capture hot = CaptureWindow(link->hwnd);
  EXPECT_GT(CountOf(hot, kxLinkHoverColor), 10);
  EXPECT_EQ(0, CountOf(hot, kxLinkColor));
  EXPECT_EQ(LoadCursorA(NULL, IDC_HAND), GetCursor());

  PressLeft();
  EXPECT_GT(CountOf(CaptureWindow(link->hwnd), kxLinkPressedColor), 10);
  ReleaseLeft();
  EXPECT_GT(CountOf(CaptureWindow(link->hwnd), kxLinkHoverColor), 10) << "released while hovering";

  MovePointerTo(700, 600);
  ASSERT_TRUE(PumpUntil([&] { return !link->hovering; }, 3000));
  EXPECT_GT(CountOf(CaptureWindow(link->hwnd), kxLinkColor), 10);
}

TEST_F(SmallControls, UrlLabelWithoutAnAddressOpensItsCaption) {
  KxString dir = MakeScratchDir("label-url");
  KxString script = dir + "\\mark.cmd";
  KxString marker = dir + "\\opened.txt";
  ASSERT_TRUE(WriteFileBytes(script, KxString("@echo opened> \"") + marker + "\"\r\n"));
  KxLabelUrl* label = new KxLabelUrl(form, script, KxRect{10, 10, 280, 20}, "");
  std::vector<HWND> before = WindowsShownSince({});
  ClickAt(CentreOf(label->hwnd));
  EXPECT_TRUE(WaitFor([&] { return FileExistsAt(marker); }, 20000));
  // Whatever the script showed (its console window above all) must be gone before the
  // next test reads pixels from the screen; its title is not the same on every system.
  EXPECT_TRUE(PumpUntil([&] { return WindowsShownSince(before).empty(); }, 10000));
  RemoveTree(dir);
}

// The caption interrupts the top line of the etched frame, which lies at y = 4.
TEST_F(SmallControls, GroupBoxCaptionInterruptsTheFrame) {
  KxGroupBox* group = new KxGroupBox(form, "热键设置", KxRect{10, 10, 200, 80});
  int text = TextWidth(group, "热键设置");
  Capture shot = CaptureWindow(group->hwnd);
  const DWORD shadow = ToPixel(GetSysColor(COLOR_BTNSHADOW));
  for (int x = 8; x < 8 + text; ++x) EXPECT_NE(shadow, shot.At(x, 4)) << x;
  for (int x = 8 + text + 1; x < 195; ++x) EXPECT_EQ(shadow, shot.At(x, 4)) << x;
  EXPECT_EQ(shadow, shot.At(3, 4));
  EXPECT_EQ(shadow, shot.At(0, 40)) << "left side";
  EXPECT_GT(CountDark(shot), 20) << "the caption";
}

}  // namespace
