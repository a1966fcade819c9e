// The hotkey editor: its frame, the key list, what OK would give after a load and after
// a chosen or typed key, and combinations pressed into its field with real key events.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "hotkey/FrmShutCut.h"
#include "hotkey/HotKeyField.h"
#include "kx/KxButton.h"
#include "kx/KxCheckBox.h"
#include "kx/KxEdit.h"
#include "kx/KxLabel.h"
#include "kx/KxSelect.h"
#include "store/ModuleRecord.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"

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
  EXPECT_EQ(270, frame.right - frame.left);
  EXPECT_EQ(172, frame.bottom - frame.top);
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

// The capture alone: what each key event makes of the keys before it.
TEST(HotKeyCaptureSteps, KeyEventsInOrder) {
  using Step = HotKeyCapture::Step;
  const unsigned rightCtrl = 1u << 3, leftCtrl = 1u << 2;
  const struct {
    const char* what;
    bool modifiersOnly;
    unsigned heldAtStart;
    std::vector<int> keys;  // down, or the negation for up
    Step step;              // of the last event
    uint32_t code;
    bool eat;
    uint32_t heldAfter;
  } cases[] = {
      {"right Ctrl held at the start, let go", false, rightCtrl, {-VK_RCONTROL}, Step::kHeld, 0, false, 0},
      {"a plain release lets go of both sides", false, rightCtrl, {VK_LCONTROL, -VK_CONTROL}, Step::kHeld, 0, false, 0},
      {"the release of a taken key", false, 0, {VK_LCONTROL, 'N', -'N'}, Step::kNone, 0, true, kHotKeyCtrl},
      {"a repeated press", false, 0, {VK_LCONTROL, 'N', 'N'}, Step::kNone, 0, true, kHotKeyCtrl},
      {"letting go after a combination", false, 0, {VK_LCONTROL, VK_LMENU, 'N', -'N', -VK_LMENU}, Step::kNone,
       0, false, kHotKeyCtrl},
      {"shift and Backspace", false, 0, {VK_LSHIFT, VK_BACK}, Step::kTaken, Code(kHotKeyShift, VK_BACK), true,
       kHotKeyShift},
      {"a key without a name", false, 0, {VK_LCONTROL, VK_OEM_1}, Step::kRefused, 0, true, kHotKeyCtrl},
      {"the same alone goes on", false, 0, {VK_OEM_1}, Step::kNone, 0, false, 0},
      {"a range: Win pressed and let go", true, 0, {VK_RWIN, -VK_RWIN}, Step::kTaken, kHotKeyWin, false, 0},
      {"a range: held from before, let go", true, leftCtrl, {-VK_LCONTROL}, Step::kHeld, 0, false, 0},
      {"a range: the modifiers of a key", true, 0, {VK_LMENU, 'X'}, Step::kTaken, kHotKeyAlt, true, kHotKeyAlt},
      {"a range: any key", true, 0, {VK_LMENU, VK_OEM_1}, Step::kTaken, kHotKeyAlt, true, kHotKeyAlt},
  };
  for (const auto& c : cases) {
    HotKeyCapture capture(c.modifiersOnly);
    capture.Reset(c.heldAtStart);
    HotKeyCapture::Outcome last;
    for (int key : c.keys) last = capture.Key(key > 0 ? key : -key, key > 0);
    EXPECT_EQ(static_cast<int>(c.step), static_cast<int>(last.step)) << c.what;
    EXPECT_EQ(c.code, last.code) << c.what;
    EXPECT_EQ(c.eat, last.eat) << c.what;
    EXPECT_EQ(c.heldAfter, capture.Held()) << c.what;
  }
}

namespace {

// A key sequence for the field: a virtual key goes down, its negation comes up, 0 waits
// for the field to show the next of the looks, and kPosted + a key is a press that comes
// only as a window message, as after a hook the platform dropped.
const int kLook = 0;
const int kPosted = 0x1000;

// The text of a window of the editor's thread; from the driving thread with a limit, since
// that thread waits for the driver once the editor's run ended.
std::string WindowText(HWND hwnd) {
  char text[256] = "";
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 500, &copied);
  return text;
}

}  // namespace

TEST_F(HotKeyEditor, CombinationsPressedIntoTheField) {
  const uint32_t ctrlAlt = kHotKeyCtrl | kHotKeyAlt;
  const struct {
    const char* what;
    uint32_t loaded;
    int rangeType;  // the edited command's kind: a range fixes the key
    std::vector<int> keys;
    std::vector<std::string> looks;  // the field at each look
    int modal;                       // the editor's result: Enter and the OK button give 0, Esc 1
    uint32_t result;
    const char* shown;  // the field at the end
    const char* said = nullptr;  // the check line at the end, where it matters
  } cases[] = {
      {"as it is pressed", 0, 0, {VK_CONTROL, VK_MENU, kLook, 'N', -'N', -VK_MENU, kLook, -VK_CONTROL},
       {"CTRL+ALT+", "CTRL+ALT+N"}, 0, Code(ctrlAlt, 'N'), "CTRL+ALT+N"},
      {"win and shift", Code(kHotKeyAlt, 'A'), 0, {VK_LWIN, VK_SHIFT, VK_F5, -VK_F5, -VK_SHIFT, -VK_LWIN}, {},
       0, Code(kHotKeyWin | kHotKeyShift, VK_F5), "SHIFT+WIN+F5"},
      {"a key the list lacks", 0, 0, {VK_MENU, VK_LEFT, -VK_LEFT, -VK_MENU}, {}, 0, Code(kHotKeyAlt, VK_LEFT),
       "ALT+Left"},
      {"a modifier alone", Code(kHotKeyAlt, 'A'), 0, {VK_CONTROL, kLook, -VK_CONTROL}, {"CTRL+"}, 0,
       Code(kHotKeyAlt, 'A'), "ALT+A"},
      {"a key without a name", Code(kHotKeyAlt, 'A'), 0, {VK_CONTROL, VK_OEM_1, -VK_OEM_1, -VK_CONTROL}, {}, 0,
       Code(kHotKeyAlt, 'A'), "ALT+A", "这个键不能用作热键, 请换一个"},
      {"a key the hook did not see", 0, 0, {VK_CONTROL, kPosted + 'N', -VK_CONTROL}, {}, 0, Code(kHotKeyCtrl, 'N'),
       "CTRL+N"},
      {"Backspace clears", Code(kHotKeyAlt, 'A'), 0, {VK_BACK, -VK_BACK}, {}, 0, 0, "未设置"},
      {"Tab leaves the field", Code(kHotKeyAlt, 'A'), 0, {VK_TAB, -VK_TAB}, {}, 0, Code(kHotKeyAlt, 'A'), "ALT+A"},
      {"Enter is OK", Code(kHotKeyAlt, 'A'), 0, {VK_RETURN, -VK_RETURN}, {}, 0, Code(kHotKeyAlt, 'A'), "ALT+A"},
      {"Esc cancels", Code(kHotKeyAlt, 'A'), 0, {VK_ESCAPE, -VK_ESCAPE}, {}, 1, Code(kHotKeyAlt, 'A'), "ALT+A"},
      {"a range: the modifiers let go", Code(kHotKeyCtrl, '1'), kModuleDesktop,
       {VK_CONTROL, VK_MENU, -VK_MENU, -VK_CONTROL}, {}, 0, Code(ctrlAlt, '1'), "CTRL+ALT+数字(1-8)"},
      {"a range: the modifiers of a key", 0, kModuleExplorer, {VK_CONTROL, 'X', -'X', -VK_CONTROL}, {}, 0,
       Code(kHotKeyCtrl, 0), "CTRL+盘符(A-Z)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FrmShutCut editor(nullptr, POINT{200, 150});
    editor.SetCommand(c.rangeType ? ModuleCommand(c.rangeType) : ModuleCommand(kModuleNote), HotKeyCommands());
    editor.Load(HotKeyCode(c.loaded));
    std::vector<std::string> looks;
    bool inFront = false;
    DWORD uiThread = GetCurrentThreadId();
    HWND field = editor.field->hwnd, ok = editor.okButton->hwnd, form = editor.hwnd;
    std::thread driver = WindowThread([&] {
      GUITHREADINFO info = {};
      info.cbSize = sizeof info;
      // Keys go only to the editor in front, never to another program.
      inFront = WaitFor([&] {
        return GetGUIThreadInfo(uiThread, &info) && info.hwndFocus == field && GetForegroundWindow() == form;
      }, 3000);
      if (!inFront) {
        PostMessageA(ok, KX_WM_CLICK, 0, 0);
        return;
      }
      for (int key : c.keys) {
        if (key == kLook) {
          std::string expected = looks.size() < c.looks.size() ? c.looks[looks.size()] : "";
          WaitFor([&] { return WindowText(field) == expected; }, 2000);
          looks.push_back(WindowText(field));
        } else if (key > kPosted) {
          PostMessageA(field, WM_KEYDOWN, key - kPosted, 0);
          PostMessageA(field, WM_KEYUP, key - kPosted, 0);
          Sleep(100);
        } else if (key > 0) {
          KeyDown(static_cast<WORD>(key));
        } else {
          KeyUp(static_cast<WORD>(-key));
        }
      }
      WaitFor([&] { return WindowText(field) == c.shown; }, 2000);
      PostMessageA(ok, KX_WM_CLICK, 0, 0);  // ignored once the run ended
    });
    int modal = editor.ShowModal();
    driver.join();
    ASSERT_TRUE(inFront);
    EXPECT_EQ(c.modal, modal);
    EXPECT_EQ(c.result, editor.Result().Get()) << std::hex << editor.Result().Get();
    EXPECT_EQ(c.shown, WindowText(field));
    EXPECT_EQ(c.looks, looks);
    if (c.said) {
      EXPECT_EQ(c.said, WindowText(editor.checkLine->hwnd));
    }
    EXPECT_FALSE(editor.field->IsHooked()) << "the hook goes with the focus";
  }
}
