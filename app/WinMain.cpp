// Process entry: the DLL search, common controls, the application object, the window class,
// one run mode.

#include <windows.h>
#include <commctrl.h>

#include "app/KxApp.h"
#include "app/RunModes.h"
#include "kx/KxCard.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxSystemLibrary.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything can load a DLL by its name: none is taken from the program's folder.
  RestrictDllSearchToSystem();
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_TREEVIEW_CLASSES;
  InitCommonControlsEx(&controls);

  // The line WinMain gets is in the system's code page: paths in it outside it are lost.
  const KxString commandLine = OwnCommandTail();
  KxApp* app = new KxApp(instance, commandLine.CStr());
  KxRegisterCardClass(instance);
  // The identify run's result reaches the plug-in host that started it.
  int result = Run(*app);
  KxUnregisterCardClass(instance);
  KxCardRegistry::Clear();
  delete app;
  return result;
}
