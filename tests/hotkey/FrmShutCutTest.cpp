// The hotkey editor without its modal run: its frame, the key list, and what OK would
// give after a load and after a chosen or typed key.

#include <gtest/gtest.h>

#include "hotkey/FrmShutCut.h"
#include "kx/KxCheckBox.h"
#include "kx/KxEdit.h"
#include "kx/KxSelect.h"

namespace {

uint32_t Code(uint32_t modifiers, int key) { return modifiers | (static_cast<uint32_t>(key) << 16); }

class HotKeyEditor : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
};

}  // namespace

TEST_F(HotKeyEditor, LayoutAndKeyList) {
  FrmShutCut editor(nullptr, POINT{120, 90});
  ASSERT_NE(nullptr, editor.hwnd);
  EXPECT_TRUE(GetWindowLongA(editor.hwnd, GWL_STYLE) & WS_POPUP);
  RECT frame = editor.WindowRect();
  EXPECT_EQ(120, frame.left);
  EXPECT_EQ(90, frame.top);
  EXPECT_EQ(210, frame.right - frame.left);
  EXPECT_EQ(88, frame.bottom - frame.top);
  // The controls' places are where the settings window's tests click. The order the keyboard walks: F5 is the fifth, Home the last of 57.
  const struct {
    int index;
    const char* text;
  } entries[] = {{4, "F5"}, {12, "0"}, {22, "A"}, {49, "空格"}, {56, "Home"}, {57, "Home"}};
  for (const auto& e : entries) {
    editor.keySelect->SelectIndex(e.index);
    EXPECT_STREQ(e.text, editor.keySelect->GetText().CStr()) << e.index;
  }
}

TEST_F(HotKeyEditor, LoadThenResult) {
  const struct {
    uint32_t loaded;
    const char* shown;   // the selector's text after the load
    const char* typed;   // nullptr: the selector as loaded
    bool checkAll;       // every box turned on before OK
    uint32_t result;
  } cases[] = {
      {0, "", nullptr, false, 0},
      {Code(kHotKeyCtrl | kHotKeyAlt, 0x70), "F1", nullptr, false, Code(kHotKeyCtrl | kHotKeyAlt, 0x70)},
      {Code(kHotKeyWin | kHotKeyShift, 32), "空格", nullptr, false, Code(kHotKeyWin | kHotKeyShift, 32)},
      // Keys no entry names come back as they were unless the text changes.
      {Code(kHotKeyCtrl, 37), "Left", nullptr, false, Code(kHotKeyCtrl, 37)},
      {Code(kHotKeyCtrl, 97), "1", nullptr, true, Code(0xF, 97)},
      {Code(kHotKeyAlt, 190), "", nullptr, false, Code(kHotKeyAlt, 190)},
      {Code(kHotKeyCtrl, 37), "Left", "F10", false, Code(kHotKeyCtrl, 121)},
      {Code(kHotKeyCtrl, 97), "1", "7", false, Code(kHotKeyCtrl, 55)},
      // Typed texts name a listed key in any case; one that names none gives key 0.
      {Code(kHotKeyAlt, 0x41), "A", "Space", false, Code(kHotKeyAlt, 32)},
      {Code(kHotKeyAlt, 0x41), "A", "x", false, Code(kHotKeyAlt, 'X')},
      {Code(kHotKeyAlt, 0x41), "A", "esc", false, Code(kHotKeyAlt, 27)},
      {Code(kHotKeyAlt, 0x41), "A", "f10", false, Code(kHotKeyAlt, 121)},
      {Code(kHotKeyAlt, 0x41), "A", "x1", false, Code(kHotKeyAlt, 0)},
      {Code(kHotKeyAlt, 0x41), "A", "键", false, Code(kHotKeyAlt, 0)},
      {Code(kHotKeyAlt, 0x41), "A", "", true, Code(0xF, 0)},
      {Code(kHotKeyShift, 0), "", "Q", false, Code(kHotKeyShift, 'Q')},
  };
  for (const auto& c : cases) {
    FrmShutCut editor(nullptr, POINT{0, 0});
    HotKeyCode loaded(c.loaded);
    editor.Load(loaded);
    EXPECT_EQ(loaded.Shift(), editor.shiftBox->IsChecked());
    EXPECT_EQ(loaded.Ctrl(), editor.ctrlBox->IsChecked());
    EXPECT_EQ(loaded.Alt(), editor.altBox->IsChecked());
    EXPECT_EQ(loaded.Win(), editor.winBox->IsChecked());
    EXPECT_STREQ(c.shown, editor.keySelect->GetText().CStr()) << std::hex << c.loaded;
    if (c.typed) editor.keySelect->edit->SetText(c.typed);
    if (c.checkAll)
      for (KxCheckBox* box : {editor.shiftBox, editor.ctrlBox, editor.altBox, editor.winBox})
        box->SetChecked(true);
    EXPECT_EQ(c.result, editor.Result().Get()) << std::hex << c.loaded << " " << (c.typed ? c.typed : "-");
  }
}
