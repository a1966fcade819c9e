// The choice field on real windows with real input: the list opens right below the
// field, above every other window, while the form stays active; the keyboard and the
// mouse choose; the notifications come in their order.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "kx/KxForm.h"
#include "kx/KxSelect.h"
#include "tests/support/GuiTestUtil.h"

namespace {

struct Events {
  int DroppedDown(KxEvtParam&) {
    seen.push_back("dropdown");
    return 0;
  }
  int ClosedUp(KxEvtParam&) {
    seen.push_back("closeup");
    return 0;
  }
  int Changed(KxEvtParam& p) {
    seen.push_back("change " + std::to_string(p.lParam));
    return 0;
  }
  int EditChanged(KxEvtParam&) {
    ++edits;
    return 0;
  }
  std::vector<std::string> seen;
  int edits = 0;
};

class Select : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    MovePointerTo(900, 700);
    form = new KxForm(nullptr, "select", KxRect{100, 100, 320, 100}, WS_POPUP);
    form->SetTopMost();
    form->Show();
    // Another top-most window where the list will open.
    cover = new KxForm(nullptr, "cover", KxRect{90, 190, 400, 200}, WS_POPUP);
    cover->bkColor = RGB(255, 0, 0);
    SetWindowPos(cover->hwnd, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    card = new KxSelectCard(form, KxRect{20, 20, 180, 22});
    for (const char* item : {"甲", "乙", "丙"}) card->AddItem(item);
    BindCmd(*card, KX_SELECT_DROPDOWN, &events, &Events::DroppedDown);
    BindCmd(*card, KX_SELECT_CLOSEUP, &events, &Events::ClosedUp);
    BindCmd(*card, KX_SELECT_CHANGE, &events, &Events::Changed);
    BindCmd(*card, KX_SELECT_EDITCHANGE, &events, &Events::EditChanged);
    SetForegroundWindow(form->hwnd);
    PumpUntil([&] { return GetForegroundWindow() == form->hwnd; }, 2000);
  }
  void TearDown() override {
    delete form;
    delete cover;
    PumpFor(20);
  }
  void Click(POINT p) {
    MovePointerTo(p.x, p.y);
    SendButtonAt(MOUSEEVENTF_LEFTDOWN, p);
    SendButtonAt(MOUSEEVENTF_LEFTUP, p);
  }
  void Open() {
    Click(CentreOf(card->button->hwnd));
    ASSERT_TRUE(PumpUntil([&] { return card->IsDropped(); }, 3000));
  }
  KxForm* form = nullptr;
  KxForm* cover = nullptr;
  KxSelectCard* card = nullptr;
  Events events;
};

TEST_F(Select, OpensBelowAboveEverythingAndChoosesByEnter) {
  Open();
  RECT field = card->WindowRect();
  RECT list = card->list->WindowRect();
  EXPECT_EQ(field.left, list.left);
  EXPECT_EQ(field.bottom + 1, list.top);
  EXPECT_EQ(field.right - field.left, list.right - list.left);
  EXPECT_EQ(120, list.bottom - list.top);
  EXPECT_TRUE(GetWindowLongA(card->list->hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  POINT inside = {(list.left + list.right) / 2, list.bottom - 10};
  EXPECT_EQ(card->list->hwnd, WindowFromPoint(inside)) << "above the other top-most window";
  EXPECT_EQ(form->hwnd, GetActiveWindow());
  EXPECT_EQ(form->hwnd, GetForegroundWindow());
  EXPECT_EQ(card->button->hwnd, GetFocus());

  TapKey(VK_DOWN);
  TapKey(VK_DOWN);
  PumpUntil([&] { return card->list->curRow == 1; }, 2000);
  EXPECT_EQ(1, card->list->curRow) << "arrow keys go on to the list";
  EXPECT_TRUE(card->GetText().IsEmpty()) << "moving in the list chooses nothing yet";
  TapKey(VK_RETURN);
  PumpUntil([&] { return events.seen.size() >= 3; }, 2000);
  EXPECT_FALSE(card->IsDropped());
  EXPECT_TRUE(card->GetText() == "乙");
  EXPECT_EQ((std::vector<std::string>{"dropdown", "closeup", "change 1"}), events.seen);
  EXPECT_EQ(1, events.edits);
}

TEST_F(Select, ClickingARowChoosesItAndTheFormStaysActive) {
  Open();
  RECT list = card->list->WindowRect();
  // Rows of 20 pixels under the 2-pixel header, inside the border.
  Click(POINT{list.left + 30, list.top + 1 + 2 + 2 * 20 + 10});
  ASSERT_TRUE(PumpUntil([&] { return events.seen.size() >= 3; }, 3000));
  EXPECT_EQ((std::vector<std::string>{"dropdown", "closeup", "change 2"}), events.seen);
  EXPECT_TRUE(card->GetText() == "丙");
  EXPECT_FALSE(card->IsDropped());
  EXPECT_EQ(form->hwnd, GetActiveWindow());
  EXPECT_EQ(card->button->hwnd, GetFocus());
}

TEST_F(Select, EscapeAndLosingTheFocusCloseWithoutChoosing) {
  struct Case {
    const char* name;
    bool escape;  // else a click into the edit takes the focus
  } cases[] = {{"escape", true}, {"focus", false}};
  for (const Case& c : cases) {
    events.seen.clear();
    Open();
    if (c.escape) {
      TapKey(VK_ESCAPE);
    } else {
      Click(CentreOf(card->edit->hwnd));
    }
    ASSERT_TRUE(PumpUntil([&] { return !card->IsDropped(); }, 3000)) << c.name;
    PumpFor(50);
    EXPECT_EQ((std::vector<std::string>{"dropdown", "closeup"}), events.seen) << c.name;
    EXPECT_TRUE(card->GetText().IsEmpty()) << c.name;
  }
}

TEST_F(Select, SelectByIndexAndByText) {
  card->SelectText("丙");
  EXPECT_EQ(2, card->list->curRow);
  EXPECT_TRUE(card->GetText() == "丙");
  card->SelectText("丁");
  card->SelectIndex(3);
  card->SelectIndex(-1);
  EXPECT_EQ(2, card->list->curRow) << "no such row: nothing changes";
  EXPECT_TRUE(card->GetText() == "丙");
  card->SelectIndex(0);
  EXPECT_TRUE(card->GetText() == "甲");
  EXPECT_EQ(2, events.edits);
  EXPECT_TRUE(events.seen.empty()) << "choosing in code announces no choice";
}

}  // namespace
