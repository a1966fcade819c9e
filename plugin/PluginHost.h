#pragma once
// The plug-in host: loads plug-in DLLs from the program directory, shows them, keeps each
// loaded plug-in until it is unloaded or the run ends, and identifies a downloaded package
// in a child run of the program, so that a plug-in that crashes costs nothing but itself.

#include <memory>

#include "app/KxLibrary.h"
#include "kx/base/KxList.h"
#include "kx/base/KxString.h"
#include "sdk/VelixPlugin.h"
#include "update/PluginId.h"

// One loaded plug-in DLL and its three exports, each looked up on first use. A missing
// export makes its call do nothing (Init then gives nullptr). Destruction calls
// ReleasePlugin, then unloads the DLL.
class PluginLibrary {
public:
  PluginLibrary() = default;
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;
  ~PluginLibrary();

  bool Load(const KxString& path);
  HMODULE Handle() const { return library.Handle(); }

  PluginInfo* Init(PluginInfo* host);
  // False when the DLL has no ShowPlugin.
  bool Show(void* mainWindow);
  void Release();

private:
  FARPROC Proc(FARPROC& cache, bool& looked, const char* name);

  KxLibrary library;
  FARPROC init = NULL;
  FARPROC show = NULL;
  FARPROC release = NULL;
  bool initLooked = false;
  bool showLooked = false;
  bool releaseLooked = false;
};

// Every plug-in loaded so far, by P_ID; each library is owned here.
class PluginRegistry {
public:
  PluginRegistry() = default;
  PluginRegistry(const PluginRegistry&) = delete;
  PluginRegistry& operator=(const PluginRegistry&) = delete;
  ~PluginRegistry() { Clear(); }

  PluginLibrary* Find(const KxString& id) const;
  // Takes library over under id, replacing (and destroying) one held there already.
  PluginLibrary* Add(const KxString& id, std::unique_ptr<PluginLibrary> library);
  // Hands the library held under id over to the caller (null when there is none).
  std::unique_ptr<PluginLibrary> Take(const KxString& id);
  // Destroys the library held under id; false when there is none.
  bool Remove(const KxString& id) { return Take(id) != nullptr; }
  // Destroys every library, in the order they were loaded.
  void Clear();
  int Count() const { return entries.Count(); }

private:
  struct Entry {
    KxString id;
    PluginLibrary* library;
  };
  KxList<Entry> entries;
};

// The process's one registry of plug-ins loaded by a successful InitPlugin.
extern PluginRegistry ThePlugins;

// Shows plug-in id: the loaded library, else the DLL at program directory + "\" + P_PATH,
// whose InitPlugin is given the site and help addresses; a non-null result registers it
// in ThePlugins. A null one still shows it and keeps the DLL loaded outside the registry
// (whatever the plug-in put on the screen needs its code), asked again at the next show,
// until it is unloaded or the run ends. mainWindow is handed to ShowPlugin as it is.
// False when nothing could be shown (no row, no DLL, no export).
bool ShowPluginById(const KxString& id, void* mainWindow);
// The same with the application's main form, the kit window (nullptr without one).
bool ShowPluginById(const KxString& id);
bool IsPluginLoaded(const KxString& id);
// Unloads plug-in id, registered or not (ReleasePlugin first); false when it was not loaded.
bool UnloadPlugin(const KxString& id);
// Unloads every plug-in; the normal run does it before the kit window goes.
void UnloadAllPlugins();

// What a package says about itself in its exchange record, as the host's own copies.
struct PluginIdentity {
  KxString version;
  KxString id;
  KxString name;
};

// Longest texts a package may give besides its id (kMaxPluginIdBytes): they become
// KX_PLUGIN's columns.
constexpr int kMaxPluginVersionBytes = 20;
constexpr int kMaxPluginNameBytes = 80;

// The identity is usable: a plain id, and version and name within their lengths and
// without control bytes.
bool IsValidIdentity(const PluginIdentity& identity);

// The child run's answer: "VELIX-PLUGIN-IDENTITY 1\n", then version, id and name, each
// as its decimal byte count, "\n", the bytes and "\n". Parse is false for anything else,
// including trailing bytes.
KxString FormatIdentity(const PluginIdentity& identity);
bool ParseIdentity(const KxString& bytes, PluginIdentity& identity);

// Loads dllPath, calls InitPlugin and copies the record, then releases and unloads the
// DLL; in this process, so a crashing plug-in takes the process with it. False for a DLL
// that does not load, has no InitPlugin or returns nullptr.
bool IdentifyInProcess(const KxString& dllPath, PluginIdentity& identity);

// The child run's command line: "-identify", then the DLL path and the result path, each
// in double quotes or free of blanks. True, with both paths, when commandLine has this form.
bool ParseIdentifyCommand(const KxString& commandLine, KxString& dllPath, KxString& resultPath);
// The child run: IdentifyInProcess without error boxes, a crash ending the process with
// the exception code; the answer is written to resultPath only on success (result 0). A
// plug-in that does not identify itself ends it with 1, an answer that cannot be written
// with kAnswerNotWritten.
constexpr int kAnswerNotWritten = 2;
int RunIdentify(const KxString& dllPath, const KxString& resultPath);

// Identifies a package in a child run of the program shell's identify program (by
// default this process's own executable), given kIdentifyTimeoutMs before it is killed.
// A crash, a time-out, a non-zero exit, a missing or malformed answer or an invalid
// identity are the plug-in's failure (refused); an answer file that cannot be made or
// written, or a child that does not start, is this machine's (notRun), and says nothing
// of the plug-in. While it waits, the calling thread keeps answering: messages sent to its windows are handled and
// they are repainted, while input and posted messages stay queued until the wait is over,
// so nothing a user does runs in the middle of an install.
constexpr DWORD kIdentifyTimeoutMs = 10000;
enum class IdentifyResult { identified, refused, notRun };
IdentifyResult IdentifyPackage(const KxString& dllPath, PluginIdentity& identity);
