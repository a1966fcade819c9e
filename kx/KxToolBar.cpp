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
  int textLeft = client.left + 4;
  if (picture.IsPresent()) {
    int left = showsText ? client.left + 2 : (client.right - client.left - pictureSize.cx) / 2;
    int top = (client.bottom - client.top - pictureSize.cy) / 2;
    canvas.DrawPictureIn(RECT{left, top, left + pictureSize.cx, top + pictureSize.cy}, picture);
    textLeft = left + pictureSize.cx + 2;
  }
  if (showsText) {
    RECT text = {textLeft, client.top, client.right - 2, client.bottom};
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
    canvas.Line(kxGreyLineColor, 1, POINT{x, client.top + 3}, POINT{x, client.bottom - 4});
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
