// The plug-in host against real DLLs: the sample plug-in and plug-ins broken on purpose
// (no exports, InitPlugin giving nullptr, InitPlugin crashing) plus a file that is no DLL.
// Identification runs in a child velix.exe, so the crashing one must leave this process
// alive; showing loads a plug-in once, and unloading releases it before freeing it. What
// the child and its parent exchange is tested without either (PluginIdentityTest.cpp).

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "plugin/PluginHost.h"
#include "plugin/PluginRegistry.h"
#include "store/KxDb.h"
#include "store/PluginRecord.h"
#include "store/Schema.h"
#include "tests/support/RecordingShell.h"
#include "kx/base/KxFile.h"
#include "tests/support/TestUtil.h"
#include "tests/support/WideNames.h"

namespace {

const char kSampleDll[] = "velix_sample_plugin.dll";
const char kSampleClass[] = "VelixSamplePlugin";
const char kSampleTitle[] = "示例插件";
// A file that is no DLL, beside the program as plug-ins are; each test process writes its
// own, since CTest runs this program's cases side by side.
KxString NotADllName() {
  return "plugin-host-not-a-dll-" + KxString::FromInt(static_cast<int>(GetCurrentProcessId())) + ".vlx";
}

// The host's view of the record: an integer, then six of the program's own strings.
struct ProgramRecord {
  int reserved;
  KxString texts[6];
};

TEST(PluginHost, ExchangeRecordHasTheProgramsStringLayout) {
  KxString text("示例");
  VelixString view;
  static_assert(sizeof view == sizeof text, "string size");
  std::memcpy(&view, static_cast<const void*>(&text), sizeof view);
  EXPECT_EQ(view.data, text.CStr());
  EXPECT_EQ(view.length, text.Length());
  EXPECT_EQ(sizeof(PluginInfo), sizeof(ProgramRecord));
  EXPECT_EQ(offsetof(PluginInfo, extra), offsetof(ProgramRecord, texts));
  EXPECT_EQ(offsetof(PluginInfo, helpUrl), offsetof(ProgramRecord, texts) + 5 * sizeof(KxString));
}

class PluginHostFiles : public ::testing::Test {
protected:
  void SetUp() override {
    bin = TestBinDir();
    scratch = MakeScratchDir("plugin-host-files");
    ASSERT_TRUE(WriteFileBytes(bin + "\\" + notADll, "MZ but nothing more than text"));
    shell.identifyProgram = bin + "\\velix.exe";
  }
  void TearDown() override {
    UnloadAllPlugins();
    DeleteFileA((bin + "\\" + notADll).CStr());
    RemoveTree(scratch);
  }
  const KxString notADll = NotADllName();
  KxString bin;
  KxString scratch;
  std::string actions;
  RecordingShell shell{actions};
};

TEST_F(PluginHostFiles, IdentifyRunsThePackageInAChildAndTrustsOnlyAGoodAnswer) {
  struct Case {
    const char* file;
    bool identified;
    DWORD childExit;  // the identify run's own exit code
  } cases[] = {
      {kSampleDll, true, 0},
      {"broken_no_exports.dll", false, 1},
      {"broken_null_init.dll", false, 1},
      {"broken_crash_init.dll", false, EXCEPTION_ACCESS_VIOLATION},
      {nullptr, false, 1},  // the file that is no DLL
      {"no-such-plugin.dll", false, 1},
  };
  for (Case c : cases) {
    if (!c.file) c.file = notADll.CStr();
    const KxString answer = scratch + "\\answer.txt";
    HANDLE child = StartProcess(bin + "\\velix.exe", "-identify " + bin + "\\" + c.file + " " + answer, bin);
    DWORD code = 0;
    EXPECT_TRUE(WaitProcess(child, 15000, &code)) << c.file;
    EXPECT_EQ(c.childExit, code) << c.file;
    if (child) CloseHandle(child);
    DeleteFileA(answer.CStr());
    PluginIdentity identity{"old", "old", "old"};
    EXPECT_EQ(IdentifyPackage(bin + "\\" + c.file, identity),
              c.identified ? IdentifyResult::kIdentified : IdentifyResult::kRefused)
        << c.file;
    if (c.identified) {
      EXPECT_EQ(identity.version, "1.0");
      EXPECT_EQ(identity.id, "9001");
      EXPECT_EQ(identity.name, kSampleTitle);
    } else {
      EXPECT_EQ(identity.id, "old") << c.file;  // a failure leaves the record alone
    }
    // Identification never loads the package here.
    EXPECT_EQ(GetModuleHandleA(c.file), nullptr) << c.file;
  }
  // A package named outside GBK, in such a folder: the child gets its path whole through
  // its command line.
  const KxString wideDir = scratch + "\\" + Gb(kKoreanFolder);
  const KxString widePackage = wideDir + "\\" + Gb(kRareHanzi) + Gb(kAccentedFile) + ".dll";
  ASSERT_TRUE(MakeDirectory(wideDir));
  ASSERT_TRUE(CopyFileTo(widePackage, bin + "\\" + kSampleDll));
  PluginIdentity wide;
  EXPECT_EQ(IdentifyResult::kIdentified, IdentifyPackage(widePackage, wide));
  EXPECT_EQ(wide.id, "9001");

  // A child that cannot start says nothing of the plug-in.
  shell.identifyProgram = bin + "\\no-such-program.exe";
  PluginIdentity identity;
  EXPECT_EQ(IdentifyResult::kNotRun, IdentifyPackage(bin + "\\" + kSampleDll, identity));
}

class PluginHostShow : public PluginHostFiles {
protected:
  void SetUp() override {
    PluginHostFiles::SetUp();
    dir = MakeScratchDir("plugin-host");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
    const char* rows[][2] = {{"9001", kSampleDll},
                             {"null", "broken_null_init.dll"},
                             {"none", "broken_no_exports.dll"},
                             {"text", notADll.CStr()},
                             {"gone", "no-such-plugin.dll"}};
    for (const auto& row : rows) {
      PluginRecord record;
      record.id = row[0];
      record.path = row[1];
      ASSERT_TRUE(InsertPlugin(record));
    }
  }
  void TearDown() override {
    PluginHostFiles::TearDown();
    TheDb.Close();
    RemoveTree(dir);
  }
  static HWND SampleWindow() { return FindWindowA(kSampleClass, kSampleTitle); }
  KxString dir;
};

TEST_F(PluginHostShow, ShownOnceLoadedOnceAndReleasedBeforeUnloading) {
  ASSERT_TRUE(ShowPluginById("9001"));
  HWND window = SampleWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  HMODULE module = GetModuleHandleA(kSampleDll);
  ASSERT_NE(module, nullptr);
  ASSERT_NE(ThePlugins.Find("9001"), nullptr);
  EXPECT_EQ(ThePlugins.Find("9001")->Handle(), module);

  // A second show reuses the loaded plug-in and its window.
  ShowWindow(window, SW_HIDE);
  ASSERT_TRUE(ShowPluginById("9001"));
  EXPECT_EQ(ThePlugins.Count(), 1);
  EXPECT_EQ(ThePlugins.Find("9001")->Handle(), module);
  EXPECT_EQ(SampleWindow(), window);
  EXPECT_TRUE(IsWindowVisible(window));

  // ReleasePlugin closes the window while its code is still there, then the DLL goes.
  EXPECT_TRUE(UnloadPlugin("9001"));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(GetModuleHandleA(kSampleDll), nullptr);
  EXPECT_EQ(ThePlugins.Count(), 0);
  EXPECT_FALSE(UnloadPlugin("9001"));

  // The end of a run releases and unloads whatever is still loaded.
  ASSERT_TRUE(ShowPluginById("9001"));
  window = SampleWindow();
  ThePlugins.Clear();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(GetModuleHandleA(kSampleDll), nullptr);
}

TEST_F(PluginHostShow, PluginsThatCannotRunStayUnregistered) {
  struct Case {
    const char* id;
    const char* file;
    bool shown;  // and so kept loaded until unloaded, for whatever it put on the screen
  } cases[] = {
      {"null", "broken_null_init.dll", true},
      {"none", "broken_no_exports.dll", false},
      {"text", notADll.CStr(), false},
      {"gone", "no-such-plugin.dll", false},
      {"norow", nullptr, false},
  };
  for (int round = 0; round < 2; ++round) {
    for (const Case& c : cases) {
      EXPECT_EQ(ShowPluginById(c.id), c.shown) << c.id;
      EXPECT_FALSE(IsPluginLoaded(c.id)) << c.id;
      if (c.file) {
        EXPECT_EQ(GetModuleHandleA(c.file) != nullptr, c.shown) << c.id;
      }
    }
  }
  EXPECT_EQ(ThePlugins.Count(), 0);
  EXPECT_TRUE(UnloadPlugin("null"));
  EXPECT_EQ(GetModuleHandleA("broken_null_init.dll"), nullptr) << "one load for both shows";
  EXPECT_FALSE(UnloadPlugin("null"));
}

}  // namespace
