#include "kx/KxToolBar.h"

namespace {

constexpr int kToolBarHeight = 26;

}  // namespace

// ---- KxToolBtn

KxToolBtn::KxToolBtn(KxControl* parent, const KxString& caption, const KxRect& rect)
    : KxButton(parent) {
  Create(parent, caption, WS_CHILD | WS_VISIBLE, rect);
}

KxString KxToolBtn::GetClassName() const { return "ToolBtn"; }

void KxToolBtn::OnClick(KxEvtParam&) {
  if (!checkable) return;
  checked = !checked;
  Invalidate(false);
}

void KxToolBtn::OnDraw(KxCanvas& canvas) {
  RECT client = ClientRect();
  canvas.FillRect(hovering ? kxToolHoverColor : kxFormColor, client);
  if (checked || pressed) canvas.FrameRect(kxHotFrameColor, client);
  int textLeft = client.left + Px(4);
  if (picture.IsPresent()) {
    SIZE side = {Px(pictureSize.cx), Px(pictureSize.cy)};
    picture.FitIcon(side.cy);
    int left = showsText ? client.left + Px(2) : (client.right - client.left - side.cx) / 2;
    int top = (client.bottom - client.top - side.cy) / 2;
    canvas.DrawPictureIn(RECT{left, top, left + side.cx, top + side.cy}, picture);
    textLeft = left + side.cx + Px(2);
  }
  if (showsText) {
    RECT text = {textLeft, client.top, client.right - Px(2), client.bottom};
    canvas.SetBkMode(TRANSPARENT);
    canvas.DrawText(font, kxButtonTextColor, GetText(), text,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
}

void KxToolBtn::SetText(const KxString& text) {
  KxCard::SetText(text);
  Invalidate(false);
}

// ---- KxToolBar

KxToolBar::KxToolBar(KxControl* parent, const KxRect& rect) : KxControl(parent) {
  borderStyle = 1;
  KxRect bar = rect;
  bar.height = kToolBarHeight;
  Create(parent, "", WS_CHILD | WS_VISIBLE, bar);
}

void KxToolBar::OnDraw(KxCanvas& canvas) {
  RECT client = ClientRect();
  for (int x = 3; x <= 5; x += 2)
    canvas.Line(kxGreyLineColor, 1, POINT{Px(x), client.top + Px(3)}, POINT{Px(x), client.bottom - Px(4)});
}

KxToolBtn* KxToolBar::AddButton() { return AddSized(buttonSize); }

KxToolBtn* KxToolBar::AddTextButton(const KxString& text, int width) {
  KxToolBtn* button = AddSized(width);
  button->showsText = true;
  button->SetText(text);
  return button;
}

KxToolBtn* KxToolBar::AddSized(int width) {
  int left = firstLeft;
  if (KxListNode<KxToolBtn*>* last = buttons.Tail()) left = last->value->x + last->value->width + gap;
  KxToolBtn* button = new KxToolBtn(this, "", KxRect{left, top, width, buttonSize});
  buttons.Add(button);
  SetWidth(left + width + gap + rightMargin);
  return button;
}
