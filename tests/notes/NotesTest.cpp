// The sticky notes on a scratch Config.db: where a stored note comes back (monitor tables
// through the seam), every note operation with its row, window and manager cells, typing
// kept by the idle write and by the end of editing, dragging with real input, and
// screenshots of a note at rest, in edit mode and of the manager.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kx/KxEdit.h"
#include "kx/KxGridPresets.h"
#include "kx/KxMenu.h"
#include "kx/KxToolBar.h"
#include "kx/base/KxModal.h"
#include "kx/KxMonitors.h"
#include "notes/FrmNoteManage.h"
#include "notes/FrmNotePage.h"
#include "notes/NoteWindowList.h"
#include "notes/NotePlacement.h"
#include "store/DataDirectory.h"
#include "store/KxDb.h"
#include "store/NoteRecord.h"
#include "store/Schema.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/MenuDriver.h"
#include "tests/support/TestUtil.h"

namespace {

struct PlacementCase {
  const char* what;
  std::vector<RECT> monitors;
  RECT note;
  RECT expected;
};

TEST(NotePlacement, StoredNotesComeBackOnTheNearestMonitor) {
  const RECT one = {0, 0, 1280, 1024};
  const RECT oneWork = {0, 0, 1280, 984};  // a task bar below
  const RECT right = {1280, 0, 3200, 1080};
  const PlacementCase cases[] = {
      {"on screen: kept", {one}, {100, 100, 180, 120}, {100, 100, 180, 120}},
      {"beyond the right edge", {one}, {5000, 100, 5080, 120}, {1200, 100, 1280, 120}},
      {"entirely above", {one}, {100, -300, 180, -280}, {100, 0, 180, 20}},
      {"entirely left and below", {one}, {-500, 2000, -420, 2020}, {0, 1004, 80, 1024}},
      {"half off the left edge: kept", {one}, {-40, 10, 40, 30}, {-40, 10, 40, 30}},
      {"below the work area", {oneWork}, {10, 990, 90, 1010}, {10, 964, 90, 984}},
      {"on the second monitor: kept", {one, right}, {2000, 500, 2080, 520}, {2000, 500, 2080, 520}},
      {"right of the second monitor", {one, right}, {3500, 500, 3580, 520}, {3120, 500, 3200, 520}},
      {"second monitor removed", {one}, {2000, 500, 2080, 520}, {1200, 500, 1280, 520}},
      {"straddling: the larger share wins", {one, right}, {1250, 10, 1330, 30}, {1250, 10, 1330, 30}},
  };
  for (const PlacementCase& c : cases) {
    MonitorAreas areas;
    for (const RECT& m : c.monitors) areas.Add(m);
    RECT got = PlaceNote(c.note, areas);
    EXPECT_TRUE(EqualRect(&got, &c.expected))
        << c.what << ": " << got.left << "," << got.top << "," << got.right << "," << got.bottom;
  }

  // One monitor, then a second to its right that stands higher: the gap above the first
  // is nobody's.
  KxMonitorRects single, pair;
  single.Add(RECT{0, 0, 1280, 1024});
  pair.Add(RECT{0, 0, 1280, 1024});
  pair.Add(RECT{1280, -200, 3200, 880});
  struct { const KxMonitorRects* monitors; int left, top; bool keeps; } moves[] = {
      {&single, 100, 100, true}, {&single, 1272, 100, true}, {&single, 1273, 100, false}, {&single, -72, 100, true},
      {&single, -73, 100, false}, {&single, 100, -12, true}, {&single, 100, -13, false}, {&single, 100, 1016, true},
      {&single, 100, 1017, false}, {&pair, 1500, -150, true}, {&pair, 100, -100, false}, {&pair, 1273, -100, true},
      {&pair, 3192, 872, true}, {&pair, 3193, 100, false},
  };
  for (const auto& m : moves)
    EXPECT_EQ(m.keeps, KxKeepsReachable(RECT{m.left, m.top, m.left + 80, m.top + 20}, *m.monitors, kNoteReachablePixels))
        << m.left << "," << m.top;
}

class Notes : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    dir = MakeScratchDir("notes");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
  }
  void TearDown() override {
    DestroyNoteManagerForm();
    TheNoteWindows.DestroyAll();
    TheDb.Close();
    RemoveTree(dir);
  }

  static int Store(int left, int top, const KxString& text, bool shown, int flags) {
    NoteRecord r;
    r.left = left;
    r.top = top;
    r.width = 80;
    r.height = 20;
    EXPECT_TRUE(InsertNote(r));
    EXPECT_TRUE(SetNoteText(r.id, text));
    EXPECT_TRUE(SetNoteShown(r.id, shown));
    EXPECT_TRUE(SetNoteFlags(r.id, flags));
    return r.id;
  }
  static KxString StoredText(int id) {
    KxString bytes;
    TheDb.SelectBlob("KX_NOTE", "N_TEXT", "N_ID=" + KxString::FromInt(id), bytes);
    return bytes;
  }
  static int Int(int id, const char* column) {
    return TheDb.SelectInt("KX_NOTE", column, "N_ID=" + KxString::FromInt(id));
  }
  static FrmNoteManage* Manager() { return FindToolWindow<FrmNoteManage>(kNoteManagerCaption); }
  static KxString Cell(int row, int col, KxTableCard* table = nullptr) {
    KxGridCardRow* r = (table ? table : Manager()->table)->RowAt(row);
    return r ? r->items.At(col) ? (*r->items.At(col))->text : KxString() : KxString();
  }
  // The rows' keys, top first.
  static std::vector<int> Keys(const KxTableCard* table) {
    std::vector<int> keys;
    for (int i = 0; i < table->RowCount(); ++i) keys.push_back(table->RowAt(i)->key);
    return keys;
  }
  static void Click(HWND window) {
    POINT centre = CentreOf(window);
    PumpFor(GetDoubleClickTime() + 50);
    MovePointerTo(centre.x, centre.y);
    PressLeft();
    ReleaseLeft();
    PumpFor(50);
  }

  KxString dir;
};

TEST_F(Notes, EveryOperationKeepsStoreWindowAndManagerInStep) {
  int first = Store(100, 100, "first", true, 0);
  int second = Store(-5000, -5000, "second", false, 0x181);  // bits beyond the topmost one
  TheNoteWindows.LoadAll();
  TheNoteWindows.LoadAll();
  ASSERT_EQ(2, TheNoteWindows.Count()) << "a second load makes no second set";
  FrmNotePage* a = TheNoteWindows.Find(first);
  FrmNotePage* b = TheNoteWindows.Find(second);
  ASSERT_TRUE(a && b);
  EXPECT_TRUE(IsWindowVisible(a->hwnd));
  EXPECT_FALSE(IsWindowVisible(b->hwnd));
  EXPECT_EQ("second", b->textBox->GetText());
  EXPECT_TRUE(b->topmost);

  ToggleNoteManagerForm();
  ASSERT_NE(nullptr, Manager());
  EXPECT_TRUE(IsWindowVisible(Manager()->hwnd));
  ASSERT_EQ(2, Manager()->table->RowCount());
  EXPECT_EQ("second", Cell(1, 0));
  EXPECT_EQ("2", Cell(1, 1));
  EXPECT_EQ("否", Cell(1, 2)) << "hidden at start-up";
  EXPECT_EQ("是", Cell(1, 3));

  // Each step, then for the second note: window shown, N_SHOW, N_FLAG, the shown and
  // topmost cells of its row, and whether its window is topmost.
  struct Step {
    const char* what;
    void (*run)(int id);
    bool shown;
    int showColumn;
    int flags;
    const char* shownCell;
    const char* topmostCell;
    bool topmostWindow;
  } steps[] = {
      {"show", [](int id) { TheNoteWindows.ShowNote(id); }, true, 1, 0x181, "是", "是", true},
      {"topmost off keeps the other bits", [](int id) { TheNoteWindows.SetTopmost(id, false); }, true, 1, 0x180, "是", "否", false},
      {"topmost on", [](int id) { TheNoteWindows.SetTopmost(id, true); }, true, 1, 0x181, "是", "是", true},
      {"hide", [](int id) { TheNoteWindows.HideNote(id); }, false, 0, 0x181, "否", "是", true},
      {"topmost off while hidden", [](int id) { TheNoteWindows.SetTopmost(id, false); }, false, 0, 0x180, "否", "否", false},
      {"topmost on while hidden", [](int id) { TheNoteWindows.SetTopmost(id, true); }, false, 0, 0x181, "否", "是", true},
      {"show all", [](int) { TheNoteWindows.ShowAllNotes(); }, true, 1, 0x181, "是", "是", true},
      {"hide all", [](int) { TheNoteWindows.HideAllNotes(); }, false, 0, 0x181, "否", "是", true},
      {"show again", [](int id) { TheNoteWindows.ShowNote(id); }, true, 1, 0x181, "是", "是", true},
  };
  for (const Step& s : steps) {
    s.run(second);
    EXPECT_EQ(s.shown, IsWindowVisible(b->hwnd) != FALSE) << s.what;
    EXPECT_EQ(s.showColumn, Int(second, "N_SHOW")) << s.what;
    EXPECT_EQ(s.flags, Int(second, "N_FLAG")) << s.what;
    EXPECT_EQ(s.shownCell, Cell(1, 2)) << s.what;
    EXPECT_EQ(s.topmostCell, Cell(1, 3)) << s.what;
    EXPECT_EQ(s.topmostWindow, (GetWindowLongA(b->hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) << s.what;
  }
  RECT r = b->WindowRect();
  EXPECT_TRUE(r.left >= 0 && r.top >= 0) << "the note stored far off screen came back: " << r.left << "," << r.top;
  EXPECT_EQ("否", Cell(0, 2)) << "hide all reached the first row too";

  TheNoteWindows.CloneNote(first);
  ASSERT_EQ(3, TheNoteWindows.Count());
  FrmNotePage* clone = TheNoteWindows.windows.Tail()->value;
  EXPECT_EQ("first", StoredText(clone->noteId)) << "a clone's text is stored at once";
  RECT from = a->WindowRect(), to = clone->WindowRect();
  EXPECT_EQ(from.left + 12, to.left);
  EXPECT_EQ(from.top + 10, to.top);
  EXPECT_TRUE(PumpUntil([&] { return clone->IsEditing(); }, 2000));
  ASSERT_EQ(3, Manager()->table->RowCount());
  EXPECT_EQ(KxString::FromInt(clone->noteId), Cell(2, 1));
  EXPECT_EQ("first", Cell(2, 0));

  // Editing the hidden first note from its row shows it; its whole text cleared is written
  // like any other change (the session's end here).
  TheNoteWindows.EditNote(first);
  EXPECT_TRUE(IsWindowVisible(a->hwnd));
  EXPECT_EQ("是", Cell(0, 2));
  a->textBox->SetText("");
  SendMessageA(a->hwnd, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ("", StoredText(first));

  HWND deletedWindow = b->hwnd;
  {
    KxModalRun menu;  // the note's menu that chose 删除, maybe owning the question
    EXPECT_EQ(1u, BoxesDuring([&] { TheNoteWindows.DeleteNote(second); }, IDYES).size());
    EXPECT_FALSE(IsWindowVisible(deletedWindow));
    EXPECT_EQ(nullptr, TheNoteWindows.Find(second)) << "a deleted note is skipped by lookups";
    EXPECT_EQ(0, TheDb.Count("KX_NOTE", "N_ID=" + KxString::FromInt(second)));
    EXPECT_EQ(2, Manager()->table->RowCount());
    TheNoteWindows.ShowAllNotes();
    EXPECT_FALSE(IsWindowVisible(deletedWindow)) << "show all skips the deleted note";
    EXPECT_TRUE(IsWindow(deletedWindow)) << "kept while a modal run goes on";
  }
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(deletedWindow); }, 2000)) << "the deleted note's window is freed";
  EXPECT_EQ(2, TheNoteWindows.Count());

  // A release on a note selects its row; a real double click on a row edits its note.
  a->OnLButtonUp(0, POINT{0, 0});
  EXPECT_EQ(0, Manager()->table->curRow);
  POINT row = {60, Manager()->table->HeadHeight() + 10};
  ClientToScreen(Manager()->table->hwnd, &row);
  PumpFor(GetDoubleClickTime() + 50);
  MovePointerTo(row.x, row.y);
  PressLeft();
  ReleaseLeft();
  PressLeft();
  ReleaseLeft();
  EXPECT_TRUE(PumpUntil([&] { return a->IsEditing(); }, 2000));

  // The close box only hides; the next toggle shows the same rows.
  PostMessageA(Manager()->hwnd, WM_CLOSE, 0, 0);
  PumpFor(100);
  EXPECT_FALSE(IsWindowVisible(Manager()->hwnd));
  ToggleNoteManagerForm();
  EXPECT_TRUE(IsWindowVisible(Manager()->hwnd));
  EXPECT_EQ(2, Manager()->table->RowCount());

  // Destroyed, the manager hears of no more changes; the next one reads them from the store.
  DestroyNoteManagerForm();
  EXPECT_EQ(nullptr, Manager());
  TheNoteWindows.HideNote(first);
  ToggleNoteManagerForm();
  EXPECT_EQ("否", Cell(0, 2));
}

// A write that fails is said, and the note shows what is stored; a text that could not be
// written when editing ended is written at exit.
TEST_F(Notes, FailedWritesAreSaidAndTheNoteShowsWhatIsStored) {
  int id = Store(100, 100, "stored", true, kNoteTopmost);
  TheNoteWindows.LoadAll();
  FrmNotePage* page = TheNoteWindows.Find(id);
  ASSERT_NE(nullptr, page);
  KxDb locker;  // another connection holds the file: every write of TheDb fails
  ASSERT_TRUE(locker.Open(dir + "\\Config.db"));
  ASSERT_TRUE(locker.Exec("BEGIN EXCLUSIVE"));
  const std::string notStored = "便签的更改未能写入数据文件";
  struct { const char* what; void (*run)(int id); size_t boxes; } changes[] = {
      {"hide", [](int i) { TheNoteWindows.HideNote(i); }, 1},
      {"topmost off", [](int i) { TheNoteWindows.SetTopmost(i, false); }, 1},
      {"hide all", [](int) { TheNoteWindows.HideAllNotes(); }, 1},
      {"delete, asked first", [](int i) { TheNoteWindows.DeleteNote(i); }, 2},
  };
  for (const auto& c : changes) {
    std::vector<std::string> said = BoxesDuring([&] { c.run(id); }, IDYES);
    ASSERT_FALSE(said.empty()) << c.what;
    EXPECT_EQ(0u, said.back().find(notStored)) << c.what;
    EXPECT_EQ(c.boxes, said.size()) << c.what;
    EXPECT_TRUE(IsWindowVisible(page->hwnd)) << c.what;
    EXPECT_TRUE(page->topmost) << c.what;
    EXPECT_EQ(page, TheNoteWindows.Find(id)) << c.what;
  }
  page->BeginEdit();
  page->textBox->SetText("typed");
  std::vector<std::string> said = BoxesDuring([&] { page->EndEdit(); });
  ASSERT_EQ(1u, said.size());
  EXPECT_EQ(0u, said[0].find("便签的文字未能写入数据文件"));
  locker.Rollback();
  EXPECT_TRUE(PumpUntil([&] { return StoredText(id) == "typed"; }, 5000)) << "tried again during the run";

  // A text the end of the run cannot store goes to a file beside the data file.
  const KxString unsaved = DbFilePath() + ".unsaved-notes.txt";
  DeleteFileA(unsaved.CStr());
  page->BeginEdit();
  page->textBox->SetText("later");
  ASSERT_TRUE(locker.Exec("BEGIN EXCLUSIVE"));
  TheNoteWindows.DestroyAll();
  locker.Rollback();
  locker.Close();
  EXPECT_EQ("typed", StoredText(id));
  EXPECT_NE(-1, ReadFileBytes(unsaved).Find(0, "later")) << unsaved.CStr();
  DeleteFileA(unsaved.CStr());
}

TEST_F(Notes, TypingIsKeptAndDraggingWritesTheRectangle) {
  int id = Store(200, 200, "", true, 0);
  TheNoteWindows.LoadAll();
  FrmNotePage* note = TheNoteWindows.Find(id);
  ASSERT_NE(nullptr, note);
  PumpFor(200);
  Capture rest = CaptureWindow(note->hwnd);
  SaveBmp(rest, TestBinDir() + "\\note-at-rest.bmp");
  EXPECT_EQ(ToPixel(RGB(255, 255, 0)), rest.At(rest.width / 2, rest.height / 2));

  // A double click on the disabled box reaches the note and starts editing.
  POINT centre = CentreOf(note->hwnd);
  PumpFor(GetDoubleClickTime() + 50);
  MovePointerTo(centre.x, centre.y);
  PressLeft();
  ReleaseLeft();
  PressLeft();
  ReleaseLeft();
  ASSERT_TRUE(PumpUntil([&] { return note->IsEditing() && GetFocus() == note->textBox->hwnd; }, 3000));
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == note->hwnd; }, 3000));
  TypeText(L"记事");
  TapKey(VK_RETURN);
  EXPECT_EQ("", StoredText(id)) << "nothing is written while typing goes on";
  EXPECT_EQ(TRUE, SendMessageA(note->hwnd, WM_QUERYENDSESSION, 0, 0));
  EXPECT_EQ("\xBC\xC7\xCA\xC2\r\n", StoredText(id)) << "the end of the session writes";
  TypeText(L"ab\tc");
  const KxString typed = "\xBC\xC7\xCA\xC2\r\nab    c";
  EXPECT_EQ(typed, note->textBox->GetText());
  EXPECT_NE(typed, StoredText(id));
  EXPECT_TRUE(PumpUntil([&] { return StoredText(id) == typed; }, 4000)) << "the idle write";
  // Typing that never pauses is written within two seconds of its first key all the same.
  const DWORD started = GetTickCount();
  while (StoredText(id) == typed && GetTickCount() - started < 3500) {
    TypeText(L"x");
    PumpFor(150);
  }
  EXPECT_NE(typed, StoredText(id)) << "written while typing goes on";
  for (int i = 0; i < 40 && note->textBox->GetText() != typed; ++i) TapKey(VK_BACK);
  EXPECT_TRUE(PumpUntil([&] { return StoredText(id) == typed; }, 4000));
  ASSERT_TRUE(TheDb.Exec("Update KX_NOTE set MODIDATE='2001-01-01'"));
  RECT grown = note->WindowRect();
  EXPECT_GT(grown.bottom - grown.top, 20) << "the note follows its two lines";
  Capture editing = CaptureWindow(note->hwnd);
  SaveBmp(editing, TestBinDir() + "\\note-editing.bmp");
  EXPECT_EQ(ToPixel(RGB(0, 0, 255)), editing.At(0, editing.height / 2)) << "blue frame while editing";

  // Focus elsewhere ends editing: written with today's date although nothing changed since
  // the last write, box disabled again.
  HWND other = CreateWindowExA(0, "STATIC", "elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 600, 200, 100,
                               NULL, NULL, GetModuleHandleA(NULL), NULL);
  SetForegroundWindow(other);
  SetFocus(other);
  ASSERT_TRUE(PumpUntil([&] { return !note->IsEditing(); }, 3000));
  EXPECT_FALSE(IsWindowEnabled(note->textBox->hwnd));
  EXPECT_NE("2001-01-01", TheDb.SelectText("KX_NOTE", "MODIDATE", "N_ID=" + KxString::FromInt(id)));
  DestroyWindow(other);
  PumpFor(200);
  Capture done = CaptureWindow(note->hwnd);
  SaveBmp(done, TestBinDir() + "\\note-at-rest-text.bmp");
  EXPECT_NE(ToPixel(RGB(0, 0, 255)), done.At(0, done.height / 2)) << "no blue frame at rest";

  // A drag by real input writes the rectangle on release; one that would leave fewer
  // than 8 pixels on the screen does not move the note.
  RECT before = note->WindowRect();
  POINT grip = {before.left + 5, before.top + 5};
  PumpFor(GetDoubleClickTime() + 50);
  MovePointerTo(grip.x, grip.y);
  PressLeft();
  MovePointerTo(grip.x + 30, grip.y + 40);
  // The note reads the cursor when it takes a move: let it take this one before the next.
  // Under Wine a late echo of the first move can still take the pointer, and the note
  // with it, back; the move is sent again until the note stays where it was sent.
  auto atTarget = [&] {
    RECT r = note->WindowRect();
    return r.left == before.left + 60 && r.top == before.top + 80;
  };
  for (int attempt = 0; attempt < 3; ++attempt) {
    MovePointerTo(grip.x + 60, grip.y + 80);
    PumpFor(150);
    if (atTarget()) break;
  }
  int w = GetSystemMetrics(SM_CXSCREEN);
  MovePointerTo(w - 1, grip.y + 80);  // the note's left would stand 4 pixels from the edge
  ReleaseLeft();
  PumpFor(100);
  RECT after = note->WindowRect();
  EXPECT_EQ(before.left + 60, after.left);
  EXPECT_EQ(before.top + 80, after.top);
  EXPECT_EQ(after.left, Int(id, "N_LEFT"));
  EXPECT_EQ(after.top, Int(id, "N_TOP"));
  EXPECT_EQ(after.right - after.left, Int(id, "N_WIDTH"));

  // Esc ends editing, and the text is stored.
  SetForegroundWindow(note->hwnd);
  note->BeginEditSoon();
  ASSERT_TRUE(PumpUntil([&] { return note->IsEditing() && GetFocus() == note->textBox->hwnd; }, 3000));
  TypeText(L"便签");
  TapKey(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !note->IsEditing(); }, 2000)) << "Esc";
  EXPECT_EQ(note->textBox->GetText(), StoredText(id));
  EXPECT_EQ("\xB1\xE3\xC7\xA9", StoredText(id)) << "typed over the text selected when editing began";

  ToggleNoteManagerForm();
  PumpFor(200);
  SaveBmp(CaptureWindow(Manager()->hwnd), TestBinDir() + "\\note-manager.bmp");
}

// A drag by real input from the point `from` by (dx, dy). The note reads the cursor when it
// takes a move, and under Wine a late echo of an earlier move can take it back: the last
// move is sent again until the window has what done asks.
void DragBy(POINT from, int dx, int dy, const std::function<bool()>& done) {
  PumpFor(GetDoubleClickTime() + 50);
  MovePointerTo(from.x, from.y);
  PumpFor(50);
  PressLeft();
  MovePointerTo(from.x + dx / 2, from.y + dy / 2);
  PumpFor(50);
  for (int attempt = 0; attempt < 3; ++attempt) {
    MovePointerTo(from.x + dx, from.y + dy);
    PumpFor(150);
    if (done()) break;
  }
  ReleaseLeft();
  PumpFor(100);
}

void TurnWheel(int delta) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_WHEEL;
  input.mi.mouseData = static_cast<DWORD>(delta);
  SendInput(1, &input, sizeof(input));
}

// Size by the border and the corner, kept across a restart; the text wrapped at the note's
// width; the colour from the menu, stored, drawn and taken by the next new note; the caret
// where the double click was, a word on the second; the wheel on a note at rest.
TEST_F(Notes, SizeColourAndWrappingAreStoredAndDrawn) {
  MonitorAreas areas;
  LiveWorkAreas(areas);
  RECT area = NearestArea(RECT{100, 100, 180, 120}, areas);
  const int third = (area.right - area.left) / 3;
  KxString words;
  for (int i = 0; i < 40; ++i) words += i % 2 ? "quick brown fox " : "便签换行 ";
  int autoId = Store(100, 100, words, true, 0);
  int id = Store(100, 400, "one two", true, 0);
  TheNoteWindows.LoadAll();
  FrmNotePage* wide = TheNoteWindows.Find(autoId);
  FrmNotePage* note = TheNoteWindows.Find(id);
  ASSERT_TRUE(wide && note);
  RECT w = wide->WindowRect();
  EXPECT_LE(w.right - w.left, third) << "an automatic size stays within a third of the work area";
  EXPECT_GT(w.bottom - w.top, 4 * wide->textBox->charHeight) << "and the one line wraps";
  SIZE least = note->MinimumSize();
  RECT before = note->WindowRect();
  EXPECT_EQ(least.cx, before.right - before.left) << "a short text has the least size";
  EXPECT_EQ(least.cy, before.bottom - before.top);

  // The corner, then the left border pushed beyond the least width.
  DragBy(POINT{before.right - 2, before.bottom - 2}, 120, 60, [&] {
    RECT r = note->WindowRect();
    return r.right == before.right + 120 && r.bottom == before.bottom + 60;
  });
  RECT grown = note->WindowRect();
  EXPECT_EQ(before.left, grown.left);
  EXPECT_EQ(before.right + 120, grown.right);
  EXPECT_EQ(before.bottom + 60, grown.bottom);
  EXPECT_EQ(grown.right - grown.left, Int(id, "N_WIDTH"));
  EXPECT_EQ(grown.bottom - grown.top, Int(id, "N_HEIGHT"));
  EXPECT_EQ(kNoteSized, Int(id, "N_FLAG"));
  RECT box = note->textBox->WindowRect();
  EXPECT_TRUE(EqualRect(&box, &grown)) << "the box fills the sized note";
  // The capture taken away with the button down (a box, Alt+Tab): a size never stored is
  // not kept.
  PumpFor(GetDoubleClickTime() + 50);
  MovePointerTo(grown.right - 2, grown.bottom - 2);
  PumpFor(50);
  PressLeft();
  PumpFor(100);
  for (int attempt = 0; attempt < 3 && note->WindowRect().right == grown.right; ++attempt) {
    MovePointerTo(grown.right + 20 + 10 * attempt, grown.bottom + 20);
    PumpFor(150);
  }
  EXPECT_NE(grown.right, note->WindowRect().right) << "the drag sizes the note";
  HWND thief = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, NULL, NULL,
                               GetModuleHandleA(NULL), NULL);
  SetCapture(thief);
  PumpFor(100);
  ReleaseLeft();
  PumpFor(100);
  DestroyWindow(thief);
  RECT back = note->WindowRect();
  EXPECT_TRUE(EqualRect(&back, &grown)) << back.right << "," << back.bottom;
  EXPECT_EQ(grown.right - grown.left, Int(id, "N_WIDTH"));
  DragBy(POINT{grown.left + 1, (grown.top + grown.bottom) / 2}, 400, 0, [&] {
    RECT r = note->WindowRect();
    return r.right - r.left == least.cx;
  });
  RECT narrow = note->WindowRect();
  EXPECT_EQ(grown.right, narrow.right) << "the left border moves, the right one stays";
  EXPECT_EQ(least.cx, narrow.right - narrow.left) << "never below the least width";
  EXPECT_EQ(narrow.left, Int(id, "N_LEFT"));

  // Typed past the width, the text wraps and the note keeps its size.
  note->textBox->SetText("one two three four five six seven eight nine ten eleven twelve");
  RECT kept = note->WindowRect();
  EXPECT_TRUE(EqualRect(&kept, &narrow));

  // The colour from the menu: 颜色 is the eighth item, green the second colour.
  PumpFor(GetDoubleClickTime());
  menudriver::Drive([&] { note->ShowNoteMenu(); }, [&] {
    for (int i = 0; i < 8; ++i) menudriver::Tap(VK_DOWN);
    menudriver::Tap(VK_RIGHT);
    menudriver::Tap(VK_DOWN);
    menudriver::Tap(VK_RETURN);
  });
  EXPECT_TRUE(PumpUntil([&] { return note->color == 1; }, 2000));
  EXPECT_EQ(kNoteSized | (1 << kNoteColorShift), Int(id, "N_FLAG"));
  PumpFor(100);
  Capture green = CaptureWindow(note->hwnd);
  EXPECT_EQ(ToPixel(NoteBackColor(1)), green.At(4, green.height - 3)) << "the bottom margin";
  TheNoteWindows.NewNote();
  FrmNotePage* fresh = TheNoteWindows.windows.Tail()->value;
  EXPECT_EQ(1, fresh->color) << "a new note takes the colour last chosen";
  EXPECT_EQ(1 << kNoteColorShift, Int(fresh->noteId, "N_FLAG"));
  TheNoteWindows.DeleteNote(fresh->noteId);
  for (int c = 0; c < kNoteColorCount; ++c) {
    TheNoteWindows.SetColor(autoId, c);
    PumpFor(100);
    Capture shot = CaptureWindow(wide->hwnd);
    SaveBmp(shot, TestBinDir() + "\\note-color-" + KxString::FromInt(c) + ".bmp");
    EXPECT_EQ(ToPixel(NoteBackColor(c)), shot.At(4, shot.height - 3)) << kNoteColorNames[c];
  }

  // The wheel over the sized note at rest scrolls its wrapped rows.
  note->textBox->SetText("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12");
  POINT centre = CentreOf(note->hwnd);
  SetForegroundWindow(note->hwnd);
  MovePointerTo(centre.x, centre.y);
  PumpFor(100);
  TurnWheel(-WHEEL_DELTA);
  EXPECT_TRUE(PumpUntil([&] { return note->textBox->scroll.line > 0; }, 2000)) << "the wheel";

  // A double click edits with the caret at the pointer; a second one selects the word.
  note->textBox->SetText("alpha beta gamma");
  PumpFor(GetDoubleClickTime() + 50);
  RECT r = note->WindowRect();
  const int cell = note->textBox->avgCharWidth;
  POINT beta = {r.left + 1 + note->textBox->margin.left + 7 * cell + cell / 4,
                r.top + 1 + note->textBox->margin.top + note->textBox->charHeight / 2};
  MovePointerTo(beta.x, beta.y);
  PressLeft();
  ReleaseLeft();
  PressLeft();
  ReleaseLeft();
  ASSERT_TRUE(PumpUntil([&] { return note->IsEditing() && GetFocus() == note->textBox->hwnd; }, 3000));
  EXPECT_TRUE(note->textBox->sel.IsEmpty()) << "nothing selected, so a key replaces nothing";
  EXPECT_EQ(7, note->textBox->caret.col);
  PumpFor(GetDoubleClickTime() + 50);
  PressLeft();
  ReleaseLeft();
  PressLeft();
  ReleaseLeft();
  EXPECT_TRUE(PumpUntil([&] { return note->textBox->SelectedText() == "beta"; }, 2000))
      << note->textBox->SelectedText().CStr();
  // Sized while it is edited, the note stays in edit mode.
  RECT editing = note->WindowRect();
  DragBy(POINT{editing.right - 2, editing.bottom - 2}, 16, 8,
         [&] { return note->WindowRect().right == editing.right + 16; });
  EXPECT_EQ(editing.right + 16, note->WindowRect().right);
  EXPECT_TRUE(note->IsEditing() && GetFocus() == note->textBox->hwnd) << "still editing";
  narrow = note->WindowRect();
  TapKey(VK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return !note->IsEditing(); }, 2000));

  // After a restart the size, the colour and the text come back as they were.
  TheNoteWindows.DestroyAll();
  TheNoteWindows.LoadAll();
  note = TheNoteWindows.Find(id);
  ASSERT_NE(nullptr, note);
  RECT again = note->WindowRect();
  EXPECT_TRUE(EqualRect(&again, &narrow)) << again.left << "," << again.top << "," << again.right << "," << again.bottom;
  EXPECT_EQ(1, note->color);
  EXPECT_TRUE(note->sized);
}

// Deleting asks when the box holds more than blanks; a deleted note waits in the manager's
// "最近删除" until it comes back in its place or goes for good; the start-up purges what
// was deleted more than 30 days ago.
TEST_F(Notes, DeletingAsksOnceAndRecentlyDeletedNotesComeBack) {
  KxTime old, recent;
  ASSERT_TRUE(old.AddDays(-31) && recent.AddDays(-29));
  ASSERT_TRUE(TheDb.Exec("insert into KX_NOTE_DELETED (N_ID,N_TEXT,DELETEDATE) values (50,'旧的','" +
                         DeletionTimeText(old) + "'),(51,'近的','" + DeletionTimeText(recent) + "')"));
  int kept = Store(20, 700, "要买的菜", true, 0);
  int pinned = Store(120, 700, "  第一行 \r\n第二行", false, 0x1D);
  int blank = Store(220, 700, " \r\n\t ", true, 0);
  int typed = Store(320, 700, "   ", true, 0);
  int cleared = Store(420, 700, "旧字", true, 0);
  TheNoteWindows.LoadAll();  // below the manager: no note covers its buttons
  EXPECT_FALSE(TheDb.Exists("KX_NOTE_DELETED", "N_ID=50")) << "deleted 31 days ago";
  EXPECT_TRUE(TheDb.Exists("KX_NOTE_DELETED", "N_ID=51")) << "deleted 29 days ago";
  TheNoteWindows.ShowNote(pinned);
  RECT pinnedRect = TheNoteWindows.Find(pinned)->WindowRect();
  TheNoteWindows.HideNote(pinned);
  ToggleNoteManagerForm();
  FrmNoteManage* m = Manager();
  ASSERT_NE(nullptr, m);

  const struct {
    const char* what;
    int id;
    const char* typed;  // into the box, not yet stored; nullptr: not edited
    int answer;
    size_t asked;
    bool gone;
  } cases[] = {
      {"否 keeps the note", kept, nullptr, IDNO, 1, false},
      {"是", pinned, nullptr, IDYES, 1, true},
      {"blank: no question", blank, nullptr, IDNO, 0, true},
      {"the box's text is asked about", typed, "新字", IDYES, 1, true},
      {"the box's blank text is not", cleared, " ", IDNO, 0, true},
  };
  for (const auto& c : cases) {
    if (c.typed) {
      TheNoteWindows.Find(c.id)->BeginEdit();
      TheNoteWindows.Find(c.id)->textBox->SetText(c.typed);
    }
    std::vector<std::string> said = BoxesDuring([&] { TheNoteWindows.DeleteNote(c.id); }, c.answer);
    EXPECT_EQ(c.asked, said.size()) << c.what;
    EXPECT_TRUE(said.empty() || said[0].find("最近删除") != std::string::npos) << c.what;
    const KxString where = "N_ID=" + KxString::FromInt(c.id);
    EXPECT_EQ(c.gone, TheNoteWindows.Find(c.id) == nullptr) << c.what;
    EXPECT_EQ(c.gone, TheDb.Exists("KX_NOTE_DELETED", where)) << c.what;
    EXPECT_NE(c.gone, TheDb.Exists("KX_NOTE", where)) << c.what;
    EXPECT_NE(c.gone, m->RowOf(c.id) >= 0) << c.what;
  }
  KxString moved;
  TheDb.SelectBlob("KX_NOTE_DELETED", "N_TEXT", "N_ID=" + KxString::FromInt(typed), moved);
  EXPECT_EQ("新字", moved) << "the box's text went with the note";

  Click(m->viewButton->hwnd);
  ASSERT_TRUE(m->ShowsDeleted());
  EXPECT_EQ("全部便签", m->viewButton->GetText());
  EXPECT_TRUE(IsWindowVisible(m->deletedTable->hwnd) && !IsWindowVisible(m->table->hwnd));
  EXPECT_TRUE(IsWindowVisible(m->restoreButton->hwnd) && IsWindowVisible(m->removeButton->hwnd));
  EXPECT_EQ((std::vector<int>{cleared, typed, blank, pinned, 51}), Keys(m->deletedTable)) << "the latest first";
  const KxString today = KxTime::Today();
  EXPECT_EQ("新字", Cell(1, 0, m->deletedTable));
  EXPECT_EQ(KxString::FromInt(typed), Cell(1, 1, m->deletedTable));
  EXPECT_EQ(today, Cell(1, 2, m->deletedTable));
  EXPECT_EQ("第一行", Cell(3, 0, m->deletedTable));
  EXPECT_EQ(recent.DateText(), Cell(4, 2, m->deletedTable));
  PumpFor(200);
  SaveBmp(CaptureWindow(m->hwnd), TestBinDir() + "\\note-manager-deleted.bmp");

  // "恢复" from the row's menu, opened by a real right click: in its place, shown.
  POINT row = {60, m->deletedTable->HeadHeight() + 3 * 20 + 10};
  ClientToScreen(m->deletedTable->hwnd, &row);
  PumpFor(GetDoubleClickTime() + 50);
  MovePointerTo(row.x, row.y);
  menudriver::Drive([&] {
    PressRight();
    ReleaseRight();
    PumpFor(100);
  }, [&] {
    menudriver::Tap(VK_DOWN);
    menudriver::Tap(VK_RETURN);
  });
  FrmNotePage* back = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (back = TheNoteWindows.Find(pinned)) != nullptr; }, 2000));
  EXPECT_TRUE(IsWindowVisible(back->hwnd));
  RECT backRect = back->WindowRect();
  EXPECT_TRUE(EqualRect(&pinnedRect, &backRect)) << backRect.left << "," << backRect.top << " "
                                                  << backRect.right << "," << backRect.bottom;
  EXPECT_EQ("  第一行 \r\n第二行", back->textBox->GetText());
  EXPECT_TRUE(back->topmost);
  EXPECT_EQ(0x1D, Int(pinned, "N_FLAG"));
  EXPECT_EQ(1, Int(pinned, "N_SHOW"));
  EXPECT_EQ(-1, m->DeletedRowOf(pinned));
  ASSERT_GE(m->RowOf(pinned), 0);
  EXPECT_EQ("第一行", Cell(m->RowOf(pinned), 0));

  // "彻底删除" asks once: 否 keeps the note, 是 removes it.
  m->deletedTable->SetCurrent(m->DeletedRowOf(51), -2);
  for (int answer : {IDNO, IDYES}) {
    EXPECT_EQ(1u, BoxesDuring([&] { Click(m->removeButton->hwnd); }, answer).size());
    EXPECT_EQ(answer == IDNO, TheDb.Exists("KX_NOTE_DELETED", "N_ID=51"));
    EXPECT_EQ(answer == IDNO, m->DeletedRowOf(51) >= 0);
  }

  Click(m->viewButton->hwnd);
  EXPECT_FALSE(m->ShowsDeleted());
  EXPECT_EQ("最近删除", m->viewButton->GetText());
  EXPECT_FALSE(IsWindowVisible(m->restoreButton->hwnd));
  EXPECT_TRUE(IsWindowVisible(m->table->hwnd));
}

// What is typed into the filter field keeps the rows of both views to the notes holding it,
// also as texts change; the keys stay with their rows.
TEST_F(Notes, TheFilterKeepsTheRowsToNotesHoldingWhatIsTyped) {
  int milk = Store(20, 700, "\r\n  买菜 Milk  \r\n第二行", true, 0);
  int chinese = Store(120, 700, "中文", true, 0);
  int other = Store(220, 700, "别的", true, 0);
  TheNoteWindows.LoadAll();
  ToggleNoteManagerForm();
  FrmNoteManage* m = Manager();
  ASSERT_NE(nullptr, m);
  EXPECT_EQ("买菜 Milk", Cell(0, 0)) << "the first line that is not blank, trimmed";
  Click(m->filterEdit->hwnd);
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == m->filterEdit->hwnd; }, 2000));

  const struct {
    const wchar_t* typed;
    std::vector<int> rows;
  } steps[] = {
      {L"MILK", {milk}},
      {L"", {milk, chinese, other}},
      {L"形", {}},  // its bytes stand across the two characters of 中文
      {L"文", {chinese}},
  };
  for (const auto& step : steps) {
    TapKeyWith(VK_CONTROL, 'A');
    TapKey(VK_BACK);
    TypeText(step.typed);
    EXPECT_EQ(step.rows, Keys(m->table)) << m->filterEdit->GetText().CStr();
  }
  ASSERT_EQ("\xCE\xC4", m->filterEdit->GetText());

  // Rows follow the texts as they are stored; a new blank note stays out.
  auto storeText = [](int id, const char* text) {
    FrmNotePage* page = TheNoteWindows.Find(id);
    page->BeginEdit();
    page->textBox->SetText(text);
    page->EndEdit();
  };
  storeText(other, "文件\r\n");
  storeText(chinese, "英语");
  TheNoteWindows.NewNote();
  EXPECT_EQ((std::vector<int>{other}), Keys(m->table));
  EXPECT_EQ("文件", Cell(0, 0));
  m->SelectRow(other);
  EXPECT_EQ(other, m->SelectedId());
  PumpFor(200);
  SaveBmp(CaptureWindow(m->hwnd), TestBinDir() + "\\note-manager-filtered.bmp");

  // In the order of their ids: within one second the later id comes first as well.
  for (int id : {chinese, other}) BoxesDuring([&] { TheNoteWindows.DeleteNote(id); }, IDYES);
  m->ShowDeleted(true);
  EXPECT_EQ((std::vector<int>{other}), Keys(m->deletedTable));
  SetFocus(m->filterEdit->hwnd);
  TapKeyWith(VK_CONTROL, 'A');
  TapKey(VK_BACK);
  EXPECT_EQ((std::vector<int>{other, chinese}), Keys(m->deletedTable));
}

// The note menu by keys: its items as the note's state makes them, and what each does.
TEST_F(Notes, NoteMenuItemsByKeys) {
  int id = Store(300, 300, "menu", true, 0);
  TheNoteWindows.LoadAll();
  FrmNotePage* note = TheNoteWindows.Find(id);
  ASSERT_NE(nullptr, note);
  struct Row {
    int downs;  // items below the top one, separators skipped
    const char* items;
    bool pinIcon;
    std::function<bool()> done;
  } rows[] = {
      {7, "隐藏 隐藏所有 - 显示所有 - 克隆 编辑 删除 - 总在最前 颜色", false,
       [&] { return note->topmost && Int(id, "N_FLAG") == 1; }},
      {7, "隐藏 隐藏所有 - 显示所有 - 克隆 编辑 删除 - 取消最前 颜色", true,
       [&] { return !note->topmost && Int(id, "N_FLAG") == 0; }},
      {1, "隐藏 隐藏所有 - 显示所有 - 克隆 编辑 删除 - 总在最前 颜色", false,
       [&] { return !IsWindowVisible(note->hwnd) && Int(id, "N_SHOW") == 0; }},
      {1, "显示 隐藏所有 - 显示所有 - 克隆 编辑 删除 - 总在最前 颜色", false,
       [&] { return IsWindowVisible(note->hwnd) && Int(id, "N_SHOW") == 1; }},
      {2, "", false, [&] { return !IsWindowVisible(note->hwnd) && Int(id, "N_SHOW") == 0; }},
      {3, "", false, [&] { return IsWindowVisible(note->hwnd) && Int(id, "N_SHOW") == 1; }},
      {4, "", false, [&] { return TheNoteWindows.Count() == 2 && TheDb.Count("KX_NOTE", "") == 2; }},
      {5, "", false, [&] { return note->IsEditing(); }},
      {6, "", false, [&] { return TheNoteWindows.Find(id) == nullptr && TheDb.Count("KX_NOTE", "N_ID=" + KxString::FromInt(id)) == 0; }},
  };
  for (const Row& row : rows) {
    std::string items;
    bool pinIcon = false;
    PumpFor(GetDoubleClickTime());
    std::vector<std::string> asked = BoxesDuring([&] { menudriver::Drive([&] { note->ShowNoteMenu(); }, [&] {
      HWND window = menudriver::MenuWindows().front();
      KxMenu* menu = KxMenu::FromHandle(reinterpret_cast<HMENU>(SendMessageA(window, 0x01E1 /* MN_GETHMENU */, 0, 0)));
      for (auto* n = menu ? menu->items.Head() : nullptr; n; n = n->next) {
        items += (items.empty() ? "" : " ") + std::string(n->value->text.CStr());
        if (n->value->id == 22) pinIcon = n->value->picture.IsPresent();
      }
      for (int i = 0; i < row.downs; ++i) menudriver::Tap(VK_DOWN);
      menudriver::Tap(VK_RETURN);
    }); }, IDYES);
    // Only 删除 asks, once: the note holds text.
    EXPECT_EQ(row.downs == 6 ? 1u : 0u, asked.size()) << row.downs;
    if (row.items[0]) {
      EXPECT_EQ(KxString(row.items).CStr(), items) << row.downs;
      EXPECT_EQ(row.pinIcon, pinIcon) << row.downs;
    }
    EXPECT_TRUE(PumpUntil(row.done, 2000)) << "item " << row.downs << " after " << items;
  }
}

}  // namespace
