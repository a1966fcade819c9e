#pragma once
// The toolkit's self-drawn multi-line editor: the text is a list of lines ending in "\r\n"
// (all but the last), laid out on a grid of average-character cells in rows: one row per
// line scrolled sideways by whole characters, or each line wrapped into rows at the box's
// width (KxWrapLine). Rows scroll with the vertical bar and the wheel. Selection, undo,
// clipboard, tabs and the double-byte rules are those of the edit field.

#include "kx/KxEdit.h"

#include <memory>
#include <vector>

// A place in the text: byte column within the line, and line index.
struct KxTextPos {
  int col = 0;
  int line = 0;
  bool operator==(const KxTextPos& o) const { return col == o.col && line == o.line; }
  bool operator!=(const KxTextPos& o) const { return !(*this == o); }
  bool operator<(const KxTextPos& o) const {
    return line < o.line || (line == o.line && col < o.col);
  }
};

// selStart == selEnd means no selection; selAnchor is where a shift- or mouse-selection began.
struct KxTextSel {
  KxTextPos selStart;
  KxTextPos selEnd;
  KxTextPos selAnchor;
  bool IsEmpty() const { return selStart == selEnd; }
  void Clear() { selStart = selEnd = selAnchor = KxTextPos(); }
};

// One row on the screen: the bytes start to end of a line, where end is the next row's
// start or the line's length (without its "\r\n").
struct KxTextRow {
  int line = 0;
  int start = 0;
  int end = 0;
};

// One action, as in the edit field's history but with (column, line) positions.
struct KxTextUndoRecord {
  int kind = 0;  // 0 inserted text at pos over the selection replaced; 1 deleted
  KxTextPos pos;
  KxString replaced;
  KxString text;
  KxTextSel sel;
};

class KxTextBox : public KxTextControl {
public:
  // No parent and no window until Create.
  KxTextBox();
  ~KxTextBox() override;

  // A child window of parent; false when the window cannot be made.
  bool Create(KxControl* parent, const KxRect& rect);

  KxString GetClassName() const override;
  // The wheel and the transparent edge before the control's own handling.
  LRESULT WndProc(KxMsg& m) override;
  void OnSize(const RECT& client) override;
  void OnDraw(KxCanvas& canvas) override;
  void OnLButtonDown(WPARAM keys, POINT pt) override;
  void OnLButtonDblClk(WPARAM keys, POINT pt) override;
  void OnMouseMove(WPARAM keys, POINT pt) override;
  void OnKeyDown(WPARAM key, LPARAM lParam) override;
  void OnChar(WPARAM ch, LPARAM lParam) override;
  void OnVScroll(WPARAM wParam, LPARAM lParam) override;
  void OnHScroll(WPARAM wParam, LPARAM lParam) override;
  void OnSetFocus() override;
  void OnKillFocus() override;

  void Clear();
  // Clear, then InsertText: the history holds that one insertion.
  void SetText(const KxString& t);
  KxString GetText() const;
  // Replaces the selection; tabs become four spaces. Undoable, like typing.
  void InsertText(const KxString& t);
  void SelectAll() override;
  KxString SelectedText() const;
  void Copy() override;
  void Cut() override;
  void Paste() override;
  void Undo() override;
  void Redo() override;
  // With autoSize: as wide as the widest line, within the width bounds; as high as the
  // rows at that width, within the height bounds.
  void AutoSize();
  // The size AutoSize gives the text now, bounds and wrapping included; also without a
  // window (the text measured with the box's font), so a parent can be made at its size.
  SIZE AutoSizeExtent();
  // avgCharWidth and charHeight from the font; also without a window.
  void MeasureFont();
  // The font is measured again and the text laid out at the new scale.
  void OnDpiChanged(int oldDpi) override;
  // Scrolls so that the caret's row (and column, without wrap) is shown, and sets the bars.
  void EnsureVisible();
  // The text position nearest to a client point on the row under it, never inside a
  // two-byte character. Past a row's end: the line's end on its last row, before the
  // row's last character on the others (their end is the next row's start).
  KxTextPos PosFromPoint(POINT pt) const;
  void SetAutoSize(bool value) { autoSize = value; }
  // Switches wrapping and lays the rows out again.
  void SetWrap(bool value);
  // Makes rows again from the lines, for wrap and the columns shown now.
  void Layout();
  // The row that shows a position; a column on the boundary of two rows is on the lower.
  int RowOf(const KxTextPos& p) const;
  // Scrolls by wheel turns (WHEEL_DELTA a notch), the rows the system setting asks for;
  // a disabled box scrolls too, for an owner that hands it the wheel.
  void ScrollByWheel(int delta);
  // Selects the word under a client point: ASCII letters, digits and '_'; Chinese
  // characters (two-byte ones but the symbols of lead bytes 0xA1 to 0xA9); spaces; or
  // any other single character alone.
  void SelectWordAt(POINT client);
  // The caret at the position nearest a client point, no selection, in view.
  void SetCaretAt(POINT client);

  UINT format = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;  // "&" is text, never a mnemonic
  std::unique_ptr<KxCanvas> measureCanvas;  // over the memory DC every box measures on
  bool autoSize = false;
  bool wrap = false;  // SetWrap applies it at once; set directly, at the next change or paint
  // Bounds of the auto size, window pixels; 0 is no bound, and a maximum below its
  // minimum counts as the minimum.
  int minAutoWidth = 0;
  int minAutoHeight = 0;
  int maxAutoWidth = 0;
  int maxAutoHeight = 0;
  COLORREF textColor = kxBlackColor;
  // Within this many pixels (at 96 DPI) of the outer edge the box lets the mouse through to
  // its parent (HTTRANSPARENT), which may resize itself there; 0 is no such band.
  int transparentEdge = 0;
  int visibleCols = 0;
  int visibleRows = 0;
  int avgCharWidth = 0;
  int charHeight = 0;
  KxTextPos caret;
  KxTextPos scroll;       // first column and first row shown; the column stays 0 with wrap
  KxStringList lines;     // every line but the last ends with "\r\n"; never empty
  std::vector<KxTextRow> rows;  // in text order; never empty
  KxTextSel sel;
  KxUndoList<KxTextUndoRecord> undo;

private:
  bool RowsStale() const;
  // Rows and bars for the size and text as they are: the caret's row brought into view, or
  // the first row's text kept at the top.
  void Fit(bool toCaret);

  int rowsCols = -1;  // the columns and the wrap the rows were made for
  bool rowsWrap = false;
  bool fitting = false;  // a bar shown or hidden by Fit resizes the client area
  int wheelRest = 0;     // wheel turned short of a row, times the rows per notch
};
