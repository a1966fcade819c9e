#include "image/codec/KxImageReader.h"

#include <string.h>

KxByteReader::KxByteReader(const void* bytes, size_t count)
    : data(static_cast<const uint8_t*>(bytes)), size(bytes ? count : 0), position(0) {}

size_t KxByteReader::Read(void* buffer, size_t count) {
  if (!buffer || position >= size) return 0;
  size_t n = size - position < count ? size - position : count;
  memcpy(buffer, data + position, n);
  position += n;
  return n;
}

bool KxByteReader::Seek(uint64_t newPosition) {
  if (newPosition > size) return false;
  position = static_cast<size_t>(newPosition);
  return true;
}

KxWindowReader::KxWindowReader(KxImageReader& inner, uint64_t start, uint64_t length)
    : inner(inner), start(start), length(0), position(0) {
  uint64_t total = inner.Size();
  if (start <= total) this->length = total - start < length ? total - start : length;
}

size_t KxWindowReader::Read(void* buffer, size_t count) {
  if (!buffer || position >= length) return 0;
  uint64_t left = length - position;
  size_t n = left < count ? static_cast<size_t>(left) : count;
  if (!inner.Seek(start + position)) return 0;
  size_t got = inner.Read(buffer, n);
  position += got;
  return got;
}

bool KxWindowReader::Seek(uint64_t newPosition) {
  if (newPosition > length) return false;
  position = newPosition;
  return true;
}

bool ReadExact(KxImageReader& reader, void* buffer, size_t count) {
  return reader.Read(buffer, count) == count;
}

bool ReadWhole(KxImageReader& reader, long long maxBytes, KxBuffer& target) {
  uint64_t size = reader.Size();
  if (size == 0 || size > static_cast<uint64_t>(maxBytes) || size > SIZE_MAX) return false;
  if (!reader.Seek(0) || !target.Allocate(static_cast<size_t>(size))) return false;
  return ReadExact(reader, target.Data(), static_cast<size_t>(size));
}
