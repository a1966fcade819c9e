#pragma once
// The download of an offered package for the control that shows it, as the update panel
// and each plug-in row do: the worker with its signed download (update/SignedDownload.h),
// the claim on the files the package becomes, and the owner's progress bar, size label and
// download button, which the worker's messages to the owner keep up to date.

#include <functional>
#include <initializer_list>

#include "app/KxThread.h"
#include "update/SignedDownload.h"
#include "update/UpdateEntry.h"

class KxButton;
class KxControl;
class KxLabel;
class KxProgressBar;

class PackageDownload {
public:
  // What the worker posts to the owner: the size label's bytes (wParam), one progress
  // step, and the end (wParam a DownloadEnd).
  struct Messages {
    UINT size;
    UINT step;
    UINT end;
  };
  // Runs on the UI thread for a package that is complete and signed, while its files are
  // still claimed; true when the download button is to be offered again.
  using DoneHandler = std::function<bool()>;

  PackageDownload() = default;
  PackageDownload(const PackageDownload&) = delete;
  PackageDownload& operator=(const PackageDownload&) = delete;

  // Binds the messages on owner, whose children the controls are; before any Start.
  void Bind(KxControl& owner, Messages messages, KxProgressBar* progress, KxLabel* sizeLabel, KxButton* button,
            DoneHandler done);
  // Downloads entry's package with files claimed: refused as busy when filesFree is false
  // or another download holds one of them. Nothing while a download runs or its end has
  // not been handled yet (IsBusy).
  void Start(const UpdateEntry& entry, std::initializer_list<KxString> files, bool filesFree = true);
  // The claim is held until the end message has been handled: a worker that has just
  // ended still owns the job until then.
  bool IsBusy() const { return worker.Handle() || claim.IsHeld(); }
  // Asks the worker to stop; it ends quietly at its next chunk.
  void Stop() { worker.Stop(); }

  // The entry as it was when the download started (a later check may offer another).
  const UpdateEntry& Downloading() const { return downloading; }
  // The signed bytes, handed over once: for the done handler.
  KxString TakePackage();

private:
  int Body(KxEvtParam& param);
  int OnSize(KxEvtParam& param);
  int OnStep(KxEvtParam& param);
  int OnEnd(KxEvtParam& param);

  KxControl* owner = nullptr;
  Messages messages = {0, 0, 0};
  KxProgressBar* progress = nullptr;  // the owner's children
  KxLabel* sizeLabel = nullptr;
  KxButton* button = nullptr;
  DoneHandler done;
  // Set on the UI thread before the worker starts; the worker reads them and writes only
  // the refusal and the package, which are read after its end message.
  UpdateEntry downloading;
  SignedDownload job;
  DownloadFileClaim claim;

public:
  // Declared last, so destroyed first: its destructor waits for the body, which uses job.
  KxThread worker;
};

// The worker's body. Packages of 10240 bytes or less and beyond the package limit are
// never downloaded.
void RunSignedDownload(SignedDownload& job, const KxThread& worker);
