#pragma once
// The plug-in list of the kit window: one row per plug-in with its name and version, the
// command-menu and hotkey boxes, the hotkey, and what the site offers for it with the
// download and delete buttons. A row's download runs on the row's worker; the package is
// installed on the UI thread only when its signature holds and the plug-in identifies
// itself.

#include <memory>

#include "app/KxThread.h"
#include "hotkey/HotKeyCode.h"
#include "kx/KxGridPresets.h"
#include "kx/KxPanel.h"
#include "store/PluginRecord.h"
#include "update/SignedDownload.h"
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
  void StopDownload() { worker.Stop(); }
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
  int Download(KxEvtParam& param);  // the worker's body
  int OnSize(KxEvtParam& param);
  int OnStep(KxEvtParam& param);
  int OnEnd(KxEvtParam& param);
  void Install();
  void WriteStatus();
  void ShowName();
  // The package's files beside the program: "<name>.vlx" and "tmp<name>.vlx".
  KxString InstalledFile() const;
  KxString UnpackedFile() const;

  // Set on the UI thread before the worker starts: the entry as it was offered then (a
  // later check may offer another), and the job, whose refusal and package the worker
  // writes and the end message hands back.
  UpdateEntry downloading;
  SignedDownload job;
  DownloadFileClaim claim;  // the package's files, from the start of the download to the install

public:
  // Declared last, so destroyed first: its destructor waits for the body, which uses job.
  KxThread worker;
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

  // Owns nothing (its deleter does nothing): it is there for Link.
  std::shared_ptr<KxListPlugin> self;
};

// For the kit window: makes the list in it, filled from KX_PLUGIN. The program shell
// hands it the plug-in entries of every update check.
KxListPlugin* MakePluginList(KxControl* kit, const KxRect& rect);
