#pragma once
// The note manager: a table of every note with its first line, its number, whether it is
// shown, whether it stays on top and its date, and a second table of the recently deleted
// notes (first line, number, deletion date) that the tool bar switches to and back. A
// double click on a note's row edits the note, a right click opens the note's menu; on a
// deleted note's row it offers "恢复" and "彻底删除". The filter field keeps the rows of
// both tables to notes whose text holds what it shows. One window per run, owned by the
// kit window; closing only hides it. From its making to its end the list of note windows
// tells its rows of every change.

#include "kx/KxForm.h"
#include "notes/NoteWindowList.h"
#include "store/NoteRecord.h"

class KxEdit;
class KxLabel;
class KxTableCard;
class KxToolBar;
class KxToolBtn;

extern const char kNoteManagerCaption[];

class FrmNoteManage : public KxForm, public NoteRowsView {
public:
  explicit FrmNoteManage(KxControl* owner);
  ~FrmNoteManage() override;

  void OnSize(const RECT& client) override;
  bool CanClose() override;

  void AddRow(const NoteRecord& record) override;
  void RemoveRow(int id) override;
  void SetShownCell(int id, bool shown) override;
  void SetAllShownCells(bool shown) override;
  void SetTopmostCell(int id, bool topmost) override;
  void SelectRow(int id) override;
  void SetTextCell(int id, const KxString& text) override;

  // The recently deleted notes instead of the notes, or the notes again.
  void ShowDeleted(bool on);
  bool ShowsDeleted() const { return showingDeleted; }
  // The key of the selected row of the table shown, or 0.
  int SelectedId() const;
  // The row of a note in table, of a deleted note in deletedTable; -1 when there is none.
  int RowOf(int id) const;
  int DeletedRowOf(int id) const;
  void RestoreSelected();
  void RemoveSelectedForGood();

  KxToolBar* toolBar = nullptr;  // children of the form
  KxToolBtn* viewButton = nullptr;
  KxToolBtn* restoreButton = nullptr;
  KxToolBtn* removeButton = nullptr;
  KxLabel* filterLabel = nullptr;
  KxEdit* filterEdit = nullptr;
  KxTableCard* table = nullptr;         // the notes
  KxTableCard* deletedTable = nullptr;  // the recently deleted notes

private:
  void FillNotes();
  void FillDeleted();
  int OnCloseClick(KxEvtParam& param);
  int OnViewClick(KxEvtParam& param);
  int OnRestoreClick(KxEvtParam& param);
  int OnRemoveClick(KxEvtParam& param);
  int OnFilterChange(KxEvtParam& param);
  int OnTableDblClk(KxEvtParam& param);
  int OnTableRButtonUp(KxEvtParam& param);
  int OnDeletedRButtonUp(KxEvtParam& param);

  bool showingDeleted = false;
  KxString filter;  // the field's text the rows were chosen by
};

// Shows the window (made on first use) or, when it is visible, hides it.
void ToggleNoteManagerForm();
// At exit; nothing when it was never made.
void DestroyNoteManagerForm();
