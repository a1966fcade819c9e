// A complete plug-in: it names itself in InitPlugin, shows one small window of its own in
// ShowPlugin (brought forward when it is open already) and closes it in ReleasePlugin.

#include <windows.h>

#include "sdk/VelixPlugin.h"

namespace {

const char kClassName[] = "VelixSamplePlugin";
const char kVersion[] = "1.0";
const char kId[] = "9001";
const char kName[] = "示例插件";  // "sample plug-in"

HINSTANCE instance = NULL;
HWND window = NULL;
bool classRegistered = false;
// The site Velix named during InitPlugin; its text is Velix's, so it is copied.
char siteUrl[256] = "";

VelixString Text(const char* text, int length) {
  VelixString s = {text, length};
  return s;
}

// Returned to Velix; it and its texts are static, so they outlive every use.
PluginInfo info;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT area;
    GetClientRect(hwnd, &area);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, siteUrl, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(hwnd, &paint);
    return 0;
  }
  case WM_DESTROY:
    window = NULL;
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) instance = module;
  return TRUE;
}

VELIX_PLUGIN_EXPORT PluginInfo* __cdecl InitPlugin(PluginInfo* host) {
  if (host && host->siteUrl.data) lstrcpynA(siteUrl, host->siteUrl.data, sizeof siteUrl);
  info.reserved = 0;
  info.extra = Text("", 0);
  info.version = Text(kVersion, sizeof kVersion - 1);
  info.id = Text(kId, sizeof kId - 1);
  info.name = Text(kName, sizeof kName - 1);
  info.siteUrl = Text("", 0);
  info.helpUrl = Text("", 0);
  return &info;
}

VELIX_PLUGIN_EXPORT void __cdecl ShowPlugin(void*) {
  if (!window) {
    if (!classRegistered) {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = WindowProc;
      wc.hInstance = instance;
      wc.hCursor = LoadCursor(NULL, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      wc.lpszClassName = kClassName;
      classRegistered = RegisterClassA(&wc) != 0;
      if (!classRegistered) return;
    }
    window = CreateWindowExA(0, kClassName, kName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             320, 160, NULL, NULL, instance, NULL);
    if (!window) return;
  }
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
}

VELIX_PLUGIN_EXPORT void __cdecl ReleasePlugin() {
  if (window) DestroyWindow(window);
  if (classRegistered) UnregisterClassA(kClassName, instance);
  classRegistered = false;
}
