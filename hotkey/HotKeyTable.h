#pragma once
// The process-wide table of registered global hotkeys, bound to the kit window, and what a
// pressed code (WM_HOTKEY) means. That is looked up in the database at every press: enabled
// modules of KX_MODULE first, then enabled plug-ins of KX_PLUGIN.
//
// A combination that the platform refuses (another program holds it, or it is invalid)
// stays in the table, marked taken; a registration pass names the refusals in one tray
// balloon, each combination once for as long as the table serves one window.

#include <windows.h>

#include <cstdint>

#include "kx/base/KxList.h"
#include "kx/base/KxString.h"

struct HotKeyEntry {
  KxString name;  // "HotKey" + the code's text: equal texts share one registration
  ATOM id = 0;    // global atom of the name
  HWND window = NULL;
  uint32_t code = 0;
  bool taken = false;  // RegisterHotKey refused it
};

class HotKeyTable {
public:
  HotKeyTable() = default;
  HotKeyTable(const HotKeyTable&) = delete;
  HotKeyTable& operator=(const HotKeyTable&) = delete;
  ~HotKeyTable() { Clear(); }

  // The window of every later registration; the balloon forgets what it named.
  void SetWindow(HWND hwnd);
  HWND Window() const { return window; }
  // Replaces an entry of the same name; false when the platform refused the combination.
  bool Register(const KxString& name, uint32_t code);
  void Clear();
  int Count() const { return entries.Count(); }
  const KxList<HotKeyEntry>& Entries() const { return entries; }
  // Whether a balloon named a refused combination's text already.
  bool IsNamed(const KxString& text) const;
  void SetNamed(const KxString& text);

private:
  static void Unregister(HotKeyEntry& entry);

  HWND window = NULL;
  KxList<HotKeyEntry> entries;
  KxStringList named;  // refused texts a balloon named
};

extern HotKeyTable TheHotKeys;

// The entry name of a code: "HotKey" + its text.
KxString HotKeyEntryName(uint32_t code);
// Clears the table and registers every enabled module hotkey, then every enabled plug-in
// hotkey. Returns the texts of the codes the platform refused (empty when all went in),
// those without a modifier included; one tray balloon names the others that no balloon
// named before.
KxStringList RegisterAllHotKeys();
// True when the last registration pass could not register this code.
bool IsHotKeyTaken(uint32_t code);
// What a pressed code does: the command of the first enabled module with it, else the
// first enabled plug-in to show; neither for an unknown code.
struct HotKeyTarget {
  int command = 0;    // a command id; 0 for none
  KxString pluginId;  // empty for none
};
HotKeyTarget FindHotKeyTarget(uint32_t code);
