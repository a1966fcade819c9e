#include "launcher/LauncherMenu.h"

#include <memory>
#include <new>

#include "app/KxApp.h"
#include "app/KxShell.h"
#include "app/ProgramShell.h"
#include "app/resource.h"
#include "kx/KxMenu.h"
#include "kx/base/KxFile.h"
#include "store/KxDb.h"
#include "store/LaunchRecord.h"

const char kLauncherBannerText[] = "快捷之Velibox";
const char kMaintenanceItemText[] = "快捷维护";

namespace {

// The platform opens no more than a few dozen cascading levels; deeper ones would only
// cost stack.
constexpr int kMaxLevelDepth = 64;

// One flag per possible 16-bit S_ID: the groups whose level is already in the menu.
class ExpandedGroups {
public:
  ExpandedGroups() : flags(new (std::nothrow) unsigned char[kCount]()) {}
  bool IsReady() const { return flags != nullptr; }
  // False when id was marked before.
  bool Mark(int id) {
    unsigned char& flag = flags[static_cast<unsigned short>(id)];
    if (flag) return false;
    flag = 1;
    return true;
  }

private:
  static constexpr int kCount = 65536;
  std::unique_ptr<unsigned char[]> flags;
};

void AppendLevel(KxMenu& menu, const ShortcutList& list, int parentId, ExpandedGroups& expanded,
                 int depth) {
  ShortcutList::Node* node = list.Head();
  while (node && node->value.parentId != parentId) node = node->next;
  for (; node && node->value.parentId == parentId; node = node->next) {
    const ShortcutRecord& record = node->value;
    if (record.kind == kShortcutSeparator) {
      menu.AppendSeparator();
    } else if (record.kind == kShortcutGroup) {
      KxPopMenu* sub = menu.AppendSubMenu(record.text, record.icon.Get());
      if (!sub) continue;
      // Every group the program makes carries the group icon of the resources.
      menu.items.Tail()->value->picture.SetSizedIcon(record.icon.Get(), kShortcutIconSide,
                                                     ResourceInstance(), IDI_GROUP);
      if (depth < kMaxLevelDepth && expanded.Mark(record.id))
        AppendLevel(*sub, list, record.id, expanded, depth + 1);
    } else if (KxMenuItem* item = menu.AppendItem(static_cast<UINT>(record.id), record.text)) {
      // At another DPI than 96 the stored icon gives way to the program's own at the side.
      item->picture.SetSizedIcon(record.icon.Get(), kShortcutIconSide, record.path);
    }
  }
}

bool IsDriveLetterPath(const KxString& path) {
  char letter = path.At(0);
  return ((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) &&
         path.At(1) == ':';
}

}  // namespace

void AppendShortcutLevel(KxMenu& menu, const ShortcutList& list, int parentId) {
  ExpandedGroups expanded;
  if (!expanded.IsReady()) return;
  expanded.Mark(parentId);
  AppendLevel(menu, list, parentId, expanded, 0);
}

void BuildLauncherMenu(KxMenu& menu, const ShortcutList& list) {
  menu.SetBannerWidth(kLauncherBannerWidth);
  menu.SetBannerText(kLauncherBannerText);
  if (KxMenuItem* maintain = menu.AppendItem(kMaintenanceCommand, "")) {
    maintain->text = kMaintenanceItemText;
    HINSTANCE resources = ResourceInstance();
    maintain->picture.LoadIconResource(resources, IDI_MAINTAIN);
  }
  menu.AppendSeparator();
  AppendShortcutLevel(menu, list, 0);
}

void ShowLauncherMenu(KxControl* owner) {
  ShortcutList list;
  LoadShortcuts(list);
  // The rows are read anew at every show; a resident program keeps no copy of their pages.
  TheDb.ReleaseCache();
  KxPopMenu menu;
  BuildLauncherMenu(menu, list);
  int chosen = menu.Popup(owner, true);
  if (chosen == kMaintenanceCommand) {
    TheShell().ToggleToolWindow(ToolWindow::kMaintenance);
  } else if (chosen > 0) {
    LaunchShortcut(list, chosen);
  }
}

KxString ShortcutPathOf(const ShortcutList& list, int id) {
  for (auto& item : list)
    if (item.id == id) return item.path;
  return KxString();
}

void LaunchShortcut(const ShortcutList& list, int id) {
  KxString path = ShortcutPathOf(list, id);
  if (path.IsEmpty()) return;
  // An address (an imported Internet shortcut) goes to the program the shell has for it.
  if (IsAddress(path)) {
    if (OpenFile(path)) RecordLaunch(id);
    return;
  }
  if (FileExists(path)) {
    if (LaunchFile(path, "")) RecordLaunch(id);
    return;
  }
  // Only a drive letter is worth replacing: the first byte of a relative or network path
  // is part of a name, and changing it would store a different file.
  if (!IsDriveLetterPath(path)) return;
  DWORD drives = GetLogicalDrives();
  for (int letter = 25; letter >= 0; --letter) {
    if (!(drives & (1u << letter))) continue;
    path.Buffer()[0] = static_cast<char>('A' + letter);
    if (FileExists(path)) {
      SetShortcutPath(id, path);  // the program starts even when this fails
      if (LaunchFile(path, "")) RecordLaunch(id);
      return;
    }
  }
}
