#include "kx/base/KxFileDialog.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include "kx/base/KxFile.h"
#include "kx/base/KxHandles.h"
#include "kx/base/KxModal.h"
#include "kx/base/KxSystemLibrary.h"

namespace {

const char kAllFiles[] = "所有文件(*.*)|*.*";
const char kChooseFolderTitle[] = "选择目录";
const int kFileNameBytes = 260;
const int kFolderPathBytes = 300;

const char* OrNull(const KxString& text) { return text.IsEmpty() ? nullptr : text.CStr(); }

int CALLBACK SelectStartFolder(HWND dialog, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED && start) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, start);
  return 0;
}

}  // namespace

KxString FilterList(const KxString& text) {
  KxString list = text + "|";
  char* bytes = list.Buffer();
  for (int i = 0; i < list.Length(); i += KxCharLength(list, i)) {
    if (bytes[i] == '|') bytes[i] = 0;
  }
  return list;
}

KxString FolderStartPath(const KxString& initial) {
  if (!initial.IsEmpty() && initial.Length() < 3) return initial + "\\";
  return initial;
}

KxString WithoutTrailingBackslash(const KxString& path) {
  int last = path.Length() - 1;
  if (last >= 0 && FindLastChar(path, '\\') == last) return path.Mid(last, 0);
  return path;
}

namespace {

using OpenFileNameCall = BOOL(WINAPI*)(OPENFILENAMEA*);
// The record with the fields of Windows 2000 and later, as lStructSize says.
static_assert(sizeof(OPENFILENAMEA) == (sizeof(void*) == 4 ? 88 : 152), "OPENFILENAMEA layout");

// The common dialog library is loaded at the first dialog, not at the program's start:
// it brings the printing libraries with it, and most runs never open a file dialog. It
// stays loaded from then on.
OpenFileNameCall OpenFileNameFunction() {
  static OpenFileNameCall call = reinterpret_cast<OpenFileNameCall>(
      reinterpret_cast<void*>(SystemLibraryFunction("comdlg32.dll", "GetOpenFileNameA")));
  return call;
}

}  // namespace

KxOpenFileDialog::KxOpenFileDialog() : filter(FilterList(kAllFiles)), filterIndex(0) {}

bool KxOpenFileDialog::ShowOpen(HWND owner, bool mustExist) {
  char name[kFileNameBytes] = {};
  lstrcpynA(name, fileName.CStr(), kFileNameBytes);

  OPENFILENAMEA request = {};
  request.lStructSize = sizeof(request);
  request.hwndOwner = owner;
  request.lpstrFilter = filter.CStr();
  request.nFilterIndex = static_cast<DWORD>(filterIndex);
  request.lpstrFile = name;
  request.nMaxFile = kFileNameBytes;
  request.lpstrDefExt = OrNull(defaultExtension);
  request.lpstrInitialDir = OrNull(initialDirectory);
  request.lpstrTitle = OrNull(title);
  // The dialog would otherwise leave the process in the last folder browsed. The flag is
  // documented as ineffective for the open dialog on Windows, so the folder is put back
  // by hand as well.
  request.Flags = OFN_NOCHANGEDIR;
  if (mustExist) request.Flags |= OFN_FILEMUSTEXIST | (refuseReadOnly ? OFN_NOREADONLYRETURN : 0);
  OpenFileNameCall getOpenFileName = OpenFileNameFunction();
  if (!getOpenFileName) return false;
  char current[MAX_PATH] = {};
  DWORD currentLength = GetCurrentDirectoryA(MAX_PATH, current);
  BOOL chosen = FALSE;
  {
    KxDialogRun run(IDCANCEL);  // an exit cancels it
    chosen = getOpenFileName(&request);
  }
  if (currentLength > 0 && currentLength < MAX_PATH) SetCurrentDirectoryA(current);
  if (!chosen) return false;

  fileName = KxString(name, lstrlenA(name));
  filterIndex = static_cast<int>(request.nFilterIndex);
  return true;
}

KxString ChooseFolder(const KxString& initial, HWND owner) {
  KxString start = FolderStartPath(initial);
  char displayName[MAX_PATH] = {};

  BROWSEINFOA request = {};
  request.hwndOwner = owner;
  request.pidlRoot = NULL;
  request.pszDisplayName = displayName;
  request.lpszTitle = kChooseFolderTitle;
  request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_VALIDATE;
  request.lpfn = SelectStartFolder;
  request.lParam = start.IsEmpty() ? 0 : reinterpret_cast<LPARAM>(start.CStr());

  // The folder dialog needs COM on its thread.
  KxComApartment com;
  LPITEMIDLIST chosen = nullptr;
  {
    KxDialogRun run(IDCANCEL);  // an exit cancels it
    chosen = SHBrowseForFolderA(&request);
  }
  if (!chosen) return KxString();
  char path[kFolderPathBytes] = {};
  BOOL isFolder = SHGetPathFromIDListA(chosen, path);
  CoTaskMemFree(chosen);
  if (!isFolder) return KxString();
  return WithoutTrailingBackslash(KxString(path));
}
