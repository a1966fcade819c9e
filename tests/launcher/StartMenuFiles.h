#pragma once
// Start-menu entries as installers make them: links saved through the shell's link object,
// Internet shortcuts as INI files, and a folder of the test's own in a real Start-menu root
// that goes with its holder, so that no later run meets it.

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include "kx/base/KxFile.h"
#include "kx/base/KxHandles.h"
#include "kx/base/KxString.h"
#include "kx/base/KxWide.h"
#include "tests/support/TestUtil.h"

inline void MakeLink(const KxString& file, const KxString& target, const char* arguments = "") {
  KxComApartment com;
  KxComPtr<IShellLinkW> link;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Out())));
  ASSERT_TRUE(SUCCEEDED(link->SetPath(KxWide(target))));
  ASSERT_TRUE(SUCCEEDED(link->SetArguments(KxWide(arguments))));
  KxComPtr<IPersistFile> persist;
  ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, persist.Out())));
  ASSERT_TRUE(SUCCEEDED(persist->Save(KxWide(file), TRUE))) << file.CStr();
}

inline void MakeUrl(const KxString& file, const char* address) {
  ASSERT_TRUE(WriteFileBytes(file, KxString("[InternetShortcut]\r\nURL=") + address + "\r\n"));
}

inline KxString FolderOf(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path);
  return KxFromWide(path);
}

// name below the Start-menu root csidl, made empty, removed with the holder.
class StartMenuFolder {
public:
  StartMenuFolder(int csidl, const char* name) : path(FolderOf(csidl) + "\\" + name) {
    RemoveTree(path);
    MakeDirectory(path);
  }
  StartMenuFolder(const StartMenuFolder&) = delete;
  StartMenuFolder& operator=(const StartMenuFolder&) = delete;
  ~StartMenuFolder() { RemoveTree(path); }

  const KxString path;
};
