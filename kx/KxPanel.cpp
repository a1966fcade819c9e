#include "kx/KxPanel.h"

namespace {

const DWORD kPanelStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;

}  // namespace

KxPanel::KxPanel(KxControl* parentControl, const KxRect& rect) : KxControl(parentControl) {
  borderStyle = 1;
  KxControl::Create(parentControl, "", kPanelStyle, rect);
}

KxPanel::KxPanel() : KxControl(nullptr) { borderStyle = 1; }

bool KxPanel::Create(KxControl* parentControl, const KxRect& rect) {
  return KxControl::Create(parentControl, "", kPanelStyle, rect);
}
