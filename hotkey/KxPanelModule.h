#pragma once
// The rows of the settings window, one per kind of KX_MODULE. A module row has the
// in-menu box, the hotkey box and the hotkey link; a hotkey row (the system group) has
// only the hotkey box and the link. Every change is written at once; the hotkeys are
// registered anew when the settings window closes. A link marks a combination that lacks
// a modifier, that another program holds, or that another command has on as well.

#include <functional>

#include "hotkey/HotKeyCheck.h"
#include "hotkey/HotKeyCode.h"
#include "kx/KxLabel.h"
#include "kx/KxPanel.h"
#include "store/ModuleRecord.h"

class KxCheckBox;

constexpr COLORREF kHotKeyTakenColor = RGB(220, 0, 0);

// The link that shows a row's hotkey and opens the editor; red while it carries a mark.
class HotKeyLink : public KxLabellink {
public:
  HotKeyLink(KxControl* parent, const KxRect& rect);

  void OnDraw(KxCanvas& canvas) override;
  // The text with the mark after it (HotKeyCheckMark); the link fits its width to it.
  void ShowCode(const KxString& text, const KxString& mark);

  bool taken = false;
};

class KxPanelModule : public KxPanel {
public:
  // Reads the first module row of type; a kind without rows starts in the menu, with the
  // hotkey off and no code.
  KxPanelModule(int type, KxControl* parent, const KxRect& rect);

  void SetCaption(const KxString& text);
  // The link text from the code, with its mark against the platform and commands.
  void RefreshLink(const HotKeyCommands& commands);
  // The code through the editor; on OK the link and the rows of the kind follow.
  void EditCode();

  ModuleRecord record;
  bool keyFixed = false;  // desktops and drives: the key is the range, only modifiers are chosen
  // Children of the row, which deletes them.
  KxLabel* caption = nullptr;
  KxCheckBox* menuBox = nullptr;
  KxCheckBox* hotKeyBox = nullptr;
  HotKeyLink* link = nullptr;
  KxString keySuffix;  // names the range in the link: "数字(1-8)", "盘符(A-Z)"
  HotKeyCode code;
  // After every stored change: the window marks all its rows anew, since a change of one
  // row can make another one a duplicate or free it.
  std::function<void()> onSaved;

private:
  int OnBoxClick(KxEvtParam& param);
  int OnLinkClick(KxEvtParam& param);
  // M_HK and both flag bits of every row of the kind.
  void Save();
  void Saved();
};

class KxPanelHk : public KxPanel {
public:
  // The box reads "caption 快捷键"; the state comes from the first module row of type.
  KxPanelHk(int type, const KxString& caption, KxControl* parent, const KxRect& rect);

  void RefreshLink(const HotKeyCommands& commands);
  void EditCode();

  // Children of the row, which deletes them.
  KxCheckBox* hotKeyBox = nullptr;
  HotKeyLink* link = nullptr;
  ModuleRecord record;
  HotKeyCode code;
  std::function<void()> onSaved;

private:
  int OnBoxClick(KxEvtParam& param);
  int OnLinkClick(KxEvtParam& param);
  // M_HK and the hotkey bit; the in-menu bit is the kind's own.
  void Save();
  void Saved();
};
