#pragma once
// Drawing surfaces. A canvas lives for one drawing pass on the stack; its destructor
// gives back the DC it took. Pens and brushes are made per call and deleted right after.

#include <windows.h>

#include "kx/KxFont.h"
#include "kx/KxPicture.h"
#include "kx/base/KxString.h"

class KxCard;

class KxCanvas {
public:
  // GetDC on the card's window.
  explicit KxCanvas(KxCard* card);
  // Over a DC the platform hands in; releases nothing.
  explicit KxCanvas(HDC dc);
  KxCanvas(const KxCanvas&) = delete;
  KxCanvas& operator=(const KxCanvas&) = delete;
  virtual ~KxCanvas();
  virtual RECT ClientRect() const;

  HDC Dc() const { return dc; }

  void SetBkMode(int mode);
  SIZE TextExtent(KxFont& font, const KxString& text);
  void DrawText(KxFont& font, COLORREF color, const KxString& text, const RECT& rect, UINT format);
  void Line(COLORREF color, int width, POINT from, POINT to);
  void Rectangle(COLORREF color, int width, const RECT& rect);
  void FrameRect(COLORREF color, const RECT& rect);
  void RoundRect(COLORREF color, int width, const RECT& rect, SIZE corner);
  void FillRect(COLORREF color, const RECT& rect);
  void TileBitmap(HBITMAP bitmap, const RECT& rect);
  void DrawBitmap(POINT at, HBITMAP bitmap);
  void BlitBitmap(const RECT& rect, HBITMAP bitmap, DWORD rop);
  void DrawPicture(POINT at, const KxPicture& picture);
  void DrawPictureIn(const RECT& rect, const KxPicture& picture);

protected:
  struct Adopt {};
  KxCanvas(KxCard* card, HDC dc, Adopt) : card(card), dc(dc) {}

  KxCard* card = nullptr;
  HDC dc = NULL;
};

// GetWindowDC: the whole window, non-client part included.
class KxWinCanvas : public KxCanvas {
public:
  explicit KxWinCanvas(KxCard* card);
  ~KxWinCanvas() override;
};

// BeginPaint/EndPaint for WM_PAINT.
class KxPaintCanvas : public KxCanvas {
public:
  explicit KxPaintCanvas(KxCard* card);
  ~KxPaintCanvas() override;

private:
  PAINTSTRUCT paint;
};

// An off-screen DC compatible with another canvas.
class KxCompatibleCanvas : public KxCanvas {
public:
  KxCompatibleCanvas(KxCard* card, const KxCanvas& like);
  ~KxCompatibleCanvas() override;
};
