// Controls and forms on real windows: the order in which a message reaches overrides,
// command handlers, slots and listeners; clicks from real input; painted pixels; the
// modal loop; hover tracking.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <shlobj.h>

#include <cstring>

#include "kx/KxPanel.h"
#include "kx/KxTrack.h"
#include "tests/support/FormTest.h"
#include "tests/support/GuiTestUtil.h"

namespace {

std::vector<std::string> trace;

class Controls : public FormTest {
protected:
  void SetUp() override {
    trace.clear();
    OpenForm("controls", KxRect{100, 100, 300, 200});
  }
};

// Records the override and every slot it is asked about.
class Traced : public KxControl {
public:
  Traced(KxControl* parent, const KxRect& rect) : KxControl(parent) {
    Create(parent, "", WS_CHILD | WS_VISIBLE, rect);
  }
  LRESULT WndProc(KxMsg& m) override {
    if (m.msg == WM_KEYDOWN || m.msg == WM_SHOWWINDOW || m.msg == KX_WM_CLICK ||
        m.msg == WM_LBUTTONUP)
      trace.push_back("override");
    return KxControl::WndProc(m);
  }
  void OnKeyDown(WPARAM, LPARAM) override { trace.push_back("slot"); }
  void OnShow() override { trace.push_back("show"); }
  void OnHide() override { trace.push_back("hide"); }
  void OnClick(KxEvtParam&) override { trace.push_back("click"); }
  void OnLButtonUp(WPARAM, POINT) override { trace.push_back("up"); }
};

struct Handlers {
  int Command(KxEvtParam&) {
    trace.push_back("command");
    return 7;
  }
  int Listener(KxEvtParam&) {
    trace.push_back("listener");
    return 0;
  }
  int Clicked(KxEvtParam&) {
    trace.push_back("bound click");
    return 0;
  }
};

// A traced control on form whose click runs handlers' Clicked, with the left button
// pressed on its centre by real input.
Traced* PressedClickable(KxForm* form, Handlers& handlers) {
  Traced* control = new Traced(form, KxRect{20, 20, 80, 40});
  BindClick(*control, &handlers, &Handlers::Clicked);
  PumpFor(50);
  POINT centre = CentreOf(control->hwnd);
  MovePointerTo(centre.x, centre.y);
  PressLeft();
  return control;
}

TEST_F(Controls, MessageOrderIsOverrideSlotListenerThenShow) {
  Traced* control = new Traced(form, KxRect{10, 10, 50, 20});
  Handlers handlers;
  BindMsg(*control, WM_KEYDOWN, &handlers, &Handlers::Listener);
  SendMessageA(control->hwnd, WM_KEYDOWN, 'A', 0);
  EXPECT_EQ((std::vector<std::string>{"override", "slot", "listener"}), trace);

  trace.clear();
  BindMsg(*control, WM_SHOWWINDOW, &handlers, &Handlers::Listener);
  ShowWindow(control->hwnd, SW_HIDE);
  EXPECT_EQ((std::vector<std::string>{"override", "listener", "hide"}), trace);
}

TEST_F(Controls, CommandHandlerEndsEverything) {
  Traced* control = new Traced(form, KxRect{10, 10, 50, 20});
  Handlers handlers;
  BindMsg(*control, WM_KEYDOWN, &handlers, &Handlers::Listener);
  BindCmd(*control, WM_KEYDOWN, &handlers, &Handlers::Command);
  EXPECT_EQ(7, SendMessageA(control->hwnd, WM_KEYDOWN, 'A', 0));
  EXPECT_EQ((std::vector<std::string>{"override", "command"}), trace);
}

TEST_F(Controls, ClickFromRealInputRunsTheBoundHandlerAfterTheRelease) {
  Handlers handlers;
  Traced* control = PressedClickable(form, handlers);
  EXPECT_TRUE(control->IsPressed());
  ReleaseLeft();
  PumpUntil([] { return trace.size() >= 5; }, 3000);
  EXPECT_EQ((std::vector<std::string>{"override", "click", "up", "override", "bound click"}), trace);
  EXPECT_FALSE(control->IsPressed());
}

TEST_F(Controls, ReleaseOutsideTheControlGivesNoClick) {
  Handlers handlers;
  Traced* control = PressedClickable(form, handlers);
  POINT centre = CentreOf(control->hwnd);
  MovePointerTo(centre.x + 150, centre.y + 100);
  ReleaseLeft();
  PumpUntil([] { return trace.size() >= 2; }, 3000);
  PumpFor(100);
  EXPECT_EQ((std::vector<std::string>{"override", "up"}), trace);

  // A release without a press on the control is no click either.
  trace.clear();
  SendMessageA(control->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  PumpFor(30);
  EXPECT_EQ((std::vector<std::string>{"override", "up"}), trace);
}

TEST_F(Controls, ParentOwnsAndDestroysItsChildrenFirst) {
  KxPanel* panel = new KxPanel(form, KxRect{0, 0, 100, 100});
  KxControl* inner = new Traced(panel, KxRect{1, 1, 10, 10});
  HWND innerWindow = inner->hwnd;
  EXPECT_EQ(1, form->children.Count());
  EXPECT_EQ(1, panel->children.Count());
  delete panel;
  EXPECT_EQ(0, form->children.Count());
  EXPECT_FALSE(IsWindow(innerWindow));
  EXPECT_EQ(nullptr, KxCardRegistry::Find(innerWindow));
}

TEST_F(Controls, PositionFollowsTheWindow) {
  KxPanel* panel = new KxPanel(form, KxRect{5, 6, 70, 40});
  MoveWindow(panel->hwnd, 15, 25, 90, 50, TRUE);
  EXPECT_EQ(15, panel->x);
  EXPECT_EQ(25, panel->y);
  EXPECT_EQ(90, panel->width);
  EXPECT_EQ(50, panel->height);
  SetWindowPos(form->hwnd, NULL, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(200, form->x);
  EXPECT_EQ(150, form->y);
}

// ---- Pixels

class Painted : public KxControl {
public:
  Painted(KxControl* parent, const KxRect& rect, int border, COLORREF background) : KxControl(parent) {
    borderStyle = border;
    bkColor = background;
    Create(parent, "", WS_CHILD | WS_VISIBLE, rect);
  }
};

TEST_F(Controls, BackgroundAndBordersArePainted) {
  const COLORREF green = RGB(0, 200, 0);
  Painted* flat = new Painted(form, KxRect{10, 10, 60, 40}, 2, green);
  flat->frameColor = RGB(255, 0, 0);
  Painted* none = new Painted(form, KxRect{80, 10, 60, 40}, 0, green);
  Painted* unfilled = new Painted(form, KxRect{150, 10, 60, 40}, 0, 0);

  Capture a = CaptureWindow(flat->hwnd);
  ASSERT_EQ(60, a.width);
  for (int x = 0; x < a.width; ++x) {
    EXPECT_EQ(0xFF0000u, a.At(x, 0)) << x;
    EXPECT_EQ(0xFF0000u, a.At(x, a.height - 1)) << x;
  }
  for (int y = 0; y < a.height; ++y) {
    EXPECT_EQ(0xFF0000u, a.At(0, y)) << y;
    EXPECT_EQ(0xFF0000u, a.At(a.width - 1, y)) << y;
  }
  EXPECT_EQ(ToPixel(green), a.At(30, 20));
  EXPECT_EQ(ToPixel(green), a.At(1, 1)) << "the frame is one pixel wide";

  Capture b = CaptureWindow(none->hwnd);
  EXPECT_EQ(ToPixel(green), b.At(0, 0));
  EXPECT_EQ(ToPixel(green), b.At(59, 39));

  // No fill at all: the fresh off-screen bitmap shows, not the form behind.
  Capture c = CaptureWindow(unfilled->hwnd);
  EXPECT_EQ(0u, c.At(30, 20));
  EXPECT_NE(ToPixel(kxFormColor), c.At(30, 20));
}

TEST_F(Controls, EdgeStylesDrawTheirEdges) {
  Painted* etched = new Painted(form, KxRect{10, 10, 60, 40}, 1, RGB(0, 200, 0));
  Painted* raised = new Painted(form, KxRect{80, 10, 60, 40}, 3, RGB(0, 200, 0));
  Painted* focus = new Painted(form, KxRect{150, 10, 60, 40}, 5, RGB(0, 200, 0));

  // Etched: a sunken outer line over a raised inner one.
  Capture e = CaptureWindow(etched->hwnd);
  EXPECT_EQ(ToPixel(GetSysColor(COLOR_BTNSHADOW)), e.At(0, 0));
  EXPECT_EQ(ToPixel(GetSysColor(COLOR_BTNHIGHLIGHT)), e.At(1, 1));
  EXPECT_EQ(ToPixel(RGB(0, 200, 0)), e.At(30, 20));

  // Raised: light outer top-left, dark outer bottom-right; grown by one pixel, so the
  // right and bottom outer lines fall just outside the window.
  Capture r = CaptureWindow(raised->hwnd);
  EXPECT_EQ(ToPixel(GetSysColor(COLOR_3DLIGHT)), r.At(0, 0));
  EXPECT_EQ(ToPixel(GetSysColor(COLOR_BTNHIGHLIGHT)), r.At(1, 1));
  EXPECT_EQ(ToPixel(GetSysColor(COLOR_BTNSHADOW)), r.At(59, 20));

  // Focus rectangle: a dotted line changes every other pixel of the edge.
  Capture f = CaptureWindow(focus->hwnd);
  int changed = 0;
  for (int x = 0; x < f.width; ++x)
    if (f.At(x, 0) != ToPixel(RGB(0, 200, 0)) && f.At(x, 0) != ToPixel(GetSysColor(COLOR_WINDOWFRAME)))
      ++changed;
  EXPECT_GT(changed, f.width / 4);
  EXPECT_LT(changed, f.width);
}

// ---- Forms

struct Ender {
  int End(KxEvtParam&) {
    form->EndModal(result);
    return 0;
  }
  KxForm* form;
  int result;
};

TEST_F(Controls, EndModalReturnsItsResultAndKeepsTheWindow) {
  KxForm dialog(form, "dialog", KxRect{150, 150, 120, 80}, WS_OVERLAPPEDWINDOW);
  Ender ender{&dialog, 1};
  BindTimer(dialog, &ender, &Ender::End, 50);
  EXPECT_EQ(1, dialog.ShowModal());
  KillTimer(dialog.hwnd, 1);
  EXPECT_TRUE(IsWindow(dialog.hwnd)) << "EndModal's close must be dropped";
  EXPECT_FALSE(IsWindowVisible(dialog.hwnd));
  EXPECT_TRUE(IsWindowEnabled(form->hwnd));
}

struct Closer {
  int Close(KxEvtParam&) {
    KillTimer(form->hwnd, 1);
    EXPECT_FALSE(IsWindowEnabled(owner->hwnd)) << "the owner is disabled during the run";
    PostMessageA(form->hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  KxForm* form;
  KxForm* owner;
};

TEST_F(Controls, CloseBoxEndsTheModalRunWithThree) {
  KxForm dialog(form, "dialog", KxRect{150, 150, 120, 80}, WS_OVERLAPPEDWINDOW);
  Closer closer{&dialog, form};
  BindTimer(dialog, &closer, &Closer::Close, 50);
  EXPECT_EQ(3, dialog.ShowModal());
  EXPECT_TRUE(IsWindowEnabled(form->hwnd));
}

class Refusing : public KxForm {
public:
  using KxForm::KxForm;
  bool CanClose() override { return false; }
};

TEST_F(Controls, CanCloseRefusesTheClose) {
  Refusing dialog(form, "dialog", KxRect{150, 150, 120, 80}, WS_OVERLAPPEDWINDOW);
  SendMessageA(dialog.hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(dialog.hwnd));
}

struct TabWatcher {
  int Key(KxEvtParam& p) {
    keys.push_back(p.key);
    EXPECT_EQ(form, p.sender);
    form->EndModal(1);
    return 0;
  }
  KxForm* form;
  std::vector<int> keys;
};

TEST_F(Controls, TabInAModalRunGoesToTheFormListener) {
  KxForm dialog(form, "dialog", KxRect{150, 150, 120, 80}, WS_OVERLAPPEDWINDOW);
  Traced* child = new Traced(&dialog, KxRect{5, 5, 40, 20});
  TabWatcher watcher{&dialog, {}};
  BindMsg(dialog, WM_KEYDOWN, &watcher, &TabWatcher::Key);
  PostMessageA(child->hwnd, WM_KEYDOWN, VK_TAB, 0);
  EXPECT_EQ(1, dialog.ShowModal());
  EXPECT_EQ((std::vector<int>{VK_TAB}), watcher.keys);
  EXPECT_TRUE(trace.empty()) << "the child must not see the Tab";
}

TEST_F(Controls, PopFormShowsWithoutActivation) {
  SetForegroundWindow(form->hwnd);
  SetActiveWindow(form->hwnd);
  KxPopForm pop(form, KxRect{0, 0, 50, 30});
  pop.ShowAt(POINT{400, 300});
  EXPECT_TRUE(IsWindowVisible(pop.hwnd));
  EXPECT_EQ(400, pop.x);
  EXPECT_NE(pop.hwnd, GetActiveWindow());
}

TEST_F(Controls, FixedSizeAndTaskbarStyles) {
  KxForm window(nullptr, "styles", KxRect{50, 50, 200, 100}, WS_OVERLAPPEDWINDOW);
  window.SetFixedSize(true);
  LONG style = GetWindowLongA(window.hwnd, GWL_STYLE);
  EXPECT_EQ(0, style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  window.SetFixedSize(false);
  style = GetWindowLongA(window.hwnd, GWL_STYLE);
  EXPECT_EQ(WS_THICKFRAME | WS_MAXIMIZEBOX, style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
  EXPECT_EQ(0, style & WS_MINIMIZEBOX);
  window.ShowInTaskbar(false);
  LONG ex = GetWindowLongA(window.hwnd, GWL_EXSTYLE);
  EXPECT_EQ(WS_EX_TOOLWINDOW, ex & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW));
  window.CenterOnScreen();
  EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 200) / 2, window.x);
}

// ---- Hover

struct HoverCounts {
  int enter = 0, hover = 0, leave = 0;
};

class Hovered : public KxTrack<KxControl> {
public:
  Hovered(KxControl* parent, const KxRect& rect, HoverCounts* counts) : counts(counts) {
    Create(parent, "", WS_CHILD | WS_VISIBLE, rect);
  }
  void OnMouseEnter(KxEvtParam&) override { ++counts->enter; }
  void OnMouseHover(KxEvtParam&) override { ++counts->hover; }
  void OnMouseLeave(KxEvtParam&) override { ++counts->leave; }
  HoverCounts* counts;
};

TEST_F(Controls, HoverTrackingFromRealPointerMoves) {
  HoverCounts counts;
  Hovered* hovered = new Hovered(form, KxRect{20, 20, 100, 60}, &counts);
  hovered->hoverTime = 150;
  PumpFor(50);
  POINT centre = CentreOf(hovered->hwnd);
  MovePointerTo(centre.x, centre.y);
  MovePointerTo(centre.x + 2, centre.y + 1);
  PumpUntil([&] { return counts.hover >= 2; }, 5000);
  EXPECT_EQ(1, counts.enter);
  EXPECT_GE(counts.hover, 2) << "a resting pointer hovers again every hoverTime";
  EXPECT_EQ(0, counts.leave);
  MovePointerTo(centre.x + 400, centre.y + 300);
  PumpUntil([&] { return counts.leave >= 1; }, 5000);
  EXPECT_EQ(1, counts.leave);
  EXPECT_FALSE(hovered->hovering);
}

}  // namespace

namespace {

class DropTarget : public KxControl {
public:
  explicit DropTarget(KxControl* parent) : KxControl(parent) {
    Create(parent, "", WS_CHILD | WS_VISIBLE, KxRect{0, 0, 40, 40});
  }
  void OnDropFiles(const KxStringList& paths) override {
    for (int i = 0; i < paths.Count(); ++i) dropped.Add(*paths.At(i));
  }
  KxStringList dropped;
};

// A drop handle as the shell makes it: DROPFILES followed by zero-terminated names.
HDROP MakeDrop(const char* names, size_t bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + bytes);
  DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names, bytes);
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

struct Ticks {
  int Tick(KxEvtParam&) { return 0; }
};

TEST_F(Controls, DroppedFilesArriveAsAListInOrder) {
  DropTarget* target = new DropTarget(form);
  static const char names[] = "C:\\a.txt\0C:\\目录\\b.exe\0";
  SendMessageA(target->hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names, sizeof(names))), 0);
  ASSERT_EQ(2, target->dropped.Count());
  EXPECT_TRUE(*target->dropped.At(0) == "C:\\a.txt");
  EXPECT_TRUE(*target->dropped.At(1) == "C:\\目录\\b.exe");
}

TEST_F(Controls, TimerIdsCountUpPerCard) {
  KxPanel* panel = new KxPanel(form, KxRect{0, 0, 10, 10});
  Ticks ticks;
  EXPECT_EQ(1u, BindTimer(*panel, &ticks, &Ticks::Tick, 1000));
  EXPECT_EQ(2u, BindTimer(*panel, &ticks, &Ticks::Tick, 1000));
  EXPECT_EQ(3u, BindTimer(*panel, &ticks, &Ticks::Tick, 1000));
  EXPECT_EQ(1u, BindTimer(*form, &ticks, &Ticks::Tick, 1000));
}

}  // namespace
