#include "kx/KxGroupBox.h"

KxGroupBox::KxGroupBox(KxControl* parent, const KxString& caption, const KxRect& rect)
    : KxControl(parent) {
  Create(parent, caption, WS_CHILD | WS_VISIBLE, rect);
}

void KxGroupBox::OnDraw(KxCanvas& canvas) {
  RECT client = ClientRect();
  RECT frame = {client.left, client.top + Px(4), client.right + 1, client.bottom + 1};
  DrawEdge(canvas.Dc(), &frame, EDGE_ETCHED, BF_RECT);
  // Opaque text on the face colour blanks the frame line behind the caption.
  HDC dc = canvas.Dc();
  COLORREF previousBk = SetBkColor(dc, kxFormColor);
  int previousMode = ::SetBkMode(dc, OPAQUE);
  canvas.DrawText(font, kxBlackColor, GetText(), RECT{Px(8), 0, client.right, Px(20)}, DT_SINGLELINE);
  ::SetBkMode(dc, previousMode);
  SetBkColor(dc, previousBk);
}
