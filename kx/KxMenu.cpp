#include "kx/KxMenu.h"

#include "kx/base/KxWide.h"

#include <new>

#include "kx/KxCanvas.h"
#include "kx/KxControl.h"
#include "kx/base/KxModal.h"
#include "kx/base/KxHandles.h"

namespace {

constexpr UINT kSeparatorFlags = MF_OWNERDRAW | MF_SEPARATOR;
constexpr UINT kBannerTextFormat = DT_CENTER | DT_BOTTOM | DT_SINGLELINE;
// Captions are shown as given: "&" marks no mnemonic in these menus.
constexpr UINT kItemTextFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
constexpr COLORREF kDisabledTextColor = RGB(128, 128, 128);
constexpr COLORREF kSelectFrameColor = kxLinkColor;
constexpr int kSeparatorHeight = 3;

// Every menu that has a platform menu, for the owner window's WM_MENUCHAR.
KxList<KxMenu*> liveMenus;

void Forget(KxMenu* menu) {
  for (KxListNode<KxMenu*>* node = liveMenus.Head(); node; node = node->next) {
    if (node->value == menu) {
      liveMenus.Remove(node);
      return;
    }
  }
}

KxMenuItem* ItemOf(ULONG_PTR itemData) {
  return static_cast<KxMenuItem*>(reinterpret_cast<KxOwnerDrawItem*>(itemData));
}

ULONG_PTR ItemDataOf(KxMenuItem* item) {
  return reinterpret_cast<ULONG_PTR>(static_cast<KxOwnerDrawItem*>(item));
}

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsLetterOrDigit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

// ---- KxMenuItem

void KxMenuItem::Measure(MEASUREITEMSTRUCT& measure) { menu->MeasureItem(measure); }

void KxMenuItem::Draw(const DRAWITEMSTRUCT& draw) { menu->DrawItem(draw); }

// ---- KxMenu

KxMenu::KxMenu() {
  bannerFont.faceName = "宋体";
  bannerFont.height = 18;
  bannerFont.escapement = 900;
  bannerFont.orientation = 900;
  bannerFont.weight = 600;
  bannerFont.italic = 1;
  bannerFont.MarkDirty();
}

KxMenu::~KxMenu() {
  Forget(this);
  // The platform destroys the cascaded menus together with this one, so the sub-menu
  // objects are told their handles are gone before they are deleted.
  if (hmenu) DestroyMenu(hmenu);
  hmenu = NULL;
  while (KxListNode<KxPopMenu*>* node = subMenus.Head()) {
    KxPopMenu* sub = node->value;
    subMenus.Remove(node);
    sub->hmenu = NULL;
    delete sub;
  }
  while (KxListNode<KxMenuItem*>* node = items.Head()) {
    KxMenuItem* item = node->value;
    items.Remove(node);
    delete item;
  }
}

void KxMenu::Adopt(HMENU created) {
  hmenu = created;
  if (hmenu) liveMenus.Add(this);
}

KxMenu* KxMenu::FromHandle(HMENU handle) {
  if (!handle) return nullptr;
  for (auto& item : liveMenus)
    if (item->hmenu == handle) return item;
  return nullptr;
}

KxMenuItem* KxMenu::AppendItem(UINT id, const KxString& text) {
  if (!hmenu) return nullptr;
  KxMenuItem* item = new (std::nothrow) KxMenuItem(this);
  if (!item) return nullptr;
  item->text = text;
  bool separator = item->IsSeparator();
  item->id = separator ? 0 : id;
  if (!items.Add(item)) {
    delete item;
    return nullptr;
  }
  BOOL appended = AppendMenuW(hmenu, separator ? kSeparatorFlags : MF_OWNERDRAW, item->id,
                              reinterpret_cast<LPCWSTR>(ItemDataOf(item)));
  if (!appended) {
    items.Remove(items.Tail());
    delete item;
    return nullptr;
  }
  return item;
}

KxMenuItem* KxMenu::AppendSeparator() { return AppendItem(0, "-"); }

KxPopMenu* KxMenu::AppendSubMenu(const KxString& text, int iconResource) {
  KxPopMenu* sub = AppendSubMenu(text, static_cast<HICON>(NULL));
  // Of the resources, so that the item takes the icon at its nearest image.
  if (sub && iconResource != 0)
    items.Tail()->value->picture.LoadIconResource(GetModuleHandleW(NULL), iconResource);
  return sub;
}

KxPopMenu* KxMenu::AppendSubMenu(const KxString& text, HICON icon) {
  KxMenuItem* item = new (std::nothrow) KxMenuItem(this);
  if (!item) return nullptr;
  item->picture.SetIcon(icon, false);
  item->text = text;
  item->hasSubMenu = true;
  KxPopMenu* sub = hmenu ? new (std::nothrow) KxPopMenu() : nullptr;
  if (!sub || !sub->hmenu || !subMenus.Add(sub)) {
    delete sub;
    delete item;
    return nullptr;
  }
  if (!items.Add(item) ||
      !AppendMenuW(hmenu, MF_OWNERDRAW | MF_POPUP, reinterpret_cast<UINT_PTR>(sub->hmenu),
                   reinterpret_cast<LPCWSTR>(ItemDataOf(item)))) {
    if (items.Tail() && items.Tail()->value == item) items.Remove(items.Tail());
    subMenus.Remove(subMenus.Tail());
    delete sub;
    delete item;
    return nullptr;
  }
  return sub;
}

int KxMenu::PositionOf(const KxMenuItem* item) const {
  int position = 0;
  for (KxListNode<KxMenuItem*>* node = items.Head(); node; node = node->next, ++position)
    if (node->value == item) return position;
  return -1;
}

void KxMenu::EnableItem(KxMenuItem* item, bool enable) {
  int position = PositionOf(item);
  if (position < 0) return;
  item->enabled = enable;
  EnableMenuItem(hmenu, static_cast<UINT>(position),
                 MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
}

void KxMenu::SetOwnerWindow(HWND owner) {
  ownerWindow = owner;
  for (auto& item : subMenus)
    item->SetOwnerWindow(owner);
}

void KxMenu::SetDpi(int value) {
  dpi = value;
  bannerFont.SetDpi(dpi);
  itemFont.SetDpi(dpi);
  for (auto& item : subMenus)
    item->SetDpi(value);
}

int KxMenu::Popup(KxControl* owner, bool returnCommand) {
  POINT at = {0, 0};
  GetCursorPos(&at);
  return PopupAt(owner, at, returnCommand);
}

int KxMenu::PopupAt(KxControl* owner, POINT at, bool returnCommand) {
  // No menu while an exit ends every modal run.
  if (!hmenu || !owner || !owner->hwnd || KxModalRunsEnding()) return 0;
  bannerDirty = true;
  // Sub-menus are measured and drawn through the same owner window.
  SetOwnerWindow(owner->hwnd);
  SetDpi(KxDpiOfRect(RECT{at.x, at.y, at.x + 1, at.y + 1}));
  SetForegroundWindow(ownerWindow);
  UINT flags = returnCommand ? (TPM_NONOTIFY | TPM_RETURNCMD) : 0;
  int result = 0;
  {
    // Ended from outside (an exit) as a click elsewhere ends it.
    KxModalRun run([](void*) { EndMenu(); });
    result = TrackPopupMenu(hmenu, flags, at.x, at.y, 0, ownerWindow, NULL);
  }
  // Lets the menu close properly when the user clicks elsewhere.
  PostMessageW(ownerWindow, WM_NULL, 0, 0);
  return result;
}

void KxMenu::MeasureItem(MEASUREITEMSTRUCT& measure) {
  KxMenuItem* item = ItemOf(measure.itemData);
  if (!item) return;
  int height;
  if (item->IsSeparator()) {
    measure.itemWidth = static_cast<UINT>(Px(bannerWidth + iconSize.cx + 10));
    height = Px(kSeparatorHeight);
  } else {
    TEXTMETRICW metrics = {};
    SIZE extent = {0, 0};
    HDC dc = GetDC(ownerWindow);
    {
      KxSelected selected(dc, itemFont.Handle());
      GetTextMetricsW(dc, &metrics);
      KxWide text(item->text);
      GetTextExtentPoint32W(dc, text, text.Length(), &extent);
    }
    ReleaseDC(ownerWindow, dc);
    // A byte of a Latin or Chinese text is about an average character wide; a four-byte
    // character is narrower than four, so the drawn width counts where it is more.
    int textWidth = item->text.Length() * metrics.tmAveCharWidth;
    if (extent.cx > textWidth) textWidth = extent.cx;
    measure.itemWidth = static_cast<UINT>(textWidth + Px(bannerWidth + iconSize.cx + 10));
    height = Px(itemHeight + 1 > iconSize.cy ? itemHeight + 1 : iconSize.cy);
  }
  measure.itemHeight = static_cast<UINT>(height);
  // The platform measures again every time the menu is shown; an item counts once.
  bannerHeight += height - item->measuredHeight;
  item->measuredHeight = height;
}

int KxMenu::ColumnTopFor(const KxMenuItem* item, int itemTop) const {
  int top = itemTop;
  for (KxListNode<KxMenuItem*>* node = items.Head(); node && node->value != item; node = node->next)
    top -= node->value->measuredHeight;
  return top;
}

void KxMenu::DrawBanner(HDC dc, POINT origin) {
  KxCanvas canvas(dc);
  canvas.SetBkMode(TRANSPARENT);
  int bandWidth = Px(bannerWidth);
  RECT band = {origin.x, origin.y, origin.x + bandWidth, origin.y + bannerHeight};
  canvas.FillRect(kxBannerColor, band);
  if (bannerText.IsEmpty()) return;
  // The rotated text runs up from the bottom of the column, centred across the band.
  SIZE extent = canvas.TextExtent(bannerFont, bannerText);
  RECT textRect = {origin.x, origin.y, origin.x + bandWidth + extent.cx - extent.cy,
                   origin.y + extent.cy + bannerHeight};
  canvas.DrawText(bannerFont, kxBannerTextColor, bannerText, textRect, kBannerTextFormat);
}

void KxMenu::DrawItem(const DRAWITEMSTRUCT& draw) {
  KxMenuItem* item = ItemOf(draw.itemData);
  RECT r = draw.rcItem;
  // The banner sits beside the item column, wherever the platform puts that column. A
  // full repaint of the menu window erases it, so every whole-item drawing paints it too.
  if (bannerDirty || (draw.itemAction & ODA_DRAWENTIRE)) {
    POINT origin = {r.left, item ? ColumnTopFor(item, r.top) : r.top};
    DrawBanner(draw.hDC, origin);
    bannerDirty = false;
  }
  r.left += Px(bannerWidth);
  if (!item) return;

  KxCanvas canvas(draw.hDC);
  canvas.SetBkMode(TRANSPARENT);
  if (item->IsSeparator()) {
    r.left += Px(4);
    int y = r.top + (r.bottom - r.top) / 2;
    canvas.Line(separatorColor, 1, POINT{r.left, y}, POINT{r.right, y});
    return;
  }

  r.left += Px(1);
  if (draw.itemState & ODS_SELECTED) {
    if (item->hasSubMenu) {
      bannerDirty = true;
      for (auto& item : subMenus)
        item->bannerDirty = true;
    }
    canvas.FillRect(selectColor, r);
    canvas.FrameRect(kSelectFrameColor, r);
  } else {
    canvas.FillRect(backColor, r);
  }
  r.left += Px(2);
  SIZE icon = {Px(iconSize.cx), Px(iconSize.cy)};
  RECT iconRect = {r.left, r.top + (r.bottom - r.top - icon.cy) / 2, 0, 0};
  iconRect.right = iconRect.left + icon.cx;
  iconRect.bottom = iconRect.top + icon.cy;
  // Fitted when first drawn, not when the menu opens: an icon read from a file is read
  // only for the levels that are shown.
  item->picture.FitIcon(icon.cy);
  canvas.DrawPictureIn(iconRect, item->picture);
  r.left += icon.cx + Px(2);
  bool grey = !item->enabled || (draw.itemState & ODS_GRAYED);
  canvas.DrawText(itemFont, grey ? kDisabledTextColor : textColor, item->text, r, kItemTextFormat);
}

LRESULT KxMenu::MenuChar(unsigned int key) {
  if (key > 0x7F || !IsLetterOrDigit(static_cast<char>(key)) || !hmenu) return MNC_IGNORE;
  char wanted = UpperAscii(static_cast<char>(key));
  int count = 0;
  int focused = -1;
  int position = 0;
  for (KxListNode<KxMenuItem*>* node = items.Head(); node; node = node->next, ++position) {
    if (GetMenuState(hmenu, static_cast<UINT>(position), MF_BYPOSITION) & MF_HILITE)
      focused = position;
    const KxMenuItem* item = node->value;
    if (item->enabled && !item->IsSeparator() && UpperAscii(item->text.At(0)) == wanted) ++count;
  }
  if (count == 0) return MNC_IGNORE;

  // The first match after the focused item, wrapping round to the top.
  int total = items.Count();
  int chosen = -1;
  for (int step = 1; step <= total && chosen < 0; ++step) {
    int candidate = (focused + step) % total;
    const KxMenuItem* item = *items.At(candidate);
    if (item->enabled && !item->IsSeparator() && UpperAscii(item->text.At(0)) == wanted)
      chosen = candidate;
  }
  if (count == 1) return MAKELRESULT(chosen, MNC_EXECUTE);
  // Wine's menu loop ignores MNC_SELECT; HiliteMenuItem moves its keyboard focus instead,
  // where MNC_SELECT finds the item already selected.
  HiliteMenuItem(ownerWindow, hmenu, static_cast<UINT>(chosen), MF_BYPOSITION | MF_HILITE);
  return MAKELRESULT(chosen, MNC_SELECT);
}

// ---- KxPopMenu

KxPopMenu::KxPopMenu() { Adopt(CreatePopupMenu()); }
