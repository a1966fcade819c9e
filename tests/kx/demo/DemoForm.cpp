// A small form built from the toolkit, for the bench to capture as a screenshot: a panel
// with an etched border, a control framed in red whose bound click turns it green, and
// a raised control. It runs until its window is closed.

#include <windows.h>

#include "kx/KxForm.h"
#include "kx/KxPanel.h"

namespace {

class DemoForm : public KxForm {
public:
  DemoForm() : KxForm(nullptr, "Kx demo", KxRect{60, 60, 240, 160}, WS_OVERLAPPEDWINDOW) {
    panel = new KxPanel(this, KxRect{10, 10, 210, 100});
    target = new KxControl(panel);
    target->borderStyle = 2;
    target->frameColor = RGB(255, 0, 0);
    target->bkColor = RGB(255, 255, 255);
    target->Create(panel, "", WS_CHILD | WS_VISIBLE, KxRect{10, 10, 80, 40});
    BindClick(*target, this, &DemoForm::Clicked);
    KxControl* raised = new KxControl(panel);
    raised->borderStyle = 3;
    raised->bkColor = RGB(255, 255, 0);
    raised->Create(panel, "", WS_CHILD | WS_VISIBLE, KxRect{110, 10, 80, 40});
  }
  int Clicked(KxEvtParam&) {
    target->bkColor = RGB(0, 200, 0);
    target->Invalidate(false);
    return 0;
  }
  LRESULT WndProc(KxMsg& m) override {
    if (m.msg == WM_DESTROY) PostQuitMessage(0);
    return KxForm::WndProc(m);
  }

private:
  KxPanel* panel;
  KxControl* target;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  KxRegisterCardClass(instance);
  {
    DemoForm form;
    form.Show();
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  KxUnregisterCardClass(instance);
  return 0;
}
