#include "launcher/CommandMenu.h"

#include "app/KxApp.h"
#include "app/KxShell.h"
#include "app/resource.h"
#include "kx/KxMenu.h"
#include "launcher/FrmMain.h"
#include "launcher/LauncherMenu.h"
#include "store/ModuleRecord.h"
#include "store/PluginRecord.h"
#include "sysact/DesktopManager.h"
#include "update/VendorSite.h"

namespace {

// The largest command id a menu item carries through the platform's 16-bit command word.
const int kMaxCommandId = 0xFFFE;

bool ModuleOn(int kind) { return IsModuleInMenu(kind, 0); }

void AppendPlugins(KxMenu& menu) {
  PluginList plugins;
  LoadPlugins(plugins);
  bool any = false;
  for (const PluginRecord& plugin : plugins) {
    int id = PluginCommandId(plugin.id);
    if (!(plugin.status & kPluginInMenu) || id == 0) continue;
    if (menu.AppendItem(static_cast<UINT>(id), plugin.name)) any = true;
  }
  if (any) menu.AppendSeparator();
}

void AppendDesktops(KxMenu& menu) {
  KxPopMenu* sub = menu.AppendSubMenu("虚拟桌面", 0);
  if (sub) {
    int current = TheDesktops ? TheDesktops->CurrentDesktop() : 0;
    HINSTANCE resources = ResourceInstance();
    for (int i = 0; i < DesktopManager::kCount; ++i) {
      KxMenuItem* item =
          sub->AppendItem(static_cast<UINT>(kModuleDesktop + i), "桌面" + KxString::FromInt(i + 1));
      if (item && i == current) item->picture.LoadIconResource(resources, IDI_DESKTOP_CURRENT);
    }
  }
  menu.AppendSeparator();
}

void AppendExplorer(KxMenu& menu) {
  KxPopMenu* sub = menu.AppendSubMenu("资源管理器", 0);
  if (!sub) return;
  sub->AppendItem(kModuleExplorer, "我的文档");
  sub->AppendSeparator();
  DWORD drives = GetLogicalDrives();
  for (int n = 0; n < 26; ++n) {
    if (!(drives & (1u << n))) continue;
    char letter = static_cast<char>('A' + n);
    sub->AppendItem(static_cast<UINT>(kModuleExplorer + letter), DriveLabel(letter));
  }
}

void AppendShutDown(KxMenu& menu) {
  if (KxPopMenu* sub = menu.AppendSubMenu("关机...", 0)) {
    sub->AppendItem(kModuleShutDown, "重启");
    sub->AppendItem(kCommandShutdownDialog, "关机");
    sub->AppendItem(kCommandPowerOff, "立即关机");
  }
  menu.AppendSeparator();
}

}  // namespace

KxString DriveLabel(char letter) {
  char root[] = {letter, ':', '\\', 0};
  UINT type = TheShell().DriveType(root);
  const char* label = "";
  switch (type) {
    case DRIVE_REMOVABLE: label = "USB"; break;
    case DRIVE_FIXED: label = "本地磁盘"; break;
    case DRIVE_REMOTE: label = "网络"; break;
    case DRIVE_CDROM: label = "光驱"; break;
    case DRIVE_RAMDISK: label = "RAM"; break;
    default: break;
  }
  return KxString(label) + " (" + KxString(&letter, 1) + ":)";
}

int PluginCommandId(const KxString& pluginId) {
  int length = pluginId.Length();
  if (length == 0 || length > 5 || (length > 1 && pluginId.At(0) == '0')) return 0;
  int number = 0;
  for (int i = 0; i < length; ++i) {
    char c = pluginId.At(i);
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  int id = kCommandPluginBase + number;
  return id <= kMaxCommandId ? id : 0;
}

void BuildCommandMenu(KxMenu& menu, bool kitVisible, bool kitShrunk) {
  if (kitVisible) {
    menu.AppendItem(kCommandKitSize, kitShrunk ? "正常窗口" : "缩小窗口");
    menu.AppendItem(kModuleWndMain, "隐藏窗口");
    menu.AppendItem(kCommandKitImage, "Velibox图像");
  } else {
    menu.AppendItem(kModuleWndMain, "显示Velibox");
  }
  menu.AppendSeparator();
  menu.AppendItem(kModuleOption, "设置...");
  menu.AppendItem(kModuleSearch, "快速启动");
  menu.AppendSeparator();
  AppendPlugins(menu);
  if (ModuleOn(kModuleDesktop)) AppendDesktops(menu);
  if (ModuleOn(kModuleNote)) {
    menu.AppendItem(kModuleNote, "便签...");
    menu.AppendItem(kCommandShowAllNotes, "显示所有");
    menu.AppendItem(kCommandNewNote, "新便签");
    menu.AppendSeparator();
  }
  // No separator between the Explorer and the shut-down sub-menus.
  if (ModuleOn(kModuleExplorer)) AppendExplorer(menu);
  if (ModuleOn(kModuleShutDown)) AppendShutDown(menu);
  if (ModuleOn(kModuleAbout)) menu.AppendItem(kModuleAbout, "关于");
  if (ModuleOn(kModuleHelp)) menu.AppendItem(kModuleHelp, "帮助");
  if (ModuleOn(kModuleExit)) menu.AppendItem(kModuleExit, "退出");
}

void ShowCommandMenu(KxControl* owner) {
  bool visible = TheKitWindow ? TheKitWindow->IsVisible() : true;
  bool shrunk = TheKitWindow ? TheKitWindow->IsShrunk() : true;
  KxPopMenu menu;
  BuildCommandMenu(menu, visible, shrunk);
  TheShell().RouteCommand(menu.Popup(owner, true));
}

// ---- Actions

void ShowHelp() { OpenFile(VendorSiteUrl() + kHelpPagePath + kHelpPageFlag); }
