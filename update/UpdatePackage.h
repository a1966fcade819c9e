#pragma once
// A package from the site as it is stored and unpacked: the file name a download gets,
// and the bounded inflate of the zlib stream the vendor packs programs and plug-ins in.

#include "kx/base/KxString.h"

// The largest package and the largest program it may unpack to: a server cannot fill the
// disk or the memory through either.
constexpr int kMaxPackageBytes = 32 * 1024 * 1024;
constexpr int kMaxUnpackedBytes = 64 * 1024 * 1024;

// The file name a download is stored under: the path's last component, when it is a plain
// name; the empty string otherwise (nothing is downloaded then).
KxString DownloadFileName(const KxString& path);

enum class UnpackResult { kOk, kCorrupt, kTooLarge };
// One zlib stream inflated into out, refused once the output would pass limit bytes.
UnpackResult InflateLimited(const KxString& packed, int limit, KxString& out);

// The verified package bytes become the file at path (an old one there is removed first).
// False, with the reason, when no file was made.
bool UnpackPackage(const KxString& packed, const KxString& path, UnpackResult& result);
