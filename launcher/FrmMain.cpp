#include "launcher/FrmMain.h"

#include "app/KxApp.h"
#include "app/ProgramShell.h"
#include "app/resource.h"
#include "kx/KxButton.h"
#include "kx/KxImageBox.h"
#include "kx/KxLabel.h"
#include "kx/KxTaskBar.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxFileDialog.h"
#include "kx/base/KxStream.h"
#include "launcher/CommandMenu.h"
#include "launcher/LauncherMenu.h"
#include "store/DataDirectory.h"
#include "store/SysValues.h"

FrmMain* TheKitWindow = nullptr;

namespace {

// The automatic update check looks this often whether a check is due.
const UINT kUpdateTimerMs = 600000;

}  // namespace

namespace {

const char kProductName[] = "Velix";
const char kImageDialogTitle[] = "选择图形文件";
const char kImageFilter[] = "图形(*.bmp;*.ico;*.jpg;*.gif;*.png)|*.bmp;*.ico;*.jpg;*.gif;*.png";
const COLORREF kTitleColor = RGB(20, 225, 50);

// Mouse messages the shell passes in the tray callback's lParam.
const LPARAM kTrayMouseMove = WM_MOUSEMOVE;
const LPARAM kTrayLeftUp = WM_LBUTTONUP;
const LPARAM kTrayRightUp = WM_RBUTTONUP;

// A picture file is read whole into memory; anything larger is no picture for the kit.
const long long kMaxPictureBytes = 32 * 1024 * 1024;

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

// The monitor the window stands on (the primary while it is not yet shown anywhere).
RECT MonitorOf(HWND hwnd) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) return monitor.rcMonitor;
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// The file's bytes; false when it does not open, is too large or cannot be read.
bool ReadWholeFile(const KxString& path, KxString& bytes) {
  if (path.IsEmpty()) return false;
  KxIoFile file;
  if (!file.OpenForRead(path)) return false;
  long long size = file.Size();
  if (size < 0 || size > kMaxPictureBytes) return false;
  KxString content;
  if (!content.Resize(static_cast<int>(size))) return false;
  if (size > 0 && file.Read(content.Buffer(), size) != size) return false;
  bytes = content;
  return true;
}

}  // namespace

// Created topmost and as a tool window: changing either on the existing window costs the
// start a frame change and a restacking of its own.
FrmMain::FrmMain()
    : KxPopForm(nullptr, KxRect{0, 4, kStartWidth, kStartWidth}, WS_EX_TOPMOST | WS_EX_TOOLWINDOW) {
  TheKitWindow = this;
  SetText(kProductName);  // second starts and the tests find the kit window by it
  HINSTANCE resources = ResourceInstance();
  SetIcon(LoadIconW(resources, MAKEINTRESOURCEW(IDI_APP)));
  AcceptFiles(true);
  shrunk = true;

  // Disabled, so that the kit window itself gets the mouse over the picture.
  picture = new KxImageBox(this, KxRect{0, 0, width, height});
  picture->LoadResource(IDB_KIT_DEFAULT);
  picture->Enable(false);
  picture->SetBorderStyle(2);

  title = new KxLabel(this, kProductName, KxRect{200, 8, 0, 32});
  title->font.SetFaceName("宋体");
  title->font.SetHeight(28);
  title->font.SetWidth(10);
  title->font.SetWeight(700);
  title->font.SetQuality(5);
  title->textColor = kTitleColor;
  title->SetText(kProductName);

  updateButtonPlace = KxRect{388, height, 60, 20};
  updatePanelPlace = KxRect{10, height, 480, 76};
  pluginsLabelPlace = KxRect{12, height, 70, 20};
  pluginListPlace = KxRect{10, height + 22, 480, 10};
  updateButton = new KxButton(this, "检查更新", updateButtonPlace);
  BindClick(*updateButton, this, &FrmMain::OnUpdateClick);
  updatePanel = TheShell().MakeUpdatePanel(this, updatePanelPlace);
  pluginsLabel = new KxLabel(this, "插件", pluginsLabelPlace);
  pluginList = TheShell().MakePluginList(this, pluginListPlace);
  // The first timer of the window: its id is 1.
  updateTimer = BindTimer(*this, this, &FrmMain::OnUpdateTimer, kUpdateTimerMs);

  MoveTo(MonitorOf(hwnd).right - Px(width) - 4, y);
  TheTaskBar.Add(hwnd, kProductName, IDI_APP);
  BindMsg(*this, WM_HOTKEY, this, &FrmMain::OnHotKey);
  BindMsg(*this, kTrayCallbackMessage, this, &FrmMain::OnTrayIcon);
  BindMsg(*this, WM_COMMAND, this, &FrmMain::OnCommand);
  BindMsg(*this, ShowRunningInstanceMessage(), this, &FrmMain::OnShowRequest);
  BindMsg(*this, ExitRunningInstanceMessage(), this, &FrmMain::OnExitRequest);
  // The shell forgets every icon when it re-creates the taskbar.
  BindMsg(*this, RegisterWindowMessageA("TaskbarCreated"), this, &FrmMain::OnTaskbarCreated);
  clickTimer = BindTimer(*this, this, &FrmMain::OnClickDelay, GetDoubleClickTime());
  KillTimer(hwnd, clickTimer);

  // Already topmost and a tool window from its creation: these change nothing then.
  ShowInTaskbar(false);
  SetFixedSize(true);
  SetKitImage("");

  // After the tray icon: a pass with refused combinations says so in a balloon.
  TheShell().BindHotKeys(hwnd);
  TheShell().RegisterHotKeys();
}

FrmMain::~FrmMain() {
  // The hotkeys are registered for this window; they go before it does.
  TheShell().ClearHotKeys();
  // The icon goes with the window that receives its messages.
  TheTaskBar.Hide();
  if (TheKitWindow == this) TheKitWindow = nullptr;
}

// ---- Picture

void FrmMain::SetKitImage(const KxString& path) {
  KxString bytes;
  bool loaded = false;
  if (ReadWholeFile(path, bytes)) {
    loaded = picture->LoadData(bytes);
    if (loaded) ::SetKitImage(bytes);
  } else if (GetKitImage(bytes) && !bytes.IsEmpty()) {
    loaded = picture->LoadData(bytes);
  }
  // Without a picture of its own the box keeps the default bitmap and its size.
  if (loaded && picture->Image()->HasPixels()) {
    const CxImage* image = picture->Image();
    picture->Resize(Clamp(image->Width(), kMinPicture, kMaxPicture),
                    Clamp(image->Height(), kMinPicture, kMaxPicture));
  }
  LayoutKit();
}

void FrmMain::ChooseKitImage() {
  KxOpenFileDialog dialog;
  dialog.title = kImageDialogTitle;
  dialog.SetFilter(kImageFilter);
  dialog.fileName = "";
  dialog.initialDirectory = CurrentDirectory();
  if (dialog.ShowOpen(hwnd, false)) SetKitImage(dialog.fileName);
}

// ---- Layout

void FrmMain::LayoutKit() {
  int w = picture->width < kMinPicture ? kMinPicture : picture->width;
  int h = picture->height < kMinPicture ? kMinPicture : picture->height;
  const RECT screen = MonitorOf(hwnd);
  int targetX;
  if (shrunk) {
    title->Hide();
    updateButton->Hide();
    picture->MoveTo(0, 0);
    targetX = screen.right - Px(w) - 4;
  } else {
    title->Show();
    updateButton->Show();
    picture->MoveTo(10, 10);
    targetX = screen.right - Px(kNormalWidth) - 2;
  }
  updatePanelPlace.y = picture->y + h + 6;
  pluginsLabelPlace.y = updatePanelPlace.y + updatePanelPlace.height;
  pluginListPlace.y = pluginsLabelPlace.y + pluginsLabelPlace.height;
  if (pluginList) pluginListPlace.height = pluginList->height;
  updateButtonPlace.y = updatePanelPlace.y - updateButtonPlace.height - 6;
  updateButton->MoveTo(updateButtonPlace.x, updateButtonPlace.y);
  if (updatePanel) updatePanel->MoveTo(updatePanelPlace.x, updatePanelPlace.y);
  pluginsLabel->MoveTo(pluginsLabelPlace.x, pluginsLabelPlace.y);
  if (pluginList) pluginList->MoveTo(pluginListPlace.x, pluginListPlace.y);
  int windowWidth = shrunk ? w : kNormalWidth;
  int windowHeight = shrunk ? h : pluginListPlace.y + pluginListPlace.height + 12;

  // The window only ever moves left to fit, never right, except back onto its monitor.
  int left = targetX < x ? targetX : x;
  if (left < screen.left + kScreenMargin) left = screen.left + kScreenMargin;
  int top = y < screen.top + kScreenMargin ? screen.top + kScreenMargin : y;
  SetBounds(KxRect{left, top, windowWidth, windowHeight}, true);
  Invalidate(true);
}

void FrmMain::ToggleKitSize() {
  shrunk = !shrunk;
  if (shrunk) {
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    MoveTo(cursor.x - Px(picture->width) / 2, cursor.y - Px(picture->height) / 2);
  }
  LayoutKit();
}

void FrmMain::ToggleKitWindow() {
  if (IsVisible()) {
    Hide();
  } else {
    Show();
  }
}

int FrmMain::OnUpdateClick(KxEvtParam&) {
  TheShell().CheckForUpdates();
  return 0;
}

// Every ten minutes while the program runs: the day's copy of the store once a day has
// begun that has none (a PC that is never logged off gets its copies too), and the update
// check once a week.
int FrmMain::OnUpdateTimer(KxEvtParam&) {
  BackupStore(KxTime());
  if (IsUpdateCheckDue()) TheShell().CheckForUpdates();
  return 0;
}

// ---- Mouse

void FrmMain::OnLButtonDown(WPARAM, POINT pt) {
  grab = pt;
  // Read once for the whole drag, not at every move.
  KxLiveMonitorRects(grabMonitors);
}

void FrmMain::OnDpiChanged(int) {
  grab.x = Clamp(grab.x, 0, Px(width) - 1);
  grab.y = Clamp(grab.y, 0, Px(height) - 1);
}

void FrmMain::MoveKeepingOnScreen(POINT cursor) {
  int newX = cursor.x - grab.x;
  int newY = cursor.y - grab.y;
  // Onto any monitor, as long as enough of the window stays on one to take it again.
  if (!KxKeepsReachable(RECT{newX, newY, newX + Px(width), newY + Px(height)}, grabMonitors, kScreenMargin)) return;
  MoveTo(newX, newY);
}

void FrmMain::OnMouseMove(WPARAM keys, POINT) {
  // The press captured the mouse, so moves arrive wherever the pointer is. The cursor is
  // read now rather than taken from the message: moving the window makes the platform
  // queue a move of its own, and under Wine that one can carry an earlier position.
  if (!pressed || !(keys & MK_LBUTTON)) return;
  POINT cursor;
  if (GetCursorPos(&cursor)) MoveKeepingOnScreen(cursor);
}

void FrmMain::OnClick(KxEvtParam&) {
  // A first click that turns out to be half of a double click opens no menu.
  clickPending = true;
  SetTimer(hwnd, clickTimer, GetDoubleClickTime(), NULL);
}

int FrmMain::OnClickDelay(KxEvtParam&) {
  KillTimer(hwnd, clickTimer);
  if (!clickPending) return 0;
  clickPending = false;
  ShowLauncherMenu(this);
  return 0;
}

void FrmMain::OnLButtonDblClk(WPARAM, POINT) {
  clickPending = false;
  KillTimer(hwnd, clickTimer);
  ToggleKitSize();
}

void FrmMain::OnRButtonDown(WPARAM, POINT) { ShowCommandMenu(this); }

void FrmMain::OnDropFiles(const KxStringList& paths) {
  for (const auto& item : paths)
    SetKitImage(item);
}

bool FrmMain::CanClose() {
  TheShell().RegisterHotKeys();
  Hide();
  return false;
}

int FrmMain::OnHotKey(KxEvtParam& param) {
  TheShell().DispatchHotKey(static_cast<uint32_t>(param.lParam));
  return 0;
}

// ---- Messages

int FrmMain::OnTrayIcon(KxEvtParam& param) {
  if (KxTaskBar::IsBalloonGone(param.lParam)) {
    TheTaskBar.BalloonGone();
    return 0;
  }
  // The shell sends the icon's clicks: one during a wait of the plug-in host would open a
  // menu inside it.
  if (TheApp && TheApp->answeringOnly && param.lParam != kTrayMouseMove) return 0;
  switch (param.lParam) {
    case kTrayMouseMove:
      TheTaskBar.ShowHoverBalloon(kProductName, kProductName);
      break;
    case kTrayLeftUp:
      ShowLauncherMenu(this);
      break;
    case kTrayRightUp:
      ShowCommandMenu(this);
      break;
    default:
      break;
  }
  return 0;
}

int FrmMain::OnCommand(KxEvtParam& param) {
  // Commands sent the way a menu sends them (no control window) take the menu's route.
  if (param.lParam == 0 && HIWORD(param.wParam) == 0) TheShell().RouteCommand(LOWORD(param.wParam));
  return 0;
}

int FrmMain::OnShowRequest(KxEvtParam&) {
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd);
  return 0;
}

int FrmMain::OnExitRequest(KxEvtParam&) {
  TheShell().Exit();
  return 0;
}

int FrmMain::OnTaskbarCreated(KxEvtParam&) {
  TheTaskBar.Restore();
  return 0;
}
