#pragma once
// The tree of the maintenance window, in which the user builds the launcher menu: new
// shortcuts, separators and groups, renaming, changing a shortcut's target, deleting whole
// branches, moving by command or by dragging, and files dropped from Explorer.
//
// Each tree item carries its row's S_ID as its data (the root 0), and its image tells its
// kind. Every edit writes through to KX_SOFT at once, in one transaction, so the launcher
// menu shows it the next time it opens; the positions of the rows under each parent stay
// 0, 1, 2, ... in the order the tree shows.
//
// Keys: Del deletes the selection (a group with items after a question), F2 renames, Ctrl
// with Up, Down, Home or End moves it among its siblings, Enter starts a shortcut or opens
// and closes a group, and the context-menu key or Shift+F10 opens the menu at the item.

#include "kx/KxTreeView.h"
#include "kx/base/KxList.h"
#include "kx/base/KxString.h"
#include "store/ShortcutRecord.h"

// The commands of the context menu, by their menu ids.
enum MenuTreeCommand {
  kTreeNewShortcut = 1,
  kTreeNewSeparator = 2,
  kTreeNewGroup = 3,
  kTreeRename = 4,
  kTreeChange = 5,
  kTreeDelete = 6,
  kTreeMoveFirst = 7,
  kTreeMoveUp = 8,
  kTreeMoveDown = 9,
  kTreeMoveLast = 10,
  kTreeImportStartMenu = 11,
};

extern const char kTreeRootText[];
extern const char kTreeSeparatorText[];
extern const char kTreeNewGroupText[];

class MenuTree : public KxTreeView {
public:
  MenuTree() = default;

  // Creates the control in parent, accepting dropped files, white, with the tree images
  // and the handlers bound; false when the window cannot be made.
  bool Setup(KxControl* parent, const KxRect& rect);
  // The root item "快捷菜单" and below it the stored tree, the root expanded. A level whose
  // stored positions are not 0, 1, 2, ... (a hand-edited table) is renumbered as shown.
  void FillShortcutTree();

  // The menu ids offered for an item (the root's or none: the three "new" commands), 0 for
  // a separator; the Start-menu import last for every item.
  static KxList<int> CommandsFor(int image);
  // Carries out one context-menu command on the selection (none counts as the root).
  void RunCommand(int command);
  void DeleteBranch(const KxTreeItem& item);
  // Moves source before target (a shortcut or separator) or last into it (a group or the
  // root); nothing when target is source or below it.
  void MoveByDrag(const KxTreeItem& source, const KxTreeItem& target);
  // Files dropped at a client point: last into the group or root there, or after the
  // shortcut or separator there.
  void AddDroppedFiles(const KxStringList& paths, POINT at);
  // The answer to the end of a label edit: false keeps the old label.
  bool EndRename(const KxTreeItem& item, const char* text);

  void OnDropFiles(const KxStringList& paths) override;
  bool OnTreeKey(UINT key, bool ctrl, bool shift) override;
  void OnKeyboardMenu(POINT at) override;

  KxTreeItem rootHandle;  // the item "快捷菜单"

private:
  int SelectItemAtCursor(KxEvtParam& param);
  int ShowTreeMenu(KxEvtParam& param);
  int UpdateGroupImage(KxEvtParam& param);
  int OnBeginLabelEdit(KxEvtParam& param);
  int OnEndLabelEdit(KxEvtParam& param);
  int CanDrag(KxEvtParam& param);
  int OnDrop(KxEvtParam& param);

  void NewRecord(int kind, const KxString& path);
  // The Start menu into the stored tree (launcher/StartMenuImport.cpp), shown and reported.
  void ImportStartMenuHere();
  // A group with items is deleted only when the person says yes.
  bool ConfirmDelete(const KxTreeItem& item) const;
  // Enter: a shortcut starts as from the launcher menu, a group opens or closes.
  void OpenItem(const KxTreeItem& item);
  void ChangeShortcut(const KxTreeItem& item);
  void MoveFirst(const KxTreeItem& item);
  void MoveUp(const KxTreeItem& item);
  void MoveDown(const KxTreeItem& item);
  void MoveLast(const KxTreeItem& item);
  // Image 2 for an open group with items, 1 for any other group; nothing for other kinds.
  void ShowGroupState(const KxTreeItem& item) const;
  // After a failed write or an import: the tree shown again from the table.
  void Reload();
  HWND DialogOwner() const;

  const POINT* keyboardMenuAt = nullptr;  // where the menu opens while a key opens it
};
