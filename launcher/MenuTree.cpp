#include "launcher/MenuTree.h"

#include <shellapi.h>

#include <map>
#include <vector>

#include "app/KxApp.h"
#include "app/KxDialogs.h"
#include "app/resource.h"
#include "kx/KxMenu.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxFileDialog.h"
#include "launcher/LauncherMenu.h"
#include "launcher/StartMenuImport.h"
#include "launcher/TreeRecords.h"
#include "store/KxDb.h"

const char kTreeRootText[] = "快捷菜单";
const char kTreeSeparatorText[] = "----分隔条----";
const char kTreeNewGroupText[] = "新组";

namespace {

const char kChooseFileTitle[] = "选择文件";
const char kChooseFileFilter[] = "应用程序(*.exe)|*.exe|所有文件(*.*)|*.*";
const char kChooseFileExtension[] = "exe";
const COLORREF kTreeBackground = RGB(255, 255, 255);
// Deeper levels than the launcher menu can open are not shown either.
const int kMaxLevelDepth = 64;

enum ItemKind { kKindNone, kKindRoot, kKindGroup, kKindShortcut, kKindSeparator };

ItemKind KindOf(const KxTreeItem& item) {
  switch (item.Image()) {
    case TREE_IMG_ROOT: return kKindRoot;
    case TREE_IMG_GROUP_CLOSED:
    case TREE_IMG_GROUP_OPEN: return kKindGroup;
    case TREE_IMG_SHORTCUT: return kKindShortcut;
    case TREE_IMG_SEPARATOR: return kKindSeparator;
    default: return kKindNone;
  }
}

bool HoldsItems(ItemKind kind) { return kind == kKindRoot || kind == kKindGroup; }

int IdOf(const KxTreeItem& item) { return static_cast<int>(item.Param()); }

struct CommandText {
  int id;
  const char* text;
};

const CommandText kCommandTexts[] = {
    {kTreeNewShortcut, "新菜单"}, {kTreeNewSeparator, "新分隔条"}, {kTreeNewGroup, "新组"},
    {kTreeRename, "更名"},        {kTreeChange, "更改菜单"},       {kTreeDelete, "删除"},
    {kTreeMoveFirst, "最前"},     {kTreeMoveUp, "上移"},           {kTreeMoveDown, "下移"},
    {kTreeMoveLast, "最后"},      {kTreeImportStartMenu, "导入开始菜单"},
};

const char* CommandName(int id) {
  for (const CommandText& entry : kCommandTexts)
    if (entry.id == id) return entry.text;
  return "";
}

// The caption of a shortcut to path: its file name up to the first dot; a name that starts
// with a dot keeps its whole name rather than becoming empty.
KxString CaptionOf(const KxString& path) {
  KxString caption = FileNameOf(path, false);
  return caption.IsEmpty() ? FileNameOf(path, true) : caption;
}

ShortcutRecord ShortcutTo(const KxString& path) {
  ShortcutRecord record = NewTreeRecord(kShortcutItem, CaptionOf(path));
  record.path = path;
  record.icon.Reset(FileSmallIcon(path));
  return record;
}

// The open-file dialog of the maintenance window; empty when the user cancels.
KxString ChooseProgram(HWND owner, const KxString& initialFile) {
  KxOpenFileDialog dialog;
  dialog.title = kChooseFileTitle;
  dialog.SetFilter(kChooseFileFilter);
  dialog.defaultExtension = kChooseFileExtension;
  dialog.fileName = initialFile;
  dialog.initialDirectory = CurrentDirectory();
  // A program on a read-only medium is as good a target as any other.
  dialog.refuseReadOnly = false;
  if (!dialog.ShowOpen(owner, true)) return KxString();
  return dialog.fileName;
}

// Where a new record goes, next to the selection.
struct Placement {
  KxTreeItem parent;
  HTREEITEM after = TVI_LAST;
  int parentId = 0;
  int orderId = 0;
  bool intoParent = false;  // the selection holds items: the record goes last into it
};

Placement PlaceNear(const KxTreeItem& selection) {
  Placement place;
  if (HoldsItems(KindOf(selection))) {
    place.parent = selection;
    place.parentId = IdOf(selection);
    place.orderId = selection.ChildCount();
    place.intoParent = true;
  } else {
    place.parent = selection.Parent();
    place.after = selection.handle;
    place.parentId = IdOf(place.parent);
    place.orderId = selection.Index() + 1;
  }
  return place;
}

}  // namespace

bool MenuTree::Setup(KxControl* parentControl, const KxRect& rect) {
  if (!Create(parentControl, rect)) return false;
  AcceptFiles(true);
  SetBkColor(kTreeBackground);
  const KxImageStrip strips[] = {{16, IDB_TREE}, {24, IDB_TREE_24}, {32, IDB_TREE_32}};
  SetImageStrips(ResourceInstance(), strips, ARRAYSIZE(strips));
  BindRButtonDown(*this, this, &MenuTree::SelectItemAtCursor);
  BindRClick(*this, this, &MenuTree::ShowTreeMenu);
  BindItemExpanding(*this, this, &MenuTree::UpdateGroupImage);
  BindBeginLabelEdit(*this, this, &MenuTree::OnBeginLabelEdit);
  BindEndLabelEdit(*this, this, &MenuTree::OnEndLabelEdit);
  BindBeginDrag(*this, this, &MenuTree::CanDrag);
  BindDrop(*this, this, &MenuTree::OnDrop);
  return true;
}

// ---- Filling

namespace {

// Builds the tree from the rows as the store reads them (by S_PID, then S_ORDERID): a row
// goes under its group's item at once when that item exists, as it does for every row
// made in this window (a group is older than its rows, so its S_ID is lower). A row whose
// group comes later waits, copied, until the group's item is made. Rows that no chain of
// groups links to the root never show, nor do levels deeper than the launcher menu opens.
class TreeFiller {
public:
  TreeFiller(MenuTree& tree, const KxTreeItem& root) : tree(tree) {
    levels[0] = Level{root.handle, 0, 0};
  }

  void Add(const ShortcutRowRef& row) {
    // The rows of one group come one after another: it is looked up once for them all.
    if (!current || row.parentId != currentId) {
      auto found = levels.find(row.parentId);
      current = found == levels.end() ? nullptr : &found->second;
      currentId = row.parentId;
    }
    if (!current) {
      Hold(row);
      return;
    }
    Place(*current, row.id, row.orderId, row.kind, row.text);
  }

private:
  struct Level {
    HTREEITEM item = NULL;  // the group's item, once it is made
    int depth = 0;          // of the rows below it
    int count = 0;          // rows placed below it so far
  };
  struct HeldRow {
    short id;
    short parentId;
    int orderId;
    int kind;
    KxString text;
  };

  void Hold(const ShortcutRowRef& row) {
    held.push_back(HeldRow{row.id, row.parentId, row.orderId, row.kind,
                           KxString(row.text, row.textLength)});
  }

  void Place(Level& level, int id, int orderId, int kind, const char* text) {
    // Positions written by hand may skip or repeat; the tree's order becomes the stored one.
    int position = level.count++;
    if (orderId != position) SetShortcutOrder(id, position);
    KxTreeItem under(level.item, &tree);
    if (kind == kShortcutSeparator) {
      tree.AppendItem(under, kTreeSeparatorText, TREE_IMG_SEPARATOR, TREE_IMG_SEPARATOR, id);
      return;
    }
    if (kind != kShortcutGroup) {
      tree.AppendItem(under, text, TREE_IMG_SHORTCUT, TREE_IMG_SHORTCUT, id);
      return;
    }
    KxTreeItem group = tree.AppendItem(under, text, TREE_IMG_GROUP_CLOSED, TREE_IMG_GROUP_CLOSED, id);
    // A group numbered 0 would hold the top level again; a second group of one S_ID (a
    // table without its key) stays empty.
    if (group.IsNull() || id == 0 || level.depth >= kMaxLevelDepth || levels.count(id)) return;
    Level& own = levels[id];
    own = Level{group.handle, level.depth + 1, 0};
    PlaceHeld(own, id);
  }

  // The rows that waited for the group id, in the order they came.
  void PlaceHeld(Level& level, int id) {
    for (size_t i = 0; i < held.size(); ++i) {
      if (held[i].parentId != id) continue;
      HeldRow row = static_cast<HeldRow&&>(held[i]);
      held[i].parentId = 0;  // placed: never matched again (no group is numbered 0)
      Place(level, row.id, row.orderId, row.kind, row.text.CStr());
    }
  }

  MenuTree& tree;
  std::map<int, Level> levels;  // the groups made so far by S_ID; 0 is the root
  Level* current = nullptr;     // the level of the last row, or none
  int currentId = 0;
  std::vector<HeldRow> held;
};

}  // namespace

void MenuTree::FillShortcutTree() {
  rootHandle = AppendItem(Root(), kTreeRootText, TREE_IMG_ROOT, TREE_IMG_ROOT, 0);
  TreeFiller filler(*this, rootHandle);
  ReadShortcutRows(ShortcutIcons::kSkip, [&filler](const ShortcutRowRef& row) { filler.Add(row); });
  rootHandle.Expand(true);
}

void MenuTree::Reload() {
  LPARAM selected = Selection().Param();
  SendMessageW(hwnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  FillShortcutTree();
  // The item that was selected, found again by its row.
  KxTreeItem item = rootHandle;
  while (!item.IsNull() && item.Param() != selected) {
    KxTreeItem next = item.FirstChild();
    while (next.IsNull() && !item.IsNull()) {
      next = item.Next();
      if (next.IsNull()) item = item.Parent();
    }
    item = next;
  }
  (item.IsNull() ? rootHandle : item).Select();
}

HWND MenuTree::DialogOwner() const { return GetAncestor(hwnd, GA_ROOT); }

void MenuTree::ShowGroupState(const KxTreeItem& item) const {
  if (KindOf(item) != kKindGroup) return;
  int image = item.IsExpanded() && !item.FirstChild().IsNull() ? TREE_IMG_GROUP_OPEN
                                                               : TREE_IMG_GROUP_CLOSED;
  item.SetImage(image);
  item.SetSelectedImage(image);
}

// ---- Handlers

int MenuTree::SelectItemAtCursor(KxEvtParam&) {
  POINT cursor;
  GetCursorPos(&cursor);
  ScreenToClient(hwnd, &cursor);
  KxTreeItem item = HitTest(cursor);
  // A click on empty space makes the whole menu, the root, the subject of the commands.
  (item.IsNull() ? rootHandle : item).Select();
  return 0;
}

KxList<int> MenuTree::CommandsFor(int image) {
  KxList<int> commands;
  commands.Add(kTreeNewShortcut);
  commands.Add(kTreeNewSeparator);
  commands.Add(kTreeNewGroup);
  if (image == TREE_IMG_ROOT) {
    commands.Add(0);
    commands.Add(kTreeImportStartMenu);
    return commands;
  }
  commands.Add(0);
  if (image != TREE_IMG_SEPARATOR) commands.Add(kTreeRename);
  if (image != TREE_IMG_GROUP_CLOSED && image != TREE_IMG_GROUP_OPEN) commands.Add(kTreeChange);
  commands.Add(kTreeDelete);
  commands.Add(0);
  commands.Add(kTreeMoveFirst);
  commands.Add(kTreeMoveUp);
  commands.Add(kTreeMoveDown);
  commands.Add(kTreeMoveLast);
  commands.Add(0);
  commands.Add(kTreeImportStartMenu);
  return commands;
}

int MenuTree::ShowTreeMenu(KxEvtParam&) {
  KxTreeItem selection = Selection();
  int image = selection.IsNull() ? TREE_IMG_ROOT : selection.Image();
  KxPopMenu menu;
  KxList<int> commands = CommandsFor(image);
  for (int command : commands) {
    if (command == 0) {
      menu.AppendSeparator();
      continue;
    }
    KxMenuItem* item = menu.AppendItem(static_cast<UINT>(command), CommandName(command));
    if (item && command == kTreeNewShortcut) item->picture.LoadIconResource(ResourceInstance(), IDI_NEWITEM);
  }
  int chosen = keyboardMenuAt ? menu.PopupAt(this, *keyboardMenuAt, true) : menu.Popup(this, true);
  if (chosen > 0) RunCommand(chosen);
  // Handled: the tree sends no WM_CONTEXTMENU after it.
  return 1;
}

int MenuTree::UpdateGroupImage(KxEvtParam& param) {
  ShowGroupState(NotifiedItem(param));
  return 0;
}

int MenuTree::OnBeginLabelEdit(KxEvtParam& param) {
  // A slow second click starts an edit on any item; the root and separators have no
  // caption of their own to change, so none opens there.
  ItemKind kind = KindOf(NotifiedItem(param));
  return kind == kKindGroup || kind == kKindShortcut ? FALSE : TRUE;
}

int MenuTree::OnEndLabelEdit(KxEvtParam& param) {
  KxString typed;
  bool edited = EditedText(param, &typed);
  return EndRename(NotifiedItem(param), edited ? typed.CStr() : nullptr) ? TRUE : FALSE;
}

int MenuTree::CanDrag(KxEvtParam& param) {
  return NotifiedItem(param) != rootHandle ? 1 : 0;
}

int MenuTree::OnDrop(KxEvtParam&) {
  MoveByDrag(dragItem, dropTarget);
  return 0;
}

void MenuTree::OnDropFiles(const KxStringList& paths) { AddDroppedFiles(paths, dropPoint); }

bool MenuTree::OnTreeKey(UINT key, bool ctrl, bool shift) {
  if (shift) return false;
  int command = 0;
  if (ctrl) {
    switch (key) {
      case VK_UP: command = kTreeMoveUp; break;
      case VK_DOWN: command = kTreeMoveDown; break;
      case VK_HOME: command = kTreeMoveFirst; break;
      case VK_END: command = kTreeMoveLast; break;
      default: return false;
    }
  } else {
    switch (key) {
      case VK_DELETE: command = kTreeDelete; break;
      case VK_F2: command = kTreeRename; break;
      case VK_RETURN: OpenItem(Selection()); return true;
      default: return false;
    }
  }
  RunCommand(command);
  Selection().EnsureVisible();
  return true;
}

void MenuTree::OnKeyboardMenu(POINT at) {
  keyboardMenuAt = &at;
  KxEvtParam none;
  ShowTreeMenu(none);
  keyboardMenuAt = nullptr;
}

// ---- Commands

void MenuTree::RunCommand(int command) {
  KxTreeItem selection = Selection();
  if (selection.IsNull()) selection = rootHandle;
  ItemKind kind = KindOf(selection);
  switch (command) {
    case kTreeNewShortcut: {
      KxString path = ChooseProgram(DialogOwner(), "");
      if (!path.IsEmpty()) NewRecord(kShortcutItem, path);
      return;
    }
    case kTreeNewSeparator: NewRecord(kShortcutSeparator, ""); return;
    case kTreeNewGroup: NewRecord(kShortcutGroup, ""); return;
    case kTreeImportStartMenu: ImportStartMenuHere(); return;
    default: break;
  }
  // The remaining commands act on an item of the menu, never on the root.
  if (kind == kKindRoot || kind == kKindNone) return;
  switch (command) {
    case kTreeRename:
      if (kind != kKindSeparator) selection.EditLabel();
      return;
    case kTreeChange:
      if (kind != kKindGroup) ChangeShortcut(selection);
      return;
    case kTreeDelete:
      if (ConfirmDelete(selection)) DeleteBranch(selection);
      return;
    case kTreeMoveFirst: MoveFirst(selection); return;
    case kTreeMoveUp: MoveUp(selection); return;
    case kTreeMoveDown: MoveDown(selection); return;
    case kTreeMoveLast: MoveLast(selection); return;
    default: return;
  }
}

void MenuTree::ImportStartMenuHere() {
  StartMenuImportResult result = ImportStartMenu(StartMenuRoots());
  if (result.outcome == StartMenuImportResult::kImported) Reload();
  ShowInfo(StartMenuImportReport(result));
}

namespace {

int BranchSize(const KxTreeItem& item) {
  int count = 0;
  for (KxTreeItem child = item.FirstChild(); !child.IsNull(); child = child.Next())
    count += 1 + BranchSize(child);
  return count;
}

}  // namespace

bool MenuTree::ConfirmDelete(const KxTreeItem& item) const {
  int items = KindOf(item) == kKindGroup ? BranchSize(item) : 0;
  if (items == 0) return true;
  bool focused = GetFocus() == hwnd;
  bool yes = AskYesNo("删除组“" + item.Text() + "”及其中的 " + KxString::FromInt(items) + " 项？");
  // The closed box hands the focus to its owner window; the keys go on in the tree.
  if (focused) ::SetFocus(hwnd);
  return yes;
}

void MenuTree::OpenItem(const KxTreeItem& item) {
  switch (KindOf(item)) {
    case kKindShortcut: {
      ShortcutList list;
      LoadShortcuts(list, ShortcutIcons::kSkip);
      LaunchShortcut(list, IdOf(item));
      return;
    }
    case kKindGroup:
      item.Expand(!item.IsExpanded());
      ShowGroupState(item);
      return;
    default:
      return;
  }
}

void MenuTree::NewRecord(int kind, const KxString& path) {
  KxTreeItem selection = Selection();
  if (selection.IsNull()) selection = rootHandle;
  ShortcutRecord record;
  int image = TREE_IMG_SHORTCUT;
  if (kind == kShortcutItem) {
    record = ShortcutTo(path);
  } else if (kind == kShortcutSeparator) {
    record = NewTreeRecord(kShortcutSeparator, kTreeSeparatorText);
    image = TREE_IMG_SEPARATOR;
  } else {
    record = NewTreeRecord(kShortcutGroup, kTreeNewGroupText);
    record.icon.Reset(NewGroupIcon());
    image = TREE_IMG_GROUP_CLOSED;
  }
  Placement place = PlaceNear(selection);
  record.parentId = static_cast<short>(place.parentId);
  record.orderId = place.orderId;

  KxTransaction edit(TheDb);
  edit.Check(InsertShortcut(record));
  if (!edit.Finish()) return;
  KxTreeItem item = InsertItem(place.parent, place.after, record.text, image, image, record.id);
  item.Select();
  ShowGroupState(place.parent);
}

void MenuTree::ChangeShortcut(const KxTreeItem& item) {
  int id = IdOf(item);
  KxString path = ChooseProgram(DialogOwner(), GetShortcutPath(id));
  if (path.IsEmpty()) return;
  ShortcutRecord record = ShortcutTo(path);
  record.id = static_cast<short>(id);
  // A separator changed this way becomes a shortcut; a failed write leaves it as it was.
  if (!UpdateShortcut(record)) return;
  item.SetText(record.text);
  item.SetImage(TREE_IMG_SHORTCUT);
  item.SetSelectedImage(TREE_IMG_SHORTCUT);
}

bool MenuTree::EndRename(const KxTreeItem& item, const char* text) {
  ItemKind kind = KindOf(item);
  if (kind == kKindSeparator || kind == kKindRoot || kind == kKindNone) return false;
  if (!text || !*text) return false;
  // The same end can be reported twice (Wine does); the second finds the label changed.
  if (item.Text() == text) return true;
  return RenameShortcut(IdOf(item), text);
}

namespace {

// The rows of item's branch, children first, each closing its gap under its parent.
bool DeleteRows(const KxTreeItem& item) {
  bool ok = true;
  for (KxTreeItem child = item.FirstChild(); !child.IsNull(); child = child.Next())
    ok = DeleteRows(child) && ok;
  return DeleteShortcut(IdOf(item), item.Index(), IdOf(item.Parent())) && ok;
}

}  // namespace

void MenuTree::DeleteBranch(const KxTreeItem& item) {
  if (item.IsNull() || item == rootHandle) return;
  KxTransaction edit(TheDb);
  edit.Check(DeleteRows(item));
  if (!edit.Finish()) {
    Reload();
    return;
  }
  KxTreeItem parentItem = item.Parent();
  item.Delete();
  ShowGroupState(parentItem);
}

void MenuTree::MoveFirst(const KxTreeItem& item) {
  if (item.Previous().IsNull()) return;
  KxTreeItem parentItem = item.Parent();
  int parentId = IdOf(parentItem);
  int id = IdOf(item);
  KxTransaction edit(TheDb);
  KxTreeItem copy = CopyTree(item, parentItem, TVI_FIRST);
  copy.Select();
  // The rows after the item close up; then all move one place down, and the item takes 0.
  edit.Check(ShiftShortcutOrders(item.Index(), parentId, 1, OrderShift::kDown));
  item.Delete();
  edit.Check(ShiftShortcutOrders(0, parentId, 1, OrderShift::kUp));
  edit.Check(SetShortcutOrder(id, 0));
  if (!edit.Finish()) Reload();
}

void MenuTree::MoveUp(const KxTreeItem& item) {
  KxTreeItem previous = item.Previous();
  if (previous.IsNull()) return;
  KxTreeItem beforePrevious = previous.Previous();
  KxTransaction edit(TheDb);
  KxTreeItem copy =
      CopyTree(item, item.Parent(), beforePrevious.IsNull() ? TVI_FIRST : beforePrevious.handle);
  copy.Select();
  item.Delete();
  edit.Check(SetShortcutOrder(IdOf(previous), previous.Index()));
  edit.Check(SetShortcutOrder(IdOf(copy), copy.Index()));
  if (!edit.Finish()) Reload();
}

void MenuTree::MoveDown(const KxTreeItem& item) {
  KxTreeItem next = item.Next();
  if (next.IsNull()) return;
  KxTransaction edit(TheDb);
  KxTreeItem copy = CopyTree(item, item.Parent(), next.handle);
  copy.Select();
  item.Delete();
  edit.Check(SetShortcutOrder(IdOf(next), next.Index()));
  edit.Check(SetShortcutOrder(IdOf(copy), copy.Index()));
  if (!edit.Finish()) Reload();
}

void MenuTree::MoveLast(const KxTreeItem& item) {
  if (item.Next().IsNull()) return;
  KxTreeItem parentItem = item.Parent();
  KxTransaction edit(TheDb);
  KxTreeItem copy = CopyTree(item, parentItem, TVI_LAST);
  copy.Select();
  edit.Check(ShiftShortcutOrders(item.Index(), IdOf(parentItem), 1, OrderShift::kDown));
  item.Delete();
  edit.Check(SetShortcutOrder(IdOf(copy), copy.Index()));
  if (!edit.Finish()) Reload();
}

void MenuTree::MoveByDrag(const KxTreeItem& source, const KxTreeItem& target) {
  if (source.IsNull() || target.IsNull() || source == rootHandle) return;
  // Nothing goes into itself or into its own branch.
  for (KxTreeItem above = target; !above.IsNull(); above = above.Parent())
    if (above == source) return;
  int oldPosition = source.Index();
  KxTreeItem oldParent = source.Parent();
  int id = IdOf(source);

  KxTransaction edit(TheDb);
  KxTreeItem copy;
  ItemKind kind = KindOf(target);
  if (HoldsItems(kind)) {
    copy = CopyTree(source, target, TVI_LAST);
  } else {
    KxTreeItem before = target.Previous();
    copy = CopyTree(source, target.Parent(), before.IsNull() ? TVI_FIRST : before.handle);
  }
  if (copy.IsNull()) return;
  source.Delete();
  copy.Select();
  if (kind == kKindGroup) {
    target.Expand(true);
    ShowGroupState(target);
  }
  ShowGroupState(oldParent);

  int newParentId = IdOf(copy.Parent());
  int position = copy.Index();
  edit.Check(ShiftShortcutOrders(oldPosition, IdOf(oldParent), 1, OrderShift::kDown));
  edit.Check(ShiftShortcutOrders(position, newParentId, 1, OrderShift::kUp));
  edit.Check(SetShortcutOrder(id, position));
  edit.Check(SetShortcutParent(id, newParentId));
  if (!edit.Finish()) Reload();
}

void MenuTree::AddDroppedFiles(const KxStringList& paths, POINT at) {
  KxTreeItem target = HitTest(at);
  if (target.IsNull()) target = rootHandle;
  bool into = HoldsItems(KindOf(target));
  Placement place = PlaceNear(target);

  KxTransaction edit(TheDb);
  HTREEITEM after = place.after;
  int position = place.orderId;
  bool added = false;
  for (const KxString& path : paths) {
    ShortcutRecord record = ShortcutTo(path);
    record.parentId = static_cast<short>(place.parentId);
    record.orderId = position;
    if (!InsertShortcut(record)) continue;
    KxTreeItem item = InsertItem(place.parent, after, record.text, TREE_IMG_SHORTCUT,
                                 TREE_IMG_SHORTCUT, record.id);
    if (!item.IsNull()) after = item.handle;
    ++position;
    added = true;
  }
  if (!edit.Finish()) {
    Reload();
    return;
  }
  if (added && into && !target.IsExpanded()) {
    target.Expand(true);
    ShowGroupState(target);
  }
}
