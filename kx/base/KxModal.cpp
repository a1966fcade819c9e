#include "kx/base/KxModal.h"

namespace {

int depth = 0;
bool ending = false;
int endings = 0;
void (*afterRuns)() = nullptr;
// The innermost run; each run links to the one it is inside.
KxModalRun* innermost = nullptr;
KxDialogRun* innermostDialog = nullptr;

}  // namespace

KxModalRun::KxModalRun(void (*end)(void* context), void* context) : end(end), context(context), outer(innermost) {
  innermost = this;
  ++depth;
  if (ending && end) {
    this->end = nullptr;
    end(context);
  }
}

KxModalRun::~KxModalRun() {
  innermost = outer;
  if (--depth > 0) return;
  ending = false;
  if (!afterRuns) return;
  void (*hook)() = afterRuns;
  afterRuns = nullptr;
  hook();
}

int KxModalDepth() { return depth; }

bool KxModalRunsEnding() { return ending; }

int KxModalEndings() { return endings; }

void KxEndModalRuns() {
  if (depth == 0) return;
  ending = true;
  ++endings;
  for (KxModalRun* run = innermost; run; run = run->outer) {
    if (!run->end) continue;
    void (*end)(void*) = run->end;
    run->end = nullptr;
    end(run->context);
  }
}

void KxAfterModalRuns(void (*hook)()) {
  if (depth > 0) {
    afterRuns = hook;
  } else if (hook) {
    hook();
  }
}

KxDialogRun::KxDialogRun(WORD answer)
    : answer(answer),
      hook(SetWindowsHookExA(WH_CBT, Watch, NULL, GetCurrentThreadId())),
      outer(innermostDialog),
      run(End, this) {
  innermostDialog = this;
}

KxDialogRun::~KxDialogRun() {
  innermostDialog = outer;
  if (hook) UnhookWindowsHookEx(hook);
}

LRESULT CALLBACK KxDialogRun::Watch(int code, WPARAM wParam, LPARAM lParam) {
  // Every run's hook sees the window; only the innermost run takes it, and only its first
  // top-level dialog: the file dialogs make child dialogs inside their own.
  KxDialogRun* current = innermostDialog;
  if (code == HCBT_CREATEWND && current && !current->dialog) {
    HWND window = reinterpret_cast<HWND>(wParam);
    const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (lstrcmpA(className, "#32770") == 0 && !(create->style & WS_CHILD)) {
      current->dialog = window;
      if (ending) End(current);  // begun while an exit ends every run
    }
  }
  return CallNextHookEx(NULL, code, wParam, lParam);
}

void KxDialogRun::End(void* self) {
  KxDialogRun* run = static_cast<KxDialogRun*>(self);
  if (run->dialog && IsWindow(run->dialog))
    PostMessageW(run->dialog, WM_COMMAND, MAKEWPARAM(run->answer, BN_CLICKED), 0);
}
