// Registration of the stored hotkeys with the real platform, a combination held by another
// program, and the dispatch of a pressed code to the module or plug-in it names.

#include <gtest/gtest.h>

#include <string>

#include "hotkey/HotKeyCheck.h"
#include "hotkey/HotKeyCode.h"
#include "hotkey/HotKeyTable.h"
#include "kx/KxForm.h"
#include "kx/KxTaskBar.h"
#include "store/KxDb.h"
#include "store/ModuleRecord.h"
#include "store/PluginRecord.h"
#include "store/Schema.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"
#include "kx/base/KxWide.h"

namespace {

uint32_t CtrlAlt(int key) { return kHotKeyCtrl | kHotKeyAlt | (static_cast<uint32_t>(key) << 16); }

// True when the platform lets a window of this test take the combination, that is when
// nobody holds it; the probe gives it back at once.
bool Free(HWND probe, uint32_t code) {
  if (!RegisterHotKey(probe, 0xBEEF, code & 0xFFFF, code >> 16)) {
    EXPECT_EQ(static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED), GetLastError());
    return false;
  }
  UnregisterHotKey(probe, 0xBEEF);
  return true;
}

void AddPlugin(const char* id, uint32_t code, int status) {
  PluginRecord plugin;
  plugin.id = id;
  plugin.name = id;
  plugin.hotKey = static_cast<int>(code);
  plugin.status = status;
  ASSERT_TRUE(InsertPlugin(plugin));
}

class HotKeys : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    dir = MakeScratchDir("hotkeys");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
    ASSERT_TRUE(TheDb.Exec("delete from KX_MODULE"));
    owner = new KxForm(nullptr, "hotkeys", KxRect{10, 10, 60, 40}, WS_POPUP);
    probe = new KxForm(nullptr, "probe", KxRect{10, 60, 60, 40}, WS_POPUP);
    TheHotKeys.SetWindow(owner->hwnd);
  }
  void TearDown() override {
    TheTaskBar.notify = Shell_NotifyIconW;
    TheHotKeys.Clear();
    delete probe;
    delete owner;
    TheDb.Close();
    RemoveTree(dir);
  }

  KxString dir;
  KxForm* owner = nullptr;
  KxForm* probe = nullptr;
};

}  // namespace

TEST_F(HotKeys, EnabledRowsRegisterOnceAndACombinationHeldElsewhereIsNamed) {
  const uint32_t f5 = CtrlAlt(VK_F5), f6 = CtrlAlt(VK_F6), f7 = CtrlAlt(VK_F7), f8 = CtrlAlt(VK_F8),
                 f9 = CtrlAlt(VK_F9);
  ASSERT_TRUE(SaveWndMainModule(static_cast<int>(f5), true, true));
  ASSERT_TRUE(SaveHelpModule(static_cast<int>(f5), true, true));    // the same code again
  ASSERT_TRUE(SaveAboutModule(static_cast<int>(f6), false, true));  // hotkey switched off
  ASSERT_TRUE(SaveExitModule(static_cast<int>(f9), true, true));    // held by another program
  AddPlugin("1", f7, kPluginHotKeyOn);
  AddPlugin("2", f8, kPluginInMenu);  // hotkey switched off

  HANDLE holder = StartProcess(TestBinDir() + "\\velix_hotkey_holder.exe",
                               KxString::FromInt(static_cast<int>(f9 & 0xFFFF)) + " " +
                                   KxString::FromInt(VK_F9), "");
  ASSERT_NE(nullptr, holder);
  ASSERT_TRUE(WaitFor([&] { return !Free(probe->hwnd, f9); }, 5000)) << "the holder has it";

  int balloons = 0;
  TheTaskBar.notify = [&](DWORD message, NOTIFYICONDATAW* data) {
    if (message == NIM_MODIFY && (data->uFlags & NIF_INFO)) ++balloons;
    return Shell_NotifyIconW(message, data);
  };
  ASSERT_TRUE(TheTaskBar.Add(owner->hwnd, "hotkeys", 101));
  KxStringList refused;
  // Passes as the kit window's hides make them: one registration per name each time, and
  // the lasting conflict named once.
  for (int pass = 0; pass < 3; ++pass) refused = RegisterAllHotKeys();
  EXPECT_EQ(1, balloons);
  EXPECT_EQ(KxString("热键未能注册"), KxFromWide(TheTaskBar.Data()->szInfoTitle));
  EXPECT_EQ(KxString("以下热键已被占用或无效：CTRL+ALT+F9"), KxFromWide(TheTaskBar.Data()->szInfo));
  TheTaskBar.Hide();
  std::string names;
  for (const auto& item : TheHotKeys.Entries())
    names += std::string(item.name.CStr()) + " ";
  EXPECT_EQ("HotKeyCTRL+ALT+F5 HotKeyCTRL+ALT+F9 HotKeyCTRL+ALT+F7 ", names);
  EXPECT_EQ(1, refused.Count());
  EXPECT_TRUE(refused.Contains("CTRL+ALT+F9"));
  EXPECT_TRUE(IsHotKeyTaken(f9));
  EXPECT_FALSE(IsHotKeyTaken(f5));
  EXPECT_FALSE(Free(probe->hwnd, f5));
  EXPECT_FALSE(Free(probe->hwnd, f7));
  EXPECT_TRUE(Free(probe->hwnd, f6));
  EXPECT_TRUE(Free(probe->hwnd, f8));

  TerminateProcess(holder, 0);
  WaitProcess(holder, 5000, nullptr);
  CloseHandle(holder);
  EXPECT_TRUE(RegisterAllHotKeys().IsEmpty()) << "free now, and taken without a balloon";
  EXPECT_FALSE(Free(probe->hwnd, f9));
  EXPECT_EQ(1, balloons);
  TheHotKeys.Clear();
  EXPECT_EQ(0, TheHotKeys.Count());
  EXPECT_TRUE(Free(probe->hwnd, f5)) << "cleared means given back";

  // The stored default of the launcher menu: Ctrl+Alt+Win and no key, registered as it is.
  // Desktop rows saved without modifiers would take the bare digits from every program.
  ASSERT_TRUE(SaveLeftMenuModule(static_cast<int>(kHotKeyCtrl | kHotKeyAlt | kHotKeyWin), true));
  ASSERT_TRUE(SaveDesktopModules(0, true, true));
  refused = RegisterAllHotKeys();
  EXPECT_EQ(13, TheHotKeys.Count());
  EXPECT_EQ(9, refused.Count() - (refused.Contains("CTRL+ALT+WIN") ? 1 : 0));
  EXPECT_TRUE(IsHotKeyTaken('5' << 16));
  EXPECT_TRUE(Free(probe->hwnd, '5' << 16));
  RecordProperty("ModifiersOnlyRefused", refused.Contains("CTRL+ALT+WIN") ? "yes" : "no");
}

TEST_F(HotKeys, APressedCodeMeansTheFirstEnabledModuleElseThePlugin) {
  const uint32_t a = CtrlAlt('A'), b = CtrlAlt('B'), c = CtrlAlt('C'), d = CtrlAlt('D');
  ASSERT_TRUE(SaveOptionModule(static_cast<int>(a), true));
  AddPlugin("7", a, kPluginHotKeyOn);                             // the module wins
  ASSERT_TRUE(SaveNoteModule(static_cast<int>(b), false, true));  // switched off
  AddPlugin("8", b, kPluginHotKeyOn);
  AddPlugin("9", c, kPluginInMenu);  // switched off
  ASSERT_TRUE(SaveMenuManageModule(static_cast<int>(d), true));
  const struct {
    uint32_t code;
    int command;
    const char* plugin;
  } cases[] = {
      {a, 140, ""}, {b, 0, "8"}, {c, 0, ""}, {d, 130, ""}, {CtrlAlt('E'), 0, ""},
  };
  for (const auto& k : cases) {
    HotKeyTarget target = FindHotKeyTarget(k.code);
    EXPECT_EQ(k.command, target.command) << HotKeyCode(k.code).Text().CStr();
    EXPECT_STREQ(k.plugin, target.pluginId.CStr()) << HotKeyCode(k.code).Text().CStr();
  }
}

// Who else has a combination: equal texts across kinds, ranges and plug-ins, never the
// command itself; and which codes lack a modifier that matters.
TEST_F(HotKeys, TheOtherCommandsWithACombination) {
  HotKeyCommands commands;
  auto add = [&](HotKeyCommand command, const char* name, uint32_t code) {
    command.name = name;
    command.code = code;
    commands.Add(command);
  };
  add(ModuleCommand(kModuleNote), "便签", CtrlAlt('N'));
  add(PluginCommand("7"), "插件 七", CtrlAlt('E'));
  add(ModuleCommand(kModuleExplorer), "资源管理器(E盘)", CtrlAlt('E'));
  add(ModuleCommand(kModuleExit), "退出", kHotKeyCtrl | (VK_NUMPAD1 << 16));  // shown as CTRL+1
  const struct {
    uint32_t code;
    HotKeyCommand self;
    const char* sharers;
    const char* firstShared;
  } cases[] = {
      {CtrlAlt('N'), ModuleCommand(kModuleAbout), "便签", "CTRL+ALT+N"},
      {CtrlAlt('N'), ModuleCommand(kModuleNote), "", ""},
      {CtrlAlt(0), ModuleCommand(kModuleDesktop), "", ""},
      {CtrlAlt(0), ModuleCommand(kModuleExplorer), "插件 七、便签", "CTRL+ALT+E"},
      {CtrlAlt('E'), PluginCommand("8"), "插件 七、资源管理器(E盘)", "CTRL+ALT+E"},
      {CtrlAlt('E'), PluginCommand("7"), "资源管理器(E盘)", "CTRL+ALT+E"},
      {kHotKeyCtrl | ('1' << 16), ModuleCommand(kModuleDesktop), "退出", "CTRL+1"},
      {kHotKeyCtrl | ('1' << 16), ModuleCommand(kModuleHelp), "退出", "CTRL+1"},
  };
  for (const auto& c : cases) {
    HotKeyCheck check = CheckHotKey(c.code, c.self, commands);
    std::string sharers;
    for (const auto& name : check.sharers) sharers += (sharers.empty() ? "" : "、") + std::string(name.CStr());
    EXPECT_EQ(c.sharers, sharers) << HotKeyCode(c.code).Text().CStr();
    EXPECT_STREQ(c.firstShared, check.firstShared.CStr()) << HotKeyCode(c.code).Text().CStr();
  }
  const struct {
    uint32_t code;
    bool needs;
  } modifiers[] = {
      {'A' << 16, true}, {kHotKeyShift | ('A' << 16), true}, {kHotKeyShift | (VK_SPACE << 16), true},
      {kHotKeyAlt | ('A' << 16), false}, {VK_F5 << 16, false}, {kHotKeyShift | (VK_F5 << 16), false},
      {kHotKeyWin | (VK_OEM_1 << 16), false}, {VK_NUMPAD5 << 16, true}, {0, false},
  };
  for (const auto& m : modifiers) EXPECT_EQ(m.needs, NeedsModifier(m.code)) << std::hex << m.code;
}
