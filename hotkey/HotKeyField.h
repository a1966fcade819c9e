#pragma once
// The field of the hotkey editor that takes a combination as the user presses it.
//
// A combination that some program registered never reaches the focused window as keys:
// the platform turns it into that program's WM_HOTKEY first. So while the field has the
// focus and its form is in front, a low-level keyboard hook sees the keys before that
// happens and keeps the main key of a combination from everyone else. Modifiers pass on,
// so the platform's own idea of what is held stays right.

#include <windows.h>

#include <cstdint>
#include <functional>

#include "kx/KxControl.h"

// What the keys pressed so far make: the modifiers held and, with a main key, the code.
class HotKeyCapture {
public:
  enum class Step {
    kNone,       // the key is not the capture's: it goes on as usual
    kHeld,       // the modifiers held changed; code holds them (0 when all are up)
    kTaken,      // a combination: code
    kClear,      // Backspace alone
    kCancel,     // Esc alone
    kRefused,    // a key without a name, with modifiers: eaten, never a hotkey here
  };
  struct Outcome {
    Step step = Step::kNone;
    uint32_t code = 0;
    bool eat = false;  // nobody else sees the key
  };

  // With modifiersOnly the key stands fixed (a range): the modifiers held when any key
  // comes, or the most that were held when they all go up again, are the combination.
  explicit HotKeyCapture(bool modifiersOnly = false) : modifiersOnly(modifiersOnly) {}

  // The modifier keys held now, bit i for slot i: left and right Shift (0, 1), Ctrl
  // (2, 3), Alt (4, 5), Win (6, 7). They are held, but no combination was begun with them.
  void Reset(unsigned sidesHeld);
  // One key going down or up, by its virtual key; the sided modifier keys of a low-level
  // hook and the plain ones of window messages both count, and an event that comes both
  // ways changes nothing the second time.
  Outcome Key(int key, bool down);
  uint32_t Held() const;

  bool modifiersOnly = false;

private:
  bool sides[8] = {};
  uint32_t most = 0;   // the modifiers held together since the last time none were
  bool keyCame = false;  // a key came while they were held
  int eatenKey = 0;    // its release is eaten too
};

class HotKeyField : public KxControl {
public:
  struct Event {
    HotKeyCapture::Step step;
    uint32_t code;
  };

  HotKeyField(KxControl* parent, const KxRect& rect);
  ~HotKeyField() override;

  KxString GetClassName() const override;
  LRESULT WndProc(KxMsg& m) override;
  void OnDraw(KxCanvas& canvas) override;
  void OnSetFocus() override;
  void OnKillFocus() override;
  void OnKeyDown(WPARAM key, LPARAM lParam) override;
  void OnKeyUp(WPARAM key, LPARAM lParam) override;

  // The window's own text, so that whatever reads windows can read it.
  void SetText(const KxString& text);
  bool IsHooked() const { return hook != NULL; }
  // Gives the hook back; the form calls it when it hides, which need not take the focus
  // away: every key of the session would otherwise still pass through this thread.
  void EndCapture();
  // A field with the focus takes the keys now: the program's own hotkeys are not commands
  // then (those of modifiers alone fire on the way to a combination, the others only when
  // the hook was dropped).
  static bool IsCapturing();

  HotKeyCapture capture;
  // Every step of the capture; Enter and Tab come as the keys they are (onEnter, onTab).
  std::function<void(const Event&)> onCapture;
  std::function<void()> onEnter;
  std::function<void()> onTab;

private:
  static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
  // The hook's key; true when it is eaten.
  bool HookKey(int key, bool down, bool injected, DWORD time);
  bool SeenByHook() const;
  void Deliver(const HotKeyCapture::Outcome& outcome);
  // The form is the foreground window and this field its focus.
  bool IsInFront() const;

  HHOOK hook = NULL;
  bool hookSaw = false;     // the hook has seen a key since it was set
  DWORD lastHookTime = 0;   // the time of the last key it saw
};
