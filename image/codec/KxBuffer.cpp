#include "image/codec/KxBuffer.h"

#include <stdlib.h>

KxBuffer::KxBuffer(KxBuffer&& other) noexcept : data(other.data), size(other.size) {
  other.data = nullptr;
  other.size = 0;
}

KxBuffer& KxBuffer::operator=(KxBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    data = other.data;
    size = other.size;
    other.data = nullptr;
    other.size = 0;
  }
  return *this;
}

KxBuffer::~KxBuffer() { Release(); }

bool KxBuffer::Allocate(size_t count) {
  Release();
  if (count == 0) return true;
  data = static_cast<uint8_t*>(calloc(count, 1));
  if (!data) return false;
  size = count;
  return true;
}

void KxBuffer::Release() {
  free(data);
  data = nullptr;
  size = 0;
}
