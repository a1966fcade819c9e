#pragma once
// The hotkey editor: a small borderless pop-up with the four modifier boxes, a drop-down
// of the main keys a user may choose, and OK / Cancel. Made on the caller's stack for one
// edit and run with ShowModal: modalResult 0 is OK, 1 is Cancel.

#include "hotkey/HotKeyCode.h"
#include "kx/KxForm.h"

class KxButton;
class KxCheckBox;
class KxSelectCard;

class FrmShutCut : public KxPopForm {
public:
  static constexpr int kOk = 0;
  static constexpr int kCancel = 1;

  // A hidden pop-up at screen point at, owned by owner's window (disabled while it runs).
  FrmShutCut(KxControl* owner, POINT at);

  // Boxes from the modifier bits; the key's name in the selector, a list entry when it is
  // one. A loaded key that no list entry names comes back unchanged unless the user
  // changes the selector's text.
  void Load(const HotKeyCode& code);
  // The modifiers of the boxes and the key of the selector's text, chosen or typed (a text
  // that names no key gives key 0). Nothing is refused.
  HotKeyCode Result() const;
  // For the ranged modules only the modifiers are chosen.
  void SetKeyFixed(bool fixed);

  // Children of the form, which deletes them.
  KxCheckBox* shiftBox = nullptr;
  KxCheckBox* ctrlBox = nullptr;
  KxCheckBox* altBox = nullptr;
  KxCheckBox* winBox = nullptr;
  KxSelectCard* keySelect = nullptr;
  KxButton* okButton = nullptr;
  KxButton* cancelButton = nullptr;

private:
  int OnOk(KxEvtParam& param);
  int OnCancel(KxEvtParam& param);

  int loadedKey = 0;
  KxString loadedText;  // what Load put into the selector
};

// Runs the editor over owner at screen point at; on OK code becomes the result and the
// answer is true. Activation goes back to owner's window either way.
bool EditHotKey(KxControl* owner, POINT at, HotKeyCode& code, bool keyFixed);
