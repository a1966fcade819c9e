#pragma once
// The update description: info.xml on the vendor's site with its signature, the latest
// versions of the program and its plug-ins. Fetched, checked and parsed here, without a
// window.

#include "net/KxSignature.h"
#include "update/UpdateEntry.h"

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
