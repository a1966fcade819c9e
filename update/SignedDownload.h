#pragma once
// The download of a package from the site, without its worker (update/PackageDownload.h
// runs it): the job, how it ends, the check of the downloaded bytes and the claim on the
// files it writes. The body is read into memory and kept only when its signature (the same
// path + ".minisig") is the update key's, made for a file of that name. The bytes checked
// are the bytes used: the caller unpacks the job's buffer, never a file another download
// could rewrite. The update panel and the plug-in rows share it.

#include <windows.h>

#include <initializer_list>

#include "kx/base/KxList.h"
#include "kx/base/KxString.h"

// How a download ended; as the end message's wParam, 1 is success and 0 failure.
enum class DownloadEnd {
  kIncomplete = 0,  // no connection, not 200, too small or too large, cut short, no memory
  kDone = 1,        // complete and signed by the update key: package holds it
  kRefused = 2,     // the signature is missing, malformed, by another key or does not match,
                    // or the signed bytes are not the package the description names
  kStopped = 3,     // the run is ending
};

struct SignedDownload {
  KxString url;        // the package on the site
  KxString name;       // its file name there, which its signature must name
  KxString digest;     // the PackageDigest the description gives; no other bytes are kept
  HWND notify = NULL;  // receives the messages below
  UINT sizeMessage = 0;  // wParam: bytes expected, then bytes so far
  UINT stepMessage = 0;  // one percent more
  UINT endMessage = 0;   // wParam: a DownloadEnd
  KxString refusal;    // the reason of a refusal, set before the end message is posted
  KxString package;    // the signed bytes once the end is done; read after the end message
};

// Sets the job up for the package at path below the site whose digest the description
// gives. Without a plain file name as the path's last component the download ends
// incomplete.
void PrepareSignedDownload(SignedDownload& job, const KxString& path, const KxString& digest, HWND notify,
                           UINT sizeMessage, UINT stepMessage, UINT endMessage);
// The size label's text for a byte count ("123k"), and for an end that is neither done
// nor stopped (why it was refused, or "下载未完成").
KxString DownloadSizeText(long long bytes);
KxString DownloadFailureText(DownloadEnd how, const SignedDownload& job);
// The downloaded job.package against signature (the file at job.url + kSignatureSuffix):
// done when the signature is the update key's, made for job.name, and the bytes are the
// package of job.digest; refused otherwise, with job.refusal saying why.
DownloadEnd CheckSignedPackage(SignedDownload& job, const KxString& signature);

// The files a download writes and uses beside the program, claimed by its owner from the
// start of the download until it has used them (UI thread only). A claim fails, and the
// download is then refused, while another owner holds one of the names (case does not
// count): two entries of one description may name the same package.
class DownloadFileClaim {
public:
  DownloadFileClaim() = default;
  DownloadFileClaim(const DownloadFileClaim&) = delete;
  DownloadFileClaim& operator=(const DownloadFileClaim&) = delete;
  ~DownloadFileClaim() { Release(); }

  bool Claim(std::initializer_list<KxString> paths);
  void Release();
  bool IsHeld() const { return held.Count() > 0; }

private:
  KxStringList held;
};

// The label's text for a download refused because another one uses its files.
extern const char kDownloadFileBusyText[];
// The label's text for signed bytes that are not the package the description names.
extern const char kNotTheDescribedPackageText[];
