// The multi-line text box on a real window with real keyboard and pointer input: editing
// across lines, the double-byte rules, undo and redo, the clipboard, selection by dragging
// and by word, the scroll bars and the wheel, wrapped rows, auto size and its bounds, the
// transparent edge and the disabled state.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <utility>

#include "kx/KxClipboard.h"
#include "kx/KxTextBox.h"
#include "kx/base/KxWrap.h"
#include "tests/support/FormTest.h"
#include "tests/support/GuiTestUtil.h"

namespace {

std::string S(const KxString& s) { return std::string(s.CStr(), s.Length()); }
std::pair<int, int> P(const KxTextPos& p) { return {p.col, p.line}; }

struct Sizes {
  int On(KxEvtParam&) {
    ++count;
    return 0;
  }
  int count = 0;
};

class TextBoxes : public FormTest {
protected:
  void SetUp() override {
    OpenFormInFront("text boxes", KxRect{100, 100, 420, 300}, POINT{700, 600});
    // A Ctrl pressed before this window is in front is not in this thread's key state.
    PumpUntil([this] { return GetForegroundWindow() == form->hwnd; }, 3000);
    box = new KxTextBox();
    ASSERT_TRUE(box->Create(form, KxRect{10, 10, 300, 200}));
    box->SetFocus();
    PumpUntil([this] { return GetFocus() == box->hwnd; }, 2000);
  }
  // Screen point a pixel into the cell (col, line) of the box as it is scrolled now.
  POINT Cell(int col, int line) {
    POINT p = {box->margin.left + (col - box->scroll.col) * box->avgCharWidth + 1,
               box->margin.top + (line - box->scroll.line) * box->charHeight + box->charHeight / 2};
    ClientToScreen(box->hwnd, &p);
    return p;
  }
  // Client point a pixel into cell of row, counted from the first row shown.
  POINT Spot(int cell, int row) {
    return POINT{box->margin.left + cell * box->avgCharWidth + 1,
                 box->margin.top + row * box->charHeight + box->charHeight / 2};
  }
  POINT OnScreen(POINT p) {
    ClientToScreen(box->hwnd, &p);
    return p;
  }
  // (line, start) of every row.
  std::vector<std::pair<int, int>> RowStarts() {
    std::vector<std::pair<int, int>> rows;
    for (const KxTextRow& row : box->rows) rows.push_back({row.line, row.start});
    return rows;
  }
  LONG Bars() { return GetWindowLongA(box->hwnd, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL); }
  SCROLLINFO Bar(int bar) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_POS;
    if (!GetScrollInfo(box->hwnd, bar, &info)) info.nMin = info.nMax = info.nPos = 0;
    return info;
  }
  KxTextBox* box = nullptr;  // owned by the form
};

// Space-separated steps: a key name, S-key (with Shift), C-letter (with Ctrl), or 'text
// typed as characters (GBK in the source, typed as Unicode).
void Play(const char* script) {
  static const std::map<std::string, WORD> keys = {
      {"Home", VK_HOME}, {"End", VK_END},   {"Left", VK_LEFT},    {"Right", VK_RIGHT},
      {"Up", VK_UP},     {"Down", VK_DOWN}, {"Bksp", VK_BACK},    {"Del", VK_DELETE},
      {"Enter", VK_RETURN}, {"Tab", VK_TAB}, {"Esc", VK_ESCAPE}};
  std::istringstream in(script);
  std::string step;
  while (in >> step) {
    if (step[0] == '\'') {
      wchar_t typed[64] = {};
      MultiByteToWideChar(CP_ACP, 0, step.c_str() + 1, -1, typed, 63);
      TypeText(typed);
    } else if (step.compare(0, 2, "C-") == 0) {
      TapKeyWith(VK_CONTROL, static_cast<WORD>(step[2]));
    } else if (step.compare(0, 2, "S-") == 0) {
      TapKeyWith(VK_SHIFT, keys.at(step.substr(2)));
    } else {
      TapKey(keys.at(step));
    }
  }
  PumpFor(30);
}

// Each case starts from SetText (the caret at the end of the text).
TEST_F(TextBoxes, KeysAndCharactersEditLinesAndMoveTheCaret) {
  struct Case {
    const char* text;
    const char* clipboard;  // nullptr: left as it is
    const char* script;
    const char* after;
    std::pair<int, int> caret, selStart, selEnd;
  } cases[] = {
      {"abcd", nullptr, "Left Left Enter", "ab\r\ncd", {0, 1}, {0, 0}, {0, 0}},
      {"ab\r\ncd\r\nef", nullptr, "Up Home Bksp", "abcd\r\nef", {2, 0}, {0, 0}, {0, 0}},
      {"ab\r\ncd", nullptr, "Up End Del", "abcd", {2, 0}, {0, 0}, {0, 0}},
      {"ab", nullptr, "Home Bksp Left", "ab", {0, 0}, {0, 0}, {0, 0}},
      // Left and right never wrap to the neighbouring line.
      {"ab\r\ncd", nullptr, "Home Left Up End Right", "ab\r\ncd", {2, 0}, {0, 0}, {0, 0}},
      {"x", nullptr, "Home Tab", "    x", {4, 0}, {0, 0}, {0, 0}},
      {"x", nullptr, "Esc", "x", {1, 0}, {0, 0}, {0, 0}},
      {"abc\r\nabcdef", nullptr, "Up", "abc\r\nabcdef", {3, 0}, {0, 0}, {0, 0}},
      // Up and down land before a two-byte character, never inside it.
      {"中文\r\nabc", nullptr, "Up", "中文\r\nabc", {2, 0}, {0, 0}, {0, 0}},
      {"abc\r\n中文", nullptr, "Up Down", "abc\r\n中文", {2, 1}, {0, 0}, {0, 0}},
      {"a中b", nullptr, "Left Left", "a中b", {1, 0}, {0, 0}, {0, 0}},
      {"a中b", nullptr, "Home Right Right", "a中b", {3, 0}, {0, 0}, {0, 0}},
      // "\x81\x40" is one character whose second byte is below 0x80.
      {"a\x81\x40", nullptr, "Left", "a\x81\x40", {1, 0}, {0, 0}, {0, 0}},
      {"a\x81\x40" "b", nullptr, "Left Bksp", "ab", {1, 0}, {0, 0}, {0, 0}},
      {"a中", nullptr, "Bksp", "a", {1, 0}, {0, 0}, {0, 0}},
      {"中b", nullptr, "Home Del", "b", {0, 0}, {0, 0}, {0, 0}},
      {"", nullptr, "'中a丂", "中a\x81\x40", {5, 0}, {0, 0}, {0, 0}},
      {"ab\r\ncd", nullptr, "Left S-Up", "ab\r\ncd", {1, 0}, {1, 0}, {1, 1}},
      {"ab\r\ncd", nullptr, "Left S-Up S-Right S-Right", "ab\r\ncd", {2, 0}, {2, 0}, {1, 1}},
      {"ab\r\ncd", nullptr, "Left S-Up S-Right 'X", "abXd", {3, 0}, {0, 0}, {0, 0}},
      {"ab\r\ncd", nullptr, "C-A Del", "", {0, 0}, {0, 0}, {0, 0}},
      // A two-line paste at a line's end: the second line is a line of its own.
      {"x\r\ny", "one\r\ntwo", "Up End C-V", "xone\r\ntwo\r\ny", {3, 1}, {0, 0}, {0, 0}},
      {"", "p\nq\tr", "C-V", "p\r\nq    r", {6, 1}, {0, 0}, {0, 0}},
      {"ab", "p\nq\tr", "Home C-V C-Z", "ab", {0, 0}, {0, 0}, {0, 0}},
      {"ab\r\ncd", "", "Left S-Up C-V", "ab\r\ncd", {1, 0}, {1, 0}, {1, 1}},
      {"abcd", nullptr, "Left Left Enter C-Z", "abcd", {2, 0}, {0, 0}, {0, 0}},
      // Undo stops at the text that was set.
      {"ab", nullptr, "'c C-Z C-Z C-Z", "ab", {2, 0}, {0, 0}, {0, 0}},
      {"abcd", nullptr, "Left Left Enter C-Z C-U", "ab\r\ncd", {0, 1}, {0, 0}, {0, 0}},
      {"ab\r\ncd", nullptr, "Home Bksp C-Z", "ab\r\ncd", {0, 1}, {0, 0}, {0, 0}},
      {"ab\r\ncd", nullptr, "Home Bksp C-Z C-U", "abcd", {2, 0}, {0, 0}, {0, 0}},
      {"a中\r\ncd", nullptr, "Up Bksp Del C-Z C-Z", "a中\r\ncd", {1, 0}, {0, 0}, {0, 0}},
      // Undo of typing over a selection brings back the text and the selection.
      {"ab\r\ncd", nullptr, "Left S-Up 'X C-Z", "ab\r\ncd", {1, 0}, {1, 0}, {1, 1}},
      {"ab\r\ncd", nullptr, "Left S-Up 'X C-Z C-U", "aXd", {2, 0}, {0, 0}, {0, 0}},
      {"ab\r\ncd", nullptr, "Left S-Up Del C-Z", "ab\r\ncd", {1, 1}, {1, 0}, {1, 1}},
  };
  for (const Case& c : cases) {
    if (c.clipboard) {
      ASSERT_TRUE(SetClipboardText(c.clipboard));
    }
    box->SetText(c.text);
    Play(c.script);
    SCOPED_TRACE(std::string(c.text) + " / " + c.script);
    EXPECT_EQ(S(c.after), S(box->GetText()));
    EXPECT_EQ(c.caret, P(box->caret));
    EXPECT_EQ(c.selStart, P(box->sel.selStart));
    EXPECT_EQ(c.selEnd, P(box->sel.selEnd));
  }
  // Cut and copy put the selected lines, breaks included, on the clipboard.
  box->SetText("ab\r\ncd");
  Play("Left S-Up C-X");
  EXPECT_EQ("ad", S(box->GetText()));
  EXPECT_EQ("b\r\nc", S(GetClipboardText()));
  Play("C-A C-C");
  EXPECT_EQ("ad", S(GetClipboardText()));
}

// "&" is a character like any other, never a mnemonic prefix: "&&" would otherwise draw
// as one "&", and the text would end short of its cells.
TEST_F(TextBoxes, AmpersandsAreDrawnInTheirOwnCells) {
  box->SetText("&&&&&&&&");
  PumpFor(100);
  Capture shot = CaptureWindow(box->hwnd);
  RECT r;
  GetWindowRect(box->hwnd, &r);
  POINT blank = Cell(20, 0);
  const auto background = shot.At(blank.x - r.left, blank.y - r.top);
  auto inked = [&](int col) {
    POINT p = Cell(col, 0);
    int n = 0;
    for (int x = 0; x < box->avgCharWidth - 1; ++x)
      for (int y = -box->charHeight / 2; y < box->charHeight / 2; ++y)
        n += shot.At(p.x - r.left + x, p.y - r.top + y) != background;
    return n;
  };
  EXPECT_GT(inked(5), 0);
  EXPECT_GT(inked(6), 0);
}

TEST_F(TextBoxes, DraggingSelectsAcrossLinesAndPaintsTheBands) {
  box->SetText("abcdef\r\nghijkl\r\nmnopqr");
  MovePointerTo(Cell(1, 0).x, Cell(1, 0).y);
  PressLeft();
  POINT to = Cell(4, 2);
  for (int i = 0; i < 3 && P(box->caret) != std::make_pair(4, 2); ++i) {
    MovePointerTo(to.x, to.y);
    PumpUntil([this] { return P(box->caret) == std::make_pair(4, 2); }, 300);
  }
  EXPECT_EQ(std::make_pair(1, 0), P(box->sel.selStart));
  EXPECT_EQ(std::make_pair(4, 2), P(box->sel.selEnd));

  Capture shot = CaptureWindow(box->hwnd);
  RECT r;
  GetWindowRect(box->hwnd, &r);
  // Pixels of the selection colour in a cell (the text drawn over it covers some).
  auto marked = [&](int col, int line) {
    POINT p = Cell(col, line);
    int n = 0;
    for (int x = 0; x < box->avgCharWidth - 1; ++x)
      for (int y = -box->charHeight / 2; y < box->charHeight / 2; ++y)
        n += shot.At(p.x - r.left + x, p.y - r.top + y) == ToPixel(kxTextSelectionColor);
    return n;
  };
  EXPECT_GT(marked(5, 1), 0) << "a line between, in full";
  EXPECT_GT(marked(3, 2), 0);
  EXPECT_EQ(0, marked(5, 2)) << "the last line up to the end column";
  EXPECT_EQ(0, marked(0, 0));
  POINT caret;
  GetCaretPos(&caret);
  EXPECT_EQ(box->margin.left + 4 * box->avgCharWidth, caret.x);
  EXPECT_EQ(box->margin.top + 2 * box->charHeight, caret.y);

  // Back above where it began: the selection runs from the new point to the anchor.
  to = Cell(0, 0);
  for (int i = 0; i < 3 && P(box->caret) != std::make_pair(0, 0); ++i) {
    MovePointerTo(to.x, to.y);
    PumpUntil([this] { return P(box->caret) == std::make_pair(0, 0); }, 300);
  }
  ReleaseLeft();
  EXPECT_EQ(std::make_pair(0, 0), P(box->sel.selStart));
  EXPECT_EQ(std::make_pair(1, 0), P(box->sel.selEnd));
}

TEST_F(TextBoxes, PointerNeverStopsInsideACharacter) {
  box->SetText("x\r\na中文b\x81\x40" "c");
  // A click on the second half of a two-byte character goes past it.
  POINT p = Cell(2, 1);
  MovePointerTo(p.x, p.y);
  PressLeft();
  ReleaseLeft();
  EXPECT_EQ(std::make_pair(3, 1), P(box->caret));
  KxString line("a中文b\x81\x40" "c");
  int previous = 0;
  for (int x = -5; x < 12 * box->avgCharWidth; ++x) {
    KxTextPos at = box->PosFromPoint(POINT{x, box->margin.top + box->charHeight + 1});
    ASSERT_EQ(1, at.line);
    ASSERT_FALSE(KxIsInsideChar(line, at.col)) << "x " << x;
    ASSERT_GE(at.col, previous) << "x " << x;
    previous = at.col;
  }
  EXPECT_EQ(line.Length(), previous);
}

TEST_F(TextBoxes, ScrollBarsCoverWhatDoesNotFit) {
  int cols = box->visibleCols;
  ASSERT_GT(cols, 10);
  box->SetText(KxString('x', cols));
  EXPECT_EQ(0, Bar(SB_HORZ).nMax) << "a line that fits needs no bar";
  EXPECT_EQ(0, GetWindowLongA(box->hwnd, GWL_STYLE) & WS_HSCROLL);
  box->SetText(KxString('x', cols + 5));
  EXPECT_EQ(5, Bar(SB_HORZ).nMax);
  EXPECT_EQ(5, Bar(SB_HORZ).nPos);
  EXPECT_EQ(5, box->scroll.col);
  Play("Home");
  EXPECT_EQ(0, Bar(SB_HORZ).nPos);
  EXPECT_EQ(0, box->scroll.col);

  // Both bars: each one takes room from the other's count, and the ranges use the counts
  // as they are with both shown.
  box->SetText("");
  EXPECT_EQ(0, GetWindowLongA(box->hwnd, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
  KxString text = KxString('y', cols + 5);
  for (int i = 1; i < 40; ++i) text += "\r\nline";
  box->SetText(text);
  EXPECT_EQ(cols + 5 - box->visibleCols, Bar(SB_HORZ).nMax);
  RECT client;
  GetClientRect(box->hwnd, &client);
  int rows = (client.bottom - box->margin.top - box->margin.bottom) / box->charHeight;
  EXPECT_EQ(rows, box->visibleRows);
  EXPECT_EQ(40 - rows, Bar(SB_VERT).nMax);
  EXPECT_EQ(40 - rows, box->scroll.line) << "the caret on the last line is in view";
  int maxLine = 40 - rows;

  struct Case {
    int code, thumb, line;
  } cases[] = {
      {SB_TOP, 0, 0},         {SB_LINEDOWN, 0, 1},       {SB_PAGEDOWN, 0, maxLine},
      {SB_LINEDOWN, 0, maxLine}, {SB_LINEUP, 0, maxLine - 1}, {SB_THUMBPOSITION, 3, 3},
      {SB_ENDSCROLL, 0, 3},   {SB_PAGEUP, 0, 0},         {SB_BOTTOM, 0, maxLine},
      {SB_THUMBTRACK, 2, 2},
  };
  for (const Case& c : cases) {
    SendMessageA(box->hwnd, WM_VSCROLL, MAKEWPARAM(c.code, c.thumb), 0);
    EXPECT_EQ(c.line, box->scroll.line) << "code " << c.code;
    EXPECT_EQ(c.line, Bar(SB_VERT).nPos) << "code " << c.code;
  }
  SendMessageA(box->hwnd, WM_HSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  EXPECT_EQ(Bar(SB_HORZ).nMax, box->scroll.col);
  // A point in the top margin is on the first line shown, not on the text's first line.
  EXPECT_EQ(2, box->PosFromPoint(POINT{20, 0}).line);
  // A key brings the caret back into view.
  Play("Up");
  EXPECT_EQ(maxLine - 1, box->scroll.line);
}

TEST_F(TextBoxes, AutoSizeFitsEveryCell) {
  Sizes sizes;
  BindMsg(*box, WM_SIZE, &sizes, &Sizes::On);
  box->SetAutoSize(true);
  box->SetText("");
  EXPECT_EQ(8, box->width);
  EXPECT_EQ(box->charHeight + 6, box->height);
  // Narrow letters take less than their cells: the box still holds every cell.
  box->SetText("iiiiiiii");
  EXPECT_GE(box->width, 8 * box->avgCharWidth + 6);
  EXPECT_GE(box->visibleCols, 8);
  EXPECT_EQ(0, GetWindowLongA(box->hwnd, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
  int before = sizes.count;
  Play("Enter 'mmmmmmmmmmmm");
  KxCanvas measure(box);
  int wide = measure.TextExtent(box->font, "mmmmmmmmmmmm").cx;
  EXPECT_EQ(std::max(wide, 12 * box->avgCharWidth) + 6, box->width);
  EXPECT_EQ(2 * box->charHeight + 6, box->height);
  EXPECT_GT(sizes.count, before) << "the owner hears of each growth";
  EXPECT_EQ(0, GetWindowLongA(box->hwnd, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
}

TEST_F(TextBoxes, ADisabledBoxShowsItsTextAndTakesNoInput) {
  box->bkColorDisabled = RGB(255, 240, 160);
  box->SetText("WWWW\r\nab");
  Play("S-Home");
  ASSERT_FALSE(box->sel.IsEmpty());
  box->Enable(false);
  PumpFor(30);
  EXPECT_TRUE(box->sel.IsEmpty()) << "losing the focus drops the selection";
  EXPECT_EQ(NULL, box->caretShown);
  SendMessageA(box->hwnd, WM_CHAR, 'x', 0);
  SendMessageA(box->hwnd, WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ("WWWW\r\nab", S(box->GetText()));

  Capture shot = CaptureWindow(box->hwnd);
  EXPECT_EQ(ToPixel(box->bkColorDisabled), shot.At(shot.width / 2, shot.height - 6));
  int ink = 0;
  for (int x = 2; x < 4 * box->avgCharWidth + 2; ++x)
    for (int y = 2; y < box->charHeight; ++y) ink += shot.At(x, y) != ToPixel(box->bkColorDisabled);
  EXPECT_GT(ink, 4 * box->charHeight) << "the first line is drawn";
}

// Rows of a narrow box: keys, clicks and the caret go by rows, the bar only when the rows
// overflow, and always at the width it leaves.
TEST_F(TextBoxes, WrappedRowsTakeTheCaretTheClicksAndTheBar) {
  const int width = 12 * box->avgCharWidth + 6;
  box->textColor = RGB(160, 0, 0);
  box->SetWrap(true);
  box->Resize(width, 8 * box->charHeight + 6);
  box->SetText("Hi there somebody_long_word\r\n中文字符中文字符中文");
  ASSERT_EQ(12, box->visibleCols);
  using Rows = std::vector<std::pair<int, int>>;
  EXPECT_EQ((Rows{{0, 0}, {0, 9}, {0, 21}, {1, 0}, {1, 12}}), RowStarts());
  EXPECT_EQ(0, Bars());

  struct Case {
    std::pair<int, int> from;
    const char* keys;
    std::pair<int, int> to;
  } cases[] = {
      {{3, 0}, "Down", {12, 0}},
      {{3, 0}, "Down Down", {24, 0}},
      {{3, 0}, "Down Down Down", {2, 1}},  // before the two-byte character, not inside
      {{3, 0}, "Down Down Down Down Down", {14, 1}},
      // Above a row's end is the last place on the row, not its end: that is the next row's.
      {{20, 0}, "Up", {8, 0}},
      {{10, 1}, "Up", {27, 0}},
      {{9, 0}, "Up", {0, 0}},  // a row's start is on that row
      {{14, 0}, "Home", {0, 0}},
      {{14, 0}, "End", {27, 0}},
  };
  for (const Case& c : cases) {
    box->caret = KxTextPos{c.from.first, c.from.second};
    Play(c.keys);
    EXPECT_EQ(c.to, P(box->caret)) << c.from.first << "," << c.from.second << " " << c.keys;
  }

  box->caret = KxTextPos{9, 0};
  box->Invalidate(false);
  PumpFor(50);
  POINT caret;
  GetCaretPos(&caret);
  EXPECT_EQ(box->margin.left, caret.x);
  EXPECT_EQ(box->margin.top + box->charHeight, caret.y);
  // Rows drawn where they are, in the text colour (smoothed into pinks on white): "s"
  // starts the second row, the first ends before cell 9.
  Capture shot = CaptureWindow(box->hwnd);
  auto ink = [&](int cell, int row) {
    POINT p = Spot(cell, row);
    int n = 0;
    for (int x = 0; x < box->avgCharWidth - 1; ++x) {
      for (int y = -box->charHeight / 2; y < box->charHeight / 2; ++y) {
        DWORD pixel = shot.At(p.x + 1 + x, p.y + 1 + y);  // the frame is a pixel wide
        n += static_cast<int>(pixel >> 16 & 0xFF) > static_cast<int>(pixel >> 8 & 0xFF) + 40;
      }
    }
    return n;
  };
  EXPECT_GT(ink(0, 1), 0);
  EXPECT_GT(ink(1, 4), 0);
  EXPECT_EQ(0, ink(9, 0));

  POINT p = OnScreen(Spot(2, 1));
  MovePointerTo(p.x, p.y);
  PressLeft();
  ReleaseLeft();
  EXPECT_EQ(std::make_pair(11, 0), P(box->caret));
  PumpFor(GetDoubleClickTime() + 50);
  p = OnScreen(Spot(11, 0));
  MovePointerTo(p.x, p.y);
  PressLeft();
  ReleaseLeft();
  EXPECT_EQ(std::make_pair(8, 0), P(box->caret)) << "past the row's end, still on it";

  // Three rows shown: the bar comes, and the rows are wrapped at the columns it leaves.
  box->Resize(width, 3 * box->charHeight + 6);
  PumpFor(30);
  EXPECT_EQ(WS_VSCROLL, Bars());
  EXPECT_LT(box->visibleCols, 12);
  std::vector<int> starts;
  KxWrapLine("Hi there somebody_long_word", box->visibleCols, starts);
  Rows first;
  for (int start : starts) first.push_back({0, start});
  Rows now = RowStarts();
  EXPECT_EQ(first, Rows(now.begin(), now.begin() + static_cast<long>(first.size())));
  EXPECT_EQ(static_cast<int>(box->rows.size()) - 3, Bar(SB_VERT).nMax);
  EXPECT_EQ(0, Bar(SB_HORZ).nMax);
  SendMessageA(box->hwnd, WM_HSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  EXPECT_EQ(0, box->scroll.col);
  // Room for every row at the full width: the bar goes, though without it the rows would
  // need it.
  box->Resize(width, 5 * box->charHeight + 6);
  PumpFor(30);
  EXPECT_EQ(0, Bars());
  EXPECT_EQ(12, box->visibleCols);
  EXPECT_EQ(5u, box->rows.size());
}

// A notch is three rows, parts of notches add up, a turn back starts afresh, the range
// holds, and a disabled box scrolls too.
TEST_F(TextBoxes, TheWheelScrollsRowsInStepWithTheBar) {
  UINT perNotch = 0;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
  ASSERT_EQ(3u, perNotch);
  const char* first = "0 and a line that wraps in the narrow box";
  KxString text(first);
  for (int i = 1; i < 30; ++i) text += "\r\n" + KxString::FromInt(i);
  for (bool wrap : {false, true}) {
    box->SetWrap(wrap);
    box->Resize(wrap ? 12 * box->avgCharWidth + 6 : 300, 200);
    box->SetText(text);
    std::vector<int> starts;
    KxWrapLine(first, wrap ? box->visibleCols : 1000, starts);
    ASSERT_EQ(29 + starts.size(), box->rows.size());
    int maxLine = static_cast<int>(box->rows.size()) - box->visibleRows;
    ASSERT_GT(maxLine, 10);
    SendMessageA(box->hwnd, WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    struct Case {
      int delta, line;
    } cases[] = {{-120, 3}, {-60, 4}, {-60, 6}, {-40, 7}, {60, 6}, {60, 4},
                 {-1200, maxLine}, {-120, maxLine}, {120, maxLine - 3}, {12000, 0}};
    for (const Case& c : cases) {
      SendMessageA(box->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, c.delta), MAKELPARAM(150, 150));
      EXPECT_EQ(c.line, box->scroll.line) << wrap << " " << c.delta;
      EXPECT_EQ(c.line, Bar(SB_VERT).nPos) << wrap << " " << c.delta;
    }
  }
  box->Enable(false);
  SendMessageA(box->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
  EXPECT_EQ(3, box->scroll.line);
  box->ScrollByWheel(-240);
  EXPECT_EQ(9, box->scroll.line);
}

TEST_F(TextBoxes, ADoubleClickSelectsTheWordAndAPointPlacesTheCaret) {
  box->SetText("foo_bar2 baz  中文字，ab");
  // Real double clicks: letters, and Chinese characters taken from the second half of one.
  struct Click {
    int cell;
    std::pair<int, int> selected;
  } clicks[] = {{1, {0, 8}}, {17, {14, 20}}};
  for (const Click& c : clicks) {
    POINT p = OnScreen(Spot(c.cell, 0));
    MovePointerTo(p.x, p.y);
    PressLeft();
    ReleaseLeft();
    PressLeft();
    ReleaseLeft();
    auto selected = [this] { return std::make_pair(box->sel.selStart.col, box->sel.selEnd.col); };
    PumpUntil([&] { return selected() == c.selected; }, 1000);
    EXPECT_EQ(c.selected, selected()) << c.cell;
    EXPECT_EQ(c.selected.second, box->caret.col);
    PumpFor(GetDoubleClickTime() + 50);
  }
  Click points[] = {{9, {9, 12}},   {13, {12, 14}}, {20, {20, 22}},  // "，" stands alone
                    {23, {22, 24}}, {40, {22, 24}}, {8, {8, 9}}};
  for (const Click& c : points) {
    box->SelectWordAt(Spot(c.cell, 0));
    EXPECT_EQ(c.selected, std::make_pair(box->sel.selStart.col, box->sel.selEnd.col)) << c.cell;
  }

  box->SetText("abc\r\ndef");
  box->SelectAll();
  box->SetCaretAt(Spot(2, 1));
  EXPECT_EQ(std::make_pair(2, 1), P(box->caret));
  EXPECT_TRUE(box->sel.IsEmpty());
}

TEST_F(TextBoxes, TheEdgeLetsThePointerThroughToTheParent) {
  RECT r = box->WindowRect();
  int midX = (r.left + r.right) / 2;
  int midY = (r.top + r.bottom) / 2;
  struct Case {
    int edge, x, y;
    LRESULT hit;
  } cases[] = {
      {4, r.left + 1, midY, HTTRANSPARENT},    {4, r.right - 4, midY, HTTRANSPARENT},
      {4, midX, r.top, HTTRANSPARENT},         {4, midX, r.bottom - 1, HTTRANSPARENT},
      {4, r.left + 4, midY, HTCLIENT},         {4, midX, r.bottom - 5, HTCLIENT},
      {0, r.left + 1, midY, HTCLIENT},
  };
  for (const Case& c : cases) {
    box->transparentEdge = c.edge;
    EXPECT_EQ(c.hit, SendMessageA(box->hwnd, WM_NCHITTEST, 0, MAKELPARAM(c.x, c.y)))
        << c.edge << " " << c.x - r.left << "," << c.y - r.top;
  }
}

// Bounds on the auto size; with wrap, the maximum width wraps and the height grows, up to
// its own maximum, past which the bar shows and the rows wrap at the width it leaves.
TEST_F(TextBoxes, AutoSizeKeepsToItsBounds) {
  const int ten = 10 * box->avgCharWidth + 6;
  const int threeRows = 3 * box->charHeight + 6;
  const int bar = GetSystemMetrics(SM_CYHSCROLL);
  box->SetAutoSize(true);
  struct Case {
    bool wrap;
    int minWidth, minHeight, maxWidth, maxHeight;
    const char* text;
    int width, rows;
    LONG bars;
  } cases[] = {
      {true, 60, 40, 0, 0, "", 60, -40, 0},
      {true, 0, 0, ten, 0, "aaaa bbbb cccc dddd", ten, 2, 0},
      {true, 0, 0, ten, 0, "中文字符中文字符中文字符", ten, 3, 0},
      {true, 0, 0, ten, threeRows, "a b c d e f g h i j k l m n o p", ten, 3, WS_VSCROLL},
      {false, 0, 0, ten, 0, "aaaa bbbb cccc dddd", ten, 1, WS_HSCROLL},
  };
  for (const Case& c : cases) {
    box->minAutoWidth = c.minWidth;
    box->minAutoHeight = c.minHeight;
    box->maxAutoWidth = c.maxWidth;
    box->maxAutoHeight = c.maxHeight;
    box->SetWrap(c.wrap);
    box->SetText(c.text);
    PumpFor(30);
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.width, box->width);
    // A negative count of rows is a height in pixels.
    int rowsHigh = c.rows * box->charHeight + 6 + (c.bars == WS_HSCROLL ? bar : 0);
    EXPECT_EQ(c.rows < 0 ? -c.rows : rowsHigh, box->height);
    EXPECT_EQ(c.bars, Bars());
    std::vector<int> starts;
    KxWrapLine(c.text, c.wrap ? box->visibleCols : 1000, starts);
    EXPECT_EQ(starts.size(), box->rows.size());
    EXPECT_GE(box->visibleRows, c.bars ? 1 : static_cast<int>(box->rows.size()));
  }
}

}  // namespace
