#include "plugin/PluginLibrary.h"

#include "kx/base/KxWide.h"
#include "update/VendorSite.h"

// The exchange record's texts are read as the program's own strings by plug-ins built
// against that layout: pointer, then length, nothing else.
static_assert(sizeof(KxString) == sizeof(VelixString), "VelixString must match KxString");
static_assert(alignof(KxString) == alignof(VelixString), "VelixString must match KxString");

namespace {

VelixString View(const KxString& text) {
  VelixString view = {text.CStr(), text.Length()};
  return view;
}

KxString Copy(const VelixString& text) {
  if (!text.data || text.length <= 0) return KxString();
  return KxString(text.data, text.length);
}

// An export as the function type it has; void (*)() is the generic function pointer type
// that may be converted to any other.
template <typename Function>
Function As(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace

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

// Plug-ins read GBK: a character of the site's address outside it reaches them as "?".
PluginHostRecord::PluginHostRecord() : site(KxToGbk(VendorSiteUrl())), help(site + kHelpPagePath) {
  info.reserved = 0;
  info.extra = View(empty);
  info.version = View(empty);
  info.id = View(empty);
  info.name = View(empty);
  info.siteUrl = View(site);
  info.helpUrl = View(help);
}

bool IdentifyInProcess(const KxString& dllPath, PluginIdentity& identity) {
  PluginIdentity found;
  bool ok = false;
  {
    PluginLibrary library;
    if (!library.Load(dllPath)) return false;
    PluginHostRecord host;
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
