#pragma once
// The tree control: the system's "SysTreeView32", subclassed by the toolkit. It carries two
// image lists, hands its notifications to handlers bound by notification code, can tile a
// bitmap as its background, and lets the user drag one item onto another.
//
// Dragging: a begin-drag that its handler accepts captures the pointer; every move marks
// the item under the pointer as the drop target, and releasing the button over another
// item sends the tree the toolkit's own KX_TVN_DROP notification. The picture under the
// pointer is decoration: where the system cannot make it (Wine's TVM_CREATEDRAGIMAGE gives
// an empty image list) the drag goes on without it. Escape or a lost capture ends a drag
// without a drop.
//
// Keys: a key pressed in the tree (not in its label edit) is offered to OnTreeKey before the
// system tree sees it, and a key taken there never reaches the system tree (whose Ctrl+arrows
// scroll). The context-menu key and Shift+F10 call OnKeyboardMenu once per press, whichever
// way they arrive: as the key itself, or as WM_CONTEXTMENU of the keyboard form (lParam -1),
// or both (Wine sends the key and, for the context-menu key, also the message at its
// release when no menu is open by then; for Shift+F10 only the key).

#include <windows.h>
#include <commctrl.h>

#include "kx/KxControl.h"
#include "kx/KxMessages.h"

// KX_TVN_DROP is sent by the tree to itself as WM_NOTIFY when a dragged item is dropped on
// another one; the handler reads dragItem and dropTarget.

class KxTreeView;

// The styles the toolkit gives the system tree (the tree bench's floor takes them too).
extern const DWORD kKxTreeViewStyle;

// One strip of a tree's images drawn at one side: a bitmap or a PNG file (RCDATA) among a
// module's resources.
struct KxImageStrip {
  int side;
  int resource;
};

// An item handle together with its tree. The null item (handle 0) and the root handle
// (TVI_ROOT) have no data: reading gives "", 0 or -1, and setting does nothing.
class KxTreeItem {
public:
  KxTreeItem() = default;
  KxTreeItem(HTREEITEM handle, const KxTreeView* view) : handle(handle), view(view) {}

  bool IsNull() const { return handle == NULL; }
  bool operator==(const KxTreeItem& other) const { return handle == other.handle; }
  bool operator!=(const KxTreeItem& other) const { return handle != other.handle; }

  KxTreeItem Next() const;
  KxTreeItem Previous() const;
  KxTreeItem Parent() const;
  KxTreeItem FirstChild() const;
  int ChildCount() const;
  // The item's position among its siblings: the number of siblings before it.
  int Index() const;

  KxString Text() const;
  void SetText(const KxString& text) const;
  LPARAM Param() const;
  int Image() const;
  void SetImage(int image) const;
  void SetSelectedImage(int image) const;
  void SetStateImage(int state) const;
  bool IsExpanded() const;
  // Collapsing also forgets the expanded state of the items below.
  void Expand(bool expand) const;
  void Select() const;
  // Scrolls the item into view and opens the groups above it.
  void EnsureVisible() const;
  void EditLabel() const;
  void Delete() const;

  HTREEITEM handle = NULL;
  const KxTreeView* view = nullptr;

private:
  bool HasData() const;
  KxTreeItem Related(UINT relation) const;
  bool GetItem(TVITEMW& item) const;
  void SetItem(TVITEMW& item) const;
};

class KxTreeView : public KxControl {
public:
  // No parent and no window yet; whoever makes the tree owns it.
  KxTreeView();
  ~KxTreeView() override;

  // The system tree as a child of parent, with both image lists attached; false when the
  // window cannot be made.
  bool Create(KxControl* parent, const KxRect& rect);

  LRESULT WndProc(KxMsg& m) override;
  // A key pressed with the modifiers held at the press; true when it is taken.
  virtual bool OnTreeKey(UINT key, bool ctrl, bool shift) {
    (void)key, (void)ctrl, (void)shift;
    return false;
  }
  // The menu asked for by a key, to open with its top left corner at the screen point at:
  // below the selected item's label, scrolled into view (the client area's corner without a
  // selection).
  virtual void OnKeyboardMenu(POINT at) { (void)at; }
  // The system tree paints itself.
  void OnPaint() override {}
  // The images of both lists: strips of the same square pictures drawn at several sides
  // (16, the side at 96 DPI, and larger ones), resources of instance. Now and whenever the
  // DPI changes, the lists take the strip whose side is nearest to theirs, stretched only
  // when none has their side. False when the lists refused it.
  bool SetImageStrips(HINSTANCE instance, const KxImageStrip* strips, int count);
  void OnDpiChanged(int oldDpi) override;

  KxTreeItem Selection() const;
  // The item at a point of the client area, or the null item.
  KxTreeItem HitTest(POINT point) const;
  void SetBkColor(COLORREF color);
  // text is copied by the system tree: a fill passes the bytes it has, without a string.
  KxTreeItem InsertItem(const KxTreeItem& parentItem, HTREEITEM insertAfter, const char* text,
                        int image, int selectedImage, LPARAM param);
  KxTreeItem InsertItem(const KxTreeItem& parentItem, HTREEITEM insertAfter, const KxString& text,
                        int image, int selectedImage, LPARAM param) {
    return InsertItem(parentItem, insertAfter, text.CStr(), image, selectedImage, param);
  }
  KxTreeItem AppendItem(const KxTreeItem& parentItem, const char* text, int image,
                        int selectedImage, LPARAM param) {
    return InsertItem(parentItem, TVI_LAST, text, image, selectedImage, param);
  }
  KxTreeItem AppendItem(const KxTreeItem& parentItem, const KxString& text, int image,
                        int selectedImage, LPARAM param) {
    return InsertItem(parentItem, TVI_LAST, text.CStr(), image, selectedImage, param);
  }
  // A new item with the source's text, images, param and state image.
  KxTreeItem CopyItem(const KxTreeItem& source, const KxTreeItem& parentItem, HTREEITEM insertAfter);
  // CopyItem, then the source's children the same way, each appended last; an expanded
  // source gives an expanded copy.
  KxTreeItem CopyTree(const KxTreeItem& source, const KxTreeItem& parentItem, HTREEITEM insertAfter);
  // TVI_ROOT: the parent of the top-level items.
  KxTreeItem Root() const { return rootItem; }
  // Inside a handler of one of the tree's notifications (bound below): the item it is
  // about, the new item of TVN_ITEMEXPANDED and TVN_BEGINDRAG, the edited item of the
  // label edits; the null item for any other notice.
  KxTreeItem NotifiedItem(const KxEvtParam& param) const;
  // Inside the handler of TVN_ENDLABELEDIT: true and the text typed, or false when the edit
  // was cancelled.
  static bool EditedText(const KxEvtParam& param, KxString* text);

  bool dragEnabled = true;
  HIMAGELIST dragImage = NULL;  // owned; the picture of the last drag, if the system made one
  bool dragging = false;
  KxTreeItem dragItem;
  KxTreeItem dropTarget;  // the item under the pointer at the last move of a drag
  KxTreeItem rootItem;
  HIMAGELIST imageList = NULL;       // owned, TVSIL_NORMAL
  HIMAGELIST stateImageList = NULL;  // owned, TVSIL_STATE

private:
  // A request of the toolkit's own, straight to the system tree's procedure: it needs none
  // of the handlers, and a fill makes a thousand of them (a tenth of its time under Wine).
  LRESULT CallSystemTree(UINT message, WPARAM wParam, LPARAM lParam);
  void BeginDrag(const NMTREEVIEWW& notice);
  // Ends a drag; with drop, a release over another item sends KX_TVN_DROP.
  LRESULT EndDrag(bool drop);
  // The drop-target mark on item (NULL: on none), and off whatever item carries it.
  void MarkDropTarget(HTREEITEM item);
  void ClearDropHighlight();
  void SetDropState(HTREEITEM item, bool marked);
  // OnKeyboardMenu at the selection, unless a menu asked for by a key is open already.
  void OpenKeyboardMenu();
  // A key-down the tree takes before the system tree: true when it is taken.
  bool TakeKey(UINT message, UINT key, bool repeat);
  // The key that opened the menu is released: the press ends once the queue holds nothing
  // the platform made of it.
  void EndMenuKeyPress();

  bool AddStripAtDpi();

  static constexpr int kMaxImageStrips = 4;
  HINSTANCE stripInstance = NULL;
  KxImageStrip imageStrips[kMaxImageStrips] = {};
  int imageStripCount = 0;
  HBITMAP imageStrip = NULL;   // owned: the strip the lists took last
  int loadedStrip = -1;        // its index in imageStrips
  bool dragShown = false;      // the system's drag picture is on the screen
  HTREEITEM markedItem = NULL;  // the item this tree last marked as drop target
  UINT menuKey = 0;             // the key that opened the menu, until its release
  bool menuKeyPress = false;    // from that key's press until the queue has passed its release
  bool keyboardMenuOpen = false;
};

// Handlers for the tree's notifications, bound by code in cmdHandlers (and the right
// button in msgHandlers, where it runs before the system tree sees the press).
template <class T>
void BindRClick(KxTreeView& tree, T* object, int (T::*handler)(KxEvtParam&)) {
  BindCmd(tree, static_cast<UINT>(NM_RCLICK), object, handler);
}
// Bound under TVN_ITEMEXPANDEDW: the handler sees the item's new state.
template <class T>
void BindItemExpanding(KxTreeView& tree, T* object, int (T::*handler)(KxEvtParam&)) {
  BindCmd(tree, static_cast<UINT>(TVN_ITEMEXPANDEDW), object, handler);
}
// A non-zero answer lets the drag start.
template <class T>
void BindBeginDrag(KxTreeView& tree, T* object, int (T::*handler)(KxEvtParam&)) {
  BindCmd(tree, static_cast<UINT>(TVN_BEGINDRAGW), object, handler);
}
template <class T>
void BindBeginLabelEdit(KxTreeView& tree, T* object, int (T::*handler)(KxEvtParam&)) {
  BindCmd(tree, static_cast<UINT>(TVN_BEGINLABELEDITW), object, handler);
}
template <class T>
void BindEndLabelEdit(KxTreeView& tree, T* object, int (T::*handler)(KxEvtParam&)) {
  BindCmd(tree, static_cast<UINT>(TVN_ENDLABELEDITW), object, handler);
}
template <class T>
void BindDrop(KxTreeView& tree, T* object, int (T::*handler)(KxEvtParam&)) {
  BindCmd(tree, KX_TVN_DROP, object, handler);
}
template <class T>
void BindRButtonDown(KxTreeView& tree, T* object, int (T::*handler)(KxEvtParam&)) {
  BindMsg(tree, WM_RBUTTONDOWN, object, handler);
}
