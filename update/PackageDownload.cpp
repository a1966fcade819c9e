#include "update/PackageDownload.h"

#include "net/KxHttpFile.h"
#include "update/UpdatePackage.h"
#include "update/VendorSite.h"

namespace {

const int kChunkBytes = 1024;
const int kSmallestPackage = 10240;

}  // namespace

void RunSignedDownload(SignedDownload& job, const KxThread& worker) {
  auto end = [&job](DownloadEnd how) {
    if (how != DownloadEnd::done) job.package = KxString();
    // The end must arrive: its owner holds the files until then. A queue full of another
    // window's messages gets a few seconds to drain.
    for (int tries = 0; !PostMessageA(job.notify, job.endMessage, static_cast<WPARAM>(how), 0) && tries < 100 &&
                        IsWindow(job.notify);
         ++tries)
      Sleep(50);
  };
  job.package = KxString();
  if (job.name.IsEmpty()) return end(DownloadEnd::incomplete);
  int total = 0;
  int expected = 0;
  {
    KxHttpFile http;
    if (!http.Open(job.url, 80) || worker.IsStopped() || http.StatusCode() != 200)
      return end(worker.IsStopped() ? DownloadEnd::stopped : DownloadEnd::incomplete);
    long long length = http.ContentLength();
    if (length <= kSmallestPackage || length > kMaxPackageBytes) return end(DownloadEnd::incomplete);
    expected = static_cast<int>(length);
    PostMessageA(job.notify, job.sizeMessage, static_cast<WPARAM>(expected), 0);
    if (!job.package.Resize(expected)) return end(DownloadEnd::incomplete);
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
      PostMessageA(job.notify, job.sizeMessage, static_cast<WPARAM>(total), 0);
      for (; percent < reached; ++percent) PostMessageA(job.notify, job.stepMessage, 0, 0);
    }
  }
  if (worker.IsStopped()) return end(DownloadEnd::stopped);
  if (total < expected) return end(DownloadEnd::incomplete);

  end(CheckSignedPackage(job, FetchToString(job.url + kSignatureSuffix)));
}
