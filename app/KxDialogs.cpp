#include "app/KxDialogs.h"

#include <windows.h>

#include "app/KxApp.h"

namespace {

HWND BoxOwner() { return TheApp && TheApp->mainForm ? TheApp->mainForm->hwnd : NULL; }

}  // namespace

void ShowInfo(const KxString& text) {
  MessageBoxA(BoxOwner(), text.CStr(), "提示", MB_TOPMOST | MB_ICONINFORMATION);
}

bool AskYesNo(const KxString& text) {
  return MessageBoxA(BoxOwner(), text.CStr(), "询问", MB_TOPMOST | MB_ICONQUESTION | MB_YESNO) ==
         IDYES;
}
