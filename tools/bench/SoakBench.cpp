// velix_soak_bench: one velix.exe driven from outside for many cycles, its resources sampled.
//
// velix.exe runs from a fresh folder with a Config.db of its own (no shortcuts, no notes,
// the shut-down commands switched off so that no slipped key can reach them). Each cycle
// does what a user does, with real messages and input from this process, and checks that
// each step happened:
//   menus      the launcher menu and the command menu opened from the tray icon and closed,
//   note       "新便签" (a note in edit mode), text typed into it, "隐藏所有" from its own
//              menu (hidden, the text stored), "显示所有" (shown), dragged with the mouse
//              (moved, the place stored), "删除" from its menu and 是 to its question (its
//              window freed, its row moved to the recently deleted notes),
//   desktops   desktop 2 (a window of this process and the kit window hidden), desktop 1
//              (both shown again),
//   tree       the maintenance window from the launcher menu's first item, "新组" from the
//              tree's menu (one item and one new row more), "删除" on it (that row gone,
//              the item count back), closed,
//   settings   "设置..." from the command menu, shown, closed.
// Every `every` cycles, half a second after the last step, one line: the cycle, its private memory, its
// GDI and USER objects (GetGuiResources), its handles (GetProcessHandleCount) and its
// windows, top-level and child (counted here with EnumWindows). At the end, the growth of
// each figure from the end of the warm-up (the first tenth of the cycles, at least one
// interval) to the last sample, and a verdict: exit code 2 when a figure grows, 3 when no
// sample came after the warm-up. The exit command ends velix; a run that does not end
// within its time is reported and fails.
//
//   usage: velix_soak_bench [cycles] [every]

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "kx/base/KxFile.h"
#include "kx/base/KxString.h"
#include "launcher/CommandMenu.h"
#include "net/KxAdapters.h"
#include "store/KxDb.h"
#include "store/ModuleRecord.h"
#include "store/Schema.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"
#include "tools/bench/PrivateMemory.h"

namespace {

const UINT kTrayMessage = 2024;
const int kPatienceMs = 10000;
// velix is left this long before a sample, so that what a step started has finished.
const int kSettleMs = 500;
// Growth below these counts as flat; see the soak bench section of docs/building.md for why.
const double kMemoryToleranceKb = 512;
const long kCountTolerance = 2;

const char kNoteText[] = "便签soak";
const char kParkedTitle[] = "velix soak bench: parked window";

// The note's menu: 隐藏, 隐藏所有, -, 显示所有, -, 克隆, 编辑, 删除, -, 总在最前.
const WORD kNoteHideAllKeys[] = {VK_DOWN, VK_DOWN};
const WORD kNoteDeleteKeys[] = {VK_UP, VK_UP};
// The tree's menu of the root: 新菜单, 新分隔条, 新组; of a group: the same, -, 更名, 删除, ...
const WORD kTreeNewGroupKeys[] = {VK_DOWN, VK_DOWN, VK_DOWN};
const WORD kTreeDeleteKeys[] = {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN};
// The command menu with the kit window shown: 92, 90, 91, -, 140 "设置...".
const WORD kSettingsKeys[] = {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN};
// The launcher menu: 快捷维护 first.
const WORD kMaintenanceKeys[] = {VK_DOWN};

struct Sample {
  int cycle = 0;
  double privateKb = -1;
  long gdi = 0;     // 0: GetGuiResources gave nothing
  long user = 0;
  long handles = 0; // 0: GetProcessHandleCount gave nothing
  long topWindows = 0;
  long childWindows = 0;
  double secondsPerCycle = 0;
};

// The velix run being driven; every step names what it found wrong in failure.
struct Run {
  std::string folder, exe;
  HANDLE process = NULL;
  DWORD pid = 0;
  HWND kit = NULL;
  HWND parked = NULL;
  void* remote = nullptr;  // a RECT's room in velix, for the tree's item rectangle
  std::string failure;
};

bool Fail(Run& run, const std::string& what) {
  if (run.failure.empty()) run.failure = what;
  return false;
}

HWND VisibleMenu(const Run& run) { return WindowOf(run.pid, "#32768", nullptr); }

bool MenuClosed(const Run& run) {
  return PumpUntil([&] { return VisibleMenu(run) == NULL; }, kPatienceMs);
}

// Waits for a menu of velix, presses keys on it (posted: the menu reads them whoever has
// the focus) and Return, and waits until it is gone.
template <size_t N>
bool PickFromMenu(Run& run, const char* which, const WORD (&keys)[N]) {
  HWND menu = NULL;
  if (!PumpUntil([&] { return (menu = VisibleMenu(run)) != NULL; }, kPatienceMs))
    return Fail(run, std::string("no ") + which + " appeared");
  PumpFor(100);
  for (WORD vk : keys) PostMessageA(menu, WM_KEYDOWN, vk, 0);
  PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  if (!MenuClosed(run)) return Fail(run, std::string("the ") + which + " did not close");
  return true;
}

bool CloseMenuUnused(Run& run, const char* which) {
  HWND menu = NULL;
  if (!PumpUntil([&] { return (menu = VisibleMenu(run)) != NULL; }, kPatienceMs))
    return Fail(run, std::string("no ") + which + " appeared");
  PumpFor(100);
  PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  if (!MenuClosed(run)) return Fail(run, std::string("the ") + which + " did not close");
  return true;
}

// The tray icon's click as the shell sends it; velix may take the foreground for its menu.
void ClickTray(const Run& run, LPARAM mouseMessage) {
  AllowSetForegroundWindow(ASFW_ANY);
  PostMessageA(run.kit, kTrayMessage, 0, mouseMessage);
}

// A command the way a menu item sends it to the kit window.
void SendCommand(const Run& run, int id) { PostMessageA(run.kit, WM_COMMAND, static_cast<WPARAM>(id), 0); }

bool Menus(Run& run) {
  ClickTray(run, WM_LBUTTONUP);
  if (!CloseMenuUnused(run, "launcher menu")) return false;
  ClickTray(run, WM_RBUTTONUP);
  return CloseMenuUnused(run, "command menu");
}

RECT RectOf(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return r;
}

int NoteInt(int id, const char* column) {
  return TheDb.SelectInt("KX_NOTE", column, "N_ID=" + KxString::FromInt(id));
}

bool Note(Run& run) {
  if (!NoteWindowsOf(run.pid).empty()) return Fail(run, "a note was shown before the new one");
  // The new note stands left of and above the pointer.
  MovePointerTo(600, 500);
  SendCommand(run, kCommandNewNote);
  HWND note = NULL;
  HWND box = NULL;
  if (!PumpUntil([&] {
        std::vector<HWND> notes = NoteWindowsOf(run.pid);
        note = notes.empty() ? NULL : notes[0];
        box = note ? ChildOfClass(note, "KxCardClassName", nullptr) : NULL;
        return box && IsWindowEnabled(box);
      }, kPatienceMs))
    return Fail(run, "no new note in edit mode");
  int id = TheDb.Max("KX_NOTE", "N_ID", "1=1");
  if (id <= 0) return Fail(run, "the new note has no row");

  // Typed into the box, its selected spaces replaced; a Chinese character comes as its two
  // GBK bytes, as Windows gives an ANSI window.
  for (const char* p = kNoteText; *p; ++p)
    PostMessageA(box, WM_CHAR, static_cast<unsigned char>(*p), 1);
  PumpFor(100);

  // 隐藏所有 ends the editing, which writes the text.
  PostMessageA(note, WM_RBUTTONUP, 0, 0);
  if (!PickFromMenu(run, "note menu", kNoteHideAllKeys)) return false;
  if (!PumpUntil([&] { return !IsWindowVisible(note); }, kPatienceMs)) return Fail(run, "hide all left the note shown");
  if (NoteInt(id, "N_SHOW") != 0) return Fail(run, "hide all did not store the note hidden");
  if (TheDb.SelectText("KX_NOTE", "N_TEXT", "N_ID=" + KxString::FromInt(id)) != kNoteText)
    return Fail(run, "the typed text was not stored");

  SendCommand(run, kCommandShowAllNotes);
  if (!PumpUntil([&] { return IsWindowVisible(note) != FALSE; }, kPatienceMs)) return Fail(run, "show all left the note hidden");
  if (NoteInt(id, "N_SHOW") != 1) return Fail(run, "show all did not store the note shown");

  // Dragged by real mouse input: pressed near its corner, moved in steps, released.
  RECT before = RectOf(note);
  POINT grip = {before.left + 4, before.top + 4};
  PumpFor(static_cast<int>(GetDoubleClickTime()) + 50);
  MovePointerTo(grip.x, grip.y);
  PressLeft();
  PumpFor(100);
  for (int step = 1; step <= 5; ++step) {
    MovePointerTo(grip.x + 10 * step, grip.y + 6 * step);
    PumpFor(20);
  }
  ReleaseLeft();
  if (!PumpUntil([&] {
        RECT now = RectOf(note);
        return now.left == before.left + 50 && now.top == before.top + 30 && NoteInt(id, "N_LEFT") == now.left &&
               NoteInt(id, "N_TOP") == now.top;
      }, kPatienceMs))
    return Fail(run, "the dragged note did not move, or its place was not stored");

  PostMessageA(note, WM_RBUTTONUP, 0, 0);
  if (!PickFromMenu(run, "note menu", kNoteDeleteKeys)) return false;
  // The note holds text: the delete asks first.
  HWND question = NULL;
  if (!PumpUntil([&] { return (question = WindowOf(run.pid, "#32770", "询问")) != NULL; }, kPatienceMs))
    return Fail(run, "deleting a note with text asked nothing");
  PostMessageA(question, WM_COMMAND, IDYES, 0);
  if (!PumpUntil([&] { return !IsWindow(note); }, kPatienceMs))
    return Fail(run, "the deleted note's window was not freed");
  const KxString where = "N_ID=" + KxString::FromInt(id);
  if (TheDb.Count("KX_NOTE", where) != 0 || TheDb.Count("KX_NOTE_DELETED", where) != 1)
    return Fail(run, "the deleted note's row did not move to the recently deleted notes");
  return true;
}

bool Desktops(Run& run) {
  SendCommand(run, kModuleDesktop + 1);
  if (!PumpUntil([&] { return !IsWindowVisible(run.parked) && !IsWindowVisible(run.kit); }, kPatienceMs))
    return Fail(run, "desktop 2 did not hide the parked window and the kit window");
  SendCommand(run, kModuleDesktop + 0);
  if (!PumpUntil([&] { return IsWindowVisible(run.parked) && IsWindowVisible(run.kit); }, kPatienceMs))
    return Fail(run, "desktop 1 did not show the parked window and the kit window again");
  return true;
}

// A right click with real input at a screen point.
// Whether the screen shows colour at the point. Wine puts a window on the screen some time
// after it is shown; a click before that goes to whatever the screen still has there.
bool ShowsColourAt(POINT at, COLORREF colour) {
  HDC screen = GetDC(NULL);
  COLORREF seen = GetPixel(screen, at.x, at.y);
  ReleaseDC(NULL, screen);
  return seen == colour;
}

void RightClickAt(POINT at) {
  MovePointerTo(at.x, at.y);
  PressRight();
  ReleaseRight();
}

// The rectangle of the tree's selected item, in screen coordinates: the tree writes it
// into a buffer in its own process, which is read back from there.
bool SelectedItemRect(Run& run, HWND tree, RECT& r) {
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item || !run.remote) return false;
  // The query is the item's handle at the start of the RECT.
  SIZE_T moved = 0;
  if (!WriteProcessMemory(run.process, run.remote, &item, sizeof item, &moved) ||
      !SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(run.remote)) ||
      !ReadProcessMemory(run.process, run.remote, &r, sizeof r, &moved))
    return false;
  MapWindowPoints(tree, NULL, reinterpret_cast<POINT*>(&r), 2);
  return true;
}

// A window of velix opened by a choice in a tray menu, once it shows; NULL, the failure
// said, when it does not.
template <size_t N>
HWND OpenFromMenu(Run& run, LPARAM trayButton, const char* menu, const WORD (&keys)[N], const char* title,
                  const char* which) {
  ClickTray(run, trayButton);
  if (!PickFromMenu(run, menu, keys)) return NULL;
  HWND window = NULL;
  if (!PumpUntil([&] { return (window = WindowOf(run.pid, "KxCardClassName", title)) != NULL &&
                              IsWindowVisible(window); }, kPatienceMs)) {
    Fail(run, std::string("the ") + which + " did not open");
    return NULL;
  }
  return window;
}

// Closes a window of velix as its close box does; closing only hides it.
bool CloseToolWindow(Run& run, HWND window, const char* which) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (!PumpUntil([&] { return !IsWindowVisible(window); }, kPatienceMs))
    return Fail(run, std::string("the ") + which + " did not close");
  return true;
}

bool Tree(Run& run) {
  HWND window =
      OpenFromMenu(run, WM_LBUTTONUP, "launcher menu", kMaintenanceKeys, "Velibox中快捷", "maintenance window");
  if (!window) return false;
  HWND tree = ChildOfClass(window, "SysTreeView32", nullptr);
  if (!tree) return Fail(run, "the maintenance window has no tree");
  LRESULT items = SendMessageA(tree, TVM_GETCOUNT, 0, 0);
  int rows = TheDb.Count("KX_SOFT", "1=1");
  int newest = TheDb.Max("KX_SOFT", "S_ID", "1=1");

  // The empty space below the items stands for the root.
  RECT area = RectOf(tree);
  const POINT empty = {area.left + 120, area.bottom - 40};
  if (!PumpUntil([&] { return ShowsColourAt(empty, GetSysColor(COLOR_WINDOW)); }, kPatienceMs))
    return Fail(run, "the tree did not reach the screen");
  RightClickAt(empty);
  if (!PickFromMenu(run, "tree menu", kTreeNewGroupKeys)) return false;
  if (!PumpUntil([&] { return SendMessageA(tree, TVM_GETCOUNT, 0, 0) == items + 1; }, kPatienceMs))
    return Fail(run, "新组 added no tree item");
  if (TheDb.Count("KX_SOFT", "1=1") != rows + 1) return Fail(run, "新组 stored no row");
  const KxString added = "S_ID=" + KxString::FromInt(TheDb.Max("KX_SOFT", "S_ID", "1=1"));
  if (TheDb.Max("KX_SOFT", "S_ID", "1=1") <= newest) return Fail(run, "新组 stored no new row");

  // The new group is selected; its menu is opened on it.
  RECT item;
  if (!SelectedItemRect(run, tree, item)) return Fail(run, "the new group's place cannot be read");
  RightClickAt(POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
  if (!PickFromMenu(run, "tree menu", kTreeDeleteKeys)) return false;
  if (!PumpUntil([&] { return SendMessageA(tree, TVM_GETCOUNT, 0, 0) == items; }, kPatienceMs))
    return Fail(run, "删除 left the tree item");
  if (TheDb.Count("KX_SOFT", "1=1") != rows || TheDb.Count("KX_SOFT", added) != 0)
    return Fail(run, "删除 did not delete the new group's row");

  return CloseToolWindow(run, window, "maintenance window");
}

bool Settings(Run& run) {
  HWND window = OpenFromMenu(run, WM_RBUTTONUP, "command menu", kSettingsKeys, "设置", "settings window");
  return window && CloseToolWindow(run, window, "settings window");
}

struct WindowTally {
  DWORD pid;
  long top = 0;
  long children = 0;
};

BOOL CALLBACK TallyChild(HWND, LPARAM param) {
  ++reinterpret_cast<WindowTally*>(param)->children;
  return TRUE;
}

BOOL CALLBACK TallyTop(HWND hwnd, LPARAM param) {
  WindowTally* tally = reinterpret_cast<WindowTally*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != tally->pid) return TRUE;
  ++tally->top;
  EnumChildWindows(hwnd, TallyChild, param);
  return TRUE;
}

Sample Measure(const Run& run, int cycle) {
  Sample s;
  s.cycle = cycle;
  s.privateKb = PrivateKb(run.process, run.exe);
  s.gdi = static_cast<long>(GetGuiResources(run.process, GR_GDIOBJECTS));
  s.user = static_cast<long>(GetGuiResources(run.process, GR_USEROBJECTS));
  DWORD handles = 0;
  if (GetProcessHandleCount(run.process, &handles)) s.handles = static_cast<long>(handles);
  WindowTally tally{run.pid};
  EnumWindows(TallyTop, reinterpret_cast<LPARAM>(&tally));
  s.topWindows = tally.top;
  s.childWindows = tally.children;
  return s;
}

// A live process always holds GDI objects, USER objects and handles: 0 means the platform
// did not answer (Wine does not count them).
std::string Figure(long value, bool known) {
  return known ? std::to_string(value) : "n/a";
}

struct Known {
  bool gdi = false, user = false, handles = false;
};

void PrintHeader() {
  std::printf("%7s %12s %6s %6s %8s %8s %8s %8s\n", "cycle", "private KB", "GDI", "USER", "handles", "top-wnd",
              "child-wnd", "s/cycle");
}

void PrintSample(const Sample& s, const Known& known) {
  std::printf("%7d %12.0f %6s %6s %8s %8ld %8ld %8.2f\n", s.cycle, s.privateKb, Figure(s.gdi, known.gdi).c_str(),
              Figure(s.user, known.user).c_str(), Figure(s.handles, known.handles).c_str(), s.topWindows,
              s.childWindows, s.secondsPerCycle);
}

// One figure's growth and whether it stays within its tolerance. counted: the platform
// gives the figure at all; read: both samples have it. A figure counted but not read fails.
bool Flat(const char* name, double from, double to, double tolerance, bool counted, bool read, const char* unit) {
  if (!counted) {
    std::printf("  %-14s n/a (not counted by this platform)\n", name);
    return true;
  }
  if (!read) {
    std::printf("  %-14s not read in a sample  FAILS\n", name);
    return false;
  }
  double growth = to - from;
  bool flat = growth <= tolerance;
  std::printf("  %-14s %+10.0f %-3s (%.0f -> %.0f, tolerance %.0f)%s\n", name, growth, unit, from, to, tolerance,
              flat ? "" : "  GROWS");
  return flat;
}

bool Verdict(const Sample& base, const Sample& last, const Known& known) {
  std::printf("growth from cycle %d (end of warm-up) to cycle %d:\n", base.cycle, last.cycle);
  bool flat = true;
  flat = Flat("private memory", base.privateKb, last.privateKb, kMemoryToleranceKb, base.privateKb > 0,
              last.privateKb > 0, "KB") && flat;
  flat = Flat("GDI objects", base.gdi, last.gdi, kCountTolerance, known.gdi, base.gdi > 0 && last.gdi > 0, "") && flat;
  flat = Flat("USER objects", base.user, last.user, kCountTolerance, known.user, base.user > 0 && last.user > 0, "") &&
         flat;
  flat = Flat("handles", base.handles, last.handles, kCountTolerance, known.handles,
              base.handles > 0 && last.handles > 0, "") && flat;
  flat = Flat("top windows", base.topWindows, last.topWindows, kCountTolerance, true, true, "") && flat;
  flat = Flat("child windows", base.childWindows, last.childWindows, kCountTolerance, true, true, "") && flat;
  std::printf("verdict: %s\n", flat ? "flat" : "grows");
  return flat;
}

// Config.db with every table and this machine's identity (no first use), the shut-down
// commands switched off.
bool MakeStore(const std::string& folder) {
  if (!TheDb.Open((folder + "\\Config.db").c_str())) return false;
  CreateMissingTables();
  CheckFirstUse(FirstAdapterAddress());
  bool ok = SaveModuleRow(kModuleShutDown, 0, false, false, "off");
  TheDb.Close();
  return ok;
}

bool Start(Run& run) {
  run.process = StartProcess(run.exe.c_str(), "", run.folder.c_str());
  if (!run.process) return Fail(run, "velix.exe did not start");
  run.pid = GetProcessId(run.process);
  if (!PumpUntil([&] { return (run.kit = WindowOf(run.pid, "KxCardClassName", "Velix")) != NULL &&
                              IsWindowVisible(run.kit); }, 20000))
    return Fail(run, "the kit window did not show");
  run.remote = VirtualAllocEx(run.process, NULL, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  PumpFor(kSettleMs);
  return true;
}

// Exit through the command; true when velix ended with 0 in time.
bool Stop(Run& run) {
  if (!run.process) return true;
  if (run.remote) VirtualFreeEx(run.process, run.remote, 0, MEM_RELEASE);
  run.remote = nullptr;
  bool ended = false;
  DWORD code = 0xDEAD;
  if (run.kit) {
    SendCommand(run, kModuleExit);
    PumpUntil([&] { return (ended = WaitProcess(run.process, 0, &code)); }, 15000);
  }
  if (!ended) {
    std::fprintf(stderr, "soak bench: velix did not exit within 15 s of its exit command; ended by force\n");
    TerminateProcess(run.process, 1);
    WaitProcess(run.process, 5000, nullptr);
  } else if (code != 0) {
    std::fprintf(stderr, "soak bench: velix exited with %lu\n", code);
  }
  CloseHandle(run.process);
  run.process = NULL;
  return ended && code == 0;
}

int Soak(Run& run, int cycles, int every) {
  struct Step {
    const char* name;
    bool (*run)(Run&);
  };
  const Step steps[] = {{"menus", Menus}, {"note", Note}, {"desktops", Desktops}, {"tree", Tree},
                        {"settings", Settings}};
  int warmUp = cycles / 10 < every ? every : (cycles / 10 + every - 1) / every * every;
  std::vector<Sample> samples;
  Known known;
  PrintHeader();
  DWORD intervalStart = GetTickCount();
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    for (const Step& step : steps) {
      if (!step.run(run)) {
        std::fprintf(stderr, "soak bench: cycle %d, %s: %s\n", cycle, step.name, run.failure.c_str());
        return 1;
      }
    }
    if (cycle % every != 0 && cycle != cycles) continue;
    int done = samples.empty() ? cycle : cycle - samples.back().cycle;
    double seconds = (GetTickCount() - intervalStart) / 1000.0;
    PumpFor(kSettleMs);
    Sample s = Measure(run, cycle);
    s.secondsPerCycle = seconds / done;
    known.gdi = known.gdi || s.gdi > 0;
    known.user = known.user || s.user > 0;
    known.handles = known.handles || s.handles > 0;
    samples.push_back(s);
    PrintSample(s, known);
    intervalStart = GetTickCount();
  }
  const Sample* base = nullptr;
  for (const Sample& s : samples) {
    if (s.cycle >= warmUp) {
      base = &s;
      break;
    }
  }
  if (!base || base == &samples.back()) {
    std::printf("verdict: none (no sample after the warm-up; run more cycles or sample more often)\n");
    return 3;
  }
  return Verdict(*base, samples.back(), known) ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  int cycles = argc > 1 ? std::atoi(argv[1]) : 100;
  int every = argc > 2 ? std::atoi(argv[2]) : 10;
  if (cycles < 1) cycles = 1;
  if (every < 1) every = 1;

  Run run;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  // A folder of this run's own: the memory reading finds velix by its path.
  run.folder = std::string(temp) + "velix-soak-bench-" + std::to_string(GetCurrentProcessId());
  RemoveTree(run.folder.c_str());
  CreateDirectoryA(run.folder.c_str(), NULL);
  run.exe = run.folder + "\\velix.exe";
  if (!CopyFileA((std::string(ProgramDirectory().CStr()) + "\\velix.exe").c_str(), run.exe.c_str(), FALSE) ||
      !MakeStore(run.folder)) {
    std::fprintf(stderr, "soak bench: cannot prepare %s\n", run.folder.c_str());
    RemoveTree(run.folder.c_str());
    return 1;
  }
  run.parked = CreateWindowExA(0, "STATIC", kParkedTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 120, NULL,
                               NULL, GetModuleHandleA(NULL), NULL);
  std::printf("velix soak: %d cycles, a sample every %d\n", cycles, every);
  int result = 1;
  if (!Start(run)) {
    std::fprintf(stderr, "soak bench: %s\n", run.failure.c_str());
  } else if (!TheDb.Open((run.folder + "\\Config.db").c_str())) {
    std::fprintf(stderr, "soak bench: cannot read velix's Config.db\n");
  } else {
    result = Soak(run, cycles, every);
  }
  TheDb.Close();
  if (!Stop(run) && result == 0) result = 1;
  if (run.parked) DestroyWindow(run.parked);
  if (!RemoveTree(run.folder.c_str())) std::fprintf(stderr, "soak bench: %s could not be removed\n", run.folder.c_str());
  return result;
}
