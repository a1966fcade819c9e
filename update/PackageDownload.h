#pragma once
// The worker side of a signed download (update/SignedDownload.h): the body that reads the
// package from the site and posts its progress and end to the job's window.

#include "app/KxThread.h"
#include "update/SignedDownload.h"

// The worker's body. Packages of 10240 bytes or less and beyond the package limit are
// never downloaded.
void RunSignedDownload(SignedDownload& job, const KxThread& worker);
