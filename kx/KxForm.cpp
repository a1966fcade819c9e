#include "kx/KxForm.h"

namespace {

KxFormHost* formHost = nullptr;

}  // namespace

void KxSetFormHost(KxFormHost* host) { formHost = host; }

KxForm::KxForm(KxCard* owner, const KxString& caption, const KxRect& rect, DWORD style)
    : parent(owner) {
  Create(kKxCardClassName, caption, style, rect, owner);
}

KxString KxForm::GetClassName() const { return "KxForm"; }

LRESULT KxForm::WndProc(KxMsg& m) {
  switch (m.msg) {
    case WM_DESTROY:
      if (formHost && formHost->HostMainForm() == this) formHost->HostQuit();
      return 0;
    case WM_ACTIVATE:
      if (formHost) {
        if (LOWORD(m.wParam) != 0) {
          formHost->HostSetActiveForm(this);
          OnActivate();
        } else {
          formHost->HostSetActiveForm(nullptr);
        }
      }
      break;
    case WM_CLOSE:
      if (!CanClose()) return 0;
      OnClose();
      if (isModal && modalResult == 2) modalResult = 3;
      break;
    default:
      break;
  }
  return KxCard::WndProc(m);
}
