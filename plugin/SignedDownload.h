#pragma once
// The download of a package from the site on a worker thread: the body goes to a file of
// its own (".part" beside the program), and only a package whose signature (the same path
// + ".minisig") the update key made for a file of that name is kept. Progress and the end are posted to a window,
// so the worker never touches one. The update panel and the plug-in rows share it.

#include <windows.h>

#include "app/KxThread.h"
#include "kx/base/KxString.h"

// How a download ended; as the end message's wParam, 1 is success and 0 failure.
enum class DownloadEnd {
  incomplete = 0,  // no connection, not 200, too small or too large, cut short, not writable
  done = 1,        // complete and signed by the update key
  refused = 2,     // the signature is missing, malformed, by another key or does not match
  stopped = 3,     // the run is ending
};

struct SignedDownload {
  KxString url;       // the package on the site
  KxString name;      // its file name there, which its signature must name
  KxString target;    // where it is stored; removed again unless the end is done
  HWND notify = NULL;  // receives the messages below
  UINT sizeMessage = 0;  // wParam: bytes expected, then bytes so far
  UINT stepMessage = 0;  // one chunk more
  UINT endMessage = 0;   // wParam: a DownloadEnd
  KxString refusal;    // the reason of a refusal, set before the end message is posted
};

// Sets the job up for the package at path below the site: stored as "<name>.part" beside
// the program, or no target at all (the download then ends incomplete) when the path's
// last component is no plain file name.
void PrepareSignedDownload(SignedDownload& job, const KxString& path, HWND notify, UINT sizeMessage,
                           UINT stepMessage, UINT endMessage);
// The size label's text for a byte count ("123k"), and for an end that is neither done
// nor stopped (why it was refused, or "下载未完成").
KxString DownloadSizeText(long long bytes);
KxString DownloadFailureText(DownloadEnd how, const SignedDownload& job);
// The worker's body. Packages of 10240 bytes or less and beyond the package limit are
// never downloaded.
void RunSignedDownload(SignedDownload& job, const KxThread& worker);
