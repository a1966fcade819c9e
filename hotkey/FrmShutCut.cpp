#include "hotkey/FrmShutCut.h"

#include "kx/KxButton.h"
#include "kx/KxCheckBox.h"
#include "kx/KxLabel.h"
#include "kx/KxMessages.h"
#include "kx/KxSelect.h"

namespace {

const COLORREF kFreeColor = RGB(0, 128, 0);
// Posted when the editor shows: the field takes the focus once the window is up.
const UINT kFocusFieldMessage = WM_USER + 131;

const COLORREF kHintColor = RGB(96, 96, 96);
const COLORREF kProblemColor = RGB(220, 0, 0);

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
    : KxPopForm(owner, KxRect{at.x, at.y, 270, 172}) {
  if (!hwnd) return;
  field = new HotKeyField(this, KxRect{10, 8, 250, 22});
  shiftBox = new KxCheckBox(this, "Shift", KxRect{10, 36, 50, 20});
  ctrlBox = new KxCheckBox(this, "Ctrl", KxRect{60, 36, 46, 20});
  altBox = new KxCheckBox(this, "Alt", KxRect{110, 36, 40, 20});
  winBox = new KxCheckBox(this, "Win", KxRect{150, 36, 46, 20});
  keySelect = new KxSelectCard(this, KxRect{12, 60, 80, 21});
  KxStringList choices = KeyChoices();
  for (const auto& choice : choices)
    keySelect->AddItem(choice);
  checkLine = new KxLabel(this, "", KxRect{10, 86, 250, 50});
  checkLine->autoSize = false;
  checkLine->format = DT_LEFT | DT_WORDBREAK;
  okButton = new KxButton(this, "确定", KxRect{12, 140, 60, 20});
  cancelButton = new KxButton(this, "取消", KxRect{102, 140, 60, 20});
  Resize(field->x + field->width + 10, cancelButton->y + 32);
  BindClick(*okButton, this, &FrmShutCut::OnOk);
  BindClick(*cancelButton, this, &FrmShutCut::OnCancel);
  for (KxCheckBox* box : {shiftBox, ctrlBox, altBox, winBox})
    BindClick(*box, this, &FrmShutCut::OnChange);
  BindCmd(*keySelect, KX_SELECT_CHANGE, this, &FrmShutCut::OnChange);
  BindCmd(*keySelect, KX_SELECT_EDITCHANGE, this, &FrmShutCut::OnChange);
  field->onCapture = [this](const HotKeyField::Event& e) { OnCapture(e.step, e.code); };
  field->onEnter = [this] { EndModal(kOk); };
  field->onTab = [this] {
    ::SetFocus(keyFixed ? okButton->hwnd : keySelect->edit->hwnd);
  };
  Recheck();
}

LRESULT FrmShutCut::WndProc(KxMsg& m) {
  if (m.msg == kFocusFieldMessage) {
    ::SetFocus(field->hwnd);
    return 0;
  }
  return KxPopForm::WndProc(m);
}

void FrmShutCut::OnShow() { PostMessageW(hwnd, kFocusFieldMessage, 0, 0); }

void FrmShutCut::OnHide() { field->EndCapture(); }

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
  Recheck();
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
  keyFixed = fixed;
  field->capture.modifiersOnly = fixed;
  // The parts are windows of their own: each one refuses the mouse and the keyboard.
  keySelect->Enable(!fixed);
  keySelect->edit->Enable(!fixed);
  keySelect->button->Enable(!fixed);
  Recheck();
}

void FrmShutCut::SetCommand(const HotKeyCommand& command, const HotKeyCommands& others) {
  self = command;
  commands = others;
  SetKeyFixed(command.moduleType && HotKeyRangeOf(command.moduleType));
}

KxString FrmShutCut::FieldText(const HotKeyCode& code) const {
  if (!keyFixed) return code.Text();
  HotKeyCode modifiers = code;
  modifiers.SetKey(0);
  const HotKeyRange* range = self.moduleType ? HotKeyRangeOf(self.moduleType) : nullptr;
  return modifiers.Text() + "+" + (range ? range->suffix : "");
}

void FrmShutCut::Recheck() {
  HotKeyCode code = Result();
  field->SetText(FieldText(code));
  check = HotKeyCheck();
  if (code.Get() == 0 && !keyFixed) {
    checkLine->textColor = kHintColor;
    checkLine->SetText("请按下要用的组合键, 或勾选并选择按键");
  } else {
    check = CheckHotKey(code.Get(), self, commands);
    checkLine->textColor = check.IsClear() ? kFreeColor : kProblemColor;
    checkLine->SetText(HotKeyCheckText(check, keyFixed));
  }
  checkLine->Invalidate(false);
}

void FrmShutCut::OnCapture(HotKeyCapture::Step step, uint32_t code) {
  // A range keeps its key: only the modifiers are the user's.
  uint32_t key = keyFixed ? static_cast<uint32_t>(loadedKey) << 16 : 0;
  switch (step) {
    case HotKeyCapture::Step::kHeld:
      // All let go: the code is as it was, and so is what was said of it.
      field->SetText(code ? HotKeyCode(code).Text() + "+" : FieldText(Result()));
      break;
    case HotKeyCapture::Step::kTaken:
      Load(HotKeyCode(code | key));
      break;
    case HotKeyCapture::Step::kClear:
      Load(HotKeyCode(key));
      break;
    case HotKeyCapture::Step::kCancel:
      EndModal(kCancel);
      break;
    case HotKeyCapture::Step::kRefused:
      checkLine->textColor = kProblemColor;
      checkLine->SetText("这个键不能用作热键, 请换一个");
      checkLine->Invalidate(false);
      break;
    default:
      break;
  }
}

int FrmShutCut::OnChange(KxEvtParam&) {
  Recheck();
  return 0;
}

int FrmShutCut::OnOk(KxEvtParam&) {
  EndModal(kOk);
  return 0;
}

int FrmShutCut::OnCancel(KxEvtParam&) {
  EndModal(kCancel);
  return 0;
}

bool EditHotKey(KxControl* owner, POINT at, HotKeyCode& code, const HotKeyCommand& command) {
  bool accepted = false;
  {
    FrmShutCut editor(owner, at);
    if (!editor.hwnd) return false;
    editor.SetCommand(command, LoadHotKeyCommands());
    editor.Load(code);
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
