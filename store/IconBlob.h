#pragma once
// The byte layout in which a shortcut's icon is stored (KX_SOFT.S_ICO) and the conversion
// between such a blob and an icon handle.
//
// Layout, all integers little-endian:
//   0  xHotspot (32)          4  yHotspot (32)
//   8  M: mask bit bytes (32) 12 C: colour bit bytes (32)
//   16 mask BITMAP (24)       40 mask bits (M)
//   40+M colour BITMAP (24)   64+M colour bits (C)
// A BITMAP is the 32-bit Win32 record: bmType, bmWidth, bmHeight, bmWidthBytes (32 each),
// bmPlanes, bmBitsPixel (16 each), bmBits (32). The fields are written and read one by one,
// never by copying the platform struct, so the 64-bit build stores the same bytes.

#include <windows.h>

#include <cstdint>

#include "kx/base/KxHandles.h"
#include "kx/base/KxString.h"

constexpr int kIconBlobFixedBytes = 64;
constexpr int kIconBitmapHeaderBytes = 24;
static_assert(kIconBlobFixedBytes == 4 * 4 + 2 * kIconBitmapHeaderBytes, "icon blob layout");
// Largest icon side accepted from a blob; a monochrome icon's mask is twice as high.
constexpr int kIconBlobMaxSide = 256;

struct IconBitmapHeader {
  int32_t type = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t widthBytes = 0;
  uint16_t planes = 0;
  uint16_t bitsPixel = 0;
  uint32_t bits = 0;  // a pointer on the machine that wrote it; meaningless when read back
};
static_assert(sizeof(IconBitmapHeader) == kIconBitmapHeaderBytes, "one field per stored field");

struct IconBlobParts {
  int32_t xHotspot = 0;
  int32_t yHotspot = 0;
  IconBitmapHeader mask;
  KxString maskBits;
  IconBitmapHeader color;   // all zero with no bits: a monochrome icon without colour bitmap
  KxString colorBits;
};

// The blob of parts: 64 + M + C bytes, M and C taken from the two bit strings.
KxString SerializeIconBlob(const IconBlobParts& parts);

// Reads the blob of size bytes at data into parts. False when it is shorter than its own
// sizes claim, when a size is negative, or when a bitmap header cannot describe icon bits of
// that size; nothing past data + size is ever read.
bool ParseIconBlob(const void* data, int size, IconBlobParts& parts);

// The blob of icon (GetIconInfo, GetObjectA, GetBitmapBits); empty when icon is nullptr or
// its bitmaps cannot be read.
KxString IconToBlob(HICON icon);

// Builds an icon from a blob into icon. An empty blob leaves icon unchanged and gives false;
// a blob that does not parse, or whose icon cannot be created, leaves icon empty and gives
// false.
bool BlobToIcon(const void* data, int size, OwnedIcon& icon);
