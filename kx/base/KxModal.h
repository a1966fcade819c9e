#pragma once
// Modal runs of the user-interface thread: our forms' ShowModal, message boxes, the file
// dialogs and pop-up menus each count as one while they run. Windows and objects that such
// a run and the code waiting for it use must outlive it, so whatever would free them (the
// exit above all) waits until the outermost run has ended.
//
// A run may say how it is ended from outside with the answer that changes nothing (a menu
// closed, a box answered No, a dialog cancelled): the exit ends every such run first, so
// that it never waits on a person who is not there.

#include <windows.h>

class KxModalRun {
public:
  // end, when given, ends the run with context; it is called at most once, inside the run.
  explicit KxModalRun(void (*end)(void* context) = nullptr, void* context = nullptr);
  ~KxModalRun();
  KxModalRun(const KxModalRun&) = delete;
  KxModalRun& operator=(const KxModalRun&) = delete;

private:
  friend void KxEndModalRuns();
  void (*end)(void* context);
  void* context;
  KxModalRun* outer;
};

// A modal run of a system dialog (a message box, a file or folder dialog) that this thread
// creates while it lasts: the first dialog window made meanwhile is taken as the run's own,
// and ending the run posts it the command answer (IDNO, IDOK, IDCANCEL).
class KxDialogRun {
public:
  explicit KxDialogRun(WORD answer);
  ~KxDialogRun();
  KxDialogRun(const KxDialogRun&) = delete;
  KxDialogRun& operator=(const KxDialogRun&) = delete;

  // The dialog taken as the run's, once it was created.
  HWND Dialog() const { return dialog; }

private:
  static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam);
  static void End(void* self);
  WORD answer;
  HWND dialog = NULL;
  HHOOK hook;
  KxDialogRun* outer;
  KxModalRun run;
};

// How many modal runs are going on now.
int KxModalDepth();
// Ends every run going on now that says how, the innermost first. The runs return to their
// callers in their own time, once their loops see it. Until the outermost run has ended,
// runs that begin meanwhile are ended as they begin, and menus are not shown at all.
void KxEndModalRuns();
// Between KxEndModalRuns and the end of the outermost run.
bool KxModalRunsEnding();
// How many times KxEndModalRuns has been called while runs went on. An answer got while
// the count changed may be one an exit gave, not a person's: nothing that changes anything
// should be done on it.
int KxModalEndings();
// hook runs once the outermost modal run going on now has ended; at once when none is.
// A later call replaces a hook that has not run yet.
void KxAfterModalRuns(void (*hook)());
