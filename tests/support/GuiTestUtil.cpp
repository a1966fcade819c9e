#include "tests/support/GuiTestUtil.h"

#include "kx/base/KxWinHelpers.h"
#include "tests/support/TestUtil.h"
#include "kx/base/KxWide.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <thread>

void PumpFor(int ms) {
  DWORD start = GetTickCount();
  while (static_cast<int>(GetTickCount() - start) < ms) {
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
}

bool PumpUntil(const std::function<bool()>& cond, int timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (cond()) return true;
    if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return false;
    Sleep(5);
  }
}

namespace {

// The screen's pixels in r, the alpha byte cleared.
std::vector<DWORD> ScreenPixels(const RECT& r) {
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  BITMAPINFO info = KxTopDownDib32(width, height);
  void* bits = nullptr;
  HDC screen = GetDC(NULL);
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ previous = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD* source = static_cast<const DWORD*>(bits);
  std::vector<DWORD> pixels(source, source + static_cast<size_t>(width) * height);
  for (DWORD& p : pixels) p &= 0x00FFFFFF;
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(dib);
  ReleaseDC(NULL, screen);
  return pixels;
}

bool AllBlack(const std::vector<DWORD>& pixels) {
  return std::all_of(pixels.begin(), pixels.end(), [](DWORD p) { return p == 0; });
}

}  // namespace

// Wine's display server shows a window some time after ShowWindow, and until then the
// screen holds black where it stands. The top-level window is waited for, not hwnd
// itself: a control may be painted black on purpose.
void WaitUntilOnScreen(HWND hwnd) {
  HWND root = GetAncestor(hwnd, GA_ROOT);
  RECT r;
  if (!root || !GetWindowRect(root, &r) || r.right <= r.left || r.bottom <= r.top) return;
  PumpUntil([&] { return !AllBlack(ScreenPixels(r)); }, 2000);
}

Capture CaptureWindow(HWND hwnd) {
  Capture capture;
  RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpFor(30);
  WaitUntilOnScreen(hwnd);
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return capture;
  capture.width = r.right - r.left;
  capture.height = r.bottom - r.top;
  if (capture.width <= 0 || capture.height <= 0) return capture;
  capture.pixels = ScreenPixels(r);
  return capture;
}

Capture CaptureScreen(const RECT& r) {
  Capture capture;
  capture.width = r.right - r.left;
  capture.height = r.bottom - r.top;
  capture.pixels = ScreenPixels(r);
  return capture;
}

MemorySurface::MemorySurface(int w, int h) : width(w) {
  BITMAPINFO info = KxTopDownDib32(w, h);
  dc = CreateCompatibleDC(NULL);
  bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), NULL, 0);
  previous = SelectObject(dc, bitmap);
}

MemorySurface::MemorySurface(int w, int h, COLORREF fill) : MemorySurface(w, h) {
  RECT all = {0, 0, w, h};
  HBRUSH brush = CreateSolidBrush(fill);
  FillRect(dc, &all, brush);
  DeleteObject(brush);
}

MemorySurface::~MemorySurface() {
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

DWORD MemorySurface::At(int x, int y) {
  GdiFlush();
  return bits[y * width + x] & 0xFFFFFF;
}

DWORD ToPixel(COLORREF color) {
  return (static_cast<DWORD>(GetRValue(color)) << 16) | (static_cast<DWORD>(GetGValue(color)) << 8) |
         GetBValue(color);
}

namespace {

void SendMouse(DWORD flags, int x, int y) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    int w = GetSystemMetrics(SM_CXSCREEN);
    int h = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = (x * 65535 + w / 2) / (w - 1);
    input.mi.dy = (y * 65535 + h / 2) / (h - 1);
  }
  SendInput(1, &input, sizeof(input));
}

}  // namespace

// Where the pointer was last sent. Button events carry it too: under Wine a button event
// without coordinates is sometimes delivered at the pointer's previous place.
static POINT lastPointer = {0, 0};

void MovePointerTo(int x, int y) {
  lastPointer.x = x;
  lastPointer.y = y;
  auto arrived = [x, y] {
    POINT now;
    return GetCursorPos(&now) && now.x == x && now.y == y;
  };
  // Under Wine the pointer reaches the X server a little later, and a late echo of an
  // earlier position can still take it back: wait until the system reports it where it
  // was sent and it stays there, sending it again when it was taken back.
  for (int attempt = 0; attempt < 3; ++attempt) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    PumpUntil(arrived, 1000);
    PumpFor(30);
    if (arrived()) return;
  }
}

void PressLeft() { SendButtonAt(MOUSEEVENTF_LEFTDOWN, lastPointer); }
void ReleaseLeft() { SendButtonAt(MOUSEEVENTF_LEFTUP, lastPointer); }
void PressRight() { SendButtonAt(MOUSEEVENTF_RIGHTDOWN, lastPointer); }
void ReleaseRight() { SendButtonAt(MOUSEEVENTF_RIGHTUP, lastPointer); }

std::thread WindowThread(std::function<void()> body) {
  std::atomic<bool> ready{false};
  std::thread thread([&ready, body = std::move(body)] {
    EnumWindows([](HWND, LPARAM) CALLBACK -> BOOL { return FALSE; }, 0);
    char className[8];
    GetClassNameA(GetDesktopWindow(), className, sizeof className);
    ready = true;
    body();
  });
  while (!ready) Sleep(1);
  return thread;
}

void DriveWhilePumping(const std::function<void()>& script) {
  std::atomic<bool> done(false);
  std::thread driver = WindowThread([&] {
    script();
    done = true;
  });
  PumpUntil([&] { return done.load(); }, 60000);
  driver.join();
}

std::vector<HWND> NoteWindowsOf(DWORD pid) {
  std::vector<HWND> found;
  for (HWND w = GetTopWindow(NULL); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    char text[8] = "";
    GetWindowTextA(w, text, sizeof text);
    if (owner == pid && IsWindowVisible(w) && (GetWindowLongA(w, GWL_STYLE) & WS_POPUP) && !text[0] &&
        ChildOfClass(w, "KxCardClassName", nullptr))
      found.push_back(w);
  }
  return found;
}

POINT CentreOf(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  return p;
}

HWND ThreadWindow(const char* className, const char* caption) {
  for (HWND w = FindWindowExA(NULL, NULL, className, caption); w;
       w = FindWindowExA(NULL, w, className, caption)) {
    if (GetWindowThreadProcessId(w, NULL) == GetCurrentThreadId()) return w;
  }
  return NULL;
}

namespace {

void SendKey(WORD vk, WORD scan, DWORD flags) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = scan;
  input.ki.dwFlags = flags;
  SendInput(1, &input, sizeof(input));
}

}  // namespace

void KeyDown(WORD vk) {
  SendKey(vk, 0, 0);
  PumpFor(30);
}

void KeyUp(WORD vk) {
  SendKey(vk, 0, KEYEVENTF_KEYUP);
  PumpFor(30);
}

void TapKey(WORD vk) {
  KeyDown(vk);
  KeyUp(vk);
}

namespace {

// The modifier down, key down and up, the modifier up, all in one SendInput call. Under
// Wine, a thread that dispatches while its window has just been activated can meet the X
// server's focus report and release every modifier it holds; no thread dispatches anything
// in the middle of one call, so the combination arrives whole, as a user's does.
void SendCombination(std::initializer_list<WORD> modifiers, WORD key) {
  std::vector<INPUT> inputs;
  auto add = [&inputs](WORD vk, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = flags;
    inputs.push_back(input);
  };
  for (WORD m : modifiers) add(m, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) add(*m, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

void TapKeyWith(WORD modifier, WORD vk) {
  SendCombination({modifier}, vk);
  PumpFor(60);
}

void PressCombination(std::initializer_list<WORD> modifiers, WORD key) {
  for (WORD m : modifiers) KeyDown(m);
  TapKey(key);
  for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) KeyUp(*m);
  PumpFor(200);
}

bool PressCombinationUntil(std::initializer_list<WORD> modifiers, WORD key, const std::function<bool()>& done) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    PressCombination(modifiers, key);
    if (PumpUntil(done, 3000)) return true;
  }
  return false;
}

void TypeText(const wchar_t* text) {
  for (const wchar_t* c = text; *c; ++c) {
    SendKey(0, *c, KEYEVENTF_UNICODE);
    SendKey(0, *c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP);
    PumpFor(30);
  }
}

// A 24-bit BMP, bottom-up rows padded to four bytes, for looking at.
void SaveBmp(const Capture& c, const KxString& path) {
  int stride = (c.width * 3 + 3) & ~3;
  KxString bytes;
  bytes.Resize(54 + stride * c.height);
  unsigned char* b = reinterpret_cast<unsigned char*>(bytes.Buffer());
  auto put = [b](int at, unsigned value, int size) {
    for (int i = 0; i < size; ++i) b[at + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  put(0, 0x4D42, 2);
  put(2, static_cast<unsigned>(bytes.Length()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<unsigned>(c.width), 4);
  put(22, static_cast<unsigned>(c.height), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      put(54 + (c.height - 1 - y) * stride + x * 3, c.At(x, y), 3);
  WriteFileBytes(path, bytes);
}

std::vector<std::string> BoxesDuring(const std::function<void()>& run, int answer) {
  std::vector<std::string> texts;
  std::atomic<bool> done{false};
  const DWORD thread = GetCurrentThreadId();
  std::thread answerer = WindowThread([&] {
    while (!done) {
      HWND box = NULL;
      EnumThreadWindows(thread, [](HWND w, LPARAM found) CALLBACK -> BOOL {
        char className[16] = {};
        GetClassNameA(w, className, sizeof className);
        if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(w)) return TRUE;
        *reinterpret_cast<HWND*>(found) = w;
        return FALSE;
      }, reinterpret_cast<LPARAM>(&box));
      if (box) {
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        texts.push_back(KxFromWide(text).CStr());
        PostMessageA(box, WM_COMMAND, GetDlgItem(box, answer) ? answer : IDOK, 0);
        while (IsWindow(box) && IsWindowVisible(box)) Sleep(20);
      }
      Sleep(50);
    }
  });
  run();
  PumpFor(500);  // a box posted for later
  done = true;
  answerer.join();
  return texts;
}

void SendButtonAt(DWORD button, POINT p) {
  SendMouse(button | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, p.x, p.y);
  PumpFor(30);
}

bool ShellHoldsIcon(HWND window) {
  NOTIFYICONDATAA probe = {};
  probe.cbSize = sizeof(probe);
  probe.hWnd = window;
  probe.uID = 0;
  probe.uFlags = NIF_TIP;
  lstrcpyA(probe.szTip, "Velix");
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}
