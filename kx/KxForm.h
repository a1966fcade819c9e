#pragma once
// Top-level windows of the toolkit, with an optional modal run of their own. A form tells
// the application when it becomes active and when the main form goes away, through the
// host the application installs.

#include "kx/KxControl.h"

class KxForm;

// What a form needs of the application, which lives above the toolkit.
class KxFormHost {
public:
  virtual KxForm* HostMainForm() const = 0;
  virtual void HostSetActiveForm(KxForm* form) = 0;
  virtual void HostQuit() = 0;

protected:
  virtual ~KxFormHost() = default;
};

void KxSetFormHost(KxFormHost* host);

class KxForm : public KxControl {
public:
  // Creates the window at once; the owner's window owns the top-level window. A form is
  // in nobody's children: whoever constructs it owns it. A form that is topmost or a tool
  // window from the start says so in exStyle: changing it later costs a frame change.
  // The size is a 96-DPI value, the position screen pixels; with pixels the size is too.
  KxForm(KxControl* owner, const KxString& caption, const KxRect& rect, DWORD style,
         DWORD exStyle = 0, bool pixels = false);

  KxString GetClassName() const override;
  LRESULT WndProc(KxMsg& m) override;
  virtual bool CanClose() { return true; }
  virtual void OnClose() {}
  virtual void OnActivate() {}

  // Runs a modal loop until EndModal, the close box (result 3) or WM_QUIT. It counts as a
  // modal run (kx/base/KxModal.h) while it goes on.
  int ShowModal();
  void EndModal(int result);
  void SetIcon(HICON icon);
  void CenterOnScreen();
  void SetFixedSize(bool fixed);
  void ShowInTaskbar(bool show);
  void Maximize();
  void Restore();
  bool IsMaximized() const;
  // For a window kept for the whole run: closes it (through its close request, which may
  // only hide it) when it is visible, otherwise shows it in its last state and in front.
  void ToggleShown();

  bool keyPreview = false;  // key-downs of the thread reach the form's listener first
  bool isModal = false;
  int modalResult = 2;      // 2 while a modal run goes on
};

// A borderless pop-up form, shown without taking the activation.
class KxPopForm : public KxForm {
public:
  KxPopForm(KxControl* owner, const KxRect& rect, DWORD exStyle = 0, bool pixels = false);
  void ShowAt(POINT at);
};

