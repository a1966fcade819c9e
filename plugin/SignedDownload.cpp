#include "plugin/SignedDownload.h"

#include "kx/base/KxFile.h"
#include "kx/base/KxStream.h"
#include "net/KxHttpFile.h"
#include "net/KxSignature.h"
#include "net/UpdateKey.h"
#include "plugin/UpdateCheck.h"

namespace {

const int kChunkBytes = 1024;
const int kSmallestPackage = 10240;
const char kSignatureSuffix[] = ".minisig";
const char kPartSuffix[] = ".part";

}  // namespace

void PrepareSignedDownload(SignedDownload& job, const KxString& path, HWND notify, UINT sizeMessage,
                           UINT stepMessage, UINT endMessage) {
  KxString name = DownloadFileName(path);
  job.url = SiteAddress(path);
  job.name = name;
  job.target = name.IsEmpty() ? KxString() : ProgramDirectory() + "\\" + name + kPartSuffix;
  job.notify = notify;
  job.sizeMessage = sizeMessage;
  job.stepMessage = stepMessage;
  job.endMessage = endMessage;
  job.refusal = KxString();
}

KxString DownloadSizeText(long long bytes) { return KxString::FromInt(bytes / 1024) + "k"; }

KxString DownloadFailureText(DownloadEnd how, const SignedDownload& job) {
  return how == DownloadEnd::refused ? job.refusal : KxString("下载未完成");
}

void RunSignedDownload(SignedDownload& job, const KxThread& worker) {
  auto end = [&job](DownloadEnd how) {
    if (how != DownloadEnd::done && !job.target.IsEmpty()) RemoveFile(job.target);
    PostMessageA(job.notify, job.endMessage, static_cast<WPARAM>(how), 0);
  };
  if (job.target.IsEmpty()) return end(DownloadEnd::incomplete);
  long long total = 0;
  long long expected = 0;
  {
    KxHttpFile http;
    if (!http.Open(job.url, 80) || worker.IsStopped() || http.StatusCode() != 200)
      return end(worker.IsStopped() ? DownloadEnd::stopped : DownloadEnd::incomplete);
    expected = http.ContentLength();
    if (expected <= kSmallestPackage || expected > kMaxPackageBytes) return end(DownloadEnd::incomplete);
    PostMessageA(job.notify, job.sizeMessage, static_cast<WPARAM>(expected), 0);
    KxIoFile file;
    if (!file.OpenForWrite(job.target)) return end(DownloadEnd::incomplete);
    KxString chunk;
    while (total < expected && !worker.IsStopped() && http.Receive(chunk, kChunkBytes)) {
      if (file.Write(chunk.CStr(), chunk.Length()) != chunk.Length()) break;
      total += chunk.Length();
      PostMessageA(job.notify, job.sizeMessage, static_cast<WPARAM>(total), 0);
      PostMessageA(job.notify, job.stepMessage, 0, 0);
    }
    if (!file.Close()) total = -1;
  }
  if (worker.IsStopped()) return end(DownloadEnd::stopped);
  if (total < expected) return end(DownloadEnd::incomplete);

  KxString signature = FetchToString(job.url + kSignatureSuffix);
  KxString package;
  KxIoFile file;
  if (!file.OpenForRead(job.target) || !ReadAll(file, package)) return end(DownloadEnd::incomplete);
  file.Close();
  SignatureCheck verdict = VerifySignedFile(package, signature, UpdateKey(), job.name);
  if (verdict != SignatureCheck::Ok) {
    job.refusal = SignatureCheckText(verdict);
    return end(DownloadEnd::refused);
  }
  end(DownloadEnd::done);
}
