// The update check end to end: the test build of velix.exe (the test key compiled in) in a
// scratch program directory whose config.ini points the site at nginx on 127.0.0.1, which
// serves the description this test writes and the packages the fixture signed. The check
// is started by the button or by the ten-minute timer; an accepted package replaces the
// program through the rename mode, a refused one leaves it as it was.

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "kx/KxTaskBar.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxTime.h"
#include "net/KxAdapters.h"
#include "store/Backup.h"
#include "store/KxDb.h"
#include "store/Schema.h"
#include "store/SysValues.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"
#include "VelixVersion.h"

namespace {

const char kMarker[] = "\nvelix-upgrade-marker\n";

// The fixture's folder: nginx serves its www, the signed packages wait in packages.
KxString ServerDir() { return TestBinDir() + "\\..\\update-server"; }

int CountProcessesNamed(const char* name) {
  int count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (lstrcmpiA(entry.szExeFile, name) == 0) ++count;
  CloseHandle(snapshot);
  return count;
}

// The visible child of parent with this text (hidden controls may share it).
HWND VisibleChild(HWND parent, const char* text) {
  struct Search { const char* text; HWND found; } search{text, NULL};
  EnumChildWindows(parent, [](HWND w, LPARAM p) CALLBACK -> BOOL {
    Search* s = reinterpret_cast<Search*>(p);
    char got[128] = "";
    GetWindowTextA(w, got, sizeof got);
    if (!IsWindowVisible(w) || lstrcmpA(got, s->text) != 0) return TRUE;
    s->found = w;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND SampleWindow(DWORD pid) {
  HWND w = FindWindowA("VelixSamplePlugin", NULL);
  DWORD owner = 0;
  if (w) GetWindowThreadProcessId(w, &owner);
  return w && owner == pid && IsWindowVisible(w) ? w : NULL;
}

bool EndsWithMarker(const KxString& bytes) {
  int n = static_cast<int>(sizeof kMarker) - 1;
  return bytes.Length() > n && std::string(bytes.CStr() + bytes.Length() - n, n) == kMarker;
}

class UpdateRun : public ::testing::Test {
protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = MakeScratchDir((KxString("update-run-") + info->name()).CStr());
    exe = dir + "\\velix.exe";
    ASSERT_TRUE(CopyFileA((TestBinDir() + "\\velix_testkey.exe").CStr(), exe.CStr(), FALSE));
    original = ReadFileBytes(exe);
    ASSERT_TRUE(WriteFileBytes(dir + "\\config.ini", "[0]\r\nSITEURL=http://127.0.0.1\r\n"));
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
    CheckFirstUse(FirstAdapterAddress());
    RemoveFile(ServerDir() + "\\www\\soft\\info.xml");
    RemoveFile(ServerDir() + "\\www\\soft\\info.xml.minisig");
    RemoveFile(ServerDir() + "\\www\\soft\\velix.vlx");
    RemoveFile(ServerDir() + "\\www\\soft\\velix.vlx.minisig");
  }
  void TearDown() override {
    KillProcessesOf(exe);
    KillProcessesOf(dir + "\\velixtmp.exe");
    if (process) CloseHandle(process);
    if (TheDb.IsOpen()) TheDb.Close();
    RemoveTree(dir);
  }

  // One of the fixture's descriptions as the site's info.xml, with its signature unless it
  // has none.
  static void PublishDescription(const KxString& desc) {
    KxString from = ServerDir() + "\\packages\\" + desc;
    KxString to = ServerDir() + "\\www\\soft\\info.xml";
    ASSERT_TRUE(CopyFileA(from.CStr(), to.CStr(), FALSE)) << desc.CStr();
    RemoveFile(to + ".minisig");
    if (FileExistsAt(from + ".minisig")) {
      ASSERT_TRUE(CopyFileA((from + ".minisig").CStr(), (to + ".minisig").CStr(), FALSE));
    }
  }
  // The program's entry of desc-<ver>.xml ("same": this version, "newer", "0.9"; with one
  // plug-in entry), and the program package.
  static void Publish(const char* ver, const char* package, bool withSignature) {
    PublishDescription(KxString("desc-") + ver + ".xml");
    RemoveFile(ServerDir() + "\\www\\soft\\velix.vlx");
    if (!package) return;
    KxString from = ServerDir() + "\\packages\\" + package;
    ASSERT_TRUE(CopyFileA(from.CStr(), (ServerDir() + "\\www\\soft\\velix.vlx").CStr(), FALSE));
    if (withSignature) {
      ASSERT_TRUE(CopyFileA((from + ".minisig").CStr(), (ServerDir() + "\\www\\soft\\velix.vlx.minisig").CStr(), FALSE));
    }
  }

  // The program's own entry at this version and a plug-in's (desc-plugin-<desc>.xml), and
  // a package at the plug-in's path.
  static void PublishPlugin(const char* package, bool withSignature, const char* desc = "9001") {
    PublishDescription(KxString("desc-plugin-") + desc + ".xml");
    KxString from = ServerDir() + "\\packages\\" + package;
    KxString to = ServerDir() + "\\www\\soft\\sample.vlx";
    ASSERT_TRUE(CopyFileA(from.CStr(), to.CStr(), FALSE));
    RemoveFile(to + ".minisig");
    if (withSignature) {
      ASSERT_TRUE(CopyFileA((from + ".minisig").CStr(), (to + ".minisig").CStr(), FALSE));
    }
  }
  void Click(HWND control) {
    ASSERT_NE(nullptr, control);
    PumpFor(GetDoubleClickTime() + 50);
    POINT at = CentreOf(control);
    MovePointerTo(at.x, at.y);
    PressLeft();
    ReleaseLeft();
  }
  // The kit window's control with this text once it shows and takes input: the program
  // may still be between showing a row and showing its buttons.
  void ClickShown(const char* text) {
    HWND control = NULL;
    EXPECT_TRUE(PumpUntil([&] { return (control = VisibleChild(kit, text)) != NULL && IsWindowEnabled(control); }, 5000))
        << text;
    Click(control);
  }
  int PluginRows(const char* where) {
    if (!TheDb.Open(dir + "\\Config.db")) return -1;
    int n = TheDb.Count("KX_PLUGIN", where);
    TheDb.Close();
    return n;
  }

  void Start() {
    TheDb.Close();
    process = StartProcess(exe, "", dir);
    ASSERT_NE(nullptr, process);
    pid = GetProcessId(process);
    ASSERT_TRUE(PumpUntil([&] { return (kit = WindowOf(pid, "KxCardClassName", "Velix")) && IsWindowVisible(kit); }, 15000));
  }
  // Ends the run started last (killed, as a user's taskkill would).
  void Stop() {
    KillProcessesOf(exe);
    WaitProcess(process, 5000, nullptr);
    if (process) CloseHandle(process);
    process = NULL;
  }
  // The normal layout (command 92, as the menu sends it), then a click on "检查更新".
  void PressCheck() {
    HWND button = VisibleChild(kit, "检查更新");
    if (!button) PostMessageA(kit, WM_COMMAND, 92, 0);
    ASSERT_TRUE(PumpUntil([&] { return (button = VisibleChild(kit, "检查更新")) != NULL; }, 5000));
    Click(button);
  }
  bool ShowsText(const char* text) {
    return PumpUntil([&] { return ChildOfClass(kit, "KxCardClassName", text) != NULL; }, 15000);
  }
  // Read while the program may be writing: an open that finds the file busy reads nothing.
  KxString SysValue(int id) {
    if (!TheDb.Open(dir + "\\Config.db")) return KxString();
    KxString value = GetSysValue(id);
    TheDb.Close();
    return value;
  }
  KxString CheckDate() { return SysValue(kSysUpdateCheckDate); }
  // How often the site was asked for the description, from nginx's access log: proof that
  // a check ran when it is to change nothing.
  static int Requests(const char* path) {
    KxString log = ReadFileBytes(ServerDir() + "\\logs\\access.log");
    KxString request = KxString("GET ") + path + " ";
    int count = 0;
    for (int at = log.Find(0, request); at >= 0; at = log.Find(at + 1, request)) ++count;
    return count;
  }
  static int DescriptionRequests() { return Requests("/soft/info.xml"); }
  // PressCheck, then waits until the site was asked and the answer had time to show.
  void CheckAndWait() {
    int before = DescriptionRequests();
    PressCheck();
    EXPECT_TRUE(WaitFor([&] { return DescriptionRequests() > before; }, 10000)) << "a check ran";
    PumpFor(1000);
  }

  KxString dir, exe, original;
  HANDLE process = NULL;
  DWORD pid = 0;
  HWND kit = NULL;
};

TEST_F(UpdateRun, NewerAndOlderVersionsReplaceTheProgramThroughTheRenameMode) {
  const struct {
    const char* desc;
    const char* ver;
  } versions[] = {{"newer", VELIX_VERSION_TEXT ".1"}, {"0.9", "0.9"}};
  for (const auto& [desc, ver] : versions) {
    SCOPED_TRACE(ver);
    Publish(desc, "good.vlx", true);
    Start();
    PressCheck();
    HWND box = NULL;
    ASSERT_TRUE(PumpUntil([&] { return (box = WindowOf(pid, "#32770", nullptr)) != NULL; }, 20000)) << "the message";
    EXPECT_NE(nullptr, ChildOfClass(box, "Static", (KxString("Velix已更新，最新版本") + ver + "，重启应用新版本。").CStr()));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitProcess(process, 15000, nullptr)) << "the old run ends";
    CloseHandle(process);
    process = NULL;
    EXPECT_TRUE(WaitFor([&] { return EndsWithMarker(ReadFileBytes(exe)); }, 15000)) << "velix.exe is the new one";
    EXPECT_TRUE(WaitFor([&] { return CountWindowsOf(exe, "KxCardClassName") >= 1; }, 15000)) << "and runs";
    EXPECT_TRUE(WaitFor([&] { return !FileExistsAt(dir + "\\velixtmp.exe"); }, 15000)) << "the copy deleted itself";
    PumpFor(1000);
    EXPECT_EQ(1, CountProcessesNamed("velix.exe")) << "exactly one instance";
    EXPECT_FALSE(FileExistsAt(dir + "\\velix.vlx.part"));
    KillProcessesOf(exe);
    ASSERT_TRUE(CopyFileA((TestBinDir() + "\\velix_testkey.exe").CStr(), exe.CStr(), FALSE));
  }
}

// Blanks, "&" and "^" in the program's folder and name: the rename mode's
// command line and the self-delete keep each name whole.
TEST_F(UpdateRun, AFolderAndNameThatAShellWouldSplitUpgradeAndTheCopyGoes) {
  KxString odd = dir + "\\Velix & 工具^";
  KxString oddExe = odd + "\\velix & me.exe";
  KxString renamed = odd + "\\velix.exe";
  struct Cleanup {
    KxString a, b;
    ~Cleanup() {
      KillProcessesOf(a);
      KillProcessesOf(b);
    }
  } cleanup{renamed, odd + "\\velixtmp.exe"};
  TheDb.Close();
  ASSERT_TRUE(CreateDirectoryA(odd.CStr(), NULL));
  for (const char* name : {"\\config.ini", "\\Config.db"})
    ASSERT_TRUE(CopyFileA((dir + name).CStr(), (odd + name).CStr(), FALSE)) << name;
  ASSERT_TRUE(CopyFileA(exe.CStr(), oddExe.CStr(), FALSE));
  exe = oddExe;
  Publish("newer", "good.vlx", true);
  Start();
  PressCheck();
  HWND box = NULL;
  ASSERT_TRUE(PumpUntil([&] { return (box = WindowOf(pid, "#32770", nullptr)) != NULL; }, 20000)) << "the message";
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitProcess(process, 15000, nullptr)) << "the old run ends";
  EXPECT_TRUE(WaitFor([&] { return EndsWithMarker(ReadFileBytes(renamed)); }, 15000)) << "velix.exe is the new one";
  EXPECT_TRUE(WaitFor([&] { return CountWindowsOf(renamed, "KxCardClassName") >= 1; }, 15000)) << "and runs";
  EXPECT_TRUE(WaitFor([&] { return !FileExistsAt(odd + "\\velixtmp.exe"); }, 15000)) << "the copy deleted itself";
  EXPECT_FALSE(FileExistsAt(oddExe)) << "the old name went";
}

TEST_F(UpdateRun, RefusedPackagesLeaveTheProgramAsItWasAndSayWhy) {
  struct Case {
    const char* package;
    bool signature;
    const char* said;
    const char* desc;
  } cases[] = {
      {"tampered.vlx", true, "文件与签名不符", "newer"},
      {"nosig.vlx", false, "签名缺失", "newer"},
      {"otherkey.vlx", true, "签名密钥不符", "newer"},
      {"bomb.vlx", true, "更新包过大", "bomb"},  // the package described, but too large unpacked
      {nullptr, false, "下载未完成", "newer"},  // the package's path answers 404
      {"sample.vlx", true, "签名文件名不符", "newer"},  // a signed plug-in package served as the program
      {"older.vlx", true, "更新包与说明不符", "newer"},  // another signed release at the same path
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said);
    RemoveFile(ServerDir() + "\\www\\soft\\velix.vlx.minisig");
    Publish(c.desc, c.package, c.signature);
    Start();
    PressCheck();
    EXPECT_TRUE(ShowsText(c.said));
    EXPECT_TRUE(ShowsText("最新版本" VELIX_VERSION_TEXT ".1"));
    EXPECT_EQ(nullptr, WindowOf(pid, "#32770", nullptr)) << "no message";
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process, 0)) << "still running";
    EXPECT_TRUE(ReadFileBytes(exe) == original);
    EXPECT_FALSE(FileExistsAt(dir + "\\velix.vlx.part"));
    EXPECT_FALSE(FileExistsAt(dir + "\\velixtmp.exe"));
    Stop();
  }
}

// The description is the vendor's word only when signed as info.xml, and never older than
// one taken before: otherwise nothing changes, as when the site does not answer.
TEST_F(UpdateRun, ADescriptionIsTakenOnlySignedAndNeverOlder) {
  PublishDescription("desc-same.xml");
  Start();
  PressCheck();
  ASSERT_TRUE(ShowsText("已是最新版本"));
  EXPECT_TRUE(WaitFor([&] { return SysValue(kSysDescriptionTime) == "1800000000"; }, 3000)) << "its time is kept";
  struct { const char* desc; const char* offer; } attacks[] = {
      {"desc-unsigned.xml", "最新版本" VELIX_VERSION_TEXT ".1"},
      {"desc-other-file.xml", "最新版本" VELIX_VERSION_TEXT ".1"},  // a valid signature of another file
      {"desc-other-key.xml", "最新版本" VELIX_VERSION_TEXT ".1"},
      {"desc-older.xml", "最新版本0.9"},       // replayed from a day before
  };
  for (const auto& a : attacks) {
    SCOPED_TRACE(a.desc);
    PublishDescription(a.desc);
    CheckAndWait();
    EXPECT_EQ(nullptr, ChildOfClass(kit, "KxCardClassName", a.offer));
    EXPECT_EQ(nullptr, WindowOf(pid, "#32770", nullptr)) << "no message";
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process, 0)) << "still running";
    EXPECT_EQ("1800000000", SysValue(kSysDescriptionTime));
  }
  // Signed, with ten thousand plug-in entries: the first 64 are offered, no more.
  PublishDescription("desc-many.xml");
  PressCheck();
  EXPECT_TRUE(ShowsText("p64(未安装)"));
  PumpFor(500);
  EXPECT_EQ(nullptr, ChildOfClass(kit, "KxCardClassName", "p65(未安装)"));
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process, 0)) << "still running";
  EXPECT_TRUE(ReadFileBytes(exe) == original);
}

TEST_F(UpdateRun, SameVersionErrorPageAndTheWeeklyTimer) {
  // No description: a 404 whose page would offer a newer version, or a 200 page that is no
  // description. Nothing changes, no date is written.
  Start();
  for (const char* page : {static_cast<const char*>(nullptr), "<html><body><h1>maintenance</h1></body></html>"}) {
    if (page) {
      ASSERT_TRUE(WriteFileBytes(ServerDir() + "\\www\\soft\\info.xml", page));
    }
    PressCheck();
    PumpFor(1500);
    EXPECT_FALSE(ChildOfClass(kit, "KxCardClassName", "已是最新版本")) << (page ? page : "404");
    EXPECT_FALSE(ChildOfClass(kit, "KxCardClassName", "最新版本" VELIX_VERSION_TEXT ".1")) << (page ? page : "404");
    EXPECT_EQ("", CheckDate()) << (page ? page : "404");
  }

  // The same version: no download offered; the check is dated.
  Publish("same", "good.vlx", true);
  PressCheck();
  EXPECT_TRUE(ShowsText("已是最新版本"));
  HWND download = ChildOfClass(kit, "KxCardClassName", "下载更新");
  EXPECT_TRUE(download == NULL || !IsWindowVisible(download));
  EXPECT_EQ(KxTime::Today(), CheckDate());
  PumpFor(300);
  SaveBmp(CaptureWindow(kit), TestBinDir() + "\\kit-update-panel.bmp");
  // A day that began while the program ran, with no copy yet: the next tick makes it.
  const KxString todaysCopy = dir + "\\Backup\\" + BackupFileName(KxTime());
  ASSERT_TRUE(FileExistsAt(todaysCopy)) << "the start made one";
  ASSERT_TRUE(DeleteFileA(todaysCopy.CStr()));
  // Checked today: the timer's tick does not look for the new version published since.
  Publish("newer", "good.vlx", true);
  PostMessageA(kit, WM_TIMER, 1, 0);
  EXPECT_TRUE(WaitFor([&] { return FileExistsAt(todaysCopy); }, 5000)) << "the day's copy";
  PumpFor(1500);
  EXPECT_FALSE(ChildOfClass(kit, "KxCardClassName", "最新版本" VELIX_VERSION_TEXT ".1")) << "checked again before a week passed";
  Publish("same", "good.vlx", true);
  Stop();

  // Eight days since the last check: the timer's tick runs a check, which dates it today.
  ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
  KxTime past;
  past.AddDays(-8);
  ASSERT_TRUE(TheDb.UpdateText("KX_SYS", "Value", past.DateText(), "ID=5"));
  Start();
  // Ticks a few seconds apart, as a check that found no answer leaves the timer running.
  DWORD lastTick = GetTickCount() - 3000;
  EXPECT_TRUE(WaitFor([&] {
    if (GetTickCount() - lastTick >= 3000) {
      PostMessageA(kit, WM_TIMER, 1, 0);
      lastTick = GetTickCount();
    }
    return CheckDate() == KxTime::Today();
  }, 15000));
  EXPECT_TRUE(ShowsText("已是最新版本"));
}

TEST_F(UpdateRun, APluginIsOfferedInstalledShownReinstalledAndDeleted) {
  PublishPlugin("sample.vlx", true);
  Start();
  PressCheck();
  ASSERT_TRUE(ShowsText("示例插件(未安装)"));
  ASSERT_TRUE(ShowsText("最新版本1.0"));
  ClickShown("下载更新");
  ASSERT_TRUE(PumpUntil([&] { return VisibleChild(kit, "示例插件1.0") != NULL; }, 20000)) << "installed";
  EXPECT_EQ(1, PluginRows("P_ID='9001' and P_NAME='示例插件' and P_VER='1.0' and P_PATH='sample.vlx'"));
  EXPECT_TRUE(FileExistsAt(dir + "\\sample.vlx"));
  EXPECT_FALSE(FileExistsAt(dir + "\\sample.vlx.part"));
  EXPECT_FALSE(FileExistsAt(dir + "\\tmpsample.vlx"));

  // In the command menu once its box is checked: 92, 90, 91, 140, 115, then the plug-in.
  ClickShown("右键菜单");
  EXPECT_TRUE(WaitFor([&] { return PluginRows("P_ID='9001' and P_STATUS=1") == 1; }, 3000));
  AllowSetForegroundWindow(ASFW_ANY);
  PostMessageA(kit, 2024, 0, WM_RBUTTONUP);
  ASSERT_TRUE(PumpUntil([&] { return WindowOf(pid, "#32768", nullptr) != NULL; }, 5000));
  PumpFor(200);
  for (int i = 0; i < 6; ++i) TapKey(VK_DOWN);
  TapKey(VK_RETURN);
  HWND shown = NULL;
  ASSERT_TRUE(PumpUntil([&] { return (shown = SampleWindow(pid)) != NULL; }, 5000)) << "shown from the menu";

  // Reinstalled while loaded: unloaded (its window goes) and shown again.
  ClickShown("下载更新");
  EXPECT_TRUE(PumpUntil([&] { HWND w = SampleWindow(pid); return w && w != shown; }, 20000));
  PostMessageA(SampleWindow(pid), WM_CLOSE, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return SampleWindow(pid) == NULL; }, 5000));

  // Its hotkey, set through the row's link and registered at once when the box is checked.
  ClickShown("(未设置)");
  HWND editor = NULL;
  ASSERT_TRUE(PumpUntil([&] { return (editor = TopLevelWithChild(pid, "取消")) != NULL; }, 5000));
  // Pressed into the editor's field, which has the focus when the editor shows.
  HWND field = ChildOfClass(editor, "KxCardClassName", "未设置");
  ASSERT_NE(nullptr, field);
  ASSERT_TRUE(PumpUntil([&] {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(editor, NULL), &info) && info.hwndFocus == field;
  }, 3000));
  PressCombination({VK_CONTROL, VK_MENU}, 'P');
  EXPECT_TRUE(PumpUntil([&] { return ChildOfClass(editor, "KxCardClassName", "CTRL+ALT+P") == field; }, 3000));
  Click(ChildOfClass(editor, "KxCardClassName", "确定"));
  EXPECT_TRUE(PumpUntil([&] { return VisibleChild(kit, "(CTRL+ALT+P)") != NULL; }, 5000));
  EXPECT_TRUE(WaitFor([&] { return PluginRows(("P_ID='9001' and P_HK=" + KxString::FromInt(MOD_CONTROL | MOD_ALT | ('P' << 16))).CStr()) == 1; }, 3000));
  ClickShown("快捷键");
  EXPECT_TRUE(WaitFor([&] { return PluginRows("P_ID='9001' and P_STATUS=3") == 1; }, 3000));
  PumpFor(300);
  PressCombination({VK_CONTROL, VK_MENU}, 'P');
  EXPECT_TRUE(PumpUntil([&] { return SampleWindow(pid) != NULL; }, 5000)) << "shown by its hotkey";

  // The installer's exit request while the question is up: answered No, the run ends
  // cleanly and the plug-in stays.
  PostMessageA(SampleWindow(pid), WM_CLOSE, 0, 0);  // it may cover the button
  EXPECT_TRUE(PumpUntil([&] { return SampleWindow(pid) == NULL; }, 5000));
  ClickShown("删除");
  HWND box = NULL;
  ASSERT_TRUE(PumpUntil([&] { return (box = WindowOf(pid, "#32770", nullptr)) != NULL; }, 5000));
  PostMessageA(kit, RegisterWindowMessageA("VelixExitRunningInstance"), 0, 0);
  DWORD code = 0xDEAD;
  EXPECT_TRUE(PumpUntil([&] { return WaitProcess(process, 0, &code); }, 10000));
  EXPECT_EQ(0u, code);
  EXPECT_EQ(1, PluginRows("P_ID='9001'"));
  EXPECT_TRUE(FileExistsAt(dir + "\\sample.vlx"));
  Stop();

  // Delete, after the question: unloaded, file and row gone, the row kept as not installed.
  Start();
  PressCheck();
  ASSERT_TRUE(ShowsText("示例插件1.0"));
  ClickShown("删除");
  ASSERT_TRUE(PumpUntil([&] { return (box = WindowOf(pid, "#32770", nullptr)) != NULL; }, 5000));
  EXPECT_NE(nullptr, ChildOfClass(box, "Static", "确认删除\"示例插件\""));
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  EXPECT_TRUE(PumpUntil([&] { return VisibleChild(kit, "示例插件(未安装)") != NULL; }, 5000));
  EXPECT_EQ(nullptr, SampleWindow(pid));
  EXPECT_EQ(0, PluginRows("P_ID='9001'"));
  EXPECT_FALSE(FileExistsAt(dir + "\\sample.vlx"));
  // The row says so before the hotkeys are registered again: wait for the combination.
  ASSERT_TRUE(PumpUntil([] {
    if (!RegisterHotKey(NULL, 1, MOD_CONTROL | MOD_ALT, 'P')) return false;
    UnregisterHotKey(NULL, 1);
    return true;
  }, 5000)) << "the hotkey is no longer registered";
  SaveBmp(CaptureWindow(kit), TestBinDir() + "\\kit-plugin-list.bmp");
}

// Two plug-ins offered under one package path: the second download, started while the
// first runs, is refused, since the two would write and use the same files.
TEST_F(UpdateRun, TwoEntriesOfOnePackageNeverShareItsFiles) {
  PublishDescription("desc-same-path.xml");
  Start();
  PressCheck();
  ASSERT_TRUE(ShowsText("示例插件(未安装)"));
  ASSERT_TRUE(ShowsText("另一插件(未安装)"));
  HWND first = GetParent(ChildOfClass(kit, "KxCardClassName", "示例插件(未安装)"));
  HWND second = GetParent(ChildOfClass(kit, "KxCardClassName", "另一插件(未安装)"));
  ASSERT_NE(first, second);
  Click(ChildOfClass(first, "KxCardClassName", "下载更新"));
  Click(ChildOfClass(second, "KxCardClassName", "下载更新"));
  EXPECT_TRUE(PumpUntil([&] { return ChildOfClass(second, "KxCardClassName", "文件正被使用") != NULL; }, 3000));
  EXPECT_EQ(nullptr, ChildOfClass(first, "KxCardClassName", "示例插件1.0")) << "the first was still running";
  ASSERT_TRUE(PumpUntil([&] { return VisibleChild(kit, "示例插件1.0") != NULL; }, 20000)) << "the first installed";
  const KxString installed = ReadFileBytes(dir + "\\sample.vlx");
  // Once the first is installed, its file is that plug-in's: the second never downloads.
  int downloads = Requests("/soft/slow/sample.vlx");
  Click(ChildOfClass(second, "KxCardClassName", "下载更新"));
  PumpFor(2000);
  EXPECT_NE(nullptr, ChildOfClass(second, "KxCardClassName", "文件正被使用"));
  EXPECT_EQ(downloads, Requests("/soft/slow/sample.vlx"));
  EXPECT_EQ(1, PluginRows("P_ID='9001'"));
  EXPECT_EQ(0, PluginRows("P_ID='9002'"));
  EXPECT_TRUE(ReadFileBytes(dir + "\\sample.vlx") == installed);
  EXPECT_FALSE(FileExistsAt(dir + "\\tmpsample.vlx"));
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process, 0)) << "still running";
}

// A plug-in that a newer description no longer names is offered no more: its package,
// still signed and still matching the old entry, cannot be fetched through its row.
TEST_F(UpdateRun, APluginTheNextDescriptionDropsIsNoLongerOffered) {
  PublishPlugin("sample.vlx", true);
  Start();
  PressCheck();
  ASSERT_TRUE(ShowsText("示例插件(未安装)"));
  HWND row = GetParent(ChildOfClass(kit, "KxCardClassName", "示例插件(未安装)"));
  auto offersDownload = [&] {
    HWND button = ChildOfClass(row, "KxCardClassName", "下载更新");
    return button != NULL && IsWindowVisible(button);
  };
  ASSERT_TRUE(PumpUntil(offersDownload, 5000));
  PublishDescription("desc-same.xml");  // names another plug-in only
  CheckAndWait();
  EXPECT_TRUE(ShowsText("x(未安装)"));
  EXPECT_FALSE(offersDownload()) << "the dropped plug-in's download is withdrawn";
}

TEST_F(UpdateRun, RefusedPluginPackagesWriteNothing) {
  // desc: which description (desc-plugin-<desc>.xml) offers the package.
  struct { const char* package; bool signature; const char* desc; const char* said; } cases[] = {
      {"sample-tampered.vlx", true, "9001", "文件与签名不符"},
      {"sample-nosig.vlx", false, "9001", "签名缺失"},
      {"sample-raw.vlx", true, "sample-raw", "下载文件损坏"},  // signed, but no zlib stream
      {"crashing.vlx", true, "crashing", "插件无法识别"},      // its InitPlugin crashes
      {"hanging.vlx", true, "hanging", "插件无法识别"},        // its InitPlugin never returns
      {"sample.vlx", true, "9002", "插件标识不符"},            // offered as another plug-in
      {"crashing.vlx", true, "9001", "更新包与说明不符"},      // signed, but not the package described
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.package);
    PublishPlugin(c.package, c.signature, c.desc);
    Start();
    PressCheck();
    ASSERT_TRUE(ShowsText("示例插件(未安装)"));
    ClickShown("下载更新");
    if (lstrcmpA(c.package, "hanging.vlx") == 0) {
      // A click on the tray icon, which the shell sends, opens no menu inside the wait.
      PumpFor(1000);
      DWORD_PTR result = 0;
      EXPECT_TRUE(SendMessageTimeoutA(kit, kTrayCallbackMessage, 0, WM_RBUTTONUP, SMTO_NORMAL, 2000, &result));
      EXPECT_EQ(nullptr, WindowOf(pid, "#32768", nullptr)) << "no menu";
    }
    // The kit window answers throughout, the ten seconds a hanging plug-in is given included.
    int unanswered = 0;
    EXPECT_TRUE(PumpUntil([&] {
      DWORD_PTR result = 0;
      if (!SendMessageTimeoutA(kit, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) ++unanswered;
      return ChildOfClass(kit, "KxCardClassName", c.said) != NULL;
    }, 20000));
    EXPECT_EQ(0, unanswered);
    // The status ends before the row's download button, and whole.
    HWND status = ChildOfClass(kit, "KxCardClassName", c.said);
    HWND button = ChildOfClass(GetParent(status), "KxCardClassName", "下载更新");
    RECT statusRect = {}, buttonRect = {};
    GetWindowRect(status, &statusRect);
    GetWindowRect(button, &buttonRect);
    EXPECT_LT(statusRect.right, buttonRect.left);
    HDC screen = GetDC(NULL);
    HGDIOBJ before = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    SIZE text = {};
    GetTextExtentPoint32A(screen, c.said, lstrlenA(c.said), &text);
    SelectObject(screen, before);
    ReleaseDC(NULL, screen);
    EXPECT_EQ(text.cx + 4, statusRect.right - statusRect.left) << "the label holds its whole text";
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process, 0)) << "still running";
    EXPECT_EQ(0, PluginRows(""));
    EXPECT_FALSE(FileExistsAt(dir + "\\sample.vlx"));
    EXPECT_FALSE(FileExistsAt(dir + "\\tmpsample.vlx"));
    EXPECT_FALSE(FileExistsAt(dir + "\\sample.vlx.part"));
    Stop();
  }
}

}  // namespace
