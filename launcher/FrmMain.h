#pragma once
// The kit window: the small borderless picture near the right edge of the screen. It owns
// the tray icon and both menus, can be dragged about the primary monitor, and grows from
// the shrunk state (the picture alone) to the normal state (picture, title and the places
// below it).

#include <cstdint>

#include "kx/KxForm.h"
#include "kx/KxMonitors.h"

class KxButton;
class KxImageBox;
class KxLabel;

class FrmMain : public KxPopForm {
public:
  static constexpr int kStartWidth = 74;
  static constexpr int kMinPicture = 16;
  static constexpr int kMaxPicture = 256;
  static constexpr int kNormalWidth = 502;
  static constexpr int kScreenMargin = 8;  // pixels of the window that stay on the screen

  // Builds the window, adds the tray icon and loads the stored picture; not shown yet.
  FrmMain();
  ~FrmMain() override;

  void OnLButtonDown(WPARAM keys, POINT pt) override;
  void OnLButtonDblClk(WPARAM keys, POINT pt) override;
  void OnClick(KxEvtParam& param) override;
  void OnMouseMove(WPARAM keys, POINT pt) override;
  // Mid-drag onto a monitor of another DPI the window keeps its left edge under the same
  // pointer, the grab spot kept inside it. Rescaling the spot instead could put most of the
  // window back on the monitor it left, and the change would repeat at every move.
  void OnDpiChanged(int oldDpi) override;
  void OnRButtonDown(WPARAM keys, POINT pt) override;
  void OnDropFiles(const KxStringList& paths) override;
  // Closing only hides the kit window; it lives until the end of the run.
  bool CanClose() override;

  // Shows the picture in the file at path and keeps its bytes in KX_DATA. A path that
  // does not open (an empty one included) shows the stored picture instead. Bytes that are
  // no picture are neither shown nor stored, so the stored picture survives a wrong drop.
  void SetKitImage(const KxString& path);
  // The open-file dialog for a picture, then SetKitImage with the choice.
  void ChooseKitImage();
  void ToggleKitSize();
  void ToggleKitWindow();
  bool IsShrunk() const { return shrunk; }
  void LayoutKit();

  const KxImageBox* Picture() const { return picture; }
  const KxLabel* Title() const { return title; }

private:
  int OnTrayIcon(KxEvtParam& param);
  int OnCommand(KxEvtParam& param);
  int OnShowRequest(KxEvtParam& param);
  int OnExitRequest(KxEvtParam& param);
  int OnTaskbarCreated(KxEvtParam& param);
  int OnClickDelay(KxEvtParam& param);
  int OnHotKey(KxEvtParam& param);
  int OnUpdateClick(KxEvtParam& param);
  int OnUpdateTimer(KxEvtParam& param);
  void MoveKeepingOnScreen(POINT cursor);

  bool shrunk = true;
  POINT grab = {0, 0};    // client point of the last left press
  KxMonitorRects grabMonitors;  // the monitors at that press
  UINT clickTimer = 0;    // waits out the double-click time before a click opens the menu
  bool clickPending = false;
  // Children of this window: the toolkit deletes them with it.
  KxLabel* title = nullptr;
  KxImageBox* picture = nullptr;
  KxButton* updateButton = nullptr;
  KxControl* updatePanel = nullptr;  // made by the program shell; children
  KxLabel* pluginsLabel = nullptr;
  KxControl* pluginList = nullptr;
  UINT updateTimer = 0;
  KxRect updateButtonPlace;
  KxRect updatePanelPlace;
  KxRect pluginsLabelPlace;
  KxRect pluginListPlace;
};

// The kit window of the run, set while one exists.
extern FrmMain* TheKitWindow;

