#pragma once
// The update check: the description of the latest versions on the vendor's site, the
// program's own entry shown in the kit window's update panel, the plug-in entries handed
// to the plug-in list, and the self-upgrade from a downloaded, signed package.

#include "VelixVersion.h"
#include "kx/base/KxList.h"
#include "kx/base/KxString.h"
#include "net/KxSignature.h"

constexpr char kProgramVersion[] = VELIX_VERSION_TEXT;

// One program or plug-in file of the description. flag is "0" for the program itself and
// the plug-in's P_ID otherwise; ver is compared only for equality; path is below the site;
// digest names the one package the vendor offers there, so that no other signed package
// (an older release at the same path) passes for it. The description is signed, so each
// of them is the vendor's word.
struct UpdateEntry {
  KxString flag;
  KxString name;
  KxString ver;
  KxString path;
  KxString digest;  // the package's PackageDigest (attribute "hash"); empty when missing or malformed
};
using UpdateList = KxList<UpdateEntry>;

// The largest package and the largest program it may unpack to: a server cannot fill the
// disk or the memory through either.
constexpr int kMaxPackageBytes = 32 * 1024 * 1024;
constexpr int kMaxUnpackedBytes = 64 * 1024 * 1024;

// What a description may hold: more plug-in entries are ignored.
constexpr int kMaxPluginEntries = 64;
constexpr int kMaxEntryNameBytes = 80;
constexpr int kMaxEntryVersionBytes = 20;

// The entries of a description: the program first, then its plug-ins in document order.
// An entry counts only with a version of 1 to 20 digits and dots and a name of at most 80
// bytes without control bytes; a plug-in's also with a flag by the plug-in id rule, not
// taken already, and only the first 64 such. Empty when the text does not parse, the root
// element has no child or the program's entry does not count.
void ParseUpdateEntries(const KxString& xml, UpdateList& entries);

// A description is taken only with a valid signature by key made for "info.xml" whose
// trusted comment carries a time not older than newestTaken (the time of the last one
// taken); signedAt receives that time.
bool IsDescriptionTaken(const KxString& xml, const KxString& signature, const MinisignPublicKey& key,
                        long long newestTaken, long long& signedAt);
// The description and its signature fetched from the site (answers other than 200 give
// nothing), checked against the newest time in KX_SYS and parsed; signedAt receives the
// description's time. Empty when anything fails: as if there were no answer.
void FetchUpdateEntries(UpdateList& entries, long long& signedAt);

// The site's address for a path below it ("soft/x.vlx" or "/soft/info.xml").
KxString SiteAddress(const KxString& path);
// The file name a download is stored under: the path's last component, when it is a plain
// name; the empty string otherwise (nothing is downloaded then).
KxString DownloadFileName(const KxString& path);

enum class UnpackResult { ok, corrupt, tooLarge };
// One zlib stream inflated into out, refused once the output would pass limit bytes.
UnpackResult InflateLimited(const KxString& packed, int limit, KxString& out);

// The check of the kit window's button and timer: fetch, record the date, show the
// program's entry, hand the plug-in entries on, lay the kit window out, and start the
// download when the published version differs from this one. A description whose
// program entry lacks its version or path is ignored; so are plug-in entries without
// flag or path.
void CheckForUpdates();

// The verified package bytes become the file at path (an old one there is removed first).
// False, with the reason, when no file was made.
bool UnpackPackage(const KxString& packed, const KxString& path, UnpackResult& result);

// Asks the downloads of the update panel and of the plug-in list's rows to stop.
void StopUpdateDownloads();
