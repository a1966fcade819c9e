#pragma once
// The settings window: per module whether it is in the command menu and whether its
// global hotkey is on and which it is, autostart with the system, and the move of the data
// file. Module settings are written at once; closing hides the window and registers every
// hotkey anew. One window lives per run, owned by the kit window.

#include "kx/KxForm.h"

class KxButton;
class KxCheckBox;
class KxEdit;
class KxGroupBox;
class KxImageBox;
class KxLabel;
class KxPanelHk;
class KxPanelModule;

extern const char kOptionsCaption[];

class FrmOption : public KxForm {
public:
  static constexpr int kModuleRows = 7;
  static constexpr int kHotKeyRows = 7;

  // Builds the window hidden and centred; the rows read their records now, once.
  explicit FrmOption(KxControl* owner);

  // Hides the window and registers all hotkeys; the object lives until the program ends.
  bool CanClose() override;
  // Other programs take and free combinations while the window is hidden: the links
  // check again when it shows.
  void OnShow() override;
  // Every row's mark, against the platform and all commands with their hotkeys on.
  void RefreshLinks();

  // Children of the form (it deletes them), in the order they are made.
  KxImageBox* mark = nullptr;
  KxGroupBox* moduleGroup = nullptr;
  KxPanelModule* moduleRows[kModuleRows] = {};  // types 400, 180, 300, 200, 150, 160, 170
  KxPanelHk* hotKeyRows[kHotKeyRows] = {};      // types 100, 110, 120, 140, 90, 130, 115
  KxGroupBox* systemGroup = nullptr;
  KxCheckBox* autostartBox = nullptr;
  KxLabel* dataLabel = nullptr;
  KxEdit* dataPath = nullptr;
  KxButton* changeButton = nullptr;
  KxButton* closeButton = nullptr;

private:
  int OnAutostartClick(KxEvtParam& param);
  int OnChangeClick(KxEvtParam& param);
  int OnCloseClick(KxEvtParam& param);
};

// Shows the window (made on first use, with the kit window as its owner) or, when it is
// visible, closes it.
void ToggleOptionsForm();
// Destroys the window at the end of the run; nothing when it was never made.
void DestroyOptionsForm();
