// Starting files through the shell and the delayed self-delete, with real processes.

#include <gtest/gtest.h>

#include "app/KxShell.h"
#include "tests/support/TestUtil.h"
#include "tests/support/WideNames.h"

namespace {

KxString CurrentDirectory() {
  char buffer[MAX_PATH] = {};
  DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  return KxString(buffer, static_cast<int>(length));
}

// Keeps the test program's current directory across a test that changes it.
class CurrentDirectoryGuard {
public:
  CurrentDirectoryGuard() : saved(CurrentDirectory()) {}
  ~CurrentDirectoryGuard() { SetCurrentDirectoryA(saved.CStr()); }

private:
  KxString saved;
};

// The probe's report: its current directory and the command line after the report's name.
struct ProbeReport {
  KxString directory;
  KxString rest;
};

bool ReadReport(const KxString& path, ProbeReport& report) {
  KxStringList lines;
  ReadFileBytes(path).Split("\r\n", lines);
  if (lines.Count() < 2) return false;
  report.directory = *lines.At(0);
  report.rest = *lines.At(1);
  return true;
}

bool WaitForReport(const KxString& path, ProbeReport& report) {
  return WaitFor([&] { return ReadReport(path, report); }, 10000);
}

}  // namespace

TEST(KxShell, LaunchFileStartsInTheFilesFolderWithTheParameters) {
  CurrentDirectoryGuard keep;
  KxString root = MakeScratchDir("launch");
  KxString programDir = root + "\\程序 目录";
  KxString callerDir = root + "\\caller";
  ASSERT_TRUE(CreateDirectoryA(programDir.CStr(), NULL));
  ASSERT_TRUE(CreateDirectoryA(callerDir.CStr(), NULL));
  KxString probe = CopyOfProbe(programDir, "velix_probe.exe");
  KxString report = root + "\\report.txt";
  ASSERT_TRUE(SetCurrentDirectoryA(callerDir.CStr()));

  EXPECT_TRUE(LaunchFile(probe, "\"" + report + "\" alpha  \"b c\""));
  EXPECT_STREQ(callerDir.CStr(), CurrentDirectory().CStr());

  ProbeReport seen;
  ASSERT_TRUE(WaitForReport(report, seen));
  EXPECT_STREQ(programDir.CStr(), seen.directory.CStr());
  EXPECT_STREQ("alpha  \"b c\"", seen.rest.CStr());
}

TEST(KxShell, LaunchFileOfAMissingFileDoesNothing) {
  CurrentDirectoryGuard keep;
  KxString root = MakeScratchDir("launch-missing");
  KxString report = root + "\\report.txt";
  ASSERT_TRUE(SetCurrentDirectoryA(root.CStr()));

  EXPECT_FALSE(LaunchFile(root + "\\sub\\velix_probe.exe", "\"" + report + "\""));
  EXPECT_STREQ(root.CStr(), CurrentDirectory().CStr());
  Sleep(1000);
  EXPECT_FALSE(FileExistsAt(report));
}

TEST(KxShell, OpenFileKeepsTheCallersDirectoryAndPassesNoParameters) {
  CurrentDirectoryGuard keep;
  KxString root = MakeScratchDir("open");
  KxString programDir = root + "\\program";
  ASSERT_TRUE(CreateDirectoryA(programDir.CStr(), NULL));
  KxString probe = CopyOfProbe(programDir, "velix_probe.exe");
  ASSERT_TRUE(SetCurrentDirectoryA(root.CStr()));

  OpenFile(probe);
  ProbeReport seen;
  ASSERT_TRUE(WaitForReport(root + "\\velix-probe-out.txt", seen));
  EXPECT_STREQ(root.CStr(), seen.directory.CStr());
  EXPECT_STREQ("", seen.rest.CStr());
  EXPECT_FALSE(FileExistsAt(programDir + "\\velix-probe-out.txt"));
}

// The probe and its folder were named on the Linux side; the report and the parameters
// carry names outside GBK too.
TEST(KxShell, LaunchFileStartsANameOutsideGbkWithSuchParameters) {
  CurrentDirectoryGuard keep;
  KxString root = MakeScratchDir(Gb(kKoreanFolder).CStr());
  KxString report = root + "\\" + Gb(kLatinMix) + ".txt";
  KxString parameters = Gb(kRareHanzi) + " \"" + LinuxMadeFile() + "\"";

  EXPECT_TRUE(LaunchFile(LinuxMadeProbe(), "\"" + report + "\" " + parameters));
  ProbeReport seen;
  ASSERT_TRUE(WaitForReport(report, seen));
  EXPECT_EQ(LinuxMadeFolder(), seen.directory);
  EXPECT_EQ(parameters, seen.rest);
  RemoveTree(root);
}

namespace {

// The self-delete raises the caller's priorities for its last moments; a test lives on.
class PriorityGuard {
public:
  ~PriorityGuard() {
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  }
};

void ExpectSelfDeleteRemoves(const char* folder, const char* file) {
  KxString root = MakeScratchDir(folder);
  KxString copy = CopyOfProbe(root, file);
  KxString neighbour = CopyOfProbe(root, "neighbour.exe");
  ASSERT_TRUE(FileExistsAt(copy));

  PriorityGuard restore;
  DWORD start = GetTickCount();
  ASSERT_TRUE(ScheduleSelfDelete(copy));
  EXPECT_EQ(static_cast<DWORD>(REALTIME_PRIORITY_CLASS), GetPriorityClass(GetCurrentProcess()));
  EXPECT_EQ(THREAD_PRIORITY_TIME_CRITICAL, GetThreadPriority(GetCurrentThread()));

  EXPECT_TRUE(WaitFor([&] { return !FileExistsAt(copy); }, 10000)) << copy.CStr();
  printf("self-delete of %s took %lu ms\n", file, GetTickCount() - start);
  EXPECT_TRUE(FileExistsAt(neighbour));
  RemoveTree(root);
}

}  // namespace

TEST(KxShell, ScheduleSelfDeleteRemovesTheFileWhateverItsName) {
  const struct {
    KxString folder, file;
  } names[] = {
      {"self-delete", "velix.exe"},
      // A blank, "&" (the shell's command separator), "^" (its escape) and brackets. A name
      // with "%OS%" is deleted by Windows' shell too, which expands a variable's value
      // once; Wine's expands the name again and misses the file.
      {"self delete & (目录)", "velix & co^ (1).exe"},
      {Gb(kKoreanFolder), Gb(kProbeProgram)},
  };
  for (const auto& n : names) {
    SCOPED_TRACE(n.folder.CStr());
    ExpectSelfDeleteRemoves(n.folder.CStr(), n.file.CStr());
  }
}

TEST(KxShell, ScheduleSelfDeleteWithoutComspecStillRunsAShell) {
  char saved[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA("COMSPEC", saved, MAX_PATH);
  SetEnvironmentVariableA("COMSPEC", NULL);
  ExpectSelfDeleteRemoves("self-delete-nocomspec", "velix.exe");
  if (length > 0 && length < MAX_PATH) SetEnvironmentVariableA("COMSPEC", saved);
}
