#include "plugin/SignedDownload.h"

#include "net/KxHttpFile.h"
#include "net/KxSignature.h"
#include "net/UpdateKey.h"
#include "plugin/UpdateCheck.h"

namespace {

const int kChunkBytes = 1024;
const int kSmallestPackage = 10240;
const char kSignatureSuffix[] = ".minisig";

// Every name claimed by a download in progress (UI thread only).
KxStringList& ClaimedNames() {
  static KxStringList names;
  return names;
}

bool IsClaimed(const KxString& path) {
  for (auto& item : ClaimedNames())
    if (lstrcmpiA(item.CStr(), path.CStr()) == 0) return true;
  return false;
}

}  // namespace

const char kDownloadFileBusyText[] = "文件正被使用";
const char kNotTheDescribedPackageText[] = "更新包与说明不符";

bool DownloadFileClaim::Claim(std::initializer_list<KxString> paths) {
  Release();
  for (const KxString& path : paths)
    if (IsClaimed(path)) return false;
  for (const KxString& path : paths) {
    if (!ClaimedNames().Add(path) || !held.Add(path)) {
      Release();
      return false;
    }
  }
  return true;
}

void DownloadFileClaim::Release() {
  for (auto& mineValue : held) {
    for (auto* n = ClaimedNames().Head(); n; n = n->next) {
      if (n->value == mineValue) {
        ClaimedNames().Remove(n);
        break;
      }
    }
  }
  held.Clear();
}

void PrepareSignedDownload(SignedDownload& job, const KxString& path, const KxString& digest, HWND notify,
                           UINT sizeMessage, UINT stepMessage, UINT endMessage) {
  job.url = SiteAddress(path);
  job.name = DownloadFileName(path);
  job.digest = digest;
  job.notify = notify;
  job.sizeMessage = sizeMessage;
  job.stepMessage = stepMessage;
  job.endMessage = endMessage;
  job.refusal = KxString();
  job.package = KxString();
}

KxString DownloadSizeText(long long bytes) { return KxString::FromInt(bytes / 1024) + "k"; }

KxString DownloadFailureText(DownloadEnd how, const SignedDownload& job) {
  return how == DownloadEnd::refused ? job.refusal : KxString("下载未完成");
}

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

  KxString signature = FetchToString(job.url + kSignatureSuffix);
  SignatureCheck verdict = VerifySignedFile(job.package, signature, UpdateKey(), job.name);
  if (verdict != SignatureCheck::Ok) {
    job.refusal = SignatureCheckText(verdict);
    return end(DownloadEnd::refused);
  }
  // Signed, but perhaps an older release served at the same path.
  if (job.digest.IsEmpty() || PackageDigest(job.package) != job.digest) {
    job.refusal = kNotTheDescribedPackageText;
    return end(DownloadEnd::refused);
  }
  end(DownloadEnd::done);
}
