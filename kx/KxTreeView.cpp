#include "kx/KxTreeView.h"

#include "image/CxImage.h"
#include "kx/base/KxIconFile.h"
#include "kx/base/KxWide.h"

#include <cstring>

const DWORD kKxTreeViewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                               WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                               TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS |
                               TVS_RTLREADING | TVS_NOTOOLTIPS;

namespace {

const int kTextChars = 300;
const int kImageSide = 16;
const POINT kDragHotSpot = {8, 8};
// Posted to itself once a key's menu is over; whatever the platform posted for the same press
// (Wine posts WM_CONTEXTMENU when it takes the context-menu key's release from the queue, if
// no menu is open by then) arrives before it.
const UINT kMenuKeyDone = WM_APP + 1;

HWND TreeWindow(const KxTreeView* view) { return view ? view->hwnd : NULL; }

// A bitmap of the resources, or a PNG file among them decoded by the program's own image
// code; owned by the caller.
HBITMAP LoadStrip(HINSTANCE instance, int id) {
  if (HBITMAP bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(id))) return bitmap;
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL loaded = found ? LoadResource(instance, found) : NULL;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  CxImage image;
  if (!bytes || !image.LoadFromBytes(bytes, SizeofResource(instance, found))) return NULL;
  HDC screen = GetDC(NULL);
  HBITMAP bitmap = image.MakeBitmap(screen);
  ReleaseDC(NULL, screen);
  return bitmap;
}

}  // namespace

// ---- KxTreeItem

bool KxTreeItem::HasData() const { return handle != NULL && handle != TVI_ROOT && view; }

KxTreeItem KxTreeItem::Related(UINT relation) const {
  if (!view || handle == NULL) return KxTreeItem(NULL, view);
  LRESULT found = 0;
  if (handle == TVI_ROOT) {
    // TVI_ROOT stands for the top level: its only relative is its first item.
    if (relation == TVGN_CHILD) found = SendMessageW(TreeWindow(view), TVM_GETNEXTITEM, TVGN_ROOT, 0);
  } else {
    found = SendMessageW(TreeWindow(view), TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(handle));
  }
  return KxTreeItem(reinterpret_cast<HTREEITEM>(found), view);
}

KxTreeItem KxTreeItem::Next() const { return Related(TVGN_NEXT); }
KxTreeItem KxTreeItem::Previous() const { return Related(TVGN_PREVIOUS); }
KxTreeItem KxTreeItem::Parent() const { return Related(TVGN_PARENT); }
KxTreeItem KxTreeItem::FirstChild() const { return Related(TVGN_CHILD); }

int KxTreeItem::ChildCount() const {
  int count = 0;
  for (KxTreeItem child = FirstChild(); !child.IsNull(); child = child.Next()) ++count;
  return count;
}

int KxTreeItem::Index() const {
  if (!HasData()) return 0;
  int index = 0;
  for (KxTreeItem before = Previous(); !before.IsNull(); before = before.Previous()) ++index;
  return index;
}

bool KxTreeItem::GetItem(TVITEMW& item) const {
  if (!HasData()) return false;
  item.hItem = handle;
  return SendMessageW(TreeWindow(view), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

void KxTreeItem::SetItem(TVITEMW& item) const {
  if (!HasData()) return;
  item.hItem = handle;
  SendMessageW(TreeWindow(view), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

KxString KxTreeItem::Text() const {
  wchar_t buffer[kTextChars] = {};
  TVITEMW item = {};
  item.mask = TVIF_TEXT | TVIF_HANDLE;
  item.pszText = buffer;
  item.cchTextMax = kTextChars;
  if (!GetItem(item)) return KxString();
  // The control may answer with its own buffer instead of filling ours.
  return KxFromWide(item.pszText ? item.pszText : L"");
}

void KxTreeItem::SetText(const KxString& text) const {
  KxWide wide(text);
  TVITEMW item = {};
  item.mask = TVIF_TEXT | TVIF_HANDLE;
  item.pszText = const_cast<wchar_t*>(wide.Get());
  SetItem(item);
}

LPARAM KxTreeItem::Param() const {
  TVITEMW item = {};
  item.mask = TVIF_PARAM | TVIF_HANDLE;
  return GetItem(item) ? item.lParam : 0;
}

int KxTreeItem::Image() const {
  TVITEMW item = {};
  item.mask = TVIF_IMAGE | TVIF_HANDLE;
  return GetItem(item) ? item.iImage : -1;
}

void KxTreeItem::SetImage(int image) const {
  TVITEMW item = {};
  item.mask = TVIF_IMAGE | TVIF_HANDLE;
  item.iImage = image;
  SetItem(item);
}

void KxTreeItem::SetSelectedImage(int image) const {
  TVITEMW item = {};
  item.mask = TVIF_SELECTEDIMAGE | TVIF_HANDLE;
  item.iSelectedImage = image;
  SetItem(item);
}

void KxTreeItem::SetStateImage(int state) const {
  TVITEMW item = {};
  item.mask = TVIF_STATE;
  item.stateMask = TVIS_STATEIMAGEMASK;
  item.state = static_cast<UINT>(state) & TVIS_STATEIMAGEMASK;
  SetItem(item);
}

bool KxTreeItem::IsExpanded() const {
  if (!HasData()) return false;
  LRESULT state = SendMessageW(TreeWindow(view), TVM_GETITEMSTATE,
                               reinterpret_cast<WPARAM>(handle), TVIS_EXPANDED);
  return (state & TVIS_EXPANDED) != 0;
}

void KxTreeItem::Expand(bool expand) const {
  if (!HasData()) return;
  // Plain TVE_COLLAPSE: with TVE_COLLAPSERESET the control would delete the child items.
  SendMessageW(TreeWindow(view), TVM_EXPAND, expand ? TVE_EXPAND : TVE_COLLAPSE,
               reinterpret_cast<LPARAM>(handle));
}

void KxTreeItem::Select() const {
  if (!HasData()) return;
  SendMessageW(TreeWindow(view), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(handle));
}

void KxTreeItem::EnsureVisible() const {
  if (!HasData()) return;
  SendMessageW(TreeWindow(view), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(handle));
}

void KxTreeItem::EditLabel() const {
  if (!HasData()) return;
  SendMessageW(TreeWindow(view), TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(handle));
}

void KxTreeItem::Delete() const {
  if (!HasData()) return;
  SendMessageW(TreeWindow(view), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(handle));
}

// ---- KxTreeView

KxTreeView::KxTreeView() : KxControl(nullptr) {
  borderStyle = 1;
  rootItem = KxTreeItem(TVI_ROOT, this);
}

KxTreeView::~KxTreeView() {
  // The system tree gets its own procedure back before its window goes, so that it frees
  // what it holds; the image lists go only once no window uses them.
  if (hwnd && IsWindow(hwnd)) {
    if (prevWndProc)
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevWndProc));
    KxCardRegistry::Leave(this);
    DestroyWindow(hwnd);
  }
  hwnd = NULL;
  if (stateImageList) ImageList_Destroy(stateImageList);
  if (imageList) ImageList_Destroy(imageList);
  if (dragImage) ImageList_Destroy(dragImage);
  if (imageStrip) DeleteObject(imageStrip);
}

bool KxTreeView::Create(KxControl* parentControl, const KxRect& rect) {
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_TREEVIEW_CLASSES;
  InitCommonControlsEx(&controls);

  parent = parentControl;
  if (!KxCard::Create(WC_TREEVIEWA, "", kKxTreeViewStyle, rect, parentControl)) return false;
  imageList = ImageList_Create(Px(kImageSide), Px(kImageSide), ILC_COLOR32, 0, 0);
  stateImageList = ImageList_Create(Px(kImageSide), Px(kImageSide), ILC_COLOR32, 0, 0);
  SendMessageW(hwnd, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(imageList));
  SendMessageW(hwnd, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(stateImageList));
  return true;
}

bool KxTreeView::SetImageStrips(HINSTANCE instance, const KxImageStrip* strips, int count) {
  stripInstance = instance;
  imageStripCount = 0;
  for (int i = 0; i < count && i < kMaxImageStrips; ++i) imageStrips[imageStripCount++] = strips[i];
  if (imageStrip) DeleteObject(imageStrip);
  imageStrip = NULL;
  loadedStrip = -1;
  return AddStripAtDpi();
}

// The strip of the nearest side, loaded when it is not the one taken last; the images are
// stretched to the lists' side only when it is another.
bool KxTreeView::AddStripAtDpi() {
  int side = Px(kImageSide);
  int nearest = -1;
  for (int i = 0; i < imageStripCount; ++i) {
    if (KxIsNearerSide(imageStrips[i].side, nearest < 0 ? 0 : imageStrips[nearest].side, side))
      nearest = i;
  }
  if (nearest < 0) return false;
  if (nearest != loadedStrip) {
    if (imageStrip) DeleteObject(imageStrip);
    imageStrip = LoadStrip(stripInstance, imageStrips[nearest].resource);
    // A strip that cannot be read leaves the first one, stretched.
    if (!imageStrip && nearest != 0) imageStrip = LoadStrip(stripInstance, imageStrips[nearest = 0].resource);
    loadedStrip = imageStrip ? nearest : -1;
  }
  if (!imageStrip) return false;
  BITMAP bm = {};
  if (!GetObjectW(imageStrip, sizeof(bm), &bm) || bm.bmHeight <= 0) return false;
  HBITMAP scaled = NULL;
  if (side != bm.bmHeight) {
    int w = MulDiv(bm.bmWidth, side, bm.bmHeight);
    HDC screen = GetDC(NULL);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    scaled = CreateCompatibleBitmap(screen, w, side);
    ReleaseDC(NULL, screen);
    if (from && to && scaled) {
      HGDIOBJ oldFrom = SelectObject(from, imageStrip);
      HGDIOBJ oldTo = SelectObject(to, scaled);
      SetStretchBltMode(to, HALFTONE);
      StretchBlt(to, 0, 0, w, side, from, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
      SelectObject(from, oldFrom);
      SelectObject(to, oldTo);
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
  }
  bool added = true;
  const HIMAGELIST lists[] = {imageList, stateImageList};
  for (HIMAGELIST list : lists)
    if (!list || ImageList_Add(list, scaled ? scaled : imageStrip, NULL) < 0) added = false;
  if (scaled) DeleteObject(scaled);
  return added;
}

void KxTreeView::OnDpiChanged(int) {
  const HIMAGELIST lists[] = {imageList, stateImageList};
  // A new size empties a list; the tree measures its rows again when it is handed back.
  for (HIMAGELIST list : lists)
    if (list) ImageList_SetIconSize(list, Px(kImageSide), Px(kImageSide));
  AddStripAtDpi();
  SendMessageW(hwnd, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(imageList));
  SendMessageW(hwnd, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(stateImageList));
}

KxTreeItem KxTreeView::NotifiedItem(const KxEvtParam& param) const {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(param.lParam);
  if (!header) return KxTreeItem();
  switch (header->code) {
    case TVN_ITEMEXPANDEDW:
    case TVN_BEGINDRAGW:
      return KxTreeItem(reinterpret_cast<const NMTREEVIEWW*>(header)->itemNew.hItem, this);
    case TVN_BEGINLABELEDITW:
    case TVN_ENDLABELEDITW:
      return KxTreeItem(reinterpret_cast<const NMTVDISPINFOW*>(header)->item.hItem, this);
    default:
      return KxTreeItem();
  }
}

bool KxTreeView::EditedText(const KxEvtParam& param, KxString* text) {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(param.lParam);
  if (!header || header->code != static_cast<UINT>(TVN_ENDLABELEDITW)) return false;
  const wchar_t* typed = reinterpret_cast<const NMTVDISPINFOW*>(header)->item.pszText;
  if (!typed) return false;
  *text = KxFromWide(typed);
  return true;
}

LRESULT KxTreeView::CallSystemTree(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!prevWndProc) return SendMessageW(hwnd, message, wParam, lParam);
  return CallWindowProcW(prevWndProc, hwnd, message, wParam, lParam);
}

KxTreeItem KxTreeView::Selection() const {
  LRESULT found = SendMessageW(hwnd, TVM_GETNEXTITEM, TVGN_CARET, 0);
  return KxTreeItem(reinterpret_cast<HTREEITEM>(found), this);
}

KxTreeItem KxTreeView::HitTest(POINT point) const {
  TVHITTESTINFO info = {};
  info.pt = point;
  LRESULT found = SendMessageW(hwnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
  return KxTreeItem(reinterpret_cast<HTREEITEM>(found), this);
}

void KxTreeView::SetBkColor(COLORREF color) {
  SendMessageW(hwnd, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(color));
}

KxTreeItem KxTreeView::InsertItem(const KxTreeItem& parentItem, HTREEITEM insertAfter,
                                  const char* text, int image, int selectedImage, LPARAM param) {
  KxWide wide(text);
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parentItem.handle;
  insert.hInsertAfter = insertAfter;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_PARAM | TVIF_STATE | TVIF_HANDLE |
                     TVIF_SELECTEDIMAGE;
  insert.item.pszText = const_cast<wchar_t*>(wide.Get());
  insert.item.iImage = image;
  insert.item.iSelectedImage = selectedImage;
  insert.item.lParam = param;
  LRESULT made = CallSystemTree(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
  return KxTreeItem(reinterpret_cast<HTREEITEM>(made), this);
}

KxTreeItem KxTreeView::CopyItem(const KxTreeItem& source, const KxTreeItem& parentItem,
                                HTREEITEM insertAfter) {
  TVITEMW item = {};
  item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_HANDLE;
  item.hItem = source.handle;
  SendMessageW(hwnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  KxTreeItem copy =
      InsertItem(parentItem, insertAfter, source.Text(), item.iImage, item.iSelectedImage, item.lParam);
  if (copy.IsNull()) return copy;
  LRESULT state = SendMessageW(hwnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(source.handle),
                               TVIS_STATEIMAGEMASK);
  copy.SetStateImage(static_cast<int>(state & TVIS_STATEIMAGEMASK));
  return copy;
}

KxTreeItem KxTreeView::CopyTree(const KxTreeItem& source, const KxTreeItem& parentItem,
                                HTREEITEM insertAfter) {
  KxTreeItem copy = CopyItem(source, parentItem, insertAfter);
  if (copy.IsNull()) return copy;
  for (KxTreeItem child = source.FirstChild(); !child.IsNull(); child = child.Next())
    CopyTree(child, copy, TVI_LAST);
  if (source.IsExpanded()) copy.Expand(true);
  return copy;
}

void KxTreeView::BeginDrag(const NMTREEVIEWW& notice) {
  if (dragImage) ImageList_Destroy(dragImage);
  dragImage = reinterpret_cast<HIMAGELIST>(SendMessageW(
      hwnd, TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(notice.itemNew.hItem)));
  dragItem = KxTreeItem(notice.itemNew.hItem, this);
  dropTarget = KxTreeItem();
  dragging = true;
  dragShown = dragImage && ImageList_BeginDrag(dragImage, 0, Px(kDragHotSpot.x), Px(kDragHotSpot.y));
  if (dragShown) ImageList_DragEnter(hwnd, notice.ptDrag.x, notice.ptDrag.y);
  SetCapture(hwnd);
  // Escape must reach the tree: the system tree takes no focus for a press that drags.
  ::SetFocus(hwnd);
}

void KxTreeView::SetDropState(HTREEITEM item, bool marked) {
  TVITEMW state = {};
  state.mask = TVIF_STATE | TVIF_HANDLE;
  state.hItem = item;
  state.stateMask = TVIS_DROPHILITED;
  state.state = marked ? TVIS_DROPHILITED : 0;
  SendMessageW(hwnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&state));
}

// Wine leaves the selected item out of TVGN_DROPHILITE, and refuses to clear the mark while
// nothing is selected; the item state is set alongside, so the mark shows all the same.
void KxTreeView::MarkDropTarget(HTREEITEM item) {
  if (markedItem && markedItem != item) SetDropState(markedItem, false);
  SendMessageW(hwnd, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
  if (item) SetDropState(item, true);
  markedItem = item;
}

void KxTreeView::ClearDropHighlight() {
  HTREEITEM reported = reinterpret_cast<HTREEITEM>(
      SendMessageW(hwnd, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
  if (reported) SetDropState(reported, false);
  MarkDropTarget(NULL);
}

LRESULT KxTreeView::EndDrag(bool drop) {
  dragging = false;
  if (dragShown) {
    ImageList_DragLeave(hwnd);
    ImageList_EndDrag();
    dragShown = false;
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  ClearDropHighlight();
  if (!drop || dropTarget.IsNull() || dropTarget == dragItem) return 0;
  NMHDR header = {};
  header.hwndFrom = hwnd;
  header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
  header.code = KX_TVN_DROP;
  return SendMessageW(hwnd, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void KxTreeView::OpenKeyboardMenu() {
  if (keyboardMenuOpen) return;
  POINT at = {0, 0};
  KxTreeItem item = Selection();
  if (!item.IsNull()) {
    item.EnsureVisible();
    RECT r = {};
    HTREEITEM handle = item.handle;
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    memcpy(&r, &handle, sizeof(handle));
    if (SendMessageW(hwnd, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r))) {
      at.x = r.left;
      at.y = r.bottom;
    }
  }
  ClientToScreen(hwnd, &at);
  keyboardMenuOpen = true;
  OnKeyboardMenu(at);
  keyboardMenuOpen = false;
}

void KxTreeView::EndMenuKeyPress() {
  menuKey = 0;
  PostMessageW(hwnd, kMenuKeyDone, 0, 0);
}

bool KxTreeView::TakeKey(UINT message, UINT key, bool repeat) {
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  if (key == VK_APPS || (key == VK_F10 && shift)) {
    // A held key repeats: one press, one menu.
    if (repeat) return true;
    menuKey = key;
    menuKeyPress = true;
    OpenKeyboardMenu();
    return true;
  }
  // A release the menu took leaves the press open; the next key starts another one.
  menuKeyPress = false;
  if (message != WM_KEYDOWN || !OnTreeKey(key, ctrl, shift)) return false;
  // The character the key made (Enter's) is the key's too.
  MSG typed;
  PeekMessageW(&typed, hwnd, WM_CHAR, WM_CHAR, PM_REMOVE);
  return true;
}

LRESULT KxTreeView::WndProc(KxMsg& m) {
  switch (m.msg) {
    case WM_PAINT: {
      LRESULT result = KxCard::WndProc(m);
      DrawFrame();
      return result;
    }
    case WM_ERASEBKGND:
      if (bkImage) {
        KxCanvas canvas(reinterpret_cast<HDC>(m.wParam));
        canvas.TileBitmap(bkImage, ClientRect());
        return 1;
      }
      return 0;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(m.lParam);
      if (!header) return 0;
      // The codes share the map with messages; only notifications that come from this
      // tree reach a handler.
      if (header->hwndFrom != hwnd) return KxControl::WndProc(m);
      LRESULT result = 0;
      if (KxEvt* handler = cmdHandlers.Find(header->code)) {
        KxEvtParam p = KxMakeEvtParam(m);
        result = handler->Invoke(p);
      }
      if (header->code == static_cast<UINT>(TVN_BEGINDRAGW) && dragEnabled && result != 0)
        BeginDrag(*reinterpret_cast<const NMTREEVIEWW*>(m.lParam));
      return result;
    }
    case WM_MOUSEMOVE:
      // The system tree tracks its own clicks and drag starts; it never needs the moves.
      if (dragging) {
        POINT point = {static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))};
        if (dragShown) {
          ImageList_DragMove(point.x, point.y);
          ImageList_DragShowNolock(FALSE);
        }
        dropTarget = HitTest(point);
        if (!dropTarget.IsNull()) MarkDropTarget(dropTarget.handle);
        if (dragShown) ImageList_DragShowNolock(TRUE);
      }
      return 0;
    case WM_LBUTTONDOWN: {
      menuKeyPress = false;
      // The system tree runs its own drag detection inside the press.
      LRESULT result = KxCard::WndProc(m);
      // Wine's tree marks the pressed item as drop target when it reports a drag start,
      // also when no drag follows; a real drag clears the mark when it ends.
      if (!dragging) ClearDropHighlight();
      return result;
    }
    case WM_LBUTTONUP: {
      LRESULT result = KxCard::WndProc(m);
      if (dragging) return EndDrag(true);
      return result;
    }
    case WM_CAPTURECHANGED:
      if (dragging && reinterpret_cast<HWND>(m.lParam) != hwnd) EndDrag(false);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (dragging) {
        if (m.msg != WM_KEYDOWN || m.wParam != VK_ESCAPE) break;
        EndDrag(false);
        return 0;
      }
      // A label edit has the focus and its own keys; this is for a message sent from outside.
      if (SendMessageW(hwnd, TVM_GETEDITCONTROL, 0, 0)) break;
      if (TakeKey(m.msg, static_cast<UINT>(m.wParam), (m.lParam & (1 << 30)) != 0)) return 0;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      // The release of a key that opened the menu goes no further, as its press did.
      if (menuKey && m.wParam == menuKey) {
        EndMenuKeyPress();
        return 0;
      }
      break;
    case kMenuKeyDone:
      menuKeyPress = false;
      return 0;
    case WM_CONTEXTMENU:
      if (m.lParam == -1) {
        // The platform's own message for a press whose key opened the menu already.
        if (!menuKeyPress) OpenKeyboardMenu();
        return 0;
      }
      break;
    default:
      break;
  }
  // Messages whose numbers are also notification codes bound above go straight on.
  if (m.msg == KX_TVN_DROP) return KxCard::WndProc(m);
  return KxControl::WndProc(m);
}
