#include "hotkey/FrmShutCut.h"

#include "kx/KxButton.h"
#include "kx/KxCheckBox.h"
#include "kx/KxSelect.h"

namespace {

// The main keys a user can choose, in the order of the list.
KxStringList KeyChoices() {
  static const char* const kNamed[] = {"Esc",    "空格",     "Backspace", "Insert", "Del",
                                       "PageUp", "PageDown", "End",       "Home"};
  KxStringList choices;
  for (int f = 1; f <= 12; ++f) choices.Add("F" + KxString::FromInt(f));
  for (char digit = '0'; digit <= '9'; ++digit) choices.Add(KxString(digit, 1));
  for (char letter = 'A'; letter <= 'Z'; ++letter) choices.Add(KxString(letter, 1));
  for (const char* name : kNamed) choices.Add(name);
  return choices;
}

// The key of a text typed into the selector: a listed key or "Space", in any case ("a" is
// A, not the numeric pad's 1 that its character code would name); any other text names
// no key.
int TypedKey(const KxString& text) {
  KxStringList choices = KeyChoices();
  choices.Add("Space");
  for (const auto& choice : choices)
    if (lstrcmpiA(text.CStr(), choice.CStr()) == 0) return HotKeyFromName(choice);
  return 0;
}

}  // namespace

FrmShutCut::FrmShutCut(KxControl* owner, POINT at)
    : KxPopForm(owner, KxRect{at.x, at.y, 210, 88}) {
  if (!hwnd) return;
  shiftBox = new KxCheckBox(this, "Shift", KxRect{10, 8, 50, 20});
  ctrlBox = new KxCheckBox(this, "Ctrl", KxRect{60, 8, 46, 20});
  altBox = new KxCheckBox(this, "Alt", KxRect{110, 8, 40, 20});
  winBox = new KxCheckBox(this, "Win", KxRect{150, 8, 46, 20});
  keySelect = new KxSelectCard(this, KxRect{12, 32, 80, 21});
  KxStringList choices = KeyChoices();
  for (const auto& choice : choices)
    keySelect->AddItem(choice);
  okButton = new KxButton(this, "确定", KxRect{12, 56, 60, 20});
  cancelButton = new KxButton(this, "取消", KxRect{102, 56, 60, 20});
  Resize(winBox->x + 60, cancelButton->y + 32);
  BindClick(*okButton, this, &FrmShutCut::OnOk);
  BindClick(*cancelButton, this, &FrmShutCut::OnCancel);
}

void FrmShutCut::Load(const HotKeyCode& code) {
  shiftBox->SetChecked(code.Shift());
  ctrlBox->SetChecked(code.Ctrl());
  altBox->SetChecked(code.Alt());
  winBox->SetChecked(code.Win());
  // A key outside the list still shows its name, so the user sees what OK keeps.
  loadedKey = code.Key();
  loadedText = HotKeyName(loadedKey);
  keySelect->edit->SetText(loadedText);
  keySelect->SelectText(loadedText);
}

HotKeyCode FrmShutCut::Result() const {
  HotKeyCode code;
  code.SetShift(shiftBox->IsChecked());
  code.SetCtrl(ctrlBox->IsChecked());
  code.SetAlt(altBox->IsChecked());
  code.SetWin(winBox->IsChecked());
  KxString text = keySelect->GetText();
  code.SetKey(text == loadedText ? loadedKey : TypedKey(text));
  return code;
}

void FrmShutCut::SetKeyFixed(bool fixed) {
  // The parts are windows of their own: each one refuses the mouse and the keyboard.
  keySelect->Enable(!fixed);
  keySelect->edit->Enable(!fixed);
  keySelect->button->Enable(!fixed);
}

int FrmShutCut::OnOk(KxEvtParam&) {
  EndModal(kOk);
  return 0;
}

int FrmShutCut::OnCancel(KxEvtParam&) {
  EndModal(kCancel);
  return 0;
}

bool EditHotKey(KxControl* owner, POINT at, HotKeyCode& code, bool keyFixed) {
  bool accepted = false;
  {
    FrmShutCut editor(owner, at);
    if (!editor.hwnd) return false;
    editor.Load(code);
    editor.SetKeyFixed(keyFixed);
    if (editor.ShowModal() == FrmShutCut::kOk) {
      code = editor.Result();
      accepted = true;
    }
  }
  // The editor hides while its owner is still disabled, so the platform activates some
  // other window.
  if (owner && owner->hwnd) SetForegroundWindow(owner->hwnd);
  return accepted;
}
