#include "update/UpdatePackage.h"

#include <zlib.h>

#include <string>

#include "kx/base/KxFile.h"
#include "kx/base/KxStream.h"

namespace {

bool IsPlainNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.';
}

}  // namespace

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
  if (inflateInit(&stream) != Z_OK) return UnpackResult::kCorrupt;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.CStr()));
  stream.avail_in = static_cast<uInt>(packed.Length());
  // Grown by doubling, so a large program costs a few copies, not one per chunk.
  std::string program;
  char chunk[64 * 1024];
  UnpackResult result = UnpackResult::kCorrupt;
  for (;;) {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    int status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    size_t produced = sizeof chunk - stream.avail_out;
    if (program.size() + produced > static_cast<size_t>(limit)) {
      result = UnpackResult::kTooLarge;
      break;
    }
    program.append(chunk, produced);
    if (status == Z_STREAM_END) {
      result = UnpackResult::kOk;
      break;
    }
    // Input used up before the stream's end: the package was cut short.
    if (stream.avail_in == 0 && produced == 0) break;
  }
  inflateEnd(&stream);
  if (result == UnpackResult::kOk) out = KxString(program.data(), static_cast<int>(program.size()));
  return result;
}

bool UnpackPackage(const KxString& packed, const KxString& programPath, UnpackResult& result) {
  RemoveFile(programPath);
  KxString program;
  result = InflateLimited(packed, kMaxUnpackedBytes, program);
  if (result != UnpackResult::kOk) return false;
  KxIoFile out;
  bool written = out.OpenForWrite(programPath) && out.Write(program.CStr(), program.Length()) == program.Length();
  if (!out.Close()) written = false;
  if (!written) RemoveFile(programPath);
  return written && FileExists(programPath);
}
