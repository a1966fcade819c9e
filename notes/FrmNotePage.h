#pragma once
// A sticky note: one borderless window in its colour per row of KX_NOTE, showing the note's text
// in a text box that is enabled only while the note is edited, and the note's menu. The
// window writes its own text and rectangle to the store; what else is asked of it (editing,
// its menu, the row to select) it reports to the list of note windows that owns it.

#include "kx/KxForm.h"
#include "kx/KxMonitors.h"
#include "kx/KxTextBox.h"
#include "notes/NotePlacement.h"
#include "store/NoteRecord.h"

class FrmNotePage;

// What the note menu chose; the list of note windows carries it out.
enum class NoteMenuChoice { kNone, kHide, kShow, kHideAll, kShowAll, kClone, kEdit, kDelete, kPin, kUnpin, kColor };

// Said when a change of a note cannot be written; the note stays as it is.
extern const char kNoteChangeNotStored[];
// The colour names of the note menu, by colour index (N_FLAG bits 2 to 4).
extern const char* const kNoteColorNames[kNoteColorCount];
// The background a note of that colour index is drawn in.
COLORREF NoteBackColor(int color);

// Where a note window reports: the list that owns it.
class NoteWindowEvents {
public:
  // A double click on the note, at a point of the note's client area.
  virtual void EditAsked(FrmNotePage& page, POINT at) = 0;
  // A right click on the note or its box.
  virtual void MenuAsked(FrmNotePage& page) = 0;
  // The button went up on the note, its rectangle stored.
  virtual void Released(FrmNotePage& page) = 0;
  // The note's text, text, is written to the store.
  virtual void TextStored(FrmNotePage& page, const KxString& text) = 0;

protected:
  ~NoteWindowEvents() = default;
};

class FrmNotePage : public KxPopForm {
public:
  // The note of record, at its stored place (and size, unless the size is automatic), not
  // shown yet. A window or box the
  // platform refused leaves hwnd or textBox empty.
  // areas: the monitors' work areas, which bound an automatic size.
  FrmNotePage(NoteWindowEvents& events, const NoteRecord& record, const MonitorAreas& areas);
  ~FrmNotePage() override;

  LRESULT WndProc(KxMsg& m) override;
  // A note goes only through its menu: Alt+F4 on it would drop the window of a live row.
  bool CanClose() override { return false; }
  void OnPaint() override;
  void OnLButtonDown(WPARAM keys, POINT pt) override;
  void OnLButtonDblClk(WPARAM keys, POINT pt) override;
  void OnLButtonUp(WPARAM keys, POINT pt) override;
  void OnMouseMove(WPARAM keys, POINT pt) override;
  void OnSize(const RECT& client) override;
  virtual void ShowNoteMenu();
  // The note menu at the cursor, owned by owner, its items as the note's state makes them;
  // for kColor the colour index chosen goes to color.
  NoteMenuChoice ChooseFromMenu(KxControl* owner, int& color);

  // Enables the box, gives it the focus, frames it in blue and selects the whole text.
  void BeginEdit();
  // The same with the caret at the end of the text, nothing selected.
  void BeginEditAtEnd();
  // The same with the caret at a point of the note's client area, nothing selected.
  void BeginEditAt(POINT at);
  // BeginEdit once the messages already queued are handled: a menu that made this note
  // is still giving the activation back to its owner, which would take the focus at once.
  void BeginEditSoon();
  // Writes the text (and today as its date), frames the box in grey and disables it.
  // Nothing while the note is not being edited.
  void EndEdit();
  // Writes the text while editing goes on, when it differs from what was last written.
  // True when the text is stored (written now, or nothing to write).
  bool SaveTypedText();
  // A write that failed is tried again by the idle timer until it succeeds.
  void RetryWriteSoon();
  // The row holds no text yet: the idle timer writes the box's text until it is stored.
  void StoreTextLater();
  bool IsEditing() const { return editing; }
  // Clamped to the monitor nearest to it, in the Z-order of the topmost flag, and shown.
  void ShowPlaced();
  // The same with the monitors' work areas as read once for many notes.
  void ShowPlaced(const MonitorAreas& areas);
  // The Z-order of the topmost flag, shown or not.
  void ApplyZOrder();
  // Draws the note in a colour index (N_FLAG bits 2 to 4).
  void ApplyColor(int index);
  // An automatically sized note is bounded by the work area of the monitor it stands on:
  // at most a third of its width (the text wraps), and never below the minimum.
  void ApplyAutoBounds(const MonitorAreas& areas);
  // The least size a user may give the note: a few lines of a few words.
  SIZE MinimumSize() const;
  // The resize edges (kEdge... bits) under a point of the client area; 0 inside.
  int EdgesAt(POINT at) const;

  int noteId = 0;
  bool deleted = false;
  bool topmost = false;
  int color = 0;        // the colour index
  bool sized = false;   // the user sized the note: the rectangle holds, the text wraps in it
  KxTextBox* textBox = nullptr;  // a child: the window deletes it
  // Where the press was, relative to the note's top-left corner; and whether a drag runs.
  POINT dragOrigin = {0, 0};
  bool dragging = false;
  void DragTo(POINT cursor);
  // A press on the border sizes the note: the edges it moves, and the rectangle and cursor
  // at the press.
  enum { kEdgeLeft = 1, kEdgeTop = 2, kEdgeRight = 4, kEdgeBottom = 8 };
  int resizeEdges = 0;
  RECT resizeFrom = {0, 0, 0, 0};
  POINT resizePress = {0, 0};
  // The monitors at the press: a move or size keeps 8 pixels of both directions on one.
  KxMonitorRects pressMonitors;
  void ResizeTo(POINT cursor);

private:
  // The box (owned until the window takes it) and the rectangle a note is made at.
  struct Prepared {
    KxTextBox* box = nullptr;
    KxRect rect;
  };
  static Prepared Prepare(const NoteRecord& record, const MonitorAreas& areas);
  FrmNotePage(NoteWindowEvents& events, const NoteRecord& record, Prepared prepared);

  int OnBoxSize(KxEvtParam& param);
  int OnBoxKillFocus(KxEvtParam& param);
  int OnMenuRequest(KxEvtParam& param);
  int OnTyped(KxEvtParam& param);
  int OnIdle(KxEvtParam& param);
  int OnBeginEditRequest(KxEvtParam& param);
  int OnTextNotStored(KxEvtParam& param);
  int OnSizeNotStored(KxEvtParam& param);
  void StartEditing();
  void EndResize();
  // Back to the rectangle the press found, automatic size again when the note had it.
  void CancelResize();
  // Writes text with today as its date; the list hears of it.
  bool StoreText(const KxString& text);

  NoteWindowEvents& events;
  bool editing = false;
  UINT idleTimer = 0;
  bool writeDue = false;  // the timer runs for typing not yet written
  KxString savedText;  // the text as last written to the store
};
