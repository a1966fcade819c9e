#pragma once
// The plain container, with an etched border.

#include "kx/KxControl.h"

class KxPanel : public KxControl {
public:
  // A child panel of parent, visible at once.
  KxPanel(KxControl* parent, const KxRect& rect);
  ~KxPanel() override = default;

protected:
  // For derived panels: no parent and no window yet; the derived class calls Create.
  KxPanel();
  bool Create(KxControl* parent, const KxRect& rect);
};
