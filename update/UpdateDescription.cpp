#include "update/UpdateDescription.h"

#include "net/KxHttpFile.h"
#include "net/KxXml.h"
#include "net/UpdateKey.h"
#include "store/SysValues.h"
#include "update/PluginId.h"
#include "update/VendorSite.h"

namespace {

const char kDescriptionPath[] = "/soft/info.xml";
const char kDescriptionName[] = "info.xml";

UpdateEntry EntryOf(const KxXmlElement& element, const KxString& flag) {
  UpdateEntry entry;
  entry.flag = flag;
  entry.name = XmlAttribute(element, "name");
  entry.ver = XmlAttribute(element, "ver");
  entry.path = XmlAttribute(element, "path");
  // 64 lower-case hex digits, as b2sum prints them.
  KxString digest = XmlAttribute(element, "hash");
  bool hex = digest.Length() == 64;
  for (int i = 0; i < digest.Length() && hex; ++i) {
    char c = digest.At(i);
    hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
  }
  if (hex) entry.digest = digest;
  return entry;
}

bool IsVersionText(const KxString& ver) {
  if (ver.IsEmpty() || ver.Length() > kMaxEntryVersionBytes) return false;
  for (int i = 0; i < ver.Length(); ++i)
    if (!((ver.At(i) >= '0' && ver.At(i) <= '9') || ver.At(i) == '.')) return false;
  return true;
}

bool Counts(const UpdateEntry& entry) {
  return IsVersionText(entry.ver) && entry.name.Length() <= kMaxEntryNameBytes && !HasControlByte(entry.name);
}

}  // namespace

void ParseUpdateEntries(const KxString& xml, UpdateList& entries) {
  entries.Clear();
  KxXmlDocument document;
  if (!ParseXml(xml, document)) return;
  const KxXmlElement* root = document.elements.Count() > 0 ? &document.elements.Head()->value : nullptr;
  const KxXmlElement* program = root && root->children.Count() > 0 ? &root->children.Head()->value : nullptr;
  if (!program) return;
  // The program's flag is "0" whatever the file says.
  UpdateEntry own = EntryOf(*program, "0");
  if (!Counts(own)) return;
  entries.Add(own);
  int plugins = 0;
  for (auto* n = program->children.Head(); n && plugins < kMaxPluginEntries; n = n->next) {
    UpdateEntry entry = EntryOf(n->value, XmlAttribute(n->value, "flag"));
    if (!Counts(entry) || !IsPlainPluginId(entry.flag) || entry.flag == "0") continue;
    bool taken = false;
    for (auto* e = entries.Head()->next; e && !taken; e = e->next) taken = e->value.flag == entry.flag;
    if (taken) continue;
    entries.Add(entry);
    ++plugins;
  }
}

bool IsDescriptionTaken(const KxString& xml, const KxString& signature, const MinisignPublicKey& key,
                        long long newestTaken, long long& signedAt) {
  KxString comment;
  long long at = 0;
  if (VerifySignedFile(xml, signature, key, kDescriptionName, &comment) != SignatureCheck::kOk ||
      !SignatureTimestamp(comment, at) || at < newestTaken) {
    return false;
  }
  signedAt = at;
  return true;
}

void FetchUpdateEntries(UpdateList& entries, long long& signedAt) {
  entries.Clear();
  KxString xml = FetchToString(SiteAddress(kDescriptionPath));
  if (xml.IsEmpty()) return;
  KxString signature = FetchToString(SiteAddress(KxString(kDescriptionPath) + kSignatureSuffix));
  // A floor that cannot be read takes nothing: it might let an older description in.
  long long newestTaken = 0;
  if (!GetDescriptionTime(newestTaken)) return;
  if (!IsDescriptionTaken(xml, signature, UpdateKey(), newestTaken, signedAt)) return;
  ParseUpdateEntries(xml, entries);
}
