#include "store/IconBlob.h"

#include <cstring>

namespace {

void PutInt32(char* out, uint32_t value) {
  out[0] = static_cast<char>(value & 0xFF);
  out[1] = static_cast<char>((value >> 8) & 0xFF);
  out[2] = static_cast<char>((value >> 16) & 0xFF);
  out[3] = static_cast<char>((value >> 24) & 0xFF);
}

void PutInt16(char* out, uint16_t value) {
  out[0] = static_cast<char>(value & 0xFF);
  out[1] = static_cast<char>((value >> 8) & 0xFF);
}

uint32_t GetUInt32(const unsigned char* in) {
  return static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) |
         (static_cast<uint32_t>(in[2]) << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

int32_t GetInt32(const unsigned char* in) { return static_cast<int32_t>(GetUInt32(in)); }

uint16_t GetUInt16(const unsigned char* in) {
  return static_cast<uint16_t>(in[0] | (in[1] << 8));
}

void PutHeader(char* out, const IconBitmapHeader& header) {
  PutInt32(out, static_cast<uint32_t>(header.type));
  PutInt32(out + 4, static_cast<uint32_t>(header.width));
  PutInt32(out + 8, static_cast<uint32_t>(header.height));
  PutInt32(out + 12, static_cast<uint32_t>(header.widthBytes));
  PutInt16(out + 16, header.planes);
  PutInt16(out + 18, header.bitsPixel);
  PutInt32(out + 20, header.bits);
}

IconBitmapHeader GetHeader(const unsigned char* in) {
  IconBitmapHeader header;
  header.type = GetInt32(in);
  header.width = GetInt32(in + 4);
  header.height = GetInt32(in + 8);
  header.widthBytes = GetInt32(in + 12);
  header.planes = GetUInt16(in + 16);
  header.bitsPixel = GetUInt16(in + 18);
  header.bits = GetUInt32(in + 20);
  return header;
}

// Whether header describes a bitmap an icon can be made of and byteCount bytes are its rows:
// at least the unpadded rows, at most the rows as padded by widthBytes. Writers pad rows to
// a word (GetBitmapBits) or a double word (GetObjectA on a DIB section), never further.
bool HeaderHolds(const IconBitmapHeader& header, int byteCount, int maxHeight) {
  if (header.type != 0 || header.planes != 1) return false;
  if (header.width < 1 || header.width > kIconBlobMaxSide) return false;
  if (header.height < 1 || header.height > maxHeight) return false;
  switch (header.bitsPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  long long rowBytes = (static_cast<long long>(header.width) * header.bitsPixel + 7) / 8;
  if (header.widthBytes < rowBytes || header.widthBytes > rowBytes + 3) return false;
  return byteCount >= rowBytes * header.height &&
         byteCount <= static_cast<long long>(header.widthBytes) * header.height;
}

bool ReadBitmap(HBITMAP bitmap, IconBitmapHeader& header, KxString& bits) {
  BITMAP bm = {};
  if (GetObjectW(bitmap, sizeof(bm), &bm) == 0) return false;
  header.type = bm.bmType;
  header.width = bm.bmWidth;
  header.height = bm.bmHeight;
  header.widthBytes = bm.bmWidthBytes;
  header.planes = bm.bmPlanes;
  header.bitsPixel = bm.bmBitsPixel;
  header.bits = 0;
  LONG count = GetBitmapBits(bitmap, 0, nullptr);
  if (count <= 0 || !bits.Resize(count)) return false;
  return GetBitmapBits(bitmap, count, bits.Buffer()) == count;
}

HBITMAP MakeBitmap(const IconBitmapHeader& header, const KxString& bits) {
  BITMAP bm = {};
  bm.bmType = header.type;
  bm.bmWidth = header.width;
  bm.bmHeight = header.height;
  bm.bmWidthBytes = header.widthBytes;
  bm.bmPlanes = header.planes;
  bm.bmBitsPixel = header.bitsPixel;
  bm.bmBits = nullptr;
  HBITMAP bitmap = CreateBitmapIndirect(&bm);
  if (bitmap && SetBitmapBits(bitmap, static_cast<DWORD>(bits.Length()), bits.CStr()) == 0) {
    DeleteObject(bitmap);
    bitmap = nullptr;
  }
  return bitmap;
}

}  // namespace

KxString SerializeIconBlob(const IconBlobParts& parts) {
  int maskBytes = parts.maskBits.Length();
  int colorBytes = parts.colorBits.Length();
  KxString blob;
  if (!blob.Resize(kIconBlobFixedBytes + maskBytes + colorBytes)) return KxString();
  char* out = blob.Buffer();
  PutInt32(out, static_cast<uint32_t>(parts.xHotspot));
  PutInt32(out + 4, static_cast<uint32_t>(parts.yHotspot));
  PutInt32(out + 8, static_cast<uint32_t>(maskBytes));
  PutInt32(out + 12, static_cast<uint32_t>(colorBytes));
  PutHeader(out + 16, parts.mask);
  if (maskBytes > 0) memcpy(out + 40, parts.maskBits.CStr(), static_cast<size_t>(maskBytes));
  PutHeader(out + 40 + maskBytes, parts.color);
  if (colorBytes > 0) {
    memcpy(out + 64 + maskBytes, parts.colorBits.CStr(), static_cast<size_t>(colorBytes));
  }
  return blob;
}

bool ParseIconBlob(const void* data, int size, IconBlobParts& parts) {
  if (!data || size < kIconBlobFixedBytes) return false;
  const unsigned char* in = static_cast<const unsigned char*>(data);
  int32_t maskBytes = GetInt32(in + 8);
  int32_t colorBytes = GetInt32(in + 12);
  if (maskBytes < 1 || colorBytes < 0) return false;
  if (static_cast<long long>(kIconBlobFixedBytes) + maskBytes + colorBytes > size) return false;

  IconBitmapHeader mask = GetHeader(in + 16);
  IconBitmapHeader color = GetHeader(in + 40 + maskBytes);
  if (!HeaderHolds(mask, maskBytes, 2 * kIconBlobMaxSide)) return false;
  // No colour bits: a monochrome icon, whatever the colour header says.
  if (colorBytes > 0 && !HeaderHolds(color, colorBytes, kIconBlobMaxSide)) return false;

  parts.xHotspot = GetInt32(in);
  parts.yHotspot = GetInt32(in + 4);
  parts.mask = mask;
  parts.maskBits.Assign(reinterpret_cast<const char*>(in + 40), maskBytes);
  parts.color = color;
  parts.colorBits.Assign(reinterpret_cast<const char*>(in + 64 + maskBytes), colorBytes);
  return parts.maskBits.Length() == maskBytes && parts.colorBits.Length() == colorBytes;
}

KxString IconToBlob(HICON icon) {
  if (!icon) return KxString();
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return KxString();
  KxGdiObject mask(info.hbmMask);
  KxGdiObject color(info.hbmColor);
  IconBlobParts parts;
  parts.xHotspot = static_cast<int32_t>(info.xHotspot);
  parts.yHotspot = static_cast<int32_t>(info.yHotspot);
  if (!mask.Bitmap() || !ReadBitmap(mask.Bitmap(), parts.mask, parts.maskBits)) return KxString();
  if (color.Bitmap() && !ReadBitmap(color.Bitmap(), parts.color, parts.colorBits)) return KxString();
  return SerializeIconBlob(parts);
}

bool BlobToIcon(const void* data, int size, OwnedIcon& icon) {
  if (!data || size < 1) return false;
  icon.Reset();
  IconBlobParts parts;
  if (!ParseIconBlob(data, size, parts)) return false;
  KxGdiObject mask(MakeBitmap(parts.mask, parts.maskBits));
  if (!mask.Bitmap()) return false;
  KxGdiObject color(parts.colorBits.IsEmpty() ? nullptr : MakeBitmap(parts.color, parts.colorBits));
  if (!parts.colorBits.IsEmpty() && !color.Bitmap()) return false;
  ICONINFO info = {};
  info.fIcon = TRUE;
  info.xHotspot = static_cast<DWORD>(parts.xHotspot);
  info.yHotspot = static_cast<DWORD>(parts.yHotspot);
  info.hbmMask = mask.Bitmap();
  info.hbmColor = color.Bitmap();
  icon.Reset(CreateIconIndirect(&info));
  return !icon.IsEmpty();
}
