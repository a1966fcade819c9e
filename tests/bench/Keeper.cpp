// Keeps Wine's virtual desktop alive for a whole test run. The desktop process ends when
// no other process has a window on it, and starting it again costs every test program
// about a second; this hidden window stays until the wineserver is stopped.

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "VelixBenchKeeper";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1,
                                NULL, NULL, instance, NULL);
  if (!window) return 1;
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
