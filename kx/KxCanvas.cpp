#include "kx/KxCanvas.h"

#include "kx/base/KxWide.h"

#include "kx/KxCard.h"
#include "kx/base/KxHandles.h"

namespace {

SIZE BitmapSize(HBITMAP bitmap) {
  SIZE size = {0, 0};
  BITMAP bm = {};
  if (bitmap && GetObjectW(bitmap, sizeof(bm), &bm)) {
    size.cx = bm.bmWidth;
    size.cy = bm.bmHeight;
  }
  return size;
}

}  // namespace

KxCanvas::KxCanvas(KxCard* card) : card(card), dc(card ? GetDC(card->hwnd) : NULL) {}

KxCanvas::KxCanvas(HDC dc) : dc(dc) {}

KxCanvas::~KxCanvas() {
  if (card && dc) ReleaseDC(card->hwnd, dc);
}

RECT KxCanvas::ClientRect() const {
  RECT r = {0, 0, 0, 0};
  if (card) GetClientRect(card->hwnd, &r);
  return r;
}

void KxCanvas::SetBkMode(int mode) { ::SetBkMode(dc, mode); }

SIZE KxCanvas::TextExtent(KxFont& font, const KxString& text) {
  SIZE size = {0, 0};
  KxSelected selected(dc, font.Handle());
  KxWide wide(text);
  GetTextExtentPoint32W(dc, wide, wide.Length(), &size);
  return size;
}

void KxCanvas::DrawText(KxFont& font, COLORREF color, const KxString& text, const RECT& rect,
                        UINT format) {
  KxSelected selected(dc, font.Handle());
  COLORREF previous = SetTextColor(dc, color);
  RECT r = rect;
  KxWide wide(text);
  ::DrawTextW(dc, wide, wide.Length(), &r, format);
  SetTextColor(dc, previous);
}

void KxCanvas::Line(COLORREF color, int width, POINT from, POINT to) {
  KxGdiObject pen(CreatePen(PS_SOLID, width, color));
  KxSelected selected(dc, pen.Get());
  MoveToEx(dc, from.x, from.y, NULL);
  LineTo(dc, to.x, to.y);
}

void KxCanvas::Rectangle(COLORREF color, int width, const RECT& rect) {
  KxGdiObject pen(CreatePen(PS_SOLID, width, color));
  KxSelected selected(dc, pen.Get());
  ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void KxCanvas::FrameRect(COLORREF color, const RECT& rect) {
  KxGdiObject brush(CreateSolidBrush(color));
  ::FrameRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
}

void KxCanvas::RoundRect(COLORREF color, int width, const RECT& rect, SIZE corner) {
  KxGdiObject pen(CreatePen(PS_SOLID, width, color));
  KxSelected selected(dc, pen.Get());
  ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner.cx, corner.cy);
}

void KxCanvas::FillRect(COLORREF color, const RECT& rect) {
  KxGdiObject brush(CreateSolidBrush(color));
  ::FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
}

void KxCanvas::TileBitmap(HBITMAP bitmap, const RECT& rect) {
  SIZE size = BitmapSize(bitmap);
  int tileWidth = size.cx < rect.right - rect.left ? size.cx : rect.right - rect.left;
  int tileHeight = size.cy < rect.bottom - rect.top ? size.cy : rect.bottom - rect.top;
  if (tileWidth <= 0 || tileHeight <= 0) return;
  HDC source = CreateCompatibleDC(dc);
  {
    KxSelected selected(source, bitmap);
    for (int y = rect.top; y < rect.bottom; y += tileHeight)
      for (int x = rect.left; x < rect.right; x += tileWidth)
        BitBlt(dc, x, y, tileWidth, tileHeight, source, 0, 0, SRCCOPY);
  }
  DeleteDC(source);
}

void KxCanvas::DrawBitmap(POINT at, HBITMAP bitmap) {
  SIZE size = BitmapSize(bitmap);
  RECT r = {at.x, at.y, at.x + size.cx, at.y + size.cy};
  BlitBitmap(r, bitmap, SRCCOPY);
}

void KxCanvas::BlitBitmap(const RECT& rect, HBITMAP bitmap, DWORD rop) {
  if (!bitmap) return;
  HDC source = CreateCompatibleDC(dc);
  {
    KxSelected selected(source, bitmap);
    BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, 0, 0,
           rop);
  }
  DeleteDC(source);
}

void KxCanvas::DrawPicture(POINT at, const KxPicture& picture) {
  if (picture.icon) {
    DrawIcon(dc, at.x, at.y, picture.icon);
  } else if (picture.bitmap) {
    DrawBitmap(at, picture.bitmap);
  }
}

void KxCanvas::DrawPictureIn(const RECT& rect, const KxPicture& picture) {
  if (picture.icon) {
    DrawIconEx(dc, rect.left, rect.top, picture.icon, rect.right - rect.left,
               rect.bottom - rect.top, 0, NULL, DI_NORMAL);
  } else if (picture.bitmap) {
    BlitBitmap(rect, picture.bitmap, SRCCOPY);
  }
}

// ---- The other kinds

KxWinCanvas::KxWinCanvas(KxCard* card) : KxCanvas(card, card ? GetWindowDC(card->hwnd) : NULL, Adopt{}) {}

KxWinCanvas::~KxWinCanvas() {
  if (card && dc) ReleaseDC(card->hwnd, dc);
  dc = NULL;
}

KxPaintCanvas::KxPaintCanvas(KxCard* card) : KxCanvas(card, NULL, Adopt{}), paint() {
  if (card) dc = BeginPaint(card->hwnd, &paint);
}

KxPaintCanvas::~KxPaintCanvas() {
  if (card && dc) EndPaint(card->hwnd, &paint);
  dc = NULL;
}

KxCompatibleCanvas::KxCompatibleCanvas(KxCard* card, const KxCanvas& like)
    : KxCanvas(card, CreateCompatibleDC(like.Dc()), Adopt{}) {}

KxCompatibleCanvas::~KxCompatibleCanvas() {
  if (dc) DeleteDC(dc);
  dc = NULL;
}
