#include "hotkey/HotKeyField.h"

#include "hotkey/HotKeyCode.h"

namespace {

// Posted to the field for each step, so that the hook returns at once: the platform drops
// a low-level hook that keeps the input waiting too long.
const UINT kCaptureMessage = WM_USER + 130;

// A key no keyboard has: pressed before Win's release passes the field's hook, so that the
// shell does not take the release for a press of Win alone and open its menu.
const WORD kMaskKey = 0xE8;

const int kTextMargin = 4;

// The field whose form has the hook; one at a time, since only one field has the focus.
HotKeyField* hookedField = nullptr;
// The field with the focus, hooked or not.
HotKeyField* focusedField = nullptr;

// The slot of a modifier key in HotKeyCapture's sides; -1 for other keys. Plain keys of
// window messages take the left slot and release both.
int SideOf(int key) {
  switch (key) {
    case VK_SHIFT: case VK_LSHIFT: return 0;
    case VK_RSHIFT: return 1;
    case VK_CONTROL: case VK_LCONTROL: return 2;
    case VK_RCONTROL: return 3;
    case VK_MENU: case VK_LMENU: return 4;
    case VK_RMENU: return 5;
    case VK_LWIN: return 6;
    case VK_RWIN: return 7;
    default: return -1;
  }
}

bool IsPlainModifier(int key) { return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU; }

// Keys that never make a hotkey here: the mouse buttons, Tab and Enter, which keep their
// work in the editor, and the keys that carry typed characters and input-method work.
bool IsNeverTaken(int key) {
  return (key >= VK_LBUTTON && key <= VK_XBUTTON2) || key == VK_TAB || key == VK_RETURN ||
         key == VK_PROCESSKEY || key == VK_PACKET || key == kMaskKey;
}

// The modifier keys held now, in the slots of HotKeyCapture.
unsigned SidesHeld() {
  static const int kSides[8] = {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL,
                                VK_LMENU,  VK_RMENU,  VK_LWIN,     VK_RWIN};
  unsigned held = 0;
  for (int i = 0; i < 8; ++i)
    if (GetAsyncKeyState(kSides[i]) & 0x8000) held |= 1u << i;
  return held;
}

}  // namespace

// ---- HotKeyCapture

void HotKeyCapture::Reset(unsigned sidesHeld) {
  for (int i = 0; i < 8; ++i) sides[i] = (sidesHeld & (1u << i)) != 0;
  most = 0;
  keyCame = false;
  eatenKey = 0;
}

uint32_t HotKeyCapture::Held() const {
  return ((sides[0] || sides[1]) ? kHotKeyShift : 0) | ((sides[2] || sides[3]) ? kHotKeyCtrl : 0) |
         ((sides[4] || sides[5]) ? kHotKeyAlt : 0) | ((sides[6] || sides[7]) ? kHotKeyWin : 0);
}

HotKeyCapture::Outcome HotKeyCapture::Key(int key, bool down) {
  Outcome outcome;
  int side = SideOf(key);
  if (side >= 0) {
    sides[side] = down;
    if (!down && IsPlainModifier(key)) sides[side + 1] = false;
    uint32_t held = Held();
    outcome.step = Step::kHeld;
    if (held) {
      // Letting go after a combination leaves the field showing it, not what is still held.
      if (!down && keyCame) {
        outcome.step = Step::kNone;
        return outcome;
      }
      if (down) most |= held;
      outcome.code = held;
      return outcome;
    }
    if (modifiersOnly && !keyCame && most) {
      outcome.step = Step::kTaken;
      outcome.code = most;
    }
    most = 0;
    keyCame = false;
    return outcome;
  }
  if (!down) {
    if (key == eatenKey) {
      eatenKey = 0;
      outcome.eat = true;
    }
    return outcome;
  }
  // A held key repeats its press: taken once.
  if (key == eatenKey) {
    outcome.eat = true;
    return outcome;
  }
  if (IsNeverTaken(key)) return outcome;
  uint32_t held = Held();
  if (held == 0 && (key == VK_BACK || key == VK_ESCAPE)) {
    outcome.step = key == VK_BACK ? Step::kClear : Step::kCancel;
    outcome.eat = true;
    eatenKey = key;
    return outcome;
  }
  if (held == 0) {
    if (modifiersOnly || HotKeyName(key).IsEmpty()) return outcome;
  } else if (!modifiersOnly && HotKeyName(key).IsEmpty()) {
    // Another program's hotkey on it does not fire, and the editor says why nothing came.
    eatenKey = key;
    outcome.step = Step::kRefused;
    outcome.eat = true;
    return outcome;
  }
  keyCame = true;
  eatenKey = key;
  outcome.step = Step::kTaken;
  outcome.code = modifiersOnly ? held : held | (static_cast<uint32_t>(key) << 16);
  outcome.eat = true;
  return outcome;
}

// ---- HotKeyField

HotKeyField::HotKeyField(KxControl* parentControl, const KxRect& rect) : KxControl(parentControl) {
  borderStyle = 2;
  bkColor = kxWhiteColor;
  Create(parentControl, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect);
}

HotKeyField::~HotKeyField() { EndCapture(); }

KxString HotKeyField::GetClassName() const { return "HotKeyField"; }

LRESULT HotKeyField::WndProc(KxMsg& m) {
  switch (m.msg) {
    case kCaptureMessage:
      if (onCapture) onCapture(Event{static_cast<HotKeyCapture::Step>(m.wParam), static_cast<uint32_t>(m.lParam)});
      return 0;
    // Alt combinations arrive as system keys: taken here, they open no menu.
    case WM_SYSKEYDOWN:
      OnKeyDown(m.wParam, m.lParam);
      return 0;
    case WM_SYSKEYUP:
      OnKeyUp(m.wParam, m.lParam);
      return 0;
    case WM_SYSCHAR:
      return 0;
    default:
      return KxControl::WndProc(m);
  }
}

void HotKeyField::OnDraw(KxCanvas& canvas) {
  canvas.SetBkMode(TRANSPARENT);
  RECT client = ClientRect();
  RECT r = {Px(kTextMargin), 0, client.right - Px(kTextMargin), client.bottom};
  KxString text = GetText();
  canvas.DrawText(font, kxBlackColor, text, r, DT_VCENTER | DT_SINGLELINE | DT_LEFT);
  if (GetFocus() == hwnd) {
    int width = canvas.TextExtent(font, text).cx;
    SetCaretPos(Px(kTextMargin) + width + 1, (client.bottom - canvas.TextExtent(font, "A").cy) / 2);
  }
}

void HotKeyField::SetText(const KxString& value) {
  if (value == GetText()) return;
  KxCard::SetText(value);
  Invalidate(false);
}

void HotKeyField::OnSetFocus() {
  capture.Reset(SidesHeld());
  focusedField = this;
  if (!hook) {
    if (hookedField && hookedField->hook) {
      UnhookWindowsHookEx(hookedField->hook);
      hookedField->hook = NULL;
    }
    hook = SetWindowsHookExW(WH_KEYBOARD_LL, HookProc, GetModuleHandleW(NULL), 0);
    hookSaw = false;
    if (hook) hookedField = this;
  }
  RECT client = ClientRect();
  int caret = client.bottom - Px(6);
  CreateCaret(hwnd, NULL, 1, caret > Px(8) ? caret : Px(8));
  ShowCaret(hwnd);
  Invalidate(false);
}

void HotKeyField::OnKillFocus() {
  EndCapture();
  DestroyCaret();
  Invalidate(false);
}

void HotKeyField::EndCapture() {
  if (hook) UnhookWindowsHookEx(hook);
  hook = NULL;
  if (hookedField == this) hookedField = nullptr;
  if (focusedField == this) focusedField = nullptr;
}

void HotKeyField::OnKeyDown(WPARAM key, LPARAM) {
  if (key == VK_RETURN) {
    if (onEnter) onEnter();
    return;
  }
  if (key == VK_TAB) {
    if (onTab) onTab();
    return;
  }
  if (!SeenByHook()) Deliver(capture.Key(static_cast<int>(key), true));
}

void HotKeyField::OnKeyUp(WPARAM key, LPARAM) {
  if (!SeenByHook()) Deliver(capture.Key(static_cast<int>(key), false));
}

// The keys the hook let pass come again as messages, with the time the hook saw. Later
// ones are taken here: those of a hook that the platform dropped (it does so to a hook
// that answers too slowly); only a combination another program holds cannot come so.
bool HotKeyField::SeenByHook() const {
  return hook && hookSaw && static_cast<LONG>(static_cast<DWORD>(GetMessageTime()) - lastHookTime) <= 0;
}

bool HotKeyField::IsCapturing() { return focusedField && focusedField->IsInFront(); }

bool HotKeyField::IsInFront() const {
  return GetFocus() == hwnd && GetForegroundWindow() == GetAncestor(hwnd, GA_ROOT);
}

void HotKeyField::Deliver(const HotKeyCapture::Outcome& outcome) {
  if (outcome.step == HotKeyCapture::Step::kNone) return;
  PostMessageW(hwnd, kCaptureMessage, static_cast<WPARAM>(outcome.step), static_cast<LPARAM>(outcome.code));
}

bool HotKeyField::HookKey(int key, bool down, bool injected, DWORD time) {
  hookSaw = true;
  lastHookTime = time;
  if (injected && key == kMaskKey) return false;
  if (!IsInFront()) {
    // Modifiers still count, so that what is held stays known when the field comes back.
    if (SideOf(key) >= 0) capture.Key(key, down);
    return false;
  }
  HotKeyCapture::Outcome outcome = capture.Key(key, down);
  Deliver(outcome);
  if (!down && (key == VK_LWIN || key == VK_RWIN)) {
    INPUT mask[2] = {};
    mask[0].type = mask[1].type = INPUT_KEYBOARD;
    mask[0].ki.wVk = mask[1].ki.wVk = kMaskKey;
    mask[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, mask, sizeof(INPUT));
  }
  return outcome.eat;
}

LRESULT CALLBACK HotKeyField::HookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && hookedField) {
    const KBDLLHOOKSTRUCT* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
    if (hookedField->HookKey(static_cast<int>(info->vkCode), down, (info->flags & LLKHF_INJECTED) != 0,
                             info->time))
      return 1;
  }
  return CallNextHookEx(NULL, code, wParam, lParam);
}
