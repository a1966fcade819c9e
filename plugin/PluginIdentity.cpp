#include "plugin/PluginIdentity.h"

const char kIdentifySwitch[] = "-identify";

namespace {

const char kIdentityHeader[] = "VELIX-PLUGIN-IDENTITY 1\n";
// No field of a usable identity comes near this; it bounds what a parse accepts.
const int kMaxFieldBytes = 4096;

// One field of the answer at pos: decimal count, "\n", the bytes, "\n".
bool ParseField(const KxString& bytes, int& pos, KxString& field) {
  int count = 0;
  int digits = 0;
  while (pos < bytes.Length() && bytes.At(pos) >= '0' && bytes.At(pos) <= '9') {
    count = count * 10 + (bytes.At(pos) - '0');
    ++pos;
    if (++digits > 4 || count > kMaxFieldBytes) return false;
  }
  if (digits == 0 || pos >= bytes.Length() || bytes.At(pos) != '\n') return false;
  ++pos;
  if (count + 1 > bytes.Length() - pos || bytes.At(pos + count) != '\n') return false;
  field = bytes.Mid(count, pos);
  pos += count + 1;
  return true;
}

void AppendField(KxString& out, const KxString& field) {
  out.Append(KxString::FromInt(field.Length()));
  out.Append("\n");
  out.Append(field);
  out.Append("\n");
}

// A path of the identify command line at pos: in double quotes (GBK trail bytes are never
// '"'), or up to the next blank.
bool ParsePathArgument(const KxString& line, int& pos, KxString& text) {
  while (pos < line.Length() && line.At(pos) == ' ') ++pos;
  if (pos >= line.Length()) return false;
  int start = pos;
  int end;
  if (line.At(pos) == '"') {
    start = pos + 1;
    end = line.Find(start, "\"");
    if (end < 0) return false;
    pos = end + 1;
  } else {
    end = line.Find(start, " ");
    if (end < 0) end = line.Length();
    pos = end;
  }
  text = line.Mid(end - start, start);
  return !text.IsEmpty();
}

}  // namespace

bool IsValidIdentity(const PluginIdentity& identity) {
  return IsPlainPluginId(identity.id) && identity.version.Length() <= kMaxPluginVersionBytes &&
         identity.name.Length() <= kMaxPluginNameBytes && !HasControlByte(identity.version) &&
         !HasControlByte(identity.name);
}

KxString FormatIdentity(const PluginIdentity& identity) {
  KxString out = kIdentityHeader;
  AppendField(out, identity.version);
  AppendField(out, identity.id);
  AppendField(out, identity.name);
  return out;
}

bool ParseIdentity(const KxString& bytes, PluginIdentity& identity) {
  KxString header = kIdentityHeader;
  if (bytes.Mid(header.Length(), 0) != header) return false;
  int pos = header.Length();
  PluginIdentity parsed;
  if (!ParseField(bytes, pos, parsed.version) || !ParseField(bytes, pos, parsed.id) ||
      !ParseField(bytes, pos, parsed.name) || pos != bytes.Length()) {
    return false;
  }
  identity = parsed;
  return true;
}

KxString IdentifyArguments(const KxString& dllPath, const KxString& resultPath) {
  return KxString(kIdentifySwitch) + " \"" + dllPath + "\" \"" + resultPath + "\"";
}

bool ParseIdentifyCommand(const KxString& commandLine, KxString& dllPath, KxString& resultPath) {
  KxString prefix = KxString(kIdentifySwitch) + " ";
  if (commandLine.Mid(prefix.Length(), 0) != prefix) return false;
  int pos = prefix.Length();
  KxString dll;
  KxString result;
  if (!ParsePathArgument(commandLine, pos, dll) || !ParsePathArgument(commandLine, pos, result)) return false;
  while (pos < commandLine.Length() && commandLine.At(pos) == ' ') ++pos;
  if (pos != commandLine.Length()) return false;
  dllPath = dll;
  resultPath = result;
  return true;
}

IdentifyResult JudgeIdentifyRun(bool started, DWORD exitCode, const KxString& answer, PluginIdentity& identity) {
  if (!started || exitCode == kAnswerNotWritten) return IdentifyResult::kNotRun;
  PluginIdentity found;
  if (exitCode != kIdentifyAnswered || answer.Length() > kMaxAnswerBytes || !ParseIdentity(answer, found) ||
      !IsValidIdentity(found))
    return IdentifyResult::kRefused;
  identity = found;
  return IdentifyResult::kIdentified;
}
