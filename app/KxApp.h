#pragma once
// The application object: what the whole process shares (its path, command line and
// arguments, the main and the active form, the quit state) and the message loop.

#include <windows.h>

#include "kx/KxForm.h"
#include "kx/base/KxString.h"

class KxApp : public KxFormHost {
public:
  KxApp(HINSTANCE instance, const char* commandLine);
  KxApp(const KxApp&) = delete;
  KxApp& operator=(const KxApp&) = delete;

  // Key preview for the active form; non-zero means the message was handled.
  virtual int PreTranslateMessage(MSG& msg);
  ~KxApp() override;

  KxForm* HostMainForm() const override { return mainForm; }
  void HostSetActiveForm(KxForm* form) override { activeForm = form; }
  void HostQuit() override;

  bool quitRequested = false;
  // Set while the thread waits for another process handling only sent messages and
  // painting: a sent message must then start nothing that runs a message loop of its own
  // (a menu, a dialog), which would dispatch the input the wait holds back.
  bool answeringOnly = false;
  KxForm* mainForm = nullptr;    // the main kit window; owner of the message boxes
  KxForm* activeForm = nullptr;  // kept up to date by the forms on WM_ACTIVATE
  HINSTANCE hInstance;
  HINSTANCE resourceInstance;    // where the program's own resources are loaded from
  DWORD threadId;                // the user-interface thread
  KxString modulePath;
  KxString commandLine;
  KxStringList args;             // commandLine split as SplitCommandLine does
};

// The words of a command line: blanks and tabs separate them, except between quotes; the
// quotes themselves are dropped ("" is an empty word). No file name holds a quote, so none
// is escaped.
void SplitCommandLine(const KxString& line, KxStringList& args);

// The process-wide application object, set while one exists.
extern KxApp* TheApp;

// Where the program's own resources come from: the application's resource module, or this
// executable while there is no application object (tests, early start-up).
HINSTANCE ResourceInstance();

// The message the running instance answers by showing its main window.
UINT ShowRunningInstanceMessage();
// The message the running instance answers by ending as its Exit command does (the
// installer and the uninstaller send it before they replace or remove the program).
UINT ExitRunningInstanceMessage();

// Runs until a quit request or WM_QUIT; returns the quit message's wParam or 0.
int MessageLoop(KxApp& app, KxForm* mainForm);
void RequestQuit(KxApp& app);
