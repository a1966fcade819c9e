#pragma once
// The note manager: a table of every note with its number, whether it is shown, whether it
// stays on top and its date. A double click on a row edits the note, a right click opens
// the note's menu. One window per run, owned by the kit window; closing only hides it.
// From its making to its end the list of note windows tells its rows of every change.

#include "kx/KxForm.h"
#include "notes/NoteWindowList.h"
#include "store/NoteRecord.h"

class KxTableCard;
class KxToolBar;
class KxGridCardRow;

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
  // The key of the selected row, or 0.
  int SelectedId() const;
  int RowOf(int id) const;

  KxToolBar* toolBar = nullptr;  // children of the form
  KxTableCard* table = nullptr;

private:
  int OnCloseClick(KxEvtParam& param);
  int OnTableDblClk(KxEvtParam& param);
  int OnTableRButtonUp(KxEvtParam& param);
};

// Shows the window (made on first use) or, when it is visible, hides it.
void ToggleNoteManagerForm();
// At exit; nothing when it was never made.
void DestroyNoteManagerForm();
