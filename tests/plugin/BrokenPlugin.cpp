// Plug-ins that fail in one way each, chosen by BROKEN_KIND when compiled:
// 1 exports nothing, 2 InitPlugin gives nullptr, 3 InitPlugin writes through a null pointer,
// 4 InitPlugin never returns.

#include <windows.h>

#include "sdk/VelixPlugin.h"

#if BROKEN_KIND == 1

// Nothing global: with no dllexport at all the linker would export every global symbol.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

#else

volatile int* nowhere = nullptr;

VELIX_PLUGIN_EXPORT PluginInfo* __cdecl InitPlugin(PluginInfo* host) {
  if (BROKEN_KIND == 3) *nowhere = 1;
  while (BROKEN_KIND == 4) Sleep(1000);
  (void)host;
  return nullptr;
}

VELIX_PLUGIN_EXPORT void __cdecl ShowPlugin(void*) {}

VELIX_PLUGIN_EXPORT void __cdecl ReleasePlugin() {}

#endif
