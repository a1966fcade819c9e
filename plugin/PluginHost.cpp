#include "plugin/PluginHost.h"

#include "app/KxApp.h"
#include "app/ProgramShell.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxHandles.h"
#include "kx/base/KxStream.h"
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
  char dir[MAX_PATH] = {};
  char file[MAX_PATH] = {};
  DWORD length = GetTempPathA(MAX_PATH, dir);
  if (length == 0 || length >= MAX_PATH) return KxString();
  if (!GetTempFileNameA(dir, "vpi", 0, file)) return KxString();
  return file;
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
    PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    while (PeekMessageA(&msg, NULL, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&msg);
  }
}

// Runs commandLine and waits for it; false when it did not start. exitCode receives the
// child's exit code, kNotIdentified when it had to be killed.
bool RunChild(const KxString& exe, const KxString& commandLine, DWORD& exitCode) {
  KxString line = commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(exe.CStr(), line.Buffer(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
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
  DeleteFileA(resultPath.CStr());
  return JudgeIdentifyRun(started, exitCode, answer, identity);
}
