#pragma once
// The update panel of the kit window: the running version, the latest version the site
// offers, the download with its size and progress, and the download button. The download
// runs on the panel's worker and reports through messages posted to the panel.

#include <memory>

#include "kx/KxPanel.h"
#include "kx/KxProgressBar.h"
#include "update/PackageDownload.h"
#include "update/UpdateEntry.h"

class KxButton;
class KxLabel;

class KxPanelMain : public KxPanel {
public:
  KxPanelMain(KxControl* parent, const KxRect& rect);
  ~KxPanelMain() override;

  // Offers the entry's version when it differs from this one, or says there is none newer.
  void ShowEntry(const UpdateEntry& entry);
  // Starts the worker on the offered entry; nothing while a download runs.
  void StartDownload();
  // Asks the worker to stop; it ends quietly at its next chunk.
  void StopDownload();
  // Expires when the panel is deleted (with the kit window), for whoever keeps the panel
  // beyond the window's say, as the program shell does.
  std::weak_ptr<KxPanelMain> Link() const { return self; }

  KxLabel* versionLabel = nullptr;  // children of the panel
  KxProgressBar* progress = nullptr;
  UpdateEntry entry;
  KxLabel* sizeLabel = nullptr;
  KxButton* downloadButton = nullptr;
  KxLabel* titleLabel = nullptr;
  KxLabel* hintLabel = nullptr;

private:
  int OnDownloadClick(KxEvtParam& param);
  // The done download: false once the new copy has started and this run ends.
  bool Upgrade();
  // "<name>tmp.exe" beside the program, for the package at the entry's path.
  static KxString UpgradeFile(const UpdateEntry& of);

  // Owns nothing (its deleter does nothing): it is there for Link, and is reset first
  // when the panel goes.
  std::shared_ptr<KxPanelMain> self;
  // The worker and the upgrade file it claims, from the start of the download to its use.
  PackageDownload download;
};

// For the kit window: makes the panel in it.
KxPanelMain* MakeUpdatePanel(KxControl* kit, const KxRect& rect);
