#include "kx/KxTextBox.h"

#include <climits>
#include <string>
#include <utility>

#include "kx/KxClipboard.h"
#include "kx/base/KxWide.h"
#include "kx/base/KxWinHelpers.h"
#include "kx/base/KxHandles.h"
#include "kx/base/KxWrap.h"

namespace {

const char kBreak[] = "\r\n";

// A character beyond U+FFFF typed arrives as two WM_CHAR units; the first waits here. Only
// the focused box receives characters, and losing the focus drops a half character.
wchar_t pendingHigh = 0;


int Min(int a, int b) { return a < b ? a : b; }
int Max(int a, int b) { return a > b ? a : b; }

bool EndsWithBreak(const KxString& s) {
  int n = s.Length();
  return n >= 2 && s.At(n - 2) == '\r' && s.At(n - 1) == '\n';
}

// A line's length and text without its "\r\n".
int LengthOf(const KxString& line) { return EndsWithBreak(line) ? line.Length() - 2 : line.Length(); }
KxString ContentOf(const KxString& line) { return line.Mid(LengthOf(line), 0); }

KxString& LineAt(KxTextBox& box, int index) { return *box.lines.At(index); }
const KxString& LineAt(const KxTextBox& box, int index) { return *box.lines.At(index); }
int LastLine(const KxTextBox& box) { return box.lines.Count() - 1; }

// What may go into the lines: tabs as four spaces, every line break as "\r\n" (a lone
// "\r" or "\n" from another program's clipboard would otherwise end up inside a line), no
// 0 bytes (drawing would stop at one).
KxString Normalized(const KxString& t) {
  std::string out;
  out.reserve(static_cast<size_t>(t.Length()));
  for (int i = 0; i < t.Length(); ++i) {
    char ch = t.At(i);
    if (ch == '\t') {
      out += "    ";
    } else if (ch == '\r' || ch == '\n') {
      out += kBreak;
      if (ch == '\r' && t.At(i + 1) == '\n') ++i;
    } else if (ch != 0) {
      out += ch;
    }
  }
  return KxString(out.data(), static_cast<int>(out.size()));
}

// Where the caret stands after t was inserted at at.
KxTextPos EndOf(KxTextPos at, const KxString& t) {
  int lastBreak = -1;
  int breaks = 0;
  for (int i = t.Find(0, kBreak); i >= 0; i = t.Find(i + 2, kBreak)) {
    ++breaks;
    lastBreak = i;
  }
  if (breaks == 0) return KxTextPos{at.col + t.Length(), at.line};
  return KxTextPos{t.Length() - lastBreak - 2, at.line + breaks};
}

void Ordered(KxTextSel& sel, KxTextPos a, KxTextPos b) {
  sel.selStart = b < a ? b : a;
  sel.selEnd = b < a ? a : b;
}

KxString TextBetween(const KxTextBox& box, KxTextPos from, KxTextPos to) {
  if (!(from < to)) return KxString();
  const KxString& first = LineAt(box, from.line);
  if (from.line == to.line) return first.Mid(to.col - from.col, from.col);
  KxString text = first.Mid(-1, from.col);
  for (int i = from.line + 1; i < to.line; ++i) text.Append(LineAt(box, i));
  text.Append(LineAt(box, to.line).Mid(to.col, 0));
  return text;
}

// Opens count empty lines at index, moving the lines from there down. Moving a KxString
// swaps it, so the empty strings added at the end travel up to index.
bool OpenLines(KxStringList& lines, int index, int count) {
  for (int i = 0; i < count; ++i) {
    if (!lines.Add(KxString())) {
      while (i-- > 0) lines.Remove(lines.Tail());
      return false;
    }
  }
  KxListNode<KxString>* to = lines.Tail();
  KxListNode<KxString>* from = lines.NodeAt(lines.Count() - 1 - count);
  for (int i = lines.Count() - 1 - count; i >= index; --i) {
    to->value = std::move(from->value);
    to = to->prev;
    from = from->prev;
  }
  return true;
}

// Removes the text between two ordered positions; the selection is left alone.
void RemoveRange(KxTextBox& box, KxTextPos from, KxTextPos to) {
  if (!(from < to)) return;
  KxString& first = LineAt(box, from.line);
  if (from.line == to.line) {
    first.Remove(from.col, to.col - from.col);
    return;
  }
  KxString rest = LineAt(box, to.line).Mid(-1, to.col);
  first.Remove(from.col, first.Length() - from.col);
  first.Append(rest);
  for (int i = from.line + 1; i <= to.line; ++i) box.lines.Remove(box.lines.NodeAt(from.line + 1));
}

void DeleteRange(KxTextBox& box, KxTextPos from, KxTextPos to) {
  RemoveRange(box, from, to);
  box.sel.Clear();
}

// Inserts normalized text at the caret and leaves the caret after it.
void InsertAt(KxTextBox& box, const KxString& t) {
  KxStringList segments;
  t.SplitKeep(kBreak, segments);
  if (segments.IsEmpty()) return;
  int l = box.caret.line;
  int c = box.caret.col;
  KxString& line = LineAt(box, l);
  KxString tail = line.Mid(-1, c);
  KxString* last = segments.At(segments.Count() - 1);
  int col;
  if (EndsWithBreak(*last)) {
    segments.Add(tail);
    col = 0;
  } else {
    col = last->Length() + (segments.Count() == 1 ? c : 0);
    last->Append(tail);
  }
  int added = segments.Count() - 1;
  if (added > 0 && !OpenLines(box.lines, l + 1, added)) return;
  line.Remove(c, line.Length() - c);
  line.Append(segments.Head()->value);
  int i = l + 1;
  for (KxListNode<KxString>* node = segments.Head()->next; node; node = node->next)
    LineAt(box, i++) = std::move(node->value);
  box.caret = KxTextPos{col, l + added};
}

// With a selection, the caret goes to its start and the selected text goes.
void ReplaceSelection(KxTextBox& box, const KxString& t) {
  if (!box.sel.IsEmpty()) {
    box.caret = box.sel.selStart;
    DeleteRange(box, box.sel.selStart, box.sel.selEnd);
  }
  if (!t.IsEmpty()) InsertAt(box, t);
}

void Changed(KxTextBox& box) {
  box.Layout();
  box.AutoSize();
  box.EnsureVisible();
  box.Invalidate(false);
}

// The common end of every deletion; removed is what already went at the caret.
void DeleteText(KxTextBox& box, const KxString& removed) {
  KxTextUndoRecord record;
  record.kind = 1;
  record.pos = box.caret;
  record.sel = box.sel;
  if (box.sel.IsEmpty()) {
    record.text = removed;
    box.undo.Add(record);
  } else {
    record.replaced = box.SelectedText();
    box.undo.Add(record);
    box.caret = box.sel.selStart;
    DeleteRange(box, box.sel.selStart, box.sel.selEnd);
  }
  Changed(box);
}

// The character at the caret (one or two bytes; at a line's end its "\r\n") is removed
// and returned; the empty text at the very end.
KxString RemoveCharAtCaret(KxTextBox& box) {
  KxString& line = LineAt(box, box.caret.line);
  KxString content = ContentOf(line);
  int n = KxCharLength(content, box.caret.col);
  if (n > 0) {
    KxString removed = line.Mid(n, box.caret.col);
    line.Remove(box.caret.col, n);
    return removed;
  }
  if (box.caret.line >= LastLine(box)) return KxString();
  RemoveRange(box, box.caret, KxTextPos{0, box.caret.line + 1});
  return kBreak;
}

// The character before the caret, the previous line's "\r\n" at column 0; the caret
// moves to where it stood.
KxString RemoveCharBeforeCaret(KxTextBox& box) {
  if (box.caret.col > 0) {
    KxString content = ContentOf(LineAt(box, box.caret.line));
    box.caret.col = KxPrevCharPos(content, box.caret.col);
  } else if (box.caret.line > 0) {
    --box.caret.line;
    box.caret.col = LengthOf(LineAt(box, box.caret.line));
  } else {
    return KxString();
  }
  return RemoveCharAtCaret(box);
}

// Moves the caret; with extend (Shift) the selection runs from the anchor to it.
void MoveCaret(KxTextBox& box, KxTextPos to, bool extend) {
  if (extend) {
    if (box.sel.IsEmpty()) box.sel.selAnchor = box.caret;
    box.caret = to;
    Ordered(box.sel, box.sel.selAnchor, box.caret);
  } else {
    box.caret = to;
    box.sel.Clear();
  }
}

int RowCount(const KxTextBox& box) { return static_cast<int>(box.rows.size()); }

// The last column the caret can take on row r and still show there: the line's end on
// its last row, before the last character on the others, whose end starts the next row.
int LastColOn(const KxTextBox& box, int r, const KxString& content) {
  const KxTextRow& row = box.rows[static_cast<size_t>(r)];
  bool lastOfLine = r + 1 >= RowCount(box) || box.rows[static_cast<size_t>(r) + 1].line != row.line;
  return lastOfLine ? row.end : KxPrevCharPos(content, row.end);
}

// The column on row r nearest to a cell offset from the row's start.
KxTextPos OnRow(const KxTextBox& box, int r, int offset) {
  const KxTextRow& row = box.rows[static_cast<size_t>(r)];
  KxString content = ContentOf(LineAt(box, row.line));
  int col = Min(row.start + offset, LastColOn(box, r, content));
  if (KxIsInsideChar(content, col)) --col;
  return KxTextPos{col, row.line};
}

// Where the caret shows on its row, in cells from the row's start: a wrapped row's
// hanging spaces past the width put it at the right edge.
int CaretCell(const KxTextBox& box, int r) {
  int cell = box.caret.col - box.rows[static_cast<size_t>(r)].start - box.scroll.col;
  return box.wrap ? Min(cell, Max(box.visibleCols, 0)) : cell;
}

// The row under a client point: a point in the top margin is on the first row shown, a
// point below the text on the last row.
int RowAtPoint(const KxTextBox& box, POINT pt) {
  int dy = Max(0, static_cast<int>(pt.y) - static_cast<int>(box.margin.top));
  int r = box.charHeight > 0 ? box.scroll.line + dy / box.charHeight : box.scroll.line;
  return Max(0, Min(r, RowCount(box) - 1));
}

// The rows of every line wrapped at cols (one a line without a column, as Layout makes
// them), counted up to limit at most.
int WrappedRows(const KxTextBox& box, int cols, int limit) {
  if (cols <= 0) return Min(box.lines.Count(), limit);
  std::vector<int> starts;
  int count = 0;
  for (const auto& item : box.lines) {
    KxWrapLine(ContentOf(item), cols, starts);
    count += static_cast<int>(starts.size());
    if (count >= limit) return limit;
  }
  return count;
}

// What a double click takes together.
enum WordKind { kWordLetters, kWordHanzi, kWordSpaces, kWordAlone };

WordKind KindAt(const KxString& content, int pos) {
  unsigned char c = static_cast<unsigned char>(content.At(pos));
  // Lead bytes 0xA1 to 0xA9 are the code page's symbols and punctuation.
  int length = KxCharLength(content, pos);
  if (length == 4) return kWordHanzi;  // outside GBK: rare Hanzi, other scripts, symbols
  if (length == 2) return c >= 0xA1 && c <= 0xA9 ? kWordAlone : kWordHanzi;
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
    return kWordLetters;
  return c == ' ' ? kWordSpaces : kWordAlone;
}

// Text is measured on one memory DC of the screen for every box: the font's metrics are
// the screen's, and a box needs no DC of its own (nor a window) to be measured.
// Made on first use and kept for the run (asked again while the platform refuses it); the
// font is selected in and out around each use. The UI thread is the only one that measures.
HDC MeasuringDc() {
  static HDC dc = NULL;
  if (!dc) dc = CreateCompatibleDC(NULL);
  return dc;
}

KxCanvas& MeasuringCanvas(KxTextBox& box) {
  if (box.measureCanvas && box.measureCanvas->Dc()) return *box.measureCanvas;
  box.measureCanvas.reset(new KxCanvas(MeasuringDc()));
  return *box.measureCanvas;
}

void Measure(KxTextBox& box) {
  HDC dc = MeasuringCanvas(box).Dc();
  if (!dc) return;
  KxSelected selected(dc, box.font.Handle());
  TEXTMETRICW metrics = {};
  if (GetTextMetricsW(dc, &metrics)) {
    box.avgCharWidth = metrics.tmAveCharWidth;
    box.charHeight = metrics.tmHeight;
  }
}

int TextWidth(KxTextBox& box, const KxString& text) {
  if (text.IsEmpty()) return 0;
  return MeasuringCanvas(box).TextExtent(box.font, text).cx;
}

void CountVisible(KxTextBox& box) {
  RECT client = box.ClientRect();
  int w = client.right - client.left - box.margin.left - box.margin.right;
  int h = client.bottom - client.top - box.margin.top - box.margin.bottom;
  box.visibleCols = box.avgCharWidth > 0 ? Max(w, 0) / box.avgCharWidth : 0;
  box.visibleRows = box.charHeight > 0 ? Max(h, 0) / box.charHeight : 0;
}

// Sets one bar's range to 0 ... total - visible (none when everything fits) and its
// position; the range only when it changed, since a new range shows or hides the bar.
void SetBar(HWND hwnd, int bar, int total, int visible, int pos) {
  int maximum = total > visible ? total - visible : 0;
  SCROLLINFO now = {};
  now.cbSize = sizeof(now);
  now.fMask = SIF_RANGE | SIF_POS;
  if (!GetScrollInfo(hwnd, bar, &now)) now.nMin = now.nMax = now.nPos = 0;
  if (now.nMin != 0 || now.nMax != maximum) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_POS;
    info.nMax = maximum;
    info.nPos = maximum > 0 ? pos : 0;
    SetScrollInfo(hwnd, bar, &info, TRUE);
    if (maximum > 0) EnableScrollBar(hwnd, bar, ESB_ENABLE_BOTH);
  } else if (now.nPos != pos) {
    SetScrollPos(hwnd, bar, pos, TRUE);
  }
}

// Moves one bar for a WM_VSCROLL or WM_HSCROLL request and returns its position as the
// platform kept it.
int ScrollBarTo(HWND hwnd, int bar, WPARAM request) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_POS;
  if (!GetScrollInfo(hwnd, bar, &info)) return 0;
  int pos = info.nPos;
  int span = info.nMax - info.nMin;
  switch (LOWORD(request)) {
    case SB_LINEUP: pos -= 1; break;
    case SB_LINEDOWN: pos += 1; break;
    case SB_PAGEUP: pos -= span; break;
    case SB_PAGEDOWN: pos += span; break;
    case SB_TOP: pos = info.nMin; break;
    case SB_BOTTOM: pos = info.nMax; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: pos = HIWORD(request); break;
    default: break;
  }
  if (pos != info.nPos) SetScrollPos(hwnd, bar, pos, TRUE);
  info.fMask = SIF_POS;
  GetScrollInfo(hwnd, bar, &info);
  return info.nPos;
}

// A position taken from a mouse message: the words of lParam are signed.
POINT Signed(POINT pt) {
  POINT p = {static_cast<short>(pt.x), static_cast<short>(pt.y)};
  return p;
}

}  // namespace

KxTextBox::KxTextBox() : KxTextControl(nullptr) {
  // The box measures its text in pixels and is sized from it: its rectangle is pixels.
  pixelLayout = true;
  borderStyle = 2;
  bkColor = kxWhiteColor;
  lines.Add(KxString());
  rows.push_back(KxTextRow());
}

KxTextBox::~KxTextBox() {
  undo.Clear();
  lines.Clear();
  DropCaret();
  measureCanvas.reset();
}

bool KxTextBox::Create(KxControl* parentControl, const KxRect& rect) {
  // The parent owns the box as it owns any control made with it; a box deleted first
  // leaves the list again in the base destructor.
  if (parentControl && !parent) parentControl->children.Add(this);
  if (!KxControl::Create(parentControl, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER, rect))
    return false;
  measureCanvas.reset(new KxCanvas(MeasuringDc()));
  Measure(*this);
  Layout();
  return true;
}

KxString KxTextBox::GetClassName() const { return "KxTextBox"; }

LRESULT KxTextBox::WndProc(KxMsg& m) {
  if (m.msg == WM_MOUSEWHEEL) {
    ScrollByWheel(GET_WHEEL_DELTA_WPARAM(m.wParam));
    // Not on to the default procedure, which hands the wheel to the parent: an owner that
    // passes its wheel to the box would have it back.
    if (KxEvt* listener = msgHandlers.Find(m.msg)) {
      KxEvtParam p = KxMakeEvtParam(m);
      listener->Invoke(p);
    }
    return 0;
  }
  if (m.msg == WM_NCHITTEST && transparentEdge > 0) {
    POINT at = {static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))};
    RECT r = WindowRect();
    int edge = Px(transparentEdge);
    if (at.x < r.left + edge || at.x >= r.right - edge || at.y < r.top + edge ||
        at.y >= r.bottom - edge)
      return HTTRANSPARENT;
  }
  return KxTextControl::WndProc(m);
}

// ---- Text

void KxTextBox::Clear() {
  lines.Clear();
  lines.Add(KxString());
  caret = scroll = KxTextPos();
  sel.Clear();
  undo.Clear();
  if (hwnd) {
    Changed(*this);
  } else {
    Layout();
  }
}

void KxTextBox::SetText(const KxString& t) {
  lines.Clear();
  lines.Add(KxString());
  caret = scroll = KxTextPos();
  sel.Clear();
  undo.Clear();
  InsertText(t);
  // Undo goes back to this text, never below it.
  undo.Clear();
}

KxString KxTextBox::GetText() const { return KxString::Join(lines, ""); }

void KxTextBox::InsertText(const KxString& t) {
  // Recorded as it goes in, so that undo takes back exactly these bytes.
  KxString text = Normalized(t);
  if (!text.IsEmpty() || !sel.IsEmpty()) {
    KxTextUndoRecord record;
    record.kind = 0;
    record.pos = caret;
    record.text = text;
    record.replaced = SelectedText();
    record.sel = sel;
    undo.Add(record);
    ReplaceSelection(*this, text);
  }
  if (hwnd) {
    Changed(*this);
  } else {
    Layout();
  }
}

void KxTextBox::SelectAll() {
  sel.selStart = sel.selAnchor = KxTextPos();
  sel.selEnd = KxTextPos{LengthOf(LineAt(*this, LastLine(*this))), LastLine(*this)};
  if (hwnd) Invalidate(false);
}

KxString KxTextBox::SelectedText() const {
  if (sel.IsEmpty()) return KxString();
  return TextBetween(*this, sel.selStart, sel.selEnd);
}

void KxTextBox::Copy() { SetClipboardText(SelectedText(), hwnd); }

void KxTextBox::Cut() {
  if (sel.IsEmpty()) return;
  Copy();
  DeleteText(*this, KxString());
}

void KxTextBox::Paste() {
  // An empty clipboard leaves a selection standing.
  KxString pasted = GetClipboardText();
  if (!pasted.IsEmpty()) InsertText(pasted);
}

void KxTextBox::Undo() {
  const KxTextUndoRecord* r = undo.StepBack();
  if (!r) return;
  if (r->kind == 0) {
    KxTextPos at = r->sel.IsEmpty() ? r->pos : r->sel.selStart;
    RemoveRange(*this, at, EndOf(at, r->text));
    caret = at;
    InsertAt(*this, r->replaced);
    caret = r->pos;
  } else if (r->sel.IsEmpty()) {
    caret = r->pos;
    InsertAt(*this, r->text);
  } else {
    caret = r->sel.selStart;
    InsertAt(*this, r->replaced);
    caret = r->sel.selEnd;
  }
  sel = r->sel;
  Changed(*this);
}

void KxTextBox::Redo() {
  const KxTextUndoRecord* r = undo.StepForward();
  if (!r) return;
  caret = r->pos;
  sel = r->sel;
  if (r->kind == 0) {
    ReplaceSelection(*this, r->text);
  } else if (sel.IsEmpty()) {
    RemoveRange(*this, caret, EndOf(caret, r->text));
  } else {
    caret = sel.selStart;
    DeleteRange(*this, sel.selStart, sel.selEnd);
  }
  Changed(*this);
}

// ---- Layout

void KxTextBox::AutoSize() {
  if (!autoSize || !hwnd) return;
  SIZE size = AutoSizeExtent();
  // Most changes keep the size: no move of the window, and no WM_SIZE to its parent.
  RECT now = WindowRect();
  if (now.right - now.left == size.cx && now.bottom - now.top == size.cy) return;
  Resize(size.cx, size.cy);
}

void KxTextBox::MeasureFont() { Measure(*this); }

void KxTextBox::OnDpiChanged(int) {
  Measure(*this);
  Layout();
  AutoSize();
  EnsureVisible();
}

SIZE KxTextBox::AutoSizeExtent() {
  Measure(*this);
  // A line as wide as its cells too: the text is drawn and the caret placed cell by cell,
  // so a box narrower than the cells would cut the line and show a scroll bar.
  int widest = 0;
  for (const auto& item : lines) {
    KxString content = ContentOf(item);
    widest = Max(widest, Max(TextWidth(*this, content), content.Length() * avgCharWidth));
  }
  // The frame is one pixel on each side.
  int across = margin.left + margin.right + 2;
  int w = widest + across;
  if (maxAutoWidth > 0) w = Min(w, maxAutoWidth);
  w = Max(w, Max(8, minAutoWidth));
  int textRows = lines.Count();
  if (wrap && avgCharWidth > 0)
    textRows = WrappedRows(*this, Max(0, w - across) / avgCharWidth, INT_MAX);
  int h = charHeight * textRows + margin.top + margin.bottom + 2;
  // Cut lines scroll sideways: the bar under them takes a row's room otherwise.
  if (!wrap && w < widest + across) h += KxMetric(SM_CYHSCROLL, dpi);
  // A text taller than the bound gets the vertical bar, whose width the rows lose: the
  // layout after the resize wraps at the width that is left.
  if (maxAutoHeight > 0) h = Min(h, maxAutoHeight);
  h = Max(h, minAutoHeight);
  return SIZE{w, h};
}

void KxTextBox::EnsureVisible() { Fit(true); }

void KxTextBox::SetWrap(bool value) {
  wrap = value;
  if (wrap) scroll.col = 0;
  Layout();
  if (!hwnd) return;
  AutoSize();
  EnsureVisible();
  Invalidate(false);
}

void KxTextBox::Layout() {
  CountVisible(*this);
  rows.clear();
  // A box without a column yet shows nothing: one row a line until it has a size.
  bool wrapping = wrap && visibleCols > 0;
  std::vector<int> starts(1, 0);
  int index = 0;
  for (const auto& item : lines) {
    int length = LengthOf(item);
    if (wrapping) KxWrapLine(ContentOf(item), visibleCols, starts);
    for (size_t i = 0; i < starts.size(); ++i) {
      KxTextRow row;
      row.line = index;
      row.start = starts[i];
      row.end = i + 1 < starts.size() ? starts[i + 1] : length;
      rows.push_back(row);
    }
    ++index;
  }
  rowsCols = visibleCols;
  rowsWrap = wrap;
}

bool KxTextBox::RowsStale() const { return rowsWrap != wrap || (wrap && rowsCols != visibleCols); }

int KxTextBox::RowOf(const KxTextPos& p) const {
  // The last row that starts at or before p.
  int low = 0;
  int high = RowCount(*this);
  while (low < high) {
    int middle = (low + high) / 2;
    const KxTextRow& row = rows[static_cast<size_t>(middle)];
    if (row.line > p.line || (row.line == p.line && row.start > p.col)) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return Max(0, low - 1);
}

void KxTextBox::Fit(bool toCaret) {
  int top = Max(0, Min(scroll.line, RowCount(*this) - 1));
  KxTextPos first = {rows[static_cast<size_t>(top)].start, rows[static_cast<size_t>(top)].line};
  fitting = true;
  // A bar that appears or goes changes the client area and so the counts the ranges
  // rest on, and the rows with wrap: go again until they hold.
  for (int pass = 0; pass < 3; ++pass) {
    RECT client = ClientRect();
    if (client.right - client.left <= 0 || client.bottom - client.top <= 0) break;
    CountVisible(*this);
    if (visibleCols <= 0 || visibleRows <= 0) break;
    if (RowsStale()) {
      Layout();
      scroll.line = RowOf(first);
    }
    int cols = visibleCols;
    int shown = visibleRows;

    if (toCaret) {
      int caretRow = RowOf(caret);
      if (caretRow < scroll.line) {
        scroll.line = caretRow;
      } else if (caretRow >= scroll.line + shown) {
        scroll.line = caretRow - shown + 1;
      }
    }
    int longest = 0;
    if (!wrap) {
      int caretLineLength = LengthOf(LineAt(*this, caret.line));
      if (toCaret && caret.col < scroll.col) {
        scroll.col = caret.col;
      } else if (toCaret && scroll.col + cols < caretLineLength && caret.col >= scroll.col + cols) {
        scroll.col = caret.col - cols + 1;
      }
      for (const auto& item : lines)
        longest = Max(longest, LengthOf(item));
    }
    // Never past the end of a range: the bar could not show it, and the caret stays in
    // view (it is on a row and within a length that the range covers).
    scroll.col = Max(0, Min(scroll.col, Max(0, longest - cols)));
    int total = RowCount(*this);
    if (wrap && total > shown && (GetWindowLongW(hwnd, GWL_STYLE) & WS_VSCROLL)) {
      // Rows that overflow only for the width the bar takes fit without it.
      int wide = client.right - client.left + KxMetric(SM_CXVSCROLL, dpi) - margin.left -
                 margin.right;
      if (WrappedRows(*this, wide / avgCharWidth, shown + 1) <= shown) total = 0;
    }
    scroll.line = Max(0, Min(scroll.line, Max(0, total - shown)));

    SetBar(hwnd, SB_HORZ, longest, cols, scroll.col);
    SetBar(hwnd, SB_VERT, total, shown, scroll.line);
    CountVisible(*this);
    if (visibleCols == cols && visibleRows == shown) break;
  }
  fitting = false;
}

KxTextPos KxTextBox::PosFromPoint(POINT pt) const {
  // A point in a margin counts as the nearest cell shown, not as the start of the text.
  int dx = Max(0, static_cast<int>(pt.x) - static_cast<int>(margin.left));
  int r = RowAtPoint(*this, pt);
  const KxTextRow& row = rows[static_cast<size_t>(r)];
  KxTextPos p = {row.start, row.line};
  if (row.end <= row.start || avgCharWidth <= 0) return p;
  KxString content = ContentOf(LineAt(*this, row.line));
  int last = LastColOn(*this, r, content);
  int col = row.start + scroll.col + dx / avgCharWidth;
  if (col >= last) {
    col = last;
  } else if (KxIsInsideChar(content, col)) {
    ++col;
  } else if (KxCharLength(content, col) == 1 && dx % avgCharWidth > avgCharWidth / 2) {
    ++col;
  }
  p.col = col;
  return p;
}

void KxTextBox::OnSize(const RECT&) {
  CountVisible(*this);
  // Within Fit a bar changes the size; Fit itself goes round again.
  if (wrap && !fitting) Fit(false);
  Invalidate(false);
}

void KxTextBox::OnDraw(KxCanvas& canvas) {
  canvas.SetBkMode(TRANSPARENT);
  if (avgCharWidth <= 0 || charHeight <= 0) return;
  if (RowsStale()) Layout();
  RECT client = ClientRect();
  int left = margin.left;
  int top = margin.top;
  int cols = Max(visibleCols, 0);
  int firstShown = Max(scroll.line, 0);
  int endShown = Min(firstShown + Max(visibleRows, 0), RowCount(*this));

  if (!sel.IsEmpty()) {
    for (int r = firstShown; r < endShown; ++r) {
      const KxTextRow& row = rows[static_cast<size_t>(r)];
      if (row.line < sel.selStart.line || row.line > sel.selEnd.line) continue;
      int from = row.line == sel.selStart.line ? sel.selStart.col : 0;
      int to = row.line == sel.selEnd.line ? sel.selEnd.col : row.end;
      from = Max(from, row.start + scroll.col);
      to = Min(to, Min(row.end, row.start + scroll.col + cols));
      if (to <= from) continue;
      int y = top + (r - scroll.line) * charHeight;
      int x = left - (row.start + scroll.col) * avgCharWidth;
      RECT band = {x + from * avgCharWidth, y, x + to * avgCharWidth, y + charHeight};
      canvas.FillRect(kxTextSelectionColor, band);
    }
  }

  // Text scrolled out to the left stays out of the margin.
  int saved = SaveDC(canvas.Dc());
  IntersectClipRect(canvas.Dc(), left, 0, client.right, client.bottom);
  const KxStringList::Node* node = nullptr;
  int nodeLine = -1;
  KxString content;
  for (int r = firstShown; r < endShown; ++r) {
    const KxTextRow& row = rows[static_cast<size_t>(r)];
    if (row.line != nodeLine) {
      // A line's rows follow each other, and every line has one.
      node = node && row.line == nodeLine + 1 ? node->next : lines.NodeAt(row.line);
      if (!node) break;
      nodeLine = row.line;
      content = ContentOf(node->value);
    }
    int start = row.start + scroll.col;
    if (start >= row.end) continue;
    int x = left;
    // A character cut by the left edge is drawn whole from its lead byte, half hidden,
    // never from its second byte.
    if (KxIsInsideChar(content, start)) {
      --start;
      x -= avgCharWidth;
    }
    int end = Min(row.start + scroll.col + cols, row.end);
    if (KxIsInsideChar(content, end)) ++end;
    if (end <= start) continue;
    int y = top + (r - scroll.line) * charHeight;
    RECT band = {x, y, client.right, y + charHeight};
    canvas.DrawText(font, textColor, content.Mid(end - start, start), band, format);
  }
  RestoreDC(canvas.Dc(), saved);

  if (GetFocus() == hwnd) {
    int r = RowOf(caret);
    SetCaretPos(left + CaretCell(*this, r) * avgCharWidth, top + (r - scroll.line) * charHeight);
  }
}

// ---- Focus and mouse

void KxTextBox::OnSetFocus() {
  measureCanvas.reset(new KxCanvas(MeasuringDc()));
  Measure(*this);
  CountVisible(*this);
  caret = KxTextPos();
  pendingHigh = 0;
  ShowNewCaret(charHeight);
  Invalidate(false);
}

void KxTextBox::OnKillFocus() {
  DropCaret();
  pendingHigh = 0;
  sel.Clear();
  Invalidate(false);
  measureCanvas.reset();
}

void KxTextBox::OnLButtonDown(WPARAM, POINT pt) {
  if (!IsWindowEnabled(hwnd)) return;
  sel.Clear();
  caret = sel.selAnchor = PosFromPoint(Signed(pt));
  EnsureVisible();
  Invalidate(false);
}

void KxTextBox::OnLButtonDblClk(WPARAM, POINT pt) {
  if (IsWindowEnabled(hwnd)) SelectWordAt(Signed(pt));
}

void KxTextBox::SelectWordAt(POINT client) {
  int r = RowAtPoint(*this, client);
  const KxTextRow& row = rows[static_cast<size_t>(r)];
  sel.Clear();
  caret = KxTextPos{row.start, row.line};
  if (row.end > row.start && avgCharWidth > 0) {
    KxString content = ContentOf(LineAt(*this, row.line));
    // The character under the point; past the row's end its last one.
    int dx = Max(0, static_cast<int>(client.x) - static_cast<int>(margin.left));
    int col = row.start + scroll.col + dx / avgCharWidth;
    if (col >= row.end) {
      col = KxPrevCharPos(content, row.end);
    } else if (KxIsInsideChar(content, col)) {
      --col;
    }
    // The run it belongs to, from the line's start: only there are characters sure.
    int from = 0;
    WordKind kind = kWordAlone;
    for (int pos = 0; pos <= col; pos += KxCharLength(content, pos)) {
      WordKind k = KindAt(content, pos);
      if (pos == 0 || k != kind || k == kWordAlone) from = pos;
      kind = k;
    }
    int to = col + KxCharLength(content, col);
    if (kind != kWordAlone) {
      while (to < content.Length() && KindAt(content, to) == kind) to += KxCharLength(content, to);
    }
    sel.selStart = sel.selAnchor = KxTextPos{from, row.line};
    sel.selEnd = caret = KxTextPos{to, row.line};
  }
  EnsureVisible();
  Invalidate(false);
}

void KxTextBox::SetCaretAt(POINT client) {
  sel.Clear();
  caret = PosFromPoint(client);
  EnsureVisible();
  Invalidate(false);
}

void KxTextBox::OnMouseMove(WPARAM, POINT pt) {
  if (!pressed) return;
  POINT at = Signed(pt);
  POINT screen = at;
  ClientToScreen(hwnd, &screen);
  if (WindowFromPoint(screen) != hwnd) return;
  KxTextPos p = PosFromPoint(at);
  if (p == caret) return;
  caret = p;
  Ordered(sel, sel.selAnchor, caret);
  EnsureVisible();
  Invalidate(false);
}

// ---- Keys

void KxTextBox::OnKeyDown(WPARAM key, LPARAM) {
  if (!IsWindowEnabled(hwnd)) return;
  if (KeyIsDown(VK_CONTROL)) {
    RunShortcut(key);
  } else {
    bool shift = KeyIsDown(VK_SHIFT);
    KxString content = ContentOf(LineAt(*this, caret.line));
    switch (key) {
      case VK_END:
        MoveCaret(*this, KxTextPos{content.Length(), caret.line}, shift);
        break;
      case VK_HOME:
        MoveCaret(*this, KxTextPos{0, caret.line}, shift);
        break;
      case VK_LEFT:
        MoveCaret(*this, KxTextPos{KxPrevCharPos(content, caret.col), caret.line}, shift);
        break;
      case VK_RIGHT:
        MoveCaret(*this, KxTextPos{KxNextCharPos(content, caret.col), caret.line}, shift);
        break;
      case VK_UP:
      case VK_DOWN: {
        int r = RowOf(caret);
        int to = key == VK_UP ? r - 1 : r + 1;
        bool moves = to >= 0 && to < RowCount(*this);
        MoveCaret(*this, moves ? OnRow(*this, to, CaretCell(*this, r) + scroll.col) : caret, shift);
        break;
      }
      case VK_DELETE:
        if (!sel.IsEmpty()) {
          DeleteText(*this, KxString());
        } else {
          KxString removed = RemoveCharAtCaret(*this);
          if (!removed.IsEmpty()) DeleteText(*this, removed);
        }
        break;
      default:
        break;
    }
  }
  EnsureVisible();
  Invalidate(false);
}

void KxTextBox::OnChar(WPARAM wParam, LPARAM) {
  if (!IsWindowEnabled(hwnd) || wParam > 0xFFFF) return;
  wchar_t ch = static_cast<wchar_t>(wParam);
  // Ctrl alone makes control characters; with Alt it is AltGr, which types @, { or the euro.
  if (KeyIsDown(VK_CONTROL) && !KeyIsDown(VK_MENU) && ch != 10) return;
  if (ch >= 0x20) {
    KxString typed = KxTypedChar(ch, &pendingHigh);
    if (!typed.IsEmpty()) InsertText(typed);
    return;
  }
  pendingHigh = 0;
  switch (ch) {
    case 8:
      if (!sel.IsEmpty()) {
        DeleteText(*this, KxString());
      } else {
        KxString removed = RemoveCharBeforeCaret(*this);
        if (!removed.IsEmpty()) DeleteText(*this, removed);
      }
      break;
    case 9:
      InsertText("    ");
      break;
    case 10:
    case 13:
      InsertText(kBreak);
      break;
    default:
      // Other control characters (Escape among them) have no place in the text.
      break;
  }
}

// ---- Scroll bars

void KxTextBox::OnVScroll(WPARAM wParam, LPARAM) {
  scroll.line = ScrollBarTo(hwnd, SB_VERT, wParam);
  Invalidate(false);
}

void KxTextBox::OnHScroll(WPARAM wParam, LPARAM) {
  scroll.col = wrap ? 0 : ScrollBarTo(hwnd, SB_HORZ, wParam);
  Invalidate(false);
}

// ---- Wheel

void KxTextBox::ScrollByWheel(int delta) {
  UINT perNotch = 3;
  if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0)) perNotch = 3;
  if (perNotch == 0 || delta == 0) return;
  int step = perNotch == WHEEL_PAGESCROLL ? Max(1, visibleRows)
                                          : static_cast<int>(perNotch > 1000 ? 1000 : perNotch);
  // A turn back the other way starts afresh, as does one that meets the end of the range.
  if ((wheelRest > 0) != (delta > 0)) wheelRest = 0;
  wheelRest += delta * step;
  int turned = wheelRest / WHEEL_DELTA;
  wheelRest -= turned * WHEEL_DELTA;
  if (turned == 0) return;
  int wanted = scroll.line - turned;
  int line = Max(0, Min(wanted, Max(0, RowCount(*this) - visibleRows)));
  if (line != wanted) wheelRest = 0;
  if (line == scroll.line) return;
  scroll.line = line;
  if (hwnd) SetScrollPos(hwnd, SB_VERT, line, TRUE);
  Invalidate(false);
}
