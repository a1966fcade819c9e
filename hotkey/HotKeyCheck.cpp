#include "hotkey/HotKeyCheck.h"

#include <windows.h>

#include "hotkey/HotKeyCode.h"
#include "hotkey/HotKeyTable.h"
#include "store/ModuleRecord.h"
#include "store/PluginRecord.h"

namespace {

const HotKeyRange kRanges[] = {
    {kModuleDesktop, '1', 9, "数字(1-8)"},
    {kModuleExplorer, 'A', 26, "盘符(A-Z)"},
};

// The names the settings window gives the kinds, without its padding.
const struct {
  int type;
  const char* name;
} kModuleNames[] = {
    {kModuleWndMain, "Velibox窗口"}, {kModuleTray, "托盘显/隐"},  {kModuleLeftMenu, "系统左菜单"},
    {kModuleSearch, "快速启动"},     {kModuleRightMenu, "系统右菜单"}, {kModuleMenuManage, "快捷维护"},
    {kModuleOption, "设置"},         {kModuleHelp, "帮助"},       {kModuleAbout, "关于"},
    {kModuleExit, "退出"},           {kModuleNote, "便签"},       {kModuleShutDown, "关机"},
    {kModuleExplorer, "资源管理器"}, {kModuleDesktop, "虚拟桌面"},
};

// The thread's own id for probes; registrations of the table use ids below 0x4001.
const int kProbeId = 0xBFF0;
// The editor names this many commands and then says "等".
const int kNamedSharers = 2;

KxString KindName(int type) {
  for (const auto& entry : kModuleNames)
    if (entry.type == type) return entry.name;
  return KxString();
}

KxString RowName(const ModuleRecord& row) {
  KxString kind = KindName(row.type);
  if (kind.IsEmpty()) return row.name;
  if (row.type == kModuleExplorer && row.id >= 'A' && row.id <= 'Z')
    return kind + "(" + KxString(static_cast<char>(row.id), 1) + "盘)";
  if (row.type == kModuleDesktop) return kind + "(桌面" + KxString::FromInt(row.id + 1) + ")";
  return kind;
}

bool IsTypingKey(int key) {
  return key == VK_BACK || key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE ||
         (key >= VK_SPACE && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE ||
         (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') ||
         (key >= VK_NUMPAD0 && key <= VK_DIVIDE) || (key >= VK_OEM_1 && key <= VK_OEM_3) ||
         (key >= VK_OEM_4 && key <= VK_OEM_8) || key == VK_OEM_102;
}

// The codes code stands for as self registers it.
KxList<uint32_t> CodesOf(uint32_t code, const HotKeyCommand& self) {
  KxList<uint32_t> codes;
  const HotKeyRange* range = self.moduleType ? HotKeyRangeOf(self.moduleType) : nullptr;
  if (!range) {
    if (code != 0) codes.Add(code);
    return codes;
  }
  for (int i = 0; i < range->count; ++i)
    codes.Add(static_cast<uint32_t>(HotKeyWithKey(static_cast<int>(code), range->firstKey + i)));
  return codes;
}

KxString Quoted(const KxStringList& names) {
  KxString text;
  int shown = 0;
  for (const auto& name : names) {
    if (shown == kNamedSharers) return text + "等";
    text += (shown++ ? "、“" : "“") + name + "”";
  }
  return text;
}

}  // namespace

const HotKeyRange* HotKeyRangeOf(int type) {
  for (const HotKeyRange& range : kRanges)
    if (range.type == type) return &range;
  return nullptr;
}

bool HotKeyCommand::SameAs(const HotKeyCommand& other) const {
  if (moduleType || other.moduleType) return moduleType == other.moduleType;
  return pluginId == other.pluginId;
}

HotKeyCommands LoadHotKeyCommands() {
  HotKeyCommands commands;
  ModuleList modules;
  LoadModules(modules);
  for (const ModuleRecord& row : modules) {
    if (!row.HotKeyOn() || row.hotKey == 0) continue;
    HotKeyCommand command = ModuleCommand(row.type);
    command.name = RowName(row);
    command.code = static_cast<uint32_t>(row.hotKey);
    commands.Add(command);
  }
  PluginList plugins;
  LoadPlugins(plugins);
  for (const PluginRecord& plugin : plugins) {
    if (!(plugin.status & kPluginHotKeyOn) || plugin.hotKey == 0) continue;
    HotKeyCommand command = PluginCommand(plugin.id);
    command.name = "插件 " + plugin.name;
    command.code = static_cast<uint32_t>(plugin.hotKey);
    commands.Add(command);
  }
  return commands;
}

HotKeyCommand ModuleCommand(int type) {
  HotKeyCommand command;
  command.moduleType = type;
  command.name = KindName(type);
  return command;
}

HotKeyCommand PluginCommand(const KxString& id) {
  HotKeyCommand command;
  command.pluginId = id;
  return command;
}

bool NeedsModifier(uint32_t code) {
  // Shift alone still types: Shift with a letter is the capital.
  int key = static_cast<int>((code >> 16) & 0xFF);
  return (code & (kHotKeyCtrl | kHotKeyAlt | kHotKeyWin)) == 0 && IsTypingKey(key);
}

bool IsHeldElsewhere(uint32_t code) {
  for (const auto& entry : TheHotKeys.Entries())
    if (entry.code == code && !entry.taken) return false;
  if (!RegisterHotKey(NULL, kProbeId, code & 0xFFFF, (code >> 16) & 0xFFFF)) return true;
  UnregisterHotKey(NULL, kProbeId);
  return false;
}

HotKeyCheck CheckHotKey(uint32_t code, const HotKeyCommand& self, const HotKeyCommands& commands) {
  HotKeyCheck check;
  // The entry names of the other commands once, not once for every key of a range; the
  // command itself gets none.
  KxStringList otherNames;
  for (const HotKeyCommand& other : commands)
    otherNames.Add(other.SameAs(self) ? KxString() : HotKeyEntryName(other.code));
  KxList<uint32_t> codes = CodesOf(code, self);
  for (uint32_t each : codes) {
    KxString text = HotKeyCode(each).Text();
    KxString name = HotKeyEntryName(each);
    if (NeedsModifier(each)) {
      check.needsModifier = true;
    } else if (IsHeldElsewhere(each)) {
      check.heldElsewhere.Add(text);
    }
    const KxListNode<KxString>* otherName = otherNames.Head();
    for (const HotKeyCommand& other : commands) {
      bool shared = otherName->value == name;
      otherName = otherName->next;
      if (!shared) continue;
      if (check.firstShared.IsEmpty()) check.firstShared = text;
      if (!check.sharers.Contains(other.name)) check.sharers.Add(other.name);
    }
  }
  return check;
}

KxString HotKeyCheckText(const HotKeyCheck& check, bool ranged) {
  if (check.IsClear()) return "可以使用";
  KxStringList lines;
  if (check.needsModifier) lines.Add("需要组合键: 请同时按住 Ctrl、Alt 或 Win");
  if (!check.heldElsewhere.IsEmpty()) {
    if (ranged) {
      KxString first = check.heldElsewhere.Head()->value;
      lines.Add(first + (check.heldElsewhere.Count() > 1 ? " 等" : " ") + "已被其他程序占用或为系统保留");
    } else {
      lines.Add("已被其他程序占用或为系统保留");
    }
  }
  if (!check.sharers.IsEmpty())
    lines.Add((ranged ? check.firstShared + " " : KxString()) + "已被" + Quoted(check.sharers) + "使用");
  KxString text;
  for (const auto& line : lines)
    text += (text.IsEmpty() ? "" : "\r\n") + line;
  return text;
}

KxString HotKeyCheckMark(const HotKeyCheck& check) {
  KxString marks;
  if (check.needsModifier) marks = "需要组合键";
  if (!check.heldElsewhere.IsEmpty()) marks += KxString(marks.IsEmpty() ? "" : "、") + "已被占用";
  if (!check.sharers.IsEmpty()) marks += KxString(marks.IsEmpty() ? "" : "、") + "重复";
  return marks.IsEmpty() ? KxString() : " (" + marks + ")";
}
