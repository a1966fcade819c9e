#pragma once
// Byte streams: a file through the C runtime and a growing block of memory, behind one
// interface that the image codecs read and write through.

#include <stdio.h>

#include "kx/base/KxString.h"

// Positions, sizes and counts are 64-bit; a failed Tell is -1.
class KxStream {
public:
  KxStream() = default;
  KxStream(const KxStream&) = delete;
  KxStream& operator=(const KxStream&) = delete;

  virtual long long Size() const = 0;
  virtual bool SeekSet(long long position) = 0;
  virtual bool SeekCur(long long offset) = 0;
  virtual long long Tell() const = 0;
  virtual bool Eof() const = 0;
  virtual void Flush() = 0;
  // Both return the number of bytes moved; a null pointer or a count <= 0 moves none.
  virtual long long Write(const void* data, long long count) = 0;
  virtual long long Read(void* buffer, long long count) = 0;
  virtual ~KxStream() = default;
};

// A file opened through the C runtime. The object owns the FILE and closes it.
class KxIoFile : public KxStream {
public:
  KxIoFile();
  explicit KxIoFile(const KxString& path);
  ~KxIoFile() override;

  // Each closes an open stream first. An empty path means the stored one; a given path
  // becomes the stored one.
  bool OpenForWrite(const KxString& path = KxString());   // "w+b": created or emptied
  bool OpenForUpdate(const KxString& path = KxString());  // "r+b": must exist
  bool OpenForRead(const KxString& path = KxString());    // "rb"
  // False when buffered bytes could not be written out.
  bool Close();
  bool IsOpen() const { return file != nullptr; }
  const KxString& Path() const { return path; }

  long long Size() const override;  // 0 when closed
  bool SeekSet(long long position) override;
  bool SeekCur(long long offset) override;
  long long Tell() const override;  // -1 when closed
  bool Eof() const override;        // true when closed
  void Flush() override;
  long long Write(const void* data, long long count) override;
  long long Read(void* buffer, long long count) override;

private:
  enum class Direction { kNone, kRead, kWrite };

  bool Open(const KxString& newPath, const char* mode);
  // An update stream must be positioned between a write and a following read (and the
  // other way round); this does it for the caller.
  void Turn(Direction next);

  FILE* file;
  KxString path;
  mutable Direction last;
};

// A stream over memory. It either owns a heap block that grows in whole grow steps, or
// reads bytes the caller keeps alive; the first write into such borrowed bytes moves
// them into a block of its own, so the caller's bytes are never changed.
class KxMemFile : public KxStream {
public:
  static const int kDefaultGrowStep = 2048;

  // A grow step below 1 means kDefaultGrowStep.
  explicit KxMemFile(int growStep = kDefaultGrowStep);
  KxMemFile(const void* bytes, long long count, int growStep = kDefaultGrowStep);
  ~KxMemFile() override;

  const unsigned char* Data() const { return buffer; }
  long long Capacity() const { return capacity; }

  long long Size() const override { return size; }
  // Both succeed only for a new position from 0 to below the capacity.
  bool SeekSet(long long position) override;
  bool SeekCur(long long offset) override;
  long long Tell() const override { return position; }
  bool Eof() const override { return position >= size; }
  void Flush() override {}
  // A write past the size leaves zero bytes in the gap.
  long long Write(const void* data, long long count) override;
  long long Read(void* buffer, long long count) override;

private:
  bool MakeRoom(long long end);

  unsigned char* buffer;
  long long capacity;
  int growStep;
  long long position;
  long long size;
  bool ownsBuffer;
};

// True when every byte of text was written.
bool WriteText(KxStream& stream, const KxString& text);
// Reads Size() bytes from the current position into buffer; true when all of them came.
// On a short read buffer holds the bytes that did.
bool ReadAll(KxStream& stream, KxString& buffer);
bool ReadByte(KxStream& stream, unsigned char& byte);
