#pragma once
// The decoders' byte reader over a KxStream (a file or a block of memory).

#include "image/codec/KxImageReader.h"
#include "kx/base/KxStream.h"

class KxStreamReader : public KxImageReader {
public:
  // The stream outlives the reader; its size is taken once, here.
  explicit KxStreamReader(KxStream& stream);

  size_t Read(void* buffer, size_t count) override;
  bool Seek(uint64_t position) override;
  uint64_t Tell() const override { return position; }
  uint64_t Size() const override { return size; }

private:
  KxStream& stream;
  uint64_t size;
  uint64_t position;
  bool placed;  // the stream stands at position
};
