#include "plugin/KxListPlugin.h"

#include <initializer_list>

#include "app/KxDialogs.h"
#include "hotkey/FrmShutCut.h"
#include "hotkey/HotKeyTable.h"
#include "kx/KxButton.h"
#include "kx/KxCheckBox.h"
#include "kx/KxLabel.h"
#include "kx/KxProgressBar.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxWide.h"
#include "plugin/PluginHost.h"
#include "plugin/PluginRegistry.h"
#include "update/UpdatePackage.h"

namespace {

// Posted by a row's worker: the size label in bytes (wParam), one progress step, and the
// end (1034, wParam a DownloadEnd). Posted, not sent: a row being destroyed waits for its
// worker, which must never wait for the row's thread in turn.
constexpr UINT kMsgSize = WM_APP + 50;
constexpr UINT kMsgStep = WM_APP + 51;
constexpr UINT kMsgEnd = WM_USER + 10;

const char kNotInstalled[] = "(未安装)";
const char kPackageExtension[] = ".vlx";
const COLORREF kNameColor = RGB(0, 128, 128);
const int kRowHeight = 64;
const int kDownloadButtonLeft = 300;

// Some row other than id's names one of fileNames as its plug-in's file (case does not
// count). One read of the table for all names.
bool IsAnotherPluginsFile(const KxString& id, std::initializer_list<KxString> fileNames) {
  PluginList plugins;
  LoadPlugins(plugins);
  for (auto& item : plugins) {
    if (item.id == id) continue;
    for (const KxString& name : fileNames)
      if (KxSamePath(item.path, name)) return true;
  }
  return false;
}

}  // namespace

// ---- One row

PanelPlugin::PanelPlugin(KxControl* list, const PluginRecord& pluginRecord) : record(pluginRecord) {
  if (list) list->children.Add(this);
  Create(list, KxRect{0, 0, list ? list->width : 0, kRowHeight});
  hotKey.Set(static_cast<uint32_t>(record.hotKey));
  // Each label ends 2 pixels before the control to its right; a text wider than that is
  // cut there, never drawn under the control.
  nameLabel = new KxLabel(this, "", KxRect{10, 4, 90, 20});
  nameLabel->SetTextColor(kNameColor);
  nameLabel->SetMaxWidth(98);
  stateLabel = new KxLabel(this, "", KxRect{10, 34, 90, 20});
  stateLabel->SetMaxWidth(98);
  menuBox = new KxCheckBox(this, "右键菜单", KxRect{110, 4, 70, 20});
  menuBox->SetChecked((record.status & kPluginInMenu) != 0);
  progress = new KxProgressBar(this);
  progress->Create(this, "", WS_CHILD, KxRect{110, 37, 78, 14});
  hotKeyBox = new KxCheckBox(this, "快捷键", KxRect{190, 4, 58, 20});
  hotKeyBox->SetChecked((record.status & kPluginHotKeyOn) != 0);
  // Room for the longest status of a download (eight characters) before the button.
  sizeLabel = new KxLabel(this, "", KxRect{190, 34, 70, 20});
  sizeLabel->SetMaxWidth(kDownloadButtonLeft - 2 - 190);
  // Ends where the delete button begins: over it, the link would take the button's clicks.
  hotKeyLink = new KxLabellink(this, "(" + hotKey.Text() + ")", KxRect{262, 4, 106, 20});
  hotKeyLink->autoSize = false;
  downloadButton = new KxButton(this, "下载更新", KxRect{kDownloadButtonLeft, 34, 62, 20});
  downloadButton->Hide();
  deleteButton = new KxButton(this, "删除", KxRect{372, 6, 48, 20});
  if (record.version.IsEmpty()) deleteButton->Hide();
  ShowName();
  BindClick(*menuBox, this, &PanelPlugin::OnMenuBox);
  BindClick(*hotKeyBox, this, &PanelPlugin::OnHotKeyBox);
  BindClick(*hotKeyLink, this, &PanelPlugin::OnHotKeyLink);
  BindClick(*downloadButton, this, &PanelPlugin::OnDownloadClick);
  BindClick(*deleteButton, this, &PanelPlugin::OnDeleteClick);
  download.Bind(*this, {kMsgSize, kMsgStep, kMsgEnd}, progress, sizeLabel, downloadButton, [this] {
    Install();
    return true;
  });
}

PanelPlugin::~PanelPlugin() { download.Stop(); }

void PanelPlugin::ShowName() { nameLabel->SetText(record.name + record.version); }

void PanelPlugin::WriteStatus() {
  record.status = (menuBox->IsChecked() ? kPluginInMenu : 0) | (hotKeyBox->IsChecked() ? kPluginHotKeyOn : 0);
  SetPluginStatus(record.id, static_cast<unsigned int>(record.status));
}

int PanelPlugin::OnMenuBox(KxEvtParam&) {
  WriteStatus();
  return 0;
}

int PanelPlugin::OnHotKeyBox(KxEvtParam&) {
  WriteStatus();
  RegisterAllHotKeys();
  return 0;
}

int PanelPlugin::OnHotKeyLink(KxEvtParam&) {
  POINT at = {Px(hotKeyLink->x - 8), Px(-8)};  // the field is a 96-DPI value
  ClientToScreen(hwnd, &at);
  HotKeyCode code = hotKey;
  if (!EditHotKey(this, at, code, PluginCommand(record.id))) return 0;
  hotKey = code;
  record.hotKey = static_cast<int>(code.Get());
  SetPluginHotKey(record.id, record.hotKey);
  hotKeyLink->SetText("(" + hotKey.Text() + ")");
  RegisterAllHotKeys();
  return 0;
}

void PanelPlugin::Withdraw() {
  entry = UpdateEntry();
  stateLabel->SetText("");
  downloadButton->Hide();
}

void PanelPlugin::Offer(const UpdateEntry& offered) {
  entry = offered;
  stateLabel->SetText(entry.ver != record.version ? KxString("最新版本") + entry.ver : KxString("已是最新版本"));
  progress->Show();
  downloadButton->Show();
}

int PanelPlugin::OnDownloadClick(KxEvtParam&) {
  StartDownload();
  return 0;
}

void PanelPlugin::StartDownload() {
  if (entry.path.IsEmpty() || download.IsBusy()) return;
  // Neither the plug-in's file nor its staging copy may be another installed plug-in's.
  const KxString installed = InstalledFile(entry);
  const KxString unpacked = UnpackedFile(entry);
  download.Start(entry, {installed, unpacked},
                 !IsAnotherPluginsFile(record.id, {FileNameOf(installed, true), FileNameOf(unpacked, true)}));
}

KxString PanelPlugin::InstalledFile(const UpdateEntry& of) {
  return ProgramDirectory() + "\\" + FileNameOf(FileNameOf(of.path, true), false) + kPackageExtension;
}

KxString PanelPlugin::UnpackedFile(const UpdateEntry& of) {
  return ProgramDirectory() + "\\tmp" + FileNameOf(FileNameOf(of.path, true), false) + kPackageExtension;
}

// The signed package becomes "tmp<name>.vlx", is identified in a run of its own, and
// only then replaces "<name>.vlx", the plug-in's file; a loaded plug-in is unloaded first
// and shown again afterwards.
void PanelPlugin::Install() {
  const UpdateEntry& downloading = download.Downloading();
  KxString base = FileNameOf(FileNameOf(downloading.path, true), false);
  KxString installed = InstalledFile(downloading);
  KxString unpacked = UnpackedFile(downloading);
  UnpackResult unpack = UnpackResult::kOk;
  KxString package = download.TakePackage();
  if (!UnpackPackage(package, unpacked, unpack)) {
    sizeLabel->SetText(unpack == UnpackResult::kTooLarge ? "插件包过大" : "下载文件损坏");
    return;
  }
  // The package must be the plug-in it was offered as: another id would take over this
  // row, or another plug-in's.
  PluginIdentity identity;
  const IdentifyResult identified = IdentifyPackage(unpacked, identity);
  if (identified != IdentifyResult::kIdentified || identity.id != record.id) {
    RemoveFile(unpacked);
    sizeLabel->SetText(identified == IdentifyResult::kIdentified ? "插件标识不符"
                       : identified == IdentifyResult::kRefused  ? "插件无法识别"
                                                                 : "下载未完成");
    return;
  }
  // Another installed plug-in's file is never replaced, whatever the description says.
  if (IsAnotherPluginsFile(record.id, {base + kPackageExtension})) {
    RemoveFile(unpacked);
    sizeLabel->SetText(kDownloadFileBusyText);
    return;
  }
  bool wasLoaded = IsPluginLoaded(record.id);
  UnloadPlugin(record.id);  // also one loaded outside the registry: its file must go
  RemoveFile(installed);
  if (!MoveFileTo(installed, unpacked)) {
    RemoveFile(unpacked);
    sizeLabel->SetText("下载未完成");
    return;
  }
  PluginRecord updated = record;
  updated.name = identity.name;
  updated.version = identity.version;
  updated.path = base + kPackageExtension;
  bool known = PluginExists(record.id);
  if (!(known ? UpdatePlugin(updated) : InsertPlugin(updated))) {
    // A file no row names would stay for good: a new plug-in's goes again.
    if (!known) RemoveFile(installed);
    sizeLabel->SetText("插件未能记录");
    if (wasLoaded && known) ShowPluginById(record.id);
    return;
  }
  record = updated;
  sizeLabel->SetText("下载完成");
  if (wasLoaded) ShowPluginById(record.id);
  ShowName();
  stateLabel->SetText("已是最新版本");
  deleteButton->Show();
  RegisterAllHotKeys();
}

int PanelPlugin::OnDeleteClick(KxEvtParam&) {
  DeletePlugin();
  return 0;
}

void PanelPlugin::DeletePlugin() {
  if (!AskYesNo("确认删除\"" + record.name + "\"")) return;
  deleteButton->Hide();
  UnloadPlugin(record.id);
  if (!record.path.IsEmpty()) RemoveFile(ProgramDirectory() + "\\" + record.path);
  ::DeletePlugin(record.id);
  record.name = record.name + kNotInstalled;
  record.version = KxString();
  ShowName();
  if (!entry.ver.IsEmpty()) Offer(entry);  // offered again, now as not installed
  RegisterAllHotKeys();
}

// ---- The list

KxListPlugin::KxListPlugin(KxControl* parentControl, const KxRect& rect)
    : KxListCard(parentControl, rect), self(this, [](KxListPlugin*) {}) {}

KxListPlugin::~KxListPlugin() { self.reset(); }

PanelPlugin* KxListPlugin::AddPanel(const PluginRecord& record) {
  PanelPlugin* panel = new PanelPlugin(this, record);
  panels.Add(panel);
  AddControlRow(panel);
  // The list grows to hold every row; the kit window lays itself out around it.
  Resize(width, RowsHeight() + HeadHeight() + 2);
  return panel;
}

void KxListPlugin::LoadRows() {
  PluginList records;
  LoadPlugins(records);
  for (auto& item : records) AddPanel(item);
}

PanelPlugin* KxListPlugin::RowOf(const KxString& id) const {
  for (auto& item : panels)
    if (item->record.id == id) return item;
  return nullptr;
}

void KxListPlugin::OfferEntries(const UpdateList& plugins) {
  // A row the description no longer names keeps its plug-in but offers no download: what
  // it offered before is withdrawn.
  for (auto& item : panels) {
    bool named = false;
    for (auto* e = plugins.Head(); e && !named; e = e->next) named = e->value.flag == item->record.id;
    if (!named) item->Withdraw();
  }
  for (auto& entry : plugins) {
    PanelPlugin* row = RowOf(entry.flag);
    if (!row) {
      PluginRecord record;
      record.id = entry.flag;
      record.name = entry.name + kNotInstalled;
      row = AddPanel(record);
    }
    row->Offer(entry);
  }
}

void KxListPlugin::StopWorkers() {
  for (auto& item : panels) item->StopDownload();
}

KxListPlugin* MakePluginList(KxControl* kit, const KxRect& rect) {
  KxListPlugin* list = new KxListPlugin(kit, rect);
  list->LoadRows();
  return list;
}
