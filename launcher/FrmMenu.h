#pragma once
// The shortcut maintenance window: a header strip with the close and full-screen buttons,
// a title and a help link, and below it the tree in which the launcher menu is built. One
// window lives per run, owned by the kit window; closing it only hides it, and the tree
// it shows stays as it was until the next opening.

#include "kx/KxForm.h"
#include "launcher/MenuTree.h"

class KxButton;
class KxGroupBox;
class KxLabel;
class KxLabelUrl;
class KxPanel;

extern const char kMaintenanceCaption[];

class FrmMenu : public KxForm {
public:
  // Builds the window hidden and topmost, centred on the screen, with the tree filled
  // from KX_SOFT.
  explicit FrmMenu(KxControl* parent);

  void OnSize(const RECT& client) override;
  // Hides the window instead: the object lives until the program ends.
  bool CanClose() override;
  // Maximised and restored by turns; the button says which comes next.
  void ToggleFullScreen();

  // Children of the form (it deletes them); the tree is a member and a child of the panel.
  KxGroupBox* header = nullptr;
  KxButton* closeButton = nullptr;
  KxButton* fullScreenButton = nullptr;
  KxLabel* title = nullptr;
  KxLabelUrl* helpLink = nullptr;
  KxPanel* panel = nullptr;
  MenuTree tree;

private:
  int OnCloseClick(KxEvtParam& param);
  int OnFullScreenClick(KxEvtParam& param);
};

// Shows the window (made on first use, with the kit window as its parent) or, when it is
// visible, closes it.
void ToggleMaintenanceForm();
// Destroys the window at the end of the run; nothing when it was never made.
void DestroyMaintenanceForm();
