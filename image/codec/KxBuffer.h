#pragma once
// One heap block that its holder alone owns. Large pixel and file buffers live in these
// so that an allocation failure is a false result and never an exception.

#include <stddef.h>
#include <stdint.h>

class KxBuffer {
public:
  KxBuffer() = default;
  KxBuffer(const KxBuffer&) = delete;
  KxBuffer& operator=(const KxBuffer&) = delete;
  KxBuffer(KxBuffer&& other) noexcept;
  KxBuffer& operator=(KxBuffer&& other) noexcept;
  ~KxBuffer();

  // A new zero-filled block of count bytes in place of the old one; false (and empty)
  // when it cannot be had. A count of 0 gives an empty buffer and true.
  bool Allocate(size_t count);
  void Release();

  uint8_t* Data() { return data; }
  const uint8_t* Data() const { return data; }
  size_t Size() const { return size; }
  bool IsEmpty() const { return size == 0; }

private:
  uint8_t* data = nullptr;
  size_t size = 0;
};
