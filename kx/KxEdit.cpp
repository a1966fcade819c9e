#include "kx/KxEdit.h"

#include <cstdlib>

#include "kx/KxClipboard.h"
#include "kx/base/KxWide.h"
#include "kx/base/KxWinHelpers.h"
#include "kx/base/KxHandles.h"

namespace {

// A character beyond U+FFFF typed arrives as two WM_CHAR units; the first waits here. One
// for all edits, since only the focused edit receives characters.
wchar_t pendingHigh = 0;

KxString TabsToSpaces(const KxString& t) {
  KxString result = t;
  result.ReplaceAll("\t", "    ");
  return result;
}

}  // namespace

// ---- The base of the edit and the text box

bool KxTextControl::OnSetCursor() {
  SetCursor(LoadCursorW(NULL, MAKEINTRESOURCEW(32513)));
  return true;
}

void KxTextControl::ShowNewCaret(int height) {
  if (caretShown) DestroyCaret();
  CreateCaret(hwnd, NULL, 1, height);
  ShowCaret(hwnd);
  SetCaretPos(margin.left, margin.top);
  caretShown = hwnd;
}

void KxTextControl::DropCaret() {
  if (caretShown) DestroyCaret();
  caretShown = NULL;
}

void KxTextControl::RunShortcut(WPARAM key) {
  // Virtual keys of letters are the capitals; the lower-case codes are other keys.
  switch (key) {
    case 'A': SelectAll(); break;
    case 'C': Copy(); break;
    case 'V': Paste(); break;
    case 'X': Cut(); break;
    case 'Z': Undo(); break;
    case 'U':
    case 'Y': Redo(); break;
    default: break;
  }
}

// ---- The edit

KxEdit::KxEdit(KxControl* parentControl, const KxString& t, const KxRect& rect)
    : KxTextControl(parentControl), text(t) {
  borderStyle = 2;
  bkColor = kxWhiteColor;
  bkColorDisabled = kxDisabledEditColor;
  Create(parentControl, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect);
  Measure();
  AdjustWidth();
}

KxEdit::~KxEdit() {
  DropCaret();
  measureCanvas.reset();
}

KxString KxEdit::GetClassName() const { return "KxEdit"; }

void KxEdit::Measure() {
  measureCanvas.reset(new KxCanvas(this));
  HDC dc = measureCanvas->Dc();
  KxSelected selected(dc, font.Handle());
  TEXTMETRICW metrics = {};
  if (GetTextMetricsW(dc, &metrics)) {
    avgCharWidth = metrics.tmAveCharWidth;
    charHeight = metrics.tmHeight;
  }
}

KxString KxEdit::Shown() const {
  if (!passwordChar) return text;
  return KxString(passwordChar, text.Length());
}

int KxEdit::WidthOf(int bytes) {
  KxString shown = Shown();
  if (bytes > shown.Length()) bytes = shown.Length();
  if (bytes <= 0 || !measureCanvas) return 0;
  return measureCanvas->TextExtent(font, KxString(shown.CStr(), bytes)).cx;
}

void KxEdit::OnDraw(KxCanvas& canvas) {
  canvas.SetBkMode(TRANSPARENT);
  RECT client = ClientRect();
  RECT r = {margin.left, margin.top, client.right - margin.right, charHeight + margin.top};

  int cx = WidthOf(caret);
  if (scrollX + r.right < cx) {
    scrollX = cx - (r.right - r.left);
  } else if (std::abs(scrollX) >= cx) {
    // One average character of context stays left of the caret where there is one.
    scrollX = cx < avgCharWidth ? 0 : cx - avgCharWidth;
  }

  if (!sel.IsEmpty()) {
    int left = margin.left + WidthOf(sel.selStart) - scrollX;
    int right = margin.left + WidthOf(sel.selEnd) - scrollX;
    RECT band = {left > r.left ? left : r.left, margin.top, right < r.right ? right : r.right,
                 client.bottom - margin.top - margin.bottom};
    canvas.FillRect(kxTextSelectionColor, band);
  }

  // Text scrolled out to the left stays out of the margin.
  int saved = SaveDC(canvas.Dc());
  IntersectClipRect(canvas.Dc(), r.left, 0, r.right, client.bottom);
  RECT textRect = r;
  textRect.left -= scrollX;
  canvas.DrawText(font, kxBlackColor, Shown(), textRect, format);
  RestoreDC(canvas.Dc(), saved);

  if (GetFocus() == hwnd) SetCaretPos(margin.left + cx - scrollX, margin.top);
}

int KxEdit::PosFromX(int x) {
  int d = scrollX + x - margin.left;
  if (d <= 0) return 0;
  int previousWidth = 0;
  int previousPos = 0;
  for (int i = 0; i <= text.Length(); i += i < text.Length() ? KxCharLength(text, i) : 1) {
    int w = WidthOf(i);
    if (w >= d) {
      bool nearerBefore = d < w && d - previousWidth < w - d;
      if (previousWidth >= d || nearerBefore || w == previousWidth) return previousPos;
      return i;
    }
    previousWidth = w;
    previousPos = i;
  }
  return text.Length();
}

void KxEdit::OnSetFocus() {
  Measure();
  caret = 0;
  ShowNewCaret(charHeight);
  Invalidate(false);
}

void KxEdit::OnDpiChanged(int) {
  Measure();
  scrollX = 0;
  AdjustWidth();
  if (caretShown == hwnd) ShowNewCaret(charHeight);
}

void KxEdit::OnKillFocus() {
  sel.Clear();
  Invalidate(false);
  DropCaret();
}

void KxEdit::OnLButtonDown(WPARAM, POINT pt) {
  sel.Clear();
  Invalidate(false);
  caret = sel.selAnchor = PosFromX(pt.x);
}

void KxEdit::OnLButtonDblClk(WPARAM, POINT) { SelectAll(); }

void KxEdit::OnMouseMove(WPARAM, POINT pt) {
  if (!pressed) return;
  // The point arrives as unsigned words: left of the window is a negative short.
  int x = static_cast<short>(pt.x);
  int p = PosFromX(x > 0 ? x : 0);
  if (p == caret) return;
  caret = p;
  sel.selStart = p < sel.selAnchor ? p : sel.selAnchor;
  sel.selEnd = p < sel.selAnchor ? sel.selAnchor : p;
  Invalidate(false);
}

void KxEdit::MoveCaret(int pos, bool extend) {
  if (extend) {
    if (sel.IsEmpty()) sel.selAnchor = caret;
    caret = pos;
    sel.selStart = caret < sel.selAnchor ? caret : sel.selAnchor;
    sel.selEnd = caret < sel.selAnchor ? sel.selAnchor : caret;
  } else {
    caret = pos;
    sel.Clear();
  }
  Invalidate(false);
}

void KxEdit::OnKeyDown(WPARAM key, LPARAM) {
  if (KeyIsDown(VK_CONTROL)) {
    // A read-only text can still be selected and copied.
    if (!readOnly || key == 'A' || key == 'C') RunShortcut(key);
    return;
  }
  bool shift = KeyIsDown(VK_SHIFT);
  switch (key) {
    case VK_TAB:
      if (parent) SendMessageW(parent->hwnd, WM_CHAR, 9, 0);
      break;
    case VK_END:
      MoveCaret(text.Length(), shift);
      break;
    case VK_HOME:
      MoveCaret(0, shift);
      break;
    case VK_LEFT:
      if (caret > 0) MoveCaret(KxPrevCharPos(text, caret), shift);
      break;
    case VK_RIGHT:
      if (caret < text.Length()) MoveCaret(KxNextCharPos(text, caret), shift);
      break;
    case VK_DELETE:
      if (!readOnly) Delete();
      break;
    default:
      break;
  }
}

void KxEdit::OnChar(WPARAM wParam, LPARAM) {
  // Ctrl alone makes control characters; with Alt it is AltGr, which types @, { or the euro.
  if (readOnly || (KeyIsDown(VK_CONTROL) && !KeyIsDown(VK_MENU)) || wParam > 0xFFFF) return;
  wchar_t ch = static_cast<wchar_t>(wParam);
  if (ch == 8) {
    pendingHigh = 0;
    if (sel.IsEmpty()) {
      if (caret <= 0 || caret > text.Length()) return;
      caret = KxPrevCharPos(text, caret);
    }
    Delete();
    return;
  }
  // Line breaks and other control characters have no place in a one-line text.
  if (ch < 0x20 && ch != 9) {
    pendingHigh = 0;
    return;
  }
  KxString typed = ch == 9 ? KxString("    ") : KxTypedChar(ch, &pendingHigh);
  if (typed.IsEmpty()) return;
  // The length limit counts what the text will hold: typing over a selection replaces it.
  int after = text.Length() - (sel.selEnd - sel.selStart) + typed.Length();
  if (maxLength != 0 && after > maxLength) return;
  RecordInsertion(typed);
  InsertBytes(typed);
  Changed();
}

void KxEdit::SetText(const KxString& t) {
  if (t == text) return;
  text = t;
  undo.Clear();
  sel.Clear();
  if (caret > text.Length()) caret = text.Length();
  if (KxIsInsideChar(text, caret)) caret = KxPrevCharPos(text, caret);
  Changed();
}

void KxEdit::SelectAll() {
  sel.selStart = 0;
  sel.selEnd = text.Length();
  Invalidate(false);
}

KxString KxEdit::SelectedText() const {
  if (sel.IsEmpty()) return KxString();
  return text.Mid(sel.selEnd - sel.selStart, sel.selStart);
}

void KxEdit::RecordInsertion(const KxString& inserted) {
  KxUndoRecord record;
  record.kind = 0;
  record.pos = caret;
  record.replaced = SelectedText();
  record.text = inserted;
  record.sel = sel;
  undo.Add(record);
}

void KxEdit::InsertBytes(const KxString& t) {
  if (!sel.IsEmpty()) RemoveSelection();
  text.Insert(caret, t);
  caret += t.Length();
}

void KxEdit::RemoveSelection() {
  text.Remove(sel.selStart, sel.selEnd - sel.selStart);
  caret = sel.selStart;
  sel.Clear();
}

void KxEdit::Notify() { SendMessageW(hwnd, KX_EDIT_CHANGE, 0, 0); }

void KxEdit::Changed() {
  AdjustWidth();
  Invalidate(false);
  Notify();
}

void KxEdit::InsertText(const KxString& t) {
  KxString inserted = TabsToSpaces(t);
  if (inserted.IsEmpty() && sel.IsEmpty()) return;
  RecordInsertion(inserted);
  InsertBytes(inserted);
  Changed();
}

void KxEdit::DeleteSelection() {
  if (sel.IsEmpty()) return;
  KxUndoRecord record;
  record.kind = 1;
  record.pos = caret;
  record.replaced = SelectedText();
  record.sel = sel;
  undo.Add(record);
  RemoveSelection();
  Changed();
}

void KxEdit::Delete() {
  // A selection goes wherever the caret stands, the end of the text included.
  if (!sel.IsEmpty()) {
    DeleteSelection();
    return;
  }
  int n = KxCharLength(text, caret);
  if (n == 0) return;
  KxUndoRecord record;
  record.kind = 1;
  record.pos = caret;
  record.text = text.Mid(n, caret);
  record.sel = sel;
  undo.Add(record);
  text.Remove(caret, n);
  Changed();
}

void KxEdit::Copy() { SetClipboardText(SelectedText(), hwnd); }

void KxEdit::Cut() {
  if (sel.IsEmpty()) return;
  Copy();
  Delete();
}

void KxEdit::Paste() {
  KxString pasted = TabsToSpaces(GetClipboardText());
  if (pasted.IsEmpty()) return;
  RecordInsertion(pasted);
  InsertBytes(pasted);
  Changed();
}

void KxEdit::Undo() {
  const KxUndoRecord* r = undo.StepBack();
  if (!r) return;
  if (r->kind == 0) {
    caret = r->pos;
    sel = r->sel;
    int at = sel.IsEmpty() ? caret : sel.selStart;
    text.Remove(at, r->text.Length());
    text.Insert(at, r->replaced);
  } else {
    sel = r->sel;
    if (sel.IsEmpty()) {
      text.Insert(r->pos, r->text);
      caret = r->pos + r->text.Length();
    } else {
      text.Insert(sel.selStart, r->replaced);
      caret = sel.selEnd;
    }
  }
  Changed();
}

void KxEdit::Redo() {
  const KxUndoRecord* r = undo.StepForward();
  if (!r) return;
  caret = r->pos;
  sel = r->sel;
  if (r->kind == 0) {
    InsertBytes(r->text);
  } else if (sel.IsEmpty()) {
    text.Remove(caret, KxCharLength(text, caret));
  } else {
    RemoveSelection();
  }
  Changed();
}

void KxEdit::AdjustWidth() {
  if (!autoWidth) return;
  Resize(Dip(margin.left + margin.right + WidthOf(text.Length()) + 2), height);
}

void KxEdit::SetPasswordChar(char ch) {
  passwordChar = ch;
  Invalidate(false);
}
