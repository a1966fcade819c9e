#include "plugin/PluginHost.h"

#include <new>
#include <utility>

#include "app/KxApp.h"
#include "app/ProgramShell.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxHandles.h"
#include "kx/base/KxStream.h"
#include "store/PluginRecord.h"
#include "update/VendorSite.h"

// The exchange record's texts are read as the program's own strings by plug-ins built
// against that layout: pointer, then length, nothing else.
static_assert(sizeof(KxString) == sizeof(VelixString), "VelixString must match KxString");
static_assert(alignof(KxString) == alignof(VelixString), "VelixString must match KxString");

PluginRegistry ThePlugins;

const char kIdentifySwitch[] = "-identify";

namespace {

// Plug-ins shown although their InitPlugin gave nullptr: loaded, not registered.
PluginRegistry unregistered;

const char kIdentityHeader[] = "VELIX-PLUGIN-IDENTITY 1\n";
// No field of a usable identity comes near this; it bounds what a parse accepts.
const int kMaxFieldBytes = 4096;

VelixString View(const KxString& text) {
  VelixString view = {text.CStr(), text.Length()};
  return view;
}

KxString Copy(const VelixString& text) {
  if (!text.data || text.length <= 0) return KxString();
  return KxString(text.data, text.length);
}

// The record the host hands to InitPlugin: the site and help addresses, the rest empty.
// The texts stay owned here; whatever the plug-in writes into the record is never freed.
struct HostRecord {
  KxString empty;
  KxString site;
  KxString help;
  PluginInfo info;

  HostRecord() : site(VendorSiteUrl()), help(site + kHelpPagePath) {
    info.reserved = 0;
    info.extra = View(empty);
    info.version = View(empty);
    info.id = View(empty);
    info.name = View(empty);
    info.siteUrl = View(site);
    info.helpUrl = View(help);
  }
};

}  // namespace

namespace {

// One field of the answer at pos: decimal count, "\n", the bytes, "\n".
bool ParseField(const KxString& bytes, int& pos, KxString& field) {
  int count = 0;
  int digits = 0;
  while (pos < bytes.Length() && bytes.At(pos) >= '0' && bytes.At(pos) <= '9') {
    count = count * 10 + (bytes.At(pos) - '0');
    ++pos;
    if (++digits > 4 || count > kMaxFieldBytes) return false;
  }
  if (digits == 0 || pos >= bytes.Length() || bytes.At(pos) != '\n') return false;
  ++pos;
  if (count + 1 > bytes.Length() - pos || bytes.At(pos + count) != '\n') return false;
  field = bytes.Mid(count, pos);
  pos += count + 1;
  return true;
}

void AppendField(KxString& out, const KxString& field) {
  out.Append(KxString::FromInt(field.Length()));
  out.Append("\n");
  out.Append(field);
  out.Append("\n");
}

// The child's answer; a file larger than any usable answer is not read (the plug-in's
// own code ran in the child and may have written anything there).
bool ReadAnswer(const KxString& path, KxString& bytes) {
  KxIoFile file;
  return file.OpenForRead(path) && file.Size() <= 4 * kMaxFieldBytes && ReadAll(file, bytes);
}

bool WriteAnswer(const KxString& path, const KxString& bytes) {
  KxIoFile file;
  bool written = file.OpenForWrite(path) && WriteText(file, bytes);
  return file.Close() && written;
}

// A path of the identify command line at pos: in double quotes (GBK trail bytes are never
// '"'), or up to the next blank.
bool ParsePathArgument(const KxString& line, int& pos, KxString& text) {
  while (pos < line.Length() && line.At(pos) == ' ') ++pos;
  if (pos >= line.Length()) return false;
  int start = pos;
  int end;
  if (line.At(pos) == '"') {
    start = pos + 1;
    end = line.Find(start, "\"");
    if (end < 0) return false;
    pos = end + 1;
  } else {
    end = line.Find(start, " ");
    if (end < 0) end = line.Length();
    pos = end;
  }
  text = line.Mid(end - start, start);
  return !text.IsEmpty();
}

// A crash in the plug-in ends the child at once, with the exception code as its exit
// code, and never reaches a debugger or an error box.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* exception) {
  TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// An export as the function type it has; void (*)() is the generic function pointer type
// that may be converted to any other.
template <typename Function>
Function As(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
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

// Runs commandLine and waits for it; true when it ended by itself with exit code 0.
// The child's exit code: 1 when it had to be killed, kNotStarted when it never ran.
constexpr DWORD kNotStarted = 0xFFFFFFFF;
DWORD RunChild(const KxString& exe, const KxString& commandLine) {
  KxString line = commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(exe.CStr(), line.Buffer(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
    return kNotStarted;
  }
  CloseHandle(process.hThread);
  KxHandle child(process.hProcess);
  DWORD exitCode = 1;
  if (WaitAnswering(child.Get(), kIdentifyTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(child.Get(), 1);
    WaitForSingleObject(child.Get(), 5000);
  } else if (!GetExitCodeProcess(child.Get(), &exitCode)) {
    exitCode = 1;
  }
  return exitCode;
}

}  // namespace

// ---- PluginLibrary

PluginLibrary::~PluginLibrary() {
  Release();
  library.Free();
}

bool PluginLibrary::Load(const KxString& path) {
  init = show = release = NULL;
  initLooked = showLooked = releaseLooked = false;
  return library.Load(path);
}

FARPROC PluginLibrary::Proc(FARPROC& cache, bool& looked, const char* name) {
  if (!looked && library.Handle()) {
    cache = library.GetProc(name);
    looked = true;
  }
  return cache;
}

PluginInfo* PluginLibrary::Init(PluginInfo* host) {
  auto proc = As<VelixInitPluginProc>(Proc(init, initLooked, "InitPlugin"));
  return proc ? proc(host) : nullptr;
}

bool PluginLibrary::Show(void* mainWindow) {
  auto proc = As<VelixShowPluginProc>(Proc(show, showLooked, "ShowPlugin"));
  if (!proc) return false;
  proc(mainWindow);
  return true;
}

void PluginLibrary::Release() {
  auto proc = As<VelixReleasePluginProc>(Proc(release, releaseLooked, "ReleasePlugin"));
  if (proc) proc();
}

// ---- PluginRegistry

PluginLibrary* PluginRegistry::Find(const KxString& id) const {
  for (auto& item : entries) {
    if (item.id == id) return item.library;
  }
  return nullptr;
}

PluginLibrary* PluginRegistry::Add(const KxString& id, std::unique_ptr<PluginLibrary> library) {
  if (!library) return nullptr;
  for (auto& item : entries) {
    if (item.id == id) {
      PluginLibrary* old = item.library;
      item.library = library.release();
      delete old;
      return item.library;
    }
  }
  if (!entries.Add(Entry{id, library.get()})) return nullptr;
  return library.release();
}

std::unique_ptr<PluginLibrary> PluginRegistry::Take(const KxString& id) {
  for (KxListNode<Entry>* node = entries.Head(); node; node = node->next) {
    if (node->value.id == id) {
      std::unique_ptr<PluginLibrary> library(node->value.library);
      entries.Remove(node);
      return library;
    }
  }
  return nullptr;
}

void PluginRegistry::Clear() {
  // Each entry leaves the list before its plug-in is released, so a plug-in that asks
  // for another while it ends finds a consistent registry.
  while (KxListNode<Entry>* node = entries.Head()) {
    PluginLibrary* library = node->value.library;
    entries.Remove(node);
    delete library;
  }
}

// ---- Show and unload

bool ShowPluginById(const KxString& id, void* mainWindow) {
  PluginLibrary* library = ThePlugins.Find(id);
  if (!library) {
    library = unregistered.Find(id);
    if (!library) {
      KxString path = GetPluginPath(id);
      if (path.IsEmpty()) return false;
      std::unique_ptr<PluginLibrary> loaded(new (std::nothrow) PluginLibrary);
      if (!loaded || !loaded->Load(ProgramDirectory() + "\\" + path)) return false;
      library = unregistered.Add(id, std::move(loaded));
      if (!library) return false;
    }
    HostRecord host;
    if (library->Init(&host.info)) library = ThePlugins.Add(id, unregistered.Take(id));
    if (!library) return false;
  }
  if (library->Show(mainWindow)) return true;
  unregistered.Remove(id);  // nothing shown: nothing needs its code
  return false;
}

bool ShowPluginById(const KxString& id) {
  return ShowPluginById(id, TheApp ? static_cast<void*>(TheApp->mainForm) : nullptr);
}

bool IsPluginLoaded(const KxString& id) { return ThePlugins.Find(id) != nullptr; }

bool UnloadPlugin(const KxString& id) {
  bool registered = ThePlugins.Remove(id);
  return unregistered.Remove(id) || registered;
}

void UnloadAllPlugins() {
  ThePlugins.Clear();
  unregistered.Clear();
}

// ---- Identify

bool IsValidIdentity(const PluginIdentity& identity) {
  return IsPlainPluginId(identity.id) && identity.version.Length() <= kMaxPluginVersionBytes &&
         identity.name.Length() <= kMaxPluginNameBytes && !HasControlByte(identity.version) &&
         !HasControlByte(identity.name);
}

KxString FormatIdentity(const PluginIdentity& identity) {
  KxString out = kIdentityHeader;
  AppendField(out, identity.version);
  AppendField(out, identity.id);
  AppendField(out, identity.name);
  return out;
}

bool ParseIdentity(const KxString& bytes, PluginIdentity& identity) {
  KxString header = kIdentityHeader;
  if (bytes.Mid(header.Length(), 0) != header) return false;
  int pos = header.Length();
  PluginIdentity parsed;
  if (!ParseField(bytes, pos, parsed.version) || !ParseField(bytes, pos, parsed.id) ||
      !ParseField(bytes, pos, parsed.name) || pos != bytes.Length()) {
    return false;
  }
  identity = parsed;
  return true;
}

bool IdentifyInProcess(const KxString& dllPath, PluginIdentity& identity) {
  PluginIdentity found;
  bool ok = false;
  {
    PluginLibrary library;
    if (!library.Load(dllPath)) return false;
    HostRecord host;
    if (const PluginInfo* info = library.Init(&host.info)) {
      found.version = Copy(info->version);
      found.id = Copy(info->id);
      found.name = Copy(info->name);
      ok = true;
    }
  }  // released and unloaded before anything is reported
  if (ok) identity = found;
  return ok;
}

bool ParseIdentifyCommand(const KxString& commandLine, KxString& dllPath, KxString& resultPath) {
  KxString prefix = KxString(kIdentifySwitch) + " ";
  if (commandLine.Mid(prefix.Length(), 0) != prefix) return false;
  int pos = prefix.Length();
  KxString dll;
  KxString result;
  if (!ParsePathArgument(commandLine, pos, dll) || !ParsePathArgument(commandLine, pos, result)) return false;
  while (pos < commandLine.Length() && commandLine.At(pos) == ' ') ++pos;
  if (pos != commandLine.Length()) return false;
  dllPath = dll;
  resultPath = result;
  return true;
}

int RunIdentify(const KxString& dllPath, const KxString& resultPath) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnCrash);
  PluginIdentity identity;
  if (!IdentifyInProcess(dllPath, identity)) return 1;
  return WriteAnswer(resultPath, FormatIdentity(identity)) ? 0 : kAnswerNotWritten;
}


IdentifyResult IdentifyPackage(const KxString& dllPath, PluginIdentity& identity) {
  KxString exe = TheShell().IdentifyProgram();
  if (exe.IsEmpty()) exe = OwnExecutablePath();
  KxString resultPath = MakeResultFile();
  if (exe.IsEmpty() || resultPath.IsEmpty()) return IdentifyResult::notRun;
  KxString line = "\"" + exe + "\" " + kIdentifySwitch + " \"" + dllPath + "\" \"" + resultPath + "\"";
  PluginIdentity found;
  KxString answer;
  const DWORD exitCode = RunChild(exe, line);
  IdentifyResult result = IdentifyResult::refused;
  if (exitCode == kNotStarted || exitCode == kAnswerNotWritten) {
    result = IdentifyResult::notRun;
  } else if (exitCode == 0 && ReadAnswer(resultPath, answer) && ParseIdentity(answer, found) &&
             IsValidIdentity(found)) {
    result = IdentifyResult::identified;
  }
  DeleteFileA(resultPath.CStr());
  if (result == IdentifyResult::identified) identity = found;
  return result;
}
