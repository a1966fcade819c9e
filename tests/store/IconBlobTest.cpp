// The icon blob of KX_SOFT.S_ICO: its byte layout, its refusal of truncated and lying blobs
// (read from the very end of a readable page, so a read past the end faults), and real icons
// converted to blobs and back under Wine.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "store/IconBlob.h"

namespace {

// Holds bytes so that the last one sits just before a no-access page.
class GuardedBytes {
public:
  explicit GuardedBytes(const KxString& bytes) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    pageSize = info.dwPageSize;
    base = static_cast<char*>(
        VirtualAlloc(nullptr, 2 * pageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(base + pageSize, pageSize, PAGE_NOACCESS, &old);
    start = base + pageSize - bytes.Length();
    memcpy(start, bytes.CStr(), static_cast<size_t>(bytes.Length()));
  }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;
  ~GuardedBytes() { VirtualFree(base, 0, MEM_RELEASE); }
  const char* Data() const { return start; }

private:
  DWORD pageSize = 0;
  char* base = nullptr;
  char* start = nullptr;
};

// A 2 x 2 icon: 1-bit mask rows of 2 bytes, 32-bit colour rows of 8 bytes.
IconBlobParts SmallParts() {
  IconBlobParts parts;
  parts.xHotspot = 3;
  parts.yHotspot = 5;
  parts.mask = {0, 2, 2, 2, 1, 1, 0xDEADBEEFu};
  parts.maskBits.Assign("\x40\x00\x80\x00", 4);
  parts.color = {0, 2, 2, 8, 1, 32, 0};
  parts.colorBits.Assign("ABCDEFGHIJKLMNOP", 16);
  return parts;
}

void PutInt(KxString& blob, int offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) blob.Buffer()[offset + i] = static_cast<char>(value >> (8 * i));
}

bool Parses(const KxString& blob) {
  GuardedBytes guarded(blob);
  IconBlobParts parts;
  return ParseIconBlob(guarded.Data(), blob.Length(), parts);
}

// The colour bitmap of MaskBitmap's icon: color over the opaque top half with one blue
// pixel at (1, 1), black under the transparent half.
// A side x side icon: opaque top half in red with a blue pixel at (1, 1), transparent
// bottom half. Without colour it is monochrome, its mask twice as high.
HICON MakeIcon(int side, bool withColor) {
  int rowBytes = ((side + 15) / 16) * 2;
  int maskHeight = withColor ? side : 2 * side;
  std::vector<unsigned char> maskBits(static_cast<size_t>(rowBytes * maskHeight), 0xFF);
  memset(maskBits.data(), 0, static_cast<size_t>(rowBytes * (maskHeight / 2)));
  ICONINFO info = {};
  info.fIcon = TRUE;
  info.hbmMask = CreateBitmap(side, maskHeight, 1, 1, maskBits.data());
  if (withColor) {
    HDC screen = GetDC(nullptr);
    info.hbmColor = CreateCompatibleBitmap(screen, side, side);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, info.hbmColor);
    RECT top = {0, 0, side, side / 2};
    HBRUSH red = CreateSolidBrush(RGB(200, 30, 40));
    FillRect(dc, &top, red);
    DeleteObject(red);
    SetPixel(dc, 1, 1, RGB(0, 0, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
  }
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return icon;
}

}  // namespace

TEST(IconBlob, LaysOutFieldsInThe32BitOrder) {
  const unsigned char expected[] = {
      3, 0, 0, 0, 5, 0, 0, 0, 4, 0, 0, 0, 16, 0, 0, 0,                    // hotspots, M, C
      0, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 1, 0,         // mask BITMAP
      0xEF, 0xBE, 0xAD, 0xDE,                                             // its bmBits
      0x40, 0, 0x80, 0,                                                   // mask bits
      0, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 8, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0,  // colour BITMAP
      'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P'};
  KxString blob = SerializeIconBlob(SmallParts());
  ASSERT_EQ(blob.Length(), static_cast<int>(sizeof(expected)));
  EXPECT_EQ(memcmp(blob.CStr(), expected, sizeof(expected)), 0);

  IconBlobParts back;
  ASSERT_TRUE(ParseIconBlob(blob.CStr(), blob.Length(), back));
  EXPECT_EQ(SerializeIconBlob(back), blob);
}

TEST(IconBlob, RefusesEveryTruncation) {
  KxString blob = SerializeIconBlob(SmallParts());
  EXPECT_TRUE(Parses(blob));
  for (int length = 0; length < blob.Length(); ++length) {
    EXPECT_FALSE(Parses(blob.Mid(length, 0))) << "length " << length;
  }
  IconBlobParts parts;
  EXPECT_FALSE(ParseIconBlob(nullptr, 84, parts));
}

TEST(IconBlob, RefusesLyingSizesAndHeaders) {
  struct Case {
    const char* what;
    int offset;  // a 32-bit field of the blob of SmallParts
    uint32_t value;
  };
  const Case cases[] = {
      {"negative M", 8, 0xFFFFFFFFu},
      {"negative C", 12, 0xFFFFFFFCu},
      {"zero M", 8, 0},
      {"huge M", 8, 0x7FFFFFFFu},
      {"M + C wrap in 32 bits", 8, 0x7FFFFFF0u},
      {"M one past the blob", 8, 5},
      {"C one past the blob", 12, 17},
      {"mask type", 16, 1},
      {"mask width 0", 20, 0},
      {"mask width huge", 20, 100000},
      {"mask height negative", 24, 0xFFFFFFFEu},
      {"mask rows narrower than its pixels", 28, 0},
      {"mask rows wider than any padding", 28, 64},
      {"mask planes", 32, 0x00010002u},
      {"mask bits per pixel", 32, 0x00030001u},
      {"colour width larger than its bits", 48, 64},
      {"colour bits per pixel", 60, 0x00070001u},
  };
  for (const Case& c : cases) {
    KxString blob = SerializeIconBlob(SmallParts());
    PutInt(blob, c.offset, c.value);
    if (c.offset == 8 && c.value == 0x7FFFFFF0u) PutInt(blob, 12, 0x7FFFFFF0u);
    EXPECT_FALSE(Parses(blob)) << c.what;
  }

  // Bit counts that the header's rows cannot hold, sizes consistent with the blob.
  IconBlobParts shortMask = SmallParts();
  shortMask.maskBits.Assign("\x40", 1);
  IconBlobParts longColor = SmallParts();
  longColor.colorBits.Append("QRSTUVWX");
  EXPECT_FALSE(Parses(SerializeIconBlob(shortMask)));
  EXPECT_FALSE(Parses(SerializeIconBlob(longColor)));

  // No colour bits: a monochrome icon, the colour header not consulted.
  IconBlobParts mono = SmallParts();
  mono.color = IconBitmapHeader();
  mono.colorBits = KxString();
  EXPECT_TRUE(Parses(SerializeIconBlob(mono)));
}

TEST(IconBlob, RealIconsSurviveTheRoundTrip) {
  struct Case {
    int side;
    bool withColor;
  };
  const Case cases[] = {{32, true}, {16, true}, {20, true}, {32, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.side << (c.withColor ? " colour" : " monochrome"));
    OwnedIcon original(MakeIcon(c.side, c.withColor));
    ASSERT_FALSE(original.IsEmpty());
    KxString blob = IconToBlob(original.Get());
    ASSERT_GE(blob.Length(), kIconBlobFixedBytes);
    IconBlobParts parts;
    ASSERT_TRUE(ParseIconBlob(blob.CStr(), blob.Length(), parts));
    EXPECT_EQ(blob.Length(), 64 + parts.maskBits.Length() + parts.colorBits.Length());
    EXPECT_EQ(parts.mask.width, c.side);
    EXPECT_EQ(parts.mask.height, c.withColor ? c.side : 2 * c.side);
    EXPECT_EQ(parts.mask.bitsPixel, 1);
    EXPECT_EQ(parts.colorBits.IsEmpty(), !c.withColor);

    OwnedIcon restored;
    ASSERT_TRUE(BlobToIcon(blob.CStr(), blob.Length(), restored));
    EXPECT_EQ(IconToBlob(restored.Get()), blob);
  }
}

TEST(IconBlob, BadBlobsLeaveNoIconAndEmptyOnesLeaveTheOldOne) {
  OwnedIcon icon(MakeIcon(16, true));
  HICON held = icon.Get();
  EXPECT_FALSE(BlobToIcon(nullptr, 0, icon));
  EXPECT_FALSE(BlobToIcon("x", 0, icon));
  EXPECT_EQ(icon.Get(), held);

  KxString lying = SerializeIconBlob(SmallParts());
  PutInt(lying, 8, 0x7FFFFFFFu);
  EXPECT_FALSE(BlobToIcon(lying.CStr(), lying.Length(), icon));
  EXPECT_TRUE(icon.IsEmpty());
  EXPECT_TRUE(IconToBlob(nullptr).IsEmpty());
}
