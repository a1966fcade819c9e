#pragma once
// The plug-ins loaded in this run: the registry by P_ID, and showing and unloading a
// plug-in by its KX_PLUGIN row. Each loaded plug-in stays until it is unloaded or the run
// ends.

#include <memory>

#include "kx/base/KxList.h"
#include "kx/base/KxString.h"
#include "plugin/PluginLibrary.h"

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
