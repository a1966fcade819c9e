#pragma once
/*
 * Velix plug-in interface: everything a plug-in DLL needs, in one header (C or C++).
 *
 * A plug-in is a 32-bit Windows DLL, built like velix.exe (MinGW-w64 i686, static runtime),
 * that exports three functions with the C calling convention under their plain names:
 *
 *   PluginInfo* InitPlugin(PluginInfo* host)  the plug-in fills in its version, id and name
 *   void ShowPlugin(void* mainWindow)         shows the plug-in's own user interface
 *   void ReleasePlugin(void)                  called once before the DLL is unloaded
 *
 * Velix loads the DLL when the plug-in is first shown (command menu or hotkey) and calls
 * InitPlugin, then ShowPlugin. Once InitPlugin has answered with a record it is not called
 * again for that load, and every later show calls ShowPlugin alone. While it answers null,
 * the plug-in is still shown and stays loaded, and InitPlugin is called again before
 * ShowPlugin at every show. Velix keeps the DLL loaded until the plug-in is deleted or
 * replaced or Velix exits, and then calls ReleasePlugin (also after a null answer) and
 * unloads it. Everything runs on Velix's user-interface thread: ShowPlugin may create windows (their
 * messages are dispatched by Velix's loop) and must return promptly. ReleasePlugin must
 * destroy every window and stop every thread whose code lives in the DLL.
 *
 * When a package is installed, Velix identifies it in a separate process: it loads the
 * DLL, calls InitPlugin, reads version, id and name, calls ReleasePlugin and unloads it.
 * InitPlugin must therefore have no lasting effect of its own.
 *
 * Texts are ANSI bytes in the Chinese code page (GBK), each with a terminating 0 byte.
 */

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * A text as Velix holds it: a pointer to length bytes followed by a 0 byte. The memory
 * layout is that of Velix's own string type, member for member; nothing may be added.
 */
typedef struct VelixString {
  const char* data;
  int length;
} VelixString;

/*
 * The exchange record of InitPlugin, in this exact order.
 *
 * Ownership: no side ever frees memory the other allocated.
 * - In the record Velix passes, siteUrl and helpUrl point into Velix's memory and stay
 *   valid only during the InitPlugin call: copy them to keep them. The other fields are
 *   empty texts ("" with length 0).
 * - The record InitPlugin returns (its own, or the one it was given after filling it in)
 *   and every text it points to belong to the plug-in and must stay valid until
 *   ReleasePlugin; static texts are the usual choice. Velix copies what it needs at once
 *   and never writes or frees any of it.
 * - A null result when a downloaded package is identified means it cannot run; it is then
 *   not installed. A null result when an installed plug-in is shown is asked again at the
 *   next show (see above).
 */
typedef struct PluginInfo {
  int reserved;        /* not read by Velix */
  VelixString extra;   /* not read by Velix */
  VelixString version; /* shown after the name, e.g. "1.0" */
  VelixString id;      /* the plug-in's identifier: 1 to 20 bytes, no \ / : * ? " < > | nor
                          control bytes; a plain decimal number also names its menu command */
  VelixString name;    /* display name, up to 80 bytes */
  VelixString siteUrl; /* from Velix: the vendor's site, e.g. "http://www.velix.example" */
  VelixString helpUrl; /* from Velix: siteUrl + "/soft/help.php?Flag=", followed by a flag */
} PluginInfo;

#define VELIX_POINTER_SLOT ((sizeof(void*) > sizeof(int)) ? sizeof(void*) : sizeof(int))
#ifdef __cplusplus
#define VELIX_STATIC_ASSERT static_assert
#else
#define VELIX_STATIC_ASSERT _Static_assert
#endif
/* A record of this layout is 52 bytes in a 32-bit program (104 in a 64-bit one). */
VELIX_STATIC_ASSERT(sizeof(VelixString) == 2 * VELIX_POINTER_SLOT, "VelixString layout");
VELIX_STATIC_ASSERT(offsetof(VelixString, length) == sizeof(void*), "VelixString layout");
VELIX_STATIC_ASSERT(offsetof(PluginInfo, extra) == VELIX_POINTER_SLOT, "PluginInfo layout");
VELIX_STATIC_ASSERT(offsetof(PluginInfo, helpUrl) == VELIX_POINTER_SLOT + 5 * sizeof(VelixString),
                    "PluginInfo layout");
VELIX_STATIC_ASSERT(sizeof(PluginInfo) == VELIX_POINTER_SLOT + 6 * sizeof(VelixString), "PluginInfo layout");
VELIX_STATIC_ASSERT(sizeof(PluginInfo) == (sizeof(void*) == 4 ? 52 : 104), "PluginInfo layout");

/* The three exports as Velix calls them. */
typedef PluginInfo*(__cdecl* VelixInitPluginProc)(PluginInfo* host);
typedef void(__cdecl* VelixShowPluginProc)(void* mainWindow);
typedef void(__cdecl* VelixReleasePluginProc)(void);

/*
 * In the plug-in, define the three functions with VELIX_PLUGIN_EXPORT:
 *   VELIX_PLUGIN_EXPORT PluginInfo* __cdecl InitPlugin(PluginInfo* host) { ... }
 * mainWindow, passed to ShowPlugin, identifies Velix's kit window; treat it as opaque.
 */
#ifdef __cplusplus
#define VELIX_PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#define VELIX_PLUGIN_EXPORT __declspec(dllexport)
#endif

#ifdef __cplusplus
}
#endif
