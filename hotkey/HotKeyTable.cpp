#include "hotkey/HotKeyTable.h"

#include "app/ProgramShell.h"
#include "hotkey/HotKeyCheck.h"
#include "hotkey/HotKeyCode.h"
#include "kx/KxTaskBar.h"
#include "store/ModuleRecord.h"
#include "store/PluginRecord.h"

HotKeyTable TheHotKeys;

namespace {

const char kTakenTitle[] = "热键未能注册";
const char kTakenLead[] = "以下热键已被占用或无效：";
// A tray balloon holds a few hundred characters; further names are left to the window.
const int kBalloonNames = 8;

// conflicts gets the refused codes that have a modifier: one without is the settings
// window's to mark, not a conflict to announce.
bool RegisterCode(uint32_t code, KxStringList& refused, KxStringList& conflicts) {
  if (TheHotKeys.Register(HotKeyEntryName(code), code)) return true;
  KxString text = HotKeyCode(code).Text();
  if (!refused.Contains(text)) refused.Add(text);
  if (!NeedsModifier(code) && !conflicts.Contains(text)) conflicts.Add(text);
  return false;
}

// The platform's id of an entry: applications are to use ids below 0xC000 (the atom range
// belongs to shared libraries), and the low 14 bits of a string atom tell atoms apart.
int PlatformId(ATOM atom) { return (atom & 0x3FFF) + 1; }

}  // namespace

KxString HotKeyEntryName(uint32_t code) { return "HotKey" + HotKeyCode(code).Text(); }

void HotKeyTable::Unregister(HotKeyEntry& entry) {
  if (entry.id == 0) return;
  if (entry.window && !entry.taken) UnregisterHotKey(entry.window, PlatformId(entry.id));
  GlobalDeleteAtom(entry.id);
  entry.id = 0;
}

bool HotKeyTable::Register(const KxString& name, uint32_t code) {
  for (KxListNode<HotKeyEntry>* node = entries.Head(); node; node = node->next) {
    if (node->value.name == name) {
      Unregister(node->value);
      entries.Remove(node);
      break;
    }
  }
  HotKeyEntry entry;
  entry.name = name;
  entry.id = GlobalAddAtomA(name.CStr());
  entry.window = window;
  entry.code = code;
  // A code with modifiers and no key goes to the platform as it is, with key 0.
  entry.taken = entry.id == 0 || NeedsModifier(code) ||
                !RegisterHotKey(window, PlatformId(entry.id), code & 0xFFFF, (code >> 16) & 0xFFFF);
  bool registered = !entry.taken;
  entries.Add(entry);
  return registered;
}

void HotKeyTable::SetWindow(HWND hwnd) {
  window = hwnd;
  named.Clear();
}

bool HotKeyTable::IsNamed(const KxString& text) const { return named.Contains(text); }

void HotKeyTable::SetNamed(const KxString& text) {
  if (!named.Contains(text)) named.Add(text);
}

void HotKeyTable::Clear() {
  for (auto& item : entries)
    Unregister(item);
  entries.Clear();
}

KxStringList RegisterAllHotKeys() {
  TheHotKeys.Clear();
  KxStringList refused, conflicts;
  ModuleList modules;
  LoadModules(modules);
  for (const ModuleRecord& module : modules) {
    if (!module.HotKeyOn() || module.hotKey == 0) continue;
    RegisterCode(static_cast<uint32_t>(module.hotKey), refused, conflicts);
  }
  PluginList plugins;
  LoadPlugins(plugins);
  for (const PluginRecord& plugin : plugins) {
    if (!(plugin.status & kPluginHotKeyOn) || plugin.hotKey == 0) continue;
    RegisterCode(static_cast<uint32_t>(plugin.hotKey), refused, conflicts);
  }
  // A combination is named once per run: a lasting conflict would otherwise raise the
  // balloon at every pass, each time the kit window hides.
  KxStringList unnamed;
  for (const auto& text : conflicts)
    if (!TheHotKeys.IsNamed(text)) unnamed.Add(text);
  if (!unnamed.IsEmpty()) {
    KxString text = kTakenLead;
    int shown = 0;
    for (const KxListNode<KxString>* node = unnamed.Head(); node && shown < kBalloonNames;
         node = node->next, ++shown)
      text += (shown ? "、" : "") + node->value;
    if (unnamed.Count() > kBalloonNames) text += "……";
    // Not shown (no notification area yet), or past the "……": named at a later pass.
    if (TheTaskBar.ShowBalloon(kTakenTitle, text.CStr())) {
      shown = 0;
      for (const KxListNode<KxString>* node = unnamed.Head(); node && shown < kBalloonNames;
           node = node->next, ++shown)
        TheHotKeys.SetNamed(node->value);
    }
  }
  return refused;
}

bool IsHotKeyTaken(uint32_t code) {
  // Refused entries stay in the table; the entry of an equal text decides, since a later
  // code of the same text replaced it.
  KxString name = HotKeyEntryName(code);
  for (const auto& item : TheHotKeys.Entries())
    if (item.name == name) return item.taken;
  return false;
}

HotKeyTarget FindHotKeyTarget(uint32_t code) {
  HotKeyTarget target;
  ModuleRecord module;
  if (FindModuleByHotKey(module, static_cast<int>(code), true)) {
    switch (module.type) {
      case kModuleExplorer:  // M_ID is the drive letter, or 0 for Explorer without one
      case kModuleDesktop:   // M_ID is the desktop's index
        target.command = module.type + module.id;
        break;
      case kModuleShutDown:
        // The hotkey powers off at once; the menu's item of the same number restarts.
        target.command = kCommandPowerOff;
        break;
      default:
        target.command = module.type;
        break;
    }
    return target;
  }
  PluginRecord plugin;
  if (FindPluginByHotKey(plugin, static_cast<int>(code), true)) target.pluginId = plugin.id;
  return target;
}
