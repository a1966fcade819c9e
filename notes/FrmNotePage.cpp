#include "notes/FrmNotePage.h"

#include <algorithm>

#include "app/KxApp.h"
#include "app/KxDialogs.h"
#include "app/resource.h"
#include "kx/KxMenu.h"
#include "notes/NotePlacement.h"

namespace {

const COLORREF kEditFrameColor = RGB(0, 0, 255);

// Each colour: the paper, a text that reads well on it, and the frame at rest.
struct NoteScheme {
  COLORREF back;
  COLORREF text;
  COLORREF frame;
};
const NoteScheme kSchemes[kNoteColorCount] = {
    {RGB(255, 255, 0), RGB(0, 0, 0), RGB(128, 128, 128)},        // yellow
    {RGB(204, 240, 192), RGB(24, 64, 24), RGB(96, 150, 84)},      // green
    {RGB(196, 226, 255), RGB(16, 44, 96), RGB(84, 132, 200)},     // blue
    {RGB(255, 208, 228), RGB(96, 24, 56), RGB(204, 112, 152)},    // pink
    {RGB(226, 208, 250), RGB(64, 32, 96), RGB(150, 112, 204)},    // purple
    {RGB(226, 226, 226), RGB(40, 40, 40), RGB(140, 140, 140)},    // grey
};
const NoteScheme& SchemeOf(int color) {
  return kSchemes[color >= 0 && color < kNoteColorCount ? color : 0];
}

// How near the edge a press sizes the note instead of moving it.
const int kGrip = 4;
// The least size: this many lines of this many average characters.
const int kMinLines = 3;
const int kMinColumns = 12;
// Posted to a new note: enter edit mode.
const UINT kMsgBeginEdit = WM_APP + 30;
// Posted when the end of editing could not write the text: the box is shown from the loop,
// not from inside the focus change.
const UINT kMsgTextNotStored = WM_APP + 31;
// Posted when a size the user gave could not be stored: the box comes after the button.
const UINT kMsgSizeNotStored = WM_APP + 32;
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
  kMenuColorFirst = 30,  // one item per colour index
};

// A swatch of a colour for its menu item, with a tick on the colour the note has.
HBITMAP ColorSwatch(int color, bool ticked, int dpi) {
  const int side = KxScale(16, dpi);
  HDC screen = GetDC(NULL);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, side, side);
  ReleaseDC(NULL, screen);
  if (!dc || !bitmap) {
    if (dc) DeleteDC(dc);
    if (bitmap) DeleteObject(bitmap);
    return NULL;
  }
  const NoteScheme& scheme = SchemeOf(color);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all = {0, 0, side, side};
  FillRect(dc, &all, GetSysColorBrush(COLOR_MENU));
  const int edge = KxScale(1, dpi);
  RECT paper = {edge, edge, side - edge, side - edge};
  HBRUSH back = CreateSolidBrush(scheme.back);
  HBRUSH frame = CreateSolidBrush(scheme.frame);
  if (back) FillRect(dc, &paper, back);
  if (frame) FrameRect(dc, &paper, frame);
  if (ticked) {
    HPEN pen = CreatePen(PS_SOLID, KxScale(2, dpi), scheme.text);
    HGDIOBJ oldPen = pen ? SelectObject(dc, pen) : NULL;
    POINT tick[] = {{KxScale(4, dpi), KxScale(8, dpi)}, {KxScale(7, dpi), KxScale(11, dpi)},
                    {KxScale(12, dpi), KxScale(4, dpi)}};
    Polyline(dc, tick, 3);
    if (oldPen) SelectObject(dc, oldPen);
    if (pen) DeleteObject(pen);
  }
  if (back) DeleteObject(back);
  if (frame) DeleteObject(frame);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

// The least size a user may give a note whose box has these metrics.
SIZE LeastSize(const KxTextBox& box) {
  int cell = box.avgCharWidth > 0 ? box.avgCharWidth : 8;
  int line = box.charHeight > 0 ? box.charHeight : 16;
  return SIZE{kMinColumns * cell + box.margin.left + box.margin.right + 2,
              kMinLines * line + box.margin.top + box.margin.bottom + 2};
}

// An automatic size stays on the monitor nearest to where the note stands: at most a third
// of its work area's width and its height, at least the least size.
void BoundAutoSize(KxTextBox& box, const RECT& note, const MonitorAreas& areas) {
  RECT area = NearestArea(note, areas);
  SIZE least = LeastSize(box);
  box.minAutoWidth = least.cx;
  box.minAutoHeight = least.cy;
  box.maxAutoWidth = std::max(static_cast<int>(least.cx), static_cast<int>((area.right - area.left) / 3));
  box.maxAutoHeight = std::max(static_cast<int>(least.cy), static_cast<int>(area.bottom - area.top));
}

}  // namespace

// The note's box, made before the note's window with its text, wrapping, size bounds and
// automatic size as the note has them; and the rectangle the window is made at: the stored
// one, or for an automatic size the size the text takes. So the text is laid out once and
// neither window is sized again after it is made.
FrmNotePage::Prepared FrmNotePage::Prepare(const NoteRecord& record, const MonitorAreas& areas) {
  Prepared prepared;
  prepared.rect = KxRect{record.left, record.top, record.width, record.height};
  const bool automatic = (record.flags & kNoteSized) == 0;
  KxTextBox* box = new KxTextBox();
  // Measured at the DPI the note's window will have: that of its monitor.
  box->ApplyDpi(KxDpiOfRect(RECT{record.left, record.top, record.left + record.width, record.top + record.height}));
  box->wrap = true;
  box->SetAutoSize(automatic);
  box->MeasureFont();
  BoundAutoSize(*box, RECT{record.left, record.top, record.left + record.width, record.top + record.height},
                areas);
  box->SetText(record.text);
  if (automatic) {
    SIZE size = box->AutoSizeExtent();
    prepared.rect.width = size.cx;
    prepared.rect.height = size.cy;
  }
  prepared.box = box;
  return prepared;
}

const char kNoteChangeNotStored[] =
    "便签的更改未能写入数据文件,便签保持原样. 请查看数据文件所在的目录是否可写入.";

const char* const kNoteColorNames[kNoteColorCount] = {"黄色", "绿色", "蓝色", "粉色", "紫色", "灰色"};

COLORREF NoteBackColor(int color) { return SchemeOf(color).back; }

// A tool window: Windows gives an unowned popup a taskbar button and an Alt+Tab entry.
// Window and box are made where they stand (Prepare): moving or sizing them afterwards
// costs every note loaded at start-up a move and a resize of each.
FrmNotePage::FrmNotePage(NoteWindowEvents& events, const NoteRecord& record,
                         const MonitorAreas& areas)
    : FrmNotePage(events, record, Prepare(record, areas)) {}

FrmNotePage::FrmNotePage(NoteWindowEvents& events, const NoteRecord& record, Prepared prepared)
    : KxPopForm(nullptr, prepared.rect, WS_EX_TOOLWINDOW, true), events(events) {
  textBox = prepared.box;
  // Create makes it one of the window's children, which the window deletes; a box that
  // got no window is deleted at once.
  if (!hwnd || !textBox->Create(this, KxRect{0, 0, prepared.rect.width, prepared.rect.height})) {
    delete textBox;
    textBox = nullptr;
    return;
  }
  textBox->Enable(false);
  // The border belongs to the note: there the press sizes it, even while the box is edited.
  textBox->transparentEdge = kGrip;
  ApplyColor(NoteColorOf(record.flags));
  sized = (record.flags & kNoteSized) != 0;
  BindMsg(*textBox, WM_SIZE, this, &FrmNotePage::OnBoxSize);
  BindMsg(*textBox, WM_KILLFOCUS, this, &FrmNotePage::OnBoxKillFocus);
  BindMsg(*textBox, WM_RBUTTONUP, this, &FrmNotePage::OnMenuRequest);
  BindMsg(*textBox, WM_CHAR, this, &FrmNotePage::OnTyped);
  BindMsg(*textBox, WM_KEYDOWN, this, &FrmNotePage::OnTyped);
  BindMsg(*this, WM_RBUTTONUP, this, &FrmNotePage::OnMenuRequest);
  BindMsg(*this, kMsgBeginEdit, this, &FrmNotePage::OnBeginEditRequest);
  BindMsg(*this, kMsgTextNotStored, this, &FrmNotePage::OnTextNotStored);
  BindMsg(*this, kMsgSizeNotStored, this, &FrmNotePage::OnSizeNotStored);
  // Bound once and started by the first key not yet written.
  idleTimer = BindTimer(*this, this, &FrmNotePage::OnIdle, 0);

  noteId = record.id;
  topmost = (record.flags & kNoteTopmost) != 0;
  // The text is in the box already; with its window the scroll bar follows it.
  textBox->AutoSize();
  textBox->EnsureVisible();
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
  if (m.msg == WM_SETCURSOR) {
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(hwnd, &at);
    int edges = resizeEdges ? resizeEdges : EdgesAt(at);
    if (edges) {
      bool horizontal = (edges & (kEdgeLeft | kEdgeRight)) != 0;
      bool vertical = (edges & (kEdgeTop | kEdgeBottom)) != 0;
      LPCSTR shape = IDC_SIZEWE;
      if (horizontal && vertical) {
        bool falling = edges == (kEdgeLeft | kEdgeTop) || edges == (kEdgeRight | kEdgeBottom);
        shape = falling ? IDC_SIZENWSE : IDC_SIZENESW;
      } else if (vertical) {
        shape = IDC_SIZENS;
      }
      SetCursor(LoadCursorA(NULL, shape));
      return TRUE;
    }
  }
  // While editing, a press on the border sizes the note without taking the focus from the
  // box: that would end the editing.
  if (m.msg == WM_LBUTTONDOWN && editing) {
    POINT at = {static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))};
    if (EdgesAt(at)) {
      SetCapture(hwnd);
      pressed = true;
      OnLButtonDown(m.wParam, at);
      return 0;
    }
  }
  // The capture taken away with the button still down (a box, Alt+Tab): the size was never
  // stored, so the note goes back to what is. A release takes it away with the button up.
  if (m.msg == WM_CAPTURECHANGED && resizeEdges && reinterpret_cast<HWND>(m.lParam) != hwnd &&
      (GetKeyState(VK_LBUTTON) & 0x8000)) {
    CancelResize();
  }
  // On a monitor of another DPI the note stands where the platform puts it and its text
  // keeps its size there (the font follows the DPI); an automatic size is the text's again.
  if (m.msg == kKxWmDpiChanged) {
    // Being sized, the note keeps the rectangle the pointer gives it: it is in pixels, and a
    // rectangle of the new scale would fight the pointer (and could change the DPI back).
    RECT keep = WindowRect();
    if (resizeEdges) m.lParam = reinterpret_cast<LPARAM>(&keep);
    LRESULT result = KxPopForm::WndProc(m);
    // Mid-drag the note keeps its left edge under the same pointer, the spot inside it
    // (rescaling the spot could put the note back on the monitor it left).
    RECT now = WindowRect();
    dragOrigin.x = std::max(0L, std::min(dragOrigin.x, now.right - now.left - 1));
    dragOrigin.y = std::max(0L, std::min(dragOrigin.y, now.bottom - now.top - 1));
    if (textBox && !sized) {
      MonitorAreas areas;
      LiveWorkAreas(areas);
      ApplyAutoBounds(areas);
      textBox->AutoSize();
      KxEvtParam unused;
      OnBoxSize(unused);
    }
    return result;
  }
  // A note at rest has a disabled box, which hears no wheel: the note scrolls it.
  if (m.msg == WM_MOUSEWHEEL && textBox) {
    textBox->ScrollByWheel(GET_WHEEL_DELTA_WPARAM(m.wParam));
    return 0;
  }
  return KxPopForm::WndProc(m);
}

void FrmNotePage::OnPaint() {
  KxPopForm::OnPaint();
  if (textBox && textBox->hwnd) textBox->Invalidate(false);
}

void FrmNotePage::OnLButtonDown(WPARAM, POINT pt) {
  POINT at = {static_cast<short>(pt.x), static_cast<short>(pt.y)};
  resizeEdges = EdgesAt(at);
  // Read once for the whole drag or sizing, not at every move.
  KxLiveMonitorRects(pressMonitors);
  if (resizeEdges) {
    resizeFrom = WindowRect();
    GetCursorPos(&resizePress);
    return;
  }
  dragOrigin = pt;
  dragging = true;
}

void FrmNotePage::OnLButtonDblClk(WPARAM, POINT pt) {
  POINT at = {static_cast<short>(pt.x), static_cast<short>(pt.y)};
  if (!EdgesAt(at)) events.EditAsked(*this, at);
}

void FrmNotePage::OnLButtonUp(WPARAM, POINT) {
  if (resizeEdges) {
    EndResize();
    return;
  }
  // The note ends where the button went up: the release carries that position, whatever
  // the moves before it said.
  if (dragging) {
    dragging = false;
    DWORD at = GetMessagePos();
    DragTo(POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))});
  }
  RECT r = WindowRect();
  SaveNoteBounds(noteId, r.left, r.top, r.right - r.left, r.bottom - r.top);
  // Moved to another monitor, an automatic size takes that monitor's bounds.
  if (!sized) {
    MonitorAreas areas;
    LiveWorkAreas(areas);
    ApplyAutoBounds(areas);
    textBox->AutoSize();
  }
  events.Released(*this);
}

void FrmNotePage::EndResize() {
  DWORD at = GetMessagePos();
  ResizeTo(POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))});
  resizeEdges = 0;
  RECT r = WindowRect();
  if (EqualRect(&r, &resizeFrom)) {
    // A press on the border without a move: the note stays as it was.
    if (!sized) textBox->SetAutoSize(true);
    return;
  }
  if (SaveNoteSize(noteId, r.left, r.top, r.right - r.left, r.bottom - r.top)) {
    sized = true;
  } else {
    // The size could not be stored: the note shows what is stored.
    CancelResize();
    PostMessageW(hwnd, kMsgSizeNotStored, 0, 0);
  }
  events.Released(*this);
}

void FrmNotePage::CancelResize() {
  resizeEdges = 0;
  pressed = false;
  SetWindowPos(hwnd, NULL, resizeFrom.left, resizeFrom.top, resizeFrom.right - resizeFrom.left,
               resizeFrom.bottom - resizeFrom.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!sized) {
    textBox->SetAutoSize(true);
    textBox->AutoSize();
  }
}

void FrmNotePage::OnMouseMove(WPARAM keys, POINT) {
  // Only a move with the button held drags: a press whose release went elsewhere (the
  // capture taken by a menu or another window) must not leave the note on the pointer.
  if (!pressed || !(keys & MK_LBUTTON)) return;
  POINT cursor;
  if (!GetCursorPos(&cursor)) return;
  if (resizeEdges) {
    ResizeTo(cursor);
  } else if (dragging) {
    DragTo(cursor);
  }
}

void FrmNotePage::OnSize(const RECT& client) {
  // A sized note's box fills it; an automatic one sizes the note from the box instead.
  if (textBox && textBox->hwnd && !textBox->autoSize) {
    textBox->SetBounds(KxRect{0, 0, client.right - client.left, client.bottom - client.top}, true);
  }
}

SIZE FrmNotePage::MinimumSize() const {
  if (textBox) return LeastSize(*textBox);
  KxTextBox probe;
  probe.ApplyDpi(dpi);
  probe.MeasureFont();
  return LeastSize(probe);
}

int FrmNotePage::EdgesAt(POINT at) const {
  RECT r = ClientRect();
  int edges = 0;
  if (at.x < r.left || at.y < r.top || at.x >= r.right || at.y >= r.bottom) return 0;
  const int grip = Px(kGrip);
  if (at.x < r.left + grip) edges |= kEdgeLeft;
  if (at.x >= r.right - grip) edges |= kEdgeRight;
  if (at.y < r.top + grip) edges |= kEdgeTop;
  if (at.y >= r.bottom - grip) edges |= kEdgeBottom;
  return edges;
}

void FrmNotePage::ResizeTo(POINT cursor) {
  if (!textBox) return;
  // From the first move on the box follows the note, not its text.
  textBox->SetAutoSize(false);
  SIZE least = MinimumSize();
  int dx = cursor.x - resizePress.x;
  int dy = cursor.y - resizePress.y;
  RECT r = resizeFrom;
  if (resizeEdges & kEdgeLeft) r.left = std::min(r.left + dx, r.right - static_cast<int>(least.cx));
  if (resizeEdges & kEdgeRight) r.right = std::max(r.right + dx, r.left + static_cast<int>(least.cx));
  if (resizeEdges & kEdgeTop) r.top = std::min(r.top + dy, r.bottom - static_cast<int>(least.cy));
  if (resizeEdges & kEdgeBottom) r.bottom = std::max(r.bottom + dy, r.top + static_cast<int>(least.cy));
  RECT now = WindowRect();
  if (EqualRect(&r, &now)) return;
  if (!KxKeepsReachable(r, pressMonitors, kNoteReachablePixels)) return;
  SetWindowPos(hwnd, NULL, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmNotePage::DragTo(POINT cursor) {
  RECT r = WindowRect();
  int w = r.right - r.left;
  int h = r.bottom - r.top;
  int left = cursor.x - dragOrigin.x;
  int top = cursor.y - dragOrigin.y;
  if (left == r.left && top == r.top) return;
  if (!KxKeepsReachable(RECT{left, top, left + w, top + h}, pressMonitors, kNoteReachablePixels)) return;
  SetWindowPos(hwnd, NULL, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmNotePage::ShowNoteMenu() { events.MenuAsked(*this); }

NoteMenuChoice FrmNotePage::ChooseFromMenu(KxControl* owner, int& chosenColor) {
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
  if (KxPopMenu* colors = menu.AppendSubMenu("颜色", 0)) {
    for (int i = 0; i < kNoteColorCount; ++i) {
      KxMenuItem* item = colors->AppendItem(kMenuColorFirst + i, kNoteColorNames[i]);
      if (item) item->picture.SetBitmap(ColorSwatch(i, i == color, dpi));
    }
  }

  int chosen = menu.Popup(owner, true);
  if (chosen >= kMenuColorFirst && chosen < kMenuColorFirst + kNoteColorCount) {
    chosenColor = chosen - kMenuColorFirst;
    return NoteMenuChoice::kColor;
  }
  switch (chosen) {
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

void FrmNotePage::StartEditing() {
  editing = true;
  textBox->Enable(true);
  // The note may have been shown without the activation; typing needs it in front.
  SetForegroundWindow(hwnd);
  textBox->SetFocus();
  textBox->frameColor = kEditFrameColor;
}

void FrmNotePage::BeginEdit() {
  if (!textBox) return;
  StartEditing();
  textBox->SelectAll();
  textBox->Invalidate(false);
}

void FrmNotePage::BeginEditAtEnd() {
  if (!textBox) return;
  StartEditing();
  int last = textBox->lines.Count() - 1;
  const KxString& tail = *textBox->lines.At(last);
  textBox->caret = KxTextPos{tail.Length(), last};
  textBox->EnsureVisible();
  textBox->Invalidate(false);
}

void FrmNotePage::BeginEditAt(POINT at) {
  if (!textBox) return;
  StartEditing();
  MapWindowPoints(hwnd, textBox->hwnd, &at, 1);
  textBox->SetCaretAt(at);
}

void FrmNotePage::BeginEditSoon() { PostMessageW(hwnd, kMsgBeginEdit, 0, 0); }

void FrmNotePage::EndEdit() {
  if (!editing || !textBox) return;
  // Disabling the box takes its focus away, which calls here again.
  editing = false;
  KillTimer(hwnd, idleTimer);
  writeDue = false;
  if (!StoreText(textBox->GetText())) {
    PostMessageW(hwnd, kMsgTextNotStored, 0, 0);
    RetryWriteSoon();
  }
  textBox->frameColor = SchemeOf(color).frame;
  textBox->Enable(false);
  textBox->Invalidate(false);
}

// Also after editing: a text whose write failed is tried again here.
bool FrmNotePage::SaveTypedText() {
  if (!textBox) return true;
  KxString text = textBox->GetText();
  return text == savedText || StoreText(text);
}

bool FrmNotePage::StoreText(const KxString& text) {
  if (!SetNoteText(noteId, text)) return false;
  savedText = text;
  events.TextStored(*this, text);
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
  MonitorAreas areas;
  LiveWorkAreas(areas);
  ShowPlaced(areas);
}

void FrmNotePage::ShowPlaced(const MonitorAreas& areas) {
  RECT r = WindowRect();
  RECT placed = PlaceNote(r, areas);
  if (!EqualRect(&placed, &r)) {
    SetWindowPos(hwnd, NULL, placed.left, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ApplyZOrder();
  ShowWindow(hwnd, SW_SHOWNA);
}

void FrmNotePage::ApplyColor(int index) {
  color = index >= 0 && index < kNoteColorCount ? index : 0;
  if (!textBox) return;
  const NoteScheme& scheme = SchemeOf(color);
  textBox->bkColor = scheme.back;
  textBox->bkColorDisabled = scheme.back;
  textBox->textColor = scheme.text;
  textBox->frameColor = editing ? kEditFrameColor : scheme.frame;
  textBox->Invalidate(false);
}

void FrmNotePage::ApplyAutoBounds(const MonitorAreas& areas) {
  if (textBox) BoundAutoSize(*textBox, WindowRect(), areas);
}

void FrmNotePage::ApplyZOrder() {
  // Not topmost, a window that is not topmost already stays where it is.
  if (!topmost && !(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST)) return;
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

int FrmNotePage::OnSizeNotStored(KxEvtParam&) {
  ShowInfo(kNoteChangeNotStored);
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
