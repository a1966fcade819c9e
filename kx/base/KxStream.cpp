#include "kx/base/KxStream.h"
#include "kx/base/KxWide.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <climits>

namespace {

// fread and fwrite take a size_t count; on 32-bit that is less than a 64-bit count.
size_t ClampCount(long long count) {
  if (static_cast<unsigned long long>(count) > SIZE_MAX) return SIZE_MAX;
  return static_cast<size_t>(count);
}

// The largest block a KxMemFile asks for: what size_t can address, and never so close
// to the 64-bit limit that the grow arithmetic could overflow.
const long long kMaxMemCapacity =
    SIZE_MAX < static_cast<unsigned long long>(LLONG_MAX / 2) ? static_cast<long long>(SIZE_MAX)
                                                              : LLONG_MAX / 2;

}  // namespace

// ---- KxIoFile

KxIoFile::KxIoFile() : file(nullptr), last(Direction::kNone) {}

KxIoFile::KxIoFile(const KxString& path) : file(nullptr), path(path), last(Direction::kNone) {}

KxIoFile::~KxIoFile() { Close(); }

bool KxIoFile::Open(const KxString& newPath, const char* mode) {
  Close();
  if (!newPath.IsEmpty()) path = newPath;
  if (path.IsEmpty()) return false;
  file = _wfopen(KxWide(path), KxWide(mode));
  last = Direction::kNone;
  return file != nullptr;
}

bool KxIoFile::OpenForWrite(const KxString& newPath) { return Open(newPath, "w+b"); }

bool KxIoFile::OpenForUpdate(const KxString& newPath) { return Open(newPath, "r+b"); }

bool KxIoFile::OpenForRead(const KxString& newPath) { return Open(newPath, "rb"); }

bool KxIoFile::Close() {
  if (!file) return true;
  bool ok = fclose(file) == 0;
  file = nullptr;
  last = Direction::kNone;
  return ok;
}

void KxIoFile::Turn(Direction next) {
  if (last != Direction::kNone && last != next) _fseeki64(file, 0, SEEK_CUR);
  last = next;
}

long long KxIoFile::Size() const {
  if (!file) return 0;
  long long here = _ftelli64(file);
  if (here < 0 || _fseeki64(file, 0, SEEK_END) != 0) return 0;
  long long end = _ftelli64(file);
  _fseeki64(file, here, SEEK_SET);
  // The seeks leave the stream ready for either direction.
  last = Direction::kNone;
  return end < 0 ? 0 : end;
}

bool KxIoFile::SeekSet(long long position) {
  if (!file || _fseeki64(file, position, SEEK_SET) != 0) return false;
  last = Direction::kNone;
  return true;
}

bool KxIoFile::SeekCur(long long offset) {
  if (!file || _fseeki64(file, offset, SEEK_CUR) != 0) return false;
  last = Direction::kNone;
  return true;
}

long long KxIoFile::Tell() const { return file ? _ftelli64(file) : -1; }

bool KxIoFile::Eof() const { return !file || feof(file) != 0; }

void KxIoFile::Flush() {
  if (file) fflush(file);
}

long long KxIoFile::Write(const void* data, long long count) {
  if (!file || !data || count <= 0) return 0;
  Turn(Direction::kWrite);
  return static_cast<long long>(fwrite(data, 1, ClampCount(count), file));
}

long long KxIoFile::Read(void* target, long long count) {
  if (!file || !target || count <= 0) return 0;
  Turn(Direction::kRead);
  return static_cast<long long>(fread(target, 1, ClampCount(count), file));
}

// ---- KxMemFile

KxMemFile::KxMemFile(int growStep)
    : buffer(nullptr),
      capacity(0),
      growStep(growStep > 0 ? growStep : kDefaultGrowStep),
      position(0),
      size(0),
      ownsBuffer(false) {}

KxMemFile::KxMemFile(const void* bytes, long long count, int growStep) : KxMemFile(growStep) {
  if (bytes && count > 0) {
    buffer = static_cast<unsigned char*>(const_cast<void*>(bytes));
    capacity = count;
    size = count;
  }
}

KxMemFile::~KxMemFile() {
  if (ownsBuffer) free(buffer);
  buffer = nullptr;
  capacity = 0;
  growStep = 0;
  position = 0;
  size = 0;
  ownsBuffer = false;
}

bool KxMemFile::SeekSet(long long newPosition) {
  if (newPosition < 0 || newPosition >= capacity) return false;
  position = newPosition;
  return true;
}

bool KxMemFile::SeekCur(long long offset) {
  if (offset > LLONG_MAX - position || offset < -position) return false;
  return SeekSet(position + offset);
}

bool KxMemFile::MakeRoom(long long end) {
  if (ownsBuffer && end <= capacity) return true;
  long long newCapacity = capacity;
  if (end > capacity) {
    if (end > kMaxMemCapacity) return false;
    long long steps = (end - capacity + growStep - 1) / growStep;
    newCapacity = capacity + steps * growStep;
    if (newCapacity > kMaxMemCapacity) return false;
  }
  unsigned char* grown;
  if (ownsBuffer) {
    grown = static_cast<unsigned char*>(realloc(buffer, static_cast<size_t>(newCapacity)));
    if (!grown) return false;
  } else {
    grown = static_cast<unsigned char*>(malloc(static_cast<size_t>(newCapacity)));
    if (!grown) return false;
    if (capacity > 0) memcpy(grown, buffer, static_cast<size_t>(capacity));
  }
  memset(grown + capacity, 0, static_cast<size_t>(newCapacity - capacity));
  buffer = grown;
  capacity = newCapacity;
  ownsBuffer = true;
  return true;
}

long long KxMemFile::Write(const void* data, long long count) {
  if (!data || count <= 0 || count > LLONG_MAX - position) return 0;
  // The bytes may come from this stream's own block, which MakeRoom can move.
  const unsigned char* source = static_cast<const unsigned char*>(data);
  bool inside = buffer && source >= buffer && source < buffer + capacity;
  size_t offset = inside ? static_cast<size_t>(source - buffer) : 0;
  if (!MakeRoom(position + count)) return 0;
  if (inside) source = buffer + offset;
  memmove(buffer + position, source, static_cast<size_t>(count));
  position += count;
  if (size < position) size = position;
  return count;
}

long long KxMemFile::Read(void* target, long long count) {
  if (!target || count <= 0 || position >= size) return 0;
  long long available = size - position;
  if (count > available) count = available;
  memcpy(target, buffer + position, static_cast<size_t>(count));
  position += count;
  return count;
}

// ---- Helpers

bool WriteText(KxStream& stream, const KxString& text) {
  if (text.IsEmpty()) return true;
  return stream.Write(text.CStr(), text.Length()) == text.Length();
}

bool ReadAll(KxStream& stream, KxString& buffer) {
  long long size = stream.Size();
  if (size < 0 || size > INT_MAX || !buffer.Resize(static_cast<int>(size))) return false;
  long long got = size > 0 ? stream.Read(buffer.Buffer(), size) : 0;
  if (got == size) return true;
  buffer.Resize(static_cast<int>(got));
  return false;
}

bool ReadByte(KxStream& stream, unsigned char& byte) { return stream.Read(&byte, 1) == 1; }
