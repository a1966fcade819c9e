#pragma once
// The hotkey code: one 32-bit integer that is both what RegisterHotKey takes (low word the
// modifiers MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8; high word the virtual key)
// and the lParam of WM_HOTKEY. KX_MODULE.M_HK and KX_PLUGIN.P_HK store it; 0 is "not set".
// Also the key names the user sees, both ways.

#include <cstdint>

#include "kx/base/KxString.h"

constexpr uint32_t kHotKeyAlt = 1;
constexpr uint32_t kHotKeyCtrl = 2;
constexpr uint32_t kHotKeyShift = 4;
constexpr uint32_t kHotKeyWin = 8;

extern const char kHotKeyNotSet[];

class HotKeyCode {
public:
  HotKeyCode() = default;
  explicit HotKeyCode(uint32_t code) { Set(code); }

  // Both setters fold a modifier key given as the key into its modifier bit.
  void Set(uint32_t code);
  uint32_t Get() const { return code; }
  bool Alt() const { return (code & kHotKeyAlt) != 0; }
  bool Ctrl() const { return (code & kHotKeyCtrl) != 0; }
  bool Shift() const { return (code & kHotKeyShift) != 0; }
  bool Win() const { return (code & kHotKeyWin) != 0; }
  void SetAlt(bool on) { SetBit(kHotKeyAlt, on); }
  void SetCtrl(bool on) { SetBit(kHotKeyCtrl, on); }
  void SetShift(bool on) { SetBit(kHotKeyShift, on); }
  void SetWin(bool on) { SetBit(kHotKeyWin, on); }
  int Key() const { return static_cast<int>((code >> 16) & 0xFF); }
  void SetKey(int key);
  // "CTRL+ALT+F1", "WIN+空格"; "未设置" with neither modifier nor key.
  KxString Text() const;

private:
  void SetBit(uint32_t bit, bool on) { code = on ? (code | bit) : (code & ~bit); }
  void Normalize();

  uint32_t code = 0;
};

// The name of a virtual key as the user sees it; "" for a key without one.
KxString HotKeyName(int key);
// The virtual key of a name the user can choose or type; 0 for any other text.
int HotKeyFromName(const KxString& name);
