#pragma once
// A plug-in DLL and the calls into it: its three exports, the record the host hands to
// InitPlugin, and the identification of a package by its own InitPlugin.

#include "app/KxLibrary.h"
#include "kx/base/KxString.h"
#include "plugin/PluginIdentity.h"
#include "sdk/VelixPlugin.h"

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

// The record the host hands to InitPlugin: the site and help addresses, the rest empty.
// The texts stay owned here; whatever the plug-in writes into the record is never freed.
struct PluginHostRecord {
  PluginHostRecord();
  PluginHostRecord(const PluginHostRecord&) = delete;
  PluginHostRecord& operator=(const PluginHostRecord&) = delete;

  KxString empty;
  KxString site;
  KxString help;
  PluginInfo info;
};

// Loads dllPath, calls InitPlugin and copies the record, then releases and unloads the
// DLL; in this process, so a crashing plug-in takes the process with it. False for a DLL
// that does not load, has no InitPlugin or returns nullptr.
bool IdentifyInProcess(const KxString& dllPath, PluginIdentity& identity);
