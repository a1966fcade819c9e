#include "plugin/PluginRegistry.h"

#include <new>
#include <utility>

#include "app/KxApp.h"
#include "kx/base/KxFile.h"
#include "store/PluginRecord.h"

PluginRegistry ThePlugins;

namespace {

// Plug-ins shown although their InitPlugin gave nullptr: loaded, not registered.
PluginRegistry unregistered;

}  // namespace

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
    PluginHostRecord host;
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
