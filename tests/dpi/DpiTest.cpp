// The program's windows on a screen of 144 DPI (150 %), the prefix's LogPixels: every
// size and child place is half as large again as its 96-DPI value, text stays inside its
// control, menus measure their items at the scale; and windows that meet another DPI
// (WM_DPICHANGED) take the suggested rectangle and lay their children out at it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "hotkey/FrmOption.h"
#include "hotkey/FrmShutCut.h"
#include "hotkey/KxPanelModule.h"
#include "kx/KxButton.h"
#include "kx/KxCheckBox.h"
#include "kx/KxDpi.h"
#include "kx/KxGridPresets.h"
#include "kx/KxImageBox.h"
#include "kx/KxLabel.h"
#include "kx/KxMenu.h"
#include "kx/KxToolBar.h"
#include "launcher/FrmAbout.h"
#include "launcher/FrmMain.h"
#include "launcher/FrmMenu.h"
#include "notes/FrmNoteManage.h"
#include "notes/FrmNotePage.h"
#include "notes/NotePlacement.h"
#include "store/KxDb.h"
#include "store/NoteRecord.h"
#include "store/Schema.h"
#include "VelixVersion.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/MenuDriver.h"
#include "tests/support/TestUtil.h"

namespace {

constexpr int kScreenDpi = 144;

int At(int value, int dpi) { return MulDiv(value, dpi, 96); }

// Where a window stands in its parent's client area (or on the screen), and its size.
std::vector<int> PlaceOf(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  POINT topLeft = {r.left, r.top};
  if (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) ScreenToClient(GetParent(hwnd), &topLeft);
  return {topLeft.x, topLeft.y, r.right - r.left, r.bottom - r.top};
}

std::vector<int> Scaled(const KxRect& r, int dpi) {
  return {At(r.x, dpi), At(r.y, dpi), At(r.width, dpi), At(r.height, dpi)};
}

KxControl* ChildWithText(KxControl* root, const char* text) {
  for (KxControl* child : root->children) {
    if (child->GetText() == text) return child;
    if (KxControl* found = ChildWithText(child, text)) return found;
  }
  return nullptr;
}

// The bounds of the pixels near a colour in a part of a capture: the ink of a text drawn
// in it (its anti-aliased edge left out).
RECT InkBounds(const Capture& shot, const RECT& within, COLORREF color) {
  RECT ink = {within.right, within.bottom, within.left, within.top};
  int red = GetRValue(color), green = GetGValue(color), blue = GetBValue(color);
  for (int y = std::max(0L, within.top); y < std::min(static_cast<LONG>(shot.height), within.bottom); ++y) {
    for (int x = std::max(0L, within.left); x < std::min(static_cast<LONG>(shot.width), within.right); ++x) {
      DWORD p = shot.At(x, y);
      int distance = std::abs(static_cast<int>((p >> 16) & 0xFF) - red) +
                     std::abs(static_cast<int>((p >> 8) & 0xFF) - green) +
                     std::abs(static_cast<int>(p & 0xFF) - blue);
      if (distance > 90) continue;
      ink.left = std::min(ink.left, static_cast<LONG>(x));
      ink.top = std::min(ink.top, static_cast<LONG>(y));
      ink.right = std::max(ink.right, static_cast<LONG>(x + 1));
      ink.bottom = std::max(ink.bottom, static_cast<LONG>(y + 1));
    }
  }
  return ink;
}

// A child's rectangle in a capture of the whole window.
RECT RectIn(HWND window, HWND child) {
  RECT r = {}, outer = {};
  GetWindowRect(child, &r);
  GetWindowRect(window, &outer);
  OffsetRect(&r, -outer.left, -outer.top);
  return r;
}

// A note that is only looked at.
class NoEvents : public NoteWindowEvents {
public:
  void EditAsked(FrmNotePage&, POINT) override {}
  void MenuAsked(FrmNotePage&) override {}
  void Released(FrmNotePage&) override {}
  void TextStored(FrmNotePage&, const KxString&) override {}
};

class Dpi : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    dir = MakeScratchDir("dpi");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
    MovePointerTo(20, 20);
  }
  void TearDown() override {
    DestroyOptionsForm();
    DestroyMaintenanceForm();
    DestroyNoteManagerForm();
    PumpFor(20);
    TheDb.Close();
    RemoveTree(dir);
  }
  KxString dir;
};

// One window of the program as a test opens it: the form, its size at 96 DPI (0 for one
// that keeps its pixels) and children with their 96-DPI places.
struct Opened {
  KxForm* form = nullptr;
  SIZE size96 = {0, 0};
  std::vector<std::pair<KxControl*, KxRect>> children;
  std::function<void()> close;
};

}  // namespace

TEST_F(Dpi, TheScreenIsAt144) {
  EXPECT_EQ(kScreenDpi, KxSystemDpi()) << "the prefix of this program has LogPixels 144";
}

TEST_F(Dpi, WindowsAndTheirChildrenAreHalfAsLargeAgain) {
  NoteRecord note;
  note.left = 200;
  note.top = 150;
  note.width = 160;
  note.height = 120;
  ASSERT_TRUE(InsertNote(note));
  ASSERT_TRUE(SetNoteText(note.id, "便签 at 150 %"));
  ASSERT_TRUE(SetNoteFlags(note.id, kNoteSized));
  note.flags = kNoteSized;
  note.text = "便签 at 150 %";
  NoEvents events;

  const struct {
    const char* name;
    std::function<Opened()> open;
  } windows[] = {
      {"about",
       [] {
         Opened o;
         FrmAbout* about = new FrmAbout(nullptr);
         about->Show();
         o.form = about;
         o.size96 = {340, 128};
         o.children = {{ChildWithText(about, "确定"), {240, 20, 75, 23}}};
         o.close = [about] { delete about; };
         return o;
       }},
      {"settings",
       [] {
         Opened o;
         ToggleOptionsForm();
         FrmOption* w = FindToolWindow<FrmOption>(kOptionsCaption);
         o.form = w;
         o.size96 = {600, 510};
         if (w) {
           o.children = {{static_cast<KxControl*>(w->mark), {12, 8, 32, 32}},
                         {static_cast<KxControl*>(w->autostartBox), {10, 15, 260, 20}},
                         {static_cast<KxControl*>(w->hotKeyRows[0]), {275, 15, 280, 20}}};
         }
         return o;
       }},
      {"maintenance",
       [] {
         Opened o;
         ToggleMaintenanceForm();
         FrmMenu* w = FindToolWindow<FrmMenu>(kMaintenanceCaption);
         o.form = w;
         o.size96 = {540, 600};
         if (w) o.children = {{w->closeButton, {20, 18, 36, 36}}};
         return o;
       }},
      {"note manager",
       [] {
         Opened o;
         ToggleNoteManagerForm();
         FrmNoteManage* w = FindToolWindow<FrmNoteManage>(kNoteManagerCaption);
         o.form = w;
         o.size96 = {800, 600};
         if (w) {
           o.children = {{w->toolBar->buttons.Head()->value, {8, 4, 18, 18}},
                         {w->table, {4, 38, w->table->width, w->table->height}}};
         }
         return o;
       }},
      {"hotkey editor",
       [] {
         Opened o;
         FrmShutCut* editor = new FrmShutCut(nullptr, POINT{120, 90});
         editor->Show();
         o.form = editor;
         o.size96 = {270, 172};
         o.children = {{ChildWithText(editor, "Win"), {150, 36, 46, 20}},
                       {ChildWithText(editor, "确定"), {12, 140, 60, 20}}};
         o.close = [editor] { delete editor; };
         return o;
       }},
      {"kit",
       [] {
         Opened o;
         FrmMain* kit = new FrmMain();
         kit->Show();
         o.form = kit;
         o.size96 = {FrmMain::kStartWidth, FrmMain::kStartWidth};
         o.children = {{const_cast<KxImageBox*>(kit->Picture()),
                        {0, 0, FrmMain::kStartWidth, FrmMain::kStartWidth}}};
         o.close = [kit] { delete kit; };
         return o;
       }},
      {"note",
       [&note, &events] {
         Opened o;
         MonitorAreas areas;
         LiveWorkAreas(areas);
         FrmNotePage* page = new FrmNotePage(events, note, areas);
         ShowWindow(page->hwnd, SW_SHOWNA);
         o.form = page;
         o.close = [page] { delete page; };
         return o;
       }},
  };
  for (const auto& w : windows) {
    SCOPED_TRACE(w.name);
    Opened o = w.open();
    ASSERT_NE(nullptr, o.form);
    PumpUntil([&] { return o.form->IsVisible(); }, 3000);
    PumpFor(300);
    EXPECT_EQ(kScreenDpi, o.form->dpi);
    std::vector<int> place = PlaceOf(o.form->hwnd);
    if (o.size96.cx) {
      EXPECT_EQ(std::vector<int>({At(o.size96.cx, kScreenDpi), At(o.size96.cy, kScreenDpi)}),
                std::vector<int>({place[2], place[3]}));
    } else {
      // A note keeps the rectangle it has in pixels; its text grows with the screen.
      EXPECT_EQ(std::vector<int>({note.left, note.top, note.width, note.height}), place);
      KxTextBox* box = static_cast<FrmNotePage*>(o.form)->textBox;
      ASSERT_NE(nullptr, box);
      KxTextBox at96;
      at96.ApplyDpi(96);
      at96.MeasureFont();
      EXPECT_GE(box->charHeight * 4, at96.charHeight * 5) << box->charHeight << " " << at96.charHeight;
    }
    for (const auto& child : o.children) {
      ASSERT_NE(nullptr, child.first);
      EXPECT_EQ(Scaled(child.second, kScreenDpi), PlaceOf(child.first->hwnd))
          << child.first->GetText().CStr();
    }
    SaveBmp(CaptureWindow(o.form->hwnd), TestBinDir() + "\\dpi-" + w.name + ".bmp");
    if (o.close) {
      o.close();
    } else {
      o.form->Hide();
    }
    PumpFor(20);
  }
}

TEST_F(Dpi, TextIsDrawnWholeInsideItsControl) {
  FrmAbout about(nullptr);
  about.Show();
  PumpFor(300);
  Capture shot = CaptureWindow(about.hwnd);
  const struct {
    const char* text;
    COLORREF color;
    int frame;  // the outline's pixels inside the control, left out of the search
  } texts[] = {
      {"确定", kxButtonTextColor, 3},
      {"感谢使用Velix桌面工具", kxBlackColor, 0},
      {"Velix " VELIX_VERSION_TEXT " 版", kxBlackColor, 0},
  };
  for (const auto& t : texts) {
    SCOPED_TRACE(t.text);
    KxControl* control = ChildWithText(&about, t.text);
    ASSERT_NE(nullptr, control);
    RECT box = RectIn(about.hwnd, control->hwnd);
    RECT inside = box;
    InflateRect(&inside, -t.frame, -t.frame);
    RECT ink = InkBounds(shot, inside, t.color);
    ASSERT_LT(ink.left, ink.right) << "no text drawn";
    // All of the text at the scaled font: as wide as it measures, and clear of the edges
    // (a text cut by its control runs into an edge and lacks its end).
    HDC dc = GetDC(control->hwnd);
    HGDIOBJ old = SelectObject(dc, control->font.Handle());
    SIZE extent = {};
    GetTextExtentPoint32A(dc, t.text, lstrlenA(t.text), &extent);
    SelectObject(dc, old);
    ReleaseDC(control->hwnd, dc);
    EXPECT_GE(extent.cy, 18) << "the font of 144 DPI";
    EXPECT_GE((ink.right - ink.left) * 10, extent.cx * 9) << ink.right - ink.left << " of " << extent.cx;
    EXPECT_GT(ink.left, inside.left);
    EXPECT_LT(ink.right, inside.right);
    EXPECT_GT(ink.top, inside.top);
    EXPECT_LT(ink.bottom, inside.bottom);
  }
}

TEST_F(Dpi, MenuItemsAreMeasuredAtTheScale) {
  KxForm owner(nullptr, "owner", KxRect{100, 100, 200, 100}, WS_POPUP | WS_VISIBLE);
  KxPopMenu menu;
  menu.AppendItem(1, "打开");
  menu.AppendSeparator();
  menu.AppendItem(2, "关闭");
  std::vector<int> heights;
  std::thread driver([&] {
    if (!menudriver::WaitForMenus(1)) return;
    for (UINT i = 0; i < 3; ++i) {
      RECT r = {};
      if (GetMenuItemRect(owner.hwnd, menu.hmenu, i, &r)) heights.push_back(r.bottom - r.top);
    }
    menudriver::Tap(VK_ESCAPE);
  });
  menu.PopupAt(&owner, POINT{150, 150}, true);
  driver.join();
  // 20 and 3 at 96 DPI.
  EXPECT_EQ(std::vector<int>({30, 5, 30}), heights);
}

// A window dragged onto a monitor of another DPI: the platform sends WM_DPICHANGED with the
// new DPI and a rectangle for the window.
TEST_F(Dpi, AWindowThatMeetsAnotherDpiTakesTheRectangleAndRelaysItsChildren) {
  NoteRecord note;
  note.left = 200;
  note.top = 150;
  note.width = 150;
  note.height = 120;
  note.flags = kNoteSized;
  note.text = "便签";
  ASSERT_TRUE(InsertNote(note));
  NoEvents events;
  MonitorAreas areas;
  LiveWorkAreas(areas);
  const int dpis[] = {192, 120};
  for (int dpi : dpis) {
    SCOPED_TRACE(dpi);
    FrmAbout about(nullptr);
    about.Show();
    FrmNotePage page(events, note, areas);
    ShowWindow(page.hwnd, SW_SHOWNA);
    PumpFor(50);
    KxControl* ok = ChildWithText(&about, "确定");
    ASSERT_NE(nullptr, ok);
    ASSERT_NE(nullptr, page.textBox);
    LOGFONTA before = {};
    GetObjectA(ok->font.Handle(), sizeof(before), &before);
    int lineBefore = page.textBox->charHeight;

    RECT suggested = {40, 30, 40 + At(340, dpi), 30 + At(128, dpi)};
    SendMessageA(about.hwnd, kKxWmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    // A note's rectangle is in pixels: the platform scales it from the DPI it had.
    RECT noteRect = {300, 200, 300 + MulDiv(150, dpi, kScreenDpi), 200 + MulDiv(120, dpi, kScreenDpi)};
    SendMessageA(page.hwnd, kKxWmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&noteRect));
    PumpFor(50);

    EXPECT_EQ(std::vector<int>({40, 30, At(340, dpi), At(128, dpi)}), PlaceOf(about.hwnd));
    EXPECT_EQ(Scaled(KxRect{240, 20, 75, 23}, dpi), PlaceOf(ok->hwnd));
    EXPECT_EQ(std::vector<int>({240, 20, 75, 23}), std::vector<int>({ok->x, ok->y, ok->width, ok->height}))
        << "the fields keep their 96-DPI values";
    LOGFONTA after = {};
    GetObjectA(ok->font.Handle(), sizeof(after), &after);
    EXPECT_EQ(MulDiv(before.lfHeight, dpi, kScreenDpi), after.lfHeight);

    std::vector<int> noteAt = {noteRect.left, noteRect.top, noteRect.right - noteRect.left,
                               noteRect.bottom - noteRect.top};
    EXPECT_EQ(noteAt, PlaceOf(page.hwnd));
    EXPECT_EQ(std::vector<int>({0, 0, noteAt[2], noteAt[3]}), PlaceOf(page.textBox->hwnd)) << "the box fills it";
    // The text keeps its size on the screen: its lines grow and shrink with the DPI.
    EXPECT_NEAR(MulDiv(lineBefore, dpi, kScreenDpi), page.textBox->charHeight, 2);
    SaveBmp(CaptureWindow(about.hwnd), TestBinDir() + "\\dpi-about-" + std::to_string(dpi).c_str() + ".bmp");

    // A control a window holds as a member, not among its children (the maintenance
    // window's tree), follows the window too, its images at the new size.
    ToggleMaintenanceForm();
    FrmMenu* maintenance = FindToolWindow<FrmMenu>(kMaintenanceCaption);
    ASSERT_NE(nullptr, maintenance);
    RECT tall = {20, 20, 20 + At(540, dpi), 20 + At(600, dpi)};
    SendMessageW(maintenance->hwnd, kKxWmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&tall));
    PumpFor(50);
    EXPECT_EQ(dpi, maintenance->tree.dpi);
    int side = 0, sideY = 0;
    ImageList_GetIconSize(maintenance->tree.imageList, &side, &sideY);
    EXPECT_EQ(At(16, dpi), side);
    ToggleMaintenanceForm();
  }
}
