// Hotkey codes: the folding of modifier keys, the texts, and the key names both ways.

#include <gtest/gtest.h>

#include "hotkey/HotKeyCode.h"

namespace {

uint32_t Code(uint32_t modifiers, int key) { return modifiers | (static_cast<uint32_t>(key) << 16); }

}  // namespace

TEST(HotKeyCodes, TextsOfCodes) {
  const struct {
    uint32_t code;
    const char* text;
  } cases[] = {
      {0, "未设置"},
      {Code(kHotKeyCtrl | kHotKeyAlt, 0x70), "CTRL+ALT+F1"},
      {Code(kHotKeyWin, 0x41), "WIN+A"},
      {Code(kHotKeyShift, 32), "SHIFT+空格"},
      {Code(kHotKeyCtrl | kHotKeyAlt | kHotKeyShift | kHotKeyWin, 46), "CTRL+ALT+SHIFT+WIN+Del"},
      {Code(kHotKeyAlt, 33), "ALT+PageUp"},
      {Code(0, 17), "CTRL"},                        // a modifier given as the key folds
      {Code(kHotKeyAlt, 16), "ALT+SHIFT"},
      {Code(0, 91), "WIN"},
      {Code(0, 92), "WIN"},
      {Code(kHotKeyCtrl, 97), "CTRL+1"},            // the numeric pad shows the main row
      {Code(0, 110), "n"},
      {Code(0, 108), "l"},
      {Code(0, 190), ""},                           // a key without a name still counts
      {Code(kHotKeyCtrl, 190), "CTRL+"},
      {Code(kHotKeyCtrl | kHotKeyAlt | kHotKeyWin, 0), "CTRL+ALT+WIN"},
  };
  for (const auto& c : cases) EXPECT_STREQ(c.text, HotKeyCode(c.code).Text().CStr()) << std::hex << c.code;

  HotKeyCode code;
  code.SetKey(17);
  EXPECT_EQ(2u, code.Get());
  code.SetKey(0x70);
  code.SetAlt(true);
  code.SetCtrl(false);
  EXPECT_EQ(Code(kHotKeyAlt, 0x70), code.Get());
  EXPECT_EQ(0x70, code.Key());
}

TEST(HotKeyCodes, KeyNamesBothWays) {
  const struct {
    int key;
    const char* name;
  } named[] = {
      {1, "VK_LBUTTON"}, {6, "VK_XBUTTON2"}, {8, "Backspace"}, {9, "Tab"}, {12, "CLEAR"},
      {13, "Enter"}, {16, "Shift"}, {19, "Pause"}, {20, "CapsLock"}, {27, "Esc"}, {32, "空格"},
      {36, "Home"}, {40, "Down"}, {45, "Insert"}, {46, "Del"}, {48, "0"}, {57, "9"}, {65, "A"},
      {90, "Z"}, {93, "Apps"}, {96, "0"}, {105, "9"}, {106, "*"}, {107, "+"}, {108, "l"},
      {109, "-"}, {110, "n"}, {111, "/"}, {112, "F1"}, {123, "F12"}, {144, "Num Lock"},
      {145, "Scroll"}, {246, "Attn"}, {251, "Zoom"}, {0, ""}, {7, ""}, {91, ""}, {124, ""},
      {190, ""}, {252, ""},
  };
  for (const auto& c : named) EXPECT_STREQ(c.name, HotKeyName(c.key).CStr()) << c.key;

  const struct {
    const char* name;
    int key;
  } read[] = {
      {"F1", 112}, {"F10", 121}, {"F12", 123}, {"Esc", 27}, {"Insert", 45}, {"Del", 46},
      {"PageUp", 33}, {"PageDown", 34}, {"End", 35}, {"Home", 36}, {"Backspace", 8},
      {"Space", 32}, {"空格", 32}, {"A", 65}, {"7", 55}, {"a", 97}, {"F13", 70}, {"esc", 101},
      {"Enter", 69}, {"*", 0}, {"", 0}, {"键", 0},
  };
  for (const auto& c : read) EXPECT_EQ(c.key, HotKeyFromName(c.name)) << c.name;
}
