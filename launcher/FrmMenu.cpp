#include "launcher/FrmMenu.h"

#include "app/KxApp.h"
#include "app/resource.h"
#include "kx/KxButton.h"
#include "kx/KxGroupBox.h"
#include "kx/KxLabel.h"
#include "kx/KxPanel.h"
#include "launcher/FrmMain.h"
#include "update/VendorSite.h"

const char kMaintenanceCaption[] = "Velibox中快捷";

namespace {

const char kTitleText[] = "维护Velibox中快捷";
const char kHelpText[] = "我需要帮助";
const char kCloseText[] = "关闭";
const char kFullScreenText[] = "全屏";
const char kRestoreText[] = "还原";
const COLORREF kTitleColor = RGB(20, 225, 50);
const int kHeaderHeight = 70;
const int kPanelTop = 76;
const int kPanelBottomMargin = 6;
const int kHelpRightMargin = 20;

FrmMenu* maintenanceWindow = nullptr;

}  // namespace

FrmMenu::FrmMenu(KxControl* parent)
    : KxForm(parent, kMaintenanceCaption, KxRect{300, 200, 540, 600}, WS_OVERLAPPEDWINDOW,
             WS_EX_TOPMOST | WS_EX_APPWINDOW) {
  if (!hwnd) return;
  HINSTANCE resources = ResourceInstance();
  SetIcon(LoadIconW(resources, MAKEINTRESOURCEW(IDI_APP)));

  header = new KxGroupBox(this, "", KxRect{5, 2, width - 10, kHeaderHeight});
  closeButton = new KxButton(header, kCloseText, KxRect{20, 18, 36, 36});
  fullScreenButton = new KxButton(header, kFullScreenText, KxRect{60, 18, 36, 36});
  title = new KxLabel(header, kTitleText, KxRect{120, 20, 300, 32});
  title->autoSize = false;
  title->textColor = kTitleColor;
  title->font.SetFaceName("宋体");
  title->font.SetHeight(28);
  title->font.SetWidth(10);
  title->font.SetWeight(FW_BOLD);
  title->font.SetQuality(5);
  helpLink = new KxLabelUrl(header, kHelpText, KxRect{0, 12, 80, 14},
                            VendorSiteUrl() + kHelpPagePath + kHelpPageFlag);
  helpLink->autoSize = false;
  panel = new KxPanel(this, KxRect{5, kPanelTop, width - 10, 400});
  panel->SetBorderStyle(0);
  tree.Setup(panel, KxRect{5, 78, 400, 300});
  tree.FillShortcutTree();
  BindClick(*closeButton, this, &FrmMenu::OnCloseClick);
  BindClick(*fullScreenButton, this, &FrmMenu::OnFullScreenClick);

  // No sizing frame and no minimise or maximise box: the full-screen button sizes it.
  SetFixedSize(true);
  CenterOnScreen();
  OnSize(LayoutRect());
}

void FrmMenu::OnSize(const RECT& client) {
  // The first WM_SIZE comes while the window is made, before the members exist.
  if (!header || !tree.hwnd) return;
  int w = client.right - client.left;
  int h = client.bottom - client.top;
  header->SetWidth(w - 10);
  title->SetWidth(header->width - 2 * title->x);
  helpLink->SetLeft(header->width - helpLink->width - kHelpRightMargin);
  panel->SetBounds(KxRect{header->x, kPanelTop, header->width, h - kPanelTop - kPanelBottomMargin},
                   true);
  tree.SetBounds(KxRect{0, 0, panel->width, panel->height}, true);
}

bool FrmMenu::CanClose() {
  Hide();
  return false;
}

void FrmMenu::ToggleFullScreen() {
  if (IsZoomed(hwnd)) {
    ShowWindow(hwnd, SW_RESTORE);
    fullScreenButton->SetText(kFullScreenText);
  } else {
    ShowWindow(hwnd, SW_MAXIMIZE);
    fullScreenButton->SetText(kRestoreText);
  }
  fullScreenButton->Invalidate(false);
}

int FrmMenu::OnCloseClick(KxEvtParam&) {
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  return 0;
}

int FrmMenu::OnFullScreenClick(KxEvtParam&) {
  ToggleFullScreen();
  return 0;
}

void ToggleMaintenanceForm() {
  if (!maintenanceWindow) {
    maintenanceWindow = new FrmMenu(TheKitWindow);
    if (!maintenanceWindow->hwnd) {
      delete maintenanceWindow;
      maintenanceWindow = nullptr;
      return;
    }
  }
  maintenanceWindow->ToggleShown();
}

void DestroyMaintenanceForm() {
  delete maintenanceWindow;
  maintenanceWindow = nullptr;
}
