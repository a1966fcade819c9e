#include "notes/FrmNotePage.h"

#include "app/KxApp.h"
#include "app/KxDialogs.h"
#include "app/resource.h"
#include "kx/KxMenu.h"
#include "notes/NotePlacement.h"

namespace {

const COLORREF kNoteColor = RGB(255, 255, 0);
const COLORREF kEditFrameColor = RGB(0, 0, 255);
const COLORREF kRestFrameColor = RGB(128, 128, 128);
// Posted to a new note: enter edit mode.
const UINT kMsgBeginEdit = WM_APP + 30;
// Posted when the end of editing could not write the text: the box is shown from the loop,
// not from inside the focus change.
const UINT kMsgTextNotStored = WM_APP + 31;
const char kTextNotStored[] =
    "便签的文字未能写入数据文件,程序退出时会再试一次. 请查看数据文件所在的目录是否可写入.";
// Typing that rests this long is written, so a killed process loses at most this much.
const UINT kIdleSaveMs = 2000;

enum NoteMenuId {
  kMenuHide = 1,
  kMenuShow = 2,
  kMenuHideAll = 4,
  kMenuShowAll = 5,
  kMenuEdit = 10,
  kMenuDelete = 11,
  kMenuClone = 12,
  kMenuTopmost = 22,
};

RECT DesktopRect() {
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int w = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (w <= 0 || h <= 0) {
    left = top = 0;
    w = GetSystemMetrics(SM_CXSCREEN);
    h = GetSystemMetrics(SM_CYSCREEN);
  }
  return RECT{left, top, left + w, top + h};
}

}  // namespace

// A tool window: Windows gives an unowned popup a taskbar button and an Alt+Tab entry.
// Window and box are made at the stored rectangle: moving them there afterwards costs every
// note loaded at start-up a move and a resize of each.
FrmNotePage::FrmNotePage(NoteWindowEvents& events, const NoteRecord& record)
    : KxPopForm(nullptr, KxRect{record.left, record.top, record.width, record.height},
                WS_EX_TOOLWINDOW),
      events(events) {
  if (!hwnd) return;
  textBox = new KxTextBox();
  // Create makes it one of the window's children, which the window deletes; a box that
  // got no window is deleted at once.
  if (!textBox->Create(this, KxRect{0, 0, record.width, record.height})) {
    delete textBox;
    textBox = nullptr;
    return;
  }
  textBox->Enable(false);
  textBox->bkColor = kNoteColor;
  textBox->bkColorDisabled = kNoteColor;
  textBox->frameColor = kRestFrameColor;
  textBox->SetAutoSize(true);
  BindMsg(*textBox, WM_SIZE, this, &FrmNotePage::OnBoxSize);
  BindMsg(*textBox, WM_KILLFOCUS, this, &FrmNotePage::OnBoxKillFocus);
  BindMsg(*textBox, WM_RBUTTONUP, this, &FrmNotePage::OnMenuRequest);
  BindMsg(*textBox, WM_CHAR, this, &FrmNotePage::OnTyped);
  BindMsg(*textBox, WM_KEYDOWN, this, &FrmNotePage::OnTyped);
  BindMsg(*this, WM_RBUTTONUP, this, &FrmNotePage::OnMenuRequest);
  BindMsg(*this, kMsgBeginEdit, this, &FrmNotePage::OnBeginEditRequest);
  BindMsg(*this, kMsgTextNotStored, this, &FrmNotePage::OnTextNotStored);
  // Bound once and started again by every key; it runs only while typing rests.
  idleTimer = BindTimer(*this, this, &FrmNotePage::OnIdle, kIdleSaveMs);
  KillTimer(hwnd, idleTimer);

  noteId = record.id;
  topmost = (record.flags & kNoteTopmost) != 0;
  textBox->SetText(record.text);
  savedText = record.text;
}

FrmNotePage::~FrmNotePage() {
  // The box goes with the window: nothing may answer its last focus change any more.
  editing = false;
  if (textBox) {
    textBox->msgHandlers.Clear();
  }
}

LRESULT FrmNotePage::WndProc(KxMsg& m) {
  // Every top-level window hears of the end of the session: what is typed is kept.
  if (m.msg == WM_QUERYENDSESSION) {
    SaveTypedText();
    return TRUE;
  }
  if (m.msg == WM_ENDSESSION) {
    if (m.wParam) SaveTypedText();
    return 0;
  }
  return KxPopForm::WndProc(m);
}

void FrmNotePage::OnPaint() {
  KxPopForm::OnPaint();
  if (textBox && textBox->hwnd) textBox->Invalidate(false);
}

void FrmNotePage::OnLButtonDown(WPARAM, POINT pt) {
  dragOrigin = pt;
  dragging = true;
}

void FrmNotePage::OnLButtonDblClk(WPARAM, POINT) { events.EditAsked(*this); }

void FrmNotePage::OnLButtonUp(WPARAM, POINT) {
  // The note ends where the button went up: the release carries that position, whatever
  // the moves before it said.
  if (dragging) {
    dragging = false;
    DWORD at = GetMessagePos();
    DragTo(POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))});
  }
  RECT r = WindowRect();
  SaveNoteBounds(noteId, r.left, r.top, r.right - r.left, r.bottom - r.top);
  events.Released(*this);
}

void FrmNotePage::OnMouseMove(WPARAM keys, POINT) {
  // Only a move with the button held drags: a press whose release went elsewhere (the
  // capture taken by a menu or another window) must not leave the note on the pointer.
  if (!pressed || !dragging || !(keys & MK_LBUTTON)) return;
  POINT cursor;
  if (GetCursorPos(&cursor)) DragTo(cursor);
}

void FrmNotePage::DragTo(POINT cursor) {
  RECT r = WindowRect();
  int w = r.right - r.left;
  int h = r.bottom - r.top;
  int left = cursor.x - dragOrigin.x;
  int top = cursor.y - dragOrigin.y;
  if (left == r.left && top == r.top) return;
  if (!KeepsNoteReachable(left, top, w, h, DesktopRect())) return;
  SetWindowPos(hwnd, NULL, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmNotePage::ShowNoteMenu() { events.MenuAsked(*this); }

NoteMenuChoice FrmNotePage::ChooseFromMenu(KxControl* owner) {
  // Read before the menu runs: the choice toggles the flag the menu showed.
  const bool pinned = topmost;
  KxPopMenu menu;
  if (IsVisible()) {
    menu.AppendItem(kMenuHide, "隐藏");
  } else {
    menu.AppendItem(kMenuShow, "显示");
  }
  menu.AppendItem(kMenuHideAll, "隐藏所有");
  menu.AppendSeparator();
  menu.AppendItem(kMenuShowAll, "显示所有");
  menu.AppendSeparator();
  menu.AppendItem(kMenuClone, "克隆");
  menu.AppendItem(kMenuEdit, "编辑");
  menu.AppendItem(kMenuDelete, "删除");
  menu.AppendSeparator();
  KxMenuItem* pin = menu.AppendItem(kMenuTopmost, pinned ? "取消最前" : "总在最前");
  if (pin && pinned) pin->picture.LoadIconResource(ResourceInstance(), IDI_TOPMOST);

  switch (menu.Popup(owner, true)) {
    case kMenuHide: return NoteMenuChoice::kHide;
    case kMenuShow: return NoteMenuChoice::kShow;
    case kMenuHideAll: return NoteMenuChoice::kHideAll;
    case kMenuShowAll: return NoteMenuChoice::kShowAll;
    case kMenuClone: return NoteMenuChoice::kClone;
    case kMenuEdit: return NoteMenuChoice::kEdit;
    case kMenuDelete: return NoteMenuChoice::kDelete;
    case kMenuTopmost: return pinned ? NoteMenuChoice::kUnpin : NoteMenuChoice::kPin;
    default: return NoteMenuChoice::kNone;
  }
}

void FrmNotePage::BeginEdit() {
  if (!textBox) return;
  editing = true;
  textBox->Enable(true);
  // The note may have been shown without the activation; typing needs it in front.
  SetForegroundWindow(hwnd);
  textBox->SetFocus();
  textBox->frameColor = kEditFrameColor;
  textBox->SelectAll();
  textBox->Invalidate(false);
}

void FrmNotePage::BeginEditSoon() { PostMessageA(hwnd, kMsgBeginEdit, 0, 0); }

void FrmNotePage::EndEdit() {
  if (!editing || !textBox) return;
  // Disabling the box takes its focus away, which calls here again.
  editing = false;
  KillTimer(hwnd, idleTimer);
  writeDue = false;
  KxString text = textBox->GetText();
  if (SetNoteText(noteId, text)) {
    savedText = text;
  } else {
    PostMessageA(hwnd, kMsgTextNotStored, 0, 0);
    RetryWriteSoon();
  }
  textBox->frameColor = kRestFrameColor;
  textBox->Enable(false);
  textBox->Invalidate(false);
}

// Also after editing: a text whose write failed is tried again here.
bool FrmNotePage::SaveTypedText() {
  if (!textBox) return true;
  KxString text = textBox->GetText();
  if (text == savedText) return true;
  if (!SetNoteText(noteId, text)) return false;
  savedText = text;
  return true;
}

void FrmNotePage::RetryWriteSoon() {
  SetTimer(hwnd, idleTimer, kIdleSaveMs, NULL);
  writeDue = true;
}

void FrmNotePage::StoreTextLater() {
  savedText = KxString();
  RetryWriteSoon();
}

void FrmNotePage::ShowPlaced() {
  RECT r = WindowRect();
  MonitorAreas areas;
  LiveWorkAreas(areas);
  RECT placed = PlaceNote(r, areas);
  if (!EqualRect(&placed, &r)) {
    SetWindowPos(hwnd, NULL, placed.left, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ApplyZOrder();
  ShowWindow(hwnd, SW_SHOWNA);
}

void FrmNotePage::ApplyZOrder() {
  SetWindowPos(hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int FrmNotePage::OnBoxSize(KxEvtParam&) {
  RECT box = textBox->WindowRect();
  SetWindowPos(hwnd, NULL, 0, 0, box.right - box.left, box.bottom - box.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return 0;
}

int FrmNotePage::OnBoxKillFocus(KxEvtParam&) {
  EndEdit();
  return 0;
}

int FrmNotePage::OnMenuRequest(KxEvtParam&) {
  ShowNoteMenu();
  return 0;
}

// The first key not yet written starts the timer and later keys leave it running: typing
// that never pauses is written every two seconds all the same.
int FrmNotePage::OnTyped(KxEvtParam& param) {
  // Esc ends editing as a click elsewhere does: the text is stored.
  if (param.key == VK_ESCAPE) {
    EndEdit();
    return 0;
  }
  if (editing && !writeDue) {
    SetTimer(hwnd, idleTimer, kIdleSaveMs, NULL);
    writeDue = true;
  }
  return 0;
}

int FrmNotePage::OnTextNotStored(KxEvtParam&) {
  ShowInfo(kTextNotStored);
  return 0;
}

int FrmNotePage::OnBeginEditRequest(KxEvtParam&) {
  if (!deleted) BeginEdit();
  return 0;
}

int FrmNotePage::OnIdle(KxEvtParam&) {
  KillTimer(hwnd, idleTimer);
  writeDue = false;
  if (!SaveTypedText()) RetryWriteSoon();
  return 0;
}
