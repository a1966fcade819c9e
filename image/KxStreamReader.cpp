#include "image/KxStreamReader.h"

KxStreamReader::KxStreamReader(KxStream& stream) : stream(stream), size(0), position(0), placed(false) {
  long long n = stream.Size();
  size = n > 0 ? static_cast<uint64_t>(n) : 0;
}

size_t KxStreamReader::Read(void* buffer, size_t count) {
  if (!buffer || count == 0 || position >= size) return 0;
  // A memory stream refuses to seek to its very end, so the seek waits for a read.
  if (!placed) {
    if (!stream.SeekSet(static_cast<long long>(position))) return 0;
    placed = true;
  }
  uint64_t left = size - position;
  long long want = static_cast<long long>(left < count ? left : count);
  long long got = stream.Read(buffer, want);
  if (got <= 0) return 0;
  position += static_cast<uint64_t>(got);
  return static_cast<size_t>(got);
}

bool KxStreamReader::Seek(uint64_t newPosition) {
  if (newPosition > size) return false;
  if (newPosition != position) {
    position = newPosition;
    placed = false;
  }
  return true;
}
