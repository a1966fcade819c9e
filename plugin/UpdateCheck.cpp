#include "plugin/UpdateCheck.h"

#include <zlib.h>

#include <string>

#include "kx/base/KxFile.h"
#include "kx/base/KxStream.h"
#include "launcher/FrmMain.h"
#include "launcher/VendorSite.h"
#include "net/KxHttpFile.h"
#include "net/KxXml.h"
#include "plugin/KxPanelMain.h"
#include "store/SysValues.h"

namespace {

const char kDescriptionPath[] = "/soft/info.xml";

void (*pluginEntryTarget)(const UpdateEntry& entry) = nullptr;

UpdateEntry EntryOf(const KxXmlElement& element, const KxString& flag) {
  UpdateEntry entry;
  entry.flag = flag;
  entry.name = XmlAttribute(element, "name");
  entry.ver = XmlAttribute(element, "ver");
  entry.path = XmlAttribute(element, "path");
  return entry;
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
  entries.Add(EntryOf(*program, "0"));
  for (auto* n = program->children.Head(); n; n = n->next)
    entries.Add(EntryOf(n->value, XmlAttribute(n->value, "flag")));
}

void FetchUpdateEntries(UpdateList& entries) {
  ParseUpdateEntries(FetchToString(SiteAddress(kDescriptionPath)), entries);
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
  return name;
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
  FetchUpdateEntries(entries);
  // Any page that parses has entries: one whose program entry names no version or no
  // package (a portal's or a mirror's page answered with 200) describes nothing.
  if (entries.Count() == 0 || entries.Head()->value.ver.IsEmpty() || entries.Head()->value.path.IsEmpty()) return;
  SetUpdateCheckDate();
  const UpdateEntry& program = entries.Head()->value;
  KxPanelMain* panel = TheUpdatePanel();
  if (panel) panel->ShowEntry(program);
  for (auto* n = entries.Head()->next; n; n = n->next)
    if (pluginEntryTarget && !n->value.flag.IsEmpty() && !n->value.path.IsEmpty()) pluginEntryTarget(n->value);
  if (TheKitWindow) TheKitWindow->LayoutKit();
  if (panel && program.ver != kProgramVersion) panel->StartDownload();
}

bool UnpackPackage(const KxString& downloaded, const KxString& programPath, UnpackResult& result) {
  RemoveFile(programPath);
  KxIoFile in;
  KxString packed;
  bool read = in.OpenForRead(downloaded) && ReadAll(in, packed);
  in.Close();
  RemoveFile(downloaded);
  if (!read) {
    result = UnpackResult::corrupt;
    return false;
  }
  KxString program;
  result = InflateLimited(packed, kMaxUnpackedBytes, program);
  if (result != UnpackResult::ok) return false;
  KxIoFile out;
  bool written = out.OpenForWrite(programPath) && out.Write(program.CStr(), program.Length()) == program.Length();
  if (!out.Close()) written = false;
  if (!written) RemoveFile(programPath);
  return written && FileExists(programPath);
}

void SetPluginEntryTarget(void (*target)(const UpdateEntry& entry)) { pluginEntryTarget = target; }
