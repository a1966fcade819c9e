#include "hotkey/FrmOption.h"

#include "app/KxApp.h"
#include "app/KxAutostart.h"
#include "app/KxDialogs.h"
#include "app/ProgramShell.h"
#include "app/resource.h"
#include "hotkey/HotKeyCheck.h"
#include "hotkey/HotKeyTable.h"
#include "hotkey/KxPanelModule.h"
#include "kx/KxButton.h"
#include "kx/KxCheckBox.h"
#include "kx/KxEdit.h"
#include "kx/KxGroupBox.h"
#include "kx/KxImageBox.h"
#include "kx/KxLabel.h"
#include "store/DataDirectory.h"
#include "store/ModuleRecord.h"

const char kOptionsCaption[] = "设置";

namespace {

struct ModuleRowSpec {
  int type;
  const char* caption;
};
const ModuleRowSpec kModuleRowSpecs[FrmOption::kModuleRows] = {
    {kModuleDesktop, "虚拟  桌面:"}, {kModuleNote, "便      签:"},
    {kModuleExplorer, "资源管理器:"}, {kModuleShutDown, "关      机:"},
    {kModuleHelp, "帮      助:"},  {kModuleAbout, "关      于:"},
    {kModuleExit, "退      出:"},
};

// The system group: two columns, filled left then right, row by row; the autostart box
// takes the first left place.
struct HotKeyRowSpec {
  int type;
  const char* caption;
};
const HotKeyRowSpec kHotKeyRowSpecs[FrmOption::kHotKeyRows] = {
    {kModuleTray, "托盘显/隐"},    {kModuleLeftMenu, "系统左菜单"},
    {kModuleRightMenu, "系统右菜单"}, {kModuleOption, "设置...   "},
    {kModuleWndMain, "Velibox窗口"}, {kModuleMenuManage, "快捷维护  "},
    {kModuleSearch, "快速启动  "},
};
const KxRect kLeftPlace = {10, 15, 260, 20};
const KxRect kRightPlace = {275, 15, 280, 20};
const int kPlaceStep = 23;
const int kModuleRowTop = 16;
const int kModuleRowStep = 30;
const int kModuleRowHeight = 24;
const int kSystemGroupHeight = 118;

// Place i of the system group, i = 0 being the autostart box.
KxRect SystemPlace(int i) {
  KxRect place = (i % 2 == 0) ? kLeftPlace : kRightPlace;
  place.y += (i / 2) * kPlaceStep;
  return place;
}

const StoreDialogs kDialogs = {AskYesNo, ShowInfo};

FrmOption* optionsWindow = nullptr;

}  // namespace

FrmOption::FrmOption(KxControl* owner)
    : KxForm(owner, kOptionsCaption, KxRect{300, 240, 600, 510}, WS_OVERLAPPEDWINDOW, WS_EX_APPWINDOW) {
  if (!hwnd) return;
  SetFixedSize(true);
  CenterOnScreen();
  HINSTANCE resources = ResourceInstance();
  SetIcon(LoadIconW(resources, MAKEINTRESOURCEW(IDI_APP)));

  mark = new KxImageBox(this, KxRect{12, 8, 32, 32});
  mark->LoadResource(IDB_APP);

  RECT client = LayoutRect();
  moduleGroup = new KxGroupBox(this, "右键菜单－热键设置",
                               KxRect{10, 42, client.right - 20, height - 160});
  for (int i = 0; i < kModuleRows; ++i) {
    KxRect place = {10, kModuleRowTop + i * kModuleRowStep, moduleGroup->width - 20,
                    kModuleRowHeight};
    moduleRows[i] = new KxPanelModule(kModuleRowSpecs[i].type, moduleGroup, place);
    moduleRows[i]->SetCaption(kModuleRowSpecs[i].caption);
  }
  moduleGroup->Resize(moduleGroup->width,
                      30 + kModuleRowTop + (kModuleRows - 1) * kModuleRowStep + 8);

  systemGroup = new KxGroupBox(this, "系统-热键",
                               KxRect{moduleGroup->x, moduleGroup->y + moduleGroup->height + 10,
                                      moduleGroup->width, kSystemGroupHeight});
  autostartBox = new KxCheckBox(systemGroup, "随系统启动", SystemPlace(0));
  autostartBox->SetChecked(AutostartExists(""));
  for (int i = 0; i < kHotKeyRows; ++i) {
    hotKeyRows[i] = new KxPanelHk(kHotKeyRowSpecs[i].type, kHotKeyRowSpecs[i].caption,
                                  systemGroup, SystemPlace(i + 1));
  }

  int lineTop = systemGroup->y + systemGroup->height + 8;
  dataLabel = new KxLabel(this, "", KxRect{systemGroup->x, lineTop, 0, 21});
  dataLabel->SetText("数据目录");
  dataPath = new KxEdit(this, DbFilePath(),
                        KxRect{dataLabel->x + dataLabel->width + 2, lineTop + 2,
                               systemGroup->width - dataLabel->x - dataLabel->width - 88, 20});
  // Read-only, not disabled: the path can be selected and copied.
  dataPath->SetReadOnly(true);
  dataPath->bkColor = kxFormColor;
  changeButton =
      new KxButton(this, "更改...", KxRect{dataPath->x + dataPath->width + 8, lineTop, 80, 24});
  closeButton = new KxButton(this, "关闭", KxRect{changeButton->x, height - 68, 80, 25});

  for (KxPanelModule* row : moduleRows)
    row->onSaved = [this] { RefreshLinks(); };
  for (KxPanelHk* row : hotKeyRows)
    row->onSaved = [this] { RefreshLinks(); };
  RefreshLinks();

  BindClick(*autostartBox, this, &FrmOption::OnAutostartClick);
  BindClick(*changeButton, this, &FrmOption::OnChangeClick);
  BindClick(*closeButton, this, &FrmOption::OnCloseClick);
}

bool FrmOption::CanClose() {
  // The combinations set here work from the moment the window is gone.
  RegisterAllHotKeys();
  Hide();
  return false;
}

void FrmOption::OnShow() { RefreshLinks(); }

void FrmOption::RefreshLinks() {
  HotKeyCommands commands = LoadHotKeyCommands();
  for (KxPanelModule* row : moduleRows)
    if (row) row->RefreshLink(commands);
  for (KxPanelHk* row : hotKeyRows)
    if (row) row->RefreshLink(commands);
}

int FrmOption::OnAutostartClick(KxEvtParam&) {
  SetAutostart("", autostartBox->IsChecked());
  // The box shows what the Run key holds, also when the write was refused.
  autostartBox->SetChecked(AutostartExists(""));
  return 0;
}

int FrmOption::OnChangeClick(KxEvtParam&) {
  if (MoveDataDirectory(hwnd, kDialogs)) dataPath->SetText(DbFilePath());
  return 0;
}

int FrmOption::OnCloseClick(KxEvtParam&) {
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  return 0;
}

void ToggleOptionsForm() {
  if (!optionsWindow) {
    optionsWindow = new FrmOption(TheShell().KitWindow());
    if (!optionsWindow->hwnd) {
      delete optionsWindow;
      optionsWindow = nullptr;
      return;
    }
  }
  optionsWindow->ToggleShown();
}

void DestroyOptionsForm() {
  delete optionsWindow;
  optionsWindow = nullptr;
}
