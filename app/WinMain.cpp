// Process entry: common controls, the application object, the window class, one run mode.

#include <windows.h>
#include <commctrl.h>

#include "app/KxApp.h"
#include "app/RunModes.h"
#include "kx/KxCard.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_TREEVIEW_CLASSES;
  InitCommonControlsEx(&controls);

  KxApp* app = new KxApp(instance, commandLine);
  KxRegisterCardClass(instance);
  // The identify run's result reaches the plug-in host that started it.
  int result = Run(*app);
  KxUnregisterCardClass(instance);
  KxCardRegistry::Clear();
  delete app;
  return result;
}
