#include "kx/KxSelect.h"

// ---- KxSelectBtn

KxSelectBtn::KxSelectBtn(KxControl* parent, const KxRect& rect) : KxButton(parent) {
  Create(parent, "", WS_CHILD | WS_VISIBLE, rect);
}

void KxSelectBtn::OnDraw(KxCanvas& canvas) {
  RECT client = ClientRect();
  canvas.FillRect(kxFormColor, client);
  COLORREF outline = OutlineColor();
  RECT face = client;
  if (pressed) OffsetRect(&face, 0, 1);
  canvas.RoundRect(outline, 1, face, SIZE{Px(8), Px(8)});
  int w = client.right - client.left;
  int h = client.bottom - client.top;
  POINT tip = {w / 2, (h / 4) * 3};
  canvas.Line(outline, 1, tip, POINT{w / 4, h / 3});
  canvas.Line(outline, 1, tip, POINT{(w / 4) * 3, h / 3});
}

// ---- KxSelectCard

void KxSelectCard::OnDpiChanged(int oldDpi) {
  KxControl::OnDpiChanged(oldDpi);
  dropHolder.dpi = dpi;
  if (list) list->ApplyDpi(dpi);
}

KxSelectCard::KxSelectCard(KxControl* parent, const KxRect& rect) : KxControl(parent) {
  borderStyle = 1;
  Create(parent, "", WS_CHILD | WS_VISIBLE, rect);

  edit = new KxEdit(this, "", KxRect{1, 1, rect.width - 20, rect.height - 3});
  edit->SetBorderStyle(0);
  button = new KxSelectBtn(this, KxRect{rect.width - 19, 1, 16, rect.height - 4});

  // A child window of the desktop: above the form and outside its clipping, and the
  // platform gives it neither the activation nor the focus, so a press on the list
  // leaves the form active and the focus on the button.
  dropHolder.hwnd = GetDesktopWindow();
  dropHolder.dpi = dpi;  // the list is laid out at the select's scale, not the desktop's 96
  list = new KxListBoxCard(&dropHolder, KxRect{0, 0, rect.width, dropHeight});
  list->Hide();

  BindClick(*button, this, &KxSelectCard::ButtonClicked);
  BindMsg(*button, WM_KILLFOCUS, this, &KxSelectCard::ButtonLostFocus);
  BindMsg(*button, WM_KEYDOWN, this, &KxSelectCard::ButtonKeyDown);
  BindClick(*list, this, &KxSelectCard::ListClicked);
  BindCmd(*list, WM_MOUSEACTIVATE, this, &KxSelectCard::ListMouseActivate);
  BindCmd(*edit, KX_EDIT_CHANGE, this, &KxSelectCard::EditChanged);
}

KxSelectCard::~KxSelectCard() {
  // The parts outlive this object's own members; nothing of theirs may call back.
  button->msgHandlers.Clear();
  button->cmdHandlers.Clear();
  edit->cmdHandlers.Clear();
  // The holder's handle is the desktop's, which is nobody's to destroy.
  dropHolder.hwnd = NULL;
}

KxString KxSelectCard::GetClassName() const { return "KxSelectCard"; }

void KxSelectCard::AddItem(const KxString& text) { list->AddTextRow(text); }

KxString KxSelectCard::RowText(int i) const {
  KxGridCardRow* row = list->RowAt(i);
  if (!row || !row->items.Head()) return KxString();
  return row->items.Head()->value->text;
}

void KxSelectCard::SelectIndex(int i) {
  if (i < 0 || i >= list->RowCount()) return;
  list->SetCurrent(i, -2);
  edit->SetText(RowText(i));
}

void KxSelectCard::SelectText(const KxString& text) {
  int i = 0;
  while (i < list->RowCount() && !(RowText(i) == text)) ++i;
  SelectIndex(i);
}

KxString KxSelectCard::GetText() const { return edit->GetText(); }

bool KxSelectCard::IsDropped() const { return list->IsVisible(); }

void KxSelectCard::DropDown() {
  SendMessageW(hwnd, KX_SELECT_DROPDOWN, 0, 0);
  RECT card = WindowRect();
  SetWindowPos(list->hwnd, HWND_TOPMOST, card.left, card.bottom + Px(1), card.right - card.left,
               Px(dropHeight), SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void KxSelectCard::CloseUp() {
  if (!list->IsVisible()) return;
  list->Hide();
  SendMessageW(hwnd, KX_SELECT_CLOSEUP, 0, 0);
}

void KxSelectCard::Choose() {
  int row = list->curRow;
  CloseUp();
  if (row < 0 || row >= list->RowCount()) return;
  edit->SetText(RowText(row));
  SendMessageW(hwnd, KX_SELECT_CHANGE, 0, static_cast<LPARAM>(row));
}

int KxSelectCard::ButtonClicked(KxEvtParam&) {
  if (list->IsVisible()) {
    CloseUp();
  } else {
    DropDown();
  }
  return 0;
}

int KxSelectCard::ButtonLostFocus(KxEvtParam&) {
  CloseUp();
  return 0;
}

int KxSelectCard::ButtonKeyDown(KxEvtParam& param) {
  switch (param.wParam) {
    case VK_RETURN:
      Choose();
      break;
    case VK_ESCAPE:
      CloseUp();
      break;
    default:
      SendMessageW(list->hwnd, WM_KEYDOWN, param.wParam, param.lParam);
      break;
  }
  return 0;
}

int KxSelectCard::ListClicked(KxEvtParam&) {
  if (list->IsVisible()) Choose();
  return 0;
}

// A press on the list leaves the activation with the form.
int KxSelectCard::ListMouseActivate(KxEvtParam&) { return MA_NOACTIVATE; }

int KxSelectCard::EditChanged(KxEvtParam& param) {
  SendMessageW(hwnd, KX_SELECT_EDITCHANGE, param.wParam, param.lParam);
  return 0;
}
