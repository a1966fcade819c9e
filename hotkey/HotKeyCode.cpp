#include "hotkey/HotKeyCode.h"

const char kHotKeyNotSet[] = "未设置";

namespace {

struct KeyName {
  int key;
  const char* name;
};

// Keys whose name is not simply their character.
const KeyName kKeyNames[] = {
    {1, "VK_LBUTTON"}, {2, "VK_RBUTTON"}, {3, "VK_CANCEL"}, {4, "VK_MBUTTON"},
    {5, "VK_XBUTTON1"}, {6, "VK_XBUTTON2"}, {8, "Backspace"}, {9, "Tab"},
    {12, "CLEAR"}, {13, "Enter"}, {16, "Shift"}, {17, "Ctrl"},
    {18, "Alt"}, {19, "Pause"}, {20, "CapsLock"}, {27, "Esc"},
    {32, "空格"}, {33, "PageUp"}, {34, "PageDown"}, {35, "End"},
    {36, "Home"}, {37, "Left"}, {38, "Up"}, {39, "Right"},
    {40, "Down"}, {45, "Insert"}, {46, "Del"}, {93, "Apps"},
    {106, "*"}, {107, "+"}, {109, "-"}, {111, "/"},
    {144, "Num Lock"}, {145, "Scroll"}, {246, "Attn"}, {247, "CrSel"},
    {248, "ExSel"}, {249, "Erase"}, {250, "Play"}, {251, "Zoom"},
};

// Names read back in this order; the first equal one wins.
const KeyName kNamedKeys[] = {
    {27, "Esc"}, {45, "Insert"}, {46, "Del"}, {33, "PageUp"}, {34, "PageDown"},
    {35, "End"}, {36, "Home"}, {8, "Backspace"}, {32, "Space"}, {32, "空格"},
};

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

void HotKeyCode::Set(uint32_t value) {
  code = value;
  Normalize();
}

void HotKeyCode::SetKey(int key) {
  code = (code & 0xFFFF) | (static_cast<uint32_t>(key & 0xFFFF) << 16);
  Normalize();
}

void HotKeyCode::Normalize() {
  uint32_t modifier = 0;
  switch (Key()) {
    case 16: modifier = kHotKeyShift; break;
    case 17: modifier = kHotKeyCtrl; break;
    case 18: modifier = kHotKeyAlt; break;
    case 91:
    case 92: modifier = kHotKeyWin; break;
    default: return;
  }
  code = (code & 0xFFFF) | modifier;
}

KxString HotKeyCode::Text() const {
  KxString text;
  bool any = false;
  auto add = [&](const KxString& part) {
    if (any) text += "+";
    text += part;
    any = true;
  };
  if (Ctrl()) add("CTRL");
  if (Alt()) add("ALT");
  if (Shift()) add("SHIFT");
  if (Win()) add("WIN");
  // A key without a name still counts: the text is then "CTRL+", or empty.
  if (Key() != 0) add(HotKeyName(Key()));
  return any ? text : KxString(kHotKeyNotSet);
}

KxString HotKeyName(int key) {
  for (const KeyName& entry : kKeyNames)
    if (entry.key == key) return entry.name;
  if (key >= 48 && key <= 57) return KxString::FromInt(key - 48);
  if (key >= 96 && key <= 105) return KxString::FromInt(key - 96);  // the numeric pad
  if (key >= 112 && key <= 123) return "F" + KxString::FromInt(key - 111);
  if ((key >= 65 && key <= 90) || (key >= 97 && key <= 122)) {
    char c = static_cast<char>(key);
    return KxString(&c, 1);
  }
  return KxString();
}

int HotKeyFromName(const KxString& name) {
  for (int f = 1; f <= 12; ++f)
    if (name == "F" + KxString::FromInt(f)) return 111 + f;
  for (const KeyName& entry : kNamedKeys)
    if (name == entry.name) return entry.key;
  char first = name.At(0);
  return IsAsciiAlnum(first) ? static_cast<unsigned char>(first) : 0;
}
