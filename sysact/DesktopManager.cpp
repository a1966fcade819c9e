#include "sysact/DesktopManager.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "kx/base/KxWide.h"

DesktopManager* TheDesktops = nullptr;

const char kStoreKey[] = "Software\\Velix\\HiddenWindows";

namespace {

// kStoreKey in its two parts: the program's own key, which lasts, and the volatile store
// under it.
const char kProgramKey[] = "Software\\Velix";
const char kStoreSubkey[] = "HiddenWindows";
// Where earlier versions kept the store: a value of the program's key that outlived a
// restart of the system and was shared by every session of the user. Its handles mean
// nothing now; it is removed.
const char kOldStoreValue[] = "HiddenWindows";

// Filled once, before any store call: a crashing process reads it without allocating.
char storeValue[16] = "";

}  // namespace

const char* StoreValueName() {
  if (!storeValue[0]) {
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) session = 0;
    wsprintfA(storeValue, "%lu", static_cast<unsigned long>(session));
  }
  return storeValue;
}

ULONGLONG ProcessCreationTime(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return 0;
  FILETIME created = {}, exited = {}, kernel = {}, user = {};
  ULONGLONG time = 0;
  if (GetProcessTimes(process, &created, &exited, &kernel, &user))
    time = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  CloseHandle(process);
  return time;
}

namespace {

const char* const kExcludedClasses[] = {"BaseBar", "SysShadow", "#32768"};
const char kSessionClass[] = "VelixDesktopSession";
// Longer than any window class name.
const int kMaxClassName = 256;

// ---- The store's text

// Digits of [begin, end) as a number in the given base; false for an empty run, a
// non-digit or more than fits.
bool ParseNumber(const char* begin, const char* end, int base, unsigned long long limit,
                 unsigned long long& value) {
  if (begin == end) return false;
  value = 0;
  for (const char* p = begin; p < end; ++p) {
    int digit = -1;
    if (*p >= '0' && *p <= '9') digit = *p - '0';
    else if (base == 16 && *p >= 'A' && *p <= 'F') digit = *p - 'A' + 10;
    else if (base == 16 && *p >= 'a' && *p <= 'f') digit = *p - 'a' + 10;
    if (digit < 0 || value > (limit - digit) / base) return false;
    value = value * base + digit;
  }
  return true;
}

// The end of the field that starts at begin: the next blank, or null when there is none.
const char* FieldEnd(const char* begin, const char* end) {
  return static_cast<const char*>(std::memchr(begin, ' ', end - begin));
}

bool ParseLine(const char* begin, const char* end, StoredWindow& window) {
  const char* handleEnd = FieldEnd(begin, end);
  if (!handleEnd) return false;
  const char* pidEnd = FieldEnd(handleEnd + 1, end);
  if (!pidEnd) return false;
  const char* createdEnd = FieldEnd(pidEnd + 1, end);
  if (!createdEnd) return false;
  unsigned long long handle = 0;
  unsigned long long pid = 0;
  unsigned long long created = 0;
  if (!ParseNumber(begin, handleEnd, 16, static_cast<uintptr_t>(-1), handle) || handle == 0) return false;
  if (!ParseNumber(handleEnd + 1, pidEnd, 10, 0xFFFFFFFFull, pid)) return false;
  if (!ParseNumber(pidEnd + 1, createdEnd, 16, ~0ull, created)) return false;
  const char* name = createdEnd + 1;
  if (name == end || end - name >= kMaxClassName) return false;
  for (const char* p = name; p < end; ++p)
    if (static_cast<unsigned char>(*p) < 0x20) return false;
  window.hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
  window.processId = static_cast<DWORD>(pid);
  window.processCreated = created;
  window.className = KxString(name, static_cast<int>(end - name));
  return true;
}

// ---- The store in the registry

void WriteStore(const KxString& text) {
  // The program's own key lasts; only the store under it is volatile (a missing parent would
  // be made with the options of the key asked for).
  HKEY parent = NULL;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kProgramKey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_CREATE_SUB_KEY, NULL,
                      &parent, NULL) != ERROR_SUCCESS)
    return;
  HKEY key = NULL;
  LONG created = RegCreateKeyExA(parent, kStoreSubkey, 0, NULL, REG_OPTION_VOLATILE, KEY_SET_VALUE, NULL, &key,
                                 NULL);
  RegCloseKey(parent);
  if (created != ERROR_SUCCESS) return;
  // Wide: a class name of another program's window may hold any character.
  const KxWide data(text);
  RegSetValueExW(key, KxWide(storeValue), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.Get()),
                 static_cast<DWORD>((data.Length() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

// Allocates nothing of ours: a crashing process calls it.
void ClearStore() {
  HKEY key = NULL;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kStoreKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, storeValue);
  RegCloseKey(key);
}

void ClearOldStore() {
  HKEY key = NULL;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProgramKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, kOldStoreValue);
  RegCloseKey(key);
}

// The stored text; empty when there is none, or when it is not a string or too long.
KxString ReadStore() {
  KxString text;
  HKEY key = NULL;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kStoreKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return text;
  const KxWide name(storeValue);
  KxWide data;
  DWORD type = 0;
  DWORD size = 0;
  // A text within the limit never takes more UTF-16 characters than bytes.
  if (RegQueryValueExW(key, name, NULL, &type, NULL, &size) == ERROR_SUCCESS && type == REG_SZ &&
      size <= (static_cast<DWORD>(kStoreMaxBytes) + 1) * sizeof(wchar_t) &&
      data.Resize(static_cast<int>(size / sizeof(wchar_t)) + 1)) {
    DWORD got = size;
    if (RegQueryValueExW(key, name, NULL, &type, reinterpret_cast<BYTE*>(data.Buffer()), &got) == ERROR_SUCCESS &&
        got <= size) {
      int length = static_cast<int>(got / sizeof(wchar_t));
      while (length > 0 && data.Get()[length - 1] == 0) --length;
      text = KxFromWide(data.Get(), length);
    }
  }
  RegCloseKey(key);
  return text;
}

// Shows what the store names, as far as each window is still the one stored: alive, still
// hidden, still top-level, of the same process (id and start time) and class. Async: a hung
// program must not hold up the start.
void ShowLeftHidden() {
  for (const StoredWindow& stored : ParseStoredWindows(ReadStore())) {
    HWND hwnd = stored.hwnd;
    if (!IsWindow(hwnd) || IsWindowVisible(hwnd) || GetAncestor(hwnd, GA_PARENT) != GetDesktopWindow()) continue;
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    // A start time that could not be read when the window was stored (another user's or a
    // protected process) cannot be compared.
    if (processId != stored.processId ||
        (stored.processCreated != 0 && ProcessCreationTime(processId) != stored.processCreated) ||
        StoredClassName(hwnd) != stored.className)
      continue;
    ShowWindowAsync(hwnd, SW_SHOWNA);
  }
  ClearStore();
  ClearOldStore();
}

// Another thread's window asynchronously: a synchronous call waits for that thread, and a
// hung program would hold up the switch or the exit. This thread's own windows at once.
BOOL WINAPI ShowWithoutWaiting(HWND hwnd, int command) {
  if (GetWindowThreadProcessId(hwnd, NULL) == GetCurrentThreadId()) return ShowWindow(hwnd, command);
  return ShowWindowAsync(hwnd, command);
}

// ---- The crash filter

DesktopManager* volatile crashGuarded = nullptr;
LPTOP_LEVEL_EXCEPTION_FILTER crashPrevious = nullptr;

LONG WINAPI ShowAllOnCrash(EXCEPTION_POINTERS* info) {
  // Taken once: a second crash, or one inside ShowAllNow, goes straight on.
  DesktopManager* desktops = static_cast<DesktopManager*>(
      InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&crashGuarded), nullptr));
  if (desktops) desktops->ShowAllNow();
  return crashPrevious ? crashPrevious(info) : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

KxString FormatStoredWindows(const std::vector<StoredWindow>& windows) {
  KxString text;
  for (const StoredWindow& window : windows) {
    char head[64];
    std::snprintf(head, sizeof(head), "%llX %lu %llX ",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window.hwnd)),
                  static_cast<unsigned long>(window.processId),
                  static_cast<unsigned long long>(window.processCreated));
    int lineLength = static_cast<int>(std::strlen(head)) + window.className.Length();
    if (text.Length() + 1 + lineLength > kStoreMaxBytes) break;
    if (!text.IsEmpty()) text += "\n";
    text += head;
    text += window.className;
  }
  return text;
}

std::vector<StoredWindow> ParseStoredWindows(const KxString& text) {
  std::vector<StoredWindow> windows;
  if (text.Length() > kStoreMaxBytes) return windows;
  const char* p = text.CStr();
  const char* end = p + text.Length();
  while (p < end) {
    const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', end - p));
    if (!lineEnd) lineEnd = end;
    StoredWindow window;
    if (ParseLine(p, lineEnd, window)) windows.push_back(window);
    p = lineEnd + 1;
  }
  return windows;
}

KxString StoredClassName(HWND hwnd) {
  wchar_t name[kMaxClassName] = {};
  GetClassNameW(hwnd, name, kMaxClassName);
  int length = 0;
  while (name[length] && name[length] >= 0x20) ++length;
  KxString text = KxFromWide(name, length);
  // A line of the store holds no more than this.
  if (text.Length() >= kMaxClassName) text.Resize(KxPrevCharPos(text, kMaxClassName));
  return text;
}

DesktopManager::DesktopManager()
    : taskbarWindow(FindWindowA("Shell_TrayWnd", NULL)), desktopWindow(FindWindowA("Progman", NULL)) {
  StoreValueName();
  ShowLeftHidden();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = SessionProc;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.lpszClassName = kSessionClass;
  RegisterClassA(&wc);  // already there for a second manager of the process
  sessionWindow = CreateWindowExA(WS_EX_TOOLWINDOW, kSessionClass, "", WS_POPUP, 0, 0, 0, 0, NULL, NULL,
                                  GetModuleHandleA(NULL), NULL);
  if (sessionWindow) SetWindowLongPtrA(sessionWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

DesktopManager::~DesktopManager() {
  ShowRemembered(ShowWithoutWaiting);
  if (sessionWindow) DestroyWindow(sessionWindow);
  if (TheDesktops == this) TheDesktops = nullptr;
}

void DesktopManager::ShowAllNow() { ShowRemembered(ShowWindowAsync); }

void DesktopManager::ShowRemembered(BOOL(WINAPI* show)(HWND, int)) {
  for (std::vector<HWND>& slot : slots) {
    for (HWND hwnd : slot)
      if (IsWindow(hwnd)) show(hwnd, SW_SHOWNA);
    slot.clear();
  }
  ClearStore();
}

LRESULT CALLBACK DesktopManager::SessionProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_QUERYENDSESSION) return TRUE;
  if (msg == WM_ENDSESSION) {
    DesktopManager* manager = reinterpret_cast<DesktopManager*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (wParam && manager) manager->ShowAllNow();
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool DesktopManager::Excluded(HWND hwnd) const {
  if (hwnd == taskbarWindow || hwnd == desktopWindow || hwnd == sessionWindow) return true;
  if (keepsOwnState && keepsOwnState(hwnd)) return true;
  char name[260] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  for (const char* excluded : kExcludedClasses)
    if (std::strcmp(name, excluded) == 0) return true;
  return false;
}

bool DesktopManager::RememberedElsewhere(HWND hwnd) const {
  for (int index = 0; index < kCount; ++index) {
    if (index == current) continue;
    for (HWND remembered : slots[index])
      if (remembered == hwnd) return true;
  }
  return false;
}

BOOL CALLBACK DesktopManager::Collect(HWND hwnd, LPARAM self) {
  DesktopManager* manager = reinterpret_cast<DesktopManager*>(self);
  // A window remembered for another desktop is still visible when its program has not yet
  // done the last switch's asynchronous hide, or when it showed itself since: either way it
  // stays that desktop's.
  if (!manager->Excluded(hwnd) && IsWindowVisible(hwnd) && !manager->RememberedElsewhere(hwnd))
    manager->slots[manager->current].push_back(hwnd);
  return TRUE;
}

void DesktopManager::SwitchDesktop(int index) {
  if (index < 0 || index >= kCount || index == current) return;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(this));
  // The store names the windows before they are hidden: a run killed half-way through
  // the switch still leaves them to the next start, which shows only those still hidden.
  SaveHidden();
  for (HWND hwnd : slots[current]) ShowWithoutWaiting(hwnd, SW_HIDE);
  current = index;
  for (HWND hwnd : slots[current])
    if (IsWindow(hwnd)) ShowWithoutWaiting(hwnd, SW_SHOWNA);
  slots[current].clear();
  SaveHidden();
}

void DesktopManager::SaveHidden() const {
  std::vector<StoredWindow> hidden;
  for (const std::vector<HWND>& slot : slots) {
    for (HWND hwnd : slot) {
      DWORD processId = 0;
      if (!IsWindow(hwnd) || !GetWindowThreadProcessId(hwnd, &processId)) continue;
      hidden.push_back(StoredWindow{hwnd, processId, ProcessCreationTime(processId), StoredClassName(hwnd)});
    }
  }
  if (hidden.empty()) ClearStore();
  else WriteStore(FormatStoredWindows(hidden));
}

DesktopCrashGuard::DesktopCrashGuard(DesktopManager& desktops) {
  crashGuarded = &desktops;
  crashPrevious = SetUnhandledExceptionFilter(ShowAllOnCrash);
}

DesktopCrashGuard::~DesktopCrashGuard() {
  SetUnhandledExceptionFilter(crashPrevious);
  crashPrevious = nullptr;
  crashGuarded = nullptr;
}
