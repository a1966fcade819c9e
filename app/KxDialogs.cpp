#include "app/KxDialogs.h"

#include <windows.h>

#include "app/KxApp.h"
#include "kx/base/KxModal.h"
#include "kx/base/KxWide.h"

namespace {

const char kInfoCaption[] = "提示";
const char kQuestionCaption[] = "询问";

// The window the person works in owns the box, so that it takes no input while the box is
// up; without one of ours active, the main form's window.
HWND BoxOwner() {
  HWND active = GetActiveWindow();
  if (active && IsWindowVisible(active)) return active;
  return TheApp && TheApp->mainForm ? TheApp->mainForm->hwnd : NULL;
}

// Wine creates the box without WS_EX_TOPMOST although MB_TOPMOST asks for it, so a topmost
// window of ours could cover it. While a box runs, a thread hook raises our boxes to the
// topmost band as they activate; where the flag works this changes nothing.
LRESULT CALLBACK RaiseBox(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));  // a system class: ASCII
    KxString caption = KxWindowText(window);
    bool ours = caption == kInfoCaption || caption == kQuestionCaption;
    if (lstrcmpA(className, "#32770") == 0 && ours &&
        !(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
      SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  return CallNextHookEx(NULL, code, wParam, lParam);
}

class BoxHook {
public:
  // answer: what the box gives when an exit ends it, the one that changes nothing.
  explicit BoxHook(WORD answer) : hook(SetWindowsHookExA(WH_CBT, RaiseBox, NULL, GetCurrentThreadId())), run(answer) {}
  BoxHook(const BoxHook&) = delete;
  BoxHook& operator=(const BoxHook&) = delete;
  ~BoxHook() {
    if (hook) UnhookWindowsHookEx(hook);
  }

private:
  HHOOK hook;
  KxDialogRun run;  // a box is a modal run while it is up
};

}  // namespace

void ShowInfo(const KxString& text) {
  BoxHook raise(IDOK);
  MessageBoxW(BoxOwner(), KxWide(text), KxWide(kInfoCaption), MB_TOPMOST | MB_ICONINFORMATION);
}

bool AskYesNo(const KxString& text) {
  BoxHook raise(IDNO);
  return MessageBoxW(BoxOwner(), KxWide(text), KxWide(kQuestionCaption),
                     MB_TOPMOST | MB_ICONQUESTION | MB_YESNO) == IDYES;
}
