// Owner-drawn pop-up menus on real platform menus: the heights the platform was given,
// choosing with real key presses, typed letters, the painted banner and items, and what a
// menu takes with it when it goes. The menu loop runs on the test's thread; a second
// thread presses the keys (the driver is shared with the launcher menu's tests).

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "kx/KxMenu.h"
#include "tests/support/FormTest.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/MenuDriver.h"

namespace {

using menudriver::MenuWindows;
using menudriver::Tap;
using menudriver::WaitForMenus;

int PopupDriven(KxMenu& menu, KxControl* owner, bool returnCommand,
                const std::function<void()>& script) {
  int result = -1;
  menudriver::Drive([&] { result = menu.Popup(owner, returnCommand); }, script);
  return result;
}

// Without a window, the platform reports the item where the pop-up shows it.
int ItemHeight(HMENU menu, int position) {
  RECT r = {};
  GetMenuItemRect(NULL, menu, static_cast<UINT>(position), &r);
  return r.bottom - r.top;
}

std::vector<int> commands;

struct CommandLog {
  int OnCommand(KxEvtParam& p) {
    commands.push_back(LOWORD(p.wParam));
    return 0;
  }
};

class Menus : public FormTest {
protected:
  void SetUp() override {
    commands.clear();
    OpenForm("menus", KxRect{40, 40, 120, 60});
    BindMsg(*form, WM_COMMAND, &log, &CommandLog::OnCommand);
    // The menu opens at the pointer, whose corner touches no item.
    MovePointerTo(300, 150);
  }
  CommandLog log;
};

}  // namespace

TEST_F(Menus, ItemsAreAsHighAsTheirIconOrItemHeightPlusOneAndSeparatorsThree) {
  struct Case {
    int icon, itemHeight;
    std::vector<int> heights;
  };
  const Case cases[] = {{16, 19, {20, 3, 20}}, {32, 19, {32, 3, 32}}, {16, 25, {26, 3, 26}}};
  for (const Case& c : cases) {
    KxPopMenu menu;
    menu.iconSize = SIZE{c.icon, c.icon};
    menu.itemHeight = c.itemHeight;
    menu.AppendItem(1, "one");
    menu.AppendSeparator();
    menu.AppendItem(2, "two");
    // Shown twice: the platform measures every time, and the banner must not grow.
    for (int shown = 0; shown < 2; ++shown) {
      std::vector<int> heights;
      PopupDriven(menu, form, true, [&] {
        for (int i = 0; i < 3; ++i) heights.push_back(ItemHeight(menu.hmenu, i));
      });
      EXPECT_EQ(c.heights, heights) << "icon " << c.icon << ", shown " << shown;
      EXPECT_EQ(c.heights[0] + c.heights[1] + c.heights[2], menu.bannerHeight);
    }
  }
}

TEST_F(Menus, KeysChooseAnItemAndEscapeChoosesNothing) {
  struct Case {
    std::vector<WORD> keys;
    bool returnCommand;
    int result;                 // -1: not checked (the platform's success value)
    std::vector<int> commands;  // WM_COMMAND ids that reached the owner
  };
  const Case cases[] = {
      {{VK_DOWN, VK_DOWN, VK_RETURN}, true, 12, {}},  // the separator is skipped
      {{VK_DOWN, VK_RETURN}, false, -1, {11}},
      {{VK_ESCAPE}, true, 0, {}},
      {{VK_DOWN, VK_ESCAPE}, false, -1, {}},
      {{VK_UP, VK_RETURN}, true, 0, {}},  // the greyed last item cannot be chosen
  };
  KxPopMenu menu;
  menu.AppendItem(11, "A");
  menu.AppendItem(99, "-");
  menu.AppendItem(12, "B");
  menu.EnableItem(menu.AppendItem(13, "C"), false);
  for (const Case& c : cases) {
    commands.clear();
    int result = PopupDriven(menu, form, c.returnCommand, [&] {
      for (WORD key : c.keys) Tap(key);
    });
    PumpFor(100);
    if (c.result >= 0) {
      EXPECT_EQ(c.result, result) << "case " << (&c - cases);
    }
    EXPECT_EQ(c.commands, commands) << "case " << (&c - cases);
  }
}

TEST_F(Menus, TypedLettersSelectTheNextMatchingCaptionAndChooseASoleOne) {
  struct Case {
    const char* keys;
    int result;
  };
  const Case cases[] = {
      {"B\r", 2},    // "Beta" and "bravo" match a typed b: the first is selected
      {"BB\r", 3},   // the next one after the selection
      {"BBB\r", 2},  // wrapping round past the end
      {"C", 4},      // the only match is chosen at once
      {"DF", 6},     // a sole sub-menu item opens it; its own items answer there
      {"Z\r", 0},    // no caption: nothing selected, nothing chosen
  };
  KxPopMenu menu;
  menu.AppendItem(1, "alpha");
  menu.AppendItem(2, "Beta");
  menu.AppendSeparator();
  menu.AppendItem(3, "bravo");
  menu.AppendItem(4, "Charlie");
  KxPopMenu* sub = menu.AppendSubMenu("Delta", static_cast<HICON>(NULL));
  ASSERT_NE(nullptr, sub);
  sub->AppendItem(5, "Echo");
  sub->AppendItem(6, "Foxtrot");
  for (const Case& c : cases) {
    int result = PopupDriven(menu, form, true, [&] {
      for (const char* k = c.keys; *k; ++k) {
        Tap(*k == '\r' ? VK_RETURN : static_cast<WORD>(*k >= 'a' ? *k - 'a' + 'A' : *k));
        if (*k == 'D') WaitForMenus(2);
      }
    });
    EXPECT_EQ(c.result, result) << c.keys;
  }
}

TEST_F(Menus, PaintsTheBannerTheSelectionAndGreyTextAfterAFullRepaint) {
  KxPopMenu menu;
  menu.SetBannerWidth(22);
  menu.SetBannerText("Banner");
  menu.AppendItem(1, "Selected item");
  menu.EnableItem(menu.AppendItem(2, "WWWWWWWW"), false);
  Capture shot;
  RECT window = {}, first = {}, second = {};
  PopupDriven(menu, form, true, [&] {
    Tap(VK_DOWN);
    for (int i = 0; i < 50 && !(GetMenuState(menu.hmenu, 0, MF_BYPOSITION) & MF_HILITE); ++i)
      Sleep(20);
    HWND popup = MenuWindows().front();
    GetWindowRect(popup, &window);
    GetMenuItemRect(NULL, menu.hmenu, 0, &first);
    GetMenuItemRect(NULL, menu.hmenu, 1, &second);
    shot = CaptureWindow(popup);  // invalidates and repaints the whole menu first
  });
  ASSERT_GT(shot.width, 0);
  auto at = [&shot](int x, int y) -> DWORD {
    return x >= 0 && y >= 0 && x < shot.width && y < shot.height ? shot.At(x, y) : 0xFFFFFFFF;
  };
  int left = first.left - window.left;
  int right = first.right - window.left - 3;
  int firstY = (first.top + first.bottom) / 2 - window.top;
  int secondY = (second.top + second.bottom) / 2 - window.top;
  EXPECT_EQ(ToPixel(kxBannerColor), at(left + 1, firstY));
  EXPECT_EQ(ToPixel(kxBannerColor), at(left + 1, second.bottom - window.top - 1));
  EXPECT_EQ(ToPixel(RGB(0, 0, 255)), at(left + 22 + 1, firstY));  // selection frame
  EXPECT_EQ(ToPixel(kxSelectedItemColor), at(right, firstY));
  EXPECT_EQ(ToPixel(kxMenuColor), at(right, secondY));
  int grey = 0;
  for (int x = left + 22; x < right; ++x)
    for (int y = second.top - window.top; y < second.bottom - window.top; ++y)
      if (at(x, y) == ToPixel(RGB(128, 128, 128))) ++grey;
  EXPECT_GT(grey, 20);
}

// Pixels that differ from the menu colour where an item's text goes, drawn straight into a
// memory DC: after banner (5), gap (1), margin (2), icon column (16) and gap (2).
int TextInk(const char* caption) {
  KxPopMenu menu;
  KxMenuItem* item = menu.AppendItem(1, caption);
  MemorySurface surface(80, 20);
  DRAWITEMSTRUCT draw = {};
  draw.CtlType = ODT_MENU;
  draw.itemAction = ODA_DRAWENTIRE;
  draw.hDC = surface.dc;
  draw.rcItem = RECT{0, 0, 80, 20};
  draw.itemData = reinterpret_cast<ULONG_PTR>(static_cast<KxOwnerDrawItem*>(item));
  menu.DrawItem(draw);
  int ink = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 26; x < 80; ++x)
      if (surface.At(x, y) != ToPixel(kxMenuColor)) ++ink;
  return ink;
}

TEST(MenuDrawing, CaptionsAreDrawnAsWrittenAmpersandsIncluded) {
  int one = TextInk("&");
  EXPECT_GT(one, 5);
  EXPECT_GT(TextInk("&&"), one * 3 / 2);  // two ampersands, not one escaped
}

TEST(MenuOwnership, AMenuTakesItsSubMenusAndItemsButNotBorrowedIcons) {
  HICON borrowed = CopyIcon(LoadIconA(NULL, MAKEINTRESOURCEA(32512)));
  ASSERT_NE(static_cast<HICON>(NULL), borrowed);
  KxPopMenu* menu = new KxPopMenu();
  KxMenuItem* separator = menu->AppendItem(42, "-");
  KxPopMenu* sub = menu->AppendSubMenu("group", borrowed);
  KxPopMenu* inner = sub->AppendSubMenu("inner", static_cast<HICON>(NULL));
  ASSERT_NE(nullptr, inner);
  HMENU subHandle = sub->hmenu;
  HMENU innerHandle = inner->hmenu;

  // "-" is a separator whatever id it was given.
  EXPECT_EQ(0u, separator->id);
  EXPECT_TRUE(GetMenuState(menu->hmenu, 0, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(sub, KxMenu::FromHandle(subHandle));
  EXPECT_EQ(subHandle, GetSubMenu(menu->hmenu, 1));

  delete menu;
  EXPECT_FALSE(IsMenu(subHandle));
  EXPECT_FALSE(IsMenu(innerHandle));
  EXPECT_EQ(nullptr, KxMenu::FromHandle(subHandle));
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(borrowed, &info));
  DeleteObject(info.hbmMask);
  DeleteObject(info.hbmColor);
  DestroyIcon(borrowed);
}
