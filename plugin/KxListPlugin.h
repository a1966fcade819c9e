#pragma once
// The plug-in list of the kit window: one row per plug-in with its name and version, the
// command-menu and hotkey boxes, the hotkey, and what the site offers for it with the
// download and delete buttons. A row's download runs on the row's worker; the package is
// installed on the UI thread only when its signature holds and the plug-in identifies
// itself.

#include <memory>

#include "hotkey/HotKeyCode.h"
#include "kx/KxGridPresets.h"
#include "kx/KxPanel.h"
#include "store/PluginRecord.h"
#include "update/PackageDownload.h"
#include "update/UpdateEntry.h"

class KxButton;
class KxCheckBox;
class KxLabel;
class KxLabellink;
class KxProgressBar;

class PanelPlugin : public KxPanel {
public:
  // A row of the list for the record; the list owns it.
  PanelPlugin(KxControl* list, const PluginRecord& record);
  ~PanelPlugin() override;

  // Keeps the entry, says whether it is newer and offers its download.
  void Offer(const UpdateEntry& entry);
  // Forgets the entry offered before and hides its download.
  void Withdraw();
  void StartDownload();
  void StopDownload() { download.Stop(); }
  // The question, then the plug-in unloaded, its file and row deleted; the row stays.
  void DeletePlugin();

  PluginRecord record;
  HotKeyCode hotKey;
  UpdateEntry entry;
  KxLabel* nameLabel = nullptr;  // children of the row
  KxCheckBox* menuBox = nullptr;
  KxCheckBox* hotKeyBox = nullptr;
  KxLabellink* hotKeyLink = nullptr;
  KxLabel* stateLabel = nullptr;
  KxProgressBar* progress = nullptr;
  KxLabel* sizeLabel = nullptr;
  KxButton* downloadButton = nullptr;
  KxButton* deleteButton = nullptr;

private:
  int OnMenuBox(KxEvtParam& param);
  int OnHotKeyBox(KxEvtParam& param);
  int OnHotKeyLink(KxEvtParam& param);
  int OnDownloadClick(KxEvtParam& param);
  int OnDeleteClick(KxEvtParam& param);
  // The done download; the download button is offered again afterwards.
  void Install();
  void WriteStatus();
  void ShowName();
  // The files of the package at the entry's path beside the program: "<name>.vlx" and
  // "tmp<name>.vlx".
  static KxString InstalledFile(const UpdateEntry& of);
  static KxString UnpackedFile(const UpdateEntry& of);

  // The worker and the package's files it claims, from the start of the download to the
  // install.
  PackageDownload download;
};

class KxListPlugin : public KxListCard {
public:
  KxListPlugin(KxControl* parent, const KxRect& rect);
  ~KxListPlugin() override;

  // A row for every KX_PLUGIN row.
  void LoadRows();
  // The row of the entry's plug-in, made as "(未安装)" when there is none, offers it.
  // The plug-in entries of a taken description: each offered on its row (made when
  // missing), and rows it does not name withdrawn.
  void OfferEntries(const UpdateList& plugins);
  void StopWorkers();
  PanelPlugin* RowOf(const KxString& id) const;
  // Expires when the list is deleted (with the kit window), for whoever keeps the list
  // beyond the window's say, as the program shell does.
  std::weak_ptr<KxListPlugin> Link() const { return self; }

  KxList<PanelPlugin*> panels;  // children of the list, in row order

private:
  PanelPlugin* AddPanel(const PluginRecord& record);

  // Owns nothing (its deleter does nothing): it is there for Link, and is reset first
  // when the list goes.
  std::shared_ptr<KxListPlugin> self;
};

// For the kit window: makes the list in it, filled from KX_PLUGIN. The program shell
// hands it the plug-in entries of every update check.
KxListPlugin* MakePluginList(KxControl* kit, const KxRect& rect);
