#pragma once
// Helpers for tests on real windows: pump messages, read back painted pixels, and drive
// the pointer with real input (SendInput).

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "kx/KxCard.h"
#include "kx/base/KxString.h"

// Dispatches the thread's messages for about ms milliseconds.
void PumpFor(int ms);
// Dispatches messages until cond holds or timeoutMs pass.
bool PumpUntil(const std::function<bool()>& cond, int timeoutMs);

// The whole window (non-client part included) as it is on the screen now, after a
// synchronous repaint; pixels are 0x00RRGGBB, row by row from the top.
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<DWORD> pixels;
  DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Capture CaptureWindow(HWND hwnd);
// The screen's pixels in r as they are now, whatever window shows them (a menu, a tip).
Capture CaptureScreen(const RECT& r);
// Writes the capture as a 24-bit BMP, for looking at.
void SaveBmp(const Capture& capture, const KxString& path);
// COLORREF (0x00BBGGRR) to the capture's 0x00RRGGBB.
DWORD ToPixel(COLORREF color);

// A 32-bpp top-down DIB section selected into a memory DC, to draw into and read back
// without a window: black at first, or filled with fill.
class MemorySurface {
public:
  MemorySurface(int width, int height);
  MemorySurface(int width, int height, COLORREF fill);
  MemorySurface(const MemorySurface&) = delete;
  MemorySurface& operator=(const MemorySurface&) = delete;
  ~MemorySurface();
  // 0x00RRGGBB, once GDI has done what it was asked.
  DWORD At(int x, int y);
  HDC dc;

private:
  int width;
  DWORD* bits = nullptr;
  HBITMAP bitmap;
  HGDIOBJ previous;
};

// Moves the pointer to screen point (x, y) with a real input event.
void MovePointerTo(int x, int y);
void PressLeft();
void ReleaseLeft();
void PressRight();
void ReleaseRight();
// A button event (MOUSEEVENTF_LEFTDOWN, ...) that carries its point: under Wine a press
// without one may still get the pointer's previous place, and land on the window clicked
// before.
void SendButtonAt(DWORD button, POINT p);
// Whether the shell holds the tray icon of window: it accepts a change only for those.
bool ShellHoldsIcon(HWND window);
// Runs script on a second thread while this one dispatches messages, until the script
// ends: for input that this thread's modal loops (a control tracking the mouse, a menu,
// a dialog) must see while they run.
void DriveWhilePumping(const std::function<void()>& script);
// A thread for window calls beside the test's own: it makes its first window calls before
// WindowThread returns. Under Wine those load a shared cursor, taking the cursor
// cache's lock and then the loader's; made while the test's thread loads a DLL whose
// start-up code loads cursors (a dialog call's first use), the two threads would wait for
// each other for ever.
std::thread WindowThread(std::function<void()> body);
// The visible note windows of process pid, top first: captionless pop-ups holding the
// text box.
std::vector<HWND> NoteWindowsOf(DWORD pid);
// The centre of a window in screen coordinates.
POINT CentreOf(HWND hwnd);
// The top-level window of this thread with this class and caption, shown or hidden; NULL
// when there is none.
HWND ThreadWindow(const char* className, const char* caption);
// The open tool window of ours (a toolkit window of this thread) with this caption, as its
// toolkit object; nullptr when there is none, never made or destroyed.
template <class Form>
Form* FindToolWindow(const char* caption) {
  HWND hwnd = ThreadWindow(kKxCardClassName, caption);
  return hwnd ? static_cast<Form*>(KxCardRegistry::Find(hwnd)) : nullptr;
}

// Keyboard input with real events (SendInput) to the window that has the focus; each
// call pumps messages briefly afterwards, as the pointer helpers do.
void KeyDown(WORD vk);
void KeyUp(WORD vk);
// Down and up of vk.
void TapKey(WORD vk);
// vk pressed while modifier (VK_CONTROL, VK_SHIFT) is held, for this thread's focus window:
// the four key events go in one input call. Under Wine, keys sent by SendInput never pass
// through the X server, and a thread that dispatches while the X focus moves (a window
// shown, hidden or brought forward) sets its modifier state from the server's keymap, which
// releases a held Ctrl or Shift; nothing is dispatched in the middle of one call. On
// Windows held modifiers stay held.
void TapKeyWith(WORD modifier, WORD vk);
// A global combination pressed with real key events, as a user anywhere would press it:
// the modifiers held in order, key tapped, the modifiers released in reverse order, with a
// pause after each event as a person's fingers make. Not in one call: the hotkey message
// is posted and read before input still queued, so the program that opens a menu for it
// would meet the Alt press inside the menu, which closes it.
void PressCombination(std::initializer_list<WORD> modifiers, WORD key);
// PressCombination, pressed again, up to three times, while done does not hold within 3 s
// of a press: under Wine the release of held modifiers described at TapKeyWith can fall
// between two of the keys when the receiving program's window is shown or hidden at that
// moment, and the key then arrives bare.
bool PressCombinationUntil(std::initializer_list<WORD> modifiers, WORD key, const std::function<bool()>& done);
// Types each character as a Unicode key event; an ANSI window receives its code-page bytes.
void TypeText(const wchar_t* text);
// The texts of the message boxes this thread shows while run runs (and in half a second
// after, for a box posted for later), each answered from another thread with the button
// answer (IDYES, IDNO, ...) when it has one, otherwise with OK.
std::vector<std::string> BoxesDuring(const std::function<void()>& run, int answer = IDOK);
