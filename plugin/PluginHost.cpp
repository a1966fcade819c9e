#include "plugin/PluginHost.h"

#include "app/KxApp.h"
#include "app/ProgramShell.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxHandles.h"
#include "kx/base/KxStream.h"
#include "kx/base/KxWide.h"
#include "plugin/PluginLibrary.h"

namespace {

// The child's answer; a file larger than any usable answer is not read.
bool ReadAnswer(const KxString& path, KxString& bytes) {
  KxIoFile file;
  return file.OpenForRead(path) && file.Size() <= kMaxAnswerBytes && ReadAll(file, bytes);
}

bool WriteAnswer(const KxString& path, const KxString& bytes) {
  KxIoFile file;
  bool written = file.OpenForWrite(path) && WriteText(file, bytes);
  return file.Close() && written;
}

// A crash in the plug-in ends the child at once, with the exception code as its exit
// code, and never reaches a debugger or an error box.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* exception) {
  TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// A fresh, empty file in the temporary folder for the child's answer; empty on failure.
KxString MakeResultFile() {
  KxString dir = KxWideAnswer([](wchar_t* buffer, DWORD capacity) { return GetTempPathW(capacity, buffer); });
  // The call takes a folder of less than MAX_PATH - 14 characters and writes MAX_PATH.
  wchar_t file[MAX_PATH] = {};
  if (dir.IsEmpty() || !GetTempFileNameW(KxWide(dir), L"vpi", 0, file)) return KxString();
  return KxFromWide(file);
}

// Waits up to ms for process, handling messages sent to this thread and repainting its
// windows meanwhile (sent messages are handled inside PeekMessage itself).
DWORD WaitAnswering(HANDLE process, DWORD ms) {
  struct Mark {
    bool saved = TheApp ? TheApp->answeringOnly : false;
    Mark() {
      if (TheApp) TheApp->answeringOnly = true;
    }
    ~Mark() {
      if (TheApp) TheApp->answeringOnly = saved;
    }
  } mark;
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return WAIT_TIMEOUT;
    DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, ms - elapsed, QS_SENDMESSAGE | QS_PAINT);
    if (woken != WAIT_OBJECT_0 + 1) return woken;
    MSG msg;
    PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    while (PeekMessageW(&msg, NULL, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

// Runs commandLine and waits for it; false when it did not start. exitCode receives the
// child's exit code, kNotIdentified when it had to be killed.
bool RunChild(const KxString& exe, const KxString& commandLine, DWORD& exitCode) {
  // The child reads its command line through the wide call (OwnCommandTail).
  KxWide line(commandLine);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(KxWide(exe), line.Buffer(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
    return false;
  }
  KxHandle thread(process.hThread);
  KxHandle child(process.hProcess);
  exitCode = kNotIdentified;
  if (WaitAnswering(child.Get(), kIdentifyTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(child.Get(), kNotIdentified);
    WaitForSingleObject(child.Get(), 5000);
  } else if (!GetExitCodeProcess(child.Get(), &exitCode)) {
    exitCode = kNotIdentified;
  }
  return true;
}

}  // namespace

int RunIdentify(const KxString& dllPath, const KxString& resultPath) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnCrash);
  PluginIdentity identity;
  if (!IdentifyInProcess(dllPath, identity)) return kNotIdentified;
  return WriteAnswer(resultPath, FormatIdentity(identity)) ? kIdentifyAnswered : kAnswerNotWritten;
}

IdentifyResult IdentifyPackage(const KxString& dllPath, PluginIdentity& identity) {
  KxString exe = TheShell().IdentifyProgram();
  if (exe.IsEmpty()) exe = OwnExecutablePath();
  KxString resultPath = MakeResultFile();
  if (exe.IsEmpty() || resultPath.IsEmpty()) return IdentifyResult::kNotRun;
  DWORD exitCode = kNotIdentified;
  const bool started = RunChild(exe, "\"" + exe + "\" " + IdentifyArguments(dllPath, resultPath), exitCode);
  KxString answer;
  if (started && exitCode == kIdentifyAnswered && !ReadAnswer(resultPath, answer)) answer = KxString();
  RemoveFile(resultPath);
  return JudgeIdentifyRun(started, exitCode, answer, identity);
}
