#include "update/SignedDownload.h"

#include "kx/base/KxWide.h"
#include "net/KxSignature.h"
#include "net/UpdateKey.h"
#include "update/UpdatePackage.h"
#include "update/VendorSite.h"

namespace {

// Every name claimed by a download in progress (UI thread only).
KxStringList& ClaimedNames() {
  static KxStringList names;
  return names;
}

bool IsClaimed(const KxString& path) {
  for (auto& item : ClaimedNames())
    if (KxSamePath(item, path)) return true;
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
  return how == DownloadEnd::kRefused ? job.refusal : KxString("下载未完成");
}

DownloadEnd CheckSignedPackage(SignedDownload& job, const KxString& signature) {
  SignatureCheck verdict = VerifySignedFile(job.package, signature, UpdateKey(), job.name);
  if (verdict != SignatureCheck::kOk) {
    job.refusal = SignatureCheckText(verdict);
    return DownloadEnd::kRefused;
  }
  // Signed, but perhaps an older release served at the same path.
  if (job.digest.IsEmpty() || PackageDigest(job.package) != job.digest) {
    job.refusal = kNotTheDescribedPackageText;
    return DownloadEnd::kRefused;
  }
  return DownloadEnd::kDone;
}
