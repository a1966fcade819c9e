#pragma once
// The fixture of the toolkit's tests on real windows: a visible top-most pop-up form that
// the test puts its controls on, deleted with all of them after each test.

#include <gtest/gtest.h>

#include "kx/KxForm.h"
#include "tests/support/GuiTestUtil.h"

class FormTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void TearDown() override {
    delete form;
    PumpFor(20);
  }
  void OpenForm(const char* title, const KxRect& rect) {
    form = new KxForm(nullptr, title, rect, WS_POPUP | WS_VISIBLE);
    form->SetTopMost();
  }
  // For real input: the pointer waits at pointer, off the form, and the form asks for the
  // foreground; the caller waits for it as far as its test needs.
  void OpenFormInFront(const char* title, const KxRect& rect, POINT pointer) {
    MovePointerTo(pointer.x, pointer.y);
    OpenForm(title, rect);
    SetForegroundWindow(form->hwnd);
  }

  KxForm* form = nullptr;
};
