#pragma once
// The quick search: a small topmost window with one line of input and under it at most
// nine of the launcher's shortcuts that match what is typed, best first. It reads the tree
// and the start counts afresh at every opening, opens centred on the monitor of the
// pointer, and goes away on Esc, on a start, or as soon as another window is activated.
// Enter starts the chosen shortcut as the launcher menu does (its own folder, a lost drive
// letter repaired); Up, Down and Alt+1..9 choose a row, a click starts the row under the
// pointer. One window lives per run, owned by the kit window.

#include <unordered_map>
#include <vector>

#include "kx/KxForm.h"
#include "launcher/QuickMatch.h"
#include "store/ShortcutRecord.h"

class KxEdit;
class QuickRows;

extern const char kQuickSearchCaption[];
extern const char kQuickNoMatchText[];
extern const char kQuickEmptyTreeText[];

class FrmQuickSearch : public KxForm {
public:
  static constexpr int kMaxRows = 9;

  explicit FrmQuickSearch(KxControl* owner);

  // Reads the shortcuts, shows the best of an empty query and takes the keyboard; closed
  // by its own keys, it gives the keyboard back to returnTo (NULL: to nobody in particular).
  // A window the platform does not let take the foreground closes at once.
  void Open(HWND returnTo);
  // Hides the window and lets the shortcuts go; while the window has the keyboard, it goes
  // back to the window Open was given.
  void Dismiss();
  // The matches of the input's text, the first chosen.
  void Search();
  // The chosen row step rows on, held at the first and the last.
  void MoveChoice(int step);
  // Row (0 the first) chosen; nothing for a row that is not shown.
  void ChooseRow(int row);
  // Hides the window, then starts the shortcut of row (0 the first); nothing for a row
  // that is not shown.
  void StartRow(int row);

  bool CanClose() override;
  LRESULT WndProc(KxMsg& m) override;

  const std::vector<const ShortcutRecord*>& Matches() const { return matches; }
  int Choice() const { return choice; }
  // The icon a shown match is drawn with: its stored icon, read when it was first shown
  // (NULL for none); at another DPI than 96 its program's own at the side the rows draw,
  // where the program has one.
  HICON IconOf(int id) const;
  // What the rows say when nothing matches: an empty tree, or no match.
  const KxString& Note() const { return note; }
  // Children of the form, which deletes them.
  KxEdit* input = nullptr;
  QuickRows* rows = nullptr;

private:
  int OnInputChange(KxEvtParam& param);
  void FitToRows();

  ShortcutList shortcuts;  // the tree as read at the opening; the rows point into it
  std::unordered_map<int, const ShortcutRecord*> byId;  // the shortcuts of the index
  std::unordered_map<int, OwnedIcon> icons;              // of the rows shown so far
  QuickIndex index;
  std::vector<const ShortcutRecord*> matches;
  int choice = 0;
  KxString note;
  HWND previous = NULL;  // the window the keyboard came from
  RECT workArea = {};  // of the monitor the window opened on
};

// The command: opens the window (made on first use, owned by the kit window), or closes it
// when it is open and active. returnTo is the window that had the keyboard before the
// command came (NULL when it is not known).
void ToggleQuickSearch(HWND returnTo = NULL);
// Destroys the window at the end of the run; nothing when it was never made.
void DestroyQuickSearch();
