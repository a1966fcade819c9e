#include "kx/KxCheckBox.h"

KxCheckBox::KxCheckBox(KxControl* parent, const KxString& caption, const KxRect& rect)
    : KxButton(parent) {
  Create(parent, caption, WS_CHILD | WS_VISIBLE, rect);
}

void KxCheckBox::OnClick(KxEvtParam&) {
  checked = !checked;
  Invalidate(false);
}

void KxCheckBox::OnDraw(KxCanvas& canvas) {
  RECT client = ClientRect();
  canvas.FillRect(kxFormColor, client);
  int side = (client.bottom - client.top) - Px(8);
  RECT box = {client.left + Px(2), client.top + Px(4), client.left + Px(2) + side, client.bottom - Px(4)};
  canvas.FillRect(kxWhiteColor, box);
  if (hovering) {
    canvas.Rectangle(kxBlackColor, 1, box);
  } else {
    RECT edge = box;
    DrawEdge(canvas.Dc(), &edge, EDGE_SUNKEN, BF_RECT | BF_FLAT);
  }
  if (checked) {
    RECT cross = box;
    InflateRect(&cross, -Px(2), -Px(2));
    OffsetRect(&cross, -Px(1), 0);
    canvas.Line(kxTickColor, Px(2), POINT{cross.left, cross.top}, POINT{cross.right, cross.bottom});
    canvas.Line(kxTickColor, Px(2), POINT{cross.left, cross.bottom}, POINT{cross.right, cross.top});
  }
  RECT text = client;
  text.left = box.right + Px(4);
  canvas.SetBkMode(TRANSPARENT);
  canvas.DrawText(font, kxBlackColor, GetText(), text, DT_VCENTER | DT_SINGLELINE);
}

void KxCheckBox::SetChecked(bool value) {
  checked = value;
  Invalidate(false);
}

void KxCheckBox::SetAutoSize(bool value) {
  autoSize = value;
  if (!autoSize) return;
  KxCanvas measure(this);
  SIZE text = measure.TextExtent(font, GetText());
  Resize(height + Dip(text.cx), height);
}
