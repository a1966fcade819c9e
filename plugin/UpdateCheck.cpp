#include "plugin/UpdateCheck.h"

#include <zlib.h>

#include <string>

#include "app/ProgramShell.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxStream.h"
#include "launcher/VendorSite.h"
#include "net/KxHttpFile.h"
#include "net/KxXml.h"
#include "net/UpdateKey.h"
#include "plugin/KxListPlugin.h"
#include "plugin/KxPanelMain.h"
#include "plugin/PluginHost.h"
#include "store/SysValues.h"

namespace {

const char kDescriptionPath[] = "/soft/info.xml";
const char kDescriptionName[] = "info.xml";
const char kSignatureSuffix[] = ".minisig";

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

bool IsPlainNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.';
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
  if (VerifySignedFile(xml, signature, key, kDescriptionName, &comment) != SignatureCheck::Ok ||
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

KxString SiteAddress(const KxString& path) {
  KxString site = VendorSiteUrl();
  if (path.IsEmpty() || path.At(0) != '/') site.Append("/");
  site.Append(path);
  return site;
}

KxString DownloadFileName(const KxString& path) {
  KxString name = FileNameOf(path, true);
  // Only names of letters, digits, "-", "_" and "." that start with a letter or digit:
  // a name from the description never reaches another folder or a device.
  if (name.IsEmpty() || name.Length() > 64 || !IsPlainNameChar(name.At(0)) || name.At(0) == '.' ||
      name.At(0) == '-')
    return KxString();
  for (int i = 0; i < name.Length(); ++i)
    if (!IsPlainNameChar(name.At(i))) return KxString();
  return IsDeviceName(name) ? KxString() : name;
}

UnpackResult InflateLimited(const KxString& packed, int limit, KxString& out) {
  out = KxString();
  z_stream stream = {};
  if (inflateInit(&stream) != Z_OK) return UnpackResult::corrupt;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.CStr()));
  stream.avail_in = static_cast<uInt>(packed.Length());
  // Grown by doubling, so a large program costs a few copies, not one per chunk.
  std::string program;
  char chunk[64 * 1024];
  UnpackResult result = UnpackResult::corrupt;
  for (;;) {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    int status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    size_t produced = sizeof chunk - stream.avail_out;
    if (program.size() + produced > static_cast<size_t>(limit)) {
      result = UnpackResult::tooLarge;
      break;
    }
    program.append(chunk, produced);
    if (status == Z_STREAM_END) {
      result = UnpackResult::ok;
      break;
    }
    // Input used up before the stream's end: the package was cut short.
    if (stream.avail_in == 0 && produced == 0) break;
  }
  inflateEnd(&stream);
  if (result == UnpackResult::ok) out = KxString(program.data(), static_cast<int>(program.size()));
  return result;
}

void CheckForUpdates() {
  UpdateList entries;
  long long signedAt = 0;
  FetchUpdateEntries(entries, signedAt);
  // A description whose program entry names no package describes nothing.
  if (entries.Count() == 0 || entries.Head()->value.path.IsEmpty()) return;
  // An older description is never taken again: nobody on the way can bring back what a
  // newer one withdrew, an old program version above all. A time that cannot be kept
  // would leave the floor behind: then the answer is not taken.
  if (!SetDescriptionTime(signedAt)) return;
  SetUpdateCheckDate();
  const UpdateEntry& program = entries.Head()->value;
  KxPanelMain* panel = TheUpdatePanel();
  if (panel) panel->ShowEntry(program);
  UpdateList plugins;
  for (auto* n = entries.Head()->next; n; n = n->next)
    if (!n->value.flag.IsEmpty() && !n->value.path.IsEmpty()) plugins.Add(n->value);
  if (KxListPlugin* list = ThePluginList()) list->OfferEntries(plugins);
  TheShell().LayoutKit();
  if (panel && program.ver != kProgramVersion) panel->StartDownload();
}

bool UnpackPackage(const KxString& packed, const KxString& programPath, UnpackResult& result) {
  RemoveFile(programPath);
  KxString program;
  result = InflateLimited(packed, kMaxUnpackedBytes, program);
  if (result != UnpackResult::ok) return false;
  KxIoFile out;
  bool written = out.OpenForWrite(programPath) && out.Write(program.CStr(), program.Length()) == program.Length();
  if (!out.Close()) written = false;
  if (!written) RemoveFile(programPath);
  return written && FileExists(programPath);
}

void StopUpdateDownloads() {
  if (KxPanelMain* panel = TheUpdatePanel()) panel->StopDownload();
  if (KxListPlugin* list = ThePluginList()) list->StopWorkers();
}
