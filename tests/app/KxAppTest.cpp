// The application object, the message loop with its quit request and the key preview,
// on real windows of this thread.

#include <gtest/gtest.h>

#include "app/KxApp.h"
#include "kx/KxCard.h"

namespace {

class AppFixture : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }

  void TearDown() override {
    // Leave no message of one test in the queue of the next.
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
    }
  }
};

KxStringList Args(const char* line) {
  KxApp app(GetModuleHandleA(NULL), line);
  return app.args;
}

TEST_F(AppFixture, ConstructionFillsTheSharedFields) {
  HINSTANCE instance = GetModuleHandleA(NULL);
  KxApp app(instance, "upgrade velix velix2");
  EXPECT_EQ(&app, TheApp);
  EXPECT_EQ(instance, app.hInstance);
  EXPECT_EQ(instance, app.resourceInstance);
  EXPECT_EQ(GetCurrentThreadId(), app.threadId);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(NULL, path, MAX_PATH);
  EXPECT_TRUE(app.modulePath == path);
  EXPECT_TRUE(app.commandLine == "upgrade velix velix2");
  ASSERT_EQ(3, app.args.Count());
  EXPECT_TRUE(*app.args.At(2) == "velix2");
  EXPECT_FALSE(app.quitRequested);
  EXPECT_EQ(nullptr, app.mainForm);
}

TEST_F(AppFixture, CommandLineSplitsAtBlanksOutsideQuotes) {
  struct Case {
    const char* line;
    int count;
    const char* second;  // args[1], or nullptr
  } cases[] = {
      {"", 0, nullptr},
      {"upgrade", 1, nullptr},
      {"upgrade ", 1, nullptr},
      {"upgrade a", 2, "a"},
      {"upgrade  a b", 3, "a"},
      {"x a b", 3, "a"},
      {"upgrade \"velix & me\" \"new 100%\"", 3, "velix & me"},
      {"upgrade \"\" b", 3, ""},
      {"upgrade\t\"a\"b\" c\"", 2, "ab c"},
      {"upgrade \"a b", 2, "a b"},
      {"upgrade \"工具 禱\" z", 3, "工具 禱"},
  };
  for (const Case& c : cases) {
    KxStringList args = Args(c.line);
    EXPECT_EQ(c.count, args.Count()) << "[" << c.line << "]";
    if (c.second) {
      ASSERT_NE(nullptr, args.At(1));
      EXPECT_TRUE(*args.At(1) == c.second) << "[" << c.line << "]";
    }
  }
}

TEST_F(AppFixture, TheApplicationPointerIsClearedWithTheObject) {
  { KxApp app(GetModuleHandleA(NULL), ""); }
  EXPECT_EQ(nullptr, TheApp);
}

TEST_F(AppFixture, LoopReturnsTheQuitCode) {
  KxApp app(GetModuleHandleA(NULL), "");
  PostQuitMessage(7);
  EXPECT_EQ(7, MessageLoop(app, nullptr));
}

TEST_F(AppFixture, LoopWithQuitAlreadyRequestedPumpsNothing) {
  KxApp app(GetModuleHandleA(NULL), "");
  KxForm form(nullptr, "loop", KxRect{10, 10, 100, 80}, WS_OVERLAPPEDWINDOW);
  app.quitRequested = true;
  PostMessageA(form.hwnd, WM_USER + 5, 0, 0);
  EXPECT_EQ(0, MessageLoop(app, &form));
  EXPECT_EQ(&form, app.mainForm);
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, form.hwnd, WM_USER + 5, WM_USER + 5, PM_REMOVE));
}

// A listener that asks the application to quit, counting how often it ran.
struct Quitter {
  int Quit(KxEvtParam&) {
    ++calls;
    RequestQuit(*TheApp);
    return 0;
  }
  int calls = 0;
};

TEST_F(AppFixture, RequestQuitFromAHandlerEndsTheLoopWithZero) {
  KxApp app(GetModuleHandleA(NULL), "");
  KxForm form(nullptr, "loop", KxRect{10, 10, 100, 80}, WS_OVERLAPPEDWINDOW);
  Quitter quitter;
  BindMsg(form, WM_USER + 9, &quitter, &Quitter::Quit);
  PostMessageA(form.hwnd, WM_USER + 9, 0, 0);
  PostMessageA(form.hwnd, WM_USER + 9, 0, 0);
  EXPECT_EQ(0, MessageLoop(app, &form));
  EXPECT_TRUE(app.quitRequested);
  EXPECT_EQ(1, quitter.calls) << "the loop went on after the quit request";
}

TEST_F(AppFixture, DestroyingTheMainFormEndsTheLoop) {
  KxApp app(GetModuleHandleA(NULL), "");
  KxForm form(nullptr, "main", KxRect{10, 10, 100, 80}, WS_OVERLAPPEDWINDOW);
  KxForm other(nullptr, "other", KxRect{10, 10, 100, 80}, WS_OVERLAPPEDWINDOW);
  app.mainForm = &form;
  DestroyWindow(other.hwnd);
  EXPECT_FALSE(app.quitRequested) << "only the main form ends the program";
  PostMessageA(form.hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, MessageLoop(app, &form));
  EXPECT_TRUE(app.quitRequested);
  EXPECT_FALSE(IsWindow(form.hwnd));
}

TEST_F(AppFixture, ActivationTracksTheActiveForm) {
  KxApp app(GetModuleHandleA(NULL), "");
  KxForm first(nullptr, "first", KxRect{10, 10, 100, 80}, WS_OVERLAPPEDWINDOW);
  KxForm second(nullptr, "second", KxRect{200, 10, 100, 80}, WS_OVERLAPPEDWINDOW);
  first.Show();
  second.Show();
  SetActiveWindow(first.hwnd);
  EXPECT_EQ(&first, app.activeForm);
  SetActiveWindow(second.hwnd);
  EXPECT_EQ(&second, app.activeForm);
  SendMessageA(second.hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(nullptr, app.activeForm);
}

// Records what reached it; answers with a fixed result.
struct KeyRecorder {
  int OnKey(KxEvtParam& p) {
    ++calls;
    last = p;
    return answer;
  }
  int calls = 0;
  int answer = 1;
  KxEvtParam last;
};

class KeyPreview : public AppFixture {
protected:
  void SetUp() override {
    app = new KxApp(GetModuleHandleA(NULL), "");
    form = new KxForm(nullptr, "form", KxRect{10, 10, 200, 100}, WS_OVERLAPPEDWINDOW);
    child = new KxCard();
    child->Create(kKxCardClassName, "", WS_CHILD | WS_VISIBLE, KxRect{5, 5, 50, 20}, form);
    BindMsg(*form, WM_KEYDOWN, &formKeys, &KeyRecorder::OnKey);
    BindMsg(*child, WM_KEYDOWN, &childKeys, &KeyRecorder::OnKey);
    app->activeForm = form;
  }
  void TearDown() override {
    delete child;
    delete form;
    delete app;
    AppFixture::TearDown();
  }
  // Posts a key-down to the child and runs the loop until a quit posted after it.
  void PumpKeyToChild(WPARAM key) {
    PostMessageA(child->hwnd, WM_KEYDOWN, key, 0x001C0001);
    PostQuitMessage(0);
    MessageLoop(*app, nullptr);
  }
  KxApp* app = nullptr;
  KxForm* form = nullptr;
  KxCard* child = nullptr;
  KeyRecorder formKeys, childKeys;
};

TEST_F(KeyPreview, FormWithKeyPreviewSeesChildKeysFirst) {
  form->keyPreview = true;
  PumpKeyToChild('A');
  EXPECT_EQ(1, formKeys.calls);
  EXPECT_EQ(form, formKeys.last.sender);
  EXPECT_EQ(1, formKeys.last.kind);
  EXPECT_EQ('A', formKeys.last.key);
  EXPECT_EQ(0x001C0001, formKeys.last.lParam);
  EXPECT_EQ(0, childKeys.calls) << "a handled key must not be dispatched";
}

TEST_F(KeyPreview, UnhandledPreviewStillReachesTheChild) {
  form->keyPreview = true;
  formKeys.answer = 0;
  PumpKeyToChild('B');
  EXPECT_EQ(1, formKeys.calls);
  EXPECT_EQ(1, childKeys.calls);
}

TEST_F(KeyPreview, WithoutPreviewOrActiveFormTheChildGetsTheKey) {
  PumpKeyToChild('C');
  EXPECT_EQ(0, formKeys.calls);
  EXPECT_EQ(1, childKeys.calls);

  form->keyPreview = true;
  app->activeForm = nullptr;
  PumpKeyToChild('D');
  EXPECT_EQ(0, formKeys.calls);
  EXPECT_EQ(2, childKeys.calls);
}

TEST_F(KeyPreview, KeysAddressedToTheFormItselfAreNotPreviewed) {
  form->keyPreview = true;
  MSG msg = {};
  msg.hwnd = form->hwnd;
  msg.message = WM_KEYDOWN;
  msg.wParam = 'E';
  EXPECT_EQ(0, app->PreTranslateMessage(msg));
  msg.hwnd = child->hwnd;
  msg.message = WM_KEYUP;
  EXPECT_EQ(0, app->PreTranslateMessage(msg));
  EXPECT_EQ(0, formKeys.calls);
}

}  // namespace
