// The program's windows on a screen of 144 DPI (150 %), the prefix's LogPixels: every
// size and child place is half as large again as its 96-DPI value, text stays inside its
// control, menus measure their items at the scale; and windows that meet another DPI
// (WM_DPICHANGED) take the suggested rectangle, lay their children out at it, and come back
// to the screen's DPI exactly as they were.

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
#include "kx/KxTreeView.h"
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

BOOL CALLBACK AddCard(HWND window, LPARAM cards) {
  if (KxCard* card = KxCardRegistry::Find(window))
    reinterpret_cast<std::vector<KxCard*>*>(cards)->push_back(card);
  return TRUE;
}

// Every card among a window's child windows, members that are no child control included.
std::vector<KxCard*> CardsIn(HWND window) {
  std::vector<KxCard*> cards;
  EnumChildWindows(window, AddCard, reinterpret_cast<LPARAM>(&cards));
  return cards;
}

bool Near(const std::vector<int>& a, const std::vector<int>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::abs(a[i] - b[i]) > 1) return false;
  return true;
}

// What a DPI change rebuilds, card by card: place, DPI, font, margins and images.
std::vector<std::vector<int>> StateOf(KxCard* form) {
  std::vector<std::vector<int>> state = {PlaceOf(form->hwnd)};
  for (KxCard* card : CardsIn(form->hwnd)) {
    std::vector<int> row = PlaceOf(card->hwnd);
    LOGFONTW font = {};
    GetObjectW(card->font.Handle(), sizeof(font), &font);
    row.insert(row.end(), {card->dpi, static_cast<int>(font.lfHeight)});
    if (KxControl* control = dynamic_cast<KxControl*>(card))
      row.insert(row.end(), {static_cast<int>(control->margin.left), static_cast<int>(control->margin.bottom)});
    if (KxTreeView* tree = dynamic_cast<KxTreeView*>(card)) {
      int side = 0, sideY = 0;
      ImageList_GetIconSize(tree->imageList, &side, &sideY);
      row.push_back(side);
    }
    state.push_back(row);
  }
  return state;
}

void SendDpi(HWND window, int dpi, RECT rect) {
  SendMessageW(window, kKxWmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&rect));
  PumpFor(50);
}

// A note that is only looked at.
class NoEvents : public NoteWindowEvents {
public:
  void EditAsked(FrmNotePage&, POINT) override {}
  void MenuAsked(FrmNotePage&) override {}
  void Released(FrmNotePage&) override {}
  void TextStored(FrmNotePage&, const KxString&) override {}
};

// One window of the program as a test opens it: the form, its size at 96 DPI (0 for one
// that keeps its pixels) and how it goes away.
struct Opened {
  KxForm* form = nullptr;
  SIZE size96 = {0, 0};
  std::function<void()> close;
};

struct Window {
  const char* name;
  std::function<Opened()> open;
};

class Dpi : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    dir = MakeScratchDir("dpi");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
    MovePointerTo(20, 20);
    note.left = 200;
    note.top = 150;
    note.width = 160;
    note.height = 120;
    note.flags = kNoteSized;
    note.text = "便签 at 150 %";
    ASSERT_TRUE(InsertNote(note));
    ASSERT_TRUE(SetNoteText(note.id, note.text));
    ASSERT_TRUE(SetNoteFlags(note.id, kNoteSized));
  }
  void TearDown() override {
    DestroyOptionsForm();
    DestroyMaintenanceForm();
    DestroyNoteManagerForm();
    PumpFor(20);
    TheDb.Close();
    RemoveTree(dir);
  }

  // Each of the program's windows, opened and shown.
  std::vector<Window> Windows() {
    return {
        {"about",
         [] {
           FrmAbout* about = new FrmAbout(nullptr);
           about->Show();
           return Opened{about, {340, 128}, [about] { delete about; }};
         }},
        {"settings",
         [] {
           ToggleOptionsForm();
           return Opened{FindToolWindow<FrmOption>(kOptionsCaption), {600, 510}, nullptr};
         }},
        {"maintenance",
         [] {
           ToggleMaintenanceForm();
           return Opened{FindToolWindow<FrmMenu>(kMaintenanceCaption), {540, 600}, nullptr};
         }},
        {"note manager",
         [] {
           ToggleNoteManagerForm();
           return Opened{FindToolWindow<FrmNoteManage>(kNoteManagerCaption), {800, 600}, nullptr};
         }},
        {"hotkey editor",
         [] {
           FrmShutCut* editor = new FrmShutCut(nullptr, POINT{120, 90});
           editor->Show();
           return Opened{editor, {270, 172}, [editor] { delete editor; }};
         }},
        {"kit",
         [] {
           FrmMain* kit = new FrmMain();
           kit->Show();
           return Opened{kit, {FrmMain::kStartWidth, FrmMain::kStartWidth}, [kit] { delete kit; }};
         }},
        {"note",
         [this] {
           MonitorAreas areas;
           LiveWorkAreas(areas);
           FrmNotePage* page = new FrmNotePage(events, note, areas);
           ShowWindow(page->hwnd, SW_SHOWNA);
           return Opened{page, {0, 0}, [page] { delete page; }};
         }},
    };
  }

  static Opened Show(const Window& w) {
    Opened o = w.open();
    if (!o.form) return o;
    PumpUntil([&] { return o.form->IsVisible(); }, 3000);
    PumpFor(150);
    return o;
  }
  static void Close(Opened& o) {
    if (o.close) {
      o.close();
    } else {
      o.form->Hide();
    }
    PumpFor(20);
  }

  KxString dir;
  NoteRecord note;
  NoEvents events;
};

}  // namespace

TEST_F(Dpi, WindowsAndTheirChildrenAreHalfAsLargeAgain) {
  ASSERT_EQ(kScreenDpi, KxSystemDpi()) << "the prefix of this program has LogPixels 144";
  for (const Window& w : Windows()) {
    SCOPED_TRACE(w.name);
    Opened o = Show(w);
    ASSERT_NE(nullptr, o.form);
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
    // Every child stands where its 96-DPI fields say at the scale (a pixel either way for
    // one placed from measured pixels).
    std::vector<KxCard*> cards = CardsIn(o.form->hwnd);
    EXPECT_FALSE(cards.empty());
    for (KxCard* card : cards) {
      if (card->pixelLayout || !card->IsChild()) continue;
      std::vector<int> fields = Scaled(KxRect{card->x, card->y, card->width, card->height}, kScreenDpi);
      std::vector<int> at = PlaceOf(card->hwnd);
      EXPECT_TRUE(Near(fields, at)) << card->GetClassName().CStr() << " \"" << card->GetText().CStr()
                                    << "\" at " << at[0] << "," << at[1] << " " << at[2] << "x" << at[3]
                                    << ", fields " << card->x << "," << card->y << " " << card->width
                                    << "x" << card->height;
      EXPECT_EQ(kScreenDpi, card->dpi);
    }
    SaveBmp(CaptureWindow(o.form->hwnd), TestBinDir() + "\\dpi-" + w.name + ".bmp");
    Close(o);
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
// new DPI and a rectangle for the window. Back on the first monitor nothing has drifted: the
// same places, fonts, margins and images.
TEST_F(Dpi, AWindowThatMeetsAnotherDpiTakesTheRectangleAndComesBackAsItWas) {
  // Down to 96 and up through 120: the order in which pixels rescaled from pixels drift.
  const int dpis[] = {96, 120};
  for (const Window& w : Windows()) {
    SCOPED_TRACE(w.name);
    Opened o = Show(w);
    ASSERT_NE(nullptr, o.form);
    HWND window = o.form->hwnd;
    const std::vector<std::vector<int>> before = StateOf(o.form);
    const std::vector<int> home = before[0];
    FrmNotePage* page = dynamic_cast<FrmNotePage*>(o.form);
    const int line = page ? page->textBox->charHeight : 0;
    for (int dpi : dpis) {
      SCOPED_TRACE(dpi);
      // A window of 96-DPI size is offered its size at the DPI; a note, whose rectangle is
      // in pixels, the platform scales from the DPI it had.
      int wide = o.size96.cx ? At(o.size96.cx, dpi) : MulDiv(home[2], dpi, kScreenDpi);
      int high = o.size96.cx ? At(o.size96.cy, dpi) : MulDiv(home[3], dpi, kScreenDpi);
      RECT suggested = {40, 30, 40 + wide, 30 + high};
      SendDpi(window, dpi, suggested);
      EXPECT_EQ(std::vector<int>({40, 30, wide, high}), PlaceOf(window));
      for (KxCard* card : CardsIn(window)) {
        EXPECT_EQ(dpi, card->dpi) << card->GetClassName().CStr();
        if (card->pixelLayout || !card->IsChild()) continue;
        EXPECT_TRUE(Near(Scaled(KxRect{card->x, card->y, card->width, card->height}, dpi),
                         PlaceOf(card->hwnd)))
            << card->GetClassName().CStr() << " \"" << card->GetText().CStr() << "\"";
      }
      if (page) {
        // The box fills the note, and the text keeps its size on the screen.
        EXPECT_EQ(std::vector<int>({0, 0, wide, high}), PlaceOf(page->textBox->hwnd));
        EXPECT_NEAR(MulDiv(line, dpi, kScreenDpi), page->textBox->charHeight, 2);
      }
    }
    SendDpi(window, kScreenDpi, RECT{home[0], home[1], home[0] + home[2], home[1] + home[3]});
    EXPECT_EQ(before, StateOf(o.form)) << "back at the screen's DPI";
    Close(o);
  }
}
