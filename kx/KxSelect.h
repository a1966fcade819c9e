#pragma once
// The drop-down choice field: an edit, a chevron button and a list that opens below the
// field, above every other window, without taking the activation from the form.
// Notifications (KxMessages.h) go to the field's own window.

#include "kx/KxButton.h"
#include "kx/KxEdit.h"
#include "kx/KxGridPresets.h"

// The chevron button of the choice field.
class KxSelectBtn : public KxButton {
public:
  KxSelectBtn(KxControl* parent, const KxRect& rect);

  void OnDraw(KxCanvas& canvas) override;
};

class KxSelectCard : public KxControl {
public:
  KxSelectCard(KxControl* parent, const KxRect& rect);
  ~KxSelectCard() override;

  KxString GetClassName() const override;

  void AddItem(const KxString& text);
  // Makes row i current and shows its text; ignored when i names no row.
  void SelectIndex(int i);
  // The first row with exactly this text; nothing when there is none.
  void SelectText(const KxString& text);
  KxString GetText() const;
  bool IsDropped() const;

  KxEdit* edit = nullptr;
  KxSelectBtn* button = nullptr;
  // Stands for the desktop window, so that the list is a window of the desktop.
  KxControl dropHolder;
  KxListBoxCard* list = nullptr;  // owned through dropHolder
  int dropHeight = 120;

protected:
  // The list is no child window of the select: it follows the select's scale from here.
  void OnDpiChanged(int oldDpi) override;

private:
  int ButtonClicked(KxEvtParam& param);
  int ButtonLostFocus(KxEvtParam& param);
  int ButtonKeyDown(KxEvtParam& param);
  int ListClicked(KxEvtParam& param);
  int ListMouseActivate(KxEvtParam& param);
  int EditChanged(KxEvtParam& param);

  void DropDown();
  // Hides the list; KX_SELECT_CLOSEUP when it was open.
  void CloseUp();
  // The current row goes into the edit and is announced.
  void Choose();
  KxString RowText(int i) const;
};
