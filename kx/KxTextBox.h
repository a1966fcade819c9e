#pragma once
// The toolkit's self-drawn multi-line editor: the text is a list of lines ending in "\r\n"
// (all but the last), laid out on a grid of average-character cells and scrolled by whole
// characters and lines with both scroll bars. Selection, undo, clipboard, tabs and the
// double-byte rules are those of the edit field.

#include "kx/KxEdit.h"

#include <memory>

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
  void AutoSize();
  void EnsureVisible();
  // The text position nearest to a client point, never inside a two-byte character.
  KxTextPos PosFromPoint(POINT pt) const;
  void SetAutoSize(bool value) { autoSize = value; }

  UINT format = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;  // "&" is text, never a mnemonic
  std::unique_ptr<KxCanvas> measureCanvas;  // GetDC of the own window, for measuring
  bool autoSize = false;
  int visibleCols = 0;
  int visibleRows = 0;
  int avgCharWidth = 0;
  int charHeight = 0;
  KxTextPos caret;
  KxTextPos scroll;       // first column and first line shown
  KxStringList lines;     // every line but the last ends with "\r\n"; never empty
  KxTextSel sel;
  KxUndoList<KxTextUndoRecord> undo;
};
