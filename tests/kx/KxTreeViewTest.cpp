// The tree control on a real system tree: the item operations and their empty answers,
// copying a branch, the tiled background, and dragging one item onto another with real
// button events. Under Wine the system makes no drag picture, so these drags also prove
// that a drag works without one.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kx/KxTreeView.h"
#include "kx/base/KxWinHelpers.h"
#include "tests/support/FormTest.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"

namespace {

// "text(children)" for each item under parent, in order.
std::string Describe(const KxTreeItem& parent) {
  std::string text;
  for (KxTreeItem item = parent.FirstChild(); !item.IsNull(); item = item.Next()) {
    if (!text.empty()) text += " ";
    text += item.Text().CStr();
    if (!item.FirstChild().IsNull()) text += "(" + Describe(item) + ")";
  }
  return text;
}

struct DropLog {
  int OnBeginDrag(KxEvtParam&) { return allowDrag; }
  int OnDrop(KxEvtParam& p) {
    const KxTreeView* tree = static_cast<const KxTreeView*>(p.sender);
    drops += std::string(tree->dragItem.Text().CStr()) + ">" + tree->dropTarget.Text().CStr() + " ";
    return 7;
  }
  int allowDrag = 1;
  std::string drops;
};

class TreeView : public FormTest {
protected:
  void SetUp() override {
    OpenForm("tree", KxRect{40, 40, 320, 320});
    tree = new KxTreeView;
    ASSERT_TRUE(tree->Create(form, KxRect{0, 0, 300, 300}));
    KxTreeItem root = tree->Root();
    a = tree->AppendItem(root, "a", 1, 1, 10);
    b = tree->AppendItem(root, "b", 2, 2, 20);
    b1 = tree->AppendItem(b, "b1", 3, 3, 21);
    tree->AppendItem(b1, "b1x", 3, 3, 211);
    tree->AppendItem(b, "b2", 3, 3, 22);
    c = tree->AppendItem(root, "c", 4, 4, 30);
    b.Expand(true);
    PumpFor(50);
  }
  void TearDown() override {
    delete tree;
    FormTest::TearDown();
  }
  // The middle of an item's label on the screen.
  POINT ScreenPointOf(const KxTreeItem& item) {
    RECT r = {};
    HTREEITEM handle = item.handle;
    memcpy(&r, &handle, sizeof(handle));  // TVM_GETITEMRECT takes the item in the rectangle
    SendMessageA(tree->hwnd, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
    POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(tree->hwnd, &p);
    return p;
  }

  KxTreeView* tree = nullptr;
  KxTreeItem a, b, b1, c;
};

}  // namespace

TEST_F(TreeView, ItemOperationsAndTheirEmptyAnswers) {
  EXPECT_EQ("a b(b1(b1x) b2) c", Describe(tree->Root()));
  KxTreeItem x = tree->InsertItem(tree->Root(), a.handle, "x", 0, 0, 5);
  EXPECT_EQ("a x b(b1(b1x) b2) c", Describe(tree->Root()));
  EXPECT_EQ(1, x.Index());
  EXPECT_EQ(3, c.Index());
  EXPECT_EQ(2, b.ChildCount());
  EXPECT_TRUE(b1.Parent() == b);
  EXPECT_TRUE(b.Previous() == x && b.Next() == c && c.Next().IsNull());
  EXPECT_EQ(20, b.Param());
  EXPECT_EQ(2, b.Image());
  x.SetText("长名字");
  x.SetImage(3);
  EXPECT_STREQ("长名字", x.Text().CStr());
  EXPECT_EQ(3, x.Image());
  x.Select();
  EXPECT_TRUE(tree->Selection() == x);

  // The null item and the root handle carry no data and change nothing.
  KxTreeItem none(NULL, tree);
  EXPECT_STREQ("", none.Text().CStr());
  EXPECT_EQ(-1, none.Image());
  EXPECT_EQ(0, tree->Root().Param());
  EXPECT_STREQ("", tree->Root().Text().CStr());
  EXPECT_TRUE(tree->Root().Parent().IsNull());
  tree->Root().SetText("no");
  none.Delete();
  EXPECT_EQ("a 长名字 b(b1(b1x) b2) c", Describe(tree->Root()));

  // Collapsing keeps the items below; an expanded branch is copied expanded.
  EXPECT_TRUE(b.IsExpanded());
  b.Expand(false);
  EXPECT_FALSE(b.IsExpanded());
  EXPECT_EQ(2, b.ChildCount());
  b.Expand(true);
  KxTreeItem copy = tree->CopyTree(b, c, TVI_LAST);
  EXPECT_EQ("a 长名字 b(b1(b1x) b2) c(b(b1(b1x) b2))", Describe(tree->Root()));
  EXPECT_EQ(20, copy.Param());
  EXPECT_EQ(211, copy.FirstChild().FirstChild().Param());
  EXPECT_TRUE(copy.IsExpanded());
  EXPECT_FALSE(copy.FirstChild().IsExpanded());
}

TEST_F(TreeView, TiledBackgroundOnErase) {
  // A 2 x 2 bitmap: red, green / blue, white, tiled from the client's corner.
  const DWORD quad[] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};
  BITMAPINFO info = KxTopDownDib32(2, 2);
  HDC screen = GetDC(NULL);
  HBITMAP tile = CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, quad, &info, DIB_RGB_COLORS);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 300, 300);
  HGDIOBJ previous = SelectObject(memory, target);
  ReleaseDC(NULL, screen);

  EXPECT_EQ(0, SendMessageA(tree->hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0));
  tree->SetBkImage(tile);
  EXPECT_EQ(1, SendMessageA(tree->hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0));
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(memory, 4, 6));
  EXPECT_EQ(RGB(0, 255, 0), GetPixel(memory, 5, 6));
  EXPECT_EQ(RGB(0, 0, 255), GetPixel(memory, 4, 7));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(memory, 5, 7));
  SelectObject(memory, previous);
  DeleteObject(target);
  DeleteDC(memory);
}

TEST_F(TreeView, DragsByRealButtonEvents) {
  DropLog log;
  struct Case {
    const char* what;
    bool bind;       // a begin-drag handler is bound
    int allow;       // its answer
    KxTreeItem* from;
    KxTreeItem* to;  // nullptr: the empty space below the items
    bool escape;     // Escape pressed before the release
    const char* drops;
  } cases[] = {
      {"no begin-drag handler: no drag", false, 0, &a, &c, false, ""},
      {"a refusing handler: no drag", true, 0, &a, &c, false, ""},
      {"onto another item", true, 1, &a, &c, false, "a>c "},
      {"a child onto an item at the top", true, 1, &b1, &a, false, "b1>a "},
      {"back onto its own row", true, 1, &c, &c, false, ""},
      {"onto empty space", true, 1, &a, nullptr, false, ""},
      {"Escape ends it", true, 1, &a, &c, true, ""},
  };
  BindDrop(*tree, &log, &DropLog::OnDrop);
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    if (k.bind) BindBeginDrag(*tree, &log, &DropLog::OnBeginDrag);
    log.allowDrag = k.allow;
    log.drops.clear();
    POINT from = ScreenPointOf(*k.from);
    POINT to = k.to ? ScreenPointOf(*k.to) : POINT{from.x, from.y + 200};
    DWORD treeThread = GetCurrentThreadId();
    HWND captured = NULL;
    bool highlighted = false;
    DriveWhilePumping([&] {
      Sleep(GetDoubleClickTime() + 50);  // the press must not make a double click
      MovePointerTo(from.x, from.y);
      PressLeft();
      // Out of the drag rectangle first, so that the tree starts a drag even when the
      // target is the item's own row.
      MovePointerTo(from.x + 12, from.y + 12);
      MovePointerTo((from.x + to.x) / 2, (from.y + to.y) / 2);
      MovePointerTo(to.x, to.y);
      MovePointerTo(to.x + 1, to.y);
      // The tree's thread sees the moves a little later than they are sent.
      bool dragged = k.bind && k.allow;
      WaitFor([&] {
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof(gui);
        GetGUIThreadInfo(treeThread, &gui);
        captured = gui.hwndCapture;
        highlighted = k.to && SendMessageA(tree->hwnd, TVM_GETITEMSTATE,
                                           reinterpret_cast<WPARAM>(k.to->handle), TVIS_DROPHILITED);
        return !dragged || (captured == tree->hwnd && (!k.to || highlighted));
      }, dragged ? 2000 : 200);
      if (k.escape) TapKey(VK_ESCAPE);
      ReleaseLeft();
      Sleep(100);
    });
    PumpFor(50);
    EXPECT_EQ(k.drops, log.drops);
    bool dragged = k.bind && k.allow;
    EXPECT_EQ(dragged ? tree->hwnd : NULL, captured);
    if (dragged && k.to) {
      EXPECT_TRUE(highlighted) << "the target is marked while the pointer is over it";
    }
    EXPECT_FALSE(tree->dragging);
    EXPECT_NE(tree->hwnd, GetCapture());
    for (const KxTreeItem* item : {&a, &b, &b1, &c}) {
      EXPECT_EQ(0, SendMessageA(tree->hwnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item->handle),
                                TVIS_DROPHILITED)) << item->Text().CStr() << " still marked";
    }
    // Moving the items is the handler's business: the tree is as it was.
    EXPECT_EQ("a b(b1(b1x) b2) c", Describe(tree->Root()));
  }
}
