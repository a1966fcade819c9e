#pragma once
// The hotkey editor: a small borderless pop-up. The combination is pressed into its
// field, or put together from the four modifier boxes and a drop-down of the main keys;
// both ways edit one code. Under them the editor says at once what stands in the way of
// the combination: a missing modifier, another program that holds it, another command of
// this program that has it. Nothing is refused. Made on the caller's stack for one edit
// and run with ShowModal: modalResult 0 is OK, 1 is Cancel.

#include "hotkey/HotKeyCheck.h"
#include "hotkey/HotKeyCode.h"
#include "hotkey/HotKeyField.h"
#include "kx/KxForm.h"

class KxButton;
class KxCheckBox;
class KxLabel;
class KxSelectCard;

class FrmShutCut : public KxPopForm {
public:
  static constexpr int kOk = 0;
  static constexpr int kCancel = 1;

  // A hidden pop-up at screen point at, owned by owner's window (disabled while it runs).
  FrmShutCut(KxControl* owner, POINT at);

  LRESULT WndProc(KxMsg& m) override;
  void OnShow() override;
  void OnHide() override;

  // Boxes from the modifier bits; the key's name in the selector, a list entry when it is
  // one. A loaded key that no list entry names comes back unchanged unless the user
  // changes the selector's text.
  void Load(const HotKeyCode& code);
  // The modifiers of the boxes and the key of the selector's text, chosen or typed (a text
  // that names no key gives key 0). Nothing is refused.
  HotKeyCode Result() const;
  // For the ranged modules only the modifiers are chosen.
  void SetKeyFixed(bool fixed);
  // The command edited (its range fixes the key) and the commands it is compared with.
  void SetCommand(const HotKeyCommand& command, const HotKeyCommands& others);
  // The field and the check line follow the code.
  void Recheck();

  // Children of the form, which deletes them.
  HotKeyField* field = nullptr;
  KxCheckBox* shiftBox = nullptr;
  KxCheckBox* ctrlBox = nullptr;
  KxCheckBox* altBox = nullptr;
  KxCheckBox* winBox = nullptr;
  KxSelectCard* keySelect = nullptr;
  KxLabel* checkLine = nullptr;
  KxButton* okButton = nullptr;
  KxButton* cancelButton = nullptr;
  HotKeyCheck check;  // of the code as it stands

private:
  int OnOk(KxEvtParam& param);
  int OnCancel(KxEvtParam& param);
  int OnChange(KxEvtParam& param);
  void OnCapture(HotKeyCapture::Step step, uint32_t code);
  // The code as the field shows it: a range's key is named by the range.
  KxString FieldText(const HotKeyCode& code) const;

  bool keyFixed = false;
  int loadedKey = 0;
  KxString loadedText;  // what Load put into the selector
  HotKeyCommand self;
  HotKeyCommands commands;
};

// Runs the editor for command over owner at screen point at; on OK code becomes the
// result and the answer is true. Activation goes back to owner's window either way.
bool EditHotKey(KxControl* owner, POINT at, HotKeyCode& code, const HotKeyCommand& command);
