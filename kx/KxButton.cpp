#include "kx/KxButton.h"

namespace {

// The tip is a pop-up owned by its button's form.
constexpr DWORD kTipStyle = WS_POPUP | WS_CHILD | WS_CLIPSIBLINGS;

}  // namespace

// ---- KxTip

void KxTip::OnDraw(KxCanvas& canvas) {
  RECT client = ClientRect();
  canvas.SetBkMode(TRANSPARENT);
  canvas.FillRect(kxTipColor, client);
  canvas.FrameRect(kxBlackColor, client);
  RECT text = client;
  text.left += Px(4);
  canvas.DrawText(font, textColor, GetText(), text, format);
}

void KxTip::SetText(const KxString& text) {
  KxCard::SetText(text);
  if (autoSize) {
    KxCanvas measure(this);
    SIZE size = measure.TextExtent(font, text);
    width = Dip(size.cx) + 8;
    height = Dip(size.cy) + 4;
    // Only the size: the tip is a top-level window placed in screen coordinates by
    // ShowAt, while the position fields follow the owner's client coordinates.
    SetWindowPos(hwnd, NULL, 0, 0, Px(width), Px(height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Invalidate(false);
}

void KxTip::ShowAt(int left, int top) {
  SetWindowPos(hwnd, NULL, left, top, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
}

// ---- KxButton

KxButton::KxButton(KxControl* parent) : KxTrack<KxControl>(parent) {}

KxButton::KxButton(KxControl* parent, const KxString& caption, const KxRect& rect)
    : KxTrack<KxControl>(parent) {
  Create(parent, caption, WS_CHILD | WS_VISIBLE, rect);
}

COLORREF KxButton::OutlineColor() const {
  return (pressed || hovering) ? kxHotFrameColor : kxFrameColor;
}

void KxButton::OnDraw(KxCanvas& canvas) {
  RECT client = ClientRect();
  canvas.SetBkMode(TRANSPARENT);
  canvas.FillRect(kxFormColor, client);
  KxString caption = GetText();
  if (!caption.IsEmpty()) {
    // The face inside the outline takes the off-screen DC's own brush (white).
    canvas.RoundRect(OutlineColor(), 1, client, SIZE{Px(8), Px(8)});
  }
  // After the face, so that a button with both a caption and a picture shows the picture.
  if (picture.IsPresent()) {
    // At the picture's own size: DrawIcon would stretch a small icon to the large size.
    SIZE size = picture.Size();
    int left = client.left + Px(2);
    int top = (client.bottom - client.top - size.cy) / 2;
    canvas.DrawPictureIn(RECT{left, top, left + size.cx, top + size.cy}, picture);
  }
  if (!caption.IsEmpty()) {
    RECT text = client;
    if (pressed) OffsetRect(&text, 0, 1);
    canvas.DrawText(font, kxButtonTextColor, caption, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

void KxButton::OnLButtonDown(WPARAM, POINT) { Invalidate(false); }

void KxButton::OnLButtonUp(WPARAM, POINT) { Invalidate(false); }

void KxButton::OnLButtonDblClk(WPARAM, POINT) {
  // The second press of a double click arrives as WM_LBUTTONDBLCLK; make it a press.
  PostMessageW(hwnd, WM_LBUTTONDOWN, 0, 0);
}

void KxButton::OnMouseEnter(KxEvtParam&) { Invalidate(false); }

void KxButton::OnMouseHover(KxEvtParam&) {
  if (!tip.hwnd || tip.IsVisible()) return;
  RECT window = WindowRect();
  int left = window.right - Px(20);
  if (left < window.left) left = window.left + Px(10);
  tip.ShowAt(left, window.bottom + Px(8));
}

void KxButton::OnMouseLeave(KxEvtParam&) {
  Invalidate(false);
  if (tip.hwnd) tip.Hide();
}

void KxButton::OnDpiChanged(int) {
  tip.ApplyDpi(dpi);
  if (tip.hwnd) tip.SetText(tip.GetText());
}

void KxButton::SetTip(const KxString& text) {
  if (!tip.hwnd) {
    tip.Create(this, "", kTipStyle, KxRect{0, 0, 0, 0});
    if (!tip.hwnd) return;
  }
  tip.SetText(text);
}
