// The program's texts on a Windows whose code page for non-Unicode programs is not Chinese:
// this test program runs with an English locale (code page 1252), so every text must reach
// the system as UTF-16 converted from its stored bytes, never through the ANSI calls.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "NameTexts.h"
#include "app/KxDialogs.h"
#include "kx/KxClipboard.h"
#include "kx/KxEdit.h"
#include "kx/KxLabel.h"
#include "kx/KxTreeView.h"
#include "kx/base/KxWide.h"
#include "launcher/FrmAbout.h"
#include "tests/support/FormTest.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"

namespace {

class EnglishWindows : public FormTest {
protected:
  void SetUp() override {
    ASSERT_EQ(1252u, GetACP()) << "the test must run with an English locale";
    OpenForm("便签管理", KxRect{100, 100, 360, 240});
    PumpFor(50);
  }
};

KxString Stored(const NameText& text) { return KxString(text.gb18030, text.gbLength); }

std::wstring CaptionOf(HWND hwnd) {
  wchar_t caption[256] = {};
  GetWindowTextW(hwnd, caption, 256);
  return caption;
}

// Captions, tree items, typed characters, the clipboard and message boxes carry Chinese,
// Korean and emoji texts whole, and a label draws exactly what DrawTextW draws for the same
// UTF-16 text.
TEST_F(EnglishWindows, TextsReachTheSystemWhole) {
  EXPECT_EQ(L"便签管理", CaptionOf(form->hwnd));

  KxString mixed = KxString("便签 ") + Stored(kKoreanFolder);
  std::wstring mixedWide = std::wstring(L"便签 ") + kKoreanFolder.wide;
  KxLabel* label = new KxLabel(form, mixed, KxRect{10, 10, 200, 24});
  PumpFor(50);
  EXPECT_EQ(mixedWide, CaptionOf(label->hwnd));
  EXPECT_EQ(mixed, label->GetText());
  Capture drawn = CaptureWindow(label->hwnd);
  DWORD background = drawn.At(0, 0);
  MemorySurface expected(drawn.width, drawn.height,
                         RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
  SelectObject(expected.dc, label->font.Handle());
  SetBkMode(expected.dc, TRANSPARENT);
  SetTextColor(expected.dc, label->textColor);
  RECT whole = {0, 0, drawn.width, drawn.height};
  DrawTextW(expected.dc, mixedWide.c_str(), -1, &whole, label->format);
  int ink = 0, differing = 0;
  for (int y = 0; y < drawn.height; ++y) {
    for (int x = 0; x < drawn.width; ++x) {
      if (drawn.At(x, y) != background) ++ink;
      if (drawn.At(x, y) != expected.At(x, y)) ++differing;
    }
  }
  EXPECT_GT(ink, 50);
  EXPECT_EQ(0, differing);

  KxTreeView* tree = new KxTreeView;
  ASSERT_TRUE(tree->Create(form, KxRect{10, 40, 200, 120}));
  KxTreeItem item = tree->InsertItem(tree->Root(), TVI_LAST, Stored(kProbeProgram), 0, 0, 1);
  wchar_t itemText[64] = {};
  TVITEMW asked = {};
  asked.mask = TVIF_TEXT | TVIF_HANDLE;
  asked.hItem = item.handle;
  asked.pszText = itemText;
  asked.cchTextMax = 64;
  ASSERT_TRUE(SendMessageW(tree->hwnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&asked)));
  EXPECT_STREQ(kProbeProgram.wide, itemText);
  EXPECT_EQ(Stored(kProbeProgram), item.Text());

  // Typed characters come through the message queue as UTF-16 units, a pair for the emoji.
  KxEdit* edit = new KxEdit(form, "", KxRect{10, 170, 200, 22});
  for (const wchar_t* unit = kKoreanFolder.wide; *unit; ++unit) PostMessageW(edit->hwnd, WM_CHAR, *unit, 1);
  PumpFor(100);
  EXPECT_EQ(Stored(kKoreanFolder), edit->GetText());

  ASSERT_TRUE(SetClipboardText(Stored(kAccentedFile), form->hwnd));
  EXPECT_EQ(Stored(kAccentedFile), GetClipboardText());

  KxString said = KxString("已保存: ") + Stored(kKoreanFolder);
  std::vector<std::string> boxes = BoxesDuring([&] { ShowInfo(said); });
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string(said.CStr()), boxes[0]);
}

// A window of the program itself, its Chinese texts read back through the W calls; its
// picture is kept beside the test program for a person to look at.
TEST_F(EnglishWindows, TheAboutWindowReadsInChinese) {
  FrmAbout about(nullptr);
  about.Show();
  PumpFor(300);
  std::vector<std::wstring> captions;
  for (HWND child = GetWindow(about.hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    captions.push_back(CaptionOf(child));
  for (const wchar_t* expected : {L"确定", L"感谢使用Velix桌面工具"})
    EXPECT_NE(captions.end(), std::find(captions.begin(), captions.end(), expected));
  SaveBmp(CaptureWindow(about.hwnd), TestBinDir() + "\\english-about.bmp");
}

}  // namespace
