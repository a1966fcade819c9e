// Drawing operations into a memory bitmap whose pixels are read back, and the font rules.

#include <gtest/gtest.h>

#include "kx/KxCanvas.h"
#include "kx/KxColor.h"
#include "tests/support/GuiTestUtil.h"

namespace {

// A 16 x 16 bitmap: blue with one red pixel at its origin.
HBITMAP MakeTile() {
  HBITMAP tile = CreateCompatibleBitmap(GetDC(NULL), 16, 16);
  HDC dc = CreateCompatibleDC(NULL);
  HGDIOBJ old = SelectObject(dc, tile);
  RECT all = {0, 0, 16, 16};
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(dc, &all, blue);
  DeleteObject(blue);
  SetPixel(dc, 0, 0, RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  return tile;
}

TEST(Canvas, TileBitmapRepeatsFromTheTopLeftAndAcceptsNone) {
  MemorySurface surface(48, 24);
  KxCanvas canvas(surface.dc);
  RECT all = {0, 0, 48, 24};
  canvas.FillRect(RGB(0, 255, 0), all);
  HBITMAP tile = MakeTile();
  RECT area = {0, 0, 40, 20};
  canvas.TileBitmap(tile, area);
  for (int y : {0, 16})
    for (int x : {0, 16, 32}) EXPECT_EQ(0xFF0000u, surface.At(x, y)) << x << "," << y;
  EXPECT_EQ(0x0000FFu, surface.At(1, 1));
  EXPECT_EQ(0x0000FFu, surface.At(39, 19));
  // The last tiles are not clipped by the rectangle but by the surface only.
  EXPECT_EQ(0x0000FFu, surface.At(47, 23));

  RECT other = {0, 0, 48, 24};
  canvas.FillRect(RGB(0, 255, 0), other);
  canvas.TileBitmap(NULL, other);
  EXPECT_EQ(0x00FF00u, surface.At(0, 0));
  DeleteObject(tile);
}

TEST(Canvas, DrawTextUsesTheColourAndRestoresTheDc) {
  MemorySurface surface(60, 20);
  KxCanvas canvas(surface.dc);
  RECT all = {0, 0, 60, 20};
  canvas.FillRect(RGB(255, 255, 255), all);
  canvas.SetBkMode(TRANSPARENT);
  SetTextColor(surface.dc, RGB(1, 2, 3));
  KxFont font;
  canvas.DrawText(font, RGB(255, 0, 0), "WWW", all, DT_LEFT | DT_TOP | DT_SINGLELINE);
  EXPECT_EQ(RGB(1, 2, 3), GetTextColor(surface.dc));
  // Smoothed glyph edges blend with the white; count the clearly red pixels.
  int red = 0, other = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) {
      DWORD p = surface.At(x, y);
      int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (r > 200 && g < 100 && b < 100) ++red;
      if (p != 0xFFFFFFu && !(r > g && r > b)) ++other;
    }
  EXPECT_GT(red, 5);
  EXPECT_EQ(0, other) << "every inked pixel leans to red";
  SIZE extent = canvas.TextExtent(font, "WWW");
  EXPECT_GT(extent.cx, 0);
  EXPECT_GT(extent.cy, 0);
}

TEST(Font, UntouchedFontIsTheStockFontAndASetterBuildsFromAllFields) {
  KxFont font;
  EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), font.Handle());
  font.SetHeight(20);
  EXPECT_TRUE(font.IsDirty());
  HFONT built = font.Handle();
  EXPECT_NE(GetStockObject(DEFAULT_GUI_FONT), built);
  EXPECT_FALSE(font.IsDirty());
  LOGFONTA described = {};
  ASSERT_TRUE(GetObjectA(built, sizeof(described), &described));
  EXPECT_EQ(20, described.lfHeight);
  EXPECT_EQ(6, described.lfWidth);
  EXPECT_EQ(FW_NORMAL, described.lfWeight);
  EXPECT_STREQ("MS Sans Serif", described.lfFaceName);
  EXPECT_EQ(built, font.Handle()) << "an unchanged font is not built again";
}

TEST(Picture, SizeComesFromTheIconTheBitmapOrTheSmallIconMetrics) {
  KxPicture picture;
  EXPECT_FALSE(picture.IsPresent());
  EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), picture.Size().cx);
  picture.SetBitmap(CreateCompatibleBitmap(GetDC(NULL), 7, 5));
  EXPECT_EQ(7, picture.Size().cx);
  EXPECT_EQ(5, picture.Size().cy);
  HICON shared = LoadIconA(NULL, IDI_APPLICATION);
  picture.SetIcon(shared, false);
  EXPECT_EQ(GetSystemMetrics(SM_CXICON), picture.Size().cx);
  picture.Release();
  // A foreign icon is not destroyed with the picture.
  ICONINFO info = {};
  EXPECT_TRUE(GetIconInfo(shared, &info));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

}  // namespace
