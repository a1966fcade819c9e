#pragma once
// The about window: the program's mark, name and version, a notice and the vendor's site.

#include "kx/KxForm.h"

class FrmAbout : public KxForm {
public:
  // A topmost window owned by parent's window; shown by ShowModal.
  explicit FrmAbout(KxControl* parent);

private:
  int OnOk(KxEvtParam& param);
};

// Runs the about window modally over parent (the kit window) and destroys it afterwards.
void ShowAbout(KxControl* parent);
