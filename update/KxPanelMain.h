#pragma once
// The update panel of the kit window: the running version, the latest version the site
// offers, the download with its size and progress, and the download button. The download
// runs on the panel's worker and reports through messages posted to the panel.

#include <memory>

#include "app/KxThread.h"
#include "kx/KxPanel.h"
#include "kx/KxProgressBar.h"
#include "update/SignedDownload.h"
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
  int Download(KxEvtParam& param);  // the worker's body
  int OnSize(KxEvtParam& param);
  int OnStep(KxEvtParam& param);
  int OnEnd(KxEvtParam& param);
  void Upgrade();
  // "<name>tmp.exe" beside the program, for the package being downloaded.
  KxString UpgradeFile() const;

  // Set on the UI thread before the worker starts; the worker reads them and writes only
  // the refusal and the package, which are read after its end message.
  UpdateEntry downloading;
  SignedDownload job;
  DownloadFileClaim claim;  // the upgrade file, from the start of the download to its use
  // Owns nothing (its deleter does nothing): it is there for Link, and goes first.
  std::shared_ptr<KxPanelMain> self;

public:
  // Declared last, so destroyed first: its destructor waits for the body, which uses the
  // members above.
  KxThread worker;
};

// For the kit window: makes the panel in it.
KxPanelMain* MakeUpdatePanel(KxControl* kit, const KxRect& rect);
