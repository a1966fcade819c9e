#include "launcher/StartMenuImport.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "app/KxApp.h"
#include "app/KxDialogs.h"
#include "app/KxIni.h"
#include "app/resource.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxHandles.h"
#include "kx/base/KxWide.h"
#include "store/KxDb.h"
#include "store/ShortcutRecord.h"
#include "store/SysValues.h"
#include "launcher/TreeRecords.h"

const char kStartMenuOfferText[] = "快捷菜单还是空的。要从开始菜单导入程序吗？";

namespace {

// Folders nested deeper than this are not read (a link loop or a generated tree).
const int kMaxFolderDepth = 16;
// At most this many captions are named in the report; the rest is "等".
const int kMaxNamedLinks = 10;

// Captions and targets holding one of these are uninstallers.
const char* const kUninstallWords[] = {"unins", "卸载"};
// Captions holding one of these are help or read-me documents.
const char* const kDocumentWords[] = {"help", "帮助", "readme", "read me", "说明", "自述", "手册", "manual"};
// Targets of these types are documents, not programs.
const char* const kDocumentTypes[] = {".chm", ".hlp", ".txt", ".pdf", ".rtf", ".doc", ".docx",
                                      ".wri", ".htm", ".html", ".mht", ".xps"};

struct ImportLink {
  KxString caption;
  KxString target;      // as stored: the expanded path or the address
  KxString iconSource;  // the file whose icon the shortcut gets
  bool droppedArguments = false;
};

struct ImportFolder {
  KxString name;
  int groupId = -1;    // the stored group it fills: an existing one, or the one written
  bool isNew = true;   // no group of its name at its level before the import
  int firstOrder = 0;  // the place of the first imported item inside it
  std::vector<ImportFolder> folders;
  std::vector<ImportLink> links;
};

bool SameName(const KxString& a, const KxString& b) { return KxSamePath(a, b); }

bool ByName(const KxString& a, const KxString& b) { return KxCompareNoCase(a, b) < 0; }

template <size_t N>
bool ContainsAny(const KxString& text, const char* const (&words)[N]) {
  for (const char* word : words)
    if (KxFindNoCase(text, word) >= 0) return true;
  return false;
}

bool IsLeftOut(const ImportLink& link) {
  if (link.target.IsEmpty()) return true;
  if (ContainsAny(link.caption, kUninstallWords) || ContainsAny(link.target, kUninstallWords)) return true;
  if (ContainsAny(link.caption, kDocumentWords)) return true;
  // A web page is what an Internet shortcut is for.
  if (IsAddress(link.target)) return false;
  for (const char* type : kDocumentTypes)
    if (EndsWithNoCase(link.target, type)) return true;
  return !FileExists(link.target);
}

KxString Expanded(const KxString& text) {
  const KxWide source(text);
  // The call counts the terminator in what it wrote.
  KxString expanded = KxWideAnswer([&source](wchar_t* buffer, DWORD capacity) -> DWORD {
    DWORD length = ExpandEnvironmentStringsW(source, buffer, capacity);
    return length > 0 ? length - 1 : 0;
  });
  return expanded.IsEmpty() ? text : expanded;
}

// The first form of a link's stored path that exists, expanded; the written form when none
// does (the import then leaves the link out as one to a missing program).
KxString LinkTarget(const KxString& raw) {
  for (const KxString& form : LinkTargetForms(raw)) {
    KxString path = Expanded(form);
    if (FileExists(path)) return path;
  }
  return Expanded(raw);
}

// What the shell shows for a file or folder: a localised folder name, a link's name
// without ".lnk"; the file's own name when the shell gives none.
KxString DisplayNameOf(const KxString& path, const KxString& fileName) {
  SHFILEINFOW info = {};
  if (!SHGetFileInfoW(KxWide(path), 0, &info, sizeof(info), SHGFI_DISPLAYNAME) || !info.szDisplayName[0])
    return fileName;
  return KxFromWide(info.szDisplayName);
}

// The form two targets are compared in (case aside): an address as it is, a path expanded,
// made full and long, without a trailing backslash.
KxString Normalised(const KxString& target) {
  if (IsAddress(target)) return target;
  KxString path = Expanded(target);
  KxString full = FullPathOf(path);
  if (!full.IsEmpty()) path = full;
  KxString longer = LongPathOf(path);
  if (!longer.IsEmpty()) path = longer;
  int last = path.Length() - 1;
  if (last > 2 && FindLastChar(path, '\\') == last) path.Resize(last);
  return path;
}

// The targets the tree holds, and those taken so far in this run.
class KnownTargets {
public:
  bool Has(const KxString& normalised) const {
    for (const KxString& known : targets)
      if (SameName(known, normalised)) return true;
    return false;
  }
  void Add(const KxString& normalised) { targets.push_back(normalised); }

private:
  std::vector<KxString> targets;
};

// The file-system path of the item a link points to; empty when it is none.
KxString ItemListPath(IShellLinkW* link) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(link->GetIDList(&items)) || !items) return KxString();
  // The call writes at most MAX_PATH characters.
  wchar_t path[MAX_PATH] = {};
  BOOL isPath = SHGetPathFromIDListW(items, path);
  CoTaskMemFree(items);
  return isPath ? KxFromWide(path) : KxString();
}

// Reads links through the shell; a link object that cannot be made fails the whole read.
class LinkReader {
public:
  bool failed = false;

  // False when the link cannot be read; target is empty for a link to no path (an
  // advertised installer entry).
  bool Read(const KxString& file, KxString& target, bool& hasArguments) {
    KxComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Out())) ||
        !link) {
      failed = true;
      return false;
    }
    KxComPtr<IPersistFile> persist;
    if (FAILED(link->QueryInterface(IID_IPersistFile, persist.Out())) || !persist) {
      failed = true;
      return false;
    }
    if (FAILED(persist->Load(KxWide(file), STGM_READ))) return false;
    // A link holds at most MAX_PATH characters of path; the arguments get the room a
    // link's editor gives them.
    wchar_t path[MAX_PATH] = {};
    WIN32_FIND_DATAW found = {};
    if (FAILED(link->GetPath(path, MAX_PATH, &found, SLGP_RAWPATH))) path[0] = 0;
    KxString raw = KxFromWide(path);
    // Wine keeps a link's path in the system's code page and answers "?" for every other
    // character; its item list holds the whole path. No path holds a "?" of its own.
    if (raw.Find(0, "?") >= 0) raw = ItemListPath(link.Get());
    target = raw.IsEmpty() ? KxString() : LinkTarget(raw);
    wchar_t arguments[1024] = {};
    if (FAILED(link->GetArguments(arguments, 1024))) arguments[0] = 0;
    KxString given = KxFromWide(arguments);
    given.Trim();
    hasArguments = !given.IsEmpty();
    return true;
  }

private:
  KxComApartment com;
};

KxString UrlOf(const KxString& file) {
  KxString url = KxIni(file).Read("InternetShortcut", "URL", "");
  url.Trim();
  return url;
}

ImportFolder& FolderNamed(ImportFolder& parent, const KxString& name) {
  for (ImportFolder& folder : parent.folders)
    if (SameName(folder.name, name)) return folder;
  parent.folders.push_back(ImportFolder());
  parent.folders.back().name = name;
  return parent.folders.back();
}

// Adds what dir holds to into, folders merged by name.
void ReadFolder(const KxString& dir, ImportFolder& into, int depth, LinkReader& reader) {
  for (KxFindFiles found(dir + "\\*"); found.Next();) {
    const KxString& name = found.Name();
    KxString path = dir + "\\" + name;
    if (found.IsDirectory()) {
      if (name == "." || name == ".." || depth >= kMaxFolderDepth) continue;
      // A junction could lead back up the tree.
      if (found.Attributes() & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      ReadFolder(path, FolderNamed(into, DisplayNameOf(path, name)), depth + 1, reader);
      if (reader.failed) break;
      continue;
    }
    ImportLink link;
    if (EndsWithNoCase(name, ".lnk")) {
      if (!reader.Read(path, link.target, link.droppedArguments)) {
        if (reader.failed) break;
        continue;
      }
      link.iconSource = link.target;
    } else if (EndsWithNoCase(name, ".url")) {
      link.target = UrlOf(path);
      link.iconSource = path;
    } else {
      continue;
    }
    link.caption = DisplayNameOf(path, name);
    // Some shells show the extension of links too.
    if (EndsWithNoCase(link.caption, ".lnk") || EndsWithNoCase(link.caption, ".url"))
      link.caption = link.caption.Mid(link.caption.Length() - 4, 0);
    if (!link.caption.IsEmpty()) into.links.push_back(link);
  }
}

struct StoredLevel {
  int children = 0;
  std::vector<const ShortcutRecord*> groups;
};

StoredLevel LevelOf(const ShortcutList& tree, int parentId) {
  StoredLevel level;
  for (const ShortcutRecord& record : tree) {
    if (record.parentId != parentId) continue;
    ++level.children;
    if (record.kind == kShortcutGroup && record.id != 0) level.groups.push_back(&record);
  }
  return level;
}

// Settles folder against the stored tree: links left out or already there are dropped,
// folders matched to the groups at their level, each list sorted, empty folders removed.
// Counts the rows to write into rows. True when anything is left.
bool Plan(ImportFolder& folder, const ShortcutList& tree, KnownTargets& known, const KxString& self,
          int& rows) {
  std::sort(folder.folders.begin(), folder.folders.end(),
            [](const ImportFolder& a, const ImportFolder& b) { return ByName(a.name, b.name); });
  std::sort(folder.links.begin(), folder.links.end(),
            [](const ImportLink& a, const ImportLink& b) { return ByName(a.caption, b.caption); });
  // Only groups that already existed have stored children to follow.
  StoredLevel level;
  if (!folder.isNew) level = LevelOf(tree, folder.groupId);
  folder.firstOrder = level.children;

  std::vector<ImportFolder> kept;
  for (ImportFolder& sub : folder.folders) {
    sub.isNew = true;
    sub.groupId = -1;
    for (const ShortcutRecord* group : level.groups) {
      if (!SameName(group->text, sub.name)) continue;
      sub.isNew = false;
      sub.groupId = group->id;
      break;
    }
    int before = rows;
    if (sub.isNew) ++rows;
    if (Plan(sub, tree, known, self, rows)) {
      kept.push_back(static_cast<ImportFolder&&>(sub));
    } else {
      rows = before;
    }
  }
  folder.folders.swap(kept);

  std::vector<ImportLink> links;
  for (ImportLink& link : folder.links) {
    if (IsLeftOut(link)) continue;
    KxString normalised = Normalised(link.target);
    if (known.Has(normalised) || SameName(normalised, self)) continue;
    known.Add(normalised);
    links.push_back(static_cast<ImportLink&&>(link));
    ++rows;
  }
  folder.links.swap(links);
  return !folder.folders.empty() || !folder.links.empty();
}

// The Start menu under roots as it would go into the stored tree; false when the links
// could not be read.
bool PlanImport(const KxStringList& roots, const ShortcutList& tree, ImportFolder& top, int& rows) {
  top = ImportFolder();
  top.isNew = false;
  top.groupId = 0;
  {
    LinkReader reader;
    for (const KxString& root : roots) {
      ReadFolder(root, top, 0, reader);
      if (reader.failed) return false;
    }
  }
  KnownTargets known;
  for (const ShortcutRecord& record : tree)
    if (record.kind == kShortcutItem && !record.path.IsEmpty()) known.Add(Normalised(record.path));
  rows = 0;
  Plan(top, tree, known, Normalised(OwnExecutablePath()), rows);
  return true;
}

ShortcutRecord NewRecord(int kind, int parentId, int orderId, const KxString& text) {
  ShortcutRecord record = NewTreeRecord(kind, text);
  record.parentId = static_cast<short>(parentId);
  record.orderId = orderId;
  return record;
}

// Writes folder's new groups, then its links, after what its group holds, then the same
// inside each of its folders. Stops at the first row that is not written.
bool WriteFolder(ImportFolder& folder, StartMenuImportResult& result) {
  int order = folder.firstOrder;
  for (ImportFolder& sub : folder.folders) {
    if (!sub.isNew) continue;
    ShortcutRecord group = NewRecord(kShortcutGroup, folder.groupId, order++, sub.name);
    group.icon.Reset(NewGroupIcon());
    if (!InsertShortcut(group)) return false;
    sub.groupId = group.id;
    ++result.groups;
  }
  for (const ImportLink& link : folder.links) {
    ShortcutRecord shortcut = NewRecord(kShortcutItem, folder.groupId, order++, link.caption);
    shortcut.path = link.target;
    shortcut.icon.Reset(FileSmallIcon(link.iconSource));
    if (!InsertShortcut(shortcut)) return false;
    ++result.shortcuts;
    if (link.droppedArguments) result.withoutArguments.Add(link.caption);
  }
  for (ImportFolder& sub : folder.folders)
    if (!WriteFolder(sub, result)) return false;
  return true;
}

}  // namespace

KxStringList StartMenuRoots() {
  KxStringList roots;
  for (int folder : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(NULL, folder, NULL, SHGFP_TYPE_CURRENT, path)) && path[0])
      roots.Add(KxFromWide(path));
  }
  return roots;
}

bool StartMenuHasNew(const KxStringList& roots) {
  ShortcutList tree;
  LoadShortcuts(tree);
  ImportFolder top;
  int rows = 0;
  return PlanImport(roots, tree, top, rows) && rows > 0;
}

StartMenuImportResult ImportStartMenu(const KxStringList& roots) {
  StartMenuImportResult result;
  ShortcutList tree;
  LoadShortcuts(tree);
  ImportFolder top;
  int rows = 0;
  if (!PlanImport(roots, tree, top, rows)) {
    result.outcome = StartMenuImportResult::kFailed;
    return result;
  }
  if (rows == 0) return result;
  if (NextShortcutId() - 1 + rows > kMaxShortcutId) {
    result.outcome = StartMenuImportResult::kTooMany;
    return result;
  }
  KxTransaction edit(TheDb);
  edit.Check(WriteFolder(top, result));
  if (!edit.Finish()) {
    StartMenuImportResult failed;
    failed.outcome = StartMenuImportResult::kFailed;
    return failed;
  }
  result.outcome = StartMenuImportResult::kImported;
  return result;
}

KxString StartMenuImportReport(const StartMenuImportResult& result) {
  switch (result.outcome) {
    case StartMenuImportResult::kNothingNew: return "开始菜单里没有可以导入的新程序。";
    case StartMenuImportResult::kFailed: return "无法导入开始菜单，快捷菜单没有改动。";
    case StartMenuImportResult::kTooMany: return "快捷菜单的项目太多，开始菜单无法导入，快捷菜单没有改动。";
    case StartMenuImportResult::kImported: break;
  }
  KxString text = "已从开始菜单导入 " + KxString::FromInt(result.shortcuts) + " 个快捷方式";
  if (result.groups > 0) text += "，新建 " + KxString::FromInt(result.groups) + " 个组";
  text += "。";
  int dropped = result.withoutArguments.Count();
  if (dropped == 0) return text;
  text += "\n\n快捷菜单不保存程序的参数，" + KxString::FromInt(dropped) + " 个快捷方式的参数未导入：";
  int named = 0;
  for (const KxString& caption : result.withoutArguments) {
    if (named == kMaxNamedLinks) {
      text += " 等";
      break;
    }
    text += (named++ == 0 ? "" : "、") + caption;
  }
  return text;
}

void OfferStartMenuImport(const KxStringList& roots) {
  if (IsStartMenuOfferAnswered()) return;
  ShortcutList tree;
  LoadShortcuts(tree);
  if (!tree.IsEmpty() || !StartMenuHasNew(roots)) return;
  bool import = AskYesNo(kStartMenuOfferText);
  // Before the import, so that an import that fails or ends the run is not offered again.
  SetStartMenuOfferAnswered();
  if (import) ShowInfo(StartMenuImportReport(ImportStartMenu(roots)));
}

KxStringList LinkTargetForms(const KxString& raw) {
  struct Swap {
    const char* from;
    const char* to;
  };
  const Swap swaps[] = {{"%ProgramFiles%", "%ProgramW6432%"},
                        {"%CommonProgramFiles%", "%CommonProgramW6432%"},
                        {"\\System32\\", "\\Sysnative\\"}};
  KxStringList forms;
  forms.Add(raw);
  for (const Swap& swap : swaps) {
    int at = KxFindNoCase(raw, swap.from);
    if (at < 0) continue;
    KxString from(swap.from);
    forms.Add(raw.Mid(at, 0) + swap.to + raw.Mid(-1, at + from.Length()));
  }
  return forms;
}
