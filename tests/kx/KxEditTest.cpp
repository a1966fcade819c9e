// The single-line edit on a real window with real keyboard and pointer input: typing,
// the double-byte rules, the length limit, undo and redo over a selection, the clipboard,
// the caret from the pointer, scrolling, the password character and auto width.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "kx/KxClipboard.h"
#include "kx/KxEdit.h"
#include "kx/KxTextBox.h"
#include "tests/support/FormTest.h"
#include "tests/support/GuiTestUtil.h"
#include "NameTexts.h"

namespace {

std::string S(const KxString& s) { return std::string(s.CStr(), s.Length()); }

struct Changes {
  int On(KxEvtParam&) {
    ++count;
    return 0;
  }
  int count = 0;
};

class Edits : public FormTest {
protected:
  void SetUp() override {
    OpenFormInFront("edits", KxRect{100, 100, 300, 120}, POINT{700, 600});
    // Keys go to the foreground thread: a Ctrl pressed before this window is in front is
    // not in this thread's key state, and Ctrl+V arrives as a plain "v".
    PumpUntil([this] { return GetForegroundWindow() == form->hwnd; }, 3000);
    edit = new KxEdit(form, "", KxRect{10, 10, 200, 22});
    BindCmd(*edit, KX_EDIT_CHANGE, &changes, &Changes::On);
    Focus(edit);
  }
  static void Focus(KxEdit* e) {
    e->SetFocus();
    PumpUntil([e] { return GetFocus() == e->hwnd; }, 2000);
  }
  int Width(const char* bytes) {
    KxCanvas measure(edit);
    return measure.TextExtent(edit->font, bytes).cx;
  }
  KxEdit* edit = nullptr;
  Changes changes;
};

struct Key {
  WORD modifier;  // 0, VK_SHIFT or VK_CONTROL
  WORD vk;
};

// Under Wine a late pointer event of the previous position can follow a move; moving
// again settles it.
bool MoveUntil(int x, int y, const std::function<bool()>& cond) {
  for (int i = 0; i < 3; ++i) {
    MovePointerTo(x, y);
    if (PumpUntil(cond, 300)) return true;
  }
  return false;
}

void Press(const std::vector<Key>& keys) {
  for (const Key& k : keys) {
    if (k.modifier) {
      TapKeyWith(k.modifier, k.vk);
    } else {
      TapKey(k.vk);
    }
  }
  PumpFor(30);
}

const Key kHome = {0, VK_HOME}, kEnd = {0, VK_END}, kLeft = {0, VK_LEFT}, kRight = {0, VK_RIGHT},
          kBack = {0, VK_BACK}, kDel = {0, VK_DELETE}, kShiftLeft = {VK_SHIFT, VK_LEFT},
          kShiftRight = {VK_SHIFT, VK_RIGHT}, kShiftEnd = {VK_SHIFT, VK_END},
          kUndo = {VK_CONTROL, 'Z'}, kRedo = {VK_CONTROL, 'U'}, kRedoY = {VK_CONTROL, 'Y'};

TEST_F(Edits, KeysStepAndDeleteOverWholeCharacters) {
  // "\x81\x40" is one GBK character whose second byte is below 0x80.
  struct Case {
    const char* text;
    std::vector<Key> keys;
    const char* after;
    int caret, selStart, selEnd;
  } cases[] = {
      {"a中", {kEnd, kLeft}, "a中", 1, 0, 0},
      {"a\x81\x40", {kEnd, kLeft}, "a\x81\x40", 1, 0, 0},
      {"中b", {kHome, kRight}, "中b", 2, 0, 0},
      {"ab中", {kEnd, kShiftLeft}, "ab中", 2, 2, 4},
      {"a中b", {kEnd, kLeft, kBack}, "ab", 1, 0, 0},
      {"a\x81\x40", {kEnd, kBack}, "a", 1, 0, 0},
      {"a中", {kHome, kDel}, "中", 0, 0, 0},
      {"ab", {kHome, kBack}, "ab", 0, 0, 0},
      {"abc", {kHome, kShiftEnd, kDel}, "", 0, 0, 0},
      {"abc", {kHome, kShiftEnd, kBack}, "", 0, 0, 0},
  };
  for (const Case& c : cases) {
    edit->SetText(c.text);
    Press(c.keys);
    EXPECT_EQ(S(c.after), S(edit->GetText())) << c.text;
    EXPECT_EQ(c.caret, edit->Caret()) << c.text;
    EXPECT_EQ(c.selStart, edit->Selection().selStart) << c.text;
    EXPECT_EQ(c.selEnd, edit->Selection().selEnd) << c.text;
  }
}

TEST_F(Edits, TypingAndTheLengthLimitTakeTwoByteCharactersWhole) {
  TypeText(L"a中");
  ASSERT_TRUE(PumpUntil([this] { return edit->GetText().Length() == 3; }, 2000));
  EXPECT_EQ(S("a中"), S(edit->GetText())) << "a typed character arrives as two bytes";
  EXPECT_EQ(2, changes.count) << "one KX_EDIT_CHANGE per character";
  edit->SetMaxLength(3);
  edit->SetText("ab");
  Press({kEnd});
  changes.count = 0;
  TypeText(L"中");
  TypeText(L"c");
  PumpUntil([this] { return edit->GetText().Length() >= 3; }, 1000);
  EXPECT_EQ("abc", S(edit->GetText())) << "nothing left of the dropped character";
  TypeText(L"d");
  EXPECT_EQ("abc", S(edit->GetText()));
  EXPECT_EQ(1, changes.count) << "dropped characters change nothing";
  // Typing over a selection replaces it, so a full edit still takes the character.
  Press({kShiftLeft});
  TypeText(L"d");
  EXPECT_EQ("abd", S(edit->GetText()));
}

// UTF-16 units as WM_CHAR brings them to a wide window: a character beyond U+FFFF comes as
// two halves and is one four-byte character; a half without its partner is "?"; what GBK
// lacks takes GB18030's four-byte form (the bytes by Python's codec).
TEST_F(Edits, TypedUnitsBecomeWholeCharacters) {
  KxTextBox* box = new KxTextBox();
  ASSERT_TRUE(box->Create(form, KxRect{10, 40, 200, 60}));
  const wchar_t loneHigh[] = {0xD83D, L'a', 0};
  const wchar_t loneLow[] = {0xDCF7, L'b', 0};
  const struct {
    const wchar_t* typed;
    KxString text;
  } cases[] = {
      {L"\u4E2D", "\xD6\xD0"},
      {kKoreanFolder.wide, KxString(kKoreanFolder.gb18030, kKoreanFolder.gbLength)},
      {kAccentedFile.wide, KxString(kAccentedFile.gb18030, kAccentedFile.gbLength)},
      {loneHigh, "?a"},
      {loneLow, "?b"},
      {kEuroAndPairCodes.wide, KxString(kEuroAndPairCodes.gb18030, kEuroAndPairCodes.gbLength)},
  };
  for (const auto& c : cases) {
    edit->SetText("");
    box->SetText("");
    for (const wchar_t* p = c.typed; *p; ++p) {
      SendMessageW(edit->hwnd, WM_CHAR, *p, 0);
      SendMessageW(box->hwnd, WM_CHAR, *p, 0);
    }
    EXPECT_EQ(S(c.text), S(edit->GetText())) << "edit, " << c.text.CStr();
    EXPECT_EQ(S(c.text), S(box->GetText())) << "text box, " << c.text.CStr();
  }
}

TEST_F(Edits, UndoAndRedoOverASelection) {
  struct Case {
    const char* text;
    std::vector<Key> select;
    const wchar_t* typed;
    const char* typedText;
    const char* afterOneUndo;
    int selStart, selEnd;
  } cases[] = {
      {"abcdef", {kHome, kRight, kShiftRight, kShiftRight, kShiftRight}, L"xy", "axyef", "axef", 1, 4},
      {"a中文b", {kHome, kRight, kShiftRight, kShiftRight}, L"字x", "a字xb", "a字b", 1, 5},
  };
  for (const Case& c : cases) {
    edit->SetText(c.text);
    Press(c.select);
    ASSERT_EQ(c.selStart, edit->Selection().selStart) << c.text;
    ASSERT_EQ(c.selEnd, edit->Selection().selEnd) << c.text;
    TypeText(c.typed);
    EXPECT_EQ(S(c.typedText), S(edit->GetText())) << c.text;
    Press({kUndo});
    EXPECT_EQ(S(c.afterOneUndo), S(edit->GetText())) << c.text;
    Press({kUndo});
    EXPECT_EQ(S(c.text), S(edit->GetText())) << c.text;
    EXPECT_EQ(c.selStart, edit->Selection().selStart) << c.text;
    EXPECT_EQ(c.selEnd, edit->Selection().selEnd) << c.text;
    Press({kRedo, kRedoY});
    EXPECT_EQ(S(c.typedText), S(edit->GetText())) << c.text;
  }
  // A new text starts a new history: nothing of the old one applies to it.
  edit->SetText("zzzzzz");
  Press({kUndo});
  EXPECT_EQ("zzzzzz", S(edit->GetText()));
}

TEST_F(Edits, PasteCutAndCopyGoThroughTheClipboard) {
  ASSERT_TRUE(SetClipboardText("a\tb中"));
  int before = changes.count;
  Press({{VK_CONTROL, 'V'}});
  EXPECT_EQ(S("a    b中"), S(edit->GetText())) << "a tab becomes four spaces";
  EXPECT_EQ(8, edit->Caret());
  EXPECT_EQ(before + 1, changes.count);
  Press({kUndo});
  EXPECT_EQ("", S(edit->GetText()));

  edit->SetText("x文字z");
  Press({kHome, kRight, kShiftRight, kShiftRight, {VK_CONTROL, 'X'}});
  EXPECT_EQ("xz", S(edit->GetText()));
  EXPECT_EQ(S("文字"), S(GetClipboardText()));
  Press({kUndo});
  EXPECT_EQ(S("x文字z"), S(edit->GetText()));

  Press({kHome, kShiftRight, {VK_CONTROL, 'C'}});
  EXPECT_EQ("x", S(GetClipboardText()));
  // The copy outlives the edit that made it.
  delete edit;
  edit = nullptr;
  EXPECT_EQ("x", S(GetClipboardText()));
}

TEST_F(Edits, PosFromXGivesTheNearestBoundaryNeverInsideACharacter) {
  // "\x81\x40" is one character whose second byte is below 0x80.
  const char* text = "ab中i\x81\x40W";
  const std::vector<int> boundaries = {0, 1, 2, 4, 5, 7, 8};
  edit->SetText(text);
  KxString t(text);
  for (int x = -3; x < Width(text) + 12; ++x) {
    int d = std::max(x - static_cast<int>(edit->margin.left), 0);
    int best = 1 << 20;
    for (int b : boundaries) best = std::min(best, std::abs(Width(t.Mid(b, 0).CStr()) - d));
    int p = edit->PosFromX(x);
    ASSERT_NE(boundaries.end(), std::find(boundaries.begin(), boundaries.end(), p)) << "x " << x;
    EXPECT_EQ(best, std::abs(Width(t.Mid(p, 0).CStr()) - d)) << "x " << x;
  }
}

TEST_F(Edits, PointerPlacesTheCaretAndDragsASelection) {
  edit->SetText("abcdef");
  RECT r;
  GetWindowRect(edit->hwnd, &r);
  POINT client = {0, 0};
  ClientToScreen(edit->hwnd, &client);
  int y = client.y + 8;
  auto xAt = [&](const char* prefix) { return client.x + edit->margin.left + Width(prefix); };

  MovePointerTo(xAt("a") + 1, y);
  PressLeft();
  MoveUntil(xAt("abcd") + 1, y, [this] { return edit->Selection().selEnd == 4; });
  EXPECT_EQ(1, edit->Selection().selStart);
  EXPECT_EQ(4, edit->Selection().selEnd);
  Capture shot = CaptureWindow(edit->hwnd);
  int bx = client.x - r.left, by = client.y - r.top;
  EXPECT_EQ(ToPixel(kxTextSelectionColor), shot.At(bx + (xAt("abc") - client.x) - 1, by + 3));
  EXPECT_EQ(ToPixel(kxWhiteColor), shot.At(bx + (xAt("abcde") - client.x) + 2, by + 3));

  // Past the left edge the selection runs to the start, not to the end.
  MoveUntil(r.left - 40, y, [this] { return edit->Selection().selStart == 0; });
  EXPECT_EQ(0, edit->Selection().selStart);
  EXPECT_EQ(1, edit->Selection().selEnd);
  ReleaseLeft();

  MovePointerTo(xAt("abcde") + 1, y);
  PressLeft();
  ReleaseLeft();
  EXPECT_EQ(5, edit->Caret());
  EXPECT_TRUE(edit->Selection().IsEmpty());
}

TEST_F(Edits, FocusResetsTheCaretAndScrollingKeepsItInView) {
  edit->SetText("0123456789012345678901234567890123456789012345678901234567890123456789");
  Press({kEnd});
  CaptureWindow(edit->hwnd);
  RECT c;
  GetClientRect(edit->hwnd, &c);
  POINT caret;
  GetCaretPos(&caret);
  EXPECT_GT(edit->ScrollX(), 0);
  EXPECT_LE(caret.x, c.right);
  EXPECT_EQ(edit->margin.left + Width(edit->GetText().CStr()) - edit->ScrollX(), caret.x);

  KxEdit* other = new KxEdit(form, "", KxRect{10, 40, 100, 22});
  Focus(other);
  Focus(edit);
  EXPECT_EQ(0, edit->Caret());
  CaptureWindow(edit->hwnd);
  EXPECT_EQ(0, edit->ScrollX());
  GetCaretPos(&caret);
  EXPECT_EQ(edit->margin.left, caret.x);
}

TEST_F(Edits, PasswordShowsOneCharacterPerByte) {
  edit->SetPasswordChar('*');
  edit->SetText("a中");
  KxEdit* plain = new KxEdit(form, "***", KxRect{10, 40, 200, 22});
  Focus(edit);
  Press({kEnd});
  POINT caret;
  GetCaretPos(&caret);
  EXPECT_EQ(edit->margin.left + Width("***"), caret.x);
  Capture masked = CaptureWindow(edit->hwnd);
  Capture shown = CaptureWindow(plain->hwnd);
  ASSERT_EQ(shown.pixels.size(), masked.pixels.size());
  EXPECT_TRUE(shown.pixels == masked.pixels) << "the masked text is drawn as three characters";
}

TEST_F(Edits, AutoWidthFollowsTheText) {
  edit->SetAutoWidth(true);
  TypeText(L"abc中");
  PumpUntil([this] { return edit->GetText().Length() == 5; }, 1000);
  EXPECT_EQ(edit->margin.left + edit->margin.right + Width("abc中") + 2, edit->width);
  EXPECT_EQ(22, edit->height);
}

}  // namespace
