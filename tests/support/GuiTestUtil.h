#pragma once
// Helpers for tests on real windows: pump messages, read back painted pixels, and drive
// the pointer with real input (SendInput).

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <vector>

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
// Writes the capture as a 24-bit BMP, for looking at.
void SaveBmp(const Capture& capture, const KxString& path);
// COLORREF (0x00BBGGRR) to the capture's 0x00RRGGBB.
DWORD ToPixel(COLORREF color);

// Moves the pointer to screen point (x, y) with a real input event.
void MovePointerTo(int x, int y);
void PressLeft();
void ReleaseLeft();
void PressRight();
void ReleaseRight();
// Runs script on a second thread while this one dispatches messages, until the script
// ends: for input that this thread's modal loops (a control tracking the mouse, a menu,
// a dialog) must see while they run.
void DriveWhilePumping(const std::function<void()>& script);
// The centre of a window in screen coordinates.
POINT CentreOf(HWND hwnd);

// Keyboard input with real events (SendInput) to the window that has the focus; each
// call pumps messages briefly afterwards, as the pointer helpers do.
void KeyDown(WORD vk);
void KeyUp(WORD vk);
// Down and up of vk; with a modifier (VK_CONTROL, VK_SHIFT), vk is pressed while it is held.
void TapKey(WORD vk);
void TapKeyWith(WORD modifier, WORD vk);
// A combination pressed with real key events, as a user anywhere would press it: the
// modifiers held in order, key tapped, the modifiers released in reverse order. The keys
// of a combination go in one input call (TapKeyWith's too): under Wine, keys sent by
// SendInput never pass through the X server, and a thread that dispatches while the X focus
// moves (a window shown, hidden or brought forward) sets its modifier state from the
// server's keymap, which releases a held Ctrl or Alt. Nothing is dispatched in the middle
// of one call. On Windows held modifiers stay held.
void PressCombination(std::initializer_list<WORD> modifiers, WORD key);
// PressCombination, pressed again, up to three times, while done does not hold within 3 s
// of a press: for a combination that another process receives at the moment one of its
// windows is shown or hidden, where the release above can still fall between two keys.
bool PressCombinationUntil(std::initializer_list<WORD> modifiers, WORD key, const std::function<bool()>& done);
// Types each character as a Unicode key event; an ANSI window receives its code-page bytes.
void TypeText(const wchar_t* text);
