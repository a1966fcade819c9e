#pragma once
// Top-level windows of the toolkit. A form tells the application when it becomes active
// and when the main form goes away, through the host the application installs.

#include "kx/KxCard.h"

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

class KxForm : public KxCard {
public:
  // Creates the window at once; owner's window (if any) owns the top-level window.
  KxForm(KxCard* owner, const KxString& caption, const KxRect& rect, DWORD style);

  KxString GetClassName() const override;
  LRESULT WndProc(KxMsg& m) override;
  virtual bool CanClose() { return true; }
  virtual void OnClose() {}
  virtual void OnActivate() {}

  KxCard* parent;          // the owner
  bool keyPreview = false; // key-downs of the thread reach the form's listener first
  bool isModal = false;
  int modalResult = 2;     // 2 while a modal run goes on
};
