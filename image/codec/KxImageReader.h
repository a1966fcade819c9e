#pragma once
// The byte reader the decoders read through: the caller's bytes, a range of another
// reader (an icon's entry), or, in the Win32 part, a KxStream. Positions are counted
// from the start of the reader.

#include <stddef.h>
#include <stdint.h>

#include "image/codec/KxBuffer.h"

class KxImageReader {
public:
  KxImageReader() = default;
  KxImageReader(const KxImageReader&) = delete;
  KxImageReader& operator=(const KxImageReader&) = delete;
  virtual ~KxImageReader() = default;

  // Returns the number of bytes copied; fewer than count only at the end.
  virtual size_t Read(void* buffer, size_t count) = 0;
  // False for a position past the end (the end itself is allowed).
  virtual bool Seek(uint64_t position) = 0;
  virtual uint64_t Tell() const = 0;
  virtual uint64_t Size() const = 0;
};

// Reads bytes that the caller keeps alive.
class KxByteReader : public KxImageReader {
public:
  KxByteReader(const void* bytes, size_t count);

  size_t Read(void* buffer, size_t count) override;
  bool Seek(uint64_t position) override;
  uint64_t Tell() const override { return position; }
  uint64_t Size() const override { return size; }

private:
  const uint8_t* data;
  size_t size;
  size_t position;
};

// The bytes [start, start + length) of another reader, which outlives this one; a
// range reaching past the other's end is cut there.
class KxWindowReader : public KxImageReader {
public:
  KxWindowReader(KxImageReader& inner, uint64_t start, uint64_t length);

  size_t Read(void* buffer, size_t count) override;
  bool Seek(uint64_t position) override;
  uint64_t Tell() const override { return position; }
  uint64_t Size() const override { return length; }

private:
  KxImageReader& inner;
  uint64_t start;
  uint64_t length;
  uint64_t position;
};

// Exactly count bytes, or false.
bool ReadExact(KxImageReader& reader, void* buffer, size_t count);
// The whole reader from its start into target, when it is at most maxBytes long.
bool ReadWhole(KxImageReader& reader, long long maxBytes, KxBuffer& target);

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
