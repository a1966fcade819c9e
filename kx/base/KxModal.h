#pragma once
// Modal runs of the user-interface thread: our forms' ShowModal, message boxes, the file
// dialogs and pop-up menus each count as one while they run. Windows and objects that such
// a run and the code waiting for it use must outlive it, so whatever would free them (the
// exit above all) waits until the outermost run has ended.

class KxModalRun {
public:
  KxModalRun();
  ~KxModalRun();
  KxModalRun(const KxModalRun&) = delete;
  KxModalRun& operator=(const KxModalRun&) = delete;
};

// How many modal runs are going on now.
int KxModalDepth();
// hook runs once the outermost modal run going on now has ended; at once when none is.
// A later call replaces a hook that has not run yet.
void KxAfterModalRuns(void (*hook)());
