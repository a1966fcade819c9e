#pragma once
// The toolkit's single-line edit field: a self-drawn control with a caret, a selection,
// horizontal scrolling, undo and redo, the clipboard, an optional password character,
// an optional length limit and a width that can follow the text. Also what the multi-line
// text box shares with it: the undo history and the base of both, KxTextControl; both
// step through text by characters (kx/base/KxString.h).

#include "kx/KxControl.h"
#include "kx/KxMessages.h"

#include <memory>

// ---- Undo history

// A selection by byte index; selStart == selEnd means none. selAnchor is where a shift-
// or mouse-selection began.
struct KxEditSel {
  int selStart = 0;
  int selEnd = 0;
  int selAnchor = 0;
  bool IsEmpty() const { return selStart == selEnd; }
  void Clear() { selStart = selEnd = selAnchor = 0; }
};

// One action. kind 0 inserted text at pos over the selection replaced; kind 1 deleted
// text (the bytes at pos) or, with a selection, replaced. sel is the selection before.
struct KxUndoRecord {
  int kind = 0;
  int pos = 0;
  KxString replaced;
  KxString text;
  KxEditSel sel;
};

// index records are applied; recording drops the redo tail first. The text box keeps
// records of its own (column and line positions) in the same history.
template <class Record>
class KxUndoList {
public:
  void Add(const Record& record) {
    while (records.Count() > index) records.Remove(records.Tail());
    records.Add(record);
    index = records.Count();
  }
  // The record to take back, or nullptr when nothing is applied.
  const Record* StepBack() {
    if (index <= 0) return nullptr;
    --index;
    return records.At(index);
  }
  // The record to apply again, or nullptr when there is none.
  const Record* StepForward() {
    if (index >= records.Count()) return nullptr;
    return records.At(index++);
  }
  void Clear() {
    records.Clear();
    index = 0;
  }

  int index = 0;
  KxList<Record> records;
};

using KxUndoHistory = KxUndoList<KxUndoRecord>;

// ---- The base of the edit and the text box

// A self-drawn text control: the I-beam pointer, characters of any input language, the
// caret while it has the focus, and the keys of the clipboard and the history.
class KxTextControl : public KxControl {
public:
  explicit KxTextControl(KxControl* parent) : KxControl(parent) {}

  bool OnSetCursor() override;
  bool OnInputLangChange() override { return true; }

  virtual void SelectAll() = 0;
  virtual void Copy() = 0;
  virtual void Cut() = 0;
  virtual void Paste() = 0;
  virtual void Undo() = 0;
  virtual void Redo() = 0;

  HWND caretShown = NULL;  // the window that owns the created caret

protected:
  // A new caret, height pixels high, at the top left inside the margin.
  void ShowNewCaret(int height);
  void DropCaret();
  // Ctrl with A, C, V, X, Z, or U or Y (both redo); other keys do nothing.
  void RunShortcut(WPARAM key);
};

// ---- The edit

class KxEdit : public KxTextControl {
public:
  KxEdit(KxControl* parent, const KxString& text, const KxRect& rect);
  ~KxEdit() override;

  KxString GetClassName() const override;
  void OnDraw(KxCanvas& canvas) override;
  void OnLButtonDown(WPARAM keys, POINT pt) override;
  void OnLButtonDblClk(WPARAM keys, POINT pt) override;
  void OnMouseMove(WPARAM keys, POINT pt) override;
  void OnKeyDown(WPARAM key, LPARAM lParam) override;
  void OnChar(WPARAM ch, LPARAM lParam) override;
  void OnSetFocus() override;
  void OnKillFocus() override;
  // The font of the new DPI: measured again, the width and the caret after it.
  void OnDpiChanged(int oldDpi) override;

  // A new text starts a new undo history: the old records name positions it lacks.
  void SetText(const KxString& t);
  const KxString& GetText() const { return text; }
  void SelectAll() override;
  KxString SelectedText() const;
  // Tabs become four spaces; replaces the selection. Undoable, like typing.
  void InsertText(const KxString& t);
  void DeleteSelection();
  // The character at the caret, or the selection.
  void Delete();
  void Copy() override;
  void Cut() override;
  void Paste() override;
  void Undo() override;
  void Redo() override;
  void AdjustWidth();
  // The byte position nearest to client x, never inside a two-byte character.
  int PosFromX(int x);

  // Read-only text can still be selected, walked and copied, only not changed.
  void SetReadOnly(bool value) { readOnly = value; }
  void SetPasswordChar(char ch);
  void SetAutoWidth(bool value) { autoWidth = value; }
  void SetMaxLength(int value) { maxLength = value; }
  void SetFormat(UINT value) { format = value; }

  int Caret() const { return caret; }
  const KxEditSel& Selection() const { return sel; }
  int ScrollX() const { return scrollX; }

  bool readOnly = false;
  int avgCharWidth = 0;
  int charHeight = 0;
  int caret = 0;
  int scrollX = 0;
  std::unique_ptr<KxCanvas> measureCanvas;  // GetDC of the own window, for measuring
  KxUndoHistory undo;
  UINT format = DT_VCENTER | DT_SINGLELINE;
  char passwordChar = 0;
  bool autoWidth = false;
  KxString text;
  KxEditSel sel;
  int maxLength = 0;  // 0: no limit; pastes ignore it

private:
  void Measure();
  // What is drawn and measured: the text, or the password character once per byte.
  KxString Shown() const;
  int WidthOf(int bytes);
  void RecordInsertion(const KxString& inserted);
  void InsertBytes(const KxString& t);
  void RemoveSelection();
  void Changed();
  void Notify();
  // Moves the caret to pos; with extend, the selection runs from the anchor to it.
  void MoveCaret(int pos, bool extend);
};
