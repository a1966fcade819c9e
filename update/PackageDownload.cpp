#include "update/PackageDownload.h"

#include <utility>

#include "kx/KxButton.h"
#include "kx/KxLabel.h"
#include "kx/KxProgressBar.h"
#include "net/KxHttpFile.h"
#include "update/UpdatePackage.h"
#include "update/VendorSite.h"

namespace {

const int kChunkBytes = 1024;
const int kSmallestPackage = 10240;

}  // namespace

void PackageDownload::Bind(KxControl& ownerControl, Messages ownerMessages, KxProgressBar* progressBar,
                           KxLabel* label, KxButton* downloadButton, DoneHandler onDone) {
  owner = &ownerControl;
  messages = ownerMessages;
  progress = progressBar;
  sizeLabel = label;
  button = downloadButton;
  done = std::move(onDone);
  BindMsg(ownerControl, messages.size, this, &PackageDownload::OnSize);
  BindMsg(ownerControl, messages.step, this, &PackageDownload::OnStep);
  BindMsg(ownerControl, messages.end, this, &PackageDownload::OnEnd);
  worker.Bind(this, &PackageDownload::Body);
}

void PackageDownload::Start(const UpdateEntry& entry, std::initializer_list<KxString> files, bool filesFree) {
  if (IsBusy()) return;
  button->Enable(false);
  progress->SetRange(1, 100);
  progress->SetPosition(progress->minimum);
  downloading = entry;
  if (!filesFree || !claim.Claim(files)) {
    sizeLabel->SetText(kDownloadFileBusyText);
    button->Enable(true);
    return;
  }
  PrepareSignedDownload(job, downloading.path, downloading.digest, owner->hwnd, messages.size, messages.step,
                        messages.end);
  if (!worker.Start(THREAD_PRIORITY_NORMAL)) {
    claim.Release();
    sizeLabel->SetText("下载未完成");
    button->Enable(true);
  }
}

KxString PackageDownload::TakePackage() { return std::move(job.package); }

int PackageDownload::Body(KxEvtParam&) {
  RunSignedDownload(job, worker);
  return 0;
}

int PackageDownload::OnSize(KxEvtParam& param) {
  sizeLabel->SetText(DownloadSizeText(static_cast<long long>(param.wParam)));
  return 0;
}

int PackageDownload::OnStep(KxEvtParam&) {
  progress->StepIt();
  return 0;
}

int PackageDownload::OnEnd(KxEvtParam& param) {
  const DownloadEnd how = static_cast<DownloadEnd>(param.wParam);
  bool offerAgain = true;
  switch (how) {
    case DownloadEnd::kStopped:
      offerAgain = false;
      break;
    case DownloadEnd::kDone:
      offerAgain = done();
      break;
    case DownloadEnd::kRefused:
    case DownloadEnd::kIncomplete:
      sizeLabel->SetText(DownloadFailureText(how, job));
      break;
  }
  claim.Release();
  if (offerAgain) button->Enable(true);
  return 0;
}

void RunSignedDownload(SignedDownload& job, const KxThread& worker) {
  auto end = [&job](DownloadEnd how) {
    if (how != DownloadEnd::kDone) job.package = KxString();
    // The end must arrive: its owner holds the files until then. A queue full of another
    // window's messages gets a few seconds to drain.
    for (int tries = 0; !PostMessageW(job.notify, job.endMessage, static_cast<WPARAM>(how), 0) && tries < 100 &&
                        IsWindow(job.notify);
         ++tries)
      Sleep(50);
  };
  job.package = KxString();
  if (job.name.IsEmpty()) return end(DownloadEnd::kIncomplete);
  int total = 0;
  int expected = 0;
  {
    KxHttpFile http;
    if (!http.Open(job.url, 80) || worker.IsStopped() || http.StatusCode() != 200)
      return end(worker.IsStopped() ? DownloadEnd::kStopped : DownloadEnd::kIncomplete);
    long long length = http.ContentLength();
    if (length <= kSmallestPackage || length > kMaxPackageBytes) return end(DownloadEnd::kIncomplete);
    expected = static_cast<int>(length);
    PostMessageW(job.notify, job.sizeMessage, static_cast<WPARAM>(expected), 0);
    if (!job.package.Resize(expected)) return end(DownloadEnd::kIncomplete);
    KxString chunk;
    // Progress goes out once per percent, one step each: a hundred steps fill the bar, and
    // a large package never floods the window's queue (it holds 10,000 messages).
    int percent = 0;
    while (total < expected && !worker.IsStopped() && http.Receive(chunk, kChunkBytes)) {
      int take = chunk.Length() < expected - total ? chunk.Length() : expected - total;
      CopyMemory(job.package.Buffer() + total, chunk.CStr(), take);
      total += take;
      int reached = static_cast<int>(static_cast<long long>(total) * 100 / expected);
      if (reached == percent) continue;
      PostMessageW(job.notify, job.sizeMessage, static_cast<WPARAM>(total), 0);
      for (; percent < reached; ++percent) PostMessageW(job.notify, job.stepMessage, 0, 0);
    }
  }
  if (worker.IsStopped()) return end(DownloadEnd::kStopped);
  if (total < expected) return end(DownloadEnd::kIncomplete);

  end(CheckSignedPackage(job, FetchToString(job.url + kSignatureSuffix)));
}
