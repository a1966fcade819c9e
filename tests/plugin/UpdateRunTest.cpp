// The update check end to end: the test build of velix.exe (the test key compiled in) in a
// scratch program directory whose config.ini points the site at nginx on 127.0.0.1, which
// serves the description this test writes and the packages the fixture signed. The check
// is started by the button or by the ten-minute timer; an accepted package replaces the
// program through the rename mode, a refused one leaves it as it was.

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "kx/base/KxFile.h"
#include "kx/base/KxTime.h"
#include "store/KxDb.h"
#include "store/Schema.h"
#include "store/SysValues.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"

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
    CheckFirstUse();
    RemoveFile(ServerDir() + "\\www\\soft\\info.xml");
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

  static void Publish(const char* ver, const char* package, bool withSignature) {
    KxString xml = KxString("<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<soft><main name=\"Velix\" ver=\"") + ver +
                   "\" path=\"soft/velix.vlx\"><p flag=\"7\" name=\"x\" ver=\"1\" path=\"soft/x.vlx\"/></main></soft>";
    ASSERT_TRUE(WriteFileBytes(ServerDir() + "\\www\\soft\\info.xml", xml));
    KxString from = ServerDir() + "\\packages\\" + package;
    ASSERT_TRUE(CopyFileA(from.CStr(), (ServerDir() + "\\www\\soft\\velix.vlx").CStr(), FALSE));
    if (withSignature) {
      ASSERT_TRUE(CopyFileA((from + ".minisig").CStr(), (ServerDir() + "\\www\\soft\\velix.vlx.minisig").CStr(), FALSE));
    }
  }

  void Start() {
    TheDb.Close();
    process = StartProcess(exe, "", dir);
    ASSERT_NE(nullptr, process);
    pid = GetProcessId(process);
    ASSERT_TRUE(PumpUntil([&] { return (kit = WindowOf(pid, "KxCardClassName", "Velix")) && IsWindowVisible(kit); }, 15000));
  }
  // The normal layout by a double click on the picture, then "检查更新".
  void PressCheck() {
    POINT at = CentreOf(kit);
    PumpFor(GetDoubleClickTime() + 50);
    MovePointerTo(at.x, at.y);
    PressLeft();
    ReleaseLeft();
    PressLeft();
    ReleaseLeft();
    HWND button = NULL;
    ASSERT_TRUE(PumpUntil([&] { return (button = ChildOfClass(kit, "KxCardClassName", "检查更新")) && IsWindowVisible(button); }, 5000));
    PumpFor(GetDoubleClickTime() + 50);
    POINT b = CentreOf(button);
    MovePointerTo(b.x, b.y);
    PressLeft();
    ReleaseLeft();
  }
  bool ShowsText(const char* text) {
    return PumpUntil([&] { return ChildOfClass(kit, "KxCardClassName", text) != NULL; }, 15000);
  }
  // Read while the program may be writing: an open that finds the file busy reads nothing.
  KxString CheckDate() {
    if (!TheDb.Open(dir + "\\Config.db")) return KxString();
    KxString date = GetSysValue(kSysUpdateCheckDate);
    TheDb.Close();
    return date;
  }

  KxString dir, exe, original;
  HANDLE process = NULL;
  DWORD pid = 0;
  HWND kit = NULL;
};

TEST_F(UpdateRun, NewerAndOlderVersionsReplaceTheProgramThroughTheRenameMode) {
  for (const char* ver : {"1.1", "0.9"}) {
    SCOPED_TRACE(ver);
    Publish(ver, "good.vlx", true);
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

TEST_F(UpdateRun, RefusedPackagesLeaveTheProgramAsItWasAndSayWhy) {
  struct Case {
    const char* package;
    bool signature;
    const char* said;
  } cases[] = {
      {"tampered.vlx", true, "文件与签名不符"},
      {"nosig.vlx", false, "签名缺失"},
      {"otherkey.vlx", true, "签名密钥不符"},
      {"bomb.vlx", true, "更新包过大"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.package);
    RemoveFile(ServerDir() + "\\www\\soft\\velix.vlx.minisig");
    Publish("1.1", c.package, c.signature);
    Start();
    PressCheck();
    EXPECT_TRUE(ShowsText(c.said));
    EXPECT_TRUE(ShowsText("最新版本1.1"));
    EXPECT_EQ(nullptr, WindowOf(pid, "#32770", nullptr)) << "no message";
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process, 0)) << "still running";
    EXPECT_TRUE(ReadFileBytes(exe) == original);
    EXPECT_FALSE(FileExistsAt(dir + "\\velix.vlx.part"));
    EXPECT_FALSE(FileExistsAt(dir + "\\velixtmp.exe"));
    KillProcessesOf(exe);
    WaitProcess(process, 5000, nullptr);
    CloseHandle(process);
    process = NULL;
  }
}

TEST_F(UpdateRun, SameVersionErrorPageAndTheWeeklyTimer) {
  // An error page where the description should be: nothing changes, no date is written.
  Start();
  PressCheck();
  PumpFor(1500);
  EXPECT_FALSE(ChildOfClass(kit, "KxCardClassName", "已是最新版本"));
  EXPECT_EQ("", CheckDate());

  // The same version: no download offered; the check is dated.
  Publish("1.0", "good.vlx", true);
  PressCheck();
  EXPECT_TRUE(ShowsText("已是最新版本"));
  HWND download = ChildOfClass(kit, "KxCardClassName", "下载更新");
  EXPECT_TRUE(download == NULL || !IsWindowVisible(download));
  EXPECT_EQ(KxTime::Today(), CheckDate());
  PumpFor(300);
  SaveBmp(CaptureWindow(kit), TestBinDir() + "\\kit-update-panel.bmp");
  KillProcessesOf(exe);
  WaitProcess(process, 5000, nullptr);
  CloseHandle(process);
  process = NULL;

  // Eight days since the last check: the timer's tick runs a check, which dates it today.
  ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
  KxTime past;
  past.AddDays(-8);
  ASSERT_TRUE(TheDb.UpdateText("KX_SYS", "Value", past.DateText(), "ID=5"));
  Start();
  PostMessageA(kit, WM_TIMER, 1, 0);
  EXPECT_TRUE(WaitFor([&] { return CheckDate() == KxTime::Today(); }, 10000));
  EXPECT_TRUE(ShowsText("已是最新版本"));
}

}  // namespace
