#pragma once
// What can be known of a combination before it is registered: whether it lacks the
// modifier a global hotkey needs, whether another program holds it (a probe registration,
// given back at once), and which other commands of this program have it on. The editor
// says it while the user chooses; the settings window marks its rows with it.

#include <cstdint>

#include "kx/base/KxList.h"
#include "kx/base/KxString.h"

// The kinds whose key is a range: one row per key, the user chooses only the modifiers.
struct HotKeyRange {
  int type;
  int firstKey;
  int count;
  const char* suffix;  // names the range where the key would stand: "数字(1-8)"
};
const HotKeyRange* HotKeyRangeOf(int type);

// A command with a hotkey: a module row or a plug-in.
struct HotKeyCommand {
  int moduleType = 0;  // 0 for a plug-in
  KxString pluginId;
  KxString name;  // as the user knows it: "便签", "资源管理器(E盘)", "插件 ..."
  uint32_t code = 0;

  // The same command as other: the same module kind (all rows of a range), or plug-in.
  bool SameAs(const HotKeyCommand& other) const;
};
using HotKeyCommands = KxList<HotKeyCommand>;

// Every module row and plug-in whose hotkey is on and set, in the order the registration
// pass takes them.
HotKeyCommands LoadHotKeyCommands();
// The command that a module kind is, or a plug-in.
HotKeyCommand ModuleCommand(int type);
HotKeyCommand PluginCommand(const KxString& id);

// A letter, digit or other typing key without Ctrl, Alt or Win: registered, it would take
// what it types from every program, so it never is.
bool NeedsModifier(uint32_t code);
// True when the platform refuses this thread the combination: another program holds it,
// or it is reserved. A combination that the hotkey table holds for this program is not.
bool IsHeldElsewhere(uint32_t code);

struct HotKeyCheck {
  bool needsModifier = false;
  KxStringList heldElsewhere;  // texts of the codes another program holds
  KxStringList sharers;        // names of the other commands with an equal combination
  KxString firstShared;        // the text of the first shared code (of a range)

  bool IsClear() const { return !needsModifier && heldElsewhere.IsEmpty() && sharers.IsEmpty(); }
};

// code as self would register it (every key of self's range when it has one), against
// the platform and the other commands. Equal texts count as equal: they register once.
HotKeyCheck CheckHotKey(uint32_t code, const HotKeyCommand& self, const HotKeyCommands& commands);
// The editor's lines: what keeps the combination from working, or that it can be used.
KxString HotKeyCheckText(const HotKeyCheck& check, bool ranged);
// The settings row's mark, " (已被占用、重复)"; "" when nothing stands in the way. A row
// whose hotkey is off is marked with what it would meet when switched on.
KxString HotKeyCheckMark(const HotKeyCheck& check);
