#pragma once
// Owner-drawn pop-up menus: a coloured banner with rotated text down the left edge, and an
// icon and a caption on every item. The platform menu supplies the window, the keyboard and
// mouse tracking, the cascading of sub-menus and the chosen command; all drawing is ours.
//
// A menu owns its items, its sub-menus and the icons it loaded itself; icons handed in by
// handle are borrowed and must outlive the menu. Each icon is drawn at its image nearest
// to the item's side at the menu's DPI (KxPicture::FitIcon).

#include <windows.h>

#include "kx/KxColor.h"
#include "kx/KxDpi.h"
#include "kx/KxFont.h"
#include "kx/KxOwnerDraw.h"
#include "kx/KxPicture.h"
#include "kx/base/KxList.h"
#include "kx/base/KxString.h"

class KxControl;
class KxMenu;
class KxPopMenu;

// One entry of a menu. Its address (as the toolkit's owner-drawn item) is the item data the
// platform stores, so the owner window's WM_MEASUREITEM and WM_DRAWITEM reach the menu
// through it. The text "-" makes a separator.
class KxMenuItem : public KxOwnerDrawItem {
public:
  explicit KxMenuItem(KxMenu* owner) : menu(owner) {}
  ~KxMenuItem() override = default;

  void Measure(MEASUREITEMSTRUCT& measure) override;
  void Draw(const DRAWITEMSTRUCT& draw) override;
  bool IsSeparator() const { return text == "-"; }

  KxMenu* menu;
  bool hasSubMenu = false;
  bool enabled = true;
  UINT id = 0;
  KxString text;
  KxPicture picture;
  int measuredHeight = 0;  // the height last given to the platform
};

class KxMenu {
public:
  KxMenu();
  KxMenu(const KxMenu&) = delete;
  KxMenu& operator=(const KxMenu&) = delete;
  virtual ~KxMenu();

  // Called by KxControl::WndProc of the owner window for ODT_MENU items.
  virtual void DrawItem(const DRAWITEMSTRUCT& draw);
  virtual void MeasureItem(MEASUREITEMSTRUCT& measure);

  // The new item, or nullptr when there is no platform menu or it refused the item.
  KxMenuItem* AppendItem(UINT id, const KxString& text);
  KxMenuItem* AppendSeparator();
  // A cascading sub-menu behind an item showing text and icon (borrowed), or nullptr.
  KxPopMenu* AppendSubMenu(const KxString& text, HICON icon);
  // The same with an icon of the program's resources, owned by the item; 0 for none.
  KxPopMenu* AppendSubMenu(const KxString& text, int iconResource);
  void SetBannerWidth(int w) { bannerWidth = w; }
  void SetBannerText(const KxString& text) { bannerText = text; }
  // Greys the item and makes the platform refuse to choose it.
  void EnableItem(KxMenuItem* item, bool enable);

  // Shows the menu at the cursor, owned by owner's window, and runs the platform's modal
  // loop. With returnCommand the chosen id is returned (0 when dismissed) and nothing is
  // posted; without it the choice arrives at the owner as WM_COMMAND. 0 without a menu or
  // an owner window.
  int Popup(KxControl* owner, bool returnCommand);
  // The same with the menu's top left corner at a screen point (a menu opened by a key).
  int PopupAt(KxControl* owner, POINT at, bool returnCommand);

  // The answer to WM_MENUCHAR for this menu: a letter or digit selects the next item whose
  // caption starts with it (ASCII case ignored, wrapping round), and chooses it when it is
  // the only one; anything else is ignored.
  LRESULT MenuChar(unsigned int key);
  // The live menu object behind a platform menu handle, or nullptr.
  static KxMenu* FromHandle(HMENU handle);

  bool bannerDirty = true;
  HWND ownerWindow = NULL;
  HMENU hmenu = NULL;
  // Sizes at 96 DPI; the menu is measured and drawn at the DPI of the monitor it opens on.
  SIZE iconSize = {16, 16};
  int itemHeight = 19;
  int dpi = 96;
  int bannerHeight = 0;  // the sum of the measured item heights: the height of the item column
  COLORREF textColor = kxMenuTextColor;
  COLORREF backColor = kxMenuColor;
  COLORREF selectColor = kxSelectedItemColor;
  COLORREF highlightColor = kxHighlightColor;
  COLORREF separatorColor = kxGreyLineColor;
  int bannerWidth = 5;
  KxString bannerText;
  KxList<KxMenuItem*> items;    // owned, in append order (= platform positions)
  KxList<KxPopMenu*> subMenus;  // owned, in creation order
  KxFont bannerFont;
  KxFont itemFont;

protected:
  // Takes a platform menu made by a derived class and makes it findable by its handle.
  void Adopt(HMENU created);

private:
  void SetOwnerWindow(HWND owner);
  // The DPI of the menu and its sub-menus: fonts at that scale (the icons follow as they
  // are drawn).
  void SetDpi(int value);
  int Px(int value) const { return KxScale(value, dpi); }
  void DrawBanner(HDC dc, POINT origin);
  int PositionOf(const KxMenuItem* item) const;
  // Top of the item column: the item's top less the heights of the items above it.
  int ColumnTopFor(const KxMenuItem* item, int itemTop) const;
};

// The pop-up menu: a KxMenu with a platform menu made by CreatePopupMenu.
class KxPopMenu : public KxMenu {
public:
  KxPopMenu();
};
