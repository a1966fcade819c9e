#include "kx/base/KxFileDialog.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include "kx/base/KxFile.h"
#include "kx/base/KxHandles.h"
#include "kx/base/KxModal.h"
#include "kx/base/KxSystemLibrary.h"
#include "kx/base/KxWide.h"

namespace {

const char kAllFiles[] = "所有文件(*.*)|*.*";
const char kChooseFolderTitle[] = "选择目录";
// Room for a path of any length Windows takes.
const int kFileNameChars = 32768;

const wchar_t* OrNull(const KxWide& text) { return text.IsEmpty() ? nullptr : text.Get(); }

int CALLBACK SelectStartFolder(HWND dialog, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED && start) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
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

using OpenFileNameCall = BOOL(WINAPI*)(OPENFILENAMEW*);
// The record with the fields of Windows 2000 and later, as lStructSize says.
static_assert(sizeof(OPENFILENAMEW) == (sizeof(void*) == 4 ? 88 : 152), "OPENFILENAMEW layout");

// The common dialog library is loaded at the first dialog, not at the program's start:
// it brings the printing libraries with it, and most runs never open a file dialog. It
// stays loaded from then on.
OpenFileNameCall OpenFileNameFunction() {
  static OpenFileNameCall call = reinterpret_cast<OpenFileNameCall>(
      reinterpret_cast<void*>(SystemLibraryFunction("comdlg32.dll", "GetOpenFileNameW")));
  return call;
}

}  // namespace

KxOpenFileDialog::KxOpenFileDialog() : filter(FilterList(kAllFiles)), filterIndex(0) {}

bool KxOpenFileDialog::ShowOpen(HWND owner, bool mustExist) {
  KxWide name(fileName);
  if (name.Length() >= kFileNameChars || !name.Resize(kFileNameChars)) return false;
  // The list's zeros are converted with it; the text's own terminator ends it twice.
  const KxWide wideFilter(filter), extension(defaultExtension), folder(initialDirectory), caption(title);

  OPENFILENAMEW request = {};
  request.lStructSize = sizeof(request);
  request.hwndOwner = owner;
  request.lpstrFilter = wideFilter;
  request.nFilterIndex = static_cast<DWORD>(filterIndex);
  request.lpstrFile = name.Buffer();
  request.nMaxFile = kFileNameChars;
  request.lpstrDefExt = OrNull(extension);
  request.lpstrInitialDir = OrNull(folder);
  request.lpstrTitle = OrNull(caption);
  // The dialog would otherwise leave the process in the last folder browsed. The flag is
  // documented as ineffective for the open dialog on Windows, so the folder is put back
  // by hand as well.
  request.Flags = OFN_NOCHANGEDIR;
  if (mustExist) request.Flags |= OFN_FILEMUSTEXIST | (refuseReadOnly ? OFN_NOREADONLYRETURN : 0);
  OpenFileNameCall getOpenFileName = OpenFileNameFunction();
  if (!getOpenFileName) return false;
  const KxString current = CurrentDirectory();
  BOOL chosen = FALSE;
  {
    KxDialogRun run(IDCANCEL);  // an exit cancels it
    chosen = getOpenFileName(&request);
  }
  if (!current.IsEmpty()) ChangeCurrentDirectory(current);
  if (!chosen) return false;

  fileName = KxFromWide(name.Get());
  filterIndex = static_cast<int>(request.nFilterIndex);
  return true;
}

KxString ChooseFolder(const KxString& initial, HWND owner) {
  const KxWide start(FolderStartPath(initial));
  const KxWide caption(kChooseFolderTitle);
  wchar_t displayName[MAX_PATH] = {};

  BROWSEINFOW request = {};
  request.hwndOwner = owner;
  request.pidlRoot = NULL;
  request.pszDisplayName = displayName;
  request.lpszTitle = caption;
  request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_VALIDATE;
  request.lpfn = SelectStartFolder;
  request.lParam = start.IsEmpty() ? 0 : reinterpret_cast<LPARAM>(start.Get());

  // The folder dialog needs COM on its thread.
  KxComApartment com;
  LPITEMIDLIST chosen = nullptr;
  {
    KxDialogRun run(IDCANCEL);  // an exit cancels it
    chosen = SHBrowseForFolderW(&request);
  }
  if (!chosen) return KxString();
  // The call writes at most MAX_PATH characters.
  wchar_t path[MAX_PATH] = {};
  BOOL isFolder = SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  if (!isFolder) return KxString();
  return WithoutTrailingBackslash(KxFromWide(path));
}
