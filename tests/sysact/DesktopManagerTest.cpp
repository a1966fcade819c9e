// Virtual desktops over real top-level windows of this test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "sysact/DesktopManager.h"
#include "tests/support/GuiTestUtil.h"

namespace {

HWND MakeWindow(const char* title, bool visible) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "VelixDesktopTestWindow";
    RegisterClassA(&wc);
    registered = true;
  }
  return CreateWindowExA(0, "VelixDesktopTestWindow", title,
                         WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 10, 10, 100, 80, NULL, NULL,
                         GetModuleHandleA(NULL), NULL);
}

bool Contains(const std::vector<HWND>& list, HWND hwnd) {
  for (HWND h : list)
    if (h == hwnd) return true;
  return false;
}

// ---- The registry store, read and written raw

bool StoreExists(const char* value = StoreValueName()) {
  return RegGetValueA(HKEY_CURRENT_USER, kStoreKey, value, RRF_RT_ANY, NULL, NULL, NULL) == ERROR_SUCCESS;
}

// The windows the store names; none when there is no value.
std::vector<HWND> StoredHandles() {
  char text[kStoreMaxBytes + 1] = {};
  DWORD size = sizeof(text);
  std::vector<HWND> handles;
  if (RegGetValueA(HKEY_CURRENT_USER, kStoreKey, StoreValueName(), RRF_RT_REG_SZ, NULL, text, &size) ==
      ERROR_SUCCESS) {
    for (const StoredWindow& window : ParseStoredWindows(text)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(window.hwnd, &pid);
      EXPECT_EQ(pid, window.processId);
      EXPECT_EQ(ProcessCreationTime(pid), window.processCreated);
      EXPECT_EQ(StoredClassName(window.hwnd), window.className);
      handles.push_back(window.hwnd);
    }
  }
  return handles;
}

void PutValue(const char* keyName, DWORD options, const char* value, DWORD type, const KxString& bytes) {
  HKEY key = NULL;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, NULL, options, KEY_SET_VALUE, NULL, &key, NULL));
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, value, 0, type, reinterpret_cast<const BYTE*>(bytes.CStr()),
                                          static_cast<DWORD>(bytes.Length() + 1)));
  RegCloseKey(key);
}

void PutStore(DWORD type, const KxString& bytes, const char* value = StoreValueName()) {
  // As the program does: its own key lasts (a key made along the way would take the options
  // of the store and make every later lasting key under it fail), only the store is volatile.
  HKEY own = NULL;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Velix", 0, NULL, REG_OPTION_NON_VOLATILE,
                                           KEY_READ, NULL, &own, NULL));
  RegCloseKey(own);
  PutValue(kStoreKey, REG_OPTION_VOLATILE, value, type, bytes);
}

TEST(Desktops, SwitchingAwayAndBackHidesAndRestoresInOrder) {
  HWND first = MakeWindow("first", true);
  HWND second = MakeWindow("second", true);
  HWND invisible = MakeWindow("invisible", false);
  {
    DesktopManager desktops;
    desktops.SwitchDesktop(0);  // the current one: nothing collected
    EXPECT_TRUE(desktops.Remembered(0).empty());

    desktops.SwitchDesktop(1);
    EXPECT_EQ(1, desktops.CurrentDesktop());
    EXPECT_FALSE(IsWindowVisible(first));
    EXPECT_FALSE(IsWindowVisible(second));
    const std::vector<HWND>& onZero = desktops.Remembered(0);
    EXPECT_TRUE(Contains(onZero, first));
    EXPECT_TRUE(Contains(onZero, second));
    EXPECT_FALSE(Contains(onZero, invisible));
    EXPECT_FALSE(Contains(onZero, FindWindowA("Shell_TrayWnd", NULL)));
    EXPECT_EQ(onZero, StoredHandles()) << "the store follows every switch";

    HWND third = MakeWindow("third", true);
    desktops.SwitchDesktop(0);
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_TRUE(IsWindowVisible(second));
    EXPECT_FALSE(IsWindowVisible(third));
    EXPECT_FALSE(IsWindowVisible(invisible)) << "an invisible window is left alone";
    EXPECT_TRUE(desktops.Remembered(0).empty());
    EXPECT_TRUE(Contains(desktops.Remembered(1), third));
    EXPECT_EQ(desktops.Remembered(1), StoredHandles());

    desktops.SwitchDesktop(8);  // out of range
    desktops.SwitchDesktop(-1);
    EXPECT_EQ(0, desktops.CurrentDesktop());
    EXPECT_FALSE(IsWindowVisible(third));
  }
  // The manager's end shows what other desktops still held.
  EXPECT_TRUE(IsWindowVisible(FindWindowA("VelixDesktopTestWindow", "third")));
  EXPECT_FALSE(StoreExists()) << "nothing hidden, nothing stored";
  DestroyWindow(first);
  DestroyWindow(second);
  DestroyWindow(invisible);
  DestroyWindow(FindWindowA("VelixDesktopTestWindow", "third"));
}

TEST(Desktops, AWindowClosedWhileHiddenIsSkippedAndOneThatShowsItselfStaysWithItsDesktop) {
  HWND gone = MakeWindow("gone", true);
  HWND kept = MakeWindow("kept", true);
  DesktopManager desktops;
  desktops.SwitchDesktop(3);
  DestroyWindow(gone);
  ShowWindow(kept, SW_SHOW);  // its program shows it while it is parked
  desktops.SwitchDesktop(4);
  EXPECT_TRUE(desktops.Remembered(3).empty()) << "still desktop 0's, nowhere else";
  EXPECT_TRUE(Contains(desktops.Remembered(0), kept));
  desktops.SwitchDesktop(0);
  EXPECT_TRUE(IsWindowVisible(kept));
  for (int index = 0; index < DesktopManager::kCount; ++index) EXPECT_TRUE(desktops.Remembered(index).empty());
  DestroyWindow(kept);
}

TEST(DesktopStore, TextRoundTripsAndAnythingElseIsSkipped) {
  std::vector<StoredWindow> windows = {{HWND(0x7FFFFFFE), 0xFFFFFFFFu, 0x1DB0000ABCDEF12ull, "Class With Spaces"},
                                      {HWND(0x10), 0, 0, "\xc4\xe3"}};
  KxString text = FormatStoredWindows(windows);
  EXPECT_EQ(KxString("7FFFFFFE 4294967295 1DB0000ABCDEF12 Class With Spaces\n10 0 0 \xc4\xe3"), text);
  EXPECT_EQ(text, FormatStoredWindows(ParseStoredWindows(text)));

  // Each bad line between two good ones: only the good ones come out.
  const KxString badLines[] = {
      "",
      "garbage",
      "1A 5 0",
      "1A 5 0 ",
      "1A 5 Cls",  // the form of earlier versions
      "0 5 0 Cls",
      "G1 5 0 Cls",
      "1A -5 0 Cls",
      "1A 4294967296 0 Cls",
      "1A 5 G 0 Cls",
      "1A 5 10000000000000000 Cls",
      "1A  5 0 Cls",
      " 1A 5 0 Cls",
      "1A 5 0 Cls\tTab",
      "1A 5 0 Cls\r",
      "1FFFFFFFFFFFFFFFF 5 0 Cls",
      "1A 5x 0 Cls",
      KxString("1A 5 0 ") + KxString('x', 256),
  };
  for (const KxString& bad : badLines)
    EXPECT_EQ("B 1 0 Good\nC 2 FF Good",
              FormatStoredWindows(ParseStoredWindows("B 1 0 Good\n" + bad + "\nC 2 FF Good")))
        << "[" << bad.CStr() << "]";

  // The cap: a long list is cut to whole lines within it; longer text is not read at all.
  KxString capped = FormatStoredWindows(std::vector<StoredWindow>(5000, {HWND(0x12345678), 4321, 0x1DB, "Cls"}));
  EXPECT_GT(capped.Length(), kStoreMaxBytes - 20);
  EXPECT_EQ(capped, FormatStoredWindows(ParseStoredWindows(capped)));
  EXPECT_TRUE(ParseStoredWindows(capped + "\n1 1 1 " + KxString('x', 20)).empty());
}

TEST(Desktops, AStartShowsWhatADeadRunLeftHiddenWhileItIsStillTheSameWindow) {
  struct Case {
    const char* title;
    bool destroyed;
    DWORD pidOffset;
    ULONGLONG startOffset;
    const char* otherClass;
    bool shown;
  } cases[] = {
      {"matching", false, 0, 0, nullptr, true},
      {"destroyed since", true, 0, 0, nullptr, false},
      {"another process", false, 1, 0, nullptr, false},
      {"the same id, another start", false, 0, 1, nullptr, false},
      {"another class", false, 0, 0, "Edit", false},
  };
  std::vector<HWND> windows;
  std::vector<StoredWindow> stored;
  for (const Case& c : cases) {
    HWND hwnd = MakeWindow(c.title, false);
    windows.push_back(hwnd);
    stored.push_back({hwnd, GetCurrentProcessId() + c.pidOffset,
                      ProcessCreationTime(GetCurrentProcessId()) + c.startOffset,
                      c.otherClass ? KxString(c.otherClass) : StoredClassName(hwnd)});
    if (c.destroyed) DestroyWindow(hwnd);
  }
  ASSERT_NE(0u, stored[0].processCreated);
  // Another session's windows, and the store of earlier versions, which a restart kept.
  char otherSession[16];
  wsprintfA(otherSession, "%lu", std::strtoul(StoreValueName(), nullptr, 10) + 1);
  HWND elsewhere = MakeWindow("another session's", false);
  PutStore(REG_SZ, FormatStoredWindows({{elsewhere, stored[0].processId, stored[0].processCreated,
                                         StoredClassName(elsewhere)}}),
           otherSession);
  PutValue("Software\\Velix", 0, "HiddenWindows", REG_SZ, "10 1 Cls");
  PutStore(REG_SZ, FormatStoredWindows(stored) + "\nnot a line\n");
  {
    DesktopManager desktops;
    PumpFor(100);
    EXPECT_FALSE(StoreExists()) << "read once";
    for (size_t i = 0; i < windows.size(); ++i)
      EXPECT_EQ(cases[i].shown, IsWindowVisible(windows[i]) != FALSE) << cases[i].title;
  }
  EXPECT_TRUE(StoreExists(otherSession)) << "another session's store is its own";
  EXPECT_FALSE(IsWindowVisible(elsewhere));
  DestroyWindow(elsewhere);
  EXPECT_NE(ERROR_SUCCESS,
            RegGetValueA(HKEY_CURRENT_USER, "Software\\Velix", "HiddenWindows", RRF_RT_ANY, NULL, NULL, NULL));
  // The program's own key is not volatile: a lasting key can be made under it.
  HKEY own = NULL;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Velix\\lasting", 0, NULL,
                                           REG_OPTION_NON_VOLATILE, KEY_READ, NULL, &own, NULL));
  RegCloseKey(own);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Velix\\lasting");
  // What was stored for this session, no restart keeps: the key is volatile, and so a lasting
  // key under it cannot be made.
  HKEY lasting = NULL;
  LONG made = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Velix\\HiddenWindows\\lasting", 0, NULL,
                              REG_OPTION_NON_VOLATILE, KEY_READ, NULL, &lasting, NULL);
  EXPECT_EQ(ERROR_CHILD_MUST_BE_VOLATILE, made);
  if (made == ERROR_SUCCESS) {
    RegCloseKey(lasting);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Velix\\HiddenWindows\\lasting");
  }
  HKEY store = NULL;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kStoreKey, 0, KEY_SET_VALUE, &store));
  RegDeleteValueA(store, otherSession);
  RegCloseKey(store);
  ShowWindow(windows[0], SW_HIDE);

  // A value of the wrong type or too long is not read, and goes.
  KxString matching = FormatStoredWindows({stored[0]});
  for (DWORD type : {DWORD(REG_BINARY), DWORD(REG_SZ)}) {
    PutStore(type, type == REG_SZ ? matching + "\n" + KxString('x', kStoreMaxBytes) : matching);
    DesktopManager desktops;
    PumpFor(100);
    EXPECT_FALSE(IsWindowVisible(windows[0])) << type;
    EXPECT_FALSE(StoreExists()) << type;
  }
  for (HWND hwnd : windows) DestroyWindow(hwnd);
}

LONG WINAPI EarlierFilter(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

TEST(Desktops, TheEndOfTheSessionAndACrashShowEverythingAtOnce) {
  struct Way {
    const char* name;
    LONG (*end)(DesktopManager&);
    LONG result;
  } ways[] = {
      {"end of session",
       [](DesktopManager&) {
         HWND session = FindWindowA("VelixDesktopSession", NULL);
         EXPECT_FALSE(IsWindowVisible(session));
         EXPECT_EQ(TRUE, SendMessageA(session, WM_QUERYENDSESSION, 0, 0));
         SendMessageA(session, WM_ENDSESSION, FALSE, 0);
         EXPECT_FALSE(IsWindowVisible(FindWindowA("VelixDesktopTestWindow", "ours"))) << "cancelled: nothing";
         return LONG(SendMessageA(session, WM_ENDSESSION, TRUE, 0));
       },
       0},
      {"crash",
       [](DesktopManager& desktops) {
         LPTOP_LEVEL_EXCEPTION_FILTER outer = SetUnhandledExceptionFilter(EarlierFilter);
         LONG result = EXCEPTION_CONTINUE_EXECUTION;
         {
           DesktopCrashGuard guard(desktops);
           LPTOP_LEVEL_EXCEPTION_FILTER installed = SetUnhandledExceptionFilter(NULL);
           SetUnhandledExceptionFilter(installed);
           EXCEPTION_RECORD record = {};
           record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
           CONTEXT context = {};
           EXCEPTION_POINTERS pointers = {&record, &context};
           result = installed(&pointers);
         }
         EXPECT_EQ(&EarlierFilter, SetUnhandledExceptionFilter(outer)) << "the earlier filter is back";
         return result;
       },
       EXCEPTION_EXECUTE_HANDLER},
  };
  for (const Way& way : ways) {
    HWND ours = MakeWindow("ours", true);
    DesktopManager desktops;
    desktops.SwitchDesktop(5);
    ASSERT_FALSE(IsWindowVisible(ours)) << way.name;
    ASSERT_TRUE(StoreExists()) << way.name;
    LONG result = way.end(desktops);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(ours) != FALSE; }, 2000)) << way.name;
    EXPECT_FALSE(StoreExists()) << way.name;
    EXPECT_TRUE(desktops.Remembered(0).empty()) << way.name;
    EXPECT_EQ(way.result, result) << way.name << ": a crash passes on to the earlier filter";
    DestroyWindow(ours);
  }
}

}  // namespace
