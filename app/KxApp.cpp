#include "app/KxApp.h"

#include "kx/base/KxFile.h"

KxApp* TheApp = nullptr;

HINSTANCE ResourceInstance() { return TheApp ? TheApp->resourceInstance : GetModuleHandleW(NULL); }

void SplitCommandLine(const KxString& line, KxStringList& args) {
  args.Clear();
  KxString word;
  bool inWord = false;
  bool quoted = false;
  for (int i = 0; i < line.Length(); ++i) {
    char c = line.At(i);
    int length = KxCharLength(line, i);
    if (length > 1) {
      // Every byte of a multi-byte character belongs to the word; none is a blank or quote.
      word.Append(line.CStr() + i, length);
      i += length - 1;
      inWord = true;
    } else if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) args.Add(word);
      word = KxString();
      inWord = false;
    } else {
      word.Append(&c, 1);
      inWord = true;
    }
  }
  if (inWord) args.Add(word);
}

KxApp::KxApp(HINSTANCE instance, const char* line)
    : hInstance(instance), resourceInstance(instance), threadId(GetCurrentThreadId()) {
  modulePath = OwnExecutablePath();
  commandLine = line;
  SplitCommandLine(commandLine, args);
  TheApp = this;
  KxSetFormHost(this);
}

KxApp::~KxApp() {
  if (TheApp == this) {
    KxSetFormHost(nullptr);
    TheApp = nullptr;
  }
}

void KxApp::HostQuit() { RequestQuit(*this); }

int KxApp::PreTranslateMessage(MSG& msg) {
  KxForm* form = activeForm;
  if (!form || msg.message != WM_KEYDOWN || msg.hwnd == form->hwnd || !form->keyPreview) return 0;
  KxEvt* handler = form->msgHandlers.Find(WM_KEYDOWN);
  if (!handler) return 0;
  KxMsg m{form, WM_KEYDOWN, msg.wParam, msg.lParam};
  KxEvtParam param = KxMakeEvtParam(m);
  return handler->Invoke(param);
}

void RequestQuit(KxApp& app) {
  PostQuitMessage(0);
  app.quitRequested = true;
}

int MessageLoop(KxApp& app, KxForm* mainForm) {
  if (mainForm) app.mainForm = mainForm;
  if (app.quitRequested) return 0;
  MSG msg = {};
  while (!app.quitRequested) {
    // Wide, so that a typed character outside the system's code page reaches a window whole.
    BOOL got = GetMessageW(&msg, NULL, 0, 0);
    if (got == 0 || got == -1) return static_cast<int>(msg.wParam);
    if (app.PreTranslateMessage(msg) != 0) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

UINT ShowRunningInstanceMessage() {
  static const UINT message = RegisterWindowMessageA("VelixShowRunningInstance");
  return message;
}

UINT ExitRunningInstanceMessage() {
  static const UINT message = RegisterWindowMessageA("VelixExitRunningInstance");
  return message;
}
